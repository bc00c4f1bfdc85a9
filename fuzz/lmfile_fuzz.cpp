// Random bytes as a landmark file, read by the map with an empty id and with
// a named one: never a crash, a hang or a sanitizer report; a file without
// the block leaves the table as it was; what is read holds its limits and
// writes and reads back into equal landmarks.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/platform/application.h"
#include "fuzz/temp_file.h"
#include "geo/geomap.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const tkz::fuzzing::TempFile file("lmfile");
  static const tkz::fuzzing::TempFile copy("lmfile_copy");
  static tkz::TGeoMap map;
  static tkz::TGeoMap back;
  file.Write(data, size);
  for (const char* id : {"", "main"}) {
    map.RemoveAllLandMarks();
    map.AddLandMark(1, 2, 3, "before", 0);
    tkz::TTextFile f;
    f.AssignFile(file.Name());
    f.Reset();
    const bool found = map.ReadLandMarksFromOpenXMLFile(f, id);
    f.CloseFile();
    tkz::Application().ClearMessages();
    const int n = map.GetNumLandMarks();
    if (!found) {
      if (n != 1 || map.GetLandMarkData(1).Identifier != "before") std::abort();
      continue;
    }
    // Every landmark costs at least "<landmark >" in the file.
    if (static_cast<size_t>(n) * 11 > size) std::abort();
    if (map.GetLandMarkCapacity() < n || map.GetLandMarkCapacity() % tkz::kLandMarkBlock != 0)
      std::abort();
    for (int i = 1; i <= n; ++i) {
      const tkz::TLandMark lm = map.GetLandMarkData(i);
      if (lm.Identifier.size() > tkz::kLMIdentifierLength ||
          lm.Caption.Text.size() > tkz::kLMTextLength)
        std::abort();
    }
    map.SaveLandmarks(copy.Name(), id);
    back.LoadLandMarks(copy.Name(), id);
    tkz::Application().ClearMessages();
    if (back.GetNumLandMarks() != n) std::abort();
    for (int i = 1; i <= n; ++i)
      if (!(back.GetLandMarkData(i) == map.GetLandMarkData(i))) std::abort();
  }
  return 0;
}
