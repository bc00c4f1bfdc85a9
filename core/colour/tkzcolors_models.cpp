// Colour models of tkzcolors: interpolation, hex text, HSL, HSV, HSI,
// CMY(K), grey, distance, random colours, wavelengths and name lookup.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

#include "core/colour/tkzcolors.h"
#include "core/text/charcase.h"
#include "core/text/stringl.h"

namespace tkz {

namespace {

// 0..1; NaN gives 0.
double Clamp01(double x) { return x > 0 ? (x < 1 ? x : 1) : 0; }

// Round half to even, limited to the int range (NaN gives 0).
int RoundInt(double x) {
  if (!(x == x)) return 0;
  const double r = std::nearbyint(x);
  if (r >= static_cast<double>(std::numeric_limits<int>::max()))
    return std::numeric_limits<int>::max();
  if (r <= static_cast<double>(std::numeric_limits<int>::min()))
    return std::numeric_limits<int>::min();
  return static_cast<int>(r);
}

// A channel value (0..1 scaled to 0..255), rounded and kept in 0..255.
int Channel(double unit) { return std::clamp(RoundInt(unit * 255), 0, 255); }

// The fractional part with the sign of x, as the platform's Frac.
double Frac(double x) { return x - std::trunc(x); }

// A hue brought into 0..360: one turn added or subtracted as the models
// define it, then (for hues further out) reduced modulo 360.
double WrapHueOnce(double h) {
  if (!std::isfinite(h)) return 0;
  if (h < 0) h += 360;
  if (h > 360) h -= 360;
  if (h < 0 || h > 360) {
    h = std::fmod(h, 360.0);
    if (h < 0) h += 360;
  }
  return h;
}

// The sector 0..5 of a hue in 0..360 (360 is sector 0).
int HueSector(double h) {
  const int k = static_cast<int>(h / 60);
  return k >= 6 ? 0 : k;
}

// (R1, G1, B1) of the hexcone models for sector k, chroma c and second
// component x: (c, x, 0), (x, c, 0), (0, c, x), (0, x, c), (x, 0, c), (c, 0, x).
void SectorRGB(int k, double c, double x, double& r, double& g, double& b) {
  static constexpr int kPick[6][3] = {{0, 1, 2}, {1, 0, 2}, {2, 0, 1},
                                      {2, 1, 0}, {1, 2, 0}, {0, 2, 1}};
  const double v[3] = {c, x, 0};
  r = v[kPick[k][0]];
  g = v[kPick[k][1]];
  b = v[kPick[k][2]];
}

// 1 - |(H / 60 mod 2) - 1|, computed as 1 - |2 frac(H / 120) - 1|.
double HueZigzag(double h) { return 1 - std::fabs(2 * Frac(h / 120) - 1); }

// The largest component with its channel (0 red, 1 green, 2 blue; red wins
// ties, then green) and the smallest.
struct Extremes {
  int max;
  int min;
  int channel;
};
Extremes FindExtremes(int r, int g, int b) {
  Extremes e{r, std::min({r, g, b}), 0};
  if (g > e.max) e.max = g, e.channel = 1;
  if (b > e.max) e.max = b, e.channel = 2;
  return e;
}

// The hexcone hue in degrees (0..360) of a colour with spread d > 0.
double HexconeHue(double r, double g, double b, const Extremes& e, double d) {
  double h;
  if (e.channel == 0)
    h = (g - b) / d;
  else if (e.channel == 1)
    h = (b - r) / d + 2;
  else
    h = (r - g) / d + 4;
  h *= 60;
  return h < 0 ? h + 360 : h;
}

TColor Pack(int r, int g, int b) {
  return RGB(static_cast<uint8_t>(r), static_cast<uint8_t>(g), static_cast<uint8_t>(b));
}

// The colour of a model's three coordinates through its ...toRGB function.
using ToRGBFunc = void (*)(double, double, double, int&, int&, int&);
TColor ModelToColor(ToRGBFunc toRGB, double a, double b, double c) {
  int r, g, bl;
  toRGB(a, b, c, r, g, bl);
  return Pack(r, g, bl);
}

}  // namespace

// ------------------------------------------------------------ interpolation

TColor InterpolateColor(TColor Color1, TColor Color2, double Fraction) {
  const double f = Clamp01(Fraction);
  auto mix = [f](int a, int b) { return static_cast<int>(a + (b - a) * f); };
  return Pack(mix(GetRValue(Color1), GetRValue(Color2)), mix(GetGValue(Color1), GetGValue(Color2)),
              mix(GetBValue(Color1), GetBValue(Color2)));
}

TColor Interpolate3Colors(TColor Color1, TColor Color2, TColor Color3, double Fraction) {
  const double f = Clamp01(Fraction);
  if (f > 0.5) return InterpolateColor(Color2, Color3, (f - 0.5) * 2);
  return InterpolateColor(Color1, Color2, 2 * f);
}

TColor MeanColor(TColor Color1, TColor Color2) { return InterpolateColor(Color1, Color2, 0.5); }

TColor ReverseRGBColor(TColor Color) {
  return RGB(GetBValue(Color), GetGValue(Color), GetRValue(Color));
}

TColor InvertColor(TColor Color) { return ~Color & 0xFFFFFF; }

// --------------------------------------------------------------- hex text

std::string ColorToHexStr(TColor Color) {
  char buf[9];
  std::snprintf(buf, sizeof buf, "%08X", static_cast<unsigned>(Color));
  return buf;
}

TColor HexStrToColor(std::string_view Text) {
  size_t first = Text.find_first_not_of(' ');
  if (first == std::string_view::npos) return 0;
  const size_t last = Text.find_last_not_of(' ');
  const std::string_view s = Text.substr(first, last - first + 1);
  size_t i = s[0] == '$' ? 1 : 0;
  while (i < s.size() && s[i] == ' ') ++i;
  uint32_t v = 0;
  for (; i < s.size(); ++i) {
    const char c = s[i];
    const int d = HexCharValue(c);
    if (d < 0) break;
    v = (v << 4) | static_cast<uint32_t>(d);  // 32 bits: the last 8 digits count
  }
  return static_cast<TColor>(v);
}

// -------------------------------------------------------------------- HSL

void RGBtoHSL(int R, int G, int B, double& H, double& S, double& L) {
  const double r = Clamp01(R / 255.0), g = Clamp01(G / 255.0), b = Clamp01(B / 255.0);
  const double mx = std::max({r, g, b}), mn = std::min({r, g, b}), d = mx - mn;
  L = (mx + mn) / 2;
  if (d == 0) {
    S = 0;
    H = 0;
    return;
  }
  S = d / (1 - std::fabs(2 * L - 1));
  if (r == mx)
    H = (g - b) / d;
  else if (g == mx)
    H = (b - r) / d + 2;
  else
    H = (r - g) / d + 4;
  H *= 60;
  if (H < 0) H += 360;
}

void ColorToHSL(TColor Color, double& H, double& S, double& L) {
  RGBtoHSL(GetRValue(Color), GetGValue(Color), GetBValue(Color), H, S, L);
}

void HSLtoRGB(double H, double S, double L, int& R, int& G, int& B) {
  H = WrapHueOnce(H);
  S = Clamp01(S);
  L = Clamp01(L);
  const double c = (1 - std::fabs(2 * L - 1)) * S;
  const double x = c * HueZigzag(H);
  double r, g, b;
  SectorRGB(HueSector(H), c, x, r, g, b);
  const double m = L - c / 2;
  R = Channel(r + m);
  G = Channel(g + m);
  B = Channel(b + m);
}

TColor HSLtoColor(double H, double S, double L) { return ModelToColor(HSLtoRGB, H, S, L); }

// -------------------------------------------------------------------- HSV

void RGBtoHSV(int R, int G, int B, double& H, double& S, double& V) {
  const Extremes e = FindExtremes(R, G, B);
  V = e.max / 255.0;
  if (e.max == 0) {
    S = 0;
    H = 0;
    return;
  }
  const double d = static_cast<double>(e.max) - e.min;
  S = d / e.max;
  H = S == 0 ? -1 : HexconeHue(R, G, B, e, d);
}

void ColorToHSV(TColor Color, double& H, double& S, double& V) {
  RGBtoHSV(GetRValue(Color), GetGValue(Color), GetBValue(Color), H, S, V);
}

void HSVtoRGB(double H, double S, double V, int& R, int& G, int& B) {
  S = Clamp01(S);
  V = Clamp01(V);
  if (!(H >= 0 && H < 360)) H = 0;
  if (S == 0) {
    R = G = B = Channel(V);
    return;
  }
  const double h = H / 60;
  const int k = std::min(static_cast<int>(h), 5);
  const double f = h - k;
  const double p = V * (1 - S), q = V * (1 - f * S), t = V * (1 - (1 - f) * S);
  // (V, t, p), (q, V, p), (p, V, t), (p, q, V), (t, p, V), (V, p, q).
  static constexpr int kPick[6][3] = {{0, 3, 1}, {2, 0, 1}, {1, 0, 3},
                                      {1, 2, 0}, {3, 1, 0}, {0, 1, 2}};
  const double v[4] = {V, p, q, t};
  const double r = v[kPick[k][0]], g = v[kPick[k][1]], b = v[kPick[k][2]];
  R = Channel(r);
  G = Channel(g);
  B = Channel(b);
}

TColor HSVtoColor(double H, double S, double V) { return ModelToColor(HSVtoRGB, H, S, V); }

// -------------------------------------------------------------------- HSI

void RGBtoHSI(int R, int G, int B, double& H, double& S, double& I) {
  I = (static_cast<double>(R) + G + B) / 3 / 255;
  const Extremes e = FindExtremes(R, G, B);
  if (e.max == 0 || !(I > 0)) {
    S = 0;
    H = 0;
    return;
  }
  S = 1 - (e.min / 255.0) / I;
  H = S == 0 ? -1 : HexconeHue(R, G, B, e, static_cast<double>(e.max) - e.min);
}

void ColorToHSI(TColor Color, double& H, double& S, double& I) {
  RGBtoHSI(GetRValue(Color), GetGValue(Color), GetBValue(Color), H, S, I);
}

void HSItoRGB(double H, double S, double I, int& R, int& G, int& B) {
  H = WrapHueOnce(H);
  S = Clamp01(S);
  I = Clamp01(I);
  const double z = HueZigzag(H);
  const double c = 3 * I * S / (1 + z);
  double r, g, b;
  SectorRGB(HueSector(H), c, z * c, r, g, b);
  const double m = I * (1 - S);
  R = Channel(std::min(r + m, 1.0));
  G = Channel(std::min(g + m, 1.0));
  B = Channel(std::min(b + m, 1.0));
}

TColor HSItoColor(double H, double S, double I) { return ModelToColor(HSItoRGB, H, S, I); }

// ------------------------------------------------------------------ CMY(K)

void RGBtoCMY(uint8_t R, uint8_t G, uint8_t B, double& C, double& M, double& Y) {
  C = 1 - R / 255.0;
  M = 1 - G / 255.0;
  Y = 1 - B / 255.0;
}

void CMYtoRGB(double C, double M, double Y, uint8_t& R, uint8_t& G, uint8_t& B) {
  R = static_cast<uint8_t>(Channel(1 - Clamp01(C)));
  G = static_cast<uint8_t>(Channel(1 - Clamp01(M)));
  B = static_cast<uint8_t>(Channel(1 - Clamp01(Y)));
}

void CMYKtoCMY(double& C, double& M, double& Y, double K) {
  C = Clamp01(C + K);
  M = Clamp01(M + K);
  Y = Clamp01(Y + K);
}

void CMYtoCMYK(double& C, double& M, double& Y, double& K) {
  K = std::min({C, M, Y});
  C -= K;
  M -= K;
  Y -= K;
}

// -------------------------------------------------------------------- grey

int RGBtoGray(int R, int G, int B) {
  // In hundredths the weighted sum is an integer, and no binary rounding of
  // 0.3, 0.59 or 0.11 can push a level of n + 0.5 to the wrong side.
  const int64_t sum = 30 * int64_t{R} + 59 * int64_t{G} + 11 * int64_t{B};
  int64_t level = sum / 100, rest = sum % 100;
  if (rest < 0) --level, rest += 100;  // floor division
  if (rest > 50 || (rest == 50 && level % 2 != 0)) ++level;
  return static_cast<int>(
      std::clamp<int64_t>(level, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

int ColorToGray(TColor Color) {
  return RGBtoGray(GetRValue(Color), GetGValue(Color), GetBValue(Color));
}

TColor RGBtoGrayColor(int R, int G, int B) {
  const int level = std::clamp(RGBtoGray(R, G, B), 0, 255);
  return Pack(level, level, level);
}

TColor ColorToGrayColor(TColor Color) {
  return RGBtoGrayColor(GetRValue(Color), GetGValue(Color), GetBValue(Color));
}

// ------------------------------------------------------------------ others

double RGBColorDistance(TColor Color1, TColor Color2) {
  const int dr = GetRValue(Color1) - GetRValue(Color2);
  const int dg = GetGValue(Color1) - GetGValue(Color2);
  const int db = GetBValue(Color1) - GetBValue(Color2);
  return std::sqrt((dr * dr + dg * dg + db * db) / 195075.0);
}

TColor RandomColor() {
  const int b = Random(256);
  const int g = Random(256);
  const int r = Random(256);
  return Pack(r, g, b);
}

TColor RandomColor(uint8_t RedMin, uint8_t RedMax, uint8_t GreenMin, uint8_t GreenMax,
                   uint8_t BlueMin, uint8_t BlueMax) {
  auto draw = [](int lo, int hi) { return (lo + Random(hi - lo + 1)) & 0xFF; };
  const int b = draw(BlueMin, BlueMax);
  const int g = draw(GreenMin, GreenMax);
  const int r = draw(RedMin, RedMax);
  return Pack(r, g, b);
}

TColor WavelengthToColor(int Wavelength, double Gamma) {
  const double w = Wavelength;
  double r = 0, g = 0, b = 0;
  if (w >= 380 && w < 440)
    r = (440 - w) / 60, b = 1;
  else if (w >= 440 && w < 490)
    g = (w - 440) / 50, b = 1;
  else if (w >= 490 && w < 510)
    g = 1, b = (510 - w) / 20;
  else if (w >= 510 && w < 580)
    r = (w - 510) / 70, g = 1;
  else if (w >= 580 && w < 645)
    r = 1, g = (645 - w) / 65;
  else if (w >= 645 && w < 780)
    r = 1;
  double a = 1;
  if (w > 700)
    a = 0.3 + 0.7 * (780 - w) / 80;
  else if (w < 420)
    a = 0.3 + 0.7 * (w - 380) / 40;
  if (a < 0) a = 0;
  const double gamma = Gamma == Gamma ? Gamma : 0;
  auto level = [a, gamma](double component) {
    if (a == 0 || component == 0) return 0;
    return std::clamp(RoundInt(255 * std::exp(gamma * std::log(a * component))), 0, 255);
  };
  return Pack(level(r), level(g), level(b));
}

std::string ObtainColorName(TColor Color) {
  for (size_t i = 0; i < AllTKZColors.size(); ++i)
    if (AllTKZColors[i] == Color) return std::string(AllTKZColorNames[i]);
  return ColorToHexStr(Color);
}

int FindColorName(std::string_view Name) {
  for (size_t i = 0; i < AllTKZColorNames.size(); ++i) {
    const std::string_view n = AllTKZColorNames[i];
    if (n.size() == Name.size() && std::equal(n.begin(), n.end(), Name.begin(), [](char a, char b) {
          return AsciiLowerChar(a) == AsciiLowerChar(b);
        }))
      return static_cast<int>(i);
  }
  return -1;
}

}  // namespace tkz
