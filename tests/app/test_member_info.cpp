// Reading the signed-in member from the LogOn reply.
#include <QtTest>

#include "MessageRecorder.h"
#include "catalogue/MemberInfoRec.h"
#include "service/AppError.h"

class TestMemberInfo : public QObject {
    Q_OBJECT

private slots:
    void readsTheFirstRowByTheCallersTypeAttribute_data() {
        QTest::addColumn<QByteArray>("typeAttribute");
        QTest::addColumn<QByteArray>("typeId");
        QTest::newRow("direct sign-in") << QByteArray("typeid") << QByteArray("30");
        QTest::newRow("login dialog") << QByteArray("usertypeid") << QByteArray("55");
    }
    void readsTheFirstRowByTheCallersTypeAttribute() {
        QFETCH(QByteArray, typeAttribute);
        QFETCH(QByteArray, typeId);
        const GbkString reply =
            "<NewDataSet><Table user_id=\"  u1\n\" passwd=\"p\" typeid=\"30\" usertypeid=\"55\" "
            "lastname=\"L\" "
            "firstname=\"F\" grade=\"g\" syllabusid=\"s\" email=\"e\" phone=\" \"/>"
            "<Table user_id=\"second\"/></NewDataSet>";
        MessageRecorder messages;
        const MemberInfoRec member = ReadMemberInfo(reply, typeAttribute.constData());
        QCOMPARE(member.UserId, GbkString("u1"));
        QCOMPARE(member.Passwd, GbkString("p"));
        QCOMPARE(QByteArray::fromStdString(member.TypeId.bytes()), typeId);
        QCOMPARE(member.LastName, GbkString("L"));
        QCOMPARE(member.FirstName, GbkString("F"));
        QCOMPARE(member.Grade, GbkString("g"));
        QCOMPARE(member.SyllabusId, GbkString("s"));
        QCOMPARE(member.Email, GbkString("e"));
        QCOMPARE(member.Phone, GbkString(""));
        QVERIFY(messages.texts().isEmpty());
    }

    void eachMissingReadEmptiesOnlyItsField() {
        const MemberInfoRec member = ReadMemberInfo(
            "<NewDataSet><Table user_id=\"u1\" SyllabusId=\"7\" phone=\"9\"/></NewDataSet>", "typeid");
        QCOMPARE(member.UserId, GbkString("u1"));
        QVERIFY(member.TypeId.empty());
        QVERIFY(member.SyllabusId.empty());  // keys are case-sensitive
        QCOMPARE(member.Phone, GbkString("9"));
    }

    void documentWithoutRowGivesAnEmptyRecord_data() {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<QStringList>("messages");
        QTest::newRow("no child") << QByteArray("<NewDataSet/>") << QStringList{};
        QTest::newRow("text but no row") << QByteArray("<NewDataSet>text</NewDataSet>") << QStringList{};
    }
    void documentWithoutRowGivesAnEmptyRecord() {
        QFETCH(QByteArray, reply);
        MessageRecorder messages;
        const MemberInfoRec member = ReadMemberInfo(GbkString(reply.toStdString()), "typeid");
        QVERIFY(member.UserId.empty() && member.TypeId.empty() && member.Phone.empty());
        QTEST(messages.texts(), "messages");
    }

    void replyThatIsNotXmlRaises() { QVERIFY_THROWS_EXCEPTION(XmlParseError, ReadMemberInfo("1", "typeid")); }
};

QTEST_GUILESS_MAIN(TestMemberInfo)
#include "test_member_info.moc"
