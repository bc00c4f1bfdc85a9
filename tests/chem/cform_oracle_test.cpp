// Molecular formulas of 200 real molecules (the NCI and PubChem samples that
// come with RDKit's data), weighed by RDKit and by TMolForm: RDKit is the
// oracle of the exact and nominal masses, and of the formula text itself
// (TMolForm must read all of it and write it back the same). The mass search
// must find each molecule's formula again from RDKit's exact mass.
//
// RDKit runs through /usr/bin/python3 (rdkit_formulas.py next to this file);
// without it, its module or the data the test skips.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "chem/cdata.h"
#include "chem/cform.h"

namespace tkz {
namespace {

constexpr int kMolecules = 200;
const char* const kPython = "/usr/bin/python3";
const char* const kDataDir = "/usr/share/RDKit";
const char* const kSdFiles[] = {"Data/NCI/first_200.props.sdf",
                                "Projects/DbCLI/testData/pubchem.200.sdf",
                                "Contrib/PBF/testData/egfr.sdf"};

struct Molecule {
  std::string formula;  // "C10 H12 Cl N O"
  double exact = 0;     // RDKit's monoisotopic weight
  double average = 0;   // and its average weight
  int64_t nominal = 0;  // mass numbers of the most common isotopes
  std::string name;     // file#record and the molecule's name
};

// The molecules, or an empty list with the reason why in Why.
std::vector<Molecule> RdkitMolecules(std::string& why) {
  std::vector<Molecule> r;
  if (access(kPython, X_OK) != 0) {
    why = std::string(kPython) + " is missing";
    return r;
  }
  const std::string script = std::string(TKZ_SOURCE_DIR) + "/tests/chem/rdkit_formulas.py";
  std::string cmd = std::string(kPython) + " '" + script + "' " + std::to_string(kMolecules);
  for (const char* f : kSdFiles) {
    const std::string path = std::string(kDataDir) + "/" + f;
    if (std::filesystem::exists(path)) cmd += " '" + path + "'";
  }
  cmd += " 2>/dev/null";
  FILE* p = popen(cmd.c_str(), "r");
  if (p == nullptr) {
    why = "cannot run " + cmd;
    return r;
  }
  std::string out;
  char buf[4096];
  for (size_t n; (n = fread(buf, 1, sizeof buf, p)) > 0;) out.append(buf, n);
  const int status = pclose(p);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    why = WIFEXITED(status) && WEXITSTATUS(status) == 2
              ? "the rdkit module of /usr/bin/python3 is missing"
              : "the RDKit script failed";
    return r;
  }
  std::istringstream lines(out);
  for (std::string line; std::getline(lines, line);) {
    std::istringstream fields(line);
    Molecule m;
    std::string exact, average, nominal;
    if (std::getline(fields, m.formula, '\t') && std::getline(fields, exact, '\t') &&
        std::getline(fields, average, '\t') && std::getline(fields, nominal, '\t')) {
      std::getline(fields, m.name);
      m.exact = std::stod(exact);
      m.average = std::stod(average);
      m.nominal = std::stoll(nominal);
      r.push_back(std::move(m));
    }
  }
  if (static_cast<int>(r.size()) < kMolecules) {
    why = "RDKit's data under " + std::string(kDataDir) + " gave " + std::to_string(r.size()) +
          " molecules, not " + std::to_string(kMolecules);
    r.clear();
  }
  return r;
}

const std::vector<Molecule>& Molecules(std::string& why) {
  static std::string reason;
  static const std::vector<Molecule> molecules = RdkitMolecules(reason);
  why = reason;
  return molecules;
}

TEST(MolFormOracle, WeightsOfRealMoleculesAgreeWithRdkit) {
  std::string why;
  const auto& molecules = Molecules(why);
  if (molecules.empty()) GTEST_SKIP() << why;
  TMolForm f;
  f.SetVisible(false);
  double worst_exact = 0, worst_average = 0;
  std::string worst_exact_name, worst_average_name;
  for (const Molecule& m : molecules) {
    SCOPED_TRACE(m.formula + " (" + m.name + ")");
    f.SetMolFormula(m.formula);
    EXPECT_EQ(f.ScanStopPos(), static_cast<int>(m.formula.size()) + 1);
    EXPECT_EQ(f.AsString(0), m.formula + " ");
    EXPECT_EQ(f.NominalMolWgt(), m.nominal);
    const double exact = std::fabs(f.ExactMolWgt() - m.exact);
    EXPECT_LT(exact, 1e-4);
    if (exact > worst_exact) {
      worst_exact = exact;
      worst_exact_name = m.formula + " (" + m.name + ")";
    }
    // The chemical weights are historical values: only a sanity bound.
    const double average = std::fabs(f.ChemMolWgt() - m.average) / m.average;
    EXPECT_LT(average, 0.005);
    if (average > worst_average) {
      worst_average = average;
      worst_average_name = m.formula + " (" + m.name + ")";
    }
  }
  std::printf("%zu molecules: exact masses differ from RDKit's by at most %.3g u (%s)\n",
              molecules.size(), worst_exact, worst_exact_name.c_str());
  std::printf("average weights by at most %.3g%% (%s)\n", 100 * worst_average,
              worst_average_name.c_str());
}

TEST(MolFormOracle, SearchFindsEachMoleculeFromItsExactMass) {
  std::string why;
  const auto& molecules = Molecules(why);
  if (molecules.empty()) GTEST_SKIP() << why;
  TMolForm f;
  f.SetVisible(false);
  for (const Molecule& m : molecules) {
    SCOPED_TRACE(m.formula + " (" + m.name + ")");
    f.SetMolFormula(m.formula);
    // A range of one count either side of each element's count, searched
    // for RDKit's exact mass: the molecule's own formula must be among the
    // formulas found, every one of them within the tolerance.
    const TFormulaRec own = f.GetFormulaRec();
    TFormulaRec lower = own, upper = own;
    for (int i = 1; i <= own.NumAtoms; ++i) {
      lower.AtCnt[i] = std::max(0, own.AtCnt[i] - 1);
      upper.AtCnt[i] = own.AtCnt[i] + 1;
    }
    f.InitFindFormula(m.exact, 1e-3, lower, upper);
    int found = 0;
    bool own_found = false;
    while (f.FindFormulaExactMass(false)) {
      ++found;
      EXPECT_NEAR(f.ExactMolWgt(), m.exact, 1e-3);
      own_found |= f.GetFormulaRec() == own;
    }
    EXPECT_TRUE(own_found) << found << " formulas found";
    EXPECT_TRUE(f.SearchExhausted());
    EXPECT_DOUBLE_EQ(f.SearchCandidatesDone(), f.SearchCandidatesTotal());
  }
}

// The formula's text (mass numbers included) reads back as the same formula.
TEST(MolFormOracle, WrittenFormulaReadsBackAsTheSameMolecule) {
  std::string why;
  const auto& molecules = Molecules(why);
  if (molecules.empty()) GTEST_SKIP() << why;
  TMolForm f, again;
  f.SetVisible(false);
  again.SetVisible(false);
  int wrong = 0;
  for (const Molecule& m : molecules) {
    f.SetMolFormula(m.formula);
    again.SetMolFormula(f.GetMolFormula());
    EXPECT_EQ(again.AsString(0), f.AsString(0)) << f.GetMolFormula() << " (" << m.name << ")";
    wrong += again.GetFormulaRec() != f.GetFormulaRec();
  }
  EXPECT_EQ(wrong, 0) << "of " << molecules.size() << " molecules";
}

}  // namespace
}  // namespace tkz
