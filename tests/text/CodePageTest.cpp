#include <gtest/gtest.h>
#include <unicode/uchar.h>
#include <unicode/ucnv.h>

#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "icu_reference/IcuConverter.h"
#include "text/CodePage.h"

namespace {

using namespace std::string_literals;

TEST(CodePage, ConvertsBetweenGbkAndUtf8) {
    struct Case {
        std::string gbk;
        std::string utf8;
    };
    const Case cases[] = {
        {"\xD6\xD0", "\xE4\xB8\xAD"},
        {"abc 123", "abc 123"},
        {"", ""},
        {"\x80\x80", "\xE2\x82\xAC\xE2\x82\xAC"},  // 0x80 is the euro sign
        {"\xA1\xA1", "\xE3\x80\x80"},
        {"a\xD6\xD0z\xCE\xC4", "a\xE4\xB8\xADz\xE6\x96\x87"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.gbk);
        EXPECT_EQ(gbkToUtf8(c.gbk), c.utf8);
        EXPECT_EQ(utf8ToGbk(c.utf8), c.gbk);
    }
}

TEST(CodePage, SubstitutesMalformedInput) {
    struct Case {
        Text actual;
        std::string expected;
    };
    const Case cases[] = {
        {gbkToUtf8("a\xB0"), "a\xEF\xBF\xBD"},  // lone lead byte at the end
        {gbkToUtf8("\x81\x30x"),
         "\xEF\xBF\xBD"
         "0x"},  // a lead byte before a byte that is no trail
        {utf8ToGbk("a\xFF"
                   "b"),
         "a?b"},                               // not UTF-8
        {utf8ToGbk("a\xE4\xB8"), "a?"},        // cut sequence
        {utf8ToGbk("\xC0\xAF"), "??"},         // overlong form
        {utf8ToGbk("\xED\xA0\x80"), "???"},    // encoded surrogate
        {utf8ToGbk("\xF0\x9F\x98\x80"), "?"},  // a character GBK lacks
        {utf8ToGbk("\xE2\x82\xAC"), "\x80"},
    };
    for (std::size_t k = 0; k < std::size(cases); ++k) {
        SCOPED_TRACE(k);
        EXPECT_EQ(cases[k].actual, cases[k].expected);
    }
}

TEST(CodePage, StopsAtAZeroByte) {
    EXPECT_EQ(gbkToUtf8("a\0\xD6\xD0"s), "a");
    EXPECT_EQ(utf8ToGbk("a\0\xE4\xB8\xAD"s), "a");
    EXPECT_EQ(gbkToUtf16("\xD6\0\xD0"s), u"\uFFFD");
}

TEST(CodePage, WideBytesEndWithTheZeroUnit) {
    EXPECT_EQ(gbkToWideBytes("a"), (ByteSet{0x61, 0x00, 0x00, 0x00}));
    EXPECT_EQ(gbkToWideBytes(""), (ByteSet{0x00, 0x00}));
    EXPECT_EQ(gbkToWideBytes("\xD6\xD0"), (ByteSet{0x2D, 0x4E, 0x00, 0x00}));
    EXPECT_EQ(toWideBytes("\xE4\xB8\xAD"), (ByteSet{0x2D, 0x4E, 0x00, 0x00}));  // UTF-8 when omitted
    EXPECT_EQ(toWideBytes("\xD6\xD0", kCodePageSystem), (ByteSet{0x2D, 0x4E, 0x00, 0x00}));
    EXPECT_EQ(toWideBytes("a\0b"s, kCodePageGbk), (ByteSet{0x61, 0x00, 0x00, 0x00}));
}

TEST(CodePage, FromWideBytesStopsAtTheFirstZeroUnit) {
    EXPECT_EQ(fromWideBytes({0x2D, 0x4E, 0x00, 0x00}), "\xD6\xD0");  // system code page: 936
    EXPECT_EQ(fromWideBytes({0x2D, 0x4E}, kCodePageUtf8), "\xE4\xB8\xAD");
    EXPECT_EQ(fromWideBytes({0x61, 0x00, 0x00, 0x00, 0x62, 0x00}, kCodePageGbk), "a");
    EXPECT_EQ(fromWideBytes({0x61, 0x00, 0x62}, kCodePageGbk), "a");  // an odd last byte is ignored
    EXPECT_EQ(fromWideBytes({}, kCodePageGbk), "");
    EXPECT_EQ(fromWideBytes({0x00, 0xD8, 0x61, 0x00}, kCodePageUtf8),
              "\xEF\xBF\xBD"
              "a");  // lone surrogate
}

TEST(CodePage, OtherCodePagesGoThroughIcuAndUnknownOnesGiveNothing) {
    EXPECT_EQ(toWideBytes("\xE9", 1252), (ByteSet{0xE9, 0x00, 0x00, 0x00}));
    EXPECT_EQ(fromWideBytes({0xE9, 0x00}, 1252), "\xE9");
    EXPECT_EQ(toWideBytes("a", 12345), ByteSet{});
    EXPECT_EQ(fromWideBytes({0x61, 0x00}, 12345), "");
}

TEST(CodePage, WideBytesToGbkTakesWholeUnitsUpToAZeroUnit) {
    struct Case {
        ByteSet wide;
        std::string expected;
    };
    const Case cases[] = {
        {{0x2D, 0x4E}, "\xD6\xD0"},
        {{0x61, 0x00, 0x00, 0x00, 0x62, 0x00}, "a"},
        {{0x61, 0x00, 0x62}, "a"},
        {{}, ""},
        {{0x61}, ""},
        {{0xAC, 0x20}, "\x80"},
        {{0x3D, 0xD8, 0x00, 0xDE}, "?"},   // a character GBK lacks: its default character
        {{0x00, 0xD8, 0x61, 0x00}, "?a"},  // lone surrogate
    };
    for (std::size_t k = 0; k < std::size(cases); ++k) {
        SCOPED_TRACE(k);
        EXPECT_EQ(wideBytesToGbk(cases[k].wide), cases[k].expected);
    }
}

TEST(CodePage, WideBytesToGbkPrecomposesWhereGbkHasTheComposedCharacter) {
    struct Case {
        std::u16string units;
        std::string expected;
    };
    const Case cases[] = {
        {u"e\u0301", "\xA8\xA6"},  // é
        {u"xe\u0301x", "x\xA8\xA6x"},
        {u"u\u0308\u0304", "\xA8\xB5"},  // ǖ through ü
        {u"\u00FC\u0304", "\xA8\xB5"},
        {u"q\u0301", "q?"},  // no composed form: the mark stands alone
        {u"\u0301e", "?e"},
        {u"e\u0302\u0301", "\xA8\xBA?"},  // ê is in GBK, ế is not
        {u"\uF92C", "\xFD\x9C"},          // compatibility ideographs are kept, not normalized
        {u"\u4E2D\u0301", "\xD6\xD0?"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expected);
        EXPECT_EQ(utf16ToGbk(c.units), c.expected);
        ByteSet wide;
        for (const char16_t unit : c.units) {
            wide.push_back(static_cast<std::uint8_t>(unit & 0xFF));
            wide.push_back(static_cast<std::uint8_t>(unit >> 8));
        }
        EXPECT_EQ(wideBytesToGbk(wide), c.expected);
    }
}

TEST(CodePage, Utf16HelpersMatchTheWideByteRoutines) {
    EXPECT_EQ(gbkToUtf16("a\xD6\xD0\x80"), u"a\u4E2D\u20AC");
    EXPECT_EQ(gbkToUtf16(""), u"");
    EXPECT_EQ(utf16ToGbk(u"a\u4E2D\u20AC"), "a\xD6\xD0\x80");
    EXPECT_EQ(utf16ToGbk(u"a\0b"s), "a");
}

TEST(CodePage, EveryGbkByteAndPairConvertsAsIcuDoes) {
    const IcuConverter icu("windows-936-2000");
    ASSERT_TRUE(icu.ok());
    for (int lead = 1; lead < 0x100; ++lead) {
        const std::string single(1, static_cast<char>(lead));
        ASSERT_EQ(gbkToUtf16(single), icu.toUtf16(single)) << "byte " << lead;
        if (lead < 0x80) continue;
        for (int trail = 1; trail < 0x100; ++trail) {
            const std::string pair{static_cast<char>(lead), static_cast<char>(trail)};
            ASSERT_EQ(gbkToUtf16(pair), icu.toUtf16(pair)) << "bytes " << lead << ' ' << trail;
        }
    }
}

TEST(CodePage, EveryBmpCodePointConvertsAsIcuDoes) {
    const IcuConverter icu("windows-936-2000");
    ASSERT_TRUE(icu.ok());
    for (char32_t code = 1; code < 0x10000; ++code) {
        const std::u16string unit(1, static_cast<char16_t>(code));
        ASSERT_EQ(utf16ToGbk(unit), icu.fromUtf16(unit)) << "U+" << std::hex << static_cast<unsigned>(code);
    }
}

// Random text with long stretches of valid GBK and ASCII and, now and then, bytes
// that make it malformed, so that the fast path and ICU's path take turns.
std::string randomGbkLikeBytes(std::mt19937& random, std::size_t length) {
    std::uniform_int_distribution<int> kind(0, 9);
    std::uniform_int_distribution<int> ascii(0x20, 0x7E);
    std::uniform_int_distribution<int> lead(0xB0, 0xD7);
    std::uniform_int_distribution<int> trail(0xA1, 0xFE);
    std::uniform_int_distribution<int> anyByte(1, 0xFF);
    std::string bytes;
    while (bytes.size() < length) {
        const int k = kind(random);
        if (k < 4) {
            bytes.push_back(static_cast<char>(ascii(random)));
        } else if (k < 8) {
            bytes.push_back(static_cast<char>(lead(random)));
            bytes.push_back(static_cast<char>(trail(random)));
        } else {
            bytes.push_back(static_cast<char>(anyByte(random)));
        }
    }
    return bytes;
}

TEST(CodePage, MixedAndMalformedGbkConvertsAsIcuDoes) {
    const IcuConverter icu("windows-936-2000");
    ASSERT_TRUE(icu.ok());
    std::mt19937 random(936);
    for (int round = 0; round < 3000; ++round) {
        const std::string bytes = randomGbkLikeBytes(random, 1 + round % 40);
        ASSERT_EQ(gbkToUtf16(bytes), icu.toUtf16(bytes)) << testing::PrintToString(bytes);
    }
}

TEST(CodePage, MixedAndMalformedUtf16ConvertsAsIcuDoes) {
    const IcuConverter icu("windows-936-2000");
    ASSERT_TRUE(icu.ok());
    std::mt19937 random(16);
    std::uniform_int_distribution<int> kind(0, 9);
    std::uniform_int_distribution<int> anyUnit(1, 0xFFFF);
    std::uniform_int_distribution<int> cjk(0x4E00, 0x9FA5);
    std::uniform_int_distribution<int> surrogate(0xD800, 0xDFFF);
    for (int round = 0; round < 3000; ++round) {
        std::u16string units;
        while (units.size() < static_cast<std::size_t>(1 + round % 30)) {
            const int k = kind(random);
            char32_t unit = k < 3 ? 0x61 + static_cast<char32_t>(k)
                                  : (k < 7 ? cjk(random) : (k < 9 ? anyUnit(random) : surrogate(random)));
            if (u_getCombiningClass(unit) != 0) unit = 0x62;  // marks may be precomposed, unlike in ICU's converter
            units.push_back(static_cast<char16_t>(unit));
        }
        ASSERT_EQ(utf16ToGbk(units), icu.fromUtf16(units)) << testing::PrintToString(units);
    }
}

TEST(CodePage, MalformedUtf8ConvertsAsIcuDoes) {
    const IcuConverter utf8("UTF-8");
    ASSERT_TRUE(utf8.ok());
    const IcuConverter gbk("windows-936-2000");
    ASSERT_TRUE(gbk.ok());
    std::mt19937 random(65001);
    std::uniform_int_distribution<int> kind(0, 9);
    std::uniform_int_distribution<int> anyByte(1, 0xFF);
    std::uniform_int_distribution<int> highByte(0x80, 0xFF);
    for (int round = 0; round < 3000; ++round) {
        std::string bytes;
        while (bytes.size() < static_cast<std::size_t>(1 + round % 30)) {
            const int k = kind(random);
            if (k < 3) {
                bytes += "\xE4\xB8\xAD";
            } else if (k < 6) {
                bytes.push_back(static_cast<char>(highByte(random)));
            } else {
                bytes.push_back(static_cast<char>(anyByte(random)));
            }
        }
        ASSERT_EQ(utf8ToGbk(bytes), gbk.fromUtf16(utf8.toUtf16(bytes))) << testing::PrintToString(bytes);
    }
}

TEST(CodePage, ConcurrentCallersGetTheSameResults) {
    std::mt19937 random(2);
    std::vector<std::string> inputs;
    for (int k = 0; k < 50; ++k) inputs.push_back(randomGbkLikeBytes(random, 200));
    const auto roundTrip = [](const std::string& input) { return gbkToUtf8(utf8ToGbk(gbkToUtf8(input))); };
    std::vector<Text> expected;
    for (const std::string& input : inputs) expected.push_back(roundTrip(input));

    std::vector<std::vector<Text>> results(4);
    std::vector<std::thread> threads;
    for (std::size_t t = 0; t < results.size(); ++t) {
        threads.emplace_back([&inputs, &roundTrip, &out = results[t]] {
            for (int pass = 0; pass < 20; ++pass) {
                out.clear();
                for (const std::string& input : inputs) out.push_back(roundTrip(input));
            }
        });
    }
    for (std::thread& thread : threads) thread.join();
    for (const std::vector<Text>& out : results) EXPECT_EQ(out, expected);
}

}  // namespace
