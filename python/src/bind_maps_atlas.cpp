// tkz.maps: the atlas, a set of calibrated maps of which one is shown; the
// maps covering a position, and zooming between maps.
#include <pybind11/stl.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "geo/geoatlas.h"
#include "python/src/bind_maps_internal.h"

namespace tkz::python::maps {

namespace {

namespace fs = std::filesystem;

struct AtlasRef {
  std::shared_ptr<TGeoAtlas> atlas;

  int Number(py::ssize_t i) const {
    const py::ssize_t n = atlas->GetNumMaps();
    if (i < 0) i += n;
    if (i < 0 || i >= n) throw py::index_error("map index out of range");
    return static_cast<int>(i) + 1;
  }
};

py::object Info(const TMapDefinition& d) {
  return NamedTuple("MapInfo")(py::str(d.CalFileName), ToStr(d.MapName), d.Resolution,
                               Corners(d.Corners));
}

int Register(AtlasRef& a, py::handle path) {
  const std::string file = FromPath(path);
  std::error_code ec;
  if (!fs::is_regular_file(file, ec)) MapError("cannot open \"" + file + "\": no such file");
  if (!a.atlas->RegisterMap(file)) {
    if (a.atlas->GetNumMaps() >= kMaxAtlasMaps)
      MapError("an atlas holds at most " + std::to_string(kMaxAtlasMaps) + " maps");
    MapError("no calibration in \"" + file + "\"");
  }
  for (int i = 1; i <= a.atlas->GetNumMaps(); ++i)
    if (a.atlas->GetMapDef(i).CalFileName == file) return i - 1;
  return a.atlas->GetNumMaps() - 1;
}

// The calibration files of an atlas definition: a first line "# tkz atlas",
// then one file a line, relative to the definition's folder (blank lines and
// "#" lines skipped).
std::vector<std::string> DefinitionFiles(const std::string& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) MapError("cannot open \"" + file + "\"");
  std::string line;
  const auto chomp = [](std::string& s) {
    while (!s.empty() && (s.back() == '\r' || s.back() == ' ' || s.back() == '\t')) s.pop_back();
    const auto b = s.find_first_not_of(" \t");
    s = b == std::string::npos ? "" : s.substr(b);
  };
  std::getline(in, line);
  chomp(line);
  if (line != "# tkz atlas") MapError("\"" + file + "\" is not an atlas definition");
  const fs::path dir = fs::path(file).parent_path();
  std::vector<std::string> out;
  while (std::getline(in, line)) {
    chomp(line);
    if (line.empty() || line[0] == '#') continue;
    const fs::path p(line);
    out.push_back(p.is_absolute() ? p.string() : (dir / p).string());
  }
  return out;
}

MapRef MapOf(const AtlasRef& a) {
  return MapRef{std::shared_ptr<TGeoMap>(a.atlas, a.atlas->GetMap()), "", false};
}

}  // namespace

void BindAtlas(py::module_& m) {
  py::class_<AtlasRef> c(m, "Atlas", R"doc(A set of up to 200 calibrated maps, one of them shown.

Atlas(files=()) registers the calibration files given (the first calibration
of each). Maps are numbered from 0 in the order registered. The shown map
(atlas.map) draws the outlines of the other maps over its image.)doc");
  c.def(py::init([](py::iterable files) {
          AtlasRef a{std::make_shared<TGeoAtlas>()};
          for (py::handle f : files) Register(a, f);
          return a;
        }),
        py::arg("files") = py::tuple());
  c.def_static(
      "open",
      [](py::handle path) {
        AtlasRef a{std::make_shared<TGeoAtlas>()};
        for (const std::string& f : DefinitionFiles(FromPath(path))) Register(a, py::str(f));
        return a;
      },
      py::arg("path"),
      "The atlas of a definition file: a first line \"# tkz atlas\", then one calibration file "
      "a line, relative to the definition's folder (blank and \"#\" lines skipped).");
  c.def("register", &Register, py::arg("path"),
        "Adds the first calibration of a file (replacing a map of the same file); returns its "
        "index. tkz.MapError when the file holds none or 200 maps are registered.");
  c.def(
      "unregister", [](AtlasRef& a, py::ssize_t i) { a.atlas->UnregisterMap(a.Number(i)); },
      py::arg("index"), "Removes a map; the maps after it move up by one.");
  c.def("__len__", [](const AtlasRef& a) { return a.atlas->GetNumMaps(); });
  c.def(
      "__getitem__",
      [](const AtlasRef& a, py::ssize_t i) { return Info(a.atlas->GetMapDef(a.Number(i))); },
      py::arg("index"), "The MapInfo of a map.");
  c.def_property_readonly(
      "maps",
      [](const AtlasRef& a) {
        py::list out;
        for (int i = 1; i <= a.atlas->GetNumMaps(); ++i) out.append(Info(a.atlas->GetMapDef(i)));
        return out;
      },
      "The MapInfo of every map.");
  c.def(
      "maps_at",
      [](const AtlasRef& a, double lat, double lon) {
        std::vector<std::pair<double, int>> hits;
        for (int i = 1; i <= a.atlas->GetNumMaps(); ++i) {
          const TMapDefinition d = a.atlas->GetMapDef(i);
          if (PositionInMap(lat, lon, d.Corners)) hits.emplace_back(d.Resolution, i - 1);
        }
        std::stable_sort(hits.begin(), hits.end(),
                         [](const auto& p, const auto& q) { return p.first < q.first; });
        std::vector<int> out;
        for (const auto& h : hits) out.push_back(h.second);
        return out;
      },
      py::arg("lat"), py::arg("lon"),
      "Indexes of the maps whose corners enclose a position (degrees), the most detailed "
      "(fewest metres per pixel) first.");
  c.def(
      "select",
      [](AtlasRef& a, py::ssize_t i) {
        if (!a.atlas->SelectMap(a.Number(i)))
          MapError("cannot read the calibration of \"" +
                   a.atlas->GetMapDef(a.Number(i)).CalFileName + "\"");
        return MapOf(a);
      },
      py::arg("index"), "Shows a map; returns the atlas's Map.");
  c.def_property_readonly(
      "selected",
      [](const AtlasRef& a) -> py::object {
        const int n = a.atlas->GetSelectedMap();
        if (n < 1) return py::none();
        return py::int_(n - 1);
      },
      "Index of the map shown, or None.");
  c.def_property_readonly(
      "map", &MapOf,
      "The Map that shows the selected map (with the outlines of the others when drawn).");
  const auto zoom = [](AtlasRef& a, double lat, double lon, bool in) {
    const int sel = a.atlas->GetSelectedMap();
    const double res = sel >= 1 ? a.atlas->GetMap()->GetCalibData().Resolution : in ? 1e300 : 0;
    return in ? a.atlas->ZoomIn(lat, lon, res) : a.atlas->ZoomOut(lat, lon, res);
  };
  c.def(
      "zoom_in", [zoom](AtlasRef& a, double lat, double lon) { return zoom(a, lat, lon, true); },
      py::arg("lat"), py::arg("lon"),
      "Shows the next more detailed map (at least min_resolution_step percent finer) that "
      "covers the position and centres it; False when there is none.");
  c.def(
      "zoom_out", [zoom](AtlasRef& a, double lat, double lon) { return zoom(a, lat, lon, false); },
      py::arg("lat"), py::arg("lon"),
      "Shows the next coarser map that covers the position and centres it; False when there "
      "is none.");
  c.def_property(
      "min_resolution_step", [](const AtlasRef& a) { return a.atlas->GetMinResDiff(); },
      [](AtlasRef& a, double p) { a.atlas->SetMinResDiff(p); },
      "How much finer (percent of the resolution) a map must be for zoom_in.");
  c.def_property(
      "outlines", [](const AtlasRef& a) { return a.atlas->GetMapOutlineVisible(); },
      [](AtlasRef& a, bool b) { a.atlas->SetMapOLVisible(b); },
      "Whether the outlines of the other maps are drawn.");
  c.def_property(
      "outline_color", [](const AtlasRef& a) { return WebColor(a.atlas->GetMapOutlineColor()); },
      [](AtlasRef& a, py::handle v) { a.atlas->SetMapOLColor(ColorFrom(v)); },
      "Colour of the outlines, \"#RRGGBB\".");
}

}  // namespace tkz::python::maps
