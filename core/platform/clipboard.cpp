// The in-process clipboard.
#include "core/platform/clipboard.h"

namespace tkz {

TClipboard::TClipboard() = default;
TClipboard::~TClipboard() = default;

void TClipboard::Assign(const TBitmap& Bitmap) {
  auto copy = std::make_unique<TBitmap>();
  copy->Assign(&Bitmap);
  std::lock_guard lock(mutex_);
  bitmap_ = std::move(copy);
  text_.clear();
  has_text_ = false;
}

void TClipboard::Assign(const TPersistent* Source) {
  if (auto* b = dynamic_cast<const TBitmap*>(Source)) return Assign(*b);
  TPersistent::Assign(Source);
}

bool TClipboard::HasBitmap() const {
  std::lock_guard lock(mutex_);
  return bitmap_ != nullptr;
}

bool TClipboard::GetBitmap(TBitmap& Bitmap) const {
  std::lock_guard lock(mutex_);
  if (!bitmap_) return false;
  Bitmap.Assign(bitmap_.get());
  return true;
}

void TClipboard::SetAsText(const std::string& Text) {
  std::string copy = Text;
  std::lock_guard lock(mutex_);
  text_ = std::move(copy);
  has_text_ = true;
  bitmap_.reset();
}

bool TClipboard::HasText() const {
  std::lock_guard lock(mutex_);
  return has_text_;
}

std::string TClipboard::GetAsText() const {
  std::lock_guard lock(mutex_);
  return text_;
}

void TClipboard::Clear() {
  std::lock_guard lock(mutex_);
  bitmap_.reset();
  text_.clear();
  has_text_ = false;
}

void TClipboard::AssignTo(TPersistent* Dest) const {
  if (auto* b = dynamic_cast<TBitmap*>(Dest)) {
    if (GetBitmap(*b)) return;
  }
  TPersistent::AssignTo(Dest);
}

TClipboard& Clipboard() {
  static TClipboard instance;
  return instance;
}

}  // namespace tkz
