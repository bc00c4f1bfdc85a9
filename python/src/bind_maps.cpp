// tkz.maps: calibrated maps. This file holds the Map class's construction,
// calibration, conversions and calibration files; landmarks, drawing and
// the atlas are in bind_maps_*.cpp.
//
// Pixels are map-image pixels: x to the right, y downwards, (0, 0) at the
// top-left corner of the image; the library names the image's corners (0, 0)
// and (width, height). Reference points and the pixels geo2pix gives are
// whole pixels; pix2geo takes any real position.
#include <pybind11/numpy.h>
#include <pybind11/stl.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <limits>
#include <unordered_map>
#include <vector>

#include "core/platform/textfile.h"
#include "core/text/charcase.h"
#include "python/src/bind_maps_internal.h"
#include "tools/common/gdb_overlay.h"

namespace tkz::python::maps {

namespace fs = std::filesystem;

// ------------------------------------------------------------ shared parts

std::string WebColor(TColor c) {
  char text[8];
  std::snprintf(text, sizeof text, "#%02X%02X%02X", GetRValue(c), GetGValue(c), GetBValue(c));
  return text;
}

TColor ColorFrom(py::handle value) {
  if (PyUnicode_Check(value.ptr())) {
    const std::string s = py::cast<std::string>(value);
    unsigned r, g, b;
    char tail;
    if (s.size() == 7 && s[0] == '#' &&
        std::sscanf(s.c_str() + 1, "%2x%2x%2x%c", &r, &g, &b, &tail) == 3)
      return RGB(static_cast<uint8_t>(r), static_cast<uint8_t>(g), static_cast<uint8_t>(b));
    throw py::value_error("a colour must be \"#RRGGBB\" or (r, g, b): " + s);
  }
  if (PySequence_Check(value.ptr()) && py::len(value) == 3) {
    int rgb[3];
    for (int i = 0; i < 3; ++i) {
      rgb[i] = py::cast<int>(value[py::int_(i)]);
      if (rgb[i] < 0 || rgb[i] > 255) throw py::value_error("colour components must be 0..255");
    }
    return RGB(static_cast<uint8_t>(rgb[0]), static_cast<uint8_t>(rgb[1]),
               static_cast<uint8_t>(rgb[2]));
  }
  throw py::type_error("a colour must be \"#RRGGBB\" or (r, g, b)");
}

void MapError(const std::string& message) { throw ETKZGeoMapError(message); }

namespace {

// The named tuple types, kept for the life of the process.
std::unordered_map<std::string, PyObject*>& TupleTypes() {
  static auto* types = new std::unordered_map<std::string, PyObject*>();
  return *types;
}

void DefineTuple(py::module_& m, const char* name, const char* fields, const char* doc) {
  TupleTypes()[name] = NamedTupleClass(m, name, fields, doc).ptr();
}

}  // namespace

py::object NamedTuple(const char* name) {
  return py::reinterpret_borrow<py::object>(TupleTypes().at(name));
}

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// ------------------------------------------------------------------ models

TCalibModel ModelFrom(py::handle value) {
  const std::string name = FromStr(value, "model");
  for (int m = 0; m < cmUndefined; ++m)
    if (AnsiSameText(CalibModelNames[m], name)) return static_cast<TCalibModel>(m);
  std::string known;
  for (int m = 0; m < cmUndefined; ++m) known += (m ? ", " : "") + CalibModelNames[m];
  MapError("unknown calibration model \"" + name + "\" (one of " + known + ")");
}

TGeoEllipsoid EllipsoidFrom(py::handle value) {
  const std::string id = FromStr(value, "ellipsoid");
  for (int i = 0; i < kGeoEllipsoidCount; ++i)
    if (AnsiSameText(GeoEllipsoidId[i], id)) return static_cast<TGeoEllipsoid>(i);
  MapError("unknown ellipsoid \"" + id + "\"");
}

// The fewest reference points each model can be fitted from.
int MinPoints(TCalibModel m) { return m == cmBiquadraticPn ? 6 : 3; }

// ------------------------------------------------------------------ images

bool IsArrayLike(py::handle h) { return py::hasattr(h, "__array_interface__"); }

// An (h, w, 3) RGB or (h, w) grey uint8 array as a bitmap.
void SetImageFromArray(TGeoMap& map, py::handle value) {
  auto a = py::array_t<uint8_t, py::array::c_style | py::array::forcecast>::ensure(value);
  if (!a || !(a.ndim() == 2 || (a.ndim() == 3 && a.shape(2) == 3)))
    throw py::value_error(
        "an image array must have the shape (height, width, 3) or (height, width)");
  const auto h = a.shape(0), w = a.shape(1);
  if (!TBitmap::SizeAllowed(w, h) || w == 0 || h == 0)
    throw py::value_error("image size out of range: " + std::to_string(w) + " x " +
                          std::to_string(h));
  TBitmap bmp(static_cast<int>(w), static_cast<int>(h));
  const uint8_t* src = a.data();
  const int step = a.ndim() == 3 ? 3 : 1;
  for (int y = 0; y < h; ++y) {
    uint32_t* row = bmp.ScanLine(y);
    for (int x = 0; x < w; ++x, src += step)
      row[x] = step == 3 ? RGB(src[0], src[1], src[2]) : RGB(src[0], src[0], src[0]);
  }
  map.SetMapBitMap(bmp);
}

void SetImage(MapRef& r, py::handle image) {
  if (IsArrayLike(image)) {
    SetImageFromArray(*r.map, image);
    return;
  }
  const std::string path = FromPath(image);
  std::error_code ec;
  if (!fs::is_regular_file(path, ec))
    MapError("cannot open the map image \"" + path + "\": no such file");
  r.map->SetMapImgName(path);
}

MapRef NewMap(py::object image, py::object size) {
  MapRef r{std::make_shared<TGeoMap>(), "", false};
  if (!image.is_none() && !size.is_none())
    throw py::value_error("give either an image or a size, not both");
  if (!image.is_none()) SetImage(r, image);
  if (!size.is_none()) {
    const auto wh = py::cast<std::pair<int, int>>(size);
    if (wh.first <= 0 || wh.second <= 0 || int64_t{wh.first} * wh.second > kMaxMapPixels)
      throw py::value_error("the size must be positive and at most " +
                            std::to_string(kMaxMapPixels) + " pixels");
    r.map->SetMapImageSize(wh.first, wh.second);
  }
  return r;
}

// ------------------------------------------------------- calibration files

std::string Trimmed(std::string s) {
  const auto b = s.find_first_not_of(" \t\r\n");
  const auto e = s.find_last_not_of(" \t\r\n");
  return b == std::string::npos ? "" : s.substr(b, e - b + 1);
}

// The ids of the calibrations in a file, in file order, as written.
std::vector<std::string> CalibrationIds(const std::string& file) {
  std::error_code ec;
  if (!fs::is_regular_file(file, ec)) MapError("cannot open \"" + file + "\": no such file");
  std::ifstream in(file, std::ios::binary);
  std::vector<std::string> ids;
  std::string line;
  while (std::getline(in, line)) {
    const std::string lower = AnsiLowerCase(line);
    if (lower.find("<geomap") == std::string::npos || lower.find("quorvatin") == std::string::npos)
      continue;
    std::string id;
    for (size_t at = lower.find("id=\""); at != std::string::npos;
         at = lower.find("id=\"", at + 1)) {
      if (at == 0 || (lower[at - 1] != ' ' && lower[at - 1] != '\t')) continue;
      const size_t b = at + 4, e = line.find('"', b);
      id = Trimmed(line.substr(b, e == std::string::npos ? std::string::npos : e - b));
      break;
    }
    ids.push_back(id);
  }
  return ids;
}

MapRef Load(py::handle file, py::object id, py::object image) {
  const std::string path = FromPath(file);
  const std::string wanted = id.is_none() ? "" : FromStr(id, "id");
  std::error_code ec;
  if (!fs::is_regular_file(path, ec)) MapError("cannot open \"" + path + "\": no such file");
  MapRef r{std::make_shared<TGeoMap>(), path, false};
  if (!r.map->LoadCalDataFromXML(path, wanted))
    MapError(wanted.empty() ? "no calibration in \"" + path + "\""
                            : "no calibration with id \"" + wanted + "\" in \"" + path + "\"");
  if (!image.is_none()) {
    SetImage(r, image);
  } else {
    tool::LoadMapImage(*r.map, path);
  }
  return r;
}

void SaveCalibration(const MapRef& r, py::handle file, py::handle id, bool append) {
  const std::string path = FromPath(file);
  const std::string ident = FromStr(id, "id");
  std::error_code ec;
  if (!append || !fs::exists(path, ec)) {
    r.map->SaveCalDataAsXML(path, ident);
    return;
  }
  for (const std::string& other : CalibrationIds(path))
    if (AnsiSameText(Trimmed(other), Trimmed(ident)))
      MapError("a calibration with id \"" + ident + "\" is already in \"" + path + "\"");
  std::vector<std::string> lines;
  TTextFile in;
  in.AssignFile(path);
  in.Reset();
  for (std::string line; !in.Eof();) {
    in.ReadLn(line);
    lines.push_back(line);
  }
  in.CloseFile();
  ReplaceTextFile(path, [&](TTextFile& f) {
    for (const std::string& line : lines) f.WriteLn(line);
    r.map->WriteCalDataToOpenXMLFile(f, false, ident);
  });
}

// ------------------------------------------------------------- calibration

// What a calibration consists of, to put back after a failed fit.
struct CalibState {
  TCalibModel model;
  TCalibData data;
};

void ApplyCalibration(TGeoMap& map, const CalibState& s) {
  map.ClearCalibData();
  map.SetCalibModel(s.model);
  map.SetUTMZone(s.data.UTMZone);
  map.SetUTMHemisphere(s.data.UTMSouth ? hemiSouth : hemiNorth);
  map.SetEllipsoid(s.data.Ellipsoid);
  for (int i = 1; i <= s.data.NumCalLines; ++i) {
    const TCalLine& l = s.data.CalLines[i];
    for (int j = 1; j <= l.NumPoints; ++j)
      map.AddCalibPoint(l.Kind, l.Value, l.Points[j].X, l.Points[j].Y);
  }
  for (int i = 1; i <= s.data.NumCalQuads; ++i) {
    const TCalQuad& q = s.data.CalQuads[i];
    if (s.model == cmUTM)
      map.AddCalibPoint(q.Lat, q.Long, s.data.UTMZone, s.data.UTMSouth ? hemiSouth : hemiNorth, q.X,
                        q.Y);
    else if (s.model != cmParabolicIp && s.model != cmUndefined)
      map.AddCalibPoint(q.Lat, q.Long, q.X, q.Y);
  }
}

int WholePixel(py::handle v, const char* what) {
  const double d = py::cast<double>(v);
  if (!std::isfinite(d) || std::fabs(d) > 1e9)
    throw py::value_error(std::string(what) + " must be a finite pixel position");
  return static_cast<int>(std::lround(d));
}

double FiniteNumber(py::handle v, const char* what) {
  const double d = py::cast<double>(v);
  if (!std::isfinite(d)) throw py::value_error(std::string(what) + " must be finite");
  return d;
}

// The new calibration from the points (see Map.calibrate).
CalibState ReadPoints(py::iterable points, TCalibModel model, int zone, bool south,
                      TGeoEllipsoid ellipsoid) {
  CalibState s{model, TCalibData{}};
  s.data.UTMZone = zone;
  s.data.UTMSouth = south;
  s.data.Ellipsoid = ellipsoid;
  for (py::handle item : points) {
    const py::sequence p = py::reinterpret_borrow<py::sequence>(item);
    if (!PySequence_Check(item.ptr()) || py::len(p) != 4)
      throw py::value_error(model == cmParabolicIp ? "each point is (x, y, kind, value)"
                            : model == cmUTM       ? "each point is (x, y, northing, easting)"
                                                   : "each point is (x, y, lat, lon)");
    const int x = WholePixel(p[0], "x"), y = WholePixel(p[1], "y");
    if (model == cmParabolicIp) {
      const std::string kind = AnsiLowerCase(FromStr(p[2], "kind"));
      if (kind != "meridian" && kind != "parallel")
        throw py::value_error("the kind of a graticule line is \"meridian\" or \"parallel\"");
      const TGratLineKind k = kind == "meridian" ? gtlMeridian : gtlParallel;
      const double value = FiniteNumber(p[3], "value");
      int ix = 0;
      for (int i = 1; i <= s.data.NumCalLines; ++i)
        if (s.data.CalLines[i].Kind == k && s.data.CalLines[i].Value == value) ix = i;
      if (ix == 0) {
        if (s.data.NumCalLines >= kMaxCalLines)
          MapError("at most " + std::to_string(kMaxCalLines) + " graticule lines");
        ix = ++s.data.NumCalLines;
        s.data.CalLines[ix].Kind = k;
        s.data.CalLines[ix].Value = value;
      }
      TCalLine& line = s.data.CalLines[ix];
      if (line.NumPoints >= kMaxCalLinePoints)
        MapError("at most " + std::to_string(kMaxCalLinePoints) + " points on a graticule line");
      line.Points[++line.NumPoints] = TPoint{x, y};
    } else {
      if (s.data.NumCalQuads >= kMaxCalQuads)
        MapError("at most " + std::to_string(kMaxCalQuads) + " reference points");
      const double a = FiniteNumber(p[2], model == cmUTM ? "northing" : "lat");
      const double b = FiniteNumber(p[3], model == cmUTM ? "easting" : "lon");
      if (model != cmUTM && (std::fabs(a) > 90 || std::fabs(b) > 360))
        throw py::value_error("latitude must be within -90..90 and longitude -360..360");
      s.data.CalQuads[++s.data.NumCalQuads] = TCalQuad{a, b, x, y};
    }
  }
  return s;
}

// Whether the map converts the pixel of its first reference point.
bool CalibrationWorks(const TGeoMap& map) {
  const TCalibData& d = map.GetCalibData();
  TPoint p{};
  if (map.GetCalibModel() == cmParabolicIp) {
    if (d.NumCalLines < 1) return false;
    p = d.CalLines[1].Points[1];
  } else {
    if (d.NumCalQuads < 1) return false;
    p = TPoint{d.CalQuads[1].X, d.CalQuads[1].Y};
  }
  bool v1 = false, v2 = false;
  map.CalcLatitude(p.X, p.Y, v1);
  map.CalcLongitude(p.X, p.Y, v2);
  return v1 && v2;
}

py::object Quality(const TGeoMap& map) {
  const TCalibData& d = map.GetCalibData();
  const TCalibModel model = map.GetCalibModel();
  double qx = 0, qy = 0;
  map.CalibQuality(qx, qy);
  py::list residuals;
  double sx = 0, sy = 0;
  int n = 0;
  const py::object residual = NamedTuple("Residual");
  if (model != cmParabolicIp && model != cmUndefined) {
    for (int i = 1; i <= d.NumCalQuads; ++i) {
      const TCalQuad& q = d.CalQuads[i];
      int x = 0, y = 0;
      const bool ok = model == cmUTM ? map.CalcPixelCoordsUTM(q.Lat, q.Long, x, y)
                                     : map.CalcPixelCoords(q.Lat, q.Long, x, y);
      const double dx = ok ? x - q.X : kNaN, dy = ok ? y - q.Y : kNaN;
      if (ok) sx += dx * dx, sy += dy * dy, ++n;
      residuals.append(residual(q.X, q.Y, dx, dy));
    }
  }
  int points = d.NumCalQuads;
  if (model == cmParabolicIp) {
    points = 0;
    for (int i = 1; i <= d.NumCalLines; ++i) points += d.CalLines[i].NumPoints;
  }
  return NamedTuple("Quality")(ToStr(CalibModelNames[model]), points, qx, qy,
                               n ? std::sqrt(sx / n) : kNaN, n ? std::sqrt(sy / n) : kNaN,
                               residuals);
}

py::object Calibrate(MapRef& r, py::iterable points, py::handle model, py::object zone, bool south,
                     py::handle ellipsoid) {
  const TCalibModel m = ModelFrom(model);
  int z = -1;
  if (m == cmUTM) {
    if (zone.is_none()) MapError("the utm model needs a zone 1..60");
    z = py::cast<int>(zone);
    if (z < 1 || z > 60) MapError("invalid UTM zone " + std::to_string(z) + " (1..60)");
  }
  const CalibState wanted = ReadPoints(points, m, z, south, EllipsoidFrom(ellipsoid));
  const CalibState before{r.map->GetCalibModel(), r.map->GetCalibData()};
  ApplyCalibration(*r.map, wanted);
  if (!CalibrationWorks(*r.map)) {
    ApplyCalibration(*r.map, before);
    if (m == cmParabolicIp)
      MapError(
          "model \"parabolicip\" needs at least two meridians and two parallels of three "
          "points or more");
    MapError("model \"" + CalibModelNames[m] + "\" needs at least " + std::to_string(MinPoints(m)) +
             " reference points that do not lie on one line (got " +
             std::to_string(wanted.data.NumCalQuads) + ")");
  }
  return Quality(*r.map);
}

py::list CalibrationPoints(const TGeoMap& map) {
  const TCalibData& d = map.GetCalibData();
  py::list out;
  if (map.GetCalibModel() == cmParabolicIp) {
    const py::object point = NamedTuple("LinePoint");
    for (int i = 1; i <= d.NumCalLines; ++i) {
      const TCalLine& l = d.CalLines[i];
      for (int j = 1; j <= l.NumPoints; ++j)
        out.append(point(l.Points[j].X, l.Points[j].Y,
                         l.Kind == gtlMeridian ? "meridian" : "parallel", l.Value));
    }
    return out;
  }
  const py::object point = NamedTuple(map.GetCalibModel() == cmUTM ? "UtmPoint" : "GeoPoint");
  for (int i = 1; i <= d.NumCalQuads; ++i)
    out.append(point(d.CalQuads[i].X, d.CalQuads[i].Y, d.CalQuads[i].Lat, d.CalQuads[i].Long));
  return out;
}

// ------------------------------------------------------------- conversions

// A plain number (int, float, or any number that is not a sequence) rather
// than an array.
bool IsScalar(py::handle h) {
  if (PyFloat_Check(h.ptr()) || PyLong_Check(h.ptr())) return true;
  // numpy's scalars are numbers too; its arrays (0-d ones included) are
  // sequences.
  return !PySequence_Check(h.ptr()) && PyNumber_Check(h.ptr());
}

// Applies f(a, b, &u, &v) to scalars (a tuple of floats) or to numpy arrays
// broadcast against each other (a tuple of float64 arrays of their shape),
// the loop in C++ without the GIL.
template <class F>
py::tuple ConvertPairs(py::handle a, py::handle b, F f) {
  if (IsScalar(a) && IsScalar(b)) {
    double u = kNaN, v = kNaN;
    f(py::cast<double>(a), py::cast<double>(b), u, v);
    return py::make_tuple(u, v);
  }
  py::module_ np = py::module_::import("numpy");
  const py::tuple both = np.attr("broadcast_arrays")(np.attr("asarray")(a, "float64"),
                                                     np.attr("asarray")(b, "float64"));
  using Arr = py::array_t<double, py::array::c_style | py::array::forcecast>;
  const Arr in1(both[0]), in2(both[1]);
  std::vector<py::ssize_t> shape(in1.shape(), in1.shape() + in1.ndim());
  Arr out1(shape), out2(shape);
  const double *p1 = in1.data(), *p2 = in2.data();
  double *q1 = out1.mutable_data(), *q2 = out2.mutable_data();
  const py::ssize_t n = in1.size();
  {
    py::gil_scoped_release unlocked;
    for (py::ssize_t i = 0; i < n; ++i) f(p1[i], p2[i], q1[i], q2[i]);
  }
  return py::make_tuple(out1, out2);
}

py::tuple Pix2Geo(const MapRef& r, py::handle x, py::handle y) {
  const TGeoMap& map = *r.map;
  return ConvertPairs(x, y, [&map](double px, double py_, double& lat, double& lon) {
    bool v1 = false, v2 = false;
    const double a = map.CalcLatitude(px, py_, v1);
    const double b = map.CalcLongitude(px, py_, v2);
    const bool ok = v1 && v2 && std::isfinite(a) && std::isfinite(b);
    lat = ok ? a : kNaN;
    lon = ok ? b : kNaN;
  });
}

py::tuple Geo2Pix(const MapRef& r, py::handle lat, py::handle lon) {
  const TGeoMap& map = *r.map;
  return ConvertPairs(lat, lon, [&map](double la, double lo, double& x, double& y) {
    int px = 0, py_ = 0;
    const bool ok = map.CalcPixelCoords(la, lo, px, py_);
    x = ok ? px : kNaN;
    y = ok ? py_ : kNaN;
  });
}

py::tuple Utm2Pix(const MapRef& r, py::handle northing, py::handle easting) {
  const TGeoMap& map = *r.map;
  return ConvertPairs(northing, easting, [&map](double n, double e, double& x, double& y) {
    int px = 0, py_ = 0;
    const bool ok = map.CalcPixelCoordsUTM(n, e, px, py_);
    x = ok ? px : kNaN;
    y = ok ? py_ : kNaN;
  });
}

py::tuple Geo2Utm(const MapRef& r, py::handle lat, py::handle lon) {
  const TGeoMap& map = *r.map;
  return ConvertPairs(lat, lon, [&map](double la, double lo, double& n, double& e) {
    const bool ok = map.CalcUTMCoords(la, lo, n, e);
    if (!ok) n = e = kNaN;
  });
}

}  // namespace

py::object Corners(const std::array<TLatLong, 4>& corners) {
  const py::object latlon = NamedTuple("LatLon");
  py::list c;
  for (const TLatLong& k : corners) c.append(latlon(k.Lat, k.Long));
  return NamedTuple("Corners")(*c);
}

}  // namespace tkz::python::maps

namespace tkz::python {

void BindMaps(py::module_& m) {
  using namespace maps;
  py::module_ sub = m.def_submodule(
      "maps",
      "Calibrated maps: scanned map images whose pixels convert to latitude and longitude and "
      "back through a calibration fitted from reference points (six models), landmarks, drawing "
      "with graticules and UTM grids, and the atlas of several maps.\n\n"
      "Pixels are map-image pixels: x to the right, y downwards, (0, 0) at the top-left corner "
      "of the image.");
  DefineTuple(sub, "LatLon", "lat lon", "A position in degrees (north and east positive).");
  DefineTuple(sub, "Corners", "top_left bottom_left bottom_right top_right",
              "The positions of a map image's four corners (LatLon each).");
  DefineTuple(sub, "GeoPoint", "x y lat lon",
              "A reference point: pixel x, y and its latitude and longitude in degrees.");
  DefineTuple(sub, "UtmPoint", "x y northing easting",
              "A reference point of the utm model: pixel x, y and its northing and easting in "
              "metres in the calibration's zone.");
  DefineTuple(sub, "LinePoint", "x y kind value",
              "A point of the parabolicip model: pixel x, y on the meridian (value = its "
              "longitude) or parallel (value = its latitude).");
  DefineTuple(sub, "Residual", "x y dx dy",
              "How far the calibration puts a reference point from its pixel: geo2pix of its "
              "position minus (x, y), in whole pixels (NaN when it cannot be converted).");
  DefineTuple(sub, "Quality", "model points quality_x quality_y rms_x rms_y residuals",
              "The quality of a calibration: the library's measure (quality_x, quality_y: the "
              "residual standard deviation, in pixels, of the reference pixels the calibration "
              "gives back against the given ones; 0 for parabolicip), the root mean square of the "
              "residuals in x and y, and the Residual of every reference point.");
  DefineTuple(sub, "View", "left top magnification width height",
              "The view of a map: the image pixel at its top-left corner, the magnification "
              "(view pixels per image pixel) and the view's size in pixels.");
  DefineTuple(sub, "MapInfo", "file name resolution corners",
              "A map of an atlas: its calibration file, its image name, its resolution in metres "
              "per pixel and its corners, as the calibration file states them.");

  py::list models;
  for (int i = 0; i < cmUndefined; ++i) models.append(ToStr(CalibModelNames[i]));
  sub.attr("MODELS") = py::tuple(models);

  py::class_<MapRef> cls(sub, "Map", R"doc(A map image with its calibration, landmarks and view.

Map(image=None, *, size=None): image is the file of a map image (JPEG, PNG or
BMP, by content) or a uint8 numpy array of shape (height, width, 3) in RGB
order (or (height, width), grey); size=(width, height) makes a map without a
picture, for conversions only. tkz.maps.load reads a calibration file.

Pixels are map-image pixels: x to the right, y downwards, (0, 0) at the
top-left corner of the image; the corners of the image are (0, 0) and
(width, height). A map is used by one thread at a time.)doc");
  cls.def(py::init(&NewMap), py::arg("image") = py::none(), py::kw_only(),
          py::arg("size") = py::none(), "A map of an image file or array, or of a size only.");
  cls.def_static(
      "blank",
      [](std::pair<double, double> lat, std::pair<double, double> lon, double step,
         std::pair<int, int> size, bool grid) {
        MapRef r{std::make_shared<TGeoMap>(), "", false};
        if (int64_t{std::max(size.first, 100)} * std::max(size.second, 100) > kMaxMapPixels)
          throw py::value_error("the size must be at most " + std::to_string(kMaxMapPixels) +
                                " pixels");
        r.map->CreateEmptyMapInMemory(lat.first, lat.second, lon.first, lon.second, step, step,
                                      size.first, size.second, grid);
        return r;
      },
      py::arg("lat"), py::arg("lon"), py::arg("step") = 1.0,
      py::arg("size") = std::make_pair(1000, 800), py::arg("grid") = true,
      "A blank map of the box lat=(low, high), lon=(low, high) in degrees with its own graticule "
      "(every step degrees, drawn when grid is true) and a biquadratic calibration from nine "
      "points; size=(width, height), at least 100 each.");

  cls.def_property_readonly(
      "width", [](const MapRef& r) { return r.map->GetMapWidth(); }, "Image width in pixels.");
  cls.def_property_readonly(
      "height", [](const MapRef& r) { return r.map->GetMapHeight(); }, "Image height in pixels.");
  cls.def_property_readonly(
      "has_image", [](const MapRef& r) { return r.map->GetMapImage() != nullptr; },
      "Whether the map holds a picture (a map of a size only, or one whose image was not "
      "found, converts but cannot be drawn).");
  cls.def_property_readonly(
      "image_name", [](const MapRef& r) { return ToStr(r.map->GetMapImgName()); },
      "The image file the calibration names (or the one loaded).");
  cls.def_property_readonly(
      "calibration_file",
      [](const MapRef& r) -> py::object {
        if (r.calFile.empty()) return py::none();
        return py::str(r.calFile);
      },
      "The calibration file the map was loaded from, or None.");
  cls.def_property(
      "caption", [](const MapRef& r) { return ToStr(r.map->GetMapCaption()); },
      [](MapRef& r, py::handle c) { r.map->SetMapCaption(FromStr(c, "caption")); },
      "The map's caption.");
  cls.def_property_readonly(
      "model", [](const MapRef& r) { return ToStr(CalibModelNames[r.map->GetCalibModel()]); },
      "The calibration model (one of MODELS, or \"undefined\").");
  cls.def_property_readonly(
      "utm_zone",
      [](const MapRef& r) -> py::object {
        const int z = r.map->GetUTMZone();
        if (z < 1 || z > 60) return py::none();
        return py::int_(z);
      },
      "The UTM zone of the calibration (utm model), or None.");
  cls.def_property_readonly(
      "utm_south", [](const MapRef& r) { return r.map->GetUTMHemisphere() == hemiSouth; },
      "Whether the UTM zone lies in the southern hemisphere.");
  cls.def_property_readonly(
      "ellipsoid", [](const MapRef& r) { return ToStr(GeoEllipsoidId[r.map->GetEllipsoid()]); },
      "The ellipsoid of the utm model (\"gelWGS84\", ...).");
  cls.def_property_readonly(
      "corners", [](const MapRef& r) { return Corners(r.map->GetCalibData().Corners); },
      "The positions of the image's corners (derived from the calibration and the image size).");
  cls.def_property_readonly(
      "resolution", [](const MapRef& r) { return r.map->GetCalibData().Resolution; },
      "Metres per pixel across the middle of the map (0 when unknown).");
  cls.def_property_readonly(
      "calibration_points", [](const MapRef& r) { return CalibrationPoints(*r.map); },
      "The reference points: GeoPoint, UtmPoint (utm) or LinePoint (parabolicip) each.");

  cls.def("calibrate", &Calibrate, py::arg("points"), py::arg("model") = "equirect", py::kw_only(),
          py::arg("zone") = py::none(), py::arg("south") = false, py::arg("ellipsoid") = "gelWGS84",
          R"doc(Fits a calibration model from reference points and returns its Quality.

points: (x, y, lat, lon) each for the models biquadraticpn, conicconformal,
millercylindrical and equirect (degrees); (x, y, northing, easting) in metres
for utm, which needs zone (1..60), south and ellipsoid; (x, y, kind, value)
for parabolicip, kind "meridian" (value: longitude) or "parallel" (value:
latitude). Pixels are whole pixels (others are rounded). The points replace
the map's calibration; a fit that cannot convert (too few points, points on
one line) raises tkz.MapError and keeps the calibration the map had.)doc");
  cls.def(
      "quality", [](const MapRef& r) { return Quality(*r.map); },
      "The Quality of the current calibration.");
  cls.def("pix2geo", &Pix2Geo, py::arg("x"), py::arg("y"),
          R"doc(Latitude and longitude (degrees) of image pixel positions.

x, y: numbers give a (lat, lon) tuple of floats; numpy arrays (any shape,
broadcast against each other) give a tuple of two float64 arrays. Pixel
positions are real numbers, x to the right and y downwards from the image's
top-left corner (0, 0). Positions the calibration cannot convert give NaN.)doc");
  cls.def("geo2pix", &Geo2Pix, py::arg("lat"), py::arg("lon"),
          R"doc(Image pixels of positions (degrees).

Numbers give an (x, y) tuple, arrays (broadcast) two float64 arrays. The
library rounds to whole pixels (x to the right, y downwards, (0, 0) the
top-left corner); positions that cannot be converted give NaN.)doc");
  cls.def("utm2pix", &Utm2Pix, py::arg("northing"), py::arg("easting"),
          "Image pixels of UTM northings and eastings (metres, in the calibration's zone; utm "
          "model only), as geo2pix: whole pixels, NaN where none.");
  cls.def("geo2utm", &Geo2Utm, py::arg("lat"), py::arg("lon"),
          "Northing and easting (metres) of positions in the calibration's own UTM zone and "
          "hemisphere (NaN without a zone), for numbers or arrays as pix2geo.");
  cls.def(
      "contains",
      [](const MapRef& r, double lat, double lon) { return r.map->IsPositionWithinMap(lat, lon); },
      py::arg("lat"), py::arg("lon"),
      "Whether a position lies strictly inside the quadrilateral of the map's corners.");
  cls.def("save_calibration", &SaveCalibration, py::arg("path"), py::arg("id") = "", py::kw_only(),
          py::arg("append") = false,
          "Writes the calibration file (replaced whole through a temporary file). With "
          "append=True the calibration is added to an existing file under a new id (an id "
          "already there raises tkz.MapError).");
  cls.def("__repr__", [](const MapRef& r) {
    return "<tkz.maps.Map " + std::to_string(r.map->GetMapWidth()) + "x" +
           std::to_string(r.map->GetMapHeight()) + " " + CalibModelNames[r.map->GetCalibModel()] +
           ">";
  });

  sub.def("load", &Load, py::arg("calibration_file"), py::arg("id") = py::none(),
          py::arg("image") = py::none(),
          R"doc(A Map of the calibration with the id (None: the first) in a calibration file.

The image is the one given (a file or an array), else the one the file names,
looked for as named, beside the calibration file, and there in any case of
letters. Without one the map converts but cannot be drawn (has_image).
Raises tkz.MapError for a missing file or id, with the library's message for
a faulty calibration block.)doc");
  sub.def(
      "calibration_ids",
      [](py::handle file) {
        py::list out;
        for (const std::string& id : CalibrationIds(FromPath(file))) out.append(ToStr(id));
        return out;
      },
      py::arg("path"), "The ids of the calibrations in a calibration file, in file order.");

  BindLandmarks(sub, cls);
  BindDrawing(sub, cls);
  BindAtlas(sub);
}

}  // namespace tkz::python
