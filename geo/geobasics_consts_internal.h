// Quantities derived once per ellipsoid from its two axes, shared by the
// geobasics sources so that the projections need not recompute roots,
// exponentials and series coefficients on every call. Internal to mapkit.
#pragma once

#include "core/types/univconst.h"
#include "geo/geobasics.h"

namespace tkz::geo_detail {

// Degrees to radians and back, pi taken in extended precision.
inline constexpr double kDegToRad = static_cast<double>(2 * uc_PiH / 180);
inline constexpr double kRadToDeg = static_cast<double>(180 / (2 * uc_PiH));

struct TEllipsoidConsts {
  double a, b;
  double e2;                                   // first eccentricity squared, 1 - b^2/a^2
  double e;                                    // sqrt(|e2|)
  double ep2;                                  // second eccentricity squared, (a^2 - b^2)/b^2
  double a2b;                                  // a^2/b, the polar radius of curvature
  double bOverA;                               // 1 - f
  double n;                                    // third flattening (a - b)/(a + b)
  double arcAlpha;                             // meridian arc: ((a + b)/2)(1 + n^2/4 + n^4/64)
  double arcBeta, arcGamma, arcDelta, arcEps;  // its sin 2k.phi coefficients
  double fpBeta, fpGamma, fpDelta, fpEps;      // footpoint latitude coefficients
  double upsC;                                 // polar stereographic: sqrt(1 - e^2) exp(e artanh e)
};

// Constants of an ellipsoid; raises ETKZGeoBasicsError "invalid ellipsoid"
// for a value outside the 61 defined ones.
const TEllipsoidConsts& EllipsoidConsts(TGeoEllipsoid Ellipsoid);

}  // namespace tkz::geo_detail
