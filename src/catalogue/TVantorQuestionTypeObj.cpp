#include "TVantorQuestionTypeObj.h"

#include "service/TReplyDataset.h"

TVantorQuestionTypeObj TVantorQuestionTypeObj::fromRow(const TReplyRow& row) {
    TVantorQuestionTypeObj r;
    r.questiontypeid = row.value("questiontypeid");
    r.QuestTypeName = row.value("QuestTypeName");
    return r;
}
