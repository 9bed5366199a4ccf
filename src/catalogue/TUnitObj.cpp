#include "TUnitObj.h"

#include "service/TReplyDataset.h"

TUnitObj TUnitObj::fromRow(const TReplyRow& row) {
    TUnitObj r;
    r.unitcode = row.value("unitcode");
    r.unitname = row.value("unitname");
    r.UnitTitle = row.value("UnitTitle");
    r.gradeid = row.value("gradeid");
    r.term = row.value("term");
    r.bookid = row.value("bookid");
    r.IsValid = row.value("IsValid");
    r.pagenumber = row.value("pagenumber");
    return r;
}
