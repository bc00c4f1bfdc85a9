#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "core/sys/filesys.h"

namespace fs = std::filesystem;

namespace tkz {
namespace {

TEST(FilesysNames, StripExtensionKeepsDirectoryPart) {
  EXPECT_EQ(StripExtension("C:\\x\\data.tar.gz"), "C:\\x\\data.tar");
  EXPECT_EQ(StripExtension("C:\\a.b\\file"), "C:\\a.b\\file");
  EXPECT_EQ(StripExtension("C:\\dir.old\\readme"), "C:\\dir.old\\readme");
  EXPECT_EQ(StripExtension("archive"), "archive");
  EXPECT_EQ(StripExtension("C:x.y"), "C:x");
  EXPECT_EQ(StripExtension("report."), "report");
  EXPECT_EQ(StripExtension("/data/maps.v2/world"), "/data/maps.v2/world");
  EXPECT_EQ(StripExtension("/data/maps.v2/world.jpg"), "/data/maps.v2/world");
  EXPECT_EQ(StripExtension(""), "");
}

TEST(FilesysNames, StripPathGivesNamePart) {
  EXPECT_EQ(StripPath("C:\\x\\y.txt"), "y.txt");
  EXPECT_EQ(StripPath("C:y.txt"), "y.txt");
  EXPECT_EQ(StripPath("/data/maps.v2/world"), "world");
  EXPECT_EQ(StripPath("plain"), "plain");
  EXPECT_EQ(StripPath("C:\\x\\"), "");
  EXPECT_EQ(StripPath(""), "");
}

TEST(FilesysNames, InsertBeforeFirstDotOfName) {
  EXPECT_EQ(InsertBeforeFileExt("_old", "C:\\d\\data.tar.gz"), "C:\\d\\data_old.tar.gz");
  EXPECT_EQ(InsertBeforeFileExt("_old", "C:\\d.x\\data"), "C:\\d.x\\data_old");
  EXPECT_EQ(InsertBeforeFileExt("_2", "/srv/maps.v2/world"), "/srv/maps.v2/world_2");
  EXPECT_EQ(InsertBeforeFileExt("_2", "/srv/maps.v2/world.jpg"), "/srv/maps.v2/world_2.jpg");
  EXPECT_EQ(InsertBeforeFileExt("x", ""), "x");
}

TEST(FilesysNames, EnsureDefaultFileExt) {
  EXPECT_EQ(EnsureDefaultFileExt("report", "txt"), "report.txt");
  EXPECT_EQ(EnsureDefaultFileExt("report", ".txt"), "report.txt");
  EXPECT_EQ(EnsureDefaultFileExt("report.", "txt"), "report.");
  EXPECT_EQ(EnsureDefaultFileExt("report.csv", "txt"), "report.csv");
  EXPECT_EQ(EnsureDefaultFileExt("x", ""), "x");
  // A dot in a directory is no extension of the file.
  EXPECT_EQ(EnsureDefaultFileExt("/home/a.b/report", "txt"), "/home/a.b/report.txt");
  EXPECT_EQ(EnsureDefaultFileExt("C:\\a.b\\report", "txt"), "C:\\a.b\\report.txt");
}

TEST(FilesysDrives, ExtractDrive) {
  EXPECT_EQ(ExtractDrive("d:\\x"), 3);
  EXPECT_EQ(ExtractDrive("A:"), 0);
  EXPECT_EQ(ExtractDrive("z:file"), 25);
  EXPECT_EQ(ExtractDrive("\\\\server\\x"), -1);
  EXPECT_EQ(ExtractDrive("1:"), 0);
  EXPECT_EQ(ExtractDrive("\xE9:"), 0);  // accented letter is no drive letter
  EXPECT_EQ(ExtractDrive("/usr"), -1);
  EXPECT_EQ(ExtractDrive("c"), -1);
  EXPECT_EQ(ExtractDrive(""), -1);
}

TEST(FilesysDrives, IsRootDir) {
  EXPECT_TRUE(IsRootDir("c:\\"));
  EXPECT_TRUE(IsRootDir(" D:\\ "));
  EXPECT_TRUE(IsRootDir("/"));
  EXPECT_TRUE(IsRootDir("  /  "));
  EXPECT_FALSE(IsRootDir("c:"));
  EXPECT_FALSE(IsRootDir("c:\\x"));
  EXPECT_FALSE(IsRootDir("/x"));
  EXPECT_FALSE(IsRootDir("//"));
  EXPECT_FALSE(IsRootDir(""));
  EXPECT_FALSE(IsRootDir("   "));
}

TEST(FilesysDirs, ParentDir) {
  EXPECT_EQ(ParentDir("C:\\a\\b\\"), "C:\\a\\");
  EXPECT_EQ(ParentDir("C:\\a\\b"), "C:\\a\\");
  EXPECT_EQ(ParentDir("C:\\"), "");
  EXPECT_EQ(ParentDir("abc"), "");
  EXPECT_EQ(ParentDir("/usr/lib/"), "/usr/");
  EXPECT_EQ(ParentDir("/usr"), "/");
  EXPECT_EQ(ParentDir("/"), "");
  EXPECT_EQ(ParentDir("a/b\\c"), "a/b\\");
  EXPECT_EQ(ParentDir("C:\\a\\\\"), "C:\\a\\");  // only one trailing separator is ignored
  EXPECT_EQ(ParentDir(""), "");
}

TEST(FilesysAbridge, ReplacesComponentsUntilShortEnough) {
  const std::string p = "C:\\Program Files\\Tools\\app\\file.txt";
  EXPECT_EQ(AbridgeFilePath(p, 20), "C:\\..\\..\\..\\file.txt");
  EXPECT_EQ(AbridgeFilePath(p, 23), "C:\\..\\..\\app\\file.txt");
  EXPECT_EQ(AbridgeFilePath(p, 36), p);
  // Short of the limit by one character still counts as too long.
  EXPECT_EQ(AbridgeFilePath(p, 35), "C:\\..\\Tools\\app\\file.txt");
  EXPECT_EQ(AbridgeFilePath("/usr/share/doc/pkg/README", 10), "/../../../../README");
}

TEST(FilesysAbridge, KeepsWhatItCannotShorten) {
  for (int max : {-5, 0, 1, 100}) {
    EXPECT_EQ(AbridgeFilePath("no-separator-at-all.txt", max), "no-separator-at-all.txt");
    EXPECT_EQ(AbridgeFilePath("", max), "");
  }
  // The last component is never replaced, even when it ends in a separator.
  EXPECT_EQ(AbridgeFilePath("C:\\verylongname", 3), "C:\\verylongname");
  EXPECT_EQ(AbridgeFilePath("C:\\verylongname\\", 3), "C:\\verylongname\\");
  EXPECT_EQ(AbridgeFilePath("C:\\dir\\x\\", 3), "C:\\..\\x\\");
  // A backslash in the path makes forward slashes ordinary characters.
  EXPECT_EQ(AbridgeFilePath("C:\\a/b/c\\name", 5), "C:\\..\\name");
  // Many components of a long path: finishes and keeps the last.
  std::string big;
  for (int i = 0; i < 20000; ++i) big += "/dir";
  big += "/end";
  const std::string r = AbridgeFilePath(big, 1);
  EXPECT_EQ(r.size(), 1 + 3 * 20000 + 3u);
  EXPECT_EQ(r.substr(r.size() - 4), "/end");
}

TEST(FilesysValidity, IsValidFileName) {
  EXPECT_TRUE(IsValidFileName("say \"hi\".txt"));
  EXPECT_FALSE(IsValidFileName("a?b"));
  for (char c : std::string("*/:<>?\\|"))
    EXPECT_FALSE(IsValidFileName(std::string("x") + c + "y")) << c;
  EXPECT_FALSE(IsValidFileName("."));
  EXPECT_FALSE(IsValidFileName(".."));
  EXPECT_TRUE(IsValidFileName("..."));
  EXPECT_TRUE(IsValidFileName(".hidden"));
  EXPECT_TRUE(IsValidFileName(""));
  EXPECT_TRUE(IsValidFileName("caf\xE9"));
}

TEST(FilesysValidity, ReplaceInvalidFileNameChars) {
  EXPECT_EQ(ReplaceInvalidFileNameChars("a/b:c", '_'), "a_b_c");
  EXPECT_EQ(ReplaceInvalidFileNameChars("*/:<>?\\|\"", '-'), "--------\"");
  EXPECT_EQ(ReplaceInvalidFileNameChars("..", '_'), "__");
  EXPECT_EQ(ReplaceInvalidFileNameChars(".", '_'), "_");
  EXPECT_EQ(ReplaceInvalidFileNameChars("...", '_'), "...");
  EXPECT_EQ(ReplaceInvalidFileNameChars("", '_'), "");
  for (const std::string s : {"a?b", ".", "..", "c:\\x", "ok.txt"})
    EXPECT_TRUE(IsValidFileName(ReplaceInvalidFileNameChars(s, '_'))) << s;
}

TEST(FilesysShortNames, CharacterRule) {
  EXPECT_TRUE(IsFN83CompliantPath("C:\\DOCS\\A1!#$%&'()-.^_`{}~@.TXT"));
  EXPECT_TRUE(IsFN83CompliantPath("/usr/lib"));
  EXPECT_TRUE(IsFN83CompliantPath(""));
  for (char c : std::string(" \"*+,;<=>?[]|\x7F\x1F\t"))
    EXPECT_FALSE(IsFN83CompliantPath(std::string("A") + c)) << int(c);
  EXPECT_FALSE(IsFN83CompliantPath(std::string("A\0B", 3)));
  for (int c = 128; c < 256; ++c)
    EXPECT_FALSE(IsFN83CompliantPath(std::string(1, static_cast<char>(c)))) << c;
}

TEST(FilesysShortNames, IsDOS83Path) {
  EXPECT_TRUE(IsDOS83Path("C:\\DOCS\\README.TXT"));
  EXPECT_FALSE(IsDOS83Path("C:\\DOCUMENTS\\A.TXT"));
  EXPECT_TRUE(IsDOS83Path(""));
  EXPECT_TRUE(IsDOS83Path("ABCDEFGH.TXT"));
  EXPECT_FALSE(IsDOS83Path("ABCDEFGHI.TXT"));
  EXPECT_TRUE(IsDOS83Path("ABCDEFGHI"));  // a last piece may have 9 characters
  EXPECT_FALSE(IsDOS83Path("ABCDEFGHIJ"));
  EXPECT_TRUE(IsDOS83Path("C:\\A.B\\X"));  // pieces end at separators first
  EXPECT_TRUE(IsDOS83Path("/DOCS/README.TXT"));
  EXPECT_FALSE(IsDOS83Path("/DOCUMENTS/A.TXT"));
  EXPECT_FALSE(IsDOS83Path("C:\\MY DOCS\\A.TXT"));  // blank is no short-name character
}

// ------------------------------------------------------ file-system functions

// A fresh directory under the system's temporary directory, removed (with
// everything in it) at the end of the test.
class FilesysTree : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string tmpl = (fs::temp_directory_path() / "tkz-filesys-XXXXXX").string();
    ASSERT_NE(mkdtemp(tmpl.data()), nullptr);
    root_ = fs::canonical(tmpl).string();
  }
  void TearDown() override {
    std::error_code ec;
    fs::remove_all(root_, ec);
  }
  std::string Path(const std::string& rel) const { return root_ + "/" + rel; }
  void Write(const std::string& rel, const std::string& text) const {
    std::ofstream(Path(rel), std::ios::binary) << text;
  }
  std::string Read(const std::string& rel) const {
    std::ifstream in(Path(rel), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  std::vector<std::string> Names(const std::string& rel) const {
    std::vector<std::string> r;
    for (const auto& e : fs::directory_iterator(Path(rel))) r.push_back(e.path().filename());
    std::sort(r.begin(), r.end());
    return r;
  }
  std::string root_;
};

TEST_F(FilesysTree, DOSToWinPathTakesSpellingFromDisk) {
  fs::create_directories(Path("Maps/Europe"));
  Write("Maps/Europe/Alps.JPG", "x");
  EXPECT_EQ(DOSToWinPath(Path("Maps/Europe/Alps.JPG")), Path("Maps/Europe/Alps.JPG"));
  EXPECT_EQ(DOSToWinPath(Path("maps/EUROPE/alps.jpg")), Path("Maps/Europe/Alps.JPG"));
  EXPECT_EQ(DOSToWinPath(Path("maps/europe/")), Path("Maps/Europe/"));
  EXPECT_EQ(DOSToWinPath(Path("maps/./x/../europe//ALPS.jpg")), Path("Maps/Europe/Alps.JPG"));
  // Windows-1252 case folding: e-acute and E-acute are one letter.
  Write("Caf\xC9.txt", "x");
  EXPECT_EQ(DOSToWinPath(Path("caf\xE9.TXT")), Path("Caf\xC9.txt"));
}

TEST_F(FilesysTree, DOSToWinPathPrefersExactThenFirstByteOrder) {
  fs::create_directories(Path("dir"));
  Write("dir/Data", "1");
  Write("dir/DATA", "2");
  EXPECT_EQ(DOSToWinPath(Path("dir/DATA")), Path("dir/DATA"));
  EXPECT_EQ(DOSToWinPath(Path("dir/Data")), Path("dir/Data"));
  EXPECT_EQ(DOSToWinPath(Path("dir/data")), Path("dir/DATA"));
}

TEST_F(FilesysTree, DOSToWinPathMissingOrOddInput) {
  fs::create_directories(Path("Real"));
  // Missing component: the expanded input, spelled as given.
  EXPECT_EQ(DOSToWinPath(Path("real/Missing/x")), Path("real/Missing/x"));
  EXPECT_EQ(DOSToWinPath(Path("real/../real/gone")), Path("real/gone"));
  // Below a file there is nothing to find.
  Write("Real/f", "x");
  EXPECT_EQ(DOSToWinPath(Path("real/F/sub")), Path("real/F/sub"));
  EXPECT_EQ(DOSToWinPath(std::string("/x\0y", 4)), std::string("/x\0y", 4));
  EXPECT_EQ(DOSToWinPath(""), "");
  EXPECT_EQ(DOSToWinPath("C:\\Windows\\System"), "C:\\Windows\\System");
  EXPECT_EQ(DOSToWinPath("c:/tmp"), "c:/tmp");
  EXPECT_EQ(DOSToWinPath("/"), "/");
  EXPECT_EQ(DOSToWinPath("/.."), "/");
}

TEST_F(FilesysTree, DOSToWinPathExpandsRelativePaths) {
  fs::create_directories(Path("Sub/Deep"));
  const fs::path saved = fs::current_path();
  fs::current_path(root_);
  const std::string a = DOSToWinPath("sub/deep");
  const std::string b = DOSToWinPath("SUB/nothing");
  const std::string c = DOSToWinPath(".");
  fs::current_path(saved);
  EXPECT_EQ(a, Path("Sub/Deep"));
  EXPECT_EQ(b, Path("SUB/nothing"));
  EXPECT_EQ(c, root_);
}

TEST_F(FilesysTree, SetAllFilenameCaseRenamesNamesRecursively) {
  fs::create_directories(Path("Top/Sub.D/Inner"));
  Write("Top/Read Me.txt", "a");
  Write("Top/.Hidden", "b");
  Write("Top/Sub.D/Caf\xE9.Dat", "c");
  Write("Top/Sub.D/Inner/Deep.TXT", "d");
  SetAllFilenameCase(Path("Top/*"), true);
  EXPECT_EQ(Names("Top"), (std::vector<std::string>{".HIDDEN", "READ ME.TXT", "SUB.D"}));
  EXPECT_EQ(Names("Top/SUB.D"), (std::vector<std::string>{"CAF\xC9.DAT", "INNER"}));
  EXPECT_EQ(Names("Top/SUB.D/INNER"), std::vector<std::string>{"DEEP.TXT"});
  EXPECT_EQ(Read("Top/SUB.D/INNER/DEEP.TXT"), "d");
  SetAllFilenameCase(Path("Top/*.*"), false);
  EXPECT_EQ(Names("Top"), (std::vector<std::string>{".hidden", "read me.txt", "sub.d"}));
  EXPECT_EQ(Names("Top/sub.d"), (std::vector<std::string>{"caf\xE9.dat", "inner"}));
  EXPECT_EQ(Names("Top/sub.d/inner"), std::vector<std::string>{"deep.txt"});
  // The mask's own directory keeps its case on disk.
  EXPECT_TRUE(fs::is_directory(Path("Top")));
}

TEST_F(FilesysTree, SetAllFilenameCaseMaskSelectsEntries) {
  fs::create_directories(Path("d/Docs"));
  Write("d/A1.TXT", "");
  Write("d/B22.TXT", "");
  Write("d/Note.Doc", "");
  Write("d/Docs/Z.TXT", "");
  // "?" is one character; the mask ignores case; only matching
  // directories are searched, so d/Docs stays untouched.
  SetAllFilenameCase(Path("d/??.txt"), false);
  EXPECT_EQ(Names("d"), (std::vector<std::string>{"B22.TXT", "Docs", "Note.Doc", "a1.txt"}));
  SetAllFilenameCase(Path("d/*.TXT"), false);
  EXPECT_EQ(Names("d"), (std::vector<std::string>{"Docs", "Note.Doc", "a1.txt", "b22.txt"}));
  EXPECT_EQ(Names("d/Docs"), std::vector<std::string>{"Z.TXT"});
  SetAllFilenameCase(Path("d/"), true);  // empty name mask: nothing
  SetAllFilenameCase(Path("absent/*"), true);
  EXPECT_EQ(Names("d"), (std::vector<std::string>{"Docs", "Note.Doc", "a1.txt", "b22.txt"}));
}

TEST_F(FilesysTree, SetAllFilenameCaseNeverFollowsLinks) {
  fs::create_directories(Path("outside/Keep"));
  Write("outside/Keep/Mine.txt", "x");
  fs::create_directories(Path("tree"));
  fs::create_directory_symlink(Path("outside"), Path("tree/Link"));
  SetAllFilenameCase(Path("tree/*"), true);
  EXPECT_EQ(Names("tree"), std::vector<std::string>{"LINK"});
  EXPECT_TRUE(fs::is_symlink(Path("tree/LINK")));
  EXPECT_EQ(Names("outside"), std::vector<std::string>{"Keep"});
  EXPECT_EQ(Names("outside/Keep"), std::vector<std::string>{"Mine.txt"});
}

TEST_F(FilesysTree, SetAllFilenameCaseRefusesToOverwrite) {
  fs::create_directories(Path("c"));
  Write("c/data.txt", "lower");
  Write("c/DATA.TXT", "upper");
  EXPECT_THROW(SetAllFilenameCase(Path("c/*"), true), EInOutError);
  EXPECT_EQ(Read("c/data.txt"), "lower");
  EXPECT_EQ(Read("c/DATA.TXT"), "upper");
  // Two names that fold to one: the first is renamed, the second refused.
  fs::create_directories(Path("e"));
  Write("e/aB", "1");
  Write("e/ab", "2");
  try {
    SetAllFilenameCase(Path("e/*"), true);
    ADD_FAILURE() << "no error raised";
  } catch (const EInOutError& e) {
    EXPECT_EQ(e.ErrorCode, EEXIST);
    EXPECT_NE(std::string(e.what()).find("/e/ab\" to \"AB\""), std::string::npos) << e.what();
  }
  EXPECT_EQ(Names("e"), (std::vector<std::string>{"AB", "ab"}));
  EXPECT_EQ(Read("e/AB"), "1");
  EXPECT_EQ(Read("e/ab"), "2");
}

// Runs SetAllFilenameCase(mask, true) in a child process without the
// super-user's rights (so that permissions bind) and returns 1 when it
// raised EInOutError, 0 when it returned, 2 when it could not run.
int CaseChangeUnprivileged(const std::string& root, const std::string& mask) {
  const pid_t pid = fork();
  if (pid < 0) return 2;
  if (pid == 0) {
    if (geteuid() == 0) {
      const uid_t nobody = 65534;
      std::error_code ec;
      for (const auto& e : fs::recursive_directory_iterator(root, ec))
        if (lchown(e.path().c_str(), nobody, nobody) != 0) _exit(2);
      if (chown(root.c_str(), nobody, nobody) != 0 || setgid(nobody) != 0 || setuid(nobody) != 0)
        _exit(2);
    }
    try {
      SetAllFilenameCase(mask, true);
    } catch (const EInOutError&) {
      _exit(1);
    } catch (...) {
      _exit(3);
    }
    _exit(0);
  }
  int status = 0;
  if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return 2;
  return WEXITSTATUS(status);
}

TEST_F(FilesysTree, SetAllFilenameCaseReportsFailures) {
  // The directory may not be written: the rename fails.
  fs::create_directories(Path("ro"));
  Write("ro/File", "x");
  fs::permissions(Path("ro"), fs::perms::owner_read | fs::perms::owner_exec);
  EXPECT_EQ(CaseChangeUnprivileged(root_, Path("ro/*")), 1);
  fs::permissions(Path("ro"), fs::perms::owner_all);
  EXPECT_EQ(Names("ro"), std::vector<std::string>{"File"});
  // A matching subdirectory that cannot be read is not passed over silently.
  fs::create_directories(Path("rd/Locked"));
  Write("rd/Locked/inner", "x");
  fs::permissions(Path("rd/Locked"), fs::perms::none);
  EXPECT_EQ(CaseChangeUnprivileged(root_, Path("rd/*")), 1);
  fs::permissions(Path("rd/LOCKED"), fs::perms::owner_all);
  EXPECT_EQ(Names("rd/LOCKED"), std::vector<std::string>{"inner"});
}

}  // namespace
}  // namespace tkz
