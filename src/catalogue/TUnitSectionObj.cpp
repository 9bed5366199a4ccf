#include "TUnitSectionObj.h"

#include "service/TReplyDataset.h"

TUnitSectionObj TUnitSectionObj::fromRow(const TReplyRow& row) {
    TUnitSectionObj r;
    r.unitcode = row.value("unitcode");
    r.sectionid = row.value("sectionid");
    r.sectionname = row.value("sectionname");
    r.questioncount = row.value("questioncount");
    return r;
}
