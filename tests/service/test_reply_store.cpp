// The replies kept for working offline, as the proxy keeps them after every pick.
#include <QtTest>

#include <sys/stat.h>

#include <QTemporaryDir>

#include "DataRows.h"
#include "service/ReplyStore.h"

namespace {

struct stat fileInfo(const std::string& path) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0) info.st_ino = 0;
    return info;
}

}  // namespace

class TestReplyStore : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> root_;
    std::unique_ptr<ReplyStore> store_;

    // The one account's folder, empty while there is none.
    std::string folder() const {
        const std::vector<std::string> folders = store_->accountFolders();
        return folders.size() == 1 ? folders.front() : std::string();
    }
    std::string keptPath() const {
        return folder() + "LmvInclass_GetBookList-" +
               QCryptographicHash::hash("subject=3\n", QCryptographicHash::Sha256).toHex().toStdString();
    }
    void keep(const QByteArray& reply) {
        store_->keep("LmvInclass_GetBookList", "subject=3\n", reply.toStdString());
    }

private slots:
    void init() {
        root_ = std::make_unique<QTemporaryDir>();
        store_ = std::make_unique<ReplyStore>(root_->filePath("cache/replies/").toStdString());
        store_->setAccount("teacher");
    }

    // A reply read again is mostly the one kept already: the file is then left as it is.
    void keptFileIsRewrittenOnlyForOtherBytes_data() {
        addColumns<QByteArray, QByteArray, bool>({"first", "second", "rewritten"});
        addRow("same bytes", QByteArray("<books/>"), QByteArray("<books/>"), false);
        addRow("same size, other bytes", QByteArray("<books/>"), QByteArray("<bookz/>"), true);
        addRow("other size", QByteArray("<books/>"), QByteArray("<books></books>"), true);
    }
    void keptFileIsRewrittenOnlyForOtherBytes() {
        QFETCH(QByteArray, first);
        QFETCH(QByteArray, second);
        QFETCH(bool, rewritten);
        keep(first);
        const ino_t before = fileInfo(keptPath()).st_ino;
        QVERIFY(before != 0);
        keep(second);
        const struct stat after = fileInfo(keptPath());
        QCOMPARE(after.st_ino != before, rewritten);
        QCOMPARE(int(after.st_mode & 07777), 0600);
        QCOMPARE(store_->kept("LmvInclass_GetBookList", "subject=3\n"), second.toStdString());
    }

    // The cache emptied by hand while the window runs: one keep may fail, the next makes the
    // folder again, as private as before.
    void removedFolderIsMadeAgain() {
        keep("<books/>");
        const std::string folder = this->folder();
        QVERIFY(QDir(QString::fromStdString(folder)).removeRecursively());
        keep("<books/>");
        keep("<books/>");
        QCOMPARE(store_->kept("LmvInclass_GetBookList", "subject=3\n"), std::string("<books/>"));
        QCOMPARE(int(fileInfo(folder.substr(0, folder.size() - 1)).st_mode & 07777), 0700);
        QCOMPARE(int(fileInfo(keptPath()).st_mode & 07777), 0600);
    }
};

QTEST_GUILESS_MAIN(TestReplyStore)
#include "test_reply_store.moc"
