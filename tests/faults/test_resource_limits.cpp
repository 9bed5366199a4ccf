// The limits that keep a hostile file or server from exhausting memory or time: each refusal
// comes at once, before the large buffer exists, and the way the format's failures are reported.
#include <QtTest>

#include <zlib.h>

#include <QElapsedTimer>
#include <QTemporaryDir>

#include "DataRows.h"
#include "MessageRecorder.h"
#include "RecordingHttpServer.h"
#include "TestFiles.h"
#include "catalogue/HalftoneStretch.h"
#include "catalogue/ImageError.h"
#include "catalogue/ImageLoader.h"
#include "service/AppError.h"
#include "service/HTTPRIOLmvInClass.h"
#include "service/HttpClient.h"
#include "service/HttpGetText.h"
#include "service/TReplyDataset.h"

namespace {

QByteArray chunk(const char* type, const QByteArray& data) {
    QByteArray out;
    const quint32 length = qToBigEndian(quint32(data.size()));
    out.append(reinterpret_cast<const char*>(&length), 4);
    QByteArray body = QByteArray(type) + data;
    out += body;
    const quint32 crc =
        qToBigEndian(quint32(crc32(0, reinterpret_cast<const Bytef*>(body.constData()), uInt(body.size()))));
    out.append(reinterpret_cast<const char*>(&crc), 4);
    return out;
}

// A complete, valid 8-bit RGB PNG of width x height grey pixels, compressed row by row.
QByteArray greyRgbPng(quint32 width, quint32 height) {
    QByteArray header;
    const quint32 w = qToBigEndian(width), h = qToBigEndian(height);
    header.append(reinterpret_cast<const char*>(&w), 4);
    header.append(reinterpret_cast<const char*>(&h), 4);
    header.append("\x08\x02\x00\x00\x00", 5);
    z_stream zs{};
    deflateInit(&zs, 9);
    const QByteArray row = QByteArray(1, '\0') + QByteArray(int(width) * 3, '\x80');
    QByteArray compressed;
    char buffer[65536];
    for (quint32 y = 0; y < height; ++y) {
        zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(row.constData()));
        zs.avail_in = uInt(row.size());
        const int flush = y + 1 == height ? Z_FINISH : Z_NO_FLUSH;
        do {
            zs.next_out = reinterpret_cast<Bytef*>(buffer);
            zs.avail_out = sizeof buffer;
            deflate(&zs, flush);
            compressed.append(buffer, int(sizeof buffer - zs.avail_out));
        } while (zs.avail_out == 0);
    }
    deflateEnd(&zs);
    return "\x89PNG\r\n\x1a\n" + chunk("IHDR", header) + chunk("IDAT", compressed) + chunk("IEND", {});
}

}  // namespace

class TestResourceLimits : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir_;

private slots:
    // 89 x 1,000,000 pixels in about 1 MB: once decoded and stretched into 2.6 GB; now refused
    // by its header, the way a PNG reports a failure.
    void tallPngIsRefusedBeforeDecoding() {
        const QString path = dir_.filePath(QStringLiteral("tall.png"));
        writeFile(path, greyRgbPng(89, 1'000'000));
        QVERIFY(QFileInfo(path).size() < 2'000'000);
        QElapsedTimer clock;
        clock.start();
        int width = -1, height = -1;
        try {
            LoadImageThumbnail(path.toStdString(), 100, 140, width, height);
            QFAIL("the picture must be refused");
        } catch (const ImageError& error) {
            QCOMPARE(QString::fromUtf8(error.what()), QStringLiteral("Error Reading File!"));
        }
        QVERIFY(clock.elapsed() < 1000);
        QCOMPARE(width, -1);
    }

    // Headers that declare more than 40 megapixels, each format failing its own way.
    void declaredSizeOverTheLimit_data() {
        addColumns<QString, QByteArray>({"name", "bytes"});
        QTest::addColumn<QString>("failure");  // empty: no bitmap and no error
        QImage small(8, 8, QImage::Format_RGB888);
        small.fill(Qt::gray);
        QByteArray jpeg;
        QBuffer buffer(&jpeg);
        buffer.open(QIODevice::WriteOnly);
        small.save(&buffer, "jpg");
        const qsizetype sof = jpeg.indexOf("\xff\xc0");
        QVERIFY(sof > 0);
        jpeg[sof + 5] = char(0xfd);  // height 65000
        jpeg[sof + 6] = char(0xe8);
        jpeg[sof + 7] = char(0xfd);  // width 65000
        jpeg[sof + 8] = char(0xe8);
        addRow("JPEG 65000 x 65000", "huge.jpg", jpeg, QString());
        const QByteArray gif =
            QByteArray("GIF89a\xe8\xfd\xe8\xfd\x80\x00\x00", 13) + QByteArray(6, '\0') +
            QByteArray("\x2c\x00\x00\x00\x00\xe8\xfd\xe8\xfd\x00\x02\x02\x44\x01\x00\x3b", 16);
        addRow("GIF 65000 x 65000", "huge.gif", gif, "Cannot decode GIF file %1");
        addRow("PNG 8000 x 6000", "huge.png", greyRgbPng(8000, 6000).left(200), "Error Reading File!");
    }
    void declaredSizeOverTheLimit() {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, failure);
        const QString path = dir_.filePath(name);
        writeFile(path, bytes);
        QElapsedTimer clock;
        clock.start();
        int width = -1, height = -1;
        QString raised;
        try {
            QVERIFY(LoadImageFile(path.toStdString(), width, height).isNull());
        } catch (const ImageError& error) {
            raised = QString::fromUtf8(error.what());
        }
        QCOMPARE(raised, failure.arg(path));
        QVERIFY(clock.elapsed() < 1000);
        QCOMPARE(width, -1);
    }

    // A stretch keeps one summed source row, not the whole picture's sums: a 4 x 3,000,000
    // source (36 MB) would once have needed about 3.6 GB of them for a 100-pixel-wide thumbnail.
    void stretchOfATallPictureNeedsNoPictureSizedBuffer() {
        QImage tall(4, 3'000'000, QImage::Format_RGB888);
        QVERIFY(!tall.isNull());
        tall.fill(QColor(10, 200, 30));
        const QImage thumbnail = HalftoneStretch(tall, 100, 2);
        QCOMPARE(thumbnail.size(), QSize(100, 2));
        QCOMPARE(thumbnail.pixel(50, 1), qRgb(10, 200, 30));
        QVERIFY(HalftoneStretch(tall, 20000, 20000).isNull());  // 1.2 GB target: refused
    }

    // A reply body over 64 MiB is refused when its length is announced, before the body.
    void replyOverTheBodyLimitIsRefused() {
        RecordingHttpServer server([](const RecordedRequest&) {
            ScriptedResponse response;
            response.body.assign(kMaxReplyBytes + 1, 'x');
            response.cutAfter = 0;
            return response;
        });
        const std::string url = server.baseUrl() + "/big";
        const QString refusal = QStringLiteral("The reply from %1 is larger than 64 MiB");
        MessageRecorder messages;
        QElapsedTimer clock;
        clock.start();
        QVERIFY(HttpGetText(HttpClient(), url).empty());
        QCOMPARE(messages.texts(), QStringList{QStringLiteral("异常类名称:HttpError\r\n异常信息:") +
                                               refusal.arg(QString::fromStdString(url))});
        HTTPRIOLmvInClass proxy("http://tempuri.org/");
        proxy.setURL(server.baseUrl() + "/lmv-inclass/lmvInclass.asmx");
        try {
            proxy.LmvInclass_GetBookList("3");
            QFAIL("the reply must be refused");
        } catch (const HttpError& error) {
            QCOMPARE(QString::fromUtf8(error.what()),
                     refusal.arg(QString::fromStdString(server.baseUrl() + "/lmv-inclass/lmvInclass.asmx")));
        }
        QVERIFY(clock.elapsed() < 2000);
    }

    // Nesting deeper than libxml2's limit ends the parse instead of the stack.
    void deeplyNestedReplyStopsAtTheParsersLimit() {
        GbkString deep;
        for (int i = 0; i < 20000; ++i) deep += "<r>";
        QVERIFY_THROWS_EXCEPTION(XmlParseError, ParseReplyDataset("<d>" + deep, DeclarationRule::Plain));
    }
};

QTEST_MAIN(TestResourceLimits)
#include "test_resource_limits.moc"
