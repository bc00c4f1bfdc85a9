// Arbitrary bytes through the SD-file reader, record after record until the
// end of the file. Beyond "no crash, no sanitizer report" it checks that
// every record read consumes at least one line (so the loop ends), that the
// table keeps its invariants (partners within 1..n, bonds on both atoms) and
// that the data items are known names with finite values, packed from slot 1.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "chem/cstruct.h"
#include "core/platform/textfile.h"
#include "ctab_check.h"
#include "temp_file.h"

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

bool KnownItem(const std::string& name) {
  for (const char* known : tkz::SDPropItemNames()) {
    if (name == known) return true;
  }
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const tkz::fuzzing::TempFile file("sdfile");
  file.Write(data, size);
  tkz::TTextFile f;
  f.AssignFile(file.Name());
  f.Reset();
  tkz::TCTab t;
  // Each record takes at least one line, so there are at most size + 1.
  for (size_t records = 0; !f.Eof(); ++records) {
    Check(records <= size);
    tkz::TPropRec props;
    const bool ok = t.ReadFromMDLSDFile(f, props);
    CheckReadTable(t, ok);
    bool free = false;
    for (int k = 1; k <= tkz::kMaxPropItems; ++k) {
      if (props[k].Name.empty()) {
        free = true;
        continue;
      }
      Check(!free && KnownItem(props[k].Name) && std::isfinite(props[k].Value));
    }
  }
  f.CloseFile();
  return 0;
}
