#pragma once

#include <QString>
#include <functional>
#include <string>

#include "service/GbkText.h"
#include "service/HttpClient.h"

// Makes remote pictures available as files directly inside the cache folder, fetching each one
// the first time it is asked for. The existence of a regular file at the path is the whole cache
// state. Progress goes to an injected status sink (the window's first status panel) and pending
// window events are processed through an injected pump before and after each transfer, so the
// class needs no widget. Blocking, single-threaded; one transfer at a time.
class RemoteFileCache {
public:
    using StatusSink = std::function<void(const QString& text)>;
    using EventPump = std::function<void()>;

    // `cacheFolder` ends with "/"; an empty folder (none could be made) refuses every fetch.
    RemoteFileCache(std::string cacheFolder, StatusSink setStatus, EventPump processEvents,
                    HttpClient http = HttpClient(HttpClient::defaultTls()));

    // True when a file is at `localPath` afterwards. An existing file answers at once, silently.
    // A path that is not a safe name directly inside the cache folder is never fetched and
    // reports a failed download. Never raises: an error becomes the status "下载失败：" + address.
    bool CacheRemoteFile(const GbkString& address, const std::string& localPath);

    // One blocking, atomic download. A transfer the server or network refuses (no connection,
    // error status, cut off) is a quiet false; any other error shows "DownloadFile: " + its
    // message and gives false.
    bool DownloadFile(const GbkString& address, const std::string& path) const;

    const std::string& cacheFolder() const { return cacheFolder_; }

private:
    bool isCachePath(const std::string& localPath) const;

    std::string cacheFolder_;
    StatusSink setStatus_;
    EventPump processEvents_;
    HttpClient http_;
};
