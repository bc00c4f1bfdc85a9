// tkz mol search: the records of an SD file that contain a query structure.
//
// The file is read once, as it comes: a reader thread cuts it into records
// at their "$$$$" lines and hands them out in batches; each worker thread
// reads its records into its own table as the SD reader reads them (atom
// and bond lines in columns or blank-separated) and searches the query in
// them; the main thread prints the numbers of the records that hold the
// query in record order, as the batches come back. At most a few batches
// per worker are in flight, so memory stays bounded on files of any size.
#include <CLI/CLI.hpp>
#include <algorithm>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <exception>
#include <iostream>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "chem/cstruct.h"
#include "core/platform/stream.h"
#include "core/platform/textfile.h"
#include "tools/tkz/commands.h"

namespace tkz::tool {

namespace {

struct SearchOptions {
  std::string Query, File;
  bool Bonds = false;
  bool Trace = false;
  int Threads = 0;  // 0: every core
};

constexpr size_t kBatch = 64;                 // records handed out at once
constexpr size_t kMaxRecordBytes = 1u << 20;  // a longer record is not read

struct Batch {
  long First = 0;  // number of the first record
  // The records' text, one after the other: record i is Text[Starts[i],
  // Starts[i + 1]); an empty one was too long to be read.
  std::string Text;
  std::vector<size_t> Starts{0};
  size_t Count() const { return Starts.size() - 1; }
  std::vector<long> Hits;    // record numbers holding the query
  std::vector<long> Unread;  // record numbers that cannot be read
};

// The batches between the reader, the workers and the printer.
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
  // Printer: the batch with the given index, once done; false after the
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
  // Everyone stops at once (the output failed).
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

bool IsRecordEnd(std::string_view line) {
  size_t a = 0, b = line.size();
  while (a < b && (line[a] == ' ' || line[a] == '\t')) ++a;
  while (b > a && (line[b - 1] == ' ' || line[b - 1] == '\t')) --b;
  return line.substr(a, b - a) == "$$$$";
}

bool IsBlankText(std::string_view s) {
  return std::all_of(s.begin(), s.end(),
                     [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; });
}

// Cuts the input into records and queues them in batches. Lines end at LF,
// CR LF or a lone CR, as the SD reader reads them. Every text up to a
// "$$$$" line is a record, a blank one too (it cannot be read); what
// follows the last "$$$$" line is one only when it is not blank. So the
// records are numbered as "tkz mol info" numbers them.
void ReadRecords(TStream& in, Pipeline& pipe) {
  Batch batch;
  long number = 0;
  std::string line;  // a line cut by the end of a block, as far as read
  bool tooLong = false;
  size_t textBytes = 1 << 16;  // room for a batch's text, as the last one took
  batch.Text.reserve(textBytes);
  // The current record is the batch text after its last start.
  const auto recordSize = [&] { return batch.Text.size() - batch.Starts.back(); };
  const auto endRecord = [&]() -> bool {
    if (batch.Count() == 0) batch.First = number + 1;
    ++number;
    if (tooLong) batch.Text.resize(batch.Starts.back());
    batch.Starts.push_back(batch.Text.size());
    tooLong = false;
    if (batch.Count() < kBatch) return true;
    textBytes = std::max(textBytes, batch.Text.size());
    const bool ok = pipe.Put(std::move(batch));
    batch = Batch{};
    batch.Text.reserve(textBytes);
    return ok;
  };
  // Takes a whole line: into the record, or ending it; false when stopped.
  const auto endLine = [&](std::string_view text) -> bool {
    if (IsRecordEnd(text)) return endRecord();
    if (tooLong) return true;
    if (recordSize() + text.size() < kMaxRecordBytes) {
      batch.Text += text;
      batch.Text += '\n';
    } else {
      tooLong = true;
      batch.Text.resize(batch.Starts.back());
    }
    return true;
  };
  std::vector<char> buf(1 << 16);
  bool afterCR = false;  // an LF right after a CR ends no further line
  for (;;) {
    const int64_t got = in.Read(buf.data(), static_cast<int64_t>(buf.size()));
    if (got <= 0) break;
    const char* p = buf.data();
    const char* end = p + got;
    if (afterCR && *p == '\n') ++p;
    afterCR = false;
    // Most files have no CR at all, or only before LF.
    const bool anyCR = std::memchr(p, '\r', static_cast<size_t>(end - p)) != nullptr;
    while (p < end) {
      const void* nl = std::memchr(p, '\n', static_cast<size_t>(end - p));
      const char* lf = nl != nullptr ? static_cast<const char*>(nl) : end;
      const void* cr = anyCR ? std::memchr(p, '\r', static_cast<size_t>(lf - p)) : nullptr;
      const char* stop = cr != nullptr ? static_cast<const char*>(cr) : lf;
      const std::string_view part(p, static_cast<size_t>(stop - p));
      const bool whole = line.empty() && stop < end;
      if (!whole) {
        const size_t room = kMaxRecordBytes - std::min(kMaxRecordBytes, line.size());
        line.append(p, std::min(room, part.size()));
      }
      p = stop;
      if (p == end) break;
      if (*p++ == '\r') {
        if (p == end) {
          afterCR = true;
        } else if (*p == '\n') {
          ++p;
        }
      }
      if (!(whole ? endLine(part) : endLine(line))) return;
      line.clear();
    }
  }
  if (!line.empty()) {
    if (!endLine(line)) return;
  }
  const std::string_view rest(batch.Text.data() + batch.Starts.back(), recordSize());
  if (!IsBlankText(rest) || tooLong) {
    if (!endRecord()) return;
  } else {
    batch.Text.resize(batch.Starts.back());
  }
  if (batch.Count() > 0) pipe.Put(std::move(batch));
}

// A read-only stream over a record's text, read where it lies.
class TextView final : public TStream {
 public:
  explicit TextView(std::string_view Text) : text_(Text) {}
  int64_t Read(void* Buffer, int64_t Count) override {
    const size_t n = Count <= 0 ? 0 : std::min(static_cast<size_t>(Count), text_.size() - pos_);
    if (n > 0) std::memcpy(Buffer, text_.data() + pos_, n);
    pos_ += n;
    return static_cast<int64_t>(n);
  }
  int64_t Write(const void*, int64_t) override { return 0; }
  int64_t Seek(int64_t Offset, TSeekOrigin Origin) override {
    const int64_t base = Origin == soBeginning ? 0
                         : Origin == soCurrent ? static_cast<int64_t>(pos_)
                                               : static_cast<int64_t>(text_.size());
    pos_ = static_cast<size_t>(std::clamp<int64_t>(base + Offset, 0, GetSize()));
    return static_cast<int64_t>(pos_);
  }
  int64_t GetSize() override { return static_cast<int64_t>(text_.size()); }

 private:
  std::string_view text_;
  size_t pos_ = 0;
};

void Work(const TCTab& query, const SearchOptions& options, Pipeline& pipe) {
  TCTab t;
  t.SetSearchTrace(options.Trace);
  const TSearchProfile queryProfile(query);
  TSearchProfile profile;
  TPropRec props;
  Batch b;
  long index = 0;
  while (pipe.Take(b, index)) {
    for (size_t i = 0; i < b.Count(); ++i) {
      const long number = b.First + static_cast<long>(i);
      const std::string_view record(b.Text.data() + b.Starts[i], b.Starts[i + 1] - b.Starts[i]);
      TextView text(record);
      if (record.empty() || !t.ReadFromMDLSDStream(text, props)) {
        b.Unread.push_back(number);
        continue;
      }
      profile.Assign(t);
      TMatchMarks marks{};
      if (t.SearchSubStruc(query, queryProfile, marks, options.Bonds, profile)) {
        b.Hits.push_back(number);
      }
    }
    b.Text = std::string();
    b.Starts = {0};
    pipe.Finish(index, std::move(b));
    b = Batch{};
  }
}

int RunSearch(const SearchOptions& options, std::ostream& out, std::ostream& err) {
  TCTab query;
  {
    TTextFile f;
    TPropRec props;
    try {
      f.AssignFile(options.Query == "-" ? "/dev/stdin" : options.Query);
      f.Reset();
    } catch (const std::exception& e) {
      err << "tkz: mol search: " << options.Query << ": " << e.what() << "\n";
      return 2;
    }
    if (!query.ReadFromMDLSDFile(f, props) || query.GetNAtoms() == 0) {
      err << "tkz: mol search: " << options.Query
          << ": not a structure of 1 to 63 atoms that can be read whole\n";
      return 2;
    }
  }
  std::unique_ptr<TStream> in;
  try {
    in = OpenInput(options.File);
  } catch (const std::exception& e) {
    err << "tkz: mol search: " << options.File << ": " << e.what() << "\n";
    return 2;
  }
  int workers =
      options.Threads > 0 ? options.Threads : static_cast<int>(std::thread::hardware_concurrency());
  if (workers < 1 || options.Trace) workers = 1;  // one trace file, written in order
  Pipeline pipe(static_cast<size_t>(4 * workers));
  std::string readError;
  std::thread reader([&] {
    try {
      ReadRecords(*in, pipe);
    } catch (const std::exception& e) {
      readError = e.what();
    }
    pipe.Close();
  });
  std::vector<std::thread> pool;
  for (int w = 0; w < workers; ++w)
    pool.emplace_back(Work, std::cref(query), std::cref(options), std::ref(pipe));
  long hits = 0;
  bool written = true;
  Batch b;
  for (long index = 0; pipe.Next(index, b); ++index) {
    for (const long n : b.Unread) {
      err << "tkz: mol search: " << options.File << ": record " << n
          << ": not a structure of 1 to 63 atoms that can be read whole; skipped\n";
    }
    for (const long n : b.Hits) out << n << "\n";
    hits += static_cast<long>(b.Hits.size());
    if (!out) {
      written = false;
      pipe.Stop();
      break;
    }
  }
  reader.join();
  for (std::thread& w : pool) w.join();
  out.flush();
  if (!readError.empty()) {
    err << "tkz: mol search: " << options.File << ": " << readError << "\n";
    return 2;
  }
  if (!written || !out) {
    err << "tkz: mol search: write error\n";
    return 2;
  }
  return hits > 0 ? 0 : 1;
}

}  // namespace

void AddMolSearchCommands(CLI::App& app) {
  CLI::App* mol = MolGroup(app);
  auto options = std::make_shared<SearchOptions>();
  CLI::App* cmd = mol->add_subcommand(
      "search",
      "The numbers of the records of FILE that contain QUERY, one per line, in record order; "
      "status 0 when some do, 1 when none does, 2 on trouble. Records are searched on every "
      "core; records that cannot be read are named on standard error and skipped");
  cmd->add_option("QUERY", options->Query, "The query: a molfile (or SD file: its first record)")
      ->required();
  cmd->add_option("FILE", options->File, "The SD file to search (- standard input)")->required();
  cmd->add_flag("--bonds", options->Bonds, "Bond types must match too (single, double, ...)");
  cmd->add_flag("--trace", options->Trace,
                "Append each step of the search to substrct.txt in the current folder (runs "
                "one worker)");
  cmd->add_option("--threads", options->Threads, "Worker threads (default: one per core)")
      ->check(CLI::Range(1, 1024));
  RunsWhenChosen(cmd, [options] { return RunSearch(*options, std::cout, std::cerr); });
}

}  // namespace tkz::tool
