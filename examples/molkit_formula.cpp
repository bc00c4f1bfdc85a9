// Element data, a CAS number, a formula weighed three ways, and the formulas
// of C0-10 H0-22 that weigh 78.047 u.
#include <cmath>
#include <cstdio>
#include <string>

#include "chem/cdata.h"
#include "chem/cform.h"

int main() {
  const int fe = tkz::AtomicNumber("Fe");  // symbols are case-sensitive
  std::printf("%s: Z %d, %.6f u, %s\n", tkz::CElemName(fe).c_str(), fe, tkz::ExactAtWeight(fe),
              tkz::FullElectronConfig(fe).c_str());
  int64_t cas = 0;
  const bool water = tkz::ConvertStrToCASNr("7732-18-5", cas);
  std::printf("CAS %s valid: %d\n", tkz::FormatCASNr(cas).c_str(), water);

  tkz::TMolForm f;                  // a control; without a parent it paints nothing anyone sees
  f.SetMolFormula("C8 H10 N4 O2");  // caffeine
  std::printf("%s nominal %lld, average %.4f, exact %.6f\n", f.AsString(1).c_str(),
              static_cast<long long>(f.NominalMolWgt()), f.ChemMolWgt(), f.ExactMolWgt());

  tkz::TFormulaRec low, high;  // C0-10 H0-22
  high.NumAtoms = low.NumAtoms = 2;
  high.AtNum[1] = low.AtNum[1] = 6;
  high.AtWgt[1] = low.AtWgt[1] = 12;
  high.AtCnt[1] = 10;
  high.AtNum[2] = low.AtNum[2] = 1;
  high.AtWgt[2] = low.AtWgt[2] = 1;
  high.AtCnt[2] = 22;
  f.InitFindFormula(78.047, 0.005, low, high);
  std::string found;
  while (f.FindFormulaExactMass(true)) found += f.AsString(0);
  std::printf("78.047 u: %s\n", found.c_str());

  const bool ok = fe == 26 && water && cas == 7732185 && f.GetNumAtoms() == 2 &&
                  found == "C6 H6 " && std::abs(tkz::ExactAtWeight(fe) - 55.934934) < 1e-9;
  return ok ? 0 : 1;
}
