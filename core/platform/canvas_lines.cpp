// Lines: MoveTo, LineTo and Polyline with the pen's width, style and mode.
#include <cmath>

#include "core/platform/canvas_raster_internal.h"
#include "core/platform/graphics.h"

namespace tkz {

namespace raster {

Dash DashFor(TPenStyle style) {
  static const std::vector<int> kSolid;
  static const std::vector<int> kDash{18, 6};
  static const std::vector<int> kDot{3, 3};
  static const std::vector<int> kDashDot{9, 6, 3, 6};
  static const std::vector<int> kDashDotDot{9, 3, 3, 3, 3, 3};
  switch (style) {
    case psDash:
      return {&kDash, 24};
    case psDot:
      return {&kDot, 6};
    case psDashDot:
      return {&kDashDot, 24};
    case psDashDotDot:
      return {&kDashDotDot, 24};
    default:
      return {&kSolid, 0};
  }
}

void MarkWideLine(CoverageMask& mask, int64_t x0, int64_t y0, int64_t x1, int64_t y1, int width) {
  // Every pixel whose centre lies within width/2 of the segment: a band with
  // round ends.
  const double r = width / 2.0;
  const double ax = static_cast<double>(x0), ay = static_cast<double>(y0);
  const double bx = static_cast<double>(x1), by = static_cast<double>(y1);
  const double dx = bx - ax, dy = by - ay;
  const double len = std::hypot(dx, dy);
  const int64_t rows0 =
      std::max<int64_t>(static_cast<int64_t>(std::floor(std::min(ay, by) - r)), mask.Top());
  const int64_t rows1 =
      std::min<int64_t>(static_cast<int64_t>(std::ceil(std::max(ay, by) + r)), mask.Bottom() - 1);
  for (int64_t y = rows0; y <= rows1; ++y) {
    const double py = static_cast<double>(y);
    double lo = INFINITY, hi = -INFINITY;
    auto disc = [&](double cx, double cy) {
      const double h = r * r - (py - cy) * (py - cy);
      if (h < 0) return;
      const double s = std::sqrt(h);
      lo = std::min(lo, cx - s);
      hi = std::max(hi, cx + s);
    };
    disc(ax, ay);
    disc(bx, by);
    if (len > 0 && dy != 0) {
      // Points with 0 <= t <= len along the segment and |normal distance| <= r.
      // Along the row x varies; t(x) = ((x-ax)dx + (py-ay)dy)/len and
      // n(x) = ((x-ax)dy - (py-ay)dx)/len are linear in x.
      double tLo = -INFINITY, tHi = INFINITY;
      auto clamp = [&](double c0, double c1, double a, double b) {
        // a <= c0 + c1 * (x - ax) <= b
        if (c1 == 0) {
          if (c0 < a || c0 > b) tLo = INFINITY;
          return;
        }
        double u = (a - c0) / c1, v = (b - c0) / c1;
        if (u > v) std::swap(u, v);
        tLo = std::max(tLo, ax + u);
        tHi = std::min(tHi, ax + v);
      };
      clamp((py - ay) * dy / len, dx / len, 0, len);
      clamp(-(py - ay) * dx / len, dy / len, -r, r);
      if (tLo <= tHi) {
        lo = std::min(lo, tLo);
        hi = std::max(hi, tHi);
      }
    } else if (len > 0) {
      // Horizontal segment: the band covers the rows within r.
      if (std::fabs(py - ay) <= r) {
        lo = std::min(lo, std::min(ax, bx));
        hi = std::max(hi, std::max(ax, bx));
      }
    }
    if (lo > hi) continue;
    mask.MarkSpan(y, static_cast<int64_t>(std::ceil(lo - 1e-9)),
                  static_cast<int64_t>(std::floor(hi + 1e-9)) + 1, CoverageMask::kPen);
  }
}

}  // namespace raster

namespace {

// Draws one segment with the canvas's pen; the end point is not painted for
// one-pixel pens. Advances the dash phase by the segment's length in steps.
void DrawSegment(TBitmap& bmp, const TPen& pen, int& dashPhase, TPoint a, TPoint b) {
  const int64_t steps = std::max(std::llabs(static_cast<int64_t>(b.X) - a.X),
                                 std::llabs(static_cast<int64_t>(b.Y) - a.Y));
  if (pen.GetStyle() == psClear) return;
  const uint32_t colour = static_cast<uint32_t>(ColorToRGB(pen.GetColor()));
  const TPenMode mode = pen.GetMode();
  const raster::Dash dash = raster::DashFor(pen.GetStyle());
  if (pen.GetWidth() > 1 && dash.Solid()) {
    raster::CoverageMask mask(
        std::min(a.X, b.X) - int64_t{pen.GetWidth()}, std::min(a.Y, b.Y) - int64_t{pen.GetWidth()},
        std::max(a.X, b.X) + int64_t{pen.GetWidth()} + 1,
        std::max(a.Y, b.Y) + int64_t{pen.GetWidth()} + 1, bmp.GetWidth(), bmp.GetHeight());
    if (mask.Empty()) return;
    raster::MarkWideLine(mask, a.X, a.Y, b.X, b.Y, pen.GetWidth());
    mask.Paint(bmp, true, colour, false, 0, mode);
    return;
  }
  if (dash.Solid()) {
    raster::WalkLine(a.X, a.Y, b.X, b.Y, bmp.GetWidth(), bmp.GetHeight(),
                     [&](int x, int y, int64_t) {
                       uint32_t& px = bmp.ScanLine(y)[x];
                       px = raster::Rop2(mode, colour, px);
                     });
    return;
  }
  const int phase = dashPhase;
  raster::WalkLine(a.X, a.Y, b.X, b.Y, bmp.GetWidth(), bmp.GetHeight(),
                   [&](int x, int y, int64_t k) {
                     if (!dash.On(phase + k)) return;
                     uint32_t& px = bmp.ScanLine(y)[x];
                     px = raster::Rop2(mode, colour, px);
                   });
  dashPhase = static_cast<int>((phase + steps) % dash.period);
}

}  // namespace

void TCanvas::MoveTo(int x, int y) {
  pen_pos_ = {x, y};
  dash_phase_ = 0;
}

void TCanvas::LineTo(int x, int y) {
  DrawSegment(*target_, pen_, dash_phase_, pen_pos_, {x, y});
  pen_pos_ = {x, y};
}

void TCanvas::Polyline(const std::vector<TPoint>& points) {
  if (points.empty()) return;
  int phase = 0;
  for (size_t i = 1; i < points.size(); ++i)
    DrawSegment(*target_, pen_, phase, points[i - 1], points[i]);
}

}  // namespace tkz
