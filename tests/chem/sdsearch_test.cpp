// The threaded SD search against a straight loop over the records: the
// same hits and unread records, in record order, for one query and for
// several, on one thread and on several; stopping and errors.
#include "chem/sdsearch.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "chem/cstruct.h"
#include "chem/sdrecords.h"
#include "search_brute_force.h"
#include "support/rdkit_sd_files.h"
#include "support/short_read_stream.h"
#include "tests/chem/sd_reference.h"

namespace tkz {
namespace {

using testing::RealSDFiles;
using testing::Slurp;
using testing_support::ShortReadStream;

// Small queries given by their atoms and bonds (1-based).
std::unique_ptr<TCTab> Query(const std::vector<int>& elements,
                             const std::vector<std::array<int, 3>>& bonds) {
  auto q = std::make_unique<TCTab>();
  for (int e : elements) {
    CTElem a;
    ClearCTElem(a);
    a.AtType = static_cast<uint8_t>(e);
    q->AddAtom(a);
  }
  for (const auto& [a, b, type] : bonds) q->MakeConnection(a, b, type);
  return q;
}

struct Queries {
  std::vector<std::unique_ptr<TCTab>> tables;
  std::vector<const TCTab*> pointers;
  Queries() {
    tables.push_back(Query({6, 6, 8}, {{1, 2, 1}, {2, 3, 1}}));                // C-C-O
    tables.push_back(Query({6, 7, 6, 8}, {{1, 2, 1}, {2, 3, 1}, {3, 4, 2}}));  // C-N-C=O
    tables.push_back(Query({6, 6, 6, 6, 6, 6},
                           {{1, 2, 1}, {2, 3, 1}, {3, 4, 1}, {4, 5, 1}, {5, 6, 1}, {6, 1, 1}}));
    tables.push_back(Query({16}, {}));                           // S
    tables.push_back(Query({9, 6, 9}, {{1, 2, 1}, {2, 3, 1}}));  // F-C-F
    for (const auto& t : tables) pointers.push_back(t.get());
  }
};

struct Result {
  std::vector<TSDSearchHit> hits;
  std::vector<long> unread;
  int batches = 0;
};

// The straight loop: each record read from its text and searched for each
// query, one after the other.
Result Straight(const std::string& text, const std::vector<const TCTab*>& queries, bool bonds) {
  Result r;
  long n = 0;
  TCTab t;
  for (const testing::RefRecord& rec : testing::ReferenceSDRecords(text, kMaxSDRecordBytes)) {
    ++n;
    TPropRec props;
    if (rec.TooLong || !ReadSDRecordText(t, rec.Text, props)) {
      r.unread.push_back(n);
      continue;
    }
    for (size_t k = 0; k < queries.size(); ++k) {
      TMatchMarks marks{};
      if (t.SearchSubStruc(*queries[k], marks, bonds)) r.hits.push_back({n, static_cast<int>(k)});
    }
  }
  return r;
}

// Runs the search, checking the order the header promises.
Result Search(TStream& in, const std::vector<const TCTab*>& queries, TSDSearchOptions options) {
  Result r;
  SearchSDStream(in, queries, options,
                 [&](const std::vector<TSDSearchHit>& hits, const std::vector<long>& unread) {
                   ++r.batches;
                   r.hits.insert(r.hits.end(), hits.begin(), hits.end());
                   r.unread.insert(r.unread.end(), unread.begin(), unread.end());
                   return true;
                 });
  const auto before = [](const TSDSearchHit& a, const TSDSearchHit& b) {
    return a.Record < b.Record || (a.Record == b.Record && a.Query < b.Query);
  };
  EXPECT_TRUE(std::is_sorted(r.hits.begin(), r.hits.end(), before));
  EXPECT_TRUE(std::is_sorted(r.unread.begin(), r.unread.end()));
  return r;
}

class SDSearch : public ::testing::Test {
 protected:
  void SetUp() override { TKZ_NEED_RDKIT_SD_FILES(); }
};

TEST_F(SDSearch, HitsEqualAStraightLoopOnRealFiles) {
  const Queries q;
  for (const std::string& path : {RealSDFiles()[0], RealSDFiles()[1]}) {
    const std::string text = Slurp(path);
    for (const bool bonds : {false, true}) {
      const Result want = Straight(text, q.pointers, bonds);
      EXPECT_GT(want.hits.size(), 50u) << path;
      for (const int threads : {1, 3}) {
        SCOPED_TRACE(path + " threads " + std::to_string(threads) + " bonds " +
                     std::to_string(bonds));
        ShortReadStream in(text, {1000, 37});
        const Result got = Search(in, q.pointers, {.CheckBonds = bonds, .Threads = threads});
        EXPECT_EQ(got.hits, want.hits);
        EXPECT_EQ(got.unread, want.unread);
        EXPECT_EQ(got.batches, 4) << "200 records in batches of 64";
        // Each query alone finds its part of the hits, as query 0.
        for (size_t k = 0; k < q.pointers.size(); ++k) {
          std::vector<TSDSearchHit> alone;
          for (const TSDSearchHit& h : want.hits) {
            if (h.Query == static_cast<int>(k)) alone.push_back({h.Record, 0});
          }
          ShortReadStream one(text);
          Result got1;
          SearchSDStream(one, *q.pointers[k], {.CheckBonds = bonds, .Threads = threads},
                         [&](const std::vector<TSDSearchHit>& hits, const std::vector<long>&) {
                           got1.hits.insert(got1.hits.end(), hits.begin(), hits.end());
                           return true;
                         });
          EXPECT_EQ(got1.hits, alone) << "query " << k;
        }
      }
    }
  }
}

// The straight loop's hits are themselves checked by trying every map, on
// the records small enough for that.
TEST_F(SDSearch, StraightLoopAgreesWithTryingEveryMap) {
  const Queries q;
  const std::string text = Slurp(RealSDFiles()[0]);
  const Result want = Straight(text, q.pointers, true);
  long n = 0, tried = 0;
  TCTab t;
  for (const testing::RefRecord& rec : testing::ReferenceSDRecords(text, kMaxSDRecordBytes)) {
    ++n;
    TPropRec props;
    if (!ReadSDRecordText(t, rec.Text, props) || t.GetNAtoms() > 24) continue;
    for (size_t k = 0; k < q.tables.size(); ++k) {
      const bool hit = std::find(want.hits.begin(), want.hits.end(),
                                 TSDSearchHit{n, static_cast<int>(k)}) != want.hits.end();
      EXPECT_EQ(hit, testing::BruteForceSubgraph(t, *q.tables[k], true)) << n << " query " << k;
      ++tried;
    }
  }
  EXPECT_GT(tried, 200);
}

TEST(SDSearchUnread, UnreadAndTooLongRecordsAreReportedNotSearched) {
  const Queries q;
  const std::string good = Slurp(RealSDFiles().empty() ? "" : RealSDFiles()[0]);
  if (good.empty()) GTEST_SKIP() << "rdkit-data is not installed";
  const std::vector<testing::RefRecord> real = testing::ReferenceSDRecords(good, kMaxSDRecordBytes);
  // Real records with, between them, a blank record, a text that is no
  // structure, a record too long to keep and a 64-atom structure.
  std::string big = real[0].Text;
  while (big.size() <= kMaxSDRecordBytes) big += "junk line to make the record long\n";
  std::string atoms64 = "many\n\n\n 64  0  0  0  0  0  0  0  0  0999 V2000\n";
  for (int i = 0; i < 64; ++i) atoms64 += "    0.0000    0.0000    0.0000 C   0  0\n";
  atoms64 += "M  END\n";
  std::string text;
  for (size_t i = 0; i < 150; ++i) {
    text += real[i].Text + "$$$$\n";
    if (i == 3) text += "$$$$\n";
    if (i == 70) text += "not a molecule\n$$$$\n";
    if (i == 100) text += big + "$$$$\n";
    if (i == 120) text += atoms64 + "$$$$\n";
  }
  const Result want = Straight(text, q.pointers, false);
  ASSERT_EQ(want.unread.size(), 4u);
  EXPECT_EQ(want.unread, (std::vector<long>{5, 73, 104, 125}));
  for (const int threads : {1, 2}) {
    ShortReadStream in(text);
    const Result got = Search(in, q.pointers, {.Threads = threads});
    EXPECT_EQ(got.hits, want.hits);
    EXPECT_EQ(got.unread, want.unread);
  }
}

// A record of one sulfur atom, a hit of query 3.
const std::string kSulfur =
    "S\n\n\n  1  0  0  0  0  0  0  0  0  0999 V2000\n"
    "    0.0000    0.0000    0.0000 S   0  0\nM  END\n$$$$\n";

TEST(SDSearchStop, ReportFalseStopsAtOnceAndExceptionsComeBack) {
  const Queries q;
  std::string text;
  const std::string& one = kSulfur;
  for (int i = 0; i < 5000; ++i) text += one;
  for (const int threads : {1, 3}) {
    int calls = 0;
    ShortReadStream in(text);
    SearchSDStream(in, q.pointers, {.Threads = threads},
                   [&](const std::vector<TSDSearchHit>& hits, const std::vector<long>&) {
                     ++calls;
                     EXPECT_EQ(hits.size(), 64u);
                     return false;
                   });
    EXPECT_EQ(calls, 1);
    EXPECT_LT(in.GetPosition(), static_cast<int64_t>(text.size())) << "the reader stopped early";

    ShortReadStream again(text);
    calls = 0;
    EXPECT_THROW(
        SearchSDStream(again, q.pointers, {.Threads = threads},
                       [&](const std::vector<TSDSearchHit>&, const std::vector<long>&) -> bool {
                         if (++calls == 2) throw std::runtime_error("caller's error");
                         return true;
                       }),
        std::runtime_error);
    EXPECT_EQ(calls, 2);
  }
}

TEST(SDSearchStop, ReadErrorComesBackAfterTheBatchesReadBeforeIt) {
  class Failing : public ShortReadStream {
   public:
    using ShortReadStream::ShortReadStream;
    int64_t Read(void* Buffer, int64_t Count) override {
      if (GetPosition() >= failAt_) throw EReadError("Stream read error");
      return ShortReadStream::Read(Buffer, Count);
    }
    int64_t failAt_ = 0;
  };
  const Queries q;
  std::string text;
  const std::string& one = kSulfur;
  for (int i = 0; i < 200; ++i) text += one;
  for (const int threads : {1, 3}) {
    Failing in(text, {100});
    in.failAt_ = static_cast<int64_t>(one.size() * 130);  // within the third batch
    long records = 0;
    EXPECT_THROW(
        SearchSDStream(in, q.pointers, {.Threads = threads},
                       [&](const std::vector<TSDSearchHit>& hits, const std::vector<long>& unread) {
                         EXPECT_TRUE(unread.empty());
                         records += static_cast<long>(hits.size());
                         return true;
                       }),
        EReadError);
    EXPECT_EQ(records, 128) << "threads " << threads;
  }
}

}  // namespace
}  // namespace tkz
