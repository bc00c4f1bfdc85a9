// background_task: work on a thread of its own (the record index, the
// search) that reports its progress through a callback run on that thread.
#pragma once

#include <atomic>
#include <functional>
#include <thread>

namespace tkz::molviewer {

class BackgroundTask {
 public:
  BackgroundTask() = default;
  BackgroundTask(const BackgroundTask&) = delete;
  BackgroundTask& operator=(const BackgroundTask&) = delete;
  // A derived class stops the thread in its own destructor, before its
  // members go.
  virtual ~BackgroundTask() = default;

  // Starts Run on a new thread; Progress (may be empty) is what Report calls.
  void Start(std::function<void()> Progress) {
    progress_ = std::move(Progress);
    thread_ = std::thread([this] { Run(); });
  }
  // Asks the thread to stop and waits for it.
  void Stop() {
    stop_ = true;
    Wait();
  }
  // Waits until the thread is done.
  void Wait() {
    if (thread_.joinable()) thread_.join();
  }

 protected:
  virtual void Run() = 0;
  void Report() const {
    if (progress_) progress_();
  }
  bool StopAsked() const { return stop_.load(); }

 private:
  std::function<void()> progress_;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

}  // namespace tkz::molviewer
