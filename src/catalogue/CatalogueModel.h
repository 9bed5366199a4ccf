#pragma once

#include <QObject>

#include "TDictonaryTestPaperObj.h"
#include "TMaterialObj.h"
#include "TMediaClipObj.h"
#include "TMiniLectureObj.h"
#include "TObjectList.h"
#include "TPageObj.h"
#include "TPassageObj.h"
#include "TTestObj.h"
#include "TUnitObj.h"
#include "TWordObj.h"

// The catalogues of a lesson, each an owning list of records: the units and the once-per-run
// lists of the sign-in, and the lists of the chosen book that each book change replaces. Views
// keep plain pointers to records; the model tells them, before any list is emptied, through
// aboutToReplace (a direct call, so the view is empty before the first record goes). A view
// that never connects must not hold records. Window thread only.
class CatalogueModel : public QObject {
    Q_OBJECT

public:
    enum class List { Units, Pages, Scenes, Passages, MiniLectures, Words, Clips, Homework, TestPapers };
    Q_ENUM(List)

    CatalogueModel();

    TObjectList<TUnitObj> UnitList;
    TObjectList<TPageObj> PageList;
    TObjectList<TMaterialObj> SceneList;
    TObjectList<TPassageObj> PassageList;
    TObjectList<TMiniLectureObj> MiniLectureList;
    TObjectList<TWordObj> WordList;
    TObjectList<TMediaClipObj> MediaClipList;
    TObjectList<TTestObj> HomeworkList;
    TObjectList<TDictonaryTestPaperObj> TestPaperList;

    // True when `record` is one of the records `list` holds now.
    template <class T>
    static bool Holds(const TObjectList<T>& list, const void* record) {
        for (const auto& item : list)
            if (item.get() == record) return true;
        return false;
    }

signals:
    void aboutToReplace(CatalogueModel::List list);
};
