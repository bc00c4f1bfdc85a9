// TGrep: matching.
//
// Tokens are tried left to right at increasing start positions. Literals,
// sets and "." advance deterministically; a quantified token followed by more
// tokens tries the rest first and consumes one more element only when the
// rest fails (lazy); a quantified token at the end consumes all it can
// (greedy). Every success ends the whole search, so a (token, position) pair
// that failed once fails again: once a match has taken many steps, such
// failures are remembered and never retried.
//
// Two shortcuts leave the answers as they are. The search only tries start
// positions whose byte can begin a match (regex_scan.cpp). A repetition of a
// byte or set crosses the bytes where the rest cannot begin in one go, since
// the rest fails there at its first test without recording anything.
#include <algorithm>
#include <cstring>
#include <vector>

#include "core/text/charcase.h"
#include "core/text/regex.h"
#include "core/text/regex_scan_internal.h"

namespace tkz {

namespace {

// Positions stay well inside int with a literal of 255 characters added.
constexpr size_t kMaxSubject = 0x7FFF0000;

struct FoldTable {
  unsigned char lower[256];
  FoldTable() {
    for (int c = 0; c < 256; ++c)
      lower[c] = static_cast<unsigned char>(AnsiLowerChar(static_cast<char>(c)));
  }
};

const FoldTable& Fold() {
  static const FoldTable t;
  return t;
}

// The first position from p on where a match can begin (len + 1 when only
// an empty match at the end is left, len + 2 when nothing is).
int NextStart(const grep_internal::StartScan& scan, const grep_internal::Lead& lead0,
              const unsigned char* s, int len, int p) {
  if (scan.kind == grep_internal::StartScan::kAll) return p;
  const size_t i = p <= len ? grep_internal::ScanForStart(scan, s, static_cast<size_t>(len),
                                                          static_cast<size_t>(p - 1))
                            : static_cast<size_t>(len);
  if (i < static_cast<size_t>(len)) return static_cast<int>(i) + 1;
  return lead0.at_end ? len + 1 : len + 2;
}

}  // namespace

// kFold: compare case-folded bytes (IgnoreCase).
template <bool kFold>
class GrepMatcher {
 public:
  GrepMatcher(TGrep& g, const std::string& s)
      : t_(g.tokens_.data()),
        lead_(g.lead_.data()),
        scan_(g.scan_),
        n_(g.token_count_),
        s_(reinterpret_cast<const unsigned char*>(s.data())),
        len_(static_cast<int>(std::min<size_t>(s.size(), kMaxSubject))),
        fold_(kFold ? Fold().lower : nullptr) {
    budget_ = 64 + 16 * static_cast<int64_t>(len_);
  }

  // Tries start positions from `from`, a position where a match can begin
  // (or the only one to try), to the end of the subject (and just beyond it,
  // for expressions that may match nothing), skipping those where no match
  // can begin.
  int Search(int from, bool only_first) {
    if (only_first) return Match(0, from) ? from : 0;
    const TGrepToken& t0 = t_[0];
    const bool alone = lead_[0].run_excludes_rest;
    const grep_internal::Lead& next = lead_[1];
    for (int p = from; p <= len_ + 1; ++p) {
      if (p > from) p = NextStart(scan_, lead_[0], s_, len_, p);
      if (p > len_ + 1) return 0;
      if (alone) {
        // The repetition can only end where its run ends: one try of the
        // rest there, and the next start lies beyond the run.
        const int e = RunEnd(t0, p);
        if ((e > p || t0.Action == taMult0) && (e <= len_ ? next.bytes[C(e)] : next.at_end)) {
          t_[0].MatchedAt = p;
          if (Match(1, e)) return p;
        }
        p = e;
        continue;
      }
      run_end_ = 0;
      if (Match(0, p)) return p;
      // A repeated byte element that failed at p also fails one element
      // later (the lazy repetition from p already tried every continuation
      // from there), so the rest of the run of elements is skipped. The
      // repetition usually knows where the run ends.
      if ((t0.Action == taMult0 || t0.Action == taMult1) && t0.Count <= 0) {
        if (t0.Count == 0) return 0;
        if (run_end_ > p) p = run_end_;
        p = RunEnd(t0, p);
      }
    }
    return 0;
  }

  int end_ = 0;

 private:
  // Where the last repetition that failed ran out of elements (0: unknown).
  int run_end_ = 0;

  unsigned char C(int p) const {
    const unsigned char c = s_[p - 1];
    if constexpr (kFold) return fold_[c];
    return c;
  }

  // The first position from p on that is not in the set of token t.
  int RunEnd(const TGrepToken& t, int p) const {
    while (p <= len_ && t.Payload[C(p)] == '*') ++p;
    return p;
  }

  bool Literal(const TGrepToken& t, int p) const {
    const int cnt = t.Count;
    if (p < 1 || p + cnt - 1 > len_) return false;
    const char* lit = t.Payload.data() + 1;
    if constexpr (!kFold) {
      if (cnt > 16) return std::memcmp(s_ + p - 1, lit, static_cast<size_t>(cnt)) == 0;
      for (int i = 0; i < cnt; ++i)
        if (s_[p - 1 + i] != static_cast<unsigned char>(lit[i])) return false;
      return true;
    }
    for (int i = 0; i < cnt; ++i)
      if (C(p + i) != static_cast<unsigned char>(lit[i])) return false;
    return true;
  }

  // Width of the quantified element when it occurs at p, 0 when not.
  int Element(const TGrepToken& t, int p) const {
    if (p > len_) return 0;
    if (t.Count < 0) return t.Payload[C(p)] == '*' ? 1 : 0;
    if (t.Count == 0) return 1;
    return Literal(t, p) ? t.Count : 0;
  }

  // Counts a step; true once failures are remembered.
  bool Step() {
    if (++steps_ > budget_ && memo_.empty()) StartMemo();
    return !memo_.empty();
  }
  // Many steps for this subject: remember failures from now on, one bit per
  // position 1..len+1 in one row per quantified token (failed repetitions)
  // and one per token after "x?" (failed rest).
  __attribute__((noinline)) void StartMemo() {
    for (int k = 0; k < n_; ++k) {
      const TGrepTokenAct a = t_[k].Action;
      row_of_[static_cast<size_t>(k)] = (a == taMult0 || a == taMult1) ? rows_++ : -1;
      row_of_[static_cast<size_t>(n_ + k)] = (k > 0 && t_[k - 1].Action == taOpti) ? rows_++ : -1;
    }
    row_ = static_cast<size_t>(len_) + 2;
    memo_.assign((static_cast<size_t>(rows_) * row_ + 63) / 64, 0);
  }
  int RepRow(int k) const { return row_of_[static_cast<size_t>(k)]; }
  int OptRow(int k) const { return row_of_[static_cast<size_t>(n_ + k)]; }
  bool Failed(int row, int p) const {
    const size_t b = static_cast<size_t>(row) * row_ + static_cast<size_t>(p);
    return (memo_[b / 64] >> (b % 64)) & 1;
  }
  void SetFailed(int row, int p) {
    const size_t b = static_cast<size_t>(row) * row_ + static_cast<size_t>(p);
    memo_[b / 64] |= uint64_t{1} << (b % 64);
  }

  // False when the rest from token k cannot begin at p: it would fail at
  // its first test, recording nothing.
  bool CanBegin(int k, int p) const {
    const grep_internal::Lead& l = lead_[static_cast<size_t>(k)];
    return l.any || (p <= len_ ? l.bytes[C(p)] : l.at_end);
  }

  // Zero or more further elements of quantified token k from q on, then the
  // rest of the expression. Memo row k holds the positions from which this
  // has failed.
  bool Repeat(int k, int q) {
    const TGrepToken& t = t_[k];
    const bool last = k == n_ - 1;
    if (last) {
      if (t.Count == 0) {
        q = std::max(q, len_ + 1);
      } else {
        for (int w; (w = Element(t, q)) > 0;) q += w;
      }
      end_ = q - 1;
      return true;
    }
    // Where the rest cannot begin, Match(k + 1, q) fails at its first test
    // without side effects, so a run of byte elements is crossed in one go
    // up to the next position where it can. Crossed bytes count as steps,
    // and once failures are remembered every position is visited again, so
    // that no position is crossed more than once per token then.
    const grep_internal::Lead& next = lead_[static_cast<size_t>(k + 1)];
    const bool bytewise = t.Count <= 0 && !next.any;
    const bool alone = lead_[static_cast<size_t>(k)].run_excludes_rest;
    for (;;) {
      const bool memo = Step();
      if (memo && Failed(RepRow(k), q)) return false;
      if (CanBegin(k + 1, q) && Match(k + 1, q)) return true;
      if (memo) SetFailed(RepRow(k), q);
      const int w = Element(t, q);
      if (w == 0) {
        run_end_ = q;
        return false;
      }
      q += w;
      if (bytewise && !memo) {
        const int from = q;
        if (alone) {
          q = RunEnd(t, q);
        } else if (t.Count == 0 && !kFold && next.only >= 0 && q <= len_) {
          const void* f = std::memchr(s_ + q - 1, next.only, static_cast<size_t>(len_ - q + 1));
          q = f ? static_cast<int>(static_cast<const unsigned char*>(f) - s_) + 1 : len_ + 1;
        } else if (t.Count == 0) {
          while (q <= len_ && !next.bytes[C(q)]) ++q;
        } else {
          while (q <= len_ && t.Payload[C(q)] == '*' && !next.bytes[C(q)]) ++q;
        }
        steps_ += q - from;
        if (q > len_ && !next.at_end) {
          run_end_ = q;
          return false;
        }
      }
    }
  }

  // The rest of the expression from token k at p. Literals, sets, "." and
  // "^" are followed in a loop; a quantified token hands over to Repeat.
  __attribute__((always_inline)) bool Match(int k, int p) {
    // Memo rows of tokens that follow "x?" hold the positions where the
    // rest of the expression has failed.
    if (k > 0 && t_[k - 1].Action == taOpti && Step()) return Remembered(k, p);
    return Rest(k, p);
  }
  bool Remembered(int k, int p) {
    if (Failed(OptRow(k), p)) return false;
    if (Rest(k, p)) return true;
    SetFailed(OptRow(k), p);
    return false;
  }

  bool Rest(int k, int p) {
    for (;; ++k) {
      TGrepToken& t = t_[k];
      const bool last = k == n_ - 1;
      switch (t.Action) {
        case taNormal:
          if (!Literal(t, p)) return false;
          t.MatchedAt = p;
          if (last) {
            end_ = p + t.Count - 1;
            return true;
          }
          p += t.Count;
          break;
        case taAnyByte:
        case taSet:
          if (p < 1 || p > len_ || (t.Action == taSet && t.Payload[C(p)] != '*')) return false;
          t.MatchedAt = p;
          if (last) {
            end_ = p;
            return true;
          }
          ++p;
          break;
        case taBol:
          if (p != 1) return false;
          t.MatchedAt = p;
          if (last) {
            end_ = 0;
            return true;
          }
          break;
        case taEol:
          if (!last || p != len_ + 1) return false;
          t.MatchedAt = p;
          end_ = len_;
          return true;
        case taMult0:
          t.MatchedAt = p;
          return Repeat(k, p);
        case taMult1: {
          const int w = Element(t, p);
          if (w == 0) return false;
          t.MatchedAt = p;
          return Repeat(k, p + w);
        }
        case taOpti: {
          t.MatchedAt = p;
          const int w = Element(t, p);
          if (last) {
            end_ = p + w - 1;
            return true;
          }
          // Without the element, then with it; the last try goes on in
          // this loop instead of a call.
          const bool without = CanBegin(k + 1, p);
          const bool with = w > 0 && CanBegin(k + 1, p + w);
          if (without && with && Match(k + 1, p)) return true;
          if (with) {
            p += w;
          } else if (!without) {
            return false;
          }
          if (Step()) return Remembered(k + 1, p);
          break;
        }
      }
    }
  }

  TGrepToken* t_;
  const grep_internal::Lead* lead_;
  const grep_internal::StartScan& scan_;
  int n_;
  const unsigned char* s_;
  int len_;
  const unsigned char* fold_;  // case folding
  int64_t steps_ = 0;
  int64_t budget_ = 0;
  size_t row_ = 0;
  int rows_ = 0;
  int row_of_[2 * TGrep::kMaxTokens];  // memo rows: repetitions of token k, then rests after "x?"
  std::vector<uint64_t> memo_;
};

bool TGrep::MatchString(const std::string& s, int& MatchPos) {
  MatchPos = 0;
  match_start_ = 0;
  match_end_ = 0;
  if (token_count_ == 0) return false;
  const int len = static_cast<int>(std::min<size_t>(s.size(), kMaxSubject));
  int from = std::max(search_start_pos_, 1);
  if (token_count_ == 1 && tokens_[0].Action == taMult0) {
    // A lone "x*" matches every subject, from the search start on.
    if (len > 0 && search_start_pos_ > len) return false;
    from = std::min(from, len + 1);
  }
  if (from > len + 1) return false;
  // The first place where a match can begin is found before anything is
  // set up: often there is none.
  // Where a match can first begin is found before anything is set up:
  // often nowhere.
  const bool bol = tokens_[0].Action == taBol;
  if (!bol) {
    from = NextStart(scan_, lead_[0], reinterpret_cast<const unsigned char*>(s.data()), len, from);
    if (from > len + 1) return false;
  }
  int p, end;
  if (ignore_case_) {
    GrepMatcher<true> m(*this, s);
    p = m.Search(from, bol);
    end = m.end_;
  } else {
    GrepMatcher<false> m(*this, s);
    p = m.Search(from, bol);
    end = m.end_;
  }
  if (p == 0) return false;
  MatchPos = match_start_ = p;
  match_end_ = end;
  return true;
}

}  // namespace tkz
