#include "CatalogueLoader.h"

#include <fcntl.h>
#include <unistd.h>

#include <QString>
#include <cerrno>
#include <cstring>
#include <exception>

#include "service/AppError.h"
#include "service/AtomicFile.h"
#include "service/ReplyInflater.h"
#include "service/ShowMessage.h"
#include "service/TReplyDataset.h"
#include "service/lmvInclassSoap.h"

namespace {

constexpr const char* kTransitFileName = "lmvclass.xml";
constexpr char kUtf8Bom[] = {'\xEF', '\xBB', '\xBF'};

// A book catalogue keeps the previous book's records unless the new reply has rows.
template <class T>
void replaceWhenRows(const TReplyDataset& dataset, TObjectList<T>& list) {
    TReplyRow row = dataset.firstRow();
    if (row.isNull()) return;
    list.Clear();
    for (; !row.isNull(); row = row.next()) list.Add(T::fromRow(row));
}

template <class T>
void appendRows(const TReplyDataset& dataset, TObjectList<T>& list) {
    for (TReplyRow row = dataset.firstRow(); !row.isNull(); row = row.next()) list.Add(T::fromRow(row));
}

void showOwnMessage(const std::exception& error) {
    ShowMessage(QString::fromUtf8(error.what()));
}

void writeOrThrow(int fd, const char* data, std::size_t size, const std::string& path) {
    if (const int error = writeAll(fd, data, size))
        throw FileError("Cannot write " + path + ": " + std::strerror(error));
}

void writeTransitFile(const std::string& path, const ByteString& utf8Bytes) {
    // O_NOFOLLOW: the fixed name must not be turned into a way to overwrite another file.
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) throw FileError("Cannot create file \"" + path + "\". " + std::strerror(errno));
    try {
        writeOrThrow(fd, kUtf8Bom, sizeof kUtf8Bom, path);
        writeOrThrow(fd, utf8Bytes.data(), utf8Bytes.size(), path);
    } catch (...) {
        ::close(fd);
        throw;
    }
    if (::close(fd) != 0) throw FileError("Cannot write " + path + ": " + std::strerror(errno));
}

}  // namespace

CatalogueLoader::CatalogueLoader(lmvInclassSoap& service, std::string tempPath,
                                 std::function<bool()> processEvents)
    : service_(service), tempPath_(std::move(tempPath)), processEvents_(std::move(processEvents)) {}

std::string CatalogueLoader::transitFilePath() const {
    return tempPath_ + kTransitFileName;
}

void CatalogueLoader::LoadBookWords(const GbkString& userId, const GbkString& syllabusId,
                                    const GbkString& bookId, TObjectList<TWordObj>& list) {
    const ByteString reply = service_.LmvInclass_GetsyllabusWordList(userId, syllabusId, bookId);
    replaceWhenRows(ParseReplyDataset(InflateReplyText(reply), DeclarationRule::Plain), list);
}

void CatalogueLoader::LoadBookScenes(const GbkString& userId, const GbkString& syllabusId,
                                     const GbkString& bookId, TObjectList<TMaterialObj>& list) {
    try {
        const ByteString reply = service_.LmvInclass_GetSceneTextJsonList(userId, syllabusId, bookId);
        replaceWhenRows(ParseReplyDataset(InflateReplyText(reply), DeclarationRule::Plain), list);
    } catch (const std::exception& error) {
        showOwnMessage(error);
    }
}

void CatalogueLoader::LoadBookPassages(const GbkString& userId, const GbkString& syllabusId,
                                       const GbkString& bookId, TObjectList<TPassageObj>& list) {
    try {
        const ByteString reply = service_.LmvInclass_GetPassageTextJsonList(userId, syllabusId, bookId);
        replaceWhenRows(ParseReplyDataset(InflateReplyText(reply), DeclarationRule::Plain), list);
    } catch (const std::exception& error) {
        showOwnMessage(error);
    }
}

void CatalogueLoader::LoadBookMiniLectures(const GbkString& userId, const GbkString& syllabusId,
                                           const GbkString& bookId, TObjectList<TMiniLectureObj>& list) {
    try {
        const ByteString reply = service_.LmvInclass_GetMiniLectureTextJsonList(userId, syllabusId, bookId);
        const ByteString utf8Bytes = InflateReplyBytes(reply);
        // Without a cache folder the name would be relative to whatever the working folder is.
        if (tempPath_.empty()) throw FileError("No cache folder for " + std::string(kTransitFileName));
        const std::string path = transitFilePath();
        writeTransitFile(path, utf8Bytes);
        if (processEvents_ && !processEvents_()) return;
        // The file's own bytes, parsed from memory: another process of this user, or a book
        // change run at the pump above, may have written the file again since.
        replaceWhenRows(TReplyDataset::parseBytes(ByteString(kUtf8Bom, sizeof kUtf8Bom) + utf8Bytes), list);
    } catch (const std::exception& error) {
        showOwnMessage(error);
    }
}

void CatalogueLoader::LoadUnitList(const GbkString& userId, TObjectList<TUnitObj>& list) {
    if (!list.IsEmpty()) return;
    try {
        const GbkString reply = service_.LmvInclass_GetUnitList(userId, "english");
        appendRows(ParseReplyDataset(reply, DeclarationRule::Plain), list);
    } catch (const std::exception&) {
        ShowMessage(QStringLiteral("failed"));
    }
}

void CatalogueLoader::LoadHomeworkList(const GbkString& userId, TObjectList<TTestObj>& list) {
    if (!list.IsEmpty()) return;
    try {
        const GbkString reply = service_.LmvInclass_GetTestList(userId, "english", "0");
        appendRows(ParseReplyDataset(reply, DeclarationRule::Plain), list);
    } catch (const std::exception&) {
        ShowMessage(QStringLiteral("failed"));
    }
}

void CatalogueLoader::LoadClipList(const GbkString& userId, TObjectList<TMediaClipObj>& list) {
    if (!list.IsEmpty()) return;
    GbkString reply;
    try {
        reply = service_.LmvInclass_GetClipList(userId, "english", "102");
        appendRows(ParseReplyDataset(reply, DeclarationRule::Plain), list);
    } catch (const std::exception&) {
        ShowMessage(QStringLiteral("failed:") + gbk::toQString(reply));
    }
}
