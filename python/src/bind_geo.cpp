// tkz.geo: UTM, UPS, Transverse Mercator, geocentric coordinates and datum
// shifts for single points and numpy arrays.
//
// Every conversion is one point function below, returning a Fail (null text
// when the point converts). A scalar call raises tkz.GeoError with the
// text and the value refused; the array path runs the same function over
// every point without the GIL and gives NaN (zone 0, band "") where it
// fails, so that one bad point does not stop a batch.
#include <cmath>
#include <limits>
#include <string>

#include "core/types/univconst.h"
#include "geo/geobasics.h"
#include "geo/geobasics_datums.h"
#include "python/src/bind_geo_arrays.h"
#include "python/src/bind_geo_tables.h"
#include "python/src/common.h"

namespace tkz::python {

namespace {

using namespace geo;

// The library's degree constant, so that a zone forced to the point's own
// zone gives the library's LatLongToUTM to the last bit.
constexpr double kDeg = static_cast<double>(2 * uc_PiH / 180);
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kUTMScale = 0.9996;
constexpr double kUTMFalseEasting = 500000;
constexpr double kUTMFalseNorthingSouth = 10000000;
// Farthest from the central meridian of its zone that a point may lie (a
// forced zone, or the UTM inverse): a neighbouring zone's far edge. The
// series is good to about 1 cm there (see geobasics.h). The inverse allows
// for its own error in longitude (below 1e-7 degrees there).
constexpr double kMaxFromMeridian = 9;
constexpr double kInverseSlack = 1e-6;
// The ranges of GeographicLib's UTMUPS (the tkz geo command's), metres,
// except the eastings: 9 degrees from the meridian reach 1002 km from it.
constexpr double kUTMEastingMin = -600e3, kUTMEastingMax = 1600e3;
constexpr double kUTMNorthMin = -9100e3, kUTMNorthMax = 9600e3;
constexpr double kUTMSouthMin = 900e3, kUTMSouthMax = 19600e3;
constexpr double kUPSNorthMin = 1200e3, kUPSNorthMax = 2800e3;
constexpr double kUPSSouthMin = 700e3, kUPSSouthMax = 3300e3;
constexpr double kUPSNorthLat = 83.5, kUPSSouthLat = -79.5;

// Why a point does not convert (text null: it does), and the value refused.
struct Fail {
  const char* text = nullptr;
  double value = 0;
  explicit operator bool() const { return text != nullptr; }
};

[[noreturn]] void Raise(const Fail& f) {
  throw ETKZGeoBasicsError(std::string(f.text) + ": " + Num(f.value));
}

// A longitude taken into [-180, 180).
double WrapLon(double lon) {
  if (lon >= -180 && lon < 180) return lon;
  double w = std::remainder(lon, 360.0);
  if (w >= 180) w -= 360;
  return w;
}

Fail CheckLat(double lat) {
  if (!(lat >= -90 && lat <= 90)) return {"latitude outside -90..90", lat};
  return {};
}

Fail CheckFinite(double v, const char* text) {
  if (!std::isfinite(v)) return {text, v};
  return {};
}

// ------------------------------------------------------------------ UTM

struct UtmPoint {
  int zone = 0;
  char band = ' ';
  double easting = kNaN, northing = kNaN;
};

Fail ToUtm(double lat, double lon, TGeoEllipsoid ell, int forced, UtmPoint& r) {
  if (!(lat >= -80 && lat <= 84)) return {"latitude outside the UTM area -80..84", lat};
  if (Fail f = CheckFinite(lon, "longitude not finite")) return f;
  lon = WrapLon(lon);
  GeoToUTMZone(lat, lon, r.zone, r.band);
  if (forced == 0) {
    LatLongToUTM(lat, lon, ell, r.zone, r.easting, r.northing);
    return {};
  }
  const double cm = 6.0 * forced - 183;
  const double d = std::remainder(lon - cm, 360.0);
  if (!(std::fabs(d) <= kMaxFromMeridian))
    return {"longitude more than 9 degrees from the central meridian of the zone", lon};
  r.zone = forced;
  // Across the antimeridian the longitude is taken on the zone's side.
  const double lambda = std::fabs(lon - cm) <= 180 ? lon : cm + d;
  double x, y;
  LatLongToTM(lat * kDeg, lambda * kDeg, UTMCentralMeridian(forced), ell, x, y);
  r.easting = kUTMScale * x + kUTMFalseEasting;
  r.northing = kUTMScale * y;
  if (r.northing < 0) r.northing += kUTMFalseNorthingSouth;
  return {};
}

Fail FromUtm(double zone, double south, double e, double n, TGeoEllipsoid ell, double& lat,
             double& lon) {
  if (!(zone >= 1 && zone <= 60 && zone == std::floor(zone))) return {"zone outside 1..60", zone};
  if (!(south == 0 || south == 1))
    return {"band or hemisphere not understood (a band letter C..X, or north or south)", south};
  if (!(e >= kUTMEastingMin && e <= kUTMEastingMax)) return {"easting outside -600000..1600000", e};
  if (south == 1 && !(n >= kUTMSouthMin && n <= kUTMSouthMax))
    return {"northing outside 900000..19600000 (south)", n};
  if (south == 0 && !(n >= kUTMNorthMin && n <= kUTMNorthMax))
    return {"northing outside -9100000..9600000 (north)", n};
  const int z = static_cast<int>(zone);
  UTMToLatLong(e, n, z, south == 1, ell, lat, lon);
  if (!(std::fabs(std::remainder(lon - (6.0 * z - 183), 360.0)) <=
        kMaxFromMeridian + kInverseSlack)) {
    const double far = lon;
    lat = lon = kNaN;
    return {"point more than 9 degrees from the central meridian of the zone, at longitude", far};
  }
  // West of zone 1 and east of zone 60 the longitude crosses the antimeridian.
  lon = std::remainder(lon, 360.0);
  return {};
}

// ------------------------------------------------------------------ UPS

Fail ToUps(double lat, double lon, TGeoEllipsoid ell, double& e, double& n) {
  if (Fail f = CheckLat(lat)) return f;
  if (lat > kUPSSouthLat && lat < kUPSNorthLat)
    return {"latitude outside the UPS areas (>= 83.5 or <= -79.5)", lat};
  if (Fail f = CheckFinite(lon, "longitude not finite")) return f;
  LatLongToUPS(lat, WrapLon(lon), ell, e, n);
  return {};
}

Fail FromUps(double south, double e, double n, TGeoEllipsoid ell, double& lat, double& lon) {
  if (!(south == 0 || south == 1))
    return {"hemisphere not understood (N, S, north or south)", south};
  const double lo = south == 1 ? kUPSSouthMin : kUPSNorthMin;
  const double hi = south == 1 ? kUPSSouthMax : kUPSNorthMax;
  if (!(e >= lo && e <= hi)) {
    return {south == 1 ? "easting outside 700000..3300000 (south)"
                       : "easting outside 1200000..2800000 (north)",
            e};
  }
  if (!(n >= lo && n <= hi)) {
    return {south == 1 ? "northing outside 700000..3300000 (south)"
                       : "northing outside 1200000..2800000 (north)",
            n};
  }
  UPSToLatLong(e, n, south == 1, ell, lat, lon);
  return {};
}

// ----------------------------------------------------------- array runs

// Runs point(v, r) (r: K doubles) over the broadcast inputs; failed points
// give NaN in every result.
template <size_t N, size_t K, class P>
std::array<py::array_t<double>, K> RunDoubles(const std::vector<py::handle>& in, P point) {
  Broadcast b(in);
  std::array<py::array_t<double>, K> out;
  std::array<double*, K> dst{};
  for (size_t k = 0; k < K; ++k) {
    out[k] = b.Doubles();
    dst[k] = out[k].mutable_data();
  }
  {
    py::gil_scoped_release nogil;
    b.ForEach<N>([&](size_t i, const std::array<double, N>& v) {
      std::array<double, K> r{};
      if (point(v, r)) r.fill(kNaN);
      for (size_t k = 0; k < K; ++k) dst[k][i] = r[k];
    });
  }
  return out;
}

// Whether every argument is a scalar (the hemisphere: a text).
bool AllScalar(std::initializer_list<py::handle> args) {
  for (py::handle h : args)
    if (!IsScalar(h)) return false;
  return true;
}

bool IsText(py::handle h) { return PyUnicode_Check(h.ptr()) || PyBytes_Check(h.ptr()); }

int ZoneArg(py::handle zone) {
  if (zone.is_none()) return 0;
  if (!PyLong_Check(zone.ptr()) || PyBool_Check(zone.ptr()))
    throw py::type_error("zone must be an int 1..60 or None");
  const long long z = PyLong_AsLongLong(zone.ptr());
  if (z == -1 && PyErr_Occurred()) PyErr_Clear();
  if (z < 1 || z > 60)
    throw ETKZGeoBasicsError("zone outside 1..60: " + py::str(zone).cast<std::string>());
  return static_cast<int>(z);
}

double Hemisphere(py::handle h, HemisphereText mode) {
  const int v = ParseHemisphere(FromStr(h, "hemisphere"), mode);
  if (v < 0) {
    throw ETKZGeoBasicsError(
        std::string(mode == HemisphereText::Band
                        ? "band or hemisphere not understood (a band letter C..X, or north or "
                          "south): \""
                        : "hemisphere not understood (N, S, north or south): \"") +
        FromStr(h, "hemisphere") + "\"");
  }
  return v;
}

// The result classes, made once.
struct Results {
  py::handle utm, zone, latlon, ups, latlonh, xy, xyz;
} g;

// ------------------------------------------------------------ functions

py::object Utm(py::handle lat, py::handle lon, py::handle ellipsoid, py::handle zone) {
  const TGeoEllipsoid ell = EllipsoidArg(ellipsoid);
  const int forced = ZoneArg(zone);
  if (AllScalar({lat, lon})) {
    UtmPoint r;
    if (Fail f = ToUtm(ScalarValue(lat, "lat"), ScalarValue(lon, "lon"), ell, forced, r)) Raise(f);
    return g.utm(r.zone, std::string(1, r.band), r.easting, r.northing);
  }
  Broadcast b({lat, lon});
  py::array_t<int32_t> zones = b.Ints();
  py::array bands = b.Chars();
  py::array_t<double> east = b.Doubles(), north = b.Doubles();
  int32_t* zp = zones.mutable_data();
  auto* bp = static_cast<uint32_t*>(bands.mutable_data());
  double* ep = east.mutable_data();
  double* np = north.mutable_data();
  {
    py::gil_scoped_release nogil;
    b.ForEach<2>([&](size_t i, const std::array<double, 2>& v) {
      UtmPoint r;
      if (ToUtm(v[0], v[1], ell, forced, r)) r = UtmPoint{0, '\0', kNaN, kNaN};
      zp[i] = r.zone;
      bp[i] = static_cast<unsigned char>(r.band);
      ep[i] = r.easting;
      np[i] = r.northing;
    });
  }
  return g.utm(zones, bands, east, north);
}

py::object UtmZone(py::handle lat, py::handle lon) {
  if (AllScalar({lat, lon})) {
    UtmPoint r;
    const double la = ScalarValue(lat, "lat"), lo = ScalarValue(lon, "lon");
    if (!(la >= -80 && la <= 84)) Raise({"latitude outside the UTM area -80..84", la});
    if (Fail f = CheckFinite(lo, "longitude not finite")) Raise(f);
    GeoToUTMZone(la, WrapLon(lo), r.zone, r.band);
    return g.zone(r.zone, std::string(1, r.band));
  }
  Broadcast b({lat, lon});
  py::array_t<int32_t> zones = b.Ints();
  py::array bands = b.Chars();
  int32_t* zp = zones.mutable_data();
  auto* bp = static_cast<uint32_t*>(bands.mutable_data());
  {
    py::gil_scoped_release nogil;
    b.ForEach<2>([&](size_t i, const std::array<double, 2>& v) {
      int zone = 0;
      char band = ' ';
      if (std::isfinite(v[1])) GeoToUTMZone(v[0], WrapLon(v[1]), zone, band);
      zp[i] = zone;
      bp[i] = zone == 0 ? 0 : static_cast<unsigned char>(band);
    });
  }
  return g.zone(zones, bands);
}

py::object LatLon(py::handle zone, py::handle band, py::handle easting, py::handle northing,
                  py::handle ellipsoid) {
  const TGeoEllipsoid ell = EllipsoidArg(ellipsoid);
  if (IsText(band) && AllScalar({zone, easting, northing})) {
    double lat, lon;
    if (Fail f = FromUtm(ScalarValue(zone, "zone"), Hemisphere(band, HemisphereText::Band),
                         ScalarValue(easting, "easting"), ScalarValue(northing, "northing"), ell,
                         lat, lon))
      Raise(f);
    return g.latlon(lat, lon);
  }
  py::object hemi = HemisphereArray(band, HemisphereText::Band);
  auto r = RunDoubles<4, 2>({zone, hemi, easting, northing},
                            [ell](const std::array<double, 4>& v, std::array<double, 2>& o) {
                              return FromUtm(v[0], v[1], v[2], v[3], ell, o[0], o[1]);
                            });
  return g.latlon(r[0], r[1]);
}

py::object Ups(py::handle lat, py::handle lon, py::handle ellipsoid) {
  const TGeoEllipsoid ell = EllipsoidArg(ellipsoid);
  if (AllScalar({lat, lon})) {
    const double la = ScalarValue(lat, "lat");
    double e, n;
    if (Fail f = ToUps(la, ScalarValue(lon, "lon"), ell, e, n)) Raise(f);
    return g.ups(la < 0 ? "S" : "N", e, n);
  }
  Broadcast b({lat, lon});
  py::array hemi = b.Chars();
  py::array_t<double> east = b.Doubles(), north = b.Doubles();
  auto* hp = static_cast<uint32_t*>(hemi.mutable_data());
  double* ep = east.mutable_data();
  double* np = north.mutable_data();
  {
    py::gil_scoped_release nogil;
    b.ForEach<2>([&](size_t i, const std::array<double, 2>& v) {
      double e, n;
      const bool ok = !ToUps(v[0], v[1], ell, e, n);
      hp[i] = ok ? (v[0] < 0 ? 'S' : 'N') : 0;
      ep[i] = ok ? e : kNaN;
      np[i] = ok ? n : kNaN;
    });
  }
  return g.ups(hemi, east, north);
}

py::object UpsToLatLon(py::handle hemisphere, py::handle easting, py::handle northing,
                       py::handle ellipsoid) {
  const TGeoEllipsoid ell = EllipsoidArg(ellipsoid);
  if (IsText(hemisphere) && AllScalar({easting, northing})) {
    double lat, lon;
    if (Fail f =
            FromUps(Hemisphere(hemisphere, HemisphereText::Pole), ScalarValue(easting, "easting"),
                    ScalarValue(northing, "northing"), ell, lat, lon))
      Raise(f);
    return g.latlon(lat, lon);
  }
  py::object hemi = HemisphereArray(hemisphere, HemisphereText::Pole);
  auto r = RunDoubles<3, 2>({hemi, easting, northing},
                            [ell](const std::array<double, 3>& v, std::array<double, 2>& o) {
                              return FromUps(v[0], v[1], v[2], ell, o[0], o[1]);
                            });
  return g.latlon(r[0], r[1]);
}

Fail HelmertPoint(int src, int dst, const std::array<double, 3>& v, std::array<double, 3>& o) {
  const int status = HelmertTransform(src, v[0], v[1], v[2], dst, o[0], o[1], o[2]);
  if (status == kHelmertBadLatitude) return {"latitude outside -90..90", v[0]};
  if (status == kHelmertBadLongitude) return {"longitude outside -180..180", v[1]};
  return {};
}

py::object Helmert(py::handle lat, py::handle lon, py::handle height, py::handle source,
                   py::handle target) {
  const int src = DatumArg(source, "source"), dst = DatumArg(target, "target");
  const auto point = [src, dst](const std::array<double, 3>& v, std::array<double, 3>& o) {
    return HelmertPoint(src, dst, v, o);
  };
  if (AllScalar({lat, lon, height})) {
    std::array<double, 3> o{};
    if (Fail f = point(
            {ScalarValue(lat, "lat"), ScalarValue(lon, "lon"), ScalarValue(height, "height")}, o))
      Raise(f);
    return g.latlonh(o[0], o[1], o[2]);
  }
  auto r = RunDoubles<3, 3>({lat, lon, height}, point);
  return g.latlonh(r[0], r[1], r[2]);
}

// Plain Transverse Mercator with a scale and a false origin.
struct TmParams {
  double lon0, k, fe, fn;
  TGeoEllipsoid ell;
};

TmParams TmArgs(double lon0, py::handle ellipsoid, double k, double fe, double fn) {
  if (!std::isfinite(lon0)) Raise({"central meridian not finite", lon0});
  if (!(std::isfinite(k) && k > 0)) Raise({"scale not a positive number", k});
  if (!std::isfinite(fe)) Raise({"false easting not finite", fe});
  if (!std::isfinite(fn)) Raise({"false northing not finite", fn});
  return {lon0, k, fe, fn, EllipsoidArg(ellipsoid)};
}

Fail ToTm(const TmParams& p, double lat, double lon, double& x, double& y) {
  if (Fail f = CheckLat(lat)) return f;
  if (Fail f = CheckFinite(lon, "longitude not finite")) return f;
  const double lambda =
      std::fabs(lon - p.lon0) <= 180 ? lon : p.lon0 + std::remainder(lon - p.lon0, 360.0);
  LatLongToTM(lat * kDeg, lambda * kDeg, p.lon0 * kDeg, p.ell, x, y);
  x = p.k * x + p.fe;
  y = p.k * y + p.fn;
  return {};
}

Fail FromTm(const TmParams& p, double x, double y, double& lat, double& lon) {
  if (Fail f = CheckFinite(x, "x not finite")) return f;
  if (Fail f = CheckFinite(y, "y not finite")) return f;
  double phi, lambda;
  TMToLatLong((x - p.fe) / p.k, (y - p.fn) / p.k, p.lon0 * kDeg, p.ell, phi, lambda);
  lat = phi / kDeg;
  lon = std::remainder(lambda / kDeg, 360.0);
  return {};
}

Fail ToGeocentric(TGeoEllipsoid ell, const std::array<double, 3>& v, std::array<double, 3>& o) {
  if (Fail f = CheckLat(v[0])) return f;
  if (Fail f = CheckFinite(v[1], "longitude not finite")) return f;
  if (Fail f = CheckFinite(v[2], "height not finite")) return f;
  GeoToCartesian(v[0], v[1], v[2], ell, o[0], o[1], o[2]);
  return {};
}

Fail FromGeocentric(TGeoEllipsoid ell, const std::array<double, 3>& v, std::array<double, 3>& o) {
  for (int k = 0; k < 3; ++k)
    if (Fail f = CheckFinite(v[k], "coordinate not finite")) return f;
  CartesianToGeo(v[0], v[1], v[2], ell, o[0], o[1], o[2]);
  return {};
}

// A conversion of two or three numbers into two or three, scalar or array.
template <size_t N, size_t K, class P>
std::array<py::object, K> Apply(const std::array<py::handle, N>& in, P point) {
  std::array<py::object, K> out;
  bool scalar = true;
  for (py::handle h : in) scalar = scalar && IsScalar(h);
  if (scalar) {
    std::array<double, N> v{};
    for (size_t k = 0; k < N; ++k) v[k] = ScalarValue(in[k], "coordinate");
    std::array<double, K> o{};
    if (Fail f = point(v, o)) Raise(f);
    for (size_t k = 0; k < K; ++k) out[k] = py::float_(o[k]);
    return out;
  }
  auto r = RunDoubles<N, K>(std::vector<py::handle>(in.begin(), in.end()), point);
  for (size_t k = 0; k < K; ++k) out[k] = std::move(r[k]);
  return out;
}

constexpr const char* kArrays =
    "\n\nEach number may be a numpy array (or a sequence): the arguments are broadcast "
    "together and the results are arrays of their shape, computed without the GIL. "
    "Points that do not convert give NaN there (zone 0 and \"\" where zones and letters are "
    "returned) instead of raising; a single point raises tkz.GeoError naming the value.";

std::string Doc(const char* text) { return std::string(text) + kArrays; }

}  // namespace

void BindGeo(py::module_& m) {
  py::module_ sub = m.def_submodule("geo", "Geodesy on the ellipsoid: UTM, UPS, datum shifts.");
  BindGeoTables(sub);
  g.utm = NamedTupleClass(sub, "UTM", "zone band easting northing",
                          "UTM coordinates: zone 1..60, latitude band letter C..X, easting and "
                          "northing in metres (northing from 10 000 km south of the equator in the "
                          "southern hemisphere).");
  g.zone = NamedTupleClass(sub, "UTMZone", "zone band", "A UTM zone 1..60 and latitude band C..X.");
  g.latlon = NamedTupleClass(sub, "LatLon", "lat lon", "Latitude and longitude in degrees.");
  g.ups = NamedTupleClass(
      sub, "UPS", "hemisphere easting northing",
      "UPS coordinates: hemisphere \"N\" or \"S\", easting and northing in metres.");
  g.latlonh = NamedTupleClass(sub, "LatLonHeight", "lat lon height",
                              "Latitude and longitude in degrees, ellipsoidal height in metres.");
  g.xy =
      NamedTupleClass(sub, "XY", "x y", "Projected coordinates in metres (easting x, northing y).");
  g.xyz = NamedTupleClass(sub, "XYZ", "x y z", "Geocentric (earth-centred) coordinates in metres.");
  py::object wgs84 = py::cast(gelWGS84);

  sub.def("utm", &Utm, py::arg("lat"), py::arg("lon"), py::arg("ellipsoid") = wgs84,
          py::arg("zone") = py::none(),
          Doc("UTM coordinates of a point (degrees): UTM(zone, band, easting, northing).\n\n"
              "The zone is the standard one (with the Norway and Svalbard exceptions) unless "
              "zone= forces one: the point is then projected in that zone, as across a zone "
              "edge, and may lie up to 9 degrees from its central meridian. Latitudes must lie "
              "in the UTM area -80..84; longitudes are taken into -180..180. Accuracy: about "
              "0.02 mm within a standard zone, 1 cm at 9 degrees from the meridian.")
              .c_str());
  sub.def("utm_zone", &UtmZone, py::arg("lat"), py::arg("lon"),
          Doc("The UTM zone and latitude band of a point: UTMZone(zone, band).").c_str());
  sub.def("latlon", &LatLon, py::arg("zone"), py::arg("band_or_hemisphere"), py::arg("easting"),
          py::arg("northing"), py::arg("ellipsoid") = wgs84,
          Doc("Latitude and longitude (degrees) of UTM coordinates: LatLon(lat, lon).\n\n"
              "band_or_hemisphere is a latitude band letter C..X (C..M south, N..X north, so "
              "that a UTM result goes back as it came) or the word \"north\" or \"south\"; "
              "as an array: str or bool (True: south). Easting -600..1600 km, northing "
              "-9100..9600 km (north) or 900..19600 km (south), and the point within 9 degrees "
              "of the zone's central meridian.")
              .c_str());
  sub.def("ups", &Ups, py::arg("lat"), py::arg("lon"), py::arg("ellipsoid") = wgs84,
          Doc("Universal Polar Stereographic coordinates: UPS(hemisphere, easting, northing). "
              "The latitude must lie in a UPS area (>= 83.5 or <= -79.5).")
              .c_str());
  sub.def("ups_to_latlon", &UpsToLatLon, py::arg("hemisphere"), py::arg("easting"),
          py::arg("northing"), py::arg("ellipsoid") = wgs84,
          Doc("Latitude and longitude of UPS coordinates: LatLon(lat, lon). hemisphere is \"N\" "
              "or \"S\" (or \"north\", \"south\"); easting and northing 1200..2800 km (north) "
              "or 700..3300 km (south).")
              .c_str());
  sub.def("helmert", &Helmert, py::arg("lat"), py::arg("lon"), py::arg("height"),
          py::arg("source_datum"), py::arg("target_datum"),
          Doc("Seven-parameter datum shift through WGS 84: LatLonHeight(lat, lon, height).\n\n"
              "Datums are numbers 1..271, Datum records or names (tkz.geo.datums()); a bad "
              "datum raises tkz.GeoError also for arrays. Latitude -90..90, longitude "
              "-180..180, height in metres above the source ellipsoid. Accuracy against PROJ "
              "with the same parameters: to WGS 84 within 0.002 mm, from WGS 84 within 31 mm "
              "(a first-order inverse rotation).")
              .c_str());
  sub.def(
      "tm",
      [](py::handle lat, py::handle lon, double lon0, py::handle ell, double k, double fe,
         double fn) {
        const TmParams p = TmArgs(lon0, ell, k, fe, fn);
        auto r =
            Apply<2, 2>({lat, lon}, [p](const std::array<double, 2>& v, std::array<double, 2>& o) {
              return ToTm(p, v[0], v[1], o[0], o[1]);
            });
        return g.xy(r[0], r[1]);
      },
      py::arg("lat"), py::arg("lon"), py::arg("central_meridian"), py::arg("ellipsoid") = wgs84,
      py::kw_only(), py::arg("scale") = 1.0, py::arg("false_easting") = 0.0,
      py::arg("false_northing") = 0.0,
      Doc("Transverse Mercator: XY(x, y) in metres, x = scale * X + false_easting, "
          "y = scale * Y + false_northing, X and Y measured from the central meridian "
          "(degrees) and the equator. The series is good to 0.02 mm within 3 degrees of the "
          "meridian, 1 mm at 6, 11 mm at 9 and 0.4 m at 15 degrees.")
          .c_str());
  sub.def(
      "tm_to_latlon",
      [](py::handle x, py::handle y, double lon0, py::handle ell, double k, double fe, double fn) {
        const TmParams p = TmArgs(lon0, ell, k, fe, fn);
        auto r = Apply<2, 2>({x, y}, [p](const std::array<double, 2>& v, std::array<double, 2>& o) {
          return FromTm(p, v[0], v[1], o[0], o[1]);
        });
        return g.latlon(r[0], r[1]);
      },
      py::arg("x"), py::arg("y"), py::arg("central_meridian"), py::arg("ellipsoid") = wgs84,
      py::kw_only(), py::arg("scale") = 1.0, py::arg("false_easting") = 0.0,
      py::arg("false_northing") = 0.0,
      Doc("The inverse of tm(): LatLon(lat, lon) of projected x, y in metres.").c_str());
  sub.def(
      "geocentric",
      [](py::handle lat, py::handle lon, py::handle height, py::handle ellipsoid) {
        const TGeoEllipsoid ell = EllipsoidArg(ellipsoid);
        auto r = Apply<3, 3>({lat, lon, height},
                             [ell](const std::array<double, 3>& v, std::array<double, 3>& o) {
                               return ToGeocentric(ell, v, o);
                             });
        return g.xyz(r[0], r[1], r[2]);
      },
      py::arg("lat"), py::arg("lon"), py::arg("height") = 0.0, py::arg("ellipsoid") = wgs84,
      Doc("Geocentric coordinates XYZ(x, y, z) in metres of a latitude and longitude "
          "(degrees) and a height above the ellipsoid (metres).")
          .c_str());
  sub.def(
      "geographic",
      [](py::handle x, py::handle y, py::handle z, py::handle ellipsoid) {
        const TGeoEllipsoid ell = EllipsoidArg(ellipsoid);
        auto r =
            Apply<3, 3>({x, y, z}, [ell](const std::array<double, 3>& v, std::array<double, 3>& o) {
              return FromGeocentric(ell, v, o);
            });
        return g.latlonh(r[0], r[1], r[2]);
      },
      py::arg("x"), py::arg("y"), py::arg("z"), py::arg("ellipsoid") = wgs84,
      Doc("Latitude, longitude (degrees) and height (metres) of geocentric coordinates: "
          "LatLonHeight(lat, lon, height). Closed form (Bowring), good to about 2 micrometres.")
          .c_str());
}

}  // namespace tkz::python
