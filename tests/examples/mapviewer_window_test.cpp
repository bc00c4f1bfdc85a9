// The map viewer in a real window on a private Xvfb: a geographic database
// imported from the real extracts, dragged and zoomed with XTest's pointer,
// then the window's pixels as the X server has them against the headless
// picture of the same state. Keys through XTest count once the X11 backend
// posts key messages; until then that part skips.
#include <chrono>
#include <cmath>
#include <cstdio>
#include <functional>
#include <thread>

#include "tests/examples/mapviewer_fixture.h"

#if defined(TKZ_HAVE_X11) && defined(TKZ_HAVE_XTEST)
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <cstdlib>

#include "core/platform/backend_x11.h"
#include "core/platform/imagefile.h"
#include "tests/support/private_x.h"
#include "tests/support/window_pixels.h"

namespace tkz::mapviewer {
namespace {

class ViewerWindow : public testing_support::MapViewerTest {
 protected:
  void SetUp() override {
    MapViewerTest::SetUp();
    display_ = server_.Start();
    if (display_.empty()) GTEST_SKIP() << "no Xvfb";
    std::string why;
    x11_ = TX11Backend::Open(display_.c_str(), &why);
    if (!x11_) GTEST_SKIP() << "X backend not available: " << why;
    SetWindowBackend(x11_.get());
    user_ = XOpenDisplay(display_.c_str());
  }
  void TearDown() override {
    form_.reset();
    SetWindowBackend(nullptr);
    if (user_ != nullptr) XCloseDisplay(user_);
    x11_.reset();
    MapViewerTest::TearDown();
  }

  // Rounds of requests and events both ways until pred holds, at most 400.
  bool PumpUntil(const std::function<bool()>& pred) {
    for (int i = 0; i < 400; ++i) {
      XSync(user_, False);
      x11_->PollEvents(Application());
      Application().ProcessMessages();
      x11_->PollEvents(Application());
      x11_->Sync();
      if (pred()) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return false;
  }

  void Settle() {
    for (int i = 0; i < 3; ++i) {
      XSync(user_, False);
      x11_->PollEvents(Application());
      Application().ProcessMessages();
      x11_->Sync();
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
  }

  // The window's pixels as the server has them.
  std::unique_ptr<TBitmap> Capture() {
    return testing_support::ReadWindowBitmap(user_, x11_->WindowOf(form_.get()), form_->GetWidth(),
                                             form_->GetHeight());
  }

  // "" when the window shows the headless picture, else the first difference.
  std::string Mismatch() {
    const int width = form_->GetWidth(), height = form_->GetHeight();
    return testing_support::FirstDifference(
        testing_support::ReadWindowPixels(user_, x11_->WindowOf(form_.get()), width, height),
        testing_support::HeadlessPixels(form_.get()), width);
  }

  void Pointer(int x, int y) {
    XTestFakeMotionEvent(user_, DefaultScreen(user_), x, y, 0);
    XSync(user_, False);
  }
  void Button(unsigned b, bool down) {
    XTestFakeButtonEvent(user_, b, down ? True : False, 0);
    XSync(user_, False);
  }
  void KeyStroke(KeySym sym) {
    const KeyCode code = XKeysymToKeycode(user_, sym);
    XTestFakeKeyEvent(user_, code, True, 0);
    XTestFakeKeyEvent(user_, code, False, 0);
    XSync(user_, False);
  }

  // Opens file in a 600 x 440 form shown in a window; its map, or nullptr
  // when no window came.
  TGeoMap* Show(const std::string& file) {
    if (user_ == nullptr) return nullptr;
    form_ = Open(file, 600, 440);
    form_->Show();
    return PumpUntil([&] { return x11_->WindowOf(form_.get()) != 0; }) ? form_->GetMap() : nullptr;
  }

  testing_support::PrivateX server_;
  std::unique_ptr<TX11Backend> x11_;
  std::string display_;
  Display* user_ = nullptr;
  std::unique_ptr<TMapViewerForm> form_;
};

TEST_F(ViewerWindow, DragAndWheelShowWhatTheHeadlessFormDraws) {
  TGeoMap* map = Show(Database());
  ASSERT_NE(map, nullptr);
  ASSERT_TRUE(PumpUntil([&] { return Mismatch().empty(); })) << Mismatch();

  // Zoom in four notches about (300, 200), then drag the map 120 pixels left
  // and 60 down (the view stays within the map, which confines it).
  const double m0 = map->GetMagnification();
  Pointer(300, 200);
  for (int i = 0; i < 4; ++i) {
    Button(4, true);
    Button(4, false);
  }
  ASSERT_TRUE(PumpUntil([&] { return map->GetMagnification() > m0 * 2.4; }));
  EXPECT_NEAR(map->GetMagnification(), m0 * std::pow(1.25, 4), 1e-9);
  const TPoint o = map->GetTopLeft();
  const double mag = map->GetMagnification();
  // The map's drag starts at the first move with the button held.
  Button(1, true);
  Pointer(299, 199);
  Settle();
  for (int step = 1; step <= 4; ++step) {
    Pointer(299 - 30 * step, 199 + 15 * step);
    PumpUntil([&] { return map->GetTopLeft() != o; });
  }
  Button(1, false);
  const TPoint want{o.X + static_cast<int>(std::lround(120 / mag)),
                    o.Y - static_cast<int>(std::lround(60 / mag))};
  EXPECT_TRUE(PumpUntil([&] { return map->GetTopLeft() == want; }))
      << map->GetTopLeft().X << "," << map->GetTopLeft().Y;
  // The status line reads the position under the pointer.
  EXPECT_TRUE(PumpUntil([&] {
    return form_->GetStatusLine()->GetCaption().rfind(form_->PositionText(179, 259), 0) == 0;
  })) << form_->GetStatusLine()->GetCaption();
  EXPECT_TRUE(PumpUntil([&] { return Mismatch().empty(); })) << Mismatch();
  if (const char* dir = std::getenv("TKZ_SCREENSHOT_DIR"))
    SaveBitmapToFile(*Capture(), std::string(dir) + "/mapviewer.png");
}

// A key typed on the window reaches the form: "g" shows the graticule points.
TEST_F(ViewerWindow, KeysTypedOnTheWindowReachTheForm) {
  TGeoMap* map = Show(Iberia());
  ASSERT_NE(map, nullptr);
  Pointer(300, 200);
  Settle();
  KeyStroke(XK_g);
  if (!PumpUntil([&] { return map->GetShowGraticule() == sgPoints; }))
    GTEST_SKIP() << "the X11 backend posts no key messages yet";
  EXPECT_TRUE(PumpUntil([&] { return Mismatch().empty(); })) << Mismatch();
}

}  // namespace
}  // namespace tkz::mapviewer

#endif
