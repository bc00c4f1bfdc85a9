// Ring perception over real records: "ring_sssr" runs FindSSSR over every
// record of the SD file named by TKZ_SD_FILE (bench/sd_read.sh builds one of
// real records), read once before the timing, and reports records per second
// as the counter "records" and the records read as "read". Skipped with a
// message without the variable.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

#include "bench/sd_records.h"
#include "chem/cstruct.h"
#include "core/platform/textfile.h"

namespace {

// The records of the file that read whole (at most 63 atoms).
const std::vector<std::unique_ptr<tkz::TCTab>>& Records(const char* path) {
  static const auto records = ReadSDRecords(path);
  return records;
}

void RingSSSR(benchmark::State& state) {
  const char* path = std::getenv("TKZ_SD_FILE");
  if (path == nullptr) {
    state.SkipWithError("TKZ_SD_FILE is not set (see bench/sd_read.sh for a file of records)");
    return;
  }
  const auto& records = Records(path);
  if (records.empty()) {
    state.SkipWithError("no record of TKZ_SD_FILE could be read");
    return;
  }
  int64_t done = 0, rings = 0;
  tkz::RingListType list;
  for (auto _ : state) {
    for (const auto& t : records) rings += t->FindSSSR(list);
    done += static_cast<int64_t>(records.size());
  }
  benchmark::DoNotOptimize(rings);
  state.counters["records"] =
      benchmark::Counter(static_cast<double>(done), benchmark::Counter::kIsRate);
  state.counters["read"] = static_cast<double>(records.size());
}
BENCHMARK(RingSSSR)->Name("ring_sssr")->Unit(benchmark::kMillisecond);

}  // namespace
