#include "CacheFolder.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <cerrno>

#include "service/XdgBase.h"

namespace {

std::string cacheBase() {
    return QFile::encodeName(XdgBase("XDG_CACHE_HOME", ".cache")).toStdString();
}

// mkdir -p for the parents; the final folder is made by the caller with its own mode.
void makeParents(const std::string& path) {
    for (std::size_t slash = path.find('/', 1); slash != std::string::npos;
         slash = path.find('/', slash + 1)) {
        ::mkdir(path.substr(0, slash).c_str(), 0700);
    }
    ::mkdir(path.c_str(), 0700);
}

}  // namespace

namespace CacheFolder {

std::string temporaryPath() {
    const std::string base = cacheBase();
    const std::string folder = base + "/lumoclass";
    makeParents(base);
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) return {};
    struct stat info {};
    if (::lstat(folder.c_str(), &info) != 0) return {};
    if (!S_ISDIR(info.st_mode) || info.st_uid != ::getuid()) return {};
    if ((info.st_mode & 0077) != 0) ::chmod(folder.c_str(), 0700);
    return folder + "/";
}

}  // namespace CacheFolder
