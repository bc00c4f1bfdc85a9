// The clipboard as the desktop's CLIPBOARD selection while the X11 backend is
// open: the user connection (and a thread with a connection of its own) play
// the other programs that paste from us and copy to us.
#ifdef TKZ_HAVE_X11

#include <poll.h>

#include <atomic>
#include <chrono>
#include <climits>
#include <cstring>
#include <map>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "core/platform/clipboard.h"
#include "core/platform/imagefile.h"
#include "tests/core/platform/backend_x11_fixture.h"

// Xlib's macros (None, Bool, Status) come last.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace tkz {
namespace {

using Clock = std::chrono::steady_clock;

// What a selection owner sent for one target.
struct Answer {
  bool given = false;  // false: refused, or no answer
  std::string type;
  std::string data;  // 32-bit items as longs, like Xlib hands them
  bool in_pieces = false;
};

std::vector<std::string> AtomNames(Display* d, const std::string& data) {
  std::vector<std::string> r;
  for (size_t i = 0; i + sizeof(long) <= data.size(); i += sizeof(long)) {
    long a = 0;
    std::memcpy(&a, data.data() + i, sizeof a);
    char* name = XGetAtomName(d, static_cast<Atom>(a));
    r.emplace_back(name != nullptr ? name : "");
    if (name != nullptr) XFree(name);
  }
  return r;
}

// Reads and deletes a property: false when it is missing.
bool TakeProperty(Display* d, Window w, Atom property, std::string& type, std::string& data) {
  Atom t = None;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* bytes = nullptr;
  if (XGetWindowProperty(d, w, property, 0, LONG_MAX / 4, True, AnyPropertyType, &t, &format,
                         &count, &after, &bytes) != Success) {
    return false;
  }
  const size_t unit = format == 32 ? sizeof(long) : format == 16 ? sizeof(short) : 1;
  data.assign(reinterpret_cast<char*>(bytes), bytes != nullptr ? count * unit : 0);
  if (bytes != nullptr) XFree(bytes);
  char* name = t != None ? XGetAtomName(d, t) : nullptr;
  type = name != nullptr ? name : "";
  if (name != nullptr) XFree(name);
  return t != None;
}

// Another program that owns CLIPBOARD from a thread and a connection of its
// own, offering targets (name -> type and bytes). Answers larger than
// `piece` bytes go in pieces (INCR).
class OtherProgram {
 public:
  struct Offer {
    std::string type;
    std::string data;
  };
  OtherProgram(std::string display, std::map<std::string, Offer> offers, size_t piece)
      : display_(std::move(display)), offers_(std::move(offers)), piece_(piece) {}
  ~OtherProgram() { Stop(); }

  // Takes ownership and starts answering; false when that failed.
  bool Start() {
    d_ = XOpenDisplay(display_.c_str());
    if (d_ == nullptr) return false;
    win_ = XCreateSimpleWindow(d_, DefaultRootWindow(d_), 0, 0, 1, 1, 0, 0, 0);
    clipboard_ = XInternAtom(d_, "CLIPBOARD", False);
    XSetSelectionOwner(d_, clipboard_, win_, CurrentTime);
    if (XGetSelectionOwner(d_, clipboard_) != win_) return false;
    XSync(d_, False);
    thread_ = std::thread([this] { Run(); });
    return true;
  }
  void Stop() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    if (d_ != nullptr) XCloseDisplay(d_);
    d_ = nullptr;
  }

 private:
  struct Transfer {
    Window requestor;
    Atom property;
    Atom type;
    std::string data;
    size_t sent = 0;
    bool done = false;
  };

  void Run() {
    while (!stop_) {
      pollfd p{ConnectionNumber(d_), POLLIN, 0};
      poll(&p, 1, 10);
      while (XPending(d_) > 0) {
        XEvent ev;
        XNextEvent(d_, &ev);
        if (ev.type == SelectionRequest) Answer(ev.xselectionrequest);
        if (ev.type == PropertyNotify && ev.xproperty.state == PropertyDelete) Next(ev.xproperty);
      }
    }
  }

  void Answer(const XSelectionRequestEvent& r) {
    XEvent reply{};
    reply.xselection.type = SelectionNotify;
    reply.xselection.requestor = r.requestor;
    reply.xselection.selection = r.selection;
    reply.xselection.target = r.target;
    reply.xselection.time = r.time;
    reply.xselection.property = None;
    char* name = XGetAtomName(d_, r.target);
    const std::string target = name != nullptr ? name : "";
    if (name != nullptr) XFree(name);
    if (target == "TARGETS") {
      std::vector<long> list;
      for (const auto& [t, offer] : offers_)
        list.push_back(static_cast<long>(XInternAtom(d_, t.c_str(), False)));
      XChangeProperty(d_, r.requestor, r.property, XA_ATOM, 32, PropModeReplace,
                      reinterpret_cast<unsigned char*>(list.data()), static_cast<int>(list.size()));
      reply.xselection.property = r.property;
    } else if (auto it = offers_.find(target); it != offers_.end()) {
      const Atom type = XInternAtom(d_, it->second.type.c_str(), False);
      const std::string& data = it->second.data;
      if (data.size() > piece_) {
        XSelectInput(d_, r.requestor, PropertyChangeMask);
        const long size = static_cast<long>(data.size());
        XChangeProperty(d_, r.requestor, r.property, XInternAtom(d_, "INCR", False), 32,
                        PropModeReplace, reinterpret_cast<const unsigned char*>(&size), 1);
        transfers_.push_back(Transfer{r.requestor, r.property, type, data});
      } else {
        XChangeProperty(d_, r.requestor, r.property, type, 8, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(data.data()),
                        static_cast<int>(data.size()));
      }
      reply.xselection.property = r.property;
    }
    XSendEvent(d_, r.requestor, False, NoEventMask, &reply);
    XFlush(d_);
  }

  void Next(const XPropertyEvent& e) {
    for (Transfer& t : transfers_) {
      if (t.done || t.requestor != e.window || t.property != e.atom) continue;
      const size_t n = std::min(piece_, t.data.size() - t.sent);
      XChangeProperty(d_, t.requestor, t.property, t.type, 8, PropModeReplace,
                      reinterpret_cast<const unsigned char*>(t.data.data() + t.sent),
                      static_cast<int>(n));
      t.sent += n;
      t.done = n == 0;
    }
    XFlush(d_);
  }

  std::string display_;
  std::map<std::string, Offer> offers_;
  size_t piece_;
  Display* d_ = nullptr;
  Window win_ = 0;
  Atom clipboard_ = 0;
  std::thread thread_;
  std::atomic<bool> stop_ = false;
  std::vector<Transfer> transfers_;
};

class X11Clipboard : public x11test::X11Backend {
 protected:
  void SetUp() override {
    X11Backend::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    requestor_ = XCreateSimpleWindow(user_, DefaultRootWindow(user_), 0, 0, 1, 1, 0, 0, 0);
    XSelectInput(user_, requestor_, PropertyChangeMask);
    clipboard_ = XInternAtom(user_, "CLIPBOARD", False);
    XSync(user_, False);
  }
  void TearDown() override {
    Clipboard().Clear();
    X11Backend::TearDown();
    Clipboard().Clear();
  }

  // Lets the backend run until the user connection has an event that
  // matches; false after ten seconds (a hang guard, not a measure).
  bool UserEvent(XEvent& ev, int type, const std::function<bool(const XEvent&)>& match) {
    const auto deadline = Clock::now() + std::chrono::seconds(10);
    while (Clock::now() < deadline) {
      XSync(user_, False);
      Application().ProcessMessages();
      backend_->Sync();
      while (XCheckTypedWindowEvent(user_, requestor_, type, &ev)) {
        if (match(ev)) return true;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return false;
  }

  // The user connection asks the clipboard's owner for a target.
  Answer Ask(const std::string& target) {
    Answer a;
    const Atom property = XInternAtom(user_, "USER_PASTE", False);
    XConvertSelection(user_, clipboard_, XInternAtom(user_, target.c_str(), False), property,
                      requestor_, CurrentTime);
    XEvent ev;
    if (!UserEvent(ev, SelectionNotify, [](const XEvent&) { return true; })) return a;
    if (ev.xselection.property == None) return a;
    // Writes before the answer are read below.
    while (XCheckTypedWindowEvent(user_, requestor_, PropertyNotify, &ev)) {
    }
    if (!TakeProperty(user_, requestor_, property, a.type, a.data)) return a;
    XSync(user_, False);
    if (a.type == "INCR") {
      a.in_pieces = true;
      a.data.clear();
      for (;;) {
        if (!UserEvent(ev, PropertyNotify, [&](const XEvent& e) {
              return e.xproperty.atom == property && e.xproperty.state == PropertyNewValue;
            })) {
          return a;
        }
        std::string part;
        TakeProperty(user_, requestor_, property, a.type, part);
        XSync(user_, False);
        if (part.empty()) break;
        a.data += part;
      }
    }
    a.given = true;
    return a;
  }

  Window requestor_ = 0;
  Atom clipboard_ = 0;
};

TEST_F(X11Clipboard, TextPutInIsOfferedToOtherProgramsInEveryTextForm) {
  Clipboard().SetAsText(
      "Gr\xFC\xDF"
      "e \x80 5");  // Windows-1252, with the euro sign
  const Window owner = XGetSelectionOwner(user_, clipboard_);
  EXPECT_NE(owner, 0u);
  EXPECT_NE(owner, requestor_);

  const Answer targets = Ask("TARGETS");
  ASSERT_TRUE(targets.given);
  EXPECT_EQ(targets.type, "ATOM");
  const std::vector<std::string> names = AtomNames(user_, targets.data);
  for (const char* t :
       {"TARGETS", "TIMESTAMP", "UTF8_STRING", "text/plain;charset=utf-8", "STRING", "TEXT"}) {
    EXPECT_NE(std::find(names.begin(), names.end(), t), names.end()) << t;
  }
  EXPECT_EQ(std::find(names.begin(), names.end(), "image/png"), names.end());

  struct Case {
    const char* target;
    bool given;
    const char* type;
    std::string data;
  };
  const std::string utf8 =
      "Gr\xC3\xBC\xC3\x9F"
      "e \xE2\x82\xAC 5";
  const Case cases[] = {
      {"UTF8_STRING", true, "UTF8_STRING", utf8},
      {"text/plain;charset=utf-8", true, "text/plain;charset=utf-8", utf8},
      {"TEXT", true, "UTF8_STRING", utf8},
      {"STRING", true, "STRING",
       "Gr\xFC\xDF"
       "e ? 5"},  // Latin-1 has no euro sign
      {"image/png", false, "", ""},
      {"COMPOUND_TEXT", false, "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.target);
    const Answer a = Ask(c.target);
    EXPECT_EQ(a.given, c.given);
    EXPECT_EQ(a.type, c.type);
    EXPECT_EQ(a.data, c.data);
  }
  const Answer stamp = Ask("TIMESTAMP");
  EXPECT_TRUE(stamp.given);
  EXPECT_EQ(stamp.type, "INTEGER");
  EXPECT_EQ(stamp.data.size(), sizeof(long));

  // A text put in from another thread, while another program owns the
  // selection, is offered once the backend runs.
  XSetSelectionOwner(user_, clipboard_, requestor_, CurrentTime);
  XSync(user_, False);
  std::thread([] { Clipboard().SetAsText("from a thread"); }).join();
  ASSERT_TRUE(PumpUntil([&] { return XGetSelectionOwner(user_, clipboard_) == owner; }));
  EXPECT_EQ(Ask("UTF8_STRING").data, "from a thread");

  // An emptied clipboard offers nothing.
  // (The two connections' requests reach the server in no fixed order.)
  Clipboard().Clear();
  EXPECT_TRUE(PumpUntil([&] { return XGetSelectionOwner(user_, clipboard_) == None; }));
  EXPECT_EQ(backend_->ErrorCount(), 0);
}

TEST_F(X11Clipboard, ABitmapPutInIsOfferedAsPngAndBmpLargeOnesInPieces) {
  const auto noise = [](TBitmap& b, int width, int height, uint32_t seed) {
    b.SetSize(width, height);
    for (int y = 0; y < height; ++y) {
      uint32_t* row = b.ScanLine(y);
      for (int x = 0; x < width; ++x) {
        seed = seed * 1664525u + 1013904223u;
        row[x] = seed >> 8;
      }
    }
  };
  const auto pixels = [](const TBitmap& b) {
    return std::vector<uint32_t>(b.Bits(),
                                 b.Bits() + static_cast<size_t>(b.GetWidth()) * b.GetHeight());
  };
  for (const auto& [width, height, in_pieces] :
       {std::tuple{40, 30, false}, std::tuple{1500, 1000, true}}) {
    SCOPED_TRACE(std::to_string(width) + "x" + std::to_string(height));
    TBitmap original;
    noise(original, width, height, static_cast<uint32_t>(width));
    Clipboard().Assign(original);
    const std::vector<std::string> names = AtomNames(user_, Ask("TARGETS").data);
    EXPECT_NE(std::find(names.begin(), names.end(), "image/png"), names.end());
    EXPECT_NE(std::find(names.begin(), names.end(), "image/bmp"), names.end());
    EXPECT_EQ(std::find(names.begin(), names.end(), "UTF8_STRING"), names.end());
    EXPECT_FALSE(Ask("UTF8_STRING").given);
    for (const char* format : {"image/png", "image/bmp"}) {
      SCOPED_TRACE(format);
      const Answer a = Ask(format);
      ASSERT_TRUE(a.given);
      EXPECT_EQ(a.type, format);
      EXPECT_EQ(a.in_pieces, in_pieces);
      TBitmap decoded;
      LoadBitmapFromMemory(decoded, reinterpret_cast<const uint8_t*>(a.data.data()), a.data.size());
      EXPECT_EQ(pixels(decoded), pixels(original));
    }
  }
  EXPECT_EQ(backend_->ErrorCount(), 0);
}

TEST_F(X11Clipboard, WhatAnotherProgramCopiesIsReadFromIt) {
  Clipboard().SetAsText("ours");
  TBitmap picture;
  picture.SetSize(7, 5);
  picture.GetCanvas()->GetBrush()->SetColor(clTeal);
  picture.GetCanvas()->FillRect(Rect(0, 0, 7, 5));
  picture.GetCanvas()->SetPixel(3, 2, clYellow);
  const auto png = SavePNG(picture);
  const auto bmp = SaveBMP(picture);
  const std::string big(100000, 'x');

  struct Case {
    const char* name;
    std::map<std::string, OtherProgram::Offer> offers;
    size_t piece;
    bool text;
    std::string expected_text;
    bool bitmap;
  };
  const Case cases[] = {
      {"UTF-8 text",
       {{"UTF8_STRING", {"UTF8_STRING", "Z\xC3\xBCrich \xE2\x82\xAC"}},
        {"STRING", {"STRING", "wrong"}}},
       1 << 20,
       true,
       "Z\xFCrich \x80",
       false},
      {"a character Windows-1252 lacks",
       {{"UTF8_STRING", {"UTF8_STRING", "\xE4\xB8\xAD!"}}},
       1 << 20,
       true,
       "?!",
       false},
      {"Latin-1 text only",
       {{"STRING", {"STRING", "Gr\xFC\xDF"}}},
       1 << 20,
       true,
       "Gr\xFC\xDF",
       false},
      {"a long text in pieces", {{"UTF8_STRING", {"UTF8_STRING", big}}}, 4096, true, big, false},
      {"PNG",
       {{"image/png", {"image/png", std::string(png.begin(), png.end())}}},
       1 << 20,
       false,
       "",
       true},
      {"BMP only, in pieces",
       {{"image/bmp", {"image/bmp", std::string(bmp.begin(), bmp.end())}}},
       16,
       false,
       "",
       true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    OtherProgram other(DisplayString(user_), c.offers, c.piece);
    ASSERT_TRUE(other.Start());
    EXPECT_EQ(Clipboard().HasText(), c.text);
    EXPECT_EQ(Clipboard().GetAsText(), c.expected_text);
    EXPECT_EQ(Clipboard().HasBitmap(), c.bitmap);
    TBitmap got;
    EXPECT_EQ(Clipboard().GetBitmap(got), c.bitmap);
    if (c.bitmap) {
      ASSERT_EQ(got.GetWidth(), 7);
      EXPECT_EQ(got.GetCanvas()->GetPixel(3, 2), clYellow);
      EXPECT_EQ(got.GetCanvas()->GetPixel(0, 0), clTeal);
    }
  }
  // The last program has gone, and took its item with it: the clipboard is
  // empty until something is put in again.
  EXPECT_FALSE(Clipboard().HasText());
  EXPECT_EQ(Clipboard().GetAsText(), "");
  Clipboard().SetAsText("ours again");
  EXPECT_EQ(Clipboard().GetAsText(), "ours again");
  EXPECT_EQ(Ask("UTF8_STRING").data, "ours again");
  EXPECT_EQ(backend_->ErrorCount(), 0);
}

TEST_F(X11Clipboard, AnOwnerThatNeverAnswersGivesNoData) {
  Clipboard().SetAsText("ours");
  // The user connection takes the selection and then answers nothing.
  XSetSelectionOwner(user_, clipboard_, requestor_, CurrentTime);
  XSync(user_, False);
  const auto start = Clock::now();
  EXPECT_FALSE(Clipboard().HasText());
  EXPECT_EQ(Clipboard().GetAsText(), "");
  TBitmap b;
  EXPECT_FALSE(Clipboard().GetBitmap(b));
  // A hang guard: each read gives up after its bounded wait.
  EXPECT_LT(Clock::now() - start, std::chrono::seconds(30));
  // Other events wait for the application meanwhile.
  TPanel* panel = ShowPanel(0, 0, 50, 40, "Still here");
  x11test::Recorder rec;
  rec.Attach(panel);
  SendButton(backend_->WindowOf(panel), true, 1, 0, 5, 5);
  XSync(user_, False);
  Clipboard().GetAsText();
  ASSERT_TRUE(PumpUntil([&] { return !rec.log.empty(); }));
  EXPECT_EQ(rec.log[0], "down left 5,5 Left");
}

}  // namespace
}  // namespace tkz

#endif
