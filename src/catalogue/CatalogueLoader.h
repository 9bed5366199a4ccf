#pragma once

#include <functional>
#include <string>

#include "TMaterialObj.h"
#include "TMediaClipObj.h"
#include "TMiniLectureObj.h"
#include "TObjectList.h"
#include "TPassageObj.h"
#include "TTestObj.h"
#include "TUnitObj.h"
#include "TWordObj.h"
#include "service/GbkText.h"

class lmvInclassSoap;

// Fetches the catalogues behind the main window's lists from the classroom service and reads
// them into records. The window owns the lists and passes them in; the loader owns nothing but
// borrows the service proxy, which must outlive it. Each loader reports its own failures through
// ShowMessage as its catalogue requires, except the word catalogue, whose failure is raised to
// stop the book change. Blocking, window thread only.
//
// The book catalogues replace their list only when the reply has rows, destroying the previous
// records: views showing those records must be cleared before a book loader is called.
class CatalogueLoader {
public:
    // `tempPath` is the cache folder (ending with "/") that holds the mini-lecture transit file;
    // `processEvents` lets the window handle input between writing and reading it, and answers
    // false when what the window did meanwhile makes this load pointless (a newer book change
    // has rewritten the file): the loader then stops without reading the file.
    CatalogueLoader(lmvInclassSoap& service, std::string tempPath, std::function<bool()> processEvents = {});

    // Raises whatever fails (service, inflating, parsing); the caller's book change stops.
    void LoadBookWords(const GbkString& userId, const GbkString& syllabusId, const GbkString& bookId,
                       TObjectList<TWordObj>& list);
    // These three show the failure's own message and return; the book change goes on.
    void LoadBookScenes(const GbkString& userId, const GbkString& syllabusId, const GbkString& bookId,
                        TObjectList<TMaterialObj>& list);
    void LoadBookPassages(const GbkString& userId, const GbkString& syllabusId, const GbkString& bookId,
                          TObjectList<TPassageObj>& list);
    // The reply is UTF-8; it passes through the transit file (BOM + inflated bytes) and its
    // values arrive as GBK.
    void LoadBookMiniLectures(const GbkString& userId, const GbkString& syllabusId, const GbkString& bookId,
                              TObjectList<TMiniLectureObj>& list);

    // Once-only loaders: nothing happens while the list holds a record. Rows are appended, and
    // records read before a failure stay. Failures show "failed" (units, homework) or
    // "failed:" + the reply text received so far (clips).
    void LoadUnitList(const GbkString& userId, TObjectList<TUnitObj>& list);
    void LoadHomeworkList(const GbkString& userId, TObjectList<TTestObj>& list);
    void LoadClipList(const GbkString& userId, TObjectList<TMediaClipObj>& list);

    // TempPath + "lmvclass.xml".
    std::string transitFilePath() const;

private:
    lmvInclassSoap& service_;
    std::string tempPath_;
    std::function<bool()> processEvents_;
};
