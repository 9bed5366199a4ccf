// The main window frame: creation against a scripted classroom service, controls, layout.
#include <QtTest>

#include <sys/utsname.h>
#include <unistd.h>
#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QRadioButton>
#include <QScreen>
#include <QTabBar>
#include <QTabWidget>
#include <QTreeWidget>

#include "AccessibleTree.h"
#include "DataModule.h"
#include "DataRows.h"
#include "MainWindowControls.h"
#include "MessageRecorder.h"
#include "ScriptedClassroom.h"
#include "cache/CacheFolder.h"
#include "main/TFmMain.h"
#include "pages/TextBookPage.h"
#include "platform/WindowRegistry.h"
#include "service/AppError.h"
#include "service/ClientConfig.h"
#include "service/TReplyDataset.h"
#include "service/TstudyDM.h"

namespace {

const std::string kBooks =
    "<?xml version=\"1.0\" encoding=\"GB2312\"?><NewDataSet>"
    "<Table bookname=\"英语三年级\" bookid=\"b3\" gradeid=\"3\"/>"
    "<Table bookname=\"高一英语\" bookid=\"b10\" gradeid=\"10\"/>"
    "<Table bookname=\"英语九年级\" bookid=\"b9\" gradeid=\"9\"/>"
    "</NewDataSet>";

const QString kTitle = QStringLiteral("Lumovia Class——Lumo课堂");

}  // namespace

class TestMainWindow : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<ScriptedClassroom> service_;
    std::unique_ptr<TstudyDM> dm_;
    std::unique_ptr<TFmMain> window_;

    TFmMain& openWindow(const std::string& bookReply = kBooks) {
        service_->reply("LmvInclass_GetBookList", bookReply);
        dm_ = dataModule(service_->host());
        window_ = std::make_unique<TFmMain>(*dm_);
        return *window_;
    }

    // The window is complete whatever the book list did.
    static void verifyComplete(TFmMain& window) {
        QVERIFY(window.isVisible());
        QVERIFY(control<QWidget>(window, "PanelClass")->isVisible());
        QCOMPARE(pageControl(window)->currentWidget(), tab(window, "TabSheetLogo"));
        QCOMPARE(tree(window, "LVHomework")->headerItem()->text(1), QStringLiteral("日期"));
        QCOMPARE(window.frameGeometry(), window.screen()->availableGeometry());
        QVERIFY(!window.TempPath.empty());
        QCOMPARE(books(window)->currentIndex(), -1);
    }

private slots:
    void init() { service_ = std::make_unique<ScriptedClassroom>(); }
    void cleanup() {
        window_.reset();
        dm_.reset();
        service_.reset();
    }

    void createsWithTheBookListAndNothingSelected() {
        MessageRecorder messages;
        TFmMain& window = openWindow();
        QVERIFY(messages.texts().isEmpty());
        QCOMPARE(service_->operations(), std::vector<std::string>{"LmvInclass_GetBookList"});
        QVERIFY(service_->requests().front().body.find("<subjectid>3</subjectid>") != std::string::npos);
        QCOMPARE(books(window)->count(), 2);
        QCOMPARE(books(window)->itemText(0), QStringLiteral("英语三年级"));
        QCOMPARE(books(window)->itemText(1), QStringLiteral("英语九年级"));
        QCOMPARE(window.subjectId(), GbkString("3"));
        QCOMPARE(window.windowTitle(), kTitle);
        QCOMPARE(QGuiApplication::applicationDisplayName(), kTitle);
        verifyComplete(window);
    }

    void bookListFailuresAreShownAndTheWindowStaysComplete_data() {
        addColumns<bool, QByteArray, QString, int>({"fault", "reply", "message", "bookCount"});
        addRow("fault", true, QByteArray("Book list unavailable"), "Book list unavailable", 0);
        const QByteArray broken = "<NewDataSet><Table bookname=\"a\"";
        addRow("unreadable", false, broken, ScriptedClassroom::parserMessage(broken.toStdString()), 0);
        addRow("grade not a number after two good rows", false,
               QByteArray(
                   "<NewDataSet><Table bookname=\"A\" gradeid=\"1\"/><Table bookname=\"B\" gradeid=\"2\"/>"
                   "<Table bookname=\"C\" gradeid=\"x\"/><Table bookname=\"D\" gradeid=\"3\"/></NewDataSet>"),
               "'x' is not a valid integer value", 2);
    }
    void bookListFailuresAreShownAndTheWindowStaysComplete() {
        QFETCH(bool, fault);
        QFETCH(QByteArray, reply);
        QFETCH(QString, message);
        QFETCH(int, bookCount);
        if (fault)
            service_->fault("LmvInclass_GetBookList", reply.toStdString());
        else
            service_->reply("LmvInclass_GetBookList", reply.toStdString());
        MessageRecorder messages;
        dm_ = dataModule(service_->host());
        window_ = std::make_unique<TFmMain>(*dm_);
        QCOMPARE(messages.texts(), QStringList{message});
        QCOMPARE(books(*window_)->count(), bookCount);
        QCOMPARE(window_->windowTitle(), kTitle);
        verifyComplete(*window_);
    }

    void captionNamesADebugEndpoint() {
        // Nothing listens there: the failed book list is shown, the caption still set.
        MessageRecorder messages;
        dm_ = dataModule("127.80.50.1:8050");
        window_ = std::make_unique<TFmMain>(*dm_);
        QCOMPARE(window_->windowTitle(),
                 kTitle + QStringLiteral("(Debug版：http://127.80.50.1:8050/lmv-inclass/lmvInclass.asmx)"));
        QCOMPARE(QGuiApplication::applicationDisplayName(), window_->windowTitle());
        QCOMPARE(messages.texts().size(), 1);
        verifyComplete(*window_);
    }

    void topBarStartsWithNothingToChoose() {
        TFmMain& window = openWindow();
        const QList<QRadioButton*> buttons =
            control<QWidget>(window, "PanelClass")->findChildren<QRadioButton*>();
        QCOMPARE(buttons.size(), 10);
        for (QRadioButton* button : buttons) {
            QVERIFY2(!button->isEnabled(), qPrintable(button->objectName()));
            QVERIFY(!button->isChecked());
            // Only the dialogue button is never offered.
            QCOMPARE(button->isVisible(), button != radio(window, "RBtnDialogueClassUse"));
        }
        QCOMPARE(radio(window, "RBtnDialogueClassUse")->text(), QStringLiteral("句型"));
        QVERIFY(!control<QCheckBox>(window, "CheckBoxDeleteFile")->isChecked());
        QCOMPARE(units(window)->count(), 0);
        QCOMPARE(control<QWidget>(window, "Panel3")->height(), 56);
        QCOMPARE(control<QWidget>(window, "Panel3")->width(), window.width());
        // The panel's navy does not reach the combo boxes, which keep the window text colour.
        QCOMPARE(radio(window, "RBtnTextbook")->palette().color(QPalette::WindowText), QColor(0, 0, 128));
        QCOMPARE(books(window)->palette().color(QPalette::Text),
                 QApplication::palette().color(QPalette::Text));
    }

    void sheetsInPageOrderWithHiddenTabs() {
        TFmMain& window = openWindow();
        const QStringList names = {"TabMiniLecture",  "TabPassage",   "TabDialogue",     "TabScene",
                                   "TabSyllabusWord", "TabTextBook",  "TabQuestionBank", "TabSheet29",
                                   "TabHomework",     "TabTestPaper", "TabSheetLogo",    "TabPhonics"};
        const QStringList captions = {"微课", "课文", "句型", "场景", "单词",    "教材",
                                      "题库", "汉化", "作业", "试卷", QString(), "自然拼读"};
        QTabWidget* pages = pageControl(window);
        QCOMPARE(pages->count(), 12);
        for (int i = 0; i < pages->count(); ++i) {
            QCOMPARE(pages->widget(i)->objectName(), names[i]);
            QCOMPARE(pages->tabText(i), captions[i]);
        }
        QVERIFY(!pages->tabBar()->isVisible());
        QCOMPARE(pages->currentWidget(), tab(window, "TabSheetLogo"));
        QCOMPARE(textBook(window)->PreviousPane->panel()->height(), 1);
        QCOMPARE(textBook(window)->NextPane->panel()->height(), 1);
        QCOMPARE(statusPanel(window), textBook(window)->StatusBar1Panel0);
        QVERIFY(statusPanel(window)->text().isEmpty());
    }

    void assignmentListsGiveTheDateColumnTheRest() {
        TFmMain& window = openWindow();
        for (auto [page, list] : {std::pair{tab(window, "TabHomework"), tree(window, "LVHomework")},
                                  std::pair{tab(window, "TabTestPaper"), tree(window, "LVTestPaper")}}) {
            pageControl(window)->setCurrentWidget(page);
            QTRY_VERIFY(list->viewport()->width() > 200);
            QCOMPARE(list->headerItem()->text(0), QStringLiteral("名称"));
            QCOMPARE(list->columnWidth(0), 150);
            QTRY_COMPARE(list->columnWidth(1), list->viewport()->width() - 150);
        }
        QCOMPARE(tree(window, "VantorquestionListView")->columnCount(), 3);
    }

    void fieldsOfCreation() {
        TFmMain& window = openWindow();
        QCOMPARE(window.TempPath, CacheFolder::temporaryPath());
        QVERIFY(window.TempPath.back() == '/');
        utsname name{};
        QCOMPARE(uname(&name), 0);
        QCOMPARE(window.OsMajorVersion, std::atoi(name.release));
        QVERIFY(window.Catalogue.UnitList.IsEmpty() && window.Catalogue.HomeworkList.IsEmpty() &&
                window.Catalogue.TestPaperList.IsEmpty());
        QCOMPARE(WindowRegistry::ownerPid(TFmMain::windowClassName()), qint64(getpid()));
        window_.reset();
        QVERIFY(!WindowRegistry::exists(TFmMain::windowClassName()));
    }

    void classPanelStaysCentredInTheTopBar_data() {
        addColumns<int, int>({"width", "left"});
        addRow("wide", 1201, 116);
        addRow("exact", 969, 0);
        addRow("narrow, odd difference", 800, -84);
        addRow("very narrow", 600, -184);
    }
    void classPanelStaysCentredInTheTopBar() {
        QFETCH(int, width);
        TFmMain& window = openWindow();
        window.resize(width, 500);
        QTRY_COMPARE(control<QWidget>(window, "Panel3")->width(), width);
        QTEST(control<QWidget>(window, "PanelClass")->x(), "left");
        QCOMPARE(control<QWidget>(window, "PanelClass")->y(), 2);
    }

    void logoStaysCentredAndNeverLeavesTheCorner_data() {
        QTest::addColumn<QSize>("windowSize");
        addRow("large", QSize(1700, 1000));
        addRow("narrow and low", QSize(700, 300));
        addRow("wide and low", QSize(1700, 300));
        addRow("narrow and high", QSize(700, 1000));
    }
    void logoStaysCentredAndNeverLeavesTheCorner() {
        QFETCH(QSize, windowSize);
        TFmMain& window = openWindow();
        window.resize(windowSize);
        QTRY_COMPARE(window.size(), windowSize);
        const QSize sheet = tab(window, "TabSheetLogo")->size();
        QCOMPARE(control<QLabel>(window, "imgLogo")->size(), QSize(1171, 590));
        QCOMPARE(control<QLabel>(window, "imgLogo")->x(), std::max((sheet.width() - 1171) / 2, 0));
        QCOMPARE(control<QLabel>(window, "imgLogo")->y(), std::max((sheet.height() - 590) / 2, 0));
        QVERIFY(!control<QLabel>(window, "imgLogo")->pixmap().isNull());
    }

    // What a screen reader meets on every sheet: no control it can focus or press is nameless,
    // and the top bar's drop-downs and the page arrows are in the tree under their captions.
    void everyControlHasANameOnEverySheet() {
        TFmMain& window = openWindow();
        QStringList nameless;
        for (int i = 0; i < pageControl(window)->count(); ++i) {
            pageControl(window)->setCurrentIndex(i);
            QList<QAccessibleInterface*> pending{QAccessible::queryAccessibleInterface(&window)};
            while (!pending.isEmpty()) {
                QAccessibleInterface* face = pending.takeLast();
                if (face == nullptr || face->state().invisible) continue;
                const bool actionable =
                    face->state().focusable ||
                    (face->actionInterface() != nullptr && !face->actionInterface()->actionNames().isEmpty());
                if (actionable && face->text(QAccessible::Name).trimmed().isEmpty())
                    nameless << QStringLiteral("%1: %2 (role %3)")
                                    .arg(pageControl(window)->tabText(i),
                                         face->object() ? face->object()->objectName() : QString())
                                    .arg(int(face->role()));
                for (int c = 0; c < face->childCount(); ++c) pending.append(face->child(c));
            }
        }
        nameless.removeDuplicates();
        QVERIFY2(nameless.isEmpty(), qPrintable(nameless.join(QLatin1Char('\n'))));
        pageControl(window)->setCurrentWidget(textBook(window));
        for (const char* caption : {"课本", "单元", "上一页", "下一页"})
            QVERIFY2(!ShownAccessibles(&window, QString::fromUtf8(caption)).isEmpty(), caption);
    }

    // Book names, paper names, ids and addresses come from the service: markup in them is read
    // out and shown as it is, never rendered or followed.
    void serviceValuesAreShownAsTheyCome() {
        TFmMain& window = openWindow();
        const QString link = QStringLiteral("<a href=\"http://127.0.0.1/\">第一册</a>");
        for (const char* name :
             {"LabelTextBook", "StatusBar1Panel0", "StatusBar1Panel1", "LbURL", "lbstorequestion"}) {
            auto* label = window.findChild<QLabel*>(QLatin1String(name));
            QVERIFY2(label, name);
            label->setText(link);
            QCOMPARE(QAccessible::queryAccessibleInterface(label)->text(QAccessible::Name), link);
        }
    }

    void neighbourStripsSurviveAMinimise() {
        TFmMain& window = openWindow();
        TextBookPage& book = *textBook(window);
        book.CheckBoxPrevious->setChecked(true);
        const int open = book.PreviousPane->panel()->height();
        QVERIFY(open > 1);
        window.setWindowState(Qt::WindowMinimized);
        QTRY_VERIFY(window.isMinimized());
        window.setWindowState(Qt::WindowNoState);
        QTRY_VERIFY(!window.isMinimized());
        QCOMPARE(book.PreviousPane->panel()->height(), open);
        QVERIFY(book.CheckBoxPrevious->isChecked());
    }

    void closingTheWindowEndsTheProgram() {
        TFmMain& window = openWindow();
        QTimer::singleShot(0, &window, &QWidget::close);
        QCOMPARE(QApplication::exec(), 0);
        QVERIFY(!window.isVisible());
    }
};

QTEST_MAIN(TestMainWindow)
#include "test_main_window.moc"
