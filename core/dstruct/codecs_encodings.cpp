// Base64, ASCII85 and the run-length coder.
#include <cstring>
#include <new>

#include "core/dstruct/checksums.h"

namespace tkz {

namespace {

const char kB64[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// Two output characters for every 12-bit value.
struct B64EncTable {
  uint16_t pair[4096];
  B64EncTable() {
    for (int i = 0; i < 4096; ++i) {
      const auto a = static_cast<uint8_t>(kB64[i >> 6]), b = static_cast<uint8_t>(kB64[i & 63]);
      pair[i] = static_cast<uint16_t>(a | (b << 8));
    }
  }
};
const B64EncTable kB64Enc;

// Character classes for decoding.
constexpr uint8_t kSkip = 0xFE;   // CR, LF
constexpr uint8_t kBad = 0xFF;    // outside "+".."z"
constexpr uint8_t kPad = 0x40;    // "="
constexpr uint8_t kOther = 0x7F;  // inside "+".."z", not a digit
struct B64DecTable {
  uint8_t v[256];
  B64DecTable() {
    for (int c = 0; c < 256; ++c) v[c] = (c >= '+' && c <= 'z') ? kOther : kBad;
    for (int i = 0; i < 64; ++i) v[static_cast<uint8_t>(kB64[i])] = static_cast<uint8_t>(i);
    v[uint8_t{'='}] = kPad;
    v[uint8_t{'\r'}] = v[uint8_t{'\n'}] = kSkip;
  }
};
const B64DecTable kB64Dec;

// Digit values already shifted to their place in a 24-bit group; anything
// but a digit sets the top bit.
struct B64DecShifted {
  uint32_t d[4][256];
  B64DecShifted() {
    for (int c = 0; c < 256; ++c) {
      const uint8_t x = kB64Dec.v[c];
      for (int k = 0; k < 4; ++k) d[k][c] = x < 64 ? uint32_t{x} << (18 - 6 * k) : 0x80000000u;
    }
  }
};
const B64DecShifted kB64Shifted;

inline size_t EncodeB64Line(const uint8_t* in, size_t n, char* out) {
  char* o = out;
  size_t i = 0;
  for (; i + 3 <= n; i += 3) {
    const uint32_t v = (uint32_t{in[i]} << 16) | (uint32_t{in[i + 1]} << 8) | in[i + 2];
    std::memcpy(o, &kB64Enc.pair[v >> 12], 2);
    std::memcpy(o + 2, &kB64Enc.pair[v & 0xFFF], 2);
    o += 4;
  }
  if (n - i == 1) {
    o[0] = kB64[in[i] >> 2];
    o[1] = kB64[(in[i] & 3) << 4];
    o[2] = o[3] = '=';
    o += 4;
  } else if (n - i == 2) {
    o[0] = kB64[in[i] >> 2];
    o[1] = kB64[((in[i] & 3) << 4) | (in[i + 1] >> 4)];
    o[2] = kB64[(in[i + 1] & 15) << 2];
    o[3] = '=';
    o += 4;
  }
  return static_cast<size_t>(o - out);
}

// Reads until Count bytes are in or a read returns nothing.
int64_t ReadFull(TStream* s, uint8_t* p, int64_t count) {
  int64_t got = 0;
  while (got < count) {
    const int64_t r = s->Read(p + got, count - got);
    if (r <= 0) break;
    got += r;
  }
  return got;
}

}  // namespace

void EncodeBase64(TStream* Input, TStream* Output, bool LineBreaks) {
  // Lines of 45 input bytes; many lines are read and written at a time.
  constexpr size_t kLines = 256;
  std::vector<uint8_t> in(45 * kLines);
  std::vector<char> out(62 * kLines);
  for (;;) {
    const auto got =
        static_cast<size_t>(ReadFull(Input, in.data(), static_cast<int64_t>(in.size())));
    size_t o = 0;
    for (size_t pos = 0; pos < got; pos += 45) {
      const size_t len = std::min<size_t>(45, got - pos);
      o += EncodeB64Line(in.data() + pos, len, out.data() + o);
      if (LineBreaks) {
        out[o++] = '\r';
        out[o++] = '\n';
      }
    }
    if (o) Output->WriteBuffer(out.data(), static_cast<int64_t>(o));
    // A short final block ends the text; so does an input that ends exactly
    // after a full line, without an empty line after it.
    if (got < in.size()) break;
  }
}

int DecodeBase64(TStream* Input, TStream* Output) {
  const uint8_t* v = kB64Dec.v;
  std::vector<uint8_t> in(1 << 16);
  // Room for a chunk's worth of output, the uncommitted rest of a block
  // and one byte of slack for the four-byte stores below.
  std::vector<uint8_t> out(in.size() / 4 * 3 + 128);
  uint8_t* o = out.data();
  size_t olen = 0;
  size_t committed = 0;  // bytes of whole 88-character blocks
  int groups = 0;        // groups in the current block
  uint8_t g[4];          // characters of a group under construction
  int gn = 0;
  auto flush = [&](size_t n) {
    if (n) Output->WriteBuffer(o, static_cast<int64_t>(n));
    std::memmove(o, o + n, olen - n);
    olen -= n;
    committed -= n;
  };
  // Decodes one group; false when it is invalid.
  auto group = [&](const uint8_t* c) {
    uint8_t x[4];
    for (int k = 0; k < 4; ++k) {
      x[k] = v[c[k]];
      if (x[k] == kBad || x[k] == kSkip) return false;
      if (x[k] == kPad) x[k] = k < 2 ? kOther : 0;
    }
    o[olen++] = static_cast<uint8_t>(4 * x[0] + (x[1] >> 4));
    if (c[2] != '=') o[olen++] = static_cast<uint8_t>(16 * x[1] + (x[2] >> 2));
    if (c[3] != '=') o[olen++] = static_cast<uint8_t>(64 * x[2] + x[3]);
    if (++groups == 22) {
      groups = 0;
      committed = olen;
    }
    return true;
  };
  for (;;) {
    const auto n = static_cast<size_t>(Input->Read(in.data(), static_cast<int64_t>(in.size())));
    if (n == 0) break;
    const uint8_t* p = in.data();
    size_t i = 0;
    while (i < n) {
      // Fast path: whole groups of plain digits.
      if (gn == 0) {
        while (i + 4 <= n) {
          const auto& t = kB64Shifted.d;
          const uint32_t x = t[0][p[i]] | t[1][p[i + 1]] | t[2][p[i + 2]] | t[3][p[i + 3]];
          if (x & 0x80000000u) break;
          const uint32_t w = __builtin_bswap32(x << 8);
          std::memcpy(o + olen, &w, 4);  // the fourth byte is overwritten next
          olen += 3;
          i += 4;
          if (++groups == 22) {
            groups = 0;
            committed = olen;
          }
        }
        if (i >= n) break;
      }
      const uint8_t ch = p[i++];
      if (ch == '\r' || ch == '\n') continue;
      g[gn++] = ch;
      if (gn == 4) {
        gn = 0;
        if (!group(g)) {
          flush(committed);
          return kDecodeBadInput;
        }
      }
    }
    flush(committed);
  }
  // A trailing incomplete group of 2 or 3 characters decodes as if padded
  // with "="; a single character carries no whole byte and is dropped.
  if (gn >= 2) {
    for (int k = gn; k < 4; ++k) g[k] = '=';
    if (!group(g)) {
      flush(committed);
      return kDecodeBadInput;
    }
  }
  flush(olen);
  return kDecodeOK;
}

// ---------------------------------------------------------------- ASCII85

void EncodeASCII85(TStream* Input, TStream* Output, bool LineBreaks) {
  std::vector<uint8_t> in(4 * 4096);
  std::string out;
  int digitgroups = 0;
  bool done = false;
  while (!done) {
    const auto got =
        static_cast<size_t>(ReadFull(Input, in.data(), static_cast<int64_t>(in.size())));
    if (got < in.size()) done = true;
    out.clear();
    for (size_t pos = 0; pos < got; pos += 4) {
      const size_t k = std::min<size_t>(4, got - pos);
      uint32_t N = 0;
      for (size_t j = 0; j < k; ++j) N = (N << 8) | in[pos + j];
      if (k == 4 && N == 0) {
        out += 'z';
        continue;
      }
      char d[5];
      for (size_t j = k + 1; j-- > 0;) {
        d[j] = static_cast<char>(N % 85 + 33);
        N /= 85;
      }
      out.append(d, k + 1);
      if (++digitgroups == 12) {
        digitgroups = 0;
        if (LineBreaks) out += "\r\n";
      }
    }
    if (done) out += "~>";
    Output->WriteBuffer(out.data(), static_cast<int64_t>(out.size()));
  }
}

int DecodeASCII85(TStream* Input, TStream* Output) {
  std::vector<uint8_t> in(1 << 16);
  size_t n = 0, i = 0;
  bool eof = false;
  // Next character other than CR and LF, or -1 at the end of the input.
  auto next = [&]() -> int {
    for (;;) {
      if (i == n) {
        if (eof) return -1;
        n = static_cast<size_t>(Input->Read(in.data(), static_cast<int64_t>(in.size())));
        i = 0;
        if (n == 0) {
          eof = true;
          return -1;
        }
      }
      const uint8_t c = in[i++];
      if (c != '\r' && c != '\n') return c;
    }
  };
  int result = kDecodeOK;
  std::string out;
  bool end = false;
  while (!end) {
    const int first = next();
    if (first < 0) break;
    if (first == 'z') {
      out.append(4, '\0');
      continue;
    }
    int c[5];
    int m = 0;
    if (first == '~') {
      end = true;
    } else {
      c[m++] = first;
      while (m < 5) {
        const int ch = next();
        if (ch < 0) break;
        if (ch == '~') {
          end = true;
          break;
        }
        c[m++] = ch;
      }
    }
    if (m < 2) break;
    uint32_t N = 0;
    for (int j = 0; j < m; ++j) {
      if (c[j] == 'z' && j > 0) {
        result = kDecodeZInGroup;
      } else if (c[j] < '!' || c[j] > 'u') {
        result = kDecodeBadInput;
      }
      N = N * 85 + static_cast<uint32_t>(c[j] - 33);
    }
    for (int j = m - 2; j >= 0; --j) out += static_cast<char>(N >> (8 * j));
    if (out.size() >= 1 << 16) {
      Output->WriteBuffer(out.data(), static_cast<int64_t>(out.size()));
      out.clear();
    }
  }
  // Consume the ">" of the terminator; then leave the input right behind
  // what was decoded.
  if (end && i < n && in[i] == '>') ++i;
  if (i < n) Input->Seek(-static_cast<int64_t>(n - i), soCurrent);
  if (!out.empty()) Output->WriteBuffer(out.data(), static_cast<int64_t>(out.size()));
  return result;
}

// ---------------------------------------------------------------- TRLEncoder

TRLEncoder::TRLEncoder(TComponent* AOwner) : TComponent(AOwner) {
  try {
    buf_.assign(4 * static_cast<size_t>(bufleng_), 0);
  } catch (const std::bad_alloc&) {
    NoMemory();
  }
}

void TRLEncoder::NoMemory() const {
  throw ETKZDStructError("Component \"" + GetName() + "\": not enough memory on heap");
}

void TRLEncoder::SetBufLeng(int n) {
  if (n < 1 || n == bufleng_) return;
  try {
    std::vector<uint8_t> fresh(4 * static_cast<size_t>(n), 0);
    // Pending bytes survive so that nothing is lost if a caller resizes
    // mid-stream; the buffer grows to hold them.
    if (static_cast<size_t>(pending_) > fresh.size()) fresh.resize(static_cast<size_t>(pending_));
    std::memcpy(fresh.data(), buf_.data(), static_cast<size_t>(pending_));
    buf_.swap(fresh);
  } catch (const std::bad_alloc&) {
    NoMemory();
  }
  bufleng_ = n;
}

void TRLEncoder::Put(uint8_t b) { PutRun(b, 1); }

void TRLEncoder::PutRun(uint8_t b, size_t n) {
  const size_t need = static_cast<size_t>(pending_) + n;
  if (need > buf_.size()) {
    // Overfilled: grow rather than write past the end.
    try {
      buf_.resize(std::max(need, buf_.size() * 2));
    } catch (const std::bad_alloc&) {
      NoMemory();
    }
  }
  std::memset(buf_.data() + pending_, b, n);
  pending_ += static_cast<int>(n);
}

void TRLEncoder::FlushRun(bool literal_ok) {
  if (literal_ok && runcount_ <= 2 && runbyte_ != leadin_) {
    PutRun(runbyte_, runcount_);
  } else {
    Put(leadin_);
    Put(runcount_);
    Put(runbyte_);
  }
  runcount_ = 0;
}

void TRLEncoder::EncodeByte(uint8_t b) {
  if (runcount_ == 0) {
    runcount_ = 1;
    runbyte_ = b;
  } else if (b == runbyte_) {
    if (++runcount_ == 255) FlushRun(false);
  } else {
    FlushRun(true);
    runcount_ = 1;
    runbyte_ = b;
  }
}

bool TRLEncoder::Encode(const TBytes& Data, int Count) {
  finishing_ = false;
  const size_t n = Count <= 0 ? 0 : std::min(static_cast<size_t>(Count), Data.size());
  for (size_t i = 0; i < n; ++i) EncodeByte(Data[i]);
  return pending_ >= bufleng_;
}

bool TRLEncoder::Decode(uint8_t b) {
  finishing_ = false;
  switch (state_) {
    case rlData:
      if (b == leadin_)
        state_ = rlLeadin;
      else
        Put(b);
      break;
    case rlLeadin:
      runcount_ = b;
      state_ = rlCnt;
      break;
    case rlCnt:
      PutRun(b, runcount_);
      runcount_ = 0;
      state_ = rlData;
      break;
  }
  return pending_ >= bufleng_;
}

void TRLEncoder::GetResult(TBytes& Block) {
  if (pending_ < bufleng_) return;
  if (Block.size() < static_cast<size_t>(bufleng_)) Block.resize(static_cast<size_t>(bufleng_));
  std::memcpy(Block.data(), buf_.data(), static_cast<size_t>(bufleng_));
  pending_ -= bufleng_;
  std::memmove(buf_.data(), buf_.data() + bufleng_, static_cast<size_t>(pending_));
}

int TRLEncoder::Finish(TBytes& Block) {
  // The closing triple is written once per stream: repeated calls that
  // drain the rest add nothing, so the drain ends for any block length and
  // the stream ends in exactly one triple.
  if (!finishing_) {
    FlushRun(false);
    finishing_ = true;
  }
  const int n = pending_ < bufleng_ ? pending_ : bufleng_;
  if (Block.size() < static_cast<size_t>(n)) Block.resize(static_cast<size_t>(n));
  std::memcpy(Block.data(), buf_.data(), static_cast<size_t>(n));
  pending_ -= n;
  std::memmove(buf_.data(), buf_.data() + n, static_cast<size_t>(pending_));
  return n;
}

void TRLEncoder::Reset() {
  pending_ = 0;
  runcount_ = 0;
  runbyte_ = 0;
  state_ = rlData;
  finishing_ = false;
}

}  // namespace tkz
