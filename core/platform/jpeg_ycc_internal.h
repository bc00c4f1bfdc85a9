// JPEG's YCbCr to our R,G,B,0 pixel words, exactly as libjpeg computes
// R,G,B (image_jpeg.cpp puts it in the place of libjpeg's own converter).
// Header-only so that the tests, which hold it against libjpeg on every
// input, compile it too; nothing here is exported. Not installed.
#pragma once

#include <algorithm>
#include <cstdint>

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define TKZ_JPEG_VECTORS 1
#include <immintrin.h>
#endif

namespace tkz::image_codec {

// libjpeg's YCbCr to RGB in 16-bit fixed point: R = Y + 1.402 Cr',
// G = Y - 0.34414 Cb' - 0.71414 Cr', B = Y + 1.772 Cb' (Cb' = Cb - 128),
// each product rounded as its tables round it, then clamped to 0..255. The
// factors are split so that the vectors multiply 16-bit pairs:
// 1.402 = 1 + 26345/65536, 1.772 = 2 - 14942/65536, 0.71414 = 1 - 18734/65536.
inline void YccToRgb0Plain(const uint8_t* y, const uint8_t* cb, const uint8_t* cr, uint8_t* out,
                           uint32_t n) {
  const auto clamp = [](int v) { return static_cast<uint8_t>(std::clamp(v, 0, 255)); };
  for (uint32_t x = 0; x < n; ++x, out += 4) {
    const int l = y[x], b = cb[x] - 128, r = cr[x] - 128;
    out[0] = clamp(l + r + ((26345 * r + 32768) >> 16));
    out[1] = clamp(l - r + ((-22554 * b + 18734 * r + 32768) >> 16));
    out[2] = clamp(l + 2 * b + ((-14942 * b + 32768) >> 16));
    out[3] = 0;
  }
}

// The pairs multiplied: (Cr', 2) by (26345, 16384) for R, (Cb', 2) by
// (-14942, 16384) for B, (Cb', Cr') by (-22554, 18734) for G.
constexpr int32_t Pair(int lo, int hi) {
  return static_cast<int32_t>((static_cast<uint32_t>(lo) & 0xFFFFu) |
                              (static_cast<uint32_t>(hi) << 16));
}
inline constexpr int32_t kRedPair = Pair(26345, 16384);
inline constexpr int32_t kBluePair = Pair(-14942, 16384);
inline constexpr int32_t kGreenPair = Pair(-22554, 18734);

#if defined(TKZ_JPEG_VECTORS)
#if defined(__clang__)
#pragma clang attribute push(__attribute__((target("avx2"))), apply_to = function)
#else
#pragma GCC push_options
#pragma GCC target("avx2")
#endif
// 16 bytes as 16-bit lanes.
inline __m256i Widen(const uint8_t* p) {
  return _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)));
}

// A product term from its 32-bit sums for the lower (lo) and upper (hi)
// four lanes of each 128-bit half: shifted, and packed back to 16-bit lanes
// in order.
inline __m256i Term(__m256i lo, __m256i hi) {
  return _mm256_packs_epi32(_mm256_srai_epi32(lo, 16), _mm256_srai_epi32(hi, 16));
}

inline __m256i Clamp(__m256i v) {
  return _mm256_min_epi16(_mm256_max_epi16(v, _mm256_setzero_si256()), _mm256_set1_epi16(255));
}

// 16 pixels a step; see YccToRgb0Plain for the arithmetic.
inline void YccToRgb0Avx2(const uint8_t* y, const uint8_t* cb, const uint8_t* cr, uint8_t* out,
                          uint32_t n) {
  uint32_t x = 0;
  while (x < n && (reinterpret_cast<uintptr_t>(out + 4 * x) & 31) != 0) ++x;
  YccToRgb0Plain(y, cb, cr, out, x);
  const __m256i center = _mm256_set1_epi16(128);
  const __m256i two = _mm256_set1_epi16(2);
  const __m256i half = _mm256_set1_epi32(32768);
  const __m256i r_factors = _mm256_set1_epi32(kRedPair);
  const __m256i b_factors = _mm256_set1_epi32(kBluePair);
  const __m256i g_factors = _mm256_set1_epi32(kGreenPair);
  for (; x + 16 <= n; x += 16) {
    const __m256i l = Widen(y + x);
    const __m256i b = _mm256_sub_epi16(Widen(cb + x), center);
    const __m256i r = _mm256_sub_epi16(Widen(cr + x), center);
    const __m256i r_term = Term(_mm256_madd_epi16(_mm256_unpacklo_epi16(r, two), r_factors),
                                _mm256_madd_epi16(_mm256_unpackhi_epi16(r, two), r_factors));
    const __m256i b_term = Term(_mm256_madd_epi16(_mm256_unpacklo_epi16(b, two), b_factors),
                                _mm256_madd_epi16(_mm256_unpackhi_epi16(b, two), b_factors));
    const __m256i g_term =
        Term(_mm256_add_epi32(_mm256_madd_epi16(_mm256_unpacklo_epi16(b, r), g_factors), half),
             _mm256_add_epi32(_mm256_madd_epi16(_mm256_unpackhi_epi16(b, r), g_factors), half));
    const __m256i red = Clamp(_mm256_add_epi16(_mm256_add_epi16(l, r), r_term));
    const __m256i green = Clamp(_mm256_add_epi16(_mm256_sub_epi16(l, r), g_term));
    const __m256i blue =
        Clamp(_mm256_add_epi16(_mm256_add_epi16(l, _mm256_add_epi16(b, b)), b_term));
    // R | G << 8 and B | 0 << 8 interleaved into pixels: 0-3 and 8-11 in
    // lo, 4-7 and 12-15 in hi.
    const __m256i rg = _mm256_or_si256(red, _mm256_slli_epi16(green, 8));
    const __m256i lo = _mm256_unpacklo_epi16(rg, blue);
    const __m256i hi = _mm256_unpackhi_epi16(rg, blue);
    auto* to = reinterpret_cast<__m256i*>(out + 4 * x);
    _mm256_stream_si256(to, _mm256_permute2x128_si256(lo, hi, 0x20));
    _mm256_stream_si256(to + 1, _mm256_permute2x128_si256(lo, hi, 0x31));
  }
  YccToRgb0Plain(y + x, cb + x, cr + x, out + 4 * x, n - x);
}
#if defined(__clang__)
#pragma clang attribute pop
#pragma clang attribute push(__attribute__((target("avx512bw"))), apply_to = function)
#else
#pragma GCC pop_options
#pragma GCC push_options
#pragma GCC target("avx512bw")
// GCC 12's own shift intrinsics trip its uninitialised-value warning.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif
inline __m512i Widen512(const uint8_t* p) {
  return _mm512_cvtepu8_epi16(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(p)));
}

inline __m512i Term512(__m512i lo, __m512i hi) {
  return _mm512_packs_epi32(_mm512_srai_epi32(lo, 16), _mm512_srai_epi32(hi, 16));
}

inline __m512i Clamp512(__m512i v) {
  return _mm512_min_epi16(_mm512_max_epi16(v, _mm512_setzero_si512()), _mm512_set1_epi16(255));
}

// As YccToRgb0Avx2, 32 pixels a step: whole cache lines per store, a few
// per cent faster.
inline void YccToRgb0Avx512(const uint8_t* y, const uint8_t* cb, const uint8_t* cr, uint8_t* out,
                            uint32_t n) {
  uint32_t x = 0;
  while (x < n && (reinterpret_cast<uintptr_t>(out + 4 * x) & 63) != 0) ++x;
  YccToRgb0Plain(y, cb, cr, out, x);
  const __m512i center = _mm512_set1_epi16(128);
  const __m512i two = _mm512_set1_epi16(2);
  const __m512i half = _mm512_set1_epi32(32768);
  const __m512i r_factors = _mm512_set1_epi32(kRedPair);
  const __m512i b_factors = _mm512_set1_epi32(kBluePair);
  const __m512i g_factors = _mm512_set1_epi32(kGreenPair);
  // lo holds pixels 8k..8k+3 in its 128-bit lane k, hi 8k+4..8k+7.
  const __m512i first = _mm512_set_epi64(11, 10, 3, 2, 9, 8, 1, 0);
  const __m512i second = _mm512_set_epi64(15, 14, 7, 6, 13, 12, 5, 4);
  for (; x + 32 <= n; x += 32) {
    const __m512i l = Widen512(y + x);
    const __m512i b = _mm512_sub_epi16(Widen512(cb + x), center);
    const __m512i r = _mm512_sub_epi16(Widen512(cr + x), center);
    const __m512i r_term = Term512(_mm512_madd_epi16(_mm512_unpacklo_epi16(r, two), r_factors),
                                   _mm512_madd_epi16(_mm512_unpackhi_epi16(r, two), r_factors));
    const __m512i b_term = Term512(_mm512_madd_epi16(_mm512_unpacklo_epi16(b, two), b_factors),
                                   _mm512_madd_epi16(_mm512_unpackhi_epi16(b, two), b_factors));
    const __m512i g_term =
        Term512(_mm512_add_epi32(_mm512_madd_epi16(_mm512_unpacklo_epi16(b, r), g_factors), half),
                _mm512_add_epi32(_mm512_madd_epi16(_mm512_unpackhi_epi16(b, r), g_factors), half));
    const __m512i red = Clamp512(_mm512_add_epi16(_mm512_add_epi16(l, r), r_term));
    const __m512i green = Clamp512(_mm512_add_epi16(_mm512_sub_epi16(l, r), g_term));
    const __m512i blue =
        Clamp512(_mm512_add_epi16(_mm512_add_epi16(l, _mm512_add_epi16(b, b)), b_term));
    const __m512i rg = _mm512_or_si512(red, _mm512_slli_epi16(green, 8));
    const __m512i lo = _mm512_unpacklo_epi16(rg, blue);
    const __m512i hi = _mm512_unpackhi_epi16(rg, blue);
    auto* to = reinterpret_cast<__m512i*>(out + 4 * x);
    _mm512_stream_si512(to, _mm512_permutex2var_epi64(lo, first, hi));
    _mm512_stream_si512(to + 1, _mm512_permutex2var_epi64(lo, second, hi));
  }
  YccToRgb0Avx2(y + x, cb + x, cr + x, out + 4 * x, n - x);
}
#if defined(__clang__)
#pragma clang attribute pop
#else
#pragma GCC diagnostic pop
#pragma GCC pop_options
#endif
#endif  // TKZ_JPEG_VECTORS

enum class YccKind { kPlain, kAvx2, kAvx512 };

inline YccKind YccVectors() {
#if defined(TKZ_JPEG_VECTORS)
  static const YccKind kind = __builtin_cpu_supports("avx512bw") ? YccKind::kAvx512
                              : __builtin_cpu_supports("avx2")   ? YccKind::kAvx2
                                                                 : YccKind::kPlain;
  return kind;
#else
  return YccKind::kPlain;
#endif
}

inline bool YccToRgb0IsVectorised() { return YccVectors() != YccKind::kPlain; }

inline void YccToRgb0Row(const uint8_t* y, const uint8_t* cb, const uint8_t* cr, uint8_t* out,
                         uint32_t n) {
  switch (YccVectors()) {
#if defined(TKZ_JPEG_VECTORS)
    case YccKind::kAvx512:
      return YccToRgb0Avx512(y, cb, cr, out, n);
    case YccKind::kAvx2:
      return YccToRgb0Avx2(y, cb, cr, out, n);
#endif
    default:
      return YccToRgb0Plain(y, cb, cr, out, n);
  }
}

}  // namespace tkz::image_codec
