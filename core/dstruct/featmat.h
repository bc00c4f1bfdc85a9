// TFeatureMatrix: a table of typed features (columns) over objects (records).
// Every value is kept as text; each feature has a TFeatMatProps record that
// fixes its kind. Features and objects are numbered from 1.
//
// Values are stored sparsely (only non-empty texts take memory), so a matrix
// may announce many objects without the table growing with that number.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "core/platform/classes.h"
#include "core/platform/textfile.h"
#include "core/types/corekit_export.h"
#include "core/types/tkzbase.h"

namespace tkz {

enum TFeatKind : uint8_t { fkUndefined, fkInteger, fkDouble, fkString, fkTriState };

// Kind identifiers as written to files, indexed by TFeatKind.
extern TKZ_COREKIT_EXPORT const std::array<const char*, 5> FEATKINDIDS;

class TKZ_COREKIT_EXPORT TFeatMatProps : public TComponent {
 public:
  explicit TFeatMatProps(TComponent* AOwner = nullptr) : TComponent(AOwner) {}
  std::string ClassName() const override { return "TFeatMatProps"; }
  void Clear();
  void Assign(const TPersistent* Source) override;
  void AssignTo(TPersistent* Dest) const override;

  int32_t FeatNum = 0;
  std::string FeatName = "undefined";
  TFeatKind FeatKind = fkUndefined;
  std::string Comment;
  std::string Presets;
  bool Sorted = false;
  int32_t GUIElem = 0;
};

// Date-time pattern language of the T placeholder of GenerateFeatNames:
//   yyyy year, yy two-digit year, mm/m month, dd/d day, hh/h hour (24 h),
//   nn/n minute, ss/s second, zzz milliseconds; text between double or single
//   quotes is copied without quotes; every other character is copied as is.
// Two-letter forms have leading zeros, one-letter forms have none.
TKZ_COREKIT_EXPORT std::string FeatMatFormatDateTime(const std::string& Pattern, int Year,
                                                     int Month, int Day, int Hour, int Minute,
                                                     int Second, int MSec);

// Text checks used by the matrix.
TKZ_COREKIT_EXPORT bool FeatMatIsIntegerText(const std::string& s);
// With CommaToo, "," is accepted as decimal separator as well as ".".
TKZ_COREKIT_EXPORT bool FeatMatIsNumberText(const std::string& s, bool CommaToo = false);

class TKZ_COREKIT_EXPORT TFeatureMatrix : public TComponent {
 public:
  // Reading a file: a definition section ("#featdef N V") of a version V
  // other than 1 is skipped (it still counts as a section found). A value
  // section ("#featvals N M") sets both counts; features it sizes beyond the
  // definitions read get cleared records (kind fkUndefined), at most this
  // many of them, else the file is refused as unreadable.
  static constexpr int32_t kMaxUndefinedFeatures = 65536;

  // Results of GenerateFeatNames.
  static constexpr int kNamesOK = 0;
  static constexpr int kNamesBadRange = -1;        // First or Last outside the features
  static constexpr int kNamesBadPlaceholder = -2;  // a placeholder that cannot be expanded
  // Results of Load.
  static constexpr int kLoadOK = 0;
  static constexpr int kLoadNoFile = -1;     // no such file, or a folder
  static constexpr int kLoadNoSection = -2;  // no feature section in the file
  static constexpr int kLoadFailed = -3;     // the file cannot be read, or a value not converted
  // Results of LoadFromOpenFile.
  static constexpr int kReadOK = 0;
  static constexpr int kReadNoSection = -1;
  static constexpr int kReadFailed = -2;

  explicit TFeatureMatrix(TComponent* AOwner = nullptr) : TComponent(AOwner) {}
  ~TFeatureMatrix() override;
  std::string ClassName() const override { return "TFeatureMatrix"; }

  void Clear();
  int32_t GetNFeats() const { return nfeats_; }
  void SetNFeats(int32_t Count);
  int32_t GetNObjs() const { return nobjs_; }
  void SetNObjs(int32_t Count);
  bool Resize(int32_t NFeats, int32_t NObjs);

  // Out of range: a new cleared object that the caller owns.
  TFeatMatProps* GetFeatProps(int32_t Feat) const;
  // Takes ownership of Props and frees the record it replaces.
  void SetFeatProps(int32_t Feat, TFeatMatProps* Props);
  void SetFeatType(int32_t First, int32_t Last, TFeatKind Kind);
  void RenumberFeatures(int32_t First, int32_t Last, int32_t StartNum, int32_t Increment);
  int GenerateFeatNames(const std::string& Template, int32_t First, int32_t Last, int32_t StartNum,
                        int32_t Increment);
  int FindFeatName(const std::string& Name) const;
  int FindFeatNum(int32_t Num) const;

  // The whole 64-bit range that SetFeatValint stores reads back.
  int64_t GetFeatValInt(int32_t Feat, int32_t Obj) const;
  void SetFeatValint(int32_t Feat, int32_t Obj, int64_t Value);
  double GetFeatValDouble(int32_t Feat, int32_t Obj) const;
  void SetFeatValDouble(int32_t Feat, int32_t Obj, double Value);
  TTriState GetFeatValTriState(int32_t Feat, int32_t Obj) const;
  void SetFeatValTriState(int32_t Feat, int32_t Obj, TTriState Value);
  std::string GetFeatValStr(int32_t Feat, int32_t Obj) const;
  void SetFeatValStr(int32_t Feat, int32_t Obj, const std::string& Value);

  bool Fill(int32_t Feat, const std::string& Value);
  bool Fill(int32_t Feat, const char* Value) { return Fill(Feat, std::string(Value)); }
  bool Fill(int32_t Feat, int64_t Value);
  bool Fill(int32_t Feat, int Value) { return Fill(Feat, static_cast<int64_t>(Value)); }
  bool Fill(int32_t Feat, double Value);
  bool Fill(int32_t Feat, TTriState Value);

  void InsertObject(int32_t Obj);
  void RemoveObject(int32_t Obj);
  void InsertFeature(int32_t Feat);
  void RemoveFeature(int32_t Feat);
  void ClearObject(int32_t Obj);
  void ClearFeature(int32_t Feat);
  void ResetToDefault();
  void CopyObject(int32_t Src, int32_t Dst);

  void Assign(const TPersistent* Source) override;
  void AssignTo(TPersistent* Dest) const override;

  // Creates or replaces the file through a temporary file beside it; errors
  // pass to the caller and leave an existing file untouched. The format is
  // one line per item and has no escapes, so a name, comment, preset or value
  // holding a carriage return or line feed would come back as different data:
  // both Save functions then raise ETKZDStructError before writing anything.
  void Save(const std::string& FileName) const;
  void SaveToOpenFile(TTextFile& F) const;
  // kLoadOK, kLoadNoFile, kLoadNoSection or kLoadFailed (see above).
  int Load(const std::string& FileName);
  // kReadOK when a section was read, kReadNoSection, or kReadFailed.
  int LoadFromOpenFile(TTextFile& F);

  void Changed();
  TNotifyEvent OnChange;

 private:
  bool FeatOk(int32_t f) const { return f >= 1 && f <= nfeats_; }
  bool CellOk(int32_t f, int32_t o) const { return FeatOk(f) && o >= 1 && o <= nobjs_; }
  const std::string& Cell(int32_t f, int32_t o) const;
  void Put(int32_t f, int32_t o, const std::string& v);
  [[noreturn]] void Fail(const std::string& Ending) const;
  void CheckText(int32_t Feat, const std::string& Value, bool EmptyInt) const;
  // Stores Text into every object of a feature that must be of kind Kind.
  bool FillTyped(int32_t Feat, TFeatKind Kind, const char* KindEnding, const std::string& Text);
  std::string DefaultFor(int32_t Feat) const;
  void ClearAll();
  void SelectRange(int32_t& First, int32_t& Last) const;
  void WriteLines(const std::function<void(const std::string&)>& Out) const;

  int32_t nfeats_ = 0;
  int32_t nobjs_ = 0;
  std::vector<TFeatMatProps*> props_;
  std::vector<std::map<int32_t, std::string>> vals_;  // [feature-1][object], non-empty only
};

}  // namespace tkz
