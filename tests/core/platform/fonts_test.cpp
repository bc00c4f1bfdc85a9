#include "core/platform/fonts.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <string>

namespace tkz {
namespace {

TFont Font(int size, TFontStyles style = {}, int orientation = 0,
           const std::string& name = "DejaVu Sans", int pixelsPerInch = 96) {
  TFont f;
  f.SetName(name);
  f.SetPixelsPerInch(pixelsPerInch);
  f.SetSize(size);
  f.SetStyle(style);
  f.SetOrientation(orientation);
  return f;
}

uint8_t At(const TGlyphMask& m, int x, int y) {  // x, y relative to the reference point
  const int cx = x - m.Left, cy = y - m.Top;
  if (cx < 0 || cy < 0 || cx >= m.Width || cy >= m.Height) return 0;
  return m.Coverage[static_cast<size_t>(cy) * m.Width + cx];
}

long InkSum(const TGlyphMask& m) {
  long sum = 0;
  for (uint8_t v : m.Coverage) sum += v;
  return sum;
}

// Rows (relative to the reference point) holding any ink, and the columns.
struct InkBox {
  int left = 1 << 30, top = 1 << 30, right = -(1 << 30), bottom = -(1 << 30);
};
InkBox InkOf(const TGlyphMask& m, int threshold = 1) {
  InkBox b;
  for (int y = 0; y < m.Height; ++y) {
    for (int x = 0; x < m.Width; ++x) {
      if (m.Coverage[static_cast<size_t>(y) * m.Width + x] < threshold) continue;
      b.left = std::min(b.left, x + m.Left), b.right = std::max(b.right, x + m.Left + 1);
      b.top = std::min(b.top, y + m.Top), b.bottom = std::max(b.bottom, y + m.Top + 1);
    }
  }
  return b;
}

// ------------------------------------------------------------ finding fonts

TEST(FontFinding, FamiliesAreSortedUniqueAndHoldDejaVu) {
  const auto families = InstalledFontFamilies();
  EXPECT_TRUE(std::is_sorted(families.begin(), families.end()));
  EXPECT_EQ(std::adjacent_find(families.begin(), families.end()), families.end());
  EXPECT_NE(std::find(families.begin(), families.end(), "DejaVu Sans"), families.end());
  EXPECT_NE(std::find(families.begin(), families.end(), "DejaVu Sans Mono"), families.end());
}

TEST(FontFinding, InstalledIgnoresCaseAndKnowsNoStrangers) {
  EXPECT_TRUE(FontInstalled("DejaVu Sans"));
  EXPECT_TRUE(FontInstalled("dejavu sans"));
  EXPECT_TRUE(FontInstalled("DEJAVU SERIF"));
  EXPECT_FALSE(FontInstalled("No Such Font Anywhere"));
  EXPECT_FALSE(FontInstalled(""));
  EXPECT_FALSE(FontInstalled("DejaVu"));  // a prefix is not a family
}

TEST(FontFinding, UnknownNamesFallBackToDejaVuSans) {
  const std::string sans = FontFileFor("DejaVu Sans", {});
  ASSERT_FALSE(sans.empty());
  EXPECT_NE(sans.find("DejaVuSans.ttf"), std::string::npos) << sans;
  EXPECT_EQ(FontFileFor("No Such Font Anywhere", {}), sans);
  EXPECT_EQ(FontFileFor("", {}), sans);
  EXPECT_EQ(FontFileFor("dejavu sans", {}), sans);
  EXPECT_EQ(FontFileFor("No Such Font Anywhere", {fsBold}), FontFileFor("DejaVu Sans", {fsBold}));
  EXPECT_NE(FontFileFor("DejaVu Sans Mono", {}), sans);
  // Underline and strike-out are bars; they choose no other face.
  EXPECT_EQ(FontFileFor("DejaVu Sans", {fsUnderline, fsStrikeOut}), sans);
}

TEST(FontFinding, StylesChooseFacesOrAreSynthesised) {
  const TFontFace regular = FindFontFace("DejaVu Sans", {});
  const TFontFace bold = FindFontFace("DejaVu Sans", {fsBold});
  const TFontFace italic = FindFontFace("DejaVu Sans", {fsItalic});
  EXPECT_FALSE(regular.Bold);
  EXPECT_FALSE(regular.Italic);
  EXPECT_TRUE(bold.Bold);  // fonts-dejavu-core has DejaVuSans-Bold
  EXPECT_NE(bold.FileName, regular.FileName);
  if (italic.Italic) {
    EXPECT_NE(italic.FileName, regular.FileName);
  } else {  // no oblique face installed: the regular one, slanted when drawn
    EXPECT_EQ(italic.FileName, regular.FileName);
  }
  EXPECT_EQ(FontFileFor("DejaVu Sans", {fsBold}), bold.FileName);
}

TEST(FontFinding, TrueTypeOutlinesAreRecognised) {
  EXPECT_TRUE(FontFileIsTrueType(FontFileFor("DejaVu Sans", {})));
  EXPECT_TRUE(FontFileIsTrueType(FontFileFor("DejaVu Serif", {fsBold})));
  EXPECT_FALSE(FontFileIsTrueType(""));
  EXPECT_FALSE(FontFileIsTrueType("/no/such/dir/font.ttf"));
  const std::string junk = testing::TempDir() + "fonts_test_not_a_font.ttf";
  std::ofstream(junk, std::ios::binary) << "this is not a font file at all\n";
  EXPECT_FALSE(FontFileIsTrueType(junk));
  std::remove(junk.c_str());
}

TEST(FontFinding, Cp1252BytesMapToUnicode) {
  EXPECT_EQ(Cp1252ToUnicode('A'), U'A');
  EXPECT_EQ(Cp1252ToUnicode(0x80), U'\u20AC');
  EXPECT_EQ(Cp1252ToUnicode(0x9F), U'\u0178');
  EXPECT_EQ(Cp1252ToUnicode(0x81), char32_t{0x81});
  EXPECT_EQ(Cp1252ToUnicode(0xE9), U'\u00E9');
}

// ------------------------------------------------------------------ metrics

TEST(FontMetrics, DejaVuSansAtEightPoints) {
  // em 11 px; DejaVu Sans has 2048 units, ascender 1901, descender 483.
  const TFontMetrics m = GetFontMetrics(Font(8));
  EXPECT_EQ(m.Ascent, 11);  // ceil(10.21)
  EXPECT_EQ(m.Descent, 3);  // ceil(2.59)
  EXPECT_EQ(m.Height, 14);
  EXPECT_EQ(m.InternalLeading, 3);
  EXPECT_EQ(m.AveCharWidth, MeasureText(Font(8), "x"));
  EXPECT_GT(m.AveCharWidth, 3);
  EXPECT_LT(m.AveCharWidth, 11);
}

TEST(FontMetrics, GrowWithSizeAndResolution) {
  TFontMetrics prev;
  for (int size = 4; size <= 96; size += 2) {
    const TFontMetrics m = GetFontMetrics(Font(size));
    EXPECT_EQ(m.Height, m.Ascent + m.Descent);
    EXPECT_EQ(m.Height - m.InternalLeading, Font(size).GetHeight());
    EXPECT_GT(m.Height, prev.Height) << size;
    EXPECT_GE(m.Ascent, prev.Ascent) << size;
    EXPECT_GE(m.AveCharWidth, prev.AveCharWidth) << size;
    prev = m;
  }
  for (int size : {8, 10, 12, 17}) {
    TFont screen = Font(size), fine = Font(size, {}, 0, "DejaVu Sans", 192);
    const TFontMetrics a = GetFontMetrics(screen), b = GetFontMetrics(fine);
    EXPECT_NEAR(b.Height - b.InternalLeading, 2 * (a.Height - a.InternalLeading), 1) << size;
    EXPECT_NEAR(b.Ascent, 2 * a.Ascent, 2) << size;
    EXPECT_NEAR(MeasureText(fine, "Hello"), 2 * MeasureText(screen, "Hello"), 5) << size;
  }
}

TEST(FontMetrics, HugeSizesAreHeldToTheLargestEm) {
  TFont big = Font(8);
  big.SetHeight(kMaxEmPixels);
  TFont bigger = Font(1638);
  TFont dense = Font(200, {}, 0, "DejaVu Sans", 5000);
  const TFontMetrics a = GetFontMetrics(big);
  EXPECT_EQ(a.Height - a.InternalLeading, kMaxEmPixels);
  for (const TFont& f : {bigger, dense}) {
    const TFontMetrics b = GetFontMetrics(f);
    EXPECT_EQ(b.Height, a.Height);
    EXPECT_EQ(b.Ascent, a.Ascent);
    EXPECT_EQ(MeasureText(f, "Wg"), MeasureText(big, "Wg"));
  }
}

// ---------------------------------------------------------------- measuring

TEST(MeasureText, SumsWholePixelAdvances) {
  const TFont f = Font(8);
  EXPECT_EQ(MeasureText(f, ""), 0);
  const std::string samples[] = {"ab", "Hello", "Hello, World!", "iiiWWW", "\xE9t\xE9 \x80 5"};
  for (const std::string& s : samples) {
    int sum = 0;
    for (char c : s) sum += MeasureText(f, std::string(1, c));
    EXPECT_EQ(MeasureText(f, s), sum) << s;
  }
  EXPECT_LT(MeasureText(f, "iiii"), MeasureText(f, "WWWW"));
  EXPECT_EQ(MeasureText(Font(8, {}, 0, "DejaVu Sans Mono"), "iiii"),
            MeasureText(Font(8, {}, 0, "DejaVu Sans Mono"), "WWWW"));
  // Bold is wider; underline, strike-out and turning change nothing.
  EXPECT_GT(MeasureText(Font(20, {fsBold}), "Hello"), MeasureText(Font(20), "Hello"));
  EXPECT_EQ(MeasureText(Font(8, {fsUnderline, fsStrikeOut}), "Hello"), MeasureText(f, "Hello"));
  EXPECT_EQ(MeasureText(Font(8, {}, 450), "Hello"), MeasureText(f, "Hello"));
}

TEST(MeasureText, ControlAndUndefinedBytesTakeTheMissingGlyphBox) {
  const TFont f = Font(12);
  const int box = MeasureText(f, std::string(1, '\x01'));
  EXPECT_GT(box, 0);
  for (char c : {'\0', '\t', '\r', '\x7F', '\x81', '\x8D', '\x8F', '\x90', '\x9D'}) {
    EXPECT_EQ(MeasureText(f, std::string(1, c)), box) << int(static_cast<unsigned char>(c));
  }
  const std::string withNul("a\0b", 3);
  EXPECT_EQ(MeasureText(f, withNul), MeasureText(f, "a") + box + MeasureText(f, "b"));
  const TGlyphMask m = RenderText(f, std::string(1, '\x81'));
  EXPECT_GT(InkSum(m), 0);  // a visible box, not nothing
}

TEST(MeasureText, SaturatesInsteadOfOverflowing) {
  TFont f = Font(8);
  f.SetHeight(kMaxEmPixels);
  const std::string longText(2'000'000, 'W');
  EXPECT_EQ(MeasureText(f, longText), INT32_MAX);
}

// ---------------------------------------------------------------- rendering

TEST(RenderText, EmptyTextGivesAnEmptyMask) {
  const TGlyphMask m = RenderText(Font(8, {fsUnderline}), "");
  EXPECT_EQ(m.Width, 0);
  EXPECT_EQ(m.Height, 0);
  EXPECT_TRUE(m.Coverage.empty());
  EXPECT_EQ(RenderText(Font(8), " ").Width, 0);  // a space has no ink
}

TEST(RenderText, StemOfCapitalIStandsOnTheBaseline) {
  const TFont f = Font(30);  // em 40
  const TFontMetrics fm = GetFontMetrics(f);
  const TGlyphMask m = RenderText(f, "I");
  ASSERT_EQ(m.Coverage.size(), static_cast<size_t>(m.Width) * m.Height);
  const InkBox full = InkOf(m, 255);
  const int stem = full.right - full.left;
  EXPECT_GE(stem, 3);
  EXPECT_LE(stem, 7);
  EXPECT_GE(full.left, 0);
  EXPECT_LE(full.right, MeasureText(f, "I"));
  // DejaVu's capitals are 1493 units of 2048 high: 29 px at em 40.
  EXPECT_EQ(full.bottom, fm.Ascent);
  EXPECT_NEAR(full.top, fm.Ascent - 29, 1);
  const InkBox any = InkOf(m);
  EXPECT_GE(any.top, full.top - 1);
  EXPECT_LE(any.bottom, fm.Ascent + 1);
  // Every row of the stem is fully covered in the same columns.
  for (int y = full.top; y < full.bottom; ++y) {
    for (int x = full.left; x < full.right; ++x) EXPECT_EQ(At(m, x, y), 255) << x << "," << y;
  }
}

TEST(RenderText, UnderscoreAndUnderlineLieBelowTheBaseline) {
  for (int size : {8, 12, 30}) {
    const TFont f = Font(size);
    const TFontMetrics fm = GetFontMetrics(f);
    const InkBox low = InkOf(RenderText(f, "_"));
    EXPECT_GE(low.top, fm.Ascent) << size;
    EXPECT_LE(low.bottom, fm.Height + 1) << size;

    // The underline is a full bar across exactly the advance width, inside the cell.
    const int width = MeasureText(Font(size, {fsUnderline}), "Hello");
    const TGlyphMask plain = RenderText(f, "Hello");
    const TGlyphMask lined = RenderText(Font(size, {fsUnderline}), "Hello");
    EXPECT_GT(InkSum(lined), InkSum(plain));
    int barRows = 0;
    for (int y = lined.Top; y < lined.Top + lined.Height; ++y) {
      if (At(lined, 0, y) != 255 || At(lined, width - 1, y) != 255) continue;
      ++barRows;
      EXPECT_GE(y, fm.Ascent) << size;
      EXPECT_LT(y, fm.Height) << size;
      EXPECT_EQ(At(lined, -1, y), 0);
      EXPECT_EQ(At(lined, width, y), 0);
      for (int x = 0; x < width; ++x) ASSERT_EQ(At(lined, x, y), 255) << size << ":" << x;
    }
    EXPECT_GE(barRows, 1) << size;
  }
}

TEST(RenderText, StrikeOutCrossesAtHalfTheXHeight) {
  const TFont f = Font(30, {fsStrikeOut});
  const TFontMetrics fm = GetFontMetrics(f);
  const TGlyphMask m = RenderText(f, "___");  // no ink of its own above the baseline
  const int width = MeasureText(f, "___");
  int rows = 0;
  for (int y = 0; y < fm.Ascent; ++y) {
    if (At(m, 0, y) == 255 && At(m, width - 1, y) == 255) {
      ++rows;
      // DejaVu's x-height is 1120 units: 22 px at em 40, half of it 11.
      EXPECT_NEAR(fm.Ascent - y, 11, 2) << y;
    }
  }
  EXPECT_GE(rows, 1);
  EXPECT_LE(rows, 3);
}

TEST(RenderText, MaskAdvanceMatchesMeasure) {
  // Glyphs sit at the summed whole-pixel advances: "ab" rendered equals "a"
  // and "b" rendered separately, "b" moved by the width of "a".
  const TFont f = Font(14);
  const TGlyphMask ab = RenderText(f, "lb"), a = RenderText(f, "l"), b = RenderText(f, "b");
  const int shift = MeasureText(f, "l");
  for (int y = ab.Top; y < ab.Top + ab.Height; ++y) {
    for (int x = ab.Left; x < ab.Left + ab.Width; ++x) {
      EXPECT_EQ(At(ab, x, y), std::max(At(a, x, y), At(b, x - shift, y))) << x << "," << y;
    }
  }
}

TEST(RenderText, WindowsAnsiBytesDrawTheirCharacters) {
  const TFont f = Font(20);
  const TGlyphMask e = RenderText(f, "e"), eAcute = RenderText(f, "\xE9");
  EXPECT_NE(e.Coverage, eAcute.Coverage);
  EXPECT_LT(InkOf(eAcute).top, InkOf(e).top - 2);  // the accent rises above the x-height
  EXPECT_EQ(InkOf(eAcute).bottom, InkOf(e).bottom);
  // The euro sign (0x80) is a glyph of the face, not the missing-glyph box.
  EXPECT_NE(RenderText(f, "\x80").Coverage, RenderText(f, "\x01").Coverage);
}

TEST(RenderText, StylesChangeTheInk) {
  const TGlyphMask regular = RenderText(Font(20), "Hello");
  const TGlyphMask bold = RenderText(Font(20, {fsBold}), "Hello");
  const TGlyphMask italic = RenderText(Font(20, {fsItalic}), "Hello");
  EXPECT_GT(InkSum(bold), InkSum(regular) * 5 / 4);
  EXPECT_NE(italic.Coverage, regular.Coverage);
  // Leaning to the right: the top of the H lies further right than its foot.
  const TFontMetrics fm = GetFontMetrics(Font(20, {fsItalic}));
  auto firstInk = [](const TGlyphMask& m, int y) {
    for (int x = m.Left; x < m.Left + m.Width; ++x) {
      if (At(m, x, y) >= 128) return x;
    }
    return 1 << 30;
  };
  EXPECT_GT(firstInk(italic, fm.Ascent - 18), firstInk(italic, fm.Ascent - 2) + 1);
  EXPECT_EQ(firstInk(regular, fm.Ascent - 18), firstInk(regular, fm.Ascent - 2));
}

TEST(RenderText, MissingStylesAreSynthesised) {
  // DejaVu Math TeX Gyre has a regular face only (not part of fonts-dejavu-core).
  const std::string math = "DejaVu Math TeX Gyre";
  if (!FontInstalled(math)) GTEST_SKIP() << math << " is not installed";
  const TFontFace face = FindFontFace(math, {fsBold, fsItalic});
  EXPECT_FALSE(face.Bold);
  EXPECT_FALSE(face.Italic);
  EXPECT_EQ(face.FileName, FontFileFor(math, {}));
  const TFont regular = Font(20, {}, 0, math), bold = Font(20, {fsBold}, 0, math);
  // Thickened glyphs are one pixel wider each (strength em/24, at least one pixel).
  EXPECT_EQ(MeasureText(bold, "Hello"), MeasureText(regular, "Hello") + 5);
  EXPECT_GT(InkSum(RenderText(bold, "Hello")), InkSum(RenderText(regular, "Hello")) * 6 / 5);
  const TGlyphMask slanted = RenderText(Font(20, {fsItalic}, 0, math), "l");
  const TGlyphMask upright = RenderText(regular, "l");
  EXPECT_EQ(MeasureText(Font(20, {fsItalic}, 0, math), "l"), MeasureText(regular, "l"));
  // The top of the stem leans to the right of its foot.
  const InkBox top = InkOf(slanted, 128), upTop = InkOf(upright, 128);
  EXPECT_GT(top.right, upTop.right);
  EXPECT_NEAR(static_cast<double>(InkSum(slanted)), InkSum(upright), InkSum(upright) * 0.1);
  EXPECT_NE(slanted.Coverage, upright.Coverage);
}

TEST(RenderText, SameCallGivesTheSameMask) {
  for (int orientation : {0, 900, 300}) {
    const TFont f = Font(11, {fsUnderline}, orientation);
    const TGlyphMask a = RenderText(f, "Repeat me, please");
    GetFontMetrics(Font(40, {fsBold}));  // another font in between
    RenderText(Font(40, {fsBold}), "Other text");
    const TGlyphMask b = RenderText(f, "Repeat me, please");
    EXPECT_EQ(a.Left, b.Left);
    EXPECT_EQ(a.Top, b.Top);
    EXPECT_EQ(a.Width, b.Width);
    EXPECT_EQ(a.Height, b.Height);
    EXPECT_EQ(a.Coverage, b.Coverage) << orientation;
  }
}

TEST(RenderText, GoldenHelloWorld) {
  // The exact mask on this machine's FreeType and DejaVu Sans; an intended
  // change of the rendering updates these numbers.
  const TGlyphMask m = RenderText(Font(8, {fsUnderline}), "Hello, World");
  uint32_t hash = 2166136261u;
  for (uint8_t v : m.Coverage) hash = (hash ^ v) * 16777619u;
  EXPECT_EQ(m.Left, 0);
  EXPECT_EQ(m.Top, 2);                                       // the tops of "l" and "d"
  EXPECT_EQ(m.Width, MeasureText(Font(8), "Hello, World"));  // the underline's length
  EXPECT_EQ(m.Width, 69);
  EXPECT_EQ(m.Height, 10);  // down to the underline in the row under the baseline
  EXPECT_EQ(hash, 3901888209u);
}

// ------------------------------------------------------------------ turning

// The mask of unturned text, turned by quarter turns q (counter-clockwise).
uint8_t TurnedAt(const TGlyphMask& plain, int q, int x, int y) {
  switch (q) {
    case 1:
      return At(plain, -y - 1, x);
    case 2:
      return At(plain, -x - 1, -y - 1);
    case 3:
      return At(plain, y, -x - 1);
    default:
      return At(plain, x, y);
  }
}

TEST(TurnedText, QuarterTurnsTurnTheMask) {
  const TFont f = Font(16, {fsUnderline, fsStrikeOut});
  const TGlyphMask plain = RenderText(f, "Turn 90!");
  for (int q = 1; q <= 3; ++q) {
    const TGlyphMask turned = RenderText(Font(16, {fsUnderline, fsStrikeOut}, q * 900), "Turn 90!");
    EXPECT_EQ(InkSum(turned) > 0, true);
    if (q == 2) {
      EXPECT_EQ(turned.Width, plain.Width);
      EXPECT_EQ(turned.Height, plain.Height);
    } else {
      EXPECT_EQ(turned.Width, plain.Height);
      EXPECT_EQ(turned.Height, plain.Width);
    }
    // The rasteriser rounds coverage a little differently across and along
    // its scan lines; nothing more may differ.
    int worst = 0;
    long total = 0;
    for (int y = turned.Top - 1; y <= turned.Top + turned.Height; ++y) {
      for (int x = turned.Left - 1; x <= turned.Left + turned.Width; ++x) {
        const int d = std::abs(At(turned, x, y) - TurnedAt(plain, q, x, y));
        worst = std::max(worst, d);
        total += d;
      }
    }
    EXPECT_LE(worst, 16) << q;
    EXPECT_LT(total, InkSum(plain) / 200) << q;
  }
  // At 90 degrees the text runs upwards from the reference point.
  const TGlyphMask up = RenderText(Font(16, {}, 900), "Turn 90!");
  EXPECT_LE(up.Top + up.Height, 1);
  EXPECT_GE(up.Left, 0);
  EXPECT_NEAR(up.Height, MeasureText(f, "Turn 90!"), 2);
}

TEST(TurnedText, OddAnglesKeepTheInkAndTheDirection) {
  const TFont plainFont = Font(16);
  const long plainInk = InkSum(RenderText(plainFont, "Slanted line"));
  const int width = MeasureText(plainFont, "Slanted line");
  const int height = GetFontMetrics(plainFont).Height;
  for (int orientation : {300, 450, 1350, 2250, 3300}) {
    const TFont f = Font(16, {}, orientation);
    const TGlyphMask m = RenderText(f, "Slanted line");
    EXPECT_NEAR(static_cast<double>(InkSum(m)), plainInk, plainInk * 0.08) << orientation;
    // The end of the baseline lies along the turned direction.
    const double a = orientation * 3.14159265358979 / 1800;
    const double endX = width * std::cos(a) + height / 2.0 * std::sin(a);
    const double endY = -width * std::sin(a) + height / 2.0 * std::cos(a);
    const InkBox b = InkOf(m);
    EXPECT_LE(b.left, std::min(0.0, endX) + height);
    EXPECT_GE(b.right, std::max(0.0, endX) - height);
    EXPECT_LE(b.top, std::min(0.0, endY) + height);
    EXPECT_GE(b.bottom, std::max(0.0, endY) - height);
    EXPECT_LE(m.Width, std::abs(width * std::cos(a)) + std::abs(height * std::sin(a)) + 8);
    EXPECT_LE(m.Height, std::abs(width * std::sin(a)) + std::abs(height * std::cos(a)) + 8);
  }
}

// ------------------------------------------------------------------- limits

TEST(RenderLimits, ClippedMasksAreTheCutOfTheWhole) {
  for (int orientation : {0, 900, 450}) {
    const TFont f = Font(12, {fsUnderline}, orientation);
    const TGlyphMask whole = RenderText(f, "Clip me somewhere");
    const TRect clip = Rect(whole.Left + 7, whole.Top + 3, whole.Left + 40, whole.Top + 20);
    const TGlyphMask part = RenderText(f, "Clip me somewhere", clip);
    EXPECT_GE(part.Left, clip.Left);
    EXPECT_GE(part.Top, clip.Top);
    EXPECT_LE(part.Left + part.Width, clip.Right);
    EXPECT_LE(part.Top + part.Height, clip.Bottom);
    for (int y = clip.Top; y < clip.Bottom; ++y) {
      for (int x = clip.Left; x < clip.Right; ++x) {
        ASSERT_EQ(At(part, x, y), At(whole, x, y)) << orientation << ": " << x << "," << y;
      }
    }
  }
  EXPECT_EQ(RenderText(Font(12), "Far away", Rect(5000, 5000, 5100, 5100)).Width, 0);
  EXPECT_EQ(RenderText(Font(12), "Empty clip", Rect(10, 10, 10, 40)).Width, 0);
}

TEST(RenderLimits, EmptyingTheGlyphCacheMidTextKeepsItsGlyphs) {
  // 62 glyphs at an em of 1000 px take about 22 MB (turned by a degree, at
  // 700 px about 25 MB); two such strikes overflow the 32 MB glyph cache while
  // the second text is being put together. The bands cross every glyph's
  // cell, so all are rendered while the masks stay small.
  struct Case {
    int orientation, em;
    TRect band;
    long minInk;
  };
  const std::string abc = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  for (const Case& k : {Case{0, 1000, Rect(0, 700, 40000, 704), 4 * 255 * 62},
                        Case{10, 700, Rect(0, 300, 30000, 304), 4 * 255 * 20}}) {
    TFont a = Font(8, {}, k.orientation), b = Font(8, {}, k.orientation);
    a.SetHeight(k.em);
    b.SetHeight(k.em - 1);
    RenderText(a, abc, k.band);
    const TGlyphMask first = RenderText(b, abc, k.band);
    const TGlyphMask again = RenderText(b, abc, k.band);
    EXPECT_GT(InkSum(first), k.minInk) << k.orientation;
    EXPECT_EQ(first.Left, again.Left);
    EXPECT_EQ(first.Width, again.Width);
    EXPECT_EQ(first.Coverage, again.Coverage) << k.orientation;
  }
}

TEST(RenderLimits, HugeMasksAreRefusedUnlessClipped) {
  TFont f = Font(8);
  f.SetHeight(kMaxEmPixels);
  const std::string text(20'000, 'W');
  EXPECT_THROW(RenderText(f, text), EInvalidGraphic);
  const TGlyphMask part = RenderText(f, text, Rect(0, 1000, 300, 1200));
  EXPECT_GT(part.Width, 0);
  EXPECT_LE(part.Width, 300);
  EXPECT_LE(part.Height, 200);
  // Text whose underline runs billions of pixels, turned, cut to a small clip.
  TFont turned = Font(8, {fsUnderline}, 3300);
  turned.SetHeight(kMaxEmPixels);
  const std::string endless(1'200'000, 'W');
  ASSERT_EQ(MeasureText(turned, endless), INT32_MAX);
  const TGlyphMask start = RenderText(turned, endless, Rect(0, 0, 3000, 3000));
  EXPECT_GT(InkSum(start), 0);
  EXPECT_LE(start.Left + start.Width, 3000);
  EXPECT_LE(start.Top + start.Height, 3000);
  // A large font with short text still renders whole.
  const TGlyphMask big = RenderText(f, "W");
  EXPECT_GT(big.Width, kMaxEmPixels / 2);
  EXPECT_LT(big.Height, 2 * kMaxEmPixels);
}

}  // namespace
}  // namespace tkz
