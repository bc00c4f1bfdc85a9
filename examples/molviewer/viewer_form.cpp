#include "examples/molviewer/viewer_form.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <utility>

#include "chem/cdata.h"
#include "core/platform/application.h"
#include "core/platform/clipboard.h"

namespace tkz::molviewer {

namespace {

constexpr int kHoverPixels = 10;        // an atom is under the mouse this close
constexpr TColor kHitColor = 0xD000D0;  // purple, apart from the structure's red
constexpr TColor kHoverColor = 0xC00000;
constexpr TColor kRingColor = 0x00A000;

std::string FileNameOnly(const std::string& path) {
  return std::filesystem::path(path).filename().string();
}

// Whether the point lies inside the polygon (even-odd rule).
bool Inside(const std::vector<TPoint>& poly, double x, double y) {
  bool in = false;
  for (size_t i = 0, j = poly.size() - 1; i < poly.size(); j = i++) {
    const double xi = poly[i].X, yi = poly[i].Y, xj = poly[j].X, yj = poly[j].Y;
    if ((yi > y) != (yj > y) && x < (xj - xi) * (y - yi) / (yj - yi) + xi) in = !in;
  }
  return in;
}

std::string Percent(int64_t part, int64_t whole) {
  if (whole <= 0) return "0%";
  return std::to_string(std::min<int64_t>(100, part * 100 / whole)) + "%";
}

}  // namespace

// ------------------------------------------------------------ TTextLines

TTextLines::TTextLines(TComponent* AOwner) : TGraphicControl(AOwner) {
  SetColor(clBtnFace);
  SetLineCount(1);
}

void TTextLines::SetLineCount(int Lines) {
  TCanvas* c = GetCanvas();
  c->GetFont()->Assign(GetFont());
  SetHeight(Lines * c->TextHeight("Hg") + 6);
}

void TTextLines::Paint() {
  TCanvas* c = GetCanvas();
  c->GetBrush()->SetStyle(bsClear);
  const int h = c->TextHeight("Hg");
  int y = 3;
  const std::string& text = GetCaption();
  size_t a = 0;
  while (a <= text.size()) {
    size_t b = text.find('\n', a);
    if (b == std::string::npos) b = text.size();
    c->TextOut(6, y, text.substr(a, b - a));
    y += h;
    a = b + 1;
  }
  c->GetPen()->SetColor(clGray);
  c->MoveTo(0, 0);
  c->LineTo(GetWidth(), 0);
}

// -------------------------------------------------------------- TMolGraph

TMolGraph::TMolGraph(TComponent* AOwner) : TChemGraph(AOwner) {}

void TMolGraph::SetHitAtoms(std::vector<int> Atoms) {
  if (Atoms == hit_atoms_) return;
  hit_atoms_ = std::move(Atoms);
  Invalidate();
}

void TMolGraph::SetHover(int Atom, const RingType& Ring) {
  if (Atom == hover_atom_ && Ring == hover_ring_) return;
  hover_atom_ = Atom;
  hover_ring_ = Ring;
  Invalidate();
}

void TMolGraph::Paint() {
  TChemGraph::Paint();
  if (GetSuppressPaint()) return;
  TCanvas* c = GetCanvas();
  c->GetBrush()->SetStyle(bsClear);
  c->GetPen()->SetMode(pmCopy);
  c->GetPen()->SetStyle(psSolid);
  const int n = GetStructure()->GetNAtoms();
  const auto circle = [&](int atom, int r) {
    const TPoint p = AtomToScreen(atom);
    c->Ellipse(p.X - r, p.Y - r, p.X + r + 1, p.Y + r + 1);
  };
  c->GetPen()->SetWidth(2);
  c->GetPen()->SetColor(kHitColor);
  for (const int a : hit_atoms_) {
    if (a >= 1 && a <= n) circle(a, 7);
  }
  if (hover_ring_.Size > 0) {
    c->GetPen()->SetWidth(3);
    c->GetPen()->SetColor(kRingColor);
    std::vector<TPoint> poly;
    for (int i = 1; i <= hover_ring_.Size; ++i) poly.push_back(AtomToScreen(hover_ring_.Atoms[i]));
    poly.push_back(poly.front());
    c->Polyline(poly);
  }
  if (hover_atom_ >= 1 && hover_atom_ <= n) {
    c->GetPen()->SetWidth(2);
    c->GetPen()->SetColor(kHoverColor);
    circle(hover_atom_, kHoverPixels);
  }
  c->GetPen()->SetWidth(1);
}

// --------------------------------------------------------- TMolViewerForm

TMolViewerForm::TMolViewerForm(TComponent* AOwner) : TPanel(AOwner) {
  SetBounds(0, 0, 1000, 700);
  SetBevelOuter(bvNone);
  SetCaption("TKZ Molecule Viewer");
  info_line_ = new TTextLines(this);
  info_line_->SetParent(this);
  info_line_->SetLineCount(3);
  info_line_->SetAlign(alTop);
  status_line_ = new TTextLines(this);
  status_line_->SetParent(this);
  status_line_->SetAlign(alBottom);
  graph_ = new TMolGraph(this);
  graph_->SetParent(this);
  graph_->SetAlign(alClient);
  graph_->SetColorBakG(clWhite);
  graph_->SetFrameStyle(fsNone);
  graph_->SetDispMode(dmHeteroOnly);
  graph_->SetMaxbondleng(60);
  graph_->SetSuppressPaint(false);
  graph_->OnMoveOverStruct = [this](TObject*, int closest, double dist, TShiftState, double x,
                                    double y) { MouseOver(closest, dist, x, y); };
}

TMolViewerForm::~TMolViewerForm() {
  search_.reset();
  if (index_) index_->Stop();
}

void TMolViewerForm::Post(std::atomic<bool>& Pending, void (TMolViewerForm::*Handler)()) {
  if (Pending.exchange(true)) return;  // the last news is still waiting
  Application().PostFromThread([this, &Pending, Handler, life = std::weak_ptr<char>(alive_)] {
    if (life.expired()) return;
    Pending = false;
    (this->*Handler)();
  });
}

bool TMolViewerForm::Open(const std::string& FileName, std::string& Why) {
  // Another file may have been open: its search and index go first.
  search_.reset();
  index_.reset();
  current_ = 0;
  std::error_code ec;
  if (std::filesystem::is_directory(FileName, ec)) {
    Why = "is a folder, not a molfile or SD file";
    return false;
  }
  try {
    index_ = std::make_unique<RecordIndex>(FileName);
    file_ = std::make_unique<TFileStream>(FileName, fmOpenRead | fmShareDenyNone);
  } catch (const std::exception& e) {
    Why = std::string("cannot be read: ") + e.what();
    index_.reset();
    return false;
  }
  index_->Start([this] { Post(index_news_, &TMolViewerForm::IndexProgressed); });
  // The first record is known as soon as the first block is scanned.
  if (index_->WaitFor(1) < 1) {
    Why = "not a molfile or SD file (it holds no record)";
    index_.reset();
    return false;
  }
  std::string text, why;
  TCTab probe;
  const bool read = index_->ReadText(1, *file_, text, why) && ReadRecordText(text, probe).Read;
  // An unreadable first record is still browsed when it looks like one:
  // it has a counts line.
  const bool countsLine =
      text.find("V2000") != std::string::npos || text.find("V3000") != std::string::npos;
  if (!read && !countsLine) {
    Why = "not a molfile or SD file";
    index_.reset();
    return false;
  }
  SetCaption(FileNameOnly(FileName) + " - TKZ Molecule Viewer");
  GoTo(1);
  return true;
}

// ----------------------------------------------------------------- browsing

void TMolViewerForm::GoTo(int64_t n) {
  if (!index_) return;
  const int64_t count = index_->Count();
  note_.clear();
  if (n > count) {
    n = count;
    if (!index_->Complete()) note_ = "the last record indexed so far; indexing goes on";
  }
  if (n < 1) n = 1;
  if (n == current_) {
    UpdateStatus();
    return;
  }
  ShowRecord(n);
}

void TMolViewerForm::LastRecord() {
  if (!index_) return;
  GoTo(index_->Count());
  if (!index_->Complete()) note_ = "the last record indexed so far; indexing goes on";
  UpdateStatus();
}

void TMolViewerForm::ShowRecord(int64_t n) {
  current_ = n;
  std::string text, why;
  TCTab* table = graph_->GetStructure();
  graph_->SetHover(0, RingType{});
  if (index_->ReadText(n, *file_, text, why)) {
    info_ = ReadRecordText(text, *table);
  } else {
    info_ = RecordInfo{};
    info_.Why = why;
    table->Clear();
  }
  MarkHit();
  UpdateInfo();
  UpdateStatus();
}

// The atoms of the query in the record shown, when it is a hit.
void TMolViewerForm::MarkHit() {
  std::vector<int> atoms;
  TCTab* table = graph_->GetStructure();
  if (search_ && info_.Read && query_.GetNAtoms() > 0) {
    const std::vector<int64_t> hits = search_->Hits();
    TMatchMarks marks{};
    if (std::binary_search(hits.begin(), hits.end(), current_) &&
        SearchJob::Matches(*table, query_, marks)) {
      for (int a = 1; a <= table->GetNAtoms(); ++a) {
        if (marks[static_cast<size_t>(a)] != 0) atoms.push_back(a);
      }
    }
  }
  for (int a = 1; a <= table->GetNAtoms(); ++a) {
    const bool hit = std::find(atoms.begin(), atoms.end(), a) != atoms.end();
    if (hit) graph_->SetAtColor(a, kHitColor);
  }
  graph_->SetHitAtoms(std::move(atoms));
}

void TMolViewerForm::MouseOver(int Closest, double Dist, double X, double Y) {
  const TCTab* table = graph_->GetStructure();
  if (!info_.Read || table->GetNAtoms() == 0) return;
  const double scale = graph_->GetDrawScale();
  const int atom = Closest >= 1 && Dist * scale <= kHoverPixels ? Closest : 0;
  RingType ring;
  graph_->FindRingNextToCursor(static_cast<float>(X), static_cast<float>(Y), ring);
  if (ring.Size > 0) {
    std::vector<TPoint> poly;
    for (int i = 1; i <= ring.Size; ++i) poly.push_back(graph_->AtomToScreen(ring.Atoms[i]));
    const double sx = X * scale + graph_->GetDrawXOffset();
    const double sy = Y * scale + graph_->GetDrawYOffset();
    if (!Inside(poly, sx, sy)) ring = RingType{};
  }
  const int before = graph_->GetHoverAtom();
  if (atom == before && ring == graph_->GetHoverRing()) return;
  // The label of the atom under the mouse is shown inverse and bold.
  if (before >= 1 && before <= table->GetNAtoms()) graph_->SetVisAttrib(before, 0);
  if (atom >= 1) graph_->SetVisAttrib(atom, kCGInverse | kCGBold);
  graph_->SetHover(atom, ring);
  UpdateInfo();
}

// ------------------------------------------------------------------ search

bool TMolViewerForm::StartSearch(const std::string& QueryFile, std::string& Why) {
  if (!index_) {
    Why = "no file is open";
    return false;
  }
  TCTab query;
  bool read = false;
  try {
    TTextFile f;
    f.AssignFile(QueryFile);
    f.Reset();
    TPropRec props;
    read = query.ReadFromMDLSDFile(f, props) && query.GetNAtoms() > 0;
  } catch (const std::exception& e) {
    Why = QueryFile + ": " + e.what();
    note_ = "query " + Why;
    UpdateStatus();
    return false;
  }
  if (!read) {
    Why = QueryFile + ": not a structure of 1 to 63 atoms that can be read whole";
    note_ = "query " + Why;
    UpdateStatus();
    return false;
  }
  search_.reset();
  query_.CopyFrom(query);
  query_name_ = FileNameOnly(QueryFile);
  jumped_to_hit_ = false;
  search_ = std::make_unique<SearchJob>(*index_, query_);
  search_->Start([this] { Post(search_news_, &TMolViewerForm::SearchProgressed); });
  note_.clear();
  MarkHit();
  UpdateStatus();
  return true;
}

void TMolViewerForm::NextHit(bool Forward) {
  if (!search_) {
    note_ = "no search yet: press / to search a query file";
    UpdateStatus();
    return;
  }
  const std::vector<int64_t> hits = search_->Hits();
  int64_t target = 0;
  if (Forward) {
    const auto it = std::upper_bound(hits.begin(), hits.end(), current_);
    if (it != hits.end()) target = *it;
  } else {
    const auto it = std::lower_bound(hits.begin(), hits.end(), current_);
    if (it != hits.begin()) target = *std::prev(it);
  }
  if (target == 0) {
    note_ = Forward ? "no hit after this record" : "no hit before this record";
    if (Forward && !search_->Done()) note_ += " yet";
    UpdateStatus();
    return;
  }
  GoTo(target);
}

void TMolViewerForm::WaitUntilSettled() {
  if (!index_) return;
  index_->WaitFor(INT64_MAX);
  index_->Stop();  // the thread has posted its last news once it is joined
  if (search_) search_->Wait();
  Application().ProcessMessages();
}

void TMolViewerForm::IndexProgressed() {
  if (current_ == 0 && index_ && index_->Count() > 0) ShowRecord(1);
  UpdateInfo();
  UpdateStatus();
}

void TMolViewerForm::SearchProgressed() {
  if (!search_) return;
  if (!jumped_to_hit_) {
    const std::vector<int64_t> hits = search_->Hits();
    if (!hits.empty()) {
      jumped_to_hit_ = true;
      current_ = 0;  // shows the record anew with its marks
      GoTo(hits.front());
    }
  } else {
    MarkHit();
  }
  UpdateStatus();
}

// ---------------------------------------------------------------- the lines

void TMolViewerForm::UpdateInfo() {
  std::string text;
  if (index_ && current_ > 0) {
    text = "record " + GroupedNumber(current_) + " of " + GroupedNumber(index_->Count());
    if (!index_->Complete()) text += " (indexing ...)";
    if (!info_.Name.empty()) text += "    " + info_.Name;
    text += '\n';
    if (info_.Read) {
      char weight[32];
      std::snprintf(weight, sizeof weight, "%.2f", info_.Weight);
      text += (info_.Formula.empty() ? std::string("(formula of more than 20 kinds of atom)")
                                     : info_.Formula) +
              "    MW " + weight + "    rings " + std::to_string(info_.Rings);
      if (info_.CAS != 0) text += "    CAS " + FormatCASNr(info_.CAS);
    } else {
      text += "record " + GroupedNumber(current_) + " cannot be read: " + info_.Why;
    }
    text += '\n';
    const TCTab* table = graph_->GetStructure();
    const int atom = graph_->GetHoverAtom();
    if (atom >= 1) text += "atom " + CElemSymb(table->GetAtNum(atom)) + " " + std::to_string(atom);
    const RingType& ring = graph_->GetHoverRing();
    if (ring.Size > 0) {
      if (atom >= 1) text += "    ";
      text += "ring of " + std::to_string(ring.Size) + " atoms";
    }
  }
  info_line_->SetCaption(text);
}

void TMolViewerForm::UpdateStatus() {
  std::string text;
  if (entry_active_) {
    text = "query file: " + entry_ + "_    (Return searches, Escape cancels)";
  } else if (!number_.empty()) {
    text = "go to record: " + number_ + "_    (Return goes, Escape cancels)";
  } else {
    std::vector<std::string> parts;
    if (!note_.empty()) parts.push_back(note_);
    if (index_) {
      const int64_t n = index_->Count();
      if (!index_->Complete()) {
        parts.push_back("indexing ... " + Percent(index_->BytesScanned(), index_->FileSize()) +
                        " (" + GroupedNumber(n) + " records)");
      } else if (!index_->Error().empty()) {
        parts.push_back(GroupedNumber(n) +
                        " records; the file could not be read to its end: " + index_->Error());
      } else {
        char secs[32];
        std::snprintf(secs, sizeof secs, "%.2f", index_->Seconds());
        parts.push_back(GroupedNumber(n) + (n == 1 ? " record" : " records") + " indexed in " +
                        secs + " s");
      }
    }
    if (search_) {
      const int64_t hits = search_->HitCount();
      const std::string counted = GroupedNumber(hits) + (hits == 1 ? " hit" : " hits");
      if (!search_->Done()) {
        parts.push_back("searching " + query_name_ + " ... " +
                        Percent(search_->Searched(), index_->Count()) + ", " + counted);
      } else {
        std::string done =
            hits == 0 ? "no record holds " + query_name_
                      : counted + " for " + query_name_ + " (F3 / Shift+F3: next / previous)";
        if (const int64_t unread = search_->Unread()) {
          done += ", " + GroupedNumber(unread) + (unread == 1 ? " record" : " records") +
                  " could not be read";
        }
        parts.push_back(done);
      }
    }
    for (size_t i = 0; i < parts.size(); ++i) text += (i > 0 ? "  |  " : "") + parts[i];
  }
  status_line_->SetCaption(text);
}

// -------------------------------------------------------------------- keys

bool TMolViewerForm::HandleKey(uint16_t Key, TShiftState Shift) {
  if (entry_active_) {
    if (Key == VK_BACK) {
      if (!entry_.empty()) entry_.pop_back();
    } else if (Key == VK_ESCAPE) {
      entry_active_ = false;
      entry_.clear();
    } else if (Key == VK_RETURN) {
      entry_active_ = false;
      std::string why;
      StartSearch(entry_, why);
    } else {
      return false;  // characters come as KeyPress
    }
    UpdateStatus();
    return true;
  }
  if (!number_.empty()) {
    if (Key == VK_BACK || Key == VK_ESCAPE || Key == VK_RETURN) {
      const std::string typed = number_;
      if (Key == VK_BACK)
        number_.pop_back();
      else
        number_.clear();
      if (Key == VK_RETURN) GoTo(std::stoll(typed));
      UpdateStatus();
      return true;
    }
  }
  switch (Key) {
    case VK_RIGHT:
    case VK_DOWN:
    case VK_NEXT:
    case VK_SPACE:
      NextRecord();
      return true;
    case VK_LEFT:
    case VK_UP:
    case VK_PRIOR:
    case VK_BACK:
      PriorRecord();
      return true;
    case VK_HOME:
      FirstRecord();
      return true;
    case VK_END:
      LastRecord();
      return true;
    case VK_F1 + 2:  // F3
      NextHit(!Shift.Contains(ssShift));
      return true;
    default:
      break;
  }
  if (Key == 'C' && Shift.Contains(ssCtrl) && current_ > 0) {
    // The structure as shown, or with Shift the record's text.
    if (Shift.Contains(ssShift)) {
      std::string text, why;
      if (index_->ReadText(current_, *file_, text, why)) {
        Clipboard().SetAsText(text);
        note_ = "record " + GroupedNumber(current_) + " copied to the clipboard as text";
      } else {
        note_ = "record " + GroupedNumber(current_) + " cannot be copied: " + why;
      }
    } else {
      Clipboard().Assign(*TakeScreenshot(graph_));
      note_ = "the structure copied to the clipboard";
    }
    UpdateStatus();
    return true;
  }
  if (Key == 'F' && Shift.Contains(ssCtrl)) {
    entry_active_ = true;
    entry_.clear();
    UpdateStatus();
    return true;
  }
  return false;
}

bool TMolViewerForm::HandleChar(char Key) {
  const auto c = static_cast<unsigned char>(Key);
  if (c < 32 || c == 127) return false;  // the keys above deal with these
  if (entry_active_) {
    if (entry_.size() < 4096) entry_ += Key;
    UpdateStatus();
    return true;
  }
  if (Key >= '0' && Key <= '9') {
    if (number_.size() < 18) number_ += Key;
    UpdateStatus();
    return true;
  }
  if (Key == '/') {
    entry_active_ = true;
    entry_.clear();
    number_.clear();
    UpdateStatus();
    return true;
  }
  if (Key == 'n' || Key == 'N') {
    NextHit(Key == 'n');
    return true;
  }
  return Key == ' ';  // Space browses as a key already
}

void TMolViewerForm::KeyDown(uint16_t& Key, TShiftState Shift) {
  TPanel::KeyDown(Key, Shift);
  if (Key != 0 && HandleKey(Key, Shift)) Key = 0;
}

void TMolViewerForm::KeyPress(char& Key) {
  TPanel::KeyPress(Key);
  if (Key != 0 && HandleChar(Key)) Key = 0;
}

}  // namespace tkz::molviewer
