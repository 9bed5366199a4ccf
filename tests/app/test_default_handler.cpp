// The application's default error handler and the message box every message appears in.
#include <QtTest>

#include <QMessageBox>
#include <QPushButton>

#include "MessageRecorder.h"
#include "app/LumoApplication.h"
#include "service/AppError.h"
#include "service/ShowMessage.h"

namespace {

// Raises from its event handler, as a handler whose service call fails does.
class FailingHandler : public QObject {
public:
    int handled = 0;
    bool event(QEvent* event) override {
        if (event->type() != QEvent::User) return QObject::event(event);
        ++handled;
        throw HttpError("Couldn't connect to server");
    }
};

}  // namespace

class TestDefaultHandler : public QObject {
    Q_OBJECT

private slots:
    void uncaughtErrorIsShownAndTheProgramGoesOn() {
        MessageRecorder messages;
        FailingHandler handler;
        QCoreApplication::postEvent(&handler, new QEvent(QEvent::User));
        QTRY_COMPARE(messages.texts(), QStringList{"Couldn't connect to server"});
        QCoreApplication::postEvent(&handler, new QEvent(QEvent::User));
        QTRY_COMPARE(handler.handled, 2);
        QCOMPARE(messages.texts().size(), 2);
    }

    void messageIsAModalBoxCaptionedWithTheTitle() {
        LumoApplication::installMessageBoxSink();
        QGuiApplication::setApplicationDisplayName(QStringLiteral("Lumovia Class——Lumo课堂"));
        QString caption, text;
        int buttons = 0;
        QTimer::singleShot(0, this, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            QVERIFY(box);
            caption = box->windowTitle();
            text = box->text();
            buttons = static_cast<int>(box->buttons().size());
            box->button(QMessageBox::Ok)->click();
        });
        ShowMessage(QStringLiteral("密码错误"));
        QCOMPARE(caption, QStringLiteral("Lumovia Class——Lumo课堂"));
        QCOMPARE(text, QStringLiteral("密码错误"));
        QCOMPARE(buttons, 1);
    }
};

int main(int argc, char** argv) {
    LumoApplication application(argc, argv);
    TestDefaultHandler test;
    return QTest::qExec(&test, argc, argv);
}
#include "test_default_handler.moc"
