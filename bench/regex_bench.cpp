// TGrep against std::regex (ECMAScript) and POSIX regcomp/regexec (extended)
// on the same expressions, searching each line of the same ~10 MB of generated
// text for its first match. Each case registers "regex_<case>_std/ours|peer"
// and "regex_<case>_posix/ours|peer". At start-up the three engines must agree
// on which lines match and where the match starts, or the ratios mean nothing.
#include <benchmark/benchmark.h>
#include <regex.h>

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
  const char* pattern;  // the same text for the three engines
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

const bool kPeersAgree = [] {
  for (const Case& c : kCases) {
    const Result a = RunOurs(c), b = RunStd(c), p = RunPosix(c);
    if (!(a == b) || !(a == p) || a.count == 0) {
      std::fprintf(stderr, "%s: ours %ld/%lld, std %ld/%lld, posix %ld/%lld\n", c.name, a.count,
                   a.sum, b.count, b.sum, p.count, p.sum);
      std::abort();
    }
  }
  return true;
}();

void Ours(benchmark::State& state, const Case* c) {
  for (auto _ : state) benchmark::DoNotOptimize(RunOurs(*c));
}
void Std(benchmark::State& state, const Case* c) {
  for (auto _ : state) benchmark::DoNotOptimize(RunStd(*c));
}
void Posix(benchmark::State& state, const Case* c) {
  for (auto _ : state) benchmark::DoNotOptimize(RunPosix(*c));
}

const bool kRegistered = [] {
  for (const Case& c : kCases) {
    const std::string base = std::string("regex_") + c.name;
    benchmark::RegisterBenchmark((base + "_std/ours").c_str(), Ours, &c)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark((base + "_std/peer").c_str(), Std, &c)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark((base + "_posix/ours").c_str(), Ours, &c)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark((base + "_posix/peer").c_str(), Posix, &c)
        ->Unit(benchmark::kMillisecond);
  }
  return kPeersAgree;
}();

}  // namespace
