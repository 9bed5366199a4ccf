// Unpacking the gzip byte-array replies.
#include <zlib.h>

#include <QtTest>

#include "DataRows.h"
#include "service/AppError.h"
#include "service/ReplyInflater.h"

namespace {

// windowBits 31 writes a gzip stream, -15 raw deflate.
std::string deflateWith(const std::string& input, int windowBits) {
    z_stream s{};
    deflateInit2(&s, Z_BEST_SPEED, Z_DEFLATED, windowBits, 8, Z_DEFAULT_STRATEGY);
    std::string out(deflateBound(&s, input.size()) + 32, '\0');
    s.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(input.data()));
    s.avail_in = uInt(input.size());
    s.next_out = reinterpret_cast<Bytef*>(out.data());
    s.avail_out = uInt(out.size());
    deflate(&s, Z_FINISH);
    out.resize(s.total_out);
    deflateEnd(&s);
    return out;
}

}  // namespace

class TestReplyInflater : public QObject {
    Q_OBJECT

private slots:
    void gzipInflatesToTheSameBytes() {
        std::string input = "<r>\xD6\xD0\xCE\xC4";  // GBK bytes pass unchanged
        for (int i = 0; i < 20000; ++i) input += "<t a=\"" + std::to_string(i) + "\"/>";
        input += "</r>";
        QCOMPARE(InflateReplyBytes(deflateWith(input, 31)), input);
        QCOMPARE(InflateReplyText(deflateWith(input, 31)), GbkString(input));
        QCOMPARE(InflateReplyBytes(deflateWith("", 31)), std::string());
    }

    void badStreamsAreRefused_data() {
        addColumns<QByteArray, QString>({"data", "message"});
        const std::string gz = deflateWith(std::string(5000, 'x') + "tail", 31);
        std::string corrupt = gz;
        corrupt[12] = char(corrupt[12] ^ 0x55);
        corrupt[13] = char(corrupt[13] ^ 0x55);
        addRow("raw deflate", QByteArray::fromStdString(deflateWith("hello", -15)), "incorrect header check");
        addRow("zlib wrapper", QByteArray::fromStdString(deflateWith("hello", 15)), "incorrect header check");
        addRow("truncated", QByteArray::fromStdString(gz.substr(0, gz.size() / 2)), "truncated");
        addRow("empty", QByteArray(), "truncated");
        addRow("corrupt", QByteArray::fromStdString(corrupt), "Inflate failed");
    }
    void badStreamsAreRefused() {
        QFETCH(QByteArray, data);
        QFETCH(QString, message);
        try {
            InflateReplyBytes(data.toStdString());
            QFAIL("no error raised");
        } catch (const InflateError& e) {
            QVERIFY2(QString(e.what()).contains(message), e.what());
        }
    }

    void outputBeyondTheCapIsRefused() {
        const std::string gz = deflateWith(std::string(1 << 20, 'z'), 31);
        QCOMPARE(InflateReplyBytes(gz, 1 << 20).size(), std::size_t(1 << 20));  // exactly at the cap
        try {
            InflateReplyBytes(gz, (1 << 20) - 1);
            QFAIL("no error raised");
        } catch (const InflateError& e) {
            QVERIFY2(QString(e.what()).contains("more than"), e.what());
        }
    }
};

QTEST_GUILESS_MAIN(TestReplyInflater)
#include "test_reply_inflater.moc"
