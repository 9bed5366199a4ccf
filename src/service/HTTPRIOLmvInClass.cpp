#include "HTTPRIOLmvInClass.h"

#include "AppError.h"

HTTPRIOLmvInClass::HTTPRIOLmvInClass(std::string serviceNamespace)
    : namespace_(std::move(serviceNamespace)) {}

namespace {

// What the sign-in sends must never be written down, and a size update is no reply to keep.
bool keepsReply(const std::string& operation) {
    return operation != "LmvInclass_LogOn" && operation != "LmvInclass_UpdatePageSize";
}

std::string requestKey(const soap::Parameters& wire) {
    std::string key;
    for (const auto& [name, value] : wire) key += name + "=" + value + "\n";
    return key;
}

}  // namespace

std::string HTTPRIOLmvInClass::invoke(
    const std::string& operation, std::initializer_list<std::pair<const char*, const GbkString*>> parameters,
    Result result) {
    soap::Parameters wire;
    wire.reserve(parameters.size());
    for (const auto& [name, value] : parameters) wire.emplace_back(name, gbk::toUtf8(*value));
    const bool keeps = replies_ != nullptr && keepsReply(operation);
    if (offline_) {
        std::optional<std::string> kept = keeps ? replies_->kept(operation, requestKey(wire)) : std::nullopt;
        if (!kept) throw HttpError("No reply to " + operation + " was kept for working offline");
        return std::move(*kept);
    }
    std::string reply;
    try {
        reply = post(operation, wire, result);
    } catch (const HttpError& error) {
        if (error.unreachable() && unreachable_) unreachable_();
        throw;
    }
    if (keeps) replies_->keep(operation, requestKey(wire), reply);
    return reply;
}

std::string HTTPRIOLmvInClass::post(const std::string& operation, const soap::Parameters& wire,
                                    Result result) {
    if (url_.empty()) throw SoapError("No URL was set for the classroom service (" + operation + ")");
    const std::vector<std::string> headers = {
        useUtf8InHeader_ ? "Content-Type: text/xml; charset=\"utf-8\"" : "Content-Type: text/xml",
        "SOAPAction: \"" + namespace_ + operation + "\"",
    };
    const HttpResponse response = http_.post(url_, soap::buildRequest(namespace_, operation, wire), headers);
    const bool success = response.status >= 200 && response.status <= 299;
    if (success) {
        return result == Result::Bytes ? soap::readBytesResult(response.body, operation)
                                       : soap::readResult(response.body, operation);
    }
    // A fault arrives with status 500; any other error status is reported as such.
    try {
        soap::readResult(response.body, operation);
    } catch (const SoapFault&) {
        throw;
    } catch (const AppError&) {
    }
    throw HttpError("HTTP status " + std::to_string(response.status) + " from " + url_, response.status);
}

GbkString HTTPRIOLmvInClass::callText(
    const std::string& operation,
    std::initializer_list<std::pair<const char*, const GbkString*>> parameters) {
    return gbk::fromUtf8(invoke(operation, parameters));
}

ByteString HTTPRIOLmvInClass::callBytes(
    const std::string& operation,
    std::initializer_list<std::pair<const char*, const GbkString*>> parameters) {
    return invoke(operation, parameters, Result::Bytes);
}

#define LMV_PARAM(name) \
    { #name, &name }

GbkString HTTPRIOLmvInClass::LmvInclass_LogOn(const GbkString& email, const GbkString& password) {
    return callText("LmvInclass_LogOn", {LMV_PARAM(email), LMV_PARAM(password)});
}
GbkString HTTPRIOLmvInClass::LmvInclass_GetTeacherSetting(const GbkString& userid) {
    return callText("LmvInclass_GetTeacherSetting", {LMV_PARAM(userid)});
}
GbkString HTTPRIOLmvInClass::LmvInclass_GetBookList(const GbkString& subjectid) {
    return callText("LmvInclass_GetBookList", {LMV_PARAM(subjectid)});
}
GbkString HTTPRIOLmvInClass::LmvInclass_GetPageList(const GbkString& bookid, const GbkString& baseurl) {
    return callText("LmvInclass_GetPageList", {LMV_PARAM(bookid), LMV_PARAM(baseurl)});
}
GbkString HTTPRIOLmvInClass::LmvInclass_GetQuestionType(const GbkString& memberid) {
    return callText("LmvInclass_GetQuestionType", {LMV_PARAM(memberid)});
}
GbkString HTTPRIOLmvInClass::LmvInclass_GetWordFamilyList(const GbkString& userid) {
    return callText("LmvInclass_GetWordFamilyList", {LMV_PARAM(userid)});
}
GbkString HTTPRIOLmvInClass::LmvInclass_GetUnitList(const GbkString& userid, const GbkString& subject) {
    return callText("LmvInclass_GetUnitList", {LMV_PARAM(userid), LMV_PARAM(subject)});
}
ByteString HTTPRIOLmvInClass::LmvInclass_GetMiniLectureTextJsonList(const GbkString& userid,
                                                                    const GbkString& syllabusid,
                                                                    const GbkString& bookid) {
    return callBytes("LmvInclass_GetMiniLectureTextJsonList",
                     {LMV_PARAM(userid), LMV_PARAM(syllabusid), LMV_PARAM(bookid)});
}
ByteString HTTPRIOLmvInClass::LmvInclass_GetPassageTextJsonList(const GbkString& userid,
                                                                const GbkString& syllabusid,
                                                                const GbkString& bookid) {
    return callBytes("LmvInclass_GetPassageTextJsonList",
                     {LMV_PARAM(userid), LMV_PARAM(syllabusid), LMV_PARAM(bookid)});
}
GbkString HTTPRIOLmvInClass::LmvInclass_GetStoreList(const GbkString& userid, const GbkString& subject) {
    return callText("LmvInclass_GetStoreList", {LMV_PARAM(userid), LMV_PARAM(subject)});
}
GbkString HTTPRIOLmvInClass::LmvInclass_GetQuestionTypeList(const GbkString& userid,
                                                            const GbkString& subject) {
    return callText("LmvInclass_GetQuestionTypeList", {LMV_PARAM(userid), LMV_PARAM(subject)});
}
GbkString HTTPRIOLmvInClass::LmvInclass_GetKnowledgeList(const GbkString& userid, const GbkString& subject) {
    return callText("LmvInclass_GetKnowledgeList", {LMV_PARAM(userid), LMV_PARAM(subject)});
}
GbkString HTTPRIOLmvInClass::LmvInclass_GetAbilityList(const GbkString& userid, const GbkString& subject) {
    return callText("LmvInclass_GetAbilityList", {LMV_PARAM(userid), LMV_PARAM(subject)});
}
ByteString HTTPRIOLmvInClass::LmvInclass_GetSceneTextJsonList(const GbkString& userid,
                                                              const GbkString& syllabusid,
                                                              const GbkString& bookid) {
    return callBytes("LmvInclass_GetSceneTextJsonList",
                     {LMV_PARAM(userid), LMV_PARAM(syllabusid), LMV_PARAM(bookid)});
}
ByteString HTTPRIOLmvInClass::LmvInclass_GetsyllabusWordList(const GbkString& userid,
                                                             const GbkString& syllabusid,
                                                             const GbkString& bookid) {
    return callBytes("LmvInclass_GetsyllabusWordList",
                     {LMV_PARAM(userid), LMV_PARAM(syllabusid), LMV_PARAM(bookid)});
}
GbkString HTTPRIOLmvInClass::LmvInclass_GetTestList(const GbkString& userid, const GbkString& subject,
                                                    const GbkString& Testtypeid) {
    return callText("LmvInclass_GetTestList", {LMV_PARAM(userid), LMV_PARAM(subject), LMV_PARAM(Testtypeid)});
}
GbkString HTTPRIOLmvInClass::LmvInclass_GetClipList(const GbkString& userid, const GbkString& subject,
                                                    const GbkString& packageid) {
    return callText("LmvInclass_GetClipList", {LMV_PARAM(userid), LMV_PARAM(subject), LMV_PARAM(packageid)});
}
GbkString HTTPRIOLmvInClass::LmvInclass_GetQuestionList(
    const GbkString& userid, const GbkString& subject, const GbkString& testpaperid,
    const GbkString& storeids, const GbkString& questiontypeids, const GbkString& knowledgeids,
    const GbkString& abilityids, const GbkString& keywords, const GbkString& testpaperstatus) {
    return callText("LmvInclass_GetQuestionList",
                    {LMV_PARAM(userid), LMV_PARAM(subject), LMV_PARAM(testpaperid), LMV_PARAM(storeids),
                     LMV_PARAM(questiontypeids), LMV_PARAM(knowledgeids), LMV_PARAM(abilityids),
                     LMV_PARAM(keywords), LMV_PARAM(testpaperstatus)});
}
GbkString HTTPRIOLmvInClass::LmvInclass_UpdatePageSize(const GbkString& pageid, const GbkString& bookid,
                                                       const GbkString& width, const GbkString& height) {
    return callText("LmvInclass_UpdatePageSize",
                    {LMV_PARAM(pageid), LMV_PARAM(bookid), LMV_PARAM(width), LMV_PARAM(height)});
}
GbkString HTTPRIOLmvInClass::LmvInclass_GetDialoguePartList(const GbkString& userid,
                                                            const GbkString& DialogueId) {
    return callText("LmvInclass_GetDialoguePartList", {LMV_PARAM(userid), LMV_PARAM(DialogueId)});
}
GbkString HTTPRIOLmvInClass::LmvInclass_GetTestTypeList(const GbkString& userid) {
    return callText("LmvInclass_GetTestTypeList", {LMV_PARAM(userid)});
}
GbkString HTTPRIOLmvInClass::LmvInclass_GetAllTestPaperList(const GbkString& userid,
                                                            const GbkString& testtypeid) {
    return callText("LmvInclass_GetAllTestPaperList", {LMV_PARAM(userid), LMV_PARAM(testtypeid)});
}
GbkString HTTPRIOLmvInClass::LmvInclass_GetDialogueList(const GbkString& userid) {
    return callText("LmvInclass_GetDialogueList", {LMV_PARAM(userid)});
}
GbkString HTTPRIOLmvInClass::LmvInclass_GetSectionList(const GbkString& userid, const GbkString& subject,
                                                       const GbkString& unitcode) {
    return callText("LmvInclass_GetSectionList",
                    {LMV_PARAM(userid), LMV_PARAM(subject), LMV_PARAM(unitcode)});
}
GbkString HTTPRIOLmvInClass::LmvInclass_getQuestionListFromaSection(const GbkString& userid,
                                                                    const GbkString& subject,
                                                                    const GbkString& unitcode,
                                                                    const GbkString& sectionid) {
    return callText("LmvInclass_getQuestionListFromaSection",
                    {LMV_PARAM(userid), LMV_PARAM(subject), LMV_PARAM(unitcode), LMV_PARAM(sectionid)});
}
