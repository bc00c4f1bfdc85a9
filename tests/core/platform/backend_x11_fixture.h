// The X11 backend's test fixture: a private X server (Xvfb) per test
// program, a backend per test and a second Xlib connection that plays the
// user (or another program). Included by the X11 backend's test files only
// when Xlib is there (TKZ_HAVE_X11).
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "core/platform/application.h"
#include "core/platform/backend_x11.h"
#include "core/platform/stdctrls.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <thread>

// Xlib's macros (None, Bool, Status) come last.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#ifdef TKZ_HAVE_XTEST
#include <X11/extensions/XTest.h>

#include "tests/support/window_pixels.h"
#endif
#ifdef TKZ_HAVE_XFIXES
#include <X11/cursorfont.h>
#include <X11/extensions/Xfixes.h>
#endif

namespace tkz {
namespace x11test {

// A private X server (Xvfb) on a display number it picks itself.
class XServer {
 public:
  XServer() = default;
  XServer(const XServer&) = delete;
  XServer& operator=(const XServer&) = delete;
  ~XServer() { Stop(); }

  // Starts the server and waits until it accepts connections; false (with
  // the reason) when Xvfb is missing or does not come up.
  bool Start(std::string* why) {
    const std::string exe = FindInPath("Xvfb");
    if (exe.empty()) return Fail(why, "Xvfb is not installed");
    int fds[2];
    if (pipe(fds) != 0) return Fail(why, "pipe failed");
    fcntl(fds[0], F_SETFD, FD_CLOEXEC);
    const std::string fd = std::to_string(fds[1]);
    // No reset when the last client leaves: the tests connect one by one.
    std::vector<std::string> args = {exe,          "-displayfd", fd,    "-screen", "0",
                                     "800x600x24", "-nolisten",  "tcp", "-noreset"};
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_ = fork();
    if (pid_ == 0) {
      // The server goes when the test program goes, even when it crashes.
      prctl(PR_SET_PDEATHSIG, SIGTERM);
      const int null = open("/dev/null", O_WRONLY);
      dup2(null, 1);
      dup2(null, 2);
      execv(exe.c_str(), argv.data());
      _exit(127);
    }
    close(fds[1]);
    if (pid_ < 0) {
      close(fds[0]);
      return Fail(why, "Xvfb could not be started");
    }
    // Xvfb writes its display number once it listens.
    std::string number;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(15);
    while (number.find('\n') == std::string::npos && std::chrono::steady_clock::now() < deadline) {
      pollfd p{fds[0], POLLIN, 0};
      if (poll(&p, 1, 100) <= 0) continue;
      char buf[16];
      const ssize_t n = read(fds[0], buf, sizeof buf);
      if (n <= 0) break;
      number.append(buf, static_cast<size_t>(n));
    }
    close(fds[0]);
    if (number.find('\n') == std::string::npos) {
      Stop();
      return Fail(why, "Xvfb did not start");
    }
    name_ = ":" + number.substr(0, number.find('\n'));
    if (Display* d = XOpenDisplay(name_.c_str())) {
      XCloseDisplay(d);
      return true;
    }
    Stop();
    return Fail(why, "Xvfb does not accept connections");
  }

  void Stop() {
    if (pid_ <= 0) return;
    kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
    pid_ = -1;
  }

  const std::string& Name() const { return name_; }

 private:
  static bool Fail(std::string* why, const char* what) {
    *why = what;
    return false;
  }
  static std::string FindInPath(const std::string& exe) {
    const char* path = std::getenv("PATH");
    std::string dirs = path != nullptr ? path : "/usr/bin:/bin";
    size_t start = 0;
    while (start <= dirs.size()) {
      const size_t end = std::min(dirs.find(':', start), dirs.size());
      const std::string candidate = dirs.substr(start, end - start) + "/" + exe;
      if (access(candidate.c_str(), X_OK) == 0) return candidate;
      start = end + 1;
    }
    return "";
  }

  pid_t pid_ = -1;
  std::string name_;
};

// No backend, an empty queue, no capture.
inline void ResetApplication() {
  SetWindowBackend(nullptr);
  Application().ClearMessages();
  Application().ReleaseCapture();
  Application().ResetTerminated();
}

// What reached a control, one line per event.
struct Recorder {
  std::vector<std::string> log;
  int clicks = 0;
  int dblclicks = 0;

  static std::string Shift(TShiftState s) {
    std::string r;
    const char* names[] = {"Shift", "Alt", "Ctrl", "Left", "Right", "Middle", "Double"};
    for (int f = ssShift; f <= ssDouble; ++f) {
      if (s.Contains(static_cast<TShiftStateFlag>(f))) r += std::string(" ") + names[f];
    }
    return r;
  }
  static const char* Button(TMouseButton b) {
    return b == mbLeft ? "left" : b == mbRight ? "right" : "middle";
  }
  void Attach(TControl* c) {
    c->OnMouseDown = [this](TObject*, TMouseButton b, TShiftState s, int x, int y) {
      log.push_back("down " + std::string(Button(b)) + " " + std::to_string(x) + "," +
                    std::to_string(y) + Shift(s));
    };
    c->OnMouseUp = [this](TObject*, TMouseButton b, TShiftState s, int x, int y) {
      log.push_back("up " + std::string(Button(b)) + " " + std::to_string(x) + "," +
                    std::to_string(y) + Shift(s));
    };
    c->OnMouseMove = [this](TObject*, TShiftState s, int x, int y) {
      log.push_back("move " + std::to_string(x) + "," + std::to_string(y) + Shift(s));
    };
    c->OnMouseWheel = [this](TObject*, TShiftState s, int delta, TPoint pos, bool& handled) {
      log.push_back("wheel " + std::to_string(delta) + " at " + std::to_string(pos.X) + "," +
                    std::to_string(pos.Y) + Shift(s));
      handled = true;
    };
    c->OnClick = [this](TObject*) { ++clicks; };
    c->OnDblClick = [this](TObject*) { ++dblclicks; };
  }
};

// One server for the suite; each test gets its own backend and a second,
// independent connection that plays the user.
class X11Backend : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    server_ = new XServer;
    if (!server_->Start(&skip_reason_)) {
      delete server_;
      server_ = nullptr;
    }
  }
  static void TearDownTestSuite() {
    delete server_;
    server_ = nullptr;
  }

  void SetUp() override {
    ResetApplication();
    if (server_ == nullptr) GTEST_SKIP() << skip_reason_;
    std::string why;
    backend_ = TX11Backend::Open(server_->Name().c_str(), &why);
    ASSERT_NE(backend_, nullptr) << why;
    SetWindowBackend(backend_.get());
    user_ = XOpenDisplay(server_->Name().c_str());
    ASSERT_NE(user_, nullptr);
  }

  void TearDown() override {
    controls_.clear();
    SetWindowBackend(nullptr);
    backend_.reset();
    if (user_ != nullptr) XCloseDisplay(user_);
    ResetApplication();
  }

  // A shown top-level panel; the fixture destroys it.
  TPanel* ShowPanel(int left, int top, int width, int height, const std::string& caption) {
    auto panel = std::make_unique<TPanel>();
    panel->SetBounds(left, top, width, height);
    panel->SetCaption(caption);
    panel->Show();
    TPanel* p = panel.get();
    controls_.push_back(std::move(panel));
    Settle();
    return p;
  }

  // Lets requests and events travel both ways until pred holds (or two
  // seconds pass); returns pred's last answer.
  bool PumpUntil(const std::function<bool()>& pred) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    for (;;) {
      XSync(user_, False);
      Application().ProcessMessages();
      backend_->Sync();
      if (pred()) return true;
      if (std::chrono::steady_clock::now() > deadline) return false;
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
  }
  // A few rounds, for what has no visible end.
  void Settle() {
    for (int i = 0; i < 3; ++i) {
      XSync(user_, False);
      Application().ProcessMessages();
      backend_->Sync();
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
  }

  XWindowAttributes Attributes(Window w) {
    XWindowAttributes a{};
    XGetWindowAttributes(user_, w, &a);
    return a;
  }

  std::string Title(Window w) {
    char* name = nullptr;
    if (XFetchName(user_, w, &name) == 0 || name == nullptr) return "";
    std::string r = name;
    XFree(name);
    return r;
  }

  bool WindowExists(Window w) {
    Window root = 0, parent = 0;
    Window* children = nullptr;
    unsigned int n = 0;
    XQueryTree(user_, DefaultRootWindow(user_), &root, &parent, &children, &n);
    bool found = false;
    for (unsigned int i = 0; i < n; ++i) found = found || children[i] == w;
    if (children != nullptr) XFree(children);
    return found;
  }

  // The window's pixels as seen on the screen, as 0x00BBGGRR.
  std::vector<uint32_t> ReadWindow(Window w, int width, int height) {
    return testing_support::ReadWindowPixels(user_, w, width, height);
  }

  static std::vector<uint32_t> Pixels(TControl* c) { return testing_support::HeadlessPixels(c); }

  // Sends what the server would send on a button press or release.
  void SendButton(Window w, bool press, unsigned button, unsigned state, int x, int y,
                  Time time = CurrentTime) {
    XEvent ev{};
    ev.xbutton.type = press ? ButtonPress : ButtonRelease;
    ev.xbutton.window = w;
    ev.xbutton.root = DefaultRootWindow(user_);
    ev.xbutton.button = button;
    ev.xbutton.state = state;
    ev.xbutton.x = x;
    ev.xbutton.y = y;
    ev.xbutton.time = time;
    ev.xbutton.same_screen = True;
    XSendEvent(user_, w, False, press ? ButtonPressMask : ButtonReleaseMask, &ev);
  }
  void Click(Window w, unsigned button, unsigned state, int x, int y, Time time) {
    const unsigned held = button == 1 ? Button1Mask : button == 2 ? Button2Mask : Button3Mask;
    SendButton(w, true, button, state, x, y, time);
    SendButton(w, false, button, state | held, x, y, time + 50);
  }
  void SendMotion(Window w, unsigned state, int x, int y) {
    XEvent ev{};
    ev.xmotion.type = MotionNotify;
    ev.xmotion.window = w;
    ev.xmotion.root = DefaultRootWindow(user_);
    ev.xmotion.state = state;
    ev.xmotion.x = x;
    ev.xmotion.y = y;
    ev.xmotion.same_screen = True;
    XSendEvent(user_, w, False, PointerMotionMask, &ev);
  }
  void SendClose(Window w) {
    XEvent ev{};
    ev.xclient.type = ClientMessage;
    ev.xclient.window = w;
    ev.xclient.message_type = XInternAtom(user_, "WM_PROTOCOLS", False);
    ev.xclient.format = 32;
    ev.xclient.data.l[0] = static_cast<long>(XInternAtom(user_, "WM_DELETE_WINDOW", False));
    ev.xclient.data.l[1] = CurrentTime;
    XSendEvent(user_, w, False, NoEventMask, &ev);
  }

  static inline XServer* server_ = nullptr;
  static inline std::string skip_reason_;
  std::unique_ptr<TX11Backend> backend_;
  Display* user_ = nullptr;
  std::vector<std::unique_ptr<TControl> > controls_;
};

}  // namespace x11test
}  // namespace tkz
