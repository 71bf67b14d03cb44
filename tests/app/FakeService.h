#pragma once
// A loopback stand-in for the trademark service with knobs the GUI tests need:
// how many hits a search gives, holding a search until released, and a record
// of the requests that arrived.

#include <atomic>
#include <condition_variable>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "testsupport/LoopbackServer.h"

struct ReceivedRequest {
    std::string method;
    std::string target;  // path and query as sent
    std::string body;
    std::string brandName;  // the decoded form fields of a search
    std::string type;
    std::string cookie;  // the Cookie header
};

class FakeService {
  public:
    FakeService();
    ~FakeService();
    FakeService(const FakeService&) = delete;
    FakeService& operator=(const FakeService&) = delete;

    // "127.0.0.1:PORT"
    std::string host() const;

    // Hits of a search whose name is not listed in holdNames; 0 answers with a
    // table without rows.
    void setHits(int hits) { hits_ = hits; }
    // A search for this name waits before answering until release() or the
    // service stops.
    void holdName(const std::string& name);
    void release();
    // A Set-Cookie line sent with every detail page.
    void setDetailCookie(const std::string& cookie);

    std::vector<ReceivedRequest> requests() const;
    int searchCount() const;
    // Searches that have arrived and are being held.
    int heldCount() const { return held_; }
    // The rows a search with this many hits lists, as (number, name, applicant) in UTF-8.
    static std::vector<std::vector<std::string>> hitRows(int hits);

  private:
    void record(ReceivedRequest request);

    std::atomic<int> hits_{3};
    std::atomic<int> held_{0};
    mutable std::mutex mutex_;
    std::condition_variable releasedChanged_;
    bool released_ = false;
    std::vector<std::string> holdNames_;
    std::string detailCookie_;
    std::vector<ReceivedRequest> requests_;
    // Last, so it stops before the state its handlers use goes.
    LoopbackServer server_;
};
