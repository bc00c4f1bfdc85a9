// The tour's section on the processor: identification, feature flags, the
// division-defect test and the clock speed.
#include <iomanip>
#include <nlohmann/json.hpp>
#include <ostream>
#include <sstream>
#include <string>

#include "core/sys/cpuid.h"
#include "tools/tkz/commands.h"

namespace tkz::tool {

nlohmann::json DemoProcessor(std::ostream& out) {
  DemoHeading(out, "Processor");
  nlohmann::json j;
  try {
    j = ProcessorReport(200);
  } catch (const ETKZCpuIdError& e) {
    out << "  " << e.what() << "\n";
    return {{"error", e.what()}};
  }
  j["fdiv_bug"] = CPU_FDIVBugPresent();
  auto line = [&out](const char* what, const std::string& text) {
    out << "  " << std::left << std::setw(24) << what << text << "\n";
  };
  line("Vendor", j["vendor"].get<std::string>());
  line("Brand", j["brand"].get<std::string>());
  line("Signature", j["signature"].get<std::string>() + " (family " +
                        std::to_string(j["family"].get<int>()) + ", model " +
                        std::to_string(j["model"].get<int>()) + ", stepping " +
                        std::to_string(j["stepping"].get<int>()) + ", extended family " +
                        std::to_string(j["ex_family"].get<int>()) + ", extended model " +
                        std::to_string(j["ex_model"].get<int>()) + ")");
  line("Processors", std::to_string(j["processors"].get<int>()));
  line("Feature bits set", std::to_string(j["features"].size()) + " of 32");
  for (const auto& name : j["features"]) out << "    " << name.get<std::string>() << "\n";
  line("FDIV defect", j["fdiv_bug"].get<bool>() ? "present" : "absent");
  std::ostringstream mhz;
  mhz << std::fixed << std::setprecision(0) << j["speed_mhz"].get<double>() << " MHz (200 ms)";
  line("Clock speed", mhz.str());
  return j;
}

}  // namespace tkz::tool
