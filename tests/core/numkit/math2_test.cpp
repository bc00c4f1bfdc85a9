#include "core/numkit/math2.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

#ifdef TKZ_HAVE_EIGEN
#include <Eigen/Dense>
#endif

namespace tkz {
namespace {

TEST(TCurveFit, LineThroughExactPointsAndLargeOffsets) {
  TCurveFit f;
  // x far from 0: a naive sum-of-squares formula loses every digit here.
  for (int i = 0; i < 50; ++i) f.EnterStatValue(1e8 + i, 3.0 * (1e8 + i) - 7.0);
  double r1, r2, r3;
  ASSERT_TRUE(f.CalcLinFit(r1, r2, r3));
  EXPECT_NEAR(r1, 3.0, 1e-12);
  EXPECT_NEAR(r2, -7.0, 1e-3);
  EXPECT_NEAR(r3, 1.0, 1e-12);
  f.Init();
  EXPECT_EQ(f.NumData(), 0);
  f.EnterStatValue(1, 1);
  f.EnterStatValue(2, 3);
  ASSERT_TRUE(f.CalcLinFit(r1, r2, r3));  // two points suffice
  EXPECT_DOUBLE_EQ(r1, 2.0);
  EXPECT_DOUBLE_EQ(r2, -1.0);
}

TEST(TCurveFit, LineMatchesTheTextbookExample) {
  // Points (1,2) (2,3) (3,5) (4,4) (5,6): slope 0.9, intercept 1.3.
  TCurveFit f;
  const double ys[5] = {2, 3, 5, 4, 6};
  for (int i = 0; i < 5; ++i) f.EnterStatValue(i + 1, ys[i]);
  double r1, r2, r3;
  ASSERT_TRUE(f.CalcLinFit(r1, r2, r3));
  EXPECT_NEAR(r1, 0.9, 1e-15);
  EXPECT_NEAR(r2, 1.3, 1e-15);
  EXPECT_NEAR(r3, 0.81 / 1.0, 1e-15);  // R^2 = 8.1 / 10
}

TEST(TCurveFit, ParabolaRecoversCoefficientsOfShiftedData) {
  TCurveFit f;
  for (int i = -10; i <= 10; ++i) {
    const double x = 1000.0 + 0.5 * i;
    f.EnterStatValue(x, 2.0 - 0.5 * x + 0.25 * x * x);
  }
  double r1, r2, r3, r4;
  ASSERT_TRUE(f.CalcParabolFit(r1, r2, r3, r4));
  EXPECT_NEAR(r3, 0.25, 1e-12);
  EXPECT_NEAR(r2, -0.5, 1e-8);
  EXPECT_NEAR(r1, 2.0, 1e-5);
  EXPECT_NEAR(r4, 1.0, 1e-12);
  // Least squares, not interpolation: four points off a parabola.
  TCurveFit g;
  for (auto [x, y] : {std::pair{0.0, 1.0}, {1.0, 0.0}, {2.0, 1.0}, {3.0, 3.0}})
    g.EnterStatValue(x, y);
  ASSERT_TRUE(g.CalcParabolFit(r1, r2, r3, r4));
  // Normal equations solved by hand: 0.95 - 1.55 x + 0.75 x^2.
  EXPECT_NEAR(r1, 0.95, 1e-14);
  EXPECT_NEAR(r2, -1.55, 1e-14);
  EXPECT_NEAR(r3, 0.75, 1e-14);
}

TEST(TCurveFit, FitsFailCleanlyOnDegenerateOrBadData) {
  TCurveFit f;
  double r1 = 9, r2 = 9, r3 = 9, r4 = 9;
  EXPECT_FALSE(f.CalcLinFit(r1, r2, r3));
  EXPECT_EQ(r1, 0);
  EXPECT_EQ(r3, 0);
  f.EnterStatValue(2, 1);
  f.EnterStatValue(2, 5);
  f.EnterStatValue(2, 7);
  EXPECT_FALSE(f.CalcLinFit(r1, r2, r3));  // all x equal
  f.EnterStatValue(3, 1);
  EXPECT_FALSE(f.CalcParabolFit(r1, r2, r3, r4));  // two distinct x only
  EXPECT_EQ(r4, 0);
  f.EnterStatValue(4, 1);
  EXPECT_TRUE(f.CalcParabolFit(r1, r2, r3, r4));
  f.EnterStatValue(NAN, 1);
  EXPECT_FALSE(f.CalcLinFit(r1, r2, r3));
  EXPECT_FALSE(f.CalcParabolFit(r1, r2, r3, r4));
  EXPECT_EQ(r2, 0);
}

TEST(TCurveFit, StatisticsOfPairedValues) {
  TCurveFit f;
  const double ys[5] = {2, 3, 5, 4, 6};
  for (int i = 0; i < 5; ++i) f.EnterStatValue(i + 1, ys[i]);
  int n;
  double d[7];
  ASSERT_TRUE(f.CalcStatistics(n, d[0], d[1], d[2], d[3], d[4], d[5], d[6]));
  EXPECT_EQ(n, 5);
  EXPECT_DOUBLE_EQ(d[0], 3.0);
  EXPECT_DOUBLE_EQ(d[1], 4.0);
  EXPECT_NEAR(d[2], std::sqrt(2.5), 1e-15);
  EXPECT_NEAR(d[3], std::sqrt(2.5), 1e-15);
  EXPECT_NEAR(d[4], 0.9, 1e-15);
  // Residuals about y = 0.9x + 1.3: -0.2 -0.1 1.0 -0.9 0.2, sum of squares 1.9.
  EXPECT_NEAR(d[5], std::sqrt(1.9 / 3), 1e-15);
  // Differences y - x: 1 1 2 0 1.
  EXPECT_NEAR(d[6], std::sqrt(7.0 / 5), 1e-15);
}

TEST(TCurveFit, StatisticsOfSmallOrBadSetsAreDefined) {
  TCurveFit f;
  int n = -1;
  double d[7] = {1, 1, 1, 1, 1, 1, 1};
  EXPECT_FALSE(f.CalcStatistics(n, d[0], d[1], d[2], d[3], d[4], d[5], d[6]));
  EXPECT_EQ(n, 0);
  for (double v : d) EXPECT_EQ(v, 0);
  f.EnterStatValue(4, 6);
  ASSERT_TRUE(f.CalcStatistics(n, d[0], d[1], d[2], d[3], d[4], d[5], d[6]));
  EXPECT_EQ(d[0], 4);
  EXPECT_EQ(d[2], 0);  // no spread from one value
  EXPECT_EQ(d[5], 0);
  EXPECT_EQ(d[6], 2);
  // A calibration axis reproduced exactly: perfect quality.
  TCurveFit q;
  for (int i = 0; i < 6; ++i) q.EnterStatValue(10 * i, 10 * i);
  ASSERT_TRUE(q.CalcStatistics(n, d[0], d[1], d[2], d[3], d[4], d[5], d[6]));
  EXPECT_EQ(d[5], 0);
  EXPECT_NEAR(d[4], 1.0, 1e-15);
  q.EnterStatValue(INFINITY, 0);
  EXPECT_FALSE(q.CalcStatistics(n, d[0], d[1], d[2], d[3], d[4], d[5], d[6]));
  EXPECT_EQ(n, 7);
  EXPECT_EQ(d[0], 0);
}

TEST(JacobiEigen, DiagonalisesASymmetricMatrix) {
  TMatrix a(3, 3);
  const double m[3][3] = {{4, 1, -2}, {1, 2, 0}, {-2, 0, 3}};
  for (int c = 1; c <= 3; ++c)
    for (int r = 1; r <= 3; ++r) a.SetVal(c, r, m[r - 1][c - 1]);
  TVector val;
  TMatrix vec;
  ASSERT_TRUE(JacobiEigen(a, val, vec));
  EXPECT_NEAR(val.GetVal(1) + val.GetVal(2) + val.GetVal(3), 9.0, 1e-13);  // trace
  for (int j = 1; j <= 3; ++j) {
    if (j > 1) {
      EXPECT_GE(val.GetVal(j - 1), val.GetVal(j));
    }
    for (int r = 1; r <= 3; ++r) {  // A v = lambda v
      double av = 0;
      for (int k = 1; k <= 3; ++k) av += m[r - 1][k - 1] * vec.GetVal(j, k);
      EXPECT_NEAR(av, val.GetVal(j) * vec.GetVal(j, r), 1e-13);
    }
  }
  TMatrix notSquare(2, 3);
  EXPECT_FALSE(JacobiEigen(notSquare, val, vec));
  EXPECT_EQ(val.GetVecSize(), 0);
}

TEST(CalcPrincComp, FindsTheMainAxisOfAnElongatedCloudAndCentresTheData) {
  // Points along the direction (3, 4)/5 with a small spread across it.
  TMatrix d(3, 7);
  for (int r = 1; r <= 7; ++r) {
    const double t = r - 4.0, s = (r % 2 ? 0.1 : -0.1);
    d.SetVal(1, r, 100 + 3 * t / 5 - 4 * s / 5);
    d.SetVal(2, r, 50 + 4 * t / 5 + 3 * s / 5);
    d.SetVal(3, r, 0);
  }
  ASSERT_TRUE(CalcPrincComp(d, 1, 3, 1, 7, true));
  EXPECT_EQ(PrincCompNrOfVars(), 3);
  EXPECT_NEAR(GetEigenResult(1, 1), 0.6, 1e-6);
  EXPECT_NEAR(GetEigenResult(1, 2), 0.8, 1e-6);
  EXPECT_NEAR(GetEigenResult(1, 3), 0.0, 1e-15);
  EXPECT_NEAR(GetEigenValue(1), 28.0 / 6, 1e-12);  // variance of t = -3..3
  EXPECT_NEAR(GetEigenValue(3), 0.0, 1e-15);
  EXPECT_NEAR(std::fabs(GetEigenResult(3, 3)), 1.0, 1e-15);
  // The data are left centred; scores along component 1 are t.
  for (int r = 1; r <= 7; ++r) {
    double score = 0;
    for (int k = 1; k <= 3; ++k) score += d.GetVal(k, r) * GetEigenResult(1, k);
    EXPECT_NEAR(score, r - 4.0, 1e-9);
  }
  EXPECT_EQ(GetEigenResult(0, 1), 0);
  EXPECT_EQ(GetEigenResult(1, 4), 0);
}

TEST(CalcPrincComp, CorrelationModeStandardisesTheVariables) {
  TMatrix d(2, 4);
  const double xs[4] = {1, 2, 3, 4}, ys[4] = {100, 300, 200, 400};
  for (int r = 1; r <= 4; ++r) {
    d.SetVal(1, r, xs[r - 1]);
    d.SetVal(2, r, ys[r - 1]);
  }
  ASSERT_TRUE(CalcPrincComp(d, 1, 2, 1, 4, false));
  // Correlation 0.8: eigenvalues 1.8 and 0.2, axes along the diagonals.
  EXPECT_NEAR(GetEigenValue(1), 1.8, 1e-13);
  EXPECT_NEAR(GetEigenValue(2), 0.2, 1e-13);
  EXPECT_NEAR(GetEigenResult(1, 1), std::sqrt(0.5), 1e-13);
  EXPECT_NEAR(GetEigenResult(1, 2), std::sqrt(0.5), 1e-13);
  double sum = 0, ss = 0;
  for (int r = 1; r <= 4; ++r) {
    sum += d.GetVal(2, r);
    ss += d.GetVal(2, r) * d.GetVal(2, r);
  }
  EXPECT_NEAR(sum, 0, 1e-13);
  EXPECT_NEAR(ss / 3, 1, 1e-13);
}

TEST(CalcPrincComp, RejectsBadBlocksWithoutTouchingTheData) {
  TMatrix d(2, 3);
  d.Fill(5);
  ASSERT_TRUE(CalcPrincComp(d, 1, 2, 1, 3, true));
  EXPECT_EQ(PrincCompNrOfVars(), 2);
  d.Fill(5);
  EXPECT_FALSE(CalcPrincComp(d, 1, 3, 1, 3, true));  // column 3 missing
  EXPECT_EQ(PrincCompNrOfVars(), 0);                 // earlier results cleared
  EXPECT_EQ(GetEigenResult(1, 1), 0);
  EXPECT_FALSE(CalcPrincComp(d, 1, 2, 2, 2, true));  // one observation
  EXPECT_FALSE(CalcPrincComp(d, 2, 1, 1, 3, true));
  EXPECT_FALSE(CalcPrincComp(d, 0, 2, 1, 3, true));
  d.SetVal(2, 3, NAN);
  EXPECT_FALSE(CalcPrincComp(d, 1, 2, 1, 3, true));
  EXPECT_EQ(d.GetVal(1, 1), 5);  // untouched
}

TEST(CalcPrincComp, AxesDoNotDependOnTheScaleOfTheData) {
  // An elongated cloud at unit scale, at 1e-300 (whose variances underflow
  // a double) and at 1e200 (whose variances overflow one).
  const double xs[5] = {-2, -1, 0, 1, 2}, ys[5] = {-1.1, -0.4, 0.1, 0.6, 0.9};
  double axis[2] = {0, 0};
  for (double scale : {1.0, 1e-300, 1e200}) {
    TMatrix d(2, 5);
    for (int r = 1; r <= 5; ++r) {
      d.SetVal(1, r, xs[r - 1] * scale);
      d.SetVal(2, r, ys[r - 1] * scale);
    }
    ASSERT_TRUE(CalcPrincComp(d, 1, 2, 1, 5, true)) << scale;
    if (scale == 1.0) {
      axis[0] = GetEigenResult(1, 1);
      axis[1] = GetEigenResult(1, 2);
      EXPECT_GT(std::fabs(axis[1]), 0.3);  // a real tilt, not an identity
      continue;
    }
    EXPECT_NEAR(GetEigenResult(1, 1), axis[0], 1e-12) << scale;
    EXPECT_NEAR(GetEigenResult(1, 2), axis[1], 1e-12) << scale;
    EXPECT_NEAR(d.GetVal(1, 1) / scale, -2, 1e-12) << scale;  // centred in place
  }
  EXPECT_EQ(GetEigenValue(1), INFINITY);  // variance beyond the double range
}

TEST(CalcPrincComp, RefusesMoreVariablesThanACovarianceMatrixHolds) {
  TMatrix d(20000, 2);
  d.Fill(3);
  d.SetVal(1, 2, 4);
  EXPECT_FALSE(CalcPrincComp(d, 1, 20000, 1, 2, true));
  EXPECT_EQ(d.GetVal(1, 1), 3);  // untouched
  EXPECT_EQ(d.GetVal(1, 2), 4);
  EXPECT_EQ(PrincCompNrOfVars(), 0);
}

TEST(CalcPrincComp, AgreesWithEigenOnRandomData) {
#ifndef TKZ_HAVE_EIGEN
  GTEST_SKIP() << "Eigen 3 not available";
#else
  std::mt19937 gen(11);
  std::normal_distribution<double> g(0, 1);
  const int nv = 5, no = 40;
  TMatrix d(nv, no);
  Eigen::MatrixXd x(no, nv);
  for (int r = 1; r <= no; ++r)
    for (int c = 1; c <= nv; ++c) {
      const double v = g(gen) * c + (c > 1 ? d.GetVal(c - 1, r) : 0);
      d.SetVal(c, r, v);
      x(r - 1, c - 1) = v;
    }
  ASSERT_TRUE(CalcPrincComp(d, 1, nv, 1, no, true));
  const Eigen::MatrixXd centred = x.rowwise() - x.colwise().mean();
  const Eigen::MatrixXd cov = centred.transpose() * centred / (no - 1);
  Eigen::SelfAdjointEigenSolver<Eigen::MatrixXd> es(cov);
  for (int c = 1; c <= nv; ++c) {
    const int e = nv - c;  // Eigen orders ascending
    EXPECT_NEAR(GetEigenValue(c), es.eigenvalues()(e), 1e-12 * es.eigenvalues()(nv - 1));
    double dot = 0;
    for (int k = 1; k <= nv; ++k) dot += GetEigenResult(c, k) * es.eigenvectors()(k - 1, e);
    EXPECT_NEAR(std::fabs(dot), 1.0, 1e-10);
  }
#endif
}

}  // namespace
}  // namespace tkz
