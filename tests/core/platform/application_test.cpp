#include "core/platform/application.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "controls_fixture.h"
#include "core/platform/backend.h"
#include "core/types/tkzbase.h"

namespace tkz {
namespace {

using ctltest::ControlsTest;
using MessageQueue = ControlsTest;
using MouseInput = ControlsTest;
using ModalLoop = ControlsTest;
using WindowBackend = ControlsTest;
using KeyInput = ControlsTest;
using ctltest::Probe;
using Log = std::vector<std::string>;

void Post(const TMessage& m) { Application().PostMessage(m); }
void Pump() { Application().ProcessMessages(); }

// ------------------------------------------------------------------ queue
TEST_F(MessageQueue, MessagesRunInPostingOrderIncludingThosePostedMeanwhile) {
  Probe p;
  p.SetBounds(0, 0, 20, 20);
  Pump();
  Log order;
  Post(TMessage::Call([&] {
    order.push_back("a");
    Post(TMessage::Call([&] { order.push_back("c"); }));
  }));
  Post(TMessage::MouseMove(&p, {}, 1, 2));
  Post(TMessage::Call([&] { order.push_back("b"); }));
  EXPECT_EQ(Application().ProcessMessages(), 4);
  EXPECT_EQ(order, (Log{"a", "b", "c"}));
  EXPECT_EQ(p.log, (Log{"move 1,2"}));
}

TEST_F(MessageQueue, AMessageLoopThatKeepsPostingIsCutPerCall) {
  std::function<void()> again = [&] { Post(TMessage::Call(again)); };
  Post(TMessage::Call(again));
  EXPECT_EQ(Application().ProcessMessages(), TApplication::kMaxDispatchPerPass);
  EXPECT_EQ(Application().MessageCount(), 1);
  Application().ClearMessages();
}

TEST_F(MessageQueue, MessagesForADestroyedControlAreDropped) {
  auto p = std::make_unique<Probe>();
  p->SetBounds(0, 0, 20, 20);
  bool ran = false;
  Post(TMessage::MouseDown(p.get(), mbLeft, {}, 1, 1));
  Post(TMessage::Call([&] { ran = true; }, p.get()));
  Post(TMessage::Resize(p.get(), 5, 5));
  p->Invalidate();
  TMessage at_window = TMessage::MouseUp(nullptr, mbLeft, {}, 1, 1).At(p.get());
  Post(at_window);
  p.reset();
  EXPECT_EQ(Application().ProcessMessages(), 0);  // ASan: nothing touches the freed control
  EXPECT_FALSE(ran);
}

TEST_F(MessageQueue, HandleMessageHeadlessWithNothingQueuedReturnsFalse) {
  EXPECT_FALSE(Application().HandleMessage());
  bool ran = false;
  Post(TMessage::Call([&] { ran = true; }));
  EXPECT_TRUE(Application().HandleMessage());
  EXPECT_TRUE(ran);

  // Run stops at Terminate even with messages left.
  Post(TMessage::Call([] { Application().Terminate(); }));
  Post(TMessage::Call([&] { ran = false; }));
  Application().Run();
  EXPECT_TRUE(Application().Terminated());
  EXPECT_TRUE(ran);
  EXPECT_EQ(Application().MessageCount(), 1);
}

TEST_F(MessageQueue, AResizeMessageResizesTheTopLevelAndItsLayout) {
  TCustomControl form;
  form.SetBounds(30, 40, 100, 100);
  TGraphicControl client;
  client.SetAlign(alClient);
  client.SetParent(&form);
  int resized = 0;
  form.OnResize = [&](TObject*) { ++resized; };
  Post(TMessage::Resize(&form, 300, 200));
  Pump();
  EXPECT_EQ(form.GetBoundsRect(), Rect(30, 40, 330, 240));
  EXPECT_EQ(client.GetBoundsRect(), Rect(0, 0, 300, 200));
  EXPECT_EQ(resized, 1);
}

// ------------------------------------------------------------------ mouse
struct Window {
  Window() {
    form.SetBounds(0, 0, 100, 100);
    child.SetBounds(10, 20, 30, 30);
    child.SetParent(&form);
    Pump();
  }
  Probe form;
  Probe child;
};

TEST_F(MouseInput, CaptureSendsMovesAndTheUpToThePressedControlInItsCoordinates) {
  Window w;
  Post(TMessage::MouseDown(nullptr, mbLeft, {ssShift}, 15, 25).At(&w.form));
  Post(TMessage::MouseMove(nullptr, {}, 80, 90).At(&w.form));  // over the form only
  Pump();
  EXPECT_TRUE(w.child.GetMouseCapture());
  Post(TMessage::MouseUp(nullptr, mbLeft, {}, 80, 90).At(&w.form));
  Post(TMessage::MouseMove(nullptr, {}, 80, 90).At(&w.form));
  Pump();
  EXPECT_EQ(w.child.log, (Log{"down 5,5 L S", "move 70,70 L", "up 70,70"}));
  EXPECT_EQ(w.child.clicks, 0);  // released outside
  EXPECT_EQ(w.form.log, (Log{"move 80,90"}));
  EXPECT_EQ(Application().GetCapture(), nullptr);
}

TEST_F(MouseInput, ClickNeedsALeftDownAndUpInsideTheSameControl) {
  Window w;
  Post(TMessage::MouseDown(&w.child, mbLeft, {}, 1, 1));
  Post(TMessage::MouseUp(&w.child, mbLeft, {}, 29, 29));
  Post(TMessage::MouseDown(&w.child, mbRight, {}, 1, 1));
  Post(TMessage::MouseUp(&w.child, mbRight, {}, 1, 1));
  Pump();
  EXPECT_EQ(w.child.log, (Log{"down 1,1 L", "up 29,29", "click", "down 1,1 R", "up 1,1"}));

  // With both buttons held the capture stays until the last one is up.
  w.child.log.clear();
  Post(TMessage::MouseDown(&w.child, mbLeft, {}, 1, 1));
  Post(TMessage::MouseDown(&w.form, mbRight, {}, 50, 50));
  Post(TMessage::MouseUp(&w.form, mbRight, {}, 50, 50));
  Post(TMessage::MouseMove(&w.form, {}, 12, 22));
  Post(TMessage::MouseUp(&w.form, mbLeft, {}, 12, 22));
  Pump();
  EXPECT_EQ(w.child.log,
            (Log{"down 1,1 L", "down 40,30 L R", "up 40,30 L", "move 2,2 L", "up 2,2", "click"}));
  EXPECT_TRUE(w.form.log.empty());
}

TEST_F(MouseInput, HitTestingFindsTheDeepestVisibleEnabledControl) {
  Window w;
  Probe inner;
  inner.SetBounds(5, 5, 10, 10);
  inner.SetParent(&w.child);
  auto click_at = [](TControl* top, int x, int y) {
    Post(TMessage::MouseDown(nullptr, mbLeft, {}, x, y).At(top));
    Post(TMessage::MouseUp(nullptr, mbLeft, {}, x, y).At(top));
    Pump();
  };
  click_at(&w.form, 16, 26);
  EXPECT_EQ(inner.clicks, 1);
  inner.SetEnabled(false);  // its parent gets the click
  click_at(&w.form, 16, 26);
  EXPECT_EQ(w.child.clicks, 1);
  w.child.SetVisible(false);
  click_at(&w.form, 16, 26);
  EXPECT_EQ(w.form.clicks, 1);
  click_at(&w.form, 100, 5);  // outside the window: nobody
  EXPECT_EQ(w.form.clicks + w.child.clicks + inner.clicks, 3);

  // Disabled controls get nothing addressed to them either.
  w.child.SetVisible(true);
  w.child.SetEnabled(false);
  inner.SetEnabled(true);
  click_at(&inner, 1, 1);
  EXPECT_EQ(inner.clicks, 1);
}

TEST_F(MouseInput, ADoubleClickFiresDblClickThenDownWithDoubleAndNoSecondClick) {
  Window w;
  Post(TMessage::MouseDown(&w.child, mbLeft, {}, 3, 3));
  Post(TMessage::MouseUp(&w.child, mbLeft, {}, 3, 3));
  Post(TMessage::DblClick(&w.child, mbLeft, {}, 3, 3));
  Post(TMessage::MouseUp(&w.child, mbLeft, {}, 3, 3));
  // A backend may also flag the second down itself.
  Post(TMessage::MouseDown(&w.child, mbLeft, {ssDouble}, 4, 4));
  Post(TMessage::MouseUp(&w.child, mbLeft, {}, 4, 4));
  Pump();
  EXPECT_EQ(w.child.log, (Log{"down 3,3 L", "up 3,3", "click", "dblclick", "down 3,3 L D", "up 3,3",
                              "dblclick", "down 4,4 L D", "up 4,4"}));
}

TEST_F(MouseInput, AnUnhandledWheelGoesToTheParentWithTheScreenPosition) {
  Window w;
  w.form.SetLeft(200);
  Log seen;
  bool child_handles = true;
  w.child.OnMouseWheel = [&](TObject*, TShiftState s, int delta, TPoint pos, bool& handled) {
    seen.push_back("child " + std::to_string(delta) + " " + std::to_string(pos.X) + "," +
                   std::to_string(pos.Y) + (s.Contains(ssCtrl) ? " C" : ""));
    handled = child_handles;
  };
  w.form.OnMouseWheel = [&](TObject*, TShiftState, int delta, TPoint, bool& handled) {
    seen.push_back("form " + std::to_string(delta));
    handled = true;
  };
  Post(TMessage::MouseWheel(nullptr, {ssCtrl}, -120, 12, 23).At(&w.form));
  Pump();
  child_handles = false;
  Post(TMessage::MouseWheel(&w.child, {}, 240, 0, 0));
  Pump();
  EXPECT_EQ(seen, (Log{"child -120 212,23 C", "child 240 210,20", "form 240"}));
}

TEST_F(MouseInput, HandlersMayDeleteTheirOwnControl) {
  auto form = std::make_unique<Probe>();
  form->SetBounds(0, 0, 50, 50);
  auto* doomed = new Probe(form.get());
  doomed->SetBounds(0, 0, 10, 10);
  doomed->SetParent(form.get());
  doomed->OnMouseUp = [](TObject* s, TMouseButton, TShiftState, int, int) { delete s; };
  Post(TMessage::MouseDown(doomed, mbLeft, {}, 1, 1));
  Post(TMessage::MouseUp(doomed, mbLeft, {}, 1, 1));
  Post(TMessage::MouseMove(doomed, {}, 1, 1));
  Pump();  // no Click on the freed control, no capture left pointing at it
  EXPECT_EQ(form->ControlCount(), 0);
  EXPECT_EQ(Application().GetCapture(), nullptr);

  auto* wheel = new Probe(form.get());
  wheel->SetParent(form.get());
  wheel->OnMouseWheel = [](TObject* s, TShiftState, int, TPoint, bool&) { delete s; };
  Post(TMessage::MouseWheel(wheel, {}, 120, 0, 0));
  Pump();
  EXPECT_EQ(form->ControlCount(), 0);
}

TEST_F(MouseInput, HidingOrDisablingTheCapturedControlReleasesTheCapture) {
  Window w;
  Application().SendMessage(TMessage::MouseDown(&w.child, mbLeft, {}, 1, 1));
  EXPECT_TRUE(w.child.GetMouseCapture());
  w.form.SetVisible(false);
  EXPECT_EQ(Application().GetCapture(), nullptr);
  w.form.SetVisible(true);
  Application().SendMessage(TMessage::MouseDown(&w.child, mbLeft, {}, 1, 1));
  w.child.SetEnabled(false);
  EXPECT_EQ(Application().GetCapture(), nullptr);
  Application().SendMessage(TMessage::MouseUp(&w.form, mbLeft, {}, 1, 1));
  EXPECT_EQ(w.child.clicks, 0);
  EXPECT_EQ(w.form.clicks, 0);  // its up had no down
}

// --------------------------------------------------------------- keyboard
// Records the keys reaching each control; `uses` lists the key codes (or
// characters) a control consumes.
struct KeyWindow : Window {
  KeyWindow() {
    for (Probe* p : {&form, &child}) {
      const std::string who = p == &form ? "form" : "child";
      p->OnKeyDown = [this, who](TObject*, uint16_t& key, TShiftState s) {
        seen.push_back(who + " down " + std::to_string(key) + (s.Contains(ssCtrl) ? " C" : ""));
        if (Uses(who, key)) key = 0;
      };
      p->OnKeyUp = [this, who](TObject*, uint16_t& key, TShiftState) {
        seen.push_back(who + " up " + std::to_string(key));
        if (Uses(who, key)) key = 0;
      };
      p->OnKeyPress = [this, who](TObject*, char& ch) {
        seen.push_back(who + " char " + std::string(1, ch));
        if (Uses(who, static_cast<uint8_t>(ch))) ch = 0;
      };
    }
  }
  bool Uses(const std::string& who, uint16_t key) const {
    const std::vector<uint16_t>& list = who == "form" ? form_uses : child_uses;
    return std::find(list.begin(), list.end(), key) != list.end();
  }
  std::vector<uint16_t> form_uses{VK_NEXT, 'a', VK_F1};
  std::vector<uint16_t> child_uses{VK_HOME, 'x'};
  Log seen;
};

TEST_F(KeyInput, KeysGoToTheFocusedControlAndUnusedOnesUpToItsParents) {
  struct Case {
    const char* name;
    bool focus_child;
    TMessage message;
    Log expected;
  };
  KeyWindow w;
  const Case cases[] = {
      {"no focus: the addressed control",
       false,
       TMessage::KeyDown(&w.form, VK_HOME, {}),
       {"form down 36"}},
      {"focused child uses it",
       true,
       TMessage::KeyDown(&w.form, VK_HOME, {ssCtrl}),
       {"child down 36 C"}},
      {"child leaves it to the form",
       true,
       TMessage::KeyDown(&w.form, VK_NEXT, {}),
       {"child down 34", "form down 34"}},
      {"nobody uses it",
       true,
       TMessage::KeyUp(&w.form, VK_F1 + 1, {}),
       {"child up 113", "form up 113"}},
      {"key up", true, TMessage::KeyUp(&w.form, VK_F1, {}), {"child up 112", "form up 112"}},
      {"characters", true, TMessage::KeyPress(&w.form, 'x'), {"child char x"}},
      {"characters up", true, TMessage::KeyPress(&w.child, 'a'), {"child char a", "form char a"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.focus_child) {
      w.child.SetFocus();
    } else {
      w.form.SetFocus();
    }
    w.seen.clear();
    Post(c.message);
    Pump();
    EXPECT_EQ(w.seen, c.expected);
  }
  EXPECT_EQ(w.form.GetActiveControl(), &w.child);
  EXPECT_TRUE(w.child.Focused());
  EXPECT_FALSE(w.form.Focused());
}

TEST_F(KeyInput, ClicksMoveTheFocusAndLostControlsGiveItBack) {
  KeyWindow w;
  TGraphicControl label(nullptr);  // cannot take the focus: its parent does
  label.SetBounds(50, 50, 10, 10);
  label.SetParent(&w.form);
  Post(TMessage::MouseDown(nullptr, mbLeft, {}, 15, 25).At(&w.form));
  Post(TMessage::MouseUp(nullptr, mbLeft, {}, 15, 25).At(&w.form));
  Pump();
  EXPECT_TRUE(w.child.Focused());
  Post(TMessage::MouseDown(nullptr, mbRight, {}, 55, 55).At(&w.form));
  Post(TMessage::MouseUp(nullptr, mbRight, {}, 55, 55).At(&w.form));
  Pump();
  EXPECT_TRUE(w.form.Focused());
  EXPECT_FALSE(label.CanFocus());

  // A hidden or disabled focused control does not take keys; the window does.
  w.child.SetFocus();
  w.child.SetEnabled(false);
  EXPECT_FALSE(w.child.CanFocus());
  Post(TMessage::KeyDown(&w.form, VK_HOME, {}));
  Pump();
  EXPECT_EQ(w.seen, (Log{"form down 36"}));
  w.child.SetEnabled(true);
  w.seen.clear();
  {
    auto gone = std::make_unique<Probe>();
    gone->SetParent(&w.form);
    gone->SetFocus();
    EXPECT_EQ(w.form.GetActiveControl(), gone.get());
  }
  EXPECT_EQ(w.form.GetActiveControl(), nullptr);
  Post(TMessage::KeyDown(&w.form, VK_HOME, {}));
  Pump();
  EXPECT_EQ(w.seen, (Log{"form down 36"}));
}

TEST_F(KeyInput, AHandlerMayDeleteItsControlOrItsParent) {
  auto form = std::make_unique<Probe>();
  auto* child = new Probe(form.get());
  child->SetParent(form.get());
  child->SetFocus();
  int form_keys = 0;
  form->OnKeyDown = [&](TObject*, uint16_t&, TShiftState) { ++form_keys; };
  child->OnKeyDown = [](TObject* s, uint16_t&, TShiftState) { delete s; };
  Post(TMessage::KeyDown(form.get(), 'Q', {}));
  Pump();
  EXPECT_EQ(form->ControlCount(), 0);
  EXPECT_EQ(form_keys, 1);  // the key was not used, so the form had it
  EXPECT_EQ(form->GetActiveControl(), nullptr);
}

TEST_F(MessageQueue, OtherThreadsPostWorkThatRunsOnTheControlsThread) {
  const std::thread::id main_id = std::this_thread::get_id();
  std::vector<int> ran;
  bool all_on_main = true;
  std::vector<std::thread> workers;
  for (int t = 0; t < 4; ++t) {
    workers.emplace_back([&, t] {
      for (int i = 0; i < 250; ++i) {
        Application().PostFromThread([&, t, i] {
          all_on_main = all_on_main && std::this_thread::get_id() == main_id;
          ran.push_back(t * 1000 + i);
        });
      }
    });
  }
  for (std::thread& w : workers) w.join();
  EXPECT_TRUE(ran.empty());  // nothing runs before the controls' thread pumps
  Pump();
  EXPECT_EQ(ran.size(), 1000u);
  EXPECT_TRUE(all_on_main);
  // Each thread's posts keep their order.
  for (int t = 0; t < 4; ++t) {
    std::vector<int> mine;
    for (int v : ran) {
      if (v / 1000 == t) mine.push_back(v % 1000);
    }
    EXPECT_TRUE(std::is_sorted(mine.begin(), mine.end()));
  }
  // HandleMessage takes them too, headless.
  Application().PostFromThread([&] { ran.clear(); });
  EXPECT_TRUE(Application().HandleMessage());
  EXPECT_TRUE(ran.empty());
}

// -------------------------------------------------------------- modal loops
// A control with a rubber-band method like the map's: it pumps messages
// until the rectangle is finished or the loop is aborted.
class BoxPicker : public TCustomControl {
 public:
  using TCustomControl::TCustomControl;
  TMouseBoxState state = msNormal;
  bool aborted = false;
  TRect box;

  bool MouseBox() {
    state = msFirstCorner;
    aborted = false;
    while (state != msFinished && !aborted && Application().HandleMessage()) {
    }
    return state == msFinished;
  }

 protected:
  void MouseDown(TMouseButton b, TShiftState s, int x, int y) override {
    if (state == msFirstCorner && b == mbLeft) {
      box = Rect(x, y, x, y);
      state = msRectDraw;
    }
  }
  void MouseMove(TShiftState s, int x, int y) override {
    if (state == msRectDraw && s.Contains(ssLeft)) {
      box.Right = x;
      box.Bottom = y;
    }
  }
  void MouseUp(TMouseButton b, TShiftState s, int x, int y) override {
    if (state == msRectDraw) state = msFinished;
  }
};

TEST_F(ModalLoop, AModalLoopEndsWhenTheScriptedUserFinishesTheRectangle) {
  TScriptedBackend script;
  SetWindowBackend(&script);
  BoxPicker map;
  map.SetBounds(0, 0, 200, 100);
  Pump();
  script.AddStep(TMessage::MouseMove(&map, {}, 5, 5));  // before the press: ignored
  script.AddStep(TMessage::MouseDown(&map, mbLeft, {}, 10, 20));
  script.AddStep({TMessage::MouseMove(&map, {}, 40, 30), TMessage::MouseMove(&map, {}, 60, 45)});
  script.AddStep(TMessage::MouseUp(&map, mbLeft, {}, 60, 45));
  script.AddStep(TMessage::MouseDown(&map, mbLeft, {}, 0, 0));  // after the loop
  EXPECT_TRUE(map.MouseBox());
  EXPECT_EQ(map.box, Rect(10, 20, 60, 45));
  EXPECT_EQ(script.StepsLeft(), 1);
}

TEST_F(ModalLoop, AModalLoopEndsWhenTheBackendRunsDryOrOnAbort) {
  TScriptedBackend script;
  SetWindowBackend(&script);
  BoxPicker map;
  map.SetBounds(0, 0, 200, 100);
  script.AddStep(TMessage::MouseDown(&map, mbLeft, {}, 10, 20));
  EXPECT_FALSE(map.MouseBox());  // the script ends with the button still down
  EXPECT_EQ(map.state, msRectDraw);
  Application().ReleaseCapture();

  script.AddStep(TMessage::MouseDown(&map, mbLeft, {}, 1, 1));
  script.AddAction([&](TApplication&) { map.aborted = true; });
  script.AddStep(TMessage::MouseUp(&map, mbLeft, {}, 2, 2));
  EXPECT_FALSE(map.MouseBox());
  EXPECT_TRUE(map.aborted);
  EXPECT_EQ(script.StepsLeft(), 1);
}

// ------------------------------------------------------------------ backend
TEST_F(WindowBackend, TheBackendHearsOfShowingPaintingCursorsAndDestruction) {
  using C = TScriptedBackend::TCall;
  auto script = std::make_unique<TScriptedBackend>();
  SetWindowBackend(script.get());
  auto form = std::make_unique<Probe>();
  const TControl* id = form.get();
  form->SetBounds(0, 0, 10, 10);
  form->Hide();
  form->Show();
  form->Show();  // shown again, e.g. brought back to the front
  form->SetCursor(1000);
  form->SetCursor(1000);
  Pump();
  form->Invalidate();
  Pump();
  EXPECT_EQ(script->CountCalls(C::Hidden, id), 1);
  EXPECT_EQ(script->CountCalls(C::Shown, id), 2);
  EXPECT_EQ(script->CountCalls(C::CursorChanged, id), 1);
  EXPECT_EQ(script->CountCalls(C::Presented, id), 2);
  EXPECT_GE(script->CountCalls(C::Invalidated, id), 2);

  // Later steps that address a destroyed control lose those messages.
  script->AddStep(TMessage::MouseDown(form.get(), mbLeft, {}, 1, 1));
  form.reset();
  EXPECT_EQ(script->CountCalls(C::Destroyed, id), 1);
  EXPECT_TRUE(Application().HandleMessage());  // the step, now empty
  EXPECT_EQ(Application().MessageCount(), 0);
  EXPECT_FALSE(Application().HandleMessage());

  // A backend destroyed while installed uninstalls itself.
  script.reset();
  EXPECT_NE(GetWindowBackend(), nullptr);
  EXPECT_FALSE(GetWindowBackend()->WaitForEvents(Application()));
}

TEST_F(WindowBackend, ScreenNamesCursorsAndReportsTheHeadlessScreen) {
  Screen().RegisterCursor(1000, "ZOOMIN");
  Screen().RegisterCursor(1001, "PANHAND");
  EXPECT_EQ(Screen().GetCursorName(1000), "ZOOMIN");
  EXPECT_EQ(Screen().GetCursorName(1001), "PANHAND");
  Screen().RegisterCursor(1001, "GRAB");
  EXPECT_EQ(Screen().GetCursorName(1001), "GRAB");
  Screen().RegisterCursor(1001, "");
  EXPECT_EQ(Screen().GetCursorName(1001), "");
  EXPECT_EQ(Screen().GetCursorName(crCross), "crCross");
  EXPECT_EQ(Screen().GetCursorName(crSizeAll), "crSizeAll");
  EXPECT_EQ(Screen().GetCursorName(crDefault), "crDefault");
  EXPECT_EQ(Screen().GetCursorName(-5), "");
  EXPECT_EQ(Screen().GetCursorName(-23), "");
  EXPECT_EQ(Screen().GetCursorName(5), "");
  EXPECT_EQ(Screen().GetWidth(), 1920);
  EXPECT_EQ(Screen().GetHeight(), 1080);
  EXPECT_EQ(Screen().GetPixelsPerInch(), 96);
  Screen().RegisterCursor(1000, "");
}

}  // namespace
}  // namespace tkz
