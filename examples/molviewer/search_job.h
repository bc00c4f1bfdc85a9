// search_job: a substructure search over every record of an indexed file,
// on a thread of its own, while the viewer goes on browsing.
//
// The thread reads each record as the index knows it (waiting for the
// index where it is still behind), searches the query in it as "tkz mol
// search" does, and collects the numbers of the records that hold it.
// Progress is reported through a callback on the search thread, at most
// about eight times a second and once more at the end; the hits so far can
// be asked for from any thread.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "chem/cstruct.h"
#include "examples/molviewer/background_task.h"
#include "examples/molviewer/record_index.h"

namespace tkz::molviewer {

class SearchJob : public BackgroundTask {
 public:
  // Searches Query in the records of Index, which must outlive the job.
  SearchJob(const RecordIndex& Index, const TCTab& Query);
  ~SearchJob() override;

  bool Done() const { return done_.load(); }
  int64_t Searched() const { return searched_.load(); }
  int64_t Unread() const { return unread_.load(); }
  // The record numbers holding the query, ascending.
  std::vector<int64_t> Hits() const;
  int64_t HitCount() const;

  // Whether Query occurs in Table; Marks gets the matched atoms.
  static bool Matches(const TCTab& Table, const TCTab& Query, TMatchMarks& Marks);

 private:
  void Run() override;

  const RecordIndex& index_;
  TCTab query_;
  mutable std::mutex mu_;
  std::vector<int64_t> hits_;
  std::atomic<int64_t> searched_{0};
  std::atomic<int64_t> unread_{0};
  std::atomic<bool> done_{false};
};

}  // namespace tkz::molviewer
