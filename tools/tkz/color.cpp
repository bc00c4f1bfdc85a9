// tkz color: a colour by name or hex text, in every colour model.
#include <CLI/CLI.hpp>
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

}  // namespace

int RunColor(const ColorOptions& options, std::ostream& out, std::ostream& err) {
  TColor c;
  if (const int index = FindColorName(options.Value); index >= 0) {
    c = AllTKZColors[static_cast<size_t>(index)];
  } else if (IsHexText(options.Value)) {
    c = HexStrToColor(options.Value);
    // A top byte marks a system-colour reference or a platform marker
    // (clNone, clDefault), which has no red, green and blue of its own.
    if ((static_cast<uint32_t>(c) & 0xFF000000u) != 0) {
      err << "tkz: not an RGB colour (00BBGGRR): \"" << options.Value << "\"\n";
      return 1;
    }
  } else {
    err << "tkz: not a colour name or hex colour: \"" << options.Value << "\"\n";
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
  cmd->add_option("VALUE", options->Value, "Colour name (any case) or hex text such as $FF00")
      ->required();
  RunsWhenChosen(cmd, [options] { return RunColor(*options, std::cout, std::cerr); });
}

}  // namespace tkz::tool
