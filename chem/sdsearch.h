// sdsearch: the records of an SD file that contain one or more query
// structures, searched on several threads while the file is read once, as it
// comes.
//
// A reader thread cuts the input into records (TSDRecordCutter) and hands
// them out in batches of 64; each worker thread reads its records into its
// own table as the SD reader reads them (atom and bond lines in columns or
// blank-separated), makes its search profile once and searches every query
// in it (TCTab::SearchSubStruc with the profiles); the calling thread receives the
// results batch by batch in record order. At most four batches per worker
// are in flight, so memory stays bounded on files of any size.
//
// Records are numbered from 1 as TSDRecordCutter counts them. A record that
// cannot be read (not a structure of 1 to 63 atoms read whole, or longer
// than kMaxSDRecordBytes) is reported as unread and not searched.
//
// Threading: the queries are only read, by every worker at once. Report runs
// on the calling thread only.
#pragma once

#include <functional>
#include <vector>

#include "chem/cstruct.h"
#include "chem/molkit_export.h"
#include "core/platform/stream.h"

namespace tkz {

struct TSDSearchOptions {
  bool CheckBonds = false;  // bond types must match too
  // Append each step to kSearchTraceFile; the search then runs one worker,
  // so that the trace is written in record order.
  bool Trace = false;
  int Threads = 0;  // workers; 0 or less: one per core
};

// A record (from 1) that holds a query (its index in the list, from 0).
struct TSDSearchHit {
  long Record = 0;
  int Query = 0;
  bool operator==(const TSDSearchHit&) const = default;
};

// Receives the hits and the unread record numbers of one batch, ordered by
// record (hits then by query), batches in record order; returning false
// stops the search at once.
using TSDSearchReport =
    std::function<bool(const std::vector<TSDSearchHit>& Hits, const std::vector<long>& Unread)>;

// Searches every query of Queries (none of them null) in every record of
// In. Returns when the input has been searched or Report asked to stop,
// every thread joined. An exception from reading In is thrown again on the
// calling thread after the batches read before it have been reported.
TKZ_MOLKIT_EXPORT void SearchSDStream(TStream& In, const std::vector<const TCTab*>& Queries,
                                      const TSDSearchOptions& Options,
                                      const TSDSearchReport& Report);
// The same for one query (every hit's Query is 0).
TKZ_MOLKIT_EXPORT void SearchSDStream(TStream& In, const TCTab& Query,
                                      const TSDSearchOptions& Options,
                                      const TSDSearchReport& Report);

}  // namespace tkz
