#pragma once

#include "service/GbkText.h"

class TReplyRow;

// A catalogue record: a mini lecture; CoverFileName is its thumbnail address.
// Every field is the GBK text the service sent, trimmed; empty means no value.
struct TMiniLectureObj {
    GbkString MaterialId;
    GbkString Title;
    GbkString Title_Chinese;
    GbkString TextJson;
    GbkString VideoId;
    GbkString Code;
    GbkString VideoFileName;
    GbkString AudioFileName;
    GbkString CoverFileName;

    // Reads every field from the row by its case-sensitive key; a missing key gives empty.
    static TMiniLectureObj fromRow(const TReplyRow& row);
};
