// The seam between the controls and a real window system. The application
// tells the installed backend what changed; the backend posts mouse, wheel
// and resize messages to the application and presents the controls'
// surfaces (TControl::PaintTo composes a top-level control with its
// children). Without an installed backend the headless one answers: nothing
// is shown, no event ever comes, the screen is 1920 x 1080 at 96 pixels per
// inch.
#pragma once

#include <functional>
#include <utility>
#include <vector>

#include "core/platform/application.h"
#include "core/types/corekit_export.h"

namespace tkz {

class TKZ_COREKIT_EXPORT TWindowBackend {
 public:
  TWindowBackend() = default;
  TWindowBackend(const TWindowBackend&) = delete;
  TWindowBackend& operator=(const TWindowBackend&) = delete;
  // A backend destroyed while installed uninstalls itself.
  virtual ~TWindowBackend();

  // A top-level (parentless) control was shown or hidden.
  virtual void TopLevelShown(TControl* c) {}
  virtual void TopLevelHidden(TControl* c) {}
  // The control's picture on screen is out of date (invalidated, moved,
  // shown or hidden).
  virtual void ControlInvalidated(TControl* c) {}
  // The control has painted its surface: present it.
  virtual void PresentControl(TControl* c) {}
  virtual void CursorChanged(TControl* c) {}  // nullptr: the screen cursor
  // The control is being destroyed: forget it.
  virtual void ControlDestroyed(TControl* c) {}

  // Posts whatever events are ready, without waiting.
  virtual void PollEvents(TApplication& app) {}
  // Waits until events come and posts them; returns false when none will
  // ever come.
  virtual bool WaitForEvents(TApplication& app) = 0;
  // Called from any thread: makes a WaitForEvents that is blocked return.
  virtual void Wake() {}

  virtual int ScreenWidth() const { return 1920; }
  virtual int ScreenHeight() const { return 1080; }
  virtual int PixelsPerInch() const { return 96; }
};

// Shows nothing and never delivers an event.
class TKZ_COREKIT_EXPORT THeadlessBackend final : public TWindowBackend {
 public:
  bool WaitForEvents(TApplication& app) override { return false; }
};

// Installs a backend (not owned; nullptr restores the headless one) and
// returns the one installed before.
TKZ_COREKIT_EXPORT TWindowBackend* SetWindowBackend(TWindowBackend* backend);
// The installed backend, never nullptr.
TKZ_COREKIT_EXPORT TWindowBackend* GetWindowBackend();

// A backend for tests: when the application's queue runs dry it delivers the
// next step of a script, and it records what the application told it.
class TKZ_COREKIT_EXPORT TScriptedBackend : public TWindowBackend {
 public:
  enum class TCall : uint8_t { Shown, Hidden, Invalidated, Presented, CursorChanged, Destroyed };

  // A step posts its messages together.
  void AddStep(std::vector<TMessage> messages);
  void AddStep(TMessage message) { AddStep(std::vector<TMessage>{std::move(message)}); }
  // A step that runs code (it may post messages, set flags, terminate).
  void AddAction(std::function<void(TApplication&)> action);
  int StepsLeft() const { return static_cast<int>(steps_.size()); }
  // How often the backend was told `call` about c.
  int CountCalls(TCall call, const TControl* c) const;

  // What the application told the backend, in order. The pointers are for
  // comparison only: the controls may be gone.
  std::vector<std::pair<TCall, const TControl*>> Calls;

  void TopLevelShown(TControl* c) override { Calls.emplace_back(TCall::Shown, c); }
  void TopLevelHidden(TControl* c) override { Calls.emplace_back(TCall::Hidden, c); }
  void ControlInvalidated(TControl* c) override { Calls.emplace_back(TCall::Invalidated, c); }
  void PresentControl(TControl* c) override { Calls.emplace_back(TCall::Presented, c); }
  void CursorChanged(TControl* c) override { Calls.emplace_back(TCall::CursorChanged, c); }
  // Also drops the messages of later steps that address the control.
  void ControlDestroyed(TControl* c) override;
  // Delivers the next step when the application's queue is empty.
  void PollEvents(TApplication& app) override;
  // Delivers the next step; false when the script is used up.
  bool WaitForEvents(TApplication& app) override;

 private:
  struct Step {
    std::vector<TMessage> messages;
    std::function<void(TApplication&)> action;
  };
  std::deque<Step> steps_;
};

}  // namespace tkz
