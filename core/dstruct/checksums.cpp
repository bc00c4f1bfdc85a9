// CRC-16, CRC-32 and SHA-1. The encoders live in codecs_encodings.cpp.
#include <cstring>
#include <memory>

#include "core/dstruct/checksums.h"
#include "core/text/stringl.h"

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#include <immintrin.h>
#define TKZ_X86 1
#endif

namespace tkz {

namespace {

struct CRC16Tables {
  uint16_t t[8][256];
  CRC16Tables() {
    for (int i = 0; i < 256; ++i) {
      uint16_t c = static_cast<uint16_t>(i << 8);
      for (int k = 0; k < 8; ++k)
        c = static_cast<uint16_t>((c & 0x8000) ? (c << 1) ^ 0x1021 : c << 1);
      t[0][i] = c;
    }
    // t[k][i]: CRC of byte i followed by k zero bytes.
    for (int k = 1; k < 8; ++k)
      for (int i = 0; i < 256; ++i)
        t[k][i] =
            static_cast<uint16_t>(t[0][t[k - 1][i] >> 8] ^ static_cast<uint16_t>(t[k - 1][i] << 8));
  }
};
const CRC16Tables kCRC16;

struct CRC32Tables {
  uint32_t t[16][256];
  CRC32Tables() {
    for (uint32_t i = 0; i < 256; ++i) {
      uint32_t c = i;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? (c >> 1) ^ 0xEDB88320u : c >> 1;
      t[0][i] = c;
    }
    for (int s = 1; s < 16; ++s)
      for (int i = 0; i < 256; ++i) t[s][i] = (t[s - 1][i] >> 8) ^ t[0][t[s - 1][i] & 0xFF];
  }
};
const CRC32Tables kCRC32;

inline uint32_t Load32LE(const uint8_t* p) {
  uint32_t v;
  std::memcpy(&v, p, 4);
  return v;  // little-endian hosts only (x86-64, AArch64)
}

uint32_t CRC32Slice16(uint32_t crc, const uint8_t* p, size_t n) {
  const auto& t = kCRC32.t;
  while (n >= 16) {
    const uint32_t a = Load32LE(p) ^ crc, b = Load32LE(p + 4), c = Load32LE(p + 8),
                   d = Load32LE(p + 12);
    crc = t[15][a & 0xFF] ^ t[14][(a >> 8) & 0xFF] ^ t[13][(a >> 16) & 0xFF] ^ t[12][a >> 24] ^
          t[11][b & 0xFF] ^ t[10][(b >> 8) & 0xFF] ^ t[9][(b >> 16) & 0xFF] ^ t[8][b >> 24] ^
          t[7][c & 0xFF] ^ t[6][(c >> 8) & 0xFF] ^ t[5][(c >> 16) & 0xFF] ^ t[4][c >> 24] ^
          t[3][d & 0xFF] ^ t[2][(d >> 8) & 0xFF] ^ t[1][(d >> 16) & 0xFF] ^ t[0][d >> 24];
    p += 16;
    n -= 16;
  }
  while (n--) crc = t[0][(crc ^ *p++) & 0xFF] ^ (crc >> 8);
  return crc;
}

#ifdef TKZ_X86
__attribute__((target("pclmul,sse4.1"))) inline __m128i fold(__m128i x, __m128i k, __m128i d) {
  return _mm_xor_si128(
      _mm_xor_si128(_mm_clmulepi64_si128(x, k, 0x00), _mm_clmulepi64_si128(x, k, 0x11)), d);
}

// Folds 64-byte blocks with carry-less multiplication down to 16 bytes whose
// CRC (from a zero register) equals that of everything folded; the table
// routine finishes those 16 bytes and the tail.
__attribute__((target("pclmul,sse4.1"))) uint32_t CRC32Clmul(uint32_t crc, const uint8_t* p,
                                                             size_t n) {
  const __m128i k12 = _mm_set_epi64x(0x1c6e41596LL, 0x154442bd4LL);
  const __m128i k34 = _mm_set_epi64x(0x0ccaa009eLL, 0x1751997d0LL);
  __m128i x0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
  __m128i x1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16));
  __m128i x2 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 32));
  __m128i x3 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 48));
  x0 = _mm_xor_si128(x0, _mm_cvtsi32_si128(static_cast<int>(crc)));
  p += 64;
  n -= 64;
  while (n >= 64) {
    x0 = fold(x0, k12, _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)));
    x1 = fold(x1, k12, _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16)));
    x2 = fold(x2, k12, _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 32)));
    x3 = fold(x3, k12, _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 48)));
    p += 64;
    n -= 64;
  }
  x0 = fold(x0, k34, x1);
  x0 = fold(x0, k34, x2);
  x0 = fold(x0, k34, x3);
  while (n >= 16) {
    x0 = fold(x0, k34, _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)));
    p += 16;
    n -= 16;
  }
  alignas(16) uint8_t rest[16];
  _mm_store_si128(reinterpret_cast<__m128i*>(rest), x0);
  crc = CRC32Slice16(0, rest, 16);
  return CRC32Slice16(crc, p, n);
}

bool HasClmul() {
  static const bool has = __builtin_cpu_supports("pclmul") && __builtin_cpu_supports("sse4.1");
  return has;
}
#endif

}  // namespace

uint16_t CalcNextCRC16(uint8_t b, uint16_t crc) {
  return static_cast<uint16_t>(kCRC16.t[0][((crc >> 8) ^ b) & 0xFF] ^
                               static_cast<uint16_t>(crc << 8));
}

uint16_t CRC16Update(uint16_t crc, const void* data, size_t len) {
  const auto* p = static_cast<const uint8_t*>(data);
  const auto& t = kCRC16.t;
  // Eight bytes per step: the register's high byte meets the first byte, its
  // low byte the second; each byte's table accounts for the bytes after it.
  while (len >= 8) {
    crc = static_cast<uint16_t>(t[7][((crc >> 8) ^ p[0]) & 0xFF] ^ t[6][(crc ^ p[1]) & 0xFF] ^
                                t[5][p[2]] ^ t[4][p[3]] ^ t[3][p[4]] ^ t[2][p[5]] ^ t[1][p[6]] ^
                                t[0][p[7]]);
    p += 8;
    len -= 8;
  }
  while (len >= 2) {
    const unsigned a = ((crc >> 8) ^ p[0]) & 0xFF, b = (crc ^ p[1]) & 0xFF;
    crc = static_cast<uint16_t>(t[1][a] ^ t[0][b]);
    p += 2;
    len -= 2;
  }
  if (len) crc = CalcNextCRC16(*p, crc);
  return crc;
}

uint16_t CRC16ofBuffer(const TBytes& Buffer, int Count, TCRC16Mode Mode) {
  const uint16_t init = Mode == crcCCITT ? 0xFFFF : 0x0000;
  if (Count <= 0) return init;
  const size_t n = std::min(static_cast<size_t>(Count), Buffer.size());
  return CRC16Update(init, Buffer.data(), n);
}

uint32_t CalcNextCRC32(uint8_t b, uint32_t crc) {
  return kCRC32.t[0][(crc ^ b) & 0xFF] ^ (crc >> 8);
}

uint32_t CRC32Update(uint32_t crc, const void* data, size_t len) {
  const auto* p = static_cast<const uint8_t*>(data);
#ifdef TKZ_X86
  if (len >= 128 && HasClmul()) return CRC32Clmul(crc, p, len);
#endif
  return CRC32Slice16(crc, p, len);
}

uint32_t CRC32ofBuffer(const TBytes& Buffer, int Count) {
  if (Count <= 0) return 0;
  const size_t n = std::min(static_cast<size_t>(Count), Buffer.size());
  return ~CRC32Update(0xFFFFFFFFu, Buffer.data(), n);
}

uint32_t CalcCRC32ofFile(const std::string& FileName) {
  uint32_t crc = 0xFFFFFFFFu;
  try {
    TFileStream f(FileName, fmOpenRead | fmShareDenyNone);
    uint8_t block[4096];
    for (;;) {
      const int64_t got = f.Read(block, sizeof block);
      if (got <= 0) break;
      crc = CRC32Update(crc, block, static_cast<size_t>(got));
    }
  } catch (...) {
    crc = 0xFFFFFFFFu;
  }
  return ~crc;
}

// ---------------------------------------------------------------- SHA-1

namespace {

inline uint32_t Rol(uint32_t x, int n) { return (x << n) | (x >> (32 - n)); }

void SHA1BlocksPortable(uint32_t* h, const uint8_t* p, size_t blocks) {
  while (blocks--) {
    uint32_t w[80];
    for (int i = 0; i < 16; ++i)
      w[i] = (uint32_t{p[4 * i]} << 24) | (uint32_t{p[4 * i + 1]} << 16) |
             (uint32_t{p[4 * i + 2]} << 8) | p[4 * i + 3];
    for (int i = 16; i < 80; ++i) w[i] = Rol(w[i - 3] ^ w[i - 8] ^ w[i - 14] ^ w[i - 16], 1);
    uint32_t a = h[0], b = h[1], c = h[2], d = h[3], e = h[4];
    // Five rounds per pass with the variables renamed instead of moved.
#define TKZ_R(A, B, C, D, E, F, K, I) \
  E += Rol(A, 5) + (F) + (K) + w[I];  \
  B = Rol(B, 30);
#define TKZ_R5(F1, F2, F3, F4, F5, K, I) \
  TKZ_R(a, b, c, d, e, F1, K, I)         \
  TKZ_R(e, a, b, c, d, F2, K, I + 1)     \
  TKZ_R(d, e, a, b, c, F3, K, I + 2)     \
  TKZ_R(c, d, e, a, b, F4, K, I + 3)     \
  TKZ_R(b, c, d, e, a, F5, K, I + 4)
#define TKZ_CH(X, Y, Z) (((Y) ^ (Z)) & (X)) ^ (Z)
#define TKZ_PAR(X, Y, Z) ((X) ^ (Y) ^ (Z))
#define TKZ_MAJ(X, Y, Z) (((X) & (Y)) | (((X) | (Y)) & (Z)))
#define TKZ_PASS(FN, K, I) \
  TKZ_R5(FN(b, c, d), FN(a, b, c), FN(e, a, b), FN(d, e, a), FN(c, d, e), K, I)
    for (int i = 0; i < 20; i += 5) {
      TKZ_PASS(TKZ_CH, 0x5A827999u, i)
    }
    for (int i = 20; i < 40; i += 5) {
      TKZ_PASS(TKZ_PAR, 0x6ED9EBA1u, i)
    }
    for (int i = 40; i < 60; i += 5) {
      TKZ_PASS(TKZ_MAJ, 0x8F1BBCDCu, i)
    }
    for (int i = 60; i < 80; i += 5) {
      TKZ_PASS(TKZ_PAR, 0xCA62C1D6u, i)
    }
#undef TKZ_PASS
#undef TKZ_MAJ
#undef TKZ_PAR
#undef TKZ_CH
#undef TKZ_R5
#undef TKZ_R
    h[0] += a;
    h[1] += b;
    h[2] += c;
    h[3] += d;
    h[4] += e;
    p += 64;
  }
}

#ifdef TKZ_X86
__attribute__((target("sha,sse4.1,ssse3"))) void SHA1BlocksShaNi(uint32_t* h, const uint8_t* p,
                                                                 size_t blocks) {
  const __m128i mask = _mm_set_epi64x(0x0001020304050607LL, 0x08090a0b0c0d0e0fLL);
  __m128i abcd = _mm_shuffle_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(h)), 0x1B);
  __m128i e0 = _mm_set_epi32(static_cast<int>(h[4]), 0, 0, 0);
  while (blocks--) {
    const __m128i abcd_save = abcd, e0_save = e0;
    __m128i m0 = _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)), mask);
    __m128i m1 = _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16)), mask);
    __m128i m2 = _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 32)), mask);
    __m128i m3 = _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 48)), mask);
    __m128i e1;
    // Rounds 0-11.
    e0 = _mm_add_epi32(e0, m0);
    e1 = abcd;
    abcd = _mm_sha1rnds4_epu32(abcd, e0, 0);
    e1 = _mm_sha1nexte_epu32(e1, m1);
    e0 = abcd;
    abcd = _mm_sha1rnds4_epu32(abcd, e1, 0);
    m0 = _mm_sha1msg1_epu32(m0, m1);
    e0 = _mm_sha1nexte_epu32(e0, m2);
    e1 = abcd;
    abcd = _mm_sha1rnds4_epu32(abcd, e0, 0);
    m1 = _mm_sha1msg1_epu32(m1, m2);
    m0 = _mm_xor_si128(m0, m2);
    // Rounds 12-79, four at a time: Ec/Eo alternate, MA is the current
    // schedule word group, MB..MD the following ones.
#define TKZ_SHA1_QUAD(Ec, Eo, MA, MB, MC, MD, F) \
  Ec = _mm_sha1nexte_epu32(Ec, MA);              \
  Eo = abcd;                                     \
  MB = _mm_sha1msg2_epu32(MB, MA);               \
  abcd = _mm_sha1rnds4_epu32(abcd, Ec, F);       \
  MD = _mm_sha1msg1_epu32(MD, MA);               \
  MC = _mm_xor_si128(MC, MA);
    TKZ_SHA1_QUAD(e1, e0, m3, m0, m1, m2, 0)
    TKZ_SHA1_QUAD(e0, e1, m0, m1, m2, m3, 0)
    TKZ_SHA1_QUAD(e1, e0, m1, m2, m3, m0, 1)
    TKZ_SHA1_QUAD(e0, e1, m2, m3, m0, m1, 1)
    TKZ_SHA1_QUAD(e1, e0, m3, m0, m1, m2, 1)
    TKZ_SHA1_QUAD(e0, e1, m0, m1, m2, m3, 1)
    TKZ_SHA1_QUAD(e1, e0, m1, m2, m3, m0, 1)
    TKZ_SHA1_QUAD(e0, e1, m2, m3, m0, m1, 2)
    TKZ_SHA1_QUAD(e1, e0, m3, m0, m1, m2, 2)
    TKZ_SHA1_QUAD(e0, e1, m0, m1, m2, m3, 2)
    TKZ_SHA1_QUAD(e1, e0, m1, m2, m3, m0, 2)
    TKZ_SHA1_QUAD(e0, e1, m2, m3, m0, m1, 2)
    TKZ_SHA1_QUAD(e1, e0, m3, m0, m1, m2, 3)
    TKZ_SHA1_QUAD(e0, e1, m0, m1, m2, m3, 3)
    TKZ_SHA1_QUAD(e1, e0, m1, m2, m3, m0, 3)
    TKZ_SHA1_QUAD(e0, e1, m2, m3, m0, m1, 3)
    TKZ_SHA1_QUAD(e1, e0, m3, m0, m1, m2, 3)
#undef TKZ_SHA1_QUAD
    e0 = _mm_sha1nexte_epu32(e0, e0_save);
    abcd = _mm_add_epi32(abcd, abcd_save);
    p += 64;
  }
  abcd = _mm_shuffle_epi32(abcd, 0x1B);
  _mm_storeu_si128(reinterpret_cast<__m128i*>(h), abcd);
  h[4] = static_cast<uint32_t>(_mm_extract_epi32(e0, 3));
}

bool CpuHasSha() {
#if defined(__clang__)
  // Older clang releases do not know the "sha" feature name; ask CPUID
  // (leaf 7, EBX bit 29) directly.
  unsigned a, b, c, d;
  if (!__get_cpuid_count(7, 0, &a, &b, &c, &d)) return false;
  return (b >> 29) & 1;
#else
  return __builtin_cpu_supports("sha");
#endif
}

bool HasShaNi() {
  static const bool has =
      CpuHasSha() && __builtin_cpu_supports("sse4.1") && __builtin_cpu_supports("ssse3");
  return has;
}
#endif

bool g_sha1_portable = false;

void SHA1Blocks(uint32_t* h, const uint8_t* p, size_t blocks) {
#ifdef TKZ_X86
  if (!g_sha1_portable && HasShaNi()) return SHA1BlocksShaNi(h, p, blocks);
#endif
  SHA1BlocksPortable(h, p, blocks);
}

struct SHA1Ctx {
  uint32_t h[5] = {0x67452301u, 0xEFCDAB89u, 0x98BADCFEu, 0x10325476u, 0xC3D2E1F0u};
  uint8_t buf[64];
  size_t used = 0;
  uint64_t total = 0;

  void Update(const uint8_t* p, size_t n) {
    total += n;
    if (used) {
      const size_t take = std::min(n, 64 - used);
      std::memcpy(buf + used, p, take);
      used += take;
      p += take;
      n -= take;
      if (used < 64) return;
      SHA1Blocks(h, buf, 1);
      used = 0;
    }
    if (n >= 64) {
      SHA1Blocks(h, p, n / 64);
      p += n / 64 * 64;
      n %= 64;
    }
    std::memcpy(buf, p, n);
    used = n;
  }

  TSHA1Digest Final() {
    const uint64_t bits = total * 8;
    buf[used++] = 0x80;
    if (used > 56) {
      std::memset(buf + used, 0, 64 - used);
      SHA1Blocks(h, buf, 1);
      used = 0;
    }
    std::memset(buf + used, 0, 56 - used);
    for (int i = 0; i < 8; ++i) buf[56 + i] = static_cast<uint8_t>(bits >> (56 - 8 * i));
    SHA1Blocks(h, buf, 1);
    TSHA1Digest d;
    for (int i = 0; i < 5; ++i)
      for (int k = 0; k < 4; ++k) d[4 * i + k] = static_cast<uint8_t>(h[i] >> (24 - 8 * k));
    return d;
  }
};

}  // namespace

bool SHA1UsePortable(bool Portable) {
  g_sha1_portable = Portable;
#ifdef TKZ_X86
  return HasShaNi();
#else
  return false;
#endif
}

TSHA1Digest SHA1FromBytes(const void* data, size_t len) {
  SHA1Ctx c;
  c.Update(static_cast<const uint8_t*>(data), len);
  return c.Final();
}

TSHA1Digest SHA1FromString(std::string_view s) { return SHA1FromBytes(s.data(), s.size()); }

TSHA1Digest SHA1FromStream(TStream* Stream) {
  SHA1Ctx c;
  std::vector<uint8_t> block(16384);
  for (;;) {
    const int64_t got = Stream->Read(block.data(), static_cast<int64_t>(block.size()));
    if (got <= 0) break;
    c.Update(block.data(), static_cast<size_t>(got));
  }
  return c.Final();
}

TSHA1Digest SHA1FromFile(const std::string& FileName) {
  TFileStream f(FileName, fmOpenRead | fmShareDenyWrite);
  return SHA1FromStream(&f);
}

std::string SHA1DigestToHex(const TSHA1Digest& Digest) {
  std::string s(40, '0');
  for (int i = 0; i < 20; ++i) {
    s[2 * i] = kHexChars[Digest[i] >> 4];
    s[2 * i + 1] = kHexChars[Digest[i] & 15];
  }
  return s;
}

}  // namespace tkz
