// tkz regex: the lines of a file that match a TGrep expression.
#include <CLI/CLI.hpp>
#include <fstream>
#include <iostream>
#include <ostream>
#include <string>

#include "core/text/regex.h"
#include "tools/tkz/commands.h"

namespace tkz::tool {

int RunRegex(const RegexOptions& options, std::istream& in, std::ostream& out, std::ostream& err) {
  TGrep grep;
  grep.SetStopOnError(false);
  grep.SetIgnoreCase(options.IgnoreCase);
  grep.SetRegExp(options.Pattern);
  if (grep.GetErrorCode() != 0) {
    err << "tkz: " << GrepErrorText(grep.GetErrorCode()) << "\n";
    return 2;
  }
  std::ifstream file;
  std::istream* src = &in;
  if (!options.File.empty()) {
    file.open(options.File, std::ios::binary);
    if (!file) {
      err << "tkz: cannot open " << options.File << "\n";
      return 2;
    }
    src = &file;
  }
  bool any = false;
  std::string line;
  for (long n = 1; std::getline(*src, line); ++n) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    int pos = 0;
    if (!grep.MatchString(line, pos)) continue;
    any = true;
    out << n << ':' << pos << ':' << grep.GetMatchEnd() << ':' << line << '\n';
  }
  if (src->bad()) {
    err << "tkz: cannot read " << (options.File.empty() ? "standard input" : options.File) << "\n";
    return 2;
  }
  return any ? 0 : 1;
}

void AddRegexCommands(CLI::App& app) {
  auto options = std::make_shared<RegexOptions>();
  CLI::App* cmd =
      app.add_subcommand("regex", "Print the lines that match a regular expression (TGrep)");
  cmd->add_flag("-i,--ignore-case", options->IgnoreCase, "Ignore case (Windows-1252)");
  cmd->add_option("PATTERN", options->Pattern, "Regular expression")->required();
  cmd->add_option("FILE", options->File, "Text file (standard input when absent)");
  RunsWhenChosen(cmd, [options] { return RunRegex(*options, std::cin, std::cout, std::cerr); });
}

}  // namespace tkz::tool
