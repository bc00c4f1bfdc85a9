// A private X server (Xvfb) for the window tests, on a display number it
// picks itself, stopped when the object goes. Needs no Xlib: the tests talk
// to it through the platform's X11 backend.
#pragma once

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <memory>
#include <string>

#include "core/platform/backend_x11.h"

namespace tkz::testing_support {

class PrivateX {
 public:
  ~PrivateX() {
    if (pid_ > 0) {
      kill(pid_, SIGTERM);
      waitpid(pid_, nullptr, 0);
    }
  }
  // The display name, "" when Xvfb is missing or does not come up.
  std::string Start() {
    const char* exe = "/usr/bin/Xvfb";
    if (access(exe, X_OK) != 0) return "";
    int fds[2];
    if (pipe(fds) != 0) return "";
    pid_ = fork();
    if (pid_ == 0) {
      close(fds[0]);
      const std::string fd = std::to_string(fds[1]);
      execl(exe, exe, "-displayfd", fd.c_str(), "-screen", "0", "640x480x24", "-nolisten", "tcp",
            static_cast<char*>(nullptr));
      _exit(127);
    }
    close(fds[1]);
    // Xvfb writes its display number once it listens; the pipe ends empty
    // when it fails.
    FILE* in = fdopen(fds[0], "r");
    char line[32] = {};
    const bool got = in != nullptr && std::fgets(line, sizeof line, in) != nullptr;
    if (in != nullptr) std::fclose(in);
    const std::string number = got ? line : "";
    if (number.find('\n') == std::string::npos) return "";
    return ":" + number.substr(0, number.find('\n'));
  }

 private:
  pid_t pid_ = -1;
};

// A private X server with the platform's X11 backend open on it.
struct XWindowing {
  PrivateX Server;
  std::unique_ptr<TX11Backend> X11;
  std::string Why;  // why Open failed
  // False, with the reason in Why, when Xvfb or the backend is missing.
  bool Open() {
    const std::string display = Server.Start();
    if (display.empty()) {
      Why = "no Xvfb";
      return false;
    }
    std::string why;
    X11 = TX11Backend::Open(display.c_str(), &why);
    if (!X11) Why = "X backend not available: " + why;
    return X11 != nullptr;
  }
};

}  // namespace tkz::testing_support
