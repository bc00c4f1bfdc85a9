// Filled and outlined shapes: Rectangle, FillRect, FrameRect, Ellipse, Polygon.
//
// Outlines of pens wider than one pixel lie inside the bounding box, so a
// shape never paints outside (x1, y1, x2, y2). Shapes apply the pen mode to
// both the outline and the interior; FillRect and FrameRect always copy.
#include <cmath>

#include "core/platform/canvas_raster_internal.h"
#include "core/platform/graphics.h"

namespace tkz {

namespace raster {

void MarkPolygonInterior(CoverageMask& mask, const std::vector<TPoint>& pts, uint8_t v) {
  if (mask.Empty()) return;
  PolygonSpans(pts, mask.Top(), mask.Bottom(),
               [&](int64_t y, int64_t x0, int64_t x1) { mask.MarkSpan(y, x0, x1, v); });
}

}  // namespace raster

namespace {

using raster::CoverageMask;

void Normalise(int& x1, int& y1, int& x2, int& y2) {
  if (x2 < x1) std::swap(x1, x2);
  if (y2 < y1) std::swap(y1, y2);
}

// The pixels x of row y inside the ellipse inscribed in the box [x1, x2) x
// [y1, y2): those whose centre satisfies (X/RX)^2 + (Y/RY)^2 <= 1 with X, Y
// measured from the box centre in half pixels. Returns [xa, xb), empty when
// xa >= xb.
struct Span {
  int64_t a = 0, b = 0;
  bool Empty() const { return a >= b; }
};

// The row's span in integer type I, which must hold rx^2 * ry^2 * 4.
template <class I, class F>
Span EllipseRowIn(int64_t x1, int64_t y1, int64_t x2, int64_t y2, int64_t y) {
  const int64_t rx = x2 - x1, ry = y2 - y1;
  const I Y2 = 2 * y - (y1 + y2 - 1);
  const I RX2 = static_cast<I>(rx) * rx, RY2 = static_cast<I>(ry) * ry;
  const I rest = RX2 * RY2 - Y2 * Y2 * RX2;  // X2^2 * RY^2 must not exceed this
  if (rest < 0) return {};
  // Largest X2 >= 0 with the parity of (x1 + x2 - 1) and X2^2 RY^2 <= rest.
  const int64_t parity = (x1 + x2 - 1) & 1;
  int64_t m = static_cast<int64_t>(std::sqrt(static_cast<F>(rest) / static_cast<F>(RY2)));
  while (m > 0 && static_cast<I>(m) * m * RY2 > rest) --m;
  while (static_cast<I>(m + 1) * (m + 1) * RY2 <= rest) ++m;
  if ((m & 1) != parity) --m;
  if (m < 0) return {};
  // X2 = 2x - (x1 + x2 - 1) in [-m, m].
  const int64_t c = x1 + x2 - 1;
  return {(c - m) / 2, (c + m) / 2 + 1};
}

Span EllipseRow(int64_t x1, int64_t y1, int64_t x2, int64_t y2, int64_t y) {
  const int64_t rx = x2 - x1, ry = y2 - y1;
  if (rx <= 0 || ry <= 0 || y < y1 || y >= y2) return {};
  // Ellipses of up to 2^14 pixels each way (all that bitmaps hold, nearly)
  // fit 64-bit products; larger ones need 128 bits.
  constexpr int64_t kSmall = int64_t{1} << 14;
  if (rx < kSmall && ry < kSmall) return EllipseRowIn<int64_t, double>(x1, y1, x2, y2, y);
  return EllipseRowIn<__int128, long double>(x1, y1, x2, y2, y);
}

Span Intersect(Span s, Span t) { return {std::max(s.a, t.a), std::min(s.b, t.b)}; }

// Applies a dash pattern to an ordered list of outline pixels: gap pixels are
// marked so that the interior does not cover them.
void MarkStyledOutline(CoverageMask& mask, const std::vector<TPoint>& ordered,
                       const raster::Dash& dash) {
  for (size_t k = 0; k < ordered.size(); ++k)
    mask.Mark(ordered[k].X, ordered[k].Y,
              dash.On(static_cast<int64_t>(k)) ? CoverageMask::kPen : CoverageMask::kGap);
}

}  // namespace

void TCanvas::FillRect(const TRect& r) {
  if (brush_.GetStyle() == bsClear) return;
  const int x1 = std::max(std::min(r.Left, r.Right), 0);
  const int x2 = std::min(std::max(r.Left, r.Right), target_->GetWidth());
  const int y1 = std::max(std::min(r.Top, r.Bottom), 0);
  const int y2 = std::min(std::max(r.Top, r.Bottom), target_->GetHeight());
  const uint32_t c = static_cast<uint32_t>(ColorToRGB(brush_.GetColor()));
  for (int y = y1; y < y2; ++y)
    raster::PaintSpan(target_->ScanLine(y), x1, std::max(x1, x2), c, pmCopy);
}

void TCanvas::FrameRect(const TRect& r) {
  int x1 = r.Left, y1 = r.Top, x2 = r.Right, y2 = r.Bottom;
  Normalise(x1, y1, x2, y2);
  if (x1 == x2 || y1 == y2) return;
  CoverageMask mask(x1, y1, x2, y2, target_->GetWidth(), target_->GetHeight());
  mask.MarkSpan(y1, x1, x2, CoverageMask::kPen);
  mask.MarkSpan(y2 - 1, x1, x2, CoverageMask::kPen);
  for (int64_t y = std::max(y1, mask.Top()); y < std::min(y2, mask.Bottom()); ++y) {
    mask.Mark(x1, y, CoverageMask::kPen);
    mask.Mark(x2 - 1, y, CoverageMask::kPen);
  }
  mask.Paint(*target_, true, static_cast<uint32_t>(ColorToRGB(brush_.GetColor())), false, 0,
             pmCopy);
}

void TCanvas::Rectangle(int x1, int y1, int x2, int y2) {
  Normalise(x1, y1, x2, y2);
  if (x1 == x2 || y1 == y2) return;
  const bool pen = pen_.GetStyle() != psClear;
  const bool brush = brush_.GetStyle() != bsClear;
  if (!pen && !brush) return;
  const uint32_t penColour = static_cast<uint32_t>(ColorToRGB(pen_.GetColor()));
  const uint32_t brushColour = static_cast<uint32_t>(ColorToRGB(brush_.GetColor()));
  const TPenMode mode = pen_.GetMode();
  const raster::Dash dash = raster::DashFor(pen_.GetStyle());
  const int64_t w = pen ? std::max(1, dash.Solid() ? pen_.GetWidth() : 1) : 0;
  const int W = target_->GetWidth(), H = target_->GetHeight();

  if (!dash.Solid()) {
    // A styled one-pixel outline, walked clockwise from the top-left corner.
    CoverageMask mask(x1, y1, x2, y2, W, H);
    if (mask.Empty()) return;
    const int64_t L = mask.Left(), R = mask.Right(), T = mask.Top(), B = mask.Bottom();
    if (brush) {
      for (int64_t y = std::max<int64_t>(y1 + 1, T); y < std::min<int64_t>(y2 - 1, B); ++y)
        mask.MarkSpan(y, x1 + 1, x2 - 1, CoverageMask::kBrush);
    }
    // Step k of the ring clockwise from the top-left corner; only the
    // visible pixels are walked, each with its place in the pattern.
    const int64_t w = int64_t{x2} - x1, h = int64_t{y2} - y1;
    auto mark = [&](int64_t x, int64_t y, int64_t k) {
      mask.Mark(x, y, dash.On(k) ? CoverageMask::kPen : CoverageMask::kGap);
    };
    if (y1 >= T && y1 < B)
      for (int64_t x = std::max<int64_t>(x1, L); x < std::min<int64_t>(x2, R); ++x)
        mark(x, y1, x - x1);
    if (x2 - 1 >= L && x2 - 1 < R)
      for (int64_t y = std::max<int64_t>(y1 + 1, T); y < std::min<int64_t>(y2, B); ++y)
        mark(x2 - 1, y, w + y - y1 - 1);
    if (h > 1 && y2 - 1 >= T && y2 - 1 < B)
      for (int64_t x = std::max<int64_t>(x1, L); x < std::min<int64_t>(x2 - 1, R); ++x)
        mark(x, y2 - 1, w + h - 1 + (x2 - 2 - x));
    if (w > 1 && x1 >= L && x1 < R)
      for (int64_t y = std::max<int64_t>(y1 + 1, T); y < std::min<int64_t>(y2 - 1, B); ++y)
        mark(x1, y, 2 * w + h - 2 + (y2 - 2 - y));
    mask.Paint(*target_, true, penColour, brush, brushColour, mode);
    return;
  }

  // Solid or no outline: spans painted straight into the rows.
  const int64_t cy1 = std::max<int64_t>(y1, 0), cy2 = std::min<int64_t>(y2, H);
  auto paint = [&](uint32_t* row, int64_t a, int64_t b, uint32_t colour) {
    a = std::max<int64_t>(a, 0);
    b = std::min<int64_t>(b, W);
    if (a < b) raster::PaintSpan(row, static_cast<int>(a), static_cast<int>(b), colour, mode);
  };
  for (int64_t y = cy1; y < cy2; ++y) {
    uint32_t* row = target_->ScanLine(static_cast<int>(y));
    const bool band = y < y1 + w || y >= y2 - w;
    if (band) {
      if (pen) paint(row, x1, x2, penColour);
      continue;
    }
    if (pen) {
      paint(row, x1, std::min<int64_t>(x1 + w, x2), penColour);
      paint(row, std::max<int64_t>(x2 - w, x1 + w), x2, penColour);
    }
    if (brush) paint(row, x1 + w, x2 - w, brushColour);
  }
}

void TCanvas::Ellipse(int x1, int y1, int x2, int y2) {
  Normalise(x1, y1, x2, y2);
  if (x1 == x2 || y1 == y2) return;
  // Boxes beyond this range are clamped; the arithmetic below stays exact.
  constexpr int64_t kLim = int64_t{1} << 29;
  const int64_t bx1 = std::clamp<int64_t>(x1, -kLim, kLim),
                bx2 = std::clamp<int64_t>(x2, -kLim, kLim);
  const int64_t by1 = std::clamp<int64_t>(y1, -kLim, kLim),
                by2 = std::clamp<int64_t>(y2, -kLim, kLim);
  const bool pen = pen_.GetStyle() != psClear;
  const bool brush = brush_.GetStyle() != bsClear;
  if (!pen && !brush) return;
  const raster::Dash dash = raster::DashFor(pen_.GetStyle());
  const int64_t w = pen ? std::max(1, dash.Solid() ? pen_.GetWidth() : 1) : 0;
  CoverageMask mask(bx1, by1, bx2, by2, target_->GetWidth(), target_->GetHeight());
  if (mask.Empty()) return;

  // The interior is the core of the ellipse inset by w - 1: the pixels of
  // the inset ellipse whose four neighbours all belong to it. Without a pen
  // the interior is the whole ellipse.
  const int64_t ix1 = bx1 + std::max<int64_t>(w - 1, 0), iy1 = by1 + std::max<int64_t>(w - 1, 0);
  const int64_t ix2 = bx2 - std::max<int64_t>(w - 1, 0), iy2 = by2 - std::max<int64_t>(w - 1, 0);
  auto core = [&](int64_t y) -> Span {
    if (!pen) return EllipseRow(bx1, by1, bx2, by2, y);
    Span s = EllipseRow(ix1, iy1, ix2, iy2, y);
    if (s.Empty()) return s;
    s = {s.a + 1, s.b - 1};
    s = Intersect(s, EllipseRow(ix1, iy1, ix2, iy2, y - 1));
    return Intersect(s, EllipseRow(ix1, iy1, ix2, iy2, y + 1));
  };

  std::vector<TPoint> outline;  // only collected for styled pens
  for (int64_t y = mask.Top(); y < mask.Bottom(); ++y) {
    const Span all = EllipseRow(bx1, by1, bx2, by2, y);
    if (all.Empty()) continue;
    const Span in = core(y);
    if (in.Empty()) {
      if (pen) mask.MarkSpan(y, all.a, all.b, CoverageMask::kPen);
    } else {
      if (brush) mask.MarkSpan(y, in.a, in.b, CoverageMask::kBrush);
      if (pen) {
        mask.MarkSpan(y, all.a, in.a, CoverageMask::kPen);
        mask.MarkSpan(y, in.b, all.b, CoverageMask::kPen);
      }
    }
    if (!dash.Solid()) {
      // Only the visible outline pixels take part in the pattern.
      const int64_t a1 = in.Empty() ? all.b : in.a, b0 = in.Empty() ? all.b : in.b;
      const int64_t lo = mask.Left(), hi = mask.Right();
      for (int64_t x = std::max(all.a, lo); x < std::min(a1, hi); ++x)
        outline.push_back({static_cast<int32_t>(x), static_cast<int32_t>(y)});
      for (int64_t x = std::max(b0, lo); x < std::min(all.b, hi); ++x)
        outline.push_back({static_cast<int32_t>(x), static_cast<int32_t>(y)});
    }
  }
  if (!dash.Solid()) {
    // Order the outline around the centre, clockwise from the left.
    const double cx = (bx1 + bx2 - 1) / 2.0, cy = (by1 + by2 - 1) / 2.0;
    std::stable_sort(outline.begin(), outline.end(), [&](const TPoint& p, const TPoint& q) {
      return std::atan2(cy - p.Y, p.X - cx) > std::atan2(cy - q.Y, q.X - cx);
    });
    MarkStyledOutline(mask, outline, dash);
  }
  mask.Paint(*target_, pen, static_cast<uint32_t>(ColorToRGB(pen_.GetColor())), brush,
             static_cast<uint32_t>(ColorToRGB(brush_.GetColor())), pen_.GetMode());
}

void TCanvas::Polygon(const std::vector<TPoint>& points) {
  if (points.empty()) return;
  const bool pen = pen_.GetStyle() != psClear;
  const bool brush = brush_.GetStyle() != bsClear;
  int64_t l = points[0].X, t = points[0].Y, r = l, b = t;
  for (const TPoint& p : points) {
    l = std::min<int64_t>(l, p.X);
    r = std::max<int64_t>(r, p.X);
    t = std::min<int64_t>(t, p.Y);
    b = std::max<int64_t>(b, p.Y);
  }
  const int pw = std::max(1, pen_.GetWidth());
  const int W = target_->GetWidth(), H = target_->GetHeight();
  if (pen_.GetMode() == pmCopy && (!pen || (pw == 1 && pen_.GetStyle() == psSolid))) {
    // Plain copying paints each pixel's final colour whatever the order: the
    // interior straight into the rows, then the outline over it.
    if (brush) {
      const uint32_t bc = static_cast<uint32_t>(ColorToRGB(brush_.GetColor()));
      raster::PolygonSpans(points, 0, H, [&](int64_t y, int64_t x0, int64_t x1) {
        x0 = std::max<int64_t>(x0, 0);
        x1 = std::min<int64_t>(x1, W);
        if (x0 < x1)
          raster::PaintSpan(target_->ScanLine(static_cast<int>(y)), static_cast<int>(x0),
                            static_cast<int>(x1), bc, pmCopy);
      });
    }
    if (pen) {
      const uint32_t pc = static_cast<uint32_t>(ColorToRGB(pen_.GetColor()));
      for (size_t i = 0; i < points.size(); ++i) {
        const TPoint& a = points[i];
        const TPoint& c = points[(i + 1) % points.size()];
        raster::WalkLine(a.X, a.Y, c.X, c.Y, W, H,
                         [&](int x, int y, int64_t) { target_->ScanLine(y)[x] = pc; });
      }
      if (l == r && t == b) SetPixel(points[0].X, points[0].Y, pen_.GetColor());
    }
    return;
  }
  CoverageMask mask(l - pw, t - pw, r + pw + 1, b + pw + 1, W, H);
  if (mask.Empty()) return;
  if (brush) raster::MarkPolygonInterior(mask, points, CoverageMask::kBrush);
  if (pen) {
    const raster::Dash dash = raster::DashFor(pen_.GetStyle());
    const size_t n = points.size();
    if (pw > 1 && dash.Solid()) {
      for (size_t i = 0; i < n; ++i) {
        const TPoint& a = points[i];
        const TPoint& c = points[(i + 1) % n];
        raster::MarkWideLine(mask, a.X, a.Y, c.X, c.Y, pw);
      }
    } else {
      int64_t phase = 0;
      for (size_t i = 0; i < n; ++i) {
        const TPoint& a = points[i];
        const TPoint& c = points[(i + 1) % n];
        const int64_t steps =
            std::max(std::llabs(int64_t{c.X} - a.X), std::llabs(int64_t{c.Y} - a.Y));
        raster::WalkLine(a.X, a.Y, c.X, c.Y, W, H, [&](int x, int y, int64_t k) {
          mask.Mark(x, y, dash.On(phase + k) ? CoverageMask::kPen : CoverageMask::kGap);
        });
        if (!dash.Solid()) phase = (phase + steps) % dash.period;
      }
      // A single point, or all points equal: the one pixel is the outline.
      if (n == 1 || (l == r && t == b)) mask.Mark(points[0].X, points[0].Y, CoverageMask::kPen);
    }
  }
  mask.Paint(*target_, pen, static_cast<uint32_t>(ColorToRGB(pen_.GetColor())), brush,
             static_cast<uint32_t>(ColorToRGB(brush_.GetColor())), pen_.GetMode());
}

}  // namespace tkz
