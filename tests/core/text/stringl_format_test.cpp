#include <gtest/gtest.h>

#include <array>
#include <climits>
#include <cmath>

#include "core/text/stringl.h"

namespace tkz {
namespace {

TEST(Strff, FixedFormIsRightAlignedAndKeptWholeWhenTooWide) {
  EXPECT_EQ(strff(3.14159, 8, 2), "    3.14");
  EXPECT_EQ(strff(-2.5, 6, 0), "    -2");  // exact tie rounds to even
  EXPECT_EQ(strff(123456.789, 4, 1), "123456.8");
  EXPECT_EQ(strff(0.125, 0, 2), "0.12");  // exact binary tie: to even
  EXPECT_EQ(strff(2.675, 0, 2), "2.67");  // binary value lies below 2.675
  EXPECT_EQ(strff(-0.0, 5, 1), "  0.0");  // no negative zero
  EXPECT_EQ(strff(-0.001, 0, 2), "-0.00");
}

TEST(Strff, NegativeWidthPadsWithZerosAndMovesTheSign) {
  EXPECT_EQ(strff(-3.5, -8, 2), "-0003.50");
  EXPECT_EQ(strff(3.5, -8, 2), "00003.50");
  EXPECT_EQ(strff(-3.5, -5, 2), "-3.50");
  EXPECT_EQ(strff(42, -1, 0), "42");
}

TEST(Strff, ShortScientificHasTwoExponentDigitsOrStars) {
  const std::string s = strff(123.456, 10, -2);
  EXPECT_EQ(s, " 1.235E+02");
  EXPECT_EQ(s.size(), 10u);
  EXPECT_EQ(strff(-123.456, 10, -2), "-1.235E+02");
  EXPECT_EQ(strff(1e150, 10, -2), std::string(10, '*'));
  EXPECT_EQ(strff(1e99, 10, -2), " 1.000E+99");
  EXPECT_EQ(strff(1e-99, 10, -2), " 1.000E-99");
  EXPECT_EQ(strff(1e-100, 10, -2), std::string(10, '*'));
  EXPECT_EQ(strff(9.9996, 10, -2), " 1.000E+01");  // rounding carries into the exponent
  EXPECT_EQ(strff(0, 10, -2), " 0.000E+00");
  // Narrow fields widen to the minimum of one fraction digit.
  EXPECT_EQ(strff(2.5, 3, -2), " 2.5E+00");
  EXPECT_EQ(strff(2.5, 0, -2), " 2.5E+00");
  // Every width from the minimum up to the longest mantissa is met exactly.
  for (int w = 8; w <= 24; ++w) EXPECT_EQ(strff(1.0 / 3, w, -2).size(), static_cast<size_t>(w));
  EXPECT_EQ(strff(1.0 / 3, 40, -2).size(), 40u);
}

TEST(Strff, ScientificFormHasFourExponentDigits) {
  EXPECT_EQ(strff(-1.5e-7, 12, -1), "-1.500E-0007");
  EXPECT_EQ(strff(2.5, 0, -1), " 2.5E+0000");
  EXPECT_EQ(strff(1e300, 10, -5), " 1.0E+0300");
  EXPECT_EQ(strff(1e4000L, 10, -1), " 1.0E+4000");  // extended range
  // 17 fraction digits at most, the field padded on the left beyond that.
  EXPECT_EQ(strff(1, 30, -1), "     1.00000000000000000E+0000");
  // A value that is no double keeps its extended digits.
  EXPECT_EQ(strff(1.0L / 3, 26, -1), " 3.33333333333333333E-0001");
}

TEST(Strff, NonFiniteValuesAndLimits) {
  EXPECT_EQ(strff(NAN, 6, 2), "   NaN");
  EXPECT_EQ(strff(INFINITY, -6, 2), "   Inf");
  EXPECT_EQ(strff(-INFINITY, 2, -2), "-Inf");
  EXPECT_EQ(strff(1, 0, 1000).size(), 257u);  // decimals limited to 255
  EXPECT_EQ(strff(1, 100000, 0).size(), 255u);
  const std::string z = strff(1, INT_MIN, 0);
  EXPECT_EQ(z.size(), 255u);
  EXPECT_EQ(z.back(), '1');
  EXPECT_EQ(z.front(), '0');
  EXPECT_GT(strff(1e4000L, 0, 2).size(), 4000u);  // huge fixed numbers are written whole
}

TEST(StrffForcePlus, PutsAPlusWhereTheFieldHasRoom) {
  EXPECT_EQ(strffForcePlus(3.5, -8, 2), "+0003.50");
  EXPECT_EQ(strffForcePlus(3.5, 8, 2), "   +3.50");
  EXPECT_EQ(strffForcePlus(3.5, 4, 2), "+3.50");
  EXPECT_EQ(strffForcePlus(0.5, -4, 2), "+0.50");
  EXPECT_EQ(strffForcePlus(-3.5, 8, 2), "   -3.50");
  EXPECT_EQ(strffForcePlus(123.456, 10, -2), "+1.235E+02");
  // A lone "0" is the number itself, not padding.
  EXPECT_EQ(strffForcePlus(0, 1, 0), "+0");
  EXPECT_EQ(strffForcePlus(7, -3, 0), "+07");
}

TEST(FormatData, FixedWithinNineSignificantDigitsElseScientific) {
  const std::string big = FormatData(1234567.0, 10, 2);
  EXPECT_EQ(big, " 1.234567000E+06");
  EXPECT_EQ(big.size(), 16u);
  EXPECT_EQ(FormatData(0, 8, 3), "   0.000");
  EXPECT_EQ(FormatData(999999.99, 10, 2), " 999999.99");
  EXPECT_EQ(FormatData(-12.5, 8, 1), "   -12.5");
  EXPECT_EQ(FormatData(0.01, 8, 2), "    0.01");
  EXPECT_EQ(FormatData(0.009, 8, 2), " 9.0000000E-03");  // below 10^-2
  EXPECT_EQ(FormatData(1.5, 8, 9), " 1.5000000E+00");    // decimals outside 0..8
  EXPECT_EQ(FormatData(1.5, 8, -1), " 1.5000000E+00");
  EXPECT_EQ(FormatData(3.25, -5, 2), "3.25");  // negative width counts as 0
  EXPECT_EQ(FormatData(NAN, 2, 2), "     NaN");
}

TEST(SigDigStr, ChoosesFixedOrScientificBySignificantDigits) {
  EXPECT_EQ(SigDigStr(0, 8, 3), "    0.00");
  EXPECT_EQ(SigDigStr(123.456, 10, 4), "     123.5");
  EXPECT_EQ(SigDigStr(0.00123, 10, 3), "   0.00123");
  EXPECT_EQ(SigDigStr(123456, 10, 3), "    123456");     // more digits than asked, but they fit
  EXPECT_EQ(SigDigStr(123456, 5, 3), " 1.23E+05");       // do not fit in the field
  EXPECT_EQ(SigDigStr(0.000012345, 8, 3), " 1.23E-05");  // too many leading zeros
  EXPECT_EQ(SigDigStr(123.456, 10, 4, true), "123.5");
  EXPECT_EQ(SigDigStr(123.456, 10, 4, false), "     123.5");
  EXPECT_EQ(SigDigStr(INFINITY, 10, 3), "       Inf");
  EXPECT_EQ(SigDigStr(5, 4, 0), "   5");  // SigDigits below 1 counts as 1
}

TEST(AutoFormatData, CompactTextWithoutBlanks) {
  EXPECT_EQ(AutoFormatData(0, 4), "0.000");
  EXPECT_EQ(AutoFormatData(123.456, 5), "123.46");
  EXPECT_EQ(AutoFormatData(-123.456, 5), "-123.46");
  EXPECT_EQ(AutoFormatData(0.5, 3), "0.50");
  EXPECT_EQ(AutoFormatData(1e-5, 3), "1.00E-05");
  EXPECT_EQ(AutoFormatData(123456, 4), "1.235E+05");
  EXPECT_EQ(AutoFormatData(2.5, 1), "2.5");  // SigDigits clamped to 2
  EXPECT_EQ(AutoFormatData(1.5, 3, true), "1,50");
  EXPECT_EQ(AutoFormatData(1e-5, 3, true), "1,00E-05");
  EXPECT_EQ(AutoFormatData(NAN, 3), "NaN");
}

TEST(TimeString, AllModes) {
  EXPECT_EQ(TimeString(3725.5, 0), "01:02:05.50");
  EXPECT_EQ(TimeString(3725.5, 1), "01:02:05");
  EXPECT_EQ(TimeString(18429, 2), " 5h07");
  EXPECT_EQ(TimeString(18429, 3), " 5h07'09\"");
  EXPECT_EQ(TimeString(18429, 4), "05:07");
  EXPECT_EQ(TimeString(0, 5), "12:00a");
  EXPECT_EQ(TimeString(300, 5), "12:05a");
  EXPECT_EQ(TimeString(13.5 * 3600, 5), " 1:30p");
  EXPECT_EQ(TimeString(12 * 3600 + 300, 5), "12:05p");
  EXPECT_EQ(TimeString(23 * 3600, 5), "11:00p");
  EXPECT_EQ(TimeString(10, 6), "");
}

TEST(TimeString, OddInputs) {
  EXPECT_EQ(TimeString(-5, 1), "00:00:00");
  EXPECT_EQ(TimeString(NAN, 1), "00:00:00");
  EXPECT_EQ(TimeString(360000, 0), "100:00:00.00");
  EXPECT_EQ(TimeString(65536.0 * 3600 + 61, 1), "65536:01:01");  // hours do not wrap
  EXPECT_EQ(TimeString(25 * 3600, 5), " 1:00a");                 // hour of the day
  EXPECT_EQ(TimeString(1e300, 4).substr(0, 4), "1000");          // capped, no overflow
}

TEST(TimeString, HundredthsAreTruncatedFromTheDecimalValue) {
  // 0.29 is stored as 0.28999...; the hundredths must still read 29.
  EXPECT_EQ(TimeString(0.29, 0), "00:00:00.29");
  for (int c = 0; c < 100; ++c) {
    const std::string two = (c < 10 ? "0" : "") + std::to_string(c);
    EXPECT_EQ(TimeString(std::stod("3637." + two), 0), "01:00:37." + two);
  }
  // Truncated, never rounded up into the next second.
  EXPECT_EQ(TimeString(59.999, 0), "00:00:59.99");
  EXPECT_EQ(TimeString(0.0099, 0), "00:00:00.00");
  EXPECT_EQ(TimeString(5e-324, 0), "00:00:00.00");
}

TEST(BooleanTexts, EightNotationsAndTriStates) {
  const char* t[] = {"TRUE", "T", ".T.", "1", "-1", "FF", "YES", "GOOD"};
  const char* f[] = {"FALSE", "F", ".F.", "0", "0", "00", "NO", "BAD"};
  for (int m = 0; m < 8; ++m) {
    EXPECT_EQ(BoolToStr(true, m), t[m]);
    EXPECT_EQ(BoolToStr(false, m), f[m]);
  }
  EXPECT_EQ(BoolToStr(true, 8), "TRUE");
  EXPECT_EQ(BoolToStr(false, -1), "FALSE");
  EXPECT_EQ(BinString(true, "a", "b"), "a");
  EXPECT_EQ(BinString(false, "a", "b"), "b");

  EXPECT_EQ(TriStateToStr(tsUndefined, 2), "unknown");
  EXPECT_EQ(TriStateToStr(tsFalse, 1), "-1");
  EXPECT_EQ(TriStateToStr(tsTrue, 1), "1");
  EXPECT_EQ(TriStateToStr(tsUndefined, 1), "0");
  EXPECT_EQ(TriStateToStr(tsTrue, 2), "yes");
  EXPECT_EQ(TriStateToStr(tsFalse, 7), "false");
  EXPECT_EQ(TriStateToStr(tsUndefined, 0), "");

  EXPECT_EQ(StrToTriState(" Yes "), tsTrue);
  EXPECT_EQ(StrToTriState("TRUE"), tsTrue);
  EXPECT_EQ(StrToTriState("+1"), tsTrue);
  EXPECT_EQ(StrToTriState("no"), tsFalse);
  EXPECT_EQ(StrToTriState("-1"), tsFalse);
  EXPECT_EQ(StrToTriState("0"), tsUndefined);
  EXPECT_EQ(StrToTriState(""), tsUndefined);
  EXPECT_EQ(StrToTriState("\tyes"), tsUndefined);  // tabs are not blanks
}

TEST(ConvertVariant, Scalars) {
  EXPECT_EQ(ConvertVariant(TVariant(TVarNull{})), "NULL");
  EXPECT_EQ(ConvertVariant(TVariant(int16_t{-5})), "-5");
  EXPECT_EQ(ConvertVariant(TVariant(uint32_t{4000000000u})), "4000000000");
  EXPECT_EQ(ConvertVariant(TVariant(int64_t{-9000000000})), "-9000000000");
  EXPECT_EQ(ConvertVariant(TVariant(uint8_t{200})), "200");
  EXPECT_EQ(ConvertVariant(TVariant(1.5f)), " 1.500E+00");
  EXPECT_EQ(ConvertVariant(TVariant(-2.0)), "-2.000E+00");
  EXPECT_EQ(ConvertVariant(TVariant(true)), "TRUE");
  EXPECT_EQ(ConvertVariant(TVariant("text")), "text");
  EXPECT_EQ(ConvertVariant(TVariant()), "(unknown type: 0)");
  EXPECT_EQ(ConvertVariant(TVariant(TVarDate{1.5})), "(unknown type: 7)");
}

TVariant Ints(std::initializer_list<int32_t> v, int32_t low = 0) {
  std::vector<TVariant> items;
  for (int32_t x : v) items.emplace_back(x);
  return TVariant::Array(std::move(items), low);
}

TEST(ConvertVariant, OneLevelArrays) {
  EXPECT_EQ(ConvertVariant(Ints({})), "undefined array");
  EXPECT_EQ(ConvertVariant(Ints({1, 2, 3})), "Array[0,2]:\r\n1,2,3");
  EXPECT_EQ(ConvertVariant(Ints({7, 8}, -2)), "Array[-2,-1]:\r\n7,8");
  EXPECT_EQ(ConvertVariant(Ints({7, 8}, INT32_MAX)), "Array[2147483647,2147483648]:\r\n7,8");
  EXPECT_EQ(ConvertVariant(Ints({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14}, 1)),
            "Array[1,14]:\r\n1,2,3,4,5,6,7,8,9,10,11,12,...");
}

TEST(ConvertVariant, TwoAndThreeLevelArrays) {
  const TVariant two = TVariant::Array({Ints({1, 2, 3}), Ints({4, 5, 6})});
  EXPECT_EQ(ConvertVariant(two), "Array[0,1][0,2]:\r\n1,4\r\n2,5\r\n3,6\r\n");

  const TVariant ragged = TVariant::Array({Ints({1, 2}), Ints({4})});
  EXPECT_EQ(ConvertVariant(ragged), "Array[0,1][0,1]:\r\n1,4\r\n2,\r\n");

  std::vector<TVariant> cols;
  for (int i = 0; i < 13; ++i) cols.push_back(Ints({0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
  const std::string cut = ConvertVariant(TVariant::Array(cols));
  EXPECT_EQ(cut.substr(0, 25), "Array[0,12][0,10]:\r\n0,0,0");
  EXPECT_NE(cut.find("9,9,9,9,9,9,9,9,9,9,9,9,...\r\n ......"), std::string::npos);
  EXPECT_EQ(cut.find("10,10"), std::string::npos);  // the eleventh line is cut
  EXPECT_EQ(cut.size() - cut.rfind(" ......"), 7u);

  const TVariant three =
      TVariant::Array({TVariant::Array({Ints({1, 2, 3, 4}), Ints({5, 6, 7, 8})})});
  EXPECT_EQ(ConvertVariant(three),
            "Array[0,0][0,1][0,3]:\r\n"
            "layer 0:\r\n1\r\n5\r\n"
            "layer 1:\r\n2\r\n6\r\n"
            "layer 2:\r\n3\r\n7\r\n"
            " ... more layers");
}

TEST(CreateParList, ListsBracketsAndCuts) {
  const TIntArray five{1, 2, 3, 4, 5};
  EXPECT_EQ(CreateParList(five, false, 3, true), "[1,2,3,...]");
  EXPECT_EQ(CreateParList(five, false, 0, true), "[1,2,3,4,5]");
  EXPECT_EQ(CreateParList(five, true, 2, false), "1,2,...,");
  EXPECT_EQ(CreateParList(five, false, 9, false), "1,2,3,4,5");
  EXPECT_EQ(CreateParList(TIntArray{}, false, 0, true), "[]");
  EXPECT_EQ(CreateParList(TIntArray{}, false, 0, false), "");
  EXPECT_EQ(CreateParList(TIntArray{}, true, 0, true), "[],");
  const std::array<int32_t, 2> fixed{-7, 8};
  EXPECT_EQ(CreateParList(fixed, false, 0, true), "[-7,8]");
  EXPECT_EQ(CreateParList({1, 2, 3}, false, 0, false), "1,2,3");
}

TEST(CreateParList, BooleansAndFloats) {
  EXPECT_EQ(CreateParList({true, false}, false, 0, true), "[TRUE,FALSE]");
  const std::array<bool, 3> flags{false, false, true};
  EXPECT_EQ(CreateParList(flags, false, 1, false), "FALSE,...");
  const TDoubleArray d{1.5, 0.25, 1e-7};
  EXPECT_EQ(CreateParList(d, false, 0, 3, true), "[1.50,0.25,1.00E-07]");
  EXPECT_EQ(CreateParList({1.5, 2.0}, true, 1, 2, false), "1.5,...,");
  EXPECT_EQ(CreateParList(TDoubleArray{}, false, 0, 3, true), "[]");
}

}  // namespace
}  // namespace tkz
