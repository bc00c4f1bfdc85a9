#include "core/colour/tkzcolors.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <string>

#include "core/text/stringl.h"

using namespace tkz;

namespace {

struct Rgb {
  int r, g, b;
  friend bool operator==(const Rgb&, const Rgb&) = default;
};
std::ostream& operator<<(std::ostream& os, const Rgb& c) {
  return os << "(" << c.r << ", " << c.g << ", " << c.b << ")";
}
Rgb Split(TColor c) { return {GetRValue(c), GetGValue(c), GetBValue(c)}; }
TColor Named(const char* name) {
  const int i = FindColorName(name);
  return i < 0 ? -1 : AllTKZColors[static_cast<size_t>(i)];
}

// The colours of a sample of the RGB cube (every step-th value of each
// channel, from 0) that do not come back unchanged through a model.
using Forward = void (*)(int, int, int, double&, double&, double&);
using Inverse = void (*)(double, double, double, int&, int&, int&);
int RoundTripFailures(Forward to, Inverse back, int rStep, int gStep, int bStep) {
  int bad = 0;
  for (int r = 0; r < 256; r += rStep)
    for (int g = 0; g < 256; g += gStep)
      for (int b = 0; b < 256; b += bStep) {
        double x, y, z;
        to(r, g, b, x, y, z);
        int r2, g2, b2;
        back(x, y, z, r2, g2, b2);
        if (r2 != r || g2 != g || b2 != b) ++bad;
      }
  return bad;
}

TEST(ColourInterpolation, TruncatesAndClamps) {
  EXPECT_EQ(InterpolateColor(clBlack, clWhite, 0.5), 0x7F7F7F);
  EXPECT_EQ(InterpolateColor(clBlack, clWhite, -1), clBlack);
  EXPECT_EQ(InterpolateColor(clBlack, clWhite, 2), clWhite);
  EXPECT_EQ(InterpolateColor(clWhite, clBlack, 0.5), 0x7F7F7F);  // 127.5 truncated
  EXPECT_EQ(InterpolateColor(clRed, clBlue, std::nan("")), clRed);
  // The top byte of the arguments is ignored and the result has none.
  EXPECT_EQ(InterpolateColor(static_cast<TColor>(0xFF000000), 0x01FFFFFF, 1), clWhite);
  EXPECT_EQ(MeanColor(clBlack, clWhite), 0x7F7F7F);

  EXPECT_EQ(Interpolate3Colors(clRed, clLime, clBlue, 0.5), clLime);
  EXPECT_EQ(Interpolate3Colors(clRed, clLime, clBlue, 0), clRed);
  EXPECT_EQ(Interpolate3Colors(clRed, clLime, clBlue, 7), clBlue);
  EXPECT_EQ(Interpolate3Colors(clRed, clLime, clBlue, 0.75), RGB(0, 127, 127));
  EXPECT_EQ(Interpolate3Colors(clRed, clLime, clBlue, 0.25), RGB(127, 127, 0));
}

TEST(ColourInterpolation, ReverseAndInvert) {
  EXPECT_EQ(ReverseRGBColor(0x123456), 0x563412);
  EXPECT_EQ(ReverseRGBColor(static_cast<TColor>(0xFF123456)), 0x563412);
  EXPECT_EQ(InvertColor(0x123456), 0xEDCBA9);
  EXPECT_EQ(InvertColor(static_cast<TColor>(0xFF000000)), clWhite);
}

TEST(ColourHexText, WritesEightDigitsOfTheWholeValue) {
  EXPECT_EQ(ColorToHexStr(clRed), "000000FF");
  EXPECT_EQ(ColorToHexStr(clBlue), "00FF0000");
  EXPECT_EQ(ColorToHexStr(clNone), "1FFFFFFF");
  EXPECT_EQ(ColorToHexStr(clBtnFace), "FF00000F");
}

TEST(ColourHexText, ReadsLeniently) {
  EXPECT_EQ(HexStrToColor("  $FF00  "), 0xFF00);
  EXPECT_EQ(HexStrToColor("12G4"), 0x12);
  EXPECT_EQ(HexStrToColor(""), 0);
  EXPECT_EQ(HexStrToColor("    "), 0);
  EXPECT_EQ(HexStrToColor("$  ff"), 0xFF);
  EXPECT_EQ(HexStrToColor("aBcDeF"), 0xABCDEF);
  EXPECT_EQ(HexStrToColor("123456789"), 0x23456789);  // the last 8 digits
  EXPECT_EQ(HexStrToColor("FF00000F"), clBtnFace);
  EXPECT_EQ(HexStrToColor("1 2"), 1);
  EXPECT_EQ(HexStrToColor("x12"), 0);
  EXPECT_EQ(HexStrToColor("$$12"), 0);
  for (TColor c : {clRed, clNone, clDefault, clWindowText, 0x0ABCDEF0})
    EXPECT_EQ(HexStrToColor(ColorToHexStr(c)), c);
}

TEST(ColourHSL, ForwardValues) {
  double h, s, l;
  RGBtoHSL(100, 100, 100, h, s, l);
  EXPECT_EQ(h, 0);
  EXPECT_EQ(s, 0);
  EXPECT_DOUBLE_EQ(l, 100 / 255.0);
  ColorToHSL(clRed, h, s, l);
  EXPECT_EQ(h, 0);
  EXPECT_EQ(s, 1);
  EXPECT_EQ(l, 0.5);
  ColorToHSL(clFuchsia, h, s, l);  // red and blue tie: red is tested first
  EXPECT_DOUBLE_EQ(h, 300);
  ColorToHSL(RGB(0, 128, 255), h, s, l);
  EXPECT_NEAR(h, 209.88, 0.01);
  EXPECT_DOUBLE_EQ(s, 1);
  RGBtoHSL(-20, 300, 0, h, s, l);  // components clamped to 0..255
  EXPECT_DOUBLE_EQ(h, 120);
  EXPECT_DOUBLE_EQ(l, 0.5);
}

TEST(ColourHSL, InverseWrapsTheHueAndRoundsHalfToEven) {
  EXPECT_EQ(HSLtoColor(360, 1, 0.5), clRed);
  EXPECT_EQ(HSLtoColor(0, 1, 0.5), clRed);
  EXPECT_EQ(HSLtoColor(-120, 1, 0.5), clBlue);
  EXPECT_EQ(HSLtoColor(480, 1, 0.5), clLime);
  EXPECT_EQ(HSLtoColor(1000, 1, 0.5), HSLtoColor(280, 1, 0.5));  // beyond one turn
  EXPECT_EQ(HSLtoColor(-500, 1, 0.5), HSLtoColor(220, 1, 0.5));
  EXPECT_EQ(HSLtoColor(0, 5, 0.5), clRed);
  EXPECT_EQ(HSLtoColor(0, 1, 3), clWhite);
  EXPECT_EQ(HSLtoColor(std::nan(""), std::nan(""), std::nan("")), clBlack);
  EXPECT_EQ(HSLtoColor(30, 1, 0.5), RGB(255, 128, 0));  // 127.5 -> 128
  ASSERT_EQ(2.5 / 255 * 255, 2.5);
  EXPECT_EQ(HSLtoColor(0, 0, 2.5 / 255), RGB(2, 2, 2));  // 2.5 -> 2
}

TEST(ColourHSL, RoundTripsTheCube) { EXPECT_EQ(RoundTripFailures(RGBtoHSL, HSLtoRGB, 1, 1, 5), 0); }

TEST(ColourHSV, ForwardValues) {
  double h, s, v;
  RGBtoHSV(128, 128, 128, h, s, v);
  EXPECT_EQ(h, -1);
  EXPECT_EQ(s, 0);
  EXPECT_NEAR(v, 0.502, 0.001);
  RGBtoHSV(0, 0, 0, h, s, v);
  EXPECT_EQ(h, 0);
  EXPECT_EQ(s, 0);
  EXPECT_EQ(v, 0);
  RGBtoHSV(0, 255, 0, h, s, v);
  EXPECT_DOUBLE_EQ(h, 120);
  RGBtoHSV(0, 0, 255, h, s, v);
  EXPECT_DOUBLE_EQ(h, 240);
  RGBtoHSV(255, 0, 255, h, s, v);
  EXPECT_DOUBLE_EQ(h, 300);
  RGBtoHSV(0, 255, 255, h, s, v);  // green wins the tie with blue
  EXPECT_DOUBLE_EQ(h, 180);
  RGBtoHSV(INT32_MAX, 0, INT32_MIN, h, s, v);  // out of range, but well defined
  EXPECT_DOUBLE_EQ(h, 60 * (0 - static_cast<double>(INT32_MIN)) / (INT32_MAX - double{INT32_MIN}));
  ColorToHSV(RGB(200, 100, 50), h, s, v);
  EXPECT_DOUBLE_EQ(h, 20);
  EXPECT_DOUBLE_EQ(s, 0.75);
  EXPECT_DOUBLE_EQ(v, 200 / 255.0);
}

TEST(ColourHSV, InverseClampsAndRounds) {
  EXPECT_EQ(HSVtoColor(360, 1, 1), clRed);
  EXPECT_EQ(HSVtoColor(-1, 1, 1), clRed);  // undefined hue counts as 0
  EXPECT_EQ(HSVtoColor(120, 1, 1), clLime);
  EXPECT_EQ(HSVtoColor(300, 2, 7), clFuchsia);
  EXPECT_EQ(HSVtoColor(-1, 0, 0.5), RGB(128, 128, 128));
  EXPECT_EQ(HSVtoColor(0, 0, 2.5 / 255), RGB(2, 2, 2));
  EXPECT_EQ(HSVtoColor(30, 1, 1), RGB(255, 128, 0));
  EXPECT_EQ(HSVtoColor(std::nan(""), 1, 1), clRed);
  EXPECT_EQ(HSVtoColor(359.99999999999994, 1, 1), RGB(255, 0, 0));
}

TEST(ColourHSV, RoundTripsTheCube) { EXPECT_EQ(RoundTripFailures(RGBtoHSV, HSVtoRGB, 1, 1, 5), 0); }

TEST(ColourHSI, ForwardInverseAndRoundTrip) {
  double h, s, i;
  ColorToHSI(clRed, h, s, i);
  EXPECT_EQ(h, 0);
  EXPECT_EQ(s, 1);
  EXPECT_DOUBLE_EQ(i, 1 / 3.0);
  ColorToHSI(RGB(90, 90, 90), h, s, i);
  EXPECT_EQ(h, -1);
  EXPECT_EQ(s, 0);
  ColorToHSI(clBlack, h, s, i);
  EXPECT_EQ(h, 0);
  EXPECT_EQ(s, 0);
  EXPECT_EQ(i, 0);

  EXPECT_EQ(HSItoColor(0, 1, 1 / 3.0), clRed);
  EXPECT_EQ(HSItoColor(360, 1, 1 / 3.0), clRed);
  EXPECT_EQ(HSItoColor(120, 1, 1 / 3.0), clLime);
  EXPECT_EQ(HSItoColor(-120, 1, 1 / 3.0), clBlue);
  EXPECT_EQ(HSItoColor(60, 1, 1 / 3.0), RGB(128, 128, 0));
  EXPECT_EQ(HSItoColor(0, 1, 1), clRed);  // channels are capped at 255
  EXPECT_EQ(HSItoColor(0, 0, 0.5), RGB(128, 128, 128));

  EXPECT_EQ(RoundTripFailures(RGBtoHSI, HSItoRGB, 3, 5, 1), 0);
}

TEST(ColourCMYK, ConversionsAndClamping) {
  double c, m, y, k;
  RGBtoCMY(255, 0, 51, c, m, y);
  EXPECT_EQ(c, 0);
  EXPECT_EQ(m, 1);
  EXPECT_DOUBLE_EQ(y, 0.8);
  uint8_t r, g, b;
  CMYtoRGB(c, m, y, r, g, b);
  EXPECT_EQ(Rgb(r, g, b), Rgb(255, 0, 51));
  CMYtoRGB(-1, 2, std::nan(""), r, g, b);
  EXPECT_EQ(Rgb(r, g, b), Rgb(255, 0, 255));

  c = 0.2, m = 0.5, y = 0.9;
  CMYKtoCMY(c, m, y, 0.3);
  EXPECT_DOUBLE_EQ(c, 0.5);
  EXPECT_DOUBLE_EQ(m, 0.8);
  EXPECT_EQ(y, 1);
  c = 0.5, m = 0.8, y = 0.3;
  CMYtoCMYK(c, m, y, k);
  EXPECT_DOUBLE_EQ(k, 0.3);
  EXPECT_DOUBLE_EQ(c, 0.2);
  EXPECT_DOUBLE_EQ(m, 0.5);
  EXPECT_EQ(y, 0);
}

TEST(ColourGrey, WeightsAndDistance) {
  EXPECT_EQ(RGBtoGray(255, 255, 255), 255);
  EXPECT_EQ(RGBtoGray(255, 0, 0), 76);
  EXPECT_EQ(RGBtoGray(0, 255, 0), 150);
  EXPECT_EQ(RGBtoGray(0, 0, 255), 28);
  EXPECT_EQ(ColorToGray(RGB(10, 200, 30)), 124);  // 3 + 118 + 3.3
  EXPECT_EQ(ColorToGrayColor(clRed), 0x4C4C4C);
  EXPECT_EQ(RGBtoGrayColor(1000, 1000, 1000), clWhite);
  EXPECT_EQ(RGBtoGray(INT32_MAX, INT32_MAX, INT32_MAX), INT32_MAX);
  EXPECT_EQ(RGBtoGray(INT32_MIN, INT32_MIN, INT32_MIN), INT32_MIN);
  // Levels of exactly n + 0.5 go to the even neighbour, whatever the binary
  // values of the weights: 25.96 + 1.54 = 27.5 gives 28, not 27.
  EXPECT_EQ(RGBtoGray(0, 44, 14), 28);
  EXPECT_EQ(RGBtoGray(0, 45, 45), 32);  // 31.5
  EXPECT_EQ(RGBtoGray(15, 0, 0), 4);    // 4.5
  EXPECT_EQ(RGBtoGray(5, 0, 0), 2);     // 1.5
  EXPECT_EQ(RGBtoGray(-5, 0, 0), -2);   // -1.5
  EXPECT_EQ(ColorToGrayColor(RGB(0, 44, 14)), RGB(28, 28, 28));

  EXPECT_EQ(RGBColorDistance(clBlack, clWhite), 1);
  EXPECT_EQ(RGBColorDistance(0x123456, 0x123456), 0);
  EXPECT_DOUBLE_EQ(RGBColorDistance(clRed, clBlack), std::sqrt(1 / 3.0));
  EXPECT_EQ(RGBColorDistance(static_cast<TColor>(0xFF000000), clBlack), 0);
}

TEST(ColourRandom, DrawsBlueFirstAndKeepsBounds) {
  RandSeed(7);
  const TColor c = RandomColor();
  RandSeed(7);
  const int b = Random(256), g = Random(256), r = Random(256);
  EXPECT_EQ(c, RGB(r, g, b));

  EXPECT_EQ(RandomColor(10, 10, 20, 20, 30, 30), RGB(10, 20, 30));
  EXPECT_EQ(RandomColor(10, 5, 20, 0, 30, 1), RGB(10, 20, 30));  // max < min: min
  for (int i = 0; i < 500; ++i) {
    const Rgb x = Split(RandomColor(100, 110, 0, 3, 250, 255));
    EXPECT_TRUE(x.r >= 100 && x.r <= 110 && x.g <= 3 && x.b >= 250) << x;
  }
}

TEST(ColourWavelength, VisibleSpectrum) {
  EXPECT_EQ(WavelengthToColor(379, 0.8), clBlack);
  EXPECT_EQ(WavelengthToColor(780, 0.8), clBlack);
  EXPECT_EQ(WavelengthToColor(380, 0.8), RGB(97, 0, 97));
  EXPECT_EQ(WavelengthToColor(550, 0.8), RGB(163, 255, 0));  // yellow-green
  EXPECT_EQ(WavelengthToColor(700, 0.8), clRed);
  EXPECT_EQ(WavelengthToColor(440, 0.8), clBlue);
  EXPECT_EQ(WavelengthToColor(600, 1), RGB(255, 177, 0));
  EXPECT_EQ(WavelengthToColor(-100000, 0.8), clBlack);
  EXPECT_EQ(WavelengthToColor(500, -1e300), RGB(0, 255, 255));  // capped at 255
}

TEST(ColourNames, TableShapes) {
  std::set<std::string_view> names(AllTKZColorNames.begin(), AllTKZColorNames.end());
  EXPECT_EQ(names.size(), 466u);
  for (TColor c : AllTKZColors) EXPECT_EQ(c & 0xFF000000, 0);
  for (size_t i = 0; i < 16; ++i) EXPECT_EQ(PredefinedColors[i], AllTKZColors[i]);
  const TColor basics[16] = {clBlack, clMaroon,  clGreen,  clOlive, clNavy, clPurple,
                             clTeal,  clGray,    clSilver, clRed,   clLime, clYellow,
                             clBlue,  clFuchsia, clAqua,   clWhite};
  for (size_t i = 0; i < 16; ++i) EXPECT_EQ(AllTKZColors[i], basics[i]) << i;
  // Every X11 colour is a table colour, and the list starts and ends as it should.
  for (TColor c : X11Colors)
    EXPECT_NE(std::find(AllTKZColors.begin(), AllTKZColors.end(), c), AllTKZColors.end());
  EXPECT_EQ(X11Colors.front(), Named("AliceBlue"));
  EXPECT_EQ(X11Colors.back(), Named("YellowGreen"));
  EXPECT_EQ(X11Colors[114], Named("RebeccaPurple"));
  EXPECT_EQ(X11Colors[136], Named("WebGray"));
  EXPECT_EQ(AllTKZColorNames[358], "RebeccaPurple");
  EXPECT_EQ(AllTKZColorNames.back(), "YellowGreen");
}

TEST(ColourNames, SpotValues) {
  // Exceptions to the X11 values, and the rows of our own.
  EXPECT_EQ(Named("Gray"), RGB(128, 128, 128));
  EXPECT_EQ(Named("Green"), RGB(0, 128, 0));
  EXPECT_EQ(Named("Maroon"), RGB(128, 0, 0));
  EXPECT_EQ(Named("Purple"), RGB(128, 0, 128));
  EXPECT_EQ(Named("SkyBlue"), RGB(166, 202, 240));
  EXPECT_EQ(Named("SkyBlue1"), RGB(135, 206, 235));
  EXPECT_EQ(Named("MoneyGreen"), RGB(192, 220, 192));
  EXPECT_EQ(Named("Cream"), RGB(255, 251, 240));
  EXPECT_EQ(Named("MedGray"), RGB(160, 160, 164));
  EXPECT_EQ(Named("Bronze"), RGB(153, 136, 119));
  EXPECT_EQ(Named("Carbon"), RGB(34, 34, 34));
  EXPECT_EQ(Named("RebeccaPurple"), RGB(102, 51, 153));
  // X11 values, found under other spellings in rgb.txt.
  EXPECT_EQ(Named("GoldenRod"), RGB(218, 165, 32));
  EXPECT_EQ(Named("CornSilk"), RGB(255, 248, 220));
  EXPECT_EQ(Named("NavyBlue"), RGB(0, 0, 128));
  EXPECT_EQ(Named("LightGoldenRod"), RGB(238, 221, 130));
  EXPECT_EQ(Named("Green1"), RGB(0, 255, 0));
  EXPECT_EQ(Named("Gray") == Named("WebGray"), true);
  EXPECT_EQ(Named("WebMaroon"), RGB(128, 0, 0));
  EXPECT_EQ(Named("Crimson"), RGB(220, 20, 60));
  EXPECT_EQ(Named("Indigo"), RGB(75, 0, 130));
  EXPECT_EQ(Named("SkyBlue4"), RGB(74, 112, 139));
}

TEST(ColourNames, PredefinedColors) {
  EXPECT_EQ(PredefinedColors.size(), 47u);
  EXPECT_EQ(PredefinedColors[16], Named("MoneyGreen"));
  EXPECT_EQ(PredefinedColors[17], Named("SkyBlue"));
  EXPECT_EQ(PredefinedColors[18], Named("Cream"));
  EXPECT_EQ(PredefinedColors[19], Named("MedGray"));
  EXPECT_EQ(PredefinedColors[20], static_cast<TColor>(0xFF00000A));
  EXPECT_EQ(PredefinedColors[29], clDefault);
  EXPECT_EQ(PredefinedColors[40], clNone);
  EXPECT_EQ(PredefinedColors[24], clBtnFace);
  EXPECT_EQ(PredefinedColors[46], clWindowText);
}

TEST(ColourNames, Lookups) {
  EXPECT_EQ(ObtainColorName(0x0000FF), "Red");
  EXPECT_EQ(ObtainColorName(0x00FFFF), "Yellow");
  EXPECT_EQ(ObtainColorName(0x808080), "Gray");  // before WebGray
  EXPECT_EQ(ObtainColorName(0x123457), "00123457");
  EXPECT_EQ(ObtainColorName(static_cast<TColor>(0xFF0000FF)), "FF0000FF");  // full value
  EXPECT_EQ(ObtainColorName(0x993366), "RebeccaPurple");

  EXPECT_EQ(FindColorName("Black"), 0);
  EXPECT_EQ(FindColorName("rebeccapurple"), 358);
  EXPECT_EQ(FindColorName("REBECCAPURPLE"), 358);
  EXPECT_EQ(FindColorName("Rebecca Purple"), -1);
  EXPECT_EQ(FindColorName(""), -1);
  EXPECT_EQ(FindColorName("Red5"), -1);
  for (size_t i = 0; i < AllTKZColorNames.size(); ++i)
    EXPECT_EQ(FindColorName(AllTKZColorNames[i]), static_cast<int>(i));
}

}  // namespace
