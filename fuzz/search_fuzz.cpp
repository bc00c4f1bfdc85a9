// A structure and a query built from the bytes: the substructure search
// with and without bond checking. Beyond "no crash, no sanitizer report" it
// checks that the search agrees with a brute-force subgraph check when both
// have at most 7 atoms, and that the match marks fit the result: none after
// a miss, after a hit exactly as many as the query has atoms, with its
// element counts, and (for small tables) a match that uses exactly them.
// Larger inputs (up to 63 atoms, up to 10 bonds each) only have to finish.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "chem/cstruct.h"
#include "tests/chem/search_brute_force.h"

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

struct Bytes {
  const uint8_t* p;
  size_t n, i = 0;
  int Next() { return i < n ? p[i++] : 0; }
  bool More() const { return i < n; }
};

// Atom count from one byte, elements C, N, O, S from the next ones, then
// bonds as (a, b, type) until the bytes or the bond budget run out.
void Build(Bytes& in, tkz::TCTab& t, int maxAtoms) {
  t.Clear();
  const int n = 1 + in.Next() % maxAtoms;
  static const int kZ[] = {6, 7, 8, 16};
  for (int a = 0; a < n; ++a) {
    tkz::CTElem e;
    e.AtType = static_cast<uint8_t>(kZ[in.Next() % 4]);
    t.AddAtom(e);
  }
  const int bonds = in.Next() % (n * 5 + 1);
  for (int k = 0; k < bonds && in.More(); ++k) {
    const int a = 1 + in.Next() % n, b = 1 + in.Next() % n, type = 1 + in.Next() % 3;
    if (a != b) t.MakeConnection(a, b, type);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  Bytes in{data + 1, size - 1};
  const bool small = data[0] % 4 != 0;
  tkz::TCTab s, q;
  Build(in, s, small ? 7 : tkz::kMaxCTAtoms);
  Build(in, q, small ? 7 : 12);
  for (const bool bonds : {false, true}) {
    tkz::TMatchMarks marks{};
    marks.fill(9);
    const bool found = s.SearchSubStruc(q, marks, bonds);
    int marked = 0;
    std::vector<int> count(20, 0);
    std::vector<bool> allowed(static_cast<size_t>(s.GetNAtoms() + 1), false);
    for (int a = 0; a <= tkz::kMaxCTAtoms; ++a) {
      Check(marks[a] == 0 || (marks[a] == 1 && a >= 1 && a <= s.GetNAtoms()));
      if (marks[a] == 1) {
        ++marked;
        ++count[s.GetAtNum(a) % 20];
        allowed[a] = true;
      }
    }
    if (!found) {
      Check(marked == 0);
    } else {
      Check(marked == q.GetNAtoms());
      for (int a = 1; a <= q.GetNAtoms(); ++a) --count[q.GetAtNum(a) % 20];
      for (const int c : count) Check(c == 0);
    }
    if (s.GetNAtoms() <= 7 && q.GetNAtoms() <= 7) {
      Check(found == tkz::testing::BruteForceSubgraph(s, q, bonds));
      if (found) Check(tkz::testing::BruteForceSubgraph(s, q, bonds, allowed));
    }
  }
  return 0;
}
