// TStringArray: searching cells and reading them as numbers.
#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>

#include "core/dstruct/strarray.h"
#include "core/text/charcase.h"
#include "core/text/stringl.h"

namespace tkz {

namespace {
std::string Lower(std::string_view s) { return AsciiLowerCase(s); }

// A complete decimal literal: [sign] digits [. digits] [(E|e) [sign] digits],
// at least one digit in the mantissa.
bool ParseLiteral(const std::string& s, double& v) {
  size_t i = 0, n = s.size();
  if (i < n && (s[i] == '+' || s[i] == '-')) ++i;
  size_t digits = 0;
  while (i < n && s[i] >= '0' && s[i] <= '9') ++i, ++digits;
  if (i < n && s[i] == '.') {
    ++i;
    while (i < n && s[i] >= '0' && s[i] <= '9') ++i, ++digits;
  }
  if (digits == 0) return false;
  if (i < n && (s[i] == 'e' || s[i] == 'E')) {
    ++i;
    if (i < n && (s[i] == '+' || s[i] == '-')) ++i;
    size_t ed = 0;
    while (i < n && s[i] >= '0' && s[i] <= '9') ++i, ++ed;
    if (ed == 0) return false;
  }
  if (i != n) return false;
  const size_t start = (s[0] == '+') ? 1 : 0;
  const auto res = std::from_chars(s.data() + start, s.data() + n, v);
  if (res.ec == std::errc::result_out_of_range) {
    // Overflow gives an infinity of the right sign, underflow zero.
    const bool neg = s[0] == '-';
    const size_t e = s.find_first_of("eE");
    const bool tiny = e != std::string::npos && s.find('-', e) != std::string::npos;
    v = tiny ? (neg ? -0.0 : 0.0) : (neg ? -HUGE_VAL : HUGE_VAL);
    return true;
  }
  return res.ec == std::errc();
}
}  // namespace

bool TStringArray::FindCell(std::string_view Text, bool MatchCase, int ColLo, int ColHi, int RowLo,
                            int RowHi, int& Col, int& Row) const {
  return FindCellIntern(Text, MatchCase, ColLo, ColHi, RowLo, RowHi, Col, Row, false);
}

bool TStringArray::FindCellExact(std::string_view Text, bool MatchCase, int ColLo, int ColHi,
                                 int RowLo, int RowHi, int& Col, int& Row) const {
  return FindCellIntern(Text, MatchCase, ColLo, ColHi, RowLo, RowHi, Col, Row, true);
}

bool TStringArray::FindCellIntern(std::string_view Text, bool MatchCase, int ColLo, int ColHi,
                                  int RowLo, int RowHi, int& Col, int& Row, bool Exact) const {
  if (!Exact && Text.empty()) return false;
  const std::string t = MatchCase ? std::string(Text) : Lower(Text);
  if (ColLo == -1 || ColHi == -1) {
    ColLo = 0;
    ColHi = ncols_;
  } else {
    ColLo = std::clamp(ColLo, 0, ncols_);
    ColHi = std::clamp(ColHi, 0, ncols_);
  }
  if (RowLo == -1 && RowHi == -1) {
    RowLo = 1;
    RowHi = nrows_;
  } else {
    RowLo = std::clamp(RowLo, 1, nrows_);
    RowHi = std::clamp(RowHi, 1, nrows_);
  }
  if (ColLo > ColHi) std::swap(ColLo, ColHi);
  if (RowLo > RowHi) std::swap(RowLo, RowHi);
  for (int r = RowLo; r <= RowHi; ++r)
    for (int c = ColLo; c <= ColHi; ++c) {
      const std::string_view raw = View(H(c, Phys(r)));
      const std::string cell = MatchCase ? std::string(raw) : Lower(raw);
      if (Exact ? cell == t : cell.find(t) != std::string::npos) {
        Col = c;
        Row = r;
        return true;
      }
    }
  return false;
}

bool TStringArray::FindCellInSortedColumn(std::string_view Text, bool MatchCase, int Col, int RowLo,
                                          int RowHi, bool Ascending, int& Row) const {
  const std::string t = MatchCase ? std::string(Text) : Lower(Text);
  // Cell against the (already folded) text by byte value, without copies.
  auto cmp = [&](int r) {
    const std::string_view c = View(H(Col, Phys(r)));
    const size_t n = std::min(c.size(), t.size());
    for (size_t i = 0; i < n; ++i) {
      auto x = static_cast<unsigned char>(c[i]);
      if (!MatchCase) x = static_cast<unsigned char>(AsciiLowerChar(static_cast<char>(x)));
      const auto y = static_cast<unsigned char>(t[i]);
      if (x != y) return x < y ? -1 : 1;
    }
    return c.size() == t.size() ? 0 : (c.size() < t.size() ? -1 : 1);
  };
  if (RowLo == -1 && RowHi == -1) {
    RowLo = 1;
    RowHi = nrows_;
  }
  Col = std::clamp(Col, 0, ncols_);
  int lo = std::clamp(RowLo, 1, nrows_);
  int hi = std::clamp(RowHi, 1, nrows_);
  if (lo > hi) std::swap(lo, hi);
  bool found = false;
  int row = lo + (hi - lo) / 2;
  while (!found && lo < hi) {
    const int mid = lo + (hi - lo) / 2;
    row = mid;
    const int d = cmp(mid);
    if (d == 0)
      found = true;
    else if ((d > 0) == Ascending)
      hi = mid;
    else
      lo = mid + 1;
  }
  if (!found && lo == hi) {
    row = lo;
    found = cmp(lo) == 0;
  }
  if (found)
    while (row - 1 >= 1 && cmp(row - 1) == 0) --row;
  Row = row;
  return found;
}

double TStringArray::GetAsNumber(int Col, int Row) const {
  const std::string raw = GetString(Col, Row);
  const std::string s = ReplaceCharInString(StripLTBlanks(raw), ',', '.');
  if (s.empty()) return 0.0;
  double v = 0;
  if (!ParseLiteral(s, v))
    throw ETKZDStructError("Class TStringArray: invalid numeric string: [" + std::to_string(Col) +
                           "," + std::to_string(Row) + "]: " + raw);
  return v;
}

int32_t TStringArray::GetAsInteger(int Col, int Row) const {
  const double v = GetAsNumber(Col, Row);
  if (v < -2147483647.0) return -2147483647;
  if (v > 2147483647.0) return 2147483647;
  return static_cast<int32_t>(std::nearbyint(v));
}

}  // namespace tkz
