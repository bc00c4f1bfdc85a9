// tkz formula: molecular formulas read, written and weighed; the search of
// formulas by mass.
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <cctype>
#include <cmath>
#include <iostream>
#include <limits>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "chem/cdata.h"
#include "chem/cform.h"
#include "core/platform/codepage.h"
#include "tools/tkz/commands.h"
#include "tools/tkz/progress.h"

namespace tkz::tool {

namespace {

struct FormulaOptions {
  std::vector<std::string> Texts;  // "-" alone: one formula per input line
  double Find = std::numeric_limits<double>::quiet_NaN();
  double Tolerance = 0.05;
  std::vector<std::string> Range;  // LOW HIGH
  bool Nominal = false;
  bool Check = false;
  int64_t Max = 0;  // 0: every formula of the range
};

constexpr size_t kMaxLine = 1 << 16;

// The entries with a count, as ChemElem writes them (Mode 0 or 1), separated
// by blanks: AsString without its last blank and without the entries of
// count 0 that a search shows. Mode 1 writes a count of 1 before another
// entry, as AsString does, so that the text reads back as the same formula.
std::string Text(const TMolForm& f, int Mode) {
  std::vector<int> shown;  // the entries with a count
  for (int i = 1; i <= f.GetNumAtoms(); ++i) {
    if (f.GetAtCnt(i) > 0) shown.push_back(i);
  }
  std::string s;
  for (size_t k = 0; k < shown.size(); ++k) {
    const int i = shown[k];
    if (k > 0) s += ' ';
    s += TMolForm::ChemElem(f.GetAtNum(i), f.GetAtWgt(i), f.GetAtCnt(i), Mode);
    if (Mode == 1 && f.GetAtCnt(i) == 1 && k + 1 < shown.size()) s += '1';
  }
  return s;
}

// The formula of text as one JSON object; error set when the text is not a
// whole formula.
nlohmann::ordered_json Describe(TMolForm& f, const std::string& text, std::string& error) {
  nlohmann::ordered_json j;
  j["input"] = AnsiToUtf8(text);
  f.SetMolFormula(text);
  error.clear();
  if (f.ScanStopPos() <= static_cast<int>(text.size())) {
    const size_t at = static_cast<size_t>(f.ScanStopPos()) - 1;
    error = "not a formula from position " + std::to_string(at + 1) + ": \"" +
            AnsiToUtf8(text.substr(at, 20)) + "\"";
    if (f.GetNumAtoms() == kMaxFormulaEntries) error += " (a formula holds at most 20 parts)";
  } else if (f.GetNumAtoms() == 0) {
    error = "no formula in \"" + AnsiToUtf8(text) + "\"";
  }
  if (!error.empty()) {
    j["error"] = error;
    return j;
  }
  j["formula"] = Text(f, 0);
  j["isotopes"] = Text(f, 1);
  nlohmann::ordered_json entries = nlohmann::ordered_json::array();
  for (int i = 1; i <= f.GetNumAtoms(); ++i) {
    entries.push_back({{"z", f.GetAtNum(i)},
                       {"symbol", CElemSymb(f.GetAtNum(i))},
                       {"mass_number", f.GetAtWgt(i)},
                       {"count", f.GetAtCnt(i)}});
  }
  j["entries"] = entries;
  j["nominal_mass"] = f.NominalMolWgt();
  j["average_weight"] = JsonFixed(f.ChemMolWgt(), 4);
  j["exact_mass"] = JsonFixed(f.ExactMolWgt(), 6);
  return j;
}

int RunDescribe(const FormulaOptions& options, std::istream& in, std::ostream& out) {
  TMolForm f;
  f.SetVisible(false);
  int status = 0;
  std::string error;
  const auto one = [&](const std::string& text) {
    const auto j = Describe(f, text, error);
    if (!error.empty()) status = 1;
    WriteJsonLine(out, j);
  };
  if (options.Texts.size() == 1 && options.Texts[0] == "-") {
    std::string line;
    while (std::getline(in, line)) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      if (line.size() > kMaxLine) {
        WriteJsonLine(out,
                      nlohmann::ordered_json{
                          {"error", "line longer than " + std::to_string(kMaxLine) + " bytes"}});
        status = 1;
      } else {
        one(line);
      }
      if (!out) return 1;
    }
  } else {
    for (const std::string& arg : options.Texts) {
      std::string text;
      if (!ArgumentToAnsi(arg, text, error)) throw std::runtime_error("formula: " + error);
      one(text);
    }
  }
  out.flush();
  return out ? status : 1;
}

// A bound of the search range: parts as a formula reads them, without
// parentheses, where a written count of 0 stays 0 (a formula would read it as
// 1). Raises naming the bound.
TFormulaRec ReadBound(const std::string& arg, const char* which) {
  std::string text, error;
  if (!ArgumentToAnsi(arg, text, error)) throw std::runtime_error("formula --range: " + error);
  TMolForm f;
  f.SetVisible(false);
  TFormulaRec rec;
  int pos = 1;
  for (;;) {
    const int start = pos;
    int count = 0, mass = 0, z = 0;
    if (!f.ScanNextFormPart(text, pos, count, mass, z)) {
      const size_t rest = text.find_first_not_of(" ,.", static_cast<size_t>(start) - 1);
      if (rest == std::string::npos && rec.NumAtoms > 0) return rec;
      throw std::runtime_error("formula --range: " + std::string(which) + ": not a formula" +
                               (rest == std::string::npos
                                    ? std::string()
                                    : " from position " + std::to_string(rest + 1) + ": \"" +
                                          AnsiToUtf8(text.substr(rest, 20)) + "\""));
    }
    if (rec.NumAtoms == kMaxFormulaEntries) {
      throw std::runtime_error("formula --range: " + std::string(which) + ": more than 20 parts");
    }
    // The digits that end the part are its count.
    size_t end = static_cast<size_t>(pos) - 1;
    while (end > 0 && (text[end - 1] == ' ' || text[end - 1] == ',' || text[end - 1] == '.')) --end;
    size_t digits = end;
    while (digits > 0 && std::isdigit(static_cast<unsigned char>(text[digits - 1]))) --digits;
    const bool zero = digits < end && digits > 0 &&
                      std::isalpha(static_cast<unsigned char>(text[digits - 1])) &&
                      text.find_first_not_of('0', digits) >= end;
    const int i = ++rec.NumAtoms;
    rec.AtNum[i] = static_cast<uint8_t>(z);
    rec.AtWgt[i] = mass;
    rec.AtCnt[i] = zero ? 0 : count;
  }
}

int RunFind(const FormulaOptions& options, std::ostream& out, std::ostream& err) {
  if (!std::isfinite(options.Find) || !std::isfinite(options.Tolerance) || options.Tolerance < 0) {
    throw std::runtime_error(
        "formula --find: the mass and --tol must be finite, --tol not negative");
  }
  const TFormulaRec lower = ReadBound(options.Range[0], "LOW");
  const TFormulaRec upper = ReadBound(options.Range[1], "HIGH");
  // The lower bound gives the least count of each element of the upper one,
  // in the same order (elements it leaves out may fall to 0).
  if (lower.NumAtoms > upper.NumAtoms) {
    throw std::runtime_error("formula --range: LOW has more parts than HIGH");
  }
  for (int i = 1; i <= lower.NumAtoms; ++i) {
    if (lower.AtNum[i] != upper.AtNum[i] || lower.AtWgt[i] != upper.AtWgt[i]) {
      throw std::runtime_error("formula --range: part " + std::to_string(i) +
                               " of LOW is not the element of HIGH's part " + std::to_string(i));
    }
    if (lower.AtCnt[i] > upper.AtCnt[i]) {
      throw std::runtime_error("formula --range: LOW's count of " + CElemSymb(upper.AtNum[i]) +
                               " is above HIGH's");
    }
  }
  TMolForm f;
  f.SetVisible(false);
  f.InitFindFormula(options.Find, options.Tolerance, lower, upper);
  ProgressBar bar(err, isatty(STDERR_FILENO) == 1);
  constexpr int64_t kScale = 1 << 20;  // progress in parts of the range
  const double total = f.SearchCandidatesTotal();
  int64_t found = 0;
  while ((options.Max == 0 || found < options.Max) &&
         f.FindFormulaIntern(options.Nominal, options.Check)) {
    ++found;
    nlohmann::ordered_json j;
    j["formula"] = Text(f, 0);
    j["nominal_mass"] = f.NominalMolWgt();
    j["exact_mass"] = JsonFixed(f.ExactMolWgt(), 6);
    j["difference"] = JsonFixed(f.ExactMolWgt() - options.Find, 6);
    WriteJsonLine(out, j);
    if (!out) return 1;
    bar.Show(static_cast<int64_t>(f.SearchCandidatesDone() / total * kScale), kScale,
             std::to_string(found) + " found", 0);
  }
  out.flush();
  return out ? 0 : 1;
}

}  // namespace

void AddFormulaCommands(CLI::App& app) {
  auto options = std::make_shared<FormulaOptions>();
  CLI::App* cmd = app.add_subcommand(
      "formula", "Molecular formulas: entries, text forms and weights; formulas of a mass (JSON)");
  cmd->add_option("TEXT", options->Texts,
                  "Formulas such as C6H12O6, \"Na Cl\", 13C O2, \"(C H3)2 C O\"; - reads one per "
                  "line from standard input");
  auto* find = cmd->add_option("--find", options->Find,
                               "List the formulas of the --range whose mass is MASS (u)");
  cmd->add_option("--tol", options->Tolerance, "Tolerance of the exact mass (u), default 0.05")
      ->needs(find);
  cmd->add_option("--range", options->Range, "The least and the most counts, as two formulas")
      ->expected(2)
      ->needs(find);
  cmd->add_flag("--nominal", options->Nominal, "Compare nominal (integer) masses")->needs(find);
  cmd->add_flag("--check", options->Check, "Only formulas with N + 2C + 2 >= H + F + Cl + Br + I")
      ->needs(find);
  cmd->add_option("--max", options->Max, "Stop after this many formulas")
      ->check(CLI::NonNegativeNumber)
      ->needs(find);
  find->needs(cmd->get_option("--range"));
  find->excludes(cmd->get_option("TEXT"));
  cmd->footer(
      "Symbols are read without regard to case and letters run together into one symbol:\n"
      "write a blank between elements without a count (\"Na Cl\", not NaCl; CO is cobalt).\n"
      "A number before a symbol is its mass number (13C); D is deuterium.\n"
      "average_weight uses the library's historical chemical weights; exact_mass the\n"
      "masses of the most common isotopes, isotope marks ignored; nominal_mass honours them.\n"
      "--find: tkz formula --find 78.047 --tol 0.01 --range \"C0 H0\" \"C10 H22\"");
  RunsWhenChosen(cmd, [options] {
    if (!std::isnan(options->Find)) return RunFind(*options, std::cout, std::cerr);
    if (options->Texts.empty()) {
      std::cerr << "tkz formula: TEXT or --find is required (see \"tkz formula --help\")\n";
      return 2;
    }
    return RunDescribe(*options, std::cin, std::cout);
  });
}

}  // namespace tkz::tool
