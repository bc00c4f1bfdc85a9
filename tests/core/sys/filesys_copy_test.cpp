#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <unistd.h>

#include <csignal>
#include <tuple>

#include <filesystem>
#include <string>
#include <vector>

#include "core/sys/filesys.h"
#include "support/temp_dir.h"

namespace fs = std::filesystem;

namespace tkz {
namespace {

using testing_support::TempDirTest;

std::string Bytes(size_t n) {
  std::string s(n, '\0');
  for (size_t i = 0; i < n; ++i) s[i] = static_cast<char>(i * 7 + i / 251);
  return s;
}

// Runs f with files limited to `limit` bytes (SIGXFSZ ignored, so that a
// write beyond fails with EFBIG as on a full disk).
template <typename F>
auto WithFileSizeLimit(rlim_t limit, F f) {
  struct rlimit saved {};
  getrlimit(RLIMIT_FSIZE, &saved);
  void (*previous)(int) = std::signal(SIGXFSZ, SIG_IGN);
  struct rlimit small = saved;
  small.rlim_cur = limit;
  setrlimit(RLIMIT_FSIZE, &small);
  const auto result = f();
  setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, previous);
  return result;
}

class FileCopy : public TempDirTest {
 protected:
  // A device that takes no data: a private node of /dev/full where the test
  // may make one (root), so that a copy that replaced its target would harm
  // nothing outside the test's folder; else /dev/full, which only root could
  // replace. "" when neither is there.
  std::string FullDevice() {
    if (mknod(Path("full").c_str(), S_IFCHR | 0666, makedev(1, 7)) == 0) return Path("full");
    return geteuid() != 0 && access("/dev/full", W_OK) == 0 ? "/dev/full" : "";
  }
  static bool IsCharDevice(const std::string& name) {
    struct stat st;
    return lstat(name.c_str(), &st) == 0 && S_ISCHR(st.st_mode);
  }
  // Copies and records every progress value.
  int Copy(const std::string& src, const std::string& dst, bool clear = false) {
    done.clear();
    totals.clear();
    return FileCopyFeedBk(src, dst, clear, [this](int64_t d, int64_t t) {
      done.push_back(d);
      totals.push_back(t);
    });
  }
  std::vector<int64_t> done, totals;
};

TEST_F(FileCopy, ProgressCountsBlocksOf8192) {
  Put(Path("a"), Bytes(20000));
  EXPECT_EQ(Copy(Path("a"), Path("b")), kCopyOK);
  EXPECT_EQ(done, (std::vector<int64_t>{0, 0, 8192, 16384, 20000}));
  EXPECT_EQ(totals, std::vector<int64_t>(5, 20000));
  EXPECT_EQ(Slurp(Path("b")), Bytes(20000));

  // A whole number of blocks ends with an empty block, reported too.
  Put(Path("c"), Bytes(16384));
  EXPECT_EQ(Copy(Path("c"), Path("d")), kCopyOK);
  EXPECT_EQ(done, (std::vector<int64_t>{0, 0, 8192, 16384, 16384}));

  Put(Path("e"), "");
  EXPECT_EQ(Copy(Path("e"), Path("f")), kCopyOK);
  EXPECT_EQ(done, (std::vector<int64_t>{0, 0, 0}));
  EXPECT_TRUE(fs::exists(Path("f")));
}

TEST_F(FileCopy, LargeFileKeepsPerBlockProgress) {
  // More than one internal read: still one call per 8192 bytes.
  const size_t size = 3 * 1024 * 1024 + 100;
  Put(Path("big"), Bytes(size));
  EXPECT_EQ(Copy(Path("big"), Path("big2")), kCopyOK);
  ASSERT_EQ(done.size(), 1 + size / 8192 + 1 + 1);
  for (size_t i = 1; i + 1 < done.size(); ++i)
    EXPECT_EQ(done[i], static_cast<int64_t>((i - 1) * 8192)) << i;
  EXPECT_EQ(done.back(), static_cast<int64_t>(size));
  EXPECT_EQ(Slurp(Path("big2")), Bytes(size));
}

TEST_F(FileCopy, PipeSourceIsReadPlainly) {
  // Not a regular file: no size, and read() instead of a kernel copy.
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  const std::string data = Bytes(20000);
  ASSERT_EQ(write(fds[1], data.data(), data.size()), static_cast<ssize_t>(data.size()));
  close(fds[1]);
  EXPECT_EQ(Copy("/proc/self/fd/" + std::to_string(fds[0]), Path("b")), kCopyOK);
  close(fds[0]);
  EXPECT_EQ(done, (std::vector<int64_t>{0, 0, 8192, 16384, 20000}));
  EXPECT_EQ(totals, std::vector<int64_t>(5, 0));
  EXPECT_EQ(Slurp(Path("b")), data);
}

TEST_F(FileCopy, SameFileIsLeftAloneWithoutCallbacks) {
  Put(Path("a"), "keep me");
  EXPECT_EQ(Copy(Path("a"), Path("a")), kCopyOK);
  EXPECT_TRUE(done.empty());
  // Other spellings of the same file, and a hard link, are never truncated.
  EXPECT_EQ(Copy(Path("a"), dir_ + "/./a"), kCopyOK);
  ASSERT_EQ(link(Path("a").c_str(), Path("hard").c_str()), 0);
  EXPECT_EQ(Copy(Path("a"), Path("hard")), kCopyOK);
  EXPECT_TRUE(done.empty());
  EXPECT_EQ(Slurp(Path("a")), "keep me");
}

TEST_F(FileCopy, ResultCodes) {
  EXPECT_EQ(Copy(Path("missing"), Path("x")), kCopyCannotOpenSource);
  EXPECT_TRUE(done.empty());
  fs::create_directory(Path("dir"));
  EXPECT_EQ(Copy(Path("dir"), Path("x")), kCopyCannotOpenSource);
  EXPECT_EQ(Copy(std::string("a\0b", 3), Path("x")), kCopyCannotOpenSource);
  Put(Path("a"), "abc");
  EXPECT_EQ(Copy(Path("a"), Path("nodir/x")), kCopyCannotCreateDest);
  EXPECT_EQ(done, (std::vector<int64_t>{0}));
  if (const std::string full = FullDevice(); !full.empty()) {
    // The block is read and reported before its write fails; the device is
    // written, never replaced.
    EXPECT_EQ(Copy(Path("a"), full), kCopyWriteError);
    EXPECT_EQ(LastFileCopyError(), ENOSPC);
    EXPECT_EQ(done, (std::vector<int64_t>{0, 0, 0}));
    EXPECT_TRUE(IsCharDevice(full));
  }
  EXPECT_EQ(Copy("/proc/self/mem", Path("x")), kCopyReadError);
}

TEST_F(FileCopy, DestinationDirectoryTakesSourceName) {
  Put(Path("a.txt"), "abc");
  fs::create_directory(Path("out"));
  EXPECT_EQ(Copy(Path("a.txt"), Path("out")), kCopyOK);
  EXPECT_EQ(Slurp(Path("out/a.txt")), "abc");
  EXPECT_EQ(Copy(Path("a.txt"), Path("out/")), kCopyOK);
  // Copying into its own directory is copying onto itself.
  EXPECT_EQ(Copy(Path("a.txt"), dir_), kCopyOK);
  EXPECT_EQ(Slurp(Path("a.txt")), "abc");
}

TEST_F(FileCopy, TimesKeptAndReadOnlyCleared) {
  Put(Path("a"), "abc");
  const struct timespec times[2] = {{1000000000, 123456789}, {1200000000, 987654321}};
  ASSERT_EQ(utimensat(AT_FDCWD, Path("a").c_str(), times, 0), 0);
  ASSERT_EQ(chmod(Path("a").c_str(), 0444), 0);

  EXPECT_EQ(Copy(Path("a"), Path("b"), true), kCopyOK);
  struct stat st;
  ASSERT_EQ(stat(Path("b").c_str(), &st), 0);
  EXPECT_EQ(st.st_mtim.tv_sec, 1200000000);
  EXPECT_EQ(st.st_mtim.tv_nsec, 987654321);
  EXPECT_EQ(st.st_atim.tv_sec, 1000000000);
  EXPECT_EQ(st.st_mode & 0777, 0644u);

  // Without ClearReadOnly the new file keeps the mode it was created with.
  const mode_t old = umask(022);
  EXPECT_EQ(Copy(Path("a"), Path("c"), false), kCopyOK);
  umask(old);
  ASSERT_EQ(stat(Path("c").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0644u);
  EXPECT_EQ(st.st_mtim.tv_sec, 1200000000);
}

TEST_F(FileCopy, AbortStopsAfterCurrentBlock) {
  Put(Path("a"), Bytes(100000));
  int calls = 0;
  const int rc = FileCopyFeedBk(Path("a"), Path("b"), false, [&](int64_t d, int64_t) {
    ++calls;
    if (d == 16384) AbortAnyFileCopying();
  });
  EXPECT_EQ(rc, kCopyOK);
  EXPECT_TRUE(FileCopyAborted());
  EXPECT_EQ(calls, 5);  // 0; blocks at 0, 8192, 16384; final 24576
  EXPECT_EQ(Slurp(Path("b")), Bytes(100000).substr(0, 24576));
  // The next copy starts afresh.
  EXPECT_EQ(Copy(Path("a"), Path("b")), kCopyOK);
  EXPECT_FALSE(FileCopyAborted());
  EXPECT_EQ(Slurp(Path("b")), Bytes(100000));
}

// A copy onto an existing file that fails half way (a file size limit stands
// in for a full disk) leaves the old file whole and no temporary file; a
// read-only target is refused, a link target is followed.
TEST_F(FileCopy, ReplacesTheTargetOnlyWhenComplete) {
  Put(Path("a"), Bytes(50000));
  Put(Path("b"), "old contents");
  const int rc = WithFileSizeLimit(20000, [&] { return Copy(Path("a"), Path("b")); });
  EXPECT_EQ(rc, kCopyWriteError);
  EXPECT_EQ(LastFileCopyError(), EFBIG);
  EXPECT_EQ(Slurp(Path("b")), "old contents");
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 2);

  fs::create_symlink("b", Path("link"));
  EXPECT_EQ(Copy(Path("a"), Path("link")), kCopyOK);
  EXPECT_TRUE(fs::is_symlink(Path("link")));
  EXPECT_EQ(Slurp(Path("b")), Bytes(50000));

  if (geteuid() != 0) {
    Put(Path("ro"), "keep");
    chmod(Path("ro").c_str(), 0444);
    EXPECT_EQ(Copy(Path("a"), Path("ro")), kCopyCannotCreateDest);
    EXPECT_EQ(LastFileCopyError(), EACCES);
    EXPECT_EQ(Slurp(Path("ro")), "keep");
  }
}

class TreeCopy : public TempDirTest {
 protected:
  void SetUp() override {
    TempDirTest::SetUp();
    fs::create_directories(Path("src/sub/deep"));
    fs::create_directories(Path("outside"));
    Put(Path("outside/secret"), "outside");
    Put(Path("src/a.txt"), "A");
    Put(Path("src/sub/b.txt"), Bytes(9000));
    Put(Path("src/sub/deep/c.txt"), "C");
    fs::create_directory_symlink(Path("outside"), Path("src/to_outside"));
    fs::create_directory_symlink("..", Path("src/sub/loop"));  // a cycle
    fs::create_symlink("a.txt", Path("src/link_to_a"));
  }
};

TEST_F(TreeCopy, CopiesFilesAndKeepsLinksAsLinks) {
  std::vector<std::string> files;
  std::vector<int> counts;
  const int rc = CopyFileTree(Path("src"), Path("dst/new"), true,
                              [&](int64_t, int64_t, const std::string& f, int n) {
                                if (files.empty() || files.back() != f) files.push_back(f);
                                counts.push_back(n);
                              });
  EXPECT_EQ(rc, kCopyOK);
  EXPECT_EQ(Slurp(Path("dst/new/a.txt")), "A");
  EXPECT_EQ(Slurp(Path("dst/new/sub/b.txt")), Bytes(9000));
  EXPECT_EQ(Slurp(Path("dst/new/sub/deep/c.txt")), "C");
  EXPECT_TRUE(fs::is_symlink(Path("dst/new/to_outside")));
  EXPECT_EQ(fs::read_symlink(Path("dst/new/to_outside")), Path("outside"));
  EXPECT_TRUE(fs::is_symlink(Path("dst/new/sub/loop")));
  EXPECT_EQ(fs::read_symlink(Path("dst/new/sub/loop")), "..");
  EXPECT_EQ(fs::read_symlink(Path("dst/new/link_to_a")), "a.txt");
  EXPECT_FALSE(fs::exists(Path("dst/new/to_outside/secret")) &&
               !fs::is_symlink(Path("dst/new/to_outside")));
  // Entries in byte order, depth first; links counted as entries.
  const std::string d = Path("dst/new/");
  EXPECT_EQ(files,
            (std::vector<std::string>{d + "a.txt", d + "link_to_a", d + "sub/b.txt",
                                      d + "sub/deep/c.txt", d + "sub/loop", d + "to_outside"}));
  EXPECT_EQ(counts.back(), 6);
}

TEST_F(TreeCopy, FeedbackCarriesFileProgress) {
  fs::remove_all(Path("src/sub"));
  std::vector<std::pair<int64_t, int64_t>> seen;
  CopyFileTree(Path("src"), Path("dst"), false,
               [&](int64_t done, int64_t total, const std::string& f, int) {
                 if (f == Path("dst/a.txt")) seen.emplace_back(done, total);
               });
  // The file's own progress (0; block at 0; final 1), then the final values.
  EXPECT_EQ(seen, (std::vector<std::pair<int64_t, int64_t>>{{0, 1}, {0, 1}, {1, 1}, {1, 1}}));
}

TEST_F(TreeCopy, DestinationInsideSourceIsNotEntered) {
  EXPECT_EQ(CopyFileTree(Path("src"), Path("src/sub/copy"), false), kCopyOK);
  EXPECT_EQ(Slurp(Path("src/sub/copy/a.txt")), "A");
  EXPECT_EQ(Slurp(Path("src/sub/copy/sub/deep/c.txt")), "C");
  EXPECT_FALSE(fs::exists(Path("src/sub/copy/sub/copy")));
}

TEST_F(TreeCopy, SameDirectoryAndFailures) {
  EXPECT_EQ(CopyFileTree(Path("src"), Path("src/"), false), kCopyOK);
  EXPECT_EQ(CopyFileTree(Path("src"), dir_ + "/./src", false), kCopyOK);
  EXPECT_EQ(CopyFileTree(Path("missing"), Path("dst"), false), kCopyCannotOpenSource);
  EXPECT_FALSE(fs::exists(Path("dst")));
  Put(Path("file"), "x");
  EXPECT_EQ(CopyFileTree(Path("src"), Path("file/dst"), false), kCopyCannotCreateDest);
}

TEST_F(TreeCopy, LinksInTheDestinationAreReplacedNotWrittenThrough) {
  fs::create_directories(Path("dst/sub"));
  fs::create_symlink(Path("outside/created"), Path("dst/a.txt"));  // dangling
  fs::create_symlink(Path("outside/secret"), Path("dst/sub/b.txt"));
  EXPECT_EQ(CopyFileTree(Path("src"), Path("dst"), false), kCopyOK);
  EXPECT_FALSE(fs::is_symlink(Path("dst/a.txt")));
  EXPECT_EQ(Slurp(Path("dst/a.txt")), "A");
  EXPECT_TRUE(Slurp(Path("dst/sub/b.txt")) == Bytes(9000));
  EXPECT_FALSE(fs::exists(Path("outside/created")));
  EXPECT_EQ(Slurp(Path("outside/secret")), "outside");
}

TEST_F(TreeCopy, UnreadableFileReportsNoStaleProgress) {
  // A writer's lock keeps the copy from opening c.txt.
  const int fd = open(Path("src/sub/deep/c.txt").c_str(), O_RDWR);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(flock(fd, LOCK_EX), 0);
  std::vector<std::pair<int64_t, int64_t>> seen;
  const int rc = CopyFileTree(Path("src"), Path("dst"), false,
                              [&](int64_t done, int64_t total, const std::string& f, int) {
                                if (f == Path("dst/sub/deep/c.txt")) seen.emplace_back(done, total);
                              });
  close(fd);
  EXPECT_EQ(rc, kCopyCannotOpenSource);
  EXPECT_EQ(seen, (std::vector<std::pair<int64_t, int64_t>>{{0, 0}}));
  EXPECT_TRUE(Slurp(Path("dst/sub/b.txt")) == Bytes(9000));  // the walk went on
}

TEST_F(TreeCopy, AbortStopsTheWalk) {
  int files = 0;
  CopyFileTree(Path("src"), Path("dst"), false, [&](int64_t, int64_t, const std::string&, int n) {
    files = n;
    if (n == 2) AbortAnyFileCopying();
  });
  EXPECT_TRUE(FileCopyAborted());
  EXPECT_EQ(files, 2);
  EXPECT_FALSE(fs::exists(Path("dst/sub/b.txt")));
}

// Every copied directory ends with its source's permission bits and times,
// private and read-only ones included (the read-only one is still filled);
// so does a destination folder the copy makes.
TEST_F(TreeCopy, DirectoriesKeepModesAndTimes) {
  const struct {
    const char* dir;
    mode_t mode;
  } dirs[] = {{"sub/deep", 0500}, {"sub", 0700}, {"", 0750}};
  for (const auto& d : dirs) {
    const std::string name = Path("src/") + d.dir;
    const struct timespec times[2] = {{1100000000, 5}, {1300000000 + d.mode, 7}};
    ASSERT_EQ(utimensat(AT_FDCWD, name.c_str(), times, 0), 0);
    ASSERT_EQ(chmod(name.c_str(), d.mode), 0);
  }
  EXPECT_EQ(CopyFileTree(Path("src"), Path("dst/new"), false), kCopyOK);
  EXPECT_EQ(Slurp(Path("dst/new/sub/deep/c.txt")), "C");
  for (const auto& d : dirs) {
    SCOPED_TRACE(d.dir);
    struct stat st;
    ASSERT_EQ(stat((Path("dst/new/") + d.dir).c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, d.mode);
    EXPECT_EQ(st.st_mtim.tv_sec, 1300000000 + static_cast<time_t>(d.mode));
    EXPECT_EQ(st.st_mtim.tv_nsec, 7);
  }
  // Into an existing folder: that folder keeps its own mode.
  fs::create_directory(Path("mine"));
  chmod(Path("mine").c_str(), 0755);
  EXPECT_EQ(CopyFileTree(Path("src"), Path("mine"), false), kCopyOK);
  EXPECT_EQ(fs::status(Path("mine")).permissions(), fs::perms(0755));
  EXPECT_EQ(fs::status(Path("mine/sub")).permissions(), fs::perms(0700));
  for (const char* d : {"src/sub/deep", "dst/new/sub/deep", "mine/sub/deep"})
    chmod(Path(d).c_str(), 0700);  // so the fixture can remove them
}

// Pipes and sockets are not copied but told as skipped, each by its source
// name; a file that cannot be written is told by name with its error, and
// the walk goes on.
TEST_F(TreeCopy, SkippedAndFailedEntriesAreTold) {
  ASSERT_EQ(mkfifo(Path("src/pipe").c_str(), 0600), 0);
  const int sock = socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  const std::string sockName = Path("src/sub/sock");
  ASSERT_LT(sockName.size(), sizeof addr.sun_path);
  sockName.copy(addr.sun_path, sockName.size());
  ASSERT_EQ(bind(sock, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
  fs::create_directories(Path("dst/a.txt"));  // a folder where a file goes

  std::vector<std::tuple<std::string, int, int>> issues;
  const int rc = CopyFileTree(
      Path("src"), Path("dst"), false, {},
      [&](const std::string& name, int code, int err) { issues.emplace_back(name, code, err); });
  close(sock);
  EXPECT_EQ(rc, kCopyCannotCreateDest);
  EXPECT_EQ(issues, (std::vector<std::tuple<std::string, int, int>>{
                        {Path("src/a.txt"), kCopyCannotCreateDest, EISDIR},
                        {Path("src/pipe"), kCopySkipped, 0},
                        {Path("src/sub/sock"), kCopySkipped, 0}}));
  EXPECT_FALSE(fs::exists(fs::symlink_status(Path("dst/pipe"))));
  EXPECT_FALSE(fs::exists(fs::symlink_status(Path("dst/sub/sock"))));
  EXPECT_EQ(Slurp(Path("dst/sub/deep/c.txt")), "C");
}

TEST_F(FileCopy, EnsureCRLFAddsLineFeedAfterEveryLoneCR) {
  Put(Path("in"), "a\rb\r\nc\nd\r\re\r");
  EnsureCRLFInFile(Path("in"), Path("out"));
  EXPECT_EQ(Slurp(Path("out")), "a\r\nb\r\nc\nd\r\n\r\ne\r\n");
  // In place.
  EnsureCRLFInFile(Path("in"), Path("in"));
  EXPECT_EQ(Slurp(Path("in")), "a\r\nb\r\nc\nd\r\n\r\ne\r\n");
  EXPECT_THROW(EnsureCRLFInFile(Path("missing"), Path("out")), EInOutError);
}

}  // namespace
}  // namespace tkz
