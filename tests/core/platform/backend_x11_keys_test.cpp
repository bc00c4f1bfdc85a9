// The X11 backend's keyboard and its wake-up from other threads, driven by
// real key events (XTest) and by events the user connection sends.
#ifdef TKZ_HAVE_X11

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "tests/core/platform/backend_x11_fixture.h"

// Xlib's macros (None, Bool, Status) come last.
#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/keysym.h>
#ifdef TKZ_HAVE_XTEST
#include <X11/extensions/XTest.h>
#endif

namespace tkz {
namespace {

using Log = std::vector<std::string>;

// The key messages that reach a control, one line each: "down 65 Shift",
// "press 97", "up 65".
void RecordKeys(TControl* c, Log& log) {
  c->OnKeyDown = [&log](TObject*, uint16_t& key, TShiftState s) {
    log.push_back("down " + std::to_string(key) + x11test::Recorder::Shift(s));
  };
  c->OnKeyUp = [&log](TObject*, uint16_t& key, TShiftState s) {
    log.push_back("up " + std::to_string(key) + x11test::Recorder::Shift(s));
  };
  c->OnKeyPress = [&log](TObject*, char& ch) {
    log.push_back("press " + std::to_string(static_cast<unsigned char>(ch)));
  };
}

class X11Keys : public x11test::X11Backend {
 protected:
  void SetUp() override {
    X11Backend::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    // Held keys must not repeat while a test pumps slowly.
    XAutoRepeatOff(user_);
    XSync(user_, False);
  }

  void Focus(Window w) {
    XSetInputFocus(user_, w, RevertToPointerRoot, CurrentTime);
    XSync(user_, False);
  }

#ifdef TKZ_HAVE_XTEST
  void Key(KeySym sym, bool press) {
    const KeyCode code = XKeysymToKeycode(user_, sym);
    ASSERT_NE(code, 0) << "no key for keysym " << std::hex << sym;
    XTestFakeKeyEvent(user_, code, press ? True : False, 0);
  }
  // Presses the modifiers, taps the key, releases the modifiers.
  void Tap(KeySym sym, const std::vector<KeySym>& mods) {
    for (KeySym m : mods) Key(m, true);
    Key(sym, true);
    Key(sym, false);
    for (auto m = mods.rbegin(); m != mods.rend(); ++m) Key(*m, false);
    XSync(user_, False);
  }
  // Taps F11 and waits for its release, so that everything sent before has
  // been handled; returns the log without it.
  Log Settled(Log& log) {
    Tap(XK_F11, {});
    EXPECT_TRUE(PumpUntil([&] { return !log.empty() && log.back() == "up 122"; }));
    Log r = log;
    if (r.size() >= 2) r.resize(r.size() - 2);
    log.clear();
    return r;
  }
#endif

  // Sends what the server would send for a key (time in milliseconds).
  void SendKey(Window w, bool press, unsigned keycode, unsigned state, Time time) {
    XEvent ev{};
    ev.xkey.type = press ? KeyPress : KeyRelease;
    ev.xkey.window = w;
    ev.xkey.root = DefaultRootWindow(user_);
    ev.xkey.keycode = keycode;
    ev.xkey.state = state;
    ev.xkey.time = time;
    ev.xkey.same_screen = True;
    XSendEvent(user_, w, False, press ? KeyPressMask : KeyReleaseMask, &ev);
  }
};

#ifdef TKZ_HAVE_XTEST
TEST_F(X11Keys, KeysGiveTheirVirtualKeyShiftStateAndCharacter) {
  int ev = 0, err = 0, major = 0, minor = 0;
  if (!XTestQueryExtension(user_, &ev, &err, &major, &minor)) GTEST_SKIP() << "no XTest";
  TPanel* panel = ShowPanel(10, 10, 120, 80, "Keys");
  Log log;
  RecordKeys(panel, log);
  Focus(backend_->WindowOf(panel));

  // Keysyms the default keymap lacks go on a spare keycode.
  int min_code = 0, max_code = 0;
  XDisplayKeycodes(user_, &min_code, &max_code);
  KeyCode spare = 0;
  for (int kc = max_code; kc >= min_code && spare == 0; --kc) {
    int per = 0;
    KeySym* syms = XGetKeyboardMapping(user_, static_cast<KeyCode>(kc), 1, &per);
    bool empty = true;
    for (int i = 0; i < per; ++i) empty = empty && syms[i] == NoSymbol;
    XFree(syms);
    if (empty) spare = static_cast<KeyCode>(kc);
  }
  ASSERT_NE(spare, 0);
  const auto map_spare = [&](KeySym sym) {
    XChangeKeyboardMapping(user_, spare, 1, &sym, 1);
    XSync(user_, False);
    Settle();  // the backend reads the new map
  };
  const unsigned numlock = XkbKeysymToModifiers(user_, XK_Num_Lock);
  ASSERT_NE(numlock, 0u);

  struct Case {
    KeySym sym;
    std::vector<KeySym> mods;
    unsigned locks;  // locked modifiers: NumLock, Caps Lock
    Log expected;
  };
  const std::vector<KeySym> shift = {XK_Shift_L};
  const std::vector<KeySym> ctrl = {XK_Control_L};
  const std::vector<KeySym> alt = {XK_Alt_L};
  const Case cases[] = {
      {XK_a, {}, 0, {"down 65", "press 97", "up 65"}},
      {XK_a, shift, 0, {"down 16 Shift", "down 65 Shift", "press 65", "up 65 Shift", "up 16"}},
      {XK_a, ctrl, 0, {"down 17 Ctrl", "down 65 Ctrl", "press 1", "up 65 Ctrl", "up 17"}},
      {XK_z, ctrl, 0, {"down 17 Ctrl", "down 90 Ctrl", "press 26", "up 90 Ctrl", "up 17"}},
      {XK_a, alt, 0, {"down 18 Alt", "down 65 Alt", "up 65 Alt", "up 18"}},
      {XK_5, {}, 0, {"down 53", "press 53", "up 53"}},
      {XK_5, shift, 0, {"down 16 Shift", "down 53 Shift", "press 37", "up 53 Shift", "up 16"}},
      {XK_F1, {}, 0, {"down 112", "up 112"}},
      {XK_F12, shift, 0, {"down 16 Shift", "down 123 Shift", "up 123 Shift", "up 16"}},
      {XK_Left, {}, 0, {"down 37", "up 37"}},
      {XK_Up, {}, 0, {"down 38", "up 38"}},
      {XK_Right, {}, 0, {"down 39", "up 39"}},
      {XK_Down, {}, 0, {"down 40", "up 40"}},
      {XK_Home, {}, 0, {"down 36", "up 36"}},
      {XK_End, {}, 0, {"down 35", "up 35"}},
      {XK_Prior, {}, 0, {"down 33", "up 33"}},
      {XK_Next, {}, 0, {"down 34", "up 34"}},
      {XK_Insert, {}, 0, {"down 45", "up 45"}},
      {XK_Delete, {}, 0, {"down 46", "up 46"}},
      {XK_Return, {}, 0, {"down 13", "press 13", "up 13"}},
      {XK_KP_Enter, {}, 0, {"down 13", "press 13", "up 13"}},
      {XK_Tab, {}, 0, {"down 9", "press 9", "up 9"}},
      {XK_Tab, shift, 0, {"down 16 Shift", "down 9 Shift", "press 9", "up 9 Shift", "up 16"}},
      {XK_a, {}, LockMask, {"down 65", "press 65", "up 65"}},
      {XK_a,
       shift,
       LockMask,
       {"down 16 Shift", "down 65 Shift", "press 97", "up 65 Shift", "up 16"}},
      {XK_BackSpace, {}, 0, {"down 8", "press 8", "up 8"}},
      {XK_Escape, {}, 0, {"down 27", "press 27", "up 27"}},
      {XK_space, {}, 0, {"down 32", "press 32", "up 32"}},
      {XK_Return, ctrl, 0, {"down 17 Ctrl", "down 13 Ctrl", "up 13 Ctrl", "up 17"}},
      {XK_equal, {}, 0, {"down 187", "press 61", "up 187"}},
      {XK_equal,
       shift,
       false,
       {"down 16 Shift", "down 187 Shift", "press 43", "up 187 Shift", "up 16"}},
      {XK_minus, {}, 0, {"down 189", "press 45", "up 189"}},
      {XK_comma, {}, 0, {"down 188", "press 44", "up 188"}},
      {XK_period, {}, 0, {"down 190", "press 46", "up 190"}},
      {XK_Shift_R, {}, 0, {"down 16 Shift", "up 16"}},
      {XK_Control_R, {}, 0, {"down 17 Ctrl", "up 17"}},
      // The keypad: digits and operators with NumLock, else the moves.
      {XK_KP_1, {}, numlock, {"down 97", "press 49", "up 97"}},
      {XK_KP_0, {}, numlock, {"down 96", "press 48", "up 96"}},
      {XK_KP_9, {}, numlock, {"down 105", "press 57", "up 105"}},
      {XK_KP_Decimal, {}, numlock, {"down 110", "press 46", "up 110"}},
      {XK_KP_End, {}, 0, {"down 35", "up 35"}},
      {XK_KP_Add, {}, 0, {"down 107", "press 43", "up 107"}},
      {XK_KP_Subtract, {}, 0, {"down 109", "press 45", "up 109"}},
      {XK_KP_Multiply, {}, 0, {"down 106", "press 42", "up 106"}},
      {XK_KP_Divide, {}, 0, {"down 111", "press 47", "up 111"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(XKeysymToString(c.sym) + (" locks " + std::to_string(c.locks)));
    if (c.locks != 0) XkbLockModifiers(user_, XkbUseCoreKbd, c.locks, c.locks);
    XSync(user_, False);
    Tap(c.sym, c.mods);
    Log got = Settled(log);
    // The locks do not show in the shift state.
    EXPECT_EQ(got, c.expected);
    if (c.locks != 0) XkbLockModifiers(user_, XkbUseCoreKbd, c.locks, 0);
  }

  // Characters beyond the keymap: Windows-1252's extras have their bytes,
  // others type nothing (and have no virtual key).
  const std::pair<KeySym, Log> typed[] = {
      {XK_EuroSign, {"press 128"}},
      {0x1000000 + 0x2122, {"press 153"}},  // U+2122 TRADE MARK SIGN
      {XK_udiaeresis, {"press 252"}},
      {XK_Greek_alpha, {}},
      {0x1000000 + 0x4E2D, {}},  // a CJK ideograph
  };
  for (const auto& [sym, expected] : typed) {
    SCOPED_TRACE(std::to_string(sym));
    map_spare(sym);
    XTestFakeKeyEvent(user_, spare, True, 0);
    XTestFakeKeyEvent(user_, spare, False, 0);
    XSync(user_, False);
    EXPECT_EQ(Settled(log), expected);
  }
  map_spare(NoSymbol);
  EXPECT_EQ(backend_->ErrorCount(), 0);
}

TEST_F(X11Keys, AKeyHeldWhileTheKeyboardMovesToAnotherWindowIsReleasedForTheFirst) {
  int ev = 0, err = 0, major = 0, minor = 0;
  if (!XTestQueryExtension(user_, &ev, &err, &major, &minor)) GTEST_SKIP() << "no XTest";
  TPanel* first = ShowPanel(10, 10, 100, 60, "First");
  TPanel* second = ShowPanel(200, 10, 100, 60, "Second");
  Log first_log, second_log;
  RecordKeys(first, first_log);
  RecordKeys(second, second_log);

  Focus(backend_->WindowOf(first));
  Key(XK_Shift_L, true);
  Key(XK_b, true);
  XSync(user_, False);
  ASSERT_TRUE(PumpUntil([&] { return first_log.size() >= 3; }));
  Focus(backend_->WindowOf(second));
  Key(XK_b, false);
  Key(XK_Shift_L, false);
  XSync(user_, False);
  ASSERT_TRUE(PumpUntil([&] { return first_log.size() >= 5; }));
  EXPECT_EQ(first_log, (Log{"down 16 Shift", "down 66 Shift", "press 66", "up 16", "up 66"}));
  // The second window saw releases only: no key messages.
  EXPECT_EQ(Settled(second_log), Log{});
}
#endif

TEST_F(X11Keys, AutoRepeatGivesRepeatedKeyDownsWithoutKeyUpsBetween) {
  TPanel* panel = ShowPanel(10, 10, 120, 80, "Repeat");
  Log log;
  RecordKeys(panel, log);
  const Window w = backend_->WindowOf(panel);
  const unsigned a = XKeysymToKeycode(user_, XK_a);
  // Held: the server repeats the press, each time with a release of the
  // same time stamp before it.
  SendKey(w, true, a, 0, 1000);
  SendKey(w, false, a, 0, 1500);
  SendKey(w, true, a, 0, 1500);
  SendKey(w, false, a, 0, 1530);
  SendKey(w, true, a, 0, 1530);
  SendKey(w, false, a, 0, 1700);
  // Typed twice: a real release between.
  SendKey(w, true, a, ShiftMask, 2000);
  SendKey(w, false, a, ShiftMask, 2100);
  SendKey(w, true, a, ShiftMask, 2101);
  SendKey(w, false, a, ShiftMask, 2200);
  XSync(user_, False);
  ASSERT_TRUE(PumpUntil([&] { return log.size() >= 13; }));
  EXPECT_EQ(log, (Log{"down 65", "press 97", "down 65", "press 97", "down 65", "press 97", "up 65",
                      "down 65 Shift", "press 65", "up 65 Shift", "down 65 Shift", "press 65",
                      "up 65 Shift"}));
}

TEST_F(X11Keys, WorkPostedFromAnotherThreadWakesAWaitingLoop) {
  TPanel* panel = ShowPanel(10, 10, 60, 40, "Wake");
  Settle();
  std::atomic<bool> ran = false;
  std::atomic<bool> rescued = false;
  // Should the wake-up fail, the worker ends the wait with an X event after
  // a while, so that the test fails instead of hanging.
  const std::string display = DisplayString(user_);
  const Window w = backend_->WindowOf(panel);
  std::thread worker([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    Application().PostFromThread([&] { ran = true; });
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!ran && std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    if (ran) return;
    rescued = true;
    if (Display* d = XOpenDisplay(display.c_str())) {
      XEvent ev{};
      ev.xexpose.type = Expose;
      ev.xexpose.window = w;
      ev.xexpose.width = 1;
      ev.xexpose.height = 1;
      XSendEvent(d, w, False, ExposureMask, &ev);
      XCloseDisplay(d);
    }
  });
  while (!ran && !rescued && Application().HandleMessage()) {
  }
  // What a rescue brought is pumped out.
  Application().ProcessMessages();
  worker.join();
  EXPECT_TRUE(ran);
  EXPECT_FALSE(rescued) << "the wait ended only through the X event";
}

}  // namespace
}  // namespace tkz

#endif
