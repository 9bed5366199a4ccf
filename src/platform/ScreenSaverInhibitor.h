#pragma once

#include <QString>

// Keeps the screensaver and display power saving away while it is held. Holding twice is one
// hold; releasing what is not held does nothing. Failures are never reported: a desktop without
// the service simply keeps its screensaver.
class ScreenSaverInhibitor {
public:
    virtual ~ScreenSaverInhibitor() = default;
    virtual void Inhibit(const QString& reason) = 0;
    virtual void UnInhibit() = 0;
    virtual bool isHeld() const = 0;
};

// The desktop's org.freedesktop.ScreenSaver service on the session bus. The bus is touched only
// at the first hold, so a program that never shows a page never connects. The destructor releases
// a hold; when the process dies instead, the service drops the hold with the bus connection.
class DBusScreenSaverInhibitor : public ScreenSaverInhibitor {
public:
    explicit DBusScreenSaverInhibitor(QString applicationName);
    ~DBusScreenSaverInhibitor() override;

    void Inhibit(const QString& reason) override;
    void UnInhibit() override;
    bool isHeld() const override { return held_; }

    static QString serviceName() { return QStringLiteral("org.freedesktop.ScreenSaver"); }
    static QString objectPath() { return QStringLiteral("/org/freedesktop/ScreenSaver"); }

private:
    QString applicationName_;
    uint cookie_ = 0;
    bool held_ = false;
};
