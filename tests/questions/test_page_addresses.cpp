// The addresses the question bank and the assignment sheets open for the ids they are given: a
// plain id gives the address it always gave, any other stays inside its own query value or path
// segment. Driven through the sheets' own clicks, with the browsers recorded.
#include <QtTest>

#include <QLabel>
#include <QPushButton>
#include <QTabWidget>

#include "SheetTestSupport.h"
#include "catalogue/FillHomeworkListView.h"
#include "questions/HomeworkPage.h"
#include "questions/QuestionBankPage.h"
#include "questions/TestPaperPage.h"

class TestPageAddresses : public QObject {
    Q_OBJECT

private slots:
    void idsStayInsideTheirPartOfTheAddress_data() {
        QTest::addColumn<QString>("id");
        QTest::addColumn<QString>("value");    // as a query value
        QTest::addColumn<QString>("segment");  // as a path segment; empty: no page at all
        const auto row = [](const char* name, const QString& id, const QString& value,
                            const QString& segment) { QTest::newRow(name) << id << value << segment; };
        row("plain", "hw-1_2.3~", "hw-1_2.3~", "hw-1_2.3~");
        row("#", "7#top", "7%23top", "7%23top");
        row("& and =", "7&userid=t9", "7%26userid%3Dt9", "7%26userid%3Dt9");
        row("?", "7?a=1", "7%3Fa%3D1", "7%3Fa%3D1");
        row("/ and ..", "../admin", "..%2Fadmin", "..%2Fadmin");
        // No escape keeps ".." from meaning the parent folder in a path.
        row("..", "..", "..", "");
        row("% + blank", "5% a+b", "5%25%20a%2Bb", "5%25%20a%2Bb");
        // The bytes a browser sends for the text in any case.
        row("Chinese as UTF-8", "作业1", "%E4%BD%9C%E4%B8%9A1", "%E4%BD%9C%E4%B8%9A1");
    }
    void idsStayInsideTheirPartOfTheAddress() {
        QFETCH(QString, id);
        QFETCH(QString, value);
        QFETCH(QString, segment);
        const GbkString gbkId = gbk::fromQString(id);
        const auto dm = dataModule(QStringLiteral("classroom.example"), QStringLiteral("questions.example"));
        MemberInfoRec member;
        member.UserId = gbkId;
        NavigationLog navigations;

        TObjectList<TTestObj> assignments;
        for (const char* practiceType : {"101", "104"}) {
            TTestObj assignment;
            assignment.hmwkid = gbkId;
            assignment.hmwkname = "Assignment";
            assignment.practicetypeid = GbkString(practiceType);
            assignments.Add(assignment);
        }
        HomeworkPage homework(dm->config(), member, navigations.recorder());
        TestPaperPage testPaper(dm->config(), member, navigations.recorder());
        FillHomeworkListView(assignments, homework.LVHomework, "101");
        FillHomeworkListView(assignments, testPaper.LVTestPaper, "104");

        TObjectList<TDictonaryTestPaperObj> papers;
        TDictonaryTestPaperObj paper;
        paper.testpaperid = gbkId;
        paper.testpapername = "Paper";
        papers.Add(paper);
        QuestionBankPage bank(
            dm->HTTPRIOLmvInClass_, dm->config(), member, papers, [] { return nullptr; },
            navigations.recorder());
        // A question row as the reader leaves it: the id is the caption.
        new QTreeWidgetItem(bank.VantorquestionListView, QStringList{id});

        for (QWidget* page : std::initializer_list<QWidget*>{&homework, &testPaper, &bank}) {
            page->resize(1000, 700);
            page->show();
        }
        clickRow(homework.LVHomework, 0);
        clickRow(testPaper.LVTestPaper, 0);
        bank.Button61->click();
        clickRow(bank.CBTestPaper, 0);
        bank.PageControl1->setCurrentWidget(bank.TabSheet2);
        clickRow(bank.VantorquestionListView, 0);

        const auto inPath = [&segment](const QString& folder) {
            return segment.isEmpty() ? QStringLiteral("about:blank") : folder + segment;
        };
        const QString pdf = "https://classroom.example/homework/pdf?homeworkid=" + value + "&userid=" + value;
        QCOMPARE(
            navigations.entries,
            (QStringList{"WBHomework " + pdf,
                         "WBHwkFeedback " + inPath("https://classroom.example/homework/classlist/"),
                         "WBTestPaper " + pdf,
                         "WBVantorQuestion https://classroom.example/homework/source?sourceid=" + value +
                             "&userid=" + value,
                         "WBVantorQuestion " + inPath("http://questions.example:8090/question/index/")}));
        // What the teacher reads stays the id itself.
        QCOMPARE(bank.lbstorequestion->text(), QStringLiteral("当前题号：") + id);
    }
};

QTEST_MAIN(TestPageAddresses)
#include "test_page_addresses.moc"
