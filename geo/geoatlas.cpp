// TGeoAtlas: registration, selection, zooming between maps, outlines, the
// tool bar and its glyphs.
#include "geo/geoatlas.h"

#include <algorithm>
#include <filesystem>

#include "core/platform/application.h"
#include "core/text/charcase.h"

namespace tkz {

namespace {

// The glyphs of the tool bar, 16 x 16, drawn on a white ground (the
// bottom-left pixel's colour is the buttons' transparent colour).
std::unique_ptr<TBitmap> PointerGlyph() {
  auto b = std::make_unique<TBitmap>(16, 16);
  TCanvas* c = b->GetCanvas();
  c->GetPen()->SetColor(0);
  c->GetBrush()->SetColor(0);
  c->Polygon({{4, 1}, {4, 13}, {7, 10}, {10, 15}, {12, 14}, {9, 9}, {13, 9}});
  return b;
}

std::unique_ptr<TBitmap> ZoomGlyph() {
  auto b = std::make_unique<TBitmap>(16, 16);
  TCanvas* c = b->GetCanvas();
  c->GetPen()->SetColor(0);
  c->GetPen()->SetWidth(2);
  c->GetBrush()->SetStyle(bsClear);
  c->Ellipse(1, 1, 11, 11);
  c->MoveTo(9, 9);
  c->LineTo(14, 14);
  c->GetPen()->SetWidth(1);
  c->MoveTo(4, 6);
  c->LineTo(9, 6);
  c->MoveTo(6, 4);
  c->LineTo(6, 9);
  return b;
}

// The image a map asks for, in the folder of its calibration file; the file
// keeps image names in lower case, so a file of that name in any case of
// letters is taken when the exact one is missing.
std::string ImageBeside(const std::string& calFile, const std::string& proposed) {
  namespace fs = std::filesystem;
  const fs::path dir = fs::path(calFile).parent_path();
  const std::string name = fs::path(proposed).filename().string();
  const fs::path exact = dir / name;
  std::error_code ec;
  if (fs::is_regular_file(exact, ec)) return exact.string();
  const std::string wanted = AnsiLowerCase(name);
  for (const auto& e : fs::directory_iterator(dir.empty() ? fs::path(".") : dir, ec)) {
    if (e.is_regular_file(ec) && AnsiLowerCase(e.path().filename().string()) == wanted)
      return e.path().string();
  }
  return exact.string();
}

}  // namespace

TGeoAtlas::TGeoAtlas(TComponent* AOwner) : TCustomControl(AOwner) {
  SetBounds(100, 50, 480, 320);
  Screen().RegisterCursor(kCursorGeoZoom, "CURGEOZOOM");
  Screen().RegisterCursor(kCursorGeoHand, "CURGEOHAND");

  panel_ = new TPanel(this);
  panel_->SetParent(this);
  panel_->SetAlign(alTop);
  panel_->SetHeight(33);
  pointer_ = new TSpeedButton(this);
  pointer_->SetParent(panel_);
  pointer_->SetBounds(5, 5, 23, 22);
  pointer_->SetGroupIndex(1);
  pointer_->SetDown(true);
  pointer_->SetGlyph(PointerGlyph().get());
  zoom_ = new TSpeedButton(this);
  zoom_->SetParent(panel_);
  zoom_->SetBounds(30, 5, 23, 22);
  zoom_->SetGroupIndex(1);
  zoom_->SetGlyph(ZoomGlyph().get());
  list_ = new TComboBox(this);
  list_->SetParent(panel_);
  list_->SetBounds(zoom_->GetLeft() + zoom_->GetWidth() + 10, 5, 300, 21);
  list_->SetStyle(csDropDownList);
  map_ = new TGeoMap(this);
  map_->SetParent(this);
  map_->SetAlign(alClient);
  map_->SetEmptyMsg("TGeoAtlas: Empty");
  map_->SetCursor(crHandPoint);

  pointer_->OnClick = [this](TObject*) { ButtonClicked(false); };
  zoom_->OnClick = [this](TObject*) { ButtonClicked(true); };
  list_->OnChange = [this](TObject*) {
    const int n = list_->GetItemIndex() + 1;
    if (n >= 1) SelectMap(n);
    if (OnCBoxMapsChange) OnCBoxMapsChange(this);
  };
  map_->OnMapImageRequest = [this](TObject*, std::string& name) {
    if (selected_ >= 1) name = ImageBeside(maps_[selected_ - 1].CalFileName, name);
  };
  map_->OnDataRendered = [this](TObject*, TCanvas* C) { DrawOutlines(C); };
  map_->OnMouseDown = [this](TObject*, TMouseButton b, TShiftState s, int x, int y) {
    if (zoom_->GetDown()) {
      const double lat = map_->GetLastMClickLatitude(), lon = map_->GetLastMClickLongitude();
      const double r = map_->GetCalibData().Resolution;
      if (b == mbLeft)
        ZoomIn(lat, lon, r);
      else
        ZoomOut(lat, lon, r);
    }
    if (OnMouseDown) OnMouseDown(this, b, s, x, y);
  };
  map_->OnMouseUp = [this](TObject*, TMouseButton b, TShiftState s, int x, int y) {
    if (OnMouseUp) OnMouseUp(this, b, s, x, y);
  };
  map_->OnMouseMove = [this](TObject*, TShiftState s, int x, int y) {
    if (OnMouseMove) OnMouseMove(this, s, x, y);
  };
  map_->OnClick = [this](TObject*) {
    if (OnClick) OnClick(this);
  };
  map_->OnDblClick = [this](TObject*) {
    if (OnDblClick) OnDblClick(this);
  };
}

TGeoAtlas::~TGeoAtlas() = default;

void TGeoAtlas::ButtonClicked(bool Zoom) {
  if (zoom_->GetDown()) {
    map_->SetCursor(kCursorGeoZoom);
    map_->SetAllowPan(false);
  } else {
    map_->SetCursor(crHandPoint);
    map_->SetAllowPan(true);
  }
  Click();
  if (Zoom) {
    if (OnZoomButClick) OnZoomButClick(this);
  } else if (OnPointerButClick) {
    OnPointerButClick(this);
  }
}

bool TGeoAtlas::RegisterMap(const std::string& CalFileName) {
  // Read by the name as given: a case-sensitive file system would not find
  // the lower-cased name.
  TCalibData cal;
  TCalibModel model = cmUndefined;
  if (!ParseCalibData(CalFileName, "", cal, model)) return false;
  TMapDefinition def{CalFileName, cal.MapName, cal.Resolution, cal.Corners};
  auto same = std::find_if(maps_.begin(), maps_.end(),
                           [&](const TMapDefinition& d) { return d.CalFileName == CalFileName; });
  if (same != maps_.end()) {
    *same = def;
  } else {
    if (static_cast<int>(maps_.size()) >= kMaxAtlasMaps) return false;
    maps_.push_back(def);
  }
  FillList();
  return true;
}

void TGeoAtlas::UnregisterMap(int Number) {
  if (Number < 1 || Number > GetNumMaps()) return;
  maps_.erase(maps_.begin() + (Number - 1));
  const bool wasSelected = Number == selected_;
  if (selected_ > Number) --selected_;
  FillList();
  if (wasSelected) {
    selected_ = 0;
    if (Number <= GetNumMaps()) {
      SelectMap(Number);
    } else {
      map_->Clear();
    }
  } else {
    if (selected_ >= 1) list_->SetItemIndex(selected_ - 1);
    map_->Invalidate();
  }
}

bool TGeoAtlas::SelectMap(int Number) {
  if (Number < 1 || Number > GetNumMaps()) return false;
  selected_ = Number;
  const TMapDefinition& d = maps_[Number - 1];
  const bool ok = map_->LoadCalDataFromXML(d.CalFileName, "");
  if (ok) {
    map_->SetMapImgName(map_->GetMapImgName());
    list_->SetItemIndex(Number - 1);
  }
  map_->Invalidate();
  return ok;
}

TMapDefinition TGeoAtlas::GetMapDef(int Number) const {
  if (Number < 1 || Number > GetNumMaps()) return {};
  return maps_[Number - 1];
}

// The map shown is never a candidate: the file keeps resolutions to three
// decimals, so its stored value may lie a hair above the one the map
// computes, and zooming out would select it again.
bool TGeoAtlas::ZoomIn(double Lat, double Long, double Resolution) {
  int best = 0;
  double bestRes = 0;
  for (int i = 1; i <= GetNumMaps(); ++i) {
    const TMapDefinition& d = maps_[i - 1];
    if (i == selected_ || !PositionInMap(Lat, Long, d.Corners)) continue;
    if (!((Resolution - d.Resolution) / Resolution > minResDiff_ / 100)) continue;
    if (best == 0 || d.Resolution > bestRes) best = i, bestRes = d.Resolution;
  }
  if (best == 0) return false;
  SelectMap(best);
  map_->BringLocationToCenter(Lat, Long);
  return true;
}

bool TGeoAtlas::ZoomOut(double Lat, double Long, double Resolution) {
  int best = 0;
  double bestRes = 1e10;
  for (int i = 1; i <= GetNumMaps(); ++i) {
    const TMapDefinition& d = maps_[i - 1];
    if (i == selected_ || !PositionInMap(Lat, Long, d.Corners)) continue;
    if (d.Resolution > Resolution && d.Resolution < bestRes) best = i, bestRes = d.Resolution;
  }
  if (best == 0) return false;
  SelectMap(best);
  map_->BringLocationToCenter(Lat, Long);
  return true;
}

void TGeoAtlas::FillList() {
  TComboBoxItems* items = list_->GetItems();
  items->Clear();
  for (const TMapDefinition& d : maps_) items->Add(d.MapName.empty() ? d.CalFileName : d.MapName);
}

bool TGeoAtlas::GetCPnlVis() const { return panel_->GetVisible(); }

void TGeoAtlas::SetCPnlVis(bool Visible) { panel_->SetVisible(Visible); }

void TGeoAtlas::SetMapOLVisible(bool b) {
  outlineVisible_ = b;
  map_->Invalidate();
}

void TGeoAtlas::SetMapOLColor(TColor c) {
  outlineColor_ = c;
  map_->Invalidate();
}

void TGeoAtlas::DrawOutlines(TCanvas* C) {
  if (!outlineVisible_) return;
  C->GetPen()->SetColor(outlineColor_);
  C->GetPen()->SetStyle(psSolid);
  C->GetPen()->SetMode(pmCopy);
  for (int i = 1; i <= GetNumMaps(); ++i) {
    if (i == selected_) continue;
    const auto& k = maps_[i - 1].Corners;
    // From the fourth corner through the first, second, third and fourth;
    // corners that cannot be converted are left out.
    bool started = false;
    for (int step = 0; step < 5; ++step) {
      const TLatLong& c = k[(step + 3) % 4];
      int x, y;
      if (!map_->CalcPixelCoords(c.Lat, c.Long, x, y)) continue;
      const TPoint p = map_->MapImageToControl(x, y);
      if (started) {
        C->LineTo(p.X, p.Y);
      } else {
        C->MoveTo(p.X, p.Y);
        started = true;
      }
    }
  }
}

}  // namespace tkz
