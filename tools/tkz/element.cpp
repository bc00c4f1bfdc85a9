// tkz element and tkz cas: the element table as JSON, X-ray lines in an
// energy range, and CAS registry numbers checked and formatted.
#include <CLI/CLI.hpp>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <iostream>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "chem/cdata.h"
#include "core/text/charcase.h"
#include "tools/tkz/commands.h"

namespace tkz::tool {

namespace {

using Json = nlohmann::ordered_json;

struct ElementOptions {
  std::string Value;  // a symbol or an atomic number
  bool All = false;
  std::vector<double> Lines;  // LOW HIGH in keV
};

struct CasOptions {
  std::vector<std::string> Texts;  // "-": lines of standard input
};

bool AllDigits(std::string_view s) {
  return !s.empty() && s.find_first_not_of("0123456789") == std::string_view::npos;
}

// A positive number, or null where the table has 0 for "none".
Json OrNull(double v) { return v > 0 ? Json(v) : Json(nullptr); }

Json ElementJson(int z) {
  Json j;
  j["z"] = z;
  j["symbol"] = CElemSymb(z);
  j["name"] = CElemName(z);
  j["nominal_mass"] = IntAtWeight(z);
  j["exact_mass"] = ExactAtWeight(z);
  j["chemical_weight"] = ChemAtWeight(z);
  j["outer_electrons"] = NumOuterElectrons(z);
  j["configuration"] = ShortElectronConfig(z);
  j["full_configuration"] = FullElectronConfig(z);
  // Stored in hundredths of an angstrom: two decimals are the whole value.
  const double radius = VDWRadius(z);
  j["vdw_radius"] = radius > 0 ? JsonFixed(radius, 2) : Json(nullptr);
  int col = 0, row = 0;
  PerSysCoord(z, col, row);
  j["periodic"] = {{"column", col}, {"row", row}};
  double k = 0, l = 0, m = 0;
  GetEDXLines(z, k, l, m);
  j["xray"] = {{"k_alpha", OrNull(k)}, {"l_alpha", OrNull(l)}, {"m_alpha", OrNull(m)}};
  return j;
}

// The atomic number that value names: a number 1..103, a symbol as written,
// or a symbol in another case when only one element has it. 0 with error
// set otherwise.
int FindElement(const std::string& value, std::string& error) {
  const bool sign = !value.empty() && (value[0] == '-' || value[0] == '+');
  if (AllDigits(std::string_view(value).substr(sign ? 1 : 0))) {
    int z = 0;
    const auto [ptr, ec] =
        std::from_chars(value.data() + (value[0] == '+'), value.data() + value.size(), z);
    if (ec == std::errc() && ptr == value.data() + value.size() && z >= 1 && z <= kMaxAtomicNumber)
      return z;
    error = "atomic number " + value + " is not in 1.." + std::to_string(kMaxAtomicNumber);
    return 0;
  }
  if (const int z = AtomicNumber(value); z > 0) return z;
  int found = 0, matches = 0;
  for (int z = 1; z <= kMaxAtomicNumber; ++z) {
    if (AnsiSameText(CElemSymb(z), value)) {
      found = z;
      ++matches;
    }
  }
  if (matches == 1) return found;
  error = "unknown element symbol \"" + value + "\"";
  return 0;
}

const char* LineName(int z, double energy) {
  double k = 0, l = 0, m = 0;
  GetEDXLines(z, k, l, m);
  return energy == k ? "K-alpha" : energy == l ? "L-alpha" : "M-alpha";
}

int RunElement(const ElementOptions& options, std::ostream& out, std::ostream& err) {
  if (options.All) {
    for (int z = 1; z <= kMaxAtomicNumber && out; ++z) WriteJsonLine(out, ElementJson(z));
    return out ? 0 : 1;
  }
  if (options.Lines.size() == 2) {
    TDoubleArray energies;
    TIntArray atoms;
    const int n = GetEDXLines(options.Lines[0], options.Lines[1], energies, atoms);
    for (size_t i = 0; i < static_cast<size_t>(n) && out; ++i) {
      Json j;
      j["energy"] = energies[i];
      j["z"] = atoms[i];
      j["symbol"] = CElemSymb(atoms[i]);
      j["line"] = LineName(atoms[i], energies[i]);
      WriteJsonLine(out, j);
    }
    return out ? 0 : 1;
  }
  std::string error;
  const int z = FindElement(options.Value, error);
  if (z == 0) {
    err << "tkz: element: " << error << "\n";
    return 1;
  }
  WriteJsonLine(out, ElementJson(z));
  return 0;
}

// One text: the hyphenated form (blanks around it allowed) or plain digits.
// Returns false for a text that is no CAS number or has a wrong check digit.
bool CasLine(const std::string& text, std::ostream& out) {
  Json j;
  j["input"] = text;
  int64_t number = -1;
  bool valid = ConvertStrToCASNr(text, number);
  if (number < 0) {
    const size_t first = text.find_first_not_of(' ');
    const std::string_view digits =
        first == std::string::npos
            ? std::string_view()
            : std::string_view(text).substr(first, text.find_last_not_of(' ') - first + 1);
    if (AllDigits(digits) && digits.size() <= 18) {
      std::from_chars(digits.data(), digits.data() + digits.size(), number);
      valid = CheckCASNr(number);
    }
  }
  if (number < 0) {
    j["error"] = "not a CAS number (digits-dd-d, at most 18 digits)";
    WriteJsonLine(out, j);
    return false;
  }
  j["cas"] = FormatCASNr(number);
  j["number"] = number;
  j["valid"] = valid;
  if (!valid) {
    int right = 0;
    while (right < 9 && !CheckCASNr(number / 10 * 10 + right)) ++right;
    j["error"] = number < 10 ? std::string("a number below 10 other than 0 has no check digit")
                             : "wrong check digit " + std::to_string(number % 10) + ", expected " +
                                   std::to_string(right);
  }
  WriteJsonLine(out, j);
  return valid;
}

int RunCas(const CasOptions& options, std::istream& in, std::ostream& out) {
  bool all_good = true;
  for (const std::string& text : options.Texts) {
    if (text != "-") {
      all_good &= CasLine(text, out);
      if (!out) return 1;
      continue;
    }
    for (std::string line; std::getline(in, line);) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      all_good &= CasLine(line, out);
      if (!out) return 1;  // stop at the first failed write
    }
  }
  return all_good ? 0 : 1;
}

}  // namespace

void AddElementCommands(CLI::App& app) {
  auto options = std::make_shared<ElementOptions>();
  CLI::App* cmd =
      app.add_subcommand("element", "An element's data, or X-ray lines in an energy range (JSON)");
  CLI::Option* value =
      cmd->add_option("ELEMENT", options->Value,
                      "Symbol (exact case first, then any case) or atomic number 1.." +
                          std::to_string(kMaxAtomicNumber));
  CLI::Option* all = cmd->add_flag("--all", options->All, "Every element, one JSON line each");
  CLI::Option* lines =
      cmd->add_option("--lines", options->Lines,
                      "The K-, L- and M-alpha lines from LOW to HIGH keV, by ascending energy")
          ->expected(2)
          ->type_name("LOW HIGH")
          ->check(CLI::Validator(
              [](std::string& s) {
                double v = 0;
                const auto [ptr, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
                if (ec != std::errc() || ptr != s.data() + s.size() || !std::isfinite(v))
                  return std::string("not a number of keV: " + s);
                return std::string();
              },
              "KEV"));
  value->excludes(all)->excludes(lines);
  all->excludes(lines);
  cmd->require_option(1);
  RunsWhenChosen(cmd, [options] { return RunElement(*options, std::cout, std::cerr); });

  auto cas = std::make_shared<CasOptions>();
  CLI::App* cas_cmd =
      app.add_subcommand("cas", "CAS registry numbers checked and formatted (JSON lines)");
  cas_cmd
      ->add_option("TEXT", cas->Texts,
                   "A CAS number (7732-18-5 or 7732185); \"-\" reads one a line from standard "
                   "input")
      ->required();
  cas_cmd->footer(
      "A text that is no CAS number or has a wrong check digit gets an \"error\" field;\n"
      "the others are still read, and the exit status is then 1.");
  RunsWhenChosen(cas_cmd, [cas] { return RunCas(*cas, std::cin, std::cout); });
}

}  // namespace tkz::tool
