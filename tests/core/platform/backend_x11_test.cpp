#include "core/platform/backend_x11.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "core/platform/application.h"
#include "core/platform/stdctrls.h"

#ifndef TKZ_HAVE_X11

namespace tkz {
namespace {

TEST(X11Backend, WithoutXlibThereIsNoDisplayToOpen) {
  std::string why;
  EXPECT_EQ(TX11Backend::Open(nullptr, &why), nullptr);
  EXPECT_FALSE(why.empty());
}

}  // namespace
}  // namespace tkz

#else

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>

#include "tests/core/platform/backend_x11_fixture.h"

// Xlib's macros (None, Bool, Status) come last.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#ifdef TKZ_HAVE_XTEST
#include <X11/extensions/XTest.h>
#endif
#ifdef TKZ_HAVE_XFIXES
#include <X11/cursorfont.h>
#include <X11/extensions/Xfixes.h>
#endif

namespace tkz {
namespace {

using x11test::Recorder;
using x11test::ResetApplication;
using x11test::XServer;
using X11Backend = x11test::X11Backend;

// ------------------------------------------------------------------ windows
TEST_F(X11Backend, AShownControlHasAMappedWindowOfItsSizeAndTitleUntilHiddenOrDestroyed) {
  TPanel* panel = ShowPanel(30, 40, 200, 120, "Hello");
  const Window w = backend_->WindowOf(panel);
  ASSERT_NE(w, 0u);
  XWindowAttributes a = Attributes(w);
  EXPECT_EQ(a.map_state, IsViewable);
  EXPECT_EQ(a.width, 200);
  EXPECT_EQ(a.height, 120);
  EXPECT_EQ(a.x, 30);
  EXPECT_EQ(a.y, 40);
  EXPECT_EQ(Title(w), "Hello");

  // What the program changes reaches the window.
  panel->SetCaption("Again");
  panel->SetBounds(35, 45, 220, 130);
  ASSERT_TRUE(PumpUntil([&] { return Attributes(w).width == 220; }));
  a = Attributes(w);
  EXPECT_EQ(a.height, 130);
  EXPECT_EQ(a.x, 35);
  EXPECT_EQ(Title(w), "Again");

  panel->Hide();
  ASSERT_TRUE(PumpUntil([&] { return Attributes(w).map_state == IsUnmapped; }));
  panel->Show();
  ASSERT_TRUE(PumpUntil([&] { return Attributes(w).map_state == IsViewable; }));
  EXPECT_EQ(backend_->WindowOf(panel), w);

  controls_.clear();
  Settle();
  EXPECT_FALSE(WindowExists(w));
  EXPECT_EQ(backend_->ErrorCount(), 0);
}

TEST_F(X11Backend, AControlWithoutCaptionIsTitledWithItsNameAndChildrenHaveNoWindow) {
  auto panel = std::make_unique<TPanel>();
  panel->SetName("ToolPanel");
  panel->SetBounds(0, 0, 100, 50);
  auto child = std::make_unique<TPanel>();
  child->SetParent(panel.get());
  child->Show();
  panel->Show();
  Settle();
  EXPECT_EQ(Title(backend_->WindowOf(panel.get())), "ToolPanel");
  EXPECT_EQ(backend_->WindowOf(child.get()), 0u);

  // A shown top-level control put into a parent gives up its window.
  auto other = std::make_unique<TPanel>();
  other->SetBounds(0, 0, 30, 30);
  other->Show();
  Settle();
  const Window w = backend_->WindowOf(other.get());
  ASSERT_NE(w, 0u);
  other->SetParent(panel.get());
  Settle();
  EXPECT_EQ(backend_->WindowOf(other.get()), 0u);
  EXPECT_FALSE(WindowExists(w));
}

TEST_F(X11Backend, TheTitleCarriesTheCaptionsCharactersAsUtf8) {
  // The caption is Windows-1252: u-umlaut (Latin-1) and an en dash (0x96).
  TPanel* panel = ShowPanel(0, 0, 100, 50, "Z\xFCrich \x96 map");
  const Window w = backend_->WindowOf(panel);
  const auto net_wm_name = [&] {
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    std::string r;
    if (XGetWindowProperty(user_, w, XInternAtom(user_, "_NET_WM_NAME", False), 0, 1024, False,
                           XInternAtom(user_, "UTF8_STRING", False), &type, &format, &count, &after,
                           &data) == Success &&
        data != nullptr) {
      r.assign(reinterpret_cast<char*>(data), count);
    }
    if (data != nullptr) XFree(data);
    return r;
  };
  EXPECT_EQ(net_wm_name(), "Z\xC3\xBCrich \xE2\x80\x93 map");
  // WM_NAME is Latin-1, which has no dash.
  EXPECT_EQ(Title(w), "Z\xFCrich ? map");

  panel->SetCaption("\x80 5");
  ASSERT_TRUE(PumpUntil([&] { return net_wm_name() == "\xE2\x82\xAC 5"; }));
  EXPECT_EQ(Title(w), "? 5");
}

// ----------------------------------------------------------------- pictures
TEST_F(X11Backend, TheWindowShowsExactlyTheComposedControlAndFollowsItsChanges) {
  TPanel* panel = ShowPanel(10, 10, 160, 90, "Picture");
  panel->SetBevelInner(bvLowered);
  auto* area = new TCustomControl(panel);
  area->SetParent(panel);
  area->SetBounds(40, 10, 110, 70);
  area->SetColor(clWhite);
  TColor ink = clRed;
  area->OnPaint = [&](TObject*) {
    TCanvas* c = area->GetCanvas();
    c->GetBrush()->SetColor(ink);
    c->Ellipse(5, 5, 60, 50);
    c->GetPen()->SetColor(clBlue);
    c->MoveTo(0, 69);
    c->LineTo(109, 0);
  };
  std::vector<TSpeedButton*> buttons;
  for (int i = 0; i < 3; ++i) {
    auto* b = buttons.emplace_back(new TSpeedButton(panel));
    b->SetParent(panel);
    b->SetBounds(8, 8 + 25 * i, 23, 22);
    b->SetGroupIndex(1);
  }
  buttons[2]->SetDown(true);
  const Window w = backend_->WindowOf(panel);
  ASSERT_TRUE(PumpUntil([&] { return ReadWindow(w, 160, 90) == Pixels(panel); }));

  // Several invalidations before the next round give one new picture.
  Settle();
  const int frames = backend_->FramesPresented();
  ink = clLime;
  area->Invalidate();
  buttons[1]->Invalidate();
  buttons[0]->SetDown(true);
  Application().ProcessMessages();
  backend_->Sync();
  EXPECT_EQ(backend_->FramesPresented(), frames + 1);
  EXPECT_EQ(ReadWindow(w, 160, 90), Pixels(panel));
  EXPECT_EQ(Pixels(panel)[static_cast<size_t>(90 / 2) * 160 + 40 + 30],
            static_cast<uint32_t>(clLime));

  // A control that repaints itself at once (Repaint, no invalidation) shows.
  ink = clFuchsia;
  area->Repaint();
  ASSERT_TRUE(PumpUntil([&] { return ReadWindow(w, 160, 90) == Pixels(panel); }));

  // A hidden and shown again window gets its picture back.
  panel->Hide();
  Settle();
  panel->Show();
  ASSERT_TRUE(PumpUntil([&] { return ReadWindow(w, 160, 90) == Pixels(panel); }));
}

// The shared-memory segments this process created that still exist.
int OwnSharedMemorySegments() {
  std::ifstream in("/proc/sysvipc/shm");
  std::string line;
  if (!std::getline(in, line)) return -1;
  std::istringstream header(line);
  std::vector<std::string> columns{std::istream_iterator<std::string>(header), {}};
  const auto cpid = std::find(columns.begin(), columns.end(), "cpid") - columns.begin();
  int n = 0;
  while (std::getline(in, line)) {
    std::istringstream fields(line);
    std::vector<std::string> f{std::istream_iterator<std::string>(fields), {}};
    if (static_cast<size_t>(cpid) < f.size() &&
        f[static_cast<size_t>(cpid)] == std::to_string(getpid()))
      ++n;
  }
  return n;
}

TEST_F(X11Backend, SharedMemoryPicturesAreThePlainOnesAndFollowResizes) {
#ifndef TKZ_HAVE_XSHM
  GTEST_SKIP() << "built without libXext";
#endif
  ASSERT_TRUE(backend_->UsesSharedMemory());
  const auto build = [&](int width, int height) {
    TPanel* panel = ShowPanel(10, 10, width, height, "Shared");
    panel->SetBevelInner(bvLowered);
    auto* area = new TCustomControl(panel);
    area->SetParent(panel);
    area->SetBounds(20, 10, 100, 60);
    area->SetColor(clWhite);
    area->OnPaint = [area](TObject*) {
      TCanvas* c = area->GetCanvas();
      c->GetBrush()->SetColor(clNavy);
      c->Ellipse(5, 5, 70, 50);
      c->GetPen()->SetColor(clRed);
      c->MoveTo(0, 59);
      c->LineTo(99, 0);
    };
    return panel;
  };
  TPanel* panel = build(150, 90);
  Window w = backend_->WindowOf(panel);
  ASSERT_TRUE(PumpUntil([&] { return ReadWindow(w, 150, 90) == Pixels(panel); }));
  const std::vector<uint32_t> shared = ReadWindow(w, 150, 90);
  EXPECT_GE(OwnSharedMemorySegments(), 1);

  // One picture per round, as with plain puts.
  Settle();
  const int frames = backend_->FramesPresented();
  panel->Invalidate();
  Application().ProcessMessages();
  backend_->Sync();
  EXPECT_EQ(backend_->FramesPresented(), frames + 1);

  // A larger and then a smaller window get a segment of their size.
  for (const auto& [width, height] : {std::pair{320, 200}, std::pair{90, 70}}) {
    panel->SetBounds(10, 10, width, height);
    ASSERT_TRUE(PumpUntil([&] { return ReadWindow(w, width, height) == Pixels(panel); }))
        << width << "x" << height;
  }
  EXPECT_TRUE(backend_->UsesSharedMemory());

  // The window's segment goes with the window, and with the backend.
  controls_.clear();
  Settle();
  EXPECT_EQ(OwnSharedMemorySegments(), 0);
  panel = build(150, 90);
  ASSERT_TRUE(PumpUntil([&] { return OwnSharedMemorySegments() == 1; }));
  SetWindowBackend(nullptr);
  backend_.reset();
  EXPECT_EQ(OwnSharedMemorySegments(), 0);
  controls_.clear();

  // Turned off: the same picture through XPutImage.
  setenv("TKZ_X11_NO_SHM", "1", 1);
  backend_ = TX11Backend::Open(DisplayString(user_));
  unsetenv("TKZ_X11_NO_SHM");
  ASSERT_NE(backend_, nullptr);
  SetWindowBackend(backend_.get());
  EXPECT_FALSE(backend_->UsesSharedMemory());
  panel = build(150, 90);
  w = backend_->WindowOf(panel);
  ASSERT_TRUE(PumpUntil([&] { return ReadWindow(w, 150, 90) == Pixels(panel); }));
  EXPECT_EQ(ReadWindow(w, 150, 90), shared);
  EXPECT_EQ(OwnSharedMemorySegments(), 0);
  EXPECT_EQ(backend_->ErrorCount(), 0);
}

// -------------------------------------------------------------------- input
TEST_F(X11Backend, ButtonsArriveAsMouseMessagesAtTheControlUnderThePointer) {
  TPanel* panel = ShowPanel(20, 30, 200, 100, "Mouse");
  auto* target = new TCustomControl(panel);
  target->SetParent(panel);
  target->SetBounds(50, 20, 100, 60);
  Recorder rec;
  rec.Attach(target);
  const Window w = backend_->WindowOf(panel);

  Click(w, 1, ShiftMask | ControlMask, 60, 30, 1000);
  ASSERT_TRUE(PumpUntil([&] { return rec.log.size() >= 2; }));
  EXPECT_EQ(rec.log, (std::vector<std::string>{"down left 10,10 Shift Ctrl Left",
                                               "up left 10,10 Shift Ctrl"}));
  EXPECT_EQ(rec.clicks, 1);

  rec.log.clear();
  Click(w, 3, Mod1Mask, 149, 79, 5000);
  Click(w, 2, 0, 51, 21, 10000);
  ASSERT_TRUE(PumpUntil([&] { return rec.log.size() >= 4; }));
  EXPECT_EQ(rec.log, (std::vector<std::string>{"down right 99,59 Alt Right", "up right 99,59 Alt",
                                               "down middle 1,1 Middle", "up middle 1,1"}));
  EXPECT_EQ(rec.clicks, 1);

  // A press outside the child goes to the panel, not to the child.
  rec.log.clear();
  Click(w, 1, 0, 5, 5, 15000);
  Settle();
  EXPECT_TRUE(rec.log.empty());
}

TEST_F(X11Backend, TheWheelGivesOneHundredTwentyPerNotchAndMovesAreCompressed) {
  TPanel* panel = ShowPanel(20, 30, 200, 100, "Wheel");
  Recorder rec;
  rec.Attach(panel);
  const Window w = backend_->WindowOf(panel);

  SendButton(w, true, 4, 0, 10, 20);
  SendButton(w, false, 4, Button4Mask, 10, 20);
  SendButton(w, true, 5, ShiftMask, 11, 21);
  SendButton(w, false, 5, ShiftMask | Button5Mask, 11, 21);
  ASSERT_TRUE(PumpUntil([&] { return rec.log.size() >= 2; }));
  EXPECT_EQ(rec.log, (std::vector<std::string>{"wheel 120 at 30,50", "wheel -120 at 31,51 Shift"}));

  // A burst of moves arrives as its last one (the server sends them in one go).
  rec.log.clear();
  for (int i = 0; i < 20; ++i) SendMotion(w, Button1Mask, 100 + i, 50);
  SendButton(w, true, 3, Button1Mask, 119, 50);
  XSync(user_, False);
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  ASSERT_TRUE(PumpUntil([&] { return !rec.log.empty() && rec.log.back().rfind("down", 0) == 0; }));
  ASSERT_GE(rec.log.size(), 2u);
  EXPECT_LT(rec.log.size(), 10u);
  EXPECT_EQ(rec.log[rec.log.size() - 2], "move 119,50 Left");
}

TEST_F(X11Backend, TwoQuickPressesOfOneButtonCloseTogetherAreADoubleClick) {
  TPanel* panel = ShowPanel(0, 0, 200, 100, "Double");
  Recorder rec;
  rec.Attach(panel);
  const Window w = backend_->WindowOf(panel);

  Click(w, 1, 0, 50, 50, 100000);
  Click(w, 1, 0, 53, 46, 100000 + TX11Backend::kDoubleClickMs);
  ASSERT_TRUE(PumpUntil([&] { return rec.log.size() >= 4; }));
  EXPECT_EQ(rec.dblclicks, 1);
  EXPECT_EQ(rec.log[2], "down left 53,46 Left Double");
  EXPECT_EQ(rec.clicks, 1);  // the double click's up is no click

  // Too slow, too far, another button, or a third press: single presses.
  rec.log.clear();
  Click(w, 1, 0, 50, 50, 200000);
  Click(w, 1, 0, 50, 50, 200000 + TX11Backend::kDoubleClickMs + 1);
  Click(w, 1, 0, 55, 50, 200000 + TX11Backend::kDoubleClickMs + 200);
  Click(w, 3, 0, 55, 50, 200000 + TX11Backend::kDoubleClickMs + 300);
  Click(w, 3, 0, 55, 50, 200000 + TX11Backend::kDoubleClickMs + 400);  // a double
  Click(w, 3, 0, 55, 50, 200000 + TX11Backend::kDoubleClickMs + 500);
  ASSERT_TRUE(PumpUntil([&] { return rec.log.size() >= 12; }));
  EXPECT_EQ(rec.dblclicks, 2);
  for (size_t i : {0u, 2u, 4u, 6u, 10u}) {
    EXPECT_EQ(rec.log[i].find("Double"), std::string::npos) << rec.log[i];
  }
  EXPECT_NE(rec.log[8].find("Double"), std::string::npos);
}

#ifdef TKZ_HAVE_XTEST
TEST_F(X11Backend, RealPointerInputPressesASpeedButton) {
  TPanel* panel = ShowPanel(100, 80, 120, 60, "Buttons");
  auto* b = new TSpeedButton(panel);
  b->SetParent(panel);
  b->SetBounds(30, 20, 23, 22);
  int clicks = 0;
  b->OnClick = [&](TObject*) { ++clicks; };
  int ev = 0, err = 0, major = 0, minor = 0;
  if (!XTestQueryExtension(user_, &ev, &err, &major, &minor)) GTEST_SKIP() << "no XTest";
  Settle();
  XTestFakeMotionEvent(user_, DefaultScreen(user_), 100 + 40, 80 + 30, 0);
  XTestFakeButtonEvent(user_, 1, True, 0);
  XSync(user_, False);
  // Drawn pressed while the button is held.
  ASSERT_TRUE(PumpUntil([&] {
    return Application().GetCapture() == b &&
           ReadWindow(backend_->WindowOf(panel), 120, 60) == Pixels(panel);
  }));
  XTestFakeButtonEvent(user_, 1, False, 0);
  ASSERT_TRUE(PumpUntil([&] { return clicks == 1; }));
  XTestFakeMotionEvent(user_, DefaultScreen(user_), 0, 0, 0);
  XSync(user_, False);
}

#ifdef TKZ_HAVE_XFIXES
// The cursor shown at a screen point, as size, hot spot and pixels.
std::vector<unsigned long> CursorAt(Display* d, int x, int y) {
  XTestFakeMotionEvent(d, DefaultScreen(d), x, y, 0);
  XSync(d, False);
  XFixesCursorImage* img = XFixesGetCursorImage(d);
  if (img == nullptr) return {};
  std::vector<unsigned long> r = {img->width, img->height, img->xhot, img->yhot};
  r.insert(r.end(), img->pixels, img->pixels + size_t{img->width} * img->height);
  XFree(img);
  return r;
}

TEST_F(X11Backend, TheCursorIsTheOneOfTheControlUnderThePointer) {
  int ev = 0, err = 0, major = 0, minor = 0;
  if (!XTestQueryExtension(user_, &ev, &err, &major, &minor) ||
      !XFixesQueryExtension(user_, &ev, &err)) {
    GTEST_SKIP() << "no XTest or XFixes";
  }
  XFixesQueryVersion(user_, &major, &minor);
  // The user's own window shows the expected cursor font shapes.
  const Window probe =
      XCreateSimpleWindow(user_, DefaultRootWindow(user_), 600, 450, 40, 40, 0, 0, 0);
  XMapWindow(user_, probe);
  const auto shape = [&](unsigned glyph) {
    const Cursor cursor = XCreateFontCursor(user_, glyph);
    XDefineCursor(user_, probe, cursor);
    std::vector<unsigned long> r = CursorAt(user_, 620, 470);
    XFreeCursor(user_, cursor);
    return r;
  };
  const auto cross = shape(XC_crosshair);
  const auto hand = shape(XC_hand2);
  const auto watch = shape(XC_watch);
  ASSERT_NE(cross, hand);

  TPanel* panel = ShowPanel(20, 20, 200, 100, "Cursors");
  auto* child = new TCustomControl(panel);
  child->SetParent(panel);
  child->SetBounds(100, 0, 100, 100);
  child->SetCursor(crCross);
  panel->SetCursor(crHandPoint);
  Settle();
  EXPECT_TRUE(PumpUntil([&] { return CursorAt(user_, 20 + 150, 20 + 50) == cross; }));
  EXPECT_TRUE(PumpUntil([&] { return CursorAt(user_, 20 + 50, 20 + 50) == hand; }));
  // A cursor set while the pointer is over the control shows at once.
  child->SetCursor(crHandPoint);
  EXPECT_TRUE(PumpUntil([&] { return CursorAt(user_, 20 + 151, 20 + 50) == hand; }));
  // The screen's cursor wins everywhere until it is crDefault again.
  Screen().SetCursor(crHourGlass);
  EXPECT_TRUE(PumpUntil([&] { return CursorAt(user_, 20 + 50, 20 + 50) == watch; }));
  Screen().SetCursor(crDefault);
  EXPECT_TRUE(PumpUntil([&] { return CursorAt(user_, 20 + 51, 20 + 50) == hand; }));
  XDestroyWindow(user_, probe);
}
#endif
#endif

// -------------------------------------------------------------- window life
TEST_F(X11Backend, ResizingOrMovingTheWindowChangesTheControlWithoutBouncingBack) {
  TPanel* panel = ShowPanel(0, 0, 200, 100, "Resize");
  int resizes = 0;
  panel->OnResize = [&](TObject*) { ++resizes; };
  const Window w = backend_->WindowOf(panel);
  XResizeWindow(user_, w, 300, 150);
  ASSERT_TRUE(PumpUntil([&] { return panel->GetWidth() == 300; }));
  EXPECT_EQ(panel->GetHeight(), 150);
  EXPECT_GE(resizes, 1);
  Settle();
  XWindowAttributes a = Attributes(w);
  EXPECT_EQ(a.width, 300);
  EXPECT_EQ(a.height, 150);
  ASSERT_TRUE(PumpUntil([&] { return ReadWindow(w, 300, 150) == Pixels(panel); }));

  // Two sizes set by the program in quick succession: the window's report
  // of the first, arriving after the second was sent, changes nothing.
  std::vector<int> widths;
  panel->OnResize = [&](TObject*) { widths.push_back(panel->GetWidth()); };
  panel->SetWidth(220);
  Application().ProcessMessages();
  backend_->Sync();  // the report of 220 is read and waits in the queue
  panel->SetWidth(240);
  Application().ProcessMessages();
  Settle();
  EXPECT_EQ(widths, (std::vector<int>{220, 240}));
  EXPECT_EQ(Attributes(w).width, 240);

  // A move by the user moves the control on the screen.
  XMoveWindow(user_, w, 200, 150);
  ASSERT_TRUE(PumpUntil([&] { return panel->GetLeft() == 200 && panel->GetTop() == 150; }));
  EXPECT_EQ(panel->ClientToScreen(Point(1, 2)), Point(201, 152));
  Settle();
  EXPECT_EQ(Attributes(w).x, 200);

  // A program that insists on its own size wins after the message.
  panel->OnResize = [&](TObject*) { panel->SetWidth(250); };
  XResizeWindow(user_, w, 280, 150);
  ASSERT_TRUE(PumpUntil([&] { return Attributes(w).width == 250; }));
  EXPECT_EQ(panel->GetWidth(), 250);
}

TEST_F(X11Backend, TheCloseBoxHidesTheControlAndTheLoopEndsWhenNothingIsShown) {
  TPanel* first = ShowPanel(0, 0, 100, 60, "First");
  TPanel* second = ShowPanel(120, 0, 100, 60, "Second");
  SendClose(backend_->WindowOf(first));
  ASSERT_TRUE(PumpUntil([&] { return !first->GetVisible(); }));
  EXPECT_TRUE(second->GetVisible());
  EXPECT_EQ(Attributes(backend_->WindowOf(first)).map_state, IsUnmapped);

  // The main loop runs while the second window is shown.
  SendClose(backend_->WindowOf(second));
  XSync(user_, False);
  Application().Run();
  backend_->Sync();
  EXPECT_FALSE(second->GetVisible());
  EXPECT_EQ(Attributes(backend_->WindowOf(second)).map_state, IsUnmapped);
  EXPECT_FALSE(backend_->WaitForEvents(Application()));
}

TEST_F(X11Backend, TheScreenIsTheServersScreen) {
  EXPECT_EQ(Screen().GetWidth(), 800);
  EXPECT_EQ(Screen().GetHeight(), 600);
  EXPECT_GE(Screen().GetPixelsPerInch(), 48);
  EXPECT_LE(Screen().GetPixelsPerInch(), 480);

  // Cursors of every kind can be shown; none is an error on the wire.
  TPanel* panel = ShowPanel(0, 0, 100, 60, "Cursors");
  SendMotion(backend_->WindowOf(panel), 0, 10, 10);
  Settle();
  Screen().RegisterCursor(5, "pencil");
  Screen().RegisterCursor(6, "crSizeAll");
  Screen().RegisterCursor(7, "no such cursor");
  for (TCursor c :
       {crCross, crNone, crIBeam, crHandPoint, TCursor{5}, TCursor{6}, TCursor{7}, crDefault}) {
    panel->SetCursor(c);
  }
  Screen().SetCursor(crHourGlass);
  Screen().SetCursor(crDefault);
  for (TCursor c : {TCursor{5}, TCursor{6}, TCursor{7}}) Screen().RegisterCursor(c, "");
  Settle();
  EXPECT_EQ(backend_->ErrorCount(), 0);
}

TEST(X11BackendOpen, ADisplayThatCannotBeOpenedGivesNothing) {
  std::string why;
  EXPECT_EQ(TX11Backend::Open(":65000", &why), nullptr);
  EXPECT_NE(why.find(":65000"), std::string::npos);
}

TEST(X11BackendOpen, ALostServerEndsTheLoopInsteadOfTheProgram) {
#ifndef TKZ_HAVE_XIO_EXIT_HANDLER
  GTEST_SKIP() << "this Xlib ends the process on a lost connection";
#endif
  XServer server;
  std::string why;
  if (!server.Start(&why)) GTEST_SKIP() << why;
  auto backend = TX11Backend::Open(server.Name().c_str(), &why);
  ASSERT_NE(backend, nullptr) << why;
  SetWindowBackend(backend.get());
  {
    TPanel panel;
    panel.SetBounds(0, 0, 50, 50);
    panel.Show();
    Application().ProcessMessages();
    ASSERT_NE(backend->WindowOf(&panel), 0u);
    server.Stop();
    EXPECT_FALSE(backend->WaitForEvents(Application()));
    EXPECT_FALSE(backend->Connected());
    // Everything afterwards is harmless.
    panel.Invalidate();
    panel.Hide();
    panel.Show();
    Application().ProcessMessages();
    while (Application().MessageCount() > 0) Application().HandleMessage();
    EXPECT_FALSE(Application().HandleMessage());
  }
  SetWindowBackend(nullptr);
  backend.reset();
  ResetApplication();
}

}  // namespace
}  // namespace tkz

#endif
