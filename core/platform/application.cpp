// The application's message queue and dispatch; the screen.
#include "core/platform/application.h"

#include <algorithm>
#include <utility>

#include "core/platform/backend.h"

namespace tkz {

namespace {

TShiftStateFlag ButtonFlag(TMouseButton b) {
  switch (b) {
    case mbRight:
      return ssRight;
    case mbMiddle:
      return ssMiddle;
    default:
      return ssLeft;
  }
}

bool IsWithin(const TControl* c, const TControl* ancestor) {
  for (; c != nullptr; c = c->GetParent()) {
    if (c == ancestor) return true;
  }
  return false;
}

// Visible and enabled, and so are all its parents.
bool CanReceive(const TControl* c) {
  for (; c != nullptr; c = c->GetParent()) {
    if (!c->GetVisible() || !c->GetEnabled()) return false;
  }
  return true;
}

// The deepest visible, enabled control under (x, y) of top; x and y become
// coordinates of that control.
TControl* ControlUnder(TControl* top, int& x, int& y) {
  if (!CanReceive(top) || x < 0 || y < 0 || x >= top->GetWidth() || y >= top->GetHeight()) {
    return nullptr;
  }
  TControl* c = top;
  while (auto* w = dynamic_cast<TWinControl*>(c)) {
    TControl* child = w->ControlAtPos(Point(x, y));
    if (child == nullptr) break;
    x -= child->GetLeft();
    y -= child->GetTop();
    c = child;
  }
  return c;
}

}  // namespace

// ------------------------------------------------------------------ messages
TMessage TMessage::MouseDown(TControl* c, TMouseButton b, TShiftState s, int x, int y) {
  TMessage m;
  m.Kind = TMessageKind::MouseDown;
  m.Target = c;
  m.Button = b;
  m.Shift = s;
  m.X = x;
  m.Y = y;
  return m;
}

TMessage TMessage::MouseMove(TControl* c, TShiftState s, int x, int y) {
  TMessage m = MouseDown(c, TMessage().Button, s, x, y);  // no button: the default stays
  m.Kind = TMessageKind::MouseMove;
  return m;
}

TMessage TMessage::MouseUp(TControl* c, TMouseButton b, TShiftState s, int x, int y) {
  TMessage m = MouseDown(c, b, s, x, y);
  m.Kind = TMessageKind::MouseUp;
  return m;
}

TMessage TMessage::DblClick(TControl* c, TMouseButton b, TShiftState s, int x, int y) {
  TMessage m = MouseDown(c, b, s, x, y);
  m.Kind = TMessageKind::DblClick;
  return m;
}

TMessage TMessage::MouseWheel(TControl* c, TShiftState s, int delta, int x, int y) {
  TMessage m = MouseMove(c, s, x, y);
  m.Kind = TMessageKind::MouseWheel;
  m.Delta = delta;
  return m;
}

TMessage TMessage::Resize(TControl* c, int width, int height) {
  TMessage m;
  m.Kind = TMessageKind::Resize;
  m.Target = c;
  m.X = width;
  m.Y = height;
  return m;
}

TMessage TMessage::Call(std::function<void()> fn, TControl* c) {
  TMessage m;
  m.Kind = TMessageKind::Callback;
  m.Target = c;
  m.Callback = std::move(fn);
  return m;
}

TMessage TMessage::KeyDown(TControl* c, uint16_t key, TShiftState s) {
  TMessage m;
  m.Kind = TMessageKind::KeyDown;
  m.Target = c;
  m.Key = key;
  m.Shift = s;
  return m;
}

TMessage TMessage::KeyUp(TControl* c, uint16_t key, TShiftState s) {
  TMessage m = KeyDown(c, key, s);
  m.Kind = TMessageKind::KeyUp;
  return m;
}

TMessage TMessage::KeyPress(TControl* c, char ch) {
  TMessage m = KeyDown(c, static_cast<uint8_t>(ch), {});
  m.Kind = TMessageKind::KeyPress;
  return m;
}

TMessage TMessage::At(TControl* top) const {
  TMessage m = *this;
  m.Target = top;
  m.ByPosition = true;
  return m;
}

// --------------------------------------------------------------- the queue
TApplication& Application() {
  // Never destroyed: controls that outlive main's locals may still call it.
  static TApplication* app = new TApplication;
  return *app;
}

void TApplication::PostMessage(TMessage m) { queue_.push_back(std::move(m)); }

void TApplication::SendMessage(const TMessage& m) { Dispatch(m); }

void TApplication::PostFromThread(std::function<void()> fn) {
  {
    std::lock_guard<std::mutex> lock(thread_mutex_);
    thread_posts_.push_back(std::move(fn));
  }
  GetWindowBackend()->Wake();
}

void TApplication::TakeThreadPosts() {
  std::vector<std::function<void()>> posts;
  {
    std::lock_guard<std::mutex> lock(thread_mutex_);
    posts.swap(thread_posts_);
  }
  for (auto& fn : posts) queue_.push_back(TMessage::Call(std::move(fn)));
}

int TApplication::ProcessMessages() {
  TakeThreadPosts();
  GetWindowBackend()->PollEvents(*this);
  const uint64_t pass = ++pass_counter_;
  int dispatched = 0;
  size_t deferred_in_row = 0;
  while (!queue_.empty() && dispatched < kMaxDispatchPerPass) {
    TMessage m = std::move(queue_.front());
    queue_.pop_front();
    if (m.Kind == TMessageKind::Paint && m.Target != nullptr && m.Target->paint_pass_ == pass) {
      // Painted in this pass already: leave it for the next one.
      queue_.push_back(std::move(m));
      if (++deferred_in_row >= queue_.size()) break;
      continue;
    }
    deferred_in_row = 0;
    if (m.Kind == TMessageKind::Paint && m.Target != nullptr) m.Target->paint_pass_ = pass;
    ++dispatched;
    Dispatch(m);
  }
  return dispatched;
}

bool TApplication::HandleMessage() {
  if (queue_.empty()) TakeThreadPosts();
  if (queue_.empty()) {
    if (terminated_) return false;
    const bool more = GetWindowBackend()->WaitForEvents(*this);
    TakeThreadPosts();
    // A wake-up without a message returns to the caller's loop, which may
    // have something to check (an abort flag set by the event, say).
    if (queue_.empty()) return more;
  }
  TMessage m = std::move(queue_.front());
  queue_.pop_front();
  Dispatch(m);
  return true;
}

void TApplication::Run() {
  while (!terminated_ && HandleMessage()) {
  }
}

void TApplication::ClearMessages() {
  for (const TMessage& m : queue_) {
    if (m.Kind == TMessageKind::Paint && m.Target != nullptr) m.Target->paint_pending_ = false;
  }
  queue_.clear();
}

void TApplication::ReleaseCapture() {
  capture_ = nullptr;
  click_candidate_ = nullptr;
  held_ = {};
}

void TApplication::ControlDestroyed(TControl* c) {
  std::erase_if(queue_, [c](const TMessage& m) { return m.Target == c; });
  std::erase(focused_, c);
  if (capture_ == c) ReleaseCapture();
  if (click_candidate_ == c) click_candidate_ = nullptr;
}

void TApplication::ControlLostInput(TControl* c) {
  if (capture_ != nullptr && IsWithin(capture_, c)) ReleaseCapture();
  if (click_candidate_ != nullptr && IsWithin(click_candidate_, c)) click_candidate_ = nullptr;
}

TControl* TApplication::FocusedIn(const TControl* top) const {
  for (TControl* f : focused_) {
    if (IsWithin(f, top)) return f;
  }
  return nullptr;
}

void TApplication::SetFocusedControl(TControl* c) {
  const TControl* top = c;
  while (top->GetParent() != nullptr) top = top->GetParent();
  // A control moved to another window keeps no claim on its old one.
  std::erase_if(focused_, [top](TControl* f) { return IsWithin(f, top); });
  focused_.push_back(c);
}

// ---------------------------------------------------------------- dispatch
void TApplication::Dispatch(const TMessage& m) {
  switch (m.Kind) {
    case TMessageKind::Paint:
      DispatchPaint(m.Target);
      break;
    case TMessageKind::Resize:
      if (m.Target != nullptr) {
        m.Target->SetBounds(m.Target->GetLeft(), m.Target->GetTop(), m.X, m.Y);
      }
      break;
    case TMessageKind::Callback:
      if (m.Callback) m.Callback();
      break;
    case TMessageKind::KeyDown:
    case TMessageKind::KeyUp:
    case TMessageKind::KeyPress:
      DispatchKey(m);
      break;
    default:
      DispatchMouse(m);
      break;
  }
}

void TApplication::DispatchPaint(TControl* c) {
  if (c == nullptr) return;
  c->paint_pending_ = false;
  if (c->needs_paint_ && c->Showing()) c->PaintNow();
}

void TApplication::DispatchKey(const TMessage& m) {
  if (m.Target == nullptr) return;
  const TControl* top = m.Target;
  while (top->GetParent() != nullptr) top = top->GetParent();
  TControl* target = FocusedIn(top);
  if (target == nullptr || !CanReceive(target)) target = m.Target;
  if (!CanReceive(target)) return;
  uint16_t key = m.Key;
  char ch = static_cast<char>(m.Key);
  // Unused keys go up to the parents.
  for (TControl* c = target; c != nullptr;) {
    TWinControl* parent = c->GetParent();
    std::weak_ptr<char> parent_alive = parent != nullptr ? parent->life_ : nullptr;
    if (m.Kind == TMessageKind::KeyDown) {
      c->KeyDown(key, m.Shift);
    } else if (m.Kind == TMessageKind::KeyUp) {
      c->KeyUp(key, m.Shift);
    } else {
      c->KeyPress(ch);
      key = static_cast<uint8_t>(ch);
    }
    if (key == 0 || parent_alive.expired()) break;
    c = parent;
  }
}

void TApplication::DispatchMouse(const TMessage& m) {
  TControl* target = m.Target;
  if (target == nullptr) return;
  int x = m.X;
  int y = m.Y;
  if (m.Kind == TMessageKind::MouseWheel) {
    if (m.ByPosition && (target = ControlUnder(target, x, y)) == nullptr) return;
    if (!CanReceive(target)) return;
    const TPoint pos = target->ClientToScreen(Point(x, y));
    const TShiftState shift = m.Shift + held_;
    // Unhandled wheels go up to the parents.
    for (TControl* c = target; c != nullptr;) {
      TWinControl* parent = c->GetParent();
      std::weak_ptr<char> parent_alive = parent != nullptr ? parent->life_ : nullptr;
      if (c->DoMouseWheel(shift, m.Delta, pos)) break;
      if (parent_alive.expired()) break;
      c = parent;
    }
    return;
  }

  if (capture_ != nullptr) {
    // The captured control gets everything, in its own coordinates.
    const TPoint p = capture_->ScreenToClient(target->ClientToScreen(Point(x, y)));
    target = capture_;
    x = p.X;
    y = p.Y;
  } else if (m.ByPosition && (target = ControlUnder(target, x, y)) == nullptr) {
    return;
  }
  if (!CanReceive(target)) return;

  std::weak_ptr<char> alive = target->life_;
  const TShiftStateFlag button = ButtonFlag(m.Button);
  switch (m.Kind) {
    case TMessageKind::MouseDown:
    case TMessageKind::DblClick: {
      const bool dbl = m.Kind == TMessageKind::DblClick || m.Shift.Contains(ssDouble);
      if (held_.Empty()) {
        for (TControl* f = target; f != nullptr; f = f->GetParent()) {
          if (f->CanFocus()) {
            f->SetFocus();
            break;
          }
        }
      }
      held_.Include(button);
      if (capture_ == nullptr) capture_ = target;
      if (m.Button == mbLeft) click_candidate_ = dbl ? nullptr : target;
      TShiftState shift = m.Shift + held_;
      if (dbl) {
        shift.Include(ssDouble);
        target->DblClick();
        if (alive.expired()) return;
      }
      target->MouseDown(m.Button, shift, x, y);
      break;
    }
    case TMessageKind::MouseMove:
      target->MouseMove(m.Shift + held_, x, y);
      break;
    case TMessageKind::MouseUp: {
      held_.Exclude(button);
      TShiftState shift = m.Shift + held_;
      shift.Exclude(button);
      const bool click = m.Button == mbLeft && click_candidate_ == target && x >= 0 && y >= 0 &&
                         x < target->GetWidth() && y < target->GetHeight();
      if (m.Button == mbLeft) click_candidate_ = nullptr;
      if (held_.Empty()) capture_ = nullptr;
      target->MouseUp(m.Button, shift, x, y);
      if (click && !alive.expired()) target->Click();
      break;
    }
    default:
      break;
  }
}

// ------------------------------------------------------------------ screen
TScreen& Screen() {
  static TScreen* screen = new TScreen;
  return *screen;
}

void TScreen::RegisterCursor(TCursor Cursor, const std::string& ResourceName) {
  if (ResourceName.empty()) {
    cursors_.erase(Cursor);
  } else {
    cursors_[Cursor] = ResourceName;
  }
}

std::string TScreen::GetCursorName(TCursor Cursor) const {
  if (auto it = cursors_.find(Cursor); it != cursors_.end()) return it->second;
  static constexpr const char* kBuiltIn[] = {
      "crDefault",  "crNone",     "crArrow",    "crCross",     "crIBeam",     "",
      "crSizeNESW", "crSizeNS",   "crSizeNWSE", "crSizeWE",    "crUpArrow",   "crHourGlass",
      "crDrag",     "crNoDrop",   "crHSplit",   "crVSplit",    "crMultiDrag", "crSQLWait",
      "crNo",       "crAppStart", "crHelp",     "crHandPoint", "crSizeAll"};
  const int index = -Cursor;
  if (index < 0 || index >= static_cast<int>(std::size(kBuiltIn))) return "";
  return kBuiltIn[index];
}

void TScreen::SetCursor(TCursor c) {
  if (c == cursor_) return;
  cursor_ = c;
  GetWindowBackend()->CursorChanged(nullptr);
}

int TScreen::GetWidth() const { return GetWindowBackend()->ScreenWidth(); }
int TScreen::GetHeight() const { return GetWindowBackend()->ScreenHeight(); }
int TScreen::GetPixelsPerInch() const { return GetWindowBackend()->PixelsPerInch(); }

}  // namespace tkz
