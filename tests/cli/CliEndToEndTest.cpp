// trademark-query against the demo service, both as real processes on loopback.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "JsonReader.h"
#include "demo_fixture/DemoServiceProcess.h"
#include "demo_fixture/Process.h"
#include "testsupport/RawHttpServer.h"

namespace {

constexpr const char* kNoResult = "您输入的商标名称未有查询结果\n";
constexpr const char* kCompileFailed = "正则创建失败，请检查正则表达式语句是否有误！\n";
constexpr const char* kNoMatch = "匹配失败，请检检查正则语句是否有误，数量：0\n";
constexpr const char* kUsage = "usage: trademark-query [--host HOST[:PORT]] [--json] CLASS NAME\n";

// class, number, name, applicant, date, status
constexpr std::string_view kTestData =
    "7\t501\tRavel Amber\tAmber Works\t2011-01-01\t已注册\n"
    "7\t502\tamber\t琥珀示例有限公司\t2012-02-02\t申请中\n"
    "7\t503\t琥珀光\t琥珀光示例有限公司\t\t\n"
    "7\t506\tTab\\tCell\tBack\\\\slash\\nNext \"line\"\t\t\n"
    "8\t504\tAmber\tOther class\t\t\n"
    "16\t801\tX%41Y Paper\tPercent Firm\t\t\n"
    "20\t601\tKalo (Studio\tParen Firm\t\t\n"
    "21\t701\tQ+Verd\tPlus Firm\t\t\n"
    "21\t702\tZil.Marko\tDot Firm\t\t\n"
    "30\t901\tSana & Rel\tAmp Firm\t\t\n";

class CliEndToEndTest : public ::testing::Test {
  protected:
    void SetUp() override {
        service_ = startDemoServiceWithData(kTestData, dir_.path());
        ASSERT_GT(service_->port(), 0) << service_->startError();
    }

    // Runs the program with the cookie store in the test's folder.
    ProcessResult query(std::vector<std::string> args, const std::string& host = {}) {
        args.insert(args.begin(), {"--host", host.empty() ? service_->host() : host});
        return runProcess(TRADEMARK_QUERY_PATH, args, {{"XDG_DATA_HOME", (dir_.path() / "data").string()}});
    }

    // True when a file under the test's XDG_DATA_HOME holds the text.
    bool cookieStoreHolds(std::string_view text) const {
        const auto root = dir_.path() / "data";
        if (!std::filesystem::exists(root)) return false;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
            if (!entry.is_regular_file()) continue;
            std::ifstream file(entry.path(), std::ios::binary);
            const std::string content{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
            if (content.find(text) != std::string::npos) return true;
        }
        return false;
    }

    TempDir dir_;
    std::unique_ptr<DemoServiceProcess> service_;
};

TEST_F(CliEndToEndTest, ListsTheRowsOfLatinAndChineseNames) {
    const struct {
        std::vector<std::string> args;
        std::string out;
    } cases[] = {
        {{"7", "AMBER"}, "501\tRavel Amber\tAmber Works\t7\n502\tamber\t琥珀示例有限公司\t7\n"},
        {{"8", "amb"}, "504\tAmber\tOther class\t8\n"},
        {{"7", "琥珀光"}, "503\t琥珀光\t琥珀光示例有限公司\t7\n"},
        {{"7", "tab"}, "506\tTab\\tCell\tBack\\\\slash\\nNext &quot;line&quot;\t7\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.back());
        const ProcessResult result = query(c.args);
        EXPECT_EQ(result.out, c.out);
        EXPECT_EQ(result.err, "");
        EXPECT_EQ(result.exitCode, 0);
    }
    // The service's session cookie went through the request routine into the store.
    EXPECT_TRUE(cookieStoreHolds("PHPSESSID"));
}

// Cell texts are pattern syntax for the later parser stages and the whole page
// is percent-decoded: these rows come out as the service's client shows them.
TEST_F(CliEndToEndTest, NamesWithPatternCharacters) {
    const struct {
        std::vector<std::string> args;
        std::string out;
        std::string err;
    } cases[] = {
        {{"20", "kalo ("}, "601\tKalo (Studio\t\t\n", kCompileFailed},
        {{"21", "Q+"}, "701\tQ+Verd\t\t\n", kNoMatch},
        {{"21", "zil.m"}, "702\tZil.Marko\tDot Firm\t21\n", ""},
        {{"16", "x%41y"}, "801\tXAY Paper\tPercent Firm\t16\n", ""},
        {{"30", "sana &"}, "901\tSana &amp; Rel\tAmp Firm\t30\n", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.back());
        const ProcessResult result = query(c.args);
        EXPECT_EQ(result.out, c.out);
        EXPECT_EQ(result.err, c.err);
        EXPECT_EQ(result.exitCode, 0);
    }
}

TEST_F(CliEndToEndTest, NoHitGivesTheMessageAndStatusOne) {
    for (const bool json : {false, true}) {
        SCOPED_TRACE(json);
        std::vector<std::string> args{"7", "nothing like it"};
        if (json) args.insert(args.begin(), "--json");
        const ProcessResult result = query(args);
        EXPECT_EQ(result.out, json ? "[]\n" : "");
        EXPECT_EQ(result.err, kNoResult);
        EXPECT_EQ(result.exitCode, 1);
    }
}

TEST_F(CliEndToEndTest, UnreachableHostGivesTheNoResultMessage) {
    const int port = unusedLoopbackPort();
    ASSERT_GT(port, 0);
    const ProcessResult result = query({"7", "amber"}, "127.0.0.1:" + std::to_string(port));
    EXPECT_FALSE(result.timedOut);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, kNoResult);
    EXPECT_EQ(result.exitCode, 1);
}

TEST_F(CliEndToEndTest, JsonOutputHasEveryCell) {
    const ProcessResult result = query({"--json", "7", "a"});
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.exitCode, 0);
    const auto rows = readJsonObjectArray(result.out);
    ASSERT_TRUE(rows.has_value()) << result.out;
    const std::vector<JsonObject> expected = {
        {{"number", "501"}, {"name", "Ravel Amber"}, {"applicant", "Amber Works"}, {"class", "7"}},
        {{"number", "502"}, {"name", "amber"}, {"applicant", "琥珀示例有限公司"}, {"class", "7"}},
        {{"number", "506"}, {"name", "Tab\tCell"}, {"applicant", "Back\\slash\nNext &quot;line&quot;"}, {"class", "7"}},
    };
    ASSERT_EQ(rows->size(), expected.size());
    for (std::size_t r = 0; r < expected.size(); ++r) {
        for (const char* key : {"number", "name", "applicant", "class"}) {
            SCOPED_TRACE(std::to_string(r) + " " + key);
            ASSERT_EQ(rows->at(r).count(key), 1u);
            EXPECT_EQ(rows->at(r).at(key), expected[r].at(key));
        }
        EXPECT_EQ(rows->at(r).size(), 4u);
    }
}

TEST(CliArgumentsTest, BadArgumentsGiveTheUsageAndStatusTwo) {
    const std::vector<std::string> cases[] = {
        {},
        {"7"},
        {"0", "x"},
        {"46", "x"},
        {"x", "y"},
        {"--bogus", "7", "x"},
        {"7", "a", "b"},
        {"--host"},
        {"--host", "", "7", "x"},
    };
    for (const auto& args : cases) {
        SCOPED_TRACE(testing::PrintToString(args));
        const ProcessResult result = runProcess(TRADEMARK_QUERY_PATH, args);
        EXPECT_EQ(result.exitCode, 2);
        EXPECT_EQ(result.out, "");
        EXPECT_TRUE(result.err.starts_with("trademark-query: ")) << result.err;
        EXPECT_TRUE(result.err.ends_with(kUsage)) << result.err;
    }
    const ProcessResult help = runProcess(TRADEMARK_QUERY_PATH, {"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_EQ(help.out, kUsage);
}

}  // namespace
