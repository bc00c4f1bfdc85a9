// Random bytes as a settings file, read by the text label's reader with an
// empty Id and with a named one: never a crash, a hang or a sanitizer report;
// a file without the element leaves the label as it was.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>

#include "core/settings/labels.h"
#include "fuzz/temp_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const tkz::fuzzing::TempFile file("textlabel");
  file.Write(data, size);
  for (const char* id : {"", "main"}) {
    tkz::TCustomTextLabel label;
    int changes = 0;
    label.OnChange = [&](tkz::TObject*) { ++changes; };
    tkz::TTextFile f;
    f.AssignFile(file.Name());
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
