#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "core/text/charcase.h"
#include "core/text/htmlsupport.h"
#include "core/text/stringl.h"

namespace tkz {
namespace {

TEST(StringIx, FindsFirstEqualElement) {
  EXPECT_EQ(StringIx("b", {"a", "b", "b"}), 2);
  EXPECT_EQ(StringIx("B", false, {"a", "b"}), 2);
  EXPECT_EQ(StringIx("B", true, {"a", "b"}), 0);
  EXPECT_EQ(StringIx("c", {"a", "b"}), 0);
  EXPECT_EQ(StringIx("", {}), 0);
  const TStrArray list{"Jan", "M\xC4RZ", "Apr"};
  EXPECT_EQ(StringIx("m\xE4rz", false, list), 2);  // Windows-1252 case folding
  EXPECT_EQ(StringIx("Apr", list), 3);
}

TEST(NumberedPos, CountsNonOverlappingMatchesForward) {
  EXPECT_EQ(NumberedPos("bc", "abcabc", 1, 2, false), 5);
  EXPECT_EQ(NumberedPos("bc", "abcabc", 1, 1, false), 2);
  EXPECT_EQ(NumberedPos("bc", "abcabc", 3, 1, false), 5);
  EXPECT_EQ(NumberedPos("bc", "abcabc", 1, 3, false), 0);
  EXPECT_EQ(NumberedPos("aa", "aaaa", 1, 2, false), 3);  // no overlap
  EXPECT_EQ(NumberedPos("BC", "abcabc", -5, 2, true), 5);
  EXPECT_EQ(NumberedPos("BC", "abcabc", 1, 1, false), 0);
  EXPECT_EQ(NumberedPos("\xC9t\xC9", "l'\xE9t\xE9", 1, 1, true), 3);
  // Neutral results.
  EXPECT_EQ(NumberedPos("", "abc", 1, 1, false), 0);
  EXPECT_EQ(NumberedPos("a", "abc", 1, 0, false), 0);
  EXPECT_EQ(NumberedPos("a", "abc", 4, 1, false), 0);
  EXPECT_EQ(NumberedPos("a", "abc", 1000000, 1, true), 0);
  EXPECT_EQ(NumberedPos("abcd", "abc", 1, 1, false), 0);
}

TEST(NumberedPos, SearchesBackward) {
  EXPECT_EQ(NumberedPosBw("bc", "abcabc", 6, 2, false), 2);
  EXPECT_EQ(NumberedPosBw("bc", "abcabc", 6, 1, false), 5);
  EXPECT_EQ(NumberedPosBw("bc", "abcabc", 5, 1, false), 2);  // match must end by StartPos
  EXPECT_EQ(NumberedPosBw("bc", "abcabc", 100, 1, false), 5);
  EXPECT_EQ(NumberedPosBw("aa", "aaaa", 4, 2, false), 1);  // no overlap
  EXPECT_EQ(NumberedPosBw("aa", "aaaa", 4, 3, false), 0);
  EXPECT_EQ(NumberedPosBw("BC", "abcabc", 6, 2, true), 2);
  EXPECT_EQ(NumberedPosBw("a", "abc", -3, 1, false), 1);
  EXPECT_EQ(NumberedPosBw("a", "", 1, 1, false), 0);
  EXPECT_EQ(NumberedPosBw("", "abc", 3, 1, false), 0);
  EXPECT_EQ(NumberedPosBw("a", "abc", 3, -1, false), 0);
  EXPECT_EQ(PosLast("bc", "abcabc"), 5);
  EXPECT_EQ(PosLast("x", "abc"), 0);
  EXPECT_EQ(PosLast("", "abc"), 0);
}

TEST(NumberedPos, MatchesThatTouchTheEndsOfTheText) {
  struct Case {
    bool backward;  // NumberedPosBw: matches end at or before StartPos
    const char* sub;
    const char* text;
    int start, occurrence, expected;
  };
  const Case cases[] = {
      {false, "abc", "abc", 1, 1, 1},     {false, "c", "abc", 3, 1, 3},
      {false, "bc", "abc", 2, 1, 2},      {false, "bc", "abc", 1, 1, 2},
      {false, "a", "abc", 1, 1, 1},       {false, "abc", "abcabc", 1, 2, 4},
      {false, "abc", "abcabc", 4, 1, 4},  {false, "cc", "abcc", 3, 1, 3},
      {false, "\xe9", "ab\xe9", 3, 1, 3}, {false, "b\xe9", "ab\xe9", 1, 1, 2},
      {false, "bcd", "abc", 2, 1, 0},     {false, "c", "abc", 4, 1, 0},
      {false, "abc", "abc", 2, 1, 0},     {false, "abc", "abcab", 2, 1, 0},
      {true, "abc", "abc", 3, 1, 1},      {true, "abc", "abc", 99, 1, 1},
      {true, "c", "abc", 3, 1, 3},        {true, "c", "abc", 99, 1, 3},
      {true, "a", "abc", 1, 1, 1},        {true, "abc", "abcabc", 6, 1, 4},
      {true, "abc", "abcabc", 6, 2, 1},   {true, "abc", "abcabc", 5, 1, 1},
      {true, "cc", "abcc", 4, 1, 3},      {true, "\xe9", "ab\xe9", 3, 1, 3},
      {true, "abc", "abc", 2, 1, 0},      {true, "c", "abc", 2, 1, 0},
      {true, "abcd", "abc", 4, 1, 0},     {true, "abc", "abcabc", 6, 3, 0},
  };
  for (const Case& c : cases) {
    const bool bw = c.backward;
    auto find = [&](std::string_view sub, std::string_view text, bool ignore) {
      return bw ? NumberedPosBw(sub, text, c.start, c.occurrence, ignore)
                : NumberedPos(sub, text, c.start, c.occurrence, ignore);
    };
    const std::string upper = AnsiUpperCase(c.sub);
    SCOPED_TRACE(std::string(bw ? "backward " : "forward ") + c.sub + " in " + c.text + " from " +
                 std::to_string(c.start));
    EXPECT_EQ(find(c.sub, c.text, false), c.expected);
    EXPECT_EQ(find(c.sub, c.text, true), c.expected);
    EXPECT_EQ(find(upper, c.text, true), c.expected);
    EXPECT_EQ(find(c.sub, AnsiUpperCase(c.text), true), c.expected);
    EXPECT_EQ(find(upper, c.text, false), 0);  // every case has a letter
  }
}

// The scanners must stop at the end of the view they are given: the same
// text cut out of a longer buffer (whose next byte is a letter, a blank or
// a separator) and held in a heap block of exactly its length (AddressSanitizer
// sees a read past it) gives the same answers as the text on its own.
TEST(Counting, WordScannersStopAtTheEndOfAView) {
  struct Case {
    const char* text;
    int words;
  };
  const Case cases[] = {{"", 0},      {"a", 0},         {"ab", 0},        {"ab ", 1},
                        {"ab cd", 1}, {"ab cd.", 2},    {"x yz", 0},      {"hello world", 1},
                        {"(ab)", 1},  {"one two\r", 2}, {"\xe9t\xe9", 0}, {"a b cd", 0}};
  for (const Case& c : cases) {
    const std::string text = c.text;
    const size_t n = text.size();
    std::unique_ptr<char[]> exact(new char[n == 0 ? 1 : n]);
    std::memcpy(exact.get(), text.data(), n);
    std::vector<std::string> longer;
    for (const char* next : {"z", " ", ".", "<"}) longer.push_back(text + next + "tail ");
    std::vector<std::string_view> views{std::string_view(exact.get(), n)};
    for (const std::string& l : longer) views.push_back(std::string_view(l).substr(0, n));
    for (size_t k = 0; k < views.size(); ++k) {
      const std::string_view v = views[k];
      SCOPED_TRACE("\"" + text + "\", view " + std::to_string(k));
      EXPECT_EQ(CountWords(v), c.words);
      bool in_tag = false;
      EXPECT_EQ(CountWordsHTML(v, false, in_tag), c.words);
      EXPECT_FALSE(in_tag);
      for (int pos = 0; pos <= static_cast<int>(n) + 1; ++pos) {
        int a = -1, b = -1, a2 = -1, b2 = -1;
        EXPECT_EQ(ExtractWordFromString(v, pos, a, b), ExtractWordFromString(text, pos, a2, b2))
            << pos;
        EXPECT_EQ(a, a2);
        EXPECT_EQ(b, b2);
        EXPECT_LE(b, static_cast<int>(n));
      }
    }
  }
  // A tag left open at the end of the view stays open, whatever follows.
  const std::string doc = "ab <b x>";
  bool in_tag = false;
  EXPECT_EQ(CountWordsHTML(std::string_view(doc).substr(0, 5), false, in_tag), 1);
  EXPECT_TRUE(in_tag);
}

TEST(Counting, StringsCharsWordsAndDelimiters) {
  EXPECT_EQ(CountStringInString("aa", "aaaaa", true), 2);
  EXPECT_EQ(CountStringInString("AB", "abxAb", false), 2);
  EXPECT_EQ(CountStringInString("AB", "abxAb", true), 0);
  EXPECT_EQ(CountStringInString("", "abc", true), 0);
  EXPECT_EQ(CountCharInString('a', "aAa\xE4\xC4", true), 2);
  EXPECT_EQ(CountCharInString('a', "aAa\xE4\xC4", false), 3);
  EXPECT_EQ(CountCharInString('\xE4', "aAa\xE4\xC4", false), 2);

  EXPECT_EQ(CountWords("ab cd"), 1);
  EXPECT_EQ(CountWords("ab cd "), 2);
  EXPECT_EQ(CountWords("ab cd."), 2);
  EXPECT_EQ(CountWords("a b c "), 0);  // one-character runs never count
  EXPECT_EQ(CountWords(std::string("xy\0zw\0", 6)), 2);
  EXPECT_EQ(CountWords(""), 0);

  EXPECT_EQ(DetectCSVDelimiter("a;b;c,d"), csvSemicolon);
  EXPECT_EQ(DetectCSVDelimiter("a,b c"), csvBlank);  // tie: the earlier value wins
  EXPECT_EQ(DetectCSVDelimiter("a\tb\tc"), csvTab);
  EXPECT_EQ(DetectCSVDelimiter("a:b"), csvColon);
  EXPECT_EQ(DetectCSVDelimiter("abc"), csvUnknown);
  EXPECT_EQ(DetectCSVDelimiter(""), csvUnknown);

  EXPECT_EQ(FindFirstNonBlank("  x"), 3);
  EXPECT_EQ(FindFirstNonBlank("   "), 0);
  EXPECT_EQ(FindFirstNonBlank(""), 0);
  EXPECT_EQ(FindFirstDigit("ab7c9"), 3);
  EXPECT_EQ(FindFirstDigit("abc"), 0);
}

TEST(CharSets, MacrosExpandBeforeTheTest) {
  EXPECT_TRUE(StringContains("abc1", "//dig"));
  EXPECT_FALSE(StringContains("abc", "//dig"));
  EXPECT_TRUE(StringContains("x\x05", "//31dwn"));
  EXPECT_TRUE(StringContains("\xE9", "//128up"));
  EXPECT_FALSE(StringContains("", "//lc"));
  EXPECT_TRUE(StringContains("a/b", "/"));  // a lone slash is a character
  EXPECT_FALSE(StringContainsOtherThan("abcXYZ09", "//lc//uc//dig"));
  EXPECT_TRUE(StringContainsOtherThan("abc-", "//lc"));
  EXPECT_FALSE(StringContainsOtherThan("", "x"));
  EXPECT_FALSE(StringContainsOtherThan("d/i", "//di"));  // not a macro: "/", "d", "i"
  EXPECT_TRUE(StringContainsOtherThan("5", "//di"));
  EXPECT_FALSE(StringContainsOtherThan("/5", "///dig"));  // "/" plus the digits
}

TEST(CharClasses, ExactMembersOverAllBytes) {
  const std::string seps = std::string("\0\n\r ", 4) + "\"#%'()*+,-./:;<=>[\\]{}";
  int umlauts = 0;
  for (int code = 0; code < 256; ++code) {
    const char c = static_cast<char>(code);
    EXPECT_EQ(WordSeps.Contains(c), seps.find(c) != std::string::npos) << code;
    EXPECT_EQ(IsDigit(c), code >= '0' && code <= '9') << code;
    EXPECT_EQ(IsLetter(c), (code | 32) >= 'a' && (code | 32) <= 'z') << code;
    EXPECT_EQ(IsHexChar(c), IsDigit(c) || ((code | 32) >= 'a' && (code | 32) <= 'f')) << code;
    const std::string one(1, c);
    EXPECT_EQ(HexCharValue(c), IsHexChar(c) ? std::stoi(one, nullptr, 16) : -1) << code;
    umlauts += IsUmlaut(c);
  }
  EXPECT_EQ(umlauts, 7);
  for (int v = 0; v < 16; ++v) {
    EXPECT_EQ(HexCharValue(kHexChars[v]), v);
    EXPECT_FALSE(kHexChars[v] >= 'a' && kHexChars[v] <= 'f');
  }
  EXPECT_TRUE(IsUmlaut('\xDF'));
  EXPECT_FALSE(IsUmlaut('\xE9'));
  EXPECT_TRUE(IsDigitLetter('z'));
  EXPECT_FALSE(IsDigitLetter('_'));
}

TEST(TriggerSplits, BeforeAfterAndSplit) {
  EXPECT_EQ(ExtractAfterTrigger("key = value ", "=", true), "value");
  EXPECT_EQ(ExtractAfterTrigger("key = value ", "=", false), " value ");
  EXPECT_EQ(ExtractAfterTrigger("key", "=", true), "");
  EXPECT_EQ(ExtractAfterTrigger("key", "", true), "");
  EXPECT_EQ(ExtractBeforeTrigger("key = value", "=", true), "key");
  EXPECT_EQ(ExtractBeforeTrigger("a==b", "==", false), "a");
  EXPECT_EQ(ExtractBeforeTrigger("ab", "x", false), "");

  std::string l = "old", r = "old";
  SplitString(" a : b : c", ":", true, l, r);
  EXPECT_EQ(l, "a");
  EXPECT_EQ(r, "b : c");
  SplitString("a:b", ":", false, l, r);
  EXPECT_EQ(l, "a");
  EXPECT_EQ(r, "b");
  SplitString("abc", ";", true, l, r);
  EXPECT_EQ(l, "");
  EXPECT_EQ(r, "");
}

TEST(ExtractWord, WordAroundPosition) {
  int a = -1, b = -1;
  EXPECT_EQ(ExtractWordFromString("hello big world", 6, a, b), " ");
  EXPECT_EQ(a, 6);
  EXPECT_EQ(b, 6);
  EXPECT_EQ(ExtractWordFromString("hello big world", 8, a, b), "big");
  EXPECT_EQ(a, 7);
  EXPECT_EQ(b, 9);
  EXPECT_EQ(ExtractWordFromString("f(x1,y2)", 3), "x1");
  EXPECT_EQ(ExtractWordFromString("abc", 1), "abc");
  EXPECT_EQ(ExtractWordFromString("abc", 3, a, b), "abc");
  EXPECT_EQ(a, 1);
  EXPECT_EQ(b, 3);
  EXPECT_EQ(ExtractWordFromString("abc", 0, a, b), "");
  EXPECT_EQ(a, 0);
  EXPECT_EQ(b, 0);
  EXPECT_EQ(ExtractWordFromString("abc", 4), "");
  EXPECT_EQ(ExtractWordFromString("", 1), "");
}

TEST(Fields, ExtractSubString) {
  EXPECT_EQ(ExtractSubString("a,b,c", 0, ","), "a");
  EXPECT_EQ(ExtractSubString("a,b,c", 2, ","), "c");
  EXPECT_EQ(ExtractSubString("a,b,c", 3, ","), "");
  EXPECT_EQ(ExtractSubString("a,,c", 1, ","), "");
  EXPECT_EQ(ExtractSubString(",a", 0, ","), "");
  EXPECT_EQ(ExtractSubString("a,b,", 2, ","), "");
  EXPECT_EQ(ExtractSubString("one::two::three", 1, "::"), "two");
  EXPECT_EQ(ExtractSubString("aXbxc", 1, "x"), "c");  // delimiters are found case-sensitively
  EXPECT_EQ(ExtractSubString("a,b", -1, ","), "");
  EXPECT_EQ(ExtractSubString("", 0, ","), "");
  EXPECT_EQ(ExtractSubString("abc", 0, ""), "abc");
  EXPECT_EQ(ExtractSubString("abc", 1, ""), "");
}

TEST(Fields, Tokenize) {
  TOpenStringArray t{"stale"};
  EXPECT_EQ(Tokenize("a,,b", ",", t), 3);
  EXPECT_EQ(t, (TOpenStringArray{"a", "", "b"}));
  EXPECT_EQ(Tokenize("", ",", t), 1);
  EXPECT_EQ(t, (TOpenStringArray{""}));
  EXPECT_EQ(Tokenize(",", ",", t), 2);
  EXPECT_EQ(Tokenize("a--b--", "--", t), 3);
  EXPECT_EQ(t.back(), "");
  EXPECT_EQ(Tokenize("a,b", "", t), 1);
  EXPECT_EQ(t[0], "a,b");
  // At most 1000 tokens; the last keeps the rest of the text.
  std::string many;
  for (int i = 0; i < 1200; ++i) many += "x,";
  EXPECT_EQ(Tokenize(many, ",", t), 1000);
  EXPECT_EQ(static_cast<int>(t.size()), 1000);
  EXPECT_EQ(t[998], "x");
  EXPECT_EQ(t[999].size(), 2u * 201);
}

TEST(Fields, ExtractParam) {
  EXPECT_EQ(ExtractParam("plot(sin(x), 0, 2*pi)", 1, '(', ')', ","), "sin(x)");
  EXPECT_EQ(ExtractParam("plot(sin(x), 0, 2*pi)", 3, '(', ')', ","), "2*pi");
  EXPECT_EQ(ExtractParam("plot(sin(x), 0, 2*pi)", 4, '(', ')', ","), "");
  EXPECT_EQ(ExtractParam("f(g(a,b), c) + h(d)", 2, '(', ')', ","), "c");
  EXPECT_EQ(ExtractParam("f(a; b", 2, '(', ')', ";"), "b");  // unclosed list runs to the end
  EXPECT_EQ(ExtractParam("x|a b|c|", 2, '|', '|', " "), "b");
  EXPECT_EQ(ExtractParam("a, b", 2, '\0', '\0', ","), "b");
  EXPECT_EQ(ExtractParam("f(a,b)", 1, '(', ')', ""), "a,b");
  EXPECT_EQ(ExtractParam("f(a,b)", 0, '(', ')', ","), "");
  EXPECT_EQ(ExtractParam("no list", 1, '(', ')', ","), "");
  EXPECT_EQ(ExtractParam("f()", 1, '(', ')', ","), "");
  EXPECT_EQ(ExtractParam("f(a)) ,b", 2, '(', ')', ","), "");  // stray closers stay outside
}

TEST(TextLineCoords, LinesAndColumns) {
  int line = -1, col = -1;
  const std::string s = "ab\r\ncd\nef\rg";
  EXPECT_TRUE(TextLineCoords(s, 1, line, col));
  EXPECT_EQ(line, 1);
  EXPECT_EQ(col, 1);
  EXPECT_TRUE(TextLineCoords(s, 4, line, col));  // the LF of CR LF ends line 1
  EXPECT_EQ(line, 1);
  EXPECT_EQ(col, 4);
  EXPECT_TRUE(TextLineCoords(s, 5, line, col));
  EXPECT_EQ(line, 2);
  EXPECT_EQ(col, 1);
  EXPECT_TRUE(TextLineCoords(s, 9, line, col));
  EXPECT_EQ(line, 3);
  EXPECT_EQ(col, 2);
  EXPECT_TRUE(TextLineCoords(s, 12, line, col));  // just after the end
  EXPECT_EQ(line, 4);
  EXPECT_EQ(col, 2);
  EXPECT_FALSE(TextLineCoords(s, 13, line, col));
  EXPECT_EQ(line, 0);
  EXPECT_EQ(col, 0);
  EXPECT_FALSE(TextLineCoords(s, 0, line, col));
  EXPECT_TRUE(TextLineCoords("", 1, line, col));
  EXPECT_EQ(line, 1);
  EXPECT_EQ(col, 1);
}

}  // namespace
}  // namespace tkz
