#include "core/platform/classes.h"

#include <algorithm>

namespace tkz {

void TPersistent::Assign(const TPersistent* Source) {
  if (Source != nullptr) {
    Source->AssignTo(this);
    return;
  }
  AssignTo(this);  // reports the failure with this class's name
}

void TPersistent::AssignTo(TPersistent* Dest) const {
  throw EConvertError("Cannot assign a " + ClassName() + " to a " +
                      (Dest != nullptr ? Dest->ClassName() : std::string("nil")));
}

TComponent::TComponent(TComponent* AOwner) : owner_(AOwner) {
  if (owner_ != nullptr) owner_->InsertComponent(this);
}

TComponent::~TComponent() {
  while (!owned_.empty()) {
    TComponent* c = owned_.back();
    owned_.pop_back();
    c->owner_ = nullptr;
    delete c;
  }
  if (owner_ != nullptr) owner_->RemoveComponent(this);
}

TComponent* TComponent::GetComponent(int Index) const {
  if (Index < 0 || Index >= static_cast<int>(owned_.size())) return nullptr;
  return owned_[static_cast<size_t>(Index)];
}

void TComponent::RemoveComponent(TComponent* c) {
  auto it = std::find(owned_.begin(), owned_.end(), c);
  if (it != owned_.end()) owned_.erase(it);
}

}  // namespace tkz
