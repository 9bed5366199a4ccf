#pragma once

#include <QImage>
#include <QSize>
#include <string>

// Decodes a cached page picture for the center pane. The pane shows the page at most as high
// as a screen, so a JPEG is decoded at the strongest power-of-two DCT reduction (1/2, 1/4,
// 1/8) that still leaves it at least `minHeight` pixels high: for a 300 dpi scan on a 1080-line
// projector that is half size, which costs less than a full decode and looks the same once
// stretched to the pane. GIF and PNG go through LoadImageFile at full size. The picture comes
// back with 32-bit pixels, ready to be drawn.
//
// The picture's own (undecoded) size comes back in `naturalSize`, as a full decode would give
// it. A picture that cannot be read, or whose header declares more than the image limits allow,
// gives a null image and leaves `naturalSize` alone; nothing raises. Paths are raw file-name
// bytes.
class PageImageLoader {
public:
    static QImage LoadForDisplay(const std::string& path, int minHeight, QSize& naturalSize);
};
