// Frames per second of the structure display: TChemGraph painting a real
// 63-atom structure (hydrogens included) into an 800 x 600 control, every
// frame whole (background, frame, bonds, labels of the atoms other than
// carbon), as a window's paint does. The peer, RDKit's rdMolDraw2D Cairo
// drawer on the same record and size, runs in bench/chemgrph_bench.sh.
//
// TKZ_MOL_FILE and TKZ_MOL_RECORD choose the record (default: record 171 of
// rdkit-data's egfr.sdf, ZINC03815172, 63 atoms).
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>

#include "chem/chemgrph.h"
#include "core/platform/textfile.h"

namespace {

std::string Env(const char* name, const char* fallback) {
  const char* v = std::getenv(name);
  return v != nullptr && *v != '\0' ? v : fallback;
}

// Reads record `record` (from 1) into t; records are counted with Eof, so
// a blank name line does not throw the count off.
bool ReadRecord(const std::string& path, int record, tkz::TCTab& t) {
  tkz::TTextFile f;
  f.AssignFile(path);
  f.Reset();
  tkz::TPropRec props;
  bool ok = false;
  for (int r = 1; r <= record && !f.Eof(); ++r) ok = t.ReadFromMDLSDFile(f, props) && r == record;
  f.CloseFile();
  return ok;
}

void BM_ChemGraphPaint(benchmark::State& state) {
  const std::string path = Env("TKZ_MOL_FILE", "/usr/share/RDKit/Contrib/PBF/testData/egfr.sdf");
  const int record = std::atoi(Env("TKZ_MOL_RECORD", "171").c_str());
  tkz::TChemGraph g;
  g.SetSuppressPaint(true);
  if (!ReadRecord(path, record, *g.GetStructure())) {
    state.SkipWithError(("cannot read record " + std::to_string(record) + " of " + path).c_str());
    return;
  }
  g.SetBounds(0, 0, 800, 600);
  g.SetColorBakG(tkz::clWhite);
  g.SetDispMode(tkz::dmHeteroOnly);
  g.SetMaxbondleng(0);  // fill the control, as RDKit fills its canvas
  g.SetSuppressPaint(false);
  for (auto _ : state) {
    g.Repaint();
    benchmark::DoNotOptimize(g.GetCanvas()->GetPixel(400, 300));
  }
  state.counters["atoms"] = g.GetStructure()->GetNAtoms();
  state.counters["fps"] =
      benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ChemGraphPaint)->Name("chemgrph_paint_800x600/ours")->Unit(benchmark::kMicrosecond);

}  // namespace
