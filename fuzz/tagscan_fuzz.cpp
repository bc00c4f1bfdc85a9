// The tag scanner on a memory stream, and the attribute scanner on every
// attribute text it returns. The first byte picks the tag list.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/platform/stream.h"
#include "core/text/streams.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  static const std::vector<std::string> lists[] = {
      {"posxy", "caption", "?xml", "dummy"}, {"a", "b", "/a", ">"}, {}};
  const auto& list = lists[data[0] % 3];
  tkz::TStringStream s(std::string(reinterpret_cast<const char*>(data + 1), size - 1));
  std::string attrs, contents;
  int64_t last = -1;
  for (int i = 0; i < 10000; ++i) {
    const int r = tkz::ReadNextTagInStream(&s, list, attrs, contents);
    if (r < -1 || r >= static_cast<int>(list.size()) || (list.empty() && r != -1)) __builtin_trap();
    for (const char* name : {"x", "y", "id", "a", ""}) (void)tkz::ScanForXMLAttrib(attrs, name);
    const int64_t pos = s.GetPosition();
    if (pos == last) break;  // the end of the data
    if (pos < last || pos > s.GetSize()) __builtin_trap();
    last = pos;
  }
  s.SetPosition(0);
  std::string a, c;
  while (tkz::ScanStreamForXMLTag(&s, "a", a, c)) {
  }
  s.SetPosition(0);
  int index = 0;
  const std::vector<std::string> l2{"a", "/b"};
  for (int i = 0; i < 1000 && index >= 0; ++i) {
    (void)tkz::ReadStreamUntilTagList(&s, l2, index);
    if (index >= 0) (void)tkz::ReadNextTagInStream(&s, l2, a, c);
  }
  return 0;
}
