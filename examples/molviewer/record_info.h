// record_info: one SD record read into a table, with what the viewer tells
// about it: name, formula, weight, rings and a CAS number whose check
// digit is right.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "chem/cstruct.h"

namespace tkz::molviewer {

// The data items of an SD record as text: each "> ... <NAME> ..." header
// and the first line of its value (trimmed). Only the part after "M  END"
// is looked at.
std::vector<std::pair<std::string, std::string>> SDDataItems(std::string_view Record);

// The record's CAS registry number, 0 when it has none with a right check
// digit. Looked for in order: data items whose name contains "CAS" (in any
// case), the number the reader took into the table, the structure's name,
// then any data value written as a CAS number.
int64_t FindCASNumber(std::string_view Record, const TCTab& Table);

struct RecordInfo {
  bool Read = false;  // the structure was read
  std::string Why;    // why not
  std::string Name;
  std::string Formula;  // "C9H8O4"; "" when it has too many kinds of atom
  double Weight = 0;    // average molecular weight
  int Rings = 0;        // rings of the smallest set of smallest rings
  int64_t CAS = 0;      // 0: none
};

// Reads Record (one SD record's text) into Table and describes it.
RecordInfo ReadRecordText(std::string_view Record, TCTab& Table);

// The formula's text as the viewer shows it ("C9H8O4"; isotopes with their
// mass number).
std::string FormulaText(const TCTab& Table);

// 100000 as "100 000".
std::string GroupedNumber(int64_t n);

}  // namespace tkz::molviewer
