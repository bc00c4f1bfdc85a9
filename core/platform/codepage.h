// Conversion between Windows-1252 text (the libraries' strings) and UTF-8
// (terminals, JSON, modern files). The five bytes that Windows-1252 leaves
// undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the C1 control characters
// of the same value, so that every byte string survives the round trip.
#pragma once

#include <string>
#include <string_view>

#include "core/types/corekit_export.h"

namespace tkz {

// The Unicode code point of a Windows-1252 byte.
TKZ_COREKIT_EXPORT char32_t Cp1252ToUnicode(unsigned char b);
// The Windows-1252 byte of a code point, or -1 when the code page lacks it.
TKZ_COREKIT_EXPORT int Cp1252FromUnicode(char32_t cp);

TKZ_COREKIT_EXPORT std::string AnsiToUtf8(std::string_view s);

// UTF-8 to Windows-1252: a character that the code page lacks, and every
// malformed UTF-8 sequence, becomes Replacement.
TKZ_COREKIT_EXPORT std::string Utf8ToAnsi(std::string_view s, char Replacement = '?');

}  // namespace tkz
