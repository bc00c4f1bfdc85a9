// Arbitrary text through the CAS-number reader, and arbitrary 64-bit values
// through the check and the formatter. Beyond "no crash, no sanitizer report"
// it checks that a number read is written back as text that reads the same
// number with the same verdict, and that every formatted number of up to 18
// digits reads back.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "chem/cdata.h"

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

constexpr int64_t kEighteenDigits = 1000000000000000000;

// The formatted number reads back as itself, with the check's verdict.
void CheckRoundTrip(int64_t n) {
  const std::string text = tkz::FormatCASNr(n);
  if (n < 0) {
    Check(text.empty() && !tkz::CheckCASNr(n));
    return;
  }
  Check(text.size() >= 6 && text[text.size() - 2] == '-' && text[text.size() - 5] == '-');
  int64_t back = -1;
  const bool valid = tkz::ConvertStrToCASNr(text, back);
  if (n < kEighteenDigits) {
    Check(back == n);
    Check(valid == tkz::CheckCASNr(n));
  } else {
    Check(back == -1 && !valid);  // 19 digits are refused
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  constexpr int64_t kUntouched = -1;
  int64_t n = kUntouched;
  const bool valid = tkz::ConvertStrToCASNr(text, n);
  Check(!valid || n != kUntouched);
  if (n != kUntouched) {
    Check(n >= 0 && n < kEighteenDigits);
    Check(valid == tkz::CheckCASNr(n));
    CheckRoundTrip(n);
  }

  if (size >= 8) {
    int64_t v;
    std::memcpy(&v, data, sizeof v);
    CheckRoundTrip(v);
  }
  return 0;
}
