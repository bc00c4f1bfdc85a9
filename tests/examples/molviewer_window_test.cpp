// The molecule viewer in a real window: on a private Xvfb, with a second
// Xlib connection as the user (XTest moves the pointer and presses keys),
// the window shows exactly what the headless form draws, follows the mouse
// over an atom, and keys browse to the last of 100 000 records. Skips
// without Xvfb, Xlib or XTest; the key part skips while the X backend
// posts no key messages.
#include <gtest/gtest.h>

#ifndef TKZ_HAVE_XTEST

TEST(MolViewerWindow, NeedsXlibAndXTest) { GTEST_SKIP() << "built without Xlib and XTest"; }

#else

#include <chrono>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "core/platform/application.h"
#include "core/platform/backend_x11.h"
#include "core/platform/imagefile.h"
#include "examples/molviewer/viewer_form.h"
#include "tests/examples/molviewer_data.h"
#include "tests/support/private_x.h"
#include "tests/support/window_pixels.h"

// Xlib's macros (None, Bool, Status) come last.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

namespace tkz::molviewer {
namespace {

class MolViewerWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!testing::HaveRealData()) GTEST_SKIP() << "rdkit-data is not installed";
    const std::string display = server_.Start();
    if (display.empty()) GTEST_SKIP() << "no Xvfb";
    std::string why;
    x11_ = TX11Backend::Open(display.c_str(), &why);
    if (!x11_) GTEST_SKIP() << "X backend not available: " << why;
    user_ = XOpenDisplay(display.c_str());
    ASSERT_NE(user_, nullptr);
    Application().ClearMessages();
  }
  void TearDown() override {
    if (form_) form_->Hide();
    form_.reset();
    SetWindowBackend(nullptr);
    Application().ClearMessages();
    if (user_ != nullptr) XCloseDisplay(user_);
  }

  // Lets requests and events travel both ways until done holds, for a
  // bounded number of rounds; returns done's last answer.
  bool PumpUntil(const std::function<bool()>& done) {
    for (int round = 0; round < 300; ++round) {
      XSync(user_, False);
      Application().ProcessMessages();
      x11_->Sync();
      if (done()) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
  }

  // Waits until the window shows the headless picture; the first differing
  // pixel when it does not.
  std::string SameAsHeadless() {
    std::vector<uint32_t> shown, drawn;
    const int w = form_->GetWidth(), h = form_->GetHeight();
    PumpUntil([&] {
      drawn = testing_support::HeadlessPixels(form_.get());
      shown = testing_support::ReadWindowPixels(user_, x11_->WindowOf(form_.get()), w, h);
      return shown == drawn;
    });
    return testing_support::FirstDifference(shown, drawn, w);
  }
  // Where a point of the form is on the screen.
  TPoint OnScreen(int x, int y) {
    int rx = 0, ry = 0;
    Window child = 0;
    XTranslateCoordinates(user_, x11_->WindowOf(form_.get()), DefaultRootWindow(user_), x, y, &rx,
                          &ry, &child);
    return {rx, ry};
  }
  void PressKey(KeySym sym) {
    const KeyCode code = XKeysymToKeycode(user_, sym);
    XTestFakeKeyEvent(user_, code, True, 0);
    XTestFakeKeyEvent(user_, code, False, 0);
    XSync(user_, False);
  }

  testing_support::PrivateX server_;
  std::unique_ptr<TX11Backend> x11_;
  Display* user_ = nullptr;
  std::unique_ptr<TMolViewerForm> form_;

  // Opens the file in a window of 600 x 440 and waits for its first picture.
  void ShowFile(const std::string& file) {
    form_ = std::make_unique<TMolViewerForm>();
    form_->SetBounds(0, 0, 600, 440);
    std::string why;
    ASSERT_TRUE(form_->Open(file, why)) << why;
    form_->WaitUntilSettled();
    SetWindowBackend(x11_.get());
    form_->Show();
    ASSERT_TRUE(
        PumpUntil([&] { return x11_->WindowOf(form_.get()) != 0 && x11_->FramesPresented() > 0; }));
  }
};

TEST_F(MolViewerWindow, ShowsWhatTheFormDrawsAndFollowsThePointer) {
  ShowFile(testing::RealSDFiles()[0]);
  EXPECT_EQ(SameAsHeadless(), "");
  // The pointer over atom 2 of the first record.
  TMolGraph* g = form_->Graph();
  const TPoint atom = g->AtomToScreen(2);
  const TPoint at = OnScreen(g->GetLeft() + atom.X + 1, g->GetTop() + atom.Y);
  XTestFakeMotionEvent(user_, DefaultScreen(user_), at.X, at.Y, 0);
  XSync(user_, False);
  EXPECT_TRUE(PumpUntil([&] { return g->GetHoverAtom() == 2; }));
  EXPECT_NE(form_->InfoText().find("atom C 2"), std::string::npos) << form_->InfoText();
  EXPECT_EQ(SameAsHeadless(), "");
  if (const char* dir = std::getenv("TKZ_SCREENSHOT_DIR")) {
    const auto shot = testing_support::ReadWindowBitmap(user_, x11_->WindowOf(form_.get()),
                                                        form_->GetWidth(), form_->GetHeight());
    ASSERT_NE(shot, nullptr);
    SaveBitmapToFile(*shot, std::string(dir) + "/molviewer.png");
  }
}

TEST_F(MolViewerWindow, KeysReachTheLastOfAHundredThousandRecords) {
  const testing::BigFile& big = testing::TheBigFile();
  ASSERT_FALSE(big.Path.empty());
  ShowFile(big.Path);
  PressKey(XK_End);
  if (!PumpUntil([&] { return form_->Current() != 1; })) {
    GTEST_SKIP() << "the X backend posts no key messages yet";
  }
  EXPECT_EQ(form_->Current(), testing::kBigRecords);
  EXPECT_NE(form_->InfoText().find("record 100 000 of 100 000"), std::string::npos);
  PressKey(XK_Left);
  EXPECT_TRUE(PumpUntil([&] { return form_->Current() == testing::kBigRecords - 1; }));
  EXPECT_EQ(SameAsHeadless(), "");
}

}  // namespace
}  // namespace tkz::molviewer

#endif
