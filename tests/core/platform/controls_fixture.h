// Shared set-up of the control tests: every test starts and ends with an
// empty queue, no capture and the headless backend.
#pragma once

#include <gtest/gtest.h>

#include "core/platform/application.h"
#include "core/platform/backend.h"
#include "core/platform/controls.h"

namespace tkz::ctltest {

class ControlsTest : public ::testing::Test {
 protected:
  void SetUp() override { Reset(); }
  void TearDown() override { Reset(); }
  static void Reset() {
    SetWindowBackend(nullptr);
    Application().ClearMessages();
    Application().ReleaseCapture();
    Application().ResetTerminated();
  }
};

// A custom control that counts and records what reaches it.
class Probe : public TCustomControl {
 public:
  using TCustomControl::TCustomControl;
  int paints = 0;
  int clicks = 0;
  int dblclicks = 0;
  std::vector<std::string> log;
  std::function<void(Probe*)> on_paint;

 protected:
  void Paint() override {
    ++paints;
    if (on_paint) on_paint(this);
    TCustomControl::Paint();
  }
  void MouseDown(TMouseButton b, TShiftState s, int x, int y) override {
    log.push_back(Describe("down", s, x, y));
    TCustomControl::MouseDown(b, s, x, y);
  }
  void MouseMove(TShiftState s, int x, int y) override {
    log.push_back(Describe("move", s, x, y));
    TCustomControl::MouseMove(s, x, y);
  }
  void MouseUp(TMouseButton b, TShiftState s, int x, int y) override {
    log.push_back(Describe("up", s, x, y));
    TCustomControl::MouseUp(b, s, x, y);
  }
  void Click() override {
    ++clicks;
    log.push_back("click");
    TCustomControl::Click();
  }
  void DblClick() override {
    ++dblclicks;
    log.push_back("dblclick");
    TCustomControl::DblClick();
  }

 private:
  static std::string Describe(const char* what, TShiftState s, int x, int y) {
    std::string r = std::string(what) + " " + std::to_string(x) + "," + std::to_string(y);
    if (s.Contains(ssLeft)) r += " L";
    if (s.Contains(ssRight)) r += " R";
    if (s.Contains(ssShift)) r += " S";
    if (s.Contains(ssDouble)) r += " D";
    return r;
  }
};

}  // namespace tkz::ctltest
