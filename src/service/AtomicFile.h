#pragma once

#include <sys/types.h>

#include <cstddef>
#include <string>
#include <string_view>

// Writes all `size` bytes to `fd`, going on after interrupted and short writes: 0, or the errno
// of the write that failed (EIO for one that wrote nothing).
int writeAll(int fd, const char* data, std::size_t size);

// A file written under a temporary name in its target's folder and given the target's name only
// once complete and flushed, so that neither a reader nor a power cut ever meets half a file.
// The temporary file belongs to the object: it is removed unless commit() succeeded. Errors are
// errno values, left to the caller to report in its own words.
class AtomicFile {
public:
    // Creates the temporary file, `temporaryPrefix` and six random characters, with `mode`.
    AtomicFile(std::string path, const std::string& temporaryPrefix, mode_t mode);
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    // 0 when the temporary file was made, else the errno of the step that failed.
    int openError() const { return openError_; }
    int fd() const { return fd_; }
    const std::string& folder() const { return folder_; }

    int write(std::string_view bytes) const { return writeAll(fd_, bytes.data(), bytes.size()); }
    // Flushes, closes and renames over the target: 0, or the errno of the first step that failed
    // (and then the temporary file is gone).
    int commit();
    // As commit(), but an existing file at the target is left as it is and the result is EEXIST.
    int commitNew();
    void discard();

    // The whole of `bytes` as the file at `path`: 0 or an errno.
    static int writeFile(const std::string& path, const std::string& temporaryPrefix, std::string_view bytes,
                         mode_t mode);

private:
    std::string path_;
    std::string folder_;
    std::string temporary_;
    int fd_ = -1;
    int openError_ = 0;
};
