#include "TMediaClipObj.h"

#include "service/TReplyDataset.h"

TMediaClipObj TMediaClipObj::fromRow(const TReplyRow& row) {
    TMediaClipObj r;
    r.clipid = row.value("clipid");
    r.clip_title = row.value("clip_title");
    r.word = row.value("word");
    r.mediaid = row.value("mediaid");
    r.start_time = row.value("start_time");
    r.end_time = row.value("end_time");
    r.filename = row.value("filename");
    r.sequenceid = row.value("sequenceid");
    return r;
}
