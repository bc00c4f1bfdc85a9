// The map viewer's window: a map (or an atlas of maps) over a status line.
//
// TMapViewerForm is an ordinary control tree (a panel with the map alClient
// and the status line alBottom), so it runs headless as well as in a window.
// It opens three kinds of file, told apart by their contents:
//   - a calibration file: the map and the image its calibration names;
//   - an atlas definition: a text file whose first line is "# tkz atlas",
//     then one calibration file per line (relative to the definition's
//     folder; blank lines and lines starting with "#" are skipped);
//   - a geographic database (its base name or any of its seven files): a
//     world map made in memory with the database's polygons drawn on it and
//     its towns as landmarks.
//
// Input (mouse positions are pixels of the map control):
//   left drag        pan (hand mode), draws the zoom window (zoom mode), or
//                    adds a landmark with a click (landmark mode); a click
//                    without a drag in hand mode highlights the landmark
//                    within 10 pixels of it
//   wheel            zoom about the mouse position, 1.25 per notch
//   z / l            toggle the zoom-window mode / the landmark mode
//   g                graticule: none, points, lines, UTM grid, none... (a map
//                    calibrated in degrees gets the grid of its centre's zone)
//   f, Home          fit the whole map; + and - zoom about the centre
//   arrows           pan by an eighth of the view
//   Delete           remove the highlighted landmark, else the last one
//   Ctrl+S           save the landmarks
//   Ctrl+C           copy the view to the clipboard (with Shift: the whole
//                    map with everything drawn on it)
#pragma once

#include <memory>
#include <string>

#include "core/platform/stdctrls.h"
#include "geo/geoatlas.h"
#include "geo/geodb.h"
#include "geo/geomap.h"
#include "tools/common/gdb_overlay.h"
#include "tools/common/map_files.h"

namespace tkz::mapviewer {

using tool::DetectMapFile;
using tool::TMapFileKind;

// A failure to open a file; the message names the file.
struct EViewerError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

enum class TViewerMode { Hand, ZoomWindow, Landmark };

// The line of text at the bottom of the window.
class TStatusLine : public TCustomControl {
 public:
  explicit TStatusLine(TComponent* AOwner = nullptr);
  std::string ClassName() const override { return "TStatusLine"; }

 protected:
  void Paint() override;
};

class TMapViewerForm : public TPanel {
 public:
  explicit TMapViewerForm(TComponent* AOwner = nullptr);
  ~TMapViewerForm() override;
  std::string ClassName() const override { return "TMapViewerForm"; }

  // Opens FileName, once per form (Id picks a calibration of a calibration
  // file; Landmarks, when given, is loaded if it exists and is where Ctrl+S
  // saves). EViewerError, naming the file, when it cannot be opened.
  void OpenFile(const std::string& FileName, const std::string& Id = "",
                const std::string& Landmarks = "");

  TMapFileKind GetKind() const { return kind_; }
  TGeoMap* GetMap() const { return map_; }
  TGeoAtlas* GetAtlas() const { return atlas_; }
  TStatusLine* GetStatusLine() const { return status_; }
  const tool::GdbOverlay* GetOverlay() const { return overlay_.get(); }
  TViewerMode GetMode() const { return mode_; }
  void SetMode(TViewerMode m);
  bool GetModified() const { return modified_; }
  const std::string& GetLandmarkFile() const { return landmarkFile_; }

  // The position under map pixel (X, Y): latitude and longitude in degrees
  // and minutes, UTM zone, band, easting and northing; "outside the map".
  std::string PositionText(int X, int Y) const;
  // Zooms by Factor keeping the map point under map pixel (X, Y) in place.
  void ZoomAbout(double Factor, int X, int Y);
  // A key (virtual key code, letters as upper-case ASCII); true when used.
  bool HandleKey(uint16_t Key, TShiftState Shift);
  // Highlights the landmark nearest to map pixel (X, Y) within 10 pixels
  // (none: no highlight); its number, 0 for none.
  int HighlightAt(int X, int Y);
  // Adds a landmark at map pixel (X, Y); false outside the map.
  bool AddLandmarkAt(int X, int Y);
  void DeleteLandmark();
  // Saves the landmarks (see GetLandmarkFile); false, with the reason in the
  // status line, when they cannot be written.
  bool SaveLandmarks();

 protected:
  void Resize() override;
  // The keys the map and the atlas leave come here (see the table above).
  void KeyDown(uint16_t& Key, TShiftState Shift) override;

 private:
  void Build(TMapFileKind kind);
  void OpenCalibration(const std::string& FileName, const std::string& Id);
  void OpenAtlas(const std::string& FileName);
  void OpenDatabase(const std::string& FileName);
  void HookMouse(TControl* source);
  void DrawUTMGrid(TCanvas* C);
  void UpdateStatus();
  void UpdateTitle();
  std::string ModeText() const;

  TMapFileKind kind_ = TMapFileKind::None;
  TGeoMap* map_ = nullptr;
  TGeoAtlas* atlas_ = nullptr;
  TStatusLine* status_ = nullptr;
  std::unique_ptr<TGeoDB> db_;
  std::unique_ptr<tool::GdbOverlay> overlay_;
  std::string fileName_;
  std::string landmarkFile_;
  TViewerMode mode_ = TViewerMode::Hand;
  bool modified_ = false;
  int added_ = 0;          // landmarks added by clicks, for their default text
  TPoint downAt_{-1, -1};  // where the left button went down
  std::string position_ = "outside the map";
  std::string message_;
};

}  // namespace tkz::mapviewer
