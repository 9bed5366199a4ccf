// GBK conversions at the boundaries, and the configuration file.
#include <QtTest>

#include "DataRows.h"
#include "TestFiles.h"
#include "service/AppError.h"
#include "service/ClientConfig.h"
#include "service/GbkText.h"

namespace {

// GBK text and UTF-8 text are distinct types: neither passes for the other, and they neither
// join nor compare, so mixing them is a compile error rather than garbage on screen.
template <typename A, typename B>
concept Joinable = requires(A a, B b) {
    a + b;
};
template <typename A, typename B>
concept Comparable = requires(A a, B b) {
    a == b;
};
static_assert(!std::is_convertible_v<GbkString, std::string>);
static_assert(!std::is_convertible_v<GbkString, std::string_view>);
static_assert(!std::is_convertible_v<std::string, GbkString>);
static_assert(!std::is_convertible_v<std::string_view, GbkString>);
static_assert(!std::is_convertible_v<const char*, GbkString>);
static_assert(!Joinable<GbkString, std::string> && !Joinable<std::string, GbkString>);
static_assert(!Joinable<GbkString, std::string_view> && !Joinable<const char*, GbkString>);
static_assert(!Comparable<GbkString, std::string> && !Comparable<std::string, GbkString>);
static_assert(Joinable<GbkString, GbkString> && Comparable<GbkString, GbkString>);

QString writeConfig(const QTemporaryDir& dir, const QByteArray& content) {
    writeFile(dir.filePath("lumoclass.conf"), content);
    return dir.filePath("lumoclass.conf");
}

}  // namespace

class TestTextAndConfig : public QObject {
    Q_OBJECT

private slots:
    void gbkRoundTrips() {
        const GbkString text = gbk::fromUtf8("课本 Unit 1 镕");
        QCOMPARE(text, GbkString("\xBF\xCE\xB1\xBE Unit 1 \xE9\x46"));
        QCOMPARE(gbk::toUtf8(text), std::string("课本 Unit 1 镕"));
        QCOMPARE(gbk::toQString(text), QStringLiteral("课本 Unit 1 镕"));
        QCOMPARE(gbk::fromQString(QStringLiteral("密码错误")), gbk::fromUtf8("密码错误"));
    }

    void unrepresentableCharactersBecomeQuestionMarks() {
        QCOMPARE(gbk::fromUtf8("a\xF0\x9F\x98\x80z"), GbkString("a?z"));  // emoji
        QCOMPARE(gbk::fromUtf8("\xE0\xB8\x81x"), GbkString("?x"));        // Thai
        QCOMPARE(gbk::fromUtf8("bad\xFFutf8"), GbkString("bad?utf8"));
        QCOMPARE(gbk::toUtf8(GbkString("\x81")), std::string("?"));  // a lead byte without its trail
    }

    void wholeNumbers_data() {
        addColumns<QString, bool, int>({"text", "valid", "value"});
        addRow("3", "3", true, 3);
        addRow("-2", "-2", true, -2);
        addRow("+9", "+9", true, 9);
        addRow("empty", "", false, 0);
        addRow("letters", "x", false, 0);
        addRow("inner blank", "1 0", false, 0);
        addRow("too big", "99999999999", false, 0);
    }
    void wholeNumbers() {
        QFETCH(QString, text);
        QFETCH(bool, valid);
        QFETCH(int, value);
        if (valid) {
            QCOMPARE(gbk::toInt(GbkString(text.toStdString())), value);
        } else {
            try {
                gbk::toInt(GbkString(text.toStdString()));
                QFAIL("accepted");
            } catch (const ConvertError& e) {
                QCOMPARE(QString(e.what()), "'" + text + "' is not a valid integer value");
            }
        }
    }

    void missingFileGivesLoopbackDefaults() {
        const ClientConfig config = ClientConfig::loadFile("/nonexistent/lumoclass.conf");
        QVERIFY(config.classroomHost.startsWith("127.0.0.1"));
        QCOMPARE(config.classroomEndpoint(),
                 "http://" + config.classroomHost + "/lmv-inclass/lmvInclass.asmx");
        QCOMPARE(config.serviceNamespace, QString("http://tempuri.org/"));
        QVERIFY(config.tlsVerify);
    }

    void fileValuesAreRead() {
        QTemporaryDir dir;
        const QString ca = writeConfig(dir, "x");
        QFile::rename(ca, dir.filePath("ca.pem"));
        const QString path =
            writeConfig(dir,
                        "; demo\n[servers]\nclassroom = 127.0.0.5:8050   ; with a comment\n"
                        "account=10.0.0.1\n[tls]\nverify = false\nca_file = " +
                            dir.filePath("ca.pem").toUtf8() + "\n[other]\nclassroom = ignored\n");
        const ClientConfig config = ClientConfig::loadFile(path);
        QCOMPARE(config.classroomHost, QString("127.0.0.5:8050"));
        QCOMPARE(config.accountHost, QString("10.0.0.1"));
        QCOMPARE(config.tlsVerify, false);
        QCOMPARE(config.caFile, dir.filePath("ca.pem"));
    }

    // https:// asks for an encrypted SOAP endpoint or account notification; the host is kept
    // without it, so every other address of that host is built as before.
    void classroomAndAccountMayAskForHttps() {
        QTemporaryDir dir;
        const ClientConfig config = ClientConfig::loadFile(writeConfig(
            dir, "[servers]\nclassroom = HTTPS://class.example:8443\naccount = https://acc.example\n"));
        QCOMPARE(config.classroomHost, QString("class.example:8443"));
        QCOMPARE(config.classroomEndpoint(),
                 QString("https://class.example:8443/lmv-inclass/lmvInclass.asmx"));
        QCOMPARE(config.accountHost, QString("acc.example"));
        QCOMPARE(config.accountScheme(), QString("https"));
        const ClientConfig plain =
            ClientConfig::loadFile(writeConfig(dir, "[servers]\naccount = acc.example\n"));
        QCOMPARE(plain.accountScheme(), QString("http"));
    }

    void preparationKeys_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<int>("parallel");
        QTest::addColumn<bool>("prefetch");
        QTest::newRow("defaults") << QByteArray("[http]\n") << 6 << false;
        QTest::newRow("one at a time, prefetching")
            << QByteArray("[http]\nparallel_downloads = 1\nprefetch = yes\n") << 1 << true;
        QTest::newRow("the most") << QByteArray("[HTTP]\nParallel_Downloads = 16 ; max\nprefetch = false\n")
                                  << 16 << false;
    }
    void preparationKeys() {
        QFETCH(QByteArray, content);
        QTemporaryDir dir;
        const ClientConfig config = ClientConfig::loadFile(writeConfig(dir, content));
        QTEST(config.parallelDownloads, "parallel");
        QTEST(config.prefetch, "prefetch");
    }

    void environmentNamesTheFile() {
        qputenv("LUMOCLASS_CONFIG", "/somewhere/else.conf");
        QCOMPARE(ClientConfig::defaultPath(), QString("/somewhere/else.conf"));
        qunsetenv("LUMOCLASS_CONFIG");
        qputenv("XDG_CONFIG_HOME", "/xdg");
        QCOMPARE(ClientConfig::defaultPath(), QString("/xdg/lumoclass/lumoclass.conf"));
        // A relative base is ignored, as the base directory rules say.
        qputenv("XDG_CONFIG_HOME", "relative/xdg");
        QCOMPARE(ClientConfig::defaultPath(), QDir::homePath() + "/.config/lumoclass/lumoclass.conf");
    }

    void badValuesNameFileKeyAndValue_data() {
        addColumns<QByteArray, QString, QString>({"content", "key", "value"});
        addRow("scheme in host", QByteArray("[servers]\nclassroom = http://a\n"), "servers.classroom",
               "http://a");
        addRow("https for the content server", QByteArray("[servers]\ncontent = https://a\n"),
               "servers.content", "https://a");
        addRow("https with a path", QByteArray("[servers]\naccount = https://a/x\n"), "servers.account",
               "https://a/x");
        addRow("port out of range", QByteArray("[servers]\ncontent = a:70000\n"), "servers.content",
               "a:70000");
        addRow("question with port", QByteArray("[servers]\nquestion = a:8090\n"), "servers.question",
               "a:8090");
        addRow("verify", QByteArray("[tls]\nverify = maybe\n"), "tls.verify", "maybe");
        addRow("ca file", QByteArray("[tls]\nca_file = /no/such/ca.pem\n"), "tls.ca_file", "/no/such/ca.pem");
        addRow("namespace", QByteArray("[service]\nnamespace = tempuri\n"), "service.namespace", "tempuri");
        addRow("no parallel downloads", QByteArray("[http]\nparallel_downloads = 0\n"),
               "http.parallel_downloads", "0");
        addRow("too many parallel downloads", QByteArray("[http]\nparallel_downloads = 17\n"),
               "http.parallel_downloads", "17");
        addRow("parallel downloads not a number", QByteArray("[http]\nparallel_downloads = six\n"),
               "http.parallel_downloads", "six");
        addRow("prefetch", QByteArray("[http]\nprefetch = often\n"), "http.prefetch", "often");
    }
    void badValuesNameFileKeyAndValue() {
        QFETCH(QByteArray, content);
        QFETCH(QString, key);
        QFETCH(QString, value);
        QTemporaryDir dir;
        const QString path = writeConfig(dir, content);
        try {
            ClientConfig::loadFile(path);
            QFAIL("accepted");
        } catch (const ConfigError& e) {
            const QString message = QString::fromUtf8(e.what());
            QVERIFY2(message.contains(path) && message.contains("\"" + key + "\"") &&
                         message.contains("\"" + value + "\""),
                     e.what());
        }
    }
};

QTEST_GUILESS_MAIN(TestTextAndConfig)
#include "test_text_and_config.moc"
