// Random bytes through the JPEG reader (see image_fuzz.h for what is checked;
// JPEG is lossy, so there is no write-and-read-back check).
#include "fuzz/image_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  return tkz::fuzzing::FuzzImageReader(data, size, &tkz::LoadJPEG, nullptr);
}
