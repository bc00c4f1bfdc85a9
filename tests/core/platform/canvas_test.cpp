#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "core/platform/graphics.h"
#include "support/picture.h"

namespace tkz {
namespace {

using testing_support::Picture;
using testing_support::Rows;

void FillNoise(TBitmap& b, unsigned seed) {
  std::mt19937 rng(seed);
  for (int y = 0; y < b.GetHeight(); ++y)
    for (int x = 0; x < b.GetWidth(); ++x) b.ScanLine(y)[x] = rng() & 0xFFFFFFu;
}

std::vector<uint32_t> Pixels(const TBitmap& b) {
  return std::vector<uint32_t>(b.Bits(), b.Bits() + size_t(b.GetWidth()) * b.GetHeight());
}

TEST(Bitmap, StartsEmptyAndClearsToWhite) {
  TBitmap b;
  EXPECT_TRUE(b.Empty());
  b.SetSize(3, 2);
  EXPECT_EQ(Picture(b), Rows({"...", "..."}));
  b.GetCanvas()->SetPixel(1, 1, clBlack);
  b.SetSize(3, 2);  // same size: content cleared again
  EXPECT_EQ(Picture(b), Rows({"...", "..."}));
  b.SetSize(-4, 5);
  EXPECT_EQ(b.GetWidth(), 0);
}

TEST(Bitmap, RefusesSizesBeyondTheLimitsBeforeAllocating) {
  TBitmap b(2, 2);
  EXPECT_THROW(b.SetSize(TBitmap::kMaxSide + 1, 1), EInvalidGraphic);
  EXPECT_THROW(b.SetSize(30000, 30000), EInvalidGraphic);
  EXPECT_EQ(b.GetWidth(), 2);  // unchanged after the refusal
  EXPECT_TRUE(TBitmap::SizeAllowed(TBitmap::kMaxSide, 1));
}

TEST(Canvas, PixelsOutsideAreIgnoredAndReadAsNone) {
  TBitmap b(2, 2);
  TCanvas* c = b.GetCanvas();
  c->SetPixel(-1, 0, clBlack);
  c->SetPixel(2, 0, clBlack);
  EXPECT_EQ(c->GetPixel(5, 5), clNone);
  EXPECT_EQ(Picture(b), Rows({"..", ".."}));
  c->SetPixel(1, 0, clBtnFace);  // system colours resolve to RGB
  EXPECT_EQ(c->GetPixel(1, 0), ColorToRGB(clBtnFace));
  EXPECT_EQ(ColorToRGB(clBtnFace) & 0xFF000000, 0);
}

TEST(CanvasLines, EndPointIsNotPainted) {
  TBitmap b(6, 5);
  TCanvas* c = b.GetCanvas();
  c->MoveTo(0, 0);
  c->LineTo(4, 0);  // horizontal
  c->MoveTo(5, 0);
  c->LineTo(5, 3);  // vertical
  c->MoveTo(0, 1);
  c->LineTo(3, 4);  // diagonal
  EXPECT_EQ(Picture(b), Rows({"####.#", "#....#", ".#...#", "..#...", "......"}));
  EXPECT_EQ(c->GetPenPos(), (TPoint{3, 4}));
}

TEST(CanvasLines, ShallowAndReversedLines) {
  TBitmap b(7, 3);
  TCanvas* c = b.GetCanvas();
  c->MoveTo(0, 0);
  c->LineTo(6, 2);
  EXPECT_EQ(Picture(b), Rows({"##.....", "..###..", ".....#."}));
  b.Fill(clWhite);
  c->MoveTo(6, 2);
  c->LineTo(0, 0);  // from the other end: (6, 2) painted, (0, 0) not
  EXPECT_EQ(b.ScanLine(2)[6], 0u);
  EXPECT_EQ(b.ScanLine(0)[0], 0xFFFFFFu);
}

TEST(CanvasLines, LongLinesAreClippedExactly) {
  // A line far beyond the bitmap paints exactly the pixels the same line
  // paints on a bitmap big enough to hold it.
  TBitmap big(400, 400), small(40, 40);
  big.GetCanvas()->MoveTo(-300 + 180, -170 + 180);
  big.GetCanvas()->LineTo(210 + 180, 197 + 180);
  small.GetCanvas()->MoveTo(-300, -170);
  small.GetCanvas()->LineTo(210, 197);
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 40; ++x)
      EXPECT_EQ(small.ScanLine(y)[x], big.ScanLine(y + 180)[x + 180]) << x << "," << y;
  // Huge coordinates neither hang nor touch memory outside.
  small.GetCanvas()->MoveTo(-2000000000, 5);
  small.GetCanvas()->LineTo(2000000000, 5);
  for (int x = 0; x < 40; ++x) EXPECT_EQ(small.ScanLine(5)[x], 0u);
}

TEST(CanvasShapes, HugeStyledShapesWalkOnlyTheirVisiblePixels) {
  // A dotted rectangle and ellipse billions of pixels wide: the visible top
  // edge follows the pattern from the corner, nothing hangs or runs out of memory.
  TBitmap b(20, 4);
  TCanvas* c = b.GetCanvas();
  c->GetPen()->SetStyle(psDot);
  c->GetBrush()->SetStyle(bsClear);
  c->Rectangle(-6, 1, 2000000000, 2000000000);
  EXPECT_EQ(Picture(b).substr(21, 20), "###...###...###...##");
  c->Ellipse(-2000000000, -2000000000, 2000000000, 2000000000);
  c->Ellipse(-2000000000, 3, 2000000000, 2000000000);  // its flat top crosses the bitmap
  EXPECT_NE(Picture(b).substr(63, 20), std::string(20, '.'));
  c->GetBrush()->SetStyle(bsSolid);
  c->Rectangle(-2000000000, -2000000000, 2000000000, 2000000000);
  EXPECT_EQ(c->GetPixel(10, 2), clWhite);  // the inside of a huge rectangle
  c->Polygon({{INT32_MIN, INT32_MIN}, {INT32_MAX, 0}, {0, INT32_MAX}});
  EXPECT_EQ(c->GetPixel(10, 2), clWhite);  // filled with the white brush
}

TEST(CanvasLines, PenStylesFollowTheirPatterns) {
  TBitmap b(20, 3);
  TCanvas* c = b.GetCanvas();
  c->GetPen()->SetStyle(psDot);
  c->MoveTo(0, 0);
  c->LineTo(20, 0);
  EXPECT_EQ(Picture(b).substr(0, 20), "###...###...###...##");
  c->GetPen()->SetStyle(psClear);
  c->MoveTo(0, 2);
  c->LineTo(20, 2);
  EXPECT_EQ(Picture(b).substr(42, 20), std::string(20, '.'));
  // The pattern runs on across joined segments.
  b.Fill(clWhite);
  c->GetPen()->SetStyle(psDot);
  c->MoveTo(0, 1);
  c->LineTo(4, 1);
  c->LineTo(10, 1);
  EXPECT_EQ(Picture(b).substr(21, 10), "###...###.");
}

TEST(CanvasLines, WidePenCoversABandWithRoundEnds) {
  TBitmap b(9, 7);
  TCanvas* c = b.GetCanvas();
  c->GetPen()->SetWidth(3);
  c->MoveTo(2, 3);
  c->LineTo(6, 3);
  EXPECT_EQ(Picture(b), Rows({".........", ".........", ".#######.", ".#######.", ".#######.",
                              ".........", "........."}));
}

TEST(CanvasShapes, RectangleHasExclusiveRightAndBottomEdges) {
  TBitmap b(7, 6);
  TCanvas* c = b.GetCanvas();
  c->GetBrush()->SetColor(clRed);
  c->Rectangle(1, 1, 6, 5);
  EXPECT_EQ(Picture(b), Rows({".......", ".#####.", ".#???#.", ".#???#.", ".#####.", "......."}));
  EXPECT_EQ(c->GetPixel(2, 2), clRed);
  // Reversed corners give the same rectangle.
  TBitmap b2(7, 6);
  b2.GetCanvas()->GetBrush()->SetColor(clRed);
  b2.GetCanvas()->Rectangle(6, 5, 1, 1);
  EXPECT_EQ(Pixels(b2), Pixels(b));
}

TEST(CanvasShapes, ClearBrushLeavesTheInterior) {
  TBitmap b(6, 6);
  FillNoise(b, 7);
  const std::vector<uint32_t> before = Pixels(b);
  TCanvas* c = b.GetCanvas();
  c->GetBrush()->SetStyle(bsClear);
  c->Rectangle(0, 0, 6, 6);
  for (int y = 1; y < 5; ++y)
    for (int x = 1; x < 5; ++x) EXPECT_EQ(b.ScanLine(y)[x], before[y * 6 + x]);
  for (int i = 0; i < 6; ++i) EXPECT_EQ(b.ScanLine(0)[i], 0u);
  c->Ellipse(0, 0, 6, 6);
  EXPECT_EQ(b.ScanLine(3)[3], before[3 * 6 + 3]);
}

TEST(CanvasShapes, WidePenRectangleStaysInsideItsBox) {
  TBitmap b(8, 8);
  TCanvas* c = b.GetCanvas();
  c->GetPen()->SetWidth(2);
  c->GetBrush()->SetStyle(bsClear);
  c->Rectangle(1, 1, 7, 7);
  EXPECT_EQ(Picture(b), Rows({"........", ".######.", ".######.", ".##..##.", ".##..##.",
                              ".######.", ".######.", "........"}));
}

TEST(CanvasShapes, SmallEllipsesAreRoundAndSymmetric) {
  TBitmap b(5, 5);
  TCanvas* c = b.GetCanvas();
  c->GetBrush()->SetStyle(bsClear);
  c->Ellipse(0, 0, 5, 5);
  EXPECT_EQ(Picture(b), Rows({".###.", "#...#", "#...#", "#...#", ".###."}));
  TBitmap d(7, 7);
  d.GetCanvas()->GetBrush()->SetColor(clBlack);
  d.GetCanvas()->Ellipse(0, 0, 7, 7);
  EXPECT_EQ(Picture(d),
            Rows({"..###..", ".#####.", "#######", "#######", "#######", ".#####.", "..###.."}));
  TBitmap e(4, 4);
  e.GetCanvas()->GetBrush()->SetStyle(bsClear);
  e.GetCanvas()->Ellipse(0, 0, 4, 4);
  EXPECT_EQ(Picture(e), Rows({".##.", "#..#", "#..#", ".##."}));
}

TEST(CanvasShapes, EllipseOutlineAndInteriorDoNotOverlap) {
  TBitmap b(40, 30);
  TCanvas* c = b.GetCanvas();
  c->GetPen()->SetColor(clRed);
  c->GetBrush()->SetColor(clBlue);
  c->Ellipse(3, 2, 37, 27);
  int red = 0, blue = 0;
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 40; ++x) {
      const TColor p = c->GetPixel(x, y);
      red += p == clRed;
      blue += p == clBlue;
      EXPECT_EQ(p, c->GetPixel(39 - x, y)) << "left-right symmetry at " << x << "," << y;
      if (y <= 28) {
        EXPECT_EQ(p, c->GetPixel(x, 28 - y)) << "top-bottom symmetry at " << x << "," << y;
      }
    }
  EXPECT_GT(red, 80);
  EXPECT_GT(blue, 500);
  // Nothing outside the box.
  for (int x = 0; x < 40; ++x) EXPECT_EQ(c->GetPixel(x, 1), clWhite);
}

TEST(CanvasShapes, PolygonFillsPixelCentresAndOutlinesEveryVertex) {
  TBitmap b(7, 7);
  TCanvas* c = b.GetCanvas();
  c->GetBrush()->SetColor(clBlack);
  c->Polygon({{3, 0}, {6, 3}, {3, 6}, {0, 3}});  // a diamond
  EXPECT_EQ(Picture(b),
            Rows({"...#...", "..###..", ".#####.", "#######", ".#####.", "..###..", "...#..."}));
  b.Fill(clWhite);
  c->GetBrush()->SetStyle(bsClear);
  c->Polygon({{0, 0}, {4, 0}, {0, 4}});
  EXPECT_EQ(Picture(b),
            Rows({"#####..", "#..#...", "#.#....", "##.....", "#......", ".......", "......."}));
}

TEST(CanvasShapes, XorDrawnTwiceRestoresThePicture) {
  TBitmap b(50, 40);
  FillNoise(b, 42);
  const std::vector<uint32_t> before = Pixels(b);
  TCanvas* c = b.GetCanvas();
  c->GetPen()->SetMode(pmXor);
  c->GetPen()->SetColor(clWhite);
  c->GetBrush()->SetColor(0x123456);
  auto draw = [&](int width, TPenStyle style) {
    c->GetPen()->SetWidth(width);
    c->GetPen()->SetStyle(style);
    c->MoveTo(-5, 3);
    c->LineTo(60, 37);
    c->LineTo(10, 2);
    c->Polyline({{1, 1}, {30, 5}, {30, 30}, {1, 1}});
    c->Rectangle(5, 5, 45, 30);
    c->Ellipse(2, 3, 47, 38);
    c->Polygon({{25, 0}, {49, 20}, {25, 39}, {0, 20}, {40, 10}});
  };
  for (int width : {1, 3}) {
    for (TPenStyle style : {psSolid, psDash, psDot}) {
      draw(width, style);
      EXPECT_NE(Pixels(b), before);
      draw(width, style);
      EXPECT_EQ(Pixels(b), before) << "width " << width << " style " << int(style);
    }
  }
}

TEST(CanvasShapes, FillRectAndFrameRectUseTheBrushAndCopy) {
  TBitmap b(5, 4);
  TCanvas* c = b.GetCanvas();
  c->GetPen()->SetMode(pmXor);  // has no effect on these two
  c->GetBrush()->SetColor(clBlack);
  c->FillRect({1, 1, 3, 3});
  c->FrameRect({0, 0, 5, 4});
  EXPECT_EQ(Picture(b), Rows({"#####", "###.#", "###.#", "#####"}));
  c->FillRect({-100, -100, 100, 100});
  EXPECT_EQ(Picture(b), Rows({"#####", "#####", "#####", "#####"}));
}

TEST(CanvasCopy, RasterOperationsCombineSourceAndTarget) {
  TBitmap src(2, 1), dst(2, 1);
  src.ScanLine(0)[0] = 0x00F0F0;
  src.ScanLine(0)[1] = 0x0F0F0F;
  struct Case {
    TCopyMode mode;
    uint32_t want0, want1;
  };
  const uint32_t d0 = 0x3C3C3C, d1 = 0xFF00FF;
  for (const Case& k :
       {Case{cmSrcCopy, 0x00F0F0, 0x0F0F0F}, Case{cmSrcAnd, 0x003030, 0x0F000F},
        Case{cmSrcPaint, 0x3CFCFC, 0xFF0FFF}, Case{cmSrcInvert, 0x3CCCCC, 0xF00FF0},
        Case{cmNotSrcCopy, 0xFF0F0F, 0xF0F0F0}, Case{cmDstInvert, 0xC3C3C3, 0x00FF00},
        Case{cmBlackness, 0, 0}, Case{cmWhiteness, 0xFFFFFF, 0xFFFFFF},
        Case{cmMergePaint, 0xFF3F3F, 0xFFF0FF}, Case{cmSrcErase, 0x00C0C0, 0x000F00}}) {
    dst.ScanLine(0)[0] = d0;
    dst.ScanLine(0)[1] = d1;
    dst.GetCanvas()->SetCopyMode(k.mode);
    dst.GetCanvas()->CopyRect({0, 0, 2, 1}, src.GetCanvas(), {0, 0, 2, 1});
    EXPECT_EQ(dst.ScanLine(0)[0], k.want0) << std::hex << k.mode;
    EXPECT_EQ(dst.ScanLine(0)[1], k.want1) << std::hex << k.mode;
  }
}

TEST(CanvasCopy, MaskedTransparencyWithAndThenOr) {
  // The classic two-step transparent copy: AND a mask (black where the image
  // is), then OR the image on a black background.
  TBitmap target(3, 1), mask(3, 1), image(3, 1);
  target.Fill(0x808080);
  mask.Fill(clWhite);
  mask.ScanLine(0)[1] = 0;
  image.Fill(clBlack);
  image.ScanLine(0)[1] = 0x0000FF;
  target.GetCanvas()->SetCopyMode(cmSrcAnd);
  target.GetCanvas()->CopyRect({0, 0, 3, 1}, mask.GetCanvas(), {0, 0, 3, 1});
  target.GetCanvas()->SetCopyMode(cmSrcPaint);
  target.GetCanvas()->CopyRect({0, 0, 3, 1}, image.GetCanvas(), {0, 0, 3, 1});
  EXPECT_EQ(target.ScanLine(0)[0], 0x808080u);
  EXPECT_EQ(target.ScanLine(0)[1], 0x0000FFu);
  EXPECT_EQ(target.ScanLine(0)[2], 0x808080u);
}

TEST(CanvasCopy, CopiesClipMirrorAndOverlap) {
  TBitmap b(4, 3);
  FillNoise(b, 3);
  const std::vector<uint32_t> before = Pixels(b);
  TCanvas* c = b.GetCanvas();
  // Overlapping copy within one bitmap behaves as if through a copy.
  c->CopyRect({1, 0, 4, 3}, c, {0, 0, 3, 3});
  for (int y = 0; y < 3; ++y)
    for (int x = 1; x < 4; ++x) EXPECT_EQ(b.ScanLine(y)[x], before[y * 4 + x - 1]);
  // A mirrored target reverses the rows.
  TBitmap m(4, 1);
  m.GetCanvas()->CopyRect({4, 0, 0, 1}, c, {0, 1, 4, 2});
  for (int x = 0; x < 4; ++x) EXPECT_EQ(m.ScanLine(0)[x], b.ScanLine(1)[3 - x]);
  // Source partly outside: only the part inside is copied.
  TBitmap t(4, 3);
  t.GetCanvas()->CopyRect({0, 0, 4, 3}, c, {2, 0, 6, 3});
  EXPECT_EQ(t.ScanLine(0)[0], b.ScanLine(0)[2]);
  EXPECT_EQ(t.ScanLine(0)[1], b.ScanLine(0)[3]);
  EXPECT_EQ(t.ScanLine(0)[2], 0xFFFFFFu);
  // Rectangles spanning the whole 32-bit range: no overflow, a sensible part.
  t.GetCanvas()->CopyRect({INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX}, c,
                          {INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX});
  t.GetCanvas()->CopyRect({0, 0, 4, 3}, c, {INT32_MAX, 0, INT32_MIN, 3});
}

TEST(CanvasStretch, SmoothHalvingAveragesEachBlock) {
  TBitmap src(4, 2), dst(2, 1);
  const uint32_t vals[8] = {0x000000, 0x0A0A0A, 0x646464, 0x000000,
                            0x141414, 0x1E1E1E, 0x000000, 0x646464};
  for (int i = 0; i < 8; ++i) src.ScanLine(i / 4)[i % 4] = vals[i];
  dst.GetCanvas()->SetStretchMode(smHalftone);
  dst.GetCanvas()->StretchDraw({0, 0, 2, 1}, &src);
  EXPECT_EQ(dst.ScanLine(0)[0], 0x0F0F0Fu);  // (0 + 10 + 20 + 30) / 4
  EXPECT_EQ(dst.ScanLine(0)[1], 0x323232u);  // (100 + 0 + 0 + 100) / 4
  // Plain takes the pixel under each target centre.
  dst.GetCanvas()->SetStretchMode(smColorOnColor);
  dst.GetCanvas()->StretchDraw({0, 0, 2, 1}, &src);
  EXPECT_EQ(dst.ScanLine(0)[0], 0x1E1E1Eu);
  EXPECT_EQ(dst.ScanLine(0)[1], 0x646464u);
}

TEST(CanvasStretch, EnlargingRepeatsAndBlendsOnlyStraddlingPixels) {
  TBitmap src(2, 1), dst(4, 1), odd(3, 1);
  src.ScanLine(0)[0] = 0x000000;
  src.ScanLine(0)[1] = 0xC8C8C8;
  for (TStretchMode mode : {smColorOnColor, smHalftone}) {
    dst.GetCanvas()->SetStretchMode(mode);
    dst.GetCanvas()->StretchDraw({0, 0, 4, 1}, &src);
    EXPECT_EQ(dst.ScanLine(0)[0], 0u);
    EXPECT_EQ(dst.ScanLine(0)[1], 0u);
    EXPECT_EQ(dst.ScanLine(0)[2], 0xC8C8C8u);
    EXPECT_EQ(dst.ScanLine(0)[3], 0xC8C8C8u);
  }
  odd.GetCanvas()->SetStretchMode(smHalftone);
  odd.GetCanvas()->StretchDraw({0, 0, 3, 1}, &src);
  EXPECT_EQ(odd.ScanLine(0)[0], 0u);
  EXPECT_EQ(odd.ScanLine(0)[1], 0x646464u);  // half of each
  EXPECT_EQ(odd.ScanLine(0)[2], 0xC8C8C8u);
}

TEST(CanvasStretch, SmoothScalingKeepsAFlatColourAndMeanBrightness) {
  TBitmap src(301, 199), dst(97, 64);
  src.Fill(0x405060);
  dst.GetCanvas()->SetStretchMode(smHalftone);
  dst.GetCanvas()->StretchDraw({0, 0, 97, 64}, &src);
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 97; ++x) ASSERT_EQ(dst.ScanLine(y)[x], 0x405060u);
  FillNoise(src, 11);
  double meanSrc = 0, meanDst = 0;
  for (int y = 0; y < 199; ++y)
    for (int x = 0; x < 301; ++x) meanSrc += src.ScanLine(y)[x] & 0xFF;
  dst.GetCanvas()->StretchDraw({0, 0, 97, 64}, &src);
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 97; ++x) meanDst += dst.ScanLine(y)[x] & 0xFF;
  EXPECT_NEAR(meanSrc / (301 * 199), meanDst / (97 * 64), 0.5);
}

// Smooth scaling as documented, written out plainly: per axis, each target
// pixel's share of every source pixel it covers in 256ths (rounded, the
// biggest share taking what rounding left over); the rows averaged first,
// rounded to whole levels, then the columns.
struct Shares {
  std::vector<int> first;
  std::vector<std::vector<int>> w;
  Shares(int64_t m, int64_t n, bool flip) {
    for (int64_t i = 0; i < n; ++i) {
      const int64_t t = flip ? n - 1 - i : i, a = t * m, b = a + m;
      first.push_back(static_cast<int>(a / n));
      std::vector<int> ws;
      int sum = 0, big = 0;
      for (int64_t s = a / n; s * n < b; ++s) {
        const int64_t overlap = std::min(b, (s + 1) * n) - std::max(a, s * n);
        ws.push_back(static_cast<int>((overlap * 256 + m / 2) / m));
        sum += ws.back();
        if (ws.back() > ws[big]) big = static_cast<int>(ws.size()) - 1;
      }
      ws[big] += 256 - sum;
      w.push_back(ws);
    }
  }
};

std::vector<uint32_t> SmoothReference(const TBitmap& src, int dw, int dh, bool flipX, bool flipY) {
  const Shares sx(src.GetWidth(), dw, flipX), sy(src.GetHeight(), dh, flipY);
  std::vector<uint32_t> out;
  for (int y = 0; y < dh; ++y) {
    std::vector<uint32_t> mid(src.GetWidth());
    for (int x = 0; x < src.GetWidth(); ++x)
      for (int c = 0; c < 3; ++c) {
        uint32_t t = 128;
        for (size_t k = 0; k < sy.w[y].size(); ++k)
          t += sy.w[y][k] * ((src.ScanLine(sy.first[y] + int(k))[x] >> (8 * c)) & 0xFF);
        mid[x] |= (t >> 8) << (8 * c);
      }
    for (int x = 0; x < dw; ++x) {
      uint32_t p = 0;
      for (int c = 0; c < 3; ++c) {
        uint32_t t = 128;
        for (size_t k = 0; k < sx.w[x].size(); ++k)
          t += sx.w[x][k] * ((mid[sx.first[x] + k] >> (8 * c)) & 0xFF);
        p |= (t >> 8) << (8 * c);
      }
      out.push_back(p);
    }
  }
  return out;
}

TEST(CanvasStretch, SmoothMatchesTheTwoPassAverageExactlyForAllRatios) {
  // Enlargements, reductions up to half (at most three source columns per
  // target pixel) and beyond, widths not a multiple of the vector sizes, and
  // ratios where a share rounds to nothing beside a whole pixel (1000 to 999).
  const int sizes[][4] = {{2000, 3, 1000, 2}, {40, 30, 17, 16}, {33, 35, 66, 9}, {1000, 5, 999, 3},
                          {7, 1, 3, 1},       {9, 130, 5, 64},  {64, 7, 23, 7},  {5, 190, 13, 3},
                          {301, 4, 151, 4},   {17, 3, 6, 2},    {3, 2, 11, 5},   {129, 2, 128, 1},
                          {3, 1000, 2, 999}};
  for (const auto& s : sizes) {
    TBitmap src(s[0], s[1]), dst(s[2], s[3]);
    std::mt19937 rng(static_cast<unsigned>(s[0] * 31 + s[2]));
    for (int y = 0; y < s[1]; ++y)
      for (int x = 0; x < s[0]; ++x) src.ScanLine(y)[x] = rng();  // junk in the top byte too
    dst.GetCanvas()->SetStretchMode(smHalftone);
    for (int flips = 0; flips < 4; ++flips) {
      const bool fx = flips & 1, fy = flips & 2;
      dst.GetCanvas()->StretchDraw({fx ? s[2] : 0, fy ? s[3] : 0, fx ? 0 : s[2], fy ? 0 : s[3]},
                                   &src);
      ASSERT_EQ(Pixels(dst), SmoothReference(src, s[2], s[3], fx, fy))
          << s[0] << "x" << s[1] << " to " << s[2] << "x" << s[3] << " flips " << flips;
    }
    // A target reaching past the bitmap: the part that shows is the same.
    const std::vector<uint32_t> full = Pixels(dst);
    TBitmap part(s[2], s[3]);
    part.GetCanvas()->SetStretchMode(smHalftone);
    const int ox = s[2] / 3, oy = s[3] / 2;
    part.GetCanvas()->StretchDraw({s[2] - ox, s[3] - oy, -ox, -oy}, &src);
    for (int y = 0; y + oy < s[3]; ++y)
      for (int x = 0; x + ox < s[2]; ++x)
        ASSERT_EQ(part.ScanLine(y)[x], full[size_t(y + oy) * s[2] + x + ox])
            << s[0] << "x" << s[1] << " at " << x << "," << y;
  }
}

TEST(CanvasStretch, TargetsOutsideTheBitmapAreClipped) {
  TBitmap src(10, 10), dst(5, 5);
  FillNoise(src, 5);
  for (TStretchMode mode : {smColorOnColor, smHalftone}) {
    dst.GetCanvas()->SetStretchMode(mode);
    dst.GetCanvas()->StretchDraw({-1000, -1000, 1000000, 1000000}, &src);
    dst.GetCanvas()->StretchDraw({-20, -20, 3, 3}, &src);
  }
  // The part of a 2x enlargement at (-4, -4) that shows is source (2..4, 2..4).
  dst.GetCanvas()->SetStretchMode(smColorOnColor);
  dst.GetCanvas()->StretchDraw({-4, -4, 16, 16}, &src);
  EXPECT_EQ(dst.ScanLine(0)[0], src.ScanLine(2)[2]);
  EXPECT_EQ(dst.ScanLine(4)[4], src.ScanLine(4)[4]);
}

}  // namespace
}  // namespace tkz

namespace tkz {
namespace {

TEST(CanvasText, SolidBrushFillsExactlyTheTextCell) {
  TBitmap b(80, 30);
  TCanvas* c = b.GetCanvas();
  c->GetBrush()->SetColor(clYellow);
  const int w = c->TextWidth("Hello"), h = c->TextHeight("Hello");
  ASSERT_GT(w, 10);
  ASSERT_GT(h, 8);
  c->TextOut(5, 4, "Hello");
  int ink = 0;
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 80; ++x) {
      const bool inCell = x >= 5 && x < 5 + w && y >= 4 && y < 4 + h;
      const TColor p = c->GetPixel(x, y);
      if (!inCell) {
        EXPECT_EQ(p, clWhite) << x << "," << y;
      }
      if (inCell && p != clYellow) ++ink;
    }
  EXPECT_GT(ink, 20);
  EXPECT_EQ(c->GetPenPos(), (TPoint{5 + w, 4}));
  EXPECT_EQ(c->TextExtent("Hello"), (TPoint{w, h}));
}

TEST(CanvasText, ClearBrushDrawsOnlyTheGlyphsInTheFontColour) {
  TBitmap b(60, 20);
  TCanvas* c = b.GetCanvas();
  c->GetBrush()->SetStyle(bsClear);
  c->GetFont()->SetColor(clRed);
  c->TextOut(2, 2, "IIII");
  int full = 0, other = 0;
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 60; ++x) {
      const TColor p = c->GetPixel(x, y);
      if (GetRValue(p) == 255 && GetGValue(p) < 64) ++full;
      // Anti-aliased edges blend red into white: green and blue stay equal.
      if (p != clRed && p != clWhite) {
        ++other;
        EXPECT_EQ(GetGValue(p), GetBValue(p));
        EXPECT_EQ(GetRValue(p), 255);
      }
    }
  EXPECT_GT(full, 4 * 6);  // four upright stems, strongly inked
  EXPECT_GT(other, 0);     // with smooth edges
}

TEST(CanvasText, TurnedTextRunsUpwardsFromItsReferencePoint) {
  TBitmap b(40, 80);
  TCanvas* c = b.GetCanvas();
  c->GetFont()->SetOrientation(900);
  c->GetBrush()->SetStyle(bsClear);
  c->TextOut(5, 70, "Hello");
  int above = 0, below = 0;
  for (int y = 0; y < 80; ++y)
    for (int x = 0; x < 40; ++x)
      if (c->GetPixel(x, y) != clWhite) (y < 70 ? above : below)++;
  EXPECT_GT(above, 30);
  EXPECT_EQ(below, 0);
}

TEST(CanvasText, TextFarOutsideIsClippedAndGoldenSampleIsStable) {
  TBitmap b(100, 24);
  TCanvas* c = b.GetCanvas();
  c->TextOut(-1000000, 5, "far away");
  c->TextOut(5, 1000000, "far away");
  for (int y = 0; y < 24; ++y)
    for (int x = 0; x < 100; ++x) ASSERT_EQ(c->GetPixel(x, y), clWhite);
  c->GetFont()->SetSize(10);
  c->GetFont()->SetStyle({fsBold});
  c->TextOut(2, 2, "Quorvatin 1.0");
  uint64_t h = 1469598103934665603ull;
  for (int y = 0; y < 24; ++y)
    for (int x = 0; x < 100; ++x) h = (h ^ b.ScanLine(y)[x]) * 1099511628211ull;
  EXPECT_EQ(h, 8203714514975140156ull) << h;
}

}  // namespace
}  // namespace tkz
