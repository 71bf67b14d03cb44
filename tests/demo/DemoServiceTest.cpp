// The demo service as a real process on a loopback port.

#include <gtest/gtest.h>
#include <httplib.h>
#include <signal.h>

#include <fstream>
#include <set>

#include "demo_fixture/DemoServiceProcess.h"
#include "demo_fixture/Process.h"

namespace {

constexpr const char* kSearchTarget = "/query/index.php?m=&c=base_query&a=base_query";
constexpr const char* kFormType = "application/x-www-form-urlencoded";

constexpr std::string_view kTestData =
    "7\t501\tRavel Amber\tAmber Works\t2011-01-01\t已注册\n"
    "7\t502\tamber\t琥珀示例有限公司\t2012-02-02\t申请中\n"
    "7\t503\t琥珀光\t琥珀示例有限公司\t\t\n"
    "7\t503\tShared Number\tSecond\t\t\n"
    "8\t504\tAmber\tOther class\t\t\n"
    "7\t505\tA+B (x\tPattern Firm\t\t\n";

class DemoServiceTest : public ::testing::Test {
  protected:
    void SetUp() override {
        service_ = startDemoServiceWithData(kTestData, dir_.path());
        ASSERT_GT(service_->port(), 0) << service_->startError();
        client_ = std::make_unique<httplib::Client>("127.0.0.1", service_->port());
    }

    httplib::Result search(const std::string& body) { return client_->Post(kSearchTarget, body, kFormType); }

    TempDir dir_;
    std::unique_ptr<DemoServiceProcess> service_;
    std::unique_ptr<httplib::Client> client_;
};

int rowCount(const std::string& page) {
    int count = 0;
    for (std::size_t at = page.find("<tr>\n                      \t<td>"); at != std::string::npos;
         at = page.find("<tr>\n                      \t<td>", at + 1))
        ++count;
    return count;
}

TEST_F(DemoServiceTest, SearchAnswersTheMatchingRowsOfTheClass) {
    const struct {
        std::string body;
        int rows;
        std::vector<std::string> present;
    } cases[] = {
        {"brand_name=%61%6D%62%65%72&type=7", 2, {"<td>501", "<td>502", "Ravel Amber"}},
        {"brand_name=AMBER&type=8", 1, {"<td>504"}},
        {"brand_name=%E7%90%A5%E7%8F%80&type=7", 1, {"<td>503", "琥珀光"}},
        {"brand_name=a%2Bb+%28&type=7", 1, {"<td>505", "A+B (x"}},
        {"brand_name=ravel+amber&type=7", 1, {"<td>501"}},
        {"brand_name=nothing&type=7", 0, {"no_border\">", "<div class=\"holder\"></div>"}},
        {"brand_name=amber&type=46", 0, {"no_border\">"}},
        {"brand_name=amber", 0, {"no_border\">"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.body);
        const auto res = search(c.body);
        ASSERT_TRUE(res);
        EXPECT_EQ(res->status, 200);
        EXPECT_EQ(res->get_header_value("Content-Type"), "text/html; charset=utf-8");
        EXPECT_EQ(rowCount(res->body), c.rows);
        for (const std::string& text : c.present) EXPECT_NE(res->body.find(text), std::string::npos) << text;
    }
}

TEST_F(DemoServiceTest, DetailPageForKnownEntriesAndErrorPageOtherwise) {
    auto res = client_->Get("/query/index.php?m=&c=base_query&a=brand_detail&num=503&type=7");
    ASSERT_TRUE(res);
    EXPECT_EQ(res->status, 200);
    EXPECT_NE(res->body.find("琥珀光"), std::string::npos);
    EXPECT_NE(res->body.find("Shared Number"), std::string::npos);
    EXPECT_EQ(res->body.find("no_border"), std::string::npos);

    for (const char* target : {"/query/index.php?m=&c=base_query&a=brand_detail&num=503&type=8",
                               "/query/index.php?m=&c=base_query&a=brand_detail&num=&type=",
                               "/query/index.php?m=&c=base_query&a=brand_detail&num=999&type=7",
                               "/query/index.php?m=&c=base_query&a=other", "/elsewhere"}) {
        SCOPED_TRACE(target);
        res = client_->Get(target);
        ASSERT_TRUE(res);
        EXPECT_EQ(res->status, 404);
        EXPECT_NE(res->body.find("<h1>404</h1>"), std::string::npos);
        EXPECT_EQ(res->get_header_value("Content-Type"), "text/html; charset=utf-8");
    }
}

TEST_F(DemoServiceTest, EveryAnswerSetsASessionCookieAndKeepsAGivenSession) {
    const auto found = client_->Get("/query/index.php?m=&c=base_query&a=brand_detail&num=501&type=7");
    const auto missing = client_->Get("/nowhere");
    const auto searched = search("brand_name=x&type=1");
    const auto refused = client_->Post(kSearchTarget, std::string(2 << 20, 'x'), kFormType);
    std::set<std::string> sessions;
    for (const auto* res : {&found, &missing, &searched, &refused}) {
        ASSERT_TRUE(*res);
        const std::string cookie = (*res)->get_header_value("Set-Cookie");
        SCOPED_TRACE(cookie);
        ASSERT_TRUE(cookie.starts_with("PHPSESSID="));
        EXPECT_TRUE(cookie.ends_with("; path=/; HttpOnly"));
        sessions.insert(cookie.substr(0, cookie.find(';')));
    }
    EXPECT_EQ(sessions.size(), 4u);
    EXPECT_EQ(refused->status, 413);

    const std::string session = *sessions.begin();
    const auto again =
        client_->Post(kSearchTarget, {{"Cookie", "other=1; " + session}}, "brand_name=x&type=1", kFormType);
    ASSERT_TRUE(again);
    EXPECT_EQ(again->get_header_value("Set-Cookie"), session + "; path=/; HttpOnly");
}

TEST(DemoServiceProcessTest, StopsCleanlyOnSigintAndSigterm) {
    for (const int signalNumber : {SIGINT, SIGTERM}) {
        SCOPED_TRACE(signalNumber);
        DemoServiceProcess service;
        ASSERT_GT(service.port(), 0) << service.startError();
        httplib::Client client("127.0.0.1", service.port());
        ASSERT_TRUE(client.Get("/"));
        EXPECT_EQ(service.stop(signalNumber), 0);
        EXPECT_FALSE(httplib::Client("127.0.0.1", service.port()).Get("/"));
    }
}

TEST(DemoServiceProcessTest, BadArgumentsDataAndBusyPortAreRefused) {
    TempDir dir;
    const auto badData = dir.path() / "bad.tsv";
    std::ofstream(badData) << "# fine\n99\t1\tA\tb\tc\td\n";
    DemoServiceProcess running;
    ASSERT_GT(running.port(), 0) << running.startError();
    const struct {
        std::vector<std::string> args;
        int exitCode;
        std::string message;
    } cases[] = {
        {{"--port", "70000"}, 2, "usage: trademark-demo-service"},
        {{"--port"}, 2, "usage: trademark-demo-service"},
        {{"--colour"}, 2, "usage: trademark-demo-service"},
        {{"--port", "0", "--data", (dir.path() / "absent.tsv").string()}, 1, "cannot read"},
        {{"--port", "0", "--data", badData.string()}, 1, "line 2: class outside 1..45"},
        {{"--port", std::to_string(running.port())}, 1, "cannot listen on 127.0.0.1:"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.front() + " " + c.args.back());
        const ProcessResult result = runProcess(demoServicePath(), c.args, {}, std::chrono::seconds(20));
        EXPECT_EQ(result.exitCode, c.exitCode);
        EXPECT_NE(result.err.find(c.message), std::string::npos) << result.err;
        EXPECT_EQ(result.out, "");
    }
}

TEST(DemoServiceProcessTest, BundledSetServesTheLargeSeries) {
    DemoServiceProcess service;
    ASSERT_GT(service.port(), 0) << service.startError();
    httplib::Client client("127.0.0.1", service.port());
    const auto res = client.Post(kSearchTarget, "brand_name=Quorvelyn&type=35", kFormType);
    ASSERT_TRUE(res);
    EXPECT_EQ(rowCount(res->body), 2000);
}

}  // namespace
