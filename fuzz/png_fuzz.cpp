// Random bytes through the PNG reader. EInvalidGraphic is the documented
// answer to bad data; anything else (another exception, a crash, a sanitizer
// report) is a finding. A decoded picture must keep the bitmap's invariants:
// a size within the limits and the top byte of every pixel 0; written
// again and read back, it comes back unchanged.
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "fuzz/image_fuzz.h"

namespace {

uint32_t Crc32(const uint8_t* p, size_t n) {
  static const auto table = [] {
    std::array<uint32_t, 256> t{};
    for (uint32_t i = 0; i < 256; ++i) {
      uint32_t c = i;
      for (int k = 0; k < 8; ++k) c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1)));
      t[i] = c;
    }
    return t;
  }();
  uint32_t c = 0xFFFFFFFFu;
  for (size_t i = 0; i < n; ++i) c = table[(c ^ p[i]) & 0xFF] ^ (c >> 8);
  return ~c;
}

// Mutations almost always break a chunk's CRC, and libpng stops at the first
// bad one: the input's chunk CRCs are made right so that the reader gets to
// see the mutated content.
void FixCrcs(std::vector<uint8_t>& f) {
  for (size_t pos = 8; pos <= f.size() && f.size() - pos >= 12;) {
    const uint32_t length = (uint32_t{f[pos]} << 24) | (uint32_t{f[pos + 1]} << 16) |
                            (uint32_t{f[pos + 2]} << 8) | f[pos + 3];
    if (length > f.size() - pos - 12) break;
    const uint32_t crc = Crc32(f.data() + pos + 4, length + 4);
    for (int i = 0; i < 4; ++i) f[pos + 8 + length + i] = static_cast<uint8_t>(crc >> (24 - 8 * i));
    pos += 12 + length;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* input, size_t size) {
  if (size > (size_t{1} << 20)) return 0;
  std::vector<uint8_t> file(input, input + size);
  FixCrcs(file);
  return tkz::fuzzing::FuzzImageReader(file.data(), file.size(), &tkz::LoadPNG,
                                       [](const tkz::TBitmap& b) { return tkz::SavePNG(b); });
}
