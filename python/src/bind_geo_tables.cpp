// tkz.geo: the 61 ellipsoids and the 271 datums.
#include "python/src/bind_geo_tables.h"

#include <string>
#include <vector>

#include "core/text/charcase.h"
#include "geo/geobasics_datums.h"

namespace tkz::python::geo {

namespace {

// Kept for the life of the process (never released at exit, when the
// interpreter is gone).
py::handle g_ellipsoid_info;
py::handle g_datum;

std::string Trimmed(std::string s) {
  while (!s.empty() && (s.back() == ' ' || s.back() == ',')) s.pop_back();
  while (!s.empty() && s.front() == ' ') s.erase(0, 1);
  return s;
}

bool SameDefinition(const TDatumRow& a, const TDatumRow& b) {
  return a.Ellipsoid == b.Ellipsoid && a.dX == b.dX && a.dY == b.dY && a.dZ == b.dZ &&
         a.Scale == b.Scale && a.rX == b.rX && a.rY == b.rY && a.rZ == b.rZ;
}

py::object EllipsoidInfo(int i) {
  const auto ell = static_cast<TGeoEllipsoid>(i);
  const TGeoEllipsoidAxes& ax = GeoEllipsoidData[i];
  return g_ellipsoid_info(i, py::cast(ell), GeoEllipsoidId[i], ToStr(GeoEllipsoidName[i]), ax.a,
                          ax.b, RecipFlattening(ell), GeoEllEccSquared(ell));
}

py::object DatumInfo(int nr) {
  const TDatumRow& r = *DatumRow(nr);
  return g_datum(nr, ToStr(r.Name), py::cast(r.Ellipsoid), r.dX, r.dY, r.dZ, r.Scale, r.rX, r.rY,
                 r.rZ);
}

}  // namespace

TGeoEllipsoid EllipsoidArg(py::handle o) {
  if (py::isinstance<TGeoEllipsoid>(o)) return o.cast<TGeoEllipsoid>();
  if (PyLong_Check(o.ptr()) && !PyBool_Check(o.ptr())) {
    const long long v = PyLong_AsLongLong(o.ptr());
    if (v == -1 && PyErr_Occurred()) {
      PyErr_Clear();
      throw ETKZGeoBasicsError("invalid ellipsoid " + py::str(o).cast<std::string>());
    }
    if (v < 0 || v >= kGeoEllipsoidCount)
      throw ETKZGeoBasicsError("invalid ellipsoid " + std::to_string(v));
    return static_cast<TGeoEllipsoid>(v);
  }
  if (PyUnicode_Check(o.ptr()) || PyBytes_Check(o.ptr())) {
    const std::string s = Trimmed(FromStr(o, "ellipsoid"));
    for (int i = 0; i < kGeoEllipsoidCount; ++i) {
      const std::string_view id = GeoEllipsoidId[i];
      if (AnsiSameText(id, s) || AnsiSameText(id.substr(3), s) ||
          AnsiSameText(GeoEllipsoidName[i], s))
        return static_cast<TGeoEllipsoid>(i);
    }
    throw ETKZGeoBasicsError("unknown ellipsoid \"" + s +
                             "\" (tkz.geo.ellipsoids() lists the 61 ellipsoids)");
  }
  throw py::type_error(std::string("ellipsoid must be an Ellipsoid, int or str, not ") +
                       Py_TYPE(o.ptr())->tp_name);
}

int DatumArg(py::handle o, const char* role) {
  const std::string range = " (datums are 1.." + std::to_string(kDatumCount) + ")";
  const std::string what = *role ? std::string(role) + " datum" : std::string("datum");
  if (PyObject_IsInstance(o.ptr(), g_datum.ptr()) == 1) o = o.attr("number");
  if (PyLong_Check(o.ptr()) && !PyBool_Check(o.ptr())) {
    const long long v = PyLong_AsLongLong(o.ptr());
    if (v == -1 && PyErr_Occurred()) PyErr_Clear();
    if (v < 1 || v > kDatumCount) {
      throw ETKZGeoBasicsError("invalid " + what + " " + py::str(o).cast<std::string>() + range);
    }
    return static_cast<int>(v);
  }
  if (!PyUnicode_Check(o.ptr()) && !PyBytes_Check(o.ptr())) {
    throw py::type_error(what + " must be an int, a Datum or a str, not " +
                         Py_TYPE(o.ptr())->tp_name);
  }
  const std::string s = Trimmed(FromStr(o, "datum"));
  if (AnsiSameText(s, "WGS84") || AnsiSameText(s, "WGS 84")) return 269;
  std::vector<int> found;
  for (int nr = 1; nr <= kDatumCount; ++nr)
    if (AnsiSameText(Trimmed(DatumRow(nr)->Name), s)) found.push_back(nr);
  if (found.empty()) {
    throw ETKZGeoBasicsError("unknown " + what + " \"" + s + "\" (tkz.geo.datums() lists them)");
  }
  for (int nr : found) {
    if (SameDefinition(*DatumRow(nr), *DatumRow(found[0]))) continue;
    std::string numbers;
    for (int k : found) {
      if (!numbers.empty()) numbers += ", ";
      numbers += std::to_string(k);
    }
    throw ETKZGeoBasicsError("ambiguous " + what + " \"" + s + "\": rows " + numbers +
                             " differ; give the number of one");
  }
  return found[0];
}

void BindGeoTables(py::module_& sub) {
  py::enum_<TGeoEllipsoid> e(sub, "Ellipsoid",
                             "The 61 reference ellipsoids (tkz.geo.ellipsoids() gives their "
                             "names and axes). Members are also module attributes: tkz.geo.WGS84.");
  for (int i = 0; i < kGeoEllipsoidCount; ++i)
    e.value(GeoEllipsoidId[i] + 3, static_cast<TGeoEllipsoid>(i));
  e.export_values();

  g_ellipsoid_info =
      NamedTupleClass(sub, "EllipsoidInfo", "index ellipsoid id name a b inverse_flattening e2",
                      "An ellipsoid: index 0..60, the Ellipsoid member, identifier (gelWGS84), "
                      "name, semi-major and semi-minor axis a and b (metres), inverse flattening "
                      "(0 for a sphere) and first eccentricity squared.");
  g_datum =
      NamedTupleClass(sub, "Datum", "number name ellipsoid dx dy dz scale rx ry rz",
                      "A datum: number 1..271, name, Ellipsoid, and its seven-parameter shift "
                      "to WGS 84: translation dx, dy, dz (metres), scale difference "
                      "(parts per million), rotations rx, ry, rz (arc seconds, position "
                      "vector convention as PROJ's +towgs84).");

  sub.def(
      "ellipsoids",
      [] {
        py::list out;
        for (int i = 0; i < kGeoEllipsoidCount; ++i) out.append(EllipsoidInfo(i));
        return out;
      },
      "The 61 ellipsoids as EllipsoidInfo records, by index.");
  sub.def(
      "ellipsoid", [](py::handle key) { return EllipsoidInfo(EllipsoidArg(key)); }, py::arg("key"),
      "The EllipsoidInfo of an Ellipsoid, an index 0..60, or an identifier or name "
      "(\"WGS84\", \"gelInt24\", \"Clarke 1866\"; any letter case). tkz.GeoError for "
      "anything else.");
  sub.def(
      "datums",
      [](py::object name) {
        const std::string part = name.is_none() ? "" : AnsiUpperCase(FromStr(name, "name"));
        py::list out;
        for (int nr = 1; nr <= kDatumCount; ++nr)
          if (AnsiUpperCase(DatumRow(nr)->Name).find(part) != std::string::npos)
            out.append(DatumInfo(nr));
        return out;
      },
      py::arg("name") = py::none(),
      "The datums as Datum records in number order; with name, those whose name contains it "
      "(any letter case).");
  sub.def(
      "datum", [](py::handle key) { return DatumInfo(DatumArg(key, "")); }, py::arg("key"),
      "The Datum of a number 1..271 or of a name (any letter case; \"WGS84\" is 269). A name "
      "that several rows share with different parameters (regional variants such as "
      "\"ARC 1950\") raises tkz.GeoError naming their numbers.");
}

}  // namespace tkz::python::geo
