#include "ImageLoader.h"

#include <QBuffer>
#include <QByteArray>
#include <QImageReader>

#include <sys/stat.h>

#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <memory>

// After <cstdio>: the header uses FILE and size_t without including them.
#include <jpeglib.h>

#include "HalftoneStretch.h"
#include "ImageError.h"
#include "ImageLimits.h"
#include "PngReader.h"
#include "service/GbkText.h"

namespace {

// A reduced DCT decode yields 8 x 8 block means; stretched to a thumbnail whose pixels straddle
// blocks, text pages then come out visibly off (about 6 of 255 per channel at 1/8 for a scanned
// page and a 100 x 140 thumbnail). With at least 4 decoded pixels per thumbnail pixel each way the
// error falls to about 2, at a decoding cost still far below the full picture's.
constexpr int kDecodedPerThumbPixel = 4;

enum class PictureKind { None, Jpeg, Gif, Png };

PictureKind kindOf(const std::string& path) {
    const std::string ext = ImageFileExtension(path);
    if (ext == ".JPG") {
        return PictureKind::Jpeg;
    }
    if (ext == ".GIF") {
        return PictureKind::Gif;
    }
    if (ext == ".PNG") {
        return PictureKind::Png;
    }
    return PictureKind::None;
}

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

// Qt's own cap (128 MB by default in Qt 6) would refuse some pictures the limits allow; the limits
// decide, and this cap only backs them up for what a header does not declare (a GIF frame).
constexpr int kReaderAllocationLimitMiB = int(imagelimits::kMaxBufferBytes >> 20);

// Qt decodes JPEG and GIF pictures into 32-bit bitmaps.
constexpr int kDecodedBytesPerPixel = 4;

bool declaredSizeAllowed(const QSize& size) {
    return imagelimits::Allowed(size.width(), size.height(), kDecodedBytesPerPixel);
}

// Pictures with transparency (GIF) are flattened over white, as PNGs are drawn over white.
QImage to24Bit(const QImage& image) {
    if (image.format() == QImage::Format_RGB888) {
        return image;
    }
    if (!image.hasAlphaChannel()) {
        return image.convertToFormat(QImage::Format_RGB888);
    }
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    QImage flat(image.size(), QImage::Format_RGB888);
    if (argb.isNull() || flat.isNull()) {
        return {};
    }
    for (int y = 0; y < flat.height(); ++y) {
        const QRgb* src = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
        uchar* dst = flat.scanLine(y);
        for (int x = 0; x < flat.width(); ++x, dst += 3) {
            const unsigned a = static_cast<unsigned>(qAlpha(src[x]));
            const unsigned white = (255 - a) * 255;
            dst[0] = static_cast<uchar>((a * static_cast<unsigned>(qRed(src[x])) + white) / 255);
            dst[1] = static_cast<uchar>((a * static_cast<unsigned>(qGreen(src[x])) + white) / 255);
            dst[2] = static_cast<uchar>((a * static_cast<unsigned>(qBlue(src[x])) + white) / 255);
        }
    }
    return flat;
}

// Decodes a JPEG held in memory, at a reduced DCT scale when a thumbnail size is given.
// Returns a null image on any failure, with the full picture size in `fullSize` when known.
// libjpeg reports a fatal error by calling error_exit, which must not return: it jumps back to
// the decode, whose frame holds nothing that needs destroying between the jump and its target.
struct JpegErrors {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
};

[[noreturn]] void jumpOnJpegError(j_common_ptr cinfo) {
    std::longjmp(reinterpret_cast<JpegErrors*>(cinfo->err)->jump, 1);
}

void ignoreJpegMessage(j_common_ptr) {}

// The eighths libjpeg scales by: the smallest that keeps enough decoded pixels per thumbnail
// pixel, or 8 (the whole picture) without a thumbnail size.
unsigned jpegScale(const QSize& full, int thumbWidth, int thumbHeight) {
    if (thumbWidth <= 0 || thumbHeight <= 0) return 8;
    for (int m = 1; m < 8; ++m) {
        if (full.width() * m / 8 >= kDecodedPerThumbPixel * thumbWidth &&
            full.height() * m / 8 >= kDecodedPerThumbPixel * thumbHeight)
            return static_cast<unsigned>(m);
    }
    return 8;
}

// libjpeg-turbo straight into a 24-bit picture: no 32-bit intermediate, no conversion pass, no
// second scaling to a size libjpeg does not produce itself. Null when the stream is not one this
// path decodes (CMYK pictures go through Qt, which converts them); `handled` says which.
QImage decodeJpegDirect(const QByteArray& data, QSize& fullSize, int thumbWidth, int thumbHeight,
                        bool& handled) {
    handled = true;
    jpeg_decompress_struct cinfo{};
    JpegErrors errors{};
    cinfo.err = jpeg_std_error(&errors.manager);
    errors.manager.error_exit = jumpOnJpegError;
    errors.manager.output_message = ignoreJpegMessage;
    // Set before the jump target: after a jump only this survives, and it is what is returned.
    QImage* volatile result = nullptr;
    if (setjmp(errors.jump) != 0) {
        jpeg_destroy_decompress(&cinfo);
        delete result;
        return {};
    }
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, reinterpret_cast<const unsigned char*>(data.constData()),
                 static_cast<unsigned long>(data.size()));
    if (jpeg_read_header(&cinfo, TRUE) != JPEG_HEADER_OK) {
        jpeg_destroy_decompress(&cinfo);
        return {};
    }
    if (cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK) {
        jpeg_destroy_decompress(&cinfo);
        handled = false;
        return {};
    }
    fullSize = QSize(static_cast<int>(cinfo.image_width), static_cast<int>(cinfo.image_height));
    if (fullSize.isEmpty() || !declaredSizeAllowed(fullSize)) {
        jpeg_destroy_decompress(&cinfo);
        return {};
    }
    cinfo.scale_num = jpegScale(fullSize, thumbWidth, thumbHeight);
    cinfo.scale_denom = 8;
    cinfo.out_color_space = JCS_RGB;
    jpeg_start_decompress(&cinfo);
    result = new QImage(static_cast<int>(cinfo.output_width), static_cast<int>(cinfo.output_height),
                        QImage::Format_RGB888);
    if (result->isNull()) longjmp(errors.jump, 1);
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW row = result->scanLine(static_cast<int>(cinfo.output_scanline));
        jpeg_read_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    QImage image = std::move(*result);
    delete result;
    return image;
}

QImage decodeJpeg(const QByteArray& data, QSize& fullSize, int thumbWidth = 0, int thumbHeight = 0) {
    bool handled = false;
    QImage direct = decodeJpegDirect(data, fullSize, thumbWidth, thumbHeight, handled);
    if (handled) return direct;
    QBuffer buffer;
    buffer.setData(data);
    if (!buffer.open(QIODevice::ReadOnly)) {
        return {};
    }
    QImageReader reader(&buffer, "jpg");
    reader.setAutoTransform(false);
    reader.setAllocationLimit(kReaderAllocationLimitMiB);
    fullSize = reader.size();
    if (!fullSize.isValid() || fullSize.isEmpty() || !declaredSizeAllowed(fullSize)) {
        return {};
    }
    if (thumbWidth > 0 && thumbHeight > 0) {
        // libjpeg scales by M/8. Qt picks M as ceil(8 / ratio) from the requested size, so ask for
        // the rounded-down M/8 size: a rounded-up one would tip Qt into the next, larger M.
        for (int m = 1; m < 8; ++m) {
            const QSize reduced(fullSize.width() * m / 8, fullSize.height() * m / 8);
            if (reduced.width() >= kDecodedPerThumbPixel * thumbWidth &&
                reduced.height() >= kDecodedPerThumbPixel * thumbHeight) {
                reader.setScaledSize(reduced);
                break;
            }
        }
    }
    QImage image;
    if (!reader.read(&image)) {
        return {};
    }
    return to24Bit(image);
}

QImage decodeGif(const std::string& path) {
    QByteArray data;
    if (!ReadImageFile(path, data)) {
        throw ImageError("Cannot open GIF file " + gbk::pathToUtf8(path));
    }
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "gif");
    reader.setAllocationLimit(kReaderAllocationLimitMiB);
    // The logical screen size is what the decoder allocates; refuse a hostile one up front.
    const QSize declared = reader.size();
    if (declared.isValid() && !declaredSizeAllowed(declared)) {
        throw ImageError("Cannot decode GIF file " + gbk::pathToUtf8(path));
    }
    QImage frame;
    if (!reader.read(&frame)) {
        throw ImageError("Cannot decode GIF file " + gbk::pathToUtf8(path));
    }
    QImage image = to24Bit(frame);
    if (image.isNull()) {
        throw ImageError("Cannot decode GIF file " + gbk::pathToUtf8(path));
    }
    return image;
}

QImage decodePng(const std::string& path) {
    const DecodedPng picture = ReadPngFile(path);
    // A 16-bit canvas keeps the 2-byte pixels exactly as decoded; the others are drawn over white.
    const QImage::Format format = picture.bytesPerPixel == 2 ? QImage::Format_RGB555 : QImage::Format_RGB888;
    QImage canvas(picture.width, picture.height, format);
    if (picture.width > 0 && picture.height > 0) {
        if (canvas.isNull()) {
            throw ImageError("Error Reading File!");
        }
        canvas.fill(Qt::white);
        DrawPngImage(canvas, 0, 0, picture);
    }
    return canvas;
}

QImage reportSize(QImage image, int& width, int& height) {
    if (!image.isNull()) {
        width = image.width();
        height = image.height();
    }
    return image;
}

}  // namespace

// Qt's readers take a QString file name, which cannot carry GBK bytes; read the bytes ourselves.
bool ReadImageFile(const std::string& path, QByteArray& data) {
    data.clear();
    if (path.find('\0') != std::string::npos) {
        return false;
    }
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rbe"));
    struct stat info {};
    if (!file || ::fstat(::fileno(file.get()), &info) != 0 || info.st_size > imagelimits::kMaxFileBytes) {
        return false;
    }
    // A file read whole in one allocation; one that grows while it is read still meets the cap.
    data.reserve(static_cast<qsizetype>(info.st_size) + 1);
    char chunk[65536];
    size_t n = 0;
    while ((n = std::fread(chunk, 1, sizeof chunk, file.get())) > 0) {
        if (data.size() + static_cast<qsizetype>(n) > imagelimits::kMaxFileBytes) {
            data.clear();
            return false;
        }
        data.append(chunk, static_cast<qsizetype>(n));
    }
    return std::ferror(file.get()) == 0;
}

bool ImageRefusedBySize(const std::string& path) {
    if (path.find('\0') != std::string::npos) {
        return false;
    }
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rbe"));
    struct stat info {};
    if (!file || ::fstat(::fileno(file.get()), &info) != 0) {
        return false;
    }
    if (info.st_size > imagelimits::kMaxFileBytes) {
        return true;
    }
    // The declared size sits in the first bytes (JPEG frame headers may follow some metadata).
    QByteArray head(256 * 1024, Qt::Uninitialized);
    head.resize(
        static_cast<qsizetype>(std::fread(head.data(), 1, static_cast<size_t>(head.size()), file.get())));
    QSize declared;
    if (kindOf(path) == PictureKind::Png) {
        // The signature, then the IHDR chunk with the width and height.
        if (head.size() >= 24 && head.startsWith("\x89PNG") && head.mid(12, 4) == "IHDR") {
            const auto be32 = [&head](int at) {
                return (std::int64_t(uchar(head[at])) << 24) | (uchar(head[at + 1]) << 16) |
                       (uchar(head[at + 2]) << 8) | uchar(head[at + 3]);
            };
            return !imagelimits::Allowed(be32(16), be32(20), 1) && be32(16) > 0 && be32(20) > 0;
        }
        return false;
    }
    QBuffer buffer(&head);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    declared = reader.size();
    return declared.isValid() && !declared.isEmpty() && !declaredSizeAllowed(declared);
}

std::string ImageFileExtension(const std::string& path) {
    const size_t dot = path.rfind('.');
    const size_t slash = path.rfind('/');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) {
        return {};
    }
    size_t begin = dot;
    size_t end = path.size();
    while (end > begin && static_cast<unsigned char>(path[end - 1]) <= ' ') {
        --end;
    }
    std::string ext = path.substr(begin, end - begin);
    for (char& c : ext) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return ext;
}

QImage LoadImageFile(const std::string& path, int& width, int& height) {
    switch (kindOf(path)) {
        case PictureKind::Jpeg:
            return LoadJpegFile(path, width, height);
        case PictureKind::Gif:
            return LoadGifFile(path, width, height);
        case PictureKind::Png:
            return LoadPngFile(path, width, height);
        case PictureKind::None:
            break;
    }
    return {};
}

QImage LoadJpegFile(const std::string& path, int& width, int& height) {
    try {
        QByteArray data;
        if (!ReadImageFile(path, data)) {
            return {};
        }
        QSize fullSize;
        return reportSize(decodeJpeg(data, fullSize), width, height);
    } catch (const std::exception&) {
        return {};
    }
}

QImage LoadGifFile(const std::string& path, int& width, int& height) {
    return reportSize(decodeGif(path), width, height);
}

QImage LoadPngFile(const std::string& path, int& width, int& height) {
    QImage canvas = decodePng(path);
    width = canvas.width();
    height = canvas.height();
    return canvas;
}

QImage LoadImageThumbnail(const std::string& path, int thumbWidth, int thumbHeight, int& srcWidth,
                          int& srcHeight) {
    QImage picture;
    QSize size;
    switch (kindOf(path)) {
        case PictureKind::Jpeg:
            try {
                QByteArray data;
                if (ReadImageFile(path, data)) {
                    picture = decodeJpeg(data, size, thumbWidth, thumbHeight);
                }
            } catch (const std::exception&) {
                picture = QImage();
            }
            break;
        case PictureKind::Gif:
            picture = decodeGif(path);
            size = picture.size();
            break;
        case PictureKind::Png:
            picture = decodePng(path);
            size = picture.size();
            break;
        case PictureKind::None:
            break;
    }
    QImage thumbnail = HalftoneStretch(picture, thumbWidth, thumbHeight);
    if (!thumbnail.isNull()) {
        srcWidth = size.width();
        srcHeight = size.height();
    }
    return thumbnail;
}
