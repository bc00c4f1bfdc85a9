// Combinations, permutations and the nearest array element.
#include <cmath>
#include <limits>
#include <utility>

#include "core/dstruct/containers.h"

namespace tkz {

bool NextCombination(TBytes& c, int n) {
  if (c.empty()) return false;
  const int k = c[0];
  if (k < 1 || n < k || n > 255 || c.size() < static_cast<size_t>(k) + 1) return false;
  int p = k;
  while (p >= 1 && c[p] >= n - k + p) --p;
  if (p < 1) return false;
  ++c[p];
  for (int q = p + 1; q <= k; ++q) c[q] = static_cast<uint8_t>(c[q - 1] + 1);
  return true;
}

namespace {

// One step on positions 1..a, whose values are v = n - a + 1 .. n.
bool PermStep(TBytes& p, int a, int n) {
  if (a <= 1) return false;
  const int v = n - a + 1;
  int pos = 0;
  for (int i = 1; i <= a; ++i)
    if (p[i] == v) {
      pos = i;
      break;
    }
  if (pos == 0) return false;  // not a permutation of the expected values
  if (pos != a) {
    std::swap(p[pos], p[pos + 1]);
    return true;
  }
  if (!PermStep(p, a - 1, n)) return false;
  for (int i = a; i > 1; --i) p[i] = p[i - 1];
  p[1] = static_cast<uint8_t>(v);
  return true;
}

}  // namespace

bool NextPermutation(TBytes& p) {
  if (p.empty()) return false;
  const int n = p[0];
  if (n < 1 || p.size() < static_cast<size_t>(n) + 1) return false;
  TBytes work = p;  // a failed step leaves the caller's array as it was
  if (!PermStep(work, n, n)) return false;
  p.swap(work);
  return true;
}

namespace {

template <typename T>
int32_t NearestIndex(double x, const std::vector<T>& values) {
  if (values.empty()) return -1;
  // Starting from infinity (not the largest double) so that infinite
  // elements and differences can win; NaN differences never do.
  double best = std::numeric_limits<double>::infinity();
  int32_t ix = -1;
  for (size_t i = 0; i < values.size(); ++i) {
    const double d = std::fabs(x - static_cast<double>(values[i]));
    if (d < best || (ix < 0 && d == best)) {
      best = d;
      ix = static_cast<int32_t>(i);
    }
  }
  return ix < 0 ? 0 : ix;
}

}  // namespace

int32_t IndexOfNearestArrayValue(double x, const TDoubleArray& Values) {
  return NearestIndex(x, Values);
}

int32_t IndexOfNearestArrayValue(double x, const TIntArray& Values) {
  return NearestIndex(x, Values);
}

}  // namespace tkz
