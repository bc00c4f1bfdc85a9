#include "core/types/tkzbase.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "core/types/univconst.h"

namespace tkz {
namespace {

TEST(ResolveCSVDelimiter, MapsEachDelimiterAndRejectsOthers) {
  EXPECT_EQ(ResolveCSVDelimiter(' '), csvBlank);
  EXPECT_EQ(ResolveCSVDelimiter(';'), csvSemicolon);
  EXPECT_EQ(ResolveCSVDelimiter(','), csvComma);
  EXPECT_EQ(ResolveCSVDelimiter(':'), csvColon);
  EXPECT_EQ(ResolveCSVDelimiter('\t'), csvTab);
  EXPECT_EQ(ResolveCSVDelimiter('x'), csvUnknown);
  EXPECT_EQ(ResolveCSVDelimiter('\0'), csvUnknown);
}

TEST(Enumerations, OrdinalsAndSpellingsAreFixed) {
  EXPECT_EQ(tlsimple, 1);
  EXPECT_EQ(Bool, 5);
  EXPECT_EQ(maZoomPanColors, 18);  // 19 values
  EXPECT_EQ(fsEngraved, 5);
  EXPECT_EQ(csvTab, 5);
  EXPECT_EQ(sizeof(TMouseActMode), 1u);
}

TEST(LanguageTables, EveryTextFitsItsCapacity) {
  auto fits = [](std::string_view s, size_t cap) { return !s.empty() && s.size() <= cap; };
  for (int lg = lgUnknown; lg <= lgSpanish; ++lg) {
    for (int m = 1; m <= 12; ++m) {
      EXPECT_TRUE(fits(MonthShort[lg][m], 4)) << lg << " " << m;
      EXPECT_TRUE(fits(MonthLong[lg][m], 10)) << lg << " " << m;
    }
    for (int d = 1; d <= 7; ++d) {
      EXPECT_TRUE(fits(WeekDayShort[lg][d], 3)) << lg << " " << d;
      EXPECT_TRUE(fits(WeekDayLong[lg][d], 10)) << lg << " " << d;
    }
    for (int k = 0; k <= 12; ++k) EXPECT_TRUE(fits(NumWords[lg][k], 6)) << lg << " " << k;
    for (int named = lgUnknown; named <= lgSpanish; ++named)
      EXPECT_TRUE(fits(LanguageID[lg][named], 15)) << lg << " " << named;
    EXPECT_EQ(ISO639_2Char[lg].size(), 2u);
    EXPECT_EQ(ISO639_3Char[lg].size(), 3u);
  }
  for (int c = 160; c <= 255; ++c) {
    const std::string_view e = HTMLLat1Entities[c];
    EXPECT_TRUE(fits(e, 8) && e.front() == '&' && e.back() == ';') << c;
  }
  // Longest entries of the text, written in full.
  EXPECT_EQ(MonthLong[lgSpanish][9], "septiembre");
  EXPECT_EQ(WeekDayLong[lgGerman][4], "Donnerstag");
  EXPECT_EQ(HTMLLat1Entities[188], "&frac14;");
  EXPECT_EQ(WeekDayLong[lgSpanish][6],
            "s\xE1"
            "bado");
  EXPECT_EQ(MonthShort[lgFrench][8], "ao\xFB");
}

TEST(LanguageTables, HoldWindows1252TextWithTheirQuirks) {
  EXPECT_EQ(MonthLong[lgFrench][2], "f\xE9vrier ");  // trailing blank kept
  EXPECT_EQ(MonthLong[lgSpanish][5], "mai");
  EXPECT_EQ(MonthShort[lgGerman][1], "J\xE4n");
  EXPECT_EQ(MonthShort[lgUnknown][12], "M12");
  EXPECT_EQ(MonthShort[lgFrench][12],
            "d\xE9"
            "c");
  EXPECT_EQ(WeekDayShort[lgEnglish][1], "Mon");
  EXPECT_EQ(WeekDayLong[lgSpanish][3], "mi\xE9rcoles");
  EXPECT_EQ(NumWords[lgGerman][12], "zw\xF6lf");
  EXPECT_EQ(NumWords[lgFrench][1], "celui");
  EXPECT_EQ(LanguageID[lgGerman][lgFrench], "franz\xF6sisch");
  EXPECT_EQ(LanguageID[lgUnknown][lgSpanish], "???");
  EXPECT_EQ(ISO639_3Char[lgGerman], "ger");
  EXPECT_EQ(HTMLLat1Entities[160], "&nbsp;");
  EXPECT_EQ(HTMLLat1Entities[255], "&yuml;");
  EXPECT_EQ(HTMLLat1Entities[223], "&szlig;");
  EXPECT_EQ(DistModeId[dmEuclidSqr], "squared Euclidean");
  EXPECT_EQ(CSVDELIMITERIDS[csvUnknown], "undefined");
}

TEST(Records, RectDoubleHoldsOnlyPointsStrictlyInside) {
  // Top is the upper Y bound, as for latitudes.
  const TRectDouble r{10, 50, 20, 40};
  EXPECT_TRUE(r.Contains(15, 45));
  EXPECT_FALSE(r.Contains(10, 45));  // on the left edge
  EXPECT_FALSE(r.Contains(20, 45));
  EXPECT_FALSE(r.Contains(15, 50));  // on the top edge
  EXPECT_FALSE(r.Contains(15, 40));
  EXPECT_FALSE(r.Contains(15, 55));
  EXPECT_FALSE((TRectDouble{10, 40, 20, 50}.Contains(15, 45)));  // Top below Bottom: empty
}

TEST(Errors, ModuleErrorsAreCatchableAsTheRoot) {
  try {
    throw ETKZStringlError("bad");
  } catch (const ETKZError& e) {
    EXPECT_STREQ(e.what(), "bad");
  }
  EXPECT_THROW(throw ETKZCpuIdError("x"), std::exception);
}

std::string Image80(long double v) {
  unsigned char b[16] = {};
  std::memcpy(b, &v, 10);
  char hex[21];
  for (int i = 0; i < 10; ++i) std::snprintf(hex + 2 * i, 3, "%02x", b[9 - i]);
  return hex;
}

TEST(Constants, ReproduceTheStored80BitImages) {
#if defined(__x86_64__) || defined(__i386__)
  EXPECT_EQ(Image80(uc_e), "4000adf85458a2bb4a9a");
  EXPECT_EQ(Image80(uc_etom1), "3ffdbc5ab1b16779be36");
  EXPECT_EQ(Image80(uc_lg2), "3ffd9a209a84fbcff798");
  EXPECT_EQ(Image80(uc_lg5), "3ffeb2efb2bd82180434");
  EXPECT_EQ(Image80(uc_lge), "3ffdde5bd8a937287195");
  EXPECT_EQ(Image80(uc_lgPi), "3ffdfe8a6d98dd1dd807");
  EXPECT_EQ(Image80(uc_ln10), "4000935d8dddaaa8ac17");
  EXPECT_EQ(Image80(uc_ln2), "3ffeb17217f7d1cf79ab");
  EXPECT_EQ(Image80(uc_lnPi), "3fff928682473d0de85e");
  EXPECT_EQ(Image80(uc_PiH), "3fffc90fdaa22168c235");
  EXPECT_EQ(Image80(uc_PiSqr), "40029de9e64df22ef2d2");
  EXPECT_EQ(Image80(uc_Pitom1), "3ffda2f9836e4e441529");
  EXPECT_EQ(Image80(uc_sqrt2), "3fffb504f333f9de6485");
  EXPECT_EQ(Image80(uc_sqrt2pi), "4000a06c98ffb1382cb2");
  EXPECT_EQ(Image80(uc_sqrt2pitom1), "3ffdcc42299ea1b28468");
  EXPECT_EQ(Image80(uc_GoldenR), "3fffcf1bbcdcbfa53e0a");
  EXPECT_EQ(Image80(uc_MinReal), "3f7efca0293c42765b07");
  EXPECT_EQ(Image80(uc_MaxReal), "407dffc99e3c66fd68d2");
  EXPECT_EQ(Image80(uc_MinSingle), "3f6a89040a0f4c80569d");
  EXPECT_EQ(Image80(uc_MaxSingle), "407effc99e3c66fd68d2");
  EXPECT_EQ(Image80(uc_MinDouble), "3bcd818995ce7aa0e1b2");
  EXPECT_EQ(Image80(uc_MaxDouble), "43fef2168983b9dbb273");
  EXPECT_EQ(Image80(uc_MinExtended), "00000000000000000001");
  EXPECT_EQ(Image80(uc_MaxExtended), "7ffeecb12aed7f5875e1");
  EXPECT_EQ(Image80(uc_lnMinDouble), "c008ba1b6684ac474500");
  EXPECT_EQ(Image80(uc_lnMaxDouble), "4008b16e847ee37c422e");
  EXPECT_EQ(Image80(uc_lnMaxExtended), "400cb171c7ab26a28a52");
  EXPECT_EQ(Image80(uc_lnMinExtended), "c00cb21b457d80bddc0c");
  EXPECT_EQ(Image80(uc_lnMaxInt64), "4004aeac4f97f2883bc5");
  EXPECT_EQ(Image80(uc_lnMinReal), "c005b178e32221d34f6d");
  EXPECT_EQ(Image80(uc_lnMaxReal), "4005b00ec6f8cbf2e56f");
  EXPECT_EQ(Image80(uc_lnMinSingle), "c005ce6bf66052006fa1");
  EXPECT_EQ(Image80(uc_lnMaxSingle), "4005b171ab28bb968462");
#else
  GTEST_SKIP() << "no 80-bit extended type on this target";
#endif
  EXPECT_EQ(uc_MaxInt64, INT64_MAX);
}

TEST(Constants, LnFactorialTableAgreesWithLgamma) {
  EXPECT_EQ(uc_LnFactorial.size(), 1001u);
  EXPECT_EQ(uc_LnFactorial[0], 0.0);
  EXPECT_EQ(uc_LnFactorial[1], 0.0);
  EXPECT_EQ(uc_LnFactorial[2], 0.693147180559945);
  EXPECT_EQ(uc_LnFactorial[1000], 5912.12817848816);
  for (int k = 2; k <= 1000; ++k) {
    const double exact = std::lgamma(k + 1.0);
    EXPECT_NEAR(uc_LnFactorial[k], exact, std::abs(exact) * 1e-14 + 1e-15) << "k = " << k;
  }
}

int g_feedback_calls = 0;
void StopOnSecondStep(double stat) {
  ++g_feedback_calls;
  if (stat >= 2) AbortMathProc = true;
}

TEST(ProgressProtocol, CountsCallsBackAndStopsOnAbort) {
  ProcStat = 0;
  AbortMathProc = false;
  MathFeedBackProc = nullptr;
  EXPECT_TRUE(ProgressStep());
  EXPECT_EQ(ProcStat, 1.0);
  MathFeedBackProc = StopOnSecondStep;
  EXPECT_FALSE(ProgressStep());
  EXPECT_EQ(ProcStat, 2.0);
  EXPECT_EQ(g_feedback_calls, 1);
  MathFeedBackProc = nullptr;
  AbortMathProc = false;
  ProcStat = 0;
}

TEST(Components, OwnerDeletesWhatItOwns) {
  static int alive = 0;
  struct Probe : TComponent {
    explicit Probe(TComponent* o) : TComponent(o) { ++alive; }
    ~Probe() override { --alive; }
  };
  {
    TComponent owner;
    auto* a = new Probe(&owner);
    new Probe(a);
    new Probe(&owner);
    EXPECT_EQ(alive, 3);
    EXPECT_EQ(owner.ComponentCount(), 2);
    delete a;  // takes its own child with it and leaves the owner's list
    EXPECT_EQ(alive, 1);
    EXPECT_EQ(owner.ComponentCount(), 1);
  }
  EXPECT_EQ(alive, 0);
}

TEST(Components, AssignBetweenUnrelatedClassesRaises) {
  TComponent a, b;
  EXPECT_THROW(a.Assign(&b), EConvertError);
}

}  // namespace
}  // namespace tkz

namespace tkz {
namespace {

TEST(Variant, KindsAndArrayBounds) {
  EXPECT_EQ(TVariant().VarType(), varEmpty);
  EXPECT_EQ(TVariant(TVarNull{}).VarType(), varNull);
  EXPECT_EQ(TVariant(int16_t{1}).VarType(), varSmallint);
  EXPECT_EQ(TVariant(uint32_t{1}).VarType(), varLongWord);
  EXPECT_EQ(TVariant("x").VarType(), varString);
  EXPECT_EQ(TVariant(TVarDate{1.5}).VarType(), varDate);
  const TVariant a = TVariant::Array({1, 2, 3}, 5);
  ASSERT_TRUE(a.IsArray());
  EXPECT_EQ(a.AsArray()->High(), 7);
  EXPECT_EQ(TVariant::Array({}, 0).AsArray()->High(), -1);
  EXPECT_EQ(TVariant::Array({1, 2}, INT32_MAX).AsArray()->High(), int64_t{INT32_MAX} + 1);
  EXPECT_EQ(TVariant(3.0).AsArray(), nullptr);
}

}  // namespace
}  // namespace tkz
