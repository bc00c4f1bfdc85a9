// The in-process clipboard.
#include "core/platform/clipboard.h"

namespace tkz {

TClipboardHost::~TClipboardHost() = default;

TClipboard::TClipboard() = default;
TClipboard::~TClipboard() = default;

void TClipboard::Assign(const TBitmap& Bitmap) {
  auto copy = std::make_unique<TBitmap>();
  copy->Assign(&Bitmap);
  {
    std::lock_guard lock(mutex_);
    bitmap_ = std::move(copy);
    text_.clear();
    has_text_ = false;
  }
  Changed();
}

void TClipboard::Assign(const TPersistent* Source) {
  if (auto* b = dynamic_cast<const TBitmap*>(Source)) return Assign(*b);
  TPersistent::Assign(Source);
}

bool TClipboard::HasBitmap() const {
  if (TClipboardHost* host = ForeignHost()) return host->ForeignHasBitmap();
  std::lock_guard lock(mutex_);
  return bitmap_ != nullptr;
}

bool TClipboard::GetBitmap(TBitmap& Bitmap) const {
  if (TClipboardHost* host = ForeignHost()) {
    TBitmap fetched;
    if (!host->FetchBitmap(fetched)) return false;
    Bitmap.Assign(&fetched);
    return true;
  }
  std::lock_guard lock(mutex_);
  if (!bitmap_) return false;
  Bitmap.Assign(bitmap_.get());
  return true;
}

void TClipboard::SetAsText(const std::string& Text) {
  std::string copy = Text;
  {
    std::lock_guard lock(mutex_);
    text_ = std::move(copy);
    has_text_ = true;
    bitmap_.reset();
  }
  Changed();
}

bool TClipboard::HasText() const {
  if (TClipboardHost* host = ForeignHost()) return host->ForeignHasText();
  std::lock_guard lock(mutex_);
  return has_text_;
}

std::string TClipboard::GetAsText() const {
  if (TClipboardHost* host = ForeignHost()) {
    std::string text;
    return host->FetchText(text) ? text : std::string();
  }
  std::lock_guard lock(mutex_);
  return text_;
}

void TClipboard::Clear() {
  {
    std::lock_guard lock(mutex_);
    bitmap_.reset();
    text_.clear();
    has_text_ = false;
  }
  Changed();
}

void TClipboard::SetHost(TClipboardHost* Host) {
  std::lock_guard lock(mutex_);
  host_ = Host;
}

TClipboardHost* TClipboard::GetHost() const {
  std::lock_guard lock(mutex_);
  return host_;
}

TClipboardHost* TClipboard::ForeignHost() const {
  TClipboardHost* host = GetHost();
  return host != nullptr && host->ForeignContent() ? host : nullptr;
}

void TClipboard::Changed() {
  if (TClipboardHost* host = GetHost()) host->ClipboardChanged();
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
