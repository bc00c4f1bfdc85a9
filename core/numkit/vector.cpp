#include "core/numkit/vector.h"

namespace tkz {

TVector::TVector(int Size, TComponent* AOwner) : TComponent(AOwner) { SetVecSize(Size); }

bool TVector::SetVecSize(int Size) {
  if (Size < 0 || Size > MaxSize) return false;
  data_.resize(static_cast<size_t>(Size), 0.0);
  return true;
}

void TVector::SetVal(int Index, double Value) {
  if (Index >= 1 && Index <= GetVecSize()) data_[static_cast<size_t>(Index - 1)] = Value;
}

double TVector::GetVal(int Index) const {
  if (Index >= 1 && Index <= GetVecSize()) return data_[static_cast<size_t>(Index - 1)];
  return 0.0;
}

void TVector::Fill(double Value) { data_.assign(data_.size(), Value); }

void TVector::Clone(const TVector& Source) {
  if (&Source != this) data_ = Source.data_;
}

void TVector::Assign(const TPersistent* Source) {
  if (const auto* v = dynamic_cast<const TVector*>(Source)) {
    Clone(*v);
    return;
  }
  TComponent::Assign(Source);
}

}  // namespace tkz
