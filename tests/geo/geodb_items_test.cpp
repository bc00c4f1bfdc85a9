// geodb items: adding each kind, replacing, deleting, reading polygons and
// binary objects back in all their forms, progress, refused input, and the
// coordinate texts.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <numeric>

#include "geodb_test_support.h"

namespace tkz::geodb_test {
namespace {

namespace fs = std::filesystem;

class GeoDBItems : public GeoDBTest {
 protected:
  void SetUp() override {
    GeoDBTest::SetUp();
    Open();
    db_->OnPercentDone = [this](TObject* sender, int p) {
      EXPECT_EQ(sender, db_.get());
      progress_.push_back(p);
    };
  }
  std::string Bytes(int n) {
    std::string s(static_cast<size_t>(n), '\0');
    for (int i = 0; i < n; ++i) s[i] = static_cast<char>(i * 7 + i / 251);
    return s;
  }
  TMetaInfo Meta(const std::string& kwd) {
    TMetaInfo m;
    m.Set(miKwd, kwd);
    m.Set(miComment, "comment of " + kwd);
    return m;
  }
  std::vector<int> progress_;
};

// --------------------------------------------------------------- adding

TEST_F(GeoDBItems, ClosedThenUnnamedDatabaseAddsNothing) {
  TGeoDB closed;
  EXPECT_EQ(closed.AddTown("x", 0, 0, {1, 2}, 0, 0, 0), -1);
  EXPECT_EQ(closed.AddBLOB("x", 0, 0, 0, 0, 0, 0, 0, 0, 0, TMetaInfo{}, "ab", 2), -1);
  EXPECT_EQ(closed.AddBLOB(Path("nofile"), 0, 0, 0, 0, 0, 0, 0, 0, 0, TMetaInfo{}), -1);
  closed.DeleteData(1);
  TgdbPolygon p;
  EXPECT_FALSE(closed.RetrievePolygon(1, p));
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 7);  // db_'s
}

TEST_F(GeoDBItems, EachKindStoresItsFlagPayloadAndBox) {
  const TgdbPolygon tri = {{1, 10}, {-2, 12}, {3, 11}};
  struct Case {
    TgdbItem kind;
    bool closed_given, closed_stored, payload;
  };
  const Case cases[] = {
      {gitBorder, true, true, true},      {gitBorder, false, false, true},
      {gitCity, true, true, true},        {gitLake, false, true, true},
      {gitRiver, true, false, true},      {gitRoad, true, false, true},
      {gitRoute, true, false, true},      {gitTown, true, false, false},
      {gitUndefined, true, false, false}, {static_cast<TgdbItem>(42), true, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(int(c.kind));
    const int64_t size = static_cast<int64_t>(fs::file_size(File(".tkzgdd")));
    const int r = db_->AddData("item", tri, c.closed_given, c.kind, 1, 2, 3, -50, 50, -60, 60, 4, 5,
                               TMetaInfo{}, nullptr, 0, false);
    const TgdbData d = db_->GetSumdata(r);
    EXPECT_EQ(d.ItemType, c.kind);
    EXPECT_EQ(d.Closed, c.closed_stored);
    if (c.payload) {
      EXPECT_EQ(d.DataPos, size);
      EXPECT_EQ(d.NumElems, 3);
      EXPECT_EQ(fs::file_size(File(".tkzgdd")), static_cast<uintmax_t>(size + 24));
      EXPECT_EQ((std::array<float, 4>{d.LatLow, d.LatHigh, d.LongLow, d.LongHigh}),
                (std::array<float, 4>{-2, 3, 10, 12}));
    } else {
      EXPECT_EQ(d.DataPos, -1);
      EXPECT_EQ(fs::file_size(File(".tkzgdd")), static_cast<uintmax_t>(size));
      EXPECT_EQ((std::array<float, 4>{d.LatLow, d.LatHigh, d.LongLow, d.LongHigh}),
                (std::array<float, 4>{-50, 50, -60, 60}));
    }
  }
  // The named forms and the town.
  EXPECT_TRUE(db_->GetSumdata(db_->AddLake("L", tri, 0, 0, 0, 0, 0, 0, 0, 0, 0)).Closed);
  EXPECT_FALSE(db_->GetSumdata(db_->AddRoute("R", tri, 0, 0, 0, 0, 0, 0, 0, 0, 0)).Closed);
  EXPECT_TRUE(db_->GetSumdata(db_->AddCity("C", tri, true, 0, 0, 0, 0, 0, 0, 0, 0, 0)).Closed);
  const TgdbData town = db_->GetSumdata(db_->AddTown("T", 3.5, 9, {47.25f, 8.5f}, 2.5f, 6, 8));
  EXPECT_EQ((std::array<float, 4>{town.LatLow, town.LatHigh, town.LongLow, town.LongHigh}),
            (std::array<float, 4>{47.25f, 47.25f, 8.5f, 8.5f}));
  EXPECT_EQ(ExtractLocation(town), (TSCoords{47.25f, 8.5f}));
  EXPECT_EQ(town.UserFloat, 2.5f);
  EXPECT_EQ(town.UserByte, 6);
  EXPECT_EQ(town.UserInt1, 9);
  EXPECT_EQ(town.UserInt2, 8);
  EXPECT_EQ(town.DateTime, 3.5);
}

TEST_F(GeoDBItems, EmptyAndOneVertexPolygonsGetTheirBoxes) {
  const int64_t size = static_cast<int64_t>(fs::file_size(File(".tkzgdd")));
  const TgdbData e = db_->GetSumdata(db_->AddRoad("empty", {}, 0, 0, 0, 0, 0, 0, 0, 0, 0));
  EXPECT_EQ((std::array<float, 4>{e.LatLow, e.LatHigh, e.LongLow, e.LongHigh}),
            (std::array<float, 4>{90, -90, 180, -180}));
  EXPECT_EQ(e.NumElems, 0);
  EXPECT_EQ(e.DataPos, size);
  TgdbPolygon back = {{1, 1}};
  EXPECT_TRUE(db_->RetrievePolygon(1, back));
  EXPECT_TRUE(back.empty());
  // A single vertex is both the low and the high edge.
  const TgdbData one = db_->GetSumdata(db_->AddRiver("one", {{-5, 7}}, 0, 0, 0, 0, 0, 0, 0, 0, 0));
  EXPECT_EQ((std::array<float, 4>{one.LatLow, one.LatHigh, one.LongLow, one.LongHigh}),
            (std::array<float, 4>{-5, -5, 7, 7}));
}

TEST_F(GeoDBItems, IdsComeFromTheCounterAndAreNeverReused) {
  EXPECT_EQ(AddPoly(gitCity, "a", 0, 0), 1);
  EXPECT_EQ(db_->GetSumdata(1).ItemID, 1);
  db_->DeleteData(1);
  EXPECT_EQ(db_->GetNumEntries(), 0);
  EXPECT_EQ(AddPoly(gitCity, "b", 0, 0), 1);
  EXPECT_EQ(db_->GetSumdata(1).ItemID, 2);
  EXPECT_EQ(I32At(Slurp(File(".tkzgdd")), 0), 2);
  // Long names are cut to 59 characters.
  AddPoly(gitCity, std::string(80, 'n'), 0, 0);
  EXPECT_EQ(db_->GetSumdata(2).Name, std::string(59, 'n'));
}

// ------------------------------------------------- replacing, deleting

TEST_F(GeoDBItems, ReplacingKeepsTheIdAndAppendsThePayload) {
  AddPoly(gitRiver, "a", 0, 0);
  AddPoly(gitRiver, "b", 5, 5);
  const int64_t size = static_cast<int64_t>(fs::file_size(File(".tkzgdd")));
  const TgdbPolygon p = {{-40, 100}, {-41, 101}};
  progress_.clear();
  db_->ReplaceData(1, "a2", p, false, gitRoad, 0, 0, 0, 0, 0, 0, 0, 0, 0, TMetaInfo{}, nullptr, 0,
                   false);
  EXPECT_EQ(progress_, (std::vector<int>{0, 0, 50, 100}));
  const TgdbData d = db_->GetSumdata(1);
  EXPECT_EQ(d.ItemID, 1);
  EXPECT_EQ(d.Name, "a2");
  EXPECT_EQ(d.ItemType, gitRoad);
  EXPECT_EQ(d.DataPos, size);
  EXPECT_EQ(db_->GetItemCounter(), 2);
  EXPECT_EQ(db_->GetIxLatLow(1), (TIxLLRec{-41, 1}));
  TgdbPolygon back;
  ASSERT_TRUE(db_->RetrievePolygon(1, back));
  EXPECT_EQ(back, p);
  // Out of range: nothing.
  db_->ReplaceData(3, "x", p, false, gitRoad, 0, 0, 0, 0, 0, 0, 0, 0, 0, TMetaInfo{}, nullptr, 0,
                   false);
  db_->ReplaceData(0, "x", p, false, gitRoad, 0, 0, 0, 0, 0, 0, 0, 0, 0, TMetaInfo{}, nullptr, 0,
                   false);
  EXPECT_EQ(fs::file_size(File(".tkzgdd")), static_cast<uintmax_t>(size + 16));
  EXPECT_EQ(db_->GetSumdata(2).Name, "b");
}

TEST_F(GeoDBItems, DeletingMovesTheLastRecordIntoTheGap) {
  for (const char* n : {"one", "two", "three"}) AddPoly(gitLake, n, 1, 1);
  const std::string third = Slurp(File(".tkzgds")).substr(240);
  db_->DeleteData(2);
  ASSERT_EQ(db_->GetNumEntries(), 2);
  EXPECT_EQ(db_->GetSumdata(2).Name, "three");
  EXPECT_EQ(db_->SearchForItemID(3), 2);
  EXPECT_EQ(db_->SearchForItemID(2), 0);
  const std::string recs = Slurp(File(".tkzgds"));
  EXPECT_EQ(recs.size(), 240u);
  EXPECT_EQ(recs.substr(120), third);
  for (int i = 0; i < 5; ++i)
    EXPECT_EQ(fs::file_size(File((".tkzgi" + std::to_string(i)).c_str())), 16u);
  TgdbPolygon p;
  ASSERT_TRUE(db_->RetrievePolygon(2, p));
  EXPECT_EQ(p.size(), 3u);
  db_->DeleteData(2);  // the last one: the file just shrinks
  db_->DeleteData(5);  // out of range: nothing
  EXPECT_EQ(Slurp(File(".tkzgds")), recs.substr(0, 120));
  EXPECT_EQ(db_->SearchForItemID(1), 1);
}

// -------------------------------------------------------------- polygons

TEST_F(GeoDBItems, PolygonsComeBackAsStored) {
  TgdbPolygon big(1234);
  for (size_t i = 0; i < big.size(); ++i)
    big[i] = {static_cast<float>(i) * 0.01f - 6, 170 + static_cast<float>(i) * 0.007f};
  db_->AddTown("town", 0, 0, {1, 1}, 0, 0, 0);
  const int r = db_->AddBorder("big", big, true, 0, 0, 0, 0, 0, 0, 0, 0, 0);
  TgdbPolygon back;
  progress_.clear();
  ASSERT_TRUE(db_->RetrievePolygon(r, back));
  EXPECT_EQ(back, big);
  // Reported every 13th vertex (1234 div 100 + 1), then 100.
  EXPECT_EQ(progress_.size(), 1u + 1234 / 13 + 1);
  EXPECT_EQ(progress_.front(), 0);
  EXPECT_EQ(progress_[1], 1);  // 13 of 1234
  EXPECT_EQ(progress_.back(), 100);
  EXPECT_TRUE(std::is_sorted(progress_.begin(), progress_.end()));

  EXPECT_FALSE(db_->RetrievePolygon(1, back));  // a town has none
  EXPECT_FALSE(db_->RetrievePolygon(3, back));  // no such record
  db_->AddRiver("r", {{1, 2}}, 0, 0, 0, 0, 0, 0, 0, 0, 0);
  db_->DeleteData(1);                          // record 1 now holds the river
  ASSERT_TRUE(db_->RetrievePolygon(0, back));  // record 0 reads record 1
  EXPECT_EQ(back, (TgdbPolygon{{1, 2}}));
}

// Records whose payload lies outside the data file read nothing, however
// they got there.
TEST_F(GeoDBItems, PayloadsOutsideTheDataFileAreNotRead) {
  AddPoly(gitCity, "c", 1, 1);
  const char blob[4] = {1, 2, 3, 4};
  db_->AddBLOB("b", 0, 0, 0, 0, 0, 0, 0, 0, 0, TMetaInfo{}, blob, 4);
  db_->SetGDBName("");
  const std::string good = Slurp(File(".tkzgds"));
  struct Case {
    int rec;
    int offset;
    uint32_t value;
  };
  const Case cases[] = {
      {0, 112, 0x7FFFFFFF}, {0, 112, 0xFFFFFFFF}, {0, 76, 0x7FFFFFF0},  {0, 76, 100},
      {0, 76, 0xFFFFFFFF},  {1, 112, 0x10000},    {1, 112, 0xFFFFFFFE}, {1, 76, 0x7FFFFFFF},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.rec << "@" << c.offset << "=" << c.value);
    std::string b = good;
    b.replace(c.rec * 120 + c.offset, 4, LE32(c.value));
    Put(File(".tkzgds"), b);
    Open();
    TgdbPolygon p = {{9, 9}};
    TMetaInfo m;
    std::vector<char> buf(8);
    TMemoryStream s;
    s.WriteBuffer("keep", 4);
    EXPECT_FALSE(db_->RetrievePolygon(c.rec + 1, p));
    EXPECT_EQ(p, (TgdbPolygon{{9, 9}}));
    if (c.rec == 1) {
      EXPECT_FALSE(db_->RetrieveBLOB(2, m, buf.data(), 8));
      EXPECT_FALSE(db_->RetrieveBLOB(2, m, &s));
      EXPECT_FALSE(db_->RetrieveBLOB(2, Path("out.bin"), m));
      EXPECT_FALSE(db_->GetMetaInfo(2, m));
      EXPECT_FALSE(fs::exists(Path("out.bin")));
      EXPECT_EQ(s.GetSize(), 4);
    }
    db_->SetGDBName("");
  }
}

// ----------------------------------------------------------------- BLOBs

TEST_F(GeoDBItems, AllBlobFormsStoreAndReturnTheSameBytes) {
  const std::string data = Bytes(40000);
  Put(Path("photo.jpg"), data);
  TMemoryStream ms;
  ms.WriteBuffer(data.data(), static_cast<int64_t>(data.size()));
  TMetaInfo third = Meta("m3");
  const int r[5] = {
      db_->AddBLOB(Path("photo.jpg"), 1, 0, 1, 2, 3, 4, 5, 6, 7, Meta("m1")),
      db_->AddBLOB(Path("photo.jpg"), "named", 1, 0, 1, 2, 3, 4, 5, 6, 7, Meta("m2")),
      db_->AddBLOB(Path("photo.jpg"), "third", "the third text", 1, 0, 1, 2, 3, 4, 5, 6, 7, third),
      db_->AddBLOB("memory", 1, 0, 1, 2, 3, 4, 5, 6, 7, Meta("m4"), data.data(),
                   static_cast<int64_t>(data.size())),
      db_->AddBLOB("stream", 1, 0, 1, 2, 3, 4, 5, 6, 7, Meta("m5"), &ms),
  };
  EXPECT_EQ(third.Get(miDescriptor), "the third text");
  EXPECT_EQ(third.Get(miKwd), "m3");
  const char* names[5] = {"photo.jpg", "named", "third", "memory", "stream"};
  for (int i = 0; i < 5; ++i) {
    SCOPED_TRACE(i);
    ASSERT_EQ(r[i], i + 1);
    const TgdbData d = db_->GetSumdata(r[i]);
    EXPECT_EQ(d.Name, names[i]);
    EXPECT_EQ(d.NumElems, 40000);
    EXPECT_EQ((std::array<float, 5>{d.LatLow, d.LatHigh, d.LongLow, d.LongHigh, d.UserFloat}),
              (std::array<float, 5>{1, 2, 3, 4, 5}));
    // From a file, the date is the file's; otherwise as given.
    if (i < 3) {
      EXPECT_NEAR(d.DateTime, ClearedNow(), 1.0 / 24);
    } else {
      EXPECT_EQ(d.DateTime, 1);
    }
    TMetaInfo m;
    std::string mem(40000, '\0');
    ASSERT_TRUE(db_->RetrieveBLOB(r[i], m, mem.data(), 40000));
    EXPECT_EQ(mem, data);
    EXPECT_EQ(m.Get(miKwd), "m" + std::to_string(i + 1));
    if (i < 3) {
      EXPECT_EQ(m.Get(miFilePath), Path("photo.jpg"));
    }
    TMemoryStream out;
    ASSERT_TRUE(db_->RetrieveBLOB(r[i], m, &out));
    EXPECT_EQ(std::string(out.Memory(), 40000), data);
    const std::string file = Path("copy" + std::to_string(i));
    ASSERT_TRUE(db_->RetrieveBLOB(r[i], file, m));
    EXPECT_EQ(Slurp(file), data);
  }
}

// The meta block holds 127 characters of the path; the file read is still
// the one named in full.
TEST_F(GeoDBItems, LongSourcePathsReadTheNamedFile) {
  const std::string sub = dir_ + "/" + std::string(100, 'd');
  fs::create_directory(sub);
  const std::string path = sub + "/" + std::string(60, 'f');
  Put(path, "long path content");
  Put(path.substr(0, 127), "wrong file");
  const int r = db_->AddBLOB(path, 0, 0, 0, 0, 0, 0, 0, 0, 0, TMetaInfo{});
  TMetaInfo m;
  char buf[17];
  ASSERT_TRUE(db_->RetrieveBLOB(r, m, buf, 17));
  EXPECT_EQ(std::string(buf, 17), "long path content");
  EXPECT_EQ(m.Get(miFilePath), path.substr(0, 127));
}

TEST_F(GeoDBItems, BlobProgressIsCountedByBlocks) {
  const std::string data = Bytes(40000);
  progress_.clear();
  db_->AddBLOB("m", 0, 0, 0, 0, 0, 0, 0, 0, 0, TMetaInfo{}, data.data(), 40000);
  EXPECT_EQ(progress_, (std::vector<int>{0, 41, 82, 100}));  // full blocks only
  Put(Path("f"), data);
  progress_.clear();
  db_->AddBLOB(Path("f"), 0, 0, 0, 0, 0, 0, 0, 0, 0, TMetaInfo{});
  EXPECT_EQ(progress_, (std::vector<int>{0, 41, 82, 100, 100}));  // the last block is capped
  TMetaInfo m;
  TMemoryStream s;
  progress_.clear();
  db_->RetrieveBLOB(1, m, &s);
  EXPECT_EQ(progress_, (std::vector<int>{41, 82, 100, 0}));  // the stream form ends with 0
  // An empty BLOB: no division by zero, 100 at the end.
  db_->AddBLOB("empty", 0, 0, 0, 0, 0, 0, 0, 0, 0, TMetaInfo{}, nullptr, 0);
  progress_.clear();
  ASSERT_TRUE(db_->RetrieveBLOB(3, m, nullptr, 0));
  EXPECT_EQ(progress_, (std::vector<int>{100}));
  // Disabled progress reports nothing.
  db_->SetProgressEnabled(false);
  progress_.clear();
  db_->RetrieveBLOB(1, m, &s);
  AddPoly(gitRoad, "r", 0, 0);
  EXPECT_TRUE(progress_.empty());
}

TEST_F(GeoDBItems, RetrievingToAFolderUsesTheItemName) {
  db_->AddBLOB("a b*c.txt", 0, 0, 0, 0, 0, 0, 0, 0, 0, TMetaInfo{}, "xyz", 3);
  TMetaInfo m;
  ASSERT_TRUE(db_->RetrieveBLOB(1, dir_ + "/", m));
  EXPECT_EQ(Slurp(Path("a_b_c.txt")), "xyz");
  fs::remove(Path("a_b_c.txt"));
  ASSERT_TRUE(db_->RetrieveBLOB(1, dir_ + "\\", m));
  EXPECT_EQ(Slurp(Path("a_b_c.txt")), "xyz");
  // A backslash separates folders anywhere in the name, not only at its end.
  fs::create_directory(Path("sub"));
  ASSERT_TRUE(db_->RetrieveBLOB(1, dir_ + "\\sub\\", m));
  EXPECT_EQ(Slurp(Path("sub/a_b_c.txt")), "xyz");
  ASSERT_TRUE(db_->RetrieveBLOB(1, dir_ + "\\sub\\named", m));
  EXPECT_EQ(Slurp(Path("sub/named")), "xyz");
  // Nothing is left beside the files written (their temporary files are
  // renamed into place).
  EXPECT_EQ(std::distance(fs::directory_iterator(Path("sub")), fs::directory_iterator()), 2);
  // The name of an existing file is overwritten.
  Put(Path("old"), "previous content");
  ASSERT_TRUE(db_->RetrieveBLOB(1, Path("old"), m));
  EXPECT_EQ(Slurp(Path("old")), "xyz");
}

TEST_F(GeoDBItems, UnusableFileNamesAreRefused) {
  db_->AddBLOB("", 0, 0, 0, 0, 0, 0, 0, 0, 0, TMetaInfo{}, "xyz", 3);
  db_->AddBLOB("..", 0, 0, 0, 0, 0, 0, 0, 0, 0, TMetaInfo{}, "xyz", 3);
  TMetaInfo m;
  const std::pair<int, std::string> cases[] = {
      {1, ""},           {1, dir_ + "/"}, {2, dir_ + "/"},    {1, dir_ + "/."},
      {1, dir_ + "/.."}, {1, "."},        {1, dir_ + "\\.."}, {2, dir_ + "\\sub\\"}};
  for (const auto& [rec, name] : cases) {
    try {
      db_->RetrieveBLOB(rec, name, m);
      ADD_FAILURE() << "no exception for " << name;
    } catch (const ETKZGeoDBError& e) {
      EXPECT_STREQ(e.what(), "Component \"GDB1\": RetrieveBLOB: invalid filename.");
    }
  }
  // A record without a BLOB returns false before the name is looked at.
  AddPoly(gitRoad, "r", 0, 0);
  EXPECT_FALSE(db_->RetrieveBLOB(3, "", m));
}

TEST_F(GeoDBItems, TooSmallDestinationsAndOtherKindsAreRefused) {
  db_->AddBLOB("b", 0, 0, 0, 0, 0, 0, 0, 0, 0, Meta("k"), "0123456789", 10);
  AddPoly(gitRoad, "r", 0, 0);
  char buf[10] = {};
  TMetaInfo m;
  try {
    db_->RetrieveBLOB(1, m, buf, 9);
    FAIL() << "no exception";
  } catch (const ETKZGeoDBError& e) {
    EXPECT_STREQ(e.what(),
                 "Component \"GDB1\": RetrieveBLOB: BLOB to be retrieved is larger than "
                 "SizeOfBlobData.");
  }
  EXPECT_EQ(buf[0], 0);
  // The stream of a record that is no BLOB is not touched.
  TMemoryStream s;
  s.WriteBuffer("keep", 4);
  EXPECT_FALSE(db_->RetrieveBLOB(2, m, &s));
  EXPECT_EQ(std::string(s.Memory(), 4), "keep");
  EXPECT_EQ(s.GetPosition(), 4);
  EXPECT_FALSE(db_->RetrieveBLOB(3, m, &s));
  EXPECT_FALSE(db_->RetrieveBLOB(1, m, static_cast<TStream*>(nullptr)));
  // Record numbers below 1 read record 1.
  ASSERT_TRUE(db_->RetrieveBLOB(-4, m, buf, 10));
  EXPECT_EQ(std::string(buf, 10), "0123456789");
  EXPECT_EQ(m.Get(miKwd), "k");
}

TEST_F(GeoDBItems, AMissingSourceFileIsFoundBeforeAnythingIsWritten) {
  AddPoly(gitRoad, "r", 0, 0);
  const std::string hdr = Slurp(File(".tkzgdd"));
  const std::string recs = Slurp(File(".tkzgds"));
  EXPECT_THROW(db_->AddBLOB(Path("missing"), 0, 0, 0, 0, 0, 0, 0, 0, 0, TMetaInfo{}), EInOutError);
  TMetaInfo m;
  m.Set(miFilePath, Path("missing"));
  EXPECT_THROW(
      db_->AddData("x", {}, false, gitBLOB, 0, 0, 0, 0, 0, 0, 0, 0, 0, m, nullptr, 0, true),
      EInOutError);
  EXPECT_EQ(Slurp(File(".tkzgdd")), hdr);
  EXPECT_EQ(Slurp(File(".tkzgds")), recs);
  EXPECT_EQ(db_->GetItemCounter(), 1);
  EXPECT_EQ(db_->GetNumEntries(), 1);
}

TEST_F(GeoDBItems, PayloadsBeyondTheLargestPositionAreRefused) {
  AddPoly(gitRoad, "r", 0, 0);
  {
    TFileStream f(File(".tkzgdd"), fmOpenReadWrite);
    f.SetSize(0x7FFFFFFF - 20);  // sparse
  }
  try {
    AddPoly(gitRoad, "too far", 0, 0);  // 24 bytes
    FAIL() << "no exception";
  } catch (const ETKZGeoDBError& e) {
    EXPECT_STREQ(e.what(), "Component \"GDB1\": AddData: data file too large.");
  }
  EXPECT_EQ(db_->GetItemCounter(), 1);
  {
    // The header was not written either (only its first bytes are read: the
    // file is 2 GiB).
    std::ifstream f(File(".tkzgdd"), std::ios::binary);
    std::string head(4, '\0');
    f.read(head.data(), 4);
    EXPECT_EQ(I32At(head, 0), 1);
  }
  EXPECT_EQ(fs::file_size(File(".tkzgdd")), 0x7FFFFFFFu - 20);
  // A replacement is refused under its own name, the record left alone.
  const TgdbPolygon far = {{1, 1}, {2, 2}, {3, 3}};
  try {
    db_->ReplaceData(1, "too far", far, false, gitRoad, 0, 0, 0, 0, 0, 0, 0, 0, 0, TMetaInfo{},
                     nullptr, 0, false);
    FAIL() << "no exception";
  } catch (const ETKZGeoDBError& e) {
    EXPECT_STREQ(e.what(), "Component \"GDB1\": ReplaceData: data file too large.");
  }
  EXPECT_EQ(db_->GetSumdata(1).Name, "r");
  // Items without payload, and payloads that still fit, are taken.
  EXPECT_EQ(db_->AddTown("t", 0, 0, {0, 0}, 0, 0, 0), 2);
  EXPECT_EQ(AddPoly(gitRoad, "fits", 0, 0, 2), 3);
  EXPECT_EQ(db_->GetSumdata(3).DataPos, 0x7FFFFFFF - 20);
}

TEST_F(GeoDBItems, TheLastItemIdIsNotWrappedAround) {
  db_->SetGDBName("");
  std::string h = Slurp(File(".tkzgdd"));
  h.replace(0, 4, LE32(0x7FFFFFFE));
  Put(File(".tkzgdd"), h);
  Open();
  EXPECT_EQ(AddPoly(gitRoad, "last", 0, 0), 1);
  EXPECT_EQ(db_->GetSumdata(1).ItemID, 0x7FFFFFFF);
  EXPECT_THROW(AddPoly(gitRoad, "none", 0, 0), ETKZGeoDBError);
  EXPECT_EQ(db_->GetNumEntries(), 1);
  EXPECT_EQ(I32At(Slurp(File(".tkzgdd")), 0), 0x7FFFFFFF);
}

TEST_F(GeoDBItems, AHeaderThatCannotBeWrittenFailsTheAdd) {
  fs::remove(File(".tkzgdd"));
  try {
    AddPoly(gitRoad, "r", 0, 0);
    FAIL() << "no exception";
  } catch (const ETKZGeoDBError& e) {
    EXPECT_STREQ(e.what(), "Component \"GDB1\": AddData: cannot open database.");
  }
  EXPECT_EQ(db_->GetNumEntries(), 0);
}

// ------------------------------------------------------ coordinate texts

TEST(GeoDBText, LatitudesAndLongitudesAreClampedAndSigned) {
  struct Case {
    bool lat;
    double v;
    const char* want;
  };
  const Case cases[] = {
      {true, -91, "90.00\xB0 S"},    {true, 45.5, "45.50\xB0 N"},    {true, 0, "0.00\xB0 N"},
      {true, -0.25, "0.25\xB0 S"},   {true, 1e9, "90.00\xB0 N"},     {false, 0, "0.00\xB0 E"},
      {false, -181, "180.00\xB0 W"}, {false, 12.126, "12.13\xB0 E"}, {true, NAN, ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.lat ? GeoLatitude(c.v, dfDeg, 2) : GeoLongitude(c.v, dfDeg, 2), c.want) << c.v;
  }
  EXPECT_EQ(GeoLatitude(-10.5, dfDegMin, 0),
            "10\xB0"
            "30' S");
}

}  // namespace
}  // namespace tkz::geodb_test
