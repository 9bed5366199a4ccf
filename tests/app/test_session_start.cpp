// The teacher session start after a sign-in in the login dialog, driven through the program
// entry against the demo service (its request log shows what went out, in order) or a scripted
// classroom service (whose recorded bodies show the arguments).
#include <QtTest>

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>

#include "DataRows.h"
#include "DemoService.h"
#include "MainWindowControls.h"
#include "MessageRecorder.h"
#include "ScriptedClassroom.h"
#include "app/LumoClass.h"
#include "app/Tfmlogin.h"
#include "cache/CacheFolder.h"
#include "main/TFmMain.h"
#include "service/AppError.h"
#include "service/GbkText.h"
#include "service/HttpGetText.h"
#include "service/ShowMessage.h"
#include "service/TReplyDataset.h"
#include "test_login_support.h"

namespace {

const QStringList kCatalogueStart = {"LmvInclass_LogOn", "LmvInclass_GetBookList", "LmvInclass_GetUnitList",
                                     "LmvInclass_GetTestList", "LmvInclass_GetClipList"};

const QStringList kTeacherStart =
    kCatalogueStart + QStringList{"LmvInclass_GetTeacherSetting", "account-notification"};

std::string memberReply(const std::string& userId, const std::string& typeId) {
    return "<NewDataSet><Table user_id=\"" + userId + "\" passwd=\"pw-sign\" usertypeid=\"" + typeId +
           "\" lastname=\"L\" firstname=\"F\" grade=\"3\" syllabusid=\"s1\" email=\"e\" "
           "phone=\"p\"/></NewDataSet>";
}

// Where a SOAP body carries the user id argument.
bool carriesUserId(const RecordedRequest& request, const std::string& userId) {
    return request.body.find("<userid>" + userId + "</userid>") != std::string::npos;
}

}  // namespace

class TestSessionStart : public QObject, protected SignInFixture {
    Q_OBJECT

private:
    // Both the classroom and the account server are the scripted service; it signs "u-sign" in
    // as a member of `typeId`, with empty book, unit, assignment and clip lists.
    static void scriptSignIn(ScriptedClassroom& service, const char* typeId) {
        service.writeConfig({"account"});
        service.reply("LmvInclass_LogOn", memberReply("u-sign", typeId));
        for (const char* operation : {"LmvInclass_GetBookList", "LmvInclass_GetUnitList",
                                      "LmvInclass_GetTestList", "LmvInclass_GetClipList"})
            service.reply(operation, "<NewDataSet/>");
    }

private slots:
    void init() { prepare(); }
    void cleanup() {
        release();
        QCOMPARE(QApplication::topLevelWidgets().size(), 0);
    }

    // The whole start as the demo's log shows it; the books, units, homework and clips are in.
    void signInRunsTheSessionInOrder_data() {
        addColumns<QString, QString, QStringList>({"account", "password", "operations"});
        QTest::addColumn<QString>("notifiedUserId");  // null: no notification
        QTest::addColumn<bool>("tls");                // classroom and account given as https://
        addRow("teacher, 100", "teacher", "lumo2024", kTeacherStart, "t1001", false);
        addRow("other type, 20", "guest", "visit20", kCatalogueStart, QString(), false);
        addRow("teacher, 100, over HTTPS", "teacher", "lumo2024", kTeacherStart, "t1001", true);
    }
    void signInRunsTheSessionInOrder() {
        QFETCH(QString, account);
        QFETCH(QString, password);
        QFETCH(QStringList, operations);
        QFETCH(QString, notifiedUserId);
        QFETCH(bool, tls);
        startDemo({}, tls);
        MessageRecorder messages;
        Tfmlogin* login = start();
        signIn(login, account, password);
        QVERIFY2(messages.texts().isEmpty(), qPrintable(messages.texts().join('\n')));
        QCOMPARE(operationsOf(*demo_), operations);
        // The password digest and every catalogue cross the network encrypted when asked to; the
        // pictures keep their plain address.
        for (const QString& line : demo_->settledLog()) {
            const QString target = line.split(u' ').value(4);
            if (target.startsWith("/lmv-inclass/") || target.startsWith("/api/zavive/"))
                QVERIFY2(line.split(u' ').value(1) == (tls ? "https" : "http"), qPrintable(line));
        }
        if (!notifiedUserId.isNull())
            QCOMPARE(notificationTargets(*demo_),
                     QStringList{"/api/zavive/RealNameAuthentication?device=pc&userid=" + notifiedUserId +
                                 "&account=" + account});
        TFmMain* window = entry_->FmMain();
        QVERIFY(window && window->isVisible());
        QVERIFY(books(*window)->count() > 0);
        QVERIFY(!window->Catalogue.UnitList.IsEmpty());
        QVERIFY(!window->Catalogue.HomeworkList.IsEmpty());
        QVERIFY(!window->Catalogue.MediaClipList.IsEmpty());
        QVERIFY(!login->isVisible());
        QVERIFY(!login->programEndRequested());
    }

    // A failing teacher setting or notification is shown; the teacher keeps a working window.
    void teacherFailuresAreShownAndTheSessionGoesOn_data() {
        addColumns<QString, QByteArray, QString>({"faultFile", "fault", "message"});
        QTest::addColumn<QString>("userId");  // the one notified and kept
        addRow("setting call fails", "faults/LmvInclass_GetTeacherSetting",
               QByteArray("soap-fault:No setting service"), "未能获取老师教授科目信息！", "t1002");
        addRow("notification fails", "faults/http", QByteArray("/api/zavive/ http-500"),
               "异常类名称:HttpError\r\n异常信息:HTTP 500", "t1001");
    }
    void teacherFailuresAreShownAndTheSessionGoesOn() {
        QFETCH(QString, faultFile);
        QFETCH(QByteArray, fault);
        QFETCH(QString, message);
        QFETCH(QString, userId);
        QTemporaryDir overrides;
        writeFile(overrides.filePath(faultFile), fault + "\n");
        startDemo({overrides.path()});
        MessageRecorder messages;
        Tfmlogin* login = start();
        // "head" signs in as t1002; the setting would make it t1001.
        signIn(login, "head", "head2024");
        QCOMPARE(messages.texts(), QStringList{message});
        QCOMPARE(
            notificationTargets(*demo_),
            QStringList{"/api/zavive/RealNameAuthentication?device=pc&userid=" + userId + "&account=head"});
        TFmMain* window = entry_->FmMain();
        QVERIFY(window && window->isVisible());
        QCOMPARE(window->Member.UserId, GbkString(userId.toStdString()));
        QVERIFY(books(*window)->count() > 0);
        QVERIFY(!login->isVisible());
        QVERIFY(!login->programEndRequested());
    }

    void refusedTypesSeeTheWindowAndEndWithoutTheCacheCleanUp_data() {
        addColumns<QString, QString>({"account", "password"});
        addRow("pupil, 30", "student", "learn30");
        addRow("parent, 50", "parent", "family50");
    }
    void refusedTypesSeeTheWindowAndEndWithoutTheCacheCleanUp() {
        QFETCH(QString, account);
        QFETCH(QString, password);
        startDemo();
        const QString cached = QString::fromStdString(CacheFolder::temporaryPath()) + "page-1.jpg";
        writeFile(cached, "cached picture");
        MessageRecorder messages;
        Tfmlogin* login = start();
        // When the refusal is shown the window is up; the teacher ticks the clean-up there, which
        // an end of this kind must not run.
        bool windowShownAtRefusal = false;
        MessageSink recorder = SetMessageSink({});
        SetMessageSink([&](const QString& text) {
            recorder(text);
            if (TFmMain* window = entry_->FmMain()) {
                windowShownAtRefusal = window->isVisible();
                control<QCheckBox>(*window, "CheckBoxDeleteFile")->setChecked(true);
            }
        });
        QCOMPARE(signInAndRunTheLoop(login, account, password), 0);
        SetMessageSink(recorder);
        QCOMPARE(messages.texts(), QStringList{"权限不够。退出！"});
        QVERIFY(windowShownAtRefusal);
        QVERIFY(login->programEndRequested());
        QCOMPARE(operationsOf(*demo_), kCatalogueStart);
        // The program's end destroys the windows without closing them.
        entry_.reset();
        QVERIFY(QFile::exists(cached));
    }

    void settingUserIdIsUsedByEveryLaterCall() {
        ScriptedClassroom service;
        scriptSignIn(service, "55");
        service.reply(
            "LmvInclass_GetTeacherSetting",
            "<NewDataSet><Table userid=\" u-set \" passwd=\"pw-set\" subject=\"english\"/></NewDataSet>");
        service.reply("LmvInclass_GetSceneTextJsonList", "");
        const std::string notification =
            "/api/zavive/RealNameAuthentication?device=pc&userid=u-set&account=Head";
        service.get(notification, {200, "application/json", "{}"});
        MessageRecorder messages;
        Tfmlogin* login = start();
        signIn(login, "Head", "head2024");
        TFmMain* window = entry_->FmMain();
        QVERIFY(window);
        QCOMPARE(window->Member.UserId, GbkString("u-set"));
        QCOMPARE(window->Member.Passwd, GbkString("pw-set"));
        QCOMPARE(window->Member.TypeId, GbkString("55"));

        window->LoadBookScenes("s1", "b1");
        std::map<std::string, std::string> userIdBy;
        for (const RecordedRequest& request : service.requests()) {
            const std::string operation = ScriptedClassroom::operationOf(request);
            if (operation.empty()) {
                QCOMPARE(request.target, notification);
                continue;
            }
            for (const std::string id : {"u-sign", "u-set"})
                if (carriesUserId(request, id)) userIdBy[operation] = id;
        }
        QCOMPARE(userIdBy["LmvInclass_GetTestList"], std::string("u-sign"));
        QCOMPARE(userIdBy["LmvInclass_GetTeacherSetting"], std::string("u-sign"));
        QCOMPARE(userIdBy["LmvInclass_GetSceneTextJsonList"], std::string("u-set"));
        QCOMPARE(service.requests().back().target, std::string("/lmv-inclass/lmvInclass.asmx"));
        QCOMPARE(service.requests()[service.requests().size() - 2].target, notification);
    }

    // Each value goes out percent-encoded byte by byte: the server decodes what was typed.
    void notificationCarriesTheValuesAsTyped_data() {
        addColumns<QString, QByteArray>({"account", "encoded"});
        addRow("blank", "Mr Head", QByteArray("Mr%20Head"));
        addRow("characters that cut a query", "a#b&c=d", QByteArray("a%23b%26c%3Dd"));
        addRow("characters a server decodes", "50%+1", QByteArray("50%25%2B1"));
        addRow("GBK bytes as they are", "王", QByteArray("%CD%F5"));
        addRow("unreserved characters stay", "A-z.0_9~", QByteArray("A-z.0_9~"));
    }
    void notificationCarriesTheValuesAsTyped() {
        QFETCH(QString, account);
        QFETCH(QByteArray, encoded);
        ScriptedClassroom service;
        scriptSignIn(service, "55");
        service.reply("LmvInclass_GetTeacherSetting",
                      "<NewDataSet><Table userid=\"u 1/2\" passwd=\"p\" subject=\"english\"/></NewDataSet>");
        const std::string target =
            "/api/zavive/RealNameAuthentication?device=pc&userid=u%201%2F2&account=" + encoded.toStdString();
        service.get(target, {200, "application/json", "{}"});
        MessageRecorder messages;
        Tfmlogin* login = start();
        signIn(login, account, "head2024");
        QVERIFY2(messages.texts().isEmpty(), qPrintable(messages.texts().join('\n')));
        QCOMPARE(service.requests().back().target, target);
    }

    void settingWithoutRowEndsAfterTheNotification() {
        startDemo();
        MessageRecorder messages;
        Tfmlogin* login = start();
        QCOMPARE(signInAndRunTheLoop(login, "nosetting", "empty55"), 0);
        QCOMPARE(messages.texts(), QStringList{"未配置老师的学科信息, 退出程序."});
        QCOMPARE(operationsOf(*demo_), kTeacherStart);
        QCOMPARE(notificationTargets(*demo_),
                 QStringList{"/api/zavive/RealNameAuthentication?device=pc&userid=&account=nosetting"});
        QCOMPARE(entry_->FmMain()->Member.UserId, GbkString());
        QCOMPARE(entry_->FmMain()->Member.Passwd, GbkString());
        QVERIFY(login->programEndRequested());
    }

    void unreadableSettingStopsTheSessionBeforeTheNotification() {
        ScriptedClassroom service;
        scriptSignIn(service, "100");
        const std::string setting = "<NewDataSet><Table userid=\"u-set\"";
        service.reply("LmvInclass_GetTeacherSetting", setting);
        QString expected;
        try {
            ParseReplyDataset(GbkString(setting), DeclarationRule::AlwaysPrefix);
        } catch (const XmlParseError& error) {
            expected = QString::fromUtf8(error.what());
        }
        QVERIFY(!expected.isEmpty());
        MessageRecorder messages;
        Tfmlogin* login = start();
        signIn(login, "t", "pw");
        QCOMPARE(messages.texts(), QStringList{expected});
        QCOMPARE(ScriptedClassroom::operationOf(service.requests().back()),
                 std::string("LmvInclass_GetTeacherSetting"));
        QCOMPARE(entry_->FmMain()->Member.UserId, GbkString("u-sign"));
        QVERIFY(entry_->FmMain()->isVisible());
        QVERIFY(login->isVisible());
        QVERIFY(!login->programEndRequested());
    }

    void typeThatIsNoNumberStopsBeforeTheDecision() {
        ScriptedClassroom service;
        scriptSignIn(service, "1O0");
        service.reply("LmvInclass_GetUnitList",
                      "<NewDataSet><Table unitcode=\"u1\" unitname=\"Unit 1\"/></NewDataSet>");
        MessageRecorder messages;
        Tfmlogin* login = start();
        signIn(login, "t", "pw");
        QCOMPARE(messages.texts(), QStringList{"'1O0' is not a valid integer value"});
        TFmMain* window = entry_->FmMain();
        QVERIFY(window && window->isVisible());
        QCOMPARE(window->Catalogue.UnitList.Count(), std::size_t(1));
        QCOMPARE(ScriptedClassroom::operationOf(service.requests().back()),
                 std::string("LmvInclass_GetClipList"));
        // The dialog stays up in the look of an accepted sign-in, its button usable.
        QVERIFY(login->isVisible());
        QVERIFY(login->windowFlags().testFlag(Qt::FramelessWindowHint));
        QVERIFY(login->btnlogin->isEnabled());
        QVERIFY(!login->programEndRequested());
    }
};

QTEST_MAIN(TestSessionStart)
#include "test_session_start.moc"
