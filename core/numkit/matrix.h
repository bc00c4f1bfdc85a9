// TMatrix: a dense matrix of doubles, addressed column first, from 1.
//
// GetVal(Col, Row) and SetVal(Col, Row, v) take the column, then the row; both
// count from 1. Writes outside the matrix are ignored and reads outside it
// give 0. Storage is column-major and contiguous: all rows of column 1, then
// column 2, and so on, so the cell (c, r) sits at Data()[(c-1)*NrOfRows + r-1].
//
// In the least-squares and principal-component routines of numkit a matrix
// holds one observation (equation) per row and one variable (unknown) per
// column.
#pragma once

#include <cstddef>
#include <vector>

#include "core/numkit/numkit_export.h"
#include "core/numkit/vector.h"
#include "core/platform/classes.h"

namespace tkz {

class TKZ_NUMKIT_EXPORT TMatrix : public TComponent {
 public:
  explicit TMatrix(TComponent* AOwner = nullptr) : TComponent(AOwner) {}
  // A matrix of NrColumns x NrRows zeros.
  TMatrix(int NrColumns, int NrRows, TComponent* AOwner = nullptr);

  // Largest number of cells a matrix accepts (2^28, 2 GiB of doubles).
  static constexpr long long MaxCells = 1LL << 28;

  // Sets the size. Cells present before and after keep their values, new
  // cells are 0. A size of 0 in either direction gives an empty 0 x 0 matrix.
  // Negative sizes or more than MaxCells cells leave the matrix unchanged and
  // return false.
  bool Resize(int NrColumns, int NrRows);
  int NrOfColumns() const { return cols_; }
  int NrOfRows() const { return rows_; }

  void SetVal(int Col, int Row, double Value);
  double GetVal(int Col, int Row) const;
  // Sets every cell to Value.
  void Fill(double Value);
  // Makes this matrix a copy of Source (size and contents).
  void Clone(const TMatrix& Source);

  // Contiguous column-major storage (see the top of this file); valid until
  // the next Resize or Clone.
  double* Data() { return data_.data(); }
  const double* Data() const { return data_.data(); }

  std::string ClassName() const override { return "TMatrix"; }
  void Assign(const TPersistent* Source) override;

 private:
  bool Inside(int Col, int Row) const {
    return Col >= 1 && Col <= cols_ && Row >= 1 && Row <= rows_;
  }
  size_t Offset(int Col, int Row) const {
    return static_cast<size_t>(Col - 1) * static_cast<size_t>(rows_) + static_cast<size_t>(Row - 1);
  }

  int cols_ = 0;
  int rows_ = 0;
  std::vector<double> data_;
};

}  // namespace tkz
