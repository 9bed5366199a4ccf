#pragma once

#include "service/GbkText.h"

class TReplyRow;

// A catalogue record: a unit of a textbook; only units with IsValid "1" and a non-empty unitcode are offered.
// Every field is the GBK text the service sent, trimmed; empty means no value.
struct TUnitObj {
    GbkString unitcode;
    GbkString unitname;
    GbkString UnitTitle;
    GbkString gradeid;
    GbkString term;
    GbkString bookid;
    GbkString IsValid;
    GbkString pagenumber;

    // Reads every field from the row by its case-sensitive key; a missing key gives empty.
    static TUnitObj fromRow(const TReplyRow& row);
};
