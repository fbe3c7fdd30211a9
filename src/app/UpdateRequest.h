#pragma once
// The HTTP client of the update check: form POSTs of "product_id=19" to the maker's server over
// HTTP/1.0 through libcurl. One client serves both requests, so cookies set by the first answer go
// back with the second. Redirections are not followed, only 2xx answers count, the body is bounded
// and every request has a time limit. Failures are results (nothing), never exceptions.
// A client is used by one thread at a time; it may be created on one thread and used on another.

#include <atomic>
#include <chrono>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace tessoly {

//! Where the update requests go.
struct UpdateServer {
    //! Host name or IPv4 address, without scheme or port.
    std::string host;
    int port = 80;
};

//! The maker's server (host makersDomain, port 80), unless the environment variable
//! TESSOLY_UPDATE_SERVER holds "host:port" (or "host"), which tests use to point the check at a
//! local server.
UpdateServer DefaultUpdateServer(std::string_view makersDomain);

//! Limits of one request.
struct UpdateRequestLimits {
    //! Whole request, connection included [ms].
    std::chrono::milliseconds timeLimit{20000};
    //! Largest answer body kept [bytes]; a longer answer fails the request.
    std::size_t maxBodyBytes = 64 * 1024;
};

class UpdateClient {
public:
    //! abort, when given, is polled during transfers; once true the running request fails soon
    //! (within about a second) and later ones fail at once. It must outlive the client.
    explicit UpdateClient(UpdateServer server, UpdateRequestLimits limits = {},
                          const std::atomic<bool>* abort = nullptr);
    ~UpdateClient();
    UpdateClient(const UpdateClient&) = delete;
    UpdateClient& operator=(const UpdateClient&) = delete;

    //! POSTs "product_id=19" to path ("/requests/..."); the whole body of a 2xx answer, or nothing
    //! on any failure (connection, time limit, non-2xx status, redirection, body too long).
    std::optional<std::string> PostProductId(std::string_view path);

private:
    struct Impl;
    Impl* impl_;
};

} // namespace tessoly
