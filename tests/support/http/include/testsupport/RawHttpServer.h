#pragma once
// A loopback HTTP server on raw sockets for tests that need to see the exact bytes
// of a request or to misbehave: each connection reads one request, records it,
// and answers with whatever the handler scripts, then closes, stalls or resets.

#include <atomic>
#include <cstddef>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

// One request as it arrived.
struct RawRequest {
    std::string head;  // request line and header lines, each with its CR LF, and the blank line
    std::string body;  // Content-Length bytes after the head

    std::string requestLine() const;
    // The header lines in order, without CR LF.
    std::vector<std::string> headerLines() const;
    // The value (without surrounding blanks) of the first header of that name,
    // compared without regard to case; nullopt when there is none.
    std::optional<std::string> header(std::string_view name) const;
};

struct RawReply {
    enum class Then {
        Close,  // close the connection normally after sending
        Stall,  // keep it open and silent until the server stops
        Reset,  // abort it with a TCP reset
    };
    std::string bytes;            // sent as they are
    std::size_t fillerBytes = 0;  // then this many 'x' bytes, without holding them in memory
    Then then = Then::Close;

    // A complete response: status line (e.g. "200 OK"), the given header lines
    // (each without CR LF), Content-Length and "Connection: close", then the body.
    static RawReply http(std::string_view status, const std::vector<std::string>& headerLines,
                         std::string_view body = {});
    // 200 with the request's head and body as the body.
    static RawReply echo(const RawRequest& request);
};

class RawHttpServer {
  public:
    using Handler = std::function<RawReply(const RawRequest&)>;

    // Listens on 127.0.0.1 on an ephemeral port; the handler runs on the
    // connection's own thread.
    explicit RawHttpServer(Handler handler);
    // Releases stalled connections and waits for every connection thread.
    ~RawHttpServer();
    RawHttpServer(const RawHttpServer&) = delete;
    RawHttpServer& operator=(const RawHttpServer&) = delete;

    int port() const { return port_; }
    // "http://127.0.0.1:<port>" followed by path.
    std::string url(std::string_view path = "/") const;
    // The requests recorded so far, in order of arrival.
    std::vector<RawRequest> requests() const;

  private:
    void acceptLoop();
    void serve(int socket);

    Handler handler_;
    int listener_ = -1;
    int port_ = 0;
    std::atomic<bool> stopping_{false};
    mutable std::mutex mutex_;
    std::vector<RawRequest> requests_;
    std::vector<std::thread> connections_;
    std::thread acceptor_;
};

// A port on 127.0.0.1 where nothing listens (bound once, then released).
int unusedLoopbackPort();
