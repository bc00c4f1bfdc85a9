// Accuracy of the calibration models on synthetic maps of southern Germany
// (47-49 N, 8-13.5 E) drawn in known projections: equirectangular, Miller,
// UTM (GeographicLib as the oracle) and Lambert conformal conic (closed-form
// ellipsoidal formulas checked against PROJ's "proj" program). Each model is
// calibrated from 9 to 32 rounded pixel positions and must convert a grid of
// other positions both ways within the bound of its row; the measured worst
// errors are printed.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <numbers>
#include <string>

#include "geo/geomap.h"

#ifdef TKZ_HAVE_GEOGRAPHICLIB
#include <GeographicLib/TransverseMercator.hpp>
#endif

namespace tkz {
namespace {

constexpr double kRad = std::numbers::pi / 180;
constexpr double kRes = 100;  // metres per pixel of the synthetic maps

// A synthetic map: pixel position (and for UTM northing and easting) of a
// geographic position, and the region it covers.
struct TProjection {
  std::string Name;
  double Lat0 = 0, Lat1 = 0, Long0 = 0, Long1 = 0;
  std::function<void(double Lat, double Long, double& X, double& Y)> Pixel;
  std::function<void(double Lat, double Long, double& N, double& E)> NorthEast;
  int Zone = 0;
  bool South = false;
};

TProjection Region(std::string name, double lat0, double lat1, double long0, double long1) {
  TProjection p;
  p.Name = std::move(name);
  p.Lat0 = lat0, p.Lat1 = lat1, p.Long0 = long0, p.Long1 = long1;
  return p;
}

TProjection EquiRect() {
  TProjection p = Region("equirectangular", 47, 49, 9, 13);
  p.Pixel = [](double lat, double lon, double& x, double& y) {
    x = (lon - 9) * 800;
    y = (49 - lat) * 1100;
  };
  return p;
}

double MillerY(double lat) {
  return 1.25 * std::log(std::tan(std::numbers::pi / 4 + 0.4 * lat * kRad));
}

TProjection Miller() {
  TProjection p = Region("Miller", 47, 49, 9, 13);
  p.Pixel = [](double lat, double lon, double& x, double& y) {
    constexpr double r = 6371000;
    x = (lon - 9) * kRad * r / kRes;
    y = (MillerY(49) - MillerY(lat)) * r / kRes;
  };
  return p;
}

// Lambert conformal conic on WGS 84, standard parallels 47 and 49 N, origin
// 48 N 11 E (Snyder's ellipsoidal formulas).
void LambertConic(double lat, double lon, double& x, double& y) {
  const double a = 6378137, f = 1 / 298.257223563, e = std::sqrt(f * (2 - f));
  auto m = [&](double phi) {
    return std::cos(phi) / std::sqrt(1 - e * e * std::sin(phi) * std::sin(phi));
  };
  auto t = [&](double phi) {
    const double s = e * std::sin(phi);
    return std::tan(std::numbers::pi / 4 - phi / 2) / std::pow((1 - s) / (1 + s), e / 2);
  };
  const double p1 = 47 * kRad, p2 = 49 * kRad, p0 = 48 * kRad;
  const double n = (std::log(m(p1)) - std::log(m(p2))) / (std::log(t(p1)) - std::log(t(p2)));
  const double F = m(p1) / (n * std::pow(t(p1), n));
  const double rho = a * F * std::pow(t(lat * kRad), n), rho0 = a * F * std::pow(t(p0), n);
  const double theta = n * (lon - 11) * kRad;
  x = rho * std::sin(theta);
  y = rho0 - rho * std::cos(theta);
}

TProjection Lambert() {
  TProjection p = Region("Lambert conformal conic", 47, 49, 9, 13);
  double xmin, ymax, dummy;
  LambertConic(47, 9, xmin, dummy);
  LambertConic(49, 11, dummy, ymax);
  p.Pixel = [xmin, ymax](double lat, double lon, double& x, double& y) {
    LambertConic(lat, lon, x, y);
    x = (x - xmin) / kRes;
    y = (ymax - y) / kRes;
  };
  return p;
}

// The formulas above against PROJ, where its "proj" program is installed.
TEST(GeoMapCalibAccuracy, LambertFormulasAgreeWithProj) {
  if (std::system("command -v proj >/dev/null 2>&1") != 0) GTEST_SKIP() << "PROJ is not installed";
  const double points[][2] = {{47.2, 9.1}, {48.0, 11.0}, {48.9, 12.9}, {47.5, 13.4}};
  for (const auto& pt : points) {
    char cmd[256];
    std::snprintf(cmd, sizeof cmd,
                  "echo '%.10f %.10f' | proj +proj=lcc +lat_1=47 +lat_2=49 +lat_0=48 +lon_0=11 "
                  "+ellps=WGS84 -f %%.4f",
                  pt[1], pt[0]);
    FILE* pipe = ::popen(cmd, "r");
    ASSERT_NE(pipe, nullptr);
    double px = 0, py = 0;
    const int n = std::fscanf(pipe, "%lf %lf", &px, &py);
    ::pclose(pipe);
    ASSERT_EQ(n, 2) << cmd;
    double x, y;
    LambertConic(pt[0], pt[1], x, y);
    EXPECT_NEAR(x, px, 0.001) << pt[0] << " " << pt[1];
    EXPECT_NEAR(y, py, 0.001) << pt[0] << " " << pt[1];
  }
}

#ifdef TKZ_HAVE_GEOGRAPHICLIB
// UTM of a fixed zone and hemisphere through GeographicLib; the image is
// turned by 1.5 degrees against the grid.
TProjection UTM(const std::string& name, double lat0, double lat1, double long0, double long1,
                int zone, bool south) {
  TProjection p = Region(name, lat0, lat1, long0, long1);
  p.Zone = zone;
  p.South = south;
  const double lon0 = 6.0 * zone - 183;
  p.NorthEast = [lon0, south](double lat, double lon, double& n, double& e) {
    double x, y;
    GeographicLib::TransverseMercator::UTM().Forward(lon0, lat, lon, x, y);
    e = x + 500000;
    n = y + (south ? 10000000 : 0);
  };
  double n0, e0, dummy;
  p.NorthEast(lat1, long0, n0, dummy);
  p.NorthEast(lat0, long0, dummy, e0);
  const double turn = 1.5 * kRad;
  p.Pixel = [ne = p.NorthEast, n0, e0, turn](double lat, double lon, double& x, double& y) {
    double n, e;
    ne(lat, lon, n, e);
    const double de = (e - e0) / kRes, dn = (n0 - n) / kRes;
    x = std::cos(turn) * de - std::sin(turn) * dn + 200;
    y = std::sin(turn) * de + std::cos(turn) * dn + 200;
  };
  return p;
}
#endif

// Calibrates Map with Model from an NLat x NLong grid of the region's
// positions (for the parabolic model: NLong meridians and NLat parallels
// through the same grid).
void Calibrate(TGeoMap& Map, const TProjection& P, TCalibModel Model, int NLat, int NLong) {
  Map.ClearCalibData();
  Map.SetMapImageSize(4000, 3000);
  if (Model == cmUTM) {
    Map.SetUTMZone(P.Zone);
    Map.SetUTMHemisphere(P.South ? hemiSouth : hemiNorth);
  }
  Map.SetCalibModel(Model);
  for (int i = 0; i < NLat; ++i) {
    for (int j = 0; j < NLong; ++j) {
      const double lat = P.Lat0 + (P.Lat1 - P.Lat0) * i / (NLat - 1);
      const double lon = P.Long0 + (P.Long1 - P.Long0) * j / (NLong - 1);
      double x, y;
      P.Pixel(lat, lon, x, y);
      const int px = static_cast<int>(std::lround(x)), py = static_cast<int>(std::lround(y));
      if (Model == cmParabolicIp) {
        Map.AddCalibPoint(gtlMeridian, lon, px, py);
        Map.AddCalibPoint(gtlParallel, lat, px, py);
      } else if (Model == cmUTM) {
        double n, e;
        P.NorthEast(lat, lon, n, e);
        ASSERT_TRUE(Map.AddCalibPoint(n, e, P.Zone, P.South ? hemiSouth : hemiNorth, px, py));
      } else {
        ASSERT_TRUE(Map.AddCalibPoint(lat, lon, px, py));
      }
    }
  }
}

struct TErrors {
  double Pixel = 0;   // worst distance of CalcPixelCoords from the true pixel
  double Metres = 0;  // worst distance of CalcLatitude/CalcLongitude from the truth
};

// Worst errors over a 9 x 9 grid of positions between the calibration
// points (inset by a twentieth of the region on every side).
TErrors Measure(const TGeoMap& Map, const TProjection& P) {
  TErrors worst;
  for (int i = 0; i < 9; ++i) {
    for (int j = 0; j < 9; ++j) {
      const double lat = P.Lat0 + (P.Lat1 - P.Lat0) * (0.05 + 0.9 * i / 8.0 + 0.013);
      const double lon = P.Long0 + (P.Long1 - P.Long0) * (0.05 + 0.9 * j / 8.0 + 0.017);
      double x, y;
      P.Pixel(lat, lon, x, y);
      int px, py;
      if (!Map.CalcPixelCoords(lat, lon, px, py)) {
        ADD_FAILURE() << P.Name << ": no pixel for " << lat << " " << lon;
        return worst;
      }
      worst.Pixel = std::max(worst.Pixel, std::hypot(px - x, py - y));
      bool v1, v2;
      const double clat = Map.CalcLatitude(x, y, v1), clon = Map.CalcLongitude(x, y, v2);
      if (!v1 || !v2) {
        ADD_FAILURE() << P.Name << ": no position for " << x << " " << y;
        return worst;
      }
      const double dn = (clat - lat) * 111320,
                   de = std::remainder(clon - lon, 360.0) * 111320 * std::cos(lat * kRad);
      worst.Metres = std::max(worst.Metres, std::hypot(dn, de));
    }
  }
  return worst;
}

struct TAccuracyCase {
  TCalibModel Model;
  int NLat, NLong;
  double MaxPixel, MaxMetres;  // bounds just above the measured worst errors
};

void RunCases(const TProjection& P, std::initializer_list<TAccuracyCase> Cases) {
  for (const TAccuracyCase& c : Cases) {
    TGeoMap map;
    Calibrate(map, P, c.Model, c.NLat, c.NLong);
    const TErrors e = Measure(map, P);
    double qx, qy;
    map.CalibQuality(qx, qy);
    std::printf("  %-24s %-18s %2d points: pixel %.3f px, position %.2f m, quality %.3f %.3f\n",
                P.Name.c_str(), CalibModelNames[c.Model].c_str(), c.NLat * c.NLong, e.Pixel,
                e.Metres, qx, qy);
    const std::string what = P.Name + " / " + CalibModelNames[c.Model];
    EXPECT_LE(e.Pixel, c.MaxPixel) << what;
    EXPECT_LE(e.Metres, c.MaxMetres) << what;
    if (c.Model != cmParabolicIp) {
      // The calibration points themselves come back to within a pixel or so.
      EXPECT_LT(qx, std::max(1.0, c.MaxPixel)) << what;
      EXPECT_LT(qy, std::max(1.0, c.MaxPixel)) << what;
    }
  }
}

TEST(GeoMapCalibAccuracy, EquiRectangularMap) {
  RunCases(EquiRect(), {{cmEquiRect, 3, 3, 0.6, 1},
                        {cmEquiRect, 5, 6, 0.6, 1},
                        {cmBiquadraticPn, 3, 3, 0.6, 1},
                        {cmBiquadraticPn, 5, 6, 0.6, 1},
                        {cmParabolicIp, 4, 4, 0.9, 45}});
}

TEST(GeoMapCalibAccuracy, MillerMap) {
  RunCases(Miller(), {{cmMillerCylindrical, 3, 3, 0.7, 20},
                      {cmMillerCylindrical, 5, 6, 0.8, 16},
                      {cmBiquadraticPn, 5, 6, 0.95, 18}});
}

TEST(GeoMapCalibAccuracy, LambertConicMap) {
  RunCases(Lambert(), {{cmConicConformal, 3, 3, 0.95, 45},
                       {cmConicConformal, 5, 6, 0.75, 12},
                       {cmBiquadraticPn, 5, 6, 0.8, 45},
                       {cmParabolicIp, 4, 4, 1.0, 48}});
}

#ifdef TKZ_HAVE_GEOGRAPHICLIB
TEST(GeoMapCalibAccuracy, UTMMaps) {
  // Inside zone 32.
  RunCases(UTM("UTM 32N", 47, 49, 7.5, 11.5, 32, false),
           {{cmUTM, 3, 3, 1.1, 55}, {cmUTM, 5, 6, 0.85, 30}, {cmBiquadraticPn, 5, 6, 0.85, 60}});
  // Zone 32 calibration reaching into zone 33 (east of 12 E).
  RunCases(UTM("UTM 32N past 12E", 47, 49, 10, 13.5, 32, false), {{cmUTM, 5, 6, 0.8, 15}});
  // Zone 31 on the Norwegian coast, where the zone rules assign 32 east of 3 E.
  RunCases(UTM("UTM 31N Norway", 59, 61, 1.5, 5, 31, false), {{cmUTM, 5, 6, 0.8, 22}});
  // A southern zone reaching across the equator.
  RunCases(UTM("UTM 37S equator", -1.5, 0.5, 37, 40, 37, true), {{cmUTM, 5, 6, 0.8, 16}});
  // Zone 60 next to the antimeridian.
  RunCases(UTM("UTM 60S Fiji", -18, -16, 177, 180, 60, true), {{cmUTM, 5, 6, 0.8, 12}});
}
#else
TEST(GeoMapCalibAccuracy, UTMNeedsGeographicLib) {
  GTEST_SKIP() << "GeographicLib is not installed";
}
#endif

}  // namespace
}  // namespace tkz
