// The atlas in a real window: shown through the X11 backend on a private
// Xvfb, it presents frames, repaints when its outlines change colour, raises
// no X errors, and draws the same picture shown or hidden. Skips without Xvfb.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "core/dstruct/checksums.h"
#include "core/platform/application.h"
#include "core/platform/backend_x11.h"
#include "geo/geoatlas.h"
#include "tests/support/picture.h"
#include "tests/support/private_x.h"
#include "tests/support/temp_dir.h"

namespace tkz {
namespace {

using testing_support::PixelCrc;

using AtlasWindow = testing_support::TempDirTest;

TEST_F(AtlasWindow, ShownInAnXWindow) {
  testing_support::XWindowing windowing;
  if (!windowing.Open()) GTEST_SKIP() << windowing.Why;
  TX11Backend* x11 = windowing.X11.get();
  for (const char* name : {"World", "Europe"}) {
    TGeoMap map;
    const bool world = name[0] == 'W';
    map.CreateAndLoadEmptyMap(Path(name), world ? -60 : 35, world ? 80 : 60, world ? -180 : -10,
                              world ? 180 : 30, 10, 10, 600, 400, true);
  }
  TGeoAtlas atlas;
  atlas.SetBounds(0, 0, 480, 320);
  ASSERT_TRUE(atlas.RegisterMap(Path("World.xml")));
  ASSERT_TRUE(atlas.RegisterMap(Path("Europe.xml")));
  ASSERT_TRUE(atlas.SelectMap(1));
  atlas.GetMap()->ZoomFitPage();
  const auto pump = [&](const std::function<bool()>& done) {
    for (int i = 0; i < 100 && !done(); ++i) {
      x11->PollEvents(Application());
      Application().ProcessMessages();
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
  };
  SetWindowBackend(x11);
  atlas.SetCaption("atlas");
  atlas.Show();
  pump([&] { return x11->FramesPresented() > 0; });
  EXPECT_NE(x11->WindowOf(&atlas), 0u);
  EXPECT_GE(x11->FramesPresented(), 1);
  const int frames = x11->FramesPresented();
  atlas.SetMapOLColor(0x0000FF);
  pump([&] { return x11->FramesPresented() > frames; });
  EXPECT_GT(x11->FramesPresented(), frames);
  x11->Sync();
  EXPECT_EQ(x11->ErrorCount(), 0);
  EXPECT_TRUE(x11->Connected());
  const uint32_t shown = PixelCrc(*TakeScreenshot(&atlas));
  atlas.Hide();
  SetWindowBackend(nullptr);
  EXPECT_EQ(PixelCrc(*TakeScreenshot(&atlas)), shown);
}

}  // namespace
}  // namespace tkz
