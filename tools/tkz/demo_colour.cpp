// The colour part of the tour: the predefined colour scales drawn as bands,
// and a few named-colour look-ups.
#include <nlohmann/json.hpp>
#include <span>

#include "core/colour/tkzcolors.h"
#include "core/platform/imagefile.h"
#include "core/text/stringl.h"
#include "tools/tkz/commands.h"

namespace tkz::tool {

namespace {

struct Scale {
  const char* name;
  std::span<const TColor> keys;
};

// One band per predefined scale, each scale interpolated to Entries colours
// by a TColorArray and drawn two pixels per colour beside its name.
void DrawScales(TBitmap& bmp, std::span<const Scale> scales) {
  constexpr int kEntries = 256, kLabel = 205, kBand = 30, kGap = 8, kMargin = 10;
  bmp.SetSize(kLabel + 2 * kEntries + 2 * kMargin, kMargin + scales.size() * (kBand + kGap));
  bmp.Fill(RGB(250, 250, 246));
  TCanvas* c = bmp.GetCanvas();
  c->GetFont()->SetSize(10);
  c->GetBrush()->SetStyle(bsClear);
  TColorArray scale;
  scale.Resize(kEntries);
  int y = kMargin;
  for (const Scale& s : scales) {
    scale.FillByInterpolation(0, s.keys);
    c->TextOut(kMargin, y + (kBand - c->TextHeight(s.name)) / 2, s.name);
    c->GetBrush()->SetStyle(bsSolid);
    for (int k = 1; k <= kEntries; ++k) {
      const int x = kMargin + kLabel + 2 * (k - 1);
      c->GetBrush()->SetColor(scale.GetColorElem(k));
      c->FillRect({x, y, x + 2, y + kBand});
    }
    c->GetBrush()->SetStyle(bsClear);
    y += kBand + kGap;
  }
}

}  // namespace

nlohmann::json DemoColours(std::ostream& out, const std::string& dir) {
  DemoHeading(out, "Colours");
  nlohmann::json j;
  const Scale scales[] = {{"ColorArray_Geo1", ColorArray_Geo1},
                          {"ColorArray_Geo2", ColorArray_Geo2},
                          {"ColorArray_Geo3", ColorArray_Geo3},
                          {"ColorArray_Rainbow", ColorArray_Rainbow},
                          {"ColorArray_Circle", ColorArray_Circle},
                          {"ColorArray_MorgenStemning", ColorArray_MorgenStemning},
                          {"ColorArray_Contrast", ColorArray_Contrast}};
  TBitmap bmp;
  DrawScales(bmp, scales);
  const std::string path = DemoFile(dir, "colour_arrays.png");
  SaveBitmapToFile(bmp, path);
  out << "  colour_arrays.png  the seven predefined colour scales, 256 colours each ("
      << bmp.GetWidth() << " x " << bmp.GetHeight() << ")\n";
  j["colour_arrays"] = path;

  const TColor cornflower = AllTKZColors[static_cast<size_t>(FindColorName("cornflowerblue"))];
  double h, sat, l;
  ColorToHSL(cornflower, h, sat, l);
  out << "  \"cornflowerblue\" = " << ColorToHexStr(cornflower) << ", HSL (" << strff(h, 1, 1)
      << ", " << strff(sat, 1, 3) << ", " << strff(l, 1, 3)
      << "), back from HSL: " << ObtainColorName(HSLtoColor(h, sat, l)) << "\n";
  const TColor wave = WavelengthToColor(580, 0.8);
  TColorArray rainbow;  // a new array holds the rainbow scale, 1000 colours
  double distance = 0;
  const int index = rainbow.ColorToIndex(wave, distance);
  out << "  light of 580 nm = " << ColorToHexStr(wave) << ", closest rainbow entry " << index
      << " of " << rainbow.GetSize() << " (distance " << strff(distance, 1, 3) << ")\n";
  j["cornflowerblue"] = {{"hex", ColorToHexStr(cornflower)}, {"hsl", {h, sat, l}}};
  j["wavelength_580nm"] = {{"hex", ColorToHexStr(wave)}, {"rainbow_index", index}};
  return j;
}

}  // namespace tkz::tool
