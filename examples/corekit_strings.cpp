// Formatting numbers into fixed columns, searching and splitting text, and
// taking paths apart with corekit.
#include <cstdio>
#include <string>
#include <vector>

#include "core/sys/filesys.h"
#include "core/text/stringl.h"

int main() {
  // A small table: names left-aligned, values in fixed-width columns.
  const char* names[] = {"Vienna", "Graz", "Linz"};
  const double temps[] = {12.25, -3.5, 0.125};
  for (int i = 0; i < 3; ++i)
    std::printf("%s|%s|%s\n", tkz::LeftString(names[i], 8).c_str(),
                tkz::strff(temps[i], 8, 2).c_str(), tkz::FormatData(temps[i] * 1e7, 10, 2).c_str());

  std::string f = tkz::strff(-3.5, -8, 2);                  // "-0003.50"
  int pos = tkz::NumberedPos("bc", "abcabc", 1, 2, false);  // 5
  std::vector<std::string> parts;
  int n = tkz::Tokenize("a,,b", ",", parts);                  // 3: "a", "", "b"
  std::string name = tkz::StripPath("/data/maps/world.cal");  // "world.cal"
  std::printf("%s %d %d %s\n", f.c_str(), pos, n, name.c_str());
  return (f == "-0003.50" && pos == 5 && n == 3 && name == "world.cal") ? 0 : 1;
}
