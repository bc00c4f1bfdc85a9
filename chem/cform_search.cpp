// The search of formulas by mass: an odometer over the counts of the upper
// bound's entries, from the upper counts down to the lower ones, the last
// entry fastest.
//
// The masses of a row (all counts fixed but the last) grow with the last
// count, so the counts of the last entry that can fit are found by one
// division instead of trying each: the rows run in the same order and every
// accepted formula is confirmed with the mass summed entry by entry, so the
// answers are those of trying every count, only sooner.
#include <algorithm>
#include <cmath>

#include "chem/cdata.h"
#include "chem/cform.h"
#include "core/types/tkzbase.h"

namespace tkz {

namespace {
// Rows of the last entry between two steps of the progress protocol.
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

bool TMolForm::FindFormulaIntern(bool Nominal, bool CheckFlag) {
  bool found = false;
  const int n = upper_.NumAtoms;
  // The nominal target: the mass rounded half to even (the default rounding
  // mode of nearbyint); out of the integer range nothing can match.
  const double rounded = std::nearbyint(target_);
  const bool nominal_possible = std::fabs(rounded) < 9.0e18;
  const auto nominal_target = nominal_possible ? static_cast<int64_t>(rounded) : 0;
  int rows = 0;
  while (!search_done_ && !found) {
    if (AbortMathProc.load(std::memory_order_relaxed)) break;
    if (++rows == kRowsPerProgressStep) {
      rows = 0;
      if (!ProgressStep()) break;
    }
    const int last_lo = lower_.AtCnt[n];
    const int last_hi = counters_[n];
    // The counts of the last entry worth trying, from hi down to lo.
    int hi = last_hi;
    int lo = last_lo;
    if (Nominal) {
      int64_t rest = 0;
      for (int i = 1; i < n; ++i) rest += int64_t{upper_.AtWgt[i]} * counters_[i];
      const int64_t w = upper_.AtWgt[n];
      const int64_t need = nominal_target - rest;
      if (!nominal_possible) {
        lo = hi + 1;
      } else if (w == 0) {
        if (need != 0) lo = hi + 1;
      } else if (w > 0 && need % w == 0 && need / w >= lo && need / w <= hi) {
        lo = hi = static_cast<int>(need / w);
      } else if (w > 0) {
        lo = hi + 1;
      }
      for (int k = hi; k >= lo && !found; --k) {
        counters_[n] = k;
        // Confirm with the whole sum, as every candidate is judged.
        int64_t mass = 0;
        for (int i = 1; i <= n; ++i) mass += int64_t{upper_.AtWgt[i]} * counters_[i];
        found = mass == nominal_target && (!CheckFlag || PassesCheck());
      }
    } else {
      double rest = 0;
      for (int i = 1; i < n; ++i) rest += ExactAtWeight(upper_.AtNum[i]) * counters_[i];
      const double m = ExactAtWeight(upper_.AtNum[n]);
      if (m > 0) {
        // rest + m*k within (target - tol, target + tol), with one count of
        // margin each way against rounding; the exact test below decides.
        const double khi = std::floor((target_ + tolerance_ - rest) / m) + 1;
        const double klo = std::ceil((target_ - tolerance_ - rest) / m) - 1;
        if (khi < hi) hi = khi < lo - 1 ? lo - 1 : static_cast<int>(khi);
        if (klo > lo) lo = klo > hi + 1 ? hi + 1 : static_cast<int>(klo);
      }
      for (int k = hi; k >= lo && !found; --k) {
        counters_[n] = k;
        double mass = 0;
        for (int i = 1; i <= n; ++i) mass += ExactAtWeight(upper_.AtNum[i]) * counters_[i];
        found = std::fabs(mass - target_) < tolerance_ && (!CheckFlag || PassesCheck());
      }
    }
    if (found) {
      AcceptCandidate();
      search_passed_ += last_hi - counters_[n] + 1;
      AdvanceOdometer();
    } else {
      // Nothing in this row: pass to the next one.
      search_passed_ += last_hi - last_lo + 1;
      counters_[n] = last_lo;
      AdvanceOdometer();
    }
  }
  ShowIt();
  return found;
}

}  // namespace tkz
