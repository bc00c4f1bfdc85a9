// Rasterising helpers shared by the canvas's drawing files: the binary raster
// operations of the pen, and a coverage mask that collects the pixels of one
// primitive so that each is painted exactly once.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "core/platform/graphics.h"

namespace tkz::raster {

constexpr uint32_t kRgbMask = 0x00FFFFFFu;

// Applies a binary raster operation of the pen mode: P is the pen or brush
// colour, D the pixel.
inline uint32_t Rop2(TPenMode mode, uint32_t p, uint32_t d) {
  uint32_t r;
  switch (mode) {
    case pmBlack:
      r = 0;
      break;
    case pmWhite:
      r = kRgbMask;
      break;
    case pmNop:
      r = d;
      break;
    case pmNot:
      r = ~d;
      break;
    case pmCopy:
      r = p;
      break;
    case pmNotCopy:
      r = ~p;
      break;
    case pmMergePenNot:
      r = p | ~d;
      break;
    case pmMaskPenNot:
      r = p & ~d;
      break;
    case pmMergeNotPen:
      r = ~p | d;
      break;
    case pmMaskNotPen:
      r = ~p & d;
      break;
    case pmMerge:
      r = p | d;
      break;
    case pmNotMerge:
      r = ~(p | d);
      break;
    case pmMask:
      r = p & d;
      break;
    case pmNotMask:
      r = ~(p & d);
      break;
    case pmXor:
      r = p ^ d;
      break;
    case pmNotXor:
      r = ~(p ^ d);
      break;
    default:
      r = d;
      break;
  }
  return r & kRgbMask;
}

// Paints the pixels [x0, x1) of one row (already clipped) with a colour and mode.
inline void PaintSpan(uint32_t* row, int x0, int x1, uint32_t colour, TPenMode mode) {
  if (mode == pmCopy) {
    std::fill(row + x0, row + x1, colour);
    return;
  }
  for (int x = x0; x < x1; ++x) row[x] = Rop2(mode, colour, row[x]);
}

// The pixels of one primitive inside a clip box, each marked with the paint
// that it gets (0 = none, kBrush = interior, kGap = a gap of a styled outline,
// left alone, kPen = outline). Marking a pixel twice keeps the higher mark, so
// an outline wins over the interior it shares pixels with and overlapping
// pieces of one outline paint once.
class CoverageMask {
 public:
  static constexpr uint8_t kBrush = 1;
  static constexpr uint8_t kGap = 2;
  static constexpr uint8_t kPen = 3;

  // The mask covers the box clipped to (0, 0, clipW, clipH).
  CoverageMask(int64_t left, int64_t top, int64_t right, int64_t bottom, int clipW, int clipH) {
    left_ = static_cast<int>(std::clamp<int64_t>(left, 0, clipW));
    top_ = static_cast<int>(std::clamp<int64_t>(top, 0, clipH));
    right_ = static_cast<int>(std::clamp<int64_t>(right, left_, clipW));
    bottom_ = static_cast<int>(std::clamp<int64_t>(bottom, top_, clipH));
    cells_.assign(static_cast<size_t>(right_ - left_) * static_cast<size_t>(bottom_ - top_), 0);
  }
  bool Empty() const { return cells_.empty(); }
  int Left() const { return left_; }
  int Top() const { return top_; }
  int Right() const { return right_; }
  int Bottom() const { return bottom_; }

  void Mark(int64_t x, int64_t y, uint8_t v) {
    if (x < left_ || x >= right_ || y < top_ || y >= bottom_) return;
    uint8_t& c = cells_[Index(static_cast<int>(x), static_cast<int>(y))];
    c = std::max(c, v);
  }
  // Marks the pixels x0 <= x < x1 of row y.
  void MarkSpan(int64_t y, int64_t x0, int64_t x1, uint8_t v) {
    if (y < top_ || y >= bottom_) return;
    const int a = static_cast<int>(std::max<int64_t>(x0, left_));
    const int b = static_cast<int>(std::min<int64_t>(x1, right_));
    uint8_t* row = Row(static_cast<int>(y));
    for (int x = a; x < b; ++x) row[x - left_] = std::max(row[x - left_], v);
  }

  // Paints the marked pixels: brush cells with the brush colour (when
  // paintBrush), pen cells with the pen colour, both with the mode.
  void Paint(TBitmap& bmp, bool paintPen, uint32_t pen, bool paintBrush, uint32_t brush,
             TPenMode mode) const {
    for (int y = top_; y < bottom_; ++y) {
      const uint8_t* cells = Row(y);
      uint32_t* row = bmp.ScanLine(y);
      int x = left_;
      while (x < right_) {
        const uint8_t v = cells[x - left_];
        int e = x + 1;
        while (e < right_ && cells[e - left_] == v) ++e;
        if (v == kPen && paintPen) PaintSpan(row, x, e, pen, mode);
        if (v == kBrush && paintBrush) PaintSpan(row, x, e, brush, mode);
        x = e;
      }
    }
  }

 private:
  // The cells of row y, indexed by x - left_.
  uint8_t* Row(int y) { return cells_.data() + static_cast<size_t>(y - top_) * (right_ - left_); }
  const uint8_t* Row(int y) const {
    return cells_.data() + static_cast<size_t>(y - top_) * (right_ - left_);
  }
  size_t Index(int x, int y) const {
    return static_cast<size_t>(y - top_) * static_cast<size_t>(right_ - left_) +
           static_cast<size_t>(x - left_);
  }
  int left_, top_, right_, bottom_;
  std::vector<uint8_t> cells_;
};

// The dash pattern of a pen style: on/off run lengths (none for solid).
struct Dash {
  const std::vector<int>* runs;
  int period;  // 0 for solid
  bool Solid() const { return period == 0; }
  // Whether step k (from the start of the pattern) is drawn.
  bool On(int64_t k) const {
    if (period == 0) return true;
    int pos = static_cast<int>(k % period);
    size_t i = 0;
    while (pos >= (*runs)[i]) pos -= (*runs)[i++];
    return i % 2 == 0;
  }
};
Dash DashFor(TPenStyle style);

// Visits the pixels of the line from (x0, y0) towards (x1, y1), the end
// point excluded, in drawing order, skipping pixels outside (0, 0, w, h):
// visit(x, y, k) gets each pixel with its step number k from the start.
// Exact for any 32-bit coordinates; only the visible steps are walked.
template <typename Visit>
void WalkLine(int64_t x0, int64_t y0, int64_t x1, int64_t y1, int w, int h, Visit&& visit) {
  const int64_t dx = x1 - x0, dy = y1 - y0;
  const int64_t adx = dx < 0 ? -dx : dx, ady = dy < 0 ? -dy : dy;
  const int64_t n = std::max(adx, ady);  // pixels drawn: steps 0..n-1
  if (n == 0) return;
  const int64_t sx = dx < 0 ? -1 : 1, sy = dy < 0 ? -1 : 1;
  const bool xMajor = adx >= ady;
  const int64_t major0 = xMajor ? x0 : y0, smajor = xMajor ? sx : sy;
  const int64_t minor0 = xMajor ? y0 : x0, sminor = xMajor ? sy : sx;
  const int64_t amin = xMajor ? ady : adx;
  const int64_t limMajor = xMajor ? w : h, limMinor = xMajor ? h : w;
  // Steps whose major coordinate lies inside 0..limMajor-1.
  int64_t kLo, kHi;  // inclusive
  if (smajor > 0) {
    kLo = -major0;
    kHi = limMajor - 1 - major0;
  } else {
    kLo = major0 - (limMajor - 1);
    kHi = major0;
  }
  kLo = std::max<int64_t>(kLo, 0);
  kHi = std::min<int64_t>(kHi, n - 1);
  if (kLo > kHi) return;
  // minor offset at step k: floor((2 k amin + n) / (2 n)), kept incrementally.
  const __int128 num = static_cast<__int128>(2) * kLo * amin + n;
  int64_t off = static_cast<int64_t>(num / (2 * n));
  int64_t err = static_cast<int64_t>(num % (2 * n));  // remainder, 0 <= err < 2n
  for (int64_t k = kLo; k <= kHi; ++k) {
    const int64_t mj = major0 + smajor * k;
    const int64_t mn = minor0 + sminor * off;
    if (mn >= 0 && mn < limMinor) {
      if (xMajor)
        visit(static_cast<int>(mj), static_cast<int>(mn), k);
      else
        visit(static_cast<int>(mn), static_cast<int>(mj), k);
    }
    err += 2 * amin;
    while (err >= 2 * n) {
      err -= 2 * n;
      ++off;
    }
  }
}

// Marks a pen-wide line (width > 1) from (x0, y0) to (x1, y1) into the mask:
// a band of the pen's width along the segment with round ends.
void MarkWideLine(CoverageMask& mask, int64_t x0, int64_t y0, int64_t x1, int64_t y1, int width);

// Calls span(y, x0, x1) for the pixels x0 <= x < x1 of each row top <= y <
// bottom whose centres lie inside the polygon (even-odd rule; a point on a
// left or top edge is inside, on a right or bottom edge outside).
template <typename Span>
void PolygonSpans(const std::vector<TPoint>& pts, int64_t top, int64_t bottom, Span&& span) {
  const size_t n = pts.size();
  if (n < 3) return;
  int64_t ymin = pts[0].Y, ymax = pts[0].Y;
  for (const TPoint& p : pts) {
    ymin = std::min<int64_t>(ymin, p.Y);
    ymax = std::max<int64_t>(ymax, p.Y);
  }
  ymin = std::max(ymin, top);
  ymax = std::min(ymax, bottom - 1);
  std::vector<double> xs;
  for (int64_t y = ymin; y <= ymax; ++y) {
    xs.clear();
    for (size_t i = 0; i < n; ++i) {
      const TPoint& a = pts[i];
      const TPoint& b = pts[(i + 1) % n];
      if (a.Y == b.Y) continue;
      const int64_t lo = std::min(a.Y, b.Y), hi = std::max(a.Y, b.Y);
      if (y < lo || y >= hi) continue;  // half-open: each vertex counts once
      xs.push_back(a.X + static_cast<double>(y - a.Y) * (static_cast<double>(b.X) - a.X) /
                             (static_cast<double>(b.Y) - a.Y));
    }
    std::sort(xs.begin(), xs.end());
    for (size_t i = 0; i + 1 < xs.size(); i += 2) {
      const int64_t x0 = static_cast<int64_t>(std::ceil(xs[i]));
      const int64_t x1 = static_cast<int64_t>(std::ceil(xs[i + 1]));
      if (x0 < x1) span(y, x0, x1);
    }
  }
}

// Marks the pixels whose centres lie inside a polygon (even-odd rule).
void MarkPolygonInterior(CoverageMask& mask, const std::vector<TPoint>& pts, uint8_t v);

}  // namespace tkz::raster
