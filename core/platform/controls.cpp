// TControl and TWinControl: the tree, properties, painting and composition.
// The layout of aligned children is in controls_layout.cpp.
#include "core/platform/controls.h"

#include <algorithm>
#include <limits>

#include "core/platform/application.h"
#include "core/platform/backend.h"

namespace tkz {

namespace {

// Clears a flag when it goes out of scope, unless its control died meanwhile.
class FlagGuard {
 public:
  FlagGuard(std::weak_ptr<char> life, bool* flag) : life_(std::move(life)), flag_(flag) {
    *flag_ = true;
  }
  ~FlagGuard() {
    if (!life_.expired()) *flag_ = false;
  }
  FlagGuard(const FlagGuard&) = delete;
  FlagGuard& operator=(const FlagGuard&) = delete;

 private:
  std::weak_ptr<char> life_;
  bool* flag_;
};

int ClampInt(int64_t v, int64_t lo, int64_t hi) { return static_cast<int>(std::clamp(v, lo, hi)); }

}  // namespace

// ------------------------------------------------------------------ the tree
TControl::TControl(TComponent* AOwner) : TComponent(AOwner) {
  font_.OnChange = [this](TObject*) { Invalidate(); };
}

TControl::~TControl() {
  state_.Include(csDestroying);
  life_.reset();
  font_.OnChange = nullptr;
  Application().ControlDestroyed(this);
  GetWindowBackend()->ControlDestroyed(this);
  if (parent_ != nullptr) {
    TWinControl* p = parent_;
    parent_ = nullptr;
    p->RemoveChild(this);
  }
}

void TControl::SetParent(TWinControl* AParent) {
  if (AParent == parent_) return;
  for (const TControl* a = AParent; a != nullptr; a = a->parent_) {
    if (a == this) throw EControlError("A control cannot be its own parent or ancestor");
  }
  if (parent_ != nullptr) {
    TWinControl* old = parent_;
    parent_ = nullptr;
    GetWindowBackend()->ControlInvalidated(old);
    old->RemoveChild(this);
  }
  if (AParent != nullptr) {
    parent_ = AParent;
    AParent->InsertChild(this);
  }
  GetWindowBackend()->ControlInvalidated(this);
  InvalidateShowing();
}

TWinControl::TWinControl(TComponent* AOwner) : TControl(AOwner) {}

TWinControl::~TWinControl() {
  // The children outlive their parent as parentless controls unless an owner
  // deletes them; none keeps a pointer to this one.
  for (TControl* c : children_) c->parent_ = nullptr;
  children_.clear();
}

TControl* TWinControl::GetControl(int Index) const {
  if (Index < 0 || Index >= ControlCount()) return nullptr;
  return children_[static_cast<size_t>(Index)];
}

void TWinControl::InsertChild(TControl* c) {
  children_.push_back(c);
  if (c->visible_ && c->align_ != alNone) Realign();
}

void TWinControl::RemoveChild(TControl* c) {
  auto it = std::find(children_.begin(), children_.end(), c);
  if (it == children_.end()) return;
  children_.erase(it);
  if (c->visible_ && c->align_ != alNone) Realign();
}

TControl* TWinControl::ControlAtPos(const TPoint& Pos, bool AllowDisabled) const {
  if (Pos.X < 0 || Pos.Y < 0 || Pos.X >= GetWidth() || Pos.Y >= GetHeight()) return nullptr;
  for (auto it = children_.rbegin(); it != children_.rend(); ++it) {
    const TControl* c = *it;
    if (!c->visible_ || (!c->enabled_ && !AllowDisabled)) continue;
    if (Pos.X >= c->left_ && Pos.Y >= c->top_ && Pos.X - c->left_ < c->width_ &&
        Pos.Y - c->top_ < c->height_) {
      return *it;
    }
  }
  return nullptr;
}

// ------------------------------------------------------- position and state
void TControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  ALeft = std::clamp(ALeft, -kMaxCoord, kMaxCoord);
  ATop = std::clamp(ATop, -kMaxCoord, kMaxCoord);
  AWidth = std::clamp(AWidth, 0, kMaxSize);
  AHeight = std::clamp(AHeight, 0, kMaxSize);
  if (ALeft == left_ && ATop == top_ && AWidth == width_ && AHeight == height_) return;
  const bool resized = AWidth != width_ || AHeight != height_;
  left_ = ALeft;
  top_ = ATop;
  width_ = AWidth;
  height_ = AHeight;
  if (!resized) {
    GetWindowBackend()->ControlInvalidated(this);
    return;
  }
  std::weak_ptr<char> alive = life_;
  Invalidate();
  if (auto* w = dynamic_cast<TWinControl*>(this)) w->Realign();
  if (alive.expired()) return;
  RequestParentAlign();
  if (alive.expired()) return;
  // When the parent's layout changed the size again, that nested SetBounds
  // has already reported it.
  if (width_ == AWidth && height_ == AHeight) Resize();
}

void TControl::RequestParentAlign() {
  if (parent_ != nullptr && align_ != alNone && !parent_->aligning_) parent_->Realign();
}

TPoint TControl::ClientToScreen(TPoint p) const {
  int64_t x = p.X;
  int64_t y = p.Y;
  for (const TControl* c = this; c != nullptr; c = c->parent_) {
    x += c->left_;
    y += c->top_;
  }
  constexpr int64_t lo = std::numeric_limits<int32_t>::min();
  constexpr int64_t hi = std::numeric_limits<int32_t>::max();
  return {ClampInt(x, lo, hi), ClampInt(y, lo, hi)};
}

TPoint TControl::ScreenToClient(TPoint p) const {
  int64_t x = p.X;
  int64_t y = p.Y;
  for (const TControl* c = this; c != nullptr; c = c->parent_) {
    x -= c->left_;
    y -= c->top_;
  }
  constexpr int64_t lo = std::numeric_limits<int32_t>::min();
  constexpr int64_t hi = std::numeric_limits<int32_t>::max();
  return {ClampInt(x, lo, hi), ClampInt(y, lo, hi)};
}

void TControl::SetVisible(bool v) {
  if (v == visible_) return;
  visible_ = v;
  std::weak_ptr<char> alive = life_;
  if (!v) Application().ControlLostInput(this);
  if (parent_ != nullptr) {
    GetWindowBackend()->ControlInvalidated(this);
    if (align_ != alNone && !parent_->aligning_) parent_->Realign();
    if (alive.expired()) return;
  } else if (v) {
    GetWindowBackend()->TopLevelShown(this);
  } else {
    GetWindowBackend()->TopLevelHidden(this);
  }
  if (v) InvalidateShowing();
}

void TControl::Show() {
  const bool was = visible_;
  SetVisible(true);
  if (was && parent_ == nullptr) GetWindowBackend()->TopLevelShown(this);
}

void TControl::Hide() {
  const bool was = visible_;
  SetVisible(false);
  if (!was && parent_ == nullptr) GetWindowBackend()->TopLevelHidden(this);
}

bool TControl::Showing() const {
  for (const TControl* c = this; c != nullptr; c = c->parent_) {
    if (!c->visible_) return false;
  }
  return true;
}

void TControl::SetEnabled(bool v) {
  if (v == enabled_) return;
  enabled_ = v;
  if (!v) Application().ControlLostInput(this);
  Invalidate();
}

void TControl::SetAlign(TAlign a) {
  if (a > alClient || a == align_) return;
  align_ = a;
  if (parent_ != nullptr && visible_ && !parent_->aligning_) parent_->Realign();
}

void TControl::SetCursor(TCursor c) {
  if (c == cursor_) return;
  cursor_ = c;
  GetWindowBackend()->CursorChanged(this);
}

void TControl::SetText(const std::string& s) {
  if (s == text_) return;
  text_ = s;
  Invalidate();
}

void TControl::SetColor(TColor c) {
  if (c == color_) return;
  color_ = c;
  Invalidate();
}

void TControl::SetComponentState(TComponentState s) {
  const bool was_loading = state_.Contains(csLoading);
  state_ = s;
  if (was_loading && !s.Contains(csLoading)) {
    if (auto* w = dynamic_cast<TWinControl*>(this)) w->Realign();
  }
}

bool TControl::GetMouseCapture() const { return Application().GetCapture() == this; }

// ------------------------------------------------------------------ painting
void TControl::Invalidate() {
  needs_paint_ = true;
  if (state_.Contains(csDestroying)) return;
  GetWindowBackend()->ControlInvalidated(this);
  if (!paint_pending_ && Showing()) {
    paint_pending_ = true;
    TMessage m;
    m.Kind = TMessageKind::Paint;
    m.Target = this;
    Application().PostMessage(std::move(m));
  }
}

void TControl::InvalidateShowing() {
  if (!Showing()) return;
  Invalidate();
  // Children that needed paint while hidden posted nothing; post for them now.
  std::vector<TControl*> pending;
  if (auto* w = dynamic_cast<TWinControl*>(this)) pending = w->children_;
  while (!pending.empty()) {
    TControl* c = pending.back();
    pending.pop_back();
    if (!c->visible_) continue;
    if (c->needs_paint_ && !c->paint_pending_) c->Invalidate();
    if (auto* w = dynamic_cast<TWinControl*>(c)) {
      pending.insert(pending.end(), w->children_.begin(), w->children_.end());
    }
  }
}

void TControl::Update() {
  if (needs_paint_ && Showing()) PaintNow();
}

void TControl::Repaint() {
  needs_paint_ = true;
  Update();
}

void TControl::EnsureSurface() {
  if (!surface_) surface_ = std::make_unique<TBitmap>();
  if (surface_->GetWidth() == width_ && surface_->GetHeight() == height_) return;
  // A control too large for a bitmap keeps an empty surface and draws nothing.
  if (TBitmap::SizeAllowed(width_, height_)) {
    surface_->SetSize(width_, height_);
  } else {
    surface_->SetSize(0, 0);
  }
  surface_->Fill(color_);
  needs_paint_ = true;
}

TCanvas* TControl::GetCanvas() {
  EnsureSurface();
  return surface_->GetCanvas();
}

void TControl::PaintNow() {
  if (in_paint_) return;
  EnsureSurface();
  needs_paint_ = false;
  if (surface_->Empty()) return;
  surface_->Fill(color_);
  if (parent_background_) CopyParentBackground();
  TCanvas* canvas = surface_->GetCanvas();
  canvas->GetFont()->Assign(&font_);
  canvas->GetBrush()->SetColor(color_);
  canvas->GetBrush()->SetStyle(bsSolid);
  std::weak_ptr<char> alive = life_;
  {
    FlagGuard guard(alive, &in_paint_);
    Paint();
  }
  if (alive.expired()) return;
  // See-through children show this picture: they paint again after it.
  if (auto* w = dynamic_cast<TWinControl*>(this)) {
    for (TControl* c : w->children_) {
      if (c->parent_background_) c->needs_paint_ = true;
    }
  }
  GetWindowBackend()->PresentControl(this);
}

void TControl::CopyParentBackground() {
  if (parent_ == nullptr || !parent_->surface_ || parent_->surface_->Empty()) return;
  const TBitmap& from = *parent_->surface_;
  const int l = std::max(0, left_);
  const int t = std::max(0, top_);
  const int r = std::min(from.GetWidth(), left_ + surface_->GetWidth());
  const int b = std::min(from.GetHeight(), top_ + surface_->GetHeight());
  for (int row = t; row < b; ++row) {
    const uint32_t* src = from.ScanLine(row);
    std::copy(src + l, src + r, surface_->ScanLine(row - top_) + (l - left_));
  }
}

void TControl::SetParentBackground(bool b) {
  if (b == parent_background_) return;
  parent_background_ = b;
  Invalidate();
}

void TControl::PaintTo(TCanvas* dest, int x, int y) {
  if (dest == nullptr || dest->GetBitmap() == nullptr) return;
  TBitmap& bmp = *dest->GetBitmap();
  Compose(bmp, x, y, TRect{0, 0, bmp.GetWidth(), bmp.GetHeight()});
}

void TControl::Compose(TBitmap& dest, int64_t x, int64_t y, const TRect& clip) {
  // A Paint handler may destroy this control (or, through a child, its
  // parent): nothing of it is touched once it is gone.
  const std::weak_ptr<char> alive = life_;
  if (needs_paint_ || !surface_ || surface_->GetWidth() != width_ ||
      surface_->GetHeight() != height_) {
    needs_paint_ = true;
    PaintNow();
    if (alive.expired()) return;
    // A Paint handler that changed the size has posted a paint at the new
    // size; paint it now, so that the picture matches the size.
    if (surface_ && (surface_->GetWidth() != width_ || surface_->GetHeight() != height_)) {
      needs_paint_ = true;
      PaintNow();
      if (alive.expired()) return;
    }
  }
  // The part of dest this control covers: its rectangle within the clip.
  const int64_t l = std::max<int64_t>(clip.Left, x);
  const int64_t t = std::max<int64_t>(clip.Top, y);
  const int64_t r = std::min<int64_t>(clip.Right, x + width_);
  const int64_t b = std::min<int64_t>(clip.Bottom, y + height_);
  if (r <= l || b <= t) return;
  const TRect area{static_cast<int32_t>(l), static_cast<int32_t>(t), static_cast<int32_t>(r),
                   static_cast<int32_t>(b)};
  if (surface_ && !surface_->Empty()) {
    // Within the surface too: a handler may have resized the control again.
    const int sx = static_cast<int>(l - x);
    const int sy = static_cast<int>(t - y);
    const int cols = std::min(area.Width(), surface_->GetWidth() - sx);
    const int rows = std::min(area.Height(), surface_->GetHeight() - sy);
    for (int row = 0; row < rows && cols > 0; ++row) {
      const uint32_t* src = surface_->ScanLine(sy + row) + sx;
      std::copy(src, src + cols, dest.ScanLine(area.Top + row) + area.Left);
    }
  }
  auto* w = dynamic_cast<TWinControl*>(this);
  if (w == nullptr) return;
  // By index: a child's Paint may change the list.
  for (size_t i = 0; i < w->children_.size(); ++i) {
    TControl* c = w->children_[i];
    if (c->visible_) c->Compose(dest, x + c->left_, y + c->top_, area);
    if (alive.expired()) return;
  }
}

// ------------------------------------------------------------------- focus
bool TControl::CanFocus() const {
  if (dynamic_cast<const TWinControl*>(this) == nullptr || !Showing()) return false;
  for (const TControl* c = this; c != nullptr; c = c->parent_) {
    if (!c->enabled_) return false;
  }
  return true;
}

void TControl::SetFocus() {
  if (CanFocus()) Application().SetFocusedControl(this);
}

bool TControl::Focused() const {
  const TControl* top = this;
  while (top->parent_ != nullptr) top = top->parent_;
  return Application().FocusedIn(top) == this;
}

TControl* TWinControl::GetActiveControl() const { return Application().FocusedIn(this); }

std::unique_ptr<TBitmap> TakeScreenshot(TControl* control) {
  auto bmp = std::make_unique<TBitmap>();
  if (control == nullptr) return bmp;
  bmp->SetSize(control->GetWidth(), control->GetHeight());
  control->PaintTo(bmp->GetCanvas(), 0, 0);
  return bmp;
}

// ------------------------------------------------------------------ handlers
void TControl::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (OnMouseDown) OnMouseDown(this, Button, Shift, X, Y);
}

void TControl::MouseMove(TShiftState Shift, int X, int Y) {
  if (OnMouseMove) OnMouseMove(this, Shift, X, Y);
}

void TControl::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (OnMouseUp) OnMouseUp(this, Button, Shift, X, Y);
}

bool TControl::DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos) {
  bool handled = false;
  if (OnMouseWheel) OnMouseWheel(this, Shift, WheelDelta, MousePos, handled);
  return handled;
}

void TControl::KeyDown(uint16_t& Key, TShiftState Shift) {
  if (OnKeyDown) OnKeyDown(this, Key, Shift);
}

void TControl::KeyUp(uint16_t& Key, TShiftState Shift) {
  if (OnKeyUp) OnKeyUp(this, Key, Shift);
}

void TControl::KeyPress(char& Key) {
  if (OnKeyPress) OnKeyPress(this, Key);
}

void TControl::Click() {
  if (OnClick) OnClick(this);
}

void TControl::DblClick() {
  if (OnDblClick) OnDblClick(this);
}

void TControl::Paint() {
  if (OnPaint) OnPaint(this);
}

void TControl::Resize() {
  if (OnResize) OnResize(this);
}

}  // namespace tkz
