// Random bytes through the GeoTIFF reader. ETKZGeoMapError is the documented
// answer to bad data (EInvalidGraphic where the bitmap itself refuses);
// anything else (another exception, a crash, a sanitizer report) is a
// finding. What is read must be sound: an image of the size the placement
// names and at most kMaxMapPixels, the top byte of every pixel 0, a finite
// non-singular mapping or at most kMaxGisGcps finite GCPs, a UTM zone in
// 1..60; written again and read back, it comes back unchanged.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "fuzz/temp_file.h"
#include "geo/gisfiles.h"

namespace {

bool Finite(double v) { return std::isfinite(v); }

void CheckSound(const tkz::TBitmap& image, const tkz::GeoReference& ref) {
  if (image.GetWidth() != ref.Width || image.GetHeight() != ref.Height || ref.Width <= 0 ||
      ref.Height <= 0 || int64_t{ref.Width} * ref.Height > tkz::kMaxMapPixels)
    std::abort();
  const size_t n = static_cast<size_t>(ref.Width) * static_cast<size_t>(ref.Height);
  for (size_t i = 0; i < n; ++i) {
    if (image.Bits()[i] >> 24) std::abort();
  }
  if (ref.HasTransform) {
    const auto& t = ref.Transform;
    for (double v : t) {
      if (!Finite(v)) std::abort();
    }
    if (t[1] * t[5] - t[2] * t[4] == 0 || !ref.Gcps.empty()) std::abort();
  } else {
    if (ref.Gcps.empty() || ref.Gcps.size() > static_cast<size_t>(tkz::kMaxGisGcps)) std::abort();
    for (const tkz::GroundControlPoint& g : ref.Gcps) {
      if (!Finite(g.Pixel) || !Finite(g.Line) || !Finite(g.X) || !Finite(g.Y)) std::abort();
    }
  }
  if (ref.Crs.Ellipsoid >= tkz::kGeoEllipsoidCount) std::abort();
  if (ref.Crs.Utm ? ref.Crs.Zone < 1 || ref.Crs.Zone > 60 : ref.Crs.Zone != 0) std::abort();
}

bool Same(const tkz::TBitmap& a, const tkz::TBitmap& b) {
  if (a.GetWidth() != b.GetWidth() || a.GetHeight() != b.GetHeight()) return false;
  const size_t n = static_cast<size_t>(a.GetWidth()) * static_cast<size_t>(a.GetHeight());
  return std::memcmp(a.Bits(), b.Bits(), n * sizeof(uint32_t)) == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > (size_t{1} << 20)) return 0;
  tkz::TBitmap image;
  tkz::GeoReference ref;
  try {
    tkz::ReadGeoTiff(data, size, image, ref);
  } catch (const tkz::ETKZGeoMapError&) {
    return 0;
  } catch (const tkz::EInvalidGraphic&) {
    return 0;
  }
  CheckSound(image, ref);
  // What was read is written and read back unchanged (small images only).
  if (int64_t{ref.Width} * ref.Height > (int64_t{1} << 16)) return 0;
  static const tkz::fuzzing::TempFile tmp("geotiff");
  tkz::WriteGeoTiff(tmp.Name(), image, ref);
  tkz::TBitmap back;
  tkz::GeoReference again;
  tkz::ReadGeoTiff(tmp.Name(), back, again);
  if (!Same(image, back) || again.Crs != ref.Crs || again.HasTransform != ref.HasTransform ||
      again.Gcps != ref.Gcps || (ref.HasTransform && again.Transform != ref.Transform))
    std::abort();
  return 0;
}
