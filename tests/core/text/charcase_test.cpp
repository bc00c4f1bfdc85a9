#include "core/text/charcase.h"

#include <gtest/gtest.h>

namespace tkz {
namespace {

TEST(CharCase, AnsiMapsAccentedLettersBothWays) {
  EXPECT_EQ(AnsiUpperCase("\xE4\xF6\xFC\xE9\x9A\x9C\x9E\xFF"), "\xC4\xD6\xDC\xC9\x8A\x8C\x8E\x9F");
  EXPECT_EQ(AnsiLowerCase("\xC4\xD6\xDC\xC9\x8A\x8C\x8E\x9F"), "\xE4\xF6\xFC\xE9\x9A\x9C\x9E\xFF");
  EXPECT_EQ(AnsiUpperCase("\xDF\xB5\xF7"), "\xDF\xB5\xF7");  // no upper form, division sign
  EXPECT_EQ(AnsiLowerCase("\xD7"), "\xD7");                  // multiplication sign
  EXPECT_EQ(AnsiUpperCase(std::string("a\0b", 3)), std::string("A\0B", 3));
}

TEST(CharCase, AsciiLeavesOtherBytesAlone) {
  EXPECT_EQ(AsciiUpperCase("abc\xE4z"), "ABC\xE4Z");
  EXPECT_EQ(AsciiLowerCase("ABC\xC4Z@["), "abc\xC4z@[");
}

TEST(CharCase, SameTextIgnoresCaseOnly) {
  EXPECT_TRUE(AnsiSameText("M\xC4RZ", "m\xE4rz"));
  EXPECT_FALSE(AnsiSameText("abc", "abd"));
  EXPECT_FALSE(AnsiSameText("abc", "ab"));
  EXPECT_TRUE(AnsiSameText("", ""));
}

}  // namespace
}  // namespace tkz
