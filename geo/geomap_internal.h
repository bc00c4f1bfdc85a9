// Shared by the files of the map component: pixel rounding, and for the
// readers of the map's files the tag list of the tag scanner
// (calibration, landmark and symbol files use one list) and the positions of
// its tags as ReadNextTagInTextFile / ReadNextTagInStream report them.
#pragma once

#include <algorithm>
#include <array>
#include <cmath>
#include <string>

namespace tkz::geomap_internal {

// The last entry is the scanners' sentinel: any other tag gives its index.
inline const std::array<std::string, 16> kTags = {
    "geomap",       "/geomap",  "calline",   "corners",   "resolution", "gmlandmarks",
    "/gmlandmarks", "landmark", "calquads",  "lmsymbols", "/lmsymbols", "symbol",
    "utmzone",      "utmsouth", "ellipsoid", ""};

// Positions in kTags (the scanners' results).
enum TTagIx : int {
  kTagGeoMap = 0,
  kTagGeoMapEnd,
  kTagCalLine,
  kTagCorners,
  kTagResolution,
  kTagLandMarks,
  kTagLandMarksEnd,
  kTagLandMark,
  kTagCalQuads,
  kTagSymbols,
  kTagSymbolsEnd,
  kTagSymbol,
  kTagUTMZone,
  kTagUTMSouth,
  kTagEllipsoid,
  kTagOther  // any other tag, or none before the end
};

// A pixel coordinate rounded to the nearest integer; NaN and values beyond
// +-2e9 are held at +-2e9 (far outside any bitmap, without overflow).
inline int Round(double v) {
  if (!(v > -2e9)) return -2000000000;
  if (v > 2e9) return 2000000000;
  return static_cast<int>(std::lround(v));
}

// How far (control pixels) from its point a landmark's symbol and caption
// may reach: the symbol (size and arrow length) and the caption (its offset
// and a generous cell for its characters, turned any way). Size, Length,
// Caption.FontSize, Caption.Dx/Dy and Caption.Text of a TLandMark.
template <class Landmark>
double LandMarkReach(const Landmark& L) {
  const auto& t = L.Caption;
  const double cell = std::clamp(t.FontSize, 1, 200) * 2.0;
  return std::max<double>(std::abs(L.Size), 0) + std::abs(static_cast<double>(L.Length)) + 2 +
         (t.Text.empty() ? 0
                         : std::abs(static_cast<double>(t.Dx)) +
                               std::abs(static_cast<double>(t.Dy)) + cell * (t.Text.size() + 1));
}

}  // namespace tkz::geomap_internal
