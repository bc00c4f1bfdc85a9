// Shared by the files of the map component: pixel rounding, and for the
// readers of the map's files the tag list of the tag scanner
// (calibration, landmark and symbol files use one list) and the positions of
// its tags as ReadNextTagInTextFile / ReadNextTagInStream report them.
#pragma once

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

}  // namespace tkz::geomap_internal
