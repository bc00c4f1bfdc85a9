// geodb search and maintenance: names, windows (against a brute-force
// oracle), meta blocks, in-place updates, compaction, the text export and
// the file summary.
#include <gtest/gtest.h>

#include <filesystem>
#include <limits>
#include <random>
#include <sstream>

#include "geodb_test_support.h"

namespace tkz::geodb_test {
namespace {

namespace fs = std::filesystem;

TEST_F(GeoDBTest, SearchDataMatchesNamesInAnyCase) {
  Open();
  AddPoly(gitRiver, "Rhine", 0, 0);                   // 1
  db_->AddTown("Z\xFCrich", 0, 0, {47, 8}, 0, 0, 0);  // 2
  AddPoly(gitLake, "Lake Z\xFCrich", 0, 0);           // 3
  db_->AddTown("rhine", 0, 0, {50, 7}, 0, 0, 0);      // 4
  struct Case {
    const char* name;
    TgdbItem kind;
    int start;
    uint8_t flag;
    int want;
  };
  const Case cases[] = {
      {"RHINE", gitUndefined, 1, kGdbMatchExact, 1},
      {"rhine", gitTown, 1, kGdbMatchExact, 4},
      {"rhine", gitUndefined, 2, kGdbMatchExact, 4},
      {"rhine", gitUndefined, 5, kGdbMatchExact, 0},
      {"rhine", gitUndefined, -3, kGdbMatchExact, 1},
      {"rhin", gitUndefined, 1, kGdbMatchExact, 0},
      {"rhin", gitUndefined, 2, kGdbMatchPrefix, 4},
      {"\xDC"
       "RICH",
       gitUndefined, 1, kGdbMatchContains, 2},  // Windows-1252 case
      {"\xDC"
       "RICH",
       gitLake, 1, kGdbMatchContains, 3},
      {"z\xFC", gitUndefined, 1, kGdbMatchPrefix, 2},
      {"Danube", gitUndefined, 1, kGdbMatchContains, 0},
      {"rhine", gitUndefined, 1, 77, 1},  // unknown flag: exact
  };
  for (const Case& c : cases)
    EXPECT_EQ(db_->SearchData(c.name, c.kind, c.start, c.flag), c.want) << c.name << " " << c.start;
  EXPECT_EQ(db_->SearchData("LAKE Z\xDCRICH"), 3);
  EXPECT_EQ(db_->SearchData("nothing"), 0);
  TGeoDB closed;
  EXPECT_EQ(closed.SearchData("Rhine"), 0);
}

// Random boxes against a brute-force scan of the records, including windows
// across the 180th meridian, degenerate windows and items without a box.
TEST_F(GeoDBTest, WindowQueriesAgreeWithAScanOfAllRecords) {
  Open();
  db_->SetLazyWrite(true);
  std::mt19937 rng(777);
  std::uniform_real_distribution<float> lat(-90, 90), lon(-180, 180), ext(0, 20);
  for (int i = 0; i < 400; ++i) {
    const float a = lat(rng), o = lon(rng);
    if (i % 7 == 0) {
      db_->AddTown("t", 0, 0, {a, o}, 0, 0, 0);
    } else if (i % 11 == 0) {
      db_->AddRoad("empty", {}, 0, 0, 0, 0, 0, 0, 0, 0, 0);  // box 90/-90/180/-180 meets nothing
    } else {
      db_->AddBLOB("b", 0, 0, a, a + ext(rng), o, o + ext(rng), 0, 0, 0, TMetaInfo{}, nullptr, 0);
    }
  }
  // Deletions leave the widest extent stale (too wide), replacements and
  // updates widen it: neither may lose an item.
  for (int k = 0; k < 40; ++k) {
    const int r = 1 + static_cast<int>(rng() % db_->GetNumEntries());
    if (k % 4 == 0) {
      const float a = lat(rng), o = lon(rng);
      db_->ReplaceData(r, "p", {{a, o}, {a + 30, o + 50}}, false, gitRoute, 0, 0, 0, 0, 0, 0, 0, 0,
                       0, TMetaInfo{}, nullptr, 0, false);
    } else if (k % 4 == 1 && db_->GetSumdata(r).ItemType == gitBLOB) {
      TgdbData d = db_->GetSumdata(r);
      d.LatLow -= 45;
      ASSERT_TRUE(db_->UpdateBasicData(r, d));
    } else {
      db_->DeleteData(r);
    }
  }
  const int n = db_->GetNumEntries();
  auto scan = [&](float la, float lh, float oa, float oh) {
    std::vector<int> want;
    for (int r = 1; r <= n; ++r) {
      const TgdbData d = db_->GetSumdata(r);
      const bool lat_ok = d.LatLow <= lh && d.LatHigh >= la;
      const bool lon_ok =
          oa <= oh ? d.LongLow <= oh && d.LongHigh >= oa : d.LongHigh >= oa || d.LongLow <= oh;
      if (lat_ok && lon_ok && d.LatLow <= d.LatHigh && d.LongLow <= d.LongHigh) want.push_back(r);
    }
    return want;
  };
  int found = 0;
  for (int q = 0; q < 300; ++q) {
    float la = lat(rng), lh = la + ext(rng) * (q % 3), oa = lon(rng), oh = oa + ext(rng) * 2;
    if (q % 10 == 0) {  // across the 180th meridian: 175 east to oa west
      oh = oa;
      oa = 175;
    }
    const std::vector<int> got = db_->FindItemsInWindow(la, lh, oa, oh);
    ASSERT_EQ(got, scan(la, lh, oa, oh)) << la << " " << lh << " " << oa << " " << oh;
    found += static_cast<int>(got.size());
  }
  EXPECT_GT(found, 300);  // the windows do meet items
  // The whole globe: every item but the empty polygons.
  int empty = 0;
  for (int r = 1; r <= n; ++r) empty += db_->GetSumdata(r).Name == "empty";
  EXPECT_GT(empty, 20);
  EXPECT_EQ(db_->FindItemsInWindow(-90, 90, -180, 180).size(), static_cast<size_t>(n - empty));
  const float nan = std::numeric_limits<float>::quiet_NaN();
  EXPECT_TRUE(db_->FindItemsInWindow(nan, 90, -180, 180).empty());
  EXPECT_TRUE(db_->FindItemsInWindow(10, -10, -180, 180).empty());
}

// --------------------------------------------------- meta and updates

TEST_F(GeoDBTest, MetaBlocksAreReadAndRewrittenInPlace) {
  Open();
  TMetaInfo m;
  m.Set(miCaption, "first");
  db_->AddBLOB("b", 0, 0, 0, 0, 0, 0, 0, 0, 0, m, "content", 7);
  AddPoly(gitRoad, "r", 0, 0);
  TMetaInfo back;
  ASSERT_TRUE(db_->GetMetaInfo(1, back));
  EXPECT_EQ(back, m);
  EXPECT_FALSE(db_->GetMetaInfo(2, back));
  EXPECT_FALSE(db_->GetMetaInfo(3, back));
  const auto size = fs::file_size(File(".tkzgdd"));
  m.Set(miCaption, "second");
  EXPECT_TRUE(db_->UpdateMetaInfo(1, m));
  EXPECT_FALSE(db_->UpdateMetaInfo(2, m));
  EXPECT_FALSE(db_->UpdateMetaInfo(0, m));
  EXPECT_EQ(fs::file_size(File(".tkzgdd")), size);
  char buf[7];
  ASSERT_TRUE(db_->RetrieveBLOB(1, back, buf, 7));
  EXPECT_EQ(back.Get(miCaption), "second");
  EXPECT_EQ(std::string(buf, 7), "content");
}

TEST_F(GeoDBTest, UpdatingBasicDataKeepsIdKindAndPayload) {
  Open();
  AddPoly(gitRiver, "river", 10, 10);
  db_->AddTown("town", 0, 0, {1, 2}, 0, 0, 0);
  TgdbData d = db_->GetSumdata(1);
  const TgdbData old = d;
  d.ItemID = 99;
  d.Name = std::string(70, 'x');
  d.ItemType = gitTown;
  d.DataPos = 5;
  d.NumElems = 1000;
  d.LatLow = -80;
  d.UserInt1 = 1234;
  d.Closed = true;
  ASSERT_TRUE(db_->UpdateBasicData(1, d));
  const TgdbData now = db_->GetSumdata(1);
  EXPECT_EQ(now.ItemID, old.ItemID);
  EXPECT_EQ(now.ItemType, gitRiver);
  EXPECT_EQ(now.DataPos, old.DataPos);
  EXPECT_EQ(now.NumElems, old.NumElems);
  EXPECT_EQ(now.LatLow, old.LatLow);  // a polygon's box is its vertices'
  EXPECT_FALSE(now.Closed);           // rivers are open
  EXPECT_EQ(now.Name, std::string(59, 'x'));
  EXPECT_EQ(now.UserInt1, 1234);
  // A town moves, and its index entries with it.
  TgdbData t = db_->GetSumdata(2);
  t.LatLow = t.LatHigh = -30;
  ASSERT_TRUE(db_->UpdateBasicData(2, t));
  EXPECT_EQ(db_->GetIxLatLow(1), (TIxLLRec{-30, 2}));
  const auto copy = OpenCopy();
  TGeoDB& other = *copy;
  EXPECT_EQ(other.GetSumdata(2), db_->GetSumdata(2));
  EXPECT_EQ(other.GetIxLatHigh(1), (TIxLLRec{-30, 2}));
  EXPECT_FALSE(db_->UpdateBasicData(3, t));
}

// ------------------------------------------------------------ compaction

TEST_F(GeoDBTest, GarbageCollectionDropsDeadPayloadsAndKeepsLiveOnes) {
  Open();
  std::mt19937 rng(5);
  for (int i = 0; i < 30; ++i) {
    if (i % 3 == 0) {
      const std::string blob(100 + i * 37, static_cast<char>('a' + i % 26));
      TMetaInfo m;
      m.Set(miKwd, "k" + std::to_string(i));
      db_->AddBLOB("b" + std::to_string(i), 0, 0, 0, 0, 0, 0, 0, 0, 0, m, blob.data(),
                   static_cast<int64_t>(blob.size()));
    } else {
      AddPoly(i % 2 ? gitBorder : gitRoute, "p" + std::to_string(i), i, -i, 1 + i % 9);
    }
  }
  db_->AddTown("t", 0, 0, {1, 1}, 0, 0, 0);
  for (int k = 0; k < 10; ++k) {
    db_->ReplaceData(1 + static_cast<int>(rng() % 31), "re", {{1, 2}, {3, 4}}, false, gitRoad, 0, 0,
                     0, 0, 0, 0, 0, 0, 0, TMetaInfo{}, nullptr, 0, false);
    db_->DeleteData(1 + static_cast<int>(rng() % db_->GetNumEntries()));
  }
  // What every record holds, and the bytes its payload needs.
  const int n = db_->GetNumEntries();
  std::vector<TgdbPolygon> polys(n + 1);
  std::vector<std::string> blobs(n + 1);
  std::vector<TMetaInfo> metas(n + 1);
  int64_t live = 260;
  for (int r = 1; r <= n; ++r) {
    const TgdbData d = db_->GetSumdata(r);
    if (d.ItemType == gitBLOB) {
      TMemoryStream s;
      ASSERT_TRUE(db_->RetrieveBLOB(r, metas[r], &s));
      blobs[r].assign(s.Memory(), static_cast<size_t>(s.GetSize()));
      live += 1024 + d.NumElems;
    } else if (d.ItemType != gitTown) {
      ASSERT_TRUE(db_->RetrievePolygon(r, polys[r]));
      live += 8 * d.NumElems;
    }
  }
  const auto before = static_cast<int64_t>(fs::file_size(File(".tkzgdd")));
  const std::string header = Slurp(File(".tkzgdd")).substr(0, 260);
  EXPECT_EQ(db_->GarbageCollection(), before - live);
  EXPECT_EQ(static_cast<int64_t>(fs::file_size(File(".tkzgdd"))), live);
  EXPECT_EQ(Slurp(File(".tkzgdd")).substr(0, 260), header);
  // Reopened, every record reads what it read before.
  const auto copy = OpenCopy();
  TGeoDB& other = *copy;
  ASSERT_EQ(other.GetNumEntries(), n);
  for (int r = 1; r <= n; ++r) {
    SCOPED_TRACE(r);
    const TgdbData d = other.GetSumdata(r);
    EXPECT_EQ(d, db_->GetSumdata(r));
    if (d.ItemType == gitBLOB) {
      TMemoryStream s;
      TMetaInfo m;
      ASSERT_TRUE(other.RetrieveBLOB(r, m, &s));
      EXPECT_EQ(std::string(s.Memory(), static_cast<size_t>(s.GetSize())), blobs[r]);
      EXPECT_EQ(m, metas[r]);
    } else if (d.ItemType != gitTown) {
      TgdbPolygon p;
      ASSERT_TRUE(other.RetrievePolygon(r, p));
      EXPECT_EQ(p, polys[r]);
    } else {
      EXPECT_EQ(d.DataPos, -1);
    }
  }
  EXPECT_EQ(db_->GarbageCollection(), 0);  // nothing left to free
  for (const auto& e : fs::directory_iterator(dir_))
    EXPECT_EQ(e.path().string().find(".gc"), std::string::npos) << e.path();
  TGeoDB closed;
  EXPECT_EQ(closed.GarbageCollection(), 0);
}

TEST_F(GeoDBTest, GarbageCollectionDropsPayloadsOutsideTheFile) {
  Open();
  AddPoly(gitRoad, "good", 1, 1);
  AddPoly(gitRoad, "bad", 2, 2);
  db_->SetGDBName("");
  std::string recs = Slurp(File(".tkzgds"));
  recs.replace(120 + 112, 4, LE32(100000));  // NumElems far beyond the file
  Put(File(".tkzgds"), recs);
  Open();
  db_->GarbageCollection();
  EXPECT_EQ(db_->GetSumdata(2).DataPos, -1);
  EXPECT_EQ(db_->GetSumdata(2).NumElems, 0);
  TgdbPolygon p;
  EXPECT_TRUE(db_->RetrievePolygon(1, p));
  EXPECT_EQ(p.size(), 3u);
  EXPECT_EQ(fs::file_size(File(".tkzgdd")), 260u + 24);
}

// Under LazyWrite the files stay open between adds; a compaction replaces
// them, and later adds must reach the new files.
TEST_F(GeoDBTest, LazyAddsAfterACompactionReachTheNewFiles) {
  Open();
  db_->SetLazyWrite(true);
  AddPoly(gitRoad, "old", 1, 1);
  AddPoly(gitRoad, "dead", 2, 2);
  AddPoly(gitRoad, "dead", 3, 3);  // replaced below: its first payload dies
  db_->ReplaceData(3, "new", {{4, 4}}, false, gitRoad, 0, 0, 0, 0, 0, 0, 0, 0, 0, TMetaInfo{},
                   nullptr, 0, false);
  EXPECT_EQ(db_->GarbageCollection(), 24);
  AddPoly(gitRiver, "after", 5, 5, 4);
  db_->AddTown("town", 0, 0, {6, 6}, 0, 0, 0);
  db_->SetGDBName("");
  Open();
  ASSERT_EQ(db_->GetNumEntries(), 5);
  EXPECT_EQ(db_->GetSumdata(4).Name, "after");
  EXPECT_EQ(db_->GetSumdata(5).Name, "town");
  TgdbPolygon p;
  ASSERT_TRUE(db_->RetrievePolygon(4, p));
  EXPECT_EQ(p.size(), 4u);
  EXPECT_EQ(p[0], (TSCoords{5, 5}));
  EXPECT_TRUE(CheckGeoDB(Base()).empty());
}

// --------------------------------------------------- export and summary

TEST_F(GeoDBTest, TheDebugExportListsHeaderAndRecords) {
  Open();
  db_->SetDescription("Alps");
  db_->AddTown("Bern", 45000.5, 3, {46.95f, 7.45f}, 0.5f, 9, -4);
  AddPoly(gitLake, "Thun", 46.7f, 7.7f, 2);
  ASSERT_TRUE(db_->ExportDataDebug(Path("dump.txt")));
  std::istringstream in(Slurp(Path("dump.txt")));
  std::vector<std::string> lines;
  for (std::string l; std::getline(in, l);) lines.push_back(l);
  ASSERT_EQ(lines.size(), 9u);
  EXPECT_EQ(lines[1], "Description\tAlps");
  EXPECT_EQ(lines[2], "DBVersion\t4");
  EXPECT_EQ(lines[4], "ItemCounter\t2");
  EXPECT_EQ(lines[5], "NumEntries\t2");
  EXPECT_EQ(lines[7],
            "1\t1\tBern\tTown\t-1\t0\t0\t46.95\t46.95\t7.45\t7.45\t45000.5\t3\t-4\t0.5\t9");
  EXPECT_EQ(lines[8].substr(0, 22), "2\t2\tThun\tLake\t260\t2\t1\t");
  TGeoDB closed;
  EXPECT_FALSE(closed.ExportDataDebug(Path("none.txt")));
  EXPECT_FALSE(fs::exists(Path("none.txt")));
}

TEST_F(GeoDBTest, SystemInformationIsReadWithoutOpening) {
  EXPECT_FALSE(ReadSystemInformation(Base()).Valid);
  Open();
  db_->SetDescription("summary");
  db_->SetRevision(12);
  AddPoly(gitRoad, "r", 0, 0);
  db_->AddTown("t", 0, 0, {0, 0}, 0, 0, 0);
  const TgdbSystemInfo info = ReadSystemInformation(Base() + ".whatever");
  EXPECT_TRUE(info.Valid);
  EXPECT_EQ(info.ItemCounter, 2);
  EXPECT_EQ(info.DBVersion, 4);
  EXPECT_EQ(info.Description, "summary");
  EXPECT_EQ(info.Revision, 12);
  EXPECT_EQ(info.NumEntries, 2);
  EXPECT_EQ(info.DataFileSize, 260 + 24);
  Put(File(".tkzgdd"), "short");
  EXPECT_FALSE(ReadSystemInformation(Base()).Valid);
}

TEST_F(GeoDBTest, RecalcIndexesRewritesTheIndexFiles) {
  Open();
  AddPoly(gitRoad, "a", 5, 5);
  AddPoly(gitRoad, "b", 1, 1);
  const std::string good = Slurp(File(".tkzgi1"));
  Put(File(".tkzgi1"), "");
  db_->RecalcIndexes();
  EXPECT_EQ(Slurp(File(".tkzgi1")), good);
}

}  // namespace
}  // namespace tkz::geodb_test
