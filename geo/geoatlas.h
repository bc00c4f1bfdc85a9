// geoatlas: TGeoAtlas, a collection of calibrated maps shown one at a time in
// an embedded TGeoMap. A tool bar above the map holds a pointer button, a
// zoom button and a list of the registered maps. In zoom mode a left click
// on the map switches to the most detailed registered map that covers the
// clicked position, any other button to the next coarser one; the outlines
// of the other registered maps are drawn over the map shown.
//
// A map is registered by its calibration file (the first calibration in
// it); the atlas keeps the file name, the map's name, its resolution and its
// corners as the file states them. Map images are looked for in the folder
// of their calibration file. Map numbers count from 1; 0 is none.
//
// Threading: like every control, an atlas belongs to one thread.
#pragma once

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "core/platform/stdctrls.h"
#include "geo/geomap.h"
#include "geo/mapkit_export.h"

namespace tkz {

inline constexpr int kMaxAtlasMaps = 200;
// The cursors the atlas registers with the screen.
inline constexpr TCursor kCursorGeoZoom = 1000;
inline constexpr TCursor kCursorGeoHand = 1001;

struct TKZ_MAPKIT_EXPORT TMapDefinition {
  std::string CalFileName;
  std::string MapName;
  double Resolution = 0;  // metres per pixel
  std::array<TLatLong, 4> Corners{};
  friend bool operator==(const TMapDefinition&, const TMapDefinition&) = default;
};

class TKZ_MAPKIT_EXPORT TGeoAtlas : public TCustomControl {
 public:
  explicit TGeoAtlas(TComponent* AOwner = nullptr);
  ~TGeoAtlas() override;
  std::string ClassName() const override { return "TGeoAtlas"; }

  // Reads the first calibration of the file; on success its definition
  // replaces the one of the same file or is appended (false when 200 maps
  // are registered). Returns whether the file could be read.
  bool RegisterMap(const std::string& CalFileName);
  void UnregisterMap(int Number);
  // Shows map Number: its calibration and image are loaded into the map.
  bool SelectMap(int Number);
  int GetSelectedMap() const { return selected_; }
  int GetNumMaps() const { return static_cast<int>(maps_.size()); }
  TMapDefinition GetMapDef(int Number) const;  // empty outside 1..count
  // Select the most detailed (ZoomIn) or the next coarser (ZoomOut) map
  // that covers the position and centre it; Resolution is the current one
  // in metres per pixel. False when there is none.
  bool ZoomIn(double Lat, double Long, double Resolution);
  bool ZoomOut(double Lat, double Long, double Resolution);

  bool GetCPnlVis() const;
  void SetCPnlVis(bool Visible);
  double GetMinResDiff() const { return minResDiff_; }
  void SetMinResDiff(double Percent) { minResDiff_ = Percent; }
  bool GetMapOutlineVisible() const { return outlineVisible_; }
  void SetMapOLVisible(bool b);
  TColor GetMapOutlineColor() const { return outlineColor_; }
  void SetMapOLColor(TColor c);

  TGeoMap* GetMap() { return map_; }
  TSpeedButton* GetPointerButton() { return pointer_; }
  TSpeedButton* GetZoomButton() { return zoom_; }
  TComboBox* GetMapList() { return list_; }

  TNotifyEvent OnPointerButClick;
  TNotifyEvent OnZoomButClick;
  TNotifyEvent OnCBoxMapsChange;

 private:
  void FillList();
  void ButtonClicked(bool Zoom);
  void DrawOutlines(TCanvas* C);

  std::vector<TMapDefinition> maps_;
  int selected_ = 0;
  double minResDiff_ = 10;
  bool outlineVisible_ = true;
  TColor outlineColor_ = 0xFF0000;
  TPanel* panel_ = nullptr;
  TSpeedButton* pointer_ = nullptr;
  TSpeedButton* zoom_ = nullptr;
  TComboBox* list_ = nullptr;
  TGeoMap* map_ = nullptr;
};

}  // namespace tkz
