// Small non-visual containers of dstruct: a bit field (TBitFld), a byte
// table with bit access (TByteMatrix), a byte ring buffer (TFifo), a
// counting set of strings (TStringAccu) and a key/value dictionary with
// variant values and XML persistence (TAssocArray); logical combination of
// bit fields and byte matrices (TLogicOp); enumeration of combinations and
// permutations; the search for the array element nearest to a value.
//
// Index conventions: bit fields count bits from 0, matrix columns and rows
// and list entries from 1. Out-of-range writes are ignored and out-of-range
// reads give a neutral value.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/platform/classes.h"
#include "core/platform/textfile.h"
#include "core/types/corekit_export.h"
#include "core/types/tkzbase.h"

namespace tkz {

enum TLogicOp { loAND, loOR, loXOR, loANDNot, loORNot, loXORNot };

// op(a, b) for the own byte a and the other byte b.
TKZ_COREKIT_EXPORT uint8_t ApplyLogicOp(uint8_t a, uint8_t b, TLogicOp op);

// ------------------------------------------------------------------ TBitFld
// Bits 0..Size (Size + 1 addressable bits) in Size div 8 + 2 bytes, bit i
// being bit (i mod 8) of byte i div 8. Bits above Size are kept clear, so a
// field that grows again shows zeros there.
class TKZ_COREKIT_EXPORT TBitFld : public TComponent {
 public:
  explicit TBitFld(TComponent* AOwner = nullptr);
  std::string ClassName() const override { return "TBitFld"; }

  int32_t GetSize() const { return size_; }
  void SetSize(int32_t n);
  void Clear();
  void SetBit(int32_t i, bool value);
  bool GetBit(int32_t i) const;
  void ToggleBit(int32_t i);
  int32_t CountTrueBits() const;
  // Lowest set bit, -1 when none.
  int32_t FirstTrueBit() const;
  void Invert();
  // Ascending indices of the bits equal to State.
  void MakeListOfBits(TIntArray& List, bool State) const;
  // Only when both fields have the same Size.
  void CombineWith(const TBitFld& Other, TLogicOp Op);
  // Exactly round(Percent% of Size) bits set at random (Percent clamped;
  // halves round to the even neighbour).
  void RandomFill(double Percent);
  // Exactly Count bits (clamped to 0..Size) set at random.
  void RandomFill(int32_t Count);
  // Exactly n bits set at random (n clamped to 0..Size + 1).
  void SetRandBitsIntern(int32_t n);
  void Clone(const TBitFld& Other);
  void Assign(const TPersistent* Source) override;

 private:
  void ClearAboveSize();
  int32_t size_ = 1000;
  std::vector<uint8_t> bits_;
};

// -------------------------------------------------------------- TByteMatrix
// Bytes [column][row], columns 1..NrOfColumns, rows 1..NrOfRows.
class TKZ_COREKIT_EXPORT TByteMatrix : public TComponent {
 public:
  explicit TByteMatrix(TComponent* AOwner = nullptr);
  std::string ClassName() const override { return "TByteMatrix"; }

  int32_t GetNrOfColumns() const { return ncols_; }
  int32_t GetNrOfRows() const { return nrows_; }
  void SetNrCols(int32_t n);
  void SetNrRows(int32_t n);
  uint8_t GetDefaultValue() const { return default_value_; }
  void SetDefaultValue(uint8_t v) { default_value_ = v; }

  // False (nothing changes) for the current dimensions or either <= 0.
  bool Resize(int32_t Columns, int32_t Rows);
  uint8_t GetByte(int32_t c, int32_t r) const;
  void SetByte(int32_t c, int32_t r, uint8_t value);
  bool GetBit(int32_t c, int32_t r, int bit) const;
  void SetBit(int32_t c, int32_t r, int bit, bool value);
  void ToggleBit(int32_t c, int32_t r, int bit);
  void Fill(uint8_t value);
  void MirrorColumns();
  void MirrorRows();
  // Only with equal dimensions; fires no event.
  void CombineWith(const TByteMatrix& Other, TLogicOp Op);
  void Assign(const TPersistent* Source) override;
  void Changed();

  TNotifyEvent OnChange;

 private:
  bool InRange(int32_t c, int32_t r) const {
    return c >= 1 && c <= ncols_ && r >= 1 && r <= nrows_;
  }
  int32_t ncols_ = 1;
  int32_t nrows_ = 1;
  uint8_t default_value_ = 0;
  std::vector<std::vector<uint8_t>> data_;
};

// -------------------------------------------------------------------- TFifo
// A byte ring buffer of Size slots holding at most Size - 1 bytes.
class TKZ_COREKIT_EXPORT TFifo : public TComponent {
 public:
  explicit TFifo(TComponent* AOwner = nullptr);
  std::string ClassName() const override { return "TFifo"; }

  int32_t GetSize() const { return size_; }
  // Resizes the buffer; waiting bytes are kept in order, as many of the
  // oldest as the new size holds.
  void SetSize(int32_t n);
  bool PutByte(uint8_t b);
  // True exactly when the oldest byte had to be dropped.
  bool ForceByte(uint8_t b);
  bool GetByte(uint8_t& b);
  bool SenseByte(int32_t k, uint8_t& b) const;
  // Puts b in front of the waiting bytes; false (nothing changes) when full.
  bool LoadBack(uint8_t b);
  int32_t CountBytes() const;
  void Clear();

 private:
  int32_t size_ = 256;
  int32_t write_ = 0;
  int32_t read_ = 0;
  std::vector<uint8_t> buf_;
};

// -------------------------------------------------------------- TStringAccu
// Distinct strings (case-sensitive) in order of first appearance, counted.
class TKZ_COREKIT_EXPORT TStringAccu : public TComponent {
 public:
  explicit TStringAccu(TComponent* AOwner = nullptr);
  std::string ClassName() const override { return "TStringAccu"; }

  void Add(const std::string& s);
  int32_t GetNumStrings() const { return static_cast<int32_t>(strings_.size()); }
  std::string GetString(int32_t i) const;
  int32_t GetCount(int32_t i) const;
  void Clear();

 private:
  TStrArray strings_;
  TIntArray counts_;
};

// -------------------------------------------------------------- TAssocArray
// Key/value dictionary with variant values. With IgnoreCase the keys are
// stored lower-cased by Add and compared lower-cased.
//
// XML element (inside the suite's frame):
//   <assocarray sig="Quorvatin" vers="1.0" id="Id" ignorecase=1 dataid="...">
//     <numentries val=N />
//     <assoc key="k" type=T>value</assoc>       one per entry
//   </assocarray>
// T is the variant type code (3 integer, 5 double, 0x100 string, ...). Keys
// and values escape "&", "<", ">", "\"" and control characters as character
// references. Array values are not persisted (written as null).
class TKZ_COREKIT_EXPORT TAssocArray : public TComponent {
 public:
  explicit TAssocArray(TComponent* AOwner = nullptr);
  std::string ClassName() const override { return "TAssocArray"; }

  int32_t GetNumEntries() const { return static_cast<int32_t>(keys_.size()); }
  int32_t GetGranularity() const { return granularity_; }
  // Values below 1 count as 1.
  void SetGranularity(int32_t g) { granularity_ = g < 1 ? 1 : g; }
  bool GetIgnoreCase() const { return ignore_case_; }
  void SetIgnoreCase(bool b) { ignore_case_ = b; }
  const std::string& GetDataID() const { return data_id_; }
  void SetDataID(const std::string& s) { data_id_ = s; }

  void Add(const std::string& Key, const TVariant& Value);
  TVariant Resolve(const std::string& Key) const;
  // "" for Null; integers in decimal, floats with 15 significant digits,
  // booleans "True"/"False", dates as their day count, strings as stored.
  std::string ResolveAsString(const std::string& Key) const;
  double ResolveAsNumber(const std::string& Key) const;
  int32_t ResolveAsInt(const std::string& Key) const;
  bool Remove(const std::string& Key);
  std::string GetKeys(int32_t i) const;
  void SetKeys(int32_t i, const std::string& Key);
  TVariant GetValues(int32_t i) const;
  void SetValues(int32_t i, const TVariant& Value);
  void Clear();
  void Assign(const TPersistent* Source) override;

  // Writes the element with identifier Id (Indent 1).
  void WriteToXMLStream(TTextFile& f, bool CreateHeader, const std::string& Id) const;
  // Finds the element with identifier Id (the first one for an empty Id).
  // Not found: false, nothing changes. Found: the entries are replaced by
  // those read; true exactly when the closing tag was reached and the
  // number of entries read equals numentries.
  bool ReadFromXMLStream(TTextFile& f, const std::string& Id);
  // Appends the element's own attributes of the opening tag (ignorecase and
  // dataid), each starting with a blank.
  void AddXMLAttributes(std::string& Text) const;

 private:
  int32_t Find(const std::string& Key) const;  // 0-based, -1 when absent
  void Append(const std::string& Key, const TVariant& Value);

  TStrArray keys_;
  TVariantArray values_;
  int32_t granularity_ = 1024;
  bool ignore_case_ = true;
  std::string data_id_;
};

// ---------------------------------------------------------- free functions
// c[0] = k, c[1..k] an ascending combination of k values from 1..n; steps
// to the next one in lexicographic order. False (c unchanged) after the
// last one or for an invalid c.
TKZ_COREKIT_EXPORT bool NextCombination(TBytes& c, int n);
// p[0] = n, p[1..n] a permutation of 1..n; steps to the next one. False (p
// unchanged) after the last one or for an invalid p.
TKZ_COREKIT_EXPORT bool NextPermutation(TBytes& p);
// 0-based index of the element nearest to x (first on ties); -1 when empty.
TKZ_COREKIT_EXPORT int32_t IndexOfNearestArrayValue(double x, const TDoubleArray& Values);
TKZ_COREKIT_EXPORT int32_t IndexOfNearestArrayValue(double x, const TIntArray& Values);

}  // namespace tkz
