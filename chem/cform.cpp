#include "chem/cform.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <map>
#include <utility>

#include "chem/cdata.h"
#include "core/numkit/math1.h"
#include "core/types/tkzbase.h"

namespace tkz {

namespace {

// Upper-cased symbols of one to three letters, packed as a key: each letter
// A..Z is 1..26 in base 27. The table gives the atomic number of every key
// (0 = no element); it is built once from the element table.
constexpr int kSymbolKeys = 27 * 27 * 27;

struct SymbolTable {
  std::array<uint8_t, kSymbolKeys> z{};
  SymbolTable() {
    for (int e = 1; e <= kMaxAtomicNumber; ++e) {
      int key = 0;
      for (char c : CElemSymb(e)) key = key * 27 + (AsciiUpper(c) - 'A' + 1);
      if (key > 0 && key < kSymbolKeys && z[key] == 0) z[key] = static_cast<uint8_t>(e);
    }
  }
  static char AsciiUpper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; }
};

const SymbolTable& Symbols() {
  static const SymbolTable table;
  return table;
}

enum CharKind : uint8_t { kLetter, kDigit, kSeparator, kOther, kStop };

constexpr std::array<uint8_t, 256> MakeKinds() {
  std::array<uint8_t, 256> k{};
  for (int c = 0; c < 256; ++c) {
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) {
      k[c] = kLetter;
    } else if (c >= '0' && c <= '9') {
      k[c] = kDigit;
    } else if (c == ' ' || c == ',' || c == '.') {
      k[c] = kSeparator;
    } else if (c == 0 || c == '(' || c == ')') {
      k[c] = kStop;
    } else {
      k[c] = kOther;
    }
  }
  return k;
}
constexpr std::array<uint8_t, 256> kKind = MakeKinds();

// Decimal accumulation that stops growing past the count limit, so that a
// run of digits of any length cannot overflow.
void AddDigit(int64_t& v, char c) {
  if (v <= kMaxFormulaCount) v = v * 10 + (c - '0');
}

bool ValidIndex(int i, int n) { return i >= 1 && i <= n; }

}  // namespace

TMolForm::TMolForm(TComponent* AOwner) : TGraphicControl(AOwner) {
  SetBounds(0, 0, 120, 28);
  form_.NumAtoms = 2;
  form_.AtNum[1] = 1;
  form_.AtWgt[1] = 1;
  form_.AtCnt[1] = 2;
  form_.AtNum[2] = 8;
  form_.AtWgt[2] = 16;
  form_.AtCnt[2] = 1;
}

// ------------------------------------------------------------------ reading

bool TMolForm::ScanNextFormPart(std::string_view Text, int& Pos, int& Count, int& MassNr,
                                int& AtNr) {
  const int64_t len = static_cast<int64_t>(Text.size());
  int64_t p = std::max(Pos, 1);
  int state = 0;
  int key = 0;      // the symbol's letters, base 27
  int letters = 0;  // how many
  int64_t mass = 0;
  int64_t count = 0;
  bool ended = false;
  while (!ended) {
    const char c = p <= len ? Text[p - 1] : '\0';
    const uint8_t kind = kKind[static_cast<uint8_t>(c)];
    if (kind == kStop) break;
    const auto letter = [&] {
      if (letters < 4) key = key * 27 + (SymbolTable::AsciiUpper(c) - 'A' + 1);
      ++letters;
    };
    switch (state) {
      case 0:  // start
        if (kind == kLetter) {
          letter();
          state = 3;
        } else if (kind == kDigit) {
          AddDigit(mass, c);
          state = 1;
        }
        break;
      case 1:  // mass number
        if (kind == kLetter) {
          letter();
          state = 3;
        } else if (kind == kDigit) {
          AddDigit(mass, c);
        } else if (kind == kSeparator) {
          state = 2;
        }
        break;
      case 2:  // after the mass number
        if (kind == kLetter) {
          letter();
          state = 3;
        } else if (kind == kDigit) {
          ended = true;
        }
        break;
      case 3:  // symbol
        if (kind == kLetter) {
          letter();
        } else if (kind == kDigit) {
          AddDigit(count, c);
          state = 5;
        } else if (kind == kSeparator) {
          state = 4;
        }
        break;
      case 4:  // after the symbol
        if (kind == kLetter) {
          ended = true;
        } else if (kind == kDigit) {
          AddDigit(count, c);
          state = 5;
        }
        break;
      default:  // 5, count
        if (kind == kDigit) {
          AddDigit(count, c);
        } else if (kind == kLetter || kind == kSeparator) {
          ended = true;
        }
        break;
    }
    if (!ended) ++p;
  }
  Pos = static_cast<int>(std::min<int64_t>(p, std::numeric_limits<int>::max()));
  if (letters == 0 || letters > 3) return false;
  int z = 0;
  if (key == 4) {  // "D"
    z = 1;
  } else {
    z = Symbols().z[key];
  }
  if (z == 0) return false;
  int64_t m = mass;
  if (m == 0) m = key == 4 ? 2 : IntAtWeight(z);
  if (count == 0) count = 1;
  if (m > kMaxFormulaCount || count > kMaxFormulaCount) return false;
  AtNr = z;
  MassNr = static_cast<int>(m);
  Count = static_cast<int>(count);
  return true;
}

bool TMolForm::AppendEntry(int AtNr, int MassNr, int64_t Count) {
  if (form_.NumAtoms >= kMaxFormulaEntries || Count > kMaxFormulaCount) return false;
  const int i = ++form_.NumAtoms;
  form_.AtNum[i] = static_cast<uint8_t>(AtNr);
  form_.AtWgt[i] = MassNr;
  form_.AtCnt[i] = static_cast<int32_t>(Count);
  return true;
}

namespace {
// The 1-based position of the first character from Pos on that is not a
// separator; past the end when there is none.
int SkipSeparators(std::string_view Text, int Pos) {
  size_t i = static_cast<size_t>(std::max(Pos, 1)) - 1;
  while (i < Text.size() && kKind[static_cast<uint8_t>(Text[i])] == kSeparator) ++i;
  return static_cast<int>(i) + 1;
}
}  // namespace

void TMolForm::ScanMolFormula(std::string_view Text) {
  form_ = TFormulaRec{};
  const int len =
      static_cast<int>(std::min<size_t>(Text.size(), std::numeric_limits<int>::max() - 2));
  Text = Text.substr(0, static_cast<size_t>(len));
  int64_t multiplier = 1;
  int pos = 1;
  bool ok = true;
  scan_stop_ = len + 1;
  while (ok && pos <= len) {
    // Blanks before a parenthesis would make an empty part and end the
    // formula ("C H3 (C H2)2 O H"): they are passed over.
    pos = SkipSeparators(Text, pos);
    if (pos > len) break;
    const char c = Text[pos - 1];
    if (c == '(') {
      const size_t close = Text.find(')', static_cast<size_t>(pos));
      if (close != std::string_view::npos) {
        int after = static_cast<int>(close) + 2;
        const int64_t m = ScanDecimal(Text, after);
        // A multiplier below 1 (")-2", ")0") would remove or negate the
        // group's atoms: it counts as 1.
        multiplier = m < 1 ? 1 : std::min<int64_t>(m, kMaxFormulaCount + 1);
      }
      ++pos;
    } else if (c == ')') {
      multiplier = 1;
      ++pos;
      ScanDecimal(Text, pos);
    } else {
      const int start = pos;
      int count = 0, mass = 0, z = 0;
      ok = ScanNextFormPart(Text, pos, count, mass, z) && AppendEntry(z, mass, count * multiplier);
      if (!ok) scan_stop_ = SkipSeparators(Text, start);
    }
  }
  ShowIt();
}

void TMolForm::ReadFromString(std::string_view Text) {
  form_ = TFormulaRec{};
  const int len =
      static_cast<int>(std::min<size_t>(Text.size(), std::numeric_limits<int>::max() - 2));
  Text = Text.substr(0, static_cast<size_t>(len));
  int pos = 1;
  scan_stop_ = len + 1;
  for (;;) {
    const int start = pos;
    int count = 0, mass = 0, z = 0;
    if (!ScanNextFormPart(Text, pos, count, mass, z) || !AppendEntry(z, mass, count)) {
      scan_stop_ = SkipSeparators(Text, start);
      break;
    }
  }
  ShowIt();
}

void TMolForm::SetMolFormula(const std::string& Text) {
  mol_formula_ = Text;
  ScanMolFormula(Text);
}

std::string TMolForm::GetMolFormula() const { return AsString(1); }

void TMolForm::Clear() {
  mol_formula_.clear();
  form_ = TFormulaRec{};
  scan_stop_ = 1;
  ShowIt();
}

// ------------------------------------------------------------------ writing

std::string TMolForm::ChemElem(int AtNr, int MassNr, int Count, int Mode) {
  if (AtNr < 1 || AtNr > kMaxAtomicNumber || Count <= 0) return {};
  std::string s;
  if (Mode == 1) s = std::to_string(MassNr);
  s += (AtNr == 1 && MassNr == 2) ? std::string("D") : CElemSymb(AtNr);
  if (Count > 1) s += std::to_string(Count);
  return s;
}

std::string TMolForm::AsString(int Mode) const {
  std::string s;
  if (form_.NumAtoms < 1 || form_.NumAtoms > kMaxFormulaEntries) return s;
  for (int i = 1; i <= form_.NumAtoms; ++i) {
    s += ChemElem(form_.AtNum[i], form_.AtWgt[i], form_.AtCnt[i], Mode);
    // With mass numbers, a count of 1 left out would let the next entry's
    // mass number read as this entry's count ("23Na 35Cl" is Na35 Cl): it
    // is written when an entry follows ("23Na1 35Cl").
    if (Mode == 1 && form_.AtCnt[i] == 1 && i < form_.NumAtoms && form_.AtNum[i] >= 1 &&
        form_.AtNum[i] <= kMaxAtomicNumber) {
      s += '1';
    }
    s += ' ';
  }
  return s;
}

// ------------------------------------------------------------------ weights

double TMolForm::ChemMolWgt() const {
  double w = 0;
  for (int i = 1; i <= form_.NumAtoms; ++i) w += ChemAtWeight(form_.AtNum[i]) * form_.AtCnt[i];
  return w;
}

double TMolForm::ExactMolWgt() const {
  double w = 0;
  for (int i = 1; i <= form_.NumAtoms; ++i) w += ExactAtWeight(form_.AtNum[i]) * form_.AtCnt[i];
  return w;
}

int64_t TMolForm::NominalMolWgt() const {
  int64_t w = 0;
  for (int i = 1; i <= form_.NumAtoms; ++i) w += int64_t{form_.AtWgt[i]} * form_.AtCnt[i];
  return w;
}

int TMolForm::CompareTo(const TMolForm& Other) const {
  if (form_.NumAtoms < 1 || Other.form_.NumAtoms < 1) return -2;
  std::map<std::pair<int, int>, int64_t> diff;
  for (int i = 1; i <= form_.NumAtoms; ++i) {
    diff[{form_.AtNum[i], form_.AtWgt[i]}] += form_.AtCnt[i];
  }
  for (int i = 1; i <= Other.form_.NumAtoms; ++i) {
    diff[{Other.form_.AtNum[i], Other.form_.AtWgt[i]}] -= Other.form_.AtCnt[i];
  }
  bool positive = false, negative = false;
  for (const auto& [pair, d] : diff) {
    positive |= d > 0;
    negative |= d < 0;
  }
  if (!positive && !negative) return 0;
  if (!positive) return 2;
  if (!negative) return 1;
  return -1;
}

// ------------------------------------------------------------------ entries

void TMolForm::SetNumAtoms(int n) {
  if (n < 1 || n > kMaxFormulaEntries) return;
  form_.NumAtoms = n;
  Invalidate();
}

int TMolForm::GetAtNum(int i) const { return ValidIndex(i, form_.NumAtoms) ? form_.AtNum[i] : 0; }
int TMolForm::GetAtCnt(int i) const { return ValidIndex(i, form_.NumAtoms) ? form_.AtCnt[i] : 0; }
int TMolForm::GetAtWgt(int i) const { return ValidIndex(i, form_.NumAtoms) ? form_.AtWgt[i] : 0; }

void TMolForm::SetAtNum(int i, int AtNr) {
  if (!ValidIndex(i, form_.NumAtoms) || AtNr < 1 || AtNr > kMaxAtomicNumber) return;
  form_.AtNum[i] = static_cast<uint8_t>(AtNr);
  Invalidate();
}

void TMolForm::SetAtCnt(int i, int Count) {
  if (!ValidIndex(i, form_.NumAtoms) || Count < 0 || Count > kMaxFormulaCount) return;
  form_.AtCnt[i] = Count;
  Invalidate();
}

void TMolForm::SetAtWgt(int i, int MassNr) {
  if (!ValidIndex(i, form_.NumAtoms) || MassNr < 0 || MassNr > kMaxFormulaCount) return;
  form_.AtWgt[i] = MassNr;
  Invalidate();
}

void TMolForm::SetFormulaRec(const TFormulaRec& Rec) {
  form_ = Rec;
  form_.NumAtoms = std::clamp(Rec.NumAtoms, 0, kMaxFormulaEntries);
  for (int i = 1; i <= kMaxFormulaEntries; ++i) {
    form_.AtCnt[i] = std::clamp(form_.AtCnt[i], 0, kMaxFormulaCount);
    form_.AtWgt[i] = std::clamp(form_.AtWgt[i], 0, kMaxFormulaCount);
  }
  ShowIt();
}

// --------------------------------------------------------------- appearance

void TMolForm::ShowIt() {
  if (transparent_) {
    Invalidate();
  } else {
    Repaint();
  }
}

void TMolForm::SetColorTxt(TColor c) {
  if (c == color_txt_) return;
  color_txt_ = c;
  Repaint();
}

void TMolForm::SetColorBkg(TColor c) {
  if (c == color_bkg_) return;
  color_bkg_ = c;
  Repaint();
}

void TMolForm::SetUseDeuter(bool b) {
  if (b == use_deuterium_) return;
  use_deuterium_ = b;
  ShowIt();
}

void TMolForm::SetShowAsText(bool b) {
  if (b == show_as_text_) return;
  show_as_text_ = b;
  ShowIt();
}

void TMolForm::SetIsotVis(TIsotVisib v) {
  if (v == isotope_vis_) return;
  isotope_vis_ = v;
  ShowIt();
}

void TMolForm::SetAlignment(TAlignment a) {
  if (a == alignment_) return;
  alignment_ = a;
  ShowIt();
}

void TMolForm::SetTransparent(bool b) {
  if (b == transparent_) return;
  transparent_ = b;
  SetParentBackground(b);
  if (b) {
    Invalidate();
  } else {
    Repaint();
  }
}

void TMolForm::SetParentFont(bool b) {
  if (b == parent_font_) return;
  parent_font_ = b;
  ShowIt();
}

// -------------------------------------------------------------------- assign

void TMolForm::Assign(const TPersistent* Source) {
  const auto* src = dynamic_cast<const TMolForm*>(Source);
  if (src == nullptr) {
    TGraphicControl::Assign(Source);
    return;
  }
  if (src == this) return;
  alignment_ = src->alignment_;
  color_bkg_ = src->color_bkg_;
  color_txt_ = src->color_txt_;
  form_ = src->form_;
  counters_ = src->counters_;
  target_ = src->target_;
  tolerance_ = src->tolerance_;
  use_deuterium_ = src->use_deuterium_;
  show_as_text_ = src->show_as_text_;
  transparent_ = src->transparent_;
  SetParentBackground(transparent_);
  mol_formula_ = src->mol_formula_;
  isotope_vis_ = src->isotope_vis_;
  lower_ = src->lower_;
  upper_ = src->upper_;
  search_done_ = src->search_done_;
  search_passed_ = src->search_passed_;
  scan_stop_ = src->scan_stop_;
  parent_font_ = src->parent_font_;
  parent_show_hint_ = src->parent_show_hint_;
  ShowIt();
}

void TMolForm::AssignTo(TPersistent* Dest) const {
  if (auto* d = dynamic_cast<TMolForm*>(Dest)) {
    d->Assign(this);
    return;
  }
  TGraphicControl::AssignTo(Dest);
}

}  // namespace tkz
