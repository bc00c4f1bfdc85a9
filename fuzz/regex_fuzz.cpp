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
#include "tests/support/grep_reference.h"

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

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

  // Cases of up to 10 tokens against the plain rules. Subjects run to a few
  // hundred bytes so that several full scan blocks, the overlapping last
  // block and long runs crossed in one go are all compared; the reference
  // gives up (TooLong) where its plain backtracking would take too long.
  const int ntok = g.GetTokenCount();
  const bool lone = ntok == 1 && g.GetRegExpToken(1).Action == tkz::taMult0;
  if (ntok > 0 && ntok <= 10 && subject.size() <= 320 && !lone) {
    testing_support::GrepReference ref(g, subject);
    const auto [want, want_end] = ref.Find(start);
    g.SetSearchStartPos(start);
    int got = -1;
    const bool ok = g.MatchString(subject, got);
    if (!ref.TooLong()) {
      Check(ok == (want != 0) && got == want && (!ok || g.GetMatchEnd() == want_end));
      for (int k = 1; ok && k <= ntok; ++k)
        Check(g.GetRegExpToken(k).MatchedAt == ref.at[static_cast<size_t>(k - 1)]);
    }
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
