// Thumbnails from a warm cache: LoadImageThumbnail against a reference pass of libjpeg-turbo
// decoding the same files at 1/8 scale followed by the same stretch, run side by side page by
// page. Counters: per-page times of both passes, their ratio, and the mean per-channel difference
// of the thumbnails from ones stretched from the full picture.
//
// LUMO_BENCH_PAGES sets the number of generated pages (default 200).

#include <benchmark/benchmark.h>

#include <QImage>
#include <QTemporaryDir>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "catalogue/HalftoneStretch.h"
#include "catalogue/ImageLoader.h"

namespace {

constexpr int kPageWidth = 1654;
constexpr int kPageHeight = 2339;
constexpr int kThumbWidth = 100;
constexpr int kThumbHeight = 140;

// The reference: libjpeg-turbo at 1/8 scale straight from the file, then the same stretch.
QImage referenceThumbnail(const std::string& path) {
    return HalftoneStretch(referenceDecode(path, 8), kThumbWidth, kThumbHeight);
}

class PageSet {
public:
    static PageSet& instance() {
        static PageSet pages;
        return pages;
    }
    const std::vector<std::string>& paths() const { return paths_; }

private:
    PageSet() {
        const char* count = std::getenv("LUMO_BENCH_PAGES");
        const int pages = count ? std::max(1, std::atoi(count)) : 200;
        std::fprintf(stderr, "generating %d JPEG pages of %d x %d in %s\n", pages, kPageWidth, kPageHeight,
                     qPrintable(dir_.path()));
        for (int i = 0; i < pages; ++i) {
            const std::string path = dir_.path().toStdString() + "/page" + std::to_string(i) + ".jpg";
            makePage(std::uint32_t(i), kPageWidth, kPageHeight).save(QString::fromStdString(path), "JPG", 85);
            paths_.push_back(path);
        }
        // Warm the page cache: every file read once before anything is timed.
        std::vector<char> sink(1 << 16);
        for (const std::string& path : paths_) {
            std::unique_ptr<std::FILE, FileCloser> f(std::fopen(path.c_str(), "rb"));
            while (f && std::fread(sink.data(), 1, sink.size(), f.get()) > 0) {
            }
        }
    }
    QTemporaryDir dir_;
    std::vector<std::string> paths_;
};

double meanChannelDifference(const QImage& a, const QImage& b) {
    double sum = 0;
    for (int y = 0; y < a.height(); ++y) {
        const uchar* pa = a.constScanLine(y);
        const uchar* pb = b.constScanLine(y);
        for (int x = 0; x < a.width() * 3; ++x) sum += std::abs(int(pa[x]) - int(pb[x]));
    }
    return sum / (double(a.width()) * a.height() * 3);
}

// Both passes over every page, page by page, alternating which goes first.
void BM_ThumbnailsSideBySide(benchmark::State& state) {
    const std::vector<std::string>& paths = PageSet::instance().paths();
    using Clock = std::chrono::steady_clock;
    Clock::duration lumo{}, reference{};
    for (auto _ : state) {
        Clock::duration iteration{};
        for (size_t i = 0; i < paths.size(); ++i) {
            for (int pass = 0; pass < 2; ++pass) {
                const bool lumoPass = (pass == 0) == (i % 2 == 0);
                const auto start = Clock::now();
                QImage thumb;
                if (lumoPass) {
                    int w = 0, h = 0;
                    thumb = LoadImageThumbnail(paths[i], kThumbWidth, kThumbHeight, w, h);
                } else {
                    thumb = referenceThumbnail(paths[i]);
                }
                benchmark::DoNotOptimize(thumb.constBits());
                const auto took = Clock::now() - start;
                (lumoPass ? lumo : reference) += took;
                if (lumoPass) iteration += took;
                if (thumb.size() != QSize(kThumbWidth, kThumbHeight)) {
                    state.SkipWithError("a thumbnail failed");
                    return;
                }
            }
        }
        state.SetIterationTime(std::chrono::duration<double>(iteration).count());
    }
    const double pages = double(paths.size()) * double(state.iterations());
    state.counters["pages"] = double(paths.size());
    state.counters["lumo_ms_per_page"] = std::chrono::duration<double, std::milli>(lumo).count() / pages;
    state.counters["reference_ms_per_page"] =
        std::chrono::duration<double, std::milli>(reference).count() / pages;
    state.counters["ratio"] = double(lumo.count()) / double(reference.count());

    double difference = 0, referenceDifference = 0;
    for (const std::string& path : paths) {
        int w = 0, h = 0, sw = 0, sh = 0;
        const QImage full = HalftoneStretch(LoadImageFile(path, w, h), kThumbWidth, kThumbHeight);
        difference +=
            meanChannelDifference(LoadImageThumbnail(path, kThumbWidth, kThumbHeight, sw, sh), full);
        referenceDifference += meanChannelDifference(referenceThumbnail(path), full);
    }
    state.counters["mean_channel_difference"] = difference / double(paths.size());
    state.counters["reference_mean_channel_difference"] = referenceDifference / double(paths.size());
}
BENCHMARK(BM_ThumbnailsSideBySide)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
