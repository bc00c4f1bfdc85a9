// String utilities: free functions on 8-bit Windows-1252 text.
//
// Conventions of this module:
//   - Strings are byte strings (std::string, Windows-1252). Inputs are taken as
//     std::string_view and never modified; every result is a new string.
//   - Positions that cross the interface count characters from 1; 0 means
//     "not found" / "no position". Out-of-range positions, counts and indices
//     give the neutral result stated for each function ("", 0, false), never an
//     exception, a crash or an out-of-bounds access.
//   - A "blank" is the space character (code 32) only; tabs are not blanks
//     unless a function says so.
//   - "Lower case" and "upper case" use the Windows-1252 tables of
//     core/text/charcase.h (AnsiLowerCase/AnsiUpperCase), never the C locale;
//     "ASCII letter" means A-Z and a-z only.
//   - No function raises on ordinary input. ETKZStringlError is the module's
//     error class (declared in core/types/tkzbase.h).
//   - All functions are re-entrant except those that touch the process-wide
//     random generator (RandSeed, Random, InitScramble) and the substitution
//     tables (Scramble, DeScramble, InitScramble); callers that use them from
//     several threads must serialise those calls.
//
// Number formatting. strff writes a long double in one of three layouts:
//   fixed:       right-aligned in the field, with a given count of decimals;
//   scientific:  sign position (blank for x >= 0, "-" otherwise), one digit,
//                ".", f fraction digits, "E", exponent sign, four exponent
//                digits, e.g. " 1.2346E+0002" (12 characters, f = 4);
//   short scientific (Decimals = -2): as scientific but with a two-digit
//                exponent, e.g. " 1.2346E+02".
// A scientific field of L characters holds f = L - 9 fraction digits, at least
// 1 and at most 17 (18 significant digits, the precision of the 80-bit
// extended type); a field too narrow for one fraction digit is widened to the
// minimum (10 characters, 8 in the short form), and a field wider than the
// longest mantissa is padded with blanks on the left. Digits are the exact
// decimal rounding (ties to even) of the binary value. Non-finite values are
// written "NaN", "Inf" and "-Inf", right-aligned in the field.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/types/corekit_export.h"
#include "core/types/tkzbase.h"
#include "core/types/variant.h"

namespace tkz {

// ------------------------------------------------------------ shared types

// A set of byte values (all 256 codes of Windows-1252).
class TKZ_COREKIT_EXPORT TCharSet {
 public:
  constexpr TCharSet() = default;
  // The set of the bytes of chars (embedded NULs count).
  constexpr explicit TCharSet(std::string_view chars) {
    for (char c : chars) Include(c);
  }
  constexpr void Include(char c) {
    const auto b = static_cast<unsigned char>(c);
    bits_[b >> 6] |= uint64_t{1} << (b & 63);
  }
  constexpr bool Contains(char c) const {
    const auto b = static_cast<unsigned char>(c);
    return ((bits_[b >> 6] >> (b & 63)) & 1) != 0;
  }

 private:
  uint64_t bits_[4] = {0, 0, 0, 0};
};

// Characters that separate words: codes 0, 10, 13, 32 and " # % ' ( ) * + , - . / : ; < = > [ \ ] {
// }
inline constexpr TCharSet WordSeps{std::string_view("\0\n\r \"#%'()*+,-./:;<=>[\\]{}", 26)};

// Dynamic array of strings.
using TOpenStringArray = std::vector<std::string>;

// States of ParseQuotedName.
enum TQuotedStrState : uint8_t { vsStart, vs1stQuote, vsQuote, vsNormal, vsEnd };

// ------------------------------------------------------- number formatting

// Formats x in a field of |FieldWidth| characters (see the top of this file).
//   Decimals >= 0: fixed form with Decimals digits after the point.
//   Decimals = -2: short scientific form of exactly |FieldWidth| characters
//                  (at least 8); when the exponent needs three or more digits
//                  (|exponent| >= 100) every character of the field is "*".
//   other negative Decimals: scientific form with a four-digit exponent.
// A result wider than the field is kept whole. FieldWidth < 0 pads with "0"
// instead of blanks, a minus sign moving to the first column:
// strff(-3.5, -8, 2) is "-0003.50". |FieldWidth| and Decimals are limited to
// 255. Non-finite values are never zero-padded.
TKZ_COREKIT_EXPORT std::string strff(long double x, int FieldWidth, int Decimals);

// As strff, with a "+" for x >= 0: the blank just before the number becomes
// "+"; with no leading blank a "+" is prepended, except that a leading padding
// "0" (one not followed by ".") is replaced: strffForcePlus(3.5, -8, 2) is
// "+0003.50", strffForcePlus(3.5, 4, 2) is "+3.50".
TKZ_COREKIT_EXPORT std::string strffForcePlus(long double x, int FieldWidth, int Decimals);

// Fixed form with Decimals (0..8) decimals, right-aligned and blank-padded in
// FieldWidth characters (widened when too narrow), when |x| <= L(Decimals)
// (999999999, 9999999.9, ..., 0.99999999: nine significant digits) and
// |x| >= 10^-Decimals or x = 0; otherwise, and for Decimals outside 0..8,
// strff(x, FieldWidth + 6, -2). A negative FieldWidth counts as 0.
TKZ_COREKIT_EXPORT std::string FormatData(double x, int FieldWidth, int Decimals);

// x with SigDigits significant digits in FieldWidth columns: fixed form when
// the digits fit, else strff(x, max(FieldWidth, SigDigits + 6), -2).
// SigDigits is clamped to 1..18. With Strip, blanks at both ends are removed.
TKZ_COREKIT_EXPORT std::string SigDigStr(double x, int FieldWidth, int SigDigits);
TKZ_COREKIT_EXPORT std::string SigDigStr(double x, int FieldWidth, int SigDigits, bool Strip);

// Compact text of x without blanks: fixed form with SigDigits significant
// digits when 10^-1 < |x| < 10^(SigDigits-1) (or x = 0), short scientific
// otherwise. SigDigits is clamped to 2..16. With DecimalComma every "."
// becomes ",".
TKZ_COREKIT_EXPORT std::string AutoFormatData(double x, int SigDigits);
TKZ_COREKIT_EXPORT std::string AutoFormatData(double x, int SigDigits, bool DecimalComma);

// Seconds as time text; negative and NaN Seconds count as 0. Fields:
// h = whole hours (not wrapped), m = minutes, s = seconds, c = hundredths,
// truncated from the decimal value (0.29 gives 29, although its binary value
// lies just below 0.29; 59.999 gives 59.99). Two-digit fields are
// zero-padded; larger values are written in full.
//   0: "hh:mm:ss.cc"   1: "hh:mm:ss"   2: " 5h07" (hours blank-padded to 2)
//   3: " 5h07'09\""    4: "hh:mm"      5: twelve-hour clock of the hour of
//   the day (h mod 24): " 1:30p", "12:05a"
//   any other Mode: "".
TKZ_COREKIT_EXPORT std::string TimeString(double Seconds, uint8_t Mode);

// ------------------------------------------------ booleans and tri-states

// Text of b in one of eight notations: 0 "TRUE"/"FALSE", 1 "T"/"F",
// 2 ".T."/".F.", 3 "1"/"0", 4 "-1"/"0", 5 "FF"/"00", 6 "YES"/"NO",
// 7 "GOOD"/"BAD"; any other Mode as 0.
TKZ_COREKIT_EXPORT std::string BoolToStr(bool b, int Mode);

// s1 when b is true, else s2.
TKZ_COREKIT_EXPORT std::string BinString(bool b, std::string_view s1, std::string_view s2);

// Case-insensitive, blanks at both ends ignored: "true", "1", "+1", "yes" give
// tsTrue; "false", "-1", "no" give tsFalse; anything else tsUndefined.
TKZ_COREKIT_EXPORT TTriState StrToTriState(std::string_view s);

// Mode 1: "-1", "1", "0"; Mode 2: "no", "yes", "unknown"; any other Mode:
// "false", "true", "" (for tsFalse, tsTrue, tsUndefined).
TKZ_COREKIT_EXPORT std::string TriStateToStr(TTriState ts, int Mode);

// ------------------------------------------------------ diagnostic texts

// Diagnostic text of a variant. Scalars: null "NULL"; integers in decimal;
// single and double strff(x, 10, -2); boolean BoolToStr(b, 0); strings as
// they are; other kinds "(unknown type: <kind code>)".
// Arrays (nested up to three levels; the shape is taken from the first
// element of each level): "undefined array" when empty, else "Array" plus
// "[low,high]" per level, ":" and CR LF, then:
//   one level:    up to 12 elements joined by ","; ",..." when cut;
//   two levels:   one line per second-level index (at most 10), each listing
//                 the first-level elements a[i][j] for that j (at most 12,
//                 ",..." when cut) and ending in CR LF; " ......" after the
//                 last line when lines were cut;
//   three levels: for each third-level index k (at most 3) "layer k:" CR LF
//                 and the lines of a[.][.][k] as above (" ......" CR LF when
//                 cut); " ... more layers" at the end when layers were cut.
// Elements missing from ragged nested arrays are left empty.
TKZ_COREKIT_EXPORT std::string ConvertVariant(const TVariant& v);

// Comma-separated list of the first MaxItems elements (all when MaxItems <= 0
// or larger than the count), "...," standing for the rest; enclosed in "[" "]"
// when Brackets; a trailing "," appended when AppendComma. Integers are written
// in decimal, booleans as BoolToStr(b, 0), floats as AutoFormatData(x,
// SigDigits). The integers 1..5 with MaxItems 3 and Brackets give
// "[1,2,3,...]"; an empty array gives "[]" or "".
TKZ_COREKIT_EXPORT std::string CreateParList(const TIntArray& a, bool AppendComma, int MaxItems,
                                             bool Brackets);
TKZ_COREKIT_EXPORT std::string CreateParList(std::span<const int32_t> a, bool AppendComma,
                                             int MaxItems, bool Brackets);
TKZ_COREKIT_EXPORT std::string CreateParList(std::span<const bool> a, bool AppendComma,
                                             int MaxItems, bool Brackets);
TKZ_COREKIT_EXPORT std::string CreateParList(const TDoubleArray& a, bool AppendComma, int MaxItems,
                                             int SigDigits, bool Brackets);
TKZ_COREKIT_EXPORT std::string CreateParList(std::span<const double> a, bool AppendComma,
                                             int MaxItems, int SigDigits, bool Brackets);
// Brace-list forms: CreateParList({1, 2, 3}, ...), CreateParList({true, false}, ...),
// CreateParList({1.5, 2.0}, ..., SigDigits, ...).
inline std::string CreateParList(std::initializer_list<int32_t> a, bool AppendComma, int MaxItems,
                                 bool Brackets) {
  return CreateParList(std::span<const int32_t>(a.begin(), a.size()), AppendComma, MaxItems,
                       Brackets);
}
inline std::string CreateParList(std::initializer_list<bool> a, bool AppendComma, int MaxItems,
                                 bool Brackets) {
  return CreateParList(std::span<const bool>(a.begin(), a.size()), AppendComma, MaxItems, Brackets);
}
inline std::string CreateParList(std::initializer_list<double> a, bool AppendComma, int MaxItems,
                                 int SigDigits, bool Brackets) {
  return CreateParList(std::span<const double>(a.begin(), a.size()), AppendComma, MaxItems,
                       SigDigits, Brackets);
}

// --------------------------------------------------------------- searching

// 1-based index of the first element of list equal to s, 0 if none.
// Case-sensitive unless CaseSensitive is false (then Windows-1252 lower case
// on both sides).
TKZ_COREKIT_EXPORT int StringIx(std::string_view s, std::span<const std::string> list);
TKZ_COREKIT_EXPORT int StringIx(std::string_view s, std::initializer_list<std::string_view> list);
TKZ_COREKIT_EXPORT int StringIx(std::string_view s, bool CaseSensitive,
                                std::span<const std::string> list);
TKZ_COREKIT_EXPORT int StringIx(std::string_view s, bool CaseSensitive,
                                std::initializer_list<std::string_view> list);

// Position of the Occurrence-th non-overlapping match of SubStr in s, searching
// from StartPos (<= 0 counts as 1) onward; 0 when there is no such match, when
// Occurrence <= 0, or when SubStr is empty. IgnoreCase compares in lower case.
// NumberedPos("bc", "abcabc", 1, 2, false) is 5.
TKZ_COREKIT_EXPORT int NumberedPos(std::string_view SubStr, std::string_view s, int StartPos,
                                   int Occurrence, bool IgnoreCase);

// As NumberedPos, searching backward in the text up to and including position
// StartPos (clamped to 1..length(s)); matches lie wholly within that text and
// do not overlap; returns the first position of the Occurrence-th match from
// the right. NumberedPosBw("bc", "abcabc", 6, 2, false) is 2.
TKZ_COREKIT_EXPORT int NumberedPosBw(std::string_view SubStr, std::string_view s, int StartPos,
                                     int Occurrence, bool IgnoreCase);

// Position of the last occurrence of SubStr in s; 0 if none or SubStr is empty.
TKZ_COREKIT_EXPORT int PosLast(std::string_view SubStr, std::string_view s);

// Number of non-overlapping occurrences of SubStr in s, scanning left to right
// (0 for an empty SubStr).
TKZ_COREKIT_EXPORT int CountStringInString(std::string_view SubStr, std::string_view s,
                                           bool CaseSensitive);

// Number of occurrences of c in s (upper-case comparison when not CaseSensitive).
TKZ_COREKIT_EXPORT int CountCharInString(char c, std::string_view s, bool CaseSensitive);

// Position of the first non-blank character / the first "0".."9"; 0 if none.
TKZ_COREKIT_EXPORT int FindFirstNonBlank(std::string_view s);
TKZ_COREKIT_EXPORT int FindFirstDigit(std::string_view s);

// Text after / before the first occurrence of Trigger ("" when Trigger is
// absent or empty), with blanks at both ends removed when Strip.
TKZ_COREKIT_EXPORT std::string ExtractAfterTrigger(std::string_view s, std::string_view Trigger,
                                                   bool Strip);
TKZ_COREKIT_EXPORT std::string ExtractBeforeTrigger(std::string_view s, std::string_view Trigger,
                                                    bool Strip);

// Splits s at the first Delimiter: Left is the text before it, Right the text
// after it, each stripped of blanks when Strip; both "" when Delimiter is
// absent or empty.
TKZ_COREKIT_EXPORT void SplitString(std::string_view s, std::string_view Delimiter, bool Strip,
                                    std::string& Left, std::string& Right);

// The CSV delimiter (blank ; , : tab) occurring most often in s; the earlier
// enumeration value wins a tie; csvUnknown when none occurs.
TKZ_COREKIT_EXPORT TCSVDelimiters DetectCSVDelimiter(std::string_view s);

// Number of words: runs of at least two characters not in WordSeps that are
// followed by a separator (a run at the very end of s is not counted):
// CountWords("ab cd") is 1, CountWords("ab cd ") is 2.
TKZ_COREKIT_EXPORT int CountWords(std::string_view s);

// CharSet may contain the macros "//dig" (0-9), "//lc" (a-z), "//uc" (A-Z),
// "//31dwn" (codes 0..31) and "//128up" (codes 128..255).
// StringContains: some character of s is in the expanded CharSet.
// StringContainsOtherThan: some character of s is not in it.
TKZ_COREKIT_EXPORT bool StringContains(std::string_view s, std::string_view CharSet);
TKZ_COREKIT_EXPORT bool StringContainsOtherThan(std::string_view s, std::string_view CharSet);

// The word around position Pos: the characters on both sides of Pos up to the
// nearest WordSeps characters. When Pos is on a separator the result is that
// character alone. Pos outside 1..length(s) gives "" and WordStart = WordEnd
// = 0; otherwise WordStart and WordEnd are the word's first and last
// positions.
TKZ_COREKIT_EXPORT std::string ExtractWordFromString(std::string_view s, int Pos);
TKZ_COREKIT_EXPORT std::string ExtractWordFromString(std::string_view s, int Pos, int& WordStart,
                                                     int& WordEnd);

// The Index-th (from 0) field of s, fields being separated by Delimiter.
// "" when Index < 0, s is empty, there are fewer than Index delimiters, or the
// field starts with Delimiter (compared ignoring case; so a field between two
// adjacent delimiters is ""). An empty Delimiter makes s a single field.
TKZ_COREKIT_EXPORT std::string ExtractSubString(std::string_view s, int Index,
                                                std::string_view Delimiter);

// Splits s at every Delimiter into at most 1000 tokens (the last one keeps any
// further delimiters); empty tokens are kept; an empty s gives one empty
// token, as does an empty Delimiter give s as the only token. Returns
// Tokens.size().
TKZ_COREKIT_EXPORT int Tokenize(std::string_view s, std::string_view Delimiter,
                                TOpenStringArray& Tokens);

// The Index-th (from 1) parameter of the parameter list in s, blanks at both
// ends removed. The list is the text after the first c1 up to the matching c2:
// c1 ... c2 pairs inside it are skipped over as a whole, so
// ExtractParam("f(g(a,b), c)", 2, '(', ')', ",") is "c". When c1 = c2 the
// next c1 ends the list; a missing c2 lets the list run to the end of s; c1 =
// '\0' takes all of s as the list. Parameters are separated by t
// (case-sensitive; an empty t makes the whole list parameter 1); quotes have
// no special meaning. "" when Index < 1, Index exceeds the number of
// parameters, or s holds no c1.
TKZ_COREKIT_EXPORT std::string ExtractParam(std::string_view s, int Index, char c1, char c2,
                                            std::string_view t);

// Line and column (both from 1) of position Pos of s. A line ends after LF,
// after CR, or after CR LF (one break); a break character belongs to the line
// it ends. Every byte, tab included, is one column. Pos = length(s) + 1 (just
// after the end) is valid. Returns false, with Line = Column = 0, when Pos is
// outside 1..length(s) + 1.
TKZ_COREKIT_EXPORT bool TextLineCoords(std::string_view s, int Pos, int& Line, int& Column);

// ----------------------------------------------------------------- editing

// s with every OldChar replaced by NewChar.
TKZ_COREKIT_EXPORT std::string ReplaceCharInString(std::string_view s, char OldChar, char NewChar);

// s with every non-overlapping occurrence of SearchStr (found left to right)
// replaced by ReplStr; the inserted text is never searched again. An empty
// SearchStr leaves s unchanged.
TKZ_COREKIT_EXPORT std::string ReplaceStringInString(std::string_view s, std::string_view SearchStr,
                                                     std::string_view ReplStr, bool IgnoreCase);

// s without blanks at both ends ("" for a string of blanks).
TKZ_COREKIT_EXPORT std::string StripLTBlanks(std::string_view s);
// s without leading / trailing blanks; a non-empty string of blanks only
// yields a single blank.
TKZ_COREKIT_EXPORT std::string StripLeadingBlanks(std::string_view s);
TKZ_COREKIT_EXPORT std::string StripTrailingBlanks(std::string_view s);
// s without leading c ("" when s consists of c only).
TKZ_COREKIT_EXPORT std::string StripLeadingChars(char c, std::string_view s);
// s without trailing c; the first character is kept when all equal c.
TKZ_COREKIT_EXPORT std::string StripTrailingChars(char c, std::string_view s);

// Characters of s in reverse order.
TKZ_COREKIT_EXPORT std::string ReverseString(std::string_view s);

// c repeated n times, n clamped to 1..255.
TKZ_COREKIT_EXPORT std::string MultiChar(char c, int n);

// s without characters below code 32.
TKZ_COREKIT_EXPORT std::string RemoveControlChars(std::string_view s);
// s without every c.
TKZ_COREKIT_EXPORT std::string RemoveCharInString(std::string_view s, char c);
// s with every run of c collapsed to one c.
TKZ_COREKIT_EXPORT std::string RemoveMultiChars(std::string_view s, char c);

// s with "\" (c) appended / c prepended unless already there; "" stays "".
TKZ_COREKIT_EXPORT std::string EnsureTrailingBkSlash(std::string_view s);
TKZ_COREKIT_EXPORT std::string EnsureTrailingChar(char c, std::string_view s);
TKZ_COREKIT_EXPORT std::string EnsureLeadingChar(char c, std::string_view s);

// s centred in / left-aligned in / right-aligned in Len columns, padded with
// blanks ((Len - length) div 2 blanks before when centred); a longer s is cut
// to its first Len characters.
TKZ_COREKIT_EXPORT std::string CenterString(std::string_view s, uint8_t Len);
TKZ_COREKIT_EXPORT std::string LeftString(std::string_view s, uint8_t Len);
TKZ_COREKIT_EXPORT std::string RightString(std::string_view s, uint8_t Len);

// s stripped of blanks at both ends, then padded on the left so that its first
// DecimalChar stands at column Column (Column blanks when DecimalChar is
// absent). Column is limited to 255; nothing is added when the character
// already stands at or beyond Column.
TKZ_COREKIT_EXPORT std::string SortableNumericString(std::string_view s, char DecimalChar,
                                                     int Column);

// s when its length is at most n, else its first n - 2 characters and "..".
TKZ_COREKIT_EXPORT std::string AbbrevString(std::string_view s, int n);

// True when s is non-empty and every character equals c.
TKZ_COREKIT_EXPORT bool TestAllChar(std::string_view s, char c);

// German letters spelled out: ä ae, ö oe, ü ue, ß ss, µ u; Ä Ö Ü become A O U
// followed by "e" before a lower-case ASCII letter and by "E" otherwise
// ("Ärger" -> "Aerger", "ÄRGER" -> "AERGER").
TKZ_COREKIT_EXPORT std::string ExpandDiphthongs(std::string_view s);

// Every character outside 0-9, A-Z, a-z replaced by "_".
TKZ_COREKIT_EXPORT std::string ReduceStringToAZ09(std::string_view s);

// Characters not allowed in 8.3 file names (blank, " * + , / : ; < = > ? [ \ ] |,
// codes below 32, 127 and 128..255) replaced by "_"; the length is unchanged.
TKZ_COREKIT_EXPORT std::string ReduceStringToFN83CompliantChars(std::string_view s);

// First letter of each word upper-cased (ASCII letters only). A word starts at
// the beginning and after every ASCII character that is neither a letter nor a
// digit; "3d model" gives "3d Model". Other characters are unchanged.
TKZ_COREKIT_EXPORT std::string CapitalizeString(std::string_view s);

// True when the longest run of upper-case ASCII letters is at least 2 long
// and longer than the number of lower-case ASCII letters and digits in s
// ("NASA", "NaSA" yes; "Hello" no).
TKZ_COREKIT_EXPORT bool IsAbbreviation(std::string_view s);

// True when s1 and s2 are equal ignoring Windows-1252 case.
TKZ_COREKIT_EXPORT bool EqualAnsiStrings(std::string_view s1, std::string_view s2);

// Every character's case toggled (Windows-1252): a character that is its own
// upper-case form becomes its lower-case form, any other its upper-case form.
TKZ_COREKIT_EXPORT std::string ChangeCase(std::string_view s);

// Resolves escapes: "\#hh" (backslash, "#", two characters) becomes the
// character with the hexadecimal code read from those two characters (the
// digits up to the first non-hexadecimal one; none gives code 0); "\\" becomes
// one backslash; any other backslash is kept.
TKZ_COREKIT_EXPORT std::string ProcessHexChars(std::string_view s);

// ------------------------------------------------------- character classes

constexpr bool IsDigit(char c) { return c >= '0' && c <= '9'; }
constexpr bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
constexpr bool IsDigitLetter(char c) { return IsDigit(c) || IsLetter(c); }
constexpr bool IsHexChar(char c) {
  return IsDigit(c) || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}
// ä ö ü Ä Ö Ü ß (codes 228, 246, 252, 196, 214, 220, 223).
constexpr bool IsUmlaut(char c) {
  switch (static_cast<unsigned char>(c)) {
    case 228:
    case 246:
    case 252:
    case 196:
    case 214:
    case 220:
    case 223:
      return true;
    default:
      return false;
  }
}

// The value (0..15) of a hexadecimal digit of either case; -1 for any other
// character.
constexpr int HexCharValue(char c) {
  if (IsDigit(c)) return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}
// The upper-case hexadecimal digits by value: kHexChars[11] is 'B'.
inline constexpr char kHexChars[] = "0123456789ABCDEF";

// ------------------------------------------------------------ code pages

// Converts between code page 850 (the OEM code page of Western European
// consoles) and Windows-1252. Codes 0..127 are unchanged; every character
// that both pages hold is converted exactly. A character with no counterpart
// becomes its closest plain form:
//   850 -> 1252: single box-drawing lines "-" and "|", the double horizontal
//     line "=", the double vertical line "|", corners and junctions "+",
//     shades, blocks and the black square "#", dotless i "i", the double low
//     line "_";
//   1252 -> 850: euro "E", typographic quotes ' and ", low quotes "," and ",
//     angle quotes "<" ">", dashes "-", ellipsis ".", daggers "+", "^", "%",
//     "~", trade mark "T", the bullet the middle dot, S/s, Z/z with caron "S",
//     "s", "Z", "z", OE/oe "O"/"o", Y diaeresis "Y"; the five unassigned codes
//     0x81, 0x8D, 0x8F, 0x90, 0x9D become "?".
// Input longer than 255 characters is truncated to its first 255 (the
// functions work on short strings).
TKZ_COREKIT_EXPORT std::string WinAnsiString(std::string_view s);  // OEM (850) -> ANSI (1252)
TKZ_COREKIT_EXPORT std::string OEMString(std::string_view s);      // ANSI (1252) -> OEM (850)

// ------------------------------------- random generator and substitution

// The process-wide pseudo-random generator (a 64-bit PCG generator). Seeding
// it with the same Seed always reproduces the same sequence.
TKZ_COREKIT_EXPORT void RandSeed(int32_t Seed);
// A uniformly distributed integer in 0..Range-1 (0 when Range <= 0).
TKZ_COREKIT_EXPORT int32_t Random(int32_t Range);
// A uniformly distributed float in [0, 1).
TKZ_COREKIT_EXPORT double Random();

// Seed with which the substitution tables are built at load.
inline constexpr int32_t DefaultScrambleSeed = 0x2E5C7A91;

// InitScramble reseeds the process-wide generator with Seed and builds a new
// pair of substitution tables: a random permutation of codes 1..255 and its
// inverse (code 0 maps to itself). Scramble maps every character of s through
// the forward table, DeScramble through the inverse; the length is unchanged
// and DeScramble(Scramble(s)) == s for tables of one seed.
TKZ_COREKIT_EXPORT void InitScramble(int32_t Seed);
TKZ_COREKIT_EXPORT std::string Scramble(std::string_view s);
TKZ_COREKIT_EXPORT std::string DeScramble(std::string_view s);

// ------------------------------------------------------------- line reading

// Reads the next line of s starting at Pos (1-based; values below 1 count as
// 1) and advances Pos past every character read. Characters of code 32 and
// above are appended to the line; control characters are never appended, and
// one of them ends the line according to Mode: 0 LF; 1 CR; 2 CR or LF; 3 a CR
// right after a LF; 4 a LF right after a CR; any other Mode never ends a line.
// EndOfString is true when no character is left after the line (Pos >
// length(s)), so a final line terminator does not produce an extra empty line.
TKZ_COREKIT_EXPORT std::string ReadLnString(std::string_view s, int& Pos, bool& EndOfString,
                                            int Mode);

// -------------------------------------------------------- quoted names

// Character-by-character parser of a name that may be enclosed in quotes, as
// in SQL identifiers or CSV fields: call it for every character c1 of the
// input with the quote character c2, starting with State = vsStart and an
// empty Name. It appends the characters of the name to Name and moves State:
//   vsStart     blanks and control characters are skipped; c2 opens a quoted
//               name (vs1stQuote); any other character starts a plain name
//               (vsNormal) and is appended;
//   vsNormal    a blank or control character ends the name (vsEnd, the
//               character is not appended); any other character is appended;
//   vs1stQuote  inside quotes every character is appended except c2, which
//               moves to vsQuote;
//   vsQuote     a second c2 appends one c2 (a doubled quote stands for the
//               quote itself) and returns to vs1stQuote; any other character
//               ends the name (vsEnd, not appended);
//   vsEnd       nothing changes.
// When the input ends, the name is complete in states vsNormal, vsQuote and
// vsEnd; vs1stQuote means an unterminated quote.
TKZ_COREKIT_EXPORT void ParseQuotedName(char c1, char c2, std::string& Name,
                                        TQuotedStrState& State);

// ----------------------------------------------------------------- uuencode

// uuencoding of s (the body of a uuencoded file, without the "begin" and
// "end" lines): lines of up to 45 bytes, each a length character (32 + n)
// followed by four characters per three bytes (code 32 + six bits, with "`"
// for zero bits), ended by CR LF; a last line "`" CR LF marks the end.
TKZ_COREKIT_EXPORT std::string UUEncodeStr(std::string_view s);

// Decodes what UUEncodeStr writes. Lines may end in CR LF, LF or CR; a
// "begin ..." line is skipped and an "end" line or a line of length 0 ends the
// data; blank lines are ignored. Characters are read as (code - 32) mod 64, so
// blanks and "`" are both zero bits. A line shorter than its length character
// says yields only the bytes its characters hold.
TKZ_COREKIT_EXPORT std::string UUDecodeStr(std::string_view s);

// ----------------------------------------------------------- tag scanning
//
// Scanning of XML-like elements (<tag attr="v">content</tag>) in a string.
// A tag starts with "<" followed by a name character (letter, "_", ":" or a
// code of 128 or above), or by "/" and a name character for a closing tag;
// any other "<" is text. The tag name runs up to a blank, control character,
// "/" or ">"; the tag ends at the first ">" outside quoted attribute values.
// Comments (<!-- ... -->), declarations and CDATA sections (<!...>), and
// processing instructions (<? ... ?>) are skipped. Names are compared and
// returned in lower case (Windows-1252). Texts are returned raw: entities are
// not decoded. A tag without its final ">" ends the scan.

// Result of ReadNextTagInString for a tag whose name is not in TagList.
inline constexpr int TagNotListed = -1;
// Result of ReadNextTagInString when no further tag exists.
inline constexpr int TagEndOfText = -2;

// Reads the next element of s at or after Pos (values below 1 count as 1).
//   Tag:        the lower-case name; a closing tag gives "/" + name;
//   Attributes: the text between the name and the closing ">" (or "/>"),
//               blanks at both ends removed;
//   Content:    for an opening tag the text up to its matching closing tag
//               (nested elements of the same name are counted; others are
//               part of the text), or up to the end of s when no closing tag
//               follows; "" for closing and empty-element tags.
// Pos moves just past the closing tag (or past the tag itself for closing and
// empty-element tags; to length(s) + 1 at the end). Returns the index (from 0)
// of the first TagList entry equal to Tag ignoring case, TagNotListed when no
// entry is, and TagEndOfText, with Tag, Attributes and Content empty, when no
// tag remains.
TKZ_COREKIT_EXPORT int ReadNextTagInString(std::string_view s, int& Pos,
                                           std::span<const std::string> TagList, std::string& Tag,
                                           std::string& Attributes, std::string& Content);
TKZ_COREKIT_EXPORT int ReadNextTagInString(std::string_view s, int& Pos,
                                           std::span<const std::string> TagList, std::string& Tag,
                                           std::string& Content);
TKZ_COREKIT_EXPORT int ReadNextTagInString(std::string_view s, int& Pos,
                                           std::initializer_list<std::string_view> TagList,
                                           std::string& Tag, std::string& Content);

// Finds the next tag at or after Pos whose name is in TagList (ignoring case;
// any tag when TagList is empty), skipping all others, without reading
// content. On success Found is true, Tag is its lower-case name (without "/"),
// Kind is 1 for an opening tag, 2 for a closing tag and 3 for an empty-element
// tag (<name .../>), and Pos stands just after its ">". When none is found,
// Found is false, Kind 0, Tag "" and Pos = length(s) + 1.
TKZ_COREKIT_EXPORT void DetectNextTagInString(std::string_view s, int& Pos, int& Kind,
                                              std::span<const std::string> TagList,
                                              std::string& Tag, bool& Found);
TKZ_COREKIT_EXPORT void DetectNextTagInString(std::string_view s, int& Pos, int& Kind,
                                              std::initializer_list<std::string_view> TagList,
                                              std::string& Tag, bool& Found);

}  // namespace tkz
