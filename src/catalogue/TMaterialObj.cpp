#include "TMaterialObj.h"

#include "service/TReplyDataset.h"

TMaterialObj TMaterialObj::fromRow(const TReplyRow& row) {
    TMaterialObj r;
    r.MaterialId = row.value("MaterialId");
    r.TextJson = row.value("TextJson");
    r.Title = row.value("Title");
    r.VideoId = row.value("VideoId");
    r.Code = row.value("Code");
    r.VideoFileName = row.value("VideoFileName");
    r.AudioFileName = row.value("AudioFileName");
    r.CoverFileName = row.value("CoverFileName");
    return r;
}
