#include "BenchSupport.h"

#include <jpeglib.h>

#include <algorithm>
#include <cmath>
#include <memory>

QImage makePage(std::uint32_t seed, int w, int h) {
    std::uint32_t state = seed * 2654435761u + 12345u;
    auto next = [&state] {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return state;
    };
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
                            if ((shape >> cell) & 1) p[gx * 3] = 30, p[gx * 3 + 1] = 30, p[gx * 3 + 2] = 35;
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

namespace {

struct DecompressDeleter {
    void operator()(jpeg_decompress_struct* c) const {
        jpeg_destroy_decompress(c);
        delete c;
    }
};

}  // namespace

QImage referenceDecode(const std::string& path, unsigned scaleDenom) {
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
    if (!file) return {};
    jpeg_error_mgr errors;
    std::unique_ptr<jpeg_decompress_struct, DecompressDeleter> cinfo(new jpeg_decompress_struct);
    cinfo->err = jpeg_std_error(&errors);
    jpeg_create_decompress(cinfo.get());
    jpeg_stdio_src(cinfo.get(), file.get());
    jpeg_read_header(cinfo.get(), TRUE);
    cinfo->scale_num = 1;
    cinfo->scale_denom = scaleDenom;
    cinfo->out_color_space = JCS_RGB;
    jpeg_start_decompress(cinfo.get());
    QImage decoded(int(cinfo->output_width), int(cinfo->output_height), QImage::Format_RGB888);
    while (cinfo->output_scanline < cinfo->output_height) {
        JSAMPROW row = decoded.scanLine(int(cinfo->output_scanline));
        jpeg_read_scanlines(cinfo.get(), &row, 1);
    }
    jpeg_finish_decompress(cinfo.get());
    return decoded;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

double percentile(std::vector<double> values, double share) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const std::size_t index =
        std::min(values.size() - 1, std::size_t(std::ceil(share * double(values.size())) - 1));
    return values[index];
}
