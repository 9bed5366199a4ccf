#pragma once

#include "GbkText.h"

// The classroom service interface. Text arguments and results are GBK; Bytes results are the
// raw bytes decoded from base64. Every call blocks until the reply is in and raises on failure
// (HttpError, SoapFault, SoapError).
class lmvInclassSoap {
public:
    virtual ~lmvInclassSoap() = default;

    virtual GbkString LmvInclass_LogOn(const GbkString& email, const GbkString& password) = 0;
    virtual GbkString LmvInclass_GetTeacherSetting(const GbkString& userid) = 0;
    virtual GbkString LmvInclass_GetBookList(const GbkString& subjectid) = 0;
    virtual GbkString LmvInclass_GetPageList(const GbkString& bookid, const GbkString& baseurl) = 0;
    virtual GbkString LmvInclass_GetQuestionType(const GbkString& memberid) = 0;
    virtual GbkString LmvInclass_GetWordFamilyList(const GbkString& userid) = 0;
    virtual GbkString LmvInclass_GetUnitList(const GbkString& userid, const GbkString& subject) = 0;
    virtual ByteString LmvInclass_GetMiniLectureTextJsonList(const GbkString& userid,
                                                             const GbkString& syllabusid,
                                                             const GbkString& bookid) = 0;
    virtual ByteString LmvInclass_GetPassageTextJsonList(const GbkString& userid, const GbkString& syllabusid,
                                                         const GbkString& bookid) = 0;
    virtual GbkString LmvInclass_GetStoreList(const GbkString& userid, const GbkString& subject) = 0;
    virtual GbkString LmvInclass_GetQuestionTypeList(const GbkString& userid, const GbkString& subject) = 0;
    virtual GbkString LmvInclass_GetKnowledgeList(const GbkString& userid, const GbkString& subject) = 0;
    virtual GbkString LmvInclass_GetAbilityList(const GbkString& userid, const GbkString& subject) = 0;
    virtual ByteString LmvInclass_GetSceneTextJsonList(const GbkString& userid, const GbkString& syllabusid,
                                                       const GbkString& bookid) = 0;
    virtual ByteString LmvInclass_GetsyllabusWordList(const GbkString& userid, const GbkString& syllabusid,
                                                      const GbkString& bookid) = 0;
    virtual GbkString LmvInclass_GetTestList(const GbkString& userid, const GbkString& subject,
                                             const GbkString& Testtypeid) = 0;
    virtual GbkString LmvInclass_GetClipList(const GbkString& userid, const GbkString& subject,
                                             const GbkString& packageid) = 0;
    virtual GbkString LmvInclass_GetQuestionList(const GbkString& userid, const GbkString& subject,
                                                 const GbkString& testpaperid, const GbkString& storeids,
                                                 const GbkString& questiontypeids,
                                                 const GbkString& knowledgeids, const GbkString& abilityids,
                                                 const GbkString& keywords,
                                                 const GbkString& testpaperstatus) = 0;
    virtual GbkString LmvInclass_UpdatePageSize(const GbkString& pageid, const GbkString& bookid,
                                                const GbkString& width, const GbkString& height) = 0;
    virtual GbkString LmvInclass_GetDialoguePartList(const GbkString& userid,
                                                     const GbkString& DialogueId) = 0;
    virtual GbkString LmvInclass_GetTestTypeList(const GbkString& userid) = 0;
    virtual GbkString LmvInclass_GetAllTestPaperList(const GbkString& userid,
                                                     const GbkString& testtypeid) = 0;
    virtual GbkString LmvInclass_GetDialogueList(const GbkString& userid) = 0;
    virtual GbkString LmvInclass_GetSectionList(const GbkString& userid, const GbkString& subject,
                                                const GbkString& unitcode) = 0;
    virtual GbkString LmvInclass_getQuestionListFromaSection(const GbkString& userid,
                                                             const GbkString& subject,
                                                             const GbkString& unitcode,
                                                             const GbkString& sectionid) = 0;
};
