#include "GifWriter.h"

#include <cstdint>
#include <vector>

namespace {

class BitPacker {
public:
    void put(unsigned code, int width) {
        accumulator_ |= static_cast<uint32_t>(code) << bits_;
        bits_ += width;
        while (bits_ >= 8) {
            bytes_.push_back(static_cast<char>(accumulator_ & 0xff));
            accumulator_ >>= 8;
            bits_ -= 8;
        }
    }
    std::string finish() {
        if (bits_ > 0) bytes_.push_back(static_cast<char>(accumulator_ & 0xff));
        return std::string(bytes_.begin(), bytes_.end());
    }

private:
    std::vector<char> bytes_;
    uint32_t accumulator_ = 0;
    int bits_ = 0;
};

void putShort(std::string& out, int value) {
    out += static_cast<char>(value & 0xff);
    out += static_cast<char>((value >> 8) & 0xff);
}

}  // namespace

std::string GifWriter::encode(const QImage& source) {
    QImage image = source.convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither | Qt::AutoColor);
    QList<QRgb> palette = image.colorTable();
    palette.resize(256, qRgb(0, 0, 0));

    std::string out = "GIF89a";
    putShort(out, image.width());
    putShort(out, image.height());
    out += static_cast<char>(0xf7);  // global colour table of 256 entries
    out += '\0';
    out += '\0';
    for (QRgb colour : palette) {
        out += static_cast<char>(qRed(colour));
        out += static_cast<char>(qGreen(colour));
        out += static_cast<char>(qBlue(colour));
    }
    out += ',';
    putShort(out, 0);
    putShort(out, 0);
    putShort(out, image.width());
    putShort(out, image.height());
    out += '\0';
    out += static_cast<char>(8);  // minimum code size

    constexpr unsigned kClear = 256, kEnd = 257;
    BitPacker packer;
    int sinceClear = 0;
    packer.put(kClear, 9);
    for (int y = 0; y < image.height(); ++y) {
        const uchar* line = image.constScanLine(y);
        for (int x = 0; x < image.width(); ++x) {
            if (sinceClear == 250) {
                packer.put(kClear, 9);
                sinceClear = 0;
            }
            packer.put(line[x], 9);
            ++sinceClear;
        }
    }
    packer.put(kEnd, 9);
    std::string data = packer.finish();
    for (size_t at = 0; at < data.size(); at += 255) {
        size_t length = std::min<size_t>(255, data.size() - at);
        out += static_cast<char>(length);
        out.append(data, at, length);
    }
    out += '\0';
    out += ';';
    return out;
}
