#pragma once

#include <QString>
#include <QStringList>
#include <string>
#include <utility>
#include <vector>

#include "service/GbkText.h"

// The remembered credentials file "qorox.ini", read and written one key at a time the way
// Windows profile strings are: every call opens the file, does its one read or write and closes
// it. Sections and keys match without regard to ASCII letter case; values are GBK bytes.
//
// The file lives next to the program when it can be written there: an existing writable file,
// or a folder where one can be made. Otherwise (an installed copy in a system folder) it lives
// in the user's folder, and reads come from wherever writes would go.
//
// Reading never fails: a missing or unreadable file, section or key reads as empty text.
// Writing replaces the file atomically when its folder is writable (a temporary file
// ".qorox.ini.lumo-XXXXXX" beside it renamed over it), so a crash leaves either the old or the
// new file. A writable file in a folder that is not is rewritten in place from its start; when
// that fails the old content is written back and the file cut to its old length before the
// error is raised, so the old file stays whenever the disk still takes its bytes. Every other
// line of the file keeps its bytes. The file gets mode 0600 when this user owns it (the password
// digest goes out as it stands); another user's keeps its mode. A write that can be done in
// neither place raises FileError.
class QoroxIni {
public:
    // `folder` is the program's folder; `userFolder` the one used when that cannot be written.
    explicit QoroxIni(const QString& folder = programFolder(), const QString& userFolder = userFolderPath());

    // The folder of the executable, or the folder named by LUMOCLASS_PROGRAM_DIR when that is
    // set (so that tests and portable installs can keep the file elsewhere).
    static QString programFolder();
    // $XDG_CONFIG_HOME/lumoclass (by default ~/.config/lumoclass).
    static QString userFolderPath();
    static QString fileName() { return QStringLiteral("qorox.ini"); }
    // What the temporary file of an atomic write starts with; six letters and digits follow.
    static std::string temporaryPrefix() { return ".qorox.ini.lumo-"; }

    // Where the next read or write goes.
    QString filePath() const;
    // Both folders the file may live in, the program's first.
    QStringList folders() const { return {folder_, userFolder_}; }

    GbkString ReadIniValue(const GbkString& section, const GbkString& key) const;
    void WriteIniValue(const GbkString& section, const GbkString& key, const GbkString& value) const;
    // Several keys of one section in one write of the file: all of them or, on failure, none.
    void WriteIniValues(const GbkString& section,
                        const std::vector<std::pair<GbkString, GbkString>>& values) const;

private:
    QString folder_;
    QString userFolder_;
};
