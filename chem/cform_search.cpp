// The search of formulas by mass: an odometer over the counts of the upper
// bound's entries, from the upper counts down to the lower ones, the last
// entry fastest.
//
// Masses grow with every count, so whole stretches of the odometer can be
// passed over: when the entries read so far are too light even with all
// later entries at their upper counts, or too heavy with all of them at
// their lower counts, no candidate of that stretch can fit. The counts of the
// last entry that can fit are found by one division. Every candidate that is
// judged is judged exactly as a plain enumeration judges it (the mass summed
// entry by entry in order), and the margins of the pruning are far wider than
// any rounding, so the formulas found and their order are those of trying
// every candidate, only sooner.
#include <algorithm>
#include <cmath>
#include <type_traits>

#include "chem/cdata.h"
#include "chem/cform.h"
#include "core/types/tkzbase.h"

namespace tkz {

namespace {
// Steps of the search between two steps of the progress protocol.
constexpr int kRowsPerProgressStep = 1 << 16;
}  // namespace

void TMolForm::InitFindFormula(double Target, double Tolerance, const TFormulaRec& Lower,
                               const TFormulaRec& Upper) {
  target_ = Target;
  tolerance_ = Tolerance;
  lower_ = Lower;
  upper_ = Upper;
  // The record holds 20 entries: a larger count is read as 20.
  upper_.NumAtoms = std::clamp(Upper.NumAtoms, 0, kMaxFormulaEntries);
  lower_.NumAtoms = std::clamp(Lower.NumAtoms, 0, kMaxFormulaEntries);
  counters_.fill(0);
  search_passed_ = 0;
  search_done_ = upper_.NumAtoms == 0;
  for (int i = 1; i <= upper_.NumAtoms; ++i) {
    // Counts and mass numbers within the record's limits (so that no sum
    // can overflow); a lower count above the upper one leaves nothing to
    // search.
    upper_.AtCnt[i] = std::clamp(upper_.AtCnt[i], 0, kMaxFormulaCount);
    lower_.AtCnt[i] = std::clamp(lower_.AtCnt[i], 0, kMaxFormulaCount);
    upper_.AtWgt[i] = std::clamp(upper_.AtWgt[i], 0, kMaxFormulaCount);
    counters_[i] = upper_.AtCnt[i];
    if (lower_.AtCnt[i] > upper_.AtCnt[i]) search_done_ = true;
  }
}

double TMolForm::SearchCandidatesTotal() const {
  if (upper_.NumAtoms == 0) return 0;
  double total = 1;
  for (int i = 1; i <= upper_.NumAtoms; ++i) {
    total *= std::max(0, upper_.AtCnt[i] - lower_.AtCnt[i] + 1);
  }
  return total;
}

bool TMolForm::FindFormulaNominalMass(bool CheckFlag) { return FindFormulaIntern(true, CheckFlag); }

bool TMolForm::FindFormulaExactMass(bool CheckFlag) { return FindFormulaIntern(false, CheckFlag); }

bool TMolForm::PassesCheck() const {
  // N + 2C + 2 >= H + F + Cl + Br + I, each the counter of the last entry
  // holding that element.
  int64_t n = 0, c = 0, h = 0, f = 0, cl = 0, br = 0, io = 0;
  for (int i = 1; i <= upper_.NumAtoms; ++i) {
    const int64_t k = counters_[i];
    switch (upper_.AtNum[i]) {
      case 7:
        n = k;
        break;
      case 6:
        c = k;
        break;
      case 1:
        h = k;
        break;
      case 9:
        f = k;
        break;
      case 17:
        cl = k;
        break;
      case 35:
        br = k;
        break;
      case 53:
        io = k;
        break;
      default:
        break;
    }
  }
  return n + 2 * c + 2 >= h + f + cl + br + io;
}

void TMolForm::AcceptCandidate() {
  form_ = TFormulaRec{};
  form_.NumAtoms = upper_.NumAtoms;
  for (int i = 1; i <= upper_.NumAtoms; ++i) {
    form_.AtNum[i] = upper_.AtNum[i];
    form_.AtWgt[i] = upper_.AtWgt[i];
    form_.AtCnt[i] = counters_[i];
  }
}

bool TMolForm::AdvanceOdometer() {
  int i = upper_.NumAtoms;
  --counters_[i];
  while (counters_[i] < lower_.AtCnt[i]) {
    counters_[i] = upper_.AtCnt[i];
    if (--i < 1) {
      search_done_ = true;
      return false;
    }
    --counters_[i];
  }
  return true;
}

namespace {

// One pass of the search over the odometer c[1..n] (counts falling from
// hi[i] to lo[i], the last entry fastest) with unit masses w[i] >= 0, in the
// numbers of the mode (int64 for nominal masses, double for exact ones).
// Low and High bound the masses worth judging (widened by a margin for
// doubles, so that rounding never prunes a formula the judge would accept).
// Judge decides a candidate exactly as a plain enumeration would. Subtrees
// of the odometer that are too light even at their heaviest, or too heavy at
// their lightest, are passed over; the formulas found and their order are
// those of trying every candidate. Returns 1 found, 0 exhausted, -1 aborted.
template <typename T, typename JudgeFn, typename AdvanceFn>
int Walk(int n, const T* w, const int32_t* lo, const int32_t* hi, int32_t* c, T Low, T High,
         JudgeFn Judge, AdvanceFn Advance) {
  T max_rest[kMaxFormulaEntries + 2] = {};
  T min_rest[kMaxFormulaEntries + 2] = {};
  for (int j = n - 1; j >= 0; --j) {
    max_rest[j] = max_rest[j + 1] + w[j + 1] * hi[j + 1];
    min_rest[j] = min_rest[j + 1] + w[j + 1] * lo[j + 1];
  }
  // Passes the rest of level j's range: its counts and all after it at their
  // least, then one step on.
  const auto exhaust = [&](int j) {
    for (int i = j; i <= n; ++i) c[i] = lo[i];
    return Advance();
  };
  int steps = 0;
  for (;;) {
    if (AbortMathProc.load(std::memory_order_relaxed)) return -1;
    if (++steps == kRowsPerProgressStep) {
      steps = 0;
      if (!ProgressStep()) return -1;
    }
    T p = 0;
    bool moved = false;
    for (int j = 1; j < n && !moved; ++j) {
      const T pj = p + w[j] * c[j];
      if (pj + max_rest[j] < Low) {
        if (!exhaust(j)) return 0;
        moved = true;
      } else if (pj + min_rest[j] > High) {
        // The largest count of entry j that is not too heavy.
        int64_t cj = lo[j] - 1;
        if (w[j] > 0) {
          const T room = High - p - min_rest[j];
          if constexpr (std::is_integral_v<T>) {
            cj = room >= 0 ? room / w[j] : -1;
          } else {
            cj = room >= 0 ? static_cast<int64_t>(std::min<T>(std::floor(room / w[j]), hi[j])) : -1;
          }
          cj = std::min<int64_t>(cj, c[j] - 1);
        }
        if (cj < lo[j]) {
          if (!exhaust(j)) return 0;
        } else {
          c[j] = static_cast<int32_t>(cj);
          for (int i = j + 1; i <= n; ++i) c[i] = hi[i];
        }
        moved = true;
      }
      p = pj;
    }
    if (moved) continue;
    // The last entry: only the counts near Low..High are judged.
    int32_t from = c[n];
    int32_t to = lo[n];
    if (w[n] > 0) {
      if constexpr (std::is_integral_v<T>) {
        const T need_hi = High - p, need_lo = Low - p;
        const T khi = need_hi < 0 ? -1 : need_hi / w[n];
        const T klo = need_lo <= 0 ? 0 : (need_lo + w[n] - 1) / w[n];
        if (khi < from) from = static_cast<int32_t>(std::max<T>(khi, to - 1));
        if (klo > to) to = static_cast<int32_t>(std::min<T>(klo, T{from} + 1));
      } else {
        const T khi = std::floor((High - p) / w[n]) + 1;
        const T klo = std::ceil((Low - p) / w[n]) - 1;
        if (khi < from) from = static_cast<int32_t>(std::max<T>(khi, to - 1));
        if (klo > to) to = static_cast<int32_t>(std::min<T>(klo, T(from) + 1));
      }
    }
    for (int32_t k = from; k >= to; --k) {
      c[n] = k;
      if (Judge()) return 1;
    }
    c[n] = lo[n];
    if (!Advance()) return 0;
  }
}

}  // namespace

double TMolForm::SearchPosition() const {
  // Candidates before the odometer's reading, in mixed radix.
  double pos = 0, radix = 1;
  for (int i = upper_.NumAtoms; i >= 1; --i) {
    pos += (upper_.AtCnt[i] - counters_[i]) * radix;
    radix *= upper_.AtCnt[i] - lower_.AtCnt[i] + 1;
  }
  return pos;
}

bool TMolForm::FindFormulaIntern(bool Nominal, bool CheckFlag) {
  const int n = upper_.NumAtoms;
  int outcome = 0;
  if (!search_done_) {
    const int32_t* lo = lower_.AtCnt.data();
    const int32_t* hi = upper_.AtCnt.data();
    int32_t* c = counters_.data();
    const auto advance = [this] { return AdvanceOdometer(); };
    if (Nominal) {
      // The target rounded half to even (nearbyint's default mode); beyond
      // the integer range nothing can match.
      const double rounded = std::nearbyint(target_);
      if (!(std::fabs(rounded) < 9.0e18)) {
        search_done_ = true;
      } else {
        const auto target = static_cast<int64_t>(rounded);
        int64_t w[kMaxFormulaEntries + 1] = {};
        for (int i = 1; i <= n; ++i) w[i] = upper_.AtWgt[i];
        const auto judge = [&] {
          int64_t mass = 0;
          for (int i = 1; i <= n; ++i) mass += int64_t{upper_.AtWgt[i]} * counters_[i];
          return mass == target && (!CheckFlag || PassesCheck());
        };
        outcome = Walk<int64_t>(n, w, lo, hi, c, target, target, judge, advance);
      }
    } else {
      double w[kMaxFormulaEntries + 1] = {};
      double largest = 0;
      for (int i = 1; i <= n; ++i) {
        w[i] = ExactAtWeight(upper_.AtNum[i]);
        largest += w[i] * hi[i];
      }
      // Sums in another order differ by a few units in the last place of
      // the largest sum; the margin covers that many times over.
      const double margin = 1e-12 * largest + 1e-9;
      const double low = target_ - tolerance_ - margin;
      const double high = target_ + tolerance_ + margin;
      const auto judge = [&] {
        double mass = 0;
        for (int i = 1; i <= n; ++i) mass += w[i] * counters_[i];
        return std::fabs(mass - target_) < tolerance_ && (!CheckFlag || PassesCheck());
      };
      if (std::isnan(low) || std::isnan(high) || !(tolerance_ > 0)) {
        search_done_ = true;  // nothing is within a tolerance of 0 or NaN
      } else {
        outcome = Walk<double>(n, w, lo, hi, c, low, high, judge, advance);
      }
    }
    if (outcome == 1) {
      AcceptCandidate();
      AdvanceOdometer();
    }
  }
  search_passed_ = search_done_ ? SearchCandidatesTotal() : SearchPosition();
  ShowIt();
  return outcome == 1;
}

}  // namespace tkz
