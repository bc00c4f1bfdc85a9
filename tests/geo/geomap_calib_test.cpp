// TGeoMap calibration: adding, removing and restoring points, the models'
// preconditions, conversions that must report invalid, corners and
// resolution, and the UTM model's own zone.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <string>

#include "core/numkit/math1.h"
#include "geo/geomap.h"

namespace tkz {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

// An equirectangular map: 47-49 N, 9-13 E on 3200 x 2200 pixels.
void AddEquiRectGrid(TGeoMap& Map, int N) {
  for (int i = 0; i < N; ++i)
    for (int j = 0; j < N; ++j) {
      const double lat = 47 + 2.0 * i / (N - 1), lon = 9 + 4.0 * j / (N - 1);
      Map.AddCalibPoint(lat, lon, static_cast<int>(std::lround((lon - 9) * 800)),
                        static_cast<int>(std::lround((49 - lat) * 1100)));
    }
}

std::string Message(const std::function<void()>& F) {
  try {
    F();
  } catch (const ETKZGeoMapError& e) {
    return e.what();
  }
  return "(nothing raised)";
}

TEST(GeoMapCalib, WrongPointFormForTheModelRaises) {
  const std::string add =
      "Component \"Map\": current calibration model does not support this "
      "version of AddCalibPoint";
  const std::string remove =
      "Component \"Map\": current calibration model does not support this "
      "version of RemoveCalibPoint";
  struct {
    TCalibModel Model;
    int Form;  // 0 line, 1 geographic, 2 UTM, 3 line removal
    bool Raises;
  } const cases[] = {
      {cmParabolicIp, 0, false},
      {cmBiquadraticPn, 0, true},
      {cmUndefined, 0, true},
      {cmParabolicIp, 1, true},
      {cmBiquadraticPn, 1, false},
      {cmConicConformal, 1, false},
      {cmMillerCylindrical, 1, false},
      {cmEquiRect, 1, false},
      {cmUTM, 1, true},
      {cmUndefined, 1, true},
      {cmEquiRect, 2, true},
      {cmUTM, 2, false},
      {cmParabolicIp, 3, false},
      {cmUTM, 3, true},
  };
  for (const auto& c : cases) {
    TGeoMap map;
    map.SetName("Map");
    map.SetCalibModel(c.Model);
    const std::string msg = Message([&] {
      switch (c.Form) {
        case 0:
          map.AddCalibPoint(gtlMeridian, 10, 1, 2);
          break;
        case 1:
          map.AddCalibPoint(48.0, 10.0, 1, 2);
          break;
        case 2:
          map.AddCalibPoint(5300000.0, 500000.0, 0, hemiNorth, 1, 2);
          break;
        default:
          map.RemoveCalibPoint(gtlMeridian, 10, 1, 2);
          break;
      }
    });
    const std::string want = c.Raises ? (c.Form == 3 ? remove : add) : "(nothing raised)";
    EXPECT_EQ(msg, want) << "model " << int(c.Model) << " form " << c.Form;
  }
}

TEST(GeoMapCalib, UTMPointNeedsTheMapsZoneAndHemisphere) {
  TGeoMap map;
  map.SetName("M");
  map.SetCalibModel(cmUTM);
  // A new map has zone 0: the first point of zone 32 is refused.
  EXPECT_EQ(Message([&] { map.AddCalibPoint(5300000.0, 500000.0, 32, hemiNorth, 1, 2); }),
            "Component \"M\": UTM zone parameter changed");
  map.SetUTMZone(32);
  EXPECT_EQ(Message([&] { map.AddCalibPoint(5300000.0, 500000.0, 32, hemiSouth, 1, 2); }),
            "Component \"M\": UTM zone parameter changed");
  EXPECT_TRUE(map.AddCalibPoint(5300000.0, 500000.0, 32, hemiNorth, 1, 2));
  EXPECT_EQ(map.GetCalibData().NumCalQuads, 1);
}

TEST(GeoMapCalib, PointLimits) {
  // The 201st geographic point is refused and nothing changes.
  TGeoMap map;
  map.SetCalibModel(cmEquiRect);
  for (int i = 0; i < kMaxCalQuads; ++i)
    ASSERT_TRUE(map.AddCalibPoint(47 + i * 0.01, 9 + (i % 7) * 0.3, i, i % 7 * 40));
  const TCalibData before = map.GetCalibData();
  EXPECT_FALSE(map.AddCalibPoint(48.0, 10.0, 5, 5));
  EXPECT_EQ(map.GetCalibData(), before);
  // Non-finite coordinates are refused too.
  TGeoMap m2;
  m2.SetCalibModel(cmBiquadraticPn);
  EXPECT_FALSE(m2.AddCalibPoint(kNaN, 10.0, 1, 1));
  EXPECT_FALSE(m2.AddCalibPoint(48.0, kInf, 1, 1));
  EXPECT_EQ(m2.GetCalibData().NumCalQuads, 0);

  // Lines: at most 25, each with at most 10 points; the rest is ignored and
  // the result is always false.
  TGeoMap lines;
  lines.SetCalibModel(cmParabolicIp);
  for (int v = 0; v < 30; ++v)
    for (int p = 0; p < 12; ++p) EXPECT_FALSE(lines.AddCalibPoint(gtlParallel, v, p, v));
  const TCalibData& d = lines.GetCalibData();
  EXPECT_EQ(d.NumCalLines, kMaxCalLines);
  for (int i = 1; i <= kMaxCalLines; ++i) {
    EXPECT_EQ(d.CalLines[i].Value, i - 1);
    EXPECT_EQ(d.CalLines[i].NumPoints, kMaxCalLinePoints);
  }
  // Same value, other kind: a new line would be needed, but there is no room.
  lines.AddCalibPoint(gtlMeridian, 0, 1, 1);
  EXPECT_EQ(d.NumCalLines, kMaxCalLines);
}

TEST(GeoMapCalib, RemoveAndRestore) {
  TGeoMap map;
  map.SetCalibModel(cmEquiRect);
  EXPECT_FALSE(map.RemoveCalibPoint(0, 0));  // nothing to remove
  EXPECT_FALSE(map.RestoreLastDeletedCalPoint());
  map.AddCalibPoint(47.0, 9.0, 0, 2200);
  map.AddCalibPoint(49.0, 9.0, 0, 0);
  map.AddCalibPoint(49.0, 13.0, 3200, 0);
  map.AddCalibPoint(47.0, 13.0, 3200, 2200);
  // (1600, 0) is as far from points 2 and 3: the first wins, the last
  // point takes its place.
  EXPECT_TRUE(map.RemoveCalibPoint(1600, 0));
  const TCalibData& d = map.GetCalibData();
  ASSERT_EQ(d.NumCalQuads, 3);
  EXPECT_EQ(d.CalQuads[2], (TCalQuad{47, 13, 3200, 2200}));
  EXPECT_EQ(d.CalQuads[3], (TCalQuad{49, 13, 3200, 0}));
  EXPECT_EQ(d.CalQuads[4], TCalQuad{});
  EXPECT_TRUE(map.RestoreLastDeletedCalPoint());
  EXPECT_EQ(d.NumCalQuads, 4);
  EXPECT_EQ(d.CalQuads[4], (TCalQuad{49, 9, 0, 0}));
  EXPECT_FALSE(map.RestoreLastDeletedCalPoint());  // once only
  EXPECT_EQ(d.NumCalQuads, 4);
  // A removed geographic point does not go back into the parabolic model.
  map.RemoveCalibPoint(0, 0);
  map.SetCalibModel(cmParabolicIp);
  EXPECT_FALSE(map.RestoreLastDeletedCalPoint());
  EXPECT_EQ(map.GetCalibData().NumCalLines, 0);

  // Line points: an emptied line is replaced by the last line.
  TGeoMap lines;
  lines.SetCalibModel(cmParabolicIp);
  lines.AddCalibPoint(gtlMeridian, 9, 10, 10);
  lines.AddCalibPoint(gtlParallel, 48, 100, 100);
  lines.AddCalibPoint(gtlParallel, 48, 200, 100);
  lines.AddCalibPoint(gtlMeridian, 10, 300, 300);
  EXPECT_TRUE(lines.RemoveCalibPoint(12, 11));
  const TCalibData& l = lines.GetCalibData();
  ASSERT_EQ(l.NumCalLines, 2);
  EXPECT_EQ(l.CalLines[1].Value, 10);
  EXPECT_TRUE(lines.RestoreLastDeletedCalPoint());
  ASSERT_EQ(l.NumCalLines, 3);
  EXPECT_EQ(l.CalLines[3].Value, 9);
  EXPECT_EQ(l.CalLines[3].Points[1], (TPoint{10, 10}));
  // The line form needs the exact value and pixel, is not restorable and
  // answers false.
  EXPECT_FALSE(lines.RemoveCalibPoint(gtlParallel, 48, 100, 101));
  EXPECT_EQ(l.CalLines[2].NumPoints, 2);
  EXPECT_FALSE(lines.RemoveCalibPoint(gtlParallel, 48, 100, 100));
  EXPECT_EQ(l.CalLines[2].NumPoints, 1);
  EXPECT_EQ(l.CalLines[2].Points[1], (TPoint{200, 100}));
  EXPECT_FALSE(lines.RestoreLastDeletedCalPoint());

  TGeoMap undefinedModel;
  EXPECT_FALSE(undefinedModel.RemoveCalibPoint(1, 1));
}

TEST(GeoMapCalib, ClearCalibData) {
  TGeoMap map;
  EXPECT_EQ(map.GetUTMZone(), 0);  // a new map
  map.SetMapCaption("Swabia");
  map.SetUTMZone(32);
  map.SetUTMHemisphere(hemiSouth);
  map.SetEllipsoid(gelBess41);
  map.SetCalibModel(cmEquiRect);
  map.SetMapImageSize(3200, 2200);
  AddEquiRectGrid(map, 3);
  map.ClearCalibData();
  TCalibData want;
  want.Caption = "Swabia";
  want.UTMZone = -1;
  EXPECT_EQ(map.GetCalibData(), want);
  EXPECT_EQ(map.GetUTMHemisphere(), hemiNorth);
  bool valid = true;
  map.CalcLatitude(10, 10, valid);
  EXPECT_FALSE(valid);
}

// Every model must say "invalid" rather than answer from nothing, from a
// degenerate fit or from non-finite input.
TEST(GeoMapCalib, ConversionsReportInvalid) {
  struct {
    const char* Name;
    std::function<void(TGeoMap&)> Setup;
  } const cases[] = {
      {"undefined model", [](TGeoMap& m) { m.SetCalibModel(cmUndefined); }},
      {"biquadratic, no points", [](TGeoMap& m) { m.SetCalibModel(cmBiquadraticPn); }},
      {"biquadratic, 5 points (underdetermined)",
       [](TGeoMap& m) {
         m.SetCalibModel(cmBiquadraticPn);
         for (int i = 0; i < 5; ++i)
           m.AddCalibPoint(47.0 + i * 0.3, 9.0 + i * i * 0.2, i * 100, i * i * 50);
       }},
      {"equirect, no points", [](TGeoMap& m) { m.SetCalibModel(cmEquiRect); }},
      {"equirect, collinear points",
       [](TGeoMap& m) {
         m.SetCalibModel(cmEquiRect);
         for (int i = 0; i < 4; ++i) m.AddCalibPoint(47.0 + i, 9.0 + i, i * 100, i * 100);
       }},
      {"Miller, no points", [](TGeoMap& m) { m.SetCalibModel(cmMillerCylindrical); }},
      {"Miller, one pixel column and row (zero slopes)",
       [](TGeoMap& m) {
         m.SetCalibModel(cmMillerCylindrical);
         for (int i = 0; i < 4; ++i) m.AddCalibPoint(47.0 + i, 9.0 + i, 100, 100);
       }},
      {"Miller, all at one position (failed fit)",
       [](TGeoMap& m) {
         m.SetCalibModel(cmMillerCylindrical);
         for (int i = 0; i < 4; ++i) m.AddCalibPoint(47.0, 9.0, 100 + i, 100 + i);
       }},
      {"conic, 2 points",
       [](TGeoMap& m) {
         m.SetCalibModel(cmConicConformal);
         m.AddCalibPoint(47.0, 9.0, 0, 100);
         m.AddCalibPoint(48.0, 10.0, 100, 0);
       }},
      {"parabolic, one parallel and three meridians",
       [](TGeoMap& m) {
         m.SetCalibModel(cmParabolicIp);
         for (int k = 0; k < 3; ++k) {
           m.AddCalibPoint(gtlParallel, 48, k * 100, 500 + k);
           for (int p = 0; p < 3; ++p) m.AddCalibPoint(gtlMeridian, 9 + k, k * 100 + p, p * 100);
         }
       }},
      {"UTM, no points",
       [](TGeoMap& m) {
         m.SetUTMZone(32);
         m.SetCalibModel(cmUTM);
       }},
  };
  for (const auto& c : cases) {
    TGeoMap map;
    map.SetMapImageSize(1000, 800);
    c.Setup(map);
    bool v1 = true, v2 = true;
    EXPECT_EQ(map.CalcLatitude(300, 200, v1), 0) << c.Name;
    EXPECT_EQ(map.CalcLongitude(300, 200, v2), 0) << c.Name;
    EXPECT_FALSE(v1 || v2) << c.Name;
    int x = 7, y = 7;
    EXPECT_FALSE(map.CalcPixelCoords(48, 10, x, y)) << c.Name;
    EXPECT_EQ(x, 0) << c.Name;
    EXPECT_EQ(map.GetCalibData().Resolution, 0) << c.Name;
    double qx = 1, qy = 1;
    map.CalibQuality(qx, qy);
    EXPECT_EQ(qx, 0) << c.Name;
  }

  // Well calibrated, but fed NaN or infinity.
  TGeoMap map;
  map.SetCalibModel(cmEquiRect);
  AddEquiRectGrid(map, 3);
  const double bad[][2] = {{kNaN, 1}, {1, kNaN}, {kInf, 1}, {1, -kInf}};
  for (const auto& b : bad) {
    bool v = true;
    map.CalcLatitude(b[0], b[1], v);
    EXPECT_FALSE(v);
    map.CalcLongitude(b[0], b[1], v);
    EXPECT_FALSE(v);
    int x, y;
    EXPECT_FALSE(map.CalcPixelCoords(b[0], b[1], x, y));
  }
  // A pixel beyond the integer range is not a pixel.
  int x, y;
  EXPECT_FALSE(map.CalcPixelCoords(1e9, 9, x, y));
  EXPECT_FALSE(map.CalcPixelCoordsUTM(5e6, 5e5, x, y));  // not a UTM map
}

TEST(GeoMapCalib, MillerKeepsItsCoefficientsBelowThreePoints) {
  TGeoMap map;
  map.SetCalibModel(cmMillerCylindrical);
  map.AddCalibPoint(47.0, 9.0, 0, 2000);
  map.AddCalibPoint(49.0, 13.0, 3000, 0);
  bool valid = true;
  map.CalcLongitude(100, 100, valid);
  EXPECT_FALSE(valid);  // never fitted
  map.AddCalibPoint(48.0, 11.0, 1500, 1010);
  const double lon = map.CalcLongitude(1500, 1000, valid);
  ASSERT_TRUE(valid);
  EXPECT_NEAR(lon, 11, 0.01);
  map.RemoveCalibPoint(1500, 1010);  // two points left: the fit stays
  EXPECT_EQ(map.CalcLongitude(1500, 1000, valid), lon);
  EXPECT_TRUE(valid);
}

TEST(GeoMapCalib, ExtentsAndResolution) {
  TGeoMap map;
  map.SetCalibModel(cmEquiRect);
  AddEquiRectGrid(map, 3);
  EXPECT_EQ(map.GetCalibData().Resolution, 0);  // no image
  map.SetMapImageSize(3200, 2200);
  const TCalibData& d = map.GetCalibData();
  const TLatLong want[] = {{49, 9}, {47, 9}, {47, 13}, {49, 13}};  // TCorners order
  for (int i = 0; i < 4; ++i) {
    EXPECT_NEAR(d.Corners[i].Lat, want[i].Lat, 1e-9) << i;
    EXPECT_NEAR(d.Corners[i].Long, want[i].Long, 1e-9) << i;
  }
  EXPECT_NEAR(d.Resolution, SphereGreatCircleDist(6378000, 48, 9, 48, 13) / 3200, 1e-6);
  EXPECT_NEAR(d.Resolution, 93.1, 0.1);  // 4 degrees at 48 N on 3200 pixels

  // Across the antimeridian the left-to-right difference exceeds 180
  // degrees: half the circumference is added.
  TGeoMap wide;
  wide.SetCalibModel(cmEquiRect);
  wide.AddCalibPoint(10.0, -170.0, 0, 0);
  wide.AddCalibPoint(0.0, -170.0, 0, 100);
  wide.AddCalibPoint(10.0, 30.0, 1000, 0);
  wide.SetMapImageSize(1000, 100);
  const double d0 = SphereGreatCircleDist(6378000, 5, -170, 5, 30);
  EXPECT_NEAR(wide.GetCalibData().Resolution, (d0 + 20037077.944595701276) / 1000, 1e-6);
}

// A UTM map projects with its own zone and hemisphere: positions that the
// zone rules would put in another zone (past the zone edge, Norway's zone
// 32 exception) or in the other hemisphere come out where they are.
TEST(GeoMapCalib, UTMUsesTheCalibrationsZone) {
  struct {
    int Zone;
    THemisphere Hemi;
    double Lat, Long;  // probe position
  } const cases[] = {
      {32, hemiNorth, 48.0, 12.8},     // zone 33 by the rules
      {31, hemiNorth, 60.0, 4.0},      // zone 32 by the Norway rule
      {33, hemiNorth, 78.0, 8.5},      // zone 31 or 33 by the Svalbard rule
      {37, hemiSouth, 0.3, 38.0},      // north of the equator
      {37, hemiNorth, -0.3, 38.0},     // south of the equator
      {60, hemiSouth, -17.0, -179.7},  // across the antimeridian
  };
  for (const auto& c : cases) {
    TGeoMap map;
    map.SetUTMZone(c.Zone);
    map.SetUTMHemisphere(c.Hemi);
    map.SetCalibModel(cmUTM);
    // Pixel = 100 m, origin at the false origin of the zone's grid.
    const double n0 = c.Hemi == hemiSouth ? 10000000 : 0;
    for (int i = 0; i < 3; ++i)
      for (int j = 0; j < 3; ++j) {
        const double n = n0 + (c.Lat * 111000) + (i - 1) * 50000, e = 500000 + (j - 1) * 200000;
        ASSERT_TRUE(map.AddCalibPoint(n, e, c.Zone, c.Hemi, static_cast<int>(e / 100),
                                      static_cast<int>(-n / 100)));
      }
    int x, y;
    ASSERT_TRUE(map.CalcPixelCoords(c.Lat, c.Long, x, y)) << c.Zone;
    // Back through the inverse of the same zone: within a pixel.
    bool v1, v2;
    const double lat = map.CalcLatitude(x, y, v1), lon = map.CalcLongitude(x, y, v2);
    ASSERT_TRUE(v1 && v2);
    EXPECT_NEAR(lat, c.Lat, 0.002) << c.Zone;
    EXPECT_NEAR(std::remainder(lon - c.Long, 360.0), 0, 0.002) << c.Zone;
    // The grid helpers agree with the UTM pixel conversion.
    const double n = -100.0 * y, e = 100.0 * x;
    int ux, uy;
    ASSERT_TRUE(map.CalcPixelCoordsUTM(n, e, ux, uy));
    EXPECT_EQ(map.CalcUTMxFromEastingY(e, uy), ux);
    EXPECT_EQ(map.CalcUTMyFromNorthingX(n, ux), uy);
  }
  // Outside 1..60 there is no zone to convert in.
  for (int zone : {-1, 0, 61}) {
    TGeoMap map;
    map.SetCalibModel(cmUTM);
    map.SetUTMZone(0);
    for (int i = 0; i < 3; ++i)
      map.AddCalibPoint(5e6 + i * 1000.0, 5e5 + i * i * 1000.0, 0, hemiNorth, i * 10, i * i * 10);
    map.SetUTMZone(zone);
    bool v;
    map.CalcLatitude(5, 5, v);
    EXPECT_FALSE(v) << zone;
    int x, y;
    EXPECT_FALSE(map.CalcPixelCoords(45, 9, x, y)) << zone;
    EXPECT_TRUE(map.CalcPixelCoordsUTM(5e6, 5e5, x, y)) << zone;
  }
}

}  // namespace
}  // namespace tkz
