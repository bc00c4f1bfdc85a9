#include <gtest/gtest.h>

#include <map>
#include <string>

#include "core/platform/fonts.h"
#include "core/platform/printer.h"
#include "core/types/tkzbase.h"
#include "support/picture.h"

namespace tkz {
namespace {

using testing_support::Picture;
using testing_support::Rows;

uint64_t Checksum(const TBitmap& b) {
  uint64_t h = 1469598103934665603ull;  // FNV-1a over the pixel words
  for (int y = 0; y < b.GetHeight(); ++y)
    for (int x = 0; x < b.GetWidth(); ++x) {
      h ^= b.ScanLine(y)[x];
      h *= 1099511628211ull;
    }
  return h;
}

constexpr TColor kA = 0x0000AA, kB = 0x00BB00, kC = 0xCC0000, kD = 0x00DDDD, kE = 0xEE00EE;

TEST(DrawFrame, ThreeDimensionalStylesPaintTwoOutlinesInTheirColours) {
  TBitmap b(10, 10);
  DrawFrame(b.GetCanvas(), fsRaised, 0, 0, 9, 9, kA, kB, kC, kD, kE);
  const std::map<TColor, char> legend{{kA, 'a'}, {kB, 'b'}, {kC, 'c'}, {kD, 'd'}, {kE, 'e'}};
  EXPECT_EQ(Picture(b, legend),
            Rows({"aaaaaaaaaa", "abbbbbbbbd", "ab......cd", "ab......cd", "ab......cd",
                  "ab......cd", "ab......cd", "ab......cd", "accccccccd", "dddddddddd"}));
  // The other styles use the same strokes with other colours.
  struct Case {
    TFrameStyle style;
    char outerLight, outerDark, innerLight, innerDark;
  };
  for (const Case& k : {Case{fsLowered, 'c', 'a', 'd', 'b'}, Case{fsEmbossed, 'a', 'c', 'c', 'a'},
                        Case{fsEngraved, 'c', 'a', 'a', 'c'}}) {
    b.Fill(clWhite);
    DrawFrame(b.GetCanvas(), k.style, 0, 0, 9, 9, kA, kB, kC, kD, kE);
    const std::string p = Picture(b, legend);
    EXPECT_EQ(p[0], k.outerLight) << int(k.style);
    EXPECT_EQ(p[9 * 11 + 5], k.outerDark) << int(k.style);
    EXPECT_EQ(p[1 * 11 + 5], k.innerLight) << int(k.style);
    EXPECT_EQ(p[8 * 11 + 5], k.innerDark) << int(k.style);
  }
}

TEST(DrawFrame, SimpleStyleAndNothingForNoneOrUnknownStyles) {
  TBitmap b(6, 5);
  DrawFrame(b.GetCanvas(), fsSimple, 1, 1, 4, 3, kA, kB, kC, kD, clBlack);
  EXPECT_EQ(Picture(b), Rows({"......", ".####.", ".#..#.", ".####.", "......"}));
  b.Fill(clWhite);
  DrawFrame(b.GetCanvas(), fsNone, 0, 0, 5, 4, kA, kB, kC, kD, kE);
  DrawFrame(b.GetCanvas(), static_cast<TFrameStyle>(6), 0, 0, 5, 4, kA, kB, kC, kD, kE);
  EXPECT_EQ(Picture(b), Rows({"......", "......", "......", "......", "......"}));
}

TEST(DrawRectangle, IncludesRightAndBottomEdges) {
  TBitmap b(4, 4);
  DrawRectangle(b.GetCanvas(), 0, 0, 3, 2);
  EXPECT_EQ(Picture(b), Rows({"####", "#..#", "####", "...."}));
}

std::string Mark(uint8_t mark, bool printer = false, int margin = 0) {
  const int side = 2 * margin + 7;
  TBitmap b(side, side);
  b.GetCanvas()->SetPrinterCanvas(printer);
  b.GetCanvas()->GetPen()->SetColor(clBlack);
  DrawMarkOnCanvas(b.GetCanvas(), mark, margin + 3, margin + 3);
  return Picture(b);
}

TEST(DrawMark, ScreenPatternsSetExactlyTheirPixels) {
  const std::map<int, std::string> patterns{
      {1, Rows({".......", ".......", "...#...", "..###..", "...#...", ".......", "......."})},
      {2, Rows({".......", "...#...", "...#...", ".#####.", "...#...", "...#...", "......."})},
      {3, Rows({"...#...", "...#...", "...#...", "#######", "...#...", "...#...", "...#..."})},
      {4, Rows({".......", ".......", "..#.#..", "...#...", "..#.#..", ".......", "......."})},
      {5, Rows({".......", ".#...#.", "..#.#..", "...#...", "..#.#..", ".#...#.", "......."})},
      {6, Rows({"#.....#", ".#...#.", "..#.#..", "...#...", "..#.#..", ".#...#.", "#.....#"})},
      {18, Rows({"#.#.#.#", ".#.#.#.", "#.#.#.#", ".#.#.#.", "#.#.#.#", ".#.#.#.", "#.#.#.#"})},
  };
  for (const auto& [mark, pattern] : patterns) {
    EXPECT_EQ(Mark(static_cast<uint8_t>(mark)), pattern) << "mark " << mark;
    const auto bmp = CreateMarkAsBitmap(static_cast<uint8_t>(mark), clBlack, clWhite, 0);
    EXPECT_EQ(Picture(*bmp), pattern) << "bitmap of mark " << mark;
  }
}

TEST(DrawMark, PrinterCanvasesDrawLines) {
  EXPECT_EQ(Mark(2, true),
            Rows({"...#...", "...#...", "...#...", "######.", "...#...", "...#...", "......."}));
  EXPECT_EQ(Mark(5, true),
            Rows({"#......", ".#...#.", "..#.#..", "...#...", "..#.#..", ".#...#.", "#......"}));
  EXPECT_EQ(Mark(18, true), Mark(18, false));  // the same dots, drawn one by one
}

TEST(DrawMark, PrinterCrossesReachTheirFullArmLength) {
  // On the printer the crosses are lines of arm 2, 3 or 4 whose last point
  // stays unpainted; mark 25 is the smaller thick cross. Margin 1: the
  // pictures show offsets -4 to +4.
  EXPECT_EQ(Mark(1, true, 1), Rows({".........", ".........", "....#....", "....#....", "..####...",
                                    "....#....", ".........", ".........", "........."}));
  EXPECT_EQ(Mark(3, true, 1), Rows({"....#....", "....#....", "....#....", "....#....", "########.",
                                    "....#....", "....#....", "....#....", "........."}));
  EXPECT_EQ(Mark(4, true, 1), Rows({".........", ".........", "..#......", "...#.#...", "....#....",
                                    "...#.#...", "..#......", ".........", "........."}));
  EXPECT_EQ(Mark(6, true, 1), Rows({"#........", ".#.....#.", "..#...#..", "...#.#...", "....#....",
                                    "...#.#...", "..#...#..", ".#.....#.", "#........"}));
  EXPECT_EQ(Mark(25, true, 1),
            Rows({".........", ".##......", ".###.##..", "..#####..", "...###...", "..#####..",
                  ".###.##..", ".##......", "........."}));
  EXPECT_EQ(Mark(25, false, 1),
            Rows({".........", ".##...##.", ".###.###.", "..#####..", "...###...", "..#####..",
                  ".###.###.", ".##...##.", "........."}));
}

TEST(DrawMark, NoShapeShowsTheCallersBrush) {
  // Open shapes clear the brush and filled ones take the pen colour, so a
  // solid brush of another colour never shows; afterwards the brush is solid
  // in its old colour.
  for (int m = 0; m < 52; ++m) {
    TBitmap b(13, 13);
    TCanvas* c = b.GetCanvas();
    c->GetPen()->SetColor(clBlack);
    c->GetBrush()->SetColor(clRed);
    DrawMarkOnCanvas(c, static_cast<uint8_t>(m), 6, 6);
    EXPECT_EQ(Picture(b, {{clBlack, '#'}}).find('?'), std::string::npos) << "mark " << m;
    EXPECT_EQ(c->GetBrush()->GetColor(), clRed) << "mark " << m;
    EXPECT_EQ(c->GetBrush()->GetStyle(), bsSolid) << "mark " << m;
  }
}

TEST(DrawMark, ShapesFromTheCatalogue) {
  EXPECT_EQ(Mark(0),
            Rows({".......", ".......", ".......", "...#...", ".......", ".......", "......."}));
  EXPECT_EQ(Mark(8),
            Rows({".......", ".#####.", ".#####.", ".#####.", ".#####.", ".#####.", "......."}));
  EXPECT_EQ(Mark(11),
            Rows({".......", ".#####.", ".#...#.", ".#...#.", ".#...#.", ".#####.", "......."}));
  EXPECT_EQ(Mark(13),
            Rows({"...#...", "..#.#..", ".#...#.", "#.....#", ".#...#.", "..#.#..", "...#..."}));
  EXPECT_EQ(Mark(15),
            Rows({"...#...", "..###..", ".#####.", "#######", ".#####.", "..###..", "...#..."}));
  EXPECT_EQ(Mark(16),
            Rows({".......", "..###..", ".#...#.", ".#...#.", ".#...#.", "..###..", "......."}));
  EXPECT_EQ(Mark(20),
            Rows({".......", ".......", ".......", "...#...", "..#.#..", ".#...#.", "......."}));
  EXPECT_EQ(Mark(37),
            Rows({"...#...", "...#...", "...#...", "#######", ".......", ".......", "......."}));
  EXPECT_EQ(Mark(44),
            Rows({".......", "##.....", "#.##...", "#...##.", "#.##...", "##.....", "......."}));
  EXPECT_EQ(Mark(45),
            Rows({".......", "##.....", "####...", "######.", "####...", "##.....", "......."}));
}

TEST(DrawMark, FilledMarksRestoreTheBrushColour) {
  TBitmap b(9, 9);
  TCanvas* c = b.GetCanvas();
  c->GetBrush()->SetColor(kB);
  c->GetPen()->SetColor(kA);
  DrawMarkOnCanvas(c, 24, 4, 4);
  EXPECT_EQ(c->GetBrush()->GetColor(), kB);
  EXPECT_EQ(c->GetPixel(4, 4), kA);  // the filled circle took the pen colour
  DrawMarkOnCanvas(c, 33, 4, 4);     // open: the brush style is solid afterwards
  EXPECT_EQ(c->GetBrush()->GetStyle(), bsSolid);
}

TEST(DrawMark, CharacterMarksShowTheirCharacterCentred) {
  // 205 shows "5", the same as the character mark 53.
  EXPECT_EQ(Mark(205, false, 6), Mark(53, false, 6));
  EXPECT_NE(Mark(205, false, 6), Mark(54, false, 6));
  // 65 is "A", drawn in the pen colour on a clear background, centred.
  TBitmap b(21, 21), want(21, 21);
  b.Fill(clSilver);
  want.Fill(clSilver);
  TCanvas* c = b.GetCanvas();
  c->GetPen()->SetColor(clRed);
  c->GetBrush()->SetColor(clWhite);  // solid: must not show
  DrawMarkOnCanvas(c, 65, 10, 10);
  TCanvas* w = want.GetCanvas();
  w->GetFont()->SetColor(clRed);
  w->GetBrush()->SetStyle(bsClear);
  w->TextOut(10 - w->TextWidth("A") / 2, 10 - w->TextHeight("A") / 2, "A");
  EXPECT_EQ(Picture(b), Picture(want));
  EXPECT_NE(Checksum(b), Checksum(TBitmap(21, 21)));
  EXPECT_EQ(c->GetFont()->GetColor(), clBlack);  // font colour restored
}

TEST(DrawMark, ExtremeCoordinatesDrawNothingAndDoNotOverflow) {
  TBitmap b(8, 8);
  for (int m = 0; m < 256; ++m) {
    DrawMarkOnCanvas(b.GetCanvas(), static_cast<uint8_t>(m), INT32_MAX, INT32_MAX);
    DrawMarkOnCanvas(b.GetCanvas(), static_cast<uint8_t>(m), INT32_MIN, 4);
  }
  DrawFrame(b.GetCanvas(), fsRaised, INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX, kA, kB, kC, kD,
            kE);
  EXPECT_EQ(Picture(b), Picture(TBitmap(8, 8)));
}

TEST(CreateMarkAsBitmap, SizeFollowsTheClampedMargin) {
  auto small = CreateMarkAsBitmap(0, clBlack, clWhite, -5);
  EXPECT_EQ(small->GetWidth(), 7);
  EXPECT_EQ(small->GetHeight(), 7);
  auto framed = CreateMarkAsBitmap(0, clRed, clBlue, 2);
  EXPECT_EQ(framed->GetWidth(), 11);
  EXPECT_EQ(framed->GetCanvas()->GetPixel(5, 5), clRed);
  EXPECT_EQ(framed->GetCanvas()->GetPixel(0, 0), clBlue);
  EXPECT_EQ(framed->GetCanvas()->GetPixel(10, 10), clBlue);
  EXPECT_EQ(CreateMarkAsBitmap(0, clBlack, clWhite, 1000)->GetWidth(), 2 * 255 + 7);
  // A pattern mark sits in the middle of the margin.
  auto cross = CreateMarkAsBitmap(6, clBlack, clWhite, 2);
  EXPECT_EQ(Picture(*cross), Mark(6, false, 2));
  EXPECT_EQ(cross->GetCanvas()->GetPixel(5, 5), clBlack);
  EXPECT_EQ(cross->GetCanvas()->GetPixel(2, 2), clBlack);
  EXPECT_EQ(cross->GetCanvas()->GetPixel(1, 1), clWhite);
}

TEST(DrawMark, WholeCatalogueMatchesItsGoldenChecksum) {
  // All 256 marks on a 16 x 16 grid, 20 pixels apart. The picture was looked
  // at once by eye; the checksum guards it.
  TBitmap b(320, 320);
  TCanvas* c = b.GetCanvas();
  c->GetPen()->SetColor(clBlack);
  for (int m = 0; m < 256; ++m)
    DrawMarkOnCanvas(c, static_cast<uint8_t>(m), 10 + 20 * (m % 16), 10 + 20 * (m / 16));
  EXPECT_EQ(Checksum(b), 4716398303926182748ull) << Checksum(b);
}

TEST(PrintBitmap, CopiesOnePixelPerPrinterPixelOnlyWhilePrinting) {
  TBitmap picture(3, 2);
  picture.Fill(clRed);
  PrintBitmap(&picture, 10, 10);  // no document: nothing happens, nothing raises
  // Every pixel arrives unchanged, none blended with its neighbours.
  TBitmap checker(5, 4);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 5; ++x)
      checker.GetCanvas()->SetPixel(x, y, (x + y) % 2 != 0 ? clRed : TColor(0x102030 * (x + 1)));
  TPrinter& printer = Printer();
  printer.SetResolution(72);
  printer.BeginDoc();
  PrintBitmap(&picture, 10, 20);
  TCanvas* page = printer.GetCanvas();
  EXPECT_TRUE(page->IsPrinterCanvas());
  EXPECT_EQ(page->GetPixel(10, 20), clRed);
  EXPECT_EQ(page->GetPixel(12, 21), clRed);
  EXPECT_EQ(page->GetPixel(13, 21), clWhite);
  EXPECT_EQ(page->GetPixel(12, 22), clWhite);
  PrintBitmap(&checker, 30, 40);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 5; ++x)
      EXPECT_EQ(page->GetPixel(30 + x, 40 + y), checker.GetCanvas()->GetPixel(x, y))
          << x << "," << y;
  printer.EndDoc();
  printer.SetResolution(TPrinter::kDefaultResolution);
}

TEST(Fonts, CanvasFontSizeScaledKeepsScreenPixels) {
  TBitmap b(1, 1);
  TFont* f = b.GetCanvas()->GetFont();
  f->SetPixelsPerInch(300);
  SetCanvasFontSizeScaled(b.GetCanvas(), 12);
  EXPECT_EQ(f->GetPixelsPerInch(), 300);
  EXPECT_EQ(f->GetHeight(), 16);  // 12 points at 96 pixels per inch
  f->SetSize(12);
  EXPECT_EQ(f->GetHeight(), 50);  // 12 points at 300 pixels per inch
}

TEST(Fonts, TrueTypeTestKnowsInstalledFontsAndRefusesOthers) {
  EXPECT_TRUE(FontIsTrueType("DejaVu Sans"));
  EXPECT_TRUE(FontIsTrueType("dejavu sans"));  // names match in any case
  try {
    FontIsTrueType("No Such Font 123");
    FAIL() << "an unknown font must raise";
  } catch (const ETKZError& e) {
    EXPECT_NE(std::string(e.what()).find("No Such Font 123"), std::string::npos);
  }
}

}  // namespace
}  // namespace tkz
