// Catalogue records read from reply rows: keys, trimming, the question fallbacks, appending.
#include <QtTest>

#include "DataRows.h"
#include "catalogue/TBookObj.h"
#include "catalogue/TMaterialObj.h"
#include "catalogue/TObjectList.h"
#include "catalogue/TUnitObj.h"
#include "catalogue/TquestionObj.h"
#include "service/TReplyDataset.h"

namespace {

TReplyDataset dataset(const std::string& rows) {
    return ParseReplyDataset(GbkString("<NewDataSet>" + rows + "</NewDataSet>"), DeclarationRule::Plain);
}

}  // namespace

class TestRecords : public QObject {
    Q_OBJECT

private slots:
    void questionKeysFallBackToTheirSecondKey_data() {
        addColumns<QByteArray, QByteArray, QByteArray, QByteArray>({"attributes", "qid", "qtpid", "rt"});
        addRow("first keys only", QByteArray("qid='1' qtpid='2' rt='3'"), QByteArray("1"), QByteArray("2"),
               QByteArray("3"));
        addRow("second keys only", QByteArray("questionid='q9' questiontypeid='t9' rating='r9'"),
               QByteArray("q9"), QByteArray("t9"), QByteArray("r9"));
        addRow("both: the first key wins",
               QByteArray("qid='1' questionid='q9' qtpid='2' questiontypeid='t9' rt='3' rating='r9'"),
               QByteArray("1"), QByteArray("2"), QByteArray("3"));
        addRow("first key blank counts as empty",
               QByteArray("qid=' ' questionid='q9' qtpid='' questiontypeid='t9' rt=' ' rating='r9'"),
               QByteArray("q9"), QByteArray("t9"), QByteArray("r9"));
        addRow("neither", QByteArray("typetext='x'"), QByteArray(), QByteArray(), QByteArray());
    }
    void questionKeysFallBackToTheirSecondKey() {
        QFETCH(QByteArray, attributes);
        const TReplyDataset replies = dataset("<Table " + attributes.toStdString() + "/>");
        const TquestionObj question = TquestionObj::fromRow(replies.firstRow());
        QTEST(QByteArray::fromStdString(question.qid.bytes()), "qid");
        QTEST(QByteArray::fromStdString(question.qtpid.bytes()), "qtpid");
        QTEST(QByteArray::fromStdString(question.rt.bytes()), "rt");
    }

    void keysAreCaseSensitive() {
        const TReplyDataset replies = dataset(
            "<Table UnitCode='U1' unittitle='t' UnitTitle='Title' IsValid='1' isvalid='0'/>"
            "<Table BookName='B' bookid='b1' GradeId='3'/>");
        const TUnitObj unit = TUnitObj::fromRow(replies.firstRow());
        QVERIFY(unit.unitcode.empty());
        QCOMPARE(unit.UnitTitle, GbkString("Title"));
        QCOMPARE(unit.IsValid, GbkString("1"));
        const TBookObj book = TBookObj::fromRow(replies.firstRow().next());
        QVERIFY(book.bookname.empty());
        QVERIFY(book.gradeid.empty());
        QCOMPARE(book.bookid, GbkString("b1"));
    }

    void valuesAreTrimmed_data() {
        addColumns<QByteArray, QByteArray>({"value", "stored"});
        addRow("blanks and line breaks around", QByteArray(" \n\t u7 \r\n"), QByteArray("u7"));
        addRow("only blanks", QByteArray(" "), QByteArray());
        addRow("inner blanks stay", QByteArray(" a b "), QByteArray("a b"));
        addRow("character references of control codes", QByteArray("&#9;x&#10;"), QByteArray("x"));
    }
    void valuesAreTrimmed() {
        QFETCH(QByteArray, value);
        const TReplyDataset replies = dataset("<Table unitcode=\"" + value.toStdString() + "\"/>");
        QTEST(QByteArray::fromStdString(TUnitObj::fromRow(replies.firstRow()).unitcode.bytes()), "stored");
    }

    void rowWithoutExpectedAttributesIsStillAppendedInOrder() {
        const TReplyDataset replies = dataset(
            "<Table MaterialID='m0' other='x'/><Table MaterialId='m1' Code='U1' Title='Hello'/><Table/>");
        TObjectList<TMaterialObj> scenes;
        for (TReplyRow row = replies.firstRow(); !row.isNull(); row = row.next())
            scenes.Add(TMaterialObj::fromRow(row));
        QCOMPARE(scenes.Count(), std::size_t(3));
        for (std::size_t i : {std::size_t(0), std::size_t(2)}) {
            const TMaterialObj& empty = *scenes.Items(i);
            for (const GbkString* field :
                 {&empty.MaterialId, &empty.TextJson, &empty.Title, &empty.VideoId, &empty.Code,
                  &empty.VideoFileName, &empty.AudioFileName, &empty.CoverFileName})
                QVERIFY(field->empty());
        }
        QCOMPARE(scenes.Items(1)->MaterialId, GbkString("m1"));
        QCOMPARE(scenes.Items(1)->Code, GbkString("U1"));
        scenes.Clear();
        QVERIFY(scenes.IsEmpty());
    }
};

QTEST_GUILESS_MAIN(TestRecords)
#include "test_records.moc"
