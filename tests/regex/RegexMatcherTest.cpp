#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "regex/RegexMatcher.h"
#include "text/Cancel.h"
#include "text/CodePage.h"

namespace {

Text gbk(std::string_view utf8) { return utf8ToGbk(utf8); }

std::vector<Text> allMatches(const RegexMatcher& matcher) {
    std::vector<Text> texts;
    for (int i = 1; i <= matcher.matchCount(); ++i) texts.push_back(matcher.matchText(i));
    return texts;
}

// Every reading operation answers empty, as after a failed compile.
void expectNothingToRead(const RegexMatcher& matcher) {
    EXPECT_EQ(matcher.matchCount(), 0);
    EXPECT_EQ(matcher.subMatchCount(), 0);
    EXPECT_EQ(matcher.matchText(1), "");
    EXPECT_EQ(matcher.subMatchText(1, 1), "");
    EXPECT_EQ(matcher.replace("x"), "");
}

TEST(RegexMatcher, ReadsNothingBeforeTheFirstCompile) {
    const RegexMatcher matcher;
    expectNothingToRead(matcher);
    EXPECT_EQ(matcher.pattern(), "");
}

TEST(RegexMatcher, NoMatchIsASuccess) {
    RegexMatcher matcher;
    EXPECT_TRUE(matcher.compile("xyz", "abc"));
    EXPECT_EQ(matcher.matchCount(), 0);
    EXPECT_EQ(matcher.subMatchCount(), 0);
}

TEST(RegexMatcher, InvalidPatternFailsAndLeavesNothing) {
    RegexMatcher matcher;
    ASSERT_TRUE(matcher.compile("a", "a"));
    EXPECT_FALSE(matcher.compile("(a", "a(a"));
    expectNothingToRead(matcher);
    EXPECT_EQ(matcher.pattern(), "(a");
}

TEST(RegexMatcher, DefaultsIgnoreCaseAndFindEveryMatch) {
    RegexMatcher matcher;
    ASSERT_TRUE(matcher.compile("ABC", "abc xAbC"));
    EXPECT_EQ(allMatches(matcher), (std::vector<Text>{"abc", "AbC"}));
    ASSERT_TRUE(matcher.compile("ABC", "abc", true));
    EXPECT_EQ(matcher.matchCount(), 0);
    ASSERT_TRUE(matcher.compile("a", "aaa", false, true, false));
    EXPECT_EQ(matcher.matchCount(), 1);
}

TEST(RegexMatcher, QuoteMarkerBecomesADoubleQuote) {
    const Text pattern = gbk("a#引号b");
    RegexMatcher matcher;
    ASSERT_TRUE(matcher.compile(pattern, "a\"b", false, true, true, true));
    EXPECT_EQ(matcher.matchCount(), 1);
    EXPECT_EQ(matcher.pattern(), "a\"b");
    ASSERT_TRUE(matcher.compile(pattern, "a\"b " + pattern));
    EXPECT_EQ(allMatches(matcher), std::vector<Text>{pattern});
    EXPECT_EQ(matcher.pattern(), pattern);
}

TEST(RegexMatcher, GroupsAndOutOfRangeNumbers) {
    RegexMatcher matcher;
    ASSERT_TRUE(matcher.compile(R"(\[b\]([\s\S]*?)\[/b\])", "[b]x[/b] [b]y\nz[/b]"));
    ASSERT_EQ(matcher.matchCount(), 2);
    EXPECT_EQ(matcher.matchText(1), "[b]x[/b]");
    EXPECT_EQ(matcher.subMatchText(1, 1), "x");
    EXPECT_EQ(matcher.subMatchText(2, 1), "y\nz");
    EXPECT_EQ(matcher.subMatchCount(), 1);
    for (const auto& [match, group] : std::vector<std::pair<int, int>>{{0, 1}, {3, 1}, {1, 0}, {1, 2}, {-1, 1}}) {
        SCOPED_TRACE(std::to_string(match) + "," + std::to_string(group));
        EXPECT_EQ(matcher.subMatchText(match, group), "");
    }
    EXPECT_EQ(matcher.matchText(3), "");
    EXPECT_EQ(matcher.matchText(0), "");
    // A group that took no part reads empty.
    ASSERT_TRUE(matcher.compile("(a)|(b)", "b"));
    EXPECT_EQ(matcher.subMatchText(1, 1), "");
    EXPECT_EQ(matcher.subMatchText(1, 2), "b");
    EXPECT_EQ(matcher.subMatchCount(), 2);
}

TEST(RegexMatcher, ChineseTextComesBackInGbk) {
    RegexMatcher matcher;
    ASSERT_TRUE(matcher.compile(gbk("商(.)"), gbk("注册商标，商号")));
    EXPECT_EQ(allMatches(matcher), (std::vector<Text>{gbk("商标"), gbk("商号")}));
    EXPECT_EQ(matcher.subMatchText(2, 1), gbk("号"));
}

struct SemanticsCase {
    const char* name;
    const char* pattern;
    const char* subject;
    bool multiline;
    std::vector<Text> matches;
};

// Where the scripting engine and PCRE2's defaults differ, the engine's answer.
TEST(RegexMatcher, KeepsTheScriptingEngineSemantics) {
    const std::vector<SemanticsCase> cases = {
        {"dollar only at the very end", "a$", "a\n", false, {}},
        {"dollar at the end", "a$", "xa", false, {"a"}},
        {"multiline dollar before CR", "a$", "a\r\nb", true, {"a"}},
        {"multiline caret after LF", "^b", "a\nb", true, {"b"}},
        {"multiline caret between CR and LF", "^", "\r\n", true, {"", "", ""}},
        {"caret without multiline", "^b", "a\nb", false, {}},
        {"dot skips LF and CR", "a.b", "a\nb a\rb a-b", false, {"a-b"}},
        {"dot takes a Chinese character",
         "a.b",
         "a\xD6\xD0"
         "b",
         false,
         {"a\xD6\xD0"
          "b"}},
        {"class takes line breaks", "a[\\s\\S]b", "a\nb", false, {"a\nb"}},
        {"empty matches advance one unit", "a*?", "aa", false, {"", "", ""}},
        {"empty and full matches", "x*", "xab", false, {"x", "", "", ""}},
        {"vertical tab escape", "\\v", "\n\v", false, {"\v"}},
        {"unicode escape", "\\u4E2D", "\xD6\xD0", false, {"\xD6\xD0"}},
        {"hex escape and literal x", "\\x41\\xg", "Axg", false, {"Axg"}},
        {"empty class matches nothing", "a[]", "a", false, {}},
        {"negated empty class matches all", "[^]", "\n", false, {"\n"}},
        {"no POSIX classes", "[[:a]]", "a]", false, {"a]"}},
        {"unset back reference is empty", "(a)?b\\1", "b", false, {"b"}},
        {"Greek letter case", "\xA6\xC1", "\xA6\xA1", false, {"\xA6\xA1"}},  // α against Α
        {"lone braces are literal", "a{,2}}", "a{,2}}", false, {"a{,2}}"}},
        {"lazy group", "<(.*?)>", "<a><b>", false, {"<a>", "<b>"}},
    };
    for (const SemanticsCase& c : cases) {
        SCOPED_TRACE(c.name);
        RegexMatcher matcher;
        ASSERT_TRUE(matcher.compile(c.pattern, c.subject, false, c.multiline));
        EXPECT_EQ(allMatches(matcher), c.matches);
    }
}

// Syntax that PCRE2 accepts and the scripting engine rejects fails to compile.
TEST(RegexMatcher, RejectsSyntaxOnlyPcre2Knows) {
    for (const char* pattern : {"C++",     "a*+",      "a?+",     "a{2}+",   "a**",     "a+??",    "(?>a)", "\\Qa\\E",
                                "(?<n>a)", "(?P<n>a)", "(?<=a)b", "(?<!a)b", "(*FAIL)", "(*UTF)a", "(?i)a", "(?#c)a",
                                "(?|a)",   "(?1)(a)",  "\\Aa",    "a\\z",    "a\\Z",    "\\p{L}",  "\\h",   "\\R",
                                "\\K",     "\\ka",     "\\e",     "[\\B]",   "a\\",     "[a",      "^*",    "\\b+"}) {
        SCOPED_TRACE(pattern);
        RegexMatcher matcher;
        EXPECT_FALSE(matcher.compile(pattern, "C++ a aa ab"));
        EXPECT_EQ(matcher.matchCount(), 0);
    }
}

TEST(RegexMatcher, ReplaceUsesTheEngineReplacementSyntax) {
    struct Case {
        const char* pattern;
        const char* replacement;
        bool global;
        const char* expected;
    };
    const std::vector<Case> cases = {
        {"(b)(c)", "[$2$1]", true, "a[cb]d[cb]"},
        {"b", "<$&|$`|$'>", false, "a<b|a|cdbc>cdbc"},
        {"(b)", "$$1 $0 $3 $", true, "a$1 $0 $3 $cd$1 $0 $3 $c"},
        {"(b)", "$10", true, "ab0cdb0c"},
        {"z", "y", true, "abcdbc"},
        {"x*", "-", true, "-a-b-c-d-b-c-"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pattern + std::string(" -> ") + c.replacement);
        RegexMatcher matcher;
        ASSERT_TRUE(matcher.compile(c.pattern, "abcdbc", false, true, c.global));
        EXPECT_EQ(matcher.replace(c.replacement), c.expected);
    }
}

TEST(RegexMatcher, CopySharesTheResultAndDestroyClearsIt) {
    RegexMatcher matcher;
    ASSERT_TRUE(matcher.compile("b(.)", "abcbd"));
    RegexMatcher copied = matcher.copy();
    matcher.destroy();
    EXPECT_EQ(matcher.matchCount(), 0);
    EXPECT_EQ(matcher.pattern(), "");
    EXPECT_EQ(copied.matchCount(), 2);
    EXPECT_EQ(copied.subMatchText(2, 1), "d");
    EXPECT_EQ(copied.pattern(), "b(.)");
    EXPECT_EQ(copied.replace("-"), "a--");
    copied.noOperation();
    EXPECT_EQ(copied.matchText(1), "bc");
}

// Catastrophic backtracking hits the match limit: the compile fails instead of
// running for years.
TEST(RegexMatcher, RunawaySearchCountsAsFailure) {
    const Text subject = Text(48, 'a') + "!bc";
    for (const char* pattern : {"(a+)+b", "(a|aa)*c", "(.*a){20}b"}) {
        SCOPED_TRACE(pattern);
        RegexMatcher matcher;
        EXPECT_FALSE(matcher.compile(pattern, subject));
        EXPECT_EQ(matcher.matchCount(), 0);
    }
}

// The match limit applies to each start position on its own. This pattern
// backtracks just below it at every position, so the whole search used to cost
// the limit times the subject's length (about a minute here) and then succeed.
// The search's own budget makes it fail instead.
TEST(RegexMatcher, BacktrackingBelowTheLimitAtEveryStartCountsAsFailure) {
    const Text subject(3000, 'a');
    RegexMatcher matcher;
    EXPECT_FALSE(matcher.compile("(?:a|a){1,22}?x|b", subject, false, true, false));
    EXPECT_EQ(matcher.matchCount(), 0);
}

// Cancelling the work the searching thread does stops a long search: a closed
// window or a superseded query never waits for one to finish.
TEST(RegexMatcher, CancellingTheThreadsWorkStopsASearch) {
    const Text subject(3000, 'a');
    CancelToken token;
    bool compiled = true;
    std::thread searcher([&] {
        const CancelScope scope(token);
        RegexMatcher matcher;
        compiled = matcher.compile("(?:a|a){1,22}?x|b", subject, false, true, false);
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    token.cancel();
    searcher.join();
    EXPECT_FALSE(compiled);
}

// Start positions are tried in windows; matches on both sides of window edges,
// in a long subject, come out as one search finds them.
TEST(RegexMatcher, WindowedSearchFindsEveryMatch) {
    Text subject;
    for (int i = 0; i < 5000; ++i) subject += (i % 7 == 0) ? "xb" : "ab";
    RegexMatcher matcher;
    ASSERT_TRUE(matcher.compile("x(b)", subject));
    EXPECT_EQ(matcher.matchCount(), 715);
    ASSERT_TRUE(matcher.compile("(a)([\\s\\S]*?)q", subject));
    EXPECT_EQ(matcher.matchCount(), 0);
}

TEST(RegexMatcher, LongSubjectWithManyMatches) {
    const Text subject(1 << 20, 'a');
    RegexMatcher matcher;
    ASSERT_TRUE(matcher.compile("a", subject));
    EXPECT_EQ(matcher.matchCount(), 1 << 20);
    ASSERT_TRUE(matcher.compile("(a)([\\s\\S]*?)b", subject));
    EXPECT_EQ(matcher.matchCount(), 0);
}

}  // namespace
