// Real data for the molecule viewer's tests: a file of 100 000 records made
// of Debian's rdkit-data SD files, and a plain reference split of SD text
// into records.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tests/support/rdkit_sd_files.h"

namespace tkz::molviewer::testing {

using ::tkz::testing::HaveRealData;
using ::tkz::testing::RealSDFiles;
using ::tkz::testing::Slurp;
#define MOLVIEWER_NEED_REAL_DATA() TKZ_NEED_RDKIT_SD_FILES()

// The records of SD text, cut the plain way: the text is split into lines
// (LF, CR LF or a lone CR end one), a line that is "$$$$" once blanks and
// tabs are trimmed ends a record, and a last record without one counts
// when it holds more than blanks. Returns the bounds: 0, then the end of
// each record.
inline std::vector<int64_t> ReferenceBounds(const std::string& text) {
  std::vector<int64_t> bounds{0};
  size_t pos = 0;
  bool blank = true;
  while (pos < text.size()) {
    size_t end = pos;
    while (end < text.size() && text[end] != '\n' && text[end] != '\r') ++end;
    std::string line = text.substr(pos, end - pos);
    size_t next = end;
    if (next < text.size()) next += text.compare(next, 2, "\r\n") == 0 ? 2 : 1;
    const size_t a = line.find_first_not_of(" \t");
    const size_t b = line.find_last_not_of(" \t");
    if (a != std::string::npos && line.substr(a, b - a + 1) == "$$$$") {
      bounds.push_back(static_cast<int64_t>(next));
      blank = true;
    } else if (a != std::string::npos) {
      blank = false;
    }
    pos = next;
  }
  if (!blank) bounds.push_back(static_cast<int64_t>(text.size()));
  return bounds;
}

// A file of kBigRecords records, the records of the first two real files
// over and over; made once per test program and removed at its end.
constexpr int64_t kBigRecords = 100000;
struct BigFile {
  std::string Path;
  std::vector<std::string> Records;  // the records it repeats, in order
  // The record with number n (1-based).
  const std::string& Record(int64_t n) const {
    return Records[static_cast<size_t>((n - 1) % static_cast<int64_t>(Records.size()))];
  }
};

inline const BigFile& TheBigFile() {
  static BigFile big = [] {
    BigFile b;
    for (int f = 0; f < 2; ++f) {
      const std::string text = Slurp(RealSDFiles()[static_cast<size_t>(f)]);
      const std::vector<int64_t> bounds = ReferenceBounds(text);
      for (size_t i = 1; i < bounds.size(); ++i) {
        b.Records.push_back(text.substr(static_cast<size_t>(bounds[i - 1]),
                                        static_cast<size_t>(bounds[i] - bounds[i - 1])));
      }
    }
    std::string dir = ::testing::TempDir() + "/tkz_molviewer_XXXXXX";
    if (::mkdtemp(dir.data()) == nullptr) return b;
    b.Path = dir + "/big.sdf";
    std::ofstream out(b.Path, std::ios::binary);
    for (int64_t n = 1; n <= kBigRecords; ++n) out << b.Record(n);
    static const std::string removeAtExit = dir;
    std::atexit([] { std::filesystem::remove_all(removeAtExit); });
    return b;
  }();
  return big;
}

}  // namespace tkz::molviewer::testing
