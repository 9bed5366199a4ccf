// The remembered-credentials file and the password form the sign-in sends, on real files.
#include <QtTest>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cerrno>
#include <csignal>
#include <cstring>

#include "DataRows.h"
#include "app/PasswordDigest.h"
#include "app/QoroxIni.h"
#include "service/AppError.h"
#include "service/GbkText.h"

namespace {

QByteArray readAll(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return file.readAll();
}

void writeAll(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

int modeOf(const QString& path) {
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0) return -1;
    return static_cast<int>(info.st_mode & 07777);
}

}  // namespace

class TestLoginIni : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> folder_;

    QString iniPath() const { return folder_->filePath(QStringLiteral("qorox.ini")); }

private slots:
    void init() { folder_ = std::make_unique<QTemporaryDir>(); }

    // The base directory rules ignore a relative base: the default stands in for it.
    void userFolderIgnoresARelativeBase() {
        const QByteArray saved = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", "relative/xdg");
        QCOMPARE(QoroxIni::userFolderPath(), QDir::homePath() + "/.config/lumoclass");
        qputenv("XDG_CONFIG_HOME", "/xdg");
        QCOMPARE(QoroxIni::userFolderPath(), QStringLiteral("/xdg/lumoclass"));
        qputenv("XDG_CONFIG_HOME", saved);
    }

    void passwordForm_data() {
        addColumns<QByteArray, QByteArray>({"typed", "sent"});
        addRow("typed password is hashed", QByteArray("lumo2024"),
               QByteArray("a71055c199db1df4ca501348c3ae8e06"));
        addRow("31 bytes are still typed text", QByteArray(31, 'x'),
               QByteArray::fromStdString(PasswordDigest::md5Hex(GbkString(31, 'x')).bytes()));
        addRow("32 bytes pass as a remembered digest", QByteArray(32, 'x'), QByteArray(32, 'x'));
        // Bytes, not characters, count: 16 Chinese characters are 32 GBK bytes.
        addRow("16 Chinese characters are 32 bytes",
               QByteArray::fromStdString(gbk::fromQString(QString(16, QChar(0x4E0A))).bytes()),
               QByteArray::fromStdString(gbk::fromQString(QString(16, QChar(0x4E0A))).bytes()));
        addRow("digest over the GBK bytes",
               QByteArray::fromStdString(gbk::fromQString(QStringLiteral("上课了")).bytes()),
               QByteArray("3da58783a439047ed9e9e96eed762a5a"));
    }
    void passwordForm() {
        QFETCH(QByteArray, typed);
        QFETCH(QByteArray, sent);
        QCOMPARE(
            QByteArray::fromStdString(PasswordDigest::passwordToSend(GbkString(typed.toStdString())).bytes()),
            sent);
    }

    void readingWhatIsNotThereGivesEmptyText_data() {
        QTest::addColumn<QByteArray>("content");  // empty: no file at all
        addRow("no file", QByteArray());
        addRow("other section", QByteArray("[other]\nmemberid=x\n"));
        addRow("key in a later section", QByteArray("[qorox]\npasswd=p\n[next]\nmemberid=x\n"));
        addRow("commented key", QByteArray("[qorox]\n;memberid=x\n"));
        addRow("line without equals", QByteArray("[qorox]\nmemberid\n"));
    }
    void readingWhatIsNotThereGivesEmptyText() {
        QFETCH(QByteArray, content);
        if (!content.isEmpty()) writeAll(iniPath(), content);
        QCOMPARE(QoroxIni(folder_->path()).ReadIniValue("qorox", "memberid"), GbkString());
    }

    void readingFindsTheValue_data() {
        addColumns<QByteArray, QByteArray>({"content", "value"});
        addRow("plain", QByteArray("[qorox]\nmemberid=teacher\n"), QByteArray("teacher"));
        addRow("letter case of names", QByteArray("[QoroX]\nMemberID=teacher\n"), QByteArray("teacher"));
        addRow("blanks around names and value", QByteArray(" [ qorox ] \r\n memberid = teacher \r\n"),
               QByteArray("teacher"));
        addRow("quotes keep blanks", QByteArray("[qorox]\nmemberid=\" a b \"\n"), QByteArray(" a b "));
        addRow("first of two keys", QByteArray("[qorox]\nmemberid=one\nmemberid=two\n"), QByteArray("one"));
        addRow("no final line break", QByteArray("[qorox]\nmemberid=last"), QByteArray("last"));
        addRow("GBK bytes", QByteArray("[qorox]\nmemberid=\xCD\xF5\xC0\xCF\xCA\xA6\n"),
               QByteArray("\xCD\xF5\xC0\xCF\xCA\xA6"));
    }
    void readingFindsTheValue() {
        QFETCH(QByteArray, content);
        QFETCH(QByteArray, value);
        writeAll(iniPath(), content);
        QCOMPARE(
            QByteArray::fromStdString(QoroxIni(folder_->path()).ReadIniValue("qorox", "memberid").bytes()),
            value);
    }

    void writingKeepsEveryOtherByte_data() {
        addColumns<QByteArray, QByteArray>({"before", "after"});
        addRow("new file", QByteArray(), QByteArray("[qorox]\nmemberid=NEW\n"));
        addRow("key replaced in place",
               QByteArray("; note\n[a]\nx = 1 \n[qorox]\nMemberId = old\npasswd=p\n[b]\ny=2"),
               QByteArray("; note\n[a]\nx = 1 \n[qorox]\nMemberId =NEW\npasswd=p\n[b]\ny=2"));
        addRow("key added to its section", QByteArray("[qorox]\r\npasswd=p\r\n\r\n[b]\r\ny=2\r\n"),
               QByteArray("[qorox]\r\npasswd=p\r\nmemberid=NEW\r\n\r\n[b]\r\ny=2\r\n"));
        addRow("section appended", QByteArray("[b]\ny=2"), QByteArray("[b]\ny=2\n[qorox]\nmemberid=NEW\n"));
    }
    void writingKeepsEveryOtherByte() {
        QFETCH(QByteArray, before);
        QFETCH(QByteArray, after);
        if (!before.isEmpty()) writeAll(iniPath(), before);
        QoroxIni(folder_->path()).WriteIniValue("qorox", "memberid", "NEW");
        QCOMPARE(readAll(iniPath()), after);
    }

    void writtenValuesReadBackExactly_data() {
        QTest::addColumn<QByteArray>("value");
        addRow("empty", QByteArray());
        addRow("digest", QByteArray("a71055c199db1df4ca501348c3ae8e06"));
        addRow("blanks at the ends", QByteArray(" spaced account "));
        addRow("quoted text", QByteArray("\"quoted\""));
        addRow("equals and semicolon", QByteArray("a=b;c"));
        addRow("GBK bytes", QByteArray::fromStdString(gbk::fromQString(QStringLiteral("王老师")).bytes()));
    }
    void writtenValuesReadBackExactly() {
        QFETCH(QByteArray, value);
        const QoroxIni ini(folder_->path());
        ini.WriteIniValue("qorox", "passwd", "first");
        ini.WriteIniValue("qorox", "passwd", GbkString(value.toStdString()));
        QCOMPARE(QByteArray::fromStdString(ini.ReadIniValue("qorox", "passwd").bytes()), value);
    }

    void newFileIsPrivateAndAnExistingOneIsTightened() {
        const QoroxIni ini(folder_->path());
        ini.WriteIniValue("qorox", "memberid", "a");
        QCOMPARE(modeOf(iniPath()), 0600);
        QVERIFY(::chmod(QFile::encodeName(iniPath()).constData(), 0640) == 0);
        ini.WriteIniValue("qorox", "passwd", "b");
        QCOMPARE(modeOf(iniPath()), 0600);
        // Nothing but the file itself is left in the folder.
        QCOMPARE(QDir(folder_->path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
                 QStringList{"qorox.ini"});
    }

    void unwritableFileRaisesAndChangesNothing() {
        // A folder in the file's place, in both places, refuses the write even to root, who
        // ignores modes.
        QVERIFY(QDir(folder_->path()).mkdir(QStringLiteral("qorox.ini")));
        const QString user = folder_->filePath(QStringLiteral("user"));
        QVERIFY(QDir().mkpath(user + "/qorox.ini"));
        const QoroxIni ini(folder_->path(), user);
        QCOMPARE(ini.ReadIniValue("qorox", "memberid"), GbkString());
        QString message;
        try {
            ini.WriteIniValue("qorox", "memberid", "a");
        } catch (const FileError& error) {
            message = QString::fromUtf8(error.what());
        }
        QCOMPARE(message,
                 "Unable to write to " + user + "/qorox.ini: " + QString::fromUtf8(std::strerror(EISDIR)));
        QVERIFY(QFileInfo(iniPath()).isDir());
        QCOMPARE(QDir(folder_->path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
                 QStringList({"qorox.ini", "user"}));
    }

    // An installed copy: the file stays beside the program where it can be written there, else
    // it moves to the user's folder, and is read back from where it was written.
    void fileLivesWhereItCanBeWritten_data() {
        QTest::addColumn<QString>("setUp");
        QTest::addColumn<bool>("beside");  // written next to the program, else in the user's folder
        addRow("writable program folder", "", true);
        addRow("program folder missing", "missing", false);
        addRow("a folder in the file's place", "folder in place", false);
        addRow("read-only program folder, writable file", "read-only folder, file", true);
        addRow("read-only program folder, no file", "read-only folder", false);
    }
    void fileLivesWhereItCanBeWritten() {
        QFETCH(QString, setUp);
        QFETCH(bool, beside);
        QString program = folder_->filePath(QStringLiteral("program"));
        const QString user = folder_->filePath(QStringLiteral("config/lumoclass"));
        const QString besidePath = program + "/qorox.ini";
        QVERIFY(QDir().mkpath(program));
        if (setUp == "missing") QVERIFY(QDir(program).removeRecursively());
        if (setUp == "folder in place") QVERIFY(QDir(program).mkdir("qorox.ini"));
        if (setUp.startsWith("read-only")) {
            if (::geteuid() == 0) QSKIP("root writes into any folder");
            if (setUp.endsWith("file")) writeAll(besidePath, "[qorox]\nmemberid=admin\n");
            QVERIFY(::chmod(QFile::encodeName(program).constData(), 0555) == 0);
        }
        const QoroxIni ini(program, user);
        struct stat original {};
        ::stat(QFile::encodeName(besidePath).constData(), &original);
        ini.WriteIniValue("qorox", "passwd", "digest");
        ::chmod(QFile::encodeName(program).constData(), 0755);
        const QString written = beside ? besidePath : user + "/qorox.ini";
        QCOMPARE(ini.filePath(), written);
        QVERIFY(readAll(written).contains("passwd=digest\n"));
        QCOMPARE(QByteArray::fromStdString(ini.ReadIniValue("qorox", "passwd").bytes()),
                 QByteArray("digest"));
        if (!beside) {
            QCOMPARE(modeOf(written), 0600);
            QCOMPARE(modeOf(user), 0700);
        }
        if (setUp.endsWith("file")) {
            // Updated in place: the administrator's file, its other lines and its inode.
            struct stat after {};
            QVERIFY(::stat(QFile::encodeName(besidePath).constData(), &after) == 0);
            QCOMPARE(after.st_ino, original.st_ino);
            QCOMPARE(readAll(besidePath), QByteArray("[qorox]\nmemberid=admin\npasswd=digest\n"));
        }
    }

    // A file rewritten in place (its folder cannot be written) whose write fails halfway, here at
    // the file size limit: both keys were one write, and the old content is put back whole. Root
    // writes into any folder, so as root the write is made by a child under another user.
    void failedRewriteInPlaceLeavesTheOldFile() {
        const QString program = folder_->filePath(QStringLiteral("program"));
        QVERIFY(QDir().mkpath(program));
        const QString file = program + "/qorox.ini";
        const QByteArray old = "[qorox]\nmemberid=old account\npasswd=old digest\n";
        writeAll(file, old);
        QVERIFY(::chmod(QFile::encodeName(file).constData(), 0666) == 0);
        QVERIFY(::chmod(QFile::encodeName(program).constData(), 0555) == 0);
        const uid_t other = 65534;  // nobody
        if (::geteuid() == 0)
            QVERIFY(::chown(QFile::encodeName(file).constData(), other, other) == 0 &&
                    ::chmod(QFile::encodeName(folder_->path()).constData(), 0755) == 0);
        const auto write = [&] {
            rlimit limit{static_cast<rlim_t>(old.size() + 4), RLIM_INFINITY};
            ::signal(SIGXFSZ, SIG_IGN);
            ::setrlimit(RLIMIT_FSIZE, &limit);
            try {
                QoroxIni(program, folder_->filePath(QStringLiteral("user")))
                    .WriteIniValues("qorox", {{"memberid", "a much longer new account"}, {"passwd", "new"}});
            } catch (const FileError&) {
                return true;
            }
            return false;
        };
        bool raised = false;
        if (::geteuid() == 0) {
            const pid_t child = ::fork();
            if (child == 0) _exit(::setgid(other) == 0 && ::setuid(other) == 0 && write() ? 0 : 1);
            int status = 0;
            ::waitpid(child, &status, 0);
            raised = WIFEXITED(status) && WEXITSTATUS(status) == 0;
        } else {
            rlimit saved{};
            ::getrlimit(RLIMIT_FSIZE, &saved);
            raised = write();
            ::setrlimit(RLIMIT_FSIZE, &saved);
        }
        ::chmod(QFile::encodeName(program).constData(), 0755);
        QVERIFY(raised);
        QCOMPARE(readAll(file), old);
        QCOMPARE(modeOf(file), 0600);
    }

    void lineBreakInAValueIsRefused() {
        writeAll(iniPath(), "[qorox]\nmemberid=a\n");
        QVERIFY_THROWS_EXCEPTION(FileError,
                                 QoroxIni(folder_->path()).WriteIniValue("qorox", "memberid", "x\n[y]"));
        QCOMPARE(readAll(iniPath()), QByteArray("[qorox]\nmemberid=a\n"));
    }

    void programFolderCanBeRedirected() {
        qputenv("LUMOCLASS_PROGRAM_DIR", folder_->path().toLocal8Bit());
        QCOMPARE(QoroxIni().filePath(), iniPath());
        qunsetenv("LUMOCLASS_PROGRAM_DIR");
        QCOMPARE(QoroxIni().filePath(), QCoreApplication::applicationDirPath() + "/qorox.ini");
    }
};

QTEST_GUILESS_MAIN(TestLoginIni)
#include "test_login_ini.moc"
