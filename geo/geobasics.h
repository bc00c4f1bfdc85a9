// geobasics: reference ellipsoids, geographic and geocentric coordinates,
// seven-parameter datum shifts through WGS 84, Transverse Mercator, UTM and
// UPS, and a table of countries.
//
// Units: angles in degrees unless a name or comment says radians, lengths in
// metres. All functions are pure and use only the constant tables below, so
// they may be called from any thread.
//
// Accuracy: the Transverse Mercator series (to the eighth power of the
// longitude difference) agrees with an exact projection to about 0.02 mm
// within 3 degrees of the central meridian and to about 0.5 mm in the wider
// UTM zones of Norway and Svalbard; it degrades quickly beyond (about 1 mm at
// 6 degrees, 11 mm at 9, 0.4 m at 15 degrees from the meridian). UPS and the
// geocentric conversions agree with exact formulas to well below a micrometre
// (geocentric to geographic, a closed form, to about 2 micrometres).
//
// Bad input: NaN, infinite or absurdly large arguments never crash, hang or
// read outside a table. UTM zones are 0 (band ' ') for them; projections and
// geocentric conversions give NaN or infinite results where no answer exists
// (NaN in, NaN out); the UPS inverse runs at most six Newton steps. An
// ellipsoid value outside the 61 defined ones raises ETKZGeoBasicsError
// "invalid ellipsoid".
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "core/platform/classes.h"
#include "geo/mapkit_export.h"

namespace tkz {

class TKZ_MAPKIT_EXPORT ETKZGeoBasicsError : public ETKZError {
 public:
  explicit ETKZGeoBasicsError(const std::string& msg) : ETKZError(msg) {}
};

// ============================================================== ellipsoids

enum TGeoEllipsoid : uint8_t {
  gelWGS84,
  gelWGS72,
  gelWGS66,
  gelWGS60,
  gelClrk80RGS,
  gelClrk66,
  gelBess41,
  gelBess41Jap,
  gelBess41Nam,
  gelNewInt67,
  gelInt24,
  gelEver69,
  gelEver56,
  gelEver48,
  gelEver30Ind,
  gelEverPak,
  gelEverest,
  gelGRS80,
  gelAiry30,
  gelModifAiry,
  gelFish68,
  gelFish60,
  gelModifFish60,
  gelAuNat65,
  gelKrass40,
  gelHough60,
  gelSphere,
  gelIndo74,
  gelHelm06,
  gelSGS85,
  gelSAm69,
  gelATS77,
  gelAuthSph,
  gelBesselMod,
  gelCGCS2000,
  gelClrk58,
  gelClrk66Mich,
  gelClrk80,
  gelClrk80Arc,
  gelClrk80Benoit,
  gelClrk80IGN,
  gelClrk80intfoot,
  gelClrk80SGA22,
  gelDan76,
  gelEver30,
  gelEver75,
  gelGEM10C,
  gelGRS67,
  gelGRS67Mod,
  gelHughes80,
  gelIAG75,
  gelInt24AuthSph,
  gelOSU86F,
  gelOSU91A,
  gelPlessis17,
  gelPopVisSphere,
  gelPZ90,
  gelStruve60,
  gelWarOffice,
  gelHongKong63,
  gelNahrwan29,
};
inline constexpr int kGeoEllipsoidCount = 61;

enum THemisphere : uint8_t { hemiNorth, hemiSouth };

// The stored definition of an ellipsoid: semi-major and semi-minor axis.
struct TKZ_MAPKIT_EXPORT TGeoEllipsoidAxes {
  double a;
  double b;
};

extern TKZ_MAPKIT_EXPORT const std::array<TGeoEllipsoidAxes, kGeoEllipsoidCount> GeoEllipsoidData;
extern TKZ_MAPKIT_EXPORT const std::array<const char*, kGeoEllipsoidCount>
    GeoEllipsoidId;  // "gelWGS84", ...
extern TKZ_MAPKIT_EXPORT const std::array<const char*, kGeoEllipsoidCount>
    GeoEllipsoidName;  // "WGS 1984", ...

// ================================================================ countries

// One row of CountryData. Texts are lower-case codes; the capital is "" for
// Antarctica; CapitalAlt is 0 where no altitude is recorded.
struct TKZ_MAPKIT_EXPORT TCountryRecord {
  const char* Name;  // English short name, at most 40 characters
  const char* FIPS;  // FIPS 10-4 code, 2 characters
  const char* ISO2;  // ISO 3166-1 alpha-2
  const char* ISO3;  // ISO 3166-1 alpha-3
  double Latitude;   // representative centre
  double Longitude;
  const char* Capital;  // at most 31 characters
  double CapitalLat;
  double CapitalLong;
  int32_t CapitalAlt;  // metres
};
inline constexpr int kCountryCount = 231;

// 231 countries, alphabetical by name (index 0 to 230).
extern TKZ_MAPKIT_EXPORT const std::array<TCountryRecord, kCountryCount> CountryData;

// ============================================================== functions

// ---------------------------------------------------- ellipsoid parameters
// Semi-minor axis from the major axis and the reciprocal flattening (0 means a
// sphere). A negative (or NaN) reciprocal flattening raises ETKZGeoBasicsError.
TKZ_MAPKIT_EXPORT double EllipsoidMinAxFlat(double MajorAxis, double RecipFlat);
// Semi-minor axis from the major axis and the first eccentricity squared. An
// eccentricity squared outside [0, 1] (or NaN) raises ETKZGeoBasicsError.
TKZ_MAPKIT_EXPORT double EllipsoidMinAxEcc(double MajorAxis, double EccSquared);

// First eccentricity squared: of an ellipsoid; of two axes in either order;
// of a reciprocal flattening (0 for 0).
TKZ_MAPKIT_EXPORT double GeoEllEccSquared(TGeoEllipsoid Ellipsoid);
TKZ_MAPKIT_EXPORT double GeoEllEccSquared(double Axis1, double Axis2);
TKZ_MAPKIT_EXPORT double GeoEllEccSquared(double RecipFlat);

// Reciprocal flattening, 0 for a sphere: of an ellipsoid; of the major and
// minor axis; of an eccentricity squared (outside [0, 1] raises).
TKZ_MAPKIT_EXPORT double RecipFlattening(TGeoEllipsoid Ellipsoid);
TKZ_MAPKIT_EXPORT double RecipFlattening(double MajorAxis, double MinorAxis);
TKZ_MAPKIT_EXPORT double RecipFlattening(double EccSquared);

// ------------------------------------------------------------ UTM zones
// The zone number of a point outside the UTM area.
inline constexpr int kNoUTMZone = 0;
// Zone number and latitude band letter of a point; zone 0 and letter ' '
// outside the UTM area (latitude -80..84, longitude -180..<180).
TKZ_MAPKIT_EXPORT void GeoToUTMZone(double Lat, double Long, int& Zone, char& Band);
// Zone designation as "32U"; "" outside the UTM area.
TKZ_MAPKIT_EXPORT std::string GeoToUTMZone(double Lat, double Long);
// Central meridian of a zone in radians; 0 for a zone outside 1..60.
TKZ_MAPKIT_EXPORT double UTMCentralMeridian(int Zone);

// ------------------------------------------------------------ projections
// Meridian arc length from the equator to a latitude (radians).
TKZ_MAPKIT_EXPORT double ArcLengthOfMeridian(double Phi, TGeoEllipsoid Ellipsoid);
// Plain Transverse Mercator (scale 1, no false origin); radians in and out.
TKZ_MAPKIT_EXPORT void LatLongToTM(double Phi, double Lambda, double Lambda0,
                                   TGeoEllipsoid Ellipsoid, double& X, double& Y);
TKZ_MAPKIT_EXPORT void TMToLatLong(double X, double Y, double Lambda0, TGeoEllipsoid Ellipsoid,
                                   double& Phi, double& Lambda);
// UTM; the hemisphere follows from the sign of the computed northing.
TKZ_MAPKIT_EXPORT void LatLongToUTM(double Lat, double Long, TGeoEllipsoid Ellipsoid, int& Zone,
                                    double& Easting, double& Northing);
TKZ_MAPKIT_EXPORT void UTMToLatLong(double Easting, double Northing, int Zone, bool Southern,
                                    TGeoEllipsoid Ellipsoid, double& Lat, double& Long);
// Universal Polar Stereographic.
TKZ_MAPKIT_EXPORT void LatLongToUPS(double Lat, double Long, TGeoEllipsoid Ellipsoid,
                                    double& Easting, double& Northing);
TKZ_MAPKIT_EXPORT void UPSToLatLong(double Easting, double Northing, bool Southern,
                                    TGeoEllipsoid Ellipsoid, double& Lat, double& Long);

// ------------------------------------------------- geocentric coordinates
TKZ_MAPKIT_EXPORT void GeoToCartesian(double Lat, double Long, double Height,
                                      TGeoEllipsoid Ellipsoid, double& X, double& Y, double& Z);
// Closed form (Bowring), no iteration. Works on the spheres too (the
// flattening is taken as 1 - b/a). A point on the polar axis gives latitude
// +-90 (90 for the centre) and height |Z| - b.
TKZ_MAPKIT_EXPORT void CartesianToGeo(double X, double Y, double Z, TGeoEllipsoid Ellipsoid,
                                      double& Lat, double& Long, double& Height);

// ------------------------------------------------------------ datum shifts
inline constexpr int kDatumCount = 271;
// Results of HelmertTransform.
inline constexpr int kHelmertOK = 0;               // converted
inline constexpr int kHelmertBadSourceDatum = -1;  // source datum outside 1..271
inline constexpr int kHelmertBadTargetDatum = -2;  // target datum outside 1..271
inline constexpr int kHelmertBadLatitude = -3;     // latitude outside [-90, 90] or NaN
inline constexpr int kHelmertBadLongitude = -4;    // longitude outside [-180, 180] or NaN
// Seven-parameter shift from datum SourceDatum through WGS 84 to TargetDatum
// (datum numbers 1..271). Status kHelmertOK when all is well, else one of
// the kHelmertBad... codes above (the last failing check of source datum,
// target datum, latitude, longitude decides). With two valid datum numbers
// the outputs are always filled (also for a latitude or longitude out of
// range, which is still converted); with a bad datum number they are NaN.
// A datum to itself, or to another row of the same ellipsoid and the same
// seven parameters, returns the input exactly.
//
// Rotations follow the position-vector convention (as PROJ's +towgs84). The
// way to WGS 84 applies the small-angle Helmert form, out = (1 + s) R in + d.
// The way back from WGS 84 applies the target's parameters negated and
// removes the translation after rotating and scaling: a first-order inverse,
// not PROJ's exact one. Measured against PROJ's cs2cs (and cct for the
// height) with the same parameters, on a worldwide grid for every datum with
// rotations or scale:
//   - to WGS 84: within 0.002 mm horizontally and 0.0002 mm in height;
//   - from WGS 84: within 31 mm horizontally and in height (Palestine 1928,
//     the largest rotations); about 6 mm for Ordnance GB 1936 in Britain;
//     three-parameter datums agree to rounding;
//   - a round trip through WGS 84 comes back within 40 mm horizontally and
//     64 mm in height.
// Datum shifts by seven parameters are themselves good to a metre or so;
// national grids use finer transformations (grids such as OSTN15).
TKZ_MAPKIT_EXPORT int HelmertTransform(int SourceDatum, double Lat, double Long, double Height,
                                       int TargetDatum, double& LatOut, double& LongOut,
                                       double& HeightOut);

}  // namespace tkz
