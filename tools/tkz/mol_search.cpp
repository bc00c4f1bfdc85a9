// tkz mol search: the records of an SD file that contain a query structure.
//
// The search itself is molkit's SearchSDStream: the file is read once, as it
// comes, cut into records that worker threads read and search; this command
// prints the numbers of the records that hold the query in record order, as
// the batches come back, and names the records that cannot be read.
#include <CLI/CLI.hpp>
#include <exception>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "chem/cstruct.h"
#include "chem/sdsearch.h"
#include "core/platform/stream.h"
#include "core/platform/textfile.h"
#include "tools/tkz/commands.h"

namespace tkz::tool {

namespace {

struct SearchOptions {
  std::string Query, File;
  bool Bonds = false;
  bool Trace = false;
  int Threads = 0;  // 0: every core
};

int RunSearch(const SearchOptions& options, std::ostream& out, std::ostream& err) {
  TCTab query;
  {
    TTextFile f;
    TPropRec props;
    try {
      f.AssignFile(options.Query == "-" ? "/dev/stdin" : options.Query);
      f.Reset();
    } catch (const std::exception& e) {
      err << "tkz: mol search: " << options.Query << ": " << e.what() << "\n";
      return 2;
    }
    if (!query.ReadFromMDLSDFile(f, props) || query.GetNAtoms() == 0) {
      err << "tkz: mol search: " << options.Query
          << ": not a structure of 1 to 63 atoms that can be read whole\n";
      return 2;
    }
  }
  std::unique_ptr<TStream> in;
  try {
    in = OpenInput(options.File);
  } catch (const std::exception& e) {
    err << "tkz: mol search: " << options.File << ": " << e.what() << "\n";
    return 2;
  }
  TSDSearchOptions search;
  search.CheckBonds = options.Bonds;
  search.Trace = options.Trace;
  search.Threads = options.Threads;
  long hits = 0;
  bool written = true;
  std::string readError;
  try {
    SearchSDStream(*in, query, search,
                   [&](const std::vector<TSDSearchHit>& found, const std::vector<long>& unread) {
                     for (const long n : unread) {
                       err << "tkz: mol search: " << options.File << ": record " << n
                           << ": not a structure of 1 to 63 atoms that can be read whole; "
                              "skipped\n";
                     }
                     for (const TSDSearchHit& h : found) out << h.Record << "\n";
                     hits += static_cast<long>(found.size());
                     written = static_cast<bool>(out);
                     return written;
                   });
  } catch (const std::exception& e) {
    readError = e.what();
  }
  out.flush();
  if (!readError.empty()) {
    err << "tkz: mol search: " << options.File << ": " << readError << "\n";
    return 2;
  }
  if (!written || !out) {
    err << "tkz: mol search: write error\n";
    return 2;
  }
  return hits > 0 ? 0 : 1;
}

}  // namespace

void AddMolSearchCommands(CLI::App& app) {
  CLI::App* mol = MolGroup(app);
  auto options = std::make_shared<SearchOptions>();
  CLI::App* cmd = mol->add_subcommand(
      "search",
      "The numbers of the records of FILE that contain QUERY, one per line, in record order; "
      "status 0 when some do, 1 when none does, 2 on trouble. Records are searched on every "
      "core; records that cannot be read are named on standard error and skipped");
  cmd->add_option("QUERY", options->Query, "The query: a molfile (or SD file: its first record)")
      ->required();
  cmd->add_option("FILE", options->File, "The SD file to search (- standard input)")->required();
  cmd->add_flag("--bonds", options->Bonds, "Bond types must match too (single, double, ...)");
  cmd->add_flag("--trace", options->Trace,
                "Append each step of the search to substrct.txt in the current folder (runs "
                "one worker)");
  cmd->add_option("--threads", options->Threads, "Worker threads (default: one per core)")
      ->check(CLI::Range(1, 1024));
  RunsWhenChosen(cmd, [options] { return RunSearch(*options, std::cout, std::cerr); });
}

}  // namespace tkz::tool
