// Random bytes as a text file, read by TTextFile a character and a line at a
// time and by TStringList::LoadFromFile. Beyond "no crash, no sanitizer
// report" it checks that every reader sees the same bytes: the characters
// are the file, the lines hold every byte but the line ends, the string list
// has the same lines, and the list's text forms read back to the same list.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/platform/stream.h"
#include "core/platform/stringlist.h"
#include "core/platform/textfile.h"
#include "fuzz/temp_file.h"

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

std::vector<std::string> Items(const tkz::TStringList& l) {
  std::vector<std::string> v;
  for (int i = 0; i < l.Count(); ++i) v.push_back(l.Strings(i));
  return v;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace tkz;
  static const tkz::fuzzing::TempFile file("textfile");
  const std::string name = file.Name();
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  {
    TFileStream fs(name, fmCreate);
    fs.WriteBuffer(bytes.data(), static_cast<int64_t>(size));
  }

  TTextFile f;
  f.AssignFile(name);
  f.Reset();
  std::string seen;
  while (!f.Eof()) {
    const bool eoln = f.Eoln();
    char c;
    f.Read(c);
    Check(eoln == (c == '\r' || c == '\n'));
    seen += c;
  }
  Check(seen == bytes);

  f.Reset();
  std::vector<std::string> lines;
  size_t line_bytes = 0;
  std::string s;
  while (!f.Eof()) {
    f.ReadLn(s);
    Check(s.find_first_of("\r\n") == std::string::npos);
    line_bytes += s.size();
    lines.push_back(s);
  }
  size_t line_end_bytes = 0;
  for (char c : bytes) line_end_bytes += (c == '\r' || c == '\n');
  Check(line_bytes + line_end_bytes == size);

  // Skipping must always reach the end.
  f.Reset();
  size_t rounds = 0;
  while (!f.SeekEof()) {
    f.SeekEoln();
    f.ReadLn();
    Check(++rounds <= size);
  }
  f.CloseFile();

  TStringList l;
  l.LoadFromFile(name);
  Check(Items(l) == lines);

  TStringList back;
  back.SetText(l.GetText());
  Check(Items(back) == lines);
  back.SetCommaText(l.GetCommaText());
  Check(Items(back) == lines);

  // A delimiter and a quote character taken from the input.
  if (size >= 2 && bytes[0] != bytes[1] && static_cast<unsigned char>(bytes[1]) > ' ') {
    l.SetDelimiter(bytes[0]);
    l.SetQuoteChar(bytes[1]);
    back.SetDelimiter(bytes[0]);
    back.SetQuoteChar(bytes[1]);
    back.SetDelimitedText(l.GetDelimitedText());
    Check(Items(back) == lines);
  }
  return 0;
}
