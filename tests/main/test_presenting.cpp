// Presenting in the real window against the demo service: presenter and keyboard keys, blank
// screen, presentation mode, zoom and touch, as a teacher at a projector or touch board uses them.
#include <QtTest>

#include <QAccessible>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QStatusBar>
#include <QTabWidget>

#include "DataModule.h"
#include "DataRows.h"
#include "DemoService.h"
#include "MainWindowControls.h"
#include "MessageRecorder.h"
#include "TestActions.h"
#include "TouchGestures.h"
#include "app/LumoApplication.h"
#include "catalogue/FillBookCombo.h"
#include "main/Presenter.h"
#include "main/TFmMain.h"
#include "media/MiniLecturePage.h"
#include "media/PassagePage.h"
#include "media/PhonicsPage.h"
#include "media/ScenePage.h"
#include "media/SyllabusWordPage.h"
#include "pages/InkCanvas.h"
#include "pages/InkController.h"
#include "pages/InkToolBar.h"
#include "pages/PagePicture.h"
#include "pages/PageScrollBox.h"
#include "pages/PageZoom.h"
#include "pages/TextBookPage.h"
#include "service/ClientConfig.h"
#include "service/TstudyDM.h"
#include "web/WebBrowser.h"

namespace {

// Counts the show events a window receives.
struct ShowEvents : QObject {
    explicit ShowEvents(QWidget* window) { window->installEventFilter(this); }
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Show) ++count;
        return false;
    }
    int count = 0;
};

// NextRadioChecked: Qt's own arrow keys in an exclusive group check the neighbouring button
// (which switches the view, as a click on it does) and move the focus to it.
enum class Effect { PageTurns, UnitChanges, BoxToggles, FocusMoves, NextRadioChecked, Nothing };

}  // namespace

Q_DECLARE_METATYPE(Effect)

class TestPresenting : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<DemoService> service_;
    std::unique_ptr<TstudyDM> dm_;
    std::unique_ptr<TFmMain> window_;
    std::unique_ptr<MessageRecorder> messages_;
    QPointingDevice* touchScreen_ = nullptr;

    TFmMain& w() { return *window_; }
    TextBookPage& book() { return *textBook(w()); }
    Presenter& presenter() { return *w().presenter(); }
    int selected() {
        const QList<QListWidgetItem*> items = book().LVTextBook->selectedItems();
        return items.isEmpty() ? -1 : book().LVTextBook->row(items.first());
    }
    void select(int index) {
        book().LVTextBook->clearSelection();
        if (index >= 0) book().LVTextBook->setCurrentRow(index, QItemSelectionModel::ClearAndSelect);
        book().LVTextBookClick();
        QCoreApplication::processEvents();
    }
    QWidget* control(const QString& name) {
        if (name == "pane") return book().CenterPage->box();
        if (name == "thumbnails") return book().LVTextBook;
        if (name == "radio") return radio(w(), "RBtnTextbook");
        if (name == "check box") return book().CheckBoxPrevious;
        if (name == "drop-down") return units(w());
        return nullptr;
    }
    void press(QWidget* focus, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        if (focus) focus->setFocus();
        QTest::keyClick(focus ? focus : &w(), Qt::Key(key), modifiers);
    }
    // The page point (0..1 on each axis) under a client position of the center pane.
    QPointF pageFraction(QPointF clientPoint) {
        const QRect page = book().CenterPage->picture()->geometry();
        return {(clientPoint.x() - page.x()) / page.width(), (clientPoint.y() - page.y()) / page.height()};
    }

private slots:
    void initTestCase() {
        service_ = std::make_unique<DemoService>();
        dm_ = dataModule(service_->clientConfig());
        touchScreen_ = QTest::createTouchDevice();
    }

    // One window for the whole test (a book change fetches every page): a book with its
    // units, the textbook view on the first unit's page. Each test starts from that view.
    void init() {
        if (!window_) {
            window_ = std::make_unique<TFmMain>(*dm_);
            w().resize(1200, 800);
            w().Member.UserId = "t1001";
            w().LoadUnitList();
            QComboBox* books = ::books(w());
            for (int i = 0; i < books->count(); ++i) {
                if (ComboBook(books, i)->bookid != "b3a") continue;
                books->setCurrentIndex(i);
                asUser([books, i] { emit books->activated(i); });
            }
            units(w())->setCurrentIndex(0);
            asUser([this] { emit units(w())->activated(0); });
        }
        if (!radio(w(), "RBtnTextbook")->isChecked()) asUser([this] { radio(w(), "RBtnTextbook")->click(); });
        QCOMPARE(pageControl(w())->currentWidget(), tab(w(), "TabTextBook"));
        QVERIFY(book().LVTextBook->count() > 3);
        book().CheckBoxPrevious->setChecked(false);
        // A closed pop-up or the blank screen may have taken the activation; keys go to the
        // active window's focus, as on a desktop.
        w().activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w()));
        book().CenterPage->box()->setFocus();
        QCoreApplication::processEvents();
        messages_ = std::make_unique<MessageRecorder>();
    }
    void cleanup() {
        book().Ink->putDown();
        presenter().LeavePresentation();
        presenter().Unblank();
        presenter().ShowHelp(false);
        QCOMPARE(messages_->texts(), QStringList());
        messages_.reset();
    }
    void cleanupTestCase() {
        window_.reset();
        service_.reset();
    }

    void textbookViewGivesThePageTheFocus() {
        asUser([this] { radio(w(), "RBtnHomeworkClassUse")->click(); });
        radio(w(), "RBtnHomeworkClassUse")->setFocus();
        asUser([this] { radio(w(), "RBtnTextbook")->click(); });
        QCOMPARE(w().focusWidget(), book().CenterPage->box());
    }

    void presenterKeysStepAsTheArrows_data() {
        addColumns<QString, int>({"focus", "key"});
        QTest::addColumn<int>("start");  // -1: no selection; 99: the last page
        QTest::addColumn<int>("expected");
        addRow("PageDown", "radio", int(Qt::Key_PageDown), 1, 2);
        addRow("PageDown at the end", "pane", int(Qt::Key_PageDown), 99, 99);
        addRow("PageDown without selection", "pane", int(Qt::Key_PageDown), -1, 0);
        addRow("PageUp", "check box", int(Qt::Key_PageUp), 2, 1);
        addRow("PageUp at the start", "pane", int(Qt::Key_PageUp), 0, 0);
        addRow("PageUp without selection", "pane", int(Qt::Key_PageUp), -1, -1);
        addRow("Right", "pane", int(Qt::Key_Right), 1, 2);
        addRow("Down", "thumbnails", int(Qt::Key_Down), 1, 2);
        addRow("Space", "", int(Qt::Key_Space), 1, 2);
        addRow("Left", "pane", int(Qt::Key_Left), 2, 1);
        addRow("Up", "thumbnails", int(Qt::Key_Up), 2, 1);
        addRow("Backspace", "pane", int(Qt::Key_Backspace), 2, 1);
        addRow("Home", "pane", int(Qt::Key_Home), 3, 0);
        addRow("End", "thumbnails", int(Qt::Key_End), 1, 99);
    }
    void presenterKeysStepAsTheArrows() {
        QFETCH(QString, focus);
        QFETCH(int, key);
        QFETCH(int, start);
        QFETCH(int, expected);
        const int last = book().LVTextBook->count() - 1;
        select(start == 99 ? last : start);
        const std::string before = book().CurrentPageFile();
        press(control(focus), key);
        QCOMPARE(selected(), expected == 99 ? last : expected);
        if (expected >= 0 && (expected == 99 ? last : expected) != (start == 99 ? last : start))
            QVERIFY(book().CurrentPageFile() != before);
        QCOMPARE(pageControl(w())->currentWidget(), tab(w(), "TabTextBook"));
    }

    void keysForTextOrAnOpenListAreNotTaken_data() {
        addColumns<bool, int>({"openList", "key"});
        addRow("text field, PageDown", false, int(Qt::Key_PageDown));
        addRow("text field, Right", false, int(Qt::Key_Right));
        addRow("text field, B", false, int(Qt::Key_B));
        addRow("open list, PageDown", true, int(Qt::Key_PageDown));
        addRow("open list, B", true, int(Qt::Key_B));
    }
    void keysForTextOrAnOpenListAreNotTaken() {
        QFETCH(bool, openList);
        QFETCH(int, key);
        select(1);
        if (openList) {
            units(w())->showPopup();
            QTRY_VERIFY(QApplication::activePopupWidget() != nullptr);
            QTest::keyClick(QApplication::activePopupWidget(), Qt::Key(key));
            units(w())->hidePopup();
        } else {
            QLineEdit field(::control<QWidget>(w(), "PanelClass"));
            field.show();
            press(&field, key);
            if (key == Qt::Key_B) QCOMPARE(field.text(), QStringLiteral("b"));
        }
        QCOMPARE(selected(), 1);
        QVERIFY(!presenter().IsBlank());
    }

    void controlsKeepTheirOwnKeys_data() {
        addColumns<QString, int, Effect>({"focus", "key", "effect"});
        addRow("radio, Right", "radio", int(Qt::Key_Right), Effect::NextRadioChecked);
        addRow("radio, Home", "radio", int(Qt::Key_Home), Effect::Nothing);
        addRow("radio, Space", "radio", int(Qt::Key_Space), Effect::Nothing);
        addRow("radio, PageDown", "radio", int(Qt::Key_PageDown), Effect::PageTurns);
        addRow("check box, Space", "check box", int(Qt::Key_Space), Effect::BoxToggles);
        addRow("check box, Down", "check box", int(Qt::Key_Down), Effect::FocusMoves);
        addRow("check box, PageDown", "check box", int(Qt::Key_PageDown), Effect::PageTurns);
        addRow("drop-down, Down", "drop-down", int(Qt::Key_Down), Effect::UnitChanges);
        addRow("drop-down, Home", "drop-down", int(Qt::Key_Home), Effect::UnitChanges);
        addRow("drop-down, PageDown", "drop-down", int(Qt::Key_PageDown), Effect::PageTurns);
    }
    void controlsKeepTheirOwnKeys() {
        QFETCH(QString, focus);
        QFETCH(int, key);
        QFETCH(Effect, effect);
        QWidget* target = control(focus);
        if (focus == "drop-down" && key == Qt::Key_Home) {
            units(w())->setCurrentIndex(1);
            select(1);
        }
        const int unit = units(w())->currentIndex();
        const int page = selected();
        const bool box = book().CheckBoxPrevious->isChecked();
        press(target, key);
        QCOMPARE(units(w())->currentIndex() != unit, effect == Effect::UnitChanges);
        QCOMPARE(book().CheckBoxPrevious->isChecked() != box, effect == Effect::BoxToggles);
        QCOMPARE(w().focusWidget() != target,
                 effect == Effect::FocusMoves || effect == Effect::NextRadioChecked);
        if (effect == Effect::NextRadioChecked) {
            QCOMPARE(w().focusWidget(), radio(w(), "RBtnHomeworkClassUse"));
            QVERIFY(radio(w(), "RBtnHomeworkClassUse")->isChecked());
            QCOMPARE(pageControl(w())->currentWidget(), tab(w(), "TabHomework"));
            QCOMPARE(selected(), page);
        }
        if (effect == Effect::PageTurns) QCOMPARE(selected(), page + 1);
        if (effect == Effect::Nothing || effect == Effect::BoxToggles) QCOMPARE(selected(), page);
    }

    void blankThenAnyInputRestores_data() {
        addColumns<int, QColor>({"key", "colour"});
        QTest::addColumn<int>("restore");  // a key, or 0 for a click
        addRow("B, Space", int(Qt::Key_B), QColor(Qt::black), int(Qt::Key_Space));
        addRow("., PageDown", int(Qt::Key_Period), QColor(Qt::black), int(Qt::Key_PageDown));
        addRow("W, click", int(Qt::Key_W), QColor(Qt::white), 0);
    }
    void blankThenAnyInputRestores() {
        QFETCH(int, key);
        QFETCH(QColor, colour);
        QFETCH(int, restore);
        select(2);
        const std::string page = book().CurrentPageFile();
        press(book().CenterPage->box(), key);
        QVERIFY(presenter().IsBlank());
        QWidget* blank = presenter().BlankScreen();
        QCOMPARE(blank->palette().color(QPalette::Window), colour);
        QCOMPARE(blank->screen(), w().screen());
        QCOMPARE(blank->geometry(), w().screen()->geometry());
        QVERIFY(blank->accessibleName().startsWith(colour == Qt::black ? "黑屏" : "白屏"));
        if (restore)
            QTest::keyClick(blank, Qt::Key(restore));
        else
            QTest::mouseClick(blank, Qt::LeftButton);
        QVERIFY(!presenter().IsBlank());
        QCOMPARE(selected(), 2);
        QCOMPARE(book().CurrentPageFile(), page);
        QCOMPARE(w().focusWidget(), book().CenterPage->box());
        // No player was opened: blanking paused none and made no browser view.
        for (WebBrowser* browser : w().findChildren<WebBrowser*>()) QCOMPARE(browser->View(), nullptr);
    }

    void presentationModeShowsOnlyThePage_data() {
        addColumns<int, int, int>({"enter", "leave", "leaveModifiers"});
        addRow("F5, Esc", int(Qt::Key_F5), int(Qt::Key_Escape), int(Qt::NoModifier));
        addRow("F5, Shift+F5", int(Qt::Key_F5), int(Qt::Key_F5), int(Qt::ShiftModifier));
        addRow("F11, F11", int(Qt::Key_F11), int(Qt::Key_F11), int(Qt::NoModifier));
    }
    void presentationModeShowsOnlyThePage() {
        QFETCH(int, enter);
        QFETCH(int, leave);
        QFETCH(int, leaveModifiers);
        select(3);
        book().CheckBoxPrevious->setChecked(true);
        QCoreApplication::processEvents();
        const QRect normal = w().geometry();
        const int previousHeight = book().PreviousPane->panel()->height();
        QCOMPARE(previousHeight, 100);
        // The window's show handler fits it to the work area again: the mode must not run it.
        ShowEvents shows(&w());

        press(book().CenterPage->box(), enter);
        QVERIFY(presenter().InPresentation());
        QVERIFY(w().windowState() & Qt::WindowFullScreen);
        QCOMPARE(w().geometry(), w().screen()->geometry());
        for (QWidget* hidden : {static_cast<QWidget*>(::control<QWidget>(w(), "Panel3")), book().Panel4,
                                book().PreviousPane->panel(), book().NextPane->panel(),
                                static_cast<QWidget*>(book().StatusBar1)})
            QVERIFY2(hidden->isHidden(), qPrintable(hidden->objectName()));
        QTRY_COMPARE(book().CenterPage->panel()->height(), w().height());
        QCOMPARE(book().CenterPage->picture()->height(), w().height());
        QCOMPARE(book().CenterPage->panel()->palette().color(QPalette::Window), QColor(Qt::black));
        QVERIFY(book().CenterPage->panel()->autoFillBackground() && w().autoFillBackground());
        QVERIFY(presenter().Hint()->isVisible());
        QCOMPARE(presenter().Hint()->accessibleName(), QStringLiteral("演示模式"));
        QCOMPARE(selected(), 3);

        press(book().CenterPage->box(), leave, Qt::KeyboardModifiers(leaveModifiers));
        QVERIFY(!presenter().InPresentation());
        QVERIFY(!(w().windowState() & Qt::WindowFullScreen));
        QTRY_COMPARE(w().geometry(), normal);
        for (QWidget* shown : {static_cast<QWidget*>(::control<QWidget>(w(), "Panel3")), book().Panel4,
                               book().PreviousPane->panel(), book().NextPane->panel(),
                               static_cast<QWidget*>(book().StatusBar1)})
            QVERIFY2(!shown->isHidden(), qPrintable(shown->objectName()));
        QVERIFY(book().CheckBoxPrevious->isChecked());
        QTRY_COMPARE(book().PreviousPane->panel()->height(), previousHeight);
        QCOMPARE(selected(), 3);
        QVERIFY(!presenter().Hint()->isVisible());
        QCOMPARE(shows.count, 0);
    }

    void zoomPanAndResetKeepTheDecodedPicture_data() {
        QTest::addColumn<bool>("byTouch");
        addRow("wheel, drag, 0", false);
        addRow("pinch, swipe, double tap", true);
    }
    void zoomPanAndResetKeepTheDecodedPicture() {
        QFETCH(bool, byTouch);
        select(2);
        QCoreApplication::processEvents();
        PagePicture* picture = book().CenterPage->picture();
        QWidget* client = book().CenterPage->box()->client();
        const QRect fitted = picture->geometry();
        const qint64 decoded = picture->picture().cacheKey();
        const QPoint at = fitted.center() + QPoint(fitted.width() / 20, fitted.height() / 4);
        const QPointF before = pageFraction(at);

        if (byTouch) {
            // Two fingers spread from 100 to 160 pixels apart around `at`; the page stays
            // narrower than the pane, so nothing holds it back from the pane's edges.
            spreadTwoFingers(client, touchScreen_, at);
            QVERIFY(qAbs(book().CenterPage->zoom()->factor() - 1.6) < 0.01);
            QVERIFY(picture->width() < book().CenterPage->box()->viewport()->width());
        } else {
            QWheelEvent wheel(QPointF(at), QPointF(client->mapToGlobal(at)), QPoint(), QPoint(0, 240),
                              Qt::NoButton, Qt::ControlModifier, Qt::NoScrollPhase, false);
            QApplication::sendEvent(client, &wheel);
            QVERIFY(qAbs(book().CenterPage->zoom()->factor() - 1.5625) < 0.01);
        }
        const QPointF after = pageFraction(at);
        QVERIFY2(qAbs(after.x() - before.x()) < 0.005 && qAbs(after.y() - before.y()) < 0.005,
                 qPrintable(QStringLiteral("%1,%2 -> %3,%4")
                                .arg(before.x())
                                .arg(before.y())
                                .arg(after.x())
                                .arg(after.y())));

        // Panning moves the zoomed page and turns no page.
        const QPoint zoomedAt = picture->pos();
        if (byTouch) {
            QTest::touchEvent(client, touchScreen_).press(0, at, client);
            QTest::touchEvent(client, touchScreen_).move(0, at - QPoint(200, 60), client);
            QTest::touchEvent(client, touchScreen_).release(0, at - QPoint(200, 60), client);
        } else {
            QTest::mousePress(picture, Qt::LeftButton, {}, picture->mapFrom(client, at));
            QTest::mouseMove(picture, picture->mapFrom(client, at - QPoint(200, 60)));
            QTest::mouseRelease(picture, Qt::LeftButton, {}, picture->mapFrom(client, at - QPoint(200, 60)));
        }
        QVERIFY(picture->pos() != zoomedAt);
        QCOMPARE(selected(), 2);

        if (byTouch) {
            for (int tap = 0; tap < 2; ++tap) {
                QTest::touchEvent(client, touchScreen_).press(0, at, client);
                QTest::touchEvent(client, touchScreen_).release(0, at, client);
            }
        } else {
            press(book().CenterPage->box(), Qt::Key_0);
        }
        QCOMPARE(book().CenterPage->zoom()->factor(), 1.0);
        QCOMPARE(picture->geometry(), fitted);
        QCOMPARE(picture->picture().cacheKey(), decoded);
        QVERIFY(!picture->zoomed());
    }

    void swipeTurnsThePageUnlessZoomed_data() {
        addColumns<int, int, bool, int>({"dx", "dy", "zoomed", "expected"});
        addRow("to the left", -200, 10, false, 3);
        addRow("to the right", 200, -10, false, 1);
        addRow("mostly down", -60, 200, false, 2);
        addRow("to the left, zoomed", -200, 10, true, 2);
    }
    void swipeTurnsThePageUnlessZoomed() {
        QFETCH(int, dx);
        QFETCH(int, dy);
        QFETCH(bool, zoomed);
        QFETCH(int, expected);
        select(2);
        QWidget* client = book().CenterPage->box()->client();
        const QPoint from = book().CenterPage->picture()->geometry().center() + QPoint(0, 100);
        if (zoomed) book().CenterPage->zoom()->zoomSteps(2, from);
        QTest::touchEvent(client, touchScreen_).press(0, from, client);
        QTest::touchEvent(client, touchScreen_).move(0, from + QPoint(dx / 2, dy / 2), client);
        QTest::touchEvent(client, touchScreen_).release(0, from + QPoint(dx, dy), client);
        QCOMPARE(selected(), expected);
    }

    void mediaKeysWorkThePlayerControls_data() {
        addColumns<QString, int>({"view", "key"});
        QTest::addColumn<bool>("controlsShown");  // after the view's first opening
        addColumns<bool, bool>({"fullScreenClicked", "subtitlesToggled"});
        addRow("scene, F", "scene", int(Qt::Key_F), true, true, false);
        addRow("scene, S", "scene", int(Qt::Key_S), true, false, true);
        addRow("mini lecture, F", "mini lecture", int(Qt::Key_F), true, true, false);
        addRow("mini lecture, S", "mini lecture", int(Qt::Key_S), true, false, true);
        addRow("word, F", "word", int(Qt::Key_F), true, true, false);
        addRow("word, S", "word", int(Qt::Key_S), true, false, true);
        addRow("scene before opening, F", "scene", int(Qt::Key_F), false, false, false);
        addRow("word before opening, S", "word", int(Qt::Key_S), false, false, false);
        addRow("passage, F", "passage", int(Qt::Key_F), false, false, false);
        addRow("passage, S", "passage", int(Qt::Key_S), false, false, false);
        addRow("phonics, F", "phonics", int(Qt::Key_F), false, false, false);
        addRow("phonics, S", "phonics", int(Qt::Key_S), false, false, false);
    }
    void mediaKeysWorkThePlayerControls() {
        QFETCH(QString, view);
        QFETCH(int, key);
        QFETCH(bool, controlsShown);
        QFETCH(bool, fullScreenClicked);
        QFETCH(bool, subtitlesToggled);
        struct Controls {
            QString view;
            QRadioButton* button;
            QWidget* sheet;
            QPushButton* fullScreen;
            QCheckBox* subtitles;
        };
        const QList<Controls> all = {
            {"scene", radio(w(), "RbtnSceneClassUse"), sceneSheet(w()), sceneSheet(w())->btnSceneFullScreen,
             sceneSheet(w())->ckScenetranslation},
            {"mini lecture", radio(w(), "RBtnMiniLectureClassUse"), lectureSheet(w()),
             lectureSheet(w())->btnLectureFullScreen, lectureSheet(w())->ckLecturetranslation},
            {"word", radio(w(), "RBtnWordClassUse"), wordSheet(w()), wordSheet(w())->btnwordFullScreen,
             wordSheet(w())->ckwordtranslation},
            {"phonics", radio(w(), "RBtnPhonics"), phonicsSheet(w()), phonicsSheet(w())->BitBtn2,
             phonicsSheet(w())->CheckBox1},
            {"passage", radio(w(), "RbtnPassageClassUse"), passageSheet(w()), nullptr, nullptr},
        };
        std::vector<std::unique_ptr<QSignalSpy>> clicks;
        QList<bool> ticks;
        for (const Controls& c : all) {
            if (c.fullScreen == nullptr) continue;
            // Only the scene, mini-lecture and word players ever show their controls.
            if (c.view != "phonics") {
                c.fullScreen->setVisible(controlsShown);
                c.subtitles->setVisible(controlsShown);
            }
            clicks.push_back(std::make_unique<QSignalSpy>(c.fullScreen, &QPushButton::clicked));
            ticks << c.subtitles->isChecked();
        }
        const auto shown =
            std::find_if(all.begin(), all.end(), [&](const Controls& c) { return c.view == view; });
        asUser([&] { shown->button->click(); });
        QCOMPARE(pageControl(w())->currentWidget(), shown->sheet);

        press(nullptr, key);
        int i = 0;
        for (const Controls& c : all) {
            if (c.fullScreen == nullptr) continue;
            const bool thisView = c.view == view;
            QCOMPARE(clicks[i]->count(), thisView && fullScreenClicked ? 1 : 0);
            QCOMPARE(c.subtitles->isChecked() != ticks[i], thisView && subtitlesToggled);
            ++i;
        }
        // No document is loaded: the full-screen handler makes no empty full-screen view.
        for (WebBrowser* browser : w().findChildren<WebBrowser*>()) QCOMPARE(browser->View(), nullptr);
        for (const Controls& c : all)
            if (c.fullScreen) c.fullScreen->hide(), c.subtitles->hide();
    }

    // The blank screen, the presentation mode and the key help reach a screen reader under
    // their names: what it reads for the shown overlay.
    void overlaysCarryTheirNames_data() {
        addColumns<int, QString>({"key", "name"});
        addRow("B", int(Qt::Key_B), QStringLiteral("黑屏，按任意键返回"));
        addRow("W", int(Qt::Key_W), QStringLiteral("白屏，按任意键返回"));
        addRow("F5", int(Qt::Key_F5), QStringLiteral("演示模式"));
        addRow("F1", int(Qt::Key_F1), QStringLiteral("快捷键帮助"));
    }
    void overlaysCarryTheirNames() {
        QFETCH(int, key);
        QFETCH(QString, name);
        press(book().CenterPage->box(), key);
        QWidget* overlay = key == Qt::Key_F5   ? static_cast<QWidget*>(presenter().Hint())
                           : key == Qt::Key_F1 ? static_cast<QWidget*>(presenter().Help())
                                               : presenter().BlankScreen();
        QVERIFY(overlay != nullptr && overlay->isVisible());
        QAccessibleInterface* face = QAccessible::queryAccessibleInterface(overlay);
        QVERIFY(face != nullptr);
        QCOMPARE(face->text(QAccessible::Name), name);
        QVERIFY(!face->state().invisible);
    }

    void inkKeysPickTheTool_data() {
        addColumns<int, int>({"key", "modifiers"});
        QTest::addColumn<int>("tool");  // -1 for none
        addRow("P", int(Qt::Key_P), int(Qt::NoModifier), int(InkTool::Pen));
        addRow("H", int(Qt::Key_H), int(Qt::NoModifier), int(InkTool::Highlighter));
        addRow("E", int(Qt::Key_E), int(Qt::NoModifier), int(InkTool::Eraser));
        addRow("Shift+P", int(Qt::Key_P), int(Qt::ShiftModifier), -1);
        addRow("Alt+E", int(Qt::Key_E), int(Qt::AltModifier), -1);
    }
    void inkKeysPickTheTool() {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(int, tool);
        press(book().CenterPage->box(), key, Qt::KeyboardModifiers(modifiers));
        QCOMPARE(book().Ink->toolChosen(), tool >= 0);
        if (tool >= 0) {
            QCOMPARE(int(*book().Ink->tool()), tool);
            QVERIFY(book().Ink->toolBar()->isVisible());
        }
        // Not while a text field has the focus.
        book().Ink->putDown();
        auto* field = new QLineEdit(&w());
        field->show();
        press(field, key, Qt::KeyboardModifiers(modifiers));
        QVERIFY(!book().Ink->toolChosen());
        delete field;
    }

    // Esc does one step a press: the help, then the ink tool, then presentation mode; the ink
    // stays through presentation mode and the blank screen, and Ctrl+Z / Ctrl+Y work on it.
    void escapeTakesOneStepAPress() {
        select(1);
        press(book().CenterPage->box(), Qt::Key_F5);
        QVERIFY(presenter().InPresentation());
        press(book().CenterPage->box(), Qt::Key_P);
        QVERIFY(book().Ink->toolBar()->isVisible());
        PagePicture* picture = book().CenterPage->picture();
        for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseMove, QEvent::MouseButtonRelease}) {
            const QPointF at = type == QEvent::MouseButtonPress ? QPointF(100, 200) : QPointF(200, 220);
            QMouseEvent event(type, at, picture->mapToGlobal(at), Qt::LeftButton,
                              type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton,
                              Qt::NoModifier);
            QApplication::sendEvent(picture, &event);
        }
        InkCanvas* canvas = book().Ink->centreCanvas();
        const auto strokes = [&] {
            const PageInk* ink = book().Ink->store().find(canvas->book(), canvas->pageId());
            return ink ? int(ink->strokes().size()) : 0;
        };
        QCOMPARE(strokes(), 1);
        press(book().CenterPage->box(), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(strokes(), 0);
        press(book().CenterPage->box(), Qt::Key_Y, Qt::ControlModifier);
        QCOMPARE(strokes(), 1);
        press(book().CenterPage->box(), Qt::Key_B);
        QVERIFY(presenter().IsBlank());
        QTest::keyClick(presenter().BlankScreen(), Qt::Key_Space);
        QVERIFY(!presenter().IsBlank() && presenter().InPresentation());
        QCOMPARE(strokes(), 1);
        QVERIFY(canvas->isVisible() && !book().Ink->hidden());

        press(book().CenterPage->box(), Qt::Key_F1);
        QVERIFY(presenter().HelpShown());
        for (const char* text : {"P / H / E", "画笔", "荧光笔", "橡皮擦", "Ctrl+Z / Ctrl+Y"})
            QVERIFY2(presenter().Help()->text().contains(QString::fromUtf8(text)), text);
        press(book().CenterPage->box(), Qt::Key_Escape);
        QVERIFY(!presenter().HelpShown());
        QVERIFY(book().Ink->toolChosen() && presenter().InPresentation());
        press(book().CenterPage->box(), Qt::Key_Escape);
        QVERIFY(!book().Ink->toolChosen() && !book().Ink->toolBar()->isVisible());
        QVERIFY(presenter().InPresentation());
        press(book().CenterPage->box(), Qt::Key_Escape);
        QVERIFY(!presenter().InPresentation());
        QCOMPARE(strokes(), 1);
        book().Ink->store().page(canvas->book(), canvas->pageId()).clear();
    }

    // The ink of the signed-in account comes back with its pages after a new sign-in, and another
    // account sees none of it.
    void inkIsKeptPerAccount() {
        const auto strokesOnPage = [this] {
            InkCanvas* canvas = book().Ink->centreCanvas();
            const PageInk* ink = book().Ink->store().find(canvas->book(), canvas->pageId());
            return ink ? int(ink->strokes().size()) : 0;
        };
        w().OfferResume("ink teacher");
        select(2);
        press(book().CenterPage->box(), Qt::Key_H);
        PagePicture* picture = book().CenterPage->picture();
        for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseMove, QEvent::MouseButtonRelease}) {
            const QPointF at = type == QEvent::MouseButtonPress ? QPointF(50, 80) : QPointF(150, 90);
            QMouseEvent event(type, at, picture->mapToGlobal(at), Qt::LeftButton,
                              type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton,
                              Qt::NoModifier);
            QApplication::sendEvent(picture, &event);
        }
        QCOMPARE(strokesOnPage(), 1);
        w().OfferResume("another teacher");
        QVERIFY(QFile::exists(InkStore().inkFile("ink teacher")));
        select(1);
        select(2);
        QCOMPARE(strokesOnPage(), 0);
        w().OfferResume("ink teacher");
        select(1);
        select(2);
        QCOMPARE(strokesOnPage(), 1);
        book().Ink->store().detach();
    }

    void helpListsTheKeys() {
        press(book().CenterPage->box(), Qt::Key_F1);
        QVERIFY(presenter().HelpShown());
        QCOMPARE(presenter().Help()->accessibleName(), QStringLiteral("快捷键帮助"));
        for (const char* text : {"PageDown", "黑屏", "演示模式", "Shift+F5", "全屏播放", "显示字幕"})
            QVERIFY2(presenter().Help()->text().contains(QString::fromUtf8(text)), text);
        press(book().CenterPage->box(), Qt::Key_Escape);
        QVERIFY(!presenter().HelpShown());
    }
};

int main(int argc, char** argv) {
    LumoApplication application(argc, argv);
    TestPresenting test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_presenting.moc"
