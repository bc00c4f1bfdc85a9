// Rings, attributes, chains and functional groups of the connection table:
// small molecules written as SMILES, cages and dense graphs that must finish,
// the unbounded path search as the oracle of the bounded one, and tables of
// functional-group counts and fragment codes.

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "chem/cdata.h"
#include "chem/cstruct.h"

namespace tkz {
namespace {

// ------------------------------------------------------------------ helpers

// Reads the SMILES subset the tests need: organic and bracket atoms with a
// charge ("[N+]", "[O-]", "[Na+]", "[nH]"), lower-case aromatic atoms (bonded
// to each other by type 4), branches, ring closure digits, "." and the bond
// characters - = # :. Hydrogens stay implicit.
std::unique_ptr<TCTab> FromSmiles(const std::string& smiles) {
  auto table = std::make_unique<TCTab>();
  TCTab& t = *table;
  std::vector<int> branch;
  std::map<int, std::pair<int, int>> open;  // ring digit -> atom, bond type
  int prev = 0, bond = 0;
  std::vector<bool> aromatic(1, false);
  auto add = [&](std::string sym, int charge) {
    const bool arom = std::islower(static_cast<unsigned char>(sym[0])) != 0;
    sym[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(sym[0])));
    CTElem e;
    e.AtType = static_cast<uint8_t>(AtomicNumber(sym));
    EXPECT_NE(e.AtType, 0) << smiles << ": " << sym;
    e.Charge = static_cast<int8_t>(charge);
    EXPECT_TRUE(t.AddAtom(e)) << smiles;
    const int a = t.GetNAtoms();
    aromatic.push_back(arom);
    if (prev != 0) t.MakeConnection(prev, a, bond != 0 ? bond : (arom && aromatic[prev] ? 4 : 1));
    prev = a;
    bond = 0;
  };
  for (size_t i = 0; i < smiles.size(); ++i) {
    const char c = smiles[i];
    if (c == '(') {
      branch.push_back(prev);
    } else if (c == ')') {
      prev = branch.back();
      branch.pop_back();
    } else if (c == '.') {
      prev = 0;
    } else if (c == '-' || c == '=' || c == '#' || c == ':') {
      bond = static_cast<int>(std::string("-=#:").find(c)) + 1;
    } else if (std::isdigit(static_cast<unsigned char>(c)) != 0) {
      const int d = c - '0';
      if (auto it = open.find(d); it != open.end()) {
        const auto [a, type] = it->second;
        const int bt = bond != 0   ? bond
                       : type != 0 ? type
                                   : (aromatic[a] && aromatic[prev] ? 4 : 1);
        EXPECT_TRUE(t.MakeConnection(a, prev, bt)) << smiles;
        open.erase(it);
      } else {
        open[d] = {prev, bond};
      }
      bond = 0;
    } else if (c == '[') {
      const size_t close = smiles.find(']', i);
      std::string inside = smiles.substr(i + 1, close - i - 1);
      int charge = 0;
      std::string sym;
      for (const char x : inside) {
        if (x == '+') ++charge;
        if (x == '-') --charge;
        if (std::isalpha(static_cast<unsigned char>(x)) != 0 && x != 'H') sym += x;
      }
      add(sym, charge);
      i = close;
    } else {
      std::string sym(1, c);
      if ((c == 'C' && i + 1 < smiles.size() && smiles[i + 1] == 'l') ||
          (c == 'B' && i + 1 < smiles.size() && smiles[i + 1] == 'r'))
        sym += smiles[++i];
      add(sym, 0);
    }
  }
  return table;
}

std::vector<int> Sizes(const RingListType& list) {
  std::vector<int> s;
  for (int i = 1; i <= list.Count; ++i) s.push_back(list.Rings[i].Size);
  std::sort(s.begin(), s.end());
  return s;
}

// Whether a ring is a simple cycle of the table: distinct atoms, each
// bonded to the next and the last to the first.
bool IsCycle(const TCTab& t, const RingType& r) {
  if (r.Size < 3) return false;
  std::vector<int> atoms(r.Atoms.begin() + 1, r.Atoms.begin() + r.Size + 1);
  std::sort(atoms.begin(), atoms.end());
  if (std::adjacent_find(atoms.begin(), atoms.end()) != atoms.end()) return false;
  for (int i = 1; i <= r.Size; ++i)
    if (t.CheckConnect(r.Atoms[i], r.Atoms[i % r.Size + 1]) == 0) return false;
  return true;
}

// A graph of n carbons with the given bonds (pairs of atom numbers).
std::unique_ptr<TCTab> Graph(int n, const std::vector<std::pair<int, int>>& bonds) {
  auto table = std::make_unique<TCTab>();
  TCTab& t = *table;
  CTElem c;
  c.AtType = 6;
  for (int i = 0; i < n; ++i) t.AddAtom(c);
  for (const auto& [a, b] : bonds) EXPECT_TRUE(t.MakeConnection(a, b, 1)) << a << "-" << b;
  return table;
}

std::unique_ptr<TCTab> Complete(int n) {
  std::vector<std::pair<int, int>> bonds;
  for (int a = 1; a <= n; ++a)
    for (int b = a + 1; b <= n; ++b) bonds.emplace_back(a, b);
  return Graph(n, bonds);
}

// The path search with no bound other than the best ring so far, slot by
// slot: the reference that the bounded search must reproduce ring for ring.
struct PlainSearch {
  const TCTab& t;
  int s;
  RingListType& out;
  std::vector<int> path = {};
  int best = 64;

  void Visit(int c, int p) {
    path.push_back(c);
    bool closed = false;
    for (int k = 1; k <= t.GetNBonds(c); ++k) {
      const int x = t.GetConnTo(c, k);
      if (x == s && x != p) {
        closed = true;
        break;
      }
      if (x == p || std::find(path.begin(), path.end(), x) != path.end()) continue;
      if (best >= static_cast<int>(path.size())) Visit(x, c);
    }
    if (closed) {
      RingType r;
      r.Size = static_cast<uint8_t>(path.size());
      std::copy(path.begin(), path.end(), r.Atoms.begin() + 1);
      if (r.Size < best) {
        out.Count = 1;
        out.Rings[1] = r;
        best = r.Size;
      } else if (r.Size == best && !RingInRingList(r, out) && out.Count < kMaxRings) {
        out.Rings[++out.Count] = r;
      }
    }
    path.pop_back();
  }
};

// ------------------------------------------------------- rings and attributes

struct RingCase {
  const char* name;
  const char* smiles;
  int rings;                // RingsInMolecule
  std::vector<int> sssr;    // sorted FindSSSR sizes
  std::vector<int> attrib;  // per atom, empty: not checked
};

TEST(CTabRings, SmallMoleculesAndTheirAttributes) {
  const std::vector<RingCase> cases = {
      {"benzene", "c1ccccc1", 1, {6}, std::vector<int>(6, 0x28)},
      {"naphthalene",
       "c1ccc2ccccc2c1",
       2,
       {6, 6},
       {0x28, 0x28, 0x28, 0xB8, 0x28, 0x28, 0x28, 0x28, 0xB8, 0x28}},
      {"cyclopropane", "C1CC1", 1, {3}, {0x22, 0x22, 0x22}},
      {"cyclopentane", "C1CCCC1", 1, {5}, std::vector<int>(5, 0x24)},
      {"cyclooctane", "C1CCCCCCC1", 1, {8}, std::vector<int>(8, 0x22)},
      {"propane", "CCC", 0, {}, {0x41, 0x01, 0x41}},
      {"isobutane", "CC(C)C", 0, {}, {0x41, 0x11, 0x41, 0x41}},
      {"methane and water", "C.O", 0, {}, {0x01, 0x01}},
      {"toluene", "Cc1ccccc1", 1, {6}, {0x41, 0x38, 0x28, 0x28, 0x28, 0x28, 0x28}},
      {"sodium benzoate", "[O-]C(=O)c1ccccc1.[Na+]", 1, {6}, {}},
      {"biphenyl", "c1ccccc1-c1ccccc1", 2, {6, 6}, {}},
      {"indane", "C1Cc2ccccc2C1", 2, {5, 6}, {}},
      {"spiro[4.5]decane", "C12(CCCC1)CCCCC2", 2, {5, 6}, {}},
      {"norbornane", "C1CC2CCC1C2", 2, {5, 5}, {}},
      {"cubane", "C12C3C4C1C5C2C3C45", 5, {4, 4, 4, 4, 4, 4}, std::vector<int>(8, 0xB2)},
      {"adamantane", "C1C2CC3CC1CC(C2)C3", 3, {6, 6, 6, 6}, {}},
      {"steroid core", "C1CCC2C(C1)CCC1C2CCC2CCCC12", 4, {5, 6, 6, 6}, {}},
      {"empty table", "", 0, {}, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    auto t = FromSmiles(c.smiles);
    EXPECT_EQ(t->RingsInMolecule(), c.rings);
    RingListType list;
    const int found = t->FindSSSR(list);
    EXPECT_EQ(found, list.Count);
    EXPECT_EQ(Sizes(list), c.sssr);
    for (int i = 1; i <= list.Count; ++i) EXPECT_TRUE(IsCycle(*t, list.Rings[i])) << i;
    EXPECT_EQ(t->CalcAttributes(), found);
    for (size_t a = 0; a < c.attrib.size(); ++a)
      EXPECT_EQ(t->GetAttrib(static_cast<int>(a) + 1), c.attrib[a]) << "atom " << a + 1;
    t->ClearAttributes();
    for (int a = 1; a <= t->GetNAtoms(); ++a) EXPECT_EQ(t->GetAttrib(a), 0);
  }
}

TEST(CTabRings, ShortestRingsThroughOneAtom) {
  auto t = FromSmiles("Cc1ccc2ccccc2c1");  // 2-methylnaphthalene
  RingListType list;
  list.Count = 7;
  EXPECT_EQ(t->FindShortestRings(1, list), 0);  // the methyl
  EXPECT_EQ(list.Count, 0);
  EXPECT_EQ(t->FindShortestRings(0, list), 0);
  EXPECT_EQ(t->FindShortestRings(12, list), 0);
  ASSERT_EQ(t->FindShortestRings(2, list), 1);
  EXPECT_EQ(list.Rings[1].Size, 6);
  EXPECT_EQ(list.Rings[1].Atoms[1], 2);         // path order from the start atom
  ASSERT_EQ(t->FindShortestRings(5, list), 2);  // a fusion atom lies in both
  EXPECT_EQ(Sizes(list), (std::vector<int>{6, 6}));
}

// The ring search keeps its marks to itself: the atom flags that join
// fragments survive it.
TEST(CTabRings, AtomFlagsAreNotTouched) {
  auto t = FromSmiles("c1ccc2ccccc2c1CC");
  for (int a = 1; a <= t->GetNAtoms(); ++a) t->SetAtFlag(a, a % 3 + 1);
  RingListType list;
  t->FindShortestRings(4, list);
  t->FindSSSR(list);
  t->CalcAttributes();
  for (int a = 1; a <= t->GetNAtoms(); ++a) EXPECT_EQ(t->GetAtFlag(a), a % 3 + 1) << a;
}

// Containment means containment in one single ring of the list: atoms spread
// over two listed rings are not "in the list" (the union of the marks would
// say they are, and would lose faces of cubane).
TEST(CTabRings, RingInRingListUsesOneRing) {
  auto ring = [](std::vector<int> atoms) {
    RingType r;
    r.Size = static_cast<uint8_t>(atoms.size());
    std::copy(atoms.begin(), atoms.end(), r.Atoms.begin() + 1);
    return r;
  };
  RingListType list;
  list.Rings[1] = ring({1, 2, 3, 4});
  list.Rings[2] = ring({3, 4, 5, 6});
  list.Count = 2;
  EXPECT_TRUE(RingInRingList(ring({4, 3, 2, 1}), list));
  EXPECT_TRUE(RingInRingList(ring({5, 6, 3}), list));
  EXPECT_FALSE(RingInRingList(ring({1, 2, 5, 6}), list));
  EXPECT_FALSE(RingInRingList(ring({1, 2, 7}), list));
  list.Count = 0;
  EXPECT_FALSE(RingInRingList(ring({1, 2, 3, 4}), list));
}

// Cages and dense graphs finish (the test's time limit is the bound) with
// the rings of the plain search; ring lists stop at 100.
TEST(CTabRings, CagesAndDenseGraphs) {
  // C60: each atom in one pentagon and two hexagons.
  std::vector<std::pair<int, int>> c60;
  {
    // The truncated icosahedron from the icosahedron: one atom per
    // (vertex, neighbour) pair, a pentagon round each vertex.
    const int ico[12][5] = {{1, 2, 3, 4, 5},   {0, 2, 6, 10, 5}, {0, 3, 7, 6, 1},
                            {0, 4, 8, 7, 2},   {0, 5, 9, 8, 3},  {0, 1, 10, 9, 4},
                            {1, 2, 7, 11, 10}, {2, 3, 8, 11, 6}, {3, 4, 9, 11, 7},
                            {4, 5, 10, 11, 8}, {5, 1, 6, 11, 9}, {6, 7, 8, 9, 10}};
    auto atom = [&](int v, int w) {
      for (int i = 0; i < 5; ++i)
        if (ico[v][i] == w) return v * 5 + i + 1;
      ADD_FAILURE() << v << " " << w;
      return 0;
    };
    for (int v = 0; v < 12; ++v) {
      for (int i = 0; i < 5; ++i) {
        c60.emplace_back(atom(v, ico[v][i]), atom(v, ico[v][(i + 1) % 5]));
        if (v < ico[v][i]) c60.emplace_back(atom(v, ico[v][i]), atom(ico[v][i], v));
      }
    }
  }
  auto t = Graph(60, c60);
  ASSERT_EQ(static_cast<int>(c60.size()), 90);
  EXPECT_EQ(t->RingsInMolecule(), 31);
  RingListType list;
  EXPECT_EQ(t->FindSSSR(list), 12);  // the pentagons: every atom has 3 bonds
  EXPECT_EQ(Sizes(list), std::vector<int>(12, 5));
  EXPECT_EQ(t->CalcAttributes(), 12);
  for (int a = 1; a <= 60; ++a) EXPECT_EQ(t->GetAttrib(a), 0x34) << a;

  // The complete graph of 11 atoms (10 bonds each; a twelfth atom would need
  // an eleventh slot): 45 triangles through each atom, and more than 100 in
  // all, so the set stops at 100.
  t = Complete(11);
  EXPECT_EQ(t->RingsInMolecule(), 45);
  EXPECT_EQ(t->FindShortestRings(1, list), 45);
  EXPECT_EQ(t->FindSSSR(list), kMaxRings);
  for (int i = 1; i <= list.Count; ++i) EXPECT_TRUE(IsCycle(*t, list.Rings[i]));
  auto k12 = Complete(11);
  CTElem c;
  c.AtType = 6;
  k12->AddAtom(c);
  EXPECT_FALSE(k12->MakeConnection(1, 12, 1));  // the slots of atom 1 are full

  // Both halves of K10,10: 405 four-rings through one atom; the list stops
  // at 100 of them.
  std::vector<std::pair<int, int>> k1010;
  for (int a = 1; a <= 10; ++a)
    for (int b = 11; b <= 20; ++b) k1010.emplace_back(a, b);
  t = Graph(20, k1010);
  EXPECT_EQ(t->FindShortestRings(1, list), kMaxRings);
  for (int i = 1; i <= list.Count; ++i) {
    EXPECT_EQ(list.Rings[i].Size, 4);
    EXPECT_TRUE(IsCycle(*t, list.Rings[i]));
  }
  EXPECT_EQ(t->FindSSSR(list), kMaxRings);

  // 63 atoms with 10 bonds each: each atom bonded to the next five round a
  // circle.
  std::vector<std::pair<int, int>> dense;
  for (int a = 0; a < 63; ++a)
    for (int d = 1; d <= 5; ++d) dense.emplace_back(a + 1, (a + d) % 63 + 1);
  t = Graph(63, dense);
  EXPECT_EQ(t->RingsInMolecule(), 315 - 63 + 1);
  EXPECT_EQ(t->FindShortestRings(1, list), 30);  // 20 on one side of atom 1, 10 across it
  EXPECT_EQ(t->FindSSSR(list), kMaxRings);
  EXPECT_EQ(t->CalcAttributes(), kMaxRings);
}

// Random graphs: the bounded search gives exactly the plain search's list
// (same rings, same order, same paths); the set's rings are cycles; the
// attributes agree with the set.
TEST(CTabRings, BoundedSearchMatchesPlainSearch) {
  std::mt19937 rng(17);
  for (int round = 0; round < 400; ++round) {
    const int n = 3 + static_cast<int>(rng() % 12);
    const int m = n + static_cast<int>(rng() % (2 * n));
    std::vector<std::pair<int, int>> bonds;
    auto t = Graph(n, {});
    for (int i = 0; i < m; ++i) {
      const int a = 1 + static_cast<int>(rng() % n), b = 1 + static_cast<int>(rng() % n);
      if (a != b && t->CheckConnect(a, b) == 0)
        t->MakeConnection(a, b, 1 + static_cast<int>(rng() % 4));
    }
    for (int s = 1; s <= n; ++s) {
      RingListType bounded, plain;
      PlainSearch{*t, s, plain}.Visit(s, 0);
      ASSERT_EQ(t->FindShortestRings(s, bounded), plain.Count) << round << " " << s;
      for (int i = 1; i <= plain.Count; ++i) ASSERT_EQ(bounded.Rings[i], plain.Rings[i]);
    }
    RingListType set;
    t->CalcAttributes();
    t->FindSSSR(set);
    std::vector<int> member(n + 1, 0);
    for (int i = 1; i <= set.Count; ++i) {
      ASSERT_TRUE(IsCycle(*t, set.Rings[i]));
      for (int k = 1; k <= set.Rings[i].Size; ++k) ++member[set.Rings[i].Atoms[k]];
    }
    for (int a = 1; a <= n; ++a) {
      const int at = t->GetAttrib(a);
      EXPECT_EQ((at & kAttrRing) != 0, member[a] > 0);
      EXPECT_EQ((at & kAttrMultiRing) != 0, member[a] > 1);
      EXPECT_EQ((at & kAttrChain) != 0, member[a] == 0);
      EXPECT_EQ((at & kAttrBranch) != 0, t->GetNBonds(a) > 2);
    }
  }
}

// ------------------------------------------------------------------ chains

TEST(CTabChains, StripEndsAndUnconnectedAtoms) {
  struct Case {
    const char* smiles;
    int left;  // StripfromChains
    int first_end, unconnected;
  } cases[] = {
      {"Cc1ccccc1", 6, 1, 0},
      {"CCCCCC", 0, 1, 0},
      {"C", 0, 0, 1},
      {"c1ccccc1.[Na+]", 7, 0, 1},
      {"C1CC1CCC1CC1", 8, 0, 0},  // the chain between two rings
                                  // stays
      {"c1ccccc1CCC(C)CC", 6, 10, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.smiles);
    auto t = FromSmiles(c.smiles);
    EXPECT_EQ(t->FindNextEndAtom(0), c.first_end);
    EXPECT_EQ(t->ContainsUnconnectedAtom(), c.unconnected != 0);
    EXPECT_EQ(t->StripfromChains(), c.left);
    EXPECT_EQ(t->GetNAtoms(), c.left);
    EXPECT_EQ(t->FindNextEndAtom(1), 0);
  }
  auto t = FromSmiles("CC(C)CC");
  EXPECT_EQ(t->FindNextEndAtom(2), 3);
  EXPECT_EQ(t->FindNextEndAtom(4), 5);
  EXPECT_EQ(t->FindNextEndAtom(6), 0);
}

// -------------------------------------------------------- functional groups

TEST(CTabFragments, FunctionalGroupCounts) {
  struct Case {
    const char* name;
    const char* smiles;
    std::map<FrgType, int> counts;  // kinds not named count 0
  } cases[] = {
      {"acetic acid",
       "CC(=O)O",
       {{NSglBnd, 2}, {NCCSgl, 1}, {NDblBnd, 1}, {NBranch, 1}, {COOH, 1}, {AnyCO, 1}, {AnyOH, 1}}},
      {"nitrobenzene as read",
       "c1ccccc1[N+](=O)[O-]",
       {{NSglBnd, 2}, {NDblBnd, 1}, {NAroBnd, 6}, {NBranch, 2}, {NO2, 1}, {AnyOH, 1}}},
      {"uncharged nitro", "CN(=O)=O", {{NSglBnd, 1}, {NDblBnd, 2}, {NBranch, 1}, {NO2, 1}}},
      {"ethyl acetate",
       "CC(=O)OCC",
       {{NSglBnd, 4}, {NCCSgl, 2}, {NDblBnd, 1}, {NBranch, 1}, {COO, 1}, {AnyCO, 1}}},
      {"aniline", "Nc1ccccc1", {{NSglBnd, 1}, {NAroBnd, 6}, {NBranch, 1}, {NH2, 1}}},
      {"DMF", "CN(C)C=O", {{NSglBnd, 3}, {NDblBnd, 1}, {NBranch, 1}, {AnyCO, 1}, {CHO, 1}}},
      {"urea", "NC(N)=O", {{NSglBnd, 2}, {NDblBnd, 1}, {NBranch, 1}, {AnyCO, 1}, {NCON, 1}}},
      {"acetamide",
       "CC(N)=O",
       {{NSglBnd, 2}, {NCCSgl, 1}, {NDblBnd, 1}, {NBranch, 1}, {AnyCO, 1}, {CONR2, 1}}},
      {"acetaldehyde", "CC=O", {{NSglBnd, 1}, {NCCSgl, 1}, {NDblBnd, 1}, {AnyCO, 1}, {CHO, 1}}},
      {"acetyl chloride",
       "CC(Cl)=O",
       {{NSglBnd, 2}, {NCCSgl, 1}, {NDblBnd, 1}, {NBranch, 1}, {XCnt, 1}, {AnyCO, 1}, {COX, 1}}},
      {"DMSO", "CS(C)=O", {{NSglBnd, 2}, {NDblBnd, 1}, {NBranch, 1}, {AnySO, 1}}},
      {"anisole", "COc1ccccc1", {{NSglBnd, 2}, {NAroBnd, 6}, {NBranch, 1}, {OCH3, 1}}},
      {"phenol", "Oc1ccccc1", {{NSglBnd, 1}, {NAroBnd, 6}, {NBranch, 1}, {AnyOH, 1}, {PhOH, 1}}},
      {"chlorobenzene",
       "Clc1ccccc1",
       {{NSglBnd, 1}, {NAroBnd, 6}, {NBranch, 1}, {XCnt, 1}, {AroCl, 1}}},
      {"bromobenzene",
       "Brc1ccccc1",
       {{NSglBnd, 1}, {NAroBnd, 6}, {NBranch, 1}, {XCnt, 1}, {AroBr, 1}}},
      {"diethylamine", "CCNCC", {{NSglBnd, 4}, {NCCSgl, 2}, {NHR, 1}}},
      {"triethylamine", "CCN(CC)CC", {{NSglBnd, 6}, {NCCSgl, 3}, {NBranch, 1}, {NR2, 1}}},
      {"acetonitrile", "CC#N", {{NSglBnd, 1}, {NCCSgl, 1}, {NTrplBnd, 1}, {CN, 1}}},
      {"acetylene and ethylene",
       "C#C.C=C",
       {{NTrplBnd, 1}, {NCCTrpl, 1}, {NDblBnd, 1}, {NCCDbl, 1}}},
      {"nitrosomethane", "CN=O", {{NSglBnd, 1}, {NDblBnd, 1}, {NO, 1}}},
      {"methylhydrazine", "CNN", {{NSglBnd, 2}, {NNH2, 1}, {NH2, 0}}},
      {"carbon dioxide", "O=C=O", {{NDblBnd, 2}, {AnyCO, 1}}},
      {"sodium benzoate",
       "[O-]C(=O)c1ccccc1.[Na+]",
       {{NSglBnd, 2},
        {NCCSgl, 1},
        {NDblBnd, 1},
        {NAroBnd, 6},
        {NBranch, 2},
        {COOH, 1},
        {AnyCO, 1},
        {AnyOH, 1}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const auto t = FromSmiles(c.smiles);
    for (int k = NSglBnd; k <= NNH2; ++k) {
      const auto it = c.counts.find(static_cast<FrgType>(k));
      EXPECT_EQ(t->FragmentCount(static_cast<FrgType>(k)), it == c.counts.end() ? 0 : it->second)
          << "kind " << k;
    }
    EXPECT_EQ(t->FragmentCount(static_cast<FrgType>(NNH2 + 1)), 0);
  }
  // The nitro rule wants the charges on both atoms of the single bond.
  EXPECT_EQ(FromSmiles("C[N+](=O)O")->FragmentCount(NO2), 0);
  EXPECT_EQ(FromSmiles("CN(=O)[O-]")->FragmentCount(NO2), 0);
}

TEST(CTabFragments, CodesAndTheirTexts) {
  struct Case {
    const char* smiles;
    int atom;
    const char* text;
    int second;
  } cases[] = {
      {"CC(=O)O", 2, "C2O1O1C", 0},
      {"CC(=O)O", 1, "C1C", 2},
      {"c1ccccc1", 1, "C4C4C", 2},
      {"C#N", 1, "C3N", 0},
      {"CC(C)(C)C", 2, "C1C1C1C1C", 0},
      {"C", 1, "C", 0},
      {"FC(F)(F)Br", 2, "C1Br1F1F1F", 0},
      {"ClP(Cl)Cl", 1, "Cl1P", 2},
      {"C[Si](C)(C)I", 2, "Si1I1C1C1C", 0},
      {"C[Sn](C)(C)C", 2, "Sn1C1C1C1C", 0},
      {"B1OO1", 1, "B1O1O", 2},
      {"F[As](F)F", 2, "As1F1F1F", 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.smiles);
    const auto t = FromSmiles(c.smiles);
    int second = -1;
    const int32_t code = t->FragmentCode(c.atom, second);
    EXPECT_GE(code, 0);
    EXPECT_EQ(FragmentStr(code), c.text);
    EXPECT_EQ(second, c.second);
  }
  int second = 0;
  // More than four bonds (here ten, more than the eight groups the code
  // was once given room for) is -2, whatever the partners.
  auto t = FromSmiles("FS(F)(F)(F)(F)F");
  EXPECT_EQ(t->FragmentCode(2, second), -2);
  EXPECT_EQ(second, 0);
  t = Complete(11);
  EXPECT_EQ(t->FragmentCode(1, second), -2);
  EXPECT_EQ(second, 90);
  // An element without an index, as the centre or a partner, is -1, and so
  // is an unknown (element 0) centre; an unknown partner is "RR".
  EXPECT_EQ(FromSmiles("[Na]O")->FragmentCode(1, second), -1);
  EXPECT_EQ(FromSmiles("[Na]O")->FragmentCode(2, second), -1);
  EXPECT_EQ(FromSmiles("C")->FragmentCode(2, second), -1);
  CTElem unknown;
  t = FromSmiles("C");
  t->AddAtom(unknown);
  t->MakeConnection(1, 2, 1);
  EXPECT_EQ(t->FragmentCode(2, second), -1);
  EXPECT_EQ(FragmentStr(t->FragmentCode(1, second)), "C1RR");
  for (const int32_t bad : {-1, -2, 0, 16, 0x10 | (1 << 4)})
    EXPECT_EQ(FragmentStr(bad), "ERROR") << bad;
  // The groups are sorted: the code does not depend on the slot order.
  EXPECT_EQ(FromSmiles("OC(C)=O")->FragmentCode(2, second),
            FromSmiles("CC(=O)O")->FragmentCode(2, second));
}

}  // namespace
}  // namespace tkz
