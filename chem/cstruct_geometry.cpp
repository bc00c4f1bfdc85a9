// TCTab geometry: centre, extents, the closest atom, atoms in a box and the
// turn onto the principal axes.
//
// Coordinates are in the table's own unit (whole numbers 0..32767 after a
// reader, y growing downwards); nothing here changes the unit.
#include <algorithm>
#include <cmath>

#include "chem/cstruct.h"
#include "core/numkit/math2.h"
#include "core/numkit/matrix.h"
#include "core/types/univconst.h"

namespace tkz {

void TCTab::CalcMolCenter(double& X, double& Y, double& Z) const {
  X = Y = Z = 0;
  if (n_ == 0) return;
  for (int a = 1; a <= n_; ++a) {
    X += atoms_[a].Coords[1];
    Y += atoms_[a].Coords[2];
    Z += atoms_[a].Coords[3];
  }
  X /= n_;
  Y /= n_;
  Z /= n_;
}

double TCTab::CalcMolExtents(double& MinX, double& MinY, double& MaxX, double& MaxY, double& MeanX,
                             double& MeanY) const {
  if (n_ < 2) {
    // The drawing area of an empty structure.
    MinX = 1;
    MinY = 1;
    MaxX = 10000;
    MaxY = 7000;
    MeanX = 5000;
    MeanY = 3500;
    return 0;
  }
  // Bounds start from the first atom, so that any coordinates, negative ones
  // too, give their true box.
  MinX = MaxX = atoms_[1].Coords[1];
  MinY = MaxY = atoms_[1].Coords[2];
  double sx = 0, sy = 0;
  double bondSum = 0;
  int bonds = 0;
  for (int a = 1; a <= n_; ++a) {
    const CTElem& e = atoms_[a];
    const double x = e.Coords[1];
    const double y = e.Coords[2];
    MinX = std::min(MinX, x);
    MaxX = std::max(MaxX, x);
    MinY = std::min(MinY, y);
    MaxY = std::max(MaxY, y);
    sx += x;
    sy += y;
    // Every occupied slot counts, so each bond is counted from both ends.
    for (int k = 1; k <= kMaxCTConn; ++k) {
      const int b = e.ConnTo[k];
      if (b < 1 || b > n_) continue;
      bondSum += std::hypot(x - atoms_[b].Coords[1], y - atoms_[b].Coords[2]);
      ++bonds;
    }
  }
  MeanX = sx / n_;
  MeanY = sy / n_;
  return bonds == 0 ? 0 : bondSum / bonds;
}

void TCTab::FindClosestAtom(double X, double Y, double Z, int& Atom, double& Distance) const {
  Atom = 0;
  Distance = static_cast<double>(uc_MaxDouble);
  for (int a = 1; a <= n_; ++a) {
    const CTElem& e = atoms_[a];
    const double dx = e.Coords[1] - X;
    const double dy = e.Coords[2] - Y;
    const double dz = e.Coords[3] - Z;
    const double d = std::sqrt(dx * dx + dy * dy + dz * dz);
    if (Atom == 0 || d < Distance) {
      Atom = a;
      Distance = d;
    }
  }
}

int TCTab::FindAtomInBox(double X, double Y, double Z, double DX, double DY, double DZ) const {
  for (int a = n_; a >= 1; --a) {
    const CTElem& e = atoms_[a];
    if (std::fabs(e.Coords[1] - X) <= DX && std::fabs(e.Coords[2] - Y) <= DY &&
        std::fabs(e.Coords[3] - Z) <= DZ)
      return a;
  }
  return -1;
}

// The principal components of the x and y coordinates (covariance, numkit's
// CalcPrincComp) give the new axes: x along the largest spread, y along the
// second, z the third component of the (z = 0) input. The eigenvectors carry
// no orientation of their own, so the second axis is reversed where needed to
// keep the determinant of the turn in the plane at +1: the structure is
// turned, never mirrored. Coordinates become whole numbers about the centre.
void TCTab::RotateWithPCA() {
  if (n_ < 2) return;
  TMatrix m(3, n_);
  for (int a = 1; a <= n_; ++a) {
    m.SetVal(1, a, atoms_[a].Coords[1]);
    m.SetVal(2, a, atoms_[a].Coords[2]);
    m.SetVal(3, a, 0);
  }
  if (!CalcPrincComp(m, 1, 3, 1, n_, true)) return;

  double ev[4][4] = {};
  for (int c = 1; c <= 3; ++c) {
    for (int k = 1; k <= 3; ++k) ev[c][k] = GetEigenResult(c, k);
  }
  if (ev[1][1] * ev[2][2] - ev[1][2] * ev[2][1] < 0) {
    for (int k = 1; k <= 3; ++k) ev[2][k] = -ev[2][k];
  }
  for (int a = 1; a <= n_; ++a) {
    for (int c = 1; c <= 3; ++c) {
      double s = 0;
      for (int k = 1; k <= 3; ++k) s += m.GetVal(k, a) * ev[c][k];
      atoms_[a].Coords[c] = static_cast<float>(std::round(s));
    }
  }
}

}  // namespace tkz
