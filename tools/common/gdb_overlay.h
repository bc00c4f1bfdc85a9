// What the tkz tool and the map viewer share about maps: finding a
// calibration's image, and drawing the items of a geographic database over a
// map. A small static library (tkz_map_common), not installed.
#pragma once

#include <string>
#include <vector>

#include "geo/geodb.h"
#include "geo/geomap.h"

namespace tkz::tool {

// Loads the image the calibration names: as named, beside calFile, or
// beside it in any case of letters (the file keeps the name in lower case).
// False when there is none.
bool LoadMapImage(TGeoMap& map, const std::string& calFile);

// The items of a geographic database that lie in a map's box drawn on the
// map: polygons before the landmarks (OnBeforeRenderData), towns added as
// landmarks with their names. The map and the overlay must outlive renders.
class GdbOverlay {
 public:
  GdbOverlay(TGeoMap& map, TGeoDB& db);
  int Towns() const { return towns_; }
  int Polygons() const { return static_cast<int>(items_.size()); }

 private:
  struct Item {
    TgdbItem Kind;
    bool Closed;
    TgdbPolygon Poly;
  };
  void Draw(TCanvas* C);
  TGeoMap& map_;
  std::vector<Item> items_;
  int towns_ = 0;
};

}  // namespace tkz::tool
