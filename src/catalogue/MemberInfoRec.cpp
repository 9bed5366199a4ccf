#include "MemberInfoRec.h"

#include <utility>

#include "service/AppError.h"
#include "service/TReplyDataset.h"

MemberInfoRec ReadMemberInfo(const GbkString& reply, const char* typeAttribute) {
    MemberInfoRec member;
    const TReplyDataset dataset = ParseReplyDataset(reply, DeclarationRule::Plain);
    if (dataset.isEmpty()) return member;
    const TReplyRow row = dataset.firstRow();
    const std::pair<GbkString*, const char*> reads[] = {
        {&member.UserId, "user_id"},        {&member.Passwd, "passwd"},       {&member.TypeId, typeAttribute},
        {&member.LastName, "lastname"},     {&member.FirstName, "firstname"}, {&member.Grade, "grade"},
        {&member.SyllabusId, "syllabusid"}, {&member.Email, "email"},         {&member.Phone, "phone"},
    };
    for (const auto& [field, attribute] : reads) {
        try {
            *field = row.value(attribute);
        } catch (const AppError&) {
            field->clear();
        }
    }
    return member;
}
