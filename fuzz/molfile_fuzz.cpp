// Arbitrary bytes through the molfile and CTab stream readers. Beyond "no
// crash, no sanitizer report" it checks the table after every read, whatever
// its result: 0..63 atoms (1..63 after a successful read), every partner
// within 1..n and not the atom itself, bonds entered on both atoms with the
// same type, no partner twice; and that the stream stands within its data.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "chem/cstruct.h"
#include "core/platform/stream.h"

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

void CheckTable(const tkz::TCTab& t, bool ok) {
  const int n = t.GetNAtoms();
  Check(n >= 0 && n <= tkz::kMaxCTAtoms);
  Check(!ok || n >= 1);
  for (int a = 1; a <= n; ++a) {
    Check(t.GetAtNum(a) >= 1);
    for (int k = 1; k <= tkz::kMaxCTConn; ++k) {
      const int b = t.GetConnTo(a, k);
      if (b == 0) continue;
      Check(b >= 1 && b <= n && b != a);
      Check(t.CheckConnect(b, a) == t.GetTypConn(a, k));
      for (int j = k + 1; j <= tkz::kMaxCTConn; ++j) Check(t.GetConnTo(a, j) != b);
    }
  }
  Check(t.GetAtNum(n + 1) == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  for (const bool mol : {true, false}) {
    tkz::TMemoryStream s;
    s.Write(data, static_cast<int64_t>(size));
    s.Seek(0, tkz::soBeginning);
    tkz::TCTab t;
    // Reads records until the data ends or a read consumes nothing.
    for (int64_t before = -1; s.GetPosition() < s.GetSize() && s.GetPosition() != before;) {
      before = s.GetPosition();
      const bool ok = mol ? t.ReadFromMDLMolStream(s) : t.ReadFromMDLCTabStream(s);
      Check(s.GetPosition() >= before && s.GetPosition() <= s.GetSize());
      CheckTable(t, ok);
    }
  }
  return 0;
}
