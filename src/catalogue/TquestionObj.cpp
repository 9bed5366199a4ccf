#include "TquestionObj.h"

#include "service/TReplyDataset.h"

namespace {

constexpr TquestionObj::FieldKey kFieldKeys[] = {
    {"qid", &TquestionObj::qid},
    {"qtpid", &TquestionObj::qtpid},
    {"typetext", &TquestionObj::typetext},
    {"rc", &TquestionObj::rc},
    {"wc", &TquestionObj::wc},
    {"rt", &TquestionObj::rt},
    {"q_identity", &TquestionObj::q_identity},
    {"questiontext", &TquestionObj::questiontext},
    {"questionfile", &TquestionObj::questionfile},
    {"solutiontext", &TquestionObj::solutiontext},
    {"solutionfile", &TquestionObj::solutionfile},
    {"option1text", &TquestionObj::option1text},
    {"option1file", &TquestionObj::option1file},
    {"option2text", &TquestionObj::option2text},
    {"option2file", &TquestionObj::option2file},
    {"option3text", &TquestionObj::option3text},
    {"option3file", &TquestionObj::option3file},
    {"option4text", &TquestionObj::option4text},
    {"option4file", &TquestionObj::option4file},
    {"option5text", &TquestionObj::option5text},
    {"option5file", &TquestionObj::option5file},
    {"qorosectionid", &TquestionObj::qorosectionid},
    {"creatorid", &TquestionObj::creatorid},
    {"createdate", &TquestionObj::createdate},
    {"correct_rate", &TquestionObj::correct_rate},
    {"explain", &TquestionObj::explain},
    {"explainfile", &TquestionObj::explainfile},
    {"status", &TquestionObj::status},
    {"sourceid", &TquestionObj::sourceid},
    {"remark", &TquestionObj::remark},
    {"canpublish", &TquestionObj::canpublish},
    {"score", &TquestionObj::score},
    {"source_sequence", &TquestionObj::source_sequence},
    {"question_sequence", &TquestionObj::question_sequence},
    {"difficultyid", &TquestionObj::difficultyid},
};

constexpr TquestionObj::FieldKey kFallbackKeys[] = {
    {"questionid", &TquestionObj::qid},
    {"rating", &TquestionObj::rt},
    {"questiontypeid", &TquestionObj::qtpid},
};

}  // namespace

std::span<const TquestionObj::FieldKey> TquestionObj::fieldKeys() {
    return kFieldKeys;
}

std::span<const TquestionObj::FieldKey, 3> TquestionObj::fallbackKeys() {
    return kFallbackKeys;
}

TquestionObj TquestionObj::fromRow(const TReplyRow& row) {
    TquestionObj r;
    for (const FieldKey& key : kFieldKeys) r.*key.field = row.value(key.key);
    for (const FieldKey& key : kFallbackKeys)
        if ((r.*key.field).empty()) r.*key.field = row.value(key.key);
    return r;
}
