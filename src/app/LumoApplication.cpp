#include "LumoApplication.h"

#include <QMessageBox>
#include <exception>

#include "service/ShowMessage.h"

LumoApplication::LumoApplication(int& argc, char** argv) : QApplication(argc, argv) {
    setApplicationName(QStringLiteral("lumoclass"));
    installMessageBoxSink();
}

LumoApplication::~LumoApplication() {
    SetMessageSink({});
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
        QMessageBox box(QMessageBox::NoIcon, QApplication::applicationDisplayName(), text, QMessageBox::Ok);
        box.exec();
    });
}
