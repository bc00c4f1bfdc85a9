// The calibrated maps part of "tkz demo": a blank world map and a map of
// Spain, calibrated by their own graticules, with the countries and towns of
// the tour's geographic database drawn on them; both registered in an atlas,
// which zooms from the world to Spain at Madrid, pans and steps back through
// its zoom history.
#include <filesystem>
#include <nlohmann/json.hpp>

#include "core/platform/application.h"
#include "core/platform/imagefile.h"
#include "core/text/stringl.h"
#include "geo/geoatlas.h"
#include "geo/gisfiles.h"
#include "tools/tkz/commands.h"
#include "tools/tkz/map_common.h"

namespace tkz::tool {

namespace {

constexpr double kMadridLat = 40.4168, kMadridLon = -3.7038;

void SaveView(TGeoMap& map, const std::string& path) {
  map.ConstructInternalMapImg();
  TBitmap picture(map.GetWidth(), map.GetHeight());
  picture.GetCanvas()->Draw(0, 0, map.GetRenderBitmap());
  SaveBitmapToFile(picture, path);
}

// For GIS programs: the map as a GeoTIFF, its reference points as ground
// control points, and the file read back into a calibration.
nlohmann::json DemoGeoTiff(std::ostream& out, const TGeoMap& map, const std::string& tif) {
  WriteGeoTiff(tif, *map.GetMapImage(), GeoReferenceOfMap(map));
  TBitmap image;
  GeoReference ref;
  ReadGeoTiff(tif, image, ref);
  TGeoMap back;
  back.SetMapBitMap(image);
  const TCalibModel model = CalibrateFromReference(back, ref);
  out << "  GeoTIFF for GIS programs: " << ref.Gcps.size() << " ground control points in "
      << ref.Crs.Name() << ", read back with the model " << CalibModelNames[model] << " -> " << tif
      << "\n";
  return {{"file", tif}, {"gcps", ref.Gcps.size()}, {"model_read_back", CalibModelNames[model]}};
}

}  // namespace

nlohmann::json DemoMaps(std::ostream& out, const std::string& dir, const std::string& database) {
  DemoHeading(out, "Calibrated maps and an atlas");
  nlohmann::json j;
  struct Sheet {
    const char* name;
    double lat0, lat1, lon0, lon1, step;
    int w, h;
  };
  const Sheet sheets[] = {{"world_map", -60, 85, -180, 180, 30, 1200, 620},
                          {"spain_map", 35.5, 44, -9.5, 4.5, 2, 1000, 700}};
  std::unique_ptr<TGeoDB> db;
  if (!database.empty() && std::filesystem::exists(database + ".tkzgdd")) {
    db = std::make_unique<TGeoDB>();
    db->SetGDBName(database + ".tkzgds");
  }
  std::vector<std::string> calFiles;
  for (const Sheet& s : sheets) {
    TGeoMap map;
    map.SetBounds(0, 0, 900, 560);
    const std::string base = DemoFile(dir, s.name);
    map.CreateAndLoadEmptyMap(base, s.lat0, s.lat1, s.lon0, s.lon1, s.step, s.step, s.w, s.h, true);
    calFiles.push_back(base + ".xml");
    std::unique_ptr<GdbOverlay> overlay;
    if (db) overlay = std::make_unique<GdbOverlay>(map, *db);
    map.SetShowGrat(sgPoints);
    map.ZoomFitPage();
    int x = 0, y = 0;
    map.CalcPixelCoords(kMadridLat, kMadridLon, x, y);
    const std::string png = base + ".png";
    SaveView(map, png);
    const double res = map.GetCalibData().Resolution;
    out << "  " << s.name << ": " << s.w << " x " << s.h << " px, 9 reference points, "
        << strff(res / 1000, 1, 2) << " km per pixel at the middle; Madrid at pixel (" << x << ", "
        << y << ")";
    if (overlay)
      out << "; " << overlay->Polygons() << " country outlines, " << overlay->Towns() << " towns";
    out << " -> " << png << "\n";
    j[s.name] = {{"image", base + ".bmp"}, {"calibration", base + ".xml"},
                 {"picture", png},         {"resolution", res},
                 {"madrid_pixel", {x, y}}, {"towns", overlay ? overlay->Towns() : 0}};
    if (&s == &sheets[0]) j["geotiff"] = DemoGeoTiff(out, map, base + ".tif");
  }

  // The atlas: the world first, then a zoom at Madrid and a pan by mouse.
  TGeoAtlas atlas;
  atlas.SetBounds(0, 0, 700, 480);
  for (const std::string& f : calFiles) atlas.RegisterMap(f);
  atlas.SelectMap(1);
  TGeoMap* map = atlas.GetMap();
  map->ZoomFitPage();
  map->ClearZoomHistory();
  const bool zoomed = atlas.ZoomIn(kMadridLat, kMadridLon, map->GetCalibData().Resolution);
  const std::string shown = atlas.GetMapDef(atlas.GetSelectedMap()).MapName;
  map->SetMagnification(1);
  map->BringLocationToCenter(kMadridLat, kMadridLon);
  map->ZoomStateOnStack();
  const TPoint before = map->GetTopLeft();
  Application().PostMessage(TMessage::MouseDown(map, mbLeft, {}, 300, 200));
  Application().PostMessage(TMessage::MouseMove(map, {}, 300, 200));
  Application().PostMessage(TMessage::MouseMove(map, {}, 220, 160));
  Application().PostMessage(TMessage::MouseUp(map, mbLeft, {}, 220, 160));
  Application().ProcessMessages();
  const TPoint after = map->GetTopLeft();
  const std::string atlasPng = DemoFile(dir, "atlas.png");
  SaveBitmapToFile(*TakeScreenshot(&atlas), atlasPng);
  map->ZoomHistory(-1);
  const TPoint back = map->GetTopLeft();
  out << "  atlas of " << atlas.GetNumMaps() << " maps: zoom in at Madrid "
      << (zoomed ? "shows " + shown : std::string("found no finer map")) << "; a drag by (-80, -40)"
      << " pans the view from (" << before.X << ", " << before.Y << ") to (" << after.X << ", "
      << after.Y << "); the zoom history steps back to (" << back.X << ", " << back.Y << ") -> "
      << atlasPng << "\n";
  j["atlas"] = {{"maps", atlas.GetNumMaps()},       {"zoomed_to", shown},
                {"pan_from", {before.X, before.Y}}, {"pan_to", {after.X, after.Y}},
                {"history_back", {back.X, back.Y}}, {"picture", atlasPng}};
  return j;
}

}  // namespace tkz::tool
