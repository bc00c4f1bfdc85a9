#include "examples/molviewer/record_info.h"

#include <algorithm>
#include <cctype>

#include "chem/cdata.h"
#include "chem/cform.h"
#include "core/platform/stream.h"

namespace tkz::molviewer {

namespace {

// Takes the next line off Rest; a line ends at LF, CR LF or a lone CR.
// False when Rest is empty.
bool TakeLine(std::string_view& rest, std::string_view& line) {
  if (rest.empty()) return false;
  const size_t cut = std::min(rest.find_first_of("\r\n"), rest.size());
  line = rest.substr(0, cut);
  const bool crlf = rest.substr(cut, 2) == "\r\n";
  rest.remove_prefix(std::min(rest.size(), cut + (crlf ? 2 : 1)));
  return true;
}

std::vector<std::string_view> Lines(std::string_view text) {
  std::vector<std::string_view> lines;
  for (std::string_view line; TakeLine(text, line);) lines.push_back(line);
  return lines;
}

std::string_view Trimmed(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

bool ContainsCAS(std::string_view name) {
  std::string upper(name);
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return upper.find("CAS") != std::string::npos;
}

// A CAS number with a right check digit written as Text, else 0.
int64_t CheckedCAS(std::string_view text) {
  int64_t n = 0;
  return ConvertStrToCASNr(text, n) && n != 0 ? n : 0;
}

}  // namespace

std::vector<std::pair<std::string, std::string>> SDDataItems(std::string_view Record) {
  std::vector<std::pair<std::string, std::string>> items;
  const std::vector<std::string_view> lines = Lines(Record);
  size_t i = 0;
  while (i < lines.size() && lines[i].substr(0, 6) != "M  END") ++i;
  for (++i; i < lines.size(); ++i) {
    const std::string_view line = lines[i];
    if (line.empty() || line[0] != '>') continue;
    const size_t open = line.find('<');
    const size_t close = open == std::string_view::npos ? open : line.find('>', open + 1);
    if (close == std::string_view::npos) continue;
    std::string value;
    if (i + 1 < lines.size() && Trimmed(lines[i + 1]) != "$$$$") {
      value = std::string(Trimmed(lines[i + 1]));
      ++i;
    }
    items.emplace_back(std::string(line.substr(open + 1, close - open - 1)), std::move(value));
  }
  return items;
}

int64_t FindCASNumber(std::string_view Record, const TCTab& Table) {
  const auto items = SDDataItems(Record);
  for (const auto& [name, value] : items) {
    if (ContainsCAS(name)) {
      if (const int64_t n = CheckedCAS(value)) return n;
    }
  }
  if (Table.GetCASNumber() != 0 && CheckCASNr(Table.GetCASNumber())) return Table.GetCASNumber();
  if (const int64_t n = CheckedCAS(Table.GetStrucName())) return n;
  for (const auto& item : items) {
    if (const int64_t n = CheckedCAS(item.second)) return n;
  }
  return 0;
}

std::string FormulaText(const TCTab& Table) {
  TFormulaRec rec;
  if (!Table.CalcMolecularFormula(rec)) return "";
  std::string text;
  for (int i = 1; i <= rec.NumAtoms; ++i) {
    // Mode 1 writes the mass number; only isotopes other than the element's
    // own need it.
    const bool deuterium = rec.AtNum[i] == 1 && rec.AtWgt[i] == 2;
    const bool isotope =
        !deuterium && rec.AtWgt[i] != 0 && rec.AtWgt[i] != IntAtWeight(rec.AtNum[i]);
    text += TMolForm::ChemElem(rec.AtNum[i], rec.AtWgt[i], rec.AtCnt[i], isotope ? 1 : 0);
  }
  return text;
}

RecordInfo ReadRecordText(std::string_view Record, TCTab& Table) {
  RecordInfo info;
  // Blank up to its "$$$$" line.
  const bool blank = std::count(Record.begin(), Record.end(), '$') <= 4 &&
                     std::all_of(Record.begin(), Record.end(), [](char c) {
                       return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '$';
                     });
  if (blank) {
    Table.Clear();
    info.Why = "the record is blank";
    return info;
  }
  TStringStream in(Record);
  TPropRec props;
  info.Read = Table.ReadFromMDLSDStream(in, props) && Table.GetNAtoms() > 0;
  if (!info.Read) {
    // The reader may leave the table as it was, name and all: the name is
    // the record's first line.
    std::string_view rest = Record, first;
    TakeLine(rest, first);
    info.Name = std::string(Trimmed(first));
    info.Why = "not a structure of 1 to 63 atoms that can be read whole";
    Table.Clear();
    return info;
  }
  info.Name = Table.GetStrucName();
  info.Formula = FormulaText(Table);
  info.Weight = Table.CalcChemMolWeight();
  RingListType rings;
  info.Rings = Table.FindSSSR(rings);
  info.CAS = FindCASNumber(Record, Table);
  return info;
}

std::string GroupedNumber(int64_t n) {
  std::string digits = std::to_string(n < 0 ? -n : n);
  std::string out;
  for (size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) out += ' ';
    out += digits[i];
  }
  return n < 0 ? "-" + out : out;
}

}  // namespace tkz::molviewer
