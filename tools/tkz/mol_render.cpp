// tkz mol render FILE OUT.png [--record N] [--size WxH] [--optimize]
//
// Reads record N (from 1) of a molfile or SD file (- standard input), draws
// it with TChemGraph into a picture of W x H pixels (white, no frame, labels
// of the atoms other than carbon), writes the picture (PNG, BMP or JPEG by
// the extension, replaced by rename) and prints one JSON line describing it.
// --optimize first improves the layout with OptimizeMolShape (a fixed seed,
// so a run repeats).
#include "tools/tkz/mol_render.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <iostream>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>

#include "chem/chemgrph.h"
#include "chem/cstruct.h"
#include "core/platform/codepage.h"
#include "core/platform/imagefile.h"
#include "core/platform/textfile.h"
#include "core/text/stringl.h"
#include "tools/common/size_text.h"
#include "tools/tkz/commands.h"

namespace tkz::tool {

namespace {

struct RenderOptions {
  std::string File, Out;
  int Record = 1;
  std::string Size = "400x300";
  std::string Mode = "hetero";
  bool Optimize = false;
};

constexpr int kMaxRenderSide = 8192;
constexpr int32_t kOptimizeSeed = 1;

TCGDispMode ModeByName(const std::string& name) {
  if (name == "skeleton") return dmSkeleton;
  if (name == "all") return dmAllAtoms;
  if (name == "numbers") return dmNumbers;
  return dmHeteroOnly;
}

// Reads record `want` into t; false (with a message in err) when the input
// ends before it or the record cannot be read.
bool ReadRecord(const RenderOptions& o, TCTab& t, std::ostream& err) {
  TTextFile f;
  f.AssignFile(o.File == "-" ? "/dev/stdin" : o.File);
  try {
    f.Reset();
  } catch (const std::exception& e) {
    err << "tkz: cannot read " << o.File << ": " << e.what() << "\n";
    return false;
  }
  TPropRec props;
  for (int r = 1; r <= o.Record; ++r) {
    // Eof, not SeekEof: a record's first line (its name) may be blank.
    if (f.Eof()) {
      err << "tkz: " << o.File << ": no record " << o.Record << " (" << r - 1 << " records)\n";
      return false;
    }
    const bool ok = t.ReadFromMDLSDFile(f, props);
    if (r == o.Record && !ok) {
      err << "tkz: " << o.File << ": record " << o.Record << " cannot be read\n";
      return false;
    }
  }
  return true;
}

int RunRender(const RenderOptions& o) {
  int w = 0, h = 0;
  switch (ParseSizeText(o.Size, 1, kMaxRenderSide, w, h)) {
    case SizeText::Ok:
      break;
    case SizeText::Malformed:
      std::cerr << "tkz: invalid size " << o.Size << " (WxH, such as 800x600)\n";
      return 2;
    case SizeText::OutOfRange:
      std::cerr << "tkz: invalid size " << o.Size << " (each side 1 to " << kMaxRenderSide << ")\n";
      return 2;
  }
  TChemGraph graph;
  graph.SetSuppressPaint(true);
  TCTab& t = *graph.GetStructure();
  if (!ReadRecord(o, t, std::cerr)) return 1;
  graph.SetBounds(0, 0, w, h);
  graph.SetColorBakG(clWhite);
  graph.SetFrameStyle(fsNone);
  graph.SetDispMode(ModeByName(o.Mode));
  nlohmann::ordered_json j;
  j["file"] = o.File;
  j["record"] = o.Record;
  j["name"] = AnsiToUtf8(t.GetStrucName());
  j["atoms"] = t.GetNAtoms();
  if (o.Optimize) {
    double x0, y0, x1, y1, mx, my;
    const double bond = t.CalcMolExtents(x0, y0, x1, y1, mx, my);
    const int length = std::max(1, static_cast<int>(std::lround(bond)));
    RandSeed(kOptimizeSeed);
    const double before = graph.MolShapeScore(length);
    graph.OptimizeMolShape(length);
    j["score_before"] = JsonFixed(before, 1);
    j["score_after"] = JsonFixed(graph.MolShapeScore(length), 1);
  }
  graph.SetSuppressPaint(false);
  const std::unique_ptr<TBitmap> picture = TakeScreenshot(&graph);
  try {
    SaveBitmapToFile(*picture, o.Out);
  } catch (const std::exception& e) {
    std::cerr << "tkz: cannot write " << o.Out << ": " << e.what() << "\n";
    return 1;
  }
  j["out"] = o.Out;
  j["width"] = w;
  j["height"] = h;
  j["scale"] = JsonFixed(graph.GetDrawScale(), 6);
  WriteJsonLine(std::cout, j);
  std::cout.flush();
  if (!std::cout) {
    std::cerr << "tkz: write error: standard output\n";
    return 1;
  }
  return 0;
}

}  // namespace

void AddMolRenderCommands(CLI::App& app) {
  CLI::App* mol = MolGroup(app);
  auto o = std::make_shared<RenderOptions>();
  CLI::App* cmd =
      mol->add_subcommand("render", "Draws one structure into a picture (PNG, BMP or JPEG)");
  cmd->add_option("FILE", o->File, "Molfile or SD file (- standard input)")->required();
  cmd->add_option("OUT", o->Out, "The picture to write (.png, .bmp or .jpg)")->required();
  cmd->add_option("--record", o->Record, "The record to draw, from 1")
      ->check(CLI::Range(1, 1 << 30));
  cmd->add_option("--size", o->Size, "Picture size WxH in pixels (default 400x300)");
  cmd->add_option("--labels", o->Mode, "Atom labels: skeleton, hetero (default), all, numbers")
      ->check(CLI::IsMember({"skeleton", "hetero", "all", "numbers"}));
  cmd->add_flag("--optimize", o->Optimize, "Improve the layout first (random search)");
  RunsWhenChosen(cmd, [o] { return RunRender(*o); });
}

}  // namespace tkz::tool
