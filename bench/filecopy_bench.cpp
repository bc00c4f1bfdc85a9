// FileCopyFeedBk against cp on the same 1 GiB file, copied into the same
// folder. The source is read once before the runs, so both copy a file that
// is in the page cache; the target is deleted and the file system synced
// (untimed) after every run, and each side has one untimed warm-up run.
// Wall-clock time, as cp runs in a process of its own.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "core/sys/filesys.h"

extern char** environ;

namespace {

constexpr int64_t kSize = int64_t{1} << 30;

// The folder with the source file, made once and removed at exit.
class Fixture {
 public:
  Fixture() {
    std::string tmpl = tkz::GetTempDir() + "/tkz_filecopy_bench_XXXXXX";
    if (!mkdtemp(tmpl.data())) std::abort();
    dir_ = tmpl;
    std::ofstream out(Source(), std::ios::binary);
    std::vector<char> block(1 << 20);
    for (int64_t done = 0; done < kSize; done += static_cast<int64_t>(block.size())) {
      for (size_t i = 0; i < block.size(); i += 64) block[i] = static_cast<char>(done / 4096 + i);
      out.write(block.data(), static_cast<std::streamsize>(block.size()));
    }
    out.close();
    // Written back to the disk, so that no run pays for the setup's writes;
    // then read once, so that both copy from the page cache.
    const int fd = open(Source().c_str(), O_RDONLY);
    if (fd < 0 || fsync(fd) != 0) std::abort();
    close(fd);
    std::ifstream in(Source(), std::ios::binary);
    while (in.read(block.data(), static_cast<std::streamsize>(block.size()))) {
    }
  }
  ~Fixture() { std::filesystem::remove_all(dir_); }
  std::string Source() const { return dir_ + "/source.bin"; }
  std::string Target() const { return dir_ + "/target.bin"; }

 private:
  std::string dir_;
};

const Fixture& Files() {
  static const Fixture f;
  return f;
}

// Deletes the target and lets the file system settle, so that every run
// starts from the same state.
void RemoveTarget() {
  unlink(Files().Target().c_str());
  sync();
}

void RemoveTarget(benchmark::State& st) {
  st.PauseTiming();
  RemoveTarget();
  st.ResumeTiming();
}

void FileCopyOurs(benchmark::State& st) {
  const Fixture& f = Files();
  int64_t last = 0;
  tkz::FileCopyFeedBk(f.Source(), f.Target(), false);  // warm-up, untimed
  RemoveTarget();
  for (auto _ : st) {
    const int rc = tkz::FileCopyFeedBk(f.Source(), f.Target(), false,
                                       [&](int64_t done, int64_t) { last = done; });
    if (rc != 0 || last != kSize) st.SkipWithError("copy failed");
    RemoveTarget(st);
  }
  st.SetBytesProcessed(st.iterations() * kSize);
}
BENCHMARK(FileCopyOurs)
    ->Name("filecopy_1GiB/ours")
    ->Iterations(5)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

void FileCopyPeer(benchmark::State& st) {
  const Fixture& f = Files();
  const std::string src = f.Source(), dst = f.Target();
  auto cp = [&] {
    char* argv[] = {const_cast<char*>("cp"), const_cast<char*>(src.c_str()),
                    const_cast<char*>(dst.c_str()), nullptr};
    pid_t pid = 0;
    int status = 0;
    return posix_spawnp(&pid, "cp", nullptr, nullptr, argv, environ) == 0 &&
           waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
  };
  cp();  // warm-up, untimed
  RemoveTarget();
  for (auto _ : st) {
    if (!cp()) st.SkipWithError("cp failed");
    RemoveTarget(st);
  }
  st.SetBytesProcessed(st.iterations() * kSize);
}
BENCHMARK(FileCopyPeer)
    ->Name("filecopy_1GiB/peer")
    ->Iterations(5)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace
