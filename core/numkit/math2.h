// Statistics of paired data, straight-line and parabola fits, a symmetric
// eigensolver and principal component analysis.
//
// TCurveFit collects (x, y) pairs and fits them by ordinary least squares
// (vertical residuals in y; x is taken as exact). Sums are accumulated about
// the means in extended precision (two passes), and the parabola is solved on
// x centred and scaled to [-1, 1], so results keep close to full double
// precision for well-spread data; a fit through nearly coincident x values is
// as ill-conditioned as the data. A fit fails (returns false, every output 0)
// with too few points, with too few distinct x values (all x equal for the
// line, fewer than three distinct x for the parabola), when any entered
// value is NaN or infinite, or (parabola) when the x values are so tightly
// clustered against their spread that the system is singular in extended
// precision.
//
// JacobiEigen diagonalises a symmetric matrix by cyclic Jacobi rotations;
// eigenvalues are accurate to about 1e-15 times the matrix norm and the
// eigenvectors are orthonormal to the same order.
//
// CalcPrincComp: principal components of the variables (columns) of a block
// of a TMatrix whose rows are observations; see the comment at the function.
#pragma once

#include <vector>

#include "core/numkit/matrix.h"
#include "core/numkit/numkit_export.h"
#include "core/numkit/vector.h"
#include "core/platform/classes.h"

namespace tkz {

class TKZ_NUMKIT_EXPORT TCurveFit : public TComponent {
 public:
  explicit TCurveFit(TComponent* AOwner = nullptr) : TComponent(AOwner) {}

  // Empties the set of pairs.
  void Init();
  // Adds one pair. NaN and infinite values are stored; they make every later
  // fit and CalcStatistics fail until Init.
  void EnterStatValue(double x, double y);
  int NumData() const { return static_cast<int>(x_.size()); }

  // Least-squares line y = r1 * x + r2 (r1 slope, r2 intercept). r3 receives
  // the coefficient of determination R^2 of the fit (1 when every y is equal).
  // Needs 2 points with at least two distinct x.
  bool CalcLinFit(double& r1, double& r2, double& r3) const;

  // Least-squares parabola y = r1 + r2 * x + r3 * x^2; r4 receives R^2.
  // Needs at least three distinct x values.
  bool CalcParabolFit(double& r1, double& r2, double& r3, double& r4) const;

  // Descriptive statistics of the pairs. count = number of pairs, then
  //   d1  mean of x
  //   d2  mean of y
  //   d3  standard deviation of x (divisor n - 1; 0 for n < 2)
  //   d4  standard deviation of y (divisor n - 1; 0 for n < 2)
  //   d5  Pearson correlation coefficient of x and y (0 when either standard
  //       deviation is 0)
  //   d6  residual standard deviation of y about the least-squares line,
  //       sqrt(sum of squared residuals / (n - 2)); 0 for n < 3 or all x equal
  //   d7  root-mean-square of the differences y - x (how far paired values,
  //       such as measured and computed positions, lie apart)
  // Returns false, with count set and every d 0, when the set is empty or
  // holds a NaN or infinite value.
  bool CalcStatistics(int& count, double& d1, double& d2, double& d3, double& d4, double& d5,
                      double& d6, double& d7) const;

  std::string ClassName() const override { return "TCurveFit"; }

 private:
  bool AllFinite() const;
  std::vector<double> x_;
  std::vector<double> y_;
};

// Eigenvalues and eigenvectors of the symmetric n x n matrix A (only the
// upper triangle, Col >= Row, is read). Values receives the n eigenvalues in
// descending order, column j of Vectors the unit eigenvector of value j (sign
// chosen so that its element of largest magnitude is positive). Returns false,
// leaving both outputs empty, when A is empty, not square or not finite, or
// when the rotations do not converge within 100 sweeps.
TKZ_NUMKIT_EXPORT bool JacobiEigen(const TMatrix& A, TVector& Values, TMatrix& Vectors);

// Principal component analysis of the columns FirstCol..LastCol (the
// variables) over the rows FirstRow..LastRow (the observations) of Data.
//
// UseCovariance true: each variable is centred on its mean, in place, and the
// components are the eigenvectors of the covariance matrix (divisor n - 1).
// UseCovariance false: each variable is standardised in place (centred and
// divided by its standard deviation; a constant variable becomes all 0) and
// the components are those of the correlation matrix.
//
// The block of Data is left transformed, so the score of observation r on
// component c is the sum over k of Data(FirstCol + k - 1, r) *
// GetEigenResult(c, k). Other cells are never touched.
//
// Returns false, leaving Data unchanged and the previous results cleared,
// when the block is empty or outside the matrix, has fewer than two rows,
// holds a NaN or infinite value, or has more variables than a covariance
// matrix can hold (variables^2 > TMatrix::MaxCells).
TKZ_NUMKIT_EXPORT bool CalcPrincComp(TMatrix& Data, int FirstCol, int LastCol, int FirstRow,
                                     int LastRow, bool UseCovariance);

// Element Variable (1 = FirstCol) of the eigenvector of component Component
// (1 = largest eigenvalue) from the last successful CalcPrincComp on this
// thread. Components are ordered by descending eigenvalue; each eigenvector
// has unit length and its element of largest magnitude is positive. Indices
// out of range, or no successful analysis, give 0.
TKZ_NUMKIT_EXPORT double GetEigenResult(int Component, int Variable);
// Eigenvalue (variance along the component) of Component; 0 when out of range.
// A variance beyond the double range reads as infinity, one below it as 0;
// the eigenvectors are exact all the same.
TKZ_NUMKIT_EXPORT double GetEigenValue(int Component);
// Number of variables of the last successful analysis (0 if none).
TKZ_NUMKIT_EXPORT int PrincCompNrOfVars();

}  // namespace tkz
