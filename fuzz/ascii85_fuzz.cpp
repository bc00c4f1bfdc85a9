// Random text through DecodeASCII85: the status is 0, -1 or -2 and the output
// is bounded by the input. Random bytes round-trip through EncodeASCII85.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/dstruct/checksums.h"

using namespace tkz;

namespace {
void Check(bool ok) {
  if (!ok) std::abort();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TMemoryStream in, out;
  in.WriteBuffer(data, static_cast<int64_t>(size));
  in.SetPosition(0);
  const int st = DecodeASCII85(&in, &out);
  Check(st == 0 || st == -1 || st == -2);
  Check(static_cast<size_t>(out.GetSize()) <= 4 * size);
  Check(in.GetPosition() <= static_cast<int64_t>(size));

  for (bool lb : {false, true}) {
    TMemoryStream raw, enc, back;
    raw.WriteBuffer(data, static_cast<int64_t>(size));
    raw.SetPosition(0);
    EncodeASCII85(&raw, &enc, lb);
    const std::string text(enc.Memory(), static_cast<size_t>(enc.GetSize()));
    Check(text.size() >= 2 && text.compare(text.size() - 2, 2, "~>") == 0);
    enc.SetPosition(0);
    Check(DecodeASCII85(&enc, &back) == 0);
    Check(back.GetSize() == static_cast<int64_t>(size));
    Check(std::string(back.Memory(), size) ==
          std::string(reinterpret_cast<const char*>(data), size));
    Check(enc.GetPosition() == enc.GetSize());
  }
  return 0;
}
