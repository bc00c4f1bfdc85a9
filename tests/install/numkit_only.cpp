// Uses numkit's free functions alone, so the program itself needs only
// libtkz_numkit (which in turn needs libtkz_corekit).
#include <cstdio>
#include <string>

#include "core/numkit/math1.h"

int main() {
  const double r = tkz::Round125(7.3);
  const std::string hex = tkz::Hex(48879, 4);
  std::printf("Round125(7.3) = %g, Hex(48879, 4) = %s\n", r, hex.c_str());
  return r == 10 && hex == "BEEF" ? 0 : 1;
}
