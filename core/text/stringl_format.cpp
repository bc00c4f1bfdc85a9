// Number, time, boolean and variant formatting of the string utilities.
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <type_traits>

#include "core/text/charcase.h"
#include "core/text/stringl.h"

namespace tkz {

namespace {

constexpr int kMaxWidth = 255;     // |FieldWidth| limit
constexpr int kMaxDecimals = 255;  // fixed-form decimals limit
constexpr int kMaxFraction = 17;   // scientific fraction digits: 18 significant digits
constexpr int kSciOverhead = 9;    // sign, digit, point, "E", exponent sign, four digits

// Large enough for the fixed form of the largest long double (4933 integer
// digits) with kMaxDecimals decimals, a sign and a point.
constexpr size_t kFixedBufSize = 5300;

// Writes the fixed form of x with dec decimals into buf; returns its length.
// Doubles go through std::to_chars, which is exact and much faster than
// printf; long doubles that are not doubles go through snprintf. Both give the
// exact decimal rounding of the binary value, ties to even.
size_t WriteFixed(long double x, int dec, char* buf, size_t cap) {
  const double d = static_cast<double>(x);
  if (static_cast<long double>(d) == x) {
    auto r = std::to_chars(buf, buf + cap, d, std::chars_format::fixed, dec);
    if (r.ec == std::errc()) return static_cast<size_t>(r.ptr - buf);
  }
  const int n = std::snprintf(buf, cap, "%.*Lf", dec, x);
  return n < 0 ? 0 : std::min(static_cast<size_t>(n), cap - 1);
}

// Mantissa digits and decimal exponent of x in scientific form with frac
// fraction digits: "d.ddd" (no sign) into mant, the exponent into exp.
void WriteScientific(long double x, int frac, std::string& mant, int& exp) {
  char buf[64];
  size_t n = 0;
  const double d = static_cast<double>(x);
  if (static_cast<long double>(d) == x) {
    auto r = std::to_chars(buf, buf + sizeof buf, d, std::chars_format::scientific, frac);
    n = r.ec == std::errc() ? static_cast<size_t>(r.ptr - buf) : 0;
  } else {
    const int k = std::snprintf(buf, sizeof buf, "%.*Le", frac, x);
    n = k < 0 ? 0 : std::min(static_cast<size_t>(k), sizeof buf - 1);
  }
  std::string_view t(buf, n);
  if (!t.empty() && t[0] == '-') t.remove_prefix(1);
  const size_t e = t.find('e');
  mant.assign(t.substr(0, e));
  exp = 0;
  if (e != std::string_view::npos) {
    std::string_view es = t.substr(e + 1);
    if (!es.empty() && es[0] == '+') es.remove_prefix(1);
    std::from_chars(es.data(), es.data() + es.size(), exp);
  }
}

// The standard scientific layout in a field of len characters.
std::string Scientific(long double x, int len) {
  const int frac = std::clamp(len - kSciOverhead, 1, kMaxFraction);
  std::string mant;
  int exp = 0;
  WriteScientific(x, frac, mant, exp);
  std::string r;
  r.reserve(static_cast<size_t>(std::max(len, frac + kSciOverhead)));
  r += x < 0 ? '-' : ' ';
  r += mant;
  r += 'E';
  r += exp < 0 ? '-' : '+';
  char digits[8];
  std::snprintf(digits, sizeof digits, "%04d", std::abs(exp) % 10000);
  r += digits;
  if (static_cast<int>(r.size()) < len) r.insert(0, static_cast<size_t>(len) - r.size(), ' ');
  return r;
}

std::string RightAligned(std::string_view t, int w) {
  std::string r;
  if (static_cast<int>(t.size()) < w) r.assign(static_cast<size_t>(w) - t.size(), ' ');
  r += t;
  return r;
}

std::string NonFinite(long double x, int w) {
  if (std::isnan(x)) return RightAligned("NaN", w);
  return RightAligned(x < 0 ? "-Inf" : "Inf", w);
}

// Leading blanks become "0"; a minus sign after them moves to column 1.
void ZeroPad(std::string& r) {
  size_t i = 0;
  while (i < r.size() && r[i] == ' ') r[i++] = '0';
  if (i < r.size() && r[i] == '-') {
    r[i] = '0';
    r[0] = '-';
  }
}

std::string Pad2(int64_t v) {
  std::string r = std::to_string(v);
  if (r.size() < 2) r.insert(0, 2 - r.size(), '0');
  return r;
}

// Hundredths of a non-negative finite s, truncated from the shortest decimal
// text that reads back as s: 0.29 is stored as 0.28999..., whose truncation
// would show 28, while its decimal text shows 29. The integer part of that
// text is always floor(s), so the hundredths agree with the whole seconds.
int64_t Hundredths(double s) {
  char buf[400];  // the longest shortest fixed form: 0.000...0005 (326 characters)
  const auto r = std::to_chars(buf, buf + sizeof buf, s, std::chars_format::fixed);
  if (r.ec != std::errc()) return static_cast<int64_t>((s - std::floor(s)) * 100);
  const std::string_view t(buf, static_cast<size_t>(r.ptr - buf));
  const size_t dot = t.find('.');
  if (dot == std::string_view::npos) return 0;
  int64_t c = 0;
  for (size_t k = dot + 1; k <= dot + 2; ++k) c = c * 10 + (k < t.size() ? t[k] - '0' : 0);
  return c;
}

std::string Blank2(int64_t v) {
  std::string r = std::to_string(v);
  if (r.size() < 2) r.insert(0, 2 - r.size(), ' ');
  return r;
}

}  // namespace

// ------------------------------------------------------------------ strff

std::string strff(long double x, int FieldWidth, int Decimals) {
  const int fw = std::clamp(FieldWidth, -kMaxWidth, kMaxWidth);
  const int w = std::abs(fw);
  if (!std::isfinite(x)) return NonFinite(x, w);
  if (x == 0) x = 0;  // no "-0"
  std::string r;
  if (Decimals == -2) {
    r = Scientific(x, w + 2);
    const size_t e = r.find('E');
    const bool fits = r[e + 2] == '0' && r[e + 3] == '0';
    r.erase(e + 2, 2);
    if (!fits) r.assign(r.size(), '*');
  } else if (Decimals < 0) {
    r = Scientific(x, w);
  } else {
    char buf[kFixedBufSize];
    const size_t n = WriteFixed(x, std::min(Decimals, kMaxDecimals), buf, sizeof buf);
    r = RightAligned(std::string_view(buf, n), w);
  }
  if (fw < 0) ZeroPad(r);
  return r;
}

std::string strffForcePlus(long double x, int FieldWidth, int Decimals) {
  std::string r = strff(x, FieldWidth, Decimals);
  if (!(x >= 0)) return r;
  const size_t i = r.find_first_not_of(' ');
  if (i != std::string::npos && i > 0) {
    r[i - 1] = '+';
  } else if (r.size() >= 2 && r[0] == '0' && IsDigit(r[1])) {
    r[0] = '+';  // a padding zero makes room for the sign
  } else {
    r.insert(0, 1, '+');
  }
  return r;
}

std::string FormatData(double x, int FieldWidth, int Decimals) {
  static constexpr double kLimit[9] = {999999999, 9999999.9, 999999.99, 99999.999, 9999.9999,
                                       999.99999, 99.999999, 9.9999999, 0.99999999};
  static constexpr double kSmallest[9] = {1, 1e-1, 1e-2, 1e-3, 1e-4, 1e-5, 1e-6, 1e-7, 1e-8};
  const int w = std::clamp(FieldWidth, 0, kMaxWidth);
  if (Decimals >= 0 && Decimals <= 8) {
    const double a = std::fabs(x);
    if (a <= kLimit[Decimals] && (a >= kSmallest[Decimals] || x == 0)) return strff(x, w, Decimals);
  }
  return strff(x, w + 6, -2);
}

std::string SigDigStr(double x, int FieldWidth, int SigDigits) {
  const int n = std::clamp(SigDigits, 1, 18);
  const int w = std::clamp(FieldWidth, -kMaxWidth, kMaxWidth);
  const int W = std::max(w, n + 6);
  if (x == 0) return strff(x, w, n - 1);
  if (!std::isfinite(x)) return strff(x, W, -2);
  const int k = static_cast<int>(std::floor(std::log10(std::fabs(x)) + 1));
  if (n < k) return (w - 1 < k) ? strff(x, W, -2) : strff(x, w, 0);
  return (k < n - w + 3) ? strff(x, W, -2) : strff(x, w, n - k);
}

std::string SigDigStr(double x, int FieldWidth, int SigDigits, bool Strip) {
  std::string r = SigDigStr(x, FieldWidth, SigDigits);
  return Strip ? StripLTBlanks(r) : r;
}

std::string AutoFormatData(double x, int SigDigits) {
  const int n = std::clamp(SigDigits, 2, 16);
  std::string r;
  if (x == 0) {
    r = strff(0, 1, n - 1);
  } else {
    const double c = std::log10(std::fabs(x));
    if (n - 1 > c && c > -1)
      r = strff(x, 1, n - static_cast<int>(std::trunc(c)) - 1);
    else
      r = strff(x, n + 6, -2);
  }
  return StripLTBlanks(r);
}

std::string AutoFormatData(double x, int SigDigits, bool DecimalComma) {
  std::string r = AutoFormatData(x, SigDigits);
  if (DecimalComma) std::replace(r.begin(), r.end(), '.', ',');
  return r;
}

// ------------------------------------------------------------- TimeString

std::string TimeString(double Seconds, uint8_t Mode) {
  // Negative and NaN count as 0; the cap keeps every field within 64 bits
  // (about 10^12 hours, far beyond any duration a caller formats).
  if (!(Seconds > 0)) Seconds = 0;
  Seconds = std::min(Seconds, 3.6e15);
  const auto h = static_cast<int64_t>(Seconds / 3600);
  const double rest = Seconds - 3600.0 * static_cast<double>(h);
  const auto m = std::max<int64_t>(0, static_cast<int64_t>(rest / 60));
  const auto s = std::max<int64_t>(0, static_cast<int64_t>(rest - 60.0 * static_cast<double>(m)));
  const int64_t c = Hundredths(Seconds);
  switch (Mode) {
    case 0:
      return Pad2(h) + ':' + Pad2(m) + ':' + Pad2(s) + '.' + Pad2(c);
    case 1:
      return Pad2(h) + ':' + Pad2(m) + ':' + Pad2(s);
    case 2:
      return Blank2(h) + 'h' + Pad2(m);
    case 3:
      return Blank2(h) + 'h' + Pad2(m) + '\'' + Pad2(s) + '"';
    case 4:
      return Pad2(h) + ':' + Pad2(m);
    case 5: {
      const int64_t hd = h % 24;
      const int64_t shown = hd == 0 ? 12 : (hd > 12 ? hd - 12 : hd);
      return Blank2(shown) + ':' + Pad2(m) + (hd > 11 ? 'p' : 'a');
    }
    default:
      return "";
  }
}

// ------------------------------------------------- booleans and tri-states

std::string BoolToStr(bool b, int Mode) {
  static constexpr const char* kTrue[8] = {"TRUE", "T", ".T.", "1", "-1", "FF", "YES", "GOOD"};
  static constexpr const char* kFalse[8] = {"FALSE", "F", ".F.", "0", "0", "00", "NO", "BAD"};
  if (Mode < 0 || Mode > 7) Mode = 0;
  return b ? kTrue[Mode] : kFalse[Mode];
}

std::string BinString(bool b, std::string_view s1, std::string_view s2) {
  return std::string(b ? s1 : s2);
}

TTriState StrToTriState(std::string_view s) {
  const std::string t = AnsiLowerCase(StripLTBlanks(s));
  if (t == "true" || t == "1" || t == "+1" || t == "yes") return tsTrue;
  if (t == "false" || t == "-1" || t == "no") return tsFalse;
  return tsUndefined;
}

std::string TriStateToStr(TTriState ts, int Mode) {
  static constexpr const char* kMode1[3] = {"-1", "1", "0"};
  static constexpr const char* kMode2[3] = {"no", "yes", "unknown"};
  static constexpr const char* kMode0[3] = {"false", "true", ""};
  const int i = ts <= tsUndefined ? ts : tsUndefined;
  if (Mode == 1) return kMode1[i];
  if (Mode == 2) return kMode2[i];
  return kMode0[i];
}

// ---------------------------------------------------------- ConvertVariant

namespace {

constexpr const char* kCrLf = "\r\n";

std::string ScalarText(const TVariant& v) {
  return std::visit(
      [&v](const auto& a) -> std::string {
        using T = std::decay_t<decltype(a)>;
        if constexpr (std::is_same_v<T, TVarNull>) {
          return "NULL";
        } else if constexpr (std::is_same_v<T, bool>) {
          return BoolToStr(a, 0);
        } else if constexpr (std::is_integral_v<T>) {
          return std::to_string(static_cast<int64_t>(a));
        } else if constexpr (std::is_floating_point_v<T>) {
          return strff(a, 10, -2);
        } else if constexpr (std::is_same_v<T, std::string>) {
          return a;
        } else {
          return "(unknown type: " + std::to_string(static_cast<int>(v.VarType())) + ")";
        }
      },
      v.Get());
}

// Item at index i (in the array's own bounds), or null when absent.
const TVariant* ItemAt(const TVarArray* a, int64_t i) {
  if (a == nullptr) return nullptr;
  const int64_t k = i - a->Low;
  if (k < 0 || k >= static_cast<int64_t>(a->Items.size())) return nullptr;
  return &a->Items[static_cast<size_t>(k)];
}

std::string ItemText(const TVariant* v) { return v == nullptr ? std::string() : ScalarText(*v); }

// Lines of a two-level block: line j lists a[i][j] (and, with layer k, the
// third level a[i][j][k]).
void TwoLevelLines(std::string& r, const TVarArray* a1, const TVarArray* a2, bool layered,
                   int64_t k) {
  const int64_t lines = static_cast<int64_t>(a2->Items.size());
  const int64_t cols = static_cast<int64_t>(a1->Items.size());
  for (int64_t j = 0; j < std::min<int64_t>(lines, 10); ++j) {
    for (int64_t i = 0; i < std::min<int64_t>(cols, 12); ++i) {
      if (i > 0) r += ',';
      const TVariant* row = ItemAt(a1, a1->Low + i);
      const TVariant* e = row != nullptr ? ItemAt(row->AsArray(), a2->Low + j) : nullptr;
      if (layered) e = e != nullptr ? ItemAt(e->AsArray(), k) : nullptr;
      r += ItemText(e);
    }
    if (cols > 12) r += ",...";
    r += kCrLf;
  }
  if (lines > 10) {
    r += " ......";
    if (layered) r += kCrLf;
  }
}

}  // namespace

std::string ConvertVariant(const TVariant& v) {
  const TVarArray* a1 = v.AsArray();
  if (a1 == nullptr) return ScalarText(v);
  if (a1->Items.empty()) return "undefined array";
  const TVarArray* a2 = a1->Items.front().AsArray();
  const TVarArray* a3 =
      (a2 != nullptr && !a2->Items.empty()) ? a2->Items.front().AsArray() : nullptr;
  std::string r = "Array";
  for (const TVarArray* a : {a1, a2, a3}) {
    if (a == nullptr) break;
    // The high bound in 64 bits: Low + count - 1 may pass INT32_MAX.
    const int64_t high = int64_t{a->Low} + static_cast<int64_t>(a->Items.size()) - 1;
    r += '[' + std::to_string(a->Low) + ',' + std::to_string(high) + ']';
  }
  r += ':';
  r += kCrLf;
  if (a2 == nullptr) {
    const size_t n = std::min<size_t>(a1->Items.size(), 12);
    for (size_t i = 0; i < n; ++i) {
      if (i > 0) r += ',';
      r += ScalarText(a1->Items[i]);
    }
    if (a1->Items.size() > 12) r += ",...";
  } else if (a3 == nullptr) {
    TwoLevelLines(r, a1, a2, false, 0);
  } else {
    const int64_t layers = static_cast<int64_t>(a3->Items.size());
    for (int64_t k = 0; k < std::min<int64_t>(layers, 3); ++k) {
      r += "layer " + std::to_string(a3->Low + k) + ':' + kCrLf;
      TwoLevelLines(r, a1, a2, true, a3->Low + k);
    }
    if (layers > 3) r += " ... more layers";
  }
  return r;
}

// ----------------------------------------------------------- CreateParList

namespace {

template <typename T, typename Text>
std::string ParList(std::span<const T> a, bool AppendComma, int MaxItems, bool Brackets,
                    Text text) {
  std::string r = Brackets ? "[" : "";
  size_t c = a.size();
  if (MaxItems > 0 && static_cast<size_t>(MaxItems) < c) c = static_cast<size_t>(MaxItems);
  for (size_t i = 0; i < c; ++i) {
    r += text(a[i]);
    r += ',';
  }
  if (c == 0) r += ',';
  if (c < a.size()) r += "...,";
  if (Brackets)
    r.back() = ']';
  else
    r.pop_back();
  if (AppendComma) r += ',';
  return r;
}

}  // namespace

std::string CreateParList(const TIntArray& a, bool AppendComma, int MaxItems, bool Brackets) {
  return CreateParList(std::span<const int32_t>(a), AppendComma, MaxItems, Brackets);
}

std::string CreateParList(std::span<const int32_t> a, bool AppendComma, int MaxItems,
                          bool Brackets) {
  return ParList(a, AppendComma, MaxItems, Brackets, [](int32_t v) { return std::to_string(v); });
}

std::string CreateParList(std::span<const bool> a, bool AppendComma, int MaxItems, bool Brackets) {
  return ParList(a, AppendComma, MaxItems, Brackets, [](bool b) { return BoolToStr(b, 0); });
}

std::string CreateParList(const TDoubleArray& a, bool AppendComma, int MaxItems, int SigDigits,
                          bool Brackets) {
  return CreateParList(std::span<const double>(a), AppendComma, MaxItems, SigDigits, Brackets);
}

std::string CreateParList(std::span<const double> a, bool AppendComma, int MaxItems, int SigDigits,
                          bool Brackets) {
  return ParList(a, AppendComma, MaxItems, Brackets,
                 [SigDigits](double x) { return AutoFormatData(x, SigDigits); });
}

}  // namespace tkz
