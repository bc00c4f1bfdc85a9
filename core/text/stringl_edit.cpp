// Editing functions of the string utilities: replacing, trimming, padding,
// case changes, character filters and escape sequences.
#include <algorithm>

#include "core/text/charcase.h"
#include "core/text/stringl.h"

namespace tkz {

namespace {

constexpr size_t npos = std::string_view::npos;

constexpr bool IsLowerAscii(char c) { return c >= 'a' && c <= 'z'; }
constexpr bool IsUpperAscii(char c) { return c >= 'A' && c <= 'Z'; }

}  // namespace

// ---------------------------------------------------------------- replacing

std::string ReplaceCharInString(std::string_view s, char OldChar, char NewChar) {
  std::string r(s);
  std::replace(r.begin(), r.end(), OldChar, NewChar);
  return r;
}

std::string ReplaceStringInString(std::string_view s, std::string_view SearchStr,
                                  std::string_view ReplStr, bool IgnoreCase) {
  if (SearchStr.empty() || SearchStr.size() > s.size()) return std::string(s);
  // Case folding is byte for byte, so positions in the folded copy are
  // positions in s.
  std::string folded, foldedSearch;
  std::string_view hay = s, needle = SearchStr;
  if (IgnoreCase) {
    folded = AnsiLowerCase(s);
    foldedSearch = AnsiLowerCase(SearchStr);
    hay = folded;
    needle = foldedSearch;
  }
  size_t p = hay.find(needle);
  if (p == npos) return std::string(s);
  std::string r;
  r.reserve(s.size() + (ReplStr.size() > needle.size() ? ReplStr.size() - needle.size() : 0) * 4);
  size_t from = 0;
  for (; p != npos; p = hay.find(needle, from)) {
    r.append(s.substr(from, p - from));
    r.append(ReplStr);
    from = p + needle.size();
  }
  r.append(s.substr(from));
  return r;
}

// ----------------------------------------------------------------- trimming

std::string StripLTBlanks(std::string_view s) {
  const size_t first = s.find_first_not_of(' ');
  if (first == npos) return "";
  const size_t last = s.find_last_not_of(' ');
  return std::string(s.substr(first, last - first + 1));
}

std::string StripLeadingBlanks(std::string_view s) {
  const size_t first = s.find_first_not_of(' ');
  if (first == npos) return std::string(s.substr(0, 1));
  return std::string(s.substr(first));
}

std::string StripTrailingBlanks(std::string_view s) { return StripTrailingChars(' ', s); }

std::string StripLeadingChars(char c, std::string_view s) {
  const size_t first = s.find_first_not_of(c);
  return first == npos ? std::string() : std::string(s.substr(first));
}

std::string StripTrailingChars(char c, std::string_view s) {
  const size_t last = s.find_last_not_of(c);
  if (last == npos) return std::string(s.substr(0, 1));
  return std::string(s.substr(0, last + 1));
}

std::string ReverseString(std::string_view s) { return std::string(s.rbegin(), s.rend()); }

std::string MultiChar(char c, int n) {
  return std::string(static_cast<size_t>(std::clamp(n, 1, 255)), c);
}

std::string RemoveControlChars(std::string_view s) {
  std::string r;
  r.reserve(s.size());
  for (char c : s)
    if (static_cast<unsigned char>(c) >= 32) r += c;
  return r;
}

std::string RemoveCharInString(std::string_view s, char c) {
  std::string r(s);
  r.erase(std::remove(r.begin(), r.end(), c), r.end());
  return r;
}

std::string RemoveMultiChars(std::string_view s, char c) {
  std::string r;
  r.reserve(s.size());
  for (char x : s)
    if (x != c || r.empty() || r.back() != c) r += x;
  return r;
}

std::string EnsureTrailingBkSlash(std::string_view s) { return EnsureTrailingChar('\\', s); }

std::string EnsureTrailingChar(char c, std::string_view s) {
  std::string r(s);
  if (!r.empty() && r.back() != c) r += c;
  return r;
}

std::string EnsureLeadingChar(char c, std::string_view s) {
  std::string r(s);
  if (!r.empty() && r.front() != c) r.insert(0, 1, c);
  return r;
}

// ------------------------------------------------------------------ padding

std::string CenterString(std::string_view s, uint8_t Len) {
  if (s.size() >= Len) return std::string(s.substr(0, Len));
  const size_t before = (Len - s.size()) / 2;
  std::string r(before, ' ');
  r += s;
  r.append(Len - r.size(), ' ');
  return r;
}

std::string LeftString(std::string_view s, uint8_t Len) {
  if (s.size() >= Len) return std::string(s.substr(0, Len));
  std::string r(s);
  r.append(Len - s.size(), ' ');
  return r;
}

std::string RightString(std::string_view s, uint8_t Len) {
  if (s.size() >= Len) return std::string(s.substr(0, Len));
  std::string r(Len - s.size(), ' ');
  r += s;
  return r;
}

std::string SortableNumericString(std::string_view s, char DecimalChar, int Column) {
  std::string r = StripLTBlanks(s);
  const size_t found = r.find(DecimalChar);
  const long p = found == npos ? 0 : static_cast<long>(found) + 1;
  const long col = std::min(Column, 255);
  if (p < col) r.insert(0, static_cast<size_t>(col - p), ' ');
  return r;
}

std::string AbbrevString(std::string_view s, int n) {
  if (n >= 0 && s.size() <= static_cast<size_t>(n)) return std::string(s);
  std::string r(s.substr(0, n > 2 ? static_cast<size_t>(n) - 2 : 0));
  r += "..";
  return r;
}

bool TestAllChar(std::string_view s, char c) {
  return !s.empty() && std::all_of(s.begin(), s.end(), [c](char x) { return x == c; });
}

// ---------------------------------------------------------- letter changes

std::string ExpandDiphthongs(std::string_view s) {
  std::string r;
  r.reserve(s.size() + s.size() / 4);
  for (size_t i = 0; i < s.size(); ++i) {
    const char next = i + 1 < s.size() ? s[i + 1] : '\0';
    const char e = IsLowerAscii(next) ? 'e' : 'E';
    switch (static_cast<unsigned char>(s[i])) {
      case 0xE4:
        r += "ae";
        break;  // a umlaut
      case 0xF6:
        r += "oe";
        break;  // o umlaut
      case 0xFC:
        r += "ue";
        break;  // u umlaut
      case 0xDF:
        r += "ss";
        break;  // sharp s
      case 0xB5:
        r += 'u';
        break;  // micro sign
      case 0xC4:
        r += 'A';
        r += e;
        break;
      case 0xD6:
        r += 'O';
        r += e;
        break;
      case 0xDC:
        r += 'U';
        r += e;
        break;
      default:
        r += s[i];
    }
  }
  return r;
}

std::string ReduceStringToAZ09(std::string_view s) {
  std::string r(s);
  for (char& c : r)
    if (!IsDigitLetter(c)) c = '_';
  return r;
}

std::string ReduceStringToFN83CompliantChars(std::string_view s) {
  static constexpr TCharSet kAllowed{
      "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz!#$%&'()-.^_`{}~@"};
  std::string r(s);
  for (char& c : r)
    if (!kAllowed.Contains(c)) c = '_';
  return r;
}

std::string CapitalizeString(std::string_view s) {
  std::string r(s);
  bool atStart = true;
  for (char& c : r) {
    if (IsLetter(c)) {
      if (atStart) c = AsciiUpperChar(c);
      atStart = false;
    } else if (IsDigit(c) || static_cast<unsigned char>(c) >= 128) {
      atStart = false;
    } else {
      atStart = true;
    }
  }
  return r;
}

bool IsAbbreviation(std::string_view s) {
  size_t run = 0, longest = 0, lowerOrDigit = 0;
  for (char c : s) {
    if (IsUpperAscii(c)) {
      longest = std::max(longest, ++run);
    } else {
      run = 0;
      if (IsLowerAscii(c) || IsDigit(c)) ++lowerOrDigit;
    }
  }
  return longest >= 2 && lowerOrDigit < longest;
}

bool EqualAnsiStrings(std::string_view s1, std::string_view s2) { return AnsiSameText(s1, s2); }

std::string ChangeCase(std::string_view s) {
  std::string r(s);
  for (char& c : r) {
    const char up = AnsiUpperChar(c);
    c = up == c ? AnsiLowerChar(c) : up;
  }
  return r;
}

std::string ProcessHexChars(std::string_view s) {
  std::string r;
  r.reserve(s.size());
  size_t i = 0;
  while (i < s.size()) {
    if (s[i] == '\\' && i + 1 < s.size()) {
      if (s[i + 1] == '#' && i + 3 < s.size()) {
        int code = 0;
        for (size_t k = i + 2; k <= i + 3 && IsHexChar(s[k]); ++k)
          code = code * 16 + HexCharValue(s[k]);
        r += static_cast<char>(code);
        i += 4;
        continue;
      }
      if (s[i + 1] == '\\') {
        r += '\\';
        i += 2;
        continue;
      }
    }
    r += s[i++];
  }
  return r;
}

}  // namespace tkz
