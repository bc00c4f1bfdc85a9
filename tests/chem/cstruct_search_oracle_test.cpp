// RDKit as the oracle of the substructure search: 30 queries without
// aromatic bonds, written as molfiles by RDKit and read by our reader, over
// the real SD files of rdkit-data and an SD file that RDKit writes (Kekule
// form) from the NCI SMILES. Our hit or miss with bond checking must equal
// RDKit's HasSubstructMatch on the molecule as written. Our search ignores
// charges, RDKit's matches a charged query atom only to the same charge: the
// comparison is with RDKit's match of the query with its charges taken off,
// and the records where the charge alone decides are counted and printed.
// Skips without /usr/bin/python3 and RDKit.

#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "chem/cstruct.h"
#include "core/platform/textfile.h"

namespace tkz {
namespace {

namespace fs = std::filesystem;

const char* const kPython = "/usr/bin/python3";
const fs::path kRDKitData = "/usr/share/RDKit";
const fs::path kHelper = fs::path(TKZ_SOURCE_DIR) / "tests/chem/rdkit_search.py";
const fs::path kMDLHelper = fs::path(TKZ_SOURCE_DIR) / "tests/chem/rdkit_mdl.py";

const char* const kRealFiles[] = {
    "Data/NCI/first_200.props.sdf",    "Projects/DbCLI/testData/pubchem.200.sdf",
    "Contrib/PBF/testData/egfr.sdf",   "Contrib/Fastcluster/testdata/cdk2.sdf",
    "Projects/DbCLI/testData/bzr.sdf",
};

// The helper's output lines for its arguments, through a file in dir;
// empty when it fails.
std::vector<std::string> Helper(const fs::path& script, const std::string& args,
                                const fs::path& dir) {
  const fs::path out = dir / "helper.out";
  const std::string cmd = std::string(kPython) + " '" + script.string() + "' " + args + " > '" +
                          out.string() + "' 2>/dev/null";
  std::vector<std::string> lines;
  const int status = std::system(cmd.c_str());
  EXPECT_EQ(status, 0) << cmd;
  std::ifstream in(out);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

class SearchOracle : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string probe = std::string(kPython) + " -c 'import rdkit' >/dev/null 2>&1";
    if (!fs::exists(kPython) || std::system(probe.c_str()) != 0) {
      GTEST_SKIP() << "no RDKit for " << kPython;
    }
    if (!fs::exists(kRDKitData / kRealFiles[0])) GTEST_SKIP() << "no rdkit-data";
    work_ = fs::temp_directory_path() / "tkz-chem-oracle";
    fs::create_directories(work_ / "queries");
  }

  // RDKit's SD file of the NCI SMILES with 2D coordinates, made once (the
  // molfile oracle makes the same file).
  fs::path NCIFile() {
    const fs::path target = work_ / "nci_first_5K_2d.sdf";
    if (!fs::exists(target) || fs::file_size(target) == 0) {
      const fs::path part = work_ / ("nci_first_5K_2d.search.part" + std::to_string(getpid()));
      Helper(
          kMDLHelper,
          "gen '" + (kRDKitData / "Data/NCI/first_5K.smi").string() + "' '" + part.string() + "'",
          work_);
      fs::rename(part, target);
    }
    return target;
  }

  fs::path work_;
};

struct Query {
  std::string name;
  std::unique_ptr<TCTab> table = std::make_unique<TCTab>();
  int hits = 0, agreed = 0, charged = 0;
};

TEST_F(SearchOracle, HitsAgreeWithRDKitOnRealRecords) {
  std::vector<Query> queries;
  const fs::path qdir = work_ / "queries";
  for (const std::string& name : Helper(kHelper, "queries '" + qdir.string() + "'", work_)) {
    Query q;
    q.name = name;
    TTextFile f;
    f.AssignFile((qdir / (name + ".mol")).string());
    f.Reset();
    ASSERT_TRUE(q.table->ReadFromMDLMolFile(f)) << name;
    f.CloseFile();
    for (int a = 1; a <= q.table->GetNAtoms(); ++a) {
      for (int k = 1; k <= q.table->GetNBonds(a); ++k) ASSERT_NE(q.table->GetTypConn(a, k), 4);
    }
    queries.push_back(std::move(q));
  }
  ASSERT_GE(queries.size(), 20u);

  std::vector<fs::path> files;
  for (const char* f : kRealFiles) files.push_back(kRDKitData / f);
  files.push_back(NCIFile());
  int records = 0, skipped = 0;
  for (const fs::path& file : files) {
    const auto rd = Helper(kHelper, "match '" + file.string() + "'", work_);
    TTextFile f;
    f.AssignFile(file.string());
    f.Reset();
    size_t r = 0;
    TCTab t;
    TPropRec props;
    while (!f.Eof()) {
      const bool ok = t.ReadFromMDLSDFile(f, props);
      ASSERT_LT(r, rd.size()) << file;
      const std::string& line = rd[r++];
      if (!ok || line == "none") {  // more than 63 atoms, or unreadable
        ++skipped;
        continue;
      }
      ASSERT_EQ(line.size(), 2 * queries.size() + 1) << line;
      ++records;
      for (size_t i = 0; i < queries.size(); ++i) {
        Query& q = queries[i];
        TMatchMarks marks{};
        const bool ours = t.SearchSubStruc(*q.table, marks, true);
        const bool asWritten = line[i] == '1';
        const bool uncharged = line[queries.size() + 1 + i] == '1';
        q.hits += ours;
        q.agreed += ours == uncharged;
        q.charged += asWritten != uncharged;
        EXPECT_EQ(ours, uncharged) << file.filename() << " record " << r << " query " << q.name;
        int marked = 0;
        for (const auto m : marks) marked += m;
        EXPECT_EQ(marked, ours ? q.table->GetNAtoms() : 0);
      }
    }
    f.CloseFile();
    EXPECT_EQ(r, rd.size()) << file;
  }
  std::cout << "records compared " << records << ", skipped " << skipped << "\n";
  for (const Query& q : queries) {
    std::cout << "  " << q.name << ": " << q.hits << " hits, agreement " << q.agreed << "/"
              << records << ", decided by a charge " << q.charged << "\n";
  }
  EXPECT_GT(records, 5000);
}

}  // namespace
}  // namespace tkz
