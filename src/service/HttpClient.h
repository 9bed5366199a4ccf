#pragma once

#include <QString>
#include <string>
#include <vector>

#include "GbkText.h"

// How HTTPS peers are checked: system authorities plus caFile, or nothing when verify is off.
struct TlsPolicy {
    bool verify = true;
    std::string caFile;
};

// How long a request may wait: for the connection, and with no data at all arriving.
struct HttpTimeouts {
    long connectSeconds = 30;
    long idleSeconds = 60;
};

// The largest reply body kept in memory (SOAP replies, HttpGetText, documents): far above any
// real catalogue, far below what would exhaust the machine. A larger one raises HttpError.
constexpr std::size_t kMaxReplyBytes = std::size_t(64) << 20;

struct HttpResponse {
    long status = 0;
    std::string contentType;
    ByteString body;
};

// The one HTTP client of the program, on libcurl's blocking interface. Each call makes its own
// easy handle and releases it before returning; only libcurl's connection and name caches are
// shared by the whole process, so a list of pictures from one server reuses one kept-alive
// connection. Calls block the calling thread; connecting gives up after 30 s and a transfer
// after 60 s without data (ClientConfig can shorten both). Transport failures raise HttpError
// with libcurl's message.
class HttpClient {
public:
    static constexpr const char* kDownloadTemporaryPrefix = ".lumo-download-";

    explicit HttpClient(TlsPolicy tls = {});

    // Any status is returned; only transport failures raise.
    HttpResponse post(const std::string& url, const ByteString& body,
                      const std::vector<std::string>& headers) const;
    HttpResponse get(const std::string& url) const;
    // Like get(), but a status outside 2xx raises HttpError ("HTTP <status>", status()).
    ByteString getBody(const std::string& url) const;
    // Writes the body into a temporary file beside `path` (kDownloadTemporaryPrefix and six
    // letters or digits) and renames it into place only after a complete 2xx transfer; on any
    // failure no file is left and HttpError is raised.
    void downloadToFile(const std::string& url, const std::string& path) const;

    const TlsPolicy& tls() const { return tls_; }

    // The policy every client of this process uses; set once at start from the configuration.
    static void setDefaultTls(TlsPolicy tls);
    static TlsPolicy defaultTls();
    // The time-outs of every client made after this call; set once at start.
    static void setDefaultTimeouts(HttpTimeouts timeouts);
    static HttpTimeouts defaultTimeouts();

private:
    TlsPolicy tls_;
    HttpTimeouts timeouts_;
};
