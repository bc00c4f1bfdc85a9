// tkz.colors
#include "python/src/common.h"

namespace tkz::python {

void BindColors(py::module_& m) {
  py::module_ sub = m.def_submodule("colors", "Colour models and the named colours.");
}

}  // namespace tkz::python
