#pragma once

#include <QImage>
#include <string>
#include <vector>

// A PNG picture decoded for one load: rows of `bytesPerPixel` bytes, top to bottom, no padding.
// 3 bytes are red, green, blue; 4 add a transparency byte (0 opaque, 255 fully transparent);
// 2 are grey and transparency, kept as they come. Move-only, because `rows` points into `pixels`.
struct DecodedPng {
    int width = 0;
    int height = 0;
    int bitDepth = 0;
    int colorType = 0;
    int bytesPerPixel = 0;
    std::vector<unsigned char> pixels;
    std::vector<unsigned char*> rows;

    DecodedPng() = default;
    DecodedPng(DecodedPng&&) = default;
    DecodedPng& operator=(DecodedPng&&) = default;
    DecodedPng(const DecodedPng&) = delete;
    DecodedPng& operator=(const DecodedPng&) = delete;
};

// Decodes the PNG file at `path` (raw file-name bytes). Palette and low-depth grey pictures are
// expanded to 8 bits per channel, 8-bit grey and every 16-bit picture come as 8-bit RGB or RGBA,
// and transparency is inverted. The file is closed before this returns, whatever happens.
// Raises ImageError "Error Opening File <path>!" (the path as gbk::pathToUtf8 reads it) when the
// file cannot be opened and "Error Reading File!" when it is not a readable PNG or is too large to
// hold in memory.
// When libpng cannot set up a read the result is a 0 x 0 picture.
DecodedPng ReadPngFile(const std::string& path);

// Composes `picture` onto `canvas` with its top left corner at left, top: opaque pixels replace
// the canvas, fully transparent ones leave it, others mix per channel with the canvas as
// (T x background + (255 - T) x picture) / 255. A 2-byte picture is written as raw 16-bit pixels
// into a 16-bit work bitmap, so its bytes arrive unchanged on a 16-bit canvas. Parts that fall
// outside the canvas are dropped. Layouts other than 2, 3 or 4 bytes leave the canvas as it is.
void DrawPngImage(QImage& canvas, int left, int top, const DecodedPng& picture);
