// Text output on the canvas: the font service rasterises, the canvas fills the
// text cell with the brush and blends the glyph coverage in the font colour.
#include <cmath>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "core/platform/canvas_raster_internal.h"
#include "core/platform/fonts.h"
#include "core/platform/fonts_internal.h"
#include "core/platform/graphics.h"

namespace tkz {

namespace {

// d * (255 - c) + f * c, divided by 255 and rounded, for all three channels:
// red and blue side by side in 16-bit lanes, green alone.
inline uint32_t Blend(uint32_t d, uint32_t f, uint32_t c) {
  const uint32_t ic = 255 - c;
  uint32_t rb = (d & 0xFF00FFu) * ic + (f & 0xFF00FFu) * c + 0x800080u;
  uint32_t g = ((d >> 8) & 0xFFu) * ic + ((f >> 8) & 0xFFu) * c + 0x80u;
  rb = ((rb + ((rb >> 8) & 0xFF00FFu)) >> 8) & 0xFF00FFu;
  g = ((g + (g >> 8)) >> 8) & 0xFFu;
  return rb | (g << 8);
}

// Blends one pixel: nothing at coverage 0, the ink itself at 255.
inline void BlendPixel(uint32_t& d, uint32_t ink, uint8_t c) {
  if (c != 0) d = c == 255 ? ink : Blend(d, ink, c);
}

// Blends the coverage of n pixels in the ink colour (whose top byte is 0),
// pixel by pixel as BlendPixel does.
void BlendRow(uint32_t* dst, const uint8_t* cover, int n, uint32_t ink) {
  int i = 0;
#if defined(__SSE2__)
  // Four pixels at a time, each channel in a 16-bit lane: the sums of Blend
  // fit there (255 * 255 + 128 + 254 < 65536), so every channel comes out as
  // Blend gives it. Blend is exact at coverage 255 (the ink), and at 0 the
  // pixel keeps all four bytes, as BlendPixel leaves it.
  const __m128i zero = _mm_setzero_si128();
  const __m128i f = _mm_unpacklo_epi8(_mm_set1_epi32(static_cast<int>(ink)), zero);
  const __m128i k255 = _mm_set1_epi16(255), k128 = _mm_set1_epi16(128);
  const __m128i rgb = _mm_set1_epi32(0x00FFFFFF);
  auto mix = [&](__m128i d, __m128i c) {
    const __m128i x = _mm_add_epi16(
        _mm_add_epi16(_mm_mullo_epi16(d, _mm_sub_epi16(k255, c)), _mm_mullo_epi16(f, c)), k128);
    return _mm_srli_epi16(_mm_add_epi16(x, _mm_srli_epi16(x, 8)), 8);
  };
  for (; i + 4 <= n; i += 4) {
    uint32_t c4;
    std::memcpy(&c4, cover + i, 4);
    if (c4 == 0) continue;
    __m128i c = _mm_cvtsi32_si128(static_cast<int>(c4));
    c = _mm_unpacklo_epi8(c, c);
    c = _mm_unpacklo_epi16(c, c);  // each pixel's coverage in its four bytes
    auto* p = reinterpret_cast<__m128i*>(dst + i);
    const __m128i d = _mm_loadu_si128(p);
    const __m128i out =
        _mm_packus_epi16(mix(_mm_unpacklo_epi8(d, zero), _mm_unpacklo_epi8(c, zero)),
                         mix(_mm_unpackhi_epi8(d, zero), _mm_unpackhi_epi8(c, zero)));
    const __m128i keep = _mm_or_si128(rgb, _mm_cmpeq_epi8(c, zero));
    _mm_storeu_si128(p, _mm_and_si128(out, keep));
  }
#endif
  for (; i < n; ++i) BlendPixel(dst[i], ink, cover[i]);
}

// Masks above this size are let go after drawing.
constexpr size_t kKeptMaskBytes = size_t{1} << 20;

}  // namespace

void TCanvas::TextOut(int x, int y, const std::string& text) {
  if (text.empty()) return;
  // Only the part of the text that can show on the bitmap is rasterised.
  const int64_t cl = -int64_t{x}, ct = -int64_t{y};
  const TRect clip{
      static_cast<int32_t>(std::clamp<int64_t>(cl, INT32_MIN, INT32_MAX)),
      static_cast<int32_t>(std::clamp<int64_t>(ct, INT32_MIN, INT32_MAX)),
      static_cast<int32_t>(std::clamp<int64_t>(cl + target_->GetWidth(), INT32_MIN, INT32_MAX)),
      static_cast<int32_t>(std::clamp<int64_t>(ct + target_->GetHeight(), INT32_MIN, INT32_MAX))};
  // One mask per thread, kept between calls unless a large text made it big.
  thread_local TGlyphMask glyphs;
  const int width = RenderTextInto(font_, text, clip.IsEmpty() ? TRect{} : clip, glyphs);
  if (brush_.GetStyle() != bsClear) {
    const int height = GetFontMetrics(font_).Height;
    const uint32_t bg = static_cast<uint32_t>(ColorToRGB(brush_.GetColor()));
    if (font_.GetOrientation() == 0) {
      raster::CoverageMask mask(x, y, int64_t{x} + width, int64_t{y} + height, target_->GetWidth(),
                                target_->GetHeight());
      for (int64_t r = mask.Top(); r < mask.Bottom(); ++r)
        mask.MarkSpan(r, x, int64_t{x} + width, raster::CoverageMask::kBrush);
      mask.Paint(*target_, false, 0, true, bg, pmCopy);
    } else {
      // The turned cell: its corners turned counter-clockwise about (x, y).
      const double a = font_.GetOrientation() * M_PI / 1800.0;
      const double c = std::cos(a), s = std::sin(a);
      std::vector<TPoint> corners;
      for (auto [u, v] : {std::pair{0, 0}, {width, 0}, {width, height}, {0, height}}) {
        auto px = [](double v) {
          return static_cast<int32_t>(std::clamp(std::round(v), -1073741824.0, 1073741824.0));
        };
        corners.push_back({px(x + u * c + v * s), px(y - u * s + v * c)});
      }
      int64_t l = corners[0].X, t = corners[0].Y, r = l, b = t;
      for (const TPoint& p : corners) {
        l = std::min<int64_t>(l, p.X), r = std::max<int64_t>(r, p.X);
        t = std::min<int64_t>(t, p.Y), b = std::max<int64_t>(b, p.Y);
      }
      raster::CoverageMask mask(l, t, r + 1, b + 1, target_->GetWidth(), target_->GetHeight());
      raster::MarkPolygonInterior(mask, corners, raster::CoverageMask::kBrush);
      mask.Paint(*target_, false, 0, true, bg, pmCopy);
    }
  }
  const uint32_t ink = static_cast<uint32_t>(ColorToRGB(font_.GetColor()));
  const int64_t ox = int64_t{x} + glyphs.Left, oy = int64_t{y} + glyphs.Top;
  const int64_t y0 = std::max<int64_t>(oy, 0);
  const int64_t y1 = std::min<int64_t>(oy + glyphs.Height, target_->GetHeight());
  const int64_t x0 = std::max<int64_t>(ox, 0);
  const int64_t x1 = std::min<int64_t>(ox + glyphs.Width, target_->GetWidth());
  for (int64_t py = y0; py < y1 && x0 < x1; ++py) {
    const uint8_t* cover = glyphs.Coverage.data() + static_cast<size_t>(py - oy) * glyphs.Width;
    BlendRow(target_->ScanLine(static_cast<int>(py)) + x0, cover + (x0 - ox),
             static_cast<int>(x1 - x0), ink);
  }
  if (glyphs.Coverage.capacity() > kKeptMaskBytes) glyphs.Coverage = {};
  MoveTo(static_cast<int>(std::clamp<int64_t>(int64_t{x} + width, INT32_MIN, INT32_MAX)), y);
}

int TCanvas::TextWidth(const std::string& text) { return MeasureText(font_, text); }

int TCanvas::TextHeight(const std::string& text) { return GetFontMetrics(font_).Height; }

TPoint TCanvas::TextExtent(const std::string& text) {
  return {MeasureText(font_, text), GetFontMetrics(font_).Height};
}

}  // namespace tkz
