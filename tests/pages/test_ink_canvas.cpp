// Ink on the textbook sheet alone: strokes drawn with the mouse, a finger or a pen land on the
// picture's own pixels whatever the zoom, follow their page, and leave the sheet as a picture.
#include <QtTest>

#include <QAccessible>
#include <QCheckBox>
#include <QLabel>
#include <QStandardPaths>
#include <QTabletEvent>
#include <QToolButton>

#include "AccessibleTree.h"
#include "DataRows.h"
#include "TextBookSheetAlone.h"
#include "TouchGestures.h"
#include "pages/CenterPageView.h"
#include "pages/InkCanvas.h"
#include "pages/InkController.h"
#include "pages/InkToolBar.h"
#include "pages/PagePicture.h"
#include "pages/PageScrollBox.h"
#include "pages/PageZoom.h"

namespace {

enum class Input { Mouse, Finger, Pen };

const QSize kNatural(1240, 1754);
// The touch screen the tests touch; registered with the window system for the whole run.
QPointingDevice* touchScreen_ = nullptr;

bool inked(const QImage& image, QPoint at) {
    for (int dy = -2; dy <= 2; ++dy)
        for (int dx = -2; dx <= 2; ++dx) {
            const QPoint p = at + QPoint(dx, dy);
            if (!image.rect().contains(p)) continue;
            const QColor colour = image.pixelColor(p);
            if (colour.red() > 150 && colour.green() < 90 && colour.blue() < 90) return true;
        }
    return false;
}

}  // namespace

Q_DECLARE_METATYPE(Input)

class TestInkCanvas : public QObject {
    Q_OBJECT

    std::unique_ptr<TextBookSheetAlone> alone_;
    QPointingDevice* stylus_ = nullptr;

    TextBookPage& sheet() { return alone_->sheet(); }
    InkController& ink() { return *sheet().Ink; }
    PagePicture* picture() { return sheet().CenterPage->picture(); }
    InkCanvas* canvas() { return ink().centreCanvas(); }
    const PageInk* pageInk(const QString& page) { return ink().store().find("bk", page); }
    std::size_t strokes(const QString& page) {
        const PageInk* ink = pageInk(page);
        return ink ? ink->strokes().size() : 0;
    }

    void mouse(QEvent::Type type, QPointF at, Qt::MouseButtons buttons) {
        QMouseEvent event(type, at, picture()->mapToGlobal(at), Qt::LeftButton, buttons, Qt::NoModifier);
        QApplication::sendEvent(picture(), &event);
    }
    void tablet(QEvent::Type type, QPointF at, double pressure) {
        QTabletEvent event(type, stylus_, at, picture()->mapToGlobal(at), pressure, 0, 0, 0, 0, 0,
                           Qt::NoModifier, Qt::LeftButton,
                           type == QEvent::TabletRelease ? Qt::NoButton : Qt::LeftButton);
        QApplication::sendEvent(picture(), &event);
    }
    // A line through `points` (positions on the picture widget) by the given input.
    void draw(Input input, const QList<QPointF>& points) {
        for (int i = 0; i < points.size(); ++i) {
            const bool first = i == 0, last = i + 1 == points.size();
            const QPoint at = points[i].toPoint();
            switch (input) {
                case Input::Mouse:
                    mouse(first ? QEvent::MouseButtonPress : QEvent::MouseMove, points[i], Qt::LeftButton);
                    if (last) mouse(QEvent::MouseButtonRelease, points[i], Qt::NoButton);
                    break;
                case Input::Finger:
                    if (first)
                        QTest::touchEvent(picture(), touchScreen_).press(0, at, picture());
                    else
                        QTest::touchEvent(picture(), touchScreen_).move(0, at, picture());
                    if (last) QTest::touchEvent(picture(), touchScreen_).release(0, at, picture());
                    break;
                case Input::Pen:
                    tablet(first ? QEvent::TabletPress : QEvent::TabletMove, points[i],
                           0.25 + 0.5 * i / points.size());
                    if (last) tablet(QEvent::TabletRelease, points[i], 0);
                    break;
            }
        }
        QCoreApplication::processEvents();
    }
    // Positions on the picture widget of page points given as fractions of the page.
    QList<QPointF> across(QPointF from, QPointF to, int steps = 8) {
        QList<QPointF> points;
        for (int i = 0; i <= steps; ++i) {
            const QPointF fraction = from + (to - from) * (double(i) / steps);
            points << QPointF(fraction.x() * picture()->width(), fraction.y() * picture()->height());
        }
        return points;
    }
    void pressButton(const QString& caption) {
        const QList<QAccessibleInterface*> found = ShownAccessibles(sheet().window(), caption);
        QCOMPARE(found.size(), 1);
        QAccessibleActionInterface* action = found.first()->actionInterface();
        QVERIFY(action != nullptr);
        action->doAction(QAccessibleActionInterface::pressAction());
        QCoreApplication::processEvents();
    }

private slots:
    void initTestCase() {
        touchScreen_ = QTest::createTouchDevice();
        // Owned by the application, as the devices the window system reports are.
        stylus_ = new QPointingDevice("stylus", 42, QInputDevice::DeviceType::Stylus,
                                      QPointingDevice::PointerType::Pen,
                                      QInputDevice::Capability::Position | QInputDevice::Capability::Pressure,
                                      1, 3, QString(), QPointingDeviceUniqueId(), qApp);
    }
    void init() {
        alone_ = std::make_unique<TextBookSheetAlone>();
        QVERIFY(QTest::qWaitForWindowExposed(&sheet()));
        alone_->cachedBook("bk", {kNatural, kNatural, QSize(800, 600)});
        alone_->show(0);
        QCOMPARE(canvas()->natural(), kNatural);
    }
    void cleanup() { alone_.reset(); }

    // A stroke drawn at one zoom is kept in page pixels and shown on the same picture pixels
    // at another zoom, after a pan and after the fit rule lays the page out again.
    void strokesStayOnThePicturePixels_data() {
        addColumns<Input, double>({"input", "zoom"});
        addRow("mouse, 2x", Input::Mouse, 2.0);
        addRow("finger, 3x", Input::Finger, 3.0);
        addRow("pen, 1.5x", Input::Pen, 1.5);
    }
    void strokesStayOnThePicturePixels() {
        QFETCH(Input, input);
        QFETCH(double, zoom);
        ink().choose(InkTool::Pen);
        draw(input, across({0.15, 0.4}, {0.4, 0.45}));
        QCOMPARE(strokes("bk-0"), std::size_t(1));
        const InkStroke& first = *pageInk("bk-0")->strokes()[0];
        QVERIFY(qAbs(first.points.front().x - 0.15 * kNatural.width()) < 4);
        QVERIFY(qAbs(first.points.front().y - 0.4 * kNatural.height()) < 4);
        QVERIFY(qAbs(first.points.back().x - 0.4 * kNatural.width()) < 4);
        if (input == Input::Pen) QCOMPARE(first.points.front().pressure, 0.25f);
        QVERIFY(!picture()->zoomed());
        const QPointF middle(0.275 * kNatural.width(), 0.425 * kNatural.height());
        QVERIFY(inked(picture()->grab().toImage(), canvas()->toWidget(middle).toPoint()));

        PageZoom* pageZoom = sheet().CenterPage->zoom();
        pageZoom->zoomTo(zoom, picture()->geometry().center());
        pageZoom->panBy(QPointF(40, 30));
        QCoreApplication::processEvents();
        QVERIFY(picture()->zoomed());
        QCOMPARE(canvas()->size(), picture()->size());
        const QImage zoomed = picture()->grab().toImage();
        QVERIFY(inked(zoomed, canvas()->toWidget(middle).toPoint()));
        QVERIFY(!inked(zoomed, canvas()->toWidget(middle - QPointF(0, 60)).toPoint()));

        // Drawn at this zoom, the second stroke lands on the page pixels it was drawn over.
        draw(input, across({0.2, 0.6}, {0.3, 0.6}));
        QCOMPARE(strokes("bk-0"), std::size_t(2));
        const InkStroke& second = *pageInk("bk-0")->strokes()[1];
        QVERIFY(qAbs(second.points.front().x - 0.2 * kNatural.width()) < 2);
        QVERIFY(qAbs(second.points.front().y - 0.6 * kNatural.height()) < 2);

        pageZoom->reset();
        QCoreApplication::processEvents();
        QVERIFY(inked(picture()->grab().toImage(), canvas()->toWidget(middle).toPoint()));
    }

    // Each page keeps its ink: leaving a page and coming back shows it again, a neighbour pane
    // shows its page's ink, and undo, redo and clearing work on the page shown.
    void inkFollowsItsPage() {
        ink().choose(InkTool::Pen);
        draw(Input::Mouse, across({0.1, 0.3}, {0.4, 0.3}));
        alone_->show(1);
        QCOMPARE(canvas()->pageId(), QStringLiteral("bk-1"));
        QVERIFY(!inked(picture()->grab().toImage(),
                       canvas()->toWidget(QPointF(0.25 * 1240, 0.3 * 1754)).toPoint()));
        draw(Input::Mouse, across({0.1, 0.7}, {0.4, 0.7}));
        draw(Input::Mouse, across({0.1, 0.8}, {0.4, 0.8}));
        QCOMPARE(strokes("bk-0"), std::size_t(1));
        QCOMPARE(strokes("bk-1"), std::size_t(2));

        pressButton(QStringLiteral("撤销"));
        QCOMPARE(strokes("bk-1"), std::size_t(1));
        pressButton(QStringLiteral("清除本页"));
        QCOMPARE(strokes("bk-1"), std::size_t(0));
        pressButton(QStringLiteral("撤销"));
        pressButton(QStringLiteral("重做"));
        QCOMPARE(strokes("bk-1"), std::size_t(0));
        pressButton(QStringLiteral("撤销"));
        QCOMPARE(strokes("bk-1"), std::size_t(1));
        QCOMPARE(strokes("bk-0"), std::size_t(1));  // the other page is never touched

        sheet().CheckBoxNext->setChecked(true);
        alone_->show(0);
        const QImage page = picture()->grab().toImage();
        QVERIFY(inked(page, canvas()->toWidget(QPointF(0.25 * 1240, 0.3 * 1754)).toPoint()));
        InkCanvas* next = sheet().NextPane->picture()->findChild<InkCanvas*>();
        QVERIFY(next != nullptr);
        QCOMPARE(next->pageId(), QStringLiteral("bk-1"));
        QCOMPARE(next->natural(), kNatural);
        QVERIFY(inked(sheet().NextPane->picture()->grab().toImage(),
                      next->toWidget(QPointF(0.25 * 1240, 0.7 * 1754)).toPoint()));

        // Hidden ink is kept, and the eraser takes the stroke it touches.
        pressButton(QStringLiteral("隐藏墨迹"));
        QVERIFY(!inked(picture()->grab().toImage(),
                       canvas()->toWidget(QPointF(0.25 * 1240, 0.3 * 1754)).toPoint()));
        QCOMPARE(strokes("bk-0"), std::size_t(1));
        pressButton(QStringLiteral("隐藏墨迹"));
        pressButton(QStringLiteral("橡皮擦"));
        draw(Input::Finger, across({0.25, 0.2}, {0.25, 0.4}, 4));
        QCOMPARE(strokes("bk-0"), std::size_t(0));
    }

    // Two fingers still zoom while a tool is chosen, and the line the first finger began is
    // dropped; a mouse drag draws instead of panning a zoomed page; without a tool it pans.
    void twoFingersZoomAndNoToolPans() {
        ink().choose(InkTool::Highlighter);
        QWidget* client = sheet().CenterPage->box()->client();
        const QPoint at = picture()->geometry().center() - QPoint(picture()->width() / 4, 0);
        QTest::touchEvent(client, touchScreen_).press(0, at, client);
        QTest::touchEvent(client, touchScreen_).move(0, at - QPoint(30, 0), client);
        QTest::touchEvent(client, touchScreen_)
            .move(0, at - QPoint(50, 0), client)
            .press(1, at + QPoint(50, 0), client);
        spreadAndLift(client, touchScreen_, at);
        QVERIFY(qAbs(sheet().CenterPage->zoom()->factor() - 1.6) < 0.01);
        QCOMPARE(strokes("bk-0"), std::size_t(0));

        const QPoint shown = picture()->pos();
        draw(Input::Mouse, {QPointF(100, 100), QPointF(160, 130), QPointF(220, 140)});
        QCOMPARE(picture()->pos(), shown);
        QCOMPARE(strokes("bk-0"), std::size_t(1));
        QCOMPARE(pageInk("bk-0")->strokes()[0]->tool, InkTool::Highlighter);

        ink().putDown();
        QVERIFY(ink().toolBar()->isHidden());
        draw(Input::Mouse, {QPointF(300, 300), QPointF(200, 250)});
        QVERIFY(picture()->pos() != shown);
        QCOMPARE(strokes("bk-0"), std::size_t(1));
    }

    // Events arriving in the middle of a stroke: a page change drops the line begun on the
    // page left, and nothing lands on the new page; a book change likewise.
    void pageChangesInTheMiddleOfAStroke_data() {
        addColumns<bool>({"newBook"});
        addRow("next page", false);
        addRow("another book", true);
    }
    void pageChangesInTheMiddleOfAStroke() {
        QFETCH(bool, newBook);
        ink().choose(InkTool::Pen);
        mouse(QEvent::MouseButtonPress, QPointF(50, 50), Qt::LeftButton);
        mouse(QEvent::MouseMove, QPointF(90, 80), Qt::LeftButton);
        QVERIFY(canvas()->drawing());
        QVERIFY(!ink().undo());  // no step while a line is being drawn
        if (newBook) {
            alone_->cachedBook("other", {QSize(600, 800)});
            alone_->show(0);
        } else {
            alone_->show(1);
        }
        QVERIFY(!canvas()->drawing());
        mouse(QEvent::MouseMove, QPointF(120, 90), Qt::LeftButton);
        mouse(QEvent::MouseButtonRelease, QPointF(120, 90), Qt::NoButton);
        QCOMPARE(strokes("bk-0") + strokes("bk-1"), std::size_t(0));
        QVERIFY(ink().store().find("other", "other-0") == nullptr);
        draw(Input::Finger, across({0.1, 0.1}, {0.3, 0.3}));
        const PageInk* drawn = newBook ? ink().store().find("other", "other-0") : pageInk("bk-1");
        QVERIFY(drawn != nullptr);
        QCOMPARE(drawn->strokes().size(), std::size_t(1));
    }

    // The highlighter is drawn under the pen, while it is being drawn too, zoomed or not.
    void highlighterStaysUnderThePen_data() {
        addColumns<double, bool>({"zoom", "finished"});
        addRow("1x, drawn", 1.0, true);
        addRow("1x, being drawn", 1.0, false);
        addRow("2x, drawn", 2.0, true);
    }
    void highlighterStaysUnderThePen() {
        QFETCH(double, zoom);
        QFETCH(bool, finished);
        ink().choose(InkTool::Pen);
        ink().setThick(true);
        draw(Input::Mouse, across({0.3, 0.2}, {0.3, 0.5}));
        if (zoom > 1) sheet().CenterPage->zoom()->zoomTo(zoom, picture()->geometry().center());
        ink().choose(InkTool::Highlighter);
        const QList<QPointF> line = across({0.2, 0.35}, {0.4, 0.35});
        if (finished) {
            draw(Input::Mouse, line);
        } else {
            mouse(QEvent::MouseButtonPress, line.first(), Qt::LeftButton);
            mouse(QEvent::MouseMove, line.last(), Qt::LeftButton);
        }
        const QImage shown = picture()->grab().toImage();
        QVERIFY(inked(shown, canvas()->toWidget(QPointF(0.3 * 1240, 0.35 * 1754)).toPoint()));
        const QColor highlighted =
            shown.pixelColor(canvas()->toWidget(QPointF(0.25 * 1240, 0.35 * 1754)).toPoint());
        QVERIFY2(highlighted.blue() < 200 && highlighted.red() > 200, qPrintable(highlighted.name()));
        if (!finished) mouse(QEvent::MouseButtonRelease, line.last(), Qt::NoButton);
    }

    // Every control of the tool bar and the pen button reach a screen reader under their
    // captions, are touch sized and explain themselves in a tool tip.
    void controlsReachAScreenReader() {
        QVERIFY(ShownAccessibles(sheet().window(), QStringLiteral("撤销")).isEmpty());
        pressButton(QStringLiteral("画笔"));
        QCOMPARE(ink().tool(), std::optional<InkTool>(InkTool::Pen));
        const QStringList captions = {"红色笔",   "蓝色笔",     "黑色笔",  "细笔", "粗笔",
                                      "荧光笔",   "橡皮擦",     "撤销",    "重做", "清除本页",
                                      "隐藏墨迹", "保存为图片", "收起画笔"};
        for (const QString& caption : captions) {
            const QList<QAccessibleInterface*> found = ShownAccessibles(sheet().window(), caption);
            QVERIFY2(found.size() == 1, qPrintable(caption));
            auto* button = qobject_cast<QToolButton*>(found.first()->object());
            QVERIFY(button != nullptr);
            QVERIFY(button->width() >= 48 && button->height() >= 48);
            QVERIFY(button->toolTip().startsWith(caption));
        }
        pressButton(QStringLiteral("蓝色笔"));
        pressButton(QStringLiteral("粗笔"));
        QCOMPARE(ink().penColour(), qRgba(30, 90, 220, 255));
        QVERIFY(ink().thick());
        pressButton(QStringLiteral("收起画笔"));
        QVERIFY(!ink().toolChosen());
        QVERIFY(ShownAccessibles(sheet().window(), QStringLiteral("撤销")).isEmpty());
    }

    // The tool bar is dragged by its frame and stays over the page pane.
    void toolBarIsDragged() {
        ink().choose(InkTool::Pen);
        InkToolBar* bar = ink().toolBar();
        const QPoint start = bar->pos();
        QTest::mousePress(bar, Qt::LeftButton, {}, QPoint(4, 4));
        QTest::mouseMove(bar, QPoint(-200, 120));
        QTest::mouseRelease(bar, Qt::LeftButton, {}, QPoint(-200, 120));
        QCOMPARE(bar->pos(), start + QPoint(-204, 116));
        QTest::mousePress(bar, Qt::LeftButton, {}, QPoint(4, 4));
        QTest::mouseMove(bar, QPoint(5000, 5000));
        QTest::mouseRelease(bar, Qt::LeftButton, {}, QPoint(5000, 5000));
        QVERIFY(bar->parentWidget()->rect().contains(bar->geometry()));
    }

    void pictureNamesAreSafe_data() {
        addColumns<QString, QString, QString>({"book", "page", "name"});
        addRow("plain ids", "b3a", "p-01", "b3a_p-01_20260102-030405");
        addRow("spaces, slashes and Chinese", "bk 1/2", "第1页", "bk_1_2__1__20260102-030405");
        addRow("a leading dot", "..", "x.y", "_._x.y_20260102-030405");
    }
    void pictureNamesAreSafe() {
        QFETCH(QString, book);
        QFETCH(QString, page);
        QFETCH(QString, name);
        QCOMPARE(InkController::imageName(book, page, QDateTime(QDate(2026, 1, 2), QTime(3, 4, 5))), name);
    }

    // The page with its ink at the page's natural size, never over an earlier picture; the
    // status panel says where it went.
    void savedPictureHasTheNaturalSize() {
        ink().choose(InkTool::Pen);
        ink().setThick(true);
        draw(Input::Mouse, across({0.1, 0.5}, {0.5, 0.5}));
        pressButton(QStringLiteral("保存为图片"));
        const QString status = sheet().StatusBar1Panel0->text();
        const QString folder = InkController::imageFolder();
        QVERIFY(folder.startsWith(QStandardPaths::writableLocation(QStandardPaths::PicturesLocation)));
        const QStringList files = QDir(folder).entryList({"*.png"});
        QCOMPARE(files.size(), 1);
        QVERIFY(files.first().startsWith("bk_bk-0_"));
        QVERIFY2(status.contains(folder + "/" + files.first()), qPrintable(status));
        const QImage saved(folder + "/" + files.first());
        QCOMPARE(saved.size(), kNatural);
        QVERIFY(inked(saved, QPoint(0.3 * 1240, 0.5 * 1754)));
        QVERIFY(!inked(saved, QPoint(0.3 * 1240, 0.6 * 1754)));

        const QString second = ink().saveImage();
        QVERIFY(!second.isEmpty());
        QCOMPARE(QDir(folder).entryList({"*.png"}).size(), 2);
        QCOMPARE(QImage(folder + "/" + files.first()).size(), kNatural);  // the first is still there
        QVERIFY(QDir(folder).removeRecursively());
    }
};

QTEST_MAIN(TestInkCanvas)
#include "test_ink_canvas.moc"
