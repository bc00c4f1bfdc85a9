// Every reader of hexadecimal digits in the text utilities decodes all 256
// bytes the same way as the C library does.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "core/text/htmlsupport.h"
#include "core/text/regex.h"
#include "core/text/stringl.h"

namespace tkz {
namespace {

// The value of c as a hexadecimal digit by strtol, or -1.
int OracleHexValue(char c) {
  if (c == '\0' || c == '+' || c == '-' || c == ' ') return -1;
  const char text[2] = {c, '\0'};
  char* end = nullptr;
  const long v = std::strtol(text, &end, 16);
  return end == text + 1 ? static_cast<int>(v) : -1;
}

TEST(HexDigits, EveryReaderDecodesAllBytesAlike) {
  int digits = 0;
  for (int code = 0; code < 256; ++code) {
    const char c = static_cast<char>(code);
    const int v = OracleHexValue(c);
    SCOPED_TRACE(code);
    digits += v >= 0;
    EXPECT_EQ(HexCharValue(c), v);
    const std::string c1 = std::string(1, c) + "1";
    const std::string byte(1, static_cast<char>(v * 16 + 1));

    // "\#hh": the digits up to the first other character; none gives 0.
    EXPECT_EQ(ProcessHexChars("\\#" + c1), v >= 0 ? byte : std::string(1, '\0'));
    // "%hh" only with two digits; anything else stays.
    EXPECT_EQ(URLDecode("%" + c1), v >= 0 ? byte : "%" + c1);
    // The expression "\#hh" is that one literal character.
    TGrep g;
    g.SetRegExp("\\#" + c1);
    ASSERT_EQ(g.GetErrorCode(), 0);
    int pos = 0;
    EXPECT_EQ(g.MatchString("  " + (v >= 0 ? byte : std::string(1, '\0')), pos), true);
    EXPECT_EQ(pos, 3);
  }
  EXPECT_EQ(digits, 22);
}

}  // namespace
}  // namespace tkz
