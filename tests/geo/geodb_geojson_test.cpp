// geodb GeoJSON and TopoJSON: a table of small features and what each
// becomes, documents that are refused whole, round trips through export,
// and the committed real-world extract (GeoNames cities, Natural Earth
// countries, with an independent TopoJSON decoding as the oracle).
#include "geo/geodb_geojson.h"

#include <gtest/gtest.h>

#include <map>
#include <nlohmann/json.hpp>

#include "geodb_test_support.h"

namespace tkz::geodb_test {
namespace {

using json = nlohmann::json;

struct Item {
  TgdbData d;
  TgdbPolygon poly;
};

std::vector<Item> Items(TGeoDB& db) {
  std::vector<Item> out;
  for (int r = 1; r <= db.GetNumEntries(); ++r) {
    Item it{db.GetSumdata(r), {}};
    if (it.d.ItemType != gitTown) db.RetrievePolygon(r, it.poly);
    out.push_back(it);
  }
  return out;
}

// Items equal in what GeoJSON carries: name, kind, closed, population of
// towns, location and vertices.
void ExpectSameItems(const std::vector<Item>& a, const std::vector<Item>& b) {
  ASSERT_EQ(a.size(), b.size());
  for (size_t i = 0; i < a.size(); ++i) {
    SCOPED_TRACE("item " + std::to_string(i) + " " + a[i].d.Name);
    EXPECT_EQ(a[i].d.Name, b[i].d.Name);
    EXPECT_EQ(a[i].d.ItemType, b[i].d.ItemType);
    EXPECT_EQ(a[i].d.Closed, b[i].d.Closed);
    EXPECT_EQ(a[i].poly, b[i].poly);
    if (a[i].d.ItemType == gitTown) {
      EXPECT_EQ(ExtractLocation(a[i].d), ExtractLocation(b[i].d));
      EXPECT_EQ(a[i].d.UserInt1, b[i].d.UserInt1);
    }
  }
}

class GeoJSON : public GeoDBTest {
 protected:
  void SetUp() override {
    GeoDBTest::SetUp();
    Open();
  }
  static std::string Data(const char* name) {
    return Slurp(std::string(TKZ_TEST_DATA_DIR) + "/geo/" + name);
  }
  std::unique_ptr<TGeoDB> Other(const char* base) {
    auto db = std::make_unique<TGeoDB>();
    db->SetGDBName(Path(base));
    return db;
  }
};

std::string Feat(const std::string& geometry, const std::string& props = "{}") {
  return R"({"type":"Feature","geometry":)" + geometry + R"(,"properties":)" + props + "}";
}

// ------------------------------------------------------- feature table

TEST_F(GeoJSON, EachSmallFeatureBecomesTheDocumentedItemsOrIsSkipped) {
  const std::string cw_square_with_hole =
      R"({"type":"Polygon","coordinates":[[[0,0],[0,1],[1,1],[1,0],[0,0]],)"
      R"([[0.2,0.2],[0.4,0.2],[0.4,0.4],[0.2,0.2]]]})";
  const std::string line3 = R"({"type":"LineString","coordinates":[[1,2],[3,4],[5,6]]})";
  struct Case {
    std::string text;
    std::map<TgdbItem, int> added;
    int skipped;
    std::string reason;  // part of the first reason
    int vertices;        // of the first item (towns: 0)
    bool closed;         // of the first item
  };
  const std::string pt = R"({"type":"Point","coordinates":)";
  const std::string mpt = R"({"type":"MultiPoint","coordinates":)";
  const std::string mpoly =
      R"({"type":"MultiPolygon","coordinates":[[[[0,0],[1,0],[1,1],[0,0]]],[[[5,5],[6,5],[6,6],[5,5]]]]})";
  const std::string coll =
      R"({"type":"GeometryCollection","geometries":[{"type":"Point","coordinates":[1,2]},)" +
      line3 + "]}";
  // clang-format off
  const Case cases[] = {
      {Feat(pt + "[16.37,48.21]}", R"({"name":"Wien","population":1900000})"), {{gitTown, 1}}, 0, "", 0, false},
      {Feat(pt + "[16.37,48.21,171.5]}"), {{gitTown, 1}}, 0, "", 0, false},
      {Feat(pt + "[10,91]}"), {}, 1, "latitude 91 out of range", 0, false},
      {Feat(pt + "[-180.5,0]}"), {}, 1, "longitude -180.5 out of range", 0, false},
      {Feat(pt + R"(["10","20"]})"), {}, 1, "not a number", 0, false},
      {Feat(pt + "[10]}"), {}, 1, "not an array of numbers", 0, false},
      {Feat(pt.substr(0, pt.find(',')) + "}"), {}, 1, "without coordinates", 0, false},
      {Feat(mpt + "[[1,2],[3,4]]}"), {{gitTown, 2}}, 0, "", 0, false},
      {Feat(mpt + "[[1,2],[3,400]]}"), {}, 1, "latitude 400", 0, false},
      {Feat(mpt + "[]}"), {}, 1, "no positions", 0, false},
      {Feat(line3), {{gitRoute, 1}}, 0, "", 3, false},
      {Feat(line3, R"({"kind":"RIVER"})"), {{gitRiver, 1}}, 0, "", 3, false},
      {Feat(line3, R"({"kind":"Border"})"), {{gitBorder, 1}}, 0, "", 3, false},
      {Feat(line3, R"({"kind":"lake"})"), {{gitLake, 1}}, 0, "", 3, true},
      {Feat(line3, R"({"kind":"town"})"), {{gitRoute, 1}}, 0, "", 3, false},
      {Feat(R"({"type":"LineString","coordinates":[[1,2]]})"), {}, 1, "fewer than 2", 0, false},
      {Feat(R"({"type":"MultiLineString","coordinates":[[[1,2],[3,4]],[[5,6],[7,8]]]})", R"({"kind":"road"})"), {{gitRoad, 2}}, 0, "", 2, false},
      {Feat(cw_square_with_hole), {{gitBorder, 1}}, 0, "", 4, true},
      {Feat(cw_square_with_hole, R"({"kind":"City"})"), {{gitCity, 1}}, 0, "", 4, true},
      {Feat(cw_square_with_hole, R"({"kind":"Route"})"), {{gitRoute, 1}}, 0, "", 5, false},
      {Feat(R"({"type":"Polygon","coordinates":[[[0,0],[0,1],[0,0]]]})"), {}, 1, "fewer than 4", 0, false},
      {Feat(R"({"type":"Polygon","coordinates":[]})"), {}, 1, "without rings", 0, false},
      {Feat(mpoly, R"({"name":"Islands"})"), {{gitBorder, 2}}, 0, "", 3, true},
      {Feat(coll), {{gitTown, 1}, {gitRoute, 1}}, 0, "", 0, false},
      {Feat("null"), {}, 1, "no geometry", 0, false},
      {R"({"type":"Feature","properties":{}})", {}, 1, "no geometry", 0, false},
      {Feat(R"({"type":"Circle","coordinates":[1,2]})"), {}, 1, "unknown geometry type \"Circle\"", 0, false},
      {pt + "[1,2]}", {{gitTown, 1}}, 0, "", 0, false},
      {R"({"type":"FeatureCollection","features":[5,{"type":"Other"},)" + Feat(pt + "[1,2]}") + "]}", {{gitTown, 1}}, 2, "feature 0: not an object", 0, false},
  };
  // clang-format on
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    auto db = Other(("t" + std::to_string(n++)).c_str());
    const TgdbImportResult r = ImportGeoJSON(*db, c.text);
    for (int k = 0; k <= gitUndefined; ++k) {
      const auto it = c.added.find(static_cast<TgdbItem>(k));
      EXPECT_EQ(r.Added[k], it == c.added.end() ? 0 : it->second) << GDB_ITEMNAMES[k];
    }
    EXPECT_EQ(db->GetNumEntries(), r.TotalAdded());
    EXPECT_EQ(r.Skipped, c.skipped);
    if (!c.reason.empty()) {
      ASSERT_FALSE(r.Reasons.empty());
      EXPECT_NE(r.Reasons[0].find(c.reason), std::string::npos) << r.Reasons[0];
    }
    if (db->GetNumEntries() > 0) {
      TgdbPolygon p;
      db->RetrievePolygon(1, p);
      EXPECT_EQ(static_cast<int>(p.size()), c.vertices);
      EXPECT_EQ(db->GetSumdata(1).Closed, c.closed);
    }
  }
}

TEST_F(GeoJSON, TownsPolygonsAndNamesAreStoredAsDocumented) {
  const std::string long_name(70, 'x');
  const std::string text =
      R"({"type":"FeatureCollection","features":[)" +
      Feat(R"({"type":"Point","coordinates":[16.37,48.21]})",
           R"({"name":"Wien \u20ac \u0141\u00f3d\u017e","population":1e12})") +
      "," +
      Feat(R"({"type":"Point","coordinates":[1,2]})",
           R"({"name":")" + long_name + R"(","population":-5})") +
      "," +
      Feat(
          R"({"type":"Polygon","coordinates":[[[0,0],[0,1],[1,1],[1,0],[0,0]],[[0.2,0.2],[0.4,0.2],[0.4,0.4],[0.2,0.2]]]})",
          R"({"name":17})") +
      "," + Feat(R"({"type":"Polygon","coordinates":[[[7,7],[8,8],[7,7]]]})") + "," +
      Feat(
          R"({"type":"MultiPolygon","coordinates":[[[[7,7],[8,8],[7,7]]],[[[0,0],[1,0],[1,1],[0,0]]]]})") +
      "]}";
  const TgdbImportResult r = ImportGeoJSON(*db_, text);
  ASSERT_EQ(db_->GetNumEntries(), 4);
  const TgdbData wien = db_->GetSumdata(1);
  // U+0141 is missing from the code page; U+00F3, U+20AC and U+017E are not.
  EXPECT_EQ(wien.Name,
            "Wien \x80 ?\xF3"
            "d\x9E");
  EXPECT_EQ(r.CharsReplaced, 1);
  EXPECT_EQ(wien.UserInt1, INT32_MAX);
  EXPECT_EQ(ExtractLocation(wien), (TSCoords{48.21f, 16.37f}));
  EXPECT_EQ(db_->GetSumdata(2).Name, long_name.substr(0, 59));
  EXPECT_EQ(db_->GetSumdata(2).UserInt1, 0);
  EXPECT_EQ(r.NamesTruncated, 1);
  // The clockwise square is stored counter-clockwise, without its closing
  // vertex and without its hole; a non-string name gives no name.
  TgdbPolygon sq;
  ASSERT_TRUE(db_->RetrievePolygon(3, sq));
  EXPECT_EQ(sq, (TgdbPolygon{{0, 0}, {0, 1}, {1, 1}, {1, 0}}));
  EXPECT_EQ(db_->GetSumdata(3).Name, "");
  EXPECT_EQ(r.HolesDropped, 1);
  // A sliver is dropped; a feature that has nothing else is skipped.
  EXPECT_EQ(r.Features, 5);
  EXPECT_EQ(r.Skipped, 1);
  EXPECT_EQ(r.PolygonsDropped, 1);
  ASSERT_EQ(r.Reasons.size(), 1u);
  EXPECT_EQ(r.Reasons[0], "feature 3: a ring of fewer than 4 positions");
}

// ----------------------------------------------------------- bad input

TEST_F(GeoJSON, DocumentsThatAreNoGeoJSONRaiseAndAddNothing) {
  const std::string good = Feat(R"({"type":"Point","coordinates":[1,2]})");
  const std::pair<std::string, std::string> cases[] = {
      {"", "not JSON"},
      {"not json", "not JSON"},
      {R"({"type":"FeatureCollection","features":[)" + good + "," + good, "not JSON"},
      {R"({"type":"FeatureCollection","features":[)" + good + "]} x", "not JSON"},
      {"[1,2]", "no type"},
      {R"({"type":"FeatureCollection"})", "without features"},
      {R"({"type":"FeatureCollection","features":{"a":)" + good + "}}", "without features"},
      {R"({"type":"Topology","objects":{}})", "type \"Topology\""},
      {std::string(100, '[') + std::string(100, ']'), "nesting deeper than 64"},
      {R"({"type":"Point","coordinates":[1e999,0]})", "not JSON"},
  };
  for (const auto& [text, message] : cases) {
    SCOPED_TRACE(text.substr(0, 80));
    try {
      ImportGeoJSON(*db_, text);
      ADD_FAILURE() << "no exception";
    } catch (const ETKZGeoDBError& e) {
      EXPECT_NE(std::string(e.what()).find(message), std::string::npos) << e.what();
    }
    EXPECT_EQ(db_->GetNumEntries(), 0);
  }
  TGeoDB closed;
  EXPECT_THROW(ImportGeoJSON(closed, good), ETKZGeoDBError);
  EXPECT_THROW(ImportGeoJSONFile(*db_, Path("missing.geojson")), EInOutError);
}

TEST_F(GeoJSON, StrictImportRefusesTheWholeDocumentAtTheFirstBadFeature) {
  const std::string text = R"({"type":"FeatureCollection","features":[)" +
                           Feat(R"({"type":"Point","coordinates":[1,2]})") + "," +
                           Feat(R"({"type":"Point","coordinates":[1,200]})") + "]}";
  TgdbImportOptions strict;
  strict.Strict = true;
  try {
    ImportGeoJSON(*db_, text, strict);
    ADD_FAILURE() << "no exception";
  } catch (const ETKZGeoDBError& e) {
    EXPECT_STREQ(e.what(), "ImportGeoJSON: feature 1: latitude 200 out of range.");
  }
  EXPECT_EQ(db_->GetNumEntries(), 0);
  EXPECT_EQ(ImportGeoJSON(*db_, text).TotalAdded(), 1);
}

TEST_F(GeoJSON, ImportRunsLazyReportsOwnProgressAndRestoresTheDatabase) {
  std::vector<int> progress;
  int calls_after = 0;
  db_->OnPercentDone = [&](TObject* s, int p) {
    EXPECT_EQ(s, db_.get());
    progress.push_back(p);
  };
  const std::string cities = Data("cities-sample.geojson");
  ImportGeoJSON(*db_, cities);
  ASSERT_FALSE(progress.empty());
  EXPECT_EQ(progress.front(), 0);
  EXPECT_EQ(progress.back(), 100);
  EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
  EXPECT_LE(progress.size(), 101u);  // one report per percent, not per item
  EXPECT_FALSE(db_->GetLazyWrite());
  // The indexes were written when LazyWrite went off again.
  EXPECT_EQ(std::filesystem::file_size(File(".tkzgi3")), 300u * 8);
  progress.clear();
  db_->AddTown("x", 0, 0, {1, 1}, 0, 0, 0);
  calls_after = static_cast<int>(progress.size());
  EXPECT_GT(calls_after, 0);  // the handler is back
  db_->SetLazyWrite(true);
  ImportGeoJSON(*db_, cities);
  EXPECT_TRUE(db_->GetLazyWrite());
}

// ---------------------------------------------------------- round trips

TEST_F(GeoJSON, ExportImportExportKeepsEveryItemAndFollowsRfc7946) {
  const TgdbPolygon cw = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};  // (lat, long): clockwise
  const TgdbPolygon line = {{47.1f, 9.5f}, {47.25f, 9.75f}, {47.3f, 10.125f}};
  db_->AddTown("Gr\xFCnau \x80", 0, 1234, {47.5f, 9.25f}, 0, 0, 0);
  db_->AddBorder("Square", cw, true, 0, 0, 0, 0, 0, 0, 0, 0, 0);
  db_->AddBorder("Open border", line, false, 0, 0, 0, 0, 0, 0, 0, 0, 0);
  db_->AddCity("City", cw, true, 0, 0, 0, 0, 0, 0, 0, 0, 0);
  db_->AddLake("Lake", cw, 0, 0, 0, 0, 0, 0, 0, 0, 0);
  db_->AddRiver("River", line, 0, 0, 0, 0, 0, 0, 0, 0, 0);
  db_->AddRoad("Road", line, 0, 0, 0, 0, 0, 0, 0, 0, 0);
  db_->AddRoute("Route", line, 0, 0, 0, 0, 0, 0, 0, 0, 0);
  db_->AddBorder("Dot", {{5, 5}, {5, 5}, {5, 5}}, true, 0, 0, 0, 0, 0, 0, 0, 0, 0);
  TMetaInfo meta;
  meta.Set(miCaption, "a picture");
  db_->AddBLOB("Blob", 0, 0, 1, 2, 3, 4, 0, 0, 0, meta, "abc", 3);

  const std::string text = ExportGeoJSON(*db_);
  const json doc = json::parse(text);
  ASSERT_EQ(doc["features"].size(), 10u);
  for (const json& f : doc["features"]) {
    const json& g = f["geometry"];
    if (g.is_null()) continue;
    if (g["type"] == "Polygon") {
      const json& ring = g["coordinates"][0];
      EXPECT_EQ(ring.front(), ring.back());
      double a = 0;  // counter-clockwise: positive area in (long, lat)
      for (size_t i = 0; i + 1 < ring.size(); ++i)
        a += ring[i][0].get<double>() * ring[i + 1][1].get<double>() -
             ring[i + 1][0].get<double>() * ring[i][1].get<double>();
      EXPECT_GE(a, 0) << f["properties"]["name"];  // the dot has none
    }
  }
  EXPECT_EQ(doc["features"][0]["geometry"]["coordinates"], json::parse("[9.25,47.5]"));
  EXPECT_EQ(doc["features"][0]["properties"]["name"], "Grünau €");
  EXPECT_EQ(doc["features"][0]["properties"]["population"], 1234);
  EXPECT_EQ(doc["features"][2]["geometry"]["type"], "LineString");
  EXPECT_EQ(doc["features"][9]["properties"]["caption"], "a picture");
  EXPECT_EQ(doc["features"][9]["properties"]["size"], 3);
  EXPECT_EQ(doc["features"][9]["properties"]["id"], db_->GetSumdata(10).ItemID);

  auto db2 = Other("second");
  const TgdbImportResult r = ImportGeoJSON(*db2, text);
  EXPECT_EQ(r.Skipped, 1);  // the BLOB
  std::vector<Item> before = Items(*db_);
  before.pop_back();
  // Closed rings come back counter-clockwise.
  for (Item& it : before)
    if (it.d.Closed && it.d.Name != "Dot") it.poly = {{0, 0}, {0, 1}, {1, 1}, {1, 0}};
  ExpectSameItems(before, Items(*db2));
  auto db3 = Other("third");
  ImportGeoJSON(*db3, ExportGeoJSON(*db2));
  ExpectSameItems(Items(*db2), Items(*db3));
  ASSERT_TRUE(ExportGeoJSONFile(*db3, Path("out.geojson")));
  EXPECT_EQ(Slurp(Path("out.geojson")), ExportGeoJSON(*db3));
}

// ------------------------------------------------------- real data

TEST_F(GeoJSON, CommittedCitiesArriveExactlyAndSurviveARoundTrip) {
  const std::string text = Data("cities-sample.geojson");
  const TgdbImportResult r = ImportGeoJSON(*db_, text);
  ASSERT_EQ(r.Added[gitTown], 300);
  EXPECT_EQ(r.Skipped, 0);
  // Python's cp1252 codec finds 35 characters outside the code page.
  EXPECT_EQ(r.CharsReplaced, 35);
  const json doc = json::parse(text);
  for (int i = 0; i < 300; ++i) {
    const json& c = doc["features"][i]["geometry"]["coordinates"];
    const TgdbData d = db_->GetSumdata(i + 1);
    EXPECT_EQ(d.LongLow, static_cast<float>(c[0].get<double>()));
    EXPECT_EQ(d.LatLow, static_cast<float>(c[1].get<double>()));
  }
  // A window around Europe finds what a scan of the file finds.
  int in_window = 0;
  for (const json& f : doc["features"]) {
    const float lon = static_cast<float>(f["geometry"]["coordinates"][0].get<double>());
    const float lat = static_cast<float>(f["geometry"]["coordinates"][1].get<double>());
    in_window += lat >= 35 && lat <= 60 && lon >= -10 && lon <= 30;
  }
  EXPECT_EQ(static_cast<int>(db_->FindItemsInWindow(35, 60, -10, 30).size()), in_window);
  auto db2 = Other("second");
  ImportGeoJSON(*db2, ExportGeoJSON(*db_));
  ExpectSameItems(Items(*db_), Items(*db2));
}

TEST_F(GeoJSON, NaturalEarthTopologyMatchesAnIndependentDecoding) {
  const TgdbImportResult topo = ImportTopoJSON(*db_, Data("countries-110m.topojson"));
  EXPECT_EQ(topo.Skipped, 0);
  EXPECT_EQ(topo.PolygonsDropped, 0);
  EXPECT_GT(topo.HolesDropped, 0);  // South Africa around Lesotho
  EXPECT_EQ(topo.Added[gitBorder], db_->GetNumEntries());
  auto sample = Other("sample");
  const TgdbImportResult r = ImportGeoJSON(*sample, Data("countries-sample.geojson"));
  EXPECT_EQ(r.Features, 7);
  EXPECT_EQ(r.Added[gitBorder], 2 + 13 + 2 + 1 + 1 + 1 + 3);
  // Every polygon of the sample is in the topology's import, exactly.
  const std::vector<Item> all = Items(*db_);
  for (const Item& s : Items(*sample)) {
    SCOPED_TRACE(s.d.Name);
    const bool found = std::any_of(all.begin(), all.end(), [&](const Item& t) {
      return t.d.Name == s.d.Name && t.poly == s.poly && t.d.Closed;
    });
    EXPECT_TRUE(found);
  }
  // Fiji: one part west of the 180th meridian, one across it.
  const std::vector<int> fiji = db_->FindItemsInWindow(-20, -15, 177, -179);
  int parts = 0;
  for (int rec : fiji) parts += db_->GetSumdata(rec).Name == "Fiji";
  EXPECT_EQ(parts, 2);
  TgdbImportOptions one;
  one.Object = "land";
  auto land = Other("land");
  EXPECT_GT(ImportTopoJSON(*land, Data("countries-110m.topojson"), one).Added[gitBorder], 100);
}

TEST_F(GeoJSON, SliversOfQuantisedIsletsAreDroppedNotTheCountry) {
  const std::string text = Data("spain-10m.geojson");
  const TgdbImportResult r = ImportGeoJSON(*db_, text);
  int slivers = 0, kept = 0;
  size_t vertices = 0;
  const json doc = json::parse(text);
  for (const json& p : doc["features"][0]["geometry"]["coordinates"]) {
    const size_t n = p[0].size();
    n < 4 ? ++slivers : ++kept;
    if (n >= 4) vertices += n - 1;  // without the closing position
  }
  ASSERT_GT(slivers, 0);
  EXPECT_EQ(r.Skipped, 0);
  EXPECT_EQ(r.PolygonsDropped, slivers);
  EXPECT_EQ(r.Added[gitBorder], kept);
  size_t stored = 0;
  for (const Item& it : Items(*db_)) {
    EXPECT_EQ(it.d.Name, "Spain");
    stored += it.poly.size();
  }
  EXPECT_EQ(stored, vertices);
}

TEST_F(GeoJSON, TopologiesWithBadArcsSkipFeaturesOrRaise) {
  const std::string arcs = R"("arcs":[[[0,0],[10,0],[0,10],[-10,0],[0,-10]]])";
  auto topo = [&](const std::string& geoms, const std::string& extra = "") {
    return R"({"type":"Topology",)" + arcs + extra +
           R"(,"objects":{"o":{"type":"GeometryCollection","geometries":[)" + geoms + "]}}}";
  };
  const std::string tf = R"(,"transform":{"scale":[0.5,0.25],"translate":[10,20]})";
  // Quantised: the ring is (10,20) (15,20) (15,22.5) (10,22.5) (10,20).
  TgdbImportResult r = ImportTopoJSON(
      *db_, topo(R"({"type":"Polygon","arcs":[[0]],"properties":{"name":"Q"}})", tf));
  ASSERT_EQ(r.Added[gitBorder], 1);
  TgdbPolygon p;
  db_->RetrievePolygon(1, p);
  EXPECT_EQ(p, (TgdbPolygon{{20, 10}, {20, 15}, {22.5f, 15}, {22.5f, 10}}));
  const std::pair<std::string, std::string> skips[] = {
      {R"({"type":"Polygon","arcs":[[1]]})", "arc 1 does not exist"},
      {R"({"type":"Polygon","arcs":[[-2]]})", "arc 1 does not exist"},
      {R"({"type":"LineString","arcs":[0.5]})", "not an integer"},
      {R"({"type":"LineString","arcs":[18446744073709551615]})", "does not exist"},
      {R"({"type":null})", "no geometry"},
      {R"({"type":"Point","coordinates":[0,100]})", "latitude 100"},
  };
  for (const auto& [geom, why] : skips) {
    SCOPED_TRACE(geom);
    auto db = Other("skip");
    r = ImportTopoJSON(*db, topo(geom));
    EXPECT_EQ(r.Skipped, 1);
    ASSERT_EQ(r.Reasons.size(), 1u);
    EXPECT_NE(r.Reasons[0].find(why), std::string::npos) << r.Reasons[0];
    db->SetGDBName("");
    for (const char* ext :
         {".tkzgds", ".tkzgdd", ".tkzgi0", ".tkzgi1", ".tkzgi2", ".tkzgi3", ".tkzgi4"})
      std::filesystem::remove(Path(std::string("skip") + ext));
  }
  // One short arc referenced many times describes more positions than
  // 16 per byte of text: the feature is skipped, not built.
  std::string refs = "[0";
  for (int i = 0; i < 20000; ++i) refs += ",0";
  refs += "]";
  std::string big_arc = "[[0,0]";
  for (int i = 0; i < 2000; ++i) big_arc += ",[1,0]";
  big_arc += "]";
  const std::string amplified = R"({"type":"Topology","arcs":[)" + big_arc +
                                R"(],"objects":{"o":{"type":"LineString","arcs":)" + refs + "}}}";
  auto db = Other("amp");
  r = ImportTopoJSON(*db, amplified);
  EXPECT_EQ(r.Skipped, 1);
  EXPECT_NE(r.Reasons.at(0).find("more positions"), std::string::npos);
  for (const std::string& bad : {std::string(R"({"type":"FeatureCollection","features":[]})"),
                                 std::string(R"({"type":"Topology"})"),
                                 topo("", R"(,"transform":{"scale":[1]})"), std::string("{")}) {
    EXPECT_THROW(ImportTopoJSON(*db_, bad), ETKZGeoDBError) << bad;
  }
  TgdbImportOptions missing;
  missing.Object = "nothing";
  EXPECT_THROW(ImportTopoJSON(*db_, topo(""), missing), ETKZGeoDBError);
}

}  // namespace
}  // namespace tkz::geodb_test
