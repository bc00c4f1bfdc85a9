// TGeoMap: the map image. Loading, taking a bitmap, saving with its
// calibration, renaming, resizing, blank maps with a graticule and a
// calibration of their own, clearing, and copies to the clipboard or a bitmap.
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <string>

#include "core/numkit/math1.h"
#include "core/platform/clipboard.h"
#include "core/platform/printer.h"
#include "core/sys/filesys.h"
#include "core/text/stringl.h"
#include "geo/geomap.h"
#include "geo/geomap_internal.h"

namespace tkz {

using geomap_internal::Round;

namespace {

std::string ReplaceExtension(const std::string& FileName, const char* Ext) {
  return std::filesystem::path(FileName).replace_extension(Ext).string();
}

// The refusal of an image beyond kMaxMapPixels (appended piece by piece:
// GCC 12 warns falsely about long chains of string additions).
std::string TooLarge(int w, int h) {
  std::string text = "Cannot use map image, maximum of ";
  text += std::to_string(kMaxMapPixels);
  text += " pixels exceeded (size of map is ";
  text += std::to_string(w);
  text += " x ";
  text += std::to_string(h);
  text += ")";
  return text;
}

// A grid label: a blank, the degrees without sign, and the side.
std::string Label(double v, TDegreeFormat f, const char* positive, const char* negative) {
  std::string text = " ";
  text += DegreeToStr(std::fabs(v), f, 0);
  text += v >= 0 ? positive : negative;
  return text;
}

// At most this many lines of a blank map's grid in each direction.
constexpr int kMaxEmptyMapLines = 1000;

}  // namespace

void TGeoMap::CheckImageSize(int w, int h) const {
  if (int64_t{w} * h > kMaxMapPixels) Error(TooLarge(w, h));
}

void TGeoMap::TakeImage(std::unique_ptr<TBitmap> Image, const std::string& Name) {
  const int w = Image->GetWidth(), h = Image->GetHeight();
  CheckImageSize(w, h);
  InvalidateCache();
  mapImage_ = std::move(Image);
  calData_.MapName = Name;
  SetMapImageSize(w, h);
}

void TGeoMap::SetMapImgName(const std::string& Name) {
  std::string name = Name;
  if (OnMapImageRequest) OnMapImageRequest(this, name);
  InvalidateCache();
  std::error_code ec;
  if (!std::filesystem::is_regular_file(name, ec)) return;
  auto image = std::make_unique<TBitmap>();
  LoadBitmapFromFile(*image, name, OnDataLoading, this);
  TakeImage(std::move(image), name);
}

void TGeoMap::SetMapBitMap(const TBitmap& Bitmap) {
  auto image = std::make_unique<TBitmap>();
  image->Assign(&Bitmap);
  TakeImage(std::move(image), "$unknown$");
  viewLeft_ = viewTop_ = 0;
  Invalidate();
}

void TGeoMap::SaveMap(const std::string& FileName, const std::string& ID) {
  const std::filesystem::path file(FileName);
  const std::string imageName = file.stem().string() + ".jpg";
  // The image first, so that the calibration never names a missing image.
  if (mapImage_) SaveBitmapToFile(*mapImage_, (file.parent_path() / imageName).string());
  calData_.MapName = imageName;
  SaveCalDataAsXML(ReplaceExtension(FileName, ".xml"), ID);
}

bool TGeoMap::RenameMapImg(const std::string& NewName) {
  const std::string& current = calData_.MapName;
  const std::string reduced = ReduceStringToFN83CompliantChars(NewName);
  const std::string stem = std::filesystem::path(reduced).stem().string();
  std::error_code ec;
  if (current.empty() || stem.empty() || !std::filesystem::is_regular_file(current, ec))
    return false;
  const std::filesystem::path old(current);
  const std::filesystem::path renamed = old.parent_path() / (stem + old.extension().string());
  std::filesystem::rename(old, renamed, ec);
  if (ec) return false;
  calData_.MapName = renamed.string();
  return true;
}

void TGeoMap::ResizeMap(double Factor) {
  if (!mapImage_ || !(Factor > 0) || !std::isfinite(Factor)) return;
  const int w = std::max(1, Round(mapImage_->GetWidth() * Factor));
  const int h = std::max(1, Round(mapImage_->GetHeight() * Factor));
  CheckImageSize(w, h);
  auto image = std::make_unique<TBitmap>(w, h);
  image->GetCanvas()->SetStretchMode(antiAlias_ ? smHalftone : smColorOnColor);
  image->GetCanvas()->StretchDraw({0, 0, w, h}, mapImage_.get());
  for (int i = 1; i <= calData_.NumCalLines; ++i) {
    TCalLine& l = calData_.CalLines[i];
    for (int p = 1; p <= l.NumPoints; ++p)
      l.Points[p] = {Round(l.Points[p].X * Factor), Round(l.Points[p].Y * Factor)};
  }
  for (int i = 1; i <= calData_.NumCalQuads; ++i) {
    TCalQuad& q = calData_.CalQuads[i];
    q.X = Round(q.X * Factor);
    q.Y = Round(q.Y * Factor);
  }
  InvalidateCache();
  mapImage_ = std::move(image);
  mapWidth_ = w;
  mapHeight_ = h;
  viewLeft_ = viewTop_ = 0;
  RecalcCalibration();
}

void TGeoMap::ResizeMapTo(int MaxSize) {
  if (!mapImage_ || MaxSize <= 0) return;
  const int side = std::max(mapImage_->GetWidth(), mapImage_->GetHeight());
  if (side > 0) ResizeMap(static_cast<double>(MaxSize) / side);
}

void TGeoMap::Clear() {
  ClearCalibData();
  SetCalibModel(cmUndefined);
  mtrace_.clear();
  mapImage_.reset();
  InvalidateCache();
  calData_.MapName.clear();
  mapWidth_ = mapHeight_ = 0;
  Invalidate();
}

// ---------------------------------------------------------------- blank maps

namespace {

// The image of a blank map (see CreateEmptyMapInMemory); the bounds are in
// ascending order and the steps positive.
std::unique_ptr<TBitmap> DrawEmptyMap(TObject* Sender, double latLo, double latHi, double lonLo,
                                      double lonHi, double latStep, double lonStep, int W, int H,
                                      bool grid, const TEmptyMapDrawEvent& Draw) {
  auto image = std::make_unique<TBitmap>(W, H);
  TCanvas* C = image->GetCanvas();
  if (grid) {
    C->GetBrush()->SetStyle(bsClear);
    C->GetPen()->SetColor(0);
    C->GetPen()->SetStyle(psSolid);
    C->Rectangle(30, 30, W - 30, H - 30);
    C->GetPen()->SetStyle(psDot);
    C->Rectangle(26, 26, W - 26, H - 26);
    C->GetFont()->SetColor(0);
    const auto format = [](double step) {
      if (step <= 0.06) return dfDegMinSec;
      return step != std::trunc(step) ? dfDegMin : dfDeg;
    };
    // Parallels, labelled at both ends.
    int n = 0;
    for (double lat = std::trunc(latLo / latStep) * latStep; lat <= latHi && n < kMaxEmptyMapLines;
         lat += latStep, ++n) {
      const int y = H - 30 - Round((lat - latLo) / (latHi - latLo) * (H - 60));
      if (y <= 30 || y >= H - 30) continue;
      C->GetPen()->SetStyle(psDash);
      C->GetPen()->SetColor(0xC0C0C0);
      C->MoveTo(31, y);
      C->LineTo(W - 30, y);
      const std::string text = Label(lat, format(latStep), " N ", " S ");
      const TPoint ext = C->TextExtent(text);
      C->TextOut(36, y - ext.Y / 2, text);
      C->TextOut(W - 36 - ext.X, y - ext.Y / 2, text);
    }
    // Meridians, labelled above and below.
    n = 0;
    for (double lon = std::trunc(lonLo / lonStep) * lonStep; lon <= lonHi && n < kMaxEmptyMapLines;
         lon += lonStep, ++n) {
      const int x = 30 + Round((lon - lonLo) / (lonHi - lonLo) * (W - 60));
      if (x <= 30 || x >= W - 30) continue;
      C->GetPen()->SetStyle(psDash);
      C->GetPen()->SetColor(0xC0C0C0);
      C->MoveTo(x, 31);
      C->LineTo(x, H - 30);
      const std::string text = Label(lon, format(lonStep), " E ", " W ");
      const TPoint ext = C->TextExtent(text);
      C->TextOut(x - ext.X / 2, 24 - ext.Y, text);
      C->TextOut(x - ext.X / 2, H - 24, text);
    }
    C->GetPen()->SetStyle(psSolid);
  }
  if (Draw) Draw(Sender, C, latLo, latHi, lonLo, lonHi, W, H);
  return image;
}

}  // namespace

void TGeoMap::CreateEmptyMapInMemory(double LatLow, double LatHigh, double LongLow, double LongHigh,
                                     double LatStep, double LongStep, int Width, int Height,
                                     bool DrawGrid, const TEmptyMapDrawEvent& Draw) {
  if (LatLow > LatHigh) std::swap(LatLow, LatHigh);
  if (LongLow > LongHigh) std::swap(LongLow, LongHigh);
  if (!std::isfinite(LatLow) || !std::isfinite(LatHigh) || !std::isfinite(LongLow) ||
      !std::isfinite(LongHigh) || LatLow == LatHigh || LongLow == LongHigh) {
    Error("CreateEmptyMapInMemory: the bounds must be finite and span an area");
  }
  if (!(LatStep > 0)) LatStep = 1;
  if (!(LongStep > 0)) LongStep = 1;
  Width = std::max(Width, 100);
  Height = std::max(Height, 100);
  CheckImageSize(Width, Height);
  auto image = DrawEmptyMap(this, LatLow, LatHigh, LongLow, LongHigh, LatStep, LongStep, Width,
                            Height, DrawGrid, Draw);
  ClearCalibData();
  SetCalibModel(cmBiquadraticPn);
  TakeImage(std::move(image), "$unknown$");
  calData_.Caption = "Map generated by TGeoMap";
  for (int i = 0; i <= 2; ++i) {
    for (int k = 0; k <= 2; ++k) {
      const double lat = LatLow + (LatHigh - LatLow) * i / 2;
      const double lon = LongLow + (LongHigh - LongLow) * k / 2;
      const int x = DrawGrid ? Round(k * (Width - 60) / 2.0 + 30) : Round(k * Width / 2.0);
      const int y = DrawGrid ? Round(Height - 30 - i * (Height - 60) / 2.0)
                             : Round(Height - i * Height / 2.0);
      AddCalibPoint(lat, lon, x, y);
    }
  }
  viewLeft_ = viewTop_ = 0;
  Invalidate();
}

void TGeoMap::CreateAndLoadEmptyMap(const std::string& FileName, double LatLow, double LatHigh,
                                    double LongLow, double LongHigh, double LatStep,
                                    double LongStep, int Width, int Height, bool DrawGrid,
                                    const TEmptyMapDrawEvent& Draw) {
  CreateEmptyMapInMemory(LatLow, LatHigh, LongLow, LongHigh, LatStep, LongStep, Width, Height,
                         DrawGrid, Draw);
  const std::string bmp = ReplaceExtension(FileName, ".bmp");
  SaveBitmapToFile(*mapImage_, bmp);
  calData_.MapName = std::filesystem::path(bmp).filename().string();
  SaveCalDataAsXML(ReplaceExtension(FileName, ".xml"), "TKZ_geomap_caldata");
  LoadCalDataFromXML(ReplaceExtension(FileName, ".xml"), "TKZ_geomap_caldata");
  // The file keeps the name without its folder (and its reader lower-cases
  // it): the image is loaded from where it was written.
  SetMapImgName(bmp);
}

// ------------------------------------------------------------------- copies

void TGeoMap::CopyToClipboard() {
  const int W = GetWidth(), H = GetHeight();
  if (W < 5 || H < 5) return;
  ConstructInternalMapImg();
  TBitmap bmp(W, H);
  TCanvas* C = bmp.GetCanvas();
  C->CopyRect({2, 2, W - 2, H - 2}, renderBmp_->GetCanvas(), {2, 2, W - 2, H - 2});
  C->GetBrush()->SetStyle(bsClear);
  C->GetPen()->SetColor(0);
  C->GetPen()->SetMode(pmCopy);
  C->GetPen()->SetStyle(psSolid);
  C->Rectangle(1, 1, W - 1, H - 1);
  Clipboard().Assign(bmp);
}

std::unique_ptr<TBitmap> TGeoMap::CopyToBMP() {
  if (!mapImage_) return std::make_unique<TBitmap>();
  // The whole image at magnification 1, rendered as the view renders.
  const int saveL = viewLeft_, saveT = viewTop_, saveW = GetWidth(), saveH = GetHeight();
  const double saveM = magnification_;
  const TFrameStyle saveF = frameStyle_;
  auto saveRender = std::move(renderBmp_);
  viewLeft_ = viewTop_ = 0;
  magnification_ = 1;
  frameStyle_ = fsNone;
  SetBounds(GetLeft(), GetTop(), mapWidth_, mapHeight_);
  try {
    ConstructInternalMapImg();
  } catch (...) {
    renderBmp_ = std::move(saveRender);
    SetBounds(GetLeft(), GetTop(), saveW, saveH);
    throw;
  }
  auto out = std::make_unique<TBitmap>(mapWidth_, mapHeight_);
  out->GetCanvas()->CopyRect({0, 0, mapWidth_, mapHeight_}, renderBmp_->GetCanvas(),
                             {0, 0, mapWidth_, mapHeight_});
  renderBmp_ = std::move(saveRender);
  viewLeft_ = saveL;
  viewTop_ = saveT;
  magnification_ = saveM;
  frameStyle_ = saveF;
  SetBounds(GetLeft(), GetTop(), saveW, saveH);
  return out;
}

void TGeoMap::CopyEntireMapToClipboard() {
  auto bmp = CopyToBMP();
  if (!bmp->Empty()) Clipboard().Assign(*bmp);
}

// ------------------------------------------------------------------ printing

TRect TGeoMap::CalcExtentsOfPrint(int PageWidth, int PageHeight, int Margin) const {
  const int w = PageWidth - 2 * Margin, h = PageHeight - 2 * Margin;
  if (w <= 0 || h <= 0 || mapWidth_ <= 0 || mapHeight_ <= 0) return {};
  const double f =
      std::min(static_cast<double>(w) / mapWidth_, static_cast<double>(h) / mapHeight_);
  const int pw = std::max(1, Round(mapWidth_ * f)), ph = std::max(1, Round(mapHeight_ * f));
  const int left = Margin + (w - pw) / 2, top = Margin + (h - ph) / 2;
  return {left, top, left + pw, top + ph};
}

void TGeoMap::CopyToOpenPrinter(TCanvas* PrinterCanvas, const TRect& Where) {
  if (!PrinterCanvas || Where.IsEmpty()) return;
  const auto whole = CopyToBMP();
  if (whole->Empty()) return;
  PrinterCanvas->SetStretchMode(antiAlias_ ? smHalftone : smColorOnColor);
  PrinterCanvas->StretchDraw(Where, whole.get());
}

void TGeoMap::PrintIt(const std::string& Title) {
  TPrinter& p = Printer();
  p.SetTitle(Title.empty() ? calData_.Caption : Title);
  p.BeginDoc();
  try {
    const int margin = std::min(p.GetPageWidth(), p.GetPageHeight()) / 20;
    CopyToOpenPrinter(p.GetCanvas(),
                      CalcExtentsOfPrint(p.GetPageWidth(), p.GetPageHeight(), margin));
  } catch (...) {
    p.Abort();
    throw;
  }
  p.EndDoc();
}

}  // namespace tkz
