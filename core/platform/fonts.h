// Fonts: finding installed fonts by name (fontconfig), measuring and
// rasterising text (FreeType). The canvas uses this to draw text; applications
// use it to ask which fonts exist.
//
// Text is Windows-1252 bytes; each byte is one character. A font name that no
// installed family matches falls back to DejaVu Sans. Bold and italic faces
// are chosen by fontconfig; where a family has no bold (italic) face, the
// regular face is thickened (slanted) instead. Underline and strike-out are
// drawn as bars.
//
// Sizes: the em height in pixels is TFont::GetHeight(), held to 1..kMaxEmPixels.
// Metrics are whole pixels: Ascent and Descent are the face's ascender and
// descender (the OS/2 Windows values where the face has them) scaled to the em
// height and rounded up; Height = Ascent + Descent.
//
// Characters: each byte is mapped through Windows-1252 to Unicode. A byte the
// face has no glyph for (control characters, the five bytes Windows-1252
// leaves undefined, characters missing from the face) is drawn as the face's
// missing-glyph box with that box's advance, so that nothing in the text is
// silently dropped. There is no kerning; the advance of every character is
// the hinted advance rounded to whole pixels, the same in MeasureText and
// RenderText.
//
// The service keeps one FreeType library, the open faces and the rendered
// glyphs (for every angle) in bounded caches; calls are serialised by a lock,
// so canvases may be used from different threads.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/platform/codepage.h"  // Cp1252ToUnicode
#include "core/platform/graphics.h"
#include "core/types/corekit_export.h"

namespace tkz {

// Vertical metrics of a font at its current size, in whole pixels, as the
// classic text-metric record gives them: Height = Ascent + Descent.
struct TKZ_COREKIT_EXPORT TFontMetrics {
  int Ascent = 0;
  int Descent = 0;
  int Height = 0;
  int InternalLeading = 0;  // Height minus the em height
  int AveCharWidth = 0;     // advance of "x"
};

// Rendered text: an 8-bit coverage mask (0 = untouched, 255 = fully covered)
// and where its top-left pixel lies relative to the text's reference point
// (the top-left corner of the text cell, before any turning).
struct TKZ_COREKIT_EXPORT TGlyphMask {
  int32_t Left = 0;
  int32_t Top = 0;
  int32_t Width = 0;
  int32_t Height = 0;
  std::vector<uint8_t> Coverage;  // Width * Height, rows top to bottom
};

// A font file chosen for a family and style. Bold and Italic tell whether the
// face itself is bold or italic; when the style asks for one that the face is
// not, the renderer synthesises it.
struct TKZ_COREKIT_EXPORT TFontFace {
  std::string FileName;  // empty when no font is installed at all
  int FaceIndex = 0;     // face within a collection file
  bool Bold = false;
  bool Italic = false;
};

// Largest em height in pixels that text is rendered at; larger fonts are
// rendered at this size.
constexpr int kMaxEmPixels = 2000;
// Largest mask RenderText makes without a clip rectangle (Width * Height).
constexpr int64_t kMaxTextMaskPixels = int64_t{64} << 20;

// Families of the installed fonts (the first name of each face), sorted, each
// once.
TKZ_COREKIT_EXPORT std::vector<std::string> InstalledFontFamilies();
// Whether a family of that name is installed (case-insensitive). Besides the
// names InstalledFontFamilies lists, a face's other family names count too
// ("DejaVu Sans Condensed"), as they do when FontFileFor looks a font up.
TKZ_COREKIT_EXPORT bool FontInstalled(const std::string& family);
// The file fontconfig picks for a name and style (empty when none at all).
TKZ_COREKIT_EXPORT std::string FontFileFor(const std::string& family, TFontStyles style);
// The same with the face index and what the face provides itself. Only
// fsBold and fsItalic of the style matter. Lookups are cached.
TKZ_COREKIT_EXPORT TFontFace FindFontFace(const std::string& family, TFontStyles style);
// Whether the face in that file has TrueType outlines ('glyf' table). False
// for files that cannot be opened or are no fonts.
TKZ_COREKIT_EXPORT bool FontFileIsTrueType(const std::string& fileName);

// The calls below raise EInvalidGraphic when no font file can be opened at
// all (no fonts installed, or the chosen file and DejaVu Sans both unreadable).
TKZ_COREKIT_EXPORT TFontMetrics GetFontMetrics(const TFont& font);
// Advance width of the text in pixels (sum of the whole-pixel advances of the
// characters; no kerning), ignoring the orientation. Saturates at INT32_MAX.
TKZ_COREKIT_EXPORT int MeasureText(const TFont& font, std::string_view text);
// Rasterises the text with the font's size, style and orientation. Empty text
// gives an empty mask. A mask larger than kMaxTextMaskPixels raises
// EInvalidGraphic before anything is rendered; use the clipped form for text
// that may be far larger than the picture it is drawn on.
TKZ_COREKIT_EXPORT TGlyphMask RenderText(const TFont& font, std::string_view text);
// The same, keeping only the part of the text inside clip (given relative to
// the reference point, exclusive right and bottom): glyphs wholly outside are
// not rendered and the mask is cut to the clip. The canvas passes its clip
// rectangle here; the mask then raises only when the clip itself is larger
// than TBitmap::kMaxPixels.
TKZ_COREKIT_EXPORT TGlyphMask RenderText(const TFont& font, std::string_view text,
                                         const TRect& clip);

}  // namespace tkz
