#include "QoroxIni.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstring>
#include <optional>
#include <string_view>
#include <vector>

#include "service/AppError.h"
#include "service/AtomicFile.h"
#include "service/XdgBase.h"

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r';
}

std::string_view trimBlanks(std::string_view text) {
    while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
    return text;
}

bool sameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto fold = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
        if (fold(a[i]) != fold(b[i])) return false;
    }
    return true;
}

// One line of the file with its terminator kept apart, so that untouched lines are written
// back byte for byte.
struct Line {
    std::string_view text;
    std::string_view end;
};

std::vector<Line> splitLines(std::string_view content) {
    std::vector<Line> lines;
    while (!content.empty()) {
        const std::size_t newline = content.find('\n');
        if (newline == std::string_view::npos) {
            lines.push_back({content, {}});
            break;
        }
        std::size_t textEnd = newline;
        if (textEnd > 0 && content[textEnd - 1] == '\r') --textEnd;
        lines.push_back({content.substr(0, textEnd), content.substr(textEnd, newline + 1 - textEnd)});
        content.remove_prefix(newline + 1);
    }
    return lines;
}

std::optional<std::string_view> sectionName(std::string_view line) {
    line = trimBlanks(line);
    if (line.empty() || line.front() != '[') return std::nullopt;
    const std::size_t close = line.find(']');
    if (close == std::string_view::npos) return std::nullopt;
    return trimBlanks(line.substr(1, close - 1));
}

std::optional<std::string_view> keyName(std::string_view line) {
    const std::string_view trimmed = trimBlanks(line);
    if (trimmed.empty() || trimmed.front() == ';') return std::nullopt;
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) return std::nullopt;
    return trimBlanks(line.substr(0, equals));
}

// Surrounding blanks are not part of a value unless quoted; one pair of enclosing double
// quotes is removed, as the profile-string functions do.
std::string decodeValue(std::string_view raw) {
    raw = trimBlanks(raw);
    if (raw.size() >= 2 && raw.front() == '"' && raw.back() == '"') raw = raw.substr(1, raw.size() - 2);
    return std::string(raw);
}

std::string encodeValue(const std::string& value) {
    if (value.empty()) return value;
    const bool edgeBlank = isBlank(value.front()) || isBlank(value.back());
    const bool looksQuoted = value.size() >= 2 && value.front() == '"' && value.back() == '"';
    return (edgeBlank || looksQuoted) ? '"' + value + '"' : value;
}

struct Section {
    std::size_t header = 0;    // index of the "[name]" line
    std::size_t lastLine = 0;  // index of its last key line (or the header)
    std::optional<std::size_t> key;
};

std::optional<Section> findSection(const std::vector<Line>& lines, std::string_view section,
                                   std::string_view key) {
    std::optional<Section> found;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (const auto name = sectionName(lines[i].text)) {
            if (found) break;
            if (sameName(*name, section)) found = Section{i, i, std::nullopt};
            continue;
        }
        if (!found) continue;
        if (const auto name = keyName(lines[i].text)) {
            found->lastLine = i;
            if (!found->key && sameName(*name, key)) found->key = i;
        }
    }
    return found;
}

std::string errnoText(int error) {
    return std::strerror(error);
}

// The whole file, an empty text when it does not exist; nullopt when it exists but cannot be
// read, so that a write never replaces content it could not see.
std::optional<std::string> readFile(const std::string& path, int& error) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        error = errno;
        if (error == ENOENT) return std::string();
        return std::nullopt;
    }
    std::string content;
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            error = errno;
            ::close(fd);
            return std::nullopt;
        }
        if (n == 0) break;
        content.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return content;
}

FileError writeError(const std::string& path, int error) {
    return FileError("Unable to write to " + path + ": " + errnoText(error));
}

std::string folderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

bool isWritableFolder(const std::string& folder) {
    return ::access(folder.c_str(), W_OK | X_OK) == 0;
}

// The file can live here: an existing regular file that can be written, or none yet in a
// folder where one can be made.
bool canWriteAt(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0) return S_ISREG(info.st_mode) && ::access(path.c_str(), W_OK) == 0;
    return errno == ENOENT && isWritableFolder(folderOf(path));
}

// A file this user owns holds the password digest: it is kept to the user alone, however it was
// made. Another's file keeps its mode.
void tighten(int fd) {
    struct stat info {};
    if (::fstat(fd, &info) == 0 && info.st_uid == ::geteuid() && (info.st_mode & 07777) != 0600)
        ::fchmod(fd, 0600);
}

// Writes `content` from the start of the file, sets its length and flushes it: 0 or the errno
// of the first step that failed.
int overwrite(int fd, const std::string& content) {
    if (::lseek(fd, 0, SEEK_SET) != 0) return errno;
    if (const int error = writeAll(fd, content.data(), content.size())) return error;
    if (::ftruncate(fd, static_cast<off_t>(content.size())) != 0) return errno;
    return ::fsync(fd) == 0 ? 0 : errno;
}

// For a writable file whose folder is not: the same inode is rewritten from its start. When a
// write, the truncation or the flush fails, the old content is written back and the file cut to
// its length before the error is raised, so a failure leaves the old file whenever the disk
// still takes the old bytes (at worst, when it does not, the new text over the old tail).
void rewriteInPlace(const std::string& path, const std::string& content, const std::string& previous) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) throw writeError(path, errno);
    tighten(fd);
    int error = overwrite(fd, content);
    if (error != 0) overwrite(fd, previous);
    if (::close(fd) != 0 && error == 0) error = errno;
    if (error != 0) throw writeError(path, error);
}

void replaceFile(const std::string& path, const std::string& content, const std::string& previous) {
    if (!isWritableFolder(folderOf(path))) {
        rewriteInPlace(path, content, previous);
        return;
    }
    mode_t mode = 0600;
    struct stat existing {};
    // Another user's file keeps its mode; this user's is tightened to 0600 like a new one.
    if (::stat(path.c_str(), &existing) == 0 && S_ISREG(existing.st_mode) && existing.st_uid != ::geteuid())
        mode = existing.st_mode & 07777;

    if (const int error = AtomicFile::writeFile(path, QoroxIni::temporaryPrefix(), content, mode))
        throw writeError(path, error);
}

}  // namespace

QoroxIni::QoroxIni(const QString& folder, const QString& userFolder)
    : folder_(folder), userFolder_(userFolder) {}

QString QoroxIni::userFolderPath() {
    return XdgBase("XDG_CONFIG_HOME", ".config") + QStringLiteral("/lumoclass");
}

QString QoroxIni::filePath() const {
    const QString beside = folder_ + u'/' + fileName();
    if (canWriteAt(QFile::encodeName(beside).toStdString())) return beside;
    return userFolder_ + u'/' + fileName();
}

QString QoroxIni::programFolder() {
    const QString overridden = qEnvironmentVariable("LUMOCLASS_PROGRAM_DIR");
    if (!overridden.isEmpty()) return overridden;
    return QCoreApplication::applicationDirPath();
}

GbkString QoroxIni::ReadIniValue(const GbkString& section, const GbkString& key) const {
    int error = 0;
    const std::optional<std::string> content = readFile(QFile::encodeName(filePath()).toStdString(), error);
    if (!content) return {};
    const std::vector<Line> lines = splitLines(*content);
    const std::optional<Section> found = findSection(lines, section.bytes(), key.bytes());
    if (!found || !found->key) return {};
    const std::string_view line = lines[*found->key].text;
    return GbkString(decodeValue(line.substr(line.find('=') + 1)));
}

namespace {

// The content with `key` of `section` set to `value`: the key's line replaced, or a line added at
// the end of the section, or the section added at the end.
std::string withValue(const std::string& content, std::string_view section, std::string_view key,
                      const std::string& value) {
    const std::vector<Line> lines = splitLines(content);
    const std::string_view eol = content.find("\r\n") != std::string::npos ? "\r\n" : "\n";
    const std::string encoded = encodeValue(value);
    const std::optional<Section> found = findSection(lines, section, key);

    std::string out;
    out.reserve(content.size() + key.size() + encoded.size() + section.size() + 8);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const Line& line = lines[i];
        if (found && found->key == i) {
            out.append(line.text.substr(0, line.text.find('=') + 1)).append(encoded);
            out.append(line.end.empty() ? eol : line.end);
            continue;
        }
        out.append(line.text).append(line.end);
        if (found && !found->key && found->lastLine == i) {
            if (line.end.empty()) out.append(eol);
            out.append(key).append("=").append(encoded).append(eol);
        }
    }
    if (!found) {
        if (!out.empty() && out.back() != '\n') out.append(eol);
        out.append("[").append(section).append("]").append(eol);
        out.append(key).append("=").append(encoded).append(eol);
    }
    return out;
}

}  // namespace

void QoroxIni::WriteIniValue(const GbkString& section, const GbkString& key, const GbkString& value) const {
    WriteIniValues(section, {{key, value}});
}

void QoroxIni::WriteIniValues(const GbkString& section,
                              const std::vector<std::pair<GbkString, GbkString>>& values) const {
    const QString chosen = filePath();
    if (chosen != folder_ + u'/' + fileName()) {
        // The user's folder is made on first use, private like the file.
        QDir().mkpath(QFileInfo(userFolder_).path());
        ::mkdir(QFile::encodeName(userFolder_).constData(), 0700);
    }
    const std::string path = QFile::encodeName(chosen).toStdString();
    for (const auto& [key, value] : values)
        if (value.find_first_of("\r\n") != GbkString::npos)
            throw FileError("Unable to write to " + path + ": the value holds a line break");
    int error = 0;
    const std::optional<std::string> content = readFile(path, error);
    if (!content) throw FileError("Unable to write to " + path + ": " + errnoText(error));

    std::string out = *content;
    for (const auto& [key, value] : values) out = withValue(out, section.bytes(), key.bytes(), value.bytes());
    replaceFile(path, out, *content);
}
