// Reading the signed-in member from the LogOn reply.
#include <QtTest>

#include "DataRows.h"
#include "MessageRecorder.h"
#include "catalogue/MemberInfoRec.h"
#include "service/AppError.h"

class TestMemberInfo : public QObject {
    Q_OBJECT

private slots:
    void readsTheFirstRowByTheCallersTypeAttribute_data() {
        addColumns<QByteArray, QByteArray>({"typeAttribute", "typeId"});
        addRow("direct sign-in", QByteArray("typeid"), QByteArray("30"));
        addRow("login dialog", QByteArray("usertypeid"), QByteArray("55"));
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
        addColumns<QByteArray, QStringList>({"reply", "messages"});
        addRow("no child", QByteArray("<NewDataSet/>"), QStringList{});
        addRow("text but no row", QByteArray("<NewDataSet>text</NewDataSet>"), QStringList{});
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
