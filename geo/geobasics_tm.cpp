// geobasics: the meridian arc, Transverse Mercator (series to the eighth
// power of the longitude difference), UTM and Universal Polar Stereographic.
//
// The sines of 2, 4, 6 and 8 times an angle come from one sine and cosine by
// the multiple-angle identities; the results agree with separate sin() calls
// to within rounding.

#include <cmath>

#include "core/types/univconst.h"
#include "geo/geobasics.h"
#include "geo/geobasics_consts_internal.h"

namespace tkz {

using geo_detail::kDegToRad;
using geo_detail::kRadToDeg;
using geo_detail::TEllipsoidConsts;

namespace {

constexpr double kUTMScale = 0.9996;
constexpr double kUTMFalseEasting = 500000;
constexpr double kUTMFalseNorthingSouth = 10000000;
constexpr double kUPSScale = 0.994;
constexpr double kUPSFalseOrigin = 2000000;

// c1*sin 2x + c2*sin 4x + c3*sin 6x + c4*sin 8x from sin x and cos x.
double SinSeries(double sinX, double cosX, double c1, double c2, double c3, double c4) {
  const double s2 = 2 * sinX * cosX, c2x = (cosX - sinX) * (cosX + sinX);
  const double s4 = 2 * s2 * c2x, c4x = (c2x - s2) * (c2x + s2);
  const double s6 = s4 * c2x + c4x * s2;
  const double s8 = 2 * s4 * c4x;
  return c1 * s2 + c2 * s4 + c3 * s6 + c4 * s8;
}

double ArcLength(double phi, double sinPhi, double cosPhi, const TEllipsoidConsts& c) {
  return c.arcAlpha *
         (phi + SinSeries(sinPhi, cosPhi, c.arcBeta, c.arcGamma, c.arcDelta, c.arcEps));
}

void ForwardTM(double phi, double lambda, double lambda0, const TEllipsoidConsts& c, double& x,
               double& y) {
  const double sinPhi = std::sin(phi), cosPhi = std::cos(phi);
  const double nu2 = c.ep2 * cosPhi * cosPhi;
  const double N = c.a2b / std::sqrt(1 + nu2);
  const double t = sinPhi / cosPhi, t2 = t * t, t4 = t2 * t2, t6 = t4 * t2;
  const double l = lambda - lambda0;
  const double l3 = 1 - t2 + nu2;
  const double l4 = 5 - t2 + 9 * nu2 + 4 * nu2 * nu2;
  const double l5 = 5 - 18 * t2 + t4 + 14 * nu2 - 58 * t2 * nu2;
  const double l6 = 61 - 58 * t2 + t4 + 270 * nu2 - 330 * t2 * nu2;
  const double l7 = 61 - 479 * t2 + 179 * t4 - t6;
  const double l8 = 1385 - 3111 * t2 + 543 * t4 - t6;
  // Powers of l cos(phi), the quantity each term grows with.
  const double q = l * cosPhi, q2 = q * q;
  const double q3 = q2 * q, q4 = q2 * q2, q5 = q4 * q, q6 = q4 * q2, q7 = q6 * q, q8 = q4 * q4;
  x = N * (q + q3 * l3 / 6 + q5 * l5 / 120 + q7 * l7 / 5040);
  y = ArcLength(phi, sinPhi, cosPhi, c) +
      t * N * (q2 / 2 + q4 * l4 / 24 + q6 * l6 / 720 + q8 * l8 / 40320);
}

void InverseTM(double x, double y, double lambda0, const TEllipsoidConsts& c, double& phi,
               double& lambda) {
  // Footpoint latitude: the latitude whose meridian arc is y.
  const double yp = y / c.arcAlpha;
  const double phiF =
      yp + SinSeries(std::sin(yp), std::cos(yp), c.fpBeta, c.fpGamma, c.fpDelta, c.fpEps);
  const double sinF = std::sin(phiF), cosF = std::cos(phiF);
  const double nu2 = c.ep2 * cosF * cosF;
  const double Nf = c.a2b / std::sqrt(1 + nu2);
  const double t = sinF / cosF, t2 = t * t, t4 = t2 * t2, t6 = t4 * t2;
  const double p2 = -1 - nu2;
  const double p3 = -1 - 2 * t2 - nu2;
  const double p4 = 5 + 3 * t2 + 6 * nu2 - 6 * t2 * nu2 - 3 * nu2 * nu2 - 9 * t2 * nu2 * nu2;
  const double p5 = 5 + 28 * t2 + 24 * t4 + 6 * nu2 + 8 * t2 * nu2;
  const double p6 = -61 - 90 * t2 - 45 * t4 - 107 * nu2 + 162 * t2 * nu2;
  const double p7 = -61 - 662 * t2 - 1320 * t4 - 720 * t6;
  const double p8 = 1385 + 3633 * t2 + 4095 * t4 + 1575 * t6;
  // x_k x^k = u^k / (k! cos) for odd k and t u^k / k! for even k, u = x/Nf.
  const double u = x / Nf, u2 = u * u;
  const double u3 = u2 * u, u4 = u2 * u2, u5 = u4 * u, u6 = u4 * u2, u7 = u6 * u, u8 = u4 * u4;
  phi = phiF + t * (p2 * u2 / 2 + p4 * u4 / 24 + p6 * u6 / 720 + p8 * u8 / 40320);
  lambda = lambda0 + (u + p3 * u3 / 6 + p5 * u5 / 120 + p7 * u7 / 5040) / cosF;
}

}  // namespace

double ArcLengthOfMeridian(double Phi, TGeoEllipsoid Ellipsoid) {
  return ArcLength(Phi, std::sin(Phi), std::cos(Phi), geo_detail::EllipsoidConsts(Ellipsoid));
}

void LatLongToTM(double Phi, double Lambda, double Lambda0, TGeoEllipsoid Ellipsoid, double& X,
                 double& Y) {
  ForwardTM(Phi, Lambda, Lambda0, geo_detail::EllipsoidConsts(Ellipsoid), X, Y);
}

void TMToLatLong(double X, double Y, double Lambda0, TGeoEllipsoid Ellipsoid, double& Phi,
                 double& Lambda) {
  InverseTM(X, Y, Lambda0, geo_detail::EllipsoidConsts(Ellipsoid), Phi, Lambda);
}

// ----------------------------------------------------------------------- UTM

void LatLongToUTM(double Lat, double Long, TGeoEllipsoid Ellipsoid, int& Zone, double& Easting,
                  double& Northing) {
  const TEllipsoidConsts& c = geo_detail::EllipsoidConsts(Ellipsoid);
  char band;
  GeoToUTMZone(Lat, Long, Zone, band);
  double x, y;
  ForwardTM(Lat * kDegToRad, Long * kDegToRad, UTMCentralMeridian(Zone), c, x, y);
  Easting = kUTMScale * x + kUTMFalseEasting;
  Northing = kUTMScale * y;
  if (Northing < 0) Northing += kUTMFalseNorthingSouth;
}

void UTMToLatLong(double Easting, double Northing, int Zone, bool Southern, TGeoEllipsoid Ellipsoid,
                  double& Lat, double& Long) {
  const TEllipsoidConsts& c = geo_detail::EllipsoidConsts(Ellipsoid);
  const double x = (Easting - kUTMFalseEasting) / kUTMScale;
  double y = Northing;
  if (Southern) y -= kUTMFalseNorthingSouth;
  y /= kUTMScale;
  double phi, lambda;
  InverseTM(x, y, UTMCentralMeridian(Zone), c, phi, lambda);
  Lat = phi * kRadToDeg;
  Long = lambda * kRadToDeg;
}

// ----------------------------------------------------------------------- UPS

void LatLongToUPS(double Lat, double Long, TGeoEllipsoid Ellipsoid, double& Easting,
                  double& Northing) {
  const TEllipsoidConsts& c = geo_detail::EllipsoidConsts(Ellipsoid);
  const double chi = (Lat >= 0 ? 90 - Lat : 90 + Lat) * kDegToRad;  // colatitude from the pole
  const double t1 = std::exp(c.e * std::atanh(c.e * std::cos(chi)));
  const double T = 2 * std::tan(chi / 2) * t1;
  const double rho = kUPSScale * c.a * T / c.upsC;
  double lon = Long;
  if (lon >= 180) {
    lon -= 360;
  } else if (lon < -180) {
    lon += 360;
  }
  const double lambda = lon * kDegToRad;
  const double e = lon == -180 ? 0.0 : rho * std::sin(lambda);
  double n = std::fabs(lon) == 90 ? 0.0 : rho * std::cos(lambda);
  if (Lat >= 0) n = -n;
  Easting = e + kUPSFalseOrigin;
  Northing = n + kUPSFalseOrigin;
}

void UPSToLatLong(double Easting, double Northing, bool Southern, TGeoEllipsoid Ellipsoid,
                  double& Lat, double& Long) {
  const TEllipsoidConsts& c = geo_detail::EllipsoidConsts(Ellipsoid);
  const double x = Easting - kUPSFalseOrigin, y = Northing - kUPSFalseOrigin;
  const double T = std::hypot(x, y) * c.upsC / (kUPSScale * c.a);
  double chi = 2 * std::atan(T / 2);
  // Newton's method on 2 tan(chi/2) t1(chi) = T, at most six steps: the
  // threshold is below any representable step, so in practice the loop
  // ends early only when a step is exactly 0.
  const double minStep = 0.1 * std::sqrt(static_cast<double>(uc_MinDouble));
  const double oneMinusE2 = 1 - c.e2;
  for (int i = 0; i < 6; ++i) {
    const double cosChi = std::cos(chi);
    const double t1 = std::exp(c.e * std::atanh(c.e * cosChi));
    const double r = 2 * std::tan(chi / 2) * t1 - T;
    const double cosHalf = std::cos(chi / 2);
    const double d = t1 * oneMinusE2 / ((1 - c.e2 * cosChi * cosChi) * cosHalf * cosHalf);
    const double delta = -r / d;
    chi += delta;
    if (std::fabs(delta) < minStep) break;
  }
  Lat = 90 - chi * kRadToDeg;
  if (Southern) Lat = -Lat;
  Long = (Southern ? std::atan2(x, y) : std::atan2(x, -y)) * kRadToDeg;
}

}  // namespace tkz
