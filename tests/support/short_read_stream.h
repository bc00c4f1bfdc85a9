// A stream over a string that hands out at most a given number of bytes per
// Read, cycling through a list of amounts, as pipes and sockets do; with no
// amounts it hands out what is asked. It holds nothing the readers can map,
// so they take it through Read alone.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "core/platform/stream.h"

namespace tkz::testing_support {

class ShortReadStream : public TStream {
 public:
  explicit ShortReadStream(std::string data, std::vector<int64_t> amounts = {})
      : data_(std::move(data)), amounts_(std::move(amounts)) {}
  int64_t Read(void* Buffer, int64_t Count) override {
    int64_t n = std::min(Count, static_cast<int64_t>(data_.size()) - pos_);
    if (!amounts_.empty()) n = std::min(n, amounts_[next_++ % amounts_.size()]);
    if (n <= 0) return 0;
    std::memcpy(Buffer, data_.data() + pos_, static_cast<size_t>(n));
    pos_ += n;
    return n;
  }
  int64_t Write(const void*, int64_t) override { return 0; }
  int64_t Seek(int64_t Offset, TSeekOrigin Origin) override {
    const int64_t size = static_cast<int64_t>(data_.size());
    const int64_t base = Origin == soBeginning ? 0 : Origin == soCurrent ? pos_ : size;
    pos_ = std::clamp<int64_t>(base + Offset, 0, size);
    return pos_;
  }

 private:
  std::string data_;
  std::vector<int64_t> amounts_;
  int64_t pos_ = 0;
  size_t next_ = 0;
};

}  // namespace tkz::testing_support
