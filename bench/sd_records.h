// The records of an SD file that read whole (at most 63 atoms), read once
// before a benchmark times anything. Each record is read from where the
// previous one ended: skipping blank lines first would eat the blank name
// line of a record (as RDKit writes unnamed molecules) and lose the record.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "chem/cstruct.h"
#include "core/platform/textfile.h"

inline std::vector<std::unique_ptr<tkz::TCTab>> ReadSDRecords(const std::string& path) {
  std::vector<std::unique_ptr<tkz::TCTab>> out;
  tkz::TTextFile f;
  f.AssignFile(path);
  f.Reset();
  tkz::TPropRec props;
  while (!f.Eof()) {
    auto t = std::make_unique<tkz::TCTab>();
    if (t->ReadFromMDLSDFile(f, props)) out.push_back(std::move(t));
  }
  f.CloseFile();
  return out;
}
