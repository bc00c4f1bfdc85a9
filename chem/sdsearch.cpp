// The multi-threaded substructure search over an SD stream: the reader,
// the workers and the batches between them and the caller.
#include "chem/sdsearch.h"

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <exception>
#include <map>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

#include "chem/sdrecords.h"

namespace tkz {

namespace {

constexpr size_t kBatch = 64;  // records handed out at once

struct Batch {
  long First = 0;  // number of the first record
  // The records' text, one after the other: record i is Text[Starts[i],
  // Starts[i + 1]); an empty one was too long to be read.
  std::string Text;
  std::vector<size_t> Starts{0};
  size_t Count() const { return Starts.size() - 1; }
  std::vector<TSDSearchHit> Hits;
  std::vector<long> Unread;  // record numbers that cannot be read
};

// The batches between the reader, the workers and the caller.
class Pipeline {
 public:
  explicit Pipeline(size_t maxInFlight) : max_(maxInFlight) {}

  // Reader: waits for room, then queues the batch; false when stopped.
  bool Put(Batch b) {
    std::unique_lock lock(mu_);
    room_.wait(lock, [&] { return inFlight_ < max_ || stop_; });
    if (stop_) return false;
    ++inFlight_;
    todo_.push_back(std::move(b));
    work_.notify_one();
    return true;
  }
  // No more batches will come.
  void Close() { Raise(closed_); }
  // Worker: the next batch; false when there are no more.
  bool Take(Batch& b, long& index) {
    std::unique_lock lock(mu_);
    work_.wait(lock, [&] { return !todo_.empty() || closed_ || stop_; });
    if (todo_.empty() || stop_) return false;
    b = std::move(todo_.front());
    todo_.pop_front();
    index = taken_++;
    return true;
  }
  void Finish(long index, Batch b) {
    std::lock_guard lock(mu_);
    finished_.emplace(index, std::move(b));
    done_.notify_all();
  }
  // Caller: the batch with the given index, once done; false after the
  // last.
  bool Next(long index, Batch& b) {
    std::unique_lock lock(mu_);
    done_.wait(lock, [&] {
      return finished_.count(index) != 0 || (closed_ && index >= taken_ && todo_.empty()) || stop_;
    });
    const auto it = finished_.find(index);
    if (it == finished_.end()) return false;
    b = std::move(it->second);
    finished_.erase(it);
    --inFlight_;
    room_.notify_one();
    return true;
  }
  // Everyone stops at once.
  void Stop() { Raise(stop_); }

 private:
  void Raise(bool& flag) {
    std::lock_guard lock(mu_);
    flag = true;
    room_.notify_all();
    work_.notify_all();
    done_.notify_all();
  }

  std::mutex mu_;
  std::condition_variable room_, work_, done_;
  std::deque<Batch> todo_;
  std::map<long, Batch> finished_;
  size_t max_, inFlight_ = 0;
  long taken_ = 0;
  bool closed_ = false, stop_ = false;
};

// Cuts the input into records and queues them in batches.
void ReadRecords(TStream& in, Pipeline& pipe) {
  TSDRecordCutter cutter(in);
  Batch batch;
  size_t textBytes = 1 << 16;  // room for a batch's text, as the last one took
  batch.Text.reserve(textBytes);
  bool tooLong = false;
  while (cutter.AppendNext(batch.Text, tooLong)) {
    if (batch.Count() == 0) batch.First = cutter.Count();
    batch.Starts.push_back(batch.Text.size());
    if (batch.Count() < kBatch) continue;
    textBytes = std::max(textBytes, batch.Text.size());
    if (!pipe.Put(std::move(batch))) return;
    batch = Batch{};
    batch.Text.reserve(textBytes);
  }
  if (batch.Count() > 0) pipe.Put(std::move(batch));
}

void Work(const std::vector<const TCTab*>& queries, const TSDSearchOptions& options,
          Pipeline& pipe) {
  TCTab t;
  t.SetSearchTrace(options.Trace);
  std::vector<TSearchProfile> queryProfiles;
  for (const TCTab* q : queries) queryProfiles.emplace_back(*q);
  TSearchProfile profile;
  TPropRec props;
  Batch b;
  long index = 0;
  while (pipe.Take(b, index)) {
    for (size_t i = 0; i < b.Count(); ++i) {
      const long number = b.First + static_cast<long>(i);
      const std::string_view record(b.Text.data() + b.Starts[i], b.Starts[i + 1] - b.Starts[i]);
      if (record.empty() || !ReadSDRecordText(t, record, props)) {
        b.Unread.push_back(number);
        continue;
      }
      profile.Assign(t);
      for (size_t k = 0; k < queries.size(); ++k) {
        TMatchMarks marks{};
        if (t.SearchSubStruc(*queries[k], queryProfiles[k], marks, options.CheckBonds, profile)) {
          b.Hits.push_back({number, static_cast<int>(k)});
        }
      }
    }
    b.Text = std::string();
    b.Starts = {0};
    pipe.Finish(index, std::move(b));
    b = Batch{};
  }
}

}  // namespace

void SearchSDStream(TStream& In, const TCTab& Query, const TSDSearchOptions& Options,
                    const TSDSearchReport& Report) {
  SearchSDStream(In, std::vector<const TCTab*>{&Query}, Options, Report);
}

void SearchSDStream(TStream& In, const std::vector<const TCTab*>& Queries,
                    const TSDSearchOptions& Options, const TSDSearchReport& Report) {
  int workers =
      Options.Threads > 0 ? Options.Threads : static_cast<int>(std::thread::hardware_concurrency());
  if (workers < 1 || Options.Trace) workers = 1;  // one trace file, written in order
  Pipeline pipe(static_cast<size_t>(4 * workers));
  std::exception_ptr readError;
  std::thread reader([&] {
    try {
      ReadRecords(In, pipe);
    } catch (...) {
      readError = std::current_exception();
    }
    pipe.Close();
  });
  std::vector<std::thread> pool;
  for (int w = 0; w < workers; ++w) {
    pool.emplace_back(Work, std::cref(Queries), std::cref(Options), std::ref(pipe));
  }
  std::exception_ptr reportError;
  Batch b;
  for (long index = 0; pipe.Next(index, b); ++index) {
    bool more = false;
    try {
      more = Report(b.Hits, b.Unread);
    } catch (...) {
      reportError = std::current_exception();
    }
    if (!more) {
      pipe.Stop();
      break;
    }
  }
  reader.join();
  for (std::thread& w : pool) w.join();
  if (reportError) std::rethrow_exception(reportError);
  if (readError) std::rethrow_exception(readError);
}

}  // namespace tkz
