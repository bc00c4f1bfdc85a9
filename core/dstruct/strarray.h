// TStringArray: a two-dimensional table of short strings (0..255 bytes).
//
// Strings live in a pool of 32768-byte pages; every cell keeps a 32-bit
// handle into it (high 16 bits: 1-based page, low 16 bits: 1-based byte
// position; 0 = empty cell). A stored string is a length byte followed by
// its characters. Columns run 0..NrOfColumns (column 0 is a real column
// without attribute), rows 1..NrOfRows. Every public row index is a logical
// row that passes through the sort order to a physical row, so Sort only
// permutes 32-bit entries and can be undone (UnSort) or made permanent
// (CommitSorting).
//
// Physical row slots beyond NrOfRows are always empty with attribute 0, so
// rows that come into existence by growing are empty.
//
// XML element (inside the suite's common frame, see core/settings/xmlsettings.h):
//   <strarray sig="Quorvatin" vers="1.0" id="Id">
//     <numcols val=N />
//     <numrows val=M />
//     <cell c=COL r=ROW>text</cell>      one per non-empty cell, logical rows
//   </strarray>
// Cell text escapes "&", "<", ">" as &amp; &lt; &gt; and bytes below 32 and
// 127 as &#N;, other bytes (above 127 too) are written as they are. Row and
// column attributes and an uncommitted sort are not stored; the written rows
// are the current view. The reader replaces the whole table only when it
// reaches "</strarray>" with 1 <= numcols, 1 <= numrows and
// (numcols + 1) * numrows <= kMaxXMLCells; otherwise it returns false and
// the array is left as it was. Cells outside the declared dimensions or with
// unreadable indices are skipped; a cell given twice keeps the last text.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/platform/classes.h"
#include "core/platform/textfile.h"
#include "core/types/corekit_export.h"
#include "core/types/tkzbase.h"

namespace tkz {

// Lets the application replace a sort key before it is compared.
using TBeforeSortExchgEvent =
    std::function<void(TObject* Sender, const std::string& InString, std::string& OutString)>;

class TKZ_COREKIT_EXPORT TStringArray : public TComponent {
 public:
  static constexpr int kPageSize = 32768;
  static constexpr int kMaxPages = 65535;  // the page number has 16 bits
  static constexpr int64_t kMaxXMLCells = int64_t{1} << 22;

  explicit TStringArray(TComponent* AOwner = nullptr);
  std::string ClassName() const override { return "TStringArray"; }

  void Assign(const TPersistent* Source) override;
  void Changed();

  // ---- cells and attributes
  std::string GetString(int Col, int Row) const;
  void SetString(int Col, int Row, std::string_view Value);
  void Fill(std::string_view Value);
  void Clear();
  uint8_t GetRowAttrib(int Row) const;
  void SetRowAttrib(int Row, uint8_t Attrib);
  uint8_t GetColAttrib(int Col) const;
  void SetColAttrib(int Col, uint8_t Attrib);
  int GetSortOrder(int Row) const;
  void SetSortOrder(int Row, int PhysRow);
  double GetAsNumber(int Col, int Row) const;
  int32_t GetAsInteger(int Col, int Row) const;
  // True when every cell (rows 1..NrOfRows; for a row, columns 1..NrOfColumns)
  // holds only blanks or nothing; false out of range.
  bool ColumnEmpty(int Col) const;
  bool RowEmpty(int Row) const;

  // ---- shape
  bool Resize(int Columns, int Rows);
  void SetNrCols(int Count) { Resize(Count, nrows_); }
  void SetNrRows(int Count) { Resize(ncols_, Count); }
  // Any value is stored; a step below 1 counts as 1 when rows are reallocated.
  void SetAllocRowsBy(int Count) { alloc_by_ = Count; }
  int GetNrOfColumns() const { return ncols_; }
  int GetNrOfRows() const { return nrows_; }
  int GetAllocRowsBy() const { return alloc_by_; }
  int GetRowCapacity() const { return cap_; }
  int AddRow();
  void InsertRow(int Row);
  void RemoveRow(int Row);
  void InsertColumn(int Col);
  void RemoveColumn(int Col);
  void CopyRow(int SrcRow, int DestRow);
  void GarbageCollection();

  // ---- pool inspection (for tests and tuning)
  int GetPageCount() const { return static_cast<int>(pages_.size()); }
  int GetPageFill(int Page) const;             // 1-based; 0 out of range
  uint32_t GetHandle(int Col, int Row) const;  // through the sort order

  // ---- sorting and searching
  void Sort(int PrimCol, int SecCol, bool Ascending);
  void UnSort();
  void CommitSorting();
  void BeforeSortExchange(const std::string& InString, std::string& OutString);
  bool FindCell(std::string_view Text, bool MatchCase, int ColLo, int ColHi, int RowLo, int RowHi,
                int& Col, int& Row) const;
  bool FindCellExact(std::string_view Text, bool MatchCase, int ColLo, int ColHi, int RowLo,
                     int RowHi, int& Col, int& Row) const;
  bool FindCellIntern(std::string_view Text, bool MatchCase, int ColLo, int ColHi, int RowLo,
                      int RowHi, int& Col, int& Row, bool Exact) const;
  bool FindCellInSortedColumn(std::string_view Text, bool MatchCase, int Col, int RowLo, int RowHi,
                              bool Ascending, int& Row) const;

  // ---- XML persistence; input/output errors of the file pass to the caller.
  // SaveAsXMLFile writes a temporary file beside the target and renames it
  // into place: a failed save leaves an existing file untouched. The two
  // loaders answer true when the element with DataID was read whole; false,
  // leaving the array as it was, when there is none or it breaks the rules of
  // the layout described at the top.
  void SaveAsXMLFile(const std::string& FileName, const std::string& DataID);
  bool LoadFromXMLFile(const std::string& FileName, const std::string& DataID);
  void WriteToOpenXMLFile(TTextFile& f, bool CreateHeader, const std::string& DataID);
  bool ReadFromOpenXMLFile(TTextFile& f, const std::string& DataID);

  TNotifyEvent OnChange;
  TBeforeSortExchgEvent OnBeforeSortExchange;
  TOnPercentDoneEvent OnPercentDone;

 protected:
  void AssignTo(TPersistent* Dest) const override;

 private:
  using Page = std::unique_ptr<uint8_t[]>;

  bool ColOk(int c) const { return c >= 0 && c <= ncols_; }
  bool RowOk(int r) const { return r >= 1 && r <= nrows_; }
  int Phys(int r) const { return order_[r - 1]; }
  uint32_t& H(int c, int p) { return cells_[c][p - 1]; }
  uint32_t H(int c, int p) const { return cells_[c][p - 1]; }
  std::string_view View(uint32_t h) const;
  void Store(int c, int p, std::string_view v);  // no range check, no event
  void IdentityOrder();
  // First page that accepts a string of length L (L < 32768 - fill), -1 if none.
  int FirstFit(int L);
  void FitUpdate(int k);
  int CompareRows(int pa, int pb, int PrimCol, int SecCol);
  int CompareKeys(int c, int pa, int pb);

  int ncols_ = 1;
  int nrows_ = 1;
  int alloc_by_ = 10;
  int cap_ = 10;
  std::vector<int32_t> fill_;                 // per page, 1-based next free byte
  std::vector<std::vector<uint32_t>> cells_;  // [column][physical row - 1]
  std::vector<int32_t> order_;                // [logical row - 1] -> physical row
  std::vector<Page> pages_;
  std::vector<uint8_t> row_attr_;  // [physical row - 1]
  std::vector<uint8_t> col_attr_;  // [column - 1]
  // Max-tree over the free bytes of the pages, so that finding the first page
  // that accepts a string does not walk every page. Rebuilt when stale.
  std::vector<int32_t> fit_;
  int fit_leaves_ = 0;
  bool fit_stale_ = true;
};

}  // namespace tkz
