#include "TMiniLectureObj.h"

#include <utility>

#include "TMaterialObj.h"
#include "service/TReplyDataset.h"

TMiniLectureObj TMiniLectureObj::fromRow(const TReplyRow& row) {
    // A mini lecture is a scene's row with a Chinese title besides.
    TMaterialObj m = TMaterialObj::fromRow(row);
    return {.MaterialId = std::move(m.MaterialId),
            .Title = std::move(m.Title),
            .Title_Chinese = row.value("Title_Chinese"),
            .TextJson = std::move(m.TextJson),
            .VideoId = std::move(m.VideoId),
            .Code = std::move(m.Code),
            .VideoFileName = std::move(m.VideoFileName),
            .AudioFileName = std::move(m.AudioFileName),
            .CoverFileName = std::move(m.CoverFileName)};
}
