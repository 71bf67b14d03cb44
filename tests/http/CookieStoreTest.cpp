#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "http/CookieStore.h"
#include "http/Cookies.h"
#include "testsupport/TempDataHome.h"

extern char** environ;

namespace {

// Starts the cookie store tool with the given arguments; returns its process id.
pid_t startTool(const std::vector<std::string>& arguments) {
    std::vector<std::string> owned = {COOKIE_STORE_TOOL};
    owned.insert(owned.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& argument : owned) argv.push_back(argument.data());
    argv.push_back(nullptr);
    pid_t pid = -1;
    EXPECT_EQ(posix_spawn(&pid, COOKIE_STORE_TOOL, nullptr, nullptr, argv.data(), environ), 0);
    return pid;
}

int exitStatusOf(pid_t pid) {
    int status = 0;
    if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status);
}

// What another process reads from the store for the host.
std::string readInOtherProcess(const std::string& host) {
    const std::string command = std::string(COOKIE_STORE_TOOL) + " read '" + host + "'";
    std::string output;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[4096];
        while (const std::size_t got = std::fread(buffer, 1, sizeof buffer, pipe)) output.append(buffer, got);
        pclose(pipe);
    }
    return output;
}

class CookieStore : public ::testing::Test {
  protected:
    TempDataHome dataHome_;
};

TEST_F(CookieStore, LivesInTheDataHomeWithOwnerOnlyAccess) {
    const auto expected = dataHome_.path() / "trademark-search" / "cookies.sqlite";
    EXPECT_EQ(cookieStorePath(), expected);
    ASSERT_TRUE(storeCookie("example.com", "a", "1"));
    struct stat status {};
    ASSERT_EQ(stat(expected.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0600u);
}

TEST_F(CookieStore, SetsReplacesAndRemovesCookiesOfOneHost) {
    EXPECT_TRUE(storedCookies("example.com").empty());
    EXPECT_TRUE(storeCookie("example.com", "sid", "1"));
    EXPECT_TRUE(storeCookie(".Example.COM", " lang ", "zh"));
    EXPECT_TRUE(storeCookie("example.com", "sid", "2"));
    EXPECT_TRUE(storeCookie("other.com", "sid", "9"));
    EXPECT_EQ(storedCookies("EXAMPLE.com"), (std::vector<StoredCookie>{{"sid", "2"}, {"lang", "zh"}}));

    EXPECT_TRUE(removeStoredCookie("example.com", "sid"));
    EXPECT_TRUE(removeStoredCookie("example.com", "never-stored"));
    EXPECT_EQ(storedCookies("example.com"), (std::vector<StoredCookie>{{"lang", "zh"}}));
    EXPECT_EQ(storedCookies("other.com"), (std::vector<StoredCookie>{{"sid", "9"}}));

    EXPECT_FALSE(storeCookie("", "a", "1"));
    EXPECT_FALSE(storeCookie("example.com", "  ", "1"));
}

TEST_F(CookieStore, ReadsEmptyAndIgnoresWritesWhenItCannotBeOpened) {
    // A file where the store's folder should be makes the store unusable.
    std::FILE* blocker = std::fopen((dataHome_.path() / "trademark-search").c_str(), "w");
    ASSERT_NE(blocker, nullptr);
    std::fclose(blocker);
    EXPECT_FALSE(storeCookie("example.com", "a", "1"));
    EXPECT_TRUE(storedCookies("example.com").empty());
    writeBrowserCookies("example.com", "a=1");
    EXPECT_EQ(readBrowserCookies("example.com"), "");
}

TEST_F(CookieStore, SurvivesTheProcessThatWroteIt) {
    writeBrowserCookies("example.com", "a=1; b=2");
    EXPECT_EQ(readInOtherProcess("example.com"), "a=1; b=2");

    ASSERT_EQ(exitStatusOf(startTool({"write", "tool.example", "t", "3"})), 0);
    EXPECT_EQ(readBrowserCookies("tool.example"), "t0=0; t1=1; t2=2");
}

TEST_F(CookieStore, TwoProcessesWritingAtOnceLoseNothing) {
    constexpr int kEach = 150;
    storedCookies("example.com");  // this process holds the store open meanwhile
    const pid_t first = startTool({"write", "example.com", "p", std::to_string(kEach)});
    const pid_t second = startTool({"write", "example.com", "q", std::to_string(kEach)});
    EXPECT_EQ(exitStatusOf(first), 0);
    EXPECT_EQ(exitStatusOf(second), 0);
    const auto cookies = storedCookies("example.com");
    ASSERT_EQ(cookies.size(), 2u * kEach);
    for (int i = 0; i < kEach; ++i) {
        for (const char* prefix : {"p", "q"}) {
            const StoredCookie wanted{prefix + std::to_string(i), std::to_string(i)};
            EXPECT_NE(std::find(cookies.begin(), cookies.end(), wanted), cookies.end()) << wanted.name;
        }
    }
}

TEST_F(CookieStore, ThreadsWritingAtOnceLoseNothing) {
    constexpr int kThreads = 4;
    constexpr int kEach = 50;
    std::vector<std::thread> writers;
    for (int t = 0; t < kThreads; ++t) {
        writers.emplace_back([t] {
            for (int i = 0; i < kEach; ++i) {
                writeBrowserCookies("example.com", "t" + std::to_string(t) + "_" + std::to_string(i) + "=v");
                readBrowserCookies("example.com");
            }
        });
    }
    for (std::thread& writer : writers) writer.join();
    EXPECT_EQ(storedCookies("example.com").size(), std::size_t{kThreads * kEach});
}

}  // namespace
