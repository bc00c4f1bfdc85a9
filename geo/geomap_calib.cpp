// TGeoMap: calibration points, the six calibration models and their fits,
// conversions between pixels and geographic or UTM coordinates, corners and
// resolution, and the quality measure.
//
// Every conversion checks its input and the state of the fit it uses: a model
// without points, a rank-deficient least-squares fit, a zero slope or a
// non-finite intermediate value make the result invalid instead of raising or
// reporting garbage as valid.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <numbers>
#include <vector>

#include "core/numkit/math1.h"
#include "core/numkit/math2.h"
#include "core/numkit/svd.h"
#include "geo/geomap.h"

namespace tkz {

namespace {

constexpr double kDeg = 180 / std::numbers::pi;
constexpr double kRad = std::numbers::pi / 180;

// UTM: the Transverse Mercator of a zone with the UTM scale and false origin.
constexpr double kUTMScale = 0.9996;
constexpr double kUTMFalseEasting = 500000;
constexpr double kUTMFalseNorthingSouth = 10000000;

// Outcome of a least-squares solve.
enum class TSolve { Failed, RankDeficient, Full };

// Solves the least-squares system whose rows are Rows (NCols used entries
// each) for the right-hand side Rhs; Out receives the NCols coefficients
// unless the solve fails.
template <std::size_t N>
TSolve SolveLS(const std::vector<std::array<double, N>>& Rows, int NCols,
               const std::vector<double>& Rhs, std::array<double, 6>& Out) {
  const int nRows = static_cast<int>(Rows.size());
  if (nRows == 0) return TSolve::Failed;
  TMatrix a(NCols, nRows);
  TVector b(nRows);
  for (int r = 0; r < nRows; ++r) {
    for (int c = 0; c < NCols; ++c) a.SetVal(c + 1, r + 1, Rows[r][c]);
    b.SetVal(r + 1, Rhs[r]);
  }
  TVector x;
  int rank = 0;
  if (!SVDLeastSquares(a, b, x, SVDDefaultRelTol, &rank)) return TSolve::Failed;
  Out.fill(0);
  for (int c = 0; c < NCols; ++c) Out[c] = x.GetVal(c + 1);
  return rank == NCols ? TSolve::Full : TSolve::RankDeficient;
}

double Poly6(const std::array<double, 6>& c, double u, double v) {
  return c[0] + c[1] * u + c[2] * v + c[3] * u * u + c[4] * u * v + c[5] * v * v;
}

double Poly3(const std::array<double, 6>& c, double u, double v) {
  return c[0] + c[1] * u + c[2] * v;
}

// Rounds a pixel coordinate; false when it is not finite or beyond int range.
bool RoundPixel(double v, int& Out) {
  if (!std::isfinite(v) || std::fabs(v) > 2.0e9) return false;
  Out = static_cast<int>(std::lround(v));
  return true;
}

bool Finite(double a, double b) { return std::isfinite(a) && std::isfinite(b); }

bool IsGeographicModel(TCalibModel m) { return m >= cmBiquadraticPn && m <= cmEquiRect; }

// Fits the affine (NCoef 3) or biquadratic (NCoef 6) model both ways.
void FitPolynomial(const TCalibData& D, int NCoef, std::array<double, 6>& A,
                   std::array<double, 6>& B, std::array<double, 6>& C, std::array<double, 6>& E,
                   bool& Valid) {
  std::vector<std::array<double, 6>> fwd, inv;
  std::vector<double> va, vb, vx, vy;
  for (int i = 1; i <= D.NumCalQuads; ++i) {
    const TCalQuad& q = D.CalQuads[i];
    const double x = q.X, y = q.Y, p = q.Lat, l = q.Long;
    fwd.push_back({1, x, y, x * x, x * y, y * y});
    inv.push_back({1, p, l, p * p, p * l, l * l});
    va.push_back(p);
    vb.push_back(l);
    vx.push_back(x);
    vy.push_back(y);
  }
  std::array<double, 6> a{}, b{}, c{}, e{};
  const TSolve r[4] = {SolveLS(fwd, NCoef, va, a), SolveLS(fwd, NCoef, vb, b),
                       SolveLS(inv, NCoef, vx, c), SolveLS(inv, NCoef, vy, e)};
  bool full = true;
  for (TSolve s : r) {
    if (s == TSolve::Failed) return;  // coefficients stay as they were
    full = full && s == TSolve::Full;
  }
  A = a;
  B = b;
  C = c;
  E = e;
  Valid = full;
}

// The straight-line fit of the conic model for one apex; false when either
// line cannot be fitted.
struct TConicTrial {
  double K = 0, M = 0, S = 0, T = 0, Err = 0;
};

bool TryConicApex(const TCalibData& D, double X0, double Y0, TConicTrial& Out) {
  TCurveFit fr, ft;
  const int n = D.NumCalQuads;
  for (int i = 1; i <= n; ++i) {
    const TCalQuad& q = D.CalQuads[i];
    fr.EnterStatValue(std::hypot(q.X - X0, q.Y - Y0), q.Lat);
    if (q.Y != Y0) ft.EnterStatValue(std::atan((q.X - X0) / (q.Y - Y0)), q.Long);
  }
  double r2;
  if (!fr.CalcLinFit(Out.K, Out.M, r2) || !ft.CalcLinFit(Out.S, Out.T, r2)) return false;
  double sumLat = 0, sumLong = 0;
  for (int i = 1; i <= n; ++i) {
    const TCalQuad& q = D.CalQuads[i];
    const double dl = q.Lat - (Out.K * std::hypot(q.X - X0, q.Y - Y0) + Out.M);
    sumLat += dl * dl;
    if (q.Y != Y0) {
      const double dg = q.Long - (Out.S * std::atan((q.X - X0) / (q.Y - Y0)) + Out.T);
      sumLong += dg * dg;
    }
  }
  const double rmsLat = std::sqrt(sumLat) / n, rmsLong = std::sqrt(sumLong) / n;
  Out.Err = rmsLat * rmsLat + rmsLong * rmsLong;
  return std::isfinite(Out.Err);
}

}  // namespace

// ------------------------------------------------------------ properties

void TGeoMap::SetMapImageSize(int Width, int Height) {
  mapWidth_ = Width > 0 ? Width : 0;
  mapHeight_ = Height > 0 ? Height : 0;
  CalcExtentsAndResolution();
  Invalidate();
}

void TGeoMap::SetCalibModel(TCalibModel Model) {
  if (Model > cmUndefined) return;
  calibModel_ = Model;
  RecalcCalibration();
}

void TGeoMap::SetUTMZone(int Zone) {
  calData_.UTMZone = Zone;
  CalcExtentsAndResolution();
  Invalidate();
}

void TGeoMap::SetUTMHemisphere(THemisphere Hemisphere) {
  calData_.UTMSouth = Hemisphere == hemiSouth;
  CalcExtentsAndResolution();
  Invalidate();
}

void TGeoMap::SetEllipsoid(TGeoEllipsoid Ellipsoid) {
  if (Ellipsoid >= kGeoEllipsoidCount) return;
  calData_.Ellipsoid = Ellipsoid;
  CalcExtentsAndResolution();
  Invalidate();
}

void TGeoMap::SetMapCaption(const std::string& Caption) {
  calData_.Caption = Caption;
  Invalidate();
}

// ---------------------------------------------------------------- points

bool TGeoMap::AddCalibPoint(TGratLineKind Kind, double Value, int X, int Y) {
  if (calibModel_ != cmParabolicIp)
    Error("current calibration model does not support this version of AddCalibPoint");
  if (!std::isfinite(Value) || Kind > gtlParallel) return false;
  int ix = 0;
  for (int i = 1; i <= calData_.NumCalLines; ++i) {
    if (calData_.CalLines[i].Kind == Kind && calData_.CalLines[i].Value == Value) {
      ix = i;
      break;
    }
  }
  if (ix == 0 && calData_.NumCalLines < kMaxCalLines) {
    ix = ++calData_.NumCalLines;
    calData_.CalLines[ix] = TCalLine{};
    calData_.CalLines[ix].Kind = Kind;
    calData_.CalLines[ix].Value = Value;
  }
  if (ix != 0 && calData_.CalLines[ix].NumPoints < kMaxCalLinePoints) {
    TCalLine& line = calData_.CalLines[ix];
    line.Points[++line.NumPoints] = TPoint{X, Y};
    RecalcCalibration();
  }
  return false;
}

bool TGeoMap::AddQuad(double A, double B, int X, int Y) {
  if (!Finite(A, B) || calData_.NumCalQuads >= kMaxCalQuads) return false;
  calData_.CalQuads[++calData_.NumCalQuads] = TCalQuad{A, B, X, Y};
  RecalcCalibration();
  return true;
}

bool TGeoMap::AddCalibPoint(double Latitude, double Longitude, int X, int Y) {
  if (!IsGeographicModel(calibModel_))
    Error("current calibration model does not support this version of AddCalibPoint");
  return AddQuad(Latitude, Longitude, X, Y);
}

bool TGeoMap::AddCalibPoint(double Northing, double Easting, int Zone, THemisphere Hemisphere,
                            int X, int Y) {
  if (calibModel_ != cmUTM)
    Error("current calibration model does not support this version of AddCalibPoint");
  if (Zone != calData_.UTMZone || Hemisphere != GetUTMHemisphere())
    Error("UTM zone parameter changed");
  return AddQuad(Northing, Easting, X, Y);
}

bool TGeoMap::RemoveCalibPoint(TGratLineKind Kind, double Value, int X, int Y) {
  if (calibModel_ != cmParabolicIp)
    Error("current calibration model does not support this version of RemoveCalibPoint");
  for (int i = 1; i <= calData_.NumCalLines; ++i) {
    TCalLine& line = calData_.CalLines[i];
    if (line.Kind != Kind || line.Value != Value) continue;
    for (int j = 1; j <= line.NumPoints; ++j) {
      if (line.Points[j].X != X || line.Points[j].Y != Y) continue;
      line.Points[j] = line.Points[line.NumPoints];
      line.Points[line.NumPoints--] = TPoint{};
      if (line.NumPoints == 0) {
        line = calData_.CalLines[calData_.NumCalLines];
        calData_.CalLines[calData_.NumCalLines--] = TCalLine{};
      }
      RecalcCalibration();
      return false;
    }
    break;
  }
  return false;
}

bool TGeoMap::RemoveCalibPoint(int X, int Y) {
  auto dist2 = [X, Y](int px, int py) {
    const int64_t dx = int64_t{px} - X, dy = int64_t{py} - Y;
    return dx * dx + dy * dy;
  };
  if (calibModel_ == cmParabolicIp) {
    int bestLine = 0, bestPoint = 0;
    int64_t best = 0;
    for (int i = 1; i <= calData_.NumCalLines; ++i) {
      const TCalLine& line = calData_.CalLines[i];
      for (int j = 1; j <= line.NumPoints; ++j) {
        const int64_t d = dist2(line.Points[j].X, line.Points[j].Y);
        if (bestLine == 0 || d < best) {
          best = d;
          bestLine = i;
          bestPoint = j;
        }
      }
    }
    if (bestLine == 0) return false;
    TCalLine& line = calData_.CalLines[bestLine];
    haveDeleted_ = true;
    deletedModel_ = cmParabolicIp;
    deletedKind_ = line.Kind;
    deletedValue_ = line.Value;
    deletedQuad_ = TCalQuad{0, 0, line.Points[bestPoint].X, line.Points[bestPoint].Y};
    line.Points[bestPoint] = line.Points[line.NumPoints];
    line.Points[line.NumPoints--] = TPoint{};
    if (line.NumPoints == 0) {
      line = calData_.CalLines[calData_.NumCalLines];
      calData_.CalLines[calData_.NumCalLines--] = TCalLine{};
    }
  } else if (calibModel_ != cmUndefined) {
    int bestIx = 0;
    int64_t best = 0;
    for (int i = 1; i <= calData_.NumCalQuads; ++i) {
      const int64_t d = dist2(calData_.CalQuads[i].X, calData_.CalQuads[i].Y);
      if (bestIx == 0 || d < best) {
        best = d;
        bestIx = i;
      }
    }
    if (bestIx == 0) return false;
    haveDeleted_ = true;
    deletedModel_ = calibModel_;
    deletedQuad_ = calData_.CalQuads[bestIx];
    calData_.CalQuads[bestIx] = calData_.CalQuads[calData_.NumCalQuads];
    calData_.CalQuads[calData_.NumCalQuads--] = TCalQuad{};
  } else {
    return false;
  }
  RecalcCalibration();
  return true;
}

bool TGeoMap::RestoreLastDeletedCalPoint() {
  if (!haveDeleted_) return false;
  // The point goes back only into a model of the same kind of points: a
  // line point into the parabolic model, a northing and easting into the UTM
  // model, a latitude and longitude into any geographic one.
  const bool compatible = (deletedModel_ == cmParabolicIp && calibModel_ == cmParabolicIp) ||
                          (deletedModel_ == cmUTM && calibModel_ == cmUTM) ||
                          (IsGeographicModel(deletedModel_) && IsGeographicModel(calibModel_));
  if (!compatible) return false;
  haveDeleted_ = false;
  if (calibModel_ == cmParabolicIp) {
    int before = 0, after = 0;
    for (int i = 1; i <= calData_.NumCalLines; ++i) before += calData_.CalLines[i].NumPoints;
    AddCalibPoint(deletedKind_, deletedValue_, deletedQuad_.X, deletedQuad_.Y);
    for (int i = 1; i <= calData_.NumCalLines; ++i) after += calData_.CalLines[i].NumPoints;
    return after > before;
  }
  if (calibModel_ == cmUTM)
    return AddCalibPoint(deletedQuad_.Lat, deletedQuad_.Long, calData_.UTMZone, GetUTMHemisphere(),
                         deletedQuad_.X, deletedQuad_.Y);
  return AddCalibPoint(deletedQuad_.Lat, deletedQuad_.Long, deletedQuad_.X, deletedQuad_.Y);
}

void TGeoMap::ClearCalibData() {
  TCalibData cleared;
  cleared.MapName = calData_.MapName;
  cleared.Caption = calData_.Caption;
  cleared.UTMZone = -1;
  calData_ = cleared;
  parabolas_.assign(1, TParabolaRow{});
  biquad_ = affine_ = miller_ = conic_ = TCoeffs{};
  Invalidate();
}

void TGeoMap::RecalcCalibration() {
  RecalcGratMat();
  FitModel();
  CalcExtentsAndResolution();
  Invalidate();
}

// ------------------------------------------------------------------ fits

void TGeoMap::RecalcGratMat() {
  std::vector<TParabolaRow> rows;
  int parallels = 0, meridians = 0;
  const int nLines = std::min(calData_.NumCalLines, kMaxCalLines);
  for (int i = 1; i <= nLines; ++i) {
    const TCalLine& line = calData_.CalLines[i];
    const int n = std::min(line.NumPoints, kMaxCalLinePoints);
    if (n <= 2) continue;
    TCurveFit fit;
    for (int j = 1; j <= n; ++j) {
      const TPoint& p = line.Points[j];
      if (line.Kind == gtlParallel)
        fit.EnterStatValue(p.X, p.Y);
      else
        fit.EnterStatValue(p.Y, p.X);
    }
    TParabolaRow row;
    double r2;
    if (!fit.CalcParabolFit(row.C0, row.C1, row.C2, r2)) continue;
    row.Kind = line.Kind;
    row.Value = line.Value;
    rows.push_back(row);
    (line.Kind == gtlParallel ? parallels : meridians)++;
  }
  if (parallels >= 2 && meridians >= 2)
    parabolas_ = std::move(rows);
  else
    parabolas_.assign(1, TParabolaRow{});
}

bool TGeoMap::GratTableValid() const {
  int parallels = 0, meridians = 0;
  for (const TParabolaRow& r : parabolas_) (r.Kind == gtlParallel ? parallels : meridians)++;
  return parabolas_.size() >= 4 && parallels >= 2 && meridians >= 2;
}

void TGeoMap::FitModel() {
  const int n = calData_.NumCalQuads;
  switch (calibModel_) {
    case cmBiquadraticPn:
      if (n >= 1)
        FitPolynomial(calData_, 6, biquad_.A, biquad_.B, biquad_.C, biquad_.E, biquad_.Valid);
      break;
    case cmEquiRect:
    case cmUTM:
      if (n >= 1)
        FitPolynomial(calData_, 3, affine_.A, affine_.B, affine_.C, affine_.E, affine_.Valid);
      break;
    case cmMillerCylindrical: {
      if (n < 3) break;  // the coefficients stay as they were
      TCurveFit fx, fy;
      for (int i = 1; i <= n; ++i) {
        const TCalQuad& q = calData_.CalQuads[i];
        fx.EnterStatValue(q.Long * kRad, q.X);
        fy.EnterStatValue(std::log(std::tan(0.4 * q.Lat * kRad + std::numbers::pi / 4)), q.Y);
      }
      double r2;
      // A failed fit gives zero slopes, which make the conversions invalid.
      fx.CalcLinFit(miller_.Sx, miller_.Ix, r2);
      fy.CalcLinFit(miller_.Sy, miller_.Iy, r2);
      miller_.Valid = true;
      break;
    }
    case cmConicConformal:
      if (n >= 3) FitConic();
      break;
    default:
      break;
  }
}

void TGeoMap::FitConic() {
  int minX = mapWidth_, minY = mapHeight_, maxX = 0, maxY = 0;
  for (int i = 1; i <= calData_.NumCalQuads; ++i) {
    minX = std::min(minX, calData_.CalQuads[i].X);
    minY = std::min(minY, calData_.CalQuads[i].Y);
    maxX = std::max(maxX, calData_.CalQuads[i].X);
    maxY = std::max(maxY, calData_.CalQuads[i].Y);
  }
  int64_t cx = (int64_t{minX} + maxX) / 2, cy = (int64_t{minY} + maxY) / 2;
  double bestErr = 1e10;
  bool found = false;
  TConicTrial best;
  int64_t bestX = cx, bestY = cy;
  for (int64_t step = 1000000;; step /= 2) {
    for (int i = -2; i <= 2; ++i) {
      for (int j = -2; j <= 2; ++j) {
        const int64_t x0 = cx + step * i, y0 = cy + step * j;
        TConicTrial t;
        if (!TryConicApex(calData_, static_cast<double>(x0), static_cast<double>(y0), t)) continue;
        if (t.Err < bestErr) {
          bestErr = t.Err;
          best = t;
          bestX = x0;
          bestY = y0;
          found = true;
        }
      }
    }
    cx = bestX;
    cy = bestY;
    if (step <= 1) break;
  }
  if (!found) return;
  conic_.X0 = static_cast<double>(bestX);
  conic_.Y0 = static_cast<double>(bestY);
  conic_.K = best.K;
  conic_.M = best.M;
  conic_.S = best.S;
  conic_.T = best.T;
  conic_.Valid = true;
}

// ----------------------------------------------------------- conversions

bool TGeoMap::ParabolicGeo(double X, double Y, TGratLineKind Kind, double& Result) const {
  if (!GratTableValid()) return false;
  // Meridians give X at this Y, parallels Y at this X.
  const double along = Kind == gtlMeridian ? Y : X;
  const double across = Kind == gtlMeridian ? X : Y;
  double d1 = 1e20, d2 = 1e20, p1 = 0, p2 = 0, v1 = 0, v2 = 0;
  for (const TParabolaRow& r : parabolas_) {
    if (r.Kind != Kind) continue;
    const double pos = r.C0 + r.C1 * along + r.C2 * along * along;
    const double d = std::fabs(across - pos);
    if (d < d1) {
      d2 = d1, p2 = p1, v2 = v1;
      d1 = d, p1 = pos, v1 = r.Value;
    } else if (d < d2) {
      d2 = d, p2 = pos, v2 = r.Value;
    }
  }
  if (d2 >= 1e20 || p1 == p2) return false;
  Result = v2 + (v1 - v2) * (across - p2) / (p1 - p2);
  return std::isfinite(Result);
}

bool TGeoMap::ParabolicPixel(double Lat, double Long, int& X, int& Y) const {
  if (!GratTableValid()) return false;
  // The parabola of the wanted line, interpolated in value between the two
  // lines of that kind whose values lie closest.
  auto interpolate = [this](TGratLineKind kind, double value, std::array<double, 3>& c) {
    const TParabolaRow *a = nullptr, *b = nullptr;
    for (const TParabolaRow& r : parabolas_) {
      if (r.Kind != kind) continue;
      const double d = std::fabs(r.Value - value);
      if (a == nullptr || d < std::fabs(a->Value - value)) {
        b = a;
        a = &r;
      } else if (b == nullptr || d < std::fabs(b->Value - value)) {
        b = &r;
      }
    }
    if (a == nullptr || b == nullptr || a->Value == b->Value) return false;
    const double f = (value - b->Value) / (a->Value - b->Value);
    c = {b->C0 + f * (a->C0 - b->C0), b->C1 + f * (a->C1 - b->C1), b->C2 + f * (a->C2 - b->C2)};
    return true;
  };
  std::array<double, 3> mer{}, par{};
  if (!interpolate(gtlMeridian, Long, mer) || !interpolate(gtlParallel, Lat, par)) return false;
  double x = 500, y = 0;
  for (int round = 0; round < 15; ++round) {
    y = par[0] + par[1] * x + par[2] * x * x;
    x = mer[0] + mer[1] * y + mer[2] * y * y;
    if (!Finite(x, y) || (std::fabs(x) > 50000 && std::fabs(y) > 50000)) return false;
  }
  int px, py;
  if (!RoundPixel(x, px) || !RoundPixel(y, py)) return false;
  X = px;
  Y = py;
  return true;
}

bool TGeoMap::GetAffineMapping(std::array<double, 3>& First, std::array<double, 3>& Second) const {
  if ((calibModel_ != cmEquiRect && calibModel_ != cmUTM) || !affine_.Valid ||
      calData_.NumCalQuads < 1)
    return false;
  std::copy_n(affine_.A.begin(), 3, First.begin());
  std::copy_n(affine_.B.begin(), 3, Second.begin());
  return true;
}

bool TGeoMap::ModelNorthEast(double X, double Y, double& N, double& E) const {
  if (!affine_.Valid || calData_.NumCalQuads < 1) return false;
  N = Poly3(affine_.A, X, Y);
  E = Poly3(affine_.B, X, Y);
  return Finite(N, E);
}

bool TGeoMap::UTMLatLong(double X, double Y, double& Lat, double& Long) const {
  const int zone = calData_.UTMZone;
  if (zone < 1 || zone > 60 || calData_.Ellipsoid >= kGeoEllipsoidCount) return false;
  double n, e;
  if (!ModelNorthEast(X, Y, n, e)) return false;
  UTMToLatLong(e, n, zone, calData_.UTMSouth, calData_.Ellipsoid, Lat, Long);
  return Finite(Lat, Long);
}

// The latitude (Lat) or the longitude of a pixel by the current model.
double TGeoMap::CalcGeo(double X, double Y, bool Lat, bool& Valid) const {
  Valid = false;
  if (!Finite(X, Y)) return 0;
  const bool havePoints = calData_.NumCalQuads >= 1;
  double r = 0, other = 0;
  bool ok = false;
  switch (calibModel_) {
    case cmParabolicIp:
      ok = ParabolicGeo(X, Y, Lat ? gtlParallel : gtlMeridian, r);
      break;
    case cmBiquadraticPn:
      ok = havePoints && biquad_.Valid;
      if (ok) r = Poly6(Lat ? biquad_.A : biquad_.B, X, Y);
      break;
    case cmConicConformal:
      ok = havePoints && conic_.Valid && (Lat || Y != conic_.Y0);
      if (ok && Lat) r = conic_.K * std::hypot(X - conic_.X0, Y - conic_.Y0) + conic_.M;
      if (ok && !Lat) r = conic_.S * std::atan((X - conic_.X0) / (Y - conic_.Y0)) + conic_.T;
      break;
    case cmMillerCylindrical:
      ok = havePoints && (Lat ? miller_.Sy : miller_.Sx) != 0;
      if (ok && Lat)
        r = (std::atan(std::exp((Y - miller_.Iy) / miller_.Sy)) - std::numbers::pi / 4) / 0.4 *
            kDeg;
      if (ok && !Lat) r = (X - miller_.Ix) / miller_.Sx * kDeg;
      break;
    case cmEquiRect:
      ok = Lat ? ModelNorthEast(X, Y, r, other) : ModelNorthEast(X, Y, other, r);
      break;
    case cmUTM:
      ok = Lat ? UTMLatLong(X, Y, r, other) : UTMLatLong(X, Y, other, r);
      break;
    default:
      break;
  }
  if (!ok || !std::isfinite(r)) return 0;
  Valid = true;
  return r;
}

double TGeoMap::CalcLatitude(double X, double Y, bool& Valid) const {
  return CalcGeo(X, Y, true, Valid);
}

double TGeoMap::CalcLongitude(double X, double Y, bool& Valid) const {
  return CalcGeo(X, Y, false, Valid);
}

bool TGeoMap::CalcPixelCoords(double Latitude, double Longitude, int& X, int& Y) const {
  X = 0;
  Y = 0;
  if (!Finite(Latitude, Longitude)) return false;
  const bool havePoints = calData_.NumCalQuads >= 1;
  double x = 0, y = 0;
  switch (calibModel_) {
    case cmParabolicIp:
      return ParabolicPixel(Latitude, Longitude, X, Y);
    case cmBiquadraticPn:
      if (!havePoints || !biquad_.Valid) return false;
      x = Poly6(biquad_.C, Latitude, Longitude);
      y = Poly6(biquad_.E, Latitude, Longitude);
      break;
    case cmConicConformal: {
      if (!havePoints || !conic_.Valid || conic_.K == 0 || conic_.S == 0) return false;
      const double t = std::tan((Longitude - conic_.T) / conic_.S);
      const double d = (Latitude - conic_.M) / conic_.K / std::sqrt(t * t + 1);
      y = Latitude >= 0 ? conic_.Y0 + d : conic_.Y0 - d;
      if (!RoundPixel(y, Y)) return false;
      x = t * (Y - conic_.Y0) + conic_.X0;
      break;
    }
    case cmMillerCylindrical:
      if (!havePoints || miller_.Sx == 0 || miller_.Sy == 0 || std::fabs(Latitude) >= 90)
        return false;
      x = miller_.Sx * Longitude * kRad + miller_.Ix;
      y = miller_.Sy * std::log(std::tan(0.4 * Latitude * kRad + std::numbers::pi / 4)) +
          miller_.Iy;
      break;
    case cmEquiRect:
      if (!havePoints || !affine_.Valid) return false;
      x = Poly3(affine_.C, Latitude, Longitude);
      y = Poly3(affine_.E, Latitude, Longitude);
      break;
    case cmUTM: {
      double n, e;
      return CalcUTMCoords(Latitude, Longitude, n, e) && CalcPixelCoordsUTM(n, e, X, Y);
    }
    default:
      return false;
  }
  int px, py;
  if (!RoundPixel(x, px) || !RoundPixel(y, py)) {
    Y = 0;
    return false;
  }
  X = px;
  Y = py;
  return true;
}

// The Transverse Mercator of the calibration's own zone and hemisphere,
// whatever zone the position would fall into by itself.
bool TGeoMap::CalcUTMCoords(double Lat, double Long, double& Northing, double& Easting) const {
  const int zone = calData_.UTMZone;
  if (zone < 1 || zone > 60 || calData_.Ellipsoid >= kGeoEllipsoidCount) return false;
  if (!Finite(Lat, Long)) return false;
  const double lambda0 = UTMCentralMeridian(zone);
  double dl = Long - lambda0 * kDeg;
  dl = std::remainder(dl, 360.0);  // within 180 degrees of the central meridian
  double tx, ty;
  LatLongToTM(Lat * kRad, lambda0 + dl * kRad, lambda0, calData_.Ellipsoid, tx, ty);
  Easting = kUTMScale * tx + kUTMFalseEasting;
  Northing = kUTMScale * ty + (calData_.UTMSouth ? kUTMFalseNorthingSouth : 0);
  return std::isfinite(Easting) && std::isfinite(Northing);
}

bool TGeoMap::CalcPixelCoordsUTM(double Northing, double Easting, int& X, int& Y) const {
  X = 0;
  Y = 0;
  if (calibModel_ != cmUTM || !affine_.Valid || calData_.NumCalQuads < 1) return false;
  if (!Finite(Northing, Easting)) return false;
  int px, py;
  if (!RoundPixel(Poly3(affine_.C, Northing, Easting), px) ||
      !RoundPixel(Poly3(affine_.E, Northing, Easting), py))
    return false;
  X = px;
  Y = py;
  return true;
}

// Both give 0 when the UTM fit cannot answer (no fit, a zero coefficient,
// non-finite input).
int TGeoMap::CalcUTMxFromEastingY(double Easting, int Y) const {
  const auto& c = affine_.C;
  const auto& e = affine_.E;
  if (calibModel_ != cmUTM || !affine_.Valid || e[1] == 0) return 0;
  const double n = (Y - e[0] - e[2] * Easting) / e[1];
  int x;
  return RoundPixel(c[0] + c[1] * n + c[2] * Easting, x) ? x : 0;
}

int TGeoMap::CalcUTMyFromNorthingX(double Northing, int X) const {
  const auto& c = affine_.C;
  const auto& e = affine_.E;
  if (calibModel_ != cmUTM || !affine_.Valid || c[2] == 0) return 0;
  const double east = (X - c[0] - c[1] * Northing) / c[2];
  int y;
  return RoundPixel(e[0] + e[1] * Northing + e[2] * east, y) ? y : 0;
}

// ---------------------------------------------------- extents and quality

void TGeoMap::CalcExtentsAndResolution() {
  auto position = [this](double x, double y, bool& ok) {
    bool v1, v2;
    TLatLong p{CalcLatitude(x, y, v1), CalcLongitude(x, y, v2)};
    ok = v1 && v2;
    return ok ? p : TLatLong{};
  };
  const double w = mapWidth_, h = mapHeight_;
  bool ok;
  calData_.Corners[gcoTopLeft] = position(0, 0, ok);
  calData_.Corners[gcoBottomLeft] = position(0, h, ok);
  calData_.Corners[gcoBottomRight] = position(w, h, ok);
  calData_.Corners[gcoTopRight] = position(w, 0, ok);
  calData_.Resolution = 0;
  if (mapWidth_ <= 0) return;
  bool okLeft, okRight;
  const TLatLong left = position(0, mapHeight_ / 2, okLeft);
  const TLatLong right = position(w, mapHeight_ / 2, okRight);
  if (!okLeft || !okRight) return;
  double d = SphereGreatCircleDist(6378000, left.Lat, left.Long, right.Lat, right.Long);
  const double dl = right.Long - left.Long;
  if (dl > 360)
    d += 40074155.88919140255;
  else if (dl > 180)
    d += 20037077.944595701276;
  calData_.Resolution = d / w;
}

void TGeoMap::CalibQuality(double& QualityX, double& QualityY) const {
  QualityX = 0;
  QualityY = 0;
  if (calibModel_ == cmParabolicIp || calibModel_ == cmUndefined) return;
  TCurveFit fx, fy;
  for (int i = 1; i <= calData_.NumCalQuads; ++i) {
    const TCalQuad& q = calData_.CalQuads[i];
    int x, y;
    // UTM points hold northing and easting: they go back through the UTM form.
    const bool ok = calibModel_ == cmUTM ? CalcPixelCoordsUTM(q.Lat, q.Long, x, y)
                                         : CalcPixelCoords(q.Lat, q.Long, x, y);
    if (!ok) continue;
    fx.EnterStatValue(q.X, x);
    fy.EnterStatValue(q.Y, y);
  }
  int count;
  double d1, d2, d3, d4, d5, d7;
  if (fx.NumData() > 0) fx.CalcStatistics(count, d1, d2, d3, d4, d5, QualityX, d7);
  if (fy.NumData() > 0) fy.CalcStatistics(count, d1, d2, d3, d4, d5, QualityY, d7);
}

}  // namespace tkz
