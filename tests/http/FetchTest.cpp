#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "http/CookieStore.h"
#include "http/Cookies.h"
#include "http/Fetch.h"
#include "testsupport/LoopbackServer.h"
#include "testsupport/RawHttpServer.h"
#include "testsupport/TempDataHome.h"

namespace {

using Lines = std::vector<std::string>;

const Text kDefaultTail =
    "\r\nAccept: */*\r\nAccept-Language: zh-cn\r\nUser-Agent: Mozilla/5.0 (compatible; MSIE 9.0; Windows NT 6.1; "
    "Trident/5.0)\r\nContent-Type: application/x-www-form-urlencoded";

// Cookies of a loopback URL live under its registrable host: "0.1" for 127.0.0.1.
const Text kLoopbackCookieHost = "0.1";

std::string hostLine(const RawHttpServer& server) { return "Host: 127.0.0.1:" + std::to_string(server.port()); }

Lines defaultHeaderLines(const std::string& url) {
    return {"Referer: " + url, "Accept: */*", "Accept-Language: zh-cn",
            "User-Agent: Mozilla/5.0 (compatible; MSIE 9.0; Windows NT 6.1; Trident/5.0)",
            "Content-Type: application/x-www-form-urlencoded"};
}

Lines concatLines(Lines first, const Lines& second) {
    first.insert(first.end(), second.begin(), second.end());
    return first;
}

class Fetch : public ::testing::Test {
  protected:
    TempDataHome dataHome_;
};

TEST_F(Fetch, PostWithDefaultHeadersSendsExactlyTheDefaultBlock) {
    RawHttpServer server(RawReply::echo);
    FetchParams params;
    params.url = server.url("/query/index.php?m=&c=base_query&a=base_query");
    params.method = "post";
    params.body = "brand_name=%E5%A4%A7&type=9";
    const Text reply = fetchText(params);

    ASSERT_EQ(server.requests().size(), 1u);
    const RawRequest request = server.requests()[0];
    EXPECT_EQ(request.requestLine(), "POST /query/index.php?m=&c=base_query&a=base_query HTTP/1.1");
    EXPECT_EQ(request.headerLines(),
              concatLines(concatLines({hostLine(server)}, defaultHeaderLines(params.url)), {"Content-Length: 27"}));
    EXPECT_EQ(request.body, "brand_name=%E5%A4%A7&type=9");
    EXPECT_EQ(reply, request.head + request.body);

    EXPECT_EQ(params.method, "POST");
    EXPECT_EQ(params.headers, "Referer: " + params.url + kDefaultTail);
    EXPECT_EQ(params.cookies, "");
}

TEST_F(Fetch, LargeBodyGoesOutWithoutAnExpectHandshake) {
    RawHttpServer server(RawReply::echo);
    FetchParams params;
    params.url = server.url("/big");
    params.method = "POST";
    params.body = std::string(2 << 20, 'b');
    fetchBytes(params);
    ASSERT_EQ(server.requests().size(), 1u);
    EXPECT_EQ(
        server.requests()[0].headerLines(),
        concatLines(concatLines({hostLine(server)}, defaultHeaderLines(params.url)), {"Content-Length: 2097152"}));
    EXPECT_EQ(server.requests()[0].body, params.body);
}

TEST_F(Fetch, EmptyMethodBecomesGetAndStillSendsTheContentType) {
    RawHttpServer server(RawReply::echo);
    FetchParams params;
    params.url = server.url("/page");
    fetchText(params);

    EXPECT_EQ(params.method, "GET");
    ASSERT_EQ(server.requests().size(), 1u);
    EXPECT_EQ(server.requests()[0].requestLine(), "GET /page HTTP/1.1");
    EXPECT_EQ(server.requests()[0].headerLines(), concatLines({hostLine(server)}, defaultHeaderLines(params.url)));
    EXPECT_EQ(server.requests()[0].body, "");
}

TEST_F(Fetch, CallersHeaderLinesAreSentAsTheyStand) {
    struct Case {
        Text headers;
        Lines sent;  // after the Host line
    };
    const std::vector<Case> cases = {
        {"X-Test: 1", {"X-Test: 1"}},
        {"no colon at all", {}},
        {"Referer: http://h:8080/p", {"Referer: http://h:8080/p"}},
        {"X-A: 1\r\nnot a header\r\nX-B: a:b:c\r\n", {"X-A: 1", "X-B: a:b:c"}},
        {"X-Tight:v", {"X-Tight: v"}},
        // A colon at the very end of a line is lost.
        {"X-Colon: v:", {"X-Colon: v"}},
        // A header without a value is not sent.
        {"X-Empty:\r\nX-Blank: \r\nX-Kept: 1", {"X-Kept: 1"}},
        // A later header of the same name replaces the earlier one.
        {"X-Twice: 1\r\nx-twice: 2", {"X-Twice: 2"}},
        // Lines that cannot go out as one header line are refused.
        {"Bad Name: 1\r\nX-Lf: a\nInjected: 1\r\nX-Ok: 1", {"X-Ok: 1"}},
        // The caller's own Accept and Content-Type replace nothing of libcurl's.
        {"Accept: text/html\r\nContent-Type: text/plain", {"Accept: text/html", "Content-Type: text/plain"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.headers);
        RawHttpServer server(RawReply::echo);
        FetchParams params;
        params.url = server.url("/h");
        params.headers = c.headers;
        fetchText(params);
        EXPECT_EQ(params.headers, c.headers);
        ASSERT_EQ(server.requests().size(), 1u);
        EXPECT_EQ(server.requests()[0].headerLines(), concatLines({hostLine(server)}, c.sent));
    }
}

TEST_F(Fetch, UrlBytesOutsideTheSafeSetAreSentPercentEncoded) {
    RawHttpServer server(RawReply::echo);
    FetchParams params;
    const std::string path = "/q?n=\xC9\xCC\xB1\xEA a&b=%41";
    params.url = server.url(path);
    fetchText(params);
    ASSERT_EQ(server.requests().size(), 1u);
    EXPECT_EQ(server.requests()[0].requestLine(), "GET /q?n=%C9%CC%B1%EA%20a&b=%41 HTTP/1.1");
    EXPECT_EQ(server.requests()[0].header("Referer"), params.url);
}

TEST_F(Fetch, BodyBytesGoBeforeTheTextBody) {
    RawHttpServer server(RawReply::echo);
    FetchParams params;
    params.url = server.url("/b");
    params.method = "PUT";
    params.body = "text body";
    params.bodyBytes = {0x01, 0x00, 0x02};
    fetchBytes(params);
    params.bodyBytes.clear();
    fetchBytes(params);
    const auto requests = server.requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].requestLine(), "PUT /b HTTP/1.1");
    EXPECT_EQ(requests[0].body, std::string("\x01\x00\x02", 3));
    EXPECT_EQ(requests[1].body, "text body");
}

TEST_F(Fetch, CookieHeaderMergesTheStoreWithTheCallersCookies) {
    RawHttpServer server(RawReply::echo);
    ASSERT_TRUE(storeCookie(kLoopbackCookieHost, "sid", "1"));
    ASSERT_TRUE(storeCookie(kLoopbackCookieHost, "lang", "zh"));
    FetchParams params;
    params.url = server.url("/c");
    params.cookies = "sid=2; extra=x";
    fetchText(params);

    ASSERT_EQ(server.requests().size(), 1u);
    const Lines sent = server.requests()[0].headerLines();
    ASSERT_GE(sent.size(), 2u);
    EXPECT_EQ(sent[1], "Cookie: sid=2; lang=zh; extra=x;");
    EXPECT_EQ(params.cookies, "sid=2; lang=zh; extra=x;");
    EXPECT_EQ(storedCookies(kLoopbackCookieHost),
              (std::vector<StoredCookie>{{"sid", "2"}, {"lang", "zh"}, {"extra", "x"}}));
}

TEST_F(Fetch, ResponseHeadersCookiesAndTheStoreAfterwards) {
    RawHttpServer server([](const RawRequest&) {
        return RawReply::http("200 OK",
                              {"X-One: 1", "Set-Cookie: a=1; path=/", "Set-Cookie: b=2; HttpOnly", "Set-Cookie: c=3",
                               "Set-Cookie: gone=deleted; expires=Thu, 01 Jan 1970 00:00:00 GMT",
                               "Set-Cookie: empty=; path=/", "Set-Cookie: SID=t; path=/", "Set-Cookie: b64=YQ=="},
                              "body");
    });
    const std::vector<StoredCookie> before = {
        {"old", "1"}, {"gone", "x"}, {"empty", "v"}, {"PHPSESSID", "p"}, {"b64", "old"}};
    for (const StoredCookie& cookie : before) ASSERT_TRUE(storeCookie(kLoopbackCookieHost, cookie.name, cookie.value));
    FetchParams params;
    params.url = server.url("/set");
    EXPECT_EQ(fetchText(params), "body");

    EXPECT_EQ(params.responseHeaders,
              "X-One: 1\r\nSet-Cookie: a=1; path=/\r\nSet-Cookie: b=2; HttpOnly\r\nSet-Cookie: c=3\r\n"
              "Set-Cookie: gone=deleted; expires=Thu, 01 Jan 1970 00:00:00 GMT\r\nSet-Cookie: empty=; path=/\r\n"
              "Set-Cookie: SID=t; path=/\r\nSet-Cookie: b64=YQ==\r\nContent-Length: 4\r\nConnection: close\r\n");
    EXPECT_EQ(params.redirectTarget, params.responseHeaders);
    EXPECT_EQ(params.responseCookies, "a=1; b=2; c=3; gone=deleted; empty=; SID=t; b64=YQ==;");
    EXPECT_EQ(params.cookies, "old=1; PHPSESSID=p; a=1; b=2; c=3; SID=t;");
    // Deleted cookies leave the store; a value ending in "=" is dropped by the
    // merge without deleting anything, so the stored one stays.
    EXPECT_EQ(storedCookies(kLoopbackCookieHost),
              (std::vector<StoredCookie>{
                  {"old", "1"}, {"PHPSESSID", "p"}, {"b64", "old"}, {"a", "1"}, {"b", "2"}, {"c", "3"}, {"SID", "t"}}));
}

TEST_F(Fetch, RedirectTargetComesFromLocationLines) {
    struct Case {
        Lines replyHeaders;
        Text preset;
        Text redirectTarget;  // "=headers": the response header text
    };
    const std::vector<Case> cases = {
        {{"Location: http://elsewhere/x "}, "", "http://elsewhere/x"},
        {{"Location: /first", "Location: /second"}, "", "/second"},
        {{"Content-Location: /x"}, "", "Content- /x"},
        {{"location: /lower"}, "", "=headers"},
        {{"X-None: 1"}, "", "=headers"},
        {{"X-None: 1"}, "kept", "kept"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.replyHeaders[0] + " preset '" + c.preset + "'");
        RawHttpServer server([&](const RawRequest&) { return RawReply::http("200 OK", c.replyHeaders, "x"); });
        FetchParams params;
        params.url = server.url("/r");
        params.redirectTarget = c.preset;
        params.noRedirect = true;
        fetchText(params);
        EXPECT_EQ(params.redirectTarget, c.redirectTarget == "=headers" ? params.responseHeaders : c.redirectTarget);
    }
}

TEST_F(Fetch, RedirectsAreFollowedUnlessNoRedirect) {
    LoopbackServer server;
    server.routes().Post("/start", [](const httplib::Request&, httplib::Response& response) {
        response.status = 302;
        response.set_header("Location", "/final");
        response.set_header("Set-Cookie", "hop=1; path=/");
        response.set_content("moved", "text/plain");
    });
    server.routes().Get("/final", [](const httplib::Request& request, httplib::Response& response) {
        response.set_header("X-Final", "yes");
        response.set_content("final via " + request.method, "text/plain");
    });
    server.start();

    FetchParams stay;
    stay.url = server.url("/start");
    stay.method = "POST";
    stay.body = "a=1";
    stay.noRedirect = true;
    EXPECT_EQ(fetchText(stay), "moved");
    EXPECT_EQ(stay.redirectTarget, "/final");
    EXPECT_NE(stay.responseHeaders.find("Location: /final\r\n"), Text::npos);
    EXPECT_EQ(stay.responseCookies, "hop=1;");

    FetchParams follow = stay;
    follow.noRedirect = false;
    follow.redirectTarget.clear();
    EXPECT_EQ(fetchText(follow), "final via GET");
    EXPECT_EQ(follow.responseHeaders.find("Location"), Text::npos);
    EXPECT_NE(follow.responseHeaders.find("X-Final: yes\r\n"), Text::npos);
    EXPECT_EQ(follow.redirectTarget, follow.responseHeaders);
}

TEST_F(Fetch, BodyWithAZeroByteComesWholeOnlyAsBytes) {
    const std::string body("ab\0cd", 5);
    RawHttpServer server([&](const RawRequest&) { return RawReply::http("200 OK", {}, body); });
    FetchParams params;
    params.url = server.url("/zero");
    const ByteSet bytes = fetchBytes(params);
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), body);
    FetchParams again;
    again.url = params.url;
    EXPECT_EQ(fetchText(again), "ab");
}

// Every failure looks alike: no body, no header text, and the cookies still
// merged and written back.
void expectFailedRequest(FetchParams& params, const ByteSet& result) {
    EXPECT_TRUE(result.empty());
    EXPECT_EQ(params.responseHeaders, "");
    EXPECT_EQ(params.responseCookies, "");
    EXPECT_EQ(params.redirectTarget, "");
    EXPECT_EQ(params.cookies, "k=v;");
    EXPECT_EQ(readBrowserCookies(hostOfUrl(params.url, true)), "k=v");
}

TEST_F(Fetch, MisbehavingServersGiveAFailedRequest) {
    struct Case {
        const char* what;
        RawReply reply;
    };
    const std::string head = "HTTP/1.1 200 OK\r\nContent-Length: 1000\r\nConnection: close\r\n\r\n";
    const std::vector<Case> cases = {
        {"silent server", {"", 0, RawReply::Then::Stall}},
        {"stall mid-body", {head + std::string(100, 'x'), 0, RawReply::Then::Stall}},
        {"reset mid-body", {head + std::string(100, 'x'), 0, RawReply::Then::Reset}},
        {"closed mid-body", {head + std::string(100, 'x'), 0, RawReply::Then::Close}},
        {"not HTTP", {"garbage\r\n\r\n", 0, RawReply::Then::Close}},
        {"declared over 64 MiB",
         {"HTTP/1.1 200 OK\r\nContent-Length: 67108865\r\n\r\n", (std::size_t{64} << 20) + 1, RawReply::Then::Close}},
        {"over 64 MiB until closed",
         {"HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n", (std::size_t{64} << 20) + 1, RawReply::Then::Close}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        RawHttpServer server([&](const RawRequest&) { return c.reply; });
        FetchParams params;
        params.url = server.url("/bad");
        params.cookies = "k=v";
        params.timeoutSeconds = 1;
        const ByteSet result = fetchBytes(params);
        expectFailedRequest(params, result);
    }
}

TEST_F(Fetch, UnusableTargetsGiveAFailedRequest) {
    const std::string refused = "http://127.0.0.1:" + std::to_string(unusedLoopbackPort()) + "/x";
    for (const Text& url : {Text(refused), Text("ftp://127.0.0.1/x"), Text("127.0.0.1/x"), Text("")}) {
        SCOPED_TRACE(url);
        FetchParams params;
        params.url = url;
        params.cookies = "k=v";
        const ByteSet result = fetchBytes(params);
        EXPECT_TRUE(result.empty());
        EXPECT_EQ(params.responseHeaders, "");
        EXPECT_EQ(params.cookies, "k=v;");
    }
    RawHttpServer server(RawReply::echo);
    FetchParams badMethod;
    badMethod.url = server.url("/m");
    badMethod.method = "ge t";
    EXPECT_TRUE(fetchBytes(badMethod).empty());
    EXPECT_EQ(badMethod.method, "GE T");
    EXPECT_TRUE(server.requests().empty());
}

TEST_F(Fetch, TimeoutValuesAllowAnOrdinaryRequest) {
    RawHttpServer server([](const RawRequest&) { return RawReply::http("200 OK", {}, "ok"); });
    for (const int seconds : {-1, 0, -2, 1, 30}) {
        SCOPED_TRACE(seconds);
        FetchParams params;
        params.url = server.url("/t");
        params.timeoutSeconds = seconds;
        EXPECT_EQ(fetchText(params), "ok");
    }
}

TEST_F(Fetch, CancellingFromAnotherThreadEndsAStalledTransfer) {
    RawHttpServer server([](const RawRequest&) { return RawReply{"", 0, RawReply::Then::Stall}; });
    CancelToken token;
    std::thread canceller([&] {
        while (server.requests().empty()) std::this_thread::sleep_for(std::chrono::milliseconds(5));
        token.cancel();
    });
    FetchParams params;
    params.url = server.url("/cancel");
    params.timeoutSeconds = -1;  // only the cancellation can end it
    params.cookies = "k=v";
    const ByteSet result = fetchBytes(params, &token);
    canceller.join();
    expectFailedRequest(params, result);
}

TEST_F(Fetch, TheThreadsCurrentTokenCancelsToo) {
    RawHttpServer server(RawReply::echo);
    CancelToken token;
    token.cancel();
    const CancelScope scope(token);
    FetchParams params;
    params.url = server.url("/cancel");
    EXPECT_EQ(fetchText(params), "");
    EXPECT_TRUE(server.requests().empty());
}

TEST_F(Fetch, ConcurrentRequestsKeepEveryCookie) {
    LoopbackServer server;
    server.routes().Get("/set", [](const httplib::Request& request, httplib::Response& response) {
        response.set_header("Set-Cookie", request.get_param_value("name") + "=1; path=/");
        response.set_content("ok", "text/plain");
    });
    server.start();
    constexpr int kThreads = 4;
    constexpr int kEach = 10;
    std::vector<std::thread> clients;
    for (int t = 0; t < kThreads; ++t) {
        clients.emplace_back([&, t] {
            for (int i = 0; i < kEach; ++i) {
                FetchParams params;
                params.url = server.url("/set?name=c" + std::to_string(t) + "_" + std::to_string(i));
                fetchText(params);
            }
        });
    }
    for (std::thread& client : clients) client.join();
    EXPECT_EQ(storedCookies(kLoopbackCookieHost).size(), std::size_t{kThreads * kEach});
}

}  // namespace
