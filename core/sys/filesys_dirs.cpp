// Files, folders, drives and the environment: the directory walkers
// (DeleteFiles, DelDirTree, FileDetect, ScanFilesToStrList, CountFiles),
// probes, the drive stand-ins and the system directories.

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "core/sys/filesys.h"
#include "core/sys/filesys_walk_internal.h"
#include "core/text/charcase.h"

extern char** environ;

namespace tkz {

namespace {

bool HasNul(const std::string& s) { return s.find('\0') != std::string::npos; }

std::string WithoutTrailingSlashes(std::string s) {
  while (s.size() > 1 && s.back() == '/') s.pop_back();
  return s;
}

}  // namespace

int64_t GetFileSize(const std::string& FileName) {
  struct stat st;
  if (FileName.empty() || HasNul(FileName) || stat(FileName.c_str(), &st) != 0) return -1;
  return S_ISREG(st.st_mode) ? static_cast<int64_t>(st.st_size) : 0;
}

namespace fswalk {

// Calls action(dirfd, dirText, name) for every entry matching FileMask that
// DeleteFiles and MoveToRecycleBin act on; returns how often it returned true.
template <typename Action>
int ForEachMatchingFile(const std::string& FileMask, Action action) {
  if (HasNul(FileMask)) return 0;
  const auto [dirText, mask] = SplitMask(FileMask);
  if (mask.empty()) return 0;
  Fd dir = OpenDirPath(dirText);
  if (!dir.ok()) return 0;
  std::vector<Entry> entries;
  ListDir(dir.get(), entries);
  int n = 0;
  for (const Entry& e : entries) {
    if (e.name[0] == '.' || !IsFileLike(e.kind) || !MaskMatches(mask, e.name)) continue;
    if (action(dir.get(), dirText, e.name)) ++n;
  }
  return n;
}

}  // namespace fswalk

int DeleteFiles(const std::string& FileMask) {
  return fswalk::ForEachMatchingFile(FileMask,
                                     [](int dirfd, const std::string&, const std::string& name) {
                                       return unlinkat(dirfd, name.c_str(), 0) == 0;
                                     });
}

int MoveToRecycleBin(const std::string& FileMask) {
  return fswalk::ForEachMatchingFile(FileMask, fswalk::MoveFileToTrash);
}

namespace {

// Deletes everything inside the open directory; false (with failed set) at
// the first entry that cannot be deleted.
bool DeleteContents(int dirfd, const std::string& dirText, std::string& failed,
                    fswalk::Ancestors& ancestors) {
  std::vector<fswalk::Entry> entries;
  if (fswalk::ListDir(dirfd, entries) != 0) {
    failed = WithoutTrailingSlashes(dirText);
    return false;
  }
  for (const fswalk::Entry& e : entries) {
    const std::string path = dirText + e.name;
    if (e.kind == fswalk::Kind::Dir) {
      fswalk::Fd sub = fswalk::OpenSubdir(dirfd, e.name);
      if (!sub.ok() || !ancestors.Enter(sub.get())) {
        failed = path;
        return false;
      }
      const bool ok = DeleteContents(sub.get(), path + '/', failed, ancestors);
      ancestors.Leave();
      if (!ok) return false;
      if (unlinkat(dirfd, e.name.c_str(), AT_REMOVEDIR) != 0) {
        failed = path;
        return false;
      }
    } else if (unlinkat(dirfd, e.name.c_str(), 0) != 0) {
      failed = path;
      return false;
    }
  }
  return true;
}

}  // namespace

void DelDirTree(const std::string& Dir, std::string& FailedItem) {
  FailedItem.clear();
  const std::string dir = WithoutTrailingSlashes(Dir);
  struct stat st;
  if (dir.empty() || HasNul(dir) || lstat(dir.c_str(), &st) != 0) {
    FailedItem = Dir;
    return;
  }
  if (S_ISLNK(st.st_mode)) {
    if (unlink(dir.c_str()) != 0) FailedItem = Dir;
    return;
  }
  // Never the root of the system, whatever the spelling ("/", "//", "/.").
  char* real = realpath(dir.c_str(), nullptr);
  const bool isRoot = real && std::string(real) == "/";
  free(real);
  if (!S_ISDIR(st.st_mode) || isRoot) {
    FailedItem = Dir;
    return;
  }
  // Opened without following a link, and checked to be the directory seen
  // above: a directory swapped for a link meanwhile is never emptied.
  fswalk::Fd fd(open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
  struct stat opened;
  fswalk::Ancestors ancestors;
  if (!fd.ok() || fstat(fd.get(), &opened) != 0 || opened.st_dev != st.st_dev ||
      opened.st_ino != st.st_ino || !ancestors.Enter(fd.get())) {
    FailedItem = dir;
    return;
  }
  if (!DeleteContents(fd.get(), dir + '/', FailedItem, ancestors)) return;
  if (rmdir(dir.c_str()) != 0) FailedItem = dir;
}

bool DirIsReadOnly(const std::string& Dir) {
  if (HasNul(Dir)) return true;
  const std::string dir = Dir.empty() || Dir.back() == '/' ? Dir : Dir + '/';
  const std::string probe = dir + "$%$LO%$.$$$";
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string name = attempt == 0 ? probe : probe + '.' + std::to_string(attempt);
    const int fd = open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) {
      if (errno == EEXIST) continue;
      return true;
    }
    close(fd);
    unlink(name.c_str());
    return false;
  }
  return true;
}

// ------------------------------------------------------------------- drives

namespace {

struct Mount {
  std::string source, dir, type;
};

// Undoes the octal escapes (\040 for a blank) of /proc/self/mounts.
std::string Unescape(const std::string& s) {
  std::string r;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '\\' && i + 3 < s.size() && s[i + 1] >= '0' && s[i + 1] <= '3' && s[i + 2] >= '0' &&
        s[i + 2] <= '7' && s[i + 3] >= '0' && s[i + 3] <= '7') {
      r += static_cast<char>((s[i + 1] - '0') * 64 + (s[i + 2] - '0') * 8 + (s[i + 3] - '0'));
      i += 3;
    } else {
      r += s[i];
    }
  }
  return r;
}

// Drives 0 to 25: the root file system at 2, the mounts of block devices
// from 3 on. Entries without a mount have an empty dir.
std::vector<Mount> DriveTable() {
  std::vector<Mount> drives(26);
  std::vector<Mount> mounts;
  std::ifstream in("/proc/self/mounts");
  std::string source, dir, type, rest;
  while (in >> source >> dir >> type && std::getline(in, rest))
    mounts.push_back({Unescape(source), Unescape(dir), type});
  drives[2] = {"", "/", ""};
  for (const Mount& m : mounts)
    if (m.dir == "/") drives[2] = m;  // the last mount on "/" is the visible one
  size_t next = 3;
  for (const Mount& m : mounts) {
    if (next >= drives.size()) break;
    if (m.dir == "/" || m.source.rfind("/dev/", 0) != 0) continue;
    bool seen = false;
    for (size_t i = 3; i < next; ++i) seen = seen || drives[i].dir == m.dir;
    struct stat st;
    if (seen || stat(m.dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) continue;
    drives[next++] = m;
  }
  return drives;
}

bool IsRemovableDevice(const std::string& source) {
  char* real = realpath(source.c_str(), nullptr);
  if (!real) return false;
  const std::string dev = real;
  free(real);
  const std::string name = dev.substr(dev.rfind('/') + 1);
  for (const char* f : {"/removable", "/../removable"}) {
    std::ifstream in("/sys/class/block/" + name + f);
    int v = 0;
    if (in >> v) return v == 1;
  }
  return false;
}

}  // namespace

std::string DriveRootDir(uint8_t Drive) {
  if (Drive > 25) return "";
  return DriveTable()[Drive].dir;
}

bool DiskIsReadOnly(uint8_t Drive) {
  const std::string root = DriveRootDir(Drive);
  return root.empty() || DirIsReadOnly(root);
}

int GetDiskDriveType(uint8_t Drive) {
  if (Drive > 25) return kDriveUnknown;
  const Mount m = DriveTable()[Drive];
  if (m.dir.empty()) return kDriveNoRootDir;
  const std::string& t = m.type;
  for (const char* remote : {"nfs", "nfs4", "cifs", "smb3", "smbfs", "ncpfs", "fuse.sshfs", "9p",
                             "afs", "ceph", "glusterfs", "davfs"})
    if (t == remote) return kDriveRemote;
  if (t == "iso9660" || t == "udf") return kDriveCDROM;
  if (t == "tmpfs" || t == "ramfs") return kDriveRAMDisk;
  if (m.source.rfind("/dev/", 0) == 0 && IsRemovableDevice(m.source)) return kDriveRemovable;
  return kDriveFixed;
}

void BuildDriveList(TStringList* List) {
  if (!List) return;
  List->Clear();
  const std::vector<Mount> drives = DriveTable();
  for (size_t i = 0; i < drives.size(); ++i)
    if (!drives[i].dir.empty()) List->Add(std::string(1, static_cast<char>('A' + i)) + ':');
}

int64_t DiskFreeExtended(uint8_t Drive) {
  const std::string root = DriveRootDir(Drive);
  struct statvfs vfs;
  if (root.empty() || statvfs(root.c_str(), &vfs) != 0) return -1;
  return static_cast<int64_t>(vfs.f_bavail) * static_cast<int64_t>(vfs.f_frsize);
}

// ------------------------------------------------------------------ folders

bool DirEmpty(const std::string& Dir) {
  if (HasNul(Dir)) return true;
  fswalk::Fd fd = fswalk::OpenDirPath(Dir.empty() ? "." : Dir);
  if (!fd.ok()) return errno == ENOENT || errno == ENOTDIR;
  std::vector<fswalk::Entry> entries;
  return fswalk::ListDir(fd.get(), entries) == 0 && entries.empty();
}

bool DirExists(const std::string& Dir) {
  struct stat st;
  return !Dir.empty() && !HasNul(Dir) && stat(Dir.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

namespace {

std::string Detect(int dirfd, const std::string& dirText, const std::string& name,
                   fswalk::Ancestors& ancestors) {
  std::vector<fswalk::Entry> entries;
  fswalk::ListDir(dirfd, entries);
  for (const fswalk::Entry& e : entries)
    if (fswalk::IsFileLike(e.kind) && AnsiSameText(e.name, name)) return dirText + e.name;
  for (const fswalk::Entry& e : entries) {
    if (e.kind != fswalk::Kind::Dir) continue;
    fswalk::Fd sub = fswalk::OpenSubdir(dirfd, e.name);
    if (!sub.ok() || !ancestors.Enter(sub.get())) continue;
    std::string hit = Detect(sub.get(), dirText + e.name + '/', name, ancestors);
    ancestors.Leave();
    if (!hit.empty()) return hit;
  }
  return "";
}

struct Scan {
  std::string mask;
  bool recurse;
  const TFileScanFeedback& feedback;
  TStringList* list;
  int found = 0;
  fswalk::Ancestors ancestors;

  void Walk(int dirfd, const std::string& dirText) {
    if (feedback) feedback(dirText, found);
    std::vector<fswalk::Entry> entries;
    fswalk::ListDir(dirfd, entries);
    for (const fswalk::Entry& e : entries) {
      if (!fswalk::IsFileLike(e.kind) || !fswalk::MaskMatches(mask, e.name)) continue;
      ++found;
      if (list) list->Add(dirText + e.name);
    }
    if (!recurse) return;
    for (const fswalk::Entry& e : entries) {
      if (e.kind != fswalk::Kind::Dir) continue;
      fswalk::Fd sub = fswalk::OpenSubdir(dirfd, e.name);
      if (!sub.ok() || !ancestors.Enter(sub.get())) continue;
      Walk(sub.get(), dirText + e.name + '/');
      ancestors.Leave();
    }
  }

  void Run(const std::string& dirText) {
    fswalk::Fd fd = fswalk::OpenDirPath(dirText);
    if (!fd.ok() || !ancestors.Enter(fd.get())) return;
    Walk(fd.get(), dirText);
  }
};

}  // namespace

std::string FileDetect(const std::string& FileName) {
  if (HasNul(FileName)) return "";
  const auto [dirText, name] = fswalk::SplitMask(FileName);
  if (name.empty()) return "";
  fswalk::Fd fd = fswalk::OpenDirPath(dirText);
  fswalk::Ancestors ancestors;
  if (!fd.ok() || !ancestors.Enter(fd.get())) return "";
  return Detect(fd.get(), dirText, name, ancestors);
}

void ScanFilesToStrList(const std::string& FileMask, bool Recurse, TStringList* List,
                        const TFileScanFeedback& Feedback) {
  if (!List || HasNul(FileMask)) return;
  const auto [dirText, mask] = fswalk::SplitMask(FileMask);
  Scan scan{mask, Recurse, Feedback, List, 0, {}};
  scan.Run(dirText);
}

int CountFiles(const std::string& FileMask, bool Recurse, const TFileScanFeedback& Feedback) {
  if (HasNul(FileMask)) return 0;
  const auto [dirText, mask] = fswalk::SplitMask(FileMask);
  Scan scan{mask, Recurse, Feedback, nullptr, 0, {}};
  scan.Run(dirText);
  return scan.found;
}

// ------------------------------------------------------ system directories

namespace {

std::string ExistingDir(std::string dir) {
  dir = WithoutTrailingSlashes(std::move(dir));
  return DirExists(dir) ? dir : "";
}

}  // namespace

std::string GetSystemDir() { return ExistingDir("/usr/lib"); }

std::string GetWindowsDir() { return ExistingDir("/etc"); }

std::string GetTempDir() {
  const char* tmp = std::getenv("TMPDIR");
  if (tmp && *tmp) {
    std::string dir = ExistingDir(tmp);
    if (!dir.empty()) return dir;
  }
  return ExistingDir("/tmp");
}

std::string GetEnviroVar(const std::string& Name) {
  if (Name.empty() || Name.find('=') != std::string::npos) return "";
  const char* caseless = nullptr;
  for (char** e = environ; e && *e; ++e) {
    const std::string_view entry = *e;
    const size_t eq = entry.find('=');
    if (eq == std::string_view::npos) continue;
    const std::string_view name = entry.substr(0, eq);
    if (name == Name) return std::string(entry.substr(eq + 1));
    if (!caseless && AnsiSameText(name, Name)) caseless = *e + eq + 1;
  }
  return caseless ? caseless : "";
}

}  // namespace tkz
