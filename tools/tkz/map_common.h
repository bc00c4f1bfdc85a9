// What the "tkz map" commands share (map.cpp, map_render.cpp).
#pragma once

#include <CLI/CLI.hpp>
#include <memory>
#include <nlohmann/json.hpp>
#include <stdexcept>
#include <string>
#include <vector>

#include "geo/geodb.h"
#include "geo/geomap.h"
#include "tools/common/gdb_overlay.h"

namespace tkz::tool {

struct MapOptions {
  std::vector<std::string> Args;
  // calibrate
  std::string Image, Points, Out, Model, Id, Caption, Ellipsoid = "gelWGS84";
  int Zone = 0;
  bool South = false;
  // blank and render
  std::vector<double> Lat, Lon, Center;
  double Step = 0;
  double Mag = 0;
  std::string Size, Grat, Landmarks, Gdb;
  // export
  bool World = false;
};

// A failure of a map command: "tkz: map COMMAND: what", status 1.
struct MapFailure : std::runtime_error {
  using std::runtime_error::runtime_error;
};
// A usage error found once the command runs: "tkz map COMMAND: what (see
// ...)", status 2.
struct MapUsage : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// Loads the calibration ID (empty: the first) of file ("-": standard input)
// into map; MapFailure when the file or the calibration is missing.
void LoadCalibration(TGeoMap& map, const std::string& file, const std::string& id);
// What "info", "calibrate" and "blank" print about a calibration.
nlohmann::ordered_json Describe(const TGeoMap& map, const std::string& id);
// Adds subcommand name to group (returned in cmd), running run with the
// options; MapFailure and the library's errors give status 1, MapUsage 2.
void MapCommand(CLI::App* group, const char* name, const char* help, std::shared_ptr<MapOptions> o,
                int (*run)(const MapOptions&), CLI::App*& cmd);
// "map blank" and "map render".
void AddMapRenderCommands(CLI::App* map, std::shared_ptr<MapOptions> o);
// "map export" and "map import".
void AddMapGisCommands(CLI::App* map, std::shared_ptr<MapOptions> o);

}  // namespace tkz::tool
