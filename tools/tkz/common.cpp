// What the commands of the tkz tool share: the registry of the chosen
// command, JSON output and input from a file or standard input.
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>
#include <nlohmann/json.hpp>
#include <system_error>
#include <utility>

#include "core/platform/stream.h"
#include "tools/tkz/commands.h"

namespace tkz::tool {

namespace {

std::function<int()>& Chosen() {
  static std::function<int()> action;
  return action;
}

// The binary subtype that marks a number JsonFixed has formatted; no reader
// of text makes binary values, so nothing else carries it.
constexpr std::uint64_t kFixedNumber = 0x4658;

template <class J>
std::string Dump(const J& j) {
  return j.dump(-1, ' ', false, J::error_handler_t::replace);
}

void NewLine(std::string& out, int indent, int level) {
  if (indent < 0) return;
  out += '\n';
  out.append(static_cast<size_t>(indent) * static_cast<size_t>(level), ' ');
}

// nlohmann's own layout (one line, or indent spaces a level), with the one
// difference that a fixed number is written as its text.
template <class J>
void Write(std::string& out, const J& j, int indent, int level) {
  if (j.is_binary() && j.get_binary().has_subtype() && j.get_binary().subtype() == kFixedNumber) {
    out.append(j.get_binary().begin(), j.get_binary().end());
    return;
  }
  if (!j.is_structured()) {
    out += Dump(j);
    return;
  }
  const bool object = j.is_object();
  if (j.empty()) {
    out += object ? "{}" : "[]";
    return;
  }
  out += object ? '{' : '[';
  for (auto it = j.begin(); it != j.end(); ++it) {
    if (it != j.begin()) out += ',';
    NewLine(out, indent, level + 1);
    if (object) {
      out += Dump(J(it.key()));
      out += indent < 0 ? ":" : ": ";
    }
    Write(out, it.value(), indent, level + 1);
  }
  NewLine(out, indent, level);
  out += object ? '}' : ']';
}

// Standard input read as it comes, in blocks of up to 64 KiB. The stream reads
// forward; a seek may go back over the bytes still held (at least the last
// 64 KiB read, so that a decoder that reads a block ahead can step back to
// where it stopped), and any other seek raises EInOutError (ESPIPE). The
// size is not known: GetSize raises too.
class StdinStream final : public TStream {
 public:
  int64_t Read(void* Buffer, int64_t Count) override {
    // What a pipe has delivered so far is enough: a reader waiting for a
    // whole block would stall an interactive source.
    if (held_.Exhausted() && !Fill()) return 0;
    return held_.Take(Buffer, Count);
  }
  int64_t Write(const void*, int64_t) override {
    throw EWriteError("Cannot write to standard input", EBADF);
  }
  int64_t Seek(int64_t Offset, TSeekOrigin Origin) override {
    return held_.Seek(Offset, Origin, "standard input");
  }
  int64_t GetSize() override {
    throw EInOutError("Standard input has no size: " + std::string(std::strerror(ESPIPE)), ESPIPE);
  }
  void SetSize(int64_t) override {
    throw EWriteError("Cannot change the size of standard input", ESPIPE);
  }

 private:
  static constexpr size_t kBlock = 1 << 16;

  // Reads the next block, keeping the last kBlock bytes before it. False at
  // the end of the data; a failed read raises EReadError.
  bool Fill() {
    held_.KeepBehind(kBlock);
    std::string& buf = held_.Bytes;
    const size_t old = buf.size();
    buf.resize(old + kBlock);
    ssize_t n;
    do {
      n = ::read(0, buf.data() + old, kBlock);
    } while (n < 0 && errno == EINTR);
    const int err = errno;
    buf.resize(old + static_cast<size_t>(n > 0 ? n : 0));
    if (n < 0)
      throw EReadError("Cannot read standard input: " + std::string(std::strerror(err)), err);
    return n > 0;
  }

  HeldBytes held_;
};

}  // namespace

void HeldBytes::KeepBehind(size_t keep) {
  if (Pos <= keep) return;
  const size_t drop = Pos - keep;
  Bytes.erase(0, drop);
  Start += static_cast<int64_t>(drop);
  Pos -= drop;
}

int64_t HeldBytes::Take(void* dst, int64_t count) {
  const auto n = static_cast<size_t>(std::clamp<int64_t>(count, 0, Bytes.size() - Pos));
  std::memcpy(dst, Bytes.data() + Pos, n);
  Pos += n;
  return static_cast<int64_t>(n);
}

int64_t HeldBytes::Seek(int64_t offset, TSeekOrigin origin, const std::string& name) {
  const int64_t here = Start + static_cast<int64_t>(Pos);
  const int64_t target = origin == soBeginning ? offset : origin == soCurrent ? here + offset : -1;
  if (target < Start || target > Start + static_cast<int64_t>(Bytes.size()))
    throw EInOutError("Cannot seek in " + name + ": " + std::strerror(ESPIPE), ESPIPE);
  Pos = static_cast<size_t>(target - Start);
  return target;
}

void RunsWhenChosen(CLI::App* cmd, std::function<int()> action) {
  cmd->callback([action = std::move(action)] { Chosen() = action; });
}

const std::function<int()>& ChosenCommand() { return Chosen(); }

std::string JsonText(const nlohmann::json& j, int indent) {
  std::string out;
  Write(out, j, indent, 0);
  return out;
}

std::string JsonText(const nlohmann::ordered_json& j, int indent) {
  std::string out;
  Write(out, j, indent, 0);
  return out;
}

void WriteJsonLine(std::ostream& out, const nlohmann::json& j) { out << JsonText(j) << '\n'; }

void WriteJsonLine(std::ostream& out, const nlohmann::ordered_json& j) {
  out << JsonText(j) << '\n';
}

nlohmann::ordered_json JsonFixed(double v, int decimals) {
  if (!std::isfinite(v)) return nullptr;
  if (v == 0) v = 0;  // no "-0.000"
  char buf[400];
  const auto [ptr, ec] =
      std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, decimals);
  if (ec != std::errc()) return v;
  return nlohmann::ordered_json::binary(std::vector<std::uint8_t>(buf, ptr), kFixedNumber);
}

std::unique_ptr<TStream> OpenInput(const std::string& name) {
  if (name.empty() || name == "-") return std::make_unique<StdinStream>();
  return std::make_unique<TFileStream>(name, fmOpenRead | fmShareDenyWrite);
}

}  // namespace tkz::tool
