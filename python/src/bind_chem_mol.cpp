// tkz.chem: the Molecule class over a connection table: atoms, bonds,
// formula and weights, hydrogens, rings, fragments, substructures, molfile
// text.
#include <pybind11/numpy.h>

#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "chem/cdata.h"
#include "chem/sdrecords.h"
#include "core/platform/stream.h"
#include "python/src/bind_chem.h"

namespace tkz::python {

namespace {

py::handle g_atom;  // Atom(index, symbol, atomic_number, isotope, charge, num_hs, degree)
py::handle g_bond;  // Bond(begin, end, order)

// A 0-based atom index of the table as its 1-based number.
int AtomNumber(const ChemMolecule& m, long long index) {
  const int n = m.tab.GetNAtoms();
  if (index < 0) index += n;
  if (index < 0 || index >= n) {
    throw py::index_error("atom index " + std::to_string(index) + " outside 0.." +
                          std::to_string(n - 1));
  }
  return static_cast<int>(index) + 1;
}

int Isotope(const TCTab& t, int a) {
  const int mass = t.GetAtWeight(a);
  return mass == IntAtWeight(t.GetAtNum(a)) ? 0 : mass;
}

py::object AtomTuple(const TCTab& t, int a) {
  return g_atom(a - 1, ToStr(CElemSymb(t.GetAtNum(a))), t.GetAtNum(a), Isotope(t, a),
                t.GetCharge(a), t.NrHAtoms(a), t.GetNBonds(a));
}

// The molecule's formula record; false with more than 20 kinds of atom.
bool FormulaOf(const TCTab& t, ChemFormula& f) { return t.CalcMolecularFormula(f.rec); }

// Exact weight as the formula gives it (the implicit hydrogens included).
double ExactWeight(const TCTab& t) {
  double w = 0;
  for (int a = 1; a <= t.GetNAtoms(); ++a) {
    const int z = t.GetAtNum(a);
    if (z != 1) w += ExactAtWeight(z);
  }
  return w + t.CalcMissingH() * ExactAtWeight(1);
}

// Connected parts: lists of 0-based atom indices, each ascending, in the
// order of their lowest atom.
py::list Parts(const TCTab& t) {
  const int n = t.GetNAtoms();
  std::vector<int> part(static_cast<size_t>(n) + 1, 0);
  py::list out;
  std::vector<int> stack;
  for (int start = 1; start <= n; ++start) {
    if (part[static_cast<size_t>(start)] != 0) continue;
    const int id = static_cast<int>(out.size()) + 1;
    std::vector<int> atoms;
    stack.push_back(start);
    part[static_cast<size_t>(start)] = id;
    while (!stack.empty()) {
      const int a = stack.back();
      stack.pop_back();
      atoms.push_back(a - 1);
      for (int k = 1; k <= kMaxCTConn; ++k) {
        const int b = t.GetConnTo(a, k);
        if (b < 1 || b > n || part[static_cast<size_t>(b)] != 0) continue;
        part[static_cast<size_t>(b)] = id;
        stack.push_back(b);
      }
    }
    std::sort(atoms.begin(), atoms.end());
    out.append(py::tuple(py::cast(atoms)));
  }
  return out;
}

bool Match(const ChemMolecule& m, const ChemMolecule& query, bool bonds, AtListType& mapping) {
  TMatchMarks marks{};
  if (query.tab.GetNAtoms() == 0) return false;
  return m.tab.SearchSubStruc(query.tab, TSearchProfile(query.tab), marks, bonds,
                              TSearchProfile(m.tab), mapping);
}

std::string MolfileText(const TCTab& t) {
  TMemoryStream s;
  t.WriteToMDLMolStream(s, t.GetStrucName(), "tkz", 0, "");
  return std::string(static_cast<const char*>(s.Memory()), static_cast<size_t>(s.GetSize()));
}

}  // namespace

void BindChemMolecule(py::module_& m) {
  g_atom = NamedTupleClass(m, "Atom", "index symbol atomic_number isotope charge num_hs degree",
                           "One atom: 0-based index, element, isotope mass number (0 for the "
                           "natural element), formal charge, hydrogens (implicit and explicit "
                           "neighbours), bonds.");
  g_bond =
      NamedTupleClass(m, "Bond", "begin end order",
                      "One bond between the 0-based atoms begin < end; order 1 single, 2 double, "
                      "3 triple, 4 aromatic.");

  py::class_<ChemMolecule> cls(
      m, "Molecule",
      "A structure of up to 63 atoms with up to 10 bonds each (the library's connection "
      "table). Atoms are indexed from 0. Coordinates are the table's: whole numbers 0..32767 "
      "with y growing downwards, as the readers rescale them.");
  cls.def(py::init<>(), "An empty molecule (add atoms with add_atom and bonds with add_bond).")
      .def_static(
          "from_molfile",
          [](py::handle text) {
            std::string s = FromStr(text, "molfile");
            // The first record only, should the text hold more.
            for (size_t at = 0; at < s.size();) {
              size_t e = s.find('\n', at);
              if (e == std::string::npos) e = s.size();
              if (IsSDRecordEnd(std::string_view(s).substr(at, e - at))) {
                s.resize(at);
                break;
              }
              at = e + 1;
            }
            auto mol = std::make_unique<ChemMolecule>();
            TPropRec props;
            if (!ReadSDRecordText(mol->tab, s, props) || mol->tab.GetNAtoms() == 0) {
              throw EConvertError(std::string("molfile: ") + kUnreadable);
            }
            mol->data = SDDataItems(s);
            return mol;
          },
          py::arg("text"),
          "A molecule from molfile text (or an SD record: its data items are kept). "
          "tkz.ConvertError when it is not a structure of 1 to 63 atoms that can be read whole.")
      .def(
          "__len__", [](const ChemMolecule& mol) { return mol.tab.GetNAtoms(); },
          "The number of atoms.")
      .def("__repr__",
           [](const ChemMolecule& mol) {
             return py::str("Molecule({!r}, {} atoms)")
                 .format(ToStr(mol.tab.GetStrucName()), mol.tab.GetNAtoms());
           })
      .def(
          "copy",
          [](const ChemMolecule& mol) {
            auto out = std::make_unique<ChemMolecule>();
            out->tab.CopyFrom(mol.tab);
            out->data = mol.data;
            return out;
          },
          "An independent copy.")
      .def_property(
          "name", [](const ChemMolecule& mol) { return ToStr(mol.tab.GetStrucName()); },
          [](ChemMolecule& mol, py::handle name) { mol.tab.SetStrucName(FromStr(name, "name")); },
          "The structure's name (the molfile's first line).")
      .def_property_readonly(
          "data",
          [](const ChemMolecule& mol) {
            py::dict out;
            for (const auto& [name, value] : mol.data) out[ToStr(name)] = ToStr(value);
            return out;
          },
          "The SD data items of the record, name -> value text (a copy).")
      .def_property_readonly(
          "cas",
          [](const ChemMolecule& mol) -> py::object {
            if (mol.tab.GetCASNumber() == 0) return py::none();
            return ToStr(mol.tab.GetCASNr());
          },
          "The CAS number from a CAS_RN or CASREGNR item ('7732-18-5'), or None.")
      .def_property_readonly(
          "num_atoms", [](const ChemMolecule& mol) { return mol.tab.GetNAtoms(); }, "Atoms.")
      .def_property_readonly(
          "num_bonds",
          [](const ChemMolecule& mol) {
            int k = 0;
            for (int a = 1; a <= mol.tab.GetNAtoms(); ++a) k += mol.tab.GetNBonds(a);
            return k / 2;
          },
          "Bonds.")
      .def_property_readonly(
          "atoms",
          [](const ChemMolecule& mol) {
            py::list out;
            for (int a = 1; a <= mol.tab.GetNAtoms(); ++a) out.append(AtomTuple(mol.tab, a));
            return out;
          },
          "Every atom as an Atom tuple.")
      .def(
          "atom",
          [](const ChemMolecule& mol, long long i) {
            return AtomTuple(mol.tab, AtomNumber(mol, i));
          },
          py::arg("index"), "One atom (negative indices count from the end).")
      .def_property_readonly(
          "bonds",
          [](const ChemMolecule& mol) {
            py::list out;
            const TCTab& t = mol.tab;
            for (int a = 1; a <= t.GetNAtoms(); ++a) {
              for (int k = 1; k <= kMaxCTConn; ++k) {
                const int b = t.GetConnTo(a, k);
                if (b > a) out.append(g_bond(a - 1, b - 1, t.GetTypConn(a, k)));
              }
            }
            return out;
          },
          "Every bond once, as Bond tuples ordered by their first atom.")
      .def(
          "coordinates",
          [](const ChemMolecule& mol) {
            const int n = mol.tab.GetNAtoms();
            py::array_t<double> out({n, 3});
            auto w = out.mutable_unchecked<2>();
            for (int a = 1; a <= n; ++a) {
              for (int i = 0; i < 3; ++i) w(a - 1, i) = mol.tab.GetCoords(a, i + 1);
            }
            return out;
          },
          "The atoms' x, y, z as a numpy float64 array of shape (atoms, 3), in table units.")
      .def_property_readonly(
          "formula",
          [](const ChemMolecule& mol) -> py::object {
            ChemFormula f;
            if (!FormulaOf(mol.tab, f)) return py::none();
            return py::cast(f);
          },
          "The molecular formula with the implicit hydrogens (Formula), or None when it "
          "would need more than 20 entries.")
      .def_property_readonly(
          "average_weight", [](const ChemMolecule& mol) { return mol.tab.CalcChemMolWeight(); },
          "Molecular weight in u from the library's chemical weights, implicit hydrogens "
          "included.")
      .def_property_readonly(
          "exact_weight", [](const ChemMolecule& mol) { return ExactWeight(mol.tab); },
          "Monoisotopic weight in u, implicit hydrogens included (mass numbers not used).")
      .def_property_readonly(
          "hydrogen_counts",
          [](const ChemMolecule& mol) {
            std::vector<int> out;
            for (int a = 1; a <= mol.tab.GetNAtoms(); ++a) out.push_back(mol.tab.NrHAtoms(a));
            return out;
          },
          "Hydrogens of each atom (implicit ones by the standard valence corrected by the "
          "charge, plus explicit hydrogen neighbours).")
      .def_property_readonly(
          "num_hydrogens", [](const ChemMolecule& mol) { return mol.tab.CalcMissingH(); },
          "Sum of hydrogen_counts.")
      .def_property_readonly(
          "ring_count", [](const ChemMolecule& mol) { return mol.tab.RingsInMolecule(); },
          "Independent rings: bonds - atoms + connected parts.")
      .def(
          "rings",
          [](const ChemMolecule& mol) {
            RingListType rings;
            const int n = mol.tab.FindSSSR(rings);
            py::list out;
            for (int i = 1; i <= n; ++i) {
              const RingType& r = rings.Rings[static_cast<size_t>(i)];
              py::tuple ring(r.Size);
              for (int k = 1; k <= r.Size; ++k)
                ring[static_cast<size_t>(k - 1)] = r.Atoms[static_cast<size_t>(k)] - 1;
              out.append(ring);
            }
            return out;
          },
          "The smallest set of smallest rings, each a tuple of 0-based atom indices in path "
          "order (at most 100 rings).")
      .def(
          "fragments", [](const ChemMolecule& mol) { return Parts(mol.tab); },
          "The connected parts (a salt's ions), each a tuple of 0-based atom indices.")
      .def(
          "functional_groups",
          [](const ChemMolecule& mol) {
            py::dict out;
            for (int k = 0; k <= NNH2; ++k)
              out[FrgTypeName(static_cast<FrgType>(k))] =
                  mol.tab.FragmentCount(static_cast<FrgType>(k));
            return out;
          },
          "The counts of the library's 29 functional groups by name (COOH, NO2, PhOH, ...).")
      .def(
          "fragment_codes",
          [](const ChemMolecule& mol) {
            py::list out;
            for (int a = 1; a <= mol.tab.GetNAtoms(); ++a) {
              int second = 0;
              const int32_t code = mol.tab.FragmentCode(a, second);
              out.append(py::make_tuple(code, ToStr(FragmentStr(code))));
            }
            return out;
          },
          "Each atom's neighbourhood as (code, text), text such as 'C2O1O'; negative codes for "
          "atoms without one.")
      .def(
          "add_atom",
          [](ChemMolecule& mol, py::handle element, int charge, int isotope, double x, double y,
             double z) {
            const int zz = py::isinstance<py::int_>(element)
                               ? element.cast<int>()
                               : AtomicNumber(FromStr(element, "element"));
            if (zz < 1 || zz > kMaxAtomicNumber) throw py::value_error("unknown element");
            if (charge < -128 || charge > 127) throw py::value_error("charge outside -128..127");
            if (isotope < 0 || isotope > 65535) throw py::value_error("isotope outside 0..65535");
            CTElem e;
            e.AtType = static_cast<uint8_t>(zz);
            e.AtWeight = static_cast<uint16_t>(isotope != 0 ? isotope : IntAtWeight(zz));
            e.Charge = static_cast<int8_t>(charge);
            e.Coords = {0, static_cast<float>(x), static_cast<float>(y), static_cast<float>(z)};
            if (!mol.tab.AddAtom(e)) throw EConvertError("a structure holds at most 63 atoms");
            return mol.tab.GetNAtoms() - 1;
          },
          py::arg("element"), py::arg("charge") = 0, py::arg("isotope") = 0, py::arg("x") = 0.0,
          py::arg("y") = 0.0, py::arg("z") = 0.0,
          "Appends an atom (symbol or atomic number); returns its index.")
      .def(
          "add_bond",
          [](ChemMolecule& mol, long long i, long long j, int order) {
            const int a = AtomNumber(mol, i), b = AtomNumber(mol, j);
            if (a == b) throw py::value_error("an atom is not bonded to itself");
            if (order < 1 || order > 4) throw py::value_error("bond order outside 1..4");
            if (!mol.tab.MakeConnection(a, b, order))
              throw EConvertError("an atom holds at most 10 bonds");
          },
          py::arg("begin"), py::arg("end"), py::arg("order") = 1,
          "Bonds two atoms (order 1..3, 4 aromatic); a bond already there changes its order.")
      .def(
          "has_substructure",
          [](const ChemMolecule& mol, const ChemMolecule& query, bool bonds) {
            AtListType mapping;
            return Match(mol, query, bonds, mapping);
          },
          py::arg("query"), py::arg("check_bonds") = true,
          "Whether query occurs in this molecule: each query atom on a distinct atom of the same "
          "element with at least as many bonds, each query bond on a bond (of the same order "
          "with check_bonds). Hydrogens are implicit unless drawn; charges are not compared.")
      .def(
          "substructure_match",
          [](const ChemMolecule& mol, const ChemMolecule& query, bool bonds) {
            AtListType mapping;
            if (!Match(mol, query, bonds, mapping)) return py::tuple();
            py::tuple out(static_cast<size_t>(mapping[0]));
            for (int q = 1; q <= mapping[0]; ++q)
              out[static_cast<size_t>(q - 1)] = mapping[static_cast<size_t>(q)] - 1;
            return out;
          },
          py::arg("query"), py::arg("check_bonds") = true,
          "The match as has_substructure finds it: for each query atom the index of the "
          "molecule's atom it lies on; () when there is none.")
      .def(
          "to_molfile", [](const ChemMolecule& mol) { return ToStr(MolfileText(mol.tab)); },
          "The molecule as molfile text (V2000; coordinates scaled to a mean bond length near "
          "1.5, y up).");
  BindChemDrawing(cls);
}

}  // namespace tkz::python
