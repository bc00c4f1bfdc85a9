// LoadJPEG against TurboJPEG's own decoder (tjDecompress2 with its default
// options) on files of every kind our reader accepts: the pixels must be the
// same, bit for bit. Skipped where TurboJPEG is not installed.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "core/platform/imagefile.h"
#include "core/platform/jpeg_ycc_internal.h"
#include "tests/support/jpeg_writer.h"

// clang-format off
#include <jpegint.h>  // libjpeg's colour converter, the oracle for ours
// clang-format on

#ifdef TKZ_HAVE_TURBOJPEG
#include <turbojpeg.h>
#endif

namespace tkz {
namespace {

using Bytes = std::vector<uint8_t>;

// How a test file is written: size, colour space, sampling of the first
// component (the others are 1 x 1), progressive or not, restart interval.
struct JpegKind {
  const char* name;
  int w, h;
  J_COLOR_SPACE space;
  int h_samp, v_samp;
  bool progressive;
  int restart_rows;
};

// A smooth pattern with noise, so that every coefficient band is used.
Bytes Samples(int w, int h, int components) {
  Bytes px(static_cast<size_t>(w) * h * components);
  uint32_t seed = 99;
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      for (int c = 0; c < components; ++c) {
        seed = seed * 1664525u + 1013904223u;
        const int v = (x * (3 + c) + y * (7 - c)) % 256 + static_cast<int>(seed >> 29) * 9 - 30;
        px[(static_cast<size_t>(y) * w + x) * components + c] =
            static_cast<uint8_t>(std::min(255, std::max(0, v)));
      }
    }
  }
  return px;
}

Bytes Encode(const JpegKind& k) {
  const int components = k.space == JCS_GRAYSCALE ? 1 : k.space == JCS_CMYK ? 4 : 3;
  testing_support::JpegWriteOptions o;
  o.quality = 85;
  o.h_samp = k.h_samp;
  o.v_samp = k.v_samp;
  o.progressive = k.progressive;
  o.restart_rows = k.restart_rows;
  return testing_support::WriteJpeg(k.w, k.h, k.space, components, Samples(k.w, k.h, components),
                                    o);
}

const JpegKind kKinds[] = {
    {"4:4:4", 64, 48, JCS_RGB, 1, 1, false, 0},
    {"4:2:2", 64, 48, JCS_RGB, 2, 1, false, 0},
    {"4:2:0", 64, 48, JCS_RGB, 2, 2, false, 0},
    {"4:4:0", 64, 48, JCS_RGB, 1, 2, false, 0},
    {"grey", 64, 48, JCS_GRAYSCALE, 1, 1, false, 0},
    {"progressive 4:2:0", 64, 48, JCS_RGB, 2, 2, true, 0},
    {"progressive grey", 64, 48, JCS_GRAYSCALE, 1, 1, true, 0},
    {"restarts 4:2:0", 64, 48, JCS_RGB, 2, 2, false, 1},
    {"restarts progressive", 64, 48, JCS_RGB, 2, 2, true, 2},
    {"1 x 1 4:2:0", 1, 1, JCS_RGB, 2, 2, false, 0},
    {"1 x 1 grey", 1, 1, JCS_GRAYSCALE, 1, 1, false, 0},
    {"17 x 9 4:4:4", 17, 9, JCS_RGB, 1, 1, false, 0},
    {"17 x 9 4:2:2", 17, 9, JCS_RGB, 2, 1, false, 0},
    {"17 x 9 4:2:0", 17, 9, JCS_RGB, 2, 2, false, 0},
    {"17 x 9 progressive", 17, 9, JCS_RGB, 2, 2, true, 1},
    {"1023 x 3 4:2:0", 1023, 3, JCS_RGB, 2, 2, false, 0},
    {"1023 x 3 grey", 1023, 3, JCS_GRAYSCALE, 1, 1, false, 0},
    {"3 x 1023 4:2:2", 3, 1023, JCS_RGB, 2, 1, false, 1},
    {"wide 4:2:0", 2001, 35, JCS_RGB, 2, 2, false, 0},
    {"Adobe CMYK", 33, 21, JCS_CMYK, 1, 1, false, 0},
};

#ifdef TKZ_HAVE_TURBOJPEG
// TurboJPEG's decode as our pixel words (0x00BBGGRR). CMYK files come back
// as inks, which our reader turns into R,G,B (Adobe's inks are inverted).
std::vector<uint32_t> Reference(const Bytes& f, int& w, int& h) {
  tjhandle tj = tjInitDecompress();
  int sub = 0, space = 0;
  std::vector<uint32_t> out;
  std::vector<uint8_t> buf;
  if (tjDecompressHeader3(tj, f.data(), f.size(), &w, &h, &sub, &space) == 0) {
    const bool cmyk = space == TJCS_CMYK || space == TJCS_YCCK;
    buf.resize(static_cast<size_t>(w) * h * 4);
    if (tjDecompress2(tj, f.data(), f.size(), buf.data(), w, 0, h, cmyk ? TJPF_CMYK : TJPF_RGBX,
                      0) == 0) {
      for (size_t i = 0; i < buf.size(); i += 4) {
        unsigned r = buf[i], g = buf[i + 1], b = buf[i + 2];
        if (cmyk) {
          const unsigned k = buf[i + 3];
          r = (r * k + 127) / 255, g = (g * k + 127) / 255, b = (b * k + 127) / 255;
        }
        out.push_back(r | g << 8 | b << 16);
      }
    }
  }
  if (out.empty()) ADD_FAILURE() << "TurboJPEG: " << tjGetErrorStr2(tj);
  tjDestroy(tj);
  return out;
}
#endif

TEST(JpegOracle, PixelsEqualTurboJpeg) {
#ifndef TKZ_HAVE_TURBOJPEG
  GTEST_SKIP() << "TurboJPEG is not installed";
#else
  // One bitmap for all: loading over an earlier picture, of the same size or
  // not, must leave nothing of it behind.
  TBitmap bmp;
  for (const JpegKind& k : kKinds) {
    SCOPED_TRACE(k.name);
    const Bytes f = Encode(k);
    int w = 0, h = 0;
    const std::vector<uint32_t> ref = Reference(f, w, h);
    ASSERT_EQ(ref.size(), static_cast<size_t>(k.w) * k.h);
    LoadJPEG(bmp, f.data(), f.size());
    ASSERT_EQ(bmp.GetWidth(), k.w);
    ASSERT_EQ(bmp.GetHeight(), k.h);
    int wrong = 0;
    for (int y = 0; y < k.h; ++y) {
      for (int x = 0; x < k.w; ++x) {
        const uint32_t want = ref[static_cast<size_t>(y) * k.w + x], got = bmp.ScanLine(y)[x];
        if (got != want && ++wrong <= 3) {
          ADD_FAILURE() << "pixel (" << x << "," << y << ") " << std::hex << got << " vs " << want;
        }
      }
    }
    EXPECT_EQ(wrong, 0);
  }
#endif
}

// Every kind of file, cut short anywhere, is refused with an error and leaves
// an empty bitmap or the previous picture, never a crash.
TEST(JpegOracle, TruncatedFilesAreRefused) {
  for (const JpegKind& k : kKinds) {
    SCOPED_TRACE(k.name);
    const Bytes f = Encode(k);
    for (size_t cut : {size_t{2}, f.size() / 3, f.size() / 2, f.size() - 3}) {
      TBitmap bmp(5, 4);
      try {
        LoadJPEG(bmp, f.data(), cut);
        ADD_FAILURE() << "accepted " << cut << " of " << f.size() << " bytes";
      } catch (const EInvalidGraphic& e) {
        EXPECT_EQ(std::string(e.what()).rfind("invalid JPEG image: ", 0), 0u) << e.what();
      }
      EXPECT_TRUE(bmp.Empty() || (bmp.GetWidth() == 5 && bmp.GetHeight() == 4));
    }
  }
}

// Our YCbCr converter against libjpeg's own (as set up for R,G,B,X output)
// on every one of the 2^24 inputs, in rows of 4096 pixels written at every
// alignment of the first pixel, so that the lead-in, vector and tail parts
// all see every input.
TEST(JpegOracle, ColourConversionEqualsLibjpegForEveryInput) {
  constexpr int kWidth = 4096;
  const Bytes f = testing_support::WriteJpeg(kWidth, 1, JCS_RGB, 3, Samples(kWidth, 1, 3));
  jpeg_decompress_struct cinfo{};
  jpeg_error_mgr err{};
  cinfo.err = jpeg_std_error(&err);
  jpeg_create_decompress(&cinfo);
  jpeg_mem_src(&cinfo, f.data(), static_cast<unsigned long>(f.size()));
  ASSERT_EQ(jpeg_read_header(&cinfo, TRUE), JPEG_HEADER_OK);
  ASSERT_EQ(cinfo.jpeg_color_space, JCS_YCbCr);
  cinfo.out_color_space = JCS_EXT_RGBX;
  jpeg_start_decompress(&cinfo);
  ASSERT_NE(cinfo.cconvert, nullptr);
  const auto convert = cinfo.cconvert->color_convert;

  Bytes planes[3];
  for (Bytes& p : planes) p.resize(kWidth);
  JSAMPROW rows[3] = {planes[0].data(), planes[1].data(), planes[2].data()};
  JSAMPARRAY components[3] = {&rows[0], &rows[1], &rows[2]};
  Bytes want(kWidth * 4), got(kWidth * 4 + 64);
  int wrong = 0;
  for (uint32_t block = 0; block < (1u << 24) / kWidth; ++block) {
    for (uint32_t i = 0; i < kWidth; ++i) {
      const uint32_t v = block * kWidth + i;  // Y, Cb, Cr from low to high byte
      planes[0][i] = static_cast<uint8_t>(v), planes[1][i] = static_cast<uint8_t>(v >> 8);
      planes[2][i] = static_cast<uint8_t>(v >> 16);
    }
    JSAMPROW out = want.data();
    convert(&cinfo, components, 0, &out, 1);
    uint8_t* ours = got.data() + 4 * (block % 16);
    image_codec::YccToRgb0Row(planes[0].data(), planes[1].data(), planes[2].data(), ours, kWidth);
    for (uint32_t i = 0; i < kWidth; ++i) {
      const uint8_t* a = &want[4 * i];
      const uint8_t* b = ours + 4 * i;
      if ((a[0] != b[0] || a[1] != b[1] || a[2] != b[2] || b[3] != 0) && ++wrong <= 5) {
        ADD_FAILURE() << "Y,Cb,Cr " << (block * kWidth + i) % 256 << ","
                      << (block * kWidth + i) / 256 % 256 << "," << (block * kWidth + i) / 65536
                      << ": ours " << +b[0] << "," << +b[1] << "," << +b[2] << "," << +b[3]
                      << ", libjpeg's " << +a[0] << "," << +a[1] << "," << +a[2];
      }
    }
  }
  EXPECT_EQ(wrong, 0);
  jpeg_destroy_decompress(&cinfo);
}

}  // namespace
}  // namespace tkz
