#include "HttpClient.h"

#include <curl/curl.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <exception>
#include <memory>
#include <mutex>

#include "AppError.h"
#include "AtomicFile.h"
#include "CurlLibrary.h"

namespace {

const CurlLibrary& lib() {
    return CurlLibrary::get();
}

struct CurlDeleter {
    void operator()(CURL* curl) const { lib().easyCleanup(curl); }
};
struct SlistDeleter {
    void operator()(curl_slist* list) const { lib().slistFreeAll(list); }
};
using CurlHandle = std::unique_ptr<CURL, CurlDeleter>;
using HeaderList = std::unique_ptr<curl_slist, SlistDeleter>;

std::mutex& defaultTimeoutMutex() {
    static std::mutex m;
    return m;
}
HttpTimeouts& defaultTimeoutStorage() {
    static HttpTimeouts timeouts;
    return timeouts;
}

// One connection cache for the whole process. A list of two hundred thumbnails from the same
// content server would otherwise open two hundred connections, one per easy handle; libcurl
// reuses a kept-alive connection only for a matching host, port and TLS configuration, and
// retries a request once on a fresh connection when a cached one turns out to be closed.
CURLSH* sharedConnections() {
    static std::mutex locks[CURL_LOCK_DATA_LAST];
    static CURLSH* share = [] {
        CURLSH* s = lib().shareInit();
        if (!s) return s;
        lib().shareSetopt(
            s, CURLSHOPT_LOCKFUNC,
            +[](CURL*, curl_lock_data data, curl_lock_access, void*) { locks[data].lock(); });
        lib().shareSetopt(
            s, CURLSHOPT_UNLOCKFUNC, +[](CURL*, curl_lock_data data, void*) { locks[data].unlock(); });
        lib().shareSetopt(s, CURLSHOPT_SHARE, CURL_LOCK_DATA_CONNECT);
        lib().shareSetopt(s, CURLSHOPT_SHARE, CURL_LOCK_DATA_DNS);
        return s;
    }();
    return share;
}

// Where the system keeps its authorities, so an extra CA file adds to them instead of replacing.
constexpr const char* kSystemCaPath = "/etc/ssl/certs";

CurlHandle newHandle(const std::string& url, const TlsPolicy& tls, const HttpTimeouts& timeouts,
                     char* errorBuffer) {
    CurlHandle curl(lib().easyInit());
    if (!curl) throw HttpError("cannot create an HTTP client");
    CURL* h = curl.get();
    if (CURLSH* share = sharedConnections()) lib().easySetopt(h, CURLOPT_SHARE, share);
    lib().easySetopt(h, CURLOPT_URL, url.c_str());
    lib().easySetopt(h, CURLOPT_ERRORBUFFER, errorBuffer);
    lib().easySetopt(h, CURLOPT_NOSIGNAL, 1L);
    lib().easySetopt(h, CURLOPT_PROTOCOLS_STR, "http,https");
    lib().easySetopt(h, CURLOPT_USERAGENT, "LumoviaClass/1.0");
    // A weak school network must not freeze the window for ever.
    lib().easySetopt(h, CURLOPT_CONNECTTIMEOUT, timeouts.connectSeconds);
    lib().easySetopt(h, CURLOPT_LOW_SPEED_LIMIT, 1L);
    lib().easySetopt(h, CURLOPT_LOW_SPEED_TIME, timeouts.idleSeconds);
    lib().easySetopt(h, CURLOPT_TIMEOUT, timeouts.totalSeconds);
    if (tls.verify) {
        lib().easySetopt(h, CURLOPT_SSL_VERIFYPEER, 1L);
        lib().easySetopt(h, CURLOPT_SSL_VERIFYHOST, 2L);
        if (!tls.caFile.empty()) {
            lib().easySetopt(h, CURLOPT_CAINFO, tls.caFile.c_str());
            lib().easySetopt(h, CURLOPT_CAPATH, kSystemCaPath);
        }
    } else {
        lib().easySetopt(h, CURLOPT_SSL_VERIFYPEER, 0L);
        lib().easySetopt(h, CURLOPT_SSL_VERIFYHOST, 0L);
    }
    return curl;
}

// Where a reply body is collected. The callback runs inside libcurl's C frames, which no C++
// exception may cross: it records what went wrong and stops the transfer, and the caller raises
// once libcurl has returned.
struct BodySink {
    std::string* body = nullptr;
    std::size_t limit = 0;
    bool tooLarge = false;
    std::exception_ptr error;
};

size_t appendToBody(char* data, size_t size, size_t count, void* target) {
    auto* sink = static_cast<BodySink*>(target);
    const size_t bytes = size * count;
    if (bytes > sink->limit - std::min(sink->limit, sink->body->size())) {
        sink->tooLarge = true;
        return 0;  // makes libcurl stop with a write error
    }
    try {
        sink->body->append(data, bytes);
    } catch (...) {
        sink->error = std::current_exception();
        return 0;
    }
    return bytes;
}

// Where a download is written: the file, with the count and the cap, and the progress shown
// meanwhile. Like BodySink, it only records what went wrong.
struct FileSink {
    int fd = -1;
    long long written = 0;
    bool tooLarge = false;
    TransferProgress* progress = nullptr;
};

size_t writeToFile(char* data, size_t size, size_t count, void* target) {
    auto* sink = static_cast<FileSink*>(target);
    const size_t total = size * count;
    if (static_cast<long long>(total) > static_cast<long long>(kMaxReplyBytes) - sink->written) {
        sink->tooLarge = true;
        return 0;
    }
    if (writeAll(sink->fd, data, total) != 0) return 0;  // makes libcurl stop with a write error
    sink->written += static_cast<long long>(total);
    return total;
}

int reportProgress(void* target, curl_off_t total, curl_off_t received, curl_off_t, curl_off_t) {
    auto* progress = static_cast<TransferProgress*>(target);
    progress->total = total;
    progress->received = received;
    return progress->cancelled ? 1 : 0;  // non-zero aborts the transfer
}

long responseStatus(CURL* h) {
    long status = 0;
    lib().easyGetinfo(h, CURLINFO_RESPONSE_CODE, &status);
    return status;
}

std::string responseContentType(CURL* h) {
    char* type = nullptr;
    lib().easyGetinfo(h, CURLINFO_CONTENT_TYPE, &type);
    return type ? std::string(type) : std::string();
}

std::string tooLargeMessage(CURL* h) {
    char* url = nullptr;
    lib().easyGetinfo(h, CURLINFO_EFFECTIVE_URL, &url);
    return "The reply from " + std::string(url ? url : "the server") + " is larger than " +
           std::to_string(kMaxReplyBytes >> 20) + " MiB";
}

HttpError transportError(CURLcode rc, const char* errorBuffer) {
    const bool unreachable = rc == CURLE_COULDNT_CONNECT || rc == CURLE_COULDNT_RESOLVE_HOST ||
                             rc == CURLE_COULDNT_RESOLVE_PROXY || rc == CURLE_OPERATION_TIMEDOUT;
    return HttpError(errorBuffer[0] ? errorBuffer : lib().easyStrerror(rc), 0,
                     unreachable ? HttpError::Reach::Unreachable : HttpError::Reach::Reached);
}

// Runs the prepared request with the body collected in memory, up to kMaxReplyBytes: a larger
// declared length is refused when the header arrives, a longer body at the byte that passes it.
HttpResponse collectResponse(CURL* h, const char* errorBuffer) {
    HttpResponse response;
    BodySink sink;
    sink.body = &response.body;
    sink.limit = kMaxReplyBytes;
    lib().easySetopt(h, CURLOPT_WRITEFUNCTION, appendToBody);
    lib().easySetopt(h, CURLOPT_WRITEDATA, &sink);
    lib().easySetopt(h, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(kMaxReplyBytes));
    const CURLcode rc = lib().easyPerform(h);
    if (sink.error) std::rethrow_exception(sink.error);
    if (sink.tooLarge || rc == CURLE_FILESIZE_EXCEEDED) throw HttpError(tooLargeMessage(h));
    if (rc != CURLE_OK) throw transportError(rc, errorBuffer);
    response.status = responseStatus(h);
    response.contentType = responseContentType(h);
    return response;
}

}  // namespace

HttpClient::HttpClient(TlsPolicy tls) : tls_(std::move(tls)), timeouts_(defaultTimeouts()) {}

HttpClient::HttpClient(TlsPolicy tls, HttpTimeouts timeouts) : tls_(std::move(tls)), timeouts_(timeouts) {}

void HttpClient::setDefaultTimeouts(HttpTimeouts timeouts) {
    std::lock_guard lock(defaultTimeoutMutex());
    defaultTimeoutStorage() = timeouts;
}

HttpTimeouts HttpClient::defaultTimeouts() {
    std::lock_guard lock(defaultTimeoutMutex());
    return defaultTimeoutStorage();
}

HttpResponse HttpClient::post(const std::string& url, const ByteString& body,
                              const std::vector<std::string>& headers) const {
    char errorBuffer[CURL_ERROR_SIZE] = {};
    CurlHandle curl = newHandle(url, tls_, timeouts_, errorBuffer);
    CURL* h = curl.get();
    HeaderList list;
    for (const std::string& header : headers) {
        curl_slist* grown = lib().slistAppend(list.get(), header.c_str());
        if (!grown) throw HttpError("cannot build the request headers");
        list.release();
        list.reset(grown);
    }
    // libcurl would otherwise send "Expect: 100-continue" for larger bodies and wait for it.
    curl_slist* grown = lib().slistAppend(list.get(), "Expect:");
    if (grown) {
        list.release();
        list.reset(grown);
    }
    lib().easySetopt(h, CURLOPT_HTTPHEADER, list.get());
    lib().easySetopt(h, CURLOPT_POST, 1L);
    lib().easySetopt(h, CURLOPT_POSTFIELDS, body.data());
    lib().easySetopt(h, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body.size()));
    return collectResponse(h, errorBuffer);
}

HttpResponse HttpClient::get(const std::string& url) const {
    char errorBuffer[CURL_ERROR_SIZE] = {};
    CurlHandle curl = newHandle(url, tls_, timeouts_, errorBuffer);
    return collectResponse(curl.get(), errorBuffer);
}

ByteString HttpClient::getBody(const std::string& url) const {
    HttpResponse response = get(url);
    if (response.status < 200 || response.status > 299) {
        throw HttpError("HTTP " + std::to_string(response.status), response.status);
    }
    return std::move(response.body);
}

void HttpClient::downloadToFile(const std::string& url, const std::string& path,
                                const DownloadOptions& options) const {
    AtomicFile file(path, kDownloadTemporaryPrefix, 0644);
    if (file.openError() != 0) throw HttpError("cannot create a temporary file in " + file.folder());
    const int fd = file.fd();
    long status = 0;
    {
        char errorBuffer[CURL_ERROR_SIZE] = {};
        CurlHandle curl = newHandle(url, tls_, timeouts_, errorBuffer);
        CURL* h = curl.get();
        FileSink sink;
        sink.fd = fd;
        lib().easySetopt(h, CURLOPT_WRITEFUNCTION, writeToFile);
        lib().easySetopt(h, CURLOPT_WRITEDATA, &sink);
        lib().easySetopt(h, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(kMaxReplyBytes));
        lib().easySetopt(h, CURLOPT_FOLLOWLOCATION, 1L);
        lib().easySetopt(h, CURLOPT_MAXREDIRS, 5L);
        if (options.progress) {
            lib().easySetopt(h, CURLOPT_XFERINFOFUNCTION, reportProgress);
            lib().easySetopt(h, CURLOPT_XFERINFODATA, options.progress);
            lib().easySetopt(h, CURLOPT_NOPROGRESS, 0L);
        }
        const CURLcode rc = lib().easyPerform(h);
        if (sink.tooLarge || rc == CURLE_FILESIZE_EXCEEDED) throw HttpError(tooLargeMessage(h));
        if (rc != CURLE_OK) throw transportError(rc, errorBuffer);
        status = responseStatus(h);
    }
    if (status < 200 || status > 299) {
        throw HttpError("HTTP " + std::to_string(status), status);
    }
    if (options.acceptHead) {
        char head[16];
        const ssize_t n = ::pread(fd, head, sizeof head, 0);
        if (n < 0 || !options.acceptHead(std::string_view(head, static_cast<std::size_t>(n)))) {
            throw HttpError("The reply from " + url + " is not the file asked for");
        }
    }
    if (file.commit() != 0) throw HttpError("cannot store the download at " + path);
}
