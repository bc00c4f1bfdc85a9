// The clear-text connection tables CONTAB and CTABG (round trips over random
// structures, hand-written blocks, the keyword search, bad input) and the
// connectivity export, parsed back.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <bit>
#include <functional>
#include <memory>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "chem/cdata.h"
#include "chem/cstruct.h"
#include "support/temp_dir.h"

namespace tkz {
namespace {

using Bonds = std::set<std::tuple<int, int, int>>;  // (a, b, type), a < b

// Fails the test unless the table keeps its invariants: every slot list
// without gaps, partners within 1..n, none twice, no atom bonded to itself,
// every bond on both atoms with the same type.
void ExpectSound(const TCTab& t) {
  const int n = t.GetNAtoms();
  ASSERT_GE(n, 0);
  ASSERT_LE(n, kMaxCTAtoms);
  for (int a = 1; a <= n; ++a) {
    std::set<int> seen;
    bool gap = false;
    for (int k = 1; k <= kMaxCTConn; ++k) {
      const int b = t.GetConnTo(a, k);
      if (b == 0) {
        gap = true;
        continue;
      }
      EXPECT_FALSE(gap) << "atom " << a << " slot " << k;
      EXPECT_TRUE(b >= 1 && b <= n && b != a) << "atom " << a << " partner " << b;
      EXPECT_TRUE(seen.insert(b).second) << "atom " << a << " partner " << b << " twice";
      EXPECT_EQ(t.CheckConnect(b, a), t.GetTypConn(a, k)) << a << "-" << b;
    }
  }
}

Bonds BondsOf(const TCTab& t) {
  Bonds bonds;
  for (int a = 1; a <= t.GetNAtoms(); ++a) {
    for (int k = 1; k <= t.GetNBonds(a); ++k) {
      const int b = t.GetConnTo(a, k);
      if (a < b) bonds.insert({a, b, t.GetTypConn(a, k)});
    }
  }
  return bonds;
}

void ExpectSameTable(const TCTab& want, const TCTab& got) {
  ASSERT_EQ(want.GetNAtoms(), got.GetNAtoms());
  EXPECT_EQ(want.GetStrucName(), got.GetStrucName());
  for (int a = 1; a <= want.GetNAtoms(); ++a) {
    EXPECT_EQ(want.GetAtomEntries(a), got.GetAtomEntries(a)) << "atom " << a;
  }
}

CTElem Atom(int z, int weight = 0, float x = 0, float y = 0, float z3 = 0) {
  CTElem e;
  e.AtType = static_cast<uint8_t>(z);
  e.AtWeight = static_cast<uint16_t>(weight != 0 ? weight : IntAtWeight(z));
  e.Coords = {0, x, y, z3};
  return e;
}

enum class Reader { kContab, kCTabG, kBody };

class ClearTextTest : public testing_support::TempDirTest {
 protected:
  // Puts Text into a file and runs the reader on it.
  bool Read(TCTab& t, const std::string& text, Reader r = Reader::kContab) {
    Put(Path("in.txt"), text);
    TTextFile f;
    f.AssignFile(Path("in.txt"));
    f.Reset();
    switch (r) {
      case Reader::kContab:
        return t.ReadFromClearTextFile(f);
      case Reader::kCTabG:
        return t.ReadFromClearTextFileCTABG(f);
      case Reader::kBody:
        return t.ReadConnTabBody(f);
    }
    return false;
  }

  std::string Write(const std::function<void(TTextFile&)>& w) {
    TTextFile f;
    f.AssignFile(Path("out.txt"));
    f.Rewrite();
    w(f);
    f.CloseFile();
    return Slurp(Path("out.txt"));
  }
};

// -------------------------------------------------------------- round trip

// A random structure: elements, isotopes, attributes and charges over their
// whole ranges, coordinates from whole numbers to extreme floats, bonds of
// every type up to 10 on an atom, and names with blanks, high bytes, slashes
// and several lines' worth of text.
void RandomTable(std::mt19937& rng, TCTab& t) {
  t.Clear();
  auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  auto coord = [&]() -> float {
    switch (pick(0, 4)) {
      case 0:
        return static_cast<float>(pick(0, 32767));
      case 1:
        return std::uniform_real_distribution<float>(-1e4f, 1e4f)(rng);
      case 2:
        return pick(0, 1) ? 1e-30f * static_cast<float>(pick(1, 1000)) : -3.4e38f;
      case 3:
        return -0.0f;
      default:
        return std::bit_cast<float>(static_cast<uint32_t>(rng()) & 0xBF7FFFFFu);  // finite
    }
  };
  const int n = pick(1, kMaxCTAtoms);
  for (int a = 1; a <= n; ++a) {
    CTElem e;
    e.AtType = static_cast<uint8_t>(pick(1, kMaxAtomicNumber));
    e.AtWeight = static_cast<uint16_t>(pick(0, 0xFFFF));
    e.Attrib = static_cast<uint8_t>(pick(0, 255));
    e.Charge = static_cast<int8_t>(pick(-128, 127));
    e.Coords = {0, coord(), coord(), coord()};
    ASSERT_TRUE(t.AddAtom(e));
  }
  for (int i = pick(0, 3 * n); i > 0 && n > 1; --i) {
    const int a = pick(1, n), b = pick(1, n);
    if (a != b && t.CheckConnect(a, b) == 0) t.MakeConnection(a, b, pick(1, 4));
  }
  std::string name;
  for (int i = pick(0, 3) == 0 ? 0 : pick(1, 300); i > 0; --i) {
    char c = static_cast<char>(pick(0x20, 0xFF));
    if (c == 0x7F) c = '/';
    name += c;
  }
  t.SetStrucName(name);
}

TEST_F(ClearTextTest, RandomStructuresReadBackEqualOneAfterAnother) {
  std::mt19937 rng(20261208);
  std::vector<std::unique_ptr<TCTab>> tables;
  for (int i = 0; i < 300; ++i) {
    tables.push_back(std::make_unique<TCTab>());
    RandomTable(rng, *tables.back());
  }
  // All blocks in one file: each read leaves the file where the next search
  // starts.
  Write([&](TTextFile& f) {
    for (const auto& t : tables) t->WriteToClearTextFile(f);
  });
  TTextFile f;
  f.AssignFile(Path("out.txt"));
  f.Reset();
  for (const auto& want : tables) {
    TCTab got;
    ASSERT_TRUE(got.ReadFromClearTextFile(f));
    ExpectSameTable(*want, got);
    ExpectSound(got);
  }
  TCTab rest;
  EXPECT_FALSE(rest.ReadFromClearTextFile(f));
}

// CTABG holds 8 bonds an atom and no z: tables within that read back equal;
// a table with an atom of 9 bonds is refused with nothing written.
TEST_F(ClearTextTest, CTabGWriterReadsBackEqual) {
  std::mt19937 rng(7);
  std::vector<std::unique_ptr<TCTab>> tables;
  while (tables.size() < 100) {
    auto t = std::make_unique<TCTab>();
    RandomTable(rng, *t);
    int atom = 0;
    if (t->MaxNBonds(atom) > 8) continue;
    for (int a = 1; a <= t->GetNAtoms(); ++a) t->SetCoords(a, 3, 0);
    tables.push_back(std::move(t));
  }
  Write([&](TTextFile& f) {
    for (const auto& t : tables) ASSERT_TRUE(t->WriteToClearTextFileCTABG(f));
  });
  TTextFile f;
  f.AssignFile(Path("out.txt"));
  f.Reset();
  for (const auto& want : tables) {
    TCTab got;
    ASSERT_TRUE(got.ReadFromClearTextFileCTABG(f));
    ExpectSameTable(*want, got);
  }
  f.CloseFile();
  TCTab star;  // a centre with nine neighbours
  for (int a = 1; a <= 10; ++a) ASSERT_TRUE(star.AddAtom(CTElem{.AtType = 6, .AtWeight = 12}));
  for (int a = 2; a <= 10; ++a) ASSERT_TRUE(star.MakeConnection(1, a, 1));
  bool written = true;
  EXPECT_EQ(Write([&](TTextFile& g) { written = star.WriteToClearTextFileCTABG(g); }), "");
  EXPECT_FALSE(written);
}

TEST_F(ClearTextTest, WrittenBlockLayout) {
  TCTab t;
  t.AddAtom(Atom(6, 13, 1.5f, -2, 0));
  t.AddAtom(Atom(8, 0, 0.25f, 3, 1e-7f));
  t.MakeConnection(1, 2, 2);
  t.SetCharge(2, -1);
  t.SetStrucName(std::string(80, 'n'));
  EXPECT_EQ(Write([&](TTextFile& f) { t.WriteToClearTextFile(f); }),
            "/CONTAB 6 2\r\n " + std::string(72, 'n') + "\r\n " + std::string(8, 'n') +
                "\r\n1 6 13 0 0 1.5 -2 0 1 2 2\r\n2 8 16 0 -1 0.25 3 1e-07 1 1 2\r\n");
}

// ----------------------------------------------------------- hand-written

TEST_F(ClearTextTest, OneAtomBlockWithOneNameLine) {
  TCTab t;
  ASSERT_TRUE(Read(t, "/CONTAB 3 1\r\nXMethane\r\n1 6 12 0 0 10 20 30 0\r\n"));
  EXPECT_EQ(t.GetNAtoms(), 1);
  EXPECT_EQ(t.GetStrucName(), "Methane");
  EXPECT_EQ(t.GetAtNum(1), 6);
  EXPECT_EQ(t.GetAtWeight(1), 12);
  EXPECT_EQ(t.GetCoords(1, 1), 10);
  EXPECT_EQ(t.GetCoords(1, 2), 20);
  EXPECT_EQ(t.GetCoords(1, 3), 30);
  EXPECT_EQ(t.GetNBonds(1), 0);
}

struct BodyCase {
  const char* name;
  const char* text;
  Reader reader;
  std::vector<int> elements;
  Bonds bonds;
  const char* strucname;
};

// Bonds listed on both atoms, on the earlier or the later atom only, records
// broken across lines, CTABG's empty partner places, disagreeing types.
const BodyCase kBodyCases[] = {
    {"contab_records_across_lines",
     "/CONTAB 7 3\n Ethanol\n1 6 12 0 0\n 0 0 0 1 2 1\n2 6 12 0 0 1 0 0 2 1 3\n1 1 3 8 16 0 0 2 0 "
     "0 "
     "1 2 1\n",
     Reader::kContab,
     {6, 6, 8},
     {{1, 2, 1}, {2, 3, 1}},
     "Ethanol"},
    {"contab_bonds_to_later_atoms_only",
     "/CONTAB 6 3\n1 6 12 0 0 0 0 0 2 2 3 2 1\n2 8 16 0 0 0 0 0 0\n3 8 16 0 0 0 0 0 0\n",
     Reader::kContab,
     {6, 8, 8},
     {{1, 2, 2}, {1, 3, 1}},
     ""},
    {"contab_bonds_to_earlier_atoms_only",
     "/CONTAB 6 3\n1 6 12 0 0 0 0 0 0\n2 6 12 0 0 0 0 0 1 1 3\n3 7 14 0 0 0 0 0 1 2 3\n",
     Reader::kContab,
     {6, 6, 7},
     {{1, 2, 3}, {2, 3, 3}},
     ""},
    {"contab_lower_atom_type_wins",
     "/CONTAB 4 2\n1 6 12 0 0 0 0 0 1 2 2\n2 6 12 0 0 0 0 0 1 1 1\n",
     Reader::kContab,
     {6, 6},
     {{1, 2, 2}},
     ""},
    {"body_without_keyword",
     "4 2\n1 17 35 0 0 0 0 0 1 2 1\n2 17 37 0 0 0 0 0 1 1 1\n",
     Reader::kBody,
     {17, 17},
     {{1, 2, 1}},
     ""},
    {"ctabg_acetic_acid",
     "/CTABG 5 4\n Acetic acid\n"
     "6 12 0 0 0 0 2 0 0 0 0 0 0 0 1 0 0 0 0 0 0 0\n"
     "6 12 0 0 10 0 1 3 4 0 0 0 0 0 1 2 1 0 0 0 0 0\n"
     "8 16 0 0 20 5 2 0 0 0 0 0 0 0 2 0 0 0 0 0 0 0\n"
     "8 16 0 0 20 -5 2 0 0 0 0 0 0 0 1 0 0 0 0 0 0 0\n",
     Reader::kCTabG,
     {6, 6, 8, 8},
     {{1, 2, 1}, {2, 3, 2}, {2, 4, 1}},
     "Acetic acid"},
    {"ctabg_gaps_and_one_way_bonds",
     "/CTABG 4 3\n"  // one name line of a single character: an empty name
     "x\n"
     "7 14 0 1 0 0 0 2 0 3 0 0 0 0 9 1 9 4 0 0 0 0\n"
     "6 12 0 0 1 1 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0\n"
     "6 12 0 0 2 2 2 0 0 0 0 0 0 0 4 0 0 0 0 0 0 0\n",
     Reader::kCTabG,
     {7, 6, 6},
     {{1, 2, 1}, {1, 3, 4}, {2, 3, 4}},
     ""},
    {"ctabg_eight_partners",
     "/CTABG 9 9\n"
     "16 32 0 0 0 0 2 3 4 5 6 7 8 9 1 1 1 1 1 1 1 1\n"
     "9 19 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0\n9 19 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0\n"
     "9 19 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0\n9 19 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0\n"
     "9 19 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0\n9 19 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0\n"
     "9 19 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0\n9 19 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0\n",
     Reader::kCTabG,
     {16, 9, 9, 9, 9, 9, 9, 9, 9},
     {{1, 2, 1}, {1, 3, 1}, {1, 4, 1}, {1, 5, 1}, {1, 6, 1}, {1, 7, 1}, {1, 8, 1}, {1, 9, 1}},
     ""},
};

TEST_F(ClearTextTest, HandWrittenBlocks) {
  for (const BodyCase& c : kBodyCases) {
    SCOPED_TRACE(c.name);
    TCTab t;
    ASSERT_TRUE(Read(t, c.text, c.reader));
    std::vector<int> elements;
    for (int a = 1; a <= t.GetNAtoms(); ++a) elements.push_back(t.GetAtNum(a));
    EXPECT_EQ(elements, c.elements);
    EXPECT_EQ(BondsOf(t), c.bonds);
    EXPECT_EQ(t.GetStrucName(), c.strucname);
    ExpectSound(t);
  }
}

TEST_F(ClearTextTest, CTabGFieldsAndCoordinates) {
  TCTab t;
  ASSERT_TRUE(Read(t, kBodyCases[5].text, Reader::kCTabG));
  EXPECT_EQ(t.GetCoords(3, 1), 20);
  EXPECT_EQ(t.GetCoords(3, 2), 5);
  EXPECT_EQ(t.GetCoords(3, 3), 0);
  TCTab g;
  ASSERT_TRUE(Read(g, kBodyCases[6].text, Reader::kCTabG));
  EXPECT_EQ(g.GetCharge(1), 1);
  EXPECT_EQ(g.GetAtWeight(1), 14);
}

// ---------------------------------------------------------- keyword search

struct SearchCase {
  const char* name;
  std::string text;
  bool ok;
};

const std::string kWater = "2 1\n1 8 16 0 0 0 0 0 0\n";

const SearchCase kSearchCases[] = {
    {"text_before", "Some words, numbers 1 2 3\nand more\n/CONTAB " + kWater, true},
    {"slashes_before", "a/b c/ /CONTA /CTABG 4 1\n//x\n/CONTAB " + kWater, true},
    {"keyword_inside_window", "/XCONTAB " + kWater, true},
    {"double_slash", "//CONTAB " + kWater, true},
    {"counts_on_next_line", "/CONTAB\n" + kWater, true},
    {"binary_before", std::string("\x00\x1A\xFF/\x01/\n", 7) + "/CONTAB " + kWater, true},
    {"keyword_cut_by_line_end", "/CONT\nAB " + kWater, false},
    {"other_keyword_only", "/CTABG " + kWater, false},
    {"keyword_at_end", "lots of text /CONTAB", false},
    {"keyword_then_blank_at_end", "/CONTAB \n", false},
    {"empty_file", "", false},
};

TEST_F(ClearTextTest, KeywordSearch) {
  for (const SearchCase& c : kSearchCases) {
    SCOPED_TRACE(c.name);
    TCTab t;
    EXPECT_EQ(Read(t, c.text), c.ok);
    if (c.ok) {
      EXPECT_EQ(t.GetNAtoms(), 1);
      EXPECT_EQ(t.GetAtNum(1), 8);
    }
  }
}

// -------------------------------------------------------------- bad input

struct BadCase {
  const char* name;
  std::string text;
  int atoms;  // atoms the table holds afterwards; -1: the old table is kept
};

std::string Repeat(const std::string& s, int times) {
  std::string r;
  for (int i = 0; i < times; ++i) r += s;
  return r;
}

const std::string kC = "1 6 12 0 0 0 0 0 0\n";  // a carbon without bonds

const BadCase kBadCases[] = {
    // counts
    {"counts_not_numbers", "/CONTAB abc 1\n" + kC, -1},
    {"counts_missing", "/CONTAB", -1},
    {"l_zero", "/CONTAB 0 1\n" + kC, -1},
    {"l_negative", "/CONTAB -5 1\n" + kC, -1},
    {"n_zero", "/CONTAB 2 0\n" + kC, -1},
    {"n_negative", "/CONTAB 2 -3\n" + kC, -1},
    {"counts_overflow", "/CONTAB 99999999999999999999 1\n" + kC, -1},
    {"counts_fractional", "/CONTAB 2.0 1\n" + kC, -1},
    {"counts_huge", "/CONTAB 9223372036854775807 9223372036854775807\n" + kC, 1},
    {"name_lines_beyond_end", "/CONTAB 1000000000000 1\n" + kC, 0},
    {"n_64", "/CONTAB 128 64\n" + Repeat(kC, 64), 63},
    {"n_huge_few_records", "/CONTAB 2000000 1000000\n" + Repeat(kC, 2), 2},
    // end of the file inside a record
    {"end_in_record", "/CONTAB 4 2\n" + kC + "2 6 12 0", 1},
    {"end_in_partners", "/CONTAB 4 2\n" + kC + "2 6 12 0 0 0 0 0 1 1", 1},
    {"end_before_record", "/CONTAB 4 2\n" + kC, 1},
    // bond lists
    {"k_eleven", "/CONTAB 4 2\n" + kC + "2 6 12 0 0 0 0 0 11 1 1 1 1 1 1 1 1 1 1 1", 1},
    {"k_negative", "/CONTAB 4 2\n" + kC + "2 6 12 0 0 0 0 0 -1 1 1", 1},
    {"partner_zero", "/CONTAB 4 2\n" + kC + "2 6 12 0 0 0 0 0 1 0 1\n", 1},
    {"partner_beyond_n", "/CONTAB 4 2\n" + kC + "2 6 12 0 0 0 0 0 1 3 1\n", 1},
    {"partner_beyond_table", "/CONTAB 4 2\n" + kC + "2 6 12 0 0 0 0 0 1 200 1\n", 1},
    {"partner_negative", "/CONTAB 4 2\n" + kC + "2 6 12 0 0 0 0 0 1 -1 1\n", 1},
    {"self_bond", "/CONTAB 4 2\n" + kC + "2 6 12 0 0 0 0 0 1 2 1\n", 1},
    {"partner_twice", "/CONTAB 4 2\n" + kC + "2 6 12 0 0 0 0 0 2 1 1 1 1\n", 1},
    {"type_zero", "/CONTAB 4 2\n" + kC + "2 6 12 0 0 0 0 0 1 1 0\n", 1},
    {"type_five", "/CONTAB 4 2\n" + kC + "2 6 12 0 0 0 0 0 1 1 5\n", 1},
    // fields
    {"element_zero", "/CONTAB 4 2\n" + kC + "2 0 12 0 0 0 0 0 0\n", 1},
    {"element_104", "/CONTAB 4 2\n" + kC + "2 104 12 0 0 0 0 0 0\n", 1},
    {"element_negative", "/CONTAB 4 2\n" + kC + "2 -6 12 0 0 0 0 0 0\n", 1},
    {"element_fractional", "/CONTAB 4 2\n" + kC + "2 6.5 12 0 0 0 0 0 0\n", 1},
    {"weight_too_big", "/CONTAB 4 2\n" + kC + "2 6 65536 0 0 0 0 0 0\n", 1},
    {"weight_negative", "/CONTAB 4 2\n" + kC + "2 6 -1 0 0 0 0 0 0\n", 1},
    {"attrib_256", "/CONTAB 4 2\n" + kC + "2 6 12 256 0 0 0 0 0\n", 1},
    {"charge_128", "/CONTAB 4 2\n" + kC + "2 6 12 0 128 0 0 0 0\n", 1},
    {"charge_minus_129", "/CONTAB 4 2\n" + kC + "2 6 12 0 -129 0 0 0 0\n", 1},
    {"coordinate_word", "/CONTAB 4 2\n" + kC + "2 6 12 0 0 abc 0 0 0\n", 1},
    {"coordinate_nan", "/CONTAB 4 2\n" + kC + "2 6 12 0 0 nan 0 0 0\n", 1},
    {"coordinate_inf", "/CONTAB 4 2\n" + kC + "2 6 12 0 0 0 -inf 0 0\n", 1},
    {"coordinate_overflow", "/CONTAB 4 2\n" + kC + "2 6 12 0 0 0 0 1e39 0\n", 1},
    {"coordinate_trailing", "/CONTAB 4 2\n" + kC + "2 6 12 0 0 0 0 1.5x 0\n", 1},
    {"token_too_long", "/CONTAB 4 2\n" + kC + "2 6 12 0 0 " + std::string(100000, '1') + " 0 0 0\n",
     1},
    {"binary_token", "/CONTAB 4 2\n" + kC + std::string("2 6\x00 12 0 0 0 0 0 0\n", 19), 1},
    {"atom_number_word", "/CONTAB 4 2\n" + kC + "two 6 12 0 0 0 0 0 0\n", 1},
    // the bonds on a partner's record overflow an atom: 1 holds 2..11,
    // then 12 names 1 as well
    {"reverse_bond_overflow",
     "/CONTAB 24 12\n1 6 12 0 0 0 0 0 10 2 3 4 5 6 7 8 9 10 11 1 1 1 1 1 1 1 1 1 1\n" +
         Repeat(kC, 10) + "12 6 12 0 0 0 0 0 1 1 1\n",
     12},
    {"ctabg_partner_beyond_n", "/CTABG 1 1\n6 12 0 0 0 0 2 0 0 0 0 0 0 0 1 0 0 0 0 0 0 0\n", 0},
    {"ctabg_self_bond", "/CTABG 1 1\n6 12 0 0 0 0 1 0 0 0 0 0 0 0 1 0 0 0 0 0 0 0\n", 0},
    {"ctabg_type_zero", "/CTABG 2 2\n6 12 0 0 0 0 2 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0\n", 0},
    {"ctabg_cut_short", "/CTABG 1 1\n6 12 0 0 0 0 0 0 0", 0},
};

TEST_F(ClearTextTest, BadInputIsRefused) {
  for (const BadCase& c : kBadCases) {
    SCOPED_TRACE(c.name);
    TCTab t;
    t.AddAtom(Atom(11));
    t.AddAtom(Atom(17));
    t.MakeConnection(1, 2, 1);
    t.SetStrucName("old");
    const bool ctabg = std::string(c.name).starts_with("ctabg");
    EXPECT_FALSE(Read(t, c.text, ctabg ? Reader::kCTabG : Reader::kContab));
    if (c.atoms < 0) {
      EXPECT_EQ(t.GetNAtoms(), 2);
      EXPECT_EQ(t.GetStrucName(), "old");
    } else {
      EXPECT_EQ(t.GetNAtoms(), c.atoms);
    }
    ExpectSound(t);
  }
}

TEST_F(ClearTextTest, RefusedBondLeavesTheRestInPlace) {
  const auto it = std::find_if(std::begin(kBadCases), std::end(kBadCases), [](const BadCase& c) {
    return std::string(c.name) == "reverse_bond_overflow";
  });
  TCTab t;
  EXPECT_FALSE(Read(t, it->text));
  ASSERT_EQ(t.GetNAtoms(), 12);
  EXPECT_EQ(t.GetNBonds(1), 10);
  EXPECT_EQ(t.GetNBonds(12), 0);
  EXPECT_EQ(t.CheckConnect(11, 1), 1);
}

// ---------------------------------------------------- connectivity export

struct Export {
  std::string name;
  std::vector<std::tuple<int, std::string, int, int>> atoms;  // i, symbol, mass, charge
  Bonds bonds;
};

Export ParseExport(const std::string& text) {
  std::istringstream in(text);
  Export e;
  std::getline(in, e.name);
  EXPECT_TRUE(!e.name.empty() && e.name.back() == '\r');
  e.name.pop_back();
  size_t atoms = 0, bonds = 0;
  in >> atoms >> bonds;
  for (size_t k = 0; k < atoms; ++k) {
    int i, mass, charge;
    std::string symbol;
    in >> i >> symbol >> mass >> charge;
    e.atoms.emplace_back(i, symbol, mass, charge);
  }
  for (size_t k = 0; k < bonds; ++k) {
    int i, j, type;
    in >> i >> j >> type;
    EXPECT_LT(i, j);
    e.bonds.insert({i, j, type});
  }
  std::string rest;
  in >> rest;
  EXPECT_TRUE(in.eof() && rest.empty()) << "left over: " << rest;
  return e;
}

TEST_F(ClearTextTest, ConnectivityExportParsesBack) {
  // Acetate with explicit hydrogens on the methyl group: C1 C2 O3 O4 H5 H6 H7.
  TCTab t;
  t.AddAtom(Atom(6, 13));
  t.AddAtom(Atom(6));
  t.AddAtom(Atom(8));
  t.AddAtom(Atom(8));
  for (int i = 0; i < 3; ++i) t.AddAtom(Atom(1));
  t.MakeConnection(1, 2, 1);
  t.MakeConnection(2, 3, 2);
  t.MakeConnection(2, 4, 1);
  for (int h = 5; h <= 7; ++h) t.MakeConnection(1, h, 1);
  t.SetCharge(4, -1);
  t.SetStrucName("acetate");

  const Export all = ParseExport(Write([&](TTextFile& f) { t.WriteToMolConnXFile(0, f); }));
  EXPECT_EQ(all.name, "acetate");
  using A = std::tuple<int, std::string, int, int>;
  EXPECT_EQ(all.atoms, (std::vector<A>{{1, "C", 13, 0},
                                       {2, "C", 12, 0},
                                       {3, "O", 16, 0},
                                       {4, "O", 16, -1},
                                       {5, "H", 1, 0},
                                       {6, "H", 1, 0},
                                       {7, "H", 1, 0}}));
  EXPECT_EQ(all.bonds, (Bonds{{1, 2, 1}, {2, 3, 2}, {2, 4, 1}, {1, 5, 1}, {1, 6, 1}, {1, 7, 1}}));

  // Hydrogens left out; a hydrogen placed first shifts the numbers.
  TCTab h;
  h.AddAtom(Atom(1));
  h.AddAtom(Atom(8));
  h.AddAtom(Atom(6));
  h.MakeConnection(1, 2, 1);
  h.MakeConnection(2, 3, 1);
  const Export heavy = ParseExport(Write([&](TTextFile& f) { h.WriteToMolConnXFile(1, f); }));
  EXPECT_EQ(heavy.name, "");
  EXPECT_EQ(heavy.atoms, (std::vector<A>{{1, "O", 16, 0}, {2, "C", 12, 0}}));
  EXPECT_EQ(heavy.bonds, (Bonds{{1, 2, 1}}));
}

}  // namespace
}  // namespace tkz
