#include <gtest/gtest.h>

#include <cctype>
#include <set>
#include <string>
#include <vector>

#include "core/platform/stream.h"
#include "core/platform/stringlist.h"
#include "core/platform/textfile.h"
#include "core/sys/filesys.h"
#include "core/text/stringl.h"
#include "support/temp_dir.h"

namespace tkz {
namespace {

using testing_support::TempDirTest;

class TextFiles : public TempDirTest {};

TEST_F(TextFiles, TypeFromFirstBytes) {
  const std::vector<std::pair<std::string, TTextfileType>> cases = {
      {"\xEF\xBB\xBFx", tftUTF8},
      {std::string("\xFF\xFE\0\0", 4), tftUnicode4_le},
      {std::string("\0\0\xFE\xFF", 4), tftUnicode4_be},
      {std::string("\xFF\xFE\x41\0", 4), tftUnicode_le},
      {"\xFF\xFE", tftUnicode_le},  // a BOM alone is no UTF-32 mark
      {std::string("\xFF\xFE\0", 3), tftUnicode_le},
      {"\xFE\xFFxy", tftUnicode_be},
      {"{\\rtf1", tftRTF},
      {"{\\", tftUnknown},
      {"", tftUnknown},
      {"plain", tftUnknown},
  };
  for (const auto& [bytes, type] : cases) {
    Put(Path("f"), bytes);
    EXPECT_EQ(CheckTextFileType(Path("f")), type) << bytes.size();
  }
  EXPECT_THROW(CheckTextFileType(Path("missing")), EInOutError);
}

TEST_F(TextFiles, WordsAreRunsFromExclamationMarkUp) {
  Put(Path("w"), "  ab\t\r\ncd\x01\xE9t!  ");
  TTextFile f;
  f.AssignFile(Path("w"));
  f.Reset();
  EXPECT_EQ(ReadNextWordInTextFile(f), "ab");
  EXPECT_EQ(ReadNextWordInTextFile(f), "cd");
  EXPECT_EQ(ReadNextWordInTextFile(f), "\xE9t!");
  EXPECT_EQ(ReadNextWordInTextFile(f), "");
  f.CloseFile();
  Put(Path("w"), "  ab");
  f.Reset();
  EXPECT_EQ(ReadNextWordInTextFile(f), "ab");
}

TEST_F(TextFiles, AppendCreatesButNeverReplaces) {
  AppendToTextFile(Path("log"), "one");
  AppendToTextFile(Path("log"), "two");
  TStringList more;
  more.Add("three");
  more.Add("four");
  AppendToTextFile(Path("log"), &more);
  EXPECT_EQ(Slurp(Path("log")), "one\r\ntwo\r\nthree\r\nfour\r\n");
  EXPECT_THROW(AppendToTextFile(Path("no/dir/log"), "x"), EInOutError);
  // A folder of that name is not a missing file: nothing is created.
  EXPECT_THROW(AppendToTextFile(dir_, "x"), EInOutError);
}

TEST_F(TextFiles, LastLinesAndLineCount) {
  Put(Path("t"), "1\r\n2\n3\r4\r\n5");
  int total = 0;
  EXPECT_EQ(ReadLastNLinesOfTextFile(Path("t"), 3, total), (TStrArray{"3", "4", "5"}));
  EXPECT_EQ(total, 5);
  EXPECT_EQ(ReadLastNLinesOfTextFile(Path("t"), 7, total),
            (TStrArray{"", "", "1", "2", "3", "4", "5"}));
  EXPECT_TRUE(ReadLastNLinesOfTextFile(Path("t"), 0, total).empty());
  EXPECT_EQ(total, 5);

  // The open file is rewound afterwards.
  TTextFile f;
  f.AssignFile(Path("t"));
  EXPECT_EQ(ReadLastNLinesOfTextFile(f, 1, total), TStrArray{"5"});
  std::string first;
  f.ReadLn(first);
  EXPECT_EQ(first, "1");
  EXPECT_EQ(CountLinesInTextFile(f), 5);
  f.ReadLn(first);
  EXPECT_EQ(first, "1");
  f.CloseFile();

  std::string many;
  for (int i = 0; i < 2500; ++i) many += "x\n";
  Put(Path("many"), many);
  static std::vector<double> seen;
  seen.clear();
  EXPECT_EQ(CountLinesInTextFile(Path("many"),
                                 [](TObject* s, double n, double z) {
                                   EXPECT_EQ(s, nullptr);
                                   EXPECT_EQ(z, 0);
                                   seen.push_back(n);
                                 }),
            2500);
  EXPECT_EQ(seen, (std::vector<double>{1000, 2000}));
  Put(Path("empty"), "");
  EXPECT_EQ(CountLinesInTextFile(Path("empty")), 0);
  EXPECT_THROW(CountLinesInTextFile(Path("missing")), EInOutError);
}

TEST_F(TextFiles, StringSearches) {
  Put(Path("s"), "Hello\r\nbig World\r\nworld end\r\n");
  EXPECT_EQ(DetectStringInFile(Path("s"), "World", false, 100), 10);  // 5 + 5
  EXPECT_EQ(DetectStringInFile(Path("s"), "world", false, 100), 15);  // 5 + 9 + 1
  EXPECT_EQ(DetectStringInFile(Path("s"), "world", true, 100), 10);
  EXPECT_EQ(DetectStringInFile(Path("s"), "World", false, 10), 10);
  EXPECT_EQ(DetectStringInFile(Path("s"), "World", false, 9), 0);
  EXPECT_EQ(DetectStringInFile(Path("s"), "end", false, 4), 0);
  EXPECT_EQ(DetectStringInFile(Path("s"), "absent", true, 1000), 0);
  EXPECT_EQ(DetectStringInFile(Path("s"), "", true, 1000), 0);

  std::string line = "stale";
  EXPECT_EQ(FindFirstMatchInTextFile(Path("s"), "WORLD", true, line), 5);
  EXPECT_EQ(line, "big World");
  EXPECT_EQ(FindFirstMatchInTextFile(Path("s"), "world", false, line), 1);
  EXPECT_EQ(line, "world end");
  EXPECT_EQ(FindFirstMatchInTextFile(Path("s"), "\xC9t\xC9", true, line), 0);
  EXPECT_EQ(line, "");
  Put(Path("acc"), "x \xC9t\xC9 y\n");
  EXPECT_EQ(FindFirstMatchInTextFile(Path("acc"), "\xE9T\xE9", true, line), 3);
  EXPECT_THROW(FindFirstMatchInTextFile(Path("missing"), "x", true, line), EInOutError);
}

struct Header {
  int rc;
  std::string title;
  int n1, n2;
  bool f1, f2, f3, f4;
};

Header ReadHeader(const std::string& text) {
  TStringStream s(text);
  Header h{};
  h.rc = ReadHeaderOfASC(&s, h.title, h.n1, h.n2, h.f1, h.f2, h.f3, h.f4);
  return h;
}

TEST_F(TextFiles, HeaderOfASC) {
  Header h = ReadHeader("My data\r\n12 objects\r\n3\r\ntrue\tFALSE  True falsch\r\n1 2 3\r\n");
  EXPECT_EQ(h.rc, kASCHeaderOK);
  EXPECT_EQ(h.title, "My data");
  EXPECT_EQ(h.n1, 12);
  EXPECT_EQ(h.n2, 3);
  EXPECT_TRUE(h.f1);
  EXPECT_FALSE(h.f2);
  EXPECT_TRUE(h.f3);
  EXPECT_FALSE(h.f4);
  EXPECT_TRUE(ReadHeader("t\n1\n1\nfalse false false TRUE\n").f4);
  // A number that ends its line does not swallow the next line.
  h = ReadHeader("t\n5\n7\nTRUE TRUE TRUE TRUE\n");
  EXPECT_EQ(h.rc, kASCHeaderOK);
  EXPECT_EQ(h.n2, 7);

  EXPECT_EQ(ReadHeader("t\n0\n1\nTRUE TRUE TRUE TRUE\n").rc, kASCBadN1);
  EXPECT_EQ(ReadHeader("t\nabc\n1\nTRUE TRUE TRUE TRUE\n").rc, kASCBadN1);
  EXPECT_EQ(ReadHeader("t\n\n1\nTRUE TRUE TRUE TRUE\n").rc, kASCBadN1);
  EXPECT_EQ(ReadHeader("t\n99999999999\n1\nTRUE TRUE TRUE TRUE\n").rc, kASCBadN1);
  EXPECT_EQ(ReadHeader("t\n4\n-1\nTRUE TRUE TRUE TRUE\n").rc, kASCBadN2);
  EXPECT_EQ(ReadHeader("t\n4\n").rc, kASCBadN2);
  EXPECT_EQ(ReadHeader("t\n4\n2\nTRUE maybe TRUE TRUE\n").rc, kASCBadFlag);
  EXPECT_EQ(ReadHeader("t\n4\n2\nTRUE TRUE\n").rc, kASCBadFlag);
  EXPECT_EQ(ReadHeader("").rc, kASCBadN1);

  // The stream stays after the fourth line.
  TStringStream s("t\n1\n1\nTRUE TRUE TRUE TRUE\nrest");
  std::string title;
  int n1, n2;
  bool f1, f2, f3, f4;
  ReadHeaderOfASC(&s, title, n1, n2, f1, f2, f3, f4);
  EXPECT_EQ(s.ReadString(10), "rest");

  Put(Path("h.asc"), "File title\n2\n3\nFALSE FALSE FALSE FALSE\n");
  EXPECT_EQ(ReadHeaderOfASC(Path("h.asc"), title, n1, n2, f1, f2, f3, f4), kASCHeaderOK);
  EXPECT_EQ(title, "File title");
  EXPECT_THROW(ReadHeaderOfASC(Path("missing"), title, n1, n2, f1, f2, f3, f4), EInOutError);
}

bool IsVowel(char c) { return std::string_view("aeiouy").find(c) != std::string_view::npos; }
bool IsConsonant(char c) {
  return std::string_view("bcdfghjklmnpqrstvwxz").find(c) != std::string_view::npos;
}

TEST(Passwords, PronounceableLayout) {
  RandSeed(7);
  for (int len = 0; len <= 20; ++len) {
    const std::string p = InventPassword(len);
    const int clamped = len < 4 ? 4 : (len > 14 ? 14 : len);
    ASSERT_EQ(static_cast<int>(p.size()), clamped + 2) << p;
    std::string letters = p;
    const size_t at = std::min<size_t>(6, static_cast<size_t>(clamped));
    ASSERT_TRUE(isdigit(static_cast<unsigned char>(p[at])) &&
                isdigit(static_cast<unsigned char>(p[at + 1])))
        << p;
    letters.erase(at, 2);
    size_t i = 0;
    if (clamped % 2 == 1) {
      EXPECT_TRUE(IsVowel(letters[i++])) << p;
    }
    for (; i < letters.size(); i += 2) {
      EXPECT_TRUE(IsConsonant(letters[i])) << p;
      EXPECT_TRUE(IsVowel(letters[i + 1])) << p;
    }
  }
  RandSeed(99);
  const std::string a = InventPassword(8);
  RandSeed(99);
  EXPECT_EQ(InventPassword(8), a);
}

TEST(Passwords, MixedCaseAndSpecialCharacters) {
  RandSeed(3);
  std::set<char> specials;
  int upper = 0, total = 0;
  for (int n = 0; n < 400; ++n) {
    const std::string p = InventPassword(10, true, true);
    ASSERT_EQ(p.size(), 12u);
    for (size_t i = 0; i < 10; ++i) {
      const char c = p[i];
      ++total;
      if (isupper(static_cast<unsigned char>(c))) ++upper;
      if (!isalnum(static_cast<unsigned char>(c))) specials.insert(c);
    }
  }
  EXPECT_EQ(specials, (std::set<char>{'_', '!', '$', '%', '#', '='}));
  // About 0.5 * 0.8 of the 8 letters among the 10 places are upper case.
  EXPECT_GT(upper, total * 25 / 100);
  EXPECT_LT(upper, total * 40 / 100);
  const std::string plain = InventPassword(10, false, false);
  for (char c : plain) EXPECT_TRUE(islower(static_cast<unsigned char>(c)) || isdigit(c)) << plain;
}

}  // namespace
}  // namespace tkz
