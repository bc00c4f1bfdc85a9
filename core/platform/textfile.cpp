#include "core/platform/textfile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <algorithm>
#include <bit>
#include <cerrno>
#include <system_error>
#include <utility>

#include "core/platform/classes.h"
#include "core/platform/stream_internal.h"

namespace tkz {

namespace {

constexpr size_t kBlock = size_t{64} << 10;

[[noreturn]] void RaiseFileError(const char* what, const std::string& name, int err,
                                 const char* reason = nullptr) {
  throw EInOutError(std::string("Cannot ") + what + " file \"" + name +
                        "\": " + (reason != nullptr ? reason : std::system_category().message(err)),
                    err);
}

bool IsLineEnd(char c) { return c == '\r' || c == '\n'; }
bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// The first CR or LF of [first, last), else last: 16 bytes a step where the
// CPU has SSE2 (lines are mostly short, so this beats a library call per
// line end), a byte at a time for the rest.
const char* FindLineEnd(const char* first, const char* last) {
#if defined(__SSE2__)
  const __m128i lf = _mm_set1_epi8('\n'), cr = _mm_set1_epi8('\r');
  for (; last - first >= 16; first += 16) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(first));
    const int mask = _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(v, lf), _mm_cmpeq_epi8(v, cr)));
    if (mask != 0) return first + std::countr_zero(static_cast<unsigned>(mask));
  }
#endif
  while (first != last && !IsLineEnd(*first)) ++first;
  return first;
}

}  // namespace

TTextFile::~TTextFile() { CloseQuietly(); }

TTextFile::TTextFile(TTextFile&& other) noexcept
    : file_name_(std::move(other.file_name_)),
      fd_(std::exchange(other.fd_, -1)),
      mode_(std::exchange(other.mode_, Mode::Closed)),
      buf_(std::move(other.buf_)),
      pos_(std::exchange(other.pos_, 0)),
      end_(std::exchange(other.end_, 0)) {
  other.file_name_.clear();
  other.buf_.clear();
}

TTextFile& TTextFile::operator=(TTextFile&& other) {
  if (this != &other) {
    CloseFile();
    file_name_ = std::move(other.file_name_);
    fd_ = std::exchange(other.fd_, -1);
    mode_ = std::exchange(other.mode_, Mode::Closed);
    buf_ = std::move(other.buf_);
    pos_ = std::exchange(other.pos_, 0);
    end_ = std::exchange(other.end_, 0);
    other.file_name_.clear();
    other.buf_.clear();
  }
  return *this;
}

void TTextFile::AssignFile(const std::string& FileName) {
  if (IsOpen()) RaiseFileError("assign", file_name_, EBUSY, "File is open");
  file_name_ = FileName;
}

void TTextFile::Open(int flags, const char* what, Mode mode) {
  CloseFile();
  int fd;
  do fd = ::open(file_name_.c_str(), flags | O_CLOEXEC, 0666);
  while (fd < 0 && errno == EINTR);
  if (fd < 0) RaiseFileError(what, file_name_, errno);
  struct stat st {};
  int err = 0;
  if (::fstat(fd, &st) != 0)
    err = errno;
  else if (S_ISDIR(st.st_mode))
    err = EISDIR;
  if (err != 0) {
    ::close(fd);
    RaiseFileError(what, file_name_, err);
  }
  fd_ = fd;
  mode_ = mode;
  buf_.clear();
  pos_ = end_ = 0;
}

void TTextFile::Reset() { Open(O_RDONLY, "open", Mode::Input); }
void TTextFile::Rewrite() { Open(O_WRONLY | O_CREAT | O_TRUNC, "create", Mode::Output); }
void TTextFile::Append() { Open(O_WRONLY | O_APPEND, "open", Mode::Output); }

int TTextFile::FlushBuffer() {
  const char* p = buf_.data();
  size_t n = buf_.size();
  int err = 0;
  while (n > 0) {
    const ssize_t w = ::write(fd_, p, n);
    if (w < 0) {
      if (errno == EINTR) continue;
      err = errno;
      break;
    }
    if (w == 0) {
      err = EIO;
      break;
    }
    p += w;
    n -= static_cast<size_t>(w);
  }
  // After a failure the file position is uncertain: drop what is left rather
  // than write parts of it twice.
  buf_.clear();
  return err;
}

void TTextFile::Flush() {
  if (mode_ != Mode::Output) return;
  if (const int err = FlushBuffer(); err != 0) RaiseFileError("write", file_name_, err);
}

void TTextFile::CloseFile() {
  if (fd_ < 0) return;
  int err = mode_ == Mode::Output ? FlushBuffer() : 0;
  if (::close(fd_) != 0 && err == 0 && mode_ == Mode::Output && errno != EINTR) err = errno;
  fd_ = -1;
  mode_ = Mode::Closed;
  std::string().swap(buf_);
  pos_ = end_ = 0;
  if (err != 0) RaiseFileError("write", file_name_, err);
}

void TTextFile::CloseQuietly() noexcept {
  if (fd_ < 0) return;
  if (mode_ == Mode::Output) (void)FlushBuffer();
  ::close(fd_);
  fd_ = -1;
  mode_ = Mode::Closed;
}

void TTextFile::CheckInput() {
  if (mode_ == Mode::Input) return;
  RaiseFileError("read", file_name_, EBADF,
                 mode_ == Mode::Closed ? "File not open" : "File not open for reading");
}

void TTextFile::CheckOutput() {
  if (mode_ == Mode::Output) return;
  RaiseFileError("write", file_name_, EBADF,
                 mode_ == Mode::Closed ? "File not open" : "File not open for writing");
}

bool TTextFile::Fill() {
  if (pos_ < end_) return true;
  if (buf_.size() < kBlock) buf_.resize(kBlock);
  ssize_t n;
  do n = ::read(fd_, buf_.data(), kBlock);
  while (n < 0 && errno == EINTR);
  if (n < 0) RaiseFileError("read", file_name_, errno);
  pos_ = 0;
  end_ = static_cast<size_t>(n);
  return n > 0;
}

void TTextFile::Read(char& c) {
  CheckInput();
  c = Fill() ? buf_[pos_++] : '\x1A';
}

void TTextFile::ReadLn(std::string& s) { ReadLn(s, std::string::npos); }

bool TTextFile::ReadLn(std::string& s, size_t MaxLength) {
  CheckInput();
  s.clear();
  bool cut = false;
  while (Fill()) {
    const char* first = buf_.data() + pos_;
    const char* last = buf_.data() + end_;
    const char* stop = FindLineEnd(first, last);
    const size_t run = static_cast<size_t>(stop - first);
    const size_t room = MaxLength - s.size();  // MaxLength >= s.size() always
    if (run > room) cut = true;
    s.append(first, std::min(run, room));
    pos_ += run;
    if (stop == last) continue;
    const char c = buf_[pos_++];
    if (c == '\r' && Fill() && buf_[pos_] == '\n') ++pos_;
    break;
  }
  return cut;
}

void TTextFile::ReadLn() {
  std::string skipped;
  ReadLn(skipped, 0);
}

void TTextFile::Write(std::string_view s) {
  CheckOutput();
  buf_.append(s);
  if (buf_.size() >= kBlock) Flush();
}

void TTextFile::WriteLn(std::string_view s) {
  CheckOutput();
  buf_.append(s);
  buf_.append("\r\n");
  if (buf_.size() >= kBlock) Flush();
}

bool TTextFile::Eof() {
  CheckInput();
  return !Fill();
}

bool TTextFile::Eoln() {
  CheckInput();
  return !Fill() || IsLineEnd(buf_[pos_]);
}

bool TTextFile::SeekEof() {
  CheckInput();
  while (Fill() && (IsBlank(buf_[pos_]) || IsLineEnd(buf_[pos_]))) ++pos_;
  return !Fill();
}

bool TTextFile::AtEndOfText(size_t MaxLookahead) {
  CheckInput();
  if (!Fill()) return true;
  size_t i = pos_;
  for (;;) {
    while (i < end_ && (IsBlank(buf_[i]) || IsLineEnd(buf_[i]))) ++i;
    if (i < end_ || end_ - pos_ >= MaxLookahead) return false;
    // All held bytes are blank: read more behind them.
    if (pos_ > 0) {
      buf_.erase(0, pos_);
      end_ -= pos_;
      i -= pos_;
      pos_ = 0;
    }
    if (buf_.size() < end_ + kBlock) buf_.resize(end_ + kBlock);
    ssize_t n;
    do n = ::read(fd_, buf_.data() + end_, kBlock);
    while (n < 0 && errno == EINTR);
    if (n < 0) RaiseFileError("read", file_name_, errno);
    if (n == 0) {
      pos_ = end_;
      return true;
    }
    end_ += static_cast<size_t>(n);
  }
}

bool TTextFile::SeekEoln() {
  CheckInput();
  while (Fill() && IsBlank(buf_[pos_])) ++pos_;
  return !Fill() || IsLineEnd(buf_[pos_]);
}

void ReplaceTextFile(const std::string& FileName, const std::function<void(TTextFile&)>& Write) {
  ReplaceFile(FileName, ReplaceFallback::Fail, [&](int, const std::string& Path) {
    TTextFile f;
    f.AssignFile(Path);
    f.Rewrite();
    Write(f);
    f.CloseFile();
  });
}

}  // namespace tkz
