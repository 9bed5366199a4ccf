#pragma once

#include "service/GbkText.h"

class TReplyRow;

// A catalogue record: a question of the question bank; qid, rt and qtpid fall back to questionid, rating and
// questiontypeid when empty. Every field is the GBK text the service sent, trimmed; empty means no value.
struct TquestionObj {
    GbkString qid;
    GbkString qtpid;
    GbkString typetext;
    GbkString rc;
    GbkString wc;
    GbkString rt;
    GbkString q_identity;
    GbkString questiontext;
    GbkString questionfile;
    GbkString solutiontext;
    GbkString solutionfile;
    GbkString option1text;
    GbkString option1file;
    GbkString option2text;
    GbkString option2file;
    GbkString option3text;
    GbkString option3file;
    GbkString option4text;
    GbkString option4file;
    GbkString option5text;
    GbkString option5file;
    GbkString qorosectionid;
    GbkString creatorid;
    GbkString createdate;
    GbkString correct_rate;
    GbkString explain;
    GbkString explainfile;
    GbkString status;
    GbkString sourceid;
    GbkString remark;
    GbkString canpublish;
    GbkString score;
    GbkString source_sequence;
    GbkString question_sequence;
    GbkString difficultyid;

    // Reads every field from the row by its case-sensitive key; a missing key gives empty.
    static TquestionObj fromRow(const TReplyRow& row);
};
