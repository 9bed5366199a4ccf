#pragma once

#include <QString>

#include "service/GbkText.h"

// The remembered credentials file "qorox.ini" in the program's folder, read and written one key
// at a time the way Windows profile strings are: every call opens the file, does its one read
// or write and closes it. Sections and keys match without regard to ASCII letter case; values
// are GBK bytes.
//
// Reading never fails: a missing or unreadable file, section or key reads as empty text.
// Writing replaces the file atomically (a temporary file in the same folder renamed over it),
// so a crash leaves either the old or the new file, never half of one; every other line of the
// file keeps its bytes. A new file gets mode 0600, an existing one keeps its mode. A write that
// cannot be done raises FileError and leaves the file as it was.
class QoroxIni {
public:
    // `folder` holds the file; by default the program's folder.
    explicit QoroxIni(const QString& folder = programFolder());

    // The folder of the executable, or the folder named by LUMOCLASS_PROGRAM_DIR when that is
    // set (so that tests and portable installs can keep the file elsewhere).
    static QString programFolder();
    static QString fileName() { return QStringLiteral("qorox.ini"); }

    const QString& filePath() const { return path_; }

    GbkString ReadIniValue(const GbkString& section, const GbkString& key) const;
    void WriteIniValue(const GbkString& section, const GbkString& key, const GbkString& value) const;

private:
    QString path_;
};
