// The map view repainting after a pan, against cairo drawing the same scene
// in the same program: a 1000 x 800 view of a 2000 x 1500 (3-megapixel) map
// image, a graticule of one-degree lines, and 10 000 landmarks (circles with
// a caption) of which those in the view are drawn. At magnification 1 the
// image is copied; at 0.8 it is scaled with the smooth filter on both sides
// (ours: area averaging; cairo: its GOOD filter). Cairo draws without
// anti-aliasing, as the canvas does, and gets the graticule's polylines and
// the landmarks' pixel positions computed beforehand: it only draws, leaving
// captions out where the map view does (too many landmarks in view). The
// "fps" counter is frames per second.
//
// map_view_pan_world: the map viewer's case, a pan on a 2400 x 1200 world map
// (equirectangular, made in memory) carrying one landmark with a caption per
// GeoNames city, 171 000 of them (data/external/cities.geojson from
// scripts/fetch-data; else the committed extract repeated with jittered
// positions up to that count). "fit" shows the whole world in a 1000 x 700
// view, "mag1" a 1000 x 700 piece of Europe at magnification 1; "add" adds
// a landmark before each frame of "mag1". Ours only.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <random>
#include <string>
#include <vector>

#include "core/platform/codepage.h"
#include "geo/geomap.h"

#ifdef TKZ_HAVE_CAIRO
#include <cairo.h>
#endif

namespace {

constexpr int kImgW = 2000, kImgH = 1500, kViewW = 1000, kViewH = 800, kLandmarks = 10000;

// lon = x / 100, lat = 50 - y / 150 over 40..50 N, 0..20 E.
std::unique_ptr<tkz::TGeoMap> MakeMap(double mag) {
  auto map = std::make_unique<tkz::TGeoMap>();
  map->SetBounds(0, 0, kViewW, kViewH);
  tkz::TBitmap img(kImgW, kImgH);
  std::mt19937 rng(1);
  for (int y = 0; y < kImgH; ++y) {
    uint32_t* row = img.ScanLine(y);
    for (int x = 0; x < kImgW; ++x)
      row[x] = ((x * 255 / kImgW + (rng() & 15)) & 0xFF) | (((y * 255 / kImgH) & 0xFF) << 8) |
               (((x + y) & 0xFF) << 16);
  }
  map->SetMapBitMap(img);
  map->SetCalibModel(tkz::cmEquiRect);
  for (int i = 0; i <= 2; ++i)
    for (int k = 0; k <= 2; ++k) map->AddCalibPoint(50 - 5 * i, 10 * k, 1000 * k, 750 * i);
  map->SetShowGrat(tkz::sgLines);
  tkz::TLandMark def = map->GetDefaultLandMark();
  def.Element = tkz::lmCircle;
  def.Size = 4;
  def.Caption.FontSize = 8;
  map->SetDefaultLandMark(def);
  std::uniform_real_distribution<double> lat(40, 50), lon(0, 20);
  for (int i = 0; i < kLandmarks; ++i) {
    std::string name = "L";
    name += std::to_string(i);
    map->AddLandMark(lat(rng), lon(rng), 0, name, 8, 0);
  }
  map->SetMagnification(mag);
  return map;
}

void ViewOurs(benchmark::State& state, double mag) {
  auto map = MakeMap(mag);
  int frame = 0;
  for (auto _ : state) {
    // A pan of a few pixels each frame, back and forth.
    map->SetTopLeft({400 + (frame & 7), 300 + (frame & 3)});
    map->ConstructInternalMapImg();
    benchmark::DoNotOptimize(map->GetRenderBitmap()->Bits());
    ++frame;
  }
  state.counters["fps"] =
      benchmark::Counter(static_cast<double>(frame), benchmark::Counter::kIsRate);
}

void BM_ViewMag1Ours(benchmark::State& s) { ViewOurs(s, 1); }
void BM_ViewMag08Ours(benchmark::State& s) { ViewOurs(s, 0.8); }
BENCHMARK(BM_ViewMag1Ours)->Name("map_view_pan/ours")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ViewMag08Ours)->Name("map_view_pan_scaled/ours")->Unit(benchmark::kMillisecond);

constexpr int kWorldLandmarks = 171000;

struct City {
  std::string name;  // Windows-1252
  double lat, lon;
};

// The cities, repeated with positions jittered by up to half a degree when
// the file holds fewer than kWorldLandmarks.
const std::vector<City>& WorldCities() {
  static const std::vector<City> cities = [] {
    std::string file = std::string(TKZ_SOURCE_DIR) + "/data/external/cities.geojson";
    if (!std::filesystem::exists(file))
      file = std::string(TKZ_SOURCE_DIR) + "/tests/data/geo/cities-sample.geojson";
    std::FILE* f = std::fopen(file.c_str(), "rb");
    if (!f) std::abort();
    const nlohmann::json doc = nlohmann::json::parse(f);
    std::fclose(f);
    std::vector<City> base;
    for (const auto& ft : doc["features"]) {
      const auto& c = ft["geometry"]["coordinates"];
      base.push_back({tkz::Utf8ToAnsi(ft["properties"]["name"].get<std::string>()),
                      c[1].get<double>(), c[0].get<double>()});
    }
    std::vector<City> out(base.begin(),
                          base.begin() + std::min<size_t>(base.size(), kWorldLandmarks));
    std::mt19937 rng(7);
    std::uniform_real_distribution<double> jitter(-0.5, 0.5);
    for (size_t i = 0; out.size() < kWorldLandmarks; ++i) {
      City c = base[i % base.size()];
      c.lat = std::clamp(c.lat + jitter(rng), -89.9, 89.9);
      c.lon = std::clamp(c.lon + jitter(rng), -179.9, 179.9);
      out.push_back(c);
    }
    std::fprintf(stderr, "geomap_bench: %zu landmarks from %s\n", out.size(), file.c_str());
    return out;
  }();
  return cities;
}

void ViewWorld(benchmark::State& state, bool fit, bool add = false) {
  tkz::TGeoMap map;
  map.SetBounds(0, 0, 1000, 700);
  map.CreateEmptyMapInMemory(-90, 90, -180, 180, 30, 30, 2400, 1200, false);
  tkz::TLandMark def = map.GetDefaultLandMark();
  def.Element = tkz::lmCircle;
  def.Size = 3;
  map.SetDefaultLandMark(def);
  for (const City& c : WorldCities()) map.AddLandMark(c.lat, c.lon, 0, c.name, 8, 0);
  if (fit)
    map.ZoomFitPage();
  else
    map.SetMagnification(1);
  const tkz::TPoint origin = fit ? tkz::TPoint{0, 0} : tkz::TPoint{1150, 180};  // Europe
  int frame = 0;
  for (auto _ : state) {
    map.SetTopLeft({origin.X + (frame & 7), origin.Y + (frame & 3)});
    // A landmark added before the frame (as a click in the viewer does).
    if (add) map.AddLandMark(45 + (frame & 15) * 0.1, 10, 0, "added", 8, 0);
    map.ConstructInternalMapImg();
    benchmark::DoNotOptimize(map.GetRenderBitmap()->Bits());
    ++frame;
  }
  state.counters["fps"] =
      benchmark::Counter(static_cast<double>(frame), benchmark::Counter::kIsRate);
}

void BM_ViewWorldFit(benchmark::State& s) { ViewWorld(s, true); }
void BM_ViewWorldMag1(benchmark::State& s) { ViewWorld(s, false); }
BENCHMARK(BM_ViewWorldFit)->Name("map_view_pan_world_fit/ours")->Unit(benchmark::kMillisecond);
void BM_ViewWorldAdd(benchmark::State& s) { ViewWorld(s, false, true); }
BENCHMARK(BM_ViewWorldMag1)->Name("map_view_pan_world_mag1/ours")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ViewWorldAdd)->Name("map_view_add_world_mag1/ours")->Unit(benchmark::kMillisecond);

#ifdef TKZ_HAVE_CAIRO
// The scene as cairo gets it: the image, the graticule's polylines and the
// landmarks' positions in image pixels.
struct CairoScene {
  cairo_surface_t* image = nullptr;
  std::vector<std::vector<std::pair<double, double>>> lines;
  std::vector<std::pair<double, double>> marks;
  std::vector<std::string> captions;
};

void ViewPeer(benchmark::State& state, double mag) {
  auto map = MakeMap(mag);
  CairoScene sc;
  sc.image = cairo_image_surface_create(CAIRO_FORMAT_RGB24, kImgW, kImgH);
  const tkz::TBitmap* img = map->GetMapImage();
  cairo_surface_flush(sc.image);
  for (int y = 0; y < kImgH; ++y) {
    auto* row = reinterpret_cast<uint32_t*>(cairo_image_surface_get_data(sc.image) +
                                            y * cairo_image_surface_get_stride(sc.image));
    const uint32_t* src = img->ScanLine(y);
    for (int x = 0; x < kImgW; ++x) {
      const uint32_t p = src[x];  // 00BBGGRR to 00RRGGBB
      row[x] = ((p & 0xFF) << 16) | (p & 0xFF00) | ((p >> 16) & 0xFF);
    }
  }
  cairo_surface_mark_dirty(sc.image);
  for (double lat = 40; lat < 50; lat += 1) {  // parallels, 10 segments each
    std::vector<std::pair<double, double>> l;
    for (int s = 0; s <= 10; ++s) l.push_back({s * 200.0, (50 - lat) * 150});
    sc.lines.push_back(l);
  }
  for (double lon = 0; lon < 20; lon += 1) {
    std::vector<std::pair<double, double>> l;
    for (int s = 0; s <= 10; ++s) l.push_back({lon * 100, s * 150.0});
    sc.lines.push_back(l);
  }
  for (int i = 1; i <= map->GetNumLandMarks(); ++i) {
    const tkz::TLandMark l = map->GetLandMarkData(i);
    sc.marks.push_back({l.Longitude * 100, (50 - l.Latitude) * 150});
    sc.captions.push_back(l.Caption.Text);
  }
  cairo_surface_t* target = cairo_image_surface_create(CAIRO_FORMAT_RGB24, kViewW, kViewH);
  cairo_t* cr = cairo_create(target);
  cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
  cairo_select_font_face(cr, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
  cairo_set_font_size(cr, 8 * 96 / 72.0);
  cairo_set_line_width(cr, 1);
  int frame = 0;
  for (auto _ : state) {
    const double left = 400 + (frame & 7), top = 300 + (frame & 3);
    cairo_set_source_rgb(cr, 0.75, 0.75, 0.75);
    cairo_paint(cr);
    cairo_save(cr);
    cairo_scale(cr, mag, mag);
    cairo_translate(cr, -left, -top);
    cairo_set_source_surface(cr, sc.image, 0, 0);
    cairo_pattern_set_filter(cairo_get_source(cr),
                             mag == 1 ? CAIRO_FILTER_NEAREST : CAIRO_FILTER_GOOD);
    cairo_paint(cr);
    cairo_restore(cr);
    const auto view = [&](double x, double y) {
      return std::pair{std::round((x - left) * mag) + 0.5, std::round((y - top) * mag) + 0.5};
    };
    cairo_set_source_rgb(cr, 0, 0, 1);
    for (const auto& l : sc.lines) {
      for (size_t i = 0; i < l.size(); ++i) {
        const auto [x, y] = view(l[i].first, l[i].second);
        if (i == 0)
          cairo_move_to(cr, x, y);
        else
          cairo_line_to(cr, x, y);
      }
      cairo_stroke(cr);
    }
    // Captions only where the map view draws them: at most one landmark per
    // kCaptionArea pixels of the view.
    const auto inView = [&](double x, double y) {
      return x >= -20 && y >= -20 && x <= kViewW + 20 && y <= kViewH + 20;
    };
    size_t shown = 0;
    for (const auto& m : sc.marks) {
      const auto [x, y] = view(m.first, m.second);
      shown += inView(x, y) ? 1 : 0;
    }
    const bool captions =
        shown * tkz::TGeoMap::kCaptionArea <= static_cast<size_t>(kViewW) * kViewH;
    for (size_t i = 0; i < sc.marks.size(); ++i) {
      const auto [x, y] = view(sc.marks[i].first, sc.marks[i].second);
      if (!inView(x, y)) continue;
      cairo_arc(cr, x, y, 4, 0, 2 * M_PI);
      cairo_set_source_rgb(cr, 1, 0, 0);
      cairo_fill_preserve(cr);
      cairo_set_source_rgb(cr, 0, 0, 0);
      cairo_stroke(cr);
      if (!captions) continue;
      cairo_move_to(cr, x, y + 11);
      cairo_show_text(cr, sc.captions[i].c_str());
    }
    cairo_set_source_rgb(cr, 0, 0, 0);
    cairo_rectangle(cr, 0.5, 0.5, kViewW - 1, kViewH - 1);
    cairo_stroke(cr);
    cairo_surface_flush(target);
    benchmark::DoNotOptimize(cairo_image_surface_get_data(target));
    ++frame;
  }
  state.counters["fps"] =
      benchmark::Counter(static_cast<double>(frame), benchmark::Counter::kIsRate);
  cairo_destroy(cr);
  cairo_surface_destroy(target);
  cairo_surface_destroy(sc.image);
}

void BM_ViewMag1Peer(benchmark::State& s) { ViewPeer(s, 1); }
void BM_ViewMag08Peer(benchmark::State& s) { ViewPeer(s, 0.8); }
BENCHMARK(BM_ViewMag1Peer)->Name("map_view_pan/peer")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ViewMag08Peer)->Name("map_view_pan_scaled/peer")->Unit(benchmark::kMillisecond);
#endif

}  // namespace
