#include "core/numkit/math1.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <numbers>
#include <vector>

namespace tkz {
namespace {

TEST(Round125, PicksTheNearestSeriesMemberInLogScale) {
  EXPECT_EQ(Round125(1.0), 1.0);
  EXPECT_EQ(Round125(1.41), 1.0);
  EXPECT_EQ(Round125(1.42), 2.0);
  EXPECT_EQ(Round125(3.16), 2.0);
  EXPECT_EQ(Round125(3.17), 5.0);
  EXPECT_EQ(Round125(7.07), 5.0);
  EXPECT_EQ(Round125(7.08), 10.0);
  EXPECT_EQ(Round125(1234.0), 1000.0);
  EXPECT_EQ(Round125(4200.0), 5000.0);
  EXPECT_EQ(Round125(0.0023), 0.002);  // nearest double to the decimal
  EXPECT_EQ(Round125(0.3), 0.2);
  EXPECT_EQ(Round125(1000.0), 1000.0);
  EXPECT_EQ(Round125(-0.048), -0.05);
  EXPECT_EQ(Round125(0.0), 0.0);
  EXPECT_EQ(Round125(NAN), 0.0);
  EXPECT_EQ(Round125(-INFINITY), 0.0);
  EXPECT_EQ(Round125(1.7e308), 1e308);  // 2e308 does not exist
  EXPECT_GT(Round125(5e-324), 0.0);
}

TEST(BRandom, HonoursTheProbabilityAndItsLimits) {
  SeedBRandom(42);
  int hits = 0;
  for (int i = 0; i < 20000; ++i) hits += BRandom(0.25);
  EXPECT_NEAR(hits / 20000.0, 0.25, 0.015);  // about 5 standard deviations
  for (int i = 0; i < 100; ++i) {
    EXPECT_FALSE(BRandom(0.0));
    EXPECT_FALSE(BRandom(-1.0));
    EXPECT_FALSE(BRandom(NAN));
    EXPECT_TRUE(BRandom(1.0));
    EXPECT_TRUE(BRandom(7.0));
  }
  SeedBRandom(7);
  std::vector<bool> first;
  for (int i = 0; i < 64; ++i) first.push_back(BRandom(0.5));
  SeedBRandom(7);
  for (int i = 0; i < 64; ++i) EXPECT_EQ(BRandom(0.5), first[static_cast<size_t>(i)]);
}

TEST(SphereGreatCircleDist, ShortLongAndAntipodalDistances) {
  const double R = 6378000.0;
  const double perDeg = R * std::numbers::pi / 180;
  EXPECT_NEAR(SphereGreatCircleDist(R, 0, 0, 0, 1), perDeg, 1e-8);
  // One millimetre-scale step: the law of cosines would give 0 or noise.
  const double lat2 = 45 + 1e-8, step = lat2 - 45;  // the step as actually represented
  EXPECT_NEAR(SphereGreatCircleDist(R, 45, 7, lat2, 7), step * perDeg, 1e-15);
  EXPECT_NEAR(SphereGreatCircleDist(R, 10, 20, 10, 20), 0.0, 0.0);
  EXPECT_NEAR(SphereGreatCircleDist(R, 0, 0, 0, 180), std::numbers::pi * R, 1e-6);
  EXPECT_NEAR(SphereGreatCircleDist(R, 90, 0, -90, 0), std::numbers::pi * R, 1e-6);
  // Nearly antipodal, off the equator: the supplement is what must be exact.
  EXPECT_NEAR(
      SphereGreatCircleDist(1, 30, 0, -30, 179.999999),
      std::numbers::pi - 1e-6 * std::numbers::pi / 180 * std::cos(30 * std::numbers::pi / 180),
      1e-14);
  EXPECT_NEAR(SphereGreatCircleDist(R, 0, 179, 0, -179), 2 * perDeg, 1e-6);  // across 180
  EXPECT_NEAR(SphereGreatCircleDist(1, 0, 0, 90, 0), std::numbers::pi / 2, 1e-15);
  EXPECT_NEAR(SphereGreatCircleDist(1, 0, 0, 45, 90), std::numbers::pi / 2, 1e-15);
  EXPECT_EQ(SphereGreatCircleDist(R, NAN, 0, 1, 1), 0.0);
}

TEST(DegreeToStr, WritesAllFourFormats) {
  EXPECT_EQ(DegreeToStr(12.345, dfDeg, 3), "12.345\xB0");
  EXPECT_EQ(DegreeToStr(12.345, dfDegMin, 2),
            "12\xB0"
            "20.70'");
  EXPECT_EQ(DegreeToStr(12.345, dfDegMinSec, 1),
            "12\xB0"
            "20'42.0\"");
  EXPECT_EQ(DegreeToStr(12.345, dfNumeric, 2), "12.35");
  EXPECT_EQ(DegreeToStr(5.1, dfDegMin, 0),
            "5\xB0"
            "06'");
  EXPECT_EQ(DegreeToStr(5.0, dfDegMinSec, 0),
            "5\xB0"
            "00'00\"");
  EXPECT_EQ(DegreeToStr(48, dfDeg, 0), "48\xB0");
}

TEST(DegreeToStr, SignsCarriesAndBadInput) {
  EXPECT_EQ(DegreeToStr(-12.345, dfDegMin, 2),
            "-12\xB0"
            "20.70'");
  EXPECT_EQ(DegreeToStr(-0.5, dfDegMinSec, 0),
            "-0\xB0"
            "30'00\"");
  EXPECT_EQ(DegreeToStr(-0.0001, dfDeg, 2), "0.00\xB0");  // no "-0.00"
  EXPECT_EQ(DegreeToStr(-0.0001, dfDegMin, 0),
            "0\xB0"
            "00'");
  // 59.9999' and 59.99" round up into the next degree.
  EXPECT_EQ(DegreeToStr(10 + 59.9999 / 60, dfDegMin, 1),
            "11\xB0"
            "00.0'");
  EXPECT_EQ(DegreeToStr(10 + 59.0 / 60 + 59.99 / 3600, dfDegMinSec, 1),
            "11\xB0"
            "00'00.0\"");
  EXPECT_EQ(DegreeToStr(1.0, dfDeg, -3), "1\xB0");
  EXPECT_EQ(DegreeToStr(NAN, dfDeg, 2), "");
  EXPECT_EQ(DegreeToStr(INFINITY, dfDegMin, 2), "");
  EXPECT_EQ(DegreeToStr(1e20, dfDegMinSec, 2),
            "100000000000000000000\xB0"
            "00'00\"");
}

TEST(ScanDateTime, ReadsTheLandmarkStampAndMovesPastIt) {
  int pos = 3;
  const double t = ScanDateTime("x=20240315134530;", "yyyymmddHHMMSS", lgEnglish, pos);
  EXPECT_NEAR(t, 45366.57326388889, 1e-9);
  EXPECT_EQ(pos, 17);
  pos = 1;
  EXPECT_NEAR(ScanDateTime("20000101000000", "yyyymmddHHMMSS", lgGerman, pos), 36526.0, 0);
  EXPECT_EQ(pos, 15);
}

TEST(ScanDateTime, OtherTokensNamesAndSeparators) {
  int pos = 1;
  EXPECT_NEAR(ScanDateTime("31-12-99 23:59:59", "dd-mm-yy HH:MM:SS", lgEnglish, pos),
              36525.99998842592, 1e-9);
  pos = 1;
  EXPECT_NEAR(ScanDateTime("29 FEB 2024", "dd mmm yyyy", lgEnglish, pos), 45351.0, 0);
  pos = 1;
  EXPECT_NEAR(ScanDateTime("01.m\xE4r.2024", "dd.mmm.yyyy", lgGerman, pos), 45352.0, 0);
  pos = 1;  // French full name with the table's trailing blank ignored
  EXPECT_NEAR(ScanDateTime("f\xE9vrier 29 2024", "mmmm dd yyyy", lgFrench, pos), 45351.0, 0);
  EXPECT_EQ(pos, 16);
  pos = 1;
  EXPECT_NEAR(ScanDateTime("18:00:00.500", "HH:MM:SS.zzz", lgEnglish, pos), 0.75 + 0.5 / 86400,
              1e-12);
  pos = 1;  // before 1899-12-30: negative day minus the time
  EXPECT_NEAR(ScanDateTime("185006010600", "yyyymmddHHMM", lgEnglish, pos), -18109.25, 1e-9);
}

TEST(ScanDateTime, RejectsBadTextAndLeavesThePosition) {
  const char* cases[][2] = {
      {"2024031513453", "yyyymmddHHMMSS"},   // one digit short
      {"2024o315134530", "yyyymmddHHMMSS"},  // letter
      {"20240230000000", "yyyymmddHHMMSS"},  // 30 February
      {"20231301000000", "yyyymmddHHMMSS"},  // month 13
      {"20240315246000", "yyyymmddHHMMSS"},  // hour 24
      {"00000101000000", "yyyymmddHHMMSS"},  // year 0
      {"Foo 2024", "mmm yyyy"},
      {"2024", ""},
      {"2024", "yyyy-"},
  };
  for (auto& c : cases) {
    int pos = 1;
    EXPECT_EQ(ScanDateTime(c[0], c[1], lgEnglish, pos), 0.0) << c[0];
    EXPECT_EQ(pos, 1) << c[0];
  }
  int pos = 0;
  EXPECT_EQ(ScanDateTime("20240101", "yyyymmdd", lgEnglish, pos), 0.0);
  pos = 9;
  EXPECT_EQ(ScanDateTime("20240101", "yyyymmdd", lgEnglish, pos), 0.0);
  EXPECT_EQ(pos, 9);
  pos = 1;
  EXPECT_NEAR(ScanDateTime("Jan 2024", "mmm yyyy", static_cast<TLanguage>(99), pos), 45292.0, 0);
}

TEST(ScanHexAndDecimal, ReadIntegersAtAPositionAndMovePastThem) {
  int pos = 8;
  EXPECT_EQ(ScanHex("color=\"00FF80ff\"", pos), 0x00FF80FFLL);
  EXPECT_EQ(pos, 16);
  pos = 1;
  EXPECT_EQ(ScanHex("$1A;", pos), 0x1A);
  EXPECT_EQ(pos, 4);
  pos = 1;
  EXPECT_EQ(ScanHex("0x7fz", pos), 0x7F);
  EXPECT_EQ(pos, 5);
  pos = 1;
  EXPECT_EQ(ScanHex("0xg", pos), 0);  // reads the "0" alone
  EXPECT_EQ(pos, 2);
  pos = 1;
  EXPECT_EQ(ScanHex("FFFFFFFFFFFFFFFF", pos), -1);
  pos = 1;
  EXPECT_EQ(ScanHex("123456789ABCDEF012", pos), static_cast<int64_t>(0x3456789ABCDEF012ULL));
  EXPECT_EQ(pos, 19);
  for (int64_t v : {int64_t{0}, int64_t{-1}, INT64_MIN, INT64_MAX, int64_t{0x1234}}) {
    pos = 1;
    EXPECT_EQ(ScanHex(Hex(v, 16), pos), v);
  }

  pos = 2;
  EXPECT_EQ(ScanDecimal(")12(", pos), 12);
  EXPECT_EQ(pos, 4);
  pos = 1;
  EXPECT_EQ(ScanDecimal("-45x", pos), -45);
  EXPECT_EQ(pos, 4);
  pos = 1;
  EXPECT_EQ(ScanDecimal("+7", pos), 7);
  pos = 1;
  EXPECT_EQ(ScanDecimal("99999999999999999999x", pos), INT64_MAX);
  EXPECT_EQ(pos, 21);
  pos = 1;
  EXPECT_EQ(ScanDecimal("-9223372036854775808", pos), INT64_MIN);
}

TEST(ScanHexAndDecimal, NoDigitKeepsThePosition) {
  // ScanHex gives 0, ScanDecimal 1: a multiplier that is not written is 1.
  for (const char* text : {"", "x", "-", "- 5", " 5", "+x"}) {
    int pos = 1;
    EXPECT_EQ(ScanDecimal(text, pos), 1) << text;
    EXPECT_EQ(pos, 1) << text;
    EXPECT_EQ(ScanHex(text, pos), 0) << text;
    EXPECT_EQ(pos, 1) << text;
  }
  for (int pos0 : {-3, 0, 4, 100}) {
    int pos = pos0;
    EXPECT_EQ(ScanDecimal("123", pos), 1);
    EXPECT_EQ(ScanHex("123", pos), 0);
    EXPECT_EQ(pos, pos0);
  }
  // A formula group: "(C H3)2 C O" multiplies by 2, "(C H3) C O" by 1;
  // a written 0 stays 0.
  const auto groupFactor = [](std::string_view formula) {
    int pos = static_cast<int>(formula.find(')')) + 2;
    return ScanDecimal(formula, pos);
  };
  EXPECT_EQ(groupFactor("(C H3)2 C O"), 2);
  EXPECT_EQ(groupFactor("(C H3) C O"), 1);
  EXPECT_EQ(groupFactor("(O H)"), 1);
  EXPECT_EQ(groupFactor("(O H)0"), 0);
}

TEST(Hex, WritesExactlyTheRequestedDigits) {
  EXPECT_EQ(Hex(255, 4), "00FF");
  EXPECT_EQ(Hex(0x12345, 2), "45");
  EXPECT_EQ(Hex(-1, 4), "FFFF");
  EXPECT_EQ(Hex(0xABCDEF, 8), "00ABCDEF");
  EXPECT_EQ(Hex(1, 20), "00000000000000000001");
  EXPECT_EQ(Hex(5, 0), "");
  EXPECT_EQ(Hex(5, -2), "");
  EXPECT_EQ(Hex(5, 1000).size(), 64u);
}

TEST(Arrays, ExChangeAndSortArray) {
  double a = 1, b = 2;
  ExChange(a, b);
  EXPECT_EQ(a, 2);
  EXPECT_EQ(b, 1);
  int32_t i = 3, j = 4;
  ExChange(i, j);
  EXPECT_EQ(i, 4);
  int64_t k = 5, l = 6;
  ExChange(k, l);
  EXPECT_EQ(l, 5);
  std::array<int32_t, 6> groups = {12, 40, 7, 40, -3, 0};
  SortArray(groups, false);
  EXPECT_EQ(groups, (std::array<int32_t, 6>{40, 40, 12, 7, 0, -3}));
  TIntArray v = {3, 1, 2};
  SortArray(v, true);
  EXPECT_EQ(v, (TIntArray{1, 2, 3}));
  TIntArray none;
  SortArray(none, true);
}

TEST(Arrays, SortIntoAndInsertKeepTheSmallestValues) {
  // The six nearest of a stream of distances, start value 2e9.
  std::array<double, 6> best;
  std::array<int32_t, 6> who;
  best.fill(2e9);
  who.fill(0);
  const double dist[9] = {50, 20, 70, 20, 90, 10, 60, 80, 30};
  for (int n = 0; n < 9; ++n) {
    const int ix = SortIntoArray(dist[n], best);
    if (ix < 0) continue;
    InsertIntoArray(best, ix, dist[n]);
    InsertIntoArray(who, ix, n + 1);
  }
  EXPECT_EQ(best, (std::array<double, 6>{10, 20, 20, 30, 50, 60}));
  EXPECT_EQ(who, (std::array<int32_t, 6>{6, 2, 4, 9, 1, 7}));  // first of equals stays first
  EXPECT_EQ(SortIntoArray(60.0, best), -1);                    // ties with the last: nowhere
  EXPECT_EQ(SortIntoArray(NAN, best), -1);
  EXPECT_EQ(SortIntoArray(5.0, best), 0);
  const std::array<int32_t, 4> desc = {9, 7, 7, 1};
  EXPECT_EQ(SortIntoArray(8, desc, false), 1);
  EXPECT_EQ(SortIntoArray(7, desc, false), 3);
  EXPECT_EQ(SortIntoArray(0, desc, false), -1);
  EXPECT_FALSE(InsertIntoArray(best, -1, 1.0));
  EXPECT_FALSE(InsertIntoArray(best, 6, 1.0));
  EXPECT_EQ(best[5], 60);
  std::vector<double> empty;
  EXPECT_EQ(SortIntoArray(1.0, empty), -1);
  EXPECT_FALSE(InsertIntoArray(empty, 0, 1.0));
  InsertIntoArray(best, 5, 55.0);  // the last slot is simply overwritten
  EXPECT_EQ(best[5], 55);
}

}  // namespace
}  // namespace tkz
