// Text conversion and error translation at the Python boundary.
#include "python/src/common.h"

#include <cstdio>

#include "core/platform/classes.h"
#include "core/platform/codepage.h"
#include "core/platform/graphics.h"
#include "core/platform/stringlist.h"
#include "core/types/tkzbase.h"
#include "geo/geobasics.h"
#include "geo/geodb.h"
#include "geo/geomap.h"

namespace tkz::python {

py::str ToStr(std::string_view ansi) {
  const std::string utf8 = AnsiToUtf8(ansi);
  return py::reinterpret_steal<py::str>(
      PyUnicode_DecodeUTF8(utf8.data(), static_cast<Py_ssize_t>(utf8.size()), "strict"));
}

std::string FromStr(py::handle text, const char* what) {
  PyObject* o = text.ptr();
  if (PyUnicode_Check(o)) {
    if (PyUnicode_READY(o) != 0) throw py::error_already_set();
    const Py_ssize_t n = PyUnicode_GET_LENGTH(o);
    const int kind = PyUnicode_KIND(o);
    const void* data = PyUnicode_DATA(o);
    std::string out;
    out.resize(static_cast<size_t>(n));
    for (Py_ssize_t i = 0; i < n; ++i) {
      const Py_UCS4 cp = PyUnicode_READ(kind, data, i);
      const int b = cp < 0x80 ? static_cast<int>(cp) : Cp1252FromUnicode(cp);
      if (b < 0) {
        char buf[96];
        std::snprintf(buf, sizeof buf,
                      "%s: character U+%04X at position %zd has no Windows-1252 code", what,
                      static_cast<unsigned>(cp), static_cast<ssize_t>(i));
        throw py::value_error(buf);
      }
      out[static_cast<size_t>(i)] = static_cast<char>(b);
    }
    return out;
  }
  if (PyObject_CheckBuffer(o)) {
    Py_buffer view;
    if (PyObject_GetBuffer(o, &view, PyBUF_SIMPLE) != 0) throw py::error_already_set();
    std::string out(static_cast<const char*>(view.buf), static_cast<size_t>(view.len));
    PyBuffer_Release(&view);
    return out;
  }
  throw py::type_error(std::string(what) + " must be str or bytes, not " + Py_TYPE(o)->tp_name);
}

std::string FromPath(py::handle path) {
  py::object fs = py::reinterpret_steal<py::object>(PyOS_FSPath(path.ptr()));
  if (!fs) throw py::error_already_set();
  if (PyBytes_Check(fs.ptr())) return std::string(py::bytes(fs));
  py::object encoded = py::reinterpret_steal<py::object>(PyUnicode_EncodeFSDefault(fs.ptr()));
  if (!encoded) throw py::error_already_set();
  return std::string(py::bytes(encoded));
}

py::handle NamedTupleClass(py::module_& m, const char* name, const char* fields, const char* doc) {
  py::object cls = py::module_::import("collections").attr("namedtuple")(name, fields);
  cls.attr("__module__") = m.attr("__name__");
  cls.attr("__doc__") = doc;
  m.attr(name) = cls;
  return cls.release();
}

namespace {

PyObject* g_error = nullptr;

// Creates tkz.<name> derived from `bases` (a class or a tuple of classes).
PyObject* NewError(py::module_& m, const char* name, PyObject* bases, const char* doc) {
  const std::string qualified = std::string("tkz.") + name;
  PyObject* cls = PyErr_NewExceptionWithDoc(qualified.c_str(), doc, bases, nullptr);
  if (!cls) throw py::error_already_set();
  m.add_object(name, py::handle(cls));
  return cls;
}

PyObject* g_inout = nullptr;
PyObject* g_convert = nullptr;
PyObject* g_string = nullptr;
PyObject* g_filesys = nullptr;
PyObject* g_dstruct = nullptr;
PyObject* g_color = nullptr;
PyObject* g_cpuid = nullptr;
PyObject* g_graphic = nullptr;
PyObject* g_geo = nullptr;
PyObject* g_geodb = nullptr;
PyObject* g_map = nullptr;

void SetError(PyObject* cls, const std::exception& e) {
  const std::string utf8 = AnsiToUtf8(e.what());
  PyErr_SetString(cls, utf8.c_str());
}

}  // namespace

py::handle ErrorClass() { return g_error; }

void RaiseError(std::string_view ansi_message) {
  const std::string utf8 = AnsiToUtf8(ansi_message);
  PyErr_SetString(g_error, utf8.c_str());
  throw py::error_already_set();
}

void BindErrors(py::module_& m) {
  g_error = NewError(
      m, "Error", PyExc_Exception,
      "Base class of every error the tkz libraries raise; str(e) is the library's message.");
  // Errors about a value the caller gave are also ValueError, errors of
  // files also OSError, so that generic handlers catch them.
  const py::tuple value_error = py::make_tuple(py::handle(g_error), py::handle(PyExc_ValueError));
  g_inout = NewError(m, "InOutError", g_error, "A file could not be read or written.");
  g_convert = NewError(m, "ConvertError", value_error.ptr(),
                       "Text could not be converted to a number or a date.");
  g_string = NewError(m, "StringError", g_error, "An error of the string utilities.");
  g_filesys = NewError(m, "FileSysError", g_error, "An error of the file services.");
  g_dstruct = NewError(m, "DataStructureError", g_error,
                       "An error of the containers, codecs or string table.");
  g_color =
      NewError(m, "ColorError", value_error.ptr(), "A colour or colour scale that cannot be used.");
  g_cpuid = NewError(m, "CpuIdError", g_error, "Processor identification is not available.");
  g_graphic = NewError(m, "GraphicError", g_error, "A picture that cannot be read or drawn.");
  g_geo = NewError(m, "GeoError", value_error.ptr(),
                   "A coordinate, ellipsoid, datum or zone out of range.");
  g_geodb = NewError(m, "GeoDBError", g_error, "An error of the geographic database.");
  g_map = NewError(m, "MapError", g_error, "An error of the map component or its calibration.");

  py::register_exception_translator([](std::exception_ptr p) {
    try {
      if (p) std::rethrow_exception(p);
    } catch (const EInOutError& e) {
      SetError(g_inout, e);
    } catch (const EConvertError& e) {
      SetError(g_convert, e);
    } catch (const ETKZStringlError& e) {
      SetError(g_string, e);
    } catch (const ETKZFileSysError& e) {
      SetError(g_filesys, e);
    } catch (const ETKZDStructError& e) {
      SetError(g_dstruct, e);
    } catch (const EStringListError& e) {
      SetError(g_dstruct, e);
    } catch (const ETKZColArrayError& e) {
      SetError(g_color, e);
    } catch (const ETKZCpuIdError& e) {
      SetError(g_cpuid, e);
    } catch (const EInvalidGraphic& e) {
      SetError(g_graphic, e);
    } catch (const ETKZGeoBasicsError& e) {
      SetError(g_geo, e);
    } catch (const ETKZGeoDBError& e) {
      SetError(g_geodb, e);
    } catch (const ETKZGeoMapError& e) {
      SetError(g_map, e);
    } catch (const ETKZError& e) {
      SetError(g_error, e);
    }
  });
}

}  // namespace tkz::python
