// TCTab: rings, attributes, chains and functional groups.
#include <algorithm>
#include <array>

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

}  // namespace tkz
