#include "core/dstruct/strarray.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

using tkz::TStringArray;

namespace {

std::vector<std::string> Column(const TStringArray& a, int c) {
  std::vector<std::string> v;
  for (int r = 1; r <= a.GetNrOfRows(); ++r) v.push_back(a.GetString(c, r));
  return v;
}

void Rows(TStringArray& a, std::initializer_list<const char*> texts) {
  a.SetNrRows(static_cast<int>(texts.size()));
  int r = 1;
  for (const char* t : texts) a.SetString(1, r++, t);
}

struct TempFile {
  std::string name;
  TempFile() {
    char buf[] = "/tmp/tkz_strarray_test_XXXXXX";
    const int fd = ::mkstemp(buf);
    ::close(fd);
    name = buf;
  }
  ~TempFile() { std::remove(name.c_str()); }
  void Put(const std::string& s) const { std::ofstream(name, std::ios::binary) << s; }
};

}  // namespace

TEST(StringArray, CellsIncludeColumnZeroAndIgnoreOutOfRange) {
  TStringArray a;
  int changes = 0;
  a.OnChange = [&](tkz::TObject*) { ++changes; };
  EXPECT_EQ(a.GetString(0, 1), "");
  a.SetString(0, 1, "zero");
  EXPECT_EQ(a.GetString(0, 1), "zero");
  EXPECT_EQ(changes, 1);
  a.SetString(2, 1, "x");
  a.SetString(1, 0, "x");
  a.SetString(-1, 1, "x");
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(a.GetString(2, 1), "");
  a.SetString(1, 1, std::string(300, 'q'));
  EXPECT_EQ(a.GetString(1, 1), std::string(255, 'q'));
  EXPECT_EQ(a.GetSortOrder(0), -1);
  EXPECT_EQ(a.GetColAttrib(0), 0);
  a.SetColAttrib(1, 7);
  a.SetRowAttrib(1, 9);
  EXPECT_EQ(a.GetColAttrib(1), 7);
  EXPECT_EQ(a.GetRowAttrib(1), 9);
}

TEST(StringArray, EmptyRowsAndColumns) {
  TStringArray a;
  a.Resize(2, 3);
  a.SetString(0, 1, "label");  // column 0 is not part of a row's data
  a.SetString(1, 2, "   ");    // blanks only count as empty
  a.SetString(2, 3, " x ");
  EXPECT_TRUE(a.RowEmpty(1));
  EXPECT_TRUE(a.RowEmpty(2));
  EXPECT_FALSE(a.RowEmpty(3));
  EXPECT_FALSE(a.ColumnEmpty(0));
  EXPECT_TRUE(a.ColumnEmpty(1));
  EXPECT_FALSE(a.ColumnEmpty(2));
  // Out of range: the neutral answer false, as for every read.
  EXPECT_FALSE(a.RowEmpty(0));
  EXPECT_FALSE(a.RowEmpty(4));
  EXPECT_FALSE(a.ColumnEmpty(-1));
  EXPECT_FALSE(a.ColumnEmpty(3));
}

TEST(StringArray, PoolReusesSlotsAndCompacts) {
  TStringArray a;
  a.Resize(2, 3);
  a.SetString(0, 2, "col0");
  a.SetString(1, 1, "abc");
  const uint32_t h = a.GetHandle(1, 1);
  EXPECT_EQ(h, (1u << 16) | 6u);  // "col0" took bytes 1..5
  a.SetString(1, 1, "ab");
  EXPECT_EQ(a.GetHandle(1, 1), h);
  const int fill = a.GetPageFill(1);
  a.SetString(1, 1, "abcd");
  EXPECT_NE(a.GetHandle(1, 1), h);
  EXPECT_EQ(a.GetPageFill(1), fill + 5);
  a.SetString(2, 3, "");
  EXPECT_EQ(a.GetPageFill(1), fill + 6);  // an empty string costs its length byte
  a.GarbageCollection();
  EXPECT_EQ(a.GetString(0, 2), "col0");
  EXPECT_EQ(a.GetString(1, 1), "abcd");
  EXPECT_EQ(a.GetString(2, 3), "");
  EXPECT_EQ(a.GetPageFill(1), 1 + 5 + 5 + 1);
  EXPECT_EQ(a.GetPageCount(), 1);
}

TEST(StringArray, FullPageRejectsStringThatWouldReachItsEnd) {
  TStringArray a;
  a.Resize(1, 1000);
  // 128 strings of 254 + 1 bytes end at fill position 1 + 128 * 255 = 32641.
  for (int r = 1; r <= 128; ++r) a.SetString(1, r, std::string(254, 'a'));
  ASSERT_EQ(a.GetPageFill(1), 32641);
  a.SetString(1, 129, std::string(58, 'b'));  // to fill position 32700
  ASSERT_EQ(a.GetPageFill(1), 32700);
  a.SetString(1, 130, std::string(68, 'c'));
  EXPECT_EQ(a.GetPageCount(), 2);
  EXPECT_EQ(a.GetHandle(1, 130), (2u << 16) | 1u);
  EXPECT_EQ(a.GetPageFill(2), 70);
  a.SetString(1, 131, std::string(67, 'd'));  // 67 < 68 still fits page 1
  EXPECT_EQ(a.GetHandle(1, 131) >> 16, 1u);
  EXPECT_EQ(a.GetPageFill(1), 32768);
  EXPECT_EQ(a.GetString(1, 130), std::string(68, 'c'));
  EXPECT_EQ(a.GetString(1, 131), std::string(67, 'd'));
  a.GarbageCollection();
  EXPECT_EQ(a.GetString(1, 131), std::string(67, 'd'));
  EXPECT_EQ(a.GetString(1, 1), std::string(254, 'a'));
  a.Clear();
  EXPECT_EQ(a.GetPageCount(), 1);
  EXPECT_EQ(a.GetPageFill(1), 1);
  EXPECT_EQ(a.GetNrOfRows(), 1000);
  EXPECT_EQ(a.GetString(1, 131), "");
}

TEST(StringArray, NewStringsGoToTheFirstPageWithRoom) {
  TStringArray a;
  a.Resize(1, 3000);
  uint32_t seed = 7;
  auto next = [&] { return seed = seed * 1103515245u + 12345u, (seed >> 16) & 0x7fff; };
  for (int pass = 0; pass < 2; ++pass) {
    if (pass == 1) a.GarbageCollection();
    for (int i = 0; i < 3000; ++i) {
      const int r = 1 + static_cast<int>(next() % 3000);
      const int len = static_cast<int>(next() % 256);
      const uint32_t old = a.GetHandle(1, r);
      const bool inPlace = old != 0 && a.GetString(1, r).size() >= static_cast<size_t>(len);
      int expect = 0;
      for (int k = 1; k <= a.GetPageCount() && !expect; ++k)
        if (len < 32768 - a.GetPageFill(k)) expect = k;
      if (!expect) expect = a.GetPageCount() + 1;
      const std::string text(static_cast<size_t>(len), static_cast<char>('a' + i % 26));
      a.SetString(1, r, text);
      ASSERT_EQ(a.GetString(1, r), text);
      if (inPlace)
        ASSERT_EQ(a.GetHandle(1, r), old);
      else
        ASSERT_EQ(static_cast<int>(a.GetHandle(1, r) >> 16), expect) << i;
    }
  }
}

TEST(StringArray, ResizeRulesAndCapacity) {
  TStringArray a;
  int changes = 0;
  a.OnChange = [&](tkz::TObject*) { ++changes; };
  EXPECT_FALSE(a.Resize(0, 5));
  EXPECT_TRUE(a.Resize(1, 1));
  EXPECT_EQ(changes, 0);
  EXPECT_EQ(a.GetNrOfColumns(), 1);
  a.SetNrRows(10);
  EXPECT_EQ(a.GetRowCapacity(), 10);
  a.SetString(1, 10, "ten");
  a.SetRowAttrib(10, 3);
  a.SetNrRows(11);
  EXPECT_EQ(a.GetRowCapacity(), 20);
  EXPECT_EQ(a.GetString(1, 10), "ten");
  a.SetNrRows(20);
  EXPECT_EQ(a.GetRowCapacity(), 20);
  // Rows that come back after shrinking are empty, also across a column change.
  a.SetNrRows(5);
  a.SetNrRows(12);
  EXPECT_EQ(a.GetString(1, 10), "");
  EXPECT_EQ(a.GetRowAttrib(10), 0);
  a.SetString(1, 12, "x");
  a.Resize(2, 4);
  a.Resize(2, 12);
  EXPECT_EQ(a.GetString(1, 12), "");
  a.SetAllocRowsBy(0);  // a step below 1 counts as 1
  a.SetNrRows(33);
  EXPECT_EQ(a.GetRowCapacity(), 33);
  EXPECT_EQ(a.AddRow(), 34);
}

TEST(StringArray, SortIsVirtualAndCommittable) {
  TStringArray a;
  Rows(a, {"b", "A", "c"});
  std::vector<int> pct;
  a.OnPercentDone = [&](tkz::TObject*, int p) { pct.push_back(p); };
  a.Sort(1, 0, true);
  EXPECT_EQ(Column(a, 1), (std::vector<std::string>{"A", "b", "c"}));
  ASSERT_GE(pct.size(), 2u);
  EXPECT_EQ(pct.front(), 0);
  EXPECT_EQ(pct.back(), 100);
  for (int p : pct) EXPECT_LE(p, 100);
  a.UnSort();
  EXPECT_EQ(Column(a, 1), (std::vector<std::string>{"b", "A", "c"}));
  a.Sort(1, 0, false);
  EXPECT_EQ(Column(a, 1), (std::vector<std::string>{"c", "b", "A"}));
  a.CommitSorting();
  a.UnSort();
  EXPECT_EQ(Column(a, 1), (std::vector<std::string>{"c", "b", "A"}));
  EXPECT_EQ(a.GetSortOrder(1), 1);
  // Percentages never fall and never pass 100, however many passes it takes.
  TStringArray many;
  many.SetNrRows(500);
  for (int r = 1; r <= 500; ++r) many.SetString(1, r, std::to_string(100000 - r * 7 % 501));
  pct.clear();
  many.OnPercentDone = [&](tkz::TObject*, int p) { pct.push_back(p); };
  many.Sort(1, 0, true);
  EXPECT_TRUE(std::is_sorted(pct.begin(), pct.end()));
  EXPECT_LE(pct.back(), 100);
  for (int r = 2; r <= 500; ++r) ASSERT_LE(many.GetString(1, r - 1), many.GetString(1, r));
  // A key column outside the table leaves the order alone.
  many.UnSort();
  many.Sort(5, 0, true);
  EXPECT_EQ(many.GetSortOrder(7), 7);
  pct.clear();
  TStringArray one;
  one.OnPercentDone = [&](tkz::TObject*, int p) { pct.push_back(p); };
  one.Sort(1, 0, true);
  EXPECT_EQ(pct, (std::vector<int>{0, 100}));
}

TEST(StringArray, SecondaryKeyColumnZeroAndKeyEvent) {
  TStringArray a;
  a.Resize(2, 4);
  const char* prim[] = {"x", "a", "x", "a"};
  const char* sec[] = {"2", "9", "1", "3"};
  for (int r = 1; r <= 4; ++r) {
    a.SetString(1, r, prim[r - 1]);
    a.SetString(2, r, sec[r - 1]);
    a.SetString(0, r, std::to_string(r));
    a.SetRowAttrib(r, static_cast<uint8_t>(r));
  }
  a.Sort(1, 2, true);
  EXPECT_EQ(Column(a, 2), (std::vector<std::string>{"3", "9", "1", "2"}));
  EXPECT_EQ(Column(a, 0), (std::vector<std::string>{"4", "2", "3", "1"}));
  a.CommitSorting();
  EXPECT_EQ(Column(a, 0), (std::vector<std::string>{"4", "2", "3", "1"}));
  EXPECT_EQ(a.GetRowAttrib(1), 4);
  // The key event replaces each key before it is compared.
  a.OnBeforeSortExchange = [](tkz::TObject*, const std::string& in, std::string& out) {
    out = std::string(in.rbegin(), in.rend());
  };
  a.SetString(1, 1, "za");
  a.SetString(1, 2, "ab");
  a.Sort(1, 0, true);
  EXPECT_EQ(a.GetString(1, 1), "za");
  // Bytes above 127 sort after ASCII.
  TStringArray b;
  Rows(b, {"\xe9t\xe9", "zz"});
  b.Sort(1, 0, true);
  EXPECT_EQ(b.GetString(1, 1), "zz");
}

TEST(StringArray, SortFoldsAsciiCaseAroundZ) {
  // Keys compare with A..Z folded to a..z; every other byte (the brackets
  // next to the letters, Windows-1252 letters) compares by its code, so the
  // accented letters follow "z" and keep their case order.
  const std::vector<std::string> sorted = {"@at",
                                           "[x",
                                           "`tick",
                                           "Y",
                                           "yak",
                                           "z",
                                           "Zebra",
                                           "zeta",
                                           "zULU",
                                           "ZZ top",
                                           "{x",
                                           "\x8aS",
                                           "\x8e"
                                           "Z",
                                           "\x9as",
                                           "\x9ez",
                                           "\x9fY",
                                           "\xc0",
                                           "\xe0",
                                           "\xff"};
  // Presented in a scrambled order, and again reversed.
  std::vector<std::string> shuffled;
  for (size_t i = 0; i < sorted.size(); ++i) shuffled.push_back(sorted[(i * 7) % sorted.size()]);
  for (const auto& input : {shuffled, std::vector<std::string>(sorted.rbegin(), sorted.rend())}) {
    TStringArray a;
    a.SetNrRows(static_cast<int>(input.size()));
    for (size_t r = 0; r < input.size(); ++r) a.SetString(1, static_cast<int>(r + 1), input[r]);
    a.Sort(1, 0, true);
    EXPECT_EQ(Column(a, 1), sorted);
    a.Sort(1, 0, false);
    EXPECT_EQ(Column(a, 1), std::vector<std::string>(sorted.rbegin(), sorted.rend()));
    int r = 0;
    EXPECT_TRUE(a.FindCellInSortedColumn("ZULU", false, 1, -1, -1, false, r));
    EXPECT_EQ(a.GetString(1, r), "zULU");
  }
  // Keys equal but for the case of Z tie; the secondary column decides.
  TStringArray b;
  Rows(b, {"zA", "Za", "ZA", "za"});
  b.SetNrCols(2);
  for (int r = 1; r <= 4; ++r) b.SetString(2, r, std::to_string(5 - r));
  b.Sort(1, 2, true);
  EXPECT_EQ(Column(b, 1), (std::vector<std::string>{"za", "ZA", "Za", "zA"}));
}

TEST(StringArray, SortKeepsTiedRowsInTheirOrder) {
  // With no secondary key (column 0 is not one) rows with equal keys keep
  // the order they had in the view, ascending and descending, also when the
  // view was sorted before; column 0 records the row's first position.
  for (int n : {2, 3, 10, 57, 300}) {
    TStringArray a;
    a.SetNrRows(n);
    for (int r = 1; r <= n; ++r) {
      a.SetString(0, r, std::to_string(1000 + r));  // would order ties the other way
      a.SetString(1, r, std::string(1, static_cast<char>("cab"[(r * 5) % 3])));
      a.SetString(2, r, std::to_string(r % 4));
      a.SetString(3, r, std::string(1, static_cast<char>("zZ"[r % 2])));  // all equal when folded
    }
    a.SetString(0, 1, "9999");
    for (const auto& [key, ascending] : std::initializer_list<std::pair<int, bool>>{
             {1, true}, {1, false}, {2, true}, {3, false}}) {
      a.UnSort();
      a.Sort(2, 0, false);  // some earlier view
      std::vector<std::string> before = Column(a, 0);
      std::vector<std::string> keys = Column(a, key);
      std::vector<int> idx(static_cast<size_t>(n));
      for (int i = 0; i < n; ++i) idx[static_cast<size_t>(i)] = i;
      auto folded = [&](int i) {
        std::string k = keys[static_cast<size_t>(i)];
        for (char& ch : k) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
        return k;
      };
      const bool up = ascending;
      std::stable_sort(idx.begin(), idx.end(), [&](int x, int y) {
        return up ? folded(x) < folded(y) : folded(y) < folded(x);
      });
      std::vector<std::string> expected;
      for (int i : idx) expected.push_back(before[static_cast<size_t>(i)]);
      a.Sort(key, 0, ascending);
      EXPECT_EQ(Column(a, 0), expected) << n << " rows, key " << key << ", ascending " << ascending;
    }
  }
}

TEST(StringArray, SortReportsOneChange) {
  for (bool presorted : {false, true}) {
    TStringArray a;
    Rows(a, {"d", "b", "a", "c", "e", "b"});
    if (presorted) a.Sort(1, 0, true);
    int changes = 0;
    a.OnChange = [&](tkz::TObject* sender) {
      EXPECT_EQ(sender, &a);
      ++changes;
    };
    a.Sort(1, 0, true);
    EXPECT_EQ(changes, 1) << presorted;
    EXPECT_EQ(Column(a, 1), (std::vector<std::string>{"a", "b", "b", "c", "d", "e"}));
  }
}

TEST(StringArray, RowEditsKeepTheSortedView) {
  TStringArray a;
  Rows(a, {"b", "a", "c"});
  a.Sort(1, 0, true);
  a.InsertRow(2);
  EXPECT_EQ(Column(a, 1), (std::vector<std::string>{"a", "", "b", "c"}));
  a.RemoveRow(1);
  EXPECT_EQ(Column(a, 1), (std::vector<std::string>{"", "b", "c"}));
  a.CommitSorting();
  EXPECT_EQ(Column(a, 1), (std::vector<std::string>{"", "b", "c"}));
  a.CopyRow(2, 1);
  a.SetString(1, 2, "B");  // in place; must not change the copy
  EXPECT_EQ(Column(a, 1), (std::vector<std::string>{"b", "B", "c"}));
  TStringArray one;
  one.SetString(0, 1, "z");
  one.SetRowAttrib(1, 5);
  one.RemoveRow(1);
  EXPECT_EQ(one.GetNrOfRows(), 1);
  EXPECT_EQ(one.GetString(0, 1), "");
  EXPECT_EQ(one.GetRowAttrib(1), 0);
  // Inserting past the capacity keeps every row.
  TStringArray big;
  big.SetNrRows(10);
  for (int r = 1; r <= 10; ++r) big.SetString(1, r, std::to_string(r));
  big.InsertRow(1);
  EXPECT_EQ(big.GetNrOfRows(), 11);
  EXPECT_EQ(big.GetString(1, 1), "");
  EXPECT_EQ(big.GetString(1, 11), "10");
}

TEST(StringArray, ColumnEdits) {
  TStringArray a;
  a.Resize(2, 2);
  a.SetString(0, 1, "k");
  a.SetString(1, 1, "one");
  a.SetString(2, 1, "two");
  a.SetColAttrib(1, 1);
  a.SetColAttrib(2, 2);
  a.InsertColumn(2);
  EXPECT_EQ(a.GetNrOfColumns(), 3);
  EXPECT_EQ(a.GetString(2, 1), "");
  EXPECT_EQ(a.GetString(3, 1), "two");
  EXPECT_EQ(a.GetColAttrib(3), 2);
  EXPECT_EQ(a.GetColAttrib(2), 0);
  a.RemoveColumn(1);
  EXPECT_EQ(a.GetNrOfColumns(), 2);
  EXPECT_EQ(a.GetString(0, 1), "k");
  EXPECT_EQ(a.GetString(2, 1), "two");
  a.InsertColumn(0);
  EXPECT_EQ(a.GetNrOfColumns(), 2);
  TStringArray one;
  one.SetString(1, 1, "v");
  one.SetColAttrib(1, 4);
  one.RemoveColumn(1);
  EXPECT_EQ(one.GetNrOfColumns(), 1);
  EXPECT_EQ(one.GetString(1, 1), "");
  EXPECT_EQ(one.GetColAttrib(1), 0);
  EXPECT_TRUE(one.ColumnEmpty(1));
  one.SetString(0, 1, "x");
  one.SetString(1, 1, "   ");
  EXPECT_TRUE(one.RowEmpty(1));
  EXPECT_FALSE(one.ColumnEmpty(0));
}

TEST(StringArray, FindCellBoundsAndCase) {
  TStringArray a;
  a.Resize(3, 4);
  a.SetString(3, 1, "Hello");
  a.SetString(0, 3, "hello world");
  int c = 99, r = 99;
  EXPECT_FALSE(a.FindCell("", false, -1, -1, -1, -1, c, r));
  EXPECT_EQ(c, 99);
  EXPECT_TRUE(a.FindCell("ELL", false, -1, 3, -1, -1, c, r));
  EXPECT_EQ(c, 3);
  EXPECT_EQ(r, 1);
  EXPECT_FALSE(a.FindCell("ELL", true, -1, -1, -1, -1, c, r));
  EXPECT_TRUE(a.FindCell("world", true, 3, 0, 4, -1, c, r));  // rows 1..4, any order
  EXPECT_EQ(c, 0);
  EXPECT_EQ(r, 3);
  EXPECT_FALSE(a.FindCell("world", true, 1, 3, -1, 2, c, r));
  EXPECT_TRUE(a.FindCellExact("", true, 1, 3, 1, 1, c, r));
  EXPECT_EQ(c, 1);
  EXPECT_FALSE(a.FindCellExact("hell", false, -1, -1, -1, -1, c, r));
}

TEST(StringArray, FindInSortedColumn) {
  TStringArray a;
  Rows(a, {"a", "b", "c"});
  int r = 0;
  EXPECT_TRUE(a.FindCellInSortedColumn("c", true, 1, -1, -1, true, r));
  EXPECT_EQ(r, 3);
  EXPECT_TRUE(a.FindCellInSortedColumn("A", false, 1, -1, -1, true, r));
  EXPECT_EQ(r, 1);
  EXPECT_FALSE(a.FindCellInSortedColumn("bb", true, 1, -1, -1, true, r));
  Rows(a, {"a", "b", "b", "c"});
  EXPECT_TRUE(a.FindCellInSortedColumn("b", true, 1, -1, -1, true, r));
  EXPECT_EQ(r, 2);
  EXPECT_TRUE(a.FindCellInSortedColumn("c", true, 1, 4, 4, true, r));
  EXPECT_EQ(r, 4);
  Rows(a, {"d", "c", "b", "a"});
  EXPECT_TRUE(a.FindCellInSortedColumn("a", true, 1, -1, -1, false, r));
  EXPECT_EQ(r, 4);
  // A virtually sorted column is searched through the view.
  Rows(a, {"q", "e", "k", "b", "z"});
  a.Sort(1, 0, true);
  for (const char* t : {"b", "e", "k", "q", "z"}) {
    ASSERT_TRUE(a.FindCellInSortedColumn(t, true, 1, -1, -1, true, r)) << t;
    EXPECT_EQ(a.GetString(1, r), t);
  }
}

TEST(StringArray, NumericReading) {
  TStringArray a;
  a.Resize(1, 3);
  a.SetString(1, 1, "  3,5  ");
  EXPECT_DOUBLE_EQ(a.GetAsNumber(1, 1), 3.5);
  EXPECT_EQ(a.GetAsNumber(1, 3), 0.0);
  a.SetString(1, 2, "3x");
  try {
    a.GetAsNumber(1, 2);
    ADD_FAILURE() << "no exception";
  } catch (const tkz::ETKZDStructError& e) {
    EXPECT_STREQ(e.what(), "Class TStringArray: invalid numeric string: [1,2]: 3x");
  }
  for (const char* bad : {"+", ".", "1e", "1.2.3", "--1", "1 2", "e5", "0x10", "inf"}) {
    a.SetString(1, 2, bad);
    EXPECT_THROW(a.GetAsNumber(1, 2), tkz::ETKZDStructError) << bad;
  }
  const std::pair<const char*, int> ints[] = {
      {"2.5", 2}, {"3.5", 4},  {"-2.5", -2},         {"1e12", 2147483647}, {"-1e12", -2147483647},
      {"+7", 7},  {".5E1", 5}, {"1e999", 2147483647}};
  for (const auto& [s, v] : ints) {
    a.SetString(1, 2, s);
    EXPECT_EQ(a.GetAsInteger(1, 2), v) << s;
  }
}

TEST(StringArray, AssignCopiesPoolAndHandlers) {
  TStringArray a;
  a.Resize(2, 3);
  a.SetString(0, 3, "zero");
  a.SetString(2, 2, "b");
  a.Sort(2, 0, false);
  int changes = 0;
  a.OnChange = [&](tkz::TObject*) { ++changes; };
  TStringArray b;
  b.Assign(&a);
  EXPECT_EQ(changes, 0);
  EXPECT_EQ(b.GetString(2, 1), "b");
  EXPECT_EQ(b.GetSortOrder(1), a.GetSortOrder(1));
  b.SetString(2, 1, "c");  // same slot, own pool
  EXPECT_EQ(a.GetString(2, 1), "b");
  EXPECT_EQ(changes, 1);
}

TEST(StringArray, XmlRoundTrip) {
  TStringArray a;
  a.Resize(3, 5);
  a.SetString(0, 1, "col zero");
  a.SetString(1, 2, "  <tag> & \"q\" ");
  a.SetString(3, 5, "\xe4\xf6\xfc\xff\x80 caf\xe9");
  a.SetString(2, 3, std::string("a\tb\r\nc\x1a\x7f", 9));
  a.SetString(2, 4, "</cell>");
  a.SetString(1, 1, "");  // stored but empty
  TempFile tf;
  a.SaveAsXMLFile(tf.name, "Grid");
  TStringArray b;
  int changes = 0;
  b.OnChange = [&](tkz::TObject*) { ++changes; };
  ASSERT_TRUE(b.LoadFromXMLFile(tf.name, "GRID"));
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(b.GetNrOfColumns(), 3);
  EXPECT_EQ(b.GetNrOfRows(), 5);
  for (int c = 0; c <= 3; ++c)
    for (int r = 1; r <= 5; ++r) EXPECT_EQ(b.GetString(c, r), a.GetString(c, r)) << c << "," << r;
  EXPECT_FALSE(b.LoadFromXMLFile(tf.name, "other"));
  EXPECT_TRUE(b.LoadFromXMLFile(tf.name, ""));
  // A sorted array is written as its view.
  a.Sort(0, 0, false);
  a.SaveAsXMLFile(tf.name, "g");
  ASSERT_TRUE(b.LoadFromXMLFile(tf.name, "g"));
  EXPECT_EQ(b.GetString(0, 1), "col zero");
  EXPECT_EQ(Column(b, 3), Column(a, 3));
}

TEST(StringArray, XmlSaveReplacesTheFileWhole) {
  TempFile tf;
  tf.Put("previous content");
  const std::string old = tf.name + ".old";
  ASSERT_EQ(::link(tf.name.c_str(), old.c_str()), 0);
  TStringArray a;
  a.SetString(1, 1, "x");
  a.SaveAsXMLFile(tf.name, "g");
  TStringArray b;
  ASSERT_TRUE(b.LoadFromXMLFile(tf.name, "g"));
  EXPECT_EQ(b.GetString(1, 1), "x");
  // A new file took the name; the old one was never truncated.
  std::ifstream in(old, std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "previous content");
  std::remove(old.c_str());
  EXPECT_THROW(a.SaveAsXMLFile("/nonexistent/dir/a.xml", "g"), tkz::EInOutError);
  EXPECT_NE(::access((tf.name + ".tmp~").c_str(), F_OK), 0);
}

TEST(StringArray, XmlBadInputLeavesArrayAlone) {
  const std::string head = "<strarray sig=\"Quorvatin\" vers=\"1.0\" id=\"x\">\n";
  TempFile tf;
  auto load = [&](const std::string& body, TStringArray& a) {
    tf.Put(head + body);
    return a.LoadFromXMLFile(tf.name, "x");
  };
  TStringArray a;
  a.SetString(1, 1, "keep");
  EXPECT_FALSE(load("<numcols val=2 />\n<numrows val=2 />\n<cell c=1 r=1>x</cell>\n", a));
  EXPECT_FALSE(load("<numcols val=2 />\n<numrows val=2 />\n<cell c=1 r=1>x</ce", a));
  EXPECT_FALSE(load("<numcols val=2000000 />\n<numrows val=2000000000 />\n</strarray>\n", a));
  EXPECT_FALSE(load("<numcols val=99999999999999 />\n<numrows val=1 />\n</strarray>\n", a));
  EXPECT_FALSE(load("<numcols val=0 />\n<numrows val=3 />\n</strarray>\n", a));
  EXPECT_FALSE(load("<numrows val=3 />\n</strarray>\n", a));
  EXPECT_FALSE(load("garbage \x01\xff<<>>", a));
  EXPECT_EQ(a.GetString(1, 1), "keep");
  EXPECT_EQ(a.GetNrOfRows(), 1);
  // Cells outside the counts or with unreadable indices are skipped.
  ASSERT_TRUE(
      load("<cell c=1 r=1>early</cell><numcols val=1 />\n<numrows val=2 />\n"
           "<cell c=2 r=1>out</cell><cell c=1 r=3>out</cell><cell c=-1 r=1>x</cell>"
           "<cell c=1 r=0>x</cell><cell c=a r=2>x</cell><cell c=0 r=2>&#300;&bogus;&#65;</cell>"
           "<cell c=1 r=1>late</cell><unknown/></strarray>",
           a));
  EXPECT_EQ(a.GetNrOfColumns(), 1);
  EXPECT_EQ(a.GetNrOfRows(), 2);
  EXPECT_EQ(a.GetString(1, 1), "late");
  EXPECT_EQ(a.GetString(0, 2), "&#300;&bogus;A");
  EXPECT_EQ(a.GetString(1, 2), "");
}
