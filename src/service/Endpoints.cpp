#include "Endpoints.h"

#include <QByteArray>

namespace {

QString queryValue(const QString& text) {
    return QString::fromLatin1(text.toUtf8().toPercentEncoding());
}

QString queryValue(const GbkString& id) {
    return queryValue(gbk::toQString(id));
}

std::string queryValueBytes(const GbkString& text) {
    const std::string& bytes = text.bytes();
    return QByteArray(bytes.data(), qsizetype(bytes.size())).toPercentEncoding().toStdString();
}

QString withSegment(const QString& base, const QString& text) {
    if (text == QLatin1String(".") || text == QLatin1String("..")) return QStringLiteral("about:blank");
    return base + queryValue(text);
}

}  // namespace

namespace Endpoints {

QString classroomService(const QString& classroomHost, bool tls) {
    return (tls ? QStringLiteral("https://") : QStringLiteral("http://")) + classroomHost +
           QStringLiteral("/lmv-inclass/lmvInclass.asmx");
}

std::string accountNotification(const QString& scheme, const QString& accountHost, const GbkString& userId,
                                const GbkString& account) {
    return scheme.toStdString() + "://" + accountHost.toStdString() +
           "/api/zavive/RealNameAuthentication?device=pc&userid=" + queryValueBytes(userId) +
           "&account=" + queryValueBytes(account);
}

std::string syllabusSubjects(const GbkString& webServiceHost, const GbkString& syllabusId) {
    return "http://" + (webServiceHost + "/syllabus/" + syllabusId + "_subjects.xml").bytes();
}

GbkString pictureBase(const GbkString& contentHost) {
    GbkString base = "https://" + contentHost;
    while (!base.empty() && base.back() == '/') base.pop_back();
    return base;
}

std::string mediaReference(const char* scheme, const QString& classroomHost, const char* path,
                           const GbkString& value) {
    return std::string(scheme) + "://" + classroomHost.toStdString() + path + value.bytes();
}

QString mediaPlayer(const QString& classroomHost, const QString& page, const QString& queryFirstPart,
                    int width, const GbkString& reply) {
    return QStringLiteral("https://") + classroomHost + QStringLiteral("/mediaplayerhtml/") + page +
           queryFirstPart + QString::number(width) + QStringLiteral("px&url=") + gbk::toQString(reply);
}

QString homeworkPdf(const QString& classroomHost, const GbkString& homeworkId, const GbkString& userId) {
    return QStringLiteral("https://") + classroomHost + QStringLiteral("/homework/pdf?homeworkid=") +
           queryValue(homeworkId) + QStringLiteral("&userid=") + queryValue(userId);
}

QString homeworkClassList(const QString& classroomHost, const GbkString& homeworkId) {
    return withSegment(QStringLiteral("https://") + classroomHost + QStringLiteral("/homework/classlist/"),
                       gbk::toQString(homeworkId));
}

QString testPaperSource(const QString& classroomHost, const GbkString& testPaperId, const GbkString& userId) {
    return QStringLiteral("https://") + classroomHost + QStringLiteral("/homework/source?sourceid=") +
           queryValue(testPaperId) + QStringLiteral("&userid=") + queryValue(userId);
}

QString questionPage(const QString& questionHost, const QString& questionId) {
    return withSegment(QStringLiteral("http://") + questionHost + QStringLiteral(":8090/question/index/"),
                       questionId);
}

}  // namespace Endpoints
