// The floating-point and decimal scanners on a memory stream: every number
// read is finite and within +-uc_MaxDouble, and every call consumes input.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/platform/stream.h"
#include "core/text/streams.h"
#include "core/types/univconst.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const bool allow_exp = data[0] & 1;
  const int mode = (data[0] >> 1) % 5;
  const bool decimal = data[0] & 0x80;
  tkz::TStringStream s(std::string(reinterpret_cast<const char*>(data + 1), size - 1));
  int64_t last = 0;
  while (s.GetPosition() < s.GetSize()) {
    if (decimal) {
      (void)tkz::ScanStreamDecimal(&s);
    } else {
      const long double v = tkz::ScanStreamFPNum(&s, allow_exp, mode);
      if (!std::isfinite(v) || std::fabs(v) > tkz::uc_MaxDouble) __builtin_trap();
    }
    if (s.GetPosition() <= last) __builtin_trap();
    last = s.GetPosition();
  }
  return 0;
}
