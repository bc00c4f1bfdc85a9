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
  return std::system("command -v gdalinfo >/dev/null && command -v gdal_translate >/dev/null") == 0;
}

// The standard output of a shell command; Status gets its exit status.
std::string Shell(const std::string& cmd, int& status) {
  std::string out;
  FILE* p = ::popen(cmd.c_str(), "r");
  char buf[4096];
  for (size_t n; p != nullptr && (n = std::fread(buf, 1, sizeof buf, p)) > 0;) out.append(buf, n);
  status = p != nullptr ? ::pclose(p) : -1;
  return out;
}

void Pattern(TBitmap& b, int w, int h) {
  b.SetSize(w, h);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x)
      b.ScanLine(y)[x] = ((x * 7 + y) & 255) | (y * 13 & 255) << 8 | ((x * y + 50) & 255) << 16;
  }
}

// The largest difference of a colour channel; 256 for different sizes.
int MaxDiff(const TBitmap& a, const TBitmap& b) {
  if (a.GetWidth() != b.GetWidth() || a.GetHeight() != b.GetHeight()) return 256;
  int worst = 0;
  for (int y = 0; y < a.GetHeight(); ++y) {
    for (int x = 0; x < a.GetWidth(); ++x) {
      for (int k = 0; k < 24; k += 8) {
        worst = std::max(worst, std::abs(static_cast<int>(a.ScanLine(y)[x] >> k & 255) -
                                         static_cast<int>(b.ScanLine(y)[x] >> k & 255)));
      }
    }
  }
  return worst;
}

GisCrs Crs(bool utm, int zone, bool south, TGeoEllipsoid e) {
  GisCrs c;
  c.Utm = utm, c.Zone = zone, c.South = south, c.Ellipsoid = e;
  return c;
}

GeoReference Ref(GisCrs crs, std::array<double, 6> t, std::vector<GroundControlPoint> g = {}) {
  GeoReference r;
  r.Crs = crs;
  r.HasTransform = g.empty();
  r.Transform = g.empty() ? t : std::array<double, 6>{};
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
      {"geographic north-up", Ref(wgs, {5.25, 0.001, 0, 47.5, 0, -0.00075})},
      {"geographic rotated", Ref(wgs, {5.25, 0.001, 0.0002, 47.5, 0.0001, -0.00075})},
      {"geographic on GRS 80", Ref(Crs(false, 0, false, gelGRS80), {-3, 0.01, 0, 40, 0, -0.01})},
      {"UTM 33N WGS 84", Ref(Crs(true, 33, false, gelWGS84), {400000, 10, 0, 5300000, 0, -10})},
      {"UTM 23S WGS 84", Ref(Crs(true, 23, true, gelWGS84), {300000, 2.5, 0, 7400000, 0, -2.5})},
      {"UTM 32N International 1924",
       Ref(Crs(true, 32, false, gelInt24), {500000.5, 5, 0, 5100000, 0, -5})},
      {"UTM 18N Clarke 1866 rotated",
       Ref(Crs(true, 18, false, gelClrk66), {580000, 4, 1, 4500000, 1, -4})},
      {"GCPs geographic",
       Ref(wgs, {},
           {{0, 0, 5, 47}, {40, 0, 5.4, 47.02}, {0, 30, 4.98, 46.7}, {40, 30, 5.41, 46.73}})},
      {"GCPs UTM on Bessel",
       Ref(Crs(true, 33, false, gelBess41), {},
           {{0.5, 0.5, 400000, 5300000}, {39.5, 1, 400390, 5299990}, {20, 29.5, 400200, 5299705}})},
  };
}

// The number after Key in WKT text, NaN when Key is absent.
double WktNumber(const std::string& wkt, const std::string& key) {
  const size_t at = wkt.find(key);
  return at == std::string::npos ? NAN : std::strtod(wkt.c_str() + at + key.size(), nullptr);
}

// gdalinfo gives WKT 2 with the EPSG code of the whole system as its last ID,
// or for our user-defined systems the ellipsoid and the method's parameters.
void ExpectCrsInWkt(const GisCrs& crs, const std::string& wkt) {
  const size_t id = wkt.rfind("ID[\"EPSG\",");
  const bool last = id != std::string::npos && wkt.find(']', id) + 2 == wkt.size();
  EXPECT_EQ(last ? std::atoi(wkt.c_str() + id + 10) : 0, crs.Epsg()) << wkt;
  if (crs.Epsg() != 0) return;
  const double a = GeoEllipsoidData[crs.Ellipsoid].a, b = GeoEllipsoidData[crs.Ellipsoid].b;
  const std::string ell = std::string("ELLIPSOID[\"") + GeoEllipsoidName[crs.Ellipsoid] + "\",";
  EXPECT_NEAR(WktNumber(wkt, ell), a, 1e-6) << wkt;
  const size_t at = wkt.find(ell);  // then the inverse flattening
  ASSERT_NE(at, std::string::npos) << wkt;
  EXPECT_NEAR(WktNumber(wkt.substr(wkt.find(',', at + ell.size())), ","), a / (a - b), 1e-6);
  EXPECT_EQ(wkt.find("METHOD[\"Transverse Mercator\"") != std::string::npos, crs.Utm) << wkt;
  if (!crs.Utm) return;
  EXPECT_EQ(WktNumber(wkt, "\"Latitude of natural origin\","), 0);
  EXPECT_EQ(WktNumber(wkt, "\"Longitude of natural origin\","), 6 * crs.Zone - 183);
  EXPECT_EQ(WktNumber(wkt, "\"Scale factor at natural origin\","), 0.9996);
  EXPECT_EQ(WktNumber(wkt, "\"False easting\","), 500000);
  EXPECT_EQ(WktNumber(wkt, "\"False northing\","), crs.South ? 10000000 : 0);
}

void ExpectNearRel(double got, double want) {
  EXPECT_NEAR(got, want, 1e-9 * std::max(1.0, std::fabs(want)));
}

void ExpectRefused(const std::function<void()>& f, const std::string& part) {
  try {
    f();
    ADD_FAILURE() << "no error, expected one with \"" << part << "\"";
  } catch (const ETKZGeoMapError& e) {
    EXPECT_NE(std::string(e.what()).find(part), std::string::npos) << e.what();
  }
}

class GisTiff : public testing_support::TempDirTest {
 protected:
  GeoReference ReadBack(const std::string& file, TBitmap& image) {
    GeoReference ref;
    ReadGeoTiff(file, image, ref);
    return ref;
  }
  // Runs a command in the temporary folder; true on success.
  bool Run(const std::string& cmd, std::string* out = nullptr) {
    int status = 0;
    const std::string text = Shell("cd '" + dir_ + "' && " + cmd, status);
    if (out != nullptr) *out = text;
    return status == 0;
  }
  json GdalInfo(const std::string& file) {
    std::string out;
    EXPECT_TRUE(Run("gdalinfo -json " + file + " 2>/dev/null", &out));
    return json::parse(out, nullptr, false);
  }
  // The image as GDAL decodes it, through a PNG file.
  void GdalPixels(const std::string& file, const std::string& args, TBitmap& b) {
    ASSERT_TRUE(Run("gdal_translate -q -of PNG " + args + " " + file + " x.png 2>&1"));
    LoadBitmapFromFile(b, Path("x.png"));
  }
};

TEST_F(GisTiff, OurFilesReadBackExactlyFromFileAndMemory) {
  TBitmap image;
  Pattern(image, 40, 30);
  for (const Case& c : WriterCases()) {
    SCOPED_TRACE(c.name);
    WriteGeoTiff(Path("rt.tif"), image, c.ref);
    const std::string bytes = Slurp(Path("rt.tif"));
    for (bool memory : {false, true}) {
      TBitmap back;
      GeoReference ref;
      if (memory) {
        ReadGeoTiff(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), back, ref);
      } else {
        ref = ReadBack(Path("rt.tif"), back);
      }
      EXPECT_EQ(MaxDiff(back, image), 0);
      EXPECT_EQ(ref.Width, 40);
      EXPECT_EQ(ref.Height, 30);
      EXPECT_EQ(ref.Crs, c.ref.Crs);
      EXPECT_EQ(ref.HasTransform, c.ref.HasTransform);
      EXPECT_EQ(ref.Transform, c.ref.Transform);
      EXPECT_EQ(ref.Gcps, c.ref.Gcps);
    }
  }
}

TEST_F(GisTiff, GdalReadsOurFiles) {
  if (!HaveGdal()) GTEST_SKIP() << "GDAL's command-line tools are not installed";
  TBitmap image;
  Pattern(image, 40, 30);
  for (const Case& c : WriterCases()) {
    SCOPED_TRACE(c.name);
    WriteGeoTiff(Path("ours.tif"), image, c.ref);
    const json info = GdalInfo("ours.tif");
    ASSERT_FALSE(info.is_discarded());
    EXPECT_EQ(info["size"], json({40, 30}));
    EXPECT_EQ(info["metadata"][""]["AREA_OR_POINT"], "Area");
    EXPECT_EQ(info.contains("geoTransform"), c.ref.HasTransform);
    EXPECT_EQ(info.contains("gcps"), !c.ref.HasTransform);
    if (c.ref.HasTransform) {
      ExpectCrsInWkt(c.ref.Crs, info["coordinateSystem"]["wkt"].get<std::string>());
      for (int i = 0; i < 6; ++i)
        ExpectNearRel(info["geoTransform"][i].get<double>(), c.ref.Transform[i]);
    } else {
      ExpectCrsInWkt(c.ref.Crs, info["gcps"]["coordinateSystem"]["wkt"].get<std::string>());
      std::vector<GroundControlPoint> gcps;
      for (const json& g : info["gcps"]["gcpList"])
        gcps.push_back({g["pixel"], g["line"], g["x"], g["y"]});
      EXPECT_EQ(gcps, c.ref.Gcps);
    }
    TBitmap gdal;
    GdalPixels("ours.tif", "", gdal);
    EXPECT_EQ(MaxDiff(gdal, image), 0);
  }
}

// Files that gdal_translate makes, read back into the system and placement
// asked of it (with AREA_OR_POINT=Point, into what gdalinfo reports), and
// into the pixels that GDAL decodes, whatever the layout: grey, 16 bits,
// palette, tiles, JPEG in YCbCr (within the decoders' rounding), alpha
// (which both lay over white).
TEST_F(GisTiff, ReadsGdalFiles) {
  if (!HaveGdal()) GTEST_SKIP() << "GDAL's command-line tools are not installed";
  TBitmap image;
  Pattern(image, 20, 10);
  WriteFileReplacing(Path("in.png"), SavePNG(image));
  std::string palette;
  for (int i = 0; i < 256; ++i) {
    palette += "<Entry c1='" + std::to_string(i * 37 % 256) + "' c2='" +
               std::to_string(i * 11 % 256) + "' c3='" + std::to_string(255 - i) + "'/>";
  }
  Put(Path("pal.vrt"),
      "<VRTDataset rasterXSize='20' rasterYSize='10'><VRTRasterBand dataType='Byte' band='1'>"
      "<ColorInterp>Palette</ColorInterp><ColorTable>" +
          palette +
          "</ColorTable><SimpleSource>"
          "<SourceFilename>in.png</SourceFilename><SourceBand>1</SourceBand></SimpleSource>"
          "</VRTRasterBand></VRTDataset>");
  const std::array<double, 6> asked = {400000, 10, 0, 5300000, 0, -5};
  const std::vector<GroundControlPoint> gcps = {
      {0, 0, 5, 47}, {20, 0, 5.2, 47.01}, {0, 10, 4.99, 46.9}};
  const struct {
    const char* args;
    const char* png;  // for GDAL's decoding
    GisCrs crs;
    bool affine;
    int tolerance;
  } cases[] = {
      {"-a_srs EPSG:32633", "", Crs(true, 33, false, gelWGS84), true, 0},
      {"-a_srs EPSG:32717 -co TILED=YES -co BLOCKXSIZE=16 -co BLOCKYSIZE=16", "",
       Crs(true, 17, true, gelWGS84), true, 0},
      {"-a_srs EPSG:25832 -co COMPRESS=LZW", "", Crs(true, 32, false, gelGRS80), true, 0},
      {"-a_srs EPSG:26915 -b 2", "", Crs(true, 15, false, gelGRS80), true, 0},
      {"-a_srs EPSG:23031 -ot UInt16 -scale 0 255 0 65535", "-ot Byte -scale 0 65535 0 255",
       Crs(true, 31, false, gelInt24), true, 0},
      {"-a_srs EPSG:4326", "", Crs(false, 0, false, gelWGS84), false, 0},
      {"-a_srs EPSG:4258 -co COMPRESS=DEFLATE -co PREDICTOR=2", "", Crs(false, 0, false, gelGRS80),
       false, 0},
      {"-a_srs EPSG:4230 -co COMPRESS=JPEG -co PHOTOMETRIC=YCBCR", "",
       Crs(false, 0, false, gelInt24), false, 2},
      {"-a_srs EPSG:32633 -mo AREA_OR_POINT=Point", "", Crs(true, 33, false, gelWGS84), true, 0},
      {"-a_srs EPSG:4326 -mo AREA_OR_POINT=Point", "", Crs(false, 0, false, gelWGS84), false, 0},
      {"-a_srs '+proj=utm +zone=35 +south +ellps=krass' -b 1 -b 2 -b 3 -b 1 -co ALPHA=YES", "",
       Crs(true, 35, true, gelKrass40), true, 1},
      {"-a_srs EPSG:32633 -co TILED=YES -co BLOCKXSIZE=16 -co BLOCKYSIZE=16 pal.vrt", "-expand rgb",
       Crs(true, 33, false, gelWGS84), true, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args);
    const std::string source = std::strstr(c.args, ".vrt") ? "" : " in.png";
    ASSERT_TRUE(Run("gdal_translate -q " + std::string(c.args) +
                    (c.affine ? " -a_ullr 400000 5300000 400200 5299950"
                              : " -gcp 0 0 5 47 -gcp 20 0 5.2 47.01 -gcp 0 10 4.99 46.9") +
                    source + " gdal.tif 2>&1"));
    const json info = GdalInfo("gdal.tif");
    TBitmap back, gdal;
    const GeoReference ref = ReadBack(Path("gdal.tif"), back);
    GdalPixels("gdal.tif", c.png, gdal);
    EXPECT_LE(MaxDiff(back, gdal), c.tolerance);
    EXPECT_EQ(ref.Crs, c.crs);
    EXPECT_EQ(ref.HasTransform, c.affine);
    for (int i = 0; c.affine && i < 6; ++i) {
      ExpectNearRel(ref.Transform[i], asked[i]);
      ExpectNearRel(ref.Transform[i], info["geoTransform"][i].get<double>());
    }
    for (size_t i = 0; !c.affine && i < gcps.size() && i < ref.Gcps.size(); ++i) {
      const json& g = info["gcps"]["gcpList"][i];
      EXPECT_EQ(ref.Gcps[i], (GroundControlPoint{g["pixel"], g["line"], gcps[i].X, gcps[i].Y}));
    }
    EXPECT_EQ(ref.Gcps.size(), c.affine ? 0 : gcps.size());
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
      {"-a_srs EPSG:4807 -a_ullr 5 47 6 46", "EPSG:4807 (NTF (Paris)), angular unit 9105"},
      {"-a_srs EPSG:32633 -a_ullr 0 100 80 20 -co PROFILE=BASELINE", "no georeference"},
      {"-a_ullr 5 47 6 46", "no coordinate system"},
      {"", "no georeference"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args);
    ASSERT_TRUE(Run("gdal_translate -q " + std::string(c.args) + " in.png x.tif 2>&1"));
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

// The base file with the tags in Put put in (in place of any with their
// number) and the tags numbered in Drop taken out.
std::string Tiff(const std::vector<TiffTag>& put, const std::vector<uint16_t>& drop = {}) {
  std::vector<TiffTag> tags = BaseTags();
  std::erase_if(tags, [&](const TiffTag& t) {
    return std::count(drop.begin(), drop.end(), t.tag) > 0 ||
           std::any_of(put.begin(), put.end(), [&](const TiffTag& p) { return p.tag == t.tag; });
  });
  tags.insert(tags.end(), put.begin(), put.end());
  return BuildTiff(tags);
}

TEST_F(GisTiff, CraftedFilesReadOrAreRefusedQuietly) {
  // The well-formed base reads: tie point (1, 1) -> (10, 50) at 0.5 x 0.25;
  // with raster type PixelIsPoint the mapping moves by half a pixel.
  const std::string good = Tiff({});
  const std::string point =
      Tiff({ShortsTag(kKeys, {1, 1, 0, 3, 1024, 0, 1, 2, 1025, 0, 1, 2, 2048, 0, 1, 4326})});
  TBitmap image;
  GeoReference ref;
  ReadGeoTiff(reinterpret_cast<const uint8_t*>(good.data()), good.size(), image, ref);
  EXPECT_EQ(ref.Transform, (std::array<double, 6>{9.5, 0.5, 0, 50.25, 0, -0.25}));
  EXPECT_EQ(ref.Crs, GisCrs{});
  EXPECT_EQ(image.ScanLine(0)[1], 0x808080u);
  EXPECT_EQ(image.ScanLine(1)[1], 0xFFFFFFu);
  ReadGeoTiff(reinterpret_cast<const uint8_t*>(point.data()), point.size(), image, ref);
  EXPECT_EQ(ref.Transform, (std::array<double, 6>{9.25, 0.5, 0, 50.375, 0, -0.25}));

  std::vector<double> manyTies;
  for (int i = 0; i <= kMaxGisGcps; ++i) manyTies.insert(manyTies.end(), {1.0 * i, 0, 0, 1, 2, 0});
  const double nan = NAN;
  const std::vector<double> singular = {1, 2, 0, 0, 2, 4, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1};
  // clang-format off
  const struct {
    const char* name;
    std::string file;
    const char* message;
  } cases[] = {
      {"not a TIFF", "\x89PNG\r\n\x1a\n-------------", "Not a TIFF"},
      {"empty", "", "Cannot read TIFF header"},
      {"huge image", Tiff({LongTag(kWidth, 100000), LongTag(kHeight, 100000), LongTag(278, 100000)}),
       "100000 x 100000 pixels, more than the 3000000"},
      {"zero width", Tiff({LongTag(kWidth, 0)}), ""},
      {"NaN scale", Tiff({DoublesTag(kScale, {nan, 1, 0})}), "invalid pixel scale"},
      {"negative scale", Tiff({DoublesTag(kScale, {1, -1, 0})}), "invalid pixel scale"},
      {"NaN tie point", Tiff({DoublesTag(kTie, {0, 0, 0, nan, 1, 0})}), "not a finite number"},
      {"15-value matrix", Tiff({DoublesTag(kMatrix, std::vector<double>(15, 1))}, {kScale}),
       "15 values instead of 16"},
      {"singular matrix", Tiff({DoublesTag(kMatrix, singular)}, {kScale}), "singular"},
      {"tie points not in sixes", Tiff({DoublesTag(kTie, std::vector<double>(13, 1))}, {kScale}),
       "not a multiple of 6"},
      {"too many GCPs", Tiff({DoublesTag(kTie, manyTies)}, {kScale}),
       "10001 ground control points, more than 10000"},
      {"absurd tie point count", Tiff({TiffTag{kTie, 12, 0x0FFFFFFF, {0, 1, 0, 0}}}), ""},
      {"strip beyond the file", Tiff({LongTag(kStripOffsets, 5000)}), ""},
      {"key directory claims 500 keys", Tiff({ShortsTag(kKeys, {1, 1, 0, 500, 1024, 0, 1, 2})}), ""},
      {"no keys", Tiff({}, {kKeys}), "no coordinate system"},
      {"no placement", Tiff({}, {kTie, kScale}), "no georeference"},
      {"feet", Tiff({ShortsTag(kKeys, {1, 1, 0, 3, 1024, 0, 1, 1, 3072, 0, 1, 32633, 3076, 0, 1, 9002})}),
       "linear unit 9002"},
      // A prime meridian in an unknown unit: libgeotiff would look the unit
      // up in a PROJ context of its own, which logs to standard error.
      {"unknown angular unit",
       Tiff({ShortsTag(kKeys, {1, 1, 0, 6, 1024, 0, 1, 2, 2048, 0, 1, 32767, 2050, 0, 1, 32767,
                               2051, 0, 1, 32767, 2054, 0, 1, 9999, 2061, 34736, 1, 0}),
             DoublesTag(34736, {2.33})}),
       "angular unit 9999"},
  };
  // clang-format on
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
  ExpectRefused([&] { ReadBack(dir_, image); }, "cannot read: Is a directory");
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
