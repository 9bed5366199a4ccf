#pragma once

#include "service/GbkText.h"

class TReplyRow;

// A catalogue record: a question type.
// Every field is the GBK text the service sent, trimmed; empty means no value.
struct TVantorQuestionTypeObj {
    GbkString questiontypeid;
    GbkString QuestTypeName;

    // Reads every field from the row by its case-sensitive key; a missing key gives empty.
    static TVantorQuestionTypeObj fromRow(const TReplyRow& row);
};
