#include "ScreenSaverInhibitor.h"

#include <QDBusConnection>
#include <QDBusMessage>

namespace {

// A hung service must not freeze the lesson for the library's default of 25 seconds.
constexpr int kCallTimeoutMs = 2000;

// A plain method call: an interface object would first ask the service to describe itself.
QDBusMessage call(const QString& method, const QVariantList& arguments) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) return {};
    QDBusMessage message = QDBusMessage::createMethodCall(DBusScreenSaverInhibitor::serviceName(),
                                                          DBusScreenSaverInhibitor::objectPath(),
                                                          DBusScreenSaverInhibitor::serviceName(), method);
    message.setArguments(arguments);
    return bus.call(message, QDBus::Block, kCallTimeoutMs);
}

}  // namespace

DBusScreenSaverInhibitor::DBusScreenSaverInhibitor(QString applicationName)
    : applicationName_(std::move(applicationName)) {}

DBusScreenSaverInhibitor::~DBusScreenSaverInhibitor() {
    UnInhibit();
}

void DBusScreenSaverInhibitor::Inhibit(const QString& reason) {
    if (held_) return;
    const QDBusMessage reply = call(QStringLiteral("Inhibit"), {applicationName_, reason});
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) return;
    cookie_ = reply.arguments().constFirst().toUInt();
    held_ = true;
}

void DBusScreenSaverInhibitor::UnInhibit() {
    if (!held_) return;
    held_ = false;
    call(QStringLiteral("UnInhibit"), {cookie_});
}
