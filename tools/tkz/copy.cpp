// tkz copy: a file or a directory tree, with a progress bar on a terminal.
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <iostream>
#include <string>
#include <system_error>
#include <vector>

#include "core/sys/filesys.h"
#include "tools/tkz/commands.h"
#include "tools/tkz/progress.h"

namespace tkz::tool {

namespace {

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

// "reason: system message", the latter where the failure has an errno.
std::string Explained(int code, int err) {
  std::string text = Reason(code);
  if (err != 0) text += ": " + std::error_code(err, std::generic_category()).message();
  return text;
}

// Bytes in the regular files of a tree (links are not followed), for the
// bar of a tree copy.
int64_t TreeBytes(const std::string& dir) {
  int64_t total = 0;
  std::error_code ec;
  namespace fs = std::filesystem;
  for (fs::recursive_directory_iterator it(dir, fs::directory_options::skip_permission_denied, ec),
       end;
       !ec && it != end; it.increment(ec)) {
    std::error_code sizeError;
    if (it->is_regular_file(sizeError) && !it->is_symlink(sizeError)) {
      const auto size = it->file_size(sizeError);
      if (!sizeError) total += static_cast<int64_t>(size);
    }
  }
  return total;
}

}  // namespace

int RunCopy(const CopyOptions& options, std::ostream& err) {
  const bool terminal = isatty(STDERR_FILENO) == 1;
  int rc = 0;
  std::vector<std::string> messages;
  if (DirExists(options.Source)) {
    // One bar for the whole tree: the bytes of the files finished so far
    // plus the current file's, against the bytes of all files.
    const int64_t total = terminal ? TreeBytes(options.Source) : 0;
    int64_t finished = 0, current = 0;
    int file = 0;
    ProgressBar bar(err, terminal);
    rc = CopyFileTree(
        options.Source, options.Dest, true,
        [&](int64_t done, int64_t, const std::string& name, int count) {
          if (count != file) {
            finished += current;
            current = 0;
            file = count;
          }
          current = done;
          bar.Show(finished + current, total, name, count);
        },
        [&](const std::string& name, int code, int error) {
          if (code == kCopySkipped)
            messages.push_back("tkz: skipped special file \"" + name + "\"");
          else
            messages.push_back("tkz: cannot copy \"" + name + "\": " + Explained(code, error));
        });
  } else {
    ProgressBar bar(err, terminal);
    rc = FileCopyFeedBk(options.Source, options.Dest, true,
                        [&](int64_t done, int64_t total) { bar.Show(done, total, "", 0); });
  }
  // A failure of the whole job (the source or the destination folder) that
  // no entry told.
  if (rc != kCopyOK && messages.empty())
    messages.push_back("tkz: cannot copy \"" + options.Source + "\" to \"" + options.Dest +
                       "\": " + Explained(rc, LastFileCopyError()));
  for (const std::string& m : messages) err << m << "\n";
  return messages.empty() ? 0 : 1;
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
      "Permission bits are copied (files get owner write added) and times are kept.\n"
      "A file is written to a temporary file beside its target and renamed over it\n"
      "when complete, so a failed copy leaves the old target as it was.\n"
      "Pipes, sockets and devices in a tree are skipped and named.\n"
      "One bar for the whole job is drawn on standard error when that is a terminal.\n"
      "Exit status: 0 copied; 1 something was not copied (each failed or skipped\n"
      "file is named; the rest of a tree is still copied); 2 usage error.");
  RunsWhenChosen(cmd, [options] { return RunCopy(*options, std::cerr); });
}

}  // namespace tkz::tool
