// The main window's part in presenting: it lends the presenter its controls.
#include <QCheckBox>
#include <QComboBox>
#include <QListWidget>
#include <QPushButton>
#include <QStatusBar>

#include "ColourKeyShape.h"
#include "LessonKeeper.h"
#include "Presenter.h"
#include "TFmMain.h"
#include "media/MiniLecturePage.h"
#include "media/PassagePage.h"
#include "media/PhonicsPage.h"
#include "media/ScenePage.h"
#include "media/SyllabusWordPage.h"
#include "pages/PageScrollBox.h"
#include "pages/PaneSplitter.h"
#include "pages/TextBookPage.h"

PresenterTargets::Book TextBookTargets(TextBookPage& sheet) {
    TextBookPage* book = &sheet;
    return PresenterTargets::Book{
        .sheet = book,
        .textBook = book,
        .thumbnails = book->LVTextBook,
        .panes = book->PanelRight,
        .pagePanel = book->CenterPage->panel(),
        .pageBox = book->CenterPage->box(),
        .zoom = book->CenterPage->zoom(),
        .ink = book->Ink,
        .surroundings = {book->Panel4, book->PreviousPane->panel(), book->Splitter3, book->Splitter2,
                         book->StatusBar1, book->NextPane->panel()},
        .previousPage = [book] { book->ImageleftClick(); },
        .nextPage = [book] { book->ImagerightClick(); },
        .firstPage = [book] { book->ShowFirstPage(); },
        .lastPage = [book] { book->ShowLastPage(); },
    };
}

void TFmMain::CreatePresenter() {
    PresenterTargets targets;
    targets.window = this;
    targets.pages = PageControlClass;
    targets.book = TextBookTargets(*TabTextBook);
    targets.chrome = {Panel3};
    targets.players = {
        {TabScene, TabScene->btnSceneFullScreen, TabScene->ckScenetranslation},
        {TabMiniLecture, TabMiniLecture->btnLectureFullScreen, TabMiniLecture->ckLecturetranslation},
        {TabSyllabusWord, TabSyllabusWord->btnwordFullScreen, TabSyllabusWord->ckwordtranslation},
    };
    targets.browsers = {TabMiniLecture->WebMiniLecture, TabPassage->WebPassage, TabScene->WebScene,
                        TabSyllabusWord->WebWord, TabPhonics->WebPhonics};
    targets.caption = [this] {
        return QStringLiteral("%1 · %2").arg(cbbooks->currentText(), CBUnitClassUse->currentText());
    };
    const PlaceStore& store = lesson_->store();
    targets.loadProjector = [&store] { return store.LoadProjector(); };
    targets.saveProjector = [&store](const RememberedScreen& screen) { store.SaveProjector(screen); };
    Presenting = new Presenter(std::move(targets), this);
    if (shape_) connect(Presenting, &Presenter::modeChanged, shape_.get(), &ColourKeyShape::Invalidate);
}

bool TFmMain::HolesAllowed() const {
    return Presenting == nullptr || (!Presenting->InPresentation() && !Presenting->IsBlank());
}
