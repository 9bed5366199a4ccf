// LoadImageThumbnail: the first byte picks the format, the next two the thumbnail size (1..64
// each way, as the lists ask for small ones), the rest is the cached file.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "FuzzSupport.h"
#include "catalogue/ImageError.h"
#include "catalogue/ImageLoader.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    fuzz::ensureGuiApplication(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 3) return 0;
    static const char* const kNames[] = {"thumb.jpg", "thumb.gif", "thumb.png"};
    const std::string path = fuzz::workFolder() + kNames[data[0] % 3];
    const int thumbWidth = 1 + data[1] % 64;
    const int thumbHeight = 1 + data[2] % 64;
    fuzz::writeFile(path, data + 3, size - 3);
    int srcWidth = -1, srcHeight = -1;
    try {
        const QImage thumbnail = LoadImageThumbnail(path, thumbWidth, thumbHeight, srcWidth, srcHeight);
        if (!thumbnail.isNull() && (thumbnail.width() != thumbWidth || thumbnail.height() != thumbHeight))
            std::abort();
    } catch (const ImageError&) {
    }
    return 0;
}
