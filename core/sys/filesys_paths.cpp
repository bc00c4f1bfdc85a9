// Path and file-name utilities of filesys: the pure string functions, and the
// two that look at the file system (DOSToWinPath, SetAllFilenameCase).

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "core/sys/filesys.h"
#include "core/sys/filesys_walk_internal.h"
#include "core/text/charcase.h"

namespace tkz {

namespace {

// ------------------------------------------------------------ text helpers

bool IsNameSplitter(char c) { return c == '\\' || c == ':' || c == '/'; }

// Index (0-based) of the first character of the name part.
size_t NameStart(std::string_view path) {
  for (size_t i = path.size(); i > 0; --i)
    if (IsNameSplitter(path[i - 1])) return i;
  return 0;
}

bool IsForbiddenNameChar(char c) {
  switch (c) {
    case '*':
    case '/':
    case ':':
    case '<':
    case '>':
    case '?':
    case '\\':
    case '|':
      return true;
    default:
      return false;
  }
}

bool IsShortNameChar(char c) {
  if (c >= '0' && c <= '9') return true;
  if (c >= 'A' && c <= 'Z') return true;
  if (c >= 'a' && c <= 'z') return true;
  switch (c) {
    case '!':
    case '#':
    case '$':
    case '%':
    case '&':
    case '\'':
    case '(':
    case ')':
    case '-':
    case '.':
    case '^':
    case '_':
    case '`':
    case '{':
    case '}':
    case '~':
    case '@':
      return true;
    default:
      return false;
  }
}

bool IsPathSeparator(char c) { return c == '\\' || c == '/'; }

}  // namespace

// -------------------------------------------------------- pure functions

std::string StripExtension(std::string_view Path) {
  const size_t name = NameStart(Path);
  const size_t dot = Path.rfind('.');
  if (dot == std::string_view::npos || dot < name) return std::string(Path);
  return std::string(Path.substr(0, dot));
}

std::string StripPath(std::string_view Path) { return std::string(Path.substr(NameStart(Path))); }

int ExtractDrive(std::string_view Path) {
  if (Path.size() < 2 || Path[1] != ':') return -1;
  const char c = AsciiUpperChar(Path[0]);
  return (c >= 'A' && c <= 'Z') ? c - 'A' : 0;
}

std::string ParentDir(std::string_view Path) {
  std::string_view p = Path;
  if (!p.empty() && IsPathSeparator(p.back())) p.remove_suffix(1);
  for (size_t i = p.size(); i > 0; --i)
    if (IsPathSeparator(p[i - 1])) return std::string(p.substr(0, i));
  return "";
}

bool IsRootDir(std::string_view Path) {
  const std::string lower = AnsiLowerCase(Path);
  const size_t first = lower.find_first_not_of(' ');
  if (first == std::string::npos) return false;
  const size_t last = lower.find_last_not_of(' ');
  const std::string_view s = std::string_view(lower).substr(first, last - first + 1);
  if (s == "/") return true;
  return s.size() == 3 && s[1] == ':' && s[2] == '\\';
}

std::string AbridgeFilePath(std::string_view Path, int MaxLen) {
  char sep = '\\';
  size_t p = Path.find(sep);
  if (p == std::string_view::npos) {
    sep = '/';
    p = Path.find(sep);
    if (p == std::string_view::npos) return std::string(Path);
  }
  // The result so far runs up to and including the current separator; the
  // rest of the input follows it unchanged. Replacing one component at a
  // time this way keeps the work linear in the length of the path.
  std::string out(Path.substr(0, p + 1));
  std::string_view rest = Path.substr(p + 1);
  const long long limit = MaxLen;
  while (static_cast<long long>(out.size() + rest.size()) >= limit) {
    // The next separator, never the last character of the path.
    if (rest.size() < 2) break;
    const size_t next = rest.substr(0, rest.size() - 1).find(sep);
    if (next == std::string_view::npos) break;
    out += "..";
    out += sep;
    rest.remove_prefix(next + 1);
  }
  out += rest;
  return out;
}

std::string InsertBeforeFileExt(std::string_view Insertion, std::string_view FileName) {
  const size_t name = NameStart(FileName);
  const size_t dot = FileName.find('.', name);
  std::string r(FileName);
  r.insert(dot == std::string_view::npos ? r.size() : dot, Insertion);
  return r;
}

std::string EnsureDefaultFileExt(std::string_view FileName, std::string_view DefExt) {
  if (DefExt.empty() || FileName.find('.', NameStart(FileName)) != std::string_view::npos)
    return std::string(FileName);
  std::string r(FileName);
  if (DefExt.front() != '.') r += '.';
  r += DefExt;
  return r;
}

bool IsValidFileName(std::string_view Name) {
  if (Name == "." || Name == "..") return false;
  return std::none_of(Name.begin(), Name.end(), IsForbiddenNameChar);
}

std::string ReplaceInvalidFileNameChars(std::string_view Name, char c) {
  std::string r(Name);
  for (char& ch : r)
    if (IsForbiddenNameChar(ch)) ch = c;
  if (r == ".") return std::string(1, c);
  if (r == "..") return std::string(2, c);
  return r;
}

bool IsFN83CompliantPath(std::string_view Path) {
  return std::all_of(Path.begin(), Path.end(),
                     [](char c) { return IsShortNameChar(c) || c == ':' || IsPathSeparator(c); });
}

bool IsDOS83Path(std::string_view Path) {
  if (!IsFN83CompliantPath(Path)) return false;
  std::string_view rest = Path;
  while (!rest.empty()) {
    // Length of the next piece: up to and including the next separator, or
    // (after the last one) the next dot, or the whole rest.
    size_t len = rest.size();
    const size_t sep = rest.find_first_of("\\/");
    if (sep != std::string_view::npos) {
      len = sep + 1;
    } else {
      const size_t dot = rest.find('.');
      if (dot != std::string_view::npos) len = dot + 1;
    }
    if (len > 9) return false;
    rest.remove_prefix(len);
  }
  return true;
}

// ------------------------------------------------------ file-system access

namespace {

// Closes a directory stream when it leaves scope.
struct DirCloser {
  DIR* dir;
  ~DirCloser() {
    if (dir) closedir(dir);
  }
};

// The names in an open directory, "." and ".." left out. Returns 0, or the
// error number when the directory cannot be read to its end.
int ReadNames(DIR* dir, std::vector<std::string>& names) {
  errno = 0;
  while (dirent* e = readdir(dir)) {
    const std::string_view n = e->d_name;
    if (n != "." && n != "..") names.emplace_back(n);
    errno = 0;
  }
  return errno;
}

// Splits "/a/b/c" (or "a/b/c") into its components, resolving "." and ".."
// as text; ".." at the top stays at the top.
std::vector<std::string> NormalizedComponents(std::string_view path) {
  std::vector<std::string> parts;
  size_t i = 0;
  while (i < path.size()) {
    size_t j = path.find('/', i);
    if (j == std::string_view::npos) j = path.size();
    const std::string_view c = path.substr(i, j - i);
    if (c == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!c.empty() && c != ".") {
      parts.emplace_back(c);
    }
    i = j + 1;
  }
  return parts;
}

std::string JoinAbsolute(const std::vector<std::string>& parts, bool trailing) {
  std::string r;
  for (const std::string& c : parts) r += '/' + c;
  if (r.empty() || trailing) r += '/';
  return r;
}

bool HasDriveText(std::string_view path) {
  if (path.size() < 2 || path[1] != ':') return false;
  const char c = AsciiUpperChar(path[0]);
  return c >= 'A' && c <= 'Z';
}

// The spelling under which `name` exists in directory `dir` (an absolute
// path), or "" when it does not exist there in any case.
std::string FindSpelling(const std::string& dir, const std::string& name) {
  if (name.find('\0') != std::string::npos) return "";
  const std::string full = dir == "/" ? dir + name : dir + '/' + name;
  struct stat st;
  if (lstat(full.c_str(), &st) == 0) return name;
  DirCloser d{opendir(dir.c_str())};
  if (!d.dir) return "";
  std::vector<std::string> names;
  ReadNames(d.dir, names);  // a partial listing still gives what it found
  std::string best;
  for (const std::string& n : names)
    if (AnsiSameText(n, name) && (best.empty() || n < best)) best = n;
  return best;
}

[[noreturn]] void RaiseIO(const std::string& what, int code) {
  std::string msg = what;
  if (code != 0) {
    msg += ": ";
    msg += std::strerror(code);
  }
  throw EInOutError(msg, code);
}

std::string Quoted(const std::string& dirText, const std::string& name) {
  return '"' + dirText + name + '"';
}

// Renames `from` to `to` inside the directory `dirfd` without ever replacing
// another entry. `present` holds the names the directory has now.
void RenameEntry(int dirfd, const std::string& dirText, const std::string& from,
                 const std::string& to, const std::unordered_set<std::string>& present) {
  const std::string what = "Cannot rename " + Quoted(dirText, from) + " to \"" + to + '"';
  if (present.count(to) != 0) RaiseIO(what + ": another entry of that name exists", EEXIST);
  if (renameat2(dirfd, from.c_str(), dirfd, to.c_str(), RENAME_NOREPLACE) == 0) return;
  int err = errno;
  if (err == EINVAL || err == ENOSYS) {
    // The file system cannot refuse to replace: check first, then rename.
    struct stat st;
    if (fstatat(dirfd, to.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) {
      struct stat self;
      if (fstatat(dirfd, from.c_str(), &self, AT_SYMLINK_NOFOLLOW) != 0 ||
          self.st_dev != st.st_dev || self.st_ino != st.st_ino)
        RaiseIO(what + ": another entry of that name exists", EEXIST);
    }
    if (renameat(dirfd, from.c_str(), dirfd, to.c_str()) == 0) return;
    err = errno;
    RaiseIO(what, err);
  }
  if (err != EEXIST) RaiseIO(what, err);
  // The new name was not in the listing yet exists: a file system that
  // ignores case sees the old entry under it. Go through a free temporary
  // name so that nothing can be replaced on the way.
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string tmp =
        ".tkz-rename-" + std::to_string(getpid()) + '-' + std::to_string(attempt);
    if (renameat2(dirfd, from.c_str(), dirfd, tmp.c_str(), RENAME_NOREPLACE) != 0) {
      err = errno;
      if (err == EEXIST) continue;
      RaiseIO(what, err);
    }
    if (renameat2(dirfd, tmp.c_str(), dirfd, to.c_str(), RENAME_NOREPLACE) == 0) return;
    err = errno;
    renameat(dirfd, tmp.c_str(), dirfd, from.c_str());  // put it back
    if (err == EEXIST) RaiseIO(what + ": another entry of that name exists", EEXIST);
    RaiseIO(what, err);
  }
  RaiseIO(what + ": no free temporary name", EEXIST);
}

// Renames the matching entries of the open directory `dirfd` (which this
// function closes) and descends into the matching subdirectories, at most
// fswalk::kMaxDepth levels below the top: a deeper tree would exhaust the
// stack, so it raises instead.
void CaseTree(int dirfd, const std::string& dirText, const std::string& mask, bool toUpper,
              size_t depth) {
  DirCloser d{fdopendir(dirfd)};
  if (!d.dir) {
    const int err = errno;
    close(dirfd);
    RaiseIO("Cannot read the directory \"" + dirText + '"', err);
  }
  std::vector<std::string> names;
  if (const int err = ReadNames(d.dir, names); err != 0)
    RaiseIO("Cannot read the directory \"" + dirText + '"', err);
  std::sort(names.begin(), names.end());  // a fixed order, whatever the file system's

  std::unordered_set<std::string> present(names.begin(), names.end());
  std::vector<std::string> subdirs;
  for (const std::string& name : names) {
    if (!fswalk::MaskMatches(mask, name)) continue;
    const std::string target = toUpper ? AnsiUpperCase(name) : AnsiLowerCase(name);
    if (target != name) {
      RenameEntry(dirfd, dirText, name, target, present);
      present.erase(name);
      present.insert(target);
    }
    struct stat st;
    if (fstatat(dirfd, target.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(st.st_mode))
      subdirs.push_back(target);
  }
  if (!subdirs.empty() && depth >= fswalk::kMaxDepth)
    throw EInOutError("The directory tree below \"" + dirText + "\" is more than " +
                          std::to_string(fswalk::kMaxDepth) + " levels deep",
                      ELOOP);
  for (const std::string& sub : subdirs) {
    // O_NOFOLLOW: should the entry have been swapped for a link meanwhile,
    // refuse to go there.
    const int fd = openat(dirfd, sub.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
      const int err = errno;
      RaiseIO("Cannot read the directory \"" + dirText + sub + '"', err);
    }
    CaseTree(fd, dirText + sub + '/', mask, toUpper, depth + 1);
  }
}

}  // namespace

std::string DOSToWinPath(std::string_view Path) {
  if (Path.empty() || HasDriveText(Path)) return std::string(Path);
  std::string full;
  if (Path.front() != '/') {
    std::vector<char> buf(4096);
    while (!getcwd(buf.data(), buf.size())) {
      if (errno != ERANGE || buf.size() > (1u << 20)) return std::string(Path);
      buf.resize(buf.size() * 2);
    }
    full = buf.data();
    full += '/';
  }
  full += Path;
  const std::vector<std::string> parts = NormalizedComponents(full);
  const bool trailing = Path.back() == '/';

  std::vector<std::string> found;
  std::string dir = "/";
  for (const std::string& part : parts) {
    std::string spelled = FindSpelling(dir, part);
    if (spelled.empty()) return JoinAbsolute(parts, trailing);
    if (dir.back() != '/') dir += '/';
    dir += spelled;
    found.push_back(std::move(spelled));
  }
  return JoinAbsolute(found, trailing);
}

void SetAllFilenameCase(std::string_view PathMask, bool ToUpper) {
  const size_t slash = PathMask.rfind('/');
  const std::string dirText(slash == std::string_view::npos ? "" : PathMask.substr(0, slash + 1));
  const std::string mask(slash == std::string_view::npos ? PathMask : PathMask.substr(slash + 1));
  if (mask.empty() || PathMask.find('\0') != std::string_view::npos) return;
  const std::string dir = dirText.empty() ? "." : dirText;
  const int fd = open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) {
    const int err = errno;
    if (err == ENOENT || err == ENOTDIR) return;  // no such directory: nothing matches
    RaiseIO("Cannot read the directory \"" + dir + '"', err);
  }
  CaseTree(fd, dirText, mask, ToUpper, 0);
}

}  // namespace tkz
