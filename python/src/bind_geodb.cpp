// tkz.geodb
#include "python/src/common.h"

namespace tkz::python {

void BindGeoDB(py::module_& m) {
  py::module_ sub = m.def_submodule(
      "geodb", "The geographic database: towns, borders, rivers, roads and binary objects.");
}

}  // namespace tkz::python
