// A geographic database: towns and a border added, found by a window and by
// name, and carried to a second database through GeoJSON.
#include <cstdio>
#include <filesystem>
#include <string>

#include "geo/geodb.h"
#include "geo/geodb_geojson.h"

int main() {
  namespace fs = std::filesystem;
  const fs::path dir = fs::temp_directory_path() / "tkz_example_geodb";
  fs::remove_all(dir);
  fs::create_directories(dir);
  int found = 0, bern = 0, again = 0;
  {
    tkz::TGeoDB db;
    db.SetGDBName((dir / "alps").string());  // creates alps.tkzgds, .tkzgdd, .tkzgi0-4
    db.AddTown("Bern", 0, 134000, {46.948f, 7.447f}, 0, 0, 0);
    db.AddTown("Innsbruck", 0, 131000, {47.269f, 11.404f}, 0, 0, 0);
    db.AddTown("Lyon", 0, 516000, {45.764f, 4.836f}, 0, 0, 0);
    const tkz::TgdbPolygon lake{{46.2f, 6.1f}, {46.5f, 6.5f}, {46.4f, 6.9f}, {46.2f, 6.6f}};
    db.AddLake("Lac Leman", lake, 0, 0, 0, 0, 0, 0, 0, 0, 0);

    // The items whose bounding box meets 46..48 N, 6..12 E, found through the
    // sorted indexes: Bern, Innsbruck and the lake, not Lyon.
    found = static_cast<int>(db.FindItemsInWindow(46.0f, 48.0f, 6.0f, 12.0f).size());
    bern = db.SearchData("BERN");  // record number, any letter case
    std::printf("%d items in the window, Bern is record %d\n", found, bern);

    const std::string geojson = tkz::ExportGeoJSON(db);
    tkz::TGeoDB copy;
    copy.SetGDBName((dir / "copy").string());
    again = tkz::ImportGeoJSON(copy, geojson).TotalAdded();
    std::printf("%d items carried over through GeoJSON (%zu bytes)\n", again, geojson.size());
  }
  fs::remove_all(dir);
  return found == 3 && bern == 1 && again == 4 ? 0 : 1;
}
