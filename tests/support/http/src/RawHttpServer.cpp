#include "testsupport/RawHttpServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <stdexcept>

namespace {

constexpr int kPollMs = 20;

std::string lowerAscii(std::string_view text) {
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lower;
}

std::string_view trimBlanks(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return text;
}

sockaddr_in loopbackAddress(int port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

int boundPort(int socket) {
    sockaddr_in address{};
    socklen_t length = sizeof address;
    getsockname(socket, reinterpret_cast<sockaddr*>(&address), &length);
    return ntohs(address.sin_port);
}

// Waits until the socket is readable or the server stops; false when it stops.
bool waitReadable(int socket, const std::atomic<bool>& stopping) {
    while (!stopping.load()) {
        pollfd entry{socket, POLLIN, 0};
        if (poll(&entry, 1, kPollMs) > 0) return true;
    }
    return false;
}

bool sendAll(int socket, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t sent = ::send(socket, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (sent <= 0) return false;
        bytes.remove_prefix(static_cast<std::size_t>(sent));
    }
    return true;
}

std::size_t contentLength(const RawRequest& request) {
    const auto value = request.header("Content-Length");
    return value ? static_cast<std::size_t>(std::stoull(*value)) : 0;
}

// Reads one request; nullopt when the peer closes first or the server stops.
std::optional<RawRequest> readRequest(int socket, const std::atomic<bool>& stopping) {
    std::string received;
    RawRequest request;
    std::size_t headEnd = std::string::npos;
    char buffer[16384];
    for (;;) {
        if (headEnd == std::string::npos) {
            headEnd = received.find("\r\n\r\n");
            if (headEnd != std::string::npos) {
                request.head = received.substr(0, headEnd + 4);
                received.erase(0, headEnd + 4);
            }
        }
        if (headEnd != std::string::npos && received.size() >= contentLength(request)) {
            request.body = received.substr(0, contentLength(request));
            return request;
        }
        if (!waitReadable(socket, stopping)) return std::nullopt;
        const ssize_t got = ::recv(socket, buffer, sizeof buffer, 0);
        if (got <= 0) return std::nullopt;
        received.append(buffer, static_cast<std::size_t>(got));
    }
}

}  // namespace

std::string RawRequest::requestLine() const { return head.substr(0, head.find("\r\n")); }

std::vector<std::string> RawRequest::headerLines() const {
    std::vector<std::string> lines;
    std::size_t start = head.find("\r\n");
    while (start != std::string::npos) {
        start += 2;
        const std::size_t end = head.find("\r\n", start);
        if (end == std::string::npos || end == start) break;
        lines.push_back(head.substr(start, end - start));
        start = end;
    }
    return lines;
}

std::optional<std::string> RawRequest::header(std::string_view name) const {
    const std::string wanted = lowerAscii(name);
    for (const std::string& line : headerLines()) {
        const std::size_t colon = line.find(':');
        if (colon != std::string::npos && lowerAscii(std::string_view(line).substr(0, colon)) == wanted) {
            return std::string(trimBlanks(std::string_view(line).substr(colon + 1)));
        }
    }
    return std::nullopt;
}

RawReply RawReply::http(std::string_view status, const std::vector<std::string>& headerLines, std::string_view body) {
    RawReply reply;
    reply.bytes = "HTTP/1.1 " + std::string(status) + "\r\n";
    for (const std::string& line : headerLines) reply.bytes += line + "\r\n";
    reply.bytes += "Content-Length: " + std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n";
    reply.bytes += body;
    return reply;
}

RawReply RawReply::echo(const RawRequest& request) {
    return http("200 OK", {"Content-Type: text/plain"}, request.head + request.body);
}

RawHttpServer::RawHttpServer(Handler handler) : handler_(std::move(handler)) {
    listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const sockaddr_in address = loopbackAddress(0);
    if (listener_ < 0 || ::bind(listener_, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(listener_, 64) != 0) {
        throw std::runtime_error("cannot listen on loopback");
    }
    port_ = boundPort(listener_);
    acceptor_ = std::thread([this] { acceptLoop(); });
}

RawHttpServer::~RawHttpServer() {
    stopping_.store(true);
    acceptor_.join();
    for (std::thread& connection : connections_) connection.join();
    ::close(listener_);
}

std::string RawHttpServer::url(std::string_view path) const {
    return "http://127.0.0.1:" + std::to_string(port_) + std::string(path);
}

std::vector<RawRequest> RawHttpServer::requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
}

void RawHttpServer::acceptLoop() {
    while (waitReadable(listener_, stopping_)) {
        const int socket = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
        if (socket < 0) continue;
        connections_.emplace_back([this, socket] { serve(socket); });
    }
}

void RawHttpServer::serve(int socket) {
    if (auto request = readRequest(socket, stopping_)) {
        {
            std::lock_guard lock(mutex_);
            requests_.push_back(*request);
        }
        const RawReply reply = handler_(*request);
        bool open = sendAll(socket, reply.bytes);
        const std::string filler(64 * 1024, 'x');
        for (std::size_t left = reply.fillerBytes; open && left > 0;) {
            const std::size_t chunk = std::min(left, filler.size());
            open = sendAll(socket, std::string_view(filler).substr(0, chunk));
            left -= chunk;
        }
        if (reply.then == RawReply::Then::Stall) {
            while (!stopping_.load()) std::this_thread::sleep_for(std::chrono::milliseconds(kPollMs));
        } else if (reply.then == RawReply::Then::Reset) {
            const linger abort{1, 0};
            setsockopt(socket, SOL_SOCKET, SO_LINGER, &abort, sizeof abort);
        }
    }
    ::close(socket);
}

int unusedLoopbackPort() {
    const int probe = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const sockaddr_in address = loopbackAddress(0);
    ::bind(probe, reinterpret_cast<const sockaddr*>(&address), sizeof address);
    const int port = boundPort(probe);
    ::close(probe);
    return port;
}
