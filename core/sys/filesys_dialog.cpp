// TUnivSaveDialog and the standard save-dialog provider (zenity).

#include "core/sys/filesys_dialog.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <vector>

#include "core/platform/codepage.h"
#include "core/sys/filesys.h"
#include "core/text/charcase.h"
#include "core/text/streams.h"

extern char** environ;

namespace tkz {

namespace {

bool HasDisplay() {
  for (const char* var : {"DISPLAY", "WAYLAND_DISPLAY"}) {
    const char* v = std::getenv(var);
    if (v && *v) return true;
  }
  return false;
}

// The full name of an executable program on the PATH, "" when there is none.
std::string FindProgram(const std::string& name) {
  const char* path = std::getenv("PATH");
  std::string dirs = path ? path : "/usr/bin:/bin";
  size_t i = 0;
  while (i <= dirs.size()) {
    size_t j = dirs.find(':', i);
    if (j == std::string::npos) j = dirs.size();
    const std::string dir = j > i ? dirs.substr(i, j - i) : ".";
    const std::string file = dir + '/' + name;
    struct stat st;
    if (stat(file.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(file.c_str(), X_OK) == 0)
      return file;
    i = j + 1;
  }
  return "";
}

std::vector<std::string> SplitBars(const std::string& s) {
  std::vector<std::string> parts;
  size_t i = 0;
  while (i <= s.size()) {
    size_t j = s.find('|', i);
    if (j == std::string::npos) j = s.size();
    parts.push_back(s.substr(i, j - i));
    i = j + 1;
  }
  return parts;
}

// zenity's "--file-filter=Name | *.a *.b" options, the chosen filter first
// (zenity starts with the first one).
std::vector<std::string> FilterOptions(const std::string& filter, int index) {
  std::vector<std::string> options;
  if (filter.empty()) return options;
  const std::vector<std::string> parts = SplitBars(filter);
  for (size_t k = 0; k + 1 < parts.size(); k += 2) {
    std::string patterns = parts[k + 1];
    for (char& c : patterns)
      if (c == ';') c = ' ';
    std::string option = "--file-filter=" + AnsiToUtf8(parts[k]) + " | " + patterns;
    if (static_cast<int>(k / 2) + 1 == index)
      options.insert(options.begin(), std::move(option));
    else
      options.push_back(std::move(option));
  }
  return options;
}

class ZenityProvider : public TSaveDialogProvider {
 public:
  TSaveDialogResult Run(const TSaveDialogRequest& r) override {
    TSaveDialogResult result;
    result.FileName = r.FileName;
    result.FilterIndex = r.FilterIndex;
    const std::string zenity = HasDisplay() ? FindProgram("zenity") : "";
    if (zenity.empty()) {
      result.ErrorCode = kDialogFailure;
      return result;
    }
    std::vector<std::string> args = {"zenity", "--file-selection", "--save"};
    if (!r.Title.empty()) args.push_back("--title=" + AnsiToUtf8(r.Title));
    std::string start = r.FileName;
    if (!r.InitialDir.empty() && (start.empty() || start[0] != '/'))
      start = r.InitialDir + (r.InitialDir.back() == '/' ? "" : "/") + start;
    if (!start.empty()) args.push_back("--filename=" + start);
    for (std::string& o : FilterOptions(r.Filter, r.FilterIndex)) args.push_back(std::move(o));

    int status = 0;
    std::string out;
    if (!Spawn(zenity, args, out, status)) {
      result.ErrorCode = kDialogFailure;
      return result;
    }
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0) {
      while (!out.empty() && (out.back() == '\n' || out.back() == '\r')) out.pop_back();
      result.Accepted = !out.empty();
      if (result.Accepted) result.FileName = out;
    } else if (!WIFEXITED(status) || WEXITSTATUS(status) != 1) {
      result.ErrorCode = kDialogFailure;  // 1 is the user's Cancel
    }
    return result;
  }

 private:
  // Runs the program and collects its standard output.
  static bool Spawn(const std::string& program, const std::vector<std::string>& args,
                    std::string& out, int& status) {
    int pipefd[2];
    if (pipe2(pipefd, O_CLOEXEC) != 0) return false;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipefd[1], STDOUT_FILENO);
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid = 0;
    const int rc = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(pipefd[1]);
    if (rc != 0) {
      close(pipefd[0]);
      return false;
    }
    char buf[4096];
    for (;;) {
      const ssize_t n = read(pipefd[0], buf, sizeof buf);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) break;
      if (out.size() < (1u << 20)) out.append(buf, static_cast<size_t>(n));
    }
    close(pipefd[0]);
    while (waitpid(pid, &status, 0) < 0)
      if (errno != EINTR) return false;
    return true;
  }
};

std::mutex& ProviderMutex() {
  static std::mutex m;
  return m;
}

std::shared_ptr<TSaveDialogProvider>& ProviderSlot() {
  static std::shared_ptr<TSaveDialogProvider> p;
  return p;
}

}  // namespace

void SetSaveDialogProvider(std::shared_ptr<TSaveDialogProvider> Provider) {
  std::lock_guard<std::mutex> lock(ProviderMutex());
  ProviderSlot() = std::move(Provider);
}

std::shared_ptr<TSaveDialogProvider> GetSaveDialogProvider() {
  std::lock_guard<std::mutex> lock(ProviderMutex());
  if (!ProviderSlot()) ProviderSlot() = std::make_shared<ZenityProvider>();
  return ProviderSlot();
}

// ------------------------------------------------------------ the component

void TUnivSaveDialog::Fail(const std::string& text) const {
  throw ETKZFileSysError("Component \"" + GetName() + "\": " + text);
}

std::string TUnivSaveDialog::ExtractParamAsString(const std::string& Name) const {
  return ScanForXMLAttrib(parameters_, Name);
}

int TUnivSaveDialog::ExtractParamAsInt(const std::string& Name) const {
  const std::string v = ExtractParamAsString(Name);
  if (v.empty()) Fail(Name + " is not specified in property Parameters");
  TStringStream s(v);
  return ScanStreamDecimal(&s);
}

double TUnivSaveDialog::ExtractParamAsDouble(const std::string& Name) const {
  const std::string v = ExtractParamAsString(Name);
  if (v.empty()) Fail(Name + " is not specified in property Parameters");
  TStringStream s(v);
  return static_cast<double>(ScanStreamFPNum(&s, true, 3));
}

TModalResult TUnivSaveDialog::Choose() {
  TModalResult reply = mrCancel;
  if (!use_standard_dialog_) {
    if (!OnFileSelect) Fail("File select dialog is not assigned");
    OnFileSelect(this, parameters_, reply, file_name_);
    return reply;
  }
  TSaveDialogRequest request;
  request.Filter = ExtractParamAsString("filter");
  request.Title = ExtractParamAsString("caption");
  request.InitialDir = ExtractParamAsString("initialdir");
  request.FileName = file_name_;
  request.FilterIndex = filter_index_;
  const TSaveDialogResult result = GetSaveDialogProvider()->Run(request);
  if (!result.Accepted) {
    if (result.ErrorCode != 0) {
      char code[16];
      std::snprintf(code, sizeof code, "%04X", result.ErrorCode);
      Fail(std::string("Error in standard dialog (errnum = $") + code + ").");
    }
    return mrCancel;
  }
  file_name_ = result.FileName;
  filter_index_ = result.FilterIndex;
  const std::string ext = ExtractParamAsString("ext");
  if (!ext.empty()) file_name_ = StripExtension(file_name_) + (ext[0] == '.' ? "" : ".") + ext;
  return mrOk;
}

bool TUnivSaveDialog::Execute() {
  for (;;) {
    if (Choose() != mrOk) return false;
    const std::string dir = file_name_.substr(0, file_name_.size() - StripPath(file_name_).size());
    if (!forbidden_dir_.empty() && dir.size() >= forbidden_dir_.size() &&
        AnsiSameText(std::string_view(dir).substr(0, forbidden_dir_.size()), forbidden_dir_)) {
      TModalResult answer = mrYes;
      if (OnForbiddenDir) OnForbiddenDir(this, dir, answer);
      if (answer == mrCancel) return false;
      if (answer != mrYes) continue;
    }
    bool exists = false;
    if (use_standard_dialog_) {
      struct stat st;
      exists = file_name_.find('\0') == std::string::npos && stat(file_name_.c_str(), &st) == 0 &&
               !S_ISDIR(st.st_mode);
    } else if (OnFileCheck) {
      OnFileCheck(this, file_name_, exists);
    }
    if (!exists) return true;
    if (!OnOverwrite) Fail("Overwrite dialog is not assigned");
    TModalResult answer = mrNo;
    OnOverwrite(this, file_name_, answer);
    if (answer == mrYes) return true;
    if (answer == mrCancel) return false;
    if (answer != mrNo) Fail("Invalid reply argument from overwrite dialog");
  }
}

}  // namespace tkz
