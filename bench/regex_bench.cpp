// TGrep against std::regex (ECMAScript), POSIX regcomp/regexec (extended),
// PCRE2 with its JIT and RE2, on the same expressions, searching each line of
// the same ~10 MB of generated text for its first match. Each case registers
// "regex_<case>_<peer>/ours|peer" for every peer built in. At start-up all
// engines must agree on which lines match and where the match starts, or the
// ratios mean nothing.
#include <benchmark/benchmark.h>
#include <regex.h>
#ifdef TKZ_HAVE_PCRE2
#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>
#endif
#ifdef TKZ_HAVE_RE2
#include <re2/re2.h>
#endif

#include <cstdio>
#include <cstdlib>
#include <random>
#include <regex>
#include <string>
#include <vector>

#include "core/text/regex.h"

namespace {

const std::vector<std::string>& Lines() {
  static const std::vector<std::string> lines = [] {
    static const char* const words[] = {"the",   "colour", "color",  "Warning", "error",   "ERROR",
                                        "value", "id=",    "sensor", "reading", "x",       "status",
                                        "ok",    "Map",    "datum",  "north",   "Station", "level"};
    std::mt19937 rng(12345);
    std::vector<std::string> r;
    size_t total = 0;
    while (total < 10u << 20) {
      std::string line;
      const int n = 4 + static_cast<int>(rng() % 10);
      for (int i = 0; i < n; ++i) {
        if (i) line += ' ';
        switch (rng() % 5) {
          case 0:
            line += std::to_string(rng() % 1000);
            break;
          case 1:
            line += std::to_string(rng() % 100) + "." + std::to_string(rng() % 1000);
            break;
          default:
            line += words[rng() % std::size(words)];
            break;
        }
        if (rng() % 23 == 0) line += ';';
      }
      total += line.size() + 1;
      r.push_back(std::move(line));
    }
    return r;
  }();
  return lines;
}

struct Case {
  const char* name;
  const char* pattern;  // the same text for every engine
  bool icase;
};

const Case kCases[] = {
    {"literal", "Warning", false},        {"number", "[0-9]+\\.[0-9]+", false},
    {"optional", "colou?r", false},       {"anchored", "^[A-Z][a-z]+ [0-9]", false},
    {"line_end", "x [0-9]*$", false},     {"anychar", "id=.*;", false},
    {"ignore_case", "error [0-9]", true},
};

// Sum of (line number * match start) over matching lines, and their count.
struct Result {
  long long sum = 0;
  long count = 0;
  bool operator==(const Result&) const = default;
};

Result RunOurs(const Case& c) {
  tkz::TGrep g;
  g.SetIgnoreCase(c.icase);
  g.SetRegExp(c.pattern);
  Result r;
  long n = 0;
  for (const std::string& line : Lines()) {
    ++n;
    int pos;
    if (g.MatchString(line, pos)) {
      r.sum += n * pos;
      ++r.count;
    }
  }
  return r;
}

Result RunStd(const Case& c) {
  const std::regex re(
      c.pattern, c.icase ? std::regex::ECMAScript | std::regex::icase : std::regex::ECMAScript);
  Result r;
  long n = 0;
  std::smatch m;
  for (const std::string& line : Lines()) {
    ++n;
    if (std::regex_search(line, m, re)) {
      r.sum += n * (m.position(0) + 1);
      ++r.count;
    }
  }
  return r;
}

Result RunPosix(const Case& c) {
  regex_t re;
  if (regcomp(&re, c.pattern, REG_EXTENDED | (c.icase ? REG_ICASE : 0)) != 0) std::abort();
  Result r;
  long n = 0;
  regmatch_t m[1];
  for (const std::string& line : Lines()) {
    ++n;
    if (regexec(&re, line.c_str(), 1, m, 0) == 0) {
      r.sum += n * (m[0].rm_so + 1);
      ++r.count;
    }
  }
  regfree(&re);
  return r;
}

#ifdef TKZ_HAVE_PCRE2
// Compiled once per run, as the other engines do; the JIT is required.
Result RunPcre2(const Case& c) {
  int err = 0;
  PCRE2_SIZE at = 0;
  pcre2_code* re = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(c.pattern), PCRE2_ZERO_TERMINATED,
                                 c.icase ? PCRE2_CASELESS : 0, &err, &at, nullptr);
  if (!re || pcre2_jit_compile(re, PCRE2_JIT_COMPLETE) != 0) std::abort();
  pcre2_match_data* md = pcre2_match_data_create_from_pattern(re, nullptr);
  Result r;
  long n = 0;
  for (const std::string& line : Lines()) {
    ++n;
    if (pcre2_jit_match(re, reinterpret_cast<PCRE2_SPTR>(line.data()), line.size(), 0, 0, md,
                        nullptr) >= 0) {
      r.sum += n * static_cast<long long>(pcre2_get_ovector_pointer(md)[0] + 1);
      ++r.count;
    }
  }
  pcre2_match_data_free(md);
  pcre2_code_free(re);
  return r;
}
#endif

#ifdef TKZ_HAVE_RE2
Result RunRe2(const Case& c) {
  RE2::Options o;
  o.set_case_sensitive(!c.icase);
  o.set_log_errors(false);
  const RE2 re(c.pattern, o);
  if (!re.ok()) std::abort();
  Result r;
  long n = 0;
  re2::StringPiece m;
  for (const std::string& line : Lines()) {
    ++n;
    if (re.Match(line, 0, line.size(), RE2::UNANCHORED, &m, 1)) {
      r.sum += n * (m.data() - line.data() + 1);
      ++r.count;
    }
  }
  return r;
}
#endif

struct Peer {
  const char* name;
  Result (*run)(const Case&);
};

const Peer kPeers[] = {
    {"std", RunStd},
    {"posix", RunPosix},
#ifdef TKZ_HAVE_PCRE2
    {"pcre2jit", RunPcre2},
#endif
#ifdef TKZ_HAVE_RE2
    {"re2", RunRe2},
#endif
};

const bool kPeersAgree = [] {
  for (const Case& c : kCases) {
    const Result a = RunOurs(c);
    for (const Peer& p : kPeers) {
      const Result b = p.run(c);
      if (!(a == b) || a.count == 0) {
        std::fprintf(stderr, "%s: ours %ld/%lld, %s %ld/%lld\n", c.name, a.count, a.sum, p.name,
                     b.count, b.sum);
        std::abort();
      }
    }
  }
  return true;
}();

void Ours(benchmark::State& state, const Case* c) {
  for (auto _ : state) benchmark::DoNotOptimize(RunOurs(*c));
}
void Other(benchmark::State& state, const Case* c, const Peer* p) {
  for (auto _ : state) benchmark::DoNotOptimize(p->run(*c));
}

const bool kRegistered = [] {
  for (const Case& c : kCases) {
    for (const Peer& p : kPeers) {
      const std::string base = std::string("regex_") + c.name + "_" + p.name;
      benchmark::RegisterBenchmark((base + "/ours").c_str(), Ours, &c)
          ->Unit(benchmark::kMillisecond);
      benchmark::RegisterBenchmark((base + "/peer").c_str(), Other, &c, &p)
          ->Unit(benchmark::kMillisecond);
    }
  }
  return kPeersAgree;
}();

}  // namespace
