#include "core/text/charcase.h"

#include <array>

namespace tkz {

namespace {

struct CaseTables {
  std::array<unsigned char, 256> upper{};
  std::array<unsigned char, 256> lower{};
  constexpr CaseTables() {
    for (int i = 0; i < 256; ++i) upper[i] = lower[i] = static_cast<unsigned char>(i);
    auto pair = [this](int lo, int up) {
      upper[lo] = static_cast<unsigned char>(up);
      lower[up] = static_cast<unsigned char>(lo);
    };
    for (int c = 'a'; c <= 'z'; ++c) pair(c, c - 32);
    for (int c = 0xE0; c <= 0xFE; ++c)
      if (c != 0xF7) pair(c, c - 32);  // 0xF7 is the division sign
    pair(0x9A, 0x8A);                  // s caron
    pair(0x9C, 0x8C);                  // oe ligature
    pair(0x9E, 0x8E);                  // z caron
    pair(0xFF, 0x9F);                  // y diaeresis
  }
};

constexpr CaseTables kCase;

}  // namespace

char AnsiUpperChar(char c) { return static_cast<char>(kCase.upper[static_cast<unsigned char>(c)]); }
char AnsiLowerChar(char c) { return static_cast<char>(kCase.lower[static_cast<unsigned char>(c)]); }

std::string AnsiUpperCase(std::string_view s) {
  std::string r(s);
  for (char& c : r) c = AnsiUpperChar(c);
  return r;
}

std::string AnsiLowerCase(std::string_view s) {
  std::string r(s);
  for (char& c : r) c = AnsiLowerChar(c);
  return r;
}

std::string AsciiUpperCase(std::string_view s) {
  std::string r(s);
  for (char& c : r) c = AsciiUpperChar(c);
  return r;
}

std::string AsciiLowerCase(std::string_view s) {
  std::string r(s);
  for (char& c : r) c = AsciiLowerChar(c);
  return r;
}

bool AnsiSameText(std::string_view s1, std::string_view s2) {
  if (s1.size() != s2.size()) return false;
  for (size_t i = 0; i < s1.size(); ++i)
    if (AnsiLowerChar(s1[i]) != AnsiLowerChar(s2[i])) return false;
  return true;
}

}  // namespace tkz
