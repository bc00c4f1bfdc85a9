// tkz mol render: one structure of a molfile or SD file drawn into a PNG
// file by the structure display.
#pragma once

#include <CLI/CLI.hpp>

namespace tkz::tool {

// Adds "render" to the "mol" group.
void AddMolRenderCommands(CLI::App& app);

}  // namespace tkz::tool
