// UTM forward and inverse against GeographicLib's UTMUPS on the same 4096
// points spread over the UTM area, and datum shifts per second (PROJ's
// library is no peer here: the shift runs inside a pipeline framework).
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "geo/geobasics.h"

#ifdef TKZ_HAVE_GEOGRAPHICLIB
#include <GeographicLib/UTMUPS.hpp>
#endif

namespace {

using namespace tkz;

struct TPoint {
  double lat, lon;
  int zone;
  bool south;
  double easting, northing;
};

const std::vector<TPoint>& Points() {
  static const std::vector<TPoint> points = [] {
    std::mt19937 rng(7);
    std::uniform_real_distribution<double> lat(-79.9, 83.9), lon(-180, 179.9);
    std::vector<TPoint> p(4096);
    for (auto& q : p) {
      q.lat = lat(rng);
      q.lon = lon(rng);
      LatLongToUTM(q.lat, q.lon, gelWGS84, q.zone, q.easting, q.northing);
      q.south = q.lat < 0;
    }
    return p;
  }();
  return points;
}

void UTMForwardOurs(benchmark::State& st) {
  const auto& pts = Points();
  for (auto _ : st) {
    for (const auto& p : pts) {
      int zone;
      double e, n;
      LatLongToUTM(p.lat, p.lon, gelWGS84, zone, e, n);
      benchmark::DoNotOptimize(e);
      benchmark::DoNotOptimize(n);
    }
  }
  st.SetItemsProcessed(static_cast<int64_t>(st.iterations() * pts.size()));
}
BENCHMARK(UTMForwardOurs)->Name("utm_forward/ours");

void UTMInverseOurs(benchmark::State& st) {
  const auto& pts = Points();
  for (auto _ : st) {
    for (const auto& p : pts) {
      double lat, lon;
      UTMToLatLong(p.easting, p.northing, p.zone, p.south, gelWGS84, lat, lon);
      benchmark::DoNotOptimize(lat);
      benchmark::DoNotOptimize(lon);
    }
  }
  st.SetItemsProcessed(static_cast<int64_t>(st.iterations() * pts.size()));
}
BENCHMARK(UTMInverseOurs)->Name("utm_inverse/ours");

#ifdef TKZ_HAVE_GEOGRAPHICLIB
void UTMForwardPeer(benchmark::State& st) {
  const auto& pts = Points();
  for (auto _ : st) {
    for (const auto& p : pts) {
      int zone;
      bool northp;
      double e, n;
      GeographicLib::UTMUPS::Forward(p.lat, p.lon, zone, northp, e, n);
      benchmark::DoNotOptimize(e);
      benchmark::DoNotOptimize(n);
    }
  }
  st.SetItemsProcessed(static_cast<int64_t>(st.iterations() * pts.size()));
}
BENCHMARK(UTMForwardPeer)->Name("utm_forward/peer");

void UTMInversePeer(benchmark::State& st) {
  const auto& pts = Points();
  for (auto _ : st) {
    for (const auto& p : pts) {
      double lat, lon;
      GeographicLib::UTMUPS::Reverse(p.zone, !p.south, p.easting, p.northing, lat, lon);
      benchmark::DoNotOptimize(lat);
      benchmark::DoNotOptimize(lon);
    }
  }
  st.SetItemsProcessed(static_cast<int64_t>(st.iterations() * pts.size()));
}
BENCHMARK(UTMInversePeer)->Name("utm_inverse/peer");
#endif

// OSGB 1936 to WGS 84 and from WGS 84 to DHDN: a shift on each side.
void HelmertShift(benchmark::State& st) {
  const auto& pts = Points();
  for (auto _ : st) {
    for (const auto& p : pts) {
      double lat, lon, h;
      benchmark::DoNotOptimize(HelmertTransform(183, p.lat, p.lon, 100, 217, lat, lon, h));
      benchmark::DoNotOptimize(lat);
    }
  }
  st.SetItemsProcessed(static_cast<int64_t>(st.iterations() * pts.size()));
}
BENCHMARK(HelmertShift)->Name("helmert_shift");

}  // namespace
