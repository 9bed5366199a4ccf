#include "TTestObj.h"

#include "service/TReplyDataset.h"

TTestObj TTestObj::fromRow(const TReplyRow& row) {
    TTestObj r;
    r.hmwkid = row.value("hmwkid");
    r.hmwkname = row.value("hmwkname");
    r.practicetypeid = row.value("practicetypeid");
    r.msg = row.value("msg");
    r.endtime = row.value("endtime");
    r.create_time = row.value("create_time");
    r.creator_id = row.value("creator_id");
    return r;
}
