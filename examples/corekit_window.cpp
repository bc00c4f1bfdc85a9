// A small sketch pad: a tool bar of speed buttons (three inks and a clear
// button) over an area where the left button draws and a ring follows the
// mouse. With an X display it opens a window and runs until the window is
// closed; without one it plays a short stroke through the same message queue,
// checks the picture and exits.
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "core/platform/application.h"
#include "core/platform/backend_x11.h"
#include "core/platform/stdctrls.h"

using namespace tkz;

namespace {

// Strokes in their inks, and a ring where the mouse is.
class SketchArea : public TCustomControl {
 public:
  explicit SketchArea(TComponent* owner) : TCustomControl(owner) {
    SetColor(clWhite);
    SetCursor(crCross);
  }
  TColor ink = clRed;
  int PointCount() const {
    int n = 0;
    for (const Stroke& s : strokes_) n += static_cast<int>(s.points.size());
    return n;
  }
  void Clear() {
    strokes_.clear();
    Invalidate();
  }

 protected:
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override {
    if (button == mbLeft) strokes_.push_back({ink, {Point(x, y)}});
    TCustomControl::MouseDown(button, shift, x, y);
  }
  void MouseMove(TShiftState shift, int x, int y) override {
    if (shift.Contains(ssLeft) && !strokes_.empty()) strokes_.back().points.push_back(Point(x, y));
    mouse_ = Point(x, y);
    Invalidate();
    TCustomControl::MouseMove(shift, x, y);
  }
  void Paint() override {
    TCanvas* c = GetCanvas();
    for (const Stroke& s : strokes_) {
      c->GetPen()->SetColor(s.ink);
      c->GetPen()->SetWidth(3);
      c->MoveTo(s.points.front().X, s.points.front().Y);
      for (const TPoint& p : s.points) c->LineTo(p.X, p.Y);
    }
    c->GetPen()->SetWidth(1);
    c->GetPen()->SetColor(ink);
    c->GetBrush()->SetStyle(bsClear);
    c->Ellipse(mouse_.X - 8, mouse_.Y - 8, mouse_.X + 9, mouse_.Y + 9);
    c->GetBrush()->SetStyle(bsSolid);
    c->TextOut(6, GetHeight() - 20, std::to_string(PointCount()) + " points");
    TCustomControl::Paint();
  }

 private:
  struct Stroke {
    TColor ink;
    std::vector<TPoint> points;
  };
  std::vector<Stroke> strokes_;
  TPoint mouse_ = Point(-100, -100);
};

struct SketchPad {
  TPanel form;
  TPanel* bar = new TPanel(&form);
  SketchArea* area = new SketchArea(&form);
  std::vector<TSpeedButton*> inks;

  SketchPad() {
    form.SetCaption("TKZ sketch pad");
    form.SetBounds(100, 100, 360, 260);
    bar->SetParent(&form);
    bar->SetHeight(32);
    bar->SetAlign(alTop);
    area->SetParent(&form);
    area->SetAlign(alClient);
    const TColor colours[] = {clRed, clBlue, clGreen};
    for (int i = 0; i < 3; ++i) {
      auto* b = inks.emplace_back(new TSpeedButton(&form));
      b->SetParent(bar);
      b->SetBounds(4 + 26 * i, 4, 24, 24);
      b->SetGroupIndex(1);
      TBitmap glyph(12, 12);  // white corner: the transparent colour
      glyph.GetCanvas()->GetBrush()->SetColor(colours[i]);
      glyph.GetCanvas()->FillRect(TRect{1, 1, 11, 11});
      b->SetGlyph(&glyph);
      const TColor ink = colours[i];
      b->OnClick = [this, ink](TObject*) {
        area->ink = ink;
        area->Invalidate();
      };
    }
    inks[0]->SetDown(true);
    auto* clear = new TSpeedButton(&form);
    clear->SetParent(bar);
    clear->SetBounds(90, 4, 50, 24);
    clear->SetCaption("Clear");
    clear->OnClick = [this](TObject*) { area->Clear(); };
  }
};

// Without a display: a stroke in blue through the queue, then the checks.
int RunHeadless(SketchPad& pad) {
  TApplication& app = Application();
  pad.form.Show();
  const auto at = [&](TMessage m) { app.PostMessage(m.At(&pad.form)); };
  at(TMessage::MouseDown(nullptr, mbLeft, {}, 4 + 26 + 10, 14));  // the blue ink
  at(TMessage::MouseUp(nullptr, mbLeft, {}, 4 + 26 + 10, 14));
  at(TMessage::MouseDown(nullptr, mbLeft, {}, 40, 80));
  for (int x = 40; x <= 200; x += 20) at(TMessage::MouseMove(nullptr, {ssLeft}, x, 80));
  at(TMessage::MouseUp(nullptr, mbLeft, {}, 200, 80));
  app.ProcessMessages();

  auto shot = TakeScreenshot(&pad.form);
  const bool ok = pad.inks[1]->GetDown() && !pad.inks[0]->GetDown() &&
                  pad.area->PointCount() == 10 && shot->ScanLine(80)[120] == clBlue &&
                  shot->ScanLine(200)[300] == clWhite;
  std::printf("headless: %d points drawn, picture %s\n", pad.area->PointCount(),
              ok ? "as expected" : "WRONG");
  return ok ? 0 : 1;
}

}  // namespace

int main() {
  SketchPad pad;
  std::string why;
  std::unique_ptr<TX11Backend> x11 = TX11Backend::Open(nullptr, &why);
  if (!x11) {
    std::printf("no window: %s; running headless\n", why.c_str());
    return RunHeadless(pad);
  }
  SetWindowBackend(x11.get());
  pad.form.Show();
  Application().Run();  // until the window is closed
  std::printf("closed with %d points drawn\n", pad.area->PointCount());
  SetWindowBackend(nullptr);
  return x11->Connected() ? 0 : 1;
}
