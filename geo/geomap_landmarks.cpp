// TGeoMap: the landmark table. Adding (with the OnLandMarkAction veto),
// finding, removing, per-class visibility and the highlighted landmark.
//
// The table is landMarks_[0 .. numLandMarks_ - 1]; its size (the capacity)
// grows in blocks of kLandMarkBlock and goes back to one block whenever the
// table becomes empty. Removing several landmarks does not keep their order:
// the holes are filled with the last entries.
#include <algorithm>
#include <cstdint>
#include <new>

#include "core/dstruct/containers.h"
#include "geo/geomap.h"
#include "geo/geomap_internal.h"

namespace tkz {

namespace {

// Class arguments outside 0..255 mean every class (-1).
int NormalisedClass(int LMClass) { return LMClass < 0 || LMClass > 255 ? -1 : LMClass; }

bool InClass(const TLandMark& lm, int LMClass) { return LMClass < 0 || lm.LMClass == LMClass; }

// Squared distance in degrees, as the table's searches measure it.
double SquaredDistance(const TLandMark& lm, double Lat, double Long) {
  const double dLat = lm.Latitude - Lat;
  const double dLong = lm.Longitude - Long;
  return dLat * dLat + dLong * dLong;
}

// The stored form of a record: strings cut to their capacities.
TLandMark Stored(const TLandMark& Data) {
  TLandMark lm = Data;
  if (lm.Identifier.size() > kLMIdentifierLength) lm.Identifier.resize(kLMIdentifierLength);
  if (lm.Caption.Text.size() > kLMTextLength) lm.Caption.Text.resize(kLMTextLength);
  return lm;
}

// Template at the position given.
TLandMark Placed(const TLandMark& Template, double Lat, double Long, double Alti) {
  TLandMark lm = Template;
  lm.Latitude = Lat;
  lm.Longitude = Long;
  lm.Altitude = Alti;
  return lm;
}

void SetCaptionText(TLandMark& lm, const std::string& Text, int FontSize, TColor Color) {
  lm.Caption.Text = Text;
  lm.Caption.FontSize = FontSize;
  lm.Caption.TextColor = Color;
}

}  // namespace

// ------------------------------------------------------------------ adding

void TGeoMap::StoreLandMark(const TLandMark& Data) {
  if (numLandMarks_ >= static_cast<int>(landMarks_.size())) {
    try {
      // std::vector::resize leaves the table as it was when it throws.
      landMarks_.resize(landMarks_.size() + kLandMarkBlock);
    } catch (const std::bad_alloc&) {
      Error("insufficient memory");
    } catch (const std::length_error&) {
      Error("insufficient memory");
    }
  }
  landMarks_[static_cast<size_t>(numLandMarks_)] = Stored(Data);
  ++numLandMarks_;
  ++lmGen_;
}

void TGeoMap::AddLandMarkRecord(const TLandMark& Data) {
  const TLandMark lm = Stored(Data);
  bool allowed = true;
  if (OnLandMarkAction) OnLandMarkAction(this, allowed, lmaAdd, lm);
  if (!allowed) return;
  StoreLandMark(lm);
  Invalidate();
}

void TGeoMap::AddLandMark(double Lat, double Long, double Alti, TLandMarkElement Element,
                          uint8_t LMClass, const std::string& Identifier, double TimeStamp,
                          int UserTag, TColor ColorFg, TColor ColorBg, int Size, bool Transparent,
                          int Direction, int Length) {
  TLandMark lm = Placed(TLandMark{}, Lat, Long, Alti);
  lm.LMClass = LMClass;
  lm.UserTag = UserTag;
  lm.Element = Element;
  lm.Size = Size;
  lm.ColorFg = ColorFg;
  lm.ColorBg = ColorBg;
  lm.Transparent = Transparent;
  lm.Direction = Direction;
  lm.Length = Length;
  lm.Caption = defaultLandMark_.Caption;
  lm.Identifier = Identifier;
  lm.TimeStamp = TimeStamp;
  AddLandMarkRecord(lm);
}

void TGeoMap::AddLandMark(double Lat, double Long, double Alti) {
  AddLandMarkRecord(Placed(defaultLandMark_, Lat, Long, Alti));
}

void TGeoMap::AddLandMark(double Lat, double Long, double Alti, const std::string& Identifier,
                          double TimeStamp) {
  TLandMark lm = Placed(defaultLandMark_, Lat, Long, Alti);
  lm.Identifier = Identifier;
  lm.TimeStamp = TimeStamp;
  AddLandMarkRecord(lm);
}

void TGeoMap::AddLandMark(double Lat, double Long, double Alti, const std::string& CapText,
                          int CapFontSize, TColor CapColor) {
  TLandMark lm = Placed(defaultLandMark_, Lat, Long, Alti);
  SetCaptionText(lm, CapText, CapFontSize, CapColor);
  AddLandMarkRecord(lm);
}

void TGeoMap::AddLandMark(double Lat, double Long, double Alti, const std::string& Identifier,
                          double TimeStamp, const std::string& CapText, int CapFontSize,
                          TColor CapColor) {
  TLandMark lm = Placed(defaultLandMark_, Lat, Long, Alti);
  lm.Identifier = Identifier;
  lm.TimeStamp = TimeStamp;
  SetCaptionText(lm, CapText, CapFontSize, CapColor);
  AddLandMarkRecord(lm);
}

// ---------------------------------------------------------------- removing

void TGeoMap::ResetLandMarkTable() {
  numLandMarks_ = 0;
  ++lmGen_;
  std::vector<TLandMark>(kLandMarkBlock).swap(landMarks_);
}

int TGeoMap::RemoveMarked(const std::vector<int>& Candidates) {
  const int n = numLandMarks_;
  TBitFld marked;
  marked.SetSize(n);
  marked.Clear();
  int removed = 0;
  for (const int i : Candidates) {
    bool allowed = true;
    if (OnLandMarkAction) {
      // A copy: the handler may look at the map while it decides.
      const TLandMark lm = landMarks_[static_cast<size_t>(i)];
      OnLandMarkAction(this, allowed, lmaRemove, lm);
    }
    if (allowed) {
      marked.SetBit(i, true);
      ++removed;
    }
  }
  if (removed == n && n > 0) {
    ResetLandMarkTable();
  } else if (removed > 0) {
    // Each hole, in ascending order, takes the last entry not removed, until
    // the holes reach the entries that are kept anyway.
    int last = n - 1;
    for (int hole = 0; hole < n; ++hole) {
      if (!marked.GetBit(hole)) continue;
      while (last > hole && marked.GetBit(last)) --last;
      if (last <= hole) break;
      landMarks_[static_cast<size_t>(hole)] = std::move(landMarks_[static_cast<size_t>(last)]);
      --last;
    }
    numLandMarks_ = n - removed;
    ++lmGen_;
  }
  highLM_ = 0;
  Invalidate();
  return removed;
}

int TGeoMap::RemoveLandMark(double Lat, double Long, int LMClass, double Radius) {
  const int cls = NormalisedClass(LMClass);
  const double r2 = Radius * Radius;
  std::vector<int> candidates;
  for (int i = 0; i < numLandMarks_; ++i) {
    const TLandMark& lm = landMarks_[static_cast<size_t>(i)];
    if (InClass(lm, cls) && SquaredDistance(lm, Lat, Long) < r2) candidates.push_back(i);
  }
  return RemoveMarked(candidates);
}

int TGeoMap::RemoveLandMark(const TRectDouble& Rect, int LMClass) {
  const int cls = NormalisedClass(LMClass);
  std::vector<int> candidates;
  for (int i = 0; i < numLandMarks_; ++i) {
    const TLandMark& lm = landMarks_[static_cast<size_t>(i)];
    if (InClass(lm, cls) && Rect.Contains(lm.Longitude, lm.Latitude)) candidates.push_back(i);
  }
  return RemoveMarked(candidates);
}

int TGeoMap::RemoveLandMark(double Lat, double Long, int LMClass) {
  const int nearest = FindLandMark(Lat, Long, LMClass);
  if (nearest == 0) {
    highLM_ = 0;
    Invalidate();
    return 0;
  }
  return RemoveLandMark(nearest) != 0 ? 1 : 0;
}

int TGeoMap::RemoveLandMark(int Number) {
  int result = 0;
  if (Number >= 1 && Number <= numLandMarks_) {
    bool allowed = true;
    if (OnLandMarkAction) {
      const TLandMark lm = landMarks_[static_cast<size_t>(Number - 1)];
      OnLandMarkAction(this, allowed, lmaRemove, lm);
    }
    if (allowed) {
      if (numLandMarks_ == 1) {
        ResetLandMarkTable();
      } else {
        if (Number != numLandMarks_)
          landMarks_[static_cast<size_t>(Number - 1)] =
              std::move(landMarks_[static_cast<size_t>(numLandMarks_ - 1)]);
        --numLandMarks_;
        ++lmGen_;
      }
      result = Number;
    }
  }
  highLM_ = 0;
  Invalidate();
  return result;
}

void TGeoMap::RemoveLastLandMark() {
  if (numLandMarks_ > 0) {
    RemoveLandMark(numLandMarks_);
    return;
  }
  highLM_ = 0;
  Invalidate();
}

void TGeoMap::RemoveAllLandMarks(uint8_t LMClass) {
  std::vector<int> candidates;
  for (int i = 0; i < numLandMarks_; ++i)
    if (landMarks_[static_cast<size_t>(i)].LMClass == LMClass) candidates.push_back(i);
  RemoveMarked(candidates);
}

void TGeoMap::RemoveAllLandMarks() {
  ResetLandMarkTable();
  highLM_ = 0;
  Invalidate();
}

// ------------------------------------------------------- finding, reading

int TGeoMap::FindLandMark(double Lat, double Long, int LMClass) const {
  const int cls = NormalisedClass(LMClass);
  double best = 1e10;
  int found = 0;
  for (int i = 0; i < numLandMarks_; ++i) {
    const TLandMark& lm = landMarks_[static_cast<size_t>(i)];
    if (!InClass(lm, cls)) continue;
    const double d = SquaredDistance(lm, Lat, Long);
    if (d < best) {
      best = d;
      found = i + 1;
    }
  }
  return found;
}

TLandMark TGeoMap::GetLandMarkData(int Number) const {
  if (Number < 1 || Number > numLandMarks_) return defaultLandMark_;
  return landMarks_[static_cast<size_t>(Number - 1)];
}

void TGeoMap::SetLandMarkData(int Number, const TLandMark& Data) {
  if (Number < 1 || Number > numLandMarks_) return;
  landMarks_[static_cast<size_t>(Number - 1)] = Stored(Data);
  ++lmGen_;
  Invalidate();
}

bool TGeoMap::GetClassVisibility(int LMClass) const {
  if (LMClass < 0 || LMClass > 255) return false;
  return classVisible_[static_cast<size_t>(LMClass)];
}

void TGeoMap::SetClassVisibility(int LMClass, bool Visible) {
  if (LMClass < 0 || LMClass > 255) return;
  classVisible_[static_cast<size_t>(LMClass)] = Visible;
  Invalidate();
}

void TGeoMap::SetHighLM(int Number) {
  if (Number < 1 || Number > numLandMarks_) Number = 0;
  if (Number == highLM_) return;
  highLM_ = Number;
  Invalidate();
}

// ------------------------------------------------------------------ index

TGeoMap::TCalibKey TGeoMap::CurrentCalibKey() const {
  return {calibModel_,
          calData_.NumCalQuads,
          calData_.UTMZone,
          calData_.UTMSouth,
          calData_.Ellipsoid,
          biquad_,
          affine_,
          miller_,
          conic_,
          parabolas_};
}

const TGeoMap::TLMIndex& TGeoMap::LandMarkIndex() {
  TCalibKey key = CurrentCalibKey();
  TLMIndex& ix = lmIndex_;
  if (ix.Built && ix.Gen == lmGen_ && ix.Key == key) return ix;
  ix.Built = true;
  ix.Gen = lmGen_;
  ix.Key = std::move(key);
  const int n = numLandMarks_;
  ix.Pixel.assign(static_cast<size_t>(n), TPoint{});
  ix.Reach.assign(static_cast<size_t>(n), -1.0f);
  ix.Class.resize(static_cast<size_t>(n));
  ix.Outside.clear();
  ix.MaxReach = 0;
  // The grid covers the image and as much again on every side; positions
  // beyond are few and tested one by one.
  const int margin = std::max({mapWidth_, mapHeight_, 1});
  const int64_t gx0 = -int64_t{margin}, gy0 = -int64_t{margin};
  const int64_t gx1 = int64_t{mapWidth_} + margin, gy1 = int64_t{mapHeight_} + margin;
  ix.X0 = static_cast<int>(gx0);
  ix.Y0 = static_cast<int>(gy0);
  // At most 256 cells along the longer side, and cells of at least 16 pixels.
  ix.Cell = static_cast<int>(std::max<int64_t>(16, (std::max(gx1 - gx0, gy1 - gy0) + 255) / 256));
  ix.NX = static_cast<int>((gx1 - gx0 + ix.Cell - 1) / ix.Cell);
  ix.NY = static_cast<int>((gy1 - gy0 + ix.Cell - 1) / ix.Cell);
  const size_t cells = static_cast<size_t>(ix.NX) * static_cast<size_t>(ix.NY);
  std::vector<int> cellOf(static_cast<size_t>(n), -1);
  ix.Start.assign(cells + 1, 0);
  ix.CellReach.assign(cells, 0.0f);
  for (int i = 0; i < n; ++i) {
    const TLandMark& L = landMarks_[static_cast<size_t>(i)];
    ix.Class[static_cast<size_t>(i)] = L.LMClass;
    int x, y;
    if (!CalcPixelCoords(L.Latitude, L.Longitude, x, y)) continue;
    const auto r = static_cast<float>(geomap_internal::LandMarkReach(L));
    ix.Pixel[static_cast<size_t>(i)] = {x, y};
    ix.Reach[static_cast<size_t>(i)] = r;
    ix.MaxReach = std::max(ix.MaxReach, r);
    if (x < gx0 || x >= gx1 || y < gy0 || y >= gy1) {
      ix.Outside.push_back(i);
      continue;
    }
    const size_t c = static_cast<size_t>((y - gy0) / ix.Cell) * static_cast<size_t>(ix.NX) +
                     static_cast<size_t>((x - gx0) / ix.Cell);
    cellOf[static_cast<size_t>(i)] = static_cast<int>(c);
    ++ix.Start[c + 1];
    ix.CellReach[c] = std::max(ix.CellReach[c], r);
  }
  for (size_t c = 0; c < cells; ++c) ix.Start[c + 1] += ix.Start[c];
  ix.Items.assign(static_cast<size_t>(ix.Start[cells]), 0);
  std::vector<int> fill(ix.Start.begin(), ix.Start.end() - 1);
  for (int i = 0; i < n; ++i) {
    const int c = cellOf[static_cast<size_t>(i)];
    if (c >= 0) ix.Items[static_cast<size_t>(fill[static_cast<size_t>(c)]++)] = i;
  }
  return ix;
}

}  // namespace tkz
