#pragma once

#include "MediaSheet.h"
#include "catalogue/TObjectList.h"
#include "catalogue/TPassageObj.h"

// The passage sheet ("课文"): the unit's passages, each with the built-in 课文 picture, read
// aloud in WebPassage. Opening a passage blanks the word player (`wordPlayer`, the word
// sheet's), which must outlive this sheet. The window owns the records, image list and button.
class PassagePage : public MediaSheet {
    Q_OBJECT

public:
    PassagePage(const TObjectList<TPassageObj>& passages, ImageList& images, QRadioButton* button,
                WebBrowser& wordPlayer, MediaSheetEnvironment environment, QWidget* parent = nullptr);

    void RefreshPassageList(const GbkString& unitCode);

    void LVPassageClassUseClick();

    QListWidget* LVPassageClassUse = nullptr;
    QLabel* Label124 = nullptr;
    WebBrowser* WebPassage = nullptr;

private:
    const TObjectList<TPassageObj>& passages_;
    WebBrowser& wordPlayer_;
};
