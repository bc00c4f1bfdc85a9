// Runs the pure path and file-name functions of filesys on arbitrary bytes
// and checks the properties every result must have.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/sys/filesys.h"

namespace {

void Check(bool ok) {
  if (!ok) __builtin_trap();
}

bool StartsWith(std::string_view s, std::string_view prefix) {
  return s.substr(0, prefix.size()) == prefix;
}

bool EndsWith(std::string_view s, std::string_view suffix) {
  return s.size() >= suffix.size() && s.substr(s.size() - suffix.size()) == suffix;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  // First byte: MaxLen for AbridgeFilePath (signed); second: replacement
  // character. The rest is split at the first 0xFF byte into two strings.
  const int maxLen = static_cast<int8_t>(data[0]) * 4;
  const char repl = static_cast<char>(data[1]);
  const std::string_view all(reinterpret_cast<const char*>(data + 2), size - 2);
  const size_t cut = all.find('\xFF');
  const std::string_view a = all.substr(0, cut);
  const std::string_view b =
      cut == std::string_view::npos ? std::string_view() : all.substr(cut + 1);

  const std::string noExt = tkz::StripExtension(a);
  Check(StartsWith(a, noExt));
  const std::string name = tkz::StripPath(a);
  Check(EndsWith(a, name));
  Check(name.find_first_of("\\:/") == std::string::npos);

  const int drive = tkz::ExtractDrive(a);
  Check(drive >= -1 && drive <= 25);

  const std::string parent = tkz::ParentDir(a);
  Check(StartsWith(a, parent) && parent.size() < a.size() + (a.empty() ? 1 : 0));
  (void)tkz::IsRootDir(a);

  const std::string abridged = tkz::AbridgeFilePath(a, maxLen);
  if (a.find_first_of("\\/") == std::string_view::npos) Check(abridged == a);
  Check(EndsWith(abridged, name));

  const std::string inserted = tkz::InsertBeforeFileExt(b, a);
  Check(inserted.size() == a.size() + b.size());
  const std::string ensured = tkz::EnsureDefaultFileExt(a, b);
  Check(StartsWith(ensured, a));

  const std::string replaced = tkz::ReplaceInvalidFileNameChars(a, repl);
  if (tkz::IsValidFileName(std::string(1, repl)) && repl != '.')
    Check(tkz::IsValidFileName(replaced));
  if (tkz::IsValidFileName(a)) Check(replaced == a);

  if (tkz::IsDOS83Path(a)) Check(tkz::IsFN83CompliantPath(a));
  return 0;
}
