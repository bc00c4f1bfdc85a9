// The geographic database part of "tkz demo": the world's countries and
// cities imported from GeoJSON and TopoJSON, then queried.
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <nlohmann/json.hpp>

#include "core/platform/codepage.h"
#include "core/sys/filesys.h"
#include "core/text/stringl.h"
#include "geo/geodb_geojson.h"
#include "tools/tkz/commands.h"

namespace tkz::tool {

namespace {

namespace fs = std::filesystem;

struct GeoSources {
  std::string Countries, Cities;
};

// The fetched data (data/external) when present, else the committed
// extract; the full cities only when asked for (their import takes seconds).
GeoSources FindSources(bool fullCities) {
  GeoSources s;
  for (const fs::path& root : DemoDataRoots()) {
    const fs::path ext = root / "data" / "external", geo = root / "tests" / "data" / "geo";
    for (const char* name : {"countries-50m.json", "countries-110m.json"})
      if (s.Countries.empty() && fs::exists(ext / "world-atlas" / name))
        s.Countries = (ext / "world-atlas" / name).string();
    if (s.Cities.empty() && fullCities && fs::exists(ext / "cities.geojson"))
      s.Cities = (ext / "cities.geojson").string();
    if (fs::exists(geo / "countries-110m.topojson") && fs::exists(geo / "cities-sample.geojson")) {
      if (s.Countries.empty()) s.Countries = (geo / "countries-110m.topojson").string();
      if (s.Cities.empty()) s.Cities = (geo / "cities-sample.geojson").string();
    }
    if (!s.Countries.empty() && !s.Cities.empty()) break;
  }
  return s;
}

double Seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

// The first names of the records, joined.
std::string FirstNames(TGeoDB& db, const std::vector<int>& records, size_t count) {
  std::string names;
  for (size_t i = 0; i < records.size() && i < count; ++i)
    names += (i > 0 ? ", " : "") + AnsiToUtf8(db.GetSumdata(records[i]).Name);
  return names;
}

}  // namespace

nlohmann::json DemoGeoDatabase(std::ostream& out, const std::string& dir, bool fullCities) {
  DemoHeading(out, "Geographic database");
  const GeoSources src = FindSources(fullCities);
  if (src.Countries.empty() || src.Cities.empty()) {
    out << "  no country and city data found (data/external or tests/data/geo): skipped\n";
    return {{"skipped", "no data"}};
  }
  const std::string base = (fs::path(DemoFile(dir, "world"))).string();
  DeleteFiles(base + ".tkzg*");
  TGeoDB db;
  db.SetGDBName(base + ".tkzgds");
  nlohmann::json j;
  TgdbImportOptions countries;
  countries.Object = "countries";
  for (const auto& [file, topo] : {std::pair{src.Countries, true}, std::pair{src.Cities, false}}) {
    const auto start = std::chrono::steady_clock::now();
    const TgdbImportResult r =
        topo ? ImportTopoJSONFile(db, file, countries) : ImportGeoJSONFile(db, file, {});
    const double s = Seconds(start);
    out << "  " << StripPath(file) << ": " << r.Features << " features, " << r.TotalAdded()
        << " items added, " << r.Skipped << " skipped in " << strff(s, 1, 2) << " s\n";
    j[topo ? "countries" : "cities"] = {{"file", file},
                                        {"features", r.Features},
                                        {"added", r.TotalAdded()},
                                        {"skipped", r.Skipped},
                                        {"seconds", s}};
  }
  // The Alps: the towns and the countries whose bounds meet the window.
  const auto start = std::chrono::steady_clock::now();
  const std::vector<int> found = db.FindItemsInWindow(45.5f, 48.5f, 5.5f, 16.5f);
  std::vector<int> towns, borders;
  for (int r : found) (db.GetSumdata(r).ItemType == gitTown ? towns : borders).push_back(r);
  const double qs = Seconds(start);
  out << "  window 45.5..48.5 N, 5.5..16.5 E (the Alps): " << towns.size() << " towns ("
      << FirstNames(db, towns, 5) << (towns.size() > 5 ? ", ..." : "") << "), " << borders.size()
      << " country items, in " << strff(qs * 1000, 1, 2) << " ms\n";
  // Names that contain "burg", in any letter case.
  std::vector<int> named;
  for (int r = db.SearchData("burg", gitUndefined, 1, kGdbMatchContains); r > 0;
       r = db.SearchData("burg", gitUndefined, r + 1, kGdbMatchContains))
    named.push_back(r);
  out << "  names containing \"burg\": " << named.size() << " (" << FirstNames(db, named, 5)
      << (named.size() > 5 ? ", ..." : "") << ")\n";
  j["database"] = base;
  j["records"] = db.GetNumEntries();
  j["alps_window"] = {{"towns", towns.size()},
                      {"country_items", borders.size()},
                      {"first_towns", FirstNames(db, towns, 5)},
                      {"milliseconds", qs * 1000}};
  j["search_burg"] = {{"found", named.size()}, {"first", FirstNames(db, named, 5)}};
  return j;
}

}  // namespace tkz::tool
