// streams: the floating-point text scanner.
//
// The scanner is a state machine over one character at a time:
//   1 start   2 after sign   3 integer digits   4 after point
//   5 fraction digits   6 after "E"   7 exponent sign   8 exponent digits
// The number is collected as significant digits, a decimal shift and an
// exponent rather than as text, so that inputs of any length stay in bounded
// memory: digits beyond the kMaxSig-th significant one are dropped (integer
// digits still count towards the magnitude), leading zeros only shift, and
// exponent digits stop counting once the exponent exceeds 4200.
#include <cstdlib>
#include <string>

#include "core/text/streams.h"
#include "core/types/univconst.h"

namespace tkz {

namespace {

constexpr size_t kMaxSig = 4000;
constexpr int kExpLimit = 4200;

enum class Cls { Point, Digit, E, Sign, Blank, Other };

Cls Classify(int c, int DecPMode) {
  if (c == '.' && (DecPMode == 1 || DecPMode == 3)) return Cls::Point;
  if (c == ',' && (DecPMode == 2 || DecPMode == 3)) return Cls::Point;
  if (c >= '0' && c <= '9') return Cls::Digit;
  if (c == 'E' || c == 'e') return Cls::E;
  if (c == '+' || c == '-') return Cls::Sign;
  if (c == ' ' || c == '\t' || c == '\r' || c == '\n') return Cls::Blank;
  return Cls::Other;
}

constexpr int kEnd = 0, kError = -1;

int NextState(int state, Cls k, bool AllowExponent) {
  const int after_e = AllowExponent ? 6 : kEnd;
  switch (state) {
    case 1:
      switch (k) {
        case Cls::Point:
          return 4;
        case Cls::Digit:
          return 3;
        case Cls::Sign:
          return 2;
        case Cls::Blank:
          return 1;
        default:
          return kError;
      }
    case 2:
      return k == Cls::Point ? 4 : k == Cls::Digit ? 3 : kError;
    case 3:
      switch (k) {
        case Cls::Point:
          return 4;
        case Cls::Digit:
          return 3;
        case Cls::E:
          return after_e;
        default:
          return kEnd;
      }
    case 4:
    case 5:
      switch (k) {
        case Cls::Point:
          return kError;
        case Cls::Digit:
          return 5;
        case Cls::E:
          return after_e;
        default:
          return kEnd;
      }
    case 6:
      return k == Cls::Digit ? 8 : k == Cls::Sign ? 7 : kError;
    case 7:
      return k == Cls::Digit ? 8 : kError;
    default:  // 8
      return k == Cls::Digit ? 8 : kEnd;
  }
}

}  // namespace

long double ScanStreamFPNum(TStream* Stream, bool AllowExponent, int DecPMode) {
  bool negative = false, exp_negative = false;
  std::string sig;    // significant digits, no leading zeros
  int64_t shift = 0;  // value = 0.sig * 10^(shift + exponent)
  int exponent = 0;   // value of the exponent digits kept
  int state = 1;
  for (;;) {
    uint8_t byte;
    const bool have = Stream->Read(&byte, 1) == 1;
    const Cls k = have ? Classify(byte, DecPMode) : Cls::Other;
    const int next = NextState(state, k, AllowExponent);
    if (next == kError) return 0;
    if (next == kEnd) break;
    if (k == Cls::Digit) {
      const int d = byte - '0';
      if (next == 3) {
        if (!sig.empty() || d != 0) {
          if (sig.size() < kMaxSig) sig.push_back(static_cast<char>(byte));
          ++shift;
        }
      } else if (next == 5) {
        if (sig.empty() && d == 0)
          --shift;
        else if (sig.size() < kMaxSig)
          sig.push_back(static_cast<char>(byte));
      } else if (exponent <= kExpLimit) {  // 8: exponent digits
        exponent = exponent * 10 + d;
      }
    } else if (k == Cls::Sign) {
      if (state == 1)
        negative = byte == '-';
      else
        exp_negative = byte == '-';
    }
    state = next;
  }
  if (sig.empty()) return negative ? -0.0L : 0.0L;
  const int64_t total = shift + (exp_negative ? -exponent : exponent);
  const std::string text = std::string(negative ? "-0." : "0.") + sig + "E" + std::to_string(total);
  long double v = std::strtold(text.c_str(), nullptr);
  if (v > uc_MaxDouble) v = uc_MaxDouble;
  if (v < -uc_MaxDouble) v = -uc_MaxDouble;
  return v;
}

}  // namespace tkz
