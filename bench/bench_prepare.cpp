// Preparing a lesson: a 300-page book of 2480 x 3508 JPEG pages fetched from a loopback server
// that holds every picture back 20 ms, until each page is cached and its thumbnail made. The
// pool at the configured width against the same code one transfer at a time (the reference), in
// one run, taking turns, each pass from an empty cache folder. Prints the median of each and
// their ratio.
// Run: bench_prepare [pages delay-ms rounds parallel]
#include <QBuffer>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "KeepAliveServer.h"
#include "cache/RemoteFileCache.h"
#include "catalogue/LessonPreparation.h"

namespace {

std::string pageJpeg() {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    makePage(7, 2480, 3508).save(&buffer, "JPG", 85);
    return bytes.toStdString();
}

// Processor time of the whole process (every thread, the server's included), in milliseconds:
// a pass whose wall time is near this over the number of cores is bound by the processor.
double processorMs() {
    return double(std::clock()) * 1000.0 / CLOCKS_PER_SEC;
}

// Milliseconds until every page is cached with its thumbnail; negative when one is missing.
double preparePass(const TObjectList<TPageObj>& pages, int parallel, double& cpuMs) {
    const double cpuAtStart = processorMs();
    QTemporaryDir folder;
    const std::string cacheFolder = folder.path().toStdString() + "/";
    RemoteFileCache cache(cacheFolder, nullptr, nullptr);
    cache.runTransfersInBackground(nullptr);
    cache.enablePool(parallel);
    auto store = std::make_shared<ThumbnailStore>();
    const TObjectList<TMaterialObj> scenes;
    const TObjectList<TMiniLectureObj> lectures;
    const TObjectList<TWordObj> words;
    const TObjectList<TMediaClipObj> clips;
    bool finished = false;
    QElapsedTimer clock;
    clock.start();
    LessonPreparation preparation(*cache.pool(), store, cacheFolder, {pages, scenes, lectures, words, clips},
                                  GbkString("bench"), {{}, [&] { finished = true; }});
    preparation.start();
    while (!finished) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    const double elapsed = double(clock.nsecsElapsed()) / 1e6;
    cpuMs = processorMs() - cpuAtStart;
    const LessonPreparation::Progress progress = preparation.progress();
    if (progress.ready != int(pages.Count()) || store->size() != pages.Count()) return -1;
    return elapsed;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    const int count = argc > 1 ? std::atoi(argv[1]) : 300;
    const int delayMs = argc > 2 ? std::atoi(argv[2]) : 20;
    const int rounds = argc > 3 ? std::atoi(argv[3]) : 3;
    const int parallel = argc > 4 ? std::atoi(argv[4]) : 6;

    const std::string page = pageJpeg();
    KeepAliveServer server({page, "image/jpeg", std::chrono::milliseconds(delayMs)});
    TObjectList<TPageObj> pages;
    for (int i = 1; i <= count; ++i) {
        TPageObj record;
        record.pageid = GbkString("bench-" + std::to_string(i));
        record.pagefile = GbkString(server.baseUrl() + "/content/pages/bench/p" + std::to_string(i) + ".jpg");
        pages.Add(record);
    }
    std::printf("%d pages of 2480 x 3508 (%zu KB each), %d ms a picture, %d rounds\n", count,
                page.size() / 1024, delayMs, rounds);

    std::vector<double> reference, pooled;
    for (int round = 0; round < rounds; ++round) {
        double cpuOne = 0, cpuMany = 0;
        reference.push_back(preparePass(pages, 1, cpuOne));
        pooled.push_back(preparePass(pages, parallel, cpuMany));
        std::printf(
            "round %d: one at a time %.0f ms (processor %.0f ms), %d at a time %.0f ms (processor %.0f ms)\n",
            round + 1, reference.back(), cpuOne, parallel, pooled.back(), cpuMany);
        if (reference.back() < 0 || pooled.back() < 0) {
            std::printf("a page or its thumbnail is missing\n");
            return 1;
        }
    }
    const double one = median(reference), many = median(pooled);
    std::printf("median: one at a time %.0f ms, %d at a time %.0f ms, ratio %.2f\n", one, parallel, many,
                many / one);
    return 0;
}
