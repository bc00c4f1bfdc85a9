// viewer_form: the molecule viewer's window, an ordinary control tree that
// runs headless as well as in a window.
//
//   +--------------------------------------------------+
//   | information: record n of N, name, formula, ...   |  TTextLines, alTop
//   +--------------------------------------------------+
//   |                                                  |
//   |              the structure (TMolGraph)           |  alClient
//   |                                                  |
//   +--------------------------------------------------+
//   | status: indexing, search progress, the entry     |  TTextLines, alBottom
//   +--------------------------------------------------+
//
// Keys (the form takes what its children leave): next record Right, Down,
// Page Down, Space; previous Left, Up, Page Up, Backspace; first Home; last
// End (before the index is complete: the last record indexed so far); a
// record number typed and Return jumps to it. "/" or Ctrl+F opens the
// one-line entry for a query molfile: characters, Backspace, Return
// searches, Escape cancels. F3 / "n" go to the next hit, Shift+F3 / "N" to
// the previous one. Ctrl+C copies the structure's picture to the clipboard,
// Ctrl+Shift+C the record's text.
//
// Threads. The record index and the search run on threads of their own;
// their news comes to the form through Application().PostFromThread, at most
// one message of each kind waiting at a time. Everything else, the controls
// included, runs on the thread that runs the application.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "chem/chemgrph.h"
#include "core/platform/stdctrls.h"
#include "examples/molviewer/record_index.h"
#include "examples/molviewer/record_info.h"
#include "examples/molviewer/search_job.h"

namespace tkz::molviewer {

// Lines of text, left-aligned, on a plain background.
class TTextLines : public TGraphicControl {
 public:
  explicit TTextLines(TComponent* AOwner = nullptr);
  std::string ClassName() const override { return "TTextLines"; }
  // The lines are the caption split at '\n'; the height fits Lines lines.
  void SetLineCount(int Lines);

 protected:
  void Paint() override;
};

// The structure display with the viewer's marks drawn over it: the atoms of
// a search hit, the atom and the ring under the mouse.
class TMolGraph : public TChemGraph {
 public:
  explicit TMolGraph(TComponent* AOwner = nullptr);
  std::string ClassName() const override { return "TMolGraph"; }

  // Atoms to mark as a search hit (1..n); empty for none.
  void SetHitAtoms(std::vector<int> Atoms);
  const std::vector<int>& GetHitAtoms() const { return hit_atoms_; }
  // The atom and ring under the mouse (0 / an empty ring for none).
  void SetHover(int Atom, const RingType& Ring);
  int GetHoverAtom() const { return hover_atom_; }
  const RingType& GetHoverRing() const { return hover_ring_; }

 protected:
  void Paint() override;

 private:
  std::vector<int> hit_atoms_;
  int hover_atom_ = 0;
  RingType hover_ring_;
};

class TMolViewerForm : public TPanel {
 public:
  explicit TMolViewerForm(TComponent* AOwner = nullptr);
  ~TMolViewerForm() override;
  std::string ClassName() const override { return "TMolViewerForm"; }

  // Opens a molfile or SD file and shows its first record. False, with the
  // reason, when the file cannot be read or is neither.
  bool Open(const std::string& FileName, std::string& Why);

  // ------------------------------------------------------------ browsing
  // Shows record n (clamped to the records known).
  void GoTo(int64_t n);
  void NextRecord() { GoTo(current_ + 1); }
  void PriorRecord() { GoTo(current_ - 1); }
  void FirstRecord() { GoTo(1); }
  void LastRecord();
  int64_t Current() const { return current_; }
  const RecordInfo& Info() const { return info_; }

  // -------------------------------------------------------------- search
  // Reads the query molfile and starts the search over the whole file;
  // false, with the reason (also shown), when the query cannot be read.
  bool StartSearch(const std::string& QueryFile, std::string& Why);
  // Goes to the next (previous) hit after (before) the current record.
  void NextHit(bool Forward);
  SearchJob* GetSearch() const { return search_.get(); }
  bool EntryActive() const { return entry_active_; }
  const std::string& EntryText() const { return entry_; }

  // Waits until the index is complete and the search (if any) done, and
  // takes their last news: the picture is then final (a screenshot, a test).
  void WaitUntilSettled();

  // ------------------------------------------------------- for the shell
  // The keys as the form uses them; true when used.
  bool HandleKey(uint16_t Key, TShiftState Shift);
  bool HandleChar(char Key);
  // The information and status lines as shown.
  std::string InfoText() const { return info_line_->GetCaption(); }
  std::string StatusText() const { return status_line_->GetCaption(); }
  TMolGraph* Graph() const { return graph_; }
  RecordIndex* Index() const { return index_.get(); }

 protected:
  void KeyDown(uint16_t& Key, TShiftState Shift) override;
  void KeyPress(char& Key) override;

 private:
  // News from the threads, on the application's thread.
  void IndexProgressed();
  void SearchProgressed();
  void Post(std::atomic<bool>& Pending, void (TMolViewerForm::*Handler)());
  void ShowRecord(int64_t n);
  void MarkHit();
  void MouseOver(int Closest, double Dist, double X, double Y);
  void UpdateInfo();
  void UpdateStatus();

  TTextLines* info_line_ = nullptr;
  TTextLines* status_line_ = nullptr;
  TMolGraph* graph_ = nullptr;

  std::unique_ptr<RecordIndex> index_;
  std::unique_ptr<TFileStream> file_;
  std::unique_ptr<SearchJob> search_;
  TCTab query_;
  std::string query_name_;
  bool jumped_to_hit_ = false;

  int64_t current_ = 0;
  RecordInfo info_;
  std::string note_;    // what the last action has to say
  std::string number_;  // a record number being typed
  bool entry_active_ = false;
  std::string entry_;  // the query file being typed

  std::atomic<bool> index_news_{false};
  std::atomic<bool> search_news_{false};
  // Expires with the form, so that news still queued is dropped.
  std::shared_ptr<char> alive_ = std::make_shared<char>();
};

}  // namespace tkz::molviewer
