#include "core/dstruct/featmat.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>

using namespace tkz;

namespace {

std::string TempPath(const char* tag) {
  return std::string("/tmp/tkz_featmat_") + tag + "_" + std::to_string(::getpid()) + ".txt";
}

std::string Message(const std::function<void()>& f) {
  try {
    f();
  } catch (const ETKZDStructError& e) {
    return e.what();
  }
  return "<no error>";
}

TEST(FeatMat, NewFeaturesAreUndefined) {
  TFeatureMatrix m;
  m.SetName("fm");
  m.SetNFeats(2);
  m.SetNObjs(3);
  EXPECT_EQ(m.GetFeatProps(2)->FeatName, "undefined");
  EXPECT_EQ(m.GetFeatProps(1)->FeatKind, fkUndefined);
  EXPECT_EQ(Message([&] { m.GetFeatValStr(1, 1); }), "Component \"fm\": feature 1 is undefined");
  EXPECT_EQ(m.GetFeatValStr(3, 1), "");  // out of range: neutral
}

TEST(FeatMat, IntegerChecks) {
  TFeatureMatrix m;
  m.SetName("fm");
  m.Resize(1, 2);
  m.SetFeatType(0, 0, fkInteger);
  m.SetFeatValStr(1, 1, "12");
  EXPECT_EQ(m.GetFeatValInt(1, 1), 12);
  EXPECT_EQ(Message([&] { m.SetFeatValStr(1, 1, "1.5"); }),
            "Component \"fm\": feature value \"1.5\" is not a valid integer number");
  EXPECT_EQ(m.GetFeatValStr(1, 1), "12");
  m.SetFeatValStr(1, 2, "");
  EXPECT_EQ(Message([&] { m.GetFeatValInt(1, 2); }),
            "Component \"fm\": feature is not an integer (feature 1, object 2: \"\")");
  EXPECT_THROW(m.Fill(1, ""), ETKZDStructError);
  m.SetFeatValint(1, 2, 5000000000LL);  // round trip beyond 32 bits
  EXPECT_EQ(m.GetFeatValInt(1, 2), 5000000000LL);
  EXPECT_EQ(Message([&] { m.Fill(1, 1.5); }),
            "Component \"fm\": feature 1 is not floating point number");
  EXPECT_FALSE(FeatMatIsIntegerText("+"));
  EXPECT_TRUE(FeatMatIsIntegerText("-7"));
}

TEST(FeatMat, KindErrorsNameTheCellOrFeature) {
  TFeatureMatrix m;
  m.SetName("fm");
  m.Resize(2, 3);
  m.SetFeatType(1, 1, fkString);
  m.SetFeatType(2, 2, fkInteger);
  m.SetFeatValStr(1, 3, "abc");
  const struct {
    std::function<void()> call;
    const char* message;
  } cases[] = {
      {[&] { m.GetFeatValInt(1, 3); }, "feature is not an integer (feature 1, object 3: \"abc\")"},
      {[&] { m.GetFeatValDouble(1, 3); },
       "feature is not a floating point number (feature 1, object 3: \"abc\")"},
      {[&] { m.GetFeatValTriState(1, 3); },
       "feature is not a tri-state value (feature 1, object 3: \"abc\")"},
      {[&] { m.SetFeatValDouble(2, 1, 0.5); },
       "feature is not a floating point or string type (feature 2)"},
      {[&] { m.SetFeatValTriState(2, 1, tsTrue); },
       "feature is not a tri-state or string type (feature 2)"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(Message(c.call), std::string("Component \"fm\": ") + c.message);
  // Matching ignores Windows-1252 case, accented letters included.
  m.GetFeatProps(2)->FeatName = "\xC9t\xE9";  // Été
  EXPECT_EQ(m.FindFeatName("\xE9T\xC9"), 2);
  m.SetFeatType(1, 1, fkTriState);
  m.SetFeatValStr(1, 1, "TRUE");
  EXPECT_EQ(m.GetFeatValTriState(1, 1), tsTrue);
}

TEST(FeatMat, NumberCheck) {
  for (const char* ok : {"1.5", "-2E3", ".5", "12abc", " 3", "1e-4200"})
    EXPECT_TRUE(FeatMatIsNumberText(ok)) << ok;
  for (const char* bad : {"1E9999", "1..2", "", "abc", "-", "1E+-2"})
    EXPECT_FALSE(FeatMatIsNumberText(bad)) << bad;
  TFeatureMatrix m;
  m.Resize(1, 1);
  m.SetFeatType(1, 1, fkDouble);
  m.SetFeatValDouble(1, 1, 0.1);
  EXPECT_EQ(m.GetFeatValStr(1, 1), "0.1");
  m.SetFeatValStr(1, 1, "12abc");  // passes the check, fails the conversion
  EXPECT_THROW(m.GetFeatValDouble(1, 1), EConvertError);
  for (const char* notDecimal : {"0x10", "1e5x", "-0X1p3"}) {
    m.SetFeatValStr(1, 1, notDecimal);
    EXPECT_THROW(m.GetFeatValDouble(1, 1), EConvertError) << notDecimal;
  }
  m.SetFeatValStr(1, 1, "-2.5E2");
  EXPECT_DOUBLE_EQ(m.GetFeatValDouble(1, 1), -250.0);
  EXPECT_THROW(m.SetFeatValTriState(1, 1, tsTrue), ETKZDStructError);
}

TEST(FeatMat, TriStateAndClearing) {
  TFeatureMatrix m;
  m.Resize(4, 2);
  m.SetFeatType(1, 1, fkInteger);
  m.SetFeatType(2, 2, fkDouble);
  m.SetFeatType(3, 3, fkString);
  m.SetFeatType(4, 4, fkTriState);
  m.SetFeatValTriState(4, 1, tsTrue);
  EXPECT_EQ(m.GetFeatValTriState(4, 1), tsTrue);
  m.SetFeatValStr(4, 2, "FALSE");
  EXPECT_EQ(m.GetFeatValTriState(4, 2), tsFalse);
  EXPECT_THROW(m.SetFeatValStr(4, 2, "maybe"), ETKZDStructError);
  m.SetFeatValStr(3, 1, "x");
  m.ClearObject(1);
  EXPECT_EQ(m.GetFeatValStr(1, 1), "0");
  EXPECT_EQ(m.GetFeatValStr(2, 1), "0");
  EXPECT_EQ(m.GetFeatValStr(3, 1), "");
  EXPECT_EQ(m.GetFeatValStr(4, 1), "");
  EXPECT_EQ(m.GetFeatValStr(4, 2), "FALSE");
}

TEST(FeatMat, InsertRemove) {
  TFeatureMatrix m;
  int changes = 0;
  m.OnChange = [&](TObject*) { ++changes; };
  m.Resize(2, 3);
  m.SetFeatType(0, 0, fkString);
  for (int o = 1; o <= 3; ++o) m.SetFeatValStr(1, o, "v" + std::to_string(o));
  m.InsertObject(2);
  EXPECT_EQ(m.GetNObjs(), 4);
  EXPECT_EQ(m.GetFeatValStr(1, 2), "");
  EXPECT_EQ(m.GetFeatValStr(1, 3), "v2");
  m.RemoveObject(1);
  EXPECT_EQ(m.GetFeatValStr(1, 2), "v2");
  m.GetFeatProps(2)->FeatName = "second";
  m.InsertFeature(1);
  EXPECT_EQ(m.GetFeatProps(3)->FeatName, "second");
  EXPECT_EQ(m.GetFeatProps(1)->FeatName, "undefined");
  EXPECT_EQ(m.GetFeatProps(2)->FeatKind, fkString);
  EXPECT_EQ(m.FindFeatName("SECOND"), 3);
  m.RemoveFeature(1);
  EXPECT_EQ(m.GetFeatValStr(1, 2), "v2");
  EXPECT_GT(changes, 5);
}

TEST(FeatMat, GenerateFeatNames) {
  TFeatureMatrix m;
  m.SetNFeats(3);
  EXPECT_EQ(m.GenerateFeatNames("F<%D-3%>", 1, 3, 1, 1), TFeatureMatrix::kNamesOK);
  EXPECT_EQ(m.GetFeatProps(1)->FeatName, "F001");
  EXPECT_EQ(m.GetFeatProps(3)->FeatName, "F003");
  EXPECT_EQ(m.GenerateFeatNames("<%D3%>|<%I%>|<%H-4%>", 3, 2, 254, 1), TFeatureMatrix::kNamesOK);
  EXPECT_EQ(m.GetFeatProps(3)->FeatName, "255|3|00FF");
  EXPECT_EQ(m.GenerateFeatNames("<%D2%>", 1, 1, 12345, 1), TFeatureMatrix::kNamesOK);
  EXPECT_EQ(m.GetFeatProps(1)->FeatName, "45");
  EXPECT_EQ(m.GenerateFeatNames("X<%Q%>", 1, 3, 1, 1), TFeatureMatrix::kNamesBadPlaceholder);
  EXPECT_NE(m.GetFeatProps(1)->FeatName.find("###"), std::string::npos);
  EXPECT_EQ(m.GetFeatProps(2)->FeatName, "254|2|00FE");  // loop stopped at the first failure
  EXPECT_EQ(m.GenerateFeatNames("F", 0, 5, 1, 1), TFeatureMatrix::kNamesBadRange);
  // A "<%" standing after the next "%>" fails, as does one without any "%>".
  EXPECT_EQ(m.GenerateFeatNames("a%><%D%>", 1, 1, 1, 1), TFeatureMatrix::kNamesBadPlaceholder);
  EXPECT_EQ(m.GenerateFeatNames("a<%D", 1, 1, 1, 1), TFeatureMatrix::kNamesBadPlaceholder);
  EXPECT_EQ(m.GenerateFeatNames("<%D%>-<%I%>", 1, 1, 7, 1), TFeatureMatrix::kNamesOK);
  EXPECT_EQ(m.GetFeatProps(1)->FeatName, "7-1");
  EXPECT_EQ(FeatMatFormatDateTime("yyyy-mm-dd hh:nn:ss.zzz 'at' d/m", 2024, 3, 7, 9, 5, 2, 45),
            "2024-03-07 09:05:02.045 at 7/3");
  EXPECT_EQ(m.GenerateFeatNames("<%Tyyyy%>", 1, 1, 1, 1), TFeatureMatrix::kNamesOK);
  EXPECT_EQ(m.GetFeatProps(1)->FeatName.size(), 4u);
}

TEST(FeatMat, SaveLoadRoundTrip) {
  const std::string path = TempPath("rt");
  TFeatureMatrix a;
  a.Resize(4, 3);
  const TFeatKind kinds[] = {fkInteger, fkDouble, fkString, fkTriState};
  for (int f = 1; f <= 4; ++f) {
    TFeatMatProps* p = a.GetFeatProps(f);
    p->FeatKind = kinds[f - 1];
    p->FeatNum = 10 * f;
    p->FeatName = "name " + std::to_string(f);
    p->Comment = "c" + std::to_string(f);
    p->Presets = f == 3 ? "a;b" : "";
    p->Sorted = f % 2 == 0;
    p->GUIElem = 7;
  }
  a.SetFeatValint(1, 1, -4);
  a.SetFeatValDouble(2, 3, 2.5);
  a.SetFeatValStr(3, 2, "two words");
  a.SetFeatValTriState(4, 1, tsFalse);
  a.Save(path);
  TFeatureMatrix b;
  ASSERT_EQ(b.Load(path), TFeatureMatrix::kLoadOK);
  EXPECT_EQ(b.GetNFeats(), 4);
  EXPECT_EQ(b.GetNObjs(), 3);
  for (int f = 1; f <= 4; ++f) {
    const TFeatMatProps* pa = a.GetFeatProps(f);
    const TFeatMatProps* pb = b.GetFeatProps(f);
    EXPECT_EQ(pb->FeatKind, pa->FeatKind);
    EXPECT_EQ(pb->FeatNum, pa->FeatNum);
    EXPECT_EQ(pb->FeatName, pa->FeatName);
    EXPECT_EQ(pb->Comment, pa->Comment);
    EXPECT_EQ(pb->Presets, pa->Presets);
    EXPECT_EQ(pb->Sorted, pa->Sorted);
    EXPECT_EQ(pb->GUIElem, 0);
    for (int o = 1; o <= 3; ++o) EXPECT_EQ(b.GetFeatValStr(f, o), a.GetFeatValStr(f, o));
  }
  std::remove(path.c_str());
}

TEST(FeatMat, LoadBadFiles) {
  TFeatureMatrix m;
  EXPECT_EQ(m.Load("/nonexistent/featmat.txt"), TFeatureMatrix::kLoadNoFile);
  const std::string path = TempPath("bad");
  auto load = [&](const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
    return m.Load(path);
  };
  EXPECT_EQ(load("no sections here\n"), TFeatureMatrix::kLoadNoSection);
  EXPECT_EQ(load("#featdef 2 1\n1 fplFeatNum 3\n"), TFeatureMatrix::kLoadFailed);  // truncated
  EXPECT_EQ(load("#featdef 2000000000 1\n"), TFeatureMatrix::kLoadFailed);         // huge count
  EXPECT_EQ(load("#featdef 1 1\n1 fplFeatNum x\n1 a\n1 b\n1 c\n1 d\n1 e\n"),
            TFeatureMatrix::kLoadFailed);
  EXPECT_EQ(load("#featdef 1 1\n9 fplFeatNum 1\n1 a\n1 b\n1 c\n1 d\n1 e\n"),
            TFeatureMatrix::kLoadFailed);
  EXPECT_EQ(load("#featvals 70000 1\n"),
            TFeatureMatrix::kLoadFailed);  // too many features without definitions
  EXPECT_EQ(load("#featdef 1 1\n"),
            TFeatureMatrix::kLoadFailed);  // the six record lines are missing
  EXPECT_EQ(load("#featdef 0 1\n#featvals 0 2000000000\n#featend\n"),
            TFeatureMatrix::kLoadOK);  // sparse: no big table
  EXPECT_EQ(m.GetNObjs(), 2000000000);
  EXPECT_EQ(load("#featdef 1 1\n1 fplFeatKind fkString\n1 a\n1 b\n1 c\n1 d\n1 e\n"
                 "#featvals 1 2\n1 3 x\n"),
            TFeatureMatrix::kLoadFailed);  // object out of range
  EXPECT_EQ(m.GetNFeats(), 1);
  std::remove(path.c_str());
}

}  // namespace

namespace {

TEST(FeatMat, CopyClearResetAndAssign) {
  TFeatureMatrix m;
  m.SetNFeats(3);
  m.SetNObjs(2);
  m.SetFeatType(1, 1, fkInteger);
  m.SetFeatType(2, 2, fkDouble);
  m.SetFeatType(3, 3, fkString);
  m.SetFeatValint(1, 1, 7);
  m.SetFeatValDouble(2, 1, 2.5);
  m.SetFeatValStr(3, 1, "x");
  m.CopyObject(1, 2);
  EXPECT_EQ(m.GetFeatValInt(1, 2), 7);
  EXPECT_EQ(m.GetFeatValStr(3, 2), "x");
  m.ClearFeature(1);  // numbers clear to "0", texts to ""
  EXPECT_EQ(m.GetFeatValStr(1, 1), "0");
  EXPECT_EQ(m.GetFeatValStr(1, 2), "0");
  EXPECT_EQ(m.GetFeatValStr(3, 2), "x");
  int changes = 0;
  m.OnChange = [&](TObject*) { ++changes; };
  TFeatureMatrix copy;
  copy.Assign(&m);  // counts, properties, values and the handler
  EXPECT_EQ(copy.GetNFeats(), 3);
  EXPECT_EQ(copy.GetNObjs(), 2);
  EXPECT_DOUBLE_EQ(copy.GetFeatValDouble(2, 2), 2.5);
  EXPECT_EQ(copy.GetFeatProps(2)->FeatKind, fkDouble);
  copy.ResetToDefault();
  EXPECT_GT(changes, 0);  // the copied handler fires for the copy
  EXPECT_EQ(copy.GetFeatValStr(2, 1), "0");
  EXPECT_EQ(copy.GetFeatValStr(3, 1), "");
  EXPECT_EQ(m.GetFeatValStr(3, 1), "x");  // the original keeps its values
}

TEST(FeatMat, RenumberAndFindByNumber) {
  TFeatureMatrix m;
  m.SetNFeats(4);
  int changes = 0;
  m.OnChange = [&](TObject*) { ++changes; };
  m.RenumberFeatures(0, 0, 100, 10);  // 0, 0 selects all features
  EXPECT_EQ(changes, 0);              // renumbering fires no event
  EXPECT_EQ(m.FindFeatNum(120), 3);
  EXPECT_EQ(m.FindFeatNum(999), -1);
  m.RenumberFeatures(9, 3, 1, 1);  // bounds clamped to 3..4 and put in order
  EXPECT_EQ(m.FindFeatNum(1), 3);
  EXPECT_EQ(m.FindFeatNum(2), 4);
  EXPECT_EQ(m.FindFeatNum(110), 2);
}

}  // namespace

namespace {

std::string WriteTemp(const char* tag, const std::string& text) {
  const std::string path = TempPath(tag);
  std::ofstream(path, std::ios::binary) << text;
  return path;
}

const char kOneStringFeature[] =
    "1 fplFeatNum 5\n1 fplFeatName width\n1 fplFeatKind fkString\n"
    "1 fplComment c\n1 fplPresets p\n1 fplSorted true\n";

TEST(FeatMat, DefinitionsOfAnotherVersionAreSkipped) {
  TFeatureMatrix m;
  int changes = 0;
  m.OnChange = [&](TObject*) { ++changes; };
  // Found but not read: the records are skipped as ordinary lines.
  const std::string only = WriteTemp("v2", std::string("#featdef 1 2\n") + kOneStringFeature);
  EXPECT_EQ(m.Load(only), TFeatureMatrix::kLoadOK);
  EXPECT_EQ(m.GetNFeats(), 0);
  EXPECT_EQ(changes, 1);
  // The value section still loads; its features have cleared records.
  const std::string withVals =
      WriteTemp("v2vals", std::string("#featdef 1 2\n") + kOneStringFeature +
                              "#featvals 1 2\n1 2 x\n#featend\n");
  EXPECT_EQ(m.Load(withVals), TFeatureMatrix::kLoadOK);
  EXPECT_EQ(m.GetNFeats(), 1);
  EXPECT_EQ(m.GetNObjs(), 2);
  EXPECT_EQ(m.GetFeatProps(1)->FeatName, "undefined");
  EXPECT_EQ(m.GetFeatProps(1)->FeatKind, fkUndefined);
  m.SetFeatType(1, 1, fkString);
  EXPECT_EQ(m.GetFeatValStr(1, 2), "x");
  // A version-1 section after it is read as usual.
  const std::string both = WriteTemp("v2v1", std::string("#featdef 1 2\n") + kOneStringFeature +
                                                 "#featdef 1 1\n" + kOneStringFeature);
  EXPECT_EQ(m.Load(both), TFeatureMatrix::kLoadOK);
  ASSERT_EQ(m.GetNFeats(), 1);
  EXPECT_EQ(m.GetFeatProps(1)->FeatName, "width");
  EXPECT_TRUE(m.GetFeatProps(1)->Sorted);
  // The count and version must still be numbers.
  const std::string bad = WriteTemp("v2bad", "#featdef x 2\n");
  EXPECT_EQ(m.Load(bad), TFeatureMatrix::kLoadFailed);
  for (const std::string& p : {only, withVals, both, bad}) std::remove(p.c_str());
}

TEST(FeatMat, ValueSectionSetsBothCounts) {
  TFeatureMatrix m;
  // Without definitions: cleared records for every feature it sizes.
  const std::string bare = WriteTemp("bare", "#featvals 3 4\n2 4 v\n");
  EXPECT_EQ(m.Load(bare), TFeatureMatrix::kLoadOK);
  EXPECT_EQ(m.GetNFeats(), 3);
  EXPECT_EQ(m.GetNObjs(), 4);
  EXPECT_EQ(m.FindFeatName("undefined"), 1);
  m.SetFeatType(0, 0, fkString);
  EXPECT_EQ(m.GetFeatValStr(2, 4), "v");
  // More features than defined: the defined records stay, new ones are cleared.
  const std::string more = WriteTemp(
      "more", std::string("#featdef 1 1\n") + kOneStringFeature + "#featvals 2 1\n2 1 y\n");
  EXPECT_EQ(m.Load(more), TFeatureMatrix::kLoadOK);
  ASSERT_EQ(m.GetNFeats(), 2);
  EXPECT_EQ(m.GetFeatProps(1)->FeatName, "width");
  EXPECT_EQ(m.GetFeatProps(2)->FeatKind, fkUndefined);
  // Fewer: the records beyond the count go.
  const std::string fewer =
      WriteTemp("fewer", std::string("#featdef 1 1\n") + kOneStringFeature + "#featvals 0 3\n");
  EXPECT_EQ(m.Load(fewer), TFeatureMatrix::kLoadOK);
  EXPECT_EQ(m.GetNFeats(), 0);
  EXPECT_EQ(m.GetNObjs(), 3);
  for (const std::string& p : {bare, more, fewer}) std::remove(p.c_str());
}

}  // namespace

namespace {

std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(FeatMat, SaveReplacesTheFileWhole) {
  const std::string path = TempPath("replace");
  const std::string old = path + ".old";
  std::ofstream(path, std::ios::binary) << "previous version, longer than the new one";
  ASSERT_EQ(::link(path.c_str(), old.c_str()), 0);
  TFeatureMatrix m;
  m.Resize(1, 1);
  m.SetFeatType(1, 1, fkString);
  m.SetFeatValStr(1, 1, "v");
  m.Save(path);
  EXPECT_EQ(
      Slurp(path),
      "#featdef 1 1\r\n1 fplFeatNum 0\r\n1 fplFeatName undefined\r\n1 fplFeatKind fkString\r\n"
      "1 fplComment \r\n1 fplPresets \r\n1 fplSorted FALSE\r\n#featvals 1 1\r\n1 1 v\r\n"
      "#featend\r\n");
  // The new text went to a new file renamed into place; the old one was not
  // truncated on the way.
  EXPECT_EQ(Slurp(old), "previous version, longer than the new one");
  EXPECT_THROW(m.Save("/nonexistent/dir/featmat.txt"), EInOutError);
  std::remove(path.c_str());
  std::remove(old.c_str());
}

TEST(FeatMat, LineBreaksAreRefusedBeforeAnythingIsWritten) {
  const std::string path = TempPath("breaks");
  std::ofstream(path, std::ios::binary) << "kept";
  TFeatureMatrix m;
  m.Resize(2, 2);
  m.SetFeatType(2, 2, fkString);
  m.SetFeatValStr(2, 2, "two\nlines");
  EXPECT_THROW(m.Save(path), ETKZDStructError);
  EXPECT_EQ(Slurp(path), "kept");
  m.SetFeatValStr(2, 2, "one line");
  m.GetFeatProps(1)->Comment = "a\rb";
  TTextFile f;
  f.AssignFile(path);
  f.Rewrite();
  EXPECT_THROW(m.SaveToOpenFile(f), ETKZDStructError);
  f.CloseFile();
  EXPECT_EQ(Slurp(path), "");
  std::remove(path.c_str());
}

}  // namespace
