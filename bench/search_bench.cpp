// "search_screen/ours": substructure screening, one thread: every query of
// TKZ_QUERY_DIR (the molfiles listed, in order, in its file "queries.txt")
// searched with bond checking in every record of at most 63 atoms of the SD
// file named by TKZ_SD_FILE, both read before timing; the search profiles of
// queries and records are made inside it. The counter "pairs" is
// records x queries per second and "hits" the hits per pass.
// bench/search_bench.sh writes the queries and the records, times RDKit's
// HasSubstructMatch on the same pairs and the speed-up of "tkz mol search".
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "bench/sd_records.h"
#include "chem/cstruct.h"
#include "core/platform/textfile.h"

namespace {

using Tables = std::vector<std::unique_ptr<tkz::TCTab>>;

Tables ReadRecords(const std::string& path) { return ReadSDRecords(path); }

Tables ReadQueries(const std::string& dir) {
  Tables out;
  std::ifstream list(dir + "/queries.txt");
  for (std::string name; std::getline(list, name);) {
    auto t = std::make_unique<tkz::TCTab>();
    tkz::TTextFile f;
    f.AssignFile(dir + "/" + name + ".mol");
    f.Reset();
    if (t->ReadFromMDLMolFile(f)) out.push_back(std::move(t));
    f.CloseFile();
  }
  return out;
}

void SearchScreen(benchmark::State& state) {
  const char* sd = std::getenv("TKZ_SD_FILE");
  const char* qdir = std::getenv("TKZ_QUERY_DIR");
  if (sd == nullptr || qdir == nullptr) {
    state.SkipWithError("TKZ_SD_FILE or TKZ_QUERY_DIR is not set (see bench/search_bench.sh)");
    return;
  }
  const Tables records = ReadRecords(sd);
  const Tables queries = ReadQueries(qdir);
  if (records.empty() || queries.empty()) {
    state.SkipWithError("no records or no queries read");
    return;
  }
  int64_t pairs = 0, hits = 0;
  // The profiles are made inside the timing: each query's once per pass
  // (RDKit's query molecules are read before timing too, ours are), each
  // record's once for its 20 searches.
  std::vector<tkz::TSearchProfile> queryProfiles(queries.size());
  tkz::TSearchProfile profile;
  for (auto _ : state) {
    hits = 0;
    for (size_t i = 0; i < queries.size(); ++i) queryProfiles[i].Assign(*queries[i]);
    for (const auto& t : records) {
      profile.Assign(*t);
      for (size_t i = 0; i < queries.size(); ++i) {
        tkz::TMatchMarks marks{};
        hits += t->SearchSubStruc(*queries[i], queryProfiles[i], marks, true, profile);
      }
    }
    pairs += static_cast<int64_t>(records.size() * queries.size());
  }
  state.counters["pairs"] =
      benchmark::Counter(static_cast<double>(pairs), benchmark::Counter::kIsRate);
  state.counters["hits"] = static_cast<double>(hits);
}
BENCHMARK(SearchScreen)->Name("search_screen/ours")->Unit(benchmark::kMillisecond);

}  // namespace
