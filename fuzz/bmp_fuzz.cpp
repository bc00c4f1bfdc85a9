// Random bytes through the BMP reader (see image_fuzz.h for what is checked).
#include "fuzz/image_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  return tkz::fuzzing::FuzzImageReader(data, size, &tkz::LoadBMP,
                                       [](const tkz::TBitmap& b) { return tkz::SaveBMP(b); });
}
