#include <gtest/gtest.h>

#include "core/text/stringl.h"

namespace tkz {
namespace {

TEST(ReadNextTagInString, ElementsInOrder) {
  const std::string xml =
      "<?xml version=\"1.0\"?>\r\n<!-- comment <fake> -->\r\n"
      "<geomap sig=\"Quorvatin\"><Caption>Hi <b>x</b></CAPTION>"
      "<posxy x=1 y=\"2>3\" /></geomap>";
  const TStrArray list{"posxy", "caption", "geomap", "/geomap"};
  int pos = 1;
  std::string tag, attrs, content;
  EXPECT_EQ(ReadNextTagInString(xml, pos, list, tag, attrs, content), 2);
  EXPECT_EQ(tag, "geomap");
  EXPECT_EQ(attrs, "sig=\"Quorvatin\"");
  EXPECT_EQ(content.substr(0, 9), "<Caption>");
  EXPECT_EQ(pos, static_cast<int>(xml.size()) + 1);  // past the closing tag

  // Reading inside the element: continue just after its opening tag.
  pos = static_cast<int>(xml.find("<Caption>")) + 1;
  EXPECT_EQ(ReadNextTagInString(xml, pos, list, tag, attrs, content), 1);
  EXPECT_EQ(tag, "caption");
  EXPECT_EQ(content, "Hi <b>x</b>");
  EXPECT_EQ(attrs, "");
  EXPECT_EQ(ReadNextTagInString(xml, pos, list, tag, attrs, content), 0);
  EXPECT_EQ(tag, "posxy");
  EXPECT_EQ(attrs, "x=1 y=\"2>3\"");  // ">" inside quotes does not end the tag
  EXPECT_EQ(content, "");
  EXPECT_EQ(ReadNextTagInString(xml, pos, list, tag, content), 3);
  EXPECT_EQ(tag, "/geomap");
  EXPECT_EQ(ReadNextTagInString(xml, pos, list, tag, content), TagEndOfText);
  EXPECT_EQ(tag, "");
  EXPECT_EQ(pos, static_cast<int>(xml.size()) + 1);
}

TEST(ReadNextTagInString, NestingUnknownTagsAndDamage) {
  std::string tag, content;
  int pos = 1;
  EXPECT_EQ(ReadNextTagInString("<a>1<a>2</a>3</a>tail", pos, {"a"}, tag, content), 0);
  EXPECT_EQ(content, "1<a>2</a>3");
  EXPECT_EQ(pos, 18);

  pos = 1;
  EXPECT_EQ(ReadNextTagInString("x < y <item>v</item>", pos, {"a"}, tag, content), TagNotListed);
  EXPECT_EQ(tag, "item");
  EXPECT_EQ(content, "v");

  pos = 1;  // no closing tag: the content runs to the end
  EXPECT_EQ(ReadNextTagInString("<a>open <b/>", pos, {"a"}, tag, content), 0);
  EXPECT_EQ(content, "open <b/>");
  EXPECT_EQ(pos, 13);

  pos = 1;  // a tag without its ">" ends the scan
  EXPECT_EQ(ReadNextTagInString("text <a href='x", pos, {"a"}, tag, content), TagEndOfText);
  pos = 1;
  EXPECT_EQ(ReadNextTagInString("<!-- never closed <a>", pos, {"a"}, tag, content), TagEndOfText);
  pos = 1;
  EXPECT_EQ(ReadNextTagInString("", pos, {"a"}, tag, content), TagEndOfText);
  pos = -7;
  EXPECT_EQ(ReadNextTagInString("<a/>", pos, {"a"}, tag, content), 0);
  EXPECT_EQ(pos, 5);
  pos = 100;
  EXPECT_EQ(ReadNextTagInString("<a/>", pos, {"a"}, tag, content), TagEndOfText);
  pos = 1;
  EXPECT_EQ(ReadNextTagInString("<![CDATA[<a>]]><b>", pos, {"a", "b"}, tag, content), 1);
}

TEST(DetectNextTagInString, FindsListedTagsOnly) {
  const std::string xml = "<list><item id=1/><other>x</other><ITEM>y</item></list>";
  int pos = 1, kind = -1;
  bool found = false;
  std::string tag;
  DetectNextTagInString(xml, pos, kind, {"item"}, tag, found);
  EXPECT_TRUE(found);
  EXPECT_EQ(kind, 3);
  EXPECT_EQ(tag, "item");
  EXPECT_EQ(xml.substr(static_cast<size_t>(pos) - 1, 7), "<other>");
  DetectNextTagInString(xml, pos, kind, {"item"}, tag, found);
  EXPECT_EQ(kind, 1);
  EXPECT_EQ(xml.substr(static_cast<size_t>(pos) - 1, 2), "y<");
  DetectNextTagInString(xml, pos, kind, {"item"}, tag, found);
  EXPECT_EQ(kind, 2);
  EXPECT_EQ(tag, "item");
  DetectNextTagInString(xml, pos, kind, {"item"}, tag, found);
  EXPECT_FALSE(found);
  EXPECT_EQ(kind, 0);
  EXPECT_EQ(tag, "");
  EXPECT_EQ(pos, static_cast<int>(xml.size()) + 1);

  pos = 1;  // an empty list accepts every tag
  const TStrArray none;
  DetectNextTagInString(xml, pos, kind, none, tag, found);
  EXPECT_TRUE(found);
  EXPECT_EQ(tag, "list");
  EXPECT_EQ(kind, 1);
}

}  // namespace
}  // namespace tkz
