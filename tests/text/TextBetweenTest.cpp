#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "text/TextBetween.h"

namespace {

struct BetweenCase {
    std::string text;
    std::string left;
    std::string right;
    int start;
    bool matchCase;
    std::string expected;
};

TEST(TextBetween, CutsBetweenTheFirstLeftAndTheNextRightMarker) {
    const BetweenCase cases[] = {
        {"xx[a]yy[/a]zz", "[a]", "[/a]", 0, false, "yy"},
        {"xx[a]yy[/a]zz", "[A]", "[/a]", 0, false, "yy"},
        {"xx[a]yy[/a]zz", "[A]", "[/a]", 0, true, ""},
        {"xx[a]yy[/A]zz", "[a]", "[/a]", 0, true, ""},
        {"p id=\"k\"", "id=#\xD2\xFD\xBA\xC5", "#\xD2\xFD\xBA\xC5", 0, false, "k"},
        {"[/a]x[a]y", "[a]", "[/a]", 0, false, ""},  // the right marker only before the left one
        {"xx[a]", "[a]", "[/a]", 0, false, ""},      // left marker ends the text
        {"[a][/a]", "[a]", "[/a]", 0, false, ""},    // markers touch
        {"[a]yy", "[a]", "", 0, false, ""},          // empty right marker
        {"abc", "", "c", 0, false, "ab"},            // empty left marker: found at 1
        {"", "[a]", "[/a]", 0, false, ""},
        {"ab[a]c[/a]d[/a]", "[a]", "[/a]", 3, false, "c[/a]d"},
        {"ab[a]c[/a]d[/a]", "[a]", "[/a]", 1, false, "c"},
        {"ab[a]c[/a]d[/a]", "[a]", "[/a]", INT_MIN, false, "c"},
        {"ab[a]c[/a]d[/a]", "[a]", "[/a]", INT_MAX, false, ""},
        {"\xB0[a]b[a]c[/a]", "[a]", "[/a]", 0, false, "c"},  // the first "[" is paired with 0xB0
        {"\xB0[a]c[/a]", "[a]", "[/a]", 0, false, ""},
        {"x[\xB0]y[/a]", "[\xB0]", "[/a]", 0, false, "y"},
        {"Set-Cookie: SID=abc; path=/", "Set-Cookie:", ";", 0, false, " SID=abc"},
        {"set-cookie: SID=abc; path=/", "Set-Cookie:", ";", 0, false, " SID=abc"},
        {"<td class=\"no_border\">rows<div class=\"holder\"></div>", "no_border\">", "<div class=\"holder\"></div>", 0,
         false, "rows"},
        {"<a href=\"x\">", "href=#\xD2\xFD\xBA\xC5", "#\xD2\xFD\xBA\xC5", 0, false, "x"},
        {"<a href=#\xD2\xFD\xBA\xC5x\">", "href=#", "\"", 0, false, "\xD2\xFD\xBA\xC5x"},
    };
    for (const BetweenCase& c : cases) {
        SCOPED_TRACE(testing::Message() << '"' << c.text << "\" between \"" << c.left << "\" and \"" << c.right
                                        << "\" start " << c.start << " matchCase " << c.matchCase);
        EXPECT_EQ(textBetween(c.text, c.left, c.right, c.start, c.matchCase), c.expected);
    }
}

TEST(TextBetween, QuoteMarkerIsTheGbkPlaceholder) { EXPECT_EQ(kQuoteMarker, "#\xD2\xFD\xBA\xC5"); }

}  // namespace
