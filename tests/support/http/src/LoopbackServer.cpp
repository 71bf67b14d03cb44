#include "testsupport/LoopbackServer.h"

#include <chrono>
#include <stdexcept>

LoopbackServer::LoopbackServer() {
    port_ = server_.bind_to_any_port("127.0.0.1");
    if (port_ <= 0) throw std::runtime_error("cannot listen on loopback");
}

LoopbackServer::~LoopbackServer() {
    if (thread_.joinable()) {
        server_.stop();
        thread_.join();
    }
}

void LoopbackServer::start() {
    thread_ = std::thread([this] { server_.listen_after_bind(); });
    while (!server_.is_running()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

std::string LoopbackServer::url(std::string_view path) const {
    return "http://127.0.0.1:" + std::to_string(port_) + std::string(path);
}
