// TStringArray: the virtual comb sort and committing it.
#include <algorithm>
#include <cmath>
#include <vector>

#include "core/dstruct/strarray.h"
#include "core/text/charcase.h"

namespace tkz {

namespace {
inline unsigned char Low(unsigned char ch) {
  return static_cast<unsigned char>(AsciiLowerChar(static_cast<char>(ch)));
}

int CompareLowered(std::string_view a, std::string_view b) {
  const size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    const unsigned char x = Low(static_cast<unsigned char>(a[i]));
    const unsigned char y = Low(static_cast<unsigned char>(b[i]));
    if (x != y) return x < y ? -1 : 1;
  }
  return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}
}  // namespace

void TStringArray::BeforeSortExchange(const std::string& InString, std::string& OutString) {
  OutString = InString;
  if (OnBeforeSortExchange) OnBeforeSortExchange(this, InString, OutString);
}

int TStringArray::CompareKeys(int c, int pa, int pb) {
  // A key column outside the table reads as empty cells.
  const std::string_view a = ColOk(c) ? View(H(c, pa)) : std::string_view();
  const std::string_view b = ColOk(c) ? View(H(c, pb)) : std::string_view();
  if (!OnBeforeSortExchange) return CompareLowered(a, b);
  std::string ka, kb;
  BeforeSortExchange(std::string(a), ka);
  BeforeSortExchange(std::string(b), kb);
  return CompareLowered(ka, kb);
}

int TStringArray::CompareRows(int pa, int pb, int PrimCol, int SecCol) {
  const int r = CompareKeys(PrimCol, pa, pb);
  if (r != 0 || SecCol < 1) return r;
  return CompareKeys(SecCol, pa, pb);
}

void TStringArray::Sort(int PrimCol, int SecCol, bool Ascending) {
  if (OnPercentDone) OnPercentDone(this, 0);
  const int n = nrows_;
  if (n > 1) {
    // The sort works on a copy of the view's order, so that a failure on the
    // way (an allocation, or the key event raising) leaves the view as it
    // was. Rows with equal keys are ordered by their place in the view before
    // the sort, which makes the result that of a stable sort.
    std::vector<int32_t> order(order_.begin(), order_.begin() + n);
    std::vector<int> before(static_cast<size_t>(n) + 1);  // by physical row
    for (int i = 0; i < n; ++i) before[order[i]] = i;
    double total = 0;
    int gap = n;
    do {
      gap = std::max(1, static_cast<int>(gap / 1.3));
      total += n - gap;
    } while (gap != 1);
    total += n;
    double done = 0;
    gap = n;
    bool swapped;
    do {
      gap = std::max(1, static_cast<int>(gap / 1.3));
      swapped = false;
      for (int i = 1; i + gap <= n; ++i) {
        const int32_t a = order[i - 1], b = order[i + gap - 1];
        int c = CompareRows(a, b, PrimCol, SecCol);
        if (!Ascending) c = -c;
        if (c == 0) c = before[a] - before[b];
        if (c > 0) {
          std::swap(order[i - 1], order[i + gap - 1]);
          swapped = true;
        }
        done += 1;
      }
      // Repeated passes with gap 1 can exceed the estimate; the percentage
      // stops at 100.
      if (OnPercentDone) {
        const int pct = static_cast<int>(std::nearbyint(done / total * 100.0));
        OnPercentDone(this, std::min(pct, 100));
      }
    } while (gap != 1 || swapped);
    std::copy(order.begin(), order.end(), order_.begin());
    Changed();
  }
  if (OnPercentDone) OnPercentDone(this, 100);
}

void TStringArray::UnSort() {
  IdentityOrder();
  Changed();
}

void TStringArray::CommitSorting() {
  const auto cells = cells_;
  const auto rattr = row_attr_;
  for (int r = 1; r <= nrows_; ++r) {
    const int p = order_[r - 1];
    for (int c = 0; c <= ncols_; ++c) cells_[c][r - 1] = cells[c][p - 1];
    row_attr_[r - 1] = rattr[p - 1];
  }
  IdentityOrder();
}

}  // namespace tkz
