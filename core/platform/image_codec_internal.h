// Helpers shared by the image readers (image_bmp.cpp, image_png.cpp,
// image_jpeg.cpp); not part of the public interface.
#pragma once

#include <cstdint>
#include <string>

#include "core/platform/imagefile.h"

namespace tkz::image_codec {

// Raises EInvalidGraphic "invalid <format> image: <what>".
[[noreturn]] inline void Fail(const char* format, const std::string& what) {
  throw EInvalidGraphic(std::string("invalid ") + format + " image: " + what);
}

inline std::string SizeText(int64_t w, int64_t h) {
  return std::to_string(w) + " x " + std::to_string(h);
}

// Refuses sizes beyond TBitmap's limits, and empty images.
inline void CheckSize(const char* format, int64_t w, int64_t h) {
  if (w <= 0 || h <= 0) Fail(format, "zero or negative size " + SizeText(w, h));
  if (!TBitmap::SizeAllowed(w, h)) {
    Fail(format, "size " + SizeText(w, h) + " exceeds the bitmap limits");
  }
}

// Sends psStarting 0, psRunning with growing whole percents, psEnding 100.
class ProgressReporter {
 public:
  ProgressReporter(const TProgressEvent& event, TObject* sender) : event_(event), sender_(sender) {}
  void Start() {
    if (event_) event_(sender_, psStarting, 0);
  }
  void Rows(int64_t done, int64_t total) {
    if (!event_ || total <= 0) return;
    const int percent = static_cast<int>(done * 100 / total);
    if (percent <= last_) return;
    last_ = percent;
    event_(sender_, psRunning, static_cast<uint8_t>(percent));
  }
  void End() {
    if (event_) event_(sender_, psEnding, 100);
  }

 private:
  const TProgressEvent& event_;
  TObject* sender_;
  int last_ = 0;
};

}  // namespace tkz::image_codec
