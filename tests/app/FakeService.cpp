#include "FakeService.h"

#include <algorithm>
#include <chrono>

namespace {

constexpr const char* kPath = "/query/index.php";

std::string tableRow(const std::vector<std::string>& cells) {
    // The service's layout: 22 spaces and a TAB before the first cell, a TAB and
    // 20 spaces before each further one.
    std::string row = "<tr>\n" + std::string(22, ' ') + "\t<td>" + cells[0] + "</td>\n";
    for (std::size_t i = 1; i < cells.size(); ++i) {
        row += "\t" + std::string(20, ' ') + "<td>" + cells[i] + "</td>\n";
    }
    return row + "</tr>\n";
}

std::string resultPage(int hits) {
    std::string page =
        "<html><head><meta charset=\"utf-8\"></head><body><table class=\"no_border\">\n<tr><th>x</th></tr>\n";
    for (const auto& cells : FakeService::hitRows(hits)) {
        page += tableRow(cells);
    }
    return page + "</table><div class=\"holder\"></div></body></html>";
}

}  // namespace

std::vector<std::vector<std::string>> FakeService::hitRows(int hits) {
    std::vector<std::vector<std::string>> rows;
    for (int i = 1; i <= hits; ++i) {
        const std::string n = std::to_string(i);
        rows.push_back({std::to_string(3000000 + i), "名称" + n, "申请人" + n + "有限公司"});
    }
    return rows;
}

FakeService::FakeService() {
    server_.routes().Post(kPath, [this](const httplib::Request& request, httplib::Response& response) {
        ReceivedRequest received{"POST",
                                 request.target,
                                 request.body,
                                 request.get_param_value("brand_name"),
                                 request.get_param_value("type"),
                                 request.get_header_value("Cookie")};
        const std::string name = received.brandName;
        record(std::move(received));
        bool hold = false;
        {
            std::unique_lock lock(mutex_);
            hold = std::find(holdNames_.begin(), holdNames_.end(), name) != holdNames_.end();
            if (hold) {
                ++held_;
                releasedChanged_.wait_for(lock, std::chrono::seconds(30), [this] { return released_; });
                --held_;
            }
        }
        response.set_content(resultPage(hits_), "text/html; charset=utf-8");
    });
    server_.routes().Get(kPath, [this](const httplib::Request& request, httplib::Response& response) {
        record({"GET", request.target, request.body, {}, {}, request.get_header_value("Cookie")});
        std::string cookie;
        {
            const std::lock_guard lock(mutex_);
            cookie = detailCookie_;
        }
        if (!cookie.empty()) {
            response.set_header("Set-Cookie", cookie);
        }
        response.set_content("<html><body><p id=\"detail\">" + request.get_param_value("num") + "</p></body></html>",
                             "text/html; charset=utf-8");
    });
    server_.start();
}

// A held search is let go first, so the server can stop.
FakeService::~FakeService() { release(); }

std::string FakeService::host() const { return "127.0.0.1:" + std::to_string(server_.port()); }

void FakeService::holdName(const std::string& name) {
    const std::lock_guard lock(mutex_);
    holdNames_.push_back(name);
    released_ = false;
}

void FakeService::release() {
    {
        const std::lock_guard lock(mutex_);
        released_ = true;
    }
    releasedChanged_.notify_all();
}

void FakeService::setDetailCookie(const std::string& cookie) {
    const std::lock_guard lock(mutex_);
    detailCookie_ = cookie;
}

std::vector<ReceivedRequest> FakeService::requests() const {
    const std::lock_guard lock(mutex_);
    return requests_;
}

int FakeService::searchCount() const {
    const std::lock_guard lock(mutex_);
    return static_cast<int>(
        std::count_if(requests_.begin(), requests_.end(), [](const auto& r) { return r.method == "POST"; }));
}

void FakeService::record(ReceivedRequest request) {
    const std::lock_guard lock(mutex_);
    requests_.push_back(std::move(request));
}
