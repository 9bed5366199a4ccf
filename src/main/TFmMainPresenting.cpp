// The main window's part in presenting: it lends the presenter its controls.
#include <QCheckBox>
#include <QPushButton>

#include "ColourKeyShape.h"
#include "Presenter.h"
#include "TFmMain.h"
#include "media/MiniLecturePage.h"
#include "media/PassagePage.h"
#include "media/PhonicsPage.h"
#include "media/ScenePage.h"
#include "media/SyllabusWordPage.h"

void TFmMain::CreatePresenter() {
    PresenterTargets targets;
    targets.window = this;
    targets.pages = PageControlClass;
    targets.textBook = TextBookSheet;
    targets.chrome = {Panel3};
    targets.players = {
        {SceneSheet, SceneSheet->btnSceneFullScreen, SceneSheet->ckScenetranslation},
        {MiniLectureSheet, MiniLectureSheet->btnLectureFullScreen, MiniLectureSheet->ckLecturetranslation},
        {SyllabusWordSheet, SyllabusWordSheet->btnwordFullScreen, SyllabusWordSheet->ckwordtranslation},
    };
    targets.browsers = {MiniLectureSheet->WebMiniLecture, PassageSheet->WebPassage, SceneSheet->WebScene,
                        SyllabusWordSheet->WebWord, PhonicsSheet->WebPhonics};
    Presenting = new Presenter(std::move(targets), this);
    if (shape_) connect(Presenting, &Presenter::modeChanged, shape_.get(), &ColourKeyShape::Invalidate);
}

bool TFmMain::HolesAllowed() const {
    return Presenting == nullptr || (!Presenting->InPresentation() && !Presenting->IsBlank());
}
