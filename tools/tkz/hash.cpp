// tkz hash: checksums of files and standard input.
#include <CLI/CLI.hpp>
#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "core/dstruct/checksums.h"
#include "core/platform/stream.h"
#include "core/text/charcase.h"
#include "tools/tkz/commands.h"

namespace tkz::tool {

namespace {

std::string Hex(uint64_t v, int digits) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%0*llX", digits, static_cast<unsigned long long>(v));
  return buf;
}

std::string HashOf(const std::string& algorithm, TStream* in) {
  if (algorithm == "sha1") return AsciiUpperCase(SHA1DigestToHex(SHA1FromStream(in)));
  uint16_t crc16 = algorithm == "crc16-ccitt" ? 0xFFFF : 0x0000;
  uint32_t crc32 = 0xFFFFFFFFu;
  std::vector<uint8_t> buf(1 << 16);
  for (int64_t n; (n = in->Read(buf.data(), static_cast<int64_t>(buf.size()))) > 0;) {
    if (algorithm == "crc32")
      crc32 = CRC32Update(crc32, buf.data(), static_cast<size_t>(n));
    else
      crc16 = CRC16Update(crc16, buf.data(), static_cast<size_t>(n));
  }
  return algorithm == "crc32" ? Hex(~crc32, 8) : Hex(crc16, 4);
}

}  // namespace

int RunHash(const HashOptions& options, std::ostream& out) {
  int status = 0;
  for (const std::string& file : options.Files) {
    try {
      auto in = OpenInput(file);
      out << HashOf(options.Algorithm, in.get()) << "  " << file << "\n";
      if (!out) return 1;  // main reports the failed output
    } catch (const std::exception& e) {
      std::cerr << "tkz: " << e.what() << "\n";
      status = 1;
    }
  }
  return status;
}

void AddHashCommands(CLI::App& app) {
  auto options = std::make_shared<HashOptions>();
  CLI::App* cmd = app.add_subcommand("hash", "Checksums of files (\"-\" for standard input)");
  cmd->add_option("ALGORITHM", options->Algorithm, "crc16, crc16-ccitt, crc32 or sha1")
      ->required()
      ->check(CLI::IsMember({"crc16", "crc16-ccitt", "crc32", "sha1"}));
  cmd->add_option("FILE", options->Files, "Files to read")->required();
  RunsWhenChosen(cmd, [options] { return RunHash(*options, std::cout); });
}

}  // namespace tkz::tool
