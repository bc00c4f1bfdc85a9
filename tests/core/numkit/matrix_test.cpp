#include "core/numkit/matrix.h"

#include <gtest/gtest.h>

#include "core/numkit/vector.h"

namespace tkz {
namespace {

TEST(TMatrix, AddressesColumnThenRowFromOne) {
  TMatrix m(3, 2);  // 3 columns, 2 rows
  ASSERT_EQ(m.NrOfColumns(), 3);
  ASSERT_EQ(m.NrOfRows(), 2);
  m.SetVal(3, 1, 7.5);
  m.SetVal(1, 2, -2.0);
  EXPECT_EQ(m.GetVal(3, 1), 7.5);
  EXPECT_EQ(m.GetVal(1, 2), -2.0);
  EXPECT_EQ(m.GetVal(1, 1), 0.0);
  // Column-major storage: column 3, row 1 is the fifth cell.
  EXPECT_EQ(m.Data()[4], 7.5);
}

TEST(TMatrix, IgnoresWritesAndReadsOutsideTheMatrix) {
  TMatrix m(2, 2);
  m.Fill(1.0);
  for (auto [c, r] : {std::pair{0, 1}, {1, 0}, {3, 1}, {1, 3}, {-5, -5}}) {
    m.SetVal(c, r, 99.0);
    EXPECT_EQ(m.GetVal(c, r), 0.0);
  }
  for (int c = 1; c <= 2; ++c)
    for (int r = 1; r <= 2; ++r) EXPECT_EQ(m.GetVal(c, r), 1.0);
  TMatrix empty;
  EXPECT_EQ(empty.GetVal(1, 1), 0.0);
  empty.SetVal(1, 1, 3.0);  // must not crash
}

TEST(TMatrix, ResizeKeepsOverlapAndZeroesNewCells) {
  TMatrix m(2, 3);
  for (int c = 1; c <= 2; ++c)
    for (int r = 1; r <= 3; ++r) m.SetVal(c, r, 10 * c + r);
  ASSERT_TRUE(m.Resize(3, 2));
  EXPECT_EQ(m.GetVal(1, 1), 11);
  EXPECT_EQ(m.GetVal(2, 2), 22);
  EXPECT_EQ(m.GetVal(3, 1), 0);
  EXPECT_EQ(m.GetVal(1, 3), 0);  // row 3 is gone
  EXPECT_TRUE(m.Resize(0, 5));
  EXPECT_EQ(m.NrOfColumns(), 0);
  EXPECT_EQ(m.NrOfRows(), 0);
  m.Resize(2, 2);
  EXPECT_FALSE(m.Resize(-1, 3));
  EXPECT_FALSE(m.Resize(1 << 16, 1 << 16));  // beyond MaxCells
  EXPECT_EQ(m.NrOfColumns(), 2);
}

TEST(TMatrix, CloneAndAssignCopySizeAndContents) {
  TMatrix a(2, 3), b(5, 5);
  a.SetVal(2, 3, 4.25);
  b.Clone(a);
  EXPECT_EQ(b.NrOfColumns(), 2);
  EXPECT_EQ(b.NrOfRows(), 3);
  EXPECT_EQ(b.GetVal(2, 3), 4.25);
  a.SetVal(2, 3, 0);
  EXPECT_EQ(b.GetVal(2, 3), 4.25);  // a deep copy
  TMatrix c;
  c.Assign(&b);
  EXPECT_EQ(c.GetVal(2, 3), 4.25);
  TVector v;
  EXPECT_THROW(c.Assign(&v), EConvertError);
}

TEST(TMatrix, OwnerFreesIt) {
  TComponent owner;
  auto* m = new TMatrix(2, 2, &owner);
  EXPECT_EQ(owner.ComponentCount(), 1);
  EXPECT_EQ(m->GetOwner(), &owner);
}  // LeakSanitizer would report a leak otherwise

TEST(TVector, SizesReadsAndWritesFromOne) {
  TVector v;
  EXPECT_EQ(v.GetVecSize(), 0);
  EXPECT_EQ(v.GetVal(1), 0.0);
  ASSERT_TRUE(v.SetVecSize(3));
  v.SetVal(1, 1.5);
  v.SetVal(3, 3.5);
  v.SetVal(0, 9);
  v.SetVal(4, 9);
  EXPECT_EQ(v.GetVal(1), 1.5);
  EXPECT_EQ(v.GetVal(3), 3.5);
  EXPECT_EQ(v.GetVal(4), 0.0);
  ASSERT_TRUE(v.SetVecSize(5));
  EXPECT_EQ(v.GetVal(3), 3.5);
  EXPECT_EQ(v.GetVal(5), 0.0);
  EXPECT_FALSE(v.SetVecSize(-1));
  EXPECT_EQ(v.GetVecSize(), 5);
  v.Fill(2.0);
  TVector w;
  w.Clone(v);
  EXPECT_EQ(w.GetVecSize(), 5);
  EXPECT_EQ(w.GetVal(5), 2.0);
}

}  // namespace
}  // namespace tkz
