// The application's default error handler and the message box every message appears in.
#include <QtTest>

#include <QAccessible>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>

#include "DataRows.h"
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

    // The box shows service text as it is: markup is not followed, a whole reply is cut short;
    // the message itself (what the sink receives) stays whole.
    void messageIsAModalBoxCaptionedWithTheTitle_data() {
        addColumns<QString, QString>({"message", "shown"});
        addRow("plain", QStringLiteral("密码错误"), QStringLiteral("密码错误"));
        const QString link = QStringLiteral("<a href=\"http://127.0.0.1/\">服务器错误</a>");
        addRow("markup", link, link);
        const QString reply = QString(1999, QLatin1Char('x')) + QStringLiteral("😀") + QStringLiteral("tail");
        addRow("long, cut before a whole emoji", reply, QString(1999, QLatin1Char('x')) + QChar(0x2026));
        addRow("exactly the limit", QString(2000, QChar(0x4e2d)), QString(2000, QChar(0x4e2d)));
    }
    void messageIsAModalBoxCaptionedWithTheTitle() {
        QFETCH(QString, message);
        QFETCH(QString, shown);
        LumoApplication::installMessageBoxSink();
        QGuiApplication::setApplicationDisplayName(QStringLiteral("Lumovia Class——Lumo课堂"));
        QString caption, text;
        int buttons = 0;
        QTimer::singleShot(0, this, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            QVERIFY(box);
            caption = box->windowTitle();
            // What a screen reader reads from the label is what the eye sees on it.
            auto* label = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
            QVERIFY(label);
            text = QAccessible::queryAccessibleInterface(label)->text(QAccessible::Name);
            buttons = static_cast<int>(box->buttons().size());
            box->button(QMessageBox::Ok)->click();
        });
        ShowMessage(message);
        QCOMPARE(caption, QStringLiteral("Lumovia Class——Lumo课堂"));
        QCOMPARE(text, shown);
        QCOMPARE(buttons, 1);
    }
};

int main(int argc, char** argv) {
    LumoApplication application(argc, argv);
    TestDefaultHandler test;
    return QTest::qExec(&test, argc, argv);
}
#include "test_default_handler.moc"
