// The file-services part of the tour: copying with progress, tree walks,
// the text-file scanners, passwords and drives.
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "core/platform/codepage.h"
#include "core/platform/stringlist.h"
#include "core/sys/filesys.h"
#include "core/text/stringl.h"
#include "tools/tkz/commands.h"

namespace tkz::tool {

nlohmann::json DemoFilesys(std::ostream& out, const std::string& dir) {
  namespace fs = std::filesystem;
  nlohmann::json j;
  DemoHeading(out, "Files and folders");
  const std::string root = dir + "/filesys";
  fs::remove_all(root);
  fs::create_directories(root + "/src/sub");
  std::ofstream(root + "/src/data.bin", std::ios::binary) << std::string(20000, 'x');
  std::ofstream(root + "/src/notes.txt", std::ios::binary) << "\xEF\xBB\xBFUTF-8 text\n";
  std::ofstream(root + "/src/sub/header.asc", std::ios::binary)
      << "Demo series\n3 rows\n2\nTRUE false TRUE false\n";

  std::vector<int64_t> steps;
  FileCopyFeedBk(root + "/src/data.bin", root + "/copy.bin", true,
                 [&](int64_t done, int64_t) { steps.push_back(done); });
  std::string list;
  for (int64_t s : steps) {
    if (!list.empty()) list += ' ';
    list += std::to_string(s);
  }
  out << "  FileCopyFeedBk of 20000 bytes reports: " << list << "\n";
  j["copy_progress"] = steps;

  int entries = 0;
  const int rc = CopyFileTree(root + "/src", root + "/dst", true,
                              [&](int64_t, int64_t, const std::string&, int n) { entries = n; });
  const int txt = CountFiles(root + "/dst/*.*", true);
  out << "  CopyFileTree -> " << rc << ", " << entries << " files; CountFiles finds " << txt
      << "\n";
  j["tree_copy"] = {{"result", rc}, {"files", entries}, {"counted", txt}};

  const bool utf8 = CheckTextFileType(root + "/dst/notes.txt") == tftUTF8;
  std::string title;
  int n1 = 0, n2 = 0;
  bool f1, f2, f3, f4;
  const int header = ReadHeaderOfASC(root + "/dst/sub/header.asc", title, n1, n2, f1, f2, f3, f4);
  out << "  notes.txt is UTF-8: " << (utf8 ? "yes" : "no") << "; header.asc -> " << header << " \""
      << title << "\" " << n1 << " x " << n2 << "\n";
  j["text"] = {
      {"utf8", utf8}, {"header", header}, {"title", AnsiToUtf8(title)}, {"n1", n1}, {"n2", n2}};

  RandSeed(2024);
  const std::string pw = InventPassword(9);
  const std::string strong = InventPassword(9, true, true);
  out << "  InventPassword(9) -> " << pw << ", with case and specials -> " << strong << "\n";
  j["passwords"] = {pw, strong};

  std::string failed;
  DelDirTree(root + "/dst", failed);
  out << "  DelDirTree -> " << (failed.empty() ? "done" : "stopped at " + failed) << "\n";
  j["deleted"] = failed.empty();

  TStringList drives;
  BuildDriveList(&drives);
  std::string names;
  for (int i = 0; i < drives.Count(); ++i) names += (i ? " " : "") + drives.Strings(i);
  out << "  Drives: " << names << " (C: is " << DriveRootDir(2) << ")\n";
  j["drives"] = names;
  return j;
}

}  // namespace tkz::tool
