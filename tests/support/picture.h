// Pictures as text for drawing tests: each pixel one character looked up in
// a legend of colours, '.' for white and '?' for any other colour.
#pragma once

#include <initializer_list>
#include <map>
#include <string>

#include "core/dstruct/checksums.h"
#include "core/platform/graphics.h"

namespace tkz::testing_support {

inline std::string Picture(const TBitmap& b, const std::map<TColor, char>& legend) {
  std::string s;
  for (int y = 0; y < b.GetHeight(); ++y) {
    for (int x = 0; x < b.GetWidth(); ++x) {
      const TColor p = static_cast<TColor>(b.ScanLine(y)[x]);
      const auto it = legend.find(p);
      s += it != legend.end() ? it->second : p == clWhite ? '.' : '?';
    }
    s += '\n';
  }
  return s;
}

// CRC-32 of the pixel words, row by row: the golden checksum of a picture.
inline uint32_t PixelCrc(const TBitmap& b) {
  uint32_t crc = 0;
  for (int y = 0; y < b.GetHeight(); ++y)
    crc = CRC32Update(crc, b.ScanLine(y), 4 * size_t(b.GetWidth()));
  return crc;
}

// '#' where the pixel has colour ink.
inline std::string Picture(const TBitmap& b, TColor ink = clBlack) {
  return Picture(b, std::map<TColor, char>{{ink, '#'}});
}

// Expected rows, each followed by a line end, to compare with Picture.
inline std::string Rows(std::initializer_list<const char*> rows) {
  std::string s;
  for (const char* r : rows) (s += r) += '\n';
  return s;
}

}  // namespace tkz::testing_support
