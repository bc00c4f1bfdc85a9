// "tkz map": calibrated maps. pix2geo and geo2pix convert through a
// calibration file (one pair on the command line, or "-" for one pair per
// line of standard input), calibrate fits a model from reference points and
// writes the calibration file, info describes a calibration.
#include <CLI/CLI.hpp>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "core/text/charcase.h"
#include "geo/geomap.h"
#include "tools/tkz/commands.h"
#include "tools/tkz/fields.h"
#include "tools/tkz/gdb_common.h"
#include "tools/tkz/map_common.h"
#include "tools/tkz/progress.h"

namespace tkz::tool {

using Json = nlohmann::ordered_json;

namespace {

// A calibration file given as a name or "-" (standard input).
std::string InputPath(const std::string& name) { return name == "-" ? "/dev/stdin" : name; }

}  // namespace

void LoadCalibration(TGeoMap& map, const std::string& file, const std::string& id) {
  std::error_code ec;
  if (file != "-" && !std::filesystem::is_regular_file(file, ec))
    throw MapFailure("cannot open \"" + file + "\": no such file");
  if (!map.LoadCalDataFromXML(InputPath(file), id)) {
    throw MapFailure(id.empty() ? "no calibration in \"" + file + "\""
                                : "no calibration with id \"" + id + "\" in \"" + file + "\"");
  }
}

namespace {

Json Nullable(double v, bool valid, int decimals) {
  return valid && std::isfinite(v) ? JsonFixed(v, decimals) : Json(nullptr);
}

void PixToGeo(const TGeoMap& map, const std::vector<std::string_view>& f, Json& out) {
  if (f.size() != 2) throw BadLine("expected X Y");
  const double x = Number(f[0], "x"), y = Number(f[1], "y");
  bool vLat = false, vLon = false;
  const double lat = map.CalcLatitude(x, y, vLat);
  const double lon = map.CalcLongitude(x, y, vLon);
  const bool valid = vLat && vLon && std::isfinite(lat) && std::isfinite(lon);
  out = {{"x", x},
         {"y", y},
         {"lat", Nullable(lat, valid, 9)},
         {"lon", Nullable(lon, valid, 9)},
         {"valid", valid}};
}

void GeoToPix(const TGeoMap& map, const std::vector<std::string_view>& f, Json& out) {
  if (f.size() != 2) throw BadLine("expected LAT LON");
  const double lat = Latitude(f[0]), lon = Longitude(f[1]);
  int x = 0, y = 0;
  const bool valid = map.CalcPixelCoords(lat, lon, x, y);
  out = {{"lat", JsonFixed(lat, 9)},
         {"lon", JsonFixed(lon, 9)},
         {"x", valid ? Json(x) : Json(nullptr)},
         {"y", valid ? Json(y) : Json(nullptr)},
         {"valid", valid}};
}

// CAL [ID] X Y, or CAL [ID] - : the file, the id and the fields.
void SplitConversionArgs(const std::vector<std::string>& args, const char* usage, std::string& file,
                         std::string& id, std::vector<std::string_view>& f) {
  const bool batch = !args.empty() && args.back() == "-";
  const size_t tail = batch ? 1 : 2;
  if (args.size() != tail + 1 && args.size() != tail + 2)
    throw MapUsage(std::string("expected ") + usage);
  file = args[0];
  id = args.size() == tail + 2 ? args[1] : "";
  f.assign(args.end() - static_cast<std::ptrdiff_t>(tail), args.end());
}

int RunConversion(const MapOptions& o, bool toGeo) {
  std::string file, id;
  std::vector<std::string_view> f;
  SplitConversionArgs(o.Args,
                      toGeo ? "CAL [ID] X Y, or CAL [ID] -" : "CAL [ID] LAT LON, or CAL [ID] -",
                      file, id, f);
  if (file == "-" && f.size() == 1)
    throw MapFailure("standard input cannot hold both the calibration and the points");
  TGeoMap map;
  LoadCalibration(map, file, id);
  const auto convert = [&](const std::vector<std::string_view>& fields, Json& out) {
    if (toGeo)
      PixToGeo(map, fields, out);
    else
      GeoToPix(map, fields, out);
  };
  if (f.size() == 1) return ConvertLines(std::cin, std::cout, convert);
  Json out;
  try {
    convert(f, out);
  } catch (const BadLine& e) {
    throw MapFailure(e.what());
  }
  WriteJsonLine(std::cout, out);
  std::cout.flush();
  return std::cout ? 0 : 1;
}

TCalibModel ModelByName(const std::string& name) {
  for (int m = 0; m < cmUndefined; ++m)
    if (AnsiSameText(CalibModelNames[m], name)) return static_cast<TCalibModel>(m);
  std::string known;
  for (int m = 0; m < cmUndefined; ++m) known += (m ? ", " : "") + CalibModelNames[m];
  throw MapUsage("--model: unknown model \"" + name + "\" (one of " + known + ")");
}

TGeoEllipsoid EllipsoidByName(const std::string& id) {
  for (int i = 0; i < kGeoEllipsoidCount; ++i)
    if (AnsiSameText(GeoEllipsoidId[i], id)) return static_cast<TGeoEllipsoid>(i);
  throw MapUsage("--ellipsoid: unknown ellipsoid \"" + id + "\" (see tkz geo ellipsoids)");
}

// One reference point of a points file, entered into map; a BadLine when it
// cannot be read or the calibration has no room for it.
void AddPoint(TGeoMap& map, const MapOptions& o, const std::vector<std::string_view>& f) {
  const TCalibModel model = map.GetCalibModel();
  const char* usage = model == cmParabolicIp ? "X Y meridian|parallel VALUE"
                      : model == cmUTM       ? "X Y NORTHING EASTING"
                                             : "X Y LAT LON";
  if (f.size() != 4) throw BadLine(std::string("expected ") + usage);
  const int x = Integer(f[0], "x"), y = Integer(f[1], "y");
  if (model == cmParabolicIp) {
    TGratLineKind kind;
    if (AnsiSameText(std::string(f[2]), "meridian"))
      kind = gtlMeridian;
    else if (AnsiSameText(std::string(f[2]), "parallel"))
      kind = gtlParallel;
    else
      throw BadLine("line kind must be meridian or parallel: " + Shown(f[2]));
    const double value = kind == gtlMeridian ? Longitude(f[3]) : Latitude(f[3]);
    const TCalibData& cal = map.GetCalibData();
    int before = 0;
    for (int i = 1; i <= cal.NumCalLines; ++i) before += cal.CalLines[i].NumPoints;
    map.AddCalibPoint(kind, value, x, y);
    int after = 0;
    for (int i = 1; i <= cal.NumCalLines; ++i) after += cal.CalLines[i].NumPoints;
    if (after == before) {
      throw BadLine("no room for the point: at most " + std::to_string(kMaxCalLines) +
                    " lines of " + std::to_string(kMaxCalLinePoints) + " points");
    }
  } else if (model == cmUTM) {
    const double n = Number(f[2], "northing"), e = Number(f[3], "easting");
    if (!map.AddCalibPoint(n, e, o.Zone, o.South ? hemiSouth : hemiNorth, x, y))
      throw BadLine("no room for the point: at most " + std::to_string(kMaxCalQuads) + " points");
  } else {
    const double lat = Latitude(f[2]), lon = Longitude(f[3]);
    if (!map.AddCalibPoint(lat, lon, x, y))
      throw BadLine("no room for the point: at most " + std::to_string(kMaxCalQuads) + " points");
  }
}

// The points of a points file (blank lines and lines starting with "#" are
// skipped), read whole before any is entered so that the progress bar knows
// the total.
std::vector<std::pair<int, std::string>> ReadPointLines(const std::string& name) {
  std::ifstream file;
  std::istream* in = &std::cin;
  if (name != "-") {
    file.open(name, std::ios::binary);
    if (!file) throw MapFailure("cannot open \"" + name + "\"");
    in = &file;
  }
  std::vector<std::pair<int, std::string>> lines;
  std::string line;
  bool tooLong = false;
  for (int nr = 1; ReadLine(*in, line, tooLong); ++nr) {
    if (tooLong) throw MapFailure(name + ": line " + std::to_string(nr) + ": line too long");
    const auto fields = SplitFields(line);
    if (fields.empty() || fields[0].front() == '#') continue;
    if (lines.size() > 10000)  // far beyond what any model holds
      throw MapFailure(name + ": more than 10000 points");
    lines.emplace_back(nr, line);
  }
  if (in->bad()) throw MapFailure("cannot read \"" + name + "\"");
  return lines;
}

Json CornersJson(const TCalibData& cal) {
  static const char* const names[4] = {"top_left", "bottom_left", "bottom_right", "top_right"};
  Json j = Json::object();
  for (int c = 0; c < 4; ++c)
    j[names[c]] = {{"lat", JsonFixed(cal.Corners[c].Lat, 6)},
                   {"lon", JsonFixed(cal.Corners[c].Long, 6)}};
  return j;
}

}  // namespace

Json Describe(const TGeoMap& map, const std::string& id) {
  const TCalibData& cal = map.GetCalibData();
  Json j;
  j["id"] = id;
  j["model"] = CalibModelNames[map.GetCalibModel()];
  j["map"] = cal.MapName;
  j["caption"] = cal.Caption;
  j["image"] = {{"width", map.GetMapWidth()}, {"height", map.GetMapHeight()}};
  if (map.GetCalibModel() == cmParabolicIp) {
    Json lines = Json::array();
    for (int i = 1; i <= cal.NumCalLines; ++i) {
      const TCalLine& l = cal.CalLines[i];
      lines.push_back({{"kind", l.Kind == gtlMeridian ? "meridian" : "parallel"},
                       {"value", l.Value},
                       {"points", l.NumPoints}});
    }
    j["lines"] = lines;
  } else {
    j["points"] = cal.NumCalQuads;
  }
  if (map.GetCalibModel() == cmUTM) {
    j["utm_zone"] = cal.UTMZone;
    j["utm_south"] = cal.UTMSouth;
    j["ellipsoid"] = GeoEllipsoidId[cal.Ellipsoid];
  }
  j["corners"] = CornersJson(cal);
  j["resolution"] = JsonFixed(cal.Resolution, 3);
  double qx = 0, qy = 0;
  map.CalibQuality(qx, qy);
  j["quality"] = {{"x", Nullable(qx, true, 6)}, {"y", Nullable(qy, true, 6)}};
  return j;
}

namespace {

int RunCalibrate(const MapOptions& o) {
  const TCalibModel model = ModelByName(o.Model);
  TGeoMap map;
  map.SetCalibModel(model);
  if (model == cmUTM) {
    if (o.Zone < 1 || o.Zone > 60) throw MapUsage("the utm model needs --zone 1..60");
    map.SetUTMZone(o.Zone);
    map.SetUTMHemisphere(o.South ? hemiSouth : hemiNorth);
    map.SetEllipsoid(EllipsoidByName(o.Ellipsoid));
  }
  std::error_code ec;
  if (!std::filesystem::is_regular_file(o.Image, ec))
    throw MapFailure("cannot open image \"" + o.Image + "\"");
  map.SetMapImgName(o.Image);
  map.SetMapCaption(o.Caption);
  const auto lines = ReadPointLines(o.Points);
  if (lines.empty()) throw MapFailure(o.Points + ": no reference points");
  ProgressBar bar(std::cerr, gdb::Terminal());
  for (size_t i = 0; i < lines.size(); ++i) {
    try {
      AddPoint(map, o, SplitFields(lines[i].second));
    } catch (const BadLine& e) {
      throw MapFailure(o.Points + ": line " + std::to_string(lines[i].first) + ": " + e.what());
    }
    bar.Show(static_cast<int64_t>(i + 1), static_cast<int64_t>(lines.size()), "", 0);
  }
  map.SaveCalDataAsXML(o.Out, o.Id);
  WriteJsonLine(std::cout, Describe(map, o.Id));
  std::cout.flush();
  return std::cout ? 0 : 1;
}

int RunInfo(const MapOptions& o) {
  if (o.Args.empty() || o.Args.size() > 2) throw MapUsage("expected CAL [ID]");
  const std::string& file = o.Args[0];
  const std::string id = o.Args.size() == 2 ? o.Args[1] : "";
  TGeoMap map;
  LoadCalibration(map, file, id);
  // The image gives the corners and the resolution.
  if (file != "-") LoadMapImage(map, file);
  WriteJsonLine(std::cout, Describe(map, id));
  std::cout.flush();
  return std::cout ? 0 : 1;
}

}  // namespace

void MapCommand(CLI::App* group, const char* name, const char* help, std::shared_ptr<MapOptions> o,
                int (*run)(const MapOptions&), CLI::App*& cmd) {
  cmd = group->add_subcommand(name, help);
  RunsWhenChosen(cmd, [o, run, name] {
    try {
      return run(*o);
    } catch (const MapUsage& e) {
      std::cerr << "tkz map " << name << ": " << e.what() << " (see \"tkz map " << name
                << " --help\")\n";
      return 2;
    } catch (const std::exception& e) {
      std::cerr << "tkz: map " << name << ": " << gdb::Plain(e) << "\n";
      return 1;
    }
  });
}

void AddMapCommands(CLI::App& app) {
  auto o = std::make_shared<MapOptions>();
  CLI::App* map = app.add_subcommand(
      "map", "Calibrated maps: pixels to coordinates and back, calibration files");
  map->require_subcommand(1);
  CLI::App* cmd = nullptr;
  MapCommand(
      map, "pix2geo", "CAL [ID] X Y: latitude and longitude of an image pixel (\"-\": X Y lines)",
      o, [](const MapOptions& m) { return RunConversion(m, true); }, cmd);
  cmd->add_option("ARGS", o->Args, "The calibration file, its id, and X Y or -")->required();
  MapCommand(
      map, "geo2pix", "CAL [ID] LAT LON: the image pixel of a position (\"-\": LAT LON lines)", o,
      [](const MapOptions& m) { return RunConversion(m, false); }, cmd);
  cmd->add_option("ARGS", o->Args, "The calibration file, its id, and LAT LON or -")->required();
  MapCommand(map, "calibrate",
             "IMAGE POINTS OUT.xml --model M: fit a model from reference points (lines of "
             "\"x y lat lon\") and write the calibration file",
             o, RunCalibrate, cmd);
  cmd->add_option("IMAGE", o->Image, "The map image (JPEG, PNG or BMP)")->required();
  cmd->add_option("POINTS", o->Points,
                  "Reference points, one per line: X Y LAT LON; for the utm model X Y NORTHING "
                  "EASTING; for parabolicip X Y meridian|parallel VALUE (- for stdin)")
      ->required();
  cmd->add_option("OUT", o->Out, "The calibration file to write")->required();
  cmd->add_option("--model", o->Model,
                  "parabolicip, biquadraticpn, conicconformal, millercylindrical, equirect or utm")
      ->required();
  cmd->add_option("--id", o->Id, "The calibration's id in the file");
  cmd->add_option("--caption", o->Caption, "The map's caption");
  cmd->add_option("--zone", o->Zone, "UTM zone 1..60 (utm model)");
  cmd->add_flag("--south", o->South, "The UTM zone lies in the southern hemisphere");
  cmd->add_option("--ellipsoid", o->Ellipsoid, "Ellipsoid of the utm model (default gelWGS84)");
  MapCommand(map, "info", "CAL [ID]: model, points, corners, resolution and quality", o, RunInfo,
             cmd);
  cmd->add_option("ARGS", o->Args, "The calibration file and its id")->required();
  AddMapRenderCommands(map, o);
  AddMapGisCommands(map, o);
}

}  // namespace tkz::tool
