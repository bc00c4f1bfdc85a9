#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "core/platform/stringlist.h"
#include "core/sys/filesys.h"
#include "support/temp_dir.h"

namespace fs = std::filesystem;

namespace tkz {
namespace {

using testing_support::TempDirTest;

// Sets an environment variable for the lifetime of the object.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const std::optional<std::string>& value) : name_(name) {
    if (const char* old = getenv(name)) old_ = old;
    if (value)
      setenv(name, value->c_str(), 1);
    else
      unsetenv(name);
  }
  ~ScopedEnv() {
    if (old_)
      setenv(name_, old_->c_str(), 1);
    else
      unsetenv(name_);
  }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

std::vector<std::string> Lines(const TStringList& l) {
  std::vector<std::string> v;
  for (int i = 0; i < l.Count(); ++i) v.push_back(l.Strings(i));
  return v;
}

// A tree with links to directories inside and outside it and a cycle.
class Walkers : public TempDirTest {
 protected:
  void SetUp() override {
    TempDirTest::SetUp();
    fs::create_directories(Path("t/sub/deep"));
    fs::create_directories(Path("outside"));
    Put(Path("outside/o.txt"), "o");
    Put(Path("t/a.txt"), "a");
    Put(Path("t/B.TXT"), "b");
    Put(Path("t/c.dat"), "c");
    Put(Path("t/sub/d.txt"), "d");
    Put(Path("t/sub/deep/e.txt"), "e");
    fs::create_directory_symlink(Path("outside"), Path("t/out.txt"));
    fs::create_directory_symlink("..", Path("t/sub/up"));
    fs::create_directory_symlink("deep", Path("t/sub/inner"));
    fs::create_symlink("a.txt", Path("t/link.txt"));
  }
};

TEST_F(Walkers, ScanAndCountNeverFollowDirectoryLinks) {
  TStringList list;
  std::vector<std::string> dirs;
  ScanFilesToStrList(Path("t/*.txt"), true, &list,
                     [&](const std::string& d, int) { dirs.push_back(d); });
  const std::string t = Path("t/");
  EXPECT_EQ(Lines(list), (std::vector<std::string>{t + "B.TXT", t + "a.txt", t + "link.txt",
                                                   t + "sub/d.txt", t + "sub/deep/e.txt"}));
  EXPECT_EQ(dirs, (std::vector<std::string>{t, t + "sub/", t + "sub/deep/"}));
  EXPECT_EQ(CountFiles(Path("t/*.txt"), true), 5);
  EXPECT_EQ(CountFiles(Path("t/*.*"), false), 4);
  EXPECT_EQ(CountFiles(Path("t/*"), true), 6);
  EXPECT_EQ(CountFiles(Path("missing/*"), true), 0);
  std::vector<int> found;
  CountFiles(Path("t/*.txt"), true, [&](const std::string&, int n) { found.push_back(n); });
  EXPECT_EQ(found, (std::vector<int>{0, 3, 4}));
  ScanFilesToStrList(Path("t/*"), true, nullptr);  // no list: nothing happens
}

TEST_F(Walkers, FileDetectSearchesDownwardsIgnoringCase) {
  EXPECT_EQ(FileDetect(Path("t/A.TXT")), Path("t/a.txt"));
  EXPECT_EQ(FileDetect(Path("t/E.txt")), Path("t/sub/deep/e.txt"));
  EXPECT_EQ(FileDetect(Path("t/o.txt")), "");  // only behind a link
  EXPECT_EQ(FileDetect(Path("t/sub")), "");    // directories are not files
  EXPECT_EQ(FileDetect(Path("t/")), "");
}

TEST_F(Walkers, DelDirTreeRemovesLinksNotTargets) {
  std::string failed = "x";
  DelDirTree(Path("t"), failed);
  EXPECT_EQ(failed, "");
  EXPECT_FALSE(fs::exists(Path("t")));
  EXPECT_EQ(Slurp(Path("outside/o.txt")), "o");

  // A link given as the tree: only the link goes.
  fs::create_directory_symlink(Path("outside"), Path("l"));
  DelDirTree(Path("l/"), failed);
  EXPECT_EQ(failed, "");
  EXPECT_FALSE(fs::is_symlink(Path("l")));
  EXPECT_TRUE(fs::exists(Path("outside/o.txt")));

  DelDirTree(Path("missing"), failed);
  EXPECT_EQ(failed, Path("missing"));
  DelDirTree("/", failed);
  EXPECT_EQ(failed, "/");
}

TEST_F(Walkers, DelDirTreeNeverDeletesThroughASwappedInLink) {
  // Another process keeps exchanging the tree with a link to "outside"
  // while it is deleted: whatever it sees, nothing outside may go.
  for (int round = 0; round < 300; ++round) {
    fs::create_directories(Path("victim/sub"));
    Put(Path("victim/sub/f"), "f");
    fs::create_directory_symlink(Path("outside"), Path("swap"));
    std::atomic<bool> stop{false};
    std::atomic<int> swaps{0};
    const std::string victim = Path("victim"), swap = Path("swap");
    std::thread swapper([&] {
      while (!stop) {
        renameat2(AT_FDCWD, victim.c_str(), AT_FDCWD, swap.c_str(), RENAME_EXCHANGE);
        ++swaps;
      }
    });
    while (swaps < 3) std::this_thread::yield();
    std::string failed;
    DelDirTree(Path("victim"), failed);
    stop = true;
    swapper.join();
    ASSERT_EQ(Slurp(Path("outside/o.txt")), "o") << "round " << round;
    for (const char* name : {"victim", "swap"}) {
      if (fs::is_symlink(Path(name)))
        fs::remove(Path(name));
      else
        fs::remove_all(Path(name));
    }
  }
}

// A chain of 2100 nested folders "d" below `top` (deeper than any path
// could name), with a file "f" in the 10th and in the last.
class DeepTree : public TempDirTest {
 protected:
  static constexpr int kDepth = 2100;
  void SetUp() override {
    TempDirTest::SetUp();
    fs::create_directory(Path("top"));
    int fd = open(Path("top").c_str(), O_RDONLY | O_DIRECTORY);
    for (int i = 1; i <= kDepth && fd >= 0; ++i) {
      mkdirat(fd, "d", 0777);
      const int sub = openat(fd, "d", O_RDONLY | O_DIRECTORY);
      close(fd);
      fd = sub;
      if (i == 10 || i == kDepth) close(openat(fd, "f", O_WRONLY | O_CREAT, 0666));
    }
    ASSERT_GE(fd, 0);
    close(fd);
  }
  // Cuts whatever is left into pieces short enough to remove by name.
  void TearDown() override {
    for (int piece = 0;; ++piece) {
      int fd = open(Path("top").c_str(), O_RDONLY | O_DIRECTORY);
      int level = 0;
      while (fd >= 0 && level < 1000) {
        const int sub = openat(fd, "d", O_RDONLY | O_DIRECTORY | O_NOFOLLOW);
        if (sub < 0) break;
        close(fd);
        fd = sub;
        ++level;
      }
      const bool more =
          fd >= 0 && level == 1000 &&
          renameat(fd, "d", AT_FDCWD, Path("piece" + std::to_string(piece)).c_str()) == 0;
      if (fd >= 0) close(fd);
      if (!more) break;
      fs::rename(Path("piece" + std::to_string(piece)), Path("top" + std::to_string(piece)));
      fs::rename(Path("top"), Path("done" + std::to_string(piece)));
      fs::rename(Path("top" + std::to_string(piece)), Path("top"));
    }
    TempDirTest::TearDown();
  }
};

TEST_F(DeepTree, RenamingCaseRaisesAtTheDepthLimitInsteadOfOverflowing) {
  // Names are lower case already, so the walk goes all the way down.
  EXPECT_THROW(SetAllFilenameCase(Path("top/*"), false), EInOutError);
}

TEST_F(DeepTree, WalkersStopAtTheDepthLimitInsteadOfOverflowing) {
  EXPECT_EQ(CountFiles(Path("top/f"), true), 1);  // the 10th level only
  EXPECT_EQ(FileDetect(Path("top/F")), Path("top/d/d/d/d/d/d/d/d/d/d/f"));
  EXPECT_LT(CopyFileTree(Path("top"), Path("copy"), false), 0);
  EXPECT_TRUE(fs::exists(Path("copy/d/d/d/d/d/d/d/d/d/d/f")));
  std::string failed;
  DelDirTree(Path("top"), failed);
  EXPECT_NE(failed, "");
  EXPECT_TRUE(fs::exists(Path("top/d")));
}

TEST_F(Walkers, DelDirTreeStopsAtFirstFailure) {
  // /proc/self/fd cannot be emptied, even by root.
  std::string failed;
  DelDirTree("/proc/self/fdinfo", failed);
  EXPECT_NE(failed, "");
}

TEST_F(Walkers, DeleteFilesSkipsDotNamesDirectoriesAndDirectoryLinks) {
  Put(Path("t/.hidden.txt"), "h");
  fs::create_directory(Path("t/dir.txt"));
  EXPECT_EQ(DeleteFiles(Path("t/*.TXT")), 3);  // a.txt, B.TXT, link.txt
  EXPECT_TRUE(fs::exists(Path("t/.hidden.txt")));
  EXPECT_TRUE(fs::is_directory(Path("t/dir.txt")));
  EXPECT_TRUE(fs::is_symlink(Path("t/out.txt")));
  EXPECT_TRUE(fs::exists(Path("t/c.dat")));
  EXPECT_TRUE(fs::exists(Path("t/sub/d.txt")));
  EXPECT_EQ(DeleteFiles(Path("t/")), 0);
}

TEST_F(TempDirTest, RecycleBinFollowsTheFreedesktopTrashLayout) {
  ScopedEnv data("XDG_DATA_HOME", Path("data"));
  fs::create_directories(Path("work"));
  Put(Path("work/my file%.txt"), "1");
  Put(Path("work/b.txt"), "2");
  Put(Path("work/.x.txt"), "3");
  EXPECT_EQ(MoveToRecycleBin(Path("work/*.txt")), 2);
  EXPECT_FALSE(fs::exists(Path("work/b.txt")));
  EXPECT_TRUE(fs::exists(Path("work/.x.txt")));
  EXPECT_EQ(Slurp(Path("data/Trash/files/my file%.txt")), "1");
  const std::string info = Slurp(Path("data/Trash/info/my file%.txt.trashinfo"));
  char* real = realpath(dir_.c_str(), nullptr);
  const std::string expected =
      "[Trash Info]\nPath=" + std::string(real) + "/work/my%20file%25.txt\n";
  free(real);
  EXPECT_EQ(info.substr(0, expected.size()), expected);
  const std::string date = info.substr(expected.size());
  ASSERT_EQ(date.size(), std::string("DeletionDate=2024-01-01T00:00:00\n").size()) << info;
  EXPECT_EQ(date.substr(0, 13), "DeletionDate=");
  EXPECT_EQ(date[23], 'T');

  // The same name again gets a free one.
  Put(Path("work/b.txt"), "again");
  EXPECT_EQ(MoveToRecycleBin(Path("work/b.txt")), 1);
  EXPECT_EQ(Slurp(Path("data/Trash/files/b.2.txt")), "again");
  EXPECT_TRUE(fs::exists(Path("data/Trash/info/b.2.txt.trashinfo")));
  EXPECT_EQ(MoveToRecycleBin(Path("work/none*")), 0);
}

TEST_F(TempDirTest, RecycleBinOnAnotherFileSystemUsesItsOwnTrash) {
  // /dev/shm is a file system of its own on Linux.
  struct stat shm, here;
  if (stat("/dev/shm", &shm) != 0 || stat(dir_.c_str(), &here) != 0 || shm.st_dev == here.st_dev ||
      access("/dev/shm", W_OK) != 0)
    GTEST_SKIP() << "no separate writable /dev/shm";
  ScopedEnv data("XDG_DATA_HOME", Path("data"));
  std::string tmpl = "/dev/shm/tkz_trash_XXXXXX";
  ASSERT_NE(mkdtemp(tmpl.data()), nullptr);
  const std::string trash = "/dev/shm/.Trash-" + std::to_string(getuid());
  const bool trashExisted = fs::exists(trash);
  const std::string sub = tmpl.substr(std::string("/dev/shm/").size());
  Put(tmpl + "/f.txt", "shm");

  EXPECT_EQ(MoveToRecycleBin(tmpl + "/f.txt"), 1);
  std::string info;
  for (const auto& e : fs::directory_iterator(trash + "/info")) {
    const std::string text = Slurp(e.path());
    if (text.find("Path=" + sub + "/f.txt\n") != std::string::npos) info = e.path();
  }
  ASSERT_NE(info, "") << "no info file with the relative path";
  const std::string moved = trash + "/files/" + fs::path(info).stem().string();
  EXPECT_EQ(Slurp(moved), "shm");
  EXPECT_FALSE(fs::exists(Path("data/Trash/files/f.txt")));
  EXPECT_EQ(fs::status(trash).permissions() & fs::perms::all, fs::perms::owner_all);

  fs::remove(moved);
  fs::remove(info);
  fs::remove_all(tmpl);
  if (!trashExisted) fs::remove_all(trash);
}

TEST_F(TempDirTest, FolderQueries) {
  Put(Path("f"), std::string(12345, 'x'));
  EXPECT_EQ(GetFileSize(Path("f")), 12345);
  EXPECT_EQ(GetFileSize(Path("missing")), -1);
  EXPECT_EQ(GetFileSize(dir_), 0);
  EXPECT_TRUE(DirExists(dir_));
  EXPECT_TRUE(DirExists(dir_ + "/"));
  EXPECT_FALSE(DirExists(Path("f")));
  EXPECT_FALSE(DirExists(""));
  fs::create_directory(Path("e"));
  EXPECT_TRUE(DirEmpty(Path("e")));
  EXPECT_FALSE(DirEmpty(dir_));
  EXPECT_TRUE(DirEmpty(Path("missing")));
  EXPECT_FALSE(DirIsReadOnly(dir_));
  EXPECT_EQ(CountFiles(Path("*"), false), 1);  // the probe is gone
  // An existing file of the probe's name is neither used nor removed.
  Put(Path("$%$LO%$.$$$"), "mine");
  EXPECT_FALSE(DirIsReadOnly(dir_));
  EXPECT_EQ(Slurp(Path("$%$LO%$.$$$")), "mine");
  EXPECT_TRUE(DirIsReadOnly("/proc"));
  EXPECT_TRUE(DirIsReadOnly(Path("missing")));
}

TEST(FilesysDrives, RootIsDriveC) {
  EXPECT_EQ(DriveRootDir(2), "/");
  EXPECT_EQ(DriveRootDir(0), "");
  EXPECT_EQ(DriveRootDir(26), "");
  TStringList list;
  list.Add("old");
  BuildDriveList(&list);
  ASSERT_GE(list.Count(), 1);
  EXPECT_EQ(list.Strings(0), "C:");
  for (int i = 0; i < list.Count(); ++i) {
    const int drive = list.Strings(i)[0] - 'A';
    EXPECT_NE(DriveRootDir(static_cast<uint8_t>(drive)), "");
    EXPECT_GE(GetDiskDriveType(static_cast<uint8_t>(drive)), kDriveRemovable);
  }
  EXPECT_EQ(GetDiskDriveType(0), kDriveNoRootDir);
  EXPECT_EQ(GetDiskDriveType(26), 0);
  EXPECT_GT(DiskFreeExtended(2), 0);
  EXPECT_EQ(DiskFreeExtended(0), -1);
  EXPECT_TRUE(DiskIsReadOnly(0));
}

TEST(FilesysSystem, DirectoriesAndEnvironment) {
  {
    ScopedEnv tmp("TMPDIR", std::string("/usr//"));
    EXPECT_EQ(GetTempDir(), "/usr");
  }
  {
    ScopedEnv tmp("TMPDIR", std::string("/no/such/dir"));
    EXPECT_EQ(GetTempDir(), "/tmp");
  }
  EXPECT_EQ(GetWindowsDir(), "/etc");
  EXPECT_EQ(GetSystemDir(), "/usr/lib");

  ScopedEnv a("TKZ_Test_Var", std::string("mixed"));
  EXPECT_EQ(GetEnviroVar("tkz_test_var"), "mixed");
  ScopedEnv b("tkz_test_var", std::string("lower"));
  EXPECT_EQ(GetEnviroVar("tkz_test_var"), "lower");  // exact match first
  EXPECT_EQ(GetEnviroVar("TKZ_Test_Var"), "mixed");
  EXPECT_EQ(GetEnviroVar("TKZ_NO_SUCH_VAR_X"), "");
  EXPECT_EQ(GetEnviroVar(""), "");
}

// A tiny MIME database and application set in private XDG folders.
class ProgAssoc : public TempDirTest {
 protected:
  void SetUp() override {
    TempDirTest::SetUp();
    fs::create_directories(Path("home/mime"));
    fs::create_directories(Path("sys/mime"));
    fs::create_directories(Path("sys/applications"));
    fs::create_directories(Path("config"));
    Put(Path("sys/mime/globs2"),
        "# comment\n50:text/plain:*.txt\n60:text/x-log:*.log\n40:text/plain:*.log\n"
        "50:image/x-special:*.Spc:cs\n50:application/x-orphan:*.orph\n");
    Put(Path("home/mime/globs"), "text/x-mine:*.mine\n");
    Put(Path("sys/applications/editor.desktop"),
        "[Desktop Entry]\nName=Editor\nExec=editor\\s2 %f\n[Desktop Action x]\nExec=wrong\n");
    Put(Path("sys/applications/viewer.desktop"), "[Desktop Entry]\nExec=viewer %U\n");
    Put(Path("sys/applications/hidden.desktop"), "[Desktop Entry]\nExec=hidden\nHidden=true\n");
    Put(Path("config/mimeapps.list"),
        "[Default Applications]\ntext/plain=missing.desktop;editor.desktop;\n"
        "text/x-log=hidden.desktop\n[Added Associations]\ntext/x-mine=viewer.desktop\n");
    Put(Path("sys/applications/mimeinfo.cache"),
        "[MIME Cache]\ntext/x-log=viewer.desktop;\nimage/x-special=viewer.desktop;\n");
  }
  ScopedEnv data_home_{"XDG_DATA_HOME", std::nullopt};
  ScopedEnv data_dirs_{"XDG_DATA_DIRS", std::nullopt};
  ScopedEnv config_home_{"XDG_CONFIG_HOME", std::nullopt};
  ScopedEnv config_dirs_{"XDG_CONFIG_DIRS", std::nullopt};
  ScopedEnv desktop_{"XDG_CURRENT_DESKTOP", std::nullopt};
};

TEST_F(ProgAssoc, FindsTheDefaultApplicationsCommand) {
  setenv("XDG_DATA_HOME", Path("home").c_str(), 1);
  setenv("XDG_DATA_DIRS", Path("sys").c_str(), 1);
  setenv("XDG_CONFIG_HOME", Path("config").c_str(), 1);
  setenv("XDG_CONFIG_DIRS", Path("none").c_str(), 1);
  // Default application; the first installed one of the list.
  EXPECT_EQ(GetProgAssoc("txt"), "editor 2 %f");
  EXPECT_EQ(GetProgAssoc("TXT"), "editor 2 %f");
  EXPECT_EQ(GetProgAssoc(".txt"), "editor 2 %f");
  // The heavier glob wins; a hidden default falls back to the cache.
  EXPECT_EQ(GetProgAssoc("log"), "viewer %U");
  // globs without weights, and an added association.
  EXPECT_EQ(GetProgAssoc("mine"), "viewer %U");
  // A case-sensitive glob.
  EXPECT_EQ(GetProgAssoc("Spc"), "viewer %U");
  EXPECT_EQ(GetProgAssoc("spc"), "");
  // A desktop file ID whose dashes stand for folders.
  fs::create_directories(Path("sys/applications/kde/tools"));
  Put(Path("sys/applications/kde/tools/kate.desktop"), "[Desktop Entry]\nExec=kate %U\n");
  Put(Path("config/mimeapps.list"), "[Default Applications]\ntext/plain=kde-tools-kate.desktop\n");
  EXPECT_EQ(GetProgAssoc("txt"), "kate %U");
  // A type without an application, an unknown extension, nonsense.
  EXPECT_EQ(GetProgAssoc("orph"), "");
  EXPECT_EQ(GetProgAssoc("nothing"), "");
  EXPECT_EQ(GetProgAssoc(""), "");
  EXPECT_EQ(GetProgAssoc("a/b"), "");
}

TEST_F(ProgAssoc, DesktopSpecificListComesFirst) {
  setenv("XDG_DATA_HOME", Path("home").c_str(), 1);
  setenv("XDG_DATA_DIRS", Path("sys").c_str(), 1);
  setenv("XDG_CONFIG_HOME", Path("config").c_str(), 1);
  setenv("XDG_CURRENT_DESKTOP", "Foo:GNOME", 1);
  Put(Path("config/gnome-mimeapps.list"), "[Default Applications]\ntext/plain=viewer.desktop\n");
  EXPECT_EQ(GetProgAssoc("txt"), "viewer %U");
}

}  // namespace
}  // namespace tkz
