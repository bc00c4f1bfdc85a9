// Random bytes through the JPEG reader. EInvalidGraphic is the documented
// answer to bad data; anything else (another exception, a crash, a sanitizer
// report) is a finding. A decoded picture must keep the bitmap's invariants:
// a size within the limits and the top byte of every pixel 0.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "core/platform/imagefile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > (size_t{1} << 20)) return 0;
  tkz::TBitmap bmp;
  try {
    tkz::LoadJPEG(bmp, data, size);
  } catch (const tkz::EInvalidGraphic&) {
    return 0;
  }
  if (bmp.Empty() || !tkz::TBitmap::SizeAllowed(bmp.GetWidth(), bmp.GetHeight())) std::abort();
  const size_t n = static_cast<size_t>(bmp.GetWidth()) * static_cast<size_t>(bmp.GetHeight());
  for (size_t i = 0; i < n; ++i) {
    if (bmp.Bits()[i] >> 24) std::abort();
  }
  return 0;
}
