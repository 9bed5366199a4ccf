#include "HomeworkPdfAddress.h"

QString HomeworkPdfAddress(const QString& classroomHost, const GbkString& homeworkId,
                           const GbkString& userId) {
    return QStringLiteral("https://") + classroomHost + QStringLiteral("/homework/pdf?homeworkid=") +
           gbk::toQString(homeworkId) + QStringLiteral("&userid=") + gbk::toQString(userId);
}
