// How the window thread fares while the textbook's thumbnails load over a slow network: the
// thumbnail pass of the real textbook sheet against a loopback server that holds every picture
// back, once with each transfer on the window thread (as the program did before transfers moved
// to workers: the reference) and once with the program's background transfers, in one run.
//   (a) a cold pass of a 40-page book at 500 ms a picture: the gaps between the ticks of a 5 ms
//       timer on the window thread, longest and 99th percentile;
//   (b) a cold pass of a 300-page book at 20 ms a picture: the total time.
// Run: bench_responsiveness [pages-a delay-a-ms pages-b delay-b-ms rounds-b]
#include <QApplication>
#include <QBuffer>
#include <QElapsedTimer>
#include <QImage>
#include <QListWidget>
#include <QPainter>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "KeepAliveServer.h"
#include "cache/RemoteFileCache.h"
#include "catalogue/ImageList.h"
#include "catalogue/TObjectList.h"
#include "catalogue/TPageObj.h"
#include "pages/TextBookPage.h"
#include "service/HTTPRIOLmvInClass.h"

namespace {

// A scanned-looking A4 page at 150 dpi: paper, a picture block and lines of "text".
std::string pageJpeg() {
    QImage page(1240, 1754, QImage::Format_RGB32);
    page.fill(QColor(250, 248, 240));
    QPainter painter(&page);
    std::mt19937 random(7);
    painter.fillRect(120, 140, 1000, 500, QColor(90, 150, 220));
    for (int line = 700; line < 1650; line += 34)
        for (int x = 120; x < 1100; x += 20 + int(random() % 60))
            painter.fillRect(x, line, 10 + int(random() % 40), 18, QColor(30, 30, 35));
    painter.end();
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    page.save(&buffer, "JPG", 85);
    return bytes.toStdString();
}

struct Pass {
    double totalMs = 0;
    double longestGapMs = 0;
    double p99GapMs = 0;
};

// One cold thumbnail pass of `count` pages through the real sheet.
Pass thumbnailPass(const KeepAliveServer& server, int count, bool background) {
    QTemporaryDir folder;
    const std::string cacheFolder = folder.path().toStdString() + "/";
    HTTPRIOLmvInClass service;
    TObjectList<TPageObj> pages;
    ImageList thumbnails;
    RemoteFileCache files(
        cacheFolder, [](const QString&) {}, [] { QCoreApplication::processEvents(); });
    if (background) files.runTransfersInBackground({});
    TextBookPage sheet(
        TextBookPage::Context{service, "127.0.0.1:9", cacheFolder, pages, thumbnails,
                              PictureSource{[&files](const GbkString& address, const std::string& path) {
                                                return files.CacheRemoteFile(address, path);
                                            },
                                            {}}});
    sheet.resize(1280, 800);
    sheet.show();
    for (int i = 0; i < count; ++i) {
        TPageObj record;
        record.pageid = GbkString("p" + std::to_string(i));
        record.pagename = record.pageid;
        record.pagefile = GbkString(server.baseUrl() + "/pages/p" + std::to_string(i) + ".jpg");
        record.width = record.height = "0";
        pages.Add(record);
    }
    QCoreApplication::processEvents();

    std::vector<double> ticks;
    QElapsedTimer clock;
    QTimer timer;
    timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer, &QTimer::timeout, [&] { ticks.push_back(clock.nsecsElapsed() / 1e6); });
    clock.start();
    ticks.push_back(0);
    timer.start(5);
    sheet.RefreshBookPageList();
    Pass pass;
    pass.totalMs = clock.nsecsElapsed() / 1e6;
    ticks.push_back(pass.totalMs);
    timer.stop();
    if (sheet.LVTextBook->count() != count) std::fprintf(stderr, "the pass ended early\n");

    std::vector<double> gaps;
    for (std::size_t i = 1; i < ticks.size(); ++i) gaps.push_back(ticks[i] - ticks[i - 1]);
    std::sort(gaps.begin(), gaps.end());
    pass.longestGapMs = gaps.back();
    pass.p99GapMs = gaps[std::min(gaps.size() - 1, gaps.size() * 99 / 100)];
    return pass;
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const auto arg = [&](int i, int fallback) { return argc > i ? std::atoi(argv[i]) : fallback; };
    const int pagesA = arg(1, 40), delayA = arg(2, 500), pagesB = arg(3, 300), delayB = arg(4, 20),
              roundsB = arg(5, 3);
    KeepAliveServer server({pageJpeg(), "image/jpeg", std::chrono::milliseconds(delayA)});

    std::printf("(a) cold thumbnail pass, %d pages at %d ms a picture; gaps between 5 ms ticks\n", pagesA,
                delayA);
    for (bool background : {false, true}) {
        const Pass pass = thumbnailPass(server, pagesA, background);
        std::printf("  %-34s longest gap %7.1f ms  p99 %7.1f ms  total %8.0f ms\n",
                    background ? "background transfers (now)" : "on the window thread (reference)",
                    pass.longestGapMs, pass.p99GapMs, pass.totalMs);
    }

    server.setDelay(std::chrono::milliseconds(delayB));
    std::printf("(b) cold thumbnail pass, %d pages at %d ms a picture; %d rounds, alternating\n", pagesB,
                delayB, roundsB);
    std::vector<double> reference, now, ratios;
    for (int round = 0; round < roundsB; ++round) {
        const bool referenceFirst = round % 2 == 0;
        const double first = thumbnailPass(server, pagesB, !referenceFirst).totalMs;
        const double second = thumbnailPass(server, pagesB, referenceFirst).totalMs;
        const double r = referenceFirst ? first : second, n = referenceFirst ? second : first;
        reference.push_back(r);
        now.push_back(n);
        ratios.push_back(n / r);
        std::printf("  round %d: reference %8.0f ms  now %8.0f ms  ratio %.3f\n", round + 1, r, n, n / r);
    }
    std::printf("  median: reference %8.0f ms  now %8.0f ms  ratio %.3f\n", median(reference), median(now),
                median(ratios));
    return 0;
}
