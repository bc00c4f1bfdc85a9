// tkz regex: the lines of a file that match a TGrep expression.
#include <CLI/CLI.hpp>
#include <cstring>
#include <iostream>
#include <ostream>
#include <string>

#include "core/platform/codepage.h"
#include "core/text/regex.h"
#include "tools/tkz/commands.h"

namespace tkz::tool {

namespace {

// The expression language, for --help: what TGrep takes, what is literal
// and what is an error.
constexpr const char* kLanguage =
    R"TXT(Lines are printed as LINE:START:END:TEXT, positions in characters from 1
(END = START - 1 for an empty match). The input and the pattern may be UTF-8
or Windows-1252; matching works on Windows-1252 characters. Exit status 0 when
a line matched, 1 when none did, 2 on an error.

The expression:
  x          a character stands for itself
  .          any one character
  [abc]      a set; [a-z] a range; [^0-9] any character not in the set;
             "-" last in a set is a member ("[a-]"), "\^" a circumflex
  (text)     a group: everything up to ")" is literal ("\" escapes)
  * + ?      0 or more, 1 or more, 0 or 1 of the set, ".", group, or the
             last character before it ("colou?r")
  ^  $       start of the line (first item only), end (last item only)
  \c         the character c literally ("\.", "\[", "\(", "\\")
  \#hh       the character with hexadecimal code hh (Windows-1252)
  -i         letters compare ignoring case in Windows-1252 ("E" = "e",
             "É" = "é")
Literal: "|", "{", "}" and every other character: there is no alternation,
no nesting, no back reference, no \d, \w or \s; an unclosed "(ab" is "ab".
Errors (status 2): a leading *, +, ? or $; "^" not first; anything after
"$"; an empty set "[]"; an unquoted "^" in a set other than first; "-"
first in a set; an unbalanced "[" or "]", a ")" without "("; a quantifier
after another one or after "()"; more than 64 items; a group longer than
255 characters.)TXT";

}  // namespace

int RunRegex(const RegexOptions& options, std::ostream& out, std::ostream& err) {
  std::string pattern, why;
  if (!ArgumentToAnsi(options.Pattern, pattern, why)) {
    err << "tkz: pattern: " << why << "\n";
    return 2;
  }
  TGrep grep;
  grep.SetStopOnError(false);
  grep.SetIgnoreCase(options.IgnoreCase);
  grep.SetRegExp(pattern);
  if (grep.GetErrorCode() != 0) {
    err << "tkz: " << GrepErrorText(grep.GetErrorCode()) << "\n";
    return 2;
  }
  bool any = false;
  try {
    TextInput in(options.File);
    std::string line, block(1 << 16, '\0');
    long n = 0;
    // One line: printed when it matches; false when the output has failed.
    auto take = [&](std::string& text) {
      ++n;
      if (!text.empty() && text.back() == '\r') text.pop_back();
      int pos = 0;
      if (!grep.MatchString(text, pos)) return true;
      any = true;
      out << n << ':' << pos << ':' << grep.GetMatchEnd() << ':'
          << (in.IsUtf8() ? AnsiToUtf8(text) : text) << '\n';
      return static_cast<bool>(out);
    };
    for (int64_t got; (got = in.Read(block.data(), static_cast<int64_t>(block.size()))) > 0;) {
      size_t from = 0;
      for (size_t nl; (nl = block.find('\n', from)) < static_cast<size_t>(got); from = nl + 1) {
        line.append(block, from, nl - from);
        if (!take(line)) return 2;
        line.clear();
      }
      line.append(block, from, static_cast<size_t>(got) - from);
    }
    if (!line.empty() && !take(line)) return 2;
  } catch (const EInOutError& e) {
    const std::string name =
        options.File.empty() || options.File == "-" ? "standard input" : options.File;
    err << "tkz: cannot read " << name << ": " << std::strerror(e.ErrorCode) << "\n";
    return 2;
  } catch (const ETKZError& e) {
    err << "tkz: " << e.what() << "\n";
    return 2;
  }
  return any ? 0 : 1;
}

void AddRegexCommands(CLI::App& app) {
  auto options = std::make_shared<RegexOptions>();
  CLI::App* cmd =
      app.add_subcommand("regex", "Print the lines that match a regular expression (TGrep)");
  cmd->footer(kLanguage);
  cmd->add_flag("-i,--ignore-case", options->IgnoreCase, "Ignore case (Windows-1252)");
  cmd->add_option("PATTERN", options->Pattern, "Regular expression")->required();
  cmd->add_option("FILE", options->File, "Text file (standard input when absent or -)");
  RunsWhenChosen(cmd, [options] { return RunRegex(*options, std::cout, std::cerr); });
}

}  // namespace tkz::tool
