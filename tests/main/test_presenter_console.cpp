// Presenting on two screens in the real window against the demo service: the page on the
// projector, the presenter console on the window's screen, and what happens when a screen goes.
#include <QtTest>

#include <QComboBox>
#include <QLabel>
#include <QListView>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>

#include "AccessibleTree.h"
#include "DataModule.h"
#include "DataRows.h"
#include "DemoServiceFixture.h"
#include "MainWindowControls.h"
#include "MessageRecorder.h"
#include "OffscreenScreens.h"
#include "TestActions.h"
#include "TestFiles.h"
#include "app/LumoApplication.h"
#include "catalogue/FillBookCombo.h"
#include "ink/InkStore.h"
#include "main/Presenter.h"
#include "main/PresenterConsole.h"
#include "main/TFmMain.h"
#include "pages/InkCanvas.h"
#include "pages/InkController.h"
#include "pages/InkToolBar.h"
#include "pages/PagePicture.h"
#include "pages/PageScrollBox.h"
#include "pages/PageZoom.h"
#include "pages/TextBookPage.h"
#include "platform/PlaceStore.h"
#include "service/TstudyDM.h"

namespace {

const QRect kLarge(0, 0, 1920, 1080);
const QRect kSmall(1920, 0, 1366, 768);
const QList<OffscreenScreen> kTwoScreens = {{"laptop", kLarge}, {"projector", kSmall}};

QScreen* screenNamed(const QString& name) {
    for (QScreen* screen : QGuiApplication::screens())
        if (screen->name() == name) return screen;
    return nullptr;
}

}  // namespace

Q_DECLARE_METATYPE(QList<OffscreenScreen>)

class TestPresenterConsole : public QObject, DemoServiceFixture {
    Q_OBJECT

private:
    std::unique_ptr<TFmMain> window_;
    std::unique_ptr<MessageRecorder> messages_;

    TFmMain& w() { return *window_; }
    TextBookPage& book() { return *textBook(w()); }
    Presenter& presenter() { return *w().presenter(); }
    PresenterConsole* console() { return presenter().Console(); }
    int selected() { return book().CurrentIndex(); }
    void key(int code, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QWidget* target = console() ? static_cast<QWidget*>(console()) : &w();
        QTest::keyClick(target->focusWidget() ? target->focusWidget() : target, Qt::Key(code), modifiers);
    }
    // Puts the window on a screen, normal, and shows `page`.
    void openOn(const QRect& area, int page) {
        w().setGeometry(area.adjusted(0, 0, -100, -100));
        QCoreApplication::processEvents();
        book().ShowPageAt(page);
        QCoreApplication::processEvents();
    }
    void present(const QRect& area, int page) {
        openOn(area, page);
        key(Qt::Key_F5);
        QVERIFY(presenter().InPresentation());
    }
    void verifyConsoleOn(const QRect& consoleArea, const QRect& projectorArea) {
        QVERIFY(console() != nullptr);
        QTRY_COMPARE(w().geometry(), projectorArea);
        QVERIFY(w().windowState() & Qt::WindowFullScreen);
        QCOMPARE(presenter().ProjectorScreen()->geometry(), projectorArea);
        QTRY_COMPARE(console()->geometry(), consoleArea);
        QVERIFY(console()->isVisible() && (console()->windowState() & Qt::WindowFullScreen));
    }

private slots:
    void initTestCase() {
        QCOMPARE(QGuiApplication::screens().size(), 2);
        startDemoService();
        window_ = std::make_unique<TFmMain>(*dm_);
        w().Member.UserId = "t1001";
        w().LoadUnitList();
        QComboBox* books = ::books(w());
        for (int i = 0; i < books->count(); ++i)
            if (ComboBook(books, i)->bookid == "b3a") pick(books, i);
        pick(units(w()), 0);
        choose(radio(w(), "RBtnTextbook"));
        QVERIFY(book().LVTextBook->count() > 4);
    }
    void init() {
        setOffscreenScreens(kTwoScreens);
        QFile::remove(PlaceStore().screenFile());
        messages_ = std::make_unique<MessageRecorder>();
    }
    void cleanup() {
        presenter().LeavePresentation();
        book().Ink->putDown();
        QCOMPARE(messages_->texts(), QStringList());
    }
    // The window may go while presenting: the console goes first, reading nothing of it.
    void cleanupTestCase() {
        present(kLarge, 1);
        window_.reset();
    }

    void thePageGoesToTheOtherScreen_data() {
        addColumns<QRect, QString, QRect>({"window", "chosen", "projector"});
        addRow("from the large screen", kLarge, QString(), kSmall);
        addRow("from the small screen", kSmall, QString(), kLarge);
        addRow("the one chosen last", kLarge, QStringLiteral("projector"), kSmall);
    }
    void thePageGoesToTheOtherScreen() {
        QFETCH(QRect, window);
        QFETCH(QString, chosen);
        QFETCH(QRect, projector);
        if (!chosen.isEmpty()) PlaceStore().SaveProjector({chosen, screenNamed(chosen)->geometry()});
        openOn(window, 1);
        const QRect normal = w().geometry();
        key(Qt::Key_F5);
        verifyConsoleOn(window, projector);
        QCOMPARE(console()->lblPageCount->text(),
                 QStringLiteral("第2页 / 共%1页").arg(book().LVTextBook->count()));
        QVERIFY(console()->lblCaption->text().contains(units(w())->currentText()));
        for (const char* caption : {"交换屏幕", "结束演示", "课本页", "当前页面", "下一页"})
            QVERIFY2(!ShownAccessibles(console(), QString::fromUtf8(caption)).isEmpty(), caption);

        // The help shows where the presenter looks; Esc closes it first.
        key(Qt::Key_F1);
        QVERIFY(presenter().HelpShown());
        QCOMPARE(presenter().Help()->window(), console());
        key(Qt::Key_Escape);
        QVERIFY(!presenter().HelpShown() && presenter().InPresentation());
        key(Qt::Key_Escape);
        QVERIFY(!presenter().InPresentation());
        QCOMPARE(console(), nullptr);
        QCOMPARE(presenter().Help()->window(), &w());
        QTRY_COMPARE(w().geometry(), normal);
        QVERIFY(!(w().windowState() & Qt::WindowFullScreen));
        QCOMPARE(selected(), 1);
    }

    void pageDownShowsTheNextPageReadAhead() {
        present(kLarge, 1);
        QTRY_COMPARE(console()->nextShown(), 2);
        const qint64 readAhead = console()->nextPicture()->picture().cacheKey();
        key(Qt::Key_PageDown);
        QCOMPARE(selected(), 2);
        // The page read ahead is the one projected: it was not decoded again.
        QCOMPARE(book().CenterPage->picture()->picture().cacheKey(), readAhead);
        QCOMPARE(console()->currentPicture()->picture().cacheKey(), readAhead);
        QCOMPARE(console()->lblPageCount->text(),
                 QStringLiteral("第3页 / 共%1页").arg(book().LVTextBook->count()));
        QCOMPARE(console()->PageStrip->currentIndex().row(), 2);
        QTRY_COMPARE(console()->nextShown(), 3);

        // A click in the strip is a click on the thumbnail.
        const QModelIndex fifth = console()->PageStrip->model()->index(4, 0);
        QTest::mouseClick(console()->PageStrip->viewport(), Qt::LeftButton, {},
                          console()->PageStrip->visualRect(fifth).center());
        QCOMPARE(selected(), 4);
        QCOMPARE(book().CurrentPageFile(), book().CenterPage->file());
        QCOMPARE(console()->PageStrip->currentIndex().row(), 4);

        // The projector's zoom shows on the console: the same page part.
        book().CenterPage->zoom()->zoomTo(2.0, QPointF(0, 0));
        QTRY_VERIFY(console()->currentPicture()->height() >
                    console()->currentPicture()->parentWidget()->height());
    }

    void blankCoversTheProjectorOnly_data() {
        addColumns<int, QString>({"key", "caption"});
        addRow("B", int(Qt::Key_B), QStringLiteral("黑屏中"));
        addRow("W", int(Qt::Key_W), QStringLiteral("白屏中"));
    }
    void blankCoversTheProjectorOnly() {
        QFETCH(int, key);
        QFETCH(QString, caption);
        present(kLarge, 1);
        this->key(key);
        QVERIFY(presenter().IsBlank());
        QTRY_COMPARE(presenter().BlankScreen()->geometry(), kSmall);
        QVERIFY(console()->lblBlank->isVisible());
        QCOMPARE(console()->lblBlank->text(), caption);
        // A click on the console acts there; the projector stays blank.
        QTest::mouseClick(
            console()->PageStrip->viewport(), Qt::LeftButton, {},
            console()->PageStrip->visualRect(console()->PageStrip->model()->index(3, 0)).center());
        QCOMPARE(selected(), 3);
        QVERIFY(presenter().IsBlank());
        this->key(Qt::Key_Space);
        QVERIFY(!presenter().IsBlank());
        QVERIFY(console()->lblBlank->isHidden());
        QCOMPARE(selected(), 3);
    }

    void swapKeysSwapAndAreRemembered_data() {
        addColumns<int>({"key"});
        addRow("Ctrl+Shift+S", int(Qt::Key_S));
        addRow("Ctrl+Shift+Right", int(Qt::Key_Right));
    }
    void swapKeysSwapAndAreRemembered() {
        QFETCH(int, key);
        PlaceStore().SaveScreen({"laptop", kLarge});
        present(kLarge, 1);
        this->key(key, Qt::ControlModifier | Qt::ShiftModifier);
        verifyConsoleOn(kSmall, kLarge);
        QVERIFY(PlaceStore().LoadProjector() == RememberedScreen({"laptop", kLarge}));
        // The window's own screen stays remembered beside it.
        QVERIFY(PlaceStore().LoadScreen() == RememberedScreen({"laptop", kLarge}));
        QTest::mouseClick(console()->btnSwap, Qt::LeftButton);
        verifyConsoleOn(kLarge, kSmall);
        QCOMPARE(selected(), 1);
    }

    void inkOnTheConsoleIsOnTheProjectedPage() {
        present(kLarge, 1);
        key(Qt::Key_P);
        // The console carries the tool bar; the page is projected alone.
        QVERIFY(console()->InkBar->isVisible());
        QVERIFY(book().Ink->toolBar()->isHidden());
        QWidget* page = console()->currentPicture();
        const QPoint from = page->rect().center();
        QTest::mousePress(page, Qt::LeftButton, {}, from);
        for (int step = 1; step <= 10; ++step) QTest::mouseMove(page, from + QPoint(step * 8, step * 4));
        // The class sees the line while it is drawn.
        const QImage projected = book().Ink->centreCanvas()->grab().toImage();
        bool red = false;
        for (int y = 0; y < projected.height() && !red; y += 2)
            for (int x = 0; x < projected.width() && !red; x += 2)
                red = QColor(projected.pixel(x, y)) == QColor(Qt::red) ||
                      (qRed(projected.pixel(x, y)) > 180 && qGreen(projected.pixel(x, y)) < 80);
        QVERIFY(red);
        QTest::mouseRelease(page, Qt::LeftButton, {}, from + QPoint(80, 40));
        const InkCanvas& canvas = *book().Ink->centreCanvas();
        const PageInk* ink = book().Ink->store().find(canvas.book(), canvas.pageId());
        QVERIFY(ink != nullptr);
        QCOMPARE(ink->strokes().size(), std::size_t(1));
        key(Qt::Key_Z, Qt::ControlModifier);
        QVERIFY(ink->strokes().empty());
    }

    void aScreenThatGoesLeavesThePageOnTheOther_data() {
        addColumns<QString, QRect>({"unplugged", "remaining"});
        addRow("the projector", QStringLiteral("projector"), kLarge);
        addRow("the console's screen", QStringLiteral("laptop"), kSmall);
    }
    void aScreenThatGoesLeavesThePageOnTheOther() {
        QFETCH(QString, unplugged);
        QFETCH(QRect, remaining);
        present(kLarge, 2);
        setOffscreenScreens(unplugged == "projector" ? QList<OffscreenScreen>{kTwoScreens.at(0)}
                                                     : QList<OffscreenScreen>{kTwoScreens.at(1)});
        QCOMPARE(console(), nullptr);
        QVERIFY(presenter().InPresentation());
        QTRY_COMPARE(w().geometry(), remaining);
        QVERIFY(w().windowState() & Qt::WindowFullScreen);
        // A screen plugged in moves nothing until the next F5.
        setOffscreenScreens(kTwoScreens);
        QTest::qWait(50);
        QCOMPARE(console(), nullptr);
        QCOMPARE(w().geometry(), remaining);
        key(Qt::Key_PageDown);
        QCOMPARE(selected(), 3);
        key(Qt::Key_Escape);
        QVERIFY(!presenter().InPresentation());
        QVERIFY(remaining.contains(w().geometry().center()));
    }

    void oneScreenPresentsAsBefore_data() {
        addColumns<QList<OffscreenScreen>>({"screens"});
        addRow("one screen", QList<OffscreenScreen>{kTwoScreens.at(0)});
        addRow("mirrored outputs", QList<OffscreenScreen>{kTwoScreens.at(0), {"mirror", kLarge}});
    }
    void oneScreenPresentsAsBefore() {
        QFETCH(QList<OffscreenScreen>, screens);
        setOffscreenScreens(screens);
        present(kLarge, 1);
        QCOMPARE(console(), nullptr);
        QTRY_COMPARE(w().geometry(), kLarge);
        QVERIFY(presenter().Hint()->isVisible());
        key(Qt::Key_B);
        QTRY_COMPARE(presenter().BlankScreen()->geometry(), kLarge);
        key(Qt::Key_Space);
        QVERIFY(!presenter().IsBlank());
    }

    // The console reads the next page ahead, fetching it while events run; the presentation may
    // end meanwhile, and the console with it.
    void endingWhileTheNextPageIsFetched() {
        openOn(kLarge, 1);
        const QFileInfo current(QString::fromStdString(book().CurrentPageFile()));
        for (const QFileInfo& file : current.dir().entryInfoList(QDir::Files))
            if (file.fileName() != current.fileName()) QFile::remove(file.filePath());
        writeFile(overrides_.filePath("faults/http"), "/content/ slow:400\n");
        key(Qt::Key_F5);
        QTimer::singleShot(150, this, [this] { key(Qt::Key_Escape); });
        QTest::qWait(900);
        QFile::remove(overrides_.filePath("faults/http"));
        QVERIFY(!presenter().InPresentation());
        QCOMPARE(console(), nullptr);
        QCOMPARE(selected(), 1);
    }
};

int main(int argc, char** argv) {
    startWithOffscreenScreens(kTwoScreens);
    LumoApplication application(argc, argv);
    TestPresenterConsole test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_presenter_console.moc"
