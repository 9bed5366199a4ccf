#pragma once

#include "service/GbkText.h"

class TReplyRow;

// A catalogue record: a section of a unit in the question bank.
// Every field is the GBK text the service sent, trimmed; empty means no value.
struct TUnitSectionObj {
    GbkString unitcode;
    GbkString sectionid;
    GbkString sectionname;
    GbkString questioncount;

    // Reads every field from the row by its case-sensitive key; a missing key gives empty.
    static TUnitSectionObj fromRow(const TReplyRow& row);
};
