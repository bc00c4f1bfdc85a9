// Georeferences of calibrated maps: coordinate systems, world files and
// .prj files, and the way between a GeoReference and a TGeoMap calibration.
// GeoTIFF files are gisfiles_tiff.cpp.
//
// World files (ESRI): six lines A, D, B, E, C, F with
//   X = A * column + B * row + C,  Y = D * column + E * row + F
// for the centre of the pixel in (column, row), counted from 0: C and F name
// the centre of the top-left pixel, half a pixel in from our corner origin.
//
// .prj files hold well-known text (WKT version 1, OGC or ESRI flavour). We
// write OGC WKT with EPSG authority codes where the system has one, which
// GDAL and QGIS recognise; we read both flavours through a small parser of
// the bracketed syntax, and accept the two kinds of system we can calibrate.
#include "geo/gisfiles.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <limits>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/platform/imagefile.h"
#include "core/settings/xmlsettings.h"
#include "core/text/charcase.h"
#include "geo/gisfiles_internal.h"

namespace tkz {

namespace {

using gisfiles_internal::NumberText;

constexpr double kUtmScale = 0.9996;
constexpr double kUtmFalseEasting = 500000;
constexpr double kUtmFalseNorthingSouth = 10000000;
constexpr size_t kMaxSideFileBytes = 1 << 20;  // world, .prj and .aux.xml files are small

[[noreturn]] void Fail(const std::string& what) { throw ETKZGeoMapError(what); }

std::string Quoted(const std::string& s) { return "\"" + s + "\""; }

bool ParseDouble(std::string_view s, double& v) {
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) s.remove_prefix(1);
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.remove_suffix(1);
  if (!s.empty() && s.front() == '+') s.remove_prefix(1);
  if (s.empty()) return false;
  const auto r = std::from_chars(s.data(), s.data() + s.size(), v);
  return r.ec == std::errc() && r.ptr == s.data() + s.size() && std::isfinite(v);
}

// Reads a small side file whole; false when it does not exist.
bool ReadSideFile(const std::filesystem::path& p, std::string& text) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(p, ec)) return false;
  const auto size = std::filesystem::file_size(p, ec);
  if (ec) Fail("cannot read " + Quoted(p.string()) + ": " + ec.message());
  if (size > kMaxSideFileBytes)
    Fail(Quoted(p.string()) + ": " + std::to_string(size) + " bytes is too long for its kind");
  std::ifstream in(p, std::ios::binary);
  text.assign(static_cast<size_t>(size), '\0');
  if (!in.read(text.data(), static_cast<std::streamsize>(size)))
    Fail("cannot read " + Quoted(p.string()));
  return true;
}

// The first of the candidate names that exists beside the image (the
// extension also in upper case).
bool FindBeside(const std::filesystem::path& image, const std::vector<std::string>& exts,
                std::filesystem::path& found) {
  std::error_code ec;
  for (const std::string& e : exts) {
    for (const std::string& x : {e, AsciiUpperCase(e)}) {
      std::filesystem::path p = image;
      p.replace_extension(x);
      if (std::filesystem::is_regular_file(p, ec)) {
        found = p;
        return true;
      }
    }
  }
  return false;
}

// ----------------------------------------------------------------- WKT
// A node of well-known text: KEYWORD[value, value, ...], each value a quoted
// text, a number, a bare word (AXIS directions) or a node.
struct WktNode {
  std::string Keyword;
  std::vector<std::string> Texts;  // quoted texts and bare words, in order
  std::vector<double> Numbers;     // numbers, in order
  std::vector<WktNode> Children;
  const WktNode* Child(std::string_view key) const {
    for (const WktNode& c : Children)
      if (AsciiLowerCase(c.Keyword) == key) return &c;
    return nullptr;
  }
};

class WktParser {
 public:
  WktParser(std::string_view text, const std::string& file) : s_(text), file_(file) {}
  WktNode Parse() {
    WktNode root = Node(0);
    Skip();
    if (pos_ != s_.size()) Error("text after the end");
    return root;
  }

 private:
  static constexpr int kMaxDepth = 16;
  static constexpr size_t kMaxValues = 256;
  [[noreturn]] void Error(const std::string& what) const {
    Fail(file_ + ": not well-known text (" + what + " at character " + std::to_string(pos_ + 1) +
         ")");
  }
  void Skip() {
    while (pos_ < s_.size() && std::isspace(static_cast<unsigned char>(s_[pos_]))) ++pos_;
  }
  std::string Word() {
    Skip();
    const size_t start = pos_;
    while (pos_ < s_.size() &&
           (std::isalnum(static_cast<unsigned char>(s_[pos_])) || s_[pos_] == '_' ||
            s_[pos_] == '.' || s_[pos_] == '-' || s_[pos_] == '+'))
      ++pos_;
    return std::string(s_.substr(start, pos_ - start));
  }
  WktNode Node(int depth) {
    if (depth > kMaxDepth) Error("nested too deeply");
    WktNode n;
    n.Keyword = Word();
    if (n.Keyword.empty() || !std::isalpha(static_cast<unsigned char>(n.Keyword[0])))
      Error("a keyword expected");
    Skip();
    if (pos_ >= s_.size() || (s_[pos_] != '[' && s_[pos_] != '(')) Error("\"[\" expected");
    const char close = s_[pos_] == '[' ? ']' : ')';
    ++pos_;
    for (size_t values = 0;; ++values) {
      if (values > kMaxValues) Error("too many values");
      Skip();
      if (pos_ >= s_.size()) Error("unexpected end");
      const char c = s_[pos_];
      if (c == '"') {
        const size_t end = s_.find('"', pos_ + 1);
        if (end == std::string_view::npos) Error("unterminated text");
        n.Texts.emplace_back(s_.substr(pos_ + 1, end - pos_ - 1));
        pos_ = end + 1;
      } else if (std::isdigit(static_cast<unsigned char>(c)) || c == '-' || c == '+' || c == '.') {
        const std::string w = Word();
        double v;
        if (!ParseDouble(w, v)) Error("bad number \"" + w + "\"");
        n.Numbers.push_back(v);
      } else {
        const size_t save = pos_;
        const std::string w = Word();
        Skip();
        if (pos_ < s_.size() && (s_[pos_] == '[' || s_[pos_] == '(')) {
          pos_ = save;
          n.Children.push_back(Node(depth + 1));
        } else if (!w.empty()) {
          n.Texts.push_back(w);
        } else {
          Error("unexpected character");
        }
      }
      Skip();
      if (pos_ >= s_.size()) Error("unexpected end");
      if (s_[pos_] == ',') {
        ++pos_;
        continue;
      }
      if (s_[pos_] != close) Error("\",\" or \"" + std::string(1, close) + "\" expected");
      ++pos_;
      return n;
    }
  }
  std::string_view s_;
  std::string file_;
  size_t pos_ = 0;
};

// "Central_Meridian", "central meridian" and "central_meridian" alike.
std::string ParameterKey(const std::string& name) {
  std::string k;
  for (char c : name) k += c == ' ' ? '_' : AsciiLowerChar(c);
  return k;
}

// The ellipsoid of a GEOGCS node.
TGeoEllipsoid WktEllipsoid(const WktNode& geogcs, const std::string& file) {
  const WktNode* datum = geogcs.Child("datum");
  const WktNode* sph = datum ? datum->Child("spheroid") : nullptr;
  if (sph == nullptr) sph = datum ? datum->Child("ellipsoid") : nullptr;
  if (sph == nullptr || sph->Numbers.size() < 2) Fail(file + ": no ellipsoid in the GEOGCS");
  const double a = sph->Numbers[0], rf = sph->Numbers[1];
  if (!(a > 0) || rf < 0)
    Fail(file + ": bad ellipsoid axis " + NumberText(a) + " or 1/f " + NumberText(rf));
  const double b = rf == 0 ? a : a * (1 - 1 / rf);
  TGeoEllipsoid e = gelWGS84;
  if (!gisfiles_internal::EllipsoidByAxes(a, b, sph->Texts.empty() ? "" : sph->Texts[0], e))
    Fail(file + ": unknown ellipsoid (a = " + NumberText(a) + " m, 1/f = " + NumberText(rf) + ")");
  if (const WktNode* unit = geogcs.Child("unit");
      unit != nullptr && !unit->Numbers.empty() &&
      std::fabs(unit->Numbers[0] - 0.0174532925199433) > 1e-12)
    Fail(file + ": angles in a unit other than degrees (" + NumberText(unit->Numbers[0]) + " rad)");
  return e;
}

// The GEOGCS of an ellipsoid; alone it names its axes (latitude first, as
// EPSG has it), inside a PROJCS not, as GDAL writes it.
void AppendGeogcsWkt(std::string& w, TGeoEllipsoid e, bool axes) {
  const char* const kAxes = ",AXIS[\"Latitude\",NORTH],AXIS[\"Longitude\",EAST]";
  if (e == gelWGS84) {
    w += "GEOGCS[\"WGS 84\",DATUM[\"WGS_1984\",SPHEROID[\"WGS 84\",6378137,298.257223563,"
         "AUTHORITY[\"EPSG\",\"7030\"]],AUTHORITY[\"EPSG\",\"6326\"]],"
         "PRIMEM[\"Greenwich\",0,AUTHORITY[\"EPSG\",\"8901\"]],"
         "UNIT[\"degree\",0.0174532925199433,AUTHORITY[\"EPSG\",\"9122\"]]";
    if (axes) w += kAxes;
    w += ",AUTHORITY[\"EPSG\",\"4326\"]]";
    return;
  }
  const std::string name = GeoEllipsoidName[e];
  w += "GEOGCS[\"" + name + "\",DATUM[\"" + name + " based\",SPHEROID[\"" + name + "\"," +
       NumberText(GeoEllipsoidData[e].a) + "," + NumberText(RecipFlattening(e)) +
       "]],PRIMEM[\"Greenwich\",0],UNIT[\"degree\",0.0174532925199433]";
  if (axes) w += kAxes;
  w += "]";
}

// GDAL's sidecar (IMAGE.aux.xml) with the coordinate system set: GDAL-based
// programs take the system from there, not from the .prj. Other elements of
// an existing file are kept.
std::string AuxXmlWithSrs(const std::string& existing, const GisCrs& crs, const std::string& file) {
  const std::string srs = std::string("<SRS dataAxisToSRSAxisMapping=\"") +
                          (crs.Utm ? "1,2" : "2,1") + "\">" + EscapeXMLText(PrjText(crs)) +
                          "</SRS>";
  if (existing.empty()) return "<PAMDataset>\n  " + srs + "\n</PAMDataset>\n";
  std::string out = existing;
  const size_t open = out.find("<SRS");
  if (open != std::string::npos) {
    const size_t close = out.find("</SRS>", open);
    if (close == std::string::npos) Fail(file + ": an SRS element without its end");
    return out.replace(open, close + 6 - open, srs);
  }
  const size_t root = out.find("<PAMDataset>");
  if (root == std::string::npos) Fail(file + ": not a GDAL auxiliary file, left as it is");
  return out.insert(root + 12, "\n  " + srs);
}

}  // namespace

bool gisfiles_internal::EllipsoidByAxes(double a, double b, const std::string& Name,
                                        TGeoEllipsoid& Found) {
  int best = -1;
  double bestDiff = kAxisTolerance;
  bool bestNamed = false;
  for (int e = 0; e < kGeoEllipsoidCount; ++e) {
    const double diff =
        std::max(std::fabs(GeoEllipsoidData[e].a - a), std::fabs(GeoEllipsoidData[e].b - b));
    if (!(diff <= kAxisTolerance)) continue;
    const bool named = !Name.empty() && Name == GeoEllipsoidName[e];
    if (best < 0 || (named && !bestNamed) || (named == bestNamed && diff < bestDiff))
      best = e, bestDiff = diff, bestNamed = named;
  }
  if (best < 0) return false;
  Found = static_cast<TGeoEllipsoid>(best);
  return true;
}

// ----------------------------------------------------------------- CRS

int GisCrs::Epsg() const {
  if (!Utm) return Ellipsoid == gelWGS84 ? 4326 : 0;
  if (Ellipsoid != gelWGS84 || Zone < 1 || Zone > 60) return 0;
  return (South ? 32700 : 32600) + Zone;
}

std::string GisCrs::Name() const {
  const std::string zone = "UTM zone " + std::to_string(Zone) + (South ? "S" : "N");
  if (Ellipsoid == gelWGS84) return Utm ? "WGS 84 / " + zone : "WGS 84";
  const std::string on = Ellipsoid < kGeoEllipsoidCount ? GeoEllipsoidName[Ellipsoid] : "?";
  return Utm ? zone + " on " + on : std::string("latitude and longitude on ") + on;
}

std::string PrjText(const GisCrs& Crs) {
  if (Crs.Ellipsoid >= kGeoEllipsoidCount)
    Fail("invalid ellipsoid " + std::to_string(static_cast<int>(Crs.Ellipsoid)));
  std::string w;
  if (!Crs.Utm) {
    AppendGeogcsWkt(w, Crs.Ellipsoid, true);
    return w;
  }
  if (Crs.Zone < 1 || Crs.Zone > 60) Fail("invalid UTM zone " + std::to_string(Crs.Zone));
  w = "PROJCS[\"" + Crs.Name() + "\",";
  AppendGeogcsWkt(w, Crs.Ellipsoid, false);
  w += ",PROJECTION[\"Transverse_Mercator\"],PARAMETER[\"latitude_of_origin\",0],"
       "PARAMETER[\"central_meridian\"," +
       std::to_string(6 * Crs.Zone - 183) + "],PARAMETER[\"scale_factor\",0.9996]," +
       "PARAMETER[\"false_easting\",500000],PARAMETER[\"false_northing\"," +
       (Crs.South ? "10000000" : "0") +
       "],UNIT[\"metre\",1,AUTHORITY[\"EPSG\",\"9001\"]],AXIS[\"Easting\",EAST],"
       "AXIS[\"Northing\",NORTH]";
  if (const int epsg = Crs.Epsg(); epsg != 0)
    w += ",AUTHORITY[\"EPSG\",\"" + std::to_string(epsg) + "\"]";
  return w + "]";
}

GisCrs ParsePrj(const std::string& Text, const std::string& FileName) {
  const WktNode root = WktParser(Text, FileName).Parse();
  const std::string kind = AsciiLowerCase(root.Keyword);
  GisCrs crs;
  if (kind == "geogcs") {
    crs.Ellipsoid = WktEllipsoid(root, FileName);
    return crs;
  }
  if (kind != "projcs")
    Fail(FileName + ": unsupported coordinate system \"" + root.Keyword +
         "\" (latitude and longitude, or UTM, in WKT version 1)");
  const std::string name = root.Texts.empty() ? "" : root.Texts[0];
  const WktNode* geogcs = root.Child("geogcs");
  if (geogcs == nullptr) Fail(FileName + ": PROJCS without GEOGCS");
  const WktNode* proj = root.Child("projection");
  const std::string method = proj && !proj->Texts.empty() ? ParameterKey(proj->Texts[0]) : "";
  if (method != "transverse_mercator")
    Fail(FileName + ": unsupported projection \"" +
         (proj && !proj->Texts.empty() ? proj->Texts[0] : "") + "\" of \"" + name +
         "\" (only UTM zones)");
  double lat0 = 0, lon0 = std::numeric_limits<double>::quiet_NaN(), k = 1, fe = 0, fn = 0;
  for (const WktNode& c : root.Children) {
    if (AsciiLowerCase(c.Keyword) != "parameter" || c.Texts.empty() || c.Numbers.empty()) continue;
    const std::string key = ParameterKey(c.Texts[0]);
    const double v = c.Numbers[0];
    if (key == "latitude_of_origin")
      lat0 = v;
    else if (key == "central_meridian" || key == "longitude_of_center")
      lon0 = v;
    else if (key == "scale_factor")
      k = v;
    else if (key == "false_easting")
      fe = v;
    else if (key == "false_northing")
      fn = v;
  }
  if (const WktNode* unit = root.Child("unit");
      unit != nullptr && !unit->Numbers.empty() && unit->Numbers[0] != 1)
    Fail(FileName + ": \"" + name + "\" is not in metres");
  const double zone = (lon0 + 183) / 6;
  const bool utm = lat0 == 0 && std::fabs(k - kUtmScale) < 1e-12 && fe == kUtmFalseEasting &&
                   (fn == 0 || fn == kUtmFalseNorthingSouth) && zone == std::round(zone) &&
                   zone >= 1 && zone <= 60;
  if (!utm)
    Fail(FileName + ": \"" + name +
         "\" is a Transverse Mercator other than a UTM zone "
         "(central meridian " +
         NumberText(lon0) + ", scale " + NumberText(k) + ", false easting " + NumberText(fe) +
         ", false northing " + NumberText(fn) + ")");
  crs.Utm = true;
  crs.Zone = static_cast<int>(zone);
  crs.South = fn == kUtmFalseNorthingSouth;
  crs.Ellipsoid = WktEllipsoid(*geogcs, FileName);
  return crs;
}

// ---------------------------------------------------------- world files

std::string WorldFileExtension(const std::string& ImageFileName) {
  const std::string ext = AsciiLowerCase(std::filesystem::path(ImageFileName).extension().string());
  if (ext == ".jpg" || ext == ".jpeg") return ".jgw";
  if (ext == ".png") return ".pgw";
  if (ext == ".bmp") return ".bfw";
  if (ext == ".tif" || ext == ".tiff") return ".tfw";
  return ".wld";
}

std::string WorldFileText(const GeoReference& Ref) {
  if (!Ref.HasTransform) Fail("a world file holds an affine mapping, and there is none");
  const auto& t = Ref.Transform;
  const double c = t[0] + 0.5 * t[1] + 0.5 * t[2];
  const double f = t[3] + 0.5 * t[4] + 0.5 * t[5];
  std::string out;
  char line[40];
  for (double v : {t[1], t[4], t[2], t[5], c, f}) {
    std::snprintf(line, sizeof line, "%.17g\n", v);
    out += line;
  }
  return out;
}

void ParseWorldFile(const std::string& Text, GeoReference& Ref, const std::string& FileName) {
  std::array<double, 6> v{};
  int got = 0, lineNo = 0;
  size_t pos = 0;
  while (pos < Text.size() && got < 6) {
    size_t end = Text.find('\n', pos);
    if (end == std::string::npos) end = Text.size();
    std::string_view line(Text.data() + pos, end - pos);
    pos = end + 1;
    ++lineNo;
    if (line.find_first_not_of(" \t\r") == std::string_view::npos) {
      if (got == 0) continue;  // blank lines before the numbers
      break;
    }
    if (!ParseDouble(line, v[static_cast<size_t>(got)])) {
      std::string shown(line.substr(0, 40));
      while (!shown.empty() && (shown.back() == '\r' || shown.back() == ' ')) shown.pop_back();
      Fail(FileName + ": line " + std::to_string(lineNo) + ": not a number: " + Quoted(shown));
    }
    ++got;
  }
  if (got < 6) Fail(FileName + ": " + std::to_string(got) + " of the 6 lines of a world file");
  const double a = v[0], d = v[1], b = v[2], e = v[3], c = v[4], f = v[5];
  const std::array<double, 6> t{c - 0.5 * a - 0.5 * b, a, b, f - 0.5 * d - 0.5 * e, d, e};
  if (!gisfiles_internal::MappingIsUsable(t))
    Fail(FileName + ": the mapping is singular (no area per pixel) or beyond any number");
  Ref.HasTransform = true;
  Ref.Transform = t;
}

void WriteWorldFile(const TGeoMap& Map, const std::string& ImageFileName) {
  const GeoReference ref = GeoReferenceOfMap(Map);
  if (!ref.HasTransform)
    Fail(std::string("the ") + CalibModelNames[Map.GetCalibModel()] +
         " model is not an affine mapping, which is all a world file can hold (write a GeoTIFF "
         "instead)");
  std::filesystem::path p(ImageFileName);
  const std::string world = WorldFileText(ref), prj = PrjText(ref.Crs) + "\n";
  p.replace_extension(WorldFileExtension(ImageFileName));
  WriteFileReplacing(p.string(), std::vector<uint8_t>(world.begin(), world.end()));
  p.replace_extension(".prj");
  WriteFileReplacing(p.string(), std::vector<uint8_t>(prj.begin(), prj.end()));
  const std::string auxName = ImageFileName + ".aux.xml";
  std::string aux;
  ReadSideFile(auxName, aux);
  aux = AuxXmlWithSrs(aux, ref.Crs, Quoted(auxName));
  WriteFileReplacing(auxName, std::vector<uint8_t>(aux.begin(), aux.end()));
}

GeoReference ReadWorldFile(const std::string& ImageFileName) {
  const std::filesystem::path image(ImageFileName);
  std::string ext = image.extension().string();
  std::filesystem::path world;
  std::vector<std::string> candidates{WorldFileExtension(ImageFileName), ".wld"};
  if (ext.size() > 1) candidates.push_back(AsciiLowerCase(ext) + "w");  // ".pngw", ".jpgw"
  if (!FindBeside(image, candidates, world))
    Fail("no world file beside " + Quoted(ImageFileName) + " (" +
         WorldFileExtension(ImageFileName) + ")");
  GeoReference ref;
  std::string text;
  ReadSideFile(world, text);
  ParseWorldFile(text, ref, Quoted(world.string()));
  std::filesystem::path prj;
  if (FindBeside(image, {".prj"}, prj)) {
    ReadSideFile(prj, text);
    ref.Crs = ParsePrj(text, Quoted(prj.string()));
  }
  TBitmap bmp;
  LoadBitmapFromFile(bmp, ImageFileName);
  ref.Width = bmp.GetWidth();
  ref.Height = bmp.GetHeight();
  if (prj.empty()) {
    // Without a .prj the numbers must at least be degrees.
    const auto& t = ref.Transform;
    for (double px : {0.0, double(ref.Width)})
      for (double py : {0.0, double(ref.Height)}) {
        const double x = t[0] + t[1] * px + t[2] * py, y = t[3] + t[4] * px + t[5] * py;
        if (std::fabs(y) > 90 || std::fabs(x) > 540)
          Fail("no .prj beside " + Quoted(ImageFileName) +
               ", and its world file's coordinates are not latitudes and longitudes");
      }
  }
  return ref;
}

// ----------------------------------------------- between maps and files

GeoReference GeoReferenceOfMap(const TGeoMap& Map) {
  GeoReference ref;
  ref.Width = Map.GetMapWidth();
  ref.Height = Map.GetMapHeight();
  if (ref.Width <= 0 || ref.Height <= 0) Fail("the map has no image, so no size to place");
  const TCalibData& cal = Map.GetCalibData();
  const TCalibModel model = Map.GetCalibModel();
  if (model == cmUndefined) Fail("the map has no calibration model");
  if (model == cmUTM) {
    if (cal.UTMZone < 1 || cal.UTMZone > 60)
      Fail("the UTM calibration has no zone (" + std::to_string(cal.UTMZone) + ")");
    ref.Crs.Utm = true;
    ref.Crs.Zone = cal.UTMZone;
    ref.Crs.South = cal.UTMSouth;
    ref.Crs.Ellipsoid = cal.Ellipsoid;
  }
  if (model == cmParabolicIp) {
    // Lines rather than points: the model's own positions on a grid.
    for (int j = 0; j <= 4; ++j)
      for (int i = 0; i <= 4; ++i) {
        const double px = ref.Width * i / 4.0, py = ref.Height * j / 4.0;
        bool vLat = false, vLon = false;
        const double lat = Map.CalcLatitude(px, py, vLat), lon = Map.CalcLongitude(px, py, vLon);
        if (vLat && vLon && std::isfinite(lat) && std::isfinite(lon))
          ref.Gcps.push_back({px, py, lon, lat});
      }
    if (ref.Gcps.size() < 3) Fail("the parabolicip calibration gives too few valid positions");
    return ref;
  }
  for (int i = 1; i <= cal.NumCalQuads; ++i) {
    const TCalQuad& q = cal.CalQuads[i];
    ref.Gcps.push_back({double(q.X), double(q.Y), q.Long, q.Lat});  // easting, northing for UTM
  }
  if (model == cmEquiRect || model == cmUTM) {
    std::array<double, 3> first{}, second{};
    if (!Map.GetAffineMapping(first, second))
      Fail(std::string("the ") + CalibModelNames[model] + " calibration has no fit");
    ref.HasTransform = true;
    ref.Transform = {second[0], second[1], second[2], first[0], first[1], first[2]};
    // Cross terms left by rounding in the fit of a north-up map are dropped,
    // so that the map is written as north-up (pixel scale and tie point).
    auto& t = ref.Transform;
    if (std::fabs(t[2]) <= 1e-12 * std::fabs(t[1])) t[2] = 0;
    if (std::fabs(t[4]) <= 1e-12 * std::fabs(t[5])) t[4] = 0;
  } else if (ref.Gcps.size() < 3) {
    Fail(std::string("the ") + CalibModelNames[model] + " calibration has " +
         std::to_string(ref.Gcps.size()) + " points, fewer than the 3 a placement needs");
  }
  return ref;
}

namespace {

// Root mean square distance, in pixels, between the calibration points and
// where the map's model puts their coordinates; infinite when a point has
// no position.
double PointRms(const TGeoMap& map) {
  const TCalibData& cal = map.GetCalibData();
  double sum = 0;
  for (int i = 1; i <= cal.NumCalQuads; ++i) {
    const TCalQuad& q = cal.CalQuads[i];
    int x = 0, y = 0;
    if (!map.CalcPixelCoords(q.Lat, q.Long, x, y)) return std::numeric_limits<double>::infinity();
    sum += double(x - q.X) * (x - q.X) + double(y - q.Y) * (y - q.Y);
  }
  return std::sqrt(sum / std::max(cal.NumCalQuads, 1));
}

int RoundedPixel(double v, const char* what) {
  if (!std::isfinite(v) || std::fabs(v) > 1e9)
    Fail(std::string("ground control point with a bad ") + what + " " + NumberText(v));
  return static_cast<int>(std::lround(v));
}

}  // namespace

TCalibModel CalibrateFromReference(TGeoMap& Map, const GeoReference& Ref) {
  const int w = Map.GetMapWidth() > 0 ? Map.GetMapWidth() : Ref.Width;
  const int h = Map.GetMapWidth() > 0 ? Map.GetMapHeight() : Ref.Height;
  if (Ref.Crs.Utm && (Ref.Crs.Zone < 1 || Ref.Crs.Zone > 60))
    Fail("invalid UTM zone " + std::to_string(Ref.Crs.Zone));
  // The points, all checked before the map is touched.
  struct Point {
    double X, Y;  // longitude or easting, latitude or northing
    int Px, Py;
  };
  std::vector<Point> points;
  const auto check = [&](double x, double y) {
    if (!std::isfinite(x) || !std::isfinite(y))
      Fail("a position that is not a number (" + NumberText(x) + ", " + NumberText(y) + ")");
    if (Ref.Crs.Utm && (std::fabs(x) > 1e8 || std::fabs(y) > 1e8))
      Fail("easting or northing beyond any UTM zone (" + NumberText(x) + ", " + NumberText(y) +
           ")");
    if (!Ref.Crs.Utm && std::fabs(y) > 90) Fail("latitude " + NumberText(y) + " beyond the poles");
    if (!Ref.Crs.Utm && std::fabs(x) > 540)
      Fail("longitude " + NumberText(x) + " more than once around the Earth");
  };
  if (Ref.HasTransform) {
    if (w <= 0 || h <= 0) Fail("no image size to place the calibration points on");
    const auto& t = Ref.Transform;
    // A map of the world may have margins beyond the poles: the grid then
    // draws in towards the middle until its points are on the Earth.
    for (int inset = 0; inset < 4 && points.empty(); ++inset) {
      const int xs[3] = {w * inset / 8, w / 2, w - w * inset / 8};
      const int ys[3] = {h * inset / 8, h / 2, h - h * inset / 8};
      for (int py : ys)
        for (int px : xs)
          points.push_back({t[0] + t[1] * px + t[2] * py, t[3] + t[4] * px + t[5] * py, px, py});
      const bool onEarth = std::all_of(points.begin(), points.end(), [&](const Point& p) {
        return Ref.Crs.Utm || std::fabs(p.Y) <= 90;
      });
      if (!onEarth && inset < 3) points.clear();
    }
  } else {
    if (Ref.Gcps.empty()) Fail("neither an affine mapping nor ground control points");
    if (Ref.Gcps.size() > static_cast<size_t>(kMaxCalQuads))
      Fail(std::to_string(Ref.Gcps.size()) + " ground control points, more than the " +
           std::to_string(kMaxCalQuads) + " a calibration holds");
    if (!Ref.Crs.Utm && Ref.Gcps.size() < 3)
      Fail(std::to_string(Ref.Gcps.size()) +
           " ground control points, fewer than the 3 a calibration needs");
    for (const GroundControlPoint& g : Ref.Gcps)
      points.push_back({g.X, g.Y, RoundedPixel(g.Pixel, "pixel"), RoundedPixel(g.Line, "line")});
  }
  for (const Point& p : points) check(p.X, p.Y);

  if (Map.GetMapWidth() <= 0 && w > 0 && h > 0) Map.SetMapImageSize(w, h);
  Map.ClearCalibData();
  const THemisphere hemi = Ref.Crs.South ? hemiSouth : hemiNorth;
  if (Ref.Crs.Utm) {
    Map.SetCalibModel(cmUTM);
    Map.SetUTMZone(Ref.Crs.Zone);
    Map.SetUTMHemisphere(hemi);
    Map.SetEllipsoid(Ref.Crs.Ellipsoid);
  } else {
    Map.SetCalibModel(cmEquiRect);
  }
  for (const Point& p : points) {
    if (Ref.Crs.Utm)
      Map.AddCalibPoint(p.Y, p.X, Ref.Crs.Zone, hemi, p.Px, p.Py);
    else
      Map.AddCalibPoint(p.Y, p.X, p.Px, p.Py);
  }
  if (Ref.HasTransform) return Map.GetCalibModel();
  if (Ref.Crs.Utm) return cmUTM;
  // Candidates by their unknowns per axis, fewest first; each needs more
  // points than unknowns, except the affine one, which takes 3.
  struct Candidate {
    TCalibModel Model;
    int Unknowns;
  };
  static constexpr Candidate kCandidates[] = {
      {cmMillerCylindrical, 2}, {cmEquiRect, 3}, {cmConicConformal, 4}, {cmBiquadraticPn, 6}};
  const int n = static_cast<int>(Ref.Gcps.size());
  TCalibModel best = cmEquiRect;
  double bestRms = std::numeric_limits<double>::infinity();
  for (const Candidate& c : kCandidates) {
    if (n <= c.Unknowns && c.Model != cmEquiRect) continue;
    Map.SetCalibModel(c.Model);
    const double rms = PointRms(Map);
    // Rounded pixels leave about 0.4 px of noise: more unknowns must do
    // better than fewer by a tenth of a pixel.
    if (std::isfinite(rms) && rms < bestRms - 0.1) {
      best = c.Model;
      bestRms = rms;
    }
  }
  Map.SetCalibModel(best);
  return best;
}

}  // namespace tkz
