// Random bytes as a settings file, read by the text label's reader with an
// empty Id and with a named one: never a crash, a hang or a sanitizer report;
// a file without the element leaves the label as it was.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>

#include "core/settings/labels.h"

namespace {

char temp_name[] = "/tmp/tkz_textlabel_fuzz_XXXXXX";

const char* TempName() {
  static const bool made = [] {
    const int fd = ::mkstemp(temp_name);
    if (fd < 0) std::abort();
    ::close(fd);
    std::atexit([] { ::unlink(temp_name); });
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
    tkz::TCustomTextLabel label;
    int changes = 0;
    label.OnChange = [&](tkz::TObject*) { ++changes; };
    tkz::TTextFile f;
    f.AssignFile(TempName());
    f.Reset();
    const bool closed = label.ReadFromOpenXMLFile(f, id);
    f.CloseFile();
    if (changes > 1 || (closed && changes != 1)) std::abort();
    // Without a line holding both markers nothing can have been read.
    if (changes == 0 && (label.GetTxtLblLayer() != 1 || label.GetTxtLblCaption() != ""))
      std::abort();
  }
  return 0;
}
