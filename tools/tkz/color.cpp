// tkz color: a colour by name or hex text, in every colour model.
#include <CLI/CLI.hpp>
#include <algorithm>
#include <cctype>
#include <cstdint>
#include <iostream>
#include <nlohmann/json.hpp>
#include <string>

#include "core/colour/tkzcolors.h"
#include "core/platform/codepage.h"
#include "tools/tkz/commands.h"

namespace tkz::tool {

namespace {

// Hex text as HexStrToColor reads it, with nothing else: blanks, an optional
// leading "$", blanks, then only hex digits (at least one) and blanks after.
bool IsHexText(const std::string& text) {
  const size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) return false;
  const size_t last = text.find_last_not_of(' ');
  size_t i = first;
  if (text[i] == '$') ++i;
  while (i <= last && text[i] == ' ') ++i;
  if (i > last) return false;
  for (; i <= last; ++i)
    if (!std::isxdigit(static_cast<unsigned char>(text[i]))) return false;
  return true;
}

// Web notation: "#RRGGBB" or "#RGB" (blanks around it allowed), red first.
bool WebColor(const std::string& text, TColor& c) {
  const size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos || text[first] != '#') return false;
  const std::string digits = text.substr(first + 1, text.find_last_not_of(' ') - first);
  if ((digits.size() != 6 && digits.size() != 3) ||
      !std::all_of(digits.begin(), digits.end(),
                   [](char d) { return std::isxdigit(static_cast<unsigned char>(d)); }))
    return false;
  // The same digits in the library's order, blue first.
  std::string bgr;
  for (int k = 2; k >= 0; --k) {
    const auto i = static_cast<size_t>(k);
    bgr += digits.size() == 6 ? digits.substr(2 * i, 2) : std::string(2, digits[i]);
  }
  c = HexStrToColor(bgr);
  return true;
}

}  // namespace

int RunColor(const ColorOptions& options, std::ostream& out, std::ostream& err) {
  TColor c;
  if (const int index = FindColorName(options.Value); index >= 0) {
    c = AllTKZColors[static_cast<size_t>(index)];
  } else if (WebColor(options.Value, c)) {
  } else if (IsHexText(options.Value)) {
    c = HexStrToColor(options.Value);
    // A top byte marks a system-colour reference or a platform marker
    // (clNone, clDefault), which has no red, green and blue of its own.
    if ((static_cast<uint32_t>(c) & 0xFF000000u) != 0) {
      err << "tkz: not an RGB colour (00BBGGRR): \"" << options.Value << "\"\n";
      return 1;
    }
  } else {
    err << "tkz: not a colour name, hex colour or #RRGGBB: \"" << options.Value << "\"\n";
    return 1;
  }
  const std::string hex = ColorToHexStr(c);
  const std::string name = ObtainColorName(c);
  double h, s, l, hv, sv, v, cy, m, y, k;
  ColorToHSL(c, h, s, l);
  ColorToHSV(c, hv, sv, v);
  RGBtoCMY(GetRValue(c), GetGValue(c), GetBValue(c), cy, m, y);
  CMYtoCMYK(cy, m, y, k);
  nlohmann::ordered_json j;
  j["name"] = name == hex ? "" : AnsiToUtf8(name);
  j["hex"] = hex;
  j["r"] = GetRValue(c);
  j["g"] = GetGValue(c);
  j["b"] = GetBValue(c);
  j["hsl"] = {h, s, l};
  j["hsv"] = {hv, sv, v};
  j["cmyk"] = {cy, m, y, k};
  j["gray"] = ColorToGray(c);
  WriteJsonLine(out, j);
  return 0;
}

void AddColorCommands(CLI::App& app) {
  auto options = std::make_shared<ColorOptions>();
  CLI::App* cmd = app.add_subcommand(
      "color", "A colour by name or hex text in RGB, HSL, HSV, CMYK and grey (JSON)");
  cmd->add_option("VALUE", options->Value,
                  "Colour name (any case), hex text such as $FF00 (00BBGGRR), or #RRGGBB")
      ->required();
  cmd->footer(
      "Hex text without \"#\" is the library's TColor value $00BBGGRR, blue first: $FF and\n"
      "0000FF are red, $FF0000 is blue. Text after \"#\" is the web's order, red first:\n"
      "#FF0000 and #F00 are red. \"hex\" in the output is the library's 00BBGGRR.");
  RunsWhenChosen(cmd, [options] { return RunColor(*options, std::cout, std::cerr); });
}

}  // namespace tkz::tool
