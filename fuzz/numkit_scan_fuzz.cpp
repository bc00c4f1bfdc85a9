// Fuzzes numkit's text scanners (ScanDateTime, ScanHex, ScanDecimal) with
// random text, positions, patterns and languages, and DegreeToStr with random
// doubles. Checks that positions only move forward within the text and stay
// put when nothing was read.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "core/numkit/math1.h"

// AddressSanitizer keeps the call stack of every allocation and free, each
// distinct stack for the life of the process. Its fast unwinder follows frame
// pointers, but libstdc++'s out-of-line string code (which DegreeToStr and
// Hex reach) is built without them, so the chain runs on through whatever
// that code left in the frame register: a great many calls recorded a new,
// input-dependent "stack" and the process grew by tens of megabytes a minute
// (hundreds of thousands of stacks) until libFuzzer's memory limit would have
// stopped it. The exact unwinder keeps a few hundred stacks, right ones, at
// about a third of the speed. On top of that ASan's quarantine holds a fixed
// 256 MB of freed memory. ASAN_OPTIONS given at run time still take
// precedence.
extern "C" const char* __asan_default_options() { return "fast_unwind_on_malloc=0"; }

namespace {

void Check(bool ok) {
  if (!ok) __builtin_trap();
}

void CheckScan(std::string_view text, int start, int after, bool read) {
  if (read) {
    Check(after > start && after <= static_cast<int>(text.size()) + 1);
  } else {
    Check(after == start);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 4) return 0;
  // Byte 0: start position (may fall outside the text); byte 1: language;
  // byte 2: length of a fuzzed pattern taken from the tail; the rest: text.
  const int start = static_cast<int>(static_cast<int8_t>(data[0]));
  const auto lang = static_cast<tkz::TLanguage>(data[1] % 7);  // includes invalid values
  size_t patLen = data[2] % 24;
  std::string_view rest(reinterpret_cast<const char*>(data + 3), size - 3);
  if (patLen > rest.size()) patLen = rest.size();
  const std::string_view fuzzPattern = rest.substr(rest.size() - patLen);
  const std::string_view text = rest.substr(0, rest.size() - patLen);

  for (std::string_view pattern :
       {std::string_view("yyyymmddHHMMSS"), std::string_view("dd mmm yy HH:MM:SS.zzz"),
        std::string_view("mmmm dd, yyyy"), fuzzPattern}) {
    int pos = start;
    const double t = tkz::ScanDateTime(text, pattern, lang, pos);
    Check(t == t);  // never NaN
    if (pos != start) CheckScan(text, start, pos, true);
    if (t != 0 && pos == start) Check(false);  // a value means text was read
  }

  int pos = start;
  const int64_t h = tkz::ScanHex(text, pos);
  CheckScan(text, start, pos, pos != start);
  if (pos == start) Check(h == 0);
  pos = start;
  const int64_t d = tkz::ScanDecimal(text, pos);
  CheckScan(text, start, pos, pos != start);
  if (pos == start) Check(d == 1);  // an unwritten number reads as 1

  if (rest.size() >= sizeof(double)) {
    double v;
    std::memcpy(&v, rest.data(), sizeof v);
    for (int f = 0; f <= 4; ++f) {
      const std::string s =
          tkz::DegreeToStr(v, static_cast<tkz::TDegreeFormat>(f), static_cast<int8_t>(data[2]));
      Check(s.size() < 400);
    }
    (void)tkz::Round125(v);
    (void)tkz::SphereGreatCircleDist(v, v, 1, 2, v);
  }
  const std::string hx = tkz::Hex(h, data[1] % 80);
  Check(hx.size() == static_cast<size_t>(data[1] % 80 > 64 ? 64 : data[1] % 80));
  return 0;
}
