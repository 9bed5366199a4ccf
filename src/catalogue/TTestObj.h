#pragma once

#include "service/GbkText.h"

class TReplyRow;

// A catalogue record: a homework or test assignment; practicetypeid "101" is an exercise, "104" a test paper.
// Every field is the GBK text the service sent, trimmed; empty means no value.
struct TTestObj {
    GbkString hmwkid;
    GbkString hmwkname;
    GbkString practicetypeid;
    GbkString msg;
    GbkString endtime;
    GbkString create_time;
    GbkString creator_id;

    // Reads every field from the row by its case-sensitive key; a missing key gives empty.
    static TTestObj fromRow(const TReplyRow& row);
};
