// Molecular formulas: reading, writing, weighing, comparing, the mass search
// (against a plain enumeration of every candidate) and painting.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "chem/cdata.h"
#include "chem/cform.h"
#include "core/platform/controls.h"
#include "core/types/tkzbase.h"

namespace tkz {
namespace {

std::unique_ptr<TMolForm> Formula(const std::string& text) {
  auto f = std::make_unique<TMolForm>();
  f->SetVisible(false);  // no painting while reading
  f->SetMolFormula(text);
  return f;
}

// ------------------------------------------------------------------ reading

struct ParseCase {
  const char* text;
  const char* symbols;   // AsString(0)
  const char* isotopes;  // AsString(1), nullptr: not checked
  int stop;              // ScanStopPos, 0: the whole text was read
};

const ParseCase kParseCases[] = {
    {"C6H12O6", "C6 H12 O6 ", "12C6 1H12 16O6 ", 0},
    {"NaCl", "", "", 1},                        // one unknown symbol NACL
    {"Na Cl", "Na Cl ", "23Na1 35Cl ", 0},      // the 1 keeps 35 from reading as a count
    {"(C H3)2 C O", "C2 H6 C O ", nullptr, 0},  // entries are not merged
    {"(CH3)2", "", nullptr, 2},                 // CH is unknown
    {"D2O", "D2 O ", "2D2 16O ", 0},
    {"13C O2", "C O2 ", "13C1 16O2 ", 0},
    {"13 C", "C ", "13C ", 0},
    {"CO", "Co ", "59Co ", 0},  // the last entry needs no 1  // cobalt
    {"c6h6", "C6 H6 ", nullptr, 0},
    {"C 2 H 6", "C2 H6 ", nullptr, 0},
    {"C6H6  ", "C6 H6 ", nullptr, 0},  // trailing blanks are read
    {"C6H6 Xx2", "C6 H6 ", nullptr, 6},
    {"Fe2+", "Fe2 ", nullptr, 0},  // other characters are skipped
    {"(O H)3 Al", "O3 H3 Al ", nullptr, 0},
    // Blanks before and inside parentheses do not end the formula.
    {"C H3 (C H2)2 O H", "C H3 C2 H4 O H ", nullptr, 0},
    {"( C H3 )2", "C2 H6 ", nullptr, 0},
    {"(O H) Al", "O H Al ", nullptr, 0},  // no multiplier written: 1
    // A multiplier below 1 counts as 1 (it would remove or negate atoms).
    {"(C H3)-2 O", "C H3 O ", nullptr, 0},
    {"(C H3)0 O", "C H3 O ", nullptr, 0},
    // Counts within the limit and beyond it.
    {"C9999999", "C9999999 ", nullptr, 0},
    {"H2 C10000000", "H2 ", nullptr, 4},
    {"(C H2)9999999", "C9999999 ", nullptr, 4},  // the multiplied H count is too large
    {"C99999999999999999999999", "", nullptr, 1},
    {"", "", "", 0},
    {"   ", "", "", 0},
};

TEST(MolFormRead, TextsGiveTheirEntries) {
  for (const ParseCase& c : kParseCases) {
    SCOPED_TRACE(c.text);
    auto f = Formula(c.text);
    EXPECT_EQ(f->AsString(0), c.symbols);
    if (c.isotopes != nullptr) {
      EXPECT_EQ(f->AsString(1), c.isotopes);
    }
    const int len = static_cast<int>(std::string(c.text).size());
    EXPECT_EQ(f->ScanStopPos(), c.stop == 0 ? len + 1 : c.stop);
    EXPECT_EQ(f->GetMolFormulaText(), c.text);
  }
}

TEST(MolFormRead, AtMostTwentyEntries) {
  std::string text;
  for (int z = 1; z <= 25; ++z) text += CElemSymb(z) + "2 ";
  auto f = Formula(text);
  EXPECT_EQ(f->GetNumAtoms(), kMaxFormulaEntries);
  EXPECT_EQ(f->GetAtNum(20), 20);
  EXPECT_EQ(f->GetAtNum(21), 0);
  EXPECT_EQ(f->ScanStopPos(), static_cast<int>(text.find("Sc")) + 1);
}

TEST(MolFormRead, PartByPart) {
  TMolForm f;
  f.SetVisible(false);
  const std::string text = "13C6 D2 (";
  int pos = 1, count = -1, mass = -1, z = -1;
  ASSERT_TRUE(f.ScanNextFormPart(text, pos, count, mass, z));
  EXPECT_EQ((std::vector{z, mass, count, pos}), (std::vector{6, 13, 6, 5}));
  ASSERT_TRUE(f.ScanNextFormPart(text, pos, count, mass, z));
  EXPECT_EQ((std::vector{z, mass, count, pos}), (std::vector{1, 2, 2, 8}));
  EXPECT_FALSE(f.ScanNextFormPart(text, pos, count, mass, z));       // "(" ends every part
  EXPECT_EQ((std::vector{z, mass, count}), (std::vector{1, 2, 2}));  // untouched
  // ReadFromString knows no parentheses and keeps MolFormula.
  f.SetMolFormula("H2O");
  f.ReadFromString("C2 (H3)2");
  EXPECT_EQ(f.AsString(0), "C2 ");
  EXPECT_EQ(f.GetMolFormulaText(), "H2O");
}

TEST(MolFormRead, EntryAccessorsCheckTheirIndex) {
  TMolForm f;  // H2O
  f.SetVisible(false);
  EXPECT_EQ(f.AsString(1), "1H2 16O ");
  f.SetAtNum(3, 6);    // beyond NumAtoms
  f.SetAtNum(2, 104);  // no such element
  f.SetAtCnt(0, 5);
  f.SetNumAtoms(21);
  f.SetNumAtoms(0);
  EXPECT_EQ(f.AsString(1), "1H2 16O ");
  EXPECT_EQ(f.GetAtNum(0) + f.GetAtCnt(3) + f.GetAtWgt(-1), 0);
  f.SetAtNum(2, 16);
  f.SetAtWgt(2, 34);
  f.SetAtCnt(2, 300);  // beyond a byte: kept whole
  EXPECT_EQ(f.AsString(1), "1H2 34S300 ");
  EXPECT_EQ(TMolForm::ChemElem(1, 2, 1, 0), "D");
  EXPECT_EQ(TMolForm::ChemElem(104, 1, 1, 1), "");
  EXPECT_EQ(TMolForm::ChemElem(6, 12, 0, 1), "");
  f.Clear();
  EXPECT_EQ(f.AsString(0), "");
  EXPECT_EQ(f.GetMolFormulaText(), "");
}

// ---------------------------------------------------------- weights, compare

TEST(MolFormWeights, SumsOfTheElementWeights) {
  auto glucose = Formula("C6H12O6");
  EXPECT_DOUBLE_EQ(glucose->ChemMolWgt(), 6 * 12.01115 + 12 * 1.00797 + 6 * 15.9994);
  EXPECT_DOUBLE_EQ(glucose->ExactMolWgt(), 6 * 12.0 + 12 * 1.007825 + 6 * 15.994915);
  EXPECT_EQ(glucose->NominalMolWgt(), 180);
  // Isotopes count only in the nominal mass.
  auto heavy = Formula("13C O2 D2");
  EXPECT_EQ(heavy->NominalMolWgt(), 13 + 32 + 4);
  EXPECT_DOUBLE_EQ(heavy->ExactMolWgt(), 12.0 + 2 * 15.994915 + 2 * 1.007825);
  // Lawrencium's mass and counts above 255 fit the widened fields.
  EXPECT_EQ(Formula("Lr2 C300")->NominalMolWgt(), 2 * 256 + 300 * 12);
}

TEST(MolFormCompare, ContainmentBothWays) {
  const struct {
    const char* a;
    const char* b;
    int result;
  } cases[] = {
      {"H2O", "H2O", 0},
      {"H2O", "H4O2", 2},
      {"H4O2", "H2O", 1},
      {"H2O", "C O2", -1},
      {"H2O", "", -2},
      {"", "H2O", -2},
      {"H O H", "H2O", 0},  // merged per element
      {"D2O", "H2O", -1},   // another isotope is another entry
      {"C2 H6 O", "C H3 (C H2) O H", 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.a) + " vs " + c.b);
    EXPECT_EQ(Formula(c.a)->CompareTo(*Formula(c.b)), c.result);
  }
}

// ---------------------------------------------------------------- mass search

TFormulaRec Range(const std::vector<std::vector<int>>& entries) {
  TFormulaRec r;
  r.NumAtoms = static_cast<int>(entries.size());
  for (size_t i = 0; i < entries.size(); ++i) {
    r.AtNum[i + 1] = static_cast<uint8_t>(entries[i][0]);
    r.AtWgt[i + 1] = entries[i][1];
    r.AtCnt[i + 1] = entries[i][2];
  }
  return r;
}

TEST(MolFormSearch, BenzeneAndTheCheck) {
  TMolForm f;
  f.SetVisible(false);
  f.InitFindFormula(78, 0.05, Range({{6, 12, 0}, {1, 1, 0}}), Range({{6, 12, 10}, {1, 1, 22}}));
  EXPECT_DOUBLE_EQ(f.SearchCandidatesTotal(), 11 * 23);
  ASSERT_TRUE(f.FindFormulaNominalMass(true));
  EXPECT_EQ(f.AsString(0), "C6 H6 ");
  // C5 H18 has the mass but fails N + 2C + 2 >= H; the display stays.
  EXPECT_FALSE(f.FindFormulaNominalMass(true));
  EXPECT_EQ(f.AsString(0), "C6 H6 ");
  EXPECT_TRUE(f.SearchExhausted());
  EXPECT_DOUBLE_EQ(f.SearchCandidatesDone(), 11 * 23);
  // Without the check C5 H18 is found too.
  f.InitFindFormula(78, 0.05, Range({{6, 12, 0}, {1, 1, 0}}), Range({{6, 12, 10}, {1, 1, 22}}));
  ASSERT_TRUE(f.FindFormulaNominalMass(false));
  ASSERT_TRUE(f.FindFormulaNominalMass(false));
  EXPECT_EQ(f.AsString(0), "C5 H18 ");
}

TEST(MolFormSearch, BadRangesFindNothing) {
  TMolForm f;
  f.SetVisible(false);
  // A lower count above the upper count: an empty range, not a long run.
  f.InitFindFormula(78, 0.05, Range({{6, 12, 7}, {1, 1, 0}}), Range({{6, 12, 5}, {1, 1, 22}}));
  EXPECT_FALSE(f.FindFormulaNominalMass(false));
  EXPECT_EQ(f.AsString(0), "H2 O ");
  // More entries than the record holds are cut to 20; nothing runs past.
  TFormulaRec big = Range({{6, 12, 1}});
  big.NumAtoms = 1000;
  f.InitFindFormula(12, 0.05, TFormulaRec{}, big);
  EXPECT_TRUE(f.FindFormulaNominalMass(false));
  EXPECT_EQ(f.GetNumAtoms(), 20);
  // Nothing initialised: nothing found.
  TMolForm fresh;
  fresh.SetVisible(false);
  EXPECT_FALSE(fresh.FindFormulaExactMass(false));
}

TEST(MolFormSearch, AbortStopsAndResumes) {
  TMolForm f;
  f.SetVisible(false);
  f.InitFindFormula(78.04695, 0.001, Range({{6, 12, 0}, {1, 1, 0}}),
                    Range({{6, 12, 10}, {1, 1, 22}}));
  AbortMathProc = true;
  EXPECT_FALSE(f.FindFormulaExactMass(false));
  EXPECT_FALSE(f.SearchExhausted());
  AbortMathProc = false;
  EXPECT_TRUE(f.FindFormulaExactMass(false));
  EXPECT_EQ(f.AsString(0), "C6 H6 ");
}

// Every candidate of the range in odometer order, judged one by one.
std::vector<std::string> Enumerate(const TFormulaRec& lo, const TFormulaRec& hi, double target,
                                   double tol, bool nominal, bool check) {
  std::vector<std::string> found;
  const int n = hi.NumAtoms;
  std::vector<int> c(n + 1);
  for (int i = 1; i <= n; ++i) c[i] = hi.AtCnt[i];
  for (;;) {
    bool ok;
    if (nominal) {
      int64_t m = 0;
      for (int i = 1; i <= n; ++i) m += int64_t{hi.AtWgt[i]} * c[i];
      ok = m == static_cast<int64_t>(std::nearbyint(target));
    } else {
      double m = 0;
      for (int i = 1; i <= n; ++i) m += ExactAtWeight(hi.AtNum[i]) * c[i];
      ok = std::fabs(m - target) < tol;
    }
    if (ok && check) {
      int64_t cnt[104] = {};
      for (int i = 1; i <= n; ++i) cnt[hi.AtNum[i]] = c[i];
      ok = cnt[7] + 2 * cnt[6] + 2 >= cnt[1] + cnt[9] + cnt[17] + cnt[35] + cnt[53];
    }
    if (ok) {
      std::string s;
      for (int i = 1; i <= n; ++i) s += TMolForm::ChemElem(hi.AtNum[i], hi.AtWgt[i], c[i], 1) + " ";
      found.push_back(s);
    }
    int i = n;
    --c[i];
    while (c[i] < lo.AtCnt[i]) {
      c[i] = hi.AtCnt[i];
      if (--i < 1) return found;
      --c[i];
    }
  }
}

TEST(MolFormSearch, AgreesWithPlainEnumeration) {
  const int elements[] = {6, 1, 7, 8, 16, 17, 9, 35, 15, 53};
  std::mt19937 rng(20261208);
  int searches_with_hits = 0;
  for (int round = 0; round < 300; ++round) {
    const int n = 1 + static_cast<int>(rng() % 5);
    std::vector<std::vector<int>> up, low;
    for (int i = 0; i < n; ++i) {
      const int z = elements[rng() % std::size(elements)];
      const int hi = static_cast<int>(rng() % 12);
      up.push_back({z, IntAtWeight(z), hi});
      low.push_back({z, IntAtWeight(z), static_cast<int>(rng() % (hi + 1))});
    }
    const TFormulaRec lo_rec = Range(low), hi_rec = Range(up);
    // A target near a mass of the range, so that there is something to find.
    double mass = 0;
    for (int i = 1; i <= n; ++i) {
      mass += ExactAtWeight(hi_rec.AtNum[i]) * (lo_rec.AtCnt[i] + hi_rec.AtCnt[i]) / 2;
    }
    const double tol = (round % 3 == 0) ? 0.5 : 0.01;
    const bool nominal = round % 2 == 0;
    const bool check = round % 5 == 0;
    SCOPED_TRACE(testing::Message() << "round " << round << " target " << mass);
    const auto expected = Enumerate(lo_rec, hi_rec, mass, tol, nominal, check);
    TMolForm f;
    f.SetVisible(false);
    f.InitFindFormula(mass, tol, lo_rec, hi_rec);
    std::vector<std::string> got;
    while (f.FindFormulaIntern(nominal, check)) {
      std::string s;
      const TFormulaRec& r = f.GetFormulaRec();
      for (int i = 1; i <= r.NumAtoms; ++i)
        s += TMolForm::ChemElem(r.AtNum[i], r.AtWgt[i], r.AtCnt[i], 1) + " ";
      got.push_back(s);
    }
    EXPECT_EQ(got, expected);
    EXPECT_DOUBLE_EQ(f.SearchCandidatesDone(), f.SearchCandidatesTotal());
    searches_with_hits += !expected.empty();
  }
  EXPECT_GT(searches_with_hits, 30);  // the comparison is not empty
}

// ------------------------------------------------------------------ painting

// A parent of 200 x 40 pixels in red holding a formula at (0, 0).
struct Scene {
  TCustomControl parent;
  TMolForm* form;
  Scene() {
    parent.SetBounds(0, 0, 200, 40);
    parent.SetColor(clRed);
    form = new TMolForm(&parent);
    form->SetParent(&parent);
    form->SetBounds(0, 0, 200, 28);
    form->GetFont()->SetSize(14);
    form->SetColorBkg(clWhite);
  }
  // Columns and rows of the pixels that are neither red nor white.
  TRect Ink() {
    auto shot = TakeScreenshot(&parent);
    TRect r{10000, 10000, -1, -1};
    for (int y = 0; y < form->GetHeight(); ++y) {
      for (int x = 0; x < shot->GetWidth(); ++x) {
        const TColor c = shot->ScanLine(y)[x];
        if (c == clRed || c == clWhite) continue;
        r = {std::min(r.Left, x), std::min(r.Top, y), std::max(r.Right, x + 1),
             std::max(r.Bottom, y + 1)};
      }
    }
    return r;
  }
};

TEST(MolFormPaint, HeightFollowsTheSmallFont) {
  Scene s;
  s.form->SetMolFormula("C6H12O6");
  s.Ink();
  TBitmap probe(1, 1);
  probe.GetCanvas()->GetFont()->SetSize(static_cast<int>(std::lround(14 * 0.8)) + 1);
  EXPECT_EQ(s.form->GetHeight(), 2 * probe.GetCanvas()->TextHeight("M"));
}

TEST(MolFormPaint, CountsBelowAndMassNumbersAboveTheSymbols) {
  Scene s;
  s.form->SetAlignment(taLeftJustify);
  s.form->SetMolFormula("C O");
  const TRect plain = s.Ink();
  ASSERT_GT(plain.Right, 0);
  s.form->SetMolFormula("C6 O");
  const TRect counted = s.Ink();
  EXPECT_GT(counted.Bottom, plain.Bottom);  // the subscript reaches lower
  EXPECT_GT(counted.Right, plain.Right);
  s.form->SetMolFormula("13C O");
  const TRect isotope = s.Ink();
  EXPECT_LT(isotope.Top, plain.Top);  // the superscript reaches higher
  // ivNone hides it; ivAlways shows 16 over O too; D stays without mass.
  s.form->SetIsotVis(ivNone);
  EXPECT_EQ(s.Ink(), plain);
  s.form->SetIsotVis(ivAlways);
  s.form->SetMolFormula("D2");
  const TRect d_always = s.Ink();
  s.form->SetIsotVis(ivSpecial);
  EXPECT_EQ(s.Ink(), d_always);
  s.form->SetUseDeuter(false);  // H with the mass number 2 raised
  EXPECT_LT(s.Ink().Top, d_always.Top);
  // As text, the counts are not lowered.
  s.form->SetMolFormula("C6 O");
  s.form->SetShowAsText(true);
  EXPECT_LT(s.Ink().Bottom, counted.Bottom);
}

TEST(MolFormPaint, AlignmentAndBackground) {
  Scene s;
  s.form->SetMolFormula("C6H12O6");
  int lefts[3];
  const TAlignment al[] = {taLeftJustify, taCenter, taRightJustify};
  for (int i = 0; i < 3; ++i) {
    s.form->SetAlignment(al[i]);
    const TRect ink = s.Ink();
    lefts[i] = ink.Left;
    if (al[i] == taCenter) {
      EXPECT_NEAR(ink.Left + ink.Right, 200, 6);
    } else if (al[i] == taRightJustify) {
      EXPECT_GE(ink.Right, 195);
    }
  }
  EXPECT_LT(lefts[0], lefts[1]);
  EXPECT_LT(lefts[1], lefts[2]);
  // Opaque: the whole control is the background colour or text.
  auto shot = TakeScreenshot(&s.parent);
  EXPECT_EQ(shot->ScanLine(0)[0], clWhite);
  EXPECT_EQ(shot->ScanLine(s.form->GetHeight() - 1)[199], clWhite);
  // A formula wider than the control shows its middle part, centred.
  s.form->SetWidth(30);
  const TRect middle = s.Ink();
  EXPECT_GT(middle.Right - middle.Left, 20);
  EXPECT_LE(middle.Right, 30);
}

TEST(MolFormPaint, TransparentShowsTheParent) {
  Scene s;
  s.form->SetMolFormula("C6H12O6");
  s.form->SetColorTxt(clBlue);
  s.form->SetTransparent(true);
  auto shot = TakeScreenshot(&s.parent);
  int red = 0, blue = 0, white = 0;
  for (int y = 0; y < s.form->GetHeight(); ++y) {
    for (int x = 0; x < 200; ++x) {
      const TColor c = shot->ScanLine(y)[x];
      red += c == clRed;
      blue += c == clBlue;
      white += c == clWhite;
    }
  }
  EXPECT_EQ(white, 0);       // no background of its own
  EXPECT_GT(red, 200 * 10);  // the parent shows through
  EXPECT_GT(blue, 20);       // the text is drawn in its colour
  // Opaque again: the background colour is back.
  s.form->SetTransparent(false);
  EXPECT_EQ(TakeScreenshot(&s.parent)->ScanLine(0)[0], clWhite);
}

TEST(MolFormPaint, AssignCopiesEverything) {
  TMolForm a, b;
  a.SetVisible(false);
  b.SetVisible(false);
  a.SetMolFormula("13C6 H6");
  a.SetAlignment(taRightJustify);
  a.SetIsotVis(ivAlways);
  a.InitFindFormula(78, 0.05, TFormulaRec{}, Range({{6, 12, 10}, {1, 1, 22}}));
  b.Assign(&a);
  EXPECT_EQ(b.AsString(1), "13C6 1H6 ");
  EXPECT_EQ(b.GetMolFormulaText(), "13C6 H6");
  EXPECT_EQ(b.GetAlignment(), taRightJustify);
  EXPECT_EQ(b.GetIsotopeVis(), ivAlways);
  ASSERT_TRUE(b.FindFormulaNominalMass(true));  // the search state came along
  EXPECT_EQ(b.AsString(0), "C6 H6 ");
}

}  // namespace
}  // namespace tkz
