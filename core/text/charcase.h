// Case mapping of Windows-1252 text. "Ansi" functions know the accented
// letters of the code page (é/É, š/Š, œ/Œ, ž/Ž, ÿ/Ÿ); "Ascii" functions change
// A-Z/a-z only. ß and µ have no upper-case form in the code page and stay.
#pragma once

#include <string>
#include <string_view>

#include "core/types/corekit_export.h"

namespace tkz {

TKZ_COREKIT_EXPORT char AnsiUpperChar(char c);
TKZ_COREKIT_EXPORT char AnsiLowerChar(char c);
TKZ_COREKIT_EXPORT std::string AnsiUpperCase(std::string_view s);
TKZ_COREKIT_EXPORT std::string AnsiLowerCase(std::string_view s);

inline char AsciiUpperChar(char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
}
inline char AsciiLowerChar(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
}
TKZ_COREKIT_EXPORT std::string AsciiUpperCase(std::string_view s);
TKZ_COREKIT_EXPORT std::string AsciiLowerCase(std::string_view s);

// True when s1 and s2 are equal ignoring Windows-1252 case.
TKZ_COREKIT_EXPORT bool AnsiSameText(std::string_view s1, std::string_view s2);

}  // namespace tkz
