// The X11 window backend: one X window per shown top-level control, pictures
// put with XPutImage (or through shared memory, backend_x11_shm.cpp), X input
// turned into the application's mouse messages (keys: backend_x11_keys.cpp),
// the clipboard joined to the CLIPBOARD selection (backend_x11_selection.cpp).
// Built only when the build found Xlib.
#include "core/platform/backend_x11.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <map>
#include <utility>
#include <vector>

#include "core/platform/codepage.h"
// Brings Xlib, whose macros (None, Bool, Status) must come last.
#include "core/platform/backend_x11_internal.h"

#include <X11/cursorfont.h>

namespace tkz {

namespace {

// ------------------------------------------------------------ error handling
// Xlib has one protocol error handler per process. Errors on our connections
// are counted; the others go to the handler that was installed before.
struct Connection {
  Display* display;
  int* errors;
};

std::vector<Connection>& Connections() {
  static auto* list = new std::vector<Connection>;
  return *list;
}

XErrorHandler g_previous_error_handler = nullptr;
XIOErrorHandler g_previous_io_error_handler = nullptr;
bool g_error_handlers_installed = false;

int OnXError(Display* dpy, XErrorEvent* e) {
  for (const Connection& c : Connections()) {
    if (c.display == dpy) {
      ++*c.errors;
      return 0;
    }
  }
  return g_previous_error_handler != nullptr ? g_previous_error_handler(dpy, e) : 0;
}

// A lost connection. Xlib's own handler ends the process; for our
// connections this one returns, and the connection's exit handler (Impl)
// marks the backend disconnected.
int OnXIOError(Display* dpy) {
  for (const Connection& c : Connections()) {
    if (c.display == dpy) return 0;
  }
  return g_previous_io_error_handler != nullptr ? g_previous_io_error_handler(dpy) : 0;
}

// ------------------------------------------------------------------ cursors
struct ShapeEntry {
  TCursor number;
  const char* name;
  int shape;  // X cursor font glyph; -1: none (inherit), -2: invisible
};

constexpr ShapeEntry kCursorShapes[] = {
    {crDefault, "crDefault", -1},
    {crNone, "crNone", -2},
    {crArrow, "crArrow", XC_left_ptr},
    {crCross, "crCross", XC_crosshair},
    {crIBeam, "crIBeam", XC_xterm},
    {crSizeNESW, "crSizeNESW", XC_bottom_left_corner},
    {crSizeNS, "crSizeNS", XC_sb_v_double_arrow},
    {crSizeNWSE, "crSizeNWSE", XC_bottom_right_corner},
    {crSizeWE, "crSizeWE", XC_sb_h_double_arrow},
    {crUpArrow, "crUpArrow", XC_sb_up_arrow},
    {crHourGlass, "crHourGlass", XC_watch},
    {crDrag, "crDrag", XC_hand1},
    {crNoDrop, "crNoDrop", XC_X_cursor},
    {crHSplit, "crHSplit", XC_sb_h_double_arrow},
    {crVSplit, "crVSplit", XC_sb_v_double_arrow},
    {crMultiDrag, "crMultiDrag", XC_dotbox},
    {crSQLWait, "crSQLWait", XC_watch},
    {crNo, "crNo", XC_X_cursor},
    {crAppStart, "crAppStart", XC_watch},
    {crHelp, "crHelp", XC_question_arrow},
    {crHandPoint, "crHandPoint", XC_hand2},
    {crSizeAll, "crSizeAll", XC_fleur},
};

// Cursor font names a registered cursor may use.
constexpr std::pair<const char*, int> kFontCursorNames[] = {
    {"X_cursor", XC_X_cursor},
    {"arrow", XC_arrow},
    {"bottom_left_corner", XC_bottom_left_corner},
    {"bottom_right_corner", XC_bottom_right_corner},
    {"circle", XC_circle},
    {"cross", XC_cross},
    {"crosshair", XC_crosshair},
    {"dotbox", XC_dotbox},
    {"draped_box", XC_draped_box},
    {"fleur", XC_fleur},
    {"hand1", XC_hand1},
    {"hand2", XC_hand2},
    {"left_ptr", XC_left_ptr},
    {"pencil", XC_pencil},
    {"pirate", XC_pirate},
    {"plus", XC_plus},
    {"question_arrow", XC_question_arrow},
    {"sb_h_double_arrow", XC_sb_h_double_arrow},
    {"sb_up_arrow", XC_sb_up_arrow},
    {"sb_v_double_arrow", XC_sb_v_double_arrow},
    {"sizing", XC_sizing},
    {"spraycan", XC_spraycan},
    {"target", XC_target},
    {"tcross", XC_tcross},
    {"top_left_arrow", XC_top_left_arrow},
    {"top_left_corner", XC_top_left_corner},
    {"top_right_corner", XC_top_right_corner},
    {"watch", XC_watch},
    {"xterm", XC_xterm},
};

int ShapeOf(TCursor number) {
  if (number > 0) {
    const std::string name = Screen().GetCursorName(number);
    for (const ShapeEntry& s : kCursorShapes) {
      if (name == s.name) return s.shape;
    }
    for (const auto& [font_name, shape] : kFontCursorNames) {
      if (name == font_name) return shape;
    }
    return XC_left_ptr;
  }
  for (const ShapeEntry& s : kCursorShapes) {
    if (s.number == number) return s.shape;
  }
  return XC_left_ptr;
}

// --------------------------------------------------------------------- misc
using x11::kNoCursorYet;
using x11::RootOf;
using x11::ShiftOf;

// X positions are 16-bit; sizes at least 1.
int XCoord(int v) { return std::clamp(v, -32768, 32767); }
int XSize(int v) { return std::clamp(v, 1, 32767); }

std::string TitleOf(const TControl* c) {
  return c->GetCaption().empty() ? c->GetName() : c->GetCaption();
}

}  // namespace

TShiftState x11::ShiftOf(unsigned int state) {
  TShiftState s;
  if ((state & ShiftMask) != 0) s.Include(ssShift);
  if ((state & ControlMask) != 0) s.Include(ssCtrl);
  if ((state & Mod1Mask) != 0) s.Include(ssAlt);
  if ((state & Button1Mask) != 0) s.Include(ssLeft);
  if ((state & Button2Mask) != 0) s.Include(ssMiddle);
  if ((state & Button3Mask) != 0) s.Include(ssRight);
  return s;
}

std::string x11::Latin1Of(const std::string& ansi) {
  std::string r = ansi;
  for (char& ch : r) {
    const auto b = static_cast<unsigned char>(ch);
    if (b >= 0x80 && b <= 0x9F) ch = '?';
  }
  return r;
}

TX11Backend::Impl::~Impl() {
  if (dpy == nullptr) return;
  CloseSelection();
  for (auto& [xid, w] : by_window) {
    if (w->shm != nullptr) x11::FreeShmPicture(dpy, w->shm, !broken);
    w->shm = nullptr;
  }
  std::erase_if(Connections(), [this](const Connection& c) { return c.display == dpy; });
  if (!broken) {
    for (auto& [xid, w] : by_window) XDestroyWindow(dpy, xid);
    for (auto& [shape, cursor] : font_cursors) XFreeCursor(dpy, cursor);
    if (blank_cursor != 0) XFreeCursor(dpy, blank_cursor);
    if (own_colormap) XFreeColormap(dpy, colormap);
  }
  // Also on a lost connection: Xlib then only frees its memory.
  if (gc != nullptr) XFreeGC(dpy, gc);
  XCloseDisplay(dpy);
  if (wake_read >= 0) close(wake_read);
  if (wake_write >= 0) close(wake_write);
}

bool TX11Backend::Impl::Init(std::string* error) {
  auto fail = [&](const char* why) {
    if (error != nullptr) *error = why;
    return false;
  };
  screen = DefaultScreen(dpy);
  const Window root = RootWindow(dpy, screen);

  // A TrueColor visual of depth 24 or 32: the default one when it is such.
  Visual* def = DefaultVisual(dpy, screen);
  const int def_depth = DefaultDepth(dpy, screen);
  if (def->c_class == TrueColor && (def_depth == 24 || def_depth == 32)) {
    visual = def;
    depth = def_depth;
    colormap = DefaultColormap(dpy, screen);
  } else {
    XVisualInfo info;
    if (XMatchVisualInfo(dpy, screen, 24, TrueColor, &info) == 0 &&
        XMatchVisualInfo(dpy, screen, 32, TrueColor, &info) == 0) {
      return fail("the X server offers no 24- or 32-bit TrueColor visual");
    }
    visual = info.visual;
    depth = info.depth;
    colormap = XCreateColormap(dpy, root, visual, AllocNone);
    own_colormap = true;
  }
  int count = 0;
  if (XPixmapFormatValues* formats = XListPixmapFormats(dpy, &count)) {
    for (int i = 0; i < count; ++i) {
      if (formats[i].depth == depth) bits_per_pixel = formats[i].bits_per_pixel;
    }
    XFree(formats);
  }
  if (bits_per_pixel != 24 && bits_per_pixel != 32) {
    return fail("the X server stores its TrueColor pixels in an unsupported format");
  }

  // Our 8-bit channels scaled into the visual's masks.
  const unsigned long masks[3] = {visual->red_mask, visual->green_mask, visual->blue_mask};
  for (int ch = 0; ch < 3; ++ch) {
    const auto mask = static_cast<uint32_t>(masks[ch]);
    if (mask == 0) return fail("the X server's visual has an empty colour mask");
    const int shift = std::countr_zero(mask);
    const uint32_t top = mask >> shift;
    for (uint32_t v = 0; v < 256; ++v) lut[ch][v] = ((v * top + 127) / 255) << shift;
  }

  wm_protocols = XInternAtom(dpy, "WM_PROTOCOLS", False);
  wm_delete = XInternAtom(dpy, "WM_DELETE_WINDOW", False);
  net_wm_name = XInternAtom(dpy, "_NET_WM_NAME", False);
  utf8_string = XInternAtom(dpy, "UTF8_STRING", False);

  screen_width = DisplayWidth(dpy, screen);
  screen_height = DisplayHeight(dpy, screen);
  const int mm = DisplayWidthMM(dpy, screen);
  if (mm > 0) {
    const long ppi = std::lround(screen_width * 25.4 / mm);
    if (ppi >= 48 && ppi <= 480) pixels_per_inch = static_cast<int>(ppi);
  }

  // Wake() writes into the pipe from any thread; a wait polls it together
  // with the connection.
  int fds[2];
  if (pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) return fail("cannot create the wake-up pipe");
  wake_read = fds[0];
  wake_write = fds[1];

  InitShm();
  InitSelection();
  return true;
}

bool TX11Backend::Impl::AnyShown() const {
  return std::any_of(by_control.begin(), by_control.end(),
                     [](const auto& entry) { return entry.second->shown; });
}

bool TX11Backend::Impl::CreateWindow(Win& w) {
  TControl* c = w.control;
  XSetWindowAttributes a{};
  a.background_pixmap = None;  // we paint every pixel ourselves
  a.border_pixel = 0;
  a.colormap = colormap;
  a.bit_gravity = NorthWestGravity;
  a.event_mask = ExposureMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask |
                 StructureNotifyMask | EnterWindowMask | LeaveWindowMask | KeyPressMask |
                 KeyReleaseMask | FocusChangeMask;
  w.left = c->GetLeft();
  w.top = c->GetTop();
  w.width = XSize(c->GetWidth());
  w.height = XSize(c->GetHeight());
  w.xid = XCreateWindow(dpy, RootWindow(dpy, screen), XCoord(w.left), XCoord(w.top),
                        static_cast<unsigned>(w.width), static_cast<unsigned>(w.height), 0, depth,
                        InputOutput, visual,
                        CWBackPixmap | CWBorderPixel | CWColormap | CWBitGravity | CWEventMask, &a);
  if (w.xid == 0) return false;
  XSetWMProtocols(dpy, w.xid, &wm_delete, 1);
  XSizeHints hints{};
  hints.flags = PPosition | PSize;
  hints.x = XCoord(w.left);
  hints.y = XCoord(w.top);
  hints.width = w.width;
  hints.height = w.height;
  XSetWMNormalHints(dpy, w.xid, &hints);
  char res_name[] = "tkz";
  char res_class[] = "Tkz";
  XClassHint class_hint{res_name, res_class};
  XSetClassHint(dpy, w.xid, &class_hint);
  if (gc == nullptr) gc = XCreateGC(dpy, w.xid, 0, nullptr);
  w.title.clear();
  w.cursor = kNoCursorYet;
  return true;
}

void TX11Backend::Impl::DestroyWindow(const std::shared_ptr<Win>& w) {
  if (w->shm != nullptr) x11::FreeShmPicture(dpy, w->shm, !broken);
  w->shm = nullptr;
  if (w->xid != 0) {
    if (!broken) XDestroyWindow(dpy, w->xid);
    by_window.erase(w->xid);
    w->xid = 0;
  }
  w->shown = false;
  if (w->control != nullptr) by_control.erase(w->control);
  w->control = nullptr;
  if (!broken) XFlush(dpy);
}

void TX11Backend::Impl::MarkDirty(TControl* c) {
  if (auto w = Find(RootOf(c))) w->dirty = true;
}

void TX11Backend::Impl::SyncGeometry(Win& w) {
  TControl* c = w.control;
  const std::string title = TitleOf(c);
  if (title != w.title) {
    w.title = title;
    // WM_NAME is Latin-1; _NET_WM_NAME carries every character as UTF-8.
    XStoreName(dpy, w.xid, x11::Latin1Of(title).c_str());
    const std::string utf8 = AnsiToUtf8(title);
    XChangeProperty(dpy, w.xid, net_wm_name, utf8_string, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(utf8.data()),
                    static_cast<int>(utf8.size()));
  }
  // While a size or position from the window is on its way to the control,
  // the control's old one is not the program's wish.
  if (w.geometry_pending) return;
  const int cw = XSize(c->GetWidth());
  const int ch = XSize(c->GetHeight());
  if (cw != w.width || ch != w.height) {
    w.width = cw;
    w.height = ch;
    w.geometry_serial = NextRequest(dpy);
    XResizeWindow(dpy, w.xid, static_cast<unsigned>(cw), static_cast<unsigned>(ch));
    w.dirty = true;
  }
  if (c->GetLeft() != w.left || c->GetTop() != w.top) {
    w.left = c->GetLeft();
    w.top = c->GetTop();
    w.geometry_serial = NextRequest(dpy);
    XMoveWindow(dpy, w.xid, XCoord(w.left), XCoord(w.top));
  }
}

void TX11Backend::Impl::Present() {
  std::vector<std::shared_ptr<Win>> wins;
  wins.reserve(by_control.size());
  for (auto& entry : by_control) wins.push_back(entry.second);
  for (const auto& w : wins) {
    if (broken) return;
    if (w->control == nullptr || w->xid == 0) continue;
    SyncGeometry(*w);
    if (!w->shown || !w->dirty) continue;
    w->dirty = false;
    TControl* c = w->control;
    const int cw = c->GetWidth();
    const int ch = c->GetHeight();
    if (cw <= 0 || ch <= 0 || !TBitmap::SizeAllowed(cw, ch)) continue;
    if (w->picture.GetWidth() != cw || w->picture.GetHeight() != ch) {
      w->picture.SetSizeForOverwrite(cw, ch);
    }
    // Painting reports each painted control back to us; that is this round.
    presenting = true;
    c->PaintTo(w->picture.GetCanvas(), 0, 0);
    presenting = false;
    // A paint handler may have hidden or destroyed the control.
    if (w->control == nullptr || !w->shown || broken) continue;
    Put(*w);
  }
  if (!broken) XFlush(dpy);
}

void TX11Backend::Impl::Put(Win& w) {
  if (PutShm(w)) {
    ++frames;
    return;
  }
  const int cw = w.picture.GetWidth();
  const int ch = w.picture.GetHeight();
  const int bytes = bits_per_pixel / 8;
  const size_t stride = (static_cast<size_t>(cw) * bytes + 3) & ~size_t{3};
  w.pixels.resize(stride * static_cast<size_t>(ch));
  XImage* img = XCreateImage(dpy, visual, static_cast<unsigned>(depth), ZPixmap, 0, w.pixels.data(),
                             static_cast<unsigned>(cw), static_cast<unsigned>(ch), 32,
                             static_cast<int>(stride));
  if (img == nullptr) return;
  // Our own byte order; Xlib swaps for a server that differs.
  img->byte_order = std::endian::native == std::endian::little ? LSBFirst : MSBFirst;
  ConvertPixels(w.picture, w.pixels.data(), stride);
  XPutImage(dpy, w.xid, gc, img, 0, 0, 0, 0, static_cast<unsigned>(cw), static_cast<unsigned>(ch));
  img->data = nullptr;  // the pixels belong to the window's buffer
  XDestroyImage(img);
  ++frames;
}

// Our pixels in the visual's format and our own byte order.
void TX11Backend::Impl::ConvertPixels(const TBitmap& picture, char* pixels, size_t stride) const {
  const int cw = picture.GetWidth();
  const int ch = picture.GetHeight();
  const int bytes = bits_per_pixel / 8;
  const bool little = std::endian::native == std::endian::little;
  for (int y = 0; y < ch; ++y) {
    const uint32_t* src = picture.ScanLine(y);
    auto* dst = reinterpret_cast<unsigned char*>(pixels + stride * y);
    for (int x = 0; x < cw; ++x) {
      const uint32_t p = src[x];
      const uint32_t v = lut[0][p & 0xFF] | lut[1][(p >> 8) & 0xFF] | lut[2][(p >> 16) & 0xFF];
      if (bytes == 4) {
        std::memcpy(dst + 4 * x, &v, 4);
      } else {
        for (int i = 0; i < 3; ++i) {
          dst[3 * x + i] = static_cast<unsigned char>(v >> (little ? 8 * i : 8 * (2 - i)));
        }
      }
    }
  }
}

Cursor TX11Backend::Impl::CursorFor(TCursor number) {
  const int shape = ShapeOf(number);
  if (shape == -1) return None;
  if (shape == -2) {
    if (blank_cursor == 0) {
      static const char empty[1] = {0};
      Pixmap bits = XCreateBitmapFromData(dpy, RootWindow(dpy, screen), empty, 1, 1);
      XColor black{};
      blank_cursor = XCreatePixmapCursor(dpy, bits, bits, &black, &black, 0, 0);
      XFreePixmap(dpy, bits);
    }
    return blank_cursor;
  }
  auto it = font_cursors.find(shape);
  if (it != font_cursors.end()) return it->second;
  const Cursor cursor = XCreateFontCursor(dpy, static_cast<unsigned>(shape));
  font_cursors[shape] = cursor;
  return cursor;
}

void TX11Backend::Impl::UpdateCursor(Win& w) {
  if (broken || w.xid == 0 || w.control == nullptr) return;
  TCursor wanted = Screen().GetCursor();
  if (wanted == crDefault) {
    TControl* under = Application().GetCapture();
    if (under != nullptr && RootOf(under) != w.control) under = nullptr;
    if (under == nullptr && w.pointer_in) {
      // The deepest visible control under the pointer, enabled or not.
      int x = w.pointer_x;
      int y = w.pointer_y;
      TControl* c = w.control;
      if (x >= 0 && y >= 0 && x < c->GetWidth() && y < c->GetHeight()) {
        under = c;
        while (auto* parent = dynamic_cast<TWinControl*>(under)) {
          TControl* child = parent->ControlAtPos(Point(x, y), true);
          if (child == nullptr) break;
          x -= child->GetLeft();
          y -= child->GetTop();
          under = child;
        }
      }
    }
    if (under != nullptr) wanted = under->GetCursor();
  }
  if (wanted == w.cursor) return;
  w.cursor = wanted;
  const Cursor cursor = CursorFor(wanted);
  if (cursor == None) {
    XUndefineCursor(dpy, w.xid);
  } else {
    XDefineCursor(dpy, w.xid, cursor);
  }
}

void TX11Backend::Impl::DrainWakePipe() {
  char buf[64];
  while (read(wake_read, buf, sizeof buf) > 0) {
  }
}

void TX11Backend::Impl::Drain(TApplication& app) {
  TakePendingClipboardChange();
  // Requestors that stopped asking for the pieces of an answer are dropped.
  if (!transfers.empty()) ContinueTransfers(nullptr);
  // Bounded, so a flood of events cannot keep one round going.
  for (int n = 0; n < 10000 && !broken && XPending(dpy) > 0; ++n) {
    XEvent ev;
    XNextEvent(dpy, &ev);
    Handle(app, ev);
  }
  // The last size and position of each window that changed go to its
  // control; the control's own stay unsent until the messages are handled.
  for (auto& [control, w] : by_control) {
    if (!w->resized && !w->moved) continue;
    w->geometry_pending = true;
    if (w->resized) app.PostMessage(TMessage::Resize(w->control, w->width, w->height));
    std::weak_ptr<Win> weak = w;
    app.PostMessage(TMessage::Call(
        [weak, moved = w->moved] {
          auto win = weak.lock();
          if (!win || win->control == nullptr) return;
          TControl* c = win->control;
          if (moved) c->SetBounds(win->left, win->top, c->GetWidth(), c->GetHeight());
          win->geometry_pending = false;
        },
        w->control));
    w->resized = false;
    w->moved = false;
  }
  if (!broken) XFlush(dpy);
}

void TX11Backend::Impl::Handle(TApplication& app, XEvent& ev) {
  if (HandleSelectionEvent(ev)) return;
  if (ev.type == MappingNotify) {
    // Key translation follows a changed keyboard map.
    XRefreshKeyboardMapping(&ev.xmapping);
    return;
  }
  auto it = by_window.find(ev.xany.window);
  if (it == by_window.end()) return;
  const std::shared_ptr<Win> w = it->second;
  TControl* c = w->control;
  if (c == nullptr) return;
  switch (ev.type) {
    case Expose:
      w->dirty = true;
      break;
    case ConfigureNotify: {
      const XConfigureEvent& e = ev.xconfigure;
      // Older than our last request: the request has the last word.
      if (e.serial < w->geometry_serial) break;
      if (e.width != w->width || e.height != w->height) {
        w->width = e.width;
        w->height = e.height;
        w->resized = true;
        w->dirty = true;
      }
      // A framed window's real events count from the frame; the window
      // manager's synthetic ones from the screen.
      if ((e.send_event || !w->reparented) && (e.x != w->left || e.y != w->top)) {
        w->left = e.x;
        w->top = e.y;
        w->moved = true;
      }
      break;
    }
    case KeyPress:
    case KeyRelease:
      HandleKey(app, *w, ev);
      break;
    case FocusOut:
      // Keys held when the window loses the keyboard are released for it:
      // their releases go to another window.
      if (ev.xfocus.mode != NotifyGrab && ev.xfocus.detail != NotifyPointer) {
        ReleaseHeldKeys(app, *w);
      }
      break;
    case ReparentNotify:
      w->reparented = ev.xreparent.parent != RootWindow(dpy, screen);
      break;
    case ButtonPress: {
      const XButtonEvent& e = ev.xbutton;
      const TShiftState shift = ShiftOf(e.state);
      w->pointer_x = e.x;
      w->pointer_y = e.y;
      if (e.button == Button4 || e.button == Button5) {
        const int delta = e.button == Button4 ? 120 : -120;
        app.PostMessage(TMessage::MouseWheel(nullptr, shift, delta, e.x, e.y).At(c));
        break;
      }
      if (e.button < Button1 || e.button > Button3) break;
      const TMouseButton b = e.button == Button1   ? mbLeft
                             : e.button == Button2 ? mbMiddle
                                                   : mbRight;
      const bool dbl = w->click_armed && w->click_button == e.button &&
                       static_cast<uint32_t>(e.time - w->click_time) <= kDoubleClickMs &&
                       std::abs(e.x - w->click_x) <= kDoubleClickDistance &&
                       std::abs(e.y - w->click_y) <= kDoubleClickDistance;
      if (dbl) {
        w->click_armed = false;
        app.PostMessage(TMessage::DblClick(nullptr, b, shift, e.x, e.y).At(c));
      } else {
        w->click_armed = true;
        w->click_button = e.button;
        w->click_time = e.time;
        w->click_x = e.x;
        w->click_y = e.y;
        app.PostMessage(TMessage::MouseDown(nullptr, b, shift, e.x, e.y).At(c));
      }
      break;
    }
    case ButtonRelease: {
      const XButtonEvent& e = ev.xbutton;
      if (e.button < Button1 || e.button > Button3) break;
      const TMouseButton b = e.button == Button1   ? mbLeft
                             : e.button == Button2 ? mbMiddle
                                                   : mbRight;
      app.PostMessage(TMessage::MouseUp(nullptr, b, ShiftOf(e.state), e.x, e.y).At(c));
      break;
    }
    case MotionNotify: {
      // Only the last of consecutive moves in the window counts.
      if (XEventsQueued(dpy, QueuedAlready) > 0) {
        XEvent next;
        XPeekEvent(dpy, &next);
        if (next.type == MotionNotify && next.xmotion.window == ev.xmotion.window) break;
      }
      const XMotionEvent& e = ev.xmotion;
      w->pointer_in = true;
      w->pointer_x = e.x;
      w->pointer_y = e.y;
      app.PostMessage(TMessage::MouseMove(nullptr, ShiftOf(e.state), e.x, e.y).At(c));
      UpdateCursor(*w);
      break;
    }
    case EnterNotify:
      w->pointer_in = true;
      w->pointer_x = ev.xcrossing.x;
      w->pointer_y = ev.xcrossing.y;
      UpdateCursor(*w);
      break;
    case LeaveNotify:
      w->pointer_in = false;
      break;
    case ClientMessage:
      if (ev.xclient.message_type == wm_protocols && ev.xclient.format == 32 &&
          static_cast<Atom>(ev.xclient.data.l[0]) == wm_delete) {
        // Closing hides; the program decides what a hidden window means.
        app.PostMessage(TMessage::Call([c] { c->Hide(); }, c));
      }
      break;
    default:
      break;
  }
}

// ----------------------------------------------------------------- TX11Backend
std::unique_ptr<TX11Backend> TX11Backend::Open(const char* display, std::string* error) {
  Display* dpy = XOpenDisplay(display);
  if (dpy == nullptr) {
    if (error != nullptr) {
      const char* name = XDisplayName(display);
      *error = std::string("cannot open the X display \"") + (name != nullptr ? name : "") + "\"";
    }
    return nullptr;
  }
  auto impl = std::make_unique<Impl>();
  impl->dpy = dpy;
  if (!g_error_handlers_installed) {
    g_previous_error_handler = XSetErrorHandler(OnXError);
    g_previous_io_error_handler = XSetIOErrorHandler(OnXIOError);
    g_error_handlers_installed = true;
  }
  Connections().push_back(Connection{dpy, &impl->errors});
#ifdef TKZ_HAVE_XIO_EXIT_HANDLER
  XSetIOErrorExitHandler(dpy, &Impl::OnIOExit, impl.get());
#endif
  if (!impl->Init(error)) return nullptr;  // the Impl closes the display
  return std::unique_ptr<TX11Backend>(new TX11Backend(std::move(impl)));
}

TX11Backend::TX11Backend(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

// The base class uninstalls the backend; the Impl closes the connection.
TX11Backend::~TX11Backend() = default;

void TX11Backend::TopLevelShown(TControl* c) {
  Impl& d = *impl_;
  if (d.broken || c->GetParent() != nullptr) return;
  std::shared_ptr<Impl::Win> w = d.Find(c);
  if (!w) {
    w = std::make_shared<Impl::Win>();
    w->control = c;
    if (!d.CreateWindow(*w)) return;
    d.by_control[c] = w;
    d.by_window[w->xid] = w;
  }
  d.SyncGeometry(*w);
  XMapRaised(d.dpy, w->xid);
  w->shown = true;
  w->dirty = true;
  XFlush(d.dpy);
}

void TX11Backend::TopLevelHidden(TControl* c) {
  Impl& d = *impl_;
  std::shared_ptr<Impl::Win> w = d.Find(c);
  if (!w || !w->shown) return;
  w->shown = false;
  w->pointer_in = false;
  w->click_armed = false;
  if (d.broken) return;
  XWithdrawWindow(d.dpy, w->xid, d.screen);
  XFlush(d.dpy);
}

void TX11Backend::ControlInvalidated(TControl* c) {
  Impl& d = *impl_;
  if (c->GetParent() != nullptr) {
    // A top-level control put into a parent no longer has a window.
    if (auto w = d.Find(c)) d.DestroyWindow(w);
  }
  d.MarkDirty(c);
}

void TX11Backend::PresentControl(TControl* c) {
  if (!impl_->presenting) impl_->MarkDirty(c);
}

void TX11Backend::CursorChanged(TControl* c) {
  Impl& d = *impl_;
  if (d.broken) return;
  if (c == nullptr) {
    for (auto& [control, w] : d.by_control) d.UpdateCursor(*w);
  } else if (auto w = d.Find(RootOf(c))) {
    d.UpdateCursor(*w);
  }
  XFlush(d.dpy);
}

void TX11Backend::ControlDestroyed(TControl* c) {
  Impl& d = *impl_;
  if (auto w = d.Find(c)) {
    d.DestroyWindow(w);
  } else {
    // A child going away leaves a hole in its window's picture.
    d.MarkDirty(c);
  }
}

void TX11Backend::PollEvents(TApplication& app) {
  if (impl_->broken) return;
  impl_->Present();
  impl_->Drain(app);
}

bool TX11Backend::WaitForEvents(TApplication& app) {
  Impl& d = *impl_;
  if (d.broken) return false;
  d.Present();
  if (d.broken || !d.AnyShown()) return false;
  if (XPending(d.dpy) == 0 && !d.broken && !d.clipboard_change_pending) {
    pollfd p[2] = {{ConnectionNumber(d.dpy), POLLIN, 0}, {d.wake_read, POLLIN, 0}};
    while (poll(p, 2, -1) < 0 && errno == EINTR) {
    }
  }
  d.DrainWakePipe();
  d.Drain(app);
  return !d.broken;
}

void TX11Backend::Wake() {
  const char byte = 1;
  // A full pipe already holds a wake-up.
  while (write(impl_->wake_write, &byte, 1) < 0 && errno == EINTR) {
  }
}

int TX11Backend::ScreenWidth() const { return impl_->screen_width; }
int TX11Backend::ScreenHeight() const { return impl_->screen_height; }
int TX11Backend::PixelsPerInch() const { return impl_->pixels_per_inch; }

unsigned long TX11Backend::WindowOf(const TControl* c) const {
  auto w = impl_->Find(c);
  return w ? w->xid : 0;
}

bool TX11Backend::Connected() const { return !impl_->broken; }
int TX11Backend::ErrorCount() const { return impl_->errors; }
int TX11Backend::FramesPresented() const { return impl_->frames; }
bool TX11Backend::UsesSharedMemory() const { return impl_->shm_available; }

void TX11Backend::Sync() {
  if (!impl_->broken) XSync(impl_->dpy, False);
}

}  // namespace tkz
