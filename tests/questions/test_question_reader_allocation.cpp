// The question reply reader when memory runs out at each of its allocations in turn: every one
// ends the read with an error the caller can show, none ends the program.
#include <QtTest>

#include <cstdlib>
#include <new>

#include "DataRows.h"
#include "catalogue/QuestionReplyReader.h"
#include "service/AppError.h"

namespace {

// The allocation, counted from arming, that fails; none while disarmed. libxml2 allocates with
// malloc and is left alone: only the reader's own records and strings run out.
long failAt = -1;
long allocations = 0;

void* allocate(std::size_t size) {
    if (failAt >= 0 && allocations++ == failAt) throw std::bad_alloc();
    if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
    throw std::bad_alloc();
}

}  // namespace

void* operator new(std::size_t size) {
    return allocate(size);
}
void* operator new[](std::size_t size) {
    return allocate(size);
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete[](void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    std::free(p);
}

class TestQuestionReaderAllocation : public QObject {
    Q_OBJECT

private slots:
    // A direct row is only known to be one when its element ends, and is stored then.
    void everyFailedAllocationEndsTheRead_data() {
        addColumns<QByteArray, int>({"reply", "records"});
        addRow("rows under the document element",
               QByteArray(
                   "<NewDataSet><Table qid=\"1\" typetext=\"x\" rt=\"3\"/><Table qid=\"2\"/></NewDataSet>"),
               2);
        addRow("rows wrapped",
               QByteArray("<NewDataSet><Questions><Table qid=\"1\"/><Table qid=\"2\"/>"
                          "</Questions></NewDataSet>"),
               2);
        addRow("one row", QByteArray("<NewDataSet><Table qid=\"1\"/></NewDataSet>"), 1);
    }
    void everyFailedAllocationEndsTheRead() {
        QFETCH(QByteArray, reply);
        QFETCH(int, records);
        const GbkString text(reply.toStdString());
        int refusedInsideTheParse = 0;
        for (long n = 0;; ++n) {
            QVERIFY2(n < 10000, "the read never completes");
            QString outcome;
            allocations = 0;
            failAt = n;
            try {
                const QuestionReplyReader::Result result = QuestionReplyReader::Read(text);
                failAt = -1;
                QCOMPARE(result.records.size(), std::size_t(records));
                break;
            } catch (const XmlParseError& error) {
                failAt = -1;
                outcome = QString::fromUtf8(error.what());
                ++refusedInsideTheParse;
            } catch (const std::bad_alloc&) {
                failAt = -1;
                outcome = QStringLiteral("out of memory");
            }
            QCOMPARE(outcome, QStringLiteral("out of memory"));
        }
        QVERIFY(refusedInsideTheParse > 0);
    }
};

QTEST_MAIN(TestQuestionReaderAllocation)
#include "test_question_reader_allocation.moc"
