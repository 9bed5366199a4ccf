#include "TBookObj.h"

#include "service/TReplyDataset.h"

TBookObj TBookObj::fromRow(const TReplyRow& row) {
    TBookObj r;
    r.bookname = row.value("bookname");
    r.book_category = row.value("book_category");
    r.syllabusid = row.value("syllabusid");
    r.bookid = row.value("bookid");
    r.subjectid = row.value("subjectid");
    r.gradeid = row.value("gradeid");
    r.web_path = row.value("web_path");
    r.book_path = row.value("book_path");
    r.coverfile = row.value("coverfile");
    r.indexfile = row.value("indexfile");
    return r;
}
