// Golub-Reinsch singular value decomposition.
//
// The working matrix is column-major with mr >= n rows (the input padded with
// zero rows when it is wide). Phase 1 reduces it to upper bidiagonal form with
// alternating left and right Householder reflections (diagonal in w,
// superdiagonal in e). Phase 2 forms V, and U when it is wanted. Phase 3 runs
// implicit-shift QR sweeps on the bidiagonal matrix, one singular value at a
// time from the last; this is the loop that reports progress. When only a
// least-squares solution is wanted, U is never formed: every left
// transformation is applied to the right-hand side instead, giving U^T b.
#include "core/numkit/svd.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <numeric>
#include <vector>

#include "core/types/tkzbase.h"

namespace tkz {
namespace {

struct Bidiag {
  int mr = 0;  // rows of the working matrix (>= n)
  int n = 0;
  std::vector<double> a;  // mr x n, column-major: a[j * mr + i] is row i, column j
  std::vector<double> w;  // singular values
  std::vector<double> v;  // n x n, column-major
  std::vector<double> e;  // superdiagonal
  double& A(int i, int j) { return a[static_cast<size_t>(j) * mr + i]; }
  double& V(int i, int j) { return v[static_cast<size_t>(j) * n + i]; }
};

inline double SignOf(double magnitude, double sign) {
  return std::copysign(std::fabs(magnitude), sign);
}

// Dot product of two runs of `count` doubles, in four interleaved partial
// sums so that the additions need not wait for one another.
inline double Dot(const double* x, const double* y, int count) {
  double s0 = 0, s1 = 0, s2 = 0, s3 = 0;
  int k = 0;
  for (; k + 4 <= count; k += 4) {
    s0 += x[k] * y[k];
    s1 += x[k + 1] * y[k + 1];
    s2 += x[k + 2] * y[k + 2];
    s3 += x[k + 3] * y[k + 3];
  }
  for (; k < count; ++k) s0 += x[k] * y[k];
  return (s0 + s1) + (s2 + s3);
}

// sqrt(a^2 + b^2): the plain formula where it can neither overflow nor
// underflow, std::hypot elsewhere.
inline double Hypot(double a, double b) {
  const double big = std::max(std::fabs(a), std::fabs(b));
  if (big > 1e-150 && big < 1e150) return std::sqrt(a * a + b * b);
  return std::hypot(a, b);
}

// Phase 1: Householder bidiagonalisation. Returns the norm estimate used by
// the splitting tests of phase 3.
double Bidiagonalise(Bidiag& b) {
  const int m = b.mr;
  const int n = b.n;
  std::vector<double> rowDot(static_cast<size_t>(m));
  double g = 0, scale = 0, anorm = 0;
  for (int i = 0; i < n; ++i) {
    const int l = i + 1;
    b.e[static_cast<size_t>(i)] = scale * g;
    g = scale = 0;
    double s = 0;
    // Left reflection: zero column i below the diagonal.
    double* coli = &b.A(0, i);
    for (int k = i; k < m; ++k) scale += std::fabs(coli[k]);
    if (scale != 0) {
      for (int k = i; k < m; ++k) {
        coli[k] /= scale;
        s += coli[k] * coli[k];
      }
      const double f = coli[i];
      g = -SignOf(std::sqrt(s), f);
      const double h = f * g - s;
      coli[i] = f - g;
      for (int j = l; j < n; ++j) {
        double* colj = &b.A(0, j);
        const double d = Dot(coli + i, colj + i, m - i);
        const double t = d / h;
        for (int k = i; k < m; ++k) colj[k] += t * coli[k];
      }
      for (int k = i; k < m; ++k) coli[k] *= scale;
    }
    b.w[static_cast<size_t>(i)] = scale * g;
    // Right reflection: zero row i right of the superdiagonal.
    g = s = scale = 0;
    if (i != n - 1) {
      for (int k = l; k < n; ++k) scale += std::fabs(b.A(i, k));
      if (scale != 0) {
        for (int k = l; k < n; ++k) {
          b.A(i, k) /= scale;
          s += b.A(i, k) * b.A(i, k);
        }
        const double f = b.A(i, l);
        g = -SignOf(std::sqrt(s), f);
        const double h = f * g - s;
        b.A(i, l) = f - g;
        for (int k = l; k < n; ++k) b.e[static_cast<size_t>(k)] = b.A(i, k) / h;
        // Rows l..m-1: row += (row . r) * e, done column by column.
        std::fill(rowDot.begin() + l, rowDot.end(), 0.0);
        for (int k = l; k < n; ++k) {
          const double rik = b.A(i, k);
          const double* colk = &b.A(0, k);
          for (int j = l; j < m; ++j) rowDot[static_cast<size_t>(j)] += colk[j] * rik;
        }
        for (int k = l; k < n; ++k) {
          const double ek = b.e[static_cast<size_t>(k)];
          double* colk = &b.A(0, k);
          for (int j = l; j < m; ++j) colk[j] += rowDot[static_cast<size_t>(j)] * ek;
        }
        for (int k = l; k < n; ++k) b.A(i, k) *= scale;
      }
    }
    anorm = std::max(
        anorm, std::fabs(b.w[static_cast<size_t>(i)]) + std::fabs(b.e[static_cast<size_t>(i)]));
  }
  return anorm;
}

// Phase 2a: accumulate the right reflections into V. Needs the superdiagonal
// as phase 1 left it, before AccumulateU clears the reflection rows.
void AccumulateV(Bidiag& b) {
  const int n = b.n;
  double g = 0;
  int l = n;
  for (int i = n - 1; i >= 0; --i) {
    if (i < n - 1) {
      if (g != 0) {
        for (int j = l; j < n; ++j) b.V(j, i) = (b.A(i, j) / b.A(i, l)) / g;
        for (int j = l; j < n; ++j) {
          double s = 0;
          for (int k = l; k < n; ++k) s += b.A(i, k) * b.V(k, j);
          for (int k = l; k < n; ++k) b.V(k, j) += s * b.V(k, i);
        }
      }
      for (int j = l; j < n; ++j) b.V(i, j) = b.V(j, i) = 0;
    }
    b.V(i, i) = 1;
    g = b.e[static_cast<size_t>(i)];
    l = i;
  }
}

// Phase 2b: accumulate the left reflections into the working matrix, which
// becomes U (mr x n).
void AccumulateU(Bidiag& b) {
  const int m = b.mr;
  const int n = b.n;
  for (int i = n - 1; i >= 0; --i) {
    const int l = i + 1;
    double g = b.w[static_cast<size_t>(i)];
    for (int j = l; j < n; ++j) b.A(i, j) = 0;
    double* coli = &b.A(0, i);
    if (g != 0) {
      g = 1.0 / g;
      for (int j = l; j < n; ++j) {
        double* colj = &b.A(0, j);
        const double s = Dot(coli + l, colj + l, m - l);
        const double f = (s / coli[i]) * g;
        for (int k = i; k < m; ++k) colj[k] += f * coli[k];
      }
      for (int j = i; j < m; ++j) coli[j] *= g;
    } else {
      for (int j = i; j < m; ++j) coli[j] = 0;
    }
    coli[i] += 1;
  }
}

// Phase 2b without U: applies the left reflections to rhs (mr elements), in
// the order they were made, so that rhs[0..n-1] becomes U^T rhs.
void ApplyLeftReflections(Bidiag& b, double* rhs) {
  const int m = b.mr;
  for (int i = 0; i < b.n; ++i) {
    const double wi = b.w[static_cast<size_t>(i)];
    if (wi == 0) continue;  // no reflection was made for this column
    const double* coli = &b.A(0, i);
    const double s = Dot(coli + i, rhs + i, m - i);
    const double f = (s / coli[i]) / wi;
    for (int k = i; k < m; ++k) rhs[k] += f * coli[k];
  }
}

// Householder QR of a tall working matrix whose columns have length about 1
// (so no scaling is needed): R is left in the upper triangle and every
// reflection is applied to rhs as it is made.
void QRReduce(Bidiag& b, double* rhs) {
  const int m = b.mr;
  const int n = b.n;
  for (int i = 0; i < n; ++i) {
    double* ci = &b.A(0, i);
    const double ss = Dot(ci + i, ci + i, m - i);
    if (ss == 0) continue;
    const double alpha = ci[i] > 0 ? -std::sqrt(ss) : std::sqrt(ss);
    ci[i] -= alpha;                              // v = x - alpha e1
    const double beta = -1.0 / (alpha * ci[i]);  // 2 / (v . v)
    auto reflect = [&](double* y) {
      const double d = Dot(ci + i, y + i, m - i) * beta;
      for (int k = i; k < m; ++k) y[k] -= d * ci[k];
    };
    for (int j = i + 1; j < n; ++j) reflect(&b.A(0, j));
    reflect(rhs);
    ci[i] = alpha;
    for (int k = i + 1; k < m; ++k) ci[k] = 0;
  }
}

// Phase 3: diagonalisation. Left rotations go to the columns of U when
// wantU, else to the elements of rhs.
// Applies the plane rotation (c, s) to two vectors of count values:
// p <- p c + q s, q <- q c - p s.
void Rotate(double* p, double* q, int count, double c, double s) {
  for (int r = 0; r < count; ++r) {
    const double y = p[r];
    const double z = q[r];
    p[r] = y * c + z * s;
    q[r] = z * c - y * s;
  }
}

TSVDResult Diagonalise(Bidiag& b, double anorm, bool wantU, double* rhs) {
  const int m = b.mr;
  const int n = b.n;
  auto& w = b.w;
  auto& e = b.e;
  const double tol = DBL_EPSILON * anorm;
  auto rotateLeft = [&](int j1, int j2, double c, double s) {
    if (wantU)
      Rotate(&b.A(0, j1), &b.A(0, j2), m, c, s);
    else
      Rotate(&rhs[j1], &rhs[j2], 1, c, s);
  };
  auto rotateRight = [&](int j1, int j2, double c, double s) {
    Rotate(&b.V(0, j1), &b.V(0, j2), n, c, s);
  };
  auto W = [&](int i) -> double& { return w[static_cast<size_t>(i)]; };
  auto E = [&](int i) -> double& { return e[static_cast<size_t>(i)]; };

  for (int k = n - 1; k >= 0; --k) {
    if (!ProgressStep()) return svdAborted;
    for (int its = 1;; ++its) {
      // Find l: E(l) negligible splits the matrix there; W(l-1) negligible
      // lets E(l) be chased away first.
      bool cancel = true;
      int l = k;
      for (; l >= 0; --l) {
        if (l == 0 || std::fabs(E(l)) <= tol) {
          cancel = false;
          break;
        }
        if (std::fabs(W(l - 1)) <= tol) break;
      }
      if (cancel) {
        const int nm = l - 1;
        double c = 0, s = 1;
        for (int i = l; i <= k; ++i) {
          const double f = s * E(i);
          E(i) = c * E(i);
          if (std::fabs(f) <= tol) break;
          const double g = W(i);
          double h = Hypot(f, g);
          W(i) = h;
          h = 1.0 / h;
          c = g * h;
          s = -f * h;
          rotateLeft(nm, i, c, s);
        }
      }
      const double z = W(k);
      if (l == k) {  // converged
        if (z < 0) {
          W(k) = -z;
          double* vk = &b.V(0, k);
          for (int r = 0; r < n; ++r) vk[r] = -vk[r];
        }
        break;
      }
      if (its >= SVDMaxIterations) return svdNoConvergence;
      // Wilkinson shift from the trailing 2 x 2 block.
      double x = W(l);
      const int nm = k - 1;
      double y = W(nm);
      double g = E(nm);
      double h = E(k);
      double f = ((y - z) * (y + z) + (g - h) * (g + h)) / (2.0 * h * y);
      g = Hypot(f, 1.0);
      f = ((x - z) * (x + z) + h * ((y / (f + SignOf(g, f))) - h)) / x;
      // Chase the bulge from l to k.
      double c = 1, s = 1;
      for (int j = l; j <= nm; ++j) {
        const int i = j + 1;
        g = E(i);
        y = W(i);
        h = s * g;
        g = c * g;
        double zz = Hypot(f, h);
        E(j) = zz;
        c = f / zz;
        s = h / zz;
        f = x * c + g * s;
        g = g * c - x * s;
        h = y * s;
        y *= c;
        rotateRight(j, i, c, s);
        zz = Hypot(f, h);
        W(j) = zz;
        if (zz != 0) {
          zz = 1.0 / zz;
          c = f * zz;
          s = h * zz;
        }
        f = c * g + s * y;
        x = c * y - s * g;
        rotateLeft(j, i, c, s);
      }
      E(l) = 0;
      E(k) = f;
      W(k) = x;
    }
  }
  return svdOK;
}

// Order of the singular values, largest first (stable for equal values).
std::vector<int> DescendingOrder(const std::vector<double>& w) {
  std::vector<int> order(w.size());
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(), [&](int p, int q) {
    return w[static_cast<size_t>(p)] > w[static_cast<size_t>(q)];
  });
  return order;
}

bool AllFinite(const double* p, size_t count) {
  for (size_t i = 0; i < count; ++i)
    if (!std::isfinite(p[i])) return false;
  return true;
}

// Copies A into a fresh working matrix padded to at least n rows.
void Load(const TMatrix& A, Bidiag& b) {
  const int m = A.NrOfRows();
  b.n = A.NrOfColumns();
  b.mr = std::max(m, b.n);
  b.a.assign(static_cast<size_t>(b.mr) * b.n, 0.0);
  for (int j = 0; j < b.n; ++j) std::copy_n(A.Data() + static_cast<size_t>(j) * m, m, &b.A(0, j));
  b.w.assign(static_cast<size_t>(b.n), 0.0);
  b.e.assign(static_cast<size_t>(b.n), 0.0);
  b.v.assign(static_cast<size_t>(b.n) * b.n, 0.0);
}

// Singular values below RelTol times the largest count as 0; a value equal
// to that cut counts, a value of 0 never does.
double Cut(const double* w, int n, double RelTol) {
  double wmax = 0;
  for (int i = 0; i < n; ++i) wmax = std::max(wmax, w[i]);
  return (std::isfinite(RelTol) && RelTol > 0 ? RelTol : 0.0) * wmax;
}

bool Counts(double w, double cut) { return w >= cut && w > 0; }

int CountAbove(const double* w, int n, double RelTol) {
  const double cut = Cut(w, n, RelTol);
  int r = 0;
  for (int i = 0; i < n; ++i)
    if (Counts(w[i], cut)) ++r;
  return r;
}

// Binary exponent e of the largest magnitude among `count` values, so that
// every value times 2^-e lies within (-1, 1); 0 when all are 0. Scaling by a
// power of two is exact, and keeps sums of squares and norms clear of
// overflow and of the subnormal range.
int ScaleExponent(const double* p, size_t count) {
  double big = 0;
  for (size_t i = 0; i < count; ++i) big = std::max(big, std::fabs(p[i]));
  int e = 0;
  if (big > 0) std::frexp(big, &e);
  return e;
}

// V has NrOfColumns^2 cells whatever the number of rows.
bool VFits(int n) { return static_cast<long long>(n) * n <= TMatrix::MaxCells; }

// p[i] * 2^k for count values. When 2^k is a normal double the product is the
// exact value correctly rounded, as std::ldexp gives it, at the cost of one
// multiplication; otherwise std::ldexp does the work.
void ScalePow2(double* p, size_t count, int k) {
  if (k == 0) return;
  if (k >= -1022 && k <= 1023) {
    const double f = std::ldexp(1.0, k);
    for (size_t i = 0; i < count; ++i) p[i] *= f;
  } else {
    for (size_t i = 0; i < count; ++i) p[i] = std::ldexp(p[i], k);
  }
}

}  // namespace

bool TSVD::Decompose(const TMatrix& A) {
  status_ = svdEmpty;
  rows_ = cols_ = 0;
  u_.Resize(0, 0);
  w_.SetVecSize(0);
  v_.Resize(0, 0);
  const int m = A.NrOfRows();
  const int n = A.NrOfColumns();
  if (m == 0 || n == 0) return false;
  if (!AllFinite(A.Data(), static_cast<size_t>(m) * n)) {
    status_ = svdNotFinite;
    return false;
  }
  if (!VFits(n)) {
    status_ = svdTooLarge;
    return false;
  }
  Bidiag b;
  Load(A, b);
  // Work on A * 2^-e, whose entries lie within (-1, 1); W is scaled back.
  const int e = ScaleExponent(b.a.data(), b.a.size());
  ScalePow2(b.a.data(), b.a.size(), -e);
  const double anorm = Bidiagonalise(b);
  AccumulateV(b);
  AccumulateU(b);
  const TSVDResult r = Diagonalise(b, anorm, true, nullptr);
  if (r != svdOK) {
    status_ = r;
    return false;
  }
  ScalePow2(b.w.data(), b.w.size(), e);
  if (!AllFinite(b.w.data(), b.w.size())) {  // beyond the double range
    status_ = svdNotFinite;
    return false;
  }
  const std::vector<int> order = DescendingOrder(b.w);
  try {
    u_.Resize(n, m);
    w_.SetVecSize(n);
    v_.Resize(n, n);
  } catch (...) {  // out of memory: empty, as after any failure
    u_.Resize(0, 0);
    w_.SetVecSize(0);
    throw;
  }
  for (int j = 0; j < n; ++j) {
    const int src = order[static_cast<size_t>(j)];
    w_.Data()[j] = b.w[static_cast<size_t>(src)];
    std::copy_n(&b.A(0, src), m, u_.Data() + static_cast<size_t>(j) * m);
    std::copy_n(&b.V(0, src), n, v_.Data() + static_cast<size_t>(j) * n);
  }
  rows_ = m;
  cols_ = n;
  status_ = svdOK;
  return true;
}

int TSVD::Rank(double RelTol) const { return IsValid() ? CountAbove(w_.Data(), cols_, RelTol) : 0; }

double TSVD::ConditionNumber() const {
  if (!IsValid()) return 0;
  const double wmin = w_.Data()[cols_ - 1];
  return wmin > 0 ? w_.Data()[0] / wmin : HUGE_VAL;
}

bool TSVD::Solve(const TVector& b, TVector& x, double RelTol) const {
  if (!IsValid() || b.GetVecSize() != rows_) return false;
  if (!AllFinite(b.Data(), static_cast<size_t>(rows_))) return false;
  const int r = Rank(RelTol);
  if (r == 0) return false;
  // Work on b * 2^-eb and W * 2^-ew, both within (-1, 1), so that neither
  // U^T b nor the divisions leave the double range on the way; the solution
  // is scaled back by 2^(eb - ew) at the end.
  const int eb = ScaleExponent(b.Data(), static_cast<size_t>(rows_));
  const int ew = ScaleExponent(w_.Data(), static_cast<size_t>(cols_));
  std::vector<double> bs(b.Data(), b.Data() + rows_);
  ScalePow2(bs.data(), bs.size(), -eb);
  std::vector<double> sol(static_cast<size_t>(cols_), 0.0);
  for (int j = 0; j < r; ++j) {  // values are sorted: the first r count
    const double* uj = u_.Data() + static_cast<size_t>(j) * rows_;
    const double d = Dot(uj, bs.data(), rows_) / std::ldexp(w_.Data()[j], -ew);
    const double* vj = v_.Data() + static_cast<size_t>(j) * cols_;
    for (int i = 0; i < cols_; ++i) sol[static_cast<size_t>(i)] += d * vj[i];
  }
  for (double& v : sol) v = std::ldexp(v, eb - ew);
  if (!AllFinite(sol.data(), sol.size())) return false;  // beyond the double range
  x.SetVecSize(cols_);
  std::copy(sol.begin(), sol.end(), x.Data());
  return true;
}

bool SVDLeastSquares(const TMatrix& A, const TVector& b, TVector& x, double RelTol, int* Rank,
                     TSVDResult* Status) {
  auto finish = [&](TSVDResult r, int rank) {
    if (Status != nullptr) *Status = r;
    if (Rank != nullptr) *Rank = rank;
    return r == svdOK;
  };
  const int m = A.NrOfRows();
  const int n = A.NrOfColumns();
  if (m == 0 || n == 0 || b.GetVecSize() != m) return finish(svdEmpty, 0);
  if (!AllFinite(A.Data(), static_cast<size_t>(m) * n) ||
      !AllFinite(b.Data(), static_cast<size_t>(m)))
    return finish(svdNotFinite, 0);
  if (!VFits(n)) return finish(svdTooLarge, 0);
  Bidiag bd;
  Load(A, bd);
  // Equilibrate: every column to about unit Euclidean length, by a power of
  // two so that the scaling itself is exact (an all-zero column stays as it
  // is). Then the units of the unknowns change neither the accuracy nor the
  // rank decision. Column j is multiplied by 2^colExp[j].
  std::vector<int> colExp(static_cast<size_t>(n), 0);
  for (int j = 0; j < n; ++j) {
    double* col = &bd.A(0, j);
    const int e = ScaleExponent(col, static_cast<size_t>(m));
    if (e == 0 && std::all_of(col, col + m, [](double v) { return v == 0; })) continue;
    ScalePow2(col, static_cast<size_t>(m), -e);  // within (-1, 1)
    double ss = 0;
    for (int i = 0; i < m; ++i) ss += col[i] * col[i];
    int e2 = 0;
    std::frexp(std::sqrt(ss), &e2);
    colExp[static_cast<size_t>(j)] = -(e + e2);
    ScalePow2(col, static_cast<size_t>(m), -e2);
  }
  // The right-hand side likewise, as a whole: b * 2^-eb within (-1, 1).
  const int eb = ScaleExponent(b.Data(), static_cast<size_t>(m));
  std::vector<double> rhs(static_cast<size_t>(bd.mr), 0.0);
  std::copy(b.Data(), b.Data() + m, rhs.begin());
  ScalePow2(rhs.data(), static_cast<size_t>(m), -eb);
  if (bd.mr >= 2 * n) {
    // Tall: reduce to the n x n triangle R first (half the work of
    // bidiagonalising the full matrix); the rows below n only carry the
    // residual.
    QRReduce(bd, rhs.data());
    Bidiag r;
    r.mr = r.n = n;
    r.a.assign(static_cast<size_t>(n) * n, 0.0);
    for (int j = 0; j < n; ++j)
      for (int i = 0; i <= j; ++i) r.A(i, j) = bd.A(i, j);
    r.w.assign(static_cast<size_t>(n), 0.0);
    r.e.assign(static_cast<size_t>(n), 0.0);
    r.v.assign(static_cast<size_t>(n) * n, 0.0);
    bd = std::move(r);
    rhs.resize(static_cast<size_t>(n));
  }
  const double anorm = Bidiagonalise(bd);
  AccumulateV(bd);
  ApplyLeftReflections(bd, rhs.data());
  const TSVDResult r = Diagonalise(bd, anorm, false, rhs.data());
  if (r != svdOK) return finish(r, 0);
  const int rank = CountAbove(bd.w.data(), n, RelTol);
  if (rank == 0) return finish(svdZeroRank, 0);
  const double cut = Cut(bd.w.data(), n, RelTol);
  std::vector<double> sol(static_cast<size_t>(n), 0.0);
  for (int j = 0; j < n; ++j) {
    const double wj = bd.w[static_cast<size_t>(j)];
    if (!Counts(wj, cut)) continue;
    const double d = rhs[static_cast<size_t>(j)] / wj;
    const double* vj = &bd.V(0, j);
    for (int i = 0; i < n; ++i) sol[static_cast<size_t>(i)] += d * vj[i];
  }
  // Undo both scalings in one exact step per unknown.
  for (int i = 0; i < n; ++i) {
    const size_t k = static_cast<size_t>(i);
    sol[k] = std::ldexp(sol[k], colExp[k] + eb);
  }
  if (!AllFinite(sol.data(), sol.size())) return finish(svdNotFinite, 0);
  x.SetVecSize(n);
  std::copy(sol.begin(), sol.end(), x.Data());
  return finish(svdOK, rank);
}

}  // namespace tkz
