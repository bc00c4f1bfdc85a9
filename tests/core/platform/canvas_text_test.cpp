// Text on the canvas against a reference drawn from the font service's mask:
// every case of the table is drawn with TextOut on a patterned picture and,
// for a clear brush, compared pixel for pixel with the whole (unclipped)
// RenderText mask blended in the font colour by the plain formula. Each case
// also has a checksum of the whole picture, taken from the canvas before its
// text path kept glyphs and blended them itself, so both brush modes stay as
// they were.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "core/platform/fonts.h"
#include "core/platform/graphics.h"

namespace tkz {
namespace {

constexpr int kW = 150, kH = 64;

void FillPattern(TBitmap& b) {
  for (int y = 0; y < b.GetHeight(); ++y)
    for (int x = 0; x < b.GetWidth(); ++x)
      b.ScanLine(y)[x] = static_cast<uint32_t>((x * 7) & 0xFF) |
                         (static_cast<uint32_t>((y * 13) & 0xFF) << 8) |
                         (static_cast<uint32_t>(((x + y) * 3) & 0xFF) << 16);
}

// d * (255 - c) + f * c over 255, rounded, channel by channel.
uint32_t Mix(uint32_t d, uint32_t f, int c) {
  uint32_t out = 0;
  for (int sh = 0; sh < 24; sh += 8) {
    const int dv = (d >> sh) & 0xFF, fv = (f >> sh) & 0xFF;
    out |= static_cast<uint32_t>((dv * (255 - c) + fv * c + 127) / 255) << sh;
  }
  return out;
}

uint64_t Hash(const TBitmap& b) {
  uint64_t h = 1469598103934665603ull;
  for (int y = 0; y < b.GetHeight(); ++y)
    for (int x = 0; x < b.GetWidth(); ++x) h = (h ^ b.ScanLine(y)[x]) * 1099511628211ull;
  return h;
}

struct Case {
  const char* text;
  int height;  // em pixels
  TFontStyles style;
  int orientation;
  int x, y;
  bool opaque;
  TColor ink, paper;
  uint64_t hash;
};

// Positions cover text inside the picture, cut by each of its four edges and
// wholly outside it; angles the quarter turns and odd ones.
// clang-format off
const Case kCases[] = {
    {"The quick brown fox", 11, {}, 0, 3, 4, false, clBlack, clWhite, 15037445458310525512ull},
    {"The quick brown fox", 11, {}, 0, 3, 4, true, clBlack, clWhite, 1860208859782276980ull},
    {"Wavy AVATAR fjord", 13, {fsBold}, 0, -9, 20, false, 0x2040C0, clWhite, 14263804437915222344ull},
    {"Wavy AVATAR fjord", 13, {fsItalic}, 0, 90, 40, true, 0x10A020, 0xC0F0F0, 8973640587056794100ull},
    {"ffi Tj; {[|]}", 20, {fsBold, fsItalic}, 0, 10, -8, false, 0x800080, clWhite, 17477859331444084290ull},
    {"ffi Tj; {[|]}", 20, {fsUnderline, fsStrikeOut}, 0, 20, 50, true, clNavy, clYellow, 14576943684595938736ull},
    {"\x01\x81\xE9\xFC\xDF\x80 ctl", 8, {}, 0, 2, 30, false, clRed, clWhite, 4796997212242238056ull},
    {"Tiny 1px", 1, {}, 0, 2, 2, false, clBlack, clWhite, 8792132549296686557ull},
    {"Up the side", 12, {fsUnderline}, 900, 10, 60, false, clBlack, clWhite, 4294602223855734902ull},
    {"Up the side", 12, {fsBold}, 900, 140, 30, true, 0x404040, 0x80FFFF, 16435480703970761325ull},
    {"Upside down", 14, {fsItalic}, 1800, 120, 30, false, clBlue, clWhite, 3169285160874615745ull},
    {"Down the side", 11, {fsStrikeOut}, 2700, 70, -20, true, clGreen, clSilver, 8484006811375439624ull},
    {"Slanted by 45", 12, {}, 450, 10, 60, false, clBlack, clWhite, 6888715205613993338ull},
    {"Slanted by 45", 12, {fsBold, fsUnderline}, 450, 60, 70, true, clMaroon, clWhite, 11790482573762304691ull},
    {"Thirty degrees", 10, {fsItalic}, 300, -5, 40, false, 0x0080FF, clWhite, 3820237280329545954ull},
    {"Minus 45 here", 16, {}, -450, 40, 0, true, clBlack, 0xE0E0FF, 7609581543750308473ull},
    {"Big", 48, {fsBold, fsUnderline}, 0, 100, 10, false, clTeal, clWhite, 2219095042452656446ull},
    {"Big turned", 40, {}, 1234, 60, 60, false, clBlack, clWhite, 1680337404090981682ull},
    {"far away", 11, {}, 0, -1000000, 5, true, clBlack, clRed, 7704198054182801667ull},
    {"far away", 11, {}, 300, 5, 1000000, false, clBlack, clWhite, 7704198054182801667ull},
};
// clang-format on

TEST(CanvasTextOracle, TextOutMatchesTheBlendedMaskAndItsChecksum) {
  // The second pass draws with the glyphs that the first one left behind.
  for (int pass = 0; pass < 2; ++pass) {
    int index = 0;
    for (const Case& k : kCases) {
      SCOPED_TRACE(testing::Message() << "pass " << pass << ", case " << index << " \"" << k.text
                                      << "\" at " << k.orientation);
      TBitmap bmp(kW, kH);
      FillPattern(bmp);
      TCanvas* c = bmp.GetCanvas();
      c->GetFont()->SetHeight(k.height);
      c->GetFont()->SetStyle(k.style);
      c->GetFont()->SetOrientation(k.orientation);
      c->GetFont()->SetColor(k.ink);
      c->GetBrush()->SetColor(k.paper);
      c->GetBrush()->SetStyle(k.opaque ? bsSolid : bsClear);
      c->TextOut(k.x, k.y, k.text);
      EXPECT_EQ(c->GetPenPos(), (TPoint{k.x + c->TextWidth(k.text), k.y}));
      if (!k.opaque) {
        TBitmap ref(kW, kH);
        FillPattern(ref);
        const TGlyphMask m = RenderText(*c->GetFont(), k.text);
        const uint32_t ink = static_cast<uint32_t>(ColorToRGB(k.ink));
        for (int my = 0; my < m.Height; ++my) {
          for (int mx = 0; mx < m.Width; ++mx) {
            const int64_t px = int64_t{k.x} + m.Left + mx, py = int64_t{k.y} + m.Top + my;
            if (px < 0 || py < 0 || px >= kW || py >= kH) continue;
            uint32_t& d = ref.ScanLine(static_cast<int>(py))[px];
            d = Mix(d, ink, m.Coverage[static_cast<size_t>(my) * m.Width + mx]);
          }
        }
        int differ = 0;
        for (int y = 0; y < kH; ++y)
          for (int x = 0; x < kW; ++x) differ += bmp.ScanLine(y)[x] != ref.ScanLine(y)[x];
        EXPECT_EQ(differ, 0);
      }
      EXPECT_EQ(Hash(bmp), k.hash) << "{" << index << ", " << Hash(bmp) << "ull}";
      ++index;
    }
  }
}

// Drawing the same text again, between other fonts and angles, gives the
// same pixels as the first time, whatever the service kept in between.
TEST(CanvasTextOracle, RepeatedTextIsDrawnAlike) {
  auto draw = [](int orientation, TFontStyles style) {
    TBitmap bmp(kW, kH);
    FillPattern(bmp);
    TCanvas* c = bmp.GetCanvas();
    c->GetBrush()->SetStyle(bsClear);
    c->GetFont()->SetStyle(style);
    c->GetFont()->SetOrientation(orientation);
    c->TextOut(20, 40, "Again and again 0123");
    return Hash(bmp);
  };
  for (int orientation : {0, 900, 300, 2250}) {
    for (TFontStyles style : {TFontStyles{}, TFontStyles{fsBold, fsItalic}}) {
      const uint64_t first = draw(orientation, style);
      draw((orientation + 450) % 3600, {});
      draw(orientation, {fsUnderline});
      EXPECT_EQ(draw(orientation, style), first) << orientation;
    }
  }
}

}  // namespace
}  // namespace tkz
