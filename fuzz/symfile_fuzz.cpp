// Random bytes as a symbol file, read by the repository with an empty id and
// with a named one: never a crash, a hang or a sanitizer report; a file
// without the list leaves the repository as it was; what is read holds its
// limits and stores and loads back into equal entries.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "fuzz/temp_file.h"
#include "geo/geomap.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const tkz::fuzzing::TempFile file("symfile");
  static const tkz::fuzzing::TempFile copy("symfile_copy");
  file.Write(data, size);
  for (const char* id : {"", "main"}) {
    tkz::TSymbolRepository r;
    r.SetNEntries(1);
    tkz::TSymbol mark = tkz::DefaultSymbolRecord();
    mark.Name = "before";
    r.SetValues(1, mark);
    tkz::TTextFile f;
    f.AssignFile(file.Name());
    f.Reset();
    const bool found = r.ReadFromOpenXMLFile(f, id);
    f.CloseFile();
    const int n = r.GetNumEntries();
    if (!found) {
      if (n != 1 || !(r.GetValues(1) == mark)) std::abort();
      continue;
    }
    // Every entry costs at least "<symbol >" in the file.
    if (static_cast<size_t>(n) * 9 > size || r.GetCapacity() < n) std::abort();
    for (int i = 1; i <= n; ++i)
      if (r.GetValues(i).Name.size() > tkz::kSymbolNameLength) std::abort();
    r.StoreOnFile(copy.Name(), id);
    tkz::TSymbolRepository back;
    if (!back.LoadFromFile(copy.Name(), id) || back.GetNumEntries() != n) std::abort();
    for (int i = 1; i <= n; ++i)
      if (!(back.GetValues(i) == r.GetValues(i))) std::abort();
  }
  return 0;
}
