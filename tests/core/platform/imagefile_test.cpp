#include "core/platform/imagefile.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tests/support/jpeg_writer.h"

namespace fs = std::filesystem;

namespace tkz {
namespace {

using Bytes = std::vector<uint8_t>;

void Paint(TBitmap& b, int w, int h) {
  b.SetSize(w, h);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      b.GetCanvas()->SetPixel(
          x, y,
          RGB(static_cast<uint8_t>(x * 37 + y * 11), static_cast<uint8_t>(x * 5 + y * 71),
              static_cast<uint8_t>((x ^ y) * 13)));
    }
  }
}

// Every pixel equal; reports the first difference.
::testing::AssertionResult SamePixels(const TBitmap& a, const TBitmap& b) {
  if (a.GetWidth() != b.GetWidth() || a.GetHeight() != b.GetHeight()) {
    return ::testing::AssertionFailure() << "size " << a.GetWidth() << "x" << a.GetHeight()
                                         << " vs " << b.GetWidth() << "x" << b.GetHeight();
  }
  for (int y = 0; y < a.GetHeight(); ++y) {
    for (int x = 0; x < a.GetWidth(); ++x) {
      if (a.ScanLine(y)[x] != b.ScanLine(y)[x]) {
        return ::testing::AssertionFailure() << "pixel (" << x << "," << y << ") " << std::hex
                                             << a.ScanLine(y)[x] << " vs " << b.ScanLine(y)[x];
      }
    }
  }
  return ::testing::AssertionSuccess();
}

TColor Px(const TBitmap& b, int x, int y) { return static_cast<TColor>(b.ScanLine(y)[x]); }

// Loading must fail with EInvalidGraphic naming the problem, and a refused
// header must leave the target's picture alone.
template <typename Loader>
void ExpectRefused(Loader load, const Bytes& data, const std::string& fragment,
                   bool keepsPicture = true) {
  TBitmap b;
  Paint(b, 3, 3);
  TBitmap before;
  before.Assign(&b);
  try {
    load(b, data.data(), data.size(), TProgressEvent{}, nullptr);
    ADD_FAILURE() << "accepted; expected \"" << fragment << "\"";
  } catch (const EInvalidGraphic& e) {
    EXPECT_NE(std::string(e.what()).find(fragment), std::string::npos) << e.what();
  }
  if (keepsPicture) {
    EXPECT_TRUE(SamePixels(b, before));
  } else {
    EXPECT_TRUE(b.Empty());
  }
}

// ----------------------------------------------------------------- formats
TEST(ImageFormat, ByExtensionAndSignature) {
  EXPECT_EQ(ImageFormatFromFileName("a/b.BMP"), TImageFormat::BMP);
  EXPECT_EQ(ImageFormatFromFileName("x.png"), TImageFormat::PNG);
  for (const char* n : {"p.jpg", "p.JPEG", "p.jpe", "p.Jfif"}) {
    EXPECT_EQ(ImageFormatFromFileName(n), TImageFormat::JPEG) << n;
  }
  EXPECT_EQ(ImageFormatFromFileName("x.gif"), TImageFormat::Unknown);
  EXPECT_EQ(ImageFormatFromFileName("dir.png/file"), TImageFormat::Unknown);
  EXPECT_EQ(ImageFormatFromFileName("noext"), TImageFormat::Unknown);

  TBitmap b;
  Paint(b, 2, 2);
  const Bytes bmp = SaveBMP(b), png = SavePNG(b), jpg = SaveJPEG(b);
  EXPECT_EQ(DetectImageFormat(bmp.data(), bmp.size()), TImageFormat::BMP);
  EXPECT_EQ(DetectImageFormat(png.data(), png.size()), TImageFormat::PNG);
  EXPECT_EQ(DetectImageFormat(jpg.data(), jpg.size()), TImageFormat::JPEG);
  EXPECT_EQ(DetectImageFormat(png.data(), 7), TImageFormat::Unknown);
  EXPECT_EQ(DetectImageFormat(nullptr, 0), TImageFormat::Unknown);
  const uint8_t gif[] = {'G', 'I', 'F', '8', '9', 'a'};
  EXPECT_EQ(DetectImageFormat(gif, sizeof gif), TImageFormat::Unknown);
}

// ---------------------------------------------------------- BMP and PNG
TEST(ImageRoundTrip, BmpAndPngKeepEveryPixel) {
  const std::pair<int, int> sizes[] = {{1, 1}, {1, 4}, {3, 2}, {5, 3}, {7, 5}, {300, 200}};
  for (auto [w, h] : sizes) {
    TBitmap src, bmp, png;
    Paint(src, w, h);
    const Bytes b = SaveBMP(src);
    EXPECT_EQ(b.size(), 54u + static_cast<size_t>((w * 3 + 3) / 4 * 4) * h);
    LoadBMP(bmp, b.data(), b.size());
    EXPECT_TRUE(SamePixels(src, bmp)) << "BMP " << w << "x" << h;
    const Bytes p = SavePNG(src);
    LoadPNG(png, p.data(), p.size());
    EXPECT_TRUE(SamePixels(src, png)) << "PNG " << w << "x" << h;
  }
}

TEST(ImageRoundTrip, EmptyBitmapsCannotBeWritten) {
  TBitmap empty;
  EXPECT_THROW(SaveBMP(empty), EInvalidGraphic);
  EXPECT_THROW(SavePNG(empty), EInvalidGraphic);
  EXPECT_THROW(SaveJPEG(empty), EInvalidGraphic);
}

TEST(BmpWriter, HeaderAndRowsAreByteExact) {
  TBitmap b(2, 2);
  b.GetCanvas()->SetPixel(0, 0, RGB(1, 2, 3));
  b.GetCanvas()->SetPixel(1, 0, clRed);
  b.GetCanvas()->SetPixel(0, 1, clBlue);
  b.GetCanvas()->SetPixel(1, 1, clLime);
  const Bytes expected = {
      'B',  'M', 70, 0, 0,    0,    0, 0, 0,    0,    54, 0, 0, 0,  // file header
      40,   0,   0,  0, 2,    0,    0, 0, 2,    0,    0,  0, 1, 0, 24, 0, 0, 0, 0, 0,
      16,   0,   0,  0, 0xC4, 0x0E, 0, 0, 0xC4, 0x0E, 0,  0, 0, 0, 0,  0, 0, 0, 0, 0,  // 3780 px/m
      0xFF, 0,   0,  0, 0xFF, 0,    0, 0,   // bottom row: blue, lime
      3,    2,   1,  0, 0,    0xFF, 0, 0};  // top row
  EXPECT_EQ(SaveBMP(b), expected);
}

// Files written by hand, one per header kind and pixel layout.
TEST(BmpReader, ReadsHandWrittenFiles) {
  {  // 8-bit palette of 3 colours, bottom-up
    const Bytes f = {'B', 'M', 74, 0, 0, 0,   0, 0, 0,   0, 66, 0,   0, 0, 40, 0, 0,
                     0,   2,   0,  0, 0, 2,   0, 0, 0,   1, 0,  8,   0, 0, 0,  0, 0,
                     8,   0,   0,  0, 0, 0,   0, 0, 0,   0, 0,  0,   3, 0, 0,  0, 0,
                     0,   0,   0,  0, 0, 255, 0, 0, 255, 0, 0,  255, 0, 0, 0,  // red, green, blue
                     2,   1,   0,  0,                                          // bottom row
                     0,   2,   0,  0};                                         // top row
    TBitmap b;
    LoadBMP(b, f.data(), f.size());
    ASSERT_EQ(b.GetWidth(), 2);
    ASSERT_EQ(b.GetHeight(), 2);
    EXPECT_EQ(Px(b, 0, 0), clRed);
    EXPECT_EQ(Px(b, 1, 0), clBlue);
    EXPECT_EQ(Px(b, 0, 1), clBlue);
    EXPECT_EQ(Px(b, 1, 1), clLime);

    Bytes bad = f;
    bad[70] = 3;  // index 3 of a 3-colour palette: refused
    ExpectRefused(LoadBMP, bad, "palette index 3 beyond the 3 colours", false);
  }
  {  // 24-bit, top-down (negative height)
    const Bytes f = {'B',  'M', 70, 0, 0, 0,    0,    0,    0,    0,    54, 0, 0,  0, 40, 0,
                     0,    0,   2,  0, 0, 0,    0xFE, 0xFF, 0xFF, 0xFF, 1,  0, 24, 0, 0,  0,
                     0,    0,   0,  0, 0, 0,    0,    0,    0,    0,    0,  0, 0,  0, 0,  0,
                     0,    0,   0,  0, 0, 0,    0x10, 0x20, 0x30, 1,    2,  3, 0,  0,  // top row
                     0xFF, 0,   0,  0, 0, 0xFF, 0,    0};                              // bottom row
    TBitmap b;
    LoadBMP(b, f.data(), f.size());
    EXPECT_EQ(Px(b, 0, 0), RGB(0x30, 0x20, 0x10));
    EXPECT_EQ(Px(b, 1, 0), RGB(3, 2, 1));
    EXPECT_EQ(Px(b, 0, 1), clBlue);
    EXPECT_EQ(Px(b, 1, 1), clRed);
  }
  {  // 32-bit with bit fields after a 40-byte header; alpha ignored
    const Bytes f = {
        'B',  'M',  74,   0,    0,    0,    0, 0, 0,    0, 66, 0,    0, 0, 40, 0, 0,
        0,    2,    0,    0,    0,    1,    0, 0, 0,    1, 0,  32,   0, 3, 0,  0, 0,
        8,    0,    0,    0,    0,    0,    0, 0, 0,    0, 0,  0,    0, 0, 0,  0, 0,
        0,    0,    0,    0,    0,    0xFF, 0, 0, 0xFF, 0, 0,  0xFF, 0, 0, 0,  // R, G, B masks
        0x11, 0x22, 0x33, 0x80, 0xFF, 0,    0, 0};
    TBitmap b;
    LoadBMP(b, f.data(), f.size());
    EXPECT_EQ(Px(b, 0, 0), RGB(0x33, 0x22, 0x11));
    EXPECT_EQ(Px(b, 1, 0), clBlue);

    Bytes holes = f;
    holes[56] = 0x0F;  // red mask 0xF00F0000: not one run of bits
    holes[57] = 0xF0;
    ExpectRefused(LoadBMP, holes, "invalid colour masks");
  }
  {  // 16-bit 5-6-5 bit fields, 5-bit blue scaled to 8 bits
    const Bytes f = {'B', 'M', 74,   0, 0, 0, 0, 0,    0,    0,    66,   0, 0, 0,    40,
                     0,   0,   0,    3, 0, 0, 0, 1,    0,    0,    0,    1, 0, 16,   0,
                     3,   0,   0,    0, 8, 0, 0, 0,    0,    0,    0,    0, 0, 0,    0,
                     0,   0,   0,    0, 0, 0, 0, 0,    0,    0,    0xF8, 0, 0, 0xE0, 0x07,
                     0,   0,   0x1F, 0, 0, 0, 0, 0xF8, 0xE0, 0x07, 0x10, 0, 0, 0};
    TBitmap b;
    LoadBMP(b, f.data(), f.size());
    EXPECT_EQ(Px(b, 0, 0), clRed);
    EXPECT_EQ(Px(b, 1, 0), clLime);
    EXPECT_EQ(Px(b, 2, 0), RGB(0, 0, 132));
  }
  {  // 12-byte core header, 24-bit
    const Bytes f = {'B', 'M', 34, 0, 0, 0, 0, 0,  0, 0, 26, 0,   0, 0,   12, 0, 0,
                     0,   2,   0,  1, 0, 1, 0, 24, 0, 0, 0,  255, 0, 255, 0,  0, 0};
    TBitmap b;
    LoadBMP(b, f.data(), f.size());
    EXPECT_EQ(Px(b, 0, 0), clRed);
    EXPECT_EQ(Px(b, 1, 0), clLime);
  }
  {  // 12-byte core header, 1-bit palette of RGB triples
    const Bytes f = {'B',  'M', 36, 0, 0, 0, 0, 0, 0, 0, 32, 0, 0,    0,    12,   0, 0,
                     0,    3,   0,  1, 0, 1, 0, 1, 0, 0, 0,  0, 0x00, 0x80, 0xFF,  // black, orange
                     0xA0, 0,   0,  0};                                            // 1 0 1
    TBitmap b;
    LoadBMP(b, f.data(), f.size());
    EXPECT_EQ(Px(b, 0, 0), RGB(255, 128, 0));
    EXPECT_EQ(Px(b, 1, 0), clBlack);
    EXPECT_EQ(Px(b, 2, 0), RGB(255, 128, 0));
  }
  {  // 124-byte V5 header, 4-bit palette of 2 colours
    Bytes f = {'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 146, 0, 0, 0, 124, 0, 0, 0,
               3,   0,   0, 0, 1, 0, 0, 0, 1, 0, 4,   0, 0, 0, 0,   0, 4, 0,
               0,   0,   0, 0, 0, 0, 0, 0, 0, 0, 2,   0, 0, 0, 0,   0, 0, 0};
    f.resize(14 + 124, 0);
    for (uint8_t v : {0x00, 0x00, 0xFF, 0x00, 0xFF, 0xFF, 0xFF, 0x00}) f.push_back(v);
    for (uint8_t v : {0x10, 0x10, 0x00, 0x00}) f.push_back(v);  // 1 0 1
    f[2] = static_cast<uint8_t>(f.size());
    TBitmap b;
    LoadBMP(b, f.data(), f.size());
    EXPECT_EQ(Px(b, 0, 0), clWhite);
    EXPECT_EQ(Px(b, 1, 0), clRed);
    EXPECT_EQ(Px(b, 2, 0), clWhite);
  }
}

Bytes SmallBmp() {
  TBitmap b;
  Paint(b, 5, 3);
  return SaveBMP(b);
}

void PutLE32(Bytes& f, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) f[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

TEST(BmpReader, RefusesBadFiles) {
  const Bytes good = SmallBmp();
  ExpectRefused(LoadBMP, {}, "no data");
  Bytes sig = good;
  sig[0] = 'X';
  ExpectRefused(LoadBMP, sig, "bad signature");
  ExpectRefused(LoadBMP, Bytes(good.begin(), good.begin() + 20), "truncated info header");
  ExpectRefused(LoadBMP, Bytes(good.begin(), good.begin() + 16), "truncated file header");
  ExpectRefused(LoadBMP, Bytes(good.begin(), good.end() - 3), "pixel data truncated");

  Bytes huge = good;  // 100000 x 100000
  PutLE32(huge, 18, 100000);
  PutLE32(huge, 22, 100000);
  ExpectRefused(LoadBMP, huge, "exceeds the bitmap limits");
  Bytes big = good;  // allowed size, but the rows are not in the file: no allocation
  PutLE32(big, 18, 30000);
  PutLE32(big, 22, 4000);
  ExpectRefused(LoadBMP, big, "pixel data truncated");
  Bytes lowest = good;  // a height that cannot be negated in 32 bits
  PutLE32(lowest, 22, 0x80000000u);
  ExpectRefused(LoadBMP, lowest, "exceeds the bitmap limits");

  Bytes zero = good;
  PutLE32(zero, 18, 0);
  ExpectRefused(LoadBMP, zero, "zero or negative size");
  Bytes negative = good;
  PutLE32(negative, 18, static_cast<uint32_t>(-5));
  ExpectRefused(LoadBMP, negative, "zero or negative size");

  Bytes rle = good;
  PutLE32(rle, 30, 1);
  ExpectRefused(LoadBMP, rle, "RLE compression is not supported");
  Bytes png = good;
  PutLE32(png, 30, 5);
  ExpectRefused(LoadBMP, png, "embedded JPEG or PNG");
  Bytes depth = good;
  depth[28] = 2;
  ExpectRefused(LoadBMP, depth, "unsupported bit depth 2");
  Bytes header = good;
  PutLE32(header, 14, 20);
  ExpectRefused(LoadBMP, header, "unsupported header size 20");
  Bytes offset = good;
  PutLE32(offset, 10, 1u << 30);
  ExpectRefused(LoadBMP, offset, "pixel data truncated");
  Bytes inside = good;
  PutLE32(inside, 10, 20);
  ExpectRefused(LoadBMP, inside, "inside the headers");
  Bytes nopalette = good;  // 8-bit with the pixel data right after the header
  nopalette[28] = 8;
  ExpectRefused(LoadBMP, nopalette, "missing palette");

  Bytes garbage = {'B', 'M'};
  for (int i = 0; i < 60; ++i) garbage.push_back(static_cast<uint8_t>(i * 97 + 13));
  ExpectRefused(LoadBMP, garbage, "invalid BMP image");
}

// -------------------------------------------------------------------- PNG
// A minimal PNG writer for fixtures: stored (uncompressed) deflate blocks.
uint32_t Crc32(const uint8_t* p, size_t n) {
  uint32_t c = 0xFFFFFFFFu;
  for (size_t i = 0; i < n; ++i) {
    c ^= p[i];
    for (int k = 0; k < 8; ++k) c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1)));
  }
  return ~c;
}

void PutBE32(Bytes& out, uint32_t v) {
  for (int s = 24; s >= 0; s -= 8) out.push_back(static_cast<uint8_t>(v >> s));
}

void Chunk(Bytes& out, const char* type, const Bytes& body) {
  PutBE32(out, static_cast<uint32_t>(body.size()));
  Bytes crcIn(type, type + 4);
  crcIn.insert(crcIn.end(), body.begin(), body.end());
  out.insert(out.end(), crcIn.begin(), crcIn.end());
  PutBE32(out, Crc32(crcIn.data(), crcIn.size()));
}

// raw: the filtered scanlines (filter byte first), all passes in order.
Bytes MakePng(uint32_t w, uint32_t h, uint8_t depth, uint8_t colorType, uint8_t interlace,
              const Bytes& raw, const Bytes& plte = {}, const Bytes& trns = {}) {
  Bytes out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  Bytes ihdr;
  PutBE32(ihdr, w);
  PutBE32(ihdr, h);
  for (uint8_t v : {depth, colorType, uint8_t{0}, uint8_t{0}, interlace}) ihdr.push_back(v);
  Chunk(out, "IHDR", ihdr);
  if (!plte.empty()) Chunk(out, "PLTE", plte);
  if (!trns.empty()) Chunk(out, "tRNS", trns);
  Bytes z = {0x78,
             0x01,
             0x01,
             static_cast<uint8_t>(raw.size()),
             static_cast<uint8_t>(raw.size() >> 8),
             static_cast<uint8_t>(~raw.size()),
             static_cast<uint8_t>(~raw.size() >> 8)};
  z.insert(z.end(), raw.begin(), raw.end());
  uint32_t a = 1, b = 0;
  for (uint8_t v : raw) a = (a + v) % 65521, b = (b + a) % 65521;
  PutBE32(z, (b << 16) | a);
  Chunk(out, "IDAT", z);
  Chunk(out, "IEND", {});
  return out;
}

TEST(PngReader, ConvertsEveryColourTypeToRgb) {
  TBitmap b;
  {  // 8-bit grey
    const Bytes f = MakePng(2, 1, 8, 0, 0, {0, 0x00, 0x80});
    LoadPNG(b, f.data(), f.size());
    EXPECT_EQ(Px(b, 0, 0), clBlack);
    EXPECT_EQ(Px(b, 1, 0), RGB(0x80, 0x80, 0x80));
  }
  {  // 1-bit grey: 1 0 1
    const Bytes f = MakePng(3, 1, 1, 0, 0, {0, 0xA0});
    LoadPNG(b, f.data(), f.size());
    EXPECT_EQ(Px(b, 0, 0), clWhite);
    EXPECT_EQ(Px(b, 1, 0), clBlack);
    EXPECT_EQ(Px(b, 2, 0), clWhite);
  }
  {  // 16-bit RGB: scaled to 8 bits
    const Bytes f = MakePng(1, 1, 16, 2, 0, {0, 0xFF, 0xFF, 0x80, 0x00, 0x00, 0x01});
    LoadPNG(b, f.data(), f.size());
    EXPECT_EQ(Px(b, 0, 0), RGB(255, 0x80, 0));
  }
  {  // 2-bit palette with a transparent entry (composited over white)
    const Bytes f =
        MakePng(3, 1, 2, 3, 0, {0, 0b00011000}, {255, 0, 0, 0, 0, 255, 0, 0, 0}, {255, 0});
    LoadPNG(b, f.data(), f.size());
    EXPECT_EQ(Px(b, 0, 0), clRed);
    EXPECT_EQ(Px(b, 1, 0), clWhite);  // entry 1, fully transparent
    EXPECT_EQ(Px(b, 2, 0), RGB(0, 0, 0));
  }
  {  // RGBA: opaque, transparent, half transparent black
    const Bytes f = MakePng(3, 1, 8, 6, 0, {0, 10, 20, 30, 255, 10, 20, 30, 0, 0, 0, 0, 128});
    LoadPNG(b, f.data(), f.size());
    EXPECT_EQ(Px(b, 0, 0), RGB(10, 20, 30));
    EXPECT_EQ(Px(b, 1, 0), clWhite);
    EXPECT_EQ(Px(b, 2, 0), RGB(127, 127, 127));
    EXPECT_EQ(b.ScanLine(0)[2] >> 24, 0u);  // the top byte stays 0
  }
  {  // grey + alpha
    const Bytes f = MakePng(1, 1, 8, 4, 0, {0, 0, 255});
    LoadPNG(b, f.data(), f.size());
    EXPECT_EQ(Px(b, 0, 0), clBlack);
  }
  {  // Adam7 interlaced 2 x 2 RGB: passes 1, 6 and 7 hold the pixels
    const Bytes f = MakePng(2, 2, 8, 2, 1,
                            {0, 255, 0, 0,             // pass 1: (0,0)
                             0, 0, 255, 0,             // pass 6: (1,0)
                             0, 0, 0, 255, 9, 9, 9});  // pass 7: (0,1), (1,1)
    LoadPNG(b, f.data(), f.size());
    EXPECT_EQ(Px(b, 0, 0), clRed);
    EXPECT_EQ(Px(b, 1, 0), clLime);
    EXPECT_EQ(Px(b, 0, 1), clBlue);
    EXPECT_EQ(Px(b, 1, 1), RGB(9, 9, 9));
  }
}

TEST(PngReader, RefusesBadFiles) {
  TBitmap src;
  Paint(src, 40, 30);
  const Bytes good = SavePNG(src);
  ExpectRefused(LoadPNG, {}, "no data");
  Bytes sig = good;
  sig[1] = 'X';
  ExpectRefused(LoadPNG, sig, "bad signature");
  ExpectRefused(LoadPNG, Bytes(good.begin(), good.begin() + 20), "truncated");
  ExpectRefused(LoadPNG, Bytes(good.begin(), good.begin() + good.size() / 2), "invalid PNG", false);
  ExpectRefused(LoadPNG, Bytes(good.begin(), good.end() - 6), "truncated", false);

  ExpectRefused(LoadPNG, MakePng(100000, 100000, 8, 2, 0, {0, 1, 2, 3}), "exceeds user limit");
  ExpectRefused(LoadPNG, MakePng(30000, 30000, 8, 2, 0, {0, 1, 2, 3}), "exceeds the bitmap limits");
  // An allowed size with far too little data for it: refused before the
  // 120-million-pixel bitmap is allocated.
  ExpectRefused(LoadPNG, MakePng(30000, 4000, 8, 2, 0, {0, 1, 2, 3}),
                "15 bytes of image data cannot hold a 30000 x 4000 image");
  ExpectRefused(LoadPNG, MakePng(0, 1, 8, 2, 0, {0}), "Image width is zero");
  ExpectRefused(LoadPNG, MakePng(1, 1, 8, 2, 0, {5, 1, 2, 3}), "invalid PNG", false);

  Bytes badCrc = MakePng(1, 1, 8, 2, 0, {0, 1, 2, 3});
  badCrc[29] ^= 1;  // inside the IHDR CRC
  ExpectRefused(LoadPNG, badCrc, "CRC");
  Bytes garbage(good.begin(), good.begin() + 8);
  for (int i = 0; i < 64; ++i) garbage.push_back(static_cast<uint8_t>(i * 31 + 7));
  ExpectRefused(LoadPNG, garbage, "invalid PNG");
}

// ------------------------------------------------------------------- JPEG
void Gradient(TBitmap& b, int w, int h) {
  b.SetSize(w, h);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      b.ScanLine(y)[x] = static_cast<uint32_t>(RGB(static_cast<uint8_t>(x * 255 / (w - 1)),
                                                   static_cast<uint8_t>(y * 255 / (h - 1)),
                                                   static_cast<uint8_t>(128 + (x - y) / 4)));
    }
  }
}

TEST(JpegRoundTrip, SmoothGradientWithinTolerance) {
  TBitmap src, back;
  Gradient(src, 96, 64);
  const Bytes q95 = SaveJPEG(src, 95);
  LoadJPEG(back, q95.data(), q95.size());
  ASSERT_EQ(back.GetWidth(), 96);
  ASSERT_EQ(back.GetHeight(), 64);
  double sum = 0;
  int worst = 0;
  bool topByteClear = true;
  for (int y = 0; y < 64; ++y) {
    for (int x = 0; x < 96; ++x) {
      const TColor a = Px(src, x, y), b = Px(back, x, y);
      topByteClear = topByteClear && (static_cast<uint32_t>(b) >> 24) == 0;
      for (int d : {GetRValue(a) - GetRValue(b), GetGValue(a) - GetGValue(b),
                    GetBValue(a) - GetBValue(b)}) {
        sum += std::abs(d);
        worst = std::max(worst, std::abs(d));
      }
    }
  }
  const double mae = sum / (96 * 64 * 3);
  // Measured with libjpeg-turbo 2.1.5: mean 0.55, worst 4.
  EXPECT_LT(mae, 1.0);
  EXPECT_LE(worst, 8);
  EXPECT_TRUE(topByteClear);

  // Lower quality, smaller file; quality is clamped to 1..100.
  EXPECT_LT(SaveJPEG(src, 30).size(), q95.size());
  EXPECT_EQ(SaveJPEG(src, 0), SaveJPEG(src, 1));
  EXPECT_EQ(SaveJPEG(src, 500), SaveJPEG(src, 100));
}

// A JPEG written by libjpeg directly, for the colour spaces our writer does
// not produce.
Bytes EncodeRaw(int w, int h, J_COLOR_SPACE space, int components, const Bytes& pixels) {
  return testing_support::WriteJpeg(w, h, space, components, pixels);
}

// A progressive grey JPEG (a DC scan, then one AC scan) whose AC scan is
// repeated: every repeat is valid, so only the scan limit stops it.
Bytes ManyScans(int repeats) {
  static const jpeg_scan_info kScript[2] = {{1, {0}, 0, 0, 0, 0}, {1, {0}, 1, 63, 0, 0}};
  testing_support::JpegWriteOptions o;
  o.quality = 75;
  o.scans = kScript;
  o.num_scans = 2;
  Bytes px(16 * 16);
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 16; ++x) px[y * 16 + x] = static_cast<uint8_t>(x * 16 + y);
  }
  const Bytes f = testing_support::WriteJpeg(16, 16, JCS_GRAYSCALE, 1, px, o);
  size_t last = 0;  // the last start-of-scan marker
  for (size_t i = 0; i + 1 < f.size(); ++i) {
    if (f[i] == 0xFF && f[i + 1] == 0xDA) last = i;
  }
  Bytes out(f.begin(), f.end() - 2);  // without the end-of-image marker
  for (int k = 0; k < repeats; ++k) out.insert(out.end(), f.begin() + last, f.end() - 2);
  out.insert(out.end(), {0xFF, 0xD9});
  return out;
}

TEST(JpegReader, RefusesTooManyScans) {
  const Bytes fine = ManyScans(kMaxJpegScans - 2);  // exactly the limit
  TBitmap b;
  LoadJPEG(b, fine.data(), fine.size());
  EXPECT_EQ(b.GetWidth(), 16);
  ExpectRefused(LoadJPEG, ManyScans(kMaxJpegScans - 1), "more than 500 scans");
}

TEST(JpegReader, GreyAndCmykBecomeRgb) {
  TBitmap b;
  const Bytes grey = EncodeRaw(8, 8, JCS_GRAYSCALE, 1, Bytes(64, 200));
  LoadJPEG(b, grey.data(), grey.size());
  EXPECT_EQ(Px(b, 3, 3), RGB(200, 200, 200));

  // Adobe CMYK (inverted inks): 0 = full cyan, 255 = no ink.
  Bytes cmyk;
  for (int i = 0; i < 64; ++i) cmyk.insert(cmyk.end(), {0, 255, 255, 255});
  const Bytes adobe = EncodeRaw(8, 8, JCS_CMYK, 4, cmyk);
  LoadJPEG(b, adobe.data(), adobe.size());
  const TColor c = Px(b, 4, 4);
  EXPECT_LE(GetRValue(c), 3);
  EXPECT_GE(GetGValue(c), 252);
  EXPECT_GE(GetBValue(c), 252);
  EXPECT_EQ(b.ScanLine(4)[4] >> 24, 0u);
}

size_t SofOffset(const Bytes& f) {
  for (size_t i = 2; i + 9 < f.size(); ++i) {
    if (f[i] == 0xFF && f[i + 1] == 0xC0) return i;
  }
  return 0;
}

TEST(JpegReader, RefusesBadFiles) {
  TBitmap src;
  Gradient(src, 64, 48);
  const Bytes good = SaveJPEG(src, 90);
  ExpectRefused(LoadJPEG, {}, "no data");
  ExpectRefused(LoadJPEG, {0xFF, 0xD9, 0xFF, 0xE0}, "bad signature");
  ExpectRefused(LoadJPEG, Bytes(good.begin(), good.begin() + 30), "Premature end");
  ExpectRefused(LoadJPEG, Bytes(good.begin(), good.begin() + good.size() * 2 / 3), "Premature end",
                false);
  ExpectRefused(LoadJPEG, Bytes(good.begin(), good.end() - 2), "Premature end", false);

  const size_t sof = SofOffset(good);
  ASSERT_GT(sof, 0u);
  Bytes huge = good;  // 60000 x 60000
  huge[sof + 5] = huge[sof + 7] = 0xEA;
  huge[sof + 6] = huge[sof + 8] = 0x60;
  ExpectRefused(LoadJPEG, huge, "exceeds the bitmap limits");
  Bytes big = good;  // 30000 x 4000: allowed, but a short file cannot hold it
  big[sof + 5] = 4000 >> 8;
  big[sof + 6] = 4000 & 0xFF;
  big[sof + 7] = 30000 >> 8;
  big[sof + 8] = 30000 & 0xFF;
  ExpectRefused(LoadJPEG, big, "cannot hold a 30000 x 4000 image");
  Bytes zero = good;
  zero[sof + 7] = zero[sof + 8] = 0;
  ExpectRefused(LoadJPEG, zero, "Empty JPEG image");

  Bytes corrupt = good;  // an end-of-image marker in the middle of the scan
  corrupt[good.size() * 2 / 3] = 0xFF;
  corrupt[good.size() * 2 / 3 + 1] = 0xD9;
  ExpectRefused(LoadJPEG, corrupt, "Corrupt JPEG data: premature end of data segment", false);

  Bytes garbage = {0xFF, 0xD8, 0xFF};
  for (int i = 0; i < 64; ++i) garbage.push_back(static_cast<uint8_t>(i * 57 + 3));
  ExpectRefused(LoadJPEG, garbage, "invalid JPEG");
}

TEST(JpegReader, ReportsProgressByWholePercents) {
  TBitmap src, back;
  Gradient(src, 16, 400);
  const Bytes f = SaveJPEG(src, 80);
  std::vector<std::pair<TProgressStage, int>> seen;
  TObject sender;
  TObject* who = nullptr;
  LoadJPEG(
      back, f.data(), f.size(),
      [&](TObject* s, TProgressStage st, uint8_t pct) {
        who = s;
        seen.emplace_back(st, pct);
      },
      &sender);
  EXPECT_EQ(who, &sender);
  ASSERT_GE(seen.size(), 3u);
  EXPECT_EQ(seen.front(), std::make_pair(psStarting, 0));
  EXPECT_EQ(seen.back(), std::make_pair(psEnding, 100));
  int last = 0;
  for (size_t i = 1; i + 1 < seen.size(); ++i) {
    EXPECT_EQ(seen[i].first, psRunning);
    EXPECT_GT(seen[i].second, last);
    last = seen[i].second;
  }
  EXPECT_EQ(last, 100);
  EXPECT_GE(seen.size(), 10u);  // 400 rows arrive in several calls

  // A failing read sends no psEnding.
  seen.clear();
  const Bytes cut(f.begin(), f.begin() + f.size() / 2);
  EXPECT_THROW(LoadJPEG(back, cut.data(), cut.size(),
                        [&](TObject*, TProgressStage st, uint8_t p) { seen.emplace_back(st, p); }),
               EInvalidGraphic);
  ASSERT_FALSE(seen.empty());
  EXPECT_NE(seen.back().first, psEnding);
}

// ------------------------------------------------------------------ files
class ImageFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("tkz_imagefile_" + std::to_string(::getpid()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }
  std::string Path(const std::string& name) const { return (dir_ / name).string(); }
  size_t FileCount() const {
    return static_cast<size_t>(std::distance(fs::directory_iterator(dir_), {}));
  }
  fs::path dir_;
};

TEST_F(ImageFiles, SaveAndLoadEveryFormat) {
  TBitmap src;
  Paint(src, 7, 5);
  for (const char* name : {"a.bmp", "a.PNG", "a.jpeg"}) {
    SaveBitmapToFile(src, Path(name), 100);
    TBitmap back;
    LoadBitmapFromFile(back, Path(name));
    EXPECT_EQ(back.GetWidth(), 7);
    EXPECT_EQ(back.GetHeight(), 5);
    if (ImageFormatFromFileName(name) != TImageFormat::JPEG) {
      EXPECT_TRUE(SamePixels(src, back));
    }
  }
  EXPECT_EQ(FileCount(), 3u);  // no temporary files left behind

  // The content decides, not the name.
  const Bytes png = SavePNG(src);
  WriteFileReplacing(Path("really_png.jpg"), png);
  TBitmap back;
  LoadBitmapFromFile(back, Path("really_png.jpg"));
  EXPECT_TRUE(SamePixels(src, back));
}

TEST_F(ImageFiles, ErrorsNameTheFile) {
  TBitmap b;
  try {
    LoadBitmapFromFile(b, Path("missing.png"));
    ADD_FAILURE();
  } catch (const EInOutError& e) {
    EXPECT_NE(std::string(e.what()).find("missing.png\": No such file or directory"),
              std::string::npos)
        << e.what();
    EXPECT_EQ(e.ErrorCode, ENOENT);
  }
  EXPECT_THROW(LoadBitmapFromFile(b, dir_.string()), EInOutError);

  WriteFileReplacing(Path("empty.bmp"), {});
  try {
    LoadBitmapFromFile(b, Path("empty.bmp"));
    ADD_FAILURE();
  } catch (const EInvalidGraphic& e) {
    EXPECT_NE(std::string(e.what()).find("empty.bmp\": empty file"), std::string::npos);
  }
  WriteFileReplacing(Path("text.png"), {'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd'});
  try {
    LoadBitmapFromFile(b, Path("text.png"));
    ADD_FAILURE();
  } catch (const EInvalidGraphic& e) {
    EXPECT_NE(std::string(e.what()).find("text.png\": invalid PNG image: bad signature"),
              std::string::npos)
        << e.what();
  }
  WriteFileReplacing(Path("text.dat"), {'h', 'e', 'l', 'l', 'o'});
  EXPECT_THROW(LoadBitmapFromFile(b, Path("text.dat")), EInvalidGraphic);
}

TEST_F(ImageFiles, FailedSavesLeaveNothingBehind) {
  TBitmap src;
  Paint(src, 3, 3);
  try {
    SaveBitmapToFile(src, Path("nodir/x.png"));
    ADD_FAILURE();
  } catch (const EInOutError& e) {
    EXPECT_NE(std::string(e.what()).find("nodir/x.png\": No such file or directory"),
              std::string::npos)
        << e.what();
  }
  EXPECT_FALSE(fs::exists(Path("nodir")));
  EXPECT_THROW(SaveBitmapToFile(src, Path("x.gif")), EInvalidGraphic);
  EXPECT_EQ(FileCount(), 0u);

  // An existing file survives a save that fails, and is replaced by one that
  // succeeds.
  SaveBitmapToFile(src, Path("keep.bmp"));
  const auto before = fs::file_size(Path("keep.bmp"));
  TBitmap empty;
  EXPECT_THROW(SaveBitmapToFile(empty, Path("keep.bmp")), EInvalidGraphic);
  EXPECT_EQ(fs::file_size(Path("keep.bmp")), before);
  TBitmap bigger;
  Paint(bigger, 9, 4);
  SaveBitmapToFile(bigger, Path("keep.bmp"));
  TBitmap back;
  LoadBitmapFromFile(back, Path("keep.bmp"));
  EXPECT_TRUE(SamePixels(bigger, back));
  EXPECT_EQ(FileCount(), 1u);

  // A read-only directory: the save fails and the old file stays.
  fs::permissions(dir_, fs::perms::owner_read | fs::perms::owner_exec);
  if (::access(dir_.c_str(), W_OK) != 0) {  // not when running as root
    EXPECT_THROW(SaveBitmapToFile(src, Path("keep.bmp")), EInOutError);
    TBitmap again;
    LoadBitmapFromFile(again, Path("keep.bmp"));
    EXPECT_TRUE(SamePixels(bigger, again));
  }
  fs::permissions(dir_, fs::perms::owner_all);
}

TEST_F(ImageFiles, JpegImageObject) {
  TBitmap src;
  Gradient(src, 32, 24);
  TJPEGImage jpg;
  EXPECT_EQ(jpg.GetCompressionQuality(), 90);
  jpg.SetCompressionQuality(0);
  EXPECT_EQ(jpg.GetCompressionQuality(), 1);
  jpg.SetCompressionQuality(95);
  jpg.Assign(&src);
  jpg.SaveToFile(Path("g.jpg"));

  TJPEGImage loaded;
  int events = 0;
  TObject* sender = nullptr;
  loaded.OnProgress = [&](TObject* s, TProgressStage, uint8_t) {
    sender = s;
    ++events;
  };
  loaded.LoadFromFile(Path("g.jpg"));
  EXPECT_EQ(sender, &loaded);
  EXPECT_GE(events, 3);
  TBitmap out;
  out.Assign(&loaded);  // AssignTo
  ASSERT_EQ(out.GetWidth(), 32);
  ASSERT_EQ(out.GetHeight(), 24);
  EXPECT_LE(std::abs(GetRValue(Px(out, 16, 12)) - GetRValue(Px(src, 16, 12))), 6);

  SaveBitmapToFile(src, Path("p.png"));
  EXPECT_THROW(loaded.LoadFromFile(Path("p.png")), EInvalidGraphic);
}

}  // namespace
}  // namespace tkz
