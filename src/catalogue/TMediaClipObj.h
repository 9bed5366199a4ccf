#pragma once

#include "service/GbkText.h"

class TReplyRow;

// A catalogue record: a phonics clip; filename + ".jpg" is its thumbnail address.
// Every field is the GBK text the service sent, trimmed; empty means no value.
struct TMediaClipObj {
    GbkString clipid;
    GbkString clip_title;
    GbkString word;
    GbkString mediaid;
    GbkString start_time;
    GbkString end_time;
    GbkString filename;
    GbkString sequenceid;

    // Reads every field from the row by its case-sensitive key; a missing key gives empty.
    static TMediaClipObj fromRow(const TReplyRow& row);
};
