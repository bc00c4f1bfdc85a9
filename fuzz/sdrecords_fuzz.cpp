// Arbitrary bytes through the SD record cutter, with a small record bound
// and a read size chosen by the first two bytes, so that line ends, CR LF
// pairs and "$$$$" lines fall across read blocks. The records must equal the
// plain split of the whole text (tests/chem/sd_reference.h); too-long ones
// come back empty; the count is the number of records returned. Every kept
// record then goes through ReadSDRecordText and SDDataItems, whose items
// must be names as written on a header line, with values free of blank lines.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "chem/cstruct.h"
#include "chem/sdrecords.h"
#include "ctab_check.h"
#include "tests/chem/sd_reference.h"
#include "tests/support/short_read_stream.h"

namespace {

// Names the broken invariant before it aborts.
#define Check(ok)                                \
  do {                                           \
    if (!(ok)) {                                 \
      std::fprintf(stderr, "failed: %s\n", #ok); \
      std::abort();                              \
    }                                            \
  } while (false)

bool BlankLine(std::string_view s) { return s.find_first_not_of(" \t") == std::string_view::npos; }

void CheckItems(const std::string& record) {
  for (const auto& [name, value] : tkz::SDDataItems(record)) {
    Check(!name.empty() && name.find('>') == std::string::npos);
    Check(name.find('\n') == std::string::npos && value.find('\r') == std::string::npos);
    Check(record.find("<" + name + ">") != std::string::npos);
    if (value.empty()) continue;
    size_t at = 0;
    for (size_t e; (e = value.find('\n', at)) != std::string::npos; at = e + 1) {
      Check(!BlankLine(std::string_view(value).substr(at, e - at)));
    }
    Check(!BlankLine(std::string_view(value).substr(at)));
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const int64_t readSize = 1 + data[0] % 16;
  const size_t bound = 1 + data[1] % 128;
  const std::string text(reinterpret_cast<const char*>(data + 2), size - 2);
  tkz::testing_support::ShortReadStream in(text, {readSize});
  tkz::TSDRecordCutter cutter(in, bound);
  const std::vector<tkz::testing::RefRecord> want = tkz::testing::ReferenceSDRecords(text, bound);

  std::string all;  // every record's text, one after the other
  bool tooLong = false;
  size_t n = 0;
  size_t start = 0;
  while (cutter.AppendNext(all, tooLong)) {
    Check(n < want.size());
    const std::string_view record = std::string_view(all).substr(start);
    Check(tooLong == want[n].TooLong && record == want[n].Text);
    Check(record.size() <= bound && (!tooLong || record.empty()));
    Check(record.find('\r') == std::string_view::npos);
    ++n;
    Check(cutter.Count() == static_cast<long>(n));
    start = all.size();
  }
  Check(n == want.size() && all.size() <= text.size() + 1);
  // Done means done.
  Check(!cutter.AppendNext(all, tooLong) && all.size() == start);

  tkz::TCTab t;
  for (const tkz::testing::RefRecord& r : want) {
    if (r.TooLong) continue;
    tkz::TPropRec props;
    CheckReadTable(t, tkz::ReadSDRecordText(t, r.Text, props));
    CheckItems(r.Text);
  }
  return 0;
}
