// TChemGraph: picking a ring or a chain next to a point, and the random
// search that improves a layout.
#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#include "chem/chemgrph.h"
#include "core/numkit/math1.h"
#include "core/text/stringl.h"

namespace tkz {

namespace {

constexpr int kRingPickAtoms = 6;

double Dist2D(const TCTab& t, int a, float x, float y) {
  return std::hypot(t.GetCoords(a, 1) - x, t.GetCoords(a, 2) - y);
}

// Whether two rings hold the same atoms (in any order).
bool SameAtoms(const RingType& a, const RingType& b) {
  if (a.Size != b.Size) return false;
  std::array<bool, kMaxCTAtoms + 1> in{};
  for (int i = 1; i <= a.Size; ++i) in[a.Atoms[i]] = true;
  for (int i = 1; i <= b.Size; ++i) {
    if (!in[b.Atoms[i]]) return false;
  }
  return true;
}

}  // namespace

// ------------------------------------------------------------------ picking

void TChemGraph::FindRingNextToCursor(float X, float Y, RingType& Ring) const {
  Ring = RingType{};
  const TCTab& t = *structure_;
  const int n = t.GetNAtoms();
  if (n == 0) return;
  // The six atoms nearest to the point, nearest first.
  std::array<double, kRingPickAtoms> dist;
  std::array<int32_t, kRingPickAtoms> atom{};
  dist.fill(2e9);
  for (int a = 1; a <= n; ++a) {
    const double d = Dist2D(t, a, X, Y);
    const int ix = SortIntoArray(d, std::span<const double>(dist));
    if (ix < 0) continue;
    InsertIntoArray(std::span<double>(dist), ix, d);
    InsertIntoArray(std::span<int32_t>(atom), ix, a);
  }
  RingListType rings;
  if (t.FindShortestRings(atom[0], rings) < 2) {
    if (rings.Count == 1) Ring = rings.Rings[1];
    return;
  }
  // The distinct smallest rings through the six atoms; the one closest to
  // the point (sum of the atoms' city-block distances) wins, the first on
  // ties.
  std::vector<RingType> found;
  for (int i = 0; i < kRingPickAtoms && atom[i] != 0; ++i) {
    RingListType through;
    const int count = t.FindShortestRings(atom[i], through);
    for (int r = 1; r <= count; ++r) {
      const RingType& ring = through.Rings[r];
      if (std::none_of(found.begin(), found.end(),
                       [&](const RingType& f) { return SameAtoms(f, ring); })) {
        found.push_back(ring);
      }
    }
  }
  double best = 0;
  for (const RingType& ring : found) {
    double sum = 0;
    for (int i = 1; i <= ring.Size; ++i) {
      sum +=
          std::abs(t.GetCoords(ring.Atoms[i], 1) - X) + std::abs(t.GetCoords(ring.Atoms[i], 2) - Y);
    }
    if (Ring.Size == 0 || sum < best) {
      Ring = ring;
      best = sum;
    }
  }
}

int TChemGraph::FindChainNexttoCursor(float X, float Y, AtListType& Atoms) const {
  Atoms.fill(0);
  const TCTab& t = *structure_;
  const int n = t.GetNAtoms();
  int seed = 0;
  double best = 0;
  for (int a = 1; a <= n; ++a) {
    if (t.GetNBonds(a) > 2) continue;
    const double d = Dist2D(t, a, X, Y);
    if (seed == 0 || d < best) {
      seed = a;
      best = d;
    }
  }
  if (seed == 0) return 0;
  // Walks from the seed through one of its partners while the atoms reached
  // have exactly two bonds. Only a ring of two-bond atoms leads back to the
  // seed; the walk ends there (closed). An end atom of another bond count
  // may end both walks (a ring hanging on one branch atom).
  bool closed = false;
  const auto walk = [&](int first) {
    std::vector<int> path;
    int prev = seed, cur = first;
    while (cur != 0 && cur != seed && path.size() < static_cast<size_t>(n)) {
      path.push_back(cur);
      if (t.GetNBonds(cur) != 2) break;
      const int next = t.GetConnTo(cur, 1) == prev ? t.GetConnTo(cur, 2) : t.GetConnTo(cur, 1);
      prev = cur;
      cur = next;
    }
    if (cur == seed && !path.empty()) closed = true;
    return path;
  };
  const std::vector<int> one = walk(t.GetConnTo(seed, 1));
  const std::vector<int> two = closed ? std::vector<int>{} : walk(t.GetConnTo(seed, 2));
  std::vector<int> chain(one.rbegin(), one.rend());
  chain.push_back(seed);
  chain.insert(chain.end(), two.begin(), two.end());
  if (t.GetCoords(chain.front(), 1) > t.GetCoords(chain.back(), 1)) {
    std::reverse(chain.begin(), chain.end());
  }
  Atoms[0] = static_cast<int32_t>(chain.size());
  for (size_t i = 0; i < chain.size(); ++i) Atoms[i + 1] = chain[i];
  return Atoms[0];
}

// ------------------------------------------------------------------- layout

namespace {

using Coords = std::array<std::array<double, 3>, kMaxCTAtoms + 1>;

double Dist3D(const Coords& p, int a, int b) {
  return std::sqrt((p[a][0] - p[b][0]) * (p[a][0] - p[b][0]) +
                   (p[a][1] - p[b][1]) * (p[a][1] - p[b][1]) +
                   (p[a][2] - p[b][2]) * (p[a][2] - p[b][2]));
}

// The neighbours of each atom, Adjacency[a] its partners.
using Adjacency = std::array<std::vector<int>, kMaxCTAtoms + 1>;

double Score(const Coords& p, const Adjacency& adj, const TCTab& t, double L) {
  const int n = t.GetNAtoms();
  const double angle = 1.732 * L;
  double score = 0;
  for (int i = 1; i <= n; ++i) {
    for (int j = i + 1; j <= n; ++j) {
      const double d = Dist3D(p, i, j);
      if (t.CheckConnect(i, j) == 0) {
        score += d;
        continue;
      }
      score -= (d - L) * (d - L) / 2;
      for (int k : adj[i]) {
        if (k == j) continue;
        const double e = Dist3D(p, j, k) - angle;
        score -= e * e / 2;
      }
      for (int k : adj[j]) {
        if (k == i) continue;
        const double e = Dist3D(p, i, k) - angle;
        score -= e * e / 2;
      }
    }
  }
  return score;
}

Coords ReadCoords(const TCTab& t) {
  Coords p{};
  for (int a = 1; a <= t.GetNAtoms(); ++a) {
    for (int k = 0; k < 3; ++k) p[a][k] = t.GetCoords(a, k + 1);
  }
  return p;
}

Adjacency Neighbours(const TCTab& t) {
  Adjacency adj;
  for (int a = 1; a <= t.GetNAtoms(); ++a) {
    for (int s = 1; s <= kMaxCTConn; ++s) {
      if (t.GetConnTo(a, s) != 0) adj[a].push_back(t.GetConnTo(a, s));
    }
  }
  return adj;
}

}  // namespace

double TChemGraph::MolShapeScore(int BondLength) const {
  return Score(ReadCoords(*structure_), Neighbours(*structure_), *structure_, BondLength);
}

void TChemGraph::OptimizeMolShape(int BondLength) {
  TCTab& t = *structure_;
  const int n = t.GetNAtoms();
  if (n < 2 || BondLength < 1) return;
  const double L = BondLength;
  const Adjacency adj = Neighbours(t);
  Coords cur = ReadCoords(t);
  double best = Score(cur, adj, t, L);
  const int steps = 100 * n;
  for (int i = 1; i <= steps; ++i) {
    // The step shrinks with the part of the run done, from 1.1 L to 0.
    const double factor = 1.1 * (steps - i) / steps;
    Coords trial = cur;
    const auto move = [&] {
      const int a = 1 + Random(n);
      // Kept in the table's precision, so that the layout written back has
      // the score that was accepted.
      trial[a][0] = static_cast<float>(trial[a][0] + (Random(2 * BondLength) - L) * factor);
      trial[a][1] = static_cast<float>(trial[a][1] + (Random(2 * BondLength) - L) * factor);
    };
    move();
    if (i % 2 == 0) move();
    const double score = Score(trial, adj, t, L);
    if (score >= best) {
      best = score;
      cur = trial;
    }
  }
  // Written back in one go: the table announces one change, not one per
  // coordinate.
  TNotifyEvent on_change = std::move(t.OnChange);
  t.OnChange = nullptr;
  for (int a = 1; a <= n; ++a) {
    t.SetCoords(a, 1, static_cast<float>(cur[a][0]));
    t.SetCoords(a, 2, static_cast<float>(cur[a][1]));
  }
  t.OnChange = std::move(on_change);
  t.Changed();
}

}  // namespace tkz
