// Random bytes through the parsers and scanners of the string utilities.
// Beyond "no crash, no sanitizer report" it checks the invariants that hold
// for every input: results lie inside the text, scanners always advance, and
// encodings round-trip.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "core/text/stringl.h"

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

// Takes parameter bytes from the front of the input.
struct Params {
  const uint8_t* p;
  size_t n;
  uint8_t Byte() {
    if (n == 0) return 0;
    --n;
    return *p++;
  }
  int Int() {
    const int v = static_cast<int8_t>(Byte()) * 256 + Byte();
    return v;
  }
};

void Lines(std::string_view s, int mode) {
  int pos = 1;
  bool eos = false;
  size_t guard = 0;
  while (!eos) {
    const int before = pos;
    const std::string line = tkz::ReadLnString(s, pos, eos, mode);
    Check(pos > before || eos);
    Check(line.size() <= s.size());
    Check(++guard <= s.size() + 1);
  }
}

void Tags(std::string_view s, const tkz::TStrArray& list) {
  int pos = 1;
  std::string tag, attrs, content;
  size_t guard = 0;
  while (true) {
    const int before = pos;
    const int r = tkz::ReadNextTagInString(s, pos, list, tag, attrs, content);
    if (r == tkz::TagEndOfText) break;
    Check(r >= -1 && r < static_cast<int>(list.size()));
    Check(pos > before && pos <= static_cast<int>(s.size()) + 1);
    Check(++guard <= s.size());
  }
  pos = 1;
  guard = 0;
  int kind = 0;
  bool found = true;
  while (found) {
    const int before = pos;
    tkz::DetectNextTagInString(s, pos, kind, list, tag, found);
    Check(found ? (kind >= 1 && kind <= 3 && pos > before) : kind == 0);
    Check(++guard <= s.size() + 1);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 8192) return 0;
  Params prm{data, size};
  const int a = prm.Int(), b = prm.Int();
  const uint8_t mode = prm.Byte();
  const uint8_t split = prm.Byte();
  const std::string_view s(reinterpret_cast<const char*>(prm.p), prm.n);
  const size_t cut = std::min<size_t>(split % 8, s.size());
  const std::string_view sub = s.substr(0, cut);
  const std::string_view text = s.substr(cut);

  (void)tkz::StrToTriState(s);
  (void)tkz::ProcessHexChars(s);
  Check(tkz::ProcessHexChars(s).size() <= s.size());
  for (int m = 0; m <= 5; ++m) Lines(s, m);
  Lines(s, mode);

  const int fw = tkz::NumberedPos(sub, text, a, b % 64, mode & 1);
  Check(fw >= 0 && fw <= static_cast<int>(text.size()));
  if (fw > 0 && !(mode & 1)) Check(text.substr(static_cast<size_t>(fw) - 1, sub.size()) == sub);
  const int bw = tkz::NumberedPosBw(sub, text, a, b % 64, mode & 1);
  Check(bw >= 0 && bw <= static_cast<int>(text.size()));
  if (bw > 0) Check(bw <= std::max(a, 1));
  Check(tkz::PosLast(sub, text) <= static_cast<int>(text.size()));

  (void)tkz::ExtractSubString(text, a % 16, sub);
  tkz::TOpenStringArray tokens;
  const int n = tkz::Tokenize(text, sub, tokens);
  Check(n >= 1 && n <= 1000 && n == static_cast<int>(tokens.size()));

  int ws = 0, we = 0;
  const std::string word = tkz::ExtractWordFromString(s, a, ws, we);
  Check(word.size() == (ws == 0 ? 0u : static_cast<size_t>(we - ws + 1)));

  (void)tkz::ExtractParam(text, a % 8, static_cast<char>(mode), static_cast<char>(split), sub);
  int line = 0, col = 0;
  if (tkz::TextLineCoords(s, a, line, col)) Check(line >= 1 && col >= 1 && col <= a);
  (void)tkz::ReplaceStringInString(text, sub, "<>", mode & 2);
  (void)tkz::CountStringInString(sub, text, mode & 4);
  (void)tkz::CountWords(s);
  (void)tkz::StringContains(text, sub);
  (void)tkz::StringContainsOtherThan(text, sub);
  (void)tkz::DetectCSVDelimiter(s);
  (void)tkz::SortableNumericString(s, static_cast<char>(mode), a);
  (void)tkz::TimeString(a * 37.5 + b, mode % 8);

  const tkz::TStrArray list{"a", "item", "/a", std::string(sub)};
  Tags(s, list);
  Tags(s, {});

  Check(tkz::UUDecodeStr(tkz::UUEncodeStr(s)) == s);
  (void)tkz::UUDecodeStr(s);
  Check(tkz::DeScramble(tkz::Scramble(s)) == s);
  Check(tkz::WinAnsiString(s).size() == std::min<size_t>(s.size(), 255));
  (void)tkz::OEMString(s);

  std::string name;
  tkz::TQuotedStrState state = tkz::vsStart;
  for (char c : s) tkz::ParseQuotedName(c, static_cast<char>(split), name, state);
  Check(name.size() <= s.size());
  return 0;
}
