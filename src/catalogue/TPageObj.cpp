#include "TPageObj.h"

#include "service/TReplyDataset.h"

TPageObj TPageObj::fromRow(const TReplyRow& row) {
    TPageObj r;
    r.pageid = row.value("pageid");
    r.pagenumber = row.value("pagenumber");
    r.pagename = row.value("pagename");
    r.pagefile = row.value("pagefile");
    r.width = row.value("width");
    r.height = row.value("height");
    r.bookname = row.value("bookname");
    r.bookid = row.value("bookid");
    r.gradeid = row.value("gradeid");
    r.web_path = row.value("web_path");
    r.book_path = row.value("book_path");
    r.page_path = row.value("page_path");
    r.coverfile = row.value("coverfile");
    r.indexfile = row.value("indexfile");
    return r;
}
