// The X11 backend's state, shared by its source files: backend_x11.cpp
// (windows, pictures, mouse), backend_x11_keys.cpp (keyboard),
// backend_x11_selection.cpp (the CLIPBOARD selection) and backend_x11_shm.cpp
// (pictures through MIT shared memory). Not installed.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <limits>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "core/platform/application.h"
#include "core/platform/backend_x11.h"
#include "core/platform/clipboard.h"
#include "core/platform/controls.h"
#include "core/platform/graphics.h"

// Xlib defines macros such as None, Bool and Status: include it last.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace tkz {

namespace x11 {

inline TControl* RootOf(TControl* c) {
  while (c->GetParent() != nullptr) c = c->GetParent();
  return c;
}

// Shift, Control, Mod1 (Alt) and the held buttons 1 to 3.
TShiftState ShiftOf(unsigned int state);

// The virtual key of a key's keysym (see the table in backend_x11.h); 0 for
// keys without one.
uint16_t VirtualKeyOf(unsigned long keysym);
// The Windows-1252 character a keysym types, -1 when it types none that the
// code page holds. Control keys (Return, Tab, BackSpace, Escape) give their
// control codes.
int CharOfKeysym(unsigned long keysym);

// Windows-1252 text as ISO Latin-1 (STRING): the code page's extras
// (0x80..0x9F) become '?'.
std::string Latin1Of(const std::string& ansi);

constexpr TCursor kNoCursorYet = std::numeric_limits<TCursor>::min();

struct ShmPicture;  // backend_x11_shm.cpp
void FreeShmPicture(Display* dpy, ShmPicture* p, bool connected);

// A selection answer that goes out in pieces (INCR): the requestor deletes
// the property to ask for the next piece.
struct OutgoingTransfer {
  Window requestor = 0;
  Atom property = 0;
  Atom type = 0;
  std::vector<unsigned char> data;
  size_t sent = 0;
  bool finished = false;  // the closing empty piece is on its way
  std::chrono::steady_clock::time_point deadline;
};

}  // namespace x11

struct TX11Backend::Impl {
  struct HeldKey {
    unsigned int keycode;
    uint16_t vk;
  };
  struct Win {
    TControl* control = nullptr;  // nullptr once the control is gone
    Window xid = 0;
    bool shown = false;
    bool dirty = true;
    int width = 1;  // the window's size as last requested or reported
    int height = 1;
    int left = 0;
    int top = 0;
    std::string title;
    bool reparented = false;            // framed by a window manager
    bool resized = false;               // a new size came in this round
    bool moved = false;                 // a new position came in this round
    bool geometry_pending = false;      // a new size or position is on its way
    unsigned long geometry_serial = 0;  // our last resize or move request
    TCursor cursor = x11::kNoCursorYet;
    bool pointer_in = false;
    int pointer_x = 0;
    int pointer_y = 0;
    bool click_armed = false;  // a press that a second one may complete
    unsigned int click_button = 0;
    Time click_time = 0;
    int click_x = 0;
    int click_y = 0;
    std::vector<HeldKey> held_keys;  // pressed in this window, not yet released
    TBitmap picture;
    std::vector<char> pixels;
    x11::ShmPicture* shm = nullptr;  // the window's shared-memory image
  };

  Display* dpy = nullptr;
  int screen = 0;
  Visual* visual = nullptr;
  int depth = 0;
  int bits_per_pixel = 0;
  Colormap colormap = 0;
  bool own_colormap = false;
  GC gc = nullptr;
  Atom wm_protocols = 0;
  Atom wm_delete = 0;
  Atom net_wm_name = 0;
  Atom utf8_string = 0;
  uint32_t lut[3][256] = {};
  int screen_width = 0;
  int screen_height = 0;
  int pixels_per_inch = 96;

  std::map<const TControl*, std::shared_ptr<Win>> by_control;
  std::map<Window, std::shared_ptr<Win>> by_window;
  std::map<int, Cursor> font_cursors;
  Cursor blank_cursor = 0;

  bool broken = false;
  int errors = 0;
  int frames = 0;
  bool presenting = false;

  // Wake(): a byte in the pipe ends a wait.
  int wake_read = -1;
  int wake_write = -1;

  // Shared-memory pictures (backend_x11_shm.cpp).
  bool shm_available = false;  // the server offers it and it has not failed
  int shm_completion_type = 0;

  // The CLIPBOARD selection (backend_x11_selection.cpp).
  std::thread::id owner_thread;
  Window selection_window = 0;
  Atom clipboard = 0;
  Atom targets = 0;
  Atom timestamp = 0;
  Atom incr = 0;
  Atom text_atom = 0;
  Atom text_plain_utf8 = 0;
  Atom image_png = 0;
  Atom image_bmp = 0;
  Atom transfer_property = 0;
  bool own_selection = false;
  bool selection_lost = false;  // another program took it from us
  Time owned_since = CurrentTime;
  std::atomic<bool> clipboard_change_pending{false};
  std::vector<x11::OutgoingTransfer> transfers;
  std::unique_ptr<TClipboardHost> clipboard_host;

  static void OnIOExit(Display*, void* data) { static_cast<Impl*>(data)->broken = true; }

  ~Impl();
  bool Init(std::string* error);
  std::shared_ptr<Win> Find(const TControl* c) const {
    auto it = by_control.find(c);
    return it == by_control.end() ? nullptr : it->second;
  }
  bool CreateWindow(Win& w);
  void DestroyWindow(const std::shared_ptr<Win>& w);
  void MarkDirty(TControl* c);
  void SyncGeometry(Win& w);
  void Present();
  void Put(Win& w);
  void UpdateCursor(Win& w);
  Cursor CursorFor(TCursor number);
  void Drain(TApplication& app);
  void Handle(TApplication& app, XEvent& ev);
  bool AnyShown() const;
  void DrainWakePipe();

  // Keyboard (backend_x11_keys.cpp).
  void HandleKey(TApplication& app, Win& w, XEvent& ev);
  void ReleaseHeldKeys(TApplication& app, Win& w);

  // Shared memory (backend_x11_shm.cpp).
  void InitShm();
  // Puts the window's picture through shared memory; false when that is
  // not possible (then XPutImage does it).
  bool PutShm(Win& w);
  void ConvertPixels(const TBitmap& picture, char* dst, size_t stride) const;

  // Selection (backend_x11_selection.cpp).
  void InitSelection();
  void CloseSelection();
  // Handles the selection's events; false for any other event.
  bool HandleSelectionEvent(XEvent& ev);
  void TakePendingClipboardChange();
  void ClipboardChangedHere();
  void ServeRequest(const XSelectionRequestEvent& r);
  void ContinueTransfers(const XPropertyEvent* e);
  bool ForeignOwner();
  // 0: got it, 1: refused, 2: no answer in time (see TFetch).
  int FetchSelection(Atom target, Atom& type, std::vector<unsigned char>& data);
  bool WaitForSelectionEvent(XEvent& ev, const std::function<bool(const XEvent&)>& wanted,
                             std::chrono::steady_clock::time_point deadline);
  Time ServerTime();
};

}  // namespace tkz
