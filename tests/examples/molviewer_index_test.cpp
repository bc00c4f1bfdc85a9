// The molecule viewer's record index: bounds against a plain reference
// split, line ends, blocks, odd records, and the index thread on real files.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <string>
#include <vector>

#include "chem/cstruct.h"
#include "core/platform/stream.h"
#include "core/platform/textfile.h"
#include "examples/molviewer/record_index.h"
#include "examples/molviewer/record_info.h"
#include "support/temp_dir.h"
#include "tests/examples/molviewer_data.h"

namespace tkz::molviewer {
namespace {

using testing::ReferenceBounds;
using testing::Slurp;

// The scanner's bounds for text handed in blocks of the given size.
std::vector<int64_t> ScannedBounds(const std::string& text, size_t block) {
  RecordScanner scanner;
  std::vector<int64_t> bounds{0};
  for (size_t at = 0; at < text.size(); at += block) {
    scanner.Feed(text.data() + at, std::min(block, text.size() - at), bounds);
  }
  scanner.Finish(bounds);
  return bounds;
}

std::string WithLineEnds(const std::string& text, const std::string& eol) {
  std::string out;
  for (const char c : text) {
    if (c == '\n')
      out += eol;
    else
      out += c;
  }
  return out;
}

const char kMol[] =
    "water\n  made by hand\n\n  1  0  0  0  0  0  0  0  0  0999 V2000\n"
    "    0.0000    0.0000    0.0000 O   0  0  0  0  0  0  0  0  0  0  0  0\nM  END\n";

struct Case {
  const char* what;
  std::string text;
  int records;
};

std::vector<Case> OddCases() {
  const std::string mol = kMol;
  return {
      {"a single molfile without $$$$", mol, 1},
      {"two records", mol + "$$$$\n" + mol + "$$$$\n", 2},
      {"a blank record between two", mol + "$$$$\n\n  \n$$$$\n" + mol + "$$$$\n", 3},
      {"a truncated last record", mol + "$$$$\n" + mol.substr(0, 40), 2},
      {"blanks after the last $$$$", mol + "$$$$\n \t\n\n", 1},
      {"$$$$ with blanks and tabs around", mol + " \t$$$$  \n" + mol, 2},
      {"$$$$ without a line end", mol + "$$$$", 1},
      {"five dollars and text are no end", mol + "$$$$$\nx$$$$\n$$$$ x\n$$$$\n", 1},
      {"an empty file", "", 0},
      {"only blank lines", "\n\n  \n", 0},
      {"a lone $$$$", "$$$$\n", 1},
  };
}

TEST(MolViewerIndex, BoundsAgreeWithAPlainSplitForEveryLineEndAndBlockSize) {
  std::vector<Case> cases = OddCases();
  if (testing::HaveRealData()) {
    for (const std::string& f : testing::RealSDFiles()) cases.push_back({f.c_str(), Slurp(f), -1});
  }
  int compared = 0;
  for (const Case& c : cases) {
    for (const char* eol : {"\n", "\r\n", "\r"}) {
      const std::string text = WithLineEnds(c.text, eol);
      const std::vector<int64_t> expected = ReferenceBounds(text);
      if (c.records >= 0) {
        EXPECT_EQ(static_cast<int>(expected.size()) - 1, c.records) << c.what;
      }
      // Blocks of 1 and 2 bytes split every CR LF and every "$$$$" line.
      for (const size_t block :
           {size_t{1}, size_t{2}, size_t{3}, size_t{7}, size_t{4096}, size_t{1} << 20}) {
        EXPECT_EQ(ScannedBounds(text, block), expected)
            << c.what << ", line end " << (eol[0] == '\r' ? (eol[1] ? "CR LF" : "CR") : "LF")
            << ", blocks of " << block;
        ++compared;
      }
    }
  }
  EXPECT_GE(compared, 11 * 3 * 6);
}

// Numbers the records as the SD reader does: record n of the index reads
// as the n-th record that ReadFromMDLSDFile reads from the file.
TEST(MolViewerIndex, RecordsAreNumberedAsTheSDReaderReadsThem) {
  MOLVIEWER_NEED_REAL_DATA();
  for (const std::string& f : testing::RealSDFiles()) {
    RecordIndex index(f);
    index.Start({});
    index.WaitFor(INT64_MAX);
    ASSERT_TRUE(index.Complete());
    EXPECT_EQ(index.Error(), "");
    TTextFile sd;
    sd.AssignFile(f);
    sd.Reset();
    TFileStream file(f, fmOpenRead);
    TCTab expected, shown;
    int64_t n = 0;
    std::string text, why;
    while (!sd.Eof()) {
      TPropRec props;
      const bool ok = expected.ReadFromMDLSDFile(sd, props);
      ++n;
      ASSERT_TRUE(index.ReadText(n, file, text, why)) << f << " record " << n << ": " << why;
      const RecordInfo info = ReadRecordText(text, shown);
      EXPECT_EQ(info.Read, ok) << f << " record " << n;
      if (ok) {
        EXPECT_EQ(shown.CompareWith(expected), 0) << f << " record " << n;
        EXPECT_EQ(info.Name, expected.GetStrucName()) << f << " record " << n;
      } else {
        EXPECT_EQ(info.Name, text.substr(0, text.find('\n'))) << f << " record " << n;
      }
    }
    EXPECT_EQ(index.Count(), n) << f;
  }
}

class MolViewerIndexFile : public testing_support::TempDirTest {};

TEST_F(MolViewerIndexFile, AnOversizedRecordIsReportedAndTheNextOneReads) {
  const std::string mol = kMol;
  std::string huge = mol;
  huge.insert(huge.find("M  END"), std::string(kMaxRecordBytes, 'x') + "\n");
  Put(Path("big.sdf"), mol + "$$$$\n" + huge + "$$$$\n" + mol + "$$$$\n");
  RecordIndex index(Path("big.sdf"));
  index.Start({});
  EXPECT_EQ(index.WaitFor(INT64_MAX), 3);
  TFileStream file(Path("big.sdf"), fmOpenRead);
  std::string text, why;
  TCTab t;
  EXPECT_FALSE(index.ReadText(2, file, text, why));
  EXPECT_EQ(why, "longer than 1 MiB");
  EXPECT_TRUE(text.empty());
  ASSERT_TRUE(index.ReadText(3, file, text, why));
  EXPECT_TRUE(ReadRecordText(text, t).Read);
  EXPECT_EQ(t.GetStrucName(), "water");
  EXPECT_FALSE(index.ReadText(4, file, text, why));
  EXPECT_EQ(why, "no such record");
}

// The big file: the bounds agree with the plain split, and the thread
// reports a few times a second, not per record.
TEST(MolViewerIndex, ABigFileIsIndexedWithFewReports) {
  MOLVIEWER_NEED_REAL_DATA();
  const testing::BigFile& big = testing::TheBigFile();
  ASSERT_FALSE(big.Path.empty());
  std::atomic<int> reports{0};
  RecordIndex index(big.Path);
  index.Start([&] { ++reports; });
  EXPECT_EQ(index.WaitFor(INT64_MAX), testing::kBigRecords);
  index.Wait();
  // The file was written record by record: each ends where the next begins.
  int64_t expectedEnd = 0;
  for (int64_t n = 1; n <= testing::kBigRecords; ++n) {
    int64_t begin = 0, end = 0;
    ASSERT_TRUE(index.Bounds(n, begin, end));
    ASSERT_EQ(begin, expectedEnd) << n;
    expectedEnd += static_cast<int64_t>(big.Record(n).size());
    ASSERT_EQ(end, expectedEnd) << n;
  }
  EXPECT_EQ(expectedEnd, index.FileSize());
  std::printf("100 000 records, %.1f MB: indexed in %.3f s with %d reports\n",
              static_cast<double>(index.FileSize()) / 1e6, index.Seconds(), reports.load());
  EXPECT_GE(reports.load(), 2);  // the first records, and the end
  EXPECT_LE(reports.load(), 8 * index.Seconds() + 20);
}

}  // namespace
}  // namespace tkz::molviewer
