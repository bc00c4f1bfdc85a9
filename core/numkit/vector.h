// TVector: a dense vector of doubles, indexed from 1.
//
// Elements are 64-bit IEEE doubles held contiguously. Indices count from 1
// to GetVecSize(); writes outside that range are ignored and reads outside it
// give 0, so a caller never reaches memory it does not own. A new vector is
// empty; SetVecSize keeps the leading elements and fills new ones with 0.
#pragma once

#include <cstddef>
#include <vector>

#include "core/numkit/numkit_export.h"
#include "core/platform/classes.h"

namespace tkz {

class TKZ_NUMKIT_EXPORT TVector : public TComponent {
 public:
  explicit TVector(TComponent* AOwner = nullptr) : TComponent(AOwner) {}
  // A vector of Size zeros.
  explicit TVector(int Size, TComponent* AOwner = nullptr);

  // Largest number of elements a vector accepts (2^28, 2 GiB of doubles).
  static constexpr int MaxSize = 1 << 28;

  // Sets the number of elements, keeping the first min(old, new) values and
  // filling new elements with 0. A negative size or one above MaxSize leaves
  // the vector unchanged and returns false.
  bool SetVecSize(int Size);
  int GetVecSize() const { return static_cast<int>(data_.size()); }

  void SetVal(int Index, double Value);
  double GetVal(int Index) const;
  // Sets every element to Value.
  void Fill(double Value);
  // Makes this vector a copy of Source (size and contents).
  void Clone(const TVector& Source);

  // Contiguous storage, element i at Data()[i - 1]; valid until the next
  // SetVecSize or Clone.
  double* Data() { return data_.data(); }
  const double* Data() const { return data_.data(); }

  std::string ClassName() const override { return "TVector"; }
  void Assign(const TPersistent* Source) override;

 private:
  std::vector<double> data_;
};

}  // namespace tkz
