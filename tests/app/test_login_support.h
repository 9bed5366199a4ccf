#pragma once

// Helpers shared by the login dialog and session start tests: files, the demo service's log,
// typing into the dialog and running the message loop around a sign-in.
#include <QtTest>

#include <QDir>
#include <QFile>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <QTemporaryDir>
#include <memory>

#include "DemoService.h"
#include "TestFiles.h"
#include "app/LumoClass.h"
#include "app/Tfmlogin.h"
#include "service/HttpGetText.h"

inline QByteArray fileBytes(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return file.readAll();
}

// The demo's log once every request made so far is in it: a marker request of our own, logged
// after all earlier ones, is waited for and left out.
inline QStringList settledLog(DemoService& service) {
    return service.settledLog();
}

// The operation column of the log: the SOAP operation, "account-notification" or "-".
inline QStringList operationsOf(DemoService& service) {
    QStringList operations;
    for (const QString& line : settledLog(service)) operations << line.split(u' ').value(5);
    return operations;
}

// The targets of the account notifications, failed ones included.
inline QStringList notificationTargets(DemoService& service) {
    QStringList targets;
    for (const QString& line : settledLog(service)) {
        const QString target = line.split(u' ').value(4);
        if (target.startsWith(QStringLiteral("/api/zavive/RealNameAuthentication"))) targets << target;
    }
    return targets;
}

// Keys for ASCII text; other text arrives as an input method commits it.
inline void typeInto(QLineEdit* edit, const QString& text) {
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    bool ascii = true;
    for (QChar c : text) ascii = ascii && c.unicode() < 0x80;
    if (ascii) {
        QTest::keyClicks(edit, text);
        return;
    }
    QInputMethodEvent commit;
    commit.setCommitString(text);
    QApplication::sendEvent(edit, &commit);
}

inline void signIn(Tfmlogin* login, const QString& account, const QString& password) {
    typeInto(login->Editmemberid, account);
    typeInto(login->Editpasswd, password);
    QTest::mouseClick(login->btnlogin, Qt::LeftButton);
}

// Runs the message loop as the program does and clicks the sign-in button from inside it;
// returns the loop's exit code once the program ends, -1 when it has not within the deadline.
inline int signInAndRunTheLoop(Tfmlogin* login, const QString& account, const QString& password) {
    login->Editmemberid->setText(account);
    login->Editpasswd->setText(password);
    QTimer::singleShot(0, login->btnlogin, [login] { QTest::mouseClick(login->btnlogin, Qt::LeftButton); });
    QTimer deadline;
    deadline.setSingleShot(true);
    QObject::connect(&deadline, &QTimer::timeout, &deadline, [] { QCoreApplication::exit(-1); });
    deadline.start(20000);
    return QCoreApplication::exec();
}

// What both sign-in test classes hold: a program folder of their own for qorox.ini, the demo
// service and the entry under test. Each test's init() calls prepare(), cleanup() release().
class SignInFixture {
protected:
    std::unique_ptr<QTemporaryDir> programDir_;
    std::unique_ptr<DemoService> demo_;
    std::unique_ptr<LumoClass> entry_;

    void prepare() {
        programDir_ = std::make_unique<QTemporaryDir>();
        qputenv("LUMOCLASS_PROGRAM_DIR", programDir_->path().toLocal8Bit());
    }
    void release() {
        entry_.reset();
        demo_.reset();
    }

    void startDemo(const QStringList& overrides = {}, bool tls = false) {
        demo_ = std::make_unique<DemoService>(overrides);
        demo_->writeClientConfig({}, tls);
    }

    // Starts the program in the login mode; the dialog, or null when it did not come up.
    Tfmlogin* start() {
        entry_ = std::make_unique<LumoClass>();
        if (entry_->run({}) != LumoClass::Outcome::RunLoop) return nullptr;
        return entry_->fmlogin();
    }

    // The teacher signed in once, which kept the replies, and the service is gone since: the
    // next start's dialog after its sign-in failed, offering "离线上课". The caller records
    // the messages (the failure is one).
    Tfmlogin* startOfferingOfflineStart() {
        startDemo();
        signIn(start(), "teacher", "lumo2024");
        release();
        Tfmlogin* login = start();
        signIn(login, "teacher", "lumo2024");
        return login;
    }
};
