// The suite's common decorations: frames, rectangle outlines and point marks.
#include <algorithm>
#include <array>
#include <string>

#include "core/platform/fonts.h"
#include "core/platform/printer.h"
#include "core/types/tkzbase.h"

namespace tkz {

void DrawRectangle(TCanvas* Canvas, int Left, int Top, int Right, int Bottom) {
  if (Canvas == nullptr) return;
  Canvas->MoveTo(Left, Top);
  Canvas->LineTo(Left, Bottom);
  Canvas->LineTo(Right, Bottom);
  Canvas->LineTo(Right, Top);
  Canvas->LineTo(Left, Top);
}

namespace {

// Coordinates beyond this are far outside any bitmap; clamping them keeps the
// arithmetic of frames and marks (a few pixels either side) from overflowing.
constexpr int kFar = 1 << 30;
int Near(int v) { return std::clamp(v, -kFar, kFar); }

}  // namespace

void DrawFrame(TCanvas* Canvas, TFrameStyle Style, int Left, int Top, int Right, int Bottom,
               TColor C1, TColor C2, TColor C3, TColor C4, TColor C5) {
  if (Canvas == nullptr) return;
  Left = Near(Left), Top = Near(Top), Right = Near(Right), Bottom = Near(Bottom);
  TPen* pen = Canvas->GetPen();
  if (Style == fsSimple) {
    pen->SetColor(C5);
    DrawRectangle(Canvas, Left, Top, Right, Bottom);
    return;
  }
  // Outer light, outer dark, inner light, inner dark.
  TColor c[4];
  switch (Style) {
    case fsRaised:
      c[0] = C1, c[1] = C4, c[2] = C2, c[3] = C3;
      break;
    case fsLowered:
      c[0] = C3, c[1] = C1, c[2] = C4, c[3] = C2;
      break;
    case fsEmbossed:
      c[0] = C1, c[1] = C3, c[2] = C3, c[3] = C1;
      break;
    case fsEngraved:
      c[0] = C3, c[1] = C1, c[2] = C1, c[3] = C3;
      break;
    default:
      return;  // fsNone and values beyond the enumeration
  }
  pen->SetColor(c[0]);
  Canvas->MoveTo(Left, Bottom);
  Canvas->LineTo(Left, Top);
  Canvas->LineTo(Right + 1, Top);
  Canvas->MoveTo(Right, Top + 1);
  pen->SetColor(c[1]);
  Canvas->LineTo(Right, Bottom);
  Canvas->LineTo(Left - 1, Bottom);
  pen->SetColor(c[2]);
  Canvas->MoveTo(Left + 1, Bottom - 1);
  Canvas->LineTo(Left + 1, Top + 1);
  Canvas->LineTo(Right, Top + 1);
  Canvas->MoveTo(Right - 1, Top + 2);
  pen->SetColor(c[3]);
  Canvas->LineTo(Right - 1, Bottom - 1);
  Canvas->LineTo(Left, Bottom - 1);
}

namespace {

// The 7 x 7 screen patterns of marks 1 to 6 and 18, rows top to bottom.
using Pattern = std::array<const char*, 7>;
constexpr Pattern kPattern1{".......", ".......", "...#...", "..###..",
                            "...#...", ".......", "......."};
constexpr Pattern kPattern2{".......", "...#...", "...#...", ".#####.",
                            "...#...", "...#...", "......."};
constexpr Pattern kPattern3{"...#...", "...#...", "...#...", "#######",
                            "...#...", "...#...", "...#..."};
constexpr Pattern kPattern4{".......", ".......", "..#.#..", "...#...",
                            "..#.#..", ".......", "......."};
constexpr Pattern kPattern5{".......", ".#...#.", "..#.#..", "...#...",
                            "..#.#..", ".#...#.", "......."};
constexpr Pattern kPattern6{"#.....#", ".#...#.", "..#.#..", "...#...",
                            "..#.#..", ".#...#.", "#.....#"};
constexpr Pattern kPattern18{"#.#.#.#", ".#.#.#.", "#.#.#.#", ".#.#.#.",
                             "#.#.#.#", ".#.#.#.", "#.#.#.#"};

void DrawPattern(TCanvas* c, const Pattern& p, int X, int Y) {
  const TColor colour = c->GetPen()->GetColor();
  for (int j = 0; j < 7; ++j)
    for (int i = 0; i < 7; ++i)
      if (p[j][i] == '#') c->SetPixel(X + i - 3, Y + j - 3, colour);
}

void Line(TCanvas* c, int x1, int y1, int x2, int y2) {
  c->MoveTo(x1, y1);
  c->LineTo(x2, y2);
}

// Upright cross lines from -lo to +hi around (X, Y).
void Cross(TCanvas* c, int X, int Y, int lo, int hi) {
  Line(c, X - lo, Y, X + hi, Y);
  Line(c, X, Y - lo, X, Y + hi);
}

// Shapes are filled (brush colour = pen colour) or open (brush clear for the
// shape, solid again afterwards).
void Filled(TCanvas* c) { c->GetBrush()->SetColor(c->GetPen()->GetColor()); }

template <typename Draw>
void Open(TCanvas* c, Draw draw) {
  c->GetBrush()->SetStyle(bsClear);
  draw();
  c->GetBrush()->SetStyle(bsSolid);
}

void Poly(TCanvas* c, bool filled, std::vector<TPoint> pts) {
  if (filled) {
    Filled(c);
    c->Polygon(pts);
  } else {
    Open(c, [&] { c->Polygon(pts); });
  }
}

void Circle(TCanvas* c, bool filled, int x1, int y1, int x2, int y2) {
  if (filled) {
    Filled(c);
    c->Ellipse(x1, y1, x2, y2);
  } else {
    Open(c, [&] { c->Ellipse(x1, y1, x2, y2); });
  }
}

void Character(TCanvas* c, uint8_t mark, int X, int Y) {
  const std::string text(1, mark >= 200 && mark <= 209 ? static_cast<char>('0' + mark - 200)
                                                       : static_cast<char>(mark));
  TFont* font = c->GetFont();
  const TColor oldColour = font->GetColor();
  const TBrushStyle oldStyle = c->GetBrush()->GetStyle();
  font->SetColor(c->GetPen()->GetColor());
  c->GetBrush()->SetStyle(bsClear);
  const int w = c->TextWidth(text), h = c->TextHeight(text);
  c->TextOut(X - w / 2, Y - h / 2, text);
  c->GetBrush()->SetStyle(oldStyle);
  font->SetColor(oldColour);
}

void DrawMark(TCanvas* c, uint8_t mark, int X, int Y) {
  const bool printer = c->IsPrinterCanvas();
  switch (mark) {
    case 1:
    case 2:
    case 3: {
      if (!printer) {
        DrawPattern(c, mark == 1 ? kPattern1 : mark == 2 ? kPattern2 : kPattern3, X, Y);
        return;
      }
      const int a = mark + 1;
      Line(c, X - a, Y, X + a, Y);
      Line(c, X, Y - a, X, Y + a);
      return;
    }
    case 4:
    case 5:
    case 6: {
      if (!printer) {
        DrawPattern(c, mark == 4 ? kPattern4 : mark == 5 ? kPattern5 : kPattern6, X, Y);
        return;
      }
      const int a = mark - 2;
      Line(c, X - a, Y - a, X + a, Y + a);
      Line(c, X - a, Y + a, X + a, Y - a);
      return;
    }
    case 7:
    case 8:
    case 9: {
      const int a = mark - 6;
      Filled(c);
      c->Rectangle(X - a, Y - a, X + a + 1, Y + a + 1);
      return;
    }
    case 10:
    case 11:
    case 12: {
      const int a = mark - 9;
      Open(c, [&] { c->Rectangle(X - a, Y - a, X + a + 1, Y + a + 1); });
      return;
    }
    case 13:
    case 19:
      Poly(c, false, {{X - 3, Y}, {X, Y + 3}, {X + 3, Y}, {X, Y - 3}});
      return;
    case 14:
    case 15: {
      const int a = mark == 14 ? 2 : 3;
      Poly(c, true, {{X - a, Y}, {X, Y + a}, {X + a, Y}, {X, Y - a}});
      return;
    }
    case 16:
      Circle(c, false, X - 2, Y - 2, X + 3, Y + 3);
      return;
    case 17:
      Circle(c, false, X - 3, Y - 3, X + 4, Y + 4);
      return;
    case 18: {
      if (!printer) {
        DrawPattern(c, kPattern18, X, Y);
        return;
      }
      const TColor colour = c->GetPen()->GetColor();
      for (int i = 1; i <= 7; ++i)
        for (int j = 1; j <= 7; ++j)
          if (i % 2 == j % 2) c->SetPixel(X + i - 4, Y + j - 4, colour);
      return;
    }
    case 20:
    case 21:
    case 22:
    case 23: {
      const int a = mark % 2 == 0 ? 3 : 4;
      const int dy = mark <= 21 ? a : -a;
      Line(c, X, Y, X - a, Y + dy);
      Line(c, X, Y, X + a, Y + dy);
      return;
    }
    case 24:
      Circle(c, true, X - 3, Y - 3, X + 4, Y + 4);
      return;
    case 25: {
      const int a = printer ? 3 : 4, b = printer ? 2 : 3;
      Line(c, X - 3, Y - 3, X + a, Y + a);
      Line(c, X - 3, Y - 2, X + b, Y + a);
      Line(c, X - 2, Y - 3, X + a, Y + b);
      Line(c, X - 3, Y + 3, X + a, Y - a);
      Line(c, X - 3, Y + 2, X + b, Y - a);
      Line(c, X - 2, Y + 3, X + a, Y - b);
      return;
    }
    case 26:
      Circle(c, true, X - 2, Y - 2, X + 3, Y + 3);
      return;
    case 27:
      Circle(c, false, X - 2, Y - 2, X + 2, Y + 2);
      return;
    case 28:
      Circle(c, true, X - 2, Y - 2, X + 2, Y + 2);
      return;
    case 29:
    case 30:
    case 31:
    case 32: {
      const int a = mark % 2 == 1 ? 2 : 3;
      Poly(c, mark <= 30, {{X - a, Y}, {X, Y + a}, {X + a, Y}});
      return;
    }
    case 33:
    case 34:
      Poly(c, mark == 34, {{X - 4, Y - 3}, {X, Y + 4}, {X + 4, Y - 3}});
      return;
    case 35:
    case 36:
      Poly(c, mark == 36, {{X - 4, Y + 3}, {X, Y - 4}, {X + 4, Y + 3}});
      return;
    case 37:
      Line(c, X - 3, Y, X + 4, Y);
      Line(c, X, Y, X, Y - 8);
      return;
    case 38:
      Line(c, X - 3, Y - 2, X + 4, Y - 2);
      Line(c, X - 3, Y + 2, X + 4, Y + 2);
      Line(c, X, Y - 2, X, Y + 2);
      return;
    case 39:
      Circle(c, false, X - 3, Y - 3, X + 4, Y + 4);
      Cross(c, X, Y, 3, 4);
      return;
    case 40:
    case 41:
      Poly(c, mark == 41, {{X + 3, Y - 2}, {X - 2, Y}, {X + 3, Y + 2}});
      return;
    case 42:
    case 43:
      Poly(c, mark == 43, {{X + 4, Y - 3}, {X - 3, Y}, {X + 4, Y + 3}});
      return;
    case 44:
    case 45:
      Poly(c, mark == 45, {{X - 3, Y - 2}, {X + 2, Y}, {X - 3, Y + 2}});
      return;
    case 46:
    case 47:
      Poly(c, mark == 47, {{X - 4, Y - 3}, {X + 3, Y}, {X - 4, Y + 3}});
      return;
    case 48:
      Open(c, [&] { c->Rectangle(X - 3, Y - 3, X + 4, Y + 4); });
      Cross(c, X, Y, 3, 4);
      return;
    case 49:
      Open(c, [&] { c->Rectangle(X - 2, Y - 2, X + 3, Y + 3); });
      Cross(c, X, Y, 4, 5);
      return;
    case 50:
      Line(c, X - 3, Y - 3, X + 4, Y + 4);
      Line(c, X - 3, Y + 3, X + 4, Y - 4);
      Cross(c, X, Y, 4, 5);
      return;
    case 51:
      Cross(c, X, Y, 4, 5);
      Line(c, X - 1, Y - 3, X + 2, Y - 3);
      Line(c, X - 1, Y + 3, X + 2, Y + 3);
      Line(c, X - 3, Y - 1, X - 3, Y + 2);
      Line(c, X + 3, Y - 1, X + 3, Y + 2);
      return;
    default:
      if (mark >= 52) {
        Character(c, mark, X, Y);
        return;
      }
      c->SetPixel(X, Y, c->GetPen()->GetColor());  // mark 0 and the unused ones
      return;
  }
}

}  // namespace

void DrawMarkOnCanvas(TCanvas* Canvas, uint8_t Mark, int X, int Y) {
  if (Canvas == nullptr) return;
  X = Near(X), Y = Near(Y);
  const TColor brush = Canvas->GetBrush()->GetColor();
  DrawMark(Canvas, Mark, X, Y);
  Canvas->GetBrush()->SetColor(brush);
}

std::unique_ptr<TBitmap> CreateMarkAsBitmap(uint8_t Mark, TColor MarkColor, TColor BkgColor,
                                            int Margin) {
  Margin = std::clamp(Margin, 0, 255);
  const int side = 2 * Margin + 7;
  auto bmp = std::make_unique<TBitmap>(side, side);
  TCanvas* c = bmp->GetCanvas();
  c->GetPen()->SetColor(BkgColor);
  c->GetBrush()->SetColor(BkgColor);
  c->GetBrush()->SetStyle(bsSolid);
  c->Rectangle(0, 0, side, side);
  c->GetPen()->SetColor(MarkColor);
  DrawMarkOnCanvas(c, Mark, Margin + 3, Margin + 3);
  return bmp;
}

void PrintBitmap(const TBitmap* Bitmap, int X, int Y) {
  // Outside a document there is no page to print on; drawing never raises.
  if (Bitmap == nullptr || !Printer().GetPrinting()) return;
  Printer().GetCanvas()->Draw(X, Y, Bitmap);
}

void SetCanvasFontSizeScaled(TCanvas* Canvas, int Size) {
  if (Canvas == nullptr) return;
  TFont* font = Canvas->GetFont();
  const int ppi = font->GetPixelsPerInch();
  font->SetPixelsPerInch(TFont::kScreenPixelsPerInch);
  font->SetSize(Size);
  font->SetPixelsPerInch(ppi);
}

bool FontIsTrueType(const std::string& FontName) {
  if (!FontInstalled(FontName)) throw ETKZError("Font \"" + FontName + "\" is not installed");
  return FontFileIsTrueType(FontFileFor(FontName, {}));
}

}  // namespace tkz
