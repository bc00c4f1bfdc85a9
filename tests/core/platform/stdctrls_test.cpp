#include "core/platform/stdctrls.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "controls_fixture.h"

namespace tkz {
namespace {

using ctltest::ControlsTest;
using SpeedButton = ControlsTest;
using Panel = ControlsTest;
using ComboBox = ControlsTest;
using CompositeControl = ControlsTest;

const TColor kFace = ColorToRGB(clBtnFace);
const TColor kLight = ColorToRGB(static_cast<TColor>(0xFF000014u));
const TColor kDark = ColorToRGB(static_cast<TColor>(0xFF000010u));

void ClickOn(TControl* c, int x = 2, int y = 2) {
  Application().PostMessage(TMessage::MouseDown(c, mbLeft, {}, x, y));
  Application().PostMessage(TMessage::MouseUp(c, mbLeft, {}, x, y));
  Application().ProcessMessages();
}

// ------------------------------------------------------------ speed buttons
struct ToolBar {
  ToolBar() {
    for (int i = 0; i < 3; ++i) {
      auto* b = new TSpeedButton(&bar);
      b->SetBounds(i * 25, 0, 23, 22);
      b->SetGroupIndex(1);
      b->SetParent(&bar);
      b->OnClick = [this, i](TObject*) {
        // The group's state is settled when OnClick runs.
        seen.push_back(std::to_string(i) + (Button(i)->GetDown() ? " down" : " up") + " others " +
                       std::to_string(DownCount() - Button(i)->GetDown()));
      };
      group.push_back(b);
    }
    single.SetParent(&bar);
    single.SetBounds(100, 0, 23, 22);
    elsewhere.SetGroupIndex(1);
  }
  TSpeedButton* Button(int i) { return group[static_cast<size_t>(i)]; }
  int DownCount() {
    int n = 0;
    for (auto* b : group) n += b->GetDown();
    return n;
  }
  TPanel bar;
  std::vector<TSpeedButton*> group;
  TSpeedButton single;
  TSpeedButton elsewhere;  // same group number, other parent
  std::vector<std::string> seen;
};

TEST_F(SpeedButton, SpeedButtonsOfAGroupAreExclusive) {
  ToolBar t;
  t.Button(0)->SetDown(true);
  t.elsewhere.SetDown(true);
  ClickOn(t.Button(2));
  EXPECT_TRUE(t.Button(2)->GetDown());
  EXPECT_FALSE(t.Button(0)->GetDown());
  EXPECT_TRUE(t.elsewhere.GetDown());

  // The down button stays down on a click (and still reports it) and when
  // put up by the program.
  ClickOn(t.Button(2));
  t.Button(2)->SetDown(false);
  EXPECT_TRUE(t.Button(2)->GetDown());
  EXPECT_EQ(t.seen, (std::vector<std::string>{"2 down others 0", "2 down others 0"}));

  // Setting one down from the program releases the others too.
  t.Button(1)->SetDown(true);
  EXPECT_EQ(t.DownCount(), 1);
  EXPECT_TRUE(t.Button(1)->GetDown());
}

TEST_F(SpeedButton, AllowAllUpLetsTheDownButtonOfTheGroupGoUp) {
  ToolBar t;
  t.Button(0)->SetAllowAllUp(true);  // shared by the group
  EXPECT_TRUE(t.Button(2)->GetAllowAllUp());
  ClickOn(t.Button(1));
  ClickOn(t.Button(1));
  EXPECT_EQ(t.DownCount(), 0);
  EXPECT_EQ(t.seen, (std::vector<std::string>{"1 down others 0", "1 up others 0"}));
}

TEST_F(SpeedButton, AnUngroupedButtonClicksWithoutStayingDown) {
  ToolBar t;
  int clicks = 0;
  t.single.OnClick = [&](TObject*) { ++clicks; };
  t.single.SetDown(true);
  EXPECT_FALSE(t.single.GetDown());
  ClickOn(&t.single);
  EXPECT_EQ(clicks, 1);
  EXPECT_FALSE(t.single.GetDown());

  // Pressed, dragged off and released outside: no click, no change.
  Application().PostMessage(TMessage::MouseDown(t.Button(0), mbLeft, {}, 2, 2));
  Application().PostMessage(TMessage::MouseMove(t.Button(0), {}, 40, 2));
  Application().PostMessage(TMessage::MouseUp(t.Button(0), mbLeft, {}, 40, 2));
  Application().ProcessMessages();
  EXPECT_EQ(t.DownCount(), 0);
  EXPECT_TRUE(t.seen.empty());

  // A disabled button ignores the mouse.
  t.Button(0)->SetEnabled(false);
  ClickOn(t.Button(0));
  EXPECT_FALSE(t.Button(0)->GetDown());
}

TEST_F(SpeedButton, SpeedButtonDrawsItsGlyphTransparentAndSinksWhenDown) {
  TSpeedButton b;
  b.SetBounds(0, 0, 12, 12);
  b.SetGroupIndex(3);
  TBitmap glyph(4, 4);
  glyph.Fill(clFuchsia);  // the bottom-left colour: transparent
  glyph.GetCanvas()->SetPixel(1, 1, clNavy);
  b.SetGlyph(&glyph);
  auto up = TakeScreenshot(&b);
  EXPECT_EQ(up->GetCanvas()->GetPixel(5, 5), clNavy);  // glyph at (4, 4)
  EXPECT_EQ(up->GetCanvas()->GetPixel(4, 4), kFace);
  EXPECT_EQ(up->GetCanvas()->GetPixel(0, 0), kLight);  // raised
  EXPECT_EQ(up->GetCanvas()->GetPixel(11, 11), kDark);

  b.SetDown(true);
  auto down = TakeScreenshot(&b);
  EXPECT_EQ(down->GetCanvas()->GetPixel(6, 6), clNavy);  // shifted by one
  EXPECT_EQ(down->GetCanvas()->GetPixel(5, 5), kFace);
  EXPECT_EQ(down->GetCanvas()->GetPixel(0, 0), kDark);  // sunken

  b.SetDown(false);  // AllowAllUp is off: stays down
  b.SetFlat(true);
  b.SetAllowAllUp(true);
  b.SetDown(false);
  auto flat = TakeScreenshot(&b);
  EXPECT_EQ(flat->GetCanvas()->GetPixel(0, 0), kFace);  // no edge when up
}

// ------------------------------------------------------------------- panel
TEST_F(Panel, PanelPaintsItsBevelsAndAlignsChildrenInside) {
  TPanel p;
  p.SetBounds(0, 0, 20, 10);
  p.SetBevelInner(bvLowered);
  p.SetBevelWidth(2);
  auto shot = TakeScreenshot(&p);
  TCanvas* c = shot->GetCanvas();
  EXPECT_EQ(c->GetPixel(0, 0), kLight);  // outer raised: light top-left
  EXPECT_EQ(c->GetPixel(1, 5), kLight);
  EXPECT_EQ(c->GetPixel(19, 0), kDark);  // dark right, bottom and their corners
  EXPECT_EQ(c->GetPixel(0, 9), kDark);
  EXPECT_EQ(c->GetPixel(18, 5), kDark);
  EXPECT_EQ(c->GetPixel(2, 2), kDark);  // inner lowered: dark top-left
  EXPECT_EQ(c->GetPixel(16, 6), kLight);
  EXPECT_EQ(c->GetPixel(10, 5), kFace);  // the face

  TGraphicControl child;
  child.SetAlign(alClient);
  child.SetParent(&p);
  EXPECT_EQ(child.GetBoundsRect(), Rect(4, 4, 16, 6));
  p.SetBevelOuter(bvNone);
  p.SetBevelInner(bvNone);
  EXPECT_EQ(child.GetBoundsRect(), Rect(0, 0, 20, 10));
}

// --------------------------------------------------------------- combo box
TEST_F(ComboBox, ComboBoxItemIndexRulesAndOnChangeOnlyForTheUser) {
  TComboBox box;
  int changes = 0;
  box.OnChange = [&](TObject*) { ++changes; };
  for (const char* name : {"World", "Europe", "Alps"}) box.GetItems()->Add(name);
  EXPECT_EQ(box.GetItemIndex(), -1);
  EXPECT_EQ(box.GetText(), "");

  box.SetItemIndex(1);
  EXPECT_EQ(box.GetText(), "Europe");
  box.SetItemIndex(3);
  EXPECT_EQ(box.GetItemIndex(), -1);
  EXPECT_EQ(box.GetText(), "");
  box.SetItemIndex(-7);
  EXPECT_EQ(box.GetItemIndex(), -1);
  EXPECT_EQ(changes, 0);

  EXPECT_TRUE(box.SelectItemByUser(2));
  EXPECT_EQ(box.GetText(), "Alps");
  EXPECT_EQ(changes, 1);
  EXPECT_TRUE(box.SelectItemByUser(2));  // no change, no event
  EXPECT_FALSE(box.SelectItemByUser(5));
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(box.GetItemIndex(), 2);
}

TEST_F(ComboBox, ComboBoxSelectionFollowsItsItemThroughListChanges) {
  TComboBox box;
  box.SetStyle(csDropDownList);
  TComboBoxItems& items = *box.GetItems();
  for (const char* name : {"a", "b", "c", "d"}) items.Add(name);
  box.SetItemIndex(2);  // "c"
  items.Delete(0);
  EXPECT_EQ(box.GetItemIndex(), 1);
  items.Insert(0, "z");
  EXPECT_EQ(box.GetItemIndex(), 2);
  items.Delete(3);  // after it
  EXPECT_EQ(box.GetItemIndex(), 2);
  EXPECT_EQ(box.GetText(), "c");
  items.Delete(2);  // the selected item
  EXPECT_EQ(box.GetItemIndex(), -1);
  EXPECT_EQ(box.GetText(), "");
  EXPECT_THROW(items.Get(2), EControlError);
  EXPECT_THROW(items.Delete(-1), EControlError);
  EXPECT_THROW(items.Insert(4, "x"), EControlError);
  box.SetItemIndex(0);
  items.Clear();
  EXPECT_EQ(box.GetItemIndex(), -1);
  EXPECT_EQ(items.Count(), 0);
}

TEST_F(ComboBox, ComboBoxTextSelectsTheMatchingItemPerStyle) {
  TComboBox box;
  box.GetItems()->Add("Mercator");
  box.GetItems()->Add("Lambert");
  box.SetText("Lambert");
  EXPECT_EQ(box.GetItemIndex(), 1);
  box.SetText("free text");  // csDropDown keeps any text
  EXPECT_EQ(box.GetItemIndex(), -1);
  EXPECT_EQ(box.GetText(), "free text");
  box.SetStyle(csDropDownList);  // a list box shows only items
  EXPECT_EQ(box.GetText(), "");
  box.SetText("lambert");  // exact match only
  EXPECT_EQ(box.GetItemIndex(), -1);
  box.SetText("Mercator");
  EXPECT_EQ(box.GetItemIndex(), 0);
  box.SetDropDownCount(0);
  EXPECT_EQ(box.GetDropDownCount(), 1);
}

// ------------------------------------------------------ a composite control
// The atlas's arrangement: a tool bar on top with two grouped tool buttons
// and a list of maps, the map filling the rest.
// Pixels of a screenshot that are neither the face colour nor white: text ink
// (and frame edges, which the rectangle given leaves out).
int InkIn(const TBitmap& b, TRect r, TColor face) {
  int n = 0;
  for (int y = r.Top; y < r.Bottom; ++y)
    for (int x = r.Left; x < r.Right; ++x) {
      const uint32_t p = b.ScanLine(y)[x];
      n += p != static_cast<uint32_t>(face) && p != 0xFFFFFFu;
    }
  return n;
}

TEST_F(Panel, CaptionsAreWrittenInTheControlFont) {
  TPanel panel(nullptr);
  panel.SetBounds(0, 0, 120, 30);
  auto* button = new TSpeedButton(&panel);
  button->SetParent(&panel);
  button->SetBounds(4, 4, 50, 22);
  auto* combo = new TComboBox(&panel);
  combo->SetParent(&panel);
  combo->SetBounds(60, 4, 56, 21);
  auto before = TakeScreenshot(&panel);
  EXPECT_EQ(InkIn(*before, {6, 7, 50, 22}, kFace), 0);
  panel.SetCaption("Panel");
  button->SetCaption("Go");
  combo->GetItems()->Add("Alps");
  combo->SetItemIndex(0);
  auto after = TakeScreenshot(&panel);
  EXPECT_GT(InkIn(*after, {6, 7, 50, 22}, kFace), 5);                   // "Go"
  EXPECT_GT(InkIn(*after, {63, 7, 100, 22}, ColorToRGB(clWindow)), 5);  // "Alps"
}

TEST_F(CompositeControl, AtlasLikeCompositeLaysOutAndRespondsToTheMouse) {
  auto form = std::make_unique<TCustomControl>();
  form->SetBounds(0, 0, 480, 320);
  auto* bar = new TPanel(form.get());
  bar->SetHeight(33);
  bar->SetAlign(alTop);
  bar->SetParent(form.get());
  auto* pointer = new TSpeedButton(bar);
  pointer->SetBounds(4, 5, 23, 22);
  pointer->SetGroupIndex(1);
  pointer->SetDown(true);
  pointer->SetParent(bar);
  auto* zoom = new TSpeedButton(bar);
  zoom->SetBounds(28, 5, 23, 22);
  zoom->SetGroupIndex(1);
  zoom->SetParent(bar);
  auto* maps = new TComboBox(bar);
  maps->SetStyle(csDropDownList);
  maps->SetBounds(60, 6, 145, 21);
  maps->SetParent(bar);
  maps->GetItems()->Add("World");
  maps->GetItems()->Add("Europe");
  auto* map = new TCustomControl(form.get());
  map->SetColor(clTeal);
  map->SetAlign(alClient);
  map->SetParent(form.get());
  map->SetCursor(crCross);
  std::string picked;
  maps->OnChange = [&](TObject* s) { picked = static_cast<TComboBox*>(s)->GetText(); };

  EXPECT_EQ(bar->GetBoundsRect(), Rect(0, 0, 480, 33));
  EXPECT_EQ(map->GetBoundsRect(), Rect(0, 33, 480, 320));
  Application().ProcessMessages();

  // A click at window coordinates on the zoom button.
  Application().PostMessage(TMessage::MouseDown(nullptr, mbLeft, {}, 35, 12).At(form.get()));
  Application().PostMessage(TMessage::MouseUp(nullptr, mbLeft, {}, 35, 12).At(form.get()));
  Application().ProcessMessages();
  EXPECT_TRUE(zoom->GetDown());
  EXPECT_FALSE(pointer->GetDown());
  maps->SelectItemByUser(1);
  EXPECT_EQ(picked, "Europe");

  auto shot = TakeScreenshot(form.get());
  EXPECT_EQ(shot->GetCanvas()->GetPixel(240, 200), ColorToRGB(clTeal));
  EXPECT_EQ(shot->GetCanvas()->GetPixel(2, 16), kFace);  // the bar
  EXPECT_EQ(shot->GetCanvas()->GetPixel(28, 5), kDark);  // zoom, sunken
  EXPECT_EQ(shot->GetCanvas()->GetPixel(4, 5), kLight);  // pointer, raised
  form.reset();
  EXPECT_EQ(Application().ProcessMessages(), 0);
}

}  // namespace
}  // namespace tkz
