// geodb files: the bytes of records, header, indexes and payloads; opening,
// closing and LazyWrite; what damaged files give; the index algorithms.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <limits>
#include <random>

#include "geodb_test_support.h"

namespace tkz::geodb_test {
namespace {

namespace fs = std::filesystem;

const char* const kExts[7] = {".tkzgi0", ".tkzgi1", ".tkzgi2", ".tkzgi3",
                              ".tkzgi4", ".tkzgds", ".tkzgdd"};

// ---------------------------------------------------------- file layout

TEST_F(GeoDBTest, NamingANewDatabaseCreatesTheSevenFiles) {
  db_->SetGDBName(Base() + ".anything");
  EXPECT_EQ(db_->GetGDBName(), Base());
  for (const char* ext : kExts) ASSERT_TRUE(fs::exists(File(ext))) << ext;
  for (int i = 0; i < 6; ++i) EXPECT_EQ(fs::file_size(File(kExts[i])), 0u) << kExts[i];
  const std::string h = Slurp(File(".tkzgdd"));
  ASSERT_EQ(h.size(), 260u);
  EXPECT_EQ(I32At(h, 4), 4);  // DB version
  EXPECT_EQ(std::count(h.begin(), h.end(), '\0'), 259);
  EXPECT_EQ(db_->GetDBVersion(), 4);
  EXPECT_EQ(db_->GetNumEntries(), 0);
}

TEST_F(GeoDBTest, RecordBytesSitAtTheirOffsets) {
  Open();
  TMetaInfo meta;
  const char content[3] = {'a', 'b', 'c'};
  ASSERT_EQ(db_->AddBLOB("Ab\xE9", 44000.25, -5, 1.5f, 2.5f, 3.5f, 4.5f, 6.25f, 200, 77, meta,
                         content, 3),
            1);
  const std::string r = Slurp(File(".tkzgds"));
  ASSERT_EQ(r.size(), 120u);
  EXPECT_EQ(I32At(r, 0), 1);                         // ItemID
  EXPECT_EQ(r[4], 3);                                // name length
  EXPECT_EQ(r.substr(5, 3), "Ab\xE9");               // name
  EXPECT_EQ(r.substr(8, 56), std::string(56, ' '));  // blank padding
  EXPECT_EQ(F32At(r, 64), 6.25f);                    // UserFloat
  EXPECT_EQ(static_cast<uint8_t>(r[68]), 200);       // UserByte
  EXPECT_EQ(r.substr(69, 3), std::string(3, '\0'));  // reserved
  EXPECT_EQ(I32At(r, 72), 77);                       // UserInt2
  EXPECT_EQ(I32At(r, 76), 260);                      // DataPos
  EXPECT_EQ(F64At(r, 80), 44000.25);                 // DateTime
  EXPECT_EQ(I32At(r, 88), -5);                       // UserInt1
  EXPECT_EQ(F32At(r, 92), 1.5f);                     // LatLow
  EXPECT_EQ(F32At(r, 96), 2.5f);                     // LatHigh
  EXPECT_EQ(F32At(r, 100), 3.5f);                    // LongLow
  EXPECT_EQ(F32At(r, 104), 4.5f);                    // LongHigh
  EXPECT_EQ(r[108], gitBLOB);                        // ItemType
  EXPECT_EQ(r.substr(109, 3), std::string(3, '\0'));
  EXPECT_EQ(I32At(r, 112), 3);  // NumElems
  EXPECT_EQ(r[116], 0);         // Closed
  EXPECT_EQ(r.substr(117, 3), std::string(3, '\0'));

  // The BLOB payload: the meta block, then the content.
  const std::string d = Slurp(File(".tkzgdd"));
  ASSERT_EQ(d.size(), 260u + 1024 + 3);
  EXPECT_EQ(I32At(d, 0), 1);  // item counter
  EXPECT_EQ(d.substr(1284), "abc");

  // A polygon payload: (lat, long) float pairs at DataPos.
  const TgdbPolygon poly = {{10.5f, -20.25f}, {11.5f, -21.75f}};
  ASSERT_EQ(db_->AddRiver("R", poly, 0, 0, 0, 0, 0, 0, 0, 0, 0), 2);
  const std::string d2 = Slurp(File(".tkzgdd"));
  const std::string r2 = Slurp(File(".tkzgds"));
  EXPECT_EQ(I32At(r2, 120 + 76), static_cast<int32_t>(d.size()));
  EXPECT_EQ(I32At(r2, 120 + 112), 2);
  EXPECT_EQ(F32At(d2, d.size()), 10.5f);
  EXPECT_EQ(F32At(d2, d.size() + 4), -20.25f);
  EXPECT_EQ(F32At(d2, d.size() + 12), -21.75f);
  EXPECT_EQ(d2.size(), d.size() + 16);

  // The index files: (key, RecIx) pairs, 0-based record numbers.
  const std::string i0 = Slurp(File(".tkzgi0"));
  ASSERT_EQ(i0.size(), 16u);
  EXPECT_EQ(I32At(i0, 0), 1);
  EXPECT_EQ(I32At(i0, 4), 0);
  EXPECT_EQ(I32At(i0, 8), 2);
  EXPECT_EQ(I32At(i0, 12), 1);
  const std::string i1 = Slurp(File(".tkzgi1"));  // LatLow: 1.5 (rec 0), 10.5 (rec 1)
  EXPECT_EQ(F32At(i1, 0), 1.5f);
  EXPECT_EQ(I32At(i1, 4), 0);
  EXPECT_EQ(F32At(i1, 8), 10.5f);
  const std::string i3 = Slurp(File(".tkzgi3"));  // LongLow: -21.75 (rec 1) first
  EXPECT_EQ(F32At(i3, 0), -21.75f);
  EXPECT_EQ(I32At(i3, 4), 1);
}

TEST(GeoDBMetaInfo, FieldsSitAtTheirPositionsAndAreCut) {
  struct Case {
    TMetaItem item;
    int offset, capacity;
  };
  const Case cases[] = {{miKwd, 0, 255},
                        {miCaption, 256, 127},
                        {miFilePath, 384, 127},
                        {miDescriptor, 512, 255},
                        {miComment, 768, 255}};
  for (const Case& c : cases) {
    TMetaInfo m;
    const std::string text(300, static_cast<char>('A' + c.item));
    m.Set(c.item, text);
    EXPECT_EQ(m.Bytes[c.offset], c.capacity) << int(c.item);
    EXPECT_EQ(m.Get(c.item), text.substr(0, c.capacity));
    EXPECT_EQ(TMetaInfo::Capacity(c.item), c.capacity);
    // A length byte beyond the field is read as the field's capacity.
    m.Bytes[c.offset] = 255;
    EXPECT_EQ(m.Get(c.item).size(), static_cast<size_t>(c.capacity));
    ClearMetaInfo(m);
    EXPECT_EQ(m.Get(c.item), "");
  }
}

TEST_F(GeoDBTest, HeaderFieldsAreWrittenAtOnce) {
  Open();
  db_->SetDescription(std::string(70, 'd'));
  db_->SetRevision(-17);
  EXPECT_EQ(db_->GetDescription(), std::string(60, 'd'));
  const std::string h = Slurp(File(".tkzgdd"));
  EXPECT_EQ(h[8], 60);
  EXPECT_EQ(h.substr(9, 60), std::string(60, 'd'));
  EXPECT_EQ(I32At(h, 72), -17);
  const auto copy = OpenCopy();
  TGeoDB& other = *copy;
  EXPECT_EQ(other.GetDescription(), std::string(60, 'd'));
  EXPECT_EQ(other.GetRevision(), -17);

  // A header file that cannot be opened: the message names the component.
  fs::remove(File(".tkzgdd"));
  try {
    db_->SetRevision(3);
    FAIL() << "no exception";
  } catch (const ETKZGeoDBError& e) {
    EXPECT_STREQ(e.what(), "Component \"GDB1\": SetRevision: cannot open database.");
  }
  EXPECT_EQ(db_->GetRevision(), -17);
  EXPECT_THROW(db_->SetDescription("x"), ETKZGeoDBError);
  // Closed: nothing happens.
  TGeoDB closed;
  closed.SetRevision(5);
  EXPECT_EQ(closed.GetRevision(), 0);
}

TEST_F(GeoDBTest, ReopeningReadsTheSameRecordsAndIndexes) {
  Open();
  for (int i = 0; i < 5; ++i) AddPoly(gitLake, "L" + std::to_string(i), 5.0f - i, i * 2.0f);
  db_->AddTown("T", 40000, 1, {47.5f, 8.25f}, 0, 0, 0);
  const auto copy = OpenCopy();
  TGeoDB& other = *copy;
  ASSERT_EQ(other.GetNumEntries(), 6);
  EXPECT_EQ(other.GetItemCounter(), 6);
  for (int i = 1; i <= 6; ++i) {
    EXPECT_EQ(other.GetSumdata(i), db_->GetSumdata(i)) << i;
    EXPECT_EQ(other.GetIxLatLow(i), db_->GetIxLatLow(i));
    EXPECT_EQ(other.GetIxItemID(i), db_->GetIxItemID(i));
  }
}

// --------------------------------------------------------- damaged files

TEST_F(GeoDBTest, LengthBytesBeyondTheirFieldsAreClamped) {
  Open();
  AddPoly(gitRoad, "Main", 1, 1);
  db_->SetGDBName("");
  std::string r = Slurp(File(".tkzgds"));
  r[4] = static_cast<char>(200);
  Put(File(".tkzgds"), r);
  std::string h = Slurp(File(".tkzgdd"));
  h[8] = static_cast<char>(250);
  Put(File(".tkzgdd"), h);
  Open();
  EXPECT_EQ(db_->GetSumdata(1).Name.size(), 59u);
  EXPECT_EQ(db_->GetDescription().size(), 63u);
}

TEST_F(GeoDBTest, AShortHeaderIsRefusedAndKeptAsItWas) {
  Put(File(".tkzgdd"), std::string(100, 'x'));
  try {
    Open();
    FAIL() << "no exception";
  } catch (const ETKZGeoDBError& e) {
    EXPECT_NE(std::string(e.what()).find("Component \"GDB1\": SetGDBName:"), std::string::npos);
  }
  EXPECT_EQ(Slurp(File(".tkzgdd")), std::string(100, 'x'));
  EXPECT_FALSE(db_->IsOpen());
  // Nothing was created either, and a closed object writes nothing.
  EXPECT_FALSE(fs::exists(File(".tkzgds")));
  EXPECT_EQ(AddPoly(gitLake, "x", 0, 0), -1);
  db_->SetRevision(9);
  EXPECT_EQ(Slurp(File(".tkzgdd")), std::string(100, 'x'));
}

// Each damage makes the indexes disagree with the records; opening rebuilds
// them in memory, and the next change writes them back.
TEST_F(GeoDBTest, DamagedIndexesAreRebuiltFromTheRecords) {
  struct Damage {
    const char* what;
    const char* ext;
    std::function<void(std::string&)> apply;
  };
  const std::vector<Damage> damages = {
      {"too short", ".tkzgi1", [](std::string& b) { b.resize(b.size() - 8); }},
      {"too long", ".tkzgi0", [](std::string& b) { b += b.substr(0, 8); }},
      {"record out of range", ".tkzgi2", [](std::string& b) { b.replace(4, 4, LE32(99)); }},
      {"negative record", ".tkzgi3", [](std::string& b) { b.replace(12, 4, LE32(0xFFFFFFFF)); }},
      {"not sorted", ".tkzgi0",
       [](std::string& b) { std::swap_ranges(b.begin(), b.begin() + 8, b.begin() + 8); }},
      {"record twice", ".tkzgi4", [](std::string& b) { b.replace(4, 4, b.substr(12, 4)); }},
      {"stale key", ".tkzgi1", [](std::string& b) { b.replace(0, 4, LE32(0xC2C80000)); }},
      {"odd size", ".tkzgi2", [](std::string& b) { b += "xyz"; }},
  };
  for (const Damage& dmg : damages) {
    SCOPED_TRACE(dmg.what);
    db_->SetGDBName("");
    for (const char* ext : kExts) fs::remove(File(ext));
    Open();
    for (int i = 0; i < 4; ++i) AddPoly(gitBorder, "B" + std::to_string(i), 10.0f * i, -3.0f * i);
    db_->SetGDBName("");
    std::string b = Slurp(File(dmg.ext));
    dmg.apply(b);
    Put(File(dmg.ext), b);
    Open();
    ASSERT_EQ(db_->GetNumEntries(), 4);
    EXPECT_EQ(Slurp(File(dmg.ext)), b);  // opening writes nothing
    for (int id = 1; id <= 4; ++id) EXPECT_EQ(db_->SearchForItemID(id), id);
    for (int i = 1; i <= 4; ++i) {
      EXPECT_EQ(db_->GetIxLatLow(i).RecIx, i);
      EXPECT_EQ(db_->GetIxLongLow(i).RecIx, 5 - i);
    }
    db_->DeleteData(1);
    EXPECT_EQ(fs::file_size(File(dmg.ext)), 24u);
  }
}

// -------------------------------------------------- lifecycle and lazy

TEST_F(GeoDBTest, LazyIndexesAreWrittenWhenSwitchedOffClosedRenamedOrDestroyed) {
  enum Trigger { kSwitchOff, kClose, kRename, kDestroy };
  for (Trigger t : {kSwitchOff, kClose, kRename, kDestroy}) {
    SCOPED_TRACE(t);
    db_ = std::make_unique<TGeoDB>();
    for (const char* ext : kExts) fs::remove(File(ext));
    Open();
    db_->SetLazyWrite(true);
    AddPoly(gitCity, "C1", 1, 2);
    AddPoly(gitCity, "C2", 3, 4);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(fs::file_size(File(kExts[i])), 0u);
    switch (t) {
      case kSwitchOff:
        db_->SetLazyWrite(false);
        break;
      case kClose:
        db_->SetGDBName("");
        break;
      case kRename:
        db_->SetGDBName(Path("other"));
        break;
      case kDestroy:
        db_.reset();
        break;
    }
    for (int i = 0; i < 5; ++i) EXPECT_EQ(fs::file_size(File(kExts[i])), 16u) << kExts[i];
    if (t == kRename) {
      EXPECT_EQ(db_->GetNumEntries(), 0);
      EXPECT_EQ(fs::file_size(Path("other.tkzgi0")), 0u);
    }
  }
}

TEST_F(GeoDBTest, ClosingForgetsEveryFileName) {
  Open();
  AddPoly(gitCity, "C1", 1, 2);
  db_->SetGDBName("");
  EXPECT_FALSE(db_->GetLazyWrite());
  EXPECT_EQ(db_->GetGDBName(), "");
  for (int i = 0; i < 5; ++i) db_->SaveIndex(i);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(fs::file_size(File(kExts[i])), 8u);
  EXPECT_EQ(db_->GetItemCounter(), 0);
  EXPECT_EQ(db_->GetDBVersion(), 4);
}

TEST_F(GeoDBTest, ANewDatabaseStartsFromAClearedHeader) {
  Open();
  db_->SetDescription("old");
  AddPoly(gitCity, "C1", 1, 2);
  AddPoly(gitCity, "C2", 1, 2);
  // Renamed straight to a database without files: its IDs start at 1.
  db_->SetGDBName(Path("fresh"));
  EXPECT_EQ(db_->GetItemCounter(), 0);
  EXPECT_EQ(db_->GetDescription(), "");
  EXPECT_EQ(AddPoly(gitCity, "N", 0, 0), 1);
  EXPECT_EQ(db_->GetSumdata(1).ItemID, 1);
  EXPECT_EQ(I32At(Slurp(Path("fresh.tkzgdd")), 0), 1);
  // Records without their header: the counter continues after their IDs.
  db_->SetGDBName("");
  fs::remove(File(".tkzgdd"));
  Open();
  EXPECT_EQ(db_->GetItemCounter(), 2);
  AddPoly(gitCity, "C3", 1, 2);
  EXPECT_EQ(db_->GetSumdata(3).ItemID, 3);
}

TEST_F(GeoDBTest, TheDestructorNeverThrows) {
  Open();
  db_->SetLazyWrite(true);
  AddPoly(gitCity, "C1", 1, 2);
  fs::remove_all(dir_);  // the indexes can no longer be written
  EXPECT_NO_THROW(db_.reset());
  fs::create_directory(dir_);
}

// ---------------------------------------------------------- accessors

TEST_F(GeoDBTest, AccessorsClampAndAnEmptyDatabaseGivesClearedValues) {
  Open();
  const TgdbData empty = db_->GetSumdata(1);
  EXPECT_EQ(empty.ItemID, 0);
  EXPECT_EQ(empty.DataPos, -1);
  EXPECT_EQ(empty.ItemType, gitUndefined);
  EXPECT_GT(empty.DateTime, 40000);  // now
  EXPECT_EQ(db_->GetIxLatLow(1), TIxLLRec{});
  EXPECT_EQ(db_->GetIxItemID(-3), TIxItemIDRec{});
  EXPECT_EQ(db_->GetClosestLatLowIx(5), 1);
  EXPECT_EQ(db_->SearchForItemID(1), 0);

  AddPoly(gitRiver, "first", 1, 1);
  AddPoly(gitRiver, "second", 2, 2);
  AddPoly(gitRiver, "third", 3, 3);
  EXPECT_EQ(db_->GetSumdata(0).Name, "first");
  EXPECT_EQ(db_->GetSumdata(-9).Name, "first");
  EXPECT_EQ(db_->GetSumdata(3 + 5).Name, "third");
  EXPECT_EQ(db_->GetIxLatHigh(0).RecIx, 1);
  EXPECT_EQ(db_->GetIxLatHigh(99).RecIx, 3);
  EXPECT_EQ(db_->GetIxLongHigh(99).Value, 3.0f);
  EXPECT_EQ(db_->SearchForItemID(77), 0);
}

// -------------------------------------------------------------- indexes

TEST_F(GeoDBTest, ClosestPositionFollowsTheBinarySearch) {
  // Keys 1, 2, 2, 3 in the LatLow index (towns: low = high = latitude).
  Open();
  TGeoDB& db = *db_;
  for (float lat : {2.0f, 1.0f, 3.0f, 2.0f}) db.AddTown("t", 0, 0, {lat, 0}, 0, 0, 0);
  const std::pair<float, int> cases[] = {{0.5f, 1}, {1, 1},  {1.5f, 2}, {2.5f, 4},
                                         {3, 4},    {10, 5}, {-100, 1}};
  for (auto [v, want] : cases) {
    EXPECT_EQ(db.GetClosestLatLowIx(v), want) << v;
    EXPECT_EQ(db.GetClosestLatHighIx(v), want) << v;
  }
  const int at2 = db.GetClosestLatLowIx(2);
  EXPECT_EQ(db.GetIxLatLow(at2).Value, 2.0f);
  EXPECT_EQ(db.GetClosestItemIDIx(3), 3);
  EXPECT_EQ(db.GetClosestItemIDIx(9), 5);
}

// A NaN bound sorts after every number, whether sorted in at once or
// appended under LazyWrite, so that the searches still find the numbers.
TEST_F(GeoDBTest, NaNBoundsStayBehindTheNumbers) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  for (const bool lazy : {false, true}) {
    SCOPED_TRACE(lazy ? "LazyWrite" : "at once");
    for (const char* ext : kExts) fs::remove(File(ext));
    Open();
    db_->SetLazyWrite(lazy);
    for (float lat : {1.0f, 2.0f, 3.0f, nan, 0.0f}) db_->AddTown("t", 0, 0, {lat, 5}, 0, 0, 0);
    EXPECT_EQ(db_->FindItemsInWindow(0.5f, 1.5f, 4, 6), std::vector<int>{1});
    EXPECT_EQ(db_->FindItemsInWindow(-10, 10, 4, 6), (std::vector<int>{1, 2, 3, 5}));
    EXPECT_EQ(db_->GetClosestLatLowIx(1), 2);
    EXPECT_EQ(db_->GetClosestLatHighIx(3), 4);
    EXPECT_EQ(db_->GetClosestLatLowIx(2.5f), 4);
    EXPECT_EQ(db_->GetClosestLatLowIx(nan), 5);
    EXPECT_TRUE(std::isnan(db_->GetIxLatLow(5).Value));
    db_->SetGDBName("");
    EXPECT_TRUE(CheckGeoDB(Base()).empty());
  }
}

// Entries appended under LazyWrite are sorted in as a rebuild orders them
// (stable: by record among equal keys), also after earlier entries that
// were sorted in when an index was read half way.
TEST_F(GeoDBTest, LazyIndexesAreOrderedAsARebuildOrdersThem) {
  Open();
  db_->SetLazyWrite(true);
  std::mt19937 rng(7);
  std::uniform_int_distribution<int> coord(-3, 3);  // many equal keys
  auto add = [&](int n) {
    for (int i = 0; i < n; ++i)
      db_->AddTown("t", 0, 0, {static_cast<float>(coord(rng)), static_cast<float>(coord(rng))}, 0,
                   0, 0);
  };
  auto entries = [&] {
    std::vector<std::vector<std::pair<float, int>>> all(5);
    for (int i = 1; i <= db_->GetNumEntries(); ++i) {
      all[0].push_back({static_cast<float>(db_->GetIxItemID(i).ItemID), db_->GetIxItemID(i).RecIx});
      const TIxLLRec ll[4] = {db_->GetIxLatLow(i), db_->GetIxLatHigh(i), db_->GetIxLongLow(i),
                              db_->GetIxLongHigh(i)};
      for (int k = 0; k < 4; ++k) all[k + 1].push_back({ll[k].Value, ll[k].RecIx});
    }
    return all;
  };
  add(40);
  EXPECT_EQ(db_->SearchForItemID(17), 17);  // sorts the first 40
  add(60);
  const auto lazy = entries();
  db_->RecalcIndexes();
  EXPECT_EQ(lazy, entries());
  // What the files receive is the same.
  db_->SetLazyWrite(false);
  const auto copy = OpenCopy();
  for (int i = 1; i <= db_->GetNumEntries(); ++i) {
    EXPECT_EQ(copy->GetIxLongLow(i), db_->GetIxLongLow(i));
    EXPECT_EQ(copy->GetIxItemID(i), db_->GetIxItemID(i));
  }
}

TEST(GeoDBIndex, EqualKeysGoBeforeTheEqualEntryTheSearchMeets) {
  // Keys 1, 2, 2, 2, 3 with record numbers 0..4 and a free last slot: the
  // search meets the middle 2 (position 2) and the new entry goes there.
  TIxLLRecArray ix = {{1, 0}, {2, 1}, {2, 2}, {2, 3}, {3, 4}, {}};
  TGeoDB::SortIxInto(ix, {2, 9});
  const TIxLLRecArray want = {{1, 0}, {2, 1}, {2, 9}, {2, 2}, {2, 3}, {3, 4}};
  EXPECT_EQ(ix, want);
  TIxItemIDRecArray id = {{5, 0}, {}};
  TGeoDB::SortIxItemIDInto(id, {7, 1});
  EXPECT_EQ(id, (TIxItemIDRecArray{{5, 0}, {7, 1}}));
  TIxItemIDRecArray one(1);
  TGeoDB::SortIxItemIDInto(one, {4, 0});
  EXPECT_EQ(one, (TIxItemIDRecArray{{4, 0}}));
}

// Random adds, replacements and deletions; after each step every index
// must equal the records' keys sorted (the oracle), and every ID must be
// found where the records say.
TEST_F(GeoDBTest, IndexesFollowTheRecordsThroughRandomChanges) {
  Open();
  db_->SetLazyWrite(true);  // the files are compared once, at the end
  std::mt19937 rng(12345);
  std::uniform_int_distribution<int> coord(-20, 20);  // many equal keys
  for (int step = 0; step < 300; ++step) {
    const int n = db_->GetNumEntries();
    const int op = n < 5 ? 0 : static_cast<int>(rng() % 4);
    if (op <= 1) {
      db_->AddTown("t", 0, 0, {static_cast<float>(coord(rng)), static_cast<float>(coord(rng))}, 0,
                   0, 0);
    } else if (op == 2) {
      const TgdbPolygon p = {{static_cast<float>(coord(rng)), static_cast<float>(coord(rng))},
                             {static_cast<float>(coord(rng)), static_cast<float>(coord(rng))}};
      db_->ReplaceData(1 + static_cast<int>(rng() % n), "r", p, false, gitRoad, 0, 0, 0, 0, 0, 0, 0,
                       0, 0, TMetaInfo{}, nullptr, 0, false);
    } else {
      db_->DeleteData(1 + static_cast<int>(rng() % n));
    }
    const int m = db_->GetNumEntries();
    for (int k = 1; k <= 4; ++k) {
      std::vector<float> keys, ix;
      for (int r = 1; r <= m; ++r) {
        const TgdbData d = db_->GetSumdata(r);
        keys.push_back(k == 1 ? d.LatLow : k == 2 ? d.LatHigh : k == 3 ? d.LongLow : d.LongHigh);
      }
      std::sort(keys.begin(), keys.end());
      for (int i = 1; i <= m; ++i) {
        const TIxLLRec e = k == 1   ? db_->GetIxLatLow(i)
                           : k == 2 ? db_->GetIxLatHigh(i)
                           : k == 3 ? db_->GetIxLongLow(i)
                                    : db_->GetIxLongHigh(i);
        ix.push_back(e.Value);
        const TgdbData d = db_->GetSumdata(e.RecIx);
        ASSERT_EQ(k == 1   ? d.LatLow
                  : k == 2 ? d.LatHigh
                  : k == 3 ? d.LongLow
                           : d.LongHigh,
                  e.Value);
      }
      ASSERT_EQ(ix, keys) << "index " << k << " step " << step;
    }
    for (int r = 1; r <= m; ++r) ASSERT_EQ(db_->SearchForItemID(db_->GetSumdata(r).ItemID), r);
  }
  // The files hold the same as memory.
  db_->SetLazyWrite(false);
  const auto copy = OpenCopy();
  TGeoDB& other = *copy;
  for (int i = 1; i <= db_->GetNumEntries(); ++i) {
    EXPECT_EQ(other.GetIxLongHigh(i), db_->GetIxLongHigh(i));
    EXPECT_EQ(other.GetSumdata(i), db_->GetSumdata(i));
  }
}

TEST_F(GeoDBTest, RemovingIndexEntriesKeepsTheLength) {
  Open();
  for (float lat : {5.0f, 1.0f, 3.0f}) db_->AddTown("t", 0, 0, {lat, lat}, 0, 0, 0);
  db_->RemoveIndexEntries(3);  // lat 3, at position 2 of the LatLow index
  EXPECT_EQ(db_->GetIxLatLow(1).Value, 1.0f);
  EXPECT_EQ(db_->GetIxLatLow(2).Value, 5.0f);
  EXPECT_EQ(db_->GetIxLatLow(3).Value, 5.0f);  // stale copy in the last slot
  db_->RemoveIndexEntries(9);                  // no such record: unchanged
  EXPECT_EQ(db_->GetIxLatLow(2).Value, 5.0f);
  db_->RecalcIndexes();
  EXPECT_EQ(db_->GetIxLatLow(2).Value, 3.0f);
}

}  // namespace
}  // namespace tkz::geodb_test
