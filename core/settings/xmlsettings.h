// The suite's XML settings files: the frame every element shares, the
// enumeration-name tables through which enumerated settings are written,
// and the small value codecs that writers and readers use.
//
// Frame of an element (I = Indent clamped to 1..255 blanks):
//   [I blanks]<?xml version="1.0"?>          only with WriteXMLHeader
//   (an empty line)
//   [I blanks]<!-- What / TKZ Component Suite -->
//   [I blanks]<name sig="Quorvatin" vers="1.0" id="Id"[own attributes]>
//   [I + 2 blanks]child elements, one per line
//   [I blanks]</name>
// A reader reads whole lines, lower-cased, until one holds "<name" and
// "quorvatin" (and, for a non-empty Id, an id attribute equal to Id ignoring
// case and surrounding blanks).
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "core/platform/graphics.h"
#include "core/platform/textfile.h"
#include "core/types/corekit_export.h"
#include "core/types/tkzbase.h"

namespace tkz {

// ---------------------------------------------------------- name tables
extern TKZ_COREKIT_EXPORT const std::array<std::string, 3> xmlAlignment;
extern TKZ_COREKIT_EXPORT const std::array<std::string, 3> xmlVerticalAlignment;
extern TKZ_COREKIT_EXPORT const std::array<std::string, 3> xmlBkgFill;
extern TKZ_COREKIT_EXPORT const std::array<std::string, 3> xmlBoundingBox;
extern TKZ_COREKIT_EXPORT const std::array<std::string, 2> xmlColorScheme;
extern TKZ_COREKIT_EXPORT const std::array<std::string, 5> xmlFigType;
extern TKZ_COREKIT_EXPORT const std::array<std::string, 4> xmlScaleType;
extern TKZ_COREKIT_EXPORT const std::array<std::string, 3> xmlYearLength;
extern TKZ_COREKIT_EXPORT const std::array<std::string, 3> xmlDateOrder;
extern TKZ_COREKIT_EXPORT const std::array<std::string, 4> xmlDateForTime;
extern TKZ_COREKIT_EXPORT const std::array<std::string, 2> xmlShadowStyle;
extern TKZ_COREKIT_EXPORT const std::array<std::string, 6> xmlFrameStyle;
extern TKZ_COREKIT_EXPORT const std::array<std::string, 3> xmlTimeFormat;
extern TKZ_COREKIT_EXPORT const std::array<std::string, 4> xmlDirection;
extern TKZ_COREKIT_EXPORT const std::array<std::string, 5> xmlLanguage;
extern TKZ_COREKIT_EXPORT const std::array<std::string, 7> xmlVarKind;
extern TKZ_COREKIT_EXPORT const std::array<std::string, 4> xmlMouseBoxState;
extern TKZ_COREKIT_EXPORT const std::array<std::string, 19> xmlMouseActMode;
extern TKZ_COREKIT_EXPORT const std::array<std::string, 2> xmlZoomState;
extern TKZ_COREKIT_EXPORT const std::array<std::string, 6> xmlCrossHMode;
extern TKZ_COREKIT_EXPORT const std::array<std::string, 5> xmlTxtLblMode;
extern TKZ_COREKIT_EXPORT const std::array<std::string, 4> xmlTxtLblAttachMode;
extern TKZ_COREKIT_EXPORT const std::array<std::string, 4> xmlFontStyle;

// Looks text up in a name table (exact, case-sensitive, first equal entry);
// -1 when no entry matches.
template <size_t N>
int XMLNameIndex(const std::array<std::string, N>& table, std::string_view text) {
  for (size_t i = 0; i < N; ++i)
    if (table[i] == text) return static_cast<int>(i);
  return -1;
}

// ------------------------------------------------ character references
// The one codec for the text and attribute values of the suite's files.
// Text between tags: "&", "<", ">" become &amp; &lt; &gt;, control bytes
// (below 32, and 127) &#N;, every other byte stays (quotes too).
TKZ_COREKIT_EXPORT std::string EscapeXMLText(std::string_view s);
// A value between double quotes: as EscapeXMLText, and '"' becomes &quot;.
TKZ_COREKIT_EXPORT std::string EscapeXMLAttribute(std::string_view s);
// Resolves &amp; &lt; &gt; &quot; and decimal references &#N; up to 255 with
// at most four digits. Anything else after a "&" (unknown names, hex or
// larger numbers, no ";") is kept as it stands.
TKZ_COREKIT_EXPORT std::string UnescapeXMLText(std::string_view s);

// ---------------------------------------------------------- value codecs
// "$" and six upper-case hexadecimal digits of the low 24 bits (0x00BBGGRR).
TKZ_COREKIT_EXPORT std::string XMLColorStr(TColor c);
// Skips blanks, accepts one "$" as the first character, then accumulates
// hexadecimal digits (either case) up to the first other character.
TKZ_COREKIT_EXPORT TColor XMLStrToColor(std::string_view s);
// Skips blanks, accepts one sign, then digits up to the first non-digit;
// saturates at the 32-bit range.
TKZ_COREKIT_EXPORT int32_t XMLStrToInt(std::string_view s);
// "1" or "0"; read back true exactly when the integer read is 1.
TKZ_COREKIT_EXPORT std::string XMLBoolStr(bool b);
TKZ_COREKIT_EXPORT bool XMLStrToBool(std::string_view s);
// The 12-character scientific form (" 1.000E+0002").
TKZ_COREKIT_EXPORT std::string XMLFloatStr(double x);
// The floating-point scanner on the text: exponent allowed, "." or ","
// as decimal point, clamped to +-uc_MaxDouble.
TKZ_COREKIT_EXPORT double XMLStrToFloat(std::string_view s);

// ---------------------------------------------------------- the frame
// The indentation of an element's lines: Indent clamped to 1..255 blanks.
TKZ_COREKIT_EXPORT std::string XMLIndent(int Indent);
// Writes frame steps 1 to 4: optional header, empty line, comment naming
// What, opening tag of Element with Id and the element's own attributes
// (ExtraAttributes, starting with a blank when not empty).
TKZ_COREKIT_EXPORT void WriteXMLFrameStart(TTextFile& f, bool WriteXMLHeader,
                                           const std::string& What, const std::string& Element,
                                           const std::string& Id, int Indent,
                                           const std::string& ExtraAttributes = "");
// Writes the closing tag of Element.
TKZ_COREKIT_EXPORT void WriteXMLFrameEnd(TTextFile& f, const std::string& Element, int Indent);
// Reads lines until the opening line of Element (with Id, when not empty);
// false at the end of the file. The file then stands after that line, which
// is handed back as written through OpeningLine when that is given.
TKZ_COREKIT_EXPORT bool FindXMLElement(TTextFile& f, const std::string& Element,
                                       const std::string& Id, std::string* OpeningLine = nullptr);
// Reads the next tag of an element body: skips up to "<", takes the tag text
// up to ">" and splits it into lower-cased Name, Attributes and, for a tag
// that is not self-closing, the Contents up to the next ">", less that ">" or
// cut before a "</" in them. TextElement (lower case) names an element whose
// contents are written unescaped: for it a ">" is taken as text up to a "<"
// that may open a tag (one before a letter, "/", "!" or "?"), so that its
// contents run to their closing tag. Closing tags and comments ("<!-- -->")
// have no contents. False at the end of the file.
TKZ_COREKIT_EXPORT bool ReadXMLChildTag(TTextFile& f, std::string& Name, std::string& Attributes,
                                        std::string& Contents, std::string_view TextElement = {});

}  // namespace tkz
