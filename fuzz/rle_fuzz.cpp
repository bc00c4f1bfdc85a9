// Random bytes through TRLEncoder.Decode with a block length taken from the
// input, draining blocks as the encoder asks; then the same bytes are encoded
// and decoded again and must come back unchanged.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "core/dstruct/checksums.h"

using namespace tkz;

namespace {
void Check(bool ok) {
  if (!ok) std::abort();
}

void Drain(TRLEncoder& rl, TBytes& out) {
  TBytes block;
  int n;
  do {
    n = rl.Finish(block);
    out.insert(out.end(), block.begin(), block.begin() + n);
  } while (n == rl.GetBufLeng());
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const int bl = 1 + data[0] % 64 * 5;
  ++data;
  --size;
  TRLEncoder rl;
  rl.SetBufLeng(bl);
  TBytes out, block;
  size_t expect = 0;  // bytes the stream should decode to
  int st = 0;
  for (size_t i = 0; i < size; ++i) {
    const uint8_t b = data[i];
    if (st == 0 && b == 0xA5) {
      st = 1;
    } else if (st == 1) {
      st = 2;  // the count; the next byte is the run byte
    } else if (st == 2) {
      expect += data[i - 1];
      st = 0;
    } else {
      ++expect;
    }
    if (rl.Decode(b)) {
      rl.GetResult(block);
      Check(block.size() >= static_cast<size_t>(bl));
      out.insert(out.end(), block.begin(), block.begin() + bl);
    }
  }
  Drain(rl, out);
  Check(out.size() >= expect + 3 && (out.size() - expect) % 3 == 0);

  // Encode the input in chunks no longer than the block length, decode back.
  const TBytes src(data, data + size);
  rl.Reset();
  TBytes enc;
  for (size_t pos = 0; pos < size; pos += static_cast<size_t>(bl)) {
    const TBytes part(
        src.begin() + static_cast<std::ptrdiff_t>(pos),
        src.begin() + static_cast<std::ptrdiff_t>(std::min(size, pos + static_cast<size_t>(bl))));
    if (rl.Encode(part, static_cast<int>(part.size()))) {
      while (rl.PendingCount() >= bl) {
        rl.GetResult(block);
        enc.insert(enc.end(), block.begin(), block.begin() + bl);
      }
    }
  }
  Drain(rl, enc);
  rl.Reset();
  TBytes dec;
  for (uint8_t b : enc)
    if (rl.Decode(b))
      while (rl.PendingCount() >= bl) {
        rl.GetResult(block);
        dec.insert(dec.end(), block.begin(), block.begin() + bl);
      }
  Drain(rl, dec);
  Check(dec.size() >= size + 3);
  dec.resize(size);
  Check(dec == src);
  return 0;
}
