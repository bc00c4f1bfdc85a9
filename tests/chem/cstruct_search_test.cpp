// The substructure search against a brute-force subgraph check on random
// graphs, the cases that a match that is not one-to-one, that skips ring
// closures or their bond types would get wrong, known ring systems, dense
// graphs, the trace file, CompareWith and the atom template.

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <random>
#include <regex>
#include <string>
#include <tuple>
#include <vector>

#include "chem/cstruct.h"
#include "tests/chem/search_brute_force.h"

namespace tkz {
namespace {

namespace fs = std::filesystem;

struct Bond {
  int a, b, type;
};

// A table of the given elements and bonds (atoms from 1).
void Build(TCTab& t, const std::vector<int>& Z, const std::vector<Bond>& bonds) {
  t.Clear();
  for (const int z : Z) {
    CTElem e;
    e.AtType = static_cast<uint8_t>(z);
    ASSERT_TRUE(t.AddAtom(e));
  }
  for (const Bond& b : bonds) ASSERT_TRUE(t.MakeConnection(b.a, b.b, b.type)) << b.a << "-" << b.b;
}

// A ring of n atoms of element z, bond i-(i+1) of type types[i-1] (single
// when types is short), starting at atom first.
std::vector<Bond> Ring(int first, int n, std::vector<int> types = {}) {
  std::vector<Bond> r;
  for (int i = 0; i < n; ++i) {
    const int t = i < static_cast<int>(types.size()) ? types[i] : 1;
    r.push_back({first + i, first + (i + 1) % n, t});
  }
  return r;
}

std::vector<Bond> Join(std::vector<Bond> a, const std::vector<Bond>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

bool Found(const TCTab& s, const TCTab& q, bool bonds, TMatchMarks* marks = nullptr) {
  TMatchMarks m{};
  const bool r = s.SearchSubStruc(q, m, bonds);
  if (marks != nullptr) *marks = m;
  return r;
}

int Marked(const TMatchMarks& m) {
  int k = 0;
  for (const auto x : m) k += x;
  return k;
}

bool BruteForce(const TCTab& s, const TCTab& q, bool bonds) {
  return testing::BruteForceSubgraph(s, q, bonds);
}

// The atoms of the marks form a match of the query: as many as the query
// has, with the query's element counts.
void ExpectMarksFitQuery(const TCTab& s, const TCTab& q, const TMatchMarks& m) {
  ASSERT_EQ(Marked(m), q.GetNAtoms());
  std::vector<int> count(120, 0);
  for (int a = 1; a <= s.GetNAtoms(); ++a) count[s.GetAtNum(a)] += m[a];
  for (int a = 1; a <= q.GetNAtoms(); ++a) --count[q.GetAtNum(a)];
  for (const int c : count) EXPECT_EQ(c, 0);
}

TEST(CTabSearch, AgreesWithBruteForceOnRandomGraphs) {
  std::mt19937 rng(20261208);
  const int elements[] = {6, 6, 6, 7, 8};
  int hits = 0, misses = 0;
  for (int round = 0; round < 6000; ++round) {
    const int n = 2 + static_cast<int>(rng() % 7);  // 2..8 atoms
    TCTab s, q;
    std::vector<int> Z;
    for (int a = 0; a < n; ++a) Z.push_back(elements[rng() % 5]);
    std::vector<Bond> bonds;
    const int density = 1 + static_cast<int>(rng() % 3);
    for (int a = 1; a <= n; ++a) {
      for (int b = a + 1; b <= n; ++b) {
        if (static_cast<int>(rng() % 6) < density) {
          bonds.push_back({a, b, 1 + static_cast<int>(rng() % 3)});
        }
      }
    }
    Build(s, Z, bonds);
    if (round % 2 == 0) {
      // A connected subgraph of the target: a random walk's atoms and some
      // of the bonds among them, renumbered in a random order.
      std::vector<int> pick{1 + static_cast<int>(rng() % n)};
      for (int step = 0; step < 12; ++step) {
        const int from = pick[rng() % pick.size()];
        const int nb = s.GetNBonds(from);
        if (nb == 0) break;
        const int to = s.GetConnTo(from, 1 + static_cast<int>(rng() % nb));
        if (std::find(pick.begin(), pick.end(), to) == pick.end()) pick.push_back(to);
      }
      std::shuffle(pick.begin(), pick.end(), rng);
      std::vector<int> qZ;
      std::vector<Bond> qb;
      for (const int a : pick) qZ.push_back(s.GetAtNum(a));
      for (size_t i = 0; i < pick.size(); ++i) {
        for (size_t j = i + 1; j < pick.size(); ++j) {
          const int t = s.CheckConnect(pick[i], pick[j]);
          if (t != 0 && rng() % 4 != 0) {
            qb.push_back({static_cast<int>(i + 1), static_cast<int>(j + 1), t});
          }
        }
      }
      Build(q, qZ, qb);
    } else {
      const int m = 1 + static_cast<int>(rng() % n);
      std::vector<int> qZ;
      std::vector<Bond> qb;
      for (int a = 0; a < m; ++a) qZ.push_back(elements[rng() % 5]);
      for (int a = 2; a <= m; ++a) {  // a tree, plus a closure now and then
        qb.push_back({a, 1 + static_cast<int>(rng() % (a - 1)), 1 + static_cast<int>(rng() % 3)});
      }
      if (m > 2 && rng() % 2 == 0 &&
          std::none_of(qb.begin(), qb.end(), [&](const Bond& b) { return b.a == m && b.b == 1; })) {
        qb.push_back({1, m, 1 + static_cast<int>(rng() % 3)});
      }
      Build(q, qZ, qb);
    }
    for (const bool flag : {false, true}) {
      TMatchMarks marks{};
      const bool ours = Found(s, q, flag, &marks);
      // The brute force knows no ring-count pre-check; a query of more
      // independent rings cannot be a subgraph anyway.
      if (ours != BruteForce(s, q, flag)) {
        for (const TCTab* t : {&s, &q}) {
          for (int a = 1; a <= t->GetNAtoms(); ++a) {
            std::cerr << a << ":" << t->GetAtNum(a) << " [";
            for (int k = 1; k <= t->GetNBonds(a); ++k) std::cerr << t->GetConnTo(a, k) << " ";
            std::cerr << "] ";
          }
          std::cerr << "\n";
        }
      }
      ASSERT_EQ(ours, BruteForce(s, q, flag)) << "round " << round << " flag " << flag;
      if (ours) {
        ExpectMarksFitQuery(s, q, marks);
        ++hits;
      } else {
        EXPECT_EQ(Marked(marks), 0);
        ++misses;
      }
    }
  }
  EXPECT_GT(hits, 2000);
  EXPECT_GT(misses, 2000);
}

// Profiles made once and reused: every record against every query of a
// small library through one profile per record, reassigned in turn, must
// give the brute force's answer; so must the plain search on the same
// pairs. Profiles that do not describe their tables (another atom count)
// are not used.
TEST(CTabSearch, ReusedProfilesAgreeWithBruteForce) {
  std::mt19937 rng(7041);
  const int elements[] = {6, 6, 7, 8, 16};
  const auto randomTable = [&](TCTab& t, int n, int density) {
    std::vector<int> Z;
    for (int a = 0; a < n; ++a) Z.push_back(elements[rng() % 5]);
    std::vector<Bond> bonds;
    for (int a = 1; a <= n; ++a) {
      for (int b = a + 1; b <= n; ++b) {
        if (static_cast<int>(rng() % 10) < density) {
          bonds.push_back({a, b, 1 + static_cast<int>(rng() % 3)});
        }
      }
    }
    Build(t, Z, bonds);
  };
  std::vector<TCTab> queries(12), records(60);
  for (TCTab& q : queries) randomTable(q, 1 + static_cast<int>(rng() % 5), 5);
  for (TCTab& r : records) randomTable(r, 3 + static_cast<int>(rng() % 6), 4);
  std::vector<TSearchProfile> qp;
  for (const TCTab& q : queries) qp.emplace_back(q);
  TSearchProfile rp;
  int hits = 0, misses = 0;
  for (const TCTab& r : records) {
    rp.Assign(r);
    for (size_t i = 0; i < queries.size(); ++i) {
      for (const bool bonds : {false, true}) {
        const bool expected = BruteForce(r, queries[i], bonds);
        TMatchMarks m{};
        ASSERT_EQ(r.SearchSubStruc(queries[i], qp[i], m, bonds, rp), expected);
        if (expected) ExpectMarksFitQuery(r, queries[i], m);
        ASSERT_EQ(Found(r, queries[i], bonds), expected);
        (expected ? hits : misses)++;
      }
    }
  }
  EXPECT_GT(hits, 100);
  EXPECT_GT(misses, 100);
  // Swapped profiles: the atom counts differ, so the search makes its own.
  TCTab s, q;
  Build(s, {6, 6, 8}, {{1, 2, 1}, {2, 3, 2}});
  Build(q, {6, 8}, {{1, 2, 2}});
  TMatchMarks m{};
  EXPECT_TRUE(s.SearchSubStruc(q, TSearchProfile(s), m, true, TSearchProfile(q)));
  EXPECT_EQ(Marked(m), 2);
}

// The counts of the pre-checks reject only what cannot be found: each
// case differs from a hit in one count (bond kinds with and without types,
// bonds per atom, rings), and a table whose bond is entered on one atom
// only is not judged by its bond kinds at all.
TEST(CTabSearch, ProfileCountsRejectOnlyWhatCannotFit) {
  struct Case {
    const char* what;
    std::vector<int> sz;
    std::vector<Bond> sb;
    std::vector<int> qz;
    std::vector<Bond> qb;
    bool typed, untyped;
  } cases[] = {
      // clang-format off
      {"C=O in C=O", {6, 8}, {{1, 2, 2}}, {6, 8}, {{1, 2, 2}}, true, true},
      {"C=O in C-O", {6, 8}, {{1, 2, 1}}, {6, 8}, {{1, 2, 2}}, false, true},
      {"C-O in C-C-O", {6, 6, 8}, {{1, 2, 1}, {2, 3, 1}}, {6, 8}, {{1, 2, 1}}, true, true},
      {"O-C-O in O-C-C-O", {8, 6, 6, 8}, {{1, 2, 1}, {2, 3, 1}, {3, 4, 1}},
       {8, 6, 8}, {{1, 2, 1}, {2, 3, 1}}, false, false},
      {"C(-C)3 in a chain", {6, 6, 6, 6}, {{1, 2, 1}, {2, 3, 1}, {3, 4, 1}},
       {6, 6, 6, 6}, {{1, 2, 1}, {1, 3, 1}, {1, 4, 1}}, false, false},
      {"C(-C)3 in isobutane", {6, 6, 6, 6}, {{2, 1, 1}, {2, 3, 1}, {2, 4, 1}},
       {6, 6, 6, 6}, {{1, 2, 1}, {1, 3, 1}, {1, 4, 1}}, true, true},
      {"two C=C in one", {6, 6, 6}, {{1, 2, 2}, {2, 3, 1}}, {6, 6, 6}, {{1, 2, 2}, {2, 3, 2}},
       false, true},
      {"a ring in a chain", {6, 6, 6, 6}, {{1, 2, 1}, {2, 3, 1}, {3, 4, 1}},
       {6, 6, 6}, Ring(1, 3), false, false},
      // clang-format on
  };

  for (const Case& c : cases) {
    TCTab s, q;
    Build(s, c.sz, c.sb);
    Build(q, c.qz, c.qb);
    EXPECT_EQ(Found(s, q, true), c.typed) << c.what;
    EXPECT_EQ(Found(s, q, false), c.untyped) << c.what;
    EXPECT_EQ(BruteForce(s, q, true), c.typed) << c.what;
    EXPECT_EQ(BruteForce(s, q, false), c.untyped) << c.what;
  }
  // C=C entered on the first query atom only: the search checks a bond
  // from the atom matched second, so it finds the query in ethane even
  // with bond types; the bond kinds must not overrule it.
  TCTab ethane, q;
  Build(ethane, {6, 6}, {{1, 2, 1}});
  Build(q, {6, 6}, {});
  ASSERT_TRUE(q.EnterConn(1, 2, 2));
  EXPECT_TRUE(Found(ethane, q, true));
}

// Carbon 6, nitrogen 7, oxygen 8, sodium 11, chlorine 17, iron 26.
TEST(CTabSearch, MatchIsOneToOneAndChecksEveryQueryBond) {
  TCTab s, q;
  // O-C-N-C-O against a four-ring O1-C2-N3-C4 with an oxygen on N: both
  // carbons reach only O1, so a match that lets two query atoms share it is
  // wrong.
  Build(s, {8, 6, 7, 6, 8}, Join(Ring(1, 4), {{3, 5, 1}}));
  Build(q, {8, 6, 7, 6, 8}, {{1, 2, 1}, {2, 3, 1}, {3, 4, 1}, {4, 5, 1}});
  EXPECT_FALSE(Found(s, q, false));
  // The same chain in a five-ring holds it.
  Build(s, {8, 6, 7, 6, 8}, Ring(1, 5));
  EXPECT_TRUE(Found(s, q, false));

  // Cyclohexene against cyclohexane, the double bond at each position of
  // the query ring, so that it is a ring closure in one of them.
  Build(s, {6, 6, 6, 6, 6, 6}, Ring(1, 6));
  TCTab ene;
  Build(ene, {6, 6, 6, 6, 6, 6}, Ring(1, 6, {2}));
  for (int pos = 0; pos < 6; ++pos) {
    std::vector<int> types(6, 1);
    types[static_cast<size_t>(pos)] = 2;
    Build(q, {6, 6, 6, 6, 6, 6}, Ring(1, 6, types));
    EXPECT_FALSE(Found(s, q, true)) << pos;
    EXPECT_TRUE(Found(s, q, false)) << pos;
    EXPECT_TRUE(Found(ene, q, true)) << pos;
  }

  // Chlorocyclohexane, the chlorine on each ring atom (so once on the atom
  // where the ring closes), against cyclohexane next to chloromethane: the
  // substituent must be matched too.
  Build(s, {6, 6, 6, 6, 6, 6, 6, 17}, Join(Ring(1, 6), {{7, 8, 1}}));
  Build(ene, {6, 6, 6, 6, 6, 6, 17}, Join(Ring(1, 6), {{3, 7, 1}}));
  for (int at = 1; at <= 6; ++at) {
    Build(q, {6, 6, 6, 6, 6, 6, 17}, Join(Ring(1, 6), {{at, 7, 1}}));
    EXPECT_FALSE(Found(s, q, false)) << at;
    TMatchMarks m{};
    EXPECT_TRUE(Found(ene, q, false, &m)) << at;
    EXPECT_EQ(Marked(m), 7);
  }
}

TEST(CTabSearch, BenzeneInSodiumBenzoateAndToluene) {
  TCTab benzene, s;
  Build(benzene, {6, 6, 6, 6, 6, 6}, Ring(1, 6, {2, 1, 2, 1, 2, 1}));
  // Benzoate (Kekule) and a separate sodium ion: one ring, two parts.
  Build(s, {6, 6, 6, 6, 6, 6, 6, 8, 8, 11},
        Join(Ring(1, 6, {1, 2, 1, 2, 1, 2}), {{1, 7, 1}, {7, 8, 2}, {7, 9, 1}}));
  s.SetCharge(9, -1);
  s.SetCharge(10, 1);
  TMatchMarks m{};
  EXPECT_TRUE(Found(s, benzene, true, &m));
  EXPECT_EQ(Marked(m), 6);
  Build(s, {6, 6, 6, 6, 6, 6, 6}, Join(Ring(1, 6, {2, 1, 2, 1, 2, 1}), {{4, 7, 1}}));
  EXPECT_TRUE(Found(s, benzene, true, &m));
  for (int a = 1; a <= 7; ++a) EXPECT_EQ(m[a], a <= 6 ? 1 : 0) << a;
}

// Edge cases of the pre-checks, bond types and attributes.
TEST(CTabSearch, PreChecksBondTypesAndAttributes) {
  TCTab s, q;
  // More chlorine atoms than the structure: rejected.
  Build(s, {6, 17}, {{1, 2, 1}});
  Build(q, {17, 6, 17}, {{1, 2, 1}, {2, 3, 1}});
  EXPECT_FALSE(s.SumForContained(q));
  EXPECT_FALSE(Found(s, q, false));
  // Ethene in ethane: only without bond checking.
  Build(s, {6, 6}, {{1, 2, 1}});
  Build(q, {6, 6}, {{1, 2, 2}});
  EXPECT_FALSE(Found(s, q, true));
  EXPECT_TRUE(Found(s, q, false));
  // A ring query in a chain: fewer rings.
  Build(s, {6, 6, 6, 6, 6, 6}, {{1, 2, 1}, {2, 3, 1}, {3, 4, 1}, {4, 5, 1}, {5, 6, 1}});
  Build(q, {6, 6, 6}, Ring(1, 3));
  EXPECT_FALSE(Found(s, q, false));
  // A chain query whose atoms carry chain bits, in cyclohexane whose atoms
  // carry ring bits: not found; without the bits it is.
  Build(s, {6, 6, 6, 6, 6, 6}, Ring(1, 6));
  for (int a = 1; a <= 6; ++a) s.SetAttrib(a, kAttrRing | kAttrRing6);
  Build(q, {6, 6, 6}, {{1, 2, 1}, {2, 3, 1}});
  EXPECT_TRUE(Found(s, q, false));
  q.SetAttrib(1, kAttrChain | kAttrChainEnd);
  EXPECT_FALSE(Found(s, q, false));
  q.SetAttrib(1, kAttrRing);
  EXPECT_TRUE(Found(s, q, false));
  // An empty query is never found.
  q.Clear();
  EXPECT_FALSE(Found(s, q, false));
  // The start atom: a query of nitrogen last; a query of oxygen first.
  Build(s, {6, 6, 8, 6, 7}, {{1, 2, 1}, {2, 3, 1}, {3, 4, 1}, {4, 5, 1}});
  Build(q, {6, 8, 6, 7}, {{1, 2, 1}, {2, 3, 1}, {3, 4, 1}});
  EXPECT_TRUE(Found(s, q, false));
  Build(q, {8, 6, 7}, {{1, 2, 1}, {2, 3, 1}});
  EXPECT_TRUE(Found(s, q, false));
  Build(q, {8, 6, 6, 7}, {{1, 2, 1}, {2, 3, 1}, {3, 4, 1}});
  EXPECT_FALSE(Found(s, q, false));
  // A query of two parts: both must be placed on distinct atoms.
  Build(q, {8, 7}, {});
  EXPECT_TRUE(Found(s, q, false));
  Build(q, {8, 8}, {});
  EXPECT_FALSE(Found(s, q, false));
}

// Adamantane, cubane, a steroid core and a ferrocene-like 10-bond atom.
TEST(CTabSearch, KnownRingSystems) {
  TCTab adamantane, cubane, steroid, ferrocene, q;
  Build(adamantane, std::vector<int>(10, 6),
        Join(Ring(1, 6), {{1, 8, 1}, {8, 7, 1}, {3, 9, 1}, {9, 7, 1}, {5, 10, 1}, {10, 7, 1}}));
  Build(cubane, std::vector<int>(8, 6),
        Join(Join(Ring(1, 4), Ring(5, 4)), {{1, 5, 1}, {2, 6, 1}, {3, 7, 1}, {4, 8, 1}}));
  // Perhydrocyclopenta[a]phenanthrene: rings A, B, C (six) and D (five).
  Build(steroid, std::vector<int>(17, 6),
        {{1, 2, 1},   {2, 3, 1},  {3, 4, 1},   {4, 5, 1},   {5, 10, 1},  {10, 1, 1},  {5, 6, 1},
         {6, 7, 1},   {7, 8, 1},  {8, 9, 1},   {9, 10, 1},  {8, 14, 1},  {14, 13, 1}, {13, 12, 1},
         {12, 11, 1}, {11, 9, 1}, {13, 17, 1}, {17, 16, 1}, {16, 15, 1}, {15, 14, 1}});
  // Iron bonded to the ten carbons of two five-rings.
  Build(ferrocene, {26, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6}, Join(Ring(2, 5), Ring(7, 5)));
  for (int c = 2; c <= 11; ++c) ASSERT_TRUE(ferrocene.MakeConnection(1, c, 1));
  ASSERT_EQ(ferrocene.GetNBonds(1), 10);

  TCTab hexane, pentane, butane;
  Build(hexane, std::vector<int>(6, 6), Ring(1, 6));
  Build(pentane, std::vector<int>(5, 6), Ring(1, 5));
  Build(butane, std::vector<int>(4, 6), Ring(1, 4));
  struct Case {
    const TCTab* s;
    const TCTab* q;
    bool found;
  } cases[] = {
      {&adamantane, &hexane, true},  {&adamantane, &pentane, false},
      {&adamantane, &butane, false}, {&adamantane, &adamantane, true},
      {&cubane, &butane, true},      {&cubane, &hexane, true},  // the six-ring around a face pair
      {&cubane, &pentane, false},    {&cubane, &cubane, true},
      {&steroid, &hexane, true},     {&steroid, &pentane, true},
      {&steroid, &steroid, true},    {&steroid, &adamantane, false},
      {&ferrocene, &pentane, true},  {&ferrocene, &ferrocene, true},
      {&adamantane, &cubane, false}, {&cubane, &adamantane, false},
  };
  for (const Case& c : cases) {
    TMatchMarks m{};
    EXPECT_EQ(Found(*c.s, *c.q, true, &m), c.found)
        << c.s->GetNAtoms() << " atoms, query " << c.q->GetNAtoms();
    EXPECT_EQ(c.found, BruteForce(*c.s, *c.q, true));
    if (c.found) {
      EXPECT_EQ(Marked(m), c.q->GetNAtoms());
    }
  }
  // Fe with five carbons of one ring: the query's 10-bond atom is matched
  // when a part of its neighbours is asked for.
  Build(q, {26, 6, 6, 6, 6, 6}, Ring(2, 5));
  for (int c = 2; c <= 6; ++c) ASSERT_TRUE(q.MakeConnection(1, c, 1));
  EXPECT_TRUE(Found(ferrocene, q, true));
}

// Dense graphs: complete graphs of 11 atoms and 63 atoms of 10 bonds each.
// The harness's time limit is the bound.
TEST(CTabSearch, DenseGraphsFinish) {
  TCTab k11, q, s, dense, dense2;
  std::vector<Bond> all;
  for (int a = 1; a <= 11; ++a) {
    for (int b = a + 1; b <= 11; ++b) all.push_back({a, b, 1});
  }
  Build(k11, std::vector<int>(11, 6), all);
  EXPECT_TRUE(Found(k11, k11, true));
  // A circulant graph: atom i bonded to i +- 1..5 (mod 63).
  const auto circulant = [](const std::vector<int>& steps) {
    std::vector<Bond> b;
    for (int i = 0; i < 63; ++i) {
      for (const int d : steps) b.push_back({1 + i, 1 + (i + d) % 63, 1});
    }
    return b;
  };
  Build(dense, std::vector<int>(63, 6), circulant({1, 2, 3, 4, 5}));
  Build(dense2, std::vector<int>(63, 6), circulant({1, 2, 3, 4, 6}));
  for (int a = 1; a <= 63; ++a) ASSERT_EQ(dense.GetNBonds(a), 10);
  // K6 (atoms i..i+5) is in the first graph; K11 in neither.
  std::vector<Bond> k6;
  for (int a = 1; a <= 6; ++a) {
    for (int b = a + 1; b <= 6; ++b) k6.push_back({a, b, 1});
  }
  Build(q, std::vector<int>(6, 6), k6);
  EXPECT_TRUE(Found(dense, q, true));
  EXPECT_FALSE(Found(dense2, q, true));
  EXPECT_FALSE(Found(dense, k11, true));
  EXPECT_TRUE(Found(dense, dense, true));
  EXPECT_FALSE(Found(dense, dense2, true));
  // Queries of many parts with one part that is nowhere: single atoms and
  // bonds placed in every order before the missing part fails, unless it
  // fails first.
  std::vector<Bond> none, pairs;
  Build(s, std::vector<int>(40, 6), none);
  Build(q, std::vector<int>(20, 6), {{19, 20, 1}});
  EXPECT_FALSE(Found(s, q, false));
  std::vector<int> z(40, 6);
  for (int a = 1; a <= 39; a += 2) pairs.push_back({a, a + 1, 1});
  z[38] = z[39] = 7;  // the last pair N-N; the query asks for N=N
  Build(s, z, pairs);
  std::vector<int> qz(16, 6);
  qz[14] = qz[15] = 7;
  pairs.resize(8);
  pairs[7].type = 2;
  Build(q, qz, pairs);
  EXPECT_FALSE(Found(s, q, true));
  EXPECT_TRUE(Found(s, q, false));
  EXPECT_FALSE(Found(dense2, dense, true));
}

// Changes into a fresh folder for the trace file, and back.
class SearchTrace : public ::testing::Test {
 protected:
  void SetUp() override {
    old_ = fs::current_path();
    dir_ = fs::temp_directory_path() / ("tkz_trace_" + std::to_string(::getpid()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    fs::current_path(dir_);
  }
  void TearDown() override {
    fs::current_path(old_);
    fs::remove_all(dir_);
  }
  fs::path old_, dir_;
};

TEST_F(SearchTrace, FourLinesPerStepOnlyWhenOn) {
  TCTab s, q;
  Build(s, {6, 6, 6, 8}, {{1, 2, 1}, {2, 3, 1}, {3, 4, 1}});
  Build(q, {6, 8}, {{1, 2, 1}});
  EXPECT_TRUE(Found(s, q, false));
  EXPECT_FALSE(fs::exists(kSearchTraceFile));
  // Rejected by the pre-check: nothing written even when on.
  s.SetSearchTrace(true);
  TCTab cl;
  Build(cl, {17}, {});
  EXPECT_FALSE(Found(s, cl, false));
  EXPECT_FALSE(fs::exists(kSearchTraceFile));
  EXPECT_TRUE(Found(s, q, false));
  EXPECT_TRUE(Found(s, q, false));  // appended to
  std::ifstream in(kSearchTraceFile);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  ASSERT_FALSE(lines.empty());
  ASSERT_EQ(lines.size() % 4, 0u);
  const std::regex level(R"(level=\d+  \d+ \d+ \d+ \d+)"), result("[TF] [TF]"),
      final("final: [TF]");
  int levels = 0, finals = 0;
  for (const std::string& line : lines) {
    if (line.starts_with("level=")) {
      EXPECT_TRUE(std::regex_match(line, level)) << line;
      ++levels;
    } else if (line.starts_with("final: ")) {
      EXPECT_TRUE(std::regex_match(line, final)) << line;
      ++finals;
    } else if (line != "--------------") {
      EXPECT_TRUE(std::regex_match(line, result)) << line;
    }
  }
  EXPECT_EQ(levels, finals);
  EXPECT_EQ(static_cast<size_t>(levels) * 4, lines.size());
  EXPECT_EQ(lines[0], "level=0  0 0 4 2");  // the oxygen starts, against atom 4
  EXPECT_EQ(lines[1], "T F");
}

TEST(CTabSearch, CompareWithReportsEachField) {
  TCTab a, b;
  Build(a, {6, 8, 7}, {{1, 2, 2}, {2, 3, 1}});
  a.SetStrucName("Test");
  a.SetCoords(2, 1, 3.0f);
  b.CopyFrom(a);
  EXPECT_EQ(a.CompareWith(b), 0);
  b.SetCoords(2, 1, 3.5f);
  EXPECT_EQ(a.CompareWith(b), 0x0200);
  const std::vector<std::tuple<uint16_t, void (*)(TCTab&)>> cases = {
      {0x0000, [](TCTab& t) { t.SetStrucName("TEST"); }},
      {0x0002, [](TCTab& t) { t.SetStrucName("other"); }},
      {0x0004, [](TCTab& t) { t.SetCoordUnit(cuAngstrom); }},
      {0x0008, [](TCTab& t) { t.SetCASNr("7732-18-5"); }},
      {0x0010, [](TCTab& t) { t.SetAtNum(1, 16); }},
      {0x0020, [](TCTab& t) { t.SetAtWeight(1, 13); }},
      {0x0040, [](TCTab& t) { t.SetAtFlag(3, 1); }},
      {0x0080, [](TCTab& t) { t.SetAttrib(3, kAttrRing); }},
      {0x0100, [](TCTab& t) { t.SetCharge(3, 1); }},
      {0x0400, [](TCTab& t) { t.SetCoords(1, 2, 1.0f); }},
      {0x0800, [](TCTab& t) { t.SetCoords(1, 3, 1.0f); }},
      {0x3000, [](TCTab& t) { t.MakeConnection(1, 3, 1); }},
      {0x2000, [](TCTab& t) { t.MakeConnection(1, 2, 1); }},
  };
  for (const auto& [bits, change] : cases) {
    b.CopyFrom(a);
    change(b);
    EXPECT_EQ(a.CompareWith(b), bits) << std::hex << bits;
  }
  // An atom more: the count, and the new entry against a cleared one.
  b.CopyFrom(a);
  CTElem e;
  e.AtType = 6;
  b.AddAtom(e);
  EXPECT_EQ(a.CompareWith(b), 0x0011);
}

TEST(CTabSearch, AtomTemplate) {
  TCTab t;
  // Acetic acid with its oxygen and an amine: C1-C2(=O3)-O4, C1-N5.
  Build(t, {6, 6, 8, 8, 7}, {{1, 2, 1}, {2, 3, 2}, {2, 4, 1}, {1, 5, 1}});
  const auto list = [&](int el, int nb, std::array<uint8_t, kMaxCTConn> types) {
    AtListType out{};
    out.fill(-7);
    t.MatchAtomTemplate(el, nb, types, out);
    std::vector<int> v(out.begin() + 1, out.begin() + 1 + out[0]);
    for (int i = out[0] + 1; i <= kMaxCTAtoms; ++i) EXPECT_EQ(out[i], 0);
    return v;
  };
  using V = std::vector<int>;
  EXPECT_EQ(list(-6, 0, {}), (V{3, 4, 5}));
  EXPECT_EQ(list(0, 0, {}), (V{1, 2, 3, 4, 5}));
  EXPECT_EQ(list(6, 0, {}), (V{1, 2}));
  EXPECT_EQ(list(0, 1, {}), (V{3, 4, 5}));
  EXPECT_EQ(list(0, -1, {}), (V{1, 2}));
  EXPECT_EQ(list(0, 0, {2}), (V{2, 3}));
  EXPECT_EQ(list(0, 0, {1, 2}), (V{2}));
  // Each bond supplies one entry: two single bonds are needed for {1, 1}.
  EXPECT_EQ(list(0, 0, {1, 1}), (V{1, 2}));
  EXPECT_EQ(list(0, 0, {2, 2}), V{});
  EXPECT_EQ(list(0, 0, {1, 1, 2}), (V{2}));
  EXPECT_EQ(list(8, 0, {0, 0, 1}), (V{4}));
}

}  // namespace
}  // namespace tkz
