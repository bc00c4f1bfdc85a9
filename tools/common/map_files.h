// Telling map files apart by their contents: calibration files, atlas
// definitions and geographic databases (the map viewer opens them; "tkz
// view" sends them to it).
#pragma once

#include <string>

namespace tkz::tool {

// What a file holds, judged by its contents.
enum class TMapFileKind { None, Calibration, Atlas, Database };
// The kind of FileName; None when it is missing, unreadable or of no map
// kind:
//   - a geographic database: its base name or any of its seven files, when
//     its record and data files exist;
//   - an atlas definition: a text file whose first line is "# tkz atlas";
//   - a calibration file: a file holding a calibration the reader accepts.
TMapFileKind DetectMapFile(const std::string& FileName);
// A database's base name: FileName without the extension of one of its
// seven files.
std::string DatabaseBase(const std::string& FileName);

}  // namespace tkz::tool
