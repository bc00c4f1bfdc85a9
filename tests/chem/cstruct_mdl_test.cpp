// MDL molfiles, CTab files and SD files: the documented cases, the property
// block and SD data items of real files, bad input of every kind (with the
// next SD record still read), bounded lines, stream positions, and round
// trips of generated structures through each writer and its reader.

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "chem/cdata.h"
#include "chem/cstruct.h"
#include "core/platform/stream.h"
#include "core/platform/textfile.h"
#include "support/temp_dir.h"

namespace tkz {
namespace {

std::string AtomLine(double x, double y, const char* sym, int diff = 0, int code = 0) {
  char buf[100];
  std::snprintf(buf, sizeof buf, "%10.4f%10.4f%10.4f %-3s%2d%3d  0  0  0  0  0  0  0  0  0  0", x,
                y, 0.0, sym, diff, code);
  return buf;
}

std::string BondLine(int a, int b, int type) {
  char buf[40];
  std::snprintf(buf, sizeof buf, "%3d%3d%3d  0", a, b, type);
  return buf;
}

std::string Counts(int atoms, int bonds) {
  char buf[60];
  std::snprintf(buf, sizeof buf, "%3d%3d  0  0  0  0  0  0  0  0999 V2000", atoms, bonds);
  return buf;
}

std::string Join(const std::vector<std::string>& lines, const char* eol = "\n") {
  std::string s;
  for (const auto& l : lines) s += l + eol;
  return s;
}

// Ethanol-like C-C-O, its lines by block.
struct Parts {
  std::vector<std::string> header = {"ethanol", "  tkztest 0101262000 2D", ""};
  std::string counts = Counts(3, 2);
  std::vector<std::string> atoms = {AtomLine(0, 0, "C"), AtomLine(1.5, 0, "C"),
                                    AtomLine(2.25, 1.3, "O")};
  std::vector<std::string> bonds = {BondLine(1, 2, 1), BondLine(2, 3, 1)};
  std::vector<std::string> props = {"M  END"};
  std::vector<std::string> All() const {
    std::vector<std::string> v = header;
    v.push_back(counts);
    v.insert(v.end(), atoms.begin(), atoms.end());
    v.insert(v.end(), bonds.begin(), bonds.end());
    v.insert(v.end(), props.begin(), props.end());
    return v;
  }
};

bool ReadMolText(TCTab& t, const std::string& text) {
  TMemoryStream s;
  s.Write(text.data(), static_cast<int64_t>(text.size()));
  s.Seek(0, soBeginning);
  return t.ReadFromMDLMolStream(s);
}

// The invariants every read keeps, whatever its result.
void ExpectInvariants(const TCTab& t) {
  ASSERT_GE(t.GetNAtoms(), 0);
  ASSERT_LE(t.GetNAtoms(), kMaxCTAtoms);
  for (int a = 1; a <= t.GetNAtoms(); ++a) {
    EXPECT_GE(t.GetAtNum(a), 1) << a;
    for (int k = 1; k <= kMaxCTConn; ++k) {
      const int b = t.GetConnTo(a, k);
      if (b == 0) continue;
      EXPECT_TRUE(b >= 1 && b <= t.GetNAtoms() && b != a) << a << "-" << b;
      EXPECT_EQ(t.CheckConnect(b, a), t.GetTypConn(a, k)) << a << "-" << b;
    }
  }
}

class MDLFiles : public testing_support::TempDirTest {
 protected:
  // Reads every SD record of the text, giving (result, name, atoms) each;
  // the stream reader, record by record through the same text, must read
  // each into an equal table with the same items.
  struct Rec {
    bool ok;
    std::string name;
    int atoms;
    TPropRec props;
    int64_t cas;
  };
  std::vector<Rec> ReadSD(const std::string& text) {
    Put(Path("in.sdf"), text);
    TTextFile f;
    f.AssignFile(Path("in.sdf"));
    f.Reset();
    TStringStream s(text);
    std::vector<Rec> out;
    TCTab t, u;
    for (int guard = 0; !f.Eof() && guard < 1000; ++guard) {
      TPropRec props, streamProps;
      const bool ok = t.ReadFromMDLSDFile(f, props);
      ExpectInvariants(t);
      out.push_back({ok, t.GetStrucName(), t.GetNAtoms(), props, t.GetCASNumber()});
      EXPECT_EQ(u.ReadFromMDLSDStream(s, streamProps), ok) << "record " << out.size();
      EXPECT_EQ(u.CompareWith(t), 0) << "record " << out.size();
      EXPECT_EQ(streamProps, props) << "record " << out.size();
    }
    EXPECT_EQ(s.GetPosition(), s.GetSize());
    return out;
  }
};

// ------------------------------------------------------- documented cases

TEST(MDLRead, ChargeCodesMassDifferenceAndScale) {
  Parts p;
  p.atoms = {AtomLine(0, 0, "C", 1, 3), AtomLine(2, 0, "N", 0, 5), AtomLine(0, 1, "O", 0, 4)};
  p.bonds = {BondLine(1, 2, 1), BondLine(1, 3, 2)};
  TCTab t;
  ASSERT_TRUE(ReadMolText(t, Join(p.All())));
  EXPECT_EQ(t.GetStrucName(), "ethanol");
  EXPECT_EQ(t.GetCharge(1), 1);
  EXPECT_EQ(t.GetCharge(2), -1);
  EXPECT_EQ(t.GetCharge(3), 0);
  EXPECT_EQ(t.GetAtWeight(1), 13);
  EXPECT_EQ(t.GetAtWeight(2), 14);
  // x 0..2 and y 0..1: s = 400, t = 600, scale 600; y is flipped.
  const float want[3][2] = {{0, 600}, {1200, 600}, {0, 0}};
  for (int a = 1; a <= 3; ++a) {
    EXPECT_EQ(t.GetCoords(a, 1), want[a - 1][0]) << a;
    EXPECT_EQ(t.GetCoords(a, 2), want[a - 1][1]) << a;
  }
  EXPECT_EQ(t.CheckConnect(3, 1), 2);
}

TEST(MDLRead, SixtyFourAtomsKeepThePreviousStructureButNotItsName) {
  TCTab t;
  ASSERT_TRUE(ReadMolText(t, Join(Parts().All())));
  Parts big;
  big.header[0] = "too big";
  big.counts = Counts(64, 0);
  big.atoms.assign(64, AtomLine(0, 0, "C"));
  big.bonds.clear();
  EXPECT_FALSE(ReadMolText(t, Join(big.All())));
  EXPECT_EQ(t.GetNAtoms(), 3);
  EXPECT_EQ(t.GetAtNum(3), 8);
  EXPECT_EQ(t.GetStrucName(), "too big");
}

TEST(MDLRead, BondBlockCutShortKeepsAtomsAtZero) {
  Parts p;
  p.bonds.pop_back();
  p.props.clear();
  TCTab t;
  EXPECT_FALSE(ReadMolText(t, Join(p.All())));
  ASSERT_EQ(t.GetNAtoms(), 3);
  EXPECT_EQ(t.CheckConnect(2, 1), 1);
  EXPECT_FALSE(t.GetCoordsPresent());
  ExpectInvariants(t);
}

TEST(MDLRead, BondTypeAboveFourIsSingleAndFalse) {
  Parts p;
  p.bonds[1] = BondLine(2, 3, 8);
  TCTab t;
  EXPECT_FALSE(ReadMolText(t, Join(p.All())));
  EXPECT_EQ(t.CheckConnect(3, 2), 1);
  EXPECT_TRUE(t.GetCoordsPresent());
}

// ------------------------------------------------------------- real files

TEST_F(MDLFiles, RealFormsOfPropertiesAndDataItems) {
  std::ifstream in(std::string(TKZ_TEST_DATA_DIR) + "/chem/real_forms.sdf", std::ios::binary);
  const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  const auto recs = ReadSD(text);
  ASSERT_EQ(recs.size(), 4u);

  // D and T; the three header forms; the CAS item.
  EXPECT_TRUE(recs[0].ok);
  EXPECT_EQ(recs[0].name, "Heavy water ion");
  EXPECT_EQ(recs[0].props[1], (TPropItem{"MELTP", 3.8}));
  EXPECT_EQ(recs[0].props[2], (TPropItem{"BOILP", 101.4}));
  EXPECT_EQ(recs[0].cas, 7789200);

  // M CHG beyond 3 over the atom block's +1, M ISO absolute masses, M RAD
  // accepted; "120-122" skips its item only.
  EXPECT_TRUE(recs[1].ok);
  EXPECT_EQ(recs[1].props[1], (TPropItem{"BOILP", 1.85}));
  EXPECT_TRUE(recs[1].props[2].Name.empty());

  // 64 atoms: false, and the records before and after are read.
  EXPECT_FALSE(recs[2].ok);
  EXPECT_EQ(recs[2].name, "cyanoferrate fragment");
  EXPECT_EQ(recs[2].props[1], (TPropItem{"MELTP", 36.0}));
  EXPECT_EQ(recs[2].cas, 0);

  // The last record has no "$$$$".
  EXPECT_TRUE(recs[3].ok);
  EXPECT_EQ(recs[3].name, "benzene");
  EXPECT_EQ(recs[3].atoms, 6);
}

TEST_F(MDLFiles, PropertyBlockFieldsOfEachAtom) {
  Put(Path("f.sdf"), Slurp(std::string(TKZ_TEST_DATA_DIR) + "/chem/real_forms.sdf"));
  TTextFile f;
  f.AssignFile(Path("f.sdf"));
  f.Reset();
  TCTab t;
  TPropRec props;
  ASSERT_TRUE(t.ReadFromMDLSDFile(f, props));
  EXPECT_EQ(t.GetAtNum(2), 1);
  EXPECT_EQ(t.GetAtWeight(2), 2);
  EXPECT_EQ(t.GetAtNum(3), 1);
  EXPECT_EQ(t.GetAtWeight(3), 3);
  ASSERT_TRUE(t.ReadFromMDLSDFile(f, props));
  const int want[3][3] = {{26, IntAtWeight(26), -4}, {6, 13, 0}, {7, 15, 0}};
  for (int a = 1; a <= 3; ++a) {
    EXPECT_EQ(t.GetAtNum(a), want[a - 1][0]) << a;
    EXPECT_EQ(t.GetAtWeight(a), want[a - 1][1]) << a;
    EXPECT_EQ(t.GetCharge(a), want[a - 1][2]) << a;
  }
  EXPECT_EQ(t.CheckConnect(3, 2), 3);
}

// --------------------------------------------------------------- bad input

struct BadCase {
  const char* what;
  std::function<void(Parts&)> spoil;
};

const std::vector<BadCase>& BadCases() {
  static const std::vector<BadCase> cases = {
      {"counts garbage", [](Parts& p) { p.counts = "  x  2  0  0999 V2000"; }},
      {"counts negative", [](Parts& p) { p.counts = Counts(-3, 2); }},
      {"counts huge", [](Parts& p) { p.counts = "999999  0  0"; }},
      {"counts zero", [](Parts& p) { p.counts = Counts(0, 0); }},
      {"bond count huge", [](Parts& p) { p.counts = Counts(3, 999); }},
      {"bond count negative", [](Parts& p) { p.counts = Counts(3, -2); }},
      {"counts line empty", [](Parts& p) { p.counts = ""; }},
      {"atom 0", [](Parts& p) { p.bonds[0] = BondLine(0, 2, 1); }},
      {"atom beyond n", [](Parts& p) { p.bonds[0] = BondLine(1, 4, 1); }},
      {"atom bonded to itself", [](Parts& p) { p.bonds[0] = BondLine(2, 2, 1); }},
      {"bond type 0", [](Parts& p) { p.bonds[1] = BondLine(2, 3, 0); }},
      {"bond type garbage", [](Parts& p) { p.bonds[1] = "  2  3  x  0"; }},
      {"unknown element", [](Parts& p) { p.atoms[1] = AtomLine(1.5, 0, "Xx"); }},
      {"element in capitals", [](Parts& p) { p.atoms[1] = AtomLine(1.5, 0, "CL"); }},
      {"charge code huge", [](Parts& p) { p.atoms[1] = AtomLine(1.5, 0, "C", 0, 300); }},
      {"mass below 1", [](Parts& p) { p.atoms[1] = AtomLine(1.5, 0, "H", -3); }},
      {"atom line cut short", [](Parts& p) { p.atoms[1].resize(20); }},
      {"coordinate garbage", [](Parts& p) { p.atoms[1].replace(3, 2, "ab"); }},
      {"binary bytes", [](Parts& p) { p.atoms[1] = std::string("\x01\xff\x00\x7f\x80", 5); }},
      {"atom block cut short", [](Parts& p) { p.bonds.clear(), p.atoms.pop_back(); }},
      {"M CHG atom beyond n",
       [](Parts& p) { p.props.insert(p.props.begin(), "M  CHG  1   4  -1"); }},
      {"M CHG cut short", [](Parts& p) { p.props.insert(p.props.begin(), "M  CHG  2   1  -1"); }},
      {"M CHG charge wraps",
       [](Parts& p) { p.props.insert(p.props.begin(), "M  CHG  1   1 200"); }},
      {"M ISO mass 0", [](Parts& p) { p.props.insert(p.props.begin(), "M  ISO  1   1   0"); }},
      {"eleven partners",
       [](Parts& p) {
         p.counts = Counts(12, 11);
         p.atoms.assign(12, AtomLine(0, 0, "C"));
         p.bonds.clear();
         for (int b = 2; b <= 12; ++b) p.bonds.push_back(BondLine(1, b, 1));
       }},
  };
  return cases;
}

TEST_F(MDLFiles, BadInputIsFalseAndTheNextSDRecordReads) {
  const std::string good = Join(Parts().All()) + "> <MELTP>\n-114.1\n\n$$$$\n";
  for (const auto& c : BadCases()) {
    SCOPED_TRACE(c.what);
    Parts p;
    c.spoil(p);
    const std::string bad = Join(p.All());
    TCTab t;
    EXPECT_FALSE(ReadMolText(t, bad));
    ExpectInvariants(t);

    const auto recs = ReadSD(good + bad + "$$$$\n" + good);
    ASSERT_EQ(recs.size(), 3u);
    EXPECT_TRUE(recs[0].ok);
    EXPECT_FALSE(recs[1].ok);
    EXPECT_TRUE(recs[2].ok);
    EXPECT_EQ(recs[2].atoms, 3);
    EXPECT_EQ(recs[2].props[1], (TPropItem{"MELTP", -114.1}));
  }
}

TEST_F(MDLFiles, ChargesStayInRangeAndLineEndsAllRead) {
  Parts p;
  p.atoms[2] = AtomLine(2.25, 1.3, "O", 0, 7);
  p.props.insert(p.props.begin(), "M  CHG  2   1 -15   2  15");
  for (const char* eol : {"\n", "\r\n", "\r"}) {
    const std::string text = Join(p.All(), eol) + "$$$$" + eol + Join(p.All(), eol);
    const auto recs = ReadSD(text);
    ASSERT_EQ(recs.size(), 2u) << int{eol[0]};
    TCTab t;
    ASSERT_TRUE(ReadMolText(t, Join(p.All(), eol)));
    // M CHG supersedes every charge of the atom block, the O's -3 included.
    EXPECT_EQ(t.GetCharge(1), -15);
    EXPECT_EQ(t.GetCharge(2), 15);
    EXPECT_EQ(t.GetCharge(3), 0);
  }
  p.props = {"M  END"};
  TCTab t;
  ASSERT_TRUE(ReadMolText(t, Join(p.All())));
  EXPECT_EQ(t.GetCharge(3), -3);
}

TEST_F(MDLFiles, FreeFormatAtomAndBondLinesInSDFiles) {
  Parts p;
  p.atoms = {"0 0 0 C 0 0", "1.5 0 0 C", "2.25 1.3 0 O 0 5"};
  p.bonds = {"1 2 1", "2 3 2"};
  const auto recs = ReadSD(Join(p.All()) + "$$$$\n");
  ASSERT_EQ(recs.size(), 1u);
  EXPECT_TRUE(recs[0].ok);
  EXPECT_EQ(recs[0].atoms, 3);
  TCTab t;
  EXPECT_FALSE(ReadMolText(t, Join(p.All())));  // molfiles are read by columns
}

TEST_F(MDLFiles, AnEndlessLineCostsOnlyTheLineLimit) {
  constexpr size_t kSize = size_t{32} << 20;
  {
    std::ofstream out(Path("long.mol"), std::ios::binary);
    const std::string block(1 << 16, 'C');
    for (size_t done = 0; done < kSize; done += block.size()) out << block;
  }
  rusage before{}, after{};
  getrusage(RUSAGE_SELF, &before);
  TTextFile f;
  f.AssignFile(Path("long.mol"));
  f.Reset();
  TCTab t;
  EXPECT_FALSE(t.ReadFromMDLMolFile(f));
  EXPECT_LE(t.GetStrucName().size(), 4096u);
  EXPECT_TRUE(f.Eof());
  TPropRec props;
  f.Reset();
  EXPECT_FALSE(t.ReadFromMDLSDFile(f, props));
  getrusage(RUSAGE_SELF, &after);
  EXPECT_LT(after.ru_maxrss - before.ru_maxrss, 16 << 10) << "KiB";  // below half the line
}

// ------------------------------------------------------- stream positions

TEST(MDLStream, ReadersStopRightAfterWhatTheyConsumed) {
  Parts first, second;
  second.header[0] = "second";
  second.atoms[2] = AtomLine(2.25, 1.3, "S");
  const auto all = first.All();
  const std::string ctab1 = Join(std::vector<std::string>(all.begin() + 3, all.end()));
  for (const bool mol : {true, false}) {
    const std::string one = mol ? Join(first.All(), "\r\n") : ctab1;
    const std::string text = one + (mol ? Join(second.All(), "\r") : ctab1);
    TMemoryStream s;
    s.Write(text.data(), static_cast<int64_t>(text.size()));
    s.Seek(0, soBeginning);
    TCTab t;
    ASSERT_TRUE(mol ? t.ReadFromMDLMolStream(s) : t.ReadFromMDLCTabStream(s));
    EXPECT_EQ(s.GetPosition(), static_cast<int64_t>(one.size()));
    ASSERT_TRUE(mol ? t.ReadFromMDLMolStream(s) : t.ReadFromMDLCTabStream(s));
    EXPECT_EQ(t.GetAtNum(3), mol ? 16 : 8);
    EXPECT_EQ(s.GetPosition(), static_cast<int64_t>(text.size()));
  }
}

// ------------------------------------------------------------ round trips

// A random connected-or-not structure with every field the format carries.
void RandomTable(std::mt19937& rng, TCTab& t) {
  t.Clear();
  const int n = std::uniform_int_distribution<>(1, kMaxCTAtoms)(rng);
  for (int a = 1; a <= n; ++a) {
    CTElem e;
    e.AtType = static_cast<uint8_t>(std::uniform_int_distribution<>(1, kMaxAtomicNumber)(rng));
    const int natural = IntAtWeight(e.AtType);
    const int shift = std::uniform_int_distribution<>(-6, 6)(rng);
    e.AtWeight = static_cast<uint16_t>(rng() % 3 == 0 ? std::max(1, natural + shift) : natural);
    e.Charge = static_cast<int8_t>(std::uniform_int_distribution<>(-5, 5)(rng));
    for (int i = 1; i <= 3; ++i)
      e.Coords[i] = std::uniform_real_distribution<float>(-50, 50)(rng) * (i == 3 ? 0.2f : 1);
    t.AddAtom(e);
  }
  for (int i = 0; i < 2 * n; ++i) {
    const int a = std::uniform_int_distribution<>(1, n)(rng);
    const int b = std::uniform_int_distribution<>(1, n)(rng);
    if (a != b && t.CheckConnect(a, b) == 0)
      t.MakeConnection(a, b, std::uniform_int_distribution<>(1, 4)(rng));
  }
}

// Every field the format carries: element, mass, charge, bonds, coordinates.
void ExpectSameTable(const TCTab& want, const TCTab& got, bool coords) {
  ASSERT_EQ(got.GetNAtoms(), want.GetNAtoms());
  for (int a = 1; a <= want.GetNAtoms(); ++a) {
    EXPECT_EQ(got.GetAtNum(a), want.GetAtNum(a)) << a;
    EXPECT_EQ(got.GetAtWeight(a), want.GetAtWeight(a)) << a;
    EXPECT_EQ(got.GetCharge(a), want.GetCharge(a)) << a;
    for (int b = 1; b <= want.GetNAtoms(); ++b)
      EXPECT_EQ(got.CheckConnect(a, b), want.CheckConnect(a, b)) << a << "-" << b;
    if (coords) {
      EXPECT_EQ(got.GetAtomEntries(a), want.GetAtomEntries(a)) << a;
    }
  }
}

TEST_F(MDLFiles, EveryWriterReadsBackIntoAnEqualTable) {
  std::mt19937 rng(16);
  for (int round = 0; round < 200; ++round) {
    SCOPED_TRACE(round);
    TCTab orig;
    RandomTable(rng, orig);
    const int kind = round % 4;  // mol stream, mol file, ctab stream, ctab file
    auto trip = [&](const TCTab& from, TCTab& to) {
      if (kind % 2 == 0) {
        TMemoryStream s;
        if (kind == 0) from.WriteToMDLMolStream(s, "", "tkz", round, "round trip");
        if (kind == 2) from.WriteToMDLCTabStream(s);
        s.Seek(0, soBeginning);
        ASSERT_TRUE(kind == 0 ? to.ReadFromMDLMolStream(s) : to.ReadFromMDLCTabStream(s));
        EXPECT_EQ(s.GetPosition(), s.GetSize());
      } else {
        TTextFile f;
        f.AssignFile(Path("rt.mol"));
        f.Rewrite();
        if (kind == 1) from.WriteToMDLMolFile(f, "", "tkz", round, "round trip");
        if (kind == 3) from.WriteToMDLCTabFile(f);
        f.CloseFile();
        f.Reset();
        ASSERT_TRUE(kind == 1 ? to.ReadFromMDLMolFile(f) : to.ReadFromMDLCTabFile(f));
      }
    };
    orig.SetStrucName("random " + std::to_string(round));
    TCTab once, twice;
    trip(orig, once);
    ExpectSameTable(orig, once, false);
    trip(once, twice);
    ExpectSameTable(once, twice, true);
    if (kind < 2) {
      EXPECT_EQ(twice.GetStrucName(), orig.GetStrucName());
    }
  }
}

// SD records written one after another read back with their name, CAS
// number and data items.
TEST_F(MDLFiles, SDRecordsReadBackWithTheirItems) {
  std::mt19937 rng(61);
  std::vector<std::unique_ptr<TCTab>> tables;
  std::vector<TPropRec> items(40);
  const auto& names = SDPropItemNames();
  TTextFile f;
  f.AssignFile(Path("rt.sdf"));
  f.Rewrite();
  for (size_t r = 0; r < items.size(); ++r) {
    auto t = std::make_unique<TCTab>();
    RandomTable(rng, *t);
    t->SetStrucName("record " + std::to_string(r));
    if (r % 3 != 0) t->SetCASNr(r % 2 ? "7732-18-5" : "2628280-40-8");
    for (int k = 1; k <= static_cast<int>(r % 5); ++k) {
      items[r][k] = {names[rng() % names.size()], std::ldexp(static_cast<double>(rng()), -20)};
    }
    t->WriteToMDLSDFile(f, items[r]);
    tables.push_back(std::move(t));
  }
  f.CloseFile();
  f.Reset();
  for (size_t r = 0; r < items.size(); ++r) {
    SCOPED_TRACE(r);
    TCTab got;
    TPropRec props;
    ASSERT_TRUE(got.ReadFromMDLSDFile(f, props));
    EXPECT_EQ(got.GetStrucName(), tables[r]->GetStrucName());
    EXPECT_EQ(got.GetCASNumber(), tables[r]->GetCASNumber());
    EXPECT_EQ(props, items[r]);
    ExpectSameTable(*tables[r], got, false);
  }
  EXPECT_TRUE(f.SeekEof());
}

// Numbers in the forms writers use read as the same numbers in other forms
// that mean the same: a tab among the leading blanks, a plus sign, a trailing
// zero digit, blanks around short integers. Each record is read in both and
// must give the same table and result, duplicate bonds and 11th bonds
// included.
TEST(MDLRead, UsualAndOtherFormsOfNumbersReadAlike) {
  std::mt19937 rng(29);
  const char* const kSyms[] = {"C", "N", "O", "Cl", "D", "T", "Xx"};
  // A multiple of 0.0001 below 1000 in magnitude (so that a fifth decimal
  // still fits ten columns); -0.0000 and 0.0000 included.
  const auto value = [&] {
    const long m = static_cast<long>(rng() % 19999999) - 9999999;
    return rng() % 40 == 0 ? -0.0 : m / 1e4;
  };
  const auto coord = [&](double v, bool other) {
    char usual[16];
    std::snprintf(usual, sizeof usual, "%10.4f", v);
    std::string s = usual;
    if (!other) return s;
    switch (rng() % 3) {
      case 0:
        s[s.find_first_not_of(' ') - 1] = '\t';
        break;  // tab
      case 1:
        if (s.find('-') == std::string::npos) s[s.find_first_not_of(' ') - 1] = '+';
        break;
      default:
        s = s.substr(1) + "0";  // 1.23450
    }
    return s;
  };
  const auto int3 = [&](int v, bool other) {
    char buf[8];
    std::snprintf(buf, sizeof buf, other ? "%-3d" : "%3d", v);
    std::string s = buf;
    if (other && v < 100) s[2] = '\t';  // "7 \t", "12\t"
    return s;
  };
  for (int round = 0; round < 300; ++round) {
    SCOPED_TRACE(round);
    const int n = 1 + static_cast<int>(rng() % 30);
    const int nb = static_cast<int>(rng() % (2 * n + 1));
    std::string usual = "rec\n\n\n", other = usual;
    usual += Counts(n, nb) + "\n";
    other += Counts(n, nb) + "\n";
    for (int a = 0; a < n; ++a) {
      const char* sym = kSyms[rng() % (round % 10 == 0 ? 7 : 6)];  // now and then unknown
      const int code = static_cast<int>(rng() % 8);
      std::string tail = " ";
      tail += sym;
      tail.resize(4, ' ');
      tail += " 0";
      const double xyz[3] = {value(), value(), value()};
      for (const bool o : {false, true}) {
        std::string line;
        for (const double v : xyz) line += coord(v, o);
        (o ? other : usual) += line + tail + int3(code, o) + "  0  0  0\n";
      }
    }
    for (int b = 0; b < nb; ++b) {
      const int a1 = 1 + static_cast<int>(rng() % n), a2 = 1 + static_cast<int>(rng() % n);
      const int type = static_cast<int>(rng() % 6);
      usual += int3(a1, false) + int3(a2, false) + int3(type, false) + "  0\n";
      other += int3(a1, true) + int3(a2, true) + int3(type, true) + "  0\n";
    }
    usual += "M  END\n";
    other += "M  END\n";
    TCTab t1, t2;
    EXPECT_EQ(ReadMolText(t1, usual), ReadMolText(t2, other)) << usual << other;
    ASSERT_EQ(t1.GetNAtoms(), t2.GetNAtoms());
    for (int a = 1; a <= t1.GetNAtoms(); ++a) {
      EXPECT_EQ(t1.GetAtomEntries(a), t2.GetAtomEntries(a)) << a << "\n" << usual << other;
    }
    ExpectInvariants(t1);
  }
}

// Data item values are read as from_chars reads them, whether the fast
// fixed-point reading takes them or not: up to 17 digits, signs, a point
// at either end, exponents.
TEST_F(MDLFiles, DataItemValuesReadAsFromChars) {
  std::mt19937 rng(5);
  std::vector<std::string> texts = {"-0.0",
                                    "0.",
                                    ".5",
                                    "-.5",
                                    "1e3",
                                    "123456789012345.6",
                                    "99999999.99999999",
                                    "0.1",
                                    "-0.30000000000000004"};
  for (int i = 0; i < 900; ++i) {
    std::string digits;
    const int count = 1 + static_cast<int>(rng() % 17);
    for (int k = 0; k < count; ++k) digits += static_cast<char>('0' + rng() % 10);
    const size_t point = rng() % (digits.size() + 1);
    std::string t = (rng() % 2 ? "-" : "") + digits.substr(0, point);
    if (point < digits.size() || rng() % 4 == 0) t += "." + digits.substr(point);
    texts.push_back(t);
  }
  std::string text;
  for (const auto& t : texts) text += Join(Parts().All()) + "> <MELTP>\n" + t + "\n\n$$$$\n";
  const auto recs = ReadSD(text);
  ASSERT_EQ(recs.size(), texts.size());
  for (size_t i = 0; i < texts.size(); ++i) {
    SCOPED_TRACE(texts[i]);
    double want = 0;
    const auto [p, ec] = std::from_chars(texts[i].data(), texts[i].data() + texts[i].size(), want);
    const bool readable =
        ec == std::errc() && p == texts[i].data() + texts[i].size() && std::fabs(want) < 1e9;
    EXPECT_EQ(recs[i].props[1].Name, readable ? "MELTP" : "");
    if (readable) {
      EXPECT_EQ(std::bit_cast<uint64_t>(recs[i].props[1].Value), std::bit_cast<uint64_t>(want));
    }
  }
}

TEST(MDLWrite, LayoutThatOtherProgramsRead) {
  TCTab t;
  ASSERT_TRUE(ReadMolText(t, Join(Parts().All())));
  TMemoryStream s;
  t.WriteToMDLMolStream(s, "", "tkz", 42, "a\ncomment");
  const std::string text(s.Memory(), static_cast<size_t>(s.GetSize()));
  std::vector<std::string> lines;
  for (size_t at = 0; at < text.size();) {
    const size_t end = text.find("\r\n", at);
    lines.push_back(text.substr(at, end - at));
    at = end + 2;
  }
  ASSERT_EQ(lines.size(), 10u);
  EXPECT_EQ(lines[0], "ethanol");
  EXPECT_EQ(lines[1].substr(0, 10), "  tkz     ");
  EXPECT_EQ(lines[1].substr(20, 2), "2D");
  EXPECT_EQ(lines[1].substr(lines[1].size() - 6), "    42");
  EXPECT_EQ(lines[2], "a comment");
  EXPECT_EQ(lines[3], "  3  2  0  0  0     0  0  0  0999 V2000");
  EXPECT_EQ(lines[3].find("V2000"), 34u);
  // The C-C bond is about 1.5 long (the scale is a multiple of 0.0001).
  double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
  ASSERT_EQ(std::sscanf(lines[4].c_str(), "%lf%lf", &x1, &y1), 2);
  ASSERT_EQ(std::sscanf(lines[5].c_str(), "%lf%lf", &x2, &y2), 2);
  EXPECT_NEAR(std::hypot(x2 - x1, y2 - y1), 1.5, 0.05);
  EXPECT_EQ(lines[5].substr(30, 9), " C   0  0");
  EXPECT_EQ(lines[9], "M  END");
}

}  // namespace
}  // namespace tkz
