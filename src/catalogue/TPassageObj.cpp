#include "TPassageObj.h"

#include "service/TReplyDataset.h"

TPassageObj TPassageObj::fromRow(const TReplyRow& row) {
    TPassageObj r;
    r.MaterialId = row.value("MaterialId");
    r.Title = row.value("Title");
    r.Title_Chinese = row.value("Title_Chinese");
    r.Text = row.value("Text");
    r.TextJson = row.value("TextJson");
    r.AudioId = row.value("AudioId");
    r.Code = row.value("Code");
    r.AudioFileName = row.value("AudioFileName");
    return r;
}
