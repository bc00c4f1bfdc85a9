// TCTab: rings, attributes, chains and functional groups.
#include <algorithm>
#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "chem/cstruct.h"

namespace tkz {

int TCTab::RingsInMolecule() const {
  // Cyclomatic number: bonds - atoms + connected parts.
  int ends = 0;
  for (int a = 1; a <= n_; ++a) ends += GetNBonds(a);
  std::array<int, kMaxCTAtoms + 1> part{};
  int parts = 0;
  for (int a = 1; a <= n_; ++a) {
    if (part[a] != 0) continue;
    ++parts;
    std::array<int, kMaxCTAtoms> stack{};
    int top = 0;
    stack[top++] = a;
    part[a] = parts;
    while (top > 0) {
      const int c = stack[--top];
      for (int k = 1; k <= kMaxCTConn; ++k) {
        const int b = atoms_[c].ConnTo[k];
        if (b < 1 || b > n_ || part[b] != 0) continue;
        part[b] = parts;
        stack[top++] = b;
      }
    }
  }
  return ends / 2 - n_ + parts;
}

namespace {

constexpr int kZC = 6, kZN = 7, kZO = 8, kZS = 16, kZCl = 17, kZBr = 35, kZI = 53;

using AtomMask = uint64_t;  // bit a for atom a (1..63)

AtomMask MaskOf(const RingType& Ring) {
  AtomMask m = 0;
  const int size = std::min<int>(Ring.Size, kMaxCTAtoms);
  for (int i = 1; i <= size; ++i) m |= AtomMask{1} << (Ring.Atoms[i] & 63);
  return m;
}

// The bonds of the table as neighbour lists, in slot order, each partner
// once; partners outside the table are left out.
struct Neighbours {
  int N = 0;
  std::array<int, kMaxCTAtoms + 1> Deg{};
  std::array<std::array<uint8_t, kMaxCTConn>, kMaxCTAtoms + 1> Of{};

  Neighbours(const std::array<CTElem, kMaxCTAtoms + 1>& atoms, int n) : N(n) {
    for (int a = 1; a <= N; ++a) {
      for (int k = 1; k <= kMaxCTConn; ++k) {
        const int b = atoms[a].ConnTo[k];
        if (b < 1 || b > N || b == a) continue;
        if (std::find(Of[a].begin(), Of[a].begin() + Deg[a], b) != Of[a].begin() + Deg[a]) continue;
        Of[a][Deg[a]++] = static_cast<uint8_t>(b);
      }
    }
  }

  // The atoms that can lie in a ring: what is left after taking off atoms
  // with at most one bond, again and again.
  AtomMask Core() const {
    std::array<int, kMaxCTAtoms + 1> deg = Deg;
    std::array<int, kMaxCTAtoms + 1> queue{};
    AtomMask gone = 0;
    int top = 0;
    for (int a = 1; a <= N; ++a)
      if (deg[a] <= 1) queue[top++] = a, gone |= AtomMask{1} << a;
    while (top > 0) {
      const int a = queue[--top];
      for (int i = 0; i < Deg[a]; ++i) {
        const int b = Of[a][i];
        if ((gone >> b & 1) == 0 && --deg[b] <= 1) queue[top++] = b, gone |= AtomMask{1} << b;
      }
    }
    AtomMask all = 0;
    for (int a = 1; a <= N; ++a) all |= AtomMask{1} << a;
    return all & ~gone;
  }
};

// The smallest rings through one atom. A breadth-first search gives the
// size g of the smallest ring through the start atom: an edge between two
// atoms reached through different neighbours of the start closes a ring of
// their two distances + 1, and the smallest such ring is the smallest ring
// through the start. The depth-first enumeration of simple paths then only
// follows paths that can still close within g atoms, so that cages and
// dense graphs cost little; it meets the rings of size g in the order of
// the slots, as an unbounded search would. Rings are kept once per atom set.
class RingSearch {
 public:
  RingSearch(const Neighbours& g, int start, RingListType& out) : g_(g), s_(start), out_(out) {}

  int Run() {
    out_.Count = 0;
    if (s_ < 1 || s_ > g_.N) return 0;
    size_ = SmallestRingSize();
    if (size_ == 0) return 0;
    path_[1] = static_cast<uint8_t>(s_);
    on_path_ = AtomMask{1} << s_;
    Visit(s_, 0, 1);
    return out_.Count;
  }

 private:
  int SmallestRingSize() {
    std::array<int, kMaxCTAtoms + 1> queue{};
    dist_.fill(-1);
    std::array<int, kMaxCTAtoms + 1> branch{};
    int head = 0, tail = 0, best = 0;
    dist_[s_] = 0;
    queue[tail++] = s_;
    while (head < tail) {
      const int u = queue[head++];
      for (int i = 0; i < g_.Deg[u]; ++i) {
        const int v = g_.Of[u][i];
        if (dist_[v] < 0) {
          dist_[v] = dist_[u] + 1;
          branch[v] = u == s_ ? v : branch[u];
          queue[tail++] = v;
        } else if (u != s_ && v != s_ && branch[u] != branch[v]) {
          const int k = dist_[u] + dist_[v] + 1;
          if (best == 0 || k < best) best = k;
        }
      }
    }
    return best;
  }

  // Path[1..len] ends in c, reached from p. Returns false once the list is
  // full, which ends the search.
  bool Visit(int c, int p, int len) {
    for (int i = 0; i < g_.Deg[c]; ++i) {
      const int x = g_.Of[c][i];
      if (x == s_) {
        if (x == p) continue;
        // A closed ring; the walk stops here (a longer ring through c is
        // never the smallest).
        if (len == size_ && !Keep(len)) return false;
        break;
      }
      if (x == p || (on_path_ >> x & 1) != 0) continue;
      if (len >= size_ || dist_[x] > size_ - len) continue;
      path_[len + 1] = static_cast<uint8_t>(x);
      on_path_ |= AtomMask{1} << x;
      const bool more = Visit(x, c, len + 1);
      on_path_ &= ~(AtomMask{1} << x);
      if (!more) return false;
    }
    return true;
  }

  bool Keep(int len) {
    for (int i = 1; i <= out_.Count; ++i)
      if ((on_path_ & ~masks_[i]) == 0) return true;  // met the other way round
    if (out_.Count >= kMaxRings) return false;
    RingType& r = out_.Rings[++out_.Count];
    r = RingType{};
    r.Size = static_cast<uint8_t>(len);
    std::copy(path_.begin() + 1, path_.begin() + len + 1, r.Atoms.begin() + 1);
    masks_[out_.Count] = on_path_;
    return true;
  }

  const Neighbours& g_;
  const int s_;
  RingListType& out_;
  int size_ = 0;
  std::array<int, kMaxCTAtoms + 1> dist_{};
  std::array<uint8_t, kMaxCTAtoms + 1> path_{};
  AtomMask on_path_ = 0;
  std::array<AtomMask, kMaxRings + 1> masks_;  // of the rings listed
};

}  // namespace

bool RingInRingList(const RingType& Ring, const RingListType& List) {
  const AtomMask ring = MaskOf(Ring);
  const int count = std::clamp<int>(List.Count, 0, kMaxRings);
  for (int i = 1; i <= count; ++i)
    if ((ring & ~MaskOf(List.Rings[i])) == 0) return true;
  return false;
}

int TCTab::FindShortestRings(int StartAtom, RingListType& Rings) const {
  const Neighbours g(atoms_, n_);
  return RingSearch(g, StartAtom, Rings).Run();
}

int TCTab::FindSSSR(RingListType& Rings) const {
  Rings.Count = 0;
  const Neighbours g(atoms_, n_);
  std::array<AtomMask, kMaxRings + 1> masks;
  // Atoms outside the rings' core have no ring to search for.
  AtomMask covered = ~g.Core();
  RingListType found;
  for (int a = 1; a <= n_; ++a) {
    if ((covered >> a & 1) != 0) continue;
    RingSearch(g, a, found).Run();
    for (int i = 1; i <= found.Count; ++i) {
      const AtomMask m = MaskOf(found.Rings[i]);
      bool known = false;
      for (int j = 1; j <= Rings.Count && !known; ++j) known = (m & ~masks[j]) == 0;
      if (known) continue;
      if (Rings.Count >= kMaxRings) return Rings.Count;  // full: the rest is not collected
      Rings.Rings[++Rings.Count] = found.Rings[i];
      masks[Rings.Count] = m;
      for (int k = 1; k <= found.Rings[i].Size; ++k) {
        const int b = found.Rings[i].Atoms[k];
        if (g.Deg[b] <= 2) covered |= AtomMask{1} << b;
      }
    }
  }
  return Rings.Count;
}

int TCTab::CalcAttributes() {
  for (int a = 1; a <= kMaxCTAtoms; ++a) atoms_[a].Attrib = 0;
  RingListType rings;
  const int count = FindSSSR(rings);
  uint8_t code = 0;
  for (int i = 1; i <= count; ++i) {
    const RingType& r = rings.Rings[i];
    if (r.Size == 5) {
      code = kAttrRing | kAttrRing5;
    } else if (r.Size == 6) {
      code = kAttrRing | kAttrRing6;
    } else if (r.Size >= 2) {
      code = kAttrRing | kAttrOddRing;
    }
    for (int k = 1; k <= r.Size; ++k) {
      uint8_t& attrib = atoms_[r.Atoms[k]].Attrib;
      constexpr uint8_t kInRing = kAttrOddRing | kAttrRing5 | kAttrRing6 | kAttrRing;
      attrib |= (attrib & kInRing) != 0 ? code | kAttrMultiRing : code;
    }
  }
  for (int a = 1; a <= n_; ++a) {
    const int bonds = GetNBonds(a);
    if (atoms_[a].Attrib == 0)
      atoms_[a].Attrib = bonds == 1 ? kAttrChain | kAttrChainEnd : kAttrChain;
    if (bonds > 2) atoms_[a].Attrib |= kAttrBranch;
  }
  return count;
}

void TCTab::ClearAttributes() {
  for (int a = 1; a <= n_; ++a) atoms_[a].Attrib = 0;
}

int TCTab::StripfromChains() {
  bool deleted = true;
  while (deleted) {
    deleted = false;
    // The atom moved into a deleted atom's place waits for the next pass.
    for (int a = 1; a <= n_; ++a) {
      if (GetNBonds(a) != 1) continue;
      DeleteAtom(a);
      deleted = true;
    }
  }
  if (n_ == 1) DeleteAtom(1);
  return n_;
}

int TCTab::FindNextEndAtom(int Start) const {
  for (int a = std::max(Start, 1); a <= n_; ++a)
    if (GetNBonds(a) == 1) return a;
  return 0;
}

bool TCTab::ContainsUnconnectedAtom() const {
  for (int a = 1; a <= n_; ++a)
    if (GetNBonds(a) == 0) return true;
  return false;
}

namespace {

// The functional-group rules look at one atom at a time through this view.
struct AtomView {
  const TCTab& t;
  int a;
  int Z() const { return t.GetAtNum(a); }
  int Bonds() const { return t.GetNBonds(a); }
  int Partner(int k) const { return t.GetConnTo(a, k); }
  int Type(int k) const { return t.GetTypConn(a, k); }
  int PartnerZ(int k) const { return t.GetAtNum(Partner(k)); }
  AtomView At(int k) const { return {t, Partner(k)}; }
  // Slots 1..Bonds() whose partner is element z (0: any) bonded by type.
  int Count(int z, int type, int upto = kMaxCTConn) const {
    int c = 0;
    for (int k = 1; k <= std::min(Bonds(), upto); ++k)
      if (Type(k) == type && (z == 0 || PartnerZ(k) == z)) ++c;
    return c;
  }
  int DoubleO(int upto = kMaxCTConn) const { return Count(kZO, 2, upto); }
  bool HasBond(int type) const { return Count(0, type) > 0; }
  bool IsCarbonyl() const { return Z() == kZC && DoubleO() > 0; }
};

}  // namespace

const char* FrgTypeName(FrgType Kind) {
  static constexpr const char* kNames[] = {
      "NSglBnd", "NCCSgl", "NDblBnd", "NCCDbl", "NTrplBnd", "NCCTrpl", "NAroBnd", "NBranch",
      "XCnt",    "COOH",   "COO",     "NO2",    "AnyCO",    "AroCl",   "AroBr",   "AnyOH",
      "PhOH",    "NH2",    "NHR",     "NR2",    "NCON",     "CN",      "CONR2",   "CHO",
      "COX",     "AnySO",  "OCH3",    "NO",     "NNH2"};
  static_assert(std::size(kNames) == NNH2 + 1);
  return Kind <= NNH2 ? kNames[Kind] : "";
}

int TCTab::FragmentCount(FrgType Kind) const {
  auto all_bonds = [&](int type, bool cc) {
    int ends = 0;
    for (int a = 1; a <= n_; ++a) {
      const AtomView v{*this, a};
      if (!cc || v.Z() == kZC) ends += v.Count(cc ? kZC : 0, type);
    }
    return ends / 2;
  };
  if (Kind <= NAroBnd) {
    static constexpr std::array<int, 7> kType{1, 1, 2, 2, 3, 3, 4};
    return all_bonds(kType[Kind], Kind == NCCSgl || Kind == NCCDbl || Kind == NCCTrpl);
  }
  int count = 0;
  for (int a = 1; a <= n_; ++a) {
    const AtomView v{*this, a};
    const int z = v.Z(), bonds = v.Bonds();
    // A single bond to an oxygen with one bond (OH) or with more (OR).
    auto single_o = [&](bool alone) {
      for (int k = 1; k <= bonds; ++k)
        if (v.Type(k) == 1 && v.PartnerZ(k) == kZO && (v.At(k).Bonds() == 1) == alone) return true;
      return false;
    };
    // Neither a nitrogen nor a carbonyl carbon among the partners.
    auto plain_partners = [&] {
      for (int k = 1; k <= bonds; ++k)
        if (v.PartnerZ(k) == kZN || v.At(k).IsCarbonyl()) return false;
      return true;
    };
    switch (Kind) {
      case NBranch:
        count += bonds > 2;
        break;
      case XCnt:
        count += z == kZCl || z == kZBr;
        break;
      case COOH:
      case COO:
        count += z == kZC && bonds == 3 && v.DoubleO(3) > 0 && single_o(Kind == COOH);
        break;
      case NO2: {
        // Nitro as the readers store it: N+(=O)O- (charges +1 and -1), or
        // the uncharged form with two =O.
        if (z != kZN || bonds != 3) break;
        bool charged_o = false;
        for (int k = 1; k <= bonds; ++k)
          charged_o |= v.Type(k) == 1 && v.PartnerZ(k) == kZO && GetCharge(v.Partner(k)) == -1;
        count += v.DoubleO() == 2 || (v.DoubleO() == 1 && GetCharge(a) == 1 && charged_o);
        break;
      }
      case AnyCO:
        count += z == kZC && bonds <= 3 && v.DoubleO() > 0;
        break;
      case AroCl:
      case AroBr:
        count += z == (Kind == AroCl ? kZCl : kZBr) && bonds > 0 && v.At(1).HasBond(4);
        break;
      case AnyOH:
        count += z == kZO && bonds == 1 && v.Type(1) == 1;
        break;
      case PhOH:
        count +=
            z == kZO && bonds == 1 && v.Type(1) == 1 && v.PartnerZ(1) == kZC && v.At(1).HasBond(4);
        break;
      case NH2:
        count += z == kZN && bonds == 1 && v.Type(1) == 1 && plain_partners();
        break;
      case NHR:
        count += z == kZN && bonds == 2 && v.Count(0, 1) == 2 && plain_partners();
        break;
      case NR2:
        count += z == kZN && bonds == 3 && v.Count(0, 1) == 3 && plain_partners();
        break;
      case NCON:
      case CONR2:
        count +=
            z == kZC && bonds == 3 && v.DoubleO() == 1 && v.Count(kZN, 1) == (Kind == NCON ? 2 : 1);
        break;
      case CN:
        count += z == kZC && bonds == 2 && v.Count(kZN, 3) > 0;
        break;
      case CHO:
        count += z == kZC && bonds <= 2 && !(v.Type(1) == 2 && v.Type(2) == 2) && v.DoubleO() > 0;
        break;
      case COX:
        count += z == kZC && bonds <= 3 && v.DoubleO() > 0 && [&] {
          for (int k = 1; k <= bonds; ++k) {
            const int pz = v.PartnerZ(k);
            if (pz == kZCl || pz == kZBr || pz == kZI) return true;
          }
          return false;
        }();
        break;
      case AnySO:
        count += z == kZS && bonds <= 3 && v.DoubleO() > 0;
        break;
      case OCH3: {
        if (z != kZO || bonds != 2) break;
        count += (v.PartnerZ(1) == kZC && v.At(1).Bonds() == 1) ||
                 (v.PartnerZ(2) == kZC && v.At(2).Bonds() == 1);
        break;
      }
      case NO:
        count += z == kZN && bonds == 2 && v.DoubleO() > 0;
        break;
      case NNH2: {
        if (z != kZN || bonds != 2) break;
        // A nitrogen whose only bond is below a triple bond.
        auto terminal_n = [&](int k) {
          const AtomView w = v.At(k);
          return w.Z() == kZN && w.Bonds() == 1 && w.Type(1) < 3;
        };
        count += (v.Type(1) == 1 && terminal_n(2)) + (v.Type(2) == 1 && terminal_n(1));
        break;
      }
      default:
        return 0;
    }
  }
  return count;
}

namespace {

// Element index of the fragment code (0: none) and the texts of 1..15.
int FragmentIndex(int z) {
  switch (z) {
    case 0:
      return 15;
    case 1:
      return 1;
    case 5:
      return 2;
    case 6:
      return 3;
    case 7:
      return 4;
    case 8:
      return 5;
    case 9:
      return 6;
    case 14:
      return 7;
    case 15:
      return 8;
    case 16:
      return 9;
    case 17:
      return 10;
    case 33:
      return 11;
    case 35:
      return 12;
    case 50:
      return 13;
    case 53:
      return 14;
    default:
      return 0;
  }
}
constexpr std::array<const char*, 16> kFragmentText{"",  "H", "B",  "C",  "N",  "O",  "F", "Si",
                                                    "P", "S", "Cl", "As", "Br", "Sn", "I", "RR"};

}  // namespace

int32_t TCTab::FragmentCode(int a, int& SecondSphere) const {
  SecondSphere = 0;
  if (a < 1 || a > n_) return -1;
  // An unknown centre atom (element 0) has no code of its own.
  const int centre = atoms_[a].AtType == 0 ? 0 : FragmentIndex(atoms_[a].AtType);
  if (centre == 0) return -1;
  const int bonds = GetNBonds(a);
  for (int k = 1; k <= bonds; ++k) SecondSphere += GetNBonds(atoms_[a].ConnTo[k]) - 1;
  if (bonds > 4) return -2;  // before any group is formed: there is room for 4
  std::array<int32_t, 4> groups{};
  for (int k = 1; k <= bonds; ++k) {
    const int idx = FragmentIndex(atoms_[atoms_[a].ConnTo[k]].AtType);
    if (idx == 0) return -1;
    groups[k - 1] = idx * 4 + atoms_[a].TypConn[k] % 4;
  }
  std::sort(groups.begin(), groups.end(), std::greater<>());  // unused groups (0) go last
  int32_t code = centre;
  for (int i = 1; i <= bonds; ++i) code += groups[i - 1] << (6 * i - 2);
  return code;
}

std::string FragmentStr(int32_t Code) {
  if (Code < 0 || (Code & 15) == 0) return "ERROR";
  static constexpr std::array<char, 4> kBond{'4', '1', '2', '3'};
  std::string text = kFragmentText[Code & 15];
  for (int shift = 4; shift < 32; shift += 6) {
    const int group = (Code >> shift) & 63;
    if (group == 0) continue;
    if (group / 4 == 0) return "ERROR";
    text += kBond[group % 4];
    text += kFragmentText[group / 4];
  }
  return text;
}

}  // namespace tkz
