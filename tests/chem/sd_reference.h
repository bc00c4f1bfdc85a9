// The SD record cutter's reference, for its test and its fuzz target: SD
// text cut into records the plain way, the whole text in hand. Lines end at
// LF, CR LF or a lone CR; a line that is "$$$$" once blanks and tabs are
// trimmed ends a record; a last record without one counts when it holds
// more than blanks. A record's text is its lines, each ended by one LF; one
// longer than max bytes is too long and its text is empty.
#pragma once

#include <cstddef>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace tkz::testing {

struct RefRecord {
  std::string Text;
  bool TooLong = false;
  bool operator==(const RefRecord&) const = default;
  friend std::ostream& operator<<(std::ostream& os, const RefRecord& r) {
    return os << (r.TooLong ? "too long" : "\"" + r.Text + "\"");
  }
};

inline std::vector<RefRecord> ReferenceSDRecords(std::string_view text, size_t max) {
  std::vector<RefRecord> records;
  std::string current;
  bool blank = true;
  const auto close = [&] {
    const bool tooLong = current.size() > max;
    records.push_back({tooLong ? std::string() : current, tooLong});
    current.clear();
    blank = true;
  };
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = pos;
    while (end < text.size() && text[end] != '\n' && text[end] != '\r') ++end;
    const std::string_view line = text.substr(pos, end - pos);
    pos = end;
    if (pos < text.size()) pos += text.substr(pos, 2) == "\r\n" ? 2 : 1;
    const size_t a = line.find_first_not_of(" \t");
    if (a != std::string_view::npos &&
        line.substr(a, line.find_last_not_of(" \t") - a + 1) == "$$$$") {
      close();
      continue;
    }
    if (a != std::string_view::npos) blank = false;
    current += line;
    current += '\n';
  }
  if (!blank) close();
  return records;
}

}  // namespace tkz::testing
