#include "core/numkit/matrix.h"

#include <algorithm>

namespace tkz {

TMatrix::TMatrix(int NrColumns, int NrRows, TComponent* AOwner) : TComponent(AOwner) {
  Resize(NrColumns, NrRows);
}

bool TMatrix::Resize(int NrColumns, int NrRows) {
  if (NrColumns < 0 || NrRows < 0) return false;
  if (static_cast<long long>(NrColumns) * NrRows > MaxCells) return false;
  if (NrColumns == 0 || NrRows == 0) NrColumns = NrRows = 0;
  if (NrColumns == cols_ && NrRows == rows_) return true;
  std::vector<double> fresh(static_cast<size_t>(NrColumns) * static_cast<size_t>(NrRows), 0.0);
  const int keepCols = std::min(cols_, NrColumns);
  const int keepRows = std::min(rows_, NrRows);
  for (int c = 0; c < keepCols; ++c)
    std::copy_n(data_.begin() + static_cast<ptrdiff_t>(c) * rows_, keepRows,
                fresh.begin() + static_cast<ptrdiff_t>(c) * NrRows);
  data_.swap(fresh);
  cols_ = NrColumns;
  rows_ = NrRows;
  return true;
}

void TMatrix::SetVal(int Col, int Row, double Value) {
  if (Inside(Col, Row)) data_[Offset(Col, Row)] = Value;
}

double TMatrix::GetVal(int Col, int Row) const {
  return Inside(Col, Row) ? data_[Offset(Col, Row)] : 0.0;
}

void TMatrix::Fill(double Value) { std::fill(data_.begin(), data_.end(), Value); }

void TMatrix::Clone(const TMatrix& Source) {
  if (&Source == this) return;
  data_ = Source.data_;
  cols_ = Source.cols_;
  rows_ = Source.rows_;
}

void TMatrix::Assign(const TPersistent* Source) {
  if (const auto* m = dynamic_cast<const TMatrix*>(Source)) {
    Clone(*m);
    return;
  }
  TComponent::Assign(Source);
}

}  // namespace tkz
