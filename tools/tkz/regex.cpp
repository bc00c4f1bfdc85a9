// tkz regex: the lines of a file that match a TGrep expression.
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

}  // namespace tkz::tool
