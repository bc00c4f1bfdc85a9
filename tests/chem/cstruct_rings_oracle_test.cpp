// RDKit as the oracle of the ring perception, over the real records of
// rdkit-data and an SD file that RDKit writes from the NCI SMILES: the ring
// count equals RDKit's SSSR count for every record we read, and the sizes of
// our ring set are compared with RDKit's symmetrised SSSR. Skips without
// /usr/bin/python3 and RDKit.

#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "chem/cstruct.h"
#include "core/platform/textfile.h"

namespace tkz {
namespace {

namespace fs = std::filesystem;

const char* const kPython = "/usr/bin/python3";
const fs::path kRDKitData = "/usr/share/RDKit";
const fs::path kTests = fs::path(TKZ_SOURCE_DIR) / "tests/chem";

const char* const kRealFiles[] = {
    "Data/NCI/first_200.props.sdf",    "Projects/DbCLI/testData/pubchem.200.sdf",
    "Contrib/PBF/testData/egfr.sdf",   "Contrib/Fastcluster/testdata/cdk2.sdf",
    "Projects/DbCLI/testData/bzr.sdf",
};

bool HaveRDKit() {
  const std::string cmd = std::string(kPython) + " -c 'import rdkit' >/dev/null 2>&1";
  return fs::exists(kPython) && std::system(cmd.c_str()) == 0;
}

std::vector<std::string> OutputLines(const std::string& cmd) {
  std::vector<std::string> lines;
  FILE* p = ::popen(cmd.c_str(), "r");
  if (p == nullptr) return lines;
  std::string text;
  char buf[4096];
  for (size_t got; (got = std::fread(buf, 1, sizeof buf, p)) > 0;) text.append(buf, got);
  EXPECT_EQ(::pclose(p), 0) << cmd;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// RDKit's view of one record: atoms, SSSR count, symmetrised ring sizes.
struct RDRings {
  bool read = false;
  int atoms = 0, sssr = 0;
  std::vector<int> symm;
};

std::vector<RDRings> RDKitRings(const fs::path& sdf) {
  std::vector<RDRings> out;
  const std::string cmd =
      std::string(kPython) + " " + (kTests / "rdkit_rings.py").string() + " '" + sdf.string() + "'";
  for (const auto& line : OutputLines(cmd)) {
    RDRings r;
    if (line != "none") {
      r.read = true;
      std::istringstream in(line);
      std::string bar;
      in >> r.atoms >> r.sssr >> bar;
      for (int s; in >> s;) r.symm.push_back(s);
    }
    out.push_back(std::move(r));
  }
  return out;
}

class RingOracle : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!HaveRDKit()) GTEST_SKIP() << "no RDKit for " << kPython;
    if (!fs::exists(kRDKitData / kRealFiles[0])) GTEST_SKIP() << "no rdkit-data";
  }

  // RDKit's SD file of the NCI SMILES, made once (shared with the MDL
  // oracle test, which writes the same file).
  static fs::path NCIFile() {
    const fs::path work = fs::temp_directory_path() / "tkz-chem-oracle";
    fs::create_directories(work);
    const fs::path target = work / "nci_first_5K_2d.sdf";
    if (!fs::exists(target) || fs::file_size(target) == 0) {
      const fs::path part = work / ("nci_first_5K_2d.rings.part" + std::to_string(getpid()));
      OutputLines(std::string(kPython) + " " + (kTests / "rdkit_mdl.py").string() + " gen '" +
                  (kRDKitData / "Data/NCI/first_5K.smi").string() + "' '" + part.string() + "'");
      fs::rename(part, target);
    }
    return target;
  }
};

TEST_F(RingOracle, RingCountsAndRingSizesAgreeWithRDKit) {
  std::vector<fs::path> files;
  for (const char* f : kRealFiles) files.push_back(kRDKitData / f);
  files.push_back(NCIFile());
  int compared = 0, same = 0, more = 0, fewer = 0, other = 0, coinciding = 0;
  std::map<std::string, int> examples;
  for (const auto& file : files) {
    const auto rd = RDKitRings(file);
    TTextFile f;
    f.AssignFile(file.string());
    f.Reset();
    for (size_t k = 0; !f.Eof(); ++k) {
      auto t = std::make_unique<TCTab>();
      TPropRec props;
      const bool ok = t->ReadFromMDLSDFile(f, props);
      ASSERT_LT(k, rd.size()) << file;
      if (!ok || !rd[k].read || rd[k].atoms > kMaxCTAtoms) continue;
      SCOPED_TRACE(file.filename().string() + " record " + std::to_string(k + 1));
      ASSERT_EQ(t->GetNAtoms(), rd[k].atoms);
      ++compared;
      EXPECT_EQ(t->RingsInMolecule(), rd[k].sssr);
      RingListType list;
      t->FindSSSR(list);
      std::vector<int> sizes;
      for (int i = 1; i <= list.Count; ++i) sizes.push_back(list.Rings[i].Size);
      std::sort(sizes.begin(), sizes.end());
      // Where RDKit's symmetrised set is just the SSSR (no ring added for
      // symmetry) and the set of smallest rings through each atom already
      // covers the ring count, both definitions pick the same rings.
      const bool coincide =
          static_cast<int>(rd[k].symm.size()) == rd[k].sssr && list.Count == rd[k].sssr;
      coinciding += coincide;
      if (sizes == rd[k].symm) {
        ++same;
        continue;
      }
      if (coincide) ADD_FAILURE() << "ring sizes differ where the sets coincide";
      const bool subset =
          std::includes(rd[k].symm.begin(), rd[k].symm.end(), sizes.begin(), sizes.end());
      const bool superset =
          std::includes(sizes.begin(), sizes.end(), rd[k].symm.begin(), rd[k].symm.end());
      std::string kind = subset ? "fewer" : superset ? "more" : "other";
      (subset ? fewer : superset ? more : other)++;
      if (examples[kind]++ < 3) {
        std::cout << kind << ": " << file.filename().string() << " record " << k + 1 << " ours";
        for (int s : sizes) std::cout << " " << s;
        std::cout << ", RDKit";
        for (int s : rd[k].symm) std::cout << " " << s;
        std::cout << "\n";
      }
    }
  }
  std::cout << compared << " records: " << same << " with RDKit's ring sizes, " << fewer
            << " with fewer rings, " << more << " with more, " << other << " otherwise; "
            << coinciding << " where the two sets coincide\n";
  EXPECT_GT(compared, 5000);
  EXPECT_GE(same * 100, compared * 99);
}

}  // namespace
}  // namespace tkz
