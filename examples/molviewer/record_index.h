// record_index: where each record of an SD file (or a lone molfile) starts
// and ends, found by a background thread while the viewer already shows
// the first records.
//
// Records. Every text up to and including a "$$$$" line (blanks and tabs
// around the four dollars allowed) is a record, a blank one too; the text
// after the last "$$$$" line is one more record only when it is not blank.
// So a molfile without "$$$$" is one record, and records are numbered as
// the SD reader and "tkz mol search" number them. Lines end at LF, CR LF or
// a lone CR, as the SD reader reads them; a CR LF split between two read
// blocks is still one line end.
//
// Bounds. Record n (1-based) is the bytes [Bound(n - 1), Bound(n)) of the
// file, its "$$$$" line included; Bound(0) is 0.
//
// Threading. The index thread appends bounds under a mutex; any thread may
// ask for the count and the bounds meanwhile. Progress is reported through
// a callback on the index thread, at most about eight times a second and
// once more at the end: the callback must only hand the news on (the viewer
// posts it to the thread that runs the controls).
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "core/platform/stream.h"
#include "examples/molviewer/background_task.h"

namespace tkz::molviewer {

// A record longer than this is not read (reported as unreadable).
constexpr int64_t kMaxRecordBytes = int64_t{1} << 20;

// Finds the record bounds in a file's bytes handed in block by block.
class RecordScanner {
 public:
  // Takes the next block; appends to Bounds the end of each record that the
  // block completes.
  void Feed(const char* Data, size_t Size, std::vector<int64_t>& Bounds);
  // At the end of the data: appends the end of a last record that has no
  // "$$$$" line, unless it is blank.
  void Finish(std::vector<int64_t>& Bounds);
  // Bytes taken so far.
  int64_t Position() const { return pos_; }

 private:
  // Reading one line: leading blanks, the dollars, trailing blanks, or
  // anything else (then the line is no record end).
  enum LineState : uint8_t { kLead, kDollars, kTrail, kOther };
  void Classify(const char* p, size_t n);
  bool LineEndsRecord() const { return (state_ == kDollars && dollars_ == 4) || state_ == kTrail; }

  int64_t pos_ = 0;
  LineState state_ = kLead;
  int dollars_ = 0;
  bool after_cr_ = false;     // the last block ended with a CR
  bool pending_end_ = false;  // ...that ended a "$$$$" line
  bool record_blank_ = true;  // the record so far holds only blanks
};

// The bounds of one file, found by a thread of its own.
class RecordIndex : public BackgroundTask {
 public:
  // Opens the file (raises EInOutError when it cannot be read); Start
  // begins the scan.
  explicit RecordIndex(const std::string& FileName);
  ~RecordIndex() override;

  const std::string& FileName() const { return file_name_; }
  int64_t FileSize() const { return size_; }
  // Records whose bounds are known.
  int64_t Count() const;
  int64_t BytesScanned() const { return scanned_.load(); }
  // Whether the count is final (also after a read error).
  bool Complete() const { return complete_.load(); }
  // Why the scan stopped early ("" when it did not).
  std::string Error() const;
  // Seconds the scan took, once complete.
  double Seconds() const { return seconds_.load(); }
  // The bounds of record n; false when it is not (yet) known.
  bool Bounds(int64_t n, int64_t& Begin, int64_t& End) const;
  // Waits until record n is known or the count is final; returns Count().
  int64_t WaitFor(int64_t n) const;

  // Reads record n's text from File (a stream over the same file); false,
  // with the reason in Why, for a record that is not known or too long.
  bool ReadText(int64_t n, TStream& File, std::string& Text, std::string& Why) const;

 private:
  void Run() override;

  std::string file_name_;
  int64_t size_ = 0;
  mutable std::mutex mu_;
  mutable std::condition_variable grown_;
  std::vector<int64_t> bounds_{0};
  std::string error_;
  std::atomic<int64_t> scanned_{0};
  std::atomic<bool> complete_{false};
  std::atomic<double> seconds_{0};
};

}  // namespace tkz::molviewer
