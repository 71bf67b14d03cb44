#include <gtest/gtest.h>

#include "cli/CliOptions.h"

namespace {

TEST(CliOptionsTest, AcceptsClassNameHostAndJson) {
    const struct {
        std::vector<std::string_view> args;
        std::string host;
        bool json;
        int classNumber;
        std::string name;
    } cases[] = {
        {{"1", "ab1"}, "", false, 1, "ab1"},
        {{"45", "商标"}, "", false, 45, "商标"},
        {{"07", "x"}, "", false, 7, "x"},
        {{"--json", "3", "a b"}, "", true, 3, "a b"},
        {{"3", "a", "--json"}, "", true, 3, "a"},
        {{"--host", "example.test:8080", "9", "n"}, "example.test:8080", false, 9, "n"},
        {{"--host=127.0.0.1:1", "--json", "9", "n"}, "127.0.0.1:1", true, 9, "n"},
        {{"--host", "[::1]:80", "9", "n"}, "[::1]:80", false, 9, "n"},
        {{"9", ""}, "", false, 9, ""},
        {{"9", "--", "-dash"}, "", false, 9, "-dash"},
        {{"--", "9", "--json"}, "", false, 9, "--json"},
        {{"9", "-"}, "", false, 9, "-"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.args));
        const CliOptions options = parseCliArguments(c.args);
        EXPECT_EQ(options.error, "");
        EXPECT_FALSE(options.help);
        EXPECT_EQ(options.host, c.host);
        EXPECT_EQ(options.json, c.json);
        EXPECT_EQ(options.classNumber, c.classNumber);
        EXPECT_EQ(options.name, c.name);
    }
}

TEST(CliOptionsTest, RejectsBadArgumentsWithAReason) {
    const std::pair<std::vector<std::string_view>, std::string> cases[] = {
        {{}, "missing CLASS and NAME"},
        {{"7"}, "missing NAME"},
        {{"0", "x"}, "CLASS must be a number from 1 to 45, not \"0\""},
        {{"46", "x"}, "CLASS must be a number from 1 to 45, not \"46\""},
        {{"x", "y"}, "CLASS must be a number from 1 to 45, not \"x\""},
        {{"007", "y"}, "CLASS must be a number from 1 to 45, not \"007\""},
        {{"", "y"}, "CLASS must be a number from 1 to 45, not \"\""},
        {{"-1", "y"}, "unknown option \"-1\""},
        {{"--bogus", "7", "x"}, "unknown option \"--bogus\""},
        {{"--JSON", "7", "x"}, "unknown option \"--JSON\""},
        {{"7", "a", "b"}, "too many arguments"},
        {{"7", "x", "--host"}, "--host needs a value"},
        {{"--host", "", "7", "x"}, "bad host \"\""},
        {{"--host=", "7", "x"}, "bad host \"\""},
        {{"--host", "a/b", "7", "x"}, "bad host \"a/b\""},
        {{"--host", "a b", "7", "x"}, "bad host \"a b\""},
        {{"--host", "user@h", "7", "x"}, "bad host \"user@h\""},
    };
    for (const auto& [args, error] : cases) {
        SCOPED_TRACE(testing::PrintToString(args));
        EXPECT_EQ(parseCliArguments(args).error, error);
    }
}

TEST(CliOptionsTest, HelpWinsOverEverythingBeforeIt) {
    EXPECT_TRUE(parseCliArguments({"--help"}).help);
    EXPECT_TRUE(parseCliArguments({"--json", "-h", "--bogus"}).help);
    EXPECT_EQ(parseCliArguments({"--json", "-h"}).error, "");
}

}  // namespace
