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
        QTest::addColumn<QString>("pdf");  // also the user id's query value
        QTest::addColumn<QString>("classlist");
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("question");
        QTest::newRow("plain") << "hw-1_2.3~"
                               << "homeworkid=hw-1_2.3~&userid=hw-1_2.3~"
                               << "/homework/classlist/hw-1_2.3~"
                               << "sourceid=hw-1_2.3~&userid=hw-1_2.3~"
                               << "/question/index/hw-1_2.3~";
        QTest::newRow("#") << "7#top"
                           << "homeworkid=7%23top&userid=7%23top"
                           << "/homework/classlist/7%23top"
                           << "sourceid=7%23top&userid=7%23top"
                           << "/question/index/7%23top";
        QTest::newRow("& and =") << "7&userid=t9"
                                 << "homeworkid=7%26userid%3Dt9&userid=7%26userid%3Dt9"
                                 << "/homework/classlist/7%26userid%3Dt9"
                                 << "sourceid=7%26userid%3Dt9&userid=7%26userid%3Dt9"
                                 << "/question/index/7%26userid%3Dt9";
        QTest::newRow("?") << "7?a=1"
                           << "homeworkid=7%3Fa%3D1&userid=7%3Fa%3D1"
                           << "/homework/classlist/7%3Fa%3D1"
                           << "sourceid=7%3Fa%3D1&userid=7%3Fa%3D1"
                           << "/question/index/7%3Fa%3D1";
        QTest::newRow("/ and ..") << "../admin"
                                  << "homeworkid=..%2Fadmin&userid=..%2Fadmin"
                                  << "/homework/classlist/..%2Fadmin"
                                  << "sourceid=..%2Fadmin&userid=..%2Fadmin"
                                  << "/question/index/..%2Fadmin";
        // No escape keeps ".." from meaning the parent folder in a path: no page is addressed.
        QTest::newRow("..") << ".."
                            << "homeworkid=..&userid=.."
                            << "about:blank"
                            << "sourceid=..&userid=.."
                            << "about:blank";
        QTest::newRow("% + blank") << "5% a+b"
                                   << "homeworkid=5%25%20a%2Bb&userid=5%25%20a%2Bb"
                                   << "/homework/classlist/5%25%20a%2Bb"
                                   << "sourceid=5%25%20a%2Bb&userid=5%25%20a%2Bb"
                                   << "/question/index/5%25%20a%2Bb";
        // The bytes a browser sends for the text in any case.
        QTest::newRow("Chinese as UTF-8") << "作业1"
                                          << "homeworkid=%E4%BD%9C%E4%B8%9A1&userid=%E4%BD%9C%E4%B8%9A1"
                                          << "/homework/classlist/%E4%BD%9C%E4%B8%9A1"
                                          << "sourceid=%E4%BD%9C%E4%B8%9A1&userid=%E4%BD%9C%E4%B8%9A1"
                                          << "/question/index/%E4%BD%9C%E4%B8%9A1";
    }
    void idsStayInsideTheirPartOfTheAddress() {
        QFETCH(QString, id);
        QFETCH(QString, pdf);
        QFETCH(QString, classlist);
        QFETCH(QString, source);
        QFETCH(QString, question);
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

        const auto orBlank = [](const QString& base, const QString& path) {
            return path == QLatin1String("about:blank") ? path : base + path;
        };
        QCOMPARE(navigations.entries,
                 (QStringList{"WBHomework https://classroom.example/homework/pdf?" + pdf,
                              "WBHwkFeedback " + orBlank("https://classroom.example", classlist),
                              "WBTestPaper https://classroom.example/homework/pdf?" + pdf,
                              "WBVantorQuestion https://classroom.example/homework/source?" + source,
                              "WBVantorQuestion " + orBlank("http://questions.example:8090", question)}));
        // What the teacher reads stays the id itself.
        QCOMPARE(bank.lbstorequestion->text(), QStringLiteral("当前题号：") + id);
    }
};

QTEST_MAIN(TestPageAddresses)
#include "test_page_addresses.moc"
