#pragma once
// The demo service: an HTTP server on 127.0.0.1 that answers the search and
// detail requests of the trademark service from a sample set.

#include <memory>
#include <string>
#include <vector>

#include "demo/SampleData.h"

// The search and detail endpoints, path and query as the client sends them.
inline constexpr const char* kSearchPath = "/query/index.php";
// Name of the session cookie set on every answer.
inline constexpr const char* kSessionCookieName = "PHPSESSID";

class DemoServer {
  public:
    explicit DemoServer(std::vector<TrademarkEntry> entries);
    ~DemoServer();
    DemoServer(const DemoServer&) = delete;
    DemoServer& operator=(const DemoServer&) = delete;

    // Binds 127.0.0.1:port (0 picks a free port); returns the bound port, or -1
    // when the port cannot be had.
    int bind(int port);
    // Serves until stop(); false when not bound or serving failed.
    bool serve();
    // Makes serve() return; safe from any thread.
    void stop();

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};
