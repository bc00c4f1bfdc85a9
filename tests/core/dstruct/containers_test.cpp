#include "core/dstruct/containers.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>

#include "core/text/stringl.h"
#include "support/temp_dir.h"

namespace tkz {
namespace {

TEST(BitFld, BoundsCountsAndFirstBit) {
  TBitFld b;
  EXPECT_EQ(b.GetSize(), 1000);
  EXPECT_EQ(b.CountTrueBits(), 0);
  EXPECT_EQ(b.FirstTrueBit(), -1);
  b.SetBit(1000, true);
  b.SetBit(1001, true);  // beyond Size: ignored
  b.SetBit(-1, true);
  EXPECT_TRUE(b.GetBit(1000));
  EXPECT_FALSE(b.GetBit(1001));
  EXPECT_FALSE(b.GetBit(-5));
  EXPECT_EQ(b.CountTrueBits(), 1);
  EXPECT_EQ(b.FirstTrueBit(), 1000);
  b.ToggleBit(1000);
  b.ToggleBit(7);
  EXPECT_EQ(b.FirstTrueBit(), 7);
  b.Invert();
  EXPECT_EQ(b.CountTrueBits(), 1000);  // 1001 bits, one was set
  b.Clear();
  EXPECT_EQ(b.CountTrueBits(), 0);
}

TEST(BitFld, ResizeListsAndShrunkBitsStayGone) {
  TBitFld b;
  b.SetSize(10);
  b.SetBit(3, true);
  b.SetBit(10, true);
  TIntArray list;
  b.MakeListOfBits(list, true);
  EXPECT_EQ(list, (TIntArray{3, 10}));
  b.MakeListOfBits(list, false);
  EXPECT_EQ(list.size(), 9u);
  b.SetSize(0);  // ignored
  EXPECT_EQ(b.GetSize(), 10);
  b.Invert();  // bits above Size must not be set by this
  b.SetSize(4);
  b.SetSize(40);
  b.MakeListOfBits(list, true);
  EXPECT_EQ(list, (TIntArray{0, 1, 2, 4}));
}

TEST(BitFld, RandomFillSetsExactCounts) {
  RandSeed(1234);
  TBitFld b;
  b.RandomFill(600);
  EXPECT_EQ(b.CountTrueBits(), 600);
  b.RandomFill(50.0);
  EXPECT_EQ(b.CountTrueBits(), 500);
  b.RandomFill(250.0);  // clamped to 100 %
  EXPECT_EQ(b.CountTrueBits(), 1000);
  b.RandomFill(std::numeric_limits<double>::quiet_NaN());
  EXPECT_EQ(b.CountTrueBits(), 0);
  b.SetSize(20);
  b.SetRandBitsIntern(1000);  // more than there are: all 21 bits, and it ends
  EXPECT_EQ(b.CountTrueBits(), 21);
  b.RandomFill(-3);
  EXPECT_EQ(b.CountTrueBits(), 0);
  // Halves round to the even neighbour, as everywhere in the library.
  b.SetSize(10);
  b.RandomFill(25.0);  // 2.5 bits
  EXPECT_EQ(b.CountTrueBits(), 2);
  b.SetSize(2);
  b.RandomFill(75.0);  // 1.5 bits
  EXPECT_EQ(b.CountTrueBits(), 2);
}

TEST(BitFld, CombineCloneAndAssign) {
  TBitFld a, b;
  a.SetBit(1, true);
  a.SetBit(2, true);
  b.SetBit(2, true);
  a.CombineWith(b, loANDNot);
  TIntArray list;
  a.MakeListOfBits(list, true);
  EXPECT_EQ(list, (TIntArray{1}));
  a.CombineWith(b, loXORNot);  // all of 0..1000 but bits 1 and 2; none above Size
  EXPECT_EQ(a.CountTrueBits(), 999);
  TBitFld small;
  small.SetSize(8);
  a.CombineWith(small, loAND);  // different sizes: nothing happens
  EXPECT_EQ(a.CountTrueBits(), 999);
  TBitFld grown;
  grown.Assign(&a);
  grown.SetSize(1007);
  EXPECT_EQ(grown.CountTrueBits(), 999);  // the growth shows no stray bits
  small.Clone(b);
  EXPECT_EQ(small.GetSize(), 1000);
  EXPECT_TRUE(small.GetBit(2));
  TBitFld c;
  c.SetSize(9);
  c.Assign(&b);
  EXPECT_EQ(c.GetSize(), 1000);
  EXPECT_EQ(c.FirstTrueBit(), 2);
  EXPECT_EQ(ApplyLogicOp(0b1100, 0b1010, loORNot), 0b11111101);
}

TEST(ByteMatrix, RangesEventsAndMirrors) {
  TByteMatrix m;
  int events = 0;
  m.OnChange = [&](TObject*) { ++events; };
  m.SetDefaultValue(9);
  EXPECT_EQ(m.GetByte(0, 1), 9);
  EXPECT_FALSE(m.Resize(1, 1));
  EXPECT_FALSE(m.Resize(0, 5));
  EXPECT_TRUE(m.Resize(3, 2));
  EXPECT_EQ(events, 1);
  m.SetByte(1, 1, 0x81);
  m.SetByte(4, 1, 1);  // ignored, no event
  EXPECT_EQ(events, 2);
  EXPECT_TRUE(m.GetBit(1, 1, 7));
  EXPECT_FALSE(m.GetBit(1, 1, 8));
  EXPECT_TRUE(m.GetBit(9, 9, 0));  // DefaultValue 9 out of range
  m.SetBit(3, 2, 1, true);
  m.ToggleBit(3, 2, 0);
  m.SetBit(3, 2, 8, true);  // ignored
  EXPECT_EQ(m.GetByte(3, 2), 3);
  m.MirrorColumns();
  EXPECT_EQ(m.GetByte(3, 1), 0x81);
  EXPECT_EQ(m.GetByte(1, 2), 3);
  m.MirrorRows();
  EXPECT_EQ(m.GetByte(1, 1), 3);
  m.SetNrRows(-4);  // raised to 1: keeps row 1
  EXPECT_EQ(m.GetNrOfRows(), 1);
  EXPECT_EQ(m.GetByte(1, 1), 3);
  m.SetNrCols(5);
  EXPECT_EQ(m.GetByte(5, 1), 0);
}

TEST(ByteMatrix, CombineAndAssign) {
  TByteMatrix a, b;
  a.Resize(2, 2);
  b.Resize(2, 2);
  a.Fill(0xF0);
  b.Fill(0x3C);
  int events = 0;
  a.OnChange = [&](TObject*) { ++events; };
  a.CombineWith(b, loAND);
  EXPECT_EQ(a.GetByte(2, 2), 0x30);
  EXPECT_EQ(events, 0);
  TByteMatrix c;
  a.CombineWith(c, loOR);  // other dimensions: nothing
  EXPECT_EQ(a.GetByte(1, 1), 0x30);
  a.SetDefaultValue(7);
  c.Assign(&a);
  EXPECT_EQ(c.GetNrOfColumns(), 2);
  EXPECT_EQ(c.GetByte(1, 2), 0x30);
  EXPECT_EQ(c.GetDefaultValue(), 7);
  c.Fill(1);
  EXPECT_EQ(events, 1);  // the handler came along
}

TEST(Fifo, FullEmptyForceAndLoadBack) {
  TFifo f;
  f.SetSize(4);
  EXPECT_TRUE(f.PutByte(1));
  EXPECT_TRUE(f.PutByte(2));
  EXPECT_TRUE(f.PutByte(3));
  EXPECT_FALSE(f.PutByte(4));
  EXPECT_TRUE(f.ForceByte(4));  // 1 dropped
  EXPECT_EQ(f.CountBytes(), 3);
  EXPECT_FALSE(f.LoadBack(9));  // full: refused, nothing lost
  uint8_t b = 0;
  EXPECT_TRUE(f.SenseByte(2, b));
  EXPECT_EQ(b, 4);
  EXPECT_FALSE(f.SenseByte(3, b));
  EXPECT_TRUE(f.GetByte(b));
  EXPECT_EQ(b, 2);
  EXPECT_TRUE(f.LoadBack(7));
  EXPECT_TRUE(f.GetByte(b));
  EXPECT_EQ(b, 7);
  EXPECT_FALSE(f.ForceByte(5));
  EXPECT_EQ(f.CountBytes(), 3);
  f.Clear();
  EXPECT_FALSE(f.GetByte(b));
}

TEST(Fifo, ResizeKeepsWaitingBytes) {
  TFifo f;
  f.SetSize(4);
  uint8_t b = 0;
  f.PutByte(1);
  f.PutByte(2);
  f.GetByte(b);
  f.PutByte(3);
  f.PutByte(4);  // wrapped around
  f.SetSize(10);
  EXPECT_EQ(f.CountBytes(), 3);
  for (uint8_t want : {2, 3, 4}) {
    ASSERT_TRUE(f.GetByte(b));
    EXPECT_EQ(b, want);
  }
  for (uint8_t i = 0; i < 9; ++i) f.PutByte(i);
  f.SetSize(3);  // keeps the two oldest
  EXPECT_EQ(f.CountBytes(), 2);
  f.GetByte(b);
  EXPECT_EQ(b, 0);
}

TEST(StringAccu, CountsDistinctStrings) {
  TStringAccu a;
  a.Add("a");
  a.Add("b");
  a.Add("a");
  a.Add("A");
  EXPECT_EQ(a.GetNumStrings(), 3);
  EXPECT_EQ(a.GetCount(1), 2);
  EXPECT_EQ(a.GetCount(2), 1);
  EXPECT_EQ(a.GetString(3), "A");
  EXPECT_EQ(a.GetString(4), "");
  EXPECT_EQ(a.GetCount(0), 0);
  a.Clear();
  EXPECT_EQ(a.GetNumStrings(), 0);
}

TEST(AssocArray, KeysCaseAndRemoval) {
  TAssocArray a;
  a.Add("Alpha", 1);
  EXPECT_EQ(a.GetKeys(1), "alpha");
  EXPECT_EQ(a.ResolveAsInt("ALPHA"), 1);
  a.Add("ALPHA", 2);  // same key: new value
  EXPECT_EQ(a.GetNumEntries(), 1);
  a.Add("b", "x");
  a.Add("c", 3.5);
  EXPECT_TRUE(a.Remove("alpha"));
  EXPECT_FALSE(a.Remove("alpha"));
  EXPECT_EQ(a.GetKeys(1), "c");
  EXPECT_EQ(a.GetNumEntries(), 2);
  EXPECT_TRUE(a.Resolve("zz").IsNull());
  EXPECT_EQ(a.ResolveAsString("zz"), "");
  EXPECT_EQ(a.GetKeys(3), "");
  EXPECT_EQ(a.GetValues(0).VarType(), varString);
  a.SetKeys(2, "Mixed");  // stored as given, still found ignoring case
  EXPECT_EQ(a.GetKeys(2), "Mixed");
  EXPECT_EQ(a.ResolveAsString("MIXED"), "x");
  a.SetIgnoreCase(false);
  EXPECT_TRUE(a.Resolve("mixed").IsNull());
  a.Add("Mixed", "y");
  EXPECT_EQ(a.GetNumEntries(), 2);
  a.SetValues(5, 1);  // ignored
  TAssocArray b;
  b.Assign(&a);
  EXPECT_FALSE(b.GetIgnoreCase());
  EXPECT_EQ(b.ResolveAsString("Mixed"), "y");
  a.Clear();
  EXPECT_EQ(a.GetNumEntries(), 0);
}

TEST(AssocArray, NumericConversions) {
  TAssocArray a;
  a.SetGranularity(0);  // at least one entry per step
  a.Add("s", "3,5");
  a.Add("t", "abc");
  a.Add("d", 12.7);
  a.Add("n", "  -12abc");
  a.Add("big", 1e300);
  a.Add("i64", int64_t{1} << 40);
  a.Add("flag", true);
  EXPECT_DOUBLE_EQ(a.ResolveAsNumber("s"), 3.5);
  EXPECT_EQ(a.ResolveAsNumber("t"), 0);
  EXPECT_EQ(a.ResolveAsInt("d"), 13);
  for (const auto& [v, want] : {std::pair{12.5, 12}, {13.5, 14}, {-2.5, -2}}) {
    a.Add("half", v);
    EXPECT_EQ(a.ResolveAsInt("half"), want) << v;
  }
  a.Add("half", 0.5f);
  EXPECT_EQ(a.ResolveAsInt("half"), 0);
  EXPECT_EQ(a.ResolveAsInt("n"), -12);
  EXPECT_EQ(a.ResolveAsInt("big"), INT32_MAX);
  EXPECT_EQ(a.ResolveAsInt("i64"), INT32_MAX);
  EXPECT_DOUBLE_EQ(a.ResolveAsNumber("i64"), 1099511627776.0);
  EXPECT_EQ(a.ResolveAsNumber("flag"), 0);
  EXPECT_EQ(a.ResolveAsNumber("absent"), 0);
  EXPECT_EQ(a.ResolveAsString("n"), "  -12abc");
  EXPECT_EQ(a.ResolveAsString("d"), "12.7");
  EXPECT_EQ(a.ResolveAsString("i64"), "1099511627776");
  EXPECT_EQ(a.ResolveAsString("flag"), "True");
}

TEST(AssocArray, StringsAreReadByTheNumberScanner) {
  // The accepted prefix counts; a text the scanner rejects reads as 0.
  const std::pair<const char*, double> cases[] = {
      {"12abc", 12},    {" 7", 7},      {"5.", 5},    {"+.5", 0.5}, {"2E3x", 2000},
      {"2,5e-1", 0.25}, {"1..2", 0},    {"1.2.3", 0}, {"1,5,3", 0}, {"-", 0},
      {"1E9999", 0},    {"1e-5000", 0}, {"E5", 0},    {"", 0},
  };
  TAssocArray a;
  for (const auto& [text, want] : cases) {
    a.Add("k", text);
    EXPECT_DOUBLE_EQ(a.ResolveAsNumber("k"), want) << text;
  }
  a.Add("k", "1e400");
  EXPECT_DOUBLE_EQ(a.ResolveAsNumber("k"), 1.7e308);
  a.Add("k", "-1e400");
  EXPECT_DOUBLE_EQ(a.ResolveAsNumber("k"), -1.7e308);
}

TEST(Combinatorics, CombinationsInLexicographicOrder) {
  TBytes c{2, 1, 2};
  std::string seen = "12";
  while (NextCombination(c, 4)) seen += " " + std::to_string(c[1]) + std::to_string(c[2]);
  EXPECT_EQ(seen, "12 13 14 23 24 34");
  EXPECT_EQ(c, (TBytes{2, 3, 4}));
  TBytes bad{3, 1};  // too short for k = 3
  EXPECT_FALSE(NextCombination(bad, 5));
  TBytes big{2, 1, 2};
  EXPECT_FALSE(NextCombination(big, 1));  // k > n
  EXPECT_EQ(big, (TBytes{2, 1, 2}));
}

TEST(Combinatorics, PermutationsVisitAllThenStop) {
  TBytes p{3, 1, 2, 3};
  std::string seen = "123";
  while (NextPermutation(p))
    seen += " " + std::to_string(p[1]) + std::to_string(p[2]) + std::to_string(p[3]);
  EXPECT_EQ(seen, "123 213 231 132 312 321");
  EXPECT_EQ(p, (TBytes{3, 3, 2, 1}));
  TBytes q{5, 1, 2, 3, 4, 5};
  int count = 1;
  while (NextPermutation(q)) ++count;
  EXPECT_EQ(count, 120);
  TBytes shortp{4, 1, 2};
  EXPECT_FALSE(NextPermutation(shortp));
  TBytes junk{3, 9, 9, 9};
  EXPECT_FALSE(NextPermutation(junk));
  EXPECT_EQ(junk, (TBytes{3, 9, 9, 9}));
}

TEST(Combinatorics, NearestArrayValue) {
  EXPECT_EQ(IndexOfNearestArrayValue(2.4, TDoubleArray{1, 2, 3}), 1);
  EXPECT_EQ(IndexOfNearestArrayValue(2.5, TDoubleArray{1, 2, 3}), 1);
  EXPECT_EQ(IndexOfNearestArrayValue(-7, TIntArray{5, -6, -8}), 1);
  EXPECT_EQ(IndexOfNearestArrayValue(1, TDoubleArray{}), -1);
  const double inf = std::numeric_limits<double>::infinity();
  EXPECT_EQ(IndexOfNearestArrayValue(1, TDoubleArray{inf, -inf}), 0);
  EXPECT_EQ(IndexOfNearestArrayValue(1e308, TDoubleArray{-1e308, 1.5e308}), 1);
}

}  // namespace
}  // namespace tkz
