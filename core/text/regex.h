// TGrep: a small regular-expression matcher over 8-bit (Windows-1252) text.
//
// The language: literal characters; "\c" takes any character c literally;
// "\#hh" is the character with hexadecimal code hh (the digits are read up to
// the first non-hexadecimal character of the two, "\#4g" is code 4); "." any
// byte; "[...]" a set with ranges "a-z" and negation "[^...]"; "(...)" a
// literal group (everything up to ")" is literal, "\" escapes); "*", "+", "?"
// after a set, ".", a group or the last character of a literal run; "^" as
// the very first item and "$" as the very last. There is no alternation, no
// nesting and no back reference.
//
// The expression compiles into at most 64 tokens (TGrepToken). Compile errors
// have a code (GrepErrorText gives its text):
//   1 "reg.exp. must not start with $, *, ?, or +"
//   2 "circumflex not allowed here"
//   3 "no character allowed after end of line"
//   4 "empty set"
//   5 "circumflex has to be quoted in set"
//   6 "mismatch of set brackets"              (also an unterminated set)
//   7 "minus not allowed here"
//   8 "mismatch of group brackets"
//   9 "*, ?, + have to be applied to groups or sets only"
//  10 "reg.exp. too long (more than 64 tokens)"
//  11 "group too long (more than 255 characters)"
// A failed or empty expression has no tokens and matches nothing.
//
// Details of this implementation:
//   - A character given as "\#hh" is always literal, also inside sets and when
//     its code is that of "[", "*", "$" and the like. With IgnoreCase it is
//     lower-cased like the rest of the expression.
//   - A "\" at the very end of the expression stands for itself; "\#" with
//     fewer than two characters after it is a literal "#".
//   - In a set, "-" directly before the closing "]" is a member ("[a-]").
//   - An unterminated group "(ab" is the literal "ab"; an empty group "()"
//     adds nothing (a quantifier after it is error 9). Literal runs longer
//     than 255 characters continue in a further token; a group (or a chain of
//     groups "(ab)(cd)") longer than 255 characters is error 11.
//   - Matching: tokens that may match nothing ("x*", "x?", "$") also match at
//     the end of the subject, so "ab*" matches "a" and "x?$" matches "abc" at
//     4 (an empty match, end = start - 1). "." needs a byte to match.
//   - A lone "x*" matches every subject unless SearchStartPos lies beyond a
//     non-empty subject; the match starts at SearchStartPos (at least 1) and
//     extends over the elements that follow (to the end for ".*").
//   - Subjects longer than 2147418112 bytes are searched in their first
//     2147418112 bytes only.
//   - Searching skips ahead: when the expression is compiled it works out
//     which bytes can begin a match (and, after each repeated byte or set,
//     the rest of it), and the search scans for those 16 bytes at a time.
//     The answers are those of trying every position.
//   - Matching time is bounded: without alternation or nesting, backtracking
//     only happens at quantified tokens. When a match takes more steps than a
//     small multiple of the subject's length, the matcher starts remembering
//     which (token, position) pairs have failed (one bit each, allocated only
//     then), so no pair is tried twice and the time stays proportional to the
//     subject's length times the token count.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/platform/classes.h"
#include "core/types/corekit_export.h"

namespace tkz {

enum TGrepTokenAct : uint8_t { taNormal, taAnyByte, taEol, taBol, taSet, taMult0, taMult1, taOpti };

struct TKZ_COREKIT_EXPORT TGrepToken {
  TGrepTokenAct Action = taNormal;
  // taNormal: number of literal characters; taSet: -1; quantified tokens: -1
  // for a set, 0 for any byte, n > 0 for a literal string of n characters.
  int32_t Count = 0;
  // Literal characters in Payload[1..Count], or a set map: Payload[c] is '*'
  // when the character with code c belongs to the set and ' ' otherwise.
  std::array<char, 256> Payload{};
  // Position in the subject where this token matched during the last match.
  int32_t MatchedAt = 0;
};

namespace grep_internal {

// The bytes (case-folded when ignoring case) that can begin what follows
// a point of the expression: lead k is the rest from token k on. Worked out
// when an expression is compiled; internal to the matcher.
struct Lead {
  bool any = true;      // it may begin anywhere (or match nothing)
  bool at_end = false;  // it may begin just past the end of the subject
  int16_t only = -1;    // the one byte in `bytes`, if it holds just one
  // Token k repeats a set and no byte of that set can begin the rest after
  // it, so a repetition ends only where a run of the set ends.
  bool run_excludes_rest = false;
  std::array<bool, 256> bytes{};
};
// How the search finds positions where token 1 can match, on the bytes of
// the subject as they are: one to three bytes, a range of codes, a table,
// or a pair (a byte of `b` with a byte of `z` at offset `off`).
struct StartScan {
  enum Kind : uint8_t { kAll, kBytes, kRange, kTable, kPair } kind = kAll;
  uint8_t nb = 0, nz = 0;
  uint8_t b[3] = {}, z[3] = {};
  uint8_t lo = 0, span = 0;  // kRange: (c - lo) mod 256 <= span
  int off = 0;
  std::array<bool, 256> raw{};  // the bytes that can begin a match
  // The scanner chosen for the above, and its bytes repeated over a vector:
  // b[0..2], then z[0..2] (short lists repeat their first byte), lo, span.
  using Fn = size_t (*)(const StartScan&, const unsigned char* s, size_t n, size_t i);
  Fn scan = nullptr;
  Fn narrow = nullptr;  // the 16-byte scanner, for subjects too short for `scan`
  alignas(32) uint8_t splat[8][32] = {};
};

}  // namespace grep_internal

// The text of compile error code (1..11); "" for 0 or an unknown code.
TKZ_COREKIT_EXPORT std::string GrepErrorText(int Code);

class TKZ_COREKIT_EXPORT TGrep : public TComponent {
 public:
  static constexpr int kMaxTokens = 64;
  static constexpr int kErrTooManyTokens = 10;
  static constexpr int kErrGroupTooLong = 11;

  explicit TGrep(TComponent* AOwner = nullptr);
  std::string ClassName() const override { return "TGrep"; }

  bool GetIgnoreCase() const { return ignore_case_; }
  // Stores b and recompiles RegExp; errors are only recorded.
  void SetIgnoreCase(bool b);
  const std::string& GetRegExp() const { return reg_exp_; }
  // Stores s and compiles it. On an error with StopOnError set, raises
  // ETKZStringlError: Component "Name": error in regular expression - text.
  void SetRegExp(const std::string& s);
  int GetSearchStartPos() const { return search_start_pos_; }
  void SetSearchStartPos(int Pos) { search_start_pos_ = Pos; }
  bool GetStopOnError() const { return stop_on_error_; }
  void SetStopOnError(bool b) { stop_on_error_ = b; }

  // Compiles s (RegExp is not changed), keeps the error code for
  // GetErrorCode and returns it, 0 on success. On an error no token is left.
  int CompileRegExp(const std::string& s);
  int GetErrorCode() const { return error_code_; }
  int GetTokenCount() const { return token_count_; }

  // Finds the first match in s at or after SearchStartPos. True when found;
  // MatchPos (and GetMatchStart) is where it starts, GetMatchEnd its last
  // position (start - 1 for an empty match). On failure MatchPos is 0.
  bool MatchString(const std::string& s, int& MatchPos);
  int GetMatchStart() const { return match_start_; }
  int GetMatchEnd() const { return match_end_; }

  // A copy of token i (1-based), i clamped to 1..token count.
  TGrepToken GetRegExpToken(int i) const;
  // Writes one line per token to a new text file (written beside it first
  // and renamed into place). Raises on input/output errors.
  void PrintRegExp(const std::string& FileName) const;

 private:
  template <bool kFold>
  friend class GrepMatcher;
  bool AddToken(TGrepTokenAct a, int count);
  void PlanSearch();

  bool ignore_case_ = false;
  std::string reg_exp_;
  int search_start_pos_ = 1;
  bool stop_on_error_ = true;
  int error_code_ = 0;
  int token_count_ = 0;
  int match_start_ = 0;
  int match_end_ = 0;
  std::array<TGrepToken, kMaxTokens> tokens_{};
  std::array<grep_internal::Lead, kMaxTokens + 1> lead_{};
  grep_internal::StartScan scan_{};
};

}  // namespace tkz
