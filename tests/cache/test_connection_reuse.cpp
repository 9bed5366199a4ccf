#include <QFile>
#include <QTest>

#include "KeepAliveServer.h"
#include "cache/CacheFolder.h"
#include "cache/RemoteFileCache.h"

// A list of thumbnails from one content server goes over one connection, and a connection the
// server has closed meanwhile costs a reconnect, never a failed picture.
class ConnectionReuseTest : public QObject {
    Q_OBJECT

    std::string folder_;

private slots:
    void init() {
        folder_ = CacheFolder::temporaryPath();
        QVERIFY(!folder_.empty());
        for (int i = 0; i < 5; ++i)
            QFile::remove(QString::fromStdString(folder_ + std::to_string(i) + ".jpg"));
    }

    void downloadsFromOneServer_data() {
        QTest::addColumn<bool>("dropAfterEach");
        QTest::addColumn<int>("connections");
        QTest::newRow("kept alive: one connection") << false << 1;
        QTest::newRow("closed by the server: reconnects") << true << 5;
    }
    void downloadsFromOneServer() {
        QFETCH(bool, dropAfterEach);
        QFETCH(int, connections);
        using enum KeepAliveServer::Connections;
        KeepAliveServer server({"\xFF\xD8\xFFpicture", {}, {}, dropAfterEach ? CloseAfterEach : KeepOpen});
        RemoteFileCache cache(folder_, {}, {});
        for (int i = 0; i < 5; ++i) {
            const GbkString name(std::to_string(i) + ".jpg");
            QVERIFY(cache.CacheRemoteFile(GbkString(server.baseUrl() + "/media/") + name,
                                          gbk::joinPath(folder_, name)));
        }
        QCOMPARE(server.requests(), 5);
        QCOMPARE(server.connections(), connections);
    }
};

QTEST_GUILESS_MAIN(ConnectionReuseTest)
#include "test_connection_reuse.moc"
