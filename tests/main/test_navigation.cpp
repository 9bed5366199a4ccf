// The top bar's navigation driven through the real window against the demo service: a book, a
// unit and the resource buttons, as a teacher picks them. Every pick is delivered through the
// application's event dispatch, so a failure meets the default error handler as it would.
#include <QtTest>

#include <unistd.h>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QRadioButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTreeWidget>

#include "DataModule.h"
#include "DataRows.h"
#include "DemoServiceFixture.h"
#include "MainWindowControls.h"
#include "MessageRecorder.h"
#include "TestActions.h"
#include "TestFiles.h"
#include "app/LumoApplication.h"
#include "catalogue/FillBookCombo.h"
#include "main/TFmMain.h"
#include "media/MiniLecturePage.h"
#include "media/PassagePage.h"
#include "media/ScenePage.h"
#include "media/SyllabusWordPage.h"
#include "pages/PagePicture.h"
#include "pages/TextBookPage.h"
#include "questions/QuestionBankPage.h"
#include "service/ClientConfig.h"
#include "service/TstudyDM.h"
#include "web/WebBrowser.h"

namespace {

// Valid units of b3a in list order, between units that must not be offered.
const QByteArray kUnits = R"(<?xml version="1.0" encoding="UTF-8"?>
<NewDataSet>
  <Table unitcode="b3a-u1" unitname="Unit 1" UnitTitle="Hello! 你好！" bookid="b3a" IsValid="1" pagenumber="2" />
  <Table unitcode="b3a-u2" unitname="Unit 2" UnitTitle="Invalid" bookid="b3a" IsValid="0" pagenumber="10" />
  <Table unitcode="" unitname="Unit X" UnitTitle="No code" bookid="b3a" IsValid="1" pagenumber="12" />
  <Table unitcode="b5b-u1" unitname="Unit 1" UnitTitle="Other book" bookid="b5b" IsValid="1" pagenumber="2" />
  <Table unitcode="b3a-u3" unitname="Unit 3" UnitTitle="Colours 颜色" bookid="b3a" IsValid="1" pagenumber="18" />
  <Table unitcode="b3a-u9" unitname="Unit 9" UnitTitle="No page" bookid="b3a" IsValid="1" pagenumber="999" />
</NewDataSet>
)";

// Processes whose parent is this test: a browser engine would start some.
int childProcesses() {
    int children = 0;
    for (const QString& entry : QDir("/proc").entryList(QDir::Dirs)) {
        QFile stat("/proc/" + entry + "/stat");
        if (!stat.open(QIODevice::ReadOnly)) continue;
        const QByteArray text = stat.readAll();
        const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
        children += fields.value(1).toInt() == getpid();
    }
    return children;
}

}  // namespace

class TestNavigation : public QObject, protected DemoServiceFixture {
    Q_OBJECT

private:
    std::unique_ptr<TFmMain> window_;
    std::unique_ptr<MessageRecorder> messages_;

    TFmMain& w() { return *window_; }
    QListWidget* thumbnails() { return textBook(w())->LVTextBook; }
    const TPageObj* selectedPage() { return TextBookPage::PageOf(thumbnails()->currentItem()); }
    void fault(const char* operation, const QByteArray& line) {
        writeFile(overrides_.filePath(QStringLiteral("faults/") + operation), line);
    }
    int requests(const QString& operation) {
        int count = 0;
        for (const QString& line : service_->settledLog()) count += line.split(u' ').value(5) == operation;
        return count;
    }

    void chooseBook(const char* bookId) {
        QComboBox* books = ::books(w());
        for (int i = 0; i < books->count(); ++i) {
            if (ComboBook(books, i)->bookid != GbkString(bookId)) continue;
            books->setCurrentIndex(i);
            asUser([books, i] { emit books->activated(i); });
            return;
        }
        QFAIL(bookId);
    }
    void chooseUnit(int index) {
        QComboBox* units = ::units(w());
        units->setCurrentIndex(index);
        asUser([units, index] { emit units->activated(index); });
    }
    QStringList unitCaptions() {
        QStringList captions;
        for (int i = 0; i < units(w())->count(); ++i) captions << units(w())->itemText(i);
        return captions;
    }

    template <class Record>
    void verifyListBelongsTo(QListWidget* list, const TObjectList<Record>& records, const GbkString& unitCode,
                             QRadioButton* button) {
        for (int i = 0; i < list->count(); ++i) {
            const void* record =
                reinterpret_cast<const void*>(list->item(i)->data(Qt::UserRole).value<quintptr>());
            QVERIFY2(CatalogueModel::Holds(records, record), qPrintable(list->objectName()));
            QCOMPARE(static_cast<const Record*>(record)->Code, unitCode);
        }
        if (unitCode.empty()) {
            QCOMPARE(list->count(), 0);
            QVERIFY(!button->isEnabled());
        }
    }
    // The book, its units, its pages and the lists of the chosen unit (or none).
    void verifyEverythingBelongsTo(const QString& book, int unitIndex) {
        const GbkString bookId = gbk::fromQString(book);
        QCOMPARE(ComboBook(books(w()), books(w())->currentIndex())->bookid, bookId);
        QCOMPARE(units(w())->currentIndex(), unitIndex);
        for (int i = 0; i < units(w())->count(); ++i) {
            const auto* unit = units(w())->itemData(i).value<const TUnitObj*>();
            QVERIFY(CatalogueModel::Holds(w().Catalogue.UnitList, unit));
            QCOMPARE(unit->bookid, bookId);
        }
        for (const auto& page : w().Catalogue.PageList) QCOMPARE(page->bookid, bookId);
        for (int i = 0; i < thumbnails()->count(); ++i)
            QVERIFY(
                CatalogueModel::Holds(w().Catalogue.PageList, TextBookPage::PageOf(thumbnails()->item(i))));
        const TUnitObj* unit = w().ChosenUnit();
        const GbkString code = unit ? unit->unitcode : GbkString();
        verifyListBelongsTo(sceneSheet(w())->LVSceneClassUse, w().Catalogue.SceneList, code,
                            radio(w(), "RbtnSceneClassUse"));
        verifyListBelongsTo(passageSheet(w())->LVPassageClassUse, w().Catalogue.PassageList, code,
                            radio(w(), "RbtnPassageClassUse"));
        verifyListBelongsTo(lectureSheet(w())->LVMiniLectureClassUse, w().Catalogue.MiniLectureList, code,
                            radio(w(), "RBtnMiniLectureClassUse"));
        verifyListBelongsTo(wordSheet(w())->LVSyllabusWordClassUse, w().Catalogue.WordList, code,
                            radio(w(), "RBtnWordClassUse"));
        if (unit == nullptr) return;
        // The lists are whole: every record of the unit has its item, and the buttons say so.
        std::size_t scenes = 0, lectures = 0;
        for (const auto& scene : w().Catalogue.SceneList) scenes += scene->Code == code;
        for (const auto& lecture : w().Catalogue.MiniLectureList) lectures += lecture->Code == code;
        QCOMPARE(std::size_t(sceneSheet(w())->LVSceneClassUse->count()), scenes);
        QCOMPARE(std::size_t(lectureSheet(w())->LVMiniLectureClassUse->count()), lectures);
        QCOMPARE(radio(w(), "RbtnSceneClassUse")->isEnabled(), scenes > 0);
        QCOMPARE(radio(w(), "RBtnMiniLectureClassUse")->isEnabled(), lectures > 0);
    }

private slots:
    void initTestCase() {
        writeFile(overrides_.filePath("datasets/LmvInclass_GetUnitList.xml"), kUnits);
        startDemoService();
    }

    void init() {
        QDir(overrides_.filePath("faults")).removeRecursively();
        messages_ = std::make_unique<MessageRecorder>();
        window_ = std::make_unique<TFmMain>(*dm_);
        w().Member.UserId = "t1001";
        w().LoadUnitList();
        w().LoadHomeworkList();
        w().LoadClipList();
    }
    void cleanup() {
        window_.reset();
        messages_.reset();
    }
    void cleanupTestCase() { service_.reset(); }

    void bookChangeOffersTheBooksUnitsAndResetsTheResources() {
        chooseBook("b3a");
        QCOMPARE(unitCaptions(),
                 (QStringList{QStringLiteral("Unit 1 Hello! 你好！"), QStringLiteral("Unit 3 Colours 颜色"),
                              QStringLiteral("Unit 9 No page")}));
        QCOMPARE(units(w())->currentIndex(), -1);
        chooseUnit(0);
        choose(radio(w(), "RbtnSceneClassUse"));
        QCOMPARE(pageControl(w())->currentWidget(), tab(w(), "TabScene"));
        choose(radio(w(), "RBtnTextbook"));
        QVERIFY(thumbnails()->count() > 0);

        chooseBook("b5b");
        QCOMPARE(units(w())->currentIndex(), -1);
        for (QRadioButton* button : radios(w(), {"RBtnWordClassUse", "RbtnPassageClassUse",
                                                 "RbtnSceneClassUse", "RBtnMiniLectureClassUse"}))
            QVERIFY2(!button->isChecked() && !button->isEnabled(), qPrintable(button->text()));
        for (QRadioButton* button : radios(w(), {"RBtnTextbook", "RBtnHomeworkClassUse",
                                                 "RBtnTestPaperClassUse", "RBTNQuestionBank", "RBtnPhonics"}))
            QVERIFY2(button->isEnabled(), qPrintable(button->text()));
        QVERIFY(!radio(w(), "RBtnTextbook")->isChecked());
        QCOMPARE(pageControl(w())->currentWidget(), tab(w(), "TabTextBook"));
        QCOMPARE(thumbnails()->count(), 0);
        QCOMPARE(textBook(w())->LabelTextBook->text(), books(w())->currentText());

        choose(radio(w(), "RBtnTextbook"));
        QVERIFY(thumbnails()->count() > 0);
        QCOMPARE(TextBookPage::PageOf(thumbnails()->item(0))->bookid, GbkString("b5b"));
        QCOMPARE(statusPanel(w())->text(), QStringLiteral("教材加载完成."));
        QCOMPARE(messages_->texts(), QStringList());
    }

    void unitJumpsToItsPageOnlyWhenOneMatches() {
        chooseBook("b3a");
        choose(radio(w(), "RBtnTextbook"));
        QVERIFY(thumbnails()->count() > 0);
        chooseUnit(1);  // page 18
        QCOMPARE(selectedPage()->pagenumber, GbkString("18"));
        QCOMPARE(textBook(w())->CurrentPageFile().empty(), false);
        const std::string shown = textBook(w())->CurrentPageFile();
        chooseUnit(2);  // page 999: none
        QCOMPARE(selectedPage()->pagenumber, GbkString("18"));
        QCOMPARE(textBook(w())->CurrentPageFile(), shown);
        QCOMPARE(statusPanel(w())->text(), QStringLiteral("图片下载完成."));
        QVERIFY(radio(w(), "RBtnWordClassUse")->isEnabled());
        QCOMPARE(messages_->texts(), QStringList());
    }

    void questionBankLoadsOnlyOnceAUnitIsChosen() {
        chooseBook("b3a");
        const int sections = requests("LmvInclass_GetSectionList");
        const int papers = requests("LmvInclass_GetAllTestPaperList");
        const int types = requests("LmvInclass_GetQuestionTypeList");
        choose(radio(w(), "RBTNQuestionBank"));
        QCOMPARE(pageControl(w())->currentWidget(), tab(w(), "TabQuestionBank"));
        QCOMPARE(questionBank(w())->cbsection->count(), 0);
        QCOMPARE(w().Catalogue.TestPaperList.Count(), std::size_t(0));
        QCOMPARE(messages_->texts(), QStringList());

        chooseUnit(0);  // unchecks "题库", so choosing it again runs the switch
        QVERIFY(!radio(w(), "RBTNQuestionBank")->isChecked());
        choose(radio(w(), "RBTNQuestionBank"));
        QVERIFY(questionBank(w())->cbsection->count() > 0);
        QVERIFY(w().Catalogue.TestPaperList.Count() > 0);
        QVERIFY(questionBank(w())->cbTestyear->count() > 0);
        choose(radio(w(), "RBtnHomeworkClassUse"));
        choose(radio(w(), "RBTNQuestionBank"));  // sections again, papers and types never again
        QTRY_COMPARE(requests("LmvInclass_GetSectionList") - sections, 2);
        QCOMPARE(requests("LmvInclass_GetAllTestPaperList") - papers, 1);
        QCOMPARE(requests("LmvInclass_GetQuestionTypeList") - types, 1);
    }

    void checkedButtonRunsNothingWhenClickedAgain() {
        chooseBook("b3a");
        choose(radio(w(), "RBtnHomeworkClassUse"));
        QVERIFY(tree(w(), "LVHomework")->topLevelItemCount() > 0);
        tree(w(), "LVHomework")->clear();
        choose(radio(w(), "RBtnHomeworkClassUse"));
        QCOMPARE(tree(w(), "LVHomework")->topLevelItemCount(), 0);
    }

    void revisitedBookFetchesItsCataloguesAgainButNeverTheUnits() {
        const QStringList operations = {"LmvInclass_GetsyllabusWordList", "LmvInclass_GetSceneTextJsonList",
                                        "LmvInclass_GetPassageTextJsonList",
                                        "LmvInclass_GetMiniLectureTextJsonList", "LmvInclass_GetPageList"};
        QList<int> before;
        for (const QString& operation : operations) before << requests(operation);
        const int units = requests("LmvInclass_GetUnitList");
        chooseBook("b3a");
        chooseBook("b5b");
        chooseBook("b3a");
        QTRY_COMPARE(requests("LmvInclass_GetPageList") - before.last(), 3);
        for (int i = 0; i < operations.size(); ++i) QCOMPARE(requests(operations[i]) - before[i], 3);
        QCOMPARE(requests("LmvInclass_GetUnitList"), units);
    }

    void failingWordCatalogueStopsTheBookChangeAndKeepsTheUnits() {
        chooseBook("b3a");
        const QStringList units = unitCaptions();
        fault("LmvInclass_GetsyllabusWordList", "http-500\n");
        const int pages = requests("LmvInclass_GetPageList");
        chooseBook("b5b");
        QCOMPARE(messages_->texts().size(), 1);
        QVERIFY2(messages_->texts().first().contains("500"), qPrintable(messages_->texts().first()));
        QCOMPARE(unitCaptions(), units);
        QCOMPARE(requests("LmvInclass_GetPageList"), pages);
        QVERIFY(!radio(w(), "RbtnSceneClassUse")->isEnabled());
    }

    // The page records go with a failing page list call: no thumbnail, arrow or unit may reach one.
    void failingPageListLeavesNothingPointingAtOldPages() {
        chooseBook("b3a");
        choose(radio(w(), "RBtnTextbook"));
        QVERIFY(thumbnails()->count() > 0);
        fault("LmvInclass_GetPageList", "http-500\n");
        chooseBook("b8a");
        QCOMPARE(messages_->texts().size(), 1);
        QCOMPARE(thumbnails()->count(), 0);
        asUser([this] { textBook(w())->LVTextBookClick(); });
        asUser([this] { textBook(w())->ImagerightClick(); });
        asUser([this] { textBook(w())->ImageleftClick(); });
        chooseUnit(0);  // the units of the previous book are still offered
        QCOMPARE(thumbnails()->count(), 0);
        QCOMPARE(messages_->texts().size(), 1);
    }

    void switchingEveryResourceStartsNoBrowser() {
        const int children = childProcesses();
        chooseBook("b3a");
        chooseUnit(0);
        for (QRadioButton* button :
             radios(w(), {"RBtnPhonics", "RBtnHomeworkClassUse", "RBtnTestPaperClassUse", "RBTNQuestionBank",
                          "RBtnTextbook", "RBtnWordClassUse", "RBtnDialogueClassUse", "RbtnSceneClassUse",
                          "RbtnPassageClassUse", "RBtnMiniLectureClassUse", "RBtnPhonics"})) {
            QVERIFY2(button->isEnabled() || button == radio(w(), "RBtnDialogueClassUse"),
                     qPrintable(button->text()));
            choose(button);
        }
        QVERIFY(wordSheet(w())->LVSyllabusWordClassUse->count() > 0);
        for (WebBrowser* browser : w().findChildren<WebBrowser*>())
            QVERIFY2(browser->View() == nullptr, qPrintable(browser->objectName()));
        QCOMPARE(childProcesses(), children);
        QCOMPARE(messages_->texts(), QStringList());
    }

    // Picks made while another pick waits for slow pictures, each handled at an event point of
    // the pick still running. Once the window is idle everything on screen belongs to the book
    // and unit the teacher picked last, and every item's record is a live record.
    void lastPickWinsOnASlowNetwork_data() {
        addColumns<QString, QString>({"interleaving", "book"});
        QTest::addColumn<int>("unit");  // index in the book's units, -1 for none
        addRow("unit of the old book picked during a book change", "unit in book", "b5b", -1);
        addRow("second unit picked while the first one's covers download", "unit in unit", "b3a", 1);
        addRow("book picked during a book change", "book in book", "b5b", -1);
        addRow("book picked while a unit's covers download", "book in unit", "b5b", -1);
    }
    void lastPickWinsOnASlowNetwork() {
        QFETCH(QString, interleaving);
        QFETCH(QString, book);
        QFETCH(int, unit);
        QDir(QString::fromStdString(w().TempPath)).removeRecursively();
        QDir().mkpath(QString::fromStdString(w().TempPath));
        fault("http", "/content/ slow:60\n");
        chooseBook("b3a");
        choose(radio(w(), "RBtnTextbook"));
        const auto later = [this](const std::function<void()>& pick) {
            // Handled at the first event point of what runs next, as a click would be.
            QMetaObject::invokeMethod(radio(w(), "RBtnHomeworkClassUse"), pick, Qt::QueuedConnection);
        };
        const auto pickBook = [this](const char* id) {
            return [this, id] {
                for (int i = 0; i < books(w())->count(); ++i)
                    if (ComboBook(books(w()), i)->bookid == GbkString(id)) {
                        books(w())->setCurrentIndex(i);
                        emit books(w())->activated(i);
                    }
            };
        };
        const auto pickUnit = [this](int index) {
            return [this, index] {
                units(w())->setCurrentIndex(index);
                emit units(w())->activated(index);
            };
        };
        if (interleaving == "unit in book") {
            chooseUnit(0);
            later(pickUnit(1));
            chooseBook("b5b");
        } else if (interleaving == "unit in unit") {
            later(pickUnit(1));
            chooseUnit(0);
        } else if (interleaving == "book in book") {
            later(pickBook("b5b"));
            chooseBook("b8a");
        } else {
            later(pickBook("b5b"));
            chooseUnit(0);
        }
        QCOMPARE(messages_->texts(), QStringList());
        verifyEverythingBelongsTo(book, unit);
    }

    // The unit's own page is a PNG whose cached copy is damaged: it is fetched once more, and
    // whether the fresh copy shows or not, the unit change goes on to its media lists.
    void damagedCachedPageOfTheUnitNeverStopsTheUnitChange_data() {
        QTest::addColumn<bool>("damagedOnServer");
        addRow("whole on the server", false);
        addRow("damaged on the server too", true);
    }
    void damagedCachedPageOfTheUnitNeverStopsTheUnitChange() {
        QFETCH(bool, damagedOnServer);
        chooseBook("b3a");
        choose(radio(w(), "RBtnTextbook"));
        const QString page = QString::fromStdString(w().TempPath) + "b3a-002.png";
        writeFile(page, "\x89PNG\r\n\x1a\ncut short by a power cut");
        if (damagedOnServer) fault("http", "/content/pages/b3a/p002.png damaged\n");
        chooseUnit(0);  // page 2
        QCOMPARE(selectedPage()->pageid, GbkString("b3a-002"));
        QCOMPARE(textBook(w())->CenterPage->picture()->picture().isNull(), damagedOnServer);
        QVERIFY(sceneSheet(w())->LVSceneClassUse->count() > 0);
        QCOMPARE(statusPanel(w())->text(), QStringLiteral("图片下载完成."));
        QCOMPARE(messages_->texts(), QStringList());
    }

    void textbookWithoutABookAsksForOne() {
        w().activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w()));
        asUser([this] {
            radio(w(), "RBtnTextbook")->setChecked(true);
        });  // disabled for the teacher, not for code
        QCOMPARE(messages_->texts(), QStringList{QStringLiteral("请先选择课本！")});
        QCOMPARE(QApplication::focusWidget(), books(w()));
        QVERIFY(pageControl(w())->currentWidget() != tab(w(), "TabTextBook"));
    }
};

int main(int argc, char** argv) {
    LumoApplication application(argc, argv);
    TestNavigation test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_navigation.moc"
