#include "core/text/streams.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "core/platform/stringlist.h"
#include "core/platform/textfile.h"
#include "core/types/univconst.h"
#include "tests/support/short_read_stream.h"

namespace tkz {
namespace {

std::string TempPath(const std::string& name) {
  return (std::filesystem::temp_directory_path() /
          ("tkz_streams_" + std::to_string(::getpid()) + "_" + name))
      .string();
}

TEST(StreamLines, ModesSplitAndStripAsDocumented) {
  TStringStream s0("a\n\nb");
  bool eos = false;
  EXPECT_EQ(ReadLnStream(&s0, eos, 0), "a");
  EXPECT_FALSE(eos);
  EXPECT_EQ(ReadLnStream(&s0, eos, 0), "");
  EXPECT_FALSE(eos);
  EXPECT_EQ(ReadLnStream(&s0, eos, 0), "b");
  EXPECT_TRUE(eos);

  TStringStream s4("x\ry\r\nz");
  EXPECT_EQ(ReadLnStream(&s4, eos, 4), "x\ry");
  EXPECT_EQ(s4.GetPosition(), 5);  // right after the LF
  EXPECT_EQ(ReadLnStream(&s4, eos, 4), "z");

  TStringStream s3("p\n\rq\rr");
  EXPECT_EQ(ReadLnStream(&s3, eos, 3), "p");
  EXPECT_EQ(ReadLnStream(&s3, eos, 3), "q\rr");
  EXPECT_TRUE(eos);

  TStringStream s1("a\nb\rc");
  EXPECT_EQ(ReadLnStream(&s1, eos, 1), "a\nb");
  TStringStream s2("a\r\nb");
  EXPECT_EQ(ReadLnStream(&s2, eos, 2), "a");
  EXPECT_EQ(ReadLnStream(&s2, eos, 2), "");  // the LF alone
  TStringStream s9("a\r\n\x01\xff");
  EXPECT_EQ(ReadLnStream(&s9, eos, 9), "a\r\n\x01\xff");  // never ends, returned unchanged
  EXPECT_TRUE(eos);
}

TEST(StreamLines, FileMemoryAndPlainStreamsSplitAlike) {
  // CR and LF pairs straddle the 64 KiB read-ahead blocks of the file stream.
  std::string data;
  uint32_t x = 7;
  while (data.size() < 200000) {
    x = x * 1103515245u + 12345u;
    const char pick[] = {'a', 'b', '\r', '\n', 'c', '\r', '\n', '\x85'};
    data.push_back(pick[(x >> 16) % 8]);
  }
  const std::string path = TempPath("modes.txt");
  std::ofstream(path, std::ios::binary) << data;
  for (int mode : {0, 1, 2, 3, 4, 7}) {
    TFileStream f(path, fmOpenRead);
    TStringStream m(data);
    testing_support::ShortReadStream p(data);  // readers take it a byte at a time
    for (;;) {
      bool ef = false, em = false, ep = false;
      const std::string lp = ReadLnStream(&p, ep, mode);
      ASSERT_EQ(ReadLnStream(&f, ef, mode), lp) << "mode " << mode;
      ASSERT_EQ(ReadLnStream(&m, em, mode), lp);
      ASSERT_EQ(ef, ep);
      ASSERT_EQ(em, ep);
      ASSERT_EQ(f.GetPosition(), p.GetPosition());
      ASSERT_EQ(m.GetPosition(), p.GetPosition());
      if (ep) break;
    }
  }
  std::filesystem::remove(path);
}

TEST(StreamLines, WriteLnRoundTripsThroughFileAndCountsLines) {
  const std::string path = TempPath("lines.txt");
  {
    TFileStream f(path, fmCreate);
    WriteLnStream(&f, "first");
    WriteStringStream(&f, std::string(10000, 'x'));  // more than one write piece
    WriteLnStream(&f, "");
    WriteLnStream(&f, "last");
  }
  TFileStream f(path, fmOpenRead);
  bool eos = false;
  EXPECT_EQ(ReadLnStream(&f, eos, 0), "first");
  EXPECT_EQ(ReadLnStream(&f, eos, 0), std::string(10000, 'x'));
  EXPECT_EQ(f.GetPosition(), 7 + 10002);
  EXPECT_EQ(CountLinesInStream(&f), 1);
  EXPECT_EQ(f.GetPosition(), f.GetSize());
  f.SetPosition(0);
  EXPECT_EQ(CountLinesInStream(&f), 3);
  std::filesystem::remove(path);
}

TEST(StreamNumbers, BinaryRoundTripAndShortReads) {
  TMemoryStream m;
  WriteLongintToStream(&m, -123456);
  WriteSingleToStream(&m, 1.5f);
  WriteDoubleToStream(&m, -2.25);
  WriteExtendedToStream(&m, 3.0L / 7.0L);
  EXPECT_EQ(m.GetSize(), 4 + 4 + 8 + 10);
  m.SetPosition(0);
  bool err = true;
  EXPECT_EQ(ReadLongintFromStream(&m, err), -123456);
  EXPECT_FALSE(err);
  EXPECT_EQ(ReadSingleFromStream(&m, err), 1.5f);
  EXPECT_EQ(ReadDoubleFromStream(&m, err), -2.25);
  EXPECT_EQ(ReadExtendedFromStream(&m, err), 3.0L / 7.0L);
  EXPECT_FALSE(err);

  TStringStream shortdata("abc");
  ReadDoubleFromStream(&shortdata, err);
  EXPECT_TRUE(err);
  EXPECT_EQ(shortdata.GetPosition(), 3);  // the available bytes are consumed
  ReadLongintFromStream(&shortdata, err);
  EXPECT_TRUE(err);
}

TEST(StreamNumbers, ScanDecimal) {
  TStringStream s(" \r\n-42x+7\t9 +  abc");
  EXPECT_EQ(ScanStreamDecimal(&s), -42);
  EXPECT_EQ(s.GetPosition(), 7);        // "x" consumed
  EXPECT_EQ(ScanStreamDecimal(&s), 7);  // the tab ends it and is consumed
  EXPECT_EQ(ScanStreamDecimal(&s), 9);
  EXPECT_EQ(ScanStreamDecimal(&s), 0);  // a sign without digits
  TStringStream tab("\t5");
  EXPECT_EQ(ScanStreamDecimal(&tab), 0);  // tabs are not skipped
  TStringStream big("99999999999999999999999");
  ScanStreamDecimal(&big);  // wraps silently, no undefined behaviour
  EXPECT_EQ(big.GetPosition(), big.GetSize());
}

long double Fp(const std::string& text, bool exp = true, int mode = 3) {
  TStringStream s(text);
  return ScanStreamFPNum(&s, exp, mode);
}

TEST(StreamNumbers, FloatingPointScanner) {
  TStringStream s("-1,5E3;");
  EXPECT_EQ(ScanStreamFPNum(&s, true, 3), -1500.0L);
  EXPECT_EQ(s.GetPosition(), 7);
  TStringStream s2("-1,5E3;");
  EXPECT_EQ(ScanStreamFPNum(&s2, false, 3), -1.5L);
  EXPECT_EQ(s2.GetPosition(), 5);  // the "E" is consumed

  EXPECT_EQ(Fp(" \t\r\n 12.25 "), 12.25L);
  EXPECT_EQ(Fp("1,5", true, 1), 1.0L);  // "," is no point in mode 1
  EXPECT_EQ(Fp("1.5", true, 2), 1.0L);
  EXPECT_EQ(Fp("1.5", true, 0), 1.0L);
  EXPECT_EQ(Fp("7."), 7.0L);
  EXPECT_EQ(Fp(".5"), 0.5L);
  EXPECT_EQ(Fp("2.5e-2"), 0.025L);
  EXPECT_EQ(Fp("+3"), 3.0L);
  // Malformed numbers give 0.
  EXPECT_EQ(Fp("abc"), 0.0L);
  EXPECT_EQ(Fp("- 1"), 0.0L);
  EXPECT_EQ(Fp("1.2.3"), 0.0L);
  EXPECT_EQ(Fp("1e"), 0.0L);
  EXPECT_EQ(Fp("1e+"), 0.0L);
  EXPECT_EQ(Fp("E5"), 0.0L);
  EXPECT_EQ(Fp(""), 0.0L);
  // Out of range and long inputs.
  EXPECT_EQ(Fp("1e5000"), uc_MaxDouble);
  EXPECT_EQ(Fp("-1e999999999999"), -uc_MaxDouble);
  EXPECT_EQ(Fp("1e-999999999"), 0.0L);
  EXPECT_EQ(Fp("1e400"), uc_MaxDouble);  // beyond double, clamped
  EXPECT_EQ(Fp("1" + std::string(5000, '0')), uc_MaxDouble);
  EXPECT_NEAR(static_cast<double>(Fp(std::string(3000, '0') + "12.5" + std::string(9000, '7'))),
              12.57777, 1e-4);
  EXPECT_NEAR(static_cast<double>(Fp("0." + std::string(4500, '0') + "3e4500")), 0.3, 1e-12);
  EXPECT_NEAR(static_cast<double>(Fp("1" + std::string(300, '0') + "e-300")), 1.0, 1e-12);
}

TEST(StreamReads, WholeStreamAndSearches) {
  TStringStream wide(std::string("H\0i\0\xe9\0!", 7));
  EXPECT_EQ(StreamAsString(&wide), "Hi\xe9");
  const std::string big(600, 'z');
  TStringStream bytes(big);
  EXPECT_EQ(StreamAsByteString(&bytes), big);

  TStringStream f("abcXdef");
  EXPECT_TRUE(FindInStream(&f, 'X'));
  EXPECT_EQ(f.GetPosition(), 4);
  EXPECT_FALSE(FindInStream(&f, 'X'));

  std::string text = std::string(300, '.') + "The END marker" + std::string(300, '-');
  TStringStream u(text);
  u.SetPosition(10);
  int status = 5;
  const std::string got = ReadStreamUntil(&u, "end", status);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(got, text.substr(10, 300 - 10 + 7));  // keeps its case
  EXPECT_EQ(u.GetPosition(), 307);
  EXPECT_EQ(ReadStreamUntil(&u, "nowhere", status), text.substr(307));
  EXPECT_EQ(status, -1);

  // A target that straddles two blocks of 256 bytes is still found.
  for (const size_t at : {250, 254, 255, 256, 510}) {
    const std::string t = std::string(at, 'x') + "<\xC9nd>" + std::string(300, 'y');
    TStringStream b(t);
    ASSERT_EQ(ReadStreamUntil(&b, "<\xE9ND>", status), t.substr(0, at + 5)) << at;
    EXPECT_EQ(status, 0);
    EXPECT_EQ(b.GetPosition(), static_cast<int64_t>(at + 5));
  }
  // An empty target is found at once.
  TStringStream e("abc");
  e.SetPosition(1);
  EXPECT_EQ(ReadStreamUntil(&e, "", status), "");
  EXPECT_EQ(status, 0);
  EXPECT_EQ(e.GetPosition(), 1);
}

TEST(StreamTags, ReadsListedTagsAttributesAndContents) {
  const std::vector<std::string> list{"posxy", "caption", "dummy"};
  std::string a, c;
  TStringStream s("<!-- c --><caption>Hi <b>x</b></Caption><posxy x=1 y=2 /><other k=v>t</other>");
  EXPECT_EQ(ReadNextTagInStream(&s, list, a, c), 1);
  EXPECT_EQ(c, "Hi <b>x</b>");
  EXPECT_EQ(a, "");
  EXPECT_EQ(ReadNextTagInStream(&s, list, a, c), 0);
  EXPECT_EQ(a, "x=1 y=2");
  EXPECT_EQ(c, "");
  EXPECT_EQ(ReadNextTagInStream(&s, list, a, c), 2);
  EXPECT_EQ(a, "k=v");
  EXPECT_EQ(c, "t");
  EXPECT_EQ(s.GetPosition(), s.GetSize());
  EXPECT_EQ(ReadNextTagInStream(&s, list, a, c), 2);
  EXPECT_EQ(a + c, "");

  TStringStream pi("<?xml version=\"1.0\"?>\r\n<caption>x</caption>");
  EXPECT_EQ(ReadNextTagInStream(&pi, {"?xml", "caption", "end"}, a, c), 0);
  EXPECT_EQ(a, "version=\"1.0\"?");
  EXPECT_EQ(c, "\r\n<caption>x</caption>");  // runs to the end of the data
}

TEST(StreamTags, BadInputGetsTheDocumentedResults) {
  std::string a, c;
  const std::vector<std::string> list{"a", "b", "end"};
  TStringStream unclosed("<a k=1>text <b>never closed");
  EXPECT_EQ(ReadNextTagInStream(&unclosed, list, a, c), 0);
  EXPECT_EQ(c, "text <b>never closed");
  TStringStream truncated("<a k=1");
  EXPECT_EQ(ReadNextTagInStream(&truncated, list, a, c), 2);  // never reported as found
  EXPECT_EQ(a, "");
  TStringStream noblank("<a/>");
  EXPECT_EQ(ReadNextTagInStream(&noblank, list, a, c), 2);
  TStringStream closing("</a>");
  EXPECT_EQ(ReadNextTagInStream(&closing, list, a, c), 2);
  TStringStream binary(std::string("\x01\xff<B \x80=\x7f>\0\xfe</b>", 15));
  EXPECT_EQ(ReadNextTagInStream(&binary, list, a, c), 1);
  EXPECT_EQ(a, "\x80=\x7f");
  EXPECT_EQ(c, std::string("\0\xfe", 2));
  TStringStream named("x</End><Pos a=1 /><b></b>");
  const TTagRead closing_tag = ReadTagFromStream(&named, list);
  EXPECT_TRUE(closing_tag.Complete);
  EXPECT_EQ(closing_tag.Name, "/end");
  EXPECT_EQ(ReadTagFromStream(&named, list).Name, "pos");
  EXPECT_EQ(ReadTagFromStream(&named, list).Index, 1);
  EXPECT_FALSE(ReadTagFromStream(&named, list).Complete);
  TStringStream empty("");
  EXPECT_EQ(ReadNextTagInStream(&empty, std::span<const std::string>(), a, c), -1);

  // A huge element keeps only kMaxTagLength bytes but ends after its closing tag.
  std::string huge = "<a>" + std::string(kMaxTagLength + 10, 'q') + "</a><b>n</b>";
  TStringStream hs(huge);
  EXPECT_EQ(ReadNextTagInStream(&hs, list, a, c), 0);
  EXPECT_EQ(c.size(), kMaxTagLength);
  EXPECT_EQ(ReadNextTagInStream(&hs, list, a, c), 1);
  EXPECT_EQ(c, "n");
}

TEST(StreamTags, TextFileDropsTextAfterTheLastBracket) {
  const std::string path = TempPath("tags.xml");
  std::ofstream(path, std::ios::binary) << "<!DOCTYPE x><caption k=\"v\">A<i>b</i></caption>\r\n"
                                           "<caption>one<br>tail";
  TTextFile f;
  f.AssignFile(path);
  f.Reset();
  std::string a, c;
  EXPECT_EQ(ReadNextTagInTextFile(f, {"caption", "end"}, a, c), 0);
  EXPECT_EQ(a, "k=\"v\"");
  EXPECT_EQ(c, "A<i>b</i>");
  EXPECT_EQ(ReadNextTagInTextFile(f, {"caption", "end"}, a, c), 0);
  EXPECT_EQ(c, "one<br>");
  EXPECT_EQ(ReadNextTagInTextFile(f, {"caption", "end"}, a, c), 1);
  f.CloseFile();
  std::filesystem::remove(path);
}

TEST(StreamTags, AttributeScanner) {
  EXPECT_EQ(ScanForXMLAttrib("x=12.5 y=\"3 4\"", "y"), "3 4");
  EXPECT_EQ(ScanForXMLAttrib("x=12.5 y=\"3 4\"", "X"), "12.5");
  EXPECT_EQ(ScanForXMLAttrib("a=1 b", "b"), "");
  EXPECT_EQ(ScanForXMLAttrib("a==1", "a"), "");
  EXPECT_EQ(ScanForXMLAttrib("  Name = \"MiXed\"  ", "name"), "MiXed");
  EXPECT_EQ(ScanForXMLAttrib("a=\"unbalanced b=2", "a"), "unbalanced b=2");
  EXPECT_EQ(ScanForXMLAttrib("a\"=1 b=2", "b"), "");  // malformed before b
  EXPECT_EQ(ScanForXMLAttrib("a='1 2'", "a"), "'1");
  EXPECT_EQ(ScanForXMLAttrib("a=1", "missing"), "");
}

TEST(StreamTags, ScanAndSkipHelpers) {
  std::string a, c;
  TStringStream s("<root><!-- x --><grp><Item id=1>v</item></grp><item id=2 /></root>");
  EXPECT_TRUE(ScanStreamForXMLTag(&s, "ITEM", a, c));  // found inside <grp>
  EXPECT_EQ(a, "id=1");
  EXPECT_EQ(c, "v");
  EXPECT_TRUE(ScanStreamForXMLTag(&s, "item", a, c));
  EXPECT_EQ(a, "id=2");
  EXPECT_FALSE(ScanStreamForXMLTag(&s, "item", a, c));

  const std::vector<std::string> list{"item", "/root"};
  TStringStream u("head <root><item k=1>x</item></root>");
  int index = 7;
  EXPECT_EQ(ReadStreamUntilTagList(&u, list, index), "head <root>");
  EXPECT_EQ(index, 0);
  EXPECT_EQ(ReadNextTagInStream(&u, list, a, c), 0);  // the stream stands on "<item"
  EXPECT_EQ(c, "x");
  EXPECT_EQ(ReadStreamUntilTagList(&u, list, index), "");
  EXPECT_EQ(index, 1);
  TStringStream none("plain <b");
  EXPECT_EQ(ReadStreamUntilTagList(&none, list, index), "plain <b");
  EXPECT_EQ(index, -1);
}

TEST(StreamEdits, ExtractAndSearchAndReplace) {
  TStringStream src("alpha\r\nBeta line\nnothing\ngamma BETA");
  TStringList list;
  list.Add("beta");
  list.Add("");
  TMemoryStream out;
  EXPECT_EQ(ExtractFromStream(&src, out, list), 2);
  EXPECT_EQ(std::string(out.Memory(), out.GetSize()), "Beta line\r\ngamma BETA\r\n");

  TMemoryStream m;
  WriteStringStream(&m, "aXa xa XA");
  EXPECT_EQ(SearchAndReplace(m, "xa", "<>", true, 1, 0), 3);
  EXPECT_EQ(std::string(m.Memory(), m.GetSize()), "a<> <> <>");
  EXPECT_EQ(SearchAndReplace(m, "<>", "", false, 0, 2,
                             [](const std::string& f, std::string& r) { r = f + f; }),
            2);
  EXPECT_EQ(std::string(m.Memory(), m.GetSize()), "a<><> <><> <>");
  EXPECT_EQ(SearchAndReplace(m, "", "q", false, 0, 0), 0);
  EXPECT_EQ(m.GetPosition(), 0);
}

TEST(MixedFStream, TextAndNumbersShareOneFile) {
  const std::string path = TempPath("mixed.bin");
  {
    TMixedFStream f(path, fmCreate);
    f.WriteLn("head\tline\x01");
    f.WriteInteger(77);
    f.WriteDouble(0.5);
    f.WriteByte(200);
    f.Write(" 12 3,25E1\r\nend");
  }
  TMixedFStream f(path, fmOpenRead);
  EXPECT_EQ(f.ReadLn(0), "head\tline");  // control characters other than tab dropped
  bool err = true;
  EXPECT_EQ(f.ReadInteger(err), 77);
  EXPECT_EQ(f.ReadDouble(err), 0.5);
  EXPECT_EQ(f.ReadByte(err), 200);
  EXPECT_FALSE(err);
  EXPECT_EQ(f.ReadDecimal(), 12);
  EXPECT_EQ(f.ReadFPNum(true, 2), 32.5L);
  EXPECT_EQ(f.ReadLn(0), "");  // the LF after the consumed CR
  EXPECT_FALSE(f.Eos());
  EXPECT_EQ(f.ReadLn(0), "end");
  EXPECT_TRUE(f.Eos());
  f.ReadExtended(err);
  EXPECT_TRUE(err);
  std::filesystem::remove(path);
}

}  // namespace
}  // namespace tkz
