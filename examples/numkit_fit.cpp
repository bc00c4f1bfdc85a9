// A least-squares line through measured points, with progress reporting.
#include <cmath>
#include <cstdio>

#include "core/numkit/math2.h"
#include "core/types/tkzbase.h"

int main() {
  tkz::TCurveFit fit;
  fit.Init();
  for (double x : {0.0, 1.0, 2.0, 3.0}) fit.EnterStatValue(x, 2 * x + 1);
  double slope = 0, intercept = 0, r2 = 0;
  if (!fit.CalcLinFit(slope, intercept, r2)) return 1;
  std::printf("y = %g x + %g (R^2 = %g)\n", slope, intercept, r2);
  return (std::abs(slope - 2) < 1e-12 && std::abs(intercept - 1) < 1e-12) ? 0 : 1;
}
