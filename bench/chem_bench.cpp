// Molecular formulas. "formula_scan": TMolForm::ScanMolFormula against a
// std::regex tokenizer on the same 4000 generated formulas (C, H, N, O, S, P,
// halogens, some isotopes and groups in parentheses, written with and without
// blanks); at start-up both must give the same entries for every text.
// "formula_search_*": FindFormulaExactMass over a large range against a plain
// nested enumeration of every candidate; both must find the same formulas.
// The search reports candidates per second as the counter "candidates".
// "sd_read": the SD reader over the file named by TKZ_SD_FILE, in records per
// second; bench/sd_read.sh builds a file of real records and runs RDKit on it.
#include <benchmark/benchmark.h>

#include <array>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <regex>
#include <string>
#include <unordered_map>
#include <vector>

#include "chem/cdata.h"
#include "chem/cform.h"
#include "chem/cstruct.h"
#include "core/platform/textfile.h"

namespace {

using tkz::TFormulaRec;
using tkz::TMolForm;

// One entry as (atomic number, mass number, count).
using Entry = std::array<int, 3>;

// ------------------------------------------------------------ the formulas

const std::vector<std::string>& Texts() {
  static const std::vector<std::string> texts = [] {
    struct Part {
      const char* symbol;
      int max_count;
      int percent;  // how often a formula holds it
    };
    static const Part parts[] = {{"C", 60, 100}, {"H", 90, 97}, {"N", 8, 70}, {"O", 12, 80},
                                 {"S", 3, 25},   {"P", 2, 8},   {"F", 9, 10}, {"Cl", 4, 15},
                                 {"Br", 2, 8},   {"I", 1, 3},   {"Si", 2, 3}, {"Na", 1, 3}};
    static const char* const groups[] = {"(C H3)", "(C H2)", "(O H)",  "(C O O H)",
                                         "(N H2)", "(C F3)", "(C6H5)", "(S O3 H)"};
    std::mt19937 rng(20240611);
    const auto chance = [&](int percent) { return static_cast<int>(rng() % 100) < percent; };
    std::vector<std::string> r;
    while (r.size() < 4000) {
      // Without blanks every count is written, or "CH" would be one symbol.
      const bool compact = chance(30);
      std::string s;
      const auto add = [&](const std::string& part) {
        if (!s.empty() && !compact) s += ' ';
        s += part;
      };
      // A group leads the formula: a blank before "(" would end the reading.
      if (chance(20)) {
        s = groups[rng() % std::size(groups)];
        if (chance(70)) s += std::to_string(2 + rng() % 4);
      }
      for (const Part& p : parts) {
        if (!chance(p.percent)) continue;
        const int n = 1 + static_cast<int>(rng() % p.max_count);
        // Now and then carbon 13 (where its mass number cannot be taken
        // for the count of the part before) and deuterium.
        std::string part = p.symbol;
        if (part == "C" && (s.empty() || !compact) && chance(5)) part.insert(0, "13");
        if (part == "H" && chance(4)) add(std::string("D") += std::to_string(1 + rng() % 3));
        if (n > 1 || compact) part += std::to_string(n);
        add(part);
      }
      r.push_back(s);
    }
    return r;
  }();
  return texts;
}

// ------------------------------------------------------------ the scanners

std::vector<Entry> Entries(const TMolForm& f) {
  std::vector<Entry> e;
  const TFormulaRec& r = f.GetFormulaRec();
  for (int i = 1; i <= r.NumAtoms; ++i) e.push_back({r.AtNum[i], r.AtWgt[i], r.AtCnt[i]});
  return e;
}

// The peer: a regular expression for "(", ")n" and "[mass] symbol [count]",
// symbols looked up upper-cased as the user's own table.
struct RegexScanner {
  std::regex re{R"(\(|\)(\d*)|(\d*)\s*([A-Za-z]+)\s*(\d*))"};
  std::unordered_map<std::string, int> symbols;

  RegexScanner() {
    for (int z = 1; z <= tkz::kMaxAtomicNumber; ++z) {
      std::string s = tkz::CElemSymb(z);
      for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
      symbols.emplace(s, z);
    }
  }

  // The entries of Text, or false at a part it cannot read.
  bool Scan(const std::string& text, std::vector<Entry>& out) const {
    out.clear();
    size_t group = std::string::npos;  // first entry of the open group
    for (auto it = std::sregex_iterator(text.begin(), text.end(), re); it != std::sregex_iterator();
         ++it) {
      const std::smatch& m = *it;
      if (m.str(0) == "(") {
        group = out.size();
      } else if (m.str(0)[0] == ')') {
        const int n = m.length(1) ? std::stoi(m.str(1)) : 1;
        for (size_t i = group == std::string::npos ? out.size() : group; i < out.size(); ++i)
          out[i][2] *= n;
        group = std::string::npos;
      } else {
        std::string sym = m.str(3);
        for (char& c : sym) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        int z = 0, mass = 0;
        if (sym == "D") {
          z = 1;
          mass = 2;
        } else if (const auto f = symbols.find(sym); f != symbols.end()) {
          z = f->second;
          mass = tkz::IntAtWeight(z);
        } else {
          return false;
        }
        if (m.length(2)) mass = std::stoi(m.str(2));
        out.push_back({z, mass, m.length(4) ? std::stoi(m.str(4)) : 1});
      }
    }
    return true;
  }
};

const RegexScanner& Peer() {
  static const RegexScanner peer;
  return peer;
}

const bool kScannersAgree = [] {
  TMolForm f;
  f.SetVisible(false);
  std::vector<Entry> theirs;
  for (const std::string& t : Texts()) {
    f.ScanMolFormula(t);
    const bool read = Peer().Scan(t, theirs);
    if (!read || Entries(f) != theirs || f.ScanStopPos() != static_cast<int>(t.size()) + 1) {
      std::fprintf(stderr,
                   "formula_scan: \"%s\" reads as \"%s\" (stop %d), the peer gives %zu entries\n",
                   t.c_str(), f.AsString(1).c_str(), f.ScanStopPos(), theirs.size());
      std::abort();
    }
  }
  return true;
}();

void ScanOurs(benchmark::State& state) {
  TMolForm f;
  f.SetVisible(false);
  for (auto _ : state) {
    int atoms = 0;
    for (const std::string& t : Texts()) {
      f.ScanMolFormula(t);
      atoms += f.GetNumAtoms();
    }
    benchmark::DoNotOptimize(atoms);
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(Texts().size()));
}

void ScanPeer(benchmark::State& state) {
  std::vector<Entry> e;
  for (auto _ : state) {
    size_t atoms = 0;
    for (const std::string& t : Texts()) {
      Peer().Scan(t, e);
      atoms += e.size();
    }
    benchmark::DoNotOptimize(atoms);
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(Texts().size()));
}

// -------------------------------------------------------------- the search

struct SearchCase {
  const char* name;
  std::vector<Entry> range;  // element, mass number, upper count (lower 0)
};

// C0..60 H0..120 N0..10 O0..20 S0..4, and the same with hydrogen last (the
// entry that changes fastest).
const SearchCase kSearchCases[] = {
    {"formula_search_chnos", {{6, 12, 60}, {1, 1, 120}, {7, 14, 10}, {8, 16, 20}, {16, 32, 4}}},
    {"formula_search_cnosh", {{6, 12, 60}, {7, 14, 10}, {8, 16, 20}, {16, 32, 4}, {1, 1, 120}}},
};

// Tamoxifen, C26 H29 N O.
constexpr double kTarget = 371.22491;
constexpr double kTolerance = 0.005;

std::vector<std::vector<int>> SearchOurs(const SearchCase& c, double& candidates) {
  TFormulaRec lower, upper;
  upper.NumAtoms = lower.NumAtoms = static_cast<int>(c.range.size());
  for (size_t i = 0; i < c.range.size(); ++i) {
    upper.AtNum[i + 1] = lower.AtNum[i + 1] = static_cast<uint8_t>(c.range[i][0]);
    upper.AtWgt[i + 1] = lower.AtWgt[i + 1] = c.range[i][1];
    upper.AtCnt[i + 1] = c.range[i][2];
  }
  TMolForm f;
  f.SetVisible(false);
  f.InitFindFormula(kTarget, kTolerance, lower, upper);
  std::vector<std::vector<int>> found;
  while (f.FindFormulaExactMass(false)) {
    const TFormulaRec& r = f.GetFormulaRec();
    found.emplace_back(r.AtCnt.begin() + 1, r.AtCnt.begin() + 1 + r.NumAtoms);
  }
  candidates = f.SearchCandidatesDone();
  return found;
}

// The peer: five nested loops over every candidate, as a user writes them,
// from the upper counts down like the search.
std::vector<std::vector<int>> SearchPeer(const SearchCase& c, double& candidates) {
  double m[5];
  int hi[5];
  for (int i = 0; i < 5; ++i) {
    m[i] = tkz::ExactAtWeight(c.range[i][0]);
    hi[i] = c.range[i][2];
  }
  std::vector<std::vector<int>> found;
  candidates = 0;
  for (int a = hi[0]; a >= 0; --a) {
    for (int b = hi[1]; b >= 0; --b) {
      for (int d = hi[2]; d >= 0; --d) {
        for (int e = hi[3]; e >= 0; --e) {
          for (int g = hi[4]; g >= 0; --g) {
            const double mass = m[0] * a + m[1] * b + m[2] * d + m[3] * e + m[4] * g;
            if (std::fabs(mass - kTarget) < kTolerance) found.push_back({a, b, d, e, g});
          }
          candidates += hi[4] + 1;
        }
      }
    }
  }
  return found;
}

const bool kSearchesAgree = [] {
  for (const SearchCase& c : kSearchCases) {
    double ours_n = 0, peer_n = 0;
    const auto ours = SearchOurs(c, ours_n);
    const auto peer = SearchPeer(c, peer_n);
    if (ours != peer || ours.empty() || ours_n != peer_n) {
      std::fprintf(stderr, "%s: ours %zu formulas of %.0f candidates, peer %zu of %.0f\n", c.name,
                   ours.size(), ours_n, peer.size(), peer_n);
      std::abort();
    }
  }
  return true;
}();

template <auto Search>
void SearchBench(benchmark::State& state, const SearchCase* c) {
  double candidates = 0, total = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(Search(*c, candidates));
    total += candidates;
  }
  state.counters["candidates"] = benchmark::Counter(total, benchmark::Counter::kIsRate);
}

const bool kRegistered = [] {
  benchmark::RegisterBenchmark("formula_scan/ours", ScanOurs)->Unit(benchmark::kMicrosecond);
  benchmark::RegisterBenchmark("formula_scan/peer", ScanPeer)->Unit(benchmark::kMicrosecond);
  for (const SearchCase& c : kSearchCases) {
    benchmark::RegisterBenchmark((std::string(c.name) + "/ours").c_str(), SearchBench<SearchOurs>,
                                 &c)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark((std::string(c.name) + "/peer").c_str(), SearchBench<SearchPeer>,
                                 &c)
        ->Unit(benchmark::kMillisecond);
  }
  return kScannersAgree && kSearchesAgree;
}();

// ------------------------------------------------------------- SD reading
// "sd_read": every record of the SD file named by TKZ_SD_FILE (bench/sd_read.sh
// builds one of real records and compares with RDKit); skipped without it.
void SdRead(benchmark::State& state) {
  const char* path = std::getenv("TKZ_SD_FILE");
  if (path == nullptr) {
    state.SkipWithError("TKZ_SD_FILE is not set (see bench/sd_read.sh)");
    return;
  }
  int64_t records = 0, atoms = 0;
  for (auto _ : state) {
    tkz::TTextFile f;
    f.AssignFile(path);
    f.Reset();
    tkz::TCTab t;
    tkz::TPropRec props;
    while (!f.SeekEof()) {
      t.ReadFromMDLSDFile(f, props);
      atoms += t.GetNAtoms();
      ++records;
    }
    f.CloseFile();
  }
  benchmark::DoNotOptimize(atoms);
  state.counters["records"] =
      benchmark::Counter(static_cast<double>(records), benchmark::Counter::kIsRate);
}
BENCHMARK(SdRead)->Name("sd_read")->Unit(benchmark::kMillisecond);

}  // namespace
