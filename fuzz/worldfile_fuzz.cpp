// Random bytes as a world file, as a .prj file, or as ground control points
// (the first byte chooses), and what is read turned into a calibration.
// Reads must succeed or raise ETKZGeoMapError; what is accepted writes back
// to text that reads back the same, and calibrating from it either works or
// raises ETKZGeoMapError, after which every conversion runs without harm.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "geo/gisfiles.h"

namespace {

static_assert(sizeof(tkz::GroundControlPoint) == 32);

void Calibrate(const tkz::GeoReference& ref) {
  tkz::TGeoMap map;
  try {
    tkz::CalibrateFromReference(map, ref);
  } catch (const tkz::ETKZGeoMapError&) {
    return;
  }
  if (map.GetCalibData().NumCalQuads > tkz::kMaxCalQuads) __builtin_trap();
  for (double x : {0.0, 320.0, 640.0})
    for (double y : {0.0, 240.0, 480.0}) {
      bool v1, v2;
      const double lat = map.CalcLatitude(x, y, v1), lon = map.CalcLongitude(x, y, v2);
      if ((v1 && !std::isfinite(lat)) || (v2 && !std::isfinite(lon))) __builtin_trap();
      int px, py;
      if (v1 && v2) (void)map.CalcPixelCoords(lat, lon, px, py);
    }
  try {
    (void)tkz::GeoReferenceOfMap(map);
  } catch (const tkz::ETKZGeoMapError&) {
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const int mode = data[0] % 3;
  const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
  tkz::GeoReference ref;
  ref.Width = 640;
  ref.Height = 480;
  try {
    if (mode == 0) {
      tkz::ParseWorldFile(text, ref);
      tkz::GeoReference again;
      tkz::ParseWorldFile(tkz::WorldFileText(ref), again);
      for (size_t i = 0; i < 6; ++i) {
        const double a = ref.Transform[i], b = again.Transform[i];
        if (!(std::fabs(a - b) <= 1e-6 * std::fmax(1.0, std::fabs(a)))) __builtin_trap();
      }
    } else if (mode == 1) {
      ref.Crs = tkz::ParsePrj(text);
      if (tkz::ParsePrj(tkz::PrjText(ref.Crs)) != ref.Crs) __builtin_trap();
      ref.HasTransform = true;
      ref.Transform = {ref.Crs.Utm ? 400000.0 : 5.0, 1, 0, ref.Crs.Utm ? 5e6 : 50.0, 0, -1};
    } else {
      // Up to 250 points of four doubles: pixel, line, x, y.
      for (size_t p = 0; p + 32 <= text.size() && ref.Gcps.size() < 250; p += 32) {
        tkz::GroundControlPoint g;
        std::memcpy(&g, text.data() + p, 32);
        ref.Gcps.push_back(g);
      }
      ref.Crs.Utm = !ref.Gcps.empty() && (data[0] & 8);
      ref.Crs.Zone = 1 + data[0] % 60;
    }
  } catch (const tkz::ETKZGeoMapError&) {
    return 0;
  }
  Calibrate(ref);
  return 0;
}
