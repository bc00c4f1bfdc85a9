// Random bytes through the BMP reader. EInvalidGraphic is the documented
// answer to bad data; anything else (another exception, a crash, a sanitizer
// report) is a finding. A decoded picture must keep the bitmap's invariants:
// a size within the limits and the top byte of every pixel 0; written
// again and read back, it comes back unchanged.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "core/platform/imagefile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > (size_t{1} << 20)) return 0;
  tkz::TBitmap bmp;
  try {
    tkz::LoadBMP(bmp, data, size);
  } catch (const tkz::EInvalidGraphic&) {
    return 0;
  }
  if (bmp.Empty() || !tkz::TBitmap::SizeAllowed(bmp.GetWidth(), bmp.GetHeight())) std::abort();
  const size_t n = static_cast<size_t>(bmp.GetWidth()) * static_cast<size_t>(bmp.GetHeight());
  for (size_t i = 0; i < n; ++i) {
    if (bmp.Bits()[i] >> 24) std::abort();
  }
  // What was read is written and read back unchanged (small pictures only).
  if (n <= (size_t{1} << 16)) {
    const std::vector<uint8_t> again = tkz::SaveBMP(bmp);
    tkz::TBitmap back;
    tkz::LoadBMP(back, again.data(), again.size());
    if (back.GetWidth() != bmp.GetWidth() || back.GetHeight() != bmp.GetHeight() ||
        !std::equal(bmp.Bits(), bmp.Bits() + n, back.Bits())) {
      std::abort();
    }
  }
  return 0;
}
