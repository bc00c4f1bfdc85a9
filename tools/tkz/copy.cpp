// tkz copy: a file or a directory tree, with a progress bar on a terminal.
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cstdint>
#include <iostream>
#include <string>

#include "core/sys/filesys.h"
#include "tools/tkz/commands.h"

namespace tkz::tool {

namespace {

// Redraws one status line on the terminal, only when its text changes.
class ProgressBar {
 public:
  ProgressBar(std::ostream& err, bool enabled) : err_(err), enabled_(enabled) {}
  ~ProgressBar() {
    if (drawn_) err_ << "\n" << std::flush;
  }

  void Show(int64_t done, int64_t total, const std::string& file, int count) {
    if (!enabled_) return;
    // A source that grows while it is copied yields more than its size.
    const int percent =
        total > 0 ? static_cast<int>(std::clamp<int64_t>(done, 0, total) * 100 / total) : 100;
    constexpr int kWidth = 30;
    const int filled = percent * kWidth / 100;
    std::string line = "\r[" + std::string(filled, '#') + std::string(kWidth - filled, '.') + "] ";
    line += std::to_string(percent) + "%";
    if (count > 0) line += "  " + std::to_string(count) + " " + (count == 1 ? "file" : "files");
    if (!file.empty()) {
      const std::string name = file.substr(file.rfind('/') + 1);
      line += "  " + (name.size() > 40 ? name.substr(0, 37) + "..." : name);
    }
    if (line == last_) return;
    // Pad over what a longer previous line left on the terminal.
    const size_t len = line.size();
    if (last_.size() > len) line += std::string(last_.size() - len, ' ');
    err_ << line << std::flush;
    line.resize(len);
    last_ = line;
    drawn_ = true;
  }

 private:
  std::ostream& err_;
  bool enabled_;
  bool drawn_ = false;
  std::string last_;
};

const char* Reason(int code) {
  switch (code) {
    case kCopyCannotOpenSource:
      return "the source cannot be opened";
    case kCopyCannotCreateDest:
      return "the destination cannot be created";
    case kCopyWriteError:
      return "write error";
    default:
      return "read error";
  }
}

}  // namespace

int RunCopy(const CopyOptions& options, std::ostream& err) {
  int rc = 0;
  {
    ProgressBar bar(err, isatty(STDERR_FILENO) == 1);
    if (DirExists(options.Source)) {
      rc = CopyFileTree(options.Source, options.Dest, true,
                        [&](int64_t done, int64_t total, const std::string& file, int count) {
                          bar.Show(done, total, file, count);
                        });
    } else {
      rc = FileCopyFeedBk(options.Source, options.Dest, true,
                          [&](int64_t done, int64_t total) { bar.Show(done, total, "", 0); });
    }
  }
  if (rc == kCopyOK) return 0;
  err << "tkz: cannot copy \"" << options.Source << "\" to \"" << options.Dest
      << "\": " << Reason(rc) << "\n";
  return -rc;  // the exit status is the result code negated
}

void AddCopyCommands(CLI::App& app) {
  auto options = std::make_shared<CopyOptions>();
  CLI::App* cmd = app.add_subcommand(
      "copy", "Copy a file, or the contents of a directory tree, with a progress bar");
  cmd->add_option("SRC", options->Source, "File or directory to copy")->required();
  cmd->add_option("DST", options->Dest,
                  "Target file or existing folder (the file keeps its name there); for a "
                  "tree, the folder that receives its contents (created when missing)")
      ->required();
  cmd->footer(
      "Permission bits are copied with owner write added; times are kept.\n"
      "The bar is drawn on standard error when that is a terminal.\n"
      "Exit status: 0 copied; 1 source cannot be opened; 2 destination cannot be\n"
      "created; 3 write error; 4 read error (a tree: the first failure, the rest\n"
      "is still copied).");
  RunsWhenChosen(cmd, [options] { return RunCopy(*options, std::cerr); });
}

}  // namespace tkz::tool
