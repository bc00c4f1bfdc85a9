// The chemistry part of the tour: element data, CAS numbers, chemical names,
// structures read from an SD file and drawn on one sheet, formulas read,
// weighed, searched by mass and painted.
#include <filesystem>
#include <iomanip>
#include <memory>
#include <nlohmann/json.hpp>
#include <sstream>
#include <vector>

#include "chem/cdata.h"
#include "chem/cform.h"
#include "chem/chemgrph.h"
#include "chem/cstruct.h"
#include "core/platform/controls.h"
#include "core/platform/imagefile.h"
#include "core/platform/textfile.h"
#include "tools/tkz/commands.h"

namespace tkz::tool {

namespace {

std::string Fixed(double v, int decimals) {
  std::ostringstream s;
  s << std::fixed << std::setprecision(decimals) << v;
  return s.str();
}

nlohmann::json Elements(std::ostream& out) {
  nlohmann::json j = nlohmann::json::array();
  for (const char* symbol : {"C", "Fe", "U"}) {
    const int z = AtomicNumber(symbol);
    int col = 0, row = 0;
    PerSysCoord(z, col, row);
    double k = 0, l = 0, m = 0;
    GetEDXLines(z, k, l, m);
    out << "  " << std::left << std::setw(3) << symbol << std::right << std::setw(4) << z << "  "
        << std::left << std::setw(10) << CElemName(z) << std::right << std::setw(12)
        << Fixed(ExactAtWeight(z), 6) << " u  " << ShortElectronConfig(z) << "  (row " << row
        << ", column " << col << ")";
    if (k > 0) out << "  K-alpha " << k << " keV";
    if (l > 0) out << "  L-alpha " << l << " keV";
    out << "\n";
    j.push_back({{"symbol", symbol},
                 {"z", z},
                 {"exact_mass", ExactAtWeight(z)},
                 {"configuration", ShortElectronConfig(z)}});
  }
  TDoubleArray energies;
  TIntArray elements;
  const int n = GetEDXLines(6.3, 6.5, energies, elements);
  out << "  X-ray lines from 6.3 to 6.5 keV:";
  for (int i = 0; i < n; ++i) out << " " << CElemSymb(elements[i]) << " " << energies[i];
  out << "\n";
  return j;
}

nlohmann::json CasAndNames(std::ostream& out) {
  nlohmann::json j;
  for (const char* text : {"7732-18-5", "7732-18-6", "2628280-40-8"}) {
    int64_t nr = 0;
    const bool ok = ConvertStrToCASNr(text, nr);
    out << "  CAS " << std::left << std::setw(13) << text << std::right
        << (ok ? "valid" : "check digit wrong") << "\n";
    j["cas"][text] = ok;
  }
  const std::string name = "2-Methylbenzaldehyde";
  const std::string packed = CompressChemName(name);
  out << "  \"" << name << "\" compressed to " << packed.size() << " bytes, expanded \""
      << DeCompressChemName(packed) << "\"\n";
  j["name"] = {{"name", name}, {"compressed_bytes", packed.size()}};
  return j;
}

// tests/data/chem/demo.sdf where the tour finds it; "" when it does not.
std::string DemoSdfPath() {
  for (const auto& root : DemoDataRoots()) {
    const auto p = root / "tests" / "data" / "chem" / "demo.sdf";
    if (std::filesystem::exists(p)) return p.string();
  }
  return "";
}

// The structures of tests/data/chem/demo.sdf: name, formula, weight, CAS
// number and data items as the SD reader gives them.
nlohmann::json Molecules(std::ostream& out) {
  nlohmann::json j = nlohmann::json::array();
  const std::string path = DemoSdfPath();
  if (path.empty()) {
    out << "  no structures found (tests/data/chem/demo.sdf): skipped\n";
    return j;
  }
  TTextFile f;
  f.AssignFile(path);
  f.Reset();
  TCTab t;
  TPropRec props;
  out << "  structures of " << path << ":\n";
  while (!f.AtEndOfText()) {
    const bool ok = t.ReadFromMDLSDFile(f, props);
    TFormulaRec rec;
    std::string formula;
    if (ok && t.CalcMolecularFormula(rec)) {
      for (int i = 1; i <= rec.NumAtoms; ++i) {
        formula += TMolForm::ChemElem(rec.AtNum[i], rec.AtWgt[i], rec.AtCnt[i], 0);
      }
    }
    out << "    " << std::left << std::setw(16) << t.GetStrucName() << std::setw(14) << formula
        << std::right << std::setw(10) << Fixed(t.CalcChemMolWeight(), 3) << "  CAS "
        << t.GetCASNr();
    nlohmann::json m = {{"name", t.GetStrucName()},        {"read", ok},
                        {"atoms", t.GetNAtoms()},          {"formula", formula},
                        {"weight", t.CalcChemMolWeight()}, {"cas", t.GetCASNr()}};
    for (int k = 1; k <= kMaxPropItems; ++k) {
      if (props[k].Name.empty()) continue;
      out << "  " << props[k].Name << " " << Fixed(props[k].Value, 1);
      m["items"][props[k].Name] = props[k].Value;
    }
    out << "\n";
    j.push_back(m);
  }
  f.CloseFile();
  return j;
}

// The structures of the demo file drawn side by side, one TChemGraph each
// on a white panel, three to a row, into one picture.
nlohmann::json StructureSheet(std::ostream& out, const std::string& dir) {
  nlohmann::json j = nlohmann::json::array();
  const std::string path = DemoSdfPath();
  if (path.empty()) return j;
  constexpr int kCellW = 260, kCellH = 190, kPerRow = 3;
  TCustomControl panel;
  panel.SetColor(clWhite);
  TTextFile f;
  f.AssignFile(path);
  f.Reset();
  TPropRec props;
  std::vector<TChemGraph*> cells;
  while (!f.Eof()) {
    auto* g = new TChemGraph(&panel);
    g->SetSuppressPaint(true);
    if (!g->GetStructure()->ReadFromMDLSDFile(f, props)) {
      delete g;
      continue;
    }
    const int k = static_cast<int>(cells.size());
    g->SetParent(&panel);
    g->SetBounds(5 + (k % kPerRow) * kCellW, 5 + (k / kPerRow) * kCellH, kCellW - 10, kCellH - 10);
    g->SetColorBakG(clWhite);
    g->SetFrameStyle(fsSimple);
    g->SetDispMode(dmHeteroOnly);
    // Oxygen red and nitrogen blue, the rest in the structure's colour.
    const TCTab& t = *g->GetStructure();
    for (int a = 1; a <= t.GetNAtoms(); ++a) {
      if (t.GetAtNum(a) == 8) g->SetAtColor(a, clRed);
      if (t.GetAtNum(a) == 7) g->SetAtColor(a, clBlue);
    }
    g->SetSuppressPaint(false);
    cells.push_back(g);
  }
  f.CloseFile();
  if (cells.empty()) return j;
  const int rows = (static_cast<int>(cells.size()) + kPerRow - 1) / kPerRow;
  panel.SetBounds(0, 0, kPerRow * kCellW + 10, rows * kCellH + 10);
  const std::string png = DemoFile(dir, "structures.png");
  SaveBitmapToFile(*TakeScreenshot(&panel), png);
  out << "  structures drawn:";
  for (TChemGraph* g : cells) {
    out << " " << g->GetStructure()->GetStrucName();
    j.push_back({{"name", g->GetStructure()->GetStrucName()},
                 {"atoms", g->GetStructure()->GetNAtoms()},
                 {"scale", g->GetDrawScale()}});
  }
  out << "\n  drawn into " << png << "\n";
  return j;
}

}  // namespace

nlohmann::json DemoChemistry(std::ostream& out, const std::string& dir) {
  DemoHeading(out, "Elements, structures and formulas");
  nlohmann::json j;
  j["elements"] = Elements(out);
  j["names"] = CasAndNames(out);
  j["molecules"] = Molecules(out);
  j["structures"] = StructureSheet(out, dir);

  // Formulas on a panel: one TMolForm each, painted into a picture.
  TCustomControl panel;
  panel.SetColor(clWhite);
  const char* formulas[] = {"C6H12O6", "C8 H10 N4 O2", "(C H3)2 C O",
                            "D2O",     "13C O2",       "Fe2 (S O4)3"};
  const int rows = static_cast<int>(std::size(formulas));
  panel.SetBounds(0, 0, 260, 10 + rows * 40);
  nlohmann::json list = nlohmann::json::array();
  out << "  formula          nominal    average       exact\n";
  for (int i = 0; i < rows; ++i) {
    auto* f = new TMolForm(&panel);
    f->SetParent(&panel);
    f->SetBounds(10, 5 + i * 40, 240, 36);
    f->GetFont()->SetSize(15);
    f->SetColorBkg(clWhite);
    f->SetColorTxt(i % 2 == 0 ? clNavy : clMaroon);
    f->SetAlignment(taLeftJustify);
    f->SetMolFormula(formulas[i]);
    out << "  " << std::left << std::setw(15) << formulas[i] << std::right << std::setw(8)
        << f->NominalMolWgt() << std::setw(11) << Fixed(f->ChemMolWgt(), 4) << std::setw(12)
        << Fixed(f->ExactMolWgt(), 6) << "\n";
    list.push_back({{"text", formulas[i]},
                    {"formula", f->AsString(0)},
                    {"nominal_mass", f->NominalMolWgt()},
                    {"average_weight", f->ChemMolWgt()},
                    {"exact_mass", f->ExactMolWgt()}});
  }
  j["formulas"] = list;
  const std::string path = DemoFile(dir, "formulas.png");
  SaveBitmapToFile(*TakeScreenshot(&panel), path);
  out << "  painted into " << path << "\n";

  // Which formulas of C0-10 H0-22 N0-2 O0-2 weigh 78.047 u within 0.005?
  TMolForm search;
  search.SetVisible(false);
  TFormulaRec lower, upper;
  const int zs[] = {6, 1, 7, 8}, most[] = {10, 22, 2, 2};
  upper.NumAtoms = lower.NumAtoms = 4;
  for (int i = 1; i <= 4; ++i) {
    upper.AtNum[i] = lower.AtNum[i] = static_cast<uint8_t>(zs[i - 1]);
    upper.AtWgt[i] = lower.AtWgt[i] = IntAtWeight(zs[i - 1]);
    upper.AtCnt[i] = most[i - 1];
  }
  search.InitFindFormula(78.047, 0.005, lower, upper);
  nlohmann::json hits = nlohmann::json::array();
  out << "  formulas of 78.047 +- 0.005 u with at most C10 H22 N2 O2:";
  while (search.FindFormulaExactMass(true)) {
    std::string text;
    for (int i = 1; i <= search.GetNumAtoms(); ++i) {
      const std::string e =
          TMolForm::ChemElem(search.GetAtNum(i), search.GetAtWgt(i), search.GetAtCnt(i), 0);
      if (!e.empty()) text += (text.empty() ? "" : " ") + e;
    }
    out << "  " << text << " (" << Fixed(search.ExactMolWgt(), 5) << ")";
    hits.push_back(text);
  }
  out << "\n  (" << static_cast<int64_t>(search.SearchCandidatesDone()) << " candidates)\n";
  j["mass_search"] = hits;
  return j;
}

}  // namespace tkz::tool
