#include <QTest>

#include "DataRows.h"
#include "cache/CacheFileName.h"

// GBK bytes of Chinese characters as the service sends them in names.
static const std::string kBiao = "\xB1\xED";
static const std::string kBiaoBackslash = "\xB1\x5C";  // second byte is "\"
static const std::string kTu = "\xCD\xBC";

class CacheFileNameTest : public QObject {
    Q_OBJECT

private slots:
    void urlFileNameIsTextAfterLastSlash_data() {
        addColumns<QByteArray, QByteArray>({"address", "name"});
        addRow("picture", QByteArray("http://h/media/a.jpg"), QByteArray("a.jpg"));
        addRow("query kept", QByteArray("http://h/get?f=x/y.png&z=1"), QByteArray("y.png&z=1"));
        addRow("trailing slash", QByteArray("http://h/media/"), QByteArray());
        addRow("no slash", QByteArray("a.jpg"), QByteArray());
        addRow("case kept", QByteArray("http://h/A.JPG"), QByteArray("A.JPG"));
        addRow("gbk name", QByteArray(("http://h/" + kTu + kBiao + ".jpg").c_str()),
               QByteArray((kTu + kBiao + ".jpg").c_str()));
    }
    void urlFileNameIsTextAfterLastSlash() {
        QFETCH(QByteArray, address);
        QFETCH(QByteArray, name);
        QCOMPARE(
            QByteArray::fromStdString(CacheFileName::UrlFileName(GbkString(address.toStdString())).bytes()),
            name);
    }

    void pageFileNameIsTrimmedIdAndImageExtension_data() {
        addColumns<QByteArray, QByteArray, QByteArray>({"pageId", "address", "name"});
        addRow("ordinary", QByteArray(" 4711 "), QByteArray("http://c/b/p12.jpg"), QByteArray("4711.jpg"));
        addRow("dot in host only", QByteArray("7"), QByteArray("http://c.example:80/p12"), QByteArray("7"));
        addRow("backslash after dot", QByteArray("7"), QByteArray("c:\\x.d\\p12"), QByteArray("7"));
        addRow("query after dot", QByteArray("7"), QByteArray("http://c/p.png?v=2"), QByteArray("7.png?v=2"));
        // The second byte of a GBK character is not a "\" delimiter.
        addRow("gbk trail byte", QByteArray("7"), QByteArray(("http://c/p.j" + kBiaoBackslash).c_str()),
               QByteArray(("7.j" + kBiaoBackslash).c_str()));
    }
    void pageFileNameIsTrimmedIdAndImageExtension() {
        QFETCH(QByteArray, pageId);
        QFETCH(QByteArray, address);
        QFETCH(QByteArray, name);
        QCOMPARE(QByteArray::fromStdString(CacheFileName::PageFileName(GbkString(pageId.toStdString()),
                                                                       GbkString(address.toStdString()))
                                               .bytes()),
                 name);
    }
};

QTEST_GUILESS_MAIN(CacheFileNameTest)
#include "test_cache_file_name.moc"
