#pragma once

#include <span>

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

    // A row attribute and the field it fills.
    struct FieldKey {
        const char* key;
        GbkString TquestionObj::*field;
    };
    // Every field under its own key, in declaration order.
    static std::span<const FieldKey> fieldKeys();
    // The keys read into qid, rt and qtpid when their own keys give empty.
    static std::span<const FieldKey, 3> fallbackKeys();

    // Reads every field from the row by its case-sensitive key; a missing key gives empty.
    static TquestionObj fromRow(const TReplyRow& row);
};
