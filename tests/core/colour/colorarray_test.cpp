#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/colour/tkzcolors.h"
#include "support/temp_dir.h"

using namespace tkz;

namespace {

// An array of the given size whose entry k holds the colour k.
std::unique_ptr<TColorArray> Numbered(int32_t size) {
  auto a = std::make_unique<TColorArray>();
  a->Resize(size);
  for (int32_t k = 1; k <= size; ++k) a->SetColorElem(k, k);
  return a;
}

std::vector<TColor> Entries(const TColorArray& a) { return a.Colors(); }

TEST(ColorArray, NewArrayIsTheRainbow) {
  TColorArray a;
  EXPECT_EQ(a.GetSize(), 1000);
  EXPECT_EQ(a.GetColorElem(1), 0x400020);
  EXPECT_EQ(a.GetColorElem(1000), 0x000040);
  EXPECT_EQ(a.GetColorElem(0), a.GetColorElem(1));
  EXPECT_EQ(a.GetColorElem(-7), a.GetColorElem(1));
  EXPECT_EQ(a.GetColorElem(1005), a.GetColorElem(1000));
  a.Fill(clBlack);
  a.Restore();  // the backup holds the rainbow too
  EXPECT_EQ(a.GetColorElem(1000), 0x000040);
}

TEST(ColorArray, SizeAndElements) {
  TColorArray a;
  a.SetName("ca");
  int changes = 0;
  a.OnChange = [&](TObject* sender) {
    EXPECT_EQ(sender, &a);
    ++changes;
  };
  EXPECT_TRUE(a.Resize(1000));
  EXPECT_EQ(changes, 0);
  EXPECT_FALSE(a.Resize(0));
  EXPECT_FALSE(a.Resize(-5));
  a.SetSize(0);
  EXPECT_EQ(a.GetSize(), 1000);
  EXPECT_EQ(changes, 0);

  const TColor third = a.GetColorElem(3);
  EXPECT_TRUE(a.Resize(1010));
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(a.GetColorElem(3), third);
  EXPECT_EQ(a.GetColorElem(1010), 0);
  a.SetSize(5);
  EXPECT_EQ(a.GetSize(), 5);
  EXPECT_EQ(a.GetColorElem(3), third);
  a.Restore();  // the backup was resized with the colours
  EXPECT_EQ(a.Colors().size(), 5u);

  changes = 0;
  a.SetColorElem(2, clRed);
  a.SetColorElem(0, clBlue);  // ignored, but announced
  a.SetColorElem(6, clBlue);
  EXPECT_EQ(changes, 3);
  EXPECT_EQ(a.GetColorElem(2), clRed);
  EXPECT_EQ(a.GetColorElem(1), a.GetColorElem(0));
  EXPECT_NE(a.GetColorElem(5), clBlue);
}

TEST(ColorArray, InterpolationEndpointsAndBands) {
  TColorArray a;
  a.Resize(100);
  a.FillByInterpolation(0, {clBlack, clWhite});
  EXPECT_EQ(a.GetColorElem(1), 0x020202);  // 255 / 100 truncated
  EXPECT_EQ(a.GetColorElem(100), clWhite);
  EXPECT_EQ(a.GetColorElem(50), 0x7F7F7F);

  a.FillByInterpolation(4, ColorArray_Rainbow);
  // Quantised positions 0, 25, 50, 75 and 100: runs of equal colours.
  const int runs[][2] = {{1, 12}, {13, 37}, {38, 62}, {63, 87}, {88, 100}};
  for (const auto& run : runs) {
    for (int k = run[0]; k <= run[1]; ++k) EXPECT_EQ(a.GetColorElem(k), a.GetColorElem(run[0]));
    if (run[0] > 1) {
      EXPECT_NE(a.GetColorElem(run[0]), a.GetColorElem(run[0] - 1));
    }
  }
  EXPECT_EQ(a.GetColorElem(1), ColorArray_Rainbow[0]);
  EXPECT_EQ(a.GetColorElem(13), MeanColor(ColorArray_Rainbow[2], ColorArray_Rainbow[3]));
  EXPECT_EQ(a.GetColorElem(100), ColorArray_Rainbow[10]);
}

TEST(ColorArray, InterpolationWithFewOrManyKeys) {
  TColorArray a;
  a.Resize(4);
  const std::vector<TColor> before = Entries(a);
  int changes = 0;
  a.OnChange = [&](TObject*) { ++changes; };
  a.FillByInterpolation(0, std::span<const TColor>());
  EXPECT_EQ(changes, 0);
  EXPECT_EQ(Entries(a), before);
  a.FillByInterpolation(0, {clLime});
  EXPECT_EQ(Entries(a), std::vector<TColor>(4, clLime));
  EXPECT_EQ(changes, 1);
  // More key colours than entries: the first band (position 0) takes the
  // first key colour, the others skip keys, as the positions fall.
  a.Resize(3);
  a.FillByInterpolation(1, ColorArray_Contrast);
  EXPECT_EQ(Entries(a), (std::vector<TColor>{ColorArray_Contrast[0], ColorArray_Contrast[11],
                                             ColorArray_Contrast[11]}));
}

TEST(ColorArray, Transforms) {
  auto a = Numbered(10);
  const std::vector<TColor> original = Entries(*a);
  a->LogTransform(0);
  EXPECT_EQ(Entries(*a), original);
  a->LogTransform(-3);
  EXPECT_EQ(Entries(*a), original);
  a->LogTransform(1);
  EXPECT_EQ(Entries(*a), (std::vector<TColor>{1, 4, 6, 7, 8, 9, 9, 10, 10, 10}));
  auto b = Numbered(10);
  b->LogTransform(42);  // clamped to 1
  EXPECT_EQ(Entries(*b), Entries(*a));

  auto one = Numbered(1);
  int changes = 0;
  one->OnChange = [&](TObject*) { ++changes; };
  one->LogTransform(1);
  EXPECT_EQ(one->GetColorElem(1), 1);
  EXPECT_EQ(changes, 1);

  auto m = Numbered(5);
  m->MirrorColors();
  EXPECT_EQ(Entries(*m), (std::vector<TColor>{5, 4, 3, 2, 1}));
  m->MirrorColors();
  EXPECT_EQ(Entries(*m), (std::vector<TColor>{1, 2, 3, 4, 5}));

  TColorArray c;
  c.Resize(2);
  c.SetColorElem(1, 0x123456);
  c.SetColorElem(2, static_cast<TColor>(0xFF000001));
  c.InvertColors();
  EXPECT_EQ(Entries(c), (std::vector<TColor>{0xEDCBA9, 0xFFFFFE}));
  c.ReverseRGB();
  EXPECT_EQ(Entries(c), (std::vector<TColor>{0xA9CBED, 0xFEFFFF}));
}

TEST(ColorArray, BackupAndRestore) {
  auto a = Numbered(3);
  int changes = 0;
  a->OnChange = [&](TObject*) { ++changes; };
  a->Backup();
  EXPECT_EQ(changes, 0);
  a->Fill(clRed);
  a->Restore();
  EXPECT_EQ(changes, 2);
  EXPECT_EQ(Entries(*a), (std::vector<TColor>{1, 2, 3}));
}

TEST(ColorArray, ColorToIndex) {
  TColorArray a;
  a.Resize(4);
  const TColor colours[] = {clRed, clGray, clRed, clNavy};
  for (int k = 1; k <= 4; ++k) a.SetColorElem(k, colours[k - 1]);
  double d = -1;
  EXPECT_EQ(a.ColorToIndex(clRed, d), 1);
  EXPECT_EQ(d, 0);
  EXPECT_EQ(a.ColorToIndex(clBlue, d), 4);
  EXPECT_NEAR(d, RGBColorDistance(clBlue, clNavy), 1e-15);
  EXPECT_EQ(a.ColorToIndex(RGB(120, 120, 130), d), 2);
  a.Fill(clBlack);
  EXPECT_EQ(a.ColorToIndex(clWhite, d), 1);
  EXPECT_EQ(d, 1.0);
}

TEST(ColorArray, CopyFrom) {
  auto src = Numbered(6);
  auto dst = Numbered(5);
  int changes = 0;
  dst->OnChange = [&](TObject*) { ++changes; };
  dst->CopyFrom(nullptr, 1, 3, 1);
  EXPECT_EQ(changes, 0);
  dst->CopyFrom(src.get(), 6, 4, 3);  // bounds in either order
  EXPECT_EQ(Entries(*dst), (std::vector<TColor>{1, 2, 4, 5, 6}));
  dst->CopyFrom(src.get(), -10, 100, -2);  // clamped, then what fits
  EXPECT_EQ(Entries(*dst), (std::vector<TColor>{4, 5, 6, 5, 6}));
  EXPECT_EQ(changes, 2);
  dst->CopyFrom(src.get(), 1, 2, INT32_MAX);  // nothing fits
  EXPECT_EQ(Entries(*dst), (std::vector<TColor>{4, 5, 6, 5, 6}));

  auto self = Numbered(5);
  self->CopyFrom(self.get(), 1, 4, 2);  // overlapping: the original colours move
  EXPECT_EQ(Entries(*self), (std::vector<TColor>{1, 1, 2, 3, 4}));
  self->CopyFrom(self.get(), 3, 5, 1);
  EXPECT_EQ(Entries(*self), (std::vector<TColor>{2, 3, 4, 3, 4}));
}

TEST(ColorArray, EqualityAndAssign) {
  auto a = Numbered(4);
  auto b = Numbered(4);
  EXPECT_TRUE(a->IsEqual(b.get()));
  EXPECT_FALSE(a->IsEqual(nullptr));
  b->Backup();
  b->SetColorElem(4, 9);
  EXPECT_FALSE(a->IsEqual(b.get()));
  auto c = Numbered(3);
  EXPECT_FALSE(a->IsEqual(c.get()));

  int changes = 0;
  a->OnChange = [&](TObject*) { ++changes; };
  TColorArray d;
  d.Assign(b.get());  // size, colours and backup; no handler
  EXPECT_TRUE(d.IsEqual(b.get()));
  EXPECT_FALSE(d.OnChange);
  d.Restore();
  EXPECT_EQ(Entries(d), (std::vector<TColor>{1, 2, 3, 4}));
  c->AssignTo(a.get());
  EXPECT_TRUE(a->IsEqual(c.get()));
  EXPECT_EQ(changes, 0);
  TComponent other;
  EXPECT_THROW(a->Assign(&other), EConvertError);
  EXPECT_THROW(a->AssignTo(&other), EConvertError);
}

class ColorArrayFile : public testing_support::TempDirTest {};

TEST_F(ColorArrayFile, StoresBoundsInOrderAndReloads) {
  auto a = Numbered(8);
  a->SetColorElem(3, clBlue);
  ASSERT_TRUE(a->StoreOnFile(5, 1, Path("c.txt")));
  EXPECT_EQ(Slurp(Path("c.txt")),
            "1 5\r\n00000001\r\n00000002\r\n00FF0000\r\n00000004\r\n00000005\r\n");
  ASSERT_TRUE(a->StoreOnFile(-3, 99, Path("all.txt")));
  EXPECT_EQ(Slurp(Path("all.txt")).substr(0, 5), "1 8\r\n");

  TColorArray b;
  int changes = 0;
  b.OnChange = [&](TObject*) { ++changes; };
  ASSERT_TRUE(b.LoadFromFile(Path("c.txt"), true));
  EXPECT_EQ(b.GetSize(), 5);
  EXPECT_EQ(Entries(b), (std::vector<TColor>{1, 2, clBlue, 4, 5}));
  EXPECT_EQ(changes, 2);  // the resize and the end of the reading

  // Only the files we asked for: the temporary files were renamed.
  int files = 0;
  for (const auto& e : std::filesystem::directory_iterator(dir_)) files += e.is_regular_file();
  EXPECT_EQ(files, 2);
  EXPECT_FALSE(a->StoreOnFile(1, 2, Path("missing/dir/c.txt")));
}

TEST_F(ColorArrayFile, ReadsWithoutAdjustOnlyWhatFits) {
  Put(Path("p.txt"), "2 3\n$0000ff\n  00ff00 trailing\n");
  auto a = Numbered(4);
  ASSERT_TRUE(a->LoadFromFile(Path("p.txt"), false));
  EXPECT_EQ(Entries(*a), (std::vector<TColor>{1, clRed, clLime, 4}));

  Put(Path("big.txt"), "1 5\n1\n2\n3\n4\n5\n");
  auto b = Numbered(4);
  int changes = 0;
  b->OnChange = [&](TObject*) { ++changes; };
  EXPECT_FALSE(b->LoadFromFile(Path("big.txt"), false));
  EXPECT_EQ(Entries(*b), (std::vector<TColor>{1, 2, 3, 4}));
  EXPECT_EQ(changes, 0);
}

TEST_F(ColorArrayFile, SectionsInOneOpenFile) {
  auto a = Numbered(3);
  auto b = Numbered(2);
  b->Fill(clYellow);
  TTextFile f;
  f.AssignFile(Path("two.txt"));
  f.Rewrite();
  EXPECT_TRUE(a->WriteToOpenTextFile(f, 1, 3));
  EXPECT_TRUE(b->WriteToOpenTextFile(f, 2, 1));
  f.CloseFile();

  TColorArray x, y;
  f.Reset();
  EXPECT_TRUE(x.ReadFromOpenTextFile(f, true));
  EXPECT_TRUE(y.ReadFromOpenTextFile(f, true));
  EXPECT_FALSE(y.ReadFromOpenTextFile(f, true));  // end of the file
  f.CloseFile();
  EXPECT_TRUE(x.IsEqual(a.get()));
  EXPECT_TRUE(y.IsEqual(b.get()));

  // Writing to a file open for reading fails, and says so.
  f.Reset();
  EXPECT_FALSE(a->WriteToOpenTextFile(f, 1, 3));
}

TEST_F(ColorArrayFile, BadFilesLeaveTheArrayAlone) {
  const std::vector<std::pair<const char*, std::string>> bad = {
      {"empty", ""},
      {"blank header", "\n00000001\n"},
      {"one bound", "1\n00000001\n"},
      {"text header", "one two\n"},
      {"glued header", "1x 2\n00000001\n00000002\n"},
      {"overflowing bound", "1 99999999999\n"},
      {"truncated", "1 4\n00000001\n00000002\n"},
      {"huge count", "1 2000000000\n00000001\n"},
      {"huge range", "-2000000000 2000000000\n00000001\n"},
      {"far low bound", "-2000000000 3\n00000001\n"},
      {"above the limit", "2000000 2000000\n00000001\n"},
      {"binary", std::string("\x00\xff\x1a\r\n\x01", 6)},
  };
  for (const auto& [what, text] : bad) {
    Put(Path("bad.txt"), text);
    auto a = Numbered(3);
    int changes = 0;
    a->OnChange = [&](TObject*) { ++changes; };
    EXPECT_FALSE(a->LoadFromFile(Path("bad.txt"), true)) << what;
    EXPECT_EQ(Entries(*a), (std::vector<TColor>{1, 2, 3})) << what;
    EXPECT_EQ(changes, 0) << what;
  }
  auto a = Numbered(3);
  EXPECT_FALSE(a->LoadFromFile(Path("no_such_file.txt"), true));
}

TEST_F(ColorArrayFile, OddButReadableFiles) {
  // Unreadable entry lines keep their entry; entries below 1 are dropped.
  Put(Path("odd.txt"), "-1 3 comment\r\nFFFFFF\r\n00000000\r\nnot hex\r\n$\r\n");
  auto a = Numbered(3);
  EXPECT_FALSE(a->LoadFromFile(Path("odd.txt"), false));  // the line of entry 3 is missing
  Put(Path("odd.txt"), "-1 3 comment\r\nFFFFFF\r\n00000000\r\nnot hex\r\n$\r\n 0000FF\r\n");
  ASSERT_TRUE(a->LoadFromFile(Path("odd.txt"), false));
  EXPECT_EQ(Entries(*a), (std::vector<TColor>{1, 2, clRed}));

  // Nothing to read, and a size below 1 that the array cannot take.
  Put(Path("none.txt"), "5 4\n");
  ASSERT_TRUE(a->LoadFromFile(Path("none.txt"), true));
  EXPECT_EQ(a->GetSize(), 4);
  Put(Path("zero.txt"), "0 0\n00000001\n");
  ASSERT_TRUE(a->LoadFromFile(Path("zero.txt"), true));
  EXPECT_EQ(a->GetSize(), 4);
}

}  // namespace
