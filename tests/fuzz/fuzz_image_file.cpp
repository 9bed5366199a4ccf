// LoadImageFile on a cached file of one format (LUMO_IMAGE_EXT), read from disk as the program
// reads it.
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
    static const std::string path = fuzz::workFolder() + "picture" LUMO_IMAGE_EXT;
    fuzz::writeFile(path, data, size);
    int width = -1, height = -1;
    try {
        const QImage image = LoadImageFile(path, width, height);
        if (!image.isNull() && (width != image.width() || height != image.height())) std::abort();
        // The limit that keeps a hostile header from exhausting memory.
        if (!image.isNull() && std::int64_t(width) * height > std::int64_t(40'000'000)) std::abort();
    } catch (const ImageError&) {
    }
    return 0;
}
