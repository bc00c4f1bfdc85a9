// GeoTIFF files: the image through libtiff, the coordinate system through
// libgeotiff's keys and its normalised definition (GTIFGetDefn, which looks
// EPSG codes up in PROJ's database).
//
// Writing: RGB, 8 bits a sample, deflate with the horizontal predictor,
// encoded in memory and written through WriteFileReplacing. The placement is
// ModelTiepoint + ModelPixelScale for a north-up mapping, ModelTransformation
// for any other mapping, or the GCPs as tie points; raster type PixelIsArea.
//
// Reading follows GDAL's reading of the same tags, in its order: pixel scale
// with a tie point (at any raster position) is a mapping; else a
// ModelTransformation; else the tie points are GCPs. A file of raster type
// PixelIsPoint names pixel centres: the mapping is moved by half a pixel and
// the GCPs' pixel and line by 0.5, as GDAL does by default, so that the
// result follows the pixel convention of gisfiles.h.
//
// Coordinate systems read: geographic in degrees from Greenwich, and
// Transverse Mercator with a UTM zone's parameters in metres, each on a
// datum whose ellipsoid's axes are within 1 mm of one of ours (the closest;
// among equal ones, the one named in the file's geographic citation, else
// the first of our table). EPSG:4326 is gelWGS84, EPSG:4258 and the
// ETRS89 / UTM zones gelGRS80, and so on.
//
// Bad input: libtiff's and libgeotiff's messages are caught per handle
// (nothing reaches standard error) and become the ETKZGeoMapError's text.
// The image size is checked against kMaxMapPixels before any pixel memory
// is taken, and libtiff's single allocations are bounded.
#include <geo_normalize.h>
#include <geotiff.h>
#include <geovalues.h>
#include <proj.h>
#include <tiffio.h>
#include <xtiffio.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "core/platform/imagefile.h"
#include "geo/gisfiles.h"
#include "geo/gisfiles_internal.h"

namespace tkz {

namespace {

using gisfiles_internal::NumberText;

// libtiff may take this much in one allocation: a strip or tile of a
// 3 000 000-pixel image at 16 bits in four samples, with room to spare.
constexpr tmsize_t kMaxTiffAlloc = tmsize_t{64} << 20;
// Rows per strip of written files aim at strips of about this many bytes.
constexpr uint32_t kStripBytes = 256 * 1024;
// Files are read whole up to this size; the first image is at most
// kMaxMapPixels, the rest (overviews, masks) is rarely much larger.
constexpr size_t kMaxFileBytes = size_t{256} << 20;
constexpr char kHandleName[] = "TIFF data";

[[noreturn]] void Fail(const std::string& file, const std::string& what) {
  throw ETKZGeoMapError((file.empty() ? std::string("GeoTIFF data") : "GeoTIFF \"" + file + "\"") +
                        ": " + what);
}

// ------------------------------------------------------------- messages
// The first error and warning that libtiff or libgeotiff reported for one
// handle.
struct Messages {
  std::string error, warning;
  std::string Text(const char* fallback) const {
    if (!error.empty()) return error;
    return warning.empty() ? fallback : std::string(fallback) + " (" + warning + ")";
  }
};

void Keep(std::string& into, const char* module, const char* fmt, va_list ap) {
  if (!into.empty()) return;
  char buf[512];
  std::vsnprintf(buf, sizeof buf, fmt ? fmt : "", ap);
  // The module is a function's name, or the name of our handle, which says
  // nothing.
  const bool named = module != nullptr && *module && std::strcmp(module, kHandleName) != 0;
  into = named ? std::string(module) + ": " + buf : std::string(buf);
}

int OnTiffError(TIFF*, void* user, const char* module, const char* fmt, va_list ap) {
  Keep(static_cast<Messages*>(user)->error, module, fmt, ap);
  return 1;  // handled: libtiff's process-wide handler is not called
}
int OnTiffWarning(TIFF*, void* user, const char* module, const char* fmt, va_list ap) {
  Keep(static_cast<Messages*>(user)->warning, module, fmt, ap);
  return 1;
}

void OnGeoTiffError(GTIF* gt, int, const char* fmt, ...) {
  auto* m = static_cast<Messages*>(GTIFGetUserData(gt));
  if (m == nullptr) return;
  va_list ap;
  va_start(ap, fmt);
  Keep(m->error, "libgeotiff", fmt, ap);
  va_end(ap);
}

// Open options with our handlers and the allocation bound.
class OpenOptions {
 public:
  explicit OpenOptions(Messages& m) : p_(TIFFOpenOptionsAlloc()) {
    if (p_ == nullptr) throw std::bad_alloc();
    TIFFOpenOptionsSetMaxSingleMemAlloc(p_, kMaxTiffAlloc);
    TIFFOpenOptionsSetErrorHandlerExtR(p_, &OnTiffError, &m);
    TIFFOpenOptionsSetWarningHandlerExtR(p_, &OnTiffWarning, &m);
  }
  ~OpenOptions() { TIFFOpenOptionsFree(p_); }
  OpenOptions(const OpenOptions&) = delete;
  OpenOptions& operator=(const OpenOptions&) = delete;
  TIFFOpenOptions* get() const { return p_; }

 private:
  TIFFOpenOptions* p_;
};

// libgeotiff's tags are known to libtiff through its tag extender.
void RegisterGeoTiffTags() {
  static std::once_flag once;
  std::call_once(once, [] { XTIFFInitialize(); });
}

struct TiffCloser {
  void operator()(TIFF* t) const { TIFFClose(t); }
};
using TiffPtr = std::unique_ptr<TIFF, TiffCloser>;

struct GtifFreer {
  void operator()(GTIF* g) const { GTIFFree(g); }
};
using GtifPtr = std::unique_ptr<GTIF, GtifFreer>;

// PROJ's context for libgeotiff's look-ups, with its log silenced.
struct ProjContext {
  PJ_CONTEXT* ctx = proj_context_create();
  ProjContext() {
    if (ctx != nullptr) proj_log_func(ctx, nullptr, [](void*, int, const char*) {});
  }
  ~ProjContext() {
    if (ctx != nullptr) proj_context_destroy(ctx);
  }
  ProjContext(const ProjContext&) = delete;
  ProjContext& operator=(const ProjContext&) = delete;
};

// ------------------------------------------------------ memory file procs
// A file in memory: read from (Data, Size), or written into Out. No C++
// exception may cross libtiff's frames, so the procs catch and report.
struct MemFile {
  const uint8_t* data = nullptr;
  uint64_t size = 0;
  std::vector<uint8_t>* out = nullptr;
  uint64_t pos = 0;
};

tmsize_t MemRead(thandle_t h, void* buf, tmsize_t n) {
  auto* f = static_cast<MemFile*>(h);
  if (n < 0) return -1;
  const uint8_t* src = f->out ? f->out->data() : f->data;
  const uint64_t size = f->out ? f->out->size() : f->size;
  if (f->pos >= size) return 0;
  const uint64_t k = std::min<uint64_t>(static_cast<uint64_t>(n), size - f->pos);
  std::memcpy(buf, src + f->pos, k);
  f->pos += k;
  return static_cast<tmsize_t>(k);
}

tmsize_t MemWrite(thandle_t h, void* buf, tmsize_t n) {
  auto* f = static_cast<MemFile*>(h);
  if (f->out == nullptr || n < 0) return -1;
  try {
    const uint64_t end = f->pos + static_cast<uint64_t>(n);
    if (end > f->out->size()) f->out->resize(end);
    std::memcpy(f->out->data() + f->pos, buf, static_cast<size_t>(n));
    f->pos = end;
  } catch (const std::exception&) {
    return -1;
  }
  return n;
}

toff_t MemSeek(thandle_t h, toff_t off, int whence) {
  auto* f = static_cast<MemFile*>(h);
  const uint64_t size = f->out ? f->out->size() : f->size;
  uint64_t base = 0;
  if (whence == SEEK_CUR) base = f->pos;
  if (whence == SEEK_END) base = size;
  // Offsets far beyond any file are refused rather than wrapped.
  if (off > (uint64_t{1} << 40) || base + off > (uint64_t{1} << 40)) return static_cast<toff_t>(-1);
  f->pos = base + off;
  return f->pos;
}

int MemClose(thandle_t) { return 0; }

toff_t MemSize(thandle_t h) {
  auto* f = static_cast<MemFile*>(h);
  return f->out ? f->out->size() : f->size;
}

int MemMap(thandle_t h, void** base, toff_t* size) {
  auto* f = static_cast<MemFile*>(h);
  if (f->out != nullptr) return 0;
  // libtiff only reads through the mapping of a file opened for reading.
  *base = const_cast<uint8_t*>(f->data);
  *size = f->size;
  return 1;
}

void MemUnmap(thandle_t, void*, toff_t) {}

TIFF* OpenMemory(MemFile& f, const char* mode, const OpenOptions& opts) {
  RegisterGeoTiffTags();
  return TIFFClientOpenExt(kHandleName, mode, &f, &MemRead, &MemWrite, &MemSeek, &MemClose,
                           &MemSize, &MemMap, &MemUnmap, opts.get());
}

// ---------------------------------------------------------------- writing
void CheckForWriting(const std::string& file, const TBitmap& image, const GeoReference& ref) {
  if (image.Empty()) Fail(file, "the image is empty");
  const GisCrs& crs = ref.Crs;
  if (crs.Ellipsoid >= kGeoEllipsoidCount)
    Fail(file, "invalid ellipsoid " + std::to_string(crs.Ellipsoid));
  if (crs.Utm && (crs.Zone < 1 || crs.Zone > 60))
    Fail(file, "invalid UTM zone " + std::to_string(crs.Zone));
  if (ref.HasTransform) {
    const auto& t = ref.Transform;
    if (!gisfiles_internal::MappingIsUsable(t))
      Fail(file, "the mapping is singular or holds a value that is not a finite number");
    return;
  }
  if (ref.Gcps.empty()) Fail(file, "no placement: neither a mapping nor ground control points");
  if (ref.Gcps.size() > static_cast<size_t>(kMaxGisGcps))
    Fail(file, std::to_string(ref.Gcps.size()) + " ground control points, more than the " +
                   std::to_string(kMaxGisGcps) + " a file may hold");
  for (const GroundControlPoint& g : ref.Gcps) {
    if (!std::isfinite(g.Pixel) || !std::isfinite(g.Line) || !std::isfinite(g.X) ||
        !std::isfinite(g.Y))
      Fail(file, "a ground control point holds a value that is not a finite number");
  }
}

// "GCS Name = ...|Datum = ...|Ellipsoid = ...|Primem = ...||", the form in
// which GDAL reads the names of a user-defined geographic system.
std::string GeogCitation(TGeoEllipsoid e) {
  const std::string name = GeoEllipsoidName[e];
  GisCrs geog;
  geog.Ellipsoid = e;
  return "GCS Name = " + geog.Name() + "|Datum = not specified (based on " + name +
         " ellipsoid)|Ellipsoid = " + name + "|Primem = Greenwich||";
}

// The keys of a geographic system on an ellipsoid other than WGS 84 (all
// user-defined but the prime meridian and the unit).
void SetUserGeographic(GTIF* gt, TGeoEllipsoid e) {
  GTIFKeySet(gt, GeographicTypeGeoKey, TYPE_SHORT, 1, KvUserDefined);
  GTIFKeySet(gt, GeogCitationGeoKey, TYPE_ASCII, 0, GeogCitation(e).c_str());
  GTIFKeySet(gt, GeogGeodeticDatumGeoKey, TYPE_SHORT, 1, KvUserDefined);
  GTIFKeySet(gt, GeogPrimeMeridianGeoKey, TYPE_SHORT, 1, PM_Greenwich);
  GTIFKeySet(gt, GeogAngularUnitsGeoKey, TYPE_SHORT, 1, Angular_Degree);
  GTIFKeySet(gt, GeogEllipsoidGeoKey, TYPE_SHORT, 1, KvUserDefined);
  GTIFKeySet(gt, GeogSemiMajorAxisGeoKey, TYPE_DOUBLE, 1, GeoEllipsoidData[e].a);
  GTIFKeySet(gt, GeogSemiMinorAxisGeoKey, TYPE_DOUBLE, 1, GeoEllipsoidData[e].b);
}

void SetCrsKeys(GTIF* gt, const GisCrs& crs) {
  GTIFKeySet(gt, GTRasterTypeGeoKey, TYPE_SHORT, 1, RasterPixelIsArea);
  GTIFKeySet(gt, GTCitationGeoKey, TYPE_ASCII, 0, crs.Name().c_str());
  const bool wgs84 = crs.Ellipsoid == gelWGS84;
  if (!crs.Utm) {
    GTIFKeySet(gt, GTModelTypeGeoKey, TYPE_SHORT, 1, ModelTypeGeographic);
    if (wgs84) {
      GTIFKeySet(gt, GeographicTypeGeoKey, TYPE_SHORT, 1, GCS_WGS_84);
      GTIFKeySet(gt, GeogAngularUnitsGeoKey, TYPE_SHORT, 1, Angular_Degree);
    } else {
      SetUserGeographic(gt, crs.Ellipsoid);
    }
    return;
  }
  GTIFKeySet(gt, GTModelTypeGeoKey, TYPE_SHORT, 1, ModelTypeProjected);
  if (wgs84) {
    GTIFKeySet(gt, ProjectedCSTypeGeoKey, TYPE_SHORT, 1, crs.Epsg());
    GTIFKeySet(gt, ProjLinearUnitsGeoKey, TYPE_SHORT, 1, Linear_Meter);
    return;
  }
  GTIFKeySet(gt, ProjectedCSTypeGeoKey, TYPE_SHORT, 1, KvUserDefined);
  GTIFKeySet(gt, PCSCitationGeoKey, TYPE_ASCII, 0, crs.Name().c_str());
  GTIFKeySet(gt, ProjectionGeoKey, TYPE_SHORT, 1, KvUserDefined);
  GTIFKeySet(gt, ProjCoordTransGeoKey, TYPE_SHORT, 1, CT_TransverseMercator);
  GTIFKeySet(gt, ProjLinearUnitsGeoKey, TYPE_SHORT, 1, Linear_Meter);
  GTIFKeySet(gt, ProjNatOriginLatGeoKey, TYPE_DOUBLE, 1, 0.0);
  GTIFKeySet(gt, ProjNatOriginLongGeoKey, TYPE_DOUBLE, 1, 6.0 * crs.Zone - 183.0);
  GTIFKeySet(gt, ProjScaleAtNatOriginGeoKey, TYPE_DOUBLE, 1, 0.9996);
  GTIFKeySet(gt, ProjFalseEastingGeoKey, TYPE_DOUBLE, 1, 500000.0);
  GTIFKeySet(gt, ProjFalseNorthingGeoKey, TYPE_DOUBLE, 1, crs.South ? 10000000.0 : 0.0);
  SetUserGeographic(gt, crs.Ellipsoid);
}

void SetPlacementTags(TIFF* tif, const GeoReference& ref) {
  if (ref.HasTransform) {
    const auto& t = ref.Transform;
    if (t[2] == 0 && t[4] == 0 && t[1] > 0 && t[5] < 0) {
      const double tie[6] = {0, 0, 0, t[0], t[3], 0};
      const double scale[3] = {t[1], -t[5], 0};
      TIFFSetField(tif, TIFFTAG_GEOTIEPOINTS, 6, tie);
      TIFFSetField(tif, TIFFTAG_GEOPIXELSCALE, 3, scale);
    } else {
      double m[16] = {};
      m[0] = t[1], m[1] = t[2], m[3] = t[0];
      m[4] = t[4], m[5] = t[5], m[7] = t[3];
      m[15] = 1;
      TIFFSetField(tif, TIFFTAG_GEOTRANSMATRIX, 16, m);
    }
    return;
  }
  std::vector<double> tie;
  tie.reserve(ref.Gcps.size() * 6);
  for (const GroundControlPoint& g : ref.Gcps)
    tie.insert(tie.end(), {g.Pixel, g.Line, 0, g.X, g.Y, 0});
  TIFFSetField(tif, TIFFTAG_GEOTIEPOINTS, static_cast<int>(tie.size()), tie.data());
}

std::vector<uint8_t> EncodeGeoTiff(const std::string& file, const TBitmap& image,
                                   const GeoReference& ref) {
  std::vector<uint8_t> out;
  MemFile mf;
  mf.out = &out;
  Messages msgs;
  const OpenOptions opts(msgs);
  TiffPtr tif(OpenMemory(mf, "w", opts));
  if (!tif) Fail(file, msgs.Text("cannot start the TIFF encoder"));
  const auto w = static_cast<uint32_t>(image.GetWidth());
  const auto h = static_cast<uint32_t>(image.GetHeight());
  TIFF* t = tif.get();
  TIFFSetField(t, TIFFTAG_IMAGEWIDTH, w);
  TIFFSetField(t, TIFFTAG_IMAGELENGTH, h);
  TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, 8);
  TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, 3);
  TIFFSetField(t, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
  TIFFSetField(t, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
  TIFFSetField(t, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT);
  TIFFSetField(t, TIFFTAG_COMPRESSION, COMPRESSION_ADOBE_DEFLATE);
  TIFFSetField(t, TIFFTAG_PREDICTOR, PREDICTOR_HORIZONTAL);
  TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, std::max<uint32_t>(1, kStripBytes / (3 * w)));
  TIFFSetField(t, TIFFTAG_SOFTWARE, "TKZ mapkit");
  SetPlacementTags(t, ref);

  std::vector<uint8_t> row(size_t{3} * w);
  for (uint32_t y = 0; y < h; ++y) {
    const uint32_t* src = image.ScanLine(static_cast<int32_t>(y));
    for (uint32_t x = 0; x < w; ++x) {
      row[3 * x] = static_cast<uint8_t>(src[x]);
      row[3 * x + 1] = static_cast<uint8_t>(src[x] >> 8);
      row[3 * x + 2] = static_cast<uint8_t>(src[x] >> 16);
    }
    if (TIFFWriteScanline(t, row.data(), y, 0) < 0)
      Fail(file, msgs.Text("cannot encode the image"));
  }

  {
    GtifPtr gt(GTIFNewEx(t, &OnGeoTiffError, &msgs));
    if (!gt) Fail(file, msgs.Text("cannot start the GeoTIFF keys"));
    SetCrsKeys(gt.get(), ref.Crs);
    if (!GTIFWriteKeys(gt.get())) Fail(file, msgs.Text("cannot write the GeoTIFF keys"));
  }
  if (!TIFFFlush(t)) Fail(file, msgs.Text("cannot write the TIFF directory"));
  tif.reset();
  if (!msgs.error.empty()) Fail(file, msgs.error);
  return out;
}

// ---------------------------------------------------------------- reading
// A tag of doubles as libtiff holds it (the count's width depends on how the
// tag was registered); empty when absent.
std::vector<double> DoubleTag(TIFF* tif, uint32_t tag) {
  const TIFFField* f = TIFFFindField(tif, tag, TIFF_ANY);
  if (f == nullptr || TIFFFieldDataType(f) != TIFF_DOUBLE || !TIFFFieldPassCount(f)) return {};
  const double* data = nullptr;
  uint32_t count = 0;
  if (TIFFFieldReadCount(f) == TIFF_VARIABLE2) {
    if (!TIFFGetField(tif, tag, &count, &data)) return {};
  } else {
    uint16_t c16 = 0;
    if (!TIFFGetField(tif, tag, &c16, &data)) return {};
    count = c16;
  }
  if (data == nullptr) return {};
  return std::vector<double>(data, data + count);
}

bool AllFinite(const std::vector<double>& v) {
  return std::all_of(v.begin(), v.end(), [](double x) { return std::isfinite(x); });
}

// Pixel scale and tie points, or the transformation, into Ref; false when
// the file has none of them.
bool ReadPlacement(const std::string& file, TIFF* tif, GTIF* gt, GeoReference& ref) {
  const std::vector<double> scale = DoubleTag(tif, TIFFTAG_GEOPIXELSCALE);
  const std::vector<double> tie = DoubleTag(tif, TIFFTAG_GEOTIEPOINTS);
  const std::vector<double> matrix = DoubleTag(tif, TIFFTAG_GEOTRANSMATRIX);
  unsigned short rasterType = RasterPixelIsArea;
  GTIFKeyGetSHORT(gt, GTRasterTypeGeoKey, &rasterType, 0, 1);
  const bool isPoint = rasterType == RasterPixelIsPoint;

  if (scale.size() >= 2 && tie.size() >= 6) {
    if (!AllFinite(scale) || !(scale[0] > 0) || !(scale[1] > 0))
      Fail(file, "invalid pixel scale " + NumberText(scale[0]) + ", " + NumberText(scale[1]));
    if (!std::isfinite(tie[0]) || !std::isfinite(tie[1]) || !std::isfinite(tie[3]) ||
        !std::isfinite(tie[4]))
      Fail(file, "a tie point holds a value that is not a finite number");
    ref.Transform = {tie[3] - tie[0] * scale[0], scale[0], 0,
                     tie[4] + tie[1] * scale[1], 0,        -scale[1]};
  } else if (!matrix.empty()) {
    if (matrix.size() != 16)
      Fail(file, "the model transformation has " + std::to_string(matrix.size()) +
                     " values instead of 16");
    ref.Transform = {matrix[3], matrix[0], matrix[1], matrix[7], matrix[4], matrix[5]};
  } else if (tie.size() >= 6) {
    if (tie.size() % 6 != 0)
      Fail(file, std::to_string(tie.size()) + " tie point values, not a multiple of 6");
    if (tie.size() / 6 > static_cast<size_t>(kMaxGisGcps))
      Fail(file, std::to_string(tie.size() / 6) + " ground control points, more than " +
                     std::to_string(kMaxGisGcps));
    if (!AllFinite(tie)) Fail(file, "a tie point holds a value that is not a finite number");
    for (size_t i = 0; i < tie.size(); i += 6) {
      GroundControlPoint g{tie[i], tie[i + 1], tie[i + 3], tie[i + 4]};
      if (isPoint) g.Pixel += 0.5, g.Line += 0.5;
      ref.Gcps.push_back(g);
    }
    return true;
  } else {
    return false;
  }
  auto& t = ref.Transform;
  if (isPoint) {
    t[0] -= 0.5 * t[1] + 0.5 * t[2];
    t[3] -= 0.5 * t[4] + 0.5 * t[5];
  }
  // Checked after the arithmetic, which may overflow.
  if (!gisfiles_internal::MappingIsUsable(t))
    Fail(file, "the mapping is singular or holds a value that is not a finite number");
  ref.HasTransform = true;
  return true;
}

std::string AsciiKey(GTIF* gt, geokey_t key) {
  char buf[512] = "";
  if (GTIFKeyGetASCII(gt, key, buf, sizeof buf) <= 0) return {};
  buf[sizeof buf - 1] = '\0';
  return buf;
}

// The ellipsoid's name in GDAL's geographic citation
// "GCS Name = ...|Datum = ...|Ellipsoid = NAME|Primem = ...||".
std::string CitedEllipsoid(const std::string& citation) {
  const size_t at = citation.find("Ellipsoid = ");
  if (at == std::string::npos) return {};
  const size_t from = at + 12, end = citation.find('|', from);
  return end == std::string::npos ? std::string() : citation.substr(from, end - from);
}

// The parameter of the normalised definition with the key Id.
bool Param(const GTIFDefn& d, int id, double& v) {
  for (int i = 0; i < std::min(d.nParms, MAX_GTIF_PROJPARMS); ++i) {
    if (d.ProjParmId[i] == id) {
      v = d.ProjParm[i];
      return true;
    }
  }
  return false;
}

// "EPSG:3857 (WGS 84 / Pseudo-Mercator)"; frees Name, which libgeotiff gave.
std::string EpsgText(int code, char* name) {
  std::string s = "EPSG:" + std::to_string(code);
  if (name != nullptr) s += std::string(" (") + name + ")";
  GTIFFreeMemory(name);
  return s;
}

// The system's EPSG code and name, or the projection method.
std::string DescribeCrs(GTIF* gt, void* ctx, const GTIFDefn& d) {
  if (d.PCS > 0 && d.PCS != KvUserDefined) {
    char* name = nullptr;
    if (!GTIFGetPCSInfoEx(ctx, d.PCS, &name, nullptr, nullptr, nullptr)) name = nullptr;
    return EpsgText(d.PCS, name);
  }
  if (d.Model == ModelTypeProjected) {
    const char* method = GTIFValueNameEx(gt, ProjCoordTransGeoKey, d.CTProjection);
    std::string s = std::string("projection ") + (method ? method : "unknown");
    const std::string cit = AsciiKey(gt, PCSCitationGeoKey);
    return cit.empty() ? s : s + " (" + cit + ")";
  }
  if (d.Model == ModelTypeGeographic) {
    if (d.GCS <= 0 || d.GCS == KvUserDefined) return "user-defined geographic";
    char* name = nullptr;
    if (!GTIFGetGCSInfoEx(ctx, d.GCS, &name, nullptr, nullptr, nullptr)) name = nullptr;
    return EpsgText(d.GCS, name);
  }
  return "model type " + std::to_string(d.Model);
}

// Units other than the metre and the degree are refused before libgeotiff
// converts with them (it looks unknown codes up through a PROJ context of its
// own, which would write to standard error).
void CheckUnitKeys(const std::string& file, GTIF* gt, void* ctx) {
  auto key = [gt](geokey_t k) {
    unsigned short v = 0;
    return GTIFKeyGetSHORT(gt, k, &v, 0, 1) == 1 ? static_cast<short>(v) : short{0};
  };
  GTIFDefn d{};
  d.Model = key(GTModelTypeGeoKey);
  d.PCS = key(ProjectedCSTypeGeoKey);
  d.GCS = key(GeographicTypeGeoKey);
  d.CTProjection = key(ProjCoordTransGeoKey);
  auto refuse = [&](const std::string& why) {
    Fail(file, "unsupported coordinate system: " + DescribeCrs(gt, ctx, d) + ", " + why);
  };
  constexpr unsigned short kDegreeSupplier = 9122;
  unsigned short v = 0;
  if (GTIFKeyGetSHORT(gt, GeogAngularUnitsGeoKey, &v, 0, 1) == 1 && v != Angular_Degree &&
      v != kDegreeSupplier)
    refuse("angular unit " + std::to_string(v) + " (degrees only)");
  for (geokey_t key : {GeogLinearUnitsGeoKey, ProjLinearUnitsGeoKey}) {
    if (GTIFKeyGetSHORT(gt, key, &v, 0, 1) == 1 && v != Linear_Meter)
      refuse("linear unit " + std::to_string(v) + " (metres only)");
  }
}

GisCrs ReadCrs(const std::string& file, GTIF* gt, PJ_CONTEXT* ctx) {
  CheckUnitKeys(file, gt, ctx);
  struct DefnFree {
    void operator()(GTIFDefn* d) const { GTIFFreeDefn(d); }
  };
  std::unique_ptr<GTIFDefn, DefnFree> defn(GTIFAllocDefn());
  if (!defn) throw std::bad_alloc();
  GTIFDefn& d = *defn;
  if (!GTIFGetDefn(gt, &d) || !d.DefnSet) Fail(file, "no coordinate system (no GeoTIFF keys)");
  // The key of the model is sometimes left out.
  short model = d.Model;
  if (model != ModelTypeGeographic && model != ModelTypeProjected) {
    if (d.PCS > 0 && d.PCS != KvUserDefined)
      model = ModelTypeProjected;
    else if (d.GCS > 0 && d.GCS != KvUserDefined)
      model = ModelTypeGeographic;
  }
  auto unsupported = [&](const std::string& why) {
    std::string s = "unsupported coordinate system: " + DescribeCrs(gt, ctx, d);
    Fail(file, why.empty() ? s : s + ", " + why);
  };
  if (model != ModelTypeGeographic && model != ModelTypeProjected) {
    if ((d.PCS <= 0 || d.PCS == KvUserDefined) && (d.GCS <= 0 || d.GCS == KvUserDefined))
      Fail(file, "no coordinate system (no model type in the GeoTIFF keys)");
    unsupported("");
  }

  GisCrs crs;
  if (model == ModelTypeProjected) {
    if (d.CTProjection != CT_TransverseMercator) unsupported("");
    double lat0 = NAN, lon0 = NAN, k0 = NAN, fe = NAN, fn = NAN;
    if (!Param(d, ProjNatOriginLatGeoKey, lat0) || !Param(d, ProjNatOriginLongGeoKey, lon0) ||
        !Param(d, ProjScaleAtNatOriginGeoKey, k0) || !Param(d, ProjFalseEastingGeoKey, fe) ||
        !Param(d, ProjFalseNorthingGeoKey, fn))
      unsupported("not the parameters of a UTM zone");
    const double zone = (lon0 + 183.0) / 6.0;
    const bool utm = std::fabs(lat0) < 1e-9 && std::fabs(k0 - 0.9996) < 1e-9 &&
                     std::fabs(fe - 500000.0) < 1e-6 &&
                     (std::fabs(fn) < 1e-6 || std::fabs(fn - 10000000.0) < 1e-6) &&
                     std::fabs(zone - std::round(zone)) < 1e-9 && std::round(zone) >= 1 &&
                     std::round(zone) <= 60;
    if (!utm) unsupported("not the parameters of a UTM zone");
    if (std::fabs(d.UOMLengthInMeters - 1.0) > 1e-12)
      unsupported("linear unit of " + NumberText(d.UOMLengthInMeters) + " m");
    crs.Utm = true;
    crs.Zone = static_cast<int>(std::round(zone));
    crs.South = fn > 1.0;
  } else if (std::fabs(d.UOMAngleInDegrees - 1.0) > 1e-12) {
    unsupported("angular unit of " + NumberText(d.UOMAngleInDegrees) + " degrees");
  }
  if (std::fabs(d.PMLongToGreenwich) > 1e-12)
    unsupported("prime meridian " + NumberText(d.PMLongToGreenwich) + " degrees from Greenwich");
  if (!gisfiles_internal::EllipsoidByAxes(d.SemiMajor, d.SemiMinor,
                                          CitedEllipsoid(AsciiKey(gt, GeogCitationGeoKey)),
                                          crs.Ellipsoid))
    unsupported("ellipsoid with axes " + NumberText(d.SemiMajor) + " m and " +
                NumberText(d.SemiMinor) + " m");
  return crs;
}

// Reads the first image of an open TIFF into Image and Ref; both are left
// alone on failure.
void ReadOpenTiff(const std::string& file, TIFF* tif, Messages& msgs, TBitmap& image,
                  GeoReference& ref) {
  uint32_t w = 0, h = 0;
  if (!TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &w) || !TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &h))
    Fail(file, msgs.Text("no image size"));
  if (w == 0 || h == 0)
    Fail(file, "empty image of " + std::to_string(w) + " x " + std::to_string(h) + " pixels");
  if (uint64_t{w} * h > static_cast<uint64_t>(kMaxMapPixels))
    Fail(file, "image of " + std::to_string(w) + " x " + std::to_string(h) +
                   " pixels, more than the " + std::to_string(kMaxMapPixels) +
                   " pixels a map may have");
  if (!TBitmap::SizeAllowed(w, h))
    Fail(file, "image of " + std::to_string(w) + " x " + std::to_string(h) +
                   " pixels is beyond the bitmap's limits");

  GeoReference result;
  result.Width = static_cast<int>(w);
  result.Height = static_cast<int>(h);
  {
    const ProjContext proj;  // outlives the keys, which use it
    GtifPtr gt(GTIFNewEx(tif, &OnGeoTiffError, &msgs));
    if (!gt) Fail(file, msgs.Text("damaged GeoTIFF keys"));
    if (proj.ctx != nullptr) GTIFAttachPROJContext(gt.get(), proj.ctx);
    if (!ReadPlacement(file, tif, gt.get(), result)) Fail(file, "no georeference");
    result.Crs = ReadCrs(file, gt.get(), proj.ctx);
  }

  char why[1024] = "";
  if (!TIFFRGBAImageOK(tif, why)) Fail(file, why[0] ? why : msgs.Text("unreadable image"));
  std::vector<uint32_t> raster(size_t{w} * h);
  if (!TIFFReadRGBAImageOriented(tif, w, h, raster.data(), ORIENTATION_TOPLEFT, 1))
    Fail(file, msgs.Text("cannot decode the image"));

  // libtiff gives A, B, G, R bytes with the colour multiplied by alpha;
  // pixels that are not opaque are laid over white.
  image.SetSizeForOverwrite(static_cast<int32_t>(w), static_cast<int32_t>(h));
  for (uint32_t y = 0; y < h; ++y) {
    uint32_t* dst = image.ScanLine(static_cast<int32_t>(y));
    const uint32_t* src = raster.data() + size_t{y} * w;
    for (uint32_t x = 0; x < w; ++x) {
      const uint32_t c = src[x];
      const uint32_t a = c >> 24;
      if (a == 255) {
        dst[x] = c & 0x00FFFFFFu;
        continue;
      }
      uint32_t out = 0;
      for (int k = 0; k < 3; ++k) {
        const uint32_t v = std::min<uint32_t>(255, ((c >> (8 * k)) & 0xFF) + (255 - a));
        out |= v << (8 * k);
      }
      dst[x] = out;
    }
  }
  ref = std::move(result);
}

// The file read whole: libtiff reads mapped memory more soundly than a file
// (libtiff 4.5 misreads uncompressed tiles through read calls), and the
// file form then behaves as the memory form does.
std::vector<uint8_t> ReadFileBounded(const std::string& file) {
  struct Closer {
    void operator()(FILE* f) const { std::fclose(f); }
  };
  std::unique_ptr<FILE, Closer> f(std::fopen(file.c_str(), "rb"));
  if (!f) Fail(file, std::string("cannot open: ") + std::strerror(errno));
  std::vector<uint8_t> data;
  size_t used = 0;
  for (;;) {
    if (used == data.size())
      data.resize(std::min(used + std::max<size_t>(size_t{1} << 16, used), kMaxFileBytes + 1));
    const size_t n = std::fread(data.data() + used, 1, data.size() - used, f.get());
    used += n;
    if (used > kMaxFileBytes)
      Fail(file, "file larger than " + std::to_string(kMaxFileBytes >> 20) + " MiB");
    if (n == 0) break;
  }
  if (std::ferror(f.get())) Fail(file, std::string("cannot read: ") + std::strerror(errno));
  data.resize(used);
  return data;
}

void ReadGeoTiffBytes(const std::string& file, const uint8_t* data, size_t size, TBitmap& image,
                      GeoReference& ref) {
  Messages msgs;
  const OpenOptions opts(msgs);
  MemFile mf;
  mf.data = data;
  mf.size = size;
  TiffPtr tif(OpenMemory(mf, "r", opts));
  if (!tif) Fail(file, msgs.Text("not a TIFF"));
  ReadOpenTiff(file, tif.get(), msgs, image, ref);
}

}  // namespace

void WriteGeoTiff(const std::string& FileName, const TBitmap& Image, const GeoReference& Ref) {
  CheckForWriting(FileName, Image, Ref);
  const std::vector<uint8_t> bytes = EncodeGeoTiff(FileName, Image, Ref);
  try {
    WriteFileReplacing(FileName, bytes);
  } catch (const ETKZError& e) {
    Fail(FileName, std::string("cannot write: ") + e.what());
  }
}

void ReadGeoTiff(const std::string& FileName, TBitmap& Image, GeoReference& Ref) {
  const std::vector<uint8_t> data = ReadFileBounded(FileName);
  ReadGeoTiffBytes(FileName, data.data(), data.size(), Image, Ref);
}

void ReadGeoTiff(const uint8_t* Data, size_t Size, TBitmap& Image, GeoReference& Ref) {
  ReadGeoTiffBytes("", Data, Data != nullptr ? Size : 0, Image, Ref);
}

}  // namespace tkz
