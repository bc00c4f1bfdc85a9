// Singular value decomposition and linear least squares.
//
// TSVD factors an m x n matrix A (m rows = equations, n columns = unknowns)
// as A = U * diag(W) * V^T, with U of m rows and n columns (orthonormal
// columns when m >= n), W the n singular values in descending order (all
// >= 0) and V an orthogonal n x n matrix. The method is Golub-Reinsch:
// Householder reduction to upper bidiagonal form, then implicit-shift QR
// iterations on the bidiagonal matrix, at most SVDMaxIterations per singular
// value. A matrix with fewer rows than columns is padded with zero rows, so
// the trailing singular values are 0 and the matching columns of U may be 0.
// V has NrOfColumns^2 cells: a (wide) matrix whose V would exceed
// TMatrix::MaxCells is refused (svdTooLarge) before anything is allocated.
//
// The work is done on A scaled by a power of two (exactly) so that its
// largest entry has magnitude just below 1: entries near the top of the
// double range or in the subnormal range decompose like any others.
//
// Accuracy: backward stable; the computed factors reproduce A to a few units
// of roundoff relative to its largest singular value, and singular values
// carry an absolute error of about 1e-16 times the largest one. Small
// singular values of an ill-conditioned matrix therefore have a large
// relative error, which is why the solvers cut them off.
//
// Least squares: x = V * diag(1/W') * U^T * b minimises |A x - b|, where W'
// keeps the singular values from RelTol * (largest singular value) up and
// treats those below it as 0 (a singular value of 0 is never kept). For a
// rank-deficient A this gives the solution of smallest norm. The right-hand
// side is scaled by a power of two as well, so that b near the top of the
// double range is solved like any other; a solution that does not fit in a
// double is a failure (svdNotFinite), never an infinite result.
// TSVD::Solve applies this to A as it stands. SVDLeastSquares first scales
// every column of A to unit length (and the solution back), so that both the
// accuracy and the rank decision are independent of the units of the
// unknowns: a design matrix with columns 1, X and X^2 over pixel positions up
// to 4000 is solved to the accuracy its conditioning allows after scaling,
// not before; there the threshold applies to the singular values of the
// scaled matrix, and a rank-deficient system gets the solution of smallest
// scaled norm. The default RelTol of 1e-14 suits design matrices of full
// rank; raise it for data with noticeable collinearity.
//
// Progress: the QR phase is the long loop. It has one outer iteration per
// singular value (n in all) and each runs the progress step of tkzbase.h
// before its work: ProcStat grows by 1, MathFeedBackProc is called when set,
// and when AbortMathProc is true the decomposition stops at once, its partial
// result is discarded and the call reports failure (status svdAborted).
// ProcStat and AbortMathProc are never reset here.
//
// Failure leaves the caller's outputs untouched: SVDLeastSquares does not
// write x, and a failed TSVD::Decompose leaves an empty decomposition.
#pragma once

#include <cstdint>

#include "core/numkit/matrix.h"
#include "core/numkit/numkit_export.h"
#include "core/numkit/vector.h"

namespace tkz {

// Singular values below this fraction of the largest count as 0.
inline constexpr double SVDDefaultRelTol = 1e-14;
// QR iterations allowed for one singular value before the run fails.
inline constexpr int SVDMaxIterations = 30;

enum TSVDResult : uint8_t {
  svdOK,             // success
  svdEmpty,          // no rows, no columns, or sizes that do not match
  svdNotFinite,      // a NaN or infinite value in the input, or a singular
                     // value or solution beyond the double range
  svdNoConvergence,  // a singular value needed more than SVDMaxIterations
  svdAborted,        // AbortMathProc was set during the run
  svdZeroRank,       // every singular value is below the threshold
  svdTooLarge        // V (columns x columns) would exceed TMatrix::MaxCells
};

class TKZ_NUMKIT_EXPORT TSVD {
 public:
  TSVD() = default;
  TSVD(const TSVD&) = delete;
  TSVD& operator=(const TSVD&) = delete;

  // Decomposes A. Returns true on success; on failure the decomposition is
  // empty and GetStatus tells why (svdEmpty, svdNotFinite, svdTooLarge,
  // svdNoConvergence, svdAborted).
  bool Decompose(const TMatrix& A);
  bool IsValid() const { return status_ == svdOK; }
  TSVDResult GetStatus() const { return status_; }

  // Sizes of the decomposed matrix.
  int NrOfRows() const { return rows_; }
  int NrOfColumns() const { return cols_; }
  // U: NrOfColumns() columns by NrOfRows() rows; W: NrOfColumns() values,
  // descending; V: NrOfColumns() x NrOfColumns(). Column j of U and V belongs
  // to W(j).
  const TMatrix& GetU() const { return u_; }
  const TVector& GetW() const { return w_; }
  const TMatrix& GetV() const { return v_; }

  // Number of singular values that count at RelTol (see the top of this
  // file; 0 if invalid).
  int Rank(double RelTol = SVDDefaultRelTol) const;
  // Largest over smallest singular value; +infinity when the smallest is 0,
  // 0 when the decomposition is invalid.
  double ConditionNumber() const;

  // Least-squares solution of A x = b from the decomposition (see the top of
  // this file). b must have NrOfRows() elements. Returns false, leaving x
  // untouched, when the decomposition is invalid, b has the wrong size or a
  // non-finite value, the rank at RelTol is 0 or the solution overflows.
  bool Solve(const TVector& b, TVector& x, double RelTol = SVDDefaultRelTol) const;

 private:
  TSVDResult status_ = svdEmpty;
  int rows_ = 0;
  int cols_ = 0;
  TMatrix u_;
  TVector w_;
  TMatrix v_;
};

// Solves min |A x - b| for x (A: n columns of unknowns, m rows of equations;
// b: m elements; x receives n elements), with the columns of A scaled to unit
// length as described at the top of this file. The decomposition is done
// without forming U, the transformations being applied to b instead, which
// makes this the faster path when only x is wanted. Returns true on success; on failure
// x is left as it was. Rank and Status, when given, receive the numerical
// rank at RelTol and the outcome.
TKZ_NUMKIT_EXPORT bool SVDLeastSquares(const TMatrix& A, const TVector& b, TVector& x,
                                       double RelTol = SVDDefaultRelTol, int* Rank = nullptr,
                                       TSVDResult* Status = nullptr);

}  // namespace tkz
