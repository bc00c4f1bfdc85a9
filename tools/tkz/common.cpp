// What the commands of the tkz tool share: the registry of the chosen
// command, JSON output and input from a file or standard input.
#include <CLI/CLI.hpp>
#include <charconv>
#include <cmath>
#include <iostream>
#include <iterator>
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

}  // namespace

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
  if (name.empty() || name == "-") {
    std::string data((std::istreambuf_iterator<char>(std::cin)), std::istreambuf_iterator<char>());
    return std::make_unique<TStringStream>(data);
  }
  return std::make_unique<TFileStream>(name, fmOpenRead | fmShareDenyWrite);
}

}  // namespace tkz::tool
