// TPanel, TComboBox and TSpeedButton.
#include "core/platform/stdctrls.h"

#include <algorithm>

namespace tkz {

namespace {

// System colours of the 3-D edges (button highlight and shadow).
constexpr TColor kEdgeLight = static_cast<TColor>(0xFF000014u);
constexpr TColor kEdgeDark = static_cast<TColor>(0xFF000010u);

void FillArea(TBitmap& bmp, TRect r, TColor c) {
  r.Left = std::max(r.Left, 0);
  r.Top = std::max(r.Top, 0);
  r.Right = std::min(r.Right, bmp.GetWidth());
  r.Bottom = std::min(r.Bottom, bmp.GetHeight());
  if (r.IsEmpty()) return;
  const uint32_t rgb = static_cast<uint32_t>(ColorToRGB(c));
  for (int y = r.Top; y < r.Bottom; ++y) {
    std::fill(bmp.ScanLine(y) + r.Left, bmp.ScanLine(y) + r.Right, rgb);
  }
}

// A 3-D frame `width` pixels wide inside r: top and left edges in `top`,
// right and bottom edges (and the top-right and bottom-left corners) in
// `bottom`. Returns the rectangle inside the frame.
TRect Frame3D(TBitmap& bmp, TRect r, TColor top, TColor bottom, int width) {
  for (int i = 0; i < width && !r.IsEmpty(); ++i) {
    FillArea(bmp, {r.Left, r.Top, r.Right - 1, r.Top + 1}, top);
    FillArea(bmp, {r.Left, r.Top, r.Left + 1, r.Bottom - 1}, top);
    FillArea(bmp, {r.Right - 1, r.Top, r.Right, r.Bottom}, bottom);
    FillArea(bmp, {r.Left, r.Bottom - 1, r.Right, r.Bottom}, bottom);
    r = {r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1};
  }
  return r;
}

TRect Bevel(TBitmap& bmp, TRect r, TBevelCut cut, int width) {
  switch (cut) {
    case bvRaised:
      return Frame3D(bmp, r, kEdgeLight, kEdgeDark, width);
    case bvLowered:
      return Frame3D(bmp, r, kEdgeDark, kEdgeLight, width);
    default:
      return r;
  }
}

// Writes a caption in the canvas font without background: centred in r, or
// from its left edge (plus a small indent) and vertically centred.
void Caption(TCanvas* c, const TRect& r, const std::string& text, bool centred) {
  if (text.empty()) return;
  const TBrushStyle style = c->GetBrush()->GetStyle();
  c->GetBrush()->SetStyle(bsClear);
  const int w = c->TextWidth(text), h = c->TextHeight(text);
  const int x = centred ? r.Left + (r.Width() - w) / 2 : r.Left + 2;
  c->TextOut(x, r.Top + (r.Height() - h) / 2, text);
  c->GetBrush()->SetStyle(style);
}

}  // namespace

// -------------------------------------------------------------------- TPanel
TPanel::TPanel(TComponent* AOwner) : TCustomControl(AOwner) {
  SetColor(clBtnFace);
  SetBounds(0, 0, 185, 41);
}

void TPanel::SetBevelOuter(TBevelCut b) {
  if (b > bvRaised || b == bevel_outer_) return;
  bevel_outer_ = b;
  Realign();
  Invalidate();
}

void TPanel::SetBevelInner(TBevelCut b) {
  if (b > bvRaised || b == bevel_inner_) return;
  bevel_inner_ = b;
  Realign();
  Invalidate();
}

void TPanel::SetBevelWidth(int w) {
  w = std::clamp(w, 1, 1000);
  if (w == bevel_width_) return;
  bevel_width_ = w;
  Realign();
  Invalidate();
}

int TPanel::BorderSize() const {
  return ((bevel_outer_ != bvNone) + (bevel_inner_ != bvNone)) * bevel_width_;
}

TRect TPanel::AdjustClientRect() const {
  const TRect r = GetClientRect();
  const int b = std::min({BorderSize(), r.Width() / 2, r.Height() / 2});
  return {r.Left + b, r.Top + b, r.Right - b, r.Bottom - b};
}

void TPanel::Paint() {
  TBitmap& bmp = *GetCanvas()->GetBitmap();
  const TRect inner = Bevel(bmp, GetClientRect(), bevel_outer_, bevel_width_);
  Caption(GetCanvas(), Bevel(bmp, inner, bevel_inner_, bevel_width_), GetCaption(), true);
  TCustomControl::Paint();
}

// ------------------------------------------------------------ TComboBoxItems
void TComboBoxItems::CheckIndex(int Index, int limit) const {
  if (Index < 0 || Index >= limit) {
    throw EControlError("List index out of bounds (" + std::to_string(Index) + ")");
  }
}

const std::string& TComboBoxItems::Get(int Index) const {
  CheckIndex(Index, Count());
  return items_[static_cast<size_t>(Index)];
}

int TComboBoxItems::IndexOf(const std::string& S) const {
  auto it = std::find(items_.begin(), items_.end(), S);
  return it == items_.end() ? -1 : static_cast<int>(it - items_.begin());
}

int TComboBoxItems::Add(const std::string& S) {
  items_.push_back(S);
  box_->ItemsChanged(-1, Count() - 1);
  return Count() - 1;
}

void TComboBoxItems::Insert(int Index, const std::string& S) {
  CheckIndex(Index, Count() + 1);
  items_.insert(items_.begin() + Index, S);
  box_->ItemsChanged(-1, Index);
}

void TComboBoxItems::Delete(int Index) {
  CheckIndex(Index, Count());
  items_.erase(items_.begin() + Index);
  box_->ItemsChanged(Index, -1);
}

void TComboBoxItems::Clear() {
  items_.clear();
  box_->ItemsChanged(-2, -1);
}

// ----------------------------------------------------------------- TComboBox
TComboBox::TComboBox(TComponent* AOwner) : TCustomControl(AOwner) {
  SetColor(clWindow);
  SetBounds(0, 0, 145, 21);
}

void TComboBox::ItemsChanged(int removed, int inserted) {
  if (removed == -2) {  // cleared
    item_index_ = -1;
    TControl::SetText("");
  } else if (removed >= 0 && item_index_ >= 0) {
    if (removed == item_index_) {
      item_index_ = -1;
      if (style_ == csDropDownList) TControl::SetText("");
    } else if (removed < item_index_) {
      --item_index_;
    }
  } else if (inserted >= 0 && item_index_ >= inserted) {
    ++item_index_;
  }
  Invalidate();
}

void TComboBox::ShowItem() {
  if (item_index_ >= 0) {
    TControl::SetText(items_.Get(item_index_));
  } else {
    TControl::SetText("");
  }
  Invalidate();
}

void TComboBox::SetItemIndex(int Index) {
  if (Index < 0 || Index >= items_.Count()) Index = -1;
  if (Index == item_index_) return;
  item_index_ = Index;
  ShowItem();
}

void TComboBox::SetText(const std::string& s) {
  const int i = items_.IndexOf(s);
  if (i >= 0 || style_ == csDropDownList) {
    item_index_ = i;
    ShowItem();
    return;
  }
  item_index_ = -1;
  TControl::SetText(s);
}

void TComboBox::SetStyle(TComboBoxStyle s) {
  if (s > csDropDownList || s == style_) return;
  style_ = s;
  if (style_ == csDropDownList && item_index_ < 0) TControl::SetText("");
  Invalidate();
}

void TComboBox::SetDropDownCount(int n) { drop_down_count_ = std::max(n, 1); }

bool TComboBox::SelectItemByUser(int Index) {
  if (Index < 0 || Index >= items_.Count()) return false;
  if (Index == item_index_) return true;
  item_index_ = Index;
  ShowItem();
  Change();
  return true;
}

void TComboBox::Change() {
  if (OnChange) OnChange(this);
}

void TComboBox::Paint() {
  // A sunken box with the drop-down button at the right; the text goes
  // between them.
  TBitmap& bmp = *GetCanvas()->GetBitmap();
  const TRect inner = Frame3D(bmp, GetClientRect(), kEdgeDark, kEdgeLight, 2);
  const int side = std::max(0, inner.Height());
  TRect button{std::max(inner.Left, inner.Right - side), inner.Top, inner.Right, inner.Bottom};
  FillArea(bmp, button, clBtnFace);
  Frame3D(bmp, button, kEdgeLight, kEdgeDark, 1);
  // The arrow: a small triangle pointing down, 7 pixels wide at the top.
  const int cx = (button.Left + button.Right) / 2;
  const int cy = (button.Top + button.Bottom) / 2 - 2;
  for (int row = 0; row < 4; ++row) {
    FillArea(bmp, {cx - 3 + row, cy + row, cx + 4 - row, cy + row + 1}, clBlack);
  }
  Caption(GetCanvas(), {inner.Left, inner.Top, button.Left, inner.Bottom}, GetText(), false);
  TCustomControl::Paint();
}

// -------------------------------------------------------------- TSpeedButton
TSpeedButton::TSpeedButton(TComponent* AOwner) : TGraphicControl(AOwner) {
  SetColor(clBtnFace);
  SetBounds(0, 0, 23, 22);
}

std::vector<TSpeedButton*> TSpeedButton::GroupSiblings() const {
  std::vector<TSpeedButton*> result;
  const TWinControl* p = GetParent();
  if (p == nullptr || group_index_ == 0) return result;
  for (int i = 0; i < p->ControlCount(); ++i) {
    auto* b = dynamic_cast<TSpeedButton*>(p->GetControl(i));
    if (b != nullptr && b != this && b->group_index_ == group_index_) result.push_back(b);
  }
  return result;
}

void TSpeedButton::SetDown(bool v) {
  if (group_index_ == 0) v = false;
  if (v == down_) return;
  if (down_ && !allow_all_up_) return;
  down_ = v;
  if (down_) {
    for (TSpeedButton* b : GroupSiblings()) {
      if (b->down_) {
        b->down_ = false;
        b->Invalidate();
      }
    }
  }
  Invalidate();
}

void TSpeedButton::SetGroupIndex(int g) {
  if (g == group_index_) return;
  group_index_ = g;
  if (down_ && g == 0) {
    down_ = false;
    Invalidate();
  } else if (down_) {
    down_ = false;
    const bool allow = allow_all_up_;
    SetDown(true);
    allow_all_up_ = allow;
  }
}

void TSpeedButton::SetAllowAllUp(bool v) {
  allow_all_up_ = v;
  for (TSpeedButton* b : GroupSiblings()) b->allow_all_up_ = v;
}

void TSpeedButton::SetFlat(bool v) {
  if (v == flat_) return;
  flat_ = v;
  Invalidate();
}

void TSpeedButton::SetGlyph(const TBitmap* g) {
  if (g == nullptr) {
    glyph_.SetSize(0, 0);
  } else {
    glyph_.Assign(g);
  }
  Invalidate();
}

void TSpeedButton::Click() { TGraphicControl::Click(); }

void TSpeedButton::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (Button == mbLeft) {
    tracking_ = true;
    pressed_ = true;
    Invalidate();
  }
  TGraphicControl::MouseDown(Button, Shift, X, Y);
}

void TSpeedButton::MouseMove(TShiftState Shift, int X, int Y) {
  if (tracking_) {
    const bool inside = X >= 0 && Y >= 0 && X < GetWidth() && Y < GetHeight();
    if (inside != pressed_) {
      pressed_ = inside;
      Invalidate();
    }
  }
  TGraphicControl::MouseMove(Shift, X, Y);
}

void TSpeedButton::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (Button == mbLeft && tracking_) {
    tracking_ = false;
    pressed_ = false;
    const bool inside = X >= 0 && Y >= 0 && X < GetWidth() && Y < GetHeight();
    if (inside && group_index_ != 0) {
      // The click that follows sees the new state.
      if (!down_) {
        SetDown(true);
      } else if (allow_all_up_) {
        SetDown(false);
      }
    }
    Invalidate();
  }
  TGraphicControl::MouseUp(Button, Shift, X, Y);
}

void TSpeedButton::Paint() {
  TBitmap& bmp = *GetCanvas()->GetBitmap();
  const bool sunken = down_ || pressed_;
  if (sunken) {
    Frame3D(bmp, GetClientRect(), kEdgeDark, kEdgeLight, 1);
  } else if (!flat_) {
    Frame3D(bmp, GetClientRect(), kEdgeLight, kEdgeDark, 1);
  }
  if (!glyph_.Empty()) {
    const int shift = sunken ? 1 : 0;
    const int gx = (GetWidth() - glyph_.GetWidth()) / 2 + shift;
    const int gy = (GetHeight() - glyph_.GetHeight()) / 2 + shift;
    const uint32_t transparent = glyph_.ScanLine(glyph_.GetHeight() - 1)[0];
    for (int y = 0; y < glyph_.GetHeight(); ++y) {
      const int ty = gy + y;
      if (ty < 0 || ty >= bmp.GetHeight()) continue;
      const uint32_t* src = glyph_.ScanLine(y);
      for (int x = 0; x < glyph_.GetWidth(); ++x) {
        const int tx = gx + x;
        if (tx < 0 || tx >= bmp.GetWidth() || src[x] == transparent) continue;
        bmp.ScanLine(ty)[tx] = src[x];
      }
    }
  } else {
    const int shift = sunken ? 1 : 0;
    TRect r = GetClientRect();
    r = {r.Left + shift, r.Top + shift, r.Right + shift, r.Bottom + shift};
    Caption(GetCanvas(), r, GetCaption(), true);
  }
  TGraphicControl::Paint();
}

}  // namespace tkz
