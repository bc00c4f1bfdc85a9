// Image files: JPEG decoding by our reader (libjpeg-turbo's libjpeg interface,
// straight into TBitmap rows) against the TurboJPEG interface of the same
// library decoding into an RGBX buffer; PNG writing and reading alone.
//
// The picture is 2000 x 1500: a smooth pattern plus noise, written once by
// our JPEG writer at quality 90 (4:2:0).
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "core/platform/imagefile.h"

#ifdef TKZ_HAVE_TURBOJPEG
#include <turbojpeg.h>
#endif

namespace {

constexpr int kWidth = 2000;
constexpr int kHeight = 1500;

const tkz::TBitmap& Picture() {
  static const tkz::TBitmap* bmp = [] {
    auto* b = new tkz::TBitmap(kWidth, kHeight);
    uint32_t seed = 12345;
    for (int y = 0; y < kHeight; ++y) {
      uint32_t* row = b->ScanLine(y);
      for (int x = 0; x < kWidth; ++x) {
        seed = seed * 1664525u + 1013904223u;
        const int noise = static_cast<int>(seed >> 28) - 8;
        const auto c = [&](double v) {
          return static_cast<uint8_t>(std::lround(std::fmin(255, std::fmax(0, v + noise))));
        };
        row[x] = static_cast<uint32_t>(
            tkz::RGB(c(128 + 100 * std::sin(x * 0.005) * std::cos(y * 0.004)),
                     c(x * 200.0 / kWidth + 20), c(y * 200.0 / kHeight + 30)));
      }
    }
    return b;
  }();
  return *bmp;
}

const std::vector<uint8_t>& Jpeg() {
  static const std::vector<uint8_t> data = tkz::SaveJPEG(Picture(), 90);
  return data;
}

void JpegDecodeOurs(benchmark::State& state) {
  const std::vector<uint8_t>& jpg = Jpeg();
  tkz::TBitmap bmp;
  for (auto _ : state) {
    tkz::LoadJPEG(bmp, jpg.data(), jpg.size());
    benchmark::DoNotOptimize(bmp.Bits());
  }
  state.SetItemsProcessed(state.iterations() * kWidth * kHeight);
}
BENCHMARK(JpegDecodeOurs)->Name("jpeg_decode/ours")->Unit(benchmark::kMillisecond);

#ifdef TKZ_HAVE_TURBOJPEG
void JpegDecodePeer(benchmark::State& state) {
  const std::vector<uint8_t>& jpg = Jpeg();
  tjhandle tj = tjInitDecompress();
  std::vector<unsigned char> buffer(static_cast<size_t>(kWidth) * kHeight * 4);
  for (auto _ : state) {
    int w = 0, h = 0, sub = 0, space = 0;
    if (tjDecompressHeader3(tj, jpg.data(), jpg.size(), &w, &h, &sub, &space) != 0 ||
        tjDecompress2(tj, jpg.data(), jpg.size(), buffer.data(), w, 0, h, TJPF_RGBX, 0) != 0) {
      state.SkipWithError(tjGetErrorStr2(tj));
      break;
    }
    benchmark::DoNotOptimize(buffer.data());
  }
  tjDestroy(tj);
  state.SetItemsProcessed(state.iterations() * kWidth * kHeight);
}
BENCHMARK(JpegDecodePeer)->Name("jpeg_decode/peer")->Unit(benchmark::kMillisecond);
#endif

void PngEncode(benchmark::State& state) {
  size_t bytes = 0;
  for (auto _ : state) {
    const std::vector<uint8_t> png = tkz::SavePNG(Picture());
    bytes = png.size();
    benchmark::DoNotOptimize(png.data());
  }
  state.counters["file_bytes"] = static_cast<double>(bytes);
}
BENCHMARK(PngEncode)->Name("png_encode")->Unit(benchmark::kMillisecond);

void PngDecode(benchmark::State& state) {
  const std::vector<uint8_t> png = tkz::SavePNG(Picture());
  tkz::TBitmap bmp;
  for (auto _ : state) {
    tkz::LoadPNG(bmp, png.data(), png.size());
    benchmark::DoNotOptimize(bmp.Bits());
  }
}
BENCHMARK(PngDecode)->Name("png_decode")->Unit(benchmark::kMillisecond);

}  // namespace
