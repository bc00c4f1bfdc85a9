// The structure display on real molecules: golden checksums of the
// pictures of the demo records; RDKit as the oracle of the orientation
// (structures from molfiles are drawn the way round RDKit draws the same
// coordinates, not mirrored); and the control in a real X window, on a
// private Xvfb. The RDKit part skips without /usr/bin/python3 and RDKit,
// the window part without Xvfb.
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "chem/chemgrph.h"
#include "core/dstruct/checksums.h"
#include "core/platform/application.h"
#include "core/platform/backend_x11.h"
#include "core/platform/textfile.h"
#include "tests/support/picture.h"
#include "tests/support/private_x.h"

namespace tkz {
namespace {

using testing_support::PixelCrc;

namespace fs = std::filesystem;

const char* const kPython = "/usr/bin/python3";
const fs::path kTests = fs::path(TKZ_SOURCE_DIR) / "tests/chem";
const fs::path kDemo = fs::path(TKZ_TEST_DATA_DIR) / "chem/demo.sdf";

// Every record of an SD file (up to max) in a control of w x h pixels set
// up as "tkz mol render" draws: white, no frame, labels of hetero atoms.
// Records that do not read are left out (their index kept in Index).
struct Shown {
  int Index;
  std::unique_ptr<TChemGraph> Graph;
};
std::vector<Shown> ShowAll(const fs::path& file, int w, int h, int max = 1 << 30) {
  std::vector<Shown> out;
  TTextFile f;
  f.AssignFile(file.string());
  f.Reset();
  TPropRec props;
  for (int i = 0; i < max && !f.Eof(); ++i) {
    auto g = std::make_unique<TChemGraph>();
    if (!g->GetStructure()->ReadFromMDLSDFile(f, props)) continue;
    g->SetBounds(0, 0, w, h);
    g->SetColorBakG(clWhite);
    g->SetFrameStyle(fsNone);
    g->SetDispMode(dmHeteroOnly);
    out.push_back({i, std::move(g)});
  }
  return out;
}

TEST(ChemGraphGolden, DemoRecordsDrawAsBefore) {
  // The pictures were looked at once (tkz mol render tests/data/chem/demo.sdf
  // OUT.png --record N): bonds, double bonds and hetero labels in place.
  struct Golden {
    const char* name;
    uint32_t crc;
  };
  const std::vector<Golden> golden = {{"caffeine", 0xaf44c48eu},
                                      {"aspirin", 0xab4252e6u},
                                      {"paracetamol", 0x6a4ed1dfu},
                                      {"sodium benzoate", 0xd2a24794u},
                                      {"ibuprofen", 0xb88dd413u}};
  auto shown = ShowAll(kDemo, 400, 300);
  ASSERT_EQ(shown.size(), golden.size());
  for (size_t i = 0; i < golden.size(); ++i) {
    EXPECT_EQ(shown[i].Graph->GetStructure()->GetStrucName(), golden[i].name);
    auto pic = TakeScreenshot(shown[i].Graph.get());
    EXPECT_EQ(PixelCrc(*pic), golden[i].crc)
        << golden[i].name << " 0x" << std::hex << PixelCrc(*pic);
  }
}

// ------------------------------------------------------------ orientation

// The lines RDKit's script prints, through a file beside the test's
// working folder; false when the script cannot run (no RDKit).
bool RDKitLines(const std::string& args, std::vector<std::string>& lines) {
  if (!fs::exists(kPython)) return false;
  const fs::path out = fs::temp_directory_path() / ("chemgrph_rdkit_" + std::to_string(getpid()));
  const std::string cmd = std::string(kPython) + " " + (kTests / "rdkit_depict.py").string() + " " +
                          args + " >'" + out.string() + "' 2>/dev/null";
  const bool ran = std::system(cmd.c_str()) == 0;
  std::ifstream in(out);
  for (std::string line; ran && std::getline(in, line);) lines.push_back(line);
  fs::remove(out);
  return ran;
}

struct Fit {
  double det = 0;      // of the linear part: > 0 keeps the turning sense
  double worst = 1e9;  // largest distance of a mapped point from ours (px)
};

// The affine map from RDKit's points to ours by least squares.
Fit FitAffine(const std::vector<double>& rx, const std::vector<double>& ry,
              const std::vector<double>& ox, const std::vector<double>& oy) {
  const size_t n = rx.size();
  // Normal equations of [x y 1] * P = target for both targets.
  double m[3][3] = {}, bx[3] = {}, by[3] = {};
  for (size_t i = 0; i < n; ++i) {
    const double v[3] = {rx[i], ry[i], 1};
    for (int r = 0; r < 3; ++r) {
      for (int c = 0; c < 3; ++c) m[r][c] += v[r] * v[c];
      bx[r] += v[r] * ox[i];
      by[r] += v[r] * oy[i];
    }
  }
  const auto det3 = [](double a[3][3]) {
    return a[0][0] * (a[1][1] * a[2][2] - a[1][2] * a[2][1]) -
           a[0][1] * (a[1][0] * a[2][2] - a[1][2] * a[2][0]) +
           a[0][2] * (a[1][0] * a[2][1] - a[1][1] * a[2][0]);
  };
  const double d = det3(m);
  Fit f;
  if (std::abs(d) < 1e-9) return f;
  const auto solve = [&](const double b[3], double x[3]) {
    for (int k = 0; k < 3; ++k) {
      double a[3][3];
      for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) a[r][c] = c == k ? b[r] : m[r][c];
      x[k] = det3(a) / d;
    }
  };
  double px[3], py[3];
  solve(bx, px);
  solve(by, py);
  f.det = px[0] * py[1] - px[1] * py[0];
  f.worst = 0;
  for (size_t i = 0; i < n; ++i) {
    const double x = px[0] * rx[i] + px[1] * ry[i] + px[2];
    const double y = py[0] * rx[i] + py[1] * ry[i] + py[2];
    f.worst = std::max(f.worst, std::hypot(x - ox[i], y - oy[i]));
  }
  return f;
}

TEST(ChemGraphOracle, MolfilesAreNotMirrored) {
  struct Source {
    fs::path file;
    int records;
  };
  const std::vector<Source> sources = {{kDemo, 5},
                                       {"/usr/share/RDKit/Data/NCI/first_200.props.sdf", 60}};
  int compared = 0;
  for (const Source& s : sources) {
    if (!fs::exists(s.file)) continue;
    std::vector<std::string> rd;
    if (!RDKitLines("'" + s.file.string() + "' 400 300 " + std::to_string(s.records), rd)) {
      GTEST_SKIP() << "no RDKit for " << kPython;
    }
    auto shown = ShowAll(s.file, 400, 300, s.records);
    for (Shown& sh : shown) {
      ASSERT_LT(sh.Index, static_cast<int>(rd.size()));
      std::istringstream in(rd[sh.Index]);
      int atoms = 0;
      if (!(in >> atoms)) continue;  // RDKit does not read it
      TChemGraph& g = *sh.Graph;
      const TCTab& t = *g.GetStructure();
      ASSERT_EQ(atoms, t.GetNAtoms()) << s.file << " record " << sh.Index + 1;
      g.SetMaxbondleng(0);
      g.Repaint();
      std::vector<double> rx, ry, ox, oy;
      for (int a = 1; a <= atoms; ++a) {
        double x, y;
        in >> x >> y;
        rx.push_back(x);
        ry.push_back(y);
        const TPoint p = g.AtomToScreen(a);
        ox.push_back(p.X);
        oy.push_back(p.Y);
      }
      if (atoms < 3) continue;
      const Fit f = FitAffine(rx, ry, ox, oy);
      // Both drawings scale the file's coordinates uniformly into their
      // box, so one map fits every atom to within the rounding of pixels.
      EXPECT_GT(f.det, 0) << t.GetStrucName() << " is drawn mirrored (" << s.file << ")";
      EXPECT_LT(f.worst, 2.0) << t.GetStrucName() << " (" << s.file << ")";
      ++compared;
    }
  }
  std::printf("orientation compared with RDKit on %d structures\n", compared);
  EXPECT_GE(compared, 40);
}

// ------------------------------------------------------------- the window

TEST(ChemGraphWindow, ShownInAnXWindow) {
  testing_support::XWindowing windowing;
  if (!windowing.Open()) GTEST_SKIP() << windowing.Why;
  TX11Backend* x11 = windowing.X11.get();
  auto shown = ShowAll(kDemo, 320, 240, 1);
  ASSERT_EQ(shown.size(), 1u);
  TChemGraph& g = *shown[0].Graph;
  const auto headless = TakeScreenshot(&g);
  SetWindowBackend(x11);
  g.SetCaption("caffeine");
  g.Show();
  for (int i = 0; i < 50 && x11->FramesPresented() == 0; ++i) {
    x11->PollEvents(Application());
    Application().ProcessMessages();
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  EXPECT_NE(x11->WindowOf(&g), 0u);
  EXPECT_GE(x11->FramesPresented(), 1);
  // A change of the structure's colour repaints the window.
  const int frames = x11->FramesPresented();
  g.SetMolColor(clBlue);
  for (int i = 0; i < 50 && x11->FramesPresented() == frames; ++i) {
    Application().ProcessMessages();
    x11->PollEvents(Application());
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  EXPECT_GT(x11->FramesPresented(), frames);
  x11->Sync();
  EXPECT_EQ(x11->ErrorCount(), 0);
  EXPECT_TRUE(x11->Connected());
  // The window shows what the headless control draws, in the new colour.
  g.SetMolColor(0x000080);
  const auto again = TakeScreenshot(&g);
  EXPECT_EQ(PixelCrc(*again), PixelCrc(*headless));
  g.Hide();
  SetWindowBackend(nullptr);
}

}  // namespace
}  // namespace tkz
