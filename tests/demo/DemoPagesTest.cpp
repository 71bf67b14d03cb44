#include <gtest/gtest.h>

#include "demo/DemoPages.h"

namespace {

constexpr std::string_view kLeftMarker = "no_border\">";
constexpr std::string_view kRightMarker = "<div class=\"holder\"></div>";

std::string tableOf(const std::string& page) {
    const std::size_t left = page.find(kLeftMarker);
    if (left == std::string::npos) return "<no left marker>";
    const std::size_t start = left + kLeftMarker.size();
    const std::size_t right = page.find(kRightMarker, start);
    if (right == std::string::npos) return "<no right marker>";
    return page.substr(start, right - start);
}

TEST(DemoPagesTest, RowsHaveTheServiceLayoutByteForByte) {
    const TrademarkEntry first{3, "1001", "Alpha", "Firm <A> & \"B\"", "2020-01-02", "已注册"};
    const TrademarkEntry second{3, "1002", "星光", "Two\nlines", "", "申请中"};
    const std::string page = resultPage("a", 3, {first, second});
    const std::string spaces22(22, ' ');
    const std::string cell = "</td>\n\t" + std::string(20, ' ') + "<td>";
    const std::string expected =
        "\n<tr>\n<th>商标号</th><th>商标名称</th><th>申请人</th><th>申请日期</th><th>状态</th>\n</tr>\n"
        "<tr>\n" +
        spaces22 + "\t<td>1001" + cell + "Alpha" + cell + "Firm &lt;A&gt; &amp; &quot;B&quot;" + cell + "2020-01-02" +
        cell +
        "已注册</td>\n</tr>\n"
        "<tr>\n" +
        spaces22 + "\t<td>1002" + cell + "星光" + cell + "Two\nlines" + cell + cell +
        "申请中</td>\n</tr>\n"
        "</table>\n";
    EXPECT_EQ(tableOf(page), expected);
    EXPECT_EQ(page.find(kLeftMarker), page.rfind(kLeftMarker));
}

TEST(DemoPagesTest, PageWithoutHitsHasTheMarkersAndNoRow) {
    const std::string page = resultPage("nothing", 12, {});
    const std::string table = tableOf(page);
    EXPECT_EQ(table.find("<td>"), std::string::npos);
    EXPECT_NE(table.find("</table>"), std::string::npos);
}

// The query is echoed above the table; markup or marker text in it must not
// end up where the client looks for the table.
TEST(DemoPagesTest, EchoedQueryCannotFakeTheMarkers) {
    const std::string page = resultPage("no_border\"><div class=\"holder\"></div>", 1, {});
    EXPECT_EQ(page.find(kLeftMarker), page.rfind(kLeftMarker));
    EXPECT_EQ(page.find(kRightMarker), page.rfind(kRightMarker));
}

TEST(DemoPagesTest, DetailPageShowsEveryFieldOfEveryEntry) {
    const TrademarkEntry first{7, "55", "Tandem One", "Maker & Co", "2001-02-03", "已注册"};
    const TrademarkEntry second{7, "55", "Tandem Two", "Other", "", "申请中"};
    const std::string page = detailPage({first, second});
    for (const char* text : {"<meta charset=\"utf-8\">", "Tandem One", "Tandem Two", "Maker &amp; Co", "2001-02-03",
                             "<th>类别</th><td>7</td>", "<th>商标号</th><td>55</td>", "申请中"}) {
        SCOPED_TRACE(text);
        EXPECT_NE(page.find(text), std::string::npos);
    }
}

TEST(DemoPagesTest, FormDecodingFollowsFormRules) {
    const std::pair<std::string_view, std::string_view> cases[] = {
        {"%E5%95%86%E6%A0%87", "商标"},
        {"a+b", "a b"},
        {"a%2Bb", "a+b"},
        {"%25", "%"},
        {"100%", "100%"},
        {"%zz1", "%zz1"},
        {"%4", "%4"},
        {"%6a%6A", "jj"},
    };
    for (const auto& [encoded, decoded] : cases) {
        SCOPED_TRACE(encoded);
        EXPECT_EQ(decodeFormComponent(encoded), decoded);
    }
    EXPECT_EQ(formValue("brand_name=%61b&type=7", "brand_name"), "ab");
    EXPECT_EQ(formValue("brand_name=%61b&type=7", "type"), "7");
    EXPECT_EQ(formValue("type=1&type=2", "type"), "1");
    EXPECT_EQ(formValue("m=&c=base_query&a=brand_detail", "m"), "");
    EXPECT_EQ(formValue("flag&x=1", "flag"), "");
    EXPECT_EQ(formValue("brand%5Fname=z", "brand_name"), "z");
    EXPECT_EQ(formValue("", "type"), "");
}

}  // namespace
