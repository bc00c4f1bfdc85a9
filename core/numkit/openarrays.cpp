#include "core/numkit/openarrays.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numeric>

namespace tkz {

bool SortArray(bool Ascending, TDoubleArray& Data, TIntArray& Index) {
  if (Data.size() > static_cast<size_t>(INT32_MAX)) return false;
  std::vector<int32_t> order(Data.size());
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(), [&](int32_t p, int32_t q) {
    const double a = Data[static_cast<size_t>(p)], b = Data[static_cast<size_t>(q)];
    if (std::isnan(a) || std::isnan(b)) return !std::isnan(a) && std::isnan(b);
    return Ascending ? a < b : a > b;
  });
  TDoubleArray sorted(Data.size());
  Index.resize(Data.size());
  for (size_t i = 0; i < order.size(); ++i) {
    sorted[i] = Data[static_cast<size_t>(order[i])];
    Index[i] = order[i] + 1;
  }
  Data.swap(sorted);
  return true;
}

namespace {

template <typename T>
bool Reorder(std::vector<T>& Data, const TIntArray& Index) {
  if (Index.size() != Data.size()) return false;
  std::vector<char> seen(Data.size(), 0);
  for (int32_t ix : Index) {
    if (ix < 1 || static_cast<size_t>(ix) > Data.size() || seen[static_cast<size_t>(ix - 1)])
      return false;
    seen[static_cast<size_t>(ix - 1)] = 1;
  }
  std::vector<T> out(Data.size());
  for (size_t i = 0; i < Data.size(); ++i) out[i] = Data[static_cast<size_t>(Index[i] - 1)];
  Data.swap(out);
  return true;
}

}  // namespace

bool ReorderByIndex(TDoubleArray& Data, const TIntArray& Index) { return Reorder(Data, Index); }
bool ReorderByIndex(TIntArray& Data, const TIntArray& Index) { return Reorder(Data, Index); }

}  // namespace tkz
