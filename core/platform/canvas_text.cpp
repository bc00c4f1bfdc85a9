// Text output on the canvas: the font service rasterises, the canvas fills the
// text cell with the brush and blends the glyph coverage in the font colour.
#include <cmath>

#include "core/platform/canvas_raster_internal.h"
#include "core/platform/fonts.h"
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

}  // namespace

void TCanvas::TextOut(int x, int y, const std::string& text) {
  if (text.empty()) return;
  const int width = MeasureText(font_, text);
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
  // Only the part of the text that can show on the bitmap is rasterised.
  const int64_t cl = -int64_t{x}, ct = -int64_t{y};
  const TRect clip{
      static_cast<int32_t>(std::clamp<int64_t>(cl, INT32_MIN, INT32_MAX)),
      static_cast<int32_t>(std::clamp<int64_t>(ct, INT32_MIN, INT32_MAX)),
      static_cast<int32_t>(std::clamp<int64_t>(cl + target_->GetWidth(), INT32_MIN, INT32_MAX)),
      static_cast<int32_t>(std::clamp<int64_t>(ct + target_->GetHeight(), INT32_MIN, INT32_MAX))};
  const TGlyphMask glyphs = clip.IsEmpty() ? TGlyphMask{} : RenderText(font_, text, clip);
  const uint32_t ink = static_cast<uint32_t>(ColorToRGB(font_.GetColor()));
  const int64_t ox = int64_t{x} + glyphs.Left, oy = int64_t{y} + glyphs.Top;
  const int64_t y0 = std::max<int64_t>(oy, 0);
  const int64_t y1 = std::min<int64_t>(oy + glyphs.Height, target_->GetHeight());
  const int64_t x0 = std::max<int64_t>(ox, 0);
  const int64_t x1 = std::min<int64_t>(ox + glyphs.Width, target_->GetWidth());
  for (int64_t py = y0; py < y1; ++py) {
    const uint8_t* cover = glyphs.Coverage.data() + static_cast<size_t>(py - oy) * glyphs.Width;
    uint32_t* row = target_->ScanLine(static_cast<int>(py));
    for (int64_t px = x0; px < x1; ++px) {
      const uint8_t cv = cover[px - ox];
      if (cv == 0) continue;
      row[px] = cv == 255 ? ink : Blend(row[px], ink, cv);
    }
  }
  MoveTo(static_cast<int>(std::clamp<int64_t>(int64_t{x} + width, INT32_MIN, INT32_MAX)), y);
}

int TCanvas::TextWidth(const std::string& text) { return MeasureText(font_, text); }

int TCanvas::TextHeight(const std::string& text) { return GetFontMetrics(font_).Height; }

TPoint TCanvas::TextExtent(const std::string& text) {
  return {MeasureText(font_, text), GetFontMetrics(font_).Height};
}

}  // namespace tkz
