// RDKit as the oracle of the MDL readers and writers: our reader over the SD
// files of rdkit-data and an SD file that RDKit writes from the NCI SMILES,
// and RDKit over the SD files our writer makes from those records. Both sides
// are compared record by record. Skips without /usr/bin/python3 and RDKit.

#include <unistd.h>

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "chem/cdata.h"
#include "chem/cstruct.h"
#include "core/platform/textfile.h"

namespace tkz {
namespace {

namespace fs = std::filesystem;

const char* const kPython = "/usr/bin/python3";
const fs::path kRDKitData = "/usr/share/RDKit";
const fs::path kHelper = fs::path(TKZ_SOURCE_DIR) / "tests/chem/rdkit_mdl.py";

// The real SD files of rdkit-data.
const char* const kRealFiles[] = {
    "Data/NCI/first_200.props.sdf",
    "Projects/DbCLI/testData/pubchem.200.sdf",
    "Contrib/PBF/testData/egfr.sdf",
    "Contrib/Fastcluster/testdata/cdk2.sdf",
};

bool HaveRDKit() {
  const std::string cmd = std::string(kPython) + " -c 'import rdkit' >/dev/null 2>&1";
  return fs::exists(kPython) && std::system(cmd.c_str()) == 0;
}

std::vector<std::string> RunLines(const std::string& cmd) {
  std::vector<std::string> lines;
  FILE* p = ::popen(cmd.c_str(), "r");
  if (p == nullptr) return lines;
  std::string line;
  for (int c; (c = std::fgetc(p)) != EOF;) {
    if (c != '\n') {
      line += static_cast<char>(c);
      continue;
    }
    lines.push_back(line);
    line.clear();
  }
  EXPECT_EQ(::pclose(p), 0) << cmd;
  return lines;
}

// One record as RDKit reads it.
struct RDRecord {
  bool read = false;
  int atoms = 0, bonds = 0;
  std::vector<int> Z, charge, isotope;
  std::vector<std::array<int, 3>> bondList;  // a, b, order
};

std::vector<int> Ints(const std::string& text) {
  std::istringstream in(text);
  std::vector<int> v;
  for (int x; in >> x;) v.push_back(x);
  return v;
}

std::vector<RDRecord> RDKitRecords(const fs::path& sdf) {
  std::vector<RDRecord> out;
  for (const auto& line :
       RunLines(std::string(kPython) + " " + kHelper.string() + " dump '" + sdf.string() + "'")) {
    RDRecord r;
    std::vector<std::string> parts;
    std::istringstream in(line);
    for (std::string part; std::getline(in, part, '|');) parts.push_back(part);
    if (parts.size() == 5) {
      r.read = true;
      const auto counts = Ints(parts[0]);
      r.atoms = counts.at(0);
      r.bonds = counts.at(1);
      r.Z = Ints(parts[1]);
      r.charge = Ints(parts[2]);
      r.isotope = Ints(parts[3]);
      std::istringstream bonds(parts[4]);
      for (std::string b; bonds >> b;) {
        std::array<int, 3> abt{};
        std::sscanf(b.c_str(), "%d-%d-%d", &abt[0], &abt[1], &abt[2]);
        r.bondList.push_back(abt);
      }
    }
    out.push_back(std::move(r));
  }
  return out;
}

// One record as our SD reader reads it.
struct OurRecord {
  bool ok = false;
  TCTab table;
};

std::vector<std::unique_ptr<OurRecord>> OurRecords(const fs::path& sdf) {
  std::vector<std::unique_ptr<OurRecord>> out;
  TTextFile f;
  f.AssignFile(sdf.string());
  f.Reset();
  while (!f.Eof()) {
    auto r = std::make_unique<OurRecord>();
    TPropRec props;
    r->ok = r->table.ReadFromMDLSDFile(f, props);
    out.push_back(std::move(r));
  }
  return out;
}

int BondCount(const TCTab& t) {
  int sum = 0;
  for (int a = 1; a <= t.GetNAtoms(); ++a) sum += t.GetNBonds(a);
  return sum / 2;
}

// What differs between RDKit's record and our table ("" if nothing). With
// Isotopes, isotopes and bond orders are compared too.
std::string Disagreement(const RDRecord& rd, const TCTab& t, bool Isotopes) {
  std::ostringstream why;
  if (rd.atoms != t.GetNAtoms()) {
    why << "atoms " << rd.atoms << " vs " << t.GetNAtoms();
    return why.str();
  }
  if (rd.bonds != BondCount(t)) why << "bonds " << rd.bonds << " vs " << BondCount(t) << "; ";
  for (int a = 1; a <= t.GetNAtoms(); ++a) {
    const size_t i = static_cast<size_t>(a - 1);
    if (rd.Z[i] != t.GetAtNum(a)) why << "atom " << a << " Z " << rd.Z[i] << "; ";
    if (rd.charge[i] != t.GetCharge(a)) why << "atom " << a << " charge " << rd.charge[i] << "; ";
    const int mass = rd.isotope[i] != 0 ? rd.isotope[i] : IntAtWeight(rd.Z[i]);
    if (Isotopes && mass != t.GetAtWeight(a)) why << "atom " << a << " mass " << mass << "; ";
  }
  for (const auto& [a, b, order] : rd.bondList) {
    if (Isotopes && t.CheckConnect(a, b) != order) why << "bond " << a << "-" << b << "; ";
  }
  return why.str();
}

// The heavy-atom formula: element counts of the atoms that are not hydrogen.
std::map<int, int> HeavyFormula(const std::vector<int>& Z) {
  std::map<int, int> f;
  for (const int z : Z) {
    if (z != 1) ++f[z];
  }
  return f;
}

std::map<int, int> HeavyFormula(const TCTab& t) {
  std::vector<int> Z;
  for (int a = 1; a <= t.GetNAtoms(); ++a) Z.push_back(t.GetAtNum(a));
  return HeavyFormula(Z);
}

class MDLOracle : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!HaveRDKit()) GTEST_SKIP() << "no RDKit for " << kPython;
    if (!fs::exists(kRDKitData / kRealFiles[0])) GTEST_SKIP() << "no rdkit-data";
    // Beside the other temporary files, never in the source tree.
    work_ = fs::temp_directory_path() / "tkz-chem-oracle";
    fs::create_directories(work_);
  }

  // RDKit's SD file of the NCI SMILES with 2D coordinates, made once.
  fs::path NCIFile() {
    const fs::path target = work_ / "nci_first_5K_2d.sdf";
    if (!fs::exists(target) || fs::file_size(target) == 0) {
      // Each process writes its own part: tests run side by side.
      const fs::path part = work_ / ("nci_first_5K_2d.part" + std::to_string(getpid()));
      RunLines(std::string(kPython) + " " + kHelper.string() + " gen '" +
               (kRDKitData / "Data/NCI/first_5K.smi").string() + "' '" + part.string() + "'");
      fs::rename(part, target);
    }
    return target;
  }

  fs::path work_;
};

TEST_F(MDLOracle, OurReaderAgreesWithRDKitOnRealFiles) {
  std::vector<fs::path> files;
  for (const char* f : kRealFiles) files.push_back(kRDKitData / f);
  files.push_back(NCIFile());
  int compared = 0, tooBig = 0, unread = 0, disagreed = 0;
  for (const auto& file : files) {
    const auto rd = RDKitRecords(file);
    const auto ours = OurRecords(file);
    ASSERT_EQ(ours.size(), rd.size()) << file;
    int fileCompared = 0, fileBig = 0;
    for (size_t k = 0; k < rd.size(); ++k) {
      SCOPED_TRACE(file.string() + " record " + std::to_string(k + 1));
      if (!rd[k].read) {
        ++unread;  // nothing to compare with
        continue;
      }
      if (rd[k].atoms > kMaxCTAtoms) {
        ++fileBig;
        EXPECT_FALSE(ours[k]->ok);  // reported, not misread
        continue;
      }
      ++fileCompared;
      EXPECT_TRUE(ours[k]->ok);
      const std::string why = Disagreement(rd[k], ours[k]->table, true);
      EXPECT_EQ(HeavyFormula(rd[k].Z), HeavyFormula(ours[k]->table));
      if (!why.empty()) {
        ++disagreed;
        ADD_FAILURE() << why;
      }
    }
    std::cout << file.filename().string() << ": " << rd.size() << " records, " << fileCompared
              << " compared, " << fileBig << " beyond 63 atoms\n";
    compared += fileCompared;
    tooBig += fileBig;
  }
  std::cout << "total: " << compared << " records compared, " << tooBig
            << " beyond 63 atoms (false), " << unread << " unread by RDKit, " << disagreed
            << " disagreements\n";
  EXPECT_GT(compared, 5000);
  EXPECT_EQ(disagreed, 0);
}

TEST_F(MDLOracle, RDKitReadsWhatOurWriterWrites) {
  const fs::path ours = work_ / "written_by_tkz.sdf";
  std::vector<std::unique_ptr<OurRecord>> written;
  TTextFile out;
  out.AssignFile(ours.string());
  out.Rewrite();
  int k = 0;
  for (const char* f : kRealFiles) {
    for (auto& r : OurRecords(kRDKitData / f)) {
      if (!r->ok) continue;
      // Every third record gets a charge beyond 3 and an isotope, which only
      // the property block can carry.
      TCTab& t = r->table;
      if (++k % 3 == 0) {
        const int a = 1 + k % t.GetNAtoms();
        t.SetCharge(a, k % 2 == 0 ? 5 : -4);
        t.SetAtWeight(a, IntAtWeight(t.GetAtNum(a)) + 1 + k % 5);
      }
      t.WriteToMDLMolFile(out, "", "tkz", k, "oracle");
      out.WriteLn("$$$$");
      written.push_back(std::move(r));
    }
  }
  out.CloseFile();
  const auto rd = RDKitRecords(ours);
  ASSERT_EQ(rd.size(), written.size());
  int disagreed = 0;
  for (size_t i = 0; i < rd.size(); ++i) {
    SCOPED_TRACE("record " + std::to_string(i + 1));
    ASSERT_TRUE(rd[i].read);
    const std::string why = Disagreement(rd[i], written[i]->table, true);
    if (!why.empty()) {
      ++disagreed;
      ADD_FAILURE() << why;
    }
  }
  std::cout << "RDKit read " << rd.size() << " records written by us, " << disagreed
            << " disagreements\n";
  EXPECT_GT(rd.size(), 700u);
}

}  // namespace
}  // namespace tkz
