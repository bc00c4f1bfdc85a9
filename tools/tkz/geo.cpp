// "tkz geo": UTM zones, UTM and UPS both ways, datum shifts, and the tables
// of ellipsoids and datums. Each conversion reads its arguments from the
// command line, or, given "-" alone, one set of whitespace-separated
// arguments per line of standard input, printing one JSON line per line.
#include <CLI/CLI.hpp>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <iostream>
#include <limits>
#include <nlohmann/json.hpp>
#include <numbers>
#include <stdexcept>
#include <string_view>

#include "core/platform/codepage.h"
#include "core/text/charcase.h"
#include "geo/geobasics.h"
#include "geo/geobasics_datums.h"
#include "tools/tkz/commands.h"
#include "tools/tkz/fields.h"

namespace tkz::tool {

namespace {

// The ranges each command accepts: GeographicLib's GeoConvert's (its
// UTMUPS limits, the MGRS ranges widened by 100 km), in metres.
constexpr double kUTMEastingMin = 0, kUTMEastingMax = 1000e3;
constexpr double kUTMNorthMin = -9100e3, kUTMNorthMax = 9600e3;  // continued across the equator
constexpr double kUTMSouthMin = 900e3, kUTMSouthMax = 19600e3;   // likewise
constexpr double kUPSNorthMin = 1200e3, kUPSNorthMax = 2800e3;   // easting and northing
constexpr double kUPSSouthMin = 700e3, kUPSSouthMax = 3300e3;
constexpr double kUPSNorthLat = 83.5, kUPSSouthLat = -79.5;  // UPS: at or beyond
// The UTM inverse keeps within about 1.5 mm up to this many degrees from the
// zone's central meridian (the Transverse Mercator series of geobasics.h);
// farther out, which GeoConvert's easting range reaches at high latitudes,
// its error grows to metres and kilometres.
constexpr double kUTMMaxFromMeridian = 7;

constexpr char kFooter[] =
    "Ranges (as GeographicLib's GeoConvert; anything else is refused):\n"
    "  latitude -90..90; longitude -540..<540, taken into -180..<180.\n"
    "  utm: the UTM area, latitude -80..84 (the standard zone; no overlap).\n"
    "  ups: latitude >= 83.5 (north) or <= -79.5 (south).\n"
    "  latlon: zone 1..60; easting 0..1000 km; northing -9100..9600 km (N) or\n"
    "    900..19600 km (S); the point within 7 degrees of the zone's central\n"
    "    meridian (beyond it the series is off by more than 1.5 mm).\n"
    "  ups-inverse: easting and northing 1200..2800 km (N) or 700..3300 km (S).\n"
    "  helmert: datums 1..271 (tkz geo datums); a status other than 0 is an\n"
    "    error: -1 invalid source datum, -2 invalid target datum, -3 latitude\n"
    "    outside -90..90, -4 longitude outside -180..180.\n"
    "A bad value is reported on standard error (exit status 1); with \"-\" a bad\n"
    "line gives {\"error\": ...} (helmert: with its \"status\"), the run goes on,\n"
    "and the exit status is 1.";

// The message of a datum shift's status other than kHelmertOK.
std::string HelmertError(int status, const std::vector<std::string_view>& f) {
  switch (status) {
    case kHelmertBadSourceDatum:
      return "invalid source datum " + Shown(f[0]) + " (datums are 1.." +
             std::to_string(kDatumCount) + ")";
    case kHelmertBadTargetDatum:
      return "invalid target datum " + Shown(f[1]) + " (datums are 1.." +
             std::to_string(kDatumCount) + ")";
    case kHelmertBadLatitude:
      return "latitude outside -90..90: " + Shown(f[2]);
    case kHelmertBadLongitude:
      return "longitude outside -180..180: " + Shown(f[3]);
    default:
      return "datum shift failed";
  }
}

nlohmann::ordered_json LatLon(double lat, double lon) {
  return {{"lat", JsonFixed(lat, 9)}, {"lon", JsonFixed(lon, 9)}};
}

nlohmann::ordered_json EastNorth(double e, double n) {
  return {{"easting", JsonFixed(e, 3)}, {"northing", JsonFixed(n, 3)}};
}

void Expect(const std::vector<std::string_view>& f, size_t count, const char* usage) {
  if (f.size() != count) throw BadLine(std::string("expected ") + usage);
}

// One conversion: fields in, its result out; a BadLine for fields outside
// the command's ranges (see kFooter) or a datum shift's failure.
void Convert(const std::string& command, TGeoEllipsoid ell, const std::vector<std::string_view>& f,
             nlohmann::ordered_json& out) {
  if (command == "zone") {
    Expect(f, 2, "LAT LON");
    out = {{"zone", GeoToUTMZone(Latitude(f[0]), Longitude(f[1]))}};
  } else if (command == "utm") {
    Expect(f, 2, "LAT LON");
    const double lat = Latitude(f[0]), lon = Longitude(f[1]);
    int zone;
    char band;
    GeoToUTMZone(lat, lon, zone, band);
    if (zone == kNoUTMZone) {
      throw BadLine("latitude outside the UTM area -80..84: " + Shown(f[0]));
    }
    double e, n;
    LatLongToUTM(lat, lon, ell, zone, e, n);
    GeoToUTMZone(lat, lon, zone, band);
    out = {{"zone", zone}, {"band", std::string(1, band)}};
    out.update(EastNorth(e, n));
  } else if (command == "latlon") {
    Expect(f, 4, "ZONE N|S EASTING NORTHING");
    const int zone = Integer(f[0], "zone");
    if (zone < 1 || zone > 60) throw BadLine("zone outside 1..60: " + Shown(f[0]));
    const bool south = Southern(f[1]);
    const double e = InRange(f[2], "easting", kUTMEastingMin, kUTMEastingMax, "");
    const double n = south ? InRange(f[3], "northing", kUTMSouthMin, kUTMSouthMax, " (S)")
                           : InRange(f[3], "northing", kUTMNorthMin, kUTMNorthMax, " (N)");
    double lat, lon;
    UTMToLatLong(e, n, zone, south, ell, lat, lon);
    const double fromMeridian =
        std::fabs(std::remainder(lon - UTMCentralMeridian(zone) * (180 / std::numbers::pi), 360.0));
    if (!(fromMeridian <= kUTMMaxFromMeridian)) {
      throw BadLine("easting " + Shown(f[2]) + " at northing " + Shown(f[3]) +
                    " lies too far from the central meridian of zone " + std::to_string(zone) +
                    " (more than 7 degrees)");
    }
    // West of zone 1 and east of zone 60 the longitude is taken across the
    // antimeridian.
    out = LatLon(lat, std::remainder(lon, 360.0));
  } else if (command == "ups") {
    Expect(f, 2, "LAT LON");
    const double lat = Latitude(f[0]), lon = Longitude(f[1]);
    if (lat > kUPSSouthLat && lat < kUPSNorthLat) {
      throw BadLine("latitude outside the UPS areas (>= 83.5 or <= -79.5): " + Shown(f[0]));
    }
    double e, n;
    LatLongToUPS(lat, lon, ell, e, n);
    out = EastNorth(e, n);
  } else if (command == "ups-inverse") {
    Expect(f, 3, "N|S EASTING NORTHING");
    const bool south = Southern(f[0]);
    const double lo = south ? kUPSSouthMin : kUPSNorthMin, hi = south ? kUPSSouthMax : kUPSNorthMax;
    const char* where = south ? " (S)" : " (N)";
    const double e = InRange(f[1], "easting", lo, hi, where);
    const double n = InRange(f[2], "northing", lo, hi, where);
    double lat, lon;
    UPSToLatLong(e, n, south, ell, lat, lon);
    out = LatLon(lat, lon);
  } else if (command == "helmert") {
    Expect(f, 5, "SRC DST LAT LON H");
    const int src = Integer(f[0], "source datum"), dst = Integer(f[1], "target datum");
    const double lat = Latitude(f[2]), lon = Longitude(f[3]), height = Number(f[4], "height");
    double latOut, lonOut, h;
    const int status = HelmertTransform(src, lat, lon, height, dst, latOut, lonOut, h);
    if (status != kHelmertOK) throw BadLine(HelmertError(status, f), {{"status", status}});
    out = {{"status", status}};
    out.update(LatLon(latOut, lonOut));
    out["h"] = JsonFixed(h, 3);
  }
}

TGeoEllipsoid FindEllipsoid(const std::string& id) {
  for (int i = 0; i < kGeoEllipsoidCount; ++i) {
    if (AnsiSameText(GeoEllipsoidId[i], id)) return static_cast<TGeoEllipsoid>(i);
  }
  throw std::runtime_error("unknown ellipsoid \"" + id + "\" (see tkz geo ellipsoids)");
}

int ListTables(const std::string& command, std::ostream& out) {
  const auto dump = [&](const nlohmann::json& j) { WriteJsonLine(out, j); };
  if (command == "ellipsoids") {
    for (int i = 0; i < kGeoEllipsoidCount; ++i) {
      const auto ell = static_cast<TGeoEllipsoid>(i);
      dump({{"index", i},
            {"id", GeoEllipsoidId[i]},
            {"name", AnsiToUtf8(GeoEllipsoidName[i])},
            {"a", GeoEllipsoidData[i].a},
            {"b", GeoEllipsoidData[i].b},
            {"rf", RecipFlattening(ell)}});
    }
  } else {
    for (int nr = 1; nr <= kDatumCount; ++nr) {
      const TDatumRow& r = *DatumRow(nr);
      dump({{"number", nr},
            {"name", AnsiToUtf8(r.Name)},
            {"ellipsoid", GeoEllipsoidId[r.Ellipsoid]},
            {"dx", r.dX},
            {"dy", r.dY},
            {"dz", r.dZ},
            {"scale", r.Scale},
            {"rx", r.rX},
            {"ry", r.rY},
            {"rz", r.rZ}});
    }
  }
  return 0;
}

}  // namespace

void AddGeoCommands(CLI::App& app) {
  auto options = std::make_shared<GeoOptions>();
  CLI::App* geo = app.add_subcommand(
      "geo", "Geodesy: UTM zones, UTM and UPS, datum shifts (\"-\" reads lines from stdin)");
  geo->require_subcommand(1);
  geo->footer(kFooter);
  struct Sub {
    const char* name;
    const char* help;
    bool ellipsoid;
  };
  const Sub subs[] = {
      {"zone", "LAT LON: UTM zone designation such as 32U (empty outside the UTM area)", false},
      {"utm", "LAT LON: UTM zone, band, easting and northing", true},
      {"latlon", "ZONE N|S EASTING NORTHING: latitude and longitude from UTM", true},
      {"ups", "LAT LON: UPS easting and northing", true},
      {"ups-inverse", "N|S EASTING NORTHING: latitude and longitude from UPS", true},
      {"helmert", "SRC DST LAT LON H: datum shift between datums 1..271", false},
      {"ellipsoids", "List the ellipsoids (JSON lines)", false},
      {"datums", "List the datums (JSON lines)", false},
  };
  for (const Sub& s : subs) {
    CLI::App* cmd = geo->add_subcommand(s.name, s.help);
    const std::string_view name = s.name;
    const bool lists = name == "ellipsoids" || name == "datums";
    // CLI11 reads "-33.9" as a value, not an option, since no option is named
    // by a digit; "--" before the fields works too.
    if (!lists) cmd->add_option("ARGS", options->Args, "The fields, or - to read lines from stdin");
    if (!lists) cmd->footer(kFooter);
    if (s.ellipsoid) {
      cmd->add_option("--ellipsoid", options->Ellipsoid,
                      "Ellipsoid identifier, e.g. gelWGS84 (default), gelInt24");
    }
    RunsWhenChosen(cmd, [options, name = std::string(s.name)] {
      options->Command = name;
      return RunGeo(*options, std::cin, std::cout);
    });
  }
}

int RunGeo(const GeoOptions& options, std::istream& in, std::ostream& out) {
  if (options.Command == "ellipsoids" || options.Command == "datums") {
    ListTables(options.Command, out);
    out.flush();
    return out ? 0 : 1;
  }
  const TGeoEllipsoid ell = FindEllipsoid(options.Ellipsoid);
  if (!(options.Args.size() == 1 && options.Args[0] == "-")) {
    std::vector<std::string_view> fields(options.Args.begin(), options.Args.end());
    nlohmann::ordered_json result;
    try {
      Convert(options.Command, ell, fields, result);
    } catch (const BadLine& e) {
      throw std::runtime_error("geo " + options.Command + ": " + e.what());
    }
    // A zone alone is plain text on the command line.
    if (options.Command == "zone")
      out << result["zone"].get<std::string>() << '\n';
    else
      WriteJsonLine(out, result);
    out.flush();
    return out ? 0 : 1;
  }
  return ConvertLines(in, out,
                      [&](const std::vector<std::string_view>& f, nlohmann::ordered_json& result) {
                        Convert(options.Command, ell, f, result);
                      });
}

}  // namespace tkz::tool
