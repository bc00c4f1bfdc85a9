// Debian's rdkit-data SD files that the tests read as real data, and a
// whole-file reader for them.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace tkz::testing {

inline const std::vector<std::string>& RealSDFiles() {
  static const std::vector<std::string> files = {
      "/usr/share/RDKit/Data/NCI/first_200.props.sdf",
      "/usr/share/RDKit/Projects/DbCLI/testData/pubchem.200.sdf",
      "/usr/share/RDKit/Contrib/PBF/testData/egfr.sdf",
      "/usr/share/RDKit/Contrib/Fastcluster/testdata/cdk2.sdf",
  };
  return files;
}

inline bool HaveRealData() {
  for (const std::string& f : RealSDFiles()) {
    if (access(f.c_str(), R_OK) != 0) return false;
  }
  return true;
}

#define TKZ_NEED_RDKIT_SD_FILES() \
  if (!::tkz::testing::HaveRealData()) GTEST_SKIP() << "rdkit-data is not installed"

inline std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace tkz::testing
