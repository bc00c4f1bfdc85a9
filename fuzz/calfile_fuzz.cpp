// Random bytes as a calibration file, read from a memory stream and from a
// file, into a map and through ParseCalibData. A read must succeed or raise
// ETKZGeoMapError; a refused read must leave the map as it was. After a
// successful read the counts lie within the record, every conversion runs
// without harm, and what the map writes back reads back the same.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/platform/stream.h"
#include "fuzz/temp_file.h"
#include "geo/geomap.h"

namespace {

void CheckRecord(const tkz::TCalibData& d) {
  if (d.NumCalLines < 0 || d.NumCalLines > tkz::kMaxCalLines) __builtin_trap();
  if (d.NumCalQuads < 0 || d.NumCalQuads > tkz::kMaxCalQuads) __builtin_trap();
  for (int i = 1; i <= d.NumCalLines; ++i)
    if (d.CalLines[i].NumPoints < 0 || d.CalLines[i].NumPoints > tkz::kMaxCalLinePoints)
      __builtin_trap();
}

void Exercise(tkz::TGeoMap& map) {
  CheckRecord(map.GetCalibData());
  map.SetMapImageSize(640, 480);
  for (int x = -100; x <= 700; x += 200)
    for (int y = -100; y <= 500; y += 150) {
      bool v1, v2;
      const double lat = map.CalcLatitude(x, y, v1), lon = map.CalcLongitude(x, y, v2);
      if ((v1 && !std::isfinite(lat)) || (v2 && !std::isfinite(lon))) __builtin_trap();
      int px, py;
      if (v1 && v2) (void)map.CalcPixelCoords(lat, lon, px, py);
      (void)map.CalcPixelCoordsUTM(lat, lon, px, py);
      (void)map.CalcUTMxFromEastingY(lon, y);
      (void)map.CalcUTMyFromNorthingX(lat, x);
    }
  double qx, qy;
  map.CalibQuality(qx, qy);
  // Written back and read again: the same points and model.
  tkz::TMemoryStream s;
  map.SaveCalDataAsXML(s, "again");
  tkz::TCalibData d;
  tkz::TCalibModel model;
  if (!tkz::ParseCalibData(s, "again", d, model)) __builtin_trap();
  const tkz::TCalibData& src = map.GetCalibData();
  if (model != map.GetCalibModel() || d.NumCalLines != src.NumCalLines ||
      d.NumCalQuads != src.NumCalQuads)
    __builtin_trap();
  for (int i = 1; i <= src.NumCalLines; ++i)
    if (d.CalLines[i].Points != src.CalLines[i].Points) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const tkz::fuzzing::TempFile file("calfile");
  if (size == 0) return 0;
  const bool fromFile = data[0] & 1;
  const std::string id = (data[0] & 2) ? "x" : "";
  const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);

  tkz::TGeoMap map;
  map.SetCalibModel(tkz::cmEquiRect);
  map.AddCalibPoint(47.0, 9.0, 0, 0);
  const tkz::TCalibData before = map.GetCalibData();
  bool loaded = false;
  try {
    if (fromFile) {
      file.Write(data + 1, size - 1);
      loaded = map.LoadCalDataFromXML(file.Name(), id);
    } else {
      tkz::TStringStream s(text);
      loaded = map.LoadCalDataFromXML(s, id);
    }
  } catch (const tkz::ETKZGeoMapError&) {
    if (!(map.GetCalibData() == before) || map.GetCalibModel() != tkz::cmEquiRect) __builtin_trap();
  }
  if (loaded) Exercise(map);

  tkz::TCalibData d;
  tkz::TCalibModel model;
  try {
    tkz::TStringStream s(text);
    if (tkz::ParseCalibData(s, id, d, model)) CheckRecord(d);
  } catch (const tkz::ETKZGeoMapError&) {
  }
  return 0;
}
