// TCTab: MDL molfiles, CTab files and SD files (V2000).
//
// Reading. A record is first read whole into a list of atoms and bonds, then
// entered into the table, so that the table always keeps its invariants
// (bonds on both atoms, at most 10 of them, partners within 1..n), whatever
// the input. The atom block's charge and mass-difference columns are
// superseded by the property block: the first "M  CHG" or "M  RAD" line of a
// record sets every charge to 0 before its own values, the first "M  ISO"
// line every mass back to the element's; "M  ISO" carries absolute mass
// numbers. The table has no field for radicals: "M  RAD" values are checked
// and dropped (a radical is then counted as the closed-shell atom).
//
// Failures give false:
// - a counts line that is not two numbers, an atom count outside 1..63 or a
//   bond count beyond what 63 atoms can carry: the table is not touched;
// - an atom line that cannot be read (short, not numbers, an unknown element
//   symbol, a charge beyond -128..127, a mass outside 1..65535): the table
//   holds the atoms before it, no bonds, coordinates 0;
// - the input ending in the atom or bond block (or at a "$$$$" line there):
//   the table holds what was read, coordinates 0;
// - a bond naming an atom outside 1..n, an atom bonded to itself, type 0 or
//   not a number: that bond is not entered; a type above 4 is entered as 1;
//   a bond beyond an atom's tenth is not entered;
// - a property line naming an atom outside 1..n or holding a value out of
//   range: that line is not applied.
// In the last two cases the coordinates are still rescaled.
//
// Writing. Coordinates are written in angstrom-like units: scaled so that the
// mean bond length is about 1.5, by a multiple of 0.0001, so that whole-number
// coordinates are written exactly and a file read and written again reads
// back into the same table. Without bonds (or with bonds of length 0) the
// scale is 0.01. Charges of -3..3 and mass differences of -3..4 go into the
// atom block too, so that older readers see them.
#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <span>
#include <string_view>
#include <vector>

#include "chem/cdata.h"
#include "chem/cstruct.h"
#include "chem/ctab_lines_internal.h"
#include "core/text/streams.h"

namespace tkz {
namespace {

using ctab_lines::LineSource;

// A table with 63 atoms of 10 bonds each has 315 bonds.
constexpr long kMaxBondLines = kMaxCTAtoms * kMaxCTConn / 2;
constexpr double kMaxCoordinate = 1e9;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

// Characters first..first+count-1 (1-based) of the line, as far as it goes.
std::string_view Column(std::string_view line, size_t first, size_t count) {
  if (first - 1 >= line.size()) return {};
  return line.substr(first - 1, count);
}

std::vector<std::string_view> Tokens(std::string_view line) {
  std::vector<std::string_view> out;
  size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && IsBlank(line[i])) ++i;
    const size_t start = i;
    while (i < line.size() && !IsBlank(line[i])) ++i;
    if (i > start) out.push_back(line.substr(start, i - start));
  }
  return out;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// ParseInt beyond its common case.
[[gnu::noinline]] bool ParseIntSlow(std::string_view field, long& v) {
  const auto [p, ec] = std::from_chars(field.data(), field.data() + field.size(), v);
  return ec == std::errc() && p == field.data() + field.size();
}

// A whole field as a decimal integer (blanks around it allowed).
inline bool ParseInt(std::string_view field, long& v) {
  field = Trim(field);
  if (!field.empty() && field.front() == '+') field.remove_prefix(1);
  if (field.empty() || field.size() > 10 || field.front() == '+') return false;
  // The common case, a sign and up to 9 digits, without from_chars.
  const bool negative = field.front() == '-';
  if (field.size() > static_cast<size_t>(negative) && field.size() <= 9) {
    long n = 0;
    size_t i = negative ? 1 : 0;
    while (i < field.size() && IsDigit(field[i])) n = n * 10 + (field[i++] - '0');
    if (i == field.size()) {
      v = negative ? -n : n;
      return true;
    }
  }
  return ParseIntSlow(field, v);
}

// Plain fixed-point text, an optional minus, digits, an optional point and
// digits, at most 15 digits in all, is read exactly: the integer of its
// digits (below 2^53) divided by a power of ten (exact up to 1e22) is the
// correctly rounded double, the value from_chars gives. False for other text.
inline bool ParseFixedPoint(std::string_view field, double& v) {
  static constexpr std::array<double, 16> kPow10 = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                                    1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
  size_t i = 0;
  const bool negative = !field.empty() && field.front() == '-';
  if (negative) ++i;
  uint64_t m = 0;  // wraps harmlessly on long input, refused below
  int digits = 0, fraction = 0;
  while (i < field.size() && IsDigit(field[i])) {
    m = m * 10 + (field[i++] - '0');
    ++digits;
  }
  if (digits == 0) return false;  // ".5", "-", "inf" and the like
  if (i < field.size() && field[i] == '.') {
    ++i;
    while (i < field.size() && IsDigit(field[i])) {
      m = m * 10 + (field[i++] - '0');
      ++digits;
      ++fraction;
    }
    if (fraction == 0) return false;  // "1." is left to from_chars
  }
  if (i != field.size() || digits > 15) return false;
  const double x = static_cast<double>(m) / kPow10[fraction];
  v = negative ? -x : x;
  return true;
}

// ParseReal beyond plain fixed-point text.
[[gnu::noinline]] bool ParseRealSlow(std::string_view field, double& v) {
  const auto [p, ec] =
      std::from_chars(field.data(), field.data() + field.size(), v, std::chars_format::general);
  return ec == std::errc() && p == field.data() + field.size() && std::isfinite(v) &&
         std::fabs(v) < kMaxCoordinate;
}

// A whole field as a finite decimal number of moderate size.
inline bool ParseReal(std::string_view field, double& v) {
  field = Trim(field);
  if (!field.empty() && field.front() == '+') field.remove_prefix(1);
  if (field.empty() || field.front() == '+') return false;
  if (ParseFixedPoint(field, v)) return std::fabs(v) < kMaxCoordinate;
  return ParseRealSlow(field, v);
}

// Tested from the end: most lines end in a digit or a letter.
inline bool IsRecordEnd(std::string_view line) {
  size_t e = line.size();
  while (e > 0 && IsBlank(line[e - 1])) --e;
  return e >= 4 && line[e - 1] == '$' && Trim(line.substr(0, e)) == "$$$$";
}

struct MDLAtom {
  std::array<double, 3> xyz{};
  int Z = 0;
  int natural = 0;  // the mass of the symbol: the element's, 2 for D, 3 for T
  int mass = 0;
  int charge = 0;
};

bool Element(std::string_view sym, MDLAtom& at) {
  sym = Trim(sym);
  if (sym.size() == 1 && (sym[0] == 'D' || sym[0] == 'T')) {
    at.Z = 1;
    at.natural = sym[0] == 'D' ? 2 : 3;
    return true;
  }
  at.Z = AtomicNumber(sym);
  at.natural = IntAtWeight(at.Z);
  return at.Z >= 1;
}

// Charge code 1..7 is +3..-3 (4 is 0); other values are the charge itself.
bool ChargeFromCode(long code, int& charge) {
  if (code >= 1 && code <= 7) {
    charge = static_cast<int>(4 - code);
    return true;
  }
  if (code < -128 || code > 127) return false;
  charge = static_cast<int>(code);
  return true;
}

bool FinishAtom(long massDiff, long code, MDLAtom& at) {
  const long mass = at.natural + massDiff;
  if (mass < 1 || mass > 0xFFFF || !ChargeFromCode(code, at.charge)) return false;
  at.mass = static_cast<int>(mass);
  return true;
}

enum class LineForm { kNotColumns, kBad, kGood };

// The usual forms of a few column fields, read without the general parsers;
// each gives false for anything else, which the general parser then reads.
// Same values: the coordinate is the same integer divided by the same power
// of ten as in ParseFixedPoint.
//
// A 10-character coordinate as %10.4f writes it: blanks, an optional minus,
// 1 to 4 digits, the point, 4 digits.
inline bool CoordinateColumn(const char* f, double& v) {
  if (f[5] != '.') return false;
  int64_t m = 0;
  size_t i = 0;
  while (i < 5 && f[i] == ' ') ++i;
  const bool negative = i < 5 && f[i] == '-';
  if (negative) ++i;
  if (i == 5) return false;
  for (; i < 5; ++i) {
    if (!IsDigit(f[i])) return false;
    m = m * 10 + (f[i] - '0');
  }
  for (i = 6; i < 10; ++i) {
    if (!IsDigit(f[i])) return false;
    m = m * 10 + (f[i] - '0');
  }
  const double x = static_cast<double>(m) / 1e4;
  v = negative ? -x : x;
  return true;
}

// A 3-character integer field as %3d writes a number 0..999: "  7", " 12",
// "123".
inline bool SmallIntColumn(const char* f, long& v) {
  if (!IsDigit(f[2])) return false;
  if (f[0] == ' ' && f[1] == ' ') {
    v = f[2] - '0';
    return true;
  }
  if (!IsDigit(f[1]) || (f[0] != ' ' && !IsDigit(f[0]))) return false;
  v = (f[0] == ' ' ? 0 : (f[0] - '0') * 100) + (f[1] - '0') * 10 + (f[2] - '0');
  return true;
}

// Columns first..first+2 (1-based) as ParseInt reads them.
inline bool IntColumn3(std::string_view line, size_t first, long& v) {
  if (line.size() >= first + 2 && SmallIntColumn(line.data() + first - 1, v)) return true;
  return ParseInt(Column(line, first, 3), v);
}

// x, y, z in columns 1-30, the symbol in 32-34, the mass difference in 35-36
// and the charge code in 37-39 (both may be missing). A line whose first 30
// columns hold three numbers is judged by its columns alone.
LineForm ParseAtomColumns(std::string_view line, MDLAtom& at) {
  if (line.size() < 32 || !IsBlank(line[30])) return LineForm::kNotColumns;
  for (size_t i = 0; i < 3; ++i) {
    if (CoordinateColumn(line.data() + 10 * i, at.xyz[i])) continue;
    if (!ParseReal(Column(line, 1 + 10 * i, 10), at.xyz[i])) return LineForm::kNotColumns;
  }
  long diff = 0, code = 0;
  const std::string_view d = Column(line, 35, 2), c = Column(line, 37, 3);
  const bool codeRead = line.size() >= 39 && SmallIntColumn(line.data() + 36, code);
  const bool ok = Element(Column(line, 32, 3), at) && (Trim(d).empty() || ParseInt(d, diff)) &&
                  (codeRead || Trim(c).empty() || ParseInt(c, code)) && FinishAtom(diff, code, at);
  return ok ? LineForm::kGood : LineForm::kBad;
}

// The same fields separated by blanks.
bool ParseAtomFree(std::string_view line, MDLAtom& at) {
  const auto t = Tokens(line);
  if (t.size() < 4) return false;
  for (size_t i = 0; i < 3; ++i) {
    if (!ParseReal(t[i], at.xyz[i])) return false;
  }
  if (!Element(t[3], at)) return false;
  long diff = 0, code = 0;
  if (t.size() > 4 && !ParseInt(t[4], diff)) return false;
  if (t.size() > 5 && !ParseInt(t[5], code)) return false;
  return FinishAtom(diff, code, at);
}

// Atoms in columns 1-3 and 4-6, the type in 7-9.
LineForm ParseBondColumns(std::string_view line, long& a, long& b, long& type) {
  if (!IntColumn3(line, 1, a) || !IntColumn3(line, 4, b)) return LineForm::kNotColumns;
  return IntColumn3(line, 7, type) ? LineForm::kGood : LineForm::kBad;
}

bool ParseBondFree(std::string_view line, long& a, long& b, long& type) {
  const auto t = Tokens(line);
  return t.size() >= 3 && ParseInt(t[0], a) && ParseInt(t[1], b) && ParseInt(t[2], type);
}

// Applies one "M  CHG", "M  ISO" or "M  RAD" line: a count, then pairs of
// atom number and value. False when it cannot be applied.
bool ApplyProperty(std::string_view line, std::span<MDLAtom> atoms, bool& chargesReset,
                   bool& massesReset) {
  const std::string_view kind = line.substr(3, 3);
  const auto t = Tokens(line.substr(6));
  long count = 0;
  if (t.empty() || !ParseInt(t[0], count) || count < 1 ||
      static_cast<size_t>(count) * 2 + 1 > t.size()) {
    return false;
  }
  std::vector<std::pair<long, long>> pairs;
  for (long i = 0; i < count; ++i) {
    long a = 0, v = 0;
    if (!ParseInt(t[1 + 2 * i], a) || !ParseInt(t[2 + 2 * i], v)) return false;
    if (a < 1 || a > static_cast<long>(atoms.size())) return false;
    const bool fits = kind == "CHG"   ? v >= -128 && v <= 127
                      : kind == "ISO" ? v >= 1 && v <= 0xFFFF
                                      : v >= 0 && v <= 3;
    if (!fits) return false;
    pairs.emplace_back(a, v);
  }
  if (kind != "ISO" && !chargesReset) {
    for (auto& at : atoms) at.charge = 0;
    chargesReset = true;
  }
  if (kind == "ISO" && !massesReset) {
    for (auto& at : atoms) at.mass = at.natural;
    massesReset = true;
  }
  for (const auto& [a, v] : pairs) {
    if (kind == "CHG") atoms[a - 1].charge = static_cast<int>(v);
    if (kind == "ISO") atoms[a - 1].mass = static_cast<int>(v);
  }
  return true;
}

// The rescaling of the readers: y flipped, then every axis from its minimum,
// by the larger of 800 / x range and 600 / y range, no value beyond 32767.
void Rescale(std::span<MDLAtom> atoms) {
  if (atoms.empty()) return;
  for (auto& at : atoms) at.xyz[1] = -at.xyz[1];
  std::array<double, 3> lo = atoms[0].xyz, hi = atoms[0].xyz;
  for (const auto& at : atoms) {
    for (int i = 0; i < 3; ++i) {
      lo[i] = std::min(lo[i], at.xyz[i]);
      hi[i] = std::max(hi[i], at.xyz[i]);
    }
  }
  const double s = hi[0] - lo[0] > 1e-6 ? 800.0 / (hi[0] - lo[0]) : 0;
  const double t = hi[1] - lo[1] > 1e-6 ? 600.0 / (hi[1] - lo[1]) : 0;
  double scale = std::max(s, t);
  for (const auto& at : atoms) {
    for (int i = 0; i < 3; ++i) {
      const double d = at.xyz[i] - lo[i];
      if (d * scale > 32767) scale = 32767 / d;
    }
  }
  for (auto& at : atoms) {
    for (int i = 0; i < 3; ++i) {
      at.xyz[i] = std::min(32767.0, std::floor((at.xyz[i] - lo[i]) * scale + 0.5));
    }
  }
}

struct CTabResult {
  bool ok = false;
  bool countsValid = false;  // the table is to be cleared and filled
};

// A connection table as read, before it enters the table: the atoms read
// (their bonds empty) and the bonds to enter, none when the atom block was
// cut short.
struct CTabRead {
  std::array<CTElem, kMaxCTAtoms> atoms;
  int nAtoms = 0;
  std::array<std::array<int, 3>, kMaxBondLines> bonds;
  int nBonds = 0;
};

// The next line of the record; a "$$$$" line is given back and ends it.
inline bool NextInRecord(LineSource& in, std::string& line) {
  if (!in.Next(line)) return false;
  if (!IsRecordEnd(line)) return true;
  in.PushBack(std::move(line));
  line.clear();
  return false;
}

// Counts line, atom block, bond block and property block (up to "M  END",
// the end of the input, a "$$$$" line or an SD data header). FreeFormat lets
// atom and bond lines that are not in columns be read as blank-separated
// fields. With countsValid the table is cleared and filled through Enter
// (given the atoms and bonds read; false when a bond found no free slot).
template <class Enter>
CTabResult ReadCTab(LineSource& in, bool FreeFormat, std::string& line, const Enter& enter) {
  CTabRead rd;
  CTabResult r;
  long nAtoms = 0, nBonds = 0;
  if (!NextInRecord(in, line) || !ParseInt(Column(line, 1, 3), nAtoms) ||
      !ParseInt(Column(line, 4, 3), nBonds) || nAtoms < 1 || nAtoms > kMaxCTAtoms || nBonds < 0 ||
      nBonds > kMaxBondLines) {
    return r;
  }
  r.countsValid = true;
  bool ok = true, complete = true;
  std::array<MDLAtom, kMaxCTAtoms> buf;
  size_t count = 0;
  while (static_cast<long>(count) < nAtoms) {
    MDLAtom& at = buf[count];
    at = MDLAtom{};
    if (!NextInRecord(in, line)) {
      complete = ok = false;
      break;
    }
    const LineForm form = ParseAtomColumns(line, at);
    if (form == LineForm::kBad ||
        (form == LineForm::kNotColumns && !(FreeFormat && ParseAtomFree(line, at)))) {
      complete = ok = false;
      break;
    }
    ++count;
  }
  const std::span<MDLAtom> atoms(buf.data(), count);
  rd.nBonds = 0;
  for (long i = 0; complete && i < nBonds; ++i) {
    if (!NextInRecord(in, line)) {
      complete = ok = false;
      break;
    }
    long a = 0, b = 0, type = 0;
    const LineForm form = ParseBondColumns(line, a, b, type);
    if (form == LineForm::kBad ||
        (form == LineForm::kNotColumns && !(FreeFormat && ParseBondFree(line, a, b, type)))) {
      ok = false;
      continue;
    }
    if (a < 1 || a > nAtoms || b < 1 || b > nAtoms || a == b || type < 1) {
      ok = false;
      continue;
    }
    if (type > 4) {
      ok = false;
      type = 1;
    }
    rd.bonds[rd.nBonds++] = {static_cast<int>(a), static_cast<int>(b), static_cast<int>(type)};
  }
  if (complete) {
    bool chargesReset = false, massesReset = false;
    while (in.Next(line)) {
      if (IsRecordEnd(line) || line.starts_with('>')) {
        in.PushBack(std::move(line));
        break;
      }
      if (line.starts_with("M  END")) break;
      if (line.starts_with("M  CHG") || line.starts_with("M  ISO") || line.starts_with("M  RAD")) {
        if (!ApplyProperty(line, atoms, chargesReset, massesReset)) ok = false;
      }
    }
    Rescale(atoms);
  } else {
    for (auto& at : atoms) at.xyz = {};
  }
  if (static_cast<long>(count) != nAtoms) rd.nBonds = 0;

  rd.nAtoms = static_cast<int>(count);
  for (size_t i = 0; i < count; ++i) {
    const MDLAtom& at = atoms[i];
    CTElem& e = rd.atoms[i];
    e = CTElem{};
    e.AtType = static_cast<uint8_t>(at.Z);
    e.AtWeight = static_cast<uint16_t>(at.mass);
    e.Charge = static_cast<int8_t>(at.charge);
    for (int k = 0; k < 3; ++k) e.Coords[k + 1] = static_cast<float>(at.xyz[k]);
  }
  if (!enter(rd)) ok = false;
  r.ok = ok;
  return r;
}

template <class Enter>
bool ReadMol(TCTab& T, LineSource& in, const Enter& enter) {
  std::string name, line;
  if (!NextInRecord(in, name)) return false;
  const bool header = NextInRecord(in, line) && NextInRecord(in, line);
  const bool ok = header && ReadCTab(in, false, line, enter).ok;
  T.SetStrucName(name);
  return ok;
}

// The name between the first "<" and the next ">" of a data header line
// ("> <NAME>", ">  <NAME>  (1)", "> 25  <NAME>"), upper case; false for other
// lines.
bool DataHeaderName(std::string_view line, std::string& name) {
  if (!line.starts_with('>')) return false;
  const size_t open = line.find('<');
  if (open == std::string_view::npos) return false;
  const size_t close = line.find('>', open + 1);
  if (close == std::string_view::npos || close == open + 1) return false;
  name.assign(line.substr(open + 1, close - open - 1));
  for (char& c : name) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return true;
}

// The data items up to and including the "$$$$" line. A value that is not a
// number skips its item; the CAS items go to CAS when it is given.
void ReadDataItems(LineSource& in, TPropRec& Props, TCTab* CAS, std::string& line) {
  const auto& names = SDPropItemNames();
  std::string name, value;
  while (in.Next(line)) {
    if (IsRecordEnd(line)) break;
    if (!DataHeaderName(line, name)) continue;
    const bool isCAS = name == "CAS_RN" || name == "CASREGNR";
    const auto item = std::find(names.begin(), names.end(), name);
    if (!isCAS && item == names.end()) continue;
    if (!in.Next(value)) break;
    if (IsRecordEnd(value) || DataHeaderName(value, name)) {
      in.PushBack(std::move(value));
      continue;
    }
    if (isCAS) {
      if (CAS != nullptr) CAS->SetCASNr(value);
      continue;
    }
    double v = 0;
    if (!ParseReal(value, v)) continue;  // "120-122" and the like
    for (int k = 1; k <= kMaxPropItems; ++k) {
      if (Props[k].Name.empty()) {
        Props[k] = {*item, v};
        break;
      }
    }
  }
}

// ------------------------------------------------------------------ writing

std::string Format(const char* fmt, auto... args) {
  char buf[160];
  const int len = std::snprintf(buf, sizeof buf, fmt, args...);
  return std::string(buf, static_cast<size_t>(std::clamp(len, 0, int{sizeof buf} - 1)));
}

// Line breaks in header texts would break the layout.
std::string OneLine(std::string s) {
  for (char& c : s) {
    if (c == '\r' || c == '\n') c = ' ';
  }
  return s;
}

// The scale from table units to the written ones (see the top of the file).
double WriteScale(const TCTab& T) {
  double sum = 0, maxAbs = 0;
  int count = 0;
  for (int a = 1; a <= T.GetNAtoms(); ++a) {
    for (int i = 1; i <= 3; ++i) maxAbs = std::max(maxAbs, std::fabs(double{T.GetCoords(a, i)}));
    for (int k = 1; k <= kMaxCTConn; ++k) {
      const int b = T.GetConnTo(a, k);
      if (b <= a) continue;
      double d2 = 0;
      for (int i = 1; i <= 3; ++i) {
        const double d = double{T.GetCoords(a, i)} - T.GetCoords(b, i);
        d2 += d * d;
      }
      sum += std::sqrt(d2);
      ++count;
    }
  }
  const double mean = count > 0 ? sum / count : 0;
  double m = mean > 0 ? std::round(1.5 / mean * 1e4) : 100;
  m = std::max(m, 1.0);
  // %10.4f has room for -9999.9999.
  if (maxAbs > 0) m = std::min(m, std::floor(9999 / maxAbs * 1e4));
  return m >= 1 ? m / 1e4 : 9999 / maxAbs;
}

void AppendPropertyLines(std::vector<std::string>& out, const char* kind,
                         const std::vector<std::pair<int, int>>& pairs) {
  for (size_t i = 0; i < pairs.size(); i += 8) {
    const size_t k = std::min<size_t>(8, pairs.size() - i);
    std::string line = Format("M  %s%3d", kind, static_cast<int>(k));
    for (size_t j = i; j < i + k; ++j) line += Format(" %3d %3d", pairs[j].first, pairs[j].second);
    out.push_back(std::move(line));
  }
}

std::vector<std::string> CTabLines(const TCTab& T) {
  std::vector<std::string> out;
  const int n = T.GetNAtoms();
  const double f = WriteScale(T);
  std::vector<std::string> bondLines;
  for (int a = 1; a <= n; ++a) {
    for (int k = 1; k <= kMaxCTConn; ++k) {
      const int b = T.GetConnTo(a, k);
      if (b < 1 || b > n || b == a) continue;
      if (b < a && T.CheckConnect(b, a) != 0) continue;  // written from b
      bondLines.push_back(Format("%3d%3d%3d  0", a, b, T.GetTypConn(a, k)));
    }
  }
  out.push_back(
      // aaabbblllfffcccsssxxxrrrpppiiimmmvvvvvv: "V2000" in columns 35-39,
      // where other programs look for it; sss is obsolete and left blank.
      Format("%3d%3d  0  0  0     0  0  0  0999 V2000", n, static_cast<int>(bondLines.size())));
  std::vector<std::pair<int, int>> charges, masses;
  for (int a = 1; a <= n; ++a) {
    const CTElem e = T.GetAtomEntries(a);
    const int natural = IntAtWeight(e.AtType);
    const int charge = e.Charge;
    const int diff = e.AtWeight != 0 ? e.AtWeight - natural : 0;
    const int code = charge >= -3 && charge <= 3 && charge != 0 ? 4 - charge : 0;
    const std::string sym = e.AtType >= 1 ? CElemSymb(e.AtType) : "*";
    out.push_back(Format("%10.4f%10.4f%10.4f %-3s%2d%3d  0  0  0  0  0  0  0  0  0  0",
                         e.Coords[1] * f, -(e.Coords[2] * f), e.Coords[3] * f, sym.c_str(),
                         diff >= -3 && diff <= 4 ? diff : 0, code));
    if (charge != 0) charges.emplace_back(a, charge);
    if (diff != 0) masses.emplace_back(a, e.AtWeight);
  }
  out.insert(out.end(), bondLines.begin(), bondLines.end());
  AppendPropertyLines(out, "CHG", charges);
  AppendPropertyLines(out, "ISO", masses);
  out.emplace_back("M  END");
  return out;
}

std::vector<std::string> MolLines(const TCTab& T, const std::string& Name,
                                  const std::string& Program, int RegNo,
                                  const std::string& Comment) {
  std::vector<std::string> out;
  out.push_back(OneLine(Name.empty() ? T.GetStrucName() : Name));
  const std::time_t now = std::time(nullptr);
  std::tm tm{};
  localtime_r(&now, &tm);
  std::string line2 = Format("  %-8.8s%02d%02d%02d%02d%02d2D", OneLine(Program).c_str(),
                             tm.tm_mon + 1, tm.tm_mday, tm.tm_year % 100, tm.tm_hour, tm.tm_min);
  if (RegNo != 0) line2 += Format("%24s%6d", "", RegNo);
  out.push_back(std::move(line2));
  out.push_back(OneLine(Comment));
  const auto body = CTabLines(T);
  out.insert(out.end(), body.begin(), body.end());
  return out;
}

void Put(TTextFile& F, const std::vector<std::string>& lines) {
  for (const auto& l : lines) F.WriteLn(l);
}

void Put(TStream& S, const std::vector<std::string>& lines) {
  for (const auto& l : lines) WriteLnStream(&S, l);
}

}  // namespace

bool TCTab::EnterReadTable(const CTElem* Atoms, int NAtoms, const std::array<int, 3>* Bonds,
                           int NBonds) {
  Clear();
  for (int i = 0; i < NAtoms; ++i) AddAtom(Atoms[i]);
  // The slots of a fresh table fill without gaps, so an atom's partners are
  // its first deg slots: the slot MakeConnection picks is the one holding
  // the partner, else the next one.
  std::array<int, kMaxCTAtoms + 1> deg{};
  bool ok = true;
  for (int i = 0; i < NBonds; ++i) {
    const auto [a, b, type] = Bonds[i];
    const auto slot = [&](int from, int to) {
      const CTElem& e = atoms_[from];
      for (int k = 1; k <= deg[from]; ++k) {
        if (e.ConnTo[k] == to) return k;
      }
      return deg[from] < kMaxCTConn ? deg[from] + 1 : 0;
    };
    const int ka = slot(a, b), kb = slot(b, a);
    if (ka == 0 || kb == 0) {  // an 11th bond
      ok = false;
      continue;
    }
    if (ka > deg[a]) deg[a] = ka;
    if (kb > deg[b]) deg[b] = kb;
    atoms_[a].ConnTo[ka] = static_cast<uint8_t>(b);
    atoms_[a].TypConn[ka] = static_cast<uint8_t>(type);
    atoms_[b].ConnTo[kb] = static_cast<uint8_t>(a);
    atoms_[b].TypConn[kb] = static_cast<uint8_t>(type);
  }
  return ok;
}

bool TCTab::ReadFromMDLCTabFile(TTextFile& F) {
  ctab_lines::TextFileLines in(F);
  std::string line;
  const bool ok = ReadCTab(in, false, line, [this](const CTabRead& r) {
                    return EnterReadTable(r.atoms.data(), r.nAtoms, r.bonds.data(), r.nBonds);
                  }).ok;
  Changed();
  return ok;
}

bool TCTab::ReadFromMDLCTabStream(TStream& S) {
  ctab_lines::StreamLines in(S);
  std::string line;
  const bool ok = ReadCTab(in, false, line, [this](const CTabRead& r) {
                    return EnterReadTable(r.atoms.data(), r.nAtoms, r.bonds.data(), r.nBonds);
                  }).ok;
  in.Release();
  Changed();
  return ok;
}

bool TCTab::ReadFromMDLMolFile(TTextFile& F) {
  ctab_lines::TextFileLines in(F);
  const bool ok = ReadMol(*this, in, [this](const CTabRead& r) {
    return EnterReadTable(r.atoms.data(), r.nAtoms, r.bonds.data(), r.nBonds);
  });
  Changed();
  return ok;
}

bool TCTab::ReadFromMDLMolStream(TStream& S) {
  ctab_lines::StreamLines in(S);
  const bool ok = ReadMol(*this, in, [this](const CTabRead& r) {
    return EnterReadTable(r.atoms.data(), r.nAtoms, r.bonds.data(), r.nBonds);
  });
  in.Release();
  Changed();
  return ok;
}

namespace {
// One SD record (ReadFromMDLSDFile), entered by Enter (TCTab's
// EnterReadTable) and named through Name (its name field).
template <class Enter, class Name>
bool ReadSD(LineSource& in, TPropRec& Props, TCTab& T, Enter enter, Name name) {
  for (auto& p : Props) p = TPropItem{};
  std::string first, line;
  if (!in.Next(first)) return false;
  if (IsRecordEnd(first)) return false;  // an empty record
  bool ok = false;
  if (NextInRecord(in, line) && NextInRecord(in, line)) {
    const CTabResult r = ReadCTab(in, true, line, [&](const CTabRead& r) {
      return (T.*enter)(r.atoms.data(), r.nAtoms, r.bonds.data(), r.nBonds);
    });
    ok = r.ok;
    if (r.countsValid) T.*name = first;
    ReadDataItems(in, Props, r.countsValid ? &T : nullptr, line);
  } else {
    ReadDataItems(in, Props, nullptr, line);
  }
  T.Changed();
  return ok;
}
}  // namespace

bool TCTab::ReadFromMDLSDFile(TTextFile& F, TPropRec& Props) {
  ctab_lines::TextFileLines in(F);
  return ReadSD(in, Props, *this, &TCTab::EnterReadTable, &TCTab::name_);
}

bool TCTab::ReadFromMDLSDStream(TStream& S, TPropRec& Props) {
  ctab_lines::StreamLines in(S);
  const bool ok = ReadSD(in, Props, *this, &TCTab::EnterReadTable, &TCTab::name_);
  in.Release();
  return ok;
}

void TCTab::WriteToMDLCTabFile(TTextFile& F) const { Put(F, CTabLines(*this)); }

void TCTab::WriteToMDLCTabStream(TStream& S) const { Put(S, CTabLines(*this)); }

void TCTab::WriteToMDLMolFile(TTextFile& F, const std::string& Name, const std::string& Program,
                              int RegNo, const std::string& Comment) const {
  Put(F, MolLines(*this, Name, Program, RegNo, Comment));
}

void TCTab::WriteToMDLMolStream(TStream& S, const std::string& Name, const std::string& Program,
                                int RegNo, const std::string& Comment) const {
  Put(S, MolLines(*this, Name, Program, RegNo, Comment));
}

namespace {
// A value as the reader reads it back: the shortest text that gives the same
// double.
std::string ValueText(double v) {
  char buf[32];
  for (int digits = 6; digits <= 17; ++digits) {
    std::snprintf(buf, sizeof buf, "%.*g", digits, v);
    if (std::strtod(buf, nullptr) == v) break;
  }
  return buf;
}

// One SD record: the molfile, the CAS number and the data items, "$$$$".
std::vector<std::string> SDLines(const TCTab& T, const TPropRec& Props) {
  std::vector<std::string> lines = MolLines(T, T.GetStrucName(), "tkz", 0, "");
  if (T.GetCASNumber() != 0) {
    lines.push_back("> <CAS_RN>");
    lines.push_back(T.GetCASNr());
    lines.push_back("");
  }
  for (int k = 1; k <= kMaxPropItems; ++k) {
    const TPropItem& item = Props[k];
    if (item.Name.empty() || !std::isfinite(item.Value)) continue;
    lines.push_back("> <" + OneLine(item.Name) + ">");
    lines.push_back(ValueText(item.Value));
    lines.push_back("");
  }
  lines.push_back("$$$$");
  return lines;
}
}  // namespace

void TCTab::WriteToMDLSDFile(TTextFile& F, const TPropRec& Props) const {
  Put(F, SDLines(*this, Props));
}

}  // namespace tkz
