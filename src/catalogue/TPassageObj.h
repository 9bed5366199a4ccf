#pragma once

#include "service/GbkText.h"

class TReplyRow;

// A catalogue record: a read-aloud passage.
// Every field is the GBK text the service sent, trimmed; empty means no value.
struct TPassageObj {
    GbkString MaterialId;
    GbkString Title;
    GbkString Title_Chinese;
    GbkString Text;
    GbkString TextJson;
    GbkString AudioId;
    GbkString Code;
    GbkString AudioFileName;

    // Reads every field from the row by its case-sensitive key; a missing key gives empty.
    static TPassageObj fromRow(const TReplyRow& row);
};
