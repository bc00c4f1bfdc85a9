// The matching rules of TGrep written out plainly, without the matcher's
// shortcuts, scans and memo: every repetition count in lazy order, then the
// rest. Shared by the regular-expression tests and fuzz target as an oracle.
#pragma once

#include <algorithm>
#include <string>
#include <vector>

#include "core/text/charcase.h"
#include "core/text/regex.h"

namespace testing_support {

struct GrepReference {
  std::vector<tkz::TGrepToken> t;
  std::string s;  // already lower-cased when ignoring case
  int len = 0;
  int end = 0;
  std::vector<int> at;  // where each token matched on the path that succeeded
  long steps = 0;       // the answer is void when the plain rules take too long
  static constexpr long kMaxSteps = 200000;

  // Reads the tokens of g and the subject as g would see it.
  GrepReference(const tkz::TGrep& g, const std::string& subject) {
    for (int k = 1; k <= g.GetTokenCount(); ++k) t.push_back(g.GetRegExpToken(k));
    s = g.GetIgnoreCase() ? tkz::AnsiLowerCase(subject) : subject;
    len = static_cast<int>(subject.size());
    at.assign(t.size(), 0);
  }

  // First match from `start` on, as {start, end}, or {0, 0}. Not for the
  // lone "x*" expression, which the matcher answers without matching.
  std::pair<int, int> Find(int start) {
    if (t.empty()) return {0, 0};
    const int first = std::max(start, 1);
    const int stop = t[0].Action == tkz::taBol ? first : len + 1;
    for (int p = first; p <= stop; ++p)
      if (Match(0, p)) return {p, end};
    return {0, 0};
  }
  bool TooLong() const { return steps > kMaxSteps; }

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
    if (++steps > kMaxSteps) return false;
    if (k == t.size()) {
      end = p - 1;
      return true;
    }
    const tkz::TGrepToken& tk = t[k];
    const bool last = k + 1 == t.size();
    at[k] = p;
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

}  // namespace testing_support
