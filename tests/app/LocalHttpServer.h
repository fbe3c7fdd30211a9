#pragma once
// A tiny HTTP server on 127.0.0.1 for the update-check tests: it records every raw request and
// answers each path from a script (a fixed reply, silence until the client gives up, a stream of
// bytes that never ends, or closing at once). One connection at a time, on its own thread.

#include <atomic>
#include <cstddef>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace tessoly::test {

struct ScriptedAnswer {
    enum class Kind {
        Reply,      //!< send `raw`, then close
        Hang,       //!< read the request, send nothing, wait for the client to close
        Stream,     //!< send `raw`, then up to streamBytes of filler until the client closes
        CloseAtOnce //!< close without a byte
    };
    Kind kind = Kind::Reply;
    std::string raw;
    std::size_t streamBytes = 0;
};

//! A complete HTTP/1.0 answer with a Content-Length.
std::string HttpAnswer(int status, const std::string& body, const std::string& extraHeaders = {});
ScriptedAnswer Reply(int status, const std::string& body, const std::string& extraHeaders = {});

//! A raw request split into its parts.
struct ParsedRequest {
    std::string requestLine;
    //! Header lines as sent, without CRLF, in order.
    std::vector<std::string> headers;
    std::string body;
};
ParsedRequest ParseRequest(const std::string& raw);

class LocalHttpServer {
public:
    LocalHttpServer();
    ~LocalHttpServer();
    LocalHttpServer(const LocalHttpServer&) = delete;
    LocalHttpServer& operator=(const LocalHttpServer&) = delete;

    int port() const { return port_; }
    //! The answer for requests to path; unscripted paths get 404.
    void Script(const std::string& path, ScriptedAnswer answer);
    //! Raw bytes of every request received so far, in order.
    std::vector<std::string> Requests() const;
    //! Filler bytes the Stream answers managed to send.
    std::size_t StreamedBytes() const { return streamed_; }

private:
    void Serve();
    void Handle(int client);

    int listener_ = -1;
    int port_ = 0;
    std::atomic<bool> stop_{false};
    std::atomic<std::size_t> streamed_{0};
    mutable std::mutex mutex_;
    std::map<std::string, ScriptedAnswer> script_;
    std::vector<std::string> requests_;
    std::thread thread_;
};

//! A port on 127.0.0.1 where nothing listens.
int UnusedLocalPort();

} // namespace tessoly::test
