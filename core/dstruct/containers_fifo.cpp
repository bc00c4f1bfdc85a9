// TFifo and TStringAccu.
#include <algorithm>
#include <new>
#include <stdexcept>
#include <string>

#include "core/dstruct/containers.h"

namespace tkz {

namespace {

// Names the size asked for: "FIFO structure too large (3000000000 bytes)".
[[noreturn]] void RaiseFifoTooLarge(const TComponent& c, int64_t Size) {
  throw ETKZDStructError("Component \"" + c.GetName() + "\": FIFO structure too large (" +
                         std::to_string(Size) + " bytes)");
}

}  // namespace

// -------------------------------------------------------------------- TFifo
TFifo::TFifo(TComponent* AOwner) : TComponent(AOwner) {
  try {
    buf_.assign(static_cast<size_t>(size_), 0);
  } catch (const std::bad_alloc&) {
    RaiseFifoTooLarge(*this, size_);
  }
}

void TFifo::SetSize(int32_t n) {
  if (n <= 0 || n == size_) return;
  std::vector<uint8_t> next;
  try {
    next.assign(static_cast<size_t>(n), 0);
  } catch (const std::exception&) {
    RaiseFifoTooLarge(*this, n);
  }
  // Waiting bytes move to the front of the new buffer, oldest first.
  const int32_t keep = std::min(CountBytes(), n - 1);
  for (int32_t k = 0; k < keep; ++k) next[k] = buf_[(read_ + k) % size_];
  buf_.swap(next);
  size_ = n;
  read_ = 0;
  write_ = keep;
}

int32_t TFifo::CountBytes() const { return ((write_ - read_) % size_ + size_) % size_; }

bool TFifo::PutByte(uint8_t b) {
  if (CountBytes() >= size_ - 1) return false;
  buf_[write_] = b;
  write_ = (write_ + 1) % size_;
  return true;
}

bool TFifo::ForceByte(uint8_t b) {
  bool dropped = false;
  if (CountBytes() >= size_ - 1) {
    if (size_ == 1) return false;  // a one-slot buffer holds nothing
    read_ = (read_ + 1) % size_;
    dropped = true;
  }
  buf_[write_] = b;
  write_ = (write_ + 1) % size_;
  return dropped;
}

bool TFifo::GetByte(uint8_t& b) {
  if (read_ == write_) return false;
  b = buf_[read_];
  read_ = (read_ + 1) % size_;
  return true;
}

bool TFifo::SenseByte(int32_t k, uint8_t& b) const {
  if (k < 0 || k >= CountBytes()) return false;
  b = buf_[(read_ + k) % size_];
  return true;
}

bool TFifo::LoadBack(uint8_t b) {
  // On a full buffer the read index would meet the write index and all
  // waiting bytes would read as gone.
  if (CountBytes() >= size_ - 1) return false;
  read_ = (read_ - 1 + size_) % size_;
  buf_[read_] = b;
  return true;
}

void TFifo::Clear() { read_ = write_ = 0; }

// -------------------------------------------------------------- TStringAccu
TStringAccu::TStringAccu(TComponent* AOwner) : TComponent(AOwner) {}

void TStringAccu::Add(const std::string& s) {
  const auto it = std::find(strings_.begin(), strings_.end(), s);
  if (it != strings_.end()) {
    ++counts_[it - strings_.begin()];
    return;
  }
  strings_.push_back(s);
  counts_.push_back(1);
}

std::string TStringAccu::GetString(int32_t i) const {
  return i >= 1 && i <= GetNumStrings() ? strings_[i - 1] : std::string();
}

int32_t TStringAccu::GetCount(int32_t i) const {
  return i >= 1 && i <= GetNumStrings() ? counts_[i - 1] : 0;
}

void TStringAccu::Clear() {
  strings_.clear();
  counts_.clear();
}

}  // namespace tkz
