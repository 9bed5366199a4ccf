#include "TWordObj.h"

#include "service/TReplyDataset.h"

TWordObj TWordObj::fromRow(const TReplyRow& row) {
    TWordObj r;
    r.wordid = row.value("wordid");
    r.Word = row.value("Word");
    r.example = row.value("example");
    r.example_chinese = row.value("example_chinese");
    r.synonyms = row.value("synonyms");
    r.explain = row.value("explain");
    r.pronunciation = row.value("pronunciation");
    r.MaterialId = row.value("MaterialId");
    r.StartPage = row.value("StartPage");
    r.WordType = row.value("WordType");
    r.AudioId = row.value("AudioId");
    r.FrontVideoId = row.value("FrontVideoId");
    r.SideVideoId = row.value("SideVideoId");
    r.Code = row.value("Code");
    r.FrontVideoFileName = row.value("FrontVideoFileName");
    r.SideVideoFileName = row.value("SideVideoFileName");
    r.AudioFileName = row.value("AudioFileName");
    r.PictureFileName = row.value("PictureFileName");
    return r;
}
