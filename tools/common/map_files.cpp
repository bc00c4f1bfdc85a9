#include "tools/common/map_files.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>

#include "geo/geomap.h"

namespace tkz::tool {

namespace fs = std::filesystem;

namespace {

const std::array<const char*, 7> kDbExtensions = {".tkzgds", ".tkzgdd", ".tkzgi0", ".tkzgi1",
                                                  ".tkzgi2", ".tkzgi3", ".tkzgi4"};

// The first line of a file, at most 64 bytes, without its line end.
std::string FirstLine(const std::string& name) {
  std::ifstream in(name, std::ios::binary);
  std::string line;
  char c;
  while (line.size() < 64 && in.get(c) && c != '\n') line += c;
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return line;
}

}  // namespace

std::string DatabaseBase(const std::string& name) {
  const fs::path p(name);
  const std::string ext = p.extension().string();
  if (std::find(kDbExtensions.begin(), kDbExtensions.end(), ext) != kDbExtensions.end())
    return (p.parent_path() / p.stem()).string();
  return name;
}

TMapFileKind DetectMapFile(const std::string& FileName) {
  std::error_code ec;
  // A base name names no file of its own (or, rarely, one beside the set).
  const std::string base = DatabaseBase(FileName);
  if (fs::is_regular_file(base + ".tkzgdd", ec) && fs::is_regular_file(base + ".tkzgds", ec))
    return TMapFileKind::Database;
  if (!fs::is_regular_file(FileName, ec)) return TMapFileKind::None;
  if (FirstLine(FileName) == "# tkz atlas") return TMapFileKind::Atlas;
  TCalibData cal;
  TCalibModel model = cmUndefined;
  try {
    if (ParseCalibData(FileName, "", cal, model)) return TMapFileKind::Calibration;
  } catch (const std::exception&) {
    // A file that is not XML, or a faulty calibration block.
  }
  return TMapFileKind::None;
}

}  // namespace tkz::tool
