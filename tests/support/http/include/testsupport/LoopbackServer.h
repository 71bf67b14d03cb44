#pragma once
// A well-behaved HTTP server on 127.0.0.1 and an ephemeral port, for tests that
// need ordinary routes (result pages, cookies, redirects). Add routes through
// routes() before start().

#include <httplib.h>

#include <string>
#include <string_view>
#include <thread>

class LoopbackServer {
  public:
    LoopbackServer();
    // Stops the server and waits for its thread.
    ~LoopbackServer();
    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;

    httplib::Server& routes() { return server_; }
    // Starts serving; returns once the server accepts connections.
    void start();

    int port() const { return port_; }
    // "http://127.0.0.1:<port>" followed by path.
    std::string url(std::string_view path = "/") const;

  private:
    httplib::Server server_;
    int port_ = 0;
    std::thread thread_;
};
