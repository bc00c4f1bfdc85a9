// The tour of the libraries shown by "tkz demo".
#include <filesystem>
#include <fstream>
#include <iomanip>
#include <nlohmann/json.hpp>

#include "core/types/tkzbase.h"
#include "core/types/univconst.h"
#include "core/types/version.h"
#include "tools/tkz/commands.h"

namespace tkz::tool {

namespace {

void Heading(std::ostream& out, const std::string& title) { out << "\n== " << title << " ==\n"; }

nlohmann::json DemoConstants(std::ostream& out) {
  Heading(out, "Constants");
  nlohmann::json j;
  out << std::setprecision(19);
  out << "  e            = " << uc_e << "\n";
  out << "  pi/2         = " << uc_PiH << "\n";
  out << "  golden ratio = " << uc_GoldenR << "\n";
  out << "  ln(1000!)    = " << std::setprecision(15) << uc_LnFactorial[1000] << "\n";
  j["e"] = static_cast<double>(uc_e);
  j["pi_half"] = static_cast<double>(uc_PiH);
  j["golden_ratio"] = static_cast<double>(uc_GoldenR);
  j["ln_1000_factorial"] = uc_LnFactorial[1000];
  return j;
}

}  // namespace

int RunDemo(const DemoOptions& options, std::ostream& out) {
  out << "TKZ " << TKZ_VERSION_STRING << " - a tour of the libraries\n";
  nlohmann::json report;
  report["version"] = TKZ_VERSION_STRING;
  report["constants"] = DemoConstants(out);

  std::filesystem::create_directories(options.OutDir);
  const auto path = std::filesystem::path(options.OutDir) / "demo.json";
  std::ofstream f(path);
  f << report.dump(2) << "\n";
  if (!f) throw ETKZError("cannot write " + path.string());
  out << "\nSummary written to " << path.string() << "\n";
  return 0;
}

}  // namespace tkz::tool
