#pragma once

#include "service/GbkText.h"

class TReplyRow;

// A catalogue record: a textbook, from the book list.
// Every field is the GBK text the service sent, trimmed; empty means no value.
struct TBookObj {
    GbkString bookname;
    GbkString book_category;
    GbkString syllabusid;
    GbkString bookid;
    GbkString subjectid;
    GbkString gradeid;
    GbkString web_path;
    GbkString book_path;
    GbkString coverfile;
    GbkString indexfile;

    // Reads every field from the row by its case-sensitive key; a missing key gives empty.
    static TBookObj fromRow(const TReplyRow& row);
};
