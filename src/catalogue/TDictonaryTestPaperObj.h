#pragma once

#include "service/GbkText.h"

class TReplyRow;

// A catalogue record: a test paper of the test paper search.
// Every field is the GBK text the service sent, trimmed; empty means no value.
struct TDictonaryTestPaperObj {
    GbkString testpaperid;
    GbkString testyear;
    GbkString testpapername;
    GbkString testtype_english;
    GbkString testtype;
    GbkString testpaperstatus;
    GbkString testarea;

    // Reads every field from the row by its case-sensitive key; a missing key gives empty.
    static TDictonaryTestPaperObj fromRow(const TReplyRow& row);
};
