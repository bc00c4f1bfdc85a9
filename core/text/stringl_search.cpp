// Searching, counting, splitting and field extraction of the string utilities.
#include <algorithm>
#include <climits>

#include "core/text/charcase.h"
#include "core/text/stringl.h"

namespace tkz {

namespace {

constexpr size_t npos = std::string_view::npos;

// 1-based position of a 0-based index; 0 when it cannot be represented.
int ToPos(size_t i) { return i < static_cast<size_t>(INT_MAX) ? static_cast<int>(i) + 1 : 0; }

int ToCount(size_t n) { return n <= static_cast<size_t>(INT_MAX) ? static_cast<int>(n) : INT_MAX; }

// Position of the Occurrence-th non-overlapping match of needle in hay from
// index from; npos when there is none.
size_t FindNth(std::string_view hay, std::string_view needle, size_t from, int occurrence) {
  size_t p = npos;
  for (int k = 0; k < occurrence; ++k) {
    p = hay.find(needle, from);
    if (p == npos) return npos;
    from = p + needle.size();
  }
  return p;
}

template <typename List>
int IndexIn(std::string_view s, bool CaseSensitive, const List& list) {
  int i = 0;
  if (CaseSensitive) {
    for (const auto& e : list) {
      ++i;
      if (std::string_view(e) == s) return i;
    }
    return 0;
  }
  const std::string ls = AnsiLowerCase(s);
  for (const auto& e : list) {
    ++i;
    if (AnsiLowerCase(e) == ls) return i;
  }
  return 0;
}

// Adds the characters of CharSet, with its macros expanded, to set. The
// expansions contain no "/", so no macro can arise from an expansion and one
// left-to-right pass expands everything.
TCharSet ExpandCharSet(std::string_view CharSet) {
  struct Macro {
    std::string_view name;
    int lo, hi;
  };
  static constexpr Macro kMacros[] = {{"//dig", '0', '9'},
                                      {"//lc", 'a', 'z'},
                                      {"//uc", 'A', 'Z'},
                                      {"//31dwn", 0, 31},
                                      {"//128up", 128, 255}};
  TCharSet set;
  size_t i = 0;
  while (i < CharSet.size()) {
    bool expanded = false;
    if (CharSet.substr(i, 2) == "//") {
      for (const Macro& m : kMacros) {
        if (CharSet.substr(i, m.name.size()) == m.name) {
          for (int c = m.lo; c <= m.hi; ++c) set.Include(static_cast<char>(c));
          i += m.name.size();
          expanded = true;
          break;
        }
      }
    }
    if (!expanded) set.Include(CharSet[i++]);
  }
  return set;
}

}  // namespace

// ---------------------------------------------------------------- StringIx

int StringIx(std::string_view s, std::span<const std::string> list) {
  return IndexIn(s, true, list);
}

int StringIx(std::string_view s, std::initializer_list<std::string_view> list) {
  return IndexIn(s, true, list);
}

int StringIx(std::string_view s, bool CaseSensitive, std::span<const std::string> list) {
  return IndexIn(s, CaseSensitive, list);
}

int StringIx(std::string_view s, bool CaseSensitive, std::initializer_list<std::string_view> list) {
  return IndexIn(s, CaseSensitive, list);
}

// ------------------------------------------------------------ NumberedPos

int NumberedPos(std::string_view SubStr, std::string_view s, int StartPos, int Occurrence,
                bool IgnoreCase) {
  if (Occurrence <= 0 || SubStr.empty()) return 0;
  const size_t start = StartPos <= 1 ? 0 : static_cast<size_t>(StartPos) - 1;
  if (start >= s.size() || SubStr.size() > s.size() - start) return 0;
  size_t p;
  if (IgnoreCase) {
    const std::string hay = AnsiLowerCase(s.substr(start));
    p = FindNth(hay, AnsiLowerCase(SubStr), 0, Occurrence);
    if (p != npos) p += start;
  } else {
    p = FindNth(s, SubStr, start, Occurrence);
  }
  return p == npos ? 0 : ToPos(p);
}

int NumberedPosBw(std::string_view SubStr, std::string_view s, int StartPos, int Occurrence,
                  bool IgnoreCase) {
  if (Occurrence <= 0 || SubStr.empty() || s.empty()) return 0;
  const size_t len = StartPos <= 1 ? 1 : std::min(static_cast<size_t>(StartPos), s.size());
  std::string lowered, lsub;
  std::string_view hay = s.substr(0, len), needle = SubStr;
  if (IgnoreCase) {
    lowered = AnsiLowerCase(hay);
    lsub = AnsiLowerCase(SubStr);
    hay = lowered;
    needle = lsub;
  }
  size_t end = hay.size();  // matches must end at or before this index
  size_t p = npos;
  for (int k = 0; k < Occurrence; ++k) {
    if (end < needle.size()) return 0;
    p = hay.rfind(needle, end - needle.size());
    if (p == npos) return 0;
    end = p;
  }
  return ToPos(p);
}

int PosLast(std::string_view SubStr, std::string_view s) {
  if (SubStr.empty()) return 0;
  const size_t p = s.rfind(SubStr);
  return p == npos ? 0 : ToPos(p);
}

int CountStringInString(std::string_view SubStr, std::string_view s, bool CaseSensitive) {
  if (SubStr.empty()) return 0;
  std::string ls, lsub;
  if (!CaseSensitive) {
    ls = AnsiLowerCase(s);
    lsub = AnsiLowerCase(SubStr);
    s = ls;
    SubStr = lsub;
  }
  size_t n = 0;
  for (size_t p = s.find(SubStr); p != npos; p = s.find(SubStr, p + SubStr.size())) ++n;
  return ToCount(n);
}

int CountCharInString(char c, std::string_view s, bool CaseSensitive) {
  size_t n;
  if (CaseSensitive) {
    n = static_cast<size_t>(std::count(s.begin(), s.end(), c));
  } else {
    const char uc = AnsiUpperChar(c);
    n = static_cast<size_t>(
        std::count_if(s.begin(), s.end(), [uc](char x) { return AnsiUpperChar(x) == uc; }));
  }
  return ToCount(n);
}

int FindFirstNonBlank(std::string_view s) {
  const size_t p = s.find_first_not_of(' ');
  return p == npos ? 0 : ToPos(p);
}

int FindFirstDigit(std::string_view s) {
  const size_t p = s.find_first_of("0123456789");
  return p == npos ? 0 : ToPos(p);
}

// --------------------------------------------------------- trigger splits

std::string ExtractAfterTrigger(std::string_view s, std::string_view Trigger, bool Strip) {
  const size_t p = Trigger.empty() ? npos : s.find(Trigger);
  if (p == npos) return "";
  std::string_view r = s.substr(p + Trigger.size());
  return Strip ? StripLTBlanks(r) : std::string(r);
}

std::string ExtractBeforeTrigger(std::string_view s, std::string_view Trigger, bool Strip) {
  const size_t p = Trigger.empty() ? npos : s.find(Trigger);
  if (p == npos) return "";
  std::string_view r = s.substr(0, p);
  return Strip ? StripLTBlanks(r) : std::string(r);
}

void SplitString(std::string_view s, std::string_view Delimiter, bool Strip, std::string& Left,
                 std::string& Right) {
  const size_t p = Delimiter.empty() ? npos : s.find(Delimiter);
  if (p == npos) {
    Left.clear();
    Right.clear();
    return;
  }
  const std::string_view l = s.substr(0, p), r = s.substr(p + Delimiter.size());
  Left = Strip ? StripLTBlanks(l) : std::string(l);
  Right = Strip ? StripLTBlanks(r) : std::string(r);
}

TCSVDelimiters DetectCSVDelimiter(std::string_view s) {
  size_t counts[256] = {};
  for (char c : s) ++counts[static_cast<unsigned char>(c)];
  TCSVDelimiters best = csvUnknown;
  size_t bestCount = 0;
  for (int d = csvUnknown; d <= csvTab; ++d) {
    const size_t n = counts[static_cast<unsigned char>(CSVDELIMITERS[static_cast<size_t>(d)])];
    if (n > bestCount) {
      best = static_cast<TCSVDelimiters>(d);
      bestCount = n;
    }
  }
  return best;
}

// ------------------------------------------------------------ word counts

int CountWords(std::string_view s) {
  size_t words = 0, run = 0;
  for (char c : s) {
    if (WordSeps.Contains(c)) {
      if (run >= 2) ++words;
      run = 0;
    } else {
      ++run;
    }
  }
  return ToCount(words);
}

bool StringContains(std::string_view s, std::string_view CharSet) {
  const TCharSet set = ExpandCharSet(CharSet);
  return std::any_of(s.begin(), s.end(), [&set](char c) { return set.Contains(c); });
}

bool StringContainsOtherThan(std::string_view s, std::string_view CharSet) {
  const TCharSet set = ExpandCharSet(CharSet);
  return std::any_of(s.begin(), s.end(), [&set](char c) { return !set.Contains(c); });
}

std::string ExtractWordFromString(std::string_view s, int Pos, int& WordStart, int& WordEnd) {
  WordStart = WordEnd = 0;
  if (Pos < 1 || static_cast<size_t>(Pos) > s.size()) return "";
  size_t first = static_cast<size_t>(Pos) - 1, last = first;
  if (!WordSeps.Contains(s[first])) {
    while (first > 0 && !WordSeps.Contains(s[first - 1])) --first;
    while (last + 1 < s.size() && !WordSeps.Contains(s[last + 1])) ++last;
  }
  WordStart = ToPos(first);
  WordEnd = ToPos(last);
  return std::string(s.substr(first, last - first + 1));
}

std::string ExtractWordFromString(std::string_view s, int Pos) {
  int a, b;
  return ExtractWordFromString(s, Pos, a, b);
}

// ---------------------------------------------------------------- fields

std::string ExtractSubString(std::string_view s, int Index, std::string_view Delimiter) {
  if (Index < 0 || s.empty()) return "";
  if (Delimiter.empty()) return Index == 0 ? std::string(s) : std::string();
  size_t start = 0;
  for (int k = 0; k < Index; ++k) {
    const size_t p = s.find(Delimiter, start);
    if (p == npos) return "";
    start = p + Delimiter.size();
  }
  if (AnsiSameText(s.substr(start, Delimiter.size()), Delimiter)) return "";
  const size_t end = start + 1 <= s.size() ? s.find(Delimiter, start + 1) : npos;
  return std::string(s.substr(start, end == npos ? npos : end - start));
}

int Tokenize(std::string_view s, std::string_view Delimiter, TOpenStringArray& Tokens) {
  constexpr size_t kMaxTokens = 1000;
  Tokens.clear();
  size_t start = 0;
  if (!Delimiter.empty()) {
    for (size_t p = s.find(Delimiter); p != npos && Tokens.size() + 1 < kMaxTokens;
         p = s.find(Delimiter, start)) {
      Tokens.emplace_back(s.substr(start, p - start));
      start = p + Delimiter.size();
    }
  }
  Tokens.emplace_back(s.substr(start));
  return static_cast<int>(Tokens.size());
}

std::string ExtractParam(std::string_view s, int Index, char c1, char c2, std::string_view t) {
  if (Index < 1) return "";
  // The parameter list: [begin, end).
  size_t begin = 0, end = s.size();
  if (c1 != '\0') {
    const size_t open = s.find(c1);
    if (open == npos) return "";
    begin = open + 1;
    if (c1 == c2) {
      const size_t close = s.find(c2, begin);
      if (close != npos) end = close;
    } else {
      int depth = 1;
      for (size_t i = begin; i < s.size(); ++i) {
        if (s[i] == c1) {
          ++depth;
        } else if (s[i] == c2 && --depth == 0) {
          end = i;
          break;
        }
      }
    }
  }
  const std::string_view list = s.substr(begin, end - begin);
  // Split at t outside nested c1 ... c2 pairs.
  int param = 1, depth = 0;
  size_t fieldStart = 0, i = 0;
  const bool nests = c1 != '\0' && c1 != c2;
  while (i < list.size()) {
    if (nests && list[i] == c1) {
      ++depth;
    } else if (nests && list[i] == c2 && depth > 0) {
      --depth;
    } else if (depth == 0 && !t.empty() && list.substr(i, t.size()) == t) {
      if (param == Index) return StripLTBlanks(list.substr(fieldStart, i - fieldStart));
      ++param;
      i += t.size();
      fieldStart = i;
      continue;
    }
    ++i;
  }
  if (param == Index) return StripLTBlanks(list.substr(fieldStart));
  return "";
}

bool TextLineCoords(std::string_view s, int Pos, int& Line, int& Column) {
  Line = Column = 0;
  if (Pos < 1 || static_cast<size_t>(Pos) > s.size() + 1) return false;
  const size_t target = static_cast<size_t>(Pos) - 1;
  size_t line = 1, lineStart = 0;
  for (size_t i = 0; i < target; ++i) {
    const char c = s[i];
    if (c == '\n' || (c == '\r' && !(i + 1 < s.size() && s[i + 1] == '\n'))) {
      // A break ends its line after it; the CR of a CR LF waits for its LF.
      ++line;
      lineStart = i + 1;
    }
  }
  Line = ToCount(line);
  Column = ToCount(target - lineStart + 1);
  return true;
}

}  // namespace tkz
