#include <gtest/gtest.h>

#include <string>

#include "text/UrlCodec.h"

namespace {

using namespace std::string_literals;

struct EncodeCase {
    std::string text;
    bool keep;
    bool utf8;
    std::string expected;
};

TEST(UrlEncode, EscapesEveryByteUnlessKept) {
    const EncodeCase cases[] = {
        {"a b", false, false, "%61%20%62"},
        {"a b", true, false, "a%20b"},
        {",-./09AZaz", true, false, ",-./09AZaz"},
        {"+:_~@`[{", true, false, "%2B%3A%5F%7E%40%60%5B%7B"},
        {"\xD6\xD0", false, true, "%E4%B8%AD"},
        {"\xD6\xD0", false, false, "%D6%D0"},
        {"\xD6\xD0", true, false, "%D6%D0"},
        {"\n", false, false, "%0A"},
        {"\x80", false, true, "%E2%82%AC"},  // the euro sign of code page 936
        {"", false, false, ""},
        {"", true, true, ""},
        {"\xFF", true, false, "%FF"},
    };
    for (const EncodeCase& c : cases) {
        SCOPED_TRACE(testing::Message() << '"' << c.text << "\" keep " << c.keep << " utf8 " << c.utf8);
        EXPECT_EQ(urlEncode(c.text, c.keep, c.utf8), c.expected);
    }
}

int gHookCalls = 0;
void countHookCall() { ++gHookCalls; }

TEST(UrlEncode, RunsThePendingEventsHookOncePerEncodedByte) {
    gHookCalls = 0;
    setPendingEventsHook(countHookCall);
    urlEncode("ab", true);
    EXPECT_EQ(gHookCalls, 2);
    urlEncode("\xD6\xD0", false, true);  // three UTF-8 bytes
    EXPECT_EQ(gHookCalls, 5);
    urlEncode("");
    EXPECT_EQ(gHookCalls, 5);
    setPendingEventsHook(nullptr);
    urlEncode("ab");
    EXPECT_EQ(gHookCalls, 5);
}

struct DecodeCase {
    std::string text;
    bool utf8;
    std::string expected;
};

TEST(UrlDecode, TakesTheTwoBytesAfterEveryPercentAsDigits) {
    const DecodeCase cases[] = {
        {"a%41b", false, "aAb"},
        {"%e4%b8%ad", true, "\xD6\xD0"},
        {"%E4%B8%AD", true, "\xD6\xD0"},
        {"%D6%D0", false, "\xD6\xD0"},
        {"a+b", false, "a+b"},
        {"100%", false, "100"},   // both digits missing: 0, nothing appended
        {"x%4", false, "x\x40"},  // second digit missing: 0
        {"%", false, ""},
        {"%00", false, ""},  // a zero byte appends nothing
        {"a%00b", false, "ab"},
        {"%G1", false, "\xE1"},  // 16 * -2 + 1 = -31
        {"%%41", false,
         "\xE4"
         "1"},                   // the second "%" is a digit of value -2
        {"%GG", false, "\xDE"},  // 16 * -2 - 2 = -34
        {"%1G", false, "\x0E"},
        {"%G", false, "\xE0"},  // -2 then a missing digit
        {"%\xD6\xD0", false, "\xDE"},
        {"", false, ""},
        {"", true, ""},
        {"%E4%B8", true, "?"},  // a cut UTF-8 sequence is substituted
    };
    for (const DecodeCase& c : cases) {
        SCOPED_TRACE(testing::Message() << '"' << c.text << "\" utf8 " << c.utf8);
        EXPECT_EQ(urlDecode(c.text, c.utf8), c.expected);
    }
}

TEST(UrlCodec, StopsAtAZeroByte) {
    EXPECT_EQ(urlEncode("a\0b"s), "%61");
    EXPECT_EQ(urlEncode("a\0b"s, false, true), "%61");
    EXPECT_EQ(urlDecode("a\0%41"s), "a");
}

TEST(UrlDecode, RoundTripsUrlEncode) {
    const std::string text = "name=\xD6\xD0\xCE\xC4 & 100% \x80";
    EXPECT_EQ(urlDecode(urlEncode(text)), text);
    EXPECT_EQ(urlDecode(urlEncode(text, true)), text);
    EXPECT_EQ(urlDecode(urlEncode(text, false, true), true), text);
}

}  // namespace
