// The installed window backend; the scripted backend of tests.
#include "core/platform/backend.h"

#include <algorithm>
#include <utility>

namespace tkz {

namespace {

TWindowBackend* g_installed = nullptr;

TWindowBackend* Headless() {
  // Never destroyed: controls destroyed during exit still report to it.
  static TWindowBackend* headless = new THeadlessBackend;
  return headless;
}

}  // namespace

TWindowBackend::~TWindowBackend() {
  if (g_installed == this) g_installed = nullptr;
}

TWindowBackend* SetWindowBackend(TWindowBackend* backend) {
  TWindowBackend* before = GetWindowBackend();
  g_installed = backend;
  return before;
}

TWindowBackend* GetWindowBackend() { return g_installed != nullptr ? g_installed : Headless(); }

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

}  // namespace tkz
