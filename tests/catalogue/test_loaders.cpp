#include <zlib.h>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTest>
#include <map>

#include "DataRows.h"
#include "MessageRecorder.h"
#include "RecordingHttpServer.h"
#include "ScriptedClassroom.h"
#include "cache/CacheFolder.h"
#include "catalogue/CatalogueLoader.h"
#include "service/AppError.h"
#include "service/HTTPRIOLmvInClass.h"

namespace {

std::string gzip(const std::string& data) {
    z_stream stream{};
    if (deflateInit2(&stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, 31, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        return {};
    std::string out(deflateBound(&stream, uLong(data.size())) + 32, '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    stream.avail_in = uInt(data.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = uInt(out.size());
    deflate(&stream, Z_FINISH);
    out.resize(stream.total_out);
    deflateEnd(&stream);
    return out;
}

// A reply whose result is text (UTF-8 in the envelope).
ScriptedResponse textReply(const std::string& operation, const std::string& utf8Text) {
    return {200, "text/xml; charset=utf-8", ScriptedClassroom::envelope(operation, utf8Text)};
}

// A byte-array reply: the payload gzipped, then base64 as the service sends it.
ScriptedResponse bytesReply(const std::string& operation, const std::string& gzipped) {
    return {
        200, "text/xml; charset=utf-8",
        ScriptedClassroom::envelope(operation, QByteArray::fromStdString(gzipped).toBase64().toStdString())};
}

ScriptedResponse faultReply(const std::string& faultString) {
    return {500, "text/xml; charset=utf-8", ScriptedClassroom::faultEnvelope(faultString)};
}

std::string operationOf(const RecordedRequest& request) {
    std::string action = request.header("soapaction");
    std::erase(action, '"');
    const std::size_t slash = action.rfind('/');
    return slash == std::string::npos ? action : action.substr(slash + 1);
}

const char* kPassages =
    "<NewDataSet><Table MaterialId=\"p1\" Title=\" Hello \" Code=\"U1\"/>"
    "<Table MaterialId=\"p2\" Title=\"World\" Code=\"U2\"/></NewDataSet>";
const char* kNoRows = "<NewDataSet></NewDataSet>";

// 中文 in GBK: the program's own text for the UTF-8 title "中文".
const GbkString kGbkZhongWen("\xD6\xD0\xCE\xC4");

}  // namespace

// The catalogue loaders against a recording SOAP server: each test scripts the replies by
// operation name and checks the lists and the messages a teacher would see.
class LoadersTest : public QObject {
    Q_OBJECT

    std::map<std::string, ScriptedResponse> replies_;
    std::unique_ptr<RecordingHttpServer> server_;
    std::unique_ptr<HTTPRIOLmvInClass> proxy_;
    std::string cache_;

    CatalogueLoader loader(std::function<bool()> pump = {}) { return CatalogueLoader(*proxy_, cache_, pump); }
    std::size_t callsOf(const std::string& operation) const {
        std::size_t n = 0;
        for (const RecordedRequest& request : server_->requests()) n += operationOf(request) == operation;
        return n;
    }

private slots:
    void init() {
        replies_.clear();
        server_ = std::make_unique<RecordingHttpServer>([this](const RecordedRequest& request) {
            auto it = replies_.find(operationOf(request));
            return it == replies_.end() ? faultReply("no reply scripted") : it->second;
        });
        proxy_ = std::make_unique<HTTPRIOLmvInClass>();
        proxy_->setURL(server_->baseUrl() + "/lmv-inclass/lmvInclass.asmx");
        cache_ = CacheFolder::temporaryPath();
        QVERIFY(!cache_.empty());
    }
    void cleanup() {
        QFile::setPermissions(QString::fromStdString(cache_),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    void bookReplyWithoutRowsKeepsPreviousBooksPassages() {
        MessageRecorder messages;
        TObjectList<TPassageObj> passages;
        replies_["LmvInclass_GetPassageTextJsonList"] =
            bytesReply("LmvInclass_GetPassageTextJsonList", gzip(kPassages));
        loader().LoadBookPassages("u1", "1", "bookA", passages);
        QCOMPARE(passages.Count(), std::size_t(2));
        QCOMPARE(passages.Items(0)->Title, GbkString("Hello"));

        replies_["LmvInclass_GetPassageTextJsonList"] =
            bytesReply("LmvInclass_GetPassageTextJsonList", gzip(kNoRows));
        loader().LoadBookPassages("u1", "1", "bookB", passages);
        QCOMPARE(passages.Count(), std::size_t(2));
        QCOMPARE(passages.Items(1)->MaterialId, GbkString("p2"));
        QVERIFY(messages.texts().isEmpty());

        // A reply with rows replaces the list as a whole.
        replies_["LmvInclass_GetPassageTextJsonList"] = bytesReply(
            "LmvInclass_GetPassageTextJsonList", gzip("<NewDataSet><Table MaterialId=\"p9\"/></NewDataSet>"));
        loader().LoadBookPassages("u1", "1", "bookC", passages);
        QCOMPARE(passages.Count(), std::size_t(1));
        QCOMPARE(passages.Items(0)->MaterialId, GbkString("p9"));
        const std::string body = server_->requests().back().body;
        QVERIFY(body.find("<userid>u1</userid><syllabusid>1</syllabusid><bookid>bookC</bookid>") !=
                std::string::npos);
    }

    void wordsAndScenesReadGbkTextReplies() {
        TObjectList<TWordObj> words;
        TObjectList<TMaterialObj> scenes;
        // The 8-bit catalogues are GBK bytes behind a declaration of their own.
        const GbkString gbkWords = "<?xml version=\"1.0\" encoding=\"GB2312\"?><NewDataSet><Table Word=\"" +
                                   kGbkZhongWen + "\" Code=\"U1\"/></NewDataSet>";
        replies_["LmvInclass_GetsyllabusWordList"] =
            bytesReply("LmvInclass_GetsyllabusWordList", gzip(gbkWords.bytes()));
        replies_["LmvInclass_GetSceneTextJsonList"] = bytesReply(
            "LmvInclass_GetSceneTextJsonList", gzip("<D><T MaterialId=\"s1\" CoverFileName=\"c.jpg\"/></D>"));
        loader().LoadBookWords("u1", "1", "b", words);
        loader().LoadBookScenes("u1", "1", "b", scenes);
        QCOMPARE(words.Count(), std::size_t(1));
        QCOMPARE(words.Items(0)->Word, kGbkZhongWen);
        QCOMPARE(scenes.Count(), std::size_t(1));
        QCOMPARE(scenes.Items(0)->CoverFileName, GbkString("c.jpg"));
    }

    void transitFileIsByteOrderMarkAndInflatedBytes() {
        const std::string utf8 =
            "<NewDataSet><Table MaterialId=\"m1\" Title=\"中文\" Title_Chinese=\" 中文 \"/>"
            "<Table MaterialId=\"m2\" Title=\"Two\"/></NewDataSet>";
        replies_["LmvInclass_GetMiniLectureTextJsonList"] =
            bytesReply("LmvInclass_GetMiniLectureTextJsonList", gzip(utf8));
        TObjectList<TMiniLectureObj> lectures;
        QByteArray fileAtPump;
        MessageRecorder messages;
        CatalogueLoader catalogue = loader([&] {
            QFile file(QString::fromStdString(cache_ + "lmvclass.xml"));
            if (file.open(QIODevice::ReadOnly)) fileAtPump = file.readAll();
            file.close();
            // Another process of this user writes its own catalogue there meanwhile.
            if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
                file.write(
                    "\xEF\xBB\xBF<NewDataSet><Table MaterialId=\"other\" Title=\"Other\"/></NewDataSet>");
            return true;
        });
        QCOMPARE(catalogue.transitFilePath(), cache_ + "lmvclass.xml");
        catalogue.LoadBookMiniLectures("u1", "1", "b", lectures);
        QCOMPARE(fileAtPump, QByteArray("\xEF\xBB\xBF") + QByteArray::fromStdString(utf8));
        QCOMPARE(lectures.Count(), std::size_t(2));
        QCOMPARE(lectures.Items(0)->Title, kGbkZhongWen);
        QCOMPARE(lectures.Items(0)->Title_Chinese, kGbkZhongWen);
        QCOMPARE(lectures.Items(1)->Title, GbkString("Two"));
        QVERIFY(messages.texts().isEmpty());
    }

    void bookLoaderFailureShowsItsOwnTextAndKeepsTheList_data() {
        addColumns<QString, QString, QString>({"catalogue", "failure", "message"});
        for (const char* catalogue : {"scenes", "passages", "mini lectures"}) {
            QTest::addRow("%s: fault", catalogue) << catalogue << "fault"
                                                  << "Server was unable to process request.";
            QTest::addRow("%s: truncated gzip", catalogue) << catalogue << "truncated"
                                                           << "Inflate failed: the gzip data is truncated";
        }
    }
    void bookLoaderFailureShowsItsOwnTextAndKeepsTheList() {
        QFETCH(QString, catalogue);
        QFETCH(QString, failure);
        QFETCH(QString, message);
        const std::string operation = catalogue == "scenes"     ? "LmvInclass_GetSceneTextJsonList"
                                      : catalogue == "passages" ? "LmvInclass_GetPassageTextJsonList"
                                                                : "LmvInclass_GetMiniLectureTextJsonList";
        const std::string good = "<D><T MaterialId=\"old\"/></D>";
        replies_[operation] = bytesReply(operation, gzip(good));
        TObjectList<TMaterialObj> scenes;
        TObjectList<TPassageObj> passages;
        TObjectList<TMiniLectureObj> lectures;
        auto load = [&] {
            CatalogueLoader catalogueLoader = loader();
            if (catalogue == "scenes")
                catalogueLoader.LoadBookScenes("u1", "1", "b", scenes);
            else if (catalogue == "passages")
                catalogueLoader.LoadBookPassages("u1", "1", "b", passages);
            else
                catalogueLoader.LoadBookMiniLectures("u1", "1", "b", lectures);
        };
        load();
        const std::string zipped = gzip(good);
        replies_[operation] = failure == "fault" ? faultReply("Server was unable to process request.")
                                                 : bytesReply(operation, zipped.substr(0, zipped.size() - 6));
        MessageRecorder messages;
        load();  // does not raise: the book change goes on
        QCOMPARE(messages.texts(), QStringList{message});
        QCOMPARE(scenes.Count() + passages.Count() + lectures.Count(), std::size_t(1));
    }

    void transitFileThatCannotBeWrittenIsAMiniLectureFailure() {
        replies_["LmvInclass_GetMiniLectureTextJsonList"] =
            bytesReply("LmvInclass_GetMiniLectureTextJsonList", gzip("<D><T MaterialId=\"m\"/></D>"));
        // A folder in the file's place fails the write for every user, root included.
        QFile::remove(QString::fromStdString(cache_ + "lmvclass.xml"));
        QVERIFY(QDir(QString::fromStdString(cache_)).mkpath("lmvclass.xml"));
        TObjectList<TMiniLectureObj> lectures;
        MessageRecorder messages;
        loader().LoadBookMiniLectures("u1", "1", "b", lectures);
        QDir(QString::fromStdString(cache_ + "lmvclass.xml")).removeRecursively();
        QCOMPARE(messages.texts(), QStringList{QString::fromStdString("Cannot create file \"" + cache_ +
                                                                      "lmvclass.xml\". Is a directory")});
        QVERIFY(lectures.IsEmpty());
    }

    void wordFailureIsRaisedToTheBookChange() {
        replies_["LmvInclass_GetsyllabusWordList"] = faultReply("word list unavailable");
        TObjectList<TWordObj> words;
        MessageRecorder messages;
        QVERIFY_THROWS_EXCEPTION(SoapFault, loader().LoadBookWords("u1", "1", "b", words));
        QVERIFY(messages.texts().isEmpty());
    }

    void onceOnlyLoadersAskWhileTheirListIsEmpty() {
        replies_["LmvInclass_GetUnitList"] = textReply(
            "LmvInclass_GetUnitList", "<D><T unitcode=\"U1\" bookid=\"b\"/><T unitcode=\"U2\"/></D>");
        replies_["LmvInclass_GetTestList"] =
            textReply("LmvInclass_GetTestList", "<D><T hmwkid=\"h1\" practicetypeid=\" 101 \"/></D>");
        replies_["LmvInclass_GetClipList"] =
            textReply("LmvInclass_GetClipList",
                      "<D><T clipid=\"c1\" clip_title=\"Short a\" filename=\"http://c/clip7\"/></D>");
        TObjectList<TUnitObj> units;
        TObjectList<TTestObj> homework;
        TObjectList<TMediaClipObj> clips;
        MessageRecorder messages;
        for (int round = 0; round < 2; ++round) {
            loader().LoadUnitList("u1", units);
            loader().LoadHomeworkList("u1", homework);
            loader().LoadClipList("u1", clips);
        }
        QCOMPARE(callsOf("LmvInclass_GetUnitList"), std::size_t(1));
        QCOMPARE(callsOf("LmvInclass_GetTestList"), std::size_t(1));
        QCOMPARE(callsOf("LmvInclass_GetClipList"), std::size_t(1));
        QCOMPARE(units.Count(), std::size_t(2));
        QCOMPARE(units.Items(1)->unitcode, GbkString("U2"));
        QCOMPARE(homework.Items(0)->practicetypeid, GbkString("101"));
        QCOMPARE(clips.Items(0)->clip_title, GbkString("Short a"));
        QVERIFY(messages.texts().isEmpty());
        for (const RecordedRequest& request : server_->requests()) {
            const std::string op = operationOf(request);
            const std::string expected =
                op == "LmvInclass_GetUnitList"   ? "<userid>u1</userid><subject>english</subject>"
                : op == "LmvInclass_GetTestList" ? "<subject>english</subject><Testtypeid>0</Testtypeid>"
                                                 : "<subject>english</subject><packageid>102</packageid>";
            QVERIFY2(request.body.find(expected) != std::string::npos, request.body.c_str());
        }
    }

    void onceOnlyLoaderFailureMessages_data() {
        addColumns<QString, bool, QString, QString>({"catalogue", "fault", "reply", "message"});
        addRow("units: unparsable reply", "units", false, "<D><T unitcode=\"U1\"", "failed");
        addRow("units: fault", "units", true, "", "failed");
        addRow("homework: unparsable reply", "homework", false, "<D><T", "failed");
        addRow("homework: fault", "homework", true, "", "failed");
        addRow("clips: unparsable reply", "clips", false, "<D><T 坏", "failed:<D><T 坏");
        addRow("clips: no reply", "clips", true, "", "failed:");
    }
    void onceOnlyLoaderFailureMessages() {
        QFETCH(QString, catalogue);
        QFETCH(bool, fault);
        QFETCH(QString, reply);
        QFETCH(QString, message);
        const std::string operation = catalogue == "units"      ? "LmvInclass_GetUnitList"
                                      : catalogue == "homework" ? "LmvInclass_GetTestList"
                                                                : "LmvInclass_GetClipList";
        replies_[operation] = fault ? faultReply("busy") : textReply(operation, reply.toStdString());
        TObjectList<TUnitObj> units;
        TObjectList<TTestObj> homework;
        TObjectList<TMediaClipObj> clips;
        MessageRecorder messages;
        if (catalogue == "units")
            loader().LoadUnitList("u1", units);
        else if (catalogue == "homework")
            loader().LoadHomeworkList("u1", homework);
        else
            loader().LoadClipList("u1", clips);
        QCOMPARE(messages.texts(), QStringList{message});
        QVERIFY(units.IsEmpty() && homework.IsEmpty() && clips.IsEmpty());
    }
};

QTEST_GUILESS_MAIN(LoadersTest)
#include "test_loaders.moc"
