// Arbitrary expressions against arbitrary text. The first byte chooses the
// options, the second and third the search start, then the expression runs
// up to the first 0xFF 0x00 pair and the rest is the subject. Beyond "no crash,
// no sanitizer report, no hang" it checks what holds for every input: a
// failed compile leaves no token, a match lies inside the subject, starts at
// or after the search start and is found again when searching from there.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "core/text/charcase.h"
#include "core/text/regex.h"

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

// The matching rules written out plainly, without the matcher's shortcuts
// and memo: every repetition count in lazy order, then the rest.
struct Reference {
  std::vector<tkz::TGrepToken> t;
  std::string s;  // already lower-cased when ignoring case
  int len = 0;
  int end = 0;
  long steps = 0;  // the comparison is skipped when the plain rules take too long

  int Elem(const tkz::TGrepToken& k, int p) const {
    if (p < 1 || p > len) return 0;
    const auto c = static_cast<unsigned char>(s[static_cast<size_t>(p - 1)]);
    if (k.Count < 0) return k.Payload[c] == '*' ? 1 : 0;
    if (k.Count == 0) return 1;
    if (p + k.Count - 1 > len) return 0;
    return s.compare(static_cast<size_t>(p - 1), static_cast<size_t>(k.Count), k.Payload.data() + 1,
                     static_cast<size_t>(k.Count)) == 0
               ? k.Count
               : 0;
  }
  bool Match(size_t k, int p) {
    if (++steps > 200000) return false;
    if (k == t.size()) {
      end = p - 1;
      return true;
    }
    const tkz::TGrepToken& tk = t[k];
    const bool last = k + 1 == t.size();
    switch (tk.Action) {
      case tkz::taNormal:
        return Elem(tk, p) && Match(k + 1, p + tk.Count);
      case tkz::taAnyByte:
        return p >= 1 && p <= len && Match(k + 1, p + 1);
      case tkz::taSet:
        return Elem(tk, p) && Match(k + 1, p + 1);
      case tkz::taBol:
        return p == 1 && (last ? (end = 0, true) : Match(k + 1, 1));
      case tkz::taEol:
        return last && p == len + 1 && Match(k + 1, p);
      default:
        break;
    }
    const int lo = tk.Action == tkz::taMult1 ? 1 : 0;
    const int hi = tk.Action == tkz::taOpti ? 1 : 1 << 20;
    int q = p, reps = 0;
    for (; reps < lo; ++reps) {
      const int w = Elem(tk, q);
      if (!w) return false;
      q += w;
    }
    if (last) {
      for (int w; reps < hi && (w = Elem(tk, q)) > 0; ++reps) q += w;
      end = q - 1;
      return true;
    }
    for (;; ++reps) {
      if (Match(k + 1, q)) return true;
      const int w = reps < hi ? Elem(tk, q) : 0;
      if (!w) return false;
      q += w;
    }
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 3) return 0;
  const uint8_t opts = data[0];
  const int start = static_cast<int8_t>(data[1]) * 4 + data[2] % 4;
  const std::string_view rest(reinterpret_cast<const char*>(data + 3), size - 3);
  const size_t cut = rest.find(std::string_view("\xFF\x00", 2));
  const std::string expr(rest.substr(0, cut));
  const std::string subject(cut == std::string_view::npos ? std::string_view()
                                                          : rest.substr(cut + 2));

  tkz::TGrep g;
  g.SetStopOnError(false);
  g.SetIgnoreCase(opts & 1);
  g.SetRegExp(expr);
  const int code = g.GetErrorCode();
  Check(code >= 0 && code <= 11);
  Check(code == 0 || g.GetTokenCount() == 0);
  Check(g.GetTokenCount() <= tkz::TGrep::kMaxTokens);
  if (code != 0) Check(!tkz::GrepErrorText(code).empty());
  (void)g.GetRegExpToken(static_cast<int>(opts) - 100);

  // Small cases against the plain rules.
  const int ntok = g.GetTokenCount();
  const bool lone = ntok == 1 && g.GetRegExpToken(1).Action == tkz::taMult0;
  if (ntok > 0 && ntok <= 10 && subject.size() <= 48 && !lone) {
    Reference ref;
    for (int k = 1; k <= ntok; ++k) ref.t.push_back(g.GetRegExpToken(k));
    ref.s = (opts & 1) ? tkz::AnsiLowerCase(subject) : subject;
    ref.len = static_cast<int>(subject.size());
    int want = 0, want_end = 0;
    const int first = std::max(start, 1);
    const int stop = ref.t[0].Action == tkz::taBol ? first : ref.len + 1;
    for (int p = first; p <= stop; ++p)
      if (ref.Match(0, p)) {
        want = p;
        want_end = ref.end;
        break;
      }
    g.SetSearchStartPos(start);
    int got = -1;
    const bool ok = g.MatchString(subject, got);
    if (ref.steps <= 200000)
      Check(ok == (want != 0) && got == want && (!ok || g.GetMatchEnd() == want_end));
  }

  g.SetSearchStartPos(start);
  int pos = -1;
  const int len = static_cast<int>(subject.size());
  if (g.MatchString(subject, pos)) {
    Check(pos >= 1 && pos <= len + 1);
    Check(pos >= start || (lone && len == 0));
    Check(g.GetMatchEnd() >= pos - 1 && g.GetMatchEnd() <= len);
    // Searching again from the match start finds the same start.
    g.SetSearchStartPos(pos);
    int again = -1;
    Check(g.MatchString(subject, again) && again == pos);
  } else {
    Check(pos == 0);
    // No match from start means none from any later position either.
    if (start >= 1 && start <= len) {
      g.SetSearchStartPos(start + 1);
      int later = -1;
      Check(!g.MatchString(subject, later) || g.GetRegExpToken(1).Action == tkz::taBol);
    }
  }
  return 0;
}
