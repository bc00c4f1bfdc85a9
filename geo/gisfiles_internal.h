// What gisfiles.cpp and gisfiles_tiff.cpp share; not installed.
#pragma once

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <string>

#include "geo/geobasics.h"

namespace tkz::gisfiles_internal {

// Axes of a file's ellipsoid match ours within this many metres.
inline constexpr double kAxisTolerance = 0.001;

// Our ellipsoid whose axes a and b (metres) are within kAxisTolerance: the
// one called Name (as GeoEllipsoidName has it) first, else the closest, else
// the first of equal ones (GEM 10C repeats WGS 84, CGCS2000 GRS 80). False
// when none is that close.
bool EllipsoidByAxes(double a, double b, const std::string& Name, TGeoEllipsoid& Found);

// Shortest text that reads back to the same double, for messages and WKT.
inline std::string NumberText(double v) {
  char buf[32];
  const auto r = std::to_chars(buf, buf + sizeof buf, v);
  return std::string(buf, r.ptr);
}

// An affine mapping (GDAL's order) that can be used and inverted: finite
// numbers, and a determinant that is a finite number other than 0.
inline bool MappingIsUsable(const std::array<double, 6>& t) {
  const double det = t[1] * t[5] - t[2] * t[4];
  return std::all_of(t.begin(), t.end(), [](double v) { return std::isfinite(v); }) &&
         std::isfinite(det) && det != 0;
}

}  // namespace tkz::gisfiles_internal
