#include "CatalogueModel.h"

CatalogueModel::CatalogueModel() {
    const auto tell = [this](List list) { return [this, list] { emit aboutToReplace(list); }; };
    UnitList.setBeforeClear(tell(List::Units));
    PageList.setBeforeClear(tell(List::Pages));
    SceneList.setBeforeClear(tell(List::Scenes));
    PassageList.setBeforeClear(tell(List::Passages));
    MiniLectureList.setBeforeClear(tell(List::MiniLectures));
    WordList.setBeforeClear(tell(List::Words));
    MediaClipList.setBeforeClear(tell(List::Clips));
    HomeworkList.setBeforeClear(tell(List::Homework));
    TestPaperList.setBeforeClear(tell(List::TestPapers));
}
