// The launch modes of the entry, driven in-process against a scripted classroom service.
#include <QtTest>

#include <QComboBox>

#include "DataRows.h"
#include "MainWindowControls.h"
#include "MessageRecorder.h"
#include "ScriptedClassroom.h"
#include "app/LumoClass.h"
#include "main/TFmMain.h"
#include "service/AppError.h"
#include "service/ClientConfig.h"
#include "service/TReplyDataset.h"
#include "service/TstudyDM.h"

namespace {

// Replies with Chinese values declare an encoding that covers the GBK bytes they reach the
// parser as; without it the plain rule reads them as UTF-8 and fails.
const std::string kGbDeclaration = "<?xml version=\"1.0\" encoding=\"GB2312\"?>";

std::string memberDataset(const std::string& typeId, const std::string& syllabusId = "7") {
    return kGbDeclaration + "<NewDataSet><Table user_id=\" u-17 \" passwd=\"pw\" typeid=\"" + typeId +
           "\" lastname=\"王\" firstname=\"小明\" grade=\"3\" syllabusid=\"" + syllabusId +
           "\" email=\"a@b.c\" phone=\"123\"/></NewDataSet>";
}

const std::string kBooks = kGbDeclaration +
                           "<NewDataSet>"
                           "<Table bookname=\"英语三年级\" bookid=\"b3\" gradeid=\"3\"/>"
                           "<Table bookname=\"高一英语\" bookid=\"b10\" gradeid=\"10\"/>"
                           "<Table bookname=\"英语九年级\" bookid=\"b9\" gradeid=\"9\"/>"
                           "</NewDataSet>";

QString query(const ScriptedClassroom& service) {
    return QStringLiteral("user=teacher&password=Secret&webservice=") +
           QString::fromStdString(service.host());
}

QStringList comboTexts(const QComboBox* combo) {
    QStringList texts;
    for (int i = 0; i < combo->count(); ++i) texts << combo->itemText(i);
    return texts;
}

}  // namespace

class TestLaunchModes : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<ScriptedClassroom> service_;

    void scriptSignIn(const std::string& typeId) {
        service_->reply("LmvInclass_LogOn", memberDataset(typeId));
        service_->reply("LmvInclass_GetBookList", kBooks);
        service_->get("/syllabus/7_subjects.xml",
                      {200, "text/xml", "<subjects><subject id=\"1\" name=\"english\"/></subjects>"});
    }

private slots:
    void init() {
        service_ = std::make_unique<ScriptedClassroom>();
        service_->writeConfig();
    }
    void cleanup() {
        service_.reset();
        QCOMPARE(QApplication::topLevelWidgets().size(), 0);
    }

    void threeOrMoreArgumentsEndAtOnceWithoutAnything_data() {
        QTest::addColumn<QStringList>("arguments");
        addRow("three", QStringList{"-1", "user=a&password=b", "extra"});
        addRow("four", QStringList{"a", "b", "c", "d"});
    }
    void threeOrMoreArgumentsEndAtOnceWithoutAnything() {
        QFETCH(QStringList, arguments);
        // Not even the configuration is read: a broken one would otherwise be reported.
        ScriptedClassroom::writeConfig("not a host:0");
        MessageRecorder messages;
        LumoClass entry;
        QCOMPARE(entry.run(arguments), LumoClass::Outcome::EndedAtOnce);
        QCOMPARE(entry.exitCode(), 0);
        QVERIFY(messages.texts().isEmpty());
        QVERIFY(service_->requests().empty());
        QVERIFY(QApplication::topLevelWidgets().isEmpty());
        QVERIFY(entry.studyDM() == nullptr);
    }

    void modeFlagOtherThanMinusOneSignsInButOpensNoWindow_data() {
        QTest::addColumn<QString>("flag");
        addRow("zero", "0");
        addRow("minus one with blank", "-1 ");
        addRow("one", "1");
    }
    void modeFlagOtherThanMinusOneSignsInButOpensNoWindow() {
        QFETCH(QString, flag);
        scriptSignIn("30");
        MessageRecorder messages;
        LumoClass entry;
        QCOMPARE(entry.run({flag, query(*service_)}), LumoClass::Outcome::Ended);
        QCOMPARE(entry.exitCode(), 0);
        QCOMPARE(service_->operations(), std::vector<std::string>{"LmvInclass_LogOn"});
        QVERIFY(messages.texts().isEmpty());
        QVERIFY(entry.FmMain() == nullptr);
        QVERIFY(QApplication::topLevelWidgets().isEmpty());
        QCOMPARE(entry.member().UserId, GbkString("u-17"));
    }

    void logOnCarriesTheQueryValuesAndSetsUpTheProxy() {
        scriptSignIn("30");
        MessageRecorder messages;
        LumoClass entry;
        entry.run(
            {"0", "WebService=" + QString::fromStdString(service_->host()) + "&PASSWORD=Secret&User=Tea"});
        const auto requests = service_->requests();
        QCOMPARE(requests.size(), std::size_t(1));
        QCOMPARE(requests[0].target, std::string("/lmv-inclass/lmvInclass.asmx"));
        QCOMPARE(requests[0].header("content-type"), std::string("text/xml; charset=\"utf-8\""));
        QVERIFY(requests[0].body.find("<email>Tea</email>") != std::string::npos);
        QVERIFY(requests[0].body.find("<password>Secret</password>") != std::string::npos);
        QCOMPARE(entry.studyDM()->WebServiceHost, GbkString(service_->host()));
    }

    void wrongPasswordShowsItsMessageAndEnds_data() {
        QTest::addColumn<QString>("flag");
        addRow("opening flag", "-1");
        addRow("other flag", "5");
    }
    void wrongPasswordShowsItsMessageAndEnds() {
        QFETCH(QString, flag);
        service_->reply("LmvInclass_LogOn", "0");
        MessageRecorder messages;
        LumoClass entry;
        QCOMPARE(entry.run({flag, query(*service_)}), LumoClass::Outcome::Ended);
        QCOMPARE(messages.texts(), QStringList{"密码错误"});
        QCOMPARE(entry.exitCode(), 1);
        QCOMPARE(service_->operations(), std::vector<std::string>{"LmvInclass_LogOn"});
        QVERIFY(QApplication::topLevelWidgets().isEmpty());
    }

    void typeThirtyKeepsAFullMainWindow() {
        scriptSignIn("30");
        MessageRecorder messages;
        LumoClass entry;
        QCOMPARE(entry.run({"-1", query(*service_)}), LumoClass::Outcome::RunLoop);
        QVERIFY2(messages.texts().isEmpty(), qPrintable(messages.texts().join('\n')));
        TFmMain* window = entry.FmMain();
        QVERIFY(window != nullptr);
        QVERIFY(window->isVisible());
        QCOMPARE(window->windowTitle(), QStringLiteral("Lumovia Class——Lumo课堂"));
        QCOMPARE(comboTexts(books(*window)), (QStringList{"英语三年级", "英语九年级"}));
        QCOMPARE(books(*window)->currentIndex(), -1);
        QCOMPARE(window->Member.UserId, GbkString("u-17"));
        QCOMPARE(window->Member.TypeId, GbkString("30"));
        QCOMPARE(service_->operations(),
                 (std::vector<std::string>{"LmvInclass_LogOn", "LmvInclass_GetBookList"}));
        const auto requests = service_->requests();
        QCOMPARE(requests.back().method, std::string("GET"));
        QCOMPARE(requests.back().target, std::string("/syllabus/7_subjects.xml"));
    }

    void userTypeDecidesWhetherTheWindowStays_data() {
        addColumns<QString, bool>({"typeId", "stays"});
        addRow("30", "30", true);
        addRow("50", "50", true);
        addRow("55", "55", false);
        addRow("100", "100", false);
        addRow("other number", "7", false);
    }
    void userTypeDecidesWhetherTheWindowStays() {
        QFETCH(QString, typeId);
        QFETCH(bool, stays);
        scriptSignIn(typeId.toStdString());
        MessageRecorder messages;
        LumoClass entry;
        const auto outcome = entry.run({"-1", query(*service_)});
        QCOMPARE(outcome, stays ? LumoClass::Outcome::RunLoop : LumoClass::Outcome::Ended);
        QCOMPARE(entry.exitCode(), 0);
        QVERIFY(messages.texts().isEmpty());
        // The window was created (its creation asks for the book list) in every case.
        QVERIFY(entry.FmMain() != nullptr);
        const auto operations = service_->operations();
        QCOMPARE(operations.back(), std::string("LmvInclass_GetBookList"));
        // Only the admitted types fetch the syllabus subjects.
        QCOMPARE(service_->requests().back().method, std::string(stays ? "GET" : "POST"));
    }

    void startFailuresShowTheErrorAndEnd_data() {
        addColumns<QString, QString>({"typeId", "expected"});
        addRow("type not a number", "abc", "'abc' is not a valid integer value");
        addRow("type with blank inside", "3 0", "'3 0' is not a valid integer value");
        addRow("type missing", "", "'' is not a valid integer value");
    }
    void startFailuresShowTheErrorAndEnd() {
        QFETCH(QString, typeId);
        QFETCH(QString, expected);
        scriptSignIn(typeId.toStdString());
        MessageRecorder messages;
        LumoClass entry;
        QCOMPARE(entry.run({"-1", query(*service_)}), LumoClass::Outcome::Ended);
        QCOMPARE(messages.texts(), QStringList{expected});
        QCOMPARE(entry.exitCode(), 1);
    }

    void logOnFaultIsShownAndEnds() {
        service_->fault("LmvInclass_LogOn", "Server was unable to process request.");
        MessageRecorder messages;
        LumoClass entry;
        QCOMPARE(entry.run({"-1", query(*service_)}), LumoClass::Outcome::Ended);
        QCOMPARE(messages.texts(), QStringList{"Server was unable to process request."});
        QCOMPARE(entry.exitCode(), 1);
        QVERIFY(entry.FmMain() == nullptr);
    }

    void unreadableLogOnReplyIsShownAndEnds() {
        const std::string reply = "<NewDataSet><Table user_id=\"1\"";
        service_->reply("LmvInclass_LogOn", reply);
        MessageRecorder messages;
        LumoClass entry;
        QCOMPARE(entry.run({"-1", query(*service_)}), LumoClass::Outcome::Ended);
        const QString expected = ScriptedClassroom::parserMessage(reply);
        QVERIFY(!expected.isEmpty());
        QCOMPARE(messages.texts(), QStringList{expected});
        QVERIFY(entry.FmMain() == nullptr);
    }

    void logOnReplyWithoutRowEndsAtTheTypeConversion() {
        service_->reply("LmvInclass_LogOn", "<NewDataSet/>");
        service_->reply("LmvInclass_GetBookList", kBooks);
        MessageRecorder messages;
        LumoClass entry;
        QCOMPARE(entry.run({"-1", query(*service_)}), LumoClass::Outcome::Ended);
        QCOMPARE(messages.texts(), QStringList{"'' is not a valid integer value"});
    }

    void missingSubjectsDocumentIsShownAndEnds() {
        scriptSignIn("50");
        service_->get("/syllabus/7_subjects.xml", {404, "text/plain", "gone"});
        MessageRecorder messages;
        LumoClass entry;
        QCOMPARE(entry.run({"-1", query(*service_)}), LumoClass::Outcome::Ended);
        QCOMPARE(messages.texts(), QStringList{"HTTP 404"});
        QCOMPARE(entry.exitCode(), 1);
    }

    void subjectsDocumentContentIsNotUsed() {
        scriptSignIn("30");
        service_->get("/syllabus/7_subjects.xml", {200, "text/xml", "<subjects/>"});
        MessageRecorder messages;
        LumoClass entry;
        QCOMPARE(entry.run({"-1", query(*service_)}), LumoClass::Outcome::RunLoop);
        QVERIFY(messages.texts().isEmpty());
    }

    void badConfigurationIsShownAndEndsBeforeAnyRequest() {
        ScriptedClassroom::writeConfig("http://127.0.0.1:1/path");
        QString expected;
        try {
            ClientConfig::load();
        } catch (const ConfigError& error) {
            expected = QString::fromUtf8(error.what());
        }
        QVERIFY(!expected.isEmpty());
        MessageRecorder messages;
        LumoClass entry;
        QCOMPARE(entry.run({"-1", query(*service_)}), LumoClass::Outcome::Ended);
        QCOMPARE(messages.texts(), QStringList{expected});
        QCOMPARE(entry.exitCode(), 1);
        QVERIFY(service_->requests().empty());
    }

    void noOrOneArgumentOpensTheLoginWindowWithoutRequests_data() {
        QTest::addColumn<QStringList>("arguments");
        addRow("none", QStringList{});
        addRow("one", QStringList{"-1"});
    }
    void noOrOneArgumentOpensTheLoginWindowWithoutRequests() {
        QFETCH(QStringList, arguments);
        MessageRecorder messages;
        LumoClass entry;
        QCOMPARE(entry.run(arguments), LumoClass::Outcome::RunLoop);
        QVERIFY(entry.loginWindow() != nullptr);
        QVERIFY(entry.loginWindow()->isVisible());
        QVERIFY(entry.FmMain() == nullptr);
        QCOMPARE(entry.studyDM()->HTTPRIOLmvInClass_.URL(),
                 "http://" + service_->host() + "/lmv-inclass/lmvInclass.asmx");
        QVERIFY(entry.studyDM()->HTTPRIOLmvInClass_.useUtf8InHeader());
        QVERIFY(entry.studyDM()->WebServiceHost.empty());
        QVERIFY(service_->requests().empty());
        QVERIFY(messages.texts().isEmpty());
    }
};

QTEST_MAIN(TestLaunchModes)
#include "test_launch_modes.moc"
