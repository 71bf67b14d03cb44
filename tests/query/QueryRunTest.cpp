#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "QueryTestSupport.h"
#include "query/QueryRun.h"
#include "query/ResultParser.h"
#include "query/ServiceHost.h"
#include "testsupport/RawHttpServer.h"
#include "testsupport/TempDataHome.h"

namespace {

using Row = RecordingToolkit::Row;
using namespace std::chrono_literals;

RawReply page(std::string_view body) {
    return RawReply::http("200 OK", {"Content-Type: text/html; charset=utf-8"}, body);
}

bool waitFor(const std::function<bool()>& condition) {
    for (int i = 0; i < 2000 && !condition(); ++i) std::this_thread::sleep_for(5ms);
    return condition();
}

Text hostOf(const RawHttpServer& server) { return "127.0.0.1:" + std::to_string(server.port()); }

class QueryRunTest : public testing::Test {
  protected:
    void SetUp() override { releaseGlobals(); }

    // A runner on the toolkit whose focus-change event reaches the runner.
    std::unique_ptr<QueryRunner> runnerFor(RecordingToolkit& toolkit, const RawHttpServer& server) {
        auto runner = std::make_unique<QueryRunner>(toolkit, hostOf(server));
        toolkit.setFocusChangedHook([raw = runner.get()] { raw->onResultFocusChanged(); });
        return runner;
    }

    TempDataHome home;
};

const std::vector<Row> kRowsPage = {gbkRow("10000001", "苹果", "Apple 公司", "9"),
                                    gbkRow("10000002", "Banana", "香蕉有限公司", "9"),
                                    gbkRow("10000003", "樱桃", "Cherry Ltd.", "9")};

// Pages in the service's layout, posted for class 9: the rows, the current row
// and the messages, in order, that each leaves.
TEST_F(QueryRunTest, PagesGiveTheirRowsAndMessages) {
    struct Case {
        const char* fixture;
        std::vector<Row> rows;
        std::vector<Text> messages;
        int currentRow;
    };
    const Text noResult(kNoResultMessage);
    const Text missed(kMatchFailedMessage);
    const Text failed(kRegexFailedMessage);
    const std::vector<Case> cases = {
        {"rows.html", kRowsPage, {}, -1},
        {"indent-21.html", {}, {noResult}, -1},
        {"indent-23.html", {}, {noResult}, -1},
        {"swapped-tab.html", {}, {noResult}, -1},
        {"upper-case-tags.html", {gbkRow("20000001", "Kiwi", "Kiwi Co.", "9")}, {}, -1},
        {"multi-line-cell.html", {gbkRow("30000001", "第一行\n第二行\n", "多行公司", "9")}, {}, -1},
        {"empty-number.html", {gbkRow("", "X2", "A2", "9"), gbkRow("222", "N2", "A2", "9")}, {missed, missed}, -1},
        {"repeated-number.html", {gbkRow("555", "N2", "A2", "9"), gbkRow("555", "N2", "A2", "9")}, {}, -1},
        {"unbalanced-name.html", {gbkRow("777", "Foo(Bar", "", "")}, {failed}, 0},
        {"stage-2-miss.html", {gbkRow("888", "", "", ""), gbkRow("889", "Other", "Owner 2", "9")}, {missed}, -1},
        {"no-table.html", {}, {noResult}, -1},
        {"no-markers.html", {}, {noResult}, -1},
        {"", {}, {noResult}, -1},  // an empty reply
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fixture);
        const std::string body = *c.fixture ? readFixture(c.fixture) : std::string();
        ASSERT_TRUE(*c.fixture == '\0' || !body.empty());
        RawHttpServer server([&](const RawRequest&) { return page(body); });
        RecordingToolkit toolkit;
        toolkit.setNameText("x");
        toolkit.setSelectedClassIndex(8);
        const auto runner = runnerFor(toolkit, server);
        runner->onQueryButtonClicked();
        EXPECT_EQ(toolkit.rows(), c.rows);
        EXPECT_EQ(toolkit.messages(), c.messages);
        EXPECT_EQ(toolkit.messageIcons(), std::vector<int>(c.messages.size(), kErrorIcon));
        EXPECT_EQ(toolkit.currentRow(), c.currentRow);
        EXPECT_FALSE(toolkit.isVisible(Control::busyLabel));
        EXPECT_FALSE(toolkit.isVisible(Control::busyProgress));
        EXPECT_EQ(toolkit.log().front(), "clearRows");
        EXPECT_EQ(gClassNumberValue(), "9");
        // Only a page without the markers (or no page) leaves no table.
        const bool cut = *c.fixture != '\0' && std::string_view(c.fixture) != "no-markers.html";
        EXPECT_EQ(gResultHtmlValue().empty(), !cut);
    }
}

TEST_F(QueryRunTest, ResultHtmlIsTheDecodedTableBetweenTheMarkers) {
    RawHttpServer server(
        [](const RawRequest&) { return page("<p>no_border\"><td>%41%e5%95%86</td><DIV class=\"HOLDER\"></div>"); });
    RecordingToolkit toolkit;
    toolkit.setSelectedClassIndex(0);
    QueryRunner(toolkit, hostOf(server)).runQuery();
    EXPECT_EQ(gResultHtmlValue(), "<td>A" + gbk("商") + "</td>");
}

TEST_F(QueryRunTest, PostsTheNameAsEscapedUtf8AndTheClassNumber) {
    struct Case {
        Text name;
        int classIndex;
        const char* body;
    };
    const std::vector<Case> cases = {
        {"ab1", 0, "brand_name=%61%62%31&type=1"},
        {gbk("商标"), 44, "brand_name=%E5%95%86%E6%A0%87&type=45"},
        {"", 2, "brand_name=&type=3"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.body);
        RawHttpServer server([](const RawRequest&) { return page(""); });
        RecordingToolkit toolkit;
        toolkit.setNameText(c.name);
        toolkit.setSelectedClassIndex(c.classIndex);
        QueryRunner(toolkit, hostOf(server)).runQuery();
        const std::vector<RawRequest> requests = server.requests();
        ASSERT_EQ(requests.size(), 1u);
        EXPECT_EQ(requests[0].body, c.body);
        EXPECT_EQ(requests[0].requestLine(), "POST /query/index.php?m=&c=base_query&a=base_query HTTP/1.1");
        EXPECT_EQ(requests[0].header("Content-Type"), "application/x-www-form-urlencoded");
        EXPECT_EQ(requests[0].header("Referer"), searchEndpoint(hostOf(server)));
    }
}

TEST_F(QueryRunTest, RedirectIsNotFollowed) {
    std::atomic<int> calls{0};
    RawHttpServer server([&](const RawRequest&) {
        ++calls;
        return RawReply::http("302 Found", {"Location: /elsewhere"});
    });
    RecordingToolkit toolkit;
    toolkit.setSelectedClassIndex(0);
    QueryRunner(toolkit, hostOf(server)).runQuery();
    EXPECT_EQ(calls.load(), 1);
    EXPECT_EQ(toolkit.messages(), std::vector<Text>{Text(kNoResultMessage)});
}

TEST_F(QueryRunTest, BusyLoopEndsWith1300Stored) {
    for (const int start : {0, 1300}) {
        SCOPED_TRACE(start);
        RecordingToolkit toolkit;
        toolkit.setProgressPosition(start);
        showBusyIndicator(toolkit);
        EXPECT_EQ(toolkit.progressPosition(), 1300);
        EXPECT_TRUE(toolkit.isVisible(Control::busyLabel));
        EXPECT_TRUE(toolkit.isVisible(Control::busyProgress));
        int writes = 0;
        for (const std::string& entry : toolkit.log(true)) writes += entry.rfind("setProgressPosition", 0) == 0;
        EXPECT_EQ(writes, 1 + 1300 + 1299);  // the test's own, one per pass, a reset in all passes but the last
        const std::vector<std::string> log = toolkit.log();
        EXPECT_EQ(log, (std::vector<std::string>{"setVisible busyLabel 1", "setVisible busyProgress 1"}));
    }
}

TEST_F(QueryRunTest, PressWithoutClassEmptiesTheListAndSaysSo) {
    RawHttpServer server([](const RawRequest&) { return page(""); });
    RecordingToolkit toolkit;
    toolkit.appendRow();
    QueryRunner runner(toolkit, hostOf(server));
    runner.onQueryButtonClicked();
    EXPECT_EQ(toolkit.log(),
              (std::vector<std::string>{"appendRow 0", "clearRows", "showMessage " + Text(kNoClassMessage)}));
    EXPECT_EQ(Text(kNoClassMessage), gbk("您选择查询类别"));
    EXPECT_TRUE(server.requests().empty());
    EXPECT_EQ(gClassNumberValue(), "");
}

TEST_F(QueryRunTest, ListActionsOpenTheDetailUrlOfTheCurrentRow) {
    const std::string body = readFixture("rows.html");
    RawHttpServer server([&](const RawRequest&) { return page(body); });
    RecordingToolkit toolkit;
    QueryRunner runner(toolkit, hostOf(server));
    const Text prefix = "http://" + hostOf(server) + "/query/index.php?m=&c=base_query&a=brand_detail&num=";
    runner.onResultClicked();  // before any query: no row, no class
    toolkit.setSelectedClassIndex(8);
    runner.runQuery();
    toolkit.setCurrentRow(1);
    runner.onResultClicked();
    runner.onResultRightButtonUp(3, 4, 0);
    toolkit.setCurrentRow(-1);
    runner.onResultRightButtonUp(0, 0, 0);
    EXPECT_EQ(toolkit.navigatedUrls(), (std::vector<Text>{prefix + "&type=", prefix + "10000002&type=9"}));
    EXPECT_EQ(toolkit.openedUrls(), (std::vector<Text>{prefix + "10000002&type=9", prefix + "&type=9"}));
    EXPECT_EQ(detailUrl("h", gbk("商"), "3"),
              "http://h/query/index.php?m=&c=base_query&a=brand_detail&num=" + gbk("商") + "&type=3");
    EXPECT_FALSE(std::string_view(kServiceHost).empty());
}

// A second press cancels the first run while its request stalls; only the
// second run's rows and globals remain.
TEST_F(QueryRunTest, PressSupersedesAStalledRun) {
    const std::string body = readFixture("rows.html");
    ASSERT_FALSE(body.empty());
    std::atomic<int> calls{0};
    RawHttpServer server([&](const RawRequest&) {
        if (calls++ == 0) return RawReply{"", 0, RawReply::Then::Stall};
        return page(body);
    });
    RecordingToolkit toolkit(RecordingToolkit::Workers::threads);
    const auto runner = runnerFor(toolkit, server);
    toolkit.setSelectedClassIndex(0);
    runner->onQueryButtonClicked();
    ASSERT_TRUE(waitFor([&] { return server.requests().size() == 1; }));
    toolkit.setSelectedClassIndex(8);
    runner->onQueryButtonClicked();
    toolkit.joinWorkers();
    EXPECT_FALSE(runner->busy());
    EXPECT_EQ(toolkit.rows(), kRowsPage);
    EXPECT_TRUE(toolkit.messages().empty());
    EXPECT_EQ(gClassNumberValue(), "9");
    EXPECT_EQ(gRowNumberValue(), gbk("10000003"));
}

// The first run is cancelled while its message box is open in the middle of
// the parse: its remaining rows never appear.
TEST_F(QueryRunTest, PressSupersedesARunWaitingInAMessageBox) {
    const std::string first = readFixture("stage-2-miss.html");
    const std::string second = readFixture("rows.html");
    ASSERT_FALSE(first.empty() || second.empty());
    std::atomic<int> calls{0};
    RawHttpServer server([&](const RawRequest&) { return page(calls++ == 0 ? first : second); });
    RecordingToolkit toolkit(RecordingToolkit::Workers::threads);
    toolkit.setBlockingMessages(true);
    const auto runner = runnerFor(toolkit, server);
    toolkit.setSelectedClassIndex(8);
    runner->onQueryButtonClicked();
    ASSERT_TRUE(toolkit.waitForMessages(1, 20s));
    runner->onQueryButtonClicked();
    toolkit.joinWorkers();
    EXPECT_EQ(toolkit.rows(), kRowsPage);
    EXPECT_EQ(toolkit.messages(), std::vector<Text>{Text(kMatchFailedMessage)});
}

TEST_F(QueryRunTest, ShutdownEndsARunPromptly) {
    struct Case {
        const char* name;
        bool stall;  // else the run waits in its message box
    };
    for (const Case& c : {Case{"stalled request", true}, Case{"open message box", false}}) {
        SCOPED_TRACE(c.name);
        RawHttpServer server([&](const RawRequest&) {
            return c.stall ? RawReply{"", 0, RawReply::Then::Stall} : page("");
        });
        RecordingToolkit toolkit(RecordingToolkit::Workers::threads);
        toolkit.setBlockingMessages(true);
        toolkit.setSelectedClassIndex(0);
        {
            QueryRunner runner(toolkit, hostOf(server));
            runner.onQueryButtonClicked();
            ASSERT_TRUE(waitFor([&] { return server.requests().size() == 1; }));
            if (!c.stall) {
                ASSERT_TRUE(toolkit.waitForMessages(1, 20s));
            }
            EXPECT_TRUE(runner.busy());
            runner.shutdown();
            EXPECT_FALSE(runner.busy());
            runner.onQueryButtonClicked();  // a press after shutdown starts a new run
            ASSERT_TRUE(waitFor([&] { return server.requests().size() == 2; }));
        }  // the destructor cancels and waits as well
        toolkit.joinWorkers();
        EXPECT_TRUE(toolkit.rows().empty());
        EXPECT_EQ(gResultHtmlValue(), "");
    }
}

}  // namespace
