// The top bar's navigation: book, unit and resource. Every handler reads the chosen book and
// unit from the combo boxes when it runs, so nothing here is copied or cached.
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QRadioButton>
#include <QTabWidget>
#include <QTreeWidget>
#include <exception>

#include "PreparationController.h"
#include "ResourceBar.h"
#include "TFmMain.h"
#include "catalogue/FillBookCombo.h"
#include "catalogue/FillHomeworkListView.h"
#include "media/DialoguePage.h"
#include "media/MiniLecturePage.h"
#include "media/PassagePage.h"
#include "media/PhonicsPage.h"
#include "media/ScenePage.h"
#include "media/SyllabusWordPage.h"
#include "pages/TextBookPage.h"
#include "questions/FillTestPaperFilterCombo.h"
#include "questions/HomeworkPage.h"
#include "questions/QuestionBankPage.h"
#include "questions/TestPaperPage.h"
#include "service/GbkText.h"
#include "service/ShowMessage.h"
#include "web/PageScript.h"
#include "web/WebBrowser.h"

using Resource = ResourceBar::Resource;

void TFmMain::ConnectNavigation() {
    // activated() comes only from the user, so filling the combo boxes in code runs nothing.
    connect(cbbooks, &QComboBox::activated, this, &TFmMain::cbbooksChange);
    connect(CBUnitClassUse, &QComboBox::activated, this, &TFmMain::CBUnitClassUseChange);
    for (Resource resource : ResourceBar::all()) {
        connect(resources_->button(resource), &QRadioButton::toggled, this, [this](bool checked) {
            if (checked) RBtnWordClassUseClick();
        });
    }
}

void TFmMain::ConnectCatalogue() {
    // Every view holding records of a list empties itself before the list's records go, so no
    // item can outlive its record, whatever ran in the middle of what.
    connect(&Catalogue, &CatalogueModel::aboutToReplace, this, [this](CatalogueModel::List list) {
        switch (list) {
            case CatalogueModel::List::Units:
                CBUnitClassUse->clear();
                break;
            case CatalogueModel::List::Pages:
                TabTextBook->ClearPageView();
                break;
            case CatalogueModel::List::Scenes:
                TabScene->ClearList();
                break;
            case CatalogueModel::List::Passages:
                TabPassage->ClearList();
                break;
            case CatalogueModel::List::MiniLectures:
                TabMiniLecture->ClearList();
                break;
            case CatalogueModel::List::Words:
                TabSyllabusWord->ClearList();
                break;
            case CatalogueModel::List::Clips:
                TabPhonics->ClearList();
                break;
            case CatalogueModel::List::Homework:
                TabHomework->LVHomework->clear();
                TabTestPaper->LVTestPaper->clear();
                break;
            case CatalogueModel::List::TestPapers:
                break;  // the question bank copies what it shows
        }
    });
}

const TUnitObj* TFmMain::ChosenUnit() const {
    if (CBUnitClassUse->currentIndex() < 0) return nullptr;
    return CBUnitClassUse->currentData().value<const TUnitObj*>();
}

namespace {

// Counts a handler while it runs, also when it leaves by raising.
class Running {
public:
    explicit Running(int& count) : count_(++count) {}
    ~Running() { --count_; }
    Running(const Running&) = delete;
    Running& operator=(const Running&) = delete;

private:
    int& count_;
};

}  // namespace

void TFmMain::cbbooksChange() {
    const TBookObj* book = ComboBook(cbbooks, cbbooks->currentIndex());
    if (book == nullptr) return;
    // The loaders process events: a book picked meanwhile runs its own change in full, and this
    // one then stops (the loader checks at that point and skips the transit file it rewrote).
    const unsigned pick = ++bookPicks_;
    ++picks_;
    const Running running(bookChangesRunning_);
    preparation_->bookChanging();
    resources_->offerBook();
    TabTextBook->LabelTextBook->setText(cbbooks->currentText());
    // Copied: the entry (and its record) may go while the loaders process events.
    const GbkString bookId = book->bookid;

    // The loaders replace the records the media views point at.
    TabScene->ClearList();
    TabPassage->ClearList();
    TabMiniLecture->ClearList();
    TabSyllabusWord->ClearList();
    LoadBookWords("1", bookId);
    LoadBookScenes("1", bookId);
    LoadBookPassages("1", bookId);
    LoadBookMiniLectures("1", bookId);
    if (pick != bookPicks_) return;
    TabTextBook->LoadBookPageList(bookId);

    CBUnitClassUse->clear();
    TabTextBook->ClearPageView();
    resources_->uncheck(Resource::Textbook);
    for (std::size_t i = 0; i < Catalogue.UnitList.Count(); ++i) {
        const TUnitObj* unit = Catalogue.UnitList.Items(i);
        if (unit->bookid != bookId || unit->IsValid != "1" || unit->unitcode.empty()) continue;
        CBUnitClassUse->addItem(gbk::toQString(unit->unitname + " " + unit->UnitTitle),
                                QVariant::fromValue<const TUnitObj*>(unit));
    }
    CBUnitClassUse->setCurrentIndex(-1);
    preparation_->bookChanged(bookId, cbbooks->currentText());
}

void TFmMain::CBUnitClassUseChange() {
    const TUnitObj* unit = ChosenUnit();
    if (unit == nullptr) return;
    // Picked in the middle of a book change, from the units of the book being left: the change
    // will offer the new book's units, so there is nothing to show.
    if (bookChangesRunning_ > 0) return;
    // Every step below may process events; a book or unit picked meanwhile has run its own
    // change in full, and this one stops so that the lists all belong to the last pick.
    const unsigned pick = ++picks_;
    const auto superseded = [this, pick] { return pick != picks_; };
    // Unit records live for the whole run; the copies only keep the handler independent of
    // the combo box, which a nested handler may empty.
    const GbkString unitCode = unit->unitcode;
    const GbkString pageNumber = unit->pagenumber;
    preparation_->unitChosen(pageNumber);
    try {
        QListWidget* pages = TabTextBook->LVTextBook;
        // Each page display processes events; the view is looked at afresh every step.
        for (int i = 0; i < pages->count(); ++i) {
            const TPageObj* page = TextBookPage::PageOf(pages->item(i));
            if (page == nullptr || page->pagenumber != pageNumber) continue;
            pages->setCurrentRow(i);
            TabTextBook->LVTextBookClick();
            if (superseded()) return;
        }
        resources_->offerUnit(!unitCode.empty());
        if (!unitCode.empty()) {
            TabScene->RefreshSceneList(unitCode);
            if (superseded()) return;
            TabPassage->RefreshPassageList(unitCode);
            if (superseded()) return;
            TabMiniLecture->RefreshMiniLectureList(unitCode);
            if (superseded()) return;
        }
        TabSyllabusWord->ClearList();
        resources_->takeBackUnitPicks();
        TabTextBook->StatusBar1Panel0->setText(QStringLiteral("图片下载完成."));
        TabQuestionBank->cbsection->clear();
        TabQuestionBank->VantorquestionListView->clear();
    } catch (const std::exception& error) {
        ShowMessage(QString::fromUtf8(error.what()));
    }
}

void TFmMain::RBtnWordClassUseClick() {
    try {
        if (resources_->isChecked(Resource::Phonics)) {
            ShowSheet(TabPhonics);
            LoadClipList();
            TabPhonics->RefreshClipList();
        } else if (resources_->isChecked(Resource::Homework)) {
            ShowSheet(TabHomework);
            FillHomeworkListView(Catalogue.HomeworkList, TabHomework->LVHomework, "101");
        } else if (resources_->isChecked(Resource::TestPaper)) {
            ShowSheet(TabTestPaper);
            FillHomeworkListView(Catalogue.HomeworkList, TabTestPaper->LVTestPaper, "104");
        } else if (resources_->isChecked(Resource::QuestionBank)) {
            ShowSheet(TabQuestionBank);
            LoadQuestionBank();
        } else if (resources_->isChecked(Resource::Textbook)) {
            if (cbbooks->currentIndex() < 0) {
                ShowMessage(QStringLiteral("请先选择课本！"));
                cbbooks->setFocus();
                return;
            }
            ShowSheet(TabTextBook);
            if (TabTextBook->LVTextBook->count() == 0) {
                // A book picked while the thumbnails load empties the view and ends this.
                const unsigned book = bookPicks_;
                TabTextBook->StatusBar1Panel0->setText(QStringLiteral("教材加载中..."));
                QApplication::processEvents();
                if (book == bookPicks_) TabTextBook->RefreshBookPageList();
                if (book == bookPicks_) {
                    TabTextBook->StatusBar1Panel0->setText(QStringLiteral("教材加载完成."));
                    CBUnitClassUseChange();
                }
            }
        } else if (resources_->isChecked(Resource::Word)) {
            ShowSheet(TabSyllabusWord);
            if (const TUnitObj* unit = ChosenUnit()) TabSyllabusWord->RefreshSyllabusWordList(unit->unitcode);
        } else if (resources_->isChecked(Resource::Dialogue)) {
            ShowSheet(TabDialogue);
        } else if (resources_->isChecked(Resource::Scene)) {
            ShowSheet(TabScene);
        } else if (resources_->isChecked(Resource::Passage)) {
            ShowSheet(TabPassage);
        } else if (resources_->isChecked(Resource::MiniLecture)) {
            ShowSheet(TabMiniLecture);
        }
    } catch (const std::exception&) {
        // The switch reports nothing: the branch just stops.
    }
    PausePlayersOutOfSight();
}

void TFmMain::LoadQuestionBank() {
    const TUnitObj* unit = ChosenUnit();
    if (unit == nullptr) return;
    if (!unit->unitcode.empty()) TabQuestionBank->RetriveUnitSectionList(unit->unitcode);
    if (Catalogue.TestPaperList.Count() != 0) return;
    TabQuestionBank->FillInTestPaperObjList(true);
    FillTestPaperFilterCombo(Catalogue.TestPaperList, "testyear", TabQuestionBank->cbTestyear);
    FillTestPaperFilterCombo(Catalogue.TestPaperList, "testarea", TabQuestionBank->CBTestArea);
    FillTestPaperFilterCombo(Catalogue.TestPaperList, "testtype", TabQuestionBank->cboxtesttype);
    TabQuestionBank->LoadQuestionTypeList();
}

void TFmMain::PausePlayersOutOfSight() {
    // Only a player that was navigated has a location; asking an unused one creates nothing.
    const std::pair<WebBrowser*, QWidget*> players[] = {
        {TabMiniLecture->WebMiniLecture, TabMiniLecture},
        {TabPassage->WebPassage, TabPassage},
        {TabScene->WebScene, TabScene},
        {TabSyllabusWord->WebWord, TabSyllabusWord},
    };
    for (const auto& [browser, page] : players) {
        if (PageControlClass->currentWidget() != page && !browser->LocationURL().isEmpty())
            PauseWebPlayer(*browser);
    }
}

void TFmMain::ShowSheet(QWidget* page) {
    PageControlClass->setCurrentWidget(page);
}
