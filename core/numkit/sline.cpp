#include "core/numkit/sline.h"

#include <algorithm>
#include <cmath>

namespace tkz {

void TSLine::LineFrom2Points(double x1, double y1, double x2, double y2) {
  x1_ = x1;
  y1_ = y1;
  x2_ = x2;
  y2_ = y2;
}

double TSLine::Length() const { return std::hypot(x2_ - x1_, y2_ - y1_); }

bool TSLine::ClipBox(const TRectDouble& Box, double& cx1, double& cy1, double& cx2,
                     double& cy2) const {
  cx1 = cy1 = cx2 = cy2 = 0;
  for (double v : {x1_, y1_, x2_, y2_, Box.Left, Box.Right, Box.Top, Box.Bottom})
    if (!std::isfinite(v)) return false;
  using LD = long double;
  const LD xmin = std::min(Box.Left, Box.Right), xmax = std::max(Box.Left, Box.Right);
  const LD ymin = std::min(Box.Bottom, Box.Top), ymax = std::max(Box.Bottom, Box.Top);
  const LD dx = static_cast<LD>(x2_) - x1_;
  const LD dy = static_cast<LD>(y2_) - y1_;
  // Edges in the order left, right, bottom, top: the segment enters an edge's
  // inner half-plane where p * t <= q.
  const LD p[4] = {-dx, dx, -dy, dy};
  const LD q[4] = {x1_ - xmin, xmax - x1_, y1_ - ymin, ymax - y1_};
  LD t0 = 0, t1 = 1;
  int e0 = -1, e1 = -1;  // edge that set t0 / t1
  for (int k = 0; k < 4; ++k) {
    if (p[k] == 0) {
      if (q[k] < 0) return false;  // parallel to the edge and outside
      continue;
    }
    const LD r = q[k] / p[k];
    if (p[k] < 0) {
      if (r > t1) return false;
      if (r > t0) {
        t0 = r;
        e0 = k;
      }
    } else {
      if (r < t0) return false;
      if (r < t1) {
        t1 = r;
        e1 = k;
      }
    }
  }
  auto point = [&](LD t, int edge, double& ox, double& oy) {
    LD x = x1_ + t * dx, y = y1_ + t * dy;
    x = std::clamp(x, xmin, xmax);
    y = std::clamp(y, ymin, ymax);
    if (edge == 0) x = xmin;
    if (edge == 1) x = xmax;
    if (edge == 2) y = ymin;
    if (edge == 3) y = ymax;
    ox = static_cast<double>(x);
    oy = static_cast<double>(y);
  };
  if (e0 < 0) {
    cx1 = x1_;
    cy1 = y1_;
  } else {
    point(t0, e0, cx1, cy1);
  }
  if (e1 < 0) {
    cx2 = x2_;
    cy2 = y2_;
  } else {
    point(t1, e1, cx2, cy2);
  }
  return true;
}

}  // namespace tkz
