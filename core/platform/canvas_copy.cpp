// Rectangle copies: CopyRect with raster operations, StretchDraw and Draw.
//
// Stretching has two qualities. Plain (smColorOnColor) takes for each target
// pixel the source pixel under its centre. Smooth (smHalftone) gives each
// target pixel the average of the source area it covers, each source pixel
// weighted by the part of it that lies under the target pixel; enlarging thus
// repeats pixels and blends only where a target pixel straddles two.
#include <array>
#include <cstring>
#ifdef __SSE2__
#include <emmintrin.h>
#endif
#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#endif

#include "core/platform/canvas_raster_internal.h"
#include "core/platform/graphics.h"

namespace tkz {

namespace {

constexpr int kWeightBits = 12;

// Ternary raster operation: bit i of rop is the result for brush P, source S
// and destination D bits with i = P*4 + S*2 + D.
uint32_t Rop3(uint8_t rop, uint32_t p, uint32_t s, uint32_t d) {
  switch (rop) {
    case 0xCC:
      return s;
    case 0x88:
      return s & d;
    case 0xEE:
      return s | d;
    case 0x66:
      return s ^ d;
    case 0x33:
      return ~s & raster::kRgbMask;
    case 0x00:
      return 0;
    case 0xFF:
      return raster::kRgbMask;
    case 0xAA:
      return d;
    case 0x55:
      return ~d & raster::kRgbMask;
    case 0xF0:
      return p;
    default:
      break;
  }
  uint32_t r = 0;
  for (int i = 0; i < 8; ++i) {
    if (((rop >> i) & 1) == 0) continue;
    r |= ((i & 4) ? p : ~p) & ((i & 2) ? s : ~s) & ((i & 1) ? d : ~d);
  }
  return r & raster::kRgbMask;
}

// For each target index i in [lo, hi) of a target of n pixels, the source
// pixels (out of m) that its area covers and their weights (summing to
// one in the weight bits). Mirrored targets take the indices from the far end.
struct Contributions {
  std::vector<int32_t> first;   // per target index: first source index
  std::vector<int32_t> offset;  // per target index: start in weight
  std::vector<int32_t> count;
  std::vector<uint16_t> weight;

  // The source indices [lo, hi) that any target index uses; false if none.
  bool SourceRange(int& lo, int& hi) const {
    lo = INT32_MAX, hi = 0;
    for (size_t k = 0; k < first.size(); ++k) {
      lo = std::min(lo, first[k]);
      hi = std::max(hi, first[k] + count[k]);
    }
    return lo < hi;
  }

  Contributions(int64_t m, int64_t n, int lo, int hi, bool flip, int bits = kWeightBits) {
    const uint32_t one = 1u << bits;
    const size_t len = static_cast<size_t>(hi - lo);
    first.resize(len);
    offset.resize(len);
    count.resize(len);
    for (int i = lo; i < hi; ++i) {
      const int64_t t = flip ? n - 1 - i : i;
      // Target pixel t covers [t*m, (t+1)*m) in units of 1/n source pixel.
      const int64_t a = t * m, b = (t + 1) * m;
      const int64_t s0 = a / n, s1 = (b + n - 1) / n;  // source pixels s0..s1-1
      const size_t k = static_cast<size_t>(i - lo);
      first[k] = static_cast<int32_t>(s0);
      offset[k] = static_cast<int32_t>(weight.size());
      count[k] = static_cast<int32_t>(s1 - s0);
      uint32_t sum = 0;
      size_t biggest = weight.size();
      for (int64_t s = s0; s < s1; ++s) {
        const int64_t overlap = std::min(b, (s + 1) * n) - std::max(a, s * n);
        const uint32_t w = static_cast<uint32_t>((overlap * one + m / 2) / m);
        weight.push_back(static_cast<uint16_t>(w));
        if (w > weight[biggest]) biggest = weight.size() - 1;
        sum += w;
      }
      // Rounding may leave the sum off by a little: the biggest share takes it.
      weight[biggest] = static_cast<uint16_t>(weight[biggest] + one - sum);
    }
  }
};

// Plain map: for target index i, the source index under its centre.
std::vector<int32_t> NearestMap(int64_t m, int64_t n, int lo, int hi, bool flip) {
  std::vector<int32_t> map(static_cast<size_t>(hi - lo));
  for (int i = lo; i < hi; ++i) {
    const int64_t t = flip ? n - 1 - i : i;
    map[static_cast<size_t>(i - lo)] = static_cast<int32_t>(((2 * t + 1) * m) / (2 * n));
  }
  return map;
}

// The scaling job: source rectangle (sx, sy, sw, sh) inside the source,
// target size dw x dh, mirrored as flagged; only the target window
// [cx0, cx1) x [cy0, cy1) is produced, into out (row stride in pixels).
struct ScaleJob {
  const TBitmap* src;
  int sx, sy, sw, sh;
  int64_t dw, dh;
  bool flipX, flipY;
  int cx0, cy0, cx1, cy1;
};

// orow[x] = srow[xs[x]]: a gather, vectorised where AVX2 has one.
#if defined(__x86_64__) && defined(__GNUC__)
__attribute__((target_clones("avx2", "default")))
#endif
void GatherRow(uint32_t* __restrict orow, const uint32_t* __restrict srow, const int32_t* xs,
               size_t w) {
  for (size_t x = 0; x < w; ++x) orow[x] = srow[xs[x]];
}

void ScaleNearest(const ScaleJob& j, uint32_t* out, ptrdiff_t stride) {
  const std::vector<int32_t> xs = NearestMap(j.sw, j.dw, j.cx0, j.cx1, j.flipX);
  const std::vector<int32_t> ys = NearestMap(j.sh, j.dh, j.cy0, j.cy1, j.flipY);
  const size_t w = xs.size();
  const uint32_t* prevSrc = nullptr;
  uint32_t* prevOut = nullptr;
  for (size_t y = 0; y < ys.size(); ++y) {
    const uint32_t* srow = j.src->ScanLine(j.sy + ys[y]) + j.sx;
    uint32_t* orow = out + static_cast<ptrdiff_t>(y) * stride;
    if (srow == prevSrc) {
      std::memcpy(orow, prevOut, w * sizeof(uint32_t));  // a repeated source row
    } else {
      GatherRow(orow, srow, xs.data(), w);
    }
    prevSrc = srow;
    prevOut = orow;
  }
}

// The fast smooth path for ratios up to kFastRatio: 8-bit weights, each
// pass rounded to whole levels (at most one level off the exact average).
// The vertical pass works on the bytes of four source rows at a time in
// 16-bit lanes; the horizontal pass on a pixel's four 16-bit lanes held in
// one 64-bit word, where a weighted sum never carries between lanes
// (255 * 256 < 2^16).
constexpr int64_t kFastRatio = 64;

// The vertical pass: lanes[i] = the weighted mean of byte i of the cnt rows
// (weights summing to 256), rounded. Compiled also for AVX2, chosen at run
// time where the processor has it.
#if defined(__x86_64__) && defined(__GNUC__)
__attribute__((target_clones("avx2", "default")))
#endif
void VerticalPass(const uint8_t* const* rows, const uint16_t* w, int32_t cnt, uint16_t* lanes,
                  size_t n) {
  if (cnt == 1) {
    const uint8_t* a = rows[0];
    for (size_t i = 0; i < n; ++i) lanes[i] = a[i];
  } else if (cnt == 2) {
    const uint8_t *a = rows[0], *b = rows[1];
    const uint16_t wa = w[0], wb = w[1];
    for (size_t i = 0; i < n; ++i) {
      // 16-bit arithmetic throughout (the weights sum to 256), so that it
      // vectorises in 16-bit lanes.
      const uint16_t t = static_cast<uint16_t>(static_cast<uint16_t>(wa * a[i]) +
                                               static_cast<uint16_t>(wb * b[i]) + 128);
      lanes[i] = static_cast<uint16_t>(t >> 8);
    }
  } else if (cnt == 3) {
    const uint8_t *a = rows[0], *b = rows[1], *c = rows[2];
    const uint16_t wa = w[0], wb = w[1], wc = w[2];
    for (size_t i = 0; i < n; ++i) {
      const uint16_t t = static_cast<uint16_t>(static_cast<uint16_t>(wa * a[i]) +
                                               static_cast<uint16_t>(wb * b[i]) +
                                               static_cast<uint16_t>(wc * c[i]) + 128);
      lanes[i] = static_cast<uint16_t>(t >> 8);
    }
  } else {
    const uint8_t* a = rows[0];
    const uint16_t wa = w[0];
    for (size_t i = 0; i < n; ++i) lanes[i] = static_cast<uint16_t>(wa * a[i] + 128);
    for (int32_t r = 1; r < cnt; ++r) {
      const uint8_t* b = rows[r];
      const uint16_t wb = w[r];
      for (size_t i = 0; i < n; ++i) lanes[i] = static_cast<uint16_t>(lanes[i] + wb * b[i]);
    }
    for (size_t i = 0; i < n; ++i) lanes[i] = static_cast<uint16_t>(lanes[i] >> 8);
  }
}

#if defined(__x86_64__) && defined(__GNUC__)
// The AVX2 path of the fast smooth scaling, for targets where no pixel
// covers more than three source columns (shrinking by up to half, and any
// enlargement). Same results as the passes above, to the bit; it keeps the
// vertically averaged row as bytes and makes it only just ahead of the
// horizontal pass that reads it, so that it stays in the first-level cache.
//
// Both passes multiply unsigned 8-bit weights by signed bytes (pmaddubsw):
// the levels are stored offset by -128, so that a sum of taps whose weights
// add up to at most 256 fits a signed 16-bit lane without saturating. Over a
// full set of taps the offsets add up to -128 * 256.
constexpr int kAvx2MaxTapsX = 3;

// 32 bytes at i of the vertical pass: the weighted mean of rows[r][i] over
// kCnt rows (cnt where kCnt is 0; weights summing to 256, none zero, in
// pairs: byte k of wv[p] weighs row 2p + k), rounded, less 128.
template <int32_t kCnt>
__attribute__((target("avx2"))) inline void VerticalChunkAvx2(const uint8_t* const* rows,
                                                              const __m256i* wv, int32_t cnt,
                                                              uint8_t* out, size_t i) {
  const __m256i flip = _mm256_set1_epi8(static_cast<char>(0x80));
  if (kCnt != 0) cnt = kCnt;
  if (cnt == 1) {  // a whole row: only the offset
    const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(rows[0] + i));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + i), _mm256_xor_si256(a, flip));
    return;
  }
  // Without wrapping here: the running sums stay within +-(128 * 256 - 128).
  const __m256i round = _mm256_set1_epi16(128);
  __m256i lo = round, hi = round;
  for (int32_t p = 0; 2 * p < cnt; ++p) {
    const __m256i a = _mm256_xor_si256(
        _mm256_loadu_si256(reinterpret_cast<const __m256i*>(rows[2 * p] + i)), flip);
    const __m256i b =
        2 * p + 1 < cnt
            ? _mm256_xor_si256(
                  _mm256_loadu_si256(reinterpret_cast<const __m256i*>(rows[2 * p + 1] + i)), flip)
            : a;
    lo = _mm256_add_epi16(lo, _mm256_maddubs_epi16(wv[p], _mm256_unpacklo_epi8(a, b)));
    hi = _mm256_add_epi16(hi, _mm256_maddubs_epi16(wv[p], _mm256_unpackhi_epi8(a, b)));
  }
  // The arithmetic shift leaves the mean less 128, a signed byte. Unpacking
  // and packing both work within 128-bit halves: the bytes come back in
  // their order.
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + i),
                      _mm256_packs_epi16(_mm256_srai_epi16(lo, 8), _mm256_srai_epi16(hi, 8)));
}

// Per target pixel of the horizontal pass: the byte offset in the averaged
// row of its first tap, and two weight sets for pmaddubsw over the bytes of
// that pixel and the next two: pixels (0, 1) and (0, 2), channel by channel
// (the fourth byte weighs nothing).
struct TapsX {
  std::vector<int32_t> at;
  std::vector<std::array<uint8_t, 16>> w;  // in the order the loop takes them
  std::vector<size_t> need;                // per group of eight: the averaged bytes it reads
};

TapsX MakeTapsX(const Contributions& cx, int colLo, int colHi) {
  const size_t dn = cx.first.size(), padded = (dn + 7) / 8 * 8;
  TapsX t;
  t.at.assign(padded, 0);
  t.w.assign(padded, {});
  for (size_t x = 0; x < dn; ++x) {
    int32_t first = cx.first[x] - colLo;
    uint16_t w[3] = {0, 0, 0};
    for (int32_t k = 0; k < cx.count[x]; ++k) {
      w[k] = cx.weight[static_cast<size_t>(cx.offset[x] + k)];
      if (w[k] == 256) {  // one whole pixel (the rest weigh nothing)
        first += k;
        w[0] = 256, w[1] = w[2] = 0;
        break;
      }
    }
    // Pixel 0's weight is shared by both sets, so that none exceeds 255.
    const uint8_t a0 = static_cast<uint8_t>(w[0] - w[0] / 2), b0 = static_cast<uint8_t>(w[0] / 2);
    std::array<uint8_t, 16> v{};
    for (int c = 0; c < 3; ++c) {
      v[2 * c] = a0, v[2 * c + 1] = static_cast<uint8_t>(w[1]);
      v[8 + 2 * c] = b0, v[8 + 2 * c + 1] = static_cast<uint8_t>(w[2]);
    }
    // Groups of eight pixels go as pairs (0, 4), (1, 5), (2, 6), (3, 7).
    const size_t g = x / 8 * 8, r = x % 8, slot = g + (r % 4) * 2 + r / 4;
    t.at[slot] = 4 * first;
    t.w[slot] = v;
  }
  const size_t n = 4 * static_cast<size_t>(std::max(0, colHi - colLo));
  t.need.assign(padded / 8, 0);
  for (size_t x = 0; x < dn; ++x) {
    const size_t end = static_cast<size_t>(4 * (cx.first[x] - colLo + cx.count[x]));
    t.need[x / 8] = std::max(t.need[x / 8], std::min(end, n));
  }
  return t;
}

// Two pixels' products for the horizontal pass: the first in the low half,
// the second in the high.
__attribute__((target("avx2"))) inline __m256i TapsAvx2(const uint8_t* mid, const int32_t* at,
                                                        const uint8_t* wt, size_t s,
                                                        __m256i order) {
  uint64_t both;  // the two offsets in one load
  std::memcpy(&both, at + s, sizeof(both));
  const __m256i p = _mm256_inserti128_si256(
      _mm256_castsi128_si256(
          _mm_loadu_si128(reinterpret_cast<const __m128i*>(mid + static_cast<uint32_t>(both)))),
      _mm_loadu_si128(reinterpret_cast<const __m128i*>(mid + (both >> 32))), 1);
  return _mm256_maddubs_epi16(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(wt + 16 * s)),
                              _mm256_shuffle_epi8(p, order));
}

// Eight target pixels from slot g on.
__attribute__((target("avx2"))) inline __m256i EightAvx2(const uint8_t* mid, const int32_t* at,
                                                         const uint8_t* wt, size_t g, __m256i order,
                                                         __m256i bias) {
  const __m256i m0 = TapsAvx2(mid, at, wt, g, order), m1 = TapsAvx2(mid, at, wt, g + 2, order);
  const __m256i m2 = TapsAvx2(mid, at, wt, g + 4, order), m3 = TapsAvx2(mid, at, wt, g + 6, order);
  // Adding each pixel's two sets puts pixels 0, 1 | 4, 5 in one register
  // and 2, 3 | 6, 7 in the other; packing restores the order.
  const __m256i s01 = _mm256_add_epi16(_mm256_add_epi16(_mm256_unpacklo_epi64(m0, m1), bias),
                                       _mm256_unpackhi_epi64(m0, m1));
  const __m256i s23 = _mm256_add_epi16(_mm256_add_epi16(_mm256_unpacklo_epi64(m2, m3), bias),
                                       _mm256_unpackhi_epi64(m2, m3));
  return _mm256_packus_epi16(_mm256_srli_epi16(s01, 8), _mm256_srli_epi16(s23, 8));
}

// One target row: the averaged row mid (n bytes, with room for n rounded up
// to 32 and a three-pixel read after the last pixel) from the cnt source
// rows with weights w (summing to 256, none zero), unless fresh is false and
// mid holds it already; then orow[x] for x < dn. The vertical pass keeps a
// few hundred bytes ahead of the horizontal one (reading bytes just stored
// would wait for the stores), and asks for the nnext rows in next, which
// the next target row adds, as it goes.
template <int32_t kCnt>
__attribute__((target("avx2"))) void SmoothRowAvx2(const uint8_t* const* rows, const uint16_t* w,
                                                   int32_t cnt, bool fresh, uint8_t* mid, size_t n,
                                                   const TapsX& t, bool backwards, uint32_t* orow,
                                                   size_t dn, const uint8_t* const* next,
                                                   int nnext) {
  __m256i wv[(kFastRatio + 2) / 2];
  for (int32_t p = 0; 2 * p + 1 < cnt; ++p)  // (a single row weighs 256: no byte)
    wv[p] = _mm256_set1_epi16(static_cast<short>(w[2 * p] | w[2 * p + 1] << 8));
  if (cnt % 2 == 1 && cnt > 1) wv[cnt / 2] = _mm256_set1_epi16(static_cast<short>(w[cnt - 1]));
  // Per 128-bit half: channels of pixels (0, 1) interleaved, then of (0, 2).
  const __m256i order = _mm256_setr_epi8(0, 4, 1, 5, 2, 6, 3, 7, 0, 8, 1, 9, 2, 10, 3, 11, 0, 4, 1,
                                         5, 2, 6, 3, 7, 0, 8, 1, 9, 2, 10, 3, 11);
  // Rounds, and cancels the offsets of the three colour channels modulo 2^16
  // (0x8080 = 128 * 256 + 128): the true sum plus 128 is below 2^16, so the
  // wrapped lane holds it exactly. The fourth, weighing nothing, comes out 0.
  const __m256i bias = _mm256_setr_epi16(
      static_cast<short>(0x8080), static_cast<short>(0x8080), static_cast<short>(0x8080), 0,
      static_cast<short>(0x8080), static_cast<short>(0x8080), static_cast<short>(0x8080), 0,
      static_cast<short>(0x8080), static_cast<short>(0x8080), static_cast<short>(0x8080), 0,
      static_cast<short>(0x8080), static_cast<short>(0x8080), static_cast<short>(0x8080), 0);
  const int32_t* at = t.at.data();
  const uint8_t* wt = t.w.data()->data();
  constexpr size_t kAhead = 256;
  const size_t whole = n / 32 * 32, groups = (dn + 7) / 8;
  size_t done = fresh ? 0 : SIZE_MAX;  // mid holds bytes [0, done)
  for (size_t k = 0; k < groups; ++k) {
    // A mirrored row takes the groups from the far end: the bytes they read
    // still come in order.
    const size_t g = backwards ? groups - 1 - k : k;
    if (done < t.need[g]) {
      const size_t to = std::min(whole, (t.need[g] + kAhead + 31) / 32 * 32);
      for (; done < to; done += 32) {
        if (done % 64 == 0)
          for (int r = 0; r < nnext; ++r)
            _mm_prefetch(reinterpret_cast<const char*>(next[r] + done), _MM_HINT_T0);
        VerticalChunkAvx2<kCnt>(rows, wv, cnt, mid, done);
      }
      if (done < t.need[g]) {  // the bytes after the last whole chunk
        if (n >= 32) {
          VerticalChunkAvx2<kCnt>(rows, wv, cnt, mid, n - 32);  // again from the end
        } else {
          for (size_t i = 0; i < n; ++i) {
            uint32_t s = 128;
            for (int32_t r = 0; r < cnt; ++r) s += w[r] * rows[r][i];
            mid[i] = static_cast<uint8_t>((s >> 8) ^ 0x80);
          }
        }
        done = SIZE_MAX;
      }
    }
    const __m256i v = EightAvx2(mid, at, wt, 8 * g, order, bias);
    if (8 * g + 8 <= dn) {
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(orow + 8 * g), v);
    } else {
      alignas(32) uint32_t last[8];
      _mm256_store_si256(reinterpret_cast<__m256i*>(last), v);
      std::memcpy(orow + 8 * g, last, (dn - 8 * g) * sizeof(uint32_t));
    }
  }
}

bool HasAvx2() {
  static const bool has = __builtin_cpu_supports("avx2");
  return has;
}

void ScaleSmoothFastAvx2(const ScaleJob& j, const Contributions& cx, const Contributions& cy,
                         int colLo, int colHi, uint32_t* out, ptrdiff_t stride) {
  const size_t cols = static_cast<size_t>(colHi - colLo), n = 4 * cols;
  std::vector<uint8_t> mid((n + 31) / 32 * 32 + 32);
  const TapsX tx = MakeTapsX(cx, colLo, colHi);
  const size_t dn = cx.first.size();
  const uint8_t* prev[kFastRatio + 1] = {};
  uint16_t prevW[kFastRatio + 1] = {};
  int32_t prevCnt = 0;
  for (size_t y = 0; y < cy.first.size(); ++y) {
    // This row's source rows and weights, without the ones weighing nothing.
    const uint8_t* rows[kFastRatio + 1];
    uint16_t w[kFastRatio + 1];
    int32_t cnt = 0;
    for (int32_t r = 0; r < cy.count[y] && r <= kFastRatio; ++r) {
      const uint16_t wr = cy.weight[static_cast<size_t>(cy.offset[y] + r)];
      if (wr == 0) continue;
      rows[cnt] =
          reinterpret_cast<const uint8_t*>(j.src->ScanLine(j.sy + cy.first[y] + r) + j.sx + colLo);
      w[cnt++] = wr;
    }
    // An enlargement repeats rows: the averaged row of the last one may do.
    const bool fresh = cnt != prevCnt || std::memcmp(rows, prev, cnt * sizeof(rows[0])) != 0 ||
                       std::memcmp(w, prevW, cnt * sizeof(w[0])) != 0;
    std::memcpy(prev, rows, cnt * sizeof(rows[0]));
    std::memcpy(prevW, w, cnt * sizeof(w[0]));
    prevCnt = cnt;
    uint32_t* orow = out + static_cast<ptrdiff_t>(y) * stride;
    // The rows that the next target row adds.
    const uint8_t* next[4];
    int nnext = 0;
    if (y + 1 < cy.first.size()) {
      for (int32_t r = 0; r < cy.count[y + 1] && nnext < 4; ++r) {
        const uint8_t* p = reinterpret_cast<const uint8_t*>(
            j.src->ScanLine(j.sy + cy.first[y + 1] + r) + j.sx + colLo);
        if (std::find(rows, rows + cnt, p) == rows + cnt) next[nnext++] = p;
      }
    }
    switch (cnt) {
      case 1:
        SmoothRowAvx2<1>(rows, w, cnt, fresh, mid.data(), n, tx, j.flipX, orow, dn, next, nnext);
        break;
      case 2:
        SmoothRowAvx2<2>(rows, w, cnt, fresh, mid.data(), n, tx, j.flipX, orow, dn, next, nnext);
        break;
      case 3:
        SmoothRowAvx2<3>(rows, w, cnt, fresh, mid.data(), n, tx, j.flipX, orow, dn, next, nnext);
        break;
      default:
        SmoothRowAvx2<0>(rows, w, cnt, fresh, mid.data(), n, tx, j.flipX, orow, dn, next, nnext);
    }
  }
}
#endif

void ScaleSmoothFast(const ScaleJob& j, uint32_t* out, ptrdiff_t stride) {
  const Contributions cx(j.sw, j.dw, j.cx0, j.cx1, j.flipX, 8);
  const Contributions cy(j.sh, j.dh, j.cy0, j.cy1, j.flipY, 8);
  int colLo = 0, colHi = 0;
  if (!cx.SourceRange(colLo, colHi)) return;
#if defined(__x86_64__) && defined(__GNUC__)
  bool fewTaps = true;
  for (int32_t c : cx.count) fewTaps = fewTaps && c <= kAvx2MaxTapsX;
  if (fewTaps && HasAvx2()) {
    ScaleSmoothFastAvx2(j, cx, cy, colLo, colHi, out, stride);
    return;
  }
#endif
  const size_t cols = static_cast<size_t>(colHi - colLo);
  // One vertically averaged row, 4 x 16-bit lanes per pixel, with two words
  // of padding so that three-tap reads never leave it.
  std::vector<uint64_t> mid(cols + 2);
  uint16_t* lanes = reinterpret_cast<uint16_t*>(mid.data());
#ifdef __SSE2__
  // Per target pixel, its weights as 16-bit lanes: taps 0 and 1 in one
  // register, tap 2 in the low half of another (missing taps weigh 0).
  struct Taps {
    __m128i w01, w2;
  };
  bool threeTaps = true;
  for (int32_t c : cx.count) threeTaps = threeTaps && c <= 3;
  std::vector<Taps> taps(threeTaps ? cx.first.size() : 0);
  for (size_t x = 0; x < taps.size(); ++x) {
    uint16_t w[3] = {0, 0, 0};
    for (int32_t k = 0; k < cx.count[x]; ++k)
      w[k] = cx.weight[static_cast<size_t>(cx.offset[x] + k)];
    taps[x].w01 =
        _mm_set_epi16(static_cast<short>(w[1]), static_cast<short>(w[1]), static_cast<short>(w[1]),
                      static_cast<short>(w[1]), static_cast<short>(w[0]), static_cast<short>(w[0]),
                      static_cast<short>(w[0]), static_cast<short>(w[0]));
    taps[x].w2 = _mm_set_epi16(0, 0, 0, 0, static_cast<short>(w[2]), static_cast<short>(w[2]),
                               static_cast<short>(w[2]), static_cast<short>(w[2]));
  }
#endif
  const size_t n = 4 * cols;
  for (size_t y = 0; y < cy.first.size(); ++y) {
    const int32_t cnt = cy.count[y];
    const uint16_t* w = &cy.weight[static_cast<size_t>(cy.offset[y])];
    auto row = [&](int32_t r) {
      return reinterpret_cast<const uint8_t*>(j.src->ScanLine(j.sy + cy.first[y] + r) + j.sx +
                                              colLo);
    };
    const uint8_t* rows[kFastRatio + 1];
    for (int32_t r = 0; r < cnt && r <= kFastRatio; ++r) rows[r] = row(r);
    VerticalPass(rows, w, cnt, lanes, n);
    uint32_t* orow = out + static_cast<ptrdiff_t>(y) * stride;
    const size_t dn = cx.first.size();
#ifdef __SSE2__
    if (threeTaps) {
      // Two target pixels' worth of work in one register: taps 0 and 1 of a
      // pixel are adjacent words, multiplied at once by their weights.
      const __m128i round = _mm_set1_epi16(128);
      const __m128i keep = _mm_set1_epi32(0x00FFFFFF);
      // The weighted sum of pixel x in the low half of the result.
      auto sum = [&](size_t x) {
        const uint64_t* src = &mid[static_cast<size_t>(cx.first[x] - colLo)];
        const __m128i t01 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src));
        const __m128i t2 = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(src + 2));
        __m128i acc = _mm_mullo_epi16(t01, taps[x].w01);
        acc = _mm_add_epi16(acc, _mm_shuffle_epi32(acc, 0x4E));  // + the other half
        return _mm_add_epi16(acc, _mm_mullo_epi16(t2, taps[x].w2));
      };
      size_t x = 0;
      for (; x + 1 < dn; x += 2) {  // two pixels per store
        __m128i ab = _mm_unpacklo_epi64(sum(x), sum(x + 1));
        ab = _mm_srli_epi16(_mm_add_epi16(ab, round), 8);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(orow + x),
                         _mm_and_si128(_mm_packus_epi16(ab, ab), keep));
      }
      if (x < dn) {
        const __m128i v = _mm_srli_epi16(_mm_add_epi16(sum(x), round), 8);
        orow[x] = static_cast<uint32_t>(_mm_cvtsi128_si32(_mm_packus_epi16(v, v))) & 0x00FFFFFFu;
      }
      continue;
    }
#endif
    for (size_t x = 0; x < dn; ++x) {
      const uint64_t* src = &mid[static_cast<size_t>(cx.first[x] - colLo)];
      const uint16_t* wx = &cx.weight[static_cast<size_t>(cx.offset[x])];
      uint64_t acc = 0x0080008000800080ull;
      for (int32_t k = 0; k < cx.count[x]; ++k) acc += wx[k] * src[k];
      acc = (acc >> 8) & 0x00FF00FF00FF00FFull;
      acc = (acc | (acc >> 8)) & 0x0000FFFF0000FFFFull;
      orow[x] = static_cast<uint32_t>(acc | (acc >> 16)) & 0x00FFFFFFu;
    }
  }
}

void ScaleSmooth(const ScaleJob& j, uint32_t* out, ptrdiff_t stride) {
  const Contributions cx(j.sw, j.dw, j.cx0, j.cx1, j.flipX);
  const Contributions cy(j.sh, j.dh, j.cy0, j.cy1, j.flipY);
  // Source columns that the window needs.
  int colLo = 0, colHi = 0;
  if (!cx.SourceRange(colLo, colHi)) return;
  const size_t cols = static_cast<size_t>(colHi - colLo);
  std::vector<uint32_t> acc(3 * cols);
  uint32_t* accR = acc.data();
  uint32_t* accG = accR + cols;
  uint32_t* accB = accG + cols;
  for (size_t y = 0; y < cy.first.size(); ++y) {
    // Vertical pass: weighted sum of the source rows under this target row.
    for (int32_t r = 0; r < cy.count[y]; ++r) {
      const uint32_t wv = cy.weight[static_cast<size_t>(cy.offset[y] + r)];
      const uint32_t* srow = j.src->ScanLine(j.sy + cy.first[y] + r) + j.sx + colLo;
      if (r == 0) {
        for (size_t x = 0; x < cols; ++x) {
          const uint32_t p = srow[x];
          accR[x] = wv * (p & 0xFF);
          accG[x] = wv * ((p >> 8) & 0xFF);
          accB[x] = wv * ((p >> 16) & 0xFF);
        }
      } else {
        for (size_t x = 0; x < cols; ++x) {
          const uint32_t p = srow[x];
          accR[x] += wv * (p & 0xFF);
          accG[x] += wv * ((p >> 8) & 0xFF);
          accB[x] += wv * ((p >> 16) & 0xFF);
        }
      }
    }
    // Horizontal pass. Sums stay below 2^32: (255 << 8) << kWeightBits.
    uint32_t* orow = out + static_cast<ptrdiff_t>(y) * stride;
    for (size_t x = 0; x < cx.first.size(); ++x) {
      const size_t c0 = static_cast<size_t>(cx.first[x] - colLo);
      const uint16_t* w = &cx.weight[static_cast<size_t>(cx.offset[x])];
      uint32_t r = 0, g = 0, b = 0;
      for (int32_t k = 0; k < cx.count[x]; ++k) {
        r += w[k] * (accR[c0 + k] >> 4);
        g += w[k] * (accG[c0 + k] >> 4);
        b += w[k] * (accB[c0 + k] >> 4);
      }
      constexpr int kShift = 2 * kWeightBits - 4;
      constexpr uint32_t kHalf = 1u << (kShift - 1);
      orow[x] = ((r + kHalf) >> kShift) | (((g + kHalf) >> kShift) << 8) |
                (((b + kHalf) >> kShift) << 16);
    }
  }
}

void Scale(const ScaleJob& j, TStretchMode mode, uint32_t* out, ptrdiff_t stride) {
  if (j.dw == j.sw && j.dh == j.sh && !j.flipX) {
    // One to one: straight row copies (mirrored rows are just row order).
    for (int y = j.cy0; y < j.cy1; ++y) {
      const int sy = j.flipY ? j.sh - 1 - y : y;
      std::memcpy(out + static_cast<ptrdiff_t>(y - j.cy0) * stride,
                  j.src->ScanLine(j.sy + sy) + j.sx + j.cx0,
                  static_cast<size_t>(j.cx1 - j.cx0) * sizeof(uint32_t));
    }
    return;
  }
  if (mode == smHalftone) {
    if (j.sw <= kFastRatio * j.dw && j.sh <= kFastRatio * j.dh)
      ScaleSmoothFast(j, out, stride);
    else
      ScaleSmooth(j, out, stride);
  } else
    ScaleNearest(j, out, stride);
}

// Copies the source rectangle src of bitmap s onto dest of bitmap d.
void CopyBits(TBitmap& d, const TRect& dest, const TBitmap& s, TRect src, TCopyMode mode,
              TStretchMode stretch, TColor brush) {
  int64_t dl = dest.Left, dt = dest.Top, dr = dest.Right, db = dest.Bottom;
  bool flipX = false, flipY = false;
  if (dr < dl) std::swap(dl, dr), flipX = !flipX;
  if (db < dt) std::swap(dt, db), flipY = !flipY;
  if (src.Right < src.Left) std::swap(src.Left, src.Right), flipX = !flipX;
  if (src.Bottom < src.Top) std::swap(src.Top, src.Bottom), flipY = !flipY;
  int64_t sw = int64_t{src.Right} - src.Left, sh = int64_t{src.Bottom} - src.Top;
  int64_t dw = dr - dl, dh = db - dt;
  if (sw <= 0 || sh <= 0 || dw <= 0 || dh <= 0) return;
  // Keep only the part of the source inside the bitmap, and the matching part
  // of the target (proportionally, rounded to whole target pixels).
  const int64_t ssl = std::max<int64_t>(src.Left, 0), sst = std::max<int64_t>(src.Top, 0);
  const int64_t ssr = std::min<int64_t>(src.Right, s.GetWidth());
  const int64_t ssb = std::min<int64_t>(src.Bottom, s.GetHeight());
  if (ssl >= ssr || sst >= ssb) return;
  if (ssl != src.Left || sst != src.Top || ssr != src.Right || ssb != src.Bottom) {
    auto part = [](int64_t lo, int64_t len, int64_t a, int64_t b, int64_t full, bool flip,
                   int64_t& outLo, int64_t& outLen) {
      // Source [a, b) of [0, full) maps to target [lo + a*len/full, ...).
      // (products of two 32-bit spans need more than 64 bits)
      int64_t ta = static_cast<int64_t>((static_cast<__int128>(a) * len + full / 2) / full);
      int64_t tb = static_cast<int64_t>((static_cast<__int128>(b) * len + full / 2) / full);
      if (flip) std::swap(ta, tb), ta = len - ta, tb = len - tb;
      outLo = lo + ta;
      outLen = tb - ta;
    };
    int64_t nl, nw, nt, nh;
    part(dl, dw, ssl - src.Left, ssr - src.Left, sw, flipX, nl, nw);
    part(dt, dh, sst - src.Top, ssb - src.Top, sh, flipY, nt, nh);
    dl = nl, dw = nw, dt = nt, dh = nh;
    sw = ssr - ssl, sh = ssb - sst;
    if (dw <= 0 || dh <= 0) return;
  }
  // The visible window of the target.
  const int64_t cx0 = std::max<int64_t>(0, -dl), cy0 = std::max<int64_t>(0, -dt);
  const int64_t cx1 = std::min<int64_t>(dw, d.GetWidth() - dl);
  const int64_t cy1 = std::min<int64_t>(dh, d.GetHeight() - dt);
  if (cx0 >= cx1 || cy0 >= cy1) return;
  const ScaleJob job{&s,
                     static_cast<int>(ssl),
                     static_cast<int>(sst),
                     static_cast<int>(sw),
                     static_cast<int>(sh),
                     dw,
                     dh,
                     flipX,
                     flipY,
                     static_cast<int>(cx0),
                     static_cast<int>(cy0),
                     static_cast<int>(cx1),
                     static_cast<int>(cy1)};
  uint32_t* origin = d.ScanLine(static_cast<int>(dt + cy0)) + (dl + cx0);
  const uint8_t rop = static_cast<uint8_t>((static_cast<uint32_t>(mode) >> 16) & 0xFF);
  if (rop == 0xCC && &s != &d) {
    Scale(job, stretch, origin, d.GetWidth());
    return;
  }
  // Scale into a scratch window, then combine it with the target.
  const size_t ww = static_cast<size_t>(cx1 - cx0), wh = static_cast<size_t>(cy1 - cy0);
  std::vector<uint32_t> scratch(ww * wh);
  Scale(job, stretch, scratch.data(), static_cast<ptrdiff_t>(ww));
  const uint32_t p = static_cast<uint32_t>(ColorToRGB(brush));
  for (size_t y = 0; y < wh; ++y) {
    uint32_t* drow = origin + static_cast<ptrdiff_t>(y) * d.GetWidth();
    const uint32_t* srow = scratch.data() + y * ww;
    if (rop == 0xCC) {
      std::memcpy(drow, srow, ww * sizeof(uint32_t));
      continue;
    }
    for (size_t x = 0; x < ww; ++x) drow[x] = Rop3(rop, p, srow[x], drow[x]);
  }
}

}  // namespace

void TCanvas::CopyRect(const TRect& dest, TCanvas* Source, const TRect& src) {
  if (Source == nullptr) return;
  CopyBits(*target_, dest, *Source->target_, src, copy_mode_, stretch_mode_,
           brush_.GetStyle() == bsClear ? clBlack : brush_.GetColor());
}

void TCanvas::StretchDraw(const TRect& dest, const TBitmap* Source) {
  if (Source == nullptr || Source->Empty()) return;
  CopyBits(*target_, dest, *Source, {0, 0, Source->GetWidth(), Source->GetHeight()}, copy_mode_,
           stretch_mode_, brush_.GetStyle() == bsClear ? clBlack : brush_.GetColor());
}

void TCanvas::Draw(int x, int y, const TBitmap* Source) {
  if (Source == nullptr || Source->Empty()) return;
  const int64_t r = int64_t{x} + Source->GetWidth(), b = int64_t{y} + Source->GetHeight();
  if (r > INT32_MAX || b > INT32_MAX) return;
  StretchDraw({x, y, static_cast<int32_t>(r), static_cast<int32_t>(b)}, Source);
}

}  // namespace tkz
