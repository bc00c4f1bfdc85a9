// tkz.colors: colour models, the named colours and colour scales.
//
// A colour is an (r, g, b) tuple of 0..255 at the boundary; functions also
// take "#rrggbb" and colour names. TColor keeps red in the low byte.
#include <pybind11/numpy.h>

#include <cctype>
#include <cmath>
#include <span>
#include <string>
#include <vector>

#include "core/colour/tkzcolors.h"
#include "python/src/common.h"

namespace tkz::python {
namespace {

using RGB = std::tuple<int, int, int>;

TColor Pack(int r, int g, int b) {
  return static_cast<TColor>((r & 0xFF) | (g & 0xFF) << 8 | (b & 0xFF) << 16);
}
RGB Unpack(TColor c) {
  return {static_cast<int>(c & 0xFF), static_cast<int>(c >> 8 & 0xFF),
          static_cast<int>(c >> 16 & 0xFF)};
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

// A colour from a tuple, "#rrggbb" or a colour name.
TColor ToColor(py::handle value) {
  if (PyUnicode_Check(value.ptr()) || PyBytes_Check(value.ptr())) {
    const std::string text = FromStr(value, "colour");
    if (text.size() == 7 && text[0] == '#') {
      int v = 0;
      for (size_t i = 1; i < 7; ++i) {
        const int d = HexDigit(text[i]);
        if (d < 0) throw ETKZColArrayError("invalid colour \"" + text + "\"");
        v = v * 16 + d;
      }
      return Pack(v >> 16, v >> 8, v);
    }
    const int index = FindColorName(text);
    if (index < 0) throw ETKZColArrayError("unknown colour name \"" + text + "\"");
    return AllTKZColors[static_cast<size_t>(index)];
  }
  py::sequence seq = py::reinterpret_borrow<py::sequence>(value);
  if (!PySequence_Check(value.ptr()) || py::len(seq) != 3)
    throw py::type_error("a colour is an (r, g, b) tuple, \"#rrggbb\" or a colour name");
  int c[3];
  for (int i = 0; i < 3; ++i) {
    c[i] = seq[static_cast<size_t>(i)].cast<int>();
    if (c[i] < 0 || c[i] > 255)
      throw ETKZColArrayError("colour component " + std::to_string(c[i]) + " outside 0..255");
  }
  return Pack(c[0], c[1], c[2]);
}

// The three components of a colour model, e.g. Components<ColorToHSL>.
template <void (*ToModel)(TColor, double&, double&, double&)>
std::tuple<double, double, double> Components(py::handle color) {
  double a, b, c;
  ToModel(ToColor(color), a, b, c);
  return {a, b, c};
}

std::string HexText(TColor c) {
  static const char* digits = "0123456789abcdef";
  std::string s = "#";
  for (int shift : {0, 8, 16}) {
    const int v = static_cast<int>(c >> shift & 0xFF);
    s += digits[v >> 4];
    s += digits[v & 15];
  }
  return s;
}

struct Scale {
  const char* name;
  std::span<const TColor> keys;
};
const Scale kScales[] = {
    {"rainbow", ColorArray_Rainbow},   {"geo1", ColorArray_Geo1},
    {"geo2", ColorArray_Geo2},         {"geo3", ColorArray_Geo3},
    {"circle", ColorArray_Circle},     {"morgenstemning", ColorArray_MorgenStemning},
    {"contrast", ColorArray_Contrast},
};

// The colours of a scale built from a named key list or the given colours.
std::vector<TColor> ScaleColors(py::handle keys, int size, int steps) {
  if (size < 1 || size > TColorArray::kMaxFileSize)
    throw py::value_error("size must lie in 1.." + std::to_string(TColorArray::kMaxFileSize));
  std::vector<TColor> key_colors;
  if (PyUnicode_Check(keys.ptr())) {
    const std::string name = FromStr(keys, "scale");
    for (const Scale& s : kScales)
      if (name == s.name) key_colors.assign(s.keys.begin(), s.keys.end());
    if (key_colors.empty()) throw ETKZColArrayError("unknown colour scale \"" + name + "\"");
  } else {
    for (py::handle k : keys) key_colors.push_back(ToColor(k));
    if (key_colors.empty()) throw py::value_error("a scale needs at least one key colour");
  }
  TColorArray array;
  array.SetSize(size);
  array.FillByInterpolation(steps, std::span<const TColor>(key_colors));
  return array.Colors();
}

}  // namespace

void BindColors(py::module_& m) {
  py::module_ sub = m.def_submodule(
      "colors",
      "Colour models (HSL, HSV, HSI, CMY, CMYK, grey, wavelengths), the 466 named colours and\n"
      "colour scales. A colour is an (r, g, b) tuple of 0..255; every function also takes\n"
      "\"#rrggbb\" and colour names. Hues are degrees, the other components 0..1.");

  sub.def(
      "names",
      [] {
        py::list out;
        for (std::string_view n : AllTKZColorNames) out.append(ToStr(n));
        return out;
      },
      "The names of the 466 named colours, in table order.");
  sub.def(
      "rgb", [](py::handle c) { return Unpack(ToColor(c)); }, py::arg("color"),
      "(r, g, b) of a colour name (any letter case), \"#rrggbb\" or tuple; an unknown name\n"
      "raises tkz.ColorError.");
  sub.def(
      "name",
      [](py::handle c) -> py::object {
        const TColor v = ToColor(c);
        for (size_t i = 0; i < AllTKZColors.size(); ++i)
          if (AllTKZColors[i] == v) return ToStr(AllTKZColorNames[i]);
        return py::none();
      },
      py::arg("color"), "The name of the first named colour equal to color, or None.");
  sub.def(
      "hex", [](py::handle c) { return HexText(ToColor(c)); }, py::arg("color"),
      "The colour as \"#rrggbb\".");

  sub.def("to_hsl", &Components<ColorToHSL>, py::arg("color"),
          "(hue, saturation, lightness); grey has hue and saturation 0.");
  sub.def(
      "from_hsl", [](double h, double s, double l) { return Unpack(HSLtoColor(h, s, l)); },
      py::arg("h"), py::arg("s"), py::arg("l"), "(r, g, b) of hue, saturation, lightness.");
  sub.def("to_hsv", &Components<ColorToHSV>, py::arg("color"),
          "(hue, saturation, value); black has hue 0, other greys hue -1.");
  sub.def(
      "from_hsv", [](double h, double s, double v) { return Unpack(HSVtoColor(h, s, v)); },
      py::arg("h"), py::arg("s"), py::arg("v"), "(r, g, b) of hue, saturation, value.");
  sub.def("to_hsi", &Components<ColorToHSI>, py::arg("color"),
          "(hue, saturation, intensity); greys have hue -1.");
  sub.def(
      "from_hsi", [](double h, double s, double i) { return Unpack(HSItoColor(h, s, i)); },
      py::arg("h"), py::arg("s"), py::arg("i"), "(r, g, b) of hue, saturation, intensity.");
  sub.def(
      "to_cmy",
      [](py::handle c) {
        const auto [r, g, b] = Unpack(ToColor(c));
        double cy, mg, ye;
        RGBtoCMY(static_cast<uint8_t>(r), static_cast<uint8_t>(g), static_cast<uint8_t>(b), cy, mg,
                 ye);
        return std::make_tuple(cy, mg, ye);
      },
      py::arg("color"), "(cyan, magenta, yellow), each 0..1.");
  sub.def(
      "from_cmy",
      [](double c, double mg, double y) {
        uint8_t r, g, b;
        CMYtoRGB(c, mg, y, r, g, b);
        return RGB{r, g, b};
      },
      py::arg("c"), py::arg("m"), py::arg("y"), "(r, g, b) of cyan, magenta, yellow.");
  sub.def(
      "to_cmyk",
      [](py::handle c) {
        const auto [r, g, b] = Unpack(ToColor(c));
        double cy, mg, ye, k;
        RGBtoCMY(static_cast<uint8_t>(r), static_cast<uint8_t>(g), static_cast<uint8_t>(b), cy, mg,
                 ye);
        CMYtoCMYK(cy, mg, ye, k);
        return std::make_tuple(cy, mg, ye, k);
      },
      py::arg("color"), "(cyan, magenta, yellow, black) with the black taken out of the others.");
  sub.def(
      "from_cmyk",
      [](double c, double mg, double y, double k) {
        CMYKtoCMY(c, mg, y, k);
        uint8_t r, g, b;
        CMYtoRGB(c, mg, y, r, g, b);
        return RGB{r, g, b};
      },
      py::arg("c"), py::arg("m"), py::arg("y"), py::arg("k"), "(r, g, b) of a CMYK colour.");
  sub.def(
      "gray", [](py::handle c) { return ColorToGray(ToColor(c)); }, py::arg("color"),
      "Grey level round(0.3 r + 0.59 g + 0.11 b), halves to even.");
  sub.def(
      "invert", [](py::handle c) { return Unpack(InvertColor(ToColor(c))); }, py::arg("color"),
      "(255 - r, 255 - g, 255 - b).");
  sub.def(
      "distance",
      [](py::handle a, py::handle b) { return RGBColorDistance(ToColor(a), ToColor(b)); },
      py::arg("a"), py::arg("b"), "Euclidean RGB distance, black to white being 1.");
  sub.def(
      "interpolate",
      [](py::handle a, py::handle b, double fraction) {
        return Unpack(InterpolateColor(ToColor(a), ToColor(b), fraction));
      },
      py::arg("a"), py::arg("b"), py::arg("fraction"),
      "The colour fraction (0..1) of the way from a to b, each channel truncated.");
  sub.def(
      "wavelength", [](int nm, double gamma) { return Unpack(WavelengthToColor(nm, gamma)); },
      py::arg("nm"), py::arg("gamma") = 0.8,
      "The colour of visible light of wavelength nm (380..779, black outside).");

  py::list scale_names;
  for (const Scale& s : kScales) scale_names.append(s.name);
  sub.attr("SCALES") = py::tuple(scale_names);
  sub.def(
      "scale",
      [](py::handle keys, int size, int steps) {
        py::list out;
        for (TColor c : ScaleColors(keys, size, steps)) out.append(py::cast(Unpack(c)));
        return out;
      },
      py::arg("keys") = "rainbow", py::arg("size") = 256, py::arg("steps") = 0,
      "size colours spread evenly over the key colours (a name from SCALES or a list of\n"
      "colours); steps > 0 quantises the scale into that many bands.");
  sub.def(
      "colorize",
      [](py::array_t<double, py::array::c_style | py::array::forcecast> values, py::object vmin,
         py::object vmax, py::handle keys, int size) {
        const std::vector<TColor> colors = ScaleColors(keys, size, 0);
        const double* v = values.data();
        const auto n = static_cast<size_t>(values.size());
        double lo = vmin.is_none() ? INFINITY : vmin.cast<double>();
        double hi = vmax.is_none() ? -INFINITY : vmax.cast<double>();
        std::vector<py::ssize_t> shape(values.shape(), values.shape() + values.ndim());
        shape.push_back(3);
        py::array_t<uint8_t> out(shape);
        uint8_t* o = out.mutable_data();
        {
          py::gil_scoped_release release;
          if (vmin.is_none() || vmax.is_none()) {
            double a = INFINITY, b = -INFINITY;
            for (size_t i = 0; i < n; ++i)
              if (std::isfinite(v[i])) a = std::min(a, v[i]), b = std::max(b, v[i]);
            if (vmin.is_none()) lo = a;
            if (vmax.is_none()) hi = b;
          }
          const double span = hi > lo ? hi - lo : 1.0;
          const double top = static_cast<double>(colors.size() - 1);
          for (size_t i = 0; i < n; ++i) {
            TColor c = 0;
            if (std::isfinite(v[i])) {
              const double t = std::clamp((v[i] - lo) / span, 0.0, 1.0);
              c = colors[static_cast<size_t>(std::lround(t * top))];
            }
            o[3 * i] = static_cast<uint8_t>(c & 0xFF);
            o[3 * i + 1] = static_cast<uint8_t>(c >> 8 & 0xFF);
            o[3 * i + 2] = static_cast<uint8_t>(c >> 16 & 0xFF);
          }
        }
        return out;
      },
      py::arg("values"), py::arg("vmin") = py::none(), py::arg("vmax") = py::none(),
      py::arg("keys") = "rainbow", py::arg("size") = 256,
      "An array of RGB bytes (shape values.shape + (3,)) colouring each value by the scale:\n"
      "vmin (default: the smallest finite value) takes the first colour, vmax (default: the\n"
      "largest) the last; values beyond are clamped; NaN and infinities are black.");
}

}  // namespace tkz::python
