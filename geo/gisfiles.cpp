// Georeferences of calibrated maps: coordinate systems, world files and
// .prj files, and the way between a GeoReference and a TGeoMap calibration.
// GeoTIFF files are gisfiles_tiff.cpp.
#include "geo/gisfiles.h"

#include <string>

namespace tkz {

int GisCrs::Epsg() const {
  if (!Utm) return Ellipsoid == gelWGS84 ? 4326 : 0;
  if (Ellipsoid != gelWGS84 || Zone < 1 || Zone > 60) return 0;
  return (South ? 32700 : 32600) + Zone;
}

std::string GisCrs::Name() const {
  const std::string zone = "UTM zone " + std::to_string(Zone) + (South ? "S" : "N");
  if (Ellipsoid == gelWGS84) return Utm ? "WGS 84 / " + zone : "WGS 84";
  const std::string on = Ellipsoid < kGeoEllipsoidCount ? GeoEllipsoidName[Ellipsoid] : "?";
  return Utm ? zone + " on " + on : std::string("latitude and longitude on ") + on;
}

}  // namespace tkz
