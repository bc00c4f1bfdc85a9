// The paged string table against a std::vector<std::string> per column:
// filling 1 000 000 cells, sorting 100 000 rows (comb sort over the sort
// order against std::stable_sort of an index), and finding entries in a
// sorted column (binary search against std::lower_bound). The counter
// bytes_per_cell gives the memory held per cell.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <numeric>
#include <random>
#include <string>
#include <vector>

#include "core/dstruct/strarray.h"

namespace {

constexpr int kCols = 10;
constexpr int kFillRows = 100000;  // 10 columns x 100 000 rows = 1 000 000 cells
constexpr int kSortRows = 100000;

// Short texts of 4 to 19 characters, as a table of names and numbers holds.
const std::vector<std::string>& Texts() {
  static const std::vector<std::string> v = [] {
    std::mt19937 rng(12345);
    std::vector<std::string> r(kFillRows);
    for (auto& s : r) {
      const int len = 4 + static_cast<int>(rng() % 16);
      for (int i = 0; i < len; ++i)
        s += static_cast<char>('A' + rng() % 52 % 26 + (rng() % 2) * 32);
    }
    return r;
  }();
  return v;
}

std::string Lower(const std::string& s) {
  std::string r = s;
  for (char& c : r)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  return r;
}

double PeerBytes(const std::vector<std::vector<std::string>>& t) {
  double b = 0;
  for (const auto& col : t) {
    b += static_cast<double>(col.capacity() * sizeof(std::string));
    for (const auto& s : col)
      if (s.capacity() > 15) b += static_cast<double>(s.capacity() + 1);
  }
  return b;
}

void FillOurs(benchmark::State& state) {
  const auto& tx = Texts();
  double bytes = 0;
  for (auto _ : state) {
    tkz::TStringArray a;
    a.Resize(kCols - 1, kFillRows);  // columns 0..9
    for (int c = 0; c < kCols; ++c)
      for (int r = 1; r <= kFillRows; ++r) a.SetString(c, r, tx[(r + c * 7919) % kFillRows]);
    bytes = 4.0 * kCols * a.GetRowCapacity() + 32768.0 * a.GetPageCount();
    benchmark::DoNotOptimize(a.GetPageCount());
  }
  state.counters["bytes_per_cell"] = bytes / (kCols * kFillRows);
  state.SetItemsProcessed(state.iterations() * kCols * kFillRows);
}
BENCHMARK(FillOurs)->Name("fill_1M_cells/ours")->Unit(benchmark::kMillisecond);

void FillPeer(benchmark::State& state) {
  const auto& tx = Texts();
  double bytes = 0;
  for (auto _ : state) {
    std::vector<std::vector<std::string>> t(kCols, std::vector<std::string>(kFillRows));
    for (int c = 0; c < kCols; ++c)
      for (int r = 0; r < kFillRows; ++r) t[c][r] = tx[(r + 1 + c * 7919) % kFillRows];
    bytes = PeerBytes(t);
    benchmark::DoNotOptimize(t.data());
  }
  state.counters["bytes_per_cell"] = bytes / (kCols * kFillRows);
  state.SetItemsProcessed(state.iterations() * kCols * kFillRows);
}
BENCHMARK(FillPeer)->Name("fill_1M_cells/peer")->Unit(benchmark::kMillisecond);

void SortOurs(benchmark::State& state) {
  const auto& tx = Texts();
  tkz::TStringArray a;
  a.SetNrRows(kSortRows);
  for (int r = 1; r <= kSortRows; ++r) a.SetString(1, r, tx[r - 1]);
  for (auto _ : state) {
    a.UnSort();
    a.Sort(1, 0, true);
    benchmark::DoNotOptimize(a.GetSortOrder(1));
  }
  state.SetItemsProcessed(state.iterations() * kSortRows);
}
BENCHMARK(SortOurs)->Name("sort_100k_rows/ours")->Unit(benchmark::kMillisecond);

void SortPeer(benchmark::State& state) {
  const auto& tx = Texts();
  std::vector<std::string> col(tx.begin(), tx.begin() + kSortRows);
  std::vector<int> order(kSortRows);
  for (auto _ : state) {
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int x, int y) {
      return std::lexicographical_compare(
          col[x].begin(), col[x].end(), col[y].begin(), col[y].end(), [](char p, char q) {
            auto lo = [](char c) {
              return static_cast<unsigned char>((c >= 'A' && c <= 'Z') ? c + 32 : c);
            };
            return lo(p) < lo(q);
          });
    });
    benchmark::DoNotOptimize(order.data());
  }
  state.SetItemsProcessed(state.iterations() * kSortRows);
}
BENCHMARK(SortPeer)->Name("sort_100k_rows/peer")->Unit(benchmark::kMillisecond);

constexpr int kQueries = 1000;

void FindOurs(benchmark::State& state) {
  const auto& tx = Texts();
  tkz::TStringArray a;
  a.SetNrRows(kSortRows);
  for (int r = 1; r <= kSortRows; ++r) a.SetString(1, r, tx[r - 1]);
  a.Sort(1, 0, true);
  int hits = 0;
  for (auto _ : state) {
    for (int q = 0; q < kQueries; ++q) {
      int row = 0;
      hits += a.FindCellInSortedColumn(tx[(q * 97) % kSortRows], false, 1, -1, -1, true, row);
    }
  }
  if (hits != static_cast<int>(state.iterations()) * kQueries) state.SkipWithError("missed");
  state.SetItemsProcessed(state.iterations() * kQueries);
}
BENCHMARK(FindOurs)->Name("find_sorted_1k_queries/ours");

void FindPeer(benchmark::State& state) {
  const auto& tx = Texts();
  std::vector<std::string> col;
  for (int r = 0; r < kSortRows; ++r) col.push_back(Lower(tx[r]));
  std::sort(col.begin(), col.end());
  int hits = 0;
  for (auto _ : state) {
    for (int q = 0; q < kQueries; ++q) {
      const std::string t = Lower(tx[(q * 97) % kSortRows]);
      const auto it = std::lower_bound(col.begin(), col.end(), t);
      hits += (it != col.end() && *it == t);
    }
  }
  if (hits != static_cast<int>(state.iterations()) * kQueries) state.SkipWithError("missed");
  state.SetItemsProcessed(state.iterations() * kQueries);
}
BENCHMARK(FindPeer)->Name("find_sorted_1k_queries/peer");

}  // namespace
