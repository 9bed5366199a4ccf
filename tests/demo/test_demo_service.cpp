// The demo service over real sockets, read with the client's own proxy, inflater and reader,
// so a mistake made on both sides cannot pass unnoticed.
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QtTest>
#include <functional>

#include "DataRows.h"
#include "DemoService.h"
#include "TestFiles.h"
#include "service/AppError.h"
#include "service/GbkText.h"
#include "service/HTTPRIOLmvInClass.h"
#include "service/HttpClient.h"
#include "service/ReplyInflater.h"
#include "service/TReplyDataset.h"

namespace {

std::unique_ptr<HTTPRIOLmvInClass> proxyFor(const DemoService& service) {
    auto proxy = std::make_unique<HTTPRIOLmvInClass>();
    proxy->setURL(service.baseUrl(false).toStdString() + "/lmv-inclass/lmvInclass.asmx");
    proxy->setUseUtf8InHeader(true);
    proxy->setTls({true, service.caFile().toStdString()});
    return proxy;
}

int rowCount(const TReplyDataset& dataset) {
    int rows = 0;
    for (TReplyRow row = dataset.firstRow(); !row.isNull(); row = row.next()) ++rows;
    return rows;
}

// How one operation is called and read, as its caller in the client does it.
struct OperationCase {
    std::function<TReplyDataset(lmvInclassSoap&)> read;
    bool hasRows;
};

}  // namespace

Q_DECLARE_METATYPE(OperationCase)

class TestDemoService : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void bothSchemesAnswerOnOnePort();
    void everyOperationAnswersAReplyTheClientReads_data();
    void everyOperationAnswersAReplyTheClientReads();
    void logOnChecksTheDigestOfTheGbkPassword_data();
    void logOnChecksTheDigestOfTheGbkPassword();
    void pageSizeUpdateIsReturnedByLaterPageLists();
    void faultsNamedByTheDataFolderReachTheClient_data();
    void faultsNamedByTheDataFolderReachTheClient();
    void questionPagesAnswerOnPort8090();
    void malformedRequestsGet400AndServiceGoesOn();
    void unknownMediaIdGives404();
    void logListsRepliesInTheOrderTheClientGotThem();
};

void TestDemoService::bothSchemesAnswerOnOnePort() {
    DemoService service;
    HttpClient client({true, service.caFile().toStdString()});
    const std::string path = "/api/media/GetScene/b3a-s11";
    HttpResponse plain = client.get(service.baseUrl(false).toStdString() + path);
    HttpResponse secure = client.get(service.baseUrl(true).toStdString() + path);
    QCOMPARE(plain.status, 200L);
    QCOMPARE(secure.status, 200L);
    QCOMPARE(plain.body, secure.body);
    QVERIFY(QByteArray::fromStdString(plain.body).startsWith("https://" + service.host().toUtf8()));
    QVERIFY(service.waitForRequest("request https " + QString::number(service.port()) + " GET " +
                                   QString::fromStdString(path)));
    // A page picture that a record names arrives as a picture over plain http.
    HttpResponse picture = client.get(service.baseUrl(false).toStdString() + "/content/pages/b3a/p001.jpg");
    QCOMPARE(picture.status, 200L);
    QVERIFY(QImage::fromData(QByteArray::fromStdString(picture.body)).width() > 1000);
}

void TestDemoService::everyOperationAnswersAReplyTheClientReads_data() {
    QTest::addColumn<OperationCase>("operation");
    const GbkString u = "t1001", en = "english", syl = "syl-pep", book = "b3a";
    auto text = [](std::function<GbkString(lmvInclassSoap&)> call,
                   DeclarationRule rule = DeclarationRule::Plain) {
        return [call, rule](lmvInclassSoap& s) { return ParseReplyDataset(call(s), rule); };
    };
    auto gbkBytes = [](std::function<ByteString(lmvInclassSoap&)> call) {
        return [call](lmvInclassSoap& s) { return ParseReplyDataset(InflateReplyText(call(s))); };
    };
    addRow("LogOn",
           OperationCase{text([](lmvInclassSoap& s) { return s.LmvInclass_LogOn("teacher", "lumo2024"); }),
                         true});
    addRow("GetTeacherSetting",
           OperationCase{text([u](lmvInclassSoap& s) { return s.LmvInclass_GetTeacherSetting(u); },
                              DeclarationRule::AlwaysPrefix),
                         true});
    addRow("GetBookList",
           OperationCase{text([](lmvInclassSoap& s) { return s.LmvInclass_GetBookList("3"); }), true});
    addRow("GetPageList", OperationCase{text([book](lmvInclassSoap& s) {
                                            return s.LmvInclass_GetPageList(book, "https://content.example");
                                        }),
                                        true});
    addRow("GetUnitList",
           OperationCase{text([u, en](lmvInclassSoap& s) { return s.LmvInclass_GetUnitList(u, en); }), true});
    QTest::newRow("GetMiniLectureTextJsonList") << OperationCase{
        [u, syl, book](lmvInclassSoap& s) {
            // Sent as UTF-8 without declaration; the client marks it with a byte-order mark.
            return ParseReplyDataset(GbkString(
                "\xEF\xBB\xBF" + InflateReplyBytes(s.LmvInclass_GetMiniLectureTextJsonList(u, syl, book))));
        },
        true};
    addRow("GetPassageTextJsonList", OperationCase{gbkBytes([u, syl, book](lmvInclassSoap& s) {
                                                       return s.LmvInclass_GetPassageTextJsonList(u, syl,
                                                                                                  book);
                                                   }),
                                                   true});
    addRow("GetSceneTextJsonList", OperationCase{gbkBytes([u, syl, book](lmvInclassSoap& s) {
                                                     return s.LmvInclass_GetSceneTextJsonList(u, syl, book);
                                                 }),
                                                 true});
    addRow("GetsyllabusWordList", OperationCase{gbkBytes([u, syl, book](lmvInclassSoap& s) {
                                                    return s.LmvInclass_GetsyllabusWordList(u, syl, book);
                                                }),
                                                true});
    addRow("GetQuestionTypeList",
           OperationCase{text([u, en](lmvInclassSoap& s) { return s.LmvInclass_GetQuestionTypeList(u, en); }),
                         true});
    addRow("GetTestList",
           OperationCase{text([u, en](lmvInclassSoap& s) { return s.LmvInclass_GetTestList(u, en, "0"); }),
                         true});
    addRow("GetClipList",
           OperationCase{text([u, en](lmvInclassSoap& s) { return s.LmvInclass_GetClipList(u, en, "102"); }),
                         true});
    addRow("GetAllTestPaperList",
           OperationCase{text([u](lmvInclassSoap& s) { return s.LmvInclass_GetAllTestPaperList(u, "0"); }),
                         true});
    addRow(
        "GetSectionList",
        OperationCase{
            text([u, en](lmvInclassSoap& s) { return s.LmvInclass_GetSectionList(u, en, "b3a-u1"); }), true});
    addRow("getQuestionListFromaSection with declaration",
           OperationCase{text(
                             [u, en](lmvInclassSoap& s) {
                                 return s.LmvInclass_getQuestionListFromaSection(u, en, "b3a-u1",
                                                                                 "b3a-u1-sec1");
                             },
                             DeclarationRule::PrefixIfMissing),
                         true});
    addRow("getQuestionListFromaSection without declaration",
           OperationCase{text(
                             [u, en](lmvInclassSoap& s) {
                                 return s.LmvInclass_getQuestionListFromaSection(u, en, "b3a-u1",
                                                                                 "b3a-u1-sec2");
                             },
                             DeclarationRule::PrefixIfMissing),
                         true});
    addRow("GetQuestionType",
           OperationCase{text([u](lmvInclassSoap& s) { return s.LmvInclass_GetQuestionType(u); }), false});
    addRow("GetWordFamilyList",
           OperationCase{text([u](lmvInclassSoap& s) { return s.LmvInclass_GetWordFamilyList(u); }), false});
    addRow(
        "GetStoreList",
        OperationCase{text([u, en](lmvInclassSoap& s) { return s.LmvInclass_GetStoreList(u, en); }), false});
    addRow("GetKnowledgeList",
           OperationCase{text([u, en](lmvInclassSoap& s) { return s.LmvInclass_GetKnowledgeList(u, en); }),
                         false});
    addRow("GetAbilityList",
           OperationCase{text([u, en](lmvInclassSoap& s) { return s.LmvInclass_GetAbilityList(u, en); }),
                         false});
    addRow("GetQuestionList", OperationCase{text([u, en](lmvInclassSoap& s) {
                                                return s.LmvInclass_GetQuestionList(
                                                    u, en, "tp001", "", "", "", "", gbk::fromUtf8("关键词"),
                                                    "0");
                                            }),
                                            false});
    addRow("GetDialoguePartList",
           OperationCase{text([u](lmvInclassSoap& s) { return s.LmvInclass_GetDialoguePartList(u, "1"); }),
                         false});
    addRow("GetTestTypeList",
           OperationCase{text([u](lmvInclassSoap& s) { return s.LmvInclass_GetTestTypeList(u); }), false});
    addRow("GetDialogueList",
           OperationCase{text([u](lmvInclassSoap& s) { return s.LmvInclass_GetDialogueList(u); }), false});
}

void TestDemoService::everyOperationAnswersAReplyTheClientReads() {
    QFETCH(OperationCase, operation);
    static std::unique_ptr<DemoService> service;
    if (!service) service = std::make_unique<DemoService>();
    auto proxy = proxyFor(*service);
    TReplyDataset dataset = operation.read(*proxy);
    QCOMPARE(rowCount(dataset) > 0, operation.hasRows);
    if (QByteArray(QTest::currentDataTag()) == "LogOn") {
        QCOMPARE(dataset.firstRow().value("typeid"), GbkString("100"));
        QCOMPARE(dataset.firstRow().value("usertypeid"), GbkString("100"));
        QCOMPARE(gbk::toQString(dataset.firstRow().value("lastname")), QStringLiteral("王"));
    }
    if (QByteArray(QTest::currentDataTag()) == "GetPageList")
        QVERIFY(dataset.firstRow().value("pagefile").rfind("https://content.example/content/pages/b3a/", 0) ==
                0);
}

void TestDemoService::logOnChecksTheDigestOfTheGbkPassword_data() {
    addColumns<QString, QString, bool, bool>({"account", "password", "digest", "accepted"});
    addRow("digest of the plain password", "teacher", "lumo2024", true, true);
    addRow("plain password as the direct mode sends it", "student", "learn30", false, true);
    addRow("Chinese account and password, digest of GBK bytes", "王老师", "上课了", true, true);
    addRow("wrong password", "teacher", "lumo2025", true, false);
    addRow("digest of the UTF-8 bytes is not the digest the dialog sends", "王老师", "utf8:上课了", true,
           false);
    addRow("unknown account", "nobody", "lumo2024", false, false);
    addRow("empty account", "", "", false, false);
}

void TestDemoService::logOnChecksTheDigestOfTheGbkPassword() {
    QFETCH(QString, account);
    QFETCH(QString, password);
    QFETCH(bool, digest);
    QFETCH(bool, accepted);
    static std::unique_ptr<DemoService> service;
    if (!service) service = std::make_unique<DemoService>();
    QByteArray bytes = password.startsWith("utf8:")
                           ? password.mid(5).toUtf8()
                           : QByteArray::fromStdString(gbk::fromQString(password).bytes());
    GbkString sent(digest ? QCryptographicHash::hash(bytes, QCryptographicHash::Md5).toHex().toStdString()
                          : bytes.toStdString());
    GbkString reply = proxyFor(*service)->LmvInclass_LogOn(gbk::fromQString(account), sent);
    QCOMPARE(reply != "0", accepted);
    if (accepted) QVERIFY(!ParseReplyDataset(reply).firstRow().value("user_id").empty());
}

void TestDemoService::pageSizeUpdateIsReturnedByLaterPageLists() {
    DemoService service;
    auto proxy = proxyFor(service);
    auto sizeOf = [&](const GbkString& pageid) {
        TReplyDataset pages = ParseReplyDataset(proxy->LmvInclass_GetPageList("b3a", "https://x"));
        for (TReplyRow row = pages.firstRow(); !row.isNull(); row = row.next())
            if (row.value("pageid") == pageid) return row.value("width") + "x" + row.value("height");
        return GbkString("missing");
    };
    QCOMPARE(sizeOf("b3a-003"), GbkString("0x0"));
    QCOMPARE(proxy->LmvInclass_UpdatePageSize("b3a-003", "b3a", "1240", "1754"), GbkString("1"));
    QCOMPARE(sizeOf("b3a-003"), GbkString("1240x1754"));
    // Sizes that are not a measurement, and pages the book does not have, are refused.
    QCOMPARE(proxy->LmvInclass_UpdatePageSize("b3a-010", "b3a", "0", "1754"), GbkString("0"));
    QCOMPARE(proxy->LmvInclass_UpdatePageSize("b3a-010", "b3a", "12a", "1754"), GbkString("0"));
    QCOMPARE(proxy->LmvInclass_UpdatePageSize("b3a-999", "b3a", "100", "100"), GbkString("0"));
    QCOMPARE(proxy->LmvInclass_UpdatePageSize("b3a-010", "../b3a", "100", "100"), GbkString("0"));
    QCOMPARE(sizeOf("b3a-010"), GbkString("0x0"));
}

void TestDemoService::faultsNamedByTheDataFolderReachTheClient_data() {
    addColumns<QString, QString, QString>({"operation", "fault", "expectedError"});
    addRow("invalid XML", "LmvInclass_GetBookList", "invalid-xml", "XmlParseError");
    addRow("invalid XML in gzip", "LmvInclass_GetSceneTextJsonList", "invalid-xml", "XmlParseError");
    addRow("corrupt gzip", "LmvInclass_GetSceneTextJsonList", "corrupt-gzip", "InflateError");
    addRow("HTTP 500 without envelope", "LmvInclass_GetBookList", "http-500", "HttpError");
    addRow("SOAP fault", "LmvInclass_GetBookList", "soap-fault:课本服务暂停 maintenance", "SoapFault");
    addRow("slow reply", "LmvInclass_GetBookList", "slow:700", "");
}

void TestDemoService::faultsNamedByTheDataFolderReachTheClient() {
    QFETCH(QString, operation);
    QFETCH(QString, fault);
    QFETCH(QString, expectedError);
    QTemporaryDir overrides;
    writeFile(overrides.path() + "/faults/" + operation, fault.toUtf8() + "\n");
    DemoService service({overrides.path()});
    auto proxy = proxyFor(service);
    QString error;
    QElapsedTimer timer;
    timer.start();
    try {
        if (operation == "LmvInclass_GetBookList")
            ParseReplyDataset(proxy->LmvInclass_GetBookList("3"));
        else
            ParseReplyDataset(
                InflateReplyText(proxy->LmvInclass_GetSceneTextJsonList("t1001", "syl-pep", "b3a")));
    } catch (const AppError& e) {
        error = e.typeName();
        if (fault.startsWith("soap-fault:")) QCOMPARE(QString::fromUtf8(e.what()), fault.mid(11));
    }
    QCOMPARE(error, expectedError);
    if (fault.startsWith("slow:")) QVERIFY(timer.elapsed() >= 700);
    // Other operations are untouched by the fault.
    QVERIFY(rowCount(ParseReplyDataset(proxy->LmvInclass_GetUnitList("t1001", "english"))) > 0);
}

void TestDemoService::questionPagesAnswerOnPort8090() {
    DemoService service;
    HttpClient client;
    HttpResponse page = client.get("http://" + service.address().toStdString() + ":8090/question/index/1110");
    QCOMPARE(page.status, 200L);
    QVERIFY(QByteArray::fromStdString(page.body).contains("Choose the right word"));
    // A question known only by its questionid is found too; an unknown one is not.
    QCOMPARE(client.get("http://" + service.address().toStdString() + ":8090/question/index/1112").status,
             200L);
    QCOMPARE(client.get("http://" + service.address().toStdString() + ":8090/question/index/9999").status,
             404L);
}

void TestDemoService::malformedRequestsGet400AndServiceGoesOn() {
    DemoService service;
    QTcpSocket socket;
    socket.connectToHost(service.address(), service.port());
    QVERIFY(socket.waitForConnected(5000));
    socket.write("NOT A REQUEST\r\n\r\n");
    QByteArray answer;
    QDeadlineTimer deadline(5000);
    while (!answer.contains("\r\n") && !deadline.hasExpired() && socket.waitForReadyRead(200))
        answer += socket.readAll();
    QVERIFY2(answer.startsWith("HTTP/1.1 400"), answer.constData());

    // A broken envelope and a mismatched SOAPAction are SOAP faults, not crashes.
    HttpClient client;
    const std::string endpoint = service.baseUrl(false).toStdString() + "/lmv-inclass/lmvInclass.asmx";
    HttpResponse broken = client.post(endpoint, "<soap:Envelope", {"SOAPAction: \"http://tempuri.org/X\""});
    QCOMPARE(broken.status, 500L);
    QVERIFY(QByteArray::fromStdString(broken.body).contains("<faultcode>soap:Client</faultcode>"));
    const std::string envelope =
        "<soap:Envelope xmlns:soap=\"http://schemas.xmlsoap.org/soap/envelope/\"><soap:Body>"
        "<LmvInclass_GetBookList "
        "xmlns=\"http://tempuri.org/\"><subjectid>3</subjectid></LmvInclass_GetBookList>"
        "</soap:Body></soap:Envelope>";
    HttpResponse mismatch =
        client.post(endpoint, envelope, {"SOAPAction: \"http://tempuri.org/LmvInclass_GetUnitList\""});
    QCOMPARE(mismatch.status, 500L);
    QVERIFY(QByteArray::fromStdString(mismatch.body).contains("SOAPAction"));
    QVERIFY(rowCount(ParseReplyDataset(proxyFor(service)->LmvInclass_GetBookList("3"))) >= 3);
}

void TestDemoService::unknownMediaIdGives404() {
    DemoService service;
    HttpClient client({true, service.caFile().toStdString()});
    QCOMPARE(client.get(service.baseUrl(true).toStdString() + "/api/media/GetClip/clip1").status, 200L);
    QCOMPARE(client.get(service.baseUrl(true).toStdString() + "/api/media/GetClip/nope").status, 404L);
    QCOMPARE(client.get(service.baseUrl(true).toStdString() + "/api/media/GetClip/").status, 404L);
}

// A trickled reply's line comes one pause after its last byte, by which time the client has had
// the reply and can ask again on a connection of its own: a settled log must hold the reply, and
// a later request's line must not come before it.
void TestDemoService::logListsRepliesInTheOrderTheClientGotThem() {
    QTemporaryDir overrides;
    writeFile(overrides.path() + "/faults/http", "/first not-found\n/first trickle:150\n");
    DemoService service({overrides.path()});
    HttpClient client({true, service.caFile().toStdString()});
    const auto targets = [&service] {
        QStringList list;
        for (const QString& line : service.requestLog())
            if (!line.contains("/?settled=")) list << line.split(u' ').value(4);
        return list;
    };
    QCOMPARE(client.get(service.baseUrl(true).toStdString() + "/first").status, 404L);
    QCOMPARE(service.settledLog().size(), 1);
    QCOMPARE(client.get(service.baseUrl(true).toStdString() + "/first").status, 404L);
    QCOMPARE(client.get(service.baseUrl(false).toStdString() + "/second").status, 404L);
    QVERIFY(service.waitForRequest(" /second "));
    QCOMPARE(targets(), (QStringList{"/first", "/first", "/second"}));
}

QTEST_GUILESS_MAIN(TestDemoService)
#include "test_demo_service.moc"
