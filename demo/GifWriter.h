#pragma once

#include <QImage>
#include <string>

// Writes a picture as a GIF89a file (Qt reads GIF but cannot write it). The picture is reduced
// to a 256-colour palette; the LZW stream uses literal codes only, with a clear code before
// the table would grow past 9-bit codes, which every decoder reads and needs no dictionary.
class GifWriter {
public:
    static std::string encode(const QImage& image);
};
