#include "demo/DemoServer.h"

#include <httplib.h>

#include <atomic>
#include <random>

#include "demo/DemoPages.h"

namespace {

constexpr const char* kHtmlType = "text/html; charset=utf-8";
// Search forms are a few hundred bytes; anything far larger is refused.
constexpr std::size_t kMaxRequestBody = 1 << 20;
constexpr std::size_t kSessionIdLength = 26;

std::string_view queryOf(std::string_view target) {
    const std::size_t mark = target.find('?');
    return mark == std::string_view::npos ? std::string_view() : target.substr(mark + 1);
}

bool isSessionId(std::string_view text) {
    return text.size() == kSessionIdLength &&
           text.find_first_not_of("0123456789abcdefghijklmnopqrstuvwxyz") == std::string_view::npos;
}

// The session id the request already carries, if it is one of ours.
std::string requestSessionId(const httplib::Request& req) {
    const std::string prefix = std::string(kSessionCookieName) + "=";
    const std::string cookies = req.get_header_value("Cookie");
    std::string_view rest = cookies;
    while (!rest.empty()) {
        const std::size_t semicolon = rest.find(';');
        std::string_view pair = rest.substr(0, semicolon);
        rest.remove_prefix(semicolon == std::string_view::npos ? rest.size() : semicolon + 1);
        while (!pair.empty() && pair.front() == ' ') pair.remove_prefix(1);
        if (pair.substr(0, prefix.size()) == prefix && isSessionId(pair.substr(prefix.size())))
            return std::string(pair.substr(prefix.size()));
    }
    return {};
}

std::string newSessionId() {
    thread_local std::mt19937_64 engine{std::random_device{}()};
    static constexpr std::string_view kAlphabet = "0123456789abcdefghijklmnopqrstuvwxyz";
    std::uniform_int_distribution<std::size_t> pick(0, kAlphabet.size() - 1);
    std::string id(kSessionIdLength, '0');
    for (char& c : id) c = kAlphabet[pick(engine)];
    return id;
}

// Every answer keeps or starts a session, as the service does.
void setSessionCookie(const httplib::Request& req, httplib::Response& res) {
    if (res.has_header("Set-Cookie")) return;
    std::string id = requestSessionId(req);
    if (id.empty()) id = newSessionId();
    res.set_header("Set-Cookie", std::string(kSessionCookieName) + "=" + id + "; path=/; HttpOnly");
}

}  // namespace

struct DemoServer::Impl {
    std::vector<TrademarkEntry> entries;
    httplib::Server server;
    bool bound = false;

    void answerSearch(const httplib::Request& req, httplib::Response& res) const {
        if (formValue(queryOf(req.target), "a") != "base_query") {
            res.status = 404;
            return;
        }
        const std::string name = formValue(req.body, "brand_name");
        const int classNumber = parseClassNumber(formValue(req.body, "type"));
        const EntryRefs hits = classNumber == 0 ? EntryRefs() : findHits(entries, classNumber, name);
        res.set_content(resultPage(name, classNumber, hits), kHtmlType);
    }

    void answerDetail(const httplib::Request& req, httplib::Response& res) const {
        const std::string_view query = queryOf(req.target);
        if (formValue(query, "a") != "brand_detail") {
            res.status = 404;
            return;
        }
        const EntryRefs found =
            findByNumber(entries, parseClassNumber(formValue(query, "type")), formValue(query, "num"));
        if (found.empty()) {
            res.status = 404;
            res.set_content(errorPage(404, "没有找到该商标的信息"), kHtmlType);
            return;
        }
        res.set_content(detailPage(found), kHtmlType);
    }
};

DemoServer::DemoServer(std::vector<TrademarkEntry> entries) : impl_(std::make_unique<Impl>()) {
    impl_->entries = std::move(entries);
    httplib::Server& server = impl_->server;
    server.set_payload_max_length(kMaxRequestBody);
    // Only SO_REUSEADDR: the library's default also sets SO_REUSEPORT, which would
    // let a second service share a port that one is already listening on.
    server.set_socket_options([](socket_t sock) {
        const int yes = 1;
        setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    });
    server.set_pre_routing_handler([](const httplib::Request& req, httplib::Response& res) {
        setSessionCookie(req, res);
        return httplib::Server::HandlerResponse::Unhandled;
    });
    const Impl& impl = *impl_;
    server.Post(kSearchPath,
                [&impl](const httplib::Request& req, httplib::Response& res) { impl.answerSearch(req, res); });
    server.Get(kSearchPath,
               [&impl](const httplib::Request& req, httplib::Response& res) { impl.answerDetail(req, res); });
    // Unknown paths and refused requests get an error page (and the cookie) too.
    server.set_error_handler(
        httplib::Server::HandlerWithResponse([](const httplib::Request& req, httplib::Response& res) {
            setSessionCookie(req, res);
            if (!res.body.empty()) return httplib::Server::HandlerResponse::Unhandled;
            res.set_content(errorPage(res.status, res.status == 404 ? "请求的页面不存在" : "请求无法处理"), kHtmlType);
            return httplib::Server::HandlerResponse::Handled;
        }));
}

DemoServer::~DemoServer() { stop(); }

int DemoServer::bind(int port) {
    if (port < 0 || port > 65535) return -1;
    if (port == 0) {
        port = impl_->server.bind_to_any_port("127.0.0.1");
        impl_->bound = port > 0;
        return impl_->bound ? port : -1;
    }
    impl_->bound = impl_->server.bind_to_port("127.0.0.1", port);
    return impl_->bound ? port : -1;
}

bool DemoServer::serve() { return impl_->bound && impl_->server.listen_after_bind(); }

void DemoServer::stop() { impl_->server.stop(); }
