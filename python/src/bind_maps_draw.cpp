// tkz.maps: the view of a map (size, magnification, position) and drawing
// it, as the map control draws itself, into PNG (or BMP, JPEG) files, PNG
// bytes and numpy arrays.
#include <pybind11/numpy.h>
#include <pybind11/stl.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>

#include "core/platform/imagefile.h"
#include "python/src/bind_maps_internal.h"

namespace tkz::python::maps {

namespace {

constexpr int kMaxViewSide = 8000;

// What a drawing shows beyond the image.
struct DrawOptions {
  TShowGrat grat = sgNone;
  double gratStep = 0;  // degrees, 0 automatic
  int gridStep = 0;     // metres, 0 automatic
  bool landmarks = true;
};

DrawOptions Options(bool graticule, bool grid, bool points, py::handle gratStep,
                    py::handle gridStep, bool landmarks) {
  if (graticule && grid)
    throw py::value_error("the graticule and the UTM grid cannot be drawn together");
  DrawOptions o;
  o.grat = grid        ? (points ? sgPointsAndUTMGrid : sgUTMGrid)
           : graticule ? (points ? sgPointsAndLines : sgLines)
                       : (points ? sgPoints : sgNone);
  if (!gratStep.is_none()) {
    o.gratStep = py::cast<double>(gratStep);
    if (!(o.gratStep > 0 && o.gratStep <= 60))
      throw py::value_error("graticule_step must be within (0, 60] degrees");
  }
  if (!gridStep.is_none()) {
    o.gridStep = py::cast<int>(gridStep);
    if (o.gridStep < 1 || o.gridStep > 10000000)
      throw py::value_error("grid_step must be 1..10000000 metres");
  }
  o.landmarks = landmarks;
  return o;
}

// The drawing settings of a map for one drawing, put back afterwards.
class DrawSettings {
 public:
  DrawSettings(TGeoMap& map, const DrawOptions& o) : map_(map) {
    grat_ = map.GetShowGraticule();
    gratStep_ = map.GetGratLineDist();
    gridStep_ = map.GetUTMGridDist();
    for (int c = 0; c < 256; ++c) visible_[c] = map.GetClassVisibility(c);
    map.SetShowGrat(o.grat);
    map.SetGratLineDist(o.gratStep);
    map.SetUTMGridDist(o.gridStep);
    if (!o.landmarks)
      for (int c = 0; c < 256; ++c) map.SetClassVisibility(c, false);
  }
  ~DrawSettings() {
    map_.SetShowGrat(grat_);
    map_.SetGratLineDist(gratStep_);
    map_.SetUTMGridDist(gridStep_);
    for (int c = 0; c < 256; ++c) map_.SetClassVisibility(c, visible_[c]);
  }
  DrawSettings(const DrawSettings&) = delete;
  DrawSettings& operator=(const DrawSettings&) = delete;

 private:
  TGeoMap& map_;
  TShowGrat grat_;
  double gratStep_;
  int gridStep_;
  std::array<bool, 256> visible_{};
};

std::pair<int, int> SizeFrom(py::handle size) {
  const auto wh = py::cast<std::pair<int, int>>(size);
  if (wh.first < 1 || wh.second < 1 || wh.first > kMaxViewSide || wh.second > kMaxViewSide)
    throw py::value_error("a view's width and height must be 1.." + std::to_string(kMaxViewSide));
  return wh;
}

void NeedImage(const MapRef& r) {
  if (!r.map->GetMapImage()) MapError("the map has no image to draw");
}

// Sets the view's size: the one given, else the current one, else the
// image's (at most kMaxViewSide a side).
void SizeView(MapRef& r, py::handle size) {
  TGeoMap& m = *r.map;
  if (!size.is_none()) {
    const auto wh = SizeFrom(size);
    m.SetBounds(0, 0, wh.first, wh.second);
  } else if (m.GetWidth() < 1 || m.GetHeight() < 1) {
    m.SetBounds(0, 0, std::clamp(m.GetMapWidth(), 1, kMaxViewSide),
                std::clamp(m.GetMapHeight(), 1, kMaxViewSide));
  }
}

std::unique_ptr<TBitmap> RenderView(MapRef& r, py::handle size, const DrawOptions& o) {
  NeedImage(r);
  SizeView(r, size);
  TGeoMap& m = *r.map;
  if (!r.viewSet) m.ZoomFitPage();
  DrawSettings settings(m, o);
  auto out = std::make_unique<TBitmap>(m.GetWidth(), m.GetHeight());
  py::gil_scoped_release unlocked;
  m.ConstructInternalMapImg();
  out->GetCanvas()->Draw(0, 0, m.GetRenderBitmap());
  return out;
}

std::unique_ptr<TBitmap> RenderWhole(MapRef& r, const DrawOptions& o) {
  NeedImage(r);
  DrawSettings settings(*r.map, o);
  py::gil_scoped_release unlocked;
  return r.map->CopyToBMP();
}

// A bitmap as a (height, width, 3) uint8 array, red first.
py::array_t<uint8_t> ToArray(const TBitmap& b) {
  const py::ssize_t h = b.GetHeight(), w = b.GetWidth();
  py::array_t<uint8_t> a({h, w, py::ssize_t{3}});
  uint8_t* d = a.mutable_data();
  py::gil_scoped_release unlocked;
  for (py::ssize_t y = 0; y < h; ++y) {
    const uint32_t* row = b.ScanLine(static_cast<int32_t>(y));
    for (py::ssize_t x = 0; x < w; ++x) {
      const TColor c = row[x];
      *d++ = GetRValue(c);
      *d++ = GetGValue(c);
      *d++ = GetBValue(c);
    }
  }
  return a;
}

py::object View(const MapRef& r) {
  const TGeoMap& m = *r.map;
  return NamedTuple("View")(m.GetTopLeft().X, m.GetTopLeft().Y, m.GetMagnification(), m.GetWidth(),
                            m.GetHeight());
}

void CheckMagnification(double mag) {
  if (!(mag >= kMinMagnification && mag <= kMaxMagnification))
    throw py::value_error("magnification must be within 1/1024..1024");
}

void SetView(MapRef& r, py::handle size, py::handle mag, py::handle center, py::handle centerPixel,
             py::handle topLeft) {
  TGeoMap& m = *r.map;
  const int given = !center.is_none() + !centerPixel.is_none() + !topLeft.is_none();
  if (given > 1) throw py::value_error("give one of center, center_pixel and top_left");
  std::optional<double> magnification;
  if (!mag.is_none()) {
    magnification = py::cast<double>(mag);
    CheckMagnification(*magnification);
  }
  std::optional<std::pair<double, double>> geo;
  if (!center.is_none()) {
    geo = py::cast<std::pair<double, double>>(center);
    int x, y;
    if (!m.CalcPixelCoords(geo->first, geo->second, x, y))
      MapError("the calibration cannot place " + std::to_string(geo->first) + ", " +
               std::to_string(geo->second) + " on the map");
  }
  SizeView(r, size);
  if (!r.viewSet && !magnification) m.ZoomFitPage();
  if (magnification) m.SetMagnification(*magnification);
  if (geo) m.BringLocationToCenter(geo->first, geo->second);
  if (!centerPixel.is_none()) {
    const auto p = py::cast<std::pair<int, int>>(centerPixel);
    m.BringMapPixelToCenter(TPoint{p.first, p.second});
  }
  if (!topLeft.is_none()) {
    const auto p = py::cast<std::pair<int, int>>(topLeft);
    m.SetTopLeft(TPoint{p.first, p.second});
  }
  r.viewSet = true;
}

// Shows the image box [x0, x1] x [y0, y1] whole, centred in the view.
void ZoomToPixels(MapRef& r, double x0, double y0, double x1, double y1, py::handle size) {
  if (!(std::isfinite(x0) && std::isfinite(y0) && std::isfinite(x1) && std::isfinite(y1)))
    throw py::value_error("the box must be finite");
  if (x0 > x1) std::swap(x0, x1);
  if (y0 > y1) std::swap(y0, y1);
  if (x1 - x0 < 1e-9 || y1 - y0 < 1e-9) throw py::value_error("the box must span an area");
  SizeView(r, size);
  TGeoMap& m = *r.map;
  const double mag = std::clamp(std::min(m.GetWidth() / (x1 - x0), m.GetHeight() / (y1 - y0)),
                                kMinMagnification, kMaxMagnification);
  m.SetMagnification(mag);
  const double cx = (x0 + x1) / 2, cy = (y0 + y1) / 2;
  m.SetTopLeft(TPoint{static_cast<int>(std::lround(cx - m.GetWidth() / mag / 2)),
                      static_cast<int>(std::lround(cy - m.GetHeight() / mag / 2))});
  r.viewSet = true;
}

void ZoomToGeo(MapRef& r, std::pair<double, double> lat, std::pair<double, double> lon,
               py::handle size) {
  double x0 = 1e300, y0 = 1e300, x1 = -1e300, y1 = -1e300;
  for (double la : {lat.first, lat.second}) {
    for (double lo : {lon.first, lon.second}) {
      int x, y;
      if (!r.map->CalcPixelCoords(la, lo, x, y))
        MapError("the calibration cannot place " + std::to_string(la) + ", " + std::to_string(lo) +
                 " on the map");
      x0 = std::min<double>(x0, x), x1 = std::max<double>(x1, x);
      y0 = std::min<double>(y0, y), y1 = std::max<double>(y1, y);
    }
  }
  ZoomToPixels(r, x0, y0, x1, y1, size);
}

}  // namespace

void BindDrawing(py::module_& m, py::class_<MapRef>& cls) {
  (void)m;
  cls.def_property_readonly(
      "view", &View, "The View: image pixel at the top-left corner, magnification and size.");
  cls.def("set_view", &SetView, py::kw_only(), py::arg("size") = py::none(),
          py::arg("magnification") = py::none(), py::arg("center") = py::none(),
          py::arg("center_pixel") = py::none(), py::arg("top_left") = py::none(),
          R"doc(Sets the view that render and render_array draw.

size=(width, height) of the view in pixels; magnification: view pixels per
image pixel (1/1024..1024); then one of center=(lat, lon), center_pixel=(x, y)
(both kept within the map as the library pans) or top_left=(x, y), the image
pixel at the view's top-left corner. Until a view is set, drawings fit the
whole map into the view.)doc");
  cls.def(
      "fit",
      [](MapRef& r, py::handle size) {
        SizeView(r, size);
        r.map->ZoomFitPage();
        r.viewSet = false;
      },
      py::arg("size") = py::none(), "Back to a view that shows the whole map.");
  cls.def("zoom_to", &ZoomToGeo, py::arg("lat"), py::arg("lon"), py::kw_only(),
          py::arg("size") = py::none(),
          "Shows the geographic box lat=(low, high), lon=(low, high) (degrees) whole, centred.");
  cls.def("zoom_to_pixels", &ZoomToPixels, py::arg("x0"), py::arg("y0"), py::arg("x1"),
          py::arg("y1"), py::kw_only(), py::arg("size") = py::none(),
          "Shows the image box from (x0, y0) to (x1, y1) whole, centred.");

  cls.def(
      "render",
      [](MapRef& r, py::object path, py::handle size, bool graticule, bool grid, bool points,
         bool landmarks, py::handle gratStep, py::handle gridStep) -> py::object {
        const auto bmp =
            RenderView(r, size, Options(graticule, grid, points, gratStep, gridStep, landmarks));
        if (path.is_none()) {
          std::vector<uint8_t> png;
          {
            py::gil_scoped_release unlocked;
            png = SavePNG(*bmp);
          }
          return py::bytes(reinterpret_cast<const char*>(png.data()), png.size());
        }
        const std::string file = FromPath(path);
        py::gil_scoped_release unlocked;
        SaveBitmapToFile(*bmp, file);
        return py::none();
      },
      py::arg("path") = py::none(), py::kw_only(), py::arg("size") = py::none(),
      py::arg("graticule") = false, py::arg("grid") = false, py::arg("calibration_points") = false,
      py::arg("landmarks") = true, py::arg("graticule_step") = py::none(),
      py::arg("grid_step") = py::none(),
      R"doc(Draws the view as the map control shows it and writes it to path.

The format follows the extension (.png, .bmp, .jpg); without a path the PNG
file's bytes are returned. size=(width, height) sets the view's size (by
default the current one, or the image's); graticule draws meridians and
parallels (every graticule_step degrees, else automatic), grid the UTM grid
of a utm calibration (every grid_step metres), calibration_points marks the
reference points, landmarks the visible classes of landmarks.)doc");
  cls.def(
      "render_array",
      [](MapRef& r, py::handle size, bool graticule, bool grid, bool points, bool landmarks,
         py::handle gratStep, py::handle gridStep) {
        return ToArray(
            *RenderView(r, size, Options(graticule, grid, points, gratStep, gridStep, landmarks)));
      },
      py::kw_only(), py::arg("size") = py::none(), py::arg("graticule") = false,
      py::arg("grid") = false, py::arg("calibration_points") = false, py::arg("landmarks") = true,
      py::arg("graticule_step") = py::none(), py::arg("grid_step") = py::none(),
      "The view drawn as render draws it, as a numpy uint8 array of shape (height, width, 3), "
      "red, green, blue.");
  cls.def(
      "to_array",
      [](MapRef& r, bool graticule, bool grid, bool points, bool landmarks, py::handle gratStep,
         py::handle gridStep) {
        return ToArray(
            *RenderWhole(r, Options(graticule, grid, points, gratStep, gridStep, landmarks)));
      },
      py::kw_only(), py::arg("graticule") = false, py::arg("grid") = false,
      py::arg("calibration_points") = false, py::arg("landmarks") = true,
      py::arg("graticule_step") = py::none(), py::arg("grid_step") = py::none(),
      "The whole map at magnification 1 with what the options draw on it, as a numpy uint8 "
      "array of shape (height, width, 3), red, green, blue (landmarks=False and no graticule "
      "give the image itself).");
}

}  // namespace tkz::python::maps
