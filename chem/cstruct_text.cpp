// TCTab: the clear-text formats CONTAB and CTABG, and the connectivity export.
//
// CONTAB block (written by WriteToClearTextFile, read by ReadFromClearTextFile):
//
//   /CONTAB L N                       L = 2*N + name lines, N atoms
//    name text                        name lines: the first character is dropped,
//    more name text                   the rest appended to the name
//   1 6 12 0 0 1.5 -2 0 2 2 3 1 2     atom records, one a line when we write them
//   ...
//
// An atom record is: atom number (ignored, the records are numbered in their
// order), element (1..103), AtWeight (0..65535), Attrib (0..255), Charge
// (-128..127), x, y, z, the bond count k (0..10), k partner numbers, then k
// bond types. Every value is a blank-separated token, so line breaks may fall
// anywhere inside a record. Coordinates are taken as written (they are not
// rescaled); we write them in the shortest form that reads back to the same
// float. The writer cuts the name into lines of 72 characters and writes line
// ends inside it as blanks; the reader keeps at most 4096 characters of name.
// Only partners within the table are written, each once, with their types as
// stored (a type outside 1..4, which only the raw slot setters can store, is
// refused by the reader, as is the block of an empty table, N = 0).
//
// CTABG block (written by WriteToClearTextFileCTABG, read by
// ReadFromClearTextFileCTABG): "/CTABG L N", L - N name
// lines, then N records of element, AtWeight, Attrib, Charge, x, y, exactly 8
// partners and 8 bond types; partner 0 is an unused place (its type is not
// looked at). The writer leaves out z (the format has none) and refuses a
// table with an atom of more than 8 bonds.
//
// The keyword search reads up to a "/", collects at most 8 characters after
// it (stopping after a blank and before a line end) and looks for the keyword
// in them; otherwise it goes on with the next "/". The counts follow on the
// keyword's line.
//
// Bonds. A record may list a bond to an atom that comes later, and a bond may
// be listed on one of its atoms only. The records are read first; then each
// atom's partners are entered in the order listed, and every bond is entered
// on its other atom too (with the type listed on the lower-numbered atom where
// the two disagree). So a table read back from WriteToClearTextFile equals the
// one written, slot for slot.
//
// Bad input gives false, never an exception of ours, never a write outside the
// table: a token that is not a number (or does not fit its field), an element
// outside 1..103, a bond count outside 0..10, a partner outside 1..N, the atom
// itself or a partner listed twice, a bond type outside 1..4, an atom that
// would get more than 10 bonds through the bonds listed on its partners, N
// outside 1..63 or L <= 0, and the end of the file before the last record.
// With L <= 0, N < 1 or unreadable counts the table is left as it was.
// Otherwise it is cleared and keeps the name and the complete records read
// before the fault, with their bonds among each other (so N above 63 gives the
// first 63 atoms and false; no more records are read). The file is left after
// the last token read.
//
// Connectivity export (WriteToMolConnXFile), for topological-index programs:
//
//   line 1      the name (line ends written as blanks; may be empty)
//   line 2      A B               atom count, bond count
//   A lines     i SYMBOL MASS Q   atom number 1..A, element symbol, AtWeight,
//                                 formal charge ("?" for an atom without
//                                 element)
//   B lines     i j T             each bond once, i < j, type T (1 single,
//                                 2 double, 3 triple, 4 aromatic)
//
// Values are separated by one blank; lines end in CR LF. Mode 1 leaves out the
// hydrogen atoms and their bonds and numbers the other atoms 1..A in their
// order (the hydrogen-suppressed graph); any other Mode writes every atom.
#include <algorithm>
#include <array>
#include <charconv>
#include <climits>
#include <cmath>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "chem/cdata.h"
#include "chem/cstruct.h"

namespace tkz {

namespace {

constexpr size_t kMaxToken = 64;         // longer tokens are no numbers
constexpr size_t kMaxNameLine = 256;     // bytes kept of a name line
constexpr size_t kMaxNameLength = 4096;  // bytes kept of the whole name
constexpr size_t kNameChunk = 72;        // name bytes per written line
constexpr size_t kKeywordWindow = 8;     // characters looked at after "/"
constexpr int kCTabGPartners = 8;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// Blank-separated tokens across line breaks. Each token is read a byte at a
// time and never held beyond kMaxToken bytes.
class TokenReader {
 public:
  explicit TokenReader(TTextFile& F) : f_(F) {}

  // The next token; false at the end of the file or for a token too long to
  // be a number.
  bool Next(std::string& tok) {
    tok.clear();
    if (f_.SeekEof()) return false;
    while (!f_.Eoln()) {
      char c;
      f_.Read(c);
      if (IsBlank(c)) break;
      if (tok.size() == kMaxToken) return false;
      tok += c;
    }
    return true;
  }

  // An integer within Lo..Hi.
  bool Int(long long Lo, long long Hi, long long& v) {
    std::string tok;
    if (!Next(tok)) return false;
    std::string_view s = tok;
    if (!s.empty() && s.front() == '+') s.remove_prefix(1);
    const auto r = std::from_chars(s.data(), s.data() + s.size(), v);
    return !s.empty() && r.ec == std::errc() && r.ptr == s.data() + s.size() && v >= Lo && v <= Hi;
  }

  // A finite float.
  bool Float(float& v) {
    std::string tok;
    if (!Next(tok)) return false;
    std::string_view s = tok;
    if (!s.empty() && s.front() == '+') s.remove_prefix(1);
    const auto r = std::from_chars(s.data(), s.data() + s.size(), v);
    return !s.empty() && r.ec == std::errc() && r.ptr == s.data() + s.size() && std::isfinite(v);
  }

 private:
  TTextFile& f_;
};

// One atom record as read: its fields and its bonds in the order listed.
struct AtomRecord {
  CTElem Entry;
  int NBonds = 0;
  std::array<int, kMaxCTConn> Partner{};
  std::array<int, kMaxCTConn> Type{};
};

// Reads the fields common to both formats: element, AtWeight, Attrib, Charge
// and Axes coordinates.
bool ReadAtomFields(TokenReader& In, int Axes, CTElem& e) {
  long long z, w, attrib, charge;
  if (!In.Int(1, kMaxAtomicNumber, z) || !In.Int(0, 0xFFFF, w) || !In.Int(0, 255, attrib) ||
      !In.Int(-128, 127, charge))
    return false;
  e.AtType = static_cast<uint8_t>(z);
  e.AtWeight = static_cast<uint16_t>(w);
  e.Attrib = static_cast<uint8_t>(attrib);
  e.Charge = static_cast<int8_t>(charge);
  for (int axis = 1; axis <= Axes; ++axis) {
    if (!In.Float(e.Coords[axis])) return false;
  }
  return true;
}

// Adds the bond to Partner of type Type to record r (atom Self of N); false
// for a partner outside 1..N, the atom itself, a partner listed twice or a
// type outside 1..4.
bool AddBond(AtomRecord& r, int Self, long long N, long long Partner, long long Type) {
  if (Partner < 1 || Partner > N || Partner == Self || Type < 1 || Type > 4) return false;
  for (int k = 0; k < r.NBonds; ++k) {
    if (r.Partner[k] == Partner) return false;
  }
  r.Partner[r.NBonds] = static_cast<int>(Partner);
  r.Type[r.NBonds] = static_cast<int>(Type);
  ++r.NBonds;
  return true;
}

bool ReadContabRecord(TokenReader& In, int Self, long long N, AtomRecord& r) {
  long long number, k;
  if (!In.Int(LLONG_MIN, LLONG_MAX, number) || !ReadAtomFields(In, 3, r.Entry) ||
      !In.Int(0, kMaxCTConn, k))
    return false;
  std::array<long long, kMaxCTConn> partners{};
  for (long long i = 0; i < k; ++i) {
    if (!In.Int(LLONG_MIN, LLONG_MAX, partners[i])) return false;
  }
  for (long long i = 0; i < k; ++i) {
    long long type;
    if (!In.Int(LLONG_MIN, LLONG_MAX, type) || !AddBond(r, Self, N, partners[i], type))
      return false;
  }
  return true;
}

bool ReadCTabGRecord(TokenReader& In, int Self, long long N, AtomRecord& r) {
  if (!ReadAtomFields(In, 2, r.Entry)) return false;
  std::array<long long, kCTabGPartners> partners{};
  for (auto& p : partners) {
    if (!In.Int(LLONG_MIN, LLONG_MAX, p)) return false;
  }
  for (const long long p : partners) {
    long long type;
    if (!In.Int(LLONG_MIN, LLONG_MAX, type)) return false;
    if (p != 0 && !AddBond(r, Self, N, p, type)) return false;
  }
  return true;
}

// Searches the keyword as the file header describes; false at the end of
// the file.
bool FindKeyword(TTextFile& F, std::string_view Keyword) {
  std::string window;
  while (!F.Eof()) {
    char c;
    F.Read(c);
    if (c != '/') continue;
    window.clear();
    while (window.size() < kKeywordWindow && !F.Eoln()) {
      F.Read(c);
      window += c;
      if (IsBlank(c)) break;
    }
    if (window.find(Keyword) != std::string::npos) return true;
  }
  return false;
}

std::string NameOnOneLine(const std::string& Name) {
  std::string s = Name;
  for (char& c : s) {
    if (c == '\r' || c == '\n') c = ' ';
  }
  return s;
}

std::string FloatText(float v) {
  char buf[32];
  const auto r = std::to_chars(buf, buf + sizeof buf, v);
  return std::string(buf, r.ptr);
}

// What reading a body came to.
enum class BodyResult { kUntouched, kFault, kOk };

// The body of either format; CTabG selects the CTABG record layout. Clears
// the table once the counts are good, and collects the name and the records.
BodyResult ReadClearTextBody(TTextFile& F, bool CTabG, TCTab& T, std::string& Name,
                             std::vector<AtomRecord>& Records) {
  TokenReader in(F);
  long long l, n;
  if (!in.Int(LLONG_MIN, LLONG_MAX, l) || !in.Int(LLONG_MIN, LLONG_MAX, n))
    return BodyResult::kUntouched;
  F.ReadLn();
  if (l <= 0 || n < 1) return BodyResult::kUntouched;
  T.Clear();
  // L - 2N (CONTAB) or L - N (CTABG) name lines, computed without overflow.
  const long long names = n >= l ? 0 : (CTabG ? l - n : (l - n) - n);
  std::string line;
  for (long long i = 0; i < names; ++i) {
    if (F.Eof()) return BodyResult::kFault;
    F.ReadLn(line, kMaxNameLine);
    if (line.size() > 1 && Name.size() < kMaxNameLength)
      Name.append(line, 1, std::min(line.size() - 1, kMaxNameLength - Name.size()));
  }
  const int count = static_cast<int>(std::min<long long>(n, kMaxCTAtoms));
  for (int i = 1; i <= count; ++i) {
    AtomRecord r;
    if (!(CTabG ? ReadCTabGRecord(in, i, n, r) : ReadContabRecord(in, i, n, r)))
      return BodyResult::kFault;
    Records.push_back(r);
  }
  return n <= kMaxCTAtoms ? BodyResult::kOk : BodyResult::kFault;
}

// Enters the records read (all of them, or those before a fault) with their
// bonds in both directions; false when a bond found no room on its partner.
bool EnterRecords(TCTab& T, const std::vector<AtomRecord>& Records) {
  for (const AtomRecord& r : Records) {
    CTElem e = r.Entry;  // bonds are entered below, when every atom is there
    T.AddAtom(e);
  }
  const int n = T.GetNAtoms();
  for (int a = 1; a <= n; ++a) {
    const AtomRecord& r = Records[a - 1];
    for (int k = 0; k < r.NBonds; ++k) T.EnterConn(a, r.Partner[k], r.Type[k]);
  }
  bool ok = true;
  for (int a = 1; a <= n; ++a) {
    int slot = 1;
    while (slot <= kMaxCTConn && T.GetConnTo(a, slot) != 0) {
      const int b = T.GetConnTo(a, slot);
      const int type = T.GetTypConn(a, slot);
      if (T.CheckConnect(b, a) == 0 && T.GetNBonds(b) == kMaxCTConn) {
        // b is full: the bond cannot be held on both atoms, so drop it.
        T.MakeConnection(a, b, 0);
        ok = false;
        continue;
      }
      if (T.CheckConnect(b, a) != type) T.EnterConn(b, a, type);
      ++slot;
    }
  }
  return ok;
}

bool ReadClearText(TCTab& T, TTextFile& F, bool CTabG) {
  std::string name;
  std::vector<AtomRecord> records;
  records.reserve(kMaxCTAtoms);
  const BodyResult body = ReadClearTextBody(F, CTabG, T, name, records);
  if (body == BodyResult::kUntouched) return false;
  const bool bonds_ok = EnterRecords(T, records);
  T.SetStrucName(name);  // runs Changed
  return body == BodyResult::kOk && bonds_ok;
}

}  // namespace

bool TCTab::ReadConnTabBody(TTextFile& F) { return ReadClearText(*this, F, false); }

bool TCTab::ReadFromClearTextFile(TTextFile& F) {
  return FindKeyword(F, "CONTAB") && ReadConnTabBody(F);
}

bool TCTab::ReadFromClearTextFileCTABG(TTextFile& F) {
  return FindKeyword(F, "CTABG") && ReadClearText(*this, F, true);
}

namespace {
// What the readers take of atom a: its partners within the table, once each,
// with their types.
void PartnersOf(const std::array<CTElem, kMaxCTAtoms + 1>& atoms, int n, int a,
                std::vector<int>& partners, std::vector<int>& types) {
  partners.clear();
  types.clear();
  const CTElem& e = atoms[a];
  for (int k = 1; k <= kMaxCTConn; ++k) {
    const int b = e.ConnTo[k];
    if (b < 1 || b > n || b == a) continue;
    if (std::find(partners.begin(), partners.end(), b) != partners.end()) continue;
    partners.push_back(b);
    types.push_back(e.TypConn[k]);
  }
}

// Appends a blank and the value (appending piece by piece: GCC 12 warns
// falsely on long chains of string additions).
template <typename T>
void Field(std::string& s, const T& v) {
  if (!s.empty()) s += ' ';
  if constexpr (std::is_same_v<T, std::string>) {
    s += v;
  } else {
    s += std::to_string(v);
  }
}

// The keyword line and the name lines of a block with L = PerAtom * n + name
// lines.
void WriteBlockHead(TTextFile& F, const char* keyword, int PerAtom, int n,
                    const std::string& name_text) {
  const std::string name = NameOnOneLine(name_text);
  const size_t lines = (name.size() + kNameChunk - 1) / kNameChunk;
  std::string head = std::string("/") + keyword;
  Field(head, int64_t{PerAtom} * n + static_cast<int64_t>(lines));
  Field(head, n);
  F.WriteLn(head);
  for (size_t i = 0; i < lines; ++i) {
    std::string line = " ";
    line += name.substr(i * kNameChunk, kNameChunk);
    F.WriteLn(line);
  }
}

void AtomHead(std::string& s, const CTElem& e) {
  Field(s, int{e.AtType});
  Field(s, int{e.AtWeight});
  Field(s, int{e.Attrib});
  Field(s, int{e.Charge});
}
}  // namespace

void TCTab::WriteToClearTextFile(TTextFile& F) const {
  WriteBlockHead(F, "CONTAB", 2, n_, name_);
  std::vector<int> partners, types;
  for (int a = 1; a <= n_; ++a) {
    const CTElem& e = atoms_[a];
    PartnersOf(atoms_, n_, a, partners, types);
    std::string s;
    Field(s, a);
    AtomHead(s, e);
    for (int axis = 1; axis <= 3; ++axis) Field(s, FloatText(e.Coords[axis]));
    Field(s, partners.size());
    for (const int p : partners) Field(s, p);
    for (const int t : types) Field(s, t);
    F.WriteLn(s);
  }
}

bool TCTab::WriteToClearTextFileCTABG(TTextFile& F) const {
  std::vector<int> partners, types;
  for (int a = 1; a <= n_; ++a) {
    PartnersOf(atoms_, n_, a, partners, types);
    if (partners.size() > 8) return false;  // a record has 8 places
  }
  WriteBlockHead(F, "CTABG", 1, n_, name_);
  for (int a = 1; a <= n_; ++a) {
    const CTElem& e = atoms_[a];
    PartnersOf(atoms_, n_, a, partners, types);
    partners.resize(8, 0);
    types.resize(8, 0);
    std::string s;
    AtomHead(s, e);
    for (int axis = 1; axis <= 2; ++axis) Field(s, FloatText(e.Coords[axis]));
    for (const int p : partners) Field(s, p);
    for (const int t : types) Field(s, t);
    F.WriteLn(s);
  }
  return true;
}

void TCTab::WriteToMolConnXFile(int Mode, TTextFile& F) const {
  const bool heavy_only = Mode == 1;
  std::array<int, kMaxCTAtoms + 1> number{};  // our atom -> written atom, 0 = left out
  int atoms = 0;
  for (int a = 1; a <= n_; ++a) {
    if (!heavy_only || atoms_[a].AtType != 1) number[a] = ++atoms;
  }
  struct Bond {
    int i, j, type;
  };
  std::vector<Bond> bonds;
  std::array<std::array<bool, kMaxCTAtoms + 1>, kMaxCTAtoms + 1> seen{};
  for (int a = 1; a <= n_; ++a) {
    for (int k = 1; k <= kMaxCTConn; ++k) {
      const int b = atoms_[a].ConnTo[k];
      if (b < 1 || b > n_ || b == a || number[a] == 0 || number[b] == 0) continue;
      const int i = std::min(number[a], number[b]), j = std::max(number[a], number[b]);
      if (seen[i][j]) continue;
      seen[i][j] = true;
      bonds.push_back({i, j, atoms_[a].TypConn[k]});
    }
  }
  F.WriteLn(NameOnOneLine(name_));
  F.WriteLn(std::to_string(atoms) + " " + std::to_string(bonds.size()));
  for (int a = 1; a <= n_; ++a) {
    if (number[a] == 0) continue;
    const CTElem& e = atoms_[a];
    const std::string symbol = e.AtType != 0 ? CElemSymb(e.AtType) : "?";
    F.WriteLn(std::to_string(number[a]) + " " + symbol + " " + std::to_string(e.AtWeight) + " " +
              std::to_string(e.Charge));
  }
  for (const Bond& b : bonds) {
    F.WriteLn(std::to_string(b.i) + " " + std::to_string(b.j) + " " + std::to_string(b.type));
  }
}

}  // namespace tkz
