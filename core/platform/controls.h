// Controls: rectangles on the screen that paint themselves and react to the
// mouse. They run headless; a window backend (backend.h) shows them on a real
// screen without the controls knowing.
//
// - A control has an owner (TComponent: the owner deletes it) and a parent (a
//   TWinControl: the parent lays it out and paints it, nothing more). Deleting
//   a parent turns its children that it does not own into parentless
//   controls; deleting a child takes it out of its parent. Both orders are safe.
// - Left/Top are relative to the parent's client area; a parentless control
//   is a top-level window and its Left/Top are screen coordinates.
// - Every control paints onto its own surface bitmap of its own size, cleared
//   to Color before Paint runs. PaintTo composes a control and its visible
//   children, in z order (later children on top, each clipped to its parent),
//   onto any canvas.
// - Invalidate posts one paint message to the application (application.h);
//   further Invalidates before it is dispatched add nothing. Mouse, wheel and
//   resize messages come through the same queue, posted by the backend or by
//   tests.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/platform/classes.h"
#include "core/platform/graphics.h"
#include "core/types/corekit_export.h"

namespace tkz {

// ----------------------------------------------------------------- vocabulary
enum TMouseButton : uint8_t { mbLeft, mbRight, mbMiddle };
enum TShiftStateFlag : uint8_t { ssShift, ssAlt, ssCtrl, ssLeft, ssRight, ssMiddle, ssDouble };
using TShiftState = TEnumSet<TShiftStateFlag>;

enum TAlign : uint8_t { alNone, alTop, alBottom, alLeft, alRight, alClient };

enum TComponentStateFlag : uint8_t { csLoading, csReading, csWriting, csDestroying, csDesigning };
using TComponentState = TEnumSet<TComponentStateFlag>;

// Cursors by number: the built-in shapes are 0 and below; applications
// register their own (positive numbers) with Screen().RegisterCursor.
using TCursor = int16_t;
constexpr TCursor crDefault = 0;
constexpr TCursor crNone = -1;
constexpr TCursor crArrow = -2;
constexpr TCursor crCross = -3;
constexpr TCursor crIBeam = -4;
constexpr TCursor crSizeNESW = -6;
constexpr TCursor crSizeNS = -7;
constexpr TCursor crSizeNWSE = -8;
constexpr TCursor crSizeWE = -9;
constexpr TCursor crUpArrow = -10;
constexpr TCursor crHourGlass = -11;
constexpr TCursor crDrag = -12;
constexpr TCursor crNoDrop = -13;
constexpr TCursor crHSplit = -14;
constexpr TCursor crVSplit = -15;
constexpr TCursor crMultiDrag = -16;
constexpr TCursor crSQLWait = -17;
constexpr TCursor crNo = -18;
constexpr TCursor crAppStart = -19;
constexpr TCursor crHelp = -20;
constexpr TCursor crHandPoint = -21;
constexpr TCursor crSizeAll = -22;

// Virtual key codes: letters and digits are their upper-case ASCII codes
// ('A', '7'); the others are these.
constexpr uint16_t VK_BACK = 8;
constexpr uint16_t VK_TAB = 9;
constexpr uint16_t VK_RETURN = 13;
constexpr uint16_t VK_SHIFT = 16;
constexpr uint16_t VK_CONTROL = 17;
constexpr uint16_t VK_MENU = 18;  // Alt
constexpr uint16_t VK_ESCAPE = 27;
constexpr uint16_t VK_SPACE = 32;
constexpr uint16_t VK_PRIOR = 33;  // Page Up
constexpr uint16_t VK_NEXT = 34;   // Page Down
constexpr uint16_t VK_END = 35;
constexpr uint16_t VK_HOME = 36;
constexpr uint16_t VK_LEFT = 37;
constexpr uint16_t VK_UP = 38;
constexpr uint16_t VK_RIGHT = 39;
constexpr uint16_t VK_DOWN = 40;
constexpr uint16_t VK_INSERT = 45;
constexpr uint16_t VK_DELETE = 46;
constexpr uint16_t VK_NUMPAD0 = 96;  // ... VK_NUMPAD0 + 9
constexpr uint16_t VK_MULTIPLY = 106;
constexpr uint16_t VK_ADD = 107;
constexpr uint16_t VK_SUBTRACT = 109;
constexpr uint16_t VK_DECIMAL = 110;
constexpr uint16_t VK_DIVIDE = 111;
constexpr uint16_t VK_F1 = 112;  // ... VK_F1 + 11 for F12
constexpr uint16_t VK_F12 = 123;
constexpr uint16_t VK_OEM_PLUS = 0xBB;
constexpr uint16_t VK_OEM_COMMA = 0xBC;
constexpr uint16_t VK_OEM_MINUS = 0xBD;
constexpr uint16_t VK_OEM_PERIOD = 0xBE;

// A handler that sets Key to 0 has used it; otherwise it goes on to the
// parent (see TApplication).
using TKeyEvent = std::function<void(TObject* Sender, uint16_t& Key, TShiftState Shift)>;
// Key is the character typed (a Windows-1252 byte); 0 once used.
using TKeyPressEvent = std::function<void(TObject* Sender, char& Key)>;

using TMouseEvent =
    std::function<void(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y)>;
using TMouseMoveEvent = std::function<void(TObject* Sender, TShiftState Shift, int X, int Y)>;
// MousePos is in screen coordinates (see TControl::ScreenToClient).
using TMouseWheelEvent = std::function<void(TObject* Sender, TShiftState Shift, int WheelDelta,
                                            TPoint MousePos, bool& Handled)>;

// Misuse of the control tree: a control made its own parent or ancestor, an
// item index out of range.
class TKZ_COREKIT_EXPORT EControlError : public ETKZError {
 public:
  using ETKZError::ETKZError;
};

class TWinControl;
class TApplication;

// --------------------------------------------------------------------- TControl
class TKZ_COREKIT_EXPORT TControl : public TComponent {
 public:
  // Positions are kept within +-kMaxCoord and sizes within 0..kMaxSize.
  static constexpr int kMaxCoord = 1 << 28;
  static constexpr int kMaxSize = TBitmap::kMaxSide;

  explicit TControl(TComponent* AOwner = nullptr);
  ~TControl() override;
  std::string ClassName() const override { return "TControl"; }

  // --- place in the tree
  TWinControl* GetParent() const { return parent_; }
  // Appends the control on top of the parent's children (nullptr detaches).
  // Raises EControlError when the parent is this control or one of its
  // children.
  void SetParent(TWinControl* AParent);

  // --- position and size (parent's client coordinates)
  int GetLeft() const { return left_; }
  int GetTop() const { return top_; }
  int GetWidth() const { return width_; }
  int GetHeight() const { return height_; }
  void SetLeft(int v) { SetBounds(v, top_, width_, height_); }
  void SetTop(int v) { SetBounds(left_, v, width_, height_); }
  void SetWidth(int v) { SetBounds(left_, top_, v, height_); }
  void SetHeight(int v) { SetBounds(left_, top_, width_, v); }
  // Negative sizes become 0.
  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight);
  TRect GetBoundsRect() const { return {left_, top_, left_ + width_, top_ + height_}; }
  TRect GetClientRect() const { return {0, 0, width_, height_}; }
  int GetClientWidth() const { return width_; }
  int GetClientHeight() const { return height_; }
  // Screen coordinates: a top-level control's Left/Top plus the offsets of the
  // controls between it and this one.
  TPoint ClientToScreen(TPoint p) const;
  TPoint ScreenToClient(TPoint p) const;

  // --- state
  bool GetVisible() const { return visible_; }
  void SetVisible(bool v);
  // Show/Hide also tell the backend again about a top-level control.
  void Show();
  void Hide();
  // Visible, and so are all its parents.
  bool Showing() const;
  bool GetEnabled() const { return enabled_; }
  void SetEnabled(bool v);
  TAlign GetAlign() const { return align_; }
  void SetAlign(TAlign a);
  TCursor GetCursor() const { return cursor_; }
  void SetCursor(TCursor c);
  const std::string& GetCaption() const { return text_; }
  void SetCaption(const std::string& s) { SetText(s); }
  const std::string& GetText() const { return text_; }
  virtual void SetText(const std::string& s);
  TColor GetColor() const { return color_; }
  void SetColor(TColor c);
  TFont* GetFont() { return &font_; }
  // A see-through control starts each paint from the picture of its parent
  // under it instead of clearing to Color (its parent's own painting; the
  // parts outside the parent are cleared to Color). The parent's next paint
  // repaints it.
  bool GetParentBackground() const { return parent_background_; }
  void SetParentBackground(bool b);
  const std::string& GetHint() const { return hint_; }
  void SetHint(const std::string& s) { hint_ = s; }
  bool GetShowHint() const { return show_hint_; }
  void SetShowHint(bool b) { show_hint_ = b; }
  TComponentState GetComponentState() const { return state_; }
  // Leaving csLoading lays out the children that were added while loading.
  void SetComponentState(TComponentState s);
  // Whether the application has the mouse captured for this control.
  bool GetMouseCapture() const;

  // --- keyboard focus: each top-level window remembers one focused control,
  // which receives the key messages addressed to the window.
  // Makes this control the focused one of its top-level window (nothing
  // when it cannot take the focus).
  void SetFocus();
  bool Focused() const;
  // A windowed control that is showing and enabled.
  virtual bool CanFocus() const;

  // --- painting
  // Marks the control as needing paint and posts a paint message unless one
  // is pending.
  void Invalidate();
  // Paints now when the control needs paint.
  void Update();
  // Paints now.
  void Repaint();
  void Refresh() { Repaint(); }
  // The canvas of the control's surface (its size; font set from Font and
  // brush colour from Color when a paint starts).
  TCanvas* GetCanvas();
  // Draws the control and its visible children at (x, y) of dest, painting
  // first whatever needs paint. Nothing outside dest's bitmap is touched.
  void PaintTo(TCanvas* dest, int x, int y);

  // --- events
  TNotifyEvent OnClick;
  TNotifyEvent OnDblClick;
  TNotifyEvent OnResize;
  TNotifyEvent OnPaint;
  TMouseEvent OnMouseDown;
  TMouseMoveEvent OnMouseMove;
  TMouseEvent OnMouseUp;
  TMouseWheelEvent OnMouseWheel;
  TKeyEvent OnKeyDown;
  TKeyEvent OnKeyUp;
  TKeyPressEvent OnKeyPress;

 protected:
  // Handlers of the messages; each fires its On... event. Subclasses
  // override them and call the inherited one to keep the events.
  virtual void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y);
  virtual void MouseMove(TShiftState Shift, int X, int Y);
  virtual void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y);
  // Returns whether the wheel was handled; an unhandled wheel goes on to the
  // parent.
  virtual bool DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos);
  virtual void KeyDown(uint16_t& Key, TShiftState Shift);
  virtual void KeyUp(uint16_t& Key, TShiftState Shift);
  virtual void KeyPress(char& Key);
  virtual void Click();
  virtual void DblClick();
  virtual void Paint();
  virtual void Resize();

 private:
  friend class TWinControl;
  friend class TApplication;

  void EnsureSurface();
  void PaintNow();              // erase, Paint, present
  void CopyParentBackground();  // the parent's picture under this control
  void Compose(TBitmap& dest, int64_t x, int64_t y, const TRect& clip);
  void InvalidateShowing();  // after becoming visible: repost what needs paint
  void RequestParentAlign();

  TWinControl* parent_ = nullptr;
  int left_ = 0;
  int top_ = 0;
  int width_ = 0;
  int height_ = 0;
  bool visible_ = true;
  bool enabled_ = true;
  TAlign align_ = alNone;
  TCursor cursor_ = crDefault;
  std::string text_;
  std::string hint_;
  bool show_hint_ = false;
  bool parent_background_ = false;
  TColor color_ = clWindow;
  TFont font_;
  TComponentState state_;

  std::unique_ptr<TBitmap> surface_;
  bool needs_paint_ = true;
  bool paint_pending_ = false;  // a paint message is queued
  bool in_paint_ = false;
  uint64_t paint_pass_ = 0;  // the ProcessMessages pass that last painted it
  // Expires when the control is destroyed; lets the dispatcher notice a
  // handler that deleted the control it was called for.
  std::shared_ptr<char> life_ = std::make_shared<char>();
};

// ------------------------------------------------------------------ TWinControl
// A control that holds other controls and lays out the aligned ones.
class TKZ_COREKIT_EXPORT TWinControl : public TControl {
 public:
  explicit TWinControl(TComponent* AOwner = nullptr);
  ~TWinControl() override;
  std::string ClassName() const override { return "TWinControl"; }

  int ControlCount() const { return static_cast<int>(children_.size()); }
  // 0-based in z order (the last is on top); nullptr out of range.
  TControl* GetControl(int Index) const;
  // The topmost visible child containing Pos (client coordinates), skipping
  // disabled ones unless AllowDisabled.
  TControl* ControlAtPos(const TPoint& Pos, bool AllowDisabled = false) const;
  // Lays out the aligned children within AdjustClientRect's area: alTop and
  // alBottom keep their heights and take the full width, alLeft and alRight
  // keep their widths, alClient takes what is left; in z order per kind.
  void Realign();
  // On a top-level control: its focused control, or nullptr.
  TControl* GetActiveControl() const;

 protected:
  // The area the aligned children share; the client rectangle by default.
  virtual TRect AdjustClientRect() const { return GetClientRect(); }

 private:
  friend class TControl;
  void InsertChild(TControl* c);
  void RemoveChild(TControl* c);

  std::vector<TControl*> children_;
  bool aligning_ = false;
};

// A control without children that paints on its own surface (buttons, labels).
class TKZ_COREKIT_EXPORT TGraphicControl : public TControl {
 public:
  explicit TGraphicControl(TComponent* AOwner = nullptr) : TControl(AOwner) {}
  std::string ClassName() const override { return "TGraphicControl"; }
};

// The base of custom windowed controls: override Paint and draw on GetCanvas().
class TKZ_COREKIT_EXPORT TCustomControl : public TWinControl {
 public:
  explicit TCustomControl(TComponent* AOwner = nullptr) : TWinControl(AOwner) {}
  std::string ClassName() const override { return "TCustomControl"; }
};

// The control and its visible children as a bitmap of the control's size.
TKZ_COREKIT_EXPORT std::unique_ptr<TBitmap> TakeScreenshot(TControl* control);

}  // namespace tkz
