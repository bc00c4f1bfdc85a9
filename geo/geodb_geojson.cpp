// geodb_geojson: GeoJSON and TopoJSON import, GeoJSON export (see the
// header for the rules). GeoJSON as RFC 7946 defines it; TopoJSON 1.0 with
// its arcs, quantisation transform and delta coding.
//
// Layout: a Reader turns geometries into pending items feature by feature
// (skipping a feature as a whole when any part of it cannot be stored);
// the GeoJSON and TopoJSON front ends feed it; Store adds the pending items
// to the database once the whole text has been read; the exporter writes
// the items back.
#include "geo/geodb_geojson.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <nlohmann/json.hpp>
#include <optional>

#include "core/platform/codepage.h"
#include "core/platform/stream.h"
#include "core/text/charcase.h"
#include "geo/geodb_internal.h"

namespace tkz {

int TgdbImportResult::TotalAdded() const {
  int n = 0;
  for (int a : Added) n += a;
  return n;
}

namespace {

using json = nlohmann::json;
using geodb_internal::NowDateTime;
using geodb_internal::Percent;

// A feature that cannot be stored; the text says why.
struct SkipFeature {
  std::string Why;
};

std::string Num(double v) {
  char buf[64];
  auto r = std::to_chars(buf, buf + sizeof buf, v);
  return std::string(buf, r.ptr);
}

// The shortest decimal that reads back as v.
void AppendFloat(std::string& out, float v) {
  char buf[32];
  auto r = std::to_chars(buf, buf + sizeof buf, v);
  out.append(buf, r.ptr);
}

TSCoords CheckedPosition(double lon, double lat) {
  if (!(lat >= -90 && lat <= 90)) throw SkipFeature{"latitude " + Num(lat) + " out of range"};
  if (!(lon >= -180 && lon <= 180)) throw SkipFeature{"longitude " + Num(lon) + " out of range"};
  return {static_cast<float>(lat), static_cast<float>(lon)};
}

// Twice the signed area of a ring in the (long, lat) plane: positive when
// counter-clockwise.
double SignedArea2(const TgdbPolygon& ring) {
  double a = 0;
  for (size_t i = 0, n = ring.size(); i < n; ++i) {
    const TSCoords& p = ring[i];
    const TSCoords& q = ring[(i + 1) % n];
    a += static_cast<double>(p.Long) * q.Lat - static_cast<double>(q.Long) * p.Lat;
  }
  return a;
}

// The kind a feature's "kind" property names, gitUndefined when none.
TgdbItem KindNamed(const std::string& kind) {
  const std::string k = AnsiUpperCase(kind);
  for (int i = 0; i < gitUndefined; ++i)
    if (k == AnsiUpperCase(GDB_ITEMNAMES[i])) return static_cast<TgdbItem>(i);
  return gitUndefined;
}

bool StoredClosed(TgdbItem kind, bool closed) {
  return kind == gitLake || ((kind == gitBorder || kind == gitCity) && closed);
}

struct Pending {
  TgdbItem Kind = gitTown;
  TgdbPolygon Poly;  // the town's location as its single vertex
  bool Closed = false;
};

struct PendingFeature {
  std::string Name;
  int32_t Population = 0;
  std::vector<Pending> Items;
};

// Turns features into pending items and keeps the tally.
class Reader {
 public:
  Reader(const char* op, const TgdbImportOptions& o, TgdbImportResult& r)
      : op_(op), opt_(o), res_(r) {}

  // Starts a feature with these properties (null or an object).
  void Begin(const json* props) {
    cur_ = PendingFeature{};
    holes_ = 0;
    slivers_ = 0;
    kind_ = gitUndefined;
    name_.clear();
    if (props && props->is_object()) {
      if (auto it = props->find("name"); it != props->end() && it->is_string())
        name_ = it->get<std::string>();
      if (auto it = props->find("kind"); it != props->end() && it->is_string())
        kind_ = KindNamed(it->get<std::string>());
      if (auto it = props->find("population"); it != props->end() && it->is_number()) {
        const double p = it->get<double>();
        cur_.Population = p > 0 ? static_cast<int32_t>(std::min(p, 2147483647.0)) : 0;
      }
    }
  }
  void Point(const TSCoords& p) { cur_.Items.push_back({gitTown, {p}, false}); }
  void Line(TgdbPolygon line) {
    if (line.size() < 2) throw SkipFeature{"a line of fewer than 2 positions"};
    const bool line_kind = kind_ != gitUndefined && kind_ != gitTown && kind_ != gitBLOB;
    Add(line_kind ? kind_ : gitRoute, std::move(line), false);
  }
  // Rings: the outer ring first. A polygon whose outer ring has fewer than
  // 4 positions (a sliver that quantised data leave behind) is dropped.
  void Polygon(std::vector<TgdbPolygon> rings) {
    if (rings.empty()) throw SkipFeature{"a polygon without rings"};
    if (rings[0].size() < 4) {
      ++slivers_;
      return;
    }
    const bool poly_kind = kind_ != gitUndefined && kind_ != gitTown && kind_ != gitBLOB;
    holes_ += static_cast<int>(rings.size()) - 1;
    Add(poly_kind ? kind_ : gitBorder, std::move(rings[0]), true);
  }

  // Ends the feature begun last: stores it, or skips it with the reason.
  void End(const std::optional<std::string>& skip) {
    const int index = res_.Features++;
    std::string why = skip                  ? *skip
                      : !cur_.Items.empty() ? ""
                      : slivers_ > 0        ? "a ring of fewer than 4 positions"
                                            : "no positions";
    if (!why.empty()) {
      const std::string text = "feature " + std::to_string(index) + ": " + why;
      if (opt_.Strict) throw ETKZGeoDBError(std::string(op_) + ": " + text + ".");
      ++res_.Skipped;
      if (res_.Reasons.size() < kGeoJSONMaxReasons) res_.Reasons.push_back(text);
      return;
    }
    // The name in the database's code page: a character it lacks comes out
    // differently under two replacement characters.
    const std::string a = Utf8ToAnsi(name_, '?');
    const std::string b = Utf8ToAnsi(name_, '*');
    for (size_t i = 0; i < std::min(a.size(), b.size()); ++i) res_.CharsReplaced += a[i] != b[i];
    cur_.Name = a;
    if (cur_.Name.size() > static_cast<size_t>(kGdbNameLen)) {
      cur_.Name.resize(kGdbNameLen);
      ++res_.NamesTruncated;
    }
    res_.HolesDropped += holes_;
    res_.PolygonsDropped += slivers_;
    pending_.push_back(std::move(cur_));
  }

  std::vector<PendingFeature>& Pendings() { return pending_; }
  const char* Op() const { return op_; }

 private:
  void Add(TgdbItem kind, TgdbPolygon poly, bool closed) {
    if (StoredClosed(kind, closed)) {
      // A closed item does not repeat its first vertex; its ring runs
      // counter-clockwise, as RFC 7946 wants outer rings.
      if (poly.size() > 1 && poly.front() == poly.back()) poly.pop_back();
      if (SignedArea2(poly) < 0) std::reverse(poly.begin() + 1, poly.end());
    }
    cur_.Items.push_back({kind, std::move(poly), closed});
  }

  const char* op_;
  const TgdbImportOptions& opt_;
  TgdbImportResult& res_;
  std::vector<PendingFeature> pending_;
  PendingFeature cur_;
  int holes_ = 0;
  int slivers_ = 0;
  TgdbItem kind_ = gitUndefined;
  std::string name_;
};

// Restores the database's LazyWrite setting and progress handler.
class ImportScope {
 public:
  explicit ImportScope(TGeoDB& db) : db_(db), lazy_(db.GetLazyWrite()) {
    handler_ = std::move(db.OnPercentDone);
    db.OnPercentDone = nullptr;
    db.SetLazyWrite(true);
  }
  ~ImportScope() {
    if (done_) return;
    db_.OnPercentDone = std::move(handler_);
    try {
      db_.SetLazyWrite(lazy_);
    } catch (...) {
      // Already unwinding; the indexes are rebuilt from the records when
      // they disagree at the next opening.
    }
  }
  void Report(int percent) {
    if (handler_ && percent != last_) handler_(&db_, percent);
    last_ = percent;
  }
  // Restores the settings, letting a failing index write through.
  void Finish() {
    done_ = true;
    db_.OnPercentDone = std::move(handler_);
    db_.SetLazyWrite(lazy_);
  }

 private:
  TGeoDB& db_;
  bool lazy_;
  TOnPercentDoneEvent handler_;
  int last_ = -1;
  bool done_ = false;
};

void Store(TGeoDB& db, std::vector<PendingFeature>& features, TgdbImportResult& res) {
  int64_t total = 0;
  for (const PendingFeature& f : features) total += static_cast<int64_t>(f.Items.size());
  ImportScope scope(db);
  scope.Report(0);
  const double now = NowDateTime();
  int64_t done = 0;
  for (PendingFeature& f : features) {
    for (const Pending& p : f.Items) {
      if (p.Kind == gitTown) {
        db.AddTown(f.Name, now, f.Population, p.Poly[0], 0, 0, 0);
      } else {
        db.AddData(f.Name, p.Poly, p.Closed, p.Kind, 0, now, 0, 0, 0, 0, 0, 0, 0, TMetaInfo{},
                   nullptr, 0, false);
      }
      ++res.Added[p.Kind];
      scope.Report(Percent(++done, total));
    }
    f.Items.clear();
    f.Items.shrink_to_fit();
  }
  scope.Report(100);
  scope.Finish();
}

// A parser callback that refuses nesting deeper than kGeoJSONMaxDepth.
void CheckDepth(const char* op, int depth, json::parse_event_t ev) {
  if ((ev == json::parse_event_t::object_start || ev == json::parse_event_t::array_start) &&
      depth >= kGeoJSONMaxDepth) {
    throw ETKZGeoDBError(std::string(op) + ": nesting deeper than " +
                         std::to_string(kGeoJSONMaxDepth) + " levels.");
  }
}

void RequireOpen(const TGeoDB& db, const char* op) {
  if (!db.IsOpen()) throw ETKZGeoDBError(std::string(op) + ": no database is open.");
}

// ================================================================ GeoJSON

TSCoords GeoPosition(const json& p) {
  if (!p.is_array() || p.size() < 2) throw SkipFeature{"a position is not an array of numbers"};
  if (!p[0].is_number() || !p[1].is_number()) throw SkipFeature{"a coordinate is not a number"};
  return CheckedPosition(p[0].get<double>(), p[1].get<double>());
}

TgdbPolygon GeoPositions(const json& a) {
  if (!a.is_array()) throw SkipFeature{"positions are not an array"};
  TgdbPolygon out;
  out.reserve(a.size());
  for (const json& p : a) out.push_back(GeoPosition(p));
  return out;
}

// The rings of a polygon, each made by Ring from its member of a.
template <class F>
std::vector<TgdbPolygon> Rings(const json& a, F Ring) {
  if (!a.is_array()) throw SkipFeature{"rings are not an array"};
  std::vector<TgdbPolygon> rings;
  for (const json& r : a) rings.push_back(Ring(r));
  return rings;
}

const json& Member(const json& obj, const char* key, const char* what) {
  auto it = obj.find(key);
  if (it == obj.end() || !it->is_array()) throw SkipFeature{std::string("no ") + what + " array"};
  return *it;
}

void GeoGeometry(Reader& rd, const json& g) {
  if (g.is_null()) throw SkipFeature{"no geometry"};
  if (!g.is_object()) throw SkipFeature{"the geometry is not an object"};
  auto t = g.find("type");
  if (t == g.end() || !t->is_string()) throw SkipFeature{"a geometry without type"};
  const std::string& type = t->get_ref<const std::string&>();
  if (type == "GeometryCollection") {
    for (const json& m : Member(g, "geometries", "geometries")) GeoGeometry(rd, m);
    return;
  }
  const auto cit = g.find("coordinates");
  if (cit == g.end()) throw SkipFeature{"a geometry without coordinates"};
  const json& c = *cit;
  if (type == "Point") {
    rd.Point(GeoPosition(c));
  } else if (type == "MultiPoint") {
    for (const TSCoords& p : GeoPositions(c)) rd.Point(p);
  } else if (type == "LineString") {
    rd.Line(GeoPositions(c));
  } else if (type == "MultiLineString") {
    if (!c.is_array()) throw SkipFeature{"lines are not an array"};
    for (const json& l : c) rd.Line(GeoPositions(l));
  } else if (type == "Polygon") {
    rd.Polygon(Rings(c, GeoPositions));
  } else if (type == "MultiPolygon") {
    if (!c.is_array()) throw SkipFeature{"polygons are not an array"};
    for (const json& p : c) rd.Polygon(Rings(p, GeoPositions));
  } else {
    throw SkipFeature{"unknown geometry type \"" + type.substr(0, 40) + "\""};
  }
}

// One feature: a Feature object, or a bare geometry with no properties.
void GeoFeature(Reader& rd, const json& f, bool bare) {
  const json* props = nullptr;
  const json* geom = &f;
  std::optional<std::string> skip;
  if (!bare) {
    if (!f.is_object()) {
      rd.Begin(nullptr);
      rd.End("not an object");
      return;
    }
    auto t = f.find("type");
    if (t == f.end() || *t != "Feature") {
      rd.Begin(nullptr);
      rd.End("not a Feature");
      return;
    }
    static const json kNull;
    auto p = f.find("properties");
    props = p != f.end() ? &*p : nullptr;
    auto g = f.find("geometry");
    geom = g != f.end() ? &*g : &kNull;
  }
  rd.Begin(props);
  try {
    GeoGeometry(rd, *geom);
  } catch (const SkipFeature& s) {
    skip = s.Why;
  }
  rd.End(skip);
}

bool IsGeometryType(const std::string& t) {
  static const char* const kTypes[] = {
      "Point",   "MultiPoint",   "LineString",        "MultiLineString",
      "Polygon", "MultiPolygon", "GeometryCollection"};
  return std::find(std::begin(kTypes), std::end(kTypes), t) != std::end(kTypes);
}

std::string TypeOf(const json& top) {
  if (!top.is_object()) return "";
  auto t = top.find("type");
  return t != top.end() && t->is_string() ? t->get<std::string>() : "";
}

// ================================================================ TopoJSON

class Topology {
 public:
  Topology(const json& top, Reader& rd, size_t budget) : rd_(rd), budget_(budget) {
    if (auto t = top.find("transform"); t != top.end() && t->is_object()) {
      const auto s = t->find("scale");
      const auto o = t->find("translate");
      if (s == t->end() || o == t->end() || !Pair(*s, scale_) || !Pair(*o, translate_))
        throw ETKZGeoDBError(std::string(rd.Op()) + ": a transform without scale and translate.");
      quantized_ = true;
    }
    if (auto a = top.find("arcs"); a != top.end() && a->is_array()) arcs_ = &*a;
    decoded_.resize(arcs_ ? arcs_->size() : 0);
  }

  // A geometry object of the topology as one feature, or (a collection at
  // the top of an object) one feature per member.
  void Object(const json& g) {
    if (g.is_object() && TypeOf(g) == "GeometryCollection") {
      if (auto m = g.find("geometries"); m != g.end() && m->is_array()) {
        for (const json& x : *m) Feature(x);
        return;
      }
    }
    Feature(g);
  }

 private:
  static bool Pair(const json& a, double (&out)[2]) {
    if (!a.is_array() || a.size() < 2 || !a[0].is_number() || !a[1].is_number()) return false;
    out[0] = a[0].get<double>();
    out[1] = a[1].get<double>();
    return std::isfinite(out[0]) && std::isfinite(out[1]);
  }

  void Feature(const json& g) {
    std::optional<std::string> skip;
    const json* props = nullptr;
    if (g.is_object())
      if (auto p = g.find("properties"); p != g.end()) props = &*p;
    rd_.Begin(props);
    try {
      Geometry(g);
    } catch (const SkipFeature& s) {
      skip = s.Why;
    }
    rd_.End(skip);
  }

  TSCoords Position(const json& p) const {
    if (!p.is_array() || p.size() < 2 || !p[0].is_number() || !p[1].is_number())
      throw SkipFeature{"a position is not an array of numbers"};
    double x = p[0].get<double>(), y = p[1].get<double>();
    if (quantized_) {
      x = x * scale_[0] + translate_[0];
      y = y * scale_[1] + translate_[1];
    }
    return CheckedPosition(x, y);
  }

  const TgdbPolygon& Arc(const json& ref, bool& reversed) {
    if (!ref.is_number_integer()) throw SkipFeature{"an arc index is not an integer"};
    if (ref.is_number_unsigned() && ref.get<uint64_t>() > INT64_MAX)
      throw SkipFeature{"arc " + ref.dump() + " does not exist"};
    int64_t k = ref.get<int64_t>();
    reversed = k < 0;
    if (reversed) k = ~k;
    if (!arcs_ || k >= static_cast<int64_t>(arcs_->size()))
      throw SkipFeature{"arc " + std::to_string(k) + " does not exist"};
    std::optional<TgdbPolygon>& d = decoded_[static_cast<size_t>(k)];
    if (!d) {
      const json& a = (*arcs_)[static_cast<size_t>(k)];
      if (!a.is_array()) throw SkipFeature{"arc " + std::to_string(k) + " is not an array"};
      TgdbPolygon out;
      double x = 0, y = 0;
      for (const json& p : a) {
        if (!p.is_array() || p.size() < 2 || !p[0].is_number() || !p[1].is_number())
          throw SkipFeature{"a position is not an array of numbers"};
        if (quantized_) {
          // Delta-coded integers: each position adds to the one before.
          x += p[0].get<double>();
          y += p[1].get<double>();
          out.push_back(
              CheckedPosition(x * scale_[0] + translate_[0], y * scale_[1] + translate_[1]));
        } else {
          out.push_back(CheckedPosition(p[0].get<double>(), p[1].get<double>()));
        }
      }
      d = std::move(out);
    }
    return *d;
  }

  // The positions of a line given as arc indexes.
  TgdbPolygon Line(const json& refs) {
    if (!refs.is_array()) throw SkipFeature{"arc indexes are not an array"};
    TgdbPolygon out;
    for (const json& ref : refs) {
      bool rev = false;
      const TgdbPolygon& arc = Arc(ref, rev);
      if (arc.size() > budget_) throw SkipFeature{"more positions than the text can describe"};
      budget_ -= arc.size();
      const size_t first = out.empty() ? 0 : 1;  // arcs share their end positions
      for (size_t i = first; i < arc.size(); ++i)
        out.push_back(rev ? arc[arc.size() - 1 - i] : arc[i]);
    }
    return out;
  }

  void Geometry(const json& g) {
    if (!g.is_object()) throw SkipFeature{"the geometry is not an object"};
    auto t = g.find("type");
    if (t == g.end() || t->is_null()) throw SkipFeature{"no geometry"};
    if (!t->is_string()) throw SkipFeature{"a geometry without type"};
    const std::string& type = t->get_ref<const std::string&>();
    auto lines = [this](const json& refs) { return Line(refs); };
    if (type == "GeometryCollection") {
      for (const json& m : Member(g, "geometries", "geometries")) Geometry(m);
    } else if (type == "Point") {
      auto c = g.find("coordinates");
      if (c == g.end()) throw SkipFeature{"a geometry without coordinates"};
      rd_.Point(Position(*c));
    } else if (type == "MultiPoint") {
      for (const json& p : Member(g, "coordinates", "coordinates")) rd_.Point(Position(p));
    } else if (type == "LineString") {
      rd_.Line(Line(Member(g, "arcs", "arcs")));
    } else if (type == "MultiLineString") {
      for (const json& l : Member(g, "arcs", "arcs")) rd_.Line(Line(l));
    } else if (type == "Polygon") {
      rd_.Polygon(Rings(Member(g, "arcs", "arcs"), lines));
    } else if (type == "MultiPolygon") {
      for (const json& p : Member(g, "arcs", "arcs")) rd_.Polygon(Rings(p, lines));
    } else {
      throw SkipFeature{"unknown geometry type \"" + type.substr(0, 40) + "\""};
    }
  }

  Reader& rd_;
  size_t budget_;
  bool quantized_ = false;
  double scale_[2] = {1, 1};
  double translate_[2] = {0, 0};
  const json* arcs_ = nullptr;
  std::vector<std::optional<TgdbPolygon>> decoded_;
};

// An import of the whole content of a file (a closed database is refused
// before the file is read).
TgdbImportResult ImportFile(TGeoDB& db, const std::string& FileName, const TgdbImportOptions& o,
                            const char* op,
                            TgdbImportResult (*Import)(TGeoDB&, std::string_view,
                                                       const TgdbImportOptions&)) {
  RequireOpen(db, op);
  TMemoryStream m;
  m.LoadFromFile(FileName);
  return Import(db, std::string_view(m.Memory(), static_cast<size_t>(m.GetSize())), o);
}

// ================================================================= export

void AppendPosition(std::string& out, const TSCoords& p) {
  out += '[';
  AppendFloat(out, p.Long);
  out += ',';
  AppendFloat(out, p.Lat);
  out += ']';
}

bool Finite(const TSCoords& p) { return std::isfinite(p.Lat) && std::isfinite(p.Long); }

std::string JsonString(const std::string& ansi) {
  return json(AnsiToUtf8(ansi)).dump(-1, ' ', false, json::error_handler_t::replace);
}

// The geometry member of an item ("null" when it has none that can be
// written).
std::string ExportGeometry(TGeoDB& db, int r, const TgdbData& d) {
  if (d.ItemType == gitTown) {
    const TSCoords p = ExtractLocation(d);
    if (!Finite(p)) return "null";
    std::string g = "{\"type\":\"Point\",\"coordinates\":";
    AppendPosition(g, p);
    return g + "}";
  }
  TgdbPolygon poly;
  if (!geodb_internal::IsPolygonKind(d.ItemType) || !db.RetrievePolygon(r, poly) || poly.empty() ||
      !std::all_of(poly.begin(), poly.end(), Finite)) {
    return "null";
  }
  const bool polygon = d.Closed && poly.size() >= 3;
  if (polygon) {
    // The import drops one repeated closing position; the export adds one,
    // so that the two are inverse even for rings that repeat it twice.
    if (SignedArea2(poly) < 0) std::reverse(poly.begin() + 1, poly.end());
    poly.push_back(poly.front());
  } else if (poly.size() == 1) {
    poly.push_back(poly.front());  // a LineString needs two positions
  }
  std::string g = polygon ? "{\"type\":\"Polygon\",\"coordinates\":[["
                          : "{\"type\":\"LineString\",\"coordinates\":[";
  for (size_t i = 0; i < poly.size(); ++i) {
    if (i) g += ',';
    AppendPosition(g, poly[i]);
  }
  return g + (polygon ? "]]}" : "]}");
}

}  // namespace

// ================================================================= import

TgdbImportResult ImportGeoJSON(TGeoDB& DB, std::string_view Text,
                               const TgdbImportOptions& Options) {
  const char* op = "ImportGeoJSON";
  RequireOpen(DB, op);
  TgdbImportResult res;
  Reader rd(op, Options, res);
  // The features of a collection are read as the parser completes each one
  // and dropped from the tree.
  bool features_key = false, in_features = false;
  json top;
  try {
    top = json::parse(Text.begin(), Text.end(), [&](int depth, json::parse_event_t ev, json& v) {
      CheckDepth(op, depth, ev);
      using E = json::parse_event_t;
      if (depth == 1) {
        // Members of the top object: only an array under "features" holds
        // features.
        if (ev == E::key) {
          features_key = v == "features";
          in_features = false;
        } else if (ev == E::array_start) {
          in_features = features_key;
        } else if (ev == E::array_end) {
          in_features = false;
        }
      } else if (depth == 2 && in_features &&
                 (ev == E::object_end || ev == E::array_end || ev == E::value)) {
        GeoFeature(rd, v, false);
        return false;
      }
      return true;
    });
  } catch (const json::exception& e) {
    throw ETKZGeoDBError(std::string(op) + ": not JSON: " + e.what());
  }
  const std::string type = TypeOf(top);
  if (type != "FeatureCollection") {
    // Features met under a "features" key of something else do not count.
    res = TgdbImportResult{};
    rd.Pendings().clear();
  }
  if (type == "FeatureCollection") {
    auto f = top.find("features");
    if (f == top.end() || !f->is_array())
      throw ETKZGeoDBError(std::string(op) + ": a FeatureCollection without features array.");
  } else if (type == "Feature") {
    GeoFeature(rd, top, false);
  } else if (IsGeometryType(type)) {
    GeoFeature(rd, top, true);
  } else if (type.empty()) {
    throw ETKZGeoDBError(std::string(op) + ": not a GeoJSON object (no type).");
  } else {
    throw ETKZGeoDBError(std::string(op) + ": not GeoJSON: type \"" + type.substr(0, 40) + "\".");
  }
  Store(DB, rd.Pendings(), res);
  return res;
}

TgdbImportResult ImportGeoJSONFile(TGeoDB& DB, const std::string& FileName,
                                   const TgdbImportOptions& Options) {
  return ImportFile(DB, FileName, Options, "ImportGeoJSON", ImportGeoJSON);
}

TgdbImportResult ImportTopoJSON(TGeoDB& DB, std::string_view Text,
                                const TgdbImportOptions& Options) {
  const char* op = "ImportTopoJSON";
  RequireOpen(DB, op);
  json top;
  try {
    top = json::parse(Text.begin(), Text.end(), [&](int depth, json::parse_event_t ev, json&) {
      CheckDepth(op, depth, ev);
      return true;
    });
  } catch (const json::exception& e) {
    throw ETKZGeoDBError(std::string(op) + ": not JSON: " + e.what());
  }
  if (TypeOf(top) != "Topology")
    throw ETKZGeoDBError(std::string(op) + ": not a TopoJSON Topology.");
  auto objects = top.find("objects");
  if (objects == top.end() || !objects->is_object())
    throw ETKZGeoDBError(std::string(op) + ": a Topology without objects.");
  TgdbImportResult res;
  Reader rd(op, Options, res);
  // Arcs shared by many features could describe far more positions than
  // the text holds; decoding stops at 16 positions per byte of text.
  Topology topo(top, rd, 16 * Text.size() + 1024);
  if (!Options.Object.empty()) {
    auto o = objects->find(Options.Object);
    if (o == objects->end())
      throw ETKZGeoDBError(std::string(op) + ": no object \"" + Options.Object + "\".");
    topo.Object(*o);
  } else {
    for (const json& o : *objects) topo.Object(o);
  }
  Store(DB, rd.Pendings(), res);
  return res;
}

TgdbImportResult ImportTopoJSONFile(TGeoDB& DB, const std::string& FileName,
                                    const TgdbImportOptions& Options) {
  return ImportFile(DB, FileName, Options, "ImportTopoJSON", ImportTopoJSON);
}

// ================================================================= export

std::string ExportGeoJSON(TGeoDB& DB) {
  if (!DB.IsOpen()) return "";
  TOnPercentDoneEvent handler = std::move(DB.OnPercentDone);
  DB.OnPercentDone = nullptr;
  struct Restore {
    TGeoDB& db;
    TOnPercentDoneEvent& h;
    ~Restore() { db.OnPercentDone = std::move(h); }
  } restore{DB, handler};
  int last = -1;
  auto report = [&](int p) {
    if (handler && p != last) handler(&DB, p);
    last = p;
  };
  report(0);
  std::string out = "{\"type\":\"FeatureCollection\",\"features\":[\n";
  const int n = DB.GetNumEntries();
  for (int r = 1; r <= n; ++r) {
    const TgdbData d = DB.GetSumdata(r);
    const TgdbItem kind = d.ItemType <= gitUndefined ? d.ItemType : gitUndefined;
    const std::string id = std::to_string(d.ItemID);
    out += "{\"type\":\"Feature\",\"id\":" + id + ",\"geometry\":" + ExportGeometry(DB, r, d) +
           ",\"properties\":{\"name\":" + JsonString(d.Name) + ",\"kind\":\"" +
           GDB_ITEMNAMES[kind] + "\",\"id\":" + id;
    if (kind == gitTown) out += ",\"population\":" + std::to_string(d.UserInt1);
    TMetaInfo meta;
    if (kind == gitBLOB && DB.GetMetaInfo(r, meta)) {
      out += ",\"size\":" + std::to_string(d.NumElems);
      static const std::pair<TMetaItem, const char*> kMeta[] = {{miKwd, "keyword"},
                                                                {miCaption, "caption"},
                                                                {miFilePath, "file"},
                                                                {miDescriptor, "descriptor"},
                                                                {miComment, "comment"}};
      for (const auto& [item, key] : kMeta) {
        const std::string s = meta.Get(item);
        if (!s.empty()) out += std::string(",\"") + key + "\":" + JsonString(s);
      }
    }
    out += r < n ? "}},\n" : "}}\n";
    report(Percent(r, n));
  }
  out += "]}\n";
  report(100);
  return out;
}

bool ExportGeoJSONFile(TGeoDB& DB, const std::string& FileName) {
  if (!DB.IsOpen()) return false;
  geodb_internal::ReplaceFileContent(FileName, ExportGeoJSON(DB));
  return true;
}

}  // namespace tkz
