// The shared body of the image-reader fuzz targets. EInvalidGraphic is the
// documented answer to bad data; anything else (another exception, a crash,
// a sanitizer report) is a finding. A decoded picture must keep the bitmap's
// invariants: a size within the limits and the top byte of every pixel 0;
// for the lossless formats, written again and read back it comes back
// unchanged.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "core/platform/imagefile.h"

namespace tkz::fuzzing {

using Loader = void (*)(TBitmap&, const uint8_t*, size_t, const TProgressEvent&, TObject*);
using Saver = std::vector<uint8_t> (*)(const TBitmap&);

inline int FuzzImageReader(const uint8_t* data, size_t size, Loader load, Saver save) {
  if (size > (size_t{1} << 20)) return 0;
  TBitmap bmp;
  try {
    load(bmp, data, size, {}, nullptr);
  } catch (const EInvalidGraphic&) {
    return 0;
  }
  if (bmp.Empty() || !TBitmap::SizeAllowed(bmp.GetWidth(), bmp.GetHeight())) std::abort();
  const size_t n = static_cast<size_t>(bmp.GetWidth()) * static_cast<size_t>(bmp.GetHeight());
  for (size_t i = 0; i < n; ++i) {
    if (bmp.Bits()[i] >> 24) std::abort();
  }
  // What was read is written and read back unchanged (small pictures only).
  if (save != nullptr && n <= (size_t{1} << 16)) {
    const std::vector<uint8_t> again = save(bmp);
    TBitmap back;
    load(back, again.data(), again.size(), {}, nullptr);
    if (back.GetWidth() != bmp.GetWidth() || back.GetHeight() != bmp.GetHeight() ||
        !std::equal(bmp.Bits(), bmp.Bits() + n, back.Bits())) {
      std::abort();
    }
  }
  return 0;
}

}  // namespace tkz::fuzzing
