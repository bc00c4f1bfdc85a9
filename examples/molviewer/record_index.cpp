#include "examples/molviewer/record_index.h"

#include <chrono>
#include <cstring>
#include <exception>

namespace tkz::molviewer {

// ------------------------------------------------------------ the scanner

namespace {

// The first CR or LF at or after p; end when there is none.
const char* LineEnd(const char* p, const char* end, bool anyCR) {
  if (!anyCR) {
    const void* lf = std::memchr(p, '\n', static_cast<size_t>(end - p));
    return lf != nullptr ? static_cast<const char*>(lf) : end;
  }
  while (p < end && *p != '\n' && *p != '\r') ++p;
  return p;
}

}  // namespace

void RecordScanner::Classify(const char* p, size_t n) {
  // Most lines are decided by their first byte.
  for (size_t i = 0; i < n && state_ != kOther; ++i) {
    const char c = p[i];
    const bool blank = c == ' ' || c == '\t';
    switch (state_) {
      case kLead:
        if (c == '$') {
          state_ = kDollars;
          dollars_ = 1;
        } else if (!blank) {
          state_ = kOther;
        }
        break;
      case kDollars:
        if (c == '$' && dollars_ < 4) {
          ++dollars_;
        } else if (blank && dollars_ == 4) {
          state_ = kTrail;
        } else {
          state_ = kOther;
        }
        break;
      case kTrail:
        if (!blank) state_ = kOther;
        break;
      case kOther:
        break;
    }
  }
}

void RecordScanner::Feed(const char* Data, size_t Size, std::vector<int64_t>& Bounds) {
  const char* p = Data;
  const char* const end = Data + Size;
  if (Size == 0) return;
  if (after_cr_) {
    after_cr_ = false;
    if (*p == '\n') ++p;
    if (pending_end_) {
      pending_end_ = false;
      Bounds.push_back(pos_ + (p - Data));
    }
  }
  // Most files have no CR at all, or only before LF.
  const bool anyCR = std::memchr(p, '\r', static_cast<size_t>(end - p)) != nullptr;
  while (p < end) {
    const char* stop = LineEnd(p, end, anyCR);
    Classify(p, static_cast<size_t>(stop - p));
    if (stop == end) break;  // the line goes on in the next block
    const char* next = stop + 1;
    if (*stop == '\r') {
      if (next == end) {
        after_cr_ = true;
      } else if (*next == '\n') {
        ++next;
      }
    }
    if (LineEndsRecord()) {
      if (after_cr_) {
        pending_end_ = true;
      } else {
        Bounds.push_back(pos_ + (next - Data));
      }
      record_blank_ = true;
    } else if (state_ != kLead) {
      record_blank_ = false;
    }
    state_ = kLead;
    dollars_ = 0;
    p = next;
  }
  pos_ += static_cast<int64_t>(Size);
}

void RecordScanner::Finish(std::vector<int64_t>& Bounds) {
  if (pending_end_) {
    pending_end_ = false;
    Bounds.push_back(pos_);
  } else if (LineEndsRecord() || !record_blank_ || state_ != kLead) {
    // A last line without its line end, or a last record without "$$$$".
    Bounds.push_back(pos_);
  }
  after_cr_ = false;
  record_blank_ = true;
  state_ = kLead;
  dollars_ = 0;
}

// ---------------------------------------------------------- the index

RecordIndex::RecordIndex(const std::string& FileName) : file_name_(FileName) {
  TFileStream probe(FileName, fmOpenRead | fmShareDenyNone);
  size_ = probe.GetSize();
}

RecordIndex::~RecordIndex() { Stop(); }

int64_t RecordIndex::Count() const {
  std::lock_guard lock(mu_);
  return static_cast<int64_t>(bounds_.size()) - 1;
}

std::string RecordIndex::Error() const {
  std::lock_guard lock(mu_);
  return error_;
}

bool RecordIndex::Bounds(int64_t n, int64_t& Begin, int64_t& End) const {
  std::lock_guard lock(mu_);
  if (n < 1 || n >= static_cast<int64_t>(bounds_.size())) return false;
  Begin = bounds_[static_cast<size_t>(n - 1)];
  End = bounds_[static_cast<size_t>(n)];
  return true;
}

int64_t RecordIndex::WaitFor(int64_t n) const {
  std::unique_lock lock(mu_);
  grown_.wait(lock,
              [&] { return static_cast<int64_t>(bounds_.size()) - 1 >= n || complete_.load(); });
  return static_cast<int64_t>(bounds_.size()) - 1;
}

bool RecordIndex::ReadText(int64_t n, TStream& File, std::string& Text, std::string& Why) const {
  int64_t begin = 0, end = 0;
  Text.clear();
  if (!Bounds(n, begin, end)) {
    Why = "no such record";
    return false;
  }
  if (end - begin > kMaxRecordBytes) {
    Why = "longer than " + std::to_string(kMaxRecordBytes >> 20) + " MiB";
    return false;
  }
  Text.resize(static_cast<size_t>(end - begin));
  File.Seek(begin, soBeginning);
  const int64_t got = File.Read(Text.data(), end - begin);
  if (got != end - begin) {
    Text.clear();
    Why = "the file ended early (was it changed?)";
    return false;
  }
  return true;
}

void RecordIndex::Run() {
  const auto t0 = std::chrono::steady_clock::now();
  auto lastPost = t0;
  int64_t lastPostBytes = 0;
  RecordScanner scanner;
  std::vector<int64_t> found;
  std::string error;
  const auto publish = [&](bool last) {
    {
      std::lock_guard lock(mu_);
      bounds_.insert(bounds_.end(), found.begin(), found.end());
      if (last) {
        error_ = error;
        seconds_ = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        complete_ = true;
      }
    }
    found.clear();
    grown_.notify_all();
  };
  try {
    TFileStream in(file_name_, fmOpenRead | fmShareDenyNone);
    std::vector<char> block(size_t{1} << 20);
    bool first = true;
    while (!StopAsked()) {
      const int64_t got = in.Read(block.data(), static_cast<int64_t>(block.size()));
      if (got <= 0) break;
      scanner.Feed(block.data(), static_cast<size_t>(got), found);
      scanned_ = scanner.Position();
      const bool grew = !found.empty();
      if (grew) publish(false);
      // The first records at once, then a few times a second.
      const auto now = std::chrono::steady_clock::now();
      if ((first && grew) || now - lastPost >= std::chrono::milliseconds(125) ||
          scanner.Position() - lastPostBytes >= size_ / 8 + 1) {
        first = first && !grew;
        lastPost = now;
        lastPostBytes = scanner.Position();
        Report();
      }
    }
    if (StopAsked())
      error = "stopped";
    else
      scanner.Finish(found);
  } catch (const std::exception& e) {
    error = e.what();
  }
  publish(true);
  Report();
}

}  // namespace tkz::molviewer
