// TStringList: a list of strings, each with an optional object pointer, that
// can keep itself sorted and converts to and from text, comma-separated text
// and files.
//
// Indices count from 0. Comparisons (IndexOf, Find, Sort, the sorted order,
// Values) ignore case by default, folding Windows-1252 letters to upper case
// (é = É, š = Š); SetCaseSensitive(true) compares plain bytes. Either way the
// order is that of the (folded) byte values, not a locale's collation.
//
// Text form: every line followed by CR LF. SetText, LoadFromStream and
// LoadFromFile split at CR LF, LF or a lone CR, as TTextFile reads lines; a
// final line end does not start an empty line.
//
// Delimited form (GetDelimitedText/SetDelimitedText; CommaText is the same
// with Delimiter ',' and QuoteChar '"'): items joined by Delimiter; an item
// holding a byte up to the blank (control characters included), the
// delimiter or the quote is enclosed in QuoteChar, embedded quotes doubled.
// A single empty item is written as two quotes. Reading, bytes up to the
// blank separate items as the delimiter does (a b,c gives three items), runs
// of them around a delimiter are skipped, and a delimiter at the very end
// gives a final empty item.
//
// Objects are not owned: the list stores and moves the pointers only.
// OnChange is called after every change (Add, Insert, Put, Delete, Clear,
// Exchange, Sort, setting objects or text); between BeginUpdate and the
// matching EndUpdate calls are held back and EndUpdate makes one if anything
// changed.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/platform/classes.h"
#include "core/types/corekit_export.h"

namespace tkz {

class TStream;

// Index errors ("List index out of bounds (5)"), duplicates refused by
// dupError ("List does not allow duplicates") and operations that would break
// the order of a sorted list ("Operation not allowed on sorted list").
class TKZ_COREKIT_EXPORT EStringListError : public ETKZError {
 public:
  using ETKZError::ETKZError;
};

enum TDuplicates : uint8_t { dupIgnore, dupAccept, dupError };

class TKZ_COREKIT_EXPORT TStringList : public TPersistent {
 public:
  TStringList() = default;
  TStringList(const TStringList&) = delete;
  TStringList& operator=(const TStringList&) = delete;

  int Count() const { return static_cast<int>(items_.size()); }
  const std::string& Strings(int Index) const;
  const std::string& Get(int Index) const { return Strings(Index); }
  // Replaces line Index (raises on a sorted list).
  void Put(int Index, const std::string& S);
  TObject* Objects(int Index) const;
  void PutObject(int Index, TObject* AObject);

  // Appends S (or, on a sorted list, inserts it in order) and returns its
  // index. On a sorted list a duplicate is dropped (dupIgnore: the index of
  // the line present is returned), accepted after the equal lines present
  // (dupAccept) or refused with EStringListError (dupError).
  int Add(const std::string& S);
  int AddObject(const std::string& S, TObject* AObject);
  // Inserts before Index (0..Count); raises on a sorted list.
  void Insert(int Index, const std::string& S);
  void InsertObject(int Index, const std::string& S, TObject* AObject);
  void Delete(int Index);
  void Clear();
  // Swaps two lines with their objects (raises on a sorted list).
  void Exchange(int Index1, int Index2);
  // Adds every line of Strings (with its objects), as Add does.
  void AddStrings(const TStringList* Strings);
  // Copies the lines and objects of another TStringList, through Add, so a
  // sorted list stays sorted. Other sources raise EConvertError.
  void Assign(const TPersistent* Source) override;
  std::string ClassName() const override { return "TStringList"; }

  // Index of the first line equal to S, -1 when none.
  int IndexOf(std::string_view S) const;
  // On a sorted list, a binary search: true when S is present, Index being
  // its first occurrence, else Index is where S would be inserted. On an
  // unsorted list the lines are searched in turn and Index is Count() when S
  // is absent.
  bool Find(std::string_view S, int& Index) const;
  // Stable sort in the list's comparison.
  void Sort();

  bool GetSorted() const { return sorted_; }
  void SetSorted(bool Value);
  TDuplicates GetDuplicates() const { return duplicates_; }
  void SetDuplicates(TDuplicates Value) { duplicates_ = Value; }
  bool GetCaseSensitive() const { return case_sensitive_; }
  // A sorted list is sorted again in the new comparison.
  void SetCaseSensitive(bool Value);

  std::string GetText() const;
  void SetText(std::string_view Text);
  char GetDelimiter() const { return delimiter_; }
  void SetDelimiter(char Value) { delimiter_ = Value; }
  char GetQuoteChar() const { return quote_char_; }
  void SetQuoteChar(char Value) { quote_char_ = Value; }
  std::string GetDelimitedText() const;
  void SetDelimitedText(std::string_view Text);
  std::string GetCommaText() const;
  void SetCommaText(std::string_view Text);

  // "name=value" lines. Names(i) is the part before the first "=" ("" when
  // the line has none); Values(name) the part after it on the first line
  // whose name equals Name in the list's comparison ("" when none).
  std::string Names(int Index) const;
  std::string ValueFromIndex(int Index) const;
  std::string Values(std::string_view Name) const;
  // Sets the value of Name, adding a line when none has that name; an empty
  // Value deletes the line.
  void SetValues(std::string_view Name, std::string_view Value);
  int IndexOfName(std::string_view Name) const;

  // Replaces the lines with the text from the stream's position to its end.
  // On failure the list is unchanged.
  void LoadFromStream(TStream* Stream);
  void LoadFromFile(const std::string& FileName);
  void SaveToStream(TStream* Stream) const;
  // Writes GetText() as TMemoryStream::SaveToFile does (to a temporary file
  // renamed into place).
  void SaveToFile(const std::string& FileName) const;

  void BeginUpdate() { ++update_count_; }
  void EndUpdate();

  TNotifyEvent OnChange;

 private:
  struct Item {
    std::string s;
    TObject* obj = nullptr;
  };

  void CheckIndex(int Index) const;
  void CheckUnsorted() const;
  int Compare(std::string_view a, std::string_view b) const;
  // First index whose line is not less than S (or greater than S, with Upper).
  int Bound(std::string_view S, bool Upper) const;
  void InsertItem(int Index, std::string S, TObject* AObject);
  void Changed();
  void SortItems();
  std::string JoinDelimited(char Delim, char Quote) const;
  void SplitDelimited(std::string_view Text, char Delim, char Quote);

  std::vector<Item> items_;
  bool sorted_ = false;
  bool case_sensitive_ = false;
  TDuplicates duplicates_ = dupIgnore;
  char delimiter_ = ',';
  char quote_char_ = '"';
  int update_count_ = 0;
  bool changed_while_updating_ = false;
};

}  // namespace tkz
