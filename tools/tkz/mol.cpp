// tkz mol: structures of molfiles, SD files and the clear-text CONTAB and
// CTABG files: what each record holds, and conversion between the formats.
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "chem/cdata.h"
#include "chem/cform.h"
#include "chem/cstruct.h"
#include "core/platform/codepage.h"
#include "core/platform/stream.h"
#include "core/platform/textfile.h"
#include "tools/tkz/commands.h"
#include "tools/tkz/mol_render.h"
#include "tools/tkz/progress.h"

namespace tkz::tool {

namespace {

enum class MolFormat { Sdf, Contab, Ctabg };

struct MolOptions {
  std::vector<std::string> Files;  // info
  std::string In, Out, To;         // convert
  std::string Format;              // "", "sdf", "contab", "ctabg"
  bool Rings = false;              // info --rings
};

MolFormat ParseFormat(const std::string& name) {
  if (name == "contab") return MolFormat::Contab;
  if (name == "ctabg") return MolFormat::Ctabg;
  return MolFormat::Sdf;
}

// The format of a file by its content: a "/CONTAB" or "/CTABG" keyword in its
// first 64 KiB makes it clear text, anything else is MDL (a molfile is an SD
// file of one record). Standard input is MDL unless --format says otherwise.
MolFormat Sniff(const std::string& file, const std::string& forced) {
  if (!forced.empty()) return ParseFormat(forced);
  if (file == "-") return MolFormat::Sdf;
  std::ifstream in(file, std::ios::binary);
  std::string head(1 << 16, '\0');
  in.read(head.data(), static_cast<std::streamsize>(head.size()));
  head.resize(static_cast<size_t>(in.gcount()));
  if (head.find("/CTABG") != std::string::npos) return MolFormat::Ctabg;
  if (head.find("/CONTAB") != std::string::npos) return MolFormat::Contab;
  return MolFormat::Sdf;
}

// Opens a file (or standard input for "-") for reading.
void OpenText(TTextFile& f, const std::string& file) {
  f.AssignFile(file == "-" ? "/dev/stdin" : file);
  f.Reset();
}

// Reads the next record into t; false at the end of the input (nothing left
// but blanks and line ends). Ok tells whether the record was read whole.
bool NextRecord(TTextFile& f, MolFormat format, TCTab& t, TPropRec& props, bool& ok) {
  if (f.AtEndOfText()) return false;
  switch (format) {
    case MolFormat::Sdf:
      ok = t.ReadFromMDLSDFile(f, props);
      return true;
    case MolFormat::Contab:
      ok = t.ReadFromClearTextFile(f);
      return ok || !f.Eof();
    case MolFormat::Ctabg:
      ok = t.ReadFromClearTextFileCTABG(f);
      return ok || !f.Eof();
  }
  return false;
}

int BondCount(const TCTab& t) {
  int k = 0;
  for (int a = 1; a <= t.GetNAtoms(); ++a) k += t.GetNBonds(a);
  return k / 2;
}

// The record as one JSON object.
nlohmann::ordered_json Describe(const TCTab& t, int record) {
  nlohmann::ordered_json j;
  j["record"] = record;
  j["name"] = AnsiToUtf8(t.GetStrucName());
  j["atoms"] = t.GetNAtoms();
  j["bonds"] = BondCount(t);
  TFormulaRec rec;
  if (t.CalcMolecularFormula(rec)) {
    // The weights from the formula: its hydrogen entry holds the implicit
    // hydrogens, so this is CalcChemMolWeight without counting them again.
    std::string text;
    double exact = 0, average = 0;  // as TMolForm weighs a formula
    for (int i = 1; i <= rec.NumAtoms; ++i) {
      text += TMolForm::ChemElem(rec.AtNum[i], rec.AtWgt[i], rec.AtCnt[i], 0);
      exact += ExactAtWeight(rec.AtNum[i]) * rec.AtCnt[i];
      average += ChemAtWeight(rec.AtNum[i]) * rec.AtCnt[i];
    }
    j["formula"] = text;
    j["mw"] = JsonFixed(average, 4);
    j["exact"] = JsonFixed(exact, 6);
  } else {
    j["formula"] = nullptr;  // more than 20 kinds of atom
    j["mw"] = JsonFixed(t.CalcChemMolWeight(), 4);
    j["exact"] = nullptr;
  }
  j["cas"] = t.GetCASNumber() != 0 ? nlohmann::ordered_json(t.GetCASNr()) : nullptr;
  return j;
}

// The ring set's sizes (ascending) and each atom's attribute bits.
void AddRings(TCTab& t, nlohmann::ordered_json& j) {
  RingListType rings;
  t.FindSSSR(rings);
  std::vector<int> sizes;
  for (int i = 1; i <= rings.Count; ++i) sizes.push_back(rings.Rings[i].Size);
  std::sort(sizes.begin(), sizes.end());
  j["sssr"] = sizes;
  t.CalcAttributes();
  std::vector<int> attributes;
  for (int a = 1; a <= t.GetNAtoms(); ++a) attributes.push_back(t.GetAttrib(a));
  j["attributes"] = attributes;
}

// The fragment code and text of every atom and the functional-group counts.
nlohmann::ordered_json Fragments(const TCTab& t, int record) {
  nlohmann::ordered_json j;
  j["record"] = record;
  j["name"] = AnsiToUtf8(t.GetStrucName());
  nlohmann::ordered_json atoms = nlohmann::ordered_json::array();
  for (int a = 1; a <= t.GetNAtoms(); ++a) {
    int second = 0;
    const int32_t code = t.FragmentCode(a, second);
    atoms.push_back({{"code", code}, {"text", FragmentStr(code)}});
  }
  j["atoms"] = atoms;
  nlohmann::ordered_json groups = nlohmann::ordered_json::object();
  for (int k = 0; k <= NNH2; ++k)
    groups[FrgTypeName(static_cast<FrgType>(k))] = t.FragmentCount(static_cast<FrgType>(k));
  j["groups"] = groups;
  return j;
}

// Runs Describe (one JSON line per record) over the records of every file.
template <typename Describe>
int RunInfo(const MolOptions& options, std::ostream& out, Describe describe) {
  int status = 0;
  for (const std::string& file : options.Files) {
    const MolFormat format = Sniff(file, options.Format);
    TTextFile f;
    OpenText(f, file);
    TCTab t;
    TPropRec props;
    bool ok = false;
    int record = 0;
    while (NextRecord(f, format, t, props, ok)) {
      ++record;
      nlohmann::ordered_json j;
      if (ok) {
        j = describe(t, record);
      } else {
        j["record"] = record;
        if (options.Files.size() > 1) j["file"] = file;
        j["error"] = "not a structure of 1 to 63 atoms that can be read whole";
        status = 1;
      }
      if (options.Files.size() > 1 && ok) j["file"] = file;
      WriteJsonLine(out, j);
      if (!out) return 1;
    }
    f.CloseFile();
  }
  out.flush();
  return out ? status : 1;
}

// Writes one record in the chosen format.
void WriteRecord(const TCTab& t, const TPropRec& props, const std::string& to, TTextFile& f) {
  if (to == "contab") {
    t.WriteToClearTextFile(f);
  } else if (to == "ctabg") {
    t.WriteToClearTextFileCTABG(f);
  } else if (to == "sdf") {
    t.WriteToMDLSDFile(f, props);
  } else {
    t.WriteToMDLMolFile(f, t.GetStrucName(), "tkz", 0, "");
  }
}

int RunConvert(const MolOptions& options, std::ostream& out, std::ostream& err) {
  const MolFormat format = Sniff(options.In, options.Format);
  TTextFile in;
  OpenText(in, options.In);
  // Written to a temporary file first, then put in place whole (or copied to
  // standard output), so that a failed conversion leaves no half file.
  char temp_name[] = "/tmp/tkz-mol-XXXXXX";
  const int fd = mkstemp(temp_name);
  if (fd < 0)
    throw std::runtime_error(std::string("mol convert: temporary file: ") + std::strerror(errno));
  close(fd);
  struct Remove {
    const char* name;
    ~Remove() { std::remove(name); }
  } remove_temp{temp_name};
  TTextFile tmp;
  tmp.AssignFile(temp_name);
  tmp.Rewrite();
  TCTab t;
  TPropRec props;
  bool ok = false;
  int record = 0, written = 0, status = 0;
  while (NextRecord(in, format, t, props, ok)) {
    ++record;
    if (!ok) {
      err << "tkz: mol convert: " << options.In << ": record " << record
          << " cannot be read whole; left out\n";
      status = 1;
      continue;
    }
    if (options.To == "mol" && written == 1) {
      throw std::runtime_error("mol convert: " + options.In +
                               " holds more than one record; a molfile holds one (use --to sdf)");
    }
    WriteRecord(t, props, options.To, tmp);
    ++written;
  }
  tmp.CloseFile();
  in.CloseFile();
  if (written == 0) throw std::runtime_error("mol convert: " + options.In + ": no structure read");
  TMemoryStream whole;
  whole.LoadFromFile(temp_name);
  if (options.Out == "-") {
    out.write(static_cast<const char*>(whole.Memory()),
              static_cast<std::streamsize>(whole.GetSize()));
    out.flush();
    return out ? status : 1;
  }
  try {
    whole.SaveToFile(options.Out);
  } catch (const EInOutError& e) {
    err << "tkz: write error: " << options.Out << ": "
        << (e.ErrorCode != 0 ? std::strerror(e.ErrorCode) : e.what()) << "\n";
    return 1;
  }
  return status;
}

}  // namespace

CLI::App* MolGroup(CLI::App& app) {
  for (CLI::App* g : app.get_subcommands([](const CLI::App* a) { return a->get_name() == "mol"; }))
    return g;
  CLI::App* mol =
      app.add_subcommand("mol", "Molfiles, SD files, CONTAB and CTABG: records and conversion");
  mol->require_subcommand(1);
  return mol;
}

void AddMolCommands(CLI::App& app) {
  CLI::App* mol = MolGroup(app);
  const char* format_help = "The input's format (default: by content; standard input sdf)";
  {
    auto options = std::make_shared<MolOptions>();
    CLI::App* cmd = mol->add_subcommand(
        "info", "One JSON line per record: name, atoms, bonds, formula, weights, CAS number");
    cmd->add_option("FILE", options->Files,
                    "Molfiles, SD, CONTAB or CTABG files (- standard input)")
        ->required();
    cmd->add_option("--format", options->Format, format_help)
        ->check(CLI::IsMember({"sdf", "contab", "ctabg"}));
    cmd->add_flag("--rings", options->Rings,
                  "Add the ring set's sizes (\"sssr\") and each atom's ring attribute bits");
    RunsWhenChosen(cmd, [options] {
      return RunInfo(*options, std::cout, [&](TCTab& t, int record) {
        nlohmann::ordered_json j = Describe(t, record);
        if (options->Rings) AddRings(t, j);
        return j;
      });
    });
  }
  {
    auto options = std::make_shared<MolOptions>();
    CLI::App* cmd = mol->add_subcommand(
        "fragments",
        "One JSON line per record: each atom's fragment code and text, the functional groups");
    cmd->add_option("FILE", options->Files,
                    "Molfiles, SD, CONTAB or CTABG files (- standard input)")
        ->required();
    cmd->add_option("--format", options->Format, format_help)
        ->check(CLI::IsMember({"sdf", "contab", "ctabg"}));
    RunsWhenChosen(cmd, [options] { return RunInfo(*options, std::cout, Fragments); });
  }
  {
    auto options = std::make_shared<MolOptions>();
    CLI::App* cmd = mol->add_subcommand("convert", "Converts the records of IN to OUT's format");
    cmd->add_option("IN", options->In, "Molfile, SD, CONTAB or CTABG file (- standard input)")
        ->required();
    cmd->add_option("OUT", options->Out, "The file to write (- standard output)")->required();
    cmd->add_option("--to", options->To, "mol (one record), sdf, contab or ctabg")
        ->required()
        ->check(CLI::IsMember({"mol", "sdf", "contab", "ctabg"}));
    cmd->add_option("--format", options->Format, format_help)
        ->check(CLI::IsMember({"sdf", "contab", "ctabg"}));
    RunsWhenChosen(cmd, [options] { return RunConvert(*options, std::cout, std::cerr); });
  }
  AddMolRenderCommands(app);
}

}  // namespace tkz::tool
