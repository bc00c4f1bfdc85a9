// The landmark table of TGeoMap: adding with its veto, the removal forms and
// their compaction, searching, and the landmark file.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "core/numkit/math1.h"
#include "core/platform/application.h"
#include "core/types/univconst.h"
#include "geo/geomap.h"
#include "support/temp_dir.h"

namespace tkz {
namespace {

// UserTags of the table in order.
std::vector<int> Tags(const TGeoMap& m) {
  std::vector<int> t;
  for (int i = 1; i <= m.GetNumLandMarks(); ++i) t.push_back(m.GetLandMarkData(i).UserTag);
  return t;
}

// n landmarks on the equator at longitudes 0, 1, ..., class i % 3, tag i.
void Fill(TGeoMap& m, int n) {
  for (int i = 0; i < n; ++i)
    m.AddLandMark(0, i, 0, lmCross, static_cast<uint8_t>(i % 3), "", 0, i, 0, 0, 8, false, 0, 0);
}

TEST(GeoMapLandMarks, TableGrowsInBlocksAndShrinksWhenEmptied) {
  TGeoMap m;
  EXPECT_EQ(m.GetLandMarkCapacity(), 1000);
  Fill(m, 1000);
  EXPECT_EQ(m.GetLandMarkCapacity(), 1000);
  m.AddLandMark(1, 1, 1);
  EXPECT_EQ(m.GetNumLandMarks(), 1001);
  EXPECT_EQ(m.GetLandMarkCapacity(), 2000);
  // Emptying by a removal that takes every landmark, and by the plain form.
  EXPECT_EQ(m.RemoveLandMark(0, 0, -1, 1e6), 1001);
  EXPECT_EQ(m.GetLandMarkCapacity(), 1000);
  Fill(m, 1500);
  m.RemoveAllLandMarks();
  EXPECT_EQ(m.GetNumLandMarks(), 0);
  EXPECT_EQ(m.GetLandMarkCapacity(), 1000);
}

TEST(GeoMapLandMarks, ShortFormsTakeTheDefaultLandMark) {
  TGeoMap m;
  TLandMark def;
  def.Element = lmSpade;
  def.LMClass = 7;
  def.Identifier = "dflt";
  def.TimeStamp = 45000.5;
  def.Caption.Text = "default caption";
  def.Caption.FontSize = 11;
  def.Caption.TextColor = 0x123456;
  def.Size = 5;
  m.SetDefaultLandMark(def);
  struct Case {
    std::function<void()> add;
    TLandMark expected;
  };
  auto with = [&](std::function<void(TLandMark&)> f) {
    TLandMark e = def;
    e.Latitude = 1;
    e.Longitude = 2;
    e.Altitude = 3;
    f(e);
    return e;
  };
  const std::vector<Case> cases = {
      {[&] { m.AddLandMark(1, 2, 3); }, with([](TLandMark&) {})},
      {[&] { m.AddLandMark(1, 2, 3, "id", 4.25); },
       with([](TLandMark& e) { e.Identifier = "id", e.TimeStamp = 4.25; })},
      {[&] { m.AddLandMark(1, 2, 3, "cap", 14, 0xFF); }, with([](TLandMark& e) {
         e.Caption.Text = "cap", e.Caption.FontSize = 14, e.Caption.TextColor = 0xFF;
       })},
      {[&] { m.AddLandMark(1, 2, 3, "id", 4.25, "cap", 14, 0xFF); }, with([](TLandMark& e) {
         e.Identifier = "id", e.TimeStamp = 4.25;
         e.Caption.Text = "cap", e.Caption.FontSize = 14, e.Caption.TextColor = 0xFF;
       })},
      // The full form takes everything but the caption from its arguments.
      {[&] { m.AddLandMark(1, 2, 3, lmArrowTo, 9, "full", 6.5, 42, 0x10, 0x20, 12, true, 45, 30); },
       with([](TLandMark& e) {
         e.Element = lmArrowTo, e.LMClass = 9, e.Identifier = "full", e.TimeStamp = 6.5;
         e.UserTag = 42, e.ColorFg = 0x10, e.ColorBg = 0x20, e.Size = 12, e.Transparent = true;
         e.Direction = 45, e.Length = 30;
       })},
  };
  for (size_t i = 0; i < cases.size(); ++i) {
    cases[i].add();
    ASSERT_EQ(m.GetNumLandMarks(), static_cast<int>(i + 1));
    EXPECT_EQ(m.GetLandMarkData(static_cast<int>(i + 1)), cases[i].expected) << "form " << i;
  }
}

TEST(GeoMapLandMarks, StringsAreCutToTheirCapacities) {
  TGeoMap m;
  const std::string longId(20, 'i'), longText(100, 't');
  m.AddLandMark(0, 0, 0, longId, 0, longText, 8, 0);
  EXPECT_EQ(m.GetLandMarkData(1).Identifier, std::string(15, 'i'));
  EXPECT_EQ(m.GetLandMarkData(1).Caption.Text, std::string(80, 't'));
  TLandMark lm;
  lm.Identifier = longId + "x";
  lm.Caption.Text = longText;
  m.SetLandMarkData(1, lm);
  EXPECT_EQ(m.GetLandMarkData(1).Identifier.size(), 15u);
  EXPECT_EQ(m.GetLandMarkData(1).Caption.Text.size(), 80u);
}

// Each removal form with a veto on the landmark tagged 1: which tags remain
// (in table order), what it returns, and that the veto saw every candidate.
TEST(GeoMapLandMarks, RemovalFormsHonourTheVetoAndCompactFromTheEnd) {
  struct Case {
    const char* name;
    std::function<int(TGeoMap&)> remove;
    int result;
    std::vector<int> remaining;
    std::vector<int> asked;
  };
  // Five landmarks at longitudes 0..4, classes 0,1,2,0,1, tags 0..4.
  const std::vector<Case> cases = {
      {"radius, all classes",
       [](TGeoMap& m) { return m.RemoveLandMark(0, 2, -1, 1.5); },
       2,
       {0, 1, 4},
       {1, 2, 3}},
      {"radius, class 1",
       [](TGeoMap& m) { return m.RemoveLandMark(0, 4, 1, 3.5); },
       1,
       {0, 1, 2, 3},
       {1, 4}},
      // On the circle is outside: |4 - 2| == 2 is not < 2.
      {"radius, strict",
       [](TGeoMap& m) { return m.RemoveLandMark(0, 2, 300, 2); },
       2,
       {0, 1, 4},
       {1, 2, 3}},
      {"rectangle",
       [](TGeoMap& m) {
         return m.RemoveLandMark(TRectDouble{-1, 1, 2, -1}, -7);
       },
       1,
       {4, 1, 2, 3},
       {0, 1}},
      // Left < long < Right: longitudes 0 and 2 lie on the edges.
      {"rectangle, strict",
       [](TGeoMap& m) {
         return m.RemoveLandMark(TRectDouble{0, 1, 2, -1}, -1);
       },
       0,
       {0, 1, 2, 3, 4},
       {1}},
      {"nearest", [](TGeoMap& m) { return m.RemoveLandMark(0.1, 2.6, -1); }, 1, {0, 1, 2, 4}, {3}},
      {"nearest, vetoed",
       [](TGeoMap& m) { return m.RemoveLandMark(0, 1.2, -1); },
       0,
       {0, 1, 2, 3, 4},
       {1}},
      {"number", [](TGeoMap& m) { return m.RemoveLandMark(1); }, 1, {4, 1, 2, 3}, {0}},
      {"number, vetoed", [](TGeoMap& m) { return m.RemoveLandMark(2); }, 0, {0, 1, 2, 3, 4}, {1}},
      {"number, out of range",
       [](TGeoMap& m) { return m.RemoveLandMark(6); },
       0,
       {0, 1, 2, 3, 4},
       {}},
      {"last", [](TGeoMap& m) { return m.RemoveLastLandMark(), 0; }, 0, {0, 1, 2, 3}, {4}},
      {"class 1",
       [](TGeoMap& m) { return m.RemoveAllLandMarks(uint8_t{1}), 0; },
       0,
       {0, 1, 2, 3},
       {1, 4}},
      {"class 0",
       [](TGeoMap& m) { return m.RemoveAllLandMarks(uint8_t{0}), 0; },
       0,
       {4, 1, 2},
       {0, 3}},
      {"all", [](TGeoMap& m) { return m.RemoveAllLandMarks(), 0; }, 0, {}, {}},
  };
  for (const Case& c : cases) {
    TGeoMap m;
    Fill(m, 5);
    std::vector<int> asked;
    m.OnLandMarkAction = [&](TObject* sender, bool& allowed, TLandMarkAction action,
                             const TLandMark& lm) {
      EXPECT_EQ(sender, &m);
      EXPECT_EQ(action, lmaRemove);
      asked.push_back(lm.UserTag);
      allowed = lm.UserTag != 1;
    };
    m.SetHighLM(3);
    ASSERT_EQ(m.GetHighLM(), 3);
    Application().ClearMessages();
    EXPECT_EQ(c.remove(m), c.result) << c.name;
    EXPECT_EQ(Tags(m), c.remaining) << c.name;
    EXPECT_EQ(asked, c.asked) << c.name;
    EXPECT_EQ(m.GetHighLM(), 0) << c.name;
    EXPECT_EQ(Application().MessageCount(), 1) << c.name << ": repaint";
  }
  Application().ClearMessages();
}

// Any set of removed positions leaves exactly the others, in the order the
// hole filling gives: holes ascending, each taking the last kept entry.
TEST(GeoMapLandMarks, CompactionKeepsExactlyTheUnremoved) {
  std::mt19937 rng(7);
  for (int round = 0; round < 200; ++round) {
    const int n = 1 + static_cast<int>(rng() % 40);
    std::set<int> vetoed;
    for (int i = 0; i < n; ++i)
      if (rng() % 3 == 0) vetoed.insert(i);
    TGeoMap m;
    Fill(m, n);
    m.OnLandMarkAction = [&](TObject*, bool& allowed, TLandMarkAction, const TLandMark& lm) {
      allowed = vetoed.count(lm.UserTag) == 0;
    };
    EXPECT_EQ(m.RemoveLandMark(0, 0, -1, 1e9), n - static_cast<int>(vetoed.size()));
    std::vector<int> left = Tags(m);
    // The entries before the first hole stay where they were.
    int firstHole = 0;
    while (firstHole < n && vetoed.count(firstHole)) ++firstHole;
    for (int i = 0; i < std::min<int>(firstHole, static_cast<int>(left.size())); ++i)
      EXPECT_EQ(left[static_cast<size_t>(i)], i);
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, std::vector<int>(vetoed.begin(), vetoed.end()));
    EXPECT_EQ(m.GetLandMarkCapacity(), 1000);
  }
}

TEST(GeoMapLandMarks, AddVetoAndEvents) {
  TGeoMap m;
  std::vector<TLandMarkAction> actions;
  m.OnLandMarkAction = [&](TObject*, bool& allowed, TLandMarkAction a, const TLandMark& lm) {
    actions.push_back(a);
    allowed = lm.Identifier != "no";
  };
  m.AddLandMark(0, 0, 0, "yes", 0);
  m.AddLandMark(0, 0, 0, "no", 0);
  m.AddLandMark(0, 0, 0, "yes", 0);
  EXPECT_EQ(m.GetNumLandMarks(), 2);
  EXPECT_EQ(actions, (std::vector<TLandMarkAction>{lmaAdd, lmaAdd, lmaAdd}));
  // Emptying without asking.
  m.RemoveAllLandMarks();
  EXPECT_EQ(actions.size(), 3u);
}

TEST(GeoMapLandMarks, FindNearestByClass) {
  TGeoMap m;
  EXPECT_EQ(m.FindLandMark(0, 0, -1), 0);
  Fill(m, 6);  // longitudes 0..5, classes 0,1,2,0,1,2
  m.AddLandMark(0, 0, 0, lmCross, 0, "", 0, 6, 0, 0, 8, false, 0, 0);  // tie with number 1
  struct Case {
    double lat, lon;
    int cls, expected;
  };
  const Case cases[] = {{0, 0, -1, 1},   {0, 2.4, -1, 3}, {0, 2.4, 0, 4}, {0, 2.4, 300, 3},
                        {0, 2.4, -2, 3}, {0, 9, 1, 5},    {0, 0.4, 7, 0}, {0, 0.2, 0, 1}};
  for (const Case& c : cases)
    EXPECT_EQ(m.FindLandMark(c.lat, c.lon, c.cls), c.expected)
        << c.lat << "," << c.lon << " class " << c.cls;
}

TEST(GeoMapLandMarks, DataVisibilityAndHighlight) {
  TGeoMap m;
  Fill(m, 3);
  TLandMark lm = m.GetLandMarkData(2);
  lm.Identifier = "changed";
  m.SetLandMarkData(2, lm);
  m.SetLandMarkData(0, lm);
  m.SetLandMarkData(4, lm);
  EXPECT_EQ(m.GetLandMarkData(2), lm);
  EXPECT_EQ(Tags(m), (std::vector<int>{0, 1, 2}));
  EXPECT_EQ(m.GetLandMarkData(4), m.GetDefaultLandMark());

  EXPECT_TRUE(m.GetClassVisibility(0) && m.GetClassVisibility(255));
  m.SetClassVisibility(17, false);
  m.SetClassVisibility(256, false);
  EXPECT_FALSE(m.GetClassVisibility(17));
  EXPECT_FALSE(m.GetClassVisibility(256));
  EXPECT_FALSE(m.GetClassVisibility(-1));
  EXPECT_TRUE(m.GetClassVisibility(255));

  const int highs[][2] = {{2, 2}, {3, 3}, {4, 0}, {-1, 0}, {1, 1}};
  for (const auto& h : highs) {
    m.SetHighLM(h[0]);
    EXPECT_EQ(m.GetHighLM(), h[1]) << h[0];
  }
  Application().ClearMessages();
  m.SetHighLM(1);  // unchanged: no repaint
  EXPECT_EQ(Application().MessageCount(), 0);
}

// --------------------------------------------------------------- the file

class GeoMapLandMarkFile : public testing_support::TempDirTest {};

// Landmarks with awkward values: extreme doubles, markup and control bytes
// in texts, time stamps with and without fractions of a second.
std::vector<TLandMark> AwkwardLandMarks(int n) {
  std::mt19937_64 rng(11);
  auto anyDouble = [&] {
    double d;
    do {
      const uint64_t bits = rng();
      std::memcpy(&d, &bits, sizeof d);
    } while (!std::isfinite(d));
    return d;
  };
  const std::string texts[] = {"",
                               "a \"quoted\" <tag> & more",
                               "&amp; stays &amp;",
                               "\t\x01\xE9\xFF",
                               "  id='x' padded ",
                               std::string(80, '<')};
  const double stamps[] = {0,       45292.5, 45292.123456789, -1.5, -0.25, 2958465.99999,
                           -693593, 1e9,     1.0 / 3};
  std::vector<TLandMark> out;
  for (int i = 0; i < n; ++i) {
    TLandMark lm;
    lm.Latitude = i % 2 ? anyDouble() : (static_cast<double>(rng() % 180000000) / 1e6 - 90);
    lm.Longitude = i % 3 ? anyDouble() : 0.1 * i;
    lm.Altitude = anyDouble();
    lm.LMClass = static_cast<uint8_t>(rng());
    lm.UserTag = static_cast<int32_t>(rng());
    lm.Element = static_cast<TLandMarkElement>(lmSquare + i % 8);  // lmSquare .. lmCross
    lm.Size = static_cast<int32_t>(rng());
    lm.ColorFg = static_cast<TColor>(rng());
    lm.ColorBg = static_cast<TColor>(rng());
    lm.Transparent = i % 2;
    lm.Direction = static_cast<int32_t>(rng());
    lm.Length = -i;
    lm.Caption.Text = texts[i % 6];
    lm.Caption.FontSize = i;
    lm.Caption.FontName = texts[(i + 1) % 5];
    lm.Caption.FontStyle = static_cast<uint8_t>(i % 16);
    lm.Caption.TextColor = static_cast<TColor>(rng());
    lm.Caption.BkColor = static_cast<TColor>(rng());
    lm.Caption.Transparent = i % 3 == 0;
    lm.Caption.Dx = -i;
    lm.Caption.Dy = i * 1000;
    lm.Caption.Direction = INT32_MIN + i;
    lm.Caption.HorAlign = static_cast<uint8_t>(i);
    lm.Caption.VertAlign = 255;
    lm.Identifier = texts[(i + 2) % 6].substr(0, 15);
    lm.TimeStamp = i < 9 ? stamps[i] : 40000 + static_cast<double>(rng() % 1000000) / 7;
    out.push_back(lm);
  }
  return out;
}

TEST_F(GeoMapLandMarkFile, ReadsBackEqualLandMarks) {
  TGeoMap m;
  const std::vector<TLandMark> lms = AwkwardLandMarks(400);
  for (const TLandMark& lm : lms) {
    m.AddLandMark(0, 0, 0);
    m.SetLandMarkData(m.GetNumLandMarks(), lm);
  }
  m.SaveLandmarks(Path("lm.xml"), "Trip \"A\" & <B>");
  TGeoMap r;
  r.AddLandMark(5, 5, 5);  // replaced by the file's
  r.LoadLandMarks(Path("lm.xml"), "trip \"a\" & <b>");
  ASSERT_EQ(r.GetNumLandMarks(), 400);
  for (int i = 1; i <= 400; ++i)
    ASSERT_EQ(r.GetLandMarkData(i), lms[static_cast<size_t>(i - 1)]) << "landmark " << i;
}

TEST_F(GeoMapLandMarkFile, MissingFileRaisesAndKeepsTheTable) {
  TGeoMap m;
  m.AddLandMark(1, 2, 3);
  EXPECT_THROW(m.LoadLandMarks(Path("none.xml"), ""), EInOutError);
  EXPECT_EQ(m.GetNumLandMarks(), 1);
}

TEST_F(GeoMapLandMarkFile, PlusAndUserDefinedReadBackAsCross) {
  TGeoMap m;
  for (const TLandMarkElement e : {lmPlus, lmUserDef, lmSpade})
    m.AddLandMark(0, 0, 0, e, 0, "", 0, 0, 0, 0, 8, false, 0, 0);
  m.SaveLandmarks(Path("lm.xml"), "x");
  TGeoMap r;
  r.LoadLandMarks(Path("lm.xml"), "x");
  ASSERT_EQ(r.GetNumLandMarks(), 3);
  EXPECT_EQ(r.GetLandMarkData(1).Element, lmCross);
  EXPECT_EQ(r.GetLandMarkData(2).Element, lmCross);
  EXPECT_EQ(r.GetLandMarkData(3).Element, lmSpade);
}

TEST_F(GeoMapLandMarkFile, WritesTheDocumentedLayout) {
  TGeoMap m;
  m.AddLandMark(47.5, 8.25, 400, lmCircle, 3, "Z\"1", 45292.5, 9, 0xFF, 0xFF00, 6, true, 90, 20);
  m.SaveLandmarks(Path("lm.xml"), "main");
  EXPECT_EQ(Slurp(Path("lm.xml")),
            "<?xml version=\"1.0\"?>\r\n\r\n"
            "<gmlandmarks sig=\"Quorvatin\" vers=\"1.0\" id=\"main\">\r\n"
            "  <landmark lat=\"47.5\" long=\"8.25\" alti=\"400\" class=\"3\" usertag=\"9\" "
            "element=\"Circle\" size=\"6\" colorfg=\"000000FF\" colorbg=\"0000FF00\" "
            "transp=\"TRUE\" dir=\"90\" leng=\"20\" captext=\"\" capsize=\"8\" "
            "capfnm=\"DejaVu Sans\" capfst=\"0000\" capfgcol=\"00000000\" capbgcol=\"00FFFFFF\" "
            "captransp=\"TRUE\" capdx=\"0\" capdy=\"0\" capdir=\"0\" caphal=\"0\" capval=\"0\" "
            "id=\"Z&quot;1\" date=\"20240101120000\" />\r\n"
            "</gmlandmarks>\r\n");
}

// Blocks of one file are told apart by id; a block ends at its closing tag.
TEST_F(GeoMapLandMarkFile, SelectsTheBlockById) {
  Put(Path("two.xml"),
      "<gmlandmarks sig=\"Quorvatin\" vers=\"1.0\" id=\"a\">\n"
      "<landmark lat=\"1\" id=\"a1\" />\n<landmark lat=\"2\" id=\"a2\" />\n</gmlandmarks>\n"
      "<landmark lat=\"9\" id=\"stray\" />\n"
      "<gmlandmarks sig=\"Quorvatin\" vers=\"1.0\" id=\"B\">\n"
      "<landmark lat=\"3\" id=\"b1\" />\n</gmlandmarks>\n");
  struct Case {
    const char* id;
    bool found;
    std::vector<std::string> ids;
  };
  const Case cases[] = {{"", true, {"a1", "a2"}},
                        {"A", true, {"a1", "a2"}},
                        {"b", true, {"b1"}},
                        {"c", false, {"kept"}}};
  for (const Case& c : cases) {
    TGeoMap m;
    m.AddLandMark(0, 0, 0, "kept", 0);
    m.OnLandMarkAction = [](TObject*, bool& allowed, TLandMarkAction, const TLandMark&) {
      allowed = false;  // the reader does not ask
    };
    TTextFile f;
    f.AssignFile(Path("two.xml"));
    f.Reset();
    EXPECT_EQ(m.ReadLandMarksFromOpenXMLFile(f, c.id), c.found) << c.id;
    std::vector<std::string> ids;
    for (int i = 1; i <= m.GetNumLandMarks(); ++i) ids.push_back(m.GetLandMarkData(i).Identifier);
    EXPECT_EQ(ids, c.ids) << c.id;
  }
}

// Hand-written and damaged landmark elements.
TEST_F(GeoMapLandMarkFile, ToleratesBadValues) {
  struct Case {
    const char* element;
    std::function<void(TLandMark&)> expect;  // applied to a default record
  };
  const Case cases[] = {
      {"<landmark lat=\"12,5\" />", [](TLandMark& e) { e.Latitude = 12.5; }},
      {"<landmark lat=\"1e999\" long=\"-1e999\" />",
       [](TLandMark& e) {
         e.Latitude = static_cast<double>(uc_MaxDouble);
         e.Longitude = -e.Latitude;
       }},
      {"<landmark lat=\"inf\" long=\"nan\" alti=\"-inf\" />", [](TLandMark&) {}},
      {"<landmark lat=\"north\" size=\"big\" class=\"300\" usertag=\"99999999999\" />",
       [](TLandMark& e) { e.LMClass = 255, e.UserTag = INT32_MAX, e.Size = 0; }},
      {"<landmark colorfg=\"$00ff00\" colorbg=\"zz\" capfst=\"10x1\" transp=\"True!\" />",
       [](TLandMark& e) {
         e.ColorFg = 0xFF00, e.Caption.FontStyle = kLMFontBold | kLMFontStrikeOut;
         e.Transparent = true, e.Caption.Transparent = false, e.Caption.FontName = "";
       }},
      {"<landmark element=\"TRIANGLE\" date=\"20240229235959\" />",
       [](TLandMark& e) {
         e.Element = lmTriangle;
         int pos = 1;
         e.TimeStamp = ScanDateTime("20240229235959", "yyyymmddHHMMSS", lgEnglish, pos);
       }},
      // A date changed by hand wins over the exact value written beside the old one.
      {"<landmark date=\"20240101000000\" datetime=\"45292.5\" />",
       [](TLandMark& e) { e.TimeStamp = 45292; }},
      {"<landmark date=\"20240101120000\" datetime=\"45292.5000001\" />",
       [](TLandMark& e) { e.TimeStamp = 45292.5000001; }},
      {"<landmark date=\"20241301000000\" />", [](TLandMark&) {}},
      {"<landmark id=\"0123456789abcdefghij\" captext=\"&lt;&#9;&unknown;\" />",
       [](TLandMark& e) { e.Identifier = "0123456789abcde", e.Caption.Text = "<\t&unknown;"; }},
  };
  for (const Case& c : cases) {
    Put(Path("bad.xml"), std::string("<gmlandmarks sig=\"Quorvatin\" id=\"x\">\n") + c.element +
                             "\n</gmlandmarks>\n");
    TGeoMap m;
    m.LoadLandMarks(Path("bad.xml"), "x");
    TLandMark e;
    e.Transparent = false;
    e.Caption.Transparent = false;
    e.Caption.FontName = "";
    c.expect(e);
    ASSERT_EQ(m.GetNumLandMarks(), 1) << c.element;
    EXPECT_EQ(m.GetLandMarkData(1), e) << c.element;
  }
}

TEST_F(GeoMapLandMarkFile, SurvivesTruncatedFiles) {
  const std::string whole =
      "<gmlandmarks sig=\"Quorvatin\" id=\"x\">\n<landmark lat=\"1\" />\n"
      "<landmark lat=\"2\" id=\"two\" />\n</gmlandmarks>\n";
  for (size_t cut = 0; cut <= whole.size(); ++cut) {
    Put(Path("cut.xml"), whole.substr(0, cut));
    TGeoMap m;
    m.LoadLandMarks(Path("cut.xml"), "x");
    EXPECT_LE(m.GetNumLandMarks(), 2) << cut;
    // A landmark is only taken once its tag is complete.
    if (m.GetNumLandMarks() == 2) {
      EXPECT_EQ(m.GetLandMarkData(2).Identifier, "two") << cut;
    }
  }
}

}  // namespace
}  // namespace tkz
