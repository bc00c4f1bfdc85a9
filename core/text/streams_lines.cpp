// streams: writers, line readers, raw numbers, whole-stream reads and
// TMixedFStream.
#include <algorithm>
#include <cfloat>
#include <cstring>

#include "core/platform/stringlist.h"
#include "core/text/charcase.h"
#include "core/text/streams.h"

namespace tkz {

namespace {

constexpr size_t kWritePiece = 4096;
constexpr int64_t kBlock = 256;

bool NextByte(TStream* Stream, uint8_t& c) { return Stream->Read(&c, 1) == 1; }

// True when c, read right after prev, ends a line in Mode.
bool EndsLine(int Mode, uint8_t c, uint8_t prev) {
  switch (Mode) {
    case 0:
      return c == '\n';
    case 1:
      return c == '\r';
    case 2:
      return c == '\n' || c == '\r';
    case 3:
      return c == '\r' && prev == '\n';
    case 4:
      return c == '\n' && prev == '\r';
    default:
      return false;
  }
}

// Reads exactly n bytes into p; on a short read the bytes available are
// consumed and false is returned.
bool ReadExact(TStream* Stream, void* p, int64_t n) {
  auto* d = static_cast<char*>(p);
  while (n > 0) {
    const int64_t r = Stream->Read(d, n);
    if (r <= 0) return false;
    d += r;
    n -= r;
  }
  return true;
}

template <typename T>
T ReadRaw(TStream* Stream, bool& Error, size_t n = sizeof(T)) {
  T v{};
  unsigned char bytes[sizeof(T)] = {};
  Error = !ReadExact(Stream, bytes, static_cast<int64_t>(n));
  if (Error) return T{};
  std::memcpy(&v, bytes, n);
  return v;
}

// The bytes that Stream holds in memory at its position, without moving it
// (empty when it holds none there), and the step over n of them.
std::string_view HeldBytes(TStream* Stream) {
  if (auto* f = dynamic_cast<TFileStream*>(Stream)) return f->ReadAheadView();
  if (auto* m = dynamic_cast<TMemoryStream*>(Stream)) {
    const int64_t pos = m->GetPosition(), size = m->GetSize();
    if (pos < size) return {m->Memory() + pos, static_cast<size_t>(size - pos)};
  }
  return {};
}

void SkipHeld(TStream* Stream, size_t n) {
  if (auto* f = dynamic_cast<TFileStream*>(Stream))
    f->ConsumeReadAhead(n);
  else
    Stream->Seek(static_cast<int64_t>(n), soCurrent);
}

// The index of the first byte of w that ends a line in Mode (prev being the
// byte before w), or npos.
size_t FindLineEnd(std::string_view w, int Mode, uint8_t prev) {
  if (Mode == 0) return w.find('\n');
  if (Mode == 1) return w.find('\r');
  if (Mode < 0 || Mode > 4) return std::string_view::npos;
  for (size_t i = 0; i < w.size(); ++i) {
    const auto c = static_cast<uint8_t>(w[i]);
    if (EndsLine(Mode, c, prev)) return i;
    prev = c;
  }
  return std::string_view::npos;
}

}  // namespace

// ------------------------------------------------------------------ writers

void WriteStringStream(TStream* Stream, std::string_view s) {
  for (size_t i = 0; i < s.size(); i += kWritePiece) {
    const size_t n = std::min(kWritePiece, s.size() - i);
    Stream->WriteBuffer(s.data() + i, static_cast<int64_t>(n));
  }
}

void WriteLnStream(TStream* Stream, std::string_view s) {
  WriteStringStream(Stream, s);
  Stream->WriteBuffer("\r\n", 2);
}

void WriteLongintToStream(TStream* Stream, int32_t v) { Stream->WriteBuffer(&v, 4); }
void WriteSingleToStream(TStream* Stream, float v) { Stream->WriteBuffer(&v, 4); }
void WriteDoubleToStream(TStream* Stream, double v) { Stream->WriteBuffer(&v, 8); }

static_assert(LDBL_MANT_DIG == 64, "long double must be the x87 80-bit extended format");

void WriteExtendedToStream(TStream* Stream, long double v) {
  unsigned char bytes[sizeof(long double)];
  std::memcpy(bytes, &v, sizeof v);
  Stream->WriteBuffer(bytes, 10);
}

// ------------------------------------------------------------------ readers

std::string ReadLnStream(TStream* Stream, bool& EndOfStream, int Mode) {
  std::string line;
  uint8_t c = 0, prev = 0;
  EndOfStream = false;
  for (;;) {
    // Bytes the stream holds in memory are scanned in place; the position
    // still ends exactly after the terminator.
    const std::string_view held = HeldBytes(Stream);
    if (!held.empty()) {
      const size_t end = FindLineEnd(held, Mode, prev);
      const size_t n = end == std::string_view::npos ? held.size() : end + 1;
      line.append(held.data(), n);
      prev = static_cast<uint8_t>(held[n - 1]);
      SkipHeld(Stream, n);
      if (end != std::string_view::npos) break;
      continue;
    }
    if (!NextByte(Stream, c)) {
      EndOfStream = true;
      return line;
    }
    line.push_back(static_cast<char>(c));
    if (EndsLine(Mode, c, prev)) break;
    prev = c;
  }
  for (int i = 0; i < 2 && !line.empty() && (line.back() == '\r' || line.back() == '\n'); ++i)
    line.pop_back();
  return line;
}

int32_t ReadLongintFromStream(TStream* Stream, bool& Error) {
  return ReadRaw<int32_t>(Stream, Error);
}
float ReadSingleFromStream(TStream* Stream, bool& Error) { return ReadRaw<float>(Stream, Error); }
double ReadDoubleFromStream(TStream* Stream, bool& Error) { return ReadRaw<double>(Stream, Error); }
long double ReadExtendedFromStream(TStream* Stream, bool& Error) {
  return ReadRaw<long double>(Stream, Error, 10);
}

bool FindInStream(TStream* Stream, uint8_t b) {
  uint8_t c;
  while (NextByte(Stream, c))
    if (c == b) return true;
  return false;
}

std::string StreamAsString(TStream* Stream) {
  std::string r;
  char block[kBlock];
  for (;;) {
    const int64_t n = Stream->Read(block, kBlock);
    for (int64_t i = 0; i + 1 < n; i += 2) r.push_back(block[i]);
    if (n < kBlock) return r;
  }
}

std::string StreamAsByteString(TStream* Stream) {
  std::string r;
  char block[kBlock];
  for (;;) {
    const int64_t n = Stream->Read(block, kBlock);
    if (n > 0) r.append(block, static_cast<size_t>(n));
    if (n < kBlock) return r;
  }
}

std::string ReadStreamUntil(TStream* Stream, std::string_view Target, int& Status) {
  Status = -1;
  if (Target.empty()) {
    Status = 0;
    return {};
  }
  const std::string target = AnsiLowerCase(Target);
  const int64_t start = Stream->GetPosition();
  std::string buf, lower;
  char block[kBlock];
  for (;;) {
    const int64_t n = Stream->Read(block, kBlock);
    if (n > 0) {
      const size_t from = lower.size() >= target.size() ? lower.size() - target.size() + 1 : 0;
      buf.append(block, static_cast<size_t>(n));
      lower += AnsiLowerCase(std::string_view(block, static_cast<size_t>(n)));
      const size_t p = lower.find(target, from);
      if (p != std::string::npos) {
        Status = 0;
        buf.resize(p + target.size());
        Stream->SetPosition(start + static_cast<int64_t>(buf.size()));
        return buf;
      }
    }
    if (n < kBlock) return buf;
  }
}

int32_t ScanStreamDecimal(TStream* Stream) {
  uint8_t c;
  do {
    if (!NextByte(Stream, c)) return 0;
  } while (c == ' ' || c == '\r' || c == '\n');
  bool negative = false;
  if (c == '+' || c == '-') {
    negative = c == '-';
    if (!NextByte(Stream, c)) return 0;
  }
  uint32_t v = 0;
  while (c >= '0' && c <= '9') {
    v = v * 10u + static_cast<uint32_t>(c - '0');
    if (!NextByte(Stream, c)) break;
  }
  if (negative) v = 0u - v;
  return static_cast<int32_t>(v);
}

int64_t CountLinesInStream(TStream* Stream) {
  int64_t lines = 0;
  char block[64 << 10];
  for (;;) {
    const int64_t n = Stream->Read(block, sizeof block);
    if (n <= 0) return lines;
    lines += std::count(block, block + n, '\n');
  }
}

// ------------------------------------------------------- line extraction

int ExtractFromStream(TStream* Stream, TMemoryStream& Target, const TStringList& List) {
  Target.Clear();
  std::vector<std::string> needles;
  for (int i = 0; i < List.Count(); ++i)
    if (!List.Strings(i).empty()) needles.push_back(AnsiLowerCase(List.Strings(i)));
  int copied = 0;
  bool eos = false;
  while (!eos) {
    std::string line = ReadLnStream(Stream, eos, 0);
    if (eos && line.empty()) break;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const std::string lower = AnsiLowerCase(line);
    for (const std::string& n : needles) {
      if (lower.find(n) != std::string::npos) {
        WriteLnStream(&Target, line);
        ++copied;
        break;
      }
    }
  }
  Target.SetPosition(0);
  return copied;
}

int SearchAndReplace(TMemoryStream& Stream, std::string_view SearchStr, std::string_view ReplStr,
                     bool IgnoreCase, int64_t StartPos, int MaxCount,
                     const TReplaceCallback& OnReplace) {
  Stream.SetPosition(0);
  const auto size = static_cast<size_t>(Stream.GetSize());
  if (SearchStr.empty() || size == 0) return 0;
  const std::string_view data(Stream.Memory(), size);
  const std::string lower = IgnoreCase ? AnsiLowerCase(data) : std::string();
  const std::string needle = IgnoreCase ? AnsiLowerCase(SearchStr) : std::string(SearchStr);
  const std::string_view hay = IgnoreCase ? std::string_view(lower) : data;
  size_t from = static_cast<size_t>(std::clamp<int64_t>(StartPos, 0, static_cast<int64_t>(size)));
  std::string out(data.substr(0, from));
  int count = 0;
  for (;;) {
    if (MaxCount > 0 && count >= MaxCount) break;
    const size_t p = hay.find(needle, from);
    if (p == std::string_view::npos) break;
    out.append(data.substr(from, p - from));
    std::string repl(ReplStr);
    if (OnReplace) OnReplace(std::string(data.substr(p, needle.size())), repl);
    out += repl;
    from = p + needle.size();
    ++count;
  }
  if (count == 0) return 0;
  out.append(data.substr(from));
  Stream.Clear();
  Stream.WriteBuffer(out.data(), static_cast<int64_t>(out.size()));
  Stream.SetPosition(0);
  return count;
}

// ------------------------------------------------------------ TMixedFStream

std::string TMixedFStream::ReadLn(int Mode) {
  std::string line;
  uint8_t c = 0, prev = 0;
  while (NextByte(this, c)) {
    if (EndsLine(Mode, c, prev)) break;
    if (c >= 32 || c == '\t') line.push_back(static_cast<char>(c));
    prev = c;
  }
  return line;
}

uint8_t TMixedFStream::ReadByte(bool& Error) { return ReadRaw<uint8_t>(this, Error); }

}  // namespace tkz
