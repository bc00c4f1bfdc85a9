// tkz.maps: landmarks (Landmark, Caption, Element), the landmark list of a
// map with its files, and symbol files (Symbol).
#include <pybind11/operators.h>
#include <pybind11/stl.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <initializer_list>

#include "core/platform/textfile.h"
#include "core/text/charcase.h"
#include "python/src/bind_maps_internal.h"

namespace tkz::python::maps {

namespace {

// The landmark table of a map; indexes count from 0 (the library's numbers
// from 1).
struct LandmarkList {
  std::shared_ptr<TGeoMap> map;

  int Count() const { return map->GetNumLandMarks(); }
  // The library's number of a Python index (negative from the end).
  int Number(py::ssize_t i) const {
    const py::ssize_t n = Count();
    if (i < 0) i += n;
    if (i < 0 || i >= n) throw py::index_error("landmark index out of range");
    return static_cast<int>(i) + 1;
  }
};

// A copy of value with the keyword arguments set as its properties (only
// those named in allowed).
template <class T>
T WithProperties(const T& value, const py::kwargs& kw, std::initializer_list<const char*> allowed) {
  if (kw.empty()) return value;
  py::object obj = py::cast(value);
  for (const auto& item : kw) {
    const std::string key = py::cast<std::string>(item.first);
    if (std::none_of(allowed.begin(), allowed.end(), [&](const char* a) { return key == a; }))
      throw py::type_error("unexpected keyword argument '" + key + "'");
    py::setattr(obj, item.first, item.second);
  }
  return obj.cast<T>();
}

TLandMarkElement ElementFrom(py::handle value) {
  if (PyUnicode_Check(value.ptr())) {
    const std::string name = FromStr(value, "element");
    for (size_t i = 0; i < LandMarkElementNames.size(); ++i)
      if (AnsiSameText(LandMarkElementNames[i], name)) return static_cast<TLandMarkElement>(i);
    throw py::value_error("unknown landmark element \"" + name + "\"");
  }
  return py::cast<TLandMarkElement>(value);
}

int ClassFrom(py::handle value) {
  if (value.is_none()) return -1;
  const int c = py::cast<int>(value);
  if (c < 0 || c > 255) throw py::value_error("a landmark class is 0..255");
  return c;
}

py::object IndexOrNone(int number) {
  if (number < 1) return py::none();
  return py::int_(number - 1);
}

constexpr std::initializer_list<const char*> kLandmarkFields = {
    "element",     "lm_class",  "user_tag", "size",       "color",     "fill",
    "transparent", "direction", "length",   "identifier", "timestamp", "caption"};
constexpr std::initializer_list<const char*> kCaptionFields = {
    "font_size", "font_name", "font_style", "color",   "background", "transparent",
    "dx",        "dy",        "direction",  "h_align", "v_align"};
constexpr std::initializer_list<const char*> kSymbolFields = {
    "element", "size", "color", "fill", "transparent", "direction", "length", "category"};

// The symbol style shared by landmarks and symbols: element, size, colours,
// fill, direction and arrow length.
template <class T>
void BindStyle(py::class_<T>& c) {
  c.def_property(
      "element", [](const T& l) { return l.Element; },
      [](T& l, py::handle v) { l.Element = ElementFrom(v); },
      "The symbol (an Element, or its name as in ELEMENT_NAMES).");
  c.def_readwrite("size", &T::Size, "Half the symbol's width in pixels.");
  c.def_property(
      "color", [](const T& l) { return WebColor(l.ColorFg); },
      [](T& l, py::handle v) { l.ColorFg = ColorFrom(v); },
      "Line colour, \"#RRGGBB\" (also set from (r, g, b)).");
  c.def_property(
      "fill", [](const T& l) { return WebColor(l.ColorBg); },
      [](T& l, py::handle v) { l.ColorBg = ColorFrom(v); }, "Fill colour, \"#RRGGBB\".");
  c.def_readwrite("transparent", &T::Transparent, "Whether the symbol is drawn without fill.");
  c.def_readwrite("direction", &T::Direction, "Direction of arrows, degrees clockwise from north.");
  c.def_readwrite("length", &T::Length, "Length of an arrow's shaft in pixels.");
  c.def(py::self == py::self);
}

void BindCaption(py::module_& m) {
  py::class_<TLMTextProperties> c(m, "Caption", "The caption of a landmark: text and its font.");
  c.def(py::init([](py::handle text, const py::kwargs& kw) {
          TLMTextProperties t;
          t.Text = FromStr(text, "text");
          return WithProperties(t, kw, kCaptionFields);
        }),
        py::arg("text") = "",
        "A caption of text; font_size, font_name, font_style, color, background, transparent, "
        "dx, dy, direction, h_align and v_align as keywords.");
  c.def_property(
      "text", [](const TLMTextProperties& t) { return ToStr(t.Text); },
      [](TLMTextProperties& t, py::handle v) { t.Text = FromStr(v, "text"); },
      "The text (kept to 80 characters when stored in a map).");
  c.def_readwrite("font_size", &TLMTextProperties::FontSize, "Font size in points.");
  c.def_property(
      "font_name", [](const TLMTextProperties& t) { return ToStr(t.FontName); },
      [](TLMTextProperties& t, py::handle v) { t.FontName = FromStr(v, "font_name"); },
      "Font family.");
  c.def_readwrite("font_style", &TLMTextProperties::FontStyle,
                  "Style bits: 1 bold, 2 italic, 4 underline, 8 strike-out.");
  c.def_property(
      "color", [](const TLMTextProperties& t) { return WebColor(t.TextColor); },
      [](TLMTextProperties& t, py::handle v) { t.TextColor = ColorFrom(v); },
      "Text colour, \"#RRGGBB\".");
  c.def_property(
      "background", [](const TLMTextProperties& t) { return WebColor(t.BkColor); },
      [](TLMTextProperties& t, py::handle v) { t.BkColor = ColorFrom(v); },
      "Background colour, \"#RRGGBB\" (used unless transparent).");
  c.def_readwrite("transparent", &TLMTextProperties::Transparent, "Text without background.");
  c.def_readwrite("dx", &TLMTextProperties::Dx, "Offset from the symbol, pixels to the right.");
  c.def_readwrite("dy", &TLMTextProperties::Dy, "Offset from the symbol, pixels downwards.");
  c.def_readwrite("direction", &TLMTextProperties::Direction,
                  "Text direction, degrees counter-clockwise.");
  c.def_readwrite("h_align", &TLMTextProperties::HorAlign, "0 left, 1 centre, 2 right.");
  c.def_readwrite("v_align", &TLMTextProperties::VertAlign, "0 top, 1 centre, 2 bottom.");
  c.def(py::self == py::self);
  c.def("__repr__", [](const TLMTextProperties& t) {
    return "Caption(" + py::repr(ToStr(t.Text)).cast<std::string>() + ")";
  });
}

void BindLandmark(py::module_& m) {
  py::class_<TLandMark> c(m, "Landmark", R"doc(A point on the map with a symbol and a caption.

Landmark(lat, lon, altitude=0.0, **properties): position in degrees, altitude
in metres; the other properties (element, lm_class, user_tag, size, color,
fill, transparent, direction, length, identifier, timestamp, caption) as
keywords, else the library's defaults (a red-filled cross of size 8).)doc");
  c.def(py::init([](double lat, double lon, double alt, const py::kwargs& kw) {
          TLandMark l;
          l.Latitude = lat;
          l.Longitude = lon;
          l.Altitude = alt;
          return WithProperties(l, kw, kLandmarkFields);
        }),
        py::arg("lat"), py::arg("lon"), py::arg("altitude") = 0.0);
  c.def_readwrite("lat", &TLandMark::Latitude, "Latitude in degrees.");
  c.def_readwrite("lon", &TLandMark::Longitude, "Longitude in degrees.");
  c.def_readwrite("altitude", &TLandMark::Altitude, "Altitude in metres.");
  c.def_property(
      "lm_class", [](const TLandMark& l) { return l.LMClass; },
      [](TLandMark& l, py::handle v) {
        const int k = ClassFrom(v);
        if (k < 0) throw py::value_error("a landmark class is 0..255");
        l.LMClass = static_cast<uint8_t>(k);
      },
      "The landmark's class, 0..255 (classes can be hidden together).");
  c.def_readwrite("user_tag", &TLandMark::UserTag, "A number for the caller.");
  BindStyle(c);
  c.def_property(
      "identifier", [](const TLandMark& l) { return ToStr(l.Identifier); },
      [](TLandMark& l, py::handle v) { l.Identifier = FromStr(v, "identifier"); },
      "An identifier (kept to 15 characters when stored in a map).");
  c.def_readwrite("timestamp", &TLandMark::TimeStamp, "Time stamp, days since 1899-12-30.");
  c.def_readwrite("caption", &TLandMark::Caption, "The Caption (changed in place).");
  c.def(
      "set_symbol",
      [](TLandMark& l, const TSymbol& s) {
        l.Element = s.Element;
        l.Size = s.Size;
        l.ColorFg = s.ColorFg;
        l.ColorBg = s.ColorBg;
        l.Transparent = s.Transparent;
        l.Direction = s.Direction;
        l.Length = s.Length;
      },
      py::arg("symbol"),
      "Takes the style of a Symbol (element, size, colours, direction, length).");
  c.def("__repr__", [](const TLandMark& l) {
    return "Landmark(" + std::to_string(l.Latitude) + ", " + std::to_string(l.Longitude) +
           ", element=" + LandMarkElementNames[std::min<size_t>(l.Element, 9)] + ")";
  });
}

void BindSymbols(py::module_& m) {
  py::class_<TSymbol> c(m, "Symbol", "A named symbol style of a symbol file.");
  c.def(py::init([](py::handle name, const py::kwargs& kw) {
          TSymbol s = DefaultSymbolRecord();
          s.Name = FromStr(name, "name");
          return WithProperties(s, kw, kSymbolFields);
        }),
        py::arg("name") = "",
        "A symbol with the library's default style; element, size, color, fill, transparent, "
        "direction, length and category as keywords.");
  c.def_property(
      "name", [](const TSymbol& s) { return ToStr(s.Name); },
      [](TSymbol& s, py::handle v) { s.Name = FromStr(v, "name"); },
      "The symbol's name (43 characters at most in a file).");
  c.def_readwrite("category", &TSymbol::Category, "A category number.");
  BindStyle(c);
  c.def("__repr__", [](const TSymbol& s) {
    return "Symbol(" + py::repr(ToStr(s.Name)).cast<std::string>() + ")";
  });

  m.def(
      "load_symbols",
      [](py::handle path, py::object id) {
        const std::string file = FromPath(path);
        const std::string ident = id.is_none() ? "" : FromStr(id, "id");
        TSymbolRepository repo;
        if (!repo.LoadFromFile(file, ident))
          MapError(ident.empty() ? "no symbols in \"" + file + "\""
                                 : "no symbols with id \"" + ident + "\" in \"" + file + "\"");
        std::vector<TSymbol> out;
        for (int i = 1; i <= repo.GetNumEntries(); ++i) out.push_back(repo.GetValues(i));
        return out;
      },
      py::arg("path"), py::arg("id") = py::none(),
      "The symbols of the block with the id (None: the first) of a symbol file; a missing "
      "file raises tkz.InOutError, a missing block tkz.MapError.");
  m.def(
      "save_symbols",
      [](py::handle path, const std::vector<TSymbol>& symbols, py::handle id) {
        TSymbolRepository repo;
        repo.SetNEntries(static_cast<int>(symbols.size()));
        for (size_t i = 0; i < symbols.size(); ++i)
          repo.SetValues(static_cast<int>(i) + 1, symbols[i]);
        repo.StoreOnFile(FromPath(path), FromStr(id, "id"));
      },
      py::arg("path"), py::arg("symbols"), py::arg("id") = "",
      "Writes symbols as a symbol file (replaced whole through a temporary file).");
}

void LoadLandmarks(LandmarkList& l, py::handle path, py::object id) {
  const std::string file = FromPath(path);
  const std::string ident = id.is_none() ? "" : FromStr(id, "id");
  std::error_code ec;
  if (!std::filesystem::is_regular_file(file, ec))
    MapError("cannot open \"" + file + "\": no such file");
  TTextFile f;
  f.AssignFile(file);
  f.Reset();
  const bool found = l.map->ReadLandMarksFromOpenXMLFile(f, ident);
  f.CloseFile();
  if (!found)
    MapError(ident.empty() ? "no landmarks in \"" + file + "\""
                           : "no landmarks with id \"" + ident + "\" in \"" + file + "\"");
}

void BindList(py::module_& m, py::class_<MapRef>& map) {
  py::class_<LandmarkList> c(m, "LandmarkList", R"doc(The landmarks of a map, a live sequence.

Indexes count from 0. Removing landmarks fills their places with the last
ones (the library does not keep the order).)doc");
  c.def("__len__", &LandmarkList::Count);
  c.def(
      "__getitem__",
      [](const LandmarkList& l, py::ssize_t i) { return l.map->GetLandMarkData(l.Number(i)); },
      py::arg("index"), "A copy of the landmark at index.");
  c.def(
      "__setitem__",
      [](LandmarkList& l, py::ssize_t i, const TLandMark& lm) {
        l.map->SetLandMarkData(l.Number(i), lm);
      },
      py::arg("index"), py::arg("landmark"), "Replaces the landmark at index.");
  c.def(
      "__delitem__", [](LandmarkList& l, py::ssize_t i) { l.map->RemoveLandMark(l.Number(i)); },
      py::arg("index"), "Removes the landmark at index; the last one takes its place.");
  c.def("__iter__", [](const LandmarkList& l) {
    py::list all;
    for (int n = 1; n <= l.Count(); ++n) all.append(l.map->GetLandMarkData(n));
    return py::iter(all);
  });
  c.def(
      "append",
      [](LandmarkList& l, const TLandMark& lm) {
        l.map->AddLandMark(lm.Latitude, lm.Longitude, lm.Altitude);
        l.map->SetLandMarkData(l.Count(), lm);
        return l.Count() - 1;
      },
      py::arg("landmark"), "Appends a copy of a Landmark; returns its index.");
  c.def(
      "add",
      [](LandmarkList& l, double lat, double lon, double alt, const py::kwargs& kw) {
        TLandMark lm = l.map->GetDefaultLandMark();
        lm.Latitude = lat;
        lm.Longitude = lon;
        lm.Altitude = alt;
        lm = WithProperties(lm, kw, kLandmarkFields);
        l.map->AddLandMark(lat, lon, alt);
        l.map->SetLandMarkData(l.Count(), lm);
        return l.Count() - 1;
      },
      py::arg("lat"), py::arg("lon"), py::arg("altitude") = 0.0,
      "Adds a landmark made from the default one at a position (degrees, metres), with "
      "Landmark properties as keywords; returns its index.");
  c.def_property(
      "default", [](const LandmarkList& l) { return l.map->GetDefaultLandMark(); },
      [](LandmarkList& l, const TLandMark& lm) { l.map->SetDefaultLandMark(lm); },
      "The landmark whose style add() starts from.");
  c.def(
      "find",
      [](const LandmarkList& l, double lat, double lon, py::handle cls) {
        return IndexOrNone(l.map->FindLandMark(lat, lon, ClassFrom(cls)));
      },
      py::arg("lat"), py::arg("lon"), py::arg("lm_class") = py::none(),
      "Index of the landmark nearest to a position (distance in degrees of latitude and "
      "longitude), of one class or of any; None when there is none.");
  c.def(
      "remove_near",
      [](LandmarkList& l, double lat, double lon, double radius, py::handle cls) {
        return l.map->RemoveLandMark(lat, lon, ClassFrom(cls), radius);
      },
      py::arg("lat"), py::arg("lon"), py::arg("radius"), py::arg("lm_class") = py::none(),
      "Removes the landmarks within radius degrees (dlat^2 + dlon^2 < radius^2); returns how "
      "many.");
  c.def(
      "remove_within",
      [](LandmarkList& l, std::pair<double, double> lat, std::pair<double, double> lon,
         py::handle cls) {
        const TRectDouble r{std::min(lon.first, lon.second), std::max(lat.first, lat.second),
                            std::max(lon.first, lon.second), std::min(lat.first, lat.second)};
        return l.map->RemoveLandMark(r, ClassFrom(cls));
      },
      py::arg("lat"), py::arg("lon"), py::arg("lm_class") = py::none(),
      "Removes the landmarks strictly inside lat=(low, high), lon=(low, high); returns how many.");
  c.def(
      "clear",
      [](LandmarkList& l, py::handle cls) {
        const int k = ClassFrom(cls);
        if (k < 0)
          l.map->RemoveAllLandMarks();
        else
          l.map->RemoveAllLandMarks(static_cast<uint8_t>(k));
      },
      py::arg("lm_class") = py::none(), "Removes every landmark, or those of one class.");
  c.def(
      "set_class_visible",
      [](LandmarkList& l, int cls, bool visible) {
        l.map->SetClassVisibility(ClassFrom(py::int_(cls)), visible);
      },
      py::arg("lm_class"), py::arg("visible"), "Shows or hides a class of landmarks in drawings.");
  c.def(
      "is_class_visible",
      [](const LandmarkList& l, int cls) {
        return l.map->GetClassVisibility(ClassFrom(py::int_(cls)));
      },
      py::arg("lm_class"), "Whether a class of landmarks is drawn.");
  c.def_property(
      "highlighted", [](const LandmarkList& l) { return IndexOrNone(l.map->GetHighLM()); },
      [](LandmarkList& l, py::object i) {
        l.map->SetHighLM(i.is_none() ? 0 : l.Number(py::cast<py::ssize_t>(i)));
      },
      "Index of the highlighted landmark (drawn last, with its caption), or None.");
  c.def("load", &LoadLandmarks, py::arg("path"), py::arg("id") = py::none(),
        "Replaces the landmarks by those of the block with the id (None: the first; any case) "
        "of a landmark file; tkz.MapError when the file or the block is missing.");
  c.def(
      "save",
      [](const LandmarkList& l, py::handle path, py::handle id) {
        l.map->SaveLandmarks(FromPath(path), FromStr(id, "id"));
      },
      py::arg("path"), py::arg("id") = "",
      "Writes the landmarks as a landmark file (replaced whole through a temporary file); it "
      "reads back into equal landmarks, except that PLUS and USER_DEF come back as CROSS.");

  map.def_property_readonly(
      "landmarks", [](const MapRef& r) { return LandmarkList{r.map}; },
      "The map's landmarks (a LandmarkList).");
}

}  // namespace

void BindLandmarks(py::module_& m, py::class_<MapRef>& map) {
  py::enum_<TLandMarkElement>(m, "Element", "The symbols of landmarks.")
      .value("PLUS", lmPlus)
      .value("SQUARE", lmSquare)
      .value("TRIANGLE", lmTriangle)
      .value("CIRCLE", lmCircle)
      .value("ARROW_FROM", lmArrowFrom)
      .value("ARROW_TO", lmArrowTo)
      .value("CROSS_BOX", lmCrossBox)
      .value("SPADE", lmSpade)
      .value("CROSS", lmCross)
      .value("USER_DEF", lmUserDef);
  py::list names;
  for (const std::string& n : LandMarkElementNames) names.append(ToStr(n));
  m.attr("ELEMENT_NAMES") = py::tuple(names);
  BindCaption(m);
  BindSymbols(m);
  BindLandmark(m);
  BindList(m, map);
}

}  // namespace tkz::python::maps
