// Text-file helpers of filesys: file type by its first bytes, word and line
// scanners, appending, the header of plain-text data files, and the
// pronounceable passwords.

#include <cerrno>
#include <climits>
#include <cstdio>
#include <string>

#include "core/platform/stream.h"
#include "core/sys/filesys.h"
#include "core/text/charcase.h"
#include "core/text/streams.h"
#include "core/text/stringl.h"

namespace tkz {

TTextfileType CheckTextFileType(const std::string& FileName) {
  TFileStream f(FileName, fmOpenRead | fmShareDenyNone);
  unsigned char b[4] = {0, 0, 0, 0};
  int64_t got = 0;
  while (got < 4) {
    const int64_t n = f.Read(b + got, 4 - got);
    if (n <= 0) break;
    got += n;
  }
  if (b[0] == 0xEF && b[1] == 0xBB && b[2] == 0xBF) return tftUTF8;
  // Only four bytes read make a UTF-32 mark: a file of just FF FE (an empty
  // UTF-16 text) is not UTF-32 because the bytes it lacks count as zeros.
  if (got == 4 && b[0] == 0xFF && b[1] == 0xFE && b[2] == 0 && b[3] == 0) return tftUnicode4_le;
  if (b[0] == 0 && b[1] == 0 && b[2] == 0xFE && b[3] == 0xFF) return tftUnicode4_be;
  if (b[0] == 0xFF && b[1] == 0xFE) return tftUnicode_le;
  if (b[0] == 0xFE && b[1] == 0xFF) return tftUnicode_be;
  if (b[0] == '{' && b[1] == '\\' && b[2] == 'r') return tftRTF;
  return tftUnknown;
}

std::string ReadNextWordInTextFile(TTextFile& F) {
  std::string word;
  char c = 0;
  while (!F.Eof()) {
    F.Read(c);
    if (static_cast<unsigned char>(c) >= '!') {
      word += c;
      break;
    }
  }
  if (word.empty()) return word;
  while (!F.Eof()) {
    F.Read(c);
    if (static_cast<unsigned char>(c) < '!') break;
    word += c;
  }
  return word;
}

// ---------------------------------------------------------------- appending

namespace {

// Opens the file for appending; only a missing file is created.
void OpenForAppend(TTextFile& f, const std::string& FileName) {
  f.AssignFile(FileName);
  try {
    f.Append();
  } catch (const EInOutError& e) {
    if (e.ErrorCode != ENOENT) throw;
    f.Rewrite();
  }
}

}  // namespace

void AppendToTextFile(const std::string& FileName, const std::string& Line) {
  TTextFile f;
  OpenForAppend(f, FileName);
  f.WriteLn(Line);
  f.CloseFile();
}

void AppendToTextFile(const std::string& FileName, const TStringList* Lines) {
  if (!Lines) return;
  TTextFile f;
  OpenForAppend(f, FileName);
  for (int i = 0; i < Lines->Count(); ++i) f.WriteLn(Lines->Strings(i));
  f.CloseFile();
}

// ---------------------------------------------------------------- scanning

TStrArray ReadLastNLinesOfTextFile(TTextFile& F, int N, int& TotalLines) {
  TotalLines = 0;
  F.Reset();
  // A ring of at most N lines, grown as lines come (N may be far larger
  // than the file).
  std::vector<std::string> ring;
  int64_t count = 0;
  std::string line;
  while (!F.Eof()) {
    F.ReadLn(line);
    if (N > 0) {
      if (ring.size() < static_cast<size_t>(N))
        ring.push_back(line);
      else
        ring[static_cast<size_t>(count % N)] = line;
    }
    ++count;
  }
  F.Reset();
  TotalLines = static_cast<int>(std::min<int64_t>(count, INT_MAX));
  if (N <= 0) return {};
  TStrArray result(static_cast<size_t>(N));
  const size_t have = ring.size();
  const size_t oldest = have < static_cast<size_t>(N) ? 0 : static_cast<size_t>(count % N);
  for (size_t i = 0; i < have; ++i)
    result[static_cast<size_t>(N) - have + i] = std::move(ring[(oldest + i) % have]);
  return result;
}

TStrArray ReadLastNLinesOfTextFile(const std::string& FileName, int N, int& TotalLines) {
  TTextFile f;
  f.AssignFile(FileName);
  TStrArray lines = ReadLastNLinesOfTextFile(f, N, TotalLines);
  f.CloseFile();
  return lines;
}

int CountLinesInTextFile(TTextFile& F, TLineCountFeedback Feedback) {
  F.Reset();
  int count = 0;
  while (!F.Eof()) {
    F.ReadLn();
    if (count < INT_MAX) ++count;
    if (Feedback && count % 1000 == 0) Feedback(nullptr, count, 0);
  }
  F.Reset();
  return count;
}

int CountLinesInTextFile(const std::string& FileName, TLineCountFeedback Feedback) {
  TTextFile f;
  f.AssignFile(FileName);
  const int n = CountLinesInTextFile(f, Feedback);
  f.CloseFile();
  return n;
}

int DetectStringInFile(const std::string& FileName, const std::string& s, bool IgnoreCase,
                       int MaxChars) {
  if (s.empty()) return 0;
  const std::string needle = IgnoreCase ? AnsiLowerCase(s) : s;
  TTextFile f;
  f.AssignFile(FileName);
  f.Reset();
  int64_t before = 0;  // characters of the lines before this one
  std::string line;
  while (!f.Eof() && before <= MaxChars) {
    f.ReadLn(line);
    if (IgnoreCase) line = AnsiLowerCase(line);
    const size_t pos = line.find(needle);
    if (pos != std::string::npos) {
      const int64_t offset = before + static_cast<int64_t>(pos) + 1;
      return offset <= MaxChars ? static_cast<int>(offset) : 0;
    }
    before += static_cast<int64_t>(line.size());
  }
  return 0;
}

int FindFirstMatchInTextFile(const std::string& FileName, const std::string& s, bool IgnoreCase,
                             std::string& Line) {
  Line.clear();
  if (s.empty()) return 0;
  const std::string needle = IgnoreCase ? AnsiLowerCase(s) : s;
  TTextFile f;
  f.AssignFile(FileName);
  f.Reset();
  std::string line;
  while (!f.Eof()) {
    f.ReadLn(line);
    const size_t pos = (IgnoreCase ? AnsiLowerCase(line) : line).find(needle);
    if (pos != std::string::npos) {
      Line = line;
      return static_cast<int>(pos) + 1;
    }
  }
  return 0;
}

// ---------------------------------------------------------- ASC file header

namespace {

// The integer a line starts with (blanks and tabs before it skipped); false
// when there are no digits or the number does not fit.
bool LeadingInt(const std::string& s, int& value) {
  size_t i = s.find_first_not_of(" \t");
  if (i == std::string::npos) return false;
  bool negative = false;
  if (s[i] == '+' || s[i] == '-') negative = s[i++] == '-';
  int64_t v = 0;
  const size_t digits = i;
  while (i < s.size() && s[i] >= '0' && s[i] <= '9') {
    v = v * 10 + (s[i++] - '0');
    if (v > INT_MAX) return false;
  }
  if (i == digits) return false;
  value = static_cast<int>(negative ? -v : v);
  return true;
}

std::string StripBlanks(const std::string& s) {
  const size_t a = s.find_first_not_of(' ');
  if (a == std::string::npos) return "";
  return s.substr(a, s.find_last_not_of(' ') - a + 1);
}

}  // namespace

int ReadHeaderOfASC(TStream* Stream, std::string& Title, int& N1, int& N2, bool& F1, bool& F2,
                    bool& F3, bool& F4) {
  Title.clear();
  N1 = N2 = 0;
  F1 = F2 = F3 = F4 = false;
  if (!Stream) return kASCBadN1;
  bool eos = false;
  // Each line is read whole, so a number that ends its line never makes
  // the next line count as the rest of this one.
  Title = ReadLnStream(Stream, eos, 0);
  if (!LeadingInt(ReadLnStream(Stream, eos, 0), N1) || N1 <= 0) return kASCBadN1;
  if (Title.find('\n') != std::string::npos) return kASCTitleHasLineFeed;
  if (!LeadingInt(ReadLnStream(Stream, eos, 0), N2) || N2 <= 0) return kASCBadN2;
  std::string words = ReadLnStream(Stream, eos, 0);
  for (char& c : words)
    if (c == '\t') c = ' ';
  words = StripBlanks(AsciiUpperCase(words));
  for (bool* flag : {&F1, &F2, &F3}) {
    if (words.rfind("TRUE", 0) == 0) {
      *flag = true;
      words.erase(0, 4);
    } else if (words.rfind("FALSE", 0) == 0) {
      words.erase(0, 5);
    } else {
      return kASCBadFlag;
    }
    words = StripBlanks(words);
  }
  F4 = words.rfind("TRUE", 0) == 0;
  return kASCHeaderOK;
}

int ReadHeaderOfASC(const std::string& FileName, std::string& Title, int& N1, int& N2, bool& F1,
                    bool& F2, bool& F3, bool& F4) {
  TFileStream f(FileName, fmOpenRead | fmShareDenyWrite);
  return ReadHeaderOfASC(&f, Title, N1, N2, F1, F2, F3, F4);
}

// --------------------------------------------------------------- passwords

namespace {

constexpr std::string_view kVowels = "aeiouy";
constexpr std::string_view kConsonants = "bcdfghjklmnpqrstvwxz";

char Pick(std::string_view from) {
  return from[static_cast<size_t>(Random(static_cast<int32_t>(from.size())))];
}

int ClampLength(int Length) { return Length < 4 ? 4 : (Length > 14 ? 14 : Length); }

}  // namespace

std::string InventPassword(int Length) {
  const int len = ClampLength(Length);
  std::string p;
  if (len % 2 == 1) p += Pick(kVowels);
  for (int i = 0; i < len / 2; ++i) {
    p += Pick(kConsonants);
    p += Pick(kVowels);
  }
  char number[3];
  std::snprintf(number, sizeof number, "%02d", static_cast<int>(Random(100)));
  p.insert(std::min<size_t>(6, p.size()), number);
  return p;
}

std::string InventPassword(int Length, bool MixedCase, bool SpecialChars) {
  std::string p = InventPassword(Length);
  const size_t len = static_cast<size_t>(ClampLength(Length));
  if (MixedCase)
    for (size_t i = 0; i < len; ++i)
      if (p[i] >= 'a' && p[i] <= 'z' && Random() < 0.5) p[i] = AsciiUpperChar(p[i]);
  if (SpecialChars) {
    constexpr std::string_view kSpecial = "_!$%#=0123456789";
    for (size_t i = 0; i < len; ++i)
      if (Random() < 0.2) p[i] = Pick(kSpecial);
  }
  return p;
}

}  // namespace tkz
