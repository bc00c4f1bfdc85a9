// Allocation failures: every allocation an operation makes is failed in turn
// (1st, 2nd, ... until the operation runs through). After each failure the
// object must be exactly as it was before the call (contents, sizes, string
// handles), or, where the header defines the outcome of a failure, in that
// state; and it must still be usable: the same operation then succeeds and
// gives what an undisturbed run gives.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <memory>
#include <new>
#include <string>
#include <utility>

#include "core/dstruct/strarray.h"
#include "core/numkit/svd.h"
#include "core/types/tkzbase.h"
#include "tests/core/alloc/failing_new.h"
#include "tests/support/temp_dir.h"

namespace tkz {
namespace {

using alloc_testing::FailAllocation;

TEST(FailAllocation, FailsTheArmedAllocationOnly) {
  {
    FailAllocation arm(2);
    auto first = std::make_unique<int>(1);
    EXPECT_THROW((void)std::make_unique<int>(2), std::bad_alloc);
    auto third = std::make_unique<std::array<char, 100>>();
    EXPECT_TRUE(arm.Fired());
  }
  FailAllocation arm(1);
  EXPECT_EQ(new (std::nothrow) int[4], nullptr);
  EXPECT_TRUE(arm.Fired());
}

// Runs op on fresh objects from make(), failing the 1st, 2nd, ... allocation
// of op, and checks the object after each failure against failed(before)
// (the state before the call, unless a header defines another) or the state
// of a completed run. Returns the number of allocations op makes.
template <typename Make, typename State, typename Op, typename Failed>
int FailEachAllocation(Make make, State state, Op op, Failed failed) {
  auto ref = make();
  op(*ref);
  const std::string done = state(*ref);
  for (int n = 1; n <= 10000; ++n) {
    auto obj = make();
    const std::string before = state(*obj);
    bool fired;
    {
      FailAllocation arm(n);
      try {
        op(*obj);
      } catch (const std::bad_alloc&) {
      } catch (const ETKZError&) {  // a failure reported in the library's terms
      }
      fired = arm.Fired();
    }
    if (!fired) {
      EXPECT_EQ(state(*obj), done);
      return n - 1;
    }
    // An operation may also absorb the failure and finish (std::stable_sort
    // does without its buffer when a nothrow allocation fails).
    const std::string after = state(*obj);
    if (after == done) continue;
    EXPECT_EQ(after, failed(before)) << "allocation " << n << " failed";
    op(*obj);
    EXPECT_EQ(state(*obj), done) << "run again after allocation " << n << " failed";
  }
  ADD_FAILURE() << "no end of allocations";
  return -1;
}

template <typename Make, typename State, typename Op>
int FailEachAllocation(Make make, State state, Op op) {
  return FailEachAllocation(make, state, op, [](const std::string& s) { return s; });
}

// ------------------------------------------------------------ TStringArray

// Everything a user can observe of the table, handles and pool included.
std::string Dump(const TStringArray& a) {
  std::string s = "cols " + std::to_string(a.GetNrOfColumns()) + " rows " +
                  std::to_string(a.GetNrOfRows()) + " cap " + std::to_string(a.GetRowCapacity()) +
                  " pages";
  for (int p = 1; p <= a.GetPageCount(); ++p) s += " " + std::to_string(a.GetPageFill(p));
  s += "\ncol attrs";
  for (int c = 1; c <= a.GetNrOfColumns(); ++c) s += " " + std::to_string(a.GetColAttrib(c));
  s += std::string("\nevents ") + (a.OnChange ? "C" : "-") + (a.OnBeforeSortExchange ? "B" : "-") +
       (a.OnPercentDone ? "P" : "-") + "\n";
  for (int r = 1; r <= a.GetNrOfRows(); ++r) {
    s += std::to_string(r) + "->" + std::to_string(a.GetSortOrder(r)) + " attr " +
         std::to_string(a.GetRowAttrib(r)) + ":";
    for (int c = 0; c <= a.GetNrOfColumns(); ++c)
      s += " [" + std::to_string(a.GetHandle(c, r)) + "]" + a.GetString(c, r);
    s += "\n";
  }
  return s;
}

std::string Text(int i, size_t len) {
  std::string t = "cell" + std::to_string(i) + "/";
  while (t.size() < len) t += static_cast<char>('a' + (i + t.size()) % 26);
  return t.substr(0, len);
}

// Three columns, Rows rows of varied texts (some longer than a short-string
// buffer), attributes, and a sorted view that is not committed.
std::unique_ptr<TStringArray> Table(int rows = 20) {
  auto a = std::make_unique<TStringArray>();
  a->Resize(3, rows);
  for (int r = 1; r <= rows; ++r) {
    for (int c = 0; c <= 3; ++c) a->SetString(c, r, Text(r * 5 + c, (r * 7 + c * 3) % 40));
    a->SetRowAttrib(r, static_cast<uint8_t>(r));
  }
  for (int c = 1; c <= 3; ++c) a->SetColAttrib(c, static_cast<uint8_t>(10 * c));
  a->Sort(1, 2, false);
  return a;
}

// One column whose strings of 255 bytes fill `pages` pool pages to the
// point where the next one needs a new page.
std::unique_ptr<TStringArray> FullPages(int pages) {
  auto a = std::make_unique<TStringArray>();
  a->SetNrRows(127 * pages + 3);
  for (int r = 1; r <= 127 * pages; ++r) a->SetString(1, r, Text(r, 255));
  return a;
}

TEST(StringArrayAllocation, StoringAStringThatNeedsANewPage) {
  for (int pages : {1, 2, 4}) {
    SCOPED_TRACE(std::to_string(pages) + " full pages");
    const int row = 127 * pages + 1;
    EXPECT_GT(FailEachAllocation([&] { return FullPages(pages); }, Dump,
                                 [&](TStringArray& a) { a.SetString(1, row, Text(0, 255)); }),
              0);
    // A longer text for a cell that has a short one: it moves to a new slot.
    EXPECT_GT(FailEachAllocation(
                  [&] {
                    auto a = FullPages(pages);
                    a->SetString(1, row + 1, "ab");
                    return a;
                  },
                  Dump, [&](TStringArray& a) { a.SetString(1, row + 1, Text(1, 255)); }),
              0);
    // After a compaction the pool's page index is rebuilt on the next store.
    EXPECT_GT(FailEachAllocation(
                  [&] {
                    auto a = FullPages(pages);
                    a->SetString(1, 1, "");
                    a->GarbageCollection();
                    return a;
                  },
                  Dump, [&](TStringArray& a) { a.SetString(1, row + 1, Text(2, 200)); }),
              0);
  }
  // Several failed stores in a row leave the pool as consistent as one.
  auto a = FullPages(2);
  for (int k = 0; k < 5; ++k) {
    FailAllocation arm(1 + k % 3);
    try {
      a->SetString(1, 127 * 2 + 1, Text(k, 255));
    } catch (const std::bad_alloc&) {
    }
  }
  const std::string before = Dump(*a);
  for (int r = 127 * 2 + 1; r <= 127 * 2 + 3; ++r) a->SetString(1, r, Text(r, 255));
  for (int r = 1; r <= 127 * 2 + 3; ++r) ASSERT_EQ(a->GetString(1, r), Text(r, 255)) << r;
  a->GarbageCollection();
  for (int r = 1; r <= 127 * 2 + 3; ++r) ASSERT_EQ(a->GetString(1, r), Text(r, 255)) << r;
  EXPECT_NE(before, Dump(*a));
}

TEST(StringArrayAllocation, ShapeChangesAndCompaction) {
  struct Case {
    const char* name;
    void (*op)(TStringArray&);
  };
  const Case cases[] = {
      {"AddRow", [](TStringArray& a) { a.AddRow(); }},
      {"SetNrRows", [](TStringArray& a) { a.SetNrRows(55); }},
      {"SetNrCols up", [](TStringArray& a) { a.SetNrCols(6); }},
      {"SetNrCols down", [](TStringArray& a) { a.SetNrCols(2); }},
      {"Resize", [](TStringArray& a) { a.Resize(4, 31); }},
      {"InsertRow", [](TStringArray& a) { a.InsertRow(3); }},
      {"InsertColumn", [](TStringArray& a) { a.InsertColumn(2); }},
      {"RemoveColumn", [](TStringArray& a) { a.RemoveColumn(2); }},
      {"GarbageCollection", [](TStringArray& a) { a.GarbageCollection(); }},
      {"CommitSorting", [](TStringArray& a) { a.CommitSorting(); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_GT(FailEachAllocation([] { return Table(); }, Dump, c.op), 0);
  }
}

TEST(StringArrayAllocation, SortWithAKeyEvent) {
  // The key event makes long keys, so comparing rows allocates.
  EXPECT_GT(FailEachAllocation(
                [] {
                  auto a = Table(12);
                  a->UnSort();
                  a->OnBeforeSortExchange = [](TObject*, const std::string& in, std::string& out) {
                    out = std::string(in.rbegin(), in.rend()) + std::string(40, '.');
                  };
                  return a;
                },
                Dump, [](TStringArray& a) { a.Sort(1, 2, true); }),
            0);
}

TEST(StringArrayAllocation, AssignCopiesAllOrNothing) {
  auto src = Table(25);
  src->Resize(4, 25);
  src->SetString(4, 7, Text(99, 255));
  std::array<char, 64> big{};  // too large for the event's inline buffer
  src->OnChange = [big](TObject*) { (void)big; };
  src->OnBeforeSortExchange = [big](TObject*, const std::string& in, std::string& out) {
    out = in + big[0];
  };
  src->OnPercentDone = [big](TObject*, int) { (void)big; };
  EXPECT_GT(FailEachAllocation([] { return Table(); }, Dump,
                               [&](TStringArray& a) { a.Assign(src.get()); }),
            0);
}

class StringArrayXmlAllocation : public testing_support::TempDirTest {};

TEST_F(StringArrayXmlAllocation, LoadingReplacesTheTableWholeOrNotAtAll) {
  const std::string file = Path("table.xml");
  auto src = Table(12);
  src->SetString(2, 3, "a<b>&c");
  src->SaveAsXMLFile(file, "T1");
  EXPECT_GT(FailEachAllocation([] { return Table(5); }, Dump,
                               [&](TStringArray& a) { (void)a.LoadFromXMLFile(file, "T1"); }),
            0);
  auto t = Table(5);
  ASSERT_TRUE(t->LoadFromXMLFile(file, "T1"));
  EXPECT_EQ(t->GetNrOfRows(), 12);
  EXPECT_EQ(t->GetString(2, 3), "a<b>&c");
}

// --------------------------------------------------------------------- SVD

std::string DumpVector(const TVector& v) {
  std::string s = std::to_string(v.GetVecSize()) + ":";
  for (int i = 1; i <= v.GetVecSize(); ++i) s += " " + std::to_string(v.GetVal(i));
  return s;
}

std::string DumpMatrix(const TMatrix& m) {
  std::string s = std::to_string(m.NrOfColumns()) + "x" + std::to_string(m.NrOfRows()) + ":";
  for (int c = 1; c <= m.NrOfColumns(); ++c)
    for (int r = 1; r <= m.NrOfRows(); ++r) s += " " + std::to_string(m.GetVal(c, r));
  return s;
}

std::string DumpSVD(const TSVD& d) {
  return "status " + std::to_string(d.GetStatus()) + " " + std::to_string(d.NrOfColumns()) + "x" +
         std::to_string(d.NrOfRows()) + "\nU " + DumpMatrix(d.GetU()) + "\nW " +
         DumpVector(d.GetW()) + "\nV " + DumpMatrix(d.GetV());
}

// A matrix of `cols` columns and `rows` rows with well-spread entries.
std::unique_ptr<TMatrix> Design(int cols, int rows) {
  auto m = std::make_unique<TMatrix>(cols, rows);
  for (int c = 1; c <= cols; ++c)
    for (int r = 1; r <= rows; ++r) m->SetVal(c, r, std::sin(c * 1.7 + r * 0.9) + (c == r ? 2 : 0));
  return m;
}

std::unique_ptr<TVector> Rhs(int n, double base) {
  auto v = std::make_unique<TVector>(n);
  for (int i = 1; i <= n; ++i) v->SetVal(i, base + std::cos(i * 1.3));
  return v;
}

TEST(SVDAllocation, FailedDecompositionIsEmpty) {
  // "A failed Decompose leaves an empty decomposition", whatever was there.
  const auto empty = [] {
    TSVD none;
    return DumpSVD(none);
  }();
  for (const auto& [cols, rows] :
       std::initializer_list<std::pair<int, int>>{{3, 7}, {4, 4}, {5, 2}}) {
    SCOPED_TRACE(std::to_string(cols) + "x" + std::to_string(rows));
    const auto a = Design(cols, rows);
    EXPECT_GT(FailEachAllocation(
                  [] {
                    auto d = std::make_unique<TSVD>();
                    EXPECT_TRUE(d->Decompose(*Design(2, 3)));
                    return d;
                  },
                  DumpSVD, [&](TSVD& d) { EXPECT_TRUE(d.Decompose(*a)); },
                  [&](const std::string&) { return empty; }),
              0);
  }
}

TEST(SVDAllocation, FailedSolveLeavesTheOutputsAlone) {
  for (const auto& [cols, rows] :
       std::initializer_list<std::pair<int, int>>{{3, 7}, {3, 4}, {4, 4}, {5, 2}}) {
    SCOPED_TRACE(std::to_string(cols) + "x" + std::to_string(rows));
    const auto a = Design(cols, rows);
    const auto b = Rhs(rows, 0.5);
    struct Out {
      TVector x;
      int rank = -7;
      TSVDResult status = svdTooLarge;
      TSVD d;
    };
    auto make = [&] {
      auto o = std::make_unique<Out>();
      o->x.SetVecSize(9);
      o->x.Fill(4.25);
      EXPECT_TRUE(o->d.Decompose(*a));
      return o;
    };
    auto state = [](const Out& o) {
      return DumpVector(o.x) + " rank " + std::to_string(o.rank) + " status " +
             std::to_string(o.status) + "\n" + DumpSVD(o.d);
    };
    EXPECT_GT(FailEachAllocation(make, state,
                                 [&](Out& o) {
                                   EXPECT_TRUE(SVDLeastSquares(*a, *b, o.x, SVDDefaultRelTol,
                                                               &o.rank, &o.status));
                                 }),
              0);
    EXPECT_GT(FailEachAllocation(make, state, [&](Out& o) { EXPECT_TRUE(o.d.Solve(*b, o.x)); }), 0);
  }
}

}  // namespace
}  // namespace tkz
