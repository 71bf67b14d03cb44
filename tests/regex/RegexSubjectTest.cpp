#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

#include "regex/RegexMatcher.h"
#include "regex/RegexSubject.h"
#include "text/CodePage.h"

namespace {

constexpr std::string_view kSuffix = "</td>\n\t                    <td>([\\s\\S]*?)</td>";

std::u16string boundary() {
    const std::string_view literal = kSuffix.substr(0, kSuffix.find('('));
    return {literal.begin(), literal.end()};
}

// Pieces cells are made of: ASCII in both cases, digits, Chinese, Greek in both
// cases, full-width letters, pattern syntax, markup and line breaks.
const std::vector<std::string> kPieces = {"a",        "B",        "k",        "S",        "1",
                                          "23",       "\xC9\xCC", "\xB1\xEA", "\xA6\xC1", "\xA6\xA1",
                                          "\xA3\xC1", "\xA3\xE1", ".",        "(",        ")",
                                          "+",        "|",        "[",        "*",        " ",
                                          "\n",       "<br>",     "<TD>",     "#",        "\xD2\xFD\xBA\xC5",
                                          "\""};

class Generator {
  public:
    explicit Generator(unsigned seed) : random_(seed) {}

    int below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random_); }

    Text cell() {
        Text text;
        for (int n = below(6); n > 0; --n) text += kPieces[static_cast<std::size_t>(below(int(kPieces.size())))];
        return text;
    }

    // Rows in the service's layout, now and then with a broken separator.
    Text table(int rows, std::vector<Text>& cells) {
        Text html = "<table>";
        for (int r = 0; r < rows; ++r) {
            html += "<tr>\n                      \t<td>";
            for (int c = 0; c < 4; ++c) {
                const Text text = below(8) == 0 && !cells.empty()
                                      ? cells[static_cast<std::size_t>(below(int(cells.size())))]
                                      : cell();
                cells.push_back(text);
                html += text;
                if (c < 3)
                    html += below(10) == 0   ? "</TD>\n\t                    <Td>"
                            : below(15) == 0 ? "</td>\n\t   <td>"
                                             : "</td>\n\t                    <td>";
            }
            html += "</td>\n</tr>";
        }
        return html + (below(4) == 0 ? "<td>unclosed" : "</table>");
    }

    // Anchors as the parser makes them: whole cells, their tails, case variants,
    // empty, syntax, text found nowhere.
    Text anchor(const std::vector<Text>& cells) {
        const Text& cellText = cells[static_cast<std::size_t>(below(int(cells.size())))];
        switch (below(6)) {
            case 0:
                return cellText.size() > 1 ? cellText.substr(cellText.size() / 2) : cellText;
            case 1: {
                Text flipped = cellText;
                for (char& c : flipped) {
                    if (c >= 'a' && c <= 'z')
                        c = char(c - 32);
                    else if (c >= 'A' && c <= 'Z')
                        c = char(c + 32);
                }
                return flipped;
            }
            case 2:
                return below(3) == 0 ? Text() : cell();
            default:
                return cellText;
        }
    }

  private:
    std::mt19937 random_;
};

std::vector<Text> everything(const RegexMatcher& matcher) {
    std::vector<Text> texts;
    for (int i = 1; i <= matcher.matchCount(); ++i) {
        texts.push_back(matcher.matchText(i));
        for (int g = 1; g <= matcher.subMatchCount(); ++g) texts.push_back(matcher.subMatchText(i, g));
    }
    return texts;
}

// The indexed search must give exactly the plain search's result for every
// anchor, valid or not, found or not.
TEST(RegexSubject, IndexedSearchGivesThePlainMatches) {
    int indexedMatches = 0;
    for (unsigned seed = 1; seed <= 60; ++seed) {
        Generator generate(seed);
        std::vector<Text> cells;
        const Text table = generate.table(1 + generate.below(12), cells);
        const auto indexed = std::make_shared<const RegexSubject>(table, boundary());
        for (int a = 0; a < 40; ++a) {
            const Text pattern = generate.anchor(cells) + Text(kSuffix);
            const bool caseSensitive = generate.below(5) == 0;
            SCOPED_TRACE("seed " + std::to_string(seed) + " pattern " + pattern);
            RegexMatcher plain;
            RegexMatcher fast;
            const bool plainOk = plain.compile(pattern, table, caseSensitive, false, true, true);
            ASSERT_EQ(fast.compile(pattern, indexed, caseSensitive, false, true, true), plainOk);
            ASSERT_EQ(fast.matchCount(), plain.matchCount());
            ASSERT_EQ(everything(fast), everything(plain));
            indexedMatches += fast.matchCount();
        }
    }
    EXPECT_GT(indexedMatches, 500);  // the cases do exercise matching
}

TEST(RegexSubject, CandidatesAreWindowsBeforeBoundaries) {
    const RegexSubject subject("xAb|y ab|ab", u"|");
    bool usable = false;
    EXPECT_EQ(subject.nextCandidate(u"ab", 0, usable), 1u);
    EXPECT_TRUE(usable);
    EXPECT_EQ(subject.nextCandidate(u"AB", 2, usable), 6u);
    EXPECT_EQ(subject.nextCandidate(u"ab", 7, usable), RegexSubject::npos);
    EXPECT_EQ(subject.nextCandidate(u"", 0, usable), 3u);
    const RegexSubject unindexed("ab|", u"");
    EXPECT_EQ(unindexed.nextCandidate(u"ab", 0, usable), RegexSubject::npos);
    EXPECT_FALSE(usable);
}

// Past its work budget the index stops answering for new lengths; searches then
// run plainly and still find every match.
TEST(RegexSubject, GivesUpOnTooManyLengthsAndSearchesPlainly) {
    Text text;
    for (int i = 0; i < 100; ++i) text += Text(400, 'a') + ";";
    const auto subject = std::make_shared<const RegexSubject>(text, u";");
    bool usable = true;
    for (std::size_t length = 300; length < 399 && usable; ++length) {
        subject->nextCandidate(std::u16string(length, u'a'), 0, usable);
    }
    EXPECT_FALSE(usable);
    const Text pattern = Text(399, 'A') + ";";
    subject->nextCandidate(std::u16string(399, u'a'), 0, usable);
    EXPECT_FALSE(usable);
    RegexMatcher fast;
    RegexMatcher plain;
    ASSERT_TRUE(fast.compile(pattern, subject));
    ASSERT_TRUE(plain.compile(pattern, text));
    EXPECT_EQ(fast.matchCount(), 100);
    EXPECT_EQ(everything(fast), everything(plain));
}

}  // namespace
