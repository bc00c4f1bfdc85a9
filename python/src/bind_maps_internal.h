// What the files of tkz.maps share: the handle of a map, colours and
// element names at the boundary, and the entry point of each part.
//
//   bind_maps.cpp            the Map class: construction, calibration,
//                            conversions (scalars and numpy arrays), files
//   bind_maps_landmarks.cpp  Landmark, Caption, Element, the landmark list of
//                            a map, symbol files
//   bind_maps_draw.cpp       the view and drawing into PNG files and arrays
//   bind_maps_atlas.cpp      Atlas
#pragma once

#include <memory>
#include <string>

#include "geo/geomap.h"
#include "python/src/common.h"

namespace tkz::python::maps {

// A map as Python holds it: its own TGeoMap, or one inside an atlas (the
// shared pointer then keeps the atlas alive). One thread at a time may use a
// map, as with every control of the library.
struct MapRef {
  std::shared_ptr<TGeoMap> map;
  // The calibration file the map was loaded from ("" when none).
  std::string calFile;
  // Whether the caller has set a view; until then a render fits the map.
  bool viewSet = false;
};

// "#RRGGBB" for a library colour (0x00BBGGRR).
std::string WebColor(TColor c);
// A colour from "#RRGGBB" or an (r, g, b) tuple of 0..255.
TColor ColorFrom(py::handle value);

// Raises tkz.MapError with a message of the binding (the library's own
// errors are translated by common.cpp).
[[noreturn]] void MapError(const std::string& message);

// The corners as a Corners named tuple of LatLon.
py::object Corners(const std::array<TLatLong, 4>& corners);

// The named tuple types of the module (made once by BindMaps).
py::object NamedTuple(const char* name);

void BindLandmarks(py::module_& m, py::class_<MapRef>& cls);
void BindDrawing(py::module_& m, py::class_<MapRef>& cls);
void BindAtlas(py::module_& m);

}  // namespace tkz::python::maps
