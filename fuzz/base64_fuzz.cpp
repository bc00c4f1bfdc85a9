// Random text through DecodeBase64: the status is 0 or -1, and whatever
// decodes re-encodes and decodes to the same bytes. Random bytes also
// round-trip through EncodeBase64.
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
std::string Content(TMemoryStream& s) {
  return std::string(s.Memory(), static_cast<size_t>(s.GetSize()));
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TMemoryStream in, out;
  in.WriteBuffer(data, static_cast<int64_t>(size));
  in.SetPosition(0);
  const int st = DecodeBase64(&in, &out);
  Check(st == 0 || st == -1);
  Check(static_cast<size_t>(out.GetSize()) <= size);

  for (bool lb : {false, true}) {
    TMemoryStream raw, enc, back;
    raw.WriteBuffer(data, static_cast<int64_t>(size));
    raw.SetPosition(0);
    EncodeBase64(&raw, &enc, lb);
    Check(static_cast<size_t>(enc.GetSize()) ==
          (size + 2) / 3 * 4 + (lb ? (size + 44) / 45 * 2 : 0));
    enc.SetPosition(0);
    Check(DecodeBase64(&enc, &back) == 0);
    Check(Content(back) == std::string(reinterpret_cast<const char*>(data), size));
  }
  return 0;
}
