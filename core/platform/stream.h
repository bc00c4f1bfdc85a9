// Byte streams: the abstract TStream, files on POSIX descriptors
// (TFileStream), growable buffers (TMemoryStream) and a memory stream over a
// string (TStringStream).
//
// Positions and sizes are 64-bit byte counts from 0. Read returns the bytes it
// could read (0 at the end, never more than Count); ReadBuffer and WriteBuffer
// move exactly Count bytes or raise. Seeking beyond the end is allowed: reading
// there gives nothing, writing there fills the gap with zero bytes. Seeking to
// a position before the start, or to one that overflows 64 bits, raises
// EInOutError (ErrorCode EINVAL) and leaves the position where it was.
//
// Every failing file-system call raises EInOutError (or EReadError or
// EWriteError, which derive from it) whose message names the file in double
// quotes and gives the system's reason, and whose ErrorCode is errno:
//   Cannot open file "/x/y.txt": No such file or directory
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>

#include "core/platform/classes.h"
#include "core/types/corekit_export.h"

namespace tkz {

// A read that could not deliver the bytes asked for ("Stream read error"), or
// a failed read(2) on a file.
class TKZ_COREKIT_EXPORT EReadError : public EInOutError {
 public:
  explicit EReadError(const std::string& msg, int code = 0) : EInOutError(msg, code) {}
};

// A write that could not store the bytes given ("Stream write error"), or a
// failed write(2) on a file.
class TKZ_COREKIT_EXPORT EWriteError : public EInOutError {
 public:
  explicit EWriteError(const std::string& msg, int code = 0) : EInOutError(msg, code) {}
};

enum TSeekOrigin : uint8_t { soBeginning, soCurrent, soEnd };

// Open modes of TFileStream: one access mode or-ed with one share mode.
inline constexpr uint16_t fmCreate = 0xFF00;  // create or truncate, read-write
inline constexpr uint16_t fmOpenRead = 0x0000;
inline constexpr uint16_t fmOpenWrite = 0x0001;
inline constexpr uint16_t fmOpenReadWrite = 0x0002;
inline constexpr uint16_t fmShareCompat = 0x0000;
inline constexpr uint16_t fmShareExclusive = 0x0010;
inline constexpr uint16_t fmShareDenyWrite = 0x0020;
inline constexpr uint16_t fmShareDenyRead = 0x0030;
inline constexpr uint16_t fmShareDenyNone = 0x0040;

class TKZ_COREKIT_EXPORT TStream : public TObject {
 public:
  // Reads up to Count bytes into Buffer; returns the count read (0 at the
  // end). Count <= 0 reads nothing.
  virtual int64_t Read(void* Buffer, int64_t Count) = 0;
  // Writes up to Count bytes; returns the count written. Count <= 0 writes
  // nothing.
  virtual int64_t Write(const void* Buffer, int64_t Count) = 0;
  // Moves to Offset from Origin and returns the new position.
  virtual int64_t Seek(int64_t Offset, TSeekOrigin Origin) = 0;

  int64_t GetPosition() { return Seek(0, soCurrent); }
  void SetPosition(int64_t Pos) { Seek(Pos, soBeginning); }
  virtual int64_t GetSize();
  // Truncates or extends (with zero bytes). The position stays unless it lay
  // beyond the new end, in which case it moves to the end. A stream that
  // cannot change its size raises EWriteError.
  virtual void SetSize(int64_t NewSize);

  // Reads exactly Count bytes, else raises EReadError "Stream read error".
  void ReadBuffer(void* Buffer, int64_t Count);
  // Writes exactly Count bytes, else raises EWriteError "Stream write error".
  void WriteBuffer(const void* Buffer, int64_t Count);
  // Copies Count bytes from Source's position into this stream; Count 0
  // copies the whole of Source from its start. Returns the count copied;
  // raises EReadError when Source ends early. Negative Count copies nothing.
  int64_t CopyFrom(TStream* Source, int64_t Count);

  // Reads and writes one trivially copyable value in the machine's layout.
  template <typename T>
  T ReadValue() {
    static_assert(std::is_trivially_copyable_v<T>);
    T v;
    ReadBuffer(&v, sizeof(T));
    return v;
  }
  template <typename T>
  void WriteValue(const T& v) {
    static_assert(std::is_trivially_copyable_v<T>);
    WriteBuffer(&v, sizeof(T));
  }
};

// A file opened through a POSIX descriptor.
//
// Mode is fmCreate (create or truncate, read-write) or one of fmOpenRead,
// fmOpenWrite, fmOpenReadWrite, or-ed with a share mode. Share modes are
// advisory locks (flock) taken when the file is opened and held until the
// stream is destroyed; they bind only programs that lock too, this library
// included, and they apply between two streams of one process as well:
//   fmShareExclusive, fmShareDenyRead  exclusive lock: refused while any other
//                                      stream holds a lock on the file;
//   fmShareDenyWrite                   shared lock: refused while another
//                                      stream holds an exclusive lock;
//   fmShareCompat, fmShareDenyNone     no lock.
// A refused lock raises EInOutError (ErrorCode EWOULDBLOCK) and, for
// fmCreate, leaves the file untouched. A directory cannot be opened.
//
// Small reads are served from a 64 KiB read-ahead buffer, so reading a file a
// byte at a time is cheap; Position stays the logical position. Writes,
// SetSize and seeks outside the buffered block drop the buffer first. The
// descriptor (GetHandle) may stand ahead of Position while a block is
// buffered.
class TKZ_COREKIT_EXPORT TFileStream : public TStream {
 public:
  TFileStream(const std::string& FileName, uint16_t Mode);
  ~TFileStream() override;
  TFileStream(const TFileStream&) = delete;
  TFileStream& operator=(const TFileStream&) = delete;

  int64_t Read(void* Buffer, int64_t Count) override;
  int64_t Write(const void* Buffer, int64_t Count) override;
  int64_t Seek(int64_t Offset, TSeekOrigin Origin) override;
  int64_t GetSize() override;
  void SetSize(int64_t NewSize) override;

  const std::string& GetFileName() const { return file_name_; }
  int GetHandle() const { return fd_; }

  // The read-ahead bytes at the position, refilling the block when it is
  // used up; empty at the end of the file or when the file is not open for
  // reading. Valid until the next call on the stream. ConsumeReadAhead(n)
  // moves the position over n of them (n <= the view's size). Together they
  // let a scanner look for a delimiter without a call per byte.
  std::string_view ReadAheadView();
  void ConsumeReadAhead(size_t n) { rpos_ += n; }

 private:
  [[noreturn]] void Fail(const char* what, int err) const;
  // Moves the descriptor back to the logical position and empties the
  // read-ahead buffer.
  void DropReadBuffer();

  std::string file_name_;
  int fd_ = -1;
  std::string rbuf_;        // read-ahead block (allocated on first use)
  size_t rpos_ = 0;         // next unread byte of rbuf_
  size_t rend_ = 0;         // end of the valid bytes of rbuf_
  int64_t rbuf_start_ = 0;  // file offset of rbuf_[0]
  bool can_read_ = false;
  bool can_write_ = false;
};

// A stream over a growable block of memory.
class TKZ_COREKIT_EXPORT TMemoryStream : public TStream {
 public:
  TMemoryStream() = default;

  int64_t Read(void* Buffer, int64_t Count) override;
  // Returns 0 (nothing written) when the stream would outgrow the largest
  // size the buffer can hold.
  int64_t Write(const void* Buffer, int64_t Count) override;
  int64_t Seek(int64_t Offset, TSeekOrigin Origin) override;
  int64_t GetSize() override { return static_cast<int64_t>(data_.size()); }
  // Negative sizes raise EInOutError (EINVAL).
  void SetSize(int64_t NewSize) override;

  // The bytes of the stream (GetSize() of them); valid until the size changes.
  char* Memory() { return data_.data(); }
  const char* Memory() const { return data_.data(); }
  void Clear();

  // Replaces the content with the whole of Stream (read from its start) and
  // moves to position 0. On failure the content is unchanged.
  void LoadFromStream(TStream* Stream);
  void LoadFromFile(const std::string& FileName);
  // Writes the whole content to Stream at its position.
  void SaveToStream(TStream* Stream) const;
  // Writes the whole content to a temporary file beside FileName and renames
  // it into place, so a failed save leaves an existing file as it was. An
  // existing file keeps its permission bits; a symbolic link is followed.
  // Devices, and a writable file in a folder where no file can be created,
  // are written in place. A read-only file is refused (EACCES).
  void SaveToFile(const std::string& FileName) const;

 protected:
  std::string data_;
  int64_t position_ = 0;
};

// A memory stream whose bytes are a string.
class TKZ_COREKIT_EXPORT TStringStream : public TMemoryStream {
 public:
  TStringStream() = default;
  explicit TStringStream(std::string_view AString) { data_.assign(AString); }

  const std::string& DataString() const { return data_; }
  // Reads up to Count bytes from the position.
  std::string ReadString(int64_t Count);
  // Writes s at the position.
  void WriteString(std::string_view s) { WriteBuffer(s.data(), static_cast<int64_t>(s.size())); }
};

}  // namespace tkz
