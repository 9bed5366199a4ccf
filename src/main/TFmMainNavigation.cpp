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

#include "TFmMain.h"
#include "catalogue/FillBookCombo.h"
#include "catalogue/FillHomeworkListView.h"
#include "media/MiniLecturePage.h"
#include "media/PassagePage.h"
#include "media/PhonicsPage.h"
#include "media/ScenePage.h"
#include "media/SyllabusWordPage.h"
#include "pages/TextBookPage.h"
#include "questions/FillTestPaperFilterCombo.h"
#include "questions/QuestionBankPage.h"
#include "service/GbkText.h"
#include "service/ShowMessage.h"
#include "web/PageScript.h"
#include "web/WebBrowser.h"

namespace {

// An auto-exclusive radio button refuses to be unchecked while it is the checked one of its
// group; lifting the exclusivity for the moment is the only way to leave the group empty.
void Uncheck(QRadioButton* button) {
    if (!button->isChecked()) return;
    button->setAutoExclusive(false);
    button->setChecked(false);
    button->setAutoExclusive(true);
}

}  // namespace

void TFmMain::ConnectNavigation() {
    // activated() comes only from the user, so filling the combo boxes in code runs nothing.
    connect(cbbooks, &QComboBox::activated, this, &TFmMain::cbbooksChange);
    connect(CBUnitClassUse, &QComboBox::activated, this, &TFmMain::CBUnitClassUseChange);
    for (QRadioButton* button : ResourceButtons()) {
        connect(button, &QRadioButton::toggled, this, [this](bool checked) {
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
                TextBookSheet->ClearPageView();
                break;
            case CatalogueModel::List::Scenes:
                SceneSheet->ClearList();
                break;
            case CatalogueModel::List::Passages:
                PassageSheet->ClearList();
                break;
            case CatalogueModel::List::MiniLectures:
                MiniLectureSheet->ClearList();
                break;
            case CatalogueModel::List::Words:
                SyllabusWordSheet->ClearList();
                break;
            case CatalogueModel::List::Clips:
                PhonicsSheet->ClearList();
                break;
            case CatalogueModel::List::Homework:
                LVHomework->clear();
                LVTestPaper->clear();
                break;
            case CatalogueModel::List::TestPapers:
                break;  // the question bank copies what it shows
        }
    });
}

QList<QRadioButton*> TFmMain::ResourceButtons() const {
    return {RBtnTextbook,      RBtnHomeworkClassUse,   RBtnTestPaperClassUse, RBTNQuestionBank,
            RBtnPhonics,       RBtnDialogueClassUse,   RBtnWordClassUse,      RbtnPassageClassUse,
            RbtnSceneClassUse, RBtnMiniLectureClassUse};
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
    for (QRadioButton* button :
         {RBtnTextbook, RBtnHomeworkClassUse, RBtnTestPaperClassUse, RBTNQuestionBank, RBtnPhonics})
        button->setEnabled(true);
    for (QRadioButton* button :
         {RBtnWordClassUse, RbtnPassageClassUse, RbtnSceneClassUse, RBtnMiniLectureClassUse}) {
        Uncheck(button);
        button->setEnabled(false);
    }
    TextBookSheet->LabelTextBook->setText(cbbooks->currentText());
    // Copied: the entry (and its record) may go while the loaders process events.
    const GbkString bookId = book->bookid;

    // The loaders replace the records the media views point at.
    SceneSheet->ClearList();
    PassageSheet->ClearList();
    MiniLectureSheet->ClearList();
    SyllabusWordSheet->ClearList();
    LoadBookWords("1", bookId);
    LoadBookScenes("1", bookId);
    LoadBookPassages("1", bookId);
    LoadBookMiniLectures("1", bookId);
    if (pick != bookPicks_) return;
    LoadBookPageList(bookId);

    CBUnitClassUse->clear();
    TextBookSheet->ClearPageView();
    Uncheck(RBtnTextbook);
    for (std::size_t i = 0; i < Catalogue.UnitList.Count(); ++i) {
        const TUnitObj* unit = Catalogue.UnitList.Items(i);
        if (unit->bookid != bookId || unit->IsValid != "1" || unit->unitcode.empty()) continue;
        CBUnitClassUse->addItem(gbk::toQString(unit->unitname + " " + unit->UnitTitle),
                                QVariant::fromValue<const TUnitObj*>(unit));
    }
    CBUnitClassUse->setCurrentIndex(-1);
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
    try {
        QListWidget* pages = TextBookSheet->LVTextBook;
        // Each page display processes events; the view is looked at afresh every step.
        for (int i = 0; i < pages->count(); ++i) {
            const TPageObj* page = TextBookPage::PageOf(pages->item(i));
            if (page == nullptr || page->pagenumber != pageNumber) continue;
            pages->setCurrentRow(i);
            LVTextBookClick();
            if (superseded()) return;
        }
        if (!unitCode.empty()) {
            RBtnWordClassUse->setEnabled(true);
            SceneSheet->RefreshSceneList(unitCode);
            if (superseded()) return;
            PassageSheet->RefreshPassageList(unitCode);
            if (superseded()) return;
            MiniLectureSheet->RefreshMiniLectureList(unitCode);
            if (superseded()) return;
        } else {
            for (QRadioButton* button :
                 {RBtnWordClassUse, RbtnPassageClassUse, RbtnSceneClassUse, RBtnMiniLectureClassUse})
                button->setEnabled(false);
        }
        SyllabusWordSheet->ClearList();
        for (QRadioButton* button : {RBtnWordClassUse, RbtnPassageClassUse, RbtnSceneClassUse,
                                     RBtnMiniLectureClassUse, RBTNQuestionBank})
            Uncheck(button);
        StatusBar1Panel0->setText(QStringLiteral("图片下载完成."));
        QuestionBankSheet->cbsection->clear();
        VantorquestionListView->clear();
    } catch (const std::exception& error) {
        ShowMessage(QString::fromUtf8(error.what()));
    }
}

void TFmMain::RBtnWordClassUseClick() {
    try {
        if (RBtnPhonics->isChecked()) {
            ShowSheet(TabPhonics);
            LoadClipList();
            PhonicsSheet->RefreshClipList();
        } else if (RBtnHomeworkClassUse->isChecked()) {
            ShowSheet(TabHomework);
            FillHomeworkListView(Catalogue.HomeworkList, LVHomework, "101");
        } else if (RBtnTestPaperClassUse->isChecked()) {
            ShowSheet(TabTestPaper);
            FillHomeworkListView(Catalogue.HomeworkList, LVTestPaper, "104");
        } else if (RBTNQuestionBank->isChecked()) {
            ShowSheet(TabQuestionBank);
            LoadQuestionBank();
        } else if (RBtnTextbook->isChecked()) {
            if (cbbooks->currentIndex() < 0) {
                ShowMessage(QStringLiteral("请先选择课本！"));
                cbbooks->setFocus();
                return;
            }
            ShowSheet(TabTextBook);
            if (TextBookSheet->LVTextBook->count() == 0) {
                // A book picked while the thumbnails load empties the view and ends this.
                const unsigned book = bookPicks_;
                StatusBar1Panel0->setText(QStringLiteral("教材加载中..."));
                QApplication::processEvents();
                if (book == bookPicks_) RefreshBookPageList();
                if (book == bookPicks_) {
                    StatusBar1Panel0->setText(QStringLiteral("教材加载完成."));
                    CBUnitClassUseChange();
                }
            }
        } else if (RBtnWordClassUse->isChecked()) {
            ShowSheet(TabSyllabusWord);
            if (const TUnitObj* unit = ChosenUnit())
                SyllabusWordSheet->RefreshSyllabusWordList(unit->unitcode);
        } else if (RBtnDialogueClassUse->isChecked()) {
            ShowSheet(TabDialogue);
        } else if (RbtnSceneClassUse->isChecked()) {
            ShowSheet(TabScene);
        } else if (RbtnPassageClassUse->isChecked()) {
            ShowSheet(TabPassage);
        } else if (RBtnMiniLectureClassUse->isChecked()) {
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
    if (!unit->unitcode.empty()) QuestionBankSheet->RetriveUnitSectionList(unit->unitcode);
    if (Catalogue.TestPaperList.Count() != 0) return;
    QuestionBankSheet->FillInTestPaperObjList(true);
    FillTestPaperFilterCombo(Catalogue.TestPaperList, "testyear", QuestionBankSheet->cbTestyear);
    FillTestPaperFilterCombo(Catalogue.TestPaperList, "testarea", QuestionBankSheet->CBTestArea);
    FillTestPaperFilterCombo(Catalogue.TestPaperList, "testtype", QuestionBankSheet->cboxtesttype);
    QuestionBankSheet->LoadQuestionTypeList();
}

void TFmMain::PausePlayersOutOfSight() {
    // Only a player that was navigated has a location; asking an unused one creates nothing.
    const std::pair<WebBrowser*, QWidget*> players[] = {
        {MiniLectureSheet->WebMiniLecture, TabMiniLecture},
        {PassageSheet->WebPassage, TabPassage},
        {SceneSheet->WebScene, TabScene},
        {SyllabusWordSheet->WebWord, TabSyllabusWord},
    };
    for (const auto& [browser, page] : players) {
        if (PageControlClass->currentWidget() != page && !browser->LocationURL().isEmpty())
            PauseWebPlayer(*browser);
    }
}

void TFmMain::ShowSheet(QWidget* page) {
    PageControlClass->setCurrentWidget(page);
}
