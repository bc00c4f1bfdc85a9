#include <gtest/gtest.h>

#include <climits>

#include "core/text/stringl.h"

namespace tkz {
namespace {

TEST(Replace, StringsAndChars) {
  EXPECT_EQ(ReplaceStringInString("a.b.c", ".", "::", false), "a::b::c");
  EXPECT_EQ(ReplaceStringInString("aaa", "a", "aa", false), "aaaaaa");  // no re-scan
  EXPECT_EQ(ReplaceStringInString("xAbyaB", "ab", "-", true), "x-y-");
  EXPECT_EQ(ReplaceStringInString("xAbyaB", "ab", "-", false), "xAbyaB");
  EXPECT_EQ(ReplaceStringInString("\xC4rger \xE4rger", "\xE4r", "Ar", true), "Arger Arger");
  EXPECT_EQ(ReplaceStringInString("aaaa", "aa", "b", false), "bb");
  EXPECT_EQ(ReplaceStringInString("abc", "", "x", false), "abc");
  EXPECT_EQ(ReplaceStringInString("abc", "abcd", "x", false), "abc");
  EXPECT_EQ(ReplaceStringInString("abc", "b", "", false), "ac");
  EXPECT_EQ(ReplaceCharInString("a-b-c", '-', '+'), "a+b+c");
}

TEST(Trim, BlanksAndChars) {
  EXPECT_EQ(StripLTBlanks("  a b  "), "a b");
  EXPECT_EQ(StripLTBlanks("   "), "");
  EXPECT_EQ(StripLTBlanks("\ta "), "\ta");  // tabs are not blanks
  EXPECT_EQ(StripLeadingBlanks("  a "), "a ");
  EXPECT_EQ(StripLeadingBlanks("   "), " ");
  EXPECT_EQ(StripLeadingBlanks(""), "");
  EXPECT_EQ(StripTrailingBlanks(" a  "), " a");
  EXPECT_EQ(StripTrailingBlanks("   "), " ");
  EXPECT_EQ(StripTrailingBlanks(""), "");
  EXPECT_EQ(StripLeadingChars('0', "0012"), "12");
  EXPECT_EQ(StripLeadingChars('0', "000"), "");
  EXPECT_EQ(StripTrailingChars('0', "1.500"), "1.5");
  EXPECT_EQ(StripTrailingChars('0', "000"), "0");
  EXPECT_EQ(StripTrailingChars('0', ""), "");
}

TEST(Padding, CenterLeftRightAndSortable) {
  EXPECT_EQ(CenterString("ab", 7), "  ab   ");
  EXPECT_EQ(CenterString("abcdef", 3), "abc");
  EXPECT_EQ(CenterString("", 0), "");
  EXPECT_EQ(LeftString("ab", 4), "ab  ");
  EXPECT_EQ(LeftString("abcdef", 2), "ab");
  EXPECT_EQ(RightString("ab", 4), "  ab");
  EXPECT_EQ(RightString("abcdef", 2), "ab");
  EXPECT_EQ(RightString("x", 255).size(), 255u);

  EXPECT_EQ(SortableNumericString(" 12.5 ", '.', 5), "  12.5");
  EXPECT_EQ(SortableNumericString("1234.5", '.', 3), "1234.5");
  EXPECT_EQ(SortableNumericString("17", '.', 3), "   17");
  EXPECT_EQ(SortableNumericString("1,5", ',', 3), " 1,5");
  EXPECT_EQ(SortableNumericString("1.5", '.', -4), "1.5");
  EXPECT_EQ(SortableNumericString("5", '.', 1000000).size(), 256u);  // column limited to 255
  // Padded numbers sort as text.
  EXPECT_LT(SortableNumericString("9.75", '.', 4), SortableNumericString("10.5", '.', 4));

  EXPECT_EQ(MultiChar('x', 0), "x");
  EXPECT_EQ(MultiChar('x', -7), "x");
  EXPECT_EQ(MultiChar('x', 3), "xxx");
  EXPECT_EQ(MultiChar('x', 300).size(), 255u);

  EXPECT_EQ(AbbrevString("abcdef", 6), "abcdef");
  EXPECT_EQ(AbbrevString("abcdef", 5), "abc..");
  EXPECT_EQ(AbbrevString("abcdef", 1), "..");
  EXPECT_EQ(AbbrevString("", -3), "..");
  EXPECT_EQ(AbbrevString("abc", INT_MIN), "..");
}

TEST(Filters, RemoveEnsureAndTest) {
  EXPECT_EQ(RemoveControlChars(std::string("a\tb\0c\x1F\x7F", 7)), "abc\x7F");
  EXPECT_EQ(RemoveCharInString("a-b--c", '-'), "abc");
  EXPECT_EQ(RemoveMultiChars("a--b---c-", '-'), "a-b-c-");
  EXPECT_EQ(RemoveMultiChars("  ", ' '), " ");
  EXPECT_EQ(EnsureTrailingBkSlash("c:\\dir"), "c:\\dir\\");
  EXPECT_EQ(EnsureTrailingBkSlash("c:\\"), "c:\\");
  EXPECT_EQ(EnsureTrailingBkSlash(""), "");
  EXPECT_EQ(EnsureTrailingChar('/', "a"), "a/");
  EXPECT_EQ(EnsureTrailingChar('/', ""), "");
  EXPECT_EQ(EnsureLeadingChar('.', "txt"), ".txt");
  EXPECT_EQ(EnsureLeadingChar('.', ".txt"), ".txt");
  EXPECT_EQ(EnsureLeadingChar('.', ""), "");
  EXPECT_TRUE(TestAllChar("---", '-'));
  EXPECT_FALSE(TestAllChar("--+", '-'));
  EXPECT_FALSE(TestAllChar("", '-'));
  EXPECT_EQ(ReverseString("abc"), "cba");
  EXPECT_EQ(ReduceStringToAZ09("a b-\xE4"
                               "9"),
            "a_b__9");
}

TEST(Filters, ShortFileNameCharacters) {
  std::string all;
  for (int c = 0; c < 256; ++c) all += static_cast<char>(c);
  const std::string r = ReduceStringToFN83CompliantChars(all);
  ASSERT_EQ(r.size(), 256u);
  const std::string kept = "!#$%&'()-.^_`{}~@";
  for (int c = 0; c < 256; ++c) {
    const char ch = static_cast<char>(c);
    const bool allowed = IsDigitLetter(ch) || kept.find(ch) != std::string::npos;
    EXPECT_EQ(r[c], allowed ? ch : '_') << "code " << c;
  }
}

TEST(Letters, DiphthongsCapitalsAbbreviationsAndCase) {
  EXPECT_EQ(ExpandDiphthongs("\xC4rger"), "Aerger");
  EXPECT_EQ(ExpandDiphthongs("\xC4RGER"), "AERGER");
  EXPECT_EQ(ExpandDiphthongs("\xDC"), "UE");
  EXPECT_EQ(ExpandDiphthongs("Gr\xFC\xDF"
                             "e \xF6l \xE4 \xB5m"),
            "Gruesse oel ae um");
  EXPECT_EQ(ExpandDiphthongs("\xD6sterreich"), "Oesterreich");

  EXPECT_EQ(CapitalizeString("3d model of x-ray"), "3d Model Of X-Ray");
  EXPECT_EQ(CapitalizeString("caf\xE9 ole"), "Caf\xE9 Ole");
  EXPECT_EQ(CapitalizeString("\xE9t\xE9 hot"), "\xE9t\xE9 Hot");  // high letters stay
  EXPECT_EQ(CapitalizeString("mIxed"), "MIxed");

  EXPECT_TRUE(IsAbbreviation("NASA"));
  EXPECT_TRUE(IsAbbreviation("NaSA"));
  EXPECT_FALSE(IsAbbreviation("Hello"));
  EXPECT_FALSE(IsAbbreviation("A"));
  EXPECT_FALSE(IsAbbreviation("AB12"));
  EXPECT_FALSE(IsAbbreviation(""));

  EXPECT_TRUE(EqualAnsiStrings("M\xC4RZ", "m\xE4rz"));
  EXPECT_FALSE(EqualAnsiStrings("abc", "abd"));
  EXPECT_EQ(ChangeCase("aBc\xE4\xC4\xDF"
                       "1"),
            "AbC\xC4\xE4\xDF"
            "1");
}

TEST(ProcessHexChars, EscapesAndBackslashes) {
  EXPECT_EQ(ProcessHexChars("\\#41x"), "Ax");
  EXPECT_EQ(ProcessHexChars("a\\#e4b"),
            "a\xE4"
            "b");
  EXPECT_EQ(ProcessHexChars("\\#4zq"), "\x04q");  // digits up to the first non-hex one
  EXPECT_EQ(ProcessHexChars("\\#zz!"), std::string("\0!", 2));
  EXPECT_EQ(ProcessHexChars("a\\\\#41"), "a\\#41");  // doubled backslash first
  EXPECT_EQ(ProcessHexChars("\\n"), "\\n");
  EXPECT_EQ(ProcessHexChars("\\#4"), "\\#4");  // too short: kept
  EXPECT_EQ(ProcessHexChars("\\"), "\\");
  EXPECT_EQ(ProcessHexChars(""), "");
}

}  // namespace
}  // namespace tkz
