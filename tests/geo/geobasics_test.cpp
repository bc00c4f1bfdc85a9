// geobasics: ellipsoid tables and formulas, UTM zones, the projections' fixed
// points and round trips, datum shifts, and what bad input gives.
#include "geo/geobasics.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace tkz {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kDeg = 3.14159265358979323846 / 180;

// ------------------------------------------------------------ ellipsoids

TEST(GeoEllipsoids, TablesFollowTheEnumeration) {
  EXPECT_STREQ(GeoEllipsoidId[gelWGS84], "gelWGS84");
  EXPECT_STREQ(GeoEllipsoidId[gelSphere], "gelSphere");
  EXPECT_STREQ(GeoEllipsoidId[gelNahrwan29], "gelNahrwan29");
  EXPECT_STREQ(GeoEllipsoidName[gelWGS84], "WGS 1984");
  EXPECT_STREQ(GeoEllipsoidName[gelClrk80intfoot], "Clarke 1880 (international foot)");
  EXPECT_STREQ(GeoEllipsoidName[gelNahrwan29], "Nahrwan 1929");
  EXPECT_EQ(GeoEllipsoidData[gelAiry30].a, 6377563.396);
  EXPECT_EQ(GeoEllipsoidData[gelAiry30].b, 6356256.91);
  EXPECT_EQ(GeoEllipsoidData[gelPopVisSphere].a, GeoEllipsoidData[gelPopVisSphere].b);
}

// The published reciprocal flattenings (six decimals) are derived from the
// stored axes, so each row's axes must reproduce them.
TEST(GeoEllipsoids, AxesReproduceThePublishedFlattening) {
  const double rf[kGeoEllipsoidCount] = {
      298.257224, 298.259999, 298.249998, 298.300000, 293.465000, 294.978698, 299.152813,
      299.152815, 299.152813, 298.249615, 297.000000, 300.801700, 300.801700, 300.801700,
      300.801699, 300.801700, 300.801700, 298.257222, 299.324975, 299.324965, 298.300001,
      298.300001, 298.300000, 298.249997, 298.300000, 297.000001, 0,          298.247000,
      298.300000, 298.257000, 298.249997, 298.257000, 0,          299.152813, 298.257222,
      294.260676, 294.978697, 293.466308, 293.466308, 293.466316, 293.466021, 293.466308,
      293.465980, 300.000000, 300.801726, 300.801725, 298.257224, 298.247167, 298.250000,
      298.279411, 298.257000, 0,          298.257224, 298.257224, 308.640000, 0,
      298.257839, 294.730000, 296.000000, 294.260676, 293.466308};
  for (int i = 0; i < kGeoEllipsoidCount; ++i) {
    const auto e = static_cast<TGeoEllipsoid>(i);
    EXPECT_NEAR(RecipFlattening(e), rf[i], 6e-7) << GeoEllipsoidId[i];
    EXPECT_NEAR(GeoEllEccSquared(e), GeoEllEccSquared(RecipFlattening(e)), 1e-15);
  }
}

TEST(GeoEllipsoids, ParameterFormulas) {
  const double a = 6378137, rf = 298.257223563;
  const double b = EllipsoidMinAxFlat(a, rf);
  EXPECT_NEAR(b, 6356752.314245, 1e-6);
  EXPECT_EQ(EllipsoidMinAxFlat(a, 0), a);
  EXPECT_NEAR(EllipsoidMinAxEcc(a, GeoEllEccSquared(a, b)), b, 1e-6);
  EXPECT_EQ(EllipsoidMinAxEcc(a, 0), a);
  EXPECT_EQ(EllipsoidMinAxEcc(a, 1), 0);
  // Either order of the axes; equal axes are a sphere.
  EXPECT_EQ(GeoEllEccSquared(a, b), GeoEllEccSquared(b, a));
  EXPECT_EQ(GeoEllEccSquared(a, a), 0);
  EXPECT_NEAR(GeoEllEccSquared(a, b), 0.00669437999014, 1e-14);
  EXPECT_NEAR(GeoEllEccSquared(rf), 0.00669437999014, 1e-14);
  EXPECT_EQ(GeoEllEccSquared(0.0), 0);
  EXPECT_NEAR(RecipFlattening(a, b), rf, 1e-6);
  EXPECT_NEAR(RecipFlattening(GeoEllEccSquared(rf)), rf, 1e-6);
  EXPECT_EQ(RecipFlattening(a, a), 0);
  EXPECT_EQ(RecipFlattening(0.0), 0);
  EXPECT_EQ(RecipFlattening(gelSphere), 0);
  EXPECT_EQ(RecipFlattening(gelAuthSph), 0);
  EXPECT_EQ(GeoEllEccSquared(gelInt24AuthSph), 0);
}

TEST(GeoEllipsoids, InvalidParametersRaise) {
  EXPECT_THROW(EllipsoidMinAxFlat(6378137, -1), ETKZGeoBasicsError);
  EXPECT_THROW(EllipsoidMinAxFlat(6378137, kNaN), ETKZGeoBasicsError);
  EXPECT_THROW(EllipsoidMinAxEcc(6378137, -0.1), ETKZGeoBasicsError);
  EXPECT_THROW(EllipsoidMinAxEcc(6378137, 1.5), ETKZGeoBasicsError);
  EXPECT_THROW(EllipsoidMinAxEcc(6378137, kNaN), ETKZGeoBasicsError);
  EXPECT_THROW(RecipFlattening(-0.1), ETKZGeoBasicsError);
  EXPECT_THROW(RecipFlattening(1.01), ETKZGeoBasicsError);
  EXPECT_THROW(RecipFlattening(kNaN), ETKZGeoBasicsError);
  try {
    EllipsoidMinAxFlat(1, -2);
    FAIL();
  } catch (const ETKZGeoBasicsError& e) {
    EXPECT_STREQ(e.what(), "invalid reciprocal flattening -2");
  }
  try {
    RecipFlattening(2.0);
    FAIL();
  } catch (const ETKZGeoBasicsError& e) {
    EXPECT_STREQ(e.what(), "invalid eccentricity 2");
  }
  // An ellipsoid value outside the table is refused, never read.
  const auto bogus = static_cast<TGeoEllipsoid>(200);
  try {
    RecipFlattening(bogus);
    FAIL();
  } catch (const ETKZGeoBasicsError& e) {
    EXPECT_STREQ(e.what(), "invalid ellipsoid 200");
  }
  double x, y;
  EXPECT_THROW(LatLongToTM(0, 0, 0, bogus, x, y), ETKZGeoBasicsError);
}

// ------------------------------------------------------------- UTM zones

TEST(GeoUTMZones, BandsAndExceptions) {
  int zone;
  char band;
  GeoToUTMZone(60.5, 5, zone, band);  // Norway: 32V reaches west to 3 degrees
  EXPECT_EQ(zone, 32);
  EXPECT_EQ(band, 'V');
  EXPECT_EQ(GeoToUTMZone(60.5, 2), "31V");
  EXPECT_EQ(GeoToUTMZone(78, 10), "33X");  // Svalbard
  EXPECT_EQ(GeoToUTMZone(78, 8.9), "31X");
  EXPECT_EQ(GeoToUTMZone(78, 21), "35X");
  EXPECT_EQ(GeoToUTMZone(78, 41.9), "37X");
  EXPECT_EQ(GeoToUTMZone(78, 42), "38X");
  EXPECT_EQ(GeoToUTMZone(84, 0), "31X");
  EXPECT_EQ(GeoToUTMZone(-80, 0), "31C");
  EXPECT_EQ(GeoToUTMZone(-0.1, 0), "31M");
  EXPECT_EQ(GeoToUTMZone(0, 0), "31N");
  EXPECT_EQ(GeoToUTMZone(47.4, 8.5), "32T");
  EXPECT_EQ(GeoToUTMZone(-33.9, 18.4), "34H");
  EXPECT_EQ(GeoToUTMZone(16, -100), "14Q");
  EXPECT_EQ(GeoToUTMZone(-72, -179.9), "1D");
  EXPECT_EQ(GeoToUTMZone(0, -180), "1N");
  GeoToUTMZone(84.0001, 0, zone, band);
  EXPECT_EQ(zone, kNoUTMZone);
  EXPECT_EQ(band, ' ');
  EXPECT_EQ(GeoToUTMZone(84.0001, 0), "");
  EXPECT_EQ(GeoToUTMZone(-80.0001, 0), "");
  EXPECT_EQ(GeoToUTMZone(0, 180), "");
  // The largest longitude below 180 still lies in zone 60.
  EXPECT_EQ(GeoToUTMZone(0, std::nextafter(180.0, 0.0)), "60N");
}

TEST(GeoUTMZones, NonFiniteAndHugeInputGiveNoZone) {
  for (double bad : {kNaN, kInf, -kInf, 1e300, -1e300}) {
    int zone = 99;
    char band = 'Z';
    GeoToUTMZone(bad, 10, zone, band);
    EXPECT_EQ(zone, kNoUTMZone);
    EXPECT_EQ(band, ' ');
    GeoToUTMZone(10, bad, zone, band);
    EXPECT_EQ(zone, kNoUTMZone);
    EXPECT_EQ(GeoToUTMZone(bad, bad), "");
  }
}

TEST(GeoUTMZones, CentralMeridian) {
  EXPECT_DOUBLE_EQ(UTMCentralMeridian(31), 3 * kDeg);
  EXPECT_DOUBLE_EQ(UTMCentralMeridian(1), -177 * kDeg);
  EXPECT_DOUBLE_EQ(UTMCentralMeridian(60), 177 * kDeg);
  EXPECT_EQ(UTMCentralMeridian(0), 0);
  EXPECT_EQ(UTMCentralMeridian(61), 0);
  EXPECT_EQ(UTMCentralMeridian(-5), 0);
}

// ------------------------------------------------------------ projections

TEST(GeoProjections, MeridianArc) {
  EXPECT_EQ(ArcLengthOfMeridian(0, gelWGS84), 0);
  // Quarter meridian of WGS 84: 10001965.729 m.
  EXPECT_NEAR(ArcLengthOfMeridian(90 * kDeg, gelWGS84), 10001965.7293, 1e-3);
  EXPECT_NEAR(ArcLengthOfMeridian(-45 * kDeg, gelWGS84), -ArcLengthOfMeridian(45 * kDeg, gelWGS84),
              1e-9);
  // On a sphere the arc is R phi.
  EXPECT_NEAR(ArcLengthOfMeridian(1, gelSphere), 6370997.0, 1e-6);
}

TEST(GeoProjections, UTMFixedPoints) {
  int zone;
  double e, n;
  LatLongToUTM(0, 3, gelWGS84, zone, e, n);  // equator on the central meridian
  EXPECT_EQ(zone, 31);
  EXPECT_NEAR(e, 500000, 1e-9);
  EXPECT_NEAR(n, 0, 1e-9);
  LatLongToUTM(1e-7, 4, gelWGS84, zone, e, n);
  EXPECT_GT(n, 0);
  EXPECT_LT(n, 0.1);
  LatLongToUTM(-1e-7, 4, gelWGS84, zone, e, n);  // just south: false northing
  EXPECT_GT(n, 10000000 - 0.1);
  EXPECT_LT(n, 10000000);
  // Outside the UTM area the zone is 0 and the projection runs about 0.
  LatLongToUTM(85, 0, gelWGS84, zone, e, n);
  EXPECT_EQ(zone, kNoUTMZone);
  EXPECT_NEAR(e, 500000, 1e-9);
  EXPECT_NEAR(n, 0.9996 * ArcLengthOfMeridian(85 * kDeg, gelWGS84), 1e-6);
}

TEST(GeoProjections, RoundTripsOnEveryEllipsoid) {
  for (int i = 0; i < kGeoEllipsoidCount; ++i) {
    const auto ell = static_cast<TGeoEllipsoid>(i);
    for (double lat : {-79.5, -33.9, -0.5, 0.5, 47.4, 71.5}) {
      for (double dlon : {-2.9, 0.0, 1.7}) {
        const double lon = 9 + dlon;
        int zone;
        double e, n, lat2, lon2;
        LatLongToUTM(lat, lon, ell, zone, e, n);
        UTMToLatLong(e, n, zone, lat < 0, ell, lat2, lon2);
        EXPECT_NEAR(lat2, lat, 1e-10) << GeoEllipsoidId[i];
        EXPECT_NEAR(lon2, lon, 1e-10) << GeoEllipsoidId[i];
        LatLongToUPS(lat, lon, ell, e, n);
        UPSToLatLong(e, n, lat < 0, ell, lat2, lon2);
        EXPECT_NEAR(lat2, lat, 1e-10) << GeoEllipsoidId[i];
        EXPECT_NEAR(lon2, lon, 1e-10) << GeoEllipsoidId[i];
      }
    }
  }
}

TEST(GeoProjections, UPSAtAndAroundThePoles) {
  double e, n, lat, lon;
  LatLongToUPS(90, 0, gelWGS84, e, n);
  EXPECT_EQ(e, 2000000);
  EXPECT_EQ(n, 2000000);
  LatLongToUPS(-90, 45, gelWGS84, e, n);
  EXPECT_NEAR(e, 2000000, 1e-9);
  EXPECT_NEAR(n, 2000000, 1e-9);
  // North: longitude 0 points down the grid, 90 east to the right.
  LatLongToUPS(89, 0, gelWGS84, e, n);
  EXPECT_EQ(e, 2000000);
  EXPECT_LT(n, 2000000);
  LatLongToUPS(89, 90, gelWGS84, e, n);
  EXPECT_GT(e, 2000000);
  EXPECT_EQ(n, 2000000);
  LatLongToUPS(89, 180, gelWGS84, e, n);  // normalised to -180: easting exactly on the axis
  EXPECT_EQ(e, 2000000);
  EXPECT_GT(n, 2000000);
  // South: longitude 0 points up the grid.
  LatLongToUPS(-89, 0, gelWGS84, e, n);
  EXPECT_GT(n, 2000000);
  // A longitude given past 180 is taken once round the circle.
  double e2, n2;
  LatLongToUPS(-85, 270, gelWGS84, e, n);
  LatLongToUPS(-85, -90, gelWGS84, e2, n2);
  EXPECT_EQ(e, e2);
  EXPECT_EQ(n, n2);
  UPSToLatLong(2000000, 2000000, false, gelWGS84, lat, lon);
  EXPECT_DOUBLE_EQ(lat, 90);
  UPSToLatLong(2000000, 2000000, true, gelWGS84, lat, lon);
  EXPECT_DOUBLE_EQ(lat, -90);
}

// Non-finite or absurd input never crashes or hangs; the outputs are NaN or
// infinite where no sensible answer exists, and UTM reports zone 0.
TEST(GeoProjections, BadInputGivesDefinedOutputs) {
  for (double bad : {kNaN, kInf, -kInf, 1e300, -1e300}) {
    int zone = 7;
    double e, n, lat, lon;
    LatLongToUTM(bad, 10, gelWGS84, zone, e, n);
    EXPECT_EQ(zone, kNoUTMZone);
    LatLongToUTM(10, bad, gelWGS84, zone, e, n);
    EXPECT_EQ(zone, kNoUTMZone);
    if (std::isnan(bad)) {
      EXPECT_TRUE(std::isnan(e) && std::isnan(n));
    }
    UTMToLatLong(bad, 5e6, 32, false, gelWGS84, lat, lon);
    UTMToLatLong(5e5, bad, 32, true, gelWGS84, lat, lon);
    if (std::isnan(bad)) {
      EXPECT_TRUE(std::isnan(lat) && std::isnan(lon));
    }
    LatLongToUPS(bad, 0, gelWGS84, e, n);
    LatLongToUPS(85, bad, gelWGS84, e, n);
    if (!std::isfinite(bad)) {
      EXPECT_TRUE(std::isnan(e) && std::isnan(n));
    }
    UPSToLatLong(bad, 2e6, false, gelWGS84, lat, lon);  // the iteration is bounded
    if (!std::isfinite(bad)) {
      EXPECT_TRUE(std::isnan(lat));
    }
    double x, y;
    LatLongToTM(bad, bad, 0, gelWGS84, x, y);
    TMToLatLong(bad, bad, bad, gelWGS84, lat, lon);
    if (std::isnan(bad)) {
      EXPECT_TRUE(std::isnan(x) && std::isnan(lat) &&
                  std::isnan(ArcLengthOfMeridian(bad, gelWGS84)));
    }
    GeoToCartesian(bad, bad, bad, gelWGS84, x, y, n);
    CartesianToGeo(bad, 0, 0, gelWGS84, lat, lon, e);
    if (std::isnan(bad)) {
      EXPECT_TRUE(std::isnan(lat) && std::isnan(e));
    }
  }
  // A zone number outside 1..60 means central meridian 0.
  double lat, lon, lat0, lon0;
  UTMToLatLong(600000, 5000000, 99, false, gelWGS84, lat, lon);
  UTMToLatLong(600000, 5000000, 0, false, gelWGS84, lat0, lon0);
  EXPECT_EQ(lat, lat0);
  EXPECT_EQ(lon, lon0);
  EXPECT_GT(lon, 0);
  EXPECT_LT(lon, 3);
}

// ------------------------------------------------- geocentric coordinates

TEST(GeoCartesian, KnownPointsAndPoles) {
  double x, y, z, lat, lon, h;
  GeoToCartesian(0, 0, 0, gelWGS84, x, y, z);
  EXPECT_DOUBLE_EQ(x, 6378137);
  EXPECT_NEAR(y, 0, 1e-9);
  EXPECT_NEAR(z, 0, 1e-9);
  GeoToCartesian(90, 0, 100, gelWGS84, x, y, z);
  EXPECT_NEAR(z, 6356752.314245 + 100, 1e-6);
  // Exactly on the axis the closed form would lose the pole.
  CartesianToGeo(0, 0, 6356852.314245, gelWGS84, lat, lon, h);
  EXPECT_EQ(lat, 90);
  EXPECT_NEAR(h, 100, 1e-6);
  CartesianToGeo(0, 0, -6356752.314245, gelWGS84, lat, lon, h);
  EXPECT_EQ(lat, -90);
  EXPECT_NEAR(h, 0, 1e-6);
  CartesianToGeo(1e-300, 0, 6356752.314245, gelWGS84, lat, lon, h);
  EXPECT_EQ(lat, 90);
}

// The flattening is 1 - b/a, so the four spheres work like any ellipsoid.
TEST(GeoCartesian, SpheresRoundTrip) {
  for (TGeoEllipsoid ell : {gelSphere, gelAuthSph, gelInt24AuthSph, gelPopVisSphere}) {
    double x, y, z, lat, lon, h;
    GeoToCartesian(51.5, -0.12, 35, ell, x, y, z);
    EXPECT_NEAR(std::sqrt(x * x + y * y + z * z), GeoEllipsoidData[ell].a + 35, 1e-6);
    CartesianToGeo(x, y, z, ell, lat, lon, h);
    EXPECT_NEAR(lat, 51.5, 1e-12);
    EXPECT_NEAR(lon, -0.12, 1e-12);
    EXPECT_NEAR(h, 35, 1e-6);
  }
}

TEST(GeoCartesian, RoundTripsOnEveryEllipsoid) {
  for (int i = 0; i < kGeoEllipsoidCount; ++i) {
    const auto ell = static_cast<TGeoEllipsoid>(i);
    for (double lat : {-89.9, -45.0, 0.0, 12.3, 60.0, 89.99}) {
      for (double h : {-100.0, 0.0, 8848.0, 400000.0}) {
        double x, y, z, lat2, lon2, h2;
        GeoToCartesian(lat, 123.4, h, ell, x, y, z);
        CartesianToGeo(x, y, z, ell, lat2, lon2, h2);
        EXPECT_NEAR(lat2, lat, 1e-9) << GeoEllipsoidId[i];
        EXPECT_NEAR(lon2, 123.4, 1e-12) << GeoEllipsoidId[i];
        EXPECT_NEAR(h2, h, 1e-3) << GeoEllipsoidId[i];
      }
    }
  }
}

// ------------------------------------------------------------ datum shifts

TEST(GeoHelmert, StatusCodes) {
  double lat, lon, h;
  EXPECT_EQ(HelmertTransform(269, 52, 5, 0, 269, lat, lon, h), kHelmertOK);
  EXPECT_EQ(HelmertTransform(0, 52, 5, 0, 269, lat, lon, h), kHelmertBadSourceDatum);
  EXPECT_EQ(HelmertTransform(272, 52, 5, 0, 269, lat, lon, h), kHelmertBadSourceDatum);
  EXPECT_EQ(HelmertTransform(269, 52, 5, 0, 0, lat, lon, h), kHelmertBadTargetDatum);
  EXPECT_EQ(HelmertTransform(-5, 52, 5, 0, 1000, lat, lon, h), kHelmertBadTargetDatum);
  EXPECT_EQ(HelmertTransform(1, 91, 5, 0, 269, lat, lon, h), kHelmertBadLatitude);
  EXPECT_EQ(HelmertTransform(1, kNaN, 5, 0, 269, lat, lon, h), kHelmertBadLatitude);
  EXPECT_EQ(HelmertTransform(1, 52, -180.5, 0, 269, lat, lon, h), kHelmertBadLongitude);
  EXPECT_EQ(HelmertTransform(1, 52, kInf, 0, 269, lat, lon, h), kHelmertBadLongitude);
  EXPECT_EQ(HelmertTransform(0, 52, 200, 0, 269, lat, lon, h),
            kHelmertBadLongitude);  // the last check decides
  EXPECT_EQ(HelmertTransform(1, 52, 180, 0, 271, lat, lon, h), kHelmertOK);
  EXPECT_EQ(HelmertTransform(1, -90, -180, 0, 271, lat, lon, h), kHelmertOK);
  // Bad coordinates are still computed; bad datums leave NaN.
  EXPECT_EQ(HelmertTransform(269, 95, 5, 0, 269, lat, lon, h), kHelmertBadLatitude);
  EXPECT_FALSE(std::isnan(lat));
  EXPECT_EQ(HelmertTransform(std::numeric_limits<int>::min(), 52, 5, 0, 269, lat, lon, h),
            kHelmertBadSourceDatum);
  EXPECT_TRUE(std::isnan(lat) && std::isnan(lon) && std::isnan(h));
}

TEST(GeoHelmert, IdentityAndRoundTrip) {
  double lat, lon, h;
  EXPECT_EQ(HelmertTransform(269, 52.1, 5.3, 12.5, 269, lat, lon, h), kHelmertOK);
  EXPECT_NEAR(lat, 52.1, 1e-10);
  EXPECT_NEAR(lon, 5.3, 1e-12);
  EXPECT_NEAR(h, 12.5, 1e-6);
  EXPECT_EQ(HelmertTransform(86, 52.1, 5.3, 12.5, 269, lat, lon, h),
            kHelmertOK);  // ETRF89 = WGS 84 here
  EXPECT_NEAR(lat, 52.1, 1e-10);
  // Three-parameter shifts invert exactly; with rotations the way back is
  // exact only to their square, a few millimetres (at most 34 mm).
  for (int datum : {1, 59, 158, 262, 13, 183, 217, 268}) {
    double lat2, lon2, h2;
    ASSERT_EQ(HelmertTransform(datum, 52.1, 5.3, 12.5, 269, lat, lon, h), kHelmertOK);
    ASSERT_EQ(HelmertTransform(269, lat, lon, h, datum, lat2, lon2, h2), kHelmertOK);
    EXPECT_NEAR(lat2, 52.1, 1e-6) << datum;  // about 0.1 m
    EXPECT_NEAR(lon2, 5.3, 1e-6) << datum;
    EXPECT_NEAR(h2, 12.5, 0.05) << datum;
  }
}

// A datum to itself, or to a row of the same definition, is no shift: the
// input comes back bit for bit, with the status of the checks.
TEST(GeoHelmert, SameDatumReturnsTheInput) {
  const double points[][3] = {{51.5074, -0.1278, 45},
                              {-89.9, 179.99, -120.5},
                              {0, 0, 0},
                              {90, -180, 8848.86},
                              {33.3, 44.4, 1e6}};
  for (int datum = 1; datum <= kDatumCount; ++datum) {
    for (const auto& p : points) {
      double lat, lon, h;
      ASSERT_EQ(HelmertTransform(datum, p[0], p[1], p[2], datum, lat, lon, h), kHelmertOK);
      EXPECT_EQ(lat, p[0]) << datum;
      EXPECT_EQ(lon, p[1]) << datum;
      EXPECT_EQ(h, p[2]) << datum;
    }
  }
  double lat, lon, h;
  // Rows 198 and 237 (Porto Santo, Southeast Base) share one definition.
  ASSERT_EQ(HelmertTransform(198, 33.06, -16.35, 12.5, 237, lat, lon, h), kHelmertOK);
  EXPECT_EQ(lat, 33.06);
  EXPECT_EQ(lon, -16.35);
  EXPECT_EQ(h, 12.5);
  // The checks still report what they report for other datums.
  EXPECT_EQ(HelmertTransform(183, 95, 0, 0, 183, lat, lon, h), kHelmertBadLatitude);
  EXPECT_EQ(lat, 95);
  EXPECT_EQ(HelmertTransform(183, 50, kNaN, 0, 183, lat, lon, h), kHelmertBadLongitude);
}

TEST(GeoHelmert, ShiftsTowardsASphere) {
  // Datum 1 on the War Office ellipsoid to itself through WGS 84 is exact.
  double lat, lon, h;
  EXPECT_EQ(HelmertTransform(1, 5.6, -0.2, 0, 1, lat, lon, h), kHelmertOK);
  EXPECT_NEAR(lat, 5.6, 1e-12);
  EXPECT_NEAR(lon, -0.2, 1e-12);
  EXPECT_NEAR(h, 0, 1e-6);
  // CartesianToGeo on a sphere: the height is the distance from the centre
  // less the radius, the latitude the geocentric one.
  double x, y, z;
  GeoToCartesian(40, 20, 0, gelWGS84, x, y, z);
  CartesianToGeo(x, y, z, gelSphere, lat, lon, h);
  EXPECT_NEAR(lat, std::atan2(z, std::hypot(x, y)) / kDeg, 1e-12);
  EXPECT_NEAR(lon, 20, 1e-12);
  EXPECT_NEAR(h, std::sqrt(x * x + y * y + z * z) - 6370997, 1e-6);
}

}  // namespace
}  // namespace tkz
