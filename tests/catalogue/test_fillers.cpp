// The two readers that fill window controls: the book combo and the assignment lists.
#include <QtTest>

#include <QComboBox>
#include <QTreeWidget>

#include "DataRows.h"
#include "MessageRecorder.h"
#include "catalogue/FillBookCombo.h"
#include "catalogue/FillHomeworkListView.h"
#include "service/AppError.h"

namespace {

GbkString bookRows(const QList<QPair<QByteArray, QByteArray>>& idsAndGrades) {
    GbkString text = "<NewDataSet>";
    for (const auto& [id, grade] : idsAndGrades)
        text += GbkString("<Table bookname=\"Book " + id.toStdString() + "\" bookid=\"" + id.toStdString() +
                          "\" gradeid=\"" + grade.toStdString() + "\"/>");
    return text + "</NewDataSet>";
}

QStringList texts(const QComboBox& combo) {
    QStringList result;
    for (int i = 0; i < combo.count(); ++i) result << combo.itemText(i);
    return result;
}

TTestObj assignment(const char* id, const char* type) {
    TTestObj record;
    record.hmwkid = GbkString(id);
    record.hmwkname = "name " + GbkString(id);
    record.practicetypeid = GbkString(type);
    record.msg = "msg " + GbkString(id);
    record.endtime = "2024-06-01";
    record.create_time = "2024-05-01";
    record.creator_id = "t1";
    return record;
}

}  // namespace

using Books = QList<QPair<QByteArray, QByteArray>>;

class TestFillers : public QObject {
    Q_OBJECT

private slots:
    void offersBooksUpToGradeNineAndPreselects_data() {
        addColumns<Books, QByteArray, QStringList, int>({"books", "preselect", "entries", "selected"});
        const Books grades = {{"b3", "3"}, {"b10", "10"}, {"b9", "9"}};
        addRow("grades 3, 10, 9; no match selects the first", grades, QByteArray("0"),
               QStringList{"Book b3", "Book b9"}, 0);
        addRow("preselect an offered book", grades, QByteArray("b9"), QStringList{"Book b3", "Book b9"}, 1);
        addRow("preselect a dropped book selects the entry before it", grades, QByteArray("b10"),
               QStringList{"Book b3", "Book b9"}, 0);
        addRow("dropped first book preselected, then the first entry",
               Books{{"b12", "12"}, {"b1", "1"}, {"b2", "2"}}, QByteArray("b12"),
               QStringList{"Book b1", "Book b2"}, 0);
        addRow("ids compare as exact text", Books{{"07", "7"}, {"7", "7"}}, QByteArray("7"),
               QStringList{"Book 07", "Book 7"}, 1);
        addRow("negative grade is offered", Books{{"k", "-1"}}, QByteArray("0"), QStringList{"Book k"}, 0);
        addRow("nothing offered", Books{{"b10", "10"}}, QByteArray("b10"), QStringList{}, -1);
    }
    void offersBooksUpToGradeNineAndPreselects() {
        QFETCH(Books, books);
        QFETCH(QByteArray, preselect);
        QComboBox combo;
        combo.addItem(QStringLiteral("old entry"));
        FillBookCombo(bookRows(books), &combo, GbkString(preselect.toStdString()));
        QTEST(texts(combo), "entries");
        QTEST(combo.currentIndex(), "selected");
        for (int i = 0; i < combo.count(); ++i)
            QCOMPARE(gbk::toQString(ComboBook(&combo, i)->bookname), combo.itemText(i));
    }

    void replyWithoutRowsKeepsTheCombo() {
        QComboBox combo;
        combo.addItems({"kept", "selected"});
        combo.setCurrentIndex(1);
        MessageRecorder messages;
        FillBookCombo("<NewDataSet/>", &combo, "0");
        QCOMPARE(texts(combo), (QStringList{"kept", "selected"}));
        QCOMPARE(combo.currentIndex(), 1);
    }

    void unreadableReplyRaisesAndKeepsTheCombo() {
        QComboBox combo;
        combo.addItem("kept");
        QVERIFY_THROWS_EXCEPTION(XmlParseError, FillBookCombo("<NewDataSet><Table", &combo, "0"));
        QCOMPARE(texts(combo), QStringList{"kept"});
    }

    void gradeThatIsNotAWholeNumberStopsAfterTheRowsBefore_data() {
        QTest::addColumn<QByteArray>("grade");
        addRow("letters", QByteArray("x"));
        addRow("empty", QByteArray(""));
        addRow("inner blank", QByteArray("1 0"));
        addRow("decimal", QByteArray("3.5"));
    }
    void gradeThatIsNotAWholeNumberStopsAfterTheRowsBefore() {
        QFETCH(QByteArray, grade);
        QComboBox combo;
        try {
            FillBookCombo(bookRows({{"a", "1"}, {"b", "2"}, {"c", grade}, {"d", "3"}}), &combo, "0");
            QFAIL("the bad grade was accepted");
        } catch (const ConvertError& error) {
            QCOMPARE(QString::fromUtf8(error.what()),
                     QStringLiteral("'%1' is not a valid integer value").arg(QString::fromLatin1(grade)));
        }
        QCOMPARE(texts(combo), (QStringList{"Book a", "Book b"}));
    }

    void entriesOwnTheirBooks() {
        std::weak_ptr<TBookObj> first;
        {
            QComboBox combo;
            FillBookCombo(bookRows({{"a", "1"}, {"b", "2"}}), &combo, "0");
            first = combo.itemData(0).value<std::shared_ptr<TBookObj>>();
            QCOMPARE(ComboBook(&combo, 0)->bookid, GbkString("a"));
            QVERIFY(ComboBook(&combo, 2) == nullptr);
            std::weak_ptr<TBookObj> second = combo.itemData(1).value<std::shared_ptr<TBookObj>>();
            combo.removeItem(1);
            QVERIFY(second.expired());
            QVERIFY(!first.expired());
        }
        QVERIFY(first.expired());
    }

    void chineseBookNamesAreShown() {
        QComboBox combo;
        FillBookCombo(
            gbk::fromUtf8("<?xml version=\"1.0\" encoding=\"GB2312\"?><NewDataSet>"
                          "<Table bookname=\" 英语（三年级上） \" bookid=\"1\" gradeid=\"3\"/></NewDataSet>"),
            &combo, "0");
        QCOMPARE(combo.itemText(0), QStringLiteral("英语（三年级上）"));
    }

    void assignmentListShowsOneKindWithOwnCopies_data() {
        addColumns<QByteArray, QStringList>({"practiceType", "ids"});
        addRow("exercises", QByteArray("101"), QStringList{"h1", "h5"});
        addRow("test papers, blanks trimmed, 0104 is not 104", QByteArray("104"), QStringList{"h2", "h4"});
        addRow("no such kind", QByteArray("102"), QStringList{});
    }
    void assignmentListShowsOneKindWithOwnCopies() {
        QFETCH(QByteArray, practiceType);
        QFETCH(QStringList, ids);
        TObjectList<TTestObj> homework;
        homework.Add(assignment("h1", "101"));
        homework.Add(assignment("h2", " 104 "));
        homework.Add(assignment("h3", "0104"));
        homework.Add(assignment("h4", "104"));
        homework.Add(assignment("h5", "101"));
        QTreeWidget list;
        list.setColumnCount(2);
        new QTreeWidgetItem(&list, {"left over", "x"});
        FillHomeworkListView(homework, &list, GbkString(practiceType.toStdString()));

        QCOMPARE(list.topLevelItemCount(), ids.size());
        for (int i = 0; i < ids.size(); ++i) {
            const QTreeWidgetItem* row = list.topLevelItem(i);
            const TTestObj* copy = RowAssignment(row);
            QVERIFY(copy);
            QCOMPARE(gbk::toQString(copy->hmwkid), ids[i]);
            QCOMPARE(row->text(0), QStringLiteral("name ") + ids[i]);
            QCOMPARE(row->text(1), QStringLiteral("2024-06-01"));
            QCOMPARE(copy->msg, GbkString("msg " + ids[i].toStdString()));
            QCOMPARE(copy->endtime, GbkString("2024-06-01"));
            QVERIFY(copy->practicetypeid.empty() && copy->create_time.empty() && copy->creator_id.empty());
            for (const auto& record : homework) QVERIFY(copy != record.get());
        }
        QCOMPARE(homework.Count(), std::size_t(5));
    }

    void rebuildingReleasesTheOldCopies() {
        TObjectList<TTestObj> homework;
        homework.Add(assignment("h1", "101"));
        QTreeWidget list;
        list.setColumnCount(2);
        FillHomeworkListView(homework, &list, "101");
        std::weak_ptr<TTestObj> old =
            list.topLevelItem(0)->data(1, Qt::UserRole).value<std::shared_ptr<TTestObj>>();
        FillHomeworkListView(homework, &list, "101");
        QVERIFY(old.expired());
        QCOMPARE(list.topLevelItemCount(), 1);
    }
};

QTEST_MAIN(TestFillers)
#include "test_fillers.moc"
