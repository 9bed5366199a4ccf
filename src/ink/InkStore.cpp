#include "InkStore.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDataStream>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QIODevice>

#include "service/AtomicFile.h"
#include "service/XdgBase.h"

namespace {

constexpr quint32 kMagic = 0x4C4D494B;  // "LMIK"
constexpr quint16 kVersion = 1;
// Each point is three floats; a count beyond what the bytes can hold is damage.
constexpr qint64 kPointBytes = 12;

}  // namespace

InkStore::InkStore(QString folder, QObject* parent) : QObject(parent), folder_(std::move(folder)) {
    save_.setSingleShot(true);
    save_.setInterval(kSaveDelayMs);
    connect(&save_, &QTimer::timeout, this, &InkStore::flush);
    if (QCoreApplication::instance() != nullptr)
        connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, this, &InkStore::flush);
}

InkStore::~InkStore() {
    flush();
}

QString InkStore::defaultFolder() {
    return XdgBase("XDG_STATE_HOME", ".local/state") + QStringLiteral("/lumoclass/");
}

QString InkStore::inkFile(const QByteArray& account) const {
    return QDir(folder_).filePath(
        QString::fromLatin1(QCryptographicHash::hash(account, QCryptographicHash::Sha256).toHex()) +
        QStringLiteral(".ink"));
}

void InkStore::attach(const QByteArray& account) {
    detach();
    account_ = account;
    attached_ = true;
    QFile file(inkFile(account));
    if (file.open(QIODevice::ReadOnly) && file.size() <= kMaxFileBytes) decode(file.read(kMaxFileBytes + 1));
    emit reloaded();
}

void InkStore::detach() {
    flush();
    attached_ = false;
    account_.clear();
    if (books_.empty()) return;
    books_.clear();
    emit reloaded();
}

PageInk& InkStore::page(const QString& book, const QString& pageId) {
    return books_[book].pages[pageId];
}

const PageInk* InkStore::find(const QString& book, const QString& pageId) const {
    const auto found = books_.find(book);
    if (found == books_.end()) return nullptr;
    const auto page = found->second.pages.find(pageId);
    return page == found->second.pages.end() ? nullptr : &page->second;
}

void InkStore::changed(const QString& book, const QString& pageId) {
    books_[book].inked = QDateTime::currentMSecsSinceEpoch();
    if (attached_) {
        dirty_ = true;
        if (!save_.isActive()) save_.start();
    }
    emit inkChanged(book, pageId);
}

void InkStore::flush() {
    save_.stop();
    if (!attached_ || !dirty_) return;
    dirty_ = false;
    const QByteArray bytes = encode();
    if (!QDir().mkpath(folder_)) return;
    QFile::setPermissions(folder_, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    AtomicFile::writeFile(QFile::encodeName(inkFile(account_)).toStdString(), temporaryPrefix(),
                          std::string_view(bytes.constData(), std::size_t(bytes.size())), 0600);
}

QByteArray InkStore::encodeAll() const {
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_6_0);
    out.setFloatingPointPrecision(QDataStream::SinglePrecision);
    out << kMagic << kVersion;
    quint32 books = 0;
    for (const auto& [id, book] : books_)
        for (const auto& [pageId, page] : book.pages)
            if (!page.empty()) {
                ++books;
                break;
            }
    out << books;
    for (const auto& [id, book] : books_) {
        quint32 pages = 0;
        for (const auto& [pageId, page] : book.pages) pages += page.empty() ? 0 : 1;
        if (pages == 0) continue;
        out << id << qint64(book.inked) << pages;
        for (const auto& [pageId, page] : book.pages) {
            if (page.empty()) continue;
            out << pageId << quint32(page.strokes().size());
            for (const auto& stroke : page.strokes()) {
                out << quint8(stroke->tool) << quint32(stroke->colour) << stroke->width
                    << quint32(stroke->points.size());
                for (const InkPoint& point : stroke->points) out << point.x << point.y << point.pressure;
            }
        }
    }
    return bytes;
}

QByteArray InkStore::encode() {
    QByteArray bytes = encodeAll();
    while (bytes.size() > kMaxFileBytes && !books_.empty()) {
        auto oldest = books_.begin();
        for (auto it = books_.begin(); it != books_.end(); ++it)
            if (it->second.inked < oldest->second.inked) oldest = it;
        books_.erase(oldest);
        bytes = encodeAll();
    }
    return bytes;
}

bool InkStore::decode(const QByteArray& bytes) {
    books_.clear();
    QDataStream in(bytes);
    in.setVersion(QDataStream::Qt_6_0);
    in.setFloatingPointPrecision(QDataStream::SinglePrecision);
    quint32 magic = 0, bookCount = 0;
    quint16 version = 0;
    in >> magic >> version >> bookCount;
    if (in.status() != QDataStream::Ok || magic != kMagic || version != kVersion) return false;
    std::map<QString, Book> books;
    for (quint32 b = 0; b < bookCount && in.status() == QDataStream::Ok; ++b) {
        QString id;
        qint64 inked = 0;
        quint32 pageCount = 0;
        in >> id >> inked >> pageCount;
        Book& book = books[id];
        book.inked = inked;
        for (quint32 p = 0; p < pageCount && in.status() == QDataStream::Ok; ++p) {
            QString pageId;
            quint32 strokeCount = 0;
            in >> pageId >> strokeCount;
            PageInk::Strokes strokes;
            for (quint32 s = 0; s < strokeCount && in.status() == QDataStream::Ok; ++s) {
                InkStroke stroke;
                quint8 tool = 0;
                quint32 colour = 0, pointCount = 0;
                in >> tool >> colour >> stroke.width >> pointCount;
                if (tool > quint8(InkTool::Highlighter) || qint64(pointCount) * kPointBytes > bytes.size()) {
                    in.setStatus(QDataStream::ReadCorruptData);
                    break;
                }
                stroke.tool = InkTool(tool);
                stroke.colour = colour;
                stroke.points.resize(pointCount);
                for (InkPoint& point : stroke.points) in >> point.x >> point.y >> point.pressure;
                stroke.updateBounds();
                strokes.push_back(std::make_shared<const InkStroke>(std::move(stroke)));
            }
            book.pages[pageId].restore(std::move(strokes));
        }
    }
    if (in.status() != QDataStream::Ok || !in.atEnd()) return false;
    books_ = std::move(books);
    return true;
}
