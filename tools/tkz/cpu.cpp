// tkz cpu: what the processor says about itself, as one JSON object.
#include <CLI/CLI.hpp>
#include <cmath>
#include <cstdio>
#include <iostream>
#include <nlohmann/json.hpp>
#include <string>

#include "core/platform/codepage.h"
#include "core/sys/cpuid.h"
#include "tools/tkz/commands.h"

namespace tkz::tool {

nlohmann::json ProcessorReport(int ms) {
  const uint32_t signature = CPU_Signature();
  char hex[16];
  std::snprintf(hex, sizeof hex, "0x%08X", signature);
  nlohmann::json j;
  j["vendor"] = AnsiToUtf8(CPU_VendorString());
  j["signature"] = hex;
  j["family"] = FamilyOfSignature(signature);
  j["model"] = ModelOfSignature(signature);
  j["stepping"] = SteppingOfSignature(signature);
  j["ex_family"] = ExFamilyOfSignature(signature);
  j["ex_model"] = ExModelOfSignature(signature);
  j["brand"] = AnsiToUtf8(CPU_MarketName());
  j["features"] = FeatureNamesOfSet(CPU_FeatureSet());
  j["processors"] = CPU_Count();
  // One decimal: the measurement is not finer than that.
  j["speed_mhz"] = std::round(CPU_Speed(ms) * 10.0) / 10.0;
  return j;
}

int RunCpu(const CpuOptions& options, std::ostream& out) {
  const nlohmann::json report = ProcessorReport(options.Milliseconds);
  if (options.Pretty)
    out << JsonText(report, 2) << '\n';
  else
    WriteJsonLine(out, report);
  return 0;
}

void AddCpuCommands(CLI::App& app) {
  auto options = std::make_shared<CpuOptions>();
  CLI::App* cmd = app.add_subcommand("cpu", "Processor identification and clock speed (JSON)");
  cmd->add_option("--ms", options->Milliseconds, "Milliseconds over which the speed is measured")
      ->check(CLI::Range(1, 10000))
      ->default_val(500);
  cmd->add_flag("--pretty", options->Pretty, "Indented JSON over several lines");
  RunsWhenChosen(cmd, [options] { return RunCpu(*options, std::cout); });
}

}  // namespace tkz::tool
