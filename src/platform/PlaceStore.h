#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

#include "ScreenChoice.h"

// Where a member stopped: the ids the navigation needs to return there and the names the
// teacher saw, for the caption of the way back.
struct LessonPlace {
    QString bookId;
    QString unitCode;
    QString resource;  // the resource kind, empty when none was chosen
    QString pageId;    // empty when no page was shown
    QString bookName;
    QString unitName;
    QString pageName;
    bool operator==(const LessonPlace&) const = default;
};

// The user's own state folder for this program: $XDG_STATE_HOME/lumoclass/, by default
// ~/.local/state/lumoclass/, created with mode 0700 when something is written. It holds one
// place file per account, named by the SHA-256 of the account's bytes in hex (so an account
// holding "/" or ".." names no other file), and the file of the screen last used, which is the
// user's and not an account's (the window is placed before anyone signs in).
//
// Files are written whole (a temporary file renamed into place) with mode 0600. Nothing here
// reports a failure: an unwritable folder forgets, and a missing or unreadable file reads as
// nothing remembered.
class PlaceStore {
public:
    explicit PlaceStore(QString folder = defaultFolder());

    static QString defaultFolder();
    // The start of the temporary files a write goes through before it takes the file's name.
    static const char* temporaryPrefix() { return ".place-"; }
    const QString& folder() const { return folder_; }
    QString placeFile(const QByteArray& account) const;
    QString screenFile() const;

    std::optional<LessonPlace> LoadPlace(const QByteArray& account) const;
    void SavePlace(const QByteArray& account, const LessonPlace& place) const;
    void ForgetPlace(const QByteArray& account) const;

    std::optional<RememberedScreen> LoadScreen() const;
    void SaveScreen(const RememberedScreen& screen) const;
    // The screen last chosen for the projected page, kept in the same file under a key of its
    // own, which readers that do not know it pass over.
    std::optional<RememberedScreen> LoadProjector() const;
    void SaveProjector(const RememberedScreen& screen) const;

private:
    void write(const QString& path, const QByteArray& bytes) const;

    QString folder_;
};
