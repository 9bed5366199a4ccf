#include "CacheCleaner.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <ctime>
#include <memory>

#include "CacheFolder.h"

namespace {

struct DirCloser {
    void operator()(DIR* dir) const { ::closedir(dir); }
};

char foldAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// Length of the character starting at `text[i]`: 2 for a GBK lead byte with a byte after it.
std::size_t charLength(std::string_view text, std::size_t i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    return (c >= 0x81 && c <= 0xFE && i + 1 < text.size()) ? 2 : 1;
}

bool sameChar(std::string_view a, std::size_t i, std::size_t lengthA, std::string_view b, std::size_t j,
              std::size_t lengthB) {
    if (lengthA != lengthB) return false;
    if (lengthA == 1) return foldAscii(a[i]) == foldAscii(b[j]);
    return a.substr(i, lengthA) == b.substr(j, lengthB);
}

// `prefix` followed by the six characters mkstemp draws from.
bool isTemporaryName(std::string_view name, std::string_view prefix) {
    if (name.size() != prefix.size() + 6 || !name.starts_with(prefix)) return false;
    for (const char c : name.substr(prefix.size()))
        if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'))) return false;
    return true;
}

}  // namespace

// fnmatch() is not used: in a UTF-8 locale it fails outright on names holding GBK bytes, and
// such names are exactly what this cache is full of.
bool CacheCleaner::MatchesMask(std::string_view name, std::string_view mask) {
    std::size_t n = 0, m = 0;
    std::size_t starMask = std::string_view::npos, starName = 0;
    while (n < name.size()) {
        if (m < mask.size() && mask[m] == '*') {
            starMask = ++m;
            starName = n;
            continue;
        }
        if (m < mask.size()) {
            const std::size_t nameLength = charLength(name, n);
            const std::size_t maskLength = charLength(mask, m);
            if (mask[m] == '?' || sameChar(name, n, nameLength, mask, m, maskLength)) {
                n += nameLength;
                m += mask[m] == '?' ? 1 : maskLength;
                continue;
            }
        }
        if (starMask == std::string_view::npos) return false;
        // Let the last "*" swallow one more character and try again from there.
        starName += charLength(name, starName);
        n = starName;
        m = starMask;
    }
    while (m < mask.size() && mask[m] == '*') ++m;
    return m == mask.size();
}

namespace {

// The folder opened for deletions through its descriptor, so a folder swapped for a link while
// the enumeration runs cannot redirect them elsewhere; null when it cannot be opened or is a
// link. The trailing separators go: on "link/" the kernel resolves the link before O_NOFOLLOW
// looks at the last component.
std::unique_ptr<DIR, DirCloser> openFolderNoFollow(const std::string& folder) {
    std::string_view bare = folder;
    while (bare.size() > 1 && bare.back() == '/') bare.remove_suffix(1);
    const int folderFd = ::open(std::string(bare).c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (folderFd < 0) return nullptr;
    std::unique_ptr<DIR, DirCloser> dir(::fdopendir(folderFd));
    if (!dir) ::close(folderFd);
    return dir;
}

}  // namespace

void CacheCleaner::DeleteFilesByMask(const std::string& folder, std::string_view mask) {
    const std::unique_ptr<DIR, DirCloser> dir = openFolderNoFollow(folder);
    if (!dir) return;
    const int folderFd = ::dirfd(dir.get());
    while (const dirent* entry = ::readdir(dir.get())) {
        const std::string_view name = entry->d_name;
        if (name == "." || name == ".." || !MatchesMask(name, mask)) continue;
        struct stat info {};
        if (::fstatat(folderFd, entry->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0) continue;
        if (!S_ISREG(info.st_mode) && !S_ISLNK(info.st_mode)) continue;
        if (::unlinkat(folderFd, entry->d_name, 0) != 0 && S_ISREG(info.st_mode)) {
            ::fchmodat(folderFd, entry->d_name, S_IRUSR | S_IWUSR, 0);
            ::unlinkat(folderFd, entry->d_name, 0);
        }
    }
}

void CacheCleaner::RemoveInterruptedWrites(const std::string& folder, std::string_view prefix) {
    const std::unique_ptr<DIR, DirCloser> dir = openFolderNoFollow(folder);
    if (!dir) return;
    const int folderFd = ::dirfd(dir.get());
    const time_t aMinuteAgo = ::time(nullptr) - 60;
    while (const dirent* entry = ::readdir(dir.get())) {
        const std::string_view name = entry->d_name;
        if (!isTemporaryName(name, prefix)) continue;
        struct stat info {};
        if (::fstatat(folderFd, entry->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0) continue;
        if (!S_ISREG(info.st_mode) || info.st_mtime >= aMinuteAgo) continue;
        ::unlinkat(folderFd, entry->d_name, 0);
    }
}

void CacheCleaner::RunExitCleanup(OnExit choice) {
    if (choice == OnExit::KeepFiles) return;
    const std::string folder = CacheFolder::temporaryPath();
    if (folder.empty()) return;
    for (const char* mask : kExitMasks) DeleteFilesByMask(folder, mask);
}
