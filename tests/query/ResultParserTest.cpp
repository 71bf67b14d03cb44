#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "QueryTestSupport.h"
#include "query/QueryRun.h"
#include "query/ResultParser.h"
#include "text/Cancel.h"
#include "text/CodePage.h"

namespace {

using Row = RecordingToolkit::Row;

// The parser reads gClassNumber; a run sets it. Here a run of class 7 is faked
// by parsing inside the same globals a run would leave.
class ResultParserTest : public testing::Test {
  protected:
    void SetUp() override {
        releaseGlobals();
        toolkit.setFocusChangedHook([this] { ++focusChanges; });
    }

    RecordingToolkit toolkit;
    int focusChanges = 0;
};

TEST_F(ResultParserTest, MessagesAreTheExactGbkTexts) {
    EXPECT_EQ(Text(kRegexFailedMessage), gbk("正则创建失败，请检查正则表达式语句是否有误！"));
    EXPECT_EQ(Text(kNoResultMessage), gbk("您输入的商标名称未有查询结果"));
    EXPECT_EQ(Text(kMatchFailedMessage), gbk("匹配失败，请检检查正则语句是否有误，数量：0"));
    EXPECT_EQ(Text(rowPattern), "<tr>\n" + std::string(22, ' ') + "\t<td>([\\s\\S]*?)</td>");
    EXPECT_EQ(Text(nextCellSuffix), "</td>\n\t" + std::string(20, ' ') + "<td>([\\s\\S]*?)</td>");
}

TEST_F(ResultParserTest, WritesTheCellsOfEachRowInOrder) {
    const Text table = tableOf({{"1", "Apple", "Apple Inc.", "x"}, {"2", gbk("苹果"), gbk("苹果公司"), "y"}});
    EXPECT_EQ(parseResultRows(toolkit, table), 2);
    EXPECT_EQ(toolkit.rows(),
              (std::vector<Row>{{"1", "Apple", "Apple Inc.", ""}, {"2", gbk("苹果"), gbk("苹果公司"), ""}}));
    EXPECT_EQ(gRowNumberValue(), "2");
    EXPECT_EQ(gRowNameValue(), gbk("苹果"));
    // Stage 1 focuses each new row, stage 3 its temporary row.
    const std::vector<std::string> firstRow = {
        "appendRow 0",     "setCurrentRow 0", "focusChanged",           "setCell 0 0 1",
        "appendRow 1",     "deleteRow 1",     "setCell 0 1 Apple",      "appendRow 1",
        "setCurrentRow 1", "focusChanged",    "setCell 0 2 Apple Inc.", "deleteRow 1",
        "setCell 0 3 "};
    const std::vector<std::string> log = toolkit.log();
    ASSERT_GE(log.size(), firstRow.size());
    EXPECT_EQ(std::vector<std::string>(log.begin(), log.begin() + long(firstRow.size())), firstRow);
    EXPECT_EQ(focusChanges, 4);
    EXPECT_TRUE(toolkit.messages().empty());
}

// Anchors are pattern syntax; the last match wins; each failing stage shows its
// message and the row keeps what was written before.
TEST_F(ResultParserTest, AnchorsAreSyntaxAndTheLastMatchWins) {
    struct Case {
        const char* name;
        std::vector<std::vector<Text>> table;
        std::vector<Row> rows;
        std::vector<Text> messages;
    };
    const Text failed(kRegexFailedMessage);
    const Text missed(kMatchFailedMessage);
    const std::vector<Case> cases = {
        {"a tail of a longer cell also matches",
         {{"123", "N1", "A1", "x"}, {"4123", "N2", "A2", "x"}},
         {{"123", "N2", "A2", ""}, {"4123", "N2", "A2", ""}},
         {}},
        {"letter case is ignored",
         {{"ab", "N1", "A1", "x"}, {"AB", "N2", "A2", "x"}},
         {{"ab", "N2", "A2", ""}, {"AB", "N2", "A2", ""}},
         {}},
        {"a dot matches any character",
         {{"1.3", "N1", "A1", "x"}, {"123", "N2", "A2", "x"}},
         {{"1.3", "N2", "A2", ""}, {"123", "N2", "A2", ""}},
         {}},
        {"a group in the anchor becomes group 1",
         {{"(7)", "N1", "A1", "x"}, {"7", "N2", "A2", "x"}},
         {{"(7)", "7", "N2", ""}, {"7", "N2", "A2", ""}},
         {}},
        {"an invalid anchor fails that stage only",
         {{"5", "Foo(Bar", "A1", "x"}, {"6", "N2", "A2", "x"}},
         {{"5", "Foo(Bar", "", ""}, {"6", "N2", "A2", ""}},
         {failed}},
        {"a quote marker in the anchor is a quote",
         {{"9", gbk("q#引号"), "A1", "x"}, {"10", "q\"", "A2", "x"}},
         {{"9", gbk("q#引号"), "A2", ""}, {"10", "q\"", "A2", ""}},
         {}},
        {"an alternation splits the whole pattern", {{"a|zz", "N1", "A1", "x"}}, {{"a|zz", "", "x", ""}}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RecordingToolkit fresh;
        parseResultRows(fresh, tableOf(c.table));
        EXPECT_EQ(fresh.rows(), c.rows);
        EXPECT_EQ(fresh.messages(), c.messages);
    }
}

TEST_F(ResultParserTest, NoRowHidesTheIndicatorThenSaysSo) {
    toolkit.setVisible(Control::busyLabel, true);
    toolkit.setVisible(Control::busyProgress, true);
    EXPECT_EQ(parseResultRows(toolkit, ""), 0);
    EXPECT_TRUE(toolkit.rows().empty());
    EXPECT_FALSE(toolkit.isVisible(Control::busyLabel));
    EXPECT_FALSE(toolkit.isVisible(Control::busyProgress));
    const std::vector<std::string> log = toolkit.log();
    EXPECT_EQ(std::vector<std::string>(log.end() - 3, log.end()),
              (std::vector<std::string>{"setVisible busyProgress 0", "setVisible busyLabel 0",
                                        "showMessage " + Text(kNoResultMessage)}));
}

TEST_F(ResultParserTest, StagesTwoAndThreeReadTheirGlobals) {
    const Text table = tableOf({{"1", "Apple", "Apple Inc.", "x"}});
    toolkit.appendRow();
    {
        // gRowNumber is written by stage 1 only; set it through a parse.
        RecordingToolkit scratch;
        parseResultRows(scratch, table);
    }
    EXPECT_EQ(fillNameCells(toolkit, table), 1);
    EXPECT_EQ(toolkit.rows(), (std::vector<Row>{{"", "Apple", "Apple Inc.", ""}}));
    EXPECT_EQ(fillApplicantCells(toolkit, tableOf({{"Apple", "B"}})), 1);
    EXPECT_EQ(toolkit.rows()[0][2], "B");
}

TEST_F(ResultParserTest, CancelledRunWritesNothing) {
    CancelToken token;
    token.cancel();
    const CancelScope scope(token);
    parseResultRows(toolkit, tableOf({{"1", "Apple", "Apple Inc.", "x"}}));
    EXPECT_TRUE(toolkit.rows().empty());
    EXPECT_EQ(gRowNumberValue(), "");
    EXPECT_EQ(gRowNameValue(), "");
}

// Inputs built to hurt: each ends with rows or the system's messages.
TEST_F(ResultParserTest, BadInputEndsWithRowsOrMessages) {
    {
        SCOPED_TRACE("10,000 rows");
        std::vector<std::vector<Text>> rows;
        for (int i = 0; i < 10000; ++i) {
            const Text n = std::to_string(1000000 + i);
            rows.push_back({n, "name-" + n + "-a", "owner-" + n + "-b", "x"});
        }
        RecordingToolkit fresh;
        EXPECT_EQ(parseResultRows(fresh, tableOf(rows)), 10000);
        const auto parsed = fresh.rows();
        ASSERT_EQ(parsed.size(), 10000u);
        EXPECT_EQ(parsed[9999], (Row{"1009999", "name-1009999-a", "owner-1009999-b", ""}));
        EXPECT_TRUE(fresh.messages().empty());
    }
    {
        SCOPED_TRACE("a 10 MiB table");
        const Text filler(10 << 20, 'z');
        RecordingToolkit fresh;
        EXPECT_EQ(parseResultRows(fresh, tableOf({{"1", "N", filler, "x"}, {"2", "M", "O", "x"}})), 2);
        const auto parsed = fresh.rows();
        ASSERT_EQ(parsed.size(), 2u);
        EXPECT_EQ(parsed[0][2].size(), filler.size());
        EXPECT_EQ(parsed[1], (Row{"2", "M", "O", ""}));
    }
    {
        SCOPED_TRACE("a 1 MiB cell without its closing tag");
        Text table = tableOf({{"1", "N", "O", "x"}});
        table += "<tr>\n                      \t<td>2</td>\n\t                    <td>" + Text(1 << 20, 'q');
        RecordingToolkit fresh;
        EXPECT_EQ(parseResultRows(fresh, table), 2);
        EXPECT_EQ(fresh.rows(), (std::vector<Row>{{"1", "N", "O", ""}, {"2", "", "", ""}}));
        EXPECT_EQ(fresh.messages(), std::vector<Text>{Text(kMatchFailedMessage)});
    }
    {
        SCOPED_TRACE("an anchor that backtracks catastrophically");
        const Text runaway = Text(48, 'a') + "!";
        RecordingToolkit fresh;
        parseResultRows(fresh, tableOf({{"1", "(a|aa)*c", "O", "x"}, {"2", runaway, "P", "x"}}));
        EXPECT_EQ(fresh.rows(), (std::vector<Row>{{"1", "(a|aa)*c", "", ""}, {"2", runaway, "P", ""}}));
        EXPECT_EQ(fresh.messages(), std::vector<Text>{Text(kRegexFailedMessage)});
    }
}

// The indexed search is a shortcut: over generated tables and anchors (case
// variants, tails, empty cells, Chinese, syntax) it must drive the list exactly
// as the plain search does.
TEST_F(ResultParserTest, IndexedParseEqualsPlainParse) {
    const std::vector<Text> pieces = {"1", "23", "a", "B", "Ab", gbk("商"), gbk("標"), gbk("α"), gbk("Α"),     ".",
                                      "(", ")",  "+", "|", "*",  " ",       "\n",      "<b>",    gbk("#引号"), "\""};
    std::mt19937 random(4);
    auto below = [&](int n) { return std::uniform_int_distribution<int>(0, n - 1)(random); };
    for (int round = 0; round < 40; ++round) {
        std::vector<std::vector<Text>> rows;
        std::vector<Text> seen;
        for (int r = 1 + below(10); r > 0; --r) {
            std::vector<Text> cells;
            for (int c = 0; c < 4; ++c) {
                Text cell;
                if (!seen.empty() && below(4) == 0) {
                    cell = seen[std::size_t(below(int(seen.size())))];
                    if (below(2) == 0 && cell.size() > 1) cell = cell.substr(cell.size() / 2);
                } else {
                    for (int k = below(4); k > 0; --k) cell += pieces[std::size_t(below(int(pieces.size())))];
                }
                seen.push_back(cell);
                cells.push_back(cell);
            }
            rows.push_back(cells);
        }
        const Text table = tableOf(rows);
        SCOPED_TRACE(table);
        RecordingToolkit plain;
        RecordingToolkit indexed;
        EXPECT_EQ(parseResultRows(indexed, table, TableSearch::indexed),
                  parseResultRows(plain, table, TableSearch::plain));
        EXPECT_EQ(indexed.log(), plain.log());
    }
}

}  // namespace
