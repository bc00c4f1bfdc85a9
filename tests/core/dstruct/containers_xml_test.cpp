#include <gtest/gtest.h>

#include <string>

#include "core/dstruct/containers.h"
#include "support/temp_dir.h"

namespace tkz {
namespace {

using AssocFiles = testing_support::TempDirTest;

class AssocXML : public AssocFiles {
 protected:
  void Write(const TAssocArray& a, const std::string& id, bool header = true) {
    TTextFile f;
    f.AssignFile(Path("a.xml"));
    f.Rewrite();
    a.WriteToXMLStream(f, header, id);
    f.CloseFile();
  }
  bool Read(TAssocArray& a, const std::string& id) {
    TTextFile f;
    f.AssignFile(Path("a.xml"));
    f.Reset();
    const bool ok = a.ReadFromXMLStream(f, id);
    f.CloseFile();
    return ok;
  }
  static std::string Frame(const std::string& body) {
    return "<!-- TAssocArray / TKZ Component Suite -->\r\n"
           " <assocarray sig=\"Quorvatin\" vers=\"1.0\" id=\"X\">\r\n" +
           body;
  }
};

TEST_F(AssocXML, FramesItsElement) {
  TAssocArray a;
  a.SetDataID("units");
  a.Add("Len", "m");
  Write(a, "MAIN");
  const std::string text = Slurp(Path("a.xml"));
  EXPECT_EQ(text.substr(0, 26), " <?xml version=\"1.0\"?>\r\n\r\n");
  EXPECT_NE(text.find(" <!-- TAssocArray / TKZ Component Suite -->\r\n"), std::string::npos);
  EXPECT_NE(text.find(" <assocarray sig=\"Quorvatin\" vers=\"1.0\" id=\"MAIN\" ignorecase=1 "
                      "dataid=\"units\">\r\n"),
            std::string::npos);
  EXPECT_NE(text.find("   <numentries val=1 />\r\n"), std::string::npos);
  EXPECT_NE(text.find("   <assoc type=256 key=\"len\">m</assoc>\r\n"), std::string::npos);
  EXPECT_EQ(text.substr(text.size() - 16), " </assocarray>\r\n");
}

TEST_F(AssocXML, RoundTripKeepsTypesAndAwkwardText) {
  TAssocArray a;
  a.SetIgnoreCase(false);
  a.SetDataID("a \"q\" <b> ignorecase=1");
  a.Add("Str", "x < y & \"z\" </assoc> >\ttab\r\nline");
  a.Add("key with \"quotes\" and <tags>", 1);
  a.Add("dbl", 0.1 + 0.2);
  a.Add("sgl", 1.25f);
  a.Add("i64", int64_t{-1} << 50);
  a.Add("byte", uint8_t{200});
  a.Add("word", uint32_t{4000000000u});
  a.Add("bool", true);
  a.Add("date", TVarDate{45000.75});
  a.Add("null", TVariant(TVarNull{}));
  a.Add("empty", std::string());
  a.Add("type=5", "looks like an attribute");
  Write(a, "MAIN");
  TAssocArray b;
  b.Add("stale", 1);
  ASSERT_TRUE(Read(b, "main"));
  EXPECT_FALSE(b.GetIgnoreCase());
  EXPECT_EQ(b.GetDataID(), "a \"q\" <b> ignorecase=1");
  ASSERT_EQ(b.GetNumEntries(), a.GetNumEntries());
  for (int i = 1; i <= a.GetNumEntries(); ++i) {
    EXPECT_EQ(b.GetKeys(i), a.GetKeys(i));
    EXPECT_EQ(b.GetValues(i).Get(), a.GetValues(i).Get()) << a.GetKeys(i);
  }
  EXPECT_TRUE(b.Resolve("stale").IsNull());
}

TEST_F(AssocXML, FindsTheElementByIdOrChangesNothing) {
  TAssocArray one, two;
  one.Add("k", 1);
  two.Add("k", 2);
  TTextFile f;
  f.AssignFile(Path("a.xml"));
  f.Rewrite();
  one.SetIgnoreCase(false);
  one.WriteToXMLStream(f, true, "One");
  two.WriteToXMLStream(f, false, "Two ignorecase=0");
  f.CloseFile();
  TAssocArray r;
  ASSERT_TRUE(Read(r, " TWO IGNORECASE=0 "));
  EXPECT_EQ(r.ResolveAsInt("k"), 2);
  EXPECT_TRUE(r.GetIgnoreCase());  // the identifier is no attribute
  ASSERT_TRUE(Read(r, ""));
  EXPECT_EQ(r.ResolveAsInt("k"), 1);
  EXPECT_FALSE(r.GetIgnoreCase());
  r.SetDataID("kept");
  EXPECT_FALSE(Read(r, "three"));
  EXPECT_EQ(r.ResolveAsInt("k"), 1);
  EXPECT_EQ(r.GetDataID(), "kept");
}

TEST_F(AssocXML, DamagedFilesKeepWhatWasReadAndReportFalse) {
  TAssocArray r;
  // Truncated inside the element.
  Put(Path("a.xml"), Frame("  <numentries val=2 />\r\n  <assoc type=3 key=\"a\">7</assoc>\r\n"
                           "  <assoc type=3 key=\"b\">8"));
  EXPECT_FALSE(Read(r, ""));
  EXPECT_EQ(r.ResolveAsInt("a"), 7);
  // A count that does not match, and a huge one: nothing sized by it.
  Put(Path("a.xml"), Frame("  <numentries val=5 />\r\n  <assoc type=3 key=\"a\">1</assoc>\r\n"
                           " </assocarray>\r\n"));
  EXPECT_FALSE(Read(r, ""));
  EXPECT_EQ(r.GetNumEntries(), 1);
  Put(Path("a.xml"), Frame("  <numentries val=2147483647 />\r\n </assocarray>\r\n"));
  EXPECT_FALSE(Read(r, ""));
  EXPECT_EQ(r.GetNumEntries(), 0);
  Put(Path("a.xml"), Frame("  <numentries val=-1 />\r\n </assocarray>\r\n"));
  EXPECT_FALSE(Read(r, ""));
  // No count at all.
  Put(Path("a.xml"), Frame(" </assocarray>\r\n"));
  EXPECT_FALSE(Read(r, ""));
  // Garbage values, unknown tags and types, repeated keys.
  Put(Path("a.xml"), Frame("  <numentries val=3 />\r\n  <junk a=1>zz</junk>\r\n"
                           "  <assoc type=3 key=\"n\">12abc</assoc>\r\n"
                           "  <assoc type=17 key=\"b\">99999</assoc>\r\n"
                           "  <assoc type=999 key=\"u\">&#300;&bogus;&#65;</assoc>\r\n"
                           "  <assoc type=5 key=\"N\">abc</assoc>\r\n"
                           " </assocarray>\r\n"));
  EXPECT_TRUE(Read(r, ""));
  EXPECT_EQ(r.GetNumEntries(), 3);
  EXPECT_EQ(r.ResolveAsNumber("n"), 0);  // replaced by the later "N"
  EXPECT_EQ(r.GetValues(2).Get(), TVariant(uint8_t{255}).Get());
  EXPECT_EQ(r.ResolveAsString("u"), "&#300;&bogus;A");
}

}  // namespace
}  // namespace tkz
