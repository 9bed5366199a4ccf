// The test paper search of the question bank sheet against a scripted classroom service:
// loading, the three filters and the keyword as the teacher uses them, and opening a paper.
#include <QtTest>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "DataRows.h"
#include "MessageRecorder.h"
#include "ScriptedClassroom.h"
#include "SheetTestSupport.h"
#include "questions/FillTestPaperFilterCombo.h"
#include "questions/QuestionBankPage.h"

namespace {

// "北京" twice (once with blanks), "Beijing" and "beijing", one empty area, a year "0", names differing only
// in case, and a traditional name whose GBK bytes hold a "y".
const std::string kPapers =
    "<?xml version=\"1.0\" encoding=\"GB2312\"?><NewDataSet>"
    "<Table testpaperid=\"p1\" testyear=\"2019\" testpapername=\"Unit 3 test\" testtype=\"单元\" "
    "testpaperstatus=\"1\" testarea=\"北京\"/>"
    "<Table testpaperid=\"p2\" testyear=\"2020\" testpapername=\"unit 3 test\" testtype=\"单元\" "
    "testpaperstatus=\"1\" testarea=\" 北京 \"/>"
    "<Table testpaperid=\"p3\" testyear=\"0\" testpapername=\"期中測驗\" testtype=\"期中\" "
    "testpaperstatus=\"2\" testarea=\"\"/>"
    "<Table testpaperid=\"p4\" testyear=\"2019\" testpapername=\"Beijing final\" testtype=\"期末\" "
    "testpaperstatus=\"1\" testarea=\"上海\"/>"
    "<Table testpaperid=\"p5\" testyear=\"2019\" testpapername=\"Mock\" testtype=\"Mock\" "
    "testpaperstatus=\"1\" testarea=\"beijing\"/>"
    "<Table testpaperid=\"p6\" testyear=\"2021\" testpapername=\"Final B\" testtype=\"期末\" "
    "testpaperstatus=\"1\" testarea=\"Beijing\"/>"
    "</NewDataSet>";

}  // namespace

class TestTestPaperSearch : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QuestionBankAlone> bank_;

    // The paper list is scripted by init() or by the test before.
    QuestionBankPage& openPage() {
        QuestionBankPage& page = bank_->open();
        page.FillInTestPaperObjList(true);
        // What the navigation does after the first load.
        FillTestPaperFilterCombo(bank_->papers, "testyear", page.cbTestyear);
        FillTestPaperFilterCombo(bank_->papers, "testarea", page.CBTestArea);
        FillTestPaperFilterCombo(bank_->papers, "testtype", page.cboxtesttype);
        return page;
    }

private slots:
    void init() {
        bank_ = std::make_unique<QuestionBankAlone>("t-sign");
        bank_->service->reply("LmvInclass_GetAllTestPaperList", kPapers);
    }
    void cleanup() { bank_.reset(); }

    void loadsThePapersAndOffersEachValueOnce() {
        MessageRecorder messages;
        QuestionBankPage& page = openPage();
        QCOMPARE(page.Label10->text(), QStringLiteral(" 共0套"));
        QCOMPARE(bank_->papers.Count(), std::size_t(6));
        QCOMPARE(bank_->papers.Items(1)->testarea, gbk::fromUtf8("北京"));
        const RecordedRequest request = bank_->service->requests().front();
        QVERIFY(request.body.find("<userid>t-sign</userid>") != std::string::npos);
        QVERIFY(request.body.find("<testtypeid>0</testtypeid>") != std::string::npos);
        // Year "0" is never offered; an empty area is the empty entry; exact texts, in Chinese order.
        QCOMPARE(comboTexts(page.cbTestyear), (QStringList{"", "2019", "2020", "2021"}));
        QCOMPARE(comboTexts(page.CBTestArea), (QStringList{"", "北京", "上海", "beijing", "Beijing"}));
        QCOMPARE(comboTexts(page.cboxtesttype), (QStringList{"", "单元", "期末", "期中", "Mock"}));
        for (QComboBox* combo : {page.cbTestyear, page.CBTestArea, page.cboxtesttype}) {
            QCOMPARE(combo->currentIndex(), -1);
            QVERIFY(!combo->isEditable());
            const TDictonaryTestPaperObj* placeholder = ComboTestPaper(combo, 0);
            QVERIFY(placeholder);
            QCOMPARE(placeholder->testpaperid, GbkString("0"));
            QCOMPARE(placeholder->testpaperstatus, GbkString("0"));
        }
        QVERIFY(messages.texts().isEmpty());
        // Without take-all the withdrawn paper is left out; the list is appended to.
        page.FillInTestPaperObjList(false);
        QCOMPARE(bank_->papers.Count(), std::size_t(11));
    }

    void failedLoadIsSilentAndLeavesOnlyTheEmptyEntries_data() {
        addColumns<bool, QByteArray>({"fault", "reply"});
        addRow("fault", true, QByteArray("no papers today"));
        addRow("cut off", false, QByteArray(kPapers.substr(0, 120).c_str()));
    }
    void failedLoadIsSilentAndLeavesOnlyTheEmptyEntries() {
        QFETCH(bool, fault);
        QFETCH(QByteArray, reply);
        if (fault)
            bank_->service->fault("LmvInclass_GetAllTestPaperList", reply.toStdString());
        else
            bank_->service->reply("LmvInclass_GetAllTestPaperList", reply.toStdString());
        MessageRecorder messages;
        QuestionBankPage& page = openPage();
        QVERIFY(messages.texts().isEmpty());
        QVERIFY(bank_->papers.IsEmpty());
        QCOMPARE(comboTexts(page.CBTestArea), QStringList{""});
        page.Button61->click();
        QCOMPARE(page.CBTestPaper->count(), 0);
        QCOMPARE(page.Label10->text(), QStringLiteral("共0套"));
    }

    void filtersFindThePapers_data() {
        addColumns<QString, QString, QString, QString, QStringList>(
            {"year", "area", "type", "keyword", "found"});
        const QStringList all = {"期中測驗", "Beijing final", "Final B",
                                 "Mock",     "unit 3 test",   "Unit 3 test"};
        addRow("nothing set shows every paper", "", "", "", "", all);
        addRow("a year leaves out year 0", "2019", "", "", "",
               QStringList{"Beijing final", "Mock", "Unit 3 test"});
        addRow("an area holds the trimmed duplicate", "", "北京", "", "",
               QStringList{"unit 3 test", "Unit 3 test"});
        addRow("areas are case-sensitive", "", "beijing", "", "", QStringList{"Mock"});
        addRow("year and type together", "2020", "", "单元", "", QStringList{"unit 3 test"});
        addRow("keyword is case-sensitive", "", "", "", "Unit", QStringList{"Unit 3 test"});
        addRow("keyword inside the name only", "", "上海", "", "Beijing", QStringList{"Beijing final"});
        addRow("Chinese keyword", "", "", "", "測驗", QStringList{"期中測驗"});
        addRow("keyword never matches half a character", "", "", "", "y", QStringList{});
        addRow("keyword untrimmed", "", "", "", " 3 ", QStringList{"unit 3 test", "Unit 3 test"});
    }
    void filtersFindThePapers() {
        QFETCH(QString, year);
        QFETCH(QString, area);
        QFETCH(QString, type);
        QFETCH(QString, keyword);
        QFETCH(QStringList, found);
        QuestionBankPage& page = openPage();
        QVERIFY(choose(page.cbTestyear, year));
        QVERIFY(choose(page.CBTestArea, area));
        QVERIFY(choose(page.cboxtesttype, type));
        page.EditSearch->setText(keyword);
        QTest::mouseClick(page.Button61, Qt::LeftButton);
        QCOMPARE(entryTexts(page.CBTestPaper), found);
        QCOMPARE(page.Label10->text(), QStringLiteral("共%1套").arg(found.size()));
    }

    // As a Chinese desktop lists them, whatever the system's locale: pinyin, then Latin letters
    // without regard to case; years by their value.
    void listsAreInChineseOrder_data() {
        addColumns<QString, QStringList, QStringList>({"field", "values", "listed"});
        addRow("areas", "testarea", QStringList{"上海", "重庆", "北京", "广州", "Zhejiang", "anhui"},
               QStringList{"", "北京", "重庆", "广州", "上海", "anhui", "Zhejiang"});
        addRow("types", "testtype", QStringList{"Mock", "期中", "mock", "单元", "期末"},
               QStringList{"", "单元", "期末", "期中", "mock", "Mock"});
        addRow("years", "testyear", QStringList{"2020", "999", "10", "2019"},
               QStringList{"", "10", "999", "2019", "2020"});
        addRow("papers", "testpapername", QStringList{"上海卷", "重庆卷", "北京卷", "Beijing", "apple"},
               QStringList{"北京卷", "重庆卷", "上海卷", "apple", "Beijing"});
    }
    void listsAreInChineseOrder() {
        QFETCH(QString, field);
        QFETCH(QStringList, values);
        QFETCH(QStringList, listed);
        std::string rows;
        for (const QString& value : values) {
            std::map<QString, QString> row = {{"testpaperid", "p"}, {"testpapername", "Paper"}};
            row[field] = value;
            rows += "<Table";
            for (const auto& [name, text] : row)
                rows += ' ' + name.toStdString() + "=\"" + text.toStdString() + '"';
            rows += "/>";
        }
        bank_->service->reply(
            "LmvInclass_GetAllTestPaperList",
            "<?xml version=\"1.0\" encoding=\"GB2312\"?><NewDataSet>" + rows + "</NewDataSet>");
        const QLocale system;
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        QuestionBankPage& page = openPage();
        page.Button61->click();
        QLocale::setDefault(system);
        const std::map<QString, QStringList> shown = {{"testarea", comboTexts(page.CBTestArea)},
                                                      {"testtype", comboTexts(page.cboxtesttype)},
                                                      {"testyear", comboTexts(page.cbTestyear)},
                                                      {"testpapername", entryTexts(page.CBTestPaper)}};
        QCOMPARE(shown.at(field), listed);
    }

    void dropDownsSearchAtOnceTheKeywordOnlyOnLeaving() {
        QuestionBankPage& page = openPage();
        QVERIFY(QTest::qWaitForWindowActive(&page));
        QVERIFY(choose(page.CBTestArea, QStringLiteral("北京")));
        QCOMPARE(entryTexts(page.CBTestPaper), (QStringList{"unit 3 test", "Unit 3 test"}));

        page.EditSearch->setFocus();
        QTest::keyClicks(page.EditSearch, QStringLiteral("Unit"));
        QTest::keyClick(page.EditSearch, Qt::Key_Return);
        QCOMPARE(page.CBTestPaper->count(), 2);
        page.CBTestPaper->setFocus(Qt::TabFocusReason);
        QTRY_COMPARE(entryTexts(page.CBTestPaper), QStringList{"Unit 3 test"});
        QCOMPARE(page.Label10->text(), QStringLiteral("共1套"));

        // The year choice searches with the keyword already typed.
        QVERIFY(choose(page.cbTestyear, QStringLiteral("2020")));
        QCOMPARE(page.CBTestPaper->count(), 0);
    }

    void choosingAPaperOpensItsSourceWithTheCurrentUser() {
        QuestionBankPage& page = openPage();
        page.Button61->click();
        // Clicking the list without an entry under the pointer does nothing.
        QTest::mouseClick(page.CBTestPaper->viewport(), Qt::LeftButton, {},
                          QPoint(5, page.CBTestPaper->viewport()->height() - 5));
        QVERIFY(bank_->navigations.entries.isEmpty());
        QVERIFY(!page.lbstorequestion->isVisible());

        bank_->member.UserId = "t-setting";
        clickRow(
            page.CBTestPaper,
            page.CBTestPaper->row(page.CBTestPaper->findItems("Unit 3 test", Qt::MatchExactly).value(0)));
        QCOMPARE(bank_->navigations.entries,
                 QStringList{"WBVantorQuestion https://" + QString::fromStdString(bank_->service->host()) +
                             "/homework/source?sourceid=p1&userid=t-setting"});
        QCOMPARE(page.LbURL->text(), QStringLiteral("Unit 3 test"));
        QVERIFY(page.lbstorequestion->isVisible());
        QCOMPARE(page.lbstorequestion->text(), QStringLiteral("当前试卷号：p1"));

        // The keyboard moves the choice as well.
        page.CBTestPaper->setFocus();
        QTest::keyClick(page.CBTestPaper, Qt::Key_Up);
        QCOMPARE(bank_->navigations.entries.size(), 2);
        QVERIFY(bank_->navigations.entries.last().contains(QStringLiteral("sourceid=p2&")));
    }
};

QTEST_MAIN(TestTestPaperSearch)
#include "test_test_paper_search.moc"
