// Colour conversions per second over 4096 random colours: RGB to and from
// HSL, HSV and HSI, CMYK, grey, colour distance, and the named-colour
// look-ups in both directions. There is no common library peer for these
// models; the figures are plain rates (items per second).
#include <benchmark/benchmark.h>

#include <random>
#include <string>
#include <vector>

#include "core/colour/tkzcolors.h"

namespace {

using namespace tkz;

const std::vector<TColor>& Colours() {
  static const std::vector<TColor> c = [] {
    std::mt19937 rng(42);
    std::vector<TColor> v(4096);
    for (auto& x : v) x = static_cast<TColor>(rng() & 0xFFFFFF);
    return v;
  }();
  return c;
}

struct Triple {
  double a, b, c;
};

template <void (*Forward)(TColor, double&, double&, double&)>
std::vector<Triple> Converted() {
  std::vector<Triple> v;
  for (TColor c : Colours()) {
    Triple t;
    Forward(c, t.a, t.b, t.c);
    v.push_back(t);
  }
  return v;
}

template <void (*Forward)(TColor, double&, double&, double&)>
void ToModel(benchmark::State& st) {
  for (auto _ : st)
    for (TColor c : Colours()) {
      double x, y, z;
      Forward(c, x, y, z);
      benchmark::DoNotOptimize(x + y + z);
    }
  st.SetItemsProcessed(static_cast<int64_t>(st.iterations() * Colours().size()));
}
BENCHMARK(ToModel<ColorToHSL>)->Name("rgb_to_hsl");
BENCHMARK(ToModel<ColorToHSV>)->Name("rgb_to_hsv");
BENCHMARK(ToModel<ColorToHSI>)->Name("rgb_to_hsi");

template <void (*Forward)(TColor, double&, double&, double&),
          TColor (*Inverse)(double, double, double)>
void FromModel(benchmark::State& st) {
  const std::vector<Triple> in = Converted<Forward>();
  for (auto _ : st)
    for (const Triple& t : in) benchmark::DoNotOptimize(Inverse(t.a, t.b, t.c));
  st.SetItemsProcessed(static_cast<int64_t>(st.iterations() * in.size()));
}
BENCHMARK(FromModel<ColorToHSL, HSLtoColor>)->Name("hsl_to_rgb");
BENCHMARK(FromModel<ColorToHSV, HSVtoColor>)->Name("hsv_to_rgb");
BENCHMARK(FromModel<ColorToHSI, HSItoColor>)->Name("hsi_to_rgb");

void RgbToCmyk(benchmark::State& st) {
  for (auto _ : st)
    for (TColor c : Colours()) {
      double cy, m, y, k;
      RGBtoCMY(GetRValue(c), GetGValue(c), GetBValue(c), cy, m, y);
      CMYtoCMYK(cy, m, y, k);
      benchmark::DoNotOptimize(cy + m + y + k);
    }
  st.SetItemsProcessed(static_cast<int64_t>(st.iterations() * Colours().size()));
}
BENCHMARK(RgbToCmyk)->Name("rgb_to_cmyk");

void CmykToRgb(benchmark::State& st) {
  for (auto _ : st)
    for (TColor c : Colours()) {
      double cy = GetRValue(c) / 255.0, m = GetGValue(c) / 255.0, y = GetBValue(c) / 255.0;
      CMYKtoCMY(cy, m, y, 0.1);
      uint8_t r, g, b;
      CMYtoRGB(cy, m, y, r, g, b);
      benchmark::DoNotOptimize(r + g + b);
    }
  st.SetItemsProcessed(static_cast<int64_t>(st.iterations() * Colours().size()));
}
BENCHMARK(CmykToRgb)->Name("cmyk_to_rgb");

void Gray(benchmark::State& st) {
  for (auto _ : st)
    for (TColor c : Colours()) benchmark::DoNotOptimize(ColorToGrayColor(c));
  st.SetItemsProcessed(static_cast<int64_t>(st.iterations() * Colours().size()));
}
BENCHMARK(Gray)->Name("gray");

void Distance(benchmark::State& st) {
  const auto& v = Colours();
  for (auto _ : st)
    for (size_t i = 1; i < v.size(); ++i)
      benchmark::DoNotOptimize(RGBColorDistance(v[i - 1], v[i]));
  st.SetItemsProcessed(static_cast<int64_t>(st.iterations() * (v.size() - 1)));
}
BENCHMARK(Distance)->Name("distance");

// Value to name: every table colour (found) and random colours (mostly not
// found, which scans the whole table and formats the hex text).
void NameOfTableColour(benchmark::State& st) {
  for (auto _ : st)
    for (TColor c : AllTKZColors) benchmark::DoNotOptimize(ObtainColorName(c));
  st.SetItemsProcessed(static_cast<int64_t>(st.iterations() * AllTKZColors.size()));
}
BENCHMARK(NameOfTableColour)->Name("name_of_value/table");

void NameOfRandomColour(benchmark::State& st) {
  for (auto _ : st)
    for (TColor c : Colours()) benchmark::DoNotOptimize(ObtainColorName(c));
  st.SetItemsProcessed(static_cast<int64_t>(st.iterations() * Colours().size()));
}
BENCHMARK(NameOfRandomColour)->Name("name_of_value/random");

// Name to value, case-insensitively, over every table name in lower case.
void ValueOfName(benchmark::State& st) {
  std::vector<std::string> names;
  for (std::string_view n : AllTKZColorNames) {
    std::string s(n);
    for (char& ch : s) ch = static_cast<char>(ch >= 'A' && ch <= 'Z' ? ch + 32 : ch);
    names.push_back(s);
  }
  for (auto _ : st)
    for (const auto& n : names) benchmark::DoNotOptimize(FindColorName(n));
  st.SetItemsProcessed(static_cast<int64_t>(st.iterations() * names.size()));
}
BENCHMARK(ValueOfName)->Name("value_of_name");

}  // namespace
