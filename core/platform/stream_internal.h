// The library's one way of writing a file whole (not installed).
//
// ReplaceFile writes the new content to a fresh temporary file beside the
// target, flushes it to disk and renames it over the target, so that a failed
// write leaves the previous file as it was:
//   - a symbolic link is followed: the file it names is replaced and the link
//     stays;
//   - a directory or an existing file the caller may not write is refused
//     ("Cannot create file "x": Permission denied"), even where the folder
//     would allow a rename over it;
//   - a target that is not a regular file (a device, a pipe) is written in
//     place, since it cannot be replaced;
//   - a replaced file keeps its permission bits;
//   - the temporary file ("<target>.tmp<pid>_<n>", made with O_EXCL) never
//     outlives a failure.
// Errors raise EInOutError (EWriteError for a failed write) naming FileName,
// never the temporary file.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace tkz {

// What happens when no temporary file can be made beside an existing,
// writable file (a folder the caller may not write to, a name at the length
// limit).
enum class ReplaceFallback : uint8_t {
  Fail,          // raise: the previous file is never touched
  WriteInPlace,  // write the file itself (see below)
};
// Written in place, a file must not be cut short by a full disk:
// ReplaceFileBytes first reserves room for the whole new content
// (posix_fallocate), raising EWriteError with the old contents untouched
// when there is none, and only then writes over the old contents and cuts
// off what is left of them. ReplaceFile cannot know the size beforehand: it
// truncates the file and then calls Write, so a failure there loses the old
// contents; writers with the content in memory use ReplaceFileBytes.

// Write fills the file open on Fd for writing; Path is the name it is open
// under (the temporary file, or the target when written in place), for
// writers that open files by name. An exception from Write removes the
// temporary file and propagates.
void ReplaceFile(const std::string& FileName, ReplaceFallback Fallback,
                 const std::function<void(int Fd, const std::string& Path)>& Write);

// ReplaceFile with Data as the whole content.
void ReplaceFileBytes(const std::string& FileName, std::string_view Data, ReplaceFallback Fallback);

}  // namespace tkz
