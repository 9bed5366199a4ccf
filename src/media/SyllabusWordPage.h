#pragma once

#include "MediaSheet.h"
#include "catalogue/TObjectList.h"
#include "catalogue/TWordObj.h"

// The word sheet ("单词"): the unit's words with their pictures, played in WebWord. The list is
// built lazily (only while empty) and grows visibly, one word at a time. The window owns the
// records, the image list and the radio button.
class SyllabusWordPage : public MediaSheet {
    Q_OBJECT

public:
    SyllabusWordPage(const TObjectList<TWordObj>& words, ImageList& images, QRadioButton* button,
                     MediaSheetEnvironment environment, QWidget* parent = nullptr);

    // Builds the list for the unit unless it holds items already; a request while a build runs
    // is ignored. A picture that cannot be fetched shows ImgNoPic. Errors reach the caller.
    // ClearList empties the list, so that the next refresh builds it again.
    void RefreshSyllabusWordList(const GbkString& unitCode);

    void LVSyllabusWordClassUseClick();
    void ckwordtranslationClick() { SubtitlesClick(); }
    void btnwordFullScreenClick() { FullScreenClick(); }

    QListWidget* LVSyllabusWordClassUse = nullptr;
    QLabel* Panel13 = nullptr;
    QCheckBox* ckwordtranslation = nullptr;
    QPushButton* btnwordFullScreen = nullptr;
    WebBrowser* WebWord = nullptr;

private:
    const TObjectList<TWordObj>& words_;
};
