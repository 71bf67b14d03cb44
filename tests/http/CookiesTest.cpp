#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "http/CookieStore.h"
#include "http/Cookies.h"
#include "testsupport/TempDataHome.h"

namespace {

struct HostCase {
    Text url;
    bool registrableOnly;
    bool keepPort;
    Text host;
};

TEST(HostOfUrl, CasesTable) {
    const std::vector<HostCase> cases = {
        {"http://Ab.Cd.Ef:8080/a/b", false, false, "ab.cd.ef"},
        {"http://Ab.Cd.Ef:8080/a/b", true, false, "cd.ef"},
        {"http://Ab.Cd.Ef:8080/a/b", false, true, "ab.cd.ef:8080"},
        {"cd.ef/x", false, false, "cd.ef"},
        {"http://h", false, false, "h"},
        {"", false, false, ""},
        {"", true, true, ""},
        {"http://localhost/x", true, false, "localhost"},
        {"http://10.0.0.1/", true, false, "0.1"},
        {"http://127.0.0.1:8080/q", true, false, "0.1"},
        {"https://Secure.Example.com:443/p", false, false, "secure.example.com"},
        // The text between the scheme and the first "/" is taken whole.
        {"http://user:pw@h/", false, false, "user"},
        {"http://h?q=1", false, false, "h?q=1"},
        // The scheme test is case-sensitive, and "http://" anywhere wins over a leading "https://".
        {"HTTP://h/", false, false, "http"},
        {"https://a.b.c/x?u=http://z.y/", false, false, "z.y"},
    };
    for (const HostCase& c : cases) {
        SCOPED_TRACE(c.url + (c.registrableOnly ? " registrable" : "") + (c.keepPort ? " keepPort" : ""));
        EXPECT_EQ(hostOfUrl(c.url, c.registrableOnly, c.keepPort), c.host);
    }
}

struct MergeCase {
    Text base;
    Text update;
    Text merged;
    Text updateAfter;
};

TEST(MergeCookieStrings, CasesTable) {
    const std::vector<MergeCase> cases = {
        {"sid=1", "sid=2", "sid=2;", "sid=2;"},
        {"", "a=1; b=2; ", "a=1; b=2;", "a=1; b=2;"},
        {"a=1; b=2", "b=deleted", "a=1;", "b=deleted;"},
        {"a=1; b=2", "b=", "a=1;", "b=;"},
        {"  a=1 ", "", "a=1;", ""},
        {"", "", "", ""},
        {"a=x=y", "", "a=x=y;", ""},
        {"t=abc==; u=1", "", "u=1;", ""},
        // Whole names only: a name inside a longer one is a different cookie.
        {"a=1; xb=2;", "b=3", "a=1; xb=2; b=3;", "b=3;"},
        {"PHPSESSID=p; SID=s", "SID=t", "PHPSESSID=p; SID=t;", "SID=t;"},
        // Names compared without their blanks, so a cookie never appears twice.
        {"y=2", "x=1; y=3", "y=3; x=1;", "x=1; y=3;"},
        {"a=1; a=2; b=1", "a=3", "a=3; b=1;", "a=3;"},
        {"a=1", "a=2; a=3", "a=3;", "a=2; a=3;"},
        // Names compare without regard to case.
        {"sid=1", "SID=2", "SID=2;", "SID=2;"},
        // The empty name is a name of its own.
        {"a=1; b=2", "=x", "a=1; b=2; =x;", "=x;"},
        // Pieces of base without "=" stay, those of update are ignored; blank pieces stay empty.
        {"a=1; flag; b=2", "other; c=3", "a=1; flag; b=2; c=3;", "other; c=3;"},
        {"a=1; ; b=2", "", "a=1; ; b=2;", ""},
        // A blank between "=" and ";" survives the drop test and is trimmed afterwards.
        {"a= ; b=1", "", "a=; b=1;", ""},
    };
    for (const MergeCase& c : cases) {
        SCOPED_TRACE("base '" + c.base + "' update '" + c.update + "'");
        Text base = c.base;
        Text update = c.update;
        const Text result = mergeCookieStrings(base, update);
        EXPECT_EQ(result, c.merged);
        EXPECT_EQ(base, c.merged);
        EXPECT_EQ(update, c.updateAfter);
    }
}

struct ExtractCase {
    Text text;
    int position;
    Text marker;
    std::optional<Text> secondMarker;
    Text terminator;
    bool ignoreCase;
    bool includeMarker;
    Text result;
    int positionAfter;
    std::optional<Text> secondMarkerAfter;
};

TEST(ExtractDelimited, CasesTable) {
    const std::vector<ExtractCase> cases = {
        {"a=1; sid=x; b", 0, "sid", std::nullopt, ";", true, true, "sid=x", 6, "sid"},
        {"a=1; SID=x", 0, "sid", std::nullopt, ";", true, true, "SID=x", 6, "sid"},
        {"a=1; SID=x", 0, "sid", std::nullopt, ";", false, true, "", -1, std::nullopt},
        {"a=1; sid=xyz", 1, "sid", std::nullopt, ";", true, true, "sid=xyz", 6, "sid"},
        {"sid=1; sid=2;", 3, "sid", std::nullopt, ";", true, true, "sid=2", 8, "sid"},
        {"a=1; sid=x", 0, "sid", std::nullopt, ";", true, false, "=x", 9, "sid"},
        {"k: v=1; rest", 0, "k", "v=", ";", true, false, "1", 6, "v="},
        {"k: v=1; rest", 0, "k", "v=", ";", true, true, "k: v=1", 1, "v="},
        {"k: x", 0, "k", "v=", ";", true, true, "", -1, "v="},
        {"none here", 0, "sid", std::nullopt, ";", true, true, "", -1, std::nullopt},
    };
    for (const ExtractCase& c : cases) {
        SCOPED_TRACE("text '" + c.text + "' marker '" + c.marker + "' from " + std::to_string(c.position));
        int position = c.position;
        std::optional<Text> secondMarker = c.secondMarker;
        EXPECT_EQ(
            extractDelimited(c.text, position, c.marker, secondMarker, c.terminator, c.ignoreCase, c.includeMarker),
            c.result);
        EXPECT_EQ(position, c.positionAfter);
        EXPECT_EQ(secondMarker, c.secondMarkerAfter);
    }
}

class BrowserCookies : public ::testing::Test {
  protected:
    TempDataHome dataHome_;
};

TEST_F(BrowserCookies, ReadsWhatWasWrittenUnderAnyFormOfTheAddress) {
    writeBrowserCookies("http://x.example.com/path", "a=1; sid=xyz; b=2");
    for (const char* address : {"x.example.com", "http://x.example.com", "https://X.Example.com/other",
                                "https://x.example.com:8443/", "http://x.example.com:8080/"}) {
        SCOPED_TRACE(address);
        EXPECT_EQ(readBrowserCookies(address), "a=1; sid=xyz; b=2");
    }
    EXPECT_EQ(readBrowserCookies("example.com"), "");
    EXPECT_EQ(readBrowserCookies(""), "");
    // The scheme test is case-sensitive: this is the host "https".
    EXPECT_EQ(readBrowserCookies("HTTPS://x.example.com/"), "");
}

TEST_F(BrowserCookies, LooksUpOneCookieAsPlainText) {
    writeBrowserCookies("h.example", "a=1; sid=xyz; b=2");
    const std::vector<std::pair<Text, Text>> cases = {
        {"sid", "xyz"},
        {"SID", "xyz"},
        {"b", "2"},
        {"a", "1"},
        {"missing", ""},
        // The name is found as plain text, even inside a longer name.
        {"id", "xyz"},
    };
    for (const auto& [name, value] : cases) {
        SCOPED_TRACE(name);
        EXPECT_EQ(readBrowserCookies("h.example", name), value);
    }
}

TEST_F(BrowserCookies, WritesEveryPairWithAValue) {
    writeBrowserCookies("https://H.example/", "a=1; b=x=y; c; d=; =e; f=g=; g==v");
    const std::vector<StoredCookie> expected = {{"a", "1"}, {"b", "x=y"}, {"f", "g"}, {"g", "=v"}};
    EXPECT_EQ(storedCookies("h.example"), expected);
    EXPECT_EQ(readBrowserCookies("h.example"), "a=1; b=x=y; f=g; g==v");
}

TEST_F(BrowserCookies, KeepsFarMoreThanAKilobyte) {
    Text cookies;
    for (int i = 0; i < 300; ++i) cookies += "cookie" + std::to_string(i) + "=value" + std::to_string(i) + "; ";
    writeBrowserCookies("many.example", cookies);
    Text expected = cookies;
    expected.resize(expected.size() - 2);
    EXPECT_GT(expected.size(), 1024u * 4);
    EXPECT_EQ(readBrowserCookies("many.example"), expected);
    EXPECT_EQ(readBrowserCookies("many.example", "cookie299"), "value299");
}

TEST_F(BrowserCookies, UpdatesKeepTheirPlaceAndNamesAreStoredTrimmed) {
    writeBrowserCookies("h.example", "a=1; b=2; c=3");
    writeBrowserCookies("h.example", " b=20;  d=4");
    EXPECT_EQ(readBrowserCookies("h.example"), "a=1; b=20; c=3; d=4");
}

}  // namespace
