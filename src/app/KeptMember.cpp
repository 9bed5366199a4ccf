#include "KeptMember.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <array>

namespace {

constexpr const char* kFileName = "member";

struct Field {
    const char* key;
    GbkString MemberInfoRec::*value;
};

// Every field but Passwd.
constexpr std::array<Field, 8> kFields = {{{"UserId", &MemberInfoRec::UserId},
                                           {"TypeId", &MemberInfoRec::TypeId},
                                           {"LastName", &MemberInfoRec::LastName},
                                           {"FirstName", &MemberInfoRec::FirstName},
                                           {"Grade", &MemberInfoRec::Grade},
                                           {"SyllabusId", &MemberInfoRec::SyllabusId},
                                           {"Email", &MemberInfoRec::Email},
                                           {"Phone", &MemberInfoRec::Phone}}};

}  // namespace

void KeepMember(const ReplyStore& store, const GbkString& account, const MemberInfoRec& member) {
    QJsonObject object;
    for (const Field& field : kFields)
        object.insert(QLatin1String(field.key), gbk::toQString(member.*field.value));
    store.keepNamed(account, kFileName, QJsonDocument(object).toJson(QJsonDocument::Compact).toStdString());
}

std::optional<MemberInfoRec> KeptMember(const ReplyStore& store, const GbkString& account) {
    const std::optional<std::string> bytes = store.keptNamed(account, kFileName);
    if (!bytes) return std::nullopt;
    const QJsonDocument document = QJsonDocument::fromJson(QByteArray::fromStdString(*bytes));
    if (!document.isObject()) return std::nullopt;
    const QJsonObject object = document.object();
    MemberInfoRec member;
    for (const Field& field : kFields) {
        const QJsonValue value = object.value(QLatin1String(field.key));
        if (!value.isString()) return std::nullopt;
        member.*field.value = gbk::fromQString(value.toString());
    }
    return member;
}
