// The connection table: bonds and their bad arguments, deleting atoms,
// hydrogen counts and formulas of small molecules, fragments, geometry, and
// random edit sequences that must keep the table's invariants at every step.

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <map>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "chem/cdata.h"
#include "chem/cstruct.h"
#include "core/types/univconst.h"

namespace tkz {
namespace {

// ------------------------------------------------------------------ helpers

// Atoms as blank-separated symbols, each with an optional mass number before
// it and charge signs after it ("13C", "N+", "O-", "P+++"); bonds as
// blank-separated "a-b" (single), "a=b", "a#b", "a:b" (aromatic).
void Build(TCTab& t, const std::string& atoms, const std::string& bonds = "") {
  t.Clear();
  std::istringstream as(atoms);
  std::string tok;
  while (as >> tok) {
    CTElem e;
    size_t p = 0;
    int mass = 0;
    while (p < tok.size() && std::isdigit(static_cast<unsigned char>(tok[p])))
      mass = mass * 10 + (tok[p++] - '0');
    int charge = 0;
    std::string sym;
    for (; p < tok.size(); ++p) {
      if (tok[p] == '+')
        ++charge;
      else if (tok[p] == '-')
        --charge;
      else
        sym += tok[p];
    }
    e.AtType = static_cast<uint8_t>(AtomicNumber(sym));
    ASSERT_NE(e.AtType, 0) << sym;
    e.AtWeight = static_cast<uint16_t>(mass != 0 ? mass : IntAtWeight(e.AtType));
    e.Charge = static_cast<int8_t>(charge);
    ASSERT_TRUE(t.AddAtom(e));
  }
  std::istringstream bs(bonds);
  while (bs >> tok) {
    const size_t p = tok.find_first_of("-=#:");
    ASSERT_NE(p, std::string::npos) << tok;
    const int type = std::string("-=#:").find(tok[p]) + 1;
    ASSERT_TRUE(t.MakeConnection(std::stoi(tok.substr(0, p)), std::stoi(tok.substr(p + 1)), type))
        << tok;
  }
}

// A ring of n atoms of one element with bonds of one type.
std::string RingBonds(int n, char type, int first = 1) {
  std::string s;
  for (int i = 0; i < n; ++i)
    s += std::to_string(first + i) + type + std::to_string(first + (i + 1) % n) + " ";
  return s;
}

std::string Repeat(const std::string& atom, int n) {
  std::string s;
  for (int i = 0; i < n; ++i) s += atom + " ";
  return s;
}

// The formula as text in the record's order: symbol, count when above 1, a
// mass number in brackets for isotopes other than the nominal one.
std::string FormulaText(const TFormulaRec& f) {
  std::string s;
  for (int i = 1; i <= f.NumAtoms; ++i) {
    if (f.AtWgt[i] != IntAtWeight(f.AtNum[i])) s += "[" + std::to_string(f.AtWgt[i]) + "]";
    s += CElemSymb(f.AtNum[i]);
    if (f.AtCnt[i] > 1) s += std::to_string(f.AtCnt[i]);
  }
  return s;
}

std::string Formula(const TCTab& t) {
  TFormulaRec f;
  if (!t.CalcMolecularFormula(f)) return "(false)";
  return FormulaText(f);
}

// The invariants every editing operation keeps: bonds in slots 1..k without
// gaps, partners in 1..n other than the atom itself, no partner twice, each
// bond entered on both atoms with the same type. "" when they hold.
std::string Violation(const TCTab& t) {
  const int n = t.GetNAtoms();
  for (int a = 1; a <= n; ++a) {
    std::set<int> seen;
    bool gap = false;
    for (int k = 1; k <= kMaxCTConn; ++k) {
      const int b = t.GetConnTo(a, k);
      const std::string where = "atom " + std::to_string(a) + " slot " + std::to_string(k);
      if (b == 0) {
        gap = true;
        if (t.GetTypConn(a, k) != 0) return where + ": type in an empty slot";
        continue;
      }
      if (gap) return where + ": gap before it";
      if (b < 1 || b > n)
        return where + ": partner " + std::to_string(b) + " outside 1.." + std::to_string(n);
      if (b == a) return where + ": bonded to itself";
      if (!seen.insert(b).second) return where + ": partner " + std::to_string(b) + " twice";
      if (t.CheckConnect(b, a) != t.GetTypConn(a, k))
        return where + ": bond to " + std::to_string(b) + " not the same on both sides";
    }
    if (t.GetNBonds(a) != static_cast<int>(seen.size()))
      return "bond count of atom " + std::to_string(a);
  }
  return "";
}

std::vector<CTElem> Entries(const TCTab& t) {
  std::vector<CTElem> v;
  for (int a = 0; a <= kMaxCTAtoms + 1; ++a) v.push_back(t.GetAtomEntries(a));
  v.push_back(CTElem{});
  v.back().AtFlag = static_cast<uint8_t>(t.GetNAtoms());
  return v;
}

// The bonds as a set of "a-b:type" with a < b.
std::set<std::string> BondSet(const TCTab& t) {
  std::set<std::string> s;
  for (int a = 1; a <= t.GetNAtoms(); ++a) {
    for (int k = 1; k <= t.GetNBonds(a); ++k) {
      const int b = t.GetConnTo(a, k);
      if (a < b)
        s.insert(std::to_string(a) + "-" + std::to_string(b) + ":" +
                 std::to_string(t.GetTypConn(a, k)));
    }
  }
  return s;
}

// ------------------------------------------------------------ bonds (table)

// Bad bond arguments on a chain of three atoms: nothing is written, the
// answer is false and the table stays as it was.
TEST(CTabBonds, BadArgumentsWriteNothing) {
  struct Case {
    int a, b;
  };
  const Case cases[] = {{0, 1},  {1, 0},  {-1, 2}, {2, -1}, {1, 4},   {4, 1},
                        {1, 64}, {64, 1}, {2, 2},  {3, 3},  {1, 255}, {256, 1}};
  TCTab t;
  Build(t, "C C C", "1-2 2-3");
  const auto before = Entries(t);
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.a) + "," + std::to_string(c.b));
    for (int type : {0, 1, 2}) {
      EXPECT_FALSE(t.EnterConn(c.a, c.b, type));
      EXPECT_FALSE(t.MakeConnection(c.a, c.b, type));
    }
    EXPECT_EQ(t.CheckConnect(c.a, c.b), 0);
    EXPECT_TRUE(Entries(t) == before);
  }
}

// An atom with all ten slots taken: a new bond from either side is refused
// on both atoms; an existing bond still changes its type.
TEST(CTabBonds, FullSlotsOnOneSide) {
  TCTab t;
  std::string bonds;
  for (int i = 2; i <= 11; ++i) bonds += "1-" + std::to_string(i) + " ";
  Build(t, Repeat("C", 12), bonds);
  ASSERT_EQ(t.GetNBonds(1), 10);
  const auto before = Entries(t);
  EXPECT_FALSE(t.MakeConnection(1, 12, 1));
  EXPECT_FALSE(t.MakeConnection(12, 1, 1));
  EXPECT_FALSE(t.EnterConn(1, 12, 1));
  EXPECT_TRUE(Entries(t) == before);
  EXPECT_EQ(Violation(t), "");

  EXPECT_TRUE(t.MakeConnection(1, 11, 2));
  EXPECT_EQ(t.CheckConnect(11, 1), 2);
  EXPECT_EQ(t.CheckConnect(1, 11), 2);
  int atom = -7;
  EXPECT_EQ(t.MaxNBonds(atom), 10);
  EXPECT_EQ(atom, 1);

  // Removing a bond closes the gap on both atoms.
  EXPECT_TRUE(t.MakeConnection(5, 1, 0));
  EXPECT_FALSE(t.MakeConnection(5, 1, 0));
  EXPECT_EQ(t.GetNBonds(1), 9);
  EXPECT_EQ(t.GetConnTo(1, 4), 6);
  EXPECT_EQ(Violation(t), "");

  // One-way bonds made symmetric: where the other atom is full, the bond
  // goes from both sides.
  TCTab u;
  Build(u, Repeat("C", 12), bonds);  // 1 holds 2..11
  ASSERT_TRUE(u.EnterConn(12, 1, 1));
  ASSERT_TRUE(u.EnterConn(12, 2, 2));
  u.MakeSymmetricConnections();
  EXPECT_EQ(u.CheckConnect(12, 1), 0);
  EXPECT_EQ(u.CheckConnect(2, 12), 2);
  EXPECT_EQ(u.GetConnTo(12, 1), 2);
  EXPECT_EQ(Violation(u), "");
}

TEST(CTabBonds, SixtyFourthAtomAndTags) {
  TCTab t;
  Build(t, Repeat("O", kMaxCTAtoms));
  const auto before = Entries(t);
  CTElem e;
  e.AtType = 6;
  EXPECT_FALSE(t.AddAtom(e));
  EXPECT_TRUE(Entries(t) == before);

  // AddAtom does not take the entry's Tag.
  TCTab u;
  e.Tag = 0x123;
  ASSERT_TRUE(u.AddAtom(e));
  EXPECT_EQ(u.GetTag(1), kCTTagNoColor);
}

TEST(CTabBonds, CASNumberKeptOnBadTextButChanged) {
  TCTab t;
  int changes = 0;
  t.OnChange = [&](TObject*) { ++changes; };
  t.SetCASNr("7732-18-5");
  EXPECT_EQ(t.GetCASNr(), "7732-18-5");
  t.SetCASNr("7732-18-6");
  EXPECT_EQ(t.GetCASNr(), "7732-18-5");
  EXPECT_EQ(changes, 2);
}

// ----------------------------------------------------------- deleting atoms

// Deleting each atom of small molecules, against a plain graph model: the
// deleted atom's neighbours are bonded to each other, the last atom takes
// the deleted number, Tag and coordinates travel with their atom.
TEST(CTabDeleteAtom, BridgesNeighboursAndRenumbers) {
  struct Case {
    const char* atoms;
    const char* bonds;
  };
  const Case cases[] = {
      {"C C C", "1-2 2-3"},
      {"C C C", "1=2 2-3"},
      {"C C C C", "1-2 2-3 3-4 4-1"},
      {"C C C C C", "1-2 1-3 1-4 1-5"},
      {"C N O S P", "1-2 2-3 3-4 4-5 5-1 1-3"},
      {"C C O H H", "1-2 2=3 1-4 1-5"},
      {"C", ""},
      {"C C", "1#2"},
  };
  for (const Case& c : cases) {
    TCTab ref;
    Build(ref, c.atoms, c.bonds);
    const int n = ref.GetNAtoms();
    for (int a = 1; a <= n; ++a) {
      SCOPED_TRACE(std::string(c.atoms) + " | " + c.bonds + " | delete " + std::to_string(a));
      TCTab t;
      t.CopyFrom(ref);
      for (int i = 1; i <= n; ++i) {
        t.SetTag(i, 1000 + i);
        for (int axis = 1; axis <= 3; ++axis) t.SetCoords(i, axis, 10.0f * i + axis);
      }
      // The model: identities 1..n, the adjacency with bond types.
      std::map<std::pair<int, int>, int> model;
      for (int i = 1; i <= n; ++i)
        for (int j = i + 1; j <= n; ++j)
          if (ref.CheckConnect(i, j)) model[{i, j}] = ref.CheckConnect(i, j);
      std::vector<int> nb;
      for (int i = 1; i <= n; ++i)
        if (i != a && ref.CheckConnect(a, i)) nb.push_back(i);
      auto type = [&](int i, int j) {
        return model.count({std::min(i, j), std::max(i, j)})
                   ? model[{std::min(i, j), std::max(i, j)}]
                   : 0;
      };
      std::map<std::pair<int, int>, int> expect;
      for (auto& [k, v] : model)
        if (k.first != a && k.second != a) expect[k] = v;
      for (size_t x = 0; x < nb.size(); ++x)
        for (size_t y = x + 1; y < nb.size(); ++y)
          if (!expect.count({nb[x], nb[y]}))
            expect[{nb[x], nb[y]}] = std::min(type(a, nb[x]), type(a, nb[y]));
      auto renum = [&](int id) { return id == n ? a : id; };

      t.DeleteAtom(a);
      ASSERT_EQ(t.GetNAtoms(), n - 1);
      EXPECT_EQ(Violation(t), "");
      std::set<std::string> want;
      for (auto& [k, v] : expect) {
        const int i = renum(k.first), j = renum(k.second);
        want.insert(std::to_string(std::min(i, j)) + "-" + std::to_string(std::max(i, j)) + ":" +
                    std::to_string(v));
      }
      EXPECT_EQ(BondSet(t), want);
      for (int id = 1; id <= n; ++id) {
        if (id == a) continue;
        const int now = renum(id);
        EXPECT_EQ(t.GetTag(now), 1000u + id);
        EXPECT_EQ(t.GetAtNum(now), ref.GetAtNum(id));
        for (int axis = 1; axis <= 3; ++axis) EXPECT_EQ(t.GetCoords(now, axis), 10.0f * id + axis);
      }
    }
  }
  TCTab t;
  Build(t, "C C");
  t.DeleteAtom(0);
  t.DeleteAtom(3);
  EXPECT_EQ(t.GetNAtoms(), 2);
}

// A bond entered on one side only (through the raw slot setter) still goes
// with the deleted atom: nothing is left pointing at the deleted number or
// at the old last number.
TEST(CTabDeleteAtom, OneWayReferencesGo) {
  for (int a : {2, 4}) {
    TCTab t;
    Build(t, "C C C C", "1-2 3-4");
    t.SetConnTo(a == 2 ? 3 : 1, 2, a);  // 3 -> 2 or 1 -> 4, one way
    t.SetTypConn(a == 2 ? 3 : 1, 2, 1);
    t.DeleteAtom(a);
    EXPECT_EQ(Violation(t), "") << "deleted " << a;
  }
}

// Bridging more bonds than the slots hold: the surplus is dropped on both
// sides and no slot beyond the tenth is written.
TEST(CTabDeleteAtom, BridgingBeyondTenSlots) {
  // Atom 1 bonded to 2..6; atom 2 also bonded to 7..14 (nine bonds).
  std::string bonds = "1-2 1-3 1-4 1-5 1-6 ";
  for (int i = 7; i <= 14; ++i) bonds += "2-" + std::to_string(i) + " ";
  TCTab t;
  Build(t, Repeat("C", 14), bonds);
  t.DeleteAtom(1);  // atom 14 becomes atom 1
  EXPECT_EQ(Violation(t), "");
  EXPECT_EQ(t.GetNBonds(2), 10);
  int bridged = 0;
  for (int i = 3; i <= 6; ++i) bridged += t.CheckConnect(2, i) != 0;
  EXPECT_EQ(bridged, 2);
  EXPECT_EQ(t.CheckConnect(3, 4), 1);
  EXPECT_EQ(t.CheckConnect(2, 1), 1);  // former 14
}

TEST(CTabDeleteAtom, RemoveHydrogenKeepsFormula) {
  TCTab t;
  Build(t, "C H H H O H", "1-2 1-3 1-4 1-5 5-6");
  EXPECT_EQ(Formula(t), "CH4O");
  t.RemoveHydrogen();
  EXPECT_EQ(t.GetNAtoms(), 2);
  EXPECT_EQ(t.GetAtNum(1), 6);
  EXPECT_EQ(t.GetAtNum(2), 8);
  EXPECT_EQ(Formula(t), "CH4O");
  EXPECT_EQ(Violation(t), "");
}

// ------------------------------------------------------ hydrogens, formula

struct MolCase {
  const char* name;
  const char* atoms;
  std::string bonds;
  const char* formula;
  int firstH;  // NrHAtoms(1)
};

const std::string kBenzeneArom = RingBonds(6, ':');
const std::string kBenzeneKek = "1=2 2-3 3=4 4-5 5=6 6-1";

const std::vector<MolCase> kMolecules = {
    {"methane", "C", "", "CH4", 4},
    {"methanol", "C O", "1-2", "CH4O", 3},
    {"water", "O", "", "H2O", 2},
    {"ammonia", "N", "", "H3N", 3},
    {"ammonium", "N+", "", "H4N", 4},
    {"hydronium", "O+", "", "H3O", 3},
    {"hydroxide", "O-", "", "HO", 1},
    {"amide ion", "N-", "", "H2N", 2},
    {"HCN", "C N", "1#2", "CHN", 1},
    {"HCN, N first", "N C", "1#2", "CHN", 0},
    {"acetonitrile", "C C N", "1-2 2#3", "C2H3N", 3},
    {"isocyanide", "C N+ C-", "1-2 2#3", "C2H3N", 3},
    {"benzene, aromatic", "C C C C C C", kBenzeneArom, "C6H6", 1},
    {"benzene, Kekule", "C C C C C C", kBenzeneKek, "C6H6", 1},
    {"pyridine, aromatic", "N C C C C C", kBenzeneArom, "C5H5N", 0},
    {"pyridinium", "N+ C C C C C", kBenzeneArom, "C5H6N", 1},
    {"pyrrole, Kekule", "N C C C C", "1-2 2=3 3-4 4=5 5-1", "C4H5N", 1},
    {"toluene, aromatic", "C C C C C C C", kBenzeneArom + "1-7", "C7H8", 0},
    {"methyl cation", "C+", "", "CH3", 3},
    {"methyl anion", "C-", "", "CH3", 3},
    {"tert-butyl cation", "C+ C C C", "1-2 1-3 1-4", "C4H9", 0},
    {"tert-butyl anion", "C- C C C", "1-2 1-3 1-4", "C4H9", 0},
    {"phosphoric acid", "P O O O O", "1=2 1-3 1-4 1-5", "H3O4P", 0},
    {"phosphate", "P O- O- O- O", "1-2 1-3 1-4 1=5", "O4P", 0},
    {"phosphine", "P", "", "H3P", 3},
    {"dimethyl phosphite", "P O O C O C", "1=2 1-3 3-4 1-5 5-6", "C2H7O3P", 1},
    {"trimethylammonium", "N+ C C C", "1-2 1-3 1-4", "C3H10N", 1},
    {"protonated ether", "O+ C C", "1-2 1-3", "C2H7O", 1},
    {"tetramethylphosphonium", "P+ C C C C", "1-2 1-3 1-4 1-5", "C4H12P", 0},
    {"DMSO", "C S O C", "1-2 2=3 2-4", "C2H6OS", 3},
    {"sulfuric acid", "S O O O O", "1=2 1=3 1-4 1-5", "H2O4S", 0},
    {"hydrogen sulfide", "S", "", "H2S", 2},
    {"nitromethane", "C N+ O O-", "1-2 2=3 2-4", "CH3NO2", 3},
    {"borohydride", "B-", "", "H4B", 4},
    {"borane", "B", "", "H3B", 3},
    {"tetrafluoroborate", "B- F F F F", "1-2 1-3 1-4 1-5", "F4B", 0},
    {"sodium chloride", "Na+ Cl-", "", "ClNa", 0},
    {"hydrogen chloride", "Cl", "", "HCl", 1},
    {"silane", "Si", "", "H4Si", 4},
    {"chloroform", "C Cl Cl Cl", "1-2 1-3 1-4", "CHCl3", 1},
    {"bromoiodomethane", "I C Br", "1-2 2-3", "CH2BrI", 0},
    {"explicit H", "C H H H H", "1-2 1-3 1-4 1-5", "CH4", 4},
    {"explicit H, water", "H O", "1-2", "H2O", 0},
    {"13C ethane", "13C C", "1-2", "[13]CCH6", 3},
    {"deuterium is hydrogen", "2H C", "1-2", "CH4", 0},
    {"carbon 5+ never below 0", "C+++++", "", "C", 0},
    {"nitrogen 4- never below 0", "N----", "", "N", 0},
    {"iron", "Fe", "", "Fe", 0},
};

TEST(CTabHydrogens, SmallMolecules) {
  for (const MolCase& m : kMolecules) {
    SCOPED_TRACE(m.name);
    TCTab t;
    Build(t, m.atoms, m.bonds);
    EXPECT_EQ(Formula(t), m.formula);
    EXPECT_EQ(t.NrHAtoms(1), m.firstH);
    int h = 0;
    for (int a = 1; a <= t.GetNAtoms(); ++a) h += t.NrHAtoms(a);
    EXPECT_EQ(t.CalcMissingH(), h);
    // The weight is the formula weighed with the chemical weights.
    TFormulaRec f;
    ASSERT_TRUE(t.CalcMolecularFormula(f));
    double w = 0;
    for (int i = 1; i <= f.NumAtoms; ++i) w += f.AtCnt[i] * ChemAtWeight(f.AtNum[i]);
    EXPECT_NEAR(t.CalcChemMolWeight(), w, 1e-9);
  }
  TCTab water;
  Build(water, "O");
  EXPECT_NEAR(water.CalcChemMolWeight(), 18.015, 0.001);
  EXPECT_EQ(water.NrHAtoms(0), 0);
  EXPECT_EQ(water.NrHAtoms(2), 0);
}

// Twenty distinct entries fit; the twenty-first makes the answer false with
// the record untouched. Isotopes open entries of their own.
TEST(CTabHydrogens, FormulaEntryLimit) {
  // Eighteen elements without hydrogens, germanium and its hydrogens.
  const std::string twenty = "Li Be Na Mg Al K Ca Sc Ti V Cr Mn Fe Co Ni Cu Zn Ga Ge";
  TCTab t;
  Build(t, twenty);
  TFormulaRec f;
  ASSERT_TRUE(t.CalcMolecularFormula(f));
  EXPECT_EQ(f.NumAtoms, 20);
  EXPECT_EQ(f.AtNum[1], 1);
  EXPECT_EQ(f.AtCnt[1], 4);
  EXPECT_EQ(f.AtNum[2], 3);  // the others in the order met
  EXPECT_EQ(f.AtNum[20], 32);
  TFormulaRec sentinel;
  sentinel.NumAtoms = 3;
  sentinel.AtCnt[2] = 77;
  TFormulaRec g = sentinel;
  Build(t, twenty + " As");
  EXPECT_FALSE(t.CalcMolecularFormula(g));
  EXPECT_TRUE(g == sentinel);
  std::string isotopes;
  for (int m = 1; m <= 21; ++m) isotopes += std::to_string(100 + m) + "Fe ";
  Build(t, isotopes);
  EXPECT_FALSE(t.CalcMolecularFormula(g));
  EXPECT_TRUE(g == sentinel);
}

// ---------------------------------------------------------------- fragments

TEST(CTabFragments, JoinMapsFlaggedAtomsAndAppendsTheRest) {
  struct Case {
    const char* atoms;
    const char* bonds;
    std::vector<int> flags;
    const char* fragAtoms;
    const char* fragBonds;
    std::vector<int> fragFlags;
    const char* formula;
    int n;
    std::set<std::string> bonds_after;
  };
  const Case cases[] = {
      // The fragment's N lands on the O (flag 1) and brings its methyl.
      {"C C O",
       "1-2 2-3",
       {0, 0, 1},
       "N C",
       "1-2",
       {1, 0},
       "C3H9N",
       4,
       {"1-2:1", "2-3:1", "3-4:1"}},
      // The last atom with the flag is the target.
      {"C C C", "1-2 2-3", {5, 0, 5}, "O", "", {5}, "C2H6O", 3, {"1-2:1", "2-3:1"}},
      // A flag without a partner here: the atom is appended.
      {"C C", "1-2", {0, 0}, "O C", "1=2", {9, 0}, "C3H8O", 4, {"1-2:1", "3-4:2"}},
      // Two flagged atoms close a ring across the fragment.
      {"C C C C",
       "1-2 2-3 3-4",
       {1, 0, 0, 2},
       "C C C",
       "1-2 2-3",
       {1, 0, 2},
       "C5H10",
       5,
       {"1-2:1", "2-3:1", "3-4:1", "1-5:1", "4-5:1"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.atoms) + " + " + c.fragAtoms);
    TCTab t, f;
    Build(t, c.atoms, c.bonds);
    Build(f, c.fragAtoms, c.fragBonds);
    for (size_t i = 0; i < c.flags.size(); ++i) t.SetAtFlag(i + 1, c.flags[i]);
    for (size_t i = 0; i < c.fragFlags.size(); ++i) f.SetAtFlag(i + 1, c.fragFlags[i]);
    const auto fragBefore = Entries(f);
    ASSERT_TRUE(t.JoinFragment(f));
    EXPECT_EQ(t.GetNAtoms(), c.n);
    EXPECT_EQ(Formula(t), c.formula);
    EXPECT_EQ(BondSet(t), c.bonds_after);
    EXPECT_EQ(Violation(t), "");
    EXPECT_TRUE(Entries(f) == fragBefore);
  }
}

// Joins and links that would pass 63 atoms are refused with the table
// unchanged; those that reach 63 exactly go through.
TEST(CTabFragments, OverflowIsRefused) {
  TCTab t, f;
  Build(t, Repeat("C", 60), RingBonds(60, '-'));
  t.SetAtFlag(60, 3);
  Build(f, "N C C C", "1-2 2-3 3-4");
  const auto before = Entries(t);
  EXPECT_FALSE(t.JoinFragment(f));
  EXPECT_TRUE(Entries(t) == before);
  EXPECT_FALSE(t.LinkFragment(f));
  EXPECT_TRUE(Entries(t) == before);

  f.SetAtFlag(1, 3);  // N lands on atom 60: three appended
  TCTab j;
  j.CopyFrom(t);
  ASSERT_TRUE(j.JoinFragment(f));
  EXPECT_EQ(j.GetNAtoms(), 63);
  EXPECT_EQ(j.GetAtNum(60), 7);
  EXPECT_EQ(Violation(j), "");

  Build(f, "N C C", "1-2 2-3");
  f.SetAtFlag(3, 3);
  ASSERT_TRUE(t.LinkFragment(f));
  EXPECT_EQ(t.GetNAtoms(), 63);
  EXPECT_EQ(t.CheckConnect(60, 63), 1);
  EXPECT_EQ(t.CheckConnect(61, 62), 1);
  EXPECT_EQ(Violation(t), "");
}

TEST(CTabFragments, LinkBondsEqualFlagsAndCopyFromKeepsTags) {
  TCTab t, f;
  Build(t, "C C", "1=2");
  t.SetAtFlag(1, 2);
  Build(f, "O O N", "1-2 2-3");
  f.SetAtFlag(2, 2);
  f.SetAtFlag(3, 2);
  f.SetTag(1, 42);
  ASSERT_TRUE(t.LinkFragment(f));
  EXPECT_EQ(BondSet(t), (std::set<std::string>{"1-2:2", "3-4:1", "4-5:1", "1-4:1", "1-5:1"}));
  EXPECT_EQ(t.GetTag(3), kCTTagNoColor);
  EXPECT_EQ(Violation(t), "");
  ASSERT_TRUE(t.LinkFragment(t));  // linking a copy of itself
  EXPECT_EQ(t.GetNAtoms(), 10);
  EXPECT_EQ(Violation(t), "");

  TCTab c;
  Build(c, "S");
  c.SetTag(1, 7);
  int changes = 0;
  c.OnChange = [&](TObject*) { ++changes; };
  t.SetStrucName("linked");
  t.SetCASNr("7732-18-5");
  t.SetCoordUnit(cuAngstrom);
  c.CopyFrom(t);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(c.GetNAtoms(), 10);
  EXPECT_EQ(c.GetStrucName(), "linked");
  EXPECT_EQ(c.GetCASNr(), "7732-18-5");
  EXPECT_EQ(c.GetCoordUnit(), cuAngstrom);
  EXPECT_EQ(c.GetTag(1), 7u);
  EXPECT_EQ(BondSet(c), BondSet(t));
  c.CopyFrom(f);
  EXPECT_EQ(c.GetNAtoms(), 3);
  EXPECT_EQ(Formula(c), "H3NO2");  // HO-O-NH2, as the fragment
}

// ----------------------------------------------------------------- geometry

void Place(TCTab& t, const std::vector<std::array<float, 3>>& xyz) {
  for (size_t i = 0; i < xyz.size(); ++i)
    for (int axis = 1; axis <= 3; ++axis) t.SetCoords(i + 1, axis, xyz[i][axis - 1]);
}

TEST(CTabGeometry, ExtentsCentreAndSearch) {
  double x0, y0, x1, y1, mx, my;
  TCTab t;
  for (int n : {0, 1}) {
    Build(t, Repeat("C", n));
    Place(t, std::vector<std::array<float, 3>>(n, {-50, -60, 0}));
    EXPECT_EQ(t.CalcMolExtents(x0, y0, x1, y1, mx, my), 0);
    EXPECT_EQ(std::vector<double>({x0, y0, x1, y1, mx, my}),
              std::vector<double>({1, 1, 10000, 7000, 5000, 3500}));
  }
  double cx, cy, cz;
  t.Clear();
  t.CalcMolCenter(cx, cy, cz);
  EXPECT_EQ(std::vector<double>({cx, cy, cz}), std::vector<double>({0, 0, 0}));
  int atom = -1;
  double d = 0;
  t.FindClosestAtom(1, 2, 3, atom, d);
  EXPECT_EQ(atom, 0);
  EXPECT_EQ(d, static_cast<double>(uc_MaxDouble));
  EXPECT_EQ(t.FindAtomInBox(0, 0, 0, 1e9, 1e9, 1e9), -1);

  // A 3-4-5 triangle at negative coordinates, and one atom beyond the
  // drawing area.
  Build(t, "C C C C", "1-2 2-3 3-1");
  Place(t, {{-30, -40, 0}, {-30, -80, 0}, {0, -80, 0}, {12000, -5, 9}});
  EXPECT_DOUBLE_EQ(t.CalcMolExtents(x0, y0, x1, y1, mx, my), 40.0);
  EXPECT_EQ(std::vector<double>({x0, y0, x1, y1}), std::vector<double>({-30, -80, 12000, -5}));
  EXPECT_DOUBLE_EQ(mx, 11940.0 / 4);
  EXPECT_DOUBLE_EQ(my, -205.0 / 4);
  t.CalcMolCenter(cx, cy, cz);
  EXPECT_DOUBLE_EQ(cz, 9.0 / 4);
  Place(t, {{-30, -40, 0}, {-30, -80, 0}, {0, -80, 0}, {-1, -2, 0}});
  t.CalcMolExtents(x0, y0, x1, y1, mx, my);
  EXPECT_EQ(std::vector<double>({x0, y0, x1, y1}), std::vector<double>({-30, -80, 0, -2}));

  t.FindClosestAtom(-29, -79, 0, atom, d);
  EXPECT_EQ(atom, 2);
  EXPECT_DOUBLE_EQ(d, std::sqrt(2.0));
  t.FindClosestAtom(-15, -80, 0, atom, d);  // a tie: the first
  EXPECT_EQ(atom, 2);
  EXPECT_EQ(t.FindAtomInBox(-30, -80, 0, 0, 0, 0), 2);
  EXPECT_EQ(t.FindAtomInBox(-30, -79.5, 0, 0, 0, 0), -1);
  EXPECT_EQ(t.FindAtomInBox(-15, -60, 0, 15, 40, 0), 3);  // the highest number
}

// The turn onto the principal axes keeps distances (up to rounding to whole
// numbers), never mirrors (every triangle keeps its sense of rotation), puts
// the largest spread along x and the centre at the origin.
TEST(CTabGeometry, RotateWithPCAIsAProperRotation) {
  std::mt19937 rng(1234);
  std::uniform_real_distribution<float> coord(-3000, 3000);
  int mirroredCandidates = 0;
  for (int trial = 0; trial < 60; ++trial) {
    const int n = 3 + trial % 12;
    TCTab t;
    Build(t, Repeat("C", n));
    // A stretched cloud in a random direction, so the axes are well defined.
    const float ang = coord(rng), stretch = 4.0f;
    std::vector<std::array<float, 3>> xyz;
    for (int i = 0; i < n; ++i) {
      const float u = coord(rng) * stretch, v = coord(rng);
      xyz.push_back({std::round(u * std::cos(ang) - v * std::sin(ang)),
                     std::round(u * std::sin(ang) + v * std::cos(ang)), 0});
    }
    Place(t, xyz);
    t.RotateWithPCA();
    double sxx = 0, syy = 0, sx = 0, sy = 0;
    for (int i = 1; i <= n; ++i) {
      const double x = t.GetCoords(i, 1), y = t.GetCoords(i, 2);
      EXPECT_EQ(x, std::round(x));
      EXPECT_NEAR(t.GetCoords(i, 3), 0, 0.5);
      sx += x, sy += y, sxx += x * x, syy += y * y;
    }
    EXPECT_NEAR(sx / n, 0, 1);
    EXPECT_NEAR(sy / n, 0, 1);
    EXPECT_GE(sxx, syy);
    for (int i = 1; i <= n; ++i) {
      for (int j = i + 1; j <= n; ++j) {
        const double before =
            std::hypot(xyz[i - 1][0] - xyz[j - 1][0], xyz[i - 1][1] - xyz[j - 1][1]);
        const double after = std::hypot(t.GetCoords(i, 1) - t.GetCoords(j, 1),
                                        t.GetCoords(i, 2) - t.GetCoords(j, 2));
        EXPECT_NEAR(after, before, 1.5);
      }
    }
    // Signed areas of triangles 1-2-k keep their sign where they are large.
    for (int k = 3; k <= n; ++k) {
      auto area = [&](auto x, auto y) {
        return (x(2) - x(1)) * (y(k) - y(1)) - (y(2) - y(1)) * (x(k) - x(1));
      };
      const double before = area([&](int i) { return double(xyz[i - 1][0]); },
                                 [&](int i) { return double(xyz[i - 1][1]); });
      const double after = area([&](int i) { return double(t.GetCoords(i, 1)); },
                                [&](int i) { return double(t.GetCoords(i, 2)); });
      if (std::fabs(before) < 1e5) continue;
      ++mirroredCandidates;
      EXPECT_GT(before * after, 0) << "trial " << trial << " triangle 1-2-" << k;
    }
  }
  EXPECT_GT(mirroredCandidates, 100);

  TCTab one;
  Build(one, "C");
  Place(one, {{5.5f, 6.5f, 7}});
  one.RotateWithPCA();
  EXPECT_EQ(one.GetCoords(1, 1), 5.5f);
}

// ---------------------------------------------------- random edit sequences

// Random structures edited at random by every operation that changes bonds:
// the invariants hold after each step, deletions agree with the graph model
// while no atom runs out of slots, and Tags travel with their atoms.
TEST(CTabProperty, RandomEditsKeepInvariants) {
  std::mt19937 rng(20261208);
  auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  const int kElems[] = {1, 6, 6, 6, 7, 8, 16};
  auto randomTable = [&](TCTab& t, int maxAtoms, int maxFlag, int bondsPerAtom) {
    t.Clear();
    const int n = pick(1, maxAtoms);
    for (int i = 0; i < n; ++i) {
      CTElem e;
      e.AtType = static_cast<uint8_t>(kElems[pick(0, 6)]);
      e.AtFlag = static_cast<uint8_t>(pick(0, maxFlag));
      t.AddAtom(e);
    }
    const int bonds = pick(0, bondsPerAtom * n);
    for (int k = 0; k < bonds; ++k) t.MakeConnection(pick(1, n), pick(1, n), pick(1, 4));
  };
  int steps = 0, modelled = 0, saturated = 0;
  uint32_t nextTag = 1;
  for (int run = 0; run < 300; ++run) {
    TCTab t;
    randomTable(t, 12, 3, run % 3 == 0 ? 8 : 2);  // every third dense
    for (int a = 1; a <= t.GetNAtoms(); ++a) t.SetTag(a, nextTag++);
    for (int step = 0; step < 25; ++step, ++steps) {
      const int n = t.GetNAtoms();
      const int op = pick(0, 5);
      std::string what = "run " + std::to_string(run) + " step " + std::to_string(step) + " op " +
                         std::to_string(op);
      switch (op) {
        case 0: {
          CTElem e;
          e.AtType = static_cast<uint8_t>(kElems[pick(0, 6)]);
          e.AtFlag = static_cast<uint8_t>(pick(0, 3));
          EXPECT_EQ(t.AddAtom(e), n < kMaxCTAtoms) << what;
          break;
        }
        case 1:
          t.MakeConnection(pick(-1, n + 1), pick(-1, n + 1), pick(0, 4));
          break;
        case 2: {
          const int a = pick(0, n + 1);
          // The model: Tags as identities, neighbours as sets.
          std::map<uint32_t, std::set<uint32_t>> adj;
          bool roomy = true;
          for (int i = 1; i <= n; ++i) {
            roomy = roomy && t.GetNBonds(i) <= 4;
            for (int k = 1; k <= t.GetNBonds(i); ++k)
              adj[t.GetTag(i)].insert(t.GetTag(t.GetConnTo(i, k)));
          }
          const uint32_t del = t.GetTag(a);
          t.DeleteAtom(a);
          if (a < 1 || a > n) {
            EXPECT_EQ(t.GetNAtoms(), n) << what;
            break;
          }
          ASSERT_EQ(t.GetNAtoms(), n - 1) << what;
          if (!roomy) {
            int ignored = 0;
            saturated += t.MaxNBonds(ignored) == kMaxCTConn;
            break;
          }
          ++modelled;
          for (int i = 1; i <= n - 1; ++i) {
            const uint32_t id = t.GetTag(i);
            ASSERT_NE(id, del) << what;
            std::set<uint32_t> want = adj[id];
            if (want.erase(del)) {
              for (uint32_t o : adj[del])
                if (o != id) want.insert(o);
            }
            std::set<uint32_t> got;
            for (int k = 1; k <= t.GetNBonds(i); ++k) got.insert(t.GetTag(t.GetConnTo(i, k)));
            EXPECT_EQ(got, want) << what << " atom " << i;
          }
          break;
        }
        case 3:
        case 4: {
          TCTab f;
          randomTable(f, 8, 3, 2);
          const auto before = Entries(t);
          const bool ok = op == 3 ? t.JoinFragment(f) : t.LinkFragment(f);
          if (!ok) {
            EXPECT_TRUE(Entries(t) == before) << what;
          }
          if (op == 4) {
            EXPECT_EQ(ok, n + f.GetNAtoms() <= kMaxCTAtoms) << what;
          }
          break;
        }
        case 5:
          t.RemoveHydrogen();
          EXPECT_EQ(t.AtomCount(1), 0) << what;
          break;
      }
      ASSERT_EQ(Violation(t), "") << what;
      // New atoms get fresh identities; every atom keeps its own.
      for (int a = 1; a <= t.GetNAtoms(); ++a)
        if (t.GetTag(a) == kCTTagNoColor) t.SetTag(a, nextTag++);
      std::set<uint32_t> tags;
      for (int a = 1; a <= t.GetNAtoms(); ++a) tags.insert(t.GetTag(a));
      EXPECT_EQ(static_cast<int>(tags.size()), t.GetNAtoms()) << what;
      TFormulaRec f;
      EXPECT_TRUE(t.CalcMolecularFormula(f)) << what;
    }
  }
  std::printf(
      "[ measured ] %d random edits, %d deletions checked against the graph model, %d "
      "leaving an atom with all ten slots taken\n",
      steps, modelled, saturated);
  EXPECT_GT(modelled, 150);
  EXPECT_GT(saturated, 20);
}

}  // namespace
}  // namespace tkz
