// Line sources for the MDL readers: a text file or a stream read a line at a
// time, each line cut to a bounded length (the rest of an overlong line is
// read and dropped, so a file of one endless line costs no memory), with one
// line of push-back. Line ends are LF, CR LF or a lone CR.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/platform/stream.h"
#include "core/platform/textfile.h"

namespace tkz::ctab_lines {

// The longest line kept; MDL lines are at most 80 characters, data values of
// SD records may be longer.
constexpr size_t kMaxLineLength = 4096;

class LineSource {
 public:
  virtual ~LineSource() = default;
  // The next line; false (and "") when the input has ended.
  bool Next(std::string& Line) {
    if (has_pushed_) {
      has_pushed_ = false;
      Line.swap(pushed_);
      last_bytes_ = pushed_bytes_;
      return true;
    }
    return ReadLine(Line);
  }
  // Gives back Line, the last line read: the next call of Next returns it
  // again.
  void PushBack(std::string Line) {
    pushed_ = std::move(Line);
    pushed_bytes_ = last_bytes_;
    has_pushed_ = true;
  }

 protected:
  virtual bool ReadLine(std::string& Line) = 0;
  size_t last_bytes_ = 0;
  bool has_pushed_ = false;
  std::string pushed_;
  size_t pushed_bytes_ = 0;
};

// A text file; a line pushed back and not read again is lost with the source.
class TextFileLines final : public LineSource {
 public:
  explicit TextFileLines(TTextFile& F) : f_(F) {}

 protected:
  bool ReadLine(std::string& Line) override {
    Line.clear();
    if (f_.Eof()) return false;
    f_.ReadLn(Line, kMaxLineLength);
    last_bytes_ = 0;  // a text file cannot go back
    return true;
  }

 private:
  TTextFile& f_;
};

// A stream read a block at a time. Release (or the destructor) seeks the
// stream back over what was read ahead and over a line pushed back, so that
// it stands right after the last line consumed.
class StreamLines final : public LineSource {
 public:
  explicit StreamLines(TStream& S) : s_(S) {}
  ~StreamLines() override {
    try {
      Release();
    } catch (...) {  // a stream that cannot seek stays where it is
    }
  }
  StreamLines(const StreamLines&) = delete;
  StreamLines& operator=(const StreamLines&) = delete;

  void Release() {
    const int64_t back =
        static_cast<int64_t>(end_ - pos_) + static_cast<int64_t>(has_pushed_ ? pushed_bytes_ : 0);
    if (back > 0) s_.Seek(-back, soCurrent);
    pos_ = end_ = 0;
    has_pushed_ = false;
  }

 protected:
  bool ReadLine(std::string& Line) override {
    Line.clear();
    if (!Fill()) return false;
    size_t bytes = 0;
    // Each block's part of the line at once, up to its line end.
    while (Fill()) {
      const char* from = buf_.data() + pos_;
      const char* end = buf_.data() + end_;
      const char* stop = from;
      while (stop < end && *stop != '\n' && *stop != '\r') ++stop;
      const size_t n = static_cast<size_t>(stop - from);
      if (Line.size() < kMaxLineLength)
        Line.append(from, std::min(n, kMaxLineLength - Line.size()));
      pos_ += n;
      bytes += n;
      if (stop == end) continue;
      const char c = buf_[pos_++];
      ++bytes;
      if (c == '\r' && Fill() && buf_[pos_] == '\n') {
        ++pos_;
        ++bytes;
      }
      break;
    }
    last_bytes_ = bytes;
    return true;
  }

 private:
  // At least one byte available; false at the end of the stream.
  bool Fill() {
    if (pos_ < end_) return true;
    if (ended_) return false;
    const int64_t got = s_.Read(buf_.data(), static_cast<int64_t>(buf_.size()));
    pos_ = 0;
    end_ = got > 0 ? static_cast<size_t>(got) : 0;
    ended_ = got <= 0;
    return end_ > 0;
  }

  TStream& s_;
  std::array<char, 4096> buf_;  // bytes pos_..end_ valid
  size_t pos_ = 0;
  size_t end_ = 0;
  bool ended_ = false;
};

}  // namespace tkz::ctab_lines
