// TStringArray: construction, the string pool, cell access and resizing.
#include <algorithm>
#include <cstring>
#include <new>

#include "core/dstruct/strarray.h"

namespace tkz {

namespace {
constexpr const char* kInitError = "Class TStringArray: failed to initialize (out of memory)";
constexpr const char* kPoolFull = "Class TStringArray: string pool is full";

bool Blank(std::string_view s) {
  return std::all_of(s.begin(), s.end(), [](char ch) { return ch == ' '; });
}
}  // namespace

TStringArray::TStringArray(TComponent* AOwner) : TComponent(AOwner) {
  try {
    fill_.assign(1, 1);
    cells_.assign(2, std::vector<uint32_t>(cap_, 0));
    order_.resize(cap_);
    IdentityOrder();
    pages_.push_back(std::make_unique<uint8_t[]>(kPageSize));
    row_attr_.assign(cap_, 0);
    col_attr_.assign(1, 0);
  } catch (const std::bad_alloc&) {
    throw ETKZDStructError(kInitError);
  }
}

void TStringArray::Changed() {
  if (OnChange) OnChange(this);
}

void TStringArray::IdentityOrder() {
  for (int i = 0; i < cap_; ++i) order_[i] = i + 1;
}

std::string_view TStringArray::View(uint32_t h) const {
  if (h == 0) return {};
  const uint8_t* s = pages_[(h >> 16) - 1].get() + (h & 0xFFFF) - 1;
  return {reinterpret_cast<const char*>(s) + 1, s[0]};
}

int TStringArray::FirstFit(int L) {
  if (fit_stale_) {
    fit_leaves_ = 1;
    while (fit_leaves_ < static_cast<int>(pages_.size())) fit_leaves_ *= 2;
    fit_.assign(2 * static_cast<size_t>(fit_leaves_), -1);
    for (size_t k = 0; k < fill_.size(); ++k) fit_[fit_leaves_ + k] = kPageSize - fill_[k];
    for (int i = fit_leaves_ - 1; i >= 1; --i) fit_[i] = std::max(fit_[2 * i], fit_[2 * i + 1]);
    fit_stale_ = false;
  }
  if (fit_[1] <= L) return -1;
  int node = 1;
  while (node < fit_leaves_) node = fit_[2 * node] > L ? 2 * node : 2 * node + 1;
  return node - fit_leaves_;
}

void TStringArray::FitUpdate(int k) {
  if (fit_stale_ || k >= fit_leaves_) {
    fit_stale_ = true;
    return;
  }
  int i = fit_leaves_ + k;
  fit_[i] = kPageSize - fill_[k];
  for (i /= 2; i >= 1; i /= 2) fit_[i] = std::max(fit_[2 * i], fit_[2 * i + 1]);
}

void TStringArray::Store(int c, int p, std::string_view v) {
  if (v.size() > 255) v = v.substr(0, 255);
  const int L = static_cast<int>(v.size());
  uint32_t& h = H(c, p);
  if (h != 0) {
    uint8_t* s = pages_[(h >> 16) - 1].get() + (h & 0xFFFF) - 1;
    if (s[0] >= L) {
      s[0] = static_cast<uint8_t>(L);
      std::memmove(s + 1, v.data(), v.size());
      return;
    }
  }
  const int n = static_cast<int>(pages_.size());
  const int k = FirstFit(L);  // the first page, from page 1 up, with room
  uint8_t* dst;
  if (k >= 0) {
    h = (static_cast<uint32_t>(k + 1) << 16) | static_cast<uint32_t>(fill_[k]);
    dst = pages_[k].get() + fill_[k] - 1;
    fill_[k] += L + 1;
    FitUpdate(k);
  } else {
    // A handle has 16 bits for the page number: refuse rather than wrap.
    if (n >= kMaxPages) throw ETKZDStructError(kPoolFull);
    // The page list and the fill list grow together or not at all.
    Page page = std::make_unique<uint8_t[]>(kPageSize);
    fill_.push_back(L + 2);
    try {
      pages_.push_back(std::move(page));
    } catch (...) {
      fill_.pop_back();
      throw;
    }
    FitUpdate(n);
    h = (static_cast<uint32_t>(n + 1) << 16) | 1u;
    dst = pages_[n].get();
  }
  dst[0] = static_cast<uint8_t>(L);
  std::memcpy(dst + 1, v.data(), v.size());
}

std::string TStringArray::GetString(int Col, int Row) const {
  if (!ColOk(Col) || !RowOk(Row)) return {};
  return std::string(View(H(Col, Phys(Row))));
}

uint32_t TStringArray::GetHandle(int Col, int Row) const {
  if (!ColOk(Col) || !RowOk(Row)) return 0;
  return H(Col, Phys(Row));
}

int TStringArray::GetPageFill(int Page) const {
  if (Page < 1 || Page > GetPageCount()) return 0;
  return fill_[Page - 1];
}

void TStringArray::SetString(int Col, int Row, std::string_view Value) {
  if (!ColOk(Col) || !RowOk(Row)) return;
  Store(Col, Phys(Row), Value);
  Changed();
}

void TStringArray::Fill(std::string_view Value) {
  if (Value.empty()) {
    Clear();
    return;
  }
  for (int c = 0; c <= ncols_; ++c)
    for (int r = 1; r <= nrows_; ++r) SetString(c, r, Value);
}

void TStringArray::Clear() {
  for (auto& col : cells_) std::fill(col.begin(), col.end(), 0u);
  IdentityOrder();
  std::fill(row_attr_.begin(), row_attr_.end(), 0);
  std::fill(col_attr_.begin(), col_attr_.end(), 0);
  pages_.resize(1);
  fill_.assign(1, 1);
  fit_stale_ = true;
}

uint8_t TStringArray::GetRowAttrib(int Row) const {
  return RowOk(Row) ? row_attr_[Phys(Row) - 1] : 0;
}

void TStringArray::SetRowAttrib(int Row, uint8_t Attrib) {
  if (!RowOk(Row)) return;
  row_attr_[Phys(Row) - 1] = Attrib;
  Changed();
}

uint8_t TStringArray::GetColAttrib(int Col) const {
  return (Col >= 1 && Col <= ncols_) ? col_attr_[Col - 1] : 0;
}

void TStringArray::SetColAttrib(int Col, uint8_t Attrib) {
  if (Col < 1 || Col > ncols_) return;
  col_attr_[Col - 1] = Attrib;
  Changed();
}

int TStringArray::GetSortOrder(int Row) const { return RowOk(Row) ? Phys(Row) : -1; }

void TStringArray::SetSortOrder(int Row, int PhysRow) {
  if (RowOk(Row) && RowOk(PhysRow)) order_[Row - 1] = PhysRow;
}

bool TStringArray::ColumnEmpty(int Col) const {
  if (!ColOk(Col)) return false;
  for (int r = 1; r <= nrows_; ++r)
    if (!Blank(View(H(Col, Phys(r))))) return false;
  return true;
}

bool TStringArray::RowEmpty(int Row) const {
  if (!RowOk(Row)) return false;
  for (int c = 1; c <= ncols_; ++c)
    if (!Blank(View(H(c, Phys(Row))))) return false;
  return true;
}

bool TStringArray::Resize(int Columns, int Rows) {
  if (Columns == ncols_ && Rows == nrows_) return true;
  if (Columns <= 0 || Rows <= 0) return false;
  if (Columns != ncols_ || Rows > cap_) {
    const int64_t step = std::max(alloc_by_, 1);
    int64_t cap = step * ((Rows - 1) / step + 1);
    if (cap > INT32_MAX) cap = Rows;
    const int ncap = static_cast<int>(cap);
    try {
      // Build everything first so that a failed allocation changes nothing.
      std::vector<std::vector<uint32_t>> cells(static_cast<size_t>(Columns) + 1);
      const int keepRows = std::min(nrows_, Rows);
      for (int c = 0; c <= Columns; ++c) {
        cells[c].assign(ncap, 0u);
        if (c <= ncols_) std::copy_n(cells_[c].begin(), keepRows, cells[c].begin());
      }
      std::vector<int32_t> order(ncap);
      std::vector<uint8_t> rattr(ncap, 0);
      std::copy_n(row_attr_.begin(), keepRows, rattr.begin());
      std::vector<uint8_t> cattr(Columns, 0);
      std::copy_n(col_attr_.begin(), std::min(ncols_, Columns), cattr.begin());
      cells_.swap(cells);
      order_.swap(order);
      row_attr_.swap(rattr);
      col_attr_.swap(cattr);
    } catch (const std::bad_alloc&) {
      return false;
    }
    cap_ = ncap;
  } else if (Rows < nrows_) {
    for (auto& col : cells_) std::fill(col.begin() + Rows, col.begin() + nrows_, 0u);
    std::fill(row_attr_.begin() + Rows, row_attr_.begin() + nrows_, 0);
  }
  ncols_ = Columns;
  nrows_ = Rows;
  IdentityOrder();
  Changed();
  return true;
}

int TStringArray::AddRow() {
  SetNrRows(nrows_ + 1);
  return nrows_;
}

void TStringArray::GarbageCollection() {
  // One pass in the order column, physical row: each page gets its strings
  // packed in that order from position 1.
  const size_t n = pages_.size();
  std::vector<Page> fresh(n);
  for (auto& p : fresh) p = std::make_unique<uint8_t[]>(kPageSize);
  std::vector<int32_t> w(n, 1);
  for (int c = 0; c <= ncols_; ++c)
    for (int p = 1; p <= nrows_; ++p) {
      uint32_t& h = H(c, p);
      if (h == 0) continue;
      const size_t k = (h >> 16) - 1;
      const std::string_view s = View(h);
      uint8_t* dst = fresh[k].get() + w[k] - 1;
      dst[0] = static_cast<uint8_t>(s.size());
      std::memcpy(dst + 1, s.data(), s.size());
      h = (h & 0xFFFF0000u) | static_cast<uint32_t>(w[k]);
      w[k] += static_cast<int32_t>(s.size()) + 1;
    }
  pages_.swap(fresh);
  fill_.swap(w);
  fit_stale_ = true;
}

void TStringArray::Assign(const TPersistent* Source) {
  const auto* src = dynamic_cast<const TStringArray*>(Source);
  if (!src) {
    TComponent::Assign(Source);
    return;
  }
  if (src == this) return;
  std::vector<Page> pages(src->pages_.size());
  for (size_t k = 0; k < pages.size(); ++k) {
    pages[k] = std::make_unique<uint8_t[]>(kPageSize);
    std::memcpy(pages[k].get(), src->pages_[k].get(), kPageSize);
  }
  auto cells = src->cells_;
  auto order = src->order_;
  auto rattr = src->row_attr_;
  auto cattr = src->col_attr_;
  auto fill = src->fill_;
  auto on_change = src->OnChange;
  auto on_exchange = src->OnBeforeSortExchange;
  auto on_percent = src->OnPercentDone;
  ncols_ = src->ncols_;
  nrows_ = src->nrows_;
  alloc_by_ = src->alloc_by_;
  cap_ = src->cap_;
  pages_.swap(pages);
  cells_.swap(cells);
  order_.swap(order);
  row_attr_.swap(rattr);
  col_attr_.swap(cattr);
  fill_.swap(fill);
  fit_stale_ = true;
  OnChange.swap(on_change);
  OnBeforeSortExchange.swap(on_exchange);
  OnPercentDone.swap(on_percent);
}

void TStringArray::AssignTo(TPersistent* Dest) const {
  if (auto* d = dynamic_cast<TStringArray*>(Dest))
    d->Assign(this);
  else
    TComponent::AssignTo(Dest);
}

}  // namespace tkz
