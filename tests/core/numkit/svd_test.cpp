#include "core/numkit/svd.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "core/types/tkzbase.h"

#ifdef TKZ_HAVE_EIGEN
#include <Eigen/Dense>
#endif

namespace tkz {
namespace {

void FillRandom(TMatrix& a, int cols, int rows, unsigned seed) {
  std::mt19937 gen(seed);
  std::uniform_real_distribution<double> u(-1.0, 1.0);
  a.Resize(cols, rows);
  for (int c = 1; c <= cols; ++c)
    for (int r = 1; r <= rows; ++r) a.SetVal(c, r, u(gen));
}

// max |A - U diag(W) V^T|
double ReconstructionError(const TMatrix& a, const TSVD& s) {
  double worst = 0;
  for (int r = 1; r <= a.NrOfRows(); ++r)
    for (int c = 1; c <= a.NrOfColumns(); ++c) {
      double v = 0;
      for (int j = 1; j <= a.NrOfColumns(); ++j)
        v += s.GetU().GetVal(j, r) * s.GetW().GetVal(j) * s.GetV().GetVal(j, c);
      worst = std::max(worst, std::fabs(v - a.GetVal(c, r)));
    }
  return worst;
}

// Calibration-like design: rows (1, X, Y, X^2, XY, Y^2) over pixel positions.
void BiquadraticDesign(int points, TMatrix& a, TVector& b, unsigned seed) {
  std::mt19937 gen(seed);
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

class ProgressTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ProcStat = 0;
    AbortMathProc = false;
    MathFeedBackProc = nullptr;
    calls_ = 0;
    abortAt_ = -1;
  }
  void TearDown() override {
    AbortMathProc = false;
    MathFeedBackProc = nullptr;
  }
  static void Feedback(double stat) {
    ++calls_;
    lastSeen_ = stat;
    if (calls_ == abortAt_) AbortMathProc = true;
  }
  static inline int calls_ = 0;
  static inline int abortAt_ = -1;
  static inline double lastSeen_ = 0;
};

TEST(TSVD, FactorsTallAndWideMatricesExactly) {
  for (auto [cols, rows] : {std::pair{5, 8}, {4, 4}, {5, 3}, {1, 6}, {6, 1}}) {
    TMatrix a;
    FillRandom(a, cols, rows, 17u * cols + rows);
    TSVD s;
    ASSERT_TRUE(s.Decompose(a)) << cols << "x" << rows;
    EXPECT_LT(ReconstructionError(a, s), 1e-14);
    for (int j = 2; j <= cols; ++j) EXPECT_GE(s.GetW().GetVal(j - 1), s.GetW().GetVal(j));
    // V is orthogonal.
    for (int i = 1; i <= cols; ++i)
      for (int j = 1; j <= cols; ++j) {
        double d = 0;
        for (int k = 1; k <= cols; ++k) d += s.GetV().GetVal(i, k) * s.GetV().GetVal(j, k);
        EXPECT_NEAR(d, i == j ? 1.0 : 0.0, 1e-14);
      }
    EXPECT_EQ(s.Rank(), std::min(cols, rows));
  }
}

TEST(TSVD, RejectsEmptyAndNonFiniteInput) {
  TSVD s;
  TMatrix a;
  EXPECT_FALSE(s.Decompose(a));
  EXPECT_EQ(s.GetStatus(), svdEmpty);
  FillRandom(a, 3, 4, 1);
  a.SetVal(2, 2, NAN);
  EXPECT_FALSE(s.Decompose(a));
  EXPECT_EQ(s.GetStatus(), svdNotFinite);
  EXPECT_EQ(s.GetW().GetVecSize(), 0);
  EXPECT_EQ(s.Rank(), 0);
  EXPECT_EQ(s.ConditionNumber(), 0);
  TVector b(4), x(2);
  x.Fill(5);
  EXPECT_FALSE(s.Solve(b, x));
  EXPECT_EQ(x.GetVal(1), 5);
}

TEST(TSVD, WorksAtEveryScaleOfTheEntries) {
  // The same matrix at unit scale, near the top of the double range and in
  // the subnormal range: the singular values scale with it.
  TMatrix unit;
  FillRandom(unit, 3, 5, 77);
  for (double scale : {0x1p+1000, 0x1p-1060}) {
    // Powers of two, so that `back` is exactly what `a` holds (the subnormal
    // entries keep only about 14 bits).
    TMatrix a(3, 5), back(3, 5);
    for (int c = 1; c <= 3; ++c)
      for (int r = 1; r <= 5; ++r) {
        a.SetVal(c, r, unit.GetVal(c, r) * scale);
        back.SetVal(c, r, a.GetVal(c, r) / scale);
      }
    TSVD ref;
    ASSERT_TRUE(ref.Decompose(back));
    TSVD s;
    ASSERT_TRUE(s.Decompose(a)) << scale;
    for (int j = 1; j <= 3; ++j) {
      // Subnormal results carry only the bits their range allows.
      const double want = ref.GetW().GetVal(j) * scale;
      EXPECT_NEAR(s.GetW().GetVal(j), want, std::max(1e-14 * want, 0x1p-1072)) << scale;
    }
    EXPECT_EQ(s.Rank(), 3) << scale;
  }
  // Column sums and norms beyond the double range.
  TMatrix big(1, 2);
  big.Fill(1e308);
  TSVD s;
  ASSERT_TRUE(s.Decompose(big));
  EXPECT_NEAR(s.GetW().GetVal(1), std::sqrt(2.0) * 1e308, 1e294);
  TMatrix big2(2, 2), small2(2, 2);
  big2.SetVal(1, 1, 1.2e308);
  big2.SetVal(2, 1, 0.8e308);
  big2.SetVal(2, 2, 0.6e308);
  for (int c = 1; c <= 2; ++c)
    for (int r = 1; r <= 2; ++r) small2.SetVal(c, r, big2.GetVal(c, r) * 0x1p-1000);
  TSVD ref;
  ASSERT_TRUE(ref.Decompose(small2));
  ASSERT_TRUE(s.Decompose(big2));
  for (int j = 1; j <= 2; ++j)
    EXPECT_NEAR(s.GetW().GetVal(j) * 0x1p-1000, ref.GetW().GetVal(j), 1e-15 * ref.GetW().GetVal(1));
  // A singular value beyond the double range (about 2.07e308 here) fails
  // the decomposition rather than reading as infinity.
  big2.SetVal(1, 1, 1.5e308);
  big2.SetVal(2, 1, 1e308);
  big2.SetVal(2, 2, 1e308);
  EXPECT_FALSE(s.Decompose(big2));
  EXPECT_EQ(s.GetStatus(), svdNotFinite);
}

TEST(TSVD, KeepsSingularValuesExactlyAtTheThreshold) {
  // Values below RelTol times the largest count as zero; one equal to it
  // does not.
  TMatrix a(2, 2);
  a.SetVal(1, 1, 1);
  a.SetVal(2, 2, 1e-14);
  TSVD s;
  ASSERT_TRUE(s.Decompose(a));
  ASSERT_EQ(s.GetW().GetVal(2), 1e-14);
  EXPECT_EQ(s.Rank(), 2);
  EXPECT_EQ(s.Rank(2e-14), 1);
  TVector b(2), x;
  b.Fill(1e-14);
  ASSERT_TRUE(s.Solve(b, x));
  EXPECT_NEAR(x.GetVal(2), 1.0, 1e-15);
  TMatrix zero(2, 2);
  ASSERT_TRUE(s.Decompose(zero));
  EXPECT_EQ(s.Rank(0), 0);  // a zero singular value never counts
}

TEST(TSVD, RefusesWideMatricesWhoseVWouldNotFit) {
  // V of a matrix with n columns has n x n cells; beyond TMatrix::MaxCells
  // the decomposition fails at once instead of allocating it.
  TMatrix a(20000, 1);
  a.Fill(1);
  TSVD s;
  EXPECT_FALSE(s.Decompose(a));
  EXPECT_EQ(s.GetStatus(), svdTooLarge);
  TVector b(1), x(3);
  b.Fill(1);
  x.Fill(4);
  TSVDResult st = svdOK;
  EXPECT_FALSE(SVDLeastSquares(a, b, x, SVDDefaultRelTol, nullptr, &st));
  EXPECT_EQ(st, svdTooLarge);
  EXPECT_EQ(x.GetVecSize(), 3);
}

TEST(SVDLeastSquares, RecoversAnExactSolutionAndAgreesWithTSVD) {
  TMatrix a;
  FillRandom(a, 4, 10, 5);
  const double truth[4] = {1.5, -2.0, 0.25, 3.0};
  TVector b(10);
  for (int r = 1; r <= 10; ++r) {
    double v = 0;
    for (int c = 1; c <= 4; ++c) v += a.GetVal(c, r) * truth[c - 1];
    b.SetVal(r, v);
  }
  TVector x, y;
  int rank = 0;
  TSVDResult st = svdEmpty;
  ASSERT_TRUE(SVDLeastSquares(a, b, x, SVDDefaultRelTol, &rank, &st));
  EXPECT_EQ(st, svdOK);
  EXPECT_EQ(rank, 4);
  ASSERT_EQ(x.GetVecSize(), 4);
  for (int c = 1; c <= 4; ++c) EXPECT_NEAR(x.GetVal(c), truth[c - 1], 1e-13);
  TSVD s;
  ASSERT_TRUE(s.Decompose(a));
  ASSERT_TRUE(s.Solve(b, y));
  for (int c = 1; c <= 4; ++c) EXPECT_NEAR(x.GetVal(c), y.GetVal(c), 1e-13);
}

TEST(SVDLeastSquares, GivesTheMinimumNormSolutionWhenRankDeficient) {
  // Columns 2 and 3 are equal: x2 + x3 is determined, the split is not.
  // 5 rows take the direct path, 20 rows the QR-first path for tall systems.
  for (int rows : {5, 20}) {
    TMatrix a(3, rows);
    TVector b(rows);
    for (int r = 1; r <= rows; ++r) {
      a.SetVal(1, r, 1);
      a.SetVal(2, r, r);
      a.SetVal(3, r, r);
      b.SetVal(r, 2 + 4.0 * r);
    }
    TVector x;
    int rank = 0;
    ASSERT_TRUE(SVDLeastSquares(a, b, x, SVDDefaultRelTol, &rank)) << rows;
    EXPECT_EQ(rank, 2);
    EXPECT_NEAR(x.GetVal(1), 2.0, 1e-12);
    EXPECT_NEAR(x.GetVal(2), 2.0, 1e-12);  // 4 split evenly: smallest norm
    EXPECT_NEAR(x.GetVal(3), 2.0, 1e-12);
  }
}

TEST(SVDLeastSquares, SolvesUnderdeterminedSystemsWithTheSmallestNorm) {
  // x1 + x2 + x3 = 3 and x1 - x3 = 0: smallest solution (1, 1, 1).
  TMatrix a(3, 2);
  const double rows[2][3] = {{1, 1, 1}, {1, 0, -1}};
  for (int r = 1; r <= 2; ++r)
    for (int c = 1; c <= 3; ++c) a.SetVal(c, r, rows[r - 1][c - 1]);
  TVector b(2), x;
  b.SetVal(1, 3);
  int rank = 0;
  ASSERT_TRUE(SVDLeastSquares(a, b, x, SVDDefaultRelTol, &rank));
  EXPECT_EQ(rank, 2);
  for (int c = 1; c <= 3; ++c) EXPECT_NEAR(x.GetVal(c), 1.0, 1e-14);
}

TEST(SVDLeastSquares, RankAndSolutionDoNotDependOnTheUnitsOfAnUnknown) {
  TMatrix a;
  FillRandom(a, 3, 12, 21);
  TVector b(12), x, xs;
  for (int r = 1; r <= 12; ++r) b.SetVal(r, std::sin(r));
  ASSERT_TRUE(SVDLeastSquares(a, b, x));
  // Express unknown 2 in a unit 1e-16 times smaller: its column grows by
  // 1e16, which would put the other singular values below the threshold of
  // an unscaled decomposition.
  for (int r = 1; r <= 12; ++r) a.SetVal(2, r, a.GetVal(2, r) * 1e16);
  int rank = 0;
  ASSERT_TRUE(SVDLeastSquares(a, b, xs, SVDDefaultRelTol, &rank));
  EXPECT_EQ(rank, 3);
  EXPECT_NEAR(xs.GetVal(1), x.GetVal(1), 1e-13);
  EXPECT_NEAR(xs.GetVal(2) * 1e16, x.GetVal(2), 1e-13);
  EXPECT_NEAR(xs.GetVal(3), x.GetVal(3), 1e-13);
  TSVD plain;
  ASSERT_TRUE(plain.Decompose(a));
  EXPECT_LT(plain.Rank(), 3);  // the unscaled rule sees a rank-deficient matrix
}

TEST(SVDLeastSquares, FailsOnBadInputAndLeavesTheResultAlone) {
  TMatrix a(2, 3);
  TVector b(3), x(2);
  x.Fill(7);
  TSVDResult st = svdOK;
  EXPECT_FALSE(SVDLeastSquares(a, b, x, SVDDefaultRelTol, nullptr, &st));  // all zero
  EXPECT_EQ(st, svdZeroRank);
  TVector shortB(2);
  EXPECT_FALSE(SVDLeastSquares(a, shortB, x, SVDDefaultRelTol, nullptr, &st));
  EXPECT_EQ(st, svdEmpty);
  a.Fill(1);
  b.SetVal(2, INFINITY);
  EXPECT_FALSE(SVDLeastSquares(a, b, x, SVDDefaultRelTol, nullptr, &st));
  EXPECT_EQ(st, svdNotFinite);
  TMatrix empty;
  TVector none;
  EXPECT_FALSE(SVDLeastSquares(empty, none, x));
  EXPECT_EQ(x.GetVecSize(), 2);
  EXPECT_EQ(x.GetVal(1), 7);
}

TEST(SVDLeastSquares, RightHandSidesAndSolutionsAtTheEdgesOfTheRange) {
  // b near the top of the double range: the solution is representable.
  TMatrix a(1, 4);
  a.Fill(1);
  TVector b(4), x;
  b.Fill(1e308);
  ASSERT_TRUE(SVDLeastSquares(a, b, x));
  EXPECT_NEAR(x.GetVal(1), 1e308, 1e294);
  TSVD s;
  ASSERT_TRUE(s.Decompose(a));
  TVector y;
  ASSERT_TRUE(s.Solve(b, y));
  EXPECT_NEAR(y.GetVal(1), 1e308, 1e294);
  // A solution that overflows is a failure, never an infinite "success".
  TMatrix d(2, 2);
  d.SetVal(1, 1, 1);
  d.SetVal(2, 2, 1e-300);
  TVector c(2), z(2);
  c.SetVal(1, 1);
  c.SetVal(2, 1e10);
  z.Fill(8);
  TSVDResult st = svdOK;
  EXPECT_FALSE(SVDLeastSquares(d, c, z, 1e-320, nullptr, &st));
  EXPECT_EQ(st, svdNotFinite);
  EXPECT_EQ(z.GetVal(2), 8);
  ASSERT_TRUE(s.Decompose(d));
  EXPECT_FALSE(s.Solve(c, z, 0));
  EXPECT_EQ(z.GetVal(1), 8);
  // Subnormal matrix and right-hand side, ordinary solution (1, 2).
  TMatrix t(2, 2);
  t.SetVal(1, 1, 0x1p-1060);
  t.SetVal(2, 2, 0x1p-1061);
  TVector tb(2), tx, ty;
  tb.Fill(0x1p-1060);
  ASSERT_TRUE(SVDLeastSquares(t, tb, tx));
  ASSERT_TRUE(s.Decompose(t));
  ASSERT_TRUE(s.Solve(tb, ty));
  for (const TVector* v : {&tx, &ty}) {
    EXPECT_EQ(v->GetVal(1), 1.0);
    EXPECT_EQ(v->GetVal(2), 2.0);
  }
}

TEST_F(ProgressTest, CountsOneStepPerSingularValueEvenWithoutFeedback) {
  TMatrix a;
  FillRandom(a, 6, 40, 3);
  TVector b(40), x;
  b.Fill(1);
  ASSERT_TRUE(SVDLeastSquares(a, b, x));
  EXPECT_EQ(ProcStat, 6.0);
  TSVD s;
  ASSERT_TRUE(s.Decompose(a));
  EXPECT_EQ(ProcStat, 12.0);  // never reset by the library
  MathFeedBackProc = &Feedback;
  ASSERT_TRUE(SVDLeastSquares(a, b, x));
  EXPECT_EQ(ProcStat, 18.0);
  EXPECT_EQ(calls_, 6);
  EXPECT_EQ(lastSeen_, 18.0);  // called with the new value
}

TEST_F(ProgressTest, AbortFromTheFeedbackStopsAfterThatStepAndFails) {
  TMatrix a;
  FillRandom(a, 6, 40, 4);
  TVector b(40), x(6);
  b.Fill(1);
  x.Fill(-3);
  MathFeedBackProc = &Feedback;
  abortAt_ = 2;
  TSVDResult st = svdOK;
  EXPECT_FALSE(SVDLeastSquares(a, b, x, SVDDefaultRelTol, nullptr, &st));
  EXPECT_EQ(st, svdAborted);
  EXPECT_EQ(ProcStat, 2.0);
  EXPECT_EQ(calls_, 2);
  EXPECT_EQ(x.GetVal(1), -3);  // partial result discarded
  EXPECT_TRUE(AbortMathProc);  // the library does not clear it
  // Still set: the next run stops at its first step.
  TSVD s;
  EXPECT_FALSE(s.Decompose(a));
  EXPECT_EQ(s.GetStatus(), svdAborted);
  EXPECT_EQ(ProcStat, 3.0);
  EXPECT_EQ(s.GetW().GetVecSize(), 0);
}

#ifdef TKZ_HAVE_EIGEN
Eigen::MatrixXd ToEigen(const TMatrix& a) {
  Eigen::MatrixXd m(a.NrOfRows(), a.NrOfColumns());
  for (int r = 1; r <= a.NrOfRows(); ++r)
    for (int c = 1; c <= a.NrOfColumns(); ++c) m(r - 1, c - 1) = a.GetVal(c, r);
  return m;
}
#endif

TEST(SVDOracle, SingularValuesMatchEigen) {
#ifndef TKZ_HAVE_EIGEN
  GTEST_SKIP() << "Eigen 3 not available";
#else
  for (auto [cols, rows] : {std::pair{6, 30}, {7, 7}, {9, 4}}) {
    TMatrix a;
    FillRandom(a, cols, rows, 100u + cols);
    TSVD s;
    ASSERT_TRUE(s.Decompose(a));
    Eigen::JacobiSVD<Eigen::MatrixXd> ref(ToEigen(a));
    const auto& w = ref.singularValues();
    for (int j = 1; j <= std::min(cols, rows); ++j)
      EXPECT_NEAR(s.GetW().GetVal(j), w(j - 1), 1e-14 * w(0));
    for (int j = std::min(cols, rows) + 1; j <= cols; ++j)
      EXPECT_NEAR(s.GetW().GetVal(j), 0.0, 1e-14 * w(0));
  }
#endif
}

TEST(SVDOracle, CalibrationLikeFitMatchesEigen) {
#ifndef TKZ_HAVE_EIGEN
  GTEST_SKIP() << "Eigen 3 not available";
#else
  TMatrix a;
  TVector b, x;
  BiquadraticDesign(200, a, b, 9);
  ASSERT_TRUE(SVDLeastSquares(a, b, x));
  Eigen::VectorXd eb(200);
  for (int r = 1; r <= 200; ++r) eb(r - 1) = b.GetVal(r);
  const Eigen::VectorXd ref =
      ToEigen(a).jacobiSvd(Eigen::ComputeThinU | Eigen::ComputeThinV).solve(eb);
  for (int c = 1; c <= 6; ++c)
    EXPECT_NEAR(x.GetVal(c), ref(c - 1), 1e-9 * std::fabs(ref(c - 1)) + 1e-18) << c;
  // The fitted surface agrees where it matters, at the data.
  for (int r = 1; r <= 200; r += 37) {
    double ours = 0, theirs = 0;
    for (int c = 1; c <= 6; ++c) {
      ours += a.GetVal(c, r) * x.GetVal(c);
      theirs += a.GetVal(c, r) * ref(c - 1);
    }
    EXPECT_NEAR(ours, theirs, 1e-10);
  }
#endif
}

}  // namespace
}  // namespace tkz
