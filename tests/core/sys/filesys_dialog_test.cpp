#include "core/sys/filesys_dialog.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <deque>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "core/types/tkzbase.h"
#include "support/temp_dir.h"

namespace fs = std::filesystem;

namespace tkz {
namespace {

using testing_support::TempDirTest;

// Answers the dialog from a script and records what it was shown.
class ScriptedProvider : public TSaveDialogProvider {
 public:
  TSaveDialogResult Run(const TSaveDialogRequest& r) override {
    requests.push_back(r);
    TSaveDialogResult res = replies.front();
    replies.pop_front();
    return res;
  }
  std::deque<TSaveDialogResult> replies;
  std::vector<TSaveDialogRequest> requests;
};

TSaveDialogResult Chosen(const std::string& name, int filter = 1) {
  return {true, name, filter, 0};
}

class SaveDialog : public TempDirTest {
 protected:
  void SetUp() override {
    TempDirTest::SetUp();
    provider = std::make_shared<ScriptedProvider>();
    SetSaveDialogProvider(provider);
    dlg.SetName("dlgSave");
  }
  void TearDown() override {
    SetSaveDialogProvider(nullptr);
    TempDirTest::TearDown();
  }
  std::shared_ptr<ScriptedProvider> provider;
  TUnivSaveDialog dlg;
};

TEST_F(SaveDialog, Defaults) {
  EXPECT_TRUE(dlg.GetUseStandardDialog());
  EXPECT_EQ(dlg.GetFileName(), "");
  EXPECT_EQ(dlg.GetFilterIndex(), 1);
  EXPECT_EQ(dlg.GetForbiddenDir(), "");
  EXPECT_EQ(dlg.GetParameters(), "");
}

TEST_F(SaveDialog, StandardDialogGetsParametersAndSetsExtension) {
  dlg.SetParameters(
      "filter=\"Text (*.txt)|*.txt|All|*\" caption=\"Save data\" initialdir=/data ext=csv");
  dlg.SetFileName("old.txt");
  dlg.SetFilterIndex(2);
  provider->replies = {Chosen(Path("new.txt"), 1)};
  EXPECT_TRUE(dlg.Execute());
  ASSERT_EQ(provider->requests.size(), 1u);
  const TSaveDialogRequest& r = provider->requests[0];
  EXPECT_EQ(r.Filter, "Text (*.txt)|*.txt|All|*");
  EXPECT_EQ(r.Title, "Save data");
  EXPECT_EQ(r.InitialDir, "/data");
  EXPECT_EQ(r.FileName, "old.txt");
  EXPECT_EQ(r.FilterIndex, 2);
  EXPECT_EQ(dlg.GetFileName(), Path("new.csv"));
  EXPECT_EQ(dlg.GetFilterIndex(), 1);
}

TEST_F(SaveDialog, CancelAndDialogError) {
  provider->replies = {TSaveDialogResult{false, "", 1, 0}};
  EXPECT_FALSE(dlg.Execute());
  provider->replies = {TSaveDialogResult{false, "", 1, 0x3002}};
  try {
    dlg.Execute();
    FAIL() << "no error raised";
  } catch (const ETKZFileSysError& e) {
    EXPECT_STREQ(e.what(), "Component \"dlgSave\": Error in standard dialog (errnum = $3002).");
  }
}

TEST_F(SaveDialog, StandardProviderWithoutDisplayReportsDialogFailure) {
  SetSaveDialogProvider(nullptr);
  const char* display = getenv("DISPLAY");
  const char* wayland = getenv("WAYLAND_DISPLAY");
  const std::string saved_display = display ? display : "";
  const std::string saved_wayland = wayland ? wayland : "";
  unsetenv("DISPLAY");
  unsetenv("WAYLAND_DISPLAY");
  EXPECT_THROW(
      {
        try {
          dlg.Execute();
        } catch (const ETKZFileSysError& e) {
          EXPECT_STREQ(e.what(),
                       "Component \"dlgSave\": Error in standard dialog (errnum = $FFFF).");
          throw;
        }
      },
      ETKZFileSysError);
  if (display) setenv("DISPLAY", saved_display.c_str(), 1);
  if (wayland) setenv("WAYLAND_DISPLAY", saved_wayland.c_str(), 1);
}

// A stand-in for zenity on the PATH: records its arguments, then prints a
// chosen name, or exits with the status written to the file "status".
TEST_F(SaveDialog, StandardProviderRunsZenity) {
  SetSaveDialogProvider(nullptr);
  fs::create_directory(Path("bin"));
  Put(Path("bin/zenity"),
      "#!/bin/sh\n"
      "d=$(dirname \"$0\")\n"
      "printf '%s\\n' \"$@\" > \"$d/args\"\n"
      "if [ -f \"$d/status\" ]; then exit $(cat \"$d/status\"); fi\n"
      "echo \"$d/chosen.txt\"\n");
  fs::permissions(Path("bin/zenity"), fs::perms::owner_all);
  const std::string saved_path = getenv("PATH") ? getenv("PATH") : "";
  const char* display = getenv("DISPLAY");
  const std::string saved_display = display ? display : "";
  setenv("PATH", (Path("bin") + ":/usr/bin:/bin").c_str(), 1);
  setenv("DISPLAY", ":99", 1);

  dlg.SetParameters(
      "filter=\"Text files (*.txt)|*.txt;*.text|All|*\" caption=\"Save \xE9t\xE9\" "
      "initialdir=/data");
  dlg.SetFileName("draft.txt");
  dlg.SetFilterIndex(2);
  EXPECT_TRUE(dlg.Execute());
  EXPECT_EQ(dlg.GetFileName(), Path("bin/chosen.txt"));
  EXPECT_EQ(Slurp(Path("bin/args")),
            "--file-selection\n--save\n--title=Save \xC3\xA9t\xC3\xA9\n"
            "--filename=/data/draft.txt\n--file-filter=All | *\n"
            "--file-filter=Text files (*.txt) | *.txt *.text\n");

  Put(Path("bin/status"), "1");  // the user's Cancel
  EXPECT_FALSE(dlg.Execute());
  Put(Path("bin/status"), "5");  // anything else is a failure
  EXPECT_THROW(dlg.Execute(), ETKZFileSysError);

  setenv("PATH", saved_path.c_str(), 1);
  if (display)
    setenv("DISPLAY", saved_display.c_str(), 1);
  else
    unsetenv("DISPLAY");
}

TEST_F(SaveDialog, ExistingFileAsksToOverwrite) {
  Put(Path("exists.txt"), "x");
  std::vector<std::string> asked;
  std::deque<TModalResult> answers = {mrNo, mrYes};
  dlg.OnOverwrite = [&](TObject* sender, const std::string& name, TModalResult& reply) {
    EXPECT_EQ(sender, &dlg);
    EXPECT_EQ(reply, mrNo);
    asked.push_back(name);
    reply = answers.front();
    answers.pop_front();
  };
  // No: the dialog comes again; Yes: accepted.
  provider->replies = {Chosen(Path("exists.txt")), Chosen(Path("exists.txt"))};
  EXPECT_TRUE(dlg.Execute());
  EXPECT_EQ(asked.size(), 2u);
  EXPECT_EQ(provider->requests.size(), 2u);
  EXPECT_EQ(provider->requests[1].FileName, Path("exists.txt"));

  answers = {mrCancel};
  provider->replies = {Chosen(Path("exists.txt"))};
  EXPECT_FALSE(dlg.Execute());

  answers = {mrOk};
  provider->replies = {Chosen(Path("exists.txt"))};
  EXPECT_THROW(dlg.Execute(), ETKZFileSysError);

  // A new name needs no confirmation; a folder is not an existing file.
  provider->replies = {Chosen(Path("new.txt")), Chosen(dir_)};
  EXPECT_TRUE(dlg.Execute());
  EXPECT_TRUE(dlg.Execute());
  EXPECT_EQ(asked.size(), 4u);

  dlg.OnOverwrite = nullptr;
  provider->replies = {Chosen(Path("exists.txt"))};
  try {
    dlg.Execute();
    FAIL();
  } catch (const ETKZFileSysError& e) {
    EXPECT_STREQ(e.what(), "Component \"dlgSave\": Overwrite dialog is not assigned");
  }
}

TEST_F(SaveDialog, ForbiddenDirectory) {
  dlg.SetUseStandardDialog(false);
  dlg.SetForbiddenDir("C:\\Sys");
  std::deque<std::string> picks = {"c:\\sys\\x.txt", "c:\\sys\\y.txt", "c:\\other\\z.txt"};
  dlg.OnFileSelect = [&](TObject*, const std::string&, TModalResult& r, std::string& name) {
    EXPECT_EQ(r, mrCancel);
    r = mrOk;
    name = picks.front();
    picks.pop_front();
  };
  std::vector<std::string> paths;
  std::deque<TModalResult> answers = {mrNo, mrYes};
  dlg.OnForbiddenDir = [&](TObject*, const std::string& path, TModalResult& r) {
    EXPECT_EQ(r, mrYes);
    paths.push_back(path);
    r = answers.front();
    answers.pop_front();
  };
  // No: choose again; Yes: go on with the forbidden folder.
  EXPECT_TRUE(dlg.Execute());
  EXPECT_EQ(paths, (std::vector<std::string>{"c:\\sys\\", "c:\\sys\\"}));
  EXPECT_EQ(dlg.GetFileName(), "c:\\sys\\y.txt");

  answers = {mrCancel};
  picks = {"C:\\SYS\\a"};
  EXPECT_FALSE(dlg.Execute());
  // Outside the forbidden folder nobody is asked.
  picks = {"c:\\other\\z.txt"};
  EXPECT_TRUE(dlg.Execute());
  EXPECT_EQ(paths.size(), 3u);
  // Without a handler the answer is Yes.
  dlg.OnForbiddenDir = nullptr;
  picks = {"c:\\sys\\b"};
  EXPECT_TRUE(dlg.Execute());
}

TEST_F(SaveDialog, ApplicationDialogAndFileCheck) {
  dlg.SetUseStandardDialog(false);
  try {
    dlg.Execute();
    FAIL();
  } catch (const ETKZFileSysError& e) {
    EXPECT_STREQ(e.what(), "Component \"dlgSave\": File select dialog is not assigned");
  }
  dlg.SetParameters("mode=fast");
  dlg.OnFileSelect = [](TObject*, const std::string& params, TModalResult& r, std::string& n) {
    EXPECT_EQ(params, "mode=fast");
    n = "/virtual/file";
    r = mrOk;
  };
  // Without OnFileCheck nothing exists, even a real file.
  EXPECT_TRUE(dlg.Execute());
  int overwrites = 0;
  dlg.OnFileCheck = [](TObject*, const std::string& name, bool& exists) {
    EXPECT_FALSE(exists);
    exists = name == "/virtual/file";
  };
  dlg.OnOverwrite = [&](TObject*, const std::string&, TModalResult& r) {
    ++overwrites;
    r = mrYes;
  };
  EXPECT_TRUE(dlg.Execute());
  EXPECT_EQ(overwrites, 1);
  dlg.OnFileSelect = [](TObject*, const std::string&, TModalResult& r, std::string&) {
    r = mrCancel;
  };
  EXPECT_FALSE(dlg.Execute());
  EXPECT_TRUE(provider->requests.empty());
}

TEST_F(SaveDialog, ParameterValues) {
  dlg.SetParameters("n=\" -42 \" x=2,5e1 s=\"a b\" empty=\"\"");
  EXPECT_EQ(dlg.ExtractParamAsString("S"), "a b");
  EXPECT_EQ(dlg.ExtractParamAsString("absent"), "");
  EXPECT_EQ(dlg.ExtractParamAsInt("n"), -42);
  EXPECT_DOUBLE_EQ(dlg.ExtractParamAsDouble("x"), 25.0);
  try {
    dlg.ExtractParamAsInt("empty");
    FAIL();
  } catch (const ETKZFileSysError& e) {
    EXPECT_STREQ(e.what(), "Component \"dlgSave\": empty is not specified in property Parameters");
  }
  EXPECT_THROW(dlg.ExtractParamAsDouble("absent"), ETKZFileSysError);
}

}  // namespace
}  // namespace tkz
