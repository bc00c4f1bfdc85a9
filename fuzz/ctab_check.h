// The soundness of a connection table that a reader has filled, checked the
// same way by every fuzz target that reads tables: an atom count within the
// limits (at least one atom when the read succeeded) and bonds that name
// existing other atoms and are entered on both of them with one type.
#pragma once

#include <cstdlib>

#include "chem/cstruct.h"

inline void CheckReadTable(const tkz::TCTab& t, bool ok) {
  const auto check = [](bool sound) {
    if (!sound) std::abort();
  };
  const int n = t.GetNAtoms();
  check(n >= 0 && n <= tkz::kMaxCTAtoms && (!ok || n >= 1));
  for (int a = 1; a <= n; ++a) {
    for (int k = 1; k <= tkz::kMaxCTConn; ++k) {
      const int b = t.GetConnTo(a, k);
      if (b != 0) check(b <= n && b != a && t.CheckConnect(b, a) == t.GetTypConn(a, k));
    }
  }
}
