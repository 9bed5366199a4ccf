#include "PngReader.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <memory>

#include "ImageError.h"
#include "ImageLimits.h"
#include "service/GbkText.h"

namespace {

// A corrupt or hostile file may declare a picture of tens of gigabytes; refuse it before the
// buffer is allocated rather than let the load exhaust memory. A scanned page needs about 16 MiB.
constexpr size_t kMaxPixelBytes = size_t(imagelimits::kMaxBufferBytes);

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

// Owns the read structure and, once created, its info structure; both go in one call.
struct PngReadDeleter {
    png_infop info = nullptr;
    void operator()(png_structp png) const {
        png_infop i = info;
        png_destroy_read_struct(&png, i ? &i : nullptr, nullptr);
    }
};
using PngReadPtr = std::unique_ptr<png_struct, PngReadDeleter>;

// libpng reports through longjmp; no message goes to the terminal, the caller raises its own.
[[noreturn]] void onPngError(png_structp png, png_const_charp) {
    png_longjmp(png, 1);
}
void onPngWarning(png_structp, png_const_charp) {}

struct TransformedHeader {
    png_uint_32 width = 0;
    png_uint_32 height = 0;
    int bitDepth = 0;
    int colorType = 0;
    size_t rowBytes = 0;
};

// The two functions below hold the only setjmp points. They keep no objects with destructors,
// so a longjmp out of libpng skips nothing that needs cleaning up.
bool readHeaderWithTransforms(png_structp png, png_infop info, std::FILE* file, TransformedHeader& out) {
    if (setjmp(png_jmpbuf(png))) {
        return false;
    }
    png_init_io(png, file);
    png_set_read_status_fn(png, nullptr);
    png_read_info(png, info);

    png_uint_32 width = 0, height = 0;
    int bitDepth = 0, colorType = 0;
    png_get_IHDR(png, info, &width, &height, &bitDepth, &colorType, nullptr, nullptr, nullptr);
    // Refused on the declared size alone, before any transformation or buffer: the smallest
    // decoded layout is 2 bytes per pixel.
    if (!imagelimits::Allowed(width, height, 2)) {
        return false;
    }

    const bool hasTransparencyChunk = png_get_valid(png, info, PNG_INFO_tRNS) == PNG_INFO_tRNS;
    png_set_invert_alpha(png);
    if (colorType == PNG_COLOR_TYPE_PALETTE && bitDepth <= 8) {
        png_set_expand(png);
    }
    if (colorType == PNG_COLOR_TYPE_GRAY && bitDepth < 8) {
        png_set_expand(png);
    }
    if (hasTransparencyChunk) {
        png_set_expand(png);
    }
    if (bitDepth < 8) {
        png_set_packing(png);
    }
    if (bitDepth == 16) {
        png_set_swap(png);
    }
    // The drawing step knows 3 and 4 bytes per pixel (and 2 as raw 16-bit pixels). Opaque grey
    // would come as 1 byte and 16-bit channels as 4, 6 or 8 bytes, where 4 would be misread as
    // colour with transparency: have those delivered as 8-bit RGB or RGBA instead.
    const bool grey = (colorType & PNG_COLOR_MASK_COLOR) == 0;
    if (bitDepth == 16) {
        png_set_scale_16(png);
        if (grey) {
            png_set_gray_to_rgb(png);
        }
    } else if (colorType == PNG_COLOR_TYPE_GRAY && !hasTransparencyChunk) {
        png_set_gray_to_rgb(png);
    }
    png_set_interlace_handling(png);

    png_read_update_info(png, info);
    png_get_IHDR(png, info, &out.width, &out.height, &out.bitDepth, &out.colorType, nullptr, nullptr,
                 nullptr);
    out.rowBytes = png_get_rowbytes(png, info);
    return true;
}

bool readRows(png_structp png, png_bytepp rows) {
    if (setjmp(png_jmpbuf(png))) {
        return false;
    }
    png_read_image(png, rows);
    return true;
}

[[noreturn]] void failReading() {
    throw ImageError("Error Reading File!");
}

// Plain copy of `work` onto `canvas` at left, top, clipped to the canvas; both share a format
// whose pixels are whole bytes.
void copyOnto(QImage& canvas, int left, int top, const QImage& work) {
    const int bytes = canvas.depth() / 8;
    const int x0 = std::max(0, left);
    const int y0 = std::max(0, top);
    const int x1 = std::min(canvas.width(), left + work.width());
    const int y1 = std::min(canvas.height(), top + work.height());
    if (x0 >= x1 || y0 >= y1) {
        return;
    }
    for (int y = y0; y < y1; ++y) {
        std::memcpy(canvas.scanLine(y) + static_cast<size_t>(x0) * bytes,
                    work.constScanLine(y - top) + static_cast<size_t>(x0 - left) * bytes,
                    static_cast<size_t>(x1 - x0) * bytes);
    }
}

}  // namespace

DecodedPng ReadPngFile(const std::string& path) {
    FilePtr file;
    if (path.find('\0') == std::string::npos) {
        file.reset(std::fopen(path.c_str(), "rbe"));
    }
    if (!file) {
        throw ImageError("Error Opening File " + gbk::pathToUtf8(path) + "!");
    }

    DecodedPng picture;
    PngReadPtr png(png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, onPngError, onPngWarning));
    if (!png) {
        return picture;
    }
    png.get_deleter().info = png_create_info_struct(png.get());
    if (!png.get_deleter().info) {
        failReading();
    }

    TransformedHeader header;
    if (!readHeaderWithTransforms(png.get(), png.get_deleter().info, file.get(), header)) {
        failReading();
    }
    if (header.width == 0 || header.height == 0) {
        failReading();
    }
    const size_t bytesPerPixel = header.rowBytes / header.width;
    const size_t rowBytes = static_cast<size_t>(header.width) * bytesPerPixel;
    if (bytesPerPixel == 0 || rowBytes > kMaxPixelBytes / header.height) {
        failReading();
    }
    // libpng writes whole transformed rows; the rows are packed at width x bytesPerPixel, so a
    // row size that is not a whole number of pixels would overrun the next row.
    if (rowBytes != header.rowBytes) {
        failReading();
    }

    picture.width = static_cast<int>(header.width);
    picture.height = static_cast<int>(header.height);
    picture.bitDepth = header.bitDepth;
    picture.colorType = header.colorType;
    picture.bytesPerPixel = static_cast<int>(bytesPerPixel);
    try {
        picture.pixels.resize(rowBytes * header.height);
        picture.rows.resize(header.height);
    } catch (const std::bad_alloc&) {
        failReading();
    }
    for (size_t i = 0; i < header.height; ++i) {
        picture.rows[i] = picture.pixels.data() + i * rowBytes;
    }
    if (!readRows(png.get(), picture.rows.data())) {
        failReading();
    }
    return picture;
}

void DrawPngImage(QImage& canvas, int left, int top, const DecodedPng& picture) {
    const int bpp = picture.bytesPerPixel;
    if (canvas.isNull() || picture.width <= 0 || picture.height <= 0 || (bpp < 2 || bpp > 4)) {
        return;
    }
    if (canvas.depth() < 8 || canvas.format() == QImage::Format_Indexed8 ||
        canvas.format() == QImage::Format_Alpha8 || canvas.format() == QImage::Format_Grayscale8) {
        canvas = canvas.convertToFormat(QImage::Format_RGB888);
    }

    const QImage::Format workFormat = bpp == 2 ? QImage::Format_RGB555 : QImage::Format_RGB888;
    QImage work = canvas.copy(left, top, picture.width, picture.height).convertToFormat(workFormat);
    if (work.isNull()) {
        return;
    }

    for (int y = 0; y < picture.height; ++y) {
        const unsigned char* src = picture.rows[static_cast<size_t>(y)];
        uchar* dst = work.scanLine(y);
        if (bpp == 2) {
            std::memcpy(dst, src, static_cast<size_t>(picture.width) * 2);
            continue;
        }
        for (int x = 0; x < picture.width; ++x, src += bpp, dst += 3) {
            const unsigned t = bpp == 4 ? src[3] : 0;
            if (t == 0) {
                dst[0] = src[0];
                dst[1] = src[1];
                dst[2] = src[2];
            } else if (t != 255) {
                for (int c = 0; c < 3; ++c) {
                    dst[c] = static_cast<uchar>((t * dst[c] + (255 - t) * src[c]) / 255);
                }
            }
        }
    }

    copyOnto(canvas, left, top,
             work.format() == canvas.format() ? work : work.convertToFormat(canvas.format()));
}
