// Fonts: finding installed fonts by name (fontconfig), measuring and
// rasterising text (FreeType). The canvas uses this to draw text; applications
// use it to ask which fonts exist.
//
// Text is Windows-1252 bytes; each byte is one character. A font name that no
// installed family matches falls back to DejaVu Sans. Bold and italic faces
// are chosen by fontconfig; underline and strike-out are drawn as bars.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/platform/graphics.h"

namespace tkz {

// Vertical metrics of a font at its current size, in whole pixels, as the
// classic text-metric record gives them: Height = Ascent + Descent.
struct TFontMetrics {
  int Ascent = 0;
  int Descent = 0;
  int Height = 0;
  int InternalLeading = 0;  // Height minus the em height
  int AveCharWidth = 0;     // advance of "x"
};

// Rendered text: an 8-bit coverage mask (0 = untouched, 255 = fully covered)
// and where its top-left pixel lies relative to the text's reference point
// (the top-left corner of the text cell, before any turning).
struct TGlyphMask {
  int32_t Left = 0;
  int32_t Top = 0;
  int32_t Width = 0;
  int32_t Height = 0;
  std::vector<uint8_t> Coverage;  // Width * Height, rows top to bottom
};

// Families of the installed fonts, sorted, each once.
std::vector<std::string> InstalledFontFamilies();
// Whether a family of that name is installed (case-insensitive).
bool FontInstalled(const std::string& family);
// The file fontconfig picks for a name and style (empty when none at all).
std::string FontFileFor(const std::string& family, TFontStyles style);
// Whether the face in that file has TrueType outlines ('glyf' table).
bool FontFileIsTrueType(const std::string& fileName);

TFontMetrics GetFontMetrics(const TFont& font);
// Advance width of the text in pixels (sum of the whole-pixel advances of the
// characters; no kerning), ignoring the orientation.
int MeasureText(const TFont& font, std::string_view text);
// Rasterises the text with the font's size, style and orientation.
TGlyphMask RenderText(const TFont& font, std::string_view text);

}  // namespace tkz
