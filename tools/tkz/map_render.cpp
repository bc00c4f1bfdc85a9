// "tkz map blank" (a blank map with a graticule and its calibration) and
// "tkz map render" (a calibrated map drawn as the map view shows it, with a
// graticule, landmarks and the items of a geographic database).
#include <CLI/CLI.hpp>
#include <algorithm>
#include <cmath>
#include <iostream>
#include <memory>
#include <string>

#include "core/platform/imagefile.h"
#include "geo/geodb.h"
#include "geo/geomap.h"
#include "tools/common/size_text.h"
#include "tools/tkz/commands.h"
#include "tools/tkz/gdb_common.h"
#include "tools/tkz/map_common.h"

namespace tkz::tool {

namespace {

// "WxH" within 1..limit each.
void ParseSize(const std::string& text, int limit, int& w, int& h) {
  switch (ParseSizeText(text, 1, limit, w, h)) {
    case SizeText::Ok:
      return;
    case SizeText::Malformed:
      throw MapUsage("--size must be WIDTHxHEIGHT: " + text);
    case SizeText::OutOfRange:
      throw MapUsage("--size: width and height must be 1.." + std::to_string(limit) + ": " + text);
  }
}

int RunBlank(const MapOptions& o) {
  if (o.Args.size() != 1) throw MapUsage("expected OUT");
  if (o.Lat.size() != 2 || o.Lon.size() != 2)
    throw MapUsage("--lat LO HI and --lon LO HI are required");
  for (double v : {o.Lat[0], o.Lat[1]})
    if (!(v >= -90 && v <= 90)) throw MapUsage("--lat: latitudes must be -90..90");
  for (double v : {o.Lon[0], o.Lon[1]})
    if (!(v >= -180 && v <= 180)) throw MapUsage("--lon: longitudes must be -180..180");
  if (o.Lat[0] == o.Lat[1] || o.Lon[0] == o.Lon[1]) throw MapUsage("the bounds must span an area");
  int w = 1000, h = 800;
  if (!o.Size.empty()) ParseSize(o.Size, 10000, w, h);
  if (int64_t{w} * h > kMaxMapPixels)
    throw MapUsage("--size: at most " + std::to_string(kMaxMapPixels) + " pixels");
  TGeoMap map;
  map.CreateAndLoadEmptyMap(o.Args[0], o.Lat[0], o.Lat[1], o.Lon[0], o.Lon[1], o.Step, o.Step, w, h,
                            true);
  WriteJsonLine(std::cout, Describe(map, "TKZ_geomap_caldata"));
  std::cout.flush();
  return std::cout ? 0 : 1;
}

int RunRender(const MapOptions& o) {
  if (o.Args.size() < 2 || o.Args.size() > 3) throw MapUsage("expected CAL [ID] OUT.png");
  const std::string& file = o.Args[0];
  const std::string id = o.Args.size() == 3 ? o.Args[1] : "";
  const std::string& out = o.Args.back();
  int w = 800, h = 600;
  if (!o.Size.empty()) ParseSize(o.Size, 8000, w, h);
  TShowGrat grat = sgNone;
  if (o.Grat == "points")
    grat = sgPoints;
  else if (o.Grat == "lines")
    grat = sgPointsAndLines;
  else if (o.Grat == "utm")
    grat = sgPointsAndUTMGrid;
  else if (!o.Grat.empty())
    throw MapUsage("--grat must be points, lines or utm: " + o.Grat);
  if (!o.Center.empty() && o.Center.size() != 2) throw MapUsage("--center takes LAT LON");
  if (o.Mag != 0 && !(o.Mag >= kMinMagnification && o.Mag <= kMaxMagnification))
    throw MapUsage("--mag must be a factor within 1/1024..1024");
  TGeoMap map;
  map.SetBounds(0, 0, w, h);
  LoadCalibration(map, file, id);
  if (file == "-" || !LoadMapImage(map, file))
    throw MapFailure("cannot find the map image \"" + map.GetMapImgName() + "\"");
  map.SetShowGrat(grat);
  if (!o.Landmarks.empty()) map.LoadLandMarks(o.Landmarks, "");
  std::unique_ptr<TGeoDB> db;
  std::unique_ptr<GdbOverlay> overlay;
  if (!o.Gdb.empty()) {
    db = gdb::Open(o.Gdb, gdb::OpenMode::Existing);
    overlay = std::make_unique<GdbOverlay>(map, *db);
  }
  map.ZoomFitPage();
  if (o.Mag != 0) map.SetMagnification(o.Mag);
  if (!o.Center.empty()) map.BringLocationToCenter(o.Center[0], o.Center[1]);
  map.ConstructInternalMapImg();
  TBitmap picture(w, h);
  picture.GetCanvas()->Draw(0, 0, map.GetRenderBitmap());
  SaveBitmapToFile(picture, out);
  gdb::Emit({{"file", out},
             {"width", w},
             {"height", h},
             {"magnification", map.GetMagnification()},
             {"left", map.GetTopLeft().X},
             {"top", map.GetTopLeft().Y},
             {"landmarks", map.GetNumLandMarks()}});
  return std::cout ? 0 : 1;
}

}  // namespace

void AddMapRenderCommands(CLI::App* map, std::shared_ptr<MapOptions> o) {
  CLI::App* cmd = nullptr;
  MapCommand(map, "blank",
             "OUT --lat LO HI --lon LO HI: a blank map with a graticule (OUT.bmp) and its "
             "calibration (OUT.xml)",
             o, RunBlank, cmd);
  cmd->add_option("OUT", o->Args, "The file name (its extension is replaced)")->required();
  cmd->add_option("--lat", o->Lat, "Latitude bounds")->expected(2)->required();
  cmd->add_option("--lon", o->Lon, "Longitude bounds")->expected(2)->required();
  cmd->add_option("--step", o->Step, "Grid step in degrees (default 1)");
  cmd->add_option("--size", o->Size, "Image size WxH (default 1000x800)");
  MapCommand(map, "render", "CAL [ID] OUT.png: the calibrated map drawn as the map view shows it",
             o, RunRender, cmd);
  cmd->add_option("ARGS", o->Args, "The calibration file, its id and the picture to write")
      ->required();
  cmd->add_option("--size", o->Size, "View size WxH (default 800x600)");
  cmd->add_option("--grat", o->Grat, "points, lines (with points) or utm (grid with points)");
  cmd->add_option("--landmarks", o->Landmarks, "A landmark file to draw");
  cmd->add_option("--gdb", o->Gdb, "A geographic database whose polygons and towns are drawn");
  cmd->add_option("--center", o->Center, "LAT LON brought to the centre")->expected(2);
  cmd->add_option("--mag", o->Mag, "Magnification (default: the whole map fits the view)");
}

}  // namespace tkz::tool
