// tkz.chem: molecular formulas (TMolForm's reading, weights, comparison)
// and the search of formulas by mass.
#include <algorithm>
#include <map>
#include <memory>
#include <string>
#include <utility>

#include "chem/cdata.h"
#include "python/src/bind_chem.h"

namespace tkz::python {

namespace {

// The control that reads and weighs formulas for the module (one, used under
// the GIL; never destroyed, so that nothing of it runs at interpreter exit).
// Transparent: it only invalidates when its formula changes, never paints.
TMolForm& Form() {
  static TMolForm* form = [] {
    auto* f = new TMolForm();
    f->SetTransparent(true);
    return f;
  }();
  return *form;
}

TMolForm& FormOf(const ChemFormula& f) {
  TMolForm& form = Form();
  form.SetFormulaRec(f.rec);
  return form;
}

// Entries counted per element and mass number.
using Tally = std::map<std::pair<int, int>, int64_t>;

Tally TallyOf(const TFormulaRec& r) {
  Tally t;
  for (int i = 1; i <= r.NumAtoms; ++i) {
    if (r.AtCnt[i] > 0) t[{r.AtNum[i], r.AtWgt[i]}] += r.AtCnt[i];
  }
  return t;
}

ChemFormula FromTally(const Tally& t) {
  ChemFormula f;
  for (const auto& [key, count] : t) {
    if (f.rec.NumAtoms == kMaxFormulaEntries) {
      throw EConvertError("a formula holds at most " + std::to_string(kMaxFormulaEntries) +
                          " entries");
    }
    if (count > kMaxFormulaCount) {
      throw EConvertError("count " + std::to_string(count) + " beyond the largest, " +
                          std::to_string(kMaxFormulaCount));
    }
    const int i = ++f.rec.NumAtoms;
    f.rec.AtNum[i] = static_cast<uint8_t>(key.first);
    f.rec.AtWgt[i] = key.second;
    f.rec.AtCnt[i] = static_cast<int32_t>(count);
  }
  return f;
}

bool IsIsotope(int z, int mass) {
  return mass != 0 && mass != IntAtWeight(z) && !(z == 1 && mass == 2);
}

// The text that reads back as the same formula: mass numbers only for
// isotopes, a count of 1 written before an entry with a mass number (which
// would otherwise be read as the count).
std::string FormulaText(const TFormulaRec& r) {
  std::string s;
  for (int i = 1; i <= r.NumAtoms; ++i) {
    const int z = r.AtNum[i], mass = r.AtWgt[i], count = r.AtCnt[i];
    if (z < 1 || z > kMaxAtomicNumber || count < 1) continue;
    if (!s.empty()) s += ' ';
    if (IsIsotope(z, mass)) s += std::to_string(mass);
    s += z == 1 && mass == 2 ? std::string("D") : CElemSymb(z);
    const bool nextMass = i < r.NumAtoms && IsIsotope(r.AtNum[i + 1], r.AtWgt[i + 1]);
    if (count > 1 || nextMass) s += std::to_string(count);
  }
  return s;
}

ChemFormula Parse(const std::string& text) {
  TMolForm& form = Form();
  form.SetMolFormula(text);
  if (form.ScanStopPos() <= static_cast<int>(text.size())) {
    throw EConvertError("cannot read formula '" + text + "' from position " +
                        std::to_string(form.ScanStopPos()) +
                        " (elements without a count need a blank between them: 'Na Cl')");
  }
  return ChemFormula{form.GetFormulaRec()};
}

ChemFormula FromMapping(py::handle mapping) {
  Tally t;
  for (const auto item : mapping.cast<py::dict>()) {
    const std::string symbol = FromStr(item.first, "element symbol");
    const int z = AtomicNumber(symbol);
    if (z == 0) throw EConvertError("unknown element symbol '" + symbol + "'");
    const long long count = item.second.cast<long long>();
    if (count < 0) throw py::value_error("a count is not negative");
    if (count > 0) t[{z, IntAtWeight(z)}] += count;
  }
  return FromTally(t);
}

ChemFormula ToFormula(py::handle value) {
  if (py::isinstance<ChemFormula>(value)) return value.cast<const ChemFormula&>();
  if (py::isinstance<py::dict>(value)) return FromMapping(value);
  return Parse(FromStr(value, "formula"));
}

// 0 equal, 1 b contained in a, 2 a contained in b, -1 neither.
int Compare(const ChemFormula& a, const ChemFormula& b) {
  const bool ea = TallyOf(a.rec).empty(), eb = TallyOf(b.rec).empty();
  if (ea || eb) return ea && eb ? 0 : ea ? 2 : 1;
  TMolForm other;
  other.SetTransparent(true);
  other.SetFormulaRec(b.rec);
  return FormOf(a).CompareTo(other);
}

// An iterator over the formulas of a range that fit a mass.
struct FormulaSearch {
  std::unique_ptr<TMolForm> form = std::make_unique<TMolForm>();
  bool nominal = false;
  bool check = true;
};

}  // namespace

void BindChemFormula(py::module_& m) {
  py::class_<ChemFormula>(
      m, "Formula",
      "A molecular formula of up to 20 entries (element, mass number, count). Text is read as "
      "the library reads it: symbols without regard to case, so elements without a count need a "
      "blank between them ('Na Cl'; 'CO' is cobalt), a mass number before a symbol marks an "
      "isotope ('13C'), 'D' is deuterium, one level of parentheses with the multiplier after "
      "')': '(C H3)2 C O'.")
      .def(py::init([](py::handle value) { return ToFormula(value); }), py::arg("formula") = "",
           "A formula from text ('C6 H12 O6', 'C6H12O6'), a dict of symbol -> count, or another "
           "Formula. tkz.ConvertError when text cannot be read to its end.")
      .def(
          "__str__", [](const ChemFormula& f) { return ToStr(FormulaText(f.rec)); },
          "The formula as text that reads back as the same formula ('C6 H12 O6', '13C1 H4').")
      .def("__repr__", [](const ChemFormula& f) { return "Formula('" + FormulaText(f.rec) + "')"; })
      .def_property_readonly(
          "counts",
          [](const ChemFormula& f) {
            std::map<int, int64_t> byZ;
            for (const auto& [key, count] : TallyOf(f.rec)) byZ[key.first] += count;
            py::dict out;
            for (const auto& [z, count] : byZ) out[ToStr(CElemSymb(z))] = count;
            return out;
          },
          "Atoms of each element as a dict symbol -> count (isotopes counted with their "
          "element).")
      .def_property_readonly(
          "entries",
          [](const ChemFormula& f) {
            py::list out;
            for (int i = 1; i <= f.rec.NumAtoms; ++i) {
              out.append(
                  py::make_tuple(ToStr(CElemSymb(f.rec.AtNum[i])), f.rec.AtWgt[i], f.rec.AtCnt[i]));
            }
            return out;
          },
          "The entries as read, each (symbol, mass number, count).")
      .def_property_readonly(
          "num_atoms",
          [](const ChemFormula& f) {
            int64_t n = 0;
            for (const auto& [key, count] : TallyOf(f.rec)) n += count;
            return n;
          },
          "Atoms in all.")
      .def_property_readonly(
          "nominal_weight", [](const ChemFormula& f) { return FormOf(f).NominalMolWgt(); },
          "Sum of mass numbers times counts (isotopes honoured).")
      .def_property_readonly(
          "average_weight", [](const ChemFormula& f) { return FormOf(f).ChemMolWgt(); },
          "Chemical weight in u from the library's (historical) element weights.")
      .def_property_readonly(
          "exact_weight", [](const ChemFormula& f) { return FormOf(f).ExactMolWgt(); },
          "Monoisotopic weight in u (each element's exact weight; mass numbers not used).")
      .def(
          "__eq__",
          [](const ChemFormula& a, py::handle b) {
            return py::isinstance<ChemFormula>(b) &&
                   TallyOf(a.rec) == TallyOf(b.cast<const ChemFormula&>().rec);
          },
          "Equal counts of every element and mass number.")
      .def(
          "__hash__",
          [](const ChemFormula& f) {
            size_t h = 0;
            for (const auto& [key, count] : TallyOf(f.rec)) {
              h = h * 1000003u ^ std::hash<int64_t>()((int64_t{key.first} << 40) ^
                                                      (int64_t{key.second} << 24) ^ count);
            }
            return h;
          },
          "A hash that equal formulas share.")
      .def(
          "__le__",
          [](const ChemFormula& a, const ChemFormula& b) {
            return Compare(a, b) == 0 || Compare(a, b) == 2;
          },
          py::is_operator(),
          "Whether this formula is contained in the other (no element or isotope more).")
      .def(
          "__lt__", [](const ChemFormula& a, const ChemFormula& b) { return Compare(a, b) == 2; },
          py::is_operator(), "Contained in the other and not equal.")
      .def(
          "__ge__",
          [](const ChemFormula& a, const ChemFormula& b) {
            return Compare(a, b) == 0 || Compare(a, b) == 1;
          },
          py::is_operator(), "Whether the other formula is contained in this one.")
      .def(
          "__gt__", [](const ChemFormula& a, const ChemFormula& b) { return Compare(a, b) == 1; },
          py::is_operator(), "Contains the other and is not equal.")
      .def(
          "__contains__",
          [](const ChemFormula& a, py::handle b) {
            const int c = Compare(a, ToFormula(b));
            return c == 0 || c == 1;
          },
          "Whether another formula (or its text) is contained in this one: f <= self.")
      .def(
          "__add__",
          [](const ChemFormula& a, py::handle b) {
            Tally t = TallyOf(a.rec);
            for (const auto& [key, count] : TallyOf(ToFormula(b).rec)) t[key] += count;
            return FromTally(t);
          },
          py::is_operator(),
          "The sum of two formulas (entries of one element and mass number merged).")
      .def(
          "__mul__",
          [](const ChemFormula& a, int64_t k) {
            if (k < 0) throw py::value_error("a formula is multiplied by a count >= 0");
            Tally t = TallyOf(a.rec);
            for (auto& entry : t) entry.second *= k;
            if (k == 0) t.clear();
            return FromTally(t);
          },
          py::is_operator(), "The formula k times.")
      .def(
          "__rmul__",
          [](const ChemFormula& a, int64_t k) { return py::cast(a).attr("__mul__")(k); },
          py::is_operator(), "The formula k times.")
      .def(
          "__bool__", [](const ChemFormula& f) { return !TallyOf(f.rec).empty(); },
          "Whether the formula holds any atom.");

  py::class_<FormulaSearch>(m, "FormulaSearch",
                            "An iterator over the formulas of a range that fit a mass, in the "
                            "library's order (the counts of the upper bound's entries falling, "
                            "the last entry fastest).")
      .def(
          "__iter__", [](py::object self) { return self; }, "The search itself.")
      .def(
          "__next__",
          [](FormulaSearch& s) {
            bool found = false;
            {
              py::gil_scoped_release release;
              found = s.nominal ? s.form->FindFormulaNominalMass(s.check)
                                : s.form->FindFormulaExactMass(s.check);
            }
            if (!found) throw py::stop_iteration();
            return ChemFormula{s.form->GetFormulaRec()};
          },
          "The next formula that fits (the search runs without the GIL).");

  m.def(
      "find_formulas",
      [](double mass, py::handle upper, py::handle lower, double tolerance, bool nominal,
         bool check) {
        const ChemFormula up = ToFormula(upper);
        const Tally low = lower.is_none() ? Tally{} : TallyOf(ToFormula(lower).rec);
        TFormulaRec lowRec = up.rec;
        for (int i = 1; i <= lowRec.NumAtoms; ++i) {
          const auto it = low.find({lowRec.AtNum[i], lowRec.AtWgt[i]});
          lowRec.AtCnt[i] = it == low.end() ? 0 : static_cast<int32_t>(it->second);
        }
        auto search = std::make_unique<FormulaSearch>();
        search->form->SetTransparent(true);
        search->nominal = nominal;
        search->check = check;
        search->form->InitFindFormula(mass, tolerance, lowRec, up.rec);
        return search;
      },
      py::arg("mass"), py::arg("upper"), py::arg("lower") = py::none(),
      py::arg("tolerance") = 0.005, py::arg("nominal") = false, py::arg("check") = true,
      "The formulas whose exact weight is within tolerance (u) of mass (with nominal=True: "
      "whose nominal weight equals mass rounded), with the elements of upper and each count "
      "from upper's down to lower's (0 when lower is None or lacks the element). check=True "
      "keeps only formulas with N + 2C + 2 >= H + F + Cl + Br + I. An iterator of Formula; "
      "each step runs without the GIL.");
}

}  // namespace tkz::python
