#pragma once

#include <QString>
#include <atomic>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "GbkText.h"

// How HTTPS peers are checked: system authorities plus caFile, or nothing when verify is off.
struct TlsPolicy {
    bool verify = true;
    std::string caFile;
};

// How long a request may wait: for the connection, with no data at all arriving, and in all
// (a server that trickles a byte now and then never trips the idle limit).
struct HttpTimeouts {
    long connectSeconds = 30;
    long idleSeconds = 60;
    long totalSeconds = 300;
};

// The largest reply body kept in memory (SOAP replies, HttpGetText, documents): far above any
// real catalogue, far below what would exhaust the machine. A larger one raises HttpError.
constexpr std::size_t kMaxReplyBytes = std::size_t(64) << 20;

// What a download on another thread reports while it runs, and how it is stopped: the
// transfer writes the counts, anyone may set `cancelled`, which ends it with HttpError soon.
struct TransferProgress {
    std::atomic<long long> received{0};
    std::atomic<long long> total{0};  // 0 while the length is unknown
    std::atomic<bool> cancelled{false};
};

struct DownloadOptions {
    TransferProgress* progress = nullptr;
    // Sees the first bytes of a complete body (at most 16); false refuses the file.
    std::function<bool(std::string_view head)> acceptHead;
};

struct HttpResponse {
    long status = 0;
    std::string contentType;
    ByteString body;
};

// The one HTTP client of the program, on libcurl's blocking interface. Each call makes its own
// easy handle and releases it before returning; only libcurl's connection and name caches are
// shared by the whole process, so a list of pictures from one server reuses one kept-alive
// connection. Calls block the calling thread, which may be any thread; connecting gives up after
// 30 s, a transfer after 60 s without data or 300 s in all, unless the client is given other
// time-outs (ClientConfig holds all three).
// Transport failures raise HttpError with libcurl's message.
class HttpClient {
public:
    static constexpr const char* kDownloadTemporaryPrefix = ".lumo-download-";

    explicit HttpClient(TlsPolicy tls = {});
    HttpClient(TlsPolicy tls, HttpTimeouts timeouts);

    // Any status is returned; only transport failures raise.
    HttpResponse post(const std::string& url, const ByteString& body,
                      const std::vector<std::string>& headers) const;
    HttpResponse get(const std::string& url) const;
    // Like get(), but a status outside 2xx raises HttpError ("HTTP <status>", status()).
    ByteString getBody(const std::string& url) const;
    // Writes the body into a temporary file beside `path` (kDownloadTemporaryPrefix and six
    // letters or digits), flushes it to disk and renames it into place only after a complete
    // 2xx transfer of at most kMaxReplyBytes whose first bytes `options.acceptHead` accepts;
    // on any failure no file is left and HttpError is raised.
    void downloadToFile(const std::string& url, const std::string& path,
                        const DownloadOptions& options = {}) const;

    const TlsPolicy& tls() const { return tls_; }

    // The time-outs of every client made after this call without time-outs of its own.
    static void setDefaultTimeouts(HttpTimeouts timeouts);
    static HttpTimeouts defaultTimeouts();

private:
    TlsPolicy tls_;
    HttpTimeouts timeouts_;
};
