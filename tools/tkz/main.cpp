// tkz: the command-line tool over the TKZ libraries.
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <iostream>
#include <streambuf>
#include <string>
#include <vector>

#include "core/types/version.h"
#include "tools/tkz/commands.h"

namespace {

// Standard output as the commands write it: buffered, straight onto file
// descriptor 1, remembering the first write that failed so that the tool can
// say why instead of exiting 0 with its output lost.
class StdoutBuf : public std::streambuf {
 public:
  StdoutBuf() { setp(buffer_, buffer_ + sizeof buffer_); }
  ~StdoutBuf() override { sync(); }
  StdoutBuf(const StdoutBuf&) = delete;
  StdoutBuf& operator=(const StdoutBuf&) = delete;

  // errno of the first failed write; 0 while every write succeeded.
  int Error() const { return error_; }

 protected:
  int_type overflow(int_type ch) override {
    if (!Flush()) return traits_type::eof();
    if (!traits_type::eq_int_type(ch, traits_type::eof())) {
      *pptr() = traits_type::to_char_type(ch);
      pbump(1);
    }
    return traits_type::not_eof(ch);
  }
  int sync() override { return Flush() ? 0 : -1; }
  std::streamsize xsputn(const char* s, std::streamsize n) override {
    if (n >= static_cast<std::streamsize>(sizeof buffer_)) {
      // Large blocks go straight out, after what is already buffered.
      if (!Flush() || !WriteAll(s, static_cast<size_t>(n))) return 0;
      return n;
    }
    return std::streambuf::xsputn(s, n);
  }

 private:
  bool Flush() {
    const size_t n = static_cast<size_t>(pptr() - pbase());
    setp(buffer_, buffer_ + sizeof buffer_);
    return WriteAll(buffer_, n);
  }
  bool WriteAll(const char* p, size_t n) {
    if (error_ != 0) return false;
    while (n > 0) {
      const ssize_t w = ::write(STDOUT_FILENO, p, n);
      if (w < 0 && errno == EINTR) continue;
      if (w <= 0) {
        error_ = w < 0 ? errno : EIO;
        return false;
      }
      p += w;
      n -= static_cast<size_t>(w);
    }
    return true;
  }

  char buffer_[1 << 16];
  int error_ = 0;
};

// "tkz help [COMMAND...]" is "tkz [COMMAND...] --help".
std::vector<std::string> Arguments(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (!args.empty() && args.front() == "help") {
    args.erase(args.begin());
    args.push_back("--help");
  }
  return args;
}

// The command line as far as it names commands ("tkz geo utm").
std::string CommandPath(const CLI::App& app) {
  std::string path = "tkz";
  for (const CLI::App* a = &app;;) {
    const auto subs = a->get_subcommands();
    if (subs.empty()) break;
    a = subs.front();
    path += " " + a->get_name();
  }
  return path;
}

// Exit statuses: 0 success, 1 failure, 2 usage error (as GNU tools).
constexpr int kFailure = 1;
constexpr int kUsageError = 2;

int Finish(int status, StdoutBuf& buf) {
  std::cout.flush();
  if (buf.Error() != 0 || !std::cout) {
    const int err = buf.Error() != 0 ? buf.Error() : EIO;
    std::cerr << "tkz: write error: " << std::strerror(err) << "\n";
    // A command with its own failure status keeps it (regex: 2, as grep).
    return std::max(status, kFailure);
  }
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  StdoutBuf out_buf;
  std::streambuf* const previous = std::cout.rdbuf(&out_buf);
  // std::cout outlives main: it gets its own buffer back before out_buf goes.
  struct Restore {
    std::streambuf* buf;
    ~Restore() { std::cout.rdbuf(buf); }
  } restore{previous};

  CLI::App app{"tkz - command-line tool over the TKZ libraries (corekit, numkit, mapkit, molkit)"};
  app.name("tkz");
  app.set_version_flag("--version", std::string("tkz ") + TKZ_VERSION_STRING);
  app.require_subcommand(0, 1);
  app.footer(
      "Exit status: 0 success, 1 failure (a message \"tkz: ...\" on standard error),\n"
      "2 usage error. \"tkz help COMMAND\" shows a command's help.");
  // The order of the groups is the order of "tkz --help".
  tkz::tool::AddDemoCommands(app);
  tkz::tool::AddImageCommands(app);
  tkz::tool::AddMarksCommands(app);
  tkz::tool::AddTagsCommands(app);
  tkz::tool::AddRegexCommands(app);
  tkz::tool::AddHashCommands(app);
  tkz::tool::AddCodecCommands(app);
  tkz::tool::AddCpuCommands(app);
  tkz::tool::AddGeoCommands(app);
  tkz::tool::AddGdbCommands(app);
  tkz::tool::AddMapCommands(app);
  tkz::tool::AddLandmarkCommands(app);
  tkz::tool::AddColorCommands(app);
  tkz::tool::AddCopyCommands(app);
  tkz::tool::AddElementCommands(app);
  tkz::tool::AddFormulaCommands(app);
  tkz::tool::AddMolCommands(app);
  tkz::tool::AddMolSearchCommands(app);
  tkz::tool::AddViewCommands(app);

  std::vector<std::string> args = Arguments(argc, argv);
  if (args.empty()) {
    // Nothing asked: the help, as a usage error.
    std::cerr << app.help();
    return kUsageError;
  }
  try {
    std::reverse(args.begin(), args.end());  // CLI11 takes them last first
    app.parse(args);
  } catch (const CLI::CallForHelp&) {
    // The help of the command named last.
    std::cout << app.help();
    return Finish(0, out_buf);
  } catch (const CLI::CallForAllHelp&) {
    std::cout << app.help("", CLI::AppFormatMode::All);
    return Finish(0, out_buf);
  } catch (const CLI::CallForVersion& e) {
    std::cout << e.what() << "\n";
    return Finish(0, out_buf);
  } catch (const CLI::ParseError& e) {
    const std::string path = CommandPath(app);
    std::string what = e.what();
    std::replace(what.begin(), what.end(), '\n', ' ');
    std::cerr << path << ": " << what << " (see \"" << path << " --help\")\n";
    return kUsageError;
  }
  const auto& run = tkz::tool::ChosenCommand();
  int status = kFailure;
  try {
    if (!run) {
      std::cerr << app.help();
      return kUsageError;
    }
    status = run();
  } catch (const std::exception& e) {
    std::cerr << "tkz: " << e.what() << "\n";
    status = kFailure;
  }
  return Finish(status, out_buf);
}
