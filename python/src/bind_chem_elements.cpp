// tkz.chem: the elements, their X-ray lines and CAS registry numbers.
#include <string>

#include "chem/cdata.h"
#include "python/src/bind_chem.h"

namespace tkz::python {

namespace {

// One element, by its atomic number 1..103.
struct Element {
  int z;
};

py::handle g_xray_lines;  // XRayLines(k_alpha, l_alpha, m_alpha)
py::handle g_xray_line;   // XRayLine(energy, number, symbol)

int AtomicNumberOf(py::handle key) {
  if (py::isinstance<py::int_>(key) && !py::isinstance<py::bool_>(key)) {
    const long long z = key.cast<long long>();
    if (z < 1 || z > kMaxAtomicNumber) {
      throw py::value_error("atomic number " + std::to_string(z) + " is outside 1.." +
                            std::to_string(kMaxAtomicNumber));
    }
    return static_cast<int>(z);
  }
  if (!py::isinstance<py::str>(key) && !py::isinstance<py::bytes>(key)) {
    throw py::type_error("an element is an atomic number (int) or a symbol (str)");
  }
  const std::string symbol = FromStr(key, "symbol");
  const int z = AtomicNumber(symbol);
  if (z == 0) {
    throw py::value_error("unknown element symbol '" + std::string(py::str(key)) +
                          "' (symbols are case-sensitive: 'Cl', not 'CL')");
  }
  return z;
}

py::object NoneIfZero(double v) { return v == 0 ? py::object(py::none()) : py::float_(v); }

int64_t CasNumberOf(py::handle cas) {
  if (py::isinstance<py::int_>(cas)) return cas.cast<int64_t>();
  const std::string text = FromStr(cas, "CAS number");
  int64_t n = 0;
  if (!ConvertStrToCASNr(text, n)) return -1;
  return n;
}

}  // namespace

void BindChemElements(py::module_& m) {
  g_xray_lines =
      NamedTupleClass(m, "XRayLines", "k_alpha l_alpha m_alpha",
                      "An element's K-alpha, L-alpha and M-alpha emission energies in keV "
                      "(None for a line the table does not have).");
  g_xray_line = NamedTupleClass(m, "XRayLine", "energy number symbol",
                                "One X-ray emission line: energy in keV and its element.");

  py::class_<Element>(m, "Element",
                      "A chemical element (1 hydrogen .. 103 lawrencium) as the library's table "
                      "holds it: historical chemical weights and names are kept as stored files "
                      "expect them.")
      .def(py::init([](py::handle key) { return Element{AtomicNumberOf(key)}; }), py::arg("key"),
           "The element of an atomic number or a symbol ('Fe', case-sensitive).")
      .def_property_readonly(
          "number", [](const Element& e) { return e.z; }, "Atomic number.")
      .def_property_readonly(
          "symbol", [](const Element& e) { return ToStr(CElemSymb(e.z)); }, "Symbol ('Cl').")
      .def_property_readonly(
          "name", [](const Element& e) { return ToStr(CElemName(e.z)); },
          "Lower-case English name as stored (old spellings kept: 'litium').")
      .def_property_readonly(
          "nominal_weight", [](const Element& e) { return IntAtWeight(e.z); },
          "Mass number of the element's isotope in the table.")
      .def_property_readonly(
          "exact_weight", [](const Element& e) { return ExactAtWeight(e.z); },
          "Monoisotopic mass of that isotope in u.")
      .def_property_readonly(
          "average_weight", [](const Element& e) { return NoneIfZero(ChemAtWeight(e.z)); },
          "Chemical (average) weight in u; None without a stable isotope composition.")
      .def_property_readonly(
          "vdw_radius", [](const Element& e) { return NoneIfZero(VDWRadius(e.z)); },
          "Van der Waals radius in angstrom; None where the table has none.")
      .def_property_readonly(
          "outer_electrons", [](const Element& e) { return NumOuterElectrons(e.z); },
          "Electrons of the outermost shell (outer s electrons of transition elements).")
      .def_property_readonly(
          "electron_configuration",
          [](const Element& e) { return ToStr(ShortElectronConfig(e.z)); },
          "Ground-state configuration with the noble-gas core ('[Ar] 3d6 4s2').")
      .def_property_readonly(
          "full_electron_configuration",
          [](const Element& e) { return ToStr(FullElectronConfig(e.z)); },
          "The configuration with the core written out.")
      .def_property_readonly(
          "period",
          [](const Element& e) {
            int col = 0, row = 0;
            PerSysCoord(e.z, col, row);
            return row <= 6 ? row + 1 : row - 1;  // lanthanides 6, actinides 7
          },
          "Period 1..7.")
      .def_property_readonly(
          "group",
          [](const Element& e) -> py::object {
            int col = 0, row = 0;
            PerSysCoord(e.z, col, row);
            if (row > 6) return py::none();
            return py::int_(col + 1);
          },
          "Group 1..18; None for the lanthanides Ce..Lu and actinides Th..Lr.")
      .def_property_readonly(
          "grid_position",
          [](const Element& e) {
            int col = 0, row = 0;
            PerSysCoord(e.z, col, row);
            return py::make_tuple(col, row);
          },
          "(column 0..17, row 0..8) in the periodic-system grid (rows 7 and 8 hold the "
          "lanthanides and actinides).")
      .def_property_readonly(
          "xray_lines",
          [](const Element& e) {
            double k = 0, l = 0, mm = 0;
            GetEDXLines(e.z, k, l, mm);
            return g_xray_lines(NoneIfZero(k), NoneIfZero(l), NoneIfZero(mm));
          },
          "K-alpha, L-alpha and M-alpha energies in keV (XRayLines; None where the table has "
          "none, all None outside Z = 4..92).")
      .def(
          "__eq__",
          [](const Element& a, py::handle b) {
            return py::isinstance<Element>(b) && a.z == b.cast<const Element&>().z;
          },
          "The same atomic number.")
      .def(
          "__hash__", [](const Element& e) { return std::hash<int>()(e.z); },
          "The atomic number's hash.")
      .def("__repr__", [](const Element& e) {
        return "Element(" + std::to_string(e.z) + ", '" + CElemSymb(e.z) + "')";
      });

  m.def(
      "element", [](py::handle key) { return Element{AtomicNumberOf(key)}; }, py::arg("key"),
      "The element of an atomic number (26) or a symbol ('Fe', case-sensitive); ValueError for "
      "one the table lacks.");
  m.def(
      "elements",
      [] {
        py::list out;
        for (int z = 1; z <= kMaxAtomicNumber; ++z) out.append(py::cast(Element{z}));
        return out;
      },
      "Every element of the table, by atomic number 1..103.");
  m.def(
      "xray_lines",
      [](double low, double high) {
        TDoubleArray energies;
        TIntArray numbers;
        const int n = GetEDXLines(low, high, energies, numbers);
        py::list out;
        for (int i = 0; i < n; ++i) {
          out.append(g_xray_line(energies[static_cast<size_t>(i)], numbers[static_cast<size_t>(i)],
                                 ToStr(CElemSymb(numbers[static_cast<size_t>(i)]))));
        }
        return out;
      },
      py::arg("low"), py::arg("high"),
      "Every X-ray line with low <= energy <= high (keV), by ascending energy, as XRayLine "
      "tuples.");

  m.def(
      "check_cas",
      [](py::handle cas) { return CasNumberOf(cas) >= 0 && CheckCASNr(CasNumberOf(cas)); },
      py::arg("cas"),
      "Whether a CAS registry number (int of its digits, or text with its hyphens) is well "
      "formed and its check digit right.");
  m.def(
      "format_cas",
      [](int64_t cas) {
        if (cas < 0) throw py::value_error("a CAS number is not negative");
        return ToStr(FormatCASNr(cas));
      },
      py::arg("number"), "A CAS number as text with its hyphens: 7732185 -> '7732-18-5'.");
  m.def(
      "parse_cas",
      [](py::handle text, bool check) {
        const std::string s = FromStr(text, "CAS number");
        int64_t n = -1;
        const bool ok = ConvertStrToCASNr(s, n);
        if (n < 0) throw EConvertError("invalid CAS number '" + s + "'");
        if (!ok && check) throw EConvertError("wrong check digit in CAS number '" + s + "'");
        return n;
      },
      py::arg("text"), py::arg("check") = true,
      "The number of a CAS text ('7732-18-5' -> 7732185). tkz.ConvertError for a malformed "
      "text, and for a wrong check digit unless check is False.");
}

}  // namespace tkz::python
