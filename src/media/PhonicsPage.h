#pragma once

#include "MediaSheet.h"
#include "catalogue/TMediaClipObj.h"
#include "catalogue/TObjectList.h"

// The phonics sheet ("自然拼读"): every clip of the clip catalogue, played in WebPhonics. Its
// subtitles box and full-screen button exist but are never shown. The window owns the clip
// records and the image list.
class PhonicsPage : public MediaSheet {
    Q_OBJECT

public:
    PhonicsPage(const TObjectList<TMediaClipObj>& clips, ImageList& images, MediaSheetEnvironment environment,
                QWidget* parent = nullptr);

    // Lists every clip; a picture that cannot be fetched shows ImgNoPic. Any error is shown
    // with its own text and keeps the items made so far.
    void RefreshClipList();

    void LVPhonicsClick();

    QListWidget* LVPhonics = nullptr;
    QWidget* Panel22 = nullptr;
    QLabel* Panel23 = nullptr;
    QCheckBox* CheckBox1 = nullptr;
    QPushButton* BitBtn2 = nullptr;
    WebBrowser* WebPhonics = nullptr;

private:
    const TObjectList<TMediaClipObj>& clips_;
};
