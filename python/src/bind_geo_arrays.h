// Numbers in, numbers out for tkz.geo: one code path for Python scalars and
// one for numpy arrays of any shape.
//
// Scalars (int, float, numpy scalars) never touch numpy, so that scalar
// calls work without it. Anything else (arrays, lists, tuples) is converted
// to float64 by numpy, imported only then, and broadcast against the other
// arguments; the loop over the points runs in C++ without the GIL, walking
// every input through its own strides (no copies of broadcast or
// non-contiguous inputs), and writes C-contiguous float64 or int32 results.
#pragma once

#include <pybind11/numpy.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "python/src/common.h"

namespace tkz::python::geo {

// A Python int or float, or a numpy scalar (seen only when numpy is loaded
// already, which it must be for such an object to exist).
bool IsScalar(py::handle o);
// The value of a scalar as a double (TypeError for anything else).
double ScalarValue(py::handle o, const char* what);

// numpy, imported on first use; ImportError with a clear text without it.
py::module_ Numpy();

// Inputs converted to float64 and broadcast to one shape.
class Broadcast {
 public:
  explicit Broadcast(const std::vector<py::handle>& inputs);

  const std::vector<py::ssize_t>& Shape() const { return shape_; }
  size_t Size() const { return size_; }

  // Calls f(i, v) for every point in C order, i the flat index into the
  // results, v[k] the value of input k. Called without the GIL: f must not
  // touch Python objects.
  template <size_t N, class F>
  void ForEach(F&& f) const;

  // New C-contiguous results of the broadcast shape.
  py::array_t<double> Doubles() const { return py::array_t<double>(shape_); }
  py::array_t<int32_t> Ints() const { return py::array_t<int32_t>(shape_); }
  // One-character str array (numpy "<U1"); fill its uint32 code points.
  py::array Chars() const;

 private:
  std::vector<py::array> arrays_;  // keeps the converted inputs alive
  std::vector<const char*> data_;
  std::vector<std::vector<py::ssize_t>> strides_;  // bytes, 0 where broadcast
  std::vector<py::ssize_t> shape_;
  size_t size_ = 1;
};

template <size_t N, class F>
void Broadcast::ForEach(F&& f) const {
  if (size_ == 0) return;
  const size_t nd = shape_.size();
  std::array<double, N> v{};
  std::array<const char*, N> ptr{};
  if (nd == 0) {
    for (size_t k = 0; k < N; ++k) v[k] = *reinterpret_cast<const double*>(data_[k]);
    f(size_t{0}, v);
    return;
  }
  // An odometer over all axes but the last, a plain strided loop along it.
  std::vector<py::ssize_t> index(nd, 0);
  const py::ssize_t inner = shape_[nd - 1];
  std::array<py::ssize_t, N> step{};
  for (size_t k = 0; k < N; ++k) step[k] = strides_[k][nd - 1];
  size_t out = 0;
  for (;;) {
    for (size_t k = 0; k < N; ++k) {
      const char* p = data_[k];
      for (size_t d = 0; d + 1 < nd; ++d) p += index[d] * strides_[k][d];
      ptr[k] = p;
    }
    for (py::ssize_t j = 0; j < inner; ++j, ++out) {
      for (size_t k = 0; k < N; ++k) {
        v[k] = *reinterpret_cast<const double*>(ptr[k]);
        ptr[k] += step[k];
      }
      f(out, v);
    }
    size_t d = nd - 1;
    for (;;) {
      if (d == 0) return;
      --d;
      if (++index[d] < shape_[d]) break;
      index[d] = 0;
    }
  }
}

// How a text names a hemisphere.
enum class HemisphereText {
  Band,  // a UTM latitude band C..X (N and S are bands of the north), or north/south
  Pole,  // N or S, north or south (UPS)
};
// 0 north, 1 south, -1 for a text that names neither.
int ParseHemisphere(std::string_view text, HemisphereText mode);
// A hemisphere argument of the array path: one text, or an array of texts
// or booleans (True: south), as a float64 array of 0 (north), 1 (south) or
// NaN (not understood).
py::object HemisphereArray(py::handle o, HemisphereText mode);

// Shortest text of a double, for messages.
std::string Num(double v);

}  // namespace tkz::python::geo
