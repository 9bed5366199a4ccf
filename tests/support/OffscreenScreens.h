#pragma once

// Screens for the offscreen platform: a test sets them before its application starts, and
// plugs or unplugs one at run time, as the offscreen plugin's configuration allows.
#include <qpa/qplatformnativeinterface.h>
#include <QByteArray>
#include <QFile>
#include <QGuiApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QList>
#include <QRect>
#include <QString>

struct OffscreenScreen {
    QString name;
    QRect geometry;
};

inline QJsonObject offscreenConfiguration(const QList<OffscreenScreen>& screens) {
    QJsonArray list;
    for (const OffscreenScreen& screen : screens)
        list.append(QJsonObject{{"name", screen.name},
                                {"x", screen.geometry.x()},
                                {"y", screen.geometry.y()},
                                {"width", screen.geometry.width()},
                                {"height", screen.geometry.height()}});
    return QJsonObject{{"screens", list}};
}

// Before the application is made: the offscreen platform starts with these screens. The file
// goes into the test's own folder.
inline void startWithOffscreenScreens(const QList<OffscreenScreen>& screens) {
    const QString path = qEnvironmentVariable("LUMO_TEST_ENV_ROOT", QStringLiteral(".")) + "/screens.json";
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) qFatal("cannot write %s", qPrintable(path));
    file.write(QJsonDocument(offscreenConfiguration(screens)).toJson());
    file.close();
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + QFile::encodeName(path));
}

// Replaces the screens while the application runs: a screen left out is unplugged, a new one
// plugged in. The plugin takes its native interface as the argument.
inline void setOffscreenScreens(const QList<OffscreenScreen>& screens) {
    QPlatformNativeInterface* native = QGuiApplication::platformNativeInterface();
    using SetConfiguration = void (*)(const QJsonObject&, QPlatformNativeInterface*);
    auto set = reinterpret_cast<SetConfiguration>(native->nativeResourceForIntegration("setConfiguration"));
    if (set == nullptr) qFatal("the offscreen platform takes no configuration");
    set(offscreenConfiguration(screens), native);
}
