// TUnivSaveDialog: a "save as" dialog, either the desktop's or one that the
// application supplies, followed by a forbidden-directory check and an
// overwrite confirmation.
//
//   TUnivSaveDialog dlg(owner);
//   dlg.SetParameters("filter=\"Text files (*.txt)|*.txt\" caption=Save ext=txt");
//   dlg.SetForbiddenDir("/usr");
//   dlg.OnOverwrite = [](TObject*, const std::string&, TModalResult& r) { r = mrYes; };
//   if (dlg.Execute()) Save(dlg.GetFileName());
//
// The desktop's dialog is reached through a process-wide provider. The
// standard provider runs "zenity --file-selection --save" when a display
// ($DISPLAY or $WAYLAND_DISPLAY) is there and zenity is on the PATH;
// otherwise, or when zenity fails, it reports the dialog error $FFFF (the
// dialog could not be created). Applications and tests may install their
// own provider with SetSaveDialogProvider.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "core/platform/classes.h"
#include "core/types/corekit_export.h"

namespace tkz {

// Modal results of the dialogs.
using TModalResult = int;
inline constexpr TModalResult mrNone = 0;
inline constexpr TModalResult mrOk = 1;
inline constexpr TModalResult mrCancel = 2;
inline constexpr TModalResult mrYes = 6;
inline constexpr TModalResult mrNo = 7;

// What the save dialog is shown with. Filter is in the classic form
// "Text files (*.txt)|*.txt|All files|*" (name and pattern alternating,
// several patterns separated by ";"); FilterIndex counts from 1.
struct TKZ_COREKIT_EXPORT TSaveDialogRequest {
  std::string Filter;
  std::string Title;
  std::string InitialDir;
  std::string FileName;
  int FilterIndex = 1;
};

// What the user did: Accepted with the chosen FileName and FilterIndex, or
// cancelled (ErrorCode 0) or failed (ErrorCode the dialog's error number).
struct TKZ_COREKIT_EXPORT TSaveDialogResult {
  bool Accepted = false;
  std::string FileName;
  int FilterIndex = 1;
  uint32_t ErrorCode = 0;
};

class TKZ_COREKIT_EXPORT TSaveDialogProvider {
 public:
  virtual ~TSaveDialogProvider() = default;
  virtual TSaveDialogResult Run(const TSaveDialogRequest& Request) = 0;
};

// The error number of a dialog that could not be shown.
inline constexpr uint32_t kDialogFailure = 0xFFFF;

// Installs the provider that TUnivSaveDialog uses with UseStandardDialog;
// null restores the standard one.
TKZ_COREKIT_EXPORT void SetSaveDialogProvider(std::shared_ptr<TSaveDialogProvider> Provider);
TKZ_COREKIT_EXPORT std::shared_ptr<TSaveDialogProvider> GetSaveDialogProvider();

using TOnFileSelectEvent =
    std::function<void(TObject* Sender, const std::string& Parameters, TModalResult& UserAction,
                       std::string& SelectedFileName)>;
using TOnFileCheckEvent =
    std::function<void(TObject* Sender, const std::string& FileName, bool& FileDoesExist)>;
using TOnOverwriteEvent =
    std::function<void(TObject* Sender, const std::string& FileName, TModalResult& OverwriteReply)>;
using TOnForbiddenDirEvent =
    std::function<void(TObject* Sender, const std::string& Path, TModalResult& ForbiddenDirReply)>;

class TKZ_COREKIT_EXPORT TUnivSaveDialog : public TComponent {
 public:
  explicit TUnivSaveDialog(TComponent* AOwner = nullptr) : TComponent(AOwner) {}
  std::string ClassName() const override { return "TUnivSaveDialog"; }

  // Runs the dialog until the user settles on a name; true when FileName
  // may be written.
  // 1. With UseStandardDialog the provider shows the dialog with the
  //    parameters "filter", "caption" and "initialdir", FilterIndex and
  //    FileName; the chosen name and filter index are taken over, and with a
  //    parameter "ext" the name's extension becomes "." + ext. A provider
  //    error raises ETKZFileSysError
  //    'Component "<name>": Error in standard dialog (errnum = $FFFF).'.
  //    Without it, OnFileSelect chooses (and must be assigned).
  // 2. Not OK: false.
  // 3. A directory part of FileName that starts with ForbiddenDir (ignoring
  //    case) asks OnForbiddenDir with that directory part (default Yes):
  //    Cancel gives false, Yes goes on, any other answer starts again.
  // 4. Whether the file exists: the file system says with
  //    UseStandardDialog (directories do not count), otherwise OnFileCheck
  //    (false when unassigned). A new file gives true.
  // 5. An existing file asks OnOverwrite (which must be assigned; default
  //    No): Yes gives true, Cancel false, No starts again, anything else
  //    raises.
  bool Execute();

  // Parameter values from Parameters ("" when absent). The number forms
  // raise ETKZFileSysError 'Component "<name>": <Name> is not specified in
  // property Parameters' for an empty value.
  std::string ExtractParamAsString(const std::string& Name) const;
  int ExtractParamAsInt(const std::string& Name) const;
  double ExtractParamAsDouble(const std::string& Name) const;

  const std::string& GetParameters() const { return parameters_; }
  void SetParameters(const std::string& Value) { parameters_ = Value; }
  bool GetUseStandardDialog() const { return use_standard_dialog_; }
  void SetUseStandardDialog(bool Value) { use_standard_dialog_ = Value; }
  const std::string& GetFileName() const { return file_name_; }
  void SetFileName(const std::string& Value) { file_name_ = Value; }
  int GetFilterIndex() const { return filter_index_; }
  void SetFilterIndex(int Value) { filter_index_ = Value; }
  const std::string& GetForbiddenDir() const { return forbidden_dir_; }
  void SetForbiddenDir(const std::string& Value) { forbidden_dir_ = Value; }

  TOnFileSelectEvent OnFileSelect;
  TOnFileCheckEvent OnFileCheck;
  TOnOverwriteEvent OnOverwrite;
  TOnForbiddenDirEvent OnForbiddenDir;

 private:
  [[noreturn]] void Fail(const std::string& text) const;
  // Step 1; returns the user's reply.
  TModalResult Choose();

  std::string parameters_;
  bool use_standard_dialog_ = true;
  std::string file_name_;
  int filter_index_ = 1;
  std::string forbidden_dir_;
};

}  // namespace tkz
