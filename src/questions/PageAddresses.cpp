#include "PageAddresses.h"

#include "service/UrlEncoding.h"

namespace {

QString queryValue(const GbkString& id) {
    return UrlQueryValue(gbk::toQString(id));
}

QString withSegment(const QString& base, const QString& id) {
    const std::optional<QString> segment = UrlPathSegment(id);
    return segment ? base + *segment : QStringLiteral("about:blank");
}

}  // namespace

QString HomeworkPdfAddress(const QString& classroomHost, const GbkString& homeworkId,
                           const GbkString& userId) {
    return QStringLiteral("https://") + classroomHost + QStringLiteral("/homework/pdf?homeworkid=") +
           queryValue(homeworkId) + QStringLiteral("&userid=") + queryValue(userId);
}

QString HomeworkClassListAddress(const QString& classroomHost, const GbkString& homeworkId) {
    return withSegment(QStringLiteral("https://") + classroomHost + QStringLiteral("/homework/classlist/"),
                       gbk::toQString(homeworkId));
}

QString TestPaperSourceAddress(const QString& classroomHost, const GbkString& testPaperId,
                               const GbkString& userId) {
    return QStringLiteral("https://") + classroomHost + QStringLiteral("/homework/source?sourceid=") +
           queryValue(testPaperId) + QStringLiteral("&userid=") + queryValue(userId);
}

QString QuestionPageAddress(const QString& questionHost, const QString& questionId) {
    return withSegment(QStringLiteral("http://") + questionHost + QStringLiteral(":8090/question/index/"),
                       questionId);
}
