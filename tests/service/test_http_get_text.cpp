// The one GET routine: body unchanged on success, the two-line box and empty text otherwise.
#include <QtTest>

#include "MessageRecorder.h"
#include "RecordingHttpServer.h"
#include "service/HttpClient.h"
#include "service/HttpGetText.h"

class TestHttpGetText : public QObject {
    Q_OBJECT

private slots:
    void bodyBytesComeBackUnchanged() {
        const std::string body("media/\xD6\xD0\x00tail", 12);
        RecordingHttpServer server([&](const RecordedRequest&) {
            return ScriptedResponse{200, "text/plain", body};
        });
        MessageRecorder messages;
        QCOMPARE(HttpGetText(HttpClient(), server.baseUrl() + "/api/media/GetScene/5?x=1"), GbkString(body));
        QCOMPARE(server.requests().at(0).target, std::string("/api/media/GetScene/5?x=1"));
        QVERIFY(messages.texts().isEmpty());
    }

    void failuresShowTheTwoLineBox_data() {
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("message");
        QTest::newRow("error status") << 500 << QString("异常类名称:HttpError\r\n异常信息:HTTP 500");
        QTest::newRow("refused") << 0 << QString("异常类名称:HttpError\r\n异常信息:");
    }
    void failuresShowTheTwoLineBox() {
        QFETCH(int, status);
        QFETCH(QString, message);
        RecordingHttpServer server([&](const RecordedRequest&) {
            return ScriptedResponse{status, "text/html", "x"};
        });
        const std::string url =
            status ? server.baseUrl() + "/api/zavive/RealNameAuthentication"
                   : "http://127.0.0.1:" + std::to_string(RecordingHttpServer::unusedPort()) + "/";
        MessageRecorder messages;
        QCOMPARE(HttpGetText(HttpClient(), url), GbkString());
        QCOMPARE(messages.texts().size(), 1);
        QVERIFY2(messages.texts().at(0).startsWith(message), qPrintable(messages.texts().at(0)));
    }
};

QTEST_GUILESS_MAIN(TestHttpGetText)
#include "test_http_get_text.moc"
