#include <png.h>

#include <QBuffer>
#include <QDir>
#include <QImage>
#include <QList>
#include <QTemporaryDir>
#include <QTest>

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

// After <cstdio>: the header uses FILE and size_t without including them.
#include <jpeglib.h>

#include "DataRows.h"
#include "catalogue/HalftoneStretch.h"
#include "catalogue/ImageError.h"
#include "catalogue/ImageLoader.h"
#include "catalogue/PngReader.h"
#include "service/GbkText.h"

// A PNG as written: packed rows in file order (16-bit samples big-endian).
struct PngSpec {
    int width = 1;
    int height = 1;
    int colorType = PNG_COLOR_TYPE_RGB;
    int bitDepth = 8;
    QByteArray rows;
    QByteArray palette;       // RGB triples
    QByteArray transparency;  // tRNS chunk body as libpng takes it
    bool interlaced = false;
    bool headerOnly = false;
};

Q_DECLARE_METATYPE(PngSpec)
Q_DECLARE_METATYPE(QList<QRgb>)

namespace {

bool writeBytes(const std::string& path, const QByteArray& data) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) {
        return false;
    }
    const bool ok = std::fwrite(data.constData(), 1, size_t(data.size()), f) == size_t(data.size());
    return std::fclose(f) == 0 && ok;
}

bool writePngWithLibpng(std::FILE* f, const PngSpec& spec) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_init_io(png, f);
    png_set_IHDR(png, info, png_uint_32(spec.width), png_uint_32(spec.height), spec.bitDepth, spec.colorType,
                 spec.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    if (!spec.palette.isEmpty()) {
        png_set_PLTE(png, info, reinterpret_cast<png_const_colorp>(spec.palette.constData()),
                     int(spec.palette.size() / 3));
    }
    if (!spec.transparency.isEmpty()) {
        if (spec.colorType == PNG_COLOR_TYPE_PALETTE) {
            png_set_tRNS(png, info, reinterpret_cast<png_const_bytep>(spec.transparency.constData()),
                         int(spec.transparency.size()), nullptr);
        } else {
            const auto* v = reinterpret_cast<const unsigned char*>(spec.transparency.constData());
            png_color_16 key{};
            key.red = png_uint_16(v[0] << 8 | v[1]);
            key.green = png_uint_16(v[2] << 8 | v[3]);
            key.blue = png_uint_16(v[4] << 8 | v[5]);
            key.gray = key.red;
            png_set_tRNS(png, info, nullptr, 0, &key);
        }
    }
    png_write_info(png, info);
    if (!spec.headerOnly) {
        const qsizetype rowBytes = spec.rows.size() / spec.height;
        QList<png_bytep> rows;
        for (int y = 0; y < spec.height; ++y) {
            rows << reinterpret_cast<png_bytep>(const_cast<char*>(spec.rows.constData()) + y * rowBytes);
        }
        png_write_image(png, rows.data());
        png_write_end(png, nullptr);
    }
    png_destroy_write_struct(&png, &info);
    return true;
}

bool writePng(const std::string& path, const PngSpec& spec) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) {
        return false;
    }
    const bool ok = writePngWithLibpng(f, spec);
    return std::fclose(f) == 0 && ok;
}

QByteArray fileBytes(const std::string& path) {
    QFile file(QString::fromStdString(path));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A print shop's JPEG: four CMYK channels, every pixel the same ink (Adobe's inverted values).
QByteArray cmykJpegBytes(int width, int height, const unsigned char ink[4]) {
    jpeg_compress_struct cinfo{};
    jpeg_error_mgr errors{};
    cinfo.err = jpeg_std_error(&errors);
    jpeg_create_compress(&cinfo);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = static_cast<JDIMENSION>(width);
    cinfo.image_height = static_cast<JDIMENSION>(height);
    cinfo.input_components = 4;
    cinfo.in_color_space = JCS_CMYK;
    jpeg_set_defaults(&cinfo);
    jpeg_start_compress(&cinfo, TRUE);
    std::vector<unsigned char> row(static_cast<size_t>(width) * 4);
    for (size_t i = 0; i < row.size(); ++i) row[i] = ink[i % 4];
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW line = row.data();
        jpeg_write_scanlines(&cinfo, &line, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    QByteArray bytes(reinterpret_cast<const char*>(buffer), static_cast<qsizetype>(size));
    std::free(buffer);
    return bytes;
}

QByteArray jpegBytes(const QImage& image) {
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPG", 92);
    return data;
}

QImage solid(int width, int height, QRgb colour) {
    QImage image(width, height, QImage::Format_RGB888);
    image.fill(colour);
    return image;
}

// A page-like picture: a colour gradient in the top third, then lines of glyph-sized marks of
// varying width on white, where a careless reduction shows.
QImage pagePicture(int width, int height) {
    QImage image(width, height, QImage::Format_RGB888);
    image.fill(Qt::white);
    quint32 random = 1;
    for (int y = 0; y < height; ++y) {
        uchar* p = image.scanLine(y);
        const bool textRow = y > height / 3 && y % 39 < 23;
        int mark = 0;
        bool ink = false;
        for (int x = 0; x < width; ++x, p += 3) {
            if (y < height / 3) {
                p[0] = uchar(255 * x / width), p[1] = uchar(120 + 300 * y / height), p[2] = 200;
                continue;
            }
            if (--mark <= 0) {
                random = random * 1103515245u + 12345u;
                mark = 4 + int(random >> 28);
                ink = !ink;
            }
            if (textRow && ink) p[0] = p[1] = p[2] = 30;
        }
    }
    return image;
}

// GIF89a with a 4-colour table (white, red, blue, green) and one full-screen frame per index.
// Every pixel code follows a clear code, so all codes stay 3 bits wide.
QByteArray gifWithFrames(int width, int height, const QList<int>& frameColours) {
    auto le16 = [](int v) {
        QByteArray bytes;
        bytes.append(char(v & 0xFF)).append(char(v >> 8));
        return bytes;
    };
    QByteArray gif("GIF89a");
    gif += le16(width) + le16(height);
    gif += QByteArray("\x91\x00\x00", 3);
    gif += QByteArray("\xFF\xFF\xFF\xFF\x00\x00\x00\x00\xFF\x00\xFF\x00", 12);
    for (int colour : frameColours) {
        gif += QByteArray("\x21\xF9\x04\x00\x0A\x00\x00\x00", 8);
        gif += QByteArray(1, '\x2C') + le16(0) + le16(0) + le16(width) + le16(height) + QByteArray(1, '\0');
        QByteArray lzw;
        quint32 bits = 0;
        int count = 0;
        auto put = [&](int code) {
            bits |= quint32(code) << count;
            count += 3;
            while (count >= 8) {
                lzw += char(bits & 0xFF);
                bits >>= 8;
                count -= 8;
            }
        };
        for (int i = 0; i < width * height; ++i) {
            put(4);
            put(colour);
        }
        put(5);
        if (count > 0) {
            lzw += char(bits & 0xFF);
        }
        gif += QByteArray(1, '\x02');
        for (qsizetype at = 0; at < lzw.size(); at += 255) {
            const QByteArray block = lzw.mid(at, 255);
            gif += char(block.size()) + block;
        }
        gif += QByteArray(1, '\0');
    }
    gif += ';';
    return gif;
}

QList<QRgb> pixelsOf(const QImage& image) {
    QList<QRgb> pixels;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            pixels << (image.pixel(x, y) | 0xFF000000u);
        }
    }
    return pixels;
}

int openDescriptors() {
    return int(
        QDir("/proc/self/fd").entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot).size());
}

double meanChannelDifference(const QImage& a, const QImage& b) {
    double sum = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width() * 3; ++x) {
            sum += std::abs(int(a.constScanLine(y)[x]) - int(b.constScanLine(y)[x]));
        }
    }
    return sum / (double(a.width()) * a.height() * 3);
}

// Composition over white with transparency T = 255 - alpha, as the loader draws it.
int overWhite(int alpha, int c) {
    return ((255 - alpha) * 255 + alpha * c) / 255;
}

}  // namespace

class TestImageLoader : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    std::string at(const char* name) const { return dir_.path().toStdString() + "/" + name; }

private slots:
    void initTestCase() { QVERIFY(dir_.isValid()); }

    void extensionChoosesTheDecoder_data() {
        addColumns<QByteArray, QByteArray, bool>({"name", "content", "decoded"});

        const QByteArray jpeg = jpegBytes(solid(8, 6, qRgb(200, 30, 30)));
        QByteArray png;
        {
            PngSpec spec;
            spec.width = 8;
            spec.height = 6;
            spec.rows = QByteArray(8 * 6 * 3, '\x40');
            QVERIFY(writePng(at("source.png"), spec));
            png = fileBytes(at("source.png"));
        }
        const QByteArray gif = gifWithFrames(8, 6, {1});

        addRow("lower case jpg", QByteArray("a.jpg"), jpeg, true);
        addRow("mixed case Jpg", QByteArray("b.Jpg"), jpeg, true);
        addRow("jpg then a blank", QByteArray("c.jpg "), jpeg, true);
        addRow("JPG then a tab", QByteArray("d.JPG\t"), jpeg, true);
        addRow("GBK file name", QByteArray("\xD2\xB3\xC3\xE6.jpg"), jpeg, true);
        addRow("PNG upper case with blank", QByteArray("e.PNG "), png, true);
        addRow("Gif mixed case", QByteArray("f.Gif"), gif, true);
        addRow("jpeg is not jpg", QByteArray("g.jpeg"), jpeg, false);
        addRow("no dot", QByteArray("hjpg"), jpeg, false);
        addRow("dot only in a folder name", QByteArray("book.jpg/page"), jpeg, false);
        addRow("blank inside the extension", QByteArray("i.j pg"), jpeg, false);
        addRow("other extension", QByteArray("j.bmp"), jpeg, false);
    }
    void extensionChoosesTheDecoder() {
        QFETCH(QByteArray, name);
        QFETCH(QByteArray, content);
        QFETCH(bool, decoded);

        const std::string path = at(name.constData());
        const auto slash = name.indexOf('/');
        if (slash >= 0) {
            QVERIFY(QDir(dir_.path()).mkpath(QString::fromLatin1(name.left(slash))));
        }
        QVERIFY(writeBytes(path, content));

        int width = -7, height = -7;
        const QImage image = LoadImageFile(path, width, height);
        // QTemporaryDir cannot remove a name that is not UTF-8.
        std::remove(path.c_str());
        QCOMPARE(!image.isNull(), decoded);
        QCOMPARE(width, decoded ? 8 : -7);
        QCOMPARE(height, decoded ? 6 : -7);
    }

    void jpegDecodesTo24BitsAtFullSize_data() {
        addColumns<QImage, QRgb>({"picture", "colour"});
        addRow("colour", solid(40, 30, qRgb(200, 120, 40)), qRgb(200, 120, 40));
        addRow("grey", solid(40, 30, qRgb(90, 90, 90)).convertToFormat(QImage::Format_Grayscale8),
               qRgb(90, 90, 90));
        // No ink at all is white; the picture takes the other decoder.
        addRow("CMYK", QImage(), qRgb(255, 255, 255));
    }
    void jpegDecodesTo24BitsAtFullSize() {
        QFETCH(QImage, picture);
        QFETCH(QRgb, colour);
        const std::string path = at("full.jpg");
        const unsigned char noInk[4] = {255, 255, 255, 255};
        QVERIFY(writeBytes(path, picture.isNull() ? cmykJpegBytes(40, 30, noInk) : jpegBytes(picture)));

        int width = 0, height = 0;
        const QImage image = LoadImageFile(path, width, height);
        QCOMPARE(image.format(), QImage::Format_RGB888);
        QCOMPARE(QSize(width, height), QSize(40, 30));
        QCOMPARE(image.size(), QSize(40, 30));
        const QRgb got = image.pixel(20, 15);
        QVERIFY2(std::abs(qRed(got) - qRed(colour)) <= 3 && std::abs(qGreen(got) - qGreen(colour)) <= 3 &&
                     std::abs(qBlue(got) - qBlue(colour)) <= 3,
                 qPrintable(QString::number(got, 16)));
    }

    void jpegFailuresGiveNoBitmap_data() {
        addColumns<QByteArray, bool>({"content", "exists"});
        addRow("missing file", QByteArray(), false);
        addRow("empty file", QByteArray(), true);
        addRow("not a JPEG", QByteArray("GIF89a and so on"), true);
        addRow("cut inside the header", jpegBytes(solid(8, 8, qRgb(1, 2, 3))).left(40), true);
    }
    void jpegFailuresGiveNoBitmap() {
        QFETCH(QByteArray, content);
        QFETCH(bool, exists);
        const std::string path = at(exists ? "bad.jpg" : "missing.jpg");
        if (exists) {
            QVERIFY(writeBytes(path, content));
        }
        int width = -7, height = -7;
        QVERIFY(LoadImageFile(path, width, height).isNull());
        QCOMPARE(width, -7);
        QCOMPARE(height, -7);
        int srcWidth = -7, srcHeight = -7;
        QVERIFY(LoadImageThumbnail(path, 100, 140, srcWidth, srcHeight).isNull());
        QCOMPARE(srcWidth, -7);
        QCOMPARE(srcHeight, -7);
    }

    void pngPixelsAfterTheTransformations_data() {
        addColumns<PngSpec, QList<QRgb>>({"spec", "expected"});

        auto add = [](const char* name, int w, int h, int type, int depth, QByteArray rows,
                      QList<QRgb> expected, QByteArray palette = {}, QByteArray trns = {},
                      bool interlaced = false) {
            PngSpec s;
            s.width = w;
            s.height = h;
            s.colorType = type;
            s.bitDepth = depth;
            s.rows = rows;
            s.palette = palette;
            s.transparency = trns;
            s.interlaced = interlaced;
            addRow(name, s, expected);
        };
        const QByteArray palette("\x10\x20\x30\xF0\x80\x00\x00\x00\xFF\x55\x66\x77", 12);

        add("24-bit is pixel-exact", 3, 2, PNG_COLOR_TYPE_RGB, 8,
            QByteArray("\x01\x02\x03\xFF\x00\x80\x7F\x7E\x7D\x00\x00\x00\xFF\xFF\xFF\x12\x34\x56", 18),
            {qRgb(1, 2, 3), qRgb(255, 0, 128), qRgb(127, 126, 125), qRgb(0, 0, 0), qRgb(255, 255, 255),
             qRgb(0x12, 0x34, 0x56)});
        add("8-bit palette expanded", 4, 1, PNG_COLOR_TYPE_PALETTE, 8, QByteArray("\x00\x01\x02\x03", 4),
            {qRgb(0x10, 0x20, 0x30), qRgb(0xF0, 0x80, 0), qRgb(0, 0, 0xFF), qRgb(0x55, 0x66, 0x77)}, palette);
        add("2-bit palette unpacked", 4, 1, PNG_COLOR_TYPE_PALETTE, 2, QByteArray("\x1B", 1),
            {qRgb(0x10, 0x20, 0x30), qRgb(0xF0, 0x80, 0), qRgb(0, 0, 0xFF), qRgb(0x55, 0x66, 0x77)}, palette);
        add("palette transparency drawn over white", 3, 1, PNG_COLOR_TYPE_PALETTE, 8,
            QByteArray("\x00\x01\x02", 3),
            {qRgb(255, 255, 255), qRgb(0xF0, 0x80, 0), qRgb(overWhite(128, 0), overWhite(128, 0), 255)},
            palette, QByteArray("\x00\xFF\x80", 3));
        add("RGBA alpha 255, 0 and 128", 3, 1, PNG_COLOR_TYPE_RGBA, 8,
            QByteArray("\x0A\x64\xC8\xFF\x0A\x64\xC8\x00\x0A\x64\xC8\x80", 12),
            {qRgb(10, 100, 200), qRgb(255, 255, 255), qRgb(132, 177, 227)});
        add("RGB colour key drawn over white", 2, 1, PNG_COLOR_TYPE_RGB, 8,
            QByteArray("\x01\x02\x03\x04\x05\x06", 6), {qRgb(255, 255, 255), qRgb(4, 5, 6)}, {},
            QByteArray("\x00\x01\x00\x02\x00\x03", 6));
        add("1-bit grey expanded", 3, 1, PNG_COLOR_TYPE_GRAY, 1, QByteArray("\x40", 1),
            {qRgb(0, 0, 0), qRgb(255, 255, 255), qRgb(0, 0, 0)});
        add("8-bit grey shown as grey", 2, 1, PNG_COLOR_TYPE_GRAY, 8, QByteArray("\x00\x9C", 2),
            {qRgb(0, 0, 0), qRgb(0x9C, 0x9C, 0x9C)});
        add("16-bit grey shown as grey", 2, 1, PNG_COLOR_TYPE_GRAY, 16, QByteArray("\xFF\xFF\x80\x80", 4),
            {qRgb(255, 255, 255), qRgb(128, 128, 128)});
        add("16-bit RGB reduced to 8 bits", 1, 1, PNG_COLOR_TYPE_RGB, 16,
            QByteArray("\xFF\xFF\x00\x00\x80\x80", 6), {qRgb(255, 0, 128)});
        add("16-bit RGBA reduced and drawn over white", 2, 1, PNG_COLOR_TYPE_RGBA, 16,
            QByteArray("\x00\x00\x00\x00\x00\x00\xFF\xFF\x00\x00\x00\x00\x00\x00\x80\x80", 16),
            {qRgb(0, 0, 0), qRgb(overWhite(128, 0), overWhite(128, 0), overWhite(128, 0))});
        add("16-bit grey and alpha drawn over white", 2, 1, PNG_COLOR_TYPE_GRAY_ALPHA, 16,
            QByteArray("\x80\x80\xFF\xFF\x00\x00\x00\x00", 8), {qRgb(128, 128, 128), qRgb(255, 255, 255)});
        add("interlaced rows in place", 3, 3, PNG_COLOR_TYPE_RGB, 8,
            QByteArray("\x01\x01\x01\x02\x02\x02\x03\x03\x03\x04\x04\x04\x05\x05\x05\x06\x06\x06"
                       "\x07\x07\x07\x08\x08\x08\x09\x09\x09",
                       27),
            {qRgb(1, 1, 1), qRgb(2, 2, 2), qRgb(3, 3, 3), qRgb(4, 4, 4), qRgb(5, 5, 5), qRgb(6, 6, 6),
             qRgb(7, 7, 7), qRgb(8, 8, 8), qRgb(9, 9, 9)},
            {}, {}, true);
    }
    void pngPixelsAfterTheTransformations() {
        QFETCH(PngSpec, spec);
        QFETCH(QList<QRgb>, expected);
        const std::string path = at("picture.png");
        QVERIFY(writePng(path, spec));

        int width = 0, height = 0;
        const QImage image = LoadImageFile(path, width, height);
        QCOMPARE(image.format(), QImage::Format_RGB888);
        QCOMPARE(QSize(width, height), QSize(spec.width, spec.height));
        QCOMPARE(pixelsOf(image), expected);
    }

    void pngGreyAndAlphaCopiedInto16Bits() {
        PngSpec spec;
        spec.width = 3;
        spec.colorType = PNG_COLOR_TYPE_GRAY_ALPHA;
        spec.rows = QByteArray("\x12\xFF\x34\x80\x56\x00", 6);
        const std::string path = at("grey-alpha.png");
        QVERIFY(writePng(path, spec));

        int width = 0, height = 0;
        const QImage image = LoadImageFile(path, width, height);
        QCOMPARE(image.depth(), 16);
        QCOMPARE(QSize(width, height), QSize(3, 1));
        // Grey, then the inverted transparency, byte for byte.
        QCOMPARE(QByteArray(reinterpret_cast<const char*>(image.constScanLine(0)), 6),
                 QByteArray("\x12\x00\x34\x7F\x56\xFF", 6));

        const DecodedPng decoded = ReadPngFile(path);
        QCOMPARE(decoded.bytesPerPixel, 2);
        QCOMPARE(decoded.colorType, PNG_COLOR_TYPE_GRAY_ALPHA);
        QCOMPARE(decoded.bitDepth, 8);
    }

    void drawPngImageComposesOverTheCanvas_data() {
        addColumns<QPoint, int>({"at", "canvasFormat"});
        addRow("inside", QPoint(1, 1), int(QImage::Format_RGB888));
        addRow("inside a 32-bit canvas", QPoint(1, 1), int(QImage::Format_RGB32));
        addRow("over the right and bottom edges", QPoint(3, 2), int(QImage::Format_RGB888));
        addRow("over the left and top edges", QPoint(-1, -1), int(QImage::Format_RGB888));
        addRow("wholly outside", QPoint(9, 9), int(QImage::Format_RGB888));
    }
    void drawPngImageComposesOverTheCanvas() {
        QFETCH(QPoint, at);
        QFETCH(int, canvasFormat);
        const QRgb background = qRgb(200, 100, 50);
        QImage canvas(4, 3, static_cast<QImage::Format>(canvasFormat));
        canvas.fill(background);

        // Opaque, fully transparent, T = 128, T = 1 (transparency already inverted).
        DecodedPng picture;
        picture.width = 2;
        picture.height = 2;
        picture.bytesPerPixel = 4;
        const unsigned char bytes[] = {10, 20, 30, 0, 10, 20, 30, 255, 10, 20, 30, 128, 10, 20, 30, 1};
        picture.pixels.assign(bytes, bytes + sizeof bytes);
        picture.rows = {picture.pixels.data(), picture.pixels.data() + 8};
        const QRgb drawn[4] = {
            qRgb(10, 20, 30), background,
            qRgb((128 * 200 + 127 * 10) / 255, (128 * 100 + 127 * 20) / 255, (128 * 50 + 127 * 30) / 255),
            qRgb((200 + 254 * 10) / 255, (100 + 254 * 20) / 255, (50 + 254 * 30) / 255)};

        DrawPngImage(canvas, at.x(), at.y(), picture);
        QCOMPARE(canvas.format(), static_cast<QImage::Format>(canvasFormat));
        for (int y = 0; y < canvas.height(); ++y) {
            for (int x = 0; x < canvas.width(); ++x) {
                const int px = x - at.x(), py = y - at.y();
                const bool covered = px >= 0 && px < 2 && py >= 0 && py < 2;
                const QRgb want = covered ? drawn[py * 2 + px] : background;
                QCOMPARE(canvas.pixel(x, y) | 0xFF000000u, want);
            }
        }
    }

    void pngFailuresAreRaisedWithTheFileClosed_data() {
        addColumns<QByteArray, bool, QString>({"content", "exists", "message"});

        PngSpec spec;
        spec.width = 64;
        spec.height = 64;
        for (int i = 0; i < 64 * 64 * 3; ++i) {
            spec.rows += char(i * 7 % 251);
        }
        QVERIFY(writePng(at("whole.png"), spec));
        const QByteArray whole = fileBytes(at("whole.png"));
        PngSpec huge;
        huge.width = 40000;
        huge.height = 40000;
        huge.colorType = PNG_COLOR_TYPE_RGBA;
        huge.headerOnly = true;
        QVERIFY(writePng(at("huge.png"), huge));

        const QString reading = QStringLiteral("Error Reading File!");
        addRow("missing file", QByteArray(), false, QString());
        addRow("empty file", QByteArray(), true, reading);
        addRow("not a PNG", QByteArray("\xFF\xD8\xFF\xE0 a JPEG, say"), true, reading);
        addRow("signature only", whole.left(8), true, reading);
        addRow("cut inside the header", whole.left(20), true, reading);
        addRow("cut inside the image data", whole.left(whole.size() / 2), true, reading);
        addRow("damaged header checksum", QByteArray(whole).replace(29, 1, "\x00"), true, reading);
        addRow("40000 x 40000 declared", fileBytes(at("huge.png")), true, reading);
    }
    void pngFailuresAreRaisedWithTheFileClosed() {
        QFETCH(QByteArray, content);
        QFETCH(bool, exists);
        QFETCH(QString, message);
        const std::string path = at(exists ? "broken.png" : "absent.png");
        if (exists) {
            QVERIFY(writeBytes(path, content));
        } else {
            message = QString::fromStdString("Error Opening File " + path + "!");
        }

        const int before = openDescriptors();
        int width = -7, height = -7;
        try {
            LoadImageFile(path, width, height);
            QFAIL("no error raised");
        } catch (const ImageError& e) {
            QCOMPARE(QString::fromStdString(e.what()), message);
        }
        QCOMPARE(openDescriptors(), before);
        QCOMPARE(width, -7);
        QCOMPARE(height, -7);
    }

    // What a second fetch would not mend: a file over the size cap or a header declaring more
    // than the limits. A damaged file is not refused for its size, whatever its bytes read as.
    void refusedBySizeOnlyWhenTooLarge_data() {
        addColumns<QString, QByteArray>({"name", "content"});
        QTest::addColumn<qint64>("sparseSize");  // grown to this size with holes, when not 0
        QTest::addColumn<bool>("refused");
        PngSpec huge;
        huge.width = huge.height = 40000;
        huge.headerOnly = true;
        QVERIFY(writePng(at("refused-huge.png"), huge));
        QByteArray hugeJpeg = jpegBytes(QImage(16, 16, QImage::Format_RGB888));
        hugeJpeg.replace(hugeJpeg.indexOf("\xFF\xC0") + 5, 4, QByteArray("\x4E\x20\x4E\x20", 4));
        const QByteArray small = jpegBytes(QImage(16, 16, QImage::Format_RGB888));
        addRow("PNG declaring 40000 x 40000", "a.png", fileBytes(at("refused-huge.png")), 0LL, true);
        addRow("JPEG declaring 20000 x 20000", "b.jpg", hugeJpeg, 0LL, true);
        addRow("file over 64 MiB", "c.jpg", small, (64LL << 20) + 1, true);
        addRow("whole small JPEG", "d.jpg", small, 0LL, false);
        addRow("cut short JPEG", "e.jpg", small.left(small.size() / 2), 0LL, false);
        addRow("PNG signature, then text", "f.png", QByteArray("\x89PNG\r\n\x1a\nwhat a power cut left"), 0LL,
               false);
    }
    void refusedBySizeOnlyWhenTooLarge() {
        QFETCH(QString, name);
        QFETCH(QByteArray, content);
        QFETCH(qint64, sparseSize);
        QFETCH(bool, refused);
        const std::string path = at(qPrintable("refused-" + name));
        QVERIFY(writeBytes(path, content));
        if (sparseSize > 0) QVERIFY(QFile::resize(QString::fromStdString(path), sparseSize));
        QCOMPARE(ImageRefusedBySize(path), refused);
        int width = 0, height = 0;
        if (refused && !name.endsWith("png")) QVERIFY(LoadImageFile(path, width, height).isNull());
    }

    void gifGivesItsFirstFrame() {
        const std::string path = at("two-frames.gif");
        QVERIFY(writeBytes(path, gifWithFrames(3, 2, {1, 2})));
        int width = 0, height = 0;
        const QImage image = LoadImageFile(path, width, height);
        QCOMPARE(QSize(width, height), QSize(3, 2));
        QCOMPARE(image.format(), QImage::Format_RGB888);
        QCOMPARE(pixelsOf(image), QList<QRgb>(6, qRgb(255, 0, 0)));
    }

    void gifFailuresAreRaised_data() {
        addColumns<QByteArray, bool>({"content", "exists"});
        addRow("missing file", QByteArray(), false);
        addRow("no frame", gifWithFrames(3, 2, {}), true);
        addRow("not a GIF", QByteArray("\x89PNG\r\n\x1A\n", 8), true);
        addRow("empty file", QByteArray(), true);
    }
    void gifFailuresAreRaised() {
        QFETCH(QByteArray, content);
        QFETCH(bool, exists);
        const std::string path = at(exists ? "broken.gif" : "absent.gif");
        if (exists) {
            QVERIFY(writeBytes(path, content));
        }
        int width = -7, height = -7;
        QVERIFY_THROWS_EXCEPTION(ImageError, LoadImageFile(path, width, height));
        QCOMPARE(width, -7);
        int srcWidth = -7, srcHeight = -7;
        QVERIFY_THROWS_EXCEPTION(ImageError, LoadImageThumbnail(path, 100, 140, srcWidth, srcHeight));
        QCOMPARE(srcWidth, -7);
    }

    // Cached pictures are named by service data in GBK inside a folder named in UTF-8; the
    // messages name both readably.
    void failureNamesAChineseFileInUtf8_data() {
        addColumns<QString, QByteArray, bool, QString>({"name", "content", "exists", "message"});
        addRow("missing PNG", "第一课.png", QByteArray(), false, "Error Opening File %1!");
        addRow("missing GIF", "第一课.gif", QByteArray(), false, "Cannot open GIF file %1");
        addRow("broken GIF", "图表.gif", QByteArray("GIF89a"), true, "Cannot decode GIF file %1");
    }
    void failureNamesAChineseFileInUtf8() {
        QFETCH(QString, name);
        QFETCH(QByteArray, content);
        QFETCH(bool, exists);
        QFETCH(QString, message);
        const QString folder = dir_.path() + "/课本";
        QVERIFY(QDir().mkpath(folder));
        const std::string path = gbk::joinPath(folder.toStdString() + "/", gbk::fromQString(name));
        if (exists) QVERIFY(writeBytes(path, content));
        int width = 0, height = 0;
        try {
            LoadImageFile(path, width, height);
            QFAIL("no error raised");
        } catch (const ImageError& e) {
            QCOMPARE(QString::fromUtf8(e.what()), message.arg(folder + "/" + name));
        }
    }

    void thumbnailMatchesTheFullPictureStretched_data() {
        addColumns<QByteArray, double>({"name", "tolerance"});
        const QImage page = pagePicture(1654, 2339);
        QVERIFY(writeBytes(at("page.jpg"), jpegBytes(page)));
        PngSpec spec;
        spec.width = page.width();
        spec.height = page.height();
        for (int y = 0; y < page.height(); ++y) {
            spec.rows += QByteArray(reinterpret_cast<const char*>(page.constScanLine(y)), page.width() * 3);
        }
        QVERIFY(writePng(at("page.png"), spec));
        QVERIFY(writeBytes(at("small.jpg"), jpegBytes(pagePicture(60, 90))));

        // Block means straddling thumbnail pixels cost accuracy on dense fine marks like these; a
        // decode at 1/8 instead of the chosen scale comes out above 10.
        addRow("JPEG decoded at a reduced scale", QByteArray("page.jpg"), 4.0);
        addRow("JPEG smaller than the thumbnail", QByteArray("small.jpg"), 0.0);
        addRow("PNG", QByteArray("page.png"), 0.0);
    }
    void thumbnailMatchesTheFullPictureStretched() {
        QFETCH(QByteArray, name);
        QFETCH(double, tolerance);
        const std::string path = at(name.constData());

        int width = 0, height = 0;
        const QImage reference = HalftoneStretch(LoadImageFile(path, width, height), 100, 140);
        int srcWidth = 0, srcHeight = 0;
        const QImage thumbnail = LoadImageThumbnail(path, 100, 140, srcWidth, srcHeight);
        QCOMPARE(thumbnail.format(), QImage::Format_RGB888);
        QCOMPARE(thumbnail.size(), QSize(100, 140));
        QCOMPARE(QSize(srcWidth, srcHeight), QSize(width, height));
        const double difference = meanChannelDifference(thumbnail, reference);
        QVERIFY2(difference <= tolerance, qPrintable(QString::number(difference)));
    }

    void thumbnailFollowsTheExtensionRule() {
        const std::string path = at("thumb.jpeg");
        QVERIFY(writeBytes(path, jpegBytes(solid(8, 8, qRgb(1, 2, 3)))));
        int srcWidth = -7, srcHeight = -7;
        QVERIFY(LoadImageThumbnail(path, 100, 140, srcWidth, srcHeight).isNull());
        QCOMPARE(srcWidth, -7);
        QCOMPARE(srcHeight, -7);
    }
};

QTEST_GUILESS_MAIN(TestImageLoader)
#include "test_image_loader.moc"
