// geobasics: the ellipsoid tables and formulas, UTM zones and latitude bands,
// geographic <-> geocentric coordinates and the seven-parameter datum shift.
// The projections are in geobasics_tm.cpp.

#include "geo/geobasics.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string>

#include "geo/geobasics_consts_internal.h"
#include "geo/geobasics_datums.h"

namespace tkz {

using geo_detail::kDegToRad;
using geo_detail::kRadToDeg;

// clang-format off
const std::array<TGeoEllipsoidAxes, kGeoEllipsoidCount> GeoEllipsoidData = {{
    {6378137.0, 6356752.314245},     // gelWGS84
    {6378135.0, 6356750.519915},     // gelWGS72
    {6378145.0, 6356759.769356},     // gelWGS66
    {6378165.0, 6356783.286959},     // gelWGS60
    {6378249.145, 6356514.86955},    // gelClrk80RGS
    {6378206.4, 6356583.8},          // gelClrk66
    {6377397.155, 6356078.96284},    // gelBess41
    {6377397.155, 6356078.963},      // gelBess41Jap
    {6377483.865, 6356165.382966},   // gelBess41Nam
    {6378157.5, 6356772.2},          // gelNewInt67
    {6378388.0, 6356911.94613},      // gelInt24
    {6377295.664, 6356094.667915},   // gelEver69
    {6377301.243, 6356100.228368},   // gelEver56
    {6377304.063, 6356103.039},      // gelEver48
    {6377276.3452, 6356075.4133},    // gelEver30Ind
    {6377309.613, 6356108.570542},   // gelEverPak
    {6377298.556, 6356097.550301},   // gelEverest
    {6378137.0, 6356752.31414},      // gelGRS80
    {6377563.396, 6356256.91},       // gelAiry30
    {6377340.189, 6356034.448},      // gelModifAiry
    {6378150.0, 6356768.337303},     // gelFish68
    {6378166.0, 6356784.283666},     // gelFish60
    {6378155.0, 6356773.3205},       // gelModifFish60
    {6378160.0, 6356774.719},        // gelAuNat65
    {6378245.0, 6356863.0188},       // gelKrass40
    {6378270.0, 6356794.343479},     // gelHough60
    {6370997.0, 6370997.0},          // gelSphere
    {6378160.0, 6356774.504086},     // gelIndo74
    {6378200.0, 6356818.169628},     // gelHelm06
    {6378136.0, 6356751.301569},     // gelSGS85
    {6378160.0, 6356774.719},        // gelSAm69
    {6378135.0, 6356750.304922},     // gelATS77
    {6371000.0, 6371000.0},          // gelAuthSph
    {6377492.018, 6356173.508713},   // gelBesselMod
    {6378137.0, 6356752.31414},      // gelCGCS2000
    {6378293.6452, 6356617.987671},  // gelClrk58
    {6378450.0475, 6356826.62144},   // gelClrk66Mich
    {6378249.1448, 6356514.966196},  // gelClrk80
    {6378249.145, 6356514.966399},   // gelClrk80Arc
    {6378300.789, 6356566.435},      // gelClrk80Benoit
    {6378249.2, 6356515.0},          // gelClrk80IGN
    {6378306.3696, 6356571.996},     // gelClrk80intfoot
    {6378249.2, 6356514.996942},     // gelClrk80SGA22
    {6377019.2567, 6355762.525844},  // gelDan76
    {6377299.3656, 6356098.35901},   // gelEver30
    {6377299.151, 6356098.14512},    // gelEver75
    {6378137.0, 6356752.314245},     // gelGEM10C
    {6378160.0, 6356774.516091},     // gelGRS67
    {6378160.0, 6356774.719195},     // gelGRS67Mod
    {6378273.0, 6356889.449},        // gelHughes80
    {6378140.0, 6356755.288158},     // gelIAG75
    {6371228.0, 6371228.0},          // gelInt24AuthSph
    {6378136.2, 6356751.516927},     // gelOSU86F
    {6378136.3, 6356751.616592},     // gelOSU91A
    {6376523.0, 6355862.933256},     // gelPlessis17
    {6378137.0, 6378137.0},          // gelPopVisSphere
    {6378136.0, 6356751.361746},     // gelPZ90
    {6378298.3, 6356657.14267},      // gelStruve60
    {6378300.0, 6356751.689189},     // gelWarOffice
    {6378235.6, 6356560.13971},      // gelHongKong63
    {6378300.782, 6356566.42744},    // gelNahrwan29
}};

const std::array<const char*, kGeoEllipsoidCount> GeoEllipsoidId = {
    "gelWGS84",       "gelWGS72",         "gelWGS66",         "gelWGS60",
    "gelClrk80RGS",   "gelClrk66",        "gelBess41",        "gelBess41Jap",
    "gelBess41Nam",   "gelNewInt67",      "gelInt24",         "gelEver69",
    "gelEver56",      "gelEver48",        "gelEver30Ind",     "gelEverPak",
    "gelEverest",     "gelGRS80",         "gelAiry30",        "gelModifAiry",
    "gelFish68",      "gelFish60",        "gelModifFish60",   "gelAuNat65",
    "gelKrass40",     "gelHough60",       "gelSphere",        "gelIndo74",
    "gelHelm06",      "gelSGS85",         "gelSAm69",         "gelATS77",
    "gelAuthSph",     "gelBesselMod",     "gelCGCS2000",      "gelClrk58",
    "gelClrk66Mich",  "gelClrk80",        "gelClrk80Arc",     "gelClrk80Benoit",
    "gelClrk80IGN",   "gelClrk80intfoot", "gelClrk80SGA22",   "gelDan76",
    "gelEver30",      "gelEver75",        "gelGEM10C",        "gelGRS67",
    "gelGRS67Mod",    "gelHughes80",      "gelIAG75",         "gelInt24AuthSph",
    "gelOSU86F",      "gelOSU91A",        "gelPlessis17",     "gelPopVisSphere",
    "gelPZ90",        "gelStruve60",      "gelWarOffice",     "gelHongKong63",
    "gelNahrwan29",
};

const std::array<const char*, kGeoEllipsoidCount> GeoEllipsoidName = {
    "WGS 1984",
    "WGS 1972",
    "WGS 1966",
    "WGS 1960",
    "Clarke 1880 RGS",
    "Clarke 1866",
    "Bessel 1841",
    "Bessel 1841 (Japan)",
    "Bessel 1841 (Namibia)",
    "New International 1967",
    "International 1924",
    "Everest 1969 (Malaysia)",
    "Everest 1956 (India)",
    "Everest 1948",
    "Everest 1830 (India 1937 adj.)",
    "Everest (Pakistan)",
    "Everest (1967 Definition)",
    "GRS 1980",
    "Airy 1830",
    "Modified Airy",
    "Fisher 1968",
    "Fisher 1960",
    "Modified Fisher 1960",
    "Australian Nat 1965",
    "Krassovsky 1940",
    "Hough 1960",
    "Normal Sphere",
    "Indonesian 1974",
    "Helmert 1906",
    "SGS 1985",
    "South American 1969",
    "ATS77",
    "Authalic Sphere",
    "Bessel Modified",
    "CGCS2000",
    "Clarke 1858",
    "Clarke 1866 Michigan",
    "Clarke 1880",
    "Clarke 1880 (Arc)",
    "Clarke 1880 (Benoit)",
    "Clarke 1880 (IGN)",
    "Clarke 1880 (international foot)",
    "Clarke 1880 (SGA 1922)",
    "Danish 1876",
    "Everest (1830 Definition)",
    "Everest 1830 (1975 Definition)",
    "GEM 10C",
    "GRS 1967",
    "GRS 1967 Modified",
    "Hughes 1980",
    "IAG 1975",
    "International 1924 Authalic Sphere",
    "OSU86F",
    "OSU91A",
    "Plessis 1817",
    "Popular Visualisation Sphere",
    "PZ-90",
    "Struve 1860",
    "War Office",
    "Hong Kong 1963",
    "Nahrwan 1929",
};
// clang-format on

// ------------------------------------------------------ bad input

namespace {

// The errors name the value refused: "invalid eccentricity 1.5".
[[noreturn]] void RaiseInvalid(const char* what, double value) {
  char buf[40];
  const auto r = std::to_chars(buf, buf + sizeof buf, value);
  throw ETKZGeoBasicsError(std::string(what) + " " + std::string(buf, r.ptr));
}

[[noreturn]] void RaiseInvalidEllipsoid(TGeoEllipsoid Ellipsoid) {
  throw ETKZGeoBasicsError("invalid ellipsoid " + std::to_string(static_cast<int>(Ellipsoid)));
}

}  // namespace

// ------------------------------------------------------ derived constants

namespace geo_detail {

namespace {

TEllipsoidConsts MakeConsts(const TGeoEllipsoidAxes& ax) {
  TEllipsoidConsts c{};
  const double a = ax.a, b = ax.b;
  c.a = a;
  c.b = b;
  c.e2 = 1 - (b * b) / (a * a);
  c.e = std::sqrt(std::fabs(c.e2));
  c.ep2 = (a * a - b * b) / (b * b);
  c.a2b = a * a / b;
  c.bOverA = b / a;
  const double n = (a - b) / (a + b), n2 = n * n, n3 = n2 * n, n4 = n3 * n, n5 = n4 * n;
  c.n = n;
  c.arcAlpha = ((a + b) / 2) * (1 + n2 / 4 + n4 / 64);
  c.arcBeta = -3 * n / 2 + 9 * n3 / 16 - 3 * n5 / 32;
  c.arcGamma = 15 * n2 / 16 - 15 * n4 / 32;
  c.arcDelta = -35 * n3 / 48 + 105 * n5 / 256;
  c.arcEps = 315 * n4 / 512;
  c.fpBeta = 3 * n / 2 - 27 * n3 / 32 + 269 * n5 / 512;
  c.fpGamma = 21 * n2 / 16 - 55 * n4 / 32;
  c.fpDelta = 151 * n3 / 96 - 417 * n5 / 128;
  c.fpEps = 1097 * n4 / 512;
  c.upsC = std::sqrt(1 - c.e2) * std::exp(c.e * std::atanh(c.e));
  return c;
}

}  // namespace

const TEllipsoidConsts& EllipsoidConsts(TGeoEllipsoid Ellipsoid) {
  static const auto table = [] {
    std::array<TEllipsoidConsts, kGeoEllipsoidCount> t{};
    for (int i = 0; i < kGeoEllipsoidCount; ++i) t[i] = MakeConsts(GeoEllipsoidData[i]);
    return t;
  }();
  if (Ellipsoid >= kGeoEllipsoidCount) RaiseInvalidEllipsoid(Ellipsoid);
  return table[Ellipsoid];
}

}  // namespace geo_detail

namespace {

const TGeoEllipsoidAxes& Axes(TGeoEllipsoid Ellipsoid) {
  if (Ellipsoid >= kGeoEllipsoidCount) RaiseInvalidEllipsoid(Ellipsoid);
  return GeoEllipsoidData[Ellipsoid];
}

}  // namespace

// ------------------------------------------------------ ellipsoid formulas

double EllipsoidMinAxFlat(double MajorAxis, double RecipFlat) {
  // NaN is refused like a negative value rather than passed on as an axis.
  if (!(RecipFlat >= 0)) RaiseInvalid("invalid reciprocal flattening", RecipFlat);
  if (RecipFlat == 0) return MajorAxis;
  return MajorAxis * (1 - 1 / RecipFlat);
}

double EllipsoidMinAxEcc(double MajorAxis, double EccSquared) {
  // Above 1 the root would be NaN; such a value is no eccentricity either.
  if (!(EccSquared >= 0 && EccSquared <= 1)) RaiseInvalid("invalid eccentricity", EccSquared);
  return MajorAxis * std::sqrt(1 - EccSquared);
}

double GeoEllEccSquared(TGeoEllipsoid Ellipsoid) {
  const TGeoEllipsoidAxes& ax = Axes(Ellipsoid);
  return 1 - (ax.b * ax.b) / (ax.a * ax.a);
}

double GeoEllEccSquared(double Axis1, double Axis2) {
  if (Axis1 == Axis2) return 0;
  const double ratio = Axis1 < Axis2 ? Axis1 / Axis2 : Axis2 / Axis1;
  return 1 - ratio * ratio;
}

double GeoEllEccSquared(double RecipFlat) {
  if (RecipFlat == 0) return 0;
  return 2 / RecipFlat - 1 / (RecipFlat * RecipFlat);
}

double RecipFlattening(TGeoEllipsoid Ellipsoid) {
  const TGeoEllipsoidAxes& ax = Axes(Ellipsoid);
  return RecipFlattening(ax.a, ax.b);
}

double RecipFlattening(double MajorAxis, double MinorAxis) {
  if (MajorAxis == MinorAxis) return 0;
  return 1 / (1 - MinorAxis / MajorAxis);
}

double RecipFlattening(double EccSquared) {
  if (!(EccSquared >= 0 && EccSquared <= 1)) RaiseInvalid("invalid eccentricity", EccSquared);
  if (EccSquared == 0) return 0;
  return 1 / (1 - std::sqrt(1 - EccSquared));
}

// ---------------------------------------------------------------- UTM zones

void GeoToUTMZone(double Lat, double Long, int& Zone, char& Band) {
  Zone = kNoUTMZone;
  Band = ' ';
  // Written so that NaN fails too: nothing non-finite reaches the integer
  // conversions below.
  if (!(Lat >= -80 && Lat <= 84 && Long >= -180 && Long < 180)) return;
  int i = static_cast<int>(std::floor((Lat + 80) / 8));
  if (i >= 6) ++i;   // no band I
  if (i >= 12) ++i;  // no band O
  if (i > 21) i = 21;
  Band = static_cast<char>('C' + i);
  Zone = static_cast<int>(std::floor((Long + 180) / 6)) + 1;
  // Just below 180 the sum Long + 180 can round up to 360.
  if (Zone > 60) Zone = 60;
  if (Band == 'V' && Long >= 3 && Long < 12) {
    Zone = 32;
  } else if (Band == 'X' && Long >= 0 && Long < 42) {
    Zone = 2 * static_cast<int>(std::floor((Long + 3) / 12)) + 31;
  }
}

std::string GeoToUTMZone(double Lat, double Long) {
  int zone;
  char band;
  GeoToUTMZone(Lat, Long, zone, band);
  if (zone == kNoUTMZone) return {};
  return std::to_string(zone) + band;
}

double UTMCentralMeridian(int Zone) {
  if (Zone < 1 || Zone > 60) return 0;
  return (6.0 * Zone - 183) * kDegToRad;
}

// -------------------------------------------------- geocentric coordinates

void GeoToCartesian(double Lat, double Long, double Height, TGeoEllipsoid Ellipsoid, double& X,
                    double& Y, double& Z) {
  const auto& c = geo_detail::EllipsoidConsts(Ellipsoid);
  const double phi = Lat * kDegToRad, lambda = Long * kDegToRad;
  const double sinPhi = std::sin(phi), cosPhi = std::cos(phi);
  const double N = c.a / std::sqrt(1 - c.e2 * sinPhi * sinPhi);
  X = (N + Height) * cosPhi * std::cos(lambda);
  Y = (N + Height) * cosPhi * std::sin(lambda);
  Z = (N * (1 - c.e2) + Height) * sinPhi;
}

void CartesianToGeo(double X, double Y, double Z, TGeoEllipsoid Ellipsoid, double& Lat,
                    double& Long, double& Height) {
  const auto& c = geo_detail::EllipsoidConsts(Ellipsoid);
  // The flattening is taken as 1 - b/a rather than through the reciprocal
  // flattening, which is 0 on a sphere.
  const double oneMinusF = c.bOverA;
  const double p = std::hypot(X, Y);
  Long = std::atan2(Y, X) * kRadToDeg;
  if (p <= c.a * 1e-30) {
    // On the axis (to far below a nanometre): the closed form would divide
    // 0 by 0 or, from rounding, turn the pole into its antipode.
    Lat = Z < 0 ? -90.0 : 90.0;
    Height = std::fabs(Z) - c.b;
    return;
  }
  const double r = std::hypot(p, Z);
  const double u = std::atan((Z / p) * (oneMinusF + c.e2 * c.a / r));
  const double sinU = std::sin(u), cosU = std::cos(u);
  const double phi = std::atan((Z * oneMinusF + c.e2 * c.a * sinU * sinU * sinU) /
                               (oneMinusF * (p - c.e2 * c.a * cosU * cosU * cosU)));
  const double sinPhi = std::sin(phi);
  Lat = phi * kRadToDeg;
  Height = p * std::cos(phi) + Z * sinPhi - c.a * std::sqrt(1 - c.e2 * sinPhi * sinPhi);
}

// ------------------------------------------------------------ datum shifts

namespace {

// Rotation, scale and translation of the position-vector Helmert form:
// out = k R in + d, with R the small-angle rotation matrix.
void ApplyHelmert(double k, double rX, double rY, double rZ, double X, double Y, double Z,
                  double& X1, double& Y1, double& Z1) {
  X1 = k * (X - rZ * Y + rY * Z);
  Y1 = k * (rZ * X + Y - rX * Z);
  Z1 = k * (-rY * X + rX * Y + Z);
}

// Two rows that shift the same way on the same ellipsoid (the table holds a
// few regional rows with one set of parameters).
bool SameDefinition(const TDatumRow& a, const TDatumRow& b) {
  return a.Ellipsoid == b.Ellipsoid && a.dX == b.dX && a.dY == b.dY && a.dZ == b.dZ &&
         a.Scale == b.Scale && a.rX == b.rX && a.rY == b.rY && a.rZ == b.rZ;
}

}  // namespace

int HelmertTransform(int SourceDatum, double Lat, double Long, double Height, int TargetDatum,
                     double& LatOut, double& LongOut, double& HeightOut) {
  int status = kHelmertOK;
  const TDatumRow* src = DatumRow(SourceDatum);
  const TDatumRow* dst = DatumRow(TargetDatum);
  if (src == nullptr) status = kHelmertBadSourceDatum;
  if (dst == nullptr) status = kHelmertBadTargetDatum;
  if (!(Lat >= -90 && Lat <= 90)) status = kHelmertBadLatitude;
  if (!(Long >= -180 && Long <= 180)) status = kHelmertBadLongitude;
  if (src == nullptr || dst == nullptr) {
    LatOut = LongOut = HeightOut = std::numeric_limits<double>::quiet_NaN();
    return status;
  }
  // A datum to itself, or to a datum of the same definition, is no shift at
  // all: the input comes back as it is, not through two rounding round trips.
  if (src == dst || SameDefinition(*src, *dst)) {
    LatOut = Lat;
    LongOut = Long;
    HeightOut = Height;
    return status;
  }
  constexpr double kArcSec = kDegToRad / 3600;
  double X, Y, Z;
  GeoToCartesian(Lat, Long, Height, src->Ellipsoid, X, Y, Z);
  double X1, Y1, Z1;
  ApplyHelmert(1 + src->Scale * 1e-6, src->rX * kArcSec, src->rY * kArcSec, src->rZ * kArcSec, X, Y,
               Z, X1, Y1, Z1);
  X1 += src->dX;
  Y1 += src->dY;
  Z1 += src->dZ;
  // Back from WGS 84 with the target's parameters negated; the translation
  // is taken off after scaling and rotating.
  double X2, Y2, Z2;
  ApplyHelmert(1 - dst->Scale * 1e-6, -dst->rX * kArcSec, -dst->rY * kArcSec, -dst->rZ * kArcSec,
               X1, Y1, Z1, X2, Y2, Z2);
  X2 -= dst->dX;
  Y2 -= dst->dY;
  Z2 -= dst->dZ;
  CartesianToGeo(X2, Y2, Z2, dst->Ellipsoid, LatOut, LongOut, HeightOut);
  return status;
}

}  // namespace tkz
