// Landmark symbols drawn on a bitmap, and the symbol repository with its
// file.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "core/platform/imagefile.h"
#include "geo/geomap.h"
#include "support/temp_dir.h"

namespace tkz {
namespace {

constexpr TColor kF = 0x000000;  // line colour
constexpr TColor kB = 0x0000FF;  // fill colour
constexpr TColor kW = 0xFFFFFF;  // the background
constexpr int kC = 30;           // centre of the test bitmap

struct Drawn {
  std::unique_ptr<TBitmap> own = std::make_unique<TBitmap>(61, 61);
  TBitmap& bmp = *own;
  TColor At(int dx, int dy) const { return static_cast<TColor>(bmp.ScanLine(kC + dy)[kC + dx]); }
  // The box around every pixel that is not white, relative to the centre.
  TRect Extent() const {
    TRect r{1000, 1000, -1000, -1000};
    for (int y = 0; y < bmp.GetHeight(); ++y)
      for (int x = 0; x < bmp.GetWidth(); ++x)
        if (static_cast<TColor>(bmp.ScanLine(y)[x]) != kW) {
          r.Left = std::min(r.Left, x - kC), r.Top = std::min(r.Top, y - kC);
          r.Right = std::max(r.Right, x - kC), r.Bottom = std::max(r.Bottom, y - kC);
        }
    return r;
  }
  bool Has(TColor c) const {
    for (int y = 0; y < bmp.GetHeight(); ++y)
      for (int x = 0; x < bmp.GetWidth(); ++x)
        if (static_cast<TColor>(bmp.ScanLine(y)[x]) == c) return true;
    return false;
  }
};

Drawn Draw(TLandMarkElement e, bool transparent, int size = 5, int dir = 0, int length = 20) {
  Drawn d;
  DrawLandMarkSymbolOnCanvas(d.bmp.GetCanvas(), kC, kC, e, kF, kB, size, dir, length, transparent);
  return d;
}

struct Probe {
  int dx, dy;
  TColor c;
};

// Size 5: extent, whether the fill colour shows, and sample pixels.
TEST(LandMarkSymbols, EachElementCoversItsPixels) {
  struct Case {
    const char* name;
    TLandMarkElement e;
    bool transparent;
    TRect extent;  // inclusive, relative to the centre
    bool fill;
    std::vector<Probe> probes;
  };
  const Case cases[] = {
      {"plus",
       lmPlus,
       false,
       {-6, -6, 6, 6},
       true,
       {{0, -5, kF}, {0, 5, kF}, {-5, 0, kF}, {5, 0, kF}, {1, 3, kB}, {0, 6, kB}, {2, 2, kW}}},
      {"plus, transparent", lmPlus, true, {-5, -5, 5, 5}, false, {{0, 5, kF}, {1, 3, kW}}},
      {"square",
       lmSquare,
       false,
       {-5, -5, 5, 5},
       true,
       {{-5, 0, kB}, {5, 5, kB}, {-4, 0, kF}, {4, 4, kF}, {0, 0, kB}, {3, 3, kB}}},
      {"square, transparent",
       lmSquare,
       true,
       {-5, -5, 5, 5},
       false,
       {{-5, 0, kF}, {5, 5, kF}, {-4, 0, kW}, {0, 0, kW}}},
      {"circle",
       lmCircle,
       false,
       {-5, -5, 5, 5},
       true,
       {{5, 0, kF}, {0, -5, kF}, {0, 0, kB}, {5, 5, kW}}},
      {"circle, transparent", lmCircle, true, {-5, -5, 5, 5}, false, {{-5, 0, kF}, {0, 0, kW}}},
      {"crossbox",
       lmCrossBox,
       false,
       {-5, -5, 5, 5},
       true,
       {{-5, 0, kB}, {-4, 0, kF}, {0, 0, kF}, {2, -2, kF}, {2, 0, kB}}},
      {"crossbox, transparent",
       lmCrossBox,
       true,
       {-5, -5, 5, 5},
       false,
       {{-5, -5, kF}, {3, 3, kF}, {-3, 3, kF}, {2, 0, kW}}},
      {"spade",
       lmSpade,
       false,
       {-5, -5, 5, 5},
       true,
       {{0, -5, kF}, {5, 0, kF}, {0, 5, kF}, {-5, 0, kF}, {0, 0, kB}, {4, -4, kW}}},
      {"spade, transparent", lmSpade, true, {-5, -5, 5, 5}, false, {{0, 0, kW}, {0, 5, kF}}},
      {"cross",
       lmCross,
       false,
       {-6, -6, 6, 6},
       true,
       {{-5, -5, kF}, {5, 5, kF}, {5, -5, kF}, {0, 0, kF}, {1, 0, kB}, {-6, -5, kB}, {0, 3, kW}}},
      {"cross, transparent", lmCross, true, {-5, -5, 5, 5}, false, {{-5, 5, kF}, {1, 0, kW}}},
      {"user-defined", lmUserDef, false, {1000, 1000, -1000, -1000}, false, {}},
      {"unknown element",
       static_cast<TLandMarkElement>(42),
       false,
       {-4, -4, 4, 4},
       false,
       {{-4, 0, kF}, {4, 0, kF}, {0, -4, kF}, {0, 4, kF}, {1, 1, kW}}},
  };
  for (const Case& c : cases) {
    const Drawn d = Draw(c.e, c.transparent);
    const TRect x = d.Extent();
    EXPECT_EQ((std::vector<int>{x.Left, x.Top, x.Right, x.Bottom}),
              (std::vector<int>{c.extent.Left, c.extent.Top, c.extent.Right, c.extent.Bottom}))
        << c.name;
    EXPECT_EQ(d.Has(kB), c.fill) << c.name;
    for (const Probe& p : c.probes)
      EXPECT_EQ(d.At(p.dx, p.dy), p.c) << c.name << " at " << p.dx << "," << p.dy;
  }
}

// Point at distance r in direction dir (degrees clockwise from north, y down).
TPoint Toward(int dir, double r) {
  const double t = dir * 3.14159265358979323846 / 180;
  return {static_cast<int>(std::lround(r * std::sin(t))),
          static_cast<int>(std::lround(-r * std::cos(t)))};
}

TEST(LandMarkSymbols, TriangleAndArrowsPointTheirWay) {
  for (const int dir : {0, 45, 90, 135, 180, 225, 270, 300}) {
    for (const bool transparent : {false, true}) {
      SCOPED_TRACE(testing::Message()
                   << "direction " << dir << (transparent ? " transparent" : ""));
      const TColor inside = transparent ? kW : kB;
      const TColor inHead = transparent ? kF : kB;  // the shaft shows in an open head
      {
        const Drawn d = Draw(lmTriangle, transparent, 10, dir);
        const TPoint tip = Toward(dir, 10), back = Toward(dir + 180, 10);
        EXPECT_EQ(d.At(tip.X, tip.Y), kF);
        EXPECT_EQ(d.At(back.X, back.Y), kW);  // a side's midpoint is only 5 away
        EXPECT_EQ(d.At(0, 0), inside);
      }
      {
        // From the landmark outwards: the head at the far end.
        const Drawn d = Draw(lmArrowFrom, transparent, 10, dir, 24);
        const TPoint tip = Toward(dir, 24), head = Toward(dir, 19), mid = Toward(dir, 10);
        const TPoint behind = Toward(dir + 180, 3);
        EXPECT_EQ(d.At(0, 0), kF);
        EXPECT_EQ(d.At(tip.X, tip.Y), kF);
        EXPECT_EQ(d.At(mid.X, mid.Y), kF);
        EXPECT_EQ(d.At(behind.X, behind.Y), kW);
        if (dir % 90 == 0) {
          EXPECT_EQ(d.At(head.X, head.Y), inHead);
        }
      }
      {
        // Towards the landmark: the head at the centre, the shaft out in dir.
        const Drawn d = Draw(lmArrowTo, transparent, 10, dir, 24);
        const TPoint far = Toward(dir, 24), head = Toward(dir, 5), behind = Toward(dir + 180, 3);
        EXPECT_EQ(d.At(0, 0), kF);
        EXPECT_EQ(d.At(far.X, far.Y), kF);
        EXPECT_EQ(d.At(behind.X, behind.Y), kW);
        if (dir % 90 == 0) {
          EXPECT_EQ(d.At(head.X, head.Y), inHead);
        }
      }
    }
  }
}

// Values from a damaged file: nothing overflows, and what lies on the
// bitmap is drawn as for a large symbol.
TEST(LandMarkSymbols, ExtremeArgumentsAreSafe) {
  for (int e = lmPlus; e <= lmUserDef + 1; ++e)
    for (const int v : {INT32_MIN, -100000, 100000, INT32_MAX}) {
      TBitmap bmp(40, 40);
      const auto el = static_cast<TLandMarkElement>(e);
      DrawLandMarkSymbolOnCanvas(bmp.GetCanvas(), v, 20, el, kF, kB, 5, 0, 5, false);
      DrawLandMarkSymbolOnCanvas(bmp.GetCanvas(), 20, 20, el, kF, kB, v, v, v, false);
      DrawLandMarkSymbolOnCanvas(bmp.GetCanvas(), v, ~v, el, kF, kB, v, v, ~v, true);
    }
  Drawn d;
  DrawLandMarkSymbolOnCanvas(d.bmp.GetCanvas(), kC, kC, lmPlus, kF, kB, INT32_MAX, 0, 0, true);
  EXPECT_EQ(d.Extent().Left, -kC);
  EXPECT_EQ(d.Extent().Right, kC);
}

TEST(LandMarkSymbols, CanvasColoursAreKept) {
  TBitmap bmp(20, 20);
  TCanvas* c = bmp.GetCanvas();
  c->GetPen()->SetColor(0x00AA00);
  c->GetBrush()->SetColor(0x123456);
  c->GetBrush()->SetStyle(bsClear);
  for (int e = lmPlus; e <= lmUserDef; ++e)
    DrawLandMarkSymbolOnCanvas(c, 10, 10, static_cast<TLandMarkElement>(e), kF, kB, 4, 0, 5, false);
  EXPECT_EQ(c->GetPen()->GetColor(), 0x00AA00);
  EXPECT_EQ(c->GetBrush()->GetColor(), 0x123456);
  EXPECT_EQ(c->GetBrush()->GetStyle(), bsClear);
  DrawLandMarkSymbolOnCanvas(nullptr, 0, 0, lmPlus, 0, 0, 4, 0, 0, false);  // ignored
}

// Every element, filled and transparent, in four directions, magnified
// three times, for a person to look at: run with
// --gtest_also_run_disabled_tests and open /tmp/tkz_landmark_symbols.png.
TEST(LandMarkSymbols, DISABLED_WritesASheetOfAllElements) {
  TBitmap sheet(10 * 40, 8 * 40);
  for (int e = 0; e < 10; ++e)
    for (int row = 0; row < 8; ++row)
      DrawLandMarkSymbolOnCanvas(sheet.GetCanvas(), 20 + 40 * e, 20 + 40 * row,
                                 static_cast<TLandMarkElement>(e), kF, kB, 7, (row % 4) * 90 + 30,
                                 16, row >= 4);
  TBitmap big(sheet.GetWidth() * 3, sheet.GetHeight() * 3);
  big.GetCanvas()->StretchDraw(TRect{0, 0, big.GetWidth(), big.GetHeight()}, &sheet);
  const std::vector<uint8_t> png = SavePNG(big);
  std::ofstream("/tmp/tkz_landmark_symbols.png", std::ios::binary)
      .write(reinterpret_cast<const char*>(png.data()), static_cast<std::streamsize>(png.size()));
  EXPECT_GT(png.size(), 1000u);
}

// ------------------------------------------------------------ repository

TEST(SymbolRepository, EntriesBackupAndAssign) {
  const TSymbol def = DefaultSymbolRecord();
  EXPECT_EQ(def, (TSymbol{lmCross, 8, 0, 255, false, 90, 40, "", 0}));

  TSymbolRepository r;
  EXPECT_EQ(r.GetNumEntries(), 0);
  EXPECT_EQ(r.GetCapacity(), 1000);
  r.SetNEntries(3);
  r.SetNEntries(-1);
  EXPECT_EQ(r.GetNumEntries(), 3);
  EXPECT_EQ(r.GetCapacity(), 3);
  TSymbol s = def;
  s.Element = lmArrowTo;
  s.Name = std::string(50, 'n');
  for (const int n : {0, 2, 4}) r.SetValues(n, s);
  s.Name.resize(43);
  EXPECT_EQ(r.GetValues(2), s);
  EXPECT_EQ(r.GetValues(1), def);
  EXPECT_EQ(r.GetValues(4), def);

  r.Backup();
  r.Clear();
  EXPECT_EQ(r.GetNumEntries(), 3);
  EXPECT_EQ(r.GetValues(2), def);
  r.SetNEntries(1);
  TSymbolRepository copy;
  copy.Assign(&r);
  r.Restore();
  EXPECT_EQ(r.GetNumEntries(), 3);
  EXPECT_EQ(r.GetValues(2), s);
  EXPECT_EQ(copy.GetNumEntries(), 1);
  copy.Restore();  // the backup came along
  EXPECT_EQ(copy.GetValues(2), s);
}

class SymbolFile : public testing_support::TempDirTest {};

TEST_F(SymbolFile, WritesTheDocumentedLayout) {
  TSymbolRepository r;
  r.SetNEntries(1);
  TSymbol s = DefaultSymbolRecord();
  s.Name = "Hut \"A\" & <B>";
  s.Category = 4;
  s.Transparent = true;
  r.SetValues(1, s);
  r.StoreOnFile(Path("sym.xml"), "set1");
  EXPECT_EQ(Slurp(Path("sym.xml")),
            "<?xml version=\"1.0\"?>\r\n\r\n"
            "<!-- TGeoMap Landmark Repository / TKZ Component Suite -->\r\n"
            "<lmsymbols sig=\"Quorvatin\" vers=\"1.0\" id=\"set1\">\r\n"
            "  <symbol element=\"Cross\" name=\"Hut &quot;A&quot; &amp; &lt;B&gt;\" "
            "category=\"4\" colorfg=\"00000000\" colorbg=\"000000FF\" size=\"8\" "
            "transp=\"TRUE\" dir=\"90\" leng=\"40\" />\r\n"
            "</lmsymbols>\r\n");
}

TEST_F(SymbolFile, ReadsBackAndGrowsInBlocks) {
  TSymbolRepository r;
  r.SetNEntries(2500);
  for (int i = 1; i <= 2500; ++i) {
    TSymbol s;
    s.Element = static_cast<TLandMarkElement>(i % 10);
    s.Size = i;
    s.ColorFg = static_cast<TColor>(i * 2654435761u);
    s.ColorBg = static_cast<TColor>(~s.ColorFg);
    s.Transparent = i % 2;
    s.Direction = -i;
    s.Length = i * 3;
    s.Name = std::to_string(i) + " <\"&'\x01>";
    s.Category = i % 7;
    r.SetValues(i, s);
  }
  r.StoreOnFile(Path("sym.xml"), "Big");
  TSymbolRepository back;
  EXPECT_THROW(back.LoadFromFile(Path("none.xml"), ""), EInOutError);
  EXPECT_FALSE(back.LoadFromFile(Path("sym.xml"), "other"));
  EXPECT_EQ(back.GetNumEntries(), 0);
  ASSERT_TRUE(back.LoadFromFile(Path("sym.xml"), "big"));
  ASSERT_EQ(back.GetNumEntries(), 2500);
  EXPECT_EQ(back.GetCapacity(), 3000);
  for (int i = 1; i <= 2500; ++i) {
    TSymbol want = r.GetValues(i);
    if (want.Element == lmPlus || want.Element == lmUserDef) want.Element = lmCross;
    ASSERT_EQ(back.GetValues(i), want) << i;
  }
}

TEST_F(SymbolFile, ToleratesDamagedEntries) {
  Put(Path("bad.xml"),
      "<lmsymbols sig=\"quorvatin\" id=\"x\">\n"
      "<symbol />\n"
      "<symbol element=\"SPADE\" size=\"x\" colorfg=\"0x10\" transp=\"no\" name=\"" +
          std::string(60, 'q') +
          "\" />\n"
          "</lmsymbols>\n<symbol element=\"circle\" />\n<symbol element=\"circ");
  TSymbolRepository r;
  ASSERT_TRUE(r.LoadFromFile(Path("bad.xml"), "x"));
  ASSERT_EQ(r.GetNumEntries(), 2);
  EXPECT_EQ(r.GetValues(1), DefaultSymbolRecord());
  TSymbol s = DefaultSymbolRecord();
  s.Element = lmSpade;
  s.Size = 0;
  s.ColorFg = 0x10;
  s.Name = std::string(43, 'q');
  EXPECT_EQ(r.GetValues(2), s);
}

}  // namespace
}  // namespace tkz
