// cdata: the documented look-ups, checks that catch typing errors in the
// tables through chemistry they must obey (periods, electron counts,
// Moseley's rising X-ray energies, isotope masses), CAS numbers and the name
// dictionary, with RDKit as the oracle of the exact masses where installed.
#include "chem/cdata.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "core/text/charcase.h"

namespace tkz {
namespace {

// The period (0-based grid row) of element Z.
int Period(int z) {
  constexpr int kLastOfPeriod[] = {2, 10, 18, 36, 54, 86};
  int p = 0;
  while (p < 6 && z > kLastOfPeriod[p]) ++p;
  return p;
}

// The subshells of a configuration ("3d10" -> {3, 'd', 10}); a bracketed
// core is skipped.
struct Subshell {
  int N;
  char L;
  int Electrons;
};
std::vector<Subshell> Subshells(const std::string& config) {
  std::vector<Subshell> out;
  size_t i = 0;
  while (i < config.size()) {
    if (config[i] == ' ') {
      ++i;
    } else if (config[i] == '[') {
      i = config.find(']', i) + 1;
    } else {
      Subshell s{};
      s.N = config[i++] - '0';
      s.L = config[i++];
      size_t used = 0;
      s.Electrons = std::stoi(config.substr(i), &used);
      i += used;
      out.push_back(s);
    }
  }
  return out;
}

TEST(CDataLookups, DocumentedCases) {
  EXPECT_EQ(CElemSymb(0), "");
  EXPECT_EQ(CElemSymb(104), "");
  EXPECT_EQ(CElemSymb(-1), "");
  EXPECT_EQ(CElemSymb(103), "Lr");
  EXPECT_EQ(CElemName(0), "");
  EXPECT_EQ(AtomicNumber("Cl"), 17);
  EXPECT_EQ(AtomicNumber("CL"), 0);
  EXPECT_EQ(AtomicNumber("cl"), 0);
  EXPECT_EQ(AtomicNumber(""), 0);
  EXPECT_EQ(AtomicNumber("Xx"), 0);
  EXPECT_EQ(AtomicNumber("Cl "), 0);
  EXPECT_EQ(AtomicNumber("Uuo"), 0);
  EXPECT_EQ(ChemAtWeight(43), 0.0);
  EXPECT_EQ(ExactAtWeight(43), 96.905);
  EXPECT_EQ(ExactAtWeight(6), 12.0);
  EXPECT_EQ(IntAtWeight(104), 0);
  EXPECT_EQ(VDWRadius(54), 0.0);
  EXPECT_EQ(VDWRadius(6), 1.8);
  EXPECT_EQ(VDWRadius(0), 0.0);
  EXPECT_EQ(NumOuterElectrons(46), 0);
  EXPECT_EQ(NumOuterElectrons(104), 0);
  EXPECT_EQ(ShortElectronConfig(29), "[Ar] 3d10 4s1");
  EXPECT_EQ(FullElectronConfig(29), "1s2 2s2 2p6 3s2 3p6 3d10 4s1");
  EXPECT_EQ(FullElectronConfig(1), "1s1");
  EXPECT_EQ(FullElectronConfig(0), "");
  EXPECT_EQ(FullElectronConfig(104), "");
  // The historical spellings stay, as stored files carry them.
  for (const auto& [z, name] : std::map<int, std::string>{{3, "litium"},
                                                          {9, "flourine"},
                                                          {13, "aluminum"},
                                                          {23, "vanadin"},
                                                          {61, "prometium"},
                                                          {89, "actinum"}})
    EXPECT_EQ(CElemName(z), name);
}

TEST(CDataLookups, PeriodicGrid) {
  struct Case {
    int Z, Col, Row;
  };
  for (const Case c :
       {Case{57, 2, 5}, Case{58, 4, 7}, Case{2, 17, 0}, Case{1, 0, 0}, Case{72, 3, 5},
        Case{89, 2, 6}, Case{103, 17, 8}, Case{0, 0, 0}, Case{104, 0, 0}}) {
    int col = -1, row = -1;
    PerSysCoord(c.Z, col, row);
    EXPECT_EQ(col, c.Col) << "Z " << c.Z;
    EXPECT_EQ(row, c.Row) << "Z " << c.Z;
  }
  EXPECT_EQ(PerSysElement(-1, 0), 0);
  EXPECT_EQ(PerSysElement(18, 0), 0);
  EXPECT_EQ(PerSysElement(0, 9), 0);

  // Every element in exactly one cell, of its period's row (lanthanides and
  // actinides in rows 7 and 8 from column 4), and PerSysCoord finds it.
  std::map<int, int> cells;
  for (int row = 0; row < kPerSysRows; ++row) {
    for (int col = 0; col < kPerSysCols; ++col) {
      const int z = PerSysElement(col, row);
      if (z == 0) continue;
      ++cells[z];
      const bool lanthanide = z >= 58 && z <= 71, actinide = z >= 90 && z <= 103;
      EXPECT_EQ(row, lanthanide ? 7 : actinide ? 8 : Period(z)) << CElemSymb(z);
      if (lanthanide || actinide) {
        EXPECT_EQ(col, 4 + (z - (lanthanide ? 58 : 90)));
      }
      int c = -1, r = -1;
      PerSysCoord(z, c, r);
      EXPECT_EQ(c, col);
      EXPECT_EQ(r, row);
    }
  }
  EXPECT_EQ(cells.size(), 103u);
  for (const auto& [z, n] : cells) EXPECT_EQ(n, 1) << "Z " << z;
  EXPECT_EQ(cells.begin()->first, 1);
  EXPECT_EQ(cells.rbegin()->first, kMaxAtomicNumber);
}

TEST(CDataTables, SymbolsAndNames) {
  std::set<std::string> lower_symbols;
  for (int z = 1; z <= kMaxAtomicNumber; ++z) {
    const std::string s = CElemSymb(z), name = CElemName(z);
    EXPECT_EQ(AtomicNumber(s), z) << s;
    ASSERT_GE(s.size(), 1u);
    ASSERT_LE(s.size(), 2u);
    EXPECT_TRUE(s[0] >= 'A' && s[0] <= 'Z') << s;
    if (s.size() == 2) {
      EXPECT_TRUE(s[1] >= 'a' && s[1] <= 'z') << s;
    }
    EXPECT_TRUE(lower_symbols.insert(AnsiLowerCase(s)).second) << s;
    EXPECT_FALSE(name.empty());
    EXPECT_LE(name.size(), 12u);
    EXPECT_EQ(name, AnsiLowerCase(name));
  }
}

// Masses: the nominal mass is the exact mass rounded; the chemical weight
// lies within 2.5 u of the isotope's mass and, as the periodic system
// orders by charge, not by weight, it rises with Z but for Ar/K, Co/Ni and
// Te/I; it is 0 exactly for the elements without a stable composition.
TEST(CDataTables, Masses) {
  const std::set<int> no_weight = {43, 61, 84, 85, 86, 87, 88,  89,  91,  93,
                                   94, 95, 96, 97, 98, 99, 100, 101, 102, 103};
  std::vector<int> inversions;
  double last_weight = 0;
  int last_z = 0;
  for (int z = 1; z <= kMaxAtomicNumber; ++z) {
    EXPECT_EQ(IntAtWeight(z), std::lround(ExactAtWeight(z))) << CElemSymb(z);
    const double w = ChemAtWeight(z);
    EXPECT_EQ(w == 0, no_weight.count(z) == 1) << CElemSymb(z);
    if (w == 0) continue;
    EXPECT_LT(std::fabs(w - ExactAtWeight(z)), 2.5) << CElemSymb(z);
    if (w < last_weight) inversions.push_back(last_z);
    last_weight = w;
    last_z = z;
  }
  EXPECT_EQ(inversions, (std::vector<int>{18, 27, 52}));
}

// Configurations: the full form counts Z electrons; the core is the noble
// gas that closes the period before; the outer electrons are the s and p
// electrons of the highest shell written after the core (Pd's 4d10 has none).
TEST(CDataTables, ElectronConfigurations) {
  const char* const cores[] = {"", "[He]", "[Ne]", "[Ar]", "[Kr]", "[Xe]", "[Rn]"};
  std::vector<int> mismatched;
  for (int z = 1; z <= kMaxAtomicNumber; ++z) {
    const std::string short_config = ShortElectronConfig(z);
    const std::string full = FullElectronConfig(z);
    EXPECT_LE(short_config.size(), 22u);
    EXPECT_EQ(full.find('['), std::string::npos) << full;
    int electrons = 0;
    for (const Subshell& s : Subshells(full)) electrons += s.Electrons;
    EXPECT_EQ(electrons, z) << CElemSymb(z) << ": " << full;

    const std::string core = cores[Period(z)];
    EXPECT_EQ(short_config.substr(0, core.size()), core) << CElemSymb(z);
    const std::vector<Subshell> outer = Subshells(short_config);
    int top = 0;
    for (const Subshell& s : outer) top = std::max(top, s.N);
    int count = 0;
    for (const Subshell& s : outer)
      if (s.N == top && (s.L == 's' || s.L == 'p')) count += s.Electrons;
    if (NumOuterElectrons(z) != count) mismatched.push_back(z);
  }
  // The one row where they disagree, kept as the table has it: technetium's
  // "[Kr] 4d6 5s1" with 2 outer electrons.
  EXPECT_EQ(mismatched, std::vector<int>{43});
}

TEST(CDataTables, VanDerWaalsRadii) {
  int known = 0;
  for (int z = -1; z <= kMaxAtomicNumber + 1; ++z) {
    const double r = VDWRadius(z);
    if (r == 0) continue;
    ++known;
    EXPECT_LE(z, 53);
    EXPECT_GE(r, 0.9) << CElemSymb(z);
    EXPECT_LE(r, 2.2) << CElemSymb(z);
    // Stored in hundredths of an angstrom.
    EXPECT_DOUBLE_EQ(r, std::round(r * 100) * 0.01);
  }
  EXPECT_EQ(known, 16);
  EXPECT_DOUBLE_EQ(VDWRadius(1), 1.2);
  EXPECT_DOUBLE_EQ(VDWRadius(53), 2.15);
}

// X-ray lines: 147 of 267 slots; each kind of line rises with Z (Moseley),
// the table's one exception being barium's M line above lanthanum's.
TEST(CDataXray, SingleElement) {
  double k = -1, l = -1, m = -1;
  EXPECT_EQ(GetEDXLines(3, k, l, m), -1);
  EXPECT_EQ(k + l + m, 0.0);
  EXPECT_EQ(GetEDXLines(93, k, l, m), -1);
  EXPECT_EQ(GetEDXLines(26, k, l, m), 2);
  EXPECT_EQ(k, 6.398);
  EXPECT_EQ(l, 0.705);
  EXPECT_EQ(m, 0.0);

  int lines = 0;
  double last[3] = {0, 0, 0};
  std::vector<int> falls;
  for (int z = 4; z <= 92; ++z) {
    double e[3];
    const int n = GetEDXLines(z, e[0], e[1], e[2]);
    EXPECT_EQ(n, (e[0] > 0) + (e[1] > 0) + (e[2] > 0));
    EXPECT_GE(n, 1) << CElemSymb(z);
    lines += n;
    for (int i = 0; i < 3; ++i) {
      if (e[i] == 0) continue;
      if (e[i] <= last[i]) falls.push_back(z * 10 + i);
      last[i] = e[i];
    }
    // K above L above M where both exist.
    if (e[0] > 0 && e[1] > 0) {
      EXPECT_GT(e[0], e[1]);
    }
    if (e[1] > 0 && e[2] > 0) {
      EXPECT_GT(e[1], e[2]);
    }
  }
  EXPECT_EQ(lines, 147);
  EXPECT_EQ(falls, std::vector<int>{57 * 10 + 2});
}

// The range query against the single-element one: every line in range, in
// ascending order, paired with its element; both bounds included.
TEST(CDataXray, EnergyRange) {
  struct Case {
    double Low, High;
    int Expected;  // -1: not checked
  };
  for (const Case c :
       {Case{0, 1, 25}, Case{0.11, 0.11, 1}, Case{0.705, 0.705, 1}, Case{0, 100, 147},
        Case{1, 0, 0}, Case{20, 100, 0}, Case{NAN, 1, 0}, Case{2.5, 6.4, -1}}) {
    std::vector<std::pair<double, int>> expected;
    for (int z = 4; z <= 92; ++z) {
      double e[3];
      GetEDXLines(z, e[0], e[1], e[2]);
      for (const double v : e)
        if (v > 0 && c.Low <= v && v <= c.High) expected.emplace_back(v, z);
    }
    std::stable_sort(expected.begin(), expected.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    TDoubleArray energies = {9.9};
    TIntArray atoms = {99};
    const int n = GetEDXLines(c.Low, c.High, energies, atoms);
    if (c.Expected >= 0) {
      EXPECT_EQ(n, c.Expected) << c.Low << ".." << c.High;
    }
    ASSERT_EQ(static_cast<size_t>(n), expected.size());
    ASSERT_EQ(energies.size(), expected.size());
    ASSERT_EQ(atoms.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
      EXPECT_EQ(energies[i], expected[i].first);
      EXPECT_EQ(atoms[i], expected[i].second);
    }
  }
}

TEST(CDataCas, CheckAndFormat) {
  struct Case {
    int64_t Number;
    bool Valid;
    const char* Text;
  };
  for (const Case c :
       {Case{7732185, true, "7732-18-5"}, Case{7732186, false, "7732-18-6"},
        Case{50000, true, "50-00-0"}, Case{5, false, "0-00-5"}, Case{0, true, "0-00-0"},
        Case{10, false, "0-01-0"}, Case{64175, true, "64-17-5"},  // ethanol
        // Beyond 32 bits: ten digits before the first hyphen.
        Case{2628280408, true, "2628280-40-8"}, Case{2628280409, false, "2628280-40-9"},
        Case{999999999999999999, false, "999999999999999-99-9"}, Case{-7732185, false, ""}}) {
    EXPECT_EQ(CheckCASNr(c.Number), c.Valid) << c.Number;
    EXPECT_EQ(FormatCASNr(c.Number), c.Text) << c.Number;
  }
  EXPECT_FALSE(CheckCASNr(INT64_MIN));
  EXPECT_EQ(FormatCASNr(INT64_MAX), "9223372036854775-80-7");
  // One check digit in ten is right, whatever the other digits.
  std::mt19937_64 random(7);
  for (int i = 0; i < 1000; ++i) {
    const int64_t stem = static_cast<int64_t>(random() % 100000000000000000ull);
    int valid = 0;
    for (int d = 0; d < 10; ++d) valid += CheckCASNr(stem * 10 + d);
    EXPECT_EQ(valid, 1) << stem;
  }
}

TEST(CDataCas, ConvertText) {
  constexpr int64_t kUntouched = -42;
  struct Case {
    const char* Text;
    bool Result;
    int64_t Stored;
  };
  for (const Case c : {
           Case{"  7732-18-5  ", true, 7732185},
           Case{"7732-18-5", true, 7732185},
           Case{"7732-18-6", false, 7732186},  // well formed, wrong check digit
           Case{"0-00-0", true, 0},
           Case{"2628280-40-8", true, 2628280408},
           Case{"2628280-40-9", false, 2628280409},
           Case{"999999999999999-99-9", false, 999999999999999999},  // 18 digits
           Case{"-12-3", false, 123},
           Case{"7732-185", false, kUntouched},
           Case{"773-218-5", false, kUntouched},
           Case{"77-32-18-5", false, kUntouched},
           Case{"7732185", false, kUntouched},
           Case{"7732-18-5-", false, kUntouched},
           Case{"", false, kUntouched},
           Case{"   ", false, kUntouched},
           Case{"7732-1a-5", false, kUntouched},
           Case{"\t7732-18-5", false, kUntouched},
           // Only digits beside the hyphens: no sign, blank or prefix inside.
           Case{"+7732-18-5", false, kUntouched},
           Case{"-7732-18-5", false, kUntouched},
           Case{"7 732-18-5", false, kUntouched},
           Case{" 7732 -18-5", false, kUntouched},
           Case{"7732-+8-5", false, kUntouched},
           Case{"0x1E34-18-5", false, kUntouched},
           Case{"$1E34-18-5", false, kUntouched},
           Case{"9999999999999999-99-9", false, kUntouched},  // 19 digits
           Case{"99999999999999999999-99-9", false, kUntouched},
       }) {
    int64_t number = kUntouched;
    EXPECT_EQ(ConvertStrToCASNr(c.Text, number), c.Result) << '"' << c.Text << '"';
    EXPECT_EQ(number, c.Stored) << '"' << c.Text << '"';
  }
  // Formatting and reading agree for any number of up to 18 digits.
  std::mt19937_64 random(11);
  for (int i = 0; i < 2000; ++i) {
    const int64_t n = static_cast<int64_t>(random() % (i % 2 ? 1000000 : 1000000000000000000ull));
    int64_t back = -1;
    EXPECT_EQ(ConvertStrToCASNr(FormatCASNr(n), back), CheckCASNr(n)) << n;
    EXPECT_EQ(back, n);
  }
}

// The dictionary as the format has always been: fragment k by byte 127 + k,
// each replaced in turn, leftmost first, as long as it occurs.
std::string ReferenceCompress(const std::string& name) {
  std::string s = AnsiLowerCase(name);
  for (int k = 1; k <= kChemNameFragments; ++k) {
    const std::string frag = ChemNameFragment(k);
    for (size_t at; (at = s.find(frag)) != std::string::npos;)
      s.replace(at, frag.size(), 1, static_cast<char>(127 + k));
  }
  return s;
}

TEST(CDataNames, Dictionary) {
  EXPECT_EQ(ChemNameFragment(0), "");
  EXPECT_EQ(ChemNameFragment(1), "benzoyl");
  EXPECT_EQ(ChemNameFragment(12), "methyl");
  EXPECT_EQ(ChemNameFragment(128), "in");
  EXPECT_EQ(ChemNameFragment(129), "");
  std::set<std::string> seen;
  for (int k = 1; k <= kChemNameFragments; ++k) {
    const std::string f = ChemNameFragment(k);
    EXPECT_TRUE(seen.insert(f).second) << f;
    EXPECT_GE(f.size(), 2u);
    EXPECT_LE(f.size(), 7u);
    EXPECT_EQ(f.find_first_not_of("abcdefghijklmnopqrstuvwxyz"), std::string::npos) << f;
    // A fragment that holds another comes before it, so the longer wins.
    for (int j = 1; j < k; ++j)
      EXPECT_EQ(f.find(ChemNameFragment(j)), std::string::npos)
          << f << " holds the earlier " << ChemNameFragment(j);
  }
}

TEST(CDataNames, CompressAndExpand) {
  struct Case {
    std::string Name, Compressed;
  };
  for (const Case& c : {
           Case{"Methylbenzene",
                "\x8B\xDF\xFB"
                "e"},
           Case{"", ""},
           Case{"H2O", "h2o"},
           Case{"Benzoylchlorid",
                "\x80\xA5"
                "id"},
           // Bytes 0x7F and above are escaped, never read as codes.
           Case{"\xC4rger", "\x7F\xE4rger"},
           Case{"\x7F", "\x7F\x7F"},
           Case{"\xFFin", "\x7F\xFF\xFF"},
       }) {
    EXPECT_EQ(CompressChemName(c.Name), c.Compressed) << c.Name;
    EXPECT_EQ(DeCompressChemName(c.Compressed), AnsiLowerCase(c.Name)) << c.Name;
  }
  // Any byte of 128 or above expands, and a lone escape at the end stays.
  EXPECT_EQ(DeCompressChemName("\xFF\xFE\x80"), "indibenzoyl");
  EXPECT_EQ(DeCompressChemName("a\x7F"), "a\x7F");
  EXPECT_EQ(DeCompressChemName("\x7F\x7F\x7F"), "\x7F\x7F");
}

// Round trips over random names, seeded: random bytes of all values, and
// strings built from fragments and letters; names of ASCII without 0x7F
// compress exactly as they always have.
TEST(CDataNames, RoundTrips) {
  std::mt19937 random(2024);
  const std::string letters = "abcdefghijklmnopqrstuvwxyz ABCDEFGHIJKLMNOPQRSTUVWXYZ-,()0123456789";
  for (int i = 0; i < 4000; ++i) {
    std::string name;
    const int parts = static_cast<int>(random() % 12);
    for (int p = 0; p < parts; ++p) {
      switch (random() % 4) {
        case 0:
          name += ChemNameFragment(1 + static_cast<int>(random() % kChemNameFragments));
          break;
        case 1:
          name += AnsiUpperCase(ChemNameFragment(1 + static_cast<int>(random() % 128)));
          break;
        case 2:
          name += letters[random() % letters.size()];
          break;
        default:
          if (i % 2) name += static_cast<char>(random() % 256);
          break;
      }
    }
    const std::string compressed = CompressChemName(name);
    ASSERT_EQ(DeCompressChemName(compressed), AnsiLowerCase(name)) << name;
    EXPECT_LE(compressed.size(), 2 * name.size());
    const bool plain = std::none_of(name.begin(), name.end(),
                                    [](char c) { return static_cast<unsigned char>(c) >= 0x7F; });
    if (plain) {
      EXPECT_EQ(compressed, ReferenceCompress(name)) << name;
      EXPECT_LE(compressed.size(), name.size());
    }
  }
}

// RDKit's isotope masses for the same mass numbers: the table's exact masses
// are older measurements, rounded; the unstable elements carry the mass
// number and a few decimals only.
TEST(CDataOracle, ExactMassesAgainstRdkit) {
  std::string command =
      "/usr/bin/python3 -c 'import sys\n"
      "from rdkit import Chem\n"
      "pt = Chem.GetPeriodicTable()\n"
      "for z, a in enumerate(sys.argv[1:], 1): print(z, repr(pt.GetMassForIsotope(z, int(a))))'";
  for (int z = 1; z <= kMaxAtomicNumber; ++z) command += " " + std::to_string(IntAtWeight(z));
  command += " 2>/dev/null";
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) GTEST_SKIP() << "python3 cannot be run";
  std::map<int, double> masses;
  int z = 0;
  double mass = 0;
  while (std::fscanf(pipe, "%d %lf", &z, &mass) == 2) masses[z] = mass;
  pclose(pipe);
  if (masses.size() != static_cast<size_t>(kMaxAtomicNumber))
    GTEST_SKIP() << "python3 with rdkit not installed";

  double stable = 0, unstable = 0;
  int worst_stable = 0, worst_unstable = 0;
  for (const auto& [zz, m] : masses) {
    const double d = std::fabs(ExactAtWeight(zz) - m);
    if (ChemAtWeight(zz) > 0 && d > stable) stable = d, worst_stable = zz;
    if (ChemAtWeight(zz) == 0 && d > unstable) unstable = d, worst_unstable = zz;
  }
  std::printf(
      "largest difference to RDKit: %.6f u (%s) with a chemical weight, %.6f u (%s) without\n",
      stable, CElemSymb(worst_stable).c_str(), unstable, CElemSymb(worst_unstable).c_str());
  EXPECT_LT(stable, 1e-4);
  EXPECT_LT(unstable, 0.08);
}

}  // namespace
}  // namespace tkz
