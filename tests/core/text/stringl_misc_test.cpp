#include <gtest/gtest.h>

#include <set>

#include "core/text/stringl.h"

namespace tkz {
namespace {

std::string AllBytes() {
  std::string s;
  for (int c = 0; c < 256; ++c) s += static_cast<char>(c);
  return s;
}

TEST(CodePages, KnownCharactersConvertBothWays) {
  // "Grüße Äpfel é ñ £" in code page 850 and in Windows-1252.
  const std::string oem =
      "Gr\x81\xE1"
      "e \x8E"
      "pfel \x82 \xA4 \x9C";
  const std::string ansi =
      "Gr\xFC\xDF"
      "e \xC4"
      "pfel \xE9 \xF1 \xA3";
  EXPECT_EQ(WinAnsiString(oem), ansi);
  EXPECT_EQ(OEMString(ansi), oem);
  EXPECT_EQ(WinAnsiString("plain ASCII\r\n"), "plain ASCII\r\n");
}

TEST(CodePages, CharactersWithoutCounterpartGetSubstitutes) {
  EXPECT_EQ(WinAnsiString("\xC9\xCD\xBB\xBA\xB3\xC4\xB0\xDB\xD5"), "+=+||-##i");
  EXPECT_EQ(OEMString("\x80\x93\x94\x96\x81\x8A"), "E\"\"-?S");
}

TEST(CodePages, RoundTripOfSharedCharactersAndTruncation) {
  const std::string ansi = AllBytes();
  const std::string back = WinAnsiString(OEMString(ansi.substr(0, 255)));
  int kept = 0;
  for (int c = 0; c < 255; ++c) kept += back[c] == ansi[c];
  // Every Windows-1252 character that code page 850 holds survives.
  EXPECT_EQ(kept, 255 - 31);  // the 31 without counterpart come back as substitutes
  EXPECT_EQ(OEMString(std::string(300, 'a')).size(), 255u);
  EXPECT_EQ(WinAnsiString(std::string(300, 'a')).size(), 255u);
}

TEST(RandomGenerator, ReproducibleAndInRange) {
  RandSeed(1234);
  std::vector<int32_t> first;
  for (int i = 0; i < 50; ++i) first.push_back(Random(1000));
  RandSeed(1234);
  for (int i = 0; i < 50; ++i) EXPECT_EQ(Random(1000), first[static_cast<size_t>(i)]);
  std::set<int32_t> seen;
  for (int i = 0; i < 2000; ++i) {
    const int32_t r = Random(7);
    ASSERT_GE(r, 0);
    ASSERT_LT(r, 7);
    seen.insert(r);
  }
  EXPECT_EQ(seen.size(), 7u);
  EXPECT_EQ(Random(0), 0);
  EXPECT_EQ(Random(-5), 0);
  for (int i = 0; i < 1000; ++i) {
    const double x = Random();
    ASSERT_GE(x, 0.0);
    ASSERT_LT(x, 1.0);
  }
}

TEST(Scramble, TablesArePermutationsAndRoundTrip) {
  const std::string all = AllBytes();
  // The default tables exist from load.
  EXPECT_NE(Scramble(all), all);
  EXPECT_EQ(DeScramble(Scramble(all)), all);

  InitScramble(42);
  const std::string s42 = Scramble(all);
  EXPECT_EQ(s42[0], '\0');
  EXPECT_EQ(std::set<char>(s42.begin(), s42.end()).size(), 256u);
  EXPECT_EQ(DeScramble(s42), all);
  EXPECT_EQ(Scramble(""), "");

  InitScramble(43);
  EXPECT_NE(Scramble(all), s42);
  InitScramble(42);
  EXPECT_EQ(Scramble(all), s42);  // same seed, same tables
  // InitScramble reseeds the shared generator.
  const int32_t next = Random(1000000);
  InitScramble(42);
  EXPECT_EQ(Random(1000000), next);
  InitScramble(DefaultScrambleSeed);
}

std::vector<std::string> Lines(std::string_view s, int mode) {
  std::vector<std::string> lines;
  int pos = 1;
  bool eos = false;
  for (int guard = 0; !eos && guard < 100; ++guard)
    lines.push_back(ReadLnString(s, pos, eos, mode));
  return lines;
}

using L = std::vector<std::string>;

TEST(ReadLnString, LineModes) {
  EXPECT_EQ(Lines("a\nb\n", 0), (L{"a", "b"}));
  EXPECT_EQ(Lines("a\n\nb", 0), (L{"a", "", "b"}));
  EXPECT_EQ(Lines("a\r\nb", 0), (L{"a", "b"}));  // CR is dropped, never appended
  EXPECT_EQ(Lines("a\rb\nc", 1), (L{"a", "bc"}));
  EXPECT_EQ(Lines("a\r\nb", 2), (L{"a", "", "b"}));
  EXPECT_EQ(Lines("a\n\rb\rc", 3), (L{"a", "bc"}));
  EXPECT_EQ(Lines("x\ry\r\nz", 4), (L{"xy", "z"}));
  EXPECT_EQ(Lines("a\tb\nc", 9), (L{"abc"}));
  EXPECT_EQ(Lines("", 0), (L{""}));
}

TEST(ReadLnString, PositionsAndEnd) {
  const std::string s = "ab\ncd";
  int pos = 1;
  bool eos = true;
  EXPECT_EQ(ReadLnString(s, pos, eos, 0), "ab");
  EXPECT_EQ(pos, 4);
  EXPECT_FALSE(eos);
  EXPECT_EQ(ReadLnString(s, pos, eos, 0), "cd");
  EXPECT_EQ(pos, 6);
  EXPECT_TRUE(eos);
  EXPECT_EQ(ReadLnString(s, pos, eos, 0), "");
  EXPECT_TRUE(eos);
  pos = -3;
  EXPECT_EQ(ReadLnString(s, pos, eos, 0), "ab");
  pos = 1000;
  EXPECT_EQ(ReadLnString(s, pos, eos, 0), "");
  EXPECT_EQ(pos, 1000);
  EXPECT_TRUE(eos);
}

std::string ParseAll(std::string_view text, char quote, TQuotedStrState& state) {
  std::string name;
  state = vsStart;
  for (char c : text) ParseQuotedName(c, quote, name, state);
  return name;
}

TEST(ParseQuotedName, PlainAndQuotedNames) {
  TQuotedStrState st;
  EXPECT_EQ(ParseAll("  plain rest", '"', st), "plain");
  EXPECT_EQ(st, vsEnd);
  EXPECT_EQ(ParseAll("\"two words\" rest", '"', st), "two words");
  EXPECT_EQ(st, vsEnd);
  EXPECT_EQ(ParseAll("\"say \"\"hi\"\"\"", '"', st), "say \"hi\"");
  EXPECT_EQ(st, vsQuote);  // complete at the end of input
  EXPECT_EQ(ParseAll("'it''s'", '\'', st), "it's");
  EXPECT_EQ(ParseAll("\"open", '"', st), "open");
  EXPECT_EQ(st, vs1stQuote);  // unterminated
  EXPECT_EQ(ParseAll("\t\r\nname", '"', st), "name");
  EXPECT_EQ(st, vsNormal);
  EXPECT_EQ(ParseAll("a\"b c", '"', st), "a\"b");
  EXPECT_EQ(ParseAll("\"\"", '"', st), "");
  EXPECT_EQ(st, vsQuote);
}

TEST(UUEncode, RoundTripAndLayout) {
  EXPECT_EQ(UUEncodeStr("Cat"), "#0V%T\r\n`\r\n");
  EXPECT_EQ(UUEncodeStr(""), "`\r\n");
  EXPECT_EQ(UUDecodeStr("#0V%T\r\n`\r\n"), "Cat");
  const std::string all = AllBytes() + AllBytes() + "tail";
  const std::string enc = UUEncodeStr(all);
  EXPECT_EQ(enc.substr(0, 1), "M");  // 45 bytes in a full line
  EXPECT_EQ(enc.find_first_of(std::string("\0", 1) + "abcdefghijklmnopqrstuvwxyz"),
            std::string::npos);
  EXPECT_EQ(UUDecodeStr(enc), all);
  // A file body with begin and end lines and LF line ends.
  EXPECT_EQ(UUDecodeStr("begin 644 cat.txt\n#0V%T\n`\nend\n"), "Cat");
  EXPECT_EQ(UUDecodeStr("\n\n#0V%T\nend\n#0V%T\n"), "Cat");
}

TEST(UUEncode, DamagedInput) {
  EXPECT_EQ(UUDecodeStr("#0V"), "C");  // short line: only complete bytes
  EXPECT_EQ(UUDecodeStr("M"), "");
  EXPECT_EQ(UUDecodeStr(""), "");
  EXPECT_EQ(UUDecodeStr("`"), "");
  EXPECT_EQ(UUDecodeStr("!\xFF\xFF\xFF\xFF").size(), 1u);  // any byte reads as six bits
}

}  // namespace
}  // namespace tkz
