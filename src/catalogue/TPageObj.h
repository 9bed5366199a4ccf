#pragma once

#include "service/GbkText.h"

class TReplyRow;

// A catalogue record: a textbook page, from the page list; width/height "0" mean not measured yet.
// Every field is the GBK text the service sent, trimmed; empty means no value.
struct TPageObj {
    GbkString pageid;
    GbkString pagenumber;
    GbkString pagename;
    GbkString pagefile;
    GbkString width;
    GbkString height;
    GbkString bookname;
    GbkString bookid;
    GbkString gradeid;
    GbkString web_path;
    GbkString book_path;
    GbkString page_path;
    GbkString coverfile;
    GbkString indexfile;

    // Reads every field from the row by its case-sensitive key; a missing key gives empty.
    static TPageObj fromRow(const TReplyRow& row);
};
