// tkz: the command-line tool over the TKZ libraries.
#include <CLI/CLI.hpp>
#include <iostream>

#include "core/types/version.h"
#include "tools/tkz/commands.h"

int main(int argc, char** argv) {
  CLI::App app{"tkz - command-line tool over the TKZ libraries (corekit, numkit, mapkit, molkit)"};
  app.set_version_flag("--version", std::string("tkz ") + TKZ_VERSION_STRING);
  app.require_subcommand(0, 1);
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
  tkz::tool::AddColorCommands(app);
  tkz::tool::AddCopyCommands(app);

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    return app.exit(e);
  }
  const auto& run = tkz::tool::ChosenCommand();
  if (!run) {
    std::cout << app.help();
    return 0;
  }
  try {
    return run();
  } catch (const std::exception& e) {
    std::cerr << "tkz: " << e.what() << "\n";
    return 1;
  }
}
