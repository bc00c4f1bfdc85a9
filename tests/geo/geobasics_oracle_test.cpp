// geobasics against respected peers: GeographicLib for the projections, the
// zones and geocentric coordinates, PROJ (cs2cs, cct) for the datum shifts.
// Each test prints the largest difference it measured and asserts a bound
// just above it; without the peer a test is skipped.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "geo/geobasics.h"
#include "geo/geobasics_datums.h"

#ifdef TKZ_HAVE_GEOGRAPHICLIB
#include <GeographicLib/Geocentric.hpp>
#include <GeographicLib/MGRS.hpp>
#include <GeographicLib/PolarStereographic.hpp>
#include <GeographicLib/TransverseMercator.hpp>
#include <GeographicLib/UTMUPS.hpp>
#endif

namespace tkz {
namespace {

constexpr double kDeg = 3.14159265358979323846 / 180;

double Flattening(TGeoEllipsoid ell) {
  return 1 - GeoEllipsoidData[ell].b / GeoEllipsoidData[ell].a;
}

void Report(const char* what, double value, const char* unit) {
  std::printf("[ measured ] %-58s %.6g %s\n", what, value, unit);
}

#ifdef TKZ_HAVE_GEOGRAPHICLIB

// Largest differences of one ellipsoid's UTM grid run, in millimetres.
struct TUTMErrors {
  double fwdStandard = 0, invStandard = 0;  // within 3 degrees of the central meridian
  double fwdWidened = 0, invWidened = 0;    // the wider Norway and Svalbard zones
  int points = 0;
};

// Every zone and band: forward against GeographicLib's Transverse Mercator
// about our zone's central meridian, and our inverse of GeographicLib's
// easting and northing measured by projecting our answer forward again.
TUTMErrors MeasureUTM(TGeoEllipsoid ell, double latStep, double lonStep) {
  const GeographicLib::TransverseMercator tm(GeoEllipsoidData[ell].a, Flattening(ell), 0.9996);
  TUTMErrors err;
  auto grid = [&](double lat, double lon) {
    int zone;
    double e, n;
    LatLongToUTM(lat, lon, ell, zone, e, n);
    if (zone == 0) return;
    const double lon0 = UTMCentralMeridian(zone) / kDeg;
    double x, y;
    tm.Forward(lon0, lat, lon, x, y);
    const bool south = y < 0;
    const double eRef = x + 500000, nRef = south ? y + 10000000 : y;
    const double fwd = 1000 * std::hypot(e - eRef, n - nRef);
    double lat2, lon2, x2, y2;
    UTMToLatLong(eRef, nRef, zone, south, ell, lat2, lon2);
    tm.Forward(lon0, lat2, lon2, x2, y2);
    const double inv = 1000 * std::hypot(x2 - x, y2 - y);
    const bool standard = std::fabs(lon - lon0) <= 3 + 1e-9;
    (standard ? err.fwdStandard : err.fwdWidened) =
        std::max(standard ? err.fwdStandard : err.fwdWidened, fwd);
    (standard ? err.invStandard : err.invWidened) =
        std::max(standard ? err.invStandard : err.invWidened, inv);
    ++err.points;
  };
  for (double lat = -80; lat <= 84; lat += latStep) {
    for (double lon = -180; lon < 180; lon += lonStep) grid(lat, lon);
  }
  // Denser over the widened zones: 32V from 3 degrees east, and 31X to 37X.
  for (double lat = 56; lat < 64; lat += latStep / 4) {
    for (double lon = 3; lon < 12; lon += lonStep / 4) grid(lat, lon);
  }
  for (double lat = 72; lat <= 84; lat += latStep / 4) {
    for (double lon = 0; lon < 42; lon += lonStep / 4) grid(lat, lon);
  }
  return err;
}

TEST(GeoOracle, UTMAgainstGeographicLibWGS84) {
  const TUTMErrors err = MeasureUTM(gelWGS84, 0.5, 0.25);
  Report("UTM WGS 84 points", err.points, "");
  Report("UTM forward, within 3 deg of the central meridian", err.fwdStandard, "mm");
  Report("UTM inverse, within 3 deg of the central meridian", err.invStandard, "mm");
  Report("UTM forward, widened Norway/Svalbard zones", err.fwdWidened, "mm");
  Report("UTM inverse, widened Norway/Svalbard zones", err.invWidened, "mm");
  EXPECT_LT(err.fwdStandard, 0.02);
  EXPECT_LT(err.invStandard, 0.02);
  EXPECT_LT(err.fwdWidened, 0.02);
  EXPECT_LT(err.invWidened, 0.5);
}

TEST(GeoOracle, UTMAgainstGeographicLibOtherEllipsoids) {
  for (TGeoEllipsoid ell : {gelAiry30, gelBess41, gelClrk66, gelInt24, gelSphere}) {
    const TUTMErrors err = MeasureUTM(ell, 2, 1);
    const std::string name = std::string("UTM ") + GeoEllipsoidId[ell];
    Report((name + " forward, standard width").c_str(), err.fwdStandard, "mm");
    Report((name + " inverse, standard width").c_str(), err.invStandard, "mm");
    EXPECT_LT(err.fwdStandard, 0.02) << GeoEllipsoidId[ell];
    EXPECT_LT(err.invStandard, 0.02) << GeoEllipsoidId[ell];
  }
}

// How the series degrades away from the central meridian (printed only).
TEST(GeoOracle, TransverseMercatorFarFromTheCentralMeridian) {
  const GeographicLib::TransverseMercator tm(GeoEllipsoidData[gelWGS84].a, Flattening(gelWGS84), 1);
  for (double dlon : {3.0, 6.0, 9.0, 15.0, 30.0}) {
    double worst = 0;
    for (double lat = -80; lat <= 84; lat += 0.5) {
      double x, y, xr, yr;
      LatLongToTM(lat * kDeg, dlon * kDeg, 0, gelWGS84, x, y);
      tm.Forward(0, lat, dlon, xr, yr);
      worst = std::max(worst, 1000 * std::hypot(x - xr, y - yr));
    }
    Report(("TM forward at " + std::to_string(int(dlon)) + " deg from the meridian").c_str(), worst,
           "mm");
    if (dlon <= 3) {
      EXPECT_LT(worst, 0.02);
    }
  }
}

TEST(GeoOracle, ZonesAndBandsAgainstGeographicLib) {
  int checked = 0;
  for (double lat = -80; lat < 84; lat += 0.25) {
    for (double lon = -180; lon < 180; lon += 0.25) {
      int zone;
      char band;
      GeoToUTMZone(lat, lon, zone, band);
      ASSERT_EQ(zone, GeographicLib::UTMUPS::StandardZone(lat, lon)) << lat << " " << lon;
      int z;
      bool northp;
      double x, y;
      GeographicLib::UTMUPS::Forward(lat, lon, z, northp, x, y);
      std::string mgrs;
      GeographicLib::MGRS::Forward(z, northp, x, y, lat, 0, mgrs);
      ASSERT_EQ(band, mgrs[2]) << lat << " " << lon;
      ++checked;
    }
  }
  Report("zones and bands compared", checked, "");
  // At 84 degrees exactly our band X still holds; GeographicLib starts UPS.
  EXPECT_EQ(GeoToUTMZone(84, 10), "33X");
  EXPECT_EQ(GeographicLib::UTMUPS::StandardZone(84, 10), GeographicLib::UTMUPS::UPS);
}

TEST(GeoOracle, UPSAgainstGeographicLib) {
  double fwd = 0, inv = 0;
  for (TGeoEllipsoid ell : {gelWGS84, gelInt24, gelSphere}) {
    const GeographicLib::PolarStereographic ps(GeoEllipsoidData[ell].a, Flattening(ell), 0.994);
    for (double lat = 60; lat <= 90; lat += 0.25) {
      for (double lon = -180; lon < 180; lon += 1) {
        for (bool north : {true, false}) {
          const double la = north ? lat : -lat;
          double e, n, x, y;
          LatLongToUPS(la, lon, ell, e, n);
          ps.Forward(north, la, lon, x, y);
          fwd = std::max(fwd, 1000 * std::hypot(e - 2000000 - x, n - 2000000 - y));
          double lat2, lon2, x2, y2;
          UPSToLatLong(x + 2000000, y + 2000000, !north, ell, lat2, lon2);
          ps.Forward(north, lat2, lon2, x2, y2);
          inv = std::max(inv, 1000 * std::hypot(x2 - x, y2 - y));
        }
      }
    }
  }
  Report("UPS forward (60..90 deg, WGS 84, Int 1924, sphere)", fwd, "mm");
  Report("UPS inverse", inv, "mm");
  EXPECT_LT(fwd, 1e-3);
  EXPECT_LT(inv, 1e-3);
}

TEST(GeoOracle, GeocentricAgainstGeographicLib) {
  double fwd = 0, invHorizontal = 0, invHeight = 0;
  for (TGeoEllipsoid ell : {gelWGS84, gelAiry30, gelClrk80IGN, gelPopVisSphere}) {
    const GeographicLib::Geocentric geo(GeoEllipsoidData[ell].a, Flattening(ell));
    for (double lat = -90; lat <= 90; lat += 0.5) {
      for (double lon = -180; lon <= 180; lon += 7.5) {
        for (double h : {-500.0, 0.0, 4000.0, 100000.0}) {
          double x, y, z, xr, yr, zr;
          GeoToCartesian(lat, lon, h, ell, x, y, z);
          geo.Forward(lat, lon, h, xr, yr, zr);
          fwd = std::max(fwd, 1000 * std::hypot(x - xr, y - yr, z - zr));
          double lat2, lon2, h2, latr, lonr, hr;
          CartesianToGeo(xr, yr, zr, ell, lat2, lon2, h2);
          geo.Reverse(xr, yr, zr, latr, lonr, hr);
          const double dLon = std::remainder(lon2 - lonr, 360.0) * std::cos(latr * kDeg);
          invHorizontal =
              std::max(invHorizontal, 1000 * 6.4e6 * kDeg * std::hypot(lat2 - latr, dLon));
          invHeight = std::max(invHeight, 1000 * std::fabs(h2 - hr));
        }
      }
    }
  }
  Report("geographic to geocentric", fwd, "mm");
  Report("geocentric to geographic, horizontal", invHorizontal, "mm");
  Report("geocentric to geographic, height", invHeight, "mm");
  EXPECT_LT(fwd, 1e-3);
  EXPECT_LT(invHorizontal, 0.01);
  EXPECT_LT(invHeight, 0.01);
}

#else

TEST(GeoOracle, NeedsGeographicLib) { GTEST_SKIP() << "GeographicLib is not installed"; }

#endif  // TKZ_HAVE_GEOGRAPHICLIB

// ------------------------------------------------------------ PROJ (cs2cs)

bool HaveProgram(const char* name) {
  return std::system((std::string("command -v ") + name + " >/dev/null 2>&1").c_str()) == 0;
}

// Runs a PROJ program on "lon lat h" lines and returns the numbers of each
// output line.
std::vector<std::vector<double>> RunProj(const std::string& command,
                                         const std::vector<std::array<double, 3>>& points) {
  const auto dir = std::filesystem::temp_directory_path();
  const auto in = dir / ("tkz_geo_proj_" + std::to_string(::getpid()) + ".txt");
  {
    std::ofstream f(in);
    f.precision(17);
    for (const auto& p : points) f << p[0] << ' ' << p[1] << ' ' << p[2] << '\n';
  }
  std::vector<std::vector<double>> rows;
  FILE* pipe = ::popen((command + " < " + in.string()).c_str(), "r");
  if (pipe == nullptr) return rows;
  char line[512];
  while (std::fgets(line, sizeof line, pipe) != nullptr) {
    std::istringstream s(line);
    std::vector<double> values;
    double v;
    while (s >> v) values.push_back(v);
    rows.push_back(values);
  }
  ::pclose(pipe);
  std::filesystem::remove(in);
  return rows;
}

std::string ProjEllipsoid(const TDatumRow& row) {
  char text[128];
  std::snprintf(text, sizeof text, "+a=%.17g +b=%.17g", GeoEllipsoidData[row.Ellipsoid].a,
                GeoEllipsoidData[row.Ellipsoid].b);
  return text;
}

std::string ProjHelmert(const TDatumRow& row) {
  char text[256];
  std::snprintf(text, sizeof text, "%.17g,%.17g,%.17g,%.17g,%.17g,%.17g,%.17g", row.dX, row.dY,
                row.dZ, row.rX, row.rY, row.rZ, row.Scale);
  return text;
}

std::vector<std::array<double, 3>> HelmertPoints() {
  std::vector<std::array<double, 3>> points;  // lon, lat, h
  for (double lat = -75; lat <= 80; lat += 31) {
    for (double lon = -170; lon <= 170; lon += 42.5) points.push_back({lon, lat, 150.0});
  }
  points.push_back({5.387, 52.156, 43.2});  // Amersfoort
  points.push_back({-1.5, 53.8, 100.0});    // Leeds
  points.push_back({9.0, 48.5, 500.0});     // Swabia
  points.push_back({0.0, 0.0, -20.0});
  return points;
}

// From each datum to WGS 84: cs2cs with +towgs84 (position-vector rotations,
// as in our formula) for latitude and longitude; cs2cs keeps the height of a
// two-dimensional CRS, so the height comes from cct running the same
// pipeline that cs2cs builds.
TEST(GeoOracle, HelmertToWGS84AgainstPROJ) {
  if (!HaveProgram("cs2cs") || !HaveProgram("cct")) GTEST_SKIP() << "PROJ is not installed";
  const auto points = HelmertPoints();
  double worstHorizontal = 0, worstHeight = 0;
  for (int datum : {13, 183, 217, 268, 1, 158}) {
    const TDatumRow& row = *DatumRow(datum);
    const auto horizontal = RunProj("cs2cs -f %.12f +proj=longlat " + ProjEllipsoid(row) +
                                        " +towgs84=" + ProjHelmert(row) +
                                        " +no_defs +to +proj=longlat +datum=WGS84 +no_defs",
                                    points);
    char helmert[256];
    std::snprintf(helmert, sizeof helmert,
                  "+proj=helmert +x=%.17g +y=%.17g +z=%.17g +rx=%.17g +ry=%.17g +rz=%.17g "
                  "+s=%.17g +convention=position_vector",
                  row.dX, row.dY, row.dZ, row.rX, row.rY, row.rZ, row.Scale);
    const auto height = RunProj(
        "cct -d 9 +proj=pipeline +step +proj=unitconvert +xy_in=deg +xy_out=rad +step +proj=cart " +
            ProjEllipsoid(row) + " +step " + helmert +
            " +step +inv +proj=cart +ellps=WGS84 +step +proj=unitconvert +xy_in=rad +xy_out=deg",
        points);
    ASSERT_EQ(horizontal.size(), points.size()) << datum;
    ASSERT_EQ(height.size(), points.size()) << datum;
    for (size_t i = 0; i < points.size(); ++i) {
      ASSERT_GE(horizontal[i].size(), 2u);
      ASSERT_GE(height[i].size(), 3u);
      double lat, lon, h;
      ASSERT_EQ(HelmertTransform(datum, points[i][1], points[i][0], points[i][2], 269, lat, lon, h),
                kHelmertOK);
      const double dLon = (lon - horizontal[i][0]) * std::cos(lat * kDeg);
      worstHorizontal =
          std::max(worstHorizontal, 1000 * 6.4e6 * kDeg * std::hypot(lat - horizontal[i][1], dLon));
      worstHeight = std::max(worstHeight, 1000 * std::fabs(h - height[i][2]));
    }
  }
  Report("datum shift to WGS 84 vs cs2cs, horizontal", worstHorizontal, "mm");
  // The rotations are those of the position-vector convention: read as
  // coordinate-frame rotations (signs reversed) they would move the points of
  // datum 13 by tens of metres.
  const TDatumRow& rd = *DatumRow(13);
  TDatumRow frame = rd;
  frame.rX = -rd.rX;
  frame.rY = -rd.rY;
  frame.rZ = -rd.rZ;
  const auto frameRows = RunProj("cs2cs -f %.12f +proj=longlat " + ProjEllipsoid(frame) +
                                     " +towgs84=" + ProjHelmert(frame) +
                                     " +no_defs +to +proj=longlat +datum=WGS84 +no_defs",
                                 points);
  ASSERT_EQ(frameRows.size(), points.size());
  double frameDiff = 0;
  for (size_t i = 0; i < points.size(); ++i) {
    double lat, lon, h;
    HelmertTransform(13, points[i][1], points[i][0], points[i][2], 269, lat, lon, h);
    const double dLon = (lon - frameRows[i][0]) * std::cos(lat * kDeg);
    frameDiff = std::max(frameDiff, 6.4e6 * kDeg * std::hypot(lat - frameRows[i][1], dLon));
  }
  Report("datum 13 against coordinate-frame rotations, largest", frameDiff, "m");
  EXPECT_GT(frameDiff, 10);
  Report("datum shift to WGS 84 vs cct, height", worstHeight, "mm");
  EXPECT_LT(worstHorizontal, 0.1);
  EXPECT_LT(worstHeight, 0.1);
}

// The datums whose shift has rotations or a scale, and two of three
// parameters only: the rows where the way back from WGS 84 is more than a
// subtraction.
std::vector<int> SevenParameterDatums() {
  std::vector<int> datums{1, 158};
  for (int nr = 1; nr <= kDatumCount; ++nr) {
    const TDatumRow& row = *DatumRow(nr);
    if (row.Scale != 0 || row.rX != 0 || row.rY != 0 || row.rZ != 0) datums.push_back(nr);
  }
  return datums;
}

// The cct pipeline that cs2cs builds for "+towgs84" from WGS 84 to a datum,
// for the height that cs2cs drops.
std::string ProjFromWGS84Pipeline(const TDatumRow& row) {
  char helmert[256];
  std::snprintf(helmert, sizeof helmert,
                "+proj=helmert +x=%.17g +y=%.17g +z=%.17g +rx=%.17g +ry=%.17g +rz=%.17g "
                "+s=%.17g +convention=position_vector",
                row.dX, row.dY, row.dZ, row.rX, row.rY, row.rZ, row.Scale);
  return "cct -d 9 +proj=pipeline +step +proj=unitconvert +xy_in=deg +xy_out=rad "
         "+step +proj=cart +ellps=WGS84 +step +inv " +
         std::string(helmert) + " +step +inv +proj=cart " + ProjEllipsoid(row) +
         " +step +proj=unitconvert +xy_in=rad +xy_out=deg";
}

// From WGS 84 to each datum our inverse applies the target's parameters
// negated and subtracts the translation after the rotation and scale; PROJ
// inverts exactly. The difference is reported and bounded by what that
// approximation allows (scale and rotation times the translation, a few
// centimetres), and so is the round trip through WGS 84.
TEST(GeoOracle, HelmertFromWGS84AgainstPROJ) {
  if (!HaveProgram("cs2cs") || !HaveProgram("cct")) GTEST_SKIP() << "PROJ is not installed";
  const auto points = HelmertPoints();
  double worst = 0, worstHeight = 0, roundTrip = 0, roundTripHeight = 0;
  for (int datum : SevenParameterDatums()) {
    const TDatumRow& row = *DatumRow(datum);
    const auto rows = RunProj(
        "cs2cs -f %.12f +proj=longlat +datum=WGS84 +no_defs +to "
        "+proj=longlat " +
            ProjEllipsoid(row) + " +towgs84=" + ProjHelmert(row) + " +no_defs",
        points);
    const auto height = RunProj(ProjFromWGS84Pipeline(row), points);
    ASSERT_EQ(rows.size(), points.size()) << datum;
    ASSERT_EQ(height.size(), points.size()) << datum;
    for (size_t i = 0; i < points.size(); ++i) {
      ASSERT_GE(rows[i].size(), 2u);
      ASSERT_GE(height[i].size(), 3u);
      double lat, lon, h;
      ASSERT_EQ(HelmertTransform(269, points[i][1], points[i][0], points[i][2], datum, lat, lon, h),
                kHelmertOK);
      const double dLon = (lon - rows[i][0]) * std::cos(lat * kDeg);
      worst = std::max(worst, 1000 * 6.4e6 * kDeg * std::hypot(lat - rows[i][1], dLon));
      worstHeight = std::max(worstHeight, 1000 * std::fabs(h - height[i][2]));
      double lat2, lon2, h2;
      ASSERT_EQ(HelmertTransform(datum, lat, lon, h, 269, lat2, lon2, h2), kHelmertOK);
      const double dLon2 = (lon2 - points[i][0]) * std::cos(lat * kDeg);
      roundTrip = std::max(roundTrip, 1000 * 6.4e6 * kDeg * std::hypot(lat2 - points[i][1], dLon2));
      roundTripHeight = std::max(roundTripHeight, 1000 * std::fabs(h2 - points[i][2]));
    }
  }
  Report("datum shift from WGS 84 vs cs2cs, horizontal", worst, "mm");
  Report("datum shift from WGS 84 vs cct, height", worstHeight, "mm");
  Report("WGS 84 to a datum and back, horizontal", roundTrip, "mm");
  Report("WGS 84 to a datum and back, height", roundTripHeight, "mm");
  EXPECT_LT(worst, 35);
  EXPECT_LT(worstHeight, 35);
  EXPECT_LT(roundTrip, 45);
  EXPECT_LT(roundTripHeight, 70);
}

}  // namespace
}  // namespace tkz
