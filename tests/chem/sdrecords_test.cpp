// The SD record cutter against the plain split of the whole text
// (sd_reference.h), over reads of many sizes and all three line ends; a
// record's table and data items against the SD reader's, on Debian's
// rdkit-data files.
#include "chem/sdrecords.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iostream>
#include <string>
#include <vector>

#include "chem/cstruct.h"
#include "core/platform/stream.h"
#include "core/platform/textfile.h"
#include "support/rdkit_sd_files.h"
#include "support/short_read_stream.h"
#include "tests/chem/sd_reference.h"

namespace tkz {
namespace {

using testing::RealSDFiles;
using testing::ReferenceSDRecords;
using testing::RefRecord;
using testing::Slurp;
using testing_support::ShortReadStream;

// Every record the cutter gives, read through a stream handing out at most
// the given amounts per Read.
std::vector<RefRecord> Cut(const std::string& text, size_t max,
                           const std::vector<int64_t>& amounts) {
  ShortReadStream in(text, amounts);
  TSDRecordCutter cutter(in, max);
  std::vector<RefRecord> out;
  std::string all = "kept";  // text already there stays
  bool tooLong = false;
  for (size_t start = all.size(); cutter.AppendNext(all, tooLong); start = all.size()) {
    out.push_back({all.substr(start), tooLong});
    EXPECT_EQ(cutter.Count(), static_cast<long>(out.size()));
  }
  EXPECT_EQ(all.substr(0, 4), "kept");
  EXPECT_FALSE(cutter.AppendNext(all, tooLong)) << "a second end";
  return out;
}

std::string WithLineEnds(const std::string& text, const std::string& eol) {
  std::string s;
  for (char c : text) {
    if (c == '\n') {
      s += eol;
    } else {
      s += c;
    }
  }
  return s;
}

const std::vector<std::vector<int64_t>> kReadSizes = {{1}, {2}, {3}, {7}, {4096}, {}, {5, 1, 2}};

std::string Line(size_t n, char c = 'x') { return std::string(n, c) + "\n"; }

TEST(SDRecordCutter, CutsAsThePlainSplitDoes) {
  struct Case {
    const char* what;
    std::string text;
    size_t max = kMaxSDRecordBytes;
  };
  const std::string blanks(40, ' ');
  const std::vector<Case> cases = {
      {"nothing", ""},
      {"only blank text", "  \n\t\n\n"},
      {"one record", "A\nB\n$$$$\n"},
      {"end line without its line end", "A\n$$$$"},
      {"a molfile without $$$$", "A\n\nM  END"},
      {"blank records count", "$$$$\n$$$$\n \t\n$$$$\n"},
      {"blanks and tabs around $$$$", "A\n \t$$$$\t \nB\n"},
      {"not end lines", "$$$$x\n$ $$$\n$$$\n$$$$$\n>$$$$\n"},
      {"blank lines stay in a record", "\nA\n\n  \n$$$$\n"},
      {"blank text after the last $$$$", "A\n$$$$\n \n\t\n"},
      {"text after the last $$$$", "A\n$$$$\n\nB"},
      {"mixed line ends", "A\r\nB\rC\n$$$$\r\nD\r\r\nE\n\r$$$$\r"},
      {"CR before CR LF", "A\r\r\nB\r\r\r\n$$$$\r\r"},
      {"NUL and high bytes", std::string("A\0B\n\xff\x80\n$$$$\n", 12)},
      {"record one byte short of the bound", Line(15) + "$$$$\nB\n", 17},
      {"record at the bound", Line(16) + "$$$$\nB\n", 17},
      {"record one byte over the bound", Line(17) + "$$$$\nB\n", 17},
      {"record of many lines at the bound", Line(3) + Line(3) + Line(3) + "$$$$\n", 12},
      {"lines longer than the bound", "A\n" + Line(100) + "B\n$$$$\nC\n" + Line(50), 16},
      {"last record too long", "A\n$$$$\n" + Line(30), 16},
      {"$$$$ line longer than the bound", "A\n$$$$" + blanks + "\nB\n", 16},
      {"blanks before $$$$ beyond the bound", "A\n" + blanks + "$$$$\nB\n", 16},
      {"long blank text after the last $$$$", "A\n$$$$\n" + blanks + "\n\n", 16},
      {"long blank line then text", "A\n$$$$\n" + blanks + "x\n", 16},
      {"$$$$ then text beyond the bound", "A\n" + blanks + "$$$$" + blanks + "x\nB\n", 16},
      {"bound of one", "A\n$$$$\n$$$$\n", 1},
      {"dollars, blank, dollars beyond the bound", "A\n$\t$$$\n$$$ $\n$$$$$\nB\n", 2},
  };
  for (const Case& c : cases) {
    for (const char* eol : {"\n", "\r\n", "\r"}) {
      const std::string text = WithLineEnds(c.text, eol);
      const std::vector<RefRecord> want = ReferenceSDRecords(text, c.max);
      for (const auto& amounts : kReadSizes) {
        SCOPED_TRACE(::testing::Message()
                     << c.what << ", line end " << int(eol[0]) << "/" << std::string(eol).size()
                     << ", reads of " << (amounts.empty() ? 0 : amounts[0]));
        EXPECT_EQ(Cut(text, c.max, amounts), want);
      }
    }
  }
}

TEST(SDRecordCutter, TheBoundCountsTheRecordText) {
  // The reference's rule, checked by hand once: 17 bytes of text with a
  // bound of 17 are kept, 18 are not.
  EXPECT_EQ(Cut(Line(16) + "$$$$\n", 17, {}), (std::vector<RefRecord>{{Line(16), false}}));
  EXPECT_EQ(Cut(Line(17) + "$$$$\n", 17, {}), (std::vector<RefRecord>{{"", true}}));
}

TEST(SDRecordCutter, IsSDRecordEnd) {
  for (const char* yes : {"$$$$", " $$$$", "$$$$\t", "\t $$$$  "}) EXPECT_TRUE(IsSDRecordEnd(yes));
  for (const char* no : {"", "$$$", "$$$$$", "$$ $$", "$$$$\r", "x$$$$", "$$$$ x"}) {
    EXPECT_FALSE(IsSDRecordEnd(no)) << no;
  }
}

TEST(SDRecordCutter, ErrorsOfTheStreamPropagate) {
  class Failing : public ShortReadStream {
   public:
    using ShortReadStream::ShortReadStream;
    int64_t Read(void* Buffer, int64_t Count) override {
      if (++reads_ > 3) throw EReadError("Stream read error");
      return ShortReadStream::Read(Buffer, Count);
    }

   private:
    int reads_ = 0;
  };
  Failing in("A\n$$$$\nB\nC\nD\n$$$$\n", {4});
  TSDRecordCutter cutter(in);
  std::string text;
  bool tooLong = true;
  ASSERT_TRUE(cutter.AppendNext(text, tooLong));
  EXPECT_EQ(text, "A\n");
  EXPECT_FALSE(tooLong);
  EXPECT_THROW(cutter.AppendNext(text, tooLong), EReadError);
}

// ------------------------------------------------------------ real files

class SDRealFiles : public ::testing::Test {
 protected:
  void SetUp() override { TKZ_NEED_RDKIT_SD_FILES(); }
};

TEST_F(SDRealFiles, RecordsEqualThePlainSplitInEveryLineEnd) {
  for (const std::string& path : RealSDFiles()) {
    const std::string lf = Slurp(path);
    for (const char* eol : {"\n", "\r\n", "\r"}) {
      const std::string text = WithLineEnds(lf, eol);
      const std::vector<RefRecord> want = ReferenceSDRecords(text, kMaxSDRecordBytes);
      ASSERT_GE(want.size(), 40u) << path;
      for (const auto& amounts : {std::vector<int64_t>{}, {4096}, {4093, 7}, {1000, 1, 1}}) {
        EXPECT_EQ(Cut(text, kMaxSDRecordBytes, amounts), want)
            << path << " line end " << std::string(eol).size() << " reads of "
            << (amounts.empty() ? 0 : amounts[0]);
      }
    }
  }
}

// Each record's text reads as the SD reader reads that record in the whole
// file; its data items include every item the reader keeps, with the value
// the reader took from the item's first line.
TEST_F(SDRealFiles, RecordTextsReadAsTheSDReaderReadsTheFile) {
  long items = 0, named = 0;
  std::vector<std::string> files = RealSDFiles();
  for (const char* ours : {"/chem/real_forms.sdf", "/chem/demo.sdf"}) {
    files.push_back(TKZ_TEST_DATA_DIR + std::string(ours));
  }
  for (const std::string& path : files) {
    TTextFile f;
    f.AssignFile(path);
    f.Reset();
    TCTab whole, one;
    const std::vector<RefRecord> records = ReferenceSDRecords(Slurp(path), kMaxSDRecordBytes);
    size_t n = 0;
    for (; !f.Eof(); ++n) {
      ASSERT_LT(n, records.size()) << path;
      SCOPED_TRACE(path + " record " + std::to_string(n + 1));
      TPropRec props, ours;
      const bool ok = whole.ReadFromMDLSDFile(f, props);
      EXPECT_EQ(ReadSDRecordText(one, records[n].Text, ours), ok);
      EXPECT_EQ(one.CompareWith(whole), 0);
      EXPECT_EQ(one.GetStrucName(), whole.GetStrucName());
      EXPECT_EQ(ours, props);
      const auto data = SDDataItems(records[n].Text);
      named += static_cast<long>(data.size());
      for (int k = 1; k <= kMaxPropItems && !props[k].Name.empty(); ++k, ++items) {
        const auto it = std::find_if(data.begin(), data.end(),
                                     [&](const auto& d) { return d.first == props[k].Name; });
        ASSERT_NE(it, data.end()) << props[k].Name;
        EXPECT_DOUBLE_EQ(std::stod(it->second.substr(0, it->second.find('\n'))), props[k].Value)
            << props[k].Name;
      }
    }
    EXPECT_EQ(n, records.size()) << path;
  }
  std::cout << "data items: " << named << " found, " << items << " of them kept by the reader\n";
  EXPECT_GT(named, 1000);
  EXPECT_GE(items, 9);
}

// ---------------------------------------------------------- data items

TEST(SDDataItems, HeaderFormsValuesAndWhereTheyAreLookedFor) {
  using Items = std::vector<std::pair<std::string, std::string>>;
  struct Case {
    const char* what;
    std::string record;
    Items want;
  };
  const std::string mol =
      "name\n  prog\n\n  1  0  0  0  0  0  0  0  0  0999 V2000\n"
      "    0.0000    0.0000    0.0000 C   0  0\nM  END\n";
  const std::vector<Case> cases = {
      {"the header forms the reader knows",
       mol + "> <MELTP>\n3.8\n\n>  <BOILP>  (1)\n101.4\n\n> 25  <CAS_RN>\n7789-20-0\n\n",
       {{"MELTP", "3.8"}, {"BOILP", "101.4"}, {"CAS_RN", "7789-20-0"}}},
      {"values of several lines, names as written",
       mol + "> <a b>\nx\n y \n\n><Z>\n\n",
       {{"a b", "x\n y "}, {"Z", ""}}},
      {"a value runs to a blank line, through header-like lines",
       mol + "> <A>\n1\n> <B>\n2\n\n",
       {{"A", "1\n> <B>\n2"}}},
      {"other lines between items are passed over",
       mol + "junk\n> <A>\n1\n\nmore junk\n> <B>\n2\n",
       {{"A", "1"}, {"B", "2"}}},
      {"not headers", mol + "<A>\n1\n\n> <>\n2\n\n> A>\n3\n\n> <A\n4\n\n", {}},
      {"nothing before M  END counts",
       "> <H1>\n1\n\n> <H2>\n2\n\n> <H3>\n3\nM  END\n> <A>\n1\n\n",
       {{"A", "1"}}},
      {"without M  END items follow the three header lines",
       "> <H1>\n1\n\n> <A>\n1\n\n",
       {{"A", "1"}}},
      {"stray CRs at line ends", mol + "> <A>\r\n1\r\n\r\n", {{"A", "1"}}},
      {"blank and short records", "", {}},
  };
  for (const Case& c : cases) EXPECT_EQ(SDDataItems(c.record), c.want) << c.what;
}

}  // namespace
}  // namespace tkz
