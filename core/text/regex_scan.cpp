// TGrep's start scan. Each kind of scan gives a mask of the candidate
// positions of a block of bytes; the last, partial block is read either as
// the last full block of the subject (overlapping what was scanned) or, in a
// subject shorter than a block, from a padded copy, so nothing beyond the
// subject is ever read. Blocks are 16 bytes (SSE2) or 32 (AVX2, where the
// processor has it).
#include "core/text/regex_scan_internal.h"

#include <cstdint>
#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define TKZ_GREP_SIMD 1
#endif

namespace tkz::grep_internal {

namespace {

using Scan = StartScan;

size_t ScanAll(const Scan&, const unsigned char*, size_t, size_t i) { return i; }

size_t ScanTable(const Scan& sc, const unsigned char* s, size_t n, size_t i) {
  while (i < n && !sc.raw[s[i]]) ++i;
  return i;
}

size_t ScanPairPlain(const Scan& sc, const unsigned char* s, size_t n, size_t i) {
  const auto off = static_cast<size_t>(sc.off);
  for (; i + off < n; ++i) {
    const unsigned char z = s[i + off];
    if (sc.raw[s[i]] &&
        (z == sc.z[0] || z == sc.z[sc.nz > 1 ? 1 : 0] || z == sc.z[sc.nz > 2 ? 2 : 0]))
      return i;
  }
  return n;
}

#ifdef TKZ_GREP_SIMD

namespace sse2 {
using T = __m128i;
constexpr size_t kWidth = 16;
constexpr bool kNarrower = false;
inline T Load(const unsigned char* p) { return _mm_loadu_si128(reinterpret_cast<const T*>(p)); }
inline T Splat(const Scan& sc, int k) {
  return _mm_load_si128(reinterpret_cast<const T*>(sc.splat[k]));
}
inline T Eq(T a, T b) { return _mm_cmpeq_epi8(a, b); }
inline T Or(T a, T b) { return _mm_or_si128(a, b); }
inline T And(T a, T b) { return _mm_and_si128(a, b); }
inline T Sub(T a, T b) { return _mm_sub_epi8(a, b); }
inline T Min(T a, T b) { return _mm_min_epu8(a, b); }
inline unsigned Mask(T a) { return static_cast<unsigned>(_mm_movemask_epi8(a)); }
#include "core/text/regex_scan_blocks.inc"
}  // namespace sse2

#if defined(__clang__)
#pragma clang attribute push(__attribute__((target("avx2"))), apply_to = function)
#else
#pragma GCC push_options
#pragma GCC target("avx2")
#endif
namespace avx2 {
using T = __m256i;
constexpr size_t kWidth = 32;
constexpr bool kNarrower = true;
inline T Load(const unsigned char* p) { return _mm256_loadu_si256(reinterpret_cast<const T*>(p)); }
inline T Splat(const Scan& sc, int k) {
  return _mm256_load_si256(reinterpret_cast<const T*>(sc.splat[k]));
}
inline T Eq(T a, T b) { return _mm256_cmpeq_epi8(a, b); }
inline T Or(T a, T b) { return _mm256_or_si256(a, b); }
inline T And(T a, T b) { return _mm256_and_si256(a, b); }
inline T Sub(T a, T b) { return _mm256_sub_epi8(a, b); }
inline T Min(T a, T b) { return _mm256_min_epu8(a, b); }
inline unsigned Mask(T a) { return static_cast<unsigned>(_mm256_movemask_epi8(a)); }
#include "core/text/regex_scan_blocks.inc"
}  // namespace avx2
#if defined(__clang__)
#pragma clang attribute pop
#else
#pragma GCC pop_options
#endif

bool HasAvx2() {
  static const bool has = __builtin_cpu_supports("avx2");
  return has;
}

#endif

}  // namespace

void PrepareScan(Scan& sc) {
  const uint8_t list[8] = {sc.b[0],
                           sc.b[sc.nb > 1 ? 1 : 0],
                           sc.b[sc.nb > 2 ? 2 : 0],
                           sc.z[0],
                           sc.z[sc.nz > 1 ? 1 : 0],
                           sc.z[sc.nz > 2 ? 2 : 0],
                           sc.lo,
                           sc.span};
  for (int k = 0; k < 8; ++k) std::memset(sc.splat[k], list[k], sizeof sc.splat[k]);
  sc.scan = sc.kind == Scan::kAll ? ScanAll : sc.kind == Scan::kPair ? ScanPairPlain : ScanTable;
#ifdef TKZ_GREP_SIMD
  sc.narrow = sse2::Pick(sc);
  if (const Scan::Fn f = HasAvx2() ? avx2::Pick(sc) : sc.narrow) sc.scan = f;
#endif
}

}  // namespace tkz::grep_internal
