// TSLine: a straight line segment in the plane and its clipping to a box.
//
// The segment runs from (X1, Y1) to (X2, Y2) as given to LineFrom2Points.
// ClipBox keeps the part of the segment inside a rectangle (Liang-Barsky):
// the segment is not extended beyond its end points, so a caller who wants
// an unbounded line passes end points far enough outside the box. The box is
// closed: a segment that only touches an edge or a corner counts as crossing
// it. Arithmetic is in extended precision; a clipped end that lies on an edge
// of the box gets that edge's coordinate exactly, and an end inside the box is
// returned unchanged. Units are those of the caller.
#pragma once

#include "core/numkit/numkit_export.h"
#include "core/platform/classes.h"
#include "core/types/tkzbase.h"

namespace tkz {

class TKZ_NUMKIT_EXPORT TSLine : public TObject {
 public:
  TSLine() = default;
  TSLine(double x1, double y1, double x2, double y2) { LineFrom2Points(x1, y1, x2, y2); }

  // Sets the segment from (x1, y1) to (x2, y2).
  void LineFrom2Points(double x1, double y1, double x2, double y2);

  double GetX1() const { return x1_; }
  double GetY1() const { return y1_; }
  double GetX2() const { return x2_; }
  double GetY2() const { return y2_; }
  // Euclidean length of the segment.
  double Length() const;

  // Clips the segment to Box (Left..Right in x, Bottom..Top in y; a box given
  // with Left > Right or Bottom > Top is taken with its bounds swapped).
  // Returns true when some part of the segment lies in the box, and gives its
  // ends: (cx1, cy1) the one nearer to (X1, Y1). Returns false, with all four
  // outputs 0, when the segment misses the box or a coordinate is NaN or
  // infinite.
  bool ClipBox(const TRectDouble& Box, double& cx1, double& cy1, double& cx2, double& cy2) const;

 private:
  double x1_ = 0, y1_ = 0, x2_ = 0, y2_ = 0;
};

}  // namespace tkz
