#pragma once

#include "MediaSheet.h"
#include "catalogue/TMaterialObj.h"
#include "catalogue/TObjectList.h"

// The scene sheet ("场景"): the unit's scenes as thumbnails, played in WebScene. The window owns
// the scene records, the image list and the radio button; the sheet keeps references to them.
class ScenePage : public MediaSheet {
    Q_OBJECT

public:
    ScenePage(const TObjectList<TMaterialObj>& scenes, ImageList& images, QRadioButton* button,
              MediaSheetEnvironment environment, QWidget* parent = nullptr);

    // Lists the scenes of the unit. A picture that cannot be fetched ends the list there and
    // leaves the radio button as it was; decoding errors reach the caller.
    void RefreshSceneList(const GbkString& unitCode);

    void LVSceneClassUseClick();
    void ckScenetranslationClick() { SubtitlesClick(); }
    void btnSceneFullScreenClick() { FullScreenClick(); }

    QListWidget* LVSceneClassUse = nullptr;
    QLabel* Panel20 = nullptr;
    QCheckBox* ckScenetranslation = nullptr;
    QPushButton* btnSceneFullScreen = nullptr;
    WebBrowser* WebScene = nullptr;

private:
    const TObjectList<TMaterialObj>& scenes_;
};
