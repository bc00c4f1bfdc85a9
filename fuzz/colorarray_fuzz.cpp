// Random bytes as a colour-array file, read with and without size adjustment:
// a failed read leaves the array untouched and silent, the size stays within
// the reader's limit, and whatever was read saves and reloads unchanged.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "core/colour/tkzcolors.h"
#include "fuzz/temp_file.h"

namespace {

void ReadOnce(const std::string& file, bool adjust) {
  static const tkz::fuzzing::TempFile copy("colorarray_copy");
  tkz::TColorArray a;
  a.Resize(16);
  const std::vector<tkz::TColor> before = a.Colors();
  int changes = 0;
  a.OnChange = [&](tkz::TObject*) { ++changes; };
  if (!a.LoadFromFile(file, adjust)) {
    if (changes != 0 || a.GetSize() != 16 || a.Colors() != before) std::abort();
    return;
  }
  if (changes == 0) std::abort();
  if (a.GetSize() < 1 || a.GetSize() > tkz::TColorArray::kMaxFileSize) std::abort();
  if (a.Colors().size() != static_cast<size_t>(a.GetSize())) std::abort();
  if (!a.StoreOnFile(1, a.GetSize(), copy.Name())) std::abort();
  tkz::TColorArray b;
  if (!b.LoadFromFile(copy.Name(), true) || !b.IsEqual(&a)) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const tkz::fuzzing::TempFile file("colorarray");
  file.Write(data, size);
  ReadOnce(file.Name(), false);
  ReadOnce(file.Name(), true);
  return 0;
}
