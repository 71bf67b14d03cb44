#include <gtest/gtest.h>

#include "JsonReader.h"
#include "cli/RowOutput.h"

namespace {

TEST(RowOutputTest, TsvEscapesSeparatorsAndBackslashes) {
    const std::pair<std::string_view, std::string_view> cases[] = {
        {"plain 商标", "plain 商标"},     {"a\tb", "a\\tb"}, {"a\r\nb", "a\\r\\nb"},
        {"back\\slash", "back\\\\slash"}, {"\\t", "\\\\t"},  {"", ""},
    };
    for (const auto& [cell, escaped] : cases) {
        SCOPED_TRACE(cell);
        EXPECT_EQ(escapeTsvCell(cell), escaped);
    }
    EXPECT_EQ(formatTsv({{"1", "a\tb", "c", "7"}, {"2", "", "", ""}}), "1\ta\\tb\tc\t7\n2\t\t\t\n");
    EXPECT_EQ(formatTsv({}), "");
}

TEST(RowOutputTest, JsonEscapesEveryAwkwardCharacterAndReadsBack) {
    const std::vector<ResultRow> rows = {
        {"1", "quote \" backslash \\ slash /", "tab\tcr\rlf\nbell\x07 del\x7f", "7"},
        {"2", "商标 (测试)", "\x01\x1f\b\f", "45"},
    };
    const std::string json = formatJson(rows);
    EXPECT_NE(json.find("\\u0007"), std::string::npos);
    EXPECT_NE(json.find("\\u001f"), std::string::npos);
    const auto parsed = readJsonObjectArray(json);
    ASSERT_TRUE(parsed.has_value()) << json;
    ASSERT_EQ(parsed->size(), rows.size());
    for (std::size_t r = 0; r < rows.size(); ++r) {
        SCOPED_TRACE(r);
        EXPECT_EQ(parsed->at(r).size(), 4u);
        EXPECT_EQ(parsed->at(r).at("number"), rows[r][0]);
        EXPECT_EQ(parsed->at(r).at("name"), rows[r][1]);
        EXPECT_EQ(parsed->at(r).at("applicant"), rows[r][2]);
        EXPECT_EQ(parsed->at(r).at("class"), rows[r][3]);
    }
    EXPECT_EQ(formatJson({}), "[]\n");
}

// The reader the end-to-end tests rely on must refuse what is not JSON.
TEST(RowOutputTest, JsonReaderIsStrict) {
    for (const char* bad : {"", "[", "[{]", "[{\"a\":1}]", "[{\"a\":\"x\",}]", "[{\"a\":\"\t\"}]", "[{\"a\":\"\\x\"}]",
                            "[{\"a\":\"\\ud800\"}]", "[{\"a\":\"x\",\"a\":\"y\"}]", "[] x", "{}"}) {
        SCOPED_TRACE(bad);
        EXPECT_FALSE(readJsonObjectArray(bad).has_value());
    }
    const auto good = readJsonObjectArray(" [ {\"k\" : \"\\u5546\\ud83d\\ude00\\/\"} ] ");
    ASSERT_TRUE(good.has_value());
    EXPECT_EQ(good->at(0).at("k"), "商\xF0\x9F\x98\x80/");
}

}  // namespace
