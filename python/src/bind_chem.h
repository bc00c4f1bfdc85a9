// Shared pieces of the tkz.chem bindings: the molecule object, the named
// tuples and each concern's entry point.
#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <pybind11/stl.h>
#include "chem/cform.h"
#include "chem/cstruct.h"

#include "python/src/common.h"

namespace tkz::python {

// A molecule of tkz.chem: the connection table and the SD data items of
// the record it came from (name and value as written).
struct ChemMolecule {
  TCTab tab;
  std::vector<std::pair<std::string, std::string>> data;
};

// A formula of tkz.chem: the library's plain record.
struct ChemFormula {
  TFormulaRec rec;
};

// The message of a record that cannot be read.
constexpr const char* kUnreadable = "not a structure of 1 to 63 atoms that can be read whole";

void BindChemElements(py::module_& m);
void BindChemFormula(py::module_& m);
void BindChemMolecule(py::module_& m);
void BindChemFiles(py::module_& m);
void BindChemDrawing(py::class_<ChemMolecule>& cls);

}  // namespace tkz::python
