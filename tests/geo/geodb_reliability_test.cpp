// TGeoDB under a killed writer and a second object on the same files: a
// child process adds items and reports each add that returned on a pipe until
// it is killed at a random moment; the database must then open consistently
// and hold every reported item. The advisory lock keeps a second object out,
// in this process and in a child.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <functional>
#include <random>

#include "geo/geodb_test_support.h"

namespace tkz::geodb_test {
namespace {

// Item i of the writer: a town, a polygon of 1 + i % 7 vertices, or a BLOB
// of 100 * (i % 50) bytes, each identifiable by its name and content.
std::string ItemName(int i) { return "item " + std::to_string(i); }
TgdbPolygon ItemPolygon(int i) {
  TgdbPolygon p;
  for (int v = 0; v <= i % 7; ++v) p.push_back({float(i % 80) + v * 0.125f, float(v - i % 170)});
  return p;
}
std::string ItemBlob(int i) {
  std::string b(static_cast<size_t>(100 * (i % 50)), '\0');
  for (size_t k = 0; k < b.size(); ++k) b[k] = static_cast<char>(i * 31 + k);
  return b;
}
void AddItem(TGeoDB& db, int i) {
  switch (i % 3) {
    case 0:
      db.AddTown(ItemName(i), 45000, i, {float(i % 90), float(i % 180)}, 0, 0, 0);
      break;
    case 1:
      db.AddRiver(ItemName(i), ItemPolygon(i), 45000, i, 0, 0, 0, 0, 0, 0, 0);
      break;
    default: {
      const std::string b = ItemBlob(i);
      db.AddBLOB(ItemName(i), 45000, i, 1, 2, 3, 4, 0, 0, 0, TMetaInfo{}, b.data(),
                 static_cast<int64_t>(b.size()));
    }
  }
}
// Whether record r holds item i as AddItem stored it.
void ExpectItem(TGeoDB& db, int r, int i) {
  const TgdbData d = db.GetSumdata(r);
  ASSERT_EQ(d.Name, ItemName(i));
  EXPECT_EQ(d.UserInt1, i);
  if (i % 3 == 1) {
    TgdbPolygon p;
    ASSERT_TRUE(db.RetrievePolygon(r, p)) << ItemName(i);
    EXPECT_EQ(p, ItemPolygon(i));
  } else if (i % 3 == 2) {
    std::string b(ItemBlob(i).size(), '\0');
    TMetaInfo meta;
    ASSERT_TRUE(db.RetrieveBLOB(r, meta, b.data(), static_cast<int64_t>(b.size()))) << ItemName(i);
    EXPECT_TRUE(b == ItemBlob(i)) << ItemName(i) << ": the BLOB differs";
  }
}

// The in-memory indexes describe the records: each index holds every record
// once, with its key, in order.
void ExpectIndexesMatch(const TGeoDB& db) {
  const int n = db.GetNumEntries();
  std::vector<int> seen(static_cast<size_t>(n) + 1);
  for (int k = 1; k <= n; ++k) {
    const TIxItemIDRec e = db.GetIxItemID(k);
    ASSERT_TRUE(e.RecIx >= 1 && e.RecIx <= n);
    ++seen[e.RecIx];
    EXPECT_EQ(e.ItemID, db.GetSumdata(e.RecIx).ItemID);
    if (k > 1) {
      EXPECT_LE(db.GetIxItemID(k - 1).ItemID, e.ItemID);
    }
    const TIxLLRec lat = db.GetIxLatLow(k);
    EXPECT_EQ(lat.Value, db.GetSumdata(lat.RecIx).LatLow);
    if (k > 1) {
      EXPECT_LE(db.GetIxLatLow(k - 1).Value, lat.Value);
    }
  }
  for (int r = 1; r <= n; ++r) EXPECT_EQ(seen[r], 1) << "record " << r;
}

// Runs work in a child process, which calls report() after each step that
// returned, and kills it `delay_us` microseconds after its first `reports`
// reports (or its end). The result is the number of steps reported, in order;
// -1 if the child could not run, failed by itself or, where `must_be_killed`,
// ended before the kill.
using ReportedWork = std::function<void(const std::function<void()>& report)>;
int RunAndKill(const ReportedWork& work, int reports, useconds_t delay_us, bool must_be_killed) {
  int fds[2];
  const pid_t pid = ::pipe(fds) == 0 ? ::fork() : -1;
  if (pid < 0) {
    ADD_FAILURE() << "no child process: " << std::strerror(errno);
    return -1;
  }
  if (pid == 0) {
    ::close(fds[0]);
    int step = 0;
    try {
      work([&] {
        if (::write(fds[1], &step, sizeof step) != sizeof step) ::_exit(4);
        ++step;
      });
    } catch (...) {
      ::_exit(3);
    }
    ::_exit(0);
  }
  ::close(fds[1]);
  int reported = 0, step = 0;
  auto next = [&] {
    if (::read(fds[0], &step, sizeof step) != sizeof step) return false;
    EXPECT_EQ(step, reported++) << "the child's reports are out of order";
    return true;
  };
  while (reported < reports && next()) continue;
  ::usleep(delay_us);
  ::kill(pid, SIGKILL);
  int status = 0;
  ::waitpid(pid, &status, 0);
  while (next()) continue;
  ::close(fds[0]);
  if (WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) return reported;
  if (must_be_killed || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    ADD_FAILURE() << "the child ended by itself: status " << status;
    return -1;
  }
  return reported;
}

class GeoDBCrashTest : public GeoDBTest, public testing::WithParamInterface<bool> {};

// 50 writers killed at random moments (seeded), with LazyWrite off and on.
// The database files live in a folder of their own for each run.
TEST_P(GeoDBCrashTest, KilledWriterLeavesEveryReturnedAdd) {
  const bool lazy = GetParam();
  std::mt19937 rng(lazy ? 2024 : 1999);
  int max_returned = 0;
  for (int run = 0; run < 50; ++run) {
    const std::string dir = Path("run" + std::to_string(run));
    std::filesystem::create_directory(dir);
    const std::string name = dir + "/db.tkzgds";
    // The kill falls after a random number of adds, a random time into the
    // next ones (fewer without LazyWrite, whose adds each replace five files).
    const int depth = std::uniform_int_distribution<int>(0, lazy ? 40 : 10)(rng);
    const useconds_t delay = std::uniform_int_distribution<useconds_t>(0, 3000)(rng);
    const int returned = RunAndKill(
        [&](const std::function<void()>& report) {
          TGeoDB db;
          db.SetGDBName(name);
          db.SetLazyWrite(lazy);
          for (int i = 0;; ++i) {
            AddItem(db, i);
            report();
          }
        },
        depth, delay, true);
    ASSERT_GE(returned, 0) << "run " << run;
    max_returned = std::max(max_returned, returned);

    // On disk, only the index files may lag behind the records (and a
    // writer killed while creating the database may not have made them all).
    for (const TgdbProblem& p : CheckGeoDB(name)) {
      if (returned == 0 && p.Text.starts_with("missing")) continue;
      EXPECT_NE(p.File.find(".tkzgi"), std::string::npos)
          << "run " << run << ": " << p.File << ": " << p.Text;
    }
    TGeoDB db;
    ASSERT_NO_THROW(db.SetGDBName(name)) << "run " << run;
    // The add that was under way may have got as far as its record.
    ASSERT_GE(db.GetNumEntries(), returned) << "run " << run;
    ASSERT_LE(db.GetNumEntries(), returned + 1) << "run " << run;
    for (int r = 1; r <= db.GetNumEntries(); ++r) ExpectItem(db, r, r - 1);
    ExpectIndexesMatch(db);
    EXPECT_GE(db.GetItemCounter(), db.GetNumEntries());
    db.SetGDBName("");
    RepairGeoDB(name);
    EXPECT_TRUE(CheckGeoDB(name).empty()) << "run " << run;
  }
  // The kills fell at different depths of the bulk load.
  EXPECT_GT(max_returned, 5);
}

INSTANTIATE_TEST_SUITE_P(LazyWrite, GeoDBCrashTest, testing::Bool());

class GeoDBKillTest : public GeoDBTest {
 protected:
  // The file name of a database in the new folder Dir holding items
  // 0..Items-1, of which the first Deleted were deleted again (record 1 + 5k
  // each time), leaving garbage in the data file.
  std::string NewDatabase(const std::string& Dir, int Items, int Deleted) {
    std::filesystem::create_directory(Path(Dir));
    const std::string name = Path(Dir) + "/db.tkzgds";
    TGeoDB db;
    db.SetGDBName(name);
    db.SetLazyWrite(true);
    for (int i = 0; i < Items; ++i) AddItem(db, i);
    for (int k = 0; k < Deleted; ++k) db.DeleteData(1 + k * 5);
    return name;
  }
};

// Deleting killed at random moments (seeded): every item not deleted is
// still there once, whether the delete under way took effect or not.
TEST_F(GeoDBKillTest, KilledDeleterLeavesEachItemOnce) {
  std::mt19937 rng(4242);
  for (int run = 0; run < 30; ++run) {
    const std::string name = NewDatabase("del" + std::to_string(run), 60, 0);
    const int returned = RunAndKill(
        [&](const std::function<void()>& report) {
          TGeoDB db;
          db.SetGDBName(name);
          db.SetLazyWrite(true);
          while (db.GetNumEntries() > 1) {
            db.DeleteData(1);
            report();
          }
        },
        0, std::uniform_int_distribution<useconds_t>(0, 2000)(rng), false);
    ASSERT_GE(returned, 0) << "run " << run;
    TGeoDB db;
    ASSERT_NO_THROW(db.SetGDBName(name)) << "run " << run;
    const int n = db.GetNumEntries();
    EXPECT_TRUE(n == 60 - returned || n == 59 - returned) << "run " << run << ": " << n;
    std::vector<int> seen(60);
    for (int r = 1; r <= n; ++r) {
      const int i = db.GetSumdata(r).UserInt1;
      ASSERT_TRUE(i >= 0 && i < 60);
      EXPECT_EQ(++seen[i], 1) << "run " << run << ": item " << i << " twice";
      ExpectItem(db, r, i);
    }
    ExpectIndexesMatch(db);
  }
}

// The state of a delete stopped between moving the last record into the gap
// and shortening the file, made by hand: the moved item is there once.
TEST_F(GeoDBTest, DeleteStoppedBeforeShorteningKeepsEachItemOnce) {
  Open();
  for (int i = 0; i < 5; ++i) AddItem(*db_, i);
  db_->SetGDBName("");
  namespace fs = std::filesystem;
  std::string recs(static_cast<size_t>(fs::file_size(File(".tkzgds"))), '\0');
  {
    TFileStream f(File(".tkzgds"), fmOpenReadWrite);
    f.ReadBuffer(recs.data(), static_cast<int64_t>(recs.size()));
    f.SetPosition(120);  // record 2 of 5 deleted: record 5 written over it
    f.WriteBuffer(recs.data() + 4 * 120, 120);
  }
  Open();
  ASSERT_EQ(db_->GetNumEntries(), 4);
  for (int r = 1; r <= 4; ++r) ExpectItem(*db_, r, r == 2 ? 4 : r - 1);
  ExpectIndexesMatch(*db_);
  EXPECT_EQ(fs::file_size(File(".tkzgds")), 4u * 120);
  db_->SetGDBName("");
  RepairGeoDB(Base());
  EXPECT_TRUE(CheckGeoDB(Base()).empty());
}

// Compaction killed at random moments (seeded): the database opens with every
// item and payload it had, compacted or not.
TEST_F(GeoDBKillTest, KilledCompactionLosesNothing) {
  std::mt19937 rng(77);
  for (int run = 0; run < 30; ++run) {
    const std::string name = NewDatabase("gc" + std::to_string(run), 240, 40);
    std::vector<TgdbData> before;
    {
      TGeoDB db;
      db.SetGDBName(name);
      for (int r = 1; r <= db.GetNumEntries(); ++r) before.push_back(db.GetSumdata(r));
    }
    const auto compact = [&](const std::function<void()>&) {
      TGeoDB db;
      db.SetGDBName(name);
      db.GarbageCollection();
    };
    ASSERT_GE(
        RunAndKill(compact, 0, std::uniform_int_distribution<useconds_t>(0, 40000)(rng), false), 0)
        << "run " << run;
    TGeoDB db;
    ASSERT_NO_THROW(db.SetGDBName(name)) << "run " << run;
    ASSERT_EQ(db.GetNumEntries(), static_cast<int>(before.size())) << "run " << run;
    for (int r = 1; r <= db.GetNumEntries(); ++r) {
      EXPECT_EQ(db.GetSumdata(r).ItemID, before[r - 1].ItemID);
      ExpectItem(db, r, db.GetSumdata(r).UserInt1);
    }
    db.SetGDBName("");
    for (const TgdbProblem& p : CheckGeoDB(name))
      ADD_FAILURE() << "run " << run << ": " << p.File << ": " << p.Text;
  }
}

// The states a compaction stopped at any point can leave, made by hand: the
// database opens with every item, and no temporary file stays.
TEST_F(GeoDBTest, CompactionStoppedBetweenItsStepsIsFinishedOrUndone) {
  namespace fs = std::filesystem;
  const std::string name = Base() + ".tkzgds";
  auto build = [&] {
    for (const char* ext : {".tkzgdd", ".tkzgds", ".tkzgdd.gc", ".tkzgds.gc"})
      fs::remove(File(ext));
    TGeoDB db;
    db.SetGDBName(name);
    for (int i = 0; i < 30; ++i) AddItem(db, i);
    for (int i = 0; i < 10; ++i) db.DeleteData(1);
  };
  auto copy = [&](const char* from, const char* to) {
    fs::copy_file(File(from), File(to), fs::copy_options::overwrite_existing);
  };
  // The compacted files, kept aside.
  build();
  copy(".tkzgds", "old_recs");
  {
    TGeoDB db;
    db.SetGDBName(name);
    ASSERT_GT(db.GarbageCollection(), 0);
  }
  copy(".tkzgdd", "new_data");
  copy(".tkzgds", "new_recs");
  struct State {
    const char* what;
    bool data_renamed;  // else both temporary files lie beside the old files
    bool recs_written;  // the temporary record file is complete
  };
  for (const State st :
       {State{"between the renames", true, true}, State{"before the renames", false, true},
        State{"while writing the records", false, false}}) {
    build();
    if (st.data_renamed) {
      copy("new_data", ".tkzgdd");
    } else {
      copy("new_data", ".tkzgdd.gc");
    }
    copy("new_recs", ".tkzgds.gc");
    if (!st.recs_written) fs::resize_file(File(".tkzgds.gc"), 100);
    TGeoDB db;
    ASSERT_NO_THROW(db.SetGDBName(name)) << st.what;
    ASSERT_EQ(db.GetNumEntries(), 20) << st.what;
    for (int r = 1; r <= 20; ++r) ExpectItem(db, r, db.GetSumdata(r).UserInt1);
    EXPECT_FALSE(fs::exists(File(".tkzgds.gc")) || fs::exists(File(".tkzgdd.gc"))) << st.what;
    db.SetGDBName("");
    for (const TgdbProblem& p : CheckGeoDB(name)) ADD_FAILURE() << st.what << ": " << p.Text;
  }
}

// ------------------------------------------------------------------- lock

using GeoDBLockTest = GeoDBTest;

TEST_F(GeoDBLockTest, SecondObjectIsRefusedUntilTheFirstLetsGo) {
  Open();
  db_->AddTown("A", 0, 0, {1, 2}, 0, 0, 0);
  TGeoDB second;
  second.SetName("GDB2");
  // Refused whatever extension names the files, and left closed.
  for (const char* ext : {".tkzgds", ".tkzgdd", ".x"}) {
    try {
      second.SetGDBName(Base() + ext);
      ADD_FAILURE() << "a second object opened the database through " << ext;
    } catch (const ETKZGeoDBError& e) {
      EXPECT_EQ(std::string(e.what()), "Component \"GDB2\": SetGDBName: database \"" + Base() +
                                           "\" is in use by another object.");
    }
    EXPECT_FALSE(second.IsOpen());
  }
  // Compaction replaces the data file but keeps the database locked.
  db_->DeleteData(1);
  db_->GarbageCollection();
  EXPECT_THROW(second.SetGDBName(Base()), ETKZGeoDBError);
  // Naming the same database again is no conflict with itself.
  EXPECT_NO_THROW(db_->SetGDBName(Base()));
  // Each way of letting go frees the files: closing, naming another
  // database, destruction.
  db_->SetGDBName("");
  ASSERT_NO_THROW(second.SetGDBName(Base()));
  second.SetGDBName(Path("other"));
  ASSERT_NO_THROW(db_->SetGDBName(Base()));
  db_.reset();
  EXPECT_NO_THROW(second.SetGDBName(Base()));
}

// The child's answer: 0 opened, 1 refused as in use, 2 anything else.
int OpenInChild(const std::string& name) {
  const pid_t pid = ::fork();
  if (pid == 0) {
    try {
      TGeoDB db;
      db.SetGDBName(name);
      ::_exit(0);
    } catch (const ETKZGeoDBError& e) {
      ::_exit(std::string(e.what()).find("in use by another object") != std::string::npos ? 1 : 2);
    } catch (...) {
      ::_exit(2);
    }
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST_F(GeoDBLockTest, AnotherProcessIsRefusedWhileTheDatabaseIsNamed) {
  Open();
  EXPECT_EQ(OpenInChild(Base()), 1);
  db_->SetGDBName("");
  EXPECT_EQ(OpenInChild(Base()), 0);
  // The child's lock ended with the child.
  EXPECT_NO_THROW(Open());
}

TEST_F(GeoDBLockTest, ReadOnlyDatabaseStillOpens) {
  Open();
  db_->AddTown("A", 0, 0, {1, 2}, 0, 0, 0);
  db_->SetGDBName("");
  namespace fs = std::filesystem;
  const auto ro = fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
  for (const char* ext : {".tkzgdd", ".tkzgds"})
    fs::permissions(File(ext), ro, fs::perm_options::remove);
  if (::access(File(".tkzgdd").c_str(), W_OK) == 0) GTEST_SKIP() << "running as root";
  ASSERT_NO_THROW(Open());
  EXPECT_EQ(db_->GetSumdata(1).Name, "A");
  TGeoDB second;
  EXPECT_THROW(second.SetGDBName(Base()), ETKZGeoDBError);
}

}  // namespace
}  // namespace tkz::geodb_test
