// The progress bar of the tkz commands: one status line on standard error,
// drawn only when that is a terminal.
#pragma once

#include <algorithm>
#include <cstdint>
#include <ostream>
#include <string>

namespace tkz::tool {

// Redraws one status line on the terminal, only when its text changes.
class ProgressBar {
 public:
  ProgressBar(std::ostream& err, bool enabled) : err_(err), enabled_(enabled) {}
  ~ProgressBar() {
    if (drawn_) err_ << "\n" << std::flush;
  }

  void Show(int64_t done, int64_t total, const std::string& file, int count) {
    if (!enabled_) return;
    // A source that grows while it is copied yields more than its size.
    const int percent =
        total > 0 ? static_cast<int>(std::clamp<int64_t>(done, 0, total) * 100 / total) : 100;
    constexpr int kWidth = 30;
    const int filled = percent * kWidth / 100;
    std::string line = "\r[" + std::string(filled, '#') + std::string(kWidth - filled, '.') + "] ";
    line += std::to_string(percent) + "%";
    if (count > 0) line += "  " + std::to_string(count) + " " + (count == 1 ? "file" : "files");
    if (!file.empty()) {
      const std::string name = file.substr(file.rfind('/') + 1);
      line += "  " + (name.size() > 40 ? name.substr(0, 37) + "..." : name);
    }
    if (line == last_) return;
    // Pad over what a longer previous line left on the terminal.
    const size_t len = line.size();
    if (last_.size() > len) line += std::string(last_.size() - len, ' ');
    err_ << line << std::flush;
    line.resize(len);
    last_ = line;
    drawn_ = true;
  }

 private:
  std::ostream& err_;
  bool enabled_;
  bool drawn_ = false;
  std::string last_;
};

}  // namespace tkz::tool
