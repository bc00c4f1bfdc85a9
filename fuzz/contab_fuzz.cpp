// Arbitrary bytes through the clear-text readers (CONTAB, with and without
// the keyword search, and CTABG). After a successful read the table must be
// sound: 1..63 atoms, partners within 1..n, none twice, no atom bonded to
// itself, every bond on both atoms with the same type; and writing it as
// CONTAB and reading that back must give the same table.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "chem/cstruct.h"
#include "fuzz/temp_file.h"

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

void CheckSound(const tkz::TCTab& t) {
  const int n = t.GetNAtoms();
  Check(n >= 1 && n <= tkz::kMaxCTAtoms);
  for (int a = 1; a <= n; ++a) {
    bool seen[tkz::kMaxCTAtoms + 1] = {};
    for (int k = 1; k <= tkz::kMaxCTConn; ++k) {
      const int b = t.GetConnTo(a, k);
      if (b == 0) {
        Check(k > t.GetNBonds(a));
        continue;
      }
      Check(b >= 1 && b <= n && b != a && !seen[b]);
      seen[b] = true;
      Check(t.CheckConnect(b, a) == t.GetTypConn(a, k));
    }
  }
}

void CheckWrittenReadsBack(const tkz::TCTab& t, const tkz::fuzzing::TempFile& out) {
  tkz::TTextFile f;
  f.AssignFile(out.Name());
  f.Rewrite();
  t.WriteToClearTextFile(f);
  f.CloseFile();
  f.Reset();
  tkz::TCTab back;
  Check(back.ReadFromClearTextFile(f));
  Check(back.GetNAtoms() == t.GetNAtoms() && back.GetStrucName() == t.GetStrucName());
  for (int a = 1; a <= t.GetNAtoms(); ++a) Check(back.GetAtomEntries(a) == t.GetAtomEntries(a));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const tkz::fuzzing::TempFile in("contab_in");
  static const tkz::fuzzing::TempFile out("contab_out");
  in.Write(data, size);
  for (int reader = 0; reader < 3; ++reader) {
    tkz::TTextFile f;
    f.AssignFile(in.Name());
    f.Reset();
    tkz::TCTab t;
    const bool ok = reader == 0   ? t.ReadFromClearTextFile(f)
                    : reader == 1 ? t.ReadConnTabBody(f)
                                  : t.ReadFromClearTextFileCTABG(f);
    if (!ok) continue;
    CheckSound(t);
    CheckWrittenReadsBack(t, out);
  }
  return 0;
}
