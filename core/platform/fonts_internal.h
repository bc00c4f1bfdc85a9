// The font service's entry for the canvas, which draws text often and keeps
// one mask to render into instead of making a new one each time.
#pragma once

#include <string_view>

#include "core/platform/fonts.h"

namespace tkz {

// Renders the text as RenderText(font, text, clip) does, into mask, whose
// storage is reused. Returns the advance width of the text in pixels, as
// MeasureText gives it.
int RenderTextInto(const TFont& font, std::string_view text, const TRect& clip, TGlyphMask& mask);

}  // namespace tkz
