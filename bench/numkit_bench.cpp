// numkit against Eigen 3: SVD least squares on a map-calibration-like design,
// a full SVD, and a straight-line fit of 10 000 points.
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "core/numkit/math2.h"
#include "core/numkit/svd.h"

#ifdef TKZ_HAVE_EIGEN
#include <Eigen/Dense>
#endif

namespace {

using tkz::TMatrix;
using tkz::TVector;

// Rows (1, X, Y, X^2, XY, Y^2) at pixel positions, right-hand side a smooth
// latitude surface with a little noise: what the biquadratic calibration fits.
struct Calib {
  TMatrix a;
  TVector b;
  explicit Calib(int points) {
    std::mt19937 gen(7);
    std::uniform_real_distribution<double> px(0.0, 4000.0), noise(-1e-4, 1e-4);
    a.Resize(6, points);
    b.SetVecSize(points);
    for (int r = 1; r <= points; ++r) {
      const double x = px(gen), y = px(gen);
      const double row[6] = {1, x, y, x * x, x * y, y * y};
      for (int c = 1; c <= 6; ++c) a.SetVal(c, r, row[c - 1]);
      b.SetVal(r, 47.0 + 1e-4 * x - 2e-4 * y + 1e-9 * x * x + 3e-10 * x * y + noise(gen));
    }
  }
};

struct Line {
  std::vector<double> x, y;
  explicit Line(int n) {
    std::mt19937 gen(3);
    std::normal_distribution<double> e(0, 0.5);
    for (int i = 0; i < n; ++i) {
      x.push_back(0.01 * i);
      y.push_back(2.5 * x.back() - 1.0 + e(gen));
    }
  }
};

template <int kSize>
void SvdLsqOurs(benchmark::State& state) {
  const Calib c(kSize);
  TVector x;
  for (auto _ : state) {
    bool ok = tkz::SVDLeastSquares(c.a, c.b, x);
    benchmark::DoNotOptimize(ok);
    benchmark::DoNotOptimize(x.Data());
  }
}

template <int kSize>
void SvdFullOurs(benchmark::State& state) {
  TMatrix a(kSize, kSize);
  std::mt19937 gen(5);
  std::uniform_real_distribution<double> u(-1, 1);
  for (int i = 0; i < a.NrOfColumns() * a.NrOfRows(); ++i) a.Data()[i] = u(gen);
  tkz::TSVD s;
  for (auto _ : state) {
    bool ok = s.Decompose(a);
    benchmark::DoNotOptimize(ok);
  }
}

template <int kSize>
void LinFitOurs(benchmark::State& state) {
  const Line l(kSize);
  tkz::TCurveFit f;
  for (auto _ : state) {
    f.Init();
    for (size_t i = 0; i < l.x.size(); ++i) f.EnterStatValue(l.x[i], l.y[i]);
    double r1, r2, r3;
    bool ok = f.CalcLinFit(r1, r2, r3);
    benchmark::DoNotOptimize(ok);
    benchmark::DoNotOptimize(r1);
  }
}

BENCHMARK(SvdLsqOurs<200>)->Name("svd_lsq_200x6_jacobi/ours");
BENCHMARK(SvdLsqOurs<200>)->Name("svd_lsq_200x6_bdc/ours");
BENCHMARK(SvdFullOurs<50>)->Name("svd_full_50x50_jacobi/ours");
BENCHMARK(SvdFullOurs<50>)->Name("svd_full_50x50_bdc/ours");
BENCHMARK(LinFitOurs<10000>)->Name("linfit_10k/ours");

#ifdef TKZ_HAVE_EIGEN
Eigen::MatrixXd ToEigen(const TMatrix& a) {
  return Eigen::Map<const Eigen::MatrixXd>(a.Data(), a.NrOfRows(), a.NrOfColumns());
}

template <typename Svd, int kSize>
void SvdLsqPeer(benchmark::State& state) {
  const Calib c(kSize);
  const Eigen::MatrixXd a = ToEigen(c.a);
  const Eigen::VectorXd b = Eigen::Map<const Eigen::VectorXd>(c.b.Data(), c.b.GetVecSize());
  Eigen::VectorXd x;
  for (auto _ : state) {
    Svd svd(a, Eigen::ComputeThinU | Eigen::ComputeThinV);
    x = svd.solve(b);
    benchmark::DoNotOptimize(x.data());
  }
}

template <typename Svd, int kSize>
void SvdFullPeer(benchmark::State& state) {
  const int n = kSize;
  Eigen::MatrixXd a(n, n);
  std::mt19937 gen(5);
  std::uniform_real_distribution<double> u(-1, 1);
  for (int i = 0; i < n * n; ++i) a.data()[i] = u(gen);
  for (auto _ : state) {
    Svd svd(a, Eigen::ComputeThinU | Eigen::ComputeThinV);
    benchmark::DoNotOptimize(svd.singularValues().data());
  }
}

// The straightforward Eigen way: a design matrix [x 1] solved by Householder QR.
template <int kSize>
void LinFitPeer(benchmark::State& state) {
  const Line l(kSize);
  const Eigen::Index n = static_cast<Eigen::Index>(l.x.size());
  for (auto _ : state) {
    Eigen::MatrixXd a(n, 2);
    Eigen::VectorXd b(n);
    for (Eigen::Index i = 0; i < n; ++i) {
      a(i, 0) = l.x[static_cast<size_t>(i)];
      a(i, 1) = 1.0;
      b(i) = l.y[static_cast<size_t>(i)];
    }
    Eigen::Vector2d s = a.householderQr().solve(b);
    benchmark::DoNotOptimize(s.data());
  }
}

BENCHMARK(SvdLsqPeer<Eigen::JacobiSVD<Eigen::MatrixXd>, 200>)->Name("svd_lsq_200x6_jacobi/peer");
BENCHMARK(SvdLsqPeer<Eigen::BDCSVD<Eigen::MatrixXd>, 200>)->Name("svd_lsq_200x6_bdc/peer");
BENCHMARK(SvdFullPeer<Eigen::JacobiSVD<Eigen::MatrixXd>, 50>)->Name("svd_full_50x50_jacobi/peer");
BENCHMARK(SvdFullPeer<Eigen::BDCSVD<Eigen::MatrixXd>, 50>)->Name("svd_full_50x50_bdc/peer");
BENCHMARK(LinFitPeer<10000>)->Name("linfit_10k/peer");
#endif

}  // namespace
