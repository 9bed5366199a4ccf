// The mini-lecture catalogue's road: the reply bytes are gzipped here (so the fuzzer works on the
// catalogue rather than on CRCs, which the inflate target covers), handed to the loader as the
// service's byte array, inflated, written behind a BOM to the transit file, parsed from there
// and read into records.
#include <zlib.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "FuzzSupport.h"
#include "catalogue/CatalogueLoader.h"
#include "service/lmvInclassSoap.h"

namespace {

ByteString gzip(const uint8_t* data, size_t size) {
    z_stream stream{};
    if (deflateInit2(&stream, 1, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY) != Z_OK) std::abort();
    ByteString out(deflateBound(&stream, static_cast<uLong>(size)) + 32, '\0');
    stream.next_in = const_cast<Bytef*>(data);
    stream.avail_in = static_cast<uInt>(size);
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = static_cast<uInt>(out.size());
    if (deflate(&stream, Z_FINISH) != Z_STREAM_END) std::abort();
    out.resize(stream.total_out);
    deflateEnd(&stream);
    return out;
}

// Answers the mini-lecture operation with the prepared bytes; nothing else is asked for.
class MiniLectureReply : public lmvInclassSoap {
public:
    ByteString reply;

    GbkString LmvInclass_LogOn(const GbkString&, const GbkString&) override { std::abort(); }
    GbkString LmvInclass_GetTeacherSetting(const GbkString&) override { std::abort(); }
    GbkString LmvInclass_GetBookList(const GbkString&) override { std::abort(); }
    GbkString LmvInclass_GetPageList(const GbkString&, const GbkString&) override { std::abort(); }
    GbkString LmvInclass_GetQuestionType(const GbkString&) override { std::abort(); }
    GbkString LmvInclass_GetWordFamilyList(const GbkString&) override { std::abort(); }
    GbkString LmvInclass_GetUnitList(const GbkString&, const GbkString&) override { std::abort(); }
    ByteString LmvInclass_GetMiniLectureTextJsonList(const GbkString&, const GbkString&,
                                                     const GbkString&) override {
        return reply;
    }
    ByteString LmvInclass_GetPassageTextJsonList(const GbkString&, const GbkString&,
                                                 const GbkString&) override {
        std::abort();
    }
    GbkString LmvInclass_GetStoreList(const GbkString&, const GbkString&) override { std::abort(); }
    GbkString LmvInclass_GetQuestionTypeList(const GbkString&, const GbkString&) override { std::abort(); }
    GbkString LmvInclass_GetKnowledgeList(const GbkString&, const GbkString&) override { std::abort(); }
    GbkString LmvInclass_GetAbilityList(const GbkString&, const GbkString&) override { std::abort(); }
    ByteString LmvInclass_GetSceneTextJsonList(const GbkString&, const GbkString&,
                                               const GbkString&) override {
        std::abort();
    }
    ByteString LmvInclass_GetsyllabusWordList(const GbkString&, const GbkString&, const GbkString&) override {
        std::abort();
    }
    GbkString LmvInclass_GetTestList(const GbkString&, const GbkString&, const GbkString&) override {
        std::abort();
    }
    GbkString LmvInclass_GetClipList(const GbkString&, const GbkString&, const GbkString&) override {
        std::abort();
    }
    GbkString LmvInclass_GetQuestionList(const GbkString&, const GbkString&, const GbkString&,
                                         const GbkString&, const GbkString&, const GbkString&,
                                         const GbkString&, const GbkString&, const GbkString&) override {
        std::abort();
    }
    GbkString LmvInclass_UpdatePageSize(const GbkString&, const GbkString&, const GbkString&,
                                        const GbkString&) override {
        std::abort();
    }
    GbkString LmvInclass_GetDialoguePartList(const GbkString&, const GbkString&) override { std::abort(); }
    GbkString LmvInclass_GetTestTypeList(const GbkString&) override { std::abort(); }
    GbkString LmvInclass_GetAllTestPaperList(const GbkString&, const GbkString&) override { std::abort(); }
    GbkString LmvInclass_GetDialogueList(const GbkString&) override { std::abort(); }
    GbkString LmvInclass_GetSectionList(const GbkString&, const GbkString&, const GbkString&) override {
        std::abort();
    }
    GbkString LmvInclass_getQuestionListFromaSection(const GbkString&, const GbkString&, const GbkString&,
                                                     const GbkString&) override {
        std::abort();
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::silenceMessages();
    static MiniLectureReply service;
    static CatalogueLoader loader(service, fuzz::workFolder());
    service.reply = gzip(data, size);
    TObjectList<TMiniLectureObj> list;
    loader.LoadBookMiniLectures("t1001", "1", "b3a", list);
    return 0;
}
