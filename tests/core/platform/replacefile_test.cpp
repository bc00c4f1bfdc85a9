// The three ways the library writes a file whole (a memory stream's
// SaveToFile, ReplaceTextFile, WriteFileReplacing of image bytes) go through
// one helper and so treat links, read-only files, devices and failures alike.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <atomic>
#include <csignal>
#include <filesystem>
#include <functional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "core/dstruct/strarray.h"
#include "core/platform/imagefile.h"
#include "core/platform/stream.h"
#include "core/platform/textfile.h"
#include "core/text/regex.h"
#include "support/temp_dir.h"

namespace tkz {
namespace {

struct Writer {
  const char* name;
  // Writes content as the whole file (the text writer adds no line end).
  std::function<void(const std::string& file, const std::string& content)> write;
};

const std::vector<Writer>& Writers() {
  static const std::vector<Writer> writers = {
      {"memory stream",
       [](const std::string& file, const std::string& content) {
         TStringStream(content).SaveToFile(file);
       }},
      {"text file",
       [](const std::string& file, const std::string& content) {
         ReplaceTextFile(file, [&](TTextFile& f) { f.Write(content); });
       }},
      {"image bytes",
       [](const std::string& file, const std::string& content) {
         WriteFileReplacing(file, std::vector<uint8_t>(content.begin(), content.end()));
       }},
  };
  return writers;
}

class ReplaceFiles : public testing_support::TempDirTest {
 protected:
  int Entries() const {
    int n = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir_)) ++n;
    return n;
  }
};

TEST_F(ReplaceFiles, LinksAreFollowedAndModesKept) {
  for (const Writer& w : Writers()) {
    SCOPED_TRACE(w.name);
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directory(dir_);
    const std::string name = Path("data.txt");
    Put(name, "a much longer previous content");
    ::chmod(name.c_str(), 0640);
    ASSERT_EQ(::symlink(name.c_str(), Path("link").c_str()), 0);
    // A file with the name an older version used for its temporary file.
    Put(name + ".tmp~", "someone else's");

    w.write(Path("link"), "new");
    EXPECT_EQ(Slurp(name), "new");
    struct stat st {};
    ASSERT_EQ(::lstat(Path("link").c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    ASSERT_EQ(::stat(name.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    EXPECT_EQ(Slurp(name + ".tmp~"), "someone else's");
    EXPECT_EQ(Entries(), 3);  // no temporary file is left

    w.write(Path("fresh.txt"), "");
    EXPECT_TRUE(std::filesystem::is_regular_file(Path("fresh.txt")));
    EXPECT_EQ(Slurp(Path("fresh.txt")), "");
  }
}

TEST_F(ReplaceFiles, FailuresNameTheTargetAndKeepThePreviousFile) {
  // Read-only: a plain file for others, a kernel file for root.
  std::string ro = Path("ro.txt");
  if (::geteuid() == 0) {
    ro = "/sys/kernel/notes";
  } else {
    Put(ro, "keep");
    ::chmod(ro.c_str(), 0444);
  }
  const struct {
    std::string file;
    int code;
    const char* reason;
  } cases[] = {
      {Path("none/x.txt"), ENOENT, "No such file or directory"},
      {dir_, EISDIR, "Is a directory"},
      {ro, EACCES, "Permission denied"},
  };
  for (const Writer& w : Writers()) {
    for (const auto& c : cases) {
      SCOPED_TRACE(std::string(w.name) + " " + c.file);
      if (::access(c.file.c_str(), F_OK) != 0 && c.code != ENOENT) continue;
      try {
        w.write(c.file, "new");
        ADD_FAILURE() << "the write succeeded";
      } catch (const EInOutError& e) {
        EXPECT_EQ(e.ErrorCode, c.code);
        EXPECT_EQ(std::string(e.what()), "Cannot create file \"" + c.file + "\": " + c.reason);
      }
    }
    if (::geteuid() != 0) {
      EXPECT_EQ(Slurp(ro), "keep");
    }
  }
}

TEST_F(ReplaceFiles, AnAbortedTextWriteLeavesNoTrace) {
  const std::string name = Path("kept.txt");
  Put(name, "old");
  EXPECT_THROW(ReplaceTextFile(name,
                               [](TTextFile& f) {
                                 f.WriteLn("half");
                                 throw std::runtime_error("stop");
                               }),
               std::runtime_error);
  EXPECT_EQ(Slurp(name), "old");
  EXPECT_EQ(Entries(), 1);
}

// A target that is not a regular file is written in place, never replaced.
// A named pipe in the test's own folder stands for a device, so that a
// writer that renamed over its target would harm nothing outside it.
TEST_F(ReplaceFiles, PipesAndDevicesAreWrittenInPlace) {
  const std::string fifo = Path("pipe");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  for (const Writer& w : Writers()) {
    SCOPED_TRACE(w.name);
    // The read end is open first, so the writer's open does not wait; the
    // few bytes fit the pipe's buffer.
    const int rd = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    ASSERT_GE(rd, 0);
    w.write(fifo, "through");
    char buf[16] = {};
    const ssize_t n = ::read(rd, buf, sizeof buf);
    ::close(rd);
    EXPECT_EQ(std::string(buf, n > 0 ? static_cast<size_t>(n) : 0), "through");
    struct stat st {};
    ASSERT_EQ(::lstat(fifo.c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));  // still the pipe, not a file put in its place
    EXPECT_EQ(Entries(), 1);
  }
}

// Saves racing each other, and a reader watching them, only ever see one
// whole version: each save has a temporary file of its own and renames it.
TEST_F(ReplaceFiles, ConcurrentSavesNeverMix) {
  const std::string name = Path("shared.dat");
  const std::string versions[2] = {std::string(3 << 19, 'a'), std::string(1 << 20, 'b')};
  Put(name, versions[0]);
  for (const Writer& w : Writers()) {
    SCOPED_TRACE(w.name);
    std::atomic<bool> over{false};
    std::vector<std::thread> savers;
    for (const std::string& v : versions)
      savers.emplace_back([&] {
        for (int i = 0; i < 4; ++i) w.write(name, v);
      });
    int reads = 0, torn = 0;
    std::thread reader([&] {
      while (!over) {
        const std::string seen = Slurp(name);
        ++reads;
        if (seen != versions[0] && seen != versions[1]) ++torn;
      }
    });
    for (std::thread& t : savers) t.join();
    over = true;
    reader.join();
    EXPECT_EQ(torn, 0) << "of " << reads << " reads";
    const std::string last = Slurp(name);
    EXPECT_TRUE(last == versions[0] || last == versions[1]);
    EXPECT_EQ(Entries(), 1);  // no temporary file is left
  }
}

// A file whose folder takes no temporary file (here: its name is as long as
// a name may be, so "<name>.tmp..." is not) is written in place by the
// writers that allow it. Room for the new content is reserved first: when
// there is none (a file size limit stands in for a full disk), the old
// contents stay whole.
TEST_F(ReplaceFiles, InPlaceWritesReserveRoomFirst) {
  const std::string name = Path(std::string(255, 'n'));
  const std::string old(3000, 'o');
  Put(name, old);
  ASSERT_EQ(Slurp(name), old);

  struct rlimit saved {};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
  void (*previous)(int) = std::signal(SIGXFSZ, SIG_IGN);
  struct rlimit small = saved;
  small.rlim_cur = 8192;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  int code = 0;
  try {
    TStringStream(std::string(20000, 'N')).SaveToFile(name);
  } catch (const EWriteError& e) {
    code = e.ErrorCode;
  }
  ::setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, previous);
  EXPECT_EQ(code, EFBIG);
  EXPECT_EQ(Slurp(name), old);

  // With room, shorter and longer contents both replace the old ones exactly.
  for (const std::string& next : {std::string(100, 's'), std::string(9000, 'l'), std::string()}) {
    TStringStream(next).SaveToFile(name);
    EXPECT_EQ(Slurp(name), next);
  }
  EXPECT_EQ(Entries(), 1);
}

// The library's writers of whole files (settings-style XML tables, the
// matcher's token listing, pictures, streams, text) all go through the
// replace helper: a device as the target is written, fails with the
// device's error, and stays the device. A private node of /dev/full stands
// in for it where the test may make one (root), so that a writer that
// replaced its target would harm nothing outside the test's folder.
TEST_F(ReplaceFiles, DevicesAreWrittenNeverReplaced) {
  std::string full = Path("full.png");
  if (::mknod(full.c_str(), S_IFCHR | 0666, makedev(1, 7)) != 0) {
    if (::geteuid() == 0 || ::access("/dev/full", W_OK) != 0)
      GTEST_SKIP() << "no device to write to";
    full = "/dev/full";  // only root could replace it
  }
  TStringArray table;
  table.Resize(2, 2);
  table.SetString(1, 1, "cell");
  TGrep grep;
  grep.CompileRegExp("ab[cd]*");
  const TBitmap bmp(4, 3);
  const std::pair<const char*, std::function<void()>> writers[] = {
      {"SaveAsXMLFile", [&] { table.SaveAsXMLFile(full, "t"); }},
      {"PrintRegExp", [&] { grep.PrintRegExp(full); }},
      {"SaveBitmapToFile", [&] { SaveBitmapToFile(bmp, full); }},
      {"memory stream", [&] { TStringStream("x").SaveToFile(full); }},
      {"text file", [&] { ReplaceTextFile(full, [](TTextFile& f) { f.WriteLn("x"); }); }},
  };
  for (const auto& [name, write] : writers) {
    SCOPED_TRACE(name);
    int code = 0;
    try {
      write();
    } catch (const EInOutError& e) {
      code = e.ErrorCode;
    }
    EXPECT_EQ(code, ENOSPC);
    struct stat st {};
    ASSERT_EQ(::lstat(full.c_str(), &st), 0);
    ASSERT_TRUE(S_ISCHR(st.st_mode)) << "the device was replaced";
  }
  EXPECT_EQ(Entries(), 1);
}

}  // namespace
}  // namespace tkz
