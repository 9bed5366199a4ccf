#include "HalftoneStretch.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace {

// One target pixel's share of the source along one axis. In units where a source pixel is
// `targetLength` long and a target pixel `sourceLength` long, the overlaps are whole numbers,
// so the weights are exact and sum to `sourceLength` for every target pixel.
struct Span {
    int first = 0;
    std::vector<std::uint32_t> weights;
};

std::vector<Span> axisSpans(int sourceLength, int targetLength) {
    std::vector<Span> spans(static_cast<size_t>(targetLength));
    const std::int64_t s = sourceLength;
    const std::int64_t t = targetLength;
    for (std::int64_t i = 0; i < t; ++i) {
        const std::int64_t begin = i * s;
        const std::int64_t end = begin + s;
        const std::int64_t firstPixel = begin / t;
        const std::int64_t lastPixel = (end - 1) / t;
        Span& span = spans[static_cast<size_t>(i)];
        span.first = static_cast<int>(firstPixel);
        for (std::int64_t j = firstPixel; j <= lastPixel; ++j) {
            const std::int64_t overlap = std::min(end, (j + 1) * t) - std::max(begin, j * t);
            span.weights.push_back(static_cast<std::uint32_t>(overlap));
        }
    }
    return spans;
}

}  // namespace

QImage HalftoneStretch(const QImage& source, int width, int height) {
    if (source.isNull() || width <= 0 || height <= 0) {
        return {};
    }
    const QImage rgb =
        source.format() == QImage::Format_RGB888 ? source : source.convertToFormat(QImage::Format_RGB888);
    const int sw = rgb.width();
    const int sh = rgb.height();
    QImage target(width, height, QImage::Format_RGB888);
    if (rgb.isNull() || target.isNull()) {
        return {};
    }

    const std::vector<Span> columns = axisSpans(sw, width);
    const std::vector<Span> rows = axisSpans(sh, height);

    // Horizontal pass first: each source row becomes `width` sums weighted by column overlap
    // (at most sw * 255 per channel); the vertical pass then weights those by row overlap.
    const size_t rowSums = static_cast<size_t>(width) * 3;
    std::vector<std::uint32_t> horizontal(rowSums * static_cast<size_t>(sh));
    for (int y = 0; y < sh; ++y) {
        const uchar* src = rgb.constScanLine(y);
        std::uint32_t* out = horizontal.data() + rowSums * static_cast<size_t>(y);
        for (int x = 0; x < width; ++x) {
            const Span& span = columns[static_cast<size_t>(x)];
            const uchar* p = src + static_cast<size_t>(span.first) * 3;
            std::uint32_t r = 0, g = 0, b = 0;
            for (std::uint32_t w : span.weights) {
                r += w * p[0];
                g += w * p[1];
                b += w * p[2];
                p += 3;
            }
            out[0] = r;
            out[1] = g;
            out[2] = b;
            out += 3;
        }
    }

    const std::uint64_t divisor = static_cast<std::uint64_t>(sw) * static_cast<std::uint64_t>(sh);
    std::vector<std::uint64_t> acc(rowSums);
    for (int y = 0; y < height; ++y) {
        const Span& span = rows[static_cast<size_t>(y)];
        std::fill(acc.begin(), acc.end(), 0);
        const std::uint32_t* in = horizontal.data() + rowSums * static_cast<size_t>(span.first);
        for (std::uint32_t w : span.weights) {
            for (size_t k = 0; k < rowSums; ++k) {
                acc[k] += static_cast<std::uint64_t>(w) * in[k];
            }
            in += rowSums;
        }
        uchar* dst = target.scanLine(y);
        for (size_t k = 0; k < rowSums; ++k) {
            dst[k] = static_cast<uchar>((acc[k] + divisor / 2) / divisor);
        }
    }
    return target;
}
