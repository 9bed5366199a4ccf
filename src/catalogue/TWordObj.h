#pragma once

#include "service/GbkText.h"

class TReplyRow;

// A catalogue record: a syllabus word; MaterialId (not wordid) is its media id.
// Every field is the GBK text the service sent, trimmed; empty means no value.
struct TWordObj {
    GbkString wordid;
    GbkString Word;
    GbkString example;
    GbkString example_chinese;
    GbkString synonyms;
    GbkString explain;
    GbkString pronunciation;
    GbkString MaterialId;
    GbkString StartPage;
    GbkString WordType;
    GbkString AudioId;
    GbkString FrontVideoId;
    GbkString SideVideoId;
    GbkString Code;
    GbkString FrontVideoFileName;
    GbkString SideVideoFileName;
    GbkString AudioFileName;
    GbkString PictureFileName;

    // Reads every field from the row by its case-sensitive key; a missing key gives empty.
    static TWordObj fromRow(const TReplyRow& row);
};
