// TChemGraph: label texts, the pixels of bonds, label boxes, colours and
// frames, the guards of the transform, picking atoms, rings and chains, and
// the layout search.
#include "chem/chemgrph.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "chem/cdata.h"
#include "core/platform/application.h"
#include "core/platform/printer.h"
#include "core/platform/textfile.h"
#include "core/text/stringl.h"

namespace tkz {
namespace {

constexpr TColor kStructure = 0x000080;

struct AtomSpec {
  const char* symbol;
  float x, y;
  int charge = 0;
};
struct BondSpec {
  int a, b, type;
};

void Build(TCTab& t, const std::vector<AtomSpec>& atoms, const std::vector<BondSpec>& bonds) {
  t.Clear();
  for (const AtomSpec& s : atoms) {
    CTElem e;
    ClearCTElem(e);
    e.AtType = static_cast<uint8_t>(AtomicNumber(s.symbol));
    e.AtWeight = static_cast<uint16_t>(IntAtWeight(e.AtType));
    e.Charge = static_cast<int8_t>(s.charge);
    e.Coords = {0, s.x, s.y, 0};
    ASSERT_TRUE(t.AddAtom(e)) << s.symbol;
  }
  for (const BondSpec& b : bonds) ASSERT_TRUE(t.MakeConnection(b.a, b.b, b.type));
}

// A white bitmap with the control's label font, drawn on with scale 1 and
// no offset, so that structure coordinates are pixels.
struct Sheet {
  explicit Sheet(int w = 200, int h = 120) : bmp(w, h) {
    bmp.Fill(clWhite);
    bmp.GetCanvas()->GetFont()->SetName("Courier New");
    bmp.GetCanvas()->GetFont()->SetSize(14);
  }
  TColor At(int x, int y) { return bmp.GetCanvas()->GetPixel(x, y); }
  // Pixels of colour c in the rectangle [x1, x2] x [y1, y2].
  int Count(TColor c, int x1, int y1, int x2, int y2) {
    int k = 0;
    for (int y = y1; y <= y2; ++y)
      for (int x = x1; x <= x2; ++x) k += At(x, y) == c;
    return k;
  }
  TBitmap bmp;
};

void Draw(TChemGraph& g, Sheet& s, TCGDispMode mode) {
  g.DrawMolRaw(mode, false, s.bmp.GetCanvas(), 0, 0, 1);
}

// ------------------------------------------------------------------ labels

TEST(ChemGraphLabels, HydrogensFromValenceAndAGeneralChargeSuffix) {
  struct Case {
    const char* what;
    std::vector<AtomSpec> atoms;
    std::vector<BondSpec> bonds;
    const char* label;  // of atom 1
  };
  const std::vector<Case> cases = {
      {"ammonium N with four bonds",
       {{"N", 50, 50, 1}, {"C", 80, 50}, {"C", 20, 50}, {"C", 50, 20}, {"C", 50, 80}},
       {{1, 2, 1}, {1, 3, 1}, {1, 4, 1}, {1, 5, 1}},
       "N+"},
      {"lone nitrogen", {{"N", 50, 50}}, {}, "NH3"},
      {"hydroxyl oxygen", {{"O", 50, 50}, {"C", 80, 50}}, {{1, 2, 1}}, "OH"},
      {"water", {{"O", 50, 50}}, {}, "OH2"},
      {"iron(II) ion", {{"Fe", 50, 50, 2}}, {}, "Fe2+"},
      {"sodium ion", {{"Na", 50, 50, 1}}, {}, "Na+"},
      {"chloride", {{"Cl", 50, 50, -1}}, {}, "Cl-"},
      {"sulfide", {{"S", 50, 50, -2}}, {}, "S2-"},
      {"phenolate oxygen", {{"O", 50, 50, -1}, {"C", 80, 50}}, {{1, 2, 1}}, "O-"},
      {"amide anion", {{"N", 50, 50, -1}, {"C", 80, 50}}, {{1, 2, 1}}, "NH-"},
      {"carbonyl oxygen", {{"O", 50, 50}, {"C", 80, 50}}, {{1, 2, 2}}, "O"},
      {"methane", {{"C", 50, 50}}, {}, "CH4"},
      {"aromatic CH", {{"C", 50, 50}, {"C", 80, 50}, {"C", 20, 50}}, {{1, 2, 4}, {1, 3, 4}}, "CH"},
      {"phosphine", {{"P", 50, 50}}, {}, "PH3"},
      {"hydronium", {{"O", 50, 50, 1}}, {}, "OH3+"},
      {"explicit hydrogen not repeated",
       {{"O", 50, 50}, {"C", 80, 50}, {"H", 20, 50}},
       {{1, 2, 1}, {1, 3, 1}},
       "O"},
      {"a hydrogen atom", {{"H", 50, 50}, {"O", 80, 50}}, {{1, 2, 1}}, "H"},
  };
  TChemGraph g;
  for (const Case& c : cases) {
    Build(*g.GetStructure(), c.atoms, c.bonds);
    std::string text;
    const int len = g.ConstructElemSymb(1, text);
    EXPECT_EQ(text, c.label) << c.what;
    EXPECT_EQ(len, static_cast<int>(text.size())) << c.what;
  }
  std::string text = "x";
  EXPECT_EQ(g.ConstructElemSymb(99, text), 0);
  EXPECT_EQ(text, "");
}

// ------------------------------------------------------------------- bonds

TEST(ChemGraphBonds, MultipleBondsAreOffsetParallelLines) {
  // Horizontal and vertical bonds of each type: the rows (columns) of the
  // lines across the bond, read in the middle of the bond.
  struct Case {
    int type;
    bool vertical;
    std::vector<int> drawn;  // offsets from the axis with a line
    std::vector<int> empty;  // offsets without one
  };
  const std::vector<Case> cases = {
      {1, false, {0}, {-2, -1, 1, 2}},
      {2, false, {-2, 2}, {-3, -1, 0, 1, 3}},
      {3, false, {-3, 0, 3}, {-4, -2, -1, 1, 2, 4}},
      {2, true, {-2, 2}, {-1, 0, 1}},
      {3, true, {-3, 0, 3}, {-2, -1, 1, 2}},
  };
  for (const Case& c : cases) {
    TChemGraph g;
    if (c.vertical) {
      Build(*g.GetStructure(), {{"C", 100, 20}, {"C", 100, 100}}, {{1, 2, c.type}});
    } else {
      Build(*g.GetStructure(), {{"C", 40, 60}, {"C", 160, 60}}, {{1, 2, c.type}});
    }
    Sheet s;
    Draw(g, s, dmSkeleton);
    for (int along : {-20, 0, 20}) {
      for (int d : c.drawn) {
        const TColor p = c.vertical ? s.At(100 + d, 60 + along) : s.At(100 + along, 60 + d);
        EXPECT_EQ(p, kStructure) << "type " << c.type << " offset " << d;
      }
      for (int d : c.empty) {
        const TColor p = c.vertical ? s.At(100 + d, 60 + along) : s.At(100 + along, 60 + d);
        EXPECT_EQ(p, clWhite) << "type " << c.type << " offset " << d;
      }
    }
  }
}

TEST(ChemGraphBonds, AromaticBondsAreDashedAndUnknownTypesNotDrawn) {
  TChemGraph g;
  Build(*g.GetStructure(), {{"C", 40, 60}, {"C", 160, 60}}, {{1, 2, 4}});
  Sheet s;
  Draw(g, s, dmSkeleton);
  const int on = s.Count(kStructure, 40, 60, 159, 60);
  EXPECT_GT(on, 30);
  EXPECT_LT(on, 110);  // gaps between the dashes
  EXPECT_EQ(s.bmp.GetCanvas()->GetPen()->GetStyle(), psSolid);

  g.GetStructure()->SetTypConn(1, 1, 7);
  g.GetStructure()->SetTypConn(2, 1, 7);
  Sheet t;
  Draw(g, t, dmSkeleton);
  EXPECT_EQ(t.Count(kStructure, 0, 0, 199, 119), 0);
}

TEST(ChemGraphBonds, AtomsOnTopOfEachOtherGiveAPointNotNaN) {
  // Both atoms at one place: the bond has no direction for the side lines
  // of a double bond. It is drawn as one pixel and the picture stays sound.
  for (int type : {1, 2, 3, 4}) {
    TChemGraph g;
    Build(*g.GetStructure(), {{"C", 70, 40}, {"C", 70, 40}, {"C", 130, 40}},
          {{1, 2, type}, {2, 3, 1}});
    Sheet s;
    Draw(g, s, dmSkeleton);
    EXPECT_EQ(s.At(70, 40), kStructure) << type;
    EXPECT_EQ(s.Count(kStructure, 0, 0, 199, 30), 0) << type;
    EXPECT_EQ(s.Count(kStructure, 0, 50, 199, 119), 0) << type;
  }
}

TEST(ChemGraphBonds, BondsStopAtLabelBoxes) {
  // c = 14 div 2 + 1 = 8: an "OH" label box is 2 * 8 wide on each side of
  // the atom and 8 high, a "Cl" one likewise; carbon has no label in
  // dmHeteroOnly, so the bond runs to its centre.
  struct Case {
    std::vector<AtomSpec> atoms;
    int x, y;  // the labelled atom
    int stop;  // where the bond must end: x or y of the box border
    bool vertical;
  };
  const std::vector<Case> cases = {
      {{{"C", 20, 60}, {"O", 120, 60}}, 120, 60, 104, false},
      {{{"C", 180, 60}, {"O", 80, 60}}, 80, 60, 96, false},
      {{{"C", 100, 110}, {"O", 100, 40}}, 100, 40, 48, true},
  };
  for (const Case& c : cases) {
    TChemGraph g;
    Build(*g.GetStructure(), c.atoms, {{1, 2, 1}});
    g.SetAtColor(2, clBlue);  // the label in another colour than the bond
    Sheet s;
    Draw(g, s, dmHeteroOnly);
    if (!c.vertical) {
      const int dir = c.stop < c.x ? -1 : 1;  // from the box towards carbon
      EXPECT_EQ(s.At(c.stop + 2 * dir, c.y), kStructure);
      EXPECT_EQ(s.Count(kStructure, std::min(c.x, c.stop - dir), c.y - 9,
                        std::max(c.x, c.stop - dir), c.y + 9),
                0);
    } else {
      EXPECT_EQ(s.At(c.x, c.stop + 2), kStructure);
      EXPECT_EQ(s.Count(kStructure, c.x - 20, c.y - 9, c.x + 20, c.stop - 1), 0);
    }
    EXPECT_GT(s.Count(clBlue, c.x - 20, c.y - 10, c.x + 20, c.y + 10), 20);
  }
  // In dmSkeleton the same oxygen has no label and the bond reaches it.
  TChemGraph g;
  Build(*g.GetStructure(), cases[0].atoms, {{1, 2, 1}});
  Sheet s;
  Draw(g, s, dmSkeleton);
  EXPECT_EQ(s.At(119, 60), kStructure);
}

TEST(ChemGraphBonds, ClippingKeepsBondsAndLabelsInsideTheBoundary) {
  TChemGraph g;
  Build(*g.GetStructure(), {{"C", 50, 60}, {"C", 190, 60}, {"Na", 60, 20, 1}, {"Cl", 150, 100, -1}},
        {{1, 2, 1}});
  g.SetClipBoundary(diLeft, 0);
  g.SetClipBoundary(diTop, 0);
  g.SetClipBoundary(diRight, 120);
  g.SetClipBoundary(diBottom, 120);
  EXPECT_EQ(g.GetClipBoundary(diRight), 120);
  Sheet s;
  g.DrawMolRaw(dmSkeleton, true, s.bmp.GetCanvas(), 0, 0, 1);
  // The bond ends at the boundary less 4 pixels.
  EXPECT_EQ(s.At(115, 60), kStructure);
  EXPECT_EQ(s.Count(kStructure, 116, 0, 199, 119), 0);
  // A label is drawn only more than 40 pixels inside every side: the
  // sodium at y 20 is too near the top, the chloride beyond the right.
  EXPECT_EQ(s.Count(kStructure, 40, 5, 80, 35), 0);
  Sheet free;
  g.DrawMolRaw(dmSkeleton, false, free.bmp.GetCanvas(), 0, 0, 1);
  EXPECT_GT(free.Count(kStructure, 40, 5, 80, 35), 10);
  EXPECT_GT(free.Count(kStructure, 130, 90, 170, 110), 10);
}

// ------------------------------------------------------------------ labels

// The box of the pixels that differ from white.
TRect InkBox(Sheet& s) {
  TRect r{10000, 10000, -1, -1};
  for (int y = 0; y < s.bmp.GetHeight(); ++y)
    for (int x = 0; x < s.bmp.GetWidth(); ++x)
      if (s.At(x, y) != clWhite) {
        r.Left = std::min(r.Left, x);
        r.Top = std::min(r.Top, y);
        r.Right = std::max(r.Right, x);
        r.Bottom = std::max(r.Bottom, y);
      }
  return r;
}

TEST(ChemGraphLabels, LabelsAreCentredOnTheirAtoms) {
  struct Case {
    AtomSpec atom;
  };
  for (const AtomSpec& a : std::vector<AtomSpec>{
           {"Na", 100, 60, 1}, {"O", 60, 40}, {"Fe", 140, 80, 2}, {"N", 100, 60}}) {
    TChemGraph g;
    Build(*g.GetStructure(), {a}, {});
    Sheet s;
    Draw(g, s, dmSkeleton);
    const TRect ink = InkBox(s);
    ASSERT_GE(ink.Right, ink.Left) << a.symbol;
    // Glyph boxes are not symmetric about their ink (side bearings, the
    // baseline), so the ink centre lies within a few pixels of the atom.
    EXPECT_NEAR((ink.Left + ink.Right) / 2.0, a.x, 3) << a.symbol;
    EXPECT_NEAR((ink.Top + ink.Bottom) / 2.0, a.y, 4) << a.symbol;
  }
}

TEST(ChemGraphLabels, OwnColoursAndVisualAttributes) {
  TChemGraph g;
  Build(*g.GetStructure(), {{"O", 100, 60}}, {});
  EXPECT_EQ(g.GetAtColor(1), 0);
  EXPECT_EQ(g.GetStructure()->GetTag(1), kCTTagNoColor);

  Sheet plain;
  Draw(g, plain, dmSkeleton);
  const int plain_ink = plain.Count(kStructure, 0, 0, 199, 119);
  EXPECT_GT(plain_ink, 20);

  g.SetAtColor(1, clGreen);
  EXPECT_EQ(g.GetAtColor(1), clGreen);
  EXPECT_EQ(g.GetStructure()->GetTag(1) & kCTTagNoColor, 0u);
  Sheet green;
  Draw(g, green, dmSkeleton);
  EXPECT_EQ(green.Count(clGreen, 0, 0, 199, 119), plain_ink);
  EXPECT_EQ(green.Count(kStructure, 0, 0, 199, 119), 0);

  g.SetVisAttrib(1, kCGBold);
  EXPECT_EQ(g.GetVisAttrib(1), kCGBold);
  EXPECT_EQ(g.GetAtColor(1), clGreen);  // the colour is kept
  Sheet bold;
  Draw(g, bold, dmSkeleton);
  EXPECT_GT(bold.Count(clGreen, 0, 0, 199, 119), plain_ink);

  // Inverse: a box in the atom's colour with the text in the background
  // colour.
  g.SetColorBakG(clWhite);
  g.SetVisAttrib(1, kCGInverse);
  Sheet inverse;
  Draw(g, inverse, dmSkeleton);
  const int box = inverse.Count(clGreen, 80, 40, 120, 80);
  EXPECT_GT(box, 3 * plain_ink);
  EXPECT_GT(inverse.Count(clWhite, 85, 52, 115, 68), 10);  // the letters
  // The canvas's brush and font are restored.
  EXPECT_EQ(inverse.bmp.GetCanvas()->GetBrush()->GetColor(), clWhite);
  EXPECT_EQ(inverse.bmp.GetCanvas()->GetBrush()->GetStyle(), bsSolid);
  EXPECT_TRUE(inverse.bmp.GetCanvas()->GetFont()->GetStyle() == TFontStyles{});

  g.SetAtColor(1, clRed);
  EXPECT_EQ(g.GetVisAttrib(1), kCGInverse);  // the attribute is kept
  for (int bad : {0, 2, -1}) {
    g.SetAtColor(bad, clRed);
    g.SetVisAttrib(bad, 1);
    EXPECT_EQ(g.GetAtColor(bad), 0);
    EXPECT_EQ(g.GetVisAttrib(bad), 0);
  }
}

TEST(ChemGraphLabels, DisplayModesChooseTheLabelledAtoms) {
  // Ethanol C-C-O: skeleton labels nothing, hetero the oxygen, all atoms
  // all three, numbers the atom numbers.
  struct Case {
    TCGDispMode mode;
    std::vector<bool> labelled;  // ink near atom 1, 2, 3 away from bonds
  };
  const std::vector<Case> cases = {{dmSkeleton, {false, false, false}},
                                   {dmHeteroOnly, {false, false, true}},
                                   {dmAllAtoms, {true, true, true}},
                                   {dmNumbers, {true, true, true}}};
  for (const Case& c : cases) {
    TChemGraph g;
    Build(*g.GetStructure(), {{"C", 30, 60}, {"C", 100, 60}, {"O", 170, 60}},
          {{1, 2, 1}, {2, 3, 1}});
    Sheet s;
    Draw(g, s, c.mode);
    for (int a = 0; a < 3; ++a) {
      const int x = 30 + 70 * a;
      const int ink =
          s.Count(kStructure, x - 6, 52, x + 6, 57) + s.Count(kStructure, x - 6, 63, x + 6, 68);
      EXPECT_EQ(ink > 0, c.labelled[a]) << "mode " << int(c.mode) << " atom " << a + 1;
    }
  }
}

// --------------------------------------------------------- painting the control

// The records of the demo file, each with its rings.
std::vector<std::unique_ptr<TChemGraph>> DemoGraphs() {
  std::vector<std::unique_ptr<TChemGraph>> out;
  TTextFile f;
  f.AssignFile(std::string(TKZ_TEST_DATA_DIR) + "/chem/demo.sdf");
  f.Reset();
  TPropRec props;
  while (!f.Eof()) {
    auto g = std::make_unique<TChemGraph>();
    if (g->GetStructure()->ReadFromMDLSDFile(f, props)) out.push_back(std::move(g));
  }
  return out;
}

TEST(ChemGraphPaint, EmptyStructureFrameAndScale) {
  TChemGraph g;
  g.SetColorBakG(clWhite);
  g.SetFrameStyle(fsNone);
  EXPECT_EQ(g.GetDrawScale(), 1);
  auto pic = TakeScreenshot(&g);
  // "no structure loaded" in the middle.
  Sheet s(300, 200);
  s.bmp.Assign(pic.get());
  const TRect ink = InkBox(s);
  EXPECT_NEAR((ink.Left + ink.Right) / 2.0, 152, 4);
  EXPECT_NEAR((ink.Top + ink.Bottom) / 2.0, 100, 4);

  // The frame styles: top-left and bottom-right corners of the inner lines.
  struct Frame {
    TFrameStyle style;
    TColor top_left, bottom_right;
  };
  for (const Frame& f : std::vector<Frame>{{fsRaised, clWhite, clBlack},
                                           {fsLowered, clBlack, clWhite},
                                           {fsEmbossed, 0x808080, 0x808080},
                                           {fsEngraved, clWhite, clWhite}}) {
    g.SetFrameStyle(f.style);
    g.SetColorBakG(clSilver);
    auto p = TakeScreenshot(&g);
    TCanvas* c = p->GetCanvas();
    EXPECT_EQ(c->GetPixel(1, 50), f.top_left) << int(f.style);
    EXPECT_EQ(c->GetPixel(150, 1), f.top_left) << int(f.style);
    EXPECT_EQ(c->GetPixel(299, 100), f.bottom_right) << int(f.style);
    EXPECT_EQ(c->GetPixel(150, 199), f.bottom_right) << int(f.style);
  }
  // The system scheme takes the platform's shadow and highlight colours.
  g.SetColorScheme(csSystem);
  g.SetFrameStyle(fsEmbossed);
  auto sys = TakeScreenshot(&g);
  EXPECT_EQ(sys->GetCanvas()->GetPixel(1, 50), ColorToRGB(static_cast<TColor>(0xFF000010u)));
  g.SetFrameStyle(fsEngraved);
  sys = TakeScreenshot(&g);
  EXPECT_EQ(sys->GetCanvas()->GetPixel(1, 50), ColorToRGB(static_cast<TColor>(0xFF000014u)));
}

TEST(ChemGraphPaint, ChangesToTheTableRepaint) {
  TChemGraph g;
  g.SetColorBakG(clWhite);
  Build(*g.GetStructure(), {{"O", 0, 0}, {"C", 100, 0}}, {{1, 2, 1}});
  Application().ProcessMessages();
  const auto before = TakeScreenshot(&g);
  g.GetStructure()->SetCharge(1, -1);  // the oxygen gets a label "O-"
  Application().ProcessMessages();
  const auto after = TakeScreenshot(&g);
  int differ = 0;
  for (int y = 0; y < 200; ++y)
    for (int x = 0; x < 300; ++x) differ += before->ScanLine(y)[x] != after->ScanLine(y)[x];
  EXPECT_GT(differ, 20);
  // Suppressed, the table's changes wait; switching it off paints them.
  g.SetSuppressPaint(true);
  g.GetStructure()->SetCharge(1, 0);
  Application().ProcessMessages();
  const auto held = TakeScreenshot(&g);
  EXPECT_TRUE(std::equal(held->Bits(), held->Bits() + 300 * 200, after->Bits()));
  g.SetSuppressPaint(false);
  Application().ProcessMessages();
  const auto back = TakeScreenshot(&g);
  EXPECT_TRUE(std::equal(back->Bits(), back->Bits() + 300 * 200, before->Bits()));
}

TEST(ChemGraphPaint, TinyControlsKeepAPositiveScale) {
  for (int w : {1, 5, 10, 15, 16, 17}) {
    TChemGraph g;
    Build(*g.GetStructure(), {{"C", 0, 0}, {"C", 1000, 0}, {"C", 1000, 800}},
          {{1, 2, 1}, {2, 3, 1}});
    g.SetBounds(0, 0, w, w);
    g.Repaint();
    EXPECT_GT(g.GetDrawScale(), 0) << w;
    EXPECT_TRUE(std::isfinite(g.GetDrawScale())) << w;
    double sx = 0, sy = 0;
    g.StructFromScreen(3, 3, sx, sy);
    EXPECT_TRUE(std::isfinite(sx) && std::isfinite(sy)) << w;
  }
  // A caller's transform with scale 0 does not make the mouse divide by it.
  TChemGraph g;
  Build(*g.GetStructure(), {{"C", 10, 10}}, {});
  Sheet s;
  g.DrawMolRaw(dmSkeleton, false, s.bmp.GetCanvas(), 0, 0, 0);
  double sx = 0, sy = 0;
  g.StructFromScreen(5, 5, sx, sy);
  EXPECT_TRUE(std::isfinite(sx) && std::isfinite(sy));
}

TEST(ChemGraphPaint, ScaleFollowsTheControlAndMaxBondLength) {
  TChemGraph g;
  Build(*g.GetStructure(), {{"C", 0, 0}, {"C", 1000, 0}}, {{1, 2, 1}});
  g.SetBounds(0, 0, 300, 200);
  g.SetMaxbondleng(0);
  g.Repaint();
  // (300 - 8 - 8) / 1000 wide, (200 - 16) / 0 high (the box itself).
  EXPECT_DOUBLE_EQ(g.GetDrawScale(), 0.284);
  g.SetMaxbondleng(30);
  g.Repaint();
  EXPECT_DOUBLE_EQ(g.GetDrawScale(), 0.03);
  // Both atoms centred: x offset (292 + 8) div 2 - 0.03 * 500.
  EXPECT_EQ(g.AtomToScreen(1).X + g.AtomToScreen(2).X, 300);
  EXPECT_EQ(g.AtomToScreen(1).Y, 100);
  // Suppressed painting leaves the transform of the last drawing.
  g.SetSuppressPaint(true);
  g.SetMaxbondleng(0);
  g.Repaint();
  EXPECT_DOUBLE_EQ(g.GetDrawScale(), 0.03);
}

TEST(ChemGraphPaint, PrintingScalesLabelsToThePrinter) {
  auto graphs = DemoGraphs();
  ASSERT_FALSE(graphs.empty());
  TChemGraph& g = *graphs[0];  // caffeine
  g.SetDispMode(dmHeteroOnly);
  const TCTab& t = *g.GetStructure();
  for (int a = 1; a <= t.GetNAtoms(); ++a)
    if (t.GetAtNum(a) == 8) g.SetAtColor(a, clRed);
  EXPECT_FALSE(g.PrintMolecule(0, 0, 100, 100));  // no document

  int oxygen = 0;
  for (int a = t.GetNAtoms(); a >= 1; --a)
    if (t.GetAtNum(a) == 8) oxygen = a;
  // Non-white pixels outside the box (with a margin for labels), and the
  // height of the reddish ink (an antialiased red label) around the oxygen.
  const auto measure = [&](const TBitmap& b, TRect box, int reach, int& outside) {
    const TPoint o = g.AtomToScreen(oxygen);
    int top = 1 << 20, bottom = -1;
    for (int y = 0; y < b.GetHeight(); ++y)
      for (int x = 0; x < b.GetWidth(); ++x) {
        const TColor c = static_cast<TColor>(b.ScanLine(y)[x]);
        if (c == clWhite) continue;
        if (x < box.Left || x >= box.Right || y < box.Top || y >= box.Bottom) ++outside;
        const bool reddish = GetRValue(c) > GetGValue(c) + 60 && GetGValue(c) == GetBValue(c);
        if (reddish && std::abs(x - o.X) <= reach && std::abs(y - o.Y) <= reach) {
          top = std::min(top, y);
          bottom = std::max(bottom, y);
        }
      }
    return bottom - top + 1;
  };
  TBitmap screen(300, 220);
  screen.Fill(clWhite);
  g.ShowMoleculeInABox(screen.GetCanvas(), dmHeteroOnly, 20, 20, 280, 200, 30);
  const double screen_scale = g.GetDrawScale();
  int outside = 0;
  const int screen_label = measure(screen, {0, 0, 300, 220}, 12, outside);

  TPrinter& p = Printer();
  p.SetPaperSize(80, 60);  // 945 x 709 pixels at 300 dpi
  p.BeginDoc();
  EXPECT_TRUE(g.PrintMolecule(60, 60, 880, 650));
  p.EndDoc();
  outside = 0;
  const int paper_label = measure(p.GetPage(0), {20, 20, 920, 690}, 40, outside);
  p.SetPaperSize(210, 297);
  EXPECT_EQ(outside, 0);
  // Bonds at most 30 screen pixels long are 30 * 300 / 96 printer pixels.
  EXPECT_NEAR(g.GetDrawScale() / screen_scale, 300.0 / 96, 0.01);
  EXPECT_NEAR(paper_label / double(screen_label), 300.0 / 96, 0.8)
      << paper_label << " " << screen_label;
}

// ------------------------------------------------------------------- picking

std::set<int> AtomsOf(const RingType& r) {
  std::set<int> s;
  for (int i = 1; i <= r.Size; ++i) s.insert(r.Atoms[i]);
  return s;
}

TEST(ChemGraphPicking, TheRingAtItsCentreOnRealMolecules) {
  int rings_checked = 0;
  for (auto& g : DemoGraphs()) {
    TCTab& t = *g->GetStructure();
    for (int a = 1; a <= t.GetNAtoms(); ++a) t.SetAtFlag(a, 40 + a);
    RingListType sssr;
    const int count = t.FindSSSR(sssr);
    for (int r = 1; r <= count; ++r) {
      const RingType& ring = sssr.Rings[r];
      double x = 0, y = 0;
      for (int i = 1; i <= ring.Size; ++i) {
        x += t.GetCoords(ring.Atoms[i], 1);
        y += t.GetCoords(ring.Atoms[i], 2);
      }
      RingType picked;
      g->FindRingNextToCursor(static_cast<float>(x / ring.Size), static_cast<float>(y / ring.Size),
                              picked);
      EXPECT_EQ(AtomsOf(picked), AtomsOf(ring)) << t.GetStrucName() << " ring " << r;
      ++rings_checked;
    }
    // Picking keeps its marks to itself.
    for (int a = 1; a <= t.GetNAtoms(); ++a) EXPECT_EQ(t.GetAtFlag(a), 40 + a) << t.GetStrucName();
    // Far from any ring, next to a chain atom: the ring nearest to that.
    RingType none;
    g->FindRingNextToCursor(-1e6f, -1e6f, none);
    EXPECT_LE(none.Size, 7) << t.GetStrucName();
  }
  EXPECT_GE(rings_checked, 6);  // caffeine 2, aspirin, paracetamol, benzoate, ibuprofen

  TChemGraph empty;
  RingType r;
  r.Size = 3;
  empty.FindRingNextToCursor(0, 0, r);
  EXPECT_EQ(r.Size, 0);
}

TEST(ChemGraphPicking, TheMouseReportsTheAtomUnderIt) {
  for (auto& g : DemoGraphs()) {
    g->SetBounds(0, 0, 400, 300);
    g->SetMaxbondleng(0);
    g->Repaint();
    std::vector<int> seen;
    g->OnMoveOverStruct = [&](TObject* sender, int atom, double dist, TShiftState shift, double x,
                              double y) {
      EXPECT_EQ(sender, g.get());
      EXPECT_TRUE(shift.Contains(ssShift));
      // Within one pixel's worth of structure units of the atom.
      EXPECT_LT(dist, 1.0 / g->GetDrawScale());
      EXPECT_NEAR(x, g->GetStructure()->GetCoords(atom, 1), 1.0 / g->GetDrawScale());
      EXPECT_NEAR(y, g->GetStructure()->GetCoords(atom, 2), 1.0 / g->GetDrawScale());
      seen.push_back(atom);
    };
    int moves = 0;
    g->OnMouseMove = [&](TObject*, TShiftState, int, int) { ++moves; };
    const TCTab& t = *g->GetStructure();
    for (int a = 1; a <= t.GetNAtoms(); ++a) {
      const TPoint p = g->AtomToScreen(a);
      Application().PostMessage(TMessage::MouseMove(g.get(), TShiftState{ssShift}, p.X, p.Y));
    }
    Application().ProcessMessages();
    ASSERT_EQ(static_cast<int>(seen.size()), t.GetNAtoms()) << t.GetStrucName();
    EXPECT_EQ(moves, t.GetNAtoms());
    for (int a = 1; a <= t.GetNAtoms(); ++a) {
      // Atoms closer than a pixel may share a point; then the first wins.
      const TPoint p = g->AtomToScreen(a), q = g->AtomToScreen(seen[a - 1]);
      EXPECT_TRUE(p == q) << t.GetStrucName() << " atom " << a << " reported " << seen[a - 1];
    }
  }
}

TEST(ChemGraphPicking, ChainsFromEndToEnd) {
  TChemGraph g;
  // A cyclohexane ring (1-6) with a propyl chain 7-8-9 on atom 1 (the chain
  // runs to the left, so its free end has the smaller x).
  Build(*g.GetStructure(),
        {{"C", 100, 50},
         {"C", 130, 35},
         {"C", 160, 50},
         {"C", 160, 80},
         {"C", 130, 95},
         {"C", 100, 80},
         {"C", 70, 35},
         {"C", 40, 50},
         {"O", 10, 35}},
        {{1, 2, 1},
         {2, 3, 1},
         {3, 4, 1},
         {4, 5, 1},
         {5, 6, 1},
         {6, 1, 1},
         {1, 7, 1},
         {7, 8, 1},
         {8, 9, 1}});
  AtListType chain;
  EXPECT_EQ(g.FindChainNexttoCursor(45, 45, chain), 4);
  EXPECT_EQ(std::vector<int>(chain.begin(), chain.begin() + 5), (std::vector<int>{4, 9, 8, 7, 1}));
  // Near the ring's far side: the walk along ring atoms of two bonds ends at
  // the branch atom 1 on both sides.
  EXPECT_EQ(g.FindChainNexttoCursor(165, 65, chain), 7);
  EXPECT_EQ(chain[1], 1);
  EXPECT_EQ(chain[7], 1);
  EXPECT_EQ(std::set<int>(chain.begin() + 2, chain.begin() + 7), (std::set<int>{2, 3, 4, 5, 6}));

  // An isolated ring: every atom has two bonds; the walk goes round once.
  Build(*g.GetStructure(), {{"C", 0, 0}, {"C", 30, 0}, {"C", 30, 30}, {"C", 0, 30}},
        {{1, 2, 1}, {2, 3, 1}, {3, 4, 1}, {4, 1, 1}});
  EXPECT_EQ(g.FindChainNexttoCursor(31, 31, chain), 4);
  EXPECT_EQ(std::set<int>(chain.begin() + 1, chain.begin() + 5), (std::set<int>{1, 2, 3, 4}));

  // A lone atom, and no atom with at most two bonds.
  Build(*g.GetStructure(), {{"Na", 5, 5, 1}}, {});
  EXPECT_EQ(g.FindChainNexttoCursor(0, 0, chain), 1);
  EXPECT_EQ(chain[1], 1);
  g.GetStructure()->Clear();
  EXPECT_EQ(g.FindChainNexttoCursor(0, 0, chain), 0);
}

// -------------------------------------------------------------------- layout

double WorstBondError(const TCTab& t, double L) {
  double worst = 0;
  for (int a = 1; a <= t.GetNAtoms(); ++a)
    for (int s = 1; s <= kMaxCTConn; ++s) {
      const int b = t.GetConnTo(a, s);
      if (b == 0) continue;
      const double d =
          std::hypot(t.GetCoords(a, 1) - t.GetCoords(b, 1), t.GetCoords(a, 2) - t.GetCoords(b, 2));
      worst = std::max(worst, std::abs(d - L) / L);
    }
  return worst;
}

TEST(ChemGraphLayout, TheSearchImprovesAndSettles) {
  // A chain of eight atoms squeezed onto a line with bonds of 10 and 90
  // units, to be laid out with bonds of 50.
  std::vector<AtomSpec> atoms;
  std::vector<BondSpec> bonds;
  for (int i = 0; i < 8; ++i)
    atoms.push_back({"C", static_cast<float>(i * 50 + (i % 2 ? 40 : 0)), 100});
  for (int i = 1; i < 8; ++i) bonds.push_back({i, i + 1, 1});
  for (int seed : {1, 7, 12345}) {
    TChemGraph g;
    Build(*g.GetStructure(), atoms, bonds);
    const double before = g.MolShapeScore(50);
    int changes = 0;
    g.GetStructure()->OnChange = [&](TObject*) { ++changes; };
    RandSeed(seed);
    g.OptimizeMolShape(50);
    EXPECT_EQ(changes, 1);  // one announcement for the whole layout
    const double after = g.MolShapeScore(50);
    EXPECT_GE(after, before) << seed;
    // The step shrinks to nothing, so the run ends fine-tuning: every bond
    // within 15 % of the length asked for.
    EXPECT_LT(WorstBondError(*g.GetStructure(), 50), 0.15) << seed;
    // The same seed repeats the run.
    TChemGraph h;
    Build(*h.GetStructure(), atoms, bonds);
    RandSeed(seed);
    h.OptimizeMolShape(50);
    for (int a = 1; a <= 8; ++a)
      EXPECT_EQ(h.GetStructure()->GetCoords(a, 1), g.GetStructure()->GetCoords(a, 1));
  }
  TChemGraph one;
  Build(*one.GetStructure(), {{"C", 3, 4}}, {});
  one.OptimizeMolShape(50);
  EXPECT_EQ(one.GetStructure()->GetCoords(1, 1), 3);
}

}  // namespace
}  // namespace tkz
