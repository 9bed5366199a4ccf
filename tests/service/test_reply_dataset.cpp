// Reading reply datasets: declaration rules, decoding, trimming, missing values, safety.
#include <QtTest>

#include "DataRows.h"
#include "MessageRecorder.h"
#include "TestFiles.h"
#include "service/AppError.h"
#include "service/GbkText.h"
#include "service/TReplyDataset.h"

namespace {

GbkString g(const char* utf8) {
    return gbk::fromUtf8(utf8);
}

int countRows(const TReplyDataset& dataset) {
    int n = 0;
    for (TReplyRow row = dataset.firstRow(); !row.isNull(); row = row.next()) ++n;
    return n;
}

QString parseError(const GbkString& text, DeclarationRule rule) {
    try {
        ParseReplyDataset(text, rule);
    } catch (const XmlParseError& e) {
        return QString::fromUtf8(e.what());
    }
    return {};
}

}  // namespace

class TestReplyDataset : public QObject {
    Q_OBJECT

private slots:
    void valuesAreTrimmedAndMissingOnesEmpty() {
        MessageRecorder messages;
        const TReplyDataset dataset = ParseReplyDataset(
            "<NewDataSet>\n  <Table a=\"  x y \" b=\"&#9;tab\" c=\"&#10;line&#13;\" d=\"   \"/>\n"
            "  <!-- a comment is no row -->\n  <Table a=\"2\"/>\n</NewDataSet>",
            DeclarationRule::Plain);
        TReplyRow row = dataset.firstRow();
        QCOMPARE(row.value("a"), GbkString("x y"));
        QCOMPARE(row.value("b"), GbkString("tab"));
        QCOMPARE(row.value("c"), GbkString("line"));
        QCOMPARE(row.value("d"), GbkString());
        QCOMPARE(row.value("missing"), GbkString());
        QCOMPARE(row.value("A"), GbkString());  // names are case-sensitive
        row = row.next();
        QCOMPARE(row.value("a"), GbkString("2"));
        QCOMPARE(row.value("b"), GbkString());
        QVERIFY(row.next().isNull());
        QCOMPARE(countRows(dataset), 2);
        QVERIFY(messages.texts().isEmpty());
    }

    void noRowsAndNullRowsReadEmpty() {
        const TReplyDataset dataset = ParseReplyDataset("<NewDataSet/>", DeclarationRule::Plain);
        QVERIFY(!dataset.isEmpty());
        QVERIFY(dataset.firstRow().isNull());
        QCOMPARE(dataset.firstRow().value("anything"), GbkString());
        QVERIFY(dataset.firstRow().next().isNull());
    }

    void declarationDecidesHowGbkBytesRead() {
        // GBK bytes without a declaration are read as UTF-8 and refused.
        const GbkString chinese = g("<r><t name=\"课文\"/></r>");
        const QString error = parseError(chinese, DeclarationRule::Plain);
        QVERIFY2(error.contains("Input is not proper UTF-8"), qPrintable(error));
        // The same values, all ASCII, parse without a declaration.
        QCOMPARE(
            ParseReplyDataset("<r><t name=\"unit\"/></r>", DeclarationRule::Plain).firstRow().value("name"),
            GbkString("unit"));
        // Declared GB2312, the bytes read as Chinese; 镕 is in GBK but not in GB2312.
        const GbkString declared =
            g("<?xml version=\"1.0\" encoding=\"GB2312\"?><r><t name=\"课文 朱镕基\"/></r>");
        QCOMPARE(ParseReplyDataset(declared, DeclarationRule::Plain).firstRow().value("name"),
                 g("课文 朱镕基"));
    }

    void byteOrderMarkDecides() {
        // A UTF-8 mark wins over a missing declaration; values come back as GBK.
        const std::string utf8 = "\xEF\xBB\xBF<r><t name=\"单词\"/></r>";
        QCOMPARE(ParseReplyDataset(GbkString(utf8), DeclarationRule::Plain).firstRow().value("name"),
                 g("单词"));
        // A UTF-16LE mark.
        const QString text = QStringLiteral("<r><t name=\"场景\"/></r>");
        std::string utf16 = "\xFF\xFE";
        for (QChar c : text) {
            utf16 += char(c.unicode() & 0xFF);
            utf16 += char(c.unicode() >> 8);
        }
        QCOMPARE(ParseReplyDataset(GbkString(utf16), DeclarationRule::Plain).firstRow().value("name"),
                 g("场景"));
    }

    // The mini-lecture transit file written behind a mark after a service that declares GB2312.
    void byteOrderMarkWinsOverTheDeclaration_data() {
        QTest::addColumn<QByteArray>("mark");
        QTest::addColumn<QString>("codec");  // how the text after the mark is written
        addRow("UTF-8", QByteArray("\xEF\xBB\xBF"), "UTF-8");
        addRow("UTF-16LE", QByteArray("\xFF\xFE"), "UTF-16LE");
        addRow("UTF-16BE", QByteArray("\xFE\xFF"), "UTF-16BE");
    }
    void byteOrderMarkWinsOverTheDeclaration() {
        QFETCH(QByteArray, mark);
        QFETCH(QString, codec);
        const QString text =
            QStringLiteral("<?xml version=\"1.0\" encoding=\"GB2312\"?><r><t v=\"微课 朱镕基\"/></r>");
        QByteArray bytes = mark;
        if (codec == "UTF-8") {
            bytes += text.toUtf8();
        } else {
            for (QChar c : text) {
                const char high = char(c.unicode() >> 8), low = char(c.unicode() & 0xFF);
                if (codec == "UTF-16LE")
                    bytes.append(low).append(high);
                else
                    bytes.append(high).append(low);
            }
        }
        QCOMPARE(
            ParseReplyDataset(GbkString(bytes.toStdString()), DeclarationRule::Plain).firstRow().value("v"),
            g("微课 朱镕基"));
    }

    void prefixRules() {
        const GbkString withOwn = g("<?xml version=\"1.0\" encoding=\"GB2312\"?><r><t v=\"题目\"/></r>");
        const GbkString without = g("<r><t v=\"题目\"/></r>");
        // The question list rule adds a declaration only where none is.
        QCOMPARE(ParseReplyDataset(withOwn, DeclarationRule::PrefixIfMissing).firstRow().value("v"),
                 g("题目"));
        QCOMPARE(ParseReplyDataset(without, DeclarationRule::PrefixIfMissing).firstRow().value("v"),
                 g("题目"));
        // The teacher setting rule always adds one, so a reply with its own fails.
        QCOMPARE(ParseReplyDataset(without, DeclarationRule::AlwaysPrefix).firstRow().value("v"), g("题目"));
        const QString error = parseError(withOwn, DeclarationRule::AlwaysPrefix);
        QVERIFY2(!error.isEmpty(), "a second declaration must not parse");
    }

    void brokenRepliesCarryTheParserMessage_data() {
        addColumns<QByteArray, QString>({"reply", "message"});
        addRow("empty", QByteArray(""), "Document is empty");
        addRow("truncated", QByteArray("<r><t a=\"1\"/>"), "Premature end of data");
        addRow("not xml", QByteArray("0"), "Start tag expected");
        addRow("double hyphen in a comment", QByteArray("<r><!--x--y--><t/></r>"),
               "Double hyphen within comment: <!--x");
    }
    void brokenRepliesCarryTheParserMessage() {
        QFETCH(QByteArray, reply);
        QFETCH(QString, message);
        const QString error = parseError(GbkString(reply.toStdString()), DeclarationRule::Plain);
        QVERIFY2(error.contains(message), qPrintable(error));
    }

    // The bound counts every element, the document element too, and is met while parsing: a
    // reply cut off after it is refused for its size, not for the cut.
    void elementsPastTheBoundAreRefused_data() {
        addColumns<int, QByteArray, bool, bool>({"rows", "tail", "fromFile", "refused"});
        addRow("at the bound", 999999, QByteArray("</r>"), false, false);
        addRow("one past the bound", 1000000, QByteArray("</r>"), false, true);
        addRow("one past, cut off after", 1000000, QByteArray(), false, true);
        addRow("one past, from a file", 1000000, QByteArray("</r>"), true, true);
    }
    void elementsPastTheBoundAreRefused() {
        QFETCH(int, rows);
        QFETCH(QByteArray, tail);
        QFETCH(bool, fromFile);
        QFETCH(bool, refused);
        std::string text = "<r>";
        for (int i = 0; i < rows; ++i) text += "<a/>";
        text += tail.toStdString();
        QTemporaryDir dir;
        const std::string path = dir.filePath("reply.xml").toStdString();
        if (fromFile) writeFile(QString::fromStdString(path), QByteArray::fromStdString(text));
        try {
            const TReplyDataset dataset = fromFile
                                              ? TReplyDataset::parseFile(path)
                                              : ParseReplyDataset(GbkString(text), DeclarationRule::Plain);
            QVERIFY2(!refused, "the reply must be refused");
            QCOMPARE(countRows(dataset), rows);
        } catch (const XmlParseError& error) {
            QVERIFY2(refused, error.what());
            QCOMPARE(QString::fromUtf8(error.what()),
                     QStringLiteral("The reply is too large: more than 1000000 elements"));
        }
    }

    void externalEntitiesAndDtdsAreNotLoaded() {
        QTemporaryDir dir;
        const QString secretPath = dir.filePath("secret.txt");
        writeFile(secretPath, "TOPSECRET");
        const std::string reply = "<?xml version=\"1.0\"?><!DOCTYPE r [<!ENTITY x SYSTEM \"file://" +
                                  secretPath.toStdString() + "\">]><r><t v=\"&x;\"/></r>";
        try {
            const TReplyDataset dataset = ParseReplyDataset(GbkString(reply), DeclarationRule::Plain);
            QVERIFY(dataset.firstRow().value("v").find("TOPSECRET") == std::string::npos);
        } catch (const XmlParseError&) {
            // Refusing the document is as good as not resolving the entity.
        }
        // Entity expansion stays bounded by libxml2's limits ("billion laughs").
        std::string bomb = "<?xml version=\"1.0\"?><!DOCTYPE r [<!ENTITY a \"aaaaaaaaaa\">";
        const char* names = "abcdefghij";
        for (int i = 1; i < 10; ++i) {
            bomb += std::string("<!ENTITY ") + names[i] + " \"";
            for (int k = 0; k < 10; ++k) bomb += std::string("&") + names[i - 1] + ";";
            bomb += "\">";
        }
        bomb += "]><r><t v=\"&j;\"/></r>";
        bool refused = false;
        try {
            const TReplyDataset dataset = ParseReplyDataset(GbkString(bomb), DeclarationRule::Plain);
            refused = dataset.firstRow().value("v").size() < 1000000;
        } catch (const XmlParseError&) {
            refused = true;
        }
        QVERIFY(refused);
    }

    void transitFileIsReadAsUtf8ByItsMark() {
        QTemporaryDir dir;
        const QString path = dir.filePath("lmvclass.xml");
        writeFile(path, "\xEF\xBB\xBF<r><t Title=\" 微课一 \"/></r>");
        const TReplyDataset dataset = TReplyDataset::parseFile(path.toStdString());
        QCOMPARE(dataset.firstRow().value("Title"), g("微课一"));
    }

    void largeDeclaredReplyParses() {
        // Over 10 MB once decoded: libxml2 refuses such a block handed over whole.
        std::string utf8 = "<?xml version=\"1.0\" encoding=\"GB2312\"?><NewDataSet>";
        const std::string row = "<Table Title_Chinese=\"我们的学校 我们的学校 我们的学校\" TextJson=\"" +
                                std::string(400, 'j') + "\"/>";
        while (utf8.size() < 12 * 1024 * 1024) utf8 += row;
        utf8 += "</NewDataSet>";
        const TReplyDataset dataset = ParseReplyDataset(gbk::fromUtf8(utf8), DeclarationRule::Plain);
        QCOMPARE(dataset.firstRow().value("Title_Chinese"), g("我们的学校 我们的学校 我们的学校"));
        QVERIFY(countRows(dataset) > 20000);
    }

    void characterOutsideGbkBecomesQuestionMark() {
        // An emoji cannot be held in GBK.
        const std::string utf8 =
            "\xEF\xBB\xBF<r><t v=\"a\xF0\x9F\x98\x80"
            "b\"/></r>";
        QCOMPARE(ParseReplyDataset(GbkString(utf8), DeclarationRule::Plain).firstRow().value("v"),
                 GbkString("a?b"));
    }

    // Only the document element's child elements are rows, whatever they hold or lies between them,
    // read while parsing or, with a DTD, from the tree.
    void rowsAreTheDocumentElementsChildElements_data() {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<QString>("values");  // "a" of each row in order
        const QByteArray rows =
            "<r a=\"root\">text<t a=\"1\"><t a=\"nested\"><t a=\"deeper\"/></t></t><?pi x?>"
            "<![CDATA[<t a=\"cdata\"/>]]><t a=\"2\">inner</t><!-- <t a=\"comment\"/> --><t/></r>";
        addRow("read while parsing", rows, "1|2|");
        addRow("read from the tree", "<!DOCTYPE r>" + rows, "1|2|");
    }
    void rowsAreTheDocumentElementsChildElements() {
        QFETCH(QByteArray, reply);
        QFETCH(QString, values);
        const TReplyDataset dataset =
            ParseReplyDataset(GbkString(reply.toStdString()), DeclarationRule::Plain);
        QStringList read;
        for (TReplyRow row = dataset.firstRow(); !row.isNull(); row = row.next())
            read << QString::fromStdString(row.value("a").bytes());
        QCOMPARE(read.join('|'), values);
    }

    // Values are read while parsing; a reply with a DTD or an xml:id is read from libxml2's tree
    // instead. Both must give what the tree gives, including the caps on entity expansion.
    void valuesReadAsTheTreeGivesThem_data() {
        addColumns<QByteArray, QByteArray, QString>({"reply", "name", "value"});
        QTest::addColumn<QString>("error");  // raised when the value is read
        addRow("escaped ampersands", QByteArray("<r><t a=\" x&amp;y&#38;z &amp;amp; \"/></r>"),
               QByteArray("a"), "x&y&z &amp;", "");
        addRow("prefixed name by its local name",
               QByteArray("<r xmlns:p=\"urn:p\"><t p:a=\"1\" a=\"2\"/></r>"), QByteArray("a"), "1", "");
        addRow("undeclared prefix kept in the name", QByteArray("<r><t p:a=\"1\"/></r>"), QByteArray("p:a"),
               "1", "");
        addRow("xml:id", QByteArray("<r><t xml:id=\" k \"/></r>"), QByteArray("id"), "k", "");
        addRow("entities expanded",
               QByteArray("<!DOCTYPE r [<!ENTITY e \" in &amp; out \"><!ENTITY f \"&e;|&e;\">]>"
                          "<r><t a=\" &f; \" b=\"plain\"/></r>"),
               QByteArray("a"), "in & out | in & out", "");
        addRow("DTD default is no value",
               QByteArray("<!DOCTYPE r [<!ATTLIST t a CDATA \"d\">]><r><t b=\"1\"/></r>"), QByteArray("a"),
               "", "");
        // Past the cap only when expanded: 10 references to 10 references to 11,000 bytes.
        addRow("expansion past 1 MiB",
               "<!DOCTYPE r [<!ENTITY a \"" + QByteArray(11000, 'y') + "\"><!ENTITY b \"" +
                   QByteArray("&a;").repeated(10) + "\">]><r><t a=\"" + QByteArray("&b;").repeated(10) +
                   "\"/></r>",
               QByteArray("a"), "", "Maximum entity amplification exceeded in an attribute value");
    }
    void valuesReadAsTheTreeGivesThem() {
        QFETCH(QByteArray, reply);
        QFETCH(QByteArray, name);
        QFETCH(QString, value);
        QFETCH(QString, error);
        const TReplyDataset dataset =
            ParseReplyDataset(GbkString(reply.toStdString()), DeclarationRule::Plain);
        try {
            QCOMPARE(QString::fromStdString(dataset.firstRow().value(name.constData()).bytes()), value);
            QVERIFY2(error.isEmpty(), "the value must be refused");
        } catch (const XmlParseError& e) {
            QCOMPARE(QString::fromUtf8(e.what()), error);
        }
    }
};

QTEST_GUILESS_MAIN(TestReplyDataset)
#include "test_reply_dataset.moc"
