// "tkz map export" (a calibrated map as a GeoTIFF, or as an image with a
// world file, for GIS programs) and "tkz map import" (a GeoTIFF, or an image
// with a world file, as a calibration file).
#include <CLI/CLI.hpp>
#include <filesystem>
#include <iostream>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>

#include "core/platform/imagefile.h"
#include "core/text/charcase.h"
#include "geo/geomap.h"
#include "geo/gisfiles.h"
#include "tools/common/gdb_overlay.h"
#include "tools/tkz/commands.h"
#include "tools/tkz/map_common.h"

namespace tkz::tool {

namespace {

using Json = nlohmann::ordered_json;

bool IsTiff(const std::string& name) {
  const std::string ext = AnsiLowerCase(std::filesystem::path(name).extension().string());
  return ext == ".tif" || ext == ".tiff";
}

std::string Beside(const std::string& file, const std::string& ext) {
  return std::filesystem::path(file).replace_extension(ext).string();
}

Json PlacementJson(const GeoReference& ref) {
  Json j;
  j["crs"] = ref.Crs.Name();
  j["epsg"] = ref.Crs.Epsg() != 0 ? Json(ref.Crs.Epsg()) : Json(nullptr);
  j["transform"] = ref.HasTransform ? Json(ref.Transform) : Json(nullptr);
  j["gcps"] = ref.Gcps.size();
  return j;
}

int RunExport(const MapOptions& o) {
  if (o.Args.size() < 2 || o.Args.size() > 3)
    throw MapUsage("expected CAL [ID] OUT.tif, or CAL [ID] OUT.png|jpg|bmp --world");
  const std::string& file = o.Args[0];
  const std::string id = o.Args.size() == 3 ? o.Args[1] : "";
  const std::string& out = o.Args.back();
  const bool tiff = IsTiff(out);
  if (!tiff && !o.World)
    throw MapUsage("OUT must be a GeoTIFF (.tif), or an image with --world for a world file");
  if (!tiff && ImageFormatFromFileName(out) == TImageFormat::Unknown)
    throw MapUsage("OUT must end in .tif, .png, .jpg or .bmp: " + out);
  if (file == "-") throw MapUsage("the calibration must be a file: its image lies beside it");
  TGeoMap map;
  LoadCalibration(map, file, id);
  if (!LoadMapImage(map, file) || map.GetMapImage() == nullptr)
    throw MapFailure("the image \"" + map.GetMapImgName() + "\" of the calibration is missing");
  const GeoReference ref = GeoReferenceOfMap(map);
  Json j;
  j["out"] = out;
  if (tiff)
    WriteGeoTiff(out, *map.GetMapImage(), ref);
  else
    SaveBitmapToFile(*map.GetMapImage(), out);
  if (o.World) {
    WriteWorldFile(map, out);
    j["world"] = Beside(out, WorldFileExtension(out));
    j["prj"] = Beside(out, ".prj");
  }
  j["model"] = CalibModelNames[map.GetCalibModel()];
  j.update(PlacementJson(ref));
  WriteJsonLine(std::cout, j);
  std::cout.flush();
  return std::cout ? 0 : 1;
}

int RunImport(const MapOptions& o) {
  if (o.Args.size() != 2) throw MapUsage("expected IN.tif|IMAGE OUT.xml");
  const std::string& in = o.Args[0];
  const std::string& out = o.Args[1];
  if (in == "-") throw MapUsage("IN must be a file: a world file lies beside it");
  std::error_code ec;
  if (!std::filesystem::is_regular_file(in, ec)) throw MapFailure("cannot open \"" + in + "\"");
  TGeoMap map;
  GeoReference ref;
  if (IsTiff(in)) {
    // The picture goes beside the calibration as PNG, which the map reads.
    TBitmap image;
    ReadGeoTiff(in, image, ref);
    const std::string png = Beside(out, ".png");
    SaveBitmapToFile(image, png);
    map.SetMapImgName(png);
  } else {
    ref = ReadWorldFile(in);
    map.SetMapImgName(in);
  }
  CalibrateFromReference(map, ref);
  if (!o.Caption.empty()) map.SetMapCaption(o.Caption);
  map.SaveCalDataAsXML(out, o.Id);
  Json j = Describe(map, o.Id);
  j["source"] = ref.HasTransform ? "transform" : "gcps";
  j.update(PlacementJson(ref));
  WriteJsonLine(std::cout, j);
  std::cout.flush();
  return std::cout ? 0 : 1;
}

}  // namespace

void AddMapGisCommands(CLI::App* map, std::shared_ptr<MapOptions> o) {
  CLI::App* cmd = nullptr;
  MapCommand(map, "export",
             "CAL [ID] OUT.tif: the calibrated map as a GeoTIFF for GIS programs; with --world "
             "OUT.png|jpg|bmp and a world file, .prj and GDAL .aux.xml beside it",
             o, RunExport, cmd);
  cmd->add_option("ARGS", o->Args, "The calibration file, its id and the file to write")
      ->required();
  cmd->add_flag("--world", o->World,
                "Also write a world file and .prj (equirect and utm calibrations only)");
  MapCommand(map, "import",
             "IN OUT.xml: a GeoTIFF, or an image with a world file, as a calibration (a "
             "GeoTIFF's picture is written beside OUT as PNG)",
             o, RunImport, cmd);
  cmd->add_option("ARGS", o->Args, "The GeoTIFF or image, and the calibration file to write")
      ->required();
  cmd->add_option("--id", o->Id, "The calibration's id in the file");
  cmd->add_option("--caption", o->Caption, "The map's caption");
}

}  // namespace tkz::tool
