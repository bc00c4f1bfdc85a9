// Shared helpers of the filesys directory walkers.

#include "core/sys/filesys_walk_internal.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "core/text/charcase.h"

namespace tkz::fswalk {

// Greedy with one back-track point: linear space and
// O(len(name) * len(mask)) time at worst.
bool MaskMatches(std::string_view mask, std::string_view name) {
  if (mask == "*.*") return true;
  size_t m = 0, n = 0;
  size_t starM = std::string_view::npos, starN = 0;
  while (n < name.size()) {
    if (m < mask.size() && mask[m] == '*') {
      starM = m++;
      starN = n;
    } else if (m < mask.size() &&
               (mask[m] == '?' || AnsiLowerChar(mask[m]) == AnsiLowerChar(name[n]))) {
      ++m;
      ++n;
    } else if (starM != std::string_view::npos) {
      m = starM + 1;
      n = ++starN;
    } else {
      return false;
    }
  }
  while (m < mask.size() && mask[m] == '*') ++m;
  return m == mask.size();
}

std::pair<std::string, std::string> SplitMask(std::string_view PathMask) {
  const size_t slash = PathMask.rfind('/');
  if (slash == std::string_view::npos) return {"", std::string(PathMask)};
  return {std::string(PathMask.substr(0, slash + 1)), std::string(PathMask.substr(slash + 1))};
}

Fd::~Fd() {
  if (fd_ >= 0) close(fd_);
}

bool Fd::Close() {
  const int fd = std::exchange(fd_, -1);
  return fd < 0 || close(fd) == 0;
}

bool WriteAll(int fd, const char* p, size_t n) {
  while (n > 0) {
    const ssize_t w = write(fd, p, n);
    if (w < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (w == 0) return false;
    p += w;
    n -= static_cast<size_t>(w);
  }
  return true;
}

Fd OpenDirPath(const std::string& path) {
  if (path.find('\0') != std::string::npos) return Fd();
  return Fd(open(path.empty() ? "." : path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
}

Fd OpenSubdir(int dirfd, const std::string& name) {
  return Fd(openat(dirfd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
}

namespace {

Kind KindOf(int dirfd, const char* name) {
  struct stat st;
  if (fstatat(dirfd, name, &st, AT_SYMLINK_NOFOLLOW) != 0) return Kind::Other;
  if (S_ISDIR(st.st_mode)) return Kind::Dir;
  if (S_ISREG(st.st_mode)) return Kind::File;
  if (!S_ISLNK(st.st_mode)) return Kind::Other;
  struct stat target;
  if (fstatat(dirfd, name, &target, 0) == 0 && S_ISDIR(target.st_mode)) return Kind::DirLink;
  return Kind::Link;
}

}  // namespace

int ListDir(int dirfd, std::vector<Entry>& entries) {
  // fdopendir takes over the descriptor it is given: list through a copy.
  const int copy = openat(dirfd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (copy < 0) return errno;
  DIR* dir = fdopendir(copy);
  if (!dir) {
    const int err = errno;
    close(copy);
    return err;
  }
  errno = 0;
  int err = 0;
  while (dirent* e = readdir(dir)) {
    const std::string_view n = e->d_name;
    if (n != "." && n != "..") entries.push_back({std::string(n), KindOf(dirfd, e->d_name)});
    errno = 0;
  }
  err = errno;
  closedir(dir);
  std::sort(entries.begin(), entries.end(),
            [](const Entry& a, const Entry& b) { return a.name < b.name; });
  return err;
}

bool Ancestors::Enter(int dirfd) {
  if (TooDeep()) return false;
  struct stat st;
  if (fstat(dirfd, &st) != 0) return false;
  const std::pair<dev_t, ino_t> id{st.st_dev, st.st_ino};
  if (std::find(path_.begin(), path_.end(), id) != path_.end()) return false;
  path_.push_back(id);
  return true;
}

}  // namespace tkz::fswalk
