#include "AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

int writeAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return n < 0 ? errno : EIO;
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return 0;
}

AtomicFile::AtomicFile(std::string path, const std::string& temporaryPrefix, mode_t mode)
    : path_(std::move(path)) {
    const std::size_t slash = path_.rfind('/');
    folder_ = slash == std::string::npos ? std::string(".")
              : slash == 0               ? std::string("/")
                                         : path_.substr(0, slash);
    temporary_ = folder_ + "/" + temporaryPrefix + "XXXXXX";
    fd_ = ::mkostemp(temporary_.data(), O_CLOEXEC);
    if (fd_ < 0) {
        openError_ = errno;
        temporary_.clear();
        return;
    }
    // mkostemp makes the file 0600; another mode is set before a byte is written.
    if ((mode & 07777) != 0600 && ::fchmod(fd_, mode & 07777) != 0) {
        openError_ = errno;
        discard();
    }
}

AtomicFile::~AtomicFile() {
    discard();
}

int AtomicFile::commit() {
    if (fd_ < 0) return openError_ ? openError_ : EBADF;
    int error = ::fsync(fd_) == 0 ? 0 : errno;
    if (::close(fd_) != 0 && error == 0) error = errno;
    fd_ = -1;
    if (error == 0 && ::rename(temporary_.c_str(), path_.c_str()) != 0) error = errno;
    if (error != 0) ::unlink(temporary_.c_str());
    temporary_.clear();
    return error;
}

int AtomicFile::commitNew() {
    if (fd_ < 0) return openError_ ? openError_ : EBADF;
    int error = ::fsync(fd_) == 0 ? 0 : errno;
    if (::close(fd_) != 0 && error == 0) error = errno;
    fd_ = -1;
    // A hard link is made only where no name exists yet, so nothing is ever replaced.
    if (error == 0 && ::link(temporary_.c_str(), path_.c_str()) != 0) error = errno;
    ::unlink(temporary_.c_str());
    temporary_.clear();
    return error;
}

void AtomicFile::discard() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    if (!temporary_.empty()) {
        ::unlink(temporary_.c_str());
        temporary_.clear();
    }
}

int AtomicFile::writeFile(const std::string& path, const std::string& temporaryPrefix, std::string_view bytes,
                          mode_t mode) {
    AtomicFile file(path, temporaryPrefix, mode);
    if (file.openError() != 0) return file.openError();
    if (const int error = file.write(bytes)) return error;
    return file.commit();
}
