#include "core/text/htmlsupport.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

namespace tkz {
namespace {

TEST(HtmlUrl, EncodeReplacesExactlyTheReservedCharacters) {
  EXPECT_EQ(URLEncode("a b"), "a%20b");
  EXPECT_EQ(URLEncode("50% off!"), "50%25%20off%21");
  EXPECT_EQ(URLEncode("!*'();:&=+$,/?%#[]@ "),
            "%21%2A%27%28%29%3B%3A%26%3D%2B%24%2C%2F%3F%25%23%5B%5D%40%20");
  EXPECT_EQ(URLEncode("AZaz09-._~\xE9\x01"), "AZaz09-._~\xE9\x01");
  EXPECT_EQ(URLEncode(""), "");
}

TEST(HtmlUrl, DecodeKeepsIncompleteEscapes) {
  EXPECT_EQ(URLDecode("a%20b"), "a b");
  EXPECT_EQ(URLDecode("%4a%4A"), "JJ");
  EXPECT_EQ(URLDecode("%4"), "%4");
  EXPECT_EQ(URLDecode("%"), "%");
  EXPECT_EQ(URLDecode("%zz%2"), "%zz%2");
  EXPECT_EQ(URLDecode("%%41"), "%A");
  EXPECT_EQ(URLDecode("%00x%FF"), std::string("\0x\xFF", 3));
}

TEST(HtmlUrl, DecodeIsSinglePassSoEncodedTextRoundTrips) {
  EXPECT_EQ(URLDecode("%2541"), "%41");
  for (std::string s : {"%41", "100%25", "%%%", "a b&c=d/e?f#g", "\xFF\x80%2"})
    EXPECT_EQ(URLDecode(URLEncode(s)), s) << s;
}

TEST(HtmlUrl, ExtractHTTPPath) {
  EXPECT_EQ(ExtractHTTPPath("http://a.org/b/c.htm"), "a.org/b/");
  EXPECT_EQ(ExtractHTTPPath("HtTp://a.org/c.htm"), "a.org/");
  EXPECT_EQ(ExtractHTTPPath("see http://a.org/x/y"), "a.org/x/");
  EXPECT_EQ(ExtractHTTPPath("a/b/c.htm"), "a/b/");
  EXPECT_EQ(ExtractHTTPPath("http://a.org"), "");
  EXPECT_EQ(ExtractHTTPPath("c.htm"), "");
  EXPECT_EQ(ExtractHTTPPath(""), "");
  EXPECT_EQ(ExtractHTTPPath("http:/"), "http:/");
}

TEST(HtmlWords, CountsWordsOutsideTagsOnly) {
  bool in_tag = false;
  EXPECT_EQ(CountWordsHTML("<p>hello world</p>", false, in_tag), 2);
  EXPECT_FALSE(in_tag);
  EXPECT_EQ(CountWordsHTML("<a href=\"x y z\">ab</a> ", false, in_tag), 1);
  EXPECT_EQ(CountWordsHTML("a b cd ", false, in_tag), 1);      // single letters are no words
  EXPECT_EQ(CountWordsHTML("hello world", false, in_tag), 1);  // run at the end not counted
}

TEST(HtmlWords, SkipNumbersDropsRunsStartingWithADigit) {
  bool in_tag = false;
  EXPECT_EQ(CountWordsHTML("12 3d ab1 x ", false, in_tag), 3);
  EXPECT_EQ(CountWordsHTML("12 3d ab1 x ", true, in_tag), 1);
}

TEST(HtmlWords, TagStateCarriesOverBetweenPieces) {
  bool in_tag = false;
  EXPECT_EQ(CountWordsHTML("one <b class=", false, in_tag), 1);
  EXPECT_TRUE(in_tag);
  EXPECT_EQ(CountWordsHTML("big words>two three ", false, in_tag), 2);
  EXPECT_FALSE(in_tag);
}

TEST(HtmlEntities, CharacterToReference) {
  EXPECT_EQ(AnsiToHTMLEntity('&'), "&amp;");
  EXPECT_EQ(AnsiToHTMLEntity('<'), "&lt;");
  EXPECT_EQ(AnsiToHTMLEntity('>'), "&gt;");
  EXPECT_EQ(AnsiToHTMLEntity('"'), "&quot;");
  EXPECT_EQ(AnsiToHTMLEntity('\xA0'), "&nbsp;");
  EXPECT_EQ(AnsiToHTMLEntity('\xE9'), "&eacute;");
  EXPECT_EQ(AnsiToHTMLEntity('\xFF'), "&yuml;");
  EXPECT_EQ(AnsiToHTMLEntity('\x80'), "&#8364;");
  EXPECT_EQ(AnsiToHTMLEntity('\x81'), "\x81");  // undefined in the code page
  EXPECT_EQ(AnsiToHTMLEntity('a'), "a");
  EXPECT_EQ(AnsiToHTMLEntity('\0'), std::string(1, '\0'));
}

TEST(HtmlEntities, EveryCharacterRoundTripsThroughItsReference) {
  for (int c = 0; c < 256; ++c) {
    const char ch = static_cast<char>(c);
    EXPECT_EQ(HTMLEntityToAnsi(AnsiToHTMLEntity(ch)), std::string(1, ch)) << c;
  }
}

TEST(HtmlEntities, ReferenceToCharacter) {
  EXPECT_EQ(HTMLEntityToAnsi("&amp;"), "&");
  EXPECT_EQ(HTMLEntityToAnsi("&apos;"), "'");
  EXPECT_EQ(HTMLEntityToAnsi("&Auml;"), "\xC4");
  EXPECT_EQ(HTMLEntityToAnsi("&auml;"), "\xE4");
  EXPECT_EQ(HTMLEntityToAnsi("&#65;"), "A");
  EXPECT_EQ(HTMLEntityToAnsi("&#x41;"), "A");
  EXPECT_EQ(HTMLEntityToAnsi("&#X6a;"), "j");
  EXPECT_EQ(HTMLEntityToAnsi("&#0000065;"), "A");
  EXPECT_EQ(HTMLEntityToAnsi("&#8364;"), "\x80");
  EXPECT_EQ(HTMLEntityToAnsi("&#150;"), "\x96");
}

TEST(HtmlEntities, UnknownOrMalformedReferencesStayAsGiven) {
  for (std::string e :
       {"&AUML;", "&amp", "amp;", "&;", "&#;", "&#x;", "&#0;", "&#65a;", "&#xG1;", "&#12345678;",
        "&#9731;", "&#99999999999999999999;", " &amp;", "&amp; ", "&bogus;", ""})
    EXPECT_EQ(HTMLEntityToAnsi(e), e) << e;
}

TEST(HtmlEntities, MakeCompatibleAndResolveAreInverse) {
  EXPECT_EQ(MakeStringHTMLCompatible("a<b & \"c\" \xE9"), "a&lt;b &amp; &quot;c&quot; &eacute;");
  std::string all;
  for (int c = 0; c < 256; ++c) all += static_cast<char>(c);
  EXPECT_EQ(ResolveHTMLEntities(MakeStringHTMLCompatible(all)), all);
}

TEST(HtmlEntities, ResolveHandlesBadReferences) {
  EXPECT_EQ(ResolveHTMLEntities("a &lt;b&gt; &amp;lt;"), "a <b> &lt;");
  EXPECT_EQ(ResolveHTMLEntities("&amp"), "&amp");
  EXPECT_EQ(ResolveHTMLEntities("&&amp;;"), "&&;");
  EXPECT_EQ(ResolveHTMLEntities("&bogus; &#x20ac;&#8364"), "&bogus; \x80&#8364");
  EXPECT_EQ(ResolveHTMLEntities("&verylongname;"), "&verylongname;");
  EXPECT_EQ(ResolveHTMLEntities("&"), "&");
}

TEST(HtmlFrames, HeadAndFoot) {
  const std::string head = DefaultHTMLHead("R&D", "M\xFCller", "", "bgcolor=\"#FFFFFF\"", true);
  EXPECT_EQ(head,
            "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\">\n"
            "<html>\n<head>\n"
            "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1252\">\n"
            "<title>R&amp;D</title>\n"
            "<meta name=\"author\" content=\"M&uuml;ller\">\n"
            "</head>\n<body bgcolor=\"#FFFFFF\">\n");
  const std::string bare = DefaultHTMLHead("t", "", "k\"", "", false);
  EXPECT_NE(bare.find("<meta name=\"keywords\" content=\"k&quot;\">\n</head>\n"),
            std::string::npos);
  EXPECT_EQ(bare.find("<body"), std::string::npos);
  EXPECT_EQ(bare.find("author"), std::string::npos);
  EXPECT_EQ(DefaultHTMLFoot(true), "</body>\n</html>\n");
  EXPECT_EQ(DefaultHTMLFoot(false), "</html>\n");
  EXPECT_EQ(ExtractHTMLBody(head + "x" + DefaultHTMLFoot(true)), "\nx");
}

TEST(HtmlFrames, ExtractBody) {
  EXPECT_EQ(ExtractHTMLBody("<html><BODY class=a>text</Body></html>"), "text");
  EXPECT_EQ(ExtractHTMLBody("<bodyguard>x</bodyguard><body>y"), "y");
  EXPECT_EQ(ExtractHTMLBody("fragment"), "fragment");
  EXPECT_EQ(ExtractHTMLBody("<body"), "");
  EXPECT_EQ(ExtractHTMLBody("<body>a</body>b</body>"), "a</body>b");
}

TEST(HtmlFrames, BodyToText) {
  EXPECT_EQ(ConvertHTMLBodyToText("<html><head><title>T</title></head><body>\n"
                                  "<h1>Head</h1>\n<p>One  <b>two</b>\tthree<br>four &lt;b&gt;"
                                  "<!-- note --><script>var a = '<p>';</script></body></html>",
                                  '|'),
            "|Head||One two three|four <b>");
  EXPECT_EQ(ConvertHTMLBodyToText("a<br>b < c<p>d", '\0'), "ab < cd");
  EXPECT_EQ(ConvertHTMLBodyToText("a<b", '\n'), "a");
  EXPECT_EQ(ConvertHTMLBodyToText("a<!-- open", '\n'), "a");
  EXPECT_EQ(ConvertHTMLBodyToText("a<style>b", '\n'), "a");
}

TEST(HtmlProducer, ConvertReplacesTagsThroughTheHandler) {
  THtmlProducer p;
  p.SetTemplate("x<#Date>y<#link  href=a b  >z");
  std::vector<std::pair<std::string, std::string>> calls;
  p.OnHTMLTag = [&](TObject* sender, const std::string& name, const std::string& params,
                    std::string& repl) {
    EXPECT_EQ(sender, &p);
    calls.emplace_back(name, params);
    if (name == "date") {
      EXPECT_EQ(repl, "<#Date>");
      repl = "2024";
    }
  };
  EXPECT_EQ(p.Convert(), "x2024y<#link  href=a b  >z");
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_EQ(calls[0], (std::pair<std::string, std::string>("date", "")));
  EXPECT_EQ(calls[1], (std::pair<std::string, std::string>("link", "href=a b")));
  EXPECT_EQ(p.GetConvertedHTML(), "x2024y<#link  href=a b  >z");
}

TEST(HtmlProducer, OrdinaryAndUnterminatedTags) {
  THtmlProducer p;
  for (std::string t : {"a<b", "a<", "<", "<#", "a<#x", "<<#>>", "<#a <#b>>", ""}) {
    p.SetTemplate(t);
    EXPECT_EQ(p.Convert(), t) << t;
  }
  std::vector<std::string> names;
  p.OnHTMLTag = [&](TObject*, const std::string& name, const std::string& params, std::string& r) {
    names.push_back(name + "|" + params);
    r = "[" + r + "]";
  };
  p.SetTemplate("<#>a<#x y<#z");
  EXPECT_EQ(p.Convert(), "[<#>]a[<#x y<#z]");
  EXPECT_EQ(names, (std::vector<std::string>{"|", "x|y<#z"}));
}

TEST(HtmlProducer, HandlerErrorKeepsThePreviousResult) {
  THtmlProducer p;
  p.SetTemplate("a<#t>");
  p.Convert();
  p.OnHTMLTag = [&](TObject*, const std::string&, const std::string&, std::string&) {
    p.SetTemplate("changed");
    throw ETKZError("no");
  };
  EXPECT_THROW(p.Convert(), ETKZError);
  EXPECT_EQ(p.GetConvertedHTML(), "a<#t>");
}

TEST(HtmlProducer, StreamsAndFiles) {
  const auto dir =
      std::filesystem::temp_directory_path() / ("tkz_html_" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  const std::string in = (dir / "t.htm").string(), out = (dir / "o.htm").string();
  { std::ofstream(in, std::ios::binary) << "<p><#n></p>\r\n\xE9"; }

  THtmlProducer p;
  p.OnHTMLTag = [](TObject*, const std::string&, const std::string&, std::string& r) { r = "7"; };
  p.ReadTemplateFromFile(in);
  EXPECT_EQ(p.GetTemplate(), "<p><#n></p>\r\n\xE9");
  EXPECT_THROW(p.ReadTemplateFromFile((dir / "missing").string()), EInOutError);
  EXPECT_EQ(p.GetTemplate(), "<p><#n></p>\r\n\xE9");

  TStringStream src("skip<#n>");
  src.SetPosition(4);
  p.ReadTemplateFromStream(&src);
  EXPECT_EQ(p.Convert(), "7");
  p.SetTemplate("<p><#n></p>");
  p.Convert();

  TMemoryStream* s1 = p.ConvertedHTMLAsStream();
  EXPECT_EQ(s1->GetPosition(), 0);
  EXPECT_EQ(std::string(s1->Memory(), static_cast<size_t>(s1->GetSize())), "<p>7</p>");
  TMemoryStream* s2 = p.ConvertedHTMLAsStream();
  EXPECT_EQ(s2->GetSize(), 8);

  { std::ofstream(out, std::ios::binary) << "an older and longer file"; }
  p.WriteConvertedHTMLToFile(out);
  std::stringstream got;
  got << std::ifstream(out, std::ios::binary).rdbuf();
  EXPECT_EQ(got.str(), "<p>7</p>");
  EXPECT_THROW(p.WriteConvertedHTMLToFile((dir / "no" / "x.htm").string()), EInOutError);
  std::filesystem::remove_all(dir);
}

TEST(HtmlProducer, OwnerFreesTheProducer) {
  TComponent owner;
  auto* p = new THtmlProducer(&owner);
  p->SetTemplate("x");
  EXPECT_EQ(p->Convert(), "x");
  EXPECT_EQ(p->GetOwner(), &owner);
}

TEST(HtmlBadInput, LargeDegenerateInputsGiveExactResults) {
  const size_t n = 1 << 20;
  const std::string percents(n, '%'), amps(n, '&'), lts(n, '<');
  EXPECT_EQ(URLDecode(percents), percents);
  EXPECT_EQ(ResolveHTMLEntities(amps), amps);
  EXPECT_EQ(ExtractHTMLBody(lts), lts);
  EXPECT_EQ(ConvertHTMLBodyToText(lts, '\n'), lts);
  bool in_tag = false;
  EXPECT_EQ(CountWordsHTML(lts, false, in_tag), 0);
  EXPECT_TRUE(in_tag);

  std::string tags;
  for (int i = 0; i < 100000; ++i) tags += "<#t>";
  THtmlProducer p;
  p.SetTemplate(tags + "<#open" + std::string(n, ' '));
  int calls = 0;
  p.OnHTMLTag = [&](TObject*, const std::string&, const std::string&, std::string& r) {
    ++calls;
    r.clear();
  };
  EXPECT_EQ(p.Convert(), "");
  EXPECT_EQ(calls, 100001);
}

}  // namespace
}  // namespace tkz
