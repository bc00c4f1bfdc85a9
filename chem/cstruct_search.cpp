// TCTab: comparison of two tables, element containment, substructure search
// and the atom template filter.
//
// The search maps every query atom to a distinct structure atom of the same
// element with at least as many bonds (and the query's attribute bits, where
// it has any), so that every query bond lies on a structure bond (of the same
// type with CheckBonds). It is a backtracking search over the query's
// spanning tree, grown from the start atom: each matched pair (s, q) hands
// q's neighbours that are not yet placed to s's neighbours, trying the
// injective assignments in lexicographic order with wrap-around (the
// successor of (1, 2, ..., m) first, (1, 2, ..., m) last), and the pairs
// waiting for their turn are kept on one stack, so that a failure anywhere
// below takes back the assignment that led to it. A query bond is checked
// when its second atom is matched: ring closures, with their bond types,
// like tree bonds. A query of several parts starts each further part at its
// lowest unplaced atom, tried against every free structure atom.
//
// Bounds. Before an assignment is accepted each of its pairs must pass the
// element, bond count, attribute and bond checks against q, against every
// placed query neighbour and against the siblings assigned before it, so a
// dense structure (complete graphs, 63 atoms with 10 bonds each) cuts most
// branches at once instead of enumerating all 10·9·...·(10-m+1) tuples
// below every atom. Marks and used flags are taken back on every return.
//
// Pre-checks. Before any atom is matched the two tables' search profiles
// are compared: no fewer atoms of each element, rings (bonds - atoms +
// parts), atoms of at least 1, 2, 3 and 4 bonds, and bonds of each pair of
// elements (of each type, with bond checking) in the structure than in the
// query. Each is a count that a one-to-one match can only keep or raise, so
// they reject nothing the search would find. The bond kinds are compared
// only for tables whose bonds are all entered on both atoms alike: the
// search checks a query bond from the atom matched second, so a bond
// entered on one atom only may go unchecked.
#include <algorithm>
#include <array>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "chem/cstruct.h"
#include "core/text/charcase.h"
#include "core/text/stringl.h"

namespace tkz {

uint16_t TCTab::CompareWith(const TCTab& Other) const {
  uint16_t diff = 0;
  if (n_ != Other.n_) diff |= 0x0001;
  if (AnsiUpperCase(name_) != AnsiUpperCase(Other.name_)) diff |= 0x0002;
  if (unit_ != Other.unit_) diff |= 0x0004;
  if (cas_ != Other.cas_) diff |= 0x0008;
  for (int a = 1; a <= kMaxCTAtoms; ++a) {
    const CTElem& x = atoms_[a];
    const CTElem& y = Other.atoms_[a];
    if (x.AtType != y.AtType) diff |= 0x0010;
    if (x.AtWeight != y.AtWeight) diff |= 0x0020;
    if (x.AtFlag != y.AtFlag) diff |= 0x0040;
    if (x.Attrib != y.Attrib) diff |= 0x0080;
    if (x.Charge != y.Charge) diff |= 0x0100;
    if (x.Coords[1] != y.Coords[1]) diff |= 0x0200;
    if (x.Coords[2] != y.Coords[2]) diff |= 0x0400;
    if (x.Coords[3] != y.Coords[3]) diff |= 0x0800;
    if (x.ConnTo != y.ConnTo) diff |= 0x1000;
    if (x.TypConn != y.TypConn) diff |= 0x2000;
  }
  return diff;
}

bool TCTab::SumForContained(const TCTab& Query) const {
  if (n_ < Query.n_) return false;
  // A tally of at most 30 distinct elements; further ones are not counted.
  constexpr int kTally = 30;
  std::array<int, kTally> element{}, count{};
  int kinds = 0;
  const auto tally = [&](int Z, int delta) {
    for (int i = 0; i < kinds; ++i) {
      if (element[i] == Z) {
        count[i] += delta;
        return;
      }
    }
    if (kinds == kTally) return;
    element[kinds] = Z;
    count[kinds++] = delta;
  };
  for (int a = 1; a <= n_; ++a) tally(atoms_[a].AtType, 1);
  for (int a = 1; a <= Query.n_; ++a) tally(Query.atoms_[a].AtType, -1);
  return std::all_of(count.begin(), count.begin() + kinds, [](int c) { return c >= 0; });
}

// ------------------------------------------------------------ profile

TSearchProfile::TSearchProfile(const TCTab& T) { Assign(T); }

namespace {

// Sorts the keys of a table's bonds and counts each kind; too many kinds
// leave the count at -1.
template <class Kinds>
void CountKinds(std::array<uint32_t, kMaxCTAtoms * kMaxCTConn>& keys, int n, Kinds& out) {
  std::sort(keys.begin(), keys.begin() + n);
  out.count = 0;
  for (int i = 0; i < n; ++i) {
    if (out.count > 0 && out.key[out.count - 1] == keys[i]) {
      ++out.bonds[out.count - 1];
      continue;
    }
    if (out.count == static_cast<int>(out.key.size())) {
      out.count = -1;
      return;
    }
    out.key[out.count] = keys[i];
    out.bonds[out.count++] = 1;
  }
}

// Whether every kind of Query's bonds is there at least as often in have.
template <class Kinds>
bool KindsContained(const Kinds& have, const Kinds& query) {
  if (have.count < 0 || query.count < 0) return true;
  int i = 0;
  for (int j = 0; j < query.count; ++j) {
    while (i < have.count && have.key[i] < query.key[j]) ++i;
    if (i == have.count || have.key[i] != query.key[j] || have.bonds[i] < query.bonds[j]) {
      return false;
    }
  }
  return true;
}

}  // namespace

void TSearchProfile::Assign(const TCTab& T) {
  *this = TSearchProfile{};
  n_ = T.n_;
  rings_ = T.RingsInMolecule();
  std::array<uint32_t, kMaxCTAtoms * kMaxCTConn> typed{}, untyped{};
  int bonds = 0;
  for (int a = 1; a <= n_; ++a) {
    const CTElem& e = T.atoms_[a];
    int deg = 0;
    for (int k = 1; k <= kMaxCTConn; ++k) {
      const int b = e.ConnTo[k];
      if (b == 0) continue;
      ++deg;
      // Each bond counted once, from its lower atom, when the table holds
      // it on both atoms with one type and the partner only once.
      bool single = b <= n_ && b != a && T.CheckConnect(b, a) == e.TypConn[k];
      for (int j = 1; j < k && single; ++j) single = e.ConnTo[j] != b;
      if (!single) {
        wellFormed_ = false;
        continue;
      }
      if (b < a) continue;
      const int z1 = std::min(e.AtType, T.atoms_[b].AtType);
      const int z2 = std::max(e.AtType, T.atoms_[b].AtType);
      untyped[bonds] = static_cast<uint32_t>(z1 << 16 | z2 << 8);
      typed[bonds++] = static_cast<uint32_t>(z1 << 16 | z2 << 8 | e.TypConn[k]);
    }
    deg_[a] = static_cast<uint8_t>(deg);
    for (int k = 1; k <= 4 && k <= deg; ++k) ++atLeast_[k];
    if (elementCount_[e.AtType]++ == 0) kindZ_[kinds_++] = e.AtType;
  }
  CountKinds(typed, bonds, typed_);
  CountKinds(untyped, bonds, untyped_);

  // The parts of more than one atom.
  std::array<int, kMaxCTAtoms + 1> size{};
  for (int a = 1; a <= n_; ++a) {
    if (part_[a] != 0 || deg_[a] == 0) continue;
    ++parts_;
    std::array<int, kMaxCTAtoms> stack{};
    int top = 0;
    stack[top++] = a;
    part_[a] = static_cast<uint8_t>(parts_);
    while (top > 0) {
      const int c = stack[--top];
      ++size[parts_];
      for (int k = 1; k <= kMaxCTConn; ++k) {
        const int b = T.GetConnTo(c, k);
        if (b == 0) break;
        if (b > kMaxCTAtoms || part_[b] != 0) continue;
        part_[b] = static_cast<uint8_t>(parts_);
        stack[top++] = b;
      }
    }
  }
  for (int p = 1; p <= parts_; ++p) partOrder_[p - 1] = static_cast<uint8_t>(p);
  std::stable_sort(partOrder_.begin(), partOrder_.begin() + parts_,
                   [&](int x, int y) { return size[x] > size[y]; });
}

bool TSearchProfile::MayContain(const TSearchProfile& Query, bool CheckBonds) const {
  if (n_ < Query.n_ || rings_ < Query.rings_) return false;
  for (int i = 0; i < Query.kinds_; ++i) {
    const int z = Query.kindZ_[i];
    if (elementCount_[z] < Query.elementCount_[z]) return false;
  }
  for (int k = 1; k <= 4; ++k) {
    if (atLeast_[k] < Query.atLeast_[k]) return false;
  }
  if (!wellFormed_ || !Query.wellFormed_) return true;
  return CheckBonds ? KindsContained(typed_, Query.typed_)
                    : KindsContained(untyped_, Query.untyped_);
}

// ------------------------------------------------------------- matcher

namespace {

// One side of a search: the table's atoms (entries above its count
// cleared), their bond counts and, for the query, its parts.
struct SearchGraph {
  const CTElem* at;
  const uint8_t* deg;
  int n;
  const uint8_t* part;
  const uint8_t* partOrder;
  int parts;
};

// The state of one search of a query in a structure.
class SubstructureMatcher {
 public:
  SubstructureMatcher(const SearchGraph& S, const SearchGraph& Q, TMatchMarks& Marks,
                      bool CheckBonds, std::ofstream* Trace)
      : s_(S), q_(Q), marks_(Marks), bonds_(CheckBonds), trace_(Trace) {}

  // The structure atom matched to query atom q after a search that found
  // the query.
  int Mapped(int q) const { return found_[q]; }

  // Whether the query is found with start query atom q tried against
  // structure atom s (the top of the search).
  bool Top(int s, int q) {
    Reset();
    placed_[q] = true;
    return Step(0, 0, s, q);
  }

  // Tells whether each of the query's parts of more than one atom is found
  // on its own when there are several: a part that is nowhere in the
  // structure fails the search before the parts are combined (which would
  // otherwise try every placement of the others). The parts come in the
  // search, after the start atom's, largest first.
  bool PrepareParts() {
    const int nq = q_.n;
    if (q_.parts < 2) return true;
    std::ofstream* trace = trace_;
    trace_ = nullptr;
    bool ok = true;
    for (int p = 1; p <= q_.parts && ok; ++p) {
      int first = 0;
      for (int a = nq; a >= 1; --a) {
        if (q_.part[a] == p) first = a;
      }
      ok = false;
      for (int s = 1; s <= s_.n && !ok; ++s) {
        Reset();
        for (int a = 1; a <= nq; ++a) placed_[a] = q_.part[a] != p || a == first;
        ok = Step(0, 0, s, first);
      }
    }
    trace_ = trace;
    Reset();
    return ok;
  }

 private:
  struct Pair {
    int prevS, prevQ, s, q;
  };

  // The type of the bond a - b as entered on structure atom a; 0 if none.
  int StructureBond(int a, int b) const {
    const CTElem& e = s_.at[a];
    for (int k = 1; k <= kMaxCTConn; ++k) {
      if (e.ConnTo[k] == b) return e.TypConn[k];
    }
    return 0;
  }

  // The checks of a pair that need nothing but the atoms themselves and
  // the query atoms matched so far: element, attributes, bond count, and a
  // structure bond (of the same type with bond checking) for every bond
  // from q to a matched query atom. A free structure atom only.
  bool Fits(int s, int q) const {
    if (s < 1 || s > kMaxCTAtoms || used_[s]) return false;
    const CTElem& se = s_.at[s];
    const CTElem& qe = q_.at[q];
    if (se.AtType != qe.AtType) return false;
    if ((se.Attrib & qe.Attrib) != qe.Attrib) return false;
    if (s_.deg[s] < q_.deg[q]) return false;
    for (int k = 1; k <= kMaxCTConn; ++k) {
      const int c = qe.ConnTo[k];
      if (c == 0) break;
      if (map_[c] == 0) continue;
      const int t = StructureBond(s, map_[c]);
      if (t == 0 || (bonds_ && t != qe.TypConn[k])) return false;
    }
    return true;
  }

  // Matches the pairs on the stack, last first; true when every query atom
  // has been matched.
  bool Run() {
    if (pending_ == 0) return NextPart();
    const Pair p = stack_[--pending_];
    const bool ok = Step(p.prevS, p.prevQ, p.s, p.q);
    stack_[pending_++] = p;
    return ok;
  }

  // One pair: checks it, matches it, hands on q's unplaced neighbours and
  // goes on with the rest; everything is taken back when it fails. A pair
  // from an assignment arrives with s already taken for q.
  bool Step(int prevS, int prevQ, int s, int q) {
    bool closure = false;
    if (trace_ != nullptr) {
      for (int k = 1; k <= kMaxCTConn; ++k) {
        const int c = q_.at[q].ConnTo[k];
        if (c == 0) break;
        if (c != prevQ && matched_[c]) closure = true;
      }
      *trace_ << "level=" << depth_ << "  " << prevS << " " << prevQ << " " << s << " " << q
              << "\n";
    }
    const bool assigned = map_[q] == s;
    map_[q] = 0;
    used_[s] = false;
    const bool fits = Fits(s, q);
    if (trace_ != nullptr) *trace_ << BoolToStr(fits, 1) << " " << BoolToStr(closure, 1) << "\n";
    bool ok = false;
    if (fits) {
      used_[s] = true;
      map_[q] = s;
      matched_[q] = true;
      marks_[s] = 1;
      ++depth_;
      ok = Expand(s, q);
      --depth_;
      matched_[q] = false;
      if (!ok) marks_[s] = 0;
    }
    map_[q] = assigned || ok ? s : 0;  // the accepted match stays readable
    used_[s] = assigned;
    if (trace_ != nullptr) *trace_ << "final: " << BoolToStr(ok, 1) << "\n--------------\n";
    return ok;
  }

  // The assignments of q's unplaced neighbours to s's free neighbours, in
  // lexicographic order with wrap-around: every tuple after (1, 2, ..., m)
  // first, that one last.
  bool Expand(int s, int q) {
    Group g;
    const CTElem& qe = q_.at[q];
    for (int i = 1; i <= kMaxCTConn; ++i) {
      const int c = qe.ConnTo[i];
      if (c == 0) break;
      if (!placed_[c]) g.qn[g.m++] = c;
    }
    if (g.m == 0) return Run();
    const CTElem& se = s_.at[s];
    for (int i = 1; i <= kMaxCTConn; ++i) {
      const int c = se.ConnTo[i];
      if (c == 0) break;
      if (!used_[c]) g.sn[g.k++] = c;
    }
    if (g.m > g.k) return false;
    g.s = s;
    g.q = q;
    for (int i = 0; i < g.m; ++i) placed_[g.qn[i]] = true;
    bool identity = false;  // (1, 2, ..., m) fits: tried last
    const bool ok = Assign(g, 0, false, identity) || (identity && Assign(g, 0, true, identity));
    for (int i = 0; i < g.m; ++i) placed_[g.qn[i]] = false;
    return ok;
  }

  // The query neighbours of a matched pair and the structure atoms they
  // may take.
  struct Group {
    int s = 0, q = 0, m = 0, k = 0;
    std::array<int, kMaxCTConn> qn, sn, pick;
  };

  // The tuples of distinct indices into sn from position i on, each atom
  // taken for its query neighbour as soon as it fits (so that the later
  // siblings and everything below are checked against it). The identity
  // tuple is only noted, unless Identity asks for it alone.
  bool Assign(Group& g, int i, bool Identity, bool& identitySeen) {
    if (i == g.m) {
      bool isIdentity = true;
      for (int j = 0; j < g.m; ++j) isIdentity = isIdentity && g.pick[j] == j;
      if (isIdentity && !Identity) {
        identitySeen = true;
        return false;
      }
      return TryAssignment(g);
    }
    for (int j = Identity ? i : 0; j < (Identity ? i + 1 : g.k); ++j) {
      const int t = g.sn[j];
      if (!Fits(t, g.qn[i])) continue;
      used_[t] = true;
      map_[g.qn[i]] = t;
      g.pick[i] = j;
      const bool ok = Assign(g, i + 1, Identity, identitySeen);
      used_[t] = false;
      map_[g.qn[i]] = 0;
      if (ok) return true;
    }
    return false;
  }

  // Puts the pairs of an assignment on the stack (the first on top) and
  // goes on.
  bool TryAssignment(const Group& g) {
    const int base = pending_;
    for (int i = g.m - 1; i >= 0; --i) stack_[pending_++] = {g.s, g.q, g.sn[g.pick[i]], g.qn[i]};
    const bool ok = Run();
    pending_ = base;
    return ok;
  }

  // Every pair matched: the next part of the query, if any, starts at its
  // lowest unplaced atom against every free structure atom; the parts of
  // more than one atom come largest first, then the single atoms. Of two
  // single atoms alike in element and attributes the later takes a higher
  // structure atom than the earlier, so that they are not tried in every
  // order.
  bool NextPart() {
    const int nq = q_.n;
    int q = 0;
    for (int i = 0; i < q_.parts && q == 0; ++i) {
      for (int a = 1; a <= nq && q == 0; ++a) {
        if (!placed_[a] && q_.part[a] == q_.partOrder[i]) q = a;
      }
    }
    for (int a = 1; a <= nq && q == 0; ++a) {
      if (!placed_[a]) q = a;
    }
    if (q == 0) {
      found_ = map_;  // the assignments are taken back on the way up
      return true;
    }
    int from = 1;
    if (q_.part[q] == 0) {
      const CTElem& qe = q_.at[q];
      for (int a = q - 1; a >= 1; --a) {
        if (q_.part[a] == 0 && map_[a] != 0 && q_.at[a].AtType == qe.AtType &&
            q_.at[a].Attrib == qe.Attrib) {
          from = map_[a] + 1;
          break;
        }
      }
    }
    placed_[q] = true;
    bool ok = false;
    for (int s = from; s <= s_.n && !ok; ++s) {
      if (Fits(s, q)) ok = Step(0, 0, s, q);
    }
    placed_[q] = false;
    return ok;
  }

  void Reset() {
    marks_.fill(0);
    map_.fill(0);
    used_.fill(false);
    placed_.fill(false);
    matched_.fill(false);
    depth_ = 0;
    pending_ = 0;
  }

  const SearchGraph& s_;
  const SearchGraph& q_;
  TMatchMarks& marks_;
  bool bonds_;
  std::ofstream* trace_;
  std::array<int, kMaxCTAtoms + 1> map_{};       // query atom -> structure atom
  std::array<int, kMaxCTAtoms + 1> found_{};     // map_ when every atom was matched
  std::array<bool, kMaxCTAtoms + 1> used_{};     // structure atoms taken
  std::array<bool, kMaxCTAtoms + 1> matched_{};  // query atoms past their check
  // Query atoms matched or waiting on the stack for their turn.
  std::array<bool, kMaxCTAtoms + 1> placed_{};
  // The pairs waiting for their turn: each holds a distinct placed query
  // atom.
  std::array<Pair, kMaxCTAtoms + 1> stack_;
  int pending_ = 0;
  int depth_ = 0;
};

}  // namespace

bool TCTab::SearchSubStruc(const TCTab& Query, TMatchMarks& Marks, bool CheckBonds) const {
  Marks.fill(0);
  if (Query.n_ == 0) return false;
  return SearchSubStruc(Query, TSearchProfile(Query), Marks, CheckBonds, TSearchProfile(*this));
}

bool TCTab::SearchSubStruc(const TCTab& Query, const TSearchProfile& QueryProfile,
                           TMatchMarks& Marks, bool CheckBonds,
                           const TSearchProfile& Profile) const {
  AtListType mapping;
  return SearchSubStruc(Query, QueryProfile, Marks, CheckBonds, Profile, mapping);
}

bool TCTab::SearchSubStruc(const TCTab& Query, const TSearchProfile& QueryProfile,
                           TMatchMarks& Marks, bool CheckBonds, const TSearchProfile& Profile,
                           AtListType& Mapping) const {
  if (QueryProfile.n_ != Query.n_ || Profile.n_ != n_) {
    return SearchSubStruc(Query, TSearchProfile(Query), Marks, CheckBonds, TSearchProfile(*this),
                          Mapping);
  }
  Marks.fill(0);
  Mapping.fill(0);
  const int nq = Query.n_;
  if (nq == 0 || !Profile.MayContain(QueryProfile, CheckBonds)) return false;
  // The start atom: the first query atom that is not carbon, else the last,
  // and query atom 1 when that is carbon too.
  int start = nq;
  for (int a = 1; a < nq; ++a) {
    if (Query.atoms_[a].AtType != 6) {
      start = a;
      break;
    }
  }
  if (Query.atoms_[start].AtType == 6) start = 1;
  std::optional<std::ofstream> trace;
  if (search_trace_) trace.emplace(kSearchTraceFile, std::ios::app | std::ios::binary);
  const SearchGraph s{atoms_.data(),        Profile.deg_.data(),       n_,
                      Profile.part_.data(), Profile.partOrder_.data(), Profile.parts_};
  const SearchGraph q{
      Query.atoms_.data(),       QueryProfile.deg_.data(),       nq,
      QueryProfile.part_.data(), QueryProfile.partOrder_.data(), QueryProfile.parts_};
  SubstructureMatcher matcher(s, q, Marks, CheckBonds,
                              trace && trace->is_open() ? &*trace : nullptr);
  if (!matcher.PrepareParts()) return false;
  const bool anyAtom = Query.atoms_[start].AtType == 6;
  for (int a = 1; a <= n_; ++a) {
    if (!anyAtom && atoms_[a].AtType != Query.atoms_[start].AtType) continue;
    if (matcher.Top(a, start)) {
      Mapping[0] = nq;
      for (int q = 1; q <= nq; ++q) Mapping[q] = matcher.Mapped(q);
      return true;
    }
  }
  Marks.fill(0);
  return false;
}

// The pairing rule of the bond-type template// The pairing rule of the bond-type template: its
// non-zero entries are a multiset that the atom's bonds must supply, each bond used once. A
// template of {1, 1, 2} keeps an atom with two single bonds and a double
// bond (and perhaps more bonds), not one with a single and a double bond.
void TCTab::MatchAtomTemplate(int Element, int BondCount,
                              const std::array<uint8_t, kMaxCTConn>& BondTypes,
                              AtListType& Atoms) const {
  Atoms.fill(0);
  std::array<int, 256> wanted{};
  for (const uint8_t t : BondTypes) {
    if (t != 0) ++wanted[t];
  }
  for (int a = 1; a <= n_; ++a) {
    const CTElem& e = atoms_[a];
    if (Element > 0 && e.AtType != Element) continue;
    if (Element < 0 && e.AtType == -Element) continue;
    const int nb = GetNBonds(a);
    if (BondCount > 0 && nb != BondCount) continue;
    if (BondCount < 0 && nb == -BondCount) continue;
    std::array<int, 256> have{};
    for (int k = 1; k <= nb; ++k) ++have[e.TypConn[k]];
    bool supplied = true;
    for (int t = 1; t < 256 && supplied; ++t) supplied = have[t] >= wanted[t];
    if (!supplied) continue;
    Atoms[++Atoms[0]] = a;
  }
}

}  // namespace tkz
