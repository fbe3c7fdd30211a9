// The update requests through libcurl's easy interface. One easy handle serves every request of a
// client: its cookie engine (switched on with an empty cookie file) then carries the cookies of one
// answer into the next request. Every header is set explicitly so the request is exactly
//   POST <path> HTTP/1.0, Host, User-Agent, Accept, Content-Type, Content-Length, body product_id=19
// and nothing else (no "Expect", no compression offer). The body is gathered in memory up to
// maxBodyBytes; the write callback refuses more, which makes curl stop the transfer.

#include "app/UpdateRequest.h"

#include <cstdlib>
#include <mutex>

#include <curl/curl.h>

namespace tessoly {

namespace {

constexpr char kFormBody[] = "product_id=19";
constexpr char kUserAgent[] = "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.1)";

void InitialiseCurlOnce() {
    // curl_global_init is not safe against a concurrent first call on every libcurl build.
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

struct Transfer {
    std::string body;
    std::size_t maxBodyBytes = 0;
    bool tooLong = false;
};

std::size_t WriteBody(char* data, std::size_t size, std::size_t count, void* user) {
    auto* transfer = static_cast<Transfer*>(user);
    const std::size_t bytes = size * count;
    if (bytes > transfer->maxBodyBytes - transfer->body.size()) {
        transfer->tooLong = true;
        return 0; // anything but `bytes` aborts the transfer
    }
    transfer->body.append(data, bytes);
    return bytes;
}

int CheckAbort(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    const auto* abort = static_cast<const std::atomic<bool>*>(user);
    return abort != nullptr && abort->load() ? 1 : 0;
}

} // namespace

UpdateServer DefaultUpdateServer(std::string_view makersDomain) {
    UpdateServer server{std::string(makersDomain), 80};
    const char* override = std::getenv("TESSOLY_UPDATE_SERVER");
    if (override == nullptr || *override == '\0')
        return server;
    const std::string text(override);
    const std::size_t colon = text.rfind(':');
    if (colon == std::string::npos) {
        server.host = text;
        return server;
    }
    server.host = text.substr(0, colon);
    const int port = std::atoi(text.c_str() + colon + 1);
    server.port = port > 0 && port < 65536 ? port : 80;
    return server;
}

struct UpdateClient::Impl {
    UpdateServer server;
    UpdateRequestLimits limits;
    const std::atomic<bool>* abort = nullptr;
    CURL* curl = nullptr;
    curl_slist* headers = nullptr;
};

UpdateClient::UpdateClient(UpdateServer server, UpdateRequestLimits limits, const std::atomic<bool>* abort)
    : impl_(new Impl{std::move(server), limits, abort}) {
    InitialiseCurlOnce();
    impl_->curl = curl_easy_init();
    impl_->headers = curl_slist_append(impl_->headers, "Content-Type: application/x-www-form-urlencoded");
    impl_->headers = curl_slist_append(impl_->headers, "Accept: text/html, */*");
    // HTTP/1.0 sends no "Expect: 100-continue", but an empty value keeps it out for certain.
    impl_->headers = curl_slist_append(impl_->headers, "Expect:");
}

UpdateClient::~UpdateClient() {
    if (impl_->curl != nullptr)
        curl_easy_cleanup(impl_->curl);
    curl_slist_free_all(impl_->headers);
    delete impl_;
}

std::optional<std::string> UpdateClient::PostProductId(std::string_view path) {
    CURL* curl = impl_->curl;
    if (curl == nullptr || impl_->headers == nullptr || impl_->server.host.empty())
        return std::nullopt;
    if (impl_->abort != nullptr && impl_->abort->load())
        return std::nullopt;

    const std::string url =
        "http://" + impl_->server.host + ":" + std::to_string(impl_->server.port) + std::string(path);
    Transfer transfer;
    transfer.maxBodyBytes = impl_->limits.maxBodyBytes;
    const long timeLimitMs = static_cast<long>(impl_->limits.timeLimit.count());

    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http");
    curl_easy_setopt(curl, CURLOPT_HTTP_VERSION, CURL_HTTP_VERSION_1_0);
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 0L);
    // An empty cookie file switches the cookie engine on without reading anything from disk.
    curl_easy_setopt(curl, CURLOPT_COOKIEFILE, "");
    curl_easy_setopt(curl, CURLOPT_USERAGENT, kUserAgent);
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, impl_->headers);
    curl_easy_setopt(curl, CURLOPT_POSTFIELDS, kFormBody);
    curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE, static_cast<long>(sizeof kFormBody - 1));
    // A proxy from the environment must never see requests meant for this machine (the tests).
    curl_easy_setopt(curl, CURLOPT_NOPROXY, "127.0.0.1,localhost,::1");
    // Signals cannot interrupt the name lookup of a worker thread safely.
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, timeLimitMs);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, timeLimitMs);
    curl_easy_setopt(curl, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(transfer.maxBodyBytes));
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &WriteBody);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &transfer);
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, &CheckAbort);
    curl_easy_setopt(curl, CURLOPT_XFERINFODATA, impl_->abort);

    const CURLcode result = curl_easy_perform(curl);
    // The callbacks point at this frame's transfer; clear them before it goes.
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, nullptr);
    if (result != CURLE_OK || transfer.tooLong)
        return std::nullopt;
    long status = 0;
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
    if (status < 200 || status > 299)
        return std::nullopt;
    return std::move(transfer.body);
}

} // namespace tessoly
