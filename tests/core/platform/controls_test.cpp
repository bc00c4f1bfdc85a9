#include "core/platform/controls.h"

#include <gtest/gtest.h>

#include <memory>
#include <utility>

#include "controls_fixture.h"

namespace tkz {
namespace {

using ctltest::ControlsTest;
using ControlLayout = ControlsTest;
using ControlTree = ControlsTest;
using ControlPainting = ControlsTest;
using ctltest::Probe;

TRect Bounds(const TControl& c) { return c.GetBoundsRect(); }

// ---------------------------------------------------------------- layout
TEST_F(ControlLayout, TopAndClientShareTheParentAndFollowVisibilityAndSize) {
  TCustomControl form;
  form.SetBounds(0, 0, 480, 320);
  auto* bar = new TCustomControl(&form);
  bar->SetHeight(33);
  bar->SetAlign(alTop);
  bar->SetParent(&form);
  auto* map = new TCustomControl(&form);
  map->SetAlign(alClient);
  map->SetParent(&form);

  EXPECT_EQ(Bounds(*bar), Rect(0, 0, 480, 33));
  EXPECT_EQ(Bounds(*map), Rect(0, 33, 480, 320));

  bar->SetVisible(false);
  EXPECT_EQ(Bounds(*map), Rect(0, 0, 480, 320));
  bar->SetVisible(true);
  EXPECT_EQ(Bounds(*map), Rect(0, 33, 480, 320));

  int map_resizes = 0;
  map->OnResize = [&](TObject*) { ++map_resizes; };
  form.SetBounds(0, 0, 600, 400);
  EXPECT_EQ(Bounds(*bar), Rect(0, 0, 600, 33));
  EXPECT_EQ(Bounds(*map), Rect(0, 33, 600, 400));
  EXPECT_EQ(map_resizes, 1);

  bar->SetHeight(50);  // an aligned child's own height counts
  EXPECT_EQ(Bounds(*bar), Rect(0, 0, 600, 50));
  EXPECT_EQ(Bounds(*map), Rect(0, 50, 600, 400));
}

TEST_F(ControlLayout, EdgesStackInOrderAndTheClientTakesTheRest) {
  TCustomControl form;
  form.SetBounds(0, 0, 200, 100);
  auto add = [&](TAlign a, int w, int h) {
    auto* c = new TGraphicControl(&form);
    c->SetBounds(0, 0, w, h);
    c->SetAlign(a);
    c->SetParent(&form);
    return c;
  };
  auto* client = add(alClient, 1, 1);  // created first, still gets what is left
  auto* top1 = add(alTop, 0, 10);
  auto* top2 = add(alTop, 0, 5);
  auto* bottom = add(alBottom, 0, 20);
  auto* left = add(alLeft, 30, 0);
  auto* right = add(alRight, 40, 0);
  auto* fixed = add(alNone, 7, 7);
  fixed->SetBounds(3, 4, 7, 7);

  EXPECT_EQ(Bounds(*top1), Rect(0, 0, 200, 10));
  EXPECT_EQ(Bounds(*top2), Rect(0, 10, 200, 15));
  EXPECT_EQ(Bounds(*bottom), Rect(0, 80, 200, 100));
  EXPECT_EQ(Bounds(*left), Rect(0, 15, 30, 80));
  EXPECT_EQ(Bounds(*right), Rect(160, 15, 200, 80));
  EXPECT_EQ(Bounds(*client), Rect(30, 15, 160, 80));
  EXPECT_EQ(Bounds(*fixed), Rect(3, 4, 10, 11));

  // Edges larger than the parent squeeze the client to nothing, never below.
  form.SetBounds(0, 0, 50, 20);
  EXPECT_EQ(client->GetWidth(), 0);
  EXPECT_EQ(client->GetHeight(), 0);
}

TEST_F(ControlLayout, BoundsAreClampedAndLoadingDefersLayout) {
  TGraphicControl c;
  c.SetBounds(5, 6, -10, -1);
  EXPECT_EQ(Bounds(c), Rect(5, 6, 5, 6));
  c.SetBounds(0, 0, 1 << 30, 1 << 30);
  EXPECT_EQ(c.GetWidth(), TControl::kMaxSize);

  TCustomControl form;
  form.SetComponentState({csLoading, csDesigning});
  form.SetBounds(0, 0, 100, 100);
  auto* child = new TGraphicControl(&form);
  child->SetAlign(alClient);
  child->SetParent(&form);
  EXPECT_EQ(child->GetWidth(), 0);  // not laid out yet
  form.SetComponentState({csDesigning});
  EXPECT_TRUE(form.GetComponentState().Contains(csDesigning));
  EXPECT_EQ(Bounds(*child), Rect(0, 0, 100, 100));
}

// --------------------------------------------------------- the control tree
TEST_F(ControlTree, DeletingAParentDeletesOwnedChildrenAndFreesTheOthers) {
  auto owner = std::make_unique<TComponent>();
  auto* panel = new TCustomControl(owner.get());
  auto* owned = new TGraphicControl(panel);  // owned by the panel
  owned->SetParent(panel);
  auto* foreign = new TGraphicControl(owner.get());  // owned by someone else
  foreign->SetParent(panel);
  ASSERT_EQ(panel->ControlCount(), 2);

  delete panel;  // deletes `owned`; `foreign` stays, without a parent
  EXPECT_EQ(foreign->GetParent(), nullptr);
  EXPECT_EQ(owner->ComponentCount(), 1);
  foreign->SetLeft(3);  // still usable
  owner.reset();
}

TEST_F(ControlTree, DeletingAChildTakesItOutOfItsParentAndRelaysOut) {
  TCustomControl form;
  form.SetBounds(0, 0, 100, 100);
  auto* bar = new TGraphicControl(&form);
  bar->SetHeight(20);
  bar->SetAlign(alTop);
  bar->SetParent(&form);
  auto* rest = new TGraphicControl(&form);
  rest->SetAlign(alClient);
  rest->SetParent(&form);
  EXPECT_EQ(rest->GetTop(), 20);

  delete bar;
  EXPECT_EQ(form.ControlCount(), 1);
  EXPECT_EQ(form.GetControl(0), rest);
  EXPECT_EQ(Bounds(*rest), Rect(0, 0, 100, 100));
}

TEST_F(ControlTree, AnOwnerDeletesParentAndChildInEitherCreationOrder) {
  for (bool child_first : {false, true}) {
    auto owner = std::make_unique<TComponent>();
    TGraphicControl* child = nullptr;
    TCustomControl* parent = nullptr;
    if (child_first) child = new TGraphicControl(owner.get());
    parent = new TCustomControl(owner.get());
    if (!child_first) child = new TGraphicControl(owner.get());
    child->SetParent(parent);
    child->Invalidate();
    parent->Invalidate();
    owner.reset();  // ASan reports any use of a freed parent or child
    EXPECT_EQ(Application().ProcessMessages(), 0);
  }
}

TEST_F(ControlTree, AControlCannotBecomeItsOwnAncestor) {
  TCustomControl a;
  TCustomControl b;
  b.SetParent(&a);
  EXPECT_THROW(a.SetParent(&b), EControlError);
  EXPECT_THROW(a.SetParent(&a), EControlError);
  EXPECT_EQ(a.GetParent(), nullptr);
  b.SetParent(nullptr);
  EXPECT_EQ(a.ControlCount(), 0);
}

TEST_F(ControlTree, ScreenCoordinatesAddTheOffsetsUpToTheTopLevel) {
  TCustomControl form;
  form.SetBounds(100, 50, 300, 200);
  TCustomControl panel;
  panel.SetBounds(10, 20, 100, 100);
  panel.SetParent(&form);
  TGraphicControl button;
  button.SetBounds(5, 6, 10, 10);
  button.SetParent(&panel);
  EXPECT_EQ(button.ClientToScreen(Point(1, 2)), Point(116, 78));
  EXPECT_EQ(button.ScreenToClient(Point(116, 78)), Point(1, 2));
}

// ---------------------------------------------------------------- painting
TEST_F(ControlPainting, TwoInvalidatesGiveOnePaint) {
  Probe p;
  p.SetBounds(0, 0, 10, 10);
  Application().ProcessMessages();
  p.paints = 0;

  p.Invalidate();
  p.Invalidate();
  EXPECT_EQ(Application().MessageCount(), 1);
  Application().ProcessMessages();
  EXPECT_EQ(p.paints, 1);
  Application().ProcessMessages();
  EXPECT_EQ(p.paints, 1);
}

TEST_F(ControlPainting, UpdatePaintsAtOnceAndThePendingMessageThenPaintsNothing) {
  Probe p;
  p.SetBounds(0, 0, 10, 10);
  Application().ProcessMessages();
  p.paints = 0;
  p.Invalidate();
  p.Update();
  EXPECT_EQ(p.paints, 1);
  p.Update();  // nothing to do
  EXPECT_EQ(p.paints, 1);
  Application().ProcessMessages();
  EXPECT_EQ(p.paints, 1);
  p.Repaint();
  EXPECT_EQ(p.paints, 2);
}

TEST_F(ControlPainting, HiddenControlsPaintWhenShown) {
  TCustomControl parent;
  parent.SetBounds(0, 0, 50, 50);
  parent.SetVisible(false);
  Probe child;
  child.SetBounds(0, 0, 10, 10);
  child.SetParent(&parent);
  child.Invalidate();
  Application().ProcessMessages();
  EXPECT_EQ(child.paints, 0);
  parent.SetVisible(true);
  Application().ProcessMessages();
  EXPECT_EQ(child.paints, 1);
}

TEST_F(ControlPainting, AControlThatInvalidatesWhilePaintingCannotHangTheQueue) {
  Probe p;
  p.SetBounds(0, 0, 10, 10);
  p.on_paint = [](Probe* self) { self->Invalidate(); };
  Application().ProcessMessages();
  EXPECT_EQ(p.paints, 1);
  EXPECT_EQ(Application().MessageCount(), 1);  // the next paint waits
  Application().ProcessMessages();
  EXPECT_EQ(p.paints, 2);
}

TEST_F(ControlPainting, PaintDrawsOnASurfaceClearedToColorWithTheControlsFont) {
  Probe p;
  p.SetBounds(0, 0, 8, 6);
  p.SetColor(clYellow);
  p.GetFont()->SetName("DejaVu Serif");
  p.GetFont()->SetSize(14);
  std::string font_seen;
  int size_seen = 0;
  p.on_paint = [&](Probe* self) {
    font_seen = self->GetCanvas()->GetFont()->GetName();
    size_seen = self->GetCanvas()->GetFont()->GetSize();
    self->GetCanvas()->SetPixel(1, 1, clRed);
  };
  p.Repaint();
  EXPECT_EQ(font_seen, "DejaVu Serif");
  EXPECT_EQ(size_seen, 14);
  EXPECT_EQ(p.GetCanvas()->GetPixel(1, 1), clRed);
  EXPECT_EQ(p.GetCanvas()->GetPixel(0, 0), clYellow);

  p.SetBounds(0, 0, 20, 3);  // the surface follows the size
  EXPECT_EQ(p.GetCanvas()->GetBitmap()->GetWidth(), 20);
  EXPECT_EQ(p.GetCanvas()->GetBitmap()->GetHeight(), 3);
}

// The map's way of painting: draw into an off-screen bitmap, then copy it.
TEST_F(ControlPainting, PaintMayCopyAnOffscreenPictureOntoItsCanvas) {
  Probe map;
  map.SetBounds(0, 0, 30, 20);
  TBitmap buffer(30, 20);
  buffer.Fill(clNavy);
  buffer.GetCanvas()->GetBrush()->SetColor(clYellow);
  buffer.GetCanvas()->FillRect(Rect(5, 5, 10, 10));
  map.on_paint = [&](Probe* self) { self->GetCanvas()->Draw(0, 0, &buffer); };
  auto shot = TakeScreenshot(&map);
  EXPECT_EQ(shot->GetCanvas()->GetPixel(0, 0), clNavy);
  EXPECT_EQ(shot->GetCanvas()->GetPixel(5, 5), clYellow);
  EXPECT_EQ(shot->GetCanvas()->GetPixel(10, 10), clNavy);
}

// Paint handlers that destroy a control: their own, or another one.
class SelfDestroying : public TCustomControl {
 protected:
  void Paint() override { delete this; }
};
class Destroying : public TCustomControl {
 public:
  TControl* victim = nullptr;

 protected:
  void Paint() override { delete std::exchange(victim, nullptr); }
};

TEST_F(ControlPainting, APaintHandlerMayDestroyItsControlOrTheParentDuringAScreenshot) {
  // Under the sanitizers any use of a destroyed control would be reported.
  auto* self = new SelfDestroying;
  self->SetBounds(0, 0, 8, 8);
  auto shot = TakeScreenshot(self);
  EXPECT_EQ(shot->GetWidth(), 8);

  auto* form = new Probe;
  form->SetBounds(0, 0, 20, 20);
  Destroying child;
  child.SetBounds(2, 2, 5, 5);
  child.SetParent(form);
  child.victim = form;
  Probe sibling;
  sibling.SetBounds(10, 10, 5, 5);
  sibling.SetParent(form);
  shot = TakeScreenshot(form);
  EXPECT_EQ(child.GetParent(), nullptr);
  EXPECT_EQ(sibling.paints, 0);  // composing stopped with the parent gone
}

TEST_F(ControlPainting, ScreenshotComposesVisibleChildrenClippedToTheirParents) {
  Probe form;
  form.SetBounds(0, 0, 40, 30);
  form.SetColor(clRed);
  Probe box;
  box.SetBounds(10, 5, 15, 10);  // x 10..24, y 5..14
  box.SetColor(clBlue);
  box.SetParent(&form);
  TGraphicControl dot;
  dot.SetBounds(12, 2, 6, 6);  // sticks out of box to the right: clipped at x 24
  dot.SetColor(clLime);
  dot.SetParent(&box);
  TGraphicControl hidden;
  hidden.SetBounds(0, 0, 5, 5);
  hidden.SetColor(clWhite);
  hidden.SetVisible(false);
  hidden.SetParent(&form);
  box.on_paint = [](Probe* self) { self->GetCanvas()->SetPixel(0, 0, clBlack); };

  auto shot = TakeScreenshot(&form);
  ASSERT_EQ(shot->GetWidth(), 40);
  ASSERT_EQ(shot->GetHeight(), 30);
  TCanvas* c = shot->GetCanvas();
  EXPECT_EQ(c->GetPixel(0, 0), clRed);     // the hidden child is not drawn
  EXPECT_EQ(c->GetPixel(10, 5), clBlack);  // box's Paint
  EXPECT_EQ(c->GetPixel(11, 5), clBlue);
  EXPECT_EQ(c->GetPixel(22, 7), clLime);  // dot at box (12, 2)
  EXPECT_EQ(c->GetPixel(24, 7), clLime);
  EXPECT_EQ(c->GetPixel(25, 7), clRed);  // beyond box: clipped
  EXPECT_EQ(c->GetPixel(24, 15), clRed);

  // Drawing at an offset onto a smaller picture touches only what fits.
  TBitmap small(12, 12);
  small.Fill(clWhite);
  form.PaintTo(small.GetCanvas(), -8, -4);
  EXPECT_EQ(small.GetCanvas()->GetPixel(0, 0), clRed);
  EXPECT_EQ(small.GetCanvas()->GetPixel(2, 1), clBlack);
  EXPECT_EQ(small.GetCanvas()->GetPixel(11, 10), clBlue);
}

}  // namespace
}  // namespace tkz
