// Thumbnails from a warm cache: LoadImageThumbnail against a reference pass of libjpeg-turbo
// decoding the same files at 1/8 scale followed by the same stretch, run side by side page by
// page. Counters: per-page times of both passes, their ratio, and the mean per-channel difference
// of the thumbnails from ones stretched from the full picture.
//
// LUMO_BENCH_PAGES sets the number of generated pages (default 200).

#include <benchmark/benchmark.h>
#include <jpeglib.h>

#include <QImage>
#include <QTemporaryDir>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "catalogue/HalftoneStretch.h"
#include "catalogue/ImageLoader.h"

namespace {

constexpr int kPageWidth = 1654;
constexpr int kPageHeight = 2339;
constexpr int kThumbWidth = 100;
constexpr int kThumbHeight = 140;

// A scanned textbook page: paper with grain, an illustration with edges and texture, and
// paragraphs of glyph-sized marks with ragged line ends.
QImage makePage(std::uint32_t seed) {
    std::uint32_t state = seed * 2654435761u + 12345u;
    auto next = [&state] {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return state;
    };
    const int w = kPageWidth, h = kPageHeight;
    QImage page(w, h, QImage::Format_RGB888);
    for (int y = 0; y < h; ++y) {
        uchar* p = page.scanLine(y);
        for (int x = 0; x < w * 3; x += 3) {
            const int grain = int(next() % 7);
            p[x] = uchar(246 + grain);
            p[x + 1] = uchar(244 + grain);
            p[x + 2] = uchar(236 + grain);
        }
    }

    const int pw = w / 2 + int(next() % (w / 3)), ph = h / 5 + int(next() % (h / 5));
    const int px = (w - pw) / 2, py = h / 14;
    const int sunX = pw / 2 + int(next() % (pw / 3)), sunY = ph / 4, sunR = ph / 6;
    for (int y = py; y < py + ph; ++y) {
        uchar* p = page.scanLine(y);
        for (int x = px; x < px + pw; ++x) {
            const int dx = x - px, dy = y - py;
            const bool sun = (dx - sunX) * (dx - sunX) + (dy - sunY) * (dy - sunY) < sunR * sunR;
            const bool grass = dy > ph * 2 / 3 + int(20 * ((dx / 37) % 3));
            const int noise = int(next() % 24);
            uchar* q = p + x * 3;
            if (sun) {
                q[0] = 250, q[1] = uchar(190 + noise), q[2] = 40;
            } else if (grass) {
                q[0] = uchar(40 + noise), q[1] = uchar(150 + noise), q[2] = 50;
            } else {
                q[0] = uchar(90 + 100 * dy / ph), q[1] = uchar(150 + 60 * dx / pw), q[2] = uchar(230 - noise);
            }
        }
    }

    const int lineHeight = h / 55, glyph = lineHeight * 6 / 10;
    int line = py + ph + 2 * lineHeight;
    while (line + lineHeight < h - h / 16) {
        const int paragraphLines = 3 + int(next() % 6);
        for (int l = 0; l < paragraphLines && line + lineHeight < h - h / 16; ++l, line += lineHeight) {
            int x = w / 12;
            const int right = l + 1 == paragraphLines ? w / 3 + int(next() % (w / 3)) : w - w / 12;
            while (x + glyph < right) {
                const int letters = 2 + int(next() % 8);
                for (int k = 0; k < letters && x + glyph < right; ++k) {
                    const int gw = glyph / 2 + int(next() % (glyph / 2 + 1));
                    const std::uint32_t shape = next() | 0x0990u;
                    for (int y = line; y < line + glyph; ++y) {
                        uchar* p = page.scanLine(y);
                        for (int gx = x; gx < x + gw; ++gx) {
                            const int cell = ((y - line) * 4 / glyph) * 4 + (gx - x) * 4 / gw;
                            if ((shape >> cell) & 1) {
                                p[gx * 3] = 30, p[gx * 3 + 1] = 30, p[gx * 3 + 2] = 35;
                            }
                        }
                    }
                    x += gw + glyph / 6;
                }
                x += glyph;
            }
        }
        line += lineHeight;
    }
    return page;
}

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

struct DecompressDeleter {
    void operator()(jpeg_decompress_struct* c) const {
        jpeg_destroy_decompress(c);
        delete c;
    }
};

// The reference: libjpeg-turbo at 1/8 scale straight from the file, then the same stretch.
QImage referenceThumbnail(const std::string& path) {
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
    if (!file) return {};
    jpeg_error_mgr errors;
    std::unique_ptr<jpeg_decompress_struct, DecompressDeleter> cinfo(new jpeg_decompress_struct);
    cinfo->err = jpeg_std_error(&errors);
    jpeg_create_decompress(cinfo.get());
    jpeg_stdio_src(cinfo.get(), file.get());
    jpeg_read_header(cinfo.get(), TRUE);
    cinfo->scale_num = 1;
    cinfo->scale_denom = 8;
    cinfo->out_color_space = JCS_RGB;
    jpeg_start_decompress(cinfo.get());
    QImage decoded(int(cinfo->output_width), int(cinfo->output_height), QImage::Format_RGB888);
    while (cinfo->output_scanline < cinfo->output_height) {
        JSAMPROW row = decoded.scanLine(int(cinfo->output_scanline));
        jpeg_read_scanlines(cinfo.get(), &row, 1);
    }
    jpeg_finish_decompress(cinfo.get());
    return HalftoneStretch(decoded, kThumbWidth, kThumbHeight);
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
            makePage(std::uint32_t(i)).save(QString::fromStdString(path), "JPG", 85);
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
