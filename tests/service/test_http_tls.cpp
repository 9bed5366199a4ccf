// HTTPS peers are verified against the system authorities plus the configured one.
#include <QtTest>

#include "RecordingHttpServer.h"
#include "TestCertificates.h"
#include "service/AppError.h"
#include "service/HTTPRIOLmvInClass.h"
#include "service/HttpClient.h"

class TestHttpTls : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir_;
    TestCertificates certs_;
    std::unique_ptr<RecordingHttpServer> server_;

private slots:
    void initTestCase() {
        QVERIFY(dir_.isValid());
        certs_ = TestCertificates::create(dir_.path().toStdString());
        server_ = std::make_unique<RecordingHttpServer>(
            [](const RecordedRequest& request) {
                return ScriptedResponse{200, "text/plain", "secure " + request.target};
            },
            certs_.certFile, certs_.keyFile);
    }

    void verifiedWithTheConfiguredAuthority() {
        const HttpClient client(TlsPolicy{true, certs_.caFile});
        QCOMPARE(client.getBody(server_->baseUrl() + "/api/media/GetClip/7"),
                 std::string("secure /api/media/GetClip/7"));
    }

    void refusedWithoutIt() {
        const HttpClient client(TlsPolicy{true, ""});
        try {
            client.getBody(server_->baseUrl() + "/x");
            QFAIL("an unknown authority was accepted");
        } catch (const HttpError& e) {
            QVERIFY2(QString(e.what()).contains("certificate", Qt::CaseInsensitive), e.what());
        }
    }

    void acceptedWhenVerificationIsOff() {
        const HttpClient client(TlsPolicy{false, ""});
        QCOMPARE(client.getBody(server_->baseUrl() + "/y"), std::string("secure /y"));
    }

    void soapProxyUsesTheSamePolicy() {
        HTTPRIOLmvInClass proxy;
        proxy.setURL(server_->baseUrl() + "/lmv-inclass/lmvInclass.asmx");
        proxy.setTls(TlsPolicy{true, ""});
        QVERIFY_THROWS_EXCEPTION(HttpError, proxy.LmvInclass_GetBookList("3"));
    }

    void errorStatusCarriesTheStatus() {
        RecordingHttpServer plain([](const RecordedRequest&) {
            return ScriptedResponse{404, "text/html", "nope"};
        });
        try {
            HttpClient().getBody(plain.baseUrl() + "/missing");
            QFAIL("no error raised");
        } catch (const HttpError& e) {
            QCOMPARE(e.status(), 404L);
        }
    }
};

QTEST_GUILESS_MAIN(TestHttpTls)
#include "test_http_tls.moc"
