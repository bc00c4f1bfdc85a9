// The map viewer's window: opening the three kinds of file, the status line,
// the mouse and keyboard modes and the landmarks a user adds.
#include "examples/mapviewer/mapviewer_form.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <vector>

#include "core/platform/application.h"
#include "core/sys/filesys.h"
#include "geo/geobasics.h"

namespace tkz::mapviewer {

namespace fs = std::filesystem;
using tool::DatabaseBase;

namespace {

constexpr int kStatusHeight = 22;
// How far (degrees of longitude) from its zone's central meridian the UTM
// grid of a map calibrated in degrees is drawn: a zone and a half each side.
constexpr double kGridReach = 9;
constexpr double kWheelStep = 1.25;  // zoom factor per wheel notch and per + or -
// The world map made for a database: equirectangular, 0.15 degree a pixel
// (the largest image a map takes at this aspect).
constexpr int kWorldWidth = 2400, kWorldHeight = 1200;

// "47°22.50'N" or " 8°32.40'E": degrees, minutes to two decimals.
std::string DegMin(double v, char pos, char neg) {
  const char hemi = v < 0 ? neg : pos;
  double a = std::abs(v);
  int deg = static_cast<int>(a);
  double min = (a - deg) * 60;
  if (std::round(min * 100) >= 6000) {  // 59.996' shows as the next degree
    ++deg;
    min = 0;
  }
  char buf[32];
  std::snprintf(buf, sizeof buf, "%d\xB0%05.2f'%c", deg, min, hemi);
  return buf;
}

}  // namespace

// ------------------------------------------------------------ status line

TStatusLine::TStatusLine(TComponent* AOwner) : TCustomControl(AOwner) {
  SetColor(clBtnFace);
  SetHeight(kStatusHeight);
}

void TStatusLine::Paint() {
  TCanvas* c = GetCanvas();
  c->GetPen()->SetColor(clGray);
  c->MoveTo(0, 0);
  c->LineTo(GetWidth(), 0);
  c->GetBrush()->SetStyle(bsClear);
  c->GetFont()->SetColor(clBlack);
  c->TextOut(6, (GetHeight() - c->TextHeight("Ag")) / 2, GetCaption());
  TCustomControl::Paint();
}

// ----------------------------------------------------------------- the form

TMapViewerForm::TMapViewerForm(TComponent* AOwner) : TPanel(AOwner) {
  SetBevelOuter(bvNone);
  SetBounds(0, 0, 1000, 700);
  SetCaption("TKZ Map Viewer");
  status_ = new TStatusLine(this);
  status_->SetParent(this);
  status_->SetAlign(alBottom);
}

TMapViewerForm::~TMapViewerForm() {
  // The overlay draws through the map's event: it goes first.
  if (map_) map_->OnBeforeRenderData = nullptr;
  overlay_.reset();
}

void TMapViewerForm::Resize() {
  TPanel::Resize();
  UpdateStatus();
}

void TMapViewerForm::Build(TMapFileKind kind) {
  kind_ = kind;
  if (kind == TMapFileKind::Atlas) {
    atlas_ = new TGeoAtlas(this);
    atlas_->SetParent(this);
    atlas_->SetAlign(alClient);
    map_ = atlas_->GetMap();
    HookMouse(atlas_);
  } else {
    map_ = new TGeoMap(this);
    map_->SetParent(this);
    map_->SetAlign(alClient);
    HookMouse(map_);
  }
  map_->SetCursor(crHandPoint);
  // After what the map (or the atlas: its outlines) draws over the data.
  map_->OnDataRendered = [this, before = map_->OnDataRendered](TObject* s, TCanvas* C) {
    if (before) before(s, C);
    DrawUTMGrid(C);
  };
  map_->OnMouseWheel = [this](TObject*, TShiftState, int delta, TPoint pos, bool& handled) {
    const TPoint p = map_->ScreenToClient(pos);
    ZoomAbout(std::pow(kWheelStep, delta / 120.0), p.X, p.Y);
    handled = true;
  };
  map_->OnZoomPan = [this](TObject*) {
    // A zoom window done: back to the hand.
    if (mode_ == TViewerMode::ZoomWindow && map_->GetMouseAction() == maZoomWind)
      SetMode(TViewerMode::Hand);
  };
}

void TMapViewerForm::HookMouse(TControl* source) {
  // An atlas hands on its map's mouse events in the map's coordinates.
  source->OnMouseMove = [this](TObject*, TShiftState, int x, int y) {
    position_ = PositionText(x, y);
    UpdateStatus();
  };
  source->OnMouseDown = [this](TObject*, TMouseButton b, TShiftState, int x, int y) {
    if (b == mbLeft) downAt_ = {x, y};
    if (mode_ == TViewerMode::Landmark && b == mbLeft) AddLandmarkAt(x, y);
  };
  source->OnMouseUp = [this](TObject*, TMouseButton b, TShiftState, int x, int y) {
    if (mode_ == TViewerMode::Hand && b == mbLeft && std::abs(x - downAt_.X) <= 2 &&
        std::abs(y - downAt_.Y) <= 2)
      HighlightAt(x, y);
  };
}

void TMapViewerForm::OpenFile(const std::string& FileName, const std::string& Id,
                              const std::string& Landmarks) {
  std::error_code ec;
  const TMapFileKind kind = DetectMapFile(FileName);
  if (kind == TMapFileKind::None) {
    if (!fs::exists(FileName, ec))
      throw EViewerError("cannot open \"" + FileName + "\": no such file");
    if (fs::is_regular_file(FileName, ec) && !std::ifstream(FileName))
      throw EViewerError("cannot read \"" + FileName + "\"");
    throw EViewerError("\"" + FileName + "\" is not a calibration, atlas or geographic database");
  }
  if (kind_ != TMapFileKind::None) throw EViewerError("a viewer form opens one file");
  Build(kind);
  fileName_ = FileName;
  try {
    if (kind == TMapFileKind::Calibration) OpenCalibration(FileName, Id);
    if (kind == TMapFileKind::Atlas) OpenAtlas(FileName);
    if (kind == TMapFileKind::Database) OpenDatabase(FileName);
    if (!Landmarks.empty() && fs::is_regular_file(Landmarks, ec))
      map_->LoadLandMarks(Landmarks, "");
  } catch (const EViewerError&) {
    throw;
  } catch (const std::exception& e) {
    throw EViewerError("cannot open \"" + FileName + "\": " + e.what());
  }
  const std::string base =
      kind == TMapFileKind::Database ? DatabaseBase(FileName) : StripExtension(FileName);
  landmarkFile_ = Landmarks.empty() ? base + ".landmarks.xml" : Landmarks;
  map_->SetShowGrat(sgNone);
  map_->ZoomFitPage();
  UpdateTitle();
  UpdateStatus();
}

void TMapViewerForm::OpenCalibration(const std::string& FileName, const std::string& Id) {
  if (!map_->LoadCalDataFromXML(FileName, Id))
    throw EViewerError("\"" + FileName + "\" has no calibration" +
                       (Id.empty() ? std::string() : " \"" + Id + "\""));
  if (!tool::LoadMapImage(*map_, FileName))
    throw EViewerError("cannot find the map image \"" + map_->GetMapImgName() + "\" of \"" +
                       FileName + "\"");
}

void TMapViewerForm::OpenAtlas(const std::string& FileName) {
  std::ifstream in(FileName);
  std::string line;
  std::getline(in, line);  // the "# tkz atlas" line
  const fs::path dir = fs::path(FileName).parent_path();
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const size_t first = line.find_first_not_of(" \t");
    if (first == std::string::npos || line[first] == '#') continue;
    const fs::path cal = fs::path(line.substr(first));
    const std::string path = (cal.is_absolute() ? cal : dir / cal).string();
    if (!atlas_->RegisterMap(path))
      throw EViewerError("\"" + FileName + "\": cannot read the calibration \"" + path + "\"");
  }
  if (atlas_->GetNumMaps() == 0) throw EViewerError("\"" + FileName + "\" lists no maps");
  if (!atlas_->SelectMap(1))
    throw EViewerError("\"" + FileName + "\": cannot show \"" + atlas_->GetMapDef(1).CalFileName +
                       "\"");
}

void TMapViewerForm::OpenDatabase(const std::string& FileName) {
  db_ = std::make_unique<TGeoDB>();
  db_->SetGDBName(DatabaseBase(FileName) + ".tkzgds");
  map_->CreateEmptyMapInMemory(-90, 90, -180, 180, 30, 30, kWorldWidth, kWorldHeight, false);
  TLandMark def = map_->GetDefaultLandMark();
  def.Element = lmCircle;
  def.Size = 3;
  map_->SetDefaultLandMark(def);
  overlay_ = std::make_unique<tool::GdbOverlay>(*map_, *db_);
}

// ------------------------------------------------------------ what it shows

std::string TMapViewerForm::PositionText(int X, int Y) const {
  if (!map_ || map_->GetMapWidth() <= 0) return "outside the map";
  const TPoint p = map_->ControlToMapImage(X, Y);
  if (X < 0 || Y < 0 || X >= map_->GetWidth() || Y >= map_->GetHeight() || p.X < 0 || p.Y < 0 ||
      p.X >= map_->GetMapWidth() || p.Y >= map_->GetMapHeight())
    return "outside the map";
  bool vLat = false, vLong = false;
  const double lat = map_->CalcLatitude(p, vLat), lon = map_->CalcLongitude(p, vLong);
  if (!vLat || !vLong || !std::isfinite(lat) || !std::isfinite(lon) || std::abs(lat) > 90 ||
      std::abs(lon) > 180)
    return "outside the map";
  std::string s = DegMin(lat, 'N', 'S') + " " + DegMin(lon, 'E', 'W');
  int zone = 0;
  char band = ' ';
  GeoToUTMZone(lat, lon, zone, band);
  if (zone != kNoUTMZone) {
    double e = 0, n = 0;
    LatLongToUTM(lat, lon, gelWGS84, zone, e, n);
    char buf[64];
    std::snprintf(buf, sizeof buf, "   UTM %d%c %.0fE %.0fN", zone, band, e, n);
    s += buf;
  }
  return s;
}

std::string TMapViewerForm::ModeText() const {
  switch (mode_) {
    case TViewerMode::ZoomWindow:
      return "zoom window: drag a rectangle (z: hand)";
    case TViewerMode::Landmark:
      return "landmarks: click to add, Del removes, Ctrl+S saves (l: hand)";
    default:
      return "hand: drag to pan, wheel zooms (z: zoom window, l: landmarks, g: graticule)";
  }
}

void TMapViewerForm::UpdateStatus() {
  if (!status_) return;  // the constructor sizes the form before the line exists
  std::string s = position_ + "   |   " + ModeText();
  if (!message_.empty()) s += "   |   " + message_;
  if (status_->GetCaption() != s) {
    status_->SetCaption(s);
    status_->Invalidate();
  }
}

void TMapViewerForm::UpdateTitle() {
  std::string name = fs::path(fileName_).filename().string();
  if (modified_) name += "*";
  SetCaption(name + " - TKZ Map Viewer");
}

void TMapViewerForm::SetMode(TViewerMode m) {
  mode_ = m;
  if (map_) {
    map_->SetMouseAction(m == TViewerMode::Hand         ? maPan
                         : m == TViewerMode::ZoomWindow ? maZoomWind
                                                        : maNone);
    map_->SetCursor(m == TViewerMode::Hand ? crHandPoint : crCross);
  }
  UpdateStatus();
}

// ------------------------------------------------------------------- input

void TMapViewerForm::ZoomAbout(double Factor, int X, int Y) {
  if (!map_ || !(Factor > 0)) return;
  const double m0 = map_->GetMagnification();
  const TPoint o = map_->GetTopLeft();
  const double ix = o.X + X / m0, iy = o.Y + Y / m0;  // the image point under (X, Y)
  map_->SetMagnification(m0 * Factor);
  const double m1 = map_->GetMagnification();
  map_->SetTopLeft(
      {static_cast<int>(std::lround(ix - X / m1)), static_cast<int>(std::lround(iy - Y / m1))});
  position_ = PositionText(X, Y);
  UpdateStatus();
}

void TMapViewerForm::KeyDown(uint16_t& Key, TShiftState Shift) {
  if (HandleKey(Key, Shift)) Key = 0;
  TPanel::KeyDown(Key, Shift);
}

bool TMapViewerForm::HandleKey(uint16_t Key, TShiftState Shift) {
  if (!map_) return false;
  const int w = map_->GetWidth(), h = map_->GetHeight();
  const double mag = map_->GetMagnification();
  const auto pan = [&](int dx, int dy) {
    const TPoint o = map_->GetTopLeft();
    map_->SetTopLeft({o.X + static_cast<int>(std::lround(dx / mag)),
                      o.Y + static_cast<int>(std::lround(dy / mag))});
  };
  if (Shift.Contains(ssCtrl)) {
    if (Key == 'S') {
      SaveLandmarks();
      return true;
    }
    if (Key == 'C') {
      // The view as shown, or with Shift the whole map with what is drawn on it.
      if (Shift.Contains(ssShift)) {
        map_->CopyEntireMapToClipboard();
        message_ = "the whole map copied to the clipboard";
      } else {
        map_->CopyToClipboard();
        message_ = "the view copied to the clipboard";
      }
      UpdateStatus();
      return true;
    }
    return false;
  }
  switch (Key) {
    case 'Z':
      SetMode(mode_ == TViewerMode::ZoomWindow ? TViewerMode::Hand : TViewerMode::ZoomWindow);
      return true;
    case 'L':
      SetMode(mode_ == TViewerMode::Landmark ? TViewerMode::Hand : TViewerMode::Landmark);
      return true;
    case 'G': {
      static constexpr TShowGrat kCycle[] = {sgNone, sgPoints, sgLines, sgUTMGrid};
      const TShowGrat now = map_->GetShowGraticule();
      int i = 0;
      while (i < 4 && kCycle[i] != now) ++i;
      map_->SetShowGrat(kCycle[(i + 1) % 4]);
      return true;
    }
    case 'F':
    case VK_HOME:
      map_->ZoomFitPage();
      return true;
    case VK_ADD:
    case VK_OEM_PLUS:
      ZoomAbout(kWheelStep, w / 2, h / 2);
      return true;
    case VK_SUBTRACT:
    case VK_OEM_MINUS:
      ZoomAbout(1 / kWheelStep, w / 2, h / 2);
      return true;
    case VK_LEFT:
      pan(-w / 8, 0);
      return true;
    case VK_RIGHT:
      pan(w / 8, 0);
      return true;
    case VK_UP:
      pan(0, -h / 8);
      return true;
    case VK_DOWN:
      pan(0, h / 8);
      return true;
    case VK_DELETE:
      DeleteLandmark();
      return true;
    default:
      return false;
  }
}

void TMapViewerForm::DrawUTMGrid(TCanvas* C) {
  // A map calibrated in degrees has no zone of its own: the grid is the one
  // of the zone of the map's centre, each line traced through the map's
  // conversion, within kGridReach degrees of longitude of the zone's central
  // meridian (a map calibrated in UTM draws its own grid).
  if (map_->GetShowGraticule() != sgUTMGrid || map_->GetCalibModel() == cmUTM) return;
  const int w = map_->GetMapWidth(), h = map_->GetMapHeight();
  bool v1 = false, v2 = false;
  const double clat = map_->CalcLatitude(w / 2.0, h / 2.0, v1);
  const double clon = map_->CalcLongitude(w / 2.0, h / 2.0, v2);
  if (!v1 || !v2) return;
  int zone = kNoUTMZone;
  char band = ' ';
  GeoToUTMZone(clat, clon, zone, band);
  if (zone == kNoUTMZone) return;
  const bool south = clat < 0;
  const double lambda0 = UTMCentralMeridian(zone);
  // Easting and northing in this zone, from plain Transverse Mercator.
  const auto project = [&](double lat, double lon, double& e, double& n) {
    double x, y;
    const double dl = std::remainder(lon - lambda0 * 180 / std::numbers::pi, 360.0);
    if (std::abs(dl) > kGridReach || lat < -80 || lat > 84) return false;
    LatLongToTM(lat * std::numbers::pi / 180, lambda0 + dl * std::numbers::pi / 180, lambda0,
                gelWGS84, x, y);
    e = 0.9996 * x + 500000;
    n = 0.9996 * y + (south ? 10000000 : 0);
    return std::isfinite(e) && std::isfinite(n);
  };
  // The extent of the map's border in the zone.
  double eLo = 1e300, eHi = -1e300, nLo = 1e300, nHi = -1e300;
  for (int k = 0; k <= 40; ++k) {
    const double t = k / 40.0;
    const double px[4] = {t * w, t * w, 0, double(w)}, py[4] = {0, double(h), t * h, t * h};
    for (int s = 0; s < 4; ++s) {
      bool a = false, b = false;
      const double lat = map_->CalcLatitude(px[s], py[s], a);
      const double lon = map_->CalcLongitude(px[s], py[s], b);
      double e, n;
      if (!a || !b || !project(lat, lon, e, n)) continue;
      eLo = std::min(eLo, e), eHi = std::max(eHi, e);
      nLo = std::min(nLo, n), nHi = std::max(nHi, n);
    }
  }
  if (!(eHi > eLo && nHi > nLo)) return;
  const auto spacing = [](double range) {  // 1, 2 or 5 times a power of ten, about range / 10
    const double raw = std::max(range / 10, 1.0);
    const double p = std::pow(10, std::floor(std::log10(raw)));
    return raw / p < 2 ? p : raw / p < 5 ? 2 * p : 5 * p;
  };
  const double es = spacing(eHi - eLo), ns = spacing(nHi - nLo);
  C->GetPen()->SetColor(map_->GetColorGraticule());
  C->GetPen()->SetStyle(psSolid);
  C->GetPen()->SetMode(pmCopy);
  const auto trace = [&](bool easting, double value, double lo, double hi) {
    std::vector<TPoint> pts;
    const auto flush = [&] {
      if (pts.size() >= 2) C->Polyline(pts);
      pts.clear();
    };
    for (int k = 0; k <= 60; ++k) {
      const double t = lo + (hi - lo) * k / 60;
      double lat, lon;
      UTMToLatLong(easting ? value : t, easting ? t : value, zone, south, gelWGS84, lat, lon);
      int x, y;
      double e, n;  // only where the zone's projection holds: the way back agrees
      if (std::isfinite(lat) && std::isfinite(lon) && project(lat, lon, e, n) &&
          std::abs(e - (easting ? value : t)) < 1 && std::abs(n - (easting ? t : value)) < 1 &&
          map_->CalcPixelCoords(lat, lon, x, y))
        pts.push_back(map_->MapImageToControl(x, y));
      else
        flush();
    }
    flush();
  };
  for (double e = std::ceil(eLo / es) * es; e <= eHi; e += es) trace(true, e, nLo, nHi);
  for (double n = std::ceil(nLo / ns) * ns; n <= nHi; n += ns) trace(false, n, eLo, eHi);
}

int TMapViewerForm::HighlightAt(int X, int Y) {
  int best = 0;
  double bestD = 10.5 * 10.5;
  for (int i = 1; i <= map_->GetNumLandMarks(); ++i) {
    const TLandMark lm = map_->GetLandMarkData(i);
    if (!map_->GetClassVisibility(lm.LMClass)) continue;
    int x, y;
    if (!map_->CalcPixelCoords(lm.Latitude, lm.Longitude, x, y)) continue;
    const TPoint p = map_->MapImageToControl(x, y);
    const double d = double(p.X - X) * (p.X - X) + double(p.Y - Y) * (p.Y - Y);
    if (d < bestD) bestD = d, best = i;
  }
  map_->SetHighLM(best);
  message_ = best == 0 ? std::string()
                       : "landmark " + std::to_string(best) + ": " +
                             map_->GetLandMarkData(best).Caption.Text + " (Del removes it)";
  UpdateStatus();
  return best;
}

bool TMapViewerForm::AddLandmarkAt(int X, int Y) {
  const TPoint p = map_->ControlToMapImage(X, Y);
  bool vLat = false, vLong = false;
  const double lat = map_->CalcLatitude(p, vLat), lon = map_->CalcLongitude(p, vLong);
  if (PositionText(X, Y) == "outside the map" || !vLat || !vLong) {
    message_ = "no landmark outside the map";
    UpdateStatus();
    return false;
  }
  const int before = map_->GetNumLandMarks();
  const TLandMark& def = map_->GetDefaultLandMark();
  map_->AddLandMark(lat, lon, 0, "landmark " + std::to_string(++added_), def.Caption.FontSize,
                    def.Caption.TextColor);
  if (map_->GetNumLandMarks() == before) return false;  // vetoed
  map_->SetHighLM(map_->GetNumLandMarks());
  modified_ = true;
  message_ = "added landmark " + std::to_string(added_);
  UpdateTitle();
  UpdateStatus();
  return true;
}

void TMapViewerForm::DeleteLandmark() {
  const int n = map_->GetNumLandMarks();
  if (n == 0) return;
  const int high = map_->GetHighLM();
  if (high >= 1 && high <= n)
    map_->RemoveLandMark(high);
  else
    map_->RemoveLastLandMark();
  if (map_->GetNumLandMarks() < n) {
    modified_ = true;
    message_ = "landmark removed";
    UpdateTitle();
    UpdateStatus();
  }
}

bool TMapViewerForm::SaveLandmarks() {
  try {
    map_->SaveLandmarks(landmarkFile_, "");
  } catch (const std::exception& e) {
    message_ = "cannot save the landmarks to " + landmarkFile_ + ": " + e.what();
    UpdateStatus();
    return false;
  }
  modified_ = false;
  message_ = "saved " + std::to_string(map_->GetNumLandMarks()) + " landmarks to " + landmarkFile_;
  UpdateTitle();
  UpdateStatus();
  return true;
}

}  // namespace tkz::mapviewer
