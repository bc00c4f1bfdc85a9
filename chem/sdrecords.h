// sdrecords: an SD file as a sequence of record texts, read as it comes from
// any stream; a table read from one record's text; the data items of a
// record as text.
//
// Records. Every text up to a "$$$$" line (blanks and tabs around the four
// dollars allowed) is a record, a blank one too (it cannot be read); what
// follows the last "$$$$" line is one more record only when it is not
// blank. So a molfile without "$$$$" is one record, and records are numbered
// as the SD reader, "tkz mol info" and "tkz mol search" number them. Lines
// end at LF, CR LF or a lone CR (a CR LF split between two read blocks is
// still one line end); a record's text holds its lines, each ended by one
// LF, without the "$$$$" line.
//
// Bounds. A record longer than MaxRecordBytes is not kept: it comes back
// empty and marked too long, and the cutter goes on with the next one. A
// line is never held beyond that bound either, so a file of one endless
// line costs bounded memory.
//
// Threading: a cutter is used by one thread at a time; the free functions
// are pure and may be called from any thread.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "chem/cstruct.h"
#include "chem/molkit_export.h"
#include "core/platform/stream.h"

namespace tkz {

// Records longer than this are not kept (1 MiB).
constexpr size_t kMaxSDRecordBytes = size_t{1} << 20;

class TKZ_MOLKIT_EXPORT TSDRecordCutter {
 public:
  // Reads In from where it stands; In must outlive the cutter.
  explicit TSDRecordCutter(TStream& In, size_t MaxRecordBytes = kMaxSDRecordBytes);
  TSDRecordCutter(const TSDRecordCutter&) = delete;
  TSDRecordCutter& operator=(const TSDRecordCutter&) = delete;

  // Appends the next record's text to Text. TooLong tells whether it was
  // too long to keep (nothing is appended then). False, with Text as it
  // was, when no record is left. Errors of the stream propagate.
  bool AppendNext(std::string& Text, bool& TooLong);
  // Records cut so far.
  long Count() const { return count_; }

 private:
  bool NextLine(std::string_view& Line);
  bool Refill();

  TStream& in_;
  size_t max_;
  std::vector<char> buf_;
  size_t pos_ = 0, len_ = 0;
  bool anyCR_ = false;    // the block holds a CR
  bool afterCR_ = false;  // an LF right after a CR ends no further line
  bool eof_ = false;
  bool done_ = false;
  std::string line_;  // a line cut by the end of a block, as far as read
  bool clearLine_ = false;
  long count_ = 0;
};

// Whether a line is a record's "$$$$" line.
TKZ_MOLKIT_EXPORT bool IsSDRecordEnd(std::string_view Line);

// Reads one record's text (as the cutter gives it) with ReadFromMDLSDStream.
TKZ_MOLKIT_EXPORT bool ReadSDRecordText(TCTab& T, std::string_view Record, TPropRec& Props);

// Every data item of a record's text, in the order written, as (name,
// value): the name as written between "<" and ">" of its header line (any
// of the header forms ReadFromMDLSDFile reads), the value its lines up to
// the next blank line, joined by LF. Items are looked for after the "M  END"
// line (after the three header lines when there is none); other lines
// between items are passed over.
TKZ_MOLKIT_EXPORT std::vector<std::pair<std::string, std::string>> SDDataItems(
    std::string_view Record);

}  // namespace tkz
