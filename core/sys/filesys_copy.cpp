// Copying files and directory trees with progress, and EnsureCRLFInFile.

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <memory>
#include <string>

#include "core/platform/stream.h"
#include "core/platform/stream_internal.h"
#include "core/sys/filesys.h"
#include "core/sys/filesys_walk_internal.h"

namespace tkz {

namespace {

// The observable unit of a copy: progress is reported per block.
constexpr int64_t kBlock = 8192;
// What is moved between progress reports; a whole number of blocks, so that
// the progress calls come out exactly as with one 8192-byte read at a time.
constexpr size_t kChunk = 128 * kBlock;

// The copy state, one per process.
struct CopyState {
  std::atomic<bool> abort{false};
  std::atomic<bool> aborted{false};
  std::string currentFile;
  int fileCount = 0;
  int64_t lastDone = 0;
  int64_t lastTotal = 0;
  int lastError = 0;  // errno of the last failure
};

CopyState& State() {
  static CopyState s;
  return s;
}

// Moves up to n bytes from `in` to `out`, in the kernel (copy_file_range)
// while that works, else through buf (kChunk bytes). Stops early only at the
// end of the source or on an error (readErr or writeErr then set; the bytes
// of a failed write do not count as moved).
class Mover {
 public:
  Mover(int in, int out, bool kernel) : in_(in), out_(out), kernel_(kernel) {}

  size_t Move(size_t n, int& readErr, int& writeErr) {
    readErr = writeErr = 0;
    size_t moved = 0;
    while (moved < n) {
      if (kernel_) {
        const ssize_t r = copy_file_range(in_, nullptr, out_, nullptr, n - moved, 0);
        if (r > 0) {
          moved += static_cast<size_t>(r);
          total_ += static_cast<size_t>(r);
          continue;
        }
        if (r < 0 && errno == EINTR) continue;
        // End of the file, unless nothing came at all (file systems that
        // cannot copy in the kernel may say 0); any failure is retried with
        // plain reads and writes, which tell a read from a write error.
        if (r == 0 && total_ > 0) break;
        kernel_ = false;
        continue;
      }
      if (!buf_) buf_.reset(new char[kChunk]);
      const ssize_t r = read(in_, buf_.get(), std::min(n - moved, kChunk));
      if (r < 0) {
        if (errno == EINTR) continue;
        readErr = errno;
        break;
      }
      if (r == 0) break;
      if (!fswalk::WriteAll(out_, buf_.get(), static_cast<size_t>(r))) {
        writeErr = errno ? errno : EIO;
        break;
      }
      moved += static_cast<size_t>(r);
      total_ += static_cast<size_t>(r);
    }
    return moved;
  }

 private:
  int in_, out_;
  bool kernel_;
  size_t total_ = 0;
  std::unique_ptr<char[]> buf_;
};

bool SameFile(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

void Report(const TFileCopyProgress& progress, int64_t done, int64_t total) {
  CopyState& s = State();
  s.lastDone = done;
  s.lastTotal = total;
  if (progress) progress(done, total);
}

// A failed copy inside the replace writer: its result code and errno.
struct CopyFailure {
  int code;
  int err;
};

// Steps 3 to 7 of a file copy; the abort flag is not touched. The copy goes
// through ReplaceFile: a temporary file beside dest renamed over it when
// complete (or when an abort ends it), so that a failure leaves dest as it
// was. With replaceLink (tree copies) a symbolic link at dest is replaced by
// the copy instead of being written through, so nothing outside the tree
// changes. err receives the errno of a failure.
int CopyOneFile(const std::string& source, const std::string& dest, bool clearReadOnly,
                const TFileCopyProgress& progress, int& err, bool replaceLink = false) {
  err = 0;
  if (source.find('\0') != std::string::npos || dest.find('\0') != std::string::npos) {
    err = EINVAL;
    return kCopyCannotOpenSource;
  }
  fswalk::Fd in(open(source.c_str(), O_RDONLY | O_CLOEXEC));
  if (in.get() < 0) {
    err = errno;
    return kCopyCannotOpenSource;
  }
  struct stat srcStat;
  if (fstat(in.get(), &srcStat) != 0) {
    err = errno;
    return kCopyCannotOpenSource;
  }
  if (S_ISDIR(srcStat.st_mode)) {
    err = EISDIR;
    return kCopyCannotOpenSource;
  }
  // Others may read the source while it is copied, but not write it (for
  // writers that lock, as this library's file streams do).
  if (flock(in.get(), LOCK_SH | LOCK_NB) != 0 && errno == EWOULDBLOCK) {
    err = EWOULDBLOCK;
    return kCopyCannotOpenSource;
  }
  struct stat dstStat;
  const int found = replaceLink ? lstat(dest.c_str(), &dstStat) : stat(dest.c_str(), &dstStat);
  if (found == 0 && SameFile(srcStat, dstStat)) return kCopyOK;

  const int64_t size = S_ISREG(srcStat.st_mode) ? srcStat.st_size : 0;
  Report(progress, 0, size);
  if (replaceLink && found == 0 && S_ISLNK(dstStat.st_mode) && unlink(dest.c_str()) != 0) {
    err = errno;
    return kCopyCannotCreateDest;
  }
  posix_fadvise(in.get(), 0, 0, POSIX_FADV_SEQUENTIAL);

  CopyState& state = State();
  auto write = [&](int out, const std::string&) {
    Mover mover(in.get(), out, S_ISREG(srcStat.st_mode) && size > 0);
    int64_t copied = 0;
    CopyFailure failure{kCopyOK, 0};
    bool stop = false;
    bool aborted = false;
    while (!stop) {
      int readErr = 0, writeErr = 0;
      const size_t got = mover.Move(kChunk, readErr, writeErr);
      // The chunk holds whole blocks and, at the end of the file, one short
      // (possibly empty) block; each is reported as the block just read. An
      // abort keeps the blocks up to the one being reported.
      const bool failed = readErr != 0 || writeErr != 0;
      const size_t full = got / kBlock * kBlock;
      const bool atEnd = !failed && got < kChunk;
      size_t kept = got;
      for (size_t off = 0; off < full || (atEnd && off == full); off += kBlock) {
        Report(progress, copied + static_cast<int64_t>(off), size);
        if (off == full) {
          stop = true;
          break;
        }
        if (state.abort) {
          kept = off + kBlock;
          stop = aborted = true;
          break;
        }
      }
      if (failed && !aborted) {
        // The block whose write failed was read, and so is reported, first.
        if (writeErr != 0) Report(progress, copied + static_cast<int64_t>(full), size);
        failure = writeErr != 0 ? CopyFailure{kCopyWriteError, writeErr}
                                : CopyFailure{kCopyReadError, readErr};
        stop = true;
      }
      copied += static_cast<int64_t>(kept);
      if (kept < got && ftruncate(out, copied) != 0 && failure.code == kCopyOK)
        failure = {kCopyWriteError, errno};
    }
    if (aborted) state.aborted = true;
    if (failure.code == kCopyOK && !aborted) {
      const struct timespec times[2] = {srcStat.st_atim, srcStat.st_mtim};
      futimens(out, times);
      if (clearReadOnly) fchmod(out, (srcStat.st_mode & 0777) | S_IWUSR);
    }
    Report(progress, copied, size);
    if (failure.code != kCopyOK) throw failure;
  };
  try {
    ReplaceFile(dest, ReplaceFallback::Fail, write);
  } catch (const CopyFailure& f) {
    err = f.err;
    return f.code;
  } catch (const EInOutError& e) {
    // Refused or not created; or a failed flush, close or rename (a late write error).
    err = e.ErrorCode;
    return dynamic_cast<const EWriteError*>(&e) ? kCopyWriteError : kCopyCannotCreateDest;
  }
  return kCopyOK;
}

std::string WithSlash(std::string s) {
  if (s.empty() || s.back() != '/') s += '/';
  return s;
}

// Creates `dir` with its missing parents, the last one with `mode`; true
// when it exists afterwards.
bool MakeDirs(const std::string& dir, mode_t mode) {
  std::string path;
  size_t i = 0;
  while (i < dir.size()) {
    size_t j = dir.find('/', i);
    if (j == std::string::npos) j = dir.size();
    path = dir.substr(0, j);
    i = j + 1;
    if (path.empty()) continue;
    const bool last = dir.find_first_not_of('/', j) == std::string::npos;
    if (mkdir(path.c_str(), last ? mode : 0777) != 0 && errno != EEXIST) return false;
  }
  struct stat st;
  return stat(dir.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// Gives the directory `dir` the permission bits and times of `source`, once
// its contents are written (their writing changes the times, and a
// read-only directory could not take them).
int KeepDirAttributes(const std::string& dir, const struct stat& source) {
  const struct timespec times[2] = {source.st_atim, source.st_mtim};
  if (chmod(dir.c_str(), source.st_mode & 07777) != 0 ||
      utimensat(AT_FDCWD, dir.c_str(), times, AT_SYMLINK_NOFOLLOW) != 0)
    return errno;
  return 0;
}

struct TreeCopy {
  bool clearReadOnly;
  const TFileTreeProgress& feedback;
  const TFileTreeIssue& onIssue;
  dev_t destDev;
  ino_t destIno;
  fswalk::Ancestors ancestors;
  int result = kCopyOK;

  // Records a failure (the first one is the result) and tells the caller.
  void Fail(int code, const std::string& name, int err) {
    if (result == kCopyOK) result = code;
    State().lastError = err;
    if (onIssue) onIssue(name, code, err);
  }

  void Notify(int64_t done, int64_t total) {
    const CopyState& s = State();
    if (feedback) feedback(done, total, s.currentFile, s.fileCount);
  }

  void CopyLink(int srcfd, const std::string& name, const std::string& src,
                const std::string& dst) {
    std::string target(4096, '\0');
    const ssize_t n = readlinkat(srcfd, name.c_str(), target.data(), target.size());
    if (n < 0 || static_cast<size_t>(n) >= target.size())
      return Fail(kCopyCannotOpenSource, src, n < 0 ? errno : ENAMETOOLONG);
    target.resize(static_cast<size_t>(n));
    CopyState& s = State();
    s.currentFile = dst;
    ++s.fileCount;
    struct stat st;
    if (lstat(dst.c_str(), &st) == 0 && !S_ISDIR(st.st_mode)) unlink(dst.c_str());
    if (symlink(target.c_str(), dst.c_str()) != 0) Fail(kCopyCannotCreateDest, src, errno);
    s.lastDone = s.lastTotal = 0;
    Notify(0, 0);
  }

  void CopyFile(const std::string& src, const std::string& dst) {
    CopyState& s = State();
    s.currentFile = dst;
    ++s.fileCount;
    // A file that cannot be opened reports 0, 0, not the previous file's end.
    s.lastDone = s.lastTotal = 0;
    int err = 0;
    const int rc = CopyOneFile(
        src, dst, clearReadOnly, [this](int64_t done, int64_t total) { Notify(done, total); }, err,
        true);
    if (rc != kCopyOK) Fail(rc, src, err);
    Notify(s.lastDone, s.lastTotal);
  }

  void Walk(int srcfd, const std::string& srcText, const std::string& dstText) {
    std::vector<fswalk::Entry> entries;
    if (const int err = fswalk::ListDir(srcfd, entries); err != 0)
      Fail(kCopyCannotOpenSource, srcText, err);
    CopyState& s = State();
    for (const fswalk::Entry& e : entries) {
      if (s.abort) {
        s.aborted = true;
        return;
      }
      const std::string src = srcText + e.name;
      const std::string dst = dstText + e.name;
      switch (e.kind) {
        case fswalk::Kind::File:
          CopyFile(src, dst);
          break;
        case fswalk::Kind::Link:
        case fswalk::Kind::DirLink:
          CopyLink(srcfd, e.name, src, dst);
          break;
        case fswalk::Kind::Dir:
          CopyDir(srcfd, e.name, src, dst);
          break;
        case fswalk::Kind::Other:
          if (onIssue) onIssue(src, kCopySkipped, 0);
          break;
      }
    }
  }

  void CopyDir(int srcfd, const std::string& name, const std::string& src, const std::string& dst) {
    fswalk::Fd sub = fswalk::OpenSubdir(srcfd, name);
    if (!sub.ok()) return Fail(kCopyCannotOpenSource, src, errno);
    struct stat st;
    if (fstat(sub.get(), &st) != 0) return Fail(kCopyCannotOpenSource, src, errno);
    if (st.st_dev == destDev && st.st_ino == destIno) return;
    // A new directory is the owner's alone until its contents are in. An
    // existing destination must be a real directory: never write through a
    // link found there.
    struct stat dstSt;
    if (mkdir(dst.c_str(), 0700) != 0) {
      const int err = errno;
      if (err != EEXIST || lstat(dst.c_str(), &dstSt) != 0 || !S_ISDIR(dstSt.st_mode))
        return Fail(kCopyCannotCreateDest, src, err);
    }
    if (!ancestors.Enter(sub.get())) {
      if (ancestors.TooDeep()) Fail(kCopyCannotOpenSource, src, ELOOP);
      return;
    }
    Walk(sub.get(), src + '/', dst + '/');
    ancestors.Leave();
    if (const int err = KeepDirAttributes(dst, st); err != 0) Fail(kCopyCannotCreateDest, src, err);
  }
};

}  // namespace

int FileCopyFeedBk(const std::string& Source, const std::string& Dest, bool ClearReadOnly,
                   const TFileCopyProgress& Progress) {
  CopyState& s = State();
  s.abort = false;
  s.aborted = false;
  s.lastError = 0;
  std::string dest = Dest;
  struct stat st;
  if (!dest.empty() && dest.find('\0') == std::string::npos && stat(dest.c_str(), &st) == 0 &&
      S_ISDIR(st.st_mode)) {
    const size_t slash = Source.rfind('/');
    dest = WithSlash(dest) + (slash == std::string::npos ? Source : Source.substr(slash + 1));
  }
  if (Source == dest) return kCopyOK;
  return CopyOneFile(Source, dest, ClearReadOnly, Progress, s.lastError);
}

int CopyFileTree(const std::string& SourceDir, const std::string& DestDir, bool ClearReadOnly,
                 const TFileTreeProgress& Feedback) {
  return CopyFileTree(SourceDir, DestDir, ClearReadOnly, Feedback, {});
}

int CopyFileTree(const std::string& SourceDir, const std::string& DestDir, bool ClearReadOnly,
                 const TFileTreeProgress& Feedback, const TFileTreeIssue& OnIssue) {
  CopyState& s = State();
  s.abort = false;
  s.aborted = false;
  s.currentFile.clear();
  s.fileCount = 0;
  s.lastDone = s.lastTotal = 0;
  s.lastError = 0;
  const std::string src = WithSlash(SourceDir);
  const std::string dst = WithSlash(DestDir);
  if (src == dst) return kCopyOK;
  fswalk::Fd srcfd = fswalk::OpenDirPath(src);
  if (!srcfd.ok()) {
    s.lastError = errno;
    return kCopyCannotOpenSource;
  }
  struct stat srcStat, dstStat;
  if (fstat(srcfd.get(), &srcStat) != 0) {
    s.lastError = errno;
    return kCopyCannotOpenSource;
  }
  // DestDir made here is a copy of SourceDir, permission bits and times
  // included; an existing one keeps its own.
  const bool made = dst.find('\0') == std::string::npos && stat(dst.c_str(), &dstStat) != 0;
  if (dst.find('\0') != std::string::npos || !MakeDirs(dst, 0700)) {
    s.lastError = dst.find('\0') != std::string::npos ? EINVAL : errno;
    return kCopyCannotCreateDest;
  }
  fswalk::Fd dstfd = fswalk::OpenDirPath(dst);
  if (!dstfd.ok() || fstat(dstfd.get(), &dstStat) != 0) {
    s.lastError = errno;
    return kCopyCannotCreateDest;
  }
  if (SameFile(srcStat, dstStat)) return kCopyOK;
  TreeCopy copy{ClearReadOnly, Feedback, OnIssue, dstStat.st_dev, dstStat.st_ino, {}};
  copy.ancestors.Enter(srcfd.get());
  copy.Walk(srcfd.get(), src, dst);
  if (made) {
    if (const int err = KeepDirAttributes(dst, srcStat); err != 0)
      copy.Fail(kCopyCannotCreateDest, SourceDir, err);
  }
  return copy.result;
}

void AbortAnyFileCopying() { State().abort = true; }

bool FileCopyAborted() { return State().aborted; }

int LastFileCopyError() { return State().lastError; }

void EnsureCRLFInFile(const std::string& Source, const std::string& Dest) {
  TMemoryStream in;
  in.LoadFromFile(Source);
  const char* p = in.Memory();
  const size_t n = static_cast<size_t>(in.GetSize());
  std::string out;
  out.reserve(n + n / 16);
  for (size_t i = 0; i < n; ++i) {
    out += p[i];
    if (p[i] == '\r' && (i + 1 == n || p[i + 1] != '\n')) out += '\n';
  }
  TStringStream result(out);
  result.SaveToFile(Dest);
}

}  // namespace tkz
