// The question search of the question bank sheet against a scripted classroom service (the
// demo service for a failing query): the unit's sections, the query and its failures, the reply
// reader, showing a question and the hidden question types.
#include <QtTest>

#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>

#include "DataRows.h"
#include "DemoService.h"
#include "MessageRecorder.h"
#include "ScriptedClassroom.h"
#include "SheetTestSupport.h"
#include "TestFiles.h"
#include "questions/QuestionBankPage.h"

namespace {

const std::string kSections =
    "<?xml version=\"1.0\" encoding=\"GB2312\"?><NewDataSet>"
    "<Table unitcode=\"u1\" sectionid=\"s1\" sectionname=\"Reading\" questioncount=\"12\"/>"
    "<Table unitcode=\"u1\" sectionid=\"s2\" sectionname=\"语法\" questioncount=\" 3 \"/>"
    "</NewDataSet>";

const std::string kTwoQuestions =
    "<NewDataSet><Table qid=\"1110\" typetext=\"单选题\" rt=\"3\"/>"
    "<Table qid=\" 1111 \" typetext=\"完形填空\" rating=\"4\"/></NewDataSet>";

}  // namespace

class TestQuestionSearch : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QuestionBankAlone> bank_;

    QuestionBankPage& openPage() {
        QuestionBankPage& page = bank_->open();
        page.PageControl1->setCurrentWidget(page.TabSheet2);
        return page;
    }
    void chooseUnit(const char* code) {
        bank_->unit = std::make_unique<TUnitObj>();
        bank_->unit->unitcode = GbkString(code);
    }
    std::vector<RecordedRequest> requestsOf(const std::string& operation) const {
        std::vector<RecordedRequest> found;
        for (const RecordedRequest& request : bank_->service->requests())
            if (ScriptedClassroom::operationOf(request) == operation) found.push_back(request);
        return found;
    }
    static bool carries(const RecordedRequest& request, const std::string& element) {
        return request.body.find(element) != std::string::npos;
    }

private slots:
    void init() {
        bank_ = std::make_unique<QuestionBankAlone>("t1", QStringLiteral("questions.example"));
        bank_->service->reply("LmvInclass_GetSectionList", kSections);
    }
    void cleanup() { bank_.reset(); }

    void sectionsAreListedNoneChosenFailuresInTheTwoLineBox_data() {
        QTest::addColumn<int>("kind");  // 0 reply, 1 fault
        addColumns<QByteArray, QStringList, QStringList>({"reply", "messages", "entries"});
        addRow("sections", 0, QByteArray(kSections.c_str()), QStringList{},
               QStringList{"Reading (含12题)", "语法 (含3题)"});
        addRow("fault", 1, QByteArray("no sections"),
               QStringList{"异常类名称:SoapFault\r\n异常信息:no sections"}, QStringList{});
        const QByteArray cut = "<NewDataSet><Table sectionid=\"s1\"";
        addRow("cut off", 0, cut,
               QStringList{"异常类名称:XmlParseError\r\n异常信息:" +
                           ScriptedClassroom::parserMessage(cut.toStdString())},
               QStringList{});
    }
    void sectionsAreListedNoneChosenFailuresInTheTwoLineBox() {
        QFETCH(int, kind);
        QFETCH(QByteArray, reply);
        QFETCH(QStringList, messages);
        QFETCH(QStringList, entries);
        QuestionBankPage& page = openPage();
        page.RetriveUnitSectionList("u0");
        if (kind == 1)
            bank_->service->fault("LmvInclass_GetSectionList", reply.toStdString());
        else
            bank_->service->reply("LmvInclass_GetSectionList", reply.toStdString());
        MessageRecorder recorder;
        page.RetriveUnitSectionList("u1");
        QCOMPARE(recorder.texts(), messages);
        QCOMPARE(comboTexts(page.cbsection), entries);
        QCOMPARE(page.cbsection->currentIndex(), -1);
        const RecordedRequest request = requestsOf("LmvInclass_GetSectionList").back();
        QVERIFY(carries(request, "<userid>t1</userid><subject>english</subject><unitcode>u1</unitcode>"));
        // Refilling is not the teacher's choice: no query runs.
        QVERIFY(requestsOf("LmvInclass_getQuestionListFromaSection").empty());
    }

    void queryNeedsAUnitOrASection_data() {
        addColumns<QByteArray, QString, bool>({"unit", "section", "queried"});
        addRow("neither", QByteArray(), QString(), false);
        addRow("section without unit", QByteArray(), "语法 (含3题)", true);
        addRow("unit without section", QByteArray("u1"), QString(), true);
        addRow("both", QByteArray("u1"), "Reading (含12题)", true);
    }
    void queryNeedsAUnitOrASection() {
        QFETCH(QByteArray, unit);
        QFETCH(QString, section);
        QFETCH(bool, queried);
        bank_->service->reply("LmvInclass_getQuestionListFromaSection", kTwoQuestions);
        QuestionBankPage& page = openPage();
        page.RetriveUnitSectionList("u1");
        if (!unit.isEmpty()) chooseUnit(unit.constData());
        MessageRecorder messages;
        if (section.isEmpty())
            page.BitBtn16Click();
        else
            QVERIFY(choose(page.cbsection, section));
        const auto queries = requestsOf("LmvInclass_getQuestionListFromaSection");
        if (!queried) {
            QCOMPARE(messages.texts(), QStringList{"请先选择查询条件！"});
            QVERIFY(queries.empty());
            return;
        }
        QVERIFY(messages.texts().isEmpty());
        QCOMPARE(queries.size(), std::size_t(1));
        const std::string sectionId = section.isEmpty() ? "" : section.startsWith("语法") ? "s2" : "s1";
        QVERIFY(carries(queries[0], "<userid>t1</userid>"));
        QVERIFY(carries(queries[0], "<subject>english</subject>"));
        QVERIFY(carries(queries[0], "<unitcode>" + unit.toStdString() + "</unitcode>"));
        QVERIFY(carries(queries[0], "<sectionid>" + sectionId + "</sectionid>"));
        QCOMPARE(page.VantorquestionListView->topLevelItemCount(), 2);
        QCOMPARE(page.Label37->text(), QStringLiteral("返回题目数：2"));
    }

    void replyIsReadWithItsOwnOrAnAddedDeclaration_data() {
        addColumns<QByteArray, QStringList>({"reply", "rows"});
        addRow("declared, rows under the document element",
               QByteArray("<?xml version=\"1.0\" encoding=\"GB2312\"?>\n") + kTwoQuestions.c_str(),
               QStringList{"1110|单选题|3", "1111|完形填空|4"});
        addRow("no declaration, rows wrapped",
               QByteArray("<NewDataSet><Questions><Table qid=\"7\" typetext=\"阅读理解\" rt=\"2\"/>"
                          "<Table qid=\"8\" typetext=\"书面表达\" rt=\"5\"/></Questions></NewDataSet>"),
               QStringList{"7|阅读理解|2", "8|书面表达|5"});
        addRow("only questionid",
               QByteArray("<NewDataSet><Table questionid=\" 42 \" qtpid=\"1\" "
                          "typetext=\"单选题\" rt=\"1\"/></NewDataSet>"),
               QStringList{"42|单选题|1"});
        addRow("no id at all: rt in the type column",
               QByteArray("<NewDataSet><Table qid=\" \" questiontypeid=\"1\" typetext=\"单选题\" "
                          "rt=\"5\"/></NewDataSet>"),
               QStringList{"|5|"});
        addRow("entities in values",
               QByteArray(
                   "<NewDataSet><Table qid=\"q&amp;1\" typetext=\"&lt;完形&gt; &#65;&amp;#38;\" rt=\"1\"/>"
                   "</NewDataSet>"),
               QStringList{"q&1|<完形> A&#38;|1"});
        addRow("no rows", QByteArray("<NewDataSet/>"), QStringList{});
        // A million elements in all, the most a reply may hold, but one row among them.
        QByteArray crowded = "<NewDataSet><Questions><Table qid=\"7\" typetext=\"阅读理解\" rt=\"2\">";
        for (int i = 0; i < 999997; ++i) crowded += "<x/>";
        addRow("a million elements", crowded + "</Table></Questions></NewDataSet>",
               QStringList{"7|阅读理解|2"});
    }
    void replyIsReadWithItsOwnOrAnAddedDeclaration() {
        QFETCH(QByteArray, reply);
        QFETCH(QStringList, rows);
        bank_->service->reply("LmvInclass_getQuestionListFromaSection", kTwoQuestions);
        QuestionBankPage& page = openPage();
        chooseUnit("u1");
        page.BitBtn16Click();
        bank_->service->reply("LmvInclass_getQuestionListFromaSection", reply.toStdString());
        MessageRecorder messages;
        page.BitBtn16Click();
        QVERIFY(messages.texts().isEmpty());
        QCOMPARE(rowTexts(page.VantorquestionListView), rows);
        QCOMPARE(page.Label37->text(), QStringLiteral("返回题目数：%1").arg(rows.size()));
    }

    // A failed query leaves nothing of the section chosen before: not its rows, not its count.
    void failedQueryEmptiesTheListAndTheCount_data() {
        addColumns<QString, QByteArray, QString>({"file", "content", "message"});
        const QString faults = QStringLiteral("faults/LmvInclass_getQuestionListFromaSection");
        addRow("service fault", faults, QByteArray("soap-fault:question bank closed\n"),
               "异常类名称:SoapFault\r\n异常信息:question bank closed");
        // %1: the demo service's host.
        addRow("HTTP 500", faults, QByteArray("http-500\n"),
               "异常类名称:HttpError\r\n异常信息:HTTP status 500 from "
               "http://%1/lmv-inclass/lmvInclass.asmx");
        addRow("reply cut off", faults, QByteArray("invalid-xml\n"),
               "异常类名称:XmlParseError\r\n异常信息:AttValue: \" or ' expected");
        QByteArray crowded = "<NewDataSet>";
        for (int i = 0; i < 1000000; ++i) crowded += "<Table/>";
        addRow("one element too many",
               "datasets/LmvInclass_getQuestionListFromaSection/b3a-u1_b3a-u1-sec2.xml",
               crowded + "</NewDataSet>",
               "异常类名称:XmlParseError\r\n异常信息:The reply is too large: more than 1000000 elements");
    }
    void failedQueryEmptiesTheListAndTheCount() {
        QFETCH(QString, file);
        QFETCH(QByteArray, content);
        QFETCH(QString, message);
        QTemporaryDir overrides;
        DemoService demo({overrides.path()});
        bank_->dm = dataModule(demo.host(), demo.address());
        QuestionBankPage& page = openPage();
        chooseUnit("b3a-u1");
        page.RetriveUnitSectionList("b3a-u1");
        QVERIFY(choose(page.cbsection, QStringLiteral("词汇 Vocabulary (含4题)")));
        QCOMPARE(page.VantorquestionListView->topLevelItemCount(), 4);
        QCOMPARE(page.Label37->text(), QStringLiteral("返回题目数：4"));

        const QString path = overrides.filePath(file);
        writeFile(path, content);
        MessageRecorder messages;
        QVERIFY(choose(page.cbsection, QStringLiteral("语法 Grammar (含4题)")));
        QCOMPARE(messages.texts(), QStringList{QString(message).replace("%1", demo.host())});
        QCOMPARE(page.VantorquestionListView->topLevelItemCount(), 0);
        QCOMPARE(page.Label37->text(), QStringLiteral("返回题目数：0"));
    }

    void clickShowsTheQuestionDoubleClickItsAddress() {
        bank_->service->reply("LmvInclass_getQuestionListFromaSection", kTwoQuestions);
        QuestionBankPage& page = openPage();
        chooseUnit("u1");
        page.BitBtn16Click();
        QVERIFY(bank_->navigations.entries.isEmpty());
        QVERIFY(!page.lbstorequestion->isVisible());

        clickRow(page.VantorquestionListView, 1);
        const QString address = QStringLiteral("http://questions.example:8090/question/index/1111");
        QCOMPARE(bank_->navigations.entries, QStringList{"WBVantorQuestion " + address});
        QVERIFY(page.lbstorequestion->isVisible());
        QCOMPARE(page.lbstorequestion->text(), QStringLiteral("当前题号：1111"));
        QCOMPARE(page.LbURL->text(), QStringLiteral("题目显示"));

        doubleClickRow(page.VantorquestionListView, 1);
        QCOMPARE(bank_->navigations.entries.last(), "WBVantorQuestion " + address);
        QCOMPARE(page.LbURL->text(), address);
        QCOMPARE(page.lbstorequestion->text(), QStringLiteral("1111"));
    }

    void questionTypesLoadOnceIntoTheHiddenDropDown_data() {
        addColumns<bool, QStringList, int>({"fault", "entries", "requests"});
        addRow("types", false, QStringList{"", "单选题", "完形填空"}, 1);
        addRow("fault: two tries, no message", true, QStringList{}, 2);
    }
    void questionTypesLoadOnceIntoTheHiddenDropDown() {
        QFETCH(bool, fault);
        QFETCH(QStringList, entries);
        QFETCH(int, requests);
        if (fault)
            bank_->service->fault("LmvInclass_GetQuestionTypeList", "no types");
        else
            bank_->service->reply("LmvInclass_GetQuestionTypeList",
                                  "<?xml version=\"1.0\" encoding=\"GB2312\"?><NewDataSet>"
                                  "<Table questiontypeid=\"1\" QuestTypeName=\" 单选题 \"/>"
                                  "<Table questiontypeid=\"2\" QuestTypeName=\"完形填空\"/></NewDataSet>");
        MessageRecorder messages;
        QuestionBankPage& page = openPage();
        page.LoadQuestionTypeList();
        if (!fault) page.LoadQuestionTypeList();
        QCOMPARE(comboTexts(page.CBVantorQuestionType), entries);
        QCOMPARE(page.CBVantorQuestionType->currentIndex(), fault ? -1 : 0);
        QCOMPARE(requestsOf("LmvInclass_GetQuestionTypeList").size(), std::size_t(requests));
        QVERIFY(messages.texts().isEmpty());
        QVERIFY(!page.CBVantorQuestionType->isVisible() && !page.BitBtn16->isVisible());
    }
};

QTEST_MAIN(TestQuestionSearch)
#include "test_question_search.moc"
