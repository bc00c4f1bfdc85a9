// Canvas drawing against cairo doing the same work in the same program:
// scaling a 2000 x 1500 picture onto 1000 x 800 (smooth against cairo's
// bilinear filter, plain against cairo's nearest filter and its bilinear one),
// one-pixel lines and filled polygons (cairo without anti-aliasing, as the
// canvas draws), and text.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

#include "core/platform/graphics.h"

#ifdef TKZ_HAVE_CAIRO
#include <cairo.h>
#endif

namespace {

constexpr int kSrcW = 2000, kSrcH = 1500, kDstW = 1000, kDstH = 800;

// A picture with smooth gradients and some noise, as a scanned map has.
const tkz::TBitmap& Source() {
  static tkz::TBitmap* bmp = [] {
    auto* b = new tkz::TBitmap(kSrcW, kSrcH);
    std::mt19937 rng(1);
    for (int y = 0; y < kSrcH; ++y) {
      uint32_t* row = b->ScanLine(y);
      for (int x = 0; x < kSrcW; ++x) {
        const uint32_t r = (x * 255 / kSrcW + (rng() & 15)) & 0xFF;
        const uint32_t g = (y * 255 / kSrcH + (rng() & 15)) & 0xFF;
        const uint32_t bl = ((x + y) & 0xFF);
        row[x] = r | (g << 8) | (bl << 16);
      }
    }
    return b;
  }();
  return *bmp;
}

struct Lines {
  std::vector<tkz::TPoint> pts;
  Lines(int n, int w, int h, unsigned seed) {
    std::mt19937 rng(seed);
    for (int i = 0; i < n; ++i)
      pts.push_back({static_cast<int32_t>(rng() % w), static_cast<int32_t>(rng() % h)});
  }
};

void StretchOurs(benchmark::State& state, tkz::TStretchMode mode) {
  const tkz::TBitmap& src = Source();
  tkz::TBitmap dst(kDstW, kDstH);
  dst.GetCanvas()->SetStretchMode(mode);
  for (auto _ : state) {
    dst.GetCanvas()->StretchDraw({0, 0, kDstW, kDstH}, &src);
    benchmark::DoNotOptimize(dst.Bits());
  }
}

void BM_StretchSmoothOurs(benchmark::State& s) { StretchOurs(s, tkz::smHalftone); }
void BM_StretchPlainOurs(benchmark::State& s) { StretchOurs(s, tkz::smColorOnColor); }
BENCHMARK(BM_StretchSmoothOurs)->Name("stretch_smooth/ours")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StretchPlainOurs)->Name("stretch_plain/ours")->Unit(benchmark::kMillisecond);
// For comparison of like with like: cairo's GOOD filter also averages the
// source area (a box filter) when it shrinks a picture.
BENCHMARK(BM_StretchSmoothOurs)->Name("stretch_smooth_vs_good/ours")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StretchPlainOurs)
    ->Name("stretch_plain_vs_bilinear/ours")
    ->Unit(benchmark::kMillisecond);

void BM_LinesOurs(benchmark::State& state) {
  const Lines l(2000, kDstW, kDstH, 2);
  tkz::TBitmap dst(kDstW, kDstH);
  tkz::TCanvas* c = dst.GetCanvas();
  for (auto _ : state) {
    c->MoveTo(l.pts[0].X, l.pts[0].Y);
    for (size_t i = 1; i < l.pts.size(); ++i) c->LineTo(l.pts[i].X, l.pts[i].Y);
    benchmark::DoNotOptimize(dst.Bits());
  }
}
BENCHMARK(BM_LinesOurs)->Name("lines_2000/ours")->Unit(benchmark::kMillisecond);

void BM_PolygonsOurs(benchmark::State& state) {
  tkz::TBitmap dst(kDstW, kDstH);
  tkz::TCanvas* c = dst.GetCanvas();
  c->GetBrush()->SetColor(0x3080C0);
  std::vector<std::vector<tkz::TPoint>> polys;
  for (int i = 0; i < 200; ++i) polys.push_back(Lines(12, kDstW, kDstH, 100 + i).pts);
  for (auto _ : state) {
    for (const auto& p : polys) c->Polygon(p);
    benchmark::DoNotOptimize(dst.Bits());
  }
}
BENCHMARK(BM_PolygonsOurs)->Name("polygons_200/ours")->Unit(benchmark::kMillisecond);

constexpr const char* kText = "The quick brown fox jumps over 0123456789";

// The lines of the text benchmarks: unturned ones down the picture, or lines
// turned by `tenths` of a degree (counter-clockwise) starting down its middle.
int TextLineY(int i, int tenths) { return tenths == 0 ? 5 + i * 7 : 200 + i * 5; }

void TextOurs(benchmark::State& state, int tenths) {
  tkz::TBitmap dst(kDstW, kDstH);
  tkz::TCanvas* c = dst.GetCanvas();
  c->GetBrush()->SetStyle(tkz::bsClear);
  c->GetFont()->SetHeight(11);
  c->GetFont()->SetOrientation(tenths);
  for (auto _ : state) {
    for (int i = 0; i < 100; ++i) c->TextOut(10 + (i % 7) * 3, TextLineY(i, tenths), kText);
    benchmark::DoNotOptimize(dst.Bits());
  }
}
void BM_TextOurs(benchmark::State& s) { TextOurs(s, 0); }
void BM_TextTurnedOurs(benchmark::State& s) { TextOurs(s, 300); }
BENCHMARK(BM_TextOurs)->Name("text_100_lines/ours")->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_TextTurnedOurs)->Name("text_100_lines_30deg/ours")->Unit(benchmark::kMicrosecond);

#ifdef TKZ_HAVE_CAIRO

void TextCairo(benchmark::State& state, int tenths) {
  cairo_surface_t* dst = cairo_image_surface_create(CAIRO_FORMAT_RGB24, kDstW, kDstH);
  cairo_t* cr = cairo_create(dst);
  cairo_select_font_face(cr, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
  cairo_set_font_size(cr, 11);  // the em height in pixels, as ours
  cairo_set_source_rgb(cr, 0, 0, 0);
  const double angle = -tenths * 3.14159265358979323846 / 1800;  // cairo's y runs down
  for (auto _ : state) {
    for (int i = 0; i < 100; ++i) {
      if (tenths == 0) {
        cairo_move_to(cr, 10 + (i % 7) * 3, 5 + i * 7 + 11);
        cairo_show_text(cr, kText);
        continue;
      }
      cairo_save(cr);
      cairo_translate(cr, 10 + (i % 7) * 3, TextLineY(i, tenths));
      cairo_rotate(cr, angle);
      cairo_move_to(cr, 0, 11);
      cairo_show_text(cr, kText);
      cairo_restore(cr);
    }
    cairo_surface_flush(dst);
    benchmark::DoNotOptimize(cairo_image_surface_get_data(dst));
  }
  cairo_destroy(cr);
  cairo_surface_destroy(dst);
}
void BM_TextCairo(benchmark::State& s) { TextCairo(s, 0); }
void BM_TextTurnedCairo(benchmark::State& s) { TextCairo(s, 300); }
BENCHMARK(BM_TextCairo)->Name("text_100_lines/peer")->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_TextTurnedCairo)->Name("text_100_lines_30deg/peer")->Unit(benchmark::kMicrosecond);

// A cairo image surface holding the same source pixels (RGB24 is 0x00RRGGBB,
// so red and blue swap places).
cairo_surface_t* CairoSource() {
  static cairo_surface_t* s = [] {
    cairo_surface_t* surf = cairo_image_surface_create(CAIRO_FORMAT_RGB24, kSrcW, kSrcH);
    unsigned char* data = cairo_image_surface_get_data(surf);
    const int stride = cairo_image_surface_get_stride(surf);
    for (int y = 0; y < kSrcH; ++y) {
      const uint32_t* src = Source().ScanLine(y);
      uint32_t* row = reinterpret_cast<uint32_t*>(data + y * stride);
      for (int x = 0; x < kSrcW; ++x) {
        const uint32_t p = src[x];
        row[x] = ((p & 0xFF) << 16) | (p & 0xFF00) | ((p >> 16) & 0xFF);
      }
    }
    cairo_surface_mark_dirty(surf);
    return surf;
  }();
  return s;
}

void StretchCairo(benchmark::State& state, cairo_filter_t filter) {
  cairo_surface_t* src = CairoSource();
  cairo_surface_t* dst = cairo_image_surface_create(CAIRO_FORMAT_RGB24, kDstW, kDstH);
  cairo_t* cr = cairo_create(dst);
  cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
  cairo_scale(cr, static_cast<double>(kDstW) / kSrcW, static_cast<double>(kDstH) / kSrcH);
  cairo_set_source_surface(cr, src, 0, 0);
  cairo_pattern_set_filter(cairo_get_source(cr), filter);
  for (auto _ : state) {
    cairo_paint(cr);
    cairo_surface_flush(dst);
    benchmark::DoNotOptimize(cairo_image_surface_get_data(dst));
  }
  cairo_destroy(cr);
  cairo_surface_destroy(dst);
}

void BM_StretchSmoothCairo(benchmark::State& s) { StretchCairo(s, CAIRO_FILTER_BILINEAR); }
void BM_StretchPlainCairo(benchmark::State& s) { StretchCairo(s, CAIRO_FILTER_NEAREST); }
BENCHMARK(BM_StretchSmoothCairo)->Name("stretch_smooth/peer")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StretchPlainCairo)->Name("stretch_plain/peer")->Unit(benchmark::kMillisecond);
void BM_StretchGoodCairo(benchmark::State& s) { StretchCairo(s, CAIRO_FILTER_GOOD); }
BENCHMARK(BM_StretchGoodCairo)->Name("stretch_smooth_vs_good/peer")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StretchSmoothCairo)
    ->Name("stretch_plain_vs_bilinear/peer")
    ->Unit(benchmark::kMillisecond);

void BM_LinesCairo(benchmark::State& state) {
  const Lines l(2000, kDstW, kDstH, 2);
  cairo_surface_t* dst = cairo_image_surface_create(CAIRO_FORMAT_RGB24, kDstW, kDstH);
  cairo_t* cr = cairo_create(dst);
  cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
  cairo_set_line_width(cr, 1.0);
  cairo_set_source_rgb(cr, 0, 0, 0);
  for (auto _ : state) {
    // Pixel centres, so that one-pixel lines cover whole pixels.
    for (size_t i = 1; i < l.pts.size(); ++i) {
      cairo_move_to(cr, l.pts[i - 1].X + 0.5, l.pts[i - 1].Y + 0.5);
      cairo_line_to(cr, l.pts[i].X + 0.5, l.pts[i].Y + 0.5);
      cairo_stroke(cr);
    }
    cairo_surface_flush(dst);
    benchmark::DoNotOptimize(cairo_image_surface_get_data(dst));
  }
  cairo_destroy(cr);
  cairo_surface_destroy(dst);
}
BENCHMARK(BM_LinesCairo)->Name("lines_2000/peer")->Unit(benchmark::kMillisecond);

void BM_PolygonsCairo(benchmark::State& state) {
  cairo_surface_t* dst = cairo_image_surface_create(CAIRO_FORMAT_RGB24, kDstW, kDstH);
  cairo_t* cr = cairo_create(dst);
  cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
  cairo_set_line_width(cr, 1.0);
  cairo_set_fill_rule(cr, CAIRO_FILL_RULE_EVEN_ODD);
  std::vector<std::vector<tkz::TPoint>> polys;
  for (int i = 0; i < 200; ++i) polys.push_back(Lines(12, kDstW, kDstH, 100 + i).pts);
  for (auto _ : state) {
    for (const auto& p : polys) {
      cairo_move_to(cr, p[0].X + 0.5, p[0].Y + 0.5);
      for (size_t i = 1; i < p.size(); ++i) cairo_line_to(cr, p[i].X + 0.5, p[i].Y + 0.5);
      cairo_close_path(cr);
      cairo_set_source_rgb(cr, 0.75, 0.5, 0.19);
      cairo_fill_preserve(cr);
      cairo_set_source_rgb(cr, 0, 0, 0);
      cairo_stroke(cr);
    }
    cairo_surface_flush(dst);
    benchmark::DoNotOptimize(cairo_image_surface_get_data(dst));
  }
  cairo_destroy(cr);
  cairo_surface_destroy(dst);
}
BENCHMARK(BM_PolygonsCairo)->Name("polygons_200/peer")->Unit(benchmark::kMillisecond);

#endif  // TKZ_HAVE_CAIRO

}  // namespace
