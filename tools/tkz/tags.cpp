// tkz tags: walks an XML-like file with the library's tag scanner and prints
// each tag it reads as one JSON object per line (text converted from
// Windows-1252 to UTF-8). An XML declaration at the start is skipped. The
// input ("-" for standard input) is read as TextInput reads it: UTF-8 text is
// converted to Windows-1252 for the scanner.
#include <CLI/CLI.hpp>
#include <iostream>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "core/platform/codepage.h"
#include "core/platform/stream.h"
#include "core/text/charcase.h"
#include "core/text/streams.h"
#include "tools/tkz/commands.h"

namespace tkz::tool {

namespace {

// Steps over an XML declaration ("<?xml ...?>") at the start of the file, as
// the library's own readers do before reading tags: the scanner would read it
// as an element whose contents run to the end of the data. Blanks before it
// are dropped (the scanner skips them anyway); anything else is read again.
void SkipDeclaration(TStream& fs) {
  uint8_t c = 0;
  int64_t at = 0;
  do {
    at = fs.GetPosition();
  } while (fs.Read(&c, 1) == 1 && (c == ' ' || c == '\t' || c == '\r' || c == '\n'));
  uint8_t d = 0;
  if (c == '<' && fs.Read(&d, 1) == 1 && d == '?' && FindInStream(&fs, '>')) return;
  fs.SetPosition(at);
}

}  // namespace

int RunTags(const TagsOptions& options, std::ostream& out) {
  TextInput fs(options.File);
  std::vector<std::string> list;
  for (const std::string& n : options.Names) list.push_back(AnsiLowerCase(n));
  const int listed = static_cast<int>(list.size());
  list.push_back(">");  // the sentinel: no tag name contains ">"
  SkipDeclaration(fs);
  for (int index = 0;;) {
    const TTagRead tag = ReadTagFromStream(&fs, list);
    if (!tag.Complete) break;
    if (listed > 0 && tag.Index >= listed) continue;
    nlohmann::json j;
    j["index"] = index++;
    j["name"] = AnsiToUtf8(tag.Name);
    j["attributes"] = AnsiToUtf8(tag.Attributes);
    j["contents"] = AnsiToUtf8(tag.Contents);
    WriteJsonLine(out, j);
    if (!out) return 1;  // the output is gone: no use reading on
  }
  return 0;
}

void AddTagsCommands(CLI::App& app) {
  auto options = std::make_shared<TagsOptions>();
  CLI::App* cmd = app.add_subcommand(
      "tags", "List the tags of an XML-like file as the tag scanner reads them (JSON lines)");
  cmd->add_option("FILE", options->File,
                  "File to read (- for standard input); UTF-8 or Windows-1252")
      ->required();
  cmd->add_option("NAME", options->Names, "Tag names to list (default: every tag)");
  RunsWhenChosen(cmd, [options] { return RunTags(*options, std::cout); });
}

}  // namespace tkz::tool
