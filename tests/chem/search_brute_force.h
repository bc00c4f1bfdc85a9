// The substructure test's and fuzz target's reference: whether some
// one-to-one map of the query's atoms onto structure atoms (those marked in
// allowed, or all when it is empty) keeps every element and puts every query
// bond on a structure bond (of the same type when bonds is set). It tries
// every map, so it is only for small tables.
#pragma once

#include <vector>

#include "chem/cstruct.h"

namespace tkz::testing {

inline bool BruteForceSubgraph(const TCTab& s, const TCTab& q, bool bonds,
                               const std::vector<bool>& allowed = {}) {
  const int nq = q.GetNAtoms(), ns = s.GetNAtoms();
  if (nq == 0) return false;
  std::vector<int> map(static_cast<size_t>(nq + 1), 0);
  std::vector<bool> used(static_cast<size_t>(ns + 1), false);
  const auto place = [&](auto&& self, int a) -> bool {
    if (a > nq) return true;
    for (int t = 1; t <= ns; ++t) {
      if (used[t] || (!allowed.empty() && !allowed[t]) || s.GetAtNum(t) != q.GetAtNum(a)) continue;
      bool ok = true;
      for (int b = 1; b < a && ok; ++b) {
        const int qt = q.CheckConnect(a, b);
        if (qt == 0) continue;
        const int st = s.CheckConnect(t, map[b]);
        ok = st != 0 && (!bonds || st == qt);
      }
      if (!ok) continue;
      used[t] = true;
      map[a] = t;
      if (self(self, a + 1)) return true;
      used[t] = false;
    }
    return false;
  };
  return place(place, 1);
}

}  // namespace tkz::testing
