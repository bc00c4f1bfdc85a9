#include "core/numkit/sline.h"

#include <gtest/gtest.h>

#include <cmath>

#include "core/numkit/openarrays.h"

namespace tkz {
namespace {

const TRectDouble kBox{0, 100, 200, 0};  // Left, Top, Right, Bottom

struct Clip {
  bool hit;
  double x1, y1, x2, y2;
};
Clip DoClip(const TSLine& l, const TRectDouble& box = kBox) {
  Clip c{};
  c.hit = l.ClipBox(box, c.x1, c.y1, c.x2, c.y2);
  return c;
}

TEST(TSLine, ClipsASegmentCrossingTheBox) {
  const Clip c = DoClip(TSLine(-50, 50, 250, 50));
  ASSERT_TRUE(c.hit);
  EXPECT_EQ(c.x1, 0);
  EXPECT_EQ(c.y1, 50);
  EXPECT_EQ(c.x2, 200);
  EXPECT_EQ(c.y2, 50);
  // A diagonal entering through the bottom and leaving through the right edge.
  const Clip d = DoClip(TSLine(150, -50, 250, 50));
  ASSERT_TRUE(d.hit);
  EXPECT_EQ(d.x1, 200);  // the clipped end nearer to the first point
  EXPECT_EQ(d.y1, 0);
  EXPECT_EQ(d.x2, 200);
  EXPECT_EQ(d.y2, 0);
  const Clip e = DoClip(TSLine(100, -100, 300, 100));
  ASSERT_TRUE(e.hit);
  EXPECT_EQ(e.x1, 200);
  EXPECT_EQ(e.y1, 0);
  const Clip f = DoClip(TSLine(250, 90, 50, -10));  // reversed direction
  ASSERT_TRUE(f.hit);
  EXPECT_EQ(f.x1, 200);
  EXPECT_NEAR(f.y1, 65, 1e-12);
  EXPECT_NEAR(f.x2, 70, 1e-12);
  EXPECT_EQ(f.y2, 0);
}

TEST(TSLine, KeepsInnerEndsAndTreatsTheLineAsASegment) {
  const Clip c = DoClip(TSLine(10, 10, 20, 30));
  ASSERT_TRUE(c.hit);
  EXPECT_EQ(c.x1, 10);
  EXPECT_EQ(c.y2, 30);
  // On the infinite line through these points the box would be crossed.
  EXPECT_FALSE(DoClip(TSLine(300, 50, 400, 50)).hit);
  EXPECT_FALSE(DoClip(TSLine(-10, 150, 300, 150)).hit);
  EXPECT_FALSE(DoClip(TSLine(-100, 50, 50, 250)).hit);  // passes the corner outside
  // Touching a corner counts; a single point inside counts.
  EXPECT_TRUE(DoClip(TSLine(-100, 200, 100, 0)).hit);
  EXPECT_TRUE(DoClip(TSLine(5, 5, 5, 5)).hit);
  EXPECT_FALSE(DoClip(TSLine(-5, 5, -5, 5)).hit);
}

TEST(TSLine, AcceptsSwappedBoxBoundsAndRejectsNaN) {
  const TRectDouble swapped{200, 0, 0, 100};
  const Clip c = DoClip(TSLine(-50, 50, 250, 50), swapped);
  ASSERT_TRUE(c.hit);
  EXPECT_EQ(c.x1, 0);
  EXPECT_EQ(c.x2, 200);
  const Clip n = DoClip(TSLine(NAN, 0, 10, 10));
  EXPECT_FALSE(n.hit);
  EXPECT_EQ(n.x1, 0);
  EXPECT_FALSE(DoClip(TSLine(0, 0, 10, 10), TRectDouble{0, INFINITY, 10, 0}).hit);
  EXPECT_TRUE(DoClip(TSLine(-1e308, 50, 1e308, 50)).hit);  // no overflow in the difference
  EXPECT_DOUBLE_EQ(TSLine(0, 0, 3, 4).Length(), 5.0);
}

TEST(OpenArraysSortArray, SortsAndReportsFormerPositions) {
  TDoubleArray e = {6.4, 1.7, 8.0, 1.7, 0.5};
  TIntArray ix;
  ASSERT_TRUE(SortArray(true, e, ix));
  EXPECT_EQ(e, (TDoubleArray{0.5, 1.7, 1.7, 6.4, 8.0}));
  EXPECT_EQ(ix, (TIntArray{5, 2, 4, 1, 3}));  // stable for the equal pair
  TIntArray z = {25, 26, 27, 28, 29};
  ASSERT_TRUE(ReorderByIndex(z, ix));
  EXPECT_EQ(z, (TIntArray{29, 26, 28, 25, 27}));
  TDoubleArray d = {1, NAN, 3, 2};
  ASSERT_TRUE(SortArray(false, d, ix));
  EXPECT_EQ(d[0], 3);
  EXPECT_EQ(d[2], 1);
  EXPECT_TRUE(std::isnan(d[3]));
  EXPECT_EQ(ix, (TIntArray{3, 4, 1, 2}));
  TDoubleArray none;
  ASSERT_TRUE(SortArray(true, none, ix));
  EXPECT_TRUE(ix.empty());
}

TEST(OpenArraysSortArray, ReorderRejectsAnIndexThatIsNotAPermutation) {
  TDoubleArray d = {1, 2, 3};
  EXPECT_FALSE(ReorderByIndex(d, TIntArray{1, 1, 3}));
  EXPECT_FALSE(ReorderByIndex(d, TIntArray{1, 2}));
  EXPECT_FALSE(ReorderByIndex(d, TIntArray{0, 1, 2}));
  EXPECT_FALSE(ReorderByIndex(d, TIntArray{1, 2, 4}));
  EXPECT_EQ(d, (TDoubleArray{1, 2, 3}));
}

}  // namespace
}  // namespace tkz
