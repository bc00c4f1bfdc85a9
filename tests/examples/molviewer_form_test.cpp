// The molecule viewer's form, headless: keyboard browsing, the information
// line on real records, CAS numbers, hovering, the search and its hits,
// unreadable records, refused files and the 100 000-record file.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "chem/cdata.h"
#include "chem/cstruct.h"
#include "core/platform/application.h"
#include "core/platform/clipboard.h"
#include "core/platform/textfile.h"
#include "examples/molviewer/viewer_form.h"
#include "support/temp_dir.h"
#include "tests/examples/molviewer_data.h"

namespace tkz::molviewer {
namespace {

const std::string& NCI() { return testing::RealSDFiles()[0]; }

class MolViewerForm : public testing_support::TempDirTest {
 protected:
  void SetUp() override {
    TempDirTest::SetUp();
    Application().ClearMessages();
  }
  void TearDown() override {
    form_.reset();
    Application().ClearMessages();
    TempDirTest::TearDown();
  }
  // Opens the file at 1000 x 700 and waits until it is indexed.
  TMolViewerForm& Open(const std::string& file) {
    form_ = std::make_unique<TMolViewerForm>();
    std::string why;
    EXPECT_TRUE(form_->Open(file, why)) << why;
    form_->WaitUntilSettled();
    return *form_;
  }
  void Key(uint16_t key, TShiftState shift = {}) {
    Application().PostMessage(TMessage::KeyDown(form_.get(), key, shift));
    Application().ProcessMessages();
  }
  void Type(const std::string& text) {
    for (const char c : text) Application().PostMessage(TMessage::KeyPress(form_.get(), c));
    Application().ProcessMessages();
  }
  void MoveMouse(int x, int y) {
    Application().PostMessage(TMessage::MouseMove(form_->Graph(), {}, x, y));
    Application().ProcessMessages();
  }
  // The records of a file as the SD reader reads them one after the other.
  static std::vector<std::unique_ptr<TCTab>> ReadAll(const std::string& file) {
    std::vector<std::unique_ptr<TCTab>> tables;
    TTextFile f;
    f.AssignFile(file);
    f.Reset();
    while (!f.Eof()) {
      auto t = std::make_unique<TCTab>();
      TPropRec props;
      if (!t->ReadFromMDLSDFile(f, props)) t->Clear();
      tables.push_back(std::move(t));
    }
    return tables;
  }

  std::unique_ptr<TMolViewerForm> form_;
};

TEST_F(MolViewerForm, KeysBrowseTheRecordsWithinTheirBounds) {
  MOLVIEWER_NEED_REAL_DATA();
  Open(NCI());
  EXPECT_EQ(form_->Current(), 1);
  const TShiftState none;
  struct Step {
    uint16_t key;
    int64_t record;
  };
  const Step steps[] = {
      {VK_RIGHT, 2}, {VK_DOWN, 3},    {VK_NEXT, 4},   {VK_SPACE, 5}, {VK_LEFT, 4},
      {VK_UP, 3},    {VK_PRIOR, 2},   {VK_BACK, 1},   {VK_BACK, 1},  {VK_LEFT, 1},
      {VK_END, 200}, {VK_RIGHT, 200}, {VK_NEXT, 200}, {VK_UP, 199},  {VK_HOME, 1},
  };
  for (const Step& s : steps) {
    Key(s.key, none);
    EXPECT_EQ(form_->Current(), s.record) << "after key " << s.key;
  }
  // A number typed and Return; Backspace takes back a digit, Escape all.
  Type("178");
  EXPECT_EQ(form_->StatusText().rfind("go to record: 178_", 0), 0u) << form_->StatusText();
  Key(VK_BACK);
  Key(VK_RETURN);
  EXPECT_EQ(form_->Current(), 17);
  Type("9999");
  Key(VK_RETURN);
  EXPECT_EQ(form_->Current(), 200);
  Type("5");
  Key(VK_ESCAPE);
  Key(VK_RETURN);
  EXPECT_EQ(form_->Current(), 200);
  EXPECT_NE(form_->InfoText().find("record 200 of 200"), std::string::npos) << form_->InfoText();

  // Ctrl+C: the structure's picture; Ctrl+Shift+C: the record's text, the
  // last record of the file ending with its "$$$$" line.
  Clipboard().Clear();
  Key('C', {ssCtrl});
  TBitmap picture;
  ASSERT_TRUE(Clipboard().GetBitmap(picture));
  EXPECT_EQ(picture.GetWidth(), form_->Graph()->GetWidth());
  EXPECT_EQ(picture.GetHeight(), form_->Graph()->GetHeight());
  Key('C', {ssCtrl, ssShift});
  const std::string text = Clipboard().GetAsText();
  EXPECT_NE(text.find("M  END"), std::string::npos);
  EXPECT_EQ(text.substr(text.find_last_not_of("\r\n") - 3, 4), "$$$$");
  EXPECT_NE(form_->StatusText().find("record 200 copied to the clipboard"), std::string::npos)
      << form_->StatusText();
  Clipboard().Clear();
}

// Every record of the real files: the line shows the formula and weight
// that the table itself gives for the record as the SD reader reads it; the
// NCI file's own data (AMW, Daylight's average weight) agrees to 0.1.
TEST_F(MolViewerForm, TheInformationLineAgreesWithTheTableForEveryRealRecord) {
  MOLVIEWER_NEED_REAL_DATA();
  double worstAMW = 0;
  int records = 0;
  for (const std::string& file : testing::RealSDFiles()) {
    const auto tables = ReadAll(file);
    const auto items = [&] {
      std::vector<std::string> amw;
      const std::string text = testing::Slurp(file);
      for (size_t at = text.find("<AMW>"); at != std::string::npos; at = text.find("<AMW>", at + 1))
        amw.push_back(text.substr(text.find('\n', at) + 1, 12));
      return amw;
    }();
    Open(file);
    for (size_t i = 0; i < tables.size(); ++i) {
      const TCTab& t = *tables[i];
      ASSERT_EQ(form_->Current(), static_cast<int64_t>(i + 1));
      const std::string info = form_->InfoText();
      if (t.GetNAtoms() == 0) {
        EXPECT_NE(info.find("record " + std::to_string(i + 1) + " cannot be read: "),
                  std::string::npos)
            << info;
      } else {
        TFormulaRec rec;
        ASSERT_TRUE(t.CalcMolecularFormula(rec));
        std::string formula;
        for (int k = 1; k <= rec.NumAtoms; ++k)
          formula +=
              CElemSymb(rec.AtNum[k]) + (rec.AtCnt[k] > 1 ? std::to_string(rec.AtCnt[k]) : "");
        char weight[32];
        std::snprintf(weight, sizeof weight, "MW %.2f", t.CalcChemMolWeight());
        EXPECT_NE(info.find("\n" + formula + "    " + weight + "    rings "), std::string::npos)
            << file << " record " << i + 1 << ": " << info;
        EXPECT_EQ(form_->Info().Name, t.GetStrucName());
        if (i < items.size()) {
          worstAMW = std::max(worstAMW, std::fabs(form_->Info().Weight - std::stod(items[i])));
        }
        ++records;
      }
      Key(VK_NEXT);
    }
  }
  std::printf("%d records compared; largest difference from the NCI file's AMW: %.4f\n", records,
              worstAMW);
  EXPECT_GT(records, 700);
  EXPECT_LT(worstAMW, 0.1);
}

// A real record given CAS numbers in its data items or its name: shown only
// with a right check digit.
TEST_F(MolViewerForm, ACASNumberIsShownOnlyWithARightCheckDigit) {
  MOLVIEWER_NEED_REAL_DATA();
  const std::string text = testing::Slurp(NCI());
  const std::string record = text.substr(0, text.find("$$$$\n"));
  const std::string body = record.substr(record.find('\n'));  // without the name line
  struct Case {
    const char* name;  // the name line
    const char* item;  // a data item appended: header and value
    const char* shown;
  };
  const Case cases[] = {
      {"", ">  <CAS_RN>\n50-78-2\n", "CAS 50-78-2"},
      {"", ">  <CAS_RN>\n50-78-3\n", nullptr},
      {"", "> 12 <Cas Number> (1)\n7732-18-5\n", "CAS 7732-18-5"},
      {"", ">  <REGISTRY>\n7732-18-5\n", "CAS 7732-18-5"},
      {"", ">  <REGISTRY>\n7732-18-4\n", nullptr},
      {"7732-18-5", "", "CAS 7732-18-5"},
      {"7732-18-4", "", nullptr},
      {"", ">  <CAS>\n1-23-45\n", nullptr},
  };
  int n = 0;
  for (const Case& c : cases) {
    const std::string file = Path("cas" + std::to_string(++n) + ".sdf");
    Put(file, c.name + body + c.item + "\n$$$$\n");
    Open(file);
    const std::string info = form_->InfoText();
    if (c.shown != nullptr) {
      EXPECT_NE(info.find(std::string("    ") + c.shown), std::string::npos) << n << ": " << info;
    } else {
      EXPECT_EQ(info.find("CAS"), std::string::npos) << n << ": " << info;
    }
  }
}

// The mouse over an atom and inside a ring of a real record: both are named
// in the information line and marked (the atom's label shown inverse).
TEST_F(MolViewerForm, HoveringNamesAndMarksTheAtomAndTheRing) {
  MOLVIEWER_NEED_REAL_DATA();
  Open(NCI());
  TakeScreenshot(form_.get());  // lays out and draws: the transform is known
  TMolGraph* g = form_->Graph();
  const TCTab* t = g->GetStructure();
  RingListType rings;
  ASSERT_GE(t->FindSSSR(rings), 1);
  const RingType& ring = rings.Rings[1];
  // Every atom under the mouse in turn.
  for (int a = 1; a <= t->GetNAtoms(); ++a) {
    const TPoint p = g->AtomToScreen(a);
    MoveMouse(p.X + 2, p.Y - 1);
    EXPECT_EQ(g->GetHoverAtom(), a);
    EXPECT_EQ(g->GetVisAttrib(a), kCGInverse | kCGBold);
    const std::string expected = "atom " + CElemSymb(t->GetAtNum(a)) + " " + std::to_string(a);
    EXPECT_NE(form_->InfoText().find(expected), std::string::npos) << form_->InfoText();
  }
  // The ring's centre.
  int cx = 0, cy = 0;
  for (int i = 1; i <= ring.Size; ++i) {
    cx += g->AtomToScreen(ring.Atoms[i]).X;
    cy += g->AtomToScreen(ring.Atoms[i]).Y;
  }
  const auto before = TakeScreenshot(form_.get());
  MoveMouse(cx / ring.Size, cy / ring.Size);
  EXPECT_EQ(g->GetHoverAtom(), 0);
  EXPECT_EQ(g->GetHoverRing().Size, ring.Size);
  EXPECT_NE(form_->InfoText().find("ring of " + std::to_string(ring.Size) + " atoms"),
            std::string::npos)
      << form_->InfoText();
  const auto marked = TakeScreenshot(form_.get());
  EXPECT_NE(std::vector<TColor>(marked->Bits(), marked->Bits() + 1000 * 700),
            std::vector<TColor>(before->Bits(), before->Bits() + 1000 * 700))
      << "the ring is drawn marked";
  // Far from the structure: nothing under the mouse, no mark left.
  MoveMouse(3, 3);
  EXPECT_EQ(g->GetHoverAtom(), 0);
  EXPECT_EQ(g->GetHoverRing().Size, 0);
  for (int a = 1; a <= t->GetNAtoms(); ++a) EXPECT_EQ(g->GetVisAttrib(a), 0);
  EXPECT_EQ(form_->InfoText().find("ring of"), std::string::npos);
}

// A query typed into the entry: the hits are those of a straight loop of
// SearchSubStruc over the records, the view goes to the first, F3 / n walk
// them forward and Shift+F3 / N back, and the matched atoms are marked.
TEST_F(MolViewerForm, TheSearchFindsWhatAStraightLoopFindsAndF3WalksTheHits) {
  MOLVIEWER_NEED_REAL_DATA();
  // The query: the ring of the NCI file's first record (a quinone ring),
  // written as a molfile.
  const auto tables = ReadAll(NCI());
  TCTab query;
  query.CopyFrom(*tables[0]);
  query.StripfromChains();
  ASSERT_EQ(query.GetNAtoms(), 6);
  {
    TTextFile q;
    q.AssignFile(Path("ring.mol"));
    q.Rewrite();
    query.WriteToMDLMolFile(q, "ring", "test", 0, "");
    q.CloseFile();
  }
  std::vector<int64_t> expected;
  for (size_t i = 0; i < tables.size(); ++i) {
    TMatchMarks marks{};
    if (tables[i]->GetNAtoms() > 0 && tables[i]->SearchSubStruc(query, marks, false))
      expected.push_back(static_cast<int64_t>(i + 1));
  }
  ASSERT_GE(expected.size(), 3u);

  Open(NCI());
  Key(VK_END);
  Type("/" + Path("ring.mol"));
  EXPECT_TRUE(form_->EntryActive());
  EXPECT_EQ(form_->StatusText().rfind("query file: " + Path("ring.mol") + "_", 0), 0u);
  Key(VK_RETURN);
  ASSERT_NE(form_->GetSearch(), nullptr);
  form_->WaitUntilSettled();
  EXPECT_EQ(form_->GetSearch()->Hits(), expected);
  EXPECT_NE(form_->StatusText().find(std::to_string(expected.size()) + " hits for ring.mol"),
            std::string::npos)
      << form_->StatusText();
  ASSERT_EQ(form_->Current(), expected.front());
  struct Step {
    uint16_t key;  // 0: the character
    char ch;
    bool shift;
    int hit;  // index into expected
  };
  // The last hit before the last record.
  const int last =
      static_cast<int>(std::lower_bound(expected.begin(), expected.end(), 200) - expected.begin()) -
      1;
  const Step steps[] = {{VK_F1 + 2, 0, false, 1}, {0, 'n', false, 2}, {VK_F1 + 2, 0, true, 1},
                        {0, 'N', false, 0},       {0, 'N', false, 0}, {VK_END, 0, false, -1},
                        {0, 'N', false, last}};
  for (const Step& s : steps) {
    if (s.key != 0)
      Key(s.key, s.shift ? TShiftState{ssShift} : TShiftState{});
    else
      Type(std::string(1, s.ch));
    if (s.hit < 0) continue;
    EXPECT_EQ(form_->Current(), expected[static_cast<size_t>(s.hit)]);
    EXPECT_EQ(form_->Graph()->GetHitAtoms().size(), 6u) << "record " << form_->Current();
  }
  Key(VK_END);
  Key(VK_F1 + 2);
  EXPECT_NE(form_->StatusText().find("no hit after this record"), std::string::npos);
  // A record that is no hit shows no marks.
  Key(VK_HOME);
  if (expected.front() != 1) {
    EXPECT_TRUE(form_->Graph()->GetHitAtoms().empty());
  }
  // Escape leaves the entry without a search; a missing query is named.
  Type("/nothing");
  Key(VK_ESCAPE);
  EXPECT_FALSE(form_->EntryActive());
  Type("/" + Path("missing.mol"));
  Key(VK_RETURN);
  EXPECT_NE(form_->StatusText().find("missing.mol"), std::string::npos) << form_->StatusText();
  EXPECT_EQ(form_->GetSearch()->Hits(), expected);  // the last search stays
}

TEST_F(MolViewerForm, AnUnreadableRecordIsNamedAndBrowsingGoesOn) {
  MOLVIEWER_NEED_REAL_DATA();
  const std::string text = testing::Slurp(NCI());
  const std::vector<int64_t> b = testing::ReferenceBounds(text);
  const auto record = [&](int n) {
    return text.substr(static_cast<size_t>(b[n - 1]), static_cast<size_t>(b[n] - b[n - 1]));
  };
  std::string broken = record(2);
  broken.replace(broken.find(" V2000") - 30, 3, "999");  // 999 atoms
  Put(Path("mixed.sdf"), record(1) + broken + "\n\n$$$$\n" + record(3));
  Open(Path("mixed.sdf"));
  Key(VK_RIGHT);
  EXPECT_EQ(form_->Current(), 2);
  EXPECT_NE(form_->InfoText().find("record 2 cannot be read: not a structure of 1 to 63 atoms"),
            std::string::npos)
      << form_->InfoText();
  EXPECT_EQ(form_->Graph()->GetStructure()->GetNAtoms(), 0);
  Key(VK_RIGHT);
  EXPECT_NE(form_->InfoText().find("record 3 cannot be read: the record is blank"),
            std::string::npos)
      << form_->InfoText();
  Key(VK_RIGHT);
  EXPECT_EQ(form_->Current(), 4);
  EXPECT_TRUE(form_->Info().Read);
  EXPECT_NE(form_->InfoText().find("record 4 of 4"), std::string::npos);
  // A search passes over them and counts them.
  const std::string first = record(1);
  Put(Path("q.mol"), first.substr(0, first.find("M  END")) + "M  END\n");
  std::string why;
  ASSERT_TRUE(form_->StartSearch(Path("q.mol"), why)) << why;
  form_->WaitUntilSettled();
  EXPECT_EQ(form_->GetSearch()->Hits().front(), 1);
  EXPECT_NE(form_->StatusText().find(", 2 records could not be read"), std::string::npos)
      << form_->StatusText();
}

TEST_F(MolViewerForm, FilesThatAreNoMolfileAreRefused) {
  Put(Path("text.txt"), "Hello,\nthis is a letter.\n$$$$\n");
  Put(Path("empty.sdf"), "");
  Put(Path("blank.sdf"), "\n\n   \n");
  struct Case {
    std::string file, why;
  };
  const Case cases[] = {
      {Path("text.txt"), "not a molfile or SD file"},
      {Path("empty.sdf"), "not a molfile or SD file (it holds no record)"},
      {Path("blank.sdf"), "not a molfile or SD file (it holds no record)"},
      {dir_, "is a folder, not a molfile or SD file"},
      {Path("missing.sdf"), "cannot be read: "},
  };
  TMolViewerForm form;
  for (const Case& c : cases) {
    std::string why;
    EXPECT_FALSE(form.Open(c.file, why)) << c.file;
    EXPECT_EQ(why.rfind(c.why, 0), 0u) << c.file << ": " << why;
  }
  // A molfile that cannot be read is still one: it is shown as unreadable,
  // by the same form.
  Put(Path("big.mol"), "too big\n\n\n 99  0  0  0  0  0  0  0  0  0999 V2000\nM  END\n");
  std::string why;
  ASSERT_TRUE(form.Open(Path("big.mol"), why)) << why;
  EXPECT_NE(form.InfoText().find("record 1 cannot be read: "), std::string::npos);
  EXPECT_EQ(form.Info().Name, "too big");
  EXPECT_EQ(form.GetCaption(), "big.mol - TKZ Molecule Viewer");
}

// 100 000 records: the first one is shown before the index is complete,
// End goes to the last record indexed so far and says so, and once the
// index is complete End reaches record 100 000.
TEST_F(MolViewerForm, TheKeyboardReachesTheLastOfAHundredThousandRecords) {
  MOLVIEWER_NEED_REAL_DATA();
  const testing::BigFile& big = testing::TheBigFile();
  ASSERT_FALSE(big.Path.empty());
  const auto t0 = std::chrono::steady_clock::now();
  form_ = std::make_unique<TMolViewerForm>();
  std::string why;
  ASSERT_TRUE(form_->Open(big.Path, why)) << why;
  const auto shot = TakeScreenshot(form_.get());
  const double firstPicture =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  EXPECT_EQ(form_->Current(), 1);
  const bool early = !form_->Index()->Complete();
  Key(VK_END);
  if (early && !form_->Index()->Complete()) {
    EXPECT_NE(form_->StatusText().find("the last record indexed so far"), std::string::npos)
        << form_->StatusText();
  }
  form_->WaitUntilSettled();
  Key(VK_END);
  EXPECT_EQ(form_->Current(), testing::kBigRecords);
  EXPECT_NE(form_->InfoText().find("record 100 000 of 100 000"), std::string::npos)
      << form_->InfoText();
  TCTab last;
  ReadRecordText(big.Record(testing::kBigRecords), last);
  EXPECT_EQ(form_->Info().Name, last.GetStrucName());
  Key(VK_LEFT);
  EXPECT_EQ(form_->Current(), testing::kBigRecords - 1);
  std::printf("100 000 records: first picture after %.3f s (index %s then), full index %.3f s\n",
              firstPicture, early ? "incomplete" : "already complete", form_->Index()->Seconds());
}

}  // namespace
}  // namespace tkz::molviewer
