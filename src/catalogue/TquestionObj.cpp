#include "TquestionObj.h"

#include "service/TReplyDataset.h"

TquestionObj TquestionObj::fromRow(const TReplyRow& row) {
    TquestionObj r;
    r.qid = row.value("qid");
    r.qtpid = row.value("qtpid");
    r.typetext = row.value("typetext");
    r.rc = row.value("rc");
    r.wc = row.value("wc");
    r.rt = row.value("rt");
    r.q_identity = row.value("q_identity");
    r.questiontext = row.value("questiontext");
    r.questionfile = row.value("questionfile");
    r.solutiontext = row.value("solutiontext");
    r.solutionfile = row.value("solutionfile");
    r.option1text = row.value("option1text");
    r.option1file = row.value("option1file");
    r.option2text = row.value("option2text");
    r.option2file = row.value("option2file");
    r.option3text = row.value("option3text");
    r.option3file = row.value("option3file");
    r.option4text = row.value("option4text");
    r.option4file = row.value("option4file");
    r.option5text = row.value("option5text");
    r.option5file = row.value("option5file");
    r.qorosectionid = row.value("qorosectionid");
    r.creatorid = row.value("creatorid");
    r.createdate = row.value("createdate");
    r.correct_rate = row.value("correct_rate");
    r.explain = row.value("explain");
    r.explainfile = row.value("explainfile");
    r.status = row.value("status");
    r.sourceid = row.value("sourceid");
    r.remark = row.value("remark");
    r.canpublish = row.value("canpublish");
    r.score = row.value("score");
    r.source_sequence = row.value("source_sequence");
    r.question_sequence = row.value("question_sequence");
    r.difficultyid = row.value("difficultyid");
    if (r.qid.empty()) r.qid = row.value("questionid");
    if (r.rt.empty()) r.rt = row.value("rating");
    if (r.qtpid.empty()) r.qtpid = row.value("questiontypeid");
    return r;
}
