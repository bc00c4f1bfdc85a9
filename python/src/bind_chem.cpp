// tkz.chem: the submodule and its named tuples; each concern binds itself
// in its own file (elements, formulas, molecules, files and search,
// drawing).
#include "python/src/bind_chem.h"

namespace tkz::python {

py::handle NamedTuple(const char* name, const char* fields, py::module_& m, const char* doc) {
  py::object cls = py::module_::import("collections").attr("namedtuple")(name, fields);
  cls.attr("__module__") = m.attr("__name__");
  cls.attr("__doc__") = doc;
  m.attr(name) = cls;
  return cls.release();  // kept for the life of the process
}

void BindChem(py::module_& m) {
  py::module_ sub = m.def_submodule(
      "chem", "Chemistry: elements, formulas, molecules, rings and substructure search.");
  BindChemElements(sub);
  BindChemFormula(sub);
  BindChemMolecule(sub);
  BindChemFiles(sub);
}

}  // namespace tkz::python
