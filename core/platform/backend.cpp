// The installed window backend; the scripted backend of tests.
#include "core/platform/backend.h"

#include <algorithm>
#include <atomic>
#include <utility>

#ifndef TKZ_HAVE_X11
#include "core/platform/backend_x11.h"
#endif

namespace tkz {

namespace {

// Atomic: TApplication::PostFromThread wakes it from other threads.
std::atomic<TWindowBackend*> g_installed = nullptr;

TWindowBackend* Headless() {
  // Never destroyed: controls destroyed during exit still report to it.
  static TWindowBackend* headless = new THeadlessBackend;
  return headless;
}

}  // namespace

TWindowBackend::~TWindowBackend() {
  TWindowBackend* self = this;
  g_installed.compare_exchange_strong(self, nullptr);
}

TWindowBackend* SetWindowBackend(TWindowBackend* backend) {
  TWindowBackend* before = GetWindowBackend();
  g_installed = backend;
  return before;
}

TWindowBackend* GetWindowBackend() {
  TWindowBackend* b = g_installed.load();
  return b != nullptr ? b : Headless();
}

// --------------------------------------------------------- TScriptedBackend
void TScriptedBackend::AddStep(std::vector<TMessage> messages) {
  steps_.push_back(Step{std::move(messages), nullptr});
}

void TScriptedBackend::AddAction(std::function<void(TApplication&)> action) {
  steps_.push_back(Step{{}, std::move(action)});
}

int TScriptedBackend::CountCalls(TCall call, const TControl* c) const {
  return static_cast<int>(std::count(Calls.begin(), Calls.end(), std::make_pair(call, c)));
}

void TScriptedBackend::ControlDestroyed(TControl* c) {
  Calls.emplace_back(TCall::Destroyed, c);
  for (Step& s : steps_) {
    std::erase_if(s.messages, [c](const TMessage& m) { return m.Target == c; });
  }
}

void TScriptedBackend::PollEvents(TApplication& app) {
  if (app.MessageCount() == 0) WaitForEvents(app);
}

bool TScriptedBackend::WaitForEvents(TApplication& app) {
  if (steps_.empty()) return false;
  Step step = std::move(steps_.front());
  steps_.pop_front();
  for (TMessage& m : step.messages) app.PostMessage(std::move(m));
  if (step.action) step.action(app);
  return true;
}

#ifndef TKZ_HAVE_X11
// ------------------------------------------------- TX11Backend without Xlib
// The build found no X11: there is never a display to open.
struct TX11Backend::Impl {};

std::unique_ptr<TX11Backend> TX11Backend::Open(const char*, std::string* error) {
  if (error != nullptr) *error = "this build of the library has no X11 support";
  return nullptr;
}
TX11Backend::TX11Backend(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
TX11Backend::~TX11Backend() = default;
void TX11Backend::TopLevelShown(TControl*) {}
void TX11Backend::TopLevelHidden(TControl*) {}
void TX11Backend::ControlInvalidated(TControl*) {}
void TX11Backend::PresentControl(TControl*) {}
void TX11Backend::CursorChanged(TControl*) {}
void TX11Backend::ControlDestroyed(TControl*) {}
void TX11Backend::PollEvents(TApplication&) {}
bool TX11Backend::WaitForEvents(TApplication&) { return false; }
int TX11Backend::ScreenWidth() const { return TWindowBackend::ScreenWidth(); }
int TX11Backend::ScreenHeight() const { return TWindowBackend::ScreenHeight(); }
int TX11Backend::PixelsPerInch() const { return TWindowBackend::PixelsPerInch(); }
unsigned long TX11Backend::WindowOf(const TControl*) const { return 0; }
bool TX11Backend::Connected() const { return false; }
int TX11Backend::ErrorCount() const { return 0; }
int TX11Backend::FramesPresented() const { return 0; }
void TX11Backend::Sync() {}
#endif

}  // namespace tkz
