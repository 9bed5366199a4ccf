#pragma once

#include "MediaSheet.h"
#include "catalogue/TMiniLectureObj.h"
#include "catalogue/TObjectList.h"

// The mini-lecture sheet ("微课"): the unit's mini lectures as thumbnails, played in
// WebMiniLecture. The window owns the records, the image list and the radio button.
class MiniLecturePage : public MediaSheet {
    Q_OBJECT

public:
    MiniLecturePage(const TObjectList<TMiniLectureObj>& lectures, ImageList& images, QRadioButton* button,
                    MediaSheetEnvironment environment, QWidget* parent = nullptr);

    // Lists the mini lectures of the unit. A picture that cannot be fetched ends the list there;
    // any error is shown with its own text and keeps the items made so far. Neither updates the
    // radio button, and nothing is raised to the caller.
    void RefreshMiniLectureList(const GbkString& unitCode);

    void LVMiniLectureClassUseClick();
    void ckLecturetranslationClick() { SubtitlesClick(); }
    void btnLectureFullScreenClick() { FullScreenClick(); }

    QListWidget* LVMiniLectureClassUse = nullptr;
    QLabel* Panel19 = nullptr;
    QCheckBox* ckLecturetranslation = nullptr;
    QPushButton* btnLectureFullScreen = nullptr;
    WebBrowser* WebMiniLecture = nullptr;

private:
    const TObjectList<TMiniLectureObj>& lectures_;
};
