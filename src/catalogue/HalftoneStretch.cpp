#include "HalftoneStretch.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "ImageLimits.h"

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
    // The target and a 24-bit copy of the source are the only buffers that grow with the
    // pictures; both stay within the decoding limits or the stretch is refused before allocating.
    if (!imagelimits::Allowed(width, height, 3)) {
        return {};
    }
    if (source.format() != QImage::Format_RGB888 &&
        !imagelimits::Allowed(source.width(), source.height(), 3)) {
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

    // Horizontal pass: a source row becomes `width` sums weighted by column overlap (at most
    // sw * 255 per channel, which needs 64 bits for the widest pictures). Target rows take their
    // source rows in order and neighbours share at most their boundary rows, so only the last
    // summed source row is kept, not the whole picture's sums.
    const size_t rowSums = static_cast<size_t>(width) * 3;
    std::vector<std::uint64_t> horizontal(rowSums);
    int summedRow = -1;
    auto sumRow = [&](int y) {
        if (y == summedRow) {
            return;
        }
        const uchar* src = rgb.constScanLine(y);
        std::uint64_t* out = horizontal.data();
        for (int x = 0; x < width; ++x) {
            const Span& span = columns[static_cast<size_t>(x)];
            const uchar* p = src + static_cast<size_t>(span.first) * 3;
            std::uint64_t r = 0, g = 0, b = 0;
            for (std::uint32_t w : span.weights) {
                r += std::uint64_t(w) * p[0];
                g += std::uint64_t(w) * p[1];
                b += std::uint64_t(w) * p[2];
                p += 3;
            }
            out[0] = r;
            out[1] = g;
            out[2] = b;
            out += 3;
        }
        summedRow = y;
    };

    const std::uint64_t divisor = static_cast<std::uint64_t>(sw) * static_cast<std::uint64_t>(sh);
    std::vector<std::uint64_t> acc(rowSums);
    for (int y = 0; y < height; ++y) {
        const Span& span = rows[static_cast<size_t>(y)];
        std::fill(acc.begin(), acc.end(), 0);
        int sourceRow = span.first;
        for (std::uint32_t w : span.weights) {
            sumRow(sourceRow++);
            for (size_t k = 0; k < rowSums; ++k) {
                acc[k] += static_cast<std::uint64_t>(w) * horizontal[k];
            }
        }
        uchar* dst = target.scanLine(y);
        for (size_t k = 0; k < rowSums; ++k) {
            dst[k] = static_cast<uchar>((acc[k] + divisor / 2) / divisor);
        }
    }
    return target;
}
