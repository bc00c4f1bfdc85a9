// Shared pieces of the Python bindings: text at the boundary, the error
// classes, and the entry points of each kit's bindings.
//
// Text: the libraries keep 8-bit Windows-1252 in std::string. A Python str
// going in is encoded to Windows-1252 (a character the code page lacks raises
// ValueError); bytes go in unchanged. Text coming out is a str decoded from
// Windows-1252, so every byte value survives the round trip (the five bytes
// the code page leaves undefined become the C1 controls of the same value).
//
// Errors: every exception derived from ETKZError reaches Python as tkz.Error or
// one of its subclasses, with the library's message; std::invalid_argument and
// std::out_of_range stay ValueError and IndexError.
#pragma once

#include <pybind11/pybind11.h>

#include <string>
#include <string_view>

namespace tkz::python {

namespace py = pybind11;

// Windows-1252 bytes as a Python str.
py::str ToStr(std::string_view ansi);
// A str (encoded to Windows-1252) or bytes-like object (taken as is) as
// library text; anything else raises TypeError naming `what`.
std::string FromStr(py::handle text, const char* what = "text");
// A str, bytes or os.PathLike as a file name for the library (UTF-8 file
// names of the system, as open() would use them).
std::string FromPath(py::handle path);

// A collections.namedtuple class `name` of submodule m, with its docstring,
// kept for the life of the process.
py::handle NamedTupleClass(py::module_& m, const char* name, const char* fields, const char* doc);

// The tkz.Error class (for bindings that raise it themselves).
py::handle ErrorClass();
// Raises tkz.Error with a message in Windows-1252.
[[noreturn]] void RaiseError(std::string_view ansi_message);

// Each kit's bindings add a submodule to the extension.
void BindErrors(py::module_& m);
void BindCore(py::module_& m);    // tkz.core: checksums, codecs, TGrep
void BindColors(py::module_& m);  // tkz.colors
void BindGeo(py::module_& m);     // tkz.geo
void BindGeoDB(py::module_& m);   // tkz.geodb
void BindMaps(py::module_& m);    // tkz.maps
void BindChem(py::module_& m);    // tkz.chem

}  // namespace tkz::python
