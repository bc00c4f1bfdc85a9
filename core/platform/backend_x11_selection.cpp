// The X11 backend's side of the clipboard: the process-wide TClipboard is the
// desktop's CLIPBOARD selection too. What the program puts in is offered to
// other programs from a small hidden window; while another program owns the
// selection, the clipboard's readers ask it (see backend_x11.h).
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <exception>

#include "core/platform/clipboard.h"
#include "core/platform/codepage.h"
#include "core/platform/imagefile.h"
// Brings Xlib, whose macros (None, Bool, Status) must come last.
#include "core/platform/backend_x11_internal.h"

namespace tkz {

namespace {

using Clock = std::chrono::steady_clock;

// How long a requestor may take to ask for the next piece of an INCR answer.
constexpr auto kTransferTimeout = std::chrono::seconds(10);

enum class TFetch : uint8_t { Ok, Refused, NoAnswer };

// The clipboard's view of the backend. Only the thread that opened the
// backend talks to the X server; other threads see the in-process content,
// and what they put in is offered to other programs in the next round.
class X11ClipboardHost final : public TClipboardHost {
 public:
  explicit X11ClipboardHost(TX11Backend::Impl* d) : d_(d) {}

  void ClipboardChanged() override {
    if (Here()) {
      d_->ClipboardChangedHere();
    } else {
      d_->clipboard_change_pending = true;
      const char byte = 1;
      while (write(d_->wake_write, &byte, 1) < 0 && errno == EINTR) {
      }
    }
  }
  bool ForeignContent() override { return Here() && d_->ForeignOwner(); }
  bool ForeignHasText() override;
  bool ForeignHasBitmap() override;
  bool FetchText(std::string& Text) override;
  bool FetchBitmap(TBitmap& Bitmap) override;

 private:
  bool Here() const { return std::this_thread::get_id() == d_->owner_thread; }
  TFetch Fetch(Atom target, Atom& type, std::vector<unsigned char>& data) {
    if (!Here()) return TFetch::NoAnswer;
    return static_cast<TFetch>(d_->FetchSelection(target, type, data));
  }
  // The targets the owner offers; empty when it names none.
  std::vector<Atom> Targets();

  TX11Backend::Impl* d_;
};

std::vector<Atom> X11ClipboardHost::Targets() {
  Atom type = 0;
  std::vector<unsigned char> data;
  std::vector<Atom> r;
  if (Fetch(d_->targets, type, data) != TFetch::Ok || type != XA_ATOM) return r;
  r.resize(data.size() / sizeof(Atom));
  std::memcpy(r.data(), data.data(), r.size() * sizeof(Atom));
  return r;
}

bool X11ClipboardHost::ForeignHasText() {
  const std::vector<Atom> t = Targets();
  for (Atom a : {d_->utf8_string, Atom{XA_STRING}, d_->text_atom, d_->text_plain_utf8}) {
    if (std::find(t.begin(), t.end(), a) != t.end()) return true;
  }
  return false;
}

bool X11ClipboardHost::ForeignHasBitmap() {
  const std::vector<Atom> t = Targets();
  for (Atom a : {d_->image_png, d_->image_bmp}) {
    if (std::find(t.begin(), t.end(), a) != t.end()) return true;
  }
  return false;
}

bool X11ClipboardHost::FetchText(std::string& Text) {
  Atom type = 0;
  std::vector<unsigned char> data;
  TFetch got = Fetch(d_->utf8_string, type, data);
  if (got == TFetch::Ok) {
    Text = Utf8ToAnsi(std::string_view(reinterpret_cast<const char*>(data.data()), data.size()));
    return true;
  }
  if (got == TFetch::NoAnswer) return false;  // no second wait for a silent owner
  if (Fetch(XA_STRING, type, data) != TFetch::Ok) return false;
  // Latin-1: the code page shares it but for 0x80..0x9F.
  Text.clear();
  for (unsigned char b : data) {
    const int c = Cp1252FromUnicode(b);
    Text += c >= 0 && (b < 0x80 || b >= 0xA0) ? static_cast<char>(c) : '?';
  }
  return true;
}

bool X11ClipboardHost::FetchBitmap(TBitmap& Bitmap) {
  Atom type = 0;
  std::vector<unsigned char> data;
  TFetch got = Fetch(d_->image_png, type, data);
  bool png = got == TFetch::Ok;
  if (got == TFetch::Refused) {
    got = Fetch(d_->image_bmp, type, data);
  }
  if (got != TFetch::Ok) return false;
  try {
    TBitmap decoded;
    if (png) {
      LoadPNG(decoded, data.data(), data.size());
    } else {
      LoadBMP(decoded, data.data(), data.size());
    }
    Bitmap.Assign(&decoded);
    return true;
  } catch (const EInvalidGraphic&) {
    return false;  // what the owner sent is no picture
  }
}

struct Wanted {
  TX11Backend::Impl* d;
  const std::function<bool(const XEvent&)>* wanted;
};

// The events a selection wait takes from the queue: the one it waits for and
// the selection's own; everything else stays for the application.
Bool TakeDuringWait(Display*, XEvent* ev, XPointer arg) {
  const auto* w = reinterpret_cast<const Wanted*>(arg);
  if ((*w->wanted)(*ev)) return True;
  switch (ev->type) {
    case SelectionRequest:
      return ev->xselectionrequest.owner == w->d->selection_window ? True : False;
    case SelectionClear:
      return ev->xselectionclear.window == w->d->selection_window ? True : False;
    case PropertyNotify:
      return std::any_of(w->d->transfers.begin(), w->d->transfers.end(),
                         [&](const x11::OutgoingTransfer& t) {
                           return t.requestor == ev->xproperty.window;
                         })
                 ? True
                 : False;
    default:
      return False;
  }
}

}  // namespace

void TX11Backend::Impl::InitSelection() {
  owner_thread = std::this_thread::get_id();
  clipboard = XInternAtom(dpy, "CLIPBOARD", False);
  targets = XInternAtom(dpy, "TARGETS", False);
  timestamp = XInternAtom(dpy, "TIMESTAMP", False);
  incr = XInternAtom(dpy, "INCR", False);
  text_atom = XInternAtom(dpy, "TEXT", False);
  text_plain_utf8 = XInternAtom(dpy, "text/plain;charset=utf-8", False);
  image_png = XInternAtom(dpy, "image/png", False);
  image_bmp = XInternAtom(dpy, "image/bmp", False);
  transfer_property = XInternAtom(dpy, "TKZ_SELECTION", False);
  XSetWindowAttributes a{};
  a.event_mask = PropertyChangeMask;
  selection_window = XCreateWindow(dpy, RootWindow(dpy, screen), -10, -10, 1, 1, 0, 0, InputOnly,
                                   CopyFromParent, CWEventMask, &a);
  clipboard_host = std::make_unique<X11ClipboardHost>(this);
  Clipboard().SetHost(clipboard_host.get());
}

void TX11Backend::Impl::CloseSelection() {
  if (clipboard_host && Clipboard().GetHost() == clipboard_host.get()) Clipboard().SetHost(nullptr);
  if (!broken) {
    for (const x11::OutgoingTransfer& t : transfers) XSelectInput(dpy, t.requestor, NoEventMask);
    // The selection goes with the window.
    if (selection_window != 0) XDestroyWindow(dpy, selection_window);
  }
  transfers.clear();
  selection_window = 0;
  own_selection = false;
}

Time TX11Backend::Impl::ServerTime() {
  // A change of our own property comes back with the server's time.
  XChangeProperty(dpy, selection_window, transfer_property, XA_STRING, 8, PropModeAppend, nullptr,
                  0);
  XEvent ev;
  const std::function<bool(const XEvent&)> wanted = [this](const XEvent& e) {
    return e.type == PropertyNotify && e.xproperty.window == selection_window &&
           e.xproperty.atom == transfer_property;
  };
  const auto deadline = Clock::now() + std::chrono::milliseconds(kSelectionTimeoutMs);
  return WaitForSelectionEvent(ev, wanted, deadline) ? ev.xproperty.time : CurrentTime;
}

void TX11Backend::Impl::TakePendingClipboardChange() {
  if (clipboard_change_pending.exchange(false)) ClipboardChangedHere();
}

void TX11Backend::Impl::ClipboardChangedHere() {
  if (broken || selection_window == 0) return;
  owned_since = ServerTime();
  XSetSelectionOwner(dpy, clipboard, selection_window, owned_since);
  own_selection = XGetSelectionOwner(dpy, clipboard) == selection_window;
  selection_lost = false;
  // An emptied clipboard offers nothing.
  if (own_selection && !Clipboard().HasText() && !Clipboard().HasBitmap()) {
    XSetSelectionOwner(dpy, clipboard, None, owned_since);
    own_selection = false;
  }
  XFlush(dpy);
}

bool TX11Backend::Impl::ForeignOwner() {
  if (broken || selection_window == 0) return false;
  const Window owner = XGetSelectionOwner(dpy, clipboard);
  if (owner == selection_window) return false;
  if (own_selection) {
    // Taken from us; the SelectionClear is still on its way.
    own_selection = false;
    selection_lost = true;
  }
  return selection_lost || owner != None;
}

bool TX11Backend::Impl::HandleSelectionEvent(XEvent& ev) {
  switch (ev.type) {
    case SelectionRequest:
      if (ev.xselectionrequest.owner != selection_window) return false;
      ServeRequest(ev.xselectionrequest);
      return true;
    case SelectionClear:
      if (ev.xselectionclear.window != selection_window) return false;
      if (ev.xselectionclear.selection == clipboard &&
          (owned_since == CurrentTime || ev.xselectionclear.time >= owned_since)) {
        own_selection = false;
        selection_lost = true;
      }
      return true;
    case SelectionNotify:
      // A late answer to a request given up.
      if (ev.xselection.requestor != selection_window) return false;
      if (ev.xselection.property != None)
        XDeleteProperty(dpy, selection_window, ev.xselection.property);
      return true;
    case PropertyNotify:
      if (ev.xproperty.window == selection_window) return true;
      if (std::none_of(transfers.begin(), transfers.end(), [&](const x11::OutgoingTransfer& t) {
            return t.requestor == ev.xproperty.window;
          })) {
        return false;
      }
      ContinueTransfers(&ev.xproperty);
      return true;
    default:
      return false;
  }
}

void TX11Backend::Impl::ServeRequest(const XSelectionRequestEvent& r) {
  XEvent reply{};
  XSelectionEvent& n = reply.xselection;
  n.type = SelectionNotify;
  n.display = dpy;
  n.requestor = r.requestor;
  n.selection = r.selection;
  n.target = r.target;
  n.time = r.time;
  n.property = None;
  // Obsolete requestors name no property: the target is the property then.
  const Atom property = r.property == None ? r.target : r.property;
  const bool ours = r.selection == clipboard && own_selection &&
                    (r.time == CurrentTime || owned_since == CurrentTime || r.time >= owned_since);
  if (ours) {
    std::vector<unsigned char> bytes;
    Atom type = 0;
    bool answered = true;
    TClipboard& cb = Clipboard();
    const bool text = cb.HasText();
    const bool bitmap = !text && cb.HasBitmap();
    if (r.target == targets) {
      std::vector<long> list = {static_cast<long>(targets), static_cast<long>(timestamp)};
      if (text) {
        for (Atom a : {utf8_string, text_plain_utf8, Atom{XA_STRING}, text_atom}) {
          list.push_back(static_cast<long>(a));
        }
      } else if (bitmap) {
        list.push_back(static_cast<long>(image_png));
        list.push_back(static_cast<long>(image_bmp));
      }
      XChangeProperty(dpy, r.requestor, property, XA_ATOM, 32, PropModeReplace,
                      reinterpret_cast<const unsigned char*>(list.data()),
                      static_cast<int>(list.size()));
      answered = false;  // written already
      n.property = property;
    } else if (r.target == timestamp) {
      const long t = static_cast<long>(owned_since);
      XChangeProperty(dpy, r.requestor, property, XA_INTEGER, 32, PropModeReplace,
                      reinterpret_cast<const unsigned char*>(&t), 1);
      answered = false;
      n.property = property;
    } else if (text && (r.target == utf8_string || r.target == text_plain_utf8 ||
                        r.target == text_atom || r.target == XA_STRING)) {
      const std::string s = cb.GetAsText();
      const std::string out = r.target == XA_STRING ? x11::Latin1Of(s) : AnsiToUtf8(s);
      bytes.assign(out.begin(), out.end());
      type = r.target == XA_STRING ? XA_STRING : r.target == text_atom ? utf8_string : r.target;
    } else if (bitmap && (r.target == image_png || r.target == image_bmp)) {
      TBitmap b;
      answered = cb.GetBitmap(b) && !b.Empty();
      if (answered) {
        // A picture that cannot be encoded is refused; the event loop goes on.
        try {
          const std::vector<uint8_t> file = r.target == image_png ? SavePNG(b) : SaveBMP(b);
          bytes.assign(file.begin(), file.end());
          type = r.target;
        } catch (const std::exception&) {
          answered = false;
        }
      }
    } else {
      answered = false;  // refused: the property stays None
    }
    if (answered) {
      const size_t chunk = static_cast<size_t>(XMaxRequestSize(dpy)) * 4 - 100;
      if (bytes.size() > chunk) {
        // In pieces: the requestor deletes the property for each next one.
        XSelectInput(dpy, r.requestor, PropertyChangeMask);
        const long size = static_cast<long>(bytes.size());
        XChangeProperty(dpy, r.requestor, property, incr, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(&size), 1);
        x11::OutgoingTransfer t;
        t.requestor = r.requestor;
        t.property = property;
        t.type = type;
        t.data = std::move(bytes);
        t.deadline = Clock::now() + kTransferTimeout;
        transfers.push_back(std::move(t));
      } else {
        XChangeProperty(dpy, r.requestor, property, type, 8, PropModeReplace, bytes.data(),
                        static_cast<int>(bytes.size()));
      }
      n.property = property;
    }
  }
  XSendEvent(dpy, r.requestor, False, NoEventMask, &reply);
  XFlush(dpy);
}

void TX11Backend::Impl::ContinueTransfers(const XPropertyEvent* e) {
  const auto now = Clock::now();
  const size_t chunk = static_cast<size_t>(XMaxRequestSize(dpy)) * 4 - 100;
  for (x11::OutgoingTransfer& t : transfers) {
    if (e == nullptr || e->window != t.requestor || e->atom != t.property ||
        e->state != PropertyDelete) {
      continue;
    }
    if (t.finished) {
      t.deadline = now;  // done; dropped below
      continue;
    }
    const size_t n = std::min(chunk, t.data.size() - t.sent);
    XChangeProperty(dpy, t.requestor, t.property, t.type, 8, PropModeReplace,
                    t.data.data() + t.sent, static_cast<int>(n));
    t.sent += n;
    // The empty piece that ends the transfer has been written.
    if (n == 0) t.finished = true;
    t.deadline = now + kTransferTimeout;
  }
  // Finished transfers, and requestors that stopped asking, are dropped;
  // a requestor left without any is no longer watched.
  std::vector<Window> dropped;
  std::erase_if(transfers, [&](const x11::OutgoingTransfer& t) {
    const bool drop = (t.finished && t.deadline <= now) || t.deadline < now;
    if (drop) dropped.push_back(t.requestor);
    return drop;
  });
  for (Window w : dropped) {
    if (std::none_of(transfers.begin(), transfers.end(),
                     [w](const x11::OutgoingTransfer& t) { return t.requestor == w; })) {
      XSelectInput(dpy, w, NoEventMask);
    }
  }
  XFlush(dpy);
}

bool TX11Backend::Impl::WaitForSelectionEvent(XEvent& out,
                                              const std::function<bool(const XEvent&)>& wanted,
                                              Clock::time_point deadline) {
  Wanted w{this, &wanted};
  for (;;) {
    if (broken) return false;
    XEvent ev;
    if (XCheckIfEvent(dpy, &ev, TakeDuringWait, reinterpret_cast<XPointer>(&w)) == True) {
      if (wanted(ev)) {
        out = ev;
        return true;
      }
      HandleSelectionEvent(ev);
      continue;
    }
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0) return false;
    XFlush(dpy);
    pollfd p{ConnectionNumber(dpy), POLLIN, 0};
    if (poll(&p, 1, static_cast<int>(std::min<long long>(left, INT_MAX))) > 0) {
      XEventsQueued(dpy, QueuedAfterReading);
    }
  }
}

int TX11Backend::Impl::FetchSelection(Atom target, Atom& type, std::vector<unsigned char>& data) {
  data.clear();
  type = None;
  if (broken || selection_window == 0) return static_cast<int>(TFetch::NoAnswer);
  XDeleteProperty(dpy, selection_window, transfer_property);
  XConvertSelection(dpy, clipboard, target, transfer_property, selection_window, CurrentTime);
  auto deadline = Clock::now() + std::chrono::milliseconds(kSelectionTimeoutMs);
  XEvent ev;
  const std::function<bool(const XEvent&)> answer = [&](const XEvent& e) {
    return e.type == SelectionNotify && e.xselection.requestor == selection_window &&
           e.xselection.selection == clipboard && e.xselection.target == target;
  };
  if (!WaitForSelectionEvent(ev, answer, deadline)) return static_cast<int>(TFetch::NoAnswer);
  if (ev.xselection.property == None) return static_cast<int>(TFetch::Refused);
  // The owner's writes before its answer are read below, not waited for.
  XEvent stale;
  while (XCheckIfEvent(
             dpy, &stale,
             [](Display*, XEvent* e, XPointer arg) -> Bool {
               const auto* d = reinterpret_cast<const TX11Backend::Impl*>(arg);
               return e->type == PropertyNotify && e->xproperty.window == d->selection_window &&
                      e->xproperty.atom == d->transfer_property;
             },
             reinterpret_cast<XPointer>(this)) == True) {
  }

  // Reads and deletes the property; false when it is not there.
  const auto take = [&](std::vector<unsigned char>& into, Atom& got_type) {
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* bytes = nullptr;
    if (XGetWindowProperty(dpy, selection_window, transfer_property, 0, LONG_MAX / 4, True,
                           AnyPropertyType, &got_type, &format, &count, &after,
                           &bytes) != Success) {
      return false;
    }
    if (bytes != nullptr) {
      // Xlib hands 32-bit items as longs.
      const size_t unit = format == 32 ? sizeof(long) : format == 16 ? sizeof(short) : 1;
      into.insert(into.end(), bytes, bytes + count * unit);
      XFree(bytes);
    }
    return got_type != None;
  };
  if (!take(data, type)) return static_cast<int>(TFetch::Refused);
  if (type != incr) return static_cast<int>(TFetch::Ok);

  // INCR: every new value of the property is the next piece, an empty one
  // the end.
  data.clear();
  const std::function<bool(const XEvent&)> piece = [&](const XEvent& e) {
    return e.type == PropertyNotify && e.xproperty.window == selection_window &&
           e.xproperty.atom == transfer_property && e.xproperty.state == PropertyNewValue;
  };
  for (;;) {
    deadline = Clock::now() + std::chrono::milliseconds(kSelectionTimeoutMs);
    if (!WaitForSelectionEvent(ev, piece, deadline)) {
      data.clear();
      return static_cast<int>(TFetch::NoAnswer);
    }
    std::vector<unsigned char> part;
    Atom part_type = None;
    take(part, part_type);
    XFlush(dpy);  // the deletion asks for the next piece
    if (part.empty()) return static_cast<int>(TFetch::Ok);
    type = part_type;
    data.insert(data.end(), part.begin(), part.end());
  }
}

}  // namespace tkz
