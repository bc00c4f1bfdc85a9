// TGeoMap: the mouse. Panning, zooming by drag and by window, selection
// rectangles, rubber bands, the freehand mouse trace and the modal mouse box.
// Rectangles and bands are drawn in XOR white over the painted map (the
// overlay), so that the map itself is never changed by them.
#include <algorithm>
#include <cmath>

#include "core/platform/application.h"
#include "geo/geomap.h"
#include "geo/geomap_internal.h"

namespace tkz {

using geomap_internal::Round;

namespace {

// Bounds of the zoom-drag factor against the magnification at the start.
constexpr double kMinDragFactor = 1.0 / 64, kMaxDragFactor = 64;

}  // namespace

void TGeoMap::DrawXorRect(int x1, int y1, int x2, int y2, bool Dotted) {
  TCanvas* C = GetCanvas();
  C->GetPen()->SetMode(pmXor);
  C->GetPen()->SetColor(0xFFFFFF);
  C->GetPen()->SetStyle(Dotted ? psDot : psSolid);
  C->GetBrush()->SetStyle(bsClear);
  C->Rectangle(std::min(x1, x2), std::min(y1, y2), std::max(x1, x2) + 1, std::max(y1, y2) + 1);
  C->GetPen()->SetMode(pmCopy);
  C->GetPen()->SetStyle(psSolid);
  C->GetBrush()->SetStyle(bsSolid);
}

void TGeoMap::DrawXorLine(int x1, int y1, int x2, int y2) {
  TCanvas* C = GetCanvas();
  C->GetPen()->SetMode(pmXor);
  C->GetPen()->SetColor(0xFFFFFF);
  C->GetPen()->SetStyle(psSolid);
  C->MoveTo(x1, y1);
  C->LineTo(x2, y2);
  C->GetPen()->SetMode(pmCopy);
}

void TGeoMap::PresentOverlay() {
  if (rectOpen_)
    DrawXorRect(rectStart_.X, rectStart_.Y, rectEnd_.X, rectEnd_.Y, mouseAction_ == maSelectRect);
  if (boxState_ == TBoxState::Open)
    DrawXorRect(rectStart_.X, rectStart_.Y, rectEnd_.X, rectEnd_.Y, false);
  if (bandOpen_) {
    for (size_t i = 1; i < band_.size(); ++i)
      DrawXorLine(band_[i - 1].X, band_[i - 1].Y, band_[i].X, band_[i].Y);
    if (!band_.empty()) DrawXorLine(band_.back().X, band_.back().Y, bandEnd_.X, bandEnd_.Y);
  }
}

// ------------------------------------------------------------- mouse trace

void TGeoMap::ClearMouseTrace() {
  mtrace_.clear();
  Invalidate();
}

TMTracePoint TGeoMap::GetMTracePoint(int i) const {
  TMTracePoint p;
  p.Color = -1;
  if (i < 1 || i > static_cast<int>(mtrace_.size())) return p;
  p = mtrace_[i - 1];
  bool vLat = false, vLong = false;
  p.Lat = CalcLatitude(p.X, p.Y, vLat);
  p.Long = CalcLongitude(p.X, p.Y, vLong);
  if (!vLat || !vLong) p.Color = -1;
  return p;
}

void TGeoMap::DrawMouseTrace(int x, int y, TBitmap* Bitmap) const {
  if (!Bitmap || mtrace_.size() < 2) return;
  TCanvas* C = Bitmap->GetCanvas();
  TPen saved;
  saved.Assign(C->GetPen());
  const TBrushStyle brush = C->GetBrush()->GetStyle();
  C->GetPen()->SetStyle(psSolid);
  for (size_t i = 1; i < mtrace_.size(); ++i) {
    const TMTracePoint& a = mtrace_[i - 1];
    const TMTracePoint& b = mtrace_[i];
    if (a.Flags & kMTraceEnd) continue;
    C->GetPen()->SetColor(b.Color);
    C->GetPen()->SetMode(b.Flags & kMTraceXor ? pmXor : pmCopy);
    const TPoint p = MapImageToControl(a.X, a.Y), q = MapImageToControl(b.X, b.Y);
    C->MoveTo(p.X + x, p.Y + y);
    C->LineTo(q.X + x, q.Y + y);
  }
  C->GetPen()->Assign(&saved);
  C->GetBrush()->SetStyle(brush);
}

// --------------------------------------------------------------- mouse box

bool TGeoMap::MouseBox(int& x1, int& y1, int& x2, int& y2) {
  boxSavedAction_ = mouseAction_;
  mouseAction_ = maNone;
  boxState_ = TBoxState::Armed;
  while ((boxState_ == TBoxState::Armed || boxState_ == TBoxState::Open) &&
         Application().HandleMessage()) {
  }
  const bool completed = boxState_ == TBoxState::Completed;
  if (boxState_ != TBoxState::Completed) boxState_ = TBoxState::Aborted;
  mouseAction_ = boxSavedAction_;
  x1 = std::min(rectStart_.X, rectEnd_.X);
  x2 = std::max(rectStart_.X, rectEnd_.X);
  y1 = std::min(rectStart_.Y, rectEnd_.Y);
  y2 = std::max(rectStart_.Y, rectEnd_.Y);
  boxState_ = TBoxState::Idle;
  Invalidate();
  return completed;
}

void TGeoMap::MouseBoxAbort() {
  if (boxState_ == TBoxState::Armed || boxState_ == TBoxState::Open) {
    boxState_ = TBoxState::Aborted;
    Invalidate();
  }
}

// ------------------------------------------------------------------- mouse

void TGeoMap::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  lastClick_ = ControlToMapImage(X, Y);
  const bool inside = X >= 0 && Y >= 0 && X < GetWidth() && Y < GetHeight();
  if (boxState_ == TBoxState::Armed) {
    if (Button == mbRight) {
      boxState_ = TBoxState::Aborted;
    } else {
      boxState_ = TBoxState::Open;
      rectStart_ = rectEnd_ = {X, Y};
      Invalidate();
    }
  } else if (boxState_ == TBoxState::Open && Button == mbRight) {
    boxState_ = TBoxState::Aborted;
    Invalidate();
  } else {
    switch (mouseAction_) {
      case maZoomWind:
        if (Button == mbLeft && inside) {
          rectOpen_ = true;
          rectStart_ = rectEnd_ = {X, Y};
          Invalidate();
        }
        break;
      case maSelectRect:
        if (Button == mbLeft && inside) {
          rectOpen_ = true;
          rectStart_ = rectEnd_ = {X, Y};
          if (OnBeginRubberBand) OnBeginRubberBand(this, rectStart_);
          Invalidate();
        }
        break;
      case maRubberBand:
        if (Button == mbLeft) {
          const TPoint p{X, Y};
          if (!bandOpen_) {
            bandOpen_ = true;
            band_.assign(1, p);
            bandEnd_ = p;
            if (OnBeginRubberBand) OnBeginRubberBand(this, p);
          } else if (Shift.Contains(ssCtrl)) {
            band_.push_back(p);
            bandEnd_ = p;
            if (OnContinueRubberBand) OnContinueRubberBand(this, p);
          } else {
            band_.push_back(p);
            bandOpen_ = false;
            band_.clear();
            if (OnEndRubberBand) OnEndRubberBand(this, p);
          }
          Invalidate();
        }
        break;
      default:
        break;
    }
  }
  TCustomControl::MouseDown(Button, Shift, X, Y);
}

void TGeoMap::MouseMove(TShiftState Shift, int X, int Y) {
  const bool left = Shift.Contains(ssLeft);
  if (boxState_ == TBoxState::Open) {
    rectEnd_ = {X, Y};
    Invalidate();
  } else if (rectOpen_) {
    rectEnd_ = {X, Y};
    Invalidate();
  } else if (bandOpen_) {
    bandEnd_ = {X, Y};
    Invalidate();
  } else if (left) {
    switch (mouseAction_) {
      case maPan:
      case maPanHoriz:
      case maPanVert:
      case maZoomDrag:
        if (!dragging_) {
          // The first move of a drag records where it starts.
          dragging_ = true;
          dragStart_ = {X, Y};
          dragStartState_ = {viewLeft_, viewTop_, magnification_};
          break;
        }
        if (mouseAction_ == maZoomDrag) {
          const TZoomStackEntry& s = dragStartState_;
          const double f = 1 - 0.05 * (dragStart_.X - X) / std::max(1, GetWidth()) +
                           static_cast<double>(dragStart_.Y - Y) / std::max(1, GetHeight());
          const double cx = s.Left + GetWidth() / s.Magnification / 2;
          const double cy = s.Top + GetHeight() / s.Magnification / 2;
          magnification_ =
              std::clamp(s.Magnification * std::clamp(f, kMinDragFactor, kMaxDragFactor),
                         kMinMagnification, kMaxMagnification);
          viewLeft_ = Round(cx - GetWidth() / magnification_ / 2);
          viewTop_ = Round(cy - GetHeight() / magnification_ / 2);
        } else {
          if (mouseAction_ != maPanVert)
            viewLeft_ = dragStartState_.Left + Round((dragStart_.X - X) / magnification_);
          if (mouseAction_ != maPanHoriz)
            viewTop_ = dragStartState_.Top + Round((dragStart_.Y - Y) / magnification_);
          if (confinePan_) PanMapToFillWindow();
        }
        if (OnZoomPan) OnZoomPan(this);
        Invalidate();
        break;
      case maDrawMTrace:
        if (static_cast<int>(mtrace_.size()) < kMaxMTracePoints) {
          const double x = X / magnification_ + viewLeft_, y = Y / magnification_ + viewTop_;
          mtrace_.push_back(
              {x, y, MouseTraceColor, static_cast<uint8_t>(MouseTraceInvert ? kMTraceXor : 0)});
          dragging_ = true;
          Invalidate();
        }
        break;
      default:
        break;
    }
  }
  TCustomControl::MouseMove(Shift, X, Y);
}

void TGeoMap::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TCustomControl::MouseUp(Button, Shift, X, Y);
  if (boxState_ == TBoxState::Open) {
    rectEnd_ = {X, Y};
    boxState_ = Button == mbRight ? TBoxState::Aborted : TBoxState::Completed;
    Invalidate();
    return;
  }
  switch (mouseAction_) {
    case maPan:
    case maPanHoriz:
    case maPanVert:
    case maZoomDrag:
      if (Button == mbLeft) {
        dragging_ = false;
        ZoomStateOnStack();
      }
      break;
    case maDrawMTrace:
      if (Button == mbLeft && dragging_) {
        dragging_ = false;
        if (!mtrace_.empty()) mtrace_.back().Flags |= kMTraceEnd;
      }
      break;
    case maZoomWind:
      if (!rectOpen_) break;
      if (Button == mbRight) {
        rectOpen_ = false;
        Invalidate();
      } else if (Button == mbLeft) {
        rectOpen_ = false;
        rectEnd_ = {X, Y};
        const TPoint a = ControlToMapImage(std::min(rectStart_.X, X), std::min(rectStart_.Y, Y));
        const TPoint b = ControlToMapImage(std::max(rectStart_.X, X), std::max(rectStart_.Y, Y));
        const int w = b.X - a.X, h = b.Y - a.Y;
        // A window without extent in image pixels would divide by zero.
        if (w > 0 && h > 0) {
          const double m =
              h < w ? static_cast<double>(GetWidth()) / w : static_cast<double>(GetHeight()) / h;
          magnification_ = std::clamp(m, kMinMagnification, kMaxMagnification);
          viewLeft_ = a.X + Round((w - GetWidth() / magnification_) / 2);
          viewTop_ = a.Y + Round((h - GetHeight() / magnification_) / 2);
          if (OnZoomPan) OnZoomPan(this);
        }
        Invalidate();
      }
      break;
    case maSelectRect:
      if (rectOpen_ && Button == mbLeft) {
        rectOpen_ = false;
        Invalidate();
        const TPoint a = ControlToMapImage(rectStart_.X, rectStart_.Y);
        const TPoint b = ControlToMapImage(X, Y);
        bool ok = false;
        double v[4] = {0, 0, 0, 0};
        v[0] = CalcLongitude(a.X, a.Y, ok);
        if (ok) v[1] = CalcLatitude(a.X, a.Y, ok);
        if (ok) v[2] = CalcLongitude(b.X, b.Y, ok);
        if (ok) v[3] = CalcLatitude(b.X, b.Y, ok);
        if (OnSelectRect) {
          if (ok)
            OnSelectRect(this, 1, v[0], v[1], v[2], v[3]);
          else
            OnSelectRect(this, 0, a.X, a.Y, b.X, b.Y);
        }
      }
      break;
    default:
      break;
  }
}

}  // namespace tkz
