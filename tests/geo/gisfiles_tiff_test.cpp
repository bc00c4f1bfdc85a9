// GeoTIFF files: our writer through our reader, our files read by GDAL
// (gdalinfo, gdal_translate) and GDAL's files read by us, and bad input. The
// GDAL tests skip when its command-line tools are not installed.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "core/platform/imagefile.h"
#include "geo/gisfiles.h"
#include "support/temp_dir.h"

namespace tkz {
namespace {

using json = nlohmann::json;

bool HaveGdal() {
  return std::system(
             "command -v gdalinfo >/dev/null 2>&1 && "
             "command -v gdal_translate >/dev/null 2>&1") == 0;
}

// The standard output of a shell command; Status gets its exit status.
std::string Shell(const std::string& cmd, int& status) {
  std::string out;
  FILE* p = ::popen(cmd.c_str(), "r");
  if (p == nullptr) {
    status = -1;
    return out;
  }
  char buf[4096];
  for (size_t n; (n = std::fread(buf, 1, sizeof buf, p)) > 0;) out.append(buf, n);
  status = ::pclose(p);
  return out;
}

void Pattern(TBitmap& b, int w, int h) {
  b.SetSize(w, h);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      b.ScanLine(y)[x] = static_cast<uint32_t>((x * 7 + y) & 255) |
                         static_cast<uint32_t>((y * 13) & 255) << 8 |
                         static_cast<uint32_t>((x * y + 50) & 255) << 16;
    }
  }
}

bool SamePixels(const TBitmap& a, const TBitmap& b) {
  if (a.GetWidth() != b.GetWidth() || a.GetHeight() != b.GetHeight()) return false;
  for (int y = 0; y < a.GetHeight(); ++y) {
    if (std::memcmp(a.ScanLine(y), b.ScanLine(y), sizeof(uint32_t) * a.GetWidth()) != 0)
      return false;
  }
  return true;
}

GisCrs Crs(bool utm, int zone, bool south, TGeoEllipsoid e) {
  GisCrs c;
  c.Utm = utm, c.Zone = zone, c.South = south, c.Ellipsoid = e;
  return c;
}

GeoReference Affine(GisCrs crs, std::array<double, 6> t) {
  GeoReference r;
  r.Crs = crs;
  r.HasTransform = true;
  r.Transform = t;
  return r;
}

GeoReference Gcps(GisCrs crs, std::vector<GroundControlPoint> g) {
  GeoReference r;
  r.Crs = crs;
  r.Gcps = std::move(g);
  return r;
}

struct Case {
  const char* name;
  GeoReference ref;
};

std::vector<Case> WriterCases() {
  const GisCrs wgs = Crs(false, 0, false, gelWGS84);
  return {
      {"geographic north-up", Affine(wgs, {5.25, 0.001, 0, 47.5, 0, -0.00075})},
      {"geographic rotated", Affine(wgs, {5.25, 0.001, 0.0002, 47.5, 0.0001, -0.00075})},
      {"geographic on GRS 80", Affine(Crs(false, 0, false, gelGRS80), {-3, 0.01, 0, 40, 0, -0.01})},
      {"UTM 33N WGS 84", Affine(Crs(true, 33, false, gelWGS84), {400000, 10, 0, 5300000, 0, -10})},
      {"UTM 23S WGS 84", Affine(Crs(true, 23, true, gelWGS84), {300000, 2.5, 0, 7400000, 0, -2.5})},
      {"UTM 32N International 1924",
       Affine(Crs(true, 32, false, gelInt24), {500000.5, 5, 0, 5100000, 0, -5})},
      {"UTM 18N Clarke 1866 rotated",
       Affine(Crs(true, 18, false, gelClrk66), {580000, 4, 1, 4500000, 1, -4})},
      {"GCPs geographic",
       Gcps(wgs, {{0, 0, 5, 47}, {40, 0, 5.4, 47.02}, {0, 30, 4.98, 46.7}, {40, 30, 5.41, 46.73}})},
      {"GCPs UTM on Bessel", Gcps(Crs(true, 33, false, gelBess41), {{0.5, 0.5, 400000, 5300000},
                                                                    {39.5, 1, 400390, 5299990},
                                                                    {20, 29.5, 400200, 5299705}})},
  };
}

// The number after Key in WKT text, NaN when Key is absent.
double WktNumber(const std::string& wkt, const std::string& key) {
  const size_t at = wkt.find(key);
  if (at == std::string::npos) return NAN;
  return std::strtod(wkt.c_str() + at + key.size(), nullptr);
}

// The EPSG code of the whole system: the last ID of the WKT.
int WktEpsg(const std::string& wkt) {
  const size_t at = wkt.rfind("ID[\"EPSG\",");
  if (at == std::string::npos || wkt.find(']', at) + 2 < wkt.size()) return 0;
  return std::atoi(wkt.c_str() + at + 10);
}

void ExpectCrsInWkt(const GisCrs& crs, const std::string& wkt) {
  if (crs.Epsg() != 0) {
    EXPECT_EQ(WktEpsg(wkt), crs.Epsg()) << wkt;
    return;
  }
  EXPECT_EQ(WktEpsg(wkt), 0) << wkt;
  const double a = GeoEllipsoidData[crs.Ellipsoid].a, b = GeoEllipsoidData[crs.Ellipsoid].b;
  const std::string ell = std::string("ELLIPSOID[\"") + GeoEllipsoidName[crs.Ellipsoid] + "\",";
  EXPECT_NEAR(WktNumber(wkt, ell), a, 1e-6) << wkt;
  const size_t at = wkt.find(ell);
  ASSERT_NE(at, std::string::npos) << wkt;
  const double invf = WktNumber(wkt.substr(wkt.find(',', at + ell.size()) + 1), "");
  EXPECT_NEAR(invf, a / (a - b), 1e-6 * invf) << wkt;
  if (crs.Utm) {
    EXPECT_NE(wkt.find("METHOD[\"Transverse Mercator\""), std::string::npos) << wkt;
    EXPECT_EQ(WktNumber(wkt, "\"Latitude of natural origin\","), 0);
    EXPECT_EQ(WktNumber(wkt, "\"Longitude of natural origin\","), 6 * crs.Zone - 183);
    EXPECT_EQ(WktNumber(wkt, "\"Scale factor at natural origin\","), 0.9996);
    EXPECT_EQ(WktNumber(wkt, "\"False easting\","), 500000);
    EXPECT_EQ(WktNumber(wkt, "\"False northing\","), crs.South ? 10000000 : 0);
  } else {
    EXPECT_EQ(wkt.rfind("GEOGCRS[", 0), 0u) << wkt;
  }
}

void ExpectNearRel(double got, double want, const std::string& what) {
  EXPECT_NEAR(got, want, 1e-9 * std::max(1.0, std::fabs(want))) << what;
}

class GisTiff : public testing_support::TempDirTest {
 protected:
  GeoReference ReadBack(const std::string& file, TBitmap& image) {
    GeoReference ref;
    ReadGeoTiff(file, image, ref);
    return ref;
  }
  // The image as GDAL decodes it, through a PNG file.
  void GdalPixels(const std::string& file, TBitmap& b) {
    int status = 0;
    Shell("gdal_translate -q -of PNG '" + file + "' '" + file + ".png' 2>&1", status);
    if (status == 0) LoadBitmapFromFile(b, file + ".png");
  }
};

// ------------------------------------------------------------ round trip
TEST_F(GisTiff, OurFilesReadBackExactlyFromFileAndMemory) {
  TBitmap image;
  Pattern(image, 40, 30);
  for (const Case& c : WriterCases()) {
    SCOPED_TRACE(c.name);
    const std::string file = Path("rt.tif");
    WriteGeoTiff(file, image, c.ref);
    TBitmap back;
    GeoReference ref = ReadBack(file, back);
    EXPECT_TRUE(SamePixels(back, image));
    EXPECT_EQ(ref.Width, 40);
    EXPECT_EQ(ref.Height, 30);
    EXPECT_EQ(ref.Crs, c.ref.Crs);
    EXPECT_EQ(ref.HasTransform, c.ref.HasTransform);
    if (c.ref.HasTransform) {
      EXPECT_EQ(ref.Transform, c.ref.Transform);
    }
    EXPECT_EQ(ref.Gcps, c.ref.Gcps);

    const std::string bytes = Slurp(file);
    TBitmap fromMemory;
    GeoReference memRef;
    ReadGeoTiff(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), fromMemory, memRef);
    EXPECT_TRUE(SamePixels(fromMemory, image));
    EXPECT_EQ(memRef.Crs, ref.Crs);
    EXPECT_EQ(memRef.Transform, ref.Transform);
    EXPECT_EQ(memRef.Gcps, ref.Gcps);
  }
}

// ------------------------------------------------------- GDAL as oracle
TEST_F(GisTiff, GdalReadsOurFiles) {
  if (!HaveGdal()) GTEST_SKIP() << "GDAL's command-line tools are not installed";
  TBitmap image;
  Pattern(image, 40, 30);
  for (const Case& c : WriterCases()) {
    SCOPED_TRACE(c.name);
    const std::string file = Path("ours.tif");
    WriteGeoTiff(file, image, c.ref);
    int status = 0;
    const json info = json::parse(Shell("gdalinfo -json '" + file + "' 2>/dev/null", status));
    ASSERT_EQ(status, 0);
    EXPECT_EQ(info["size"], json({40, 30}));
    EXPECT_EQ(info["metadata"][""]["AREA_OR_POINT"], "Area");
    if (c.ref.HasTransform) {
      ExpectCrsInWkt(c.ref.Crs, info["coordinateSystem"]["wkt"].get<std::string>());
      ASSERT_TRUE(info.contains("geoTransform"));
      for (int i = 0; i < 6; ++i)
        ExpectNearRel(info["geoTransform"][i].get<double>(), c.ref.Transform[i],
                      "T" + std::to_string(i));
      EXPECT_FALSE(info.contains("gcps"));
    } else {
      ASSERT_TRUE(info.contains("gcps"));
      ExpectCrsInWkt(c.ref.Crs, info["gcps"]["coordinateSystem"]["wkt"].get<std::string>());
      const json& list = info["gcps"]["gcpList"];
      ASSERT_EQ(list.size(), c.ref.Gcps.size());
      for (size_t i = 0; i < list.size(); ++i) {
        EXPECT_EQ(list[i]["pixel"].get<double>(), c.ref.Gcps[i].Pixel);
        EXPECT_EQ(list[i]["line"].get<double>(), c.ref.Gcps[i].Line);
        EXPECT_EQ(list[i]["x"].get<double>(), c.ref.Gcps[i].X);
        EXPECT_EQ(list[i]["y"].get<double>(), c.ref.Gcps[i].Y);
      }
      EXPECT_FALSE(info.contains("geoTransform"));
    }
    TBitmap gdal;
    GdalPixels(file, gdal);
    EXPECT_TRUE(SamePixels(gdal, image));
  }
}

// Files that gdal_translate makes from a PNG, read back into what was asked
// of it; with AREA_OR_POINT=Point we agree with what gdalinfo reports.
TEST_F(GisTiff, ReadsGdalFiles) {
  if (!HaveGdal()) GTEST_SKIP() << "GDAL's command-line tools are not installed";
  TBitmap image;
  Pattern(image, 20, 10);
  WriteFileReplacing(Path("in.png"), SavePNG(image));
  const std::string ullr = " -a_ullr 400000 5300000 400200 5299950";
  const std::array<double, 6> utmT = {400000, 10, 0, 5300000, 0, -5};
  const std::string gcp = " -gcp 0 0 5 47 -gcp 20 0 5.2 47.01 -gcp 0 10 4.99 46.9";
  const std::vector<GroundControlPoint> gcps = {
      {0, 0, 5, 47}, {20, 0, 5.2, 47.01}, {0, 10, 4.99, 46.9}};
  struct GdalCase {
    const char* args;
    GisCrs crs;
    bool affine;
  };
  const GdalCase cases[] = {
      {"-a_srs EPSG:32633", Crs(true, 33, false, gelWGS84), true},
      {"-a_srs EPSG:32717 -co TILED=YES -co BLOCKXSIZE=16 -co BLOCKYSIZE=16",
       Crs(true, 17, true, gelWGS84), true},
      {"-a_srs EPSG:25832 -co COMPRESS=LZW", Crs(true, 32, false, gelGRS80), true},
      {"-a_srs EPSG:26915", Crs(true, 15, false, gelGRS80), true},
      {"-a_srs EPSG:23031", Crs(true, 31, false, gelInt24), true},
      {"-a_srs EPSG:4326", Crs(false, 0, false, gelWGS84), false},
      {"-a_srs EPSG:4258 -co COMPRESS=DEFLATE -co PREDICTOR=2", Crs(false, 0, false, gelGRS80),
       false},
      {"-a_srs EPSG:32633 -mo AREA_OR_POINT=Point", Crs(true, 33, false, gelWGS84), true},
      {"-a_srs EPSG:4326 -mo AREA_OR_POINT=Point", Crs(false, 0, false, gelWGS84), false},
      {"-a_srs '+proj=utm +zone=35 +south +ellps=krass +units=m'", Crs(true, 35, true, gelKrass40),
       true},
      {"-a_srs EPSG:4230", Crs(false, 0, false, gelInt24), false},
  };
  for (const GdalCase& c : cases) {
    SCOPED_TRACE(c.args);
    const std::string file = Path("gdal.tif");
    int status = 0;
    Shell("gdal_translate -q -of GTiff " + std::string(c.args) + (c.affine ? ullr : gcp) + " '" +
              Path("in.png") + "' '" + file + "' 2>&1",
          status);
    ASSERT_EQ(status, 0);
    const json info = json::parse(Shell("gdalinfo -json '" + file + "' 2>/dev/null", status));
    TBitmap back;
    const GeoReference ref = ReadBack(file, back);
    EXPECT_TRUE(SamePixels(back, image));
    EXPECT_EQ(ref.Crs, c.crs);
    EXPECT_EQ(ref.HasTransform, c.affine);
    if (c.affine) {
      for (int i = 0; i < 6; ++i) {
        ExpectNearRel(ref.Transform[i], utmT[i], "asked T" + std::to_string(i));
        ExpectNearRel(ref.Transform[i], info["geoTransform"][i].get<double>(), "gdalinfo");
      }
    } else {
      ASSERT_EQ(ref.Gcps.size(), gcps.size());
      for (size_t i = 0; i < gcps.size(); ++i) {
        const json& g = info["gcps"]["gcpList"][i];
        EXPECT_EQ(ref.Gcps[i].Pixel, g["pixel"].get<double>());
        EXPECT_EQ(ref.Gcps[i].Line, g["line"].get<double>());
        EXPECT_EQ(ref.Gcps[i].X, gcps[i].X);
        EXPECT_EQ(ref.Gcps[i].Y, gcps[i].Y);
      }
    }
  }
}

// Other layouts come out as GDAL decodes them (to a PNG file): grey, 16
// bits a sample, a palette, JPEG in YCbCr (within the decoders' rounding);
// unassociated alpha is laid over white.
TEST_F(GisTiff, ReadsOtherPixelLayouts) {
  if (!HaveGdal()) GTEST_SKIP() << "GDAL's command-line tools are not installed";
  TBitmap image;
  Pattern(image, 20, 10);
  WriteFileReplacing(Path("in.png"), SavePNG(image));
  std::string palette;
  for (int i = 0; i < 256; ++i) {
    palette += "<Entry c1=\"" + std::to_string(i * 37 % 256) + "\" c2=\"" +
               std::to_string(i * 11 % 256) + "\" c3=\"" + std::to_string(255 - i) +
               "\" c4=\"255\"/>";
  }
  Put(Path("pal.vrt"),
      "<VRTDataset rasterXSize=\"20\" rasterYSize=\"10\"><VRTRasterBand "
      "dataType=\"Byte\" band=\"1\"><ColorInterp>Palette</ColorInterp>"
      "<ColorTable>" +
          palette + "</ColorTable><SimpleSource><SourceFilename>" + Path("in.png") +
          "</SourceFilename><SourceBand>1</SourceBand>"
          "</SimpleSource></VRTRasterBand></VRTDataset>");
  const struct {
    const char* args;  // for the GeoTIFF
    const char* png;   // for GDAL's decoding of it
    int tolerance;
  } cases[] = {
      {"-b 2 in.png", "", 0},
      {"-ot UInt16 -scale 0 255 0 65535 in.png", "-ot Byte -scale 0 65535 0 255", 0},
      {"pal.vrt", "-expand rgb", 0},
      {"-co TILED=YES -co BLOCKXSIZE=16 -co BLOCKYSIZE=16 -co COMPRESS=LZW pal.vrt", "-expand rgb",
       0},
      {"-co COMPRESS=JPEG -co PHOTOMETRIC=YCBCR in.png", "", 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args);
    int status = 0;
    Shell("cd '" + dir_ + "' && gdal_translate -q -a_srs EPSG:4326 -a_ullr 5 47 6 46 " + c.args +
              " x.tif 2>&1 && gdal_translate -q -of PNG " + c.png + " x.tif x.png 2>&1",
          status);
    ASSERT_EQ(status, 0);
    TBitmap ours, gdal;
    ReadBack(Path("x.tif"), ours);
    LoadBitmapFromFile(gdal, Path("x.png"));
    ASSERT_EQ(ours.GetWidth(), gdal.GetWidth());
    ASSERT_EQ(ours.GetHeight(), gdal.GetHeight());
    int worst = 0;
    for (int y = 0; y < 10; ++y) {
      for (int x = 0; x < 20; ++x) {
        for (int k = 0; k < 24; k += 8) {
          worst = std::max(worst, std::abs(static_cast<int>((ours.ScanLine(y)[x] >> k) & 255) -
                                           static_cast<int>((gdal.ScanLine(y)[x] >> k) & 255)));
        }
      }
    }
    EXPECT_LE(worst, c.tolerance);
  }

  int status = 0;
  Shell("cd '" + dir_ +
            "' && gdal_translate -q -b 1 -b 2 -b 3 -b 1 -co ALPHA=YES -a_srs EPSG:4326 "
            "-a_ullr 5 47 6 46 in.png x.tif 2>&1",
        status);
  ASSERT_EQ(status, 0);
  TBitmap alpha;
  ReadBack(Path("x.tif"), alpha);
  for (int y = 0; y < 10; ++y) {
    for (int x = 0; x < 20; ++x) {
      const uint32_t c = image.ScanLine(y)[x];
      const uint32_t a = c & 255;
      for (int k = 0; k < 3; ++k) {
        const double want = ((c >> (8 * k)) & 255) * a / 255.0 + 255 - a;
        EXPECT_NEAR(static_cast<double>((alpha.ScanLine(y)[x] >> (8 * k)) & 255), want, 1.0);
      }
    }
  }
}

// --------------------------------------------------------------- refusals
void ExpectRefused(const std::function<void()>& f, const std::string& part) {
  try {
    f();
    ADD_FAILURE() << "no error, expected one with \"" << part << "\"";
  } catch (const ETKZGeoMapError& e) {
    EXPECT_NE(std::string(e.what()).find(part), std::string::npos) << e.what();
  }
}

TEST_F(GisTiff, RefusesGdalFilesWithoutOurSystems) {
  if (!HaveGdal()) GTEST_SKIP() << "GDAL's command-line tools are not installed";
  TBitmap image;
  Pattern(image, 8, 8);
  WriteFileReplacing(Path("in.png"), SavePNG(image));
  const struct {
    const char* args;
    const char* message;
  } cases[] = {
      {"-a_srs EPSG:3857 -a_ullr 0 100 80 20",
       "unsupported coordinate system: EPSG:3857 (WGS 84 / Pseudo-Mercator)"},
      {"-a_srs EPSG:2154 -a_ullr 0 100 80 20", "unsupported coordinate system: EPSG:2154"},
      {"-a_srs EPSG:27700 -a_ullr 0 100 80 20", "EPSG:27700 (OSGB36 / British National Grid)"},
      {"-a_srs '+proj=tmerc +lon_0=10 +k=0.9996 +x_0=500000 +ellps=WGS84' -a_ullr 0 100 80 20",
       "CT_TransverseMercator, not the parameters of a UTM zone"},
      {"-a_srs '+proj=longlat +a=6400000 +b=6350000' -a_ullr 5 47 6 46",
       "ellipsoid with axes 6400000 m"},
      {"-a_srs EPSG:32633 -a_ullr 0 100 80 20 -co PROFILE=BASELINE", "no georeference"},
      {"-a_ullr 5 47 6 46", "no coordinate system"},
      {"-a_srs EPSG:4807 -a_ullr 5 47 6 46",
       "unsupported coordinate system: EPSG:4807 (NTF (Paris)), angular unit 9105"},
      {"", "no georeference"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args);
    int status = 0;
    Shell("gdal_translate -q " + std::string(c.args) + " '" + Path("in.png") + "' '" +
              Path("x.tif") + "' 2>&1",
          status);
    ASSERT_EQ(status, 0);
    TBitmap back;
    ExpectRefused([&] { ReadBack(Path("x.tif"), back); }, c.message);
  }
}

// A little-endian TIFF with one strip of grey pixels, for files no program
// writes: a 2 x 2 image, geographic WGS 84, with whatever tags a case puts
// in or takes out.
struct TiffTag {
  uint16_t tag, type;
  uint32_t count;
  std::vector<uint8_t> data;  // inline when 4 bytes or fewer
};

TiffTag LongTag(uint16_t tag, uint32_t v) {
  return {tag, 4, 1, {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)}};
}
TiffTag ShortsTag(uint16_t tag, std::vector<uint16_t> v) {
  TiffTag t{tag, 3, static_cast<uint32_t>(v.size()), {}};
  for (uint16_t s : v) t.data.insert(t.data.end(), {uint8_t(s), uint8_t(s >> 8)});
  return t;
}
TiffTag DoublesTag(uint16_t tag, std::vector<double> v) {
  TiffTag t{tag, 12, static_cast<uint32_t>(v.size()), {}};
  t.data.resize(v.size() * 8);
  std::memcpy(t.data.data(), v.data(), t.data.size());
  return t;
}

constexpr uint16_t kWidth = 256, kHeight = 257, kStripOffsets = 273, kStripBytes = 279;
constexpr uint16_t kScale = 33550, kTie = 33922, kMatrix = 34264, kKeys = 34735;

std::vector<TiffTag> BaseTags() {
  return {LongTag(kWidth, 2),
          LongTag(kHeight, 2),
          ShortsTag(258, {8}),
          ShortsTag(262, {1}),
          LongTag(kStripOffsets, 8),  // the pixels follow the header
          ShortsTag(277, {1}),
          LongTag(278, 2),
          LongTag(kStripBytes, 4),
          DoublesTag(kScale, {0.5, 0.25, 0}),
          DoublesTag(kTie, {1, 1, 0, 10, 50, 0}),
          ShortsTag(kKeys, {1, 1, 0, 2, 1024, 0, 1, 2, 2048, 0, 1, 4326})};
}

std::string BuildTiff(std::vector<TiffTag> tags) {
  std::sort(tags.begin(), tags.end(),
            [](const TiffTag& a, const TiffTag& b) { return a.tag < b.tag; });
  std::string f = "II*";
  f += '\0';
  auto put32 = [&f](uint32_t v) {
    for (int i = 0; i < 4; ++i) f += static_cast<char>(v >> (8 * i));
  };
  auto put16 = [&f](uint16_t v) { f += static_cast<char>(v), f += static_cast<char>(v >> 8); };
  put32(12);
  f += std::string("\x10\x80\xC0\xFF", 4);  // the pixels
  std::string extra;
  const uint32_t extraAt = 12 + 2 + 12 * static_cast<uint32_t>(tags.size()) + 4;
  put16(static_cast<uint16_t>(tags.size()));
  for (const TiffTag& t : tags) {
    put16(t.tag), put16(t.type), put32(t.count);
    if (t.data.size() <= 4) {
      std::string v(t.data.begin(), t.data.end());
      f += v + std::string(4 - v.size(), '\0');
    } else {
      put32(extraAt + static_cast<uint32_t>(extra.size()));
      extra.append(t.data.begin(), t.data.end());
    }
  }
  put32(0);
  return f + extra;
}

std::vector<TiffTag> With(std::vector<TiffTag> tags, const TiffTag& t) {
  for (TiffTag& old : tags) {
    if (old.tag == t.tag) {
      old = t;
      return tags;
    }
  }
  tags.push_back(t);
  return tags;
}
std::vector<TiffTag> Without(std::vector<TiffTag> tags, uint16_t tag) {
  std::erase_if(tags, [tag](const TiffTag& t) { return t.tag == tag; });
  return tags;
}

TEST_F(GisTiff, CraftedFilesReadOrAreRefusedQuietly) {
  // The well-formed base reads: tie point (1, 1) -> (10, 50) at 0.5 x 0.25.
  const std::string good = BuildTiff(BaseTags());
  TBitmap image;
  GeoReference ref;
  ReadGeoTiff(reinterpret_cast<const uint8_t*>(good.data()), good.size(), image, ref);
  EXPECT_EQ(ref.Transform, (std::array<double, 6>{9.5, 0.5, 0, 50.25, 0, -0.25}));
  EXPECT_EQ(ref.Crs, GisCrs{});
  EXPECT_EQ(image.ScanLine(1)[1], 0xFFFFFFu);
  EXPECT_EQ(image.ScanLine(0)[1], 0x808080u);
  // Raster type PixelIsPoint moves the mapping by half a pixel.
  const std::string point = BuildTiff(With(
      BaseTags(), ShortsTag(kKeys, {1, 1, 0, 3, 1024, 0, 1, 2, 1025, 0, 1, 2, 2048, 0, 1, 4326})));
  ReadGeoTiff(reinterpret_cast<const uint8_t*>(point.data()), point.size(), image, ref);
  EXPECT_EQ(ref.Transform, (std::array<double, 6>{9.25, 0.5, 0, 50.375, 0, -0.25}));

  std::vector<double> manyTies;
  for (int i = 0; i <= kMaxGisGcps; ++i) manyTies.insert(manyTies.end(), {1.0 * i, 0, 0, 1, 2, 0});
  const double nan = NAN;
  const struct {
    const char* name;
    std::string file;
    const char* message;
  } cases[] = {
      {"not a TIFF", "\x89PNG\r\n\x1a\n-------------", "Not a TIFF"},
      {"empty", "", ""},
      {"huge image",
       BuildTiff(With(With(With(BaseTags(), LongTag(kWidth, 100000)), LongTag(kHeight, 100000)),
                      LongTag(278, 100000))),
       "100000 x 100000 pixels, more than the 3000000"},
      {"zero width", BuildTiff(With(BaseTags(), LongTag(kWidth, 0))), ""},
      {"NaN scale", BuildTiff(With(BaseTags(), DoublesTag(kScale, {nan, 1, 0}))),
       "invalid pixel scale"},
      {"negative scale", BuildTiff(With(BaseTags(), DoublesTag(kScale, {1, -1, 0}))),
       "invalid pixel scale"},
      {"NaN tie point", BuildTiff(With(BaseTags(), DoublesTag(kTie, {0, 0, 0, nan, 1, 0}))),
       "not a finite number"},
      {"15-value matrix",
       BuildTiff(
           With(Without(BaseTags(), kScale), DoublesTag(kMatrix, std::vector<double>(15, 1)))),
       "15 values instead of 16"},
      {"singular matrix",
       BuildTiff(With(Without(BaseTags(), kScale),
                      DoublesTag(kMatrix, {1, 2, 0, 0, 2, 4, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1}))),
       "singular"},
      {"tie points not in sixes",
       BuildTiff(With(Without(BaseTags(), kScale), DoublesTag(kTie, std::vector<double>(13, 1)))),
       "not a multiple of 6"},
      {"too many GCPs", BuildTiff(With(Without(BaseTags(), kScale), DoublesTag(kTie, manyTies))),
       "10001 ground control points, more than 10000"},
      {"absurd tie point count",
       BuildTiff(With(BaseTags(), TiffTag{kTie, 12, 0x0FFFFFFF, {0, 1, 0, 0}})), ""},
      {"absurd strip count",
       BuildTiff(With(BaseTags(), TiffTag{kStripOffsets, 4, 0x3FFFFFFF, {0, 1, 0, 0}})), ""},
      {"key directory claims 500 keys",
       BuildTiff(With(BaseTags(), ShortsTag(kKeys, {1, 1, 0, 500, 1024, 0, 1, 2}))), ""},
      {"no keys", BuildTiff(Without(BaseTags(), kKeys)), "no coordinate system"},
      {"unknown EPSG code",
       BuildTiff(
           With(BaseTags(), ShortsTag(kKeys, {1, 1, 0, 2, 1024, 0, 1, 1, 3072, 0, 1, 12345}))),
       "unsupported coordinate system: EPSG:12345"},
      {"feet",
       BuildTiff(With(BaseTags(), ShortsTag(kKeys, {1, 1, 0, 3, 1024, 0, 1, 1, 3072, 0, 1, 32633,
                                                    3076, 0, 1, 9002}))),
       "linear unit 9002"},
      // A prime meridian in an unknown unit: libgeotiff would look the unit
      // up in a PROJ context that logs to standard error.
      {"unknown angular unit",
       BuildTiff(With(With(BaseTags(), ShortsTag(kKeys, {1, 1,     0,    6,    1024,  0,     1,
                                                         2, 2048,  0,    1,    32767, 2050,  0,
                                                         1, 32767, 2051, 0,    1,     32767, 2054,
                                                         0, 1,     9999, 2061, 34736, 1,     0})),
                      DoublesTag(34736, {2.33}))),
       "angular unit 9999"},
      {"no placement", BuildTiff(Without(Without(BaseTags(), kTie), kScale)), "no georeference"},
      {"strip beyond the file", BuildTiff(With(BaseTags(), LongTag(kStripOffsets, 5000))), ""},
  };
  testing::internal::CaptureStderr();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TBitmap img;
    img.SetSize(3, 3);
    GeoReference r;
    r.Width = 77;
    ExpectRefused(
        [&] {
          ReadGeoTiff(reinterpret_cast<const uint8_t*>(c.file.data()), c.file.size(), img, r);
        },
        c.message);
    EXPECT_EQ(img.GetWidth(), 3);  // left as it was
    EXPECT_EQ(r.Width, 77);
  }
  // Our own file cut short anywhere up to its directory.
  Pattern(image, 40, 30);
  WriteGeoTiff(Path("cut.tif"), image, WriterCases()[0].ref);
  const std::string whole = Slurp(Path("cut.tif"));
  for (size_t cut :
       {size_t{0}, size_t{3}, size_t{7}, size_t{16}, whole.size() / 2, whole.size() - 20}) {
    SCOPED_TRACE(cut);
    Put(Path("cut2.tif"), whole.substr(0, cut));
    ExpectRefused([&] { ReadBack(Path("cut2.tif"), image); },
                  "GeoTIFF \"" + Path("cut2.tif") + "\": ");
  }
  ExpectRefused([&] { ReadBack(Path("missing.tif"), image); }, "missing.tif");
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

TEST_F(GisTiff, WriterRefusesAndKeepsTheOldFile) {
  TBitmap image, bigger;
  Pattern(image, 4, 4);
  Pattern(bigger, 8, 8);
  const GeoReference good = WriterCases()[0].ref;
  ExpectRefused([&] { WriteGeoTiff(Path("a.tif"), TBitmap(), good); }, "the image is empty");
  ExpectRefused([&] { WriteGeoTiff(Path("a.tif"), image, GeoReference()); },
                "neither a mapping nor ground control points");
  GeoReference bad = good;
  bad.Transform[1] = NAN;
  ExpectRefused([&] { WriteGeoTiff(Path("a.tif"), image, bad); }, "not a finite number");
  bad = good;
  bad.Transform = {0, 1, 2, 0, 2, 4};
  ExpectRefused([&] { WriteGeoTiff(Path("a.tif"), image, bad); }, "singular");
  bad = WriterCases()[3].ref;
  bad.Crs.Zone = 61;
  ExpectRefused([&] { WriteGeoTiff(Path("a.tif"), image, bad); }, "invalid UTM zone 61");
  EXPECT_FALSE(std::filesystem::exists(Path("a.tif")));
  ExpectRefused([&] { WriteGeoTiff(Path("no/such/dir/a.tif"), image, good); }, "no/such/dir/a.tif");

  std::filesystem::create_directory(Path("dir.tif"));
  ExpectRefused([&] { WriteGeoTiff(Path("dir.tif"), image, good); }, "dir.tif");
  EXPECT_TRUE(std::filesystem::is_directory(Path("dir.tif")));
  if (::geteuid() == 0) return;  // root writes read-only files
  WriteGeoTiff(Path("old.tif"), image, good);
  const std::string before = Slurp(Path("old.tif"));
  ::chmod(Path("old.tif").c_str(), 0444);
  ExpectRefused([&] { WriteGeoTiff(Path("old.tif"), bigger, good); }, "old.tif");
  EXPECT_EQ(Slurp(Path("old.tif")), before);
}

}  // namespace
}  // namespace tkz
