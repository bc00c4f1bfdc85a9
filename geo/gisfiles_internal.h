// What gisfiles.cpp and gisfiles_tiff.cpp share; not installed.
#pragma once

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

}  // namespace tkz::gisfiles_internal
