// The map helpers the tkz tool and the map viewer share.
#include "tools/common/gdb_overlay.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <system_error>
#include <utility>

#include "core/text/charcase.h"

namespace tkz::tool {

bool LoadMapImage(TGeoMap& map, const std::string& calFile) {
  const std::string name = map.GetMapImgName();
  if (name.empty() || name == "$unknown$") return false;
  const std::filesystem::path dir = std::filesystem::path(calFile).parent_path();
  std::error_code ec;
  for (const std::filesystem::path& p :
       {std::filesystem::path(name), dir / name, dir / std::filesystem::path(name).filename()}) {
    if (std::filesystem::is_regular_file(p, ec)) {
      map.SetMapImgName(p.string());
      return true;
    }
  }
  // The file keeps the name in lower case: look for it in any case.
  const std::string wanted = AnsiLowerCase(std::filesystem::path(name).filename().string());
  for (const auto& entry : std::filesystem::directory_iterator(dir.empty() ? "." : dir, ec)) {
    if (entry.is_regular_file(ec) && AnsiLowerCase(entry.path().filename().string()) == wanted) {
      map.SetMapImgName(entry.path().string());
      return true;
    }
  }
  return false;
}

GdbOverlay::GdbOverlay(TGeoMap& map, TGeoDB& db) : map_(map) {
  double latLo = 90, latHi = -90, lonLo = 180, lonHi = -180;
  for (const TLatLong& c : map.GetCalibData().Corners) {
    latLo = std::min(latLo, c.Lat), latHi = std::max(latHi, c.Lat);
    lonLo = std::min(lonLo, c.Long), lonHi = std::max(lonHi, c.Long);
  }
  const auto f = [](double v, double lo, double hi) {
    return static_cast<float>(std::clamp(v, lo, hi));
  };
  for (int r : db.FindItemsInWindow(f(latLo, -90, 90), f(latHi, -90, 90), f(lonLo, -180, 180),
                                    f(lonHi, -180, 180))) {
    const TgdbData d = db.GetSumdata(r);
    if (d.ItemType == gitTown) {
      map.AddLandMark(d.LatLow, d.LongLow, 0, d.Name, 8, 0x000000);
      ++towns_;
    } else if (d.ItemType <= gitRoute) {
      TgdbPolygon poly;
      if (db.RetrievePolygon(r, poly)) items_.push_back({d.ItemType, d.Closed, std::move(poly)});
    }
  }
  map.OnBeforeRenderData = [this](TObject*, TCanvas* C) { Draw(C); };
}

void GdbOverlay::Draw(TCanvas* C) {
  C->GetPen()->SetMode(pmCopy);
  C->GetPen()->SetStyle(psSolid);
  C->GetBrush()->SetStyle(bsClear);
  std::vector<TPoint> pts;
  const auto flush = [&] {
    if (pts.size() >= 2) C->Polyline(pts);
    pts.clear();
  };
  for (const Item& it : items_) {
    C->GetPen()->SetColor(it.Kind == gitLake || it.Kind == gitRiver ? 0xC08040 : 0x303030);
    // An edge that crosses the antimeridian (a jump of more than 180 degrees
    // of longitude) would run across the whole map: the line breaks there.
    const TSCoords* prev = nullptr;
    const auto add = [&](const TSCoords& v) {
      if (prev != nullptr && std::abs(v.Long - prev->Long) > 180) flush();
      prev = &v;
      int x, y;
      if (map_.CalcPixelCoords(v.Lat, v.Long, x, y)) pts.push_back(map_.MapImageToControl(x, y));
    };
    for (const TSCoords& v : it.Poly) add(v);
    if (it.Closed && it.Poly.size() >= 2) add(it.Poly.front());
    flush();
  }
}

}  // namespace tkz::tool
