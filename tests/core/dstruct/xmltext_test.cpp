// The string array and the associative array share one codec for the
// character references of their XML files: both read the same text alike and
// both keep every byte through a save and a load.
#include <gtest/gtest.h>

#include <string>

#include "core/dstruct/containers.h"
#include "core/dstruct/strarray.h"
#include "support/temp_dir.h"

namespace tkz {
namespace {

class XMLText : public testing_support::TempDirTest {
 protected:
  // The text as a cell of a string array file, read back.
  std::string ThroughCell(const std::string& encoded) {
    Put(Path("s.xml"),
        "<strarray sig=\"Quorvatin\" vers=\"1.0\" id=\"x\">\n<numcols val=1 />\n"
        "<numrows val=1 />\n<cell c=1 r=1>" +
            encoded + "</cell>\n</strarray>\n");
    TStringArray a;
    EXPECT_TRUE(a.LoadFromXMLFile(Path("s.xml"), "x"));
    return a.GetString(1, 1);
  }
  // The text as a string value of an associative array file, read back.
  std::string ThroughAssoc(const std::string& encoded) {
    Put(Path("a.xml"),
        " <assocarray sig=\"Quorvatin\" vers=\"1.0\" id=\"x\">\r\n"
        "  <numentries val=1 />\r\n  <assoc type=256 key=\"k\">" +
            encoded + "</assoc>\r\n </assocarray>\r\n");
    TTextFile f;
    f.AssignFile(Path("a.xml"));
    f.Reset();
    TAssocArray a;
    EXPECT_TRUE(a.ReadFromXMLStream(f, "x"));
    return a.ResolveAsString("k");
  }
};

TEST_F(XMLText, BothFilesReadReferencesAlike) {
  const struct {
    const char* encoded;
    std::string text;
  } cases[] = {
      {"&amp;&lt;&gt;&quot;", "&<>\""},
      {"a&#65;&#0065;&#255;", "aAA\xFF"},
      {"&#9;&#13;&#10;&#1;", "\t\r\n\x01"},
      {"&#0;x", std::string("\0x", 2)},
      // Kept as they stand: too large, hexadecimal, signed, five digits,
      // unknown names, no name, no ";".
      {"&#256;&#x41;&#-1;&#00065;", "&#256;&#x41;&#-1;&#00065;"},
      {"&apos;&nbsp;&;&#;", "&apos;&nbsp;&;&#;"},
      {"&amp &lt", "&amp &lt"},
      {"&&amp;;", "&&;"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.encoded);
    EXPECT_EQ(ThroughCell(c.encoded), c.text);
    EXPECT_EQ(ThroughAssoc(c.encoded), c.text);
  }
}

TEST_F(XMLText, EveryByteSurvivesASaveAndALoad) {
  std::string all;
  for (int b = 0; b < 255; ++b) all += static_cast<char>(b);

  TStringArray s;
  s.SetString(1, 1, all);
  s.SaveAsXMLFile(Path("s.xml"), "x");
  // Cells leave quotes as they are; the quoted attributes of the other file
  // escape them.
  EXPECT_NE(Slurp(Path("s.xml")).find("&#31; !\"#$%&amp;'"), std::string::npos);
  TStringArray s2;
  ASSERT_TRUE(s2.LoadFromXMLFile(Path("s.xml"), "x"));
  EXPECT_EQ(s2.GetString(1, 1), all);

  TAssocArray a;
  a.SetIgnoreCase(false);
  a.SetDataID(all);
  a.Add(all, all);
  TTextFile f;
  f.AssignFile(Path("a.xml"));
  f.Rewrite();
  a.WriteToXMLStream(f, true, "x");
  f.CloseFile();
  EXPECT_NE(Slurp(Path("a.xml")).find("&#31; !&quot;#$%&amp;'"), std::string::npos);
  f.Reset();
  TAssocArray a2;
  ASSERT_TRUE(a2.ReadFromXMLStream(f, "x"));
  EXPECT_EQ(a2.GetDataID(), all);
  EXPECT_EQ(a2.ResolveAsString(all), all);
}

TEST_F(XMLText, CellsStopAtTheirCapacity) {
  std::string many;
  for (int i = 0; i < 300; ++i) many += "&lt;";
  EXPECT_EQ(ThroughCell(many), std::string(255, '<'));
  EXPECT_EQ(ThroughAssoc(many), std::string(300, '<'));
}

}  // namespace
}  // namespace tkz
