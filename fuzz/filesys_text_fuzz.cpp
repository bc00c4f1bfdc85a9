// Random bytes as a plain-text data file and as a text file for the filesys
// scanners: the header reader (from a stream and from the file), the text
// type, words, the last lines and the line count, and the string searches.
// Beyond "no crash, no sanitizer report" it checks the documented results.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/platform/stream.h"
#include "core/platform/textfile.h"
#include "core/sys/filesys.h"
#include "fuzz/temp_file.h"

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace tkz;
  static const fuzzing::TempFile file("filesys_text");
  file.Write(data, size);
  const std::string bytes(reinterpret_cast<const char*>(data), size);

  std::string title;
  int n1 = 0, n2 = 0;
  bool f1, f2, f3, f4;
  TStringStream s(bytes);
  const int rc = ReadHeaderOfASC(&s, title, n1, n2, f1, f2, f3, f4);
  Check(rc == 0 || rc == 252 || rc == 253 || rc == 254 || rc == 255);
  if (rc != 255) Check(n1 > 0);
  if (rc == 0 || rc == 253) Check(n2 > 0);
  std::string title2;
  int m1 = 0, m2 = 0;
  bool g1, g2, g3, g4;
  Check(ReadHeaderOfASC(file.Name(), title2, m1, m2, g1, g2, g3, g4) == rc);
  Check(title2 == title && m1 == n1 && m2 == n2);

  const TTextfileType type = CheckTextFileType(file.Name());
  Check(type <= tftUnknown);

  TTextFile f;
  f.AssignFile(file.Name());
  f.Reset();
  size_t wordBytes = 0;
  for (std::string w = ReadNextWordInTextFile(f); !w.empty(); w = ReadNextWordInTextFile(f)) {
    for (char c : w) Check(static_cast<unsigned char>(c) >= '!');
    wordBytes += w.size();
  }
  Check(wordBytes <= size);

  int total = 0;
  const TStrArray last = ReadLastNLinesOfTextFile(f, 3, total);
  Check(last.size() == 3);
  Check(CountLinesInTextFile(f) == total);
  f.CloseFile();

  const std::string needle = bytes.substr(size / 2, 3);
  const int at = DetectStringInFile(file.Name(), needle, true, 1 << 20);
  Check(at >= 0);
  if (!needle.empty() && needle.find_first_of("\r\n") == std::string::npos) {
    std::string line;
    Check((FindFirstMatchInTextFile(file.Name(), needle, false, line) > 0) == !line.empty());
  }
  return 0;
}
