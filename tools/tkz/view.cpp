// tkz view FILE: starts the viewer that shows FILE, chosen by what the file
// holds: tkz-mapviewer for a map calibration file, an atlas definition or a
// geographic database (told apart as the map viewer tells them apart);
// tkz-molviewer for a molfile or an SD file.
//
// The viewer is looked for beside tkz (an installed tree), then where the
// build tree puts it (examples/<name>/ next to tools/tkz/), then on PATH. It
// replaces the tkz process, so its exit status is the command's.
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "tools/common/map_files.h"
#include "tools/tkz/commands.h"

namespace tkz::tool {

namespace {

namespace fs = std::filesystem;

enum class Viewer { None, Map, Molecule };

struct ViewOptions {
  std::string File;
  std::string Screenshot;
  std::string Size;
  std::string Id;
  std::string Landmarks;
  std::string Query;
};

// The first lines of text, split at LF, CR LF or CR.
std::vector<std::string_view> Lines(std::string_view text, size_t most) {
  std::vector<std::string_view> lines;
  while (!text.empty() && lines.size() < most) {
    const size_t end = text.find_first_of("\r\n");
    lines.push_back(text.substr(0, end));
    if (end == std::string_view::npos) break;
    const size_t next =
        text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n' ? end + 2 : end + 1;
    text.remove_prefix(next);
  }
  return lines;
}

// A field of a molfile's counts line: up to three characters holding a
// number, right-aligned (blanks before digits only).
bool CountField(std::string_view line, size_t pos) {
  if (line.size() < pos + 3) return false;
  std::string_view f = line.substr(pos, 3);
  while (!f.empty() && f.front() == ' ') f.remove_prefix(1);
  if (f.empty()) return false;
  for (char c : f) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

// A molfile (the first record of an SD file): a header block of three lines
// and a counts line with atom and bond counts, or the V3000 mark.
bool LooksLikeMolfile(std::string_view head) {
  const std::vector<std::string_view> lines = Lines(head, 4);
  if (lines.size() < 4) return false;
  const std::string_view counts = lines[3];
  if (counts.find("V3000") != std::string_view::npos) return true;
  return CountField(counts, 0) && CountField(counts, 3);
}

// What FILE holds; why says what it is not.
Viewer ViewerFor(const std::string& file, std::string& why) {
  if (DetectMapFile(file) != TMapFileKind::None) return Viewer::Map;
  std::error_code ec;
  if (fs::is_directory(file, ec)) {
    why = "\"" + file + "\" is a folder";
    return Viewer::None;
  }
  if (!fs::exists(file, ec)) {
    why = "cannot open \"" + file + "\": no such file";
    return Viewer::None;
  }
  std::ifstream in(file, std::ios::binary);
  std::string head(64 * 1024, '\0');
  in.read(head.data(), static_cast<std::streamsize>(head.size()));
  if (!in && !in.eof()) {
    why = "cannot read \"" + file + "\": " + std::strerror(errno);
    return Viewer::None;
  }
  head.resize(static_cast<size_t>(in.gcount()));
  if (LooksLikeMolfile(head)) return Viewer::Molecule;
  why = "\"" + file +
        "\" is not a map calibration file, an atlas definition, a geographic database, a molfile "
        "or an SD file";
  return Viewer::None;
}

// Where the program named name is: beside this one, in the build tree's
// examples folder, or "" to look on PATH.
std::string FindViewer(const std::string& name) {
  std::error_code ec;
  const fs::path self = fs::read_symlink("/proc/self/exe", ec);
  if (!ec) {
    const fs::path dir = self.parent_path();
    const std::string stem = name.substr(name.find('-') + 1);
    for (const fs::path& candidate :
         {dir / name, dir.parent_path().parent_path() / "examples" / stem / name}) {
      if (access(candidate.c_str(), X_OK) == 0) return candidate.string();
    }
  }
  return "";
}

int RunView(const ViewOptions& o) {
  if (o.File == "-") {
    std::cerr << "tkz view: FILE must be a file, not standard input: the viewers read it on "
                 "demand\n";
    return 2;
  }
  std::string why;
  const Viewer kind = ViewerFor(o.File, why);
  if (kind == Viewer::None) throw std::runtime_error("view: " + why);
  const bool map = kind == Viewer::Map;
  if (map && !o.Query.empty()) {
    std::cerr << "tkz view: --query applies to molfiles and SD files\n";
    return 2;
  }
  if (!map && (!o.Id.empty() || !o.Landmarks.empty())) {
    std::cerr << "tkz view: --id and --landmarks apply to maps\n";
    return 2;
  }
  const std::string name = map ? "tkz-mapviewer" : "tkz-molviewer";
  std::vector<std::string> args{name};
  const auto pass = [&args](const char* option, const std::string& value) {
    if (value.empty()) return;
    args.emplace_back(option);
    args.push_back(value);
  };
  pass("--screenshot", o.Screenshot);
  pass("--size", o.Size);
  pass("--id", o.Id);
  pass("--landmarks", o.Landmarks);
  pass("--query", o.Query);
  args.push_back(o.File);
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  std::cout.flush();
  std::cerr.flush();
  const std::string path = FindViewer(name);
  if (!path.empty()) {
    execv(path.c_str(), argv.data());
  } else {
    execvp(name.c_str(), argv.data());
  }
  throw std::runtime_error("view: cannot start " + name + ": " + std::strerror(errno));
}

}  // namespace

void AddViewCommands(CLI::App& app) {
  auto o = std::make_shared<ViewOptions>();
  CLI::App* cmd = app.add_subcommand(
      "view",
      "FILE: shows a map calibration file, an atlas definition or a geographic database in the map "
      "viewer, a molfile or an SD file in the molecule viewer (chosen by the file's content)");
  cmd->add_option("FILE", o->File,
                  "The file to show (a database: its base name or any of its files)")
      ->required();
  cmd->add_option("--screenshot", o->Screenshot,
                  "Write the viewer's first picture to this PNG file instead of opening a window");
  cmd->add_option("--size", o->Size, "Window size WxH (default 1000x700)");
  cmd->add_option("--id", o->Id, "Maps: the calibration to show");
  cmd->add_option("--landmarks", o->Landmarks, "Maps: a landmark file to show and save to");
  cmd->add_option("--query", o->Query, "Molecules: a query molfile searched for at once");
  RunsWhenChosen(cmd, [o] { return RunView(*o); });
}

}  // namespace tkz::tool
