// tkz.chem
#include "python/src/common.h"

namespace tkz::python {

void BindChem(py::module_& m) {
  py::module_ sub = m.def_submodule(
      "chem", "Chemistry: elements, formulas, molecules, rings and substructure search.");
}

}  // namespace tkz::python
