// The scalar and array paths of tkz.geo (see bind_geo_arrays.h).
#include "python/src/bind_geo_arrays.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

#include "core/text/charcase.h"

namespace tkz::python::geo {

bool IsScalar(py::handle o) {
  PyObject* p = o.ptr();
  if (PyFloat_Check(p) || PyLong_Check(p)) return true;
  // numpy scalars exist only once numpy is loaded; never import it here.
  PyObject* np = PyImport_GetModule(py::str("numpy").ptr());
  if (np == nullptr) {
    PyErr_Clear();
    return false;
  }
  py::object module = py::reinterpret_steal<py::object>(np);
  if (module.is_none()) return false;  // sys.modules["numpy"] = None blocks it
  py::object generic = module.attr("generic");
  return PyObject_IsInstance(p, generic.ptr()) == 1 && !PyUnicode_Check(p) && !PyBytes_Check(p);
}

double ScalarValue(py::handle o, const char* what) {
  const double v = PyFloat_AsDouble(o.ptr());
  if (v == -1.0 && PyErr_Occurred()) {
    PyErr_Clear();
    throw py::type_error(std::string(what) + " must be a number or an array of numbers, not " +
                         Py_TYPE(o.ptr())->tp_name);
  }
  return v;
}

py::module_ Numpy() {
  try {
    return py::module_::import("numpy");
  } catch (py::error_already_set& e) {
    if (!e.matches(PyExc_ImportError)) throw;
    PyErr_SetString(PyExc_ImportError,
                    "tkz.geo: arrays and sequences of points need numpy (not installed); "
                    "single points do not");
    throw py::error_already_set();
  }
}

Broadcast::Broadcast(const std::vector<py::handle>& inputs) {
  py::module_ np = Numpy();
  py::object float64 = np.attr("float64");
  size_t nd = 0;
  for (py::handle h : inputs) {
    py::array a = np.attr("asarray")(h, py::arg("dtype") = float64);
    nd = std::max(nd, static_cast<size_t>(a.ndim()));
    arrays_.push_back(std::move(a));
  }
  // numpy's rules: axes aligned at the end; each length equal or 1.
  shape_.assign(nd, 1);
  for (const py::array& a : arrays_) {
    const size_t off = nd - static_cast<size_t>(a.ndim());
    for (size_t d = 0; d < static_cast<size_t>(a.ndim()); ++d) {
      const py::ssize_t len = a.shape(static_cast<py::ssize_t>(d));
      py::ssize_t& s = shape_[off + d];
      if (len == s || len == 1) continue;
      if (s != 1) {
        std::string text = "shapes cannot be broadcast together:";
        for (const py::array& b : arrays_)
          text += " " + py::repr(b.attr("shape")).cast<std::string>();
        throw py::value_error(text);
      }
      s = len;
    }
  }
  for (py::ssize_t s : shape_) size_ *= static_cast<size_t>(s);
  for (const py::array& a : arrays_) {
    const size_t off = nd - static_cast<size_t>(a.ndim());
    std::vector<py::ssize_t> st(nd, 0);
    for (size_t d = 0; d < static_cast<size_t>(a.ndim()); ++d) {
      const auto dd = static_cast<py::ssize_t>(d);
      st[off + d] = a.shape(dd) == 1 ? 0 : a.strides(dd);
    }
    strides_.push_back(std::move(st));
    data_.push_back(static_cast<const char*>(a.data()));
  }
}

py::array Broadcast::Chars() const { return py::array(py::dtype("<U1"), shape_); }

int ParseHemisphere(std::string_view text, HemisphereText mode) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\0')) text.remove_suffix(1);
  if (AnsiSameText(text, "north")) return 0;
  if (AnsiSameText(text, "south")) return 1;
  if (text.size() != 1) return -1;
  const char c = static_cast<char>(text[0] >= 'a' && text[0] <= 'z' ? text[0] - 32 : text[0]);
  if (mode == HemisphereText::Pole) {
    if (c == 'N' || c == 'Y' || c == 'Z') return 0;
    if (c == 'S' || c == 'A' || c == 'B') return 1;
    return -1;
  }
  if (c < 'C' || c > 'X' || c == 'I' || c == 'O') return -1;
  return c < 'N' ? 1 : 0;
}

namespace {

// One element of a text array as bytes (non-ASCII code points make the
// text unreadable, which ParseHemisphere then refuses).
std::string Ucs4Text(const char* p, size_t chars) {
  std::string s;
  for (size_t i = 0; i < chars; ++i) {
    uint32_t cp;
    std::memcpy(&cp, p + 4 * i, 4);
    if (cp == 0) break;
    s += cp < 128 ? static_cast<char>(cp) : '\x01';
  }
  return s;
}

}  // namespace

py::object HemisphereArray(py::handle o, HemisphereText mode) {
  constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
  if (PyUnicode_Check(o.ptr()) || PyBytes_Check(o.ptr())) {
    const int h = ParseHemisphere(FromStr(o, "hemisphere"), mode);
    return py::float_(h < 0 ? kNaN : h);
  }
  py::module_ np = Numpy();
  py::array a = np.attr("ascontiguousarray")(o);
  const char kind = a.dtype().kind();
  if (kind == 'b') return np.attr("asarray")(a, py::arg("dtype") = np.attr("float64"));
  py::array_t<double> out(std::vector<py::ssize_t>(a.shape(), a.shape() + a.ndim()));
  double* dst = out.mutable_data();
  const auto n = static_cast<size_t>(a.size());
  const auto item = static_cast<size_t>(a.itemsize());
  const char* src = static_cast<const char*>(a.data());
  const auto put = [&](size_t i, int h) { dst[i] = h < 0 ? kNaN : h; };
  if (kind == 'U') {
    for (size_t i = 0; i < n; ++i)
      put(i, ParseHemisphere(Ucs4Text(src + i * item, item / 4), mode));
  } else if (kind == 'S') {
    for (size_t i = 0; i < n; ++i)
      put(i, ParseHemisphere(std::string_view(src + i * item, item), mode));
  } else if (kind == 'O') {
    py::list flat = a.attr("ravel")().attr("tolist")();
    for (size_t i = 0; i < n; ++i) {
      py::handle e = flat[i];
      const bool text = PyUnicode_Check(e.ptr()) || PyBytes_Check(e.ptr());
      put(i, text ? ParseHemisphere(FromStr(e, "hemisphere"), mode) : -1);
    }
  } else {
    throw py::type_error(
        "hemisphere must be a str, or an array of str or bool (True: south), not an array of " +
        py::str(a.dtype()).cast<std::string>());
  }
  return out;
}

std::string Num(double v) {
  char buf[40];
  // Whole numbers of metres as such ("1000000", not "1e+06").
  if (std::fabs(v) < 1e15 && v == std::trunc(v)) {
    const auto r = std::to_chars(buf, buf + sizeof buf, static_cast<long long>(v));
    return std::string(buf, r.ptr);
  }
  const auto r = std::to_chars(buf, buf + sizeof buf, v);
  return std::string(buf, r.ptr);
}

}  // namespace tkz::python::geo
