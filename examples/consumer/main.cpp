// The smallest program that uses the installed libraries.
#include <cstdio>

#include "core/types/tkzbase.h"
#include "core/types/univconst.h"

int main() {
  using namespace tkz;
  TCSVDelimiters d = ResolveCSVDelimiter(';');
  std::printf("';' is %s (csvSemicolon)\n", std::string(CSVDELIMITERIDS[d]).c_str());
  std::printf("ln(10!) = %.12g\n", uc_LnFactorial[10]);
  std::printf("e = %.18Lg\n", uc_e);
  return d == csvSemicolon ? 0 : 1;
}
