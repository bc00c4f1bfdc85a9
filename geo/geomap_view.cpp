// TGeoMap: the view. Rendering into the render bitmap (image, graticule or
// UTM grid, calibration points, landmarks, mouse trace, frame), painting,
// view changes (magnification, origin, zoom history) and the view's
// properties. The mouse is in geomap_mouse.cpp, image operations in
// geomap_image.cpp.
#include <algorithm>
#include <cmath>

#include "core/numkit/math1.h"
#include "core/numkit/math2.h"
#include "core/numkit/sline.h"
#include "geo/geomap.h"
#include "geo/geomap_internal.h"

namespace tkz {

using geomap_internal::Round;

namespace {

// At most this many graticule or grid lines in each direction: a spacing far
// too fine for the view would otherwise draw millions of lines.
constexpr int kMaxGratLines = 1000;

// A diamond through the four points at distance d from (x, y).
void Diamond(TCanvas* C, int x, int y, int d) {
  C->MoveTo(x, y - d);
  C->LineTo(x + d, y);
  C->LineTo(x, y + d);
  C->LineTo(x - d, y);
  C->LineTo(x, y - d);
}

}  // namespace

// ------------------------------------------------------------ conversions

TPoint TGeoMap::ControlToMapImage(int Xc, int Yc) const {
  return {Round(Xc / magnification_) + viewLeft_, Round(Yc / magnification_) + viewTop_};
}

TPoint TGeoMap::MapImageToControl(double X, double Y) const {
  return {Round((X - viewLeft_) * magnification_), Round((Y - viewTop_) * magnification_)};
}

bool PositionInMap(double Lat, double Long, const std::array<TLatLong, 4>& Corners) {
  // The cross product of the edge a->b with the vector from b to the
  // position (x = longitude, y = latitude).
  const auto cross = [&](const TLatLong& a, const TLatLong& b) {
    return (b.Long - a.Long) * (Lat - b.Lat) - (b.Lat - a.Lat) * (Long - b.Long);
  };
  const double closing = cross(Corners[3], Corners[0]);
  if (!(closing != 0)) return false;  // on the edge, or NaN
  for (int i = 0; i < 3; ++i) {
    const double c = cross(Corners[i], Corners[i + 1]);
    if (!(closing > 0 ? c > 0 : c < 0)) return false;
  }
  return true;
}

bool TGeoMap::IsPositionWithinMap(double Lat, double Long) const {
  return PositionInMap(Lat, Long, calData_.Corners);
}

double TGeoMap::GetLastMClickLatitude() const {
  bool valid = false;
  const double v = CalcLatitude(lastClick_.X, lastClick_.Y, valid);
  return valid ? v : 0;
}

double TGeoMap::GetLastMClickLongitude() const {
  bool valid = false;
  const double v = CalcLongitude(lastClick_.X, lastClick_.Y, valid);
  return valid ? v : 0;
}

// ------------------------------------------------------------- rendering

void TGeoMap::Paint() {
  if (suppressPaint_) return;
  ConstructInternalMapImg();
  const int w = GetWidth(), h = GetHeight();
  GetCanvas()->CopyRect({0, 0, w, h}, renderBmp_->GetCanvas(), {0, 0, w, h});
  PresentOverlay();
}

void TGeoMap::ConstructInternalMapImg() {
  const int W = GetWidth(), H = GetHeight();
  if (!renderBmp_) renderBmp_ = std::make_unique<TBitmap>();
  if (renderBmp_->GetWidth() < W || renderBmp_->GetHeight() < H) {
    renderBmp_->SetSize(std::max(W, renderBmp_->GetWidth()), std::max(H, renderBmp_->GetHeight()));
  }
  TCanvas* C = renderBmp_->GetCanvas();
  C->GetPen()->SetStyle(psSolid);
  C->GetPen()->SetMode(pmCopy);
  C->GetBrush()->SetStyle(bsSolid);
  C->GetBrush()->SetColor(colorBackGnd_);
  C->GetPen()->SetColor(colorBackGnd_);
  const bool empty =
      GetComponentState().Contains(csDesigning) || !mapImage_ || calData_.MapName.empty();
  // The background shows only where the image does not cover the view.
  if (empty || viewLeft_ < 0 || viewTop_ < 0 ||
      viewLeft_ + W / magnification_ > mapImage_->GetWidth() ||
      viewTop_ + H / magnification_ > mapImage_->GetHeight())
    C->FillRect({0, 0, W, H});
  if (empty) {
    C->GetFont()->SetColor(colorFrame_);
    C->GetBrush()->SetStyle(bsClear);
    C->TextOut(10, 10, emptyMsg_);
    DrawFrameAndTrace(C);
    return;
  }
  const double mag = magnification_;
  const int iw = mapImage_->GetWidth(), ih = mapImage_->GetHeight();
  // The scaled image is kept while the magnification stays below the limit.
  if ((mag != cacheMag_ || antiAlias_ != cacheAA_) && mag < cacheMagLimit_) {
    const int cw = std::max(1, Round(iw * mag)), ch = std::max(1, Round(ih * mag));
    if (!cacheBmp_) cacheBmp_ = std::make_unique<TBitmap>();
    cacheBmp_->SetSizeForOverwrite(cw, ch);
    cacheBmp_->GetCanvas()->SetStretchMode(antiAlias_ ? smHalftone : smColorOnColor);
    cacheBmp_->GetCanvas()->StretchDraw({0, 0, cw, ch}, mapImage_.get());
    cacheMag_ = mag;
    cacheAA_ = antiAlias_;
  }
  if (cacheMag_ != mag || !cacheBmp_) {
    // The visible part of the image stretched onto the control; parts of
    // the view beyond the image keep the background.
    const double x0 = std::max(0, viewLeft_), y0 = std::max(0, viewTop_);
    const double x1 = std::min<double>(iw, viewLeft_ + W / mag);
    const double y1 = std::min<double>(ih, viewTop_ + H / mag);
    if (x1 > x0 && y1 > y0) {
      const int sx0 = static_cast<int>(x0), sy0 = static_cast<int>(y0);
      const int sx1 = static_cast<int>(std::ceil(x1)), sy1 = static_cast<int>(std::ceil(y1));
      const TPoint d0 = MapImageToControl(sx0, sy0), d1 = MapImageToControl(sx1, sy1);
      C->SetStretchMode(antiAlias_ ? smHalftone : smColorOnColor);
      C->CopyRect({d0.X, d0.Y, d1.X, d1.Y}, mapImage_->GetCanvas(), {sx0, sy0, sx1, sy1});
    }
  } else {
    const int cx = Round(mag * viewLeft_), cy = Round(mag * viewTop_);
    const int sx0 = std::max(0, cx), sy0 = std::max(0, cy);
    const int sx1 = std::min(cacheBmp_->GetWidth(), cx + W);
    const int sy1 = std::min(cacheBmp_->GetHeight(), cy + H);
    if (sx1 > sx0 && sy1 > sy0) {
      C->CopyRect({sx0 - cx, sy0 - cy, sx1 - cx, sy1 - cy}, cacheBmp_->GetCanvas(),
                  {sx0, sy0, sx1, sy1});
    }
  }
  if (OnBeforeRenderData) OnBeforeRenderData(this, C);
  if (showGrat_ != sgNone) DrawGraticule(C);
  DrawLandMarks(C);
  if (OnDataRendered) OnDataRendered(this, C);
  if (highLM_ >= 1 && highLM_ <= numLandMarks_) DrawOneLandMark(C, landMarks_[highLM_ - 1]);
  DrawFrameAndTrace(C);
}

void TGeoMap::DrawFrameAndTrace(TCanvas* C) {
  DrawMouseTrace(0, 0, C->GetBitmap());
  DrawFrame(C, frameStyle_, 0, 0, GetWidth() - 1, GetHeight() - 1, 0xFFFFFF, 0xC0C0C0, 0x808080,
            0x000000, 0x000000);
}

// ------------------------------------------------------------- graticule

namespace {

// The automatic spacing: 1 degree, divided by 10 until the extent holds at
// least one step; 0 when the extent is not a positive finite number.
double AutoSpacing(double extent) {
  if (!(extent > 0) || !std::isfinite(extent)) return 0;
  double step = 1;
  while (extent < step && step > 1e-12) step /= 10;
  return step;
}

}  // namespace

void TGeoMap::DrawGraticule(TCanvas* C) {
  const bool lines = showGrat_ == sgLines || showGrat_ == sgPointsAndLines;
  const bool points =
      showGrat_ == sgPoints || showGrat_ == sgPointsAndLines || showGrat_ == sgPointsAndUTMGrid;
  const bool grid = showGrat_ == sgUTMGrid || showGrat_ == sgPointsAndUTMGrid;
  const int W = GetWidth(), H = GetHeight();
  C->GetPen()->SetColor(colorGraticule_);
  C->GetPen()->SetStyle(psSolid);
  C->GetPen()->SetMode(pmCopy);
  C->GetBrush()->SetStyle(bsClear);
  const auto polyline = [&](const std::vector<TPoint>& pts) {
    if (pts.size() >= 2) C->Polyline(pts);
  };

  if (lines && calibModel_ == cmParabolicIp) {
    // Each line's parabola, one vertex per image pixel (or per control
    // pixel when an image pixel is smaller).
    const int step = std::max(1, static_cast<int>(1 / magnification_));
    for (int i = 1; i <= calData_.NumCalLines; ++i) {
      const TCalLine& l = calData_.CalLines[i];
      TCurveFit fit;
      fit.Init();
      for (int p = 1; p <= l.NumPoints; ++p) {
        if (l.Kind == gtlParallel)
          fit.EnterStatValue(l.Points[p].X, l.Points[p].Y);
        else
          fit.EnterStatValue(l.Points[p].Y, l.Points[p].X);
      }
      double c0, c1, c2, r2;
      if (l.NumPoints <= 2 || !fit.CalcParabolFit(c0, c1, c2, r2)) continue;
      std::vector<TPoint> pts;
      if (l.Kind == gtlParallel) {
        for (double x = viewLeft_; x < viewLeft_ + W / magnification_; x += step)
          pts.push_back(MapImageToControl(x, Round(c0 + c1 * x + c2 * x * x)));
      } else {
        for (double y = viewTop_; y < viewTop_ + H / magnification_; y += step)
          pts.push_back(MapImageToControl(Round(c0 + c1 * y + c2 * y * y), y));
      }
      polyline(pts);
    }
  } else if (lines && calibModel_ != cmUndefined && calibModel_ != cmParabolicIp) {
    const int need = calibModel_ == cmBiquadraticPn ? 5 : 2;
    if (calData_.NumCalQuads > need) {
      const auto& k = calData_.Corners;
      const double latLo = std::min(k[gcoBottomLeft].Lat, k[gcoBottomRight].Lat);
      const double latHi = std::max(k[gcoTopLeft].Lat, k[gcoTopRight].Lat);
      const double lonLo = std::min(k[gcoTopLeft].Long, k[gcoBottomLeft].Long);
      const double lonHi = std::max(k[gcoTopRight].Long, k[gcoBottomRight].Long);
      const double latStep = gratLineDist_ > 0 ? gratLineDist_ : AutoSpacing(latHi - latLo);
      const double lonStep = gratLineDist_ > 0 ? gratLineDist_ : AutoSpacing(lonHi - lonLo);
      const int segs = calibModel_ == cmEquiRect || calibModel_ == cmUTM ? 10 : 100;
      // A polyline through the pixel positions of n + 1 points along a
      // parallel (fixed latitude) or a meridian; unconvertible points break it.
      const auto trace = [&](bool parallel, double value, double lo, double hi, int n) {
        std::vector<TPoint> pts;
        for (int s = 0; s <= n; ++s) {
          const double t = lo + (hi - lo) * s / n;
          int x, y;
          if (parallel ? CalcPixelCoords(value, t, x, y) : CalcPixelCoords(t, value, x, y)) {
            pts.push_back(MapImageToControl(x, y));
          } else {
            polyline(pts);
            pts.clear();
          }
        }
        polyline(pts);
      };
      if (latStep > 0 && std::isfinite(lonLo) && std::isfinite(lonHi)) {
        int drawn = 0;
        for (double lat = std::trunc(latLo / latStep) * latStep;
             lat < latHi && drawn < kMaxGratLines; lat += latStep, ++drawn)
          trace(true, lat, lonLo, lonHi, segs);
      }
      if (lonStep > 0 && std::isfinite(latLo) && std::isfinite(latHi)) {
        const int msegs = calibModel_ == cmConicConformal ? 1 : segs;
        int drawn = 0;
        for (double lon = std::trunc(lonLo / lonStep) * lonStep;
             lon < lonHi && drawn < kMaxGratLines; lon += lonStep, ++drawn)
          trace(false, lon, latLo, latHi, msegs);
      }
    }
  }

  if (grid && calibModel_ == cmUTM && calData_.NumCalQuads > 0) {
    double eLo = 1e300, eHi = -1e300, nLo = 1e300, nHi = -1e300;
    for (const TLatLong& k : calData_.Corners) {
      double n, e;
      if (!CalcUTMCoords(k.Lat, k.Long, n, e)) continue;
      eLo = std::min(eLo, e), eHi = std::max(eHi, e);
      nLo = std::min(nLo, n), nHi = std::max(nHi, n);
    }
    const auto spacing = [&](double range) {
      if (utmGridDist_ >= 1) return static_cast<double>(utmGridDist_);
      return std::max(1.0, Round125(range / 10));
    };
    if (eHi > eLo && nHi > nLo) {
      const double es = spacing(eHi - eLo), ns = spacing(nHi - nLo);
      const double iw = mapWidth_, ih = mapHeight_;
      // The visible part of the image, in image pixels (y up for the clipper).
      const TRectDouble box{static_cast<double>(viewLeft_), viewTop_ + H / magnification_,
                            viewLeft_ + W / magnification_, static_cast<double>(viewTop_)};
      const auto segment = [&](double x1, double y1, double x2, double y2) {
        double a = x1, b = y1, c = x2, d = y2;
        if (!TSLine(x1, y1, x2, y2).ClipBox(box, a, b, c, d)) return;
        const TPoint p = MapImageToControl(a, b), q = MapImageToControl(c, d);
        C->MoveTo(p.X, p.Y);
        C->LineTo(q.X, q.Y);
      };
      int drawn = 0;
      for (double n = std::trunc(nLo / ns) * ns; n < nHi && drawn < kMaxGratLines; n += ns, ++drawn)
        segment(0, CalcUTMyFromNorthingX(n, 0), iw, CalcUTMyFromNorthingX(n, mapWidth_));
      drawn = 0;
      for (double e = std::trunc(eLo / es) * es; e < eHi && drawn < kMaxGratLines; e += es, ++drawn)
        segment(CalcUTMxFromEastingY(e, 0), 0, CalcUTMxFromEastingY(e, mapHeight_), ih);
    }
  }

  if (points) {
    std::vector<TPoint> marks;
    if (calibModel_ == cmParabolicIp) {
      for (int i = 1; i <= calData_.NumCalLines; ++i)
        for (int p = 1; p <= calData_.CalLines[i].NumPoints; ++p)
          marks.push_back(calData_.CalLines[i].Points[p]);
    } else {
      for (int i = 1; i <= calData_.NumCalQuads; ++i)
        marks.push_back({calData_.CalQuads[i].X, calData_.CalQuads[i].Y});
    }
    for (const TPoint& m : marks) {
      const TPoint p = MapImageToControl(m.X, m.Y);
      C->GetPen()->SetColor(colorCalibPoints_);
      C->MoveTo(p.X - 8, p.Y);
      C->LineTo(p.X + 8, p.Y);
      C->MoveTo(p.X, p.Y - 8);
      C->LineTo(p.X, p.Y + 8);
      Diamond(C, p.X, p.Y, 8);
      C->GetPen()->SetColor(0xFFFFFF);
      Diamond(C, p.X, p.Y, 9);
      C->GetPen()->SetColor(colorCalibPoints_);
      Diamond(C, p.X, p.Y, 10);
    }
  }
}

// ------------------------------------------------------------- landmarks

void TGeoMap::DrawOneLandMark(TCanvas* C, const TLandMark& L) {
  int x, y;
  if (!CalcPixelCoords(L.Latitude, L.Longitude, x, y)) return;
  DrawLandMarkAt(C, L, MapImageToControl(x, y), true);
}

void TGeoMap::DrawLandMarkAt(TCanvas* C, const TLandMark& L, const TPoint& p, bool Caption) {
  bool handled = false;
  if (OnDrawLandmark) {
    OnDrawLandmark(this, handled, C, p, L);
    if (handled) return;
  } else {
    // A landmark whose symbol and caption cannot reach the view is skipped.
    const double reach = geomap_internal::LandMarkReach(L);
    const TRect clip = C->GetClipRect();
    if (p.X + reach < clip.Left || p.X - reach > clip.Right || p.Y + reach < clip.Top ||
        p.Y - reach > clip.Bottom)
      return;
  }
  DrawLandMarkSymbolOnCanvas(C, p.X, p.Y, L.Element, L.ColorFg, L.ColorBg, L.Size, L.Direction,
                             L.Length, L.Transparent);
  const TLMTextProperties& t = L.Caption;
  if (t.Text.empty() || !Caption) return;
  TFont* f = C->GetFont();
  f->SetName(t.FontName.empty() ? "DejaVu Sans" : t.FontName);
  f->SetSize(t.FontSize > 0 ? std::min(t.FontSize, 200) : 8);
  TFontStyles style;
  if (t.FontStyle & kLMFontBold) style.Include(fsBold);
  if (t.FontStyle & kLMFontItalic) style.Include(fsItalic);
  if (t.FontStyle & kLMFontUnderline) style.Include(fsUnderline);
  if (t.FontStyle & kLMFontStrikeOut) style.Include(fsStrikeOut);
  f->SetStyle(style);
  f->SetColor(t.TextColor);
  f->SetOrientation(t.Direction * 10);
  C->GetBrush()->SetStyle(t.Transparent ? bsClear : bsSolid);
  C->GetBrush()->SetColor(t.BkColor);
  // Alignment about the offset point: 0 left/top, 1 centre, 2 right/bottom.
  const TPoint ext = C->TextExtent(t.Text);
  int tx = p.X + t.Dx, ty = p.Y + t.Dy;
  if (t.HorAlign == 1) tx -= ext.X / 2;
  if (t.HorAlign == 2) tx -= ext.X;
  if (t.VertAlign == 1) ty -= ext.Y / 2;
  if (t.VertAlign == 2) ty -= ext.Y;
  C->TextOut(tx, ty, t.Text);
  f->SetOrientation(0);
}

void TGeoMap::DrawLandMarks(TCanvas* C) {
  if (numLandMarks_ == 0) return;
  const int W = GetWidth(), H = GetHeight();
  const double mag = magnification_;
  const TLMIndex& ix = LandMarkIndex();
  const TRect clip = C->GetClipRect();
  // Candidates (ascending numbers): every landmark with a position for a
  // drawing handler, else those whose drawing can reach the clip rectangle.
  // Landmarks in the view are counted for the sample.
  std::vector<int> drawList;
  int inView = 0;
  const auto visit = [&](int i) {
    const float r = ix.Reach[static_cast<size_t>(i)];
    if (r < 0) return;
    const TPoint& q = ix.Pixel[static_cast<size_t>(i)];
    const TPoint p = MapImageToControl(q.X, q.Y);
    if (p.X >= 0 && p.X < W && p.Y >= 0 && p.Y < H) ++inView;
    if (OnDrawLandmark || !(p.X + r < clip.Left || p.X - r > clip.Right || p.Y + r < clip.Top ||
                            p.Y - r > clip.Bottom))
      drawList.push_back(i);
  };
  if (OnDrawLandmark) {
    for (int i = 0; i < numLandMarks_; ++i) visit(i);
  } else {
    // The cells that the clip rectangle and the view, widened by the largest
    // reach, cover in image pixels (one pixel more for the rounding).
    const double cl = std::min(clip.Left, 0) - double{ix.MaxReach};
    const double ct = std::min(clip.Top, 0) - double{ix.MaxReach};
    const double cr = std::max(clip.Right, W) + double{ix.MaxReach};
    const double cb = std::max(clip.Bottom, H) + double{ix.MaxReach};
    const auto cellIx = [&](double imagePos, int origin, int count) {
      const double c = std::floor((imagePos - origin) / ix.Cell);
      return static_cast<int>(std::clamp(c, -1.0, static_cast<double>(count)));
    };
    const int x0 = std::max(0, cellIx(viewLeft_ + cl / mag - 1, ix.X0, ix.NX));
    const int x1 = std::min(ix.NX - 1, cellIx(viewLeft_ + cr / mag + 1, ix.X0, ix.NX));
    const int y0 = std::max(0, cellIx(viewTop_ + ct / mag - 1, ix.Y0, ix.NY));
    const int y1 = std::min(ix.NY - 1, cellIx(viewTop_ + cb / mag + 1, ix.Y0, ix.NY));
    for (int cy = y0; cy <= y1; ++cy) {
      for (int cx = x0; cx <= x1; ++cx) {
        const size_t c = static_cast<size_t>(cy) * static_cast<size_t>(ix.NX) + cx;
        const int from = ix.Start[c], to = ix.Start[c + 1];
        if (from == to) continue;
        // The cell's pixels on the control, widened by its largest reach.
        const double r = ix.CellReach[c] + 2;
        const double left = (ix.X0 + static_cast<double>(cx) * ix.Cell - viewLeft_) * mag - r;
        const double right = (ix.X0 + static_cast<double>(cx + 1) * ix.Cell - viewLeft_) * mag + r;
        const double top = (ix.Y0 + static_cast<double>(cy) * ix.Cell - viewTop_) * mag - r;
        const double bottom = (ix.Y0 + static_cast<double>(cy + 1) * ix.Cell - viewTop_) * mag + r;
        if (right < std::min(clip.Left, 0) || left > std::max(clip.Right, W) ||
            bottom < std::min(clip.Top, 0) || top > std::max(clip.Bottom, H))
          continue;
        for (int k = from; k < to; ++k) visit(ix.Items[static_cast<size_t>(k)]);
      }
    }
    for (const int i : ix.Outside) visit(i);
    // Back to table order: by marks when many are drawn, else by sorting.
    if (drawList.size() > static_cast<size_t>(numLandMarks_) / 8) {
      std::vector<uint8_t> marked(static_cast<size_t>(numLandMarks_), 0);
      for (const int i : drawList) marked[static_cast<size_t>(i)] = 1;
      drawList.clear();
      for (int i = 0; i < numLandMarks_; ++i)
        if (marked[static_cast<size_t>(i)]) drawList.push_back(i);
    } else {
      std::sort(drawList.begin(), drawList.end());
    }
  }
  double keep = 1;  // the probability of drawing a landmark
  if (numLandMarks_ > randSampleLimit_ && inView > randSampleLimit_)
    keep = static_cast<double>(randSampleLimit_) / inView;
  int shown = 0;
  for (const int i : drawList) shown += classVisible_[ix.Class[static_cast<size_t>(i)]];
  const bool captions = shown * keep <= static_cast<double>(W) * H / kCaptionArea;
  for (const int i : drawList) {
    if (i >= numLandMarks_) break;  // a drawing handler shrank the table
    // The class as the table has it now (a drawing handler may change it).
    if (!classVisible_[OnDrawLandmark ? landMarks_[static_cast<size_t>(i)].LMClass
                                      : ix.Class[static_cast<size_t>(i)]])
      continue;
    const TLandMark& L = landMarks_[static_cast<size_t>(i)];
    if (keep < 1 && !BRandom(keep)) continue;
    C->GetPen()->SetColor(0x00FF00);
    C->GetPen()->SetMode(pmCopy);
    C->GetPen()->SetStyle(psSolid);
    const TPoint& q = ix.Pixel[static_cast<size_t>(i)];
    DrawLandMarkAt(C, L, MapImageToControl(q.X, q.Y), captions);
  }
}

// ----------------------------------------------------------- view changes

void TGeoMap::SetMagnification(double m) {
  if (std::isnan(m)) return;
  magnification_ = std::clamp(m, kMinMagnification, kMaxMagnification);
  Invalidate();
}

void TGeoMap::ZoomFitPage() {
  if (mapWidth_ <= 0 || mapHeight_ <= 0) return;
  const double m = std::min(static_cast<double>(GetHeight()) / mapHeight_,
                            static_cast<double>(GetWidth()) / mapWidth_);
  if (m > 0) magnification_ = std::clamp(m, kMinMagnification, kMaxMagnification);
  viewLeft_ = viewTop_ = 0;
  Invalidate();
}

void TGeoMap::PanMapToFillWindow() {
  viewLeft_ = std::max(0, std::min(viewLeft_, Round(mapWidth_ - GetWidth() / magnification_)));
  viewTop_ = std::max(0, std::min(viewTop_, Round(mapHeight_ - GetHeight() / magnification_)));
}

void TGeoMap::SetTopLeft(const TPoint& P) {
  viewLeft_ = P.X;
  viewTop_ = P.Y;
  Invalidate();
}

void TGeoMap::BringMapPixelToCenter(const TPoint& P) {
  viewLeft_ = P.X - Round(GetWidth() / magnification_ / 2);
  viewTop_ = P.Y - Round(GetHeight() / magnification_ / 2);
  PanMapToFillWindow();
  Invalidate();
}

void TGeoMap::BringLocationToCenter(double Lat, double Long) {
  int x, y;
  if (!CalcPixelCoords(Lat, Long, x, y)) return;
  const int h = Round(GetWidth() / magnification_ / 2);
  const int v = Round(GetHeight() / magnification_ / 2);
  viewLeft_ = std::max(0, std::min(x - h, mapWidth_ - 2 * h));
  viewTop_ = std::max(0, std::min(y - v, mapHeight_ - 2 * v));
  Invalidate();
}

void TGeoMap::SetSuppressPaint(bool b) {
  suppressPaint_ = b;
  if (!b) Invalidate();
}

void TGeoMap::SetRandSampleLimit(int n) {
  if (n <= 1000 || n == randSampleLimit_) return;
  randSampleLimit_ = n;
  Invalidate();
}

void TGeoMap::SetCacheMagLimit(double x) {
  if (std::isnan(x)) return;
  cacheMagLimit_ = std::clamp(x, 0.0, 2.0 / 3.0);
  if (magnification_ < 2.0 / 3.0) Invalidate();
}

// ------------------------------------------------------------ zoom history

void TGeoMap::ZoomStateOnStack() {
  if (GetComponentState().Contains(csLoading)) return;
  zoomRing_[zoomIx_] = {viewLeft_, viewTop_, magnification_};
  zoomIx_ = zoomIx_ % kZoomHistorySize + 1;
}

void TGeoMap::ZoomHistory(int n) {
  if (n < -(kZoomHistorySize - 1) || n > 0) return;
  int slot = zoomIx_ + n - 1;
  if (slot < 1) slot += kZoomHistorySize;
  const TZoomStackEntry& z = zoomRing_[slot];
  if (z == TZoomStackEntry{}) return;
  viewLeft_ = z.Left;
  viewTop_ = z.Top;
  magnification_ = std::clamp(z.Magnification, kMinMagnification, kMaxMagnification);
  Invalidate();
}

void TGeoMap::ClearZoomHistory() {
  zoomRing_.fill({});
  zoomIx_ = 1;
  ZoomStateOnStack();
}

TZoomStackEntry TGeoMap::GetZoomStackEntry(int n) const {
  if (n < 1 || n > kZoomHistorySize) return {};
  return zoomRing_[n];
}

// -------------------------------------------------------------- properties

void TGeoMap::SetAntiAlias(bool b) {
  antiAlias_ = b;
  Invalidate();
}
void TGeoMap::SetColorBakGnd(TColor c) {
  colorBackGnd_ = c;
  Invalidate();
}
void TGeoMap::SetColorGratLine(TColor c) {
  colorGraticule_ = c;
  Invalidate();
}
void TGeoMap::SetColorGratPoints(TColor c) {
  colorCalibPoints_ = c;
  Invalidate();
}
void TGeoMap::SetColorFrame(TColor c) {
  colorFrame_ = c;
  Invalidate();
}
void TGeoMap::SetConfinePan(bool b) {
  confinePan_ = b;
  if (b) {
    PanMapToFillWindow();
    Invalidate();
  }
}
void TGeoMap::SetEmptyMsg(const std::string& s) {
  emptyMsg_ = s;
  Invalidate();
}
void TGeoMap::SetFrameStyle(TFrameStyle s) {
  frameStyle_ = s;
  Invalidate();
}
void TGeoMap::SetGratLineDist(double d) {
  if (std::isnan(d)) return;
  gratLineDist_ = std::clamp(d, 0.0, 60.0);
  Invalidate();
}
void TGeoMap::SetUTMGridDist(int d) {
  utmGridDist_ = std::clamp(d, 0, 10000000);
  Invalidate();
}
void TGeoMap::SetShowGrat(TShowGrat g) {
  if (g == showGrat_) return;
  showGrat_ = g;
  Invalidate();
}

}  // namespace tkz
