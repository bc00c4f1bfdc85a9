// Shared by the landmark file and the symbol file: how their attribute
// values are written and read back.
#pragma once

#include <string>
#include <string_view>

#include "core/platform/textfile.h"
#include "core/text/streams.h"
#include "geo/geomap.h"

namespace tkz::geomap_internal {

// A double in the shortest text that reads back to the same value.
std::string LMFloatStr(double x);
// A decimal number ("." or "," as decimal mark, exponent allowed); Fallback
// when the text is empty.
double LMStrToFloat(std::string_view s, double Fallback);
// A decimal integer, saturating at the 32-bit range; Fallback when empty.
int32_t LMStrToInt(std::string_view s, int32_t Fallback);
// 8 hexadecimal digits / read with ScanHex (low 32 bits); Fallback when
// the text holds no hexadecimal digit.
std::string LMColorStr(TColor c);
TColor LMStrToColor(std::string_view s, TColor Fallback);
// "TRUE" / "FALSE"; read back true when the lower-cased text holds "true".
std::string LMBoolStr(bool b);
bool LMStrToBool(std::string_view s);
// The element for the lower-cased text: the names "square" ... "spade",
// lmCross for every other text ("plus" and "user-defined" included).
TLandMarkElement LMStrToElement(std::string_view s);

// The symbol fields that landmarks and repository entries share (Element,
// Size, ColorFg, ColorBg, Transparent, Direction, Length) from the
// attributes of an element; absent numbers keep the values of Style.
template <typename Style>
void ReadSymbolStyle(std::string_view Attributes, Style& s) {
  const auto get = [Attributes](const char* name) { return ScanForXMLAttrib(Attributes, name); };
  s.Element = LMStrToElement(get("element"));
  s.Size = LMStrToInt(get("size"), s.Size);
  s.ColorFg = LMStrToColor(get("colorfg"), s.ColorFg);
  s.ColorBg = LMStrToColor(get("colorbg"), s.ColorBg);
  s.Transparent = LMStrToBool(get("transp"));
  s.Direction = LMStrToInt(get("dir"), s.Direction);
  s.Length = LMStrToInt(get("leng"), s.Length);
}

// Finds the opening line of Element with the attribute sig="Quorvatin" and,
// when ID is not empty, the id ID (ignoring case); the file then stands
// after that line. False at the end of the file.
bool FindLMBlock(TTextFile& F, const std::string& Element, const std::string& ID);

}  // namespace tkz::geomap_internal
