// TBitFld, TByteMatrix and the logical combination of their bytes.
#include <algorithm>
#include <array>
#include <cmath>
#include <new>
#include <stdexcept>

#include "core/dstruct/containers.h"
#include "core/text/stringl.h"

namespace tkz {

namespace {

[[noreturn]] void RaiseNoMemory(const TComponent& c) {
  throw ETKZDStructError("Component \"" + c.GetName() + "\": not enough memory on heap");
}

constexpr std::array<uint8_t, 256> MakePopCount() {
  std::array<uint8_t, 256> t{};
  for (int i = 0; i < 256; ++i)
    for (int b = i; b != 0; b >>= 1) t[i] += b & 1;
  return t;
}
constexpr std::array<uint8_t, 256> kPopCount = MakePopCount();

}  // namespace

uint8_t ApplyLogicOp(uint8_t a, uint8_t b, TLogicOp op) {
  switch (op) {
    case loAND:
      return a & b;
    case loOR:
      return a | b;
    case loXOR:
      return a ^ b;
    case loANDNot:
      return a & static_cast<uint8_t>(~b);
    case loORNot:
      return a | static_cast<uint8_t>(~b);
    case loXORNot:
      return a ^ static_cast<uint8_t>(~b);
  }
  return a;
}

// ------------------------------------------------------------------ TBitFld
TBitFld::TBitFld(TComponent* AOwner) : TComponent(AOwner) {
  try {
    bits_.assign(size_ / 8 + 2, 0);
  } catch (const std::bad_alloc&) {
    RaiseNoMemory(*this);
  }
}

void TBitFld::ClearAboveSize() {
  const size_t last = static_cast<size_t>(size_ / 8);
  bits_[last] &= static_cast<uint8_t>((2u << (size_ % 8)) - 1);
  std::fill(bits_.begin() + static_cast<ptrdiff_t>(last) + 1, bits_.end(), 0);
}

void TBitFld::SetSize(int32_t n) {
  if (n <= 0 || n == size_) return;
  try {
    bits_.resize(static_cast<size_t>(n / 8) + 2, 0);
  } catch (const std::exception&) {
    RaiseNoMemory(*this);
  }
  size_ = n;
  ClearAboveSize();
}

void TBitFld::Clear() { std::fill(bits_.begin(), bits_.end(), 0); }

void TBitFld::SetBit(int32_t i, bool value) {
  if (i < 0 || i > size_) return;
  const uint8_t mask = static_cast<uint8_t>(1u << (i % 8));
  if (value)
    bits_[i / 8] |= mask;
  else
    bits_[i / 8] &= static_cast<uint8_t>(~mask);
}

bool TBitFld::GetBit(int32_t i) const {
  if (i < 0 || i > size_) return false;
  return (bits_[i / 8] >> (i % 8)) & 1;
}

void TBitFld::ToggleBit(int32_t i) {
  if (i < 0 || i > size_) return;
  bits_[i / 8] ^= static_cast<uint8_t>(1u << (i % 8));
}

int32_t TBitFld::CountTrueBits() const {
  int32_t n = 0;
  for (int32_t b = 0; b < size_ / 8; ++b) n += kPopCount[bits_[b]];
  return n + kPopCount[bits_[size_ / 8] & ((2u << (size_ % 8)) - 1)];
}

int32_t TBitFld::FirstTrueBit() const {
  for (int32_t b = 0; b <= size_ / 8; ++b) {
    if (bits_[b] == 0) continue;
    for (int k = 0; k < 8; ++k)
      if ((bits_[b] >> k) & 1) {
        const int32_t i = b * 8 + k;
        return i <= size_ ? i : -1;
      }
  }
  return -1;
}

void TBitFld::Invert() {
  for (int32_t b = 0; b <= size_ / 8; ++b) bits_[b] = static_cast<uint8_t>(~bits_[b]);
  ClearAboveSize();
}

void TBitFld::MakeListOfBits(TIntArray& List, bool State) const {
  List.clear();
  for (int32_t i = 0; i <= size_; ++i)
    if (GetBit(i) == State) List.push_back(i);
}

void TBitFld::CombineWith(const TBitFld& Other, TLogicOp Op) {
  if (bits_.empty() || Other.bits_.empty() || Other.size_ != size_) return;
  for (int32_t b = 0; b <= size_ / 8; ++b) bits_[b] = ApplyLogicOp(bits_[b], Other.bits_[b], Op);
  ClearAboveSize();
}

void TBitFld::RandomFill(double Percent) {
  if (std::isnan(Percent)) Percent = 0;
  Percent = std::clamp(Percent, 0.0, 100.0);
  SetRandBitsIntern(static_cast<int32_t>(std::nearbyint(Percent * 0.01 * size_)));
}

void TBitFld::RandomFill(int32_t Count) { SetRandBitsIntern(std::clamp(Count, 0, size_)); }

void TBitFld::SetRandBitsIntern(int32_t n) {
  // More than Size + 1 bits cannot be set; asking for them would never end.
  n = std::clamp(n, 0, size_ + 1);
  const bool fromFull = n > size_ / 2;
  std::fill(bits_.begin(), bits_.end(), fromFull ? 0xFF : 0x00);
  ClearAboveSize();
  int32_t todo = fromFull ? size_ + 1 - n : n;
  while (todo > 0) {
    const int32_t i = static_cast<int32_t>(std::nearbyint(Random() * size_));
    if (GetBit(i) != fromFull) continue;
    SetBit(i, !fromFull);
    --todo;
  }
}

void TBitFld::Clone(const TBitFld& Other) {
  SetSize(Other.size_);
  std::copy(Other.bits_.begin(), Other.bits_.end(), bits_.begin());
}

void TBitFld::Assign(const TPersistent* Source) {
  if (auto other = dynamic_cast<const TBitFld*>(Source)) {
    size_ = other->size_;
    bits_ = other->bits_;
    return;
  }
  TComponent::Assign(Source);
}

// -------------------------------------------------------------- TByteMatrix
TByteMatrix::TByteMatrix(TComponent* AOwner) : TComponent(AOwner) {
  try {
    data_.assign(1, std::vector<uint8_t>(1, 0));
  } catch (const std::bad_alloc&) {
    RaiseNoMemory(*this);
  }
}

void TByteMatrix::Changed() {
  if (OnChange) OnChange(this);
}

bool TByteMatrix::Resize(int32_t Columns, int32_t Rows) {
  if (Columns <= 0 || Rows <= 0 || (Columns == ncols_ && Rows == nrows_)) return false;
  try {
    std::vector<std::vector<uint8_t>> next(static_cast<size_t>(Columns));
    for (int32_t c = 0; c < Columns; ++c) {
      next[c].assign(static_cast<size_t>(Rows), 0);
      if (c < ncols_) std::copy_n(data_[c].begin(), std::min(Rows, nrows_), next[c].begin());
    }
    data_.swap(next);
  } catch (const std::exception&) {
    RaiseNoMemory(*this);
  }
  ncols_ = Columns;
  nrows_ = Rows;
  Changed();
  return true;
}

void TByteMatrix::SetNrCols(int32_t n) { Resize(std::max(n, 1), nrows_); }
void TByteMatrix::SetNrRows(int32_t n) { Resize(ncols_, std::max(n, 1)); }

uint8_t TByteMatrix::GetByte(int32_t c, int32_t r) const {
  return InRange(c, r) ? data_[c - 1][r - 1] : default_value_;
}

void TByteMatrix::SetByte(int32_t c, int32_t r, uint8_t value) {
  if (!InRange(c, r)) return;
  data_[c - 1][r - 1] = value;
  Changed();
}

bool TByteMatrix::GetBit(int32_t c, int32_t r, int bit) const {
  if (bit < 0 || bit > 7) return false;
  return (GetByte(c, r) >> bit) & 1;
}

void TByteMatrix::SetBit(int32_t c, int32_t r, int bit, bool value) {
  if (!InRange(c, r) || bit < 0 || bit > 7) return;
  const uint8_t mask = static_cast<uint8_t>(1u << bit);
  uint8_t& b = data_[c - 1][r - 1];
  b = value ? (b | mask) : (b & static_cast<uint8_t>(~mask));
  Changed();
}

void TByteMatrix::ToggleBit(int32_t c, int32_t r, int bit) {
  if (!InRange(c, r) || bit < 0 || bit > 7) return;
  data_[c - 1][r - 1] ^= static_cast<uint8_t>(1u << bit);
  Changed();
}

void TByteMatrix::Fill(uint8_t value) {
  for (auto& col : data_) std::fill(col.begin(), col.end(), value);
  Changed();
}

void TByteMatrix::MirrorColumns() {
  std::reverse(data_.begin(), data_.end());
  Changed();
}

void TByteMatrix::MirrorRows() {
  for (auto& col : data_) std::reverse(col.begin(), col.end());
  Changed();
}

void TByteMatrix::CombineWith(const TByteMatrix& Other, TLogicOp Op) {
  if (Other.ncols_ != ncols_ || Other.nrows_ != nrows_) return;
  for (int32_t c = 0; c < ncols_; ++c)
    for (int32_t r = 0; r < nrows_; ++r)
      data_[c][r] = ApplyLogicOp(data_[c][r], Other.data_[c][r], Op);
}

void TByteMatrix::Assign(const TPersistent* Source) {
  if (auto other = dynamic_cast<const TByteMatrix*>(Source)) {
    ncols_ = other->ncols_;
    nrows_ = other->nrows_;
    default_value_ = other->default_value_;
    data_ = other->data_;
    OnChange = other->OnChange;
    return;
  }
  TComponent::Assign(Source);
}

}  // namespace tkz
