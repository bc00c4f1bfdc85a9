// Built with nothing but the flags of `pkg-config --cflags --libs tkz-mapkit`.
#include <cstdio>

#include "geo/geobasics.h"

int main() {
  int zone = 0;
  double e = 0, n = 0;
  tkz::LatLongToUTM(47.3769, 8.5417, tkz::gelWGS84, zone, e, n);
  std::printf("zone %d easting %.3f northing %.3f\n", zone, e, n);
  return zone == 32 && e > 465403 && e < 465404 ? 0 : 1;
}
