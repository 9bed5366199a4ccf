// The homework and test paper sheets against the demo service: the assignment lists split by
// practice type, the clicks and the addresses they open, the layout, and what a screen reader
// finds on all three question sheets.
#include <QtTest>

#include <QAccessible>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSplitter>
#include <QTabBar>
#include <QTabWidget>

#include "DataRows.h"
#include "DemoService.h"
#include "SheetTestSupport.h"
#include "catalogue/CatalogueLoader.h"
#include "catalogue/FillHomeworkListView.h"
#include "questions/HomeworkPage.h"
#include "questions/QuestionBankPage.h"
#include "questions/TestPaperPage.h"

namespace {

QString accessibleName(QObject* object) {
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(object);
    return face ? face->text(QAccessible::Name) : QString();
}

}  // namespace

class TestAssignmentSheets : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<DemoService> service_;
    std::unique_ptr<TstudyDM> dm_;
    MemberInfoRec member_;
    TObjectList<TTestObj> homework_;
    NavigationLog navigations_;
    std::unique_ptr<HomeworkPage> homeworkPage_;
    std::unique_ptr<TestPaperPage> testPaperPage_;

    QString host() const { return service_->host(); }

private slots:
    void initTestCase() {
        service_ = std::make_unique<DemoService>();
        dm_ = dataModule(service_->host());
        member_.UserId = "t1002";
        CatalogueLoader(dm_->HTTPRIOLmvInClass_, "").LoadHomeworkList(member_.UserId, homework_);
        QCOMPARE(homework_.Count(), std::size_t(6));
    }
    void init() {
        navigations_.entries.clear();
        homeworkPage_ = std::make_unique<HomeworkPage>(dm_->config(), member_, navigations_.recorder());
        testPaperPage_ = std::make_unique<TestPaperPage>(dm_->config(), member_, navigations_.recorder());
        for (QWidget* page :
             {static_cast<QWidget*>(homeworkPage_.get()), static_cast<QWidget*>(testPaperPage_.get())}) {
            page->resize(1100, 700);
            page->show();
        }
        FillHomeworkListView(homework_, homeworkPage_->LVHomework, "101");
        FillHomeworkListView(homework_, testPaperPage_->LVTestPaper, "104");
    }
    void cleanup() {
        homeworkPage_.reset();
        testPaperPage_.reset();
    }

    void assignmentsAreSplitByPracticeType() {
        // hw2 arrives as " 101 "; hw6 (102) belongs to neither sheet.
        QCOMPARE(rowTexts(homeworkPage_->LVHomework),
                 (QStringList{"Unit 1 单词练习|2024-06-10 18:00", "Unit 2 听力练习|2024-06-11 18:00",
                              "Unit 3 阅读练习|2024-06-12 18:00"}));
        QCOMPARE(rowTexts(testPaperPage_->LVTestPaper),
                 (QStringList{"期中考试 Midterm|2024-06-13 18:00", "单元测验 Unit test|2024-06-14 18:00"}));
    }

    void homeworkClickLoadsBothBrowsersWithTheTaskInFront() {
        HomeworkPage& page = *homeworkPage_;
        QTest::mouseClick(page.LVHomework->viewport(), Qt::LeftButton, {},
                          QPoint(5, page.LVHomework->viewport()->height() - 5));
        QVERIFY(navigations_.entries.isEmpty());

        page.PageControlHWK->setCurrentWidget(page.TabHwkFeedbackWB);
        member_.UserId = "t1001";  // what the teacher setting puts in place after sign-in
        clickRow(page.LVHomework, 1);
        QCOMPARE(navigations_.entries,
                 (QStringList{"WBHomework https://" + host() + "/homework/pdf?homeworkid=hw2&userid=t1001",
                              "WBHwkFeedback https://" + host() + "/homework/classlist/hw2"}));
        QCOMPARE(page.PageControlHWK->currentWidget(), page.TabHwkWB);
        member_.UserId = "t1002";
    }

    void testPaperClickLoadsItsPdf() {
        clickRow(testPaperPage_->LVTestPaper, 0);
        QCOMPARE(navigations_.entries,
                 QStringList{"WBTestPaper https://" + host() + "/homework/pdf?homeworkid=hw4&userid=t1002"});
        QCOMPARE(testPaperPage_->LabelTestPaperTitle->text(), QStringLiteral("试卷题目"));
    }

    // Every choice loads a PDF; stepping through the rows must not.
    void arrowKeysOnlyMoveEnterAndSpaceOpen_data() {
        addColumns<bool, int, QStringList>({"homework", "key", "opened"});
        const QStringList hw2 = {"WBHomework https://" + host() + "/homework/pdf?homeworkid=hw2&userid=t1002",
                                 "WBHwkFeedback https://" + host() + "/homework/classlist/hw2"};
        const QStringList hw5 = {"WBTestPaper https://" + host() +
                                 "/homework/pdf?homeworkid=hw5&userid=t1002"};
        addRow("homework, Enter", true, int(Qt::Key_Return), hw2);
        addRow("homework, Space", true, int(Qt::Key_Space), hw2);
        addRow("test paper, keypad Enter", false, int(Qt::Key_Enter), hw5);
        addRow("test paper, Space", false, int(Qt::Key_Space), hw5);
    }
    void arrowKeysOnlyMoveEnterAndSpaceOpen() {
        QFETCH(bool, homework);
        QFETCH(int, key);
        QFETCH(QStringList, opened);
        QTreeWidget* list = homework ? homeworkPage_->LVHomework : testPaperPage_->LVTestPaper;
        clickRow(list, 0);
        navigations_.entries.clear();
        QTest::keyClick(list, Qt::Key_Down);
        QCOMPARE(list->selectedItems(), QList<QTreeWidgetItem*>{list->topLevelItem(1)});
        QVERIFY(navigations_.entries.isEmpty());
        // Ctrl+Space leaves the current row unselected; the key still opens it.
        QTest::keyClick(list, Qt::Key_Space, Qt::ControlModifier);
        QVERIFY(list->selectedItems().isEmpty());
        QTest::keyClick(list, Qt::Key(key), key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier);
        QCOMPARE(navigations_.entries, opened);
        QCOMPARE(list->selectedItems(), QList<QTreeWidgetItem*>{list->topLevelItem(1)});
    }

    void listsAreLeftColumnsOf318Pixels() {
        for (QWidget* page :
             {static_cast<QWidget*>(homeworkPage_.get()), static_cast<QWidget*>(testPaperPage_.get())}) {
            auto* splitter = page->findChild<QSplitter*>();
            QVERIFY(splitter);
            QTRY_COMPARE(splitter->sizes().value(0), 318);
        }
        QTabBar* tabs = homeworkPage_->PageControlHWK->tabBar();
        QCOMPARE(tabs->count(), 2);
        QCOMPARE(tabs->tabText(0), QStringLiteral("作业题目"));
        QCOMPARE(tabs->tabText(1), QStringLiteral("反馈分析"));
    }

    // Every control a teacher can reach is read by its caption, list rows and tabs by their text.
    void everyControlIsReadByItsCaption() {
        TObjectList<TDictonaryTestPaperObj> papers;
        QuestionBankPage bank(
            dm_->HTTPRIOLmvInClass_, dm_->config(), member_, papers, [] { return nullptr; },
            navigations_.recorder());
        bank.show();
        for (QWidget* sheet :
             std::initializer_list<QWidget*>{&bank, homeworkPage_.get(), testPaperPage_.get()}) {
            for (QWidget* control : sheet->findChildren<QWidget*>()) {
                // Column headers are read by their section texts.
                if (!control->isVisibleTo(sheet) || qobject_cast<QHeaderView*>(control)) continue;
                const bool operable =
                    qobject_cast<QAbstractButton*>(control) || qobject_cast<QComboBox*>(control) ||
                    qobject_cast<QLineEdit*>(control) || qobject_cast<QAbstractItemView*>(control) ||
                    qobject_cast<WebBrowser*>(control) ||
                    (qobject_cast<QLabel*>(control) && !static_cast<QLabel*>(control)->text().isEmpty());
                if (operable)
                    QVERIFY2(!accessibleName(control).isEmpty(),
                             qPrintable(control->objectName() + u' ' + control->metaObject()->className()));
            }
            for (QTabBar* tabs : sheet->findChildren<QTabBar*>()) {
                QAccessibleInterface* bar = QAccessible::queryAccessibleInterface(tabs);
                for (int i = 0; i < bar->childCount(); ++i)
                    if (bar->child(i)->role() == QAccessible::PageTab)
                        QVERIFY(!bar->child(i)->text(QAccessible::Name).isEmpty());
            }
        }
        QAccessibleInterface* list = QAccessible::queryAccessibleInterface(homeworkPage_->LVHomework);
        QCOMPARE(list->text(QAccessible::Name), QStringLiteral("作业列表"));
        // Rows are laid out, and so offered, once the list has been shown.
        const auto read = [list] {
            QStringList names;
            for (int i = 0; i < list->childCount(); ++i) names << list->child(i)->text(QAccessible::Name);
            return names;
        };
        QTRY_VERIFY2(read().contains(QStringLiteral("Unit 3 阅读练习")), qPrintable(read().join(u',')));
        QCOMPARE(accessibleName(bank.cbTestyear), QStringLiteral("年份"));
        QCOMPARE(accessibleName(bank.EditSearch), QStringLiteral("关键词"));
    }
};

QTEST_MAIN(TestAssignmentSheets)
#include "test_assignment_sheets.moc"
