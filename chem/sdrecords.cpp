// SD records as texts: the cutter, reading a table from a record's text and
// the record's data items.
#include "chem/sdrecords.h"

#include <algorithm>
#include <cstring>

namespace tkz {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

// A line longer than the bound is not kept, but whether it is blank or a
// "$$$$" line still counts. Such a line is held folded: max blanks, so that
// it is too long for any record, then "x" when it holds other text than one
// "$$$$" between blanks, else the dollars met so far. line is the line as
// held, more what follows of it.
void FoldLongLine(std::string& line, std::string_view more, size_t max) {
  // A folded line starts with max blanks: they are not copied again.
  std::string s(
      std::string_view(line).substr(std::min(line.find_first_not_of(" \t"), line.size())));
  s += more;
  const size_t first = s.find_first_not_of(" \t");
  const std::string_view t = first == std::string::npos ? "" : std::string_view(s).substr(first);
  const size_t dollars = std::min(t.find_first_not_of('$'), t.size());
  const std::string_view rest = t.substr(dollars);
  std::string_view core = "x";
  if (dollars <= 4 && rest.empty()) {
    core = t;
  } else if (dollars == 4 && Trim(rest).empty()) {
    core = "$$$$";
  }
  line.assign(max, ' ');
  line += core;
}

// A read-only stream over a text, read where it lies.
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

// The name between "<" and ">" of a data header line, as written.
bool DataHeader(std::string_view line, std::string_view& name) {
  if (line.empty() || line.front() != '>') return false;
  const size_t open = line.find('<');
  if (open == std::string_view::npos) return false;
  const size_t close = line.find('>', open + 1);
  if (close == std::string_view::npos || close == open + 1) return false;
  name = line.substr(open + 1, close - open - 1);
  return true;
}

}  // namespace

bool IsSDRecordEnd(std::string_view Line) { return Trim(Line) == "$$$$"; }

TSDRecordCutter::TSDRecordCutter(TStream& In, size_t MaxRecordBytes)
    : in_(In), max_(std::max<size_t>(MaxRecordBytes, 1)), buf_(size_t{1} << 16) {}

bool TSDRecordCutter::Refill() {
  if (eof_) return false;
  const int64_t got = in_.Read(buf_.data(), static_cast<int64_t>(buf_.size()));
  if (got <= 0) {
    eof_ = true;
    return false;
  }
  pos_ = 0;
  len_ = static_cast<size_t>(got);
  if (afterCR_ && buf_[0] == '\n') ++pos_;
  afterCR_ = false;
  // Most files have no CR at all, or only before LF.
  anyCR_ = std::memchr(buf_.data() + pos_, '\r', len_ - pos_) != nullptr;
  return true;
}

// The next whole line: a view into the block when it lies there whole, else
// the pieces gathered in line_ (a long one folded, see FoldLongLine). Valid
// until the next call.
bool TSDRecordCutter::NextLine(std::string_view& Line) {
  if (clearLine_) {
    line_.clear();
    clearLine_ = false;
  }
  for (;;) {
    if (pos_ == len_ && !Refill()) {
      if (line_.empty()) return false;
      Line = line_;  // a last line without its line end
      clearLine_ = true;
      return true;
    }
    const char* begin = buf_.data();
    const char* p = begin + pos_;
    const char* end = begin + len_;
    const void* nl = std::memchr(p, '\n', static_cast<size_t>(end - p));
    const char* lf = nl != nullptr ? static_cast<const char*>(nl) : end;
    const void* cr = anyCR_ ? std::memchr(p, '\r', static_cast<size_t>(lf - p)) : nullptr;
    const char* stop = cr != nullptr ? static_cast<const char*>(cr) : lf;
    const std::string_view part(p, static_cast<size_t>(stop - p));
    const bool whole = line_.empty() && stop < end;
    if (!whole) {
      if (line_.size() + part.size() <= max_) {
        line_ += part;
      } else {
        FoldLongLine(line_, part, max_);
      }
    }
    p = stop;
    if (p == end) {
      pos_ = len_;
      continue;
    }
    if (*p++ == '\r') {
      if (p == end) {
        afterCR_ = true;
      } else if (*p == '\n') {
        ++p;
      }
    }
    pos_ = static_cast<size_t>(p - begin);
    if (whole) {
      Line = part;
    } else {
      Line = line_;
      clearLine_ = true;
    }
    return true;
  }
}

bool TSDRecordCutter::AppendNext(std::string& Text, bool& TooLong) {
  if (done_) return false;
  const size_t start = Text.size();
  bool tooLong = false;
  bool blank = true;  // no line so far holds more than blanks
  std::string_view line;
  for (;;) {
    if (!NextLine(line)) {
      done_ = true;
      if (!blank) break;
      Text.resize(start);
      return false;
    }
    if (IsSDRecordEnd(line)) break;
    if (blank && !Trim(line).empty()) blank = false;
    if (tooLong) continue;
    if (Text.size() - start + line.size() < max_) {
      Text += line;
      Text += '\n';
    } else {
      tooLong = true;
      Text.resize(start);
    }
  }
  TooLong = tooLong;
  ++count_;
  return true;
}

bool ReadSDRecordText(TCTab& T, std::string_view Record, TPropRec& Props) {
  TextView text(Record);
  return T.ReadFromMDLSDStream(text, Props);
}

std::vector<std::pair<std::string, std::string>> SDDataItems(std::string_view Record) {
  std::vector<std::string_view> lines;
  for (size_t at = 0; at < Record.size();) {
    size_t e = Record.find('\n', at);
    if (e == std::string_view::npos) e = Record.size();
    std::string_view l = Record.substr(at, e - at);
    if (!l.empty() && l.back() == '\r') l.remove_suffix(1);
    lines.push_back(l);
    at = e + 1;
  }
  size_t first = std::min<size_t>(3, lines.size());
  for (size_t i = 0; i < lines.size(); ++i) {
    if (Trim(lines[i]).starts_with("M  END")) {
      first = i + 1;
      break;
    }
  }
  std::vector<std::pair<std::string, std::string>> items;
  std::string_view name;
  for (size_t i = first; i < lines.size(); ++i) {
    if (!DataHeader(lines[i], name)) continue;
    std::string value;
    size_t k = i + 1;
    for (; k < lines.size() && !Trim(lines[k]).empty(); ++k) {
      if (k > i + 1) value += '\n';
      value += lines[k];
    }
    items.emplace_back(std::string(name), std::move(value));
    i = k;
  }
  return items;
}

}  // namespace tkz
