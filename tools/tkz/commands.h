// The commands of the tkz tool.
#pragma once

#include <ostream>
#include <string>

namespace tkz::tool {

struct DemoOptions {
  std::string OutDir = "out/demo";
};

// Runs the tour, printing to out and writing demo.json (and any other files)
// into options.OutDir. Returns the process exit code.
int RunDemo(const DemoOptions& options, std::ostream& out);

}  // namespace tkz::tool
