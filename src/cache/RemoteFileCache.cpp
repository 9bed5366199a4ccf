#include "RemoteFileCache.h"

#include <sys/stat.h>

#include <exception>

#include "CacheFileName.h"
#include "service/AppError.h"
#include "service/ShowMessage.h"

namespace {

bool regularFileExists(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

void replaceAll(GbkString& text, const GbkString& from, const GbkString& to) {
    for (std::size_t at = text.find(from); at != GbkString::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
}

// The address without what a user need not read: for a web address, from its two slashes on.
GbkString statusTail(const GbkString& address) {
    const std::size_t at = CacheFileName::LastDelimiter(address, ":\\");
    return at == GbkString::npos ? address : address.substr(at + 1);
}

}  // namespace

RemoteFileCache::RemoteFileCache(std::string cacheFolder, StatusSink setStatus, EventPump processEvents,
                                 HttpClient http)
    : cacheFolder_(std::move(cacheFolder)),
      setStatus_(std::move(setStatus)),
      processEvents_(std::move(processEvents)),
      http_(std::move(http)) {}

bool RemoteFileCache::isCachePath(const std::string& localPath) const {
    if (cacheFolder_.empty() || cacheFolder_.back() != '/' || !localPath.starts_with(cacheFolder_))
        return false;
    return CacheFileName::IsSafe(std::string_view(localPath).substr(cacheFolder_.size()));
}

bool RemoteFileCache::CacheRemoteFile(const GbkString& address, const std::string& localPath) {
    // Checked before the existence test too: a name like "../x" must not pass for cached.
    const bool allowed = isCachePath(localPath);
    if (allowed && regularFileExists(localPath)) return true;

    GbkString fetched = address;
    bool result = false;
    try {
        if (setStatus_)
            setStatus_(QStringLiteral("首次使用，下载中...") + gbk::toQString(statusTail(address)));
        if (processEvents_) processEvents_();
        // Pictures are served over plain HTTP whatever scheme the service wrote.
        replaceAll(fetched, "https://", "http://");
        result = allowed && DownloadFile(fetched, localPath);
        if (setStatus_) {
            setStatus_(result ? QStringLiteral("下载页面成功.")
                              : QStringLiteral("下载页面失败：") +
                                    QString::fromUtf8(gbk::pathToUtf8(localPath)));
        }
        if (processEvents_) processEvents_();
    } catch (...) {
        try {
            if (setStatus_) setStatus_(QStringLiteral("下载失败：") + gbk::toQString(fetched));
        } catch (...) {
        }
    }
    return result;
}

bool RemoteFileCache::DownloadFile(const GbkString& address, const std::string& path) const {
    try {
        http_.downloadToFile(address.bytes(), path);
        return true;
    } catch (const HttpError&) {
        // A refused transfer (missing thumbnail, server down) is an ordinary outcome told by the
        // result: a list of two hundred thumbnails on a bad network must not raise a box each.
        return false;
    } catch (const std::exception& error) {
        ShowMessage(QStringLiteral("DownloadFile: ") + QString::fromUtf8(error.what()));
        return false;
    }
}
