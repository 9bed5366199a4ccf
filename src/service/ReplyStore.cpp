#include "ReplyStore.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCryptographicHash>
#include <QFile>
#include <cerrno>

#include "AtomicFile.h"
#include "HttpClient.h"
#include "XdgBase.h"

namespace {

std::string sha256Hex(std::string_view bytes) {
    return QCryptographicHash::hash(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())),
                                    QCryptographicHash::Sha256)
        .toHex()
        .toStdString();
}

// A folder of ours: made with 0700 when missing, and refused when it is a link, not a folder or
// another user's.
bool ownFolder(const std::string& folder) {
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) return false;
    struct stat info {};
    if (::lstat(folder.c_str(), &info) != 0) return false;
    if (!S_ISDIR(info.st_mode) || info.st_uid != ::getuid()) return false;
    if ((info.st_mode & 0077) != 0) ::chmod(folder.c_str(), 0700);
    return true;
}

// The regular files and the folders directly inside `folder`, links left out.
void listEntries(const std::string& folder, std::vector<std::string>* files,
                 std::vector<std::string>* folders) {
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) return;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name == "." || name == "..") continue;
        struct stat info {};
        if (::fstatat(::dirfd(dir), name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0) continue;
        if (S_ISDIR(info.st_mode) && folders) folders->push_back(folder + name + "/");
        if (!S_ISDIR(info.st_mode) && files) files->push_back(folder + name);
    }
    ::closedir(dir);
}

}  // namespace

ReplyStore::ReplyStore(std::string root) : root_(std::move(root)) {}

std::string ReplyStore::defaultRoot() {
    return QFile::encodeName(XdgBase("XDG_CACHE_HOME", ".cache")).toStdString() + "/lumoclass/replies/";
}

std::string ReplyStore::folderOf(const GbkString& account) const {
    return root_ + sha256Hex(account.bytes()) + "/";
}

void ReplyStore::setAccount(const GbkString& account) {
    accountFolder_ = account.empty() ? std::string() : folderOf(account);
}

std::string ReplyStore::fileName(std::string_view operation, std::string_view request) {
    return std::string(operation) + "-" + sha256Hex(request);
}

bool ReplyStore::makeFolder(const std::string& folder) const {
    if (folder == madeFolder_) return true;
    // The cache folder's parents are made the way the picture cache makes them.
    const std::string base = root_.substr(0, root_.size() - 1);
    for (std::size_t slash = base.find('/', 1); slash != std::string::npos; slash = base.find('/', slash + 1))
        ::mkdir(base.substr(0, slash).c_str(), 0700);
    if (!ownFolder(base) || !ownFolder(folder.substr(0, folder.size() - 1))) return false;
    madeFolder_ = folder;
    return true;
}

void ReplyStore::write(const std::string& folder, const std::string& name, std::string_view bytes) const {
    if (!makeFolder(folder)) return;
    const std::string path = folder + name;
    // A rewrite of the same bytes would cost a flush to disk for nothing.
    if (holds(path, bytes)) return;
    // A folder removed behind our back (the cache emptied) is made again by the next keep.
    if (AtomicFile::writeFile(path, kTemporaryPrefix, bytes, 0600) != 0) madeFolder_.clear();
}

bool ReplyStore::holds(const std::string& path, std::string_view bytes) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode) || (info.st_mode & 07777) != 0600)
        return false;
    if (static_cast<std::size_t>(info.st_size) != bytes.size()) return false;
    const std::optional<std::string> kept = read(path);
    return kept && *kept == bytes;
}

std::optional<std::string> ReplyStore::read(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    std::string bytes;
    char buffer[65536];
    bool whole = true;
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        // A kept reply is one the client took from the wire, under the same cap.
        if (n < 0 || bytes.size() + static_cast<std::size_t>(n) > kMaxReplyBytes) whole = false;
        if (n <= 0 || !whole) break;
        bytes.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    if (!whole) return std::nullopt;
    return bytes;
}

void ReplyStore::keep(std::string_view operation, std::string_view request, std::string_view reply) const {
    if (hasAccount()) write(accountFolder_, fileName(operation, request), reply);
}

std::optional<std::string> ReplyStore::kept(std::string_view operation, std::string_view request) const {
    if (!hasAccount()) return std::nullopt;
    return read(accountFolder_ + fileName(operation, request));
}

void ReplyStore::keepNamed(const GbkString& account, std::string_view name, std::string_view bytes) const {
    write(folderOf(account), std::string(name), bytes);
}

std::optional<std::string> ReplyStore::keptNamed(const GbkString& account, std::string_view name) const {
    return read(folderOf(account) + std::string(name));
}

bool ReplyStore::hasReplies(const GbkString& account) const {
    std::vector<std::string> files;
    listEntries(folderOf(account), &files, nullptr);
    for (const std::string& file : files) {
        const std::string name = file.substr(file.rfind('/') + 1);
        if (name.starts_with("LmvInclass_")) return true;
    }
    return false;
}

std::vector<std::string> ReplyStore::accountFolders() const {
    std::vector<std::string> folders;
    listEntries(root_, nullptr, &folders);
    return folders;
}

void ReplyStore::RemoveAll() const {
    madeFolder_.clear();
    for (const std::string& folder : accountFolders()) {
        std::vector<std::string> files;
        listEntries(folder, &files, nullptr);
        for (const std::string& file : files) ::unlink(file.c_str());
        ::rmdir(folder.c_str());
    }
    ::rmdir(root_.c_str());
}
