#pragma once

// What the download pool and lesson preparation tests share: a picture server that counts
// requests per path and can hold chosen paths back, a demo book's records loaded as the window
// loads them, and a wait for the window thread's queued reports.
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QString>
#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>

#include "DataModule.h"
#include "DemoService.h"
#include "RecordingHttpServer.h"
#include "cache/CacheFolder.h"
#include "catalogue/BookFiles.h"
#include "catalogue/CatalogueLoader.h"
#include "service/Endpoints.h"
#include "service/TReplyDataset.h"
#include "service/lmvInclassSoap.h"

// Serves a small JPEG for every path; a path given to hold() is answered only after release()
// (or ten seconds), so a test can keep a transfer running while it acts.
class HeldPictureServer {
public:
    HeldPictureServer()
        : server_(
              [this](const RecordedRequest& request) {
                  const std::string path = request.target.substr(0, request.target.find('?'));
                  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
                  while (isHeld(path) && std::chrono::steady_clock::now() < deadline)
                      std::this_thread::sleep_for(std::chrono::milliseconds(5));
                  return ScriptedResponse{200, "image/jpeg", "\xFF\xD8\xFF" + std::string(2048, 'J') + path};
              },
              RecordingHttpServer::Connections::Concurrent) {}
    ~HeldPictureServer() { release(); }

    std::string url(const std::string& path) const { return server_.baseUrl() + path; }
    void hold(const std::string& path) {
        std::lock_guard lock(mutex_);
        held_.insert(path);
    }
    // Lets every held path go, or only `path`.
    void release(const std::string& path = {}) {
        std::lock_guard lock(mutex_);
        if (path.empty()) held_.clear();
        held_.erase(path);
    }
    // The paths asked for, in the order the requests came.
    std::vector<std::string> paths() const {
        std::vector<std::string> paths;
        for (const RecordedRequest& request : server_.requests()) paths.push_back(request.target);
        return paths;
    }
    // Requests whose path ends with `name`, whatever folder they named.
    int requestsFor(const std::string& name) const {
        int count = 0;
        for (const std::string& path : paths()) count += path.ends_with(name);
        return count;
    }

private:
    bool isHeld(const std::string& path) const {
        std::lock_guard lock(mutex_);
        return held_.contains(path);
    }
    mutable std::mutex mutex_;
    std::set<std::string> held_;
    RecordingHttpServer server_;
};

// Processes events until `done` holds; false after the deadline.
template <class Predicate>
bool processEventsUntil(Predicate done, int timeoutMs = 15000) {
    QDeadlineTimer deadline(timeoutMs);
    while (!done()) {
        if (deadline.hasExpired()) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

// A demo book's pages and media records, read from the demo service as a book change reads them.
struct DemoBook {
    std::unique_ptr<TstudyDM> dm;
    TObjectList<TPageObj> pages;
    TObjectList<TMaterialObj> scenes;
    TObjectList<TMiniLectureObj> miniLectures;
    TObjectList<TWordObj> words;
    TObjectList<TMediaClipObj> clips;

    BookRecords records() const { return {pages, scenes, miniLectures, words, clips}; }

    static std::unique_ptr<DemoBook> load(const DemoService& service, const GbkString& bookId,
                                          const GbkString& syllabusId = "syl-pep") {
        auto book = std::make_unique<DemoBook>();
        book->dm = dataModule(service.clientConfig());
        lmvInclassSoap& soap = *book->dm->HTTPRIOLmvInClass_.GetlmvInclassSoap();
        const TReplyDataset rows = ParseReplyDataset(
            soap.LmvInclass_GetPageList(bookId, Endpoints::pictureBase(gbk::fromQString(service.host()))),
            DeclarationRule::Plain);
        for (TReplyRow row = rows.firstRow(); !row.isNull(); row = row.next())
            book->pages.Add(TPageObj::fromRow(row));
        CatalogueLoader loader(soap, CacheFolder::temporaryPath());
        const GbkString user = "t1001";
        loader.LoadBookScenes(user, syllabusId, bookId, book->scenes);
        loader.LoadBookMiniLectures(user, syllabusId, bookId, book->miniLectures);
        loader.LoadBookWords(user, syllabusId, bookId, book->words);
        loader.LoadClipList(user, book->clips);
        return book;
    }
};
