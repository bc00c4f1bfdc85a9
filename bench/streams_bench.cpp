// Reading a large text file line by line: ReadLnStream on a TFileStream
// against std::getline on a std::ifstream doing the same work.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "core/platform/stream.h"
#include "core/text/streams.h"

namespace {

// About 50 MB of lines of varying length, written once per run.
const std::string& LinesFile() {
  static const std::string path = [] {
    const std::string p =
        (std::filesystem::temp_directory_path() / "tkz_streams_bench.txt").string();
    std::ofstream out(p, std::ios::binary);
    std::string line;
    uint32_t x = 12345;
    size_t written = 0;
    while (written < (size_t{50} << 20)) {
      x = x * 1103515245u + 12345u;
      line.assign(10 + (x >> 16) % 110, static_cast<char>('a' + (x >> 8) % 26));
      out << line << '\n';
      written += line.size() + 1;
    }
    return p;
  }();
  return path;
}

void BM_ReadLines_ours(benchmark::State& state) {
  const std::string& path = LinesFile();
  for (auto _ : state) {
    tkz::TFileStream fs(path, tkz::fmOpenRead);
    bool eos = false;
    size_t lines = 0, bytes = 0;
    for (;;) {
      const std::string line = tkz::ReadLnStream(&fs, eos, 0);
      if (eos && line.empty()) break;
      ++lines;
      bytes += line.size();
    }
    benchmark::DoNotOptimize(lines);
    benchmark::DoNotOptimize(bytes);
  }
  state.SetBytesProcessed(state.iterations() *
                          static_cast<int64_t>(std::filesystem::file_size(path)));
}
BENCHMARK(BM_ReadLines_ours)->Name("ReadLines/ours")->Unit(benchmark::kMillisecond);

void BM_ReadLines_peer(benchmark::State& state) {
  const std::string& path = LinesFile();
  for (auto _ : state) {
    std::ifstream in(path, std::ios::binary);
    std::string line;
    size_t lines = 0, bytes = 0;
    while (std::getline(in, line)) {
      ++lines;
      bytes += line.size();
    }
    benchmark::DoNotOptimize(lines);
    benchmark::DoNotOptimize(bytes);
  }
  state.SetBytesProcessed(state.iterations() *
                          static_cast<int64_t>(std::filesystem::file_size(path)));
}
BENCHMARK(BM_ReadLines_peer)->Name("ReadLines/peer")->Unit(benchmark::kMillisecond);

}  // namespace
