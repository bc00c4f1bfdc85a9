// "tkz geo": UTM zones, UTM and UPS both ways, datum shifts, and the tables
// of ellipsoids and datums. Each conversion reads its arguments from the
// command line, or, given "-" alone, one set of whitespace-separated
// arguments per line of standard input, printing one JSON line per line.
#include <CLI/CLI.hpp>
#include <charconv>
#include <cmath>
#include <iostream>
#include <nlohmann/json.hpp>
#include <stdexcept>
#include <string_view>

#include "core/platform/codepage.h"
#include "core/text/charcase.h"
#include "geo/geobasics.h"
#include "geo/geobasics_datums.h"
#include "tools/tkz/commands.h"

namespace tkz::tool {

namespace {

// A line whose fields cannot be read; its message becomes {"error": ...}.
struct BadLine : std::runtime_error {
  using std::runtime_error::runtime_error;
};

std::vector<std::string_view> SplitFields(std::string_view line) {
  std::vector<std::string_view> fields;
  size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t' || line[i] == '\r')) ++i;
    const size_t start = i;
    while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r') ++i;
    if (i > start) fields.push_back(line.substr(start, i - start));
  }
  return fields;
}

double Number(std::string_view field, const char* what) {
  double v = 0;
  const char* end = field.data() + field.size();
  auto [ptr, ec] = std::from_chars(field.data(), end, v);
  if (ec != std::errc() || ptr != end || !std::isfinite(v)) {
    throw BadLine(std::string(what) + " is not a finite number: " + std::string(field));
  }
  return v;
}

int Integer(std::string_view field, const char* what) {
  int v = 0;
  const char* end = field.data() + field.size();
  auto [ptr, ec] = std::from_chars(field.data(), end, v);
  if (ec != std::errc() || ptr != end) {
    throw BadLine(std::string(what) + " is not an integer: " + std::string(field));
  }
  return v;
}

double Latitude(std::string_view field) {
  const double lat = Number(field, "latitude");
  if (lat < -90 || lat > 90) throw BadLine("latitude outside -90..90: " + std::string(field));
  return lat;
}

bool Southern(std::string_view field) {
  if (field == "N" || field == "n") return false;
  if (field == "S" || field == "s") return true;
  throw BadLine("hemisphere must be N or S: " + std::string(field));
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

// One conversion: fields in, its result out. Returns false when the result
// reports a failure (a datum shift's status).
bool Convert(const std::string& command, TGeoEllipsoid ell, const std::vector<std::string_view>& f,
             nlohmann::ordered_json& out) {
  if (command == "zone") {
    Expect(f, 2, "LAT LON");
    out = {{"zone", GeoToUTMZone(Latitude(f[0]), Number(f[1], "longitude"))}};
  } else if (command == "utm") {
    Expect(f, 2, "LAT LON");
    const double lat = Latitude(f[0]), lon = Number(f[1], "longitude");
    int zone;
    char band;
    double e, n;
    LatLongToUTM(lat, lon, ell, zone, e, n);
    GeoToUTMZone(lat, lon, zone, band);
    out = {{"zone", zone}, {"band", band == ' ' ? std::string() : std::string(1, band)}};
    out.update(EastNorth(e, n));
  } else if (command == "latlon") {
    Expect(f, 4, "ZONE N|S EASTING NORTHING");
    const int zone = Integer(f[0], "zone");
    if (zone < 1 || zone > 60) throw BadLine("zone outside 1..60: " + std::string(f[0]));
    double lat, lon;
    UTMToLatLong(Number(f[2], "easting"), Number(f[3], "northing"), zone, Southern(f[1]), ell, lat,
                 lon);
    out = LatLon(lat, lon);
  } else if (command == "ups") {
    Expect(f, 2, "LAT LON");
    double e, n;
    LatLongToUPS(Latitude(f[0]), Number(f[1], "longitude"), ell, e, n);
    out = EastNorth(e, n);
  } else if (command == "ups-inverse") {
    Expect(f, 3, "N|S EASTING NORTHING");
    double lat, lon;
    UPSToLatLong(Number(f[1], "easting"), Number(f[2], "northing"), Southern(f[0]), ell, lat, lon);
    out = LatLon(lat, lon);
  } else if (command == "helmert") {
    Expect(f, 5, "SRC DST LAT LON H");
    const int src = Integer(f[0], "source datum"), dst = Integer(f[1], "target datum");
    double lat, lon, h;
    const int status = HelmertTransform(src, Number(f[2], "latitude"), Number(f[3], "longitude"),
                                        Number(f[4], "height"), dst, lat, lon, h);
    out = {{"status", status}};
    out.update(LatLon(lat, lon));
    out["h"] = JsonFixed(h, 3);
    return status == kHelmertOK;
  }
  return true;
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
    return ListTables(options.Command, out);
  }
  const TGeoEllipsoid ell = FindEllipsoid(options.Ellipsoid);
  if (!(options.Args.size() == 1 && options.Args[0] == "-")) {
    std::vector<std::string_view> fields(options.Args.begin(), options.Args.end());
    nlohmann::ordered_json result;
    try {
      const bool ok = Convert(options.Command, ell, fields, result);
      // A zone alone is plain text on the command line.
      if (options.Command == "zone")
        out << result["zone"].get<std::string>() << '\n';
      else
        WriteJsonLine(out, result);
      return ok ? 0 : 1;
    } catch (const BadLine& e) {
      throw std::runtime_error("geo " + options.Command + ": " + e.what());
    }
  }
  // Standard input: buffered both ways, one output line per input line.
  in.tie(nullptr);
  int status = 0;
  std::string line, buffer;
  buffer.reserve(1 << 16);
  nlohmann::ordered_json result;
  while (std::getline(in, line)) {
    const std::vector<std::string_view> fields = SplitFields(line);
    try {
      if (!Convert(options.Command, ell, fields, result)) status = 1;
    } catch (const BadLine& e) {
      result = {{"error", e.what()}};
      status = 1;
    }
    buffer += JsonText(result);
    buffer += '\n';
    if (buffer.size() >= (1 << 16) - 256) {
      out.write(buffer.data(), static_cast<std::streamsize>(buffer.size()));
      buffer.clear();
    }
  }
  out.write(buffer.data(), static_cast<std::streamsize>(buffer.size()));
  out.flush();
  return status;
}

}  // namespace tkz::tool
