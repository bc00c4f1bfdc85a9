// Random bytes as a settings file, read by the string array's reader with an
// empty Id and with a named one: never a crash, a hang or a sanitizer report.
// A failed read leaves the array as it was; a successful one gives
// dimensions within the reader's cell limit, and the array survives a write
// and a second read with the same contents.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>

#include "core/dstruct/strarray.h"
#include "fuzz/temp_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const tkz::fuzzing::TempFile file("strarray"), again("strarray_again");
  file.Write(data, size);
  for (const char* id : {"", "main"}) {
    tkz::TStringArray a;
    a.SetString(1, 1, "before");
    int changes = 0;
    a.OnChange = [&](tkz::TObject*) { ++changes; };
    tkz::TTextFile f;
    f.AssignFile(file.Name());
    f.Reset();
    const bool ok = a.ReadFromOpenXMLFile(f, id);
    f.CloseFile();
    if (!ok) {
      if (changes != 0 || a.GetString(1, 1) != "before" || a.GetNrOfRows() != 1) std::abort();
      continue;
    }
    if (changes != 1) std::abort();
    const int64_t cells = (int64_t{a.GetNrOfColumns()} + 1) * a.GetNrOfRows();
    if (cells > tkz::TStringArray::kMaxXMLCells) std::abort();
    if (cells > 100000) continue;  // keep the round trip quick
    a.SaveAsXMLFile(again.Name(), "again");
    tkz::TStringArray b;
    if (!b.LoadFromXMLFile(again.Name(), "again")) std::abort();
    if (b.GetNrOfColumns() != a.GetNrOfColumns() || b.GetNrOfRows() != a.GetNrOfRows())
      std::abort();
    for (int r = 1; r <= a.GetNrOfRows(); ++r)
      for (int c = 0; c <= a.GetNrOfColumns(); ++c)
        if (a.GetString(c, r) != b.GetString(c, r)) std::abort();
  }
  return 0;
}
