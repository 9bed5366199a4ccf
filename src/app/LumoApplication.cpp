#include "LumoApplication.h"

#include <QAbstractButton>
#include <QMessageBox>
#include <exception>

#include "ProductArtwork.h"
#include "service/ShowMessage.h"

LumoApplication::LumoApplication(int& argc, char** argv) : QApplication(argc, argv) {
    // The name is also the window class the desktop's menu entry matches (StartupWMClass), and
    // the desktop file name is the application id Wayland compositors match.
    setApplicationName(QStringLiteral("lumoclass"));
    setDesktopFileName(QStringLiteral("lumoclass"));
    setWindowIcon(ProductArtwork::icon());
    installMessageBoxSink();
}

LumoApplication::~LumoApplication() {
    SetMessageSink({});
    SetQuestionSink({});
}

bool LumoApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
        ShowMessage(QString::fromUtf8(error.what()));
    }
    return false;
}

void LumoApplication::installMessageBoxSink() {
    SetMessageSink([](const QString& text) {
        // Messages carry service text: markup in it is shown, never followed as a link.
        QMessageBox box(QMessageBox::NoIcon, QApplication::applicationDisplayName(), ShownMessageText(text),
                        QMessageBox::Ok);
        box.setTextFormat(Qt::PlainText);
        box.exec();
    });
    SetQuestionSink([](const QString& text) {
        QMessageBox box(QMessageBox::Question, QApplication::applicationDisplayName(), ShownMessageText(text),
                        QMessageBox::Yes | QMessageBox::No);
        box.setTextFormat(Qt::PlainText);
        box.button(QMessageBox::Yes)->setText(QStringLiteral("是"));
        box.button(QMessageBox::No)->setText(QStringLiteral("否"));
        return box.exec() == QMessageBox::Yes;
    });
}
