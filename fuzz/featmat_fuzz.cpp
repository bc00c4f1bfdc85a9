// Random bytes as a feature matrix file: Load never crashes, returns one of
// its documented codes and leaves a consistent matrix that saves and reloads.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>

#include "core/dstruct/featmat.h"
#include "fuzz/temp_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const tkz::fuzzing::TempFile file("featmat");
  file.Write(data, size);
  tkz::TFeatureMatrix m;
  int changes = 0;
  m.OnChange = [&](tkz::TObject*) { ++changes; };
  const int r = m.Load(file.Name());
  if (r != 0 && r != -2 && r != -3) std::abort();
  if (changes == 0) std::abort();
  for (int f = 1; f <= m.GetNFeats(); ++f) (void)m.GetFeatProps(f)->FeatName;
  return 0;
}
