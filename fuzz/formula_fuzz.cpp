// Random bytes as molecular formula text, read with parentheses, without
// them and part by part; then written, weighed and compared. Beyond "no
// crash, no sanitizer report" it checks what holds for any text: entries
// within their limits, the stop position inside the text, the written
// formula read back to the same entries, and CompareTo mirrored when its
// operands are swapped. A few bytes also drive a small mass search, checked
// against trying every candidate of its range.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "chem/cdata.h"
#include "chem/cform.h"

namespace {

using tkz::kMaxFormulaCount;
using tkz::TFormulaRec;
using tkz::TMolForm;

void Check(bool ok) {
  if (!ok) std::abort();
}

bool EntryValid(int z, int mass, int count) {
  return z >= 1 && z <= tkz::kMaxAtomicNumber && count >= 1 && count <= kMaxFormulaCount &&
         mass >= 1 && mass <= kMaxFormulaCount;
}

void CheckEntries(const TMolForm& f, std::string_view text) {
  const TFormulaRec& r = f.GetFormulaRec();
  Check(r.NumAtoms >= 0 && r.NumAtoms <= tkz::kMaxFormulaEntries);
  for (int i = 1; i <= r.NumAtoms; ++i) Check(EntryValid(r.AtNum[i], r.AtWgt[i], r.AtCnt[i]));
  Check(f.ScanStopPos() >= 1 && f.ScanStopPos() <= static_cast<int>(text.size()) + 1);
  Check(std::isfinite(f.ChemMolWgt()) && f.ChemMolWgt() >= 0);
  Check(std::isfinite(f.ExactMolWgt()) && f.ExactMolWgt() >= 0);
  Check(f.NominalMolWgt() >= 0);
  Check(f.GetMolFormula() == f.AsString(1));
}

// The written formula reads back to the same entries (mass numbers kept by
// mode 1), and whole.
void CheckRoundTrip(const TMolForm& f, TMolForm& again) {
  const TFormulaRec& r = f.GetFormulaRec();
  const std::string written = f.AsString(1);
  again.ScanMolFormula(written);
  Check(again.GetFormulaRec() == r);
  Check(again.ScanStopPos() == static_cast<int>(written.size()) + 1);
  // Without mass numbers (mode 0) there is nothing to take for a count.
  again.ScanMolFormula(f.AsString(0));
  Check(again.GetNumAtoms() == r.NumAtoms);
  for (int i = 1; i <= r.NumAtoms; ++i) {
    Check(again.GetAtNum(i) == r.AtNum[i] && again.GetAtCnt(i) == r.AtCnt[i]);
  }
}

int Mirror(int c) { return c == 1 ? 2 : c == 2 ? 1 : c; }

// Part by part from every place the reading stops, one character further
// each time; Pos always moves on when a part is read.
void ScanParts(TMolForm& f, std::string_view text) {
  int pos = 1;
  const int end = static_cast<int>(text.size()) + 1;
  for (int guard = 0; pos <= end && guard <= end; ++guard) {
    const int start = pos;
    int count = -7, mass = -7, z = -7;
    if (f.ScanNextFormPart(text, pos, count, mass, z)) {
      Check(EntryValid(z, mass, count));
      Check(pos > start && pos <= end);
    } else {
      Check(count == -7 && mass == -7 && z == -7);
      Check(pos >= start && pos <= end);
      ++pos;
    }
  }
}

// A range of at most four entries and counts up to 7 (4096 candidates),
// searched for the mass of one of its formulas; the formulas found must be
// those of trying every candidate in the search's order.
void Search(TMolForm& f, const uint8_t* d) {
  TFormulaRec lower, upper;
  const int n = 1 + d[0] % 4;
  upper.NumAtoms = lower.NumAtoms = n;
  static const uint8_t kCommon[] = {6, 1, 7, 8, 16, 15, 9, 17, 35, 53, 14, 11};
  std::vector<int> pick(n + 1);
  for (int i = 1; i <= n; ++i) {
    const uint8_t b = d[i];
    const int z = b & 0x80 ? 1 + b % tkz::kMaxAtomicNumber : kCommon[b % std::size(kCommon)];
    upper.AtNum[i] = lower.AtNum[i] = static_cast<uint8_t>(z);
    upper.AtWgt[i] = lower.AtWgt[i] = tkz::IntAtWeight(z);
    upper.AtCnt[i] = d[i + 4] % 8;
    lower.AtCnt[i] = d[i + 4] / 8 % 8;  // may lie above the upper count
    pick[i] = d[i + 8] % 8;
  }
  double target = 0;
  for (int i = 1; i <= n; ++i) target += tkz::ExactAtWeight(upper.AtNum[i]) * pick[i];
  const double tolerance = 0.001 + (d[13] % 64) * 0.01;
  const bool nominal = d[14] & 1;
  if (nominal) target = std::nearbyint(target) + (d[14] >> 1) % 3 - 1;

  // Every candidate, the last entry fastest, from the upper counts down.
  std::vector<TFormulaRec> expected;
  bool empty = false;
  for (int i = 1; i <= n; ++i) empty |= lower.AtCnt[i] > upper.AtCnt[i];
  std::vector<int> c(n + 1);
  for (int i = 1; i <= n; ++i) c[i] = upper.AtCnt[i];
  while (!empty) {
    double exact = 0;
    int64_t nom = 0;
    for (int i = 1; i <= n; ++i) {
      exact += tkz::ExactAtWeight(upper.AtNum[i]) * c[i];
      nom += int64_t{upper.AtWgt[i]} * c[i];
    }
    if (nominal ? nom == static_cast<int64_t>(target) : std::fabs(exact - target) < tolerance) {
      TFormulaRec r;
      r.NumAtoms = n;
      for (int i = 1; i <= n; ++i) {
        r.AtNum[i] = upper.AtNum[i];
        r.AtWgt[i] = upper.AtWgt[i];
        r.AtCnt[i] = c[i];
      }
      expected.push_back(r);
    }
    int i = n;
    while (i >= 1 && --c[i] < lower.AtCnt[i]) {
      c[i] = upper.AtCnt[i];
      --i;
    }
    empty = i < 1;
  }

  f.InitFindFormula(target, tolerance, lower, upper);
  std::vector<TFormulaRec> found;
  while (found.size() <= expected.size() &&
         (nominal ? f.FindFormulaNominalMass(false) : f.FindFormulaExactMass(false))) {
    found.push_back(f.GetFormulaRec());
  }
  Check(found == expected);
  Check(f.SearchExhausted());
  Check(f.SearchCandidatesDone() == f.SearchCandidatesTotal());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  TMolForm f, g, again;
  f.SetVisible(false);
  g.SetVisible(false);
  again.SetVisible(false);

  f.ScanMolFormula(text);
  CheckEntries(f, text);
  CheckRoundTrip(f, again);

  // The second half as another formula to compare with.
  const std::string_view half = text.substr(size / 2);
  g.ScanMolFormula(half);
  CheckEntries(g, half);
  const int fg = f.CompareTo(g);
  Check(fg >= -2 && fg <= 2);
  Check(g.CompareTo(f) == Mirror(fg));
  Check(f.CompareTo(f) == (f.GetNumAtoms() > 0 ? 0 : -2));
  Check((fg == -2) == (f.GetNumAtoms() == 0 || g.GetNumAtoms() == 0));

  f.ReadFromString(text);
  CheckEntries(f, text);
  CheckRoundTrip(f, again);

  ScanParts(f, text);

  if (size >= 15) Search(f, data);
  return 0;
}
