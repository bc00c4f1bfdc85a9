// Random bytes as a settings file, read by the string array's reader with an
// empty Id and with a named one: never a crash, a hang or a sanitizer report.
// A failed read leaves the array as it was; a successful one gives
// dimensions within the reader's cell limit, and the array survives a write
// and a second read with the same contents.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>

#include "core/dstruct/strarray.h"

namespace {

char temp_name[] = "/tmp/tkz_strarray_fuzz_XXXXXX";
char temp_name2[] = "/tmp/tkz_strarray_fuzz2_XXXXXX";

void Make(char* name) {
  const int fd = ::mkstemp(name);
  if (fd < 0) std::abort();
  ::close(fd);
}

const char* TempName() {
  static const bool made = [] {
    Make(temp_name);
    Make(temp_name2);
    std::atexit([] {
      ::unlink(temp_name);
      ::unlink(temp_name2);
    });
    return true;
  }();
  (void)made;
  return temp_name;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  {
    std::ofstream out(TempName(), std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  for (const char* id : {"", "main"}) {
    tkz::TStringArray a;
    a.SetString(1, 1, "before");
    int changes = 0;
    a.OnChange = [&](tkz::TObject*) { ++changes; };
    tkz::TTextFile f;
    f.AssignFile(TempName());
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
    a.SaveAsXMLFile(temp_name2, "again");
    tkz::TStringArray b;
    if (!b.LoadFromXMLFile(temp_name2, "again")) std::abort();
    if (b.GetNrOfColumns() != a.GetNrOfColumns() || b.GetNrOfRows() != a.GetNrOfRows())
      std::abort();
    for (int r = 1; r <= a.GetNrOfRows(); ++r)
      for (int c = 0; c <= a.GetNrOfColumns(); ++c)
        if (a.GetString(c, r) != b.GetString(c, r)) std::abort();
  }
  return 0;
}
