// The application: one message queue for the whole program, dispatched to
// controls, and the screen (cursor registry, size, resolution).
//
// Messages are posted by the controls themselves (paint), by the window
// backend (mouse, wheel, resize) and by tests (anything). A mouse message
// either names its target control with coordinates relative to it, or names a
// top-level control with window coordinates and ByPosition set, and then goes
// to the deepest visible, enabled control under the point.
//
// Mouse capture: after a button goes down on a control, moves and ups go to
// that control, in its coordinates, until the last held button is released.
// The shift state handed to the handlers includes the held buttons (ssLeft
// while the left button is down). Click fires when the left button goes down
// and up on the same control with the up inside it; a double-click (a
// DblClick message, or a down with ssDouble) fires DblClick and then MouseDown
// with ssDouble, and its up fires no Click.
//
// Keys: a key message addressed to a control goes to the focused control of
// that control's top-level window (when one is focused, showing and enabled),
// else to the control itself. A handler that leaves Key nonzero passes the
// message on to the parent, and so on up to the top-level control, so a form
// handles the keys its children leave. A mouse button going down focuses the
// nearest control that can take the focus among the clicked one and its
// parents.
//
// A modal loop (a rubber-band rectangle, say) pumps like this:
//   while (!done && !aborted && Application().HandleMessage()) {}
// HandleMessage waits for the backend when the queue is empty and returns
// false when nothing more can come, so the loop ends headless too.
//
// Single-threaded: post and dispatch from the thread that runs the controls;
// other threads hand work over with PostFromThread.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "core/platform/controls.h"
#include "core/types/corekit_export.h"

namespace tkz {

enum class TMessageKind : uint8_t {
  Paint,
  MouseDown,
  MouseMove,
  MouseUp,
  MouseWheel,
  DblClick,
  Resize,    // X, Y: the new width and height
  Callback,  // runs Callback; dropped with its Target when one is given
  KeyDown,   // Key: the virtual key code
  KeyUp,
  KeyPress,  // Key: the character typed (a Windows-1252 byte)
};

struct TKZ_COREKIT_EXPORT TMessage {
  TMessageKind Kind = TMessageKind::Callback;
  TControl* Target = nullptr;
  TMouseButton Button = mbLeft;
  TShiftState Shift;
  int X = 0;
  int Y = 0;
  int Delta = 0;     // wheel delta, 120 per notch
  uint16_t Key = 0;  // key messages
  // X and Y are window coordinates of the top-level Target; the message goes
  // to the control under the point (or to the control with the capture).
  bool ByPosition = false;
  std::function<void()> Callback;

  static TMessage MouseDown(TControl* c, TMouseButton b, TShiftState s, int x, int y);
  static TMessage MouseMove(TControl* c, TShiftState s, int x, int y);
  static TMessage MouseUp(TControl* c, TMouseButton b, TShiftState s, int x, int y);
  static TMessage DblClick(TControl* c, TMouseButton b, TShiftState s, int x, int y);
  static TMessage MouseWheel(TControl* c, TShiftState s, int delta, int x, int y);
  static TMessage Resize(TControl* c, int width, int height);
  static TMessage Call(std::function<void()> fn, TControl* c = nullptr);
  static TMessage KeyDown(TControl* c, uint16_t key, TShiftState s);
  static TMessage KeyUp(TControl* c, uint16_t key, TShiftState s);
  static TMessage KeyPress(TControl* c, char ch);
  // The same message addressed by window position on the top-level control c.
  TMessage At(TControl* top) const;
};

class TKZ_COREKIT_EXPORT TApplication : public TObject {
 public:
  // A ProcessMessages call dispatches at most this many messages; the rest
  // wait for the next call.
  static constexpr int kMaxDispatchPerPass = 10000;

  TApplication() = default;
  TApplication(const TApplication&) = delete;
  TApplication& operator=(const TApplication&) = delete;

  void PostMessage(TMessage m);
  // Safe from any thread: fn runs on the thread that runs the controls, in
  // its next ProcessMessages or HandleMessage, and a backend waiting for
  // events is woken.
  void PostFromThread(std::function<void()> fn);
  // Dispatches at once, bypassing the queue.
  void SendMessage(const TMessage& m);
  // Dispatches what is queued, including what is posted meanwhile, after
  // polling the backend once. A control's paint message is dispatched at
  // most once per call, so a control that invalidates itself while painting
  // cannot keep the call going. Returns the number of messages dispatched.
  int ProcessMessages();
  // Dispatches one message. With the queue empty it first waits for the
  // backend; returns false when the backend will deliver nothing more (or
  // the application is terminated and the queue is empty), true after a
  // dispatch or a wake-up that brought no message.
  bool HandleMessage();
  // Pumps messages until Terminate or until nothing more can come.
  void Run();
  void Terminate() { terminated_ = true; }
  bool Terminated() const { return terminated_; }
  // Clears the terminated flag (a test or a new session).
  void ResetTerminated() { terminated_ = false; }

  int MessageCount() const { return static_cast<int>(queue_.size()); }
  void ClearMessages();
  TControl* GetCapture() const { return capture_; }
  void ReleaseCapture();

  // Called by the controls.
  void ControlDestroyed(TControl* c);
  void ControlLostInput(TControl* c);  // hidden or disabled
  // The focus of top-level control top (see TControl::SetFocus).
  TControl* FocusedIn(const TControl* top) const;
  void SetFocusedControl(TControl* c);

 private:
  void Dispatch(const TMessage& m);
  void DispatchMouse(const TMessage& m);
  void DispatchPaint(TControl* c);
  void DispatchKey(const TMessage& m);
  void TakeThreadPosts();

  std::deque<TMessage> queue_;
  bool terminated_ = false;
  uint64_t pass_counter_ = 0;
  TControl* capture_ = nullptr;
  TControl* click_candidate_ = nullptr;  // left button went down on it
  TShiftState held_;                     // buttons down since the capture began
  std::vector<TControl*> focused_;       // at most one per top-level window
  std::mutex thread_mutex_;
  std::vector<std::function<void()>> thread_posts_;
};

// The program's application object.
TKZ_COREKIT_EXPORT TApplication& Application();

class TKZ_COREKIT_EXPORT TScreen : public TObject {
 public:
  // Names a cursor number (custom cursors are resources looked up by name by
  // the backend). Registering again replaces the name; an empty name removes
  // the registration.
  void RegisterCursor(TCursor Cursor, const std::string& ResourceName);
  // The registered name, else the identifier of a built-in cursor ("crCross"),
  // else "".
  std::string GetCursorName(TCursor Cursor) const;
  // The cursor shown over every control while not crDefault (crHourGlass
  // during long work).
  TCursor GetCursor() const { return cursor_; }
  void SetCursor(TCursor c);
  int GetWidth() const;
  int GetHeight() const;
  int GetPixelsPerInch() const;

 private:
  std::map<TCursor, std::string> cursors_;
  TCursor cursor_ = crDefault;
};

TKZ_COREKIT_EXPORT TScreen& Screen();

}  // namespace tkz
