// The geographic database against SQLite's R*Tree module on the same
// GeoNames cities (data/external/cities.geojson from scripts/fetch-data, or
// the committed extract when that is missing; the program says which):
//   geodb_import  bulk load of every city as a named point, into files on
//                 disk (ours with LazyWrite, SQLite in one transaction);
//   geodb_query   10 000 random windows (0.5 to 5 degrees a side), the same
//                 boxes for both, counting the items found.
// The counters give the bytes on disk and the items found (which must agree).
// An extra, unpaired line times ImportGeoJSONFile on the whole file.
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <random>
#include <string>
#include <vector>

#include "core/platform/codepage.h"
#include "geo/geodb.h"
#include "geo/geodb_geojson.h"

namespace {

namespace fs = std::filesystem;
using namespace tkz;

struct City {
  std::string name;  // Windows-1252
  float lat, lon;
};

std::string DataFile() {
  const std::string full = std::string(TKZ_SOURCE_DIR) + "/data/external/cities.geojson";
  if (fs::exists(full)) return full;
  return std::string(TKZ_SOURCE_DIR) + "/tests/data/geo/cities-sample.geojson";
}

const std::vector<City>& Cities() {
  static const std::vector<City> cities = [] {
    const std::string file = DataFile();
    std::FILE* f = std::fopen(file.c_str(), "rb");
    if (!f) std::abort();
    const nlohmann::json doc = nlohmann::json::parse(f);
    std::fclose(f);
    std::vector<City> out;
    for (const auto& ft : doc["features"]) {
      const auto& c = ft["geometry"]["coordinates"];
      out.push_back({Utf8ToAnsi(ft["properties"]["name"].get<std::string>()).substr(0, kGdbNameLen),
                     c[1].get<float>(), c[0].get<float>()});
    }
    std::fprintf(stderr, "geodb_bench: %zu cities from %s\n", out.size(), file.c_str());
    return out;
  }();
  return cities;
}

struct Box {
  float lat_lo, lat_hi, lon_lo, lon_hi;
};

const std::vector<Box>& Windows() {
  static const std::vector<Box> boxes = [] {
    std::mt19937 rng(42);
    std::uniform_real_distribution<float> lat(-60, 70), lon(-180, 175), side(0.5f, 5);
    std::vector<Box> b(10000);
    for (Box& w : b) {
      const float la = lat(rng), lo = lon(rng);
      w = {la, la + side(rng), lo, lo + side(rng)};
    }
    return b;
  }();
  return boxes;
}

std::string Folder() {
  static const std::string dir = [] {
    std::string t = (fs::temp_directory_path() / "tkz_geodb_bench_XXXXXX").string();
    if (!::mkdtemp(t.data())) std::abort();
    return t;
  }();
  static const bool cleanup = (std::atexit([] { fs::remove_all(Folder()); }), true);
  (void)cleanup;
  return dir;
}

int64_t BytesOf(const std::string& prefix) {
  int64_t n = 0;
  for (const auto& e : fs::directory_iterator(Folder()))
    if (e.path().string().rfind(prefix, 0) == 0) n += static_cast<int64_t>(e.file_size());
  return n;
}

void RemoveFiles(const std::string& prefix) {
  for (const auto& e : fs::directory_iterator(Folder()))
    if (e.path().string().rfind(prefix, 0) == 0) fs::remove(e.path());
}

// Times Load, each time into fresh files starting with Prefix, and reports
// the bytes they take.
template <class F>
void TimedLoads(benchmark::State& st, const std::string& Prefix, F Load) {
  for (auto _ : st) {
    st.PauseTiming();
    RemoveFiles(Prefix);
    st.ResumeTiming();
    Load();
  }
  st.counters["bytes_on_disk"] = static_cast<double>(BytesOf(Prefix));
  st.SetItemsProcessed(st.iterations() * static_cast<int64_t>(Cities().size()));
}

// ------------------------------------------------------------------ ours

void LoadOurs(TGeoDB& db, const std::string& base) {
  db.SetGDBName(base + ".tkzgds");
  db.SetLazyWrite(true);
  for (const City& c : Cities()) db.AddTown(c.name, 45000, 0, {c.lat, c.lon}, 0, 0, 0);
  db.SetLazyWrite(false);
}

void ImportOurs(benchmark::State& st) {
  const std::string base = Folder() + "/ours_import";
  TimedLoads(st, base, [&] {
    TGeoDB db;
    LoadOurs(db, base);
  });
}
BENCHMARK(ImportOurs)->Name("geodb_import/ours")->Unit(benchmark::kMillisecond)->Iterations(2);

void QueryOurs(benchmark::State& st) {
  static TGeoDB db;
  if (!db.IsOpen()) LoadOurs(db, Folder() + "/ours_query");
  int64_t hits = 0;
  for (auto _ : st) {
    hits = 0;
    for (const Box& w : Windows())
      hits +=
          static_cast<int64_t>(db.FindItemsInWindow(w.lat_lo, w.lat_hi, w.lon_lo, w.lon_hi).size());
    benchmark::DoNotOptimize(hits);
  }
  st.counters["hits"] = static_cast<double>(hits);
  st.SetItemsProcessed(st.iterations() * static_cast<int64_t>(Windows().size()));
}
BENCHMARK(QueryOurs)->Name("geodb_query/ours")->Unit(benchmark::kMillisecond);

void GeoJSONFileOurs(benchmark::State& st) {
  const std::string base = Folder() + "/ours_geojson";
  TimedLoads(st, base, [&] {
    TGeoDB db;
    db.SetGDBName(base + ".tkzgds");
    benchmark::DoNotOptimize(ImportGeoJSONFile(db, DataFile()).TotalAdded());
  });
}
BENCHMARK(GeoJSONFileOurs)
    ->Name("geodb_geojson_file/ours")
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

// ------------------------------------------------------------------ peer

void Exec(sqlite3* db, const char* sql) {
  if (sqlite3_exec(db, sql, nullptr, nullptr, nullptr) != SQLITE_OK) {
    std::fprintf(stderr, "sqlite: %s\n", sqlite3_errmsg(db));
    std::abort();
  }
}

sqlite3* LoadPeer(const std::string& file) {
  sqlite3* db = nullptr;
  if (sqlite3_open(file.c_str(), &db) != SQLITE_OK) std::abort();
  Exec(db, "BEGIN");
  Exec(db, "CREATE VIRTUAL TABLE towns USING rtree(id, lat_lo, lat_hi, lon_lo, lon_hi, +name)");
  sqlite3_stmt* ins = nullptr;
  sqlite3_prepare_v2(db, "INSERT INTO towns VALUES (?, ?, ?, ?, ?, ?)", -1, &ins, nullptr);
  int64_t id = 0;
  for (const City& c : Cities()) {
    sqlite3_bind_int64(ins, 1, ++id);
    sqlite3_bind_double(ins, 2, c.lat);
    sqlite3_bind_double(ins, 3, c.lat);
    sqlite3_bind_double(ins, 4, c.lon);
    sqlite3_bind_double(ins, 5, c.lon);
    sqlite3_bind_text(ins, 6, c.name.data(), static_cast<int>(c.name.size()), SQLITE_STATIC);
    if (sqlite3_step(ins) != SQLITE_DONE) std::abort();
    sqlite3_reset(ins);
  }
  sqlite3_finalize(ins);
  Exec(db, "COMMIT");
  return db;
}

void ImportPeer(benchmark::State& st) {
  const std::string file = Folder() + "/peer_import.sqlite";
  TimedLoads(st, file, [&] { sqlite3_close(LoadPeer(file)); });
}
BENCHMARK(ImportPeer)->Name("geodb_import/peer")->Unit(benchmark::kMillisecond)->Iterations(2);

void QueryPeer(benchmark::State& st) {
  static sqlite3* db = LoadPeer(Folder() + "/peer_query.sqlite");
  sqlite3_stmt* q = nullptr;
  sqlite3_prepare_v2(db,
                     "SELECT id FROM towns WHERE lat_lo <= ?2 AND lat_hi >= ?1 AND lon_lo <= ?4 "
                     "AND lon_hi >= ?3",
                     -1, &q, nullptr);
  int64_t hits = 0;
  for (auto _ : st) {
    hits = 0;
    for (const Box& w : Windows()) {
      sqlite3_bind_double(q, 1, w.lat_lo);
      sqlite3_bind_double(q, 2, w.lat_hi);
      sqlite3_bind_double(q, 3, w.lon_lo);
      sqlite3_bind_double(q, 4, w.lon_hi);
      while (sqlite3_step(q) == SQLITE_ROW) ++hits;
      sqlite3_reset(q);
    }
    benchmark::DoNotOptimize(hits);
  }
  sqlite3_finalize(q);
  st.counters["hits"] = static_cast<double>(hits);
  st.SetItemsProcessed(st.iterations() * static_cast<int64_t>(Windows().size()));
}
BENCHMARK(QueryPeer)->Name("geodb_query/peer")->Unit(benchmark::kMillisecond);

}  // namespace
