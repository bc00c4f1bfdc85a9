// The geodesy part of "tkz demo".
#include <cstdio>
#include <nlohmann/json.hpp>

#include "geo/geobasics.h"
#include "tools/tkz/commands.h"

namespace tkz::tool {

namespace {

std::string Fixed(double v, int decimals) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*f", decimals, v);
  return buf;
}

// Prints one line "  CALL -> RESULT" and records it.
void Line(std::ostream& out, nlohmann::json& j, const std::string& call,
          const nlohmann::json& result) {
  out << "  " << call << " -> " << JsonText(result) << "\n";
  j[call] = result;
}

}  // namespace

nlohmann::json DemoGeodesy(std::ostream& out) {
  DemoHeading(out, "Geodesy");
  nlohmann::json j;
  Line(out, j, "GeoToUTMZone(60.5, 5)  (Norway's wide zone)", GeoToUTMZone(60.5, 5));
  Line(out, j, "GeoToUTMZone(78, 10)  (Svalbard)", GeoToUTMZone(78, 10));

  // Zurich to UTM and back.
  int zone;
  double e, n, lat, lon;
  LatLongToUTM(47.3769, 8.5417, gelWGS84, zone, e, n);
  Line(out, j, "LatLongToUTM(47.3769, 8.5417, gelWGS84)",
       {{"zone", zone}, {"easting", Fixed(e, 3)}, {"northing", Fixed(n, 3)}});
  UTMToLatLong(e, n, zone, false, gelWGS84, lat, lon);
  Line(out, j, "UTMToLatLong(back)", {{"lat", Fixed(lat, 9)}, {"lon", Fixed(lon, 9)}});
  // Cape Town lies south: the false northing of 10000000 m applies.
  LatLongToUTM(-33.9249, 18.4241, gelWGS84, zone, e, n);
  Line(out, j, "LatLongToUTM(-33.9249, 18.4241, gelWGS84)",
       {{"zone", zone}, {"easting", Fixed(e, 3)}, {"northing", Fixed(n, 3)}});

  LatLongToUPS(90, 0, gelWGS84, e, n);
  Line(out, j, "LatLongToUPS(90, 0, gelWGS84)",
       {{"easting", Fixed(e, 3)}, {"northing", Fixed(n, 3)}});
  LatLongToUPS(-85, 45, gelWGS84, e, n);
  Line(out, j, "LatLongToUPS(-85, 45, gelWGS84)",
       {{"easting", Fixed(e, 3)}, {"northing", Fixed(n, 3)}});

  // Greenwich on the OSGB 1936 datum (183) to WGS 84 (269).
  double h;
  const int status = HelmertTransform(183, 51.4778, 0.0, 45.0, 269, lat, lon, h);
  Line(out, j, "HelmertTransform(183, 51.4778, 0, 45, 269)",
       {{"status", status}, {"lat", Fixed(lat, 9)}, {"lon", Fixed(lon, 9)}, {"h", Fixed(h, 3)}});
  return j;
}

}  // namespace tkz::tool
