#include "core/numkit/math2.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <numeric>

namespace tkz {
namespace {

using LD = long double;

void ZeroAll(std::initializer_list<double*> outs) {
  for (double* p : outs) *p = 0.0;
}

// Means and centred sums of squares and products.
struct Moments {
  size_t n = 0;
  LD mx = 0, my = 0, sxx = 0, syy = 0, sxy = 0;
};

Moments CentredMoments(const std::vector<double>& x, const std::vector<double>& y) {
  Moments m;
  m.n = x.size();
  if (m.n == 0) return m;
  LD sx = 0, sy = 0;
  for (size_t i = 0; i < m.n; ++i) {
    sx += x[i];
    sy += y[i];
  }
  m.mx = sx / static_cast<LD>(m.n);
  m.my = sy / static_cast<LD>(m.n);
  for (size_t i = 0; i < m.n; ++i) {
    const LD dx = x[i] - m.mx;
    const LD dy = y[i] - m.my;
    m.sxx += dx * dx;
    m.syy += dy * dy;
    m.sxy += dx * dy;
  }
  return m;
}

// Number of distinct values in v, counting no further than limit.
int DistinctUpTo(const std::vector<double>& v, int limit) {
  std::vector<double> seen;
  for (double a : v) {
    if (std::find(seen.begin(), seen.end(), a) == seen.end()) {
      seen.push_back(a);
      if (static_cast<int>(seen.size()) >= limit) break;
    }
  }
  return static_cast<int>(seen.size());
}

// Solves the 3 x 3 system m * s = r by Gaussian elimination with partial
// pivoting. False when a pivot is negligible.
bool Solve3(LD m[3][3], LD r[3], LD s[3]) {
  LD scale = 0;
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) scale = std::max(scale, std::fabs(m[i][j]));
  if (scale == 0) return false;
  for (int c = 0; c < 3; ++c) {
    int p = c;
    for (int i = c + 1; i < 3; ++i)
      if (std::fabs(m[i][c]) > std::fabs(m[p][c])) p = i;
    if (std::fabs(m[p][c]) <= scale * 1e-17L) return false;
    if (p != c) {
      for (int j = 0; j < 3; ++j) std::swap(m[p][j], m[c][j]);
      std::swap(r[p], r[c]);
    }
    for (int i = c + 1; i < 3; ++i) {
      const LD f = m[i][c] / m[c][c];
      for (int j = c; j < 3; ++j) m[i][j] -= f * m[c][j];
      r[i] -= f * r[c];
    }
  }
  for (int i = 2; i >= 0; --i) {
    LD t = r[i];
    for (int j = i + 1; j < 3; ++j) t -= m[i][j] * s[j];
    s[i] = t / m[i][i];
  }
  return true;
}

// Results of the last principal component analysis, per thread.
struct PcaResult {
  int nvars = 0;
  std::vector<double> values;   // nvars, descending
  std::vector<double> vectors;  // nvars x nvars, column c = component c+1
};
thread_local PcaResult g_pca;

}  // namespace

// ------------------------------------------------------------------ TCurveFit

void TCurveFit::Init() {
  x_.clear();
  y_.clear();
}

void TCurveFit::EnterStatValue(double x, double y) {
  x_.push_back(x);
  y_.push_back(y);
}

bool TCurveFit::AllFinite() const {
  for (size_t i = 0; i < x_.size(); ++i)
    if (!std::isfinite(x_[i]) || !std::isfinite(y_[i])) return false;
  return true;
}

bool TCurveFit::CalcLinFit(double& r1, double& r2, double& r3) const {
  ZeroAll({&r1, &r2, &r3});
  if (x_.size() < 2 || !AllFinite() || DistinctUpTo(x_, 2) < 2) return false;
  const Moments m = CentredMoments(x_, y_);
  if (m.sxx <= 0) return false;
  const LD slope = m.sxy / m.sxx;
  const LD icpt = m.my - slope * m.mx;
  LD ssres = 0;
  for (size_t i = 0; i < x_.size(); ++i) {
    const LD res = y_[i] - (slope * x_[i] + icpt);
    ssres += res * res;
  }
  r1 = static_cast<double>(slope);
  r2 = static_cast<double>(icpt);
  r3 = m.syy > 0 ? static_cast<double>(std::max<LD>(0, 1 - ssres / m.syy)) : 1.0;
  return true;
}

bool TCurveFit::CalcParabolFit(double& r1, double& r2, double& r3, double& r4) const {
  ZeroAll({&r1, &r2, &r3, &r4});
  if (x_.size() < 3 || !AllFinite() || DistinctUpTo(x_, 3) < 3) return false;
  const Moments mo = CentredMoments(x_, y_);
  LD half = 0;  // x is mapped to t = (x - mx) / half, within [-1, 1]
  for (double x : x_) half = std::max(half, std::fabs(x - mo.mx));
  if (half == 0) return false;
  // Normal equations in t with y centred on its mean.
  LD st[5] = {0, 0, 0, 0, 0};
  LD sty[3] = {0, 0, 0};
  for (size_t i = 0; i < x_.size(); ++i) {
    const LD t = (x_[i] - mo.mx) / half;
    const LD dy = y_[i] - mo.my;
    LD p = 1;
    for (int k = 0; k < 5; ++k) {
      st[k] += p;
      if (k < 3) sty[k] += p * dy;
      p *= t;
    }
  }
  LD m[3][3] = {{st[0], st[1], st[2]}, {st[1], st[2], st[3]}, {st[2], st[3], st[4]}};
  LD s[3] = {0, 0, 0};
  if (!Solve3(m, sty, s)) return false;
  const LD a = s[0] + mo.my, b = s[1], c = s[2];
  // y = a + b t + c t^2 with t = (x - mx) / half, expanded in powers of x.
  const LD u = mo.mx / half;
  const LD c0 = a - b * u + c * u * u;
  const LD c1 = (b - 2 * c * u) / half;
  const LD c2 = c / (half * half);
  LD ssres = 0;
  for (size_t i = 0; i < x_.size(); ++i) {
    const LD t = (x_[i] - mo.mx) / half;
    const LD res = y_[i] - (a + (b + c * t) * t);
    ssres += res * res;
  }
  r1 = static_cast<double>(c0);
  r2 = static_cast<double>(c1);
  r3 = static_cast<double>(c2);
  r4 = mo.syy > 0 ? static_cast<double>(std::max<LD>(0, 1 - ssres / mo.syy)) : 1.0;
  return true;
}

bool TCurveFit::CalcStatistics(int& count, double& d1, double& d2, double& d3, double& d4,
                               double& d5, double& d6, double& d7) const {
  count = NumData();
  ZeroAll({&d1, &d2, &d3, &d4, &d5, &d6, &d7});
  if (x_.empty() || !AllFinite()) return false;
  const Moments m = CentredMoments(x_, y_);
  const LD n = static_cast<LD>(m.n);
  d1 = static_cast<double>(m.mx);
  d2 = static_cast<double>(m.my);
  if (m.n >= 2) {
    d3 = static_cast<double>(std::sqrt(m.sxx / (n - 1)));
    d4 = static_cast<double>(std::sqrt(m.syy / (n - 1)));
  }
  if (m.sxx > 0 && m.syy > 0) {
    const LD r = m.sxy / std::sqrt(m.sxx * m.syy);
    d5 = static_cast<double>(std::clamp<LD>(r, -1, 1));
  }
  if (m.n >= 3 && m.sxx > 0 && DistinctUpTo(x_, 2) >= 2) {
    const LD slope = m.sxy / m.sxx;
    LD ssres = 0;
    for (size_t i = 0; i < m.n; ++i) {
      const LD res = (y_[i] - m.my) - slope * (x_[i] - m.mx);
      ssres += res * res;
    }
    d6 = static_cast<double>(std::sqrt(ssres / (n - 2)));
  }
  LD sdd = 0;
  for (size_t i = 0; i < m.n; ++i) {
    const LD d = static_cast<LD>(y_[i]) - x_[i];
    sdd += d * d;
  }
  d7 = static_cast<double>(std::sqrt(sdd / n));
  return true;
}

// ------------------------------------------------------------------ JacobiEigen

bool JacobiEigen(const TMatrix& A, TVector& Values, TMatrix& Vectors) {
  Values.SetVecSize(0);
  Vectors.Resize(0, 0);
  const int n = A.NrOfColumns();
  if (n == 0 || A.NrOfRows() != n) return false;
  // Work on a full symmetric copy (row-major a[p*n+q]) built from the upper
  // triangle.
  const size_t nn = static_cast<size_t>(n);
  std::vector<double> a(nn * nn), v(nn * nn, 0.0);
  for (int c = 1; c <= n; ++c)
    for (int r = 1; r <= c; ++r) {
      const double x = A.GetVal(c, r);
      if (!std::isfinite(x)) return false;
      a[(r - 1) * nn + (c - 1)] = a[(c - 1) * nn + (r - 1)] = x;
    }
  for (size_t i = 0; i < nn; ++i) v[i * nn + i] = 1.0;
  auto at = [&](size_t p, size_t q) -> double& { return a[p * nn + q]; };
  auto vt = [&](size_t p, size_t q) -> double& { return v[p * nn + q]; };  // row p, column q

  bool converged = false;
  for (int sweep = 0; sweep < 100 && !converged; ++sweep) {
    LD off = 0, total = 0;
    for (size_t p = 0; p < nn; ++p)
      for (size_t q = 0; q < nn; ++q) {
        const LD x = at(p, q);
        total += x * x;
        if (p != q) off += x * x;
      }
    if (off == 0 || off <= total * static_cast<LD>(DBL_EPSILON) * DBL_EPSILON * 1e-2L) {
      converged = true;
      break;
    }
    for (size_t p = 0; p + 1 < nn; ++p)
      for (size_t q = p + 1; q < nn; ++q) {
        const double apq = at(p, q);
        if (apq == 0) continue;
        const double theta = (at(q, q) - at(p, p)) / (2.0 * apq);
        double t;
        if (std::isinf(theta * theta))
          t = 0.5 / theta;  // tiny rotation, avoids overflow
        else
          t = (theta >= 0 ? 1.0 : -1.0) / (std::fabs(theta) + std::sqrt(theta * theta + 1.0));
        const double c = 1.0 / std::sqrt(t * t + 1.0);
        const double s = t * c;
        for (size_t k = 0; k < nn; ++k) {  // columns p and q
          const double akp = at(k, p), akq = at(k, q);
          at(k, p) = c * akp - s * akq;
          at(k, q) = s * akp + c * akq;
        }
        for (size_t k = 0; k < nn; ++k) {  // rows p and q
          const double apk = at(p, k), aqk = at(q, k);
          at(p, k) = c * apk - s * aqk;
          at(q, k) = s * apk + c * aqk;
        }
        at(p, q) = at(q, p) = 0.0;
        for (size_t k = 0; k < nn; ++k) {
          const double vkp = vt(k, p), vkq = vt(k, q);
          vt(k, p) = c * vkp - s * vkq;
          vt(k, q) = s * vkp + c * vkq;
        }
      }
  }
  if (!converged) return false;

  std::vector<int> order(nn);
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(), [&](int p, int q) { return at(p, p) > at(q, q); });
  Values.SetVecSize(n);
  Vectors.Resize(n, n);
  for (int j = 0; j < n; ++j) {
    const size_t src = static_cast<size_t>(order[static_cast<size_t>(j)]);
    Values.SetVal(j + 1, at(src, src));
    size_t big = 0;
    for (size_t k = 1; k < nn; ++k)
      if (std::fabs(vt(k, src)) > std::fabs(vt(big, src))) big = k;
    const double sign = vt(big, src) < 0 ? -1.0 : 1.0;
    for (size_t k = 0; k < nn; ++k)
      Vectors.SetVal(j + 1, static_cast<int>(k) + 1, sign * vt(k, src));
  }
  return true;
}

// ------------------------------------------------------------------ PCA

bool CalcPrincComp(TMatrix& Data, int FirstCol, int LastCol, int FirstRow, int LastRow,
                   bool UseCovariance) {
  g_pca = PcaResult{};
  if (FirstCol < 1 || LastCol < FirstCol || LastCol > Data.NrOfColumns()) return false;
  if (FirstRow < 1 || LastRow < FirstRow + 1 || LastRow > Data.NrOfRows()) return false;
  const int nv = LastCol - FirstCol + 1;
  const int nobs = LastRow - FirstRow + 1;
  if (static_cast<long long>(nv) * nv > TMatrix::MaxCells) return false;  // no room for cov
  for (int c = FirstCol; c <= LastCol; ++c)
    for (int r = FirstRow; r <= LastRow; ++r)
      if (!std::isfinite(Data.GetVal(c, r))) return false;

  std::vector<double> backup;  // restored if the analysis fails
  backup.reserve(static_cast<size_t>(nv) * nobs);
  for (int c = FirstCol; c <= LastCol; ++c)
    for (int r = FirstRow; r <= LastRow; ++r) backup.push_back(Data.GetVal(c, r));
  auto restore = [&] {
    size_t i = 0;
    for (int c = FirstCol; c <= LastCol; ++c)
      for (int r = FirstRow; r <= LastRow; ++r) Data.SetVal(c, r, backup[i++]);
  };

  // Centre (and for correlations scale) each variable in place.
  for (int c = FirstCol; c <= LastCol; ++c) {
    LD sum = 0;
    for (int r = FirstRow; r <= LastRow; ++r) sum += Data.GetVal(c, r);
    const LD mean = sum / nobs;
    LD ss = 0;
    for (int r = FirstRow; r <= LastRow; ++r) {
      const LD d = Data.GetVal(c, r) - mean;
      ss += d * d;
    }
    const LD sd = std::sqrt(ss / (nobs - 1));
    const bool scale = !UseCovariance && sd > 0;
    for (int r = FirstRow; r <= LastRow; ++r) {
      LD d = Data.GetVal(c, r) - mean;
      if (scale)
        d /= sd;
      else if (!UseCovariance)
        d = 0;  // a constant variable
      Data.SetVal(c, r, static_cast<double>(d));
    }
  }
  // The products are formed on the centred block times 2^-e (an exact
  // scaling that brings its largest magnitude just below 1), so that
  // covariances of very small or very large data neither underflow nor
  // overflow a double; the eigenvalues are scaled back by 2^(2e).
  int e = 0;
  {
    double big = 0;
    for (int c = FirstCol; c <= LastCol; ++c)
      for (int r = FirstRow; r <= LastRow; ++r) big = std::max(big, std::fabs(Data.GetVal(c, r)));
    if (big > 0) std::frexp(big, &e);
  }
  TMatrix cov(nv, nv);
  for (int i = 0; i < nv; ++i)
    for (int j = i; j < nv; ++j) {
      LD s = 0;
      for (int r = FirstRow; r <= LastRow; ++r)
        s += static_cast<LD>(std::ldexp(Data.GetVal(FirstCol + i, r), -e)) *
             std::ldexp(Data.GetVal(FirstCol + j, r), -e);
      cov.SetVal(j + 1, i + 1, static_cast<double>(s / (nobs - 1)));
    }
  TVector values;
  TMatrix vectors;
  if (!JacobiEigen(cov, values, vectors)) {
    restore();
    return false;
  }
  g_pca.nvars = nv;
  g_pca.values.assign(values.Data(), values.Data() + nv);
  for (double& v : g_pca.values) v = std::ldexp(v, 2 * e);  // may round to 0 or infinity
  g_pca.vectors.assign(vectors.Data(), vectors.Data() + static_cast<size_t>(nv) * nv);
  return true;
}

double GetEigenResult(int Component, int Variable) {
  const int n = g_pca.nvars;
  if (Component < 1 || Component > n || Variable < 1 || Variable > n) return 0.0;
  return g_pca.vectors[static_cast<size_t>(Component - 1) * n + static_cast<size_t>(Variable - 1)];
}

double GetEigenValue(int Component) {
  if (Component < 1 || Component > g_pca.nvars) return 0.0;
  return g_pca.values[static_cast<size_t>(Component - 1)];
}

int PrincCompNrOfVars() { return g_pca.nvars; }

}  // namespace tkz
