// The recycle bin of MoveToRecycleBin: the freedesktop.org Trash
// layout (home trash under $XDG_DATA_HOME, $topdir/.Trash/$uid or
// $topdir/.Trash-$uid on other file systems, one .trashinfo per file).

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>

#include "core/text/stringl.h"

#include "core/sys/filesys_walk_internal.h"

namespace tkz::fswalk {

namespace {

// Creates dir (mode 0700) when missing; true when it is a real directory.
bool EnsureDir(const std::string& dir) {
  if (mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST) return false;
  struct stat st;
  return lstat(dir.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool EnsureDirs(const std::string& dir) {
  for (size_t i = 1; i <= dir.size(); ++i)
    if ((i == dir.size() || dir[i] == '/') && !EnsureDir(dir.substr(0, i))) return false;
  return true;
}

std::string HomeTrash() {
  const char* dataHome = std::getenv("XDG_DATA_HOME");
  if (dataHome && dataHome[0] == '/') return std::string(dataHome) + "/Trash";
  const char* home = std::getenv("HOME");
  if (!home || home[0] != '/') return "";
  return std::string(home) + "/.local/share/Trash";
}

// The mount point of the file system that holds `dir` (an absolute path).
std::string TopDir(const std::string& dir, dev_t dev) {
  std::string top = dir;
  while (top != "/") {
    const size_t slash = top.rfind('/');
    const std::string parent = slash == 0 ? "/" : top.substr(0, slash);
    struct stat st;
    if (stat(parent.c_str(), &st) != 0 || st.st_dev != dev) break;
    top = parent;
  }
  return top;
}

// The trash for a file of the device `dev` in the absolute directory
// `absDir`; `topdir` receives the mount point when it is not the home trash.
std::string TrashFor(const std::string& absDir, dev_t dev, std::string& topdir) {
  topdir.clear();
  const std::string home = HomeTrash();
  struct stat st;
  if (!home.empty() && EnsureDirs(home) && stat(home.c_str(), &st) == 0 && st.st_dev == dev)
    return home;
  topdir = TopDir(absDir, dev);
  const std::string base = topdir == "/" ? "" : topdir;
  const std::string uid = std::to_string(getuid());
  // An administrator's shared trash: a sticky directory, never a link.
  const std::string shared = base + "/.Trash";
  if (lstat(shared.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && (st.st_mode & S_ISVTX) &&
      EnsureDir(shared + '/' + uid))
    return shared + '/' + uid;
  const std::string own = base + "/.Trash-" + uid;
  if (EnsureDir(own) && lstat(own.c_str(), &st) == 0 && st.st_uid == getuid()) return own;
  return "";
}

std::string PercentEncode(const std::string& path) {
  std::string r;
  for (unsigned char c : path) {
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '/' ||
        c == '-' || c == '_' || c == '.' || c == '~') {
      r += static_cast<char>(c);
    } else {
      r += '%';
      r += kHexChars[c >> 4];
      r += kHexChars[c & 15];
    }
  }
  return r;
}

std::string DeletionDate() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char buf[32];
  std::strftime(buf, sizeof buf, "%Y-%m-%dT%H:%M:%S", &local);
  return buf;
}

// "a.txt", then "a.2.txt", "a.3.txt", ...
std::string Candidate(const std::string& name, int n) {
  if (n == 1) return name;
  const size_t dot = name.rfind('.');
  if (dot == std::string::npos || dot == 0) return name + '.' + std::to_string(n);
  return name.substr(0, dot) + '.' + std::to_string(n) + name.substr(dot);
}

}  // namespace

bool MoveFileToTrash(int dirfd, const std::string& dirText, const std::string& name) {
  struct stat st;
  if (fstatat(dirfd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) return false;
  char* real = realpath(dirText.empty() ? "." : dirText.c_str(), nullptr);
  if (!real) return false;
  const std::string absDir = real;
  free(real);
  const std::string absPath = (absDir == "/" ? "" : absDir) + '/' + name;

  std::string topdir;
  const std::string trash = TrashFor(absDir, st.st_dev, topdir);
  if (trash.empty() || !EnsureDir(trash + "/files") || !EnsureDir(trash + "/info")) return false;
  // Inside a file system's own trash, Path is relative to its mount point.
  std::string recorded = absPath;
  if (!topdir.empty() && topdir != "/") recorded = absPath.substr(topdir.size() + 1);
  if (!topdir.empty() && topdir == "/") recorded = absPath.substr(1);
  const std::string info =
      "[Trash Info]\nPath=" + PercentEncode(recorded) + "\nDeletionDate=" + DeletionDate() + '\n';

  for (int n = 1; n < 10000; ++n) {
    const std::string trashName = Candidate(name, n);
    const std::string infoPath = trash + "/info/" + trashName + ".trashinfo";
    const std::string filesPath = trash + "/files/" + trashName;
    // The info file is created first and exclusively: it reserves the name.
    const int fd = open(infoPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) {
      if (errno == EEXIST) continue;
      return false;
    }
    struct stat taken;
    if (lstat(filesPath.c_str(), &taken) == 0) {
      close(fd);
      unlink(infoPath.c_str());
      continue;
    }
    const bool written = WriteAll(fd, info.data(), info.size());
    bool moved = false;
    if (close(fd) == 0 && written) {
      moved = renameat2(dirfd, name.c_str(), AT_FDCWD, filesPath.c_str(), RENAME_NOREPLACE) == 0;
      // A file system that cannot refuse to replace: the name was checked free above.
      if (!moved && errno == EINVAL)
        moved = renameat(dirfd, name.c_str(), AT_FDCWD, filesPath.c_str()) == 0;
    }
    if (!moved) {
      unlink(infoPath.c_str());
      return false;
    }
    return true;
  }
  return false;
}

}  // namespace tkz::fswalk
