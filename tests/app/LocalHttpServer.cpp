#include "app/LocalHttpServer.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cstring>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace tessoly::test {

namespace {

constexpr int kPollMs = 20;

const char* ReasonPhrase(int status) {
    switch (status) {
    case 200:
        return "OK";
    case 204:
        return "No Content";
    case 302:
        return "Found";
    case 404:
        return "Not Found";
    case 500:
        return "Internal Server Error";
    default:
        return "Status";
    }
}

bool SendAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t sent = ::send(fd, data, size, MSG_NOSIGNAL);
        if (sent <= 0)
            return false;
        data += sent;
        size -= static_cast<std::size_t>(sent);
    }
    return true;
}

//! Waits until fd is readable or the server stops; false when stopping.
bool WaitReadable(int fd, const std::atomic<bool>& stop) {
    while (!stop) {
        pollfd entry{fd, POLLIN, 0};
        if (::poll(&entry, 1, kPollMs) > 0)
            return true;
    }
    return false;
}

} // namespace

std::string HttpAnswer(int status, const std::string& body, const std::string& extraHeaders) {
    return "HTTP/1.0 " + std::to_string(status) + " " + ReasonPhrase(status) + "\r\n" + extraHeaders +
           "Content-Type: text/html\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}

ScriptedAnswer Reply(int status, const std::string& body, const std::string& extraHeaders) {
    return ScriptedAnswer{ScriptedAnswer::Kind::Reply, HttpAnswer(status, body, extraHeaders), 0};
}

ParsedRequest ParseRequest(const std::string& raw) {
    ParsedRequest parsed;
    const std::size_t headEnd = raw.find("\r\n\r\n");
    const std::string head = raw.substr(0, headEnd);
    parsed.body = headEnd == std::string::npos ? std::string() : raw.substr(headEnd + 4);
    std::size_t start = 0;
    bool first = true;
    while (start <= head.size()) {
        std::size_t end = head.find("\r\n", start);
        if (end == std::string::npos)
            end = head.size();
        const std::string line = head.substr(start, end - start);
        if (first)
            parsed.requestLine = line;
        else
            parsed.headers.push_back(line);
        first = false;
        start = end + 2;
    }
    return parsed;
}

LocalHttpServer::LocalHttpServer() {
    listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
    const int yes = 1;
    ::setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    ::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address);
    ::listen(listener_, 8);
    socklen_t length = sizeof address;
    ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] { Serve(); });
}

LocalHttpServer::~LocalHttpServer() {
    stop_ = true;
    thread_.join();
    ::close(listener_);
}

void LocalHttpServer::Script(const std::string& path, ScriptedAnswer answer) {
    std::lock_guard lock(mutex_);
    script_[path] = std::move(answer);
}

std::vector<std::string> LocalHttpServer::Requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
}

void LocalHttpServer::Serve() {
    while (WaitReadable(listener_, stop_)) {
        const int client = ::accept(listener_, nullptr, nullptr);
        if (client < 0)
            continue;
        Handle(client);
        ::close(client);
    }
}

void LocalHttpServer::Handle(int client) {
    std::string raw;
    std::size_t wanted = std::string::npos;
    char buffer[4096];
    while (raw.size() < wanted) {
        if (!WaitReadable(client, stop_))
            return;
        const ssize_t got = ::recv(client, buffer, sizeof buffer, 0);
        if (got <= 0)
            break;
        raw.append(buffer, static_cast<std::size_t>(got));
        const std::size_t headEnd = raw.find("\r\n\r\n");
        if (wanted == std::string::npos && headEnd != std::string::npos) {
            std::size_t bodyLength = 0;
            const std::size_t field = raw.find("\r\nContent-Length: ");
            if (field != std::string::npos && field < headEnd)
                bodyLength = std::stoul(raw.substr(field + 18));
            wanted = headEnd + 4 + bodyLength;
        }
    }
    ScriptedAnswer answer = Reply(404, "not here");
    {
        std::lock_guard lock(mutex_);
        requests_.push_back(raw);
        const std::size_t pathStart = raw.find(' ');
        const std::size_t pathEnd = raw.find(' ', pathStart + 1);
        if (pathStart != std::string::npos && pathEnd != std::string::npos) {
            const auto it = script_.find(raw.substr(pathStart + 1, pathEnd - pathStart - 1));
            if (it != script_.end())
                answer = it->second;
        }
    }
    switch (answer.kind) {
    case ScriptedAnswer::Kind::Reply:
        SendAll(client, answer.raw.data(), answer.raw.size());
        break;
    case ScriptedAnswer::Kind::Hang:
        // Until the client closes (recv gives 0) or the server stops.
        while (WaitReadable(client, stop_) && ::recv(client, buffer, sizeof buffer, 0) > 0) {
        }
        break;
    case ScriptedAnswer::Kind::Stream: {
        if (!SendAll(client, answer.raw.data(), answer.raw.size()))
            break;
        std::string filler(64 * 1024, 'x');
        while (!stop_ && streamed_ < answer.streamBytes && SendAll(client, filler.data(), filler.size()))
            streamed_ += filler.size();
        break;
    }
    case ScriptedAnswer::Kind::CloseAtOnce:
        break;
    }
}

int UnusedLocalPort() {
    const int probe = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof address);
    socklen_t length = sizeof address;
    ::getsockname(probe, reinterpret_cast<sockaddr*>(&address), &length);
    ::close(probe);
    return ntohs(address.sin_port);
}

} // namespace tessoly::test
