// Shared by the readers of the map's files: the tag list of the tag scanner
// (calibration, landmark and symbol files use one list) and the positions of
// its tags as ReadNextTagInTextFile / ReadNextTagInStream report them.
#pragma once

#include <array>
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

}  // namespace tkz::geomap_internal
