#include "PlaceStore.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

#include "service/AtomicFile.h"
#include "service/XdgBase.h"

namespace {

// A place or screen file is a few hundred bytes; anything much larger is not ours.
constexpr qint64 kMaxFileSize = 64 * 1024;

std::optional<QJsonObject> readObject(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxFileSize) return std::nullopt;
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll(), &error);
    if (error.error != QJsonParseError::NoError || !document.isObject()) return std::nullopt;
    return document.object();
}

// Every listed key must hold a string, or the file is not one this program wrote.
std::optional<QStringList> strings(const QJsonObject& object, const QStringList& keys) {
    QStringList values;
    for (const QString& key : keys) {
        const QJsonValue value = object.value(key);
        if (!value.isString()) return std::nullopt;
        values << value.toString();
    }
    return values;
}

const QStringList kPlaceKeys = {"book", "unit", "resource", "page", "bookName", "unitName", "pageName"};

}  // namespace

PlaceStore::PlaceStore(QString folder) : folder_(std::move(folder)) {}

QString PlaceStore::defaultFolder() {
    return XdgBase("XDG_STATE_HOME", ".local/state") + QStringLiteral("/lumoclass/");
}

QString PlaceStore::placeFile(const QByteArray& account) const {
    return QDir(folder_).filePath(
        QString::fromLatin1(QCryptographicHash::hash(account, QCryptographicHash::Sha256).toHex()));
}

QString PlaceStore::screenFile() const {
    return QDir(folder_).filePath(QStringLiteral("screen"));
}

std::optional<LessonPlace> PlaceStore::LoadPlace(const QByteArray& account) const {
    const std::optional<QJsonObject> object = readObject(placeFile(account));
    if (!object) return std::nullopt;
    const std::optional<QStringList> v = strings(*object, kPlaceKeys);
    if (!v || v->at(0).isEmpty() || v->at(1).isEmpty()) return std::nullopt;
    return LessonPlace{v->at(0), v->at(1), v->at(2), v->at(3), v->at(4), v->at(5), v->at(6)};
}

void PlaceStore::SavePlace(const QByteArray& account, const LessonPlace& place) const {
    const QStringList values = {place.bookId,   place.unitCode, place.resource, place.pageId,
                                place.bookName, place.unitName, place.pageName};
    QJsonObject object;
    for (int i = 0; i < kPlaceKeys.size(); ++i) object.insert(kPlaceKeys.at(i), values.at(i));
    write(placeFile(account), QJsonDocument(object).toJson(QJsonDocument::Compact));
}

void PlaceStore::ForgetPlace(const QByteArray& account) const {
    QFile::remove(placeFile(account));
}

namespace {

std::optional<RememberedScreen> screenIn(const QJsonObject& object) {
    if (!object.value("name").isString()) return std::nullopt;
    int numbers[4];
    const char* keys[] = {"x", "y", "width", "height"};
    for (int i = 0; i < 4; ++i) {
        const QJsonValue value = object.value(QLatin1String(keys[i]));
        if (!value.isDouble()) return std::nullopt;
        numbers[i] = value.toInt();
    }
    return RememberedScreen{object.value("name").toString(),
                            QRect(numbers[0], numbers[1], numbers[2], numbers[3])};
}

void putScreen(QJsonObject& object, const RememberedScreen& screen) {
    object.insert("name", screen.name);
    object.insert("x", screen.geometry.x());
    object.insert("y", screen.geometry.y());
    object.insert("width", screen.geometry.width());
    object.insert("height", screen.geometry.height());
}

const QString kProjectorKey = QStringLiteral("projector");

}  // namespace

std::optional<RememberedScreen> PlaceStore::LoadScreen() const {
    const std::optional<QJsonObject> object = readObject(screenFile());
    return object ? screenIn(*object) : std::nullopt;
}

void PlaceStore::SaveScreen(const RememberedScreen& screen) const {
    // Rewritten whole, keeping what else the file holds (the projector's screen).
    QJsonObject object = readObject(screenFile()).value_or(QJsonObject());
    putScreen(object, screen);
    write(screenFile(), QJsonDocument(object).toJson(QJsonDocument::Compact));
}

std::optional<RememberedScreen> PlaceStore::LoadProjector() const {
    const std::optional<QJsonObject> object = readObject(screenFile());
    return object ? screenIn(object->value(kProjectorKey).toObject()) : std::nullopt;
}

void PlaceStore::SaveProjector(const RememberedScreen& screen) const {
    QJsonObject object = readObject(screenFile()).value_or(QJsonObject());
    QJsonObject projector;
    putScreen(projector, screen);
    object.insert(kProjectorKey, projector);
    write(screenFile(), QJsonDocument(object).toJson(QJsonDocument::Compact));
}

void PlaceStore::write(const QString& path, const QByteArray& bytes) const {
    if (!QDir().mkpath(folder_)) return;
    QFile::setPermissions(folder_, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    // Renamed over the old file only once complete, a reader never sees half a place.
    AtomicFile::writeFile(QFile::encodeName(path).toStdString(), temporaryPrefix(), std::string_view(bytes),
                          0600);
}
