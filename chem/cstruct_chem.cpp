// TCTab: deleting atoms, hydrogen counts, formula and weight, copying and
// joining fragments.
//
// Every operation here leaves the table's invariants in place when they held
// before: atoms 1..n without gaps, the bonds of an atom in slots 1..k without
// gaps, each bond entered on both atoms with the same type, no partner twice,
// no partner outside 1..n, no atom bonded to itself. Bonds that would need an
// eleventh slot are dropped on both sides, never written past slot 10.
#include <algorithm>
#include <cstdlib>
#include <vector>

#include "chem/cdata.h"
#include "chem/cstruct.h"

namespace tkz {

namespace {

using AtomArray = std::array<CTElem, kMaxCTAtoms + 1>;

constexpr int kZ_H = 1;
constexpr int kZ_B = 5;
constexpr int kZ_C = 6;
constexpr int kZ_P = 15;
constexpr int kZ_Si = 14;
constexpr int kZ_Ge = 32;

int SlotOf(const CTElem& e, int b) {
  for (int k = 1; k <= kMaxCTConn; ++k) {
    if (e.ConnTo[k] == b) return k;
  }
  return 0;
}

int FreeSlot(const CTElem& e) { return SlotOf(e, 0); }

// Removes every slot of e that holds b, closing the gaps.
void DropPartner(CTElem& e, int b) {
  int w = 1;
  for (int k = 1; k <= kMaxCTConn; ++k) {
    if (e.ConnTo[k] == b) continue;
    e.ConnTo[w] = e.ConnTo[k];
    e.TypConn[w] = e.TypConn[k];
    ++w;
  }
  for (; w <= kMaxCTConn; ++w) e.ConnTo[w] = e.TypConn[w] = 0;
}

// Bonds a and b both ways with Type: an existing bond takes the new type on
// both sides; a new one is entered only when both atoms have a free slot.
bool BondBothWays(AtomArray& atoms, int a, int b, int Type) {
  if (a == b) return false;
  CTElem& ea = atoms[a];
  CTElem& eb = atoms[b];
  int ka = SlotOf(ea, b);
  int kb = SlotOf(eb, a);
  if (ka == 0) ka = FreeSlot(ea);
  if (kb == 0) kb = FreeSlot(eb);
  if (ka == 0 || kb == 0) return false;
  ea.ConnTo[ka] = static_cast<uint8_t>(b);
  ea.TypConn[ka] = static_cast<uint8_t>(Type);
  eb.ConnTo[kb] = static_cast<uint8_t>(a);
  eb.TypConn[kb] = static_cast<uint8_t>(Type);
  return true;
}

// Atoms First..n keep the first slot of every partner in 1..n (other than
// the atom itself); the kept slots move together to 1..k, the rest is cleared.
void TidySlots(AtomArray& atoms, int First, int n) {
  for (int a = First; a <= n; ++a) {
    CTElem& e = atoms[a];
    int w = 1;
    for (int k = 1; k <= kMaxCTConn; ++k) {
      const int b = e.ConnTo[k];
      if (b < 1 || b > n || b == a) continue;
      bool seen = false;
      for (int j = 1; j < w; ++j) seen = seen || e.ConnTo[j] == b;
      if (seen) continue;
      e.ConnTo[w] = e.ConnTo[k];
      e.TypConn[w] = e.TypConn[k];
      ++w;
    }
    for (; w <= kMaxCTConn; ++w) e.ConnTo[w] = e.TypConn[w] = 0;
  }
}

// The standard valence of an element: the number of bonds its neutral atom
// forms; 0 for elements without one.
int StandardValence(int Z) {
  switch (Z) {
    case 1:
      return 1;  // H
    case 5:
      return 3;  // B
    case 6:
      return 4;  // C
    case 7:
      return 3;  // N
    case 8:
      return 2;  // O
    case 9:
      return 1;  // F
    case 14:
      return 4;  // Si
    case 15:
      return 3;  // P
    case 16:
      return 2;  // S
    case 17:
      return 1;  // Cl
    case 32:
      return 4;  // Ge
    case 35:
      return 1;  // Br
    case 53:
      return 1;  // I
    default:
      return 0;
  }
}

// The valence of a charged atom. An ion is counted like its isoelectronic
// neighbour in the periodic system: a cation of N, O, P, S (and the
// halogens) forms one bond more per charge, an anion one less (NH4+, H3O+,
// OH-); carbon, silicon and germanium form one bond less for either sign
// (CH3+, CH3-); boron forms one more per negative charge (BH4-).
int ChargedValence(int Z, int Charge) {
  const int s = StandardValence(Z);
  if (s == 0 || Charge == 0) return s;
  if (Z == kZ_C || Z == kZ_Si || Z == kZ_Ge) return s - std::abs(Charge);
  if (Z == kZ_B) return s - Charge;
  return s + Charge;
}

}  // namespace

// ------------------------------------------------------------ deleting atoms

void TCTab::DeleteAtom(int a) {
  if (a < 1 || a > n_) return;

  // The neighbours of a with the type of their bond: its slots first, then
  // any atom that names a one-way.
  std::vector<std::pair<int, int>> nbrs;
  for (int k = 1; k <= kMaxCTConn; ++k) {
    const int b = atoms_[a].ConnTo[k];
    if (b < 1 || b > n_ || b == a) continue;
    if (std::none_of(nbrs.begin(), nbrs.end(), [b](auto& p) { return p.first == b; }))
      nbrs.emplace_back(b, atoms_[a].TypConn[k]);
  }
  for (int i = 1; i <= n_; ++i) {
    if (i == a) continue;
    const int k = SlotOf(atoms_[i], a);
    if (k != 0 && std::none_of(nbrs.begin(), nbrs.end(), [i](auto& p) { return p.first == i; }))
      nbrs.emplace_back(i, atoms_[i].TypConn[k]);
  }

  // Nothing keeps a reference to a.
  for (int i = 1; i <= n_; ++i) DropPartner(atoms_[i], a);

  // Bridge: every pair of neighbours not yet bonded is bonded, in the order
  // of their numbers, with the lower of the two bond type numbers so that
  // both sides agree. A pair for which either atom has no free slot stays
  // unbonded.
  std::sort(nbrs.begin(), nbrs.end());
  for (size_t x = 0; x < nbrs.size(); ++x) {
    for (size_t y = x + 1; y < nbrs.size(); ++y) {
      const auto [i, ti] = nbrs[x];
      const auto [j, tj] = nbrs[y];
      if (SlotOf(atoms_[i], j) != 0) continue;
      BondBothWays(atoms_, i, j, std::min(ti, tj));
    }
  }

  // The last atom takes the number a, Tag and all.
  const int last = n_;
  if (a != last) {
    atoms_[a] = atoms_[last];
    for (int i = 1; i < last; ++i) {
      for (int k = 1; k <= kMaxCTConn; ++k) {
        if (atoms_[i].ConnTo[k] == last) atoms_[i].ConnTo[k] = static_cast<uint8_t>(a);
      }
    }
  }
  ClearCTElem(atoms_[last]);
  n_ = last - 1;
  TidySlots(atoms_, 1, n_);
}

// --------------------------------------------------------------- hydrogens

int TCTab::NrHAtoms(int a) const {
  if (a < 1 || a > n_) return 0;
  const CTElem& e = atoms_[a];
  if (e.AtType == kZ_H) return 0;
  int explicitH = 0;
  int v = 0;
  int f = 0;
  for (int k = 1; k <= kMaxCTConn; ++k) {
    const int b = e.ConnTo[k];
    if (b == 0) continue;
    if (b <= n_ && atoms_[b].AtType == kZ_H) ++explicitH;
    const int t = e.TypConn[k];
    if (t == 4) {
      v += 1;
      f = 1;
    } else if (t >= 1 && t <= 3) {
      v += t;
    }
  }
  const int s = ChargedValence(e.AtType, e.Charge);
  if (v + f < s) return s - v - f + explicitH;
  // Phosphorus with four bond orders is the H-phosphonate: one hydrogen
  // makes it pentavalent. A charged P is already counted by its charge.
  if (e.AtType == kZ_P && v == 4 && e.Charge == 0) return explicitH + 1;
  return explicitH;
}

int TCTab::CalcMissingH() const {
  int sum = 0;
  for (int a = 1; a <= n_; ++a) sum += NrHAtoms(a);
  return sum;
}

void TCTab::RemoveHydrogen() {
  int a = 1;
  while (a <= n_) {
    if (atoms_[a].AtType == kZ_H) {
      DeleteAtom(a);
    } else {
      ++a;
    }
  }
}

// ---------------------------------------------------------- formula, weight

bool TCTab::CalcMolecularFormula(TFormulaRec& Formula) const {
  struct Entry {
    int Z, Mass, Count;
  };
  std::vector<Entry> open;
  const int h = CalcMissingH();
  if (h > 0) open.push_back({kZ_H, 1, h});
  for (int a = 1; a <= n_; ++a) {
    const CTElem& e = atoms_[a];
    if (e.AtType == kZ_H) continue;
    auto it = std::find_if(open.begin(), open.end(), [&e](const Entry& x) {
      return x.Z == e.AtType && x.Mass == e.AtWeight;
    });
    if (it != open.end()) {
      ++it->Count;
    } else {
      if (static_cast<int>(open.size()) >= kMaxFormulaEntries) return false;
      open.push_back({e.AtType, e.AtWeight, 1});
    }
  }

  static constexpr int kOrder[] = {6, 1, 7, 8, 16, 15, 9, 17, 35, 53};
  std::vector<Entry> sorted;
  for (int z : kOrder) {
    for (const Entry& x : open) {
      if (x.Z == z) sorted.push_back(x);
    }
  }
  for (const Entry& x : open) {
    if (std::find(std::begin(kOrder), std::end(kOrder), x.Z) == std::end(kOrder))
      sorted.push_back(x);
  }

  TFormulaRec r;
  r.NumAtoms = static_cast<int32_t>(sorted.size());
  for (size_t i = 0; i < sorted.size(); ++i) {
    r.AtNum[i + 1] = static_cast<uint8_t>(sorted[i].Z);
    r.AtWgt[i + 1] = sorted[i].Mass;
    r.AtCnt[i + 1] = sorted[i].Count;
  }
  Formula = r;
  return true;
}

double TCTab::CalcChemMolWeight() const {
  double w = CalcMissingH() * ChemAtWeight(kZ_H);
  for (int a = 1; a <= n_; ++a) {
    if (atoms_[a].AtType != kZ_H) w += ChemAtWeight(atoms_[a].AtType);
  }
  return w;
}

// --------------------------------------------------------------- fragments

void TCTab::CopyFrom(const TCTab& Other) {
  if (&Other != this) {
    n_ = Other.n_;
    name_ = Other.name_;
    unit_ = Other.unit_;
    cas_ = Other.cas_;
    for (int a = 1; a <= kMaxCTAtoms; ++a) {
      if (a > n_) {
        ClearCTElem(atoms_[a]);
        continue;
      }
      const uint32_t tag = atoms_[a].Tag;
      atoms_[a] = Other.atoms_[a];
      atoms_[a].Tag = tag;
    }
  }
  Changed();
}

bool TCTab::JoinFragment(const TCTab& Fragment) {
  const AtomArray frag = Fragment.atoms_;  // the fragment may be this table
  const int m = Fragment.n_;

  // Where each fragment atom goes: onto the last atom here with its flag, or
  // appended in fragment order.
  std::array<int, kMaxCTAtoms + 1> map{};
  int next = n_;
  for (int j = 1; j <= m; ++j) {
    const int flag = frag[j].AtFlag;
    for (int i = n_; i >= 1 && flag != 0; --i) {
      if (atoms_[i].AtFlag == flag) {
        map[j] = i;
        break;
      }
    }
    if (map[j] == 0) map[j] = ++next;
  }
  if (next > kMaxCTAtoms) return false;

  for (int j = 1; j <= m; ++j) {
    const CTElem& f = frag[j];
    const int i = map[j];
    if (i > n_) {
      ++n_;
      CTElem& e = atoms_[n_];
      ClearCTElem(e);
      e.AtType = f.AtType;
      e.AtWeight = f.AtWeight;
      e.AtFlag = f.AtFlag;
      e.Attrib = f.Attrib;
      e.Charge = f.Charge;
      e.Coords = f.Coords;
      e.Coords[0] = 0;
    } else {
      atoms_[i].AtType = f.AtType;
      atoms_[i].AtWeight = f.AtWeight;
      atoms_[i].Charge = f.Charge;
    }
  }
  for (int j = 1; j <= m; ++j) {
    for (int k = 1; k <= kMaxCTConn; ++k) {
      const int b = frag[j].ConnTo[k];
      if (b < 1 || b > m) continue;
      BondBothWays(atoms_, map[j], map[b], frag[j].TypConn[k]);
    }
  }
  return true;
}

bool TCTab::LinkFragment(const TCTab& Fragment) {
  const AtomArray frag = Fragment.atoms_;  // the fragment may be this table
  const int m = Fragment.n_;
  const int old = n_;
  if (old + m > kMaxCTAtoms) return false;

  for (int j = 1; j <= m; ++j) {
    CTElem e = frag[j];
    e.Tag = kCTTagNoColor;
    e.Coords[0] = 0;
    e.ConnTo[0] = e.TypConn[0] = 0;
    for (int k = 1; k <= kMaxCTConn; ++k) {
      const int b = e.ConnTo[k];
      e.ConnTo[k] = b >= 1 && b <= m ? static_cast<uint8_t>(b + old) : 0;
    }
    atoms_[old + j] = e;
  }
  n_ = old + m;
  TidySlots(atoms_, old + 1, n_);

  for (int i = 1; i <= old; ++i) {
    const int flag = atoms_[i].AtFlag;
    if (flag == 0) continue;
    for (int j = old + 1; j <= n_; ++j) {
      if (atoms_[j].AtFlag == flag) BondBothWays(atoms_, i, j, 1);
    }
  }
  return true;
}

}  // namespace tkz
