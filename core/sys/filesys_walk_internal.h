// Internal helpers that the directory walkers of filesys share: name masks,
// directory listings that tell directories from links to them, and a guard
// against descending into a directory twice.
#pragma once

#include <sys/types.h>

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tkz::fswalk {

// Matches `name` against `mask` ("*" any run, "?" one character), ignoring
// Windows-1252 case; "*.*" matches every name.
bool MaskMatches(std::string_view mask, std::string_view name);

// Splits a mask into its directory part (up to and including the last "/",
// "" when there is none) and its name mask.
std::pair<std::string, std::string> SplitMask(std::string_view PathMask);

enum class Kind {
  Dir,      // a real directory
  DirLink,  // a symbolic link to a directory
  Link,     // a symbolic link to anything else, or a broken one
  File,     // a regular file
  Other     // pipe, socket, device
};

struct Entry {
  std::string name;
  Kind kind;
};

// A file or directory descriptor closed when it leaves scope.
class Fd {
 public:
  explicit Fd(int fd = -1) : fd_(fd) {}
  ~Fd();
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  Fd(Fd&& o) noexcept : fd_(std::exchange(o.fd_, -1)) {}
  int get() const { return fd_; }
  bool ok() const { return fd_ >= 0; }
  // Closes now; false when the close reports an error (a late write error).
  bool Close();

 private:
  int fd_;
};

// Writes all n bytes (retrying short writes); false on an error.
bool WriteAll(int fd, const char* p, size_t n);

// Opens the directory `path` ("" for the current one) for listing; a final
// symbolic link is followed (the caller named it).
Fd OpenDirPath(const std::string& path);
// Opens the subdirectory `name` of `dirfd` without following a link.
Fd OpenSubdir(int dirfd, const std::string& name);

// The entries of the open directory (not consumed: the descriptor stays
// usable), "." and ".." left out, in byte order of their names. Returns 0 or
// the error number of a failed read.
int ListDir(int dirfd, std::vector<Entry>& entries);

// True for entries that the walkers treat as files: everything but
// directories and links to directories.
inline bool IsFileLike(Kind k) { return k != Kind::Dir && k != Kind::DirLink; }

// How deep a walk goes below its top. Each level holds a descriptor and a
// stack frame, so a hostile tree could otherwise exhaust both; paths that
// the system can name (4096 bytes) never get this deep.
inline constexpr size_t kMaxDepth = 2048;

// The directories on the way down from the top of a walk, by device and
// inode: Enter fails for a directory already on the way (a bind-mount loop)
// and once kMaxDepth levels below the top are entered (TooDeep then tells).
class Ancestors {
 public:
  bool Enter(int dirfd);
  void Leave() { path_.pop_back(); }
  bool TooDeep() const { return path_.size() > kMaxDepth; }

 private:
  std::vector<std::pair<dev_t, ino_t>> path_;
};

// Moves the entry `name` of the open directory `dirfd` (spelled `dirText`,
// as the caller's mask gave it) to the trash; false when it stays.
bool MoveFileToTrash(int dirfd, const std::string& dirText, const std::string& name);

}  // namespace tkz::fswalk
