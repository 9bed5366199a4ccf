// The login dialog driven through the program entry, as a teacher meets it: against the demo
// service or a scripted classroom service, with "qorox.ini" in a folder of the test's own.
#include <QtTest>

#include <unistd.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <utility>

#include "Controls.h"
#include "DataRows.h"
#include "DemoService.h"
#include "MessageRecorder.h"
#include "ScriptedClassroom.h"
#include "app/LumoClass.h"
#include "app/PasswordDigest.h"
#include "app/ProductArtwork.h"
#include "app/Tfmlogin.h"
#include "cache/CacheFolder.h"
#include "main/TFmMain.h"
#include "platform/PlaceStore.h"
#include "platform/WindowRegistry.h"
#include "service/AppError.h"
#include "service/GbkText.h"
#include "service/HttpGetText.h"
#include "service/ReplyStore.h"
#include "service/TReplyDataset.h"
#include "service/TstudyDM.h"
#include "test_login_support.h"

namespace {

const GbkString kGuestDigest = PasswordDigest::md5Hex("visit20");

bool hasDialogLook(const Tfmlogin* login) {
    return !login->windowFlags().testFlag(Qt::FramelessWindowHint) &&
           login->windowFlags().testFlag(Qt::WindowCloseButtonHint);
}

// Raises from the first message instead of showing it and passes the later ones on: a failure
// from deep inside whatever shows one.
class RaisingMessageSink {
public:
    RaisingMessageSink() {
        previous_ = SetMessageSink([this](const QString& text) {
            if (!std::exchange(raised_, true)) throw std::runtime_error("out of window handles");
            previous_(text);
        });
    }
    ~RaisingMessageSink() { SetMessageSink(std::move(previous_)); }

private:
    bool raised_ = false;
    MessageSink previous_;
};

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

    // The dialog goes on the screen before the program's icon is drawn and sent in all its sizes,
    // and then has it for the task bar.
    void dialogTakesTheProgramIconOnceShown() {
        QApplication::setWindowIcon(ProductArtwork::icon());
        startDemo();
        Tfmlogin* login = start();
        QVERIFY(login);
        QVERIFY(QTest::qWaitForWindowExposed(login));
        QTRY_VERIFY(login->windowHandle()->icon().availableSizes().contains(QSize(256, 256)));
        QApplication::setWindowIcon(QIcon());
    }

    void passwordShowsAsStars() {
        startDemo();
        Tfmlogin* login = start();
        QVERIFY(login);
        login->Editpasswd->setText(QStringLiteral("visit20"));
        QCOMPARE(login->Editpasswd->displayText(), QStringLiteral("*******"));
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
        addRow("remembered digest goes out unchanged", digest, QString(), false, digest);
        addRow("remembered digest edited shorter is hashed", digest, QString(), true,
               QByteArray::fromStdString(
                   PasswordDigest::md5Hex(GbkString(digest.left(31).toStdString())).bytes()));
        addRow("typed password is hashed", QByteArray(), "visit20", false,
               QByteArray::fromStdString(kGuestDigest.bytes()));
        const QString longText(40, u'k');
        addRow("typed 40 characters go out unhashed", QByteArray(), longText, false, longText.toLatin1());
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
        addColumns<bool, QByteArray>({"rememberPassword", "passwdLine"});
        addRow("password remembered", true,
               QByteArray::fromStdString("passwd=" + kGuestDigest.bytes() + "\n"));
        addRow("only the account remembered", false, QByteArray("passwd=\n"));
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
        QCOMPARE(login->Editpasswd->text().toStdString(),
                 rememberPassword ? kGuestDigest.bytes() : std::string());
    }

    // Without the service, only the remembered account as typed, with the replies it kept,
    // opens the window: offline, as the member of its last sign-in, without the password field.
    void offlineStartNeedsTheRememberedAccountAndItsReplies_data() {
        addColumns<QString, QString, bool, bool>({"account", "password", "repliesKept", "offered"});
        addRow("remembered", "teacher", "lumo2024", true, true);
        addRow("wrong password", "teacher", "lumo2023", true, false);
        addRow("unknown account", "stranger", "lumo2024", true, false);
        addRow("nothing kept", "teacher", "lumo2024", false, false);
    }
    void offlineStartNeedsTheRememberedAccountAndItsReplies() {
        QFETCH(QString, account);
        QFETCH(QString, password);
        QFETCH(bool, repliesKept);
        QFETCH(bool, offered);
        startDemo();
        MessageRecorder messages;
        signIn(start(), "teacher", "lumo2024");
        const MemberInfoRec member = entry_->FmMain()->Member;
        QVERIFY(!member.UserId.empty());
        release();
        if (!repliesKept) ReplyStore().RemoveAll();
        messages.clear();

        Tfmlogin* login = start();
        signIn(login, account, password);
        QCOMPARE(messages.texts().size(), 1);
        QCOMPARE(login->btnOfflineStart->isHidden(), !offered);
        QVERIFY(entry_->FmMain() == nullptr);
        if (!offered) return;
        QCOMPARE(login->btnOfflineStart->text(), QStringLiteral("离线上课"));
        login->btnOfflineStart->click();
        const TFmMain* window = entry_->FmMain();
        QVERIFY(window != nullptr);
        QVERIFY(window->offline());
        QCOMPARE(window->Member.UserId, member.UserId);
        QCOMPARE(window->Member.TypeId, member.TypeId);
        QVERIFY(window->Member.Passwd.empty());
        QVERIFY(control<QComboBox>(*window, "cbbooks")->count() > 0);
        // The catalogues came from what was kept; the teacher setting and the account server
        // were not asked.
        QCOMPARE(messages.texts().size(), 1);
    }

    // A start that fails halfway leaves the dialog as a failed sign-in does: framed, closable,
    // and offering the offline start again.
    void failedOfflineStartGivesTheDialogBack() {
        MessageRecorder messages;
        Tfmlogin* login = startOfferingOfflineStart();
        QVERIFY(!login->btnOfflineStart->isHidden());
        // The unit list was not kept: its failure is the first message of the start.
        for (const std::string& folder : ReplyStore().accountFolders()) {
            QDir kept(QString::fromStdString(folder));
            for (const QString& name : kept.entryList({"LmvInclass_GetUnitList-*"}, QDir::Files))
                QVERIFY(kept.remove(name));
        }
        messages.clear();
        {
            RaisingMessageSink failing;
            login->btnOfflineStart->click();
        }
        QCOMPARE(messages.texts(), QStringList{"out of window handles"});
        QVERIFY(login->isVisible());
        QVERIFY(hasDialogLook(login));
        QVERIFY(!login->btnOfflineStart->isHidden());
        QVERIFY(login->btnlogin->isEnabled());
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
        addRow("SOAP fault", QByteArray("soap-fault:Server is busy"), "Server is busy");
        addRow("HTTP 500", QByteArray("http-500"), "HTTP status 500 from %1");
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
        // A folder in the file's place, beside the program and in the user's folder: the write
        // fails in both even for root, whom file modes do not stop.
        QVERIFY(QDir(programDir_->path()).mkdir(QStringLiteral("qorox.ini")));
        const QString userIni = QoroxIni::userFolderPath() + QStringLiteral("/qorox.ini");
        QVERIFY(QDir().mkpath(userIni));
        startDemo();
        MessageRecorder messages;
        Tfmlogin* login = start();
        signIn(login, "guest", "visit20");
        QCOMPARE(messages.texts(), QStringList{"Unable to write to " + userIni + ": " +
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
                 "[qorox]\nmemberid=guest\npasswd=" + QByteArray::fromStdString(kGuestDigest.bytes()) + "\n");
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
        QCOMPARE(GbkString(fileBytes(iniPath()).toStdString()),
                 "[qorox]\nmemberid=" + account + "\npasswd=3da58783a439047ed9e9e96eed762a5a\n");
        QVERIFY(demo_->waitForRequest(QStringLiteral("account-notification")));
    }

    // Both Enter keys press "登录" wherever the focus is; the keypad's comes with its modifier.
    void enterKeysSignInFromEveryControl_data() {
        addColumns<QString, int, int>({"control", "key", "modifiers"});
        for (const char* control : {"Editmemberid", "Editpasswd", "pwdCheckBox"}) {
            QTest::addRow("Return in %s", control) << control << int(Qt::Key_Return) << int(Qt::NoModifier);
            QTest::addRow("keypad Enter in %s", control)
                << control << int(Qt::Key_Enter) << int(Qt::KeypadModifier);
        }
    }
    void enterKeysSignInFromEveryControl() {
        QFETCH(QString, control);
        QFETCH(int, key);
        QFETCH(int, modifiers);
        ScriptedClassroom service;
        service.writeConfig();
        service.reply("LmvInclass_LogOn", "0");
        MessageRecorder messages;
        Tfmlogin* login = start();
        QWidget* focus = login->findChild<QWidget*>(control);
        QVERIFY(focus);
        QTest::keyClick(focus, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QCOMPARE(messages.texts(), QStringList{"密码错误"});
        QCOMPARE(service.operations(), std::vector<std::string>{"LmvInclass_LogOn"});
    }

    // A double click or a second Enter while a slow sign-in runs reaches the dialog while the
    // session start loads; it must not start a second sign-in inside the first.
    void secondClickWhileSigningInIsIgnored() {
        QTemporaryDir overrides;
        writeFile(overrides.filePath("faults/LmvInclass_LogOn"), "slow:400\n");
        startDemo({overrides.path()});
        MessageRecorder messages;
        Tfmlogin* login = start();
        login->Editmemberid->setText("teacher");
        login->Editpasswd->setText("lumo2024");
        int secondClicks = 0;
        QTimer::singleShot(50, login, [&] {
            ++secondClicks;
            QTest::mouseClick(login->btnlogin, Qt::LeftButton);
        });
        QTest::mouseClick(login->btnlogin, Qt::LeftButton);
        QCOMPARE(secondClicks, 1);
        QVERIFY2(messages.texts().isEmpty(), qPrintable(messages.texts().join('\n')));
        QCOMPARE(operationsOf(*demo_),
                 QStringList({"LmvInclass_LogOn", "LmvInclass_GetBookList", "LmvInclass_GetUnitList",
                              "LmvInclass_GetTestList", "LmvInclass_GetClipList",
                              "LmvInclass_GetTeacherSetting", "account-notification"}));
        QVERIFY(!login->programEndRequested());
        QVERIFY(entry_->FmMain() && entry_->FmMain()->isVisible());
    }

    // The offline start lets the window handle input while it loads, as the online one does:
    // what reaches the dialog then neither starts a second session nor signs in inside it.
    void inputDuringTheOfflineStartIsIgnored_data() {
        QTest::addColumn<QString>("input");
        for (const char* input : {"offline pick again", "Enter", "dialog closed", "window closed"})
            QTest::newRow(input) << QString(input);
    }
    void inputDuringTheOfflineStartIsIgnored() {
        QFETCH(QString, input);
        MessageRecorder messages;
        Tfmlogin* login = startOfferingOfflineStart();
        QCOMPARE(messages.texts().size(), 1);
        int inputs = 0;
        bool delivered = false;
        QTimer::singleShot(0, login, [&] {
            ++inputs;
            TFmMain* window = entry_->FmMain();
            delivered = window != nullptr;
            if (input == "offline pick again") login->btnOfflineStart->click();
            if (input == "Enter") QTest::keyClick(login, Qt::Key_Return);
            if (input == "dialog closed") delivered = delivered && login->close();
            if (input == "window closed") delivered = delivered && window->close();
        });
        login->btnOfflineStart->click();
        QCOMPARE(inputs, 1);
        QVERIFY(delivered);
        QCOMPARE(messages.texts().size(), 1);
        QVERIFY(!login->isVisible());
        QVERIFY(!login->programEndRequested());
        QVERIFY(entry_->FmMain() && entry_->FmMain()->offline());
        QCOMPARE(login->member().UserId, entry_->FmMain()->Member.UserId);
    }

    // What a write killed halfway leaves is removed at the next start once over a minute old;
    // nothing else is, however close its name.
    void startRemovesOnlyOldLeftoversOfInterruptedWrites_data() {
        // the cache, beside qorox.ini, the places' folder or an account's kept replies
        QTest::addColumn<QString>("where");
        addColumns<QString, bool, bool>({"name", "old", "removed"});
        addRow("download leftover", "cache", ".lumo-download-aZ09xY", true, true);
        addRow("ini leftover", "ini", ".qorox.ini.lumo-Q1w2E3", true, true);
        addRow("place leftover", "state", ".place-Q1w2E3", true, true);
        addRow("recent download leftover", "cache", ".lumo-download-aZ09xY", false, false);
        addRow("recent ini leftover", "ini", ".qorox.ini.lumo-Q1w2E3", false, false);
        addRow("recent place leftover", "state", ".place-Q1w2E3", false, false);
        addRow("five characters", "cache", ".lumo-download-aZ09x", true, false);
        addRow("seven characters", "cache", ".lumo-download-aZ09xYz", true, false);
        addRow("not from mkstemp", "cache", ".lumo-download-aZ0.jp", true, false);
        addRow("cached picture", "cache", "a.jpg", true, false);
        addRow("user's backup", "ini", "qorox.ini.bak", true, false);
        addRow("old unmarked temporary", "ini", "qorox.ini.Q1w2E3", true, false);
        addRow("a remembered place", "state", "0123abcd", true, false);
        addRow("kept reply leftover", "replies", ".lumo-reply-Q1w2E3", true, true);
        addRow("kept reply", "replies", "LmvInclass_GetBookList-0a1b", true, false);
        addRow("ink leftover", "state", ".ink-Q1w2E3", true, true);
        addRow("recent ink leftover", "state", ".ink-Q1w2E3", false, false);
        addRow("kept ink", "state", "0123abcd.ink", true, false);
    }
    void startRemovesOnlyOldLeftoversOfInterruptedWrites() {
        QFETCH(QString, where);
        QFETCH(QString, name);
        QFETCH(bool, old);
        QFETCH(bool, removed);
        startDemo();
        const QString folder = where == "cache"     ? QString::fromStdString(CacheFolder::temporaryPath())
                               : where == "ini"     ? programDir_->path() + u'/'
                               : where == "replies" ? QString::fromStdString(ReplyStore().root()) + "0a1b/"
                                                    : PlaceStore::defaultFolder();
        QDir().mkpath(folder);
        const QString path = folder + name;
        writeFile(path, "half");
        if (old) {
            // Well over the minute: time(), which the clean-up reads, is a coarse clock that can
            // lag a tick behind this one across a second's boundary.
            QFile file(path);
            QVERIFY(file.open(QIODevice::ReadWrite));
            QVERIFY(file.setFileTime(QDateTime::currentDateTime().addSecs(-90),
                                     QFileDevice::FileModificationTime));
        }
        QVERIFY(start());
        QCOMPARE(!QFile::exists(path), removed);
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
