// The classroom proxy on the wire, against a server that records what arrives.
#include <libxml/parser.h>
#include <libxml/tree.h>

#include <QtTest>

#include "DataRows.h"
#include "MessageRecorder.h"
#include "RecordingHttpServer.h"
#include "ScriptedClassroom.h"
#include "service/AppError.h"
#include "service/GbkText.h"
#include "service/HTTPRIOLmvInClass.h"
#include "service/ReplyStore.h"

namespace {

const char* const kPath = "/lmv-inclass/lmvInclass.asmx";

// The operation element of a recorded request: its name, namespace and children in order.
struct BodyElement {
    std::string name;
    std::string ns;
    std::vector<std::pair<std::string, std::string>> children;
};

BodyElement readBody(const std::string& xml) {
    BodyElement out;
    xmlDocPtr doc = xmlReadMemory(xml.data(), int(xml.size()), nullptr, nullptr, XML_PARSE_NONET);
    if (!doc) return out;
    xmlNodePtr node = xmlDocGetRootElement(doc);
    auto firstElement = [](xmlNodePtr n) {
        for (xmlNodePtr c = n ? n->children : nullptr; c; c = c->next)
            if (c->type == XML_ELEMENT_NODE) return c;
        return xmlNodePtr(nullptr);
    };
    xmlNodePtr body = firstElement(node);
    xmlNodePtr op = firstElement(body);
    if (op) {
        out.name = reinterpret_cast<const char*>(op->name);
        out.ns = op->ns ? reinterpret_cast<const char*>(op->ns->href) : "";
        for (xmlNodePtr c = op->children; c; c = c->next) {
            if (c->type != XML_ELEMENT_NODE) continue;
            xmlChar* text = xmlNodeGetContent(c);
            out.children.emplace_back(reinterpret_cast<const char*>(c->name),
                                      reinterpret_cast<const char*>(text));
            xmlFree(text);
        }
    }
    xmlFreeDoc(doc);
    return out;
}

std::string operationOf(const RecordedRequest& request) {
    return readBody(request.body).name;
}

}  // namespace

class TestSoapProxy : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<RecordingHttpServer> server_;
    std::string nextResult_;
    HTTPRIOLmvInClass proxy_;
    int unreachable_ = 0;

    void answerWith(std::string resultText) { nextResult_ = std::move(resultText); }

private slots:
    void init() {
        nextResult_.clear();
        server_ = std::make_unique<RecordingHttpServer>([this](const RecordedRequest& request) {
            return ScriptedResponse{200, "text/xml; charset=utf-8",
                                    ScriptedClassroom::envelope(operationOf(request), nextResult_)};
        });
        proxy_.setURL(server_->baseUrl() + kPath);
        proxy_.setUseUtf8InHeader(true);
        unreachable_ = 0;
        proxy_.setUnreachableHandler([this] { ++unreachable_; });
        proxy_.setReplyStore(nullptr);
        proxy_.setOffline(false);
    }

    void requestLineHeadersAndBody_data() {
        QTest::addColumn<bool>("charsetFlag");
        addRow("charset flag on", true);
        addRow("charset flag off", false);
    }
    void requestLineHeadersAndBody() {
        QFETCH(bool, charsetFlag);
        proxy_.setUseUtf8InHeader(charsetFlag);
        proxy_.LmvInclass_GetQuestionList("u1", "english", "tp", "s", "qt", "k", "a", "kw", "st");
        proxy_.LmvInclass_GetTestList("u1", "english", "0");
        proxy_.LmvInclass_GetDialoguePartList("u1", "d7");
        const auto requests = server_->requests();
        QCOMPARE(requests.size(), std::size_t(3));
        for (const auto& r : requests) {
            QCOMPARE(r.method, std::string("POST"));
            QCOMPARE(r.target, std::string(kPath));
            QCOMPARE(r.header("content-type"),
                     std::string(charsetFlag ? "text/xml; charset=\"utf-8\"" : "text/xml"));
        }
        QCOMPARE(requests[0].header("soapaction"),
                 std::string("\"http://tempuri.org/LmvInclass_GetQuestionList\""));
        QCOMPARE(requests[1].header("soapaction"),
                 std::string("\"http://tempuri.org/LmvInclass_GetTestList\""));

        const BodyElement questions = readBody(requests[0].body);
        QCOMPARE(questions.name, std::string("LmvInclass_GetQuestionList"));
        QCOMPARE(questions.ns, std::string("http://tempuri.org/"));
        const std::vector<std::pair<std::string, std::string>> expected = {
            {"userid", "u1"},    {"subject", "english"},    {"testpaperid", "tp"},
            {"storeids", "s"},   {"questiontypeids", "qt"}, {"knowledgeids", "k"},
            {"abilityids", "a"}, {"keywords", "kw"},        {"testpaperstatus", "st"}};
        QCOMPARE(questions.children, expected);

        const BodyElement tests = readBody(requests[1].body);
        QCOMPARE(tests.children.at(2).first, std::string("Testtypeid"));
        const BodyElement dialogue = readBody(requests[2].body);
        QCOMPARE(dialogue.children.at(1).first, std::string("DialogueId"));
    }

    void chineseTextCrossesBothWays() {
        const GbkString account = gbk::fromUtf8("王老师");
        QCOMPARE(account.size(), std::size_t(6));  // two GBK bytes a character
        answerWith("<?xml version=\"1.0\" encoding=\"GB2312\"?><r><row name=\"课本\"/></r>");
        const GbkString reply = proxy_.LmvInclass_LogOn(account, "a<b&c");
        const BodyElement body = readBody(server_->requests().at(0).body);
        QCOMPARE(body.children.at(0).second, std::string("王老师"));  // UTF-8 on the wire
        QCOMPARE(body.children.at(1).second, std::string("a<b&c"));
        QCOMPARE(reply,
                 gbk::fromUtf8("<?xml version=\"1.0\" encoding=\"GB2312\"?><r><row name=\"课本\"/></r>"));
    }

    void bytesResultIsDecodedFromBase64() {
        const QByteArray raw("\x1f\x8b\x08\x00\xff binary", 12);
        answerWith(raw.toBase64().toStdString());
        const ByteString bytes = proxy_.LmvInclass_GetSceneTextJsonList("u", "1", "b");
        QCOMPARE(QByteArray::fromStdString(bytes), raw);
        const BodyElement body = readBody(server_->requests().at(0).body);
        QCOMPARE(body.children.size(), std::size_t(3));
        QCOMPARE(body.children.at(1).first, std::string("syllabusid"));
    }

    void failuresRaiseWithTheirMessage_data() {
        addColumns<int, QString, QString, QString, QString>(
            {"status", "contentType", "body", "errorType", "message"});
        addRow("fault with 500", 500, "text/xml",
               QString::fromStdString(ScriptedClassroom::faultEnvelope("用户不存在")), "SoapFault",
               "用户不存在");
        addRow("fault with 200", 200, "text/xml",
               QString::fromStdString(ScriptedClassroom::faultEnvelope("busy")), "SoapFault", "busy");
        addRow("404 with html", 404, "text/html", "<html><body>Not here</body></html>", "HttpError",
               "HTTP status 404");
        addRow("500 without soap", 500, "text/plain", "oops", "HttpError", "HTTP status 500");
        addRow("not xml", 200, "text/xml", "this is not xml", "SoapError", "not a SOAP message");
        addRow("wrong element", 200, "text/xml",
               QString::fromStdString(ScriptedClassroom::envelope("Other", "x")), "SoapError",
               "no LmvInclass_GetBookListResponse");
    }
    void failuresRaiseWithTheirMessage() {
        QFETCH(int, status);
        QFETCH(QString, contentType);
        QFETCH(QString, body);
        QFETCH(QString, errorType);
        QFETCH(QString, message);
        RecordingHttpServer server([&](const RecordedRequest&) {
            return ScriptedResponse{status, contentType.toStdString(), body.toStdString()};
        });
        proxy_.setURL(server.baseUrl() + kPath);
        try {
            proxy_.LmvInclass_GetBookList("3");
            QFAIL("no error raised");
        } catch (const AppError& e) {
            QCOMPARE(QString(e.typeName()), errorType);
            QVERIFY2(QString::fromUtf8(e.what()).contains(message), e.what());
        }
        // The service answered: nothing to go on offline for.
        QCOMPARE(unreachable_, 0);
    }

    void connectionRefusedCarriesTheTransportMessage() {
        proxy_.setURL("http://127.0.0.1:" + std::to_string(RecordingHttpServer::unusedPort()) + kPath);
        try {
            proxy_.LmvInclass_GetBookList("3");
            QFAIL("no error raised");
        } catch (const HttpError& e) {
            QVERIFY2(QString(e.what()).contains("onnect"), e.what());
            QCOMPARE(e.status(), 0L);
            QVERIFY(e.unreachable());
        }
        QCOMPARE(unreachable_, 1);
    }

    // Replies are kept per account under a name that cannot leave the store; offline they are
    // all there is, and the sign-in, which carries the password, is never written down.
    void keptRepliesAnswerOfflineAndNothingElse() {
        QTemporaryDir root;
        ReplyStore store(root.filePath("replies/").toStdString());
        store.setAccount("../teacher");
        proxy_.setReplyStore(&store);
        answerWith("<books/>");
        QCOMPARE(proxy_.LmvInclass_GetBookList("3"), GbkString("<books/>"));
        proxy_.LmvInclass_LogOn("../teacher", "secret");
        const int requests = int(server_->requests().size());

        server_.reset();
        proxy_.setOffline(true);
        QCOMPARE(proxy_.LmvInclass_GetBookList("3"), GbkString("<books/>"));
        QVERIFY_THROWS_EXCEPTION(HttpError, proxy_.LmvInclass_GetBookList("4"));
        QVERIFY_THROWS_EXCEPTION(HttpError, proxy_.LmvInclass_LogOn("../teacher", "secret"));
        QCOMPARE(requests, 2);
        QCOMPARE(unreachable_, 0);

        const QFileInfoList folders =
            QDir(root.filePath("replies")).entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot);
        QCOMPARE(folders.size(), 1);
        QCOMPARE(folders[0].fileName().size(), 64);
        QCOMPARE(int(folders[0].permissions() & 0x0077), 0);  // nothing for group and others
        const QFileInfoList files = QDir(folders[0].filePath()).entryInfoList(QDir::Files | QDir::Hidden);
        QCOMPARE(files.size(), 1);
        QVERIFY(files[0].fileName().startsWith("LmvInclass_GetBookList-"));
        QCOMPARE(int(files[0].permissions() & 0x7077), int(QFile::ReadOwner | QFile::WriteOwner));
    }

    void invalidBase64IsRefused() {
        answerWith("not*base64!");
        QVERIFY_THROWS_EXCEPTION(SoapError, proxy_.LmvInclass_GetPassageTextJsonList("u", "1", "b"));
    }

    void callWithoutEndpointFails() {
        HTTPRIOLmvInClass fresh;
        try {
            fresh.LmvInclass_LogOn("a", "b");
            QFAIL("no error raised");
        } catch (const SoapError& e) {
            QVERIFY2(QString(e.what()).contains("No URL"), e.what());
        }
    }
};

QTEST_GUILESS_MAIN(TestSoapProxy)
#include "test_soap_proxy.moc"
