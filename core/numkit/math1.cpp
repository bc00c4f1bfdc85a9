#include "core/numkit/math1.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <functional>
#include <numbers>
#include <random>
#include <utility>

namespace tkz {
namespace {

std::mt19937_64& Generator() {
  static std::mt19937_64 gen(0x5D1C0FFEEULL);
  return gen;
}

// m * 10^e computed as the nearest double for |e| up to 22 (where the power
// of ten is exact); beyond, within an ulp or two.
double ScaleByPow10(double m, int e) {
  if (e >= 0) {
    while (e > 300) {
      m *= 1e300;
      e -= 300;
    }
    return m * std::pow(10.0, e);
  }
  e = -e;
  while (e > 300) {
    m /= 1e300;
    e -= 300;
  }
  return m / std::pow(10.0, e);
}

}  // namespace

double Round125(double x) {
  if (!std::isfinite(x) || x == 0) return 0.0;
  const double a = std::fabs(x);
  int e = static_cast<int>(std::floor(std::log10(a)));
  double m = a / ScaleByPow10(1.0, e);
  // log10 may be off by one near powers of ten; ScaleByPow10 may lose the
  // subnormal range, so correct from the mantissa.
  if (!std::isfinite(m) || m >= 10) {
    ++e;
    m = a / ScaleByPow10(1.0, e);
  } else if (m < 1) {
    --e;
    m = a / ScaleByPow10(1.0, e);
  }
  double nice;
  if (m < std::numbers::sqrt2)
    nice = 1;
  else if (m < std::sqrt(10.0))
    nice = 2;
  else if (m < std::sqrt(50.0))
    nice = 5;
  else
    nice = 10;
  double r = ScaleByPow10(nice, e);
  if (!std::isfinite(r)) r = 1e308;
  return std::copysign(r, x);
}

bool BRandom(double p) {
  if (!(p > 0)) return false;  // also NaN
  if (p >= 1) return true;
  const double u = static_cast<double>(Generator()() >> 11) * 0x1p-53;  // [0, 1)
  return u < p;
}

void SeedBRandom(uint64_t Seed) { Generator().seed(Seed); }

double SphereGreatCircleDist(double Radius, double Lat1, double Long1, double Lat2, double Long2) {
  for (double v : {Radius, Lat1, Long1, Lat2, Long2})
    if (!std::isfinite(v)) return 0.0;
  constexpr double kDeg = std::numbers::pi / 180.0;
  // Haversine of the central angle sigma and of its supplement, both as sums
  // of non-negative terms:
  //   a = sin^2(dphi/2) + cos(phi1) cos(phi2) sin^2(dlambda/2)  = hav(sigma)
  //   b = sin^2(sum/2)  + cos(phi1) cos(phi2) cos^2(dlambda/2)  = 1 - hav(sigma)
  // so sigma = 2 atan2(sqrt(a), sqrt(b)) keeps full relative precision for
  // tiny and for nearly antipodal distances alike. Differences are taken in
  // degrees, before the conversion to radians can blur them.
  const double dphi = (Lat2 - Lat1) * kDeg;
  const double sphi = (Lat2 + Lat1) * kDeg;
  const double dlam = std::remainder(Long2 - Long1, 360.0) * kDeg;
  const double cc = std::cos(Lat1 * kDeg) * std::cos(Lat2 * kDeg);
  const double sd = std::sin(dphi / 2), ss = std::sin(sphi / 2);
  const double sl = std::sin(dlam / 2), cl = std::cos(dlam / 2);
  const double a = sd * sd + cc * sl * sl;
  const double b = ss * ss + cc * cl * cl;
  return Radius * 2 * std::atan2(std::sqrt(std::max(a, 0.0)), std::sqrt(std::max(b, 0.0)));
}

void ExChange(double& a, double& b) { std::swap(a, b); }
void ExChange(float& a, float& b) { std::swap(a, b); }
void ExChange(long double& a, long double& b) { std::swap(a, b); }
void ExChange(int32_t& a, int32_t& b) { std::swap(a, b); }
void ExChange(int64_t& a, int64_t& b) { std::swap(a, b); }

void SortArray(std::span<int32_t> Data, bool Ascending) {
  if (Ascending)
    std::sort(Data.begin(), Data.end());
  else
    std::sort(Data.begin(), Data.end(), std::greater<int32_t>());
}

namespace {

template <typename T>
int SortIntoImpl(T Value, std::span<const T> Data, bool Ascending) {
  for (size_t i = 0; i < Data.size() && i <= static_cast<size_t>(INT32_MAX); ++i)
    if (Ascending ? (Value < Data[i]) : (Value > Data[i])) return static_cast<int>(i);
  return -1;
}

template <typename T>
bool InsertImpl(std::span<T> Data, int Index, T Value) {
  if (Index < 0 || static_cast<size_t>(Index) >= Data.size()) return false;
  std::move_backward(Data.begin() + Index, Data.end() - 1, Data.end());
  Data[static_cast<size_t>(Index)] = Value;
  return true;
}

}  // namespace

int SortIntoArray(double Value, std::span<const double> Data, bool Ascending) {
  if (std::isnan(Value)) return -1;
  return SortIntoImpl(Value, Data, Ascending);
}

int SortIntoArray(int32_t Value, std::span<const int32_t> Data, bool Ascending) {
  return SortIntoImpl(Value, Data, Ascending);
}

bool InsertIntoArray(std::span<double> Data, int Index, double Value) {
  return InsertImpl(Data, Index, Value);
}

bool InsertIntoArray(std::span<int32_t> Data, int Index, int32_t Value) {
  return InsertImpl(Data, Index, Value);
}

}  // namespace tkz
