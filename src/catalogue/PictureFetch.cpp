#include "PictureFetch.h"

#include <sys/stat.h>

#include <exception>

#include "ImageLoader.h"

namespace {

bool fileExists(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0;
}

bool decodable(const std::string& path) {
    const std::string extension = ImageFileExtension(path);
    return extension == ".JPG" || extension == ".PNG" || extension == ".GIF";
}

}  // namespace

FetchedPicture FetchPicture(const PictureSource& source, GbkString address, std::string localPath,
                            const std::function<QImage(const std::string& localPath)>& decode) {
    if (!source.fetch(address, localPath)) return {};
    std::exception_ptr failure;
    QImage picture;
    try {
        picture = decode(localPath);
    } catch (...) {
        failure = std::current_exception();
    }
    if (!picture.isNull()) return {true, picture};
    if (source.refetch && decodable(localPath) && !ImageRefusedBySize(localPath)) {
        if (source.refetch(address, localPath)) return {true, decode(localPath)};
        // Deleted, but the fresh copy did not arrive.
        if (!fileExists(localPath)) return {};
    }
    if (failure) std::rethrow_exception(failure);
    return {true, picture};
}
