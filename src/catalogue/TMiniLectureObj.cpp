#include "TMiniLectureObj.h"

#include "service/TReplyDataset.h"

TMiniLectureObj TMiniLectureObj::fromRow(const TReplyRow& row) {
    TMiniLectureObj r;
    r.MaterialId = row.value("MaterialId");
    r.Title = row.value("Title");
    r.Title_Chinese = row.value("Title_Chinese");
    r.TextJson = row.value("TextJson");
    r.VideoId = row.value("VideoId");
    r.Code = row.value("Code");
    r.VideoFileName = row.value("VideoFileName");
    r.AudioFileName = row.value("AudioFileName");
    r.CoverFileName = row.value("CoverFileName");
    return r;
}
