#include "core/text/regex.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <random>
#include <string>

#include "core/types/tkzbase.h"
#include "tests/support/grep_reference.h"
#include "tests/support/temp_dir.h"

namespace tkz {
namespace {

int Compile(const std::string& e, bool ignore_case = false) {
  TGrep g;
  g.SetIgnoreCase(ignore_case);
  return g.CompileRegExp(e);
}

// Match position and last matched position, or {0, 0}.
std::pair<int, int> Find(const std::string& e, const std::string& s, int start = 1,
                         bool ignore_case = false) {
  TGrep g;
  g.SetIgnoreCase(ignore_case);
  g.SetRegExp(e);
  g.SetSearchStartPos(start);
  int pos = -1;
  if (!g.MatchString(s, pos)) {
    EXPECT_EQ(pos, 0);
    return {0, 0};
  }
  EXPECT_EQ(pos, g.GetMatchStart());
  return {pos, g.GetMatchEnd()};
}

std::string Literal(const TGrepToken& t) { return std::string(t.Payload.data() + 1, t.Count); }

TEST(TGrepCompile, ReportsEachErrorCode) {
  EXPECT_EQ(Compile("*a"), 1);
  EXPECT_EQ(Compile("$"), 1);
  EXPECT_EQ(Compile("+"), 1);
  EXPECT_EQ(Compile("ab^"), 2);
  EXPECT_EQ(Compile("(a^b)"), 2);
  EXPECT_EQ(Compile("a$b"), 3);
  EXPECT_EQ(Compile("a$*"), 3);
  EXPECT_EQ(Compile("a[]"), 4);
  EXPECT_EQ(Compile("a[^]"), 4);
  EXPECT_EQ(Compile("[a^b]"), 5);
  EXPECT_EQ(Compile("a]b"), 6);
  EXPECT_EQ(Compile("[abc"), 6);
  EXPECT_EQ(Compile("[-a]"), 7);
  EXPECT_EQ(Compile("[^-a]"), 7);
  EXPECT_EQ(Compile("[a]-"), 7);
  EXPECT_EQ(Compile("a)"), 8);
  EXPECT_EQ(Compile("^*"), 9);
  EXPECT_EQ(Compile("a**"), 9);
  EXPECT_EQ(Compile("()*"), 9);
  EXPECT_EQ(Compile(std::string(65, '.')), TGrep::kErrTooManyTokens);
  EXPECT_EQ(Compile(std::string(64, '.')), 0);
  EXPECT_EQ(Compile("(" + std::string(256, 'x') + ")"), TGrep::kErrGroupTooLong);
  EXPECT_EQ(GrepErrorText(9), "*, ?, + have to be applied to groups or sets only");
  EXPECT_EQ(GrepErrorText(0), "");
}

TEST(TGrepCompile, StopOnErrorRaisesWithComponentName) {
  TGrep g;
  g.SetName("Grep1");
  try {
    g.SetRegExp("*a");
    FAIL() << "no exception";
  } catch (const ETKZStringlError& e) {
    EXPECT_STREQ(e.what(),
                 "Component \"Grep1\": error in regular expression - reg.exp. must not start with "
                 "$, *, ?, or +");
  }
  g.SetStopOnError(false);
  g.SetRegExp("*a");
  EXPECT_EQ(g.GetErrorCode(), 1);
  EXPECT_EQ(g.GetTokenCount(), 0);
  int pos = 5;
  EXPECT_FALSE(g.MatchString("*a", pos));
  EXPECT_EQ(pos, 0);
  // SetIgnoreCase recompiles without raising.
  g.SetStopOnError(true);
  g.SetIgnoreCase(true);
  EXPECT_EQ(g.GetErrorCode(), 1);
}

TEST(TGrepCompile, StartsWithTheDocumentedDefaults) {
  TComponent owner;
  auto* g = new TGrep(&owner);  // freed by its owner
  EXPECT_FALSE(g->GetIgnoreCase());
  EXPECT_EQ(g->GetRegExp(), "");
  EXPECT_EQ(g->GetSearchStartPos(), 1);
  EXPECT_TRUE(g->GetStopOnError());
  EXPECT_EQ(g->GetErrorCode(), 0);
  EXPECT_EQ(g->GetTokenCount(), 0);
  int pos = 7;
  EXPECT_FALSE(g->MatchString("abc", pos));  // nothing compiled, nothing matches
  EXPECT_EQ(pos, 0);
}

TEST(TGrepCompile, CompileRegExpKeepsItsErrorCode) {
  TGrep g;
  g.SetRegExp("ab");
  EXPECT_EQ(g.CompileRegExp("a]b"), 6);
  EXPECT_EQ(g.GetErrorCode(), 6);
  EXPECT_EQ(g.GetTokenCount(), 0);
  EXPECT_EQ(g.GetRegExp(), "ab");  // the stored expression stays
  EXPECT_EQ(g.CompileRegExp("x[0-9]"), 0);
  EXPECT_EQ(g.GetErrorCode(), 0);
  int pos;
  EXPECT_TRUE(g.MatchString("ax5", pos));
  EXPECT_EQ(pos, 2);
}

TEST(TGrepCompile, SetIgnoreCaseRecompilesTheStoredExpression) {
  TGrep g;
  g.SetRegExp("AB[C-D]");
  int pos;
  EXPECT_FALSE(g.MatchString("xabd", pos));
  g.SetIgnoreCase(true);
  EXPECT_TRUE(g.MatchString("xabd", pos));
  EXPECT_EQ(pos, 2);
  g.SetIgnoreCase(false);
  EXPECT_FALSE(g.MatchString("xabd", pos));
  EXPECT_TRUE(g.MatchString("xABD", pos));
}

TEST(TGrepCompile, BuildsTokens) {
  TGrep g;
  g.SetRegExp("abc*");  // the quantifier takes only the last character
  ASSERT_EQ(g.GetTokenCount(), 2);
  EXPECT_EQ(g.GetRegExpToken(1).Action, taNormal);
  EXPECT_EQ(Literal(g.GetRegExpToken(1)), "ab");
  EXPECT_EQ(g.GetRegExpToken(2).Action, taMult0);
  EXPECT_EQ(Literal(g.GetRegExpToken(2)), "c");
  EXPECT_EQ(g.GetRegExpToken(99).Action, taMult0);  // clamped
  EXPECT_EQ(g.GetRegExpToken(-3).Action, taNormal);

  g.SetRegExp("\\#41B");
  ASSERT_EQ(g.GetTokenCount(), 1);
  EXPECT_EQ(Literal(g.GetRegExpToken(1)), "AB");
  g.SetRegExp("(ab");  // unterminated group: literal
  EXPECT_EQ(Literal(g.GetRegExpToken(1)), "ab");
  g.SetRegExp("(a$*.)(b)+");  // groups are literal; adjacent groups join
  ASSERT_EQ(g.GetTokenCount(), 1);
  EXPECT_EQ(g.GetRegExpToken(1).Action, taMult1);
  EXPECT_EQ(Literal(g.GetRegExpToken(1)), "a$*.b");
  g.SetRegExp(".?[z-x]*");
  ASSERT_EQ(g.GetTokenCount(), 2);
  EXPECT_EQ(g.GetRegExpToken(1).Count, 0);
  const TGrepToken set = g.GetRegExpToken(2);
  EXPECT_EQ(set.Count, -1);
  EXPECT_EQ(set.Payload['x'], '*');
  EXPECT_EQ(set.Payload['z'], '*');
  EXPECT_EQ(set.Payload['w'], ' ');
  g.SetRegExp("[^a]");
  EXPECT_EQ(g.GetRegExpToken(1).Payload['a'], ' ');
  EXPECT_EQ(g.GetRegExpToken(1).Payload['b'], '*');
  // Characters given by code are literal even when special.
  g.SetRegExp("\\#5b\\#2A");
  EXPECT_EQ(Literal(g.GetRegExpToken(1)), "[*");
  // Long literal runs continue in further tokens.
  g.SetRegExp(std::string(600, 'q'));
  EXPECT_EQ(g.GetTokenCount(), 3);
  g.SetRegExp("");
  EXPECT_EQ(g.GetTokenCount(), 0);
  EXPECT_EQ(g.GetRegExpToken(1).Count, 0);  // no trace of the last expression
  int pos;
  EXPECT_FALSE(g.MatchString("abc", pos));
}

// Literal text of all tokens of a compiled expression.
std::string AllLiterals(const TGrep& g) {
  std::string r;
  for (int i = 1; i <= g.GetTokenCount(); ++i) r += Literal(g.GetRegExpToken(i));
  return r;
}

TEST(TGrepCompile, LongLiteralRunsSpreadOverTokens) {
  for (int len : {1, 254, 255, 256, 257, 300, 509, 510, 511, 766}) {
    std::mt19937 rng(static_cast<unsigned>(len));
    std::string run;
    for (int i = 0; i < len; ++i) run.push_back(static_cast<char>('a' + rng() % 26));
    SCOPED_TRACE("run of " + std::to_string(len));
    TGrep g;
    g.SetRegExp(run);
    ASSERT_EQ(g.GetTokenCount(), (len + 254) / 255);
    for (int i = 1; i <= g.GetTokenCount(); ++i) {
      EXPECT_EQ(g.GetRegExpToken(i).Action, taNormal);
      EXPECT_EQ(g.GetRegExpToken(i).Count, std::min(255, len - 255 * (i - 1)));
    }
    EXPECT_EQ(AllLiterals(g), run);
    EXPECT_EQ(Find(run, "xy" + run + "yx"), std::make_pair(3, 2 + len));
    EXPECT_EQ(Find(run, "xy" + run.substr(0, len - 1)), std::make_pair(0, 0));
    for (int at : {253, 254, 255, 256, len - 1}) {  // one byte off, around the token edge
      if (at < 0 || at >= len) continue;
      std::string off = run;
      off[static_cast<size_t>(at)] = '#';
      EXPECT_EQ(Find(run, off + run), std::make_pair(len + 1, 2 * len)) << at;
    }
    std::string upper = run;
    for (char& c : upper) c = static_cast<char>(c - 'a' + 'A');
    EXPECT_EQ(Find(upper, "-" + run, 1, true), std::make_pair(2, 1 + len));
    // A quantifier takes the last character only, wherever the run was cut.
    EXPECT_EQ(Find(run + "9*", "xy" + run + "999y"), std::make_pair(3, 2 + len + 3));
    g.SetRegExp(run + "9+");
    EXPECT_EQ(AllLiterals(g), run + "9");
    EXPECT_EQ(g.GetRegExpToken(g.GetTokenCount()).Action, taMult1);
  }
}

TEST(TGrepCompile, GroupsUpTo255Characters) {
  const std::string x254(254, 'x');
  struct Case {
    std::string expr;
    int code;
    std::string literal;  // of all tokens, when compiled
  };
  const Case cases[] = {
      {"(" + x254 + "y)", 0, x254 + "y"},
      {"(" + x254 + "yz)", TGrep::kErrGroupTooLong, ""},
      {"(" + x254 + "\\))", 0, x254 + ")"},  // an escaped bracket is one character
      {"(" + std::string(252, 'x') + "\\#41\\#42\\#43)", 0, std::string(252, 'x') + "ABC"},
      {"(" + std::string(200, 'x') + ")(" + std::string(55, 'y') + ")", 0,
       std::string(200, 'x') + std::string(55, 'y')},
      {"(" + std::string(200, 'x') + ")(" + std::string(56, 'y') + ")", TGrep::kErrGroupTooLong,
       ""},
      {"(" + x254 + "y)abc", 0, x254 + "yabc"},  // a literal after a full group: next token
      {"(" + x254 + "y)+", 0, x254 + "y"},
      {"(" + x254 + "y", 0, x254 + "y"},  // unterminated: literal
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.expr.substr(c.expr.size() > 20 ? c.expr.size() - 20 : 0));
    TGrep g;
    g.SetStopOnError(false);
    g.SetRegExp(c.expr);
    EXPECT_EQ(g.GetErrorCode(), c.code);
    EXPECT_EQ(AllLiterals(g), c.literal);
    if (c.code != 0) {
      EXPECT_EQ(g.GetTokenCount(), 0);
      g.SetStopOnError(true);
      EXPECT_THROW(g.SetRegExp(c.expr), ETKZStringlError);
      continue;
    }
    int pos = 0;
    EXPECT_TRUE(g.MatchString("--" + c.literal + "--", pos));
    EXPECT_EQ(pos, 3);
    EXPECT_EQ(g.GetMatchEnd(), 2 + static_cast<int>(c.literal.size()));
  }
  EXPECT_EQ(GrepErrorText(TGrep::kErrGroupTooLong), "group too long (more than 255 characters)");
}

TEST(TGrepCompile, EscapesCutOffAtTheEnd) {
  // "\#" needs two characters after it to be a code; with fewer it is a
  // literal "#" and what follows stays literal; a final "\" is itself. Both
  // characters after "\#" belong to the code, hex digits or not ("\#4*").
  struct Case {
    const char* expr;
    const char* literal;
    int code;
  };
  const Case cases[] = {
      {"ab\\#4", "ab#4", 0}, {"ab\\#", "ab#", 0},    {"ab\\", "ab\\", 0},
      {"\\#", "#", 0},       {"\\#4", "#4", 0},      {"\\#41", "A", 0},
      {"\\#4g", "\x04", 0},  {"(ab\\#4", "ab#4", 0}, {"(ab\\#", "ab#", 0},
      {"(ab\\", "ab\\", 0},  {"[a\\#4", "", 6},      {"[a\\#", "", 6},
      {"[a\\", "", 6},       {"a\\#4*", "a\x04", 0}, {"\\\\#41", "\\#41", 0},
  };
  for (const Case& c : cases) {
    for (bool ignore : {false, true}) {
      SCOPED_TRACE(std::string(c.expr) + (ignore ? " ignoring case" : ""));
      TGrep g;
      g.SetStopOnError(false);
      g.SetIgnoreCase(ignore);
      g.SetRegExp(c.expr);
      EXPECT_EQ(g.GetErrorCode(), c.code);
      std::string want = c.literal;
      if (ignore && want == "A") want = "a";
      EXPECT_EQ(AllLiterals(g), want);
      if (c.code != 0) continue;
      int pos = 0;
      EXPECT_TRUE(g.MatchString("<" + want + ">", pos));
      EXPECT_EQ(pos, 2);
      EXPECT_EQ(g.GetMatchEnd(), 1 + static_cast<int>(want.size()));
    }
  }
}

TEST(TGrepMatch, FindsFirstMatch) {
  EXPECT_EQ(Find("colou?r", "color"), std::make_pair(1, 5));
  EXPECT_EQ(Find("colou?r", "the colour"), std::make_pair(5, 10));
  EXPECT_EQ(Find("[0-9]+", "ab12c"), std::make_pair(3, 4));
  EXPECT_EQ(Find("^abc", "xabc"), std::make_pair(0, 0));
  EXPECT_EQ(Find("^abc", "abcx"), std::make_pair(1, 3));
  EXPECT_EQ(Find("b", "abcb", 4), std::make_pair(4, 4));
  EXPECT_EQ(Find("ABC", "xabc", 1, true), std::make_pair(2, 4));
  EXPECT_EQ(Find("[A-C]x", "zBX", 1, true), std::make_pair(2, 3));
  EXPECT_EQ(Find("\\#41", "xa", 1, true), std::make_pair(2, 2));
  EXPECT_EQ(Find("\xC9T\xC9", "l'\xE9t\xE9", 1, true), std::make_pair(3, 5));
  EXPECT_EQ(Find("c$", "abc"), std::make_pair(3, 3));
  EXPECT_EQ(Find("c$", "abcd"), std::make_pair(0, 0));
  EXPECT_EQ(Find("a.c", "xabc"), std::make_pair(2, 4));
  EXPECT_EQ(Find("a.", "xa"), std::make_pair(0, 0));  // "." needs a byte
  EXPECT_EQ(Find("[a-]", "x-"), std::make_pair(2, 2));
  EXPECT_EQ(Find("a\\.b", "axb a.b"), std::make_pair(5, 7));
  EXPECT_EQ(Find("x", "abc", 9), std::make_pair(0, 0));
  EXPECT_EQ(Find("a", "ab", -4), std::make_pair(1, 1));
}

TEST(TGrepMatch, QuantifiersAreLazyInsideAndGreedyAtTheEnd) {
  EXPECT_EQ(Find("a.*b", "xaybzb"), std::make_pair(2, 4));  // shortest
  EXPECT_EQ(Find("a[0-9]*", "a123x"), std::make_pair(1, 4));
  EXPECT_EQ(Find("a.*", "xa123"), std::make_pair(2, 5));
  EXPECT_EQ(Find("a.+", "a"), std::make_pair(0, 0));
  EXPECT_EQ(Find("ab*", "a"), std::make_pair(1, 1));
  EXPECT_EQ(Find("ab?", "abb"), std::make_pair(1, 2));
  EXPECT_EQ(Find("a(bc)*d", "abcbcd"), std::make_pair(1, 6));
  EXPECT_EQ(Find("a(bc)*d", "abcbd"), std::make_pair(0, 0));
  EXPECT_EQ(Find("a(bc)+", "abcbcbx"), std::make_pair(1, 5));
  EXPECT_EQ(Find("[a-z]+[0-9]", "ab cd3"), std::make_pair(4, 6));
  EXPECT_EQ(Find("x?$", "abc"), std::make_pair(4, 3));  // empty match at the end
  EXPECT_EQ(Find("x*y", "xxz"), std::make_pair(0, 0));
  EXPECT_EQ(Find("a?b?c?", ""), std::make_pair(1, 0));
  // A leading repetition that fails somewhere may still match further on.
  EXPECT_EQ(Find("[0-9]+x", "12 3x"), std::make_pair(4, 5));
  EXPECT_EQ(Find("[a-c]*d", "abcxd"), std::make_pair(5, 5));
  EXPECT_EQ(Find("[a-c]*x", "abcxd"), std::make_pair(1, 4));
  EXPECT_EQ(Find("(ab)+c", "ababxabc"), std::make_pair(6, 8));
  EXPECT_EQ(Find(".*z", "abc"), std::make_pair(0, 0));
}

TEST(TGrepMatch, LoneRepetitionMatchesEverySubject) {
  EXPECT_EQ(Find(".*", "abc"), std::make_pair(1, 3));
  EXPECT_EQ(Find(".*", ""), std::make_pair(1, 0));
  EXPECT_EQ(Find("a*", "bbb"), std::make_pair(1, 0));
  EXPECT_EQ(Find("a*", "aab"), std::make_pair(1, 2));
  EXPECT_EQ(Find(".*", "abcd", 3), std::make_pair(3, 4));
  EXPECT_EQ(Find(".*", "abc", 4), std::make_pair(0, 0));
  EXPECT_EQ(Find(".*", "", 4), std::make_pair(1, 0));
}

TEST(TGrepMatch, RecordsWhereTokensMatched) {
  TGrep g;
  g.SetRegExp("b[0-9]+c");
  int pos;
  ASSERT_TRUE(g.MatchString("abb12c", pos));
  EXPECT_EQ(pos, 3);
  EXPECT_EQ(g.GetRegExpToken(1).MatchedAt, 3);
  EXPECT_EQ(g.GetRegExpToken(2).MatchedAt, 4);
  EXPECT_EQ(g.GetRegExpToken(3).MatchedAt, 6);
}

// Random expressions and subjects over a few bytes, so that skips, scans and
// run crossings meet every kind of neighbour: the matcher must find what the
// plain rules find, with the same end and the same token positions. Subjects
// run past 32 bytes so that the scans' full and partial blocks both occur.
TEST(TGrepMatch, AgreesWithThePlainRulesOnRandomExpressions) {
  static const char* const kItems[] = {"a",    "b",     "x",     "ab",    "A",    ".",
                                       "[ab]", "[0-9]", "[^a]",  "(ab)",  "(xa)", "\\.",
                                       " ",    "0",     "\\#41", "[a-c]", "[A-Z]"};
  static const char* const kQuant[] = {"", "", "", "*", "+", "?"};
  const std::string bytes = "aabbxx0 1.A";
  std::mt19937 rng(2024);
  int compared = 0, matched = 0;
  for (int round = 0; round < 6000; ++round) {
    std::string e = rng() % 8 == 0 ? "^" : "";
    const int items = 1 + static_cast<int>(rng() % 5);
    for (int i = 0; i < items; ++i) {
      e += kItems[rng() % std::size(kItems)];
      e += kQuant[rng() % std::size(kQuant)];
    }
    if (rng() % 6 == 0) e += "$";
    std::string subject;
    const int len = static_cast<int>(rng() % 70);
    for (int i = 0; i < len; ++i) subject += bytes[rng() % bytes.size()];
    TGrep g;
    g.SetStopOnError(false);
    g.SetIgnoreCase(rng() % 3 == 0);
    g.SetRegExp(e);
    if (g.GetErrorCode() != 0 || (g.GetTokenCount() == 1 && g.GetRegExpToken(1).Action == taMult0))
      continue;
    const int start = 1 + static_cast<int>(rng() % 4);
    ::testing_support::GrepReference ref(g, subject);
    const auto want = ref.Find(start);
    if (ref.TooLong()) continue;
    g.SetSearchStartPos(start);
    int pos = -1;
    const bool found = g.MatchString(subject, pos);
    SCOPED_TRACE("expression \"" + e + "\" on \"" + subject + "\" from " + std::to_string(start));
    ++compared;
    ASSERT_EQ(found ? std::make_pair(pos, g.GetMatchEnd()) : std::make_pair(0, 0), want);
    if (!found) continue;
    ++matched;
    for (int k = 1; k <= g.GetTokenCount(); ++k)
      ASSERT_EQ(g.GetRegExpToken(k).MatchedAt, ref.at[static_cast<size_t>(k - 1)]) << "token " << k;
  }
  // The table must exercise both outcomes, not skip its way to a pass.
  EXPECT_GT(compared, 4000);
  EXPECT_GT(matched, 1000);
  EXPECT_GT(compared - matched, 1000);
}

TEST(TGrepMatch, HostileInputStaysFast) {
  const auto t0 = std::chrono::steady_clock::now();
  std::string a(20000, 'a');
  std::string many;
  for (int i = 0; i < 30; ++i) many += "a*";
  EXPECT_EQ(Find(many + "b", a), std::make_pair(0, 0));
  EXPECT_EQ(Find(many + "$", a), std::make_pair(1, 20000));
  std::string opt;
  for (int i = 0; i < 30; ++i) opt += "a?";
  EXPECT_EQ(Find(opt + "b", a), std::make_pair(0, 0));
  EXPECT_EQ(Find(".*.*.*.*x", a), std::make_pair(0, 0));
  EXPECT_EQ(Find("(aa)*(aa)*b", "a" + a + "b"), std::make_pair(2, 20002));
  EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::seconds(5));
  // Control bytes and bytes above 127 are ordinary characters.
  EXPECT_EQ(Find(std::string("[\x01-\x02]\xFF"), std::string("\0\x02\xFF", 3)),
            std::make_pair(2, 3));
}

class TGrepPrint : public testing_support::TempDirTest {};

TEST_F(TGrepPrint, WritesOneLabelledLinePerToken) {
  TGrep g;
  g.SetRegExp("^ab[xy].c*[0-1]+.?(de)*$");
  g.PrintRegExp(Path("t.txt"));
  EXPECT_EQ(Slurp(Path("t.txt")),
            "    taBol: \r\n"
            " taNormal: ab\r\n"
            "    taSet: xy\r\n"
            "taAnyByte: \r\n"
            "  taMult0: (string) c\r\n"
            "  taMult1: (set) 01\r\n"
            "   taOpti: (anychar) \r\n"
            "  taMult0: (string) de\r\n"
            "    taEol: \r\n");
  EXPECT_THROW(g.PrintRegExp(Path("missing/t.txt")), ETKZError);
}

}  // namespace
}  // namespace tkz
