// TStringArray: the "strarray" element of the suite's XML files.
#include <algorithm>
#include <new>

#include "core/dstruct/strarray.h"
#include "core/settings/xmlsettings.h"
#include "core/settings/xmlsettings_internal.h"
#include "core/text/streams.h"
#include "core/text/stringl.h"

namespace tkz {

namespace {
constexpr const char* kElement = "strarray";
constexpr int kIndent = 1;

// A cell's text, no longer than a cell holds.
std::string CellText(std::string_view contents) {
  std::string s = UnescapeXMLText(contents);
  if (s.size() > 255) s.resize(255);
  return s;
}

// A strictly decimal attribute value; false when absent or not a number.
bool ReadIndex(const std::string& attrs, const char* name, int64_t& v) {
  const std::string s = StripLTBlanks(ScanForXMLAttrib(attrs, name));
  if (s.empty() || s.size() > 10) return false;
  if (!std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; })) return false;
  v = std::stoll(s);
  return true;
}

struct CellRec {
  int c, r;
  std::string text;
};
}  // namespace

void TStringArray::WriteToOpenXMLFile(TTextFile& f, bool CreateHeader, const std::string& DataID) {
  WriteXMLFrameStart(f, CreateHeader, "TStringArray", kElement, DataID, kIndent);
  const std::string in = XMLIndent(kIndent) + "  ";
  f.WriteLn(in + "<numcols val=" + std::to_string(ncols_) + " />");
  f.WriteLn(in + "<numrows val=" + std::to_string(nrows_) + " />");
  for (int r = 1; r <= nrows_; ++r)
    for (int c = 0; c <= ncols_; ++c) {
      const uint32_t h = H(c, Phys(r));
      if (h == 0) continue;
      const std::string_view s = View(h);
      if (s.empty()) continue;
      f.WriteLn(in + "<cell c=" + std::to_string(c) + " r=" + std::to_string(r) + ">" +
                EscapeXMLText(s) + "</cell>");
    }
  WriteXMLFrameEnd(f, kElement, kIndent);
}

void TStringArray::SaveAsXMLFile(const std::string& FileName, const std::string& DataID) {
  ReplaceTextFile(FileName, [&](TTextFile& f) { WriteToOpenXMLFile(f, true, DataID); });
}

bool TStringArray::ReadFromOpenXMLFile(TTextFile& f, const std::string& DataID) {
  if (!FindXMLElement(f, kElement, DataID)) return false;
  int64_t cols = -1, rows = -1;
  std::vector<CellRec> cells;  // grows with the file read, not with a count in it
  bool closed = false;
  std::string name, attrs, contents;
  while (!closed && ReadXMLChildTag(f, name, attrs, contents)) {
    int64_t a = 0, b = 0;
    if (name == "numcols") {
      if (ReadIndex(attrs, "val", a)) cols = a;
    } else if (name == "numrows") {
      if (ReadIndex(attrs, "val", a)) rows = a;
    } else if (name == "cell") {
      if (ReadIndex(attrs, "c", a) && ReadIndex(attrs, "r", b) && a <= INT32_MAX && b <= INT32_MAX)
        cells.push_back({static_cast<int>(a), static_cast<int>(b), CellText(contents)});
    } else if (name == "/strarray") {
      closed = true;
    }
  }
  if (!closed || cols < 1 || rows < 1 || (cols + 1) * rows > kMaxXMLCells) return false;

  TStringArray t;
  t.SetAllocRowsBy(alloc_by_);
  if (!t.Resize(static_cast<int>(cols), static_cast<int>(rows))) return false;
  for (const auto& cr : cells)
    if (cr.c <= cols && cr.r >= 1 && cr.r <= rows) t.Store(cr.c, cr.r, cr.text);
  ncols_ = t.ncols_;
  nrows_ = t.nrows_;
  cap_ = t.cap_;
  fill_.swap(t.fill_);
  fit_stale_ = true;
  cells_.swap(t.cells_);
  order_.swap(t.order_);
  pages_.swap(t.pages_);
  row_attr_.swap(t.row_attr_);
  col_attr_.swap(t.col_attr_);
  Changed();
  return true;
}

bool TStringArray::LoadFromXMLFile(const std::string& FileName, const std::string& DataID) {
  TTextFile f;
  f.AssignFile(FileName);
  f.Reset();
  const bool ok = ReadFromOpenXMLFile(f, DataID);
  f.CloseFile();
  return ok;
}

}  // namespace tkz
