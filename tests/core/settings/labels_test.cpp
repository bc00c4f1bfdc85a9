#include "core/settings/labels.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "core/settings/xmlsettings.h"
#include "support/temp_dir.h"

namespace tkz {
namespace {

using SettingsFiles = testing_support::TempDirTest;

TEST(XMLCodecs, ColoursIntegersBooleansAndFloats) {
  EXPECT_EQ(XMLColorStr(0x0000FF), "$0000FF");
  EXPECT_EQ(XMLColorStr(static_cast<TColor>(0xFF123456u)), "$123456");  // low 24 bits only
  EXPECT_EQ(XMLStrToColor("  $00ff80"), 0x00FF80);
  EXPECT_EQ(XMLStrToColor("$12G4"), 0x12);  // up to the first other character
  EXPECT_EQ(XMLStrToInt("  -42x"), -42);
  EXPECT_EQ(XMLStrToInt("+7"), 7);
  EXPECT_EQ(XMLStrToInt(""), 0);
  EXPECT_EQ(XMLStrToInt("99999999999999999999"), INT32_MAX);
  EXPECT_TRUE(XMLStrToBool("1"));
  EXPECT_FALSE(XMLStrToBool("2"));
  EXPECT_EQ(XMLFloatStr(100.0).size(), 12u);
  for (double x : {0.0, 100.0, -3.25, 1.5e-7, 6.02e23})
    EXPECT_NEAR(XMLStrToFloat(XMLFloatStr(x)), x, std::abs(x) * 1e-3) << x;
  EXPECT_DOUBLE_EQ(XMLStrToFloat("2,5"), 2.5);  // a comma is a decimal point too
}

TEST(XMLNames, TablesFollowTheEnumerations) {
  EXPECT_EQ(xmlVarKind[5], "bool");
  EXPECT_EQ(xmlTxtLblMode[tlsimple], "tlsimple");
  EXPECT_EQ(xmlMouseActMode.size(), 19u);
  EXPECT_EQ(xmlMouseActMode[maZoomPanColors], "maZoomPanColors");
  EXPECT_EQ(xmlFrameStyle[fsEngraved], "fsEngraved");
  EXPECT_EQ(XMLNameIndex(xmlAlignment, "taCenter"), 2);
  EXPECT_EQ(XMLNameIndex(xmlAlignment, "tacenter"), -1);  // case-sensitive
}

TEST(TextLabel, SettersNotifyAndFilterTheirValues) {
  TCustomTextLabel l;
  int changes = 0;
  l.OnChange = [&](TObject* s) {
    EXPECT_EQ(s, &l);
    ++changes;
  };
  l.SetTxtLblLayer(0);
  l.SetTxtLblLayer(17);
  EXPECT_EQ(changes, 0);
  EXPECT_EQ(l.GetTxtLblLayer(), 1);
  l.SetTxtLblLayer(16);
  l.SetTxtLblCaption("a\tb\nc\x01");
  EXPECT_EQ(l.GetTxtLblCaption(), "a b\nc ");
  EXPECT_EQ(changes, 2);
  TCustomTextLabel copy;
  copy.Assign(&l);
  EXPECT_EQ(copy.GetTxtLblLayer(), 16);
  EXPECT_TRUE(static_cast<bool>(copy.OnChange));  // the handler is copied too
  TCrossHair other;
  EXPECT_THROW(copy.Assign(&other), EConvertError);
}

TEST(TextLabel, AssignCopiesEverySettingAndKeepsItsOwnFont) {
  TCustomTextLabel a;
  a.SetTxtLblPosX(1.5);
  a.SetTxtLblPosY(-2.5);
  a.SetTxtLblShadowDx(4);
  a.SetTxtLblShadowDy(-4);
  a.SetTxtLblColorShadow(clRed);
  a.SetTxtLblAlignment(taLeftJustify);
  a.SetTxtLblVertAlignment(vaCenter);
  a.SetTxtLblScreenPos(tlamXOnly);
  a.SetTxtLblColorBkg(clYellow);
  a.SetTxtLblColorBrd(clBlue);
  a.SetTxtLblTranspar(true);
  a.SetTxtLblCaption("c");
  a.SetTxtLblMode(tlBox);
  a.SetTxtLblVisible(false);
  TFont font;
  font.SetSize(20);
  a.SetTxtLblFont(&font);
  TCustomTextLabel b;
  int changes = 0;
  b.OnChange = [&](TObject*) { ++changes; };
  b.Assign(&a);
  EXPECT_FALSE(static_cast<bool>(b.OnChange));  // a has no handler, and that is copied too
  EXPECT_EQ(b.GetTxtLblPosX(), 1.5);
  EXPECT_EQ(b.GetTxtLblPosY(), -2.5);
  EXPECT_EQ(b.GetTxtLblShadowDx(), 4);
  EXPECT_EQ(b.GetTxtLblShadowDy(), -4);
  EXPECT_EQ(b.GetTxtLblColorShadow(), clRed);
  EXPECT_EQ(b.GetTxtLblAlignment(), taLeftJustify);
  EXPECT_EQ(b.GetTxtLblVertAlignment(), vaCenter);
  EXPECT_EQ(b.GetTxtLblScreenPos(), tlamXOnly);
  EXPECT_EQ(b.GetTxtLblColorBkg(), clYellow);
  EXPECT_EQ(b.GetTxtLblColorBrd(), clBlue);
  EXPECT_TRUE(b.GetTxtLblTranspar());
  EXPECT_EQ(b.GetTxtLblCaption(), "c");
  EXPECT_EQ(b.GetTxtLblMode(), tlBox);
  EXPECT_FALSE(b.GetTxtLblVisible());
  EXPECT_EQ(b.GetTxtLblFont()->GetSize(), 20);
  EXPECT_NE(b.GetTxtLblFont(), a.GetTxtLblFont());  // copied, not shared
  font.SetSize(9);
  a.SetTxtLblFont(&font);
  EXPECT_EQ(b.GetTxtLblFont()->GetSize(), 20);
}

TEST_F(SettingsFiles, TextLabelFramesItsElement) {
  TCustomTextLabel l;
  l.SetTxtLblCaption("Vienna");
  TTextFile f;
  f.AssignFile(Path("l.xml"));
  f.Rewrite();
  l.WriteToOpenXMLFile(f, true, "MAIN", 0);
  f.CloseFile();
  const std::string text = Slurp(Path("l.xml"));
  EXPECT_EQ(text.substr(0, 26), " <?xml version=\"1.0\"?>\r\n\r\n");
  EXPECT_NE(text.find(" <!-- TCustomTextLabel / TKZ Component Suite -->\r\n"), std::string::npos);
  EXPECT_NE(text.find(" <custtextlbl sig=\"Quorvatin\" vers=\"1.0\" id=\"MAIN\">\r\n"),
            std::string::npos);
  EXPECT_NE(text.find("   <caption>Vienna</caption>\r\n"), std::string::npos);
  EXPECT_NE(text.find("   <colors brd=$000000 bg=$C0C0C0 shdw=$808080 />\r\n"), std::string::npos);
  EXPECT_NE(text.find("   <font name=\"DejaVu Sans\" size=8 color=$000000 style=\"\" />\r\n"),
            std::string::npos);
  EXPECT_EQ(text.substr(text.size() - 17), " </custtextlbl>\r\n");
}

TEST_F(SettingsFiles, ADefaultLabelIsWrittenByteForByte) {
  TCustomTextLabel l;
  TTextFile f;
  f.AssignFile(Path("d.xml"));
  f.Rewrite();
  l.WriteToOpenXMLFile(f, false, "Id", 1);
  f.CloseFile();
  EXPECT_EQ(Slurp(Path("d.xml")),
            "\r\n"
            " <!-- TCustomTextLabel / TKZ Component Suite -->\r\n"
            " <custtextlbl sig=\"Quorvatin\" vers=\"1.0\" id=\"Id\">\r\n"
            "   <posxy x= 1.000E+0002 y= 1.000E+0001 />\r\n"
            "   <caption></caption>\r\n"
            "   <colors brd=$000000 bg=$C0C0C0 shdw=$808080 />\r\n"
            "   <shadowofs dx=0 dy=0 />\r\n"
            "   <layer val=1 />\r\n"
            "   <transparent val=0 />\r\n"
            "   <visible val=1 />\r\n"
            "   <alignment horiz=taCenter vert=vaBottom />\r\n"
            "   <attachmode val=tlamNone />\r\n"
            "   <font name=\"DejaVu Sans\" size=8 color=$000000 style=\"\" />\r\n"
            "   <style val=tlsimple />\r\n"
            " </custtextlbl>\r\n");
}

TEST_F(SettingsFiles, TextLabelSurvivesARoundTripWhole) {
  TCustomTextLabel a;
  a.SetTxtLblPosX(-12.5);
  a.SetTxtLblPosY(3.0e5);
  a.SetTxtLblCaption("Graz\n2 lines");
  a.SetTxtLblColorBrd(clRed);
  a.SetTxtLblColorBkg(clYellow);
  a.SetTxtLblShadowDx(-3);
  a.SetTxtLblLayer(9);
  a.SetTxtLblTranspar(true);
  a.SetTxtLblVisible(false);
  a.SetTxtLblAlignment(taRightJustify);
  a.SetTxtLblVertAlignment(vaTop);
  a.SetTxtLblScreenPos(tlamBoth);
  a.SetTxtLblMode(tlShadow);
  TFont font;
  font.SetName("DejaVu Serif");
  font.SetSize(14);
  font.SetStyle({fsBold, fsStrikeOut});
  a.SetTxtLblFont(&font);
  TTextFile f;
  f.AssignFile(Path("l.xml"));
  f.Rewrite();
  TCustomTextLabel other;
  other.WriteToOpenXMLFile(f, true, "first", 2);
  a.WriteToOpenXMLFile(f, false, "MAIN", 2);
  f.CloseFile();

  TCustomTextLabel b;
  int changes = 0;
  b.OnChange = [&](TObject*) { ++changes; };
  f.Reset();
  ASSERT_TRUE(b.ReadFromOpenXMLFile(f, "Main"));  // the id ignores case
  f.CloseFile();
  EXPECT_EQ(changes, 1);
  EXPECT_NEAR(b.GetTxtLblPosX(), -12.5, 1e-9);
  EXPECT_NEAR(b.GetTxtLblPosY(), 3.0e5, 1.0);
  EXPECT_EQ(b.GetTxtLblCaption(), "Graz\n2 lines");  // the line feed is kept
  EXPECT_EQ(b.GetTxtLblColorBrd(), clRed);
  EXPECT_EQ(b.GetTxtLblColorBkg(), clYellow);
  EXPECT_EQ(b.GetTxtLblShadowDx(), -3);
  EXPECT_EQ(b.GetTxtLblLayer(), 9);
  EXPECT_TRUE(b.GetTxtLblTranspar());
  EXPECT_FALSE(b.GetTxtLblVisible());
  EXPECT_EQ(b.GetTxtLblAlignment(), taRightJustify);
  EXPECT_EQ(b.GetTxtLblVertAlignment(), vaTop);
  EXPECT_EQ(b.GetTxtLblScreenPos(), tlamBoth);
  EXPECT_EQ(b.GetTxtLblMode(), tlShadow);
  EXPECT_EQ(b.GetTxtLblFont()->GetName(), "DejaVu Serif");
  EXPECT_EQ(b.GetTxtLblFont()->GetSize(), 14);
  EXPECT_EQ(b.GetTxtLblFont()->GetStyle(), (TFontStyles{fsBold, fsStrikeOut}));
}

TEST_F(SettingsFiles, ReadersFindTheirElementOrChangeNothing) {
  Put(Path("x.xml"),
      "junk\r\n<custtextlbl sig=\"Quorvatin\" id=\" A \">\r\n<layer val=20 />\r\n"
      "<mystery q=1>x</mystery>\r\n</custtextlbl>\r\n"
      "<custtextlbl sig=\"Quorvatin\" id=\"B\">\r\n<layer val=5 />\r\n<posxy x=1");
  TCustomTextLabel l;
  int changes = 0;
  l.OnChange = [&](TObject*) { ++changes; };
  TTextFile f;
  f.AssignFile(Path("x.xml"));
  f.Reset();
  EXPECT_FALSE(l.ReadFromOpenXMLFile(f, "nowhere"));
  EXPECT_EQ(changes, 0);
  EXPECT_EQ(l.GetTxtLblLayer(), 1);
  f.Reset();
  TCustomTextLabel first;
  EXPECT_TRUE(first.ReadFromOpenXMLFile(f, ""));  // an empty Id takes the first element
  EXPECT_EQ(first.GetTxtLblLayer(), 20);
  f.Reset();
  EXPECT_TRUE(l.ReadFromOpenXMLFile(f, "a"));  // blanks around the id are stripped
  EXPECT_EQ(l.GetTxtLblLayer(), 20);           // read without the 1..16 check
  // The file ends inside element B: false, values so far kept, one notice.
  EXPECT_FALSE(l.ReadFromOpenXMLFile(f, "B"));
  EXPECT_EQ(l.GetTxtLblLayer(), 5);
  EXPECT_EQ(changes, 2);
  f.CloseFile();
}

TEST_F(SettingsFiles, WritingToAFileNotOpenForOutputRaises) {
  Put(Path("r.xml"), "x\r\n");
  TCustomTextLabel l;
  TTextFile f;
  EXPECT_THROW(l.WriteToOpenXMLFile(f, true, "a", 1), EInOutError);  // never opened
  f.AssignFile(Path("r.xml"));
  f.Reset();
  EXPECT_THROW(l.WriteToOpenXMLFile(f, false, "a", 1), EInOutError);  // open for reading
  f.CloseFile();
  EXPECT_EQ(Slurp(Path("r.xml")), "x\r\n");
}

TEST_F(SettingsFiles, EveryLineIsIndentedByTheClampedIndent) {
  for (const auto& [indent, blanks] : {std::pair{0, 1}, std::pair{-5, 1}, std::pair{300, 255}}) {
    TCustomTextLabel l;
    TTextFile f;
    f.AssignFile(Path("i.xml"));
    f.Rewrite();
    l.WriteToOpenXMLFile(f, true, "x", indent);
    f.CloseFile();
    const std::string text = Slurp(Path("i.xml"));
    int lines = 0;
    for (size_t p = 0, q; p < text.size(); p = q + 2) {
      q = text.find("\r\n", p);
      ASSERT_NE(q, std::string::npos);
      const std::string line = text.substr(p, q - p);
      ++lines;
      if (lines == 2) {
        EXPECT_EQ(line, "");  // the empty line after the header carries no blanks
        continue;
      }
      const bool child = line.find("<custtextlbl") == std::string::npos &&
                         line.find("</custtextlbl") == std::string::npos &&
                         line.find("<!--") == std::string::npos &&
                         line.find("<?xml") == std::string::npos;
      const size_t want = static_cast<size_t>(blanks) + (child ? 2 : 0);
      EXPECT_EQ(line.find_first_not_of(' '), want) << indent << ": " << line;
    }
    EXPECT_EQ(lines, 16);  // header, empty line, comment, opening tag, 11 children, closing tag
  }
}

TEST_F(SettingsFiles, CaptionsWithMarkupCharactersSurviveARoundTrip) {
  for (const std::string caption :
       {"T > 300 K", "a>b<c", ">", "x<y", "1 > 0\nand 2 > 1", "a <-> b", "0 < x > -1", "<>"}) {
    TCustomTextLabel a;
    a.SetTxtLblCaption(caption);
    a.SetTxtLblLayer(7);
    TTextFile f;
    f.AssignFile(Path("c.xml"));
    f.Rewrite();
    a.WriteToOpenXMLFile(f, false, "c", 1);
    f.CloseFile();
    TCustomTextLabel b;
    f.Reset();
    EXPECT_TRUE(b.ReadFromOpenXMLFile(f, "c")) << caption;
    f.CloseFile();
    EXPECT_EQ(b.GetTxtLblCaption(), caption);
    EXPECT_EQ(b.GetTxtLblLayer(), 7) << caption;  // the settings after it are still read
  }
}

TEST_F(SettingsFiles, CommentsAndOpenUnknownTagsHideNoSetting) {
  Put(Path("k.xml"),
      "<custtextlbl sig=\"Quorvatin\" vers=\"1.0\" id=\"k\">\r\n"
      "  <!-- hand-edited: layer raised -->\r\n  <layer val=12 />\r\n"
      "  <!-- a > b -->\r\n  <visible val=0 />\r\n</custtextlbl>\r\n");
  TCustomTextLabel l;
  TTextFile f;
  f.AssignFile(Path("k.xml"));
  f.Reset();
  EXPECT_TRUE(l.ReadFromOpenXMLFile(f, "k"));
  f.CloseFile();
  EXPECT_EQ(l.GetTxtLblLayer(), 12);
  EXPECT_FALSE(l.GetTxtLblVisible());

  // An unknown tag left open takes the text up to the next ">" as its
  // contents; the tags after it are still read, and nothing past the end of
  // the element.
  Put(Path("m.xml"),
      "<custtextlbl sig=\"Quorvatin\" id=\"m\">\r\n  <mystery a=1> x > y\r\n"
      "  <layer val=4 />\r\n  <odd> p > q\r\n</custtextlbl>\r\n"
      "<custtextlbl sig=\"Quorvatin\" id=\"n\">\r\n  <layer val=9 />\r\n</custtextlbl>\r\n");
  TCustomTextLabel m;
  f.AssignFile(Path("m.xml"));
  f.Reset();
  EXPECT_TRUE(m.ReadFromOpenXMLFile(f, "m"));
  EXPECT_EQ(m.GetTxtLblLayer(), 4);
  EXPECT_TRUE(m.ReadFromOpenXMLFile(f, "n"));
  EXPECT_EQ(m.GetTxtLblLayer(), 9);
  f.CloseFile();
}

TEST(CrossHairAndDateLabel, NotificationRules) {
  TCrossHair c;
  int n = 0;
  c.OnChange = [&](TObject*) { ++n; };
  c.SetCrossHLayer(7);
  EXPECT_EQ(c.GetLayer(), 2);
  c.SetPos(0, 0);  // unchanged: no notice
  EXPECT_EQ(n, 1);
  c.SetPos(1, 0);
  c.SetCrossHColor(c.GetColor());  // always notifies
  EXPECT_EQ(n, 3);
  TDTLabel d;
  int m = 0;
  d.OnChange = [&](TObject*) { ++m; };
  d.SetDateSeparator('.');
  d.SetYearLength(ylYYYY);
  EXPECT_EQ(m, 0);
  d.SetTimeFormat(tfHHMMSS);
  d.SetDAteOrder(doYYMMDD);
  EXPECT_EQ(m, 2);
  TDTLabel e;
  e.Assign(&d);
  EXPECT_EQ(e.GetDateOrder(), doYYMMDD);
}

TEST(CrossHairAndDateLabel, DefaultsChangeOnlyRulesAndAssign) {
  TCrossHair c;
  EXPECT_EQ(c.GetPosX(), 0.0);
  EXPECT_EQ(c.GetColor(), 0);
  EXPECT_EQ(c.GetMode(), chOff);
  EXPECT_EQ(c.GetLineType(), psSolid);
  EXPECT_EQ(c.GetLineWid(), 0);
  EXPECT_EQ(c.GetLayer(), 0);
  c.SetCrossHLayer(-3);
  EXPECT_EQ(c.GetLayer(), 1);
  c.SetPos(2.5, -1);
  c.SetCrossHMode(chBox);
  c.SetCrossHLineType(psDot);
  c.SetCrossHLineWid(3);
  c.SetCrossHColor(clRed);
  int n = 0;
  c.OnChange = [&](TObject*) { ++n; };
  TCrossHair c2;
  c2.Assign(&c);
  EXPECT_EQ(c2.GetPosX(), 2.5);
  EXPECT_EQ(c2.GetPosY(), -1.0);
  EXPECT_EQ(c2.GetMode(), chBox);
  EXPECT_EQ(c2.GetLineType(), psDot);
  EXPECT_EQ(c2.GetLineWid(), 3);
  EXPECT_EQ(c2.GetColor(), clRed);
  EXPECT_EQ(c2.GetLayer(), 1);
  c2.SetCrossHPosX(9);  // the handler came along
  EXPECT_EQ(n, 1);

  TDTLabel d;
  EXPECT_EQ(d.GetTimeFormat(), tfHHMMSS);
  EXPECT_EQ(d.GetDateSeparator(), '.');
  EXPECT_EQ(d.GetTimeSeparator(), ':');
  EXPECT_EQ(d.GetYearLength(), ylYYYY);
  EXPECT_FALSE(d.GetMonthName());
  EXPECT_EQ(d.GetDateOrder(), doYYMMDD);
  EXPECT_EQ(d.GetDateForTime(), dtOnePerChart);
  int m = 0;
  d.OnChange = [&](TObject* s) {
    EXPECT_EQ(s, &d);
    ++m;
  };
  d.SetTimeSeparator(':');
  d.SetDateForTime(dtOnePerChart);
  d.SetMonthName(false);
  EXPECT_EQ(m, 0);
  d.SetTimeSeparator('h');
  d.SetDateForTime(dtAllTicks);
  d.SetMonthName(true);
  d.SetYearLength(ylYY);
  d.SetDateSeparator('/');
  EXPECT_EQ(m, 5);
  TDTLabel e;
  e.Assign(&d);
  EXPECT_EQ(e.GetTimeSeparator(), 'h');
  EXPECT_EQ(e.GetDateSeparator(), '/');
  EXPECT_EQ(e.GetDateForTime(), dtAllTicks);
  EXPECT_TRUE(e.GetMonthName());
  EXPECT_EQ(e.GetYearLength(), ylYY);
  EXPECT_TRUE(static_cast<bool>(e.OnChange));
  EXPECT_THROW(e.Assign(&c), EConvertError);
}

}  // namespace
}  // namespace tkz
