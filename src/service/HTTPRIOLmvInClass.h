#pragma once

#include <functional>
#include <string>

#include "HttpClient.h"
#include "ReplyStore.h"
#include "SoapEnvelope.h"
#include "lmvInclassSoap.h"

// The one classroom service proxy, owned by the data module for the whole run. It keeps only
// its configuration (endpoint, namespace, character-set flag, TLS policy) between calls.
//
// Given a reply store, it keeps the reply of every call that reads (all but the sign-in and the
// page size update) under the call's parameters. Offline, the kept replies are all it answers
// with and nothing goes to the network; a call without a kept reply raises HttpError.
class HTTPRIOLmvInClass : public lmvInclassSoap {
public:
    explicit HTTPRIOLmvInClass(std::string serviceNamespace = "http://tempuri.org/");

    void setURL(const std::string& url) { url_ = url; }
    const std::string& URL() const { return url_; }
    // When on, the content type carries charset="utf-8".
    void setUseUtf8InHeader(bool on) { useUtf8InHeader_ = on; }
    bool useUtf8InHeader() const { return useUtf8InHeader_; }
    const std::string& serviceNamespace() const { return namespace_; }
    void setTls(TlsPolicy tls) { http_ = HttpClient(std::move(tls)); }
    void setHttpClient(HttpClient http) { http_ = std::move(http); }

    lmvInclassSoap* GetlmvInclassSoap() { return this; }

    void setReplyStore(ReplyStore* store) { replies_ = store; }
    void setOffline(bool offline) { offline_ = offline; }
    bool offline() const { return offline_; }
    // Runs when a call could not reach the service (no connection, no name, time-out), right
    // before its HttpError is raised to the caller.
    void setUnreachableHandler(std::function<void()> handler) { unreachable_ = std::move(handler); }

    GbkString LmvInclass_LogOn(const GbkString& email, const GbkString& password) override;
    GbkString LmvInclass_GetTeacherSetting(const GbkString& userid) override;
    GbkString LmvInclass_GetBookList(const GbkString& subjectid) override;
    GbkString LmvInclass_GetPageList(const GbkString& bookid, const GbkString& baseurl) override;
    GbkString LmvInclass_GetQuestionType(const GbkString& memberid) override;
    GbkString LmvInclass_GetWordFamilyList(const GbkString& userid) override;
    GbkString LmvInclass_GetUnitList(const GbkString& userid, const GbkString& subject) override;
    ByteString LmvInclass_GetMiniLectureTextJsonList(const GbkString& userid, const GbkString& syllabusid,
                                                     const GbkString& bookid) override;
    ByteString LmvInclass_GetPassageTextJsonList(const GbkString& userid, const GbkString& syllabusid,
                                                 const GbkString& bookid) override;
    GbkString LmvInclass_GetStoreList(const GbkString& userid, const GbkString& subject) override;
    GbkString LmvInclass_GetQuestionTypeList(const GbkString& userid, const GbkString& subject) override;
    GbkString LmvInclass_GetKnowledgeList(const GbkString& userid, const GbkString& subject) override;
    GbkString LmvInclass_GetAbilityList(const GbkString& userid, const GbkString& subject) override;
    ByteString LmvInclass_GetSceneTextJsonList(const GbkString& userid, const GbkString& syllabusid,
                                               const GbkString& bookid) override;
    ByteString LmvInclass_GetsyllabusWordList(const GbkString& userid, const GbkString& syllabusid,
                                              const GbkString& bookid) override;
    GbkString LmvInclass_GetTestList(const GbkString& userid, const GbkString& subject,
                                     const GbkString& Testtypeid) override;
    GbkString LmvInclass_GetClipList(const GbkString& userid, const GbkString& subject,
                                     const GbkString& packageid) override;
    GbkString LmvInclass_GetQuestionList(const GbkString& userid, const GbkString& subject,
                                         const GbkString& testpaperid, const GbkString& storeids,
                                         const GbkString& questiontypeids, const GbkString& knowledgeids,
                                         const GbkString& abilityids, const GbkString& keywords,
                                         const GbkString& testpaperstatus) override;
    GbkString LmvInclass_UpdatePageSize(const GbkString& pageid, const GbkString& bookid,
                                        const GbkString& width, const GbkString& height) override;
    GbkString LmvInclass_GetDialoguePartList(const GbkString& userid, const GbkString& DialogueId) override;
    GbkString LmvInclass_GetTestTypeList(const GbkString& userid) override;
    GbkString LmvInclass_GetAllTestPaperList(const GbkString& userid, const GbkString& testtypeid) override;
    GbkString LmvInclass_GetDialogueList(const GbkString& userid) override;
    GbkString LmvInclass_GetSectionList(const GbkString& userid, const GbkString& subject,
                                        const GbkString& unitcode) override;
    GbkString LmvInclass_getQuestionListFromaSection(const GbkString& userid, const GbkString& subject,
                                                     const GbkString& unitcode,
                                                     const GbkString& sectionid) override;

private:
    // What the result element holds: text, or base64-encoded bytes.
    enum class Result { Text, Bytes };
    // Posts one operation; returns the result element's UTF-8 text, or its decoded bytes.
    std::string invoke(const std::string& operation,
                       std::initializer_list<std::pair<const char*, const GbkString*>> parameters,
                       Result result = Result::Text);
    GbkString callText(const std::string& operation,
                       std::initializer_list<std::pair<const char*, const GbkString*>> parameters);
    ByteString callBytes(const std::string& operation,
                         std::initializer_list<std::pair<const char*, const GbkString*>> parameters);

    std::string post(const std::string& operation, const soap::Parameters& wire, Result result);

    std::string namespace_;
    std::string url_;
    bool useUtf8InHeader_ = false;
    HttpClient http_;
    ReplyStore* replies_ = nullptr;
    bool offline_ = false;
    std::function<void()> unreachable_;
};
