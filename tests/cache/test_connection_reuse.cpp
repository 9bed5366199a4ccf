#include <QFile>
#include <QTest>

#include "KeepAliveServer.h"
#include "cache/CacheFolder.h"
#include "cache/RemoteFileCache.h"

// A list of thumbnails from one content server goes over one connection, and a connection the
// server has closed meanwhile costs a reconnect, never a failed picture.
class ConnectionReuseTest : public QObject {
    Q_OBJECT

private slots:
    void downloadsFromOneServer_data() {
        QTest::addColumn<bool>("dropAfterEach");
        QTest::addColumn<int>("connections");
        QTest::newRow("kept alive: one connection") << false << 1;
        QTest::newRow("closed by the server: reconnects") << true << 5;
    }
    void downloadsFromOneServer() {
        QFETCH(bool, dropAfterEach);
        QFETCH(int, connections);
        const std::string folder = CacheFolder::temporaryPath();
        QVERIFY(!folder.empty());
        for (int i = 0; i < 5; ++i)
            QFile::remove(QString::fromStdString(folder + std::to_string(i) + ".jpg"));
        using enum KeepAliveServer::Connections;
        KeepAliveServer server({"\xFF\xD8\xFFpicture", {}, {}, dropAfterEach ? CloseAfterEach : KeepOpen});
        RemoteFileCache cache(folder, {}, {});
        for (int i = 0; i < 5; ++i) {
            const GbkString name(std::to_string(i) + ".jpg");
            QVERIFY(cache.CacheRemoteFile(GbkString(server.baseUrl() + "/media/") + name,
                                          gbk::joinPath(folder, name)));
        }
        QCOMPARE(server.requests(), 5);
        QCOMPARE(server.connections(), connections);
    }
};

QTEST_GUILESS_MAIN(ConnectionReuseTest)
#include "test_connection_reuse.moc"
