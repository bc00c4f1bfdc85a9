// BMP files, by our own code. See imagefile.h for what is accepted.
//
// Layout: a 14-byte file header ("BM", file size, two reserved words, offset
// of the pixel data), an info header whose first 4 bytes give its size, the
// colour masks (after a 40-byte header with BI_BITFIELDS, inside the larger
// headers), a palette for 1..8-bit images, then rows padded to 4 bytes,
// bottom-up unless the height is negative. All numbers are little-endian.
#include <bit>
#include <cstring>
#include <string>
#include <vector>

#include "core/platform/image_codec_internal.h"
#include "core/platform/imagefile.h"

namespace tkz {

namespace {

using image_codec::Fail;

constexpr char kFormat[] = "BMP";
constexpr uint32_t kBiRgb = 0, kBiRle8 = 1, kBiRle4 = 2, kBiBitfields = 3, kBiJpeg = 4, kBiPng = 5,
                   kBiAlphaBitfields = 6;
constexpr uint32_t kPixelsPerMetre = 3780;  // 96 dpi

uint16_t U16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t U32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

// One colour channel given by a bit mask: extracts it and scales it to 8 bits.
struct MaskChannel {
  uint32_t mask = 0;
  int shift = 0;
  int bits = 0;

  // False when the mask is empty, not one run of bits, or wider than the pixel.
  bool Init(uint32_t m, unsigned bpp) {
    mask = m;
    if (m == 0 || (bpp < 32 && (m >> bpp) != 0)) return false;
    shift = std::countr_zero(m);
    const uint32_t run = m >> shift;
    if ((run & (run + 1)) != 0) return false;
    bits = std::popcount(m);
    return true;
  }
  uint32_t Get(uint32_t px) const {
    const uint32_t v = (px & mask) >> shift;
    if (bits >= 8) return v >> (bits - 8);
    const uint32_t max = (1u << bits) - 1;
    return (v * 255 + max / 2) / max;
  }
};

void PutU16(std::vector<uint8_t>& out, uint32_t v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}
void PutU32(std::vector<uint8_t>& out, uint32_t v) {
  PutU16(out, v & 0xFFFF);
  PutU16(out, v >> 16);
}

}  // namespace

void LoadBMP(TBitmap& bmp, const uint8_t* data, size_t size, const TProgressEvent& OnProgress,
             TObject* Sender) {
  if (data == nullptr || size == 0) Fail(kFormat, "no data");
  if (size < 2 || data[0] != 'B' || data[1] != 'M') Fail(kFormat, "bad signature (not \"BM\")");
  if (size < 18) Fail(kFormat, "truncated file header");
  const uint32_t offBits = U32(data + 10);
  const uint32_t headerSize = U32(data + 14);
  if (headerSize != 12 && headerSize != 40 && headerSize != 52 && headerSize != 56 &&
      headerSize != 108 && headerSize != 124) {
    Fail(kFormat, "unsupported header size " + std::to_string(headerSize));
  }
  if (size < 14 + headerSize) Fail(kFormat, "truncated info header");

  const uint8_t* h = data + 14;
  int64_t width, height;
  bool topDown = false;
  unsigned bpp;
  uint32_t compression = kBiRgb;
  uint32_t colorsUsed = 0;
  size_t paletteEntry = 4;
  if (headerSize == 12) {  // the old core header: unsigned 16-bit sizes, RGB triples
    width = U16(h + 4);
    height = U16(h + 6);
    bpp = U16(h + 10);
    paletteEntry = 3;
  } else {
    width = static_cast<int32_t>(U32(h + 4));
    const int32_t rawHeight = static_cast<int32_t>(U32(h + 8));
    topDown = rawHeight < 0;
    height = topDown ? -static_cast<int64_t>(rawHeight) : rawHeight;
    bpp = U16(h + 14);
    compression = U32(h + 16);
    colorsUsed = U32(h + 32);
  }
  image_codec::CheckSize(kFormat, width, height);

  switch (compression) {
    case kBiRgb:
    case kBiBitfields:
    case kBiAlphaBitfields:
      break;
    case kBiRle8:
    case kBiRle4:
      Fail(kFormat, "RLE compression is not supported");
    case kBiJpeg:
    case kBiPng:
      Fail(kFormat, "embedded JPEG or PNG data is not supported");
    default:
      Fail(kFormat, "unknown compression " + std::to_string(compression));
  }
  const bool bitfields = compression != kBiRgb;
  if (bitfields ? (bpp != 16 && bpp != 32)
                : (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32)) {
    Fail(kFormat,
         "unsupported bit depth " + std::to_string(bpp) + (bitfields ? " with bit fields" : ""));
  }

  // Colour masks.
  size_t headersEnd = 14 + headerSize;
  MaskChannel red, green, blue;
  if (bitfields) {
    const uint8_t* m = h + 40;  // inside the V2..V5 headers, after the 40-byte one
    if (headerSize == 40) {
      headersEnd += compression == kBiAlphaBitfields ? 16 : 12;
      if (size < headersEnd) Fail(kFormat, "truncated colour masks");
    }
    if (!red.Init(U32(m), bpp) || !green.Init(U32(m + 4), bpp) || !blue.Init(U32(m + 8), bpp)) {
      Fail(kFormat, "invalid colour masks");
    }
  } else if (bpp == 16) {
    red.Init(0x7C00, 16);
    green.Init(0x03E0, 16);
    blue.Init(0x001F, 16);
  }
  if (offBits < headersEnd) {
    Fail(kFormat, "pixel data offset " + std::to_string(offBits) + " lies inside the headers");
  }

  // Palette: as many entries as declared (at most 2^bpp) that lie before the
  // pixel data.
  uint32_t palette[256];
  size_t paletteSize = 0;
  if (bpp <= 8) {
    size_t declared = size_t{1} << bpp;
    if (colorsUsed != 0 && colorsUsed < declared) declared = colorsUsed;
    const size_t end = std::min<size_t>(offBits, size);
    paletteSize = std::min(declared, (end - headersEnd) / paletteEntry);
    if (paletteSize == 0) Fail(kFormat, "missing palette");
    for (size_t i = 0; i < paletteSize; ++i) {
      const uint8_t* e = data + headersEnd + i * paletteEntry;
      palette[i] = static_cast<uint32_t>(RGB(e[2], e[1], e[0]));
    }
  }

  // Every row must be in the file before anything is allocated.
  const uint64_t stride = ((static_cast<uint64_t>(width) * bpp + 31) / 32) * 4;
  const uint64_t needed = offBits + stride * static_cast<uint64_t>(height);
  if (needed > size) {
    Fail(kFormat, "pixel data truncated (needs " + std::to_string(needed) + " bytes, has " +
                      std::to_string(size) + ")");
  }

  image_codec::ProgressReporter progress(OnProgress, Sender);
  bmp.SetSizeForOverwrite(static_cast<int32_t>(width), static_cast<int32_t>(height));
  progress.Start();
  const int32_t w = static_cast<int32_t>(width);
  const int32_t hgt = static_cast<int32_t>(height);
  try {
    for (int32_t r = 0; r < hgt; ++r) {
      const uint8_t* src = data + offBits + stride * static_cast<uint64_t>(r);
      uint32_t* dst = bmp.ScanLine(topDown ? r : hgt - 1 - r);
      switch (bpp) {
        case 1:
        case 4:
        case 8: {
          const unsigned perByte = 8 / bpp;
          const unsigned valueMask = (1u << bpp) - 1;
          for (int32_t x = 0; x < w; ++x) {
            const unsigned shift = 8 - bpp * (1 + x % perByte);
            const size_t index = (src[x / perByte] >> shift) & valueMask;
            if (index >= paletteSize) {
              Fail(kFormat, "palette index " + std::to_string(index) + " beyond the " +
                                std::to_string(paletteSize) + " colours of the palette");
            }
            dst[x] = palette[index];
          }
          break;
        }
        case 16:
          for (int32_t x = 0; x < w; ++x) {
            const uint32_t px = U16(src + 2 * x);
            dst[x] = static_cast<uint32_t>(RGB(static_cast<uint8_t>(red.Get(px)),
                                               static_cast<uint8_t>(green.Get(px)),
                                               static_cast<uint8_t>(blue.Get(px))));
          }
          break;
        case 24:
          for (int32_t x = 0; x < w; ++x, src += 3) {
            dst[x] = static_cast<uint32_t>(RGB(src[2], src[1], src[0]));
          }
          break;
        case 32:
          if (!bitfields) {
            for (int32_t x = 0; x < w; ++x, src += 4) {
              dst[x] = static_cast<uint32_t>(RGB(src[2], src[1], src[0]));
            }
          } else {
            for (int32_t x = 0; x < w; ++x) {
              const uint32_t px = U32(src + 4 * x);
              dst[x] = static_cast<uint32_t>(RGB(static_cast<uint8_t>(red.Get(px)),
                                                 static_cast<uint8_t>(green.Get(px)),
                                                 static_cast<uint8_t>(blue.Get(px))));
            }
          }
          break;
      }
      progress.Rows(r + 1, hgt);
    }
  } catch (const EInvalidGraphic&) {
    bmp.SetSize(0, 0);
    throw;
  }
  progress.End();
}

std::vector<uint8_t> SaveBMP(const TBitmap& bmp) {
  if (bmp.Empty()) throw EInvalidGraphic("cannot write an empty bitmap as a BMP image");
  const uint32_t w = static_cast<uint32_t>(bmp.GetWidth());
  const uint32_t h = static_cast<uint32_t>(bmp.GetHeight());
  const uint32_t stride = (w * 3 + 3) & ~3u;
  const uint32_t imageSize = stride * h;  // at most 3 * 2^27 + padding: fits
  std::vector<uint8_t> out;
  out.reserve(54 + static_cast<size_t>(imageSize));
  out.push_back('B');
  out.push_back('M');
  PutU32(out, 54 + imageSize);
  PutU32(out, 0);
  PutU32(out, 54);
  PutU32(out, 40);
  PutU32(out, w);
  PutU32(out, h);
  PutU16(out, 1);   // planes
  PutU16(out, 24);  // bits per pixel
  PutU32(out, kBiRgb);
  PutU32(out, imageSize);
  PutU32(out, kPixelsPerMetre);
  PutU32(out, kPixelsPerMetre);
  PutU32(out, 0);  // colours used
  PutU32(out, 0);  // colours important
  for (uint32_t r = 0; r < h; ++r) {
    const uint32_t* src = bmp.ScanLine(static_cast<int32_t>(h - 1 - r));
    for (uint32_t x = 0; x < w; ++x) {
      const TColor c = static_cast<TColor>(src[x]);
      out.push_back(GetBValue(c));
      out.push_back(GetGValue(c));
      out.push_back(GetRValue(c));
    }
    for (uint32_t pad = w * 3; pad < stride; ++pad) out.push_back(0);
  }
  return out;
}

}  // namespace tkz
