// tkz.chem: the submodule and its named tuples; each concern binds itself
// in its own file (elements, formulas, molecules, files and search,
// drawing).
#include "python/src/bind_chem.h"

namespace tkz::python {

void BindChem(py::module_& m) {
  py::module_ sub = m.def_submodule(
      "chem", "Chemistry: elements, formulas, molecules, rings and substructure search.");
  BindChemElements(sub);
  BindChemFormula(sub);
  BindChemMolecule(sub);
  BindChemFiles(sub);
}

}  // namespace tkz::python
