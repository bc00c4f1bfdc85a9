// "WxH" on the command line (a picture's or a window's size in pixels), read
// the same way by the tkz tool and the viewer programs. Header only.
#pragma once

#include <charconv>
#include <string_view>

namespace tkz::tool {

enum class SizeText { Ok, Malformed, OutOfRange };

// Text is two decimal numbers joined by "x" or "X" ("800x600"), nothing
// else; each must lie within Min..Max. W and H are set only for Ok.
inline SizeText ParseSizeText(std::string_view Text, int Min, int Max, int& W, int& H) {
  const size_t x = Text.find_first_of("xX");
  if (x == std::string_view::npos) return SizeText::Malformed;
  bool tooBig = false;
  const auto number = [&tooBig](std::string_view s, int& v) {
    if (s.empty() || s.front() < '0' || s.front() > '9') return false;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    if (end != s.data() + s.size()) return false;
    if (ec == std::errc::result_out_of_range) tooBig = true;
    return ec == std::errc() || ec == std::errc::result_out_of_range;
  };
  int w = 0, h = 0;
  if (!number(Text.substr(0, x), w) || !number(Text.substr(x + 1), h)) return SizeText::Malformed;
  if (tooBig || w < Min || h < Min || w > Max || h > Max) return SizeText::OutOfRange;
  W = w;
  H = h;
  return SizeText::Ok;
}

}  // namespace tkz::tool
