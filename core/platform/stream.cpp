#include "core/platform/stream.h"

#include "core/platform/stream_internal.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <new>
#include <stdexcept>
#include <system_error>
#include <vector>

namespace tkz {

namespace {

// Largest count handed to one read(2) or write(2) call.
constexpr int64_t kMaxChunk = int64_t{1} << 30;
// Read-ahead block of TFileStream.
constexpr int64_t kReadAhead = int64_t{64} << 10;
// Block size of CopyFrom.
constexpr int64_t kCopyBlock = int64_t{64} << 10;

template <typename E = EInOutError>
[[noreturn]] void RaiseFileError(const char* what, const std::string& name, int err,
                                 const std::string& reason = {}) {
  throw E(std::string("Cannot ") + what + " file \"" + name +
              "\": " + (reason.empty() ? std::system_category().message(err) : reason),
          err);
}

int OpenRetrying(const char* path, int flags, mode_t mode) {
  int fd;
  do fd = ::open(path, flags, mode);
  while (fd < 0 && errno == EINTR);
  return fd;
}

// Writes all of [p, p+n) to fd; returns 0 or the errno of the failure.
int WriteAll(int fd, const char* p, int64_t n) {
  while (n > 0) {
    const ssize_t w = ::write(fd, p, static_cast<size_t>(std::min(n, kMaxChunk)));
    if (w < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    if (w == 0) return EIO;
    p += w;
    n -= w;
  }
  return 0;
}

// Names the offset and where it counted from: "invalid position (offset -4
// from 3)".
[[noreturn]] void RaiseBadPosition(int64_t Base, int64_t Offset) {
  throw EInOutError("Stream seek error: invalid position (offset " + std::to_string(Offset) +
                        " from " + std::to_string(Base) + ")",
                    EINVAL);
}

// A message about Temp told of Name instead.
std::string NamingTarget(std::string msg, const std::string& Temp, const std::string& Name) {
  for (size_t at = msg.find(Temp); at != std::string::npos; at = msg.find(Temp, at + Name.size()))
    msg.replace(at, Temp.size(), Name);
  return msg;
}

// Opens an existing file for writing in place. A regular file is truncated,
// or, when the new size is known (Size >= 0), first given room for Size bytes
// and left as it is, so that a full disk fails here and not half way through
// the old contents; Reserved then tells the caller to cut it to Size once
// written.
int OpenInPlace(const std::string& FileName, int64_t Size, bool& Reserved) {
  Reserved = false;
  const int fd = OpenRetrying(FileName.c_str(), O_WRONLY | O_CLOEXEC, 0666);
  if (fd < 0) RaiseFileError("create", FileName, errno);
  struct stat st {};
  int err = 0;
  if (::fstat(fd, &st) != 0) {
    err = errno;
  } else if (S_ISREG(st.st_mode) && Size > 0) {
    Reserved = true;
    do err = ::posix_fallocate(fd, 0, Size);
    while (err == EINTR);
  } else if (S_ISREG(st.st_mode)) {
    int r;
    do r = ::ftruncate(fd, 0);
    while (r != 0 && errno == EINTR);
    if (r != 0) err = errno;
  }
  if (err != 0) {
    ::close(fd);
    if (Reserved) RaiseFileError<EWriteError>("write", FileName, err);
    RaiseFileError("create", FileName, err);
  }
  return fd;
}

// ---------------------------------------------------------- replacing files

// ReplaceFile, told the size of the new content when it is known (else -1).
void Replace(const std::string& FileName, ReplaceFallback Fallback, int64_t Size,
             const std::function<void(int Fd, const std::string& Path)>& Write) {
  std::string target = FileName;
  struct stat st {};
  if (::lstat(target.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
    if (char* real = ::realpath(target.c_str(), nullptr)) {
      target = real;
      std::free(real);
    }
  }
  const bool exists = ::stat(target.c_str(), &st) == 0;
  bool in_place = false;
  bool reserved = false;
  if (exists) {
    if (S_ISDIR(st.st_mode)) RaiseFileError("create", FileName, EISDIR);
    if (::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0)
      RaiseFileError("create", FileName, errno);
    in_place = !S_ISREG(st.st_mode);
  }

  static std::atomic<unsigned> counter{0};
  std::string path = FileName;
  int fd = -1;
  if (!in_place) {
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
      path = target + ".tmp" + std::to_string(::getpid()) + "_" + std::to_string(counter++);
      fd = OpenRetrying(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
      if (fd < 0 && errno != EEXIST) break;
    }
    if (fd < 0) {
      const int err = errno;
      if (!exists || Fallback != ReplaceFallback::WriteInPlace ||
          (err != EACCES && err != EPERM && err != EROFS && err != ENAMETOOLONG))
        RaiseFileError("create", FileName, err);
      in_place = true;
      path = FileName;
    } else if (exists) {
      (void)::fchmod(fd, st.st_mode & 07777);  // best effort: keep the old mode
    }
  }
  if (in_place) fd = OpenInPlace(FileName, Size, reserved);

  auto discard = [&] {
    if (fd >= 0) ::close(fd);
    if (!in_place) ::unlink(path.c_str());
  };
  try {
    Write(fd, path);
  } catch (const EInOutError& e) {
    discard();
    // The same error class, telling of the target rather than the temporary file.
    const std::string msg = NamingTarget(e.what(), path, FileName);
    if (dynamic_cast<const EWriteError*>(&e)) throw EWriteError(msg, e.ErrorCode);
    if (dynamic_cast<const EReadError*>(&e)) throw EReadError(msg, e.ErrorCode);
    throw EInOutError(msg, e.ErrorCode);
  } catch (...) {
    discard();
    throw;
  }

  int err = 0;
  // A regular file written in place over its reserved room loses the old tail.
  if (reserved && ::ftruncate(fd, Size) != 0) err = errno;
  if (!in_place && ::fsync(fd) != 0 && errno != EINVAL) err = errno;
  if (::close(fd) != 0 && err == 0 && errno != EINTR) err = errno;
  fd = -1;
  if (err != 0) {
    discard();
    RaiseFileError<EWriteError>("write", FileName, err);
  }
  if (!in_place && ::rename(path.c_str(), target.c_str()) != 0) {
    err = errno;
    discard();
    RaiseFileError("create", FileName, err);
  }
}

}  // namespace

void ReplaceFile(const std::string& FileName, ReplaceFallback Fallback,
                 const std::function<void(int Fd, const std::string& Path)>& Write) {
  Replace(FileName, Fallback, -1, Write);
}

void ReplaceFileBytes(const std::string& FileName, std::string_view Data,
                      ReplaceFallback Fallback) {
  Replace(FileName, Fallback, static_cast<int64_t>(Data.size()), [&](int Fd, const std::string&) {
    const int err = WriteAll(Fd, Data.data(), static_cast<int64_t>(Data.size()));
    if (err != 0) RaiseFileError<EWriteError>("write", FileName, err);
  });
}

// ------------------------------------------------------------------ TStream

int64_t TStream::GetSize() {
  const int64_t pos = Seek(0, soCurrent);
  const int64_t size = Seek(0, soEnd);
  Seek(pos, soBeginning);
  return size;
}

void TStream::SetSize(int64_t) { throw EWriteError("Stream write error: size cannot be changed"); }

void TStream::ReadBuffer(void* Buffer, int64_t Count) {
  if (Count < 0) throw EReadError("Stream read error");
  auto* p = static_cast<char*>(Buffer);
  while (Count > 0) {
    const int64_t n = Read(p, Count);
    if (n <= 0 || n > Count) throw EReadError("Stream read error");
    p += n;
    Count -= n;
  }
}

void TStream::WriteBuffer(const void* Buffer, int64_t Count) {
  if (Count < 0) throw EWriteError("Stream write error");
  const auto* p = static_cast<const char*>(Buffer);
  while (Count > 0) {
    const int64_t n = Write(p, Count);
    if (n <= 0 || n > Count) throw EWriteError("Stream write error");
    p += n;
    Count -= n;
  }
}

int64_t TStream::CopyFrom(TStream* Source, int64_t Count) {
  if (Source == this) throw EInOutError("Stream cannot copy from itself", EINVAL);
  if (Source == nullptr) throw EReadError("Stream read error");
  if (Count < 0) return 0;
  if (Count == 0) {
    Source->SetPosition(0);
    Count = Source->GetSize();
  }
  std::vector<char> block(static_cast<size_t>(std::min(Count, kCopyBlock)));
  for (int64_t left = Count; left > 0;) {
    const int64_t n = std::min(left, kCopyBlock);
    Source->ReadBuffer(block.data(), n);
    WriteBuffer(block.data(), n);
    left -= n;
  }
  return Count;
}

// -------------------------------------------------------------- TFileStream

TFileStream::TFileStream(const std::string& FileName, uint16_t Mode) : file_name_(FileName) {
  const bool create = (Mode & 0xFF00) == fmCreate;
  const unsigned access = Mode & 0x000F;
  const unsigned share = Mode & 0x00F0;
  const char* what = create ? "create" : "open";
  if ((!create && (Mode & 0xFF00) != 0) || (!create && access > fmOpenReadWrite) ||
      share > fmShareDenyNone)
    RaiseFileError(what, file_name_, EINVAL, "invalid file mode");

  int flags = O_CLOEXEC;
  if (create) {
    flags |= O_RDWR | O_CREAT;  // truncated once the lock is held
    can_read_ = can_write_ = true;
  } else if (access == fmOpenRead) {
    flags |= O_RDONLY;
    can_read_ = true;
  } else if (access == fmOpenWrite) {
    flags |= O_WRONLY;
    can_write_ = true;
  } else {
    flags |= O_RDWR;
    can_read_ = can_write_ = true;
  }

  fd_ = OpenRetrying(file_name_.c_str(), flags, 0666);
  if (fd_ < 0) RaiseFileError(what, file_name_, errno);
  auto fail = [&](const char* w, int err) {
    ::close(fd_);
    fd_ = -1;
    RaiseFileError(w, file_name_, err);
  };
  struct stat st {};
  if (::fstat(fd_, &st) != 0) fail(what, errno);
  if (S_ISDIR(st.st_mode)) fail(what, EISDIR);

  int lock = 0;
  if (share == fmShareExclusive || share == fmShareDenyRead) lock = LOCK_EX;
  if (share == fmShareDenyWrite) lock = LOCK_SH;
  if (lock != 0) {
    int r;
    do r = ::flock(fd_, lock | LOCK_NB);
    while (r != 0 && errno == EINTR);
    if (r != 0) fail("lock", errno);
  }
  if (create && S_ISREG(st.st_mode)) {
    int r;
    do r = ::ftruncate(fd_, 0);
    while (r != 0 && errno == EINTR);
    if (r != 0) fail(what, errno);
  }
}

TFileStream::~TFileStream() {
  if (fd_ >= 0) ::close(fd_);
}

void TFileStream::Fail(const char* what, int err) const { RaiseFileError(what, file_name_, err); }

int64_t TFileStream::Read(void* Buffer, int64_t Count) {
  if (Count <= 0) return 0;
  if (!can_read_)
    RaiseFileError<EReadError>("read", file_name_, EBADF, "File not open for reading");
  auto* p = static_cast<char*>(Buffer);
  int64_t done = 0;
  // Serve from the buffered block first.
  if (rpos_ < rend_) {
    const auto n =
        static_cast<size_t>(std::min<int64_t>(Count, static_cast<int64_t>(rend_ - rpos_)));
    std::memcpy(p, rbuf_.data() + rpos_, n);
    rpos_ += n;
    done = static_cast<int64_t>(n);
    if (done == Count) return done;
  }
  auto raw_read = [&](char* dst, int64_t n) -> int64_t {
    for (;;) {
      const ssize_t r = ::read(fd_, dst, static_cast<size_t>(std::min(n, kMaxChunk)));
      if (r >= 0) return r;
      if (errno != EINTR) RaiseFileError<EReadError>("read", file_name_, errno);
    }
  };
  if (Count - done < kReadAhead / 2) {
    // A small read: refill the block and copy from it.
    const int64_t start = rend_ > 0 ? rbuf_start_ + static_cast<int64_t>(rend_) : -1;
    if (rbuf_.size() < static_cast<size_t>(kReadAhead)) rbuf_.resize(kReadAhead);
    rpos_ = rend_ = 0;
    const int64_t r = raw_read(rbuf_.data(), kReadAhead);
    rbuf_start_ = start >= 0 ? start : ::lseek(fd_, 0, SEEK_CUR) - r;
    rend_ = static_cast<size_t>(r);
    const auto n = static_cast<size_t>(std::min<int64_t>(Count - done, r));
    std::memcpy(p + done, rbuf_.data(), n);
    rpos_ = n;
    return done + static_cast<int64_t>(n);
  }
  rpos_ = rend_ = 0;
  while (done < Count) {
    const int64_t n = raw_read(p + done, Count - done);
    if (n == 0) break;
    done += n;
  }
  return done;
}

std::string_view TFileStream::ReadAheadView() {
  if (!can_read_) return {};
  if (rpos_ == rend_) {
    char c;
    if (Read(&c, 1) != 1) return {};
    --rpos_;  // a small read always refills the block and copies from it
  }
  return std::string_view(rbuf_.data() + rpos_, rend_ - rpos_);
}

void TFileStream::DropReadBuffer() {
  if (rend_ == 0) return;
  const int64_t unread = static_cast<int64_t>(rend_ - rpos_);
  rpos_ = rend_ = 0;
  if (unread > 0 && ::lseek(fd_, -unread, SEEK_CUR) < 0) Fail("seek", errno);
}

int64_t TFileStream::Write(const void* Buffer, int64_t Count) {
  if (Count <= 0) return 0;
  if (!can_write_)
    RaiseFileError<EWriteError>("write", file_name_, EBADF, "File not open for writing");
  DropReadBuffer();
  const int err = WriteAll(fd_, static_cast<const char*>(Buffer), Count);
  if (err != 0) RaiseFileError<EWriteError>("write", file_name_, err);
  return Count;
}

int64_t TFileStream::Seek(int64_t Offset, TSeekOrigin Origin) {
  if (rend_ > 0) {
    const int64_t logical = rbuf_start_ + static_cast<int64_t>(rpos_);
    int64_t target = -1;
    if (Origin == soBeginning) target = Offset;
    if (Origin == soCurrent && __builtin_add_overflow(logical, Offset, &target)) target = -1;
    if (target >= rbuf_start_ && target <= rbuf_start_ + static_cast<int64_t>(rend_)) {
      rpos_ = static_cast<size_t>(target - rbuf_start_);
      return target;
    }
    DropReadBuffer();
  }
  int whence;
  switch (Origin) {
    case soBeginning:
      whence = SEEK_SET;
      break;
    case soCurrent:
      whence = SEEK_CUR;
      break;
    case soEnd:
      whence = SEEK_END;
      break;
    default:
      Fail("seek", EINVAL);
  }
  const off_t r = ::lseek(fd_, static_cast<off_t>(Offset), whence);
  if (r < 0) Fail("seek", errno);
  return static_cast<int64_t>(r);
}

int64_t TFileStream::GetSize() {
  struct stat st {};
  if (::fstat(fd_, &st) != 0) Fail("examine", errno);
  return static_cast<int64_t>(st.st_size);
}

void TFileStream::SetSize(int64_t NewSize) {
  if (NewSize < 0) Fail("resize", EINVAL);
  if (!can_write_) RaiseFileError("resize", file_name_, EBADF, "File not open for writing");
  DropReadBuffer();
  int r;
  do r = ::ftruncate(fd_, static_cast<off_t>(NewSize));
  while (r != 0 && errno == EINTR);
  if (r != 0) Fail("resize", errno);
  if (Seek(0, soCurrent) > NewSize) Seek(NewSize, soBeginning);
}

// ------------------------------------------------------------ TMemoryStream

int64_t TMemoryStream::Read(void* Buffer, int64_t Count) {
  const auto size = static_cast<int64_t>(data_.size());
  if (Count <= 0 || position_ >= size) return 0;
  const int64_t n = std::min(Count, size - position_);
  std::memcpy(Buffer, data_.data() + position_, static_cast<size_t>(n));
  position_ += n;
  return n;
}

int64_t TMemoryStream::Write(const void* Buffer, int64_t Count) {
  if (Count <= 0) return 0;
  int64_t end;
  if (__builtin_add_overflow(position_, Count, &end) ||
      static_cast<uint64_t>(end) > data_.max_size())
    return 0;
  const auto* src = static_cast<const char*>(Buffer);
  if (static_cast<size_t>(end) > data_.size()) {
    // The source may lie in our own buffer, which growing moves.
    const std::less<const char*> before;
    const bool inside = !before(src, data_.data()) && before(src, data_.data() + data_.size());
    const std::ptrdiff_t offset = inside ? src - data_.data() : 0;
    try {
      if (static_cast<size_t>(end) > data_.capacity())
        data_.reserve(
            std::max(static_cast<size_t>(end), std::min(data_.capacity() * 2, data_.max_size())));
      data_.resize(static_cast<size_t>(end));
    } catch (const std::bad_alloc&) {
      return 0;
    } catch (const std::length_error&) {
      return 0;
    }
    if (inside) src = data_.data() + offset;
  }
  std::memmove(data_.data() + position_, src, static_cast<size_t>(Count));
  position_ = end;
  return Count;
}

int64_t TMemoryStream::Seek(int64_t Offset, TSeekOrigin Origin) {
  int64_t base;
  switch (Origin) {
    case soBeginning:
      base = 0;
      break;
    case soCurrent:
      base = position_;
      break;
    case soEnd:
      base = static_cast<int64_t>(data_.size());
      break;
    default:
      throw EInOutError("Stream seek error: invalid origin " + std::to_string(Origin), EINVAL);
  }
  int64_t pos;
  if (__builtin_add_overflow(base, Offset, &pos) || pos < 0) RaiseBadPosition(base, Offset);
  position_ = pos;
  return pos;
}

void TMemoryStream::SetSize(int64_t NewSize) {
  if (NewSize < 0) throw EInOutError("Invalid stream size " + std::to_string(NewSize), EINVAL);
  if (static_cast<uint64_t>(NewSize) > data_.max_size())
    throw EWriteError("Stream write error: size too large (" + std::to_string(NewSize) + " bytes)",
                      EFBIG);
  try {
    data_.resize(static_cast<size_t>(NewSize));
  } catch (const std::bad_alloc&) {
    throw EWriteError("Stream write error: out of memory", ENOMEM);
  }
  if (position_ > NewSize) position_ = NewSize;
}

void TMemoryStream::Clear() {
  std::string().swap(data_);
  position_ = 0;
}

void TMemoryStream::LoadFromStream(TStream* Stream) {
  if (Stream != this) {
    Stream->SetPosition(0);
    const int64_t size = Stream->GetSize();
    std::string bytes;
    bytes.resize(static_cast<size_t>(size));
    Stream->ReadBuffer(bytes.data(), size);
    data_.swap(bytes);
  }
  position_ = 0;
}

void TMemoryStream::LoadFromFile(const std::string& FileName) {
  TFileStream fs(FileName, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(&fs);
}

void TMemoryStream::SaveToStream(TStream* Stream) const {
  Stream->WriteBuffer(data_.data(), static_cast<int64_t>(data_.size()));
}

void TMemoryStream::SaveToFile(const std::string& FileName) const {
  ReplaceFileBytes(FileName, data_, ReplaceFallback::WriteInPlace);
}

// ------------------------------------------------------------ TStringStream

std::string TStringStream::ReadString(int64_t Count) {
  const auto size = static_cast<int64_t>(data_.size());
  if (Count <= 0 || position_ >= size) return {};
  const int64_t n = std::min(Count, size - position_);
  std::string s = data_.substr(static_cast<size_t>(position_), static_cast<size_t>(n));
  position_ += n;
  return s;
}

}  // namespace tkz
