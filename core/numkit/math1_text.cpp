// Text side of math1: angle text, hexadecimal text, integer and date-time
// scanners.
#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>

#include "core/numkit/math1.h"
#include "core/text/charcase.h"
#include "core/text/stringl.h"

namespace tkz {
namespace {

constexpr char kDegreeSign = '\xB0';

// Fixed-point text of a non-negative value, "." as decimal mark.
std::string Fixed(double v, int decimals) {
  char buf[400];
  auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, decimals);
  if (r.ec != std::errc()) return "0";
  return std::string(buf, r.ptr);
}

// Non-negative integer, padded with "0" on the left to at least width digits.
std::string Padded(long long v, int width) {
  char buf[24];
  auto r = std::to_chars(buf, buf + sizeof buf, v);
  std::string digits(buf, r.ptr);
  if (static_cast<int>(digits.size()) < width)
    digits.insert(0, static_cast<size_t>(width) - digits.size(), '0');
  return digits;
}

bool IsZeroText(const std::string& s) {
  return std::all_of(s.begin(), s.end(), [](char c) { return c == '0' || c == '.'; });
}

}  // namespace

std::string DegreeToStr(double Angle, TDegreeFormat Format, int Decimals) {
  if (!std::isfinite(Angle)) return "";
  const double a = std::fabs(Angle);
  std::string body;
  if (Format == dfDegMin || Format == dfDegMinSec) {
    int dec = std::clamp(Decimals, 0, 9);
    const long long perDeg = Format == dfDegMin ? 60 : 3600;
    long long pow10 = 1;
    for (int i = 0; i < dec; ++i) pow10 *= 10;
    constexpr double kExact = 9.0e15;  // integers are exact in a double up to 2^53
    while (dec > 0 && a * static_cast<double>(perDeg * pow10) > kExact) {
      --dec;
      pow10 /= 10;
    }
    const double total = a * static_cast<double>(perDeg * pow10);
    std::string degText, minText, secText;
    if (total > kExact) {
      degText = Fixed(std::floor(a), 0);
      minText = "00";
      secText = "00";
    } else {
      // Round once in the smallest unit so that carries reach the degrees.
      const long long units = std::llround(total);
      const long long deg = units / (perDeg * pow10);
      long long rest = units % (perDeg * pow10);
      degText = std::to_string(deg);
      auto withDecimals = [&](long long whole, long long frac) {
        std::string s = Padded(whole, 2);
        if (dec > 0) {
          s += '.';
          s += Padded(frac, dec);
        }
        return s;
      };
      if (Format == dfDegMin) {
        minText = withDecimals(rest / pow10, rest % pow10);
      } else {
        minText = Padded(rest / (60 * pow10), 2);
        rest %= 60 * pow10;
        secText = withDecimals(rest / pow10, rest % pow10);
      }
    }
    const bool zero =
        IsZeroText(degText) && IsZeroText(minText) && (Format == dfDegMin || IsZeroText(secText));
    body = degText + kDegreeSign + minText + "'";
    if (Format == dfDegMinSec) body += secText + "\"";
    if (Angle < 0 && !zero) body.insert(body.begin(), '-');
    return body;
  }
  body = Fixed(a, std::clamp(Decimals, 0, 15));
  if (Angle < 0 && !IsZeroText(body)) body.insert(body.begin(), '-');
  if (Format == dfDeg) body += kDegreeSign;
  return body;
}

std::string Hex(int64_t Value, int Digits) {
  if (Digits <= 0) return "";
  Digits = std::min(Digits, 64);
  std::string s(static_cast<size_t>(Digits), '0');
  uint64_t v = static_cast<uint64_t>(Value);
  for (int i = Digits - 1; i >= 0 && v != 0; --i) {
    s[static_cast<size_t>(i)] = kHexChars[v & 0xF];
    v >>= 4;
  }
  return s;
}

int64_t ScanHex(std::string_view Text, int& Pos) {
  if (Pos < 1 || static_cast<size_t>(Pos) > Text.size()) return 0;
  size_t i = static_cast<size_t>(Pos - 1);
  const size_t n = Text.size();
  if (Text[i] == '$' && i + 1 < n && HexCharValue(Text[i + 1]) >= 0)
    i += 1;
  else if (Text[i] == '0' && i + 2 < n && (Text[i + 1] == 'x' || Text[i + 1] == 'X') &&
           HexCharValue(Text[i + 2]) >= 0)
    i += 2;
  if (HexCharValue(Text[i]) < 0) return 0;
  uint64_t v = 0;
  for (; i < n; ++i) {
    const int d = HexCharValue(Text[i]);
    if (d < 0) break;
    v = (v << 4) | static_cast<uint64_t>(d);  // keeps the low 64 bits
  }
  Pos = static_cast<int>(i) + 1;
  return static_cast<int64_t>(v);
}

int64_t ScanDecimal(std::string_view Text, int& Pos) {
  constexpr int64_t kNoDigits = 1;  // see the header
  if (Pos < 1 || static_cast<size_t>(Pos) > Text.size()) return kNoDigits;
  size_t i = static_cast<size_t>(Pos - 1);
  const size_t n = Text.size();
  bool negative = false;
  if ((Text[i] == '-' || Text[i] == '+') && i + 1 < n && IsDigit(Text[i + 1])) {
    negative = Text[i] == '-';
    ++i;
  }
  if (!IsDigit(Text[i])) return kNoDigits;
  // Accumulate the magnitude; INT64_MIN has one more unit than INT64_MAX.
  const uint64_t limit = negative ? static_cast<uint64_t>(INT64_MAX) + 1 : INT64_MAX;
  uint64_t v = 0;
  bool saturated = false;
  for (; i < n && IsDigit(Text[i]); ++i) {
    const uint64_t d = static_cast<uint64_t>(Text[i] - '0');
    if (saturated || v > (limit - d) / 10) {
      saturated = true;
      continue;
    }
    v = v * 10 + d;
  }
  Pos = static_cast<int>(i) + 1;
  if (saturated) return negative ? INT64_MIN : INT64_MAX;
  if (negative)
    return v == static_cast<uint64_t>(INT64_MAX) + 1 ? INT64_MIN : -static_cast<int64_t>(v);
  return static_cast<int64_t>(v);
}

// ------------------------------------------------------------------ dates

namespace {

// Days from 1970-01-01 of the proleptic Gregorian date (y, m, d).
long long DaysFromCivil(long long y, unsigned m, unsigned d) {
  y -= m <= 2;
  const long long era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<long long>(doe) - 719468;
}

bool IsLeap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int DaysInMonth(int y, int m) {
  static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && IsLeap(y) ? 29 : kDays[m - 1];
}

// Reads exactly `count` digits at text[i]; false if any is missing.
bool Digits(std::string_view text, size_t& i, int count, int& value) {
  if (text.size() - i < static_cast<size_t>(count)) return false;
  value = 0;
  for (int k = 0; k < count; ++k) {
    const char c = text[i + static_cast<size_t>(k)];
    if (!IsDigit(c)) return false;
    value = value * 10 + (c - '0');
  }
  i += static_cast<size_t>(count);
  return true;
}

// Matches one of the twelve names of `table` at text[i], ignoring case and
// trailing blanks of the names; the longest match wins.
template <typename Table>
bool MonthName(std::string_view text, size_t& i, const Table& table, int& month) {
  size_t best = 0;
  month = 0;
  for (int k = 1; k <= 12; ++k) {
    std::string_view name = table[k];
    while (!name.empty() && name.back() == ' ') name.remove_suffix(1);
    if (name.empty() || name.size() <= best || text.size() - i < name.size()) continue;
    if (AnsiSameText(text.substr(i, name.size()), name)) {
      best = name.size();
      month = k;
    }
  }
  if (month == 0) return false;
  i += best;
  return true;
}

}  // namespace

double ScanDateTime(std::string_view Text, std::string_view Pattern, TLanguage Language, int& Pos) {
  if (Pos < 1 || static_cast<size_t>(Pos) > Text.size()) return 0;
  if (Language > lgSpanish) Language = lgEnglish;
  size_t i = static_cast<size_t>(Pos - 1);
  int year = 1900, month = 1, day = 1, hour = 0, minute = 0, second = 0, msec = 0;
  bool hasDate = false, hasTime = false;
  size_t p = 0;
  auto starts = [&](std::string_view tok) { return Pattern.substr(p, tok.size()) == tok; };
  while (p < Pattern.size()) {
    bool ok = true;
    if (starts("yyyy")) {
      ok = Digits(Text, i, 4, year) && year >= 1;
      p += 4;
      hasDate = true;
    } else if (starts("yy")) {
      ok = Digits(Text, i, 2, year);
      year += year < 50 ? 2000 : 1900;
      p += 2;
      hasDate = true;
    } else if (starts("mmmm")) {
      ok = MonthName(Text, i, MonthLong[Language], month);
      p += 4;
      hasDate = true;
    } else if (starts("mmm")) {
      ok = MonthName(Text, i, MonthShort[Language], month);
      p += 3;
      hasDate = true;
    } else if (starts("mm")) {
      ok = Digits(Text, i, 2, month);
      p += 2;
      hasDate = true;
    } else if (starts("dd")) {
      ok = Digits(Text, i, 2, day);
      p += 2;
      hasDate = true;
    } else if (starts("HH")) {
      ok = Digits(Text, i, 2, hour);
      p += 2;
      hasTime = true;
    } else if (starts("MM")) {
      ok = Digits(Text, i, 2, minute);
      p += 2;
      hasTime = true;
    } else if (starts("SS")) {
      ok = Digits(Text, i, 2, second);
      p += 2;
      hasTime = true;
    } else if (starts("zzz")) {
      ok = Digits(Text, i, 3, msec);
      p += 3;
      hasTime = true;
    } else {  // a separator: any one character
      ok = i < Text.size();
      ++i;
      ++p;
    }
    if (!ok) return 0;
  }
  if (!hasDate && !hasTime) return 0;
  if (month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month)) return 0;
  if (hour > 23 || minute > 59 || second > 59) return 0;
  const double time = (hour * 3600.0 + minute * 60.0 + second + msec / 1000.0) / 86400.0;
  double result = time;
  if (hasDate) {
    const double date = static_cast<double>(
        DaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) -
        DaysFromCivil(1899, 12, 30));
    result = date >= 0 ? date + time : date - time;
  }
  Pos = static_cast<int>(i) + 1;
  return result;
}

}  // namespace tkz
