#include "examples/molviewer/search_job.h"

#include <chrono>
#include <exception>

namespace tkz::molviewer {

SearchJob::SearchJob(const RecordIndex& Index, const TCTab& Query) : index_(Index) {
  query_.CopyFrom(Query);
}

SearchJob::~SearchJob() { Stop(); }

std::vector<int64_t> SearchJob::Hits() const {
  std::lock_guard lock(mu_);
  return hits_;
}

int64_t SearchJob::HitCount() const {
  std::lock_guard lock(mu_);
  return static_cast<int64_t>(hits_.size());
}

bool SearchJob::Matches(const TCTab& Table, const TCTab& Query, TMatchMarks& Marks) {
  Marks = {};
  return Table.GetNAtoms() > 0 && Table.SearchSubStruc(Query, Marks, false);
}

void SearchJob::Run() {
  auto lastPost = std::chrono::steady_clock::now();
  try {
    TFileStream file(index_.FileName(), fmOpenRead | fmShareDenyNone);
    const TSearchProfile queryProfile(query_);
    TSearchProfile profile;
    TCTab table;
    std::string text, why;
    for (int64_t n = 1; !StopAsked(); ++n) {
      if (index_.WaitFor(n) < n) break;  // the last record was searched
      bool read = false, hit = false;
      if (index_.ReadText(n, file, text, why)) {
        TStringStream record(text);
        TPropRec props;
        read = table.ReadFromMDLSDStream(record, props) && table.GetNAtoms() > 0;
      }
      if (read) {
        profile.Assign(table);
        TMatchMarks marks{};
        hit = table.SearchSubStruc(query_, queryProfile, marks, false, profile);
      } else {
        ++unread_;
      }
      if (hit) {
        std::lock_guard lock(mu_);
        hits_.push_back(n);
      }
      searched_ = n;
      const auto now = std::chrono::steady_clock::now();
      if (now - lastPost >= std::chrono::milliseconds(125)) {
        lastPost = now;
        Report();
      }
    }
  } catch (const std::exception&) {
    // The file went away: the search ends with what it found.
  }
  done_ = true;
  Report();
}

}  // namespace tkz::molviewer
