// World files, .prj files and the way between calibrations and GIS
// placements. GDAL's tools, where installed, are the oracle for what other
// programs make of our files and for files they write.
#include "geo/gisfiles.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <numbers>
#include <string>
#include <vector>

#include "core/platform/imagefile.h"
#include "tests/support/temp_dir.h"

namespace tkz {
namespace {

using testing_support::TempDirTest;

bool HaveGdal() { return std::system("command -v gdalinfo >/dev/null 2>&1") == 0; }

std::string Shell(const std::string& command) {
  std::string out;
  FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
  if (pipe == nullptr) return out;
  char buf[4096];
  for (size_t n; (n = std::fread(buf, 1, sizeof buf, pipe)) > 0;) out.append(buf, n);
  ::pclose(pipe);
  return out;
}

// The numbers of gdalinfo's "geoTransform": [...] list.
std::vector<double> GdalGeoTransform(const std::string& json) {
  std::vector<double> v;
  size_t p = json.find("\"geoTransform\"");
  if (p == std::string::npos) return v;
  p = json.find('[', p);
  const size_t end = json.find(']', p);
  for (size_t i = p + 1; i < end;) {
    char* stop = nullptr;
    v.push_back(std::strtod(json.c_str() + i, &stop));
    i = json.find_first_of(",]", static_cast<size_t>(stop - json.c_str())) + 1;
  }
  return v;
}

void ExpectSameTransform(const std::array<double, 6>& a, const std::array<double, 6>& b) {
  for (size_t i = 0; i < 6; ++i)
    EXPECT_NEAR(a[i], b[i], 1e-9 * std::max(1.0, std::fabs(b[i]))) << "coefficient " << i;
}

// ----------------------------------------------------------- world files

TEST(WorldFile, TextReadsBackToTheSameMapping) {
  const std::array<double, 6> cases[] = {
      {-10.5, 0.01, 0, 60.25, 0, -0.01},               // north up, degrees
      {10.0, 0.001, 0.0002, 50.0, 0.0003, -0.0011},    // rotated and sheared
      {500000, 2.5, 0, 5600000, 0, -2.5},              // UTM metres
      {-180, 360.0 / 4096, 0, 90, 0, -180.0 / 2048}};  // the world
  for (const auto& t : cases) {
    GeoReference ref, back;
    ref.HasTransform = true;
    ref.Transform = t;
    ParseWorldFile(WorldFileText(ref), back);
    ExpectSameTransform(back.Transform, t);
  }
}

TEST(WorldFile, BadTextIsRefusedNamingTheLine) {
  const struct {
    const char* text;
    const char* message;
  } cases[] = {
      {"", "0 of the 6 lines"},
      {"1\n0\n0\n-1\n5\n", "5 of the 6 lines"},
      {"1\n0\nzero\n-1\n5\n6\n", "line 3: not a number: \"zero\""},
      {"1\n0\n0\n-1\n1e999\n6\n", "line 5: not a number"},
      {"1\n0\n0\nnan\n5\n6\n", "line 4: not a number"},
      {"1\n2\n2\n4\n5\n6\n", "singular"},  // A E - B D = 0
      {"1\n0\n\n0\n-1\n5\n6\n", "2 of the 6 lines"},
  };
  for (const auto& c : cases) {
    GeoReference ref;
    try {
      ParseWorldFile(c.text, ref, "w.pgw");
      ADD_FAILURE() << "accepted " << c.text;
    } catch (const ETKZGeoMapError& e) {
      EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
      EXPECT_EQ(std::string(e.what()).rfind("w.pgw: ", 0), 0u) << e.what();
    }
    EXPECT_FALSE(ref.HasTransform);
  }
  GeoReference ref;  // blank lines before the numbers and CRLF line ends are fine
  ParseWorldFile("\r\n2\r\n0\r\n0\r\n-2\r\n11\r\n21\r\n", ref);
  ExpectSameTransform(ref.Transform, {10, 2, 0, 22, 0, -2});
}

// ------------------------------------------------------------ .prj files

const GisCrs kCrsCases[] = {{false, 0, false, gelWGS84}, {true, 33, false, gelWGS84},
                            {true, 33, true, gelWGS84},  {true, 1, false, gelWGS84},
                            {true, 60, true, gelWGS84},  {true, 31, false, gelInt24},
                            {true, 32, false, gelGRS80}, {false, 0, false, gelClrk66}};

TEST(Prj, WrittenTextReadsBackToTheSameSystem) {
  for (const GisCrs& crs : kCrsCases) {
    SCOPED_TRACE(crs.Name());
    EXPECT_EQ(ParsePrj(PrjText(crs)), crs);
  }
}

TEST(Prj, GdalsSystemsAreRecognised) {
  if (!HaveGdal()) GTEST_SKIP() << "GDAL is not installed";
  const struct {
    const char* srs;
    GisCrs crs;
  } cases[] = {{"EPSG:4326", {false, 0, false, gelWGS84}},
               {"EPSG:32633", {true, 33, false, gelWGS84}},
               {"EPSG:32719", {true, 19, true, gelWGS84}},
               {"EPSG:25832", {true, 32, false, gelGRS80}},   // ETRS89 / UTM 32N
               {"EPSG:23031", {true, 31, false, gelInt24}},   // ED50 / UTM 31N
               {"EPSG:4267", {false, 0, false, gelClrk66}}};  // NAD27
  for (const auto& c : cases)
    for (const char* flavour : {"wkt1", "wkt_esri"}) {
      SCOPED_TRACE(std::string(c.srs) + " " + flavour);
      const std::string wkt = Shell(std::string("gdalsrsinfo -o ") + flavour + " " + c.srs);
      EXPECT_EQ(ParsePrj(wkt), c.crs) << wkt;
    }
  // Our own text as GDAL reads it: the EPSG code of the system.
  for (const GisCrs& crs : kCrsCases) {
    if (crs.Epsg() == 0) continue;
    const std::string out = Shell("gdalsrsinfo -o epsg '" + PrjText(crs) + "'");
    EXPECT_NE(out.find("EPSG:" + std::to_string(crs.Epsg())), std::string::npos) << out;
  }
}

TEST(Prj, OtherSystemsAndBadTextAreRefused) {
  const struct {
    std::string text;
    const char* message;
  } cases[] = {
      {"GEOGCS[\"x\",DATUM[\"d\",SPHEROID[\"s\",6378137,298.257223563]]", "unexpected end"},
      {std::string(40, '[') + "]", "a keyword expected"},
      {"A" + std::string(20, '['), "keyword expected"},
      {"GEOGCS[\"x\",DATUM[\"d\",SPHEROID[\"s\",6000000,300]]]", "unknown ellipsoid"},
      {"GEOGCS[\"x\",DATUM[\"d\",SPHEROID[\"s\",6378137,1e999]]]", "bad number"},
      {"LOCAL_CS[\"plan\"]", "unsupported coordinate system \"LOCAL_CS\""},
      {"PROJCS[\"merc\",GEOGCS[\"WGS 84\",DATUM[\"d\",SPHEROID[\"s\",6378137,298.257223563]]],"
       "PROJECTION[\"Mercator_1SP\"]]",
       "unsupported projection \"Mercator_1SP\""},
      {"PROJCS[\"tm\",GEOGCS[\"WGS 84\",DATUM[\"d\",SPHEROID[\"s\",6378137,298.257223563]]],"
       "PROJECTION[\"Transverse_Mercator\"],PARAMETER[\"central_meridian\",10],"
       "PARAMETER[\"scale_factor\",1],PARAMETER[\"false_easting\",0]]",
       "other than a UTM zone"},
  };
  for (const auto& c : cases) {
    try {
      ParsePrj(c.text, "m.prj");
      ADD_FAILURE() << "accepted " << c.text;
    } catch (const ETKZGeoMapError& e) {
      EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
    }
  }
  if (!HaveGdal()) return;
  try {
    ParsePrj(Shell("gdalsrsinfo -o wkt1 EPSG:3857"));
    ADD_FAILURE() << "accepted Web Mercator";
  } catch (const ETKZGeoMapError& e) {
    EXPECT_NE(std::string(e.what()).find("Pseudo-Mercator"), std::string::npos) << e.what();
  }
}

// ------------------------------------------------ maps and their placement

// A 400 x 300 map calibrated with model from points given by f(X, Y).
template <class F>
void Calibrate(TGeoMap& map, TCalibModel model, F f, const GisCrs& crs = {}) {
  map.SetMapImageSize(400, 300);
  map.SetCalibModel(model);
  if (crs.Utm) {
    map.SetUTMZone(crs.Zone);
    map.SetUTMHemisphere(crs.South ? hemiSouth : hemiNorth);
    map.SetEllipsoid(crs.Ellipsoid);
  }
  for (int y = 0; y <= 300; y += 50)
    for (int x = 0; x <= 400; x += 80) {
      const auto [first, second] = f(x, y);
      if (crs.Utm)
        map.AddCalibPoint(first, second, crs.Zone, crs.South ? hemiSouth : hemiNorth, x, y);
      else
        map.AddCalibPoint(first, second, x, y);
    }
}

void ExpectSamePositions(const TGeoMap& a, const TGeoMap& b, double tolerance) {
  for (double y = 0; y <= 300; y += 37.5)
    for (double x = 0; x <= 400; x += 50) {
      bool v1, v2, v3, v4;
      EXPECT_NEAR(a.CalcLatitude(x, y, v1), b.CalcLatitude(x, y, v2), tolerance) << x << "," << y;
      EXPECT_NEAR(a.CalcLongitude(x, y, v3), b.CalcLongitude(x, y, v4), tolerance);
      EXPECT_TRUE(v1 && v2 && v3 && v4);
    }
}

TEST(GisPlacement, AffineMapsComeBackAsTheSameCalibration) {
  const struct {
    TCalibModel model;
    GisCrs crs;
    double lat0, lon0, step;
  } cases[] = {{cmEquiRect, {}, 48.5, 7.25, 0.001},
               {cmUTM, {true, 32, false, gelWGS84}, 5400000, 400000, 2.0},
               {cmUTM, {true, 19, true, gelWGS84}, 6200000, 350000, 5.0},
               {cmUTM, {true, 31, false, gelInt24}, 4600000, 450000, 1.5}};
  for (const auto& c : cases) {
    SCOPED_TRACE(CalibModelNames[c.model] + " " + c.crs.Name());
    TGeoMap map, back;
    // Slightly rotated: the mapping keeps its cross terms.
    Calibrate(
        map, c.model,
        [&](int x, int y) {
          return std::pair{c.lat0 - c.step * (y + 0.02 * x), c.lon0 + c.step * (x - 0.03 * y)};
        },
        c.crs);
    const GeoReference ref = GeoReferenceOfMap(map);
    ASSERT_TRUE(ref.HasTransform);
    EXPECT_EQ(ref.Crs, c.crs);
    EXPECT_EQ(ref.Gcps.size(), 42u);
    EXPECT_NEAR(ref.Transform[2], -0.03 * c.step, 1e-12 * c.step);
    EXPECT_EQ(CalibrateFromReference(back, ref), c.model);
    EXPECT_EQ(back.GetCalibData().NumCalQuads, 9);
    EXPECT_EQ(back.GetMapWidth(), 400);
    ExpectSamePositions(map, back, 1e-9);
  }
}

TEST(GisPlacement, GroundControlPointsChooseTheModelThatFitsThem) {
  const double rad = std::numbers::pi / 180;
  const struct {
    const char* name;
    TCalibModel expected;
    std::function<std::pair<double, double>(double, double)> geoToPixel;  // lat, lon -> X, Y
  } cases[] = {
      {"rotated plate carree", cmEquiRect,
       [](double lat, double lon) {
         return std::pair{200 + 20 * lon + 3 * lat, 150 - 20 * lat + 2 * lon};
       }},
      {"Miller", cmMillerCylindrical,
       [&](double lat, double lon) {
         return std::pair{200 + 4 * lon, 150 - 250 * std::log(std::tan(0.4 * lat * rad +
                                                                       0.25 * std::numbers::pi))};
       }},
      {"quadratic warp", cmBiquadraticPn,
       [](double lat, double lon) {
         return std::pair{200 + 20 * lon + 0.8 * lat * lat, 150 - 20 * lat + 0.6 * lon * lon};
       }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    GeoReference ref;
    ref.Width = 400;
    ref.Height = 300;
    const double span = c.expected == cmMillerCylindrical ? 70 : 6;
    for (int i = 0; i <= 5; ++i)
      for (int j = 0; j <= 5; ++j) {
        const double lat = -span / 2 + span * i / 5, lon = -6 + 2.4 * j;
        const auto [x, y] = c.geoToPixel(lat, lon);
        ref.Gcps.push_back({x, y, lon, lat});
      }
    TGeoMap map;
    EXPECT_EQ(CalibrateFromReference(map, ref), c.expected);
    EXPECT_EQ(map.GetCalibModel(), c.expected);
    EXPECT_EQ(map.GetCalibData().NumCalQuads, 36);
    for (const GroundControlPoint& g : ref.Gcps) {
      int x = 0, y = 0;
      ASSERT_TRUE(map.CalcPixelCoords(g.Y, g.X, x, y));
      EXPECT_LE(std::hypot(x - g.Pixel, y - g.Line), 1.5) << g.X << "," << g.Y;
    }
  }
}

TEST(GisPlacement, WhatCannotBePlacedIsRefusedAndTheMapKept) {
  TGeoMap empty;
  EXPECT_THROW(GeoReferenceOfMap(empty), ETKZGeoMapError);  // no image
  empty.SetMapImageSize(10, 10);
  EXPECT_THROW(GeoReferenceOfMap(empty), ETKZGeoMapError);  // no points
  TGeoMap map;
  Calibrate(map, cmMillerCylindrical, [](int x, int y) {
    return std::pair{50 - 0.01 * y, 0.01 * x};
  });
  const struct {
    const char* name;
    std::vector<GroundControlPoint> gcps;
    bool utm;
  } cases[] = {
      {"nothing to place", {}, false},
      {"beyond 200 points", std::vector<GroundControlPoint>(201, {1, 1, 1, 1}), false},
      {"two points", {{1, 1, 1, 1}, {2, 2, 2, 2}}, false},
      {"beyond the pole", {{1, 1, 1, 1}, {2, 2, 2, 2}, {3, 3, 3, 95}}, false},
      {"around the Earth twice", {{1, 1, 1, 1}, {2, 2, 2, 2}, {3, 3, 725, 3}}, false},
      {"not a number", {{NAN, 1, 1, 1}, {2, 2, 2, 2}, {3, 3, 3, 3}}, false},
      {"no position", {{1, 1, 1, INFINITY}, {2, 2, 2, 2}, {3, 3, 3, 3}}, false},
      {"off any zone", {{1, 1, 4e8, 1}}, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    GeoReference ref;
    ref.Gcps = c.gcps;
    ref.Crs = {c.utm, 31, false, gelWGS84};
    EXPECT_THROW(CalibrateFromReference(map, ref), ETKZGeoMapError);
    EXPECT_EQ(map.GetCalibModel(), cmMillerCylindrical);
    EXPECT_EQ(map.GetCalibData().NumCalQuads, 42);
  }
}

// ------------------------------------------- world files on disk, and GDAL

class WorldFileOnDisk : public TempDirTest {};

TEST_F(WorldFileOnDisk, GdalPlacesOurMapsAndWeReadGdals) {
  TBitmap bmp(400, 300);
  SaveBitmapToFile(bmp, Path("map.png"));
  TGeoMap map;
  map.SetMapImgName(Path("map.png"));
  Calibrate(map, cmUTM,
            [](int x, int y) {
              return std::pair{5400000.0 - 2 * y, 400000.0 + 2 * x};
            },
            {true, 32, false, gelWGS84});
  WriteWorldFile(map, Path("map.png"));
  const GeoReference ours = ReadWorldFile(Path("map.png"));
  ExpectSameTransform(ours.Transform, {400000, 2, 0, 5400000, 0, -2});
  EXPECT_EQ(ours.Crs, (GisCrs{true, 32, false, gelWGS84}));
  EXPECT_EQ(ours.Width, 400);

  TGeoMap curved;  // a world file holds only an affine mapping
  Calibrate(curved, cmBiquadraticPn, [](int x, int y) {
    return std::pair{50 - y * 0.01, x * 0.01};
  });
  EXPECT_THROW(WriteWorldFile(curved, Path("b.png")), ETKZGeoMapError);

  if (!HaveGdal()) GTEST_SKIP() << "GDAL is not installed";
  const std::string info = Shell("gdalinfo -json " + Path("map.png"));
  const std::vector<double> gt = GdalGeoTransform(info);
  ASSERT_EQ(gt.size(), 6u) << info;
  ExpectSameTransform({gt[0], gt[1], gt[2], gt[3], gt[4], gt[5]}, ours.Transform);
  EXPECT_NE(info.find("ID[\\\"EPSG\\\",32632]"), std::string::npos) << info;

  // Latitude and longitude: GDAL reads the axes in the right order.
  TGeoMap geo;
  geo.SetMapImgName(Path("map.png"));
  Calibrate(geo, cmEquiRect, [](int x, int y) { return std::pair{50 - 0.01 * y, 10 + 0.01 * x}; });
  SaveBitmapToFile(bmp, Path("geo.jpg"));
  WriteWorldFile(geo, Path("geo.jpg"));
  const std::string geoInfo = Shell("gdalinfo -json " + Path("geo.jpg"));
  const std::vector<double> geoGt = GdalGeoTransform(geoInfo);
  ASSERT_EQ(geoGt.size(), 6u) << geoInfo;
  ExpectSameTransform({geoGt[0], geoGt[1], geoGt[2], geoGt[3], geoGt[4], geoGt[5]},
                      {10, 0.01, 0, 50, 0, -0.01});
  EXPECT_NE(geoInfo.find("ID[\\\"EPSG\\\",4326]"), std::string::npos) << geoInfo;
  EXPECT_NE(Shell("echo 100 100 | gdaltransform -output_xy " + Path("geo.jpg")).find("11 49"),
            std::string::npos);

  // GDAL's own world file (.wld) with a .prj of ours.
  Shell("gdal_translate -q -of PNG -co WORLDFILE=YES -a_ullr 10 50 14 47 " + Path("map.png") + " " +
        Path("gdal.png"));
  Put(Path("gdal.prj"), PrjText({}));
  const GeoReference theirs = ReadWorldFile(Path("gdal.png"));
  ExpectSameTransform(theirs.Transform, {10, 0.01, 0, 50, 0, -0.01});
}

}  // namespace
}  // namespace tkz
