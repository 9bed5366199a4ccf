// The login dialog driven through the program entry, as a teacher meets it: against the demo
// service or a scripted classroom service, with "qorox.ini" in a folder of the test's own.
#include <QtTest>

#include <unistd.h>

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <cerrno>
#include <cstring>

#include "DemoService.h"
#include "MessageRecorder.h"
#include "ScriptedClassroom.h"
#include "app/LumoClass.h"
#include "app/PasswordDigest.h"
#include "app/Tfmlogin.h"
#include "platform/WindowRegistry.h"
#include "main/TFmMain.h"
#include "service/AppError.h"
#include "service/GbkText.h"
#include "service/HttpGetText.h"
#include "service/TReplyDataset.h"
#include "service/TstudyDM.h"
#include "test_login_support.h"

namespace {

const GbkString kGuestDigest = PasswordDigest::md5Hex("visit20");

bool hasDialogLook(const Tfmlogin* login) {
    return !login->windowFlags().testFlag(Qt::FramelessWindowHint) &&
           login->windowFlags().testFlag(Qt::WindowCloseButtonHint);
}

}  // namespace

class TestLoginDialog : public QObject, protected SignInFixture {
    Q_OBJECT

private:
    QString iniPath() const { return programDir_->filePath(QStringLiteral("qorox.ini")); }

private slots:
    void init() { prepare(); }
    void cleanup() {
        release();
        QCOMPARE(QApplication::topLevelWidgets().size(), 0);
    }

    void firstStartOffersEmptyEditsWithFocusInThePassword() {
        startDemo();
        MessageRecorder messages;
        Tfmlogin* login = start();
        QVERIFY(login);
        QVERIFY(login->isVisible());
        QCOMPARE(login->windowTitle(), QStringLiteral("Lumovia-登录"));
        QCOMPARE(login->size(), QSize(426, 136));
        QVERIFY(login->Editmemberid->text().isEmpty());
        QVERIFY(login->Editpasswd->text().isEmpty());
        QCOMPARE(login->Editpasswd->echoMode(), QLineEdit::Password);
        QVERIFY(login->pwdCheckBox->isChecked());
        QVERIFY(login->btnlogin->isDefault());
        QVERIFY(QTest::qWaitForWindowActive(login));
        QCOMPARE(QApplication::focusWidget(), login->Editpasswd);
        QVERIFY(!QFile::exists(iniPath()));
        QVERIFY(settledLog(*demo_).isEmpty());
        QVERIFY(messages.texts().isEmpty());
    }

    void everyActivationPutsTheFocusInThePassword() {
        startDemo();
        Tfmlogin* login = start();
        QVERIFY(QTest::qWaitForWindowActive(login));
        login->Editmemberid->setFocus();
        QCOMPARE(QApplication::focusWidget(), login->Editmemberid);
        QWidget other;
        other.show();
        other.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&other));
        login->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(login));
        QCOMPARE(QApplication::focusWidget(), login->Editpasswd);
    }

    void passwordSentForTheEditText_data() {
        QTest::addColumn<QByteArray>("remembered");  // "passwd" in qorox.ini
        QTest::addColumn<QString>("typed");          // replaces the edit's text; null: untouched
        QTest::addColumn<bool>("backspace");         // one character removed at the end
        QTest::addColumn<QByteArray>("sent");
        const QByteArray digest("0123456789abcdef0123456789abcdef");
        QTest::newRow("remembered digest goes out unchanged") << digest << QString() << false << digest;
        QTest::newRow("remembered digest edited shorter is hashed")
            << digest << QString() << true
            << QByteArray::fromStdString(PasswordDigest::md5Hex(digest.left(31).toStdString()));
        QTest::newRow("typed password is hashed")
            << QByteArray() << "visit20" << false << QByteArray::fromStdString(kGuestDigest);
        const QString longText(40, u'k');
        QTest::newRow("typed 40 characters go out unhashed")
            << QByteArray() << longText << false << longText.toLatin1();
    }
    void passwordSentForTheEditText() {
        QFETCH(QByteArray, remembered);
        QFETCH(QString, typed);
        QFETCH(bool, backspace);
        QFETCH(QByteArray, sent);
        ScriptedClassroom service;
        service.writeConfig();
        service.reply("LmvInclass_LogOn", "0");
        writeFile(iniPath(), "[qorox]\nmemberid=guest\npasswd=" + remembered + "\n");
        MessageRecorder messages;
        Tfmlogin* login = start();
        QCOMPARE(login->Editpasswd->text().toLatin1(), remembered);
        if (!typed.isNull()) typeInto(login->Editpasswd, typed);
        if (backspace) {
            login->Editpasswd->end(false);
            QTest::keyClick(login->Editpasswd, Qt::Key_Backspace);
        }
        // Enter anywhere in the dialog presses the default button.
        QTest::keyClick(login->Editpasswd, Qt::Key_Return);
        QCOMPARE(messages.texts(), QStringList{"密码错误"});
        const auto requests = service.requests();
        QCOMPARE(requests.size(), std::size_t(1));
        QVERIFY(requests[0].body.find("<email>guest</email>") != std::string::npos);
        QVERIFY2(
            requests[0].body.find("<password>" + sent.toStdString() + "</password>") != std::string::npos,
            requests[0].body.c_str());
    }

    void acceptedCredentialsAreRemembered_data() {
        QTest::addColumn<bool>("rememberPassword");
        QTest::addColumn<QByteArray>("passwdLine");
        QTest::newRow("password remembered")
            << true << QByteArray::fromStdString("passwd=" + kGuestDigest + "\n");
        QTest::newRow("only the account remembered") << false << QByteArray("passwd=\n");
    }
    void acceptedCredentialsAreRemembered() {
        QFETCH(bool, rememberPassword);
        QFETCH(QByteArray, passwdLine);
        startDemo();
        MessageRecorder messages;
        Tfmlogin* login = start();
        login->pwdCheckBox->setChecked(rememberPassword);
        signIn(login, "guest", "visit20");
        QVERIFY2(messages.texts().isEmpty(), qPrintable(messages.texts().join('\n')));
        QVERIFY(!login->isVisible());
        QCOMPARE(fileBytes(iniPath()), "[qorox]\nmemberid=guest\n" + passwdLine);

        // The next start offers what was remembered.
        entry_.reset();
        login = start();
        QCOMPARE(login->Editmemberid->text(), QStringLiteral("guest"));
        QCOMPARE(login->Editpasswd->text().toStdString(), rememberPassword ? kGuestDigest : std::string());
    }

    void wrongPasswordLeavesTheDialogAsItWas() {
        startDemo();
        MessageRecorder messages;
        Tfmlogin* login = start();
        login->pwdCheckBox->setChecked(false);
        signIn(login, "guest", "not-the-password");
        QCOMPARE(messages.texts(), QStringList{"密码错误"});
        QVERIFY(login->isVisible());
        QVERIFY(hasDialogLook(login));
        QVERIFY(login->btnlogin->isEnabled());
        QCOMPARE(login->Editmemberid->text(), QStringLiteral("guest"));
        QCOMPARE(login->Editpasswd->text(), QStringLiteral("not-the-password"));
        QVERIFY(!login->pwdCheckBox->isChecked());
        QVERIFY(!QFile::exists(iniPath()));
        QVERIFY(entry_->FmMain() == nullptr);
        QCOMPARE(operationsOf(*demo_), QStringList{"LmvInclass_LogOn"});

        // And it can be used again.
        messages.clear();
        signIn(login, "guest", "visit20");
        QVERIFY(messages.texts().isEmpty());
        QVERIFY(entry_->FmMain() != nullptr);
    }

    void serviceFailureIsShownAndNothingIsWritten_data() {
        QTest::addColumn<QByteArray>("fault");
        QTest::addColumn<QString>("message");  // %1: the endpoint
        QTest::newRow("SOAP fault") << QByteArray("soap-fault:Server is busy") << "Server is busy";
        QTest::newRow("HTTP 500") << QByteArray("http-500") << "HTTP status 500 from %1";
    }
    void serviceFailureIsShownAndNothingIsWritten() {
        QFETCH(QByteArray, fault);
        QFETCH(QString, message);
        QTemporaryDir overrides;
        writeFile(overrides.filePath("faults/LmvInclass_LogOn"), fault + "\n");
        startDemo({overrides.path()});
        MessageRecorder messages;
        Tfmlogin* login = start();
        signIn(login, "guest", "visit20");
        QCOMPARE(messages.texts(),
                 QStringList{message.arg(demo_->baseUrl(false) + "/lmv-inclass/lmvInclass.asmx")});
        QVERIFY(login->isVisible());
        QVERIFY(hasDialogLook(login));
        QVERIFY(login->btnlogin->isEnabled());
        QVERIFY(!QFile::exists(iniPath()));
        QVERIFY(entry_->FmMain() == nullptr);
    }

    void unwritableIniFileStopsTheSignIn() {
        // A folder in the file's place: the write fails even for root, whom file modes do not stop.
        QVERIFY(QDir(programDir_->path()).mkdir(QStringLiteral("qorox.ini")));
        startDemo();
        MessageRecorder messages;
        Tfmlogin* login = start();
        signIn(login, "guest", "visit20");
        QCOMPARE(messages.texts(), QStringList{"Unable to write to " + iniPath() + ": " +
                                               QString::fromUtf8(std::strerror(EISDIR))});
        QCOMPARE(operationsOf(*demo_), QStringList{"LmvInclass_LogOn"});
        QVERIFY(entry_->FmMain() == nullptr);
        // The dialog is usable again rather than stuck borderless with its button disabled.
        QVERIFY(login->isVisible());
        QVERIFY(hasDialogLook(login));
        QVERIFY(login->btnlogin->isEnabled());
        QCOMPARE(QDir(programDir_->path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
                 QStringList{"qorox.ini"});
    }

    void unreadableReplyIsShownAfterTheCredentialsAreWritten() {
        ScriptedClassroom service;
        service.writeConfig();
        const std::string reply = "<NewDataSet><Table user_id=\"1\"";
        service.reply("LmvInclass_LogOn", reply);
        MessageRecorder messages;
        Tfmlogin* login = start();
        signIn(login, "guest", "visit20");
        const QString expected = ScriptedClassroom::parserMessage(reply);
        QVERIFY(!expected.isEmpty());
        QCOMPARE(messages.texts(), QStringList{expected});
        QCOMPARE(fileBytes(iniPath()),
                 "[qorox]\nmemberid=guest\npasswd=" + QByteArray(kGuestDigest.c_str()) + "\n");
        QVERIFY(entry_->FmMain() == nullptr);
        QVERIFY(login->isVisible());
        QVERIFY(hasDialogLook(login));
        QVERIFY(login->btnlogin->isEnabled());
    }

    void hiddenDialogStaysFindableAndBringsTheProgramForward() {
        startDemo();
        MessageRecorder messages;
        Tfmlogin* login = start();
        signIn(login, "guest", "visit20");
        QVERIFY(messages.texts().isEmpty());
        QVERIFY(!login->isVisible());
        QVERIFY(WindowRegistry::exists(QStringLiteral("QO-RO Editing Tool")));
        QCOMPARE(WindowRegistry::ownerPid(QStringLiteral("QO-RO Editing Tool")), qint64(::getpid()));
        TFmMain* window = entry_->FmMain();
        QVERIFY(window && window->isVisible() && !window->isMaximized());
        QVERIFY(WindowRegistry::sendMessage(QStringLiteral("QO-RO Editing Tool"), 5120));
        QTRY_VERIFY(window->isMaximized());
        QVERIFY(!login->isVisible());
    }

    void chineseAccountAndPasswordSignIn() {
        startDemo();
        MessageRecorder messages;
        Tfmlogin* login = start();
        signIn(login, QStringLiteral("王老师"), QStringLiteral("上课了"));
        QVERIFY2(messages.texts().isEmpty(), qPrintable(messages.texts().join('\n')));
        QVERIFY(!login->isVisible());
        QCOMPARE(login->member().UserId, GbkString("t1003"));
        QCOMPARE(login->member().LastName, gbk::fromQString(QStringLiteral("王")));
        const GbkString account = gbk::fromQString(QStringLiteral("王老师"));
        QCOMPARE(fileBytes(iniPath()).toStdString(),
                 "[qorox]\nmemberid=" + account + "\npasswd=3da58783a439047ed9e9e96eed762a5a\n");
        QVERIFY(demo_->waitForRequest(QStringLiteral("account-notification")));
    }

    void closingTheDialogBeforeSigningInEndsTheProgram() {
        startDemo();
        Tfmlogin* login = start();
        QTimer::singleShot(0, login, &QWidget::close);
        QTimer deadline;
        connect(&deadline, &QTimer::timeout, this, [] { QCoreApplication::exit(-1); });
        deadline.start(20000);
        QCOMPARE(QCoreApplication::exec(), 0);
        QVERIFY(settledLog(*demo_).isEmpty());
        QVERIFY(!QFile::exists(iniPath()));
    }
};

QTEST_MAIN(TestLoginDialog)
#include "test_login_dialog.moc"
