// Text input for the commands that hand text to the libraries, which work in
// Windows-1252: UTF-8 input is recognised and converted as it is read.
#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

#include "core/platform/codepage.h"
#include "core/platform/stream.h"
#include "tools/tkz/commands.h"

namespace tkz::tool {

namespace {

constexpr size_t kBlock = 1 << 16;
constexpr size_t kKeepBehind = 64;  // decoded bytes kept for a step back

std::string CodePoint(char32_t cp) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "U+%04X", static_cast<unsigned>(cp));
  return buf;
}

std::string Unrepresentable(char32_t cp) {
  return "character " + CodePoint(cp) + " cannot be represented in Windows-1252";
}

bool IsAscii(std::string_view s) {
  return std::all_of(s.begin(), s.end(),
                     [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// True when s, apart from a sequence cut short at its end when more data may
// follow, is valid UTF-8.
bool ValidUtf8(std::string_view s, bool more) {
  for (size_t i = 0; i < s.size();) {
    char32_t cp;
    const int n = Utf8Sequence(s.substr(i), cp);
    if (n > 0)
      i += static_cast<size_t>(n);
    else
      return n == 0 && more;
  }
  return true;
}

// The encoding an XML declaration at the start of s names, lower-cased; ""
// when there is no declaration or it names none.
std::string DeclaredEncoding(std::string_view s) {
  if (s.substr(0, 5) != "<?xml") return {};
  s = s.substr(0, s.find("?>"));
  const size_t at = s.find("encoding");
  if (at == std::string_view::npos) return {};
  size_t i = s.find_first_not_of(" \t\r\n", at + 8);
  if (i == std::string_view::npos || s[i] != '=') return {};
  i = s.find_first_not_of(" \t\r\n", i + 1);
  if (i == std::string_view::npos || (s[i] != '"' && s[i] != '\'')) return {};
  const size_t end = s.find(s[i], i + 1);
  if (end == std::string_view::npos) return {};
  std::string name(s.substr(i + 1, end - i - 1));
  for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return name;
}

}  // namespace

int Utf8Sequence(std::string_view s, char32_t& cp) {
  if (s.empty()) return 0;
  const auto b = static_cast<unsigned char>(s[0]);
  if (b < 0x80) {
    cp = b;
    return 1;
  }
  int len;
  if (b >= 0xC2 && b <= 0xDF) {
    len = 2, cp = b & 0x1Fu;
  } else if (b >= 0xE0 && b <= 0xEF) {
    len = 3, cp = b & 0x0Fu;
  } else if (b >= 0xF0 && b <= 0xF4) {
    len = 4, cp = b & 0x07u;
  } else {
    return -1;
  }
  for (int k = 1; k < len; ++k) {
    if (static_cast<size_t>(k) >= s.size()) return 0;
    const auto c = static_cast<unsigned char>(s[static_cast<size_t>(k)]);
    if ((c & 0xC0) != 0x80) return -1;
    cp = (cp << 6) | (c & 0x3Fu);
    // Overlong forms, surrogates and values above U+10FFFF are refused as
    // soon as the second byte shows them.
    if (k == 1 && ((len == 3 && cp < 0x20) || (len == 3 && cp >= 0x360 && cp < 0x380) ||
                   (len == 4 && (cp < 0x10 || cp > 0x10F))))
      return -1;
  }
  return len;
}

bool ArgumentToAnsi(const std::string& arg, std::string& ansi, std::string& error) {
  if (IsAscii(arg) || !ValidUtf8(arg, false)) {
    ansi = arg;
    return true;
  }
  ansi.clear();
  for (size_t i = 0; i < arg.size();) {
    char32_t cp;
    i += static_cast<size_t>(Utf8Sequence(std::string_view(arg).substr(i), cp));
    const int b = Cp1252FromUnicode(cp);
    if (b < 0) {
      error = Unrepresentable(cp);
      return false;
    }
    ansi.push_back(static_cast<char>(b));
  }
  return true;
}

TextInput::TextInput(const std::string& name)
    : raw_(OpenInput(name)), name_(name.empty() || name == "-" ? "standard input" : name) {}

TextInput::~TextInput() = default;

bool TextInput::Need(size_t n) {
  while (in_.size() - ipos_ < n && !eof_) {
    in_.erase(0, ipos_);
    ipos_ = 0;
    const size_t old = in_.size();
    in_.resize(old + kBlock);
    const int64_t got = raw_->Read(in_.data() + old, static_cast<int64_t>(kBlock));
    in_.resize(old + static_cast<size_t>(std::max<int64_t>(got, 0)));
    if (got <= 0) eof_ = true;
  }
  return in_.size() - ipos_ >= n;
}

void TextInput::Start() {
  started_ = true;
  Need(3);
  if (std::string_view(in_).substr(ipos_, 3) == "\xEF\xBB\xBF") {
    ipos_ += 3;
    mode_ = Mode::Utf8;
    return;
  }
  Need(5);
  if (std::string_view(in_).substr(ipos_, 5) != "<?xml") return;
  // The declaration is short; look for its end in the first kilobyte.
  for (size_t want = 64; want <= 1024; want *= 2)
    if (!Need(want) || std::string_view(in_).substr(ipos_, want).find("?>") != std::string::npos)
      break;
  const std::string enc = DeclaredEncoding(std::string_view(in_).substr(ipos_, 1024));
  if (enc == "utf-8" || enc == "utf8")
    mode_ = Mode::Utf8;
  else if (!enc.empty())
    mode_ = Mode::Ansi;  // a single-byte code page, taken as Windows-1252
}

bool TextInput::Decode() {
  if (!error_.empty()) throw ETKZError(name_ + ": line " + std::to_string(line_) + ": " + error_);
  if (!started_) Start();
  out_.KeepBehind(kKeepBehind);  // for a step back
  std::string& out = out_.Bytes;
  const size_t before = out.size();
  while (out.size() == before) {
    if (!Need(1)) return false;
    for (; ipos_ < in_.size(); ++ipos_) {
      const char ch = in_[ipos_];
      const auto b = static_cast<unsigned char>(ch);
      if (b < 0x80 || mode_ == Mode::Ansi) {
        if (ch == '\n') ++line_;
        out.push_back(ch);
        continue;
      }
      const std::string_view rest = std::string_view(in_).substr(ipos_);
      if (mode_ == Mode::Undecided) {
        // The first byte beyond ASCII: the text is UTF-8 when what is held
        // from here on is valid UTF-8. A sequence cut by the block's end is
        // read whole first.
        char32_t cp;
        if (Utf8Sequence(rest, cp) == 0 && !eof_) break;
        mode_ = ValidUtf8(rest, !eof_) ? Mode::Utf8 : Mode::Ansi;
        if (mode_ == Mode::Ansi) {
          out.push_back(ch);
          continue;
        }
      }
      char32_t cp;
      const int n = Utf8Sequence(rest, cp);
      if (n == 0 && !eof_) break;  // completed by the next block
      if (n <= 0) {
        out.push_back(ch);  // not UTF-8: the byte is taken as Windows-1252
        continue;
      }
      const int a = Cp1252FromUnicode(cp);
      if (a < 0) {
        error_ = Unrepresentable(cp);
        if (out.size() > before) return true;  // deliver what came before it
        throw ETKZError(name_ + ": line " + std::to_string(line_) + ": " + error_);
      }
      out.push_back(static_cast<char>(a));
      ipos_ += static_cast<size_t>(n) - 1;
    }
    if (ipos_ < in_.size() && !Need(in_.size() - ipos_ + 1)) {
      // An incomplete sequence at the very end: its bytes as Windows-1252.
      out.append(in_, ipos_);
      ipos_ = in_.size();
    }
  }
  return true;
}

int64_t TextInput::Read(void* Buffer, int64_t Count) {
  if (out_.Exhausted() && !Decode()) return 0;
  return out_.Take(Buffer, Count);
}

int64_t TextInput::Write(const void*, int64_t) {
  throw EWriteError("Cannot write to " + name_ + " (opened for reading)", EBADF);
}

int64_t TextInput::Seek(int64_t Offset, TSeekOrigin Origin) {
  return out_.Seek(Offset, Origin, name_);
}

int64_t TextInput::GetSize() {
  throw EInOutError("Cannot take the size of " + name_ + ": " + std::strerror(ESPIPE), ESPIPE);
}

void TextInput::SetSize(int64_t) {
  throw EWriteError("Cannot change the size of " + name_ + " (opened for reading)", EBADF);
}

}  // namespace tkz::tool
