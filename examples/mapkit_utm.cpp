// A point to UTM and back, and a datum shift from the British national grid's
// datum (OSGB 1936) to WGS 84.
#include <cmath>
#include <cstdio>

#include "geo/geobasics.h"

int main() {
  const double lat = 47.3769, lon = 8.5417;                       // Zurich
  std::printf("zone %s\n", tkz::GeoToUTMZone(lat, lon).c_str());  // "32T"
  int zone = 0;
  double easting = 0, northing = 0;
  tkz::LatLongToUTM(lat, lon, tkz::gelWGS84, zone, easting, northing);
  std::printf("UTM %d  E %.3f  N %.3f\n", zone, easting, northing);
  double lat2 = 0, lon2 = 0;
  tkz::UTMToLatLong(easting, northing, zone, false, tkz::gelWGS84, lat2, lon2);
  std::printf("back  %.9f %.9f\n", lat2, lon2);

  double wlat = 0, wlon = 0, wh = 0;
  const int status = tkz::HelmertTransform(183, 51.4778, 0.0, 45.0, 269, wlat, wlon, wh);
  std::printf("OSGB 1936 -> WGS 84: status %d, %.6f %.6f %.1f m\n", status, wlat, wlon, wh);

  const bool ok = zone == 32 && std::abs(lat2 - lat) < 1e-9 && std::abs(lon2 - lon) < 1e-9 &&
                  status == 0 && std::abs(wlon + 0.0016) < 1e-4;
  return ok ? 0 : 1;
}
