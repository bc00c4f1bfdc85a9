#include "core/platform/codepage.h"

#include <gtest/gtest.h>

namespace tkz {
namespace {

TEST(CodePage, EveryByteSurvivesTheRoundTrip) {
  std::string all;
  for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
  EXPECT_EQ(Utf8ToAnsi(AnsiToUtf8(all)), all);
}

TEST(CodePage, MapsTheWindowsRangeToItsUnicodeCharacters) {
  EXPECT_EQ(AnsiToUtf8("\x80"), "\xE2\x82\xAC");      // euro sign
  EXPECT_EQ(AnsiToUtf8("48\xB0"), "48\xC2\xB0");      // degree sign
  EXPECT_EQ(AnsiToUtf8("\xC4rger"), "\xC3\x84rger");  // A umlaut
  EXPECT_EQ(Utf8ToAnsi("\xC5\x93"), "\x9C");          // oe ligature
}

TEST(CodePage, ReplacesWhatTheCodePageLacksAndMalformedInput) {
  EXPECT_EQ(Utf8ToAnsi("\xE4\xB8\xAD"), "?");             // a CJK character
  EXPECT_EQ(Utf8ToAnsi("\xF0\x9F\x98\x80x", '_'), "_x");  // an emoji
  EXPECT_EQ(Utf8ToAnsi("a\xC3"), "a?");                   // truncated sequence
  EXPECT_EQ(Utf8ToAnsi("\xC0\xAF"), "??");                // overlong "/"
  EXPECT_EQ(Utf8ToAnsi("\xED\xA0\x80"), "???");           // surrogate
  EXPECT_EQ(Utf8ToAnsi("\x80\xBF"), "??");                // stray continuation bytes
}

}  // namespace
}  // namespace tkz
