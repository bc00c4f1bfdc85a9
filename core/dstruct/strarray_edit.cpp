// TStringArray: inserting, removing and copying rows and columns.
#include <algorithm>

#include "core/dstruct/strarray.h"

namespace tkz {

void TStringArray::InsertRow(int Row) {
  if (!RowOk(Row)) return;
  const int n = nrows_;
  const int p = Phys(Row);
  std::vector<int32_t> order(order_.begin(), order_.begin() + n);
  const int cols = ncols_;
  if (!Resize(cols, n + 1)) return;  // resets the order; restored below
  for (int c = 0; c <= cols; ++c) {
    auto& col = cells_[c];
    std::move_backward(col.begin() + (p - 1), col.begin() + n, col.begin() + n + 1);
    col[p - 1] = 0;
  }
  std::move_backward(row_attr_.begin() + (p - 1), row_attr_.begin() + n, row_attr_.begin() + n + 1);
  row_attr_[p - 1] = 0;
  for (auto& e : order)
    if (e >= p) ++e;
  for (int r = 1; r < Row; ++r) order_[r - 1] = order[r - 1];
  order_[Row - 1] = p;
  for (int r = Row; r <= n; ++r) order_[r] = order[r - 1];
}

void TStringArray::RemoveRow(int Row) {
  if (!RowOk(Row)) return;
  const int n = nrows_;
  if (n == 1) {
    for (int c = 0; c <= ncols_; ++c) H(c, Phys(1)) = 0;
    row_attr_[Phys(1) - 1] = 0;
    Changed();
    return;
  }
  const int p = Phys(Row);
  for (auto& col : cells_) {
    std::move(col.begin() + p, col.begin() + n, col.begin() + (p - 1));
    col[n - 1] = 0;
  }
  std::move(row_attr_.begin() + p, row_attr_.begin() + n, row_attr_.begin() + (p - 1));
  row_attr_[n - 1] = 0;
  std::move(order_.begin() + Row, order_.begin() + n, order_.begin() + (Row - 1));
  order_[n - 1] = n;
  for (int r = 0; r < n - 1; ++r)
    if (order_[r] > p) --order_[r];
  nrows_ = n - 1;
  Changed();
}

void TStringArray::InsertColumn(int Col) {
  if (Col < 1 || Col > ncols_) return;
  const int old = ncols_;
  if (!Resize(old + 1, nrows_)) return;
  for (int c = old + 1; c > Col; --c) {
    cells_[c].swap(cells_[c - 1]);
    col_attr_[c - 1] = col_attr_[c - 2];
  }
  std::fill(cells_[Col].begin(), cells_[Col].end(), 0u);
  col_attr_[Col - 1] = 0;
  Changed();
}

void TStringArray::RemoveColumn(int Col) {
  if (Col < 1 || Col > ncols_) return;
  if (ncols_ == 1) {
    std::fill(cells_[1].begin(), cells_[1].end(), 0u);
    col_attr_[0] = 0;
    Changed();
    return;
  }
  // The column moves to the end, where shrinking drops it; if shrinking
  // fails (out of memory) it moves back, so the table stays as it was.
  std::rotate(cells_.begin() + Col, cells_.begin() + Col + 1, cells_.begin() + ncols_ + 1);
  std::rotate(col_attr_.begin() + (Col - 1), col_attr_.begin() + Col, col_attr_.end());
  if (!Resize(ncols_ - 1, nrows_)) {
    std::rotate(cells_.begin() + Col, cells_.begin() + ncols_, cells_.begin() + ncols_ + 1);
    std::rotate(col_attr_.begin() + (Col - 1), col_attr_.end() - 1, col_attr_.end());
  }
}

void TStringArray::CopyRow(int SrcRow, int DestRow) {
  if (!RowOk(SrcRow) || !RowOk(DestRow) || SrcRow == DestRow) return;
  // The text is copied, not the handle: two cells sharing one slot would
  // see each other's in-place overwrites.
  const int ps = Phys(SrcRow), pd = Phys(DestRow);
  for (int c = 0; c <= ncols_; ++c) {
    const uint32_t h = H(c, ps);
    if (h == 0)
      H(c, pd) = 0;
    else
      Store(c, pd, std::string(View(h)));
  }
  row_attr_[pd - 1] = row_attr_[ps - 1];
  Changed();
}

}  // namespace tkz
