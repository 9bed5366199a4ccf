// The ink kept per page: the history of its changes, the eraser's reach and the ink file beside
// the remembered place.
#include <QtTest>

#include <sys/stat.h>
#include <QFile>
#include <QPainter>

#include "DataRows.h"
#include "TestFiles.h"
#include "ink/InkStore.h"
#include "platform/PlaceStore.h"

namespace {

InkStroke line(QPointF from, QPointF to, InkTool tool = InkTool::Pen, float width = 4, int steps = 10) {
    InkStroke stroke;
    stroke.tool = tool;
    stroke.width = width;
    for (int i = 0; i <= steps; ++i) {
        const QPointF at = steps == 0 ? from : from + (to - from) * (double(i) / steps);
        stroke.points.push_back({float(at.x()), float(at.y()), float(0.5 + 0.05 * i)});
    }
    stroke.updateBounds();
    return stroke;
}

QList<QPointF> firstPoints(const PageInk& ink) {
    QList<QPointF> points;
    for (const auto& stroke : ink.strokes()) points << QPointF(stroke->points[0].x, stroke->points[0].y);
    return points;
}

const QByteArray kAccount = QByteArrayLiteral("teacher/../01");

}  // namespace

class TestInkStore : public QObject {
    Q_OBJECT

    QString folder_;

private slots:
    void init() {
        folder_ = InkStore::defaultFolder();
        QDir(folder_).removeRecursively();
    }

    void eraserTakesWholeStrokesItTouches_data() {
        addColumns<QPointF, double, int>({"at", "radius", "erased"});
        // Four strokes, all 4 wide: horizontal lines from x 100 to 200 and from 300 to 400 at
        // y 100, a vertical one at x 300 with points only at y 50, 150 and 250, and a dot.
        addRow("on a line", QPointF(150, 100), 1.0, 1);
        addRow("within a line's half width", QPointF(150, 102.5), 1.0, 1);
        addRow("beside a line", QPointF(150, 110), 2.0, 0);
        addRow("between the points of a segment", QPointF(300, 200), 1.0, 1);
        addRow("past a line's end", QPointF(215, 100), 5.0, 0);
        addRow("reaching the dot", QPointF(510, 500), 9.0, 1);
        addRow("where two strokes meet", QPointF(300, 100), 3.0, 2);
    }
    void eraserTakesWholeStrokesItTouches() {
        QFETCH(QPointF, at);
        QFETCH(double, radius);
        QFETCH(int, erased);
        PageInk ink;
        ink.add(line({100, 100}, {200, 100}));
        ink.add(line({300, 50}, {300, 250}, InkTool::Pen, 4, 2));
        ink.add(line({300, 100}, {400, 100}));
        ink.add(line({500, 500}, {500, 500}, InkTool::Pen, 4, 0));
        QCOMPARE(ink.eraseAt(at, radius), erased > 0);
        QCOMPARE(int(ink.strokes().size()), 4 - erased);
    }

    void undoRedoAndClearAreSteps() {
        PageInk ink;
        ink.add(line({0, 0}, {10, 0}));
        ink.add(line({0, 20}, {10, 20}));
        ink.add(line({0, 40}, {10, 40}));
        // An erasing gesture that takes two strokes in two moves is one step.
        QVERIFY(ink.eraseAt({5, 0}, 1));
        QVERIFY(ink.eraseAt({5, 20}, 1));
        ink.endGesture();
        QCOMPARE(firstPoints(ink), QList<QPointF>({{0, 40}}));
        QVERIFY(ink.clear());
        QVERIFY(ink.empty());
        QVERIFY(!ink.clear());  // nothing to clear is no step

        QVERIFY(ink.undo());
        QCOMPARE(firstPoints(ink), QList<QPointF>({{0, 40}}));
        QVERIFY(ink.undo());
        QCOMPARE(ink.strokes().size(), std::size_t(3));
        QVERIFY(ink.redo());
        QCOMPARE(firstPoints(ink), QList<QPointF>({{0, 40}}));
        // A new change drops what could be redone.
        ink.add(line({0, 60}, {10, 60}));
        QVERIFY(!ink.redo());
        QVERIFY(ink.undo() && ink.undo() && ink.undo() && ink.undo() && ink.undo());
        QVERIFY(ink.empty());
        QVERIFY(!ink.undo());
    }

    // The smoothed line passes through the midpoints and bends at the points instead of running
    // straight through them.
    void smoothingCurvesThroughTheMidpoints() {
        const std::vector<InkPoint> points = {{0, 0, 1}, {100, 0, 1}, {100, 100, 1}};
        const QPainterPath path = smoothedPath(points);
        QVERIFY(path.elementCount() > 3);
        QPainterPathStroker stroker;
        stroker.setWidth(2);
        const QPainterPath outline = stroker.createStroke(path);
        QVERIFY(outline.contains(QPointF(50, 0)));
        QVERIFY(outline.contains(QPointF(100, 50)));
        QVERIFY(!outline.contains(QPointF(99, 1)));  // the corner is rounded off
    }

    void inkFileKeepsEveryPageForTheAccountOnly() {
        {
            InkStore store;
            store.attach(kAccount);
            store.page("b1", "p1").add(line({1.5, 2.25}, {300, 400}, InkTool::Highlighter, 30));
            store.page("b1", "p2").add(line({5, 5}, {6, 6}));
            store.page("b2", "p1").add(line({7, 7}, {8, 8}));
            store.changed("b1", "p1");
            store.changed("b1", "p2");
            store.changed("b2", "p1");
        }
        const QString file = InkStore().inkFile(kAccount);
        QCOMPARE(QFileInfo(file).fileName(),
                 QString::fromLatin1(QCryptographicHash::hash(kAccount, QCryptographicHash::Sha256).toHex()) +
                     ".ink");
        QCOMPARE(QFileInfo(file).absolutePath(), QFileInfo(PlaceStore().placeFile(kAccount)).absolutePath());
        struct stat status {};
        QCOMPARE(::stat(QFile::encodeName(file).constData(), &status), 0);
        QCOMPARE(status.st_mode & 0777, mode_t(0600));

        InkStore store;
        store.attach(kAccount);
        const PageInk* page = store.find("b1", "p1");
        QVERIFY(page != nullptr && page->strokes().size() == 1);
        const InkStroke& stroke = *page->strokes()[0];
        QCOMPARE(stroke.tool, InkTool::Highlighter);
        QCOMPARE(stroke.width, 30.0f);
        QCOMPARE(stroke.points.size(), std::size_t(11));
        QCOMPARE(stroke.points[0].x, 1.5f);
        QCOMPARE(stroke.points[0].y, 2.25f);
        QCOMPARE(stroke.points[10].pressure, 1.0f);
        QVERIFY(store.find("b1", "p2") && store.find("b2", "p1"));
        QVERIFY(!store.find("b1", "p2")->canUndo());  // the history is not kept

        store.attach("someone else");
        QVERIFY(store.find("b1", "p1") == nullptr);
    }

    // Writes wait for a quiet second, and a burst of changes makes one write.
    void changesAreWrittenAtMostOnceASecond() {
        InkStore store;
        store.attach(kAccount);
        const QString file = store.inkFile(kAccount);
        QElapsedTimer clock;
        clock.start();
        store.page("b", "p").add(line({0, 0}, {1, 1}));
        store.changed("b", "p");
        store.page("b", "p").add(line({0, 0}, {2, 2}));
        store.changed("b", "p");
        QVERIFY(!QFile::exists(file));
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(file), 3000);
        QVERIFY(clock.elapsed() >= InkStore::kSaveDelayMs - 50);
        InkStore reread;
        reread.attach(kAccount);
        QCOMPARE(reread.find("b", "p")->strokes().size(), std::size_t(2));
    }

    void unreadableInkLosesTheInkOnly_data() {
        addColumns<QByteArray>({"content"});
        addRow("not ours", QByteArrayLiteral("{\"book\":\"b\"}"));
        addRow("cut short", QByteArray());  // filled in below from a real file
        addRow("too large", QByteArray(InkStore::kMaxFileBytes + 1, 'x'));
    }
    void unreadableInkLosesTheInkOnly() {
        QFETCH(QByteArray, content);
        const LessonPlace place{"b1", "u1", "textbook", "p1", "Book", "Unit", "Page"};
        PlaceStore places;
        places.SavePlace(kAccount, place);
        InkStore store;
        if (content.isEmpty()) {
            store.attach(kAccount);
            store.page("b1", "p1").add(line({0, 0}, {100, 100}));
            store.changed("b1", "p1");
            store.flush();
            QFile file(store.inkFile(kAccount));
            QVERIFY(file.open(QIODevice::ReadOnly));
            content = file.readAll().left(int(file.size()) - 5);
        }
        writeFile(store.inkFile(kAccount), content);

        store.attach(kAccount);
        QVERIFY(store.find("b1", "p1") == nullptr);
        QCOMPARE(places.LoadPlace(kAccount), std::optional<LessonPlace>(place));
        // New ink replaces the damaged file, and the place is still untouched.
        store.page("b1", "p2").add(line({0, 0}, {1, 1}));
        store.changed("b1", "p2");
        store.flush();
        InkStore reread;
        reread.attach(kAccount);
        QVERIFY(reread.find("b1", "p2") != nullptr);
        QCOMPARE(places.LoadPlace(kAccount), std::optional<LessonPlace>(place));
    }

    // Over the size limit the books inked longest ago are left out first.
    void oversizedInkDropsTheOldestBooks() {
        InkStore store;
        store.attach(kAccount);
        // Each book about 3 MiB: a stroke of 256 Ki points of 12 bytes.
        const auto fill = [&store](const QString& book) {
            InkStroke stroke = line({0, 0}, {1000, 1000}, InkTool::Pen, 4, 256 * 1024);
            store.page(book, "p").add(std::move(stroke));
            store.changed(book, "p");
            QTest::qWait(5);
        };
        for (const char* book : {"oldest", "older", "newer", "newest"}) fill(QString::fromLatin1(book));
        store.flush();
        QVERIFY(QFileInfo(store.inkFile(kAccount)).size() <= InkStore::kMaxFileBytes);
        InkStore reread;
        reread.attach(kAccount);
        QVERIFY(!reread.find("oldest", "p"));
        QVERIFY(!reread.find("older", "p"));
        QVERIFY(reread.find("newer", "p") && reread.find("newest", "p"));
    }
};

QTEST_GUILESS_MAIN(TestInkStore)
#include "test_ink_store.moc"
