// One form POST with a 100 KiB reply over loopback: fetchText (cookie store read,
// merge and write included) against a bare libcurl easy transfer of the same
// request, both against the same local server in the same run.
//
//   cmake --build build --target http_bench && build/bench/http/http_bench

#include <benchmark/benchmark.h>
#include <curl/curl.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <thread>

#include "http/CookieStore.h"
#include "http/Fetch.h"
#include "testsupport/LoopbackServer.h"
#include "testsupport/RawHttpServer.h"
#include "testsupport/TempDataHome.h"

namespace {

constexpr std::size_t kReplyBytes = 100 * 1024;
const std::string kBody = "brand_name=%E5%A4%A7%E5%9C%B0&type=9";
const std::string kHeaderTail =
    "Accept: */*|Accept-Language: zh-cn|User-Agent: Mozilla/5.0 (compatible; MSIE 9.0; Windows NT 6.1; Trident/5.0)|"
    "Content-Type: application/x-www-form-urlencoded";

// The search endpoint stand-in: a 100 KiB page and a session cookie whose value
// changes with every reply, so every fetchText writes to the store.
class SearchServer {
  public:
    SearchServer() : reply_(kReplyBytes, 'x') {
        server_.routes().Post("/query/index.php", [this](const httplib::Request&, httplib::Response& response) {
            response.set_header("Set-Cookie", "PHPSESSID=" + std::to_string(++serial_) + "; path=/");
            response.set_content(reply_, "text/html");
        });
        server_.start();
    }
    std::string url() const { return server_.url("/query/index.php?m=&c=base_query&a=base_query"); }

  private:
    std::string reply_;
    std::atomic<int> serial_{0};
    LoopbackServer server_;
};

SearchServer& searchServer() {
    static SearchServer server;
    return server;
}

std::size_t collect(char* data, std::size_t size, std::size_t count, void* user) {
    static_cast<std::string*>(user)->append(data, size * count);
    return size * count;
}

// fetchText, or fetchBytes when bytes is set (the same without the conversion of
// the reply to text).
template <bool bytes>
void fetchSearchPage(benchmark::State& state) {
    const TempDataHome dataHome;
    storeCookie("0.1", "lang", "zh");
    storeCookie("0.1", "theme", "plain");
    const std::string url = searchServer().url();
    for (auto _ : state) {
        FetchParams params;
        params.url = url;
        params.method = "POST";
        params.body = kBody;
        params.noRedirect = true;
        std::size_t size = 0;
        if constexpr (bytes) {
            size = fetchBytes(params).size();
        } else {
            size = fetchText(params).size();
        }
        if (size != kReplyBytes) state.SkipWithError("short reply");
    }
}

void BM_FetchText(benchmark::State& state) { fetchSearchPage<false>(state); }
BENCHMARK(BM_FetchText)->Unit(benchmark::kMicrosecond)->MinTime(2.0);

void BM_FetchBytes(benchmark::State& state) { fetchSearchPage<true>(state); }
BENCHMARK(BM_FetchBytes)->Unit(benchmark::kMicrosecond)->MinTime(2.0);

// The same request on a fresh easy handle: the default header block and the
// cookies the store would have sent, no store access.
void BM_BareCurlTransfer(benchmark::State& state) {
    const std::string url = searchServer().url();
    std::string headerText = "Referer: " + url + "|" + kHeaderTail + "|Cookie: lang=zh; theme=plain; PHPSESSID=1;";
    for (auto _ : state) {
        std::unique_ptr<CURL, decltype(&curl_easy_cleanup)> easy(curl_easy_init(), curl_easy_cleanup);
        curl_slist* headers = nullptr;
        std::size_t start = 0;
        for (std::size_t bar; (bar = headerText.find('|', start)) != std::string::npos; start = bar + 1) {
            headers = curl_slist_append(headers, headerText.substr(start, bar - start).c_str());
        }
        headers = curl_slist_append(headers, headerText.substr(start).c_str());
        headers = curl_slist_append(headers, "Expect:");
        std::string page;
        curl_easy_setopt(easy.get(), CURLOPT_URL, url.c_str());
        curl_easy_setopt(easy.get(), CURLOPT_HTTPHEADER, headers);
        curl_easy_setopt(easy.get(), CURLOPT_POSTFIELDS, kBody.c_str());
        curl_easy_setopt(easy.get(), CURLOPT_NOSIGNAL, 1L);
        curl_easy_setopt(easy.get(), CURLOPT_WRITEFUNCTION, collect);
        curl_easy_setopt(easy.get(), CURLOPT_WRITEDATA, &page);
        if (curl_easy_perform(easy.get()) != CURLE_OK || page.size() != kReplyBytes) state.SkipWithError("failed");
        curl_slist_free_all(headers);
        benchmark::DoNotOptimize(page.data());
    }
}
BENCHMARK(BM_BareCurlTransfer)->Unit(benchmark::kMicrosecond)->MinTime(2.0);

// From cancel() on another thread to fetchText's return, with the server silent.
void BM_CancelLatency(benchmark::State& state) {
    const TempDataHome dataHome;
    RawHttpServer server([](const RawRequest&) { return RawReply{"", 0, RawReply::Then::Stall}; });
    for (auto _ : state) {
        const std::size_t before = server.requests().size();
        CancelToken token;
        std::chrono::steady_clock::time_point cancelledAt;
        std::thread canceller([&] {
            while (server.requests().size() == before) std::this_thread::sleep_for(std::chrono::milliseconds(1));
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            cancelledAt = std::chrono::steady_clock::now();
            token.cancel();
        });
        FetchParams params;
        params.url = server.url("/stall");
        params.timeoutSeconds = -1;
        fetchText(params, &token);
        const auto returnedAt = std::chrono::steady_clock::now();
        canceller.join();
        state.SetIterationTime(std::chrono::duration<double>(returnedAt - cancelledAt).count());
    }
}
BENCHMARK(BM_CancelLatency)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);

}  // namespace
