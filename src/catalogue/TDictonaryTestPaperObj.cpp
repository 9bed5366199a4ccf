#include "TDictonaryTestPaperObj.h"

#include "service/TReplyDataset.h"

TDictonaryTestPaperObj TDictonaryTestPaperObj::fromRow(const TReplyRow& row) {
    TDictonaryTestPaperObj r;
    r.testpaperid = row.value("testpaperid");
    r.testyear = row.value("testyear");
    r.testpapername = row.value("testpapername");
    r.testtype_english = row.value("testtype_english");
    r.testtype = row.value("testtype");
    r.testpaperstatus = row.value("testpaperstatus");
    r.testarea = row.value("testarea");
    return r;
}
