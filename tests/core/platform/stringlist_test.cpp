#include "core/platform/stringlist.h"

#include <gtest/gtest.h>

#include "support/temp_dir.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "core/platform/stream.h"

namespace tkz {
namespace {

using Strings = std::vector<std::string>;

Strings Items(const TStringList& l) {
  Strings v;
  for (int i = 0; i < l.Count(); ++i) v.push_back(l.Strings(i));
  return v;
}

void Fill(TStringList& l, const Strings& v) {
  for (const auto& s : v) l.Add(s);
}

template <typename F>
void ExpectListError(F&& f, const std::string& message) {
  try {
    f();
    ADD_FAILURE() << "no exception, expected: " << message;
  } catch (const EStringListError& e) {
    EXPECT_EQ(std::string(e.what()), message);
  }
}

// --------------------------------------------------------------- editing

TEST(StringList, EditsLinesWithTheirObjects) {
  TStringList l;
  TObject one, two;
  EXPECT_EQ(l.Add("b"), 0);
  EXPECT_EQ(l.AddObject("d", &two), 1);
  l.Insert(0, "a");
  l.InsertObject(2, "c", &one);
  EXPECT_EQ(Items(l), (Strings{"a", "b", "c", "d"}));
  EXPECT_EQ(l.Objects(2), &one);
  EXPECT_EQ(l.Objects(0), nullptr);
  l.Exchange(2, 3);
  EXPECT_EQ(Items(l), (Strings{"a", "b", "d", "c"}));
  EXPECT_EQ(l.Objects(3), &one);
  l.Put(1, "B");
  l.PutObject(1, &two);
  l.Delete(0);
  EXPECT_EQ(Items(l), (Strings{"B", "d", "c"}));
  EXPECT_EQ(l.Get(0), "B");
  EXPECT_EQ(l.Objects(0), &two);
  l.Insert(3, "end");  // Count itself is a valid insertion point
  EXPECT_EQ(l.Count(), 4);
  l.Clear();
  EXPECT_EQ(l.Count(), 0);
}

TEST(StringList, IndexErrorsNameTheIndex) {
  TStringList l;
  Fill(l, {"a", "b"});
  ExpectListError([&] { l.Get(2); }, "List index out of bounds (2)");
  ExpectListError([&] { l.Strings(-1); }, "List index out of bounds (-1)");
  ExpectListError([&] { l.Put(5, "x"); }, "List index out of bounds (5)");
  ExpectListError([&] { l.Delete(2); }, "List index out of bounds (2)");
  ExpectListError([&] { l.Insert(3, "x"); }, "List index out of bounds (3)");
  ExpectListError([&] { l.Objects(-7); }, "List index out of bounds (-7)");
  ExpectListError([&] { l.Exchange(0, 9); }, "List index out of bounds (9)");
  ExpectListError([&] { l.Names(2); }, "List index out of bounds (2)");
  EXPECT_EQ(Items(l), (Strings{"a", "b"}));
}

// ------------------------------------------------------ comparisons, order

TEST(StringList, IndexOfFoldsWindows1252Case) {
  TStringList l;
  Fill(l, {"x",
           "\xC9"
           "cole",
           "\x8A"
           "koda",
           "Stra\xDF"
           "e"});
  EXPECT_EQ(l.IndexOf("\xE9"
                      "COLE"),
            1);  // école
  EXPECT_EQ(l.IndexOf("\x9A"
                      "KODA"),
            2);  // škoda
  EXPECT_EQ(l.IndexOf("STRA\xDF"
                      "E"),
            3);  // ß has no capital
  EXPECT_EQ(l.IndexOf("y"), -1);
  l.SetCaseSensitive(true);
  EXPECT_EQ(l.IndexOf("\xE9"
                      "COLE"),
            -1);
  EXPECT_EQ(l.IndexOf("\xC9"
                      "cole"),
            1);
}

TEST(StringList, SortIsStableAndCarriesObjects) {
  TStringList l;
  TObject o1, o2;
  Fill(l, {"b", "A", "_", "B"});
  l.AddObject("a", &o1);
  l.PutObject(0, &o2);
  l.Sort();
  // Case folds to upper case: "_" (0x5F) sorts after the letters.
  EXPECT_EQ(Items(l), (Strings{"A", "a", "b", "B", "_"}));
  EXPECT_EQ(l.Objects(1), &o1);
  EXPECT_EQ(l.Objects(2), &o2);
  l.SetCaseSensitive(true);
  l.Sort();
  EXPECT_EQ(Items(l), (Strings{"A", "B", "_", "a", "b"}));
}

TEST(StringList, SortedListKeepsOrderAndHandlesDuplicates) {
  TStringList l;
  Fill(l, {"pear", "apple", "Fig"});
  l.SetSorted(true);
  EXPECT_EQ(Items(l), (Strings{"apple", "Fig", "pear"}));
  EXPECT_EQ(l.Add("banana"), 1);
  EXPECT_EQ(l.Add("zz"), 4);

  // dupIgnore: the line present keeps its place and spelling.
  EXPECT_EQ(l.Add("FIG"), 2);
  EXPECT_EQ(l.Count(), 5);
  EXPECT_EQ(l.Strings(2), "Fig");

  l.SetDuplicates(dupAccept);
  TObject o;
  EXPECT_EQ(l.AddObject("fig", &o), 3);  // after the equal line present
  EXPECT_EQ(Items(l), (Strings{"apple", "banana", "Fig", "fig", "pear", "zz"}));

  l.SetDuplicates(dupError);
  ExpectListError([&] { l.Add("PEAR"); }, "List does not allow duplicates: \"PEAR\"");
  EXPECT_EQ(l.Count(), 6);

  int index = -1;
  EXPECT_TRUE(l.Find("FIG", index));
  EXPECT_EQ(index, 2);  // first of the equal lines
  EXPECT_FALSE(l.Find("cherry", index));
  EXPECT_EQ(index, 2);  // where it would go
  EXPECT_FALSE(l.Find("zzz", index));
  EXPECT_EQ(index, 6);
  EXPECT_EQ(l.IndexOf("ZZ"), 5);

  ExpectListError([&] { l.Insert(0, "x"); }, "Operation not allowed on sorted list");
  ExpectListError([&] { l.Put(0, "x"); }, "Operation not allowed on sorted list");
  ExpectListError([&] { l.Exchange(0, 1); }, "Operation not allowed on sorted list");

  // A case-sensitive sorted list is sorted again by bytes.
  l.SetCaseSensitive(true);
  EXPECT_EQ(Items(l), (Strings{"Fig", "apple", "banana", "fig", "pear", "zz"}));
  EXPECT_TRUE(l.Find("fig", index));
  EXPECT_EQ(index, 3);

  l.SetSorted(false);
  l.Insert(0, "now allowed");
  int absent = -1;
  EXPECT_FALSE(l.Find("nothing", absent));
  EXPECT_EQ(absent, l.Count());
}

// ---------------------------------------------------------------- text forms

TEST(StringList, TextJoinsWithCrLfAndSplitsAtEveryLineEnd) {
  TStringList l;
  l.SetText("a\r\nb\nc\rd");
  EXPECT_EQ(Items(l), (Strings{"a", "b", "c", "d"}));
  EXPECT_EQ(l.GetText(), "a\r\nb\r\nc\r\nd\r\n");
  l.SetText("one\r\n\r\n");
  EXPECT_EQ(Items(l), (Strings{"one", ""}));
  l.SetText("\r\r\n\n");
  EXPECT_EQ(Items(l), (Strings{"", "", ""}));
  l.SetText("");
  EXPECT_EQ(l.Count(), 0);
  EXPECT_EQ(l.GetText(), "");
}

TEST(StringList, CommaTextQuotesWhatNeedsIt) {
  TStringList l;
  Fill(l, {"plain", "two words", "a,b", "say \"hi\"", "", "tab\there", "\xE9t\xE9"});
  EXPECT_EQ(l.GetCommaText(),
            "plain,\"two words\",\"a,b\",\"say \"\"hi\"\"\",,\"tab\there\",\xE9t\xE9");
  TStringList back;
  back.SetCommaText(l.GetCommaText());
  EXPECT_EQ(Items(back), Items(l));

  // Unquoted blanks separate items; blanks around delimiters are skipped.
  back.SetCommaText("  a b , c,,\"d \"\"e\"\"\" ,");
  EXPECT_EQ(Items(back), (Strings{"a", "b", "c", "", "d \"e\"", ""}));
  back.SetCommaText("\"unterminated, still");
  EXPECT_EQ(Items(back), (Strings{"unterminated, still"}));
  back.SetCommaText("");
  EXPECT_EQ(back.Count(), 0);

  // A single empty item survives the round trip.
  TStringList one;
  one.Add("");
  EXPECT_EQ(one.GetCommaText(), "\"\"");
  back.SetCommaText(one.GetCommaText());
  EXPECT_EQ(Items(back), Strings{""});
}

TEST(StringList, DelimitedTextUsesDelimiterAndQuoteChar) {
  TStringList l;
  l.SetDelimiter(';');
  l.SetQuoteChar('\'');
  Fill(l, {"a,b", "it's", "x;y", "c"});
  EXPECT_EQ(l.GetDelimitedText(), "a,b;'it''s';'x;y';c");
  EXPECT_EQ(l.GetCommaText(), "\"a,b\",it's,x;y,c");  // CommaText ignores both
  TStringList back;
  back.SetDelimiter(';');
  back.SetQuoteChar('\'');
  back.SetDelimitedText(l.GetDelimitedText());
  EXPECT_EQ(Items(back), Items(l));

  // With a blank delimiter, empty items are quoted so they are not lost.
  TStringList tabbed;
  tabbed.SetDelimiter('\t');
  Fill(tabbed, {"a", "", "b c"});
  EXPECT_EQ(tabbed.GetDelimitedText(), "a\t\"\"\t\"b c\"");
  back.SetDelimiter('\t');
  back.SetQuoteChar('"');
  back.SetDelimitedText(tabbed.GetDelimitedText());
  EXPECT_EQ(Items(back), (Strings{"a", "", "b c"}));
}

TEST(StringList, NameValueLines) {
  TStringList l;
  Fill(l, {"Colour=red", "plain", "Size=10=ten", "=anonymous"});
  EXPECT_EQ(l.Names(0), "Colour");
  EXPECT_EQ(l.Names(1), "");
  EXPECT_EQ(l.ValueFromIndex(2), "10=ten");
  EXPECT_EQ(l.Values("colour"), "red");
  EXPECT_EQ(l.Values("size"), "10=ten");
  EXPECT_EQ(l.Values(""), "anonymous");
  EXPECT_EQ(l.Values("plain"), "");
  EXPECT_EQ(l.IndexOfName("SIZE"), 2);
  l.SetValues("Colour", "blue");
  l.SetValues("Weight", "3");
  l.SetValues("Size", "");  // deletes
  EXPECT_EQ(Items(l), (Strings{"Colour=blue", "plain", "=anonymous", "Weight=3"}));

  TStringList sorted;
  sorted.SetSorted(true);
  Fill(sorted, {"b=2", "a=1"});
  sorted.SetValues("a", "9");  // replaced although Put is refused on sorted lists
  EXPECT_EQ(Items(sorted), (Strings{"a=9", "b=2"}));
}

// -------------------------------------------------- copies and notification

TEST(StringList, AssignAndAddStrings) {
  TStringList src;
  TObject o;
  Fill(src, {"c", "a"});
  src.PutObject(1, &o);
  TStringList dst;
  dst.Add("old");
  dst.Assign(&src);
  EXPECT_EQ(Items(dst), (Strings{"c", "a"}));
  EXPECT_EQ(dst.Objects(1), &o);

  dst.AddStrings(&dst);  // adding a list to itself doubles it once
  EXPECT_EQ(Items(dst), (Strings{"c", "a", "c", "a"}));

  TStringList sorted;
  sorted.SetSorted(true);
  sorted.Assign(&dst);  // stays sorted, duplicates ignored
  EXPECT_EQ(Items(sorted), (Strings{"a", "c"}));

  TPersistent other;
  EXPECT_THROW(dst.Assign(&other), EConvertError);
  dst.Assign(&dst);
  EXPECT_EQ(dst.Count(), 4);
}

TEST(StringList, OnChangeFollowsEveryChange) {
  TStringList l;
  int calls = 0;
  l.OnChange = [&](TObject* sender) {
    EXPECT_EQ(sender, &l);
    ++calls;
  };
  l.Add("b");
  l.Add("a");
  l.Insert(0, "c");
  l.Put(0, "d");
  l.Exchange(0, 1);
  l.Sort();
  l.Delete(0);
  EXPECT_EQ(calls, 7);
  l.SetText("x\ny\nz");  // one change for the whole text
  l.SetCommaText("p,q");
  EXPECT_EQ(calls, 9);
  l.BeginUpdate();
  l.Add("1");
  l.Add("2");
  l.BeginUpdate();
  l.Clear();
  l.EndUpdate();
  EXPECT_EQ(calls, 9);
  l.EndUpdate();
  EXPECT_EQ(calls, 10);
  l.Clear();  // already empty: nothing changes
  l.BeginUpdate();
  l.EndUpdate();
  EXPECT_EQ(calls, 10);
  l.SetSorted(true);
  l.SetDuplicates(dupError);
  l.Add("k");
  EXPECT_THROW(l.SetText("k\nk"), EStringListError);
  EXPECT_EQ(calls, 12);  // the partial load is still reported
  EXPECT_EQ(Items(l), Strings{"k"});
}

// --------------------------------------------------------- files and streams

using StringListFiles = testing_support::TempDirTest;

TEST_F(StringListFiles, SavesAndLoadsFilesByteForByte) {
  const std::string name = Path("list.txt");
  TStringList l;
  Fill(l, {"first", "", "\xE9t\xE9 \x1A", "last"});
  l.SaveToFile(name);
  EXPECT_EQ(Slurp(name), "first\r\n\r\n\xE9t\xE9 \x1A\r\nlast\r\n");

  TStringList back;
  back.LoadFromFile(name);
  EXPECT_EQ(Items(back), Items(l));

  std::ofstream(name, std::ios::binary) << "a\nb\rc\r\nd";
  back.LoadFromFile(name);
  EXPECT_EQ(Items(back), (Strings{"a", "b", "c", "d"}));

  try {
    back.LoadFromFile(Path("missing.txt"));
    ADD_FAILURE() << "loaded a missing file";
  } catch (const EInOutError& e) {
    EXPECT_EQ(std::string(e.what()),
              "Cannot open file \"" + Path("missing.txt") + "\": No such file or directory");
  }
  EXPECT_EQ(back.Count(), 4);  // unchanged by the failed load
}

TEST(StringListStreams, LoadsFromThePositionAndSavesAtIt) {
  TStringStream ss("skip\r\nkeep\r\nthis");
  ss.SetPosition(6);
  TStringList l;
  l.LoadFromStream(&ss);
  EXPECT_EQ(Items(l), (Strings{"keep", "this"}));
  TStringStream out(">");
  out.Seek(0, soEnd);
  l.SaveToStream(&out);
  EXPECT_EQ(out.DataString(), ">keep\r\nthis\r\n");
}

}  // namespace
}  // namespace tkz
