// The molecule viewer's record index: the bounds of every record of a large
// SD file found by the index thread (1 MiB blocks read from the file, in the
// page cache after the first run). TKZ_SD_FILE names the file
// (bench/sd_index.sh makes one of the real records and times RDKit's
// SDMolSupplier counting the same records beside it). Counters: records and
// bytes per second.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>

#include "examples/molviewer/record_index.h"

namespace {

void BM_IndexOurs(benchmark::State& state) {
  const char* file = std::getenv("TKZ_SD_FILE");
  if (file == nullptr) {
    state.SkipWithError("set TKZ_SD_FILE to an SD file");
    return;
  }
  int64_t records = 0, bytes = 0;
  for (auto _ : state) {
    tkz::molviewer::RecordIndex index(file);
    index.Start(nullptr);
    index.Wait();
    if (!index.Error().empty()) {
      state.SkipWithError(index.Error().c_str());
      return;
    }
    records += index.Count();
    bytes += index.FileSize();
  }
  state.counters["records"] =
      benchmark::Counter(static_cast<double>(records), benchmark::Counter::kIsRate);
  state.counters["bytes"] =
      benchmark::Counter(static_cast<double>(bytes), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_IndexOurs)->Name("sd_index/ours")->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
