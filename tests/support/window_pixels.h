// What a window test compares: the pixels a window shows on the X server,
// read through the test's own Xlib connection, against the headless picture
// of the control it shows. Needs Xlib.
#pragma once

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "core/platform/controls.h"

namespace tkz::testing_support {

// The window's pixels as the server has them, row by row, as 0x00BBGGRR;
// empty when the window cannot be read.
inline std::vector<uint32_t> ReadWindowPixels(Display* d, unsigned long w, int width, int height) {
  std::vector<uint32_t> r;
  XImage* img = XGetImage(d, w, 0, 0, static_cast<unsigned>(width), static_cast<unsigned>(height),
                          AllPlanes, ZPixmap);
  if (img == nullptr) return r;
  const auto channel = [](unsigned long p, unsigned long mask) {
    return static_cast<uint32_t>((p & mask) >> __builtin_ctzl(mask)) & 0xFF;
  };
  r.reserve(static_cast<size_t>(width) * static_cast<size_t>(height));
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const unsigned long p = XGetPixel(img, x, y);
      r.push_back(channel(p, img->red_mask) | channel(p, img->green_mask) << 8 |
                  channel(p, img->blue_mask) << 16);
    }
  }
  XDestroyImage(img);
  return r;
}

// The same as a bitmap (nullptr when the window cannot be read).
inline std::unique_ptr<TBitmap> ReadWindowBitmap(Display* d, unsigned long w, int width,
                                                 int height) {
  const std::vector<uint32_t> px = ReadWindowPixels(d, w, width, height);
  if (px.empty()) return nullptr;
  auto b = std::make_unique<TBitmap>(width, height);
  std::copy(px.begin(), px.end(), b->Bits());
  return b;
}

// The control's headless picture (TakeScreenshot), row by row.
inline std::vector<uint32_t> HeadlessPixels(TControl* c) {
  const auto shot = TakeScreenshot(c);
  return {shot->Bits(), shot->Bits() + static_cast<size_t>(shot->GetWidth()) * shot->GetHeight()};
}

// "" when the pictures are equal, else what differs first (rows of width
// pixels).
inline std::string FirstDifference(const std::vector<uint32_t>& shown,
                                   const std::vector<uint32_t>& drawn, int width) {
  if (shown.size() != drawn.size()) return "the window could not be read";
  for (size_t i = 0; i < shown.size(); ++i) {
    if (shown[i] != drawn[i]) {
      char text[128];
      std::snprintf(text, sizeof text, "first difference at (%d, %d): window %06X, form %06X",
                    static_cast<int>(i % width), static_cast<int>(i / width), shown[i], drawn[i]);
      return text;
    }
  }
  return "";
}

}  // namespace tkz::testing_support
