// A window backend that shows the controls on an X server through Xlib.
//
//   auto x11 = TX11Backend::Open();          // $DISPLAY; nullptr without one
//   if (x11) SetWindowBackend(x11.get());
//   form->Show();
//   Application().Run();                     // ends when no window is shown
//   SetWindowBackend(nullptr);
//
// Windows. Every top-level control that is shown gets one X window of its
// size at its Left/Top, titled with its Caption (its Name when the caption is
// empty): _NET_WM_NAME holds the title in UTF-8, WM_NAME in Latin-1 (with '?'
// for the Windows-1252 characters Latin-1 lacks). Hide unmaps (withdraws)
// the window, Show maps it again, destroying the control destroys the
// window. The window manager's close box (WM_DELETE_WINDOW) posts a message
// that hides the control, so a loop that runs while something is shown ends.
// A size change by the user becomes a Resize message, a move by the user a
// message that sets the control's Left/Top; a size, position or caption set
// by the program is sent to the window the next time the backend polls.
//
// Pictures. Invalidations only mark a window dirty; every PollEvents and
// WaitForEvents round composes each dirty window once (TControl::PaintTo,
// which paints what needs paint) and puts the picture with XPutImage. Exposed
// windows are redrawn the same way. When the server offers MIT-SHM and runs on
// this machine, the picture goes through a shared-memory segment per window
// instead (XShmPutImage; re-created when the window's size changes, marked for
// removal as soon as both sides have attached it, so nothing is left behind
// even when the process dies; the backend waits for the server to have read a
// segment before drawing into it again). If a segment cannot be made or
// attached (the failed attach counts in ErrorCount), the backend falls back
// to XPutImage for good. TKZ_X11_NO_SHM=1 in the environment (read by Open)
// turns shared memory off; UsesSharedMemory tells which way pictures go.
// Only TrueColor visuals of depth 24 or 32 are used (the default visual,
// else a matching one); a server without one is refused: Open returns
// nullptr.
//
// Input. Mouse messages are posted by position on the window's control, in
// window coordinates. Buttons 1, 2 and 3 are mbLeft, mbMiddle and mbRight;
// buttons 4 and 5 (the wheel) give MouseWheel with Delta +120 and -120.
// Consecutive motion events are compressed to the last one. A press of the
// same button within kDoubleClickMs and kDoubleClickDistance pixels of the
// previous press in the same window is posted as a DblClick (a third press
// starts over). The shift state comes from the X modifier mask: Shift,
// Control, Mod1 (Alt) and the held buttons 1 to 3.
//
// Keys. Every window takes the keyboard (KeyPress, KeyRelease, focus
// changes). A key press posts KeyDown with the key's virtual key and shift
// state, then KeyPress with the character it types; a release posts KeyUp.
// Both are addressed to the window's top-level control, and the application
// hands them to its focused control. Virtual keys, by the key's own keysym
// (so Shift+1 is still '1'; on the keypad the keysym that NumLock selects):
//
//   a..z, A..Z     'A'..'Z'          0..9           '0'..'9'
//   F1..F12        VK_F1..VK_F12     Left Up Right Down  VK_LEFT..VK_DOWN
//   Home End       VK_HOME VK_END    Prior Next     VK_PRIOR VK_NEXT
//   Insert Delete  VK_INSERT VK_DELETE  BackSpace   VK_BACK
//   Return KP_Enter  VK_RETURN       Tab ISO_Left_Tab  VK_TAB
//   Escape         VK_ESCAPE         space          VK_SPACE
//   KP_0..KP_9     VK_NUMPAD0..9     KP_Decimal     VK_DECIMAL
//   KP_Add KP_Subtract   VK_ADD VK_SUBTRACT
//   KP_Multiply KP_Divide   VK_MULTIPLY VK_DIVIDE
//   KP_Home ... KP_Delete (NumLock off)  as Home ... Delete
//   Shift_L/R      VK_SHIFT          Control_L/R    VK_CONTROL
//   Alt_L/R Meta_L/R  VK_MENU        plus equal     VK_OEM_PLUS
//   minus underscore  VK_OEM_MINUS   comma          VK_OEM_COMMA
//   period         VK_OEM_PERIOD
//
// Other keys post no KeyDown or KeyUp, only the KeyPress of a character they
// type. The shift state is ssShift, ssCtrl, ssAlt and the held buttons; a
// modifier key's own KeyDown includes its flag, its KeyUp does not. The
// character is the keysym's (as Shift, Caps Lock and NumLock select it) in
// Windows-1252: Latin-1 keysyms are their own bytes, the euro sign and the
// code page's other extras (legacy or Unicode keysyms) their bytes; Return and
// KP_Enter give 13, Tab 9, BackSpace 8, Escape 27. Keys that type nothing, or
// a character the code page lacks, post no KeyPress; neither does any key
// while Ctrl or Alt is held, except Ctrl+letter, which types 1 (A) to 26 (Z).
// The server's auto-repeat (a release and a press with one time stamp) gives
// repeated KeyDown and KeyPress without KeyUp between. When a window loses
// the keyboard, the keys held in it get their KeyUp (shift state empty), and
// a release whose press the window did not see posts nothing.
//
// Cursors. The cursor of the control under the pointer (of the control with
// the mouse capture while a button is held) is shown; Screen().SetCursor
// overrides it in every window while not crDefault. X cursor font shapes:
//
//   crDefault    the parent window's (the desktop's) cursor
//   crNone       an invisible cursor
//   crArrow      left_ptr              crHourGlass  watch
//   crCross      crosshair             crDrag       hand1
//   crIBeam      xterm                 crNoDrop     X_cursor
//   crSizeNESW   bottom_left_corner    crHSplit     sb_h_double_arrow
//   crSizeNS     sb_v_double_arrow     crVSplit     sb_v_double_arrow
//   crSizeNWSE   bottom_right_corner   crMultiDrag  dotbox
//   crSizeWE     sb_h_double_arrow     crSQLWait    watch
//   crUpArrow    sb_up_arrow           crNo         X_cursor
//   crAppStart   watch                 crHelp       question_arrow
//   crHandPoint  hand2                 crSizeAll    fleur
//
// A registered cursor (Screen().RegisterCursor) whose name is one of the
// identifiers above ("crCross") or an X cursor font name ("pencil",
// "crosshair", "fleur", ...) shows that shape; other numbers show the arrow.
//
// Errors. X protocol errors on the backend's connection are counted
// (ErrorCount), never fatal. A lost connection (the server went away) marks
// the backend disconnected instead of ending the process: from then on it
// shows nothing, WaitForEvents returns false (so the program's loops end)
// and Connected() is false; the controls live on headless. This needs Xlib
// 1.7 or later; with an older Xlib a lost connection ends the process, as
// Xlib always did. Xlib keeps one protocol error handler and one connection
// error handler per process; Open installs handlers that pass the errors of
// other connections on to the handlers installed before them.
//
// Clipboard. While the backend is open, the process-wide Clipboard() is the
// desktop's CLIPBOARD selection too. Putting a text or a bitmap in makes the
// backend the selection's owner (a hidden window of its own); it answers
// TARGETS, TIMESTAMP and, for a text, UTF8_STRING, text/plain;charset=utf-8,
// TEXT (as UTF-8) and STRING (Latin-1, '?' for what Latin-1 lacks), for a
// bitmap image/png and image/bmp; other targets are refused. Answers larger
// than the server's basic maximum request go in pieces (INCR). Clearing the
// clipboard gives the selection up. While another program owns the selection
// (or took it from us and went away, leaving the clipboard empty), HasText,
// GetAsText, HasBitmap and GetBitmap ask that program: text as UTF8_STRING,
// else STRING, converted to Windows-1252 ('?' for what it lacks); bitmaps as
// image/png, else image/bmp; pieces (INCR) are collected. Each question waits
// at most kSelectionTimeoutMs for an answer and then counts as "no data";
// meanwhile only selection events are handled, other events stay queued for
// the application. The X server is asked only on the thread that opened the
// backend: other threads see the in-process content, and what they put in is
// offered to other programs in the backend's next round (they wake it).
//
// Waking. Wake (TApplication::PostFromThread calls it) may be called from any
// thread: a byte in a pipe that WaitForEvents polls together with the
// connection ends the wait.
//
// Screen. ScreenWidth/ScreenHeight are the default screen's; PixelsPerInch
// comes from its reported width in millimetres, 96 when that is missing or
// implausible (outside 48..480).
//
// Built without Xlib (the library's build found no X11), Open always returns
// nullptr. Single-threaded, like the controls, but for Wake and the clipboard
// as said above.
#pragma once

#include <memory>
#include <string>

#include "core/platform/backend.h"
#include "core/types/corekit_export.h"

namespace tkz {

class TKZ_COREKIT_EXPORT TX11Backend final : public TWindowBackend {
 public:
  static constexpr int kDoubleClickMs = 400;
  static constexpr int kDoubleClickDistance = 4;  // pixels, in x and in y
  // How long a clipboard read waits for another program's answer.
  static constexpr int kSelectionTimeoutMs = 1000;

  // Connects to the named display (nullptr: $DISPLAY). Returns nullptr when
  // no display can be opened or it offers no usable visual; *error (when
  // given) then says why.
  static std::unique_ptr<TX11Backend> Open(const char* display = nullptr,
                                           std::string* error = nullptr);
  // Destroys the windows and closes the connection; uninstalls itself.
  ~TX11Backend() override;

  void TopLevelShown(TControl* c) override;
  void TopLevelHidden(TControl* c) override;
  void ControlInvalidated(TControl* c) override;
  void PresentControl(TControl* c) override;
  void CursorChanged(TControl* c) override;
  void ControlDestroyed(TControl* c) override;
  // Presents the dirty windows, then posts the events that have come.
  void PollEvents(TApplication& app) override;
  // Presents the dirty windows and, unless events are ready, blocks until
  // some come. Returns false when no window is shown any more or the
  // connection is lost.
  bool WaitForEvents(TApplication& app) override;
  // Safe from any thread: a WaitForEvents that is blocked returns.
  void Wake() override;

  int ScreenWidth() const override;
  int ScreenHeight() const override;
  int PixelsPerInch() const override;

  // The X window showing the top-level control, 0 when it has none.
  unsigned long WindowOf(const TControl* c) const;
  // Whether the connection is still alive.
  bool Connected() const;
  // Protocol errors reported on the connection so far.
  int ErrorCount() const;
  // Pictures put on screen so far (one per dirty window per round).
  int FramesPresented() const;
  // Whether pictures go through MIT shared memory (see Pictures).
  bool UsesSharedMemory() const;
  // Waits until the server has handled every request sent so far.
  void Sync();

  struct Impl;  // the backend's state (internal)

 private:
  explicit TX11Backend(std::unique_ptr<Impl> impl);
  std::unique_ptr<Impl> impl_;
};

}  // namespace tkz
