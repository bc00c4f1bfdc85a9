// String utilities against the standard library doing the same work:
// number formatting against snprintf producing the same text, searching and
// replacing against std::string::find loops.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/text/stringl.h"

namespace {

const std::vector<double>& Values() {
  static const std::vector<double> v = [] {
    std::vector<double> r;
    double x = 0.000123;
    for (int i = 0; i < 64; ++i) {
      r.push_back((i % 3 == 0 ? -x : x));
      x *= 1.9;
    }
    return r;
  }();
  return v;
}

std::string Printf(const char* fmt, int w, int d, long double x) {
  char buf[512];
  const int n = std::snprintf(buf, sizeof buf, fmt, w, d, x);
  return std::string(buf, static_cast<size_t>(n));
}

std::string PrintfD(const char* fmt, int w, int d, double x) {
  char buf[512];
  const int n = std::snprintf(buf, sizeof buf, fmt, w, d, x);
  return std::string(buf, static_cast<size_t>(n));
}

// The peers must produce the same text as our functions, or the ratios mean
// nothing: checked once at start-up.
const bool kPeersAgree = [] {
  for (double x : Values()) {
    const double a = std::fabs(x);
    const std::string fd = (a <= 99999.999 && (a >= 1e-3 || x == 0))
                               ? PrintfD("%*.*f", 10, 3, x)
                               : PrintfD("% *.*E", 0, 10 + 6 - 7, x);
    if (tkz::strff(x, 12, 3) != Printf("%*.*Lf", 12, 3, x) ||
        tkz::strff(x / 3.0L, 12, 3) != Printf("%*.*Lf", 12, 3, x / 3.0L) ||
        tkz::strff(x, 12, -2) != Printf("% *.*LE", 0, 12 - 7, x) ||
        tkz::FormatData(x, 10, 3) != fd) {
      std::fprintf(stderr, "peer text differs for %.17g\n", x);
      std::abort();
    }
  }
  return true;
}();

// ------------------------------------------------------------ strff fixed

void StrffFixedOurs(benchmark::State& state) {
  const auto& v = Values();
  size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(tkz::strff(v[i++ & 63], 12, 3));
  }
}
void StrffFixedPeer(benchmark::State& state) {
  const auto& v = Values();
  size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(Printf("%*.*Lf", 12, 3, v[i++ & 63]));
  }
}
BENCHMARK(StrffFixedOurs)->Name("strff_fixed/ours");
BENCHMARK(StrffFixedPeer)->Name("strff_fixed/peer");

// Values that are no doubles take the extended path on both sides.
void StrffExtendedOurs(benchmark::State& state) {
  const auto& v = Values();
  size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(tkz::strff(v[i++ & 63] / 3.0L, 12, 3));
  }
}
void StrffExtendedPeer(benchmark::State& state) {
  const auto& v = Values();
  size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(Printf("%*.*Lf", 12, 3, v[i++ & 63] / 3.0L));
  }
}
BENCHMARK(StrffExtendedOurs)->Name("strff_extended/ours");
BENCHMARK(StrffExtendedPeer)->Name("strff_extended/peer");

// ---------------------------------------------------- strff short scientific

// snprintf's "% .nE" gives the same text as the short form while the
// exponent has two digits (all values used here).
void StrffSciOurs(benchmark::State& state) {
  const auto& v = Values();
  size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(tkz::strff(v[i++ & 63], 12, -2));
  }
}
void StrffSciPeer(benchmark::State& state) {
  const auto& v = Values();
  size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(Printf("% *.*LE", 0, 12 - 7, v[i++ & 63]));
  }
}
BENCHMARK(StrffSciOurs)->Name("strff_scientific/ours");
BENCHMARK(StrffSciPeer)->Name("strff_scientific/peer");

// ------------------------------------------------------------- FormatData

void FormatDataOurs(benchmark::State& state) {
  const auto& v = Values();
  size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(tkz::FormatData(v[i++ & 63], 10, 3));
  }
}
void FormatDataPeerBench(benchmark::State& state) {
  const auto& v = Values();
  size_t i = 0;
  for (auto _ : state) {
    const double x = v[i++ & 63];
    const double a = std::fabs(x);
    if (a <= 99999.999 && (a >= 1e-3 || x == 0))
      benchmark::DoNotOptimize(PrintfD("%*.*f", 10, 3, x));
    else
      benchmark::DoNotOptimize(PrintfD("% *.*E", 0, 10 + 6 - 7, x));
  }
}
BENCHMARK(FormatDataOurs)->Name("FormatData/ours");
BENCHMARK(FormatDataPeerBench)->Name("FormatData/peer");

// ------------------------------------------------------------ NumberedPos

const std::string& Text() {
  static const std::string t = [] {
    std::string r;
    for (int i = 0; i < 400; ++i) r += "the quick brown fox jumps over the lazy dog; ";
    return r;
  }();
  return t;
}

void NumberedPosOurs(benchmark::State& state) {
  const std::string& t = Text();
  for (auto _ : state) {
    benchmark::DoNotOptimize(tkz::NumberedPos("lazy", t, 1, 300, false));
  }
}
void NumberedPosPeer(benchmark::State& state) {
  const std::string& t = Text();
  const std::string sub = "lazy";
  for (auto _ : state) {
    size_t p = std::string::npos, from = 0;
    for (int k = 0; k < 300; ++k) {
      p = t.find(sub, from);
      if (p == std::string::npos) break;
      from = p + sub.size();
    }
    benchmark::DoNotOptimize(p == std::string::npos ? 0 : static_cast<int>(p) + 1);
  }
}
BENCHMARK(NumberedPosOurs)->Name("NumberedPos/ours");
BENCHMARK(NumberedPosPeer)->Name("NumberedPos/peer");

// ---------------------------------------------------- ReplaceStringInString

void ReplaceOurs(benchmark::State& state) {
  const std::string& t = Text();
  for (auto _ : state) {
    benchmark::DoNotOptimize(tkz::ReplaceStringInString(t, "fox", "wolf", false));
  }
}
void ReplacePeer(benchmark::State& state) {
  const std::string& t = Text();
  const std::string search = "fox", repl = "wolf";
  for (auto _ : state) {
    std::string r;
    size_t from = 0;
    for (size_t p = t.find(search); p != std::string::npos; p = t.find(search, from)) {
      r.append(t, from, p - from);
      r += repl;
      from = p + search.size();
    }
    r.append(t, from, std::string::npos);
    benchmark::DoNotOptimize(r);
  }
}
BENCHMARK(ReplaceOurs)->Name("ReplaceStringInString/ours");
BENCHMARK(ReplacePeer)->Name("ReplaceStringInString/peer");

}  // namespace
