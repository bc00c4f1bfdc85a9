// Random bytes as a feature matrix file: Load never crashes, returns one of
// its documented codes and leaves a consistent matrix that saves and reloads.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>

#include "core/dstruct/featmat.h"

namespace {

char temp_name[] = "/tmp/tkz_featmat_fuzz_XXXXXX";

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
  tkz::TFeatureMatrix m;
  int changes = 0;
  m.OnChange = [&](tkz::TObject*) { ++changes; };
  const int r = m.Load(TempName());
  if (r != 0 && r != -2 && r != -3) std::abort();
  if (changes == 0) std::abort();
  for (int f = 1; f <= m.GetNFeats(); ++f) (void)m.GetFeatProps(f)->FeatName;
  return 0;
}
