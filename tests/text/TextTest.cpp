#include <gtest/gtest.h>

#include <climits>
#include <clocale>
#include <cstdio>
#include <initializer_list>
#include <string>

#include "text/Text.h"

namespace {

using namespace std::string_literals;

struct FindCase {
    std::string text;
    std::string needle;
    int start;
    bool ignoreCase;
    int expected;
};

TEST(FindText, PositionsFromOneAndMinusOneWhenAbsent) {
    const FindCase cases[] = {
        {"abc", "b", 1, false, 2},
        {"abc", "b", 0, false, 2},
        {"abc", "b", -5, false, 2},
        {"abc", "c", 3, false, 3},
        {"abc", "a", 4, false, -1},
        {"abc", "b", INT_MIN, false, 2},
        {"abc", "b", INT_MAX, false, -1},
        {"abc", "", 2, false, 1},  // an empty needle yields 1, not the start
        {"abc", "", 3, false, 1},
        {"abc", "", 4, false, -1},
        {"", "", 0, false, -1},
        {"", "a", 0, false, -1},
        {"ab", "abc", 0, false, -1},
        {"abcabc", "abc", 2, false, 4},
        {"Set-Cookie: A=1", "set-cookie", 0, true, 1},
        {"Set-Cookie: A=1", "set-cookie", 0, false, -1},
        {"x[A]", "[a]", 0, true, 2},
        {"\xB0"
         "AB",
         "A", 0, false, -1},  // A is the second byte of a two-byte character
        {"\xB0"
         "AB",
         "B", 0, false, 3},
        {"\xB0"
         "AB",
         "A", 2, false, 2},                    // a scan from an offset pairs bytes from there
        {"\x81\x41", "\x81\x61", 0, true, 1},  // second bytes fold as well
        {"\x81\x41", "\x81\x61", 0, false, -1},
        {"\xD6\xD0\xCE\xC4", "\xD0\xCE", 0, false, -1},
        {"\xD6\xD0\xCE\xC4", "\xCE\xC4", 0, false, 3},
        {"a\xB0", "\xB0", 0, false, -1},  // a lone lead byte at the end is no character
        {"\xDA", "\xDA", 0, false, -1},
        {"\x80\x80", "\x80", 0, false, 1},
        {"\xC0\xE0", "\xE0", 0, true, -1},  // only A-Z / a-z fold
        {"[\xC0]", "[\xE0]", 0, true, -1},
        {"Ab\xB0", "B\xB0", 0, true, 2},
    };
    for (const FindCase& c : cases) {
        SCOPED_TRACE(testing::Message() << '"' << c.text << "\" / \"" << c.needle << "\" start " << c.start);
        EXPECT_EQ(findText(c.text, c.needle, c.start, c.ignoreCase), c.expected);
    }
}

// A text is read up to its first zero byte, so no routine can put one into a result.
TEST(ZeroBytes, ViewsEndAtTheirFirstZeroByte) {
    EXPECT_EQ(findText("ab\0cd"s, "c"), -1);
    EXPECT_EQ(textLength("ab\0cd"s), 2);
    EXPECT_EQ(findText("abcd", "c\0x"s), 3);
    EXPECT_EQ(replaceText("axb", "x", "-\0-"s), "a-b");
    EXPECT_EQ(replaceText("a\0x"s, "x", "-"), "a");
    EXPECT_EQ(concatText("a\0b"s, "c", "\0"s, "d"), "acd");
    EXPECT_EQ(splitText("a;b\0;c"s, ";"), (TextList{"a", "b"}));
    EXPECT_EQ(trimText(" a\0 "s), "a");
    EXPECT_EQ(upperText("a\0b"s), "A");
    EXPECT_EQ(midText("ab\0cd"s, 4, 1), "");
    EXPECT_EQ(rightText("ab\0cd"s, 1), "b");
    EXPECT_EQ(compareText("a\0b"s, "a"), 0);
    EXPECT_EQ(textToBytes("a\0b"s), ByteSet{0x61});
}

TEST(TextLength, CountsBytes) {
    EXPECT_EQ(textLength(""), 0);
    EXPECT_EQ(textLength("a\xD6\xD0"), 3);
}

TEST(CutText, LeftRightAndMidCountPlainBytes) {
    struct Case {
        Text actual;
        Text expected;
    };
    const Case cases[] = {
        {leftText("abc", 2), "ab"},
        {leftText("abc", 10), "abc"},
        {leftText("abc", 0), ""},
        {leftText("abc", INT_MIN), ""},
        {leftText("abc", INT_MAX), "abc"},
        {leftText("\xD6\xD0", 1), "\xD6"},
        {rightText("abc", 2), "bc"},
        {rightText("abc", 10), "abc"},
        {rightText("abc", -1), ""},
        {rightText("abc", INT_MAX), "abc"},
        {rightText("", 3), ""},
        {midText("abc", 0, 2), ""},  // a start below 1 is not moved to 1
        {midText("abc", 2, 10), "bc"},
        {midText("abc", 3, 1), "c"},
        {midText("abc", 4, 1), ""},
        {midText("abc", 1, 0), ""},
        {midText("abc", 2, INT_MAX), "bc"},
        {midText("abc", INT_MAX, INT_MAX), ""},
        {midText("abc", INT_MIN, 2), ""},
        {midText("abc", 1, INT_MIN), ""},
    };
    for (std::size_t k = 0; k < std::size(cases); ++k) {
        SCOPED_TRACE(k);
        EXPECT_EQ(cases[k].actual, cases[k].expected);
    }
}

TEST(SplitText, KeepsInnerEmptyPiecesAndDropsATrailingOne) {
    struct Case {
        std::string text;
        std::string separator;
        TextList expected;
    };
    const Case cases[] = {
        {"a;;b", ";", {"a", "", "b"}},
        {";a", ";", {"", "a"}},
        {"a;", ";", {"a"}},
        {";", ";", {""}},
        {";;", ";", {"", ""}},
        {"", ";", {}},
        {"abc", "", {"abc"}},
        {"a", "<br>", {"a"}},  // shorter than the separator
        {"a<br>b<br>", "<br>", {"a", "b"}},
        {"a;B;c", "b", {"a;B;c"}},           // case matters
        {"\xB0;b;c", ";", {"\xB0;b", "c"}},  // ";" is the second byte of a character
        {"x\xD6\xD0;y", ";", {"x\xD6\xD0", "y"}},
        {"a;\xB0", ";", {"a", "\xB0"}},  // a lone lead byte at the end stays in the last piece
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << '"' << c.text << "\" at \"" << c.separator << '"');
        EXPECT_EQ(splitText(c.text, c.separator), c.expected);
    }
}

struct ReplaceCase {
    std::string text;
    std::string target;
    std::string replacement;
    int start;
    int count;
    bool matchCase;
    std::string expected;
};

TEST(ReplaceText, ReplacesFromStartUpToCount) {
    const ReplaceCase cases[] = {
        {"aXbxc", "x", "-", 1, -1, false, "a-b-c"},
        {"aXbxc", "x", "-", 1, -1, true, "aXb-c"},
        {"aXbxc", "x", "-", 1, 1, false, "a-bxc"},
        {"aXbxc", "x", "-", 1, 0, false, "aXbxc"},
        {"aXbxc", "x", "-", 3, -1, false, "aXb-c"},
        {"aXbxc", "x", "-", 0, -1, false, "a-b-c"},
        {"aXbxc", "x", "-", INT_MIN, INT_MIN, false, "a-b-c"},
        {"aXbxc", "x", "-", INT_MAX, -1, false, "aXbxc"},
        {"aXbxc", "x", "-", 6, -1, false, "aXbxc"},
        {"aXbxc", "", "-", 1, -1, false, "aXbxc"},
        {"", "x", "-", 1, -1, false, ""},
        {"aaa", "a", "aa", 1, -1, true, "aaaaaa"},  // replacement text is not searched again
        {"aaaa", "aa", "b", 1, -1, true, "bb"},
        {"abc", "b", "", 1, -1, true, "ac"},
        {"\xB0xx", "x", "-", 1, -1, true, "\xB0x-"},  // only at character boundaries
        {"x\xB0", "x", "-", 1, -1, true, "-"},        // a lone lead byte at the end is left out
        {"ab\xB0", "zz", "-", 1, -1, true, "ab"},
        {"a\xB0", "\xB0", "-", 1, -1, true, "a-"},
        {"x\xB0", "x", "-", 1, 1, true, "-\xB0"},  // the rest after the last replacement is copied
        {"\xD6\xD0x", "x", "y", 1, -1, false, "\xD6\xD0y"},
    };
    for (const ReplaceCase& c : cases) {
        SCOPED_TRACE(testing::Message() << '"' << c.text << "\" \"" << c.target << "\" start " << c.start << " count "
                                        << c.count << " matchCase " << c.matchCase);
        EXPECT_EQ(replaceText(c.text, c.target, c.replacement, c.start, c.count, c.matchCase), c.expected);
    }
}

TEST(ReplaceText, DefaultsFoldCaseAndReplaceAll) { EXPECT_EQ(replaceText("A-a-A", "a"), "--"); }

TEST(TrimText, RemovesSpacesAndFullWidthSpacesAtBothEnds) {
    struct Case {
        std::string text;
        std::string expected;
    };
    const Case cases[] = {
        {"  a b  ", "a b"},
        {"\xA1\xA1 a\xA1\xA1", "a"},
        {"\ta\r\n", "\ta\r\n"},
        {"", ""},
        {"   ", ""},
        {"\xA1\xA1", ""},
        {"a\xA1", "a"},  // lone lead byte: only that byte goes
        {"a  \xB0", "a  "},
        {" \xB0", ""},
        {"\xB0\xA1\xA1", "\xB0\xA1"},  // 0xA1 0xA1 here is a character's second byte and a lone byte
        {"\xB0\xA1\xA1\xA1", "\xB0\xA1"},
        {"a \xD6\xD0 ", "a \xD6\xD0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << '"' << c.text << '"');
        EXPECT_EQ(trimText(c.text), c.expected);
    }
}

TEST(CaseText, ChangesOneByteLettersOnly) {
    EXPECT_EQ(upperText("abZ1\xB0"
                        "a"
                        "c"),
              "ABZ1\xB0"
              "aC");
    EXPECT_EQ(lowerText("ABz1\xB0"
                        "A"
                        "C"),
              "abz1\xB0"
              "Ac");
    EXPECT_EQ(upperText(""), "");
    EXPECT_EQ(upperText("a\xB0"), "A\xB0");
}

TEST(ConcatText, JoinsUpToFourTexts) {
    EXPECT_EQ(concatText("a", "b"), "ab");
    EXPECT_EQ(concatText("a", "", "c", "\xD6\xD0"), "ac\xD6\xD0");
    EXPECT_EQ(concatText("", ""), "");
}

TEST(CompareText, OrdersUnsignedBytesWithPrefixFirst) {
    EXPECT_EQ(compareText("abc", "abc"), 0);
    EXPECT_EQ(compareText("", ""), 0);
    EXPECT_EQ(compareText("ab", "abc"), -1);
    EXPECT_EQ(compareText("abc", "ab"), 1);
    EXPECT_EQ(compareText("a", "\xB0"), -1);
    EXPECT_EQ(compareText("\xB0", "a"), 1);
    EXPECT_EQ(compareText("A", "a"), -1);
}

TEST(CharFromCode, TakesTheLowEightBits) {
    EXPECT_EQ(charFromCode(0x41), "A");
    EXPECT_EQ(charFromCode(0), "");
    EXPECT_EQ(charFromCode(256), "");
    EXPECT_EQ(charFromCode(-34), "\xDE");
    EXPECT_EQ(charFromCode(0x141), "A");
    EXPECT_EQ(charFromCode(INT_MIN), "");
    EXPECT_EQ(charFromCode(INT_MAX), "\xFF");
}

TEST(HexText, FormatsAsUnsignedUpperCase) {
    EXPECT_EQ(hexText(0), "0");
    EXPECT_EQ(hexText(9), "9");
    EXPECT_EQ(hexText(10), "A");
    EXPECT_EQ(hexText(171), "AB");
    EXPECT_EQ(hexText(255), "FF");
    EXPECT_EQ(hexText(-1), "FFFFFFFF");
    EXPECT_EQ(hexText(INT_MIN), "80000000");
}

// Restores the global C locale on scope exit.
class GlobalLocale {
  public:
    explicit GlobalLocale(const char* name) : previous_(std::setlocale(LC_ALL, nullptr)) {
        active_ = std::setlocale(LC_ALL, name) != nullptr;
    }
    ~GlobalLocale() { std::setlocale(LC_ALL, previous_.c_str()); }
    bool active() const { return active_; }

  private:
    std::string previous_;
    bool active_ = false;
};

TEST(NumberToText, FormatsLikePercentPoint13gInTheCLocale) {
    const double values[] = {0.0,  1.0,      45.0, -3.0, 0.5, 1.0 / 3.0, 1e13, 1e12 + 0.5, 123456789012345.0,
                             1e-5, 2.5e-300, -0.0, 1e300};
    for (const double value : values) {
        char expected[64];
        std::snprintf(expected, sizeof expected, "%.13g", value);
        SCOPED_TRACE(expected);
        EXPECT_EQ(numberToText(value), expected);
    }
    EXPECT_EQ(numberToText(1.0 + 44.0), "45");
    EXPECT_EQ(numberToText(0.1), "0.1");
}

TEST(NumberToText, UsesAPeriodWhateverTheGlobalLocale) {
    for (const char* name : {"de_DE.UTF-8", "fr_FR.UTF-8", "ru_RU.UTF-8", "de_DE", "fr_FR"}) {
        const GlobalLocale commaLocale(name);
        if (!commaLocale.active()) continue;
        SCOPED_TRACE(name);
        EXPECT_EQ(numberToText(2.5), "2.5");
        EXPECT_EQ(numberToText(1234567.25), "1234567.25");
        return;
    }
    GTEST_SKIP() << "no locale with a decimal comma is installed";
}

TEST(Bytes, TextToBytesAndBackStopsAtZero) {
    EXPECT_EQ(textToBytes(""), ByteSet{});
    EXPECT_EQ(textToBytes("a\xB0"), (ByteSet{0x61, 0xB0}));
    EXPECT_EQ(bytesToText({0x61, 0x00, 0x62}), "a");
    EXPECT_EQ(bytesToText({0x61, 0x62}), "ab");
    EXPECT_EQ(bytesToText({}), "");
}

}  // namespace
