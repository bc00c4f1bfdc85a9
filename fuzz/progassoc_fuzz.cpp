// Random text as a MIME glob file, a mimeapps.list and a desktop entry in a
// private XDG tree (the input is cut into the three at "\n--\n"), looked up by
// GetProgAssoc: no crash, no sanitizer report, and an answer only when the
// desktop entry has an Exec line.
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "core/sys/filesys.h"

namespace {

class XdgTree {
 public:
  XdgTree() {
    std::string tmpl = "/tmp/tkz_progassoc_fuzz_XXXXXX";
    if (!mkdtemp(tmpl.data())) std::abort();
    dir_ = tmpl;
    std::filesystem::create_directories(dir_ + "/data/mime");
    std::filesystem::create_directories(dir_ + "/data/applications");
    std::filesystem::create_directories(dir_ + "/config");
    setenv("XDG_DATA_HOME", (dir_ + "/data").c_str(), 1);
    setenv("XDG_DATA_DIRS", (dir_ + "/none").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (dir_ + "/config").c_str(), 1);
    setenv("XDG_CONFIG_DIRS", (dir_ + "/none").c_str(), 1);
    unsetenv("XDG_CURRENT_DESKTOP");
  }
  ~XdgTree() { std::filesystem::remove_all(dir_); }

  void Write(const std::string& rel, const std::string& text) const {
    std::ofstream(dir_ + rel, std::ios::binary | std::ios::trunc) << text;
  }

 private:
  std::string dir_;
};

std::string Part(const std::string& s, size_t& from) {
  const size_t cut = s.find("\n--\n", from);
  const std::string part =
      s.substr(from, cut == std::string::npos ? std::string::npos : cut - from);
  from = cut == std::string::npos ? s.size() : cut + 4;
  return part;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const XdgTree tree;
  const std::string input(reinterpret_cast<const char*>(data), size);
  size_t from = 0;
  const std::string globs = Part(input, from);
  const std::string apps = Part(input, from);
  const std::string desktop = Part(input, from);
  tree.Write("/data/mime/globs2", globs);
  tree.Write("/config/mimeapps.list", apps);
  tree.Write("/data/applications/app.desktop", desktop);
  const std::string cmd = tkz::GetProgAssoc("txt");
  if (!cmd.empty() && desktop.find("Exec") == std::string::npos) std::abort();
  tkz::GetProgAssoc(globs.substr(0, 8));
  return 0;
}
