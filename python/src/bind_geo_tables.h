// The ellipsoids and datums of tkz.geo: the Ellipsoid enumeration, the
// lookups and tables, and the reading of ellipsoid and datum arguments.
#pragma once

#include "geo/geobasics.h"
#include "python/src/common.h"

namespace tkz::python::geo {

// An Ellipsoid, its index (0..60), or a text naming it: its identifier with
// or without the "gel" prefix ("gelWGS84", "WGS84") or its name ("WGS 1984"),
// in any letter case. tkz.GeoError "invalid ellipsoid N" or "unknown
// ellipsoid" otherwise.
TGeoEllipsoid EllipsoidArg(py::handle o);
// A datum number (1..271), a Datum record, or a datum's name in any letter
// case ("WGS84" and "WGS 84" name number 269). A name several rows share with
// different parameters is refused, naming their numbers. role is "source"
// or "target" for the messages.
int DatumArg(py::handle o, const char* role);

// Adds Ellipsoid, EllipsoidInfo, Datum, ellipsoids(), ellipsoid(),
// datums() and datum() to the submodule.
void BindGeoTables(py::module_& sub);

}  // namespace tkz::python::geo
