// TGrep: matching.
//
// Tokens are tried left to right at increasing start positions. Literals,
// sets and "." advance deterministically; a quantified token followed by more
// tokens tries the rest first and consumes one more element only when the
// rest fails (lazy); a quantified token at the end consumes all it can
// (greedy). Every success ends the whole search, so a (token, position) pair
// that failed once fails again: once a match has taken many steps, such
// failures are remembered and never retried.
#include <algorithm>
#include <cstring>
#include <vector>

#include "core/text/charcase.h"
#include "core/text/regex.h"

namespace tkz {

namespace {

// Positions stay well inside int with a literal of 255 characters added.
constexpr size_t kMaxSubject = 0x7FFF0000;

struct FoldTable {
  unsigned char lower[256];
  unsigned char same[256];
  FoldTable() {
    for (int c = 0; c < 256; ++c) {
      lower[c] = static_cast<unsigned char>(AnsiLowerChar(static_cast<char>(c)));
      same[c] = static_cast<unsigned char>(c);
    }
  }
};

const FoldTable& Fold() {
  static const FoldTable t;
  return t;
}

}  // namespace

class GrepMatcher {
 public:
  GrepMatcher(TGrep& g, const std::string& s)
      : t_(g.tokens_.data()),
        n_(g.token_count_),
        s_(reinterpret_cast<const unsigned char*>(s.data())),
        len_(static_cast<int>(std::min<size_t>(s.size(), kMaxSubject))),
        fold_(g.ignore_case_ ? Fold().lower : Fold().same),
        exact_(!g.ignore_case_) {
    budget_ = 64 + 16 * static_cast<int64_t>(len_);
  }

  // Tries start positions from `from` to the end of the subject (and just
  // beyond it, for expressions that may match nothing).
  int Search(int from, bool only_first) {
    const TGrepToken& t0 = t_[0];
    const int last_start = only_first ? from : len_ + 1;
    for (int p = from; p <= last_start; ++p) {
      if (!only_first) {
        // Skip quickly to the next position where the first token can match.
        if (t0.Action == taNormal) {
          p = FindByte(p, static_cast<unsigned char>(t0.Payload[1]));
          if (p > len_) return 0;
        } else if (t0.Action == taSet || (t0.Action == taMult1 && t0.Count < 0)) {
          while (p <= len_ && t0.Payload[C(p)] != '*') ++p;
          if (p > len_) return 0;
        }
      }
      if (Match(0, p)) return p;
      // A repeated byte element that failed at p also fails one element
      // later (the lazy repetition from p already tried every continuation
      // from there), so the rest of the run of elements is skipped.
      if ((t0.Action == taMult0 || t0.Action == taMult1) && t0.Count <= 0) {
        if (t0.Count == 0) return 0;
        while (p <= len_ && t0.Payload[C(p)] == '*') ++p;
      }
    }
    return 0;
  }

  int end_ = 0;

 private:
  unsigned char C(int p) const {
    const unsigned char c = s_[p - 1];
    return fold_[c];
  }

  int FindByte(int p, unsigned char c) const {
    if (p > len_) return len_ + 1;
    if (exact_) {
      const void* f = std::memchr(s_ + p - 1, c, static_cast<size_t>(len_ - p + 1));
      return f ? static_cast<int>(static_cast<const unsigned char*>(f) - s_) + 1 : len_ + 1;
    }
    while (p <= len_ && fold_[s_[p - 1]] != c) ++p;
    return p;
  }

  bool Literal(const TGrepToken& t, int p) const {
    const int cnt = t.Count;
    if (p < 1 || p + cnt - 1 > len_) return false;
    const char* lit = t.Payload.data() + 1;
    if (exact_) {
      return s_[p - 1] == static_cast<unsigned char>(lit[0]) &&
             (cnt == 1 || std::memcmp(s_ + p, lit + 1, static_cast<size_t>(cnt - 1)) == 0);
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

  bool Step() {
    if (++steps_ > budget_ && memo_.empty()) {
      // Many steps for this subject: remember failures from now on, one bit
      // per position 1..len+1 in one row per quantified token (failed
      // repetitions) and one per token after "x?" (failed rest).
      for (int k = 0; k < n_; ++k) {
        const TGrepTokenAct a = t_[k].Action;
        rep_row_[k] = (a == taMult0 || a == taMult1) ? rows_++ : -1;
        opt_row_[k] = (k > 0 && t_[k - 1].Action == taOpti) ? rows_++ : -1;
      }
      row_ = static_cast<size_t>(len_) + 2;
      memo_.assign((static_cast<size_t>(rows_) * row_ + 63) / 64, 0);
    }
    return !memo_.empty();
  }
  bool Failed(int row, int p) const {
    const size_t b = static_cast<size_t>(row) * row_ + static_cast<size_t>(p);
    return (memo_[b / 64] >> (b % 64)) & 1;
  }
  void SetFailed(int row, int p) {
    const size_t b = static_cast<size_t>(row) * row_ + static_cast<size_t>(p);
    memo_[b / 64] |= uint64_t{1} << (b % 64);
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
    for (;;) {
      const bool memo = Step();
      if (memo && Failed(rep_row_[k], q)) return false;
      if (Match(k + 1, q)) return true;
      if (memo) SetFailed(rep_row_[k], q);
      const int w = Element(t, q);
      if (w == 0) return false;
      q += w;
    }
  }

  bool Match(int k, int p) {
    const TGrepToken& t = t_[k];
    const bool last = k == n_ - 1;
    // Memo rows of tokens that follow "x?" hold the positions where the
    // rest of the expression has failed.
    const bool after_opti = k > 0 && t_[k - 1].Action == taOpti;
    if (after_opti && Step()) {
      if (Failed(opt_row_[k], p)) return false;
    }
    bool ok = false;
    switch (t.Action) {
      case taNormal:
        if (Literal(t, p)) {
          t_[k].MatchedAt = p;
          if (last) {
            end_ = p + t.Count - 1;
            return true;
          }
          ok = Match(k + 1, p + t.Count);
        }
        break;
      case taAnyByte:
      case taSet:
        if (p >= 1 && p <= len_ && (t.Action == taAnyByte || t.Payload[C(p)] == '*')) {
          t_[k].MatchedAt = p;
          if (last) {
            end_ = p;
            return true;
          }
          ok = Match(k + 1, p + 1);
        }
        break;
      case taBol:
        if (p == 1) {
          t_[k].MatchedAt = p;
          if (last) {
            end_ = 0;
            return true;
          }
          ok = Match(k + 1, 1);
        }
        break;
      case taEol:
        if (last && p == len_ + 1) {
          t_[k].MatchedAt = p;
          end_ = len_;
          return true;
        }
        break;
      case taMult0:
        t_[k].MatchedAt = p;
        ok = Repeat(k, p);
        break;
      case taMult1: {
        const int w = Element(t, p);
        if (w > 0) {
          t_[k].MatchedAt = p;
          ok = Repeat(k, p + w);
        }
        break;
      }
      case taOpti: {
        t_[k].MatchedAt = p;
        const int w = Element(t, p);
        if (last) {
          end_ = p + w - 1;
          return true;
        }
        ok = Match(k + 1, p) || (w > 0 && Match(k + 1, p + w));
        break;
      }
    }
    if (!ok && after_opti && !memo_.empty()) SetFailed(opt_row_[k], p);
    return ok;
  }

  TGrepToken* t_;
  int n_;
  const unsigned char* s_;
  int len_;
  const unsigned char* fold_;  // case folding, or the identity
  bool exact_;
  int64_t steps_ = 0;
  int64_t budget_ = 0;
  size_t row_ = 0;
  int rows_ = 0;
  int rep_row_[TGrep::kMaxTokens];
  int opt_row_[TGrep::kMaxTokens];
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
  GrepMatcher m(*this, s);
  const int p = m.Search(from, tokens_[0].Action == taBol);
  if (p == 0) return false;
  MatchPos = match_start_ = p;
  match_end_ = m.end_;
  return true;
}

}  // namespace tkz
