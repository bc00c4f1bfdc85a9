// The extension module tkz._tkz; the package python/tkz re-exports it.
#include "core/types/version.h"
#include "python/src/common.h"

PYBIND11_MODULE(_tkz, m) {
  namespace tp = tkz::python;
  m.doc() = "The compiled part of the tkz package; import tkz instead.";
  m.attr("__version__") = tkz::CoreKitVersion();
  tp::BindErrors(m);
  tp::BindCore(m);
  tp::BindColors(m);
  tp::BindGeo(m);
  tp::BindGeoDB(m);
  tp::BindMaps(m);
  tp::BindChem(m);
}
