// TCTab: the table, its bonds and its fields, and the CAS number.
#include <algorithm>
#include <limits>

#include "chem/cdata.h"
#include "chem/cstruct.h"

namespace tkz {

void ClearCTElem(CTElem& Entry) { Entry = CTElem{}; }

const std::array<const char*, kMaxPropItems>& SDPropItemNames() {
  static const std::array<const char*, kMaxPropItems> names = {
      "MELTP", "BOILP", "DENSI", "REFRX", "LGKOC", "ACCOF", "WAALA", "WAALB", "WSOLU", "DHF0",
      "DFF0",  "LOGKF", "ENTR0", "LOGHY", "DIPOL", "HEATV", "MOLVL", "RETIX", "CRITT", "POLAR"};
  return names;
}

TCTab::TCTab(TComponent* AOwner) : TComponent(AOwner) {}

void TCTab::Clear() {
  n_ = 0;
  name_.clear();
  cas_ = 0;
  unit_ = cuUnknown;
  atoms_.fill(CTElem{});
  Changed();
}

void TCTab::Changed() {
  if (OnChange) OnChange(this);
}

void TCTab::SetStrucName(const std::string& Name) {
  name_ = Name;
  Changed();
}

void TCTab::SetCoordUnit(CoordUnitType u) {
  unit_ = u;
  Changed();
}

// ------------------------------------------------------------------- bonds

bool TCTab::AddAtom(const CTElem& Entry) {
  if (n_ >= kMaxCTAtoms) return false;
  const int a = ++n_;
  CTElem& e = atoms_[a];
  e = CTElem{};
  e.AtType = Entry.AtType;
  e.AtWeight = Entry.AtWeight;
  e.AtFlag = Entry.AtFlag;
  e.Attrib = Entry.Attrib;
  e.Charge = Entry.Charge;
  e.Coords = Entry.Coords;
  e.Coords[0] = 0;
  for (int k = 1; k <= kMaxCTConn; ++k) {
    if (Entry.ConnTo[k] != 0) EnterConn(a, Entry.ConnTo[k], Entry.TypConn[k]);
  }
  return true;
}

namespace {
// The slot of atom e that holds b, else the first empty one; 0 if neither.
int SlotFor(const CTElem& e, int b) {
  int empty = 0;
  for (int k = 1; k <= kMaxCTConn; ++k) {
    if (e.ConnTo[k] == b) return k;
    if (e.ConnTo[k] == 0 && empty == 0) empty = k;
  }
  return empty;
}
}  // namespace

bool TCTab::EnterConn(int a, int b, int Type) {
  // Both ends within the table and distinct: a partner above n (or 63) would
  // be a reference to nothing, an atom bonded to itself no bond at all.
  if (a < 1 || a > n_ || b < 1 || b > n_ || a == b) return false;
  CTElem& e = atoms_[a];
  const int k = SlotFor(e, b);
  if (k == 0) return false;
  e.ConnTo[k] = static_cast<uint8_t>(b);
  e.TypConn[k] = static_cast<uint8_t>(Type);
  return true;
}

bool TCTab::MakeConnection(int a, int b, int Type) {
  if (a < 1 || a > n_ || b < 1 || b > n_ || a == b) return false;
  if (Type != 0) {
    // Both sides need room before either is written, so that the table
    // never holds a bond on one side only.
    if (SlotFor(atoms_[a], b) == 0 || SlotFor(atoms_[b], a) == 0) return false;
    EnterConn(a, b, Type);
    EnterConn(b, a, Type);
    return true;
  }
  bool found = false;
  for (const auto& [from, to] : {std::pair{a, b}, std::pair{b, a}}) {
    CTElem& e = atoms_[from];
    for (int k = 1; k <= kMaxCTConn; ++k) {
      if (e.ConnTo[k] != to) continue;
      found = true;
      for (int j = k; j < kMaxCTConn; ++j) {
        e.ConnTo[j] = e.ConnTo[j + 1];
        e.TypConn[j] = e.TypConn[j + 1];
      }
      e.ConnTo[kMaxCTConn] = 0;
      e.TypConn[kMaxCTConn] = 0;
      break;
    }
  }
  return found;
}

void TCTab::MakeSymmetricConnections() {
  for (int a = 1; a <= n_; ++a) {
    for (int k = 1; k <= kMaxCTConn;) {
      const int b = atoms_[a].ConnTo[k];
      // A bond that cannot be entered on its other atom (a full atom, a
      // partner outside the table) is taken off this one too: the table
      // never keeps a bond on one side only.
      if (b != 0 && !EnterConn(b, a, atoms_[a].TypConn[k])) {
        CTElem& e = atoms_[a];
        for (int j = k; j < kMaxCTConn; ++j) {
          e.ConnTo[j] = e.ConnTo[j + 1];
          e.TypConn[j] = e.TypConn[j + 1];
        }
        e.ConnTo[kMaxCTConn] = e.TypConn[kMaxCTConn] = 0;
        continue;  // slot k now holds the next bond
      }
      ++k;
    }
  }
}

int TCTab::CheckConnect(int a, int b) const {
  if (a < 1 || a > n_ || b < 1) return 0;
  for (int k = 1; k <= kMaxCTConn; ++k) {
    if (atoms_[a].ConnTo[k] == b) return atoms_[a].TypConn[k];
  }
  return 0;
}

int TCTab::GetNBonds(int a) const {
  if (a < 1 || a > n_) return 0;
  int k = 0;
  for (int s = 1; s <= kMaxCTConn; ++s) k += atoms_[a].ConnTo[s] != 0;
  return k;
}

int TCTab::MaxNBonds(int& Atom) const {
  int best = 0;
  for (int a = 1; a <= n_; ++a) {
    const int k = GetNBonds(a);
    if (k > best) {
      best = k;
      Atom = a;
    }
  }
  return best;
}

// ------------------------------------------------------------------ fields

namespace {
bool InTable(int a, int n) { return a >= 1 && a <= n; }
bool ValidSlot(int k) { return k >= 1 && k <= kMaxCTConn; }
}  // namespace

int TCTab::GetAtNum(int a) const { return InTable(a, n_) ? atoms_[a].AtType : 0; }
int TCTab::GetAtWeight(int a) const { return InTable(a, n_) ? atoms_[a].AtWeight : 0; }
int TCTab::GetAtFlag(int a) const { return InTable(a, n_) ? atoms_[a].AtFlag : 0; }
int TCTab::GetAttrib(int a) const { return InTable(a, n_) ? atoms_[a].Attrib : 0; }
int TCTab::GetCharge(int a) const { return InTable(a, n_) ? atoms_[a].Charge : 0; }
uint32_t TCTab::GetTag(int a) const { return InTable(a, n_) ? atoms_[a].Tag : kCTTagNoColor; }

void TCTab::SetAtNum(int a, int Z) {
  if (!InTable(a, n_) || Z < 1 || Z > kMaxAtomicNumber) return;
  atoms_[a].AtType = static_cast<uint8_t>(Z);
  Changed();
}

void TCTab::SetAtWeight(int a, int MassNr) {
  if (!InTable(a, n_) || MassNr < 0 || MassNr > 0xFFFF) return;
  atoms_[a].AtWeight = static_cast<uint16_t>(MassNr);
  Changed();
}

void TCTab::SetAtFlag(int a, int Flag) {
  if (!InTable(a, n_) || Flag < 0 || Flag > 255) return;
  atoms_[a].AtFlag = static_cast<uint8_t>(Flag);
  Changed();
}

void TCTab::SetAttrib(int a, int Attrib) {
  if (!InTable(a, n_) || Attrib < 0 || Attrib > 255) return;
  atoms_[a].Attrib = static_cast<uint8_t>(Attrib);
  Changed();
}

void TCTab::SetCharge(int a, int Charge) {
  if (!InTable(a, n_) || Charge < -128 || Charge > 127) return;
  atoms_[a].Charge = static_cast<int8_t>(Charge);
  Changed();
}

void TCTab::SetTag(int a, uint32_t Tag) {
  if (!InTable(a, n_)) return;
  atoms_[a].Tag = Tag;
  Changed();
}

int TCTab::GetConnTo(int a, int Slot) const {
  return InTable(a, n_) && ValidSlot(Slot) ? atoms_[a].ConnTo[Slot] : 0;
}

int TCTab::GetTypConn(int a, int Slot) const {
  return InTable(a, n_) && ValidSlot(Slot) ? atoms_[a].TypConn[Slot] : 0;
}

void TCTab::SetConnTo(int a, int Slot, int Partner) {
  if (!InTable(a, n_) || !ValidSlot(Slot) || Partner < 0 || Partner > kMaxCTAtoms) return;
  atoms_[a].ConnTo[Slot] = static_cast<uint8_t>(Partner);
  Changed();
}

void TCTab::SetTypConn(int a, int Slot, int Type) {
  if (!InTable(a, n_) || !ValidSlot(Slot) || Type < 0 || Type > 255) return;
  atoms_[a].TypConn[Slot] = static_cast<uint8_t>(Type);
  Changed();
}

float TCTab::GetCoords(int a, int Axis) const {
  return InTable(a, n_) && Axis >= 1 && Axis <= 3 ? atoms_[a].Coords[Axis] : 0.0f;
}

void TCTab::SetCoords(int a, int Axis, float Value) {
  if (!InTable(a, n_) || Axis < 1 || Axis > 3) return;
  atoms_[a].Coords[Axis] = Value;
  Changed();
}

CTElem TCTab::GetAtomEntries(int a) const { return InTable(a, n_) ? atoms_[a] : CTElem{}; }

void TCTab::SetAtomEntries(int a, const CTElem& Entry) {
  if (!InTable(a, n_)) return;
  CTElem e = Entry;
  e.Coords[0] = 0;
  e.ConnTo[0] = e.TypConn[0] = 0;
  // Partners beyond the table would be references to nothing.
  for (int k = 1; k <= kMaxCTConn; ++k) {
    if (e.ConnTo[k] > n_) e.ConnTo[k] = 0;
  }
  atoms_[a] = e;
  Changed();
}

int TCTab::AtomCount(int Z) const {
  int count = 0;
  for (int a = 1; a <= n_; ++a) count += atoms_[a].AtType == Z;
  return count;
}

bool TCTab::GetCoordsPresent() const {
  for (int a = 1; a <= n_; ++a) {
    for (int i = 1; i <= 3; ++i) {
      if (atoms_[a].Coords[i] != 0) return true;
    }
  }
  return false;
}

void TCTab::SetCoordsPresent(bool Present) {
  if (Present) return;
  for (int a = 1; a <= n_; ++a) atoms_[a].Coords = {};
  Changed();
}

// --------------------------------------------------------------- CAS number

std::string TCTab::GetCASNr() const { return FormatCASNr(cas_); }

void TCTab::SetCASNr(const std::string& Text) {
  int64_t nr = 0;
  if (ConvertStrToCASNr(Text, nr)) cas_ = nr;
  Changed();
}

bool TCTab::CheckCASNr(int64_t CASNr) { return tkz::CheckCASNr(CASNr); }

}  // namespace tkz
