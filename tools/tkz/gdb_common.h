// What the "tkz gdb" commands share: opening the database, failures and
// their messages, JSON lines and the progress bar. Defined in gdb.cpp.
#pragma once

#include <CLI/CLI.hpp>
#include <iostream>
#include <memory>
#include <nlohmann/json.hpp>
#include <stdexcept>
#include <string>

#include "geo/geodb.h"
#include "tools/tkz/commands.h"
#include "tools/tkz/progress.h"

namespace tkz::tool::gdb {

using Json = nlohmann::ordered_json;

// A failure of a gdb command: "tkz: gdb COMMAND: what" and status 1.
struct GdbFailure : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// The library's message without its 'Component "...": ' prefix.
std::string Plain(const std::exception& e);

// Writes one line; false when it could not be written (the command then
// ends with status 1 and main reports it).
bool Emit(const Json& j);

// How Open treats the database's presence.
enum class OpenMode {
  Existing,  // it must exist
  New,       // it must not exist yet
  Any,       // created when missing
};

// The database named Db (base name, any extension); a database held by
// another program is refused by the library.
std::unique_ptr<TGeoDB> Open(const std::string& Db, OpenMode mode);

// The whole of a file, or of standard input for "-" (read in blocks: it has
// no size beforehand).
std::string ReadAll(const std::string& name);

// Whether standard error is a terminal (the progress bar is drawn there).
bool Terminal();

// The bar of a job whose steps the library reports as percentages.
void ShowProgress(TGeoDB& db, ProgressBar& bar);

// Adds subcommand name to the group, running run with the options (which
// hold the database name in Db); failures become "tkz: gdb NAME: ..." and
// status 1.
template <class Options>
CLI::App* Command(CLI::App* group, const char* name, const char* help, std::shared_ptr<Options> o,
                  int (*run)(const Options&)) {
  CLI::App* cmd = group->add_subcommand(name, help);
  cmd->add_option("DB", o->Db, "Database (base name, any extension)")->required();
  RunsWhenChosen(cmd, [o, run, name] {
    try {
      return run(*o);
    } catch (const std::exception& e) {
      std::cerr << "tkz: gdb " << name << ": " << Plain(e) << "\n";
      return 1;
    }
  });
  return cmd;
}

}  // namespace tkz::tool::gdb
